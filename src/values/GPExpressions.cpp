// The expression values and their data types.
#include "values/GPExpressions.h"

#include "platform/HandOut.h"

namespace tavi {

HRESULT GPCalculatorExpression::IsSupportedAtVersion(int32_t, VARIANT_BOOL* supported) {
    return SupportedAtEveryVersion(supported);
}

HRESULT GPCalculatorExpression::ConvertToSupportedObject(int32_t, IUnknown** replacement) {
    return SelfAsSupportedObject(static_cast<IGPValue*>(this), replacement);
}

HRESULT ExpressionTypeCore::CheckValue(GPDataTypeCore& type, REFCLSID valueClass, IGPValue* value, IGPDomain* domain,
                                       IGPMessage** message) {
    if (!value || !message)
        return E_POINTER;
    *message = nullptr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPValue> actual;
        if (HRESULT hr = GPDataTypeCore::UnpackValue(value, actual.Out()); FAILED(hr))
            return hr;
        CLSID clsid = GUID_NULL;
        auto persist = QueryAs<IPersist>(actual.Get());
        if (!persist || FAILED(persist->GetClassID(&clsid)) || clsid != valueClass)
            return type.MakeValueErrorMessage(VARIANT_FALSE, value, message);
        if (domain)
            return domain->MemberOf(actual.Get(), message);
        return type.MakeValueErrorMessage(VARIANT_TRUE, value, message);
    });
}

HRESULT ExpressionTypeCore::BuilderSource(IGPValue*, BSTR* support) {
    return HandOut(u"<source><item empty='true'/></source>", support);
}

} // namespace tavi
