// The data types of the string values.
#include "values/GPStringType.h"

#include "host/CreateInstance.h"
#include "values/GPString.h"

namespace tavi {

GPStringType::GPStringType()
    : GPDataType({u"GPString", kDisplayNameId, kClassId, GPString::kClassId, kControlClassId, IGPStringType::iid,
                  IGPString::iid}) {}

GPStringHiddenType::GPStringHiddenType()
    : GPDataType({u"GPStringHidden", kDisplayNameId, kClassId, GPStringHidden::kClassId, kControlClassId,
                  IGPStringHiddenType::iid, IGPStringHidden::iid}) {}

HRESULT GPStringHiddenType::CreateValue(const OLECHAR* text, IGPValue** value) {
    if (!value)
        return E_POINTER;
    *value = nullptr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPValue> made;
        HRESULT hr = AfCreateInstance(ValueClassId(), nullptr, CLSCTX_INPROC_SERVER, IGPValue::iid, made.OutVoid());
        if (FAILED(hr))
            return hr;
        if (!made)
            return E_FAIL;
        hr = S_OK;
        if (text && *text) {
            auto hidden = made.As<IGPStringHidden>();
            hr = hidden ? hidden->put_Value(text) : E_NOINTERFACE;
        }
        *value = made.Detach();
        return hr;
    });
}

} // namespace tavi
