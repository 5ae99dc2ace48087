// GPFieldDomain: membership of fields, the fields of data that pass, and the stream and XML forms.
#include "domains/GPFieldDomain.h"

#include "host/CreateInstance.h"
#include "host/GPValue.h"
#include "host/Message.h"
#include "host/ObjectArray.h"
#include "host/StreamIO.h"
#include "host/TypeTexts.h"
#include "platform/BStr.h"
#include "platform/HandOut.h"

#include <iterator>

namespace tavi {

namespace {

constexpr int32_t kNotAFieldCode = 309;
constexpr int32_t kWrongTypeCode = 3911;
constexpr int32_t kExcludedCode = 3913;

// The version written for each document version, oldest first: useRasterFields is stored from the newest on.
constexpr int16_t kSaveVersions[] = {3, 3, 3, 3, 3, 4};

constexpr const OLECHAR* kTypeArray = u"TypeArray";
constexpr const OLECHAR* kKeyFieldArray = u"KeyFieldArray";
constexpr const OLECHAR* kExcludeFieldArray = u"ExcludeFieldArray";

HRESULT HandOutName(const NameList& names, int32_t index, BSTR* name) {
    if (!name)
        return E_POINTER;
    if (index < 0 || static_cast<size_t>(index) >= names.size())
        return E_INVALIDARG;
    return HandOut(names[index], name);
}

} // namespace

// ---- membership ----

int32_t GPFieldDomain::FieldVerdict(std::u16string_view name, int32_t type) const {
    if (FindNoCase(settings_.keyFields, name) >= 0)
        return 0;
    if (FindNoCase(settings_.excludeFields, name) >= 0)
        return kExcludedCode;
    if (settings_.types.Empty() || settings_.types.Contains(type))
        return 0;
    return kWrongTypeCode;
}

HRESULT GPFieldDomain::VerdictMessage(int32_t code, IGPMessage** message) const {
    if (code == kExcludedCode)
        return MakeVerdict(code, JoinAlternatives(settings_.excludeFields), message);
    return MakeVerdict(code, JoinAlternatives(TextsOfCodes(settings_.types, &TextOrNumberOf<&GetFieldType>)), message);
}

HRESULT GPFieldDomain::MemberOf(IGPValue* value, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPValue> actual;
        if (HRESULT hr = UnpackValue(value, actual.Out()); FAILED(hr))
            return hr;
        auto field = QueryAs<IField>(actual.Get());
        if (!field)
            return SUCCEEDED(MakeVerdict(kNotAFieldCode, {}, message)) ? S_FALSE : E_FAIL;
        BStr name;
        int32_t type = 0;
        if (HRESULT hr = field->get_Name(name.Out()); FAILED(hr))
            return hr;
        if (HRESULT hr = field->get_Type(&type); FAILED(hr))
            return hr;
        const int32_t code = FieldVerdict(name.view(), type);
        if (code == 0)
            return SUCCEEDED(MakeEmptyMessage(message)) ? S_OK : E_FAIL;
        return SUCCEEDED(VerdictMessage(code, message)) ? S_FALSE : E_FAIL;
    });
}

// ---- the fields of data ----

HRESULT GPFieldDomain::AddKeyFieldsTo(IArray* fields) const {
    for (const String& name : settings_.keyFields) {
        ComPtr<IFieldEdit> field;
        if (HRESULT hr = AfCreateInstance(CLSID_Field, nullptr, CLSCTX_INPROC_SERVER, IFieldEdit::iid, field.OutVoid());
            FAILED(hr))
            return hr;
        const BStr text(name);
        if (HRESULT hr = field->put_Name(text.c_str()); FAILED(hr))
            return hr;
        if (HRESULT hr = field->put_AliasName(text.c_str()); FAILED(hr))
            return hr;
        if (HRESULT hr = fields->Add(field.Get()); FAILED(hr))
            return hr;
    }
    return S_OK;
}

HRESULT GPFieldDomain::AddAllowedFieldsTo(IFields* source, IArray* fields) const {
    int32_t count = 0;
    if (HRESULT hr = source->get_FieldCount(&count); FAILED(hr))
        return hr;
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IField> field;
        if (HRESULT hr = source->get_Field(i, field.Out()); FAILED(hr))
            return hr;
        BStr name;
        int32_t type = 0;
        if (FAILED(field->get_Name(name.Out())) || FAILED(field->get_Type(&type)))
            return E_FAIL;
        if (FieldVerdict(name.view(), type) == 0)
            if (HRESULT hr = fields->Add(field.Get()); FAILED(hr))
                return hr;
    }
    return S_OK;
}

HRESULT GPFieldDomain::GetFields(IGPValue* value, IArray** fields) {
    if (HRESULT hr = ClearOut(fields); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPValue> actual;
        if (HRESULT hr = UnpackValue(value, actual.Out()); FAILED(hr))
            return hr;
        if (!actual)
            return E_INVALIDARG;
        ComPtr<IGPUtilities> utilities;
        if (HRESULT hr = GetUtilities(&utilities); FAILED(hr))
            return hr;
        ComPtr<IFields> source;
        HRESULT result = settings_.useRasterFields ? utilities->GetFieldsWithRaster(actual.Get(), source.Out())
                                                   : utilities->GetFields(actual.Get(), source.Out());
        if (FAILED(result) || !source)
            return result;
        ComPtr<IArray> array;
        if (HRESULT hr = CreateObjectArray(IArray::iid, array.OutVoid()); FAILED(hr))
            return hr;
        if (HRESULT hr = AddKeyFieldsTo(array.Get()); FAILED(hr))
            return hr;
        if (HRESULT hr = AddAllowedFieldsTo(source.Get(), array.Get()); FAILED(hr))
            return hr;
        *fields = array.Detach();
        return result;
    });
}

// ---- IGPFieldDomain lists and flags ----

HRESULT GPFieldDomain::get_FieldTypeCount(int32_t* count) {
    return HandOutValue(settings_.types.Count(), count);
}

HRESULT GPFieldDomain::get_FieldType(int32_t index, int32_t* fieldType) {
    if (!fieldType)
        return E_POINTER;
    if (!settings_.types.IsIndex(index))
        return E_INVALIDARG;
    *fieldType = settings_.types.At(index);
    return S_OK;
}

HRESULT GPFieldDomain::AddType(int32_t fieldType) {
    return guard([&] {
        settings_.types.Add(fieldType);
        SetDirty();
    });
}

HRESULT GPFieldDomain::RemoveType(int32_t fieldType) {
    return guard([&] {
        settings_.types.Remove(fieldType);
        SetDirty();
    });
}

HRESULT GPFieldDomain::put_FilterIndex(VARIANT_BOOL filterIndex, int16_t filterIndexType) {
    settings_.filterIndex = IsTrue(filterIndex);
    settings_.filterIndexType = filterIndexType;
    SetDirty();
    return S_OK;
}

HRESULT GPFieldDomain::get_FilterIndex(VARIANT_BOOL* filterIndex) {
    return HandOutValue(ToVariantBool(settings_.filterIndex), filterIndex);
}

HRESULT GPFieldDomain::get_FilterIndexType(int16_t* filterIndexType) {
    return HandOutValue(settings_.filterIndexType, filterIndexType);
}

HRESULT GPFieldDomain::get_KeyFieldCount(int32_t* count) {
    return HandOutValue(static_cast<int32_t>(settings_.keyFields.size()), count);
}

HRESULT GPFieldDomain::get_KeyField(int32_t index, BSTR* name) {
    return guard([&] { return HandOutName(settings_.keyFields, index, name); });
}

HRESULT GPFieldDomain::AddKeyField(const OLECHAR* name) {
    return guard([&] {
        settings_.keyFields.emplace_back(name ? name : u"");
        SetDirty();
    });
}

HRESULT GPFieldDomain::RemoveKeyField(int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= settings_.keyFields.size())
        return E_INVALIDARG;
    settings_.keyFields.erase(settings_.keyFields.begin() + index);
    SetDirty();
    return S_OK;
}

HRESULT GPFieldDomain::get_ExcludeFieldCount(int32_t* count) {
    return HandOutValue(static_cast<int32_t>(settings_.excludeFields.size()), count);
}

HRESULT GPFieldDomain::get_ExcludeField(int32_t index, BSTR* name) {
    return guard([&] { return HandOutName(settings_.excludeFields, index, name); });
}

HRESULT GPFieldDomain::AddExcludeField(const OLECHAR* name) {
    return guard([&] {
        settings_.excludeFields.emplace_back(name ? name : u"");
        SetDirty();
    });
}

HRESULT GPFieldDomain::RemoveExcludeField(int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= settings_.excludeFields.size())
        return E_INVALIDARG;
    settings_.excludeFields.erase(settings_.excludeFields.begin() + index);
    SetDirty();
    return S_OK;
}

HRESULT GPFieldDomain::get_UseRasterFields(VARIANT_BOOL* use) {
    return HandOutValue(ToVariantBool(settings_.useRasterFields), use);
}

HRESULT GPFieldDomain::put_UseRasterFields(VARIANT_BOOL use) {
    settings_.useRasterFields = IsTrue(use);
    return S_OK;
}

// ---- versions ----

HRESULT GPFieldDomain::IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) {
    return HandOutValue(ToVariantBool(docVersion >= 0), supported);
}

HRESULT GPFieldDomain::ConvertToSupportedObject(int32_t docVersion, IUnknown** replacement) {
    if (HRESULT hr = ClearOut(replacement); FAILED(hr))
        return hr;
    return docVersion >= 0 ? SelfAsSupportedObject(static_cast<IGPDomain*>(this), replacement) : S_OK;
}

// ---- IClone ----

HRESULT GPFieldDomain::Assign(IClone* source) {
    auto* other = dynamic_cast<GPFieldDomain*>(source);
    if (!other)
        return E_INVALIDARG;
    if (other == this)
        return S_OK;
    return guard([&] {
        settings_ = other->settings_;
        SetDirty();
    });
}

HRESULT GPFieldDomain::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    auto* domain = dynamic_cast<GPFieldDomain*>(other);
    *equal = ToVariantBool(domain && domain->settings_ == settings_);
    return S_OK;
}

// ---- stream form ----

int32_t GPFieldDomain::SaveVersionFor(IStream* stream) {
    return AfStreamGetSaveVersion(AfStreamGetDocumentVersion(stream), std::size(kSaveVersions), kSaveVersions);
}

HRESULT GPFieldDomain::SaveContent(IStream* stream, uint16_t version) {
    if (FAILED(settings_.types.Save(stream)) ||
        FAILED(AfStreamWrite(stream, static_cast<int16_t>(settings_.filterIndex))) ||
        FAILED(AfStreamWrite(stream, settings_.filterIndexType)) || FAILED(SaveNames(stream, settings_.keyFields)) ||
        FAILED(SaveNames(stream, settings_.excludeFields)))
        return E_FAIL;
    if (version >= 4 && FAILED(AfStreamWrite(stream, static_cast<int16_t>(settings_.useRasterFields))))
        return E_FAIL;
    return S_OK;
}

HRESULT GPFieldDomain::LoadContent(IStream* stream, uint16_t version) {
    int16_t filterIndex = 0;
    if (FAILED(settings_.types.Load(stream)) || FAILED(AfStreamRead(stream, &filterIndex)) ||
        FAILED(AfStreamRead(stream, &settings_.filterIndexType)))
        return E_FAIL;
    settings_.filterIndex = filterIndex != 0;
    if (version > 1 && FAILED(LoadNames(stream, &settings_.keyFields)))
        return E_FAIL;
    if (version > 2 && FAILED(LoadNames(stream, &settings_.excludeFields)))
        return E_FAIL;
    if (version >= 4) {
        int16_t useRasterFields = 0;
        if (FAILED(AfStreamRead(stream, &useRasterFields)))
            return E_FAIL;
        settings_.useRasterFields = useRasterFields != 0;
    }
    return S_OK;
}

// A read starts from the current state, so what an older form does not store keeps its value; the lists a form
// stores are replaced, never appended to.
HRESULT GPFieldDomain::RunStaged(bool, const StagedRead& read) {
    return StageRead(this, true, read);
}

// ---- XML form ----

HRESULT GPFieldDomain::SerializeContent(IXMLSerializeData* data) {
    if (!settings_.types.Empty())
        if (HRESULT hr =
                AddStringArray(data, kTypeArray, TextsOfCodes(settings_.types, &TextOrNumberOf<&GetFieldType>));
            FAILED(hr))
            return hr;
    if (!settings_.keyFields.empty())
        if (HRESULT hr = AddStringArray(data, kKeyFieldArray, settings_.keyFields); FAILED(hr))
            return hr;
    if (!settings_.excludeFields.empty())
        if (HRESULT hr = AddStringArray(data, kExcludeFieldArray, settings_.excludeFields); FAILED(hr))
            return hr;
    if (HRESULT hr = data->AddBoolean(u"FilterIndex", ToVariantBool(settings_.filterIndex)); FAILED(hr))
        return hr;
    if (HRESULT hr = data->AddBoolean(u"FilterIndexType", ToVariantBool(settings_.filterIndexType != 0)); FAILED(hr))
        return hr;
    return data->AddBoolean(u"UseRasterFields", ToVariantBool(settings_.useRasterFields));
}

HRESULT GPFieldDomain::DeserializeContent(IXMLSerializeData* data) {
    NameList typeTexts;
    if (FAILED(ReadStringArray(data, kTypeArray, &typeTexts)) ||
        FAILED(CodesFromTexts(typeTexts, &CodeOfTextOrNumber<&FieldTypeFromText>, &settings_.types)) ||
        FAILED(ReadStringArray(data, kKeyFieldArray, &settings_.keyFields)) ||
        FAILED(ReadStringArray(data, kExcludeFieldArray, &settings_.excludeFields)))
        return E_FAIL;
    bool filterIndexType = false;
    if (FAILED(ReadOptionalBoolean(data, u"FilterIndex", &settings_.filterIndex)) ||
        FAILED(ReadOptionalBoolean(data, u"FilterIndexType", &filterIndexType)) ||
        FAILED(ReadOptionalBoolean(data, u"UseRasterFields", &settings_.useRasterFields)))
        return E_FAIL;
    settings_.filterIndexType = filterIndexType ? 1 : 0;
    return S_OK;
}

} // namespace tavi
