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
    if (FindNoCase(keyFields_, name) >= 0)
        return 0;
    if (FindNoCase(excludeFields_, name) >= 0)
        return kExcludedCode;
    if (types_.Empty() || types_.Contains(type))
        return 0;
    return kWrongTypeCode;
}

HRESULT GPFieldDomain::VerdictMessage(int32_t code, IGPMessage** message) const {
    if (code == kExcludedCode)
        return MakeVerdict(code, JoinAlternatives(excludeFields_), message);
    return MakeVerdict(code, JoinAlternatives(TextsOfCodes(types_, &TextOrNumberOf<&GetFieldType>)), message);
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
    for (const String& name : keyFields_) {
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
        HRESULT result = useRasterFields_ ? utilities->GetFieldsWithRaster(actual.Get(), source.Out())
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
    return HandOutValue(types_.Count(), count);
}

HRESULT GPFieldDomain::get_FieldType(int32_t index, int32_t* fieldType) {
    if (!fieldType)
        return E_POINTER;
    if (!types_.IsIndex(index))
        return E_INVALIDARG;
    *fieldType = types_.At(index);
    return S_OK;
}

HRESULT GPFieldDomain::AddType(int32_t fieldType) {
    return guard([&] {
        types_.Add(fieldType);
        SetDirty();
    });
}

HRESULT GPFieldDomain::RemoveType(int32_t fieldType) {
    return guard([&] {
        types_.Remove(fieldType);
        SetDirty();
    });
}

HRESULT GPFieldDomain::put_FilterIndex(VARIANT_BOOL filterIndex, int16_t filterIndexType) {
    filterIndex_ = IsTrue(filterIndex);
    filterIndexType_ = filterIndexType;
    SetDirty();
    return S_OK;
}

HRESULT GPFieldDomain::get_FilterIndex(VARIANT_BOOL* filterIndex) {
    return HandOutValue(ToVariantBool(filterIndex_), filterIndex);
}

HRESULT GPFieldDomain::get_FilterIndexType(int16_t* filterIndexType) {
    return HandOutValue(filterIndexType_, filterIndexType);
}

HRESULT GPFieldDomain::get_KeyFieldCount(int32_t* count) {
    return HandOutValue(static_cast<int32_t>(keyFields_.size()), count);
}

HRESULT GPFieldDomain::get_KeyField(int32_t index, BSTR* name) {
    return guard([&] { return HandOutName(keyFields_, index, name); });
}

HRESULT GPFieldDomain::AddKeyField(const OLECHAR* name) {
    return guard([&] {
        keyFields_.emplace_back(name ? name : u"");
        SetDirty();
    });
}

HRESULT GPFieldDomain::RemoveKeyField(int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= keyFields_.size())
        return E_INVALIDARG;
    keyFields_.erase(keyFields_.begin() + index);
    SetDirty();
    return S_OK;
}

HRESULT GPFieldDomain::get_ExcludeFieldCount(int32_t* count) {
    return HandOutValue(static_cast<int32_t>(excludeFields_.size()), count);
}

HRESULT GPFieldDomain::get_ExcludeField(int32_t index, BSTR* name) {
    return guard([&] { return HandOutName(excludeFields_, index, name); });
}

HRESULT GPFieldDomain::AddExcludeField(const OLECHAR* name) {
    return guard([&] {
        excludeFields_.emplace_back(name ? name : u"");
        SetDirty();
    });
}

HRESULT GPFieldDomain::RemoveExcludeField(int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= excludeFields_.size())
        return E_INVALIDARG;
    excludeFields_.erase(excludeFields_.begin() + index);
    SetDirty();
    return S_OK;
}

HRESULT GPFieldDomain::get_UseRasterFields(VARIANT_BOOL* use) {
    return HandOutValue(ToVariantBool(useRasterFields_), use);
}

HRESULT GPFieldDomain::put_UseRasterFields(VARIANT_BOOL use) {
    useRasterFields_ = IsTrue(use);
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
        types_ = other->types_;
        keyFields_ = other->keyFields_;
        excludeFields_ = other->excludeFields_;
        filterIndex_ = other->filterIndex_;
        filterIndexType_ = other->filterIndexType_;
        useRasterFields_ = other->useRasterFields_;
        SetDirty();
    });
}

HRESULT GPFieldDomain::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    auto* domain = dynamic_cast<GPFieldDomain*>(other);
    *equal =
        ToVariantBool(domain && domain->types_ == types_ && domain->keyFields_ == keyFields_ &&
                      domain->excludeFields_ == excludeFields_ && domain->filterIndex_ == filterIndex_ &&
                      domain->filterIndexType_ == filterIndexType_ && domain->useRasterFields_ == useRasterFields_);
    return S_OK;
}

// ---- stream form ----

int32_t GPFieldDomain::SaveVersionFor(IStream* stream) {
    return AfStreamGetSaveVersion(AfStreamGetDocumentVersion(stream), std::size(kSaveVersions), kSaveVersions);
}

HRESULT GPFieldDomain::SaveContent(IStream* stream, uint16_t version) {
    if (FAILED(types_.Save(stream)) || FAILED(AfStreamWrite(stream, static_cast<int16_t>(filterIndex_))) ||
        FAILED(AfStreamWrite(stream, filterIndexType_)) || FAILED(SaveNames(stream, keyFields_)) ||
        FAILED(SaveNames(stream, excludeFields_)))
        return E_FAIL;
    if (version >= 4 && FAILED(AfStreamWrite(stream, static_cast<int16_t>(useRasterFields_))))
        return E_FAIL;
    return S_OK;
}

HRESULT GPFieldDomain::LoadContent(IStream* stream, uint16_t version) {
    int16_t filterIndex = 0;
    if (FAILED(types_.Load(stream)) || FAILED(AfStreamRead(stream, &filterIndex)) ||
        FAILED(AfStreamRead(stream, &filterIndexType_)))
        return E_FAIL;
    filterIndex_ = filterIndex != 0;
    if (version > 1 && FAILED(LoadNames(stream, &keyFields_)))
        return E_FAIL;
    if (version > 2 && FAILED(LoadNames(stream, &excludeFields_)))
        return E_FAIL;
    if (version >= 4) {
        int16_t useRasterFields = 0;
        if (FAILED(AfStreamRead(stream, &useRasterFields)))
            return E_FAIL;
        useRasterFields_ = useRasterFields != 0;
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
    if (!types_.Empty())
        if (HRESULT hr = AddStringArray(data, kTypeArray, TextsOfCodes(types_, &TextOrNumberOf<&GetFieldType>));
            FAILED(hr))
            return hr;
    if (!keyFields_.empty())
        if (HRESULT hr = AddStringArray(data, kKeyFieldArray, keyFields_); FAILED(hr))
            return hr;
    if (!excludeFields_.empty())
        if (HRESULT hr = AddStringArray(data, kExcludeFieldArray, excludeFields_); FAILED(hr))
            return hr;
    if (HRESULT hr = data->AddBoolean(u"FilterIndex", ToVariantBool(filterIndex_)); FAILED(hr))
        return hr;
    if (HRESULT hr = data->AddBoolean(u"FilterIndexType", ToVariantBool(filterIndexType_ != 0)); FAILED(hr))
        return hr;
    return data->AddBoolean(u"UseRasterFields", ToVariantBool(useRasterFields_));
}

HRESULT GPFieldDomain::DeserializeContent(IXMLSerializeData* data) {
    NameList typeTexts;
    if (FAILED(ReadStringArray(data, kTypeArray, &typeTexts)) ||
        FAILED(CodesFromTexts(typeTexts, &CodeOfTextOrNumber<&FieldTypeFromText>, &types_)) ||
        FAILED(ReadStringArray(data, kKeyFieldArray, &keyFields_)) ||
        FAILED(ReadStringArray(data, kExcludeFieldArray, &excludeFields_)))
        return E_FAIL;
    bool filterIndexType = false;
    if (FAILED(ReadOptionalBoolean(data, u"FilterIndex", &filterIndex_)) ||
        FAILED(ReadOptionalBoolean(data, u"FilterIndexType", &filterIndexType)) ||
        FAILED(ReadOptionalBoolean(data, u"UseRasterFields", &useRasterFields_)))
        return E_FAIL;
    filterIndexType_ = filterIndexType ? 1 : 0;
    return S_OK;
}

} // namespace tavi
