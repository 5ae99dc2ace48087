// The data types of the variant value and of any value.
#include "values/GPVariantType.h"

#include "values/GPString.h"
#include "values/GPStringType.h"
#include "values/GPVariant.h"

namespace tavi {

GPVariantType::GPVariantType()
    : GPDataType({u"GPVariant", kDisplayNameId, kClassId, GPVariant::kClassId, kControlClassId, IGPVariantType::iid,
                  IGPVariant::iid}) {}

HRESULT GPVariantType::ValidateDataType(IGPDataType* other, IGPMessage** message) {
    return ValidateDataTypeAgainst(
        other, {IGPBooleanType::iid, IGPStringType::iid, IGPDateType::iid, IGPLongType::iid, IGPVariantType::iid},
        message);
}

HRESULT GPVariantType::ValidateValue(IGPValue* value, IGPDomain* domain, IGPMessage** message) {
    return ValidateValueAgainst(
        value, domain, {IGPBoolean::iid, IGPString::iid, IGPDate::iid, IGPLong::iid, IGPVariant::iid}, message);
}

HRESULT GPVariantType::IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) {
    return SupportedFromVersion(kFirstDocumentVersion, docVersion, supported);
}

HRESULT GPVariantType::ConvertToSupportedObject(int32_t, IUnknown** replacement) {
    if (HRESULT hr = ClearOut(replacement); FAILED(hr))
        return hr;
    guard([&] {
        auto type = MakeObject<GPStringType>();
        *replacement = QueryAs<IUnknown>(static_cast<IGPDataType*>(type.Get())).Detach();
    });
    return S_OK;
}

GPType::GPType()
    : GPDataType({u"GPType", kDisplayNameId, kClassId, GPString::kClassId, kControlClassId, IGPDataType::iid,
                  IGPValue::iid}) {}

} // namespace tavi
