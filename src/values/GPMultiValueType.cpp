// The multi-value data type and its name.
#include "values/GPMultiValueType.h"

#include "host/GPValue.h"
#include "host/Message.h"
#include "host/StreamIO.h"
#include "host/UID.h"
#include "host/XmlNamespace.h"

namespace tavi {

namespace {

// The data type a list's members are checked against: another multi-value type stands for its member type.
ComPtr<IGPDataType> MemberTypeOf(IGPDataType* type) {
    if (auto multi = QueryAs<IGPMultiValueType>(type)) {
        ComPtr<IGPDataType> member;
        multi->get_MemberDataType(member.Out());
        return member;
    }
    return ComPtr<IGPDataType>(type);
}

} // namespace

GPMultiValueType::GPMultiValueType()
    : GPDataType({u"GPMultiValue", kDisplayNameId, kClassId, CLSID_GPMultiValue, kControlClassId,
                  IGPMultiValueType::iid, IGPMultiValue::iid}) {}

HRESULT GPMultiValueType::get_FullName(IName** fullName) {
    if (HRESULT hr = ClearOut(fullName); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        auto name = MakeObject<GPMultiValueTypeName>();
        if (member_) {
            ComPtr<IName> memberName;
            if (SUCCEEDED(member_->get_FullName(memberName.Out())) && memberName)
                name->putref_MemberDataTypeName(memberName.Get());
        }
        *fullName = static_cast<IName*>(name.Detach());
        return S_OK;
    });
}

HRESULT GPMultiValueType::CreateValue(const OLECHAR* text, IGPValue** value) {
    if (HRESULT hr = ClearOut(value); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPValue> made;
        if (FAILED(
                AfCreateInstance(CLSID_GPMultiValue, nullptr, CLSCTX_INPROC_SERVER, IGPValue::iid, made.OutVoid())) ||
            !made)
            return E_FAIL;
        QueryAs<IGPMultiValue>(made.Get())->putref_MemberDataType(member_.Get());
        ComPtr<IGPMessage> message;
        HRESULT hr = made->SetAsText(text, message.Out());
        *value = made.Detach();
        return FAILED(hr) || MessageIsError(message.Get()) ? S_FALSE : hr;
    });
}

HRESULT GPMultiValueType::ValidateDataType(IGPDataType* other, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    if (!member_)
        return E_FAIL;
    return guard([&] { return member_->ValidateDataType(MemberTypeOf(other).Get(), message); });
}

HRESULT GPMultiValueType::ValidateValue(IGPValue* value, IGPDomain* domain, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    if (!member_)
        return E_FAIL;
    return guard([&]() -> HRESULT {
        ComPtr<IGPValue> actual;
        if (HRESULT hr = UnpackValue(value, actual.Out()); FAILED(hr))
            return hr;
        auto list = QueryAs<IGPMultiValue>(actual.Get());
        if (!list)
            return member_->ValidateValue(actual.Get(), domain, message);
        auto collected = MakeObject<GPMultiMessage>();
        *message = static_cast<IGPMessage*>(ComPtr<GPMultiMessage>(collected).Detach());
        int32_t count = 0;
        list->get_Count(&count);
        for (int32_t i = 0; i < count; ++i) {
            ComPtr<IGPValue> member;
            list->get_Value(i, member.Out());
            ComPtr<IGPMessage> verdict;
            HRESULT hr = member_->ValidateValue(member.Get(), domain, verdict.Out());
            if (verdict)
                collected->AddMessage(verdict.Get());
            if (FAILED(hr))
                return hr;
        }
        return S_OK;
    });
}

HRESULT GPMultiValueType::Assign(IClone* source) {
    auto other = QueryAs<IGPMultiValueType>(source);
    if (!other)
        return E_INVALIDARG;
    return guard([&]() -> HRESULT {
        ComPtr<IGPDataType> member;
        other->get_MemberDataType(member.Out());
        member_ = member;
        return CoreAssign(source);
    });
}

HRESULT GPMultiValueType::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    auto multi = QueryAs<IGPMultiValueType>(other);
    if (!multi)
        return S_OK;
    return guard([&]() -> HRESULT {
        ComPtr<IGPDataType> member;
        multi->get_MemberDataType(member.Out());
        if (!EqualByClone(member_.Get(), member.Get()))
            return S_OK;
        return CoreIsEqual(other, equal);
    });
}

HRESULT GPMultiValueType::putref_MemberDataType(IGPDataType* dataType) {
    member_ = ComPtr<IGPDataType>(dataType);
    return S_OK;
}

HRESULT GPMultiValueType::get_MemberDataType(IGPDataType** dataType) {
    if (!dataType)
        return E_POINTER;
    *dataType = ComPtr<IGPDataType>(member_).Detach();
    return S_OK;
}

HRESULT GPMultiValueType::get_Count(int32_t* count) {
    if (!count)
        return E_POINTER;
    *count = member_ ? 1 : 0;
    return S_OK;
}

HRESULT GPMultiValueType::get_DataType(int32_t, IGPDataType** dataType) {
    return get_MemberDataType(dataType);
}

HRESULT GPMultiValueType::get_Width(int32_t, int32_t* width) {
    if (!width)
        return E_POINTER;
    *width = 0;
    return S_OK;
}

HRESULT GPMultiValueType::get_DisplayName(int32_t, BSTR* name) {
    if (!name)
        return E_POINTER;
    *name = nullptr;
    if (member_)
        return member_->get_DisplayName(name);
    return GetText(String(), name);
}

HRESULT GPMultiValueType::AddDataType(IGPDataType* dataType, const OLECHAR*, int32_t, IUnknown* control) {
    member_ = ComPtr<IGPDataType>(dataType);
    if (auto uid = QueryAs<IUIDInit>(control)) {
        GUID guid = GUID_NULL;
        if (SUCCEEDED(uid->GetGUID(&guid)))
            columnControl_ = guid;
    }
    return S_OK;
}

HRESULT GPMultiValueType::RemoveDataType(int32_t) {
    member_ = nullptr;
    columnControl_ = GUID_NULL;
    return S_OK;
}

HRESULT GPMultiValueType::get_ControlCLSID(int32_t, IUID** control) {
    if (HRESULT hr = ClearOut(control); FAILED(hr))
        return hr;
    if (columnControl_ == GUID_NULL)
        return S_OK;
    return guard([&] {
        auto uid = MakeObject<UID>();
        uid->SetGUID(columnControl_, 0);
        *control = static_cast<IUID*>(uid.Detach());
        return S_OK;
    });
}

HRESULT GPMultiValueType::put_ReadOnly(int32_t, VARIANT_BOOL) {
    return S_OK;
}

HRESULT GPMultiValueType::get_ReadOnly(int32_t, VARIANT_BOOL* readOnly) {
    if (!readOnly)
        return E_POINTER;
    *readOnly = VARIANT_FALSE;
    return S_OK;
}

// --- the name ---

HRESULT GPMultiValueTypeName::Open(IUnknown** type) {
    if (HRESULT hr = ClearOut(type); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        auto made = MakeObject<GPMultiValueType>();
        if (member_) {
            ComPtr<IUnknown> opened;
            if (HRESULT hr = QueryAs<IName>(member_.Get())->Open(opened.Out()); FAILED(hr))
                return hr;
            made->putref_MemberDataType(QueryAs<IGPDataType>(opened.Get()).Get());
        }
        *type = static_cast<IGPDataType*>(made.Detach());
        return S_OK;
    });
}

HRESULT GPMultiValueTypeName::get_MemberDataTypeName(IGPDataTypeName** name) {
    if (HRESULT hr = ClearOut(name); FAILED(hr))
        return hr;
    if (!member_)
        return S_OK;
    return member_->QueryInterface(IGPDataTypeName::iid, reinterpret_cast<void**>(name));
}

HRESULT GPMultiValueTypeName::putref_MemberDataTypeName(IUnknown* name) {
    member_ = QueryAs<IGPName>(name);
    dirty_ = true;
    return S_OK;
}

HRESULT GPMultiValueTypeName::Save(IStream* stream, int32_t clearDirty) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        if (FAILED(AfStreamWrite(stream, kStreamVersion)) || FAILED(SaveObject(member_.Get(), stream, clearDirty)))
            return E_FAIL;
        if (clearDirty)
            dirty_ = false;
        return S_OK;
    });
}

HRESULT GPMultiValueTypeName::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        uint16_t version = 0;
        if (HRESULT hr = AfStreamRead(stream, &version); FAILED(hr))
            return hr;
        if (version > kStreamVersion)
            return E_FAIL;
        ComPtr<IGPName> member;
        if (HRESULT hr = LoadObject(stream, IGPName::iid, member.OutVoid()); FAILED(hr))
            return hr;
        member_ = member;
        dirty_ = false;
        return S_OK;
    });
}

HRESULT GPMultiValueTypeName::Serialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        HRESULT hr = data->put_TypeName(u"GPMultiValueTypeName");
        if (SUCCEEDED(hr))
            hr = data->put_TypeNamespaceURI(c_xml_ns_tavi);
        if (SUCCEEDED(hr))
            hr = data->AddObject(u"GPDataTypeName", member_.Get());
        return hr;
    });
}

HRESULT GPMultiValueTypeName::Deserialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        int32_t index = -1;
        if (HRESULT hr = data->Find(u"GPDataTypeName", &index); FAILED(hr))
            return hr;
        ComPtr<IUnknown> member;
        if (index >= 0 && FAILED(data->GetObject(index, c_xml_ns_tavi, u"GPDataTypeName", member.Out())))
            return E_FAIL;
        member_ = QueryAs<IGPName>(member.Get());
        dirty_ = true;
        return S_OK;
    });
}

} // namespace tavi
