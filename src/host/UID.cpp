// The identifier object.
#include "host/UID.h"

#include "host/StreamIO.h"
#include "host/String.h"
#include "platform/Guid.h"

#include "tavi/Registry.h"

namespace tavi {

HRESULT MakeUID(REFGUID guid, IUID** uid) {
    if (HRESULT hr = ClearOut(uid); FAILED(hr))
        return hr;
    return guard([&] {
        auto made = MakeObject<UID>();
        made->SetGUID(guid, 0);
        *uid = static_cast<IUID*>(made.Detach());
    });
}

GUID GuidOf(IUID* uid) {
    GUID guid = GUID_NULL;
    if (auto init = QueryAs<IUIDInit>(uid); !init || FAILED(init->GetGUID(&guid)))
        guid = GUID_NULL;
    return guid;
}

HRESULT UID::get_Value(VARIANT* value) {
    if (!value)
        return E_POINTER;
    return guard([&] {
        BSTR text = MakeBSTR(GuidText(guid_));
        if (!text)
            return E_OUTOFMEMORY;
        VariantInit(value);
        value->vt = VT_BSTR;
        value->bstrVal = text;
        return S_OK;
    });
}

HRESULT UID::put_Value(VARIANT value) {
    if (value.vt != VT_BSTR || !value.bstrVal)
        return E_INVALIDARG;
    GUID parsed;
    if (FAILED(CLSIDFromString(value.bstrVal, &parsed)) && FAILED(CLSIDFromProgID(value.bstrVal, &parsed)))
        return E_INVALIDARG;
    guid_ = parsed;
    dirty_ = true;
    return S_OK;
}

HRESULT UID::get_SubType(int32_t* subType) {
    if (!subType)
        return E_POINTER;
    *subType = subType_;
    return S_OK;
}

HRESULT UID::put_SubType(int32_t subType) {
    subType_ = subType;
    dirty_ = true;
    return S_OK;
}

HRESULT UID::Generate() {
    HRESULT hr = CoCreateGuid(&guid_);
    dirty_ = true;
    return hr;
}

HRESULT UID::Compare(IUID* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    int32_t otherSubType = 0;
    other->get_SubType(&otherSubType);
    *equal = (GuidOf(other) == guid_ && otherSubType == subType_) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT UID::SetGUID(REFGUID guid, int32_t subType) {
    guid_ = guid;
    subType_ = subType;
    dirty_ = true;
    return S_OK;
}

HRESULT UID::GetGUID(GUID* guid) {
    if (!guid)
        return E_POINTER;
    *guid = guid_;
    return S_OK;
}

HRESULT UID::Clone(IClone** clone) {
    if (HRESULT hr = ClearOut(clone); FAILED(hr))
        return hr;
    return guard([&] {
        auto made = MakeObject<UID>();
        made->SetGUID(guid_, subType_);
        *clone = static_cast<IClone*>(made.Detach());
    });
}

HRESULT UID::Assign(IClone* source) {
    auto other = QueryAs<IUID>(source);
    if (!other)
        return E_INVALIDARG;
    int32_t subType = 0;
    other->get_SubType(&subType);
    return SetGUID(GuidOf(other.Get()), subType);
}

HRESULT UID::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    auto uid = QueryAs<IUID>(other);
    return uid ? Compare(uid.Get(), equal) : S_OK;
}

HRESULT UID::IsIdentical(IClone* other, VARIANT_BOOL* identical) {
    if (!other || !identical)
        return E_POINTER;
    *identical = SameObject(static_cast<IClone*>(this), other) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT UID::IsDirty() {
    return dirty_ ? S_OK : S_FALSE;
}

HRESULT UID::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    GUID guid;
    int32_t subType = 0;
    if (FAILED(AfStreamRead(stream, &guid)) || FAILED(AfStreamRead(stream, &subType)))
        return E_FAIL;
    guid_ = guid;
    subType_ = subType;
    dirty_ = false;
    return S_OK;
}

HRESULT UID::Save(IStream* stream, int32_t clearDirty) {
    if (!stream)
        return E_POINTER;
    if (FAILED(AfStreamWrite(stream, guid_)) || FAILED(AfStreamWrite(stream, subType_)))
        return E_FAIL;
    if (clearDirty)
        dirty_ = false;
    return S_OK;
}

HRESULT UID::GetSizeMax(uint64_t* size) {
    if (!size)
        return E_POINTER;
    *size = sizeof(GUID) + sizeof(int32_t);
    return S_OK;
}

HRESULT UID::Serialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&] {
        HRESULT hr = data->put_TypeName(u"UID");
        if (SUCCEEDED(hr))
            hr = data->AddString(u"Value", GuidText(guid_).c_str());
        if (SUCCEEDED(hr) && subType_ != 0)
            hr = data->AddInteger(u"SubType", subType_);
        return hr;
    });
}

HRESULT UID::Deserialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&] {
        int32_t index = -1;
        BStr text;
        if (FAILED(data->Find(u"Value", &index)) || index < 0 || FAILED(data->GetString(index, text.Out())))
            return E_FAIL;
        GUID guid;
        if (FAILED(CLSIDFromString(text.c_str(), &guid)))
            return E_FAIL;
        int32_t subType = 0;
        if (SUCCEEDED(data->Find(u"SubType", &index)) && index >= 0 && FAILED(data->GetInteger(index, &subType)))
            return E_FAIL;
        guid_ = guid;
        subType_ = subType;
        dirty_ = true;
        return S_OK;
    });
}

} // namespace tavi
