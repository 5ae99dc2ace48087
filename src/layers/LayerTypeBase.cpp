// The layer data type bases: validation by a member's acceptance table, browse filters and the stored forms.
#include "layers/LayerTypeBase.h"

#include "host/XmlNamespace.h"
#include "layers/LayerMembers.h"
#include "values/BrowseFilters.h"

namespace tavi {

namespace {

bool AnswersOneOf(IUnknown* object, std::span<const IID> iids) {
    for (const IID& iid : iids)
        if (AnswersAny(object, {iid}))
            return true;
    return false;
}

// Whether `layer`'s data is a raster.
bool HasRasterSource(IGPLayer* layer) {
    ComPtr<IDataElement> element;
    return SUCCEEDED(layer->get_DataElement(element.Out())) && QueryAs<IRasterDataset>(element.Get());
}

bool Accepts(IUnknown* value, const IID& own, const LayerAcceptance& accept) {
    if (AnswersAny(value, {own}) || AnswersOneOf(value, accept.values))
        return true;
    if (accept.anyLayer && QueryAs<IGPLayer>(value))
        return true;
    if (accept.surfaceKind != 0)
        if (auto surface = QueryAs<IGPElevationSurfaceLayer>(value)) {
            int32_t kind = 0;
            if (SUCCEEDED(surface->get_SurfaceSourceKind(&kind)) && kind == accept.surfaceKind)
                return true;
        }
    if (accept.rasterSource) {
        if (QueryAs<IRasterDataset>(value))
            return true;
        if (auto layer = QueryAs<IGPLayer>(value); layer && HasRasterSource(layer.Get()))
            return true;
    }
    if (accept.objectFeatureDataset && QueryAs<IDEGdbTable7>(value) && Is3DObjectFeatureDataset(value))
        return true;
    if (accept.featureType != 0)
        if (auto featureClass = QueryAs<IDEGdbFeatureClass3>(value)) {
            int32_t type = 0;
            return SUCCEEDED(featureClass->get_FeatureType(&type)) && type == accept.featureType;
        }
    if (accept.holder || accept.anyLayer)
        if (auto holder = QueryAs<IGPLayerHolder>(value)) {
            if (accept.anyLayer)
                return true;
            ComPtr<IGPLayer> held;
            if (FAILED(holder->get_Layer(held.Out())))
                return false;
            return !held || AnswersAny(held.Get(), {own});
        }
    return false;
}

} // namespace

bool Is3DObjectFeatureDataset(IUnknown*) {
    return false;
}

HRESULT ValidateLayerValue(GPDataTypeCore& type, const IID& own, const LayerAcceptance& accept, IGPValue* value,
                           IGPDomain* domain, IGPMessage** message) {
    if (!value || !message)
        return E_POINTER;
    *message = nullptr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPValue> actual;
        if (HRESULT hr = GPDataTypeCore::UnpackValue(value, actual.Out()); FAILED(hr))
            return hr;
        bool acceptable = actual && Accepts(actual.Get(), own, accept);
        if (acceptable && domain)
            return domain->MemberOf(actual.Get(), message);
        return type.MakeValueErrorMessage(acceptable ? VARIANT_TRUE : VARIANT_FALSE, value, message);
    });
}

HRESULT ValidateLayerDataType(GPDataTypeCore& type, const IID& own, const LayerAcceptance& accept, IGPDataType* other,
                              IGPMessage** message) {
    if (!other || !message)
        return E_POINTER;
    *message = nullptr;
    return guard([&]() -> HRESULT {
        bool acceptable = AnswersAny(other, {own}) || AnswersOneOf(other, accept.types);
        return type.MakeDataTypeErrorMessage(acceptable ? VARIANT_TRUE : VARIANT_FALSE, other, message);
    });
}

HRESULT LayerBrowseFilters(int32_t datasetType, IArray** filters) {
    if (!filters)
        return E_POINTER;
    *filters = nullptr;
    return guard([&]() -> HRESULT {
        std::vector<std::u16string_view> list;
        if (datasetType != 0)
            list.push_back(DatasetBrowseFilter(datasetType));
        return HandOutBrowseFilters(list, filters);
    });
}

HRESULT SaveLayerType(IStream* stream) {
    if (!stream)
        return E_POINTER;
    return SUCCEEDED(AfStreamWrite(stream, uint16_t{1})) ? S_OK : E_FAIL;
}

HRESULT LoadLayerType(IStream* stream) {
    if (!stream)
        return E_POINTER;
    uint16_t version = 0;
    if (FAILED(AfStreamRead(stream, &version)) || version > 1)
        return E_FAIL;
    return S_OK;
}

HRESULT SerializeLayerType(const char16_t* typeName, IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    if (HRESULT hr = data->put_TypeName(typeName); FAILED(hr))
        return hr;
    return data->put_TypeNamespaceURI(ValueNamespace());
}

} // namespace tavi
