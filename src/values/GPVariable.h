// GPVariable: a named model variable. Everything it does comes from the variable base; the class adds its identity.
#pragma once

#include "host/GPVariableBase.h"
#include "tavi/GPScalar.h"

namespace tavi {

class GPVariable final : public GPVariableBase<GPVariable, VariableInterfaces> {
public:
    static constexpr CLSID kClassId = CLSID_GPVariable;
    static constexpr const char16_t* kClassName = u"GPVariable";
};

} // namespace tavi
