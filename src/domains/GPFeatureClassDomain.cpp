// GPFeatureClassDomain: membership of feature classes, the feature classes inside a container that pass, browse
// filters, and the stream and XML forms.
#include "domains/GPFeatureClassDomain.h"

#include "host/CreateInstance.h"
#include "host/GPValue.h"
#include "host/Message.h"
#include "host/ObjectArray.h"
#include "host/StreamIO.h"
#include "host/TypeTexts.h"
#include "platform/BStr.h"
#include "platform/HandOut.h"
#include "tavi/GPLayer.h"
#include "tavi/GPScalar.h"
#include "values/BrowseFilters.h"

namespace tavi {

namespace {

constexpr int32_t kNotAFeatureClassCode = 811;
constexpr int32_t kIndexCode = 3914;
constexpr int32_t kHasMsCode = 3915;
constexpr int32_t kHasZsCode = 3916;
constexpr int32_t kShapeTypeCode = 3917;
constexpr int32_t kFeatureTypeCode = 3918;

constexpr const OLECHAR* kTypeArray = u"TypeArray";
constexpr const OLECHAR* kFeatureTypeArray = u"FeatureTypeArray";

bool FlagOf(HRESULT (IFeatureClass::*getter)(VARIANT_BOOL*), IFeatureClass* featureClass) {
    VARIANT_BOOL flag = VARIANT_FALSE;
    return SUCCEEDED((featureClass->*getter)(&flag)) && IsTrue(flag);
}

HRESULT ListGet(const CodeList& list, int32_t index, int32_t* code) {
    if (!code)
        return E_POINTER;
    if (!list.IsIndex(index))
        return E_INVALIDARG;
    *code = list.At(index);
    return S_OK;
}

// The third list is written as decimal texts; 0 as the empty text.
String ThirdTypeText(int32_t code) {
    return code == 0 ? String() : FormatInteger("%d", code);
}

std::optional<int32_t> ThirdTypeFromText(std::u16string_view text) {
    String trimmed = Trim(text);
    return trimmed.empty() ? std::optional<int32_t>(0) : DecimalCode(trimmed);
}

HRESULT ReadCodeArray(IXMLSerializeData* data, int32_t index, std::optional<int32_t> (*fromText)(std::u16string_view),
                      CodeList* codes) {
    codes->Clear();
    if (index < 0)
        return S_OK;
    NameList texts;
    if (FAILED(ReadStringArray(data, index, &texts)))
        return E_FAIL;
    return CodesFromTexts(texts, fromText, codes);
}

// The indexes of the first and second elements named "TypeArray", -1 when absent.
std::pair<int32_t, int32_t> TypeArrayIndexes(IXMLSerializeData* data) {
    std::pair<int32_t, int32_t> found{-1, -1};
    int32_t count = 0;
    data->get_ElementCount(&count);
    for (int32_t i = 0; i < count; ++i) {
        BStr name;
        if (FAILED(data->GetElementName(i, name.Out())) || name.view() != kTypeArray)
            continue;
        (found.first < 0 ? found.first : found.second) = i;
        if (found.second >= 0)
            break;
    }
    return found;
}

HRESULT AddFlagPair(IXMLSerializeData* data, const OLECHAR* filterName, bool filter, const OLECHAR* valueName,
                    bool value) {
    if (!filter)
        return S_OK;
    if (HRESULT hr = data->AddBoolean(filterName, VARIANT_TRUE); FAILED(hr))
        return hr;
    return data->AddBoolean(valueName, ToVariantBool(value));
}

} // namespace

// ---- resolving a value ----

ComPtr<IFeatureClass> FeatureClassOfValue(IUnknown* value) {
    if (!value)
        return {};
    if (auto featureClass = QueryAs<IFeatureClass>(value))
        return featureClass;
    ComPtr<IGPLayer> layer;
    if (auto holder = QueryAs<IGPLayerHolder>(value)) {
        if (FAILED(holder->get_Layer(layer.Out())))
            return {};
    } else {
        layer = QueryAs<IGPLayer>(value);
    }
    ComPtr<IDataElement> element;
    if (!layer || FAILED(layer->get_DataElement(element.Out())))
        return {};
    return QueryAs<IFeatureClass>(element.Get());
}

// ---- membership ----

int32_t GPFeatureClassDomain::FeatureClassVerdict(IFeatureClass* featureClass) const {
    int32_t shapeType = taviGeometryNull;
    featureClass->get_ShapeType(&shapeType);
    if (!settings_.shapeTypes.Empty() && shapeType != taviGeometryNull && !settings_.shapeTypes.Contains(shapeType))
        return kShapeTypeCode;
    int32_t featureType = 0;
    featureClass->get_FeatureType(&featureType);
    if (!settings_.featureTypes.Empty() && !settings_.featureTypes.Contains(featureType))
        return kFeatureTypeCode;
    if (settings_.filterIndex && FlagOf(&IFeatureClass::get_HasSpatialIndex, featureClass) != settings_.filterIndexType)
        return kIndexCode;
    if (settings_.filterHasMs && FlagOf(&IFeatureClass::get_HasM, featureClass) != settings_.includeHasMs)
        return kHasMsCode;
    if (settings_.filterHasZs && FlagOf(&IFeatureClass::get_HasZ, featureClass) != settings_.includeHasZs)
        return kHasZsCode;
    return 0;
}

HRESULT GPFeatureClassDomain::VerdictMessage(int32_t code, IGPMessage** message) const {
    if (code == kShapeTypeCode)
        return MakeVerdict(
            code, JoinAlternatives(TextsOfCodes(settings_.shapeTypes, &GeoprocessingUtil::ConvertGeometryTypeToString)),
            message);
    if (code == kFeatureTypeCode)
        return MakeVerdict(
            code,
            JoinAlternatives(TextsOfCodes(settings_.featureTypes, &GeoprocessingUtil::ConvertFeatureTypeToString)),
            message);
    return MakeVerdict(code, {}, message);
}

HRESULT GPFeatureClassDomain::MemberOf(IGPValue* value, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPValue> actual;
        if (HRESULT hr = UnpackValue(value, actual.Out()); FAILED(hr))
            return hr;
        ComPtr<IFeatureClass> featureClass = FeatureClassOfValue(actual.Get());
        const int32_t code = featureClass ? FeatureClassVerdict(featureClass.Get()) : kNotAFeatureClassCode;
        if (code == 0)
            return SUCCEEDED(MakeEmptyMessage(message)) ? S_OK : E_FAIL;
        return SUCCEEDED(VerdictMessage(code, message)) ? S_FALSE : E_FAIL;
    });
}

HRESULT GPFeatureClassDomain::GetFeatureClasses(IGPValue* value, IArray** featureClasses) {
    if (HRESULT hr = ClearOut(featureClasses); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPValue> actual;
        if (HRESULT hr = UnpackValue(value, actual.Out()); FAILED(hr))
            return hr;
        auto element = QueryAs<IDataElement>(actual.Get());
        if (!element)
            return E_INVALIDARG;
        return MatchingChildren(
            element.Get(),
            [&](IUnknown* child) {
                auto featureClass = QueryAs<IFeatureClass>(child);
                return featureClass && FeatureClassVerdict(featureClass.Get()) == 0;
            },
            featureClasses);
    });
}

// ---- lists and flags ----

HRESULT GPFeatureClassDomain::get_ShapeTypeCount(int32_t* count) {
    return HandOutValue(settings_.shapeTypes.Count(), count);
}
HRESULT GPFeatureClassDomain::get_ShapeType(int32_t index, int32_t* shapeType) {
    return ListGet(settings_.shapeTypes, index, shapeType);
}
HRESULT GPFeatureClassDomain::AddShapeType(int32_t shapeType) {
    return guard([&] {
        settings_.shapeTypes.Add(shapeType);
        SetDirty();
    });
}
HRESULT GPFeatureClassDomain::RemoveShapeType(int32_t shapeType) {
    return guard([&] {
        settings_.shapeTypes.Remove(shapeType);
        SetDirty();
    });
}

HRESULT GPFeatureClassDomain::get_FeatureTypeCount(int32_t* count) {
    return HandOutValue(settings_.featureTypes.Count(), count);
}
HRESULT GPFeatureClassDomain::get_FeatureType(int32_t index, int32_t* featureType) {
    return ListGet(settings_.featureTypes, index, featureType);
}
HRESULT GPFeatureClassDomain::AddFeatureType(int32_t featureType) {
    return guard([&] {
        settings_.featureTypes.Add(featureType);
        SetDirty();
    });
}
HRESULT GPFeatureClassDomain::RemoveFeatureType(int32_t featureType) {
    return guard([&] {
        settings_.featureTypes.Remove(featureType);
        SetDirty();
    });
}

HRESULT GPFeatureClassDomain::get_TypeCount(int32_t* count) {
    return HandOutValue(settings_.thirdTypes.Count(), count);
}
HRESULT GPFeatureClassDomain::get_Type(int32_t index, int32_t* type) {
    return ListGet(settings_.thirdTypes, index, type);
}
HRESULT GPFeatureClassDomain::AddType(int32_t type) {
    return guard([&] {
        settings_.thirdTypes.Add(type);
        SetDirty();
    });
}
HRESULT GPFeatureClassDomain::RemoveType(int32_t type) {
    return guard([&] {
        settings_.thirdTypes.Remove(type);
        SetDirty();
    });
}

HRESULT GPFeatureClassDomain::put_FilterIndex(VARIANT_BOOL filterIndex, VARIANT_BOOL filterIndexType) {
    settings_.filterIndex = IsTrue(filterIndex);
    settings_.filterIndexType = IsTrue(filterIndexType);
    SetDirty();
    return S_OK;
}
HRESULT GPFeatureClassDomain::get_FilterIndex(VARIANT_BOOL* filterIndex) {
    return HandOutValue(ToVariantBool(settings_.filterIndex), filterIndex);
}
HRESULT GPFeatureClassDomain::get_FilterIndexType(VARIANT_BOOL* filterIndexType) {
    return HandOutValue(ToVariantBool(settings_.filterIndexType), filterIndexType);
}
HRESULT GPFeatureClassDomain::put_FilterHasMs(VARIANT_BOOL filterHasMs, VARIANT_BOOL includeHasMs) {
    settings_.filterHasMs = IsTrue(filterHasMs);
    settings_.includeHasMs = IsTrue(includeHasMs);
    SetDirty();
    return S_OK;
}
HRESULT GPFeatureClassDomain::get_FilterHasMs(VARIANT_BOOL* filterHasMs) {
    return HandOutValue(ToVariantBool(settings_.filterHasMs), filterHasMs);
}
HRESULT GPFeatureClassDomain::get_IncludeHasMs(VARIANT_BOOL* includeHasMs) {
    return HandOutValue(ToVariantBool(settings_.includeHasMs), includeHasMs);
}
HRESULT GPFeatureClassDomain::put_FilterHasZs(VARIANT_BOOL filterHasZs, VARIANT_BOOL includeHasZs) {
    settings_.filterHasZs = IsTrue(filterHasZs);
    settings_.includeHasZs = IsTrue(includeHasZs);
    SetDirty();
    return S_OK;
}
HRESULT GPFeatureClassDomain::get_FilterHasZs(VARIANT_BOOL* filterHasZs) {
    return HandOutValue(ToVariantBool(settings_.filterHasZs), filterHasZs);
}
HRESULT GPFeatureClassDomain::get_IncludeHasZs(VARIANT_BOOL* includeHasZs) {
    return HandOutValue(ToVariantBool(settings_.includeHasZs), includeHasZs);
}

// ---- versions and filters ----

HRESULT GPFeatureClassDomain::IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) {
    return HandOutValue(ToVariantBool(docVersion != 0), supported);
}

HRESULT GPFeatureClassDomain::ConvertToSupportedObject(int32_t docVersion, IUnknown** replacement) {
    if (HRESULT hr = ClearOut(replacement); FAILED(hr))
        return hr;
    return docVersion != 0 ? SelfAsSupportedObject(static_cast<IGPDomain*>(this), replacement) : S_OK;
}

HRESULT GPFeatureClassDomain::get_OpenGxObjectFilters(IArray** filters) {
    return guard([&]() -> HRESULT {
        std::vector<String> identifiers;
        if (settings_.shapeTypes.Empty())
            identifiers.push_back(FeatureClassBrowseFilter(taviGeometryNull));
        for (int32_t shapeType : settings_.shapeTypes.Codes())
            identifiers.push_back(FeatureClassBrowseFilter(shapeType));
        return HandOutBrowseFilters(std::vector<std::u16string_view>(identifiers.begin(), identifiers.end()), filters);
    });
}

// ---- IClone ----

HRESULT GPFeatureClassDomain::Assign(IClone* source) {
    auto* other = dynamic_cast<GPFeatureClassDomain*>(source);
    if (!other)
        return E_INVALIDARG;
    if (other == this)
        return S_OK;
    return guard([&] {
        settings_ = other->settings_;
        SetDirty();
    });
}

HRESULT GPFeatureClassDomain::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    auto* domain = dynamic_cast<GPFeatureClassDomain*>(other);
    *equal = ToVariantBool(domain && domain->settings_ == settings_);
    return S_OK;
}

// ---- stream form ----

HRESULT GPFeatureClassDomain::SaveContent(IStream* stream, uint16_t) {
    if (FAILED(settings_.shapeTypes.Save(stream)) || FAILED(settings_.featureTypes.Save(stream)) ||
        FAILED(settings_.thirdTypes.Save(stream)))
        return E_FAIL;
    for (bool flag : {settings_.filterIndex, settings_.filterIndexType, settings_.filterHasMs, settings_.includeHasMs,
                      settings_.filterHasZs, settings_.includeHasZs})
        if (FAILED(AfStreamWrite(stream, static_cast<int16_t>(flag))))
            return E_FAIL;
    return S_OK;
}

HRESULT GPFeatureClassDomain::LoadContent(IStream* stream, uint16_t) {
    if (FAILED(settings_.shapeTypes.Load(stream)) || FAILED(settings_.featureTypes.Load(stream)) ||
        FAILED(settings_.thirdTypes.Load(stream)))
        return E_FAIL;
    for (bool* flag : {&settings_.filterIndex, &settings_.filterIndexType, &settings_.filterHasMs,
                       &settings_.includeHasMs, &settings_.filterHasZs, &settings_.includeHasZs}) {
        int16_t read = 0;
        if (FAILED(AfStreamRead(stream, &read)))
            return E_FAIL;
        *flag = read != 0;
    }
    return S_OK;
}

// ---- XML form ----

HRESULT GPFeatureClassDomain::SerializeContent(IXMLSerializeData* data) {
    if (!settings_.shapeTypes.Empty())
        if (HRESULT hr = AddStringArray(
                data, kTypeArray, TextsOfCodes(settings_.shapeTypes, &GeoprocessingUtil::ConvertGeometryTypeToString));
            FAILED(hr))
            return hr;
    if (!settings_.featureTypes.Empty())
        if (HRESULT hr =
                AddStringArray(data, kFeatureTypeArray,
                               TextsOfCodes(settings_.featureTypes, &GeoprocessingUtil::ConvertFeatureTypeToString));
            FAILED(hr))
            return hr;
    if (!settings_.thirdTypes.Empty())
        if (HRESULT hr = AddStringArray(data, kTypeArray, TextsOfCodes(settings_.thirdTypes, &ThirdTypeText));
            FAILED(hr))
            return hr;
    if (HRESULT hr =
            AddFlagPair(data, u"FilterIndex", settings_.filterIndex, u"FilterIndexType", settings_.filterIndexType);
        FAILED(hr))
        return hr;
    if (HRESULT hr = AddFlagPair(data, u"FilterHasMs", settings_.filterHasMs, u"IncludeHasMs", settings_.includeHasMs);
        FAILED(hr))
        return hr;
    return AddFlagPair(data, u"FilterHasZs", settings_.filterHasZs, u"IncludeHasZs", settings_.includeHasZs);
}

HRESULT GPFeatureClassDomain::DeserializeContent(IXMLSerializeData* data) {
    // Two "TypeArray" elements: the shape types, then the third list. A document without shape types but with a
    // third list cannot tell them apart; the first is taken as shape types when its texts name geometry types.
    auto [first, second] = TypeArrayIndexes(data);
    int32_t featureIndex = -1;
    data->Find(kFeatureTypeArray, &featureIndex);
    if (FAILED(ReadCodeArray(data, first, &GeometryTypeFromText, &settings_.shapeTypes))) {
        if (second >= 0 || FAILED(ReadCodeArray(data, first, &ThirdTypeFromText, &settings_.thirdTypes)))
            return E_FAIL;
        settings_.shapeTypes.Clear();
    } else if (FAILED(ReadCodeArray(data, second, &ThirdTypeFromText, &settings_.thirdTypes))) {
        return E_FAIL;
    }
    if (FAILED(ReadCodeArray(data, featureIndex, &FeatureTypeFromText, &settings_.featureTypes)))
        return E_FAIL;
    for (auto [name, flag] :
         {std::pair{u"FilterIndex", &settings_.filterIndex}, std::pair{u"FilterIndexType", &settings_.filterIndexType},
          std::pair{u"FilterHasMs", &settings_.filterHasMs}, std::pair{u"IncludeHasMs", &settings_.includeHasMs},
          std::pair{u"FilterHasZs", &settings_.filterHasZs}, std::pair{u"IncludeHasZs", &settings_.includeHasZs}})
        if (FAILED(ReadOptionalBoolean(data, name, flag)))
            return E_FAIL;
    return S_OK;
}

} // namespace tavi
