// The data type factory.
#include "catalogue/GPDataTypeFactory.h"

#include "frame/Enumerators.h"
#include "host/CreateInstance.h"
#include "host/GPValue.h"
#include "host/StringTable.h"
#include "layers/LayerMembers.h"
#include "platform/BStr.h"
#include "tavi/GPLayer.h"

#include <utility>

namespace tavi {

namespace {

// Room for a few rows more than the catalogue holds, so that rows added later do not move the cache.
constexpr size_t kCacheCapacity = 88;

ComPtr<IUnknown> UtilitySingleton(REFCLSID clsid) {
    ComPtr<IUnknown> utility;
    AfCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IUnknown::iid, utility.OutVoid());
    return utility;
}

HRESULT PutResourceText(IGPName* name, HRESULT (IGPName::*put)(const OLECHAR*), int32_t id) {
    return (name->*put)(LoadResourceString(id).c_str());
}

// A new layer value of the kind `element` calls for, over it and named by it.
HRESULT LayerOverElement(IDataElement* element, IGPValue** value) {
    const CLSID clsid = LayerKindFor(element).valueClassId;
    if (clsid == GUID_NULL)
        return E_FAIL;
    ComPtr<IGPLayer> layer;
    if (FAILED(AfCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IGPLayer::iid, layer.OutVoid())))
        return E_FAIL;
    BStr name;
    element->get_Name(name.Out());
    if (FAILED(layer->putref_DataElement(element)) || FAILED(layer->put_Name(name.c_str())) ||
        FAILED(layer->put_DisplayName(name.c_str())))
        return E_FAIL;
    return layer->QueryInterface(IGPValue::iid, reinterpret_cast<void**>(value));
}

} // namespace

GPDataTypeFactory::GPDataTypeFactory()
    : gpUtilities_(UtilitySingleton(CLSID_GPUtilities)), deUtilities_(UtilitySingleton(CLSID_DEUtilities)) {
    cache_.reserve(kCacheCapacity);
    cache_.resize(DataTypeCatalogue().size());
}

HRESULT GPDataTypeFactory::get_FactoryID(IUID** id) {
    if (HRESULT hr = ClearOut(id); FAILED(hr))
        return hr;
    HRESULT hr = guard([&] {
        // The platform's identifier class, given the identifier through its binary side.
        ComPtr<IUIDInit> init;
        if (FAILED(AfCreateInstance(CLSID_UID, nullptr, CLSCTX_INPROC_SERVER, IUIDInit::iid, init.OutVoid())) ||
            !init || FAILED(init->SetGUID(kClassId, 0)))
            return E_FAIL;
        auto uid = init.As<IUID>();
        if (!uid)
            return E_FAIL;
        *id = uid.Detach();
        return S_OK;
    });
    return FAILED(hr) ? E_FAIL : S_OK;
}

HRESULT GPDataTypeFactory::GetDataType(const OLECHAR* name, IGPDataType** dataType) {
    if (HRESULT hr = ClearOut(dataType); FAILED(hr))
        return hr;
    if (!name)
        return E_FAIL;
    return guard([&] {
        const int32_t row = FindDataTypeRow(name);
        if (row < 0)
            return E_FAIL;
        ComPtr<IGPDataType>& slot = cache_[row];
        if (!slot) {
            ComPtr<IUnknown> made;
            if (FAILED(AfCreateInstance(DataTypeCatalogue()[row].dataTypeClassId, nullptr, CLSCTX_INPROC_SERVER,
                                        IUnknown::iid, made.OutVoid())) ||
                FAILED(made.As(&slot)) || !slot)
                return E_FAIL;
        }
        return slot.CopyTo(dataType);
    });
}

HRESULT GPDataTypeFactory::MakeName(const DataTypeCatalogueRow& row, IGPName** name) {
    ComPtr<IGPName> made;
    if (FAILED(AfCreateInstance(row.nameClassId, nullptr, CLSCTX_INPROC_SERVER, IGPName::iid, made.OutVoid())) || !made)
        return E_FAIL;
    HRESULT hr = made->put_Name(row.name);
    if (SUCCEEDED(hr))
        hr = PutResourceText(made.Get(), &IGPName::put_DisplayName, row.displayNameId);
    if (SUCCEEDED(hr))
        hr = PutResourceText(made.Get(), &IGPName::put_Description, row.descriptionId);
    if (SUCCEEDED(hr))
        hr = PutResourceText(made.Get(), &IGPName::put_Category, row.categoryId);
    if (SUCCEEDED(hr))
        hr = made->putref_Factory(ControllingUnknown());
    if (FAILED(hr))
        return hr;
    *name = made.Detach();
    return S_OK;
}

HRESULT GPDataTypeFactory::GetDataTypeName(const OLECHAR* name, IGPName** dataTypeName) {
    if (HRESULT hr = ClearOut(dataTypeName); FAILED(hr))
        return hr;
    if (!name)
        return E_FAIL;
    return guard([&] {
        const int32_t row = FindDataTypeRow(name);
        return row < 0 ? E_FAIL : MakeName(DataTypeCatalogue()[row], dataTypeName);
    });
}

HRESULT GPDataTypeFactory::GetDataTypeNames(IEnumGPName** names) {
    if (HRESULT hr = ClearOut(names); FAILED(hr))
        return hr;
    return guard([&] {
        std::vector<ComPtr<IGPName>> built;
        built.reserve(DataTypeCatalogue().size());
        for (const DataTypeCatalogueRow& row : DataTypeCatalogue()) {
            ComPtr<IGPName> name;
            if (HRESULT hr = MakeName(row, name.Out()); FAILED(hr))
                return hr; // the names built so far go with `built`
            built.push_back(std::move(name));
        }
        *names = MakeObject<SimpleEnumerator<IEnumGPName, IGPName>>(std::move(built)).Detach();
        return S_OK;
    });
}

HRESULT GPDataTypeFactory::MakeLayerValue(IUnknown* layer, IGPValue** value) {
    if (HRESULT hr = ClearOut(value); FAILED(hr))
        return hr;
    if (!layer)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        ComPtr<IUnknown> object(layer);
        if (auto holder = QueryAs<IGPLayerHolder>(layer)) {
            ComPtr<IGPLayer> held;
            if (FAILED(holder->get_Layer(held.Out())) || !held)
                return E_FAIL;
            object = held.As<IUnknown>();
        }
        if (AnswersAny(object.Get(), {IGPLayer::iid}) && AnswersAny(object.Get(), {IGPValue::iid})) {
            ComPtr<IGPValue> copy;
            if (FAILED(CloneAs(object.Get(), copy)))
                return E_FAIL;
            *value = copy.Detach();
            return S_OK;
        }
        if (auto element = QueryAs<IDataElement>(object.Get()))
            return LayerOverElement(element.Get(), value);
        return E_FAIL;
    });
}

HRESULT GPDataTypeFactory::MakeLayer(IGPValue*, IUnknown** layer) {
    if (layer)
        *layer = nullptr;
    return E_FAIL;
}

} // namespace tavi
