// The key-value and its pair.
#include "values/GPKeyValue.h"

#include "frame/EnumBSTR.h"
#include "host/DocumentVersion.h"
#include "host/Message.h"
#include "host/MessageMaker.h"
#include "host/ObjectArray.h"
#include "host/StreamIO.h"
#include "host/XmlNamespace.h"
#include "values/KeyValueText.h"

namespace tavi {

namespace {

// Documents before the current version do not know key-values.
constexpr int32_t kFirstDocumentVersion = docversion::kCurrent;

constexpr const char16_t* kRequiredKeysText = u"All required keys are not set";

// The text of SetAsText without the blanks, tabs, CR and LF at its ends.
std::u16string_view TrimBlanks(std::u16string_view text) {
    constexpr std::u16string_view kBlanks = u" \t\r\n";
    size_t first = text.find_first_not_of(kBlanks);
    if (first == std::u16string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// The key type the name in a stream or XML form opens to, as a private copy; null when it is no key-value type.
ComPtr<GPKeyValueType> OpenKeyValueType(IUnknown* name) {
    auto asName = QueryAs<IName>(name);
    ComPtr<IUnknown> opened;
    if (!asName || FAILED(asName->Open(opened.Out())) || !QueryAs<IGPKeyValueType>(opened.Get()))
        return {};
    return GPKeyValueType::CopyOf(opened.Get());
}

} // namespace

GPKeyValue::GPKeyValue() : GPValue(kClassId, CLSID_GPKeyValueType), type_(MakeObject<GPKeyValueType>()) {}

void GPKeyValue::Changed() {
    SetModified();
    SetEmptyFlag(!AnyValue());
}

bool GPKeyValue::AnyValue() const {
    for (const auto& value : values_)
        if (value)
            return true;
    return false;
}

void GPKeyValue::TakeValues(std::vector<ComPtr<IGPValue>> values) {
    values_ = std::move(values);
    values_.resize(static_cast<size_t>(Keys().Count()));
    Changed();
}

HRESULT GPKeyValue::AdoptType(IUnknown* type) {
    ComPtr<GPKeyValueType> copy = GPKeyValueType::CopyOf(type);
    if (!copy)
        return E_INVALIDARG;
    std::vector<ComPtr<IGPValue>> kept(static_cast<size_t>(copy->Keys().Count()));
    for (int32_t i = 0; i < Keys().Count(); ++i) {
        int32_t index = copy->Keys().Find(Keys()[i].name);
        if (index >= 0)
            kept[static_cast<size_t>(index)] = values_[static_cast<size_t>(i)];
    }
    type_ = copy;
    TakeValues(std::move(kept));
    return S_OK;
}

HRESULT GPKeyValue::StoreAt(int32_t index, IGPValue* value) {
    if (!Keys().IsIndex(index) || SameObject(value, static_cast<IGPValue*>(this)))
        return E_INVALIDARG;
    values_[static_cast<size_t>(index)] = ComPtr<IGPValue>(value);
    Changed();
    return S_OK;
}

// --- IGPValue ---

HRESULT GPKeyValue::get_DataType(IGPDataType** dataType) {
    if (HRESULT hr = ClearOut(dataType); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<GPKeyValueType> copy = GPKeyValueType::CopyOf(static_cast<IGPDataType*>(type_.Get()));
        if (!copy)
            return E_FAIL;
        *dataType = static_cast<IGPDataType*>(copy.Detach());
        return S_OK;
    });
}

HRESULT GPKeyValue::IsEmpty(VARIANT_BOOL* empty) {
    if (!empty)
        return E_POINTER;
    *empty = AnyValue() ? VARIANT_FALSE : VARIANT_TRUE;
    return S_OK;
}

HRESULT GPKeyValue::Empty() {
    for (auto& value : values_)
        value = nullptr;
    return BaseEmpty();
}

HRESULT GPKeyValue::GetAsText(BSTR* text) {
    if (!text)
        return E_POINTER;
    *text = nullptr;
    return guard([&]() -> HRESULT {
        String written;
        if (AnyValue() && !keyvaluetext::WriteObject(Keys(), values_, written))
            return E_FAIL; // nested deeper than the text form reads
        *text = BStr(written).Detach();
        return S_OK;
    });
}

HRESULT GPKeyValue::FailNotRead(IGPMessage* message) const {
    if (auto error = QueryAs<IGPErrorMessage>(message))
        error->MakeErrorWithText(taviGPMessageTypeError, kMemberNotRead,
                                 VerdictText(kMemberNotRead, type_->DisplayName()).c_str());
    return E_FAIL;
}

HRESULT GPKeyValue::SetAsText(const OLECHAR* text, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPMessage> made;
        if (FAILED(NewTextMessage(made.Out())))
            return E_FAIL;
        *message = ComPtr<IGPMessage>(made).Detach();
        std::u16string_view view = text ? std::u16string_view(text) : std::u16string_view();
        std::vector<ComPtr<IGPValue>> staged; // taken only when the whole text was read
        switch (keyvaluetext::ReadObject(view, Keys(), staged)) {
        case keyvaluetext::ReadResult::kRead:
            if (!keyvaluetext::RequiredKeysHeld(Keys(), staged)) {
                if (auto error = QueryAs<IGPErrorMessage>(made.Get()))
                    error->MakeErrorWithText(taviGPMessageTypeError, E_FAIL, kRequiredKeysText);
                return E_FAIL;
            }
            TakeValues(std::move(staged));
            return S_OK;
        case keyvaluetext::ReadResult::kNotRead:
            return FailNotRead(made.Get());
        case keyvaluetext::ReadResult::kNotObject:
            break;
        }
        std::u16string_view rest = TrimBlanks(view);
        if (rest.empty()) {
            TakeValues({});
            return S_OK;
        }
        // "#" stands for "no change": the values stay as they are, and must still hold every required key.
        if (rest == u"#" && keyvaluetext::RequiredKeysHeld(Keys(), values_))
            return S_OK;
        return FailNotRead(made.Get());
    });
}

// --- IClone ---

HRESULT GPKeyValue::Assign(IClone* source) {
    auto other = QueryAs<IGPKeyValueIndex>(source);
    auto otherValue = QueryAs<IGPValue>(source);
    if (!other || !otherValue)
        return E_INVALIDARG;
    return guard([&]() -> HRESULT {
        ComPtr<IGPDataType> otherType;
        if (FAILED(otherValue->get_DataType(otherType.Out())))
            return E_FAIL;
        ComPtr<GPKeyValueType> type = GPKeyValueType::CopyOf(otherType.Get());
        if (!type)
            return E_INVALIDARG;
        std::vector<ComPtr<IGPValue>> copies(static_cast<size_t>(type->Keys().Count()));
        for (int32_t i = 0; i < type->Keys().Count(); ++i) {
            ComPtr<IGPValue> value;
            other->get_Value(i, value.Out());
            auto clone = QueryAs<IClone>(value.Get());
            ComPtr<IClone> copy;
            if (value && (!clone || FAILED(clone->Clone(copy.Out())) || !copy))
                return E_FAIL;
            copies[static_cast<size_t>(i)] = QueryAs<IGPValue>(copy.Get());
        }
        type_ = type;
        values_ = std::move(copies);
        Changed();
        return BaseAssign(source);
    });
}

HRESULT GPKeyValue::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    auto theirs = QueryAs<IGPKeyValueIndex>(other);
    auto theirValue = QueryAs<IGPValue>(other);
    if (!theirs || !theirValue)
        return S_OK;
    return guard([&]() -> HRESULT {
        ComPtr<IGPDataType> theirType;
        theirValue->get_DataType(theirType.Out());
        if (!EqualByClone(static_cast<IGPDataType*>(type_.Get()), theirType.Get()))
            return S_OK;
        for (int32_t i = 0; i < Keys().Count(); ++i) {
            ComPtr<IGPValue> value;
            theirs->get_Value(i, value.Out());
            if (!EqualByClone(values_[static_cast<size_t>(i)].Get(), value.Get()))
                return S_OK;
        }
        return BaseIsEqual(other, equal);
    });
}

// --- IGPKeyValue ---

HRESULT GPKeyValue::putref_DataType(IGPDataType* dataType) {
    if (!QueryAs<IGPKeyValueType>(dataType))
        return E_INVALIDARG;
    return guard([&] { return AdoptType(dataType); });
}

HRESULT GPKeyValue::get_Keys(IBStringArray** names) {
    return type_->get_Keys(names);
}

HRESULT GPKeyValue::get_Value(const OLECHAR* key, IGPValue** value) {
    if (HRESULT hr = ClearOut(value); FAILED(hr))
        return hr;
    return get_Value(key ? Keys().Find(key) : -1, value);
}

HRESULT GPKeyValue::putref_Value(const OLECHAR* key, IGPValue* value) {
    return StoreAt(key ? Keys().Find(key) : -1, value);
}

HRESULT GPKeyValue::RemoveKeyValue(const OLECHAR* key) {
    return StoreAt(key ? Keys().Find(key) : -1, nullptr);
}

// --- IGPKeyValueIndex ---

HRESULT GPKeyValue::get_Count(int32_t* count) {
    return type_->get_Count(count);
}

HRESULT GPKeyValue::get_Key(int32_t index, BSTR* name) {
    return type_->get_Key(index, name);
}

HRESULT GPKeyValue::get_Value(int32_t index, IGPValue** value) {
    if (HRESULT hr = ClearOut(value); FAILED(hr))
        return hr;
    if (!Keys().IsIndex(index))
        return E_INVALIDARG;
    *value = ComPtr<IGPValue>(values_[static_cast<size_t>(index)]).Detach();
    return S_OK;
}

HRESULT GPKeyValue::putref_Value(int32_t index, IGPValue* value) {
    return StoreAt(index, value);
}

HRESULT GPKeyValue::RemoveValueAt(int32_t index) {
    return StoreAt(index, nullptr);
}

HRESULT GPKeyValue::Find(const OLECHAR* name, int32_t* index) {
    return type_->Find(name, index);
}

// --- IGPValueTable ---

HRESULT GPKeyValue::get_DataTypeCount(int32_t* count) {
    return type_->get_Count(count);
}

HRESULT GPKeyValue::get_DataType(int32_t index, IGPDataType** dataType) {
    return type_->get_DataType(index, dataType);
}

HRESULT GPKeyValue::AddDataType(IGPDataType* dataType) {
    return guard([&]() -> HRESULT {
        if (HRESULT hr = type_->AddDataType(dataType, nullptr, 0, nullptr); FAILED(hr))
            return hr;
        values_.emplace_back();
        Changed();
        return S_OK;
    });
}

HRESULT GPKeyValue::RemoveDataType(int32_t index) {
    if (HRESULT hr = type_->RemoveKeyAt(index); FAILED(hr))
        return hr;
    values_.erase(values_.begin() + index);
    Changed();
    return S_OK;
}

HRESULT GPKeyValue::get_RecordCount(int32_t* count) {
    if (!count)
        return E_POINTER;
    *count = Keys().Count() > 0 ? 1 : 0;
    return S_OK;
}

HRESULT GPKeyValue::GetValue(int32_t row, int32_t column, IGPValue** value) {
    if (HRESULT hr = ClearOut(value); FAILED(hr))
        return hr;
    return row == 0 ? get_Value(column, value) : E_INVALIDARG;
}

HRESULT GPKeyValue::SetValue(int32_t row, int32_t column, IGPValue* value) {
    return row == 0 ? StoreAt(column, value) : E_INVALIDARG;
}

HRESULT GPKeyValue::AddRecord(IArray*) {
    return E_NOTIMPL; // the one record always exists: ReplaceRecord(0) sets it
}

HRESULT GPKeyValue::InsertRecord(int32_t, IArray*) {
    return E_NOTIMPL; // as AddRecord
}

HRESULT GPKeyValue::ReplaceRecord(int32_t index, IArray* record) {
    if (index != 0 || Keys().Count() == 0 || !record)
        return E_INVALIDARG;
    return guard([&]() -> HRESULT {
        int32_t count = 0;
        record->get_Count(&count);
        std::vector<ComPtr<IGPValue>> values(static_cast<size_t>(Keys().Count()));
        for (int32_t i = 0; i < count && i < Keys().Count(); ++i) {
            ComPtr<IUnknown> element;
            record->get_Element(i, element.Out());
            values[static_cast<size_t>(i)] = QueryAs<IGPValue>(element.Get());
            if (SameObject(values[static_cast<size_t>(i)].Get(), static_cast<IGPValue*>(this)))
                return E_INVALIDARG;
        }
        TakeValues(std::move(values));
        return S_OK;
    });
}

HRESULT GPKeyValue::RemoveRecord(int32_t index) {
    if (index != 0 || Keys().Count() == 0)
        return E_INVALIDARG;
    return Empty();
}

HRESULT GPKeyValue::GetRecord(int32_t index, IArray** record) {
    if (HRESULT hr = ClearOut(record); FAILED(hr))
        return hr;
    if (index != 0 || Keys().Count() == 0)
        return E_INVALIDARG;
    return guard([&] {
        auto array = MakeObject<ObjectArray>();
        for (const auto& value : values_)
            array->Add(value.Get());
        *record = static_cast<IArray*>(array.Detach());
        return S_OK;
    });
}

HRESULT GPKeyValue::RemoveValue(IGPValue* value) {
    for (size_t i = 0; value && i < values_.size(); ++i)
        if (SameObject(values_[i].Get(), value))
            return StoreAt(static_cast<int32_t>(i), nullptr);
    return E_FAIL;
}

// --- versions ---

HRESULT GPKeyValue::IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) {
    return SupportedFromVersion(kFirstDocumentVersion, docVersion, supported);
}

HRESULT GPKeyValue::ConvertToSupportedObject(int32_t, IUnknown** replacement) {
    if (HRESULT hr = ClearOut(replacement); FAILED(hr))
        return hr;
    BStr text;
    GetAsText(text.Out()); // a text too deep to write gives an empty string
    return PlainStringReplacement(text.view(), replacement);
}

HRESULT GPKeyValue::get_MinNamespaceSupported(BSTR* namespaceURI) {
    return HandOutCurrentNamespace(namespaceURI);
}

// --- the stream and XML forms ---

HRESULT GPKeyValue::SaveContent(IStream* stream, uint16_t) {
    ComPtr<IName> typeName;
    if (FAILED(type_->get_FullName(typeName.Out())) || FAILED(SaveObject(typeName.Get(), stream, SaveClearsDirty())) ||
        FAILED(AfStreamWrite(stream, Keys().Count())))
        return E_FAIL;
    for (int32_t i = 0; i < Keys().Count(); ++i)
        if (FAILED(WriteString(stream, Keys()[i].name)) ||
            FAILED(SaveObject(values_[static_cast<size_t>(i)].Get(), stream, SaveClearsDirty())))
            return E_FAIL;
    return S_OK;
}

HRESULT GPKeyValue::LoadContent(IStream* stream, uint16_t) {
    ComPtr<IUnknown> typeName;
    if (FAILED(LoadObject(stream, IName::iid, typeName.OutVoid())))
        return E_FAIL;
    ComPtr<GPKeyValueType> type = OpenKeyValueType(typeName.Get());
    int32_t count = 0;
    if (!type || FAILED(AfStreamRead(stream, &count)) || count < 0 || count > type->Keys().Count())
        return E_FAIL;
    std::vector<ComPtr<IGPValue>> values(static_cast<size_t>(type->Keys().Count()));
    std::vector<bool> seen(values.size());
    for (int32_t i = 0; i < count; ++i) {
        String name;
        if (FAILED(ReadString(stream, &name)))
            return E_FAIL;
        int32_t index = type->Keys().Find(name);
        if (index < 0 || seen[static_cast<size_t>(index)])
            return E_FAIL; // a key the type does not declare, or one read before
        seen[static_cast<size_t>(index)] = true;
        if (FAILED(LoadObject(stream, IGPValue::iid, values[static_cast<size_t>(index)].OutVoid())))
            return E_FAIL;
    }
    type_ = type;
    values_ = std::move(values);
    SetEmptyFlag(!AnyValue());
    return S_OK;
}

// The base part as every value writes it, but the content always follows: it holds the data type, which a value
// without any key value still has.
HRESULT GPKeyValue::SerializeBase(IXMLSerializeData* data, bool* contentFollows) {
    HRESULT hr = GPValueCore::SerializeBase(data, contentFollows);
    *contentFollows = true;
    return hr;
}

HRESULT GPKeyValue::DeserializeBase(IXMLSerializeData* data, bool* contentFollows) {
    HRESULT hr = GPValueCore::DeserializeBase(data, contentFollows);
    *contentFollows = SUCCEEDED(hr);
    return hr;
}

HRESULT GPKeyValue::SerializeContent(IXMLSerializeData* data) {
    ComPtr<IName> typeName;
    if (HRESULT hr = type_->get_FullName(typeName.Out()); FAILED(hr))
        return hr;
    if (HRESULT hr = data->AddObject(u"Type", typeName.Get()); FAILED(hr))
        return hr;
    if (!AnyValue())
        return S_OK;
    auto array = MakeObject<ObjectArray>();
    for (int32_t i = 0; i < Keys().Count(); ++i) {
        if (!values_[static_cast<size_t>(i)])
            continue;
        auto pair = MakeObject<GPKeyValuePair>();
        pair->put_Key(Keys()[i].name.c_str());
        pair->putref_Value(values_[static_cast<size_t>(i)].Get());
        array->Add(static_cast<IGPKeyValuePair*>(pair.Get()));
    }
    return data->AddObjectArray(u"KeyValuePairs", static_cast<IArray*>(array.Get()), u"GPKeyValuePair", c_xml_ns_tavi);
}

HRESULT GPKeyValue::DeserializeContent(IXMLSerializeData* data) {
    int32_t index = -1;
    if (FAILED(data->Find(u"Type", &index)))
        return E_FAIL;
    if (index >= 0) { // a document without the type keeps the one the value has
        ComPtr<IUnknown> typeName;
        if (FAILED(data->GetObject(index, c_xml_ns_tavi, u"GPKeyValueTypeName", typeName.Out())) ||
            !(type_ = OpenKeyValueType(typeName.Get())))
            return E_FAIL;
    }
    std::vector<ComPtr<IGPValue>> values(static_cast<size_t>(Keys().Count()));
    std::vector<ComPtr<IUnknown>> elements;
    if (FAILED(ReadXmlObjectArray(data, u"KeyValuePairs", u"ArrayOfGPKeyValuePair", elements)))
        return E_FAIL;
    for (const auto& element : elements) {
        auto pair = QueryAs<IGPKeyValuePair>(element.Get());
        BStr key;
        if (!pair || FAILED(pair->get_Key(key.Out())))
            return E_FAIL;
        int32_t position = Keys().Find(key.view());
        if (position < 0 || values[static_cast<size_t>(position)])
            return E_FAIL; // a key the type does not declare, or one read before
        pair->get_Value(values[static_cast<size_t>(position)].Out());
    }
    values_ = std::move(values);
    SetEmptyFlag(!AnyValue());
    return S_OK;
}

// --- the pair ---

HRESULT GPKeyValuePair::get_Key(BSTR* key) {
    if (!key)
        return E_POINTER;
    *key = MakeBSTR(key_);
    return *key ? S_OK : E_OUTOFMEMORY;
}

HRESULT GPKeyValuePair::put_Key(const OLECHAR* key) {
    return guard([&] {
        key_ = key ? String(key) : String();
        return S_OK;
    });
}

HRESULT GPKeyValuePair::get_Value(IGPValue** value) {
    if (!value)
        return E_POINTER;
    *value = ComPtr<IGPValue>(value_).Detach();
    return S_OK;
}

HRESULT GPKeyValuePair::putref_Value(IGPValue* value) {
    value_ = ComPtr<IGPValue>(value);
    return S_OK;
}

HRESULT GPKeyValuePair::Serialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    HRESULT hr = data->put_TypeName(kClassName);
    if (SUCCEEDED(hr))
        hr = data->put_TypeNamespaceURI(c_xml_ns_tavi);
    if (SUCCEEDED(hr))
        hr = data->AddString(u"Key", key_.c_str());
    if (SUCCEEDED(hr))
        hr = data->AddObject(u"Value", value_.Get());
    return hr;
}

HRESULT GPKeyValuePair::Deserialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        int32_t index = -1;
        BStr key;
        if (FAILED(data->Find(u"Key", &index)) || index < 0 || FAILED(data->GetString(index, key.Out())) ||
            FAILED(data->Find(u"Value", &index)))
            return E_FAIL;
        ComPtr<IUnknown> read;
        if (index >= 0 && FAILED(data->GetObject(index, c_xml_ns_tavi, u"GPValue", read.Out())))
            return E_FAIL;
        auto value = QueryAs<IGPValue>(read.Get());
        if (read && !value)
            return E_FAIL; // an object that is no value
        key_ = key.str();
        value_ = value;
        return S_OK;
    });
}

} // namespace tavi
