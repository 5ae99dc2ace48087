// The data type of the encrypted string value.
#include "values/GPEncryptedStringType.h"

#include "host/CreateInstance.h"
#include "values/GPEncryptedString.h"

namespace tavi {

GPEncryptedStringType::GPEncryptedStringType()
    : GPDataType({u"GPEncryptedString", kDisplayNameId, kClassId, GPEncryptedString::kClassId, kControlClassId,
                  IGPEncryptedStringType::iid, IGPEncryptedString::iid}) {}

HRESULT GPEncryptedStringType::CreateValue(const OLECHAR* text, IGPValue** value) {
    if (!value)
        return E_POINTER;
    *value = nullptr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPEncryptedString> made;
        if (FAILED(AfCreateInstance(ValueClassId(), nullptr, CLSCTX_INPROC_SERVER, IGPEncryptedString::iid,
                                    made.OutVoid())) ||
            !made)
            return E_FAIL;
        ComPtr<IGPValue> asValue;
        HRESULT hr = made.As(&asValue);
        if (FAILED(hr))
            return hr;
        if (text && *text) {
            hr = encryptedstring::LooksProtected(text) ? made->put_ProtectedValue(text) : made->put_Value(text);
            if (FAILED(hr))
                return hr;
        }
        *value = asValue.Detach();
        return hr;
    });
}

HRESULT GPEncryptedStringType::IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) {
    return SupportedFromVersion(kFirstDocumentVersion, docVersion, supported);
}

HRESULT GPEncryptedStringType::ConvertToSupportedObject(int32_t docVersion, IUnknown** replacement) {
    if (!replacement)
        return E_POINTER;
    *replacement = nullptr;
    return guard([&]() -> HRESULT {
        ComPtr<IUnknown> type;
        if (SUCCEEDED(
                AfCreateInstance(CLSID_GPStringType, nullptr, CLSCTX_INPROC_SERVER, IUnknown::iid, type.OutVoid())))
            *replacement = type.Detach();
        return S_OK; // no replacement when the string type cannot be made
    });
}

} // namespace tavi
