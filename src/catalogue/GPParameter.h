// GPParameter: a tool parameter. Everything it does comes from the parameter base (host/GPParameterBase.h); the class
// adds its identity.
#pragma once

#include "host/GPParameterBase.h"

namespace tavi {

class GPParameter final : public GPParameterBase<GPParameter, ParameterInterfaces> {
public:
    static constexpr CLSID kClassId = CLSID_GPParameter;
    static constexpr const char16_t* kClassName = u"GPParameter";
};

} // namespace tavi
