// The multi-value.
#include "values/GPMultiValue.h"

#include "frame/Enumerators.h"
#include "host/CreateInstance.h"
#include "host/ModelVariables.h"
#include "host/MultiValueText.h"
#include "host/ObjectArray.h"
#include "host/StreamIO.h"
#include "host/TextTokenizer.h"
#include "host/XmlNamespace.h"
#include "tavi/GPUtilities.h"
#include "values/GPMultiValueType.h"
#include "values/GPString.h"

#include <optional>

namespace tavi {

namespace {

// The data element utilities' shared on/off setting for the time a list is read: off until the first member is
// made, on after it, and back to what it was at the end, on every path.
class DataElementSettingScope {
public:
    DataElementSettingScope() {
        AfCreateInstance(CLSID_DEUtilities, nullptr, CLSCTX_INPROC_SERVER, IDEUtilities::iid, utilities_.OutVoid());
        if (utilities_ && SUCCEEDED(utilities_->get_Enabled(&saved_)))
            utilities_->put_Enabled(VARIANT_FALSE);
    }
    ~DataElementSettingScope() {
        if (utilities_)
            utilities_->put_Enabled(saved_);
    }
    DataElementSettingScope(const DataElementSettingScope&) = delete;
    DataElementSettingScope& operator=(const DataElementSettingScope&) = delete;

    void FirstMemberMade() {
        if (utilities_)
            utilities_->put_Enabled(VARIANT_TRUE);
    }

private:
    ComPtr<IDEUtilities> utilities_;
    VARIANT_BOOL saved_ = VARIANT_TRUE;
};

// The data type the factory knows by `name` (any letter case), or nothing.
ComPtr<IGPDataType> DataTypeNamed(std::u16string_view name) {
    ComPtr<IGPDataTypeFactory> factory;
    AfCreateInstance(CLSID_GPDataTypeFactory, nullptr, CLSCTX_INPROC_SERVER, IGPDataTypeFactory::iid,
                     factory.OutVoid());
    ComPtr<IEnumGPName> names;
    if (!factory || FAILED(factory->GetDataTypeNames(names.Out())) || !names)
        return {};
    ComPtr<IGPName> candidate;
    while (names->Next(candidate.Out()) == S_OK && candidate) {
        BStr text;
        if (SUCCEEDED(candidate->get_Name(text.Out())) && EqualsNoCase(text.view(), name)) {
            ComPtr<IUnknown> opened;
            if (auto asName = QueryAs<IName>(candidate.Get()); asName && SUCCEEDED(asName->Open(opened.Out())))
                return QueryAs<IGPDataType>(opened.Get());
            return {};
        }
    }
    return {};
}

} // namespace

GPMultiValue::Member::Member(ComPtr<IGPValue> value) : value_(std::move(value)) {
    if (auto stored = QueryAs<IStoredText>(value_.Get()))
        stored_ = &stored->StoredText();
}

// --- IGPValue ---

HRESULT GPMultiValue::get_DataType(IGPDataType** dataType) {
    if (HRESULT hr = ClearOut(dataType); FAILED(hr))
        return hr;
    return guard([&] {
        auto type = MakeObject<GPMultiValueType>();
        type->putref_MemberDataType(member_.Get());
        *dataType = static_cast<IGPDataType*>(type.Detach());
        return S_OK;
    });
}

HRESULT GPMultiValue::IsEmpty(VARIANT_BOOL* empty) {
    if (!empty)
        return E_POINTER;
    *empty = members_.empty() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT GPMultiValue::Empty() {
    members_.clear();
    return BaseEmpty();
}

String GPMultiValue::ListText(bool variableNames) const {
    multivaluetext::ListWriter writer;
    writer.Reserve(members_.size() * 12); // a guess at the common short member; longer ones grow it
    for (const auto& member : members_) {
        if (member.StoredText())
            writer.Add(*member.StoredText());
        else
            UseMemberText(member.Get(), variableNames,
                          [&](std::optional<std::u16string_view> text) { writer.Add(text); });
    }
    return writer.Finish();
}

HRESULT GPMultiValue::GetAsText(BSTR* text) {
    if (!text)
        return E_POINTER;
    *text = nullptr;
    return guard([&] {
        *text = BStr(ListText(false)).Detach();
        return S_OK;
    });
}

HRESULT GPMultiValue::SetAsText(const OLECHAR* text, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPMessage> made;
        if (FAILED(NewTextMessage(made.Out())))
            return E_FAIL;
        *message = ComPtr<IGPMessage>(made).Detach();
        if (!member_)
            return S_OK;
        SetModified();
        std::u16string_view view = text ? std::u16string_view(text) : std::u16string_view();
        multivaluetext::Form form = multivaluetext::FormOf(view);
        if (form == multivaluetext::Form::kEmpty) {
            members_.clear();
            return S_OK;
        }
        return ReadMembers(view, form, made.Get());
    });
}

bool GPMultiValue::AppendMemberFromText(const String& text, std::vector<Member>& read) const {
    ComPtr<IGPValue> value;
    HRESULT hr = member_->CreateValue(text.c_str(), value.Out());
    if (hr != S_OK || !value) // S_FALSE: the member type could not read the text
        return false;
    read.emplace_back(std::move(value));
    return true;
}

HRESULT GPMultiValue::ReadMembers(std::u16string_view text, multivaluetext::Form form, IGPMessage* message) {
    DataElementSettingScope setting;
    // The new members are made while the old ones still stand and take their place at the end (the members made
    // before one that fails too): new values made from memory that a whole list just gave back would lie scattered
    // through it, and every later walk over the list would pay for that.
    std::vector<Member> read;
    bool made = true;
    auto append = [&](const String& token) {
        if (!(made = AppendMemberFromText(token, read)))
            return false;
        if (read.size() == 1)
            setting.FirstMemberMade();
        return true;
    };
    if (form == multivaluetext::Form::kEscapedSeparator) {
        if (std::optional<String> body = multivaluetext::EscapedSeparatorBody(text)) {
            TextTokenizer tokenizer(*body, u";");
            for (std::u16string_view token = tokenizer.NextToken(); !token.empty() && made;
                 token = tokenizer.NextToken())
                append(multivaluetext::DecodeMember(token));
        }
    } else {
        multivaluetext::SplitEach(text, append);
    }
    members_ = std::move(read);
    if (!made) {
        MakeTextError(message, kMemberNotMade);
        return E_FAIL;
    }
    return S_OK;
}

// --- IClone ---

HRESULT GPMultiValue::Assign(IClone* source) {
    auto other = QueryAs<IGPMultiValue>(source);
    if (!other)
        return E_INVALIDARG;
    return guard([&]() -> HRESULT {
        ComPtr<IGPDataType> memberType;
        other->get_MemberDataType(memberType.Out());
        int32_t count = 0;
        other->get_Count(&count);
        std::vector<Member> copies;
        for (int32_t i = 0; i < count; ++i) {
            ComPtr<IGPValue> member;
            other->get_Value(i, member.Out());
            if (!member || QueryAs<IGPVariable>(member.Get())) { // variables are shared, not copied
                copies.push_back(std::move(member));
                continue;
            }
            auto clone = QueryAs<IClone>(member.Get());
            ComPtr<IClone> copy;
            if (!clone || FAILED(clone->Clone(copy.Out())) || !copy)
                return E_FAIL;
            copies.push_back(QueryAs<IGPValue>(copy.Get()));
        }
        member_ = memberType;
        members_ = std::move(copies);
        return BaseAssign(source);
    });
}

HRESULT GPMultiValue::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    auto list = QueryAs<IGPMultiValue>(other);
    if (!list)
        return S_OK;
    return guard([&]() -> HRESULT {
        ComPtr<IGPDataType> memberType;
        list->get_MemberDataType(memberType.Out());
        int32_t count = 0;
        list->get_Count(&count);
        if (!EqualByClone(member_.Get(), memberType.Get()) || static_cast<size_t>(count) != members_.size())
            return S_OK;
        for (int32_t i = 0; i < count; ++i) {
            ComPtr<IGPValue> member;
            list->get_Value(i, member.Out());
            if (!EqualByClone(members_[static_cast<size_t>(i)].Get(), member.Get()))
                return S_OK;
        }
        return BaseIsEqual(other, equal);
    });
}

// --- IGPMultiValue ---

HRESULT GPMultiValue::get_Value(int32_t index, IGPValue** value) {
    if (HRESULT hr = ClearOut(value); FAILED(hr))
        return hr;
    if (!IsIndex(index))
        return E_INVALIDARG;
    *value = ComPtr<IGPValue>(members_[static_cast<size_t>(index)].Value()).Detach();
    return S_OK;
}

HRESULT GPMultiValue::get_Values(IEnumGPValue** values) {
    if (HRESULT hr = ClearOut(values); FAILED(hr))
        return hr;
    if (members_.empty())
        return S_OK;
    return guard([&] {
        std::vector<ComPtr<IGPValue>> items;
        items.reserve(members_.size());
        for (const auto& member : members_)
            items.push_back(member.Value());
        auto enumerator = MakeObject<SimpleEnumerator<IEnumGPValue, IGPValue>>(std::move(items));
        *values = static_cast<IEnumGPValue*>(enumerator.Detach());
        return S_OK;
    });
}

HRESULT GPMultiValue::putref_MemberDataType(IGPDataType* dataType) {
    member_ = ComPtr<IGPDataType>(dataType);
    SetModified();
    return S_OK;
}

HRESULT GPMultiValue::get_MemberDataType(IGPDataType** dataType) {
    if (!dataType)
        return E_POINTER;
    *dataType = ComPtr<IGPDataType>(member_).Detach();
    return S_OK;
}

HRESULT GPMultiValue::get_Count(int32_t* count) {
    if (!count)
        return E_POINTER;
    *count = static_cast<int32_t>(members_.size());
    return S_OK;
}

HRESULT GPMultiValue::AddValue(IGPValue* value) {
    if (!value)
        return S_OK;
    return guard([&] {
        members_.emplace_back(value);
        SetModified();
        return S_OK;
    });
}

HRESULT GPMultiValue::InsertValue(int32_t index, IGPValue* value) {
    if (!value)
        return S_OK;
    if (index < 0 || static_cast<size_t>(index) > members_.size())
        return E_INVALIDARG;
    return guard([&] {
        members_.insert(members_.begin() + index, Member(value));
        SetModified();
        return S_OK;
    });
}

HRESULT GPMultiValue::RemoveValue(IGPValue* value) {
    for (auto it = members_.begin(); it != members_.end(); ++it) {
        if (SameObject(it->Get(), value)) {
            members_.erase(it);
            SetModified();
            return S_OK;
        }
    }
    return E_FAIL;
}

HRESULT GPMultiValue::Remove(int32_t index) {
    if (!IsIndex(index))
        return E_INVALIDARG;
    members_.erase(members_.begin() + index);
    SetModified();
    return S_OK;
}

HRESULT GPMultiValue::Replace(int32_t index, IGPValue* value) {
    Remove(index);
    InsertValue(index, value);
    return S_OK;
}

// --- IGPValueTable ---

HRESULT GPMultiValue::get_DataTypeCount(int32_t* count) {
    if (!count)
        return E_POINTER;
    *count = member_ ? 1 : 0;
    return S_OK;
}

HRESULT GPMultiValue::get_DataType(int32_t, IGPDataType** dataType) {
    return get_MemberDataType(dataType);
}

HRESULT GPMultiValue::AddDataType(IGPDataType* dataType) {
    return putref_MemberDataType(dataType);
}

HRESULT GPMultiValue::RemoveDataType(int32_t) {
    return putref_MemberDataType(nullptr);
}

HRESULT GPMultiValue::get_RecordCount(int32_t* count) {
    return get_Count(count);
}

HRESULT GPMultiValue::GetValue(int32_t row, int32_t, IGPValue** value) {
    return get_Value(row, value);
}

HRESULT GPMultiValue::SetValue(int32_t row, int32_t, IGPValue* value) {
    return Replace(row, value);
}

ComPtr<IGPValue> GPMultiValue::RecordValue(IArray* record) {
    ComPtr<IUnknown> element;
    if (!record || FAILED(record->get_Element(0, element.Out())))
        return {};
    return QueryAs<IGPValue>(element.Get());
}

HRESULT GPMultiValue::AddRecord(IArray* record) {
    return AddValue(RecordValue(record).Get());
}

HRESULT GPMultiValue::InsertRecord(int32_t index, IArray* record) {
    return InsertValue(index, RecordValue(record).Get());
}

HRESULT GPMultiValue::ReplaceRecord(int32_t index, IArray* record) {
    return Replace(index, RecordValue(record).Get());
}

HRESULT GPMultiValue::RemoveRecord(int32_t index) {
    return Remove(index);
}

HRESULT GPMultiValue::GetRecord(int32_t index, IArray** record) {
    if (HRESULT hr = ClearOut(record); FAILED(hr))
        return hr;
    if (members_.empty())
        return S_OK;
    if (!IsIndex(index))
        return E_INVALIDARG;
    return guard([&] {
        auto array = MakeObject<ObjectArray>();
        array->Add(members_[static_cast<size_t>(index)].Get());
        *record = static_cast<IArray*>(array.Detach());
        return S_OK;
    });
}

// --- IGPValueExpression ---

HRESULT GPMultiValue::get_Resolved(VARIANT_BOOL* resolved) {
    if (!resolved)
        return E_POINTER;
    *resolved = resolved_;
    return S_OK;
}

HRESULT GPMultiValue::put_Resolved(VARIANT_BOOL resolved) {
    resolved_ = resolved ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT GPMultiValue::ResolveValue(IGPVariableManager* manager, IGPValue** resolved) {
    if (HRESULT hr = ClearOut(resolved); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        auto made = MakeObject<GPMultiValue>();
        made->putref_MemberDataType(member_.Get());
        ComPtr<IGPUtilities> utilities;
        AfCreateInstance(CLSID_GPUtilities, nullptr, CLSCTX_INPROC_SERVER, IGPUtilities::iid, utilities.OutVoid());
        for (const auto& member : members_) {
            ComPtr<IGPValue> value;
            if (utilities && member.Get())
                utilities->ResolveValue(member.Get(), manager, value.Out());
            made->members_.push_back(value ? Member(value) : member);
        }
        made->resolved_ = VARIANT_TRUE;
        *resolved = static_cast<IGPValue*>(made.Detach());
        return S_OK;
    });
}

HRESULT GPMultiValue::GetVariableNames(IUnknown** names) {
    return guard([&] { return modelvariables::HandOutNamesIn(ListText(true), names); });
}

HRESULT GPMultiValue::get_Variables(IArray** variables) {
    return ClearOut(variables);
}

HRESULT GPMultiValue::putref_Variables(IArray*) {
    resolved_ = VARIANT_TRUE;
    return S_OK;
}

HRESULT GPMultiValue::GetAsText(IGPVariableManager* manager, BSTR* text) {
    if (!text)
        return E_POINTER;
    *text = nullptr;
    // With a manager: the value's text with each "%name%" replaced by that variable's value. Without one: the text in
    // which a member that is a model variable stands as the variable's name.
    return guard([&] {
        *text = BStr(manager ? modelvariables::Substitute(ListText(false), manager) : ListText(true)).Detach();
        return S_OK;
    });
}

// --- the stream and XML forms ---

HRESULT GPMultiValue::SaveContent(IStream* stream, uint16_t) {
    ComPtr<IName> typeName;
    if (member_ && FAILED(member_->get_FullName(typeName.Out())))
        return E_FAIL;
    if (FAILED(SaveObject(typeName.Get(), stream, SaveClearsDirty())) ||
        FAILED(AfStreamWrite(stream, static_cast<int32_t>(members_.size()))))
        return E_FAIL;
    for (const auto& member : members_)
        if (FAILED(SaveObject(member.Get(), stream, SaveClearsDirty())))
            return E_FAIL;
    return S_OK;
}

HRESULT GPMultiValue::LoadContent(IStream* stream, uint16_t) {
    ComPtr<IName> typeName;
    if (FAILED(LoadObject(stream, IName::iid, typeName.OutVoid())))
        return E_FAIL;
    if (typeName) {
        ComPtr<IUnknown> opened;
        if (FAILED(typeName->Open(opened.Out())) || !(member_ = QueryAs<IGPDataType>(opened.Get())))
            return E_FAIL;
    }
    int32_t count = 0;
    if (FAILED(AfStreamRead(stream, &count)) || count < 0)
        return E_FAIL;
    members_.clear();
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IGPValue> member;
        if (FAILED(LoadObject(stream, IGPValue::iid, member.OutVoid())))
            return E_FAIL;
        members_.push_back(std::move(member));
    }
    return S_OK;
}

HRESULT GPMultiValue::SerializeContent(IXMLSerializeData* data) {
    if (member_) {
        BStr name;
        if (HRESULT hr = member_->get_Name(name.Out()); FAILED(hr))
            return hr;
        if (HRESULT hr = data->AddString(u"MemberDataType", name.c_str()); FAILED(hr))
            return hr;
    }
    if (members_.empty())
        return S_OK;
    auto array = MakeObject<ObjectArray>();
    for (const auto& member : members_)
        array->Add(member.Get());
    return data->AddObjectArray(u"Values", static_cast<IArray*>(array.Get()), u"GPValue", c_xml_ns_tavi);
}

HRESULT GPMultiValue::DeserializeContent(IXMLSerializeData* data) {
    int32_t index = -1;
    if (HRESULT hr = data->Find(u"MemberDataType", &index); FAILED(hr))
        return hr;
    if (index >= 0) {
        BStr name;
        if (FAILED(data->GetString(index, name.Out())))
            return E_FAIL;
        if (!name.view().empty())
            if (ComPtr<IGPDataType> found = DataTypeNamed(name.view()))
                member_ = found;
    }
    std::vector<ComPtr<IUnknown>> elements;
    if (HRESULT hr = ReadXmlObjectArray(data, u"Values", u"GPValues", elements); FAILED(hr))
        return hr;
    members_.clear();
    for (const auto& element : elements)
        members_.push_back(QueryAs<IGPValue>(element.Get()));
    return S_OK;
}

} // namespace tavi
