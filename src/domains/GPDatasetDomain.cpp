// GPDatasetDomain: finding the dataset a value or layer stands for, the type test, membership, matching children,
// browse filters, copies and the stored forms.
#include "domains/GPDatasetDomain.h"

#include "host/Message.h"
#include "host/StreamIO.h"
#include "host/TypeTexts.h"
#include "platform/HandOut.h"
#include "values/BrowseFilters.h"

namespace tavi {

namespace {

constexpr const OLECHAR* kTypeArrayElement = u"TypeArray";
constexpr const OLECHAR* kFilterVersioned = u"FilterVersioned";
constexpr const OLECHAR* kFilterVersionedType = u"FilterVersionedType";
constexpr const OLECHAR* kFilterCanVersion = u"FilterCanVersion";
constexpr const OLECHAR* kFilterCanVersionType = u"FilterCanVersionType";

VARIANT_BOOL AsFlag(int32_t value) {
    return ToVariantBool(value != 0);
}

// Whether `read` gives a flag equal to `required`; a flag that cannot be read is not.
template <class Getter> bool FlagIs(Getter read, VARIANT_BOOL required) {
    VARIANT_BOOL flag = VARIANT_FALSE;
    return SUCCEEDED(read(&flag)) && IsTrue(flag) == IsTrue(required);
}

// The layer a holder holds. A holder without one has its data element readied by the utility object (with listing
// settings at every depth), which may make the layer; it is then asked again. Null when there is still none.
ComPtr<IGPLayer> HeldLayer(IGPLayerHolder* holder) {
    ComPtr<IGPLayer> layer;
    if (SUCCEEDED(holder->get_Layer(layer.Out())) && layer)
        return layer;
    ComPtr<IDataElement> element;
    ComPtr<IGPUtilities> utilities;
    ComPtr<IDEListingOptions> options;
    if (SUCCEEDED(holder->get_DataElement(element.Out())) && element && SUCCEEDED(GetUtilities(&utilities)) &&
        SUCCEEDED(NewListingOptions(false, &options)))
        utilities->PrepareDataElement(element.Get(), options.Get());
    layer.Reset();
    if (FAILED(holder->get_Layer(layer.Out())))
        layer.Reset();
    return layer;
}

// An int16 flag of the stream form.
HRESULT ReadFlag(IStream* stream, VARIANT_BOOL* flag) {
    int16_t value = 0;
    if (FAILED(AfStreamRead(stream, &value)))
        return E_FAIL;
    *flag = AsFlag(value);
    return S_OK;
}

// A boolean element of the XML form: false when absent, E_FAIL when it cannot be read.
HRESULT ReadXmlFlag(IXMLSerializeData* data, const OLECHAR* name, VARIANT_BOOL* flag) {
    bool read = false;
    if (FAILED(ReadOptionalBoolean(data, name, &read)))
        return E_FAIL;
    *flag = ToVariantBool(read);
    return S_OK;
}

} // namespace

bool GPDatasetDomain::PassesTypeTest(IDEDataset4* dataset) const {
    int32_t type = 0;
    if (FAILED(dataset->get_DatasetType(&type)))
        return false;
    if (type != 0 && !state_.types.Empty() && !state_.types.Contains(type))
        return false;
    if (IsTrue(state_.filterCanVersion) &&
        !FlagIs([&](VARIANT_BOOL* flag) { return dataset->get_CanVersion(flag); }, state_.filterCanVersionType))
        return false;
    if (IsTrue(state_.filterVersioned) &&
        !FlagIs([&](VARIANT_BOOL* flag) { return dataset->get_Versioned(flag); }, state_.filterVersionedType))
        return false;
    return true;
}

HRESULT GPDatasetDomain::FindDataset(IGPValue* value, ComPtr<IDEDataset4>* dataset, bool* featureLayer) {
    *featureLayer = false;
    if (!value)
        return S_OK;
    if ((*dataset = QueryAs<IDEDataset4>(value)))
        return S_OK;
    ComPtr<IGPLayer> layer;
    if (auto holder = QueryAs<IGPLayerHolder>(value))
        layer = HeldLayer(holder.Get());
    else
        layer = QueryAs<IGPLayer>(value);
    if (!layer)
        return S_OK;
    ComPtr<IDataElement> element;
    if (SUCCEEDED(layer->get_DataElement(element.Out())))
        *dataset = QueryAs<IDEDataset4>(element.Get());
    if (!*dataset)
        *featureLayer = bool(QueryAs<IGPFeatureLayer>(layer.Get()));
    return S_OK;
}

// --- IGPDomain ---

HRESULT GPDatasetDomain::MemberOf(IGPValue* value, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPValue> actual;
        if (value)
            if (HRESULT hr = UnpackValue(value, actual.Out()); FAILED(hr))
                return hr;
        ComPtr<IDEDataset4> dataset;
        bool featureLayer = false;
        if (HRESULT hr = FindDataset(actual.Get(), &dataset, &featureLayer); FAILED(hr))
            return hr;
        int32_t code = 0;
        if (!dataset && !featureLayer)
            code = kNoDatasetCode;
        else if (dataset && !PassesTypeTest(dataset.Get()))
            code = kWrongTypeCode;
        if (FAILED(code ? MakeErrorMessage(code, message) : MakeEmptyMessage(message)))
            return E_FAIL;
        return code ? S_FALSE : S_OK;
    });
}

// --- IGPDatasetDomain ---

HRESULT GPDatasetDomain::get_TypeCount(int32_t* count) {
    return HandOutValue(state_.types.Count(), count);
}

HRESULT GPDatasetDomain::get_Type(int32_t index, int32_t* type) {
    if (!type)
        return E_POINTER;
    if (!state_.types.IsIndex(index))
        return E_INVALIDARG;
    *type = state_.types.At(index);
    return S_OK;
}

HRESULT GPDatasetDomain::AddType(int32_t type) {
    return guard([&] {
        state_.types.Add(type);
        SetDirty();
    });
}

HRESULT GPDatasetDomain::RemoveType(int32_t type) {
    state_.types.Remove(type);
    SetDirty();
    return S_OK;
}

HRESULT GPDatasetDomain::GetMatchingChildren(IGPValue* value, IArray** children) {
    if (HRESULT hr = ClearOut(children); FAILED(hr))
        return hr;
    if (!value)
        return E_POINTER;
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
                auto dataset = QueryAs<IDEDataset4>(child);
                return dataset && PassesTypeTest(dataset.Get());
            },
            children);
    });
}

HRESULT GPDatasetDomain::put_FilterVersioned(VARIANT_BOOL check, VARIANT_BOOL required) {
    state_.filterVersioned = AsFlag(check);
    state_.filterVersionedType = AsFlag(required);
    SetDirty();
    return S_OK;
}

HRESULT GPDatasetDomain::get_FilterVersioned(VARIANT_BOOL* check) {
    return HandOutValue(state_.filterVersioned, check);
}

HRESULT GPDatasetDomain::get_FilterVersionedType(VARIANT_BOOL* required) {
    return HandOutValue(state_.filterVersionedType, required);
}

HRESULT GPDatasetDomain::put_FilterCanVersion(VARIANT_BOOL check, VARIANT_BOOL required) {
    state_.filterCanVersion = AsFlag(check);
    state_.filterCanVersionType = AsFlag(required);
    SetDirty();
    return S_OK;
}

HRESULT GPDatasetDomain::get_FilterCanVersion(VARIANT_BOOL* check) {
    return HandOutValue(state_.filterCanVersion, check);
}

HRESULT GPDatasetDomain::get_FilterCanVersionType(VARIANT_BOOL* required) {
    return HandOutValue(state_.filterCanVersionType, required);
}

// --- IGxFilterInfo ---

HRESULT GPDatasetDomain::get_OpenGxObjectFilters(IArray** filters) {
    if (!filters)
        return E_POINTER;
    return guard([&] {
        std::vector<std::u16string_view> named;
        for (int32_t i = 0; i < state_.types.Count(); ++i)
            named.push_back(DatasetBrowseFilter(state_.types.At(i)));
        return HandOutBrowseFilters(named, filters);
    });
}

// --- IClone ---

HRESULT GPDatasetDomain::Assign(IClone* source) {
    auto other = QueryAs<IGPDatasetDomain>(source);
    if (!other)
        return E_INVALIDARG;
    return guard([&]() -> HRESULT {
        auto codes = ReadTypeCodes(other.Get());
        if (!codes)
            return E_FAIL;
        State merged = state_;
        for (int32_t code : *codes)
            merged.types.Add(code);
        VARIANT_BOOL* flags[] = {&merged.filterVersioned, &merged.filterVersionedType, &merged.filterCanVersion,
                                 &merged.filterCanVersionType};
        if (FAILED(other->get_FilterVersioned(flags[0])) || FAILED(other->get_FilterVersionedType(flags[1])) ||
            FAILED(other->get_FilterCanVersion(flags[2])) || FAILED(other->get_FilterCanVersionType(flags[3])))
            return E_FAIL;
        for (VARIANT_BOOL* flag : flags)
            *flag = AsFlag(*flag);
        std::swap(state_, merged);
        SetDirty();
        return S_OK;
    });
}

HRESULT GPDatasetDomain::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&] {
        auto domain = QueryAs<IGPDatasetDomain>(other);
        auto codes = ReadTypeCodes(domain.Get());
        if (!codes || static_cast<int32_t>(codes->size()) != state_.types.Count())
            return;
        for (int32_t code : *codes)
            if (!state_.types.Contains(code))
                return;
        if (!FlagIs([&](VARIANT_BOOL* flag) { return domain->get_FilterVersioned(flag); }, state_.filterVersioned) ||
            !FlagIs([&](VARIANT_BOOL* flag) { return domain->get_FilterVersionedType(flag); },
                    state_.filterVersionedType) ||
            !FlagIs([&](VARIANT_BOOL* flag) { return domain->get_FilterCanVersion(flag); }, state_.filterCanVersion) ||
            !FlagIs([&](VARIANT_BOOL* flag) { return domain->get_FilterCanVersionType(flag); },
                    state_.filterCanVersionType))
            return;
        *equal = VARIANT_TRUE;
    });
}

// --- stored forms ---

HRESULT GPDatasetDomain::SaveContent(IStream* stream, uint16_t) {
    if (FAILED(state_.types.Save(stream)))
        return E_FAIL;
    for (VARIANT_BOOL flag :
         {state_.filterVersioned, state_.filterVersionedType, state_.filterCanVersion, state_.filterCanVersionType})
        if (FAILED(AfStreamWrite(stream, static_cast<int16_t>(flag))))
            return E_FAIL;
    return S_OK;
}

HRESULT GPDatasetDomain::LoadContent(IStream* stream, uint16_t) {
    if (FAILED(state_.types.Load(stream)))
        return E_FAIL;
    for (VARIANT_BOOL* flag :
         {&state_.filterVersioned, &state_.filterVersionedType, &state_.filterCanVersion, &state_.filterCanVersionType})
        if (FAILED(ReadFlag(stream, flag)))
            return E_FAIL;
    return S_OK;
}

HRESULT GPDatasetDomain::SerializeContent(IXMLSerializeData* data) {
    HRESULT hr = S_OK;
    if (!state_.types.Empty() &&
        FAILED(hr = AddStringArray(data, kTypeArrayElement,
                                   TextsOfCodes(state_.types, &TextOrNumberOf<&DatasetTypeText>))))
        return hr;
    if (IsTrue(state_.filterVersioned) &&
        (FAILED(hr = data->AddBoolean(kFilterVersioned, state_.filterVersioned)) ||
         FAILED(hr = data->AddBoolean(kFilterVersionedType, state_.filterVersionedType))))
        return hr;
    if (IsTrue(state_.filterCanVersion) &&
        (FAILED(hr = data->AddBoolean(kFilterCanVersion, state_.filterCanVersion)) ||
         FAILED(hr = data->AddBoolean(kFilterCanVersionType, state_.filterCanVersionType))))
        return hr;
    return S_OK;
}

HRESULT GPDatasetDomain::DeserializeContent(IXMLSerializeData* data) {
    NameList texts;
    if (FAILED(ReadStringArray(data, kTypeArrayElement, &texts)) ||
        FAILED(CodesFromTexts(texts, &CodeOfTextOrNumber<&DatasetTypeFromText>, &state_.types)) ||
        FAILED(ReadXmlFlag(data, kFilterVersioned, &state_.filterVersioned)) ||
        FAILED(ReadXmlFlag(data, kFilterVersionedType, &state_.filterVersionedType)) ||
        FAILED(ReadXmlFlag(data, kFilterCanVersion, &state_.filterCanVersion)) ||
        FAILED(ReadXmlFlag(data, kFilterCanVersionType, &state_.filterCanVersionType)))
        return E_FAIL;
    return S_OK;
}

HRESULT GPDatasetDomain::RunStaged(bool fromCurrent, const StagedRead& read) {
    return StageState(this, &GPDatasetDomain::state_, fromCurrent, read);
}

} // namespace tavi
