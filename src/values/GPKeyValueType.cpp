// The key-value data type, its name and the name's pair.
#include "values/GPKeyValueType.h"

#include "frame/EnumBSTR.h"
#include "host/DocumentVersion.h"
#include "host/GPValue.h"
#include "host/Message.h"
#include "host/ObjectArray.h"
#include "host/StreamIO.h"
#include "host/XmlNamespace.h"
#include "tavi/GPDomains.h"
#include "values/GPKeyValue.h"
#include "values/GPStringType.h"

namespace tavi {

namespace {

constexpr uint64_t kFnvOffsetBasis = 14695981039346656037ull;
constexpr uint64_t kFnvPrime = 1099511628211ull;

// Documents before the current version do not know key-values.
constexpr int32_t kFirstDocumentVersion = docversion::kCurrent;

// The pattern of the verdict on a required key that holds no value; %1 is the key.
constexpr const char16_t* kRequiredKeyText = u"Required key %1 is not set.";

HRESULT HandOutNames(const KeyDeclarations& keys, IBStringArray** names) {
    if (HRESULT hr = ClearOut(names); FAILED(hr))
        return hr;
    return guard([&] {
        auto list = MakeObject<ComEnumBSTR>();
        for (int32_t i = 0; i < keys.Count(); ++i)
            list->Add(BStr(keys[i].name).Get());
        *names = static_cast<IBStringArray*>(list.Detach());
        return S_OK;
    });
}

// The domain a key's value is checked with: the composite domain's member at the key's position, or none.
ComPtr<IGPDomain> KeyDomain(IGPDomain* domain, int32_t index) {
    ComPtr<IGPDomain> member;
    if (auto domains = QueryAs<IGPCompositeDomain>(domain))
        if (FAILED(domains->get_Domain(index, member.Out())))
            member = nullptr;
    return member;
}

} // namespace

HRESULT HandOutCurrentNamespace(BSTR* namespaceURI) {
    if (!namespaceURI)
        return E_POINTER;
    *namespaceURI = MakeBSTR(c_xml_ns_tavi);
    return *namespaceURI ? S_OK : E_OUTOFMEMORY;
}

// --- the declarations ---

size_t KeyNameHash::operator()(std::u16string_view name) const noexcept {
    uint64_t hash = kFnvOffsetBasis;
    for (char16_t unit : name) {
        hash = (hash ^ (static_cast<uint64_t>(unit) & 0xFF)) * kFnvPrime;
        hash = (hash ^ (static_cast<uint64_t>(unit) >> 8)) * kFnvPrime;
    }
    return static_cast<size_t>(hash);
}

int32_t KeyDeclarations::Find(std::u16string_view name) const {
    auto found = index_.find(name);
    return found == index_.end() ? -1 : found->second;
}

bool KeyDeclarations::Add(KeyDeclaration key) {
    auto [entry, added] = index_.emplace(key.name, Count());
    if (!added)
        return false;
    try {
        keys_.push_back(std::move(key));
    } catch (...) {
        index_.erase(entry); // the index never names a key the list does not hold
        throw;
    }
    return true;
}

void KeyDeclarations::RemoveAt(int32_t index) {
    keys_.erase(keys_.begin() + index);
    Reindex(); // every later key moved down one place
}

void KeyDeclarations::Clear() {
    keys_.clear();
    index_.clear();
}

void KeyDeclarations::Reindex() {
    index_.clear();
    for (int32_t i = 0; i < Count(); ++i)
        index_.emplace(keys_[static_cast<size_t>(i)].name, i);
}

// --- the data type ---

GPKeyValueType::GPKeyValueType()
    : GPDataType({u"GPKeyValue", kDisplayNameId, kClassId, CLSID_GPKeyValue, kControlClassId, IGPKeyValueType::iid,
                  IGPKeyValue::iid}) {}

ComPtr<GPKeyValueType> GPKeyValueType::CopyOf(IUnknown* source) {
    auto copy = MakeObject<GPKeyValueType>();
    if (FAILED(copy->Assign(QueryAs<IClone>(source).Get())))
        return {};
    return copy;
}

HRESULT GPKeyValueType::get_FullName(IName** fullName) {
    if (HRESULT hr = ClearOut(fullName); FAILED(hr))
        return hr;
    return guard([&] {
        auto name = MakeObject<GPKeyValueTypeName>();
        for (int32_t i = 0; i < keys_.Count(); ++i) {
            GPKeyValueTypeName::Entry entry{keys_[i].name, nullptr, keys_[i].required};
            ComPtr<IName> typeName;
            if (keys_[i].dataType && SUCCEEDED(keys_[i].dataType->get_FullName(typeName.Out())))
                entry.dataTypeName = QueryAs<IGPName>(typeName.Get());
            name->Add(std::move(entry));
        }
        *fullName = static_cast<IName*>(name.Detach());
        return S_OK;
    });
}

HRESULT GPKeyValueType::CreateValue(const OLECHAR* text, IGPValue** value) {
    if (HRESULT hr = ClearOut(value); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        auto made = MakeObject<GPKeyValue>();
        if (HRESULT hr = made->putref_DataType(static_cast<IGPDataType*>(this)); FAILED(hr))
            return hr;
        HRESULT hr = S_OK;
        if (text) {
            ComPtr<IGPMessage> message;
            hr = made->SetAsText(text, message.Out());
            if (FAILED(hr) || MessageIsError(message.Get()))
                hr = S_FALSE; // the value could not read the text
        }
        *value = static_cast<IGPValue*>(made.Detach());
        return hr;
    });
}

HRESULT GPKeyValueType::ValidateValue(IGPValue* value, IGPDomain* domain, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPValue> actual;
        if (HRESULT hr = UnpackValue(value, actual.Out()); FAILED(hr))
            return hr;
        auto keyValue = QueryAs<IGPKeyValue>(actual.Get());
        if (!keyValue)
            return MakeValueErrorMessage(VARIANT_FALSE, actual.Get(), message);
        auto collected = MakeObject<GPMultiMessage>();
        for (int32_t i = 0; i < keys_.Count(); ++i) {
            const KeyDeclaration& key = keys_[i];
            ComPtr<IGPValue> held;
            keyValue->get_Value(key.name.c_str(), held.Out()); // a key the value does not declare holds nothing
            ComPtr<IGPMessage> verdict;
            HRESULT hr = S_OK;
            if (held && key.dataType)
                hr = key.dataType->ValidateValue(held.Get(), KeyDomain(domain, i).Get(), verdict.Out());
            else if (!held && key.required)
                hr = MakeMessage(taviGPMessageTypeError, kRequiredKeyNotSet,
                                 FormatInserts(kRequiredKeyText, {key.name}), verdict.Out());
            else
                hr = MakeEmptyMessage(verdict.Out());
            if (FAILED(hr) && !verdict)
                return E_FAIL;
            if (verdict)
                collected->AddMessage(verdict.Get());
        }
        *message = static_cast<IGPMessage*>(collected.Detach());
        return S_OK;
    });
}

HRESULT GPKeyValueType::Assign(IClone* source) {
    auto other = QueryAs<IGPKeyValueTypeIndex>(source);
    if (!other)
        return E_INVALIDARG;
    return guard([&]() -> HRESULT {
        KeyDeclarations keys;
        int32_t count = 0;
        other->get_Count(&count);
        for (int32_t i = 0; i < count; ++i) {
            KeyDeclaration key;
            BStr name;
            VARIANT_BOOL required = VARIANT_FALSE;
            if (FAILED(other->get_Key(i, name.Out())) || FAILED(other->get_DataType(i, key.dataType.Out())) ||
                FAILED(other->get_Required(i, &required)))
                return E_FAIL;
            key.name = name.str();
            key.required = required != VARIANT_FALSE;
            if (!keys.Add(std::move(key)))
                return E_FAIL;
        }
        keys_ = std::move(keys);
        return CoreAssign(source);
    });
}

HRESULT GPKeyValueType::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    auto theirs = QueryAs<IGPKeyValueTypeIndex>(other);
    if (!theirs)
        return S_OK;
    return guard([&]() -> HRESULT {
        int32_t count = 0;
        theirs->get_Count(&count);
        if (count != keys_.Count())
            return S_OK;
        for (int32_t i = 0; i < count; ++i) {
            BStr name;
            ComPtr<IGPDataType> dataType;
            VARIANT_BOOL required = VARIANT_FALSE;
            theirs->get_Key(i, name.Out());
            theirs->get_DataType(i, dataType.Out());
            theirs->get_Required(i, &required);
            if (name.view() != keys_[i].name || (required != VARIANT_FALSE) != keys_[i].required ||
                !EqualByClone(keys_[i].dataType.Get(), dataType.Get()))
                return S_OK;
        }
        return CoreIsEqual(other, equal);
    });
}

// --- IGPKeyValueType ---

HRESULT GPKeyValueType::get_Keys(IBStringArray** names) {
    return HandOutNames(keys_, names);
}

HRESULT GPKeyValueType::AddKey(const OLECHAR* name, IGPDataType* dataType, VARIANT_BOOL required) {
    if (!name || IsSelf(dataType))
        return E_INVALIDARG;
    return guard([&] {
        return keys_.Add({name, ComPtr<IGPDataType>(dataType), required != VARIANT_FALSE}) ? S_OK : E_INVALIDARG;
    });
}

HRESULT GPKeyValueType::get_KeyDataType(const OLECHAR* name, IGPDataType** dataType) {
    if (HRESULT hr = ClearOut(dataType); FAILED(hr))
        return hr;
    return get_DataType(IndexOf(name), dataType);
}

HRESULT GPKeyValueType::RemoveKey(const OLECHAR* name) {
    return RemoveKeyAt(IndexOf(name));
}

HRESULT GPKeyValueType::RemoveAllKeys() {
    keys_.Clear();
    return S_OK;
}

HRESULT GPKeyValueType::putref_KeyDataType(const OLECHAR* name, IGPDataType* dataType) {
    int32_t index = IndexOf(name);
    if (index < 0 || IsSelf(dataType))
        return E_INVALIDARG;
    keys_[index].dataType = ComPtr<IGPDataType>(dataType); // by name a key may be left without data type
    return S_OK;
}

HRESULT GPKeyValueType::GetKeyIndex(const OLECHAR* name, int32_t* index) {
    if (!index)
        return E_INVALIDARG;
    *index = IndexOf(name);
    return *index < 0 ? E_INVALIDARG : S_OK;
}

HRESULT GPKeyValueType::get_KeyRequired(const OLECHAR* name, VARIANT_BOOL* required) {
    if (!required)
        return E_POINTER;
    return get_Required(IndexOf(name), required);
}

HRESULT GPKeyValueType::put_KeyRequired(const OLECHAR* name, VARIANT_BOOL required) {
    int32_t index = IndexOf(name);
    if (index < 0)
        return E_INVALIDARG;
    keys_[index].required = required != VARIANT_FALSE;
    return S_OK;
}

// --- IGPKeyValueTypeIndex ---

HRESULT GPKeyValueType::get_Count(int32_t* count) {
    if (!count)
        return E_POINTER;
    *count = keys_.Count();
    return S_OK;
}

HRESULT GPKeyValueType::get_Key(int32_t index, BSTR* name) {
    if (!name)
        return E_POINTER;
    *name = nullptr;
    if (!keys_.IsIndex(index))
        return E_INVALIDARG;
    return GetText(keys_[index].name, name);
}

HRESULT GPKeyValueType::Find(const OLECHAR* name, int32_t* index) {
    if (!index)
        return E_POINTER;
    *index = IndexOf(name);
    return *index < 0 ? S_FALSE : S_OK;
}

HRESULT GPKeyValueType::RemoveKeyAt(int32_t index) {
    if (!keys_.IsIndex(index))
        return E_INVALIDARG;
    return guard([&] {
        keys_.RemoveAt(index);
        return S_OK;
    });
}

HRESULT GPKeyValueType::get_DataType(int32_t index, IGPDataType** dataType) {
    if (HRESULT hr = ClearOut(dataType); FAILED(hr))
        return hr;
    if (!keys_.IsIndex(index))
        return E_INVALIDARG;
    *dataType = ComPtr<IGPDataType>(keys_[index].dataType).Detach();
    return S_OK;
}

HRESULT GPKeyValueType::putref_DataType(int32_t index, IGPDataType* dataType) {
    if (!keys_.IsIndex(index) || !dataType || IsSelf(dataType))
        return E_INVALIDARG;
    keys_[index].dataType = ComPtr<IGPDataType>(dataType);
    return S_OK;
}

HRESULT GPKeyValueType::get_Required(int32_t index, VARIANT_BOOL* required) {
    if (!required)
        return E_POINTER;
    *required = VARIANT_FALSE;
    if (!keys_.IsIndex(index))
        return E_INVALIDARG;
    *required = keys_[index].required ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT GPKeyValueType::put_Required(int32_t index, VARIANT_BOOL required) {
    if (!keys_.IsIndex(index))
        return E_INVALIDARG;
    keys_[index].required = required == VARIANT_TRUE;
    return S_OK;
}

// --- IGPValueTableType ---

HRESULT GPKeyValueType::get_Width(int32_t index, int32_t* width) {
    if (!width)
        return E_POINTER;
    *width = 0;
    return keys_.IsIndex(index) ? S_OK : E_INVALIDARG;
}

HRESULT GPKeyValueType::get_DisplayName(int32_t index, BSTR* name) {
    return get_Key(index, name);
}

HRESULT GPKeyValueType::AddDataType(IGPDataType* dataType, const OLECHAR* displayName, int32_t, IUnknown*) {
    if (IsSelf(dataType))
        return E_INVALIDARG;
    return guard([&] {
        String name = displayName && *displayName ? String(displayName) : FormatInteger("%d", keys_.Count());
        return keys_.Add({std::move(name), ComPtr<IGPDataType>(dataType), false}) ? S_OK : E_INVALIDARG;
    });
}

HRESULT GPKeyValueType::RemoveDataType(int32_t index) {
    return RemoveKeyAt(index);
}

HRESULT GPKeyValueType::get_ControlCLSID(int32_t index, IUID** control) {
    if (HRESULT hr = ClearOut(control); FAILED(hr))
        return hr;
    if (!keys_.IsIndex(index))
        return E_INVALIDARG;
    if (!keys_[index].dataType)
        return S_OK;
    return keys_[index].dataType->get_ControlCLSID(control);
}

HRESULT GPKeyValueType::put_ReadOnly(int32_t index, VARIANT_BOOL) {
    return keys_.IsIndex(index) ? S_OK : E_INVALIDARG;
}

HRESULT GPKeyValueType::get_ReadOnly(int32_t index, VARIANT_BOOL* readOnly) {
    if (!readOnly)
        return E_POINTER;
    *readOnly = VARIANT_FALSE;
    return keys_.IsIndex(index) ? S_OK : E_INVALIDARG;
}

// --- versions ---

HRESULT GPKeyValueType::IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) {
    return SupportedFromVersion(kFirstDocumentVersion, docVersion, supported);
}

HRESULT GPKeyValueType::ConvertToSupportedObject(int32_t, IUnknown** replacement) {
    if (HRESULT hr = ClearOut(replacement); FAILED(hr))
        return hr;
    return guard([&] {
        auto type = MakeObject<GPStringType>();
        *replacement = QueryAs<IUnknown>(static_cast<IGPDataType*>(type.Get())).Detach();
        return S_OK;
    });
}

HRESULT GPKeyValueType::get_MinNamespaceSupported(BSTR* namespaceURI) {
    return HandOutCurrentNamespace(namespaceURI);
}

// --- the name ---

bool GPKeyValueTypeName::Add(Entry entry) {
    for (const Entry& existing : entries_)
        if (existing.key == entry.key)
            return false;
    entries_.push_back(std::move(entry));
    dirty_ = true;
    return true;
}

HRESULT GPKeyValueTypeName::Open(IUnknown** type) {
    if (HRESULT hr = ClearOut(type); FAILED(hr))
        return hr;
    return guard([&] {
        auto made = MakeObject<GPKeyValueType>();
        for (const Entry& entry : entries_) {
            ComPtr<IUnknown> opened;
            auto name = QueryAs<IName>(entry.dataTypeName.Get());
            if (name && FAILED(name->Open(opened.Out())))
                opened = nullptr;
            made->Keys().Add({entry.key, QueryAs<IGPDataType>(opened.Get()), entry.required});
        }
        *type = static_cast<IGPDataType*>(made.Detach());
        return S_OK;
    });
}

HRESULT GPKeyValueTypeName::get_Count(int32_t* count) {
    if (!count)
        return E_POINTER;
    *count = static_cast<int32_t>(entries_.size());
    return S_OK;
}

HRESULT GPKeyValueTypeName::get_Pair(int32_t index, IGPKeyValueTypeNamePair** pair) {
    if (HRESULT hr = ClearOut(pair); FAILED(hr))
        return hr;
    if (index < 0 || static_cast<size_t>(index) >= entries_.size())
        return E_INVALIDARG;
    return guard([&] {
        auto made = MakeObject<GPKeyValueTypeNamePair>();
        made->SetFields(entries_[static_cast<size_t>(index)]);
        *pair = static_cast<IGPKeyValueTypeNamePair*>(made.Detach());
        return S_OK;
    });
}

HRESULT GPKeyValueTypeName::AddPair(IGPKeyValueTypeNamePair* pair) {
    if (!pair)
        return E_INVALIDARG;
    return guard([&]() -> HRESULT {
        Entry entry;
        BStr key;
        ComPtr<IGPDataTypeName> typeName;
        VARIANT_BOOL required = VARIANT_FALSE;
        if (FAILED(pair->get_Key(key.Out())) || FAILED(pair->get_Required(&required)))
            return E_FAIL;
        pair->get_DataTypeName(typeName.Out()); // a name that is no data type name is left out
        entry.key = key.str();
        entry.dataTypeName = QueryAs<IGPName>(typeName.Get());
        entry.required = required != VARIANT_FALSE;
        return Add(std::move(entry)) ? S_OK : E_INVALIDARG;
    });
}

HRESULT GPKeyValueTypeName::RemovePair(int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= entries_.size())
        return E_INVALIDARG;
    entries_.erase(entries_.begin() + index);
    dirty_ = true;
    return S_OK;
}

HRESULT GPKeyValueTypeName::RemoveAllPairs() {
    entries_.clear();
    dirty_ = true;
    return S_OK;
}

HRESULT GPKeyValueTypeName::Save(IStream* stream, int32_t clearDirty) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        if (FAILED(AfStreamWrite(stream, kStreamVersion)) ||
            FAILED(AfStreamWrite(stream, static_cast<int32_t>(entries_.size()))))
            return E_FAIL;
        for (const Entry& entry : entries_)
            if (FAILED(WriteString(stream, entry.key)) ||
                FAILED(SaveObject(entry.dataTypeName.Get(), stream, clearDirty != 0)) ||
                FAILED(AfStreamWrite(stream, static_cast<int16_t>(entry.required ? VARIANT_TRUE : VARIANT_FALSE))))
                return E_FAIL;
        if (clearDirty)
            dirty_ = false;
        return S_OK;
    });
}

HRESULT GPKeyValueTypeName::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        uint16_t version = 0;
        int32_t count = 0;
        if (FAILED(AfStreamRead(stream, &version)) || version == 0 || version > kStreamVersion ||
            FAILED(AfStreamRead(stream, &count)) || count < 0)
            return E_FAIL;
        auto staged = MakeObject<GPKeyValueTypeName>(); // a read that fails changes nothing
        for (int32_t i = 0; i < count; ++i) {
            Entry entry;
            int16_t required = 0;
            if (FAILED(ReadString(stream, &entry.key)) ||
                FAILED(LoadObject(stream, IGPName::iid, entry.dataTypeName.OutVoid())) ||
                FAILED(AfStreamRead(stream, &required)) || (required != VARIANT_TRUE && required != VARIANT_FALSE))
                return E_FAIL;
            entry.required = required == VARIANT_TRUE;
            if (!staged->Add(std::move(entry)))
                return E_FAIL;
        }
        entries_ = std::move(staged->entries_);
        dirty_ = false;
        return S_OK;
    });
}

HRESULT GPKeyValueTypeName::Serialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        auto array = MakeObject<ObjectArray>();
        for (const Entry& entry : entries_) {
            auto pair = MakeObject<GPKeyValueTypeNamePair>();
            pair->SetFields(entry);
            array->Add(static_cast<IGPKeyValueTypeNamePair*>(pair.Get()));
        }
        HRESULT hr = data->put_TypeName(kClassName);
        if (SUCCEEDED(hr))
            hr = data->put_TypeNamespaceURI(c_xml_ns_tavi);
        if (SUCCEEDED(hr))
            hr = data->AddObjectArray(u"KeyValueTypeNamePairs", static_cast<IArray*>(array.Get()),
                                      u"GPKeyValueTypeNamePair", c_xml_ns_tavi);
        return hr;
    });
}

HRESULT GPKeyValueTypeName::Deserialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        std::vector<ComPtr<IUnknown>> elements;
        if (HRESULT hr = ReadXmlObjectArray(data, u"KeyValueTypeNamePairs", u"ArrayOfGPKeyValueTypeNamePair", elements);
            FAILED(hr))
            return hr;
        auto staged = MakeObject<GPKeyValueTypeName>();
        for (const auto& element : elements) {
            auto pair = QueryAs<IGPKeyValueTypeNamePair>(element.Get());
            if (!pair || staged->AddPair(pair.Get()) != S_OK)
                return E_FAIL;
        }
        entries_ = std::move(staged->entries_);
        dirty_ = true;
        return S_OK;
    });
}

HRESULT GPKeyValueTypeName::IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) {
    return SupportedFromVersion(kFirstDocumentVersion, docVersion, supported);
}

HRESULT GPKeyValueTypeName::ConvertToSupportedObject(int32_t, IUnknown** replacement) {
    if (HRESULT hr = ClearOut(replacement); FAILED(hr))
        return hr;
    return guard([&] {
        ComPtr<IName> name;
        if (SUCCEEDED(MakeObject<GPStringType>()->get_FullName(name.Out())))
            *replacement = QueryAs<IUnknown>(name.Get()).Detach();
        return S_OK;
    });
}

HRESULT GPKeyValueTypeName::get_MinNamespaceSupported(BSTR* namespaceURI) {
    return HandOutCurrentNamespace(namespaceURI);
}

// --- the name's pair ---

HRESULT GPKeyValueTypeNamePair::get_Key(BSTR* key) {
    if (!key)
        return E_POINTER;
    *key = MakeBSTR(fields_.key);
    return *key ? S_OK : E_OUTOFMEMORY;
}

HRESULT GPKeyValueTypeNamePair::put_Key(const OLECHAR* key) {
    return guard([&] {
        fields_.key = key ? String(key) : String();
        return S_OK;
    });
}

HRESULT GPKeyValueTypeNamePair::get_DataTypeName(IGPDataTypeName** name) {
    if (HRESULT hr = ClearOut(name); FAILED(hr))
        return hr;
    if (!fields_.dataTypeName)
        return S_OK;
    return fields_.dataTypeName->QueryInterface(IGPDataTypeName::iid, reinterpret_cast<void**>(name));
}

HRESULT GPKeyValueTypeNamePair::putref_DataTypeName(IUnknown* name) {
    fields_.dataTypeName = QueryAs<IGPName>(name);
    return S_OK;
}

HRESULT GPKeyValueTypeNamePair::get_Required(VARIANT_BOOL* required) {
    if (!required)
        return E_POINTER;
    *required = fields_.required ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT GPKeyValueTypeNamePair::put_Required(VARIANT_BOOL required) {
    fields_.required = required != VARIANT_FALSE;
    return S_OK;
}

HRESULT GPKeyValueTypeNamePair::Serialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    HRESULT hr = data->put_TypeName(kClassName);
    if (SUCCEEDED(hr))
        hr = data->put_TypeNamespaceURI(c_xml_ns_tavi);
    if (SUCCEEDED(hr))
        hr = data->AddString(u"Key", fields_.key.c_str());
    if (SUCCEEDED(hr))
        hr = data->AddObject(u"DataTypeName", fields_.dataTypeName.Get());
    if (SUCCEEDED(hr))
        hr = data->AddBoolean(u"Required", fields_.required ? VARIANT_TRUE : VARIANT_FALSE);
    return hr;
}

HRESULT GPKeyValueTypeNamePair::Deserialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        GPKeyValueTypeName::Entry read;
        int32_t index = -1;
        BStr key;
        if (FAILED(data->Find(u"Key", &index)) || index < 0 || FAILED(data->GetString(index, key.Out())))
            return E_FAIL;
        read.key = key.str();
        if (FAILED(data->Find(u"DataTypeName", &index)))
            return E_FAIL;
        ComPtr<IUnknown> name;
        if (index >= 0 && FAILED(data->GetObject(index, c_xml_ns_tavi, u"GPDataTypeName", name.Out())))
            return E_FAIL;
        read.dataTypeName = QueryAs<IGPName>(name.Get());
        if (name && !read.dataTypeName)
            return E_FAIL; // an object that is no name
        VARIANT_BOOL required = VARIANT_FALSE;
        if (FAILED(data->Find(u"Required", &index)) || (index >= 0 && FAILED(data->GetBoolean(index, &required))))
            return E_FAIL;
        read.required = required != VARIANT_FALSE;
        fields_ = std::move(read);
        return S_OK;
    });
}

} // namespace tavi
