// The data types of the record set and feature set values: see GPRecordSetTypes.h.
#include "layers/GPRecordSetTypes.h"

#include "host/GPValue.h"
#include "platform/HandOut.h"
#include "tavi/DataAccess.h"

namespace tavi {

namespace {

// The verdict of a test, a domain's when the value was accepted and a domain is given.
HRESULT Verdict(GPDataTypeCore& type, bool accepted, IGPValue* value, IGPValue* actual, IGPDomain* domain,
                IGPMessage** message) {
    if (accepted && domain)
        return domain->MemberOf(actual, message);
    return type.MakeValueErrorMessage(accepted ? VARIANT_TRUE : VARIANT_FALSE, value, message);
}

// Runs `accepts` on the unpacked value and answers with the verdict.
template <class Accepts>
HRESULT CheckValue(GPDataTypeCore& type, IGPValue* value, IGPDomain* domain, IGPMessage** message, Accepts&& accepts) {
    if (!value || !message)
        return E_POINTER;
    *message = nullptr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPValue> actual;
        if (HRESULT hr = GPDataTypeCore::UnpackValue(value, actual.Out()); FAILED(hr))
            return hr;
        return Verdict(type, actual && accepts(actual.Get()), value, actual.Get(), domain, message);
    });
}

template <class Accepts>
HRESULT CheckDataType(GPDataTypeCore& type, IGPDataType* other, IGPMessage** message, Accepts&& accepts) {
    if (!other || !message)
        return E_POINTER;
    *message = nullptr;
    return guard(
        [&] { return type.MakeDataTypeErrorMessage(accepts(other) ? VARIANT_TRUE : VARIANT_FALSE, other, message); });
}

// A layer holder whose layer is absent or draws features.
bool HoldsFeaturesOrNothing(IUnknown* value) {
    auto holder = QueryAs<IGPLayerHolder>(value);
    if (!holder)
        return false;
    ComPtr<IGPLayer> layer;
    if (FAILED(holder->get_Layer(layer.Out())))
        return false;
    return !layer || AnswersAny(layer.Get(), {IGPFeatureLayer::iid});
}

} // namespace

GPRecordSetType::GPRecordSetType()
    : RecordSetTypeBase({u"GPRecordSet", 4779, kClassId, CLSID_GPRecordSet, kRecordSetControlClassId,
                         IGPRecordSetType::iid, IGPRecordSet::iid}) {}

HRESULT GPRecordSetType::ValidateDataType(IGPDataType* other, IGPMessage** message) {
    return CheckDataType(*this, other, message, [](IGPDataType* type) {
        return AnswersAny(type, {IGPRecordSetType::iid, IGPTableViewType::iid, IDETableType::iid});
    });
}

HRESULT GPRecordSetType::ValidateValue(IGPValue* value, IGPDomain* domain, IGPMessage** message) {
    return CheckValue(*this, value, domain, message, [](IGPValue* actual) {
        return AnswersAny(actual, {IGPRecordSet::iid, IGPTableView::iid, IDEGdbTable7::iid});
    });
}

GPFeatureRecordSetLayerType::GPFeatureRecordSetLayerType()
    : RecordSetTypeBase({u"GPFeatureRecordSetLayer", 4788, kClassId, CLSID_GPFeatureRecordSetLayer,
                         kRecordSetControlClassId, IGPFeatureRecordSetLayerType::iid, IGPFeatureRecordSetLayer::iid}) {}

HRESULT GPFeatureRecordSetLayerType::ValidateDataType(IGPDataType* other, IGPMessage** message) {
    return CheckDataType(*this, other, message, [](IGPDataType* type) {
        if (AnswersAny(type, {IGPFeatureRecordSetType::iid}))
            return true;
        if (AnswersAny(type, {IGPFeatureLayerType::iid}))
            return !AnswersAny(type, {IGPRasterCatalogLayerType::iid});
        if (AnswersAny(type, {IDEFeatureClassType::iid}))
            return !AnswersAny(type, {IDERasterCatalogType::iid});
        return AnswersAny(type, {IGPGenericDataType::iid});
    });
}

HRESULT GPFeatureRecordSetLayerType::ValidateValue(IGPValue* value, IGPDomain* domain, IGPMessage** message) {
    return CheckValue(*this, value, domain, message, [](IGPValue* actual) {
        if (AnswersAny(actual, {IGPFeatureRecordSet::iid}))
            return true;
        if (AnswersAny(actual, {IGPFeatureLayer::iid}))
            return !AnswersAny(actual, {IGPRasterCatalogLayer::iid});
        if (AnswersAny(actual, {IDEGdbFeatureClass3::iid}))
            return !AnswersAny(actual, {IDERasterCatalog::iid});
        return HoldsFeaturesOrNothing(actual);
    });
}

HRESULT GPFeatureRecordSetLayerType::GetValueSupport(IGPValue*, BSTR* support) {
    if (HRESULT hr = ClearOut(support); FAILED(hr))
        return hr;
    return S_FALSE;
}

HRESULT GPFeatureRecordSetLayerType::get_OpenGxObjectFilters(IArray** filters) {
    return LayerBrowseFilters(taviDatasetTypeFeatureClass, filters);
}

} // namespace tavi
