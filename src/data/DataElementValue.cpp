// Data elements and fields as values: see DataElementValue.h.
#include "data/DataElementValue.h"

#include "host/CreateInstance.h"
#include "host/GPValue.h"
#include "host/Message.h"
#include "host/MessageMaker.h"
#include "host/TypeTexts.h"
#include "platform/BStr.h"
#include "platform/Utf.h"
#include "tavi/DEDataTypes.h"

#include <nlohmann/json.hpp>

namespace tavi {

namespace {

bool SameName(std::u16string_view held, std::u16string_view given, bool ignoreCase) {
    return ignoreCase ? EqualsNoCase(held, given) : held == given;
}

// The host's text of a type code, or the code's decimal number when the host has none.
HRESULT DescribeTypeText(std::u16string_view text, int32_t code, VARIANT* value) {
    return text.empty() ? DescribeString(FormatInteger("%d", code), value) : DescribeString(text, value);
}

// A text property read through `get`, described as a string.
template <class I> HRESULT DescribeText(I* object, HRESULT (I::*get)(BSTR*), VARIANT* value) {
    BStr text;
    if (HRESULT hr = (object->*get)(text.Out()); FAILED(hr))
        return hr;
    return DescribeString(text.view(), value);
}

// A 32-bit type code read through `get`, described by `toText` (the host's table).
template <class I>
HRESULT DescribeCode(I* object, HRESULT (I::*get)(int32_t*), std::u16string_view (*toText)(int32_t), VARIANT* value) {
    int32_t code = 0;
    if (HRESULT hr = (object->*get)(&code); FAILED(hr))
        return hr;
    return DescribeTypeText(toText(code), code, value);
}

template <class I> HRESULT DescribeFlag(I* object, HRESULT (I::*get)(VARIANT_BOOL*), VARIANT* value) {
    VARIANT_BOOL flag = VARIANT_FALSE;
    if (HRESULT hr = (object->*get)(&flag); FAILED(hr))
        return hr;
    return DescribeBool(flag != VARIANT_FALSE, value);
}

struct ElementText {
    const char16_t* name;
    HRESULT (IDataElement::*get)(BSTR*);
};
constexpr ElementText kElementTexts[] = {
    {u"CatalogPath", &IDataElement::get_CatalogPath}, {u"Name", &IDataElement::get_Name},
    {u"BaseName", &IDataElement::get_BaseName},       {u"Extension", &IDataElement::get_Extension},
    {u"DataElementType", &IDataElement::get_Type},
};

struct FeatureClassFlag {
    const char16_t* name;
    HRESULT (IFeatureClass::*get)(VARIANT_BOOL*);
};
constexpr FeatureClassFlag kFeatureClassFlags[] = {
    {u"HasZ", &IFeatureClass::get_HasZ},
    {u"HasM", &IFeatureClass::get_HasM},
    {u"HasSpatialIndex", &IFeatureClass::get_HasSpatialIndex},
};

// The kind-specific names: S_FALSE when `asked` is none of them or the element is not of that kind.
HRESULT DescribeKind(IDataElement* element, std::u16string_view asked, VARIANT* value) {
    if (EqualsNoCase(asked, u"DatasetType")) {
        auto dataset = QueryAs<IDEDataset4>(element);
        return dataset ? DescribeCode(dataset.Get(), &IDEDataset4::get_DatasetType, &DatasetTypeText, value) : S_FALSE;
    }
    if (EqualsNoCase(asked, u"WorkspaceType")) {
        auto workspace = QueryAs<IDEWorkspace>(element);
        return workspace ? DescribeCode(workspace.Get(), &IDEWorkspace::get_WorkspaceType, &WorkspaceTypeText, value)
                         : S_FALSE;
    }
    bool shapeType = EqualsNoCase(asked, u"ShapeType");
    bool featureType = EqualsNoCase(asked, u"FeatureType");
    const FeatureClassFlag* flag = nullptr;
    for (const auto& candidate : kFeatureClassFlags)
        if (EqualsNoCase(asked, candidate.name))
            flag = &candidate;
    if (!shapeType && !featureType && !flag)
        return S_FALSE;
    auto featureClass = QueryAs<IFeatureClass>(element);
    if (!featureClass)
        return S_FALSE;
    if (shapeType)
        return DescribeCode(featureClass.Get(), &IFeatureClass::get_ShapeType, &GeometryTypeText, value);
    if (featureType)
        return DescribeCode(featureClass.Get(), &IFeatureClass::get_FeatureType, &FeatureTypeText, value);
    return DescribeFlag(featureClass.Get(), flag->get, value);
}

} // namespace

HRESULT DataElementDataType(IDataElement* element, IGPDataType** dataType) {
    if (HRESULT hr = ClearOut(dataType); FAILED(hr))
        return hr;
    if (!element)
        return E_POINTER;
    return guard([&] {
        const CLSID& kind = AnswersAny(element, {IFeatureClass::iid, IRasterDataset::iid}) ? CLSID_DEGeoDatasetType
                            : AnswersAny(element, {IDEDataset4::iid})                      ? CLSID_DEDatasetType
                                                                                           : CLSID_DEType;
        return AfCreateInstance(kind, nullptr, CLSCTX_INPROC_SERVER, IGPDataType::iid,
                                reinterpret_cast<void**>(dataType));
    });
}

HRESULT KeepNameText(std::u16string_view held, const OLECHAR* text, bool ignoreCase, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        String given = Trim(text ? std::u16string_view(text) : std::u16string_view());
        ComPtr<IGPMessage> made;
        HRESULT hr = SameName(held, given, ignoreCase)
                         ? MakeEmptyMessage(made.Out())
                         : MakeMessage(taviGPMessageTypeError, kMessageCodeInvalidValue,
                                       VerdictText(kMessageCodeInvalidValue, given), made.Out());
        if (FAILED(hr) || !made)
            return E_FAIL;
        *message = made.Detach();
        return S_OK;
    });
}

HRESULT NameJson(const char* key, std::u16string_view held, BSTR* json) {
    if (!json)
        return E_POINTER;
    *json = nullptr;
    return guard([&] {
        nlohmann::json object = nlohmann::json::object();
        object[key] = ToUtf8(held);
        *json = MakeBSTR(FromUtf8(object.dump()));
        return *json ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT KeepNameJson(const char* key, std::u16string_view held, const OLECHAR* json, bool ignoreCase) {
    if (!json)
        return E_POINTER;
    return guard([&] {
        nlohmann::json object = nlohmann::json::parse(ToUtf8(json), nullptr, false);
        if (object.is_discarded() || !object.is_object())
            return E_INVALIDARG;
        auto found = object.find(key);
        if (found == object.end() || !found->is_string())
            return E_INVALIDARG;
        return SameName(held, Trim(FromUtf8(found->get<std::string>())), ignoreCase) ? S_OK : E_FAIL;
    });
}

HRESULT DescribeDataElement(IDataElement* element, const OLECHAR* name, VARIANT* value) {
    if (!element || !name || !value)
        return E_POINTER;
    VariantInit(value);
    return guard([&]() -> HRESULT {
        std::u16string_view asked(name);
        for (const auto& text : kElementTexts)
            if (EqualsNoCase(asked, text.name))
                return DescribeText(element, text.get, value);
        if (HRESULT hr = DescribeKind(element, asked, value); hr != S_FALSE)
            return hr;
        auto self = QueryAs<IGPValue>(element);
        return self ? DescribeValueBase(self.Get(), asked, value) : S_FALSE;
    });
}

HRESULT DescribeField(IField* field, const OLECHAR* name, VARIANT* value) {
    if (!field || !name || !value)
        return E_POINTER;
    VariantInit(value);
    return guard([&]() -> HRESULT {
        std::u16string_view asked(name);
        if (EqualsNoCase(asked, u"Name"))
            return DescribeText(field, &IField::get_Name, value);
        if (EqualsNoCase(asked, u"AliasName"))
            return DescribeText(field, &IField::get_AliasName, value);
        if (EqualsNoCase(asked, u"Type"))
            return DescribeCode(field, &IField::get_Type, &GetFieldType, value);
        if (EqualsNoCase(asked, u"Length")) {
            int32_t length = 0;
            if (HRESULT hr = field->get_Length(&length); FAILED(hr))
                return hr;
            return DescribeInteger(length, value);
        }
        auto self = QueryAs<IGPValue>(field);
        return self ? DescribeValueBase(self.Get(), asked, value) : S_FALSE;
    });
}

} // namespace tavi
