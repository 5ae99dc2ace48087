// The utility object's data operations: values from text and resolved values, which data types stand for stored
// data, and data named by text or value opened through the host's data access, with its extent, fields and spatial
// reference; extensions, the default workspace and the memory workspaces.
#include "services/GPUtilities.h"

#include "data/DataElement.h"
#include "data/Field.h"
#include "host/CreateInstance.h"
#include "host/GPCatalogPath.h"
#include "host/ValueResolver.h"
#include "platform/BStr.h"
#include "services/GPEnvironmentManager.h"
#include "services/ScratchWorkspace.h"
#include "tavi/TypeConverter.h"

#include <array>
#include <string_view>

namespace tavi {

namespace {

VARIANT_BOOL ToVariantBool(bool value) {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

bool EndsWithNoCase(std::u16string_view text, std::u16string_view tail) {
    return text.size() >= tail.size() && EqualsNoCase(text.substr(text.size() - tail.size()), tail);
}

// Stored data: every data element type ("DE..."), every layer ("...Layer"), and the few catalogue types that name
// stored data without saying so in their name.
bool IsDataTypeNameText(std::u16string_view name) {
    static constexpr std::array<std::u16string_view, 3> kOthers{u"GPTableView", u"GPDataFile", u"GPNetworkDataSource"};
    if (name.size() > 2 && EqualsNoCase(name.substr(0, 2), u"DE"))
        return true;
    if (EndsWithNoCase(name, u"Layer"))
        return true;
    for (auto other : kOthers)
        if (EqualsNoCase(name, other))
            return true;
    return false;
}

HRESULT OpenTrimmed(std::u16string_view text, IDataElement** element) {
    String path = Trim(text);
    if (path.empty())
        return E_INVALIDARG;
    return tavi::OpenDataElement(path, element);
}

// The raster field a raster dataset shows among its fields.
HRESULT MakeRasterFields(IFields** fields) {
    ComPtr<IFields> made;
    ComPtr<IField> field;
    if (HRESULT hr = CreateFields(made.Out()); FAILED(hr))
        return hr;
    if (HRESULT hr = CreateField(field.Out()); FAILED(hr))
        return hr;
    auto edit = field.As<IFieldEdit>();
    auto list = made.As<IFieldsEdit>();
    if (!edit || !list)
        return E_NOINTERFACE;
    edit->put_Name(u"Raster");
    edit->put_AliasName(u"Raster");
    edit->put_Type(taviFieldTypeRaster);
    if (HRESULT hr = list->AddField(field.Get()); FAILED(hr))
        return hr;
    *fields = made.Detach();
    return S_OK;
}

// `all` without its raster fields; `all` itself when it has none.
HRESULT WithoutRasterFields(IFields* all, IFields** fields) {
    int32_t count = 0;
    if (HRESULT hr = all->get_FieldCount(&count); FAILED(hr))
        return hr;
    std::vector<ComPtr<IField>> kept;
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IField> field;
        int32_t type = 0;
        if (HRESULT hr = all->get_Field(i, field.Out()); FAILED(hr))
            return hr;
        if (SUCCEEDED(field->get_Type(&type)) && type == taviFieldTypeRaster)
            continue;
        kept.push_back(std::move(field));
    }
    if (static_cast<int32_t>(kept.size()) == count) {
        *fields = ComPtr<IFields>(all).Detach();
        return S_OK;
    }
    ComPtr<IFields> made;
    if (HRESULT hr = CreateFields(made.Out()); FAILED(hr))
        return hr;
    auto list = made.As<IFieldsEdit>();
    if (!list)
        return E_NOINTERFACE;
    for (const auto& field : kept)
        if (HRESULT hr = list->AddField(field.Get()); FAILED(hr))
            return hr;
    *fields = made.Detach();
    return S_OK;
}

} // namespace

HRESULT GPUtilities::MakeGPValueFromText(const OLECHAR* dataTypeName, const OLECHAR* text, IGPValue** value) {
    if (HRESULT hr = ClearOut(value); FAILED(hr))
        return hr;
    if (!dataTypeName)
        return E_POINTER;
    // A map, layout or report value reads its text by asking for this very value: it is found, not made from
    // text, or the two would call each other without end.
    const OLECHAR* itemText = text ? text : u"";
    auto found = [&](HRESULT hr, IUnknown* item) -> HRESULT {
        if (hr != S_OK || !item)
            return FAILED(hr) ? hr : S_FALSE;
        return item->QueryInterface(IGPValue::iid, reinterpret_cast<void**>(value));
    };
    if (EqualsNoCase(dataTypeName, u"GPMap")) {
        ComPtr<IGPMap> map;
        HRESULT hr = FindMap(itemText, map.Out());
        return found(hr, map.Get());
    }
    if (EqualsNoCase(dataTypeName, u"GPLayout")) {
        ComPtr<IGPLayout> layout;
        HRESULT hr = FindLayout(itemText, layout.Out());
        return found(hr, layout.Get());
    }
    if (EqualsNoCase(dataTypeName, u"GPReport")) {
        ComPtr<IGPReport> report;
        HRESULT hr = FindReport(itemText, report.Out());
        return found(hr, report.Get());
    }
    return guard([&]() -> HRESULT {
        ComPtr<IGPDataTypeFactory> factory;
        if (HRESULT hr = AfCreateInstance(CLSID_GPDataTypeFactory, nullptr, CLSCTX_INPROC_SERVER,
                                          IGPDataTypeFactory::iid, factory.OutVoid());
            FAILED(hr))
            return hr;
        ComPtr<IGPDataType> dataType;
        if (FAILED(factory->GetDataType(dataTypeName, dataType.Out())) || !dataType) {
            // The factory answers E_FAIL both for a name it does not know and for a type it cannot make yet.
            ComPtr<IGPName> name;
            return SUCCEEDED(factory->GetDataTypeName(dataTypeName, name.Out())) && name ? E_FAIL : E_INVALIDARG;
        }
        return dataType->CreateValue(text ? text : u"", value);
    });
}

HRESULT GPUtilities::ResolveValue(IUnknown* source, IGPVariableManager* manager, IGPValue** value) {
    if (HRESULT hr = ClearOut(value); FAILED(hr))
        return hr;
    if (!source)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        ComPtr<IGPValue> start;
        if (auto variable = QueryAs<IGPVariable>(source)) {
            if (HRESULT hr = variable->get_Value(start.Out()); FAILED(hr))
                return hr;
            if (!start)
                return S_FALSE;
        } else if (!(start = QueryAs<IGPValue>(source))) {
            return E_NOINTERFACE;
        }
        ComPtr<IGPValue> actual;
        if (HRESULT hr = tavi::ResolveValue(start.Get(), actual.Out()); FAILED(hr))
            return hr;
        if (manager)
            if (auto expression = actual.As<IGPValueExpression>()) {
                ComPtr<IGPValue> resolved;
                if (HRESULT hr = expression->ResolveValue(manager, resolved.Out()); FAILED(hr))
                    return hr;
                if (resolved)
                    actual = resolved;
            }
        *value = actual.Detach();
        return S_OK;
    });
}

HRESULT GPUtilities::IsDataType(IGPDataType* dataType, VARIANT_BOOL* isData) {
    if (!isData)
        return E_POINTER;
    *isData = VARIANT_FALSE;
    if (!dataType)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        BStr name;
        if (HRESULT hr = dataType->get_Name(name.Out()); FAILED(hr))
            return hr;
        *isData = ToVariantBool(IsDataTypeNameText(name.c_str()));
        return S_OK;
    });
}

HRESULT GPUtilities::IsDataTypeName(const OLECHAR* dataTypeName, VARIANT_BOOL* isData) {
    if (!isData)
        return E_POINTER;
    *isData = VARIANT_FALSE;
    if (!dataTypeName)
        return E_POINTER;
    return guard([&] { *isData = ToVariantBool(IsDataTypeNameText(dataTypeName)); });
}

HRESULT GPUtilities::OpenDataElementFromText(const OLECHAR* text, IDataElement** element) {
    if (HRESULT hr = ClearOut(element); FAILED(hr))
        return hr;
    if (!text)
        return E_POINTER;
    return guard([&] { return OpenTrimmed(text, element); });
}

HRESULT GPUtilities::OpenDataElement(IUnknown* data, IDataElement** element) {
    if (HRESULT hr = ClearOut(element); FAILED(hr))
        return hr;
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        if (auto given = QueryAs<IDataElement>(data)) {
            *element = given.Detach();
            return S_OK;
        }
        ComPtr<IGPValue> value;
        if (HRESULT hr = ResolveValue(data, nullptr, value.Out()); FAILED(hr) || !value)
            return FAILED(hr) ? hr : E_INVALIDARG;
        BStr text;
        if (HRESULT hr = value->GetAsText(text.Out()); FAILED(hr))
            return hr;
        return OpenTrimmed(text.c_str(), element);
    });
}

HRESULT GPUtilities::CanOpenData(IUnknown* data, VARIANT_BOOL* canOpen) {
    if (!canOpen)
        return E_POINTER;
    *canOpen = VARIANT_FALSE;
    if (!data)
        return E_POINTER;
    return guard([&] {
        ComPtr<IDataElement> element;
        *canOpen = ToVariantBool(SUCCEEDED(OpenDataElement(data, element.Out())) && element);
    });
}

HRESULT GPUtilities::IsValidDataElement(IDataElement* element, VARIANT_BOOL* valid) {
    if (!valid)
        return E_POINTER;
    *valid = VARIANT_FALSE;
    if (!element)
        return E_POINTER;
    return guard([&] {
        BStr path;
        ComPtr<IDataElement> reopened;
        *valid = ToVariantBool(SUCCEEDED(element->get_CatalogPath(path.Out())) &&
                               SUCCEEDED(OpenTrimmed(path.c_str(), reopened.Out())) && reopened);
    });
}

template <class Out, class Answer> HRESULT GPUtilities::AnswerFromData(IUnknown* data, Out** out, Answer answer) {
    if (HRESULT hr = ClearOut(out); FAILED(hr))
        return hr;
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        ComPtr<IDataElement> element;
        if (HRESULT hr = OpenDataElement(data, element.Out()); FAILED(hr))
            return hr;
        return answer(element);
    });
}

HRESULT GPUtilities::GetExtent(IUnknown* data, IEnvelope** extent) {
    return AnswerFromData(data, extent, [&](const ComPtr<IDataElement>& element) -> HRESULT {
        if (auto featureClass = element.As<IFeatureClass>())
            return featureClass->get_Extent(extent);
        if (auto raster = element.As<IRasterDataset>())
            return raster->get_Extent(extent);
        return S_FALSE;
    });
}

HRESULT GPUtilities::FieldsOf(IUnknown* data, bool withRaster, IFields** fields) {
    return AnswerFromData(data, fields, [&](const ComPtr<IDataElement>& element) -> HRESULT {
        if (auto table = element.As<ITable>()) {
            ComPtr<IFields> all;
            if (HRESULT hr = table->get_Fields(all.Out()); FAILED(hr) || !all)
                return FAILED(hr) ? hr : S_FALSE;
            if (withRaster) {
                *fields = all.Detach();
                return S_OK;
            }
            return WithoutRasterFields(all.Get(), fields);
        }
        if (withRaster && element.As<IRasterDataset>())
            return MakeRasterFields(fields);
        return S_FALSE;
    });
}

HRESULT GPUtilities::GetFields(IUnknown* data, IFields** fields) {
    return FieldsOf(data, false, fields);
}

HRESULT GPUtilities::GetFieldsWithRaster(IUnknown* data, IFields** fields) {
    return FieldsOf(data, true, fields);
}

HRESULT GPUtilities::GetSpatialReference(IUnknown* data, ISpatialReference** spatialReference) {
    return AnswerFromData(data, spatialReference, [&](const ComPtr<IDataElement>& element) -> HRESULT {
        if (auto featureClass = element.As<IFeatureClass>())
            return featureClass->get_SpatialReference(spatialReference);
        if (auto raster = element.As<IRasterDataset>())
            return raster->get_SpatialReference(spatialReference);
        return S_FALSE;
    });
}

HRESULT GPUtilities::HasExtension(const OLECHAR* path, const OLECHAR* extension, VARIANT_BOOL* has) {
    if (!has)
        return E_POINTER;
    *has = VARIANT_FALSE;
    if (!path || !extension)
        return E_POINTER;
    return guard([&] {
        std::u16string_view wanted(extension);
        if (!wanted.empty() && wanted.front() == u'.')
            wanted.remove_prefix(1);
        *has = ToVariantBool(EqualsNoCase(GPCatalogPath(path).GetExtension(), wanted));
    });
}

HRESULT GPUtilities::GetDefaultWorkspace(IWorkspace** workspace) {
    return guard([&] { return OpenDefaultWorkspace(workspace); });
}

HRESULT GPUtilities::PrepareDataElement(IDataElement* element, IUnknown* options) {
    if (!element)
        return E_POINTER;
    if (!options)
        return S_OK;
    return guard([&]() -> HRESULT {
        auto listing = QueryAs<IDEListingOptions>(options);
        if (!listing)
            return E_INVALIDARG;
        // Read as listing will read them; a data element read through GDAL lists its children as it is, whatever
        // they say, so nothing is readied from them yet.
        VARIANT_BOOL listChildren = VARIANT_FALSE;
        int32_t childDepth = -1;
        if (HRESULT hr = listing->get_ListChildren(&listChildren); FAILED(hr))
            return hr;
        if (HRESULT hr = listing->get_ChildDepth(&childDepth); FAILED(hr))
            return hr;
        return S_OK;
    });
}

HRESULT GPUtilities::OpenVirtualWorkspace(const OLECHAR* name, IWorkspace** workspace) {
    if (HRESULT hr = ClearOut(workspace); FAILED(hr))
        return hr;
    if (!name)
        return E_POINTER;
    std::u16string_view text(name);
    if (!EqualsNoCase(text, u"in_memory") && !EqualsNoCase(text, u"memory"))
        return E_INVALIDARG;
    return guard([&] { return tavi::OpenWorkspace(text, workspace); });
}

HRESULT GPUtilities::get_ScratchFolder(BSTR* folder) {
    if (HRESULT hr = ClearOut(folder); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        String path = ScratchFolder();
        if (path.empty())
            return S_FALSE;
        *folder = BStr(path).Detach();
        return S_OK;
    });
}

// The display extent is kept as a private copy and handed out as one, so that neither the host nor a value that
// takes it can move the other's rectangle.
HRESULT GPUtilities::get_DisplayExtent(IEnvelope** extent) {
    if (HRESULT hr = ClearOut(extent); FAILED(hr))
        return hr;
    if (!displayExtent_)
        return S_FALSE;
    return guard([&]() -> HRESULT {
        ComPtr<IClone> copy;
        if (HRESULT hr = QueryAs<IClone>(displayExtent_.Get())->Clone(copy.Out()); FAILED(hr))
            return hr;
        return copy->QueryInterface(IEnvelope::iid, reinterpret_cast<void**>(extent));
    });
}

HRESULT GPUtilities::put_DisplayExtent(IEnvelope* extent) {
    return guard([&]() -> HRESULT {
        if (!extent) {
            displayExtent_ = nullptr;
            return S_OK;
        }
        VARIANT_BOOL empty = VARIANT_TRUE;
        auto clone = QueryAs<IClone>(extent);
        if (FAILED(extent->get_IsEmpty(&empty)) || empty || !clone)
            return E_INVALIDARG;
        ComPtr<IClone> copy;
        if (HRESULT hr = clone->Clone(copy.Out()); FAILED(hr))
            return hr;
        auto envelope = QueryAs<IEnvelope>(copy.Get());
        if (!envelope)
            return E_INVALIDARG;
        displayExtent_ = std::move(envelope);
        return S_OK;
    });
}

HRESULT GPUtilities::get_OutputCoordinateSystem(ISpatialReference** spatialReference) {
    return ProcessSpatialReference(kOutputCoordinateSystemSetting, spatialReference);
}

HRESULT GPUtilities::put_OutputCoordinateSystem(ISpatialReference* spatialReference) {
    return SetProcessSpatialReference(kOutputCoordinateSystemSetting, spatialReference);
}

} // namespace tavi
