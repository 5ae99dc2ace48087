// The value resolver: the value that a variable or parameter stands for.
#pragma once

#include "platform/Object.h"
#include "tavi/GPValue.h"

namespace tavi {

// The value `value` stands for. A variable (IGPVariable) or parameter (IGPParameter) gives the value it holds,
// followed through further variables up to a fixed depth (a loop of variables is E_FAIL); any other value is
// handed back as it is. E_POINTER for a null argument; E_FAIL when a variable or parameter holds no value.
HRESULT ResolveValue(IGPValue* value, IGPValue** actual);

class GPValueResolver final : public Object<GPValueResolver, IGPValueResolver> {
public:
    static constexpr CLSID kClassId = CLSID_GPValueResolver;
    static constexpr const char16_t* kClassName = u"GPValueResolver";

    HRESULT ResolveValue(IGPValue* value, IUnknown* environment, IGPValue** actual) override;
};

} // namespace tavi
