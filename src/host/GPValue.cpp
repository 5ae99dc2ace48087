// The value base's shared part.
#include "host/GPValue.h"

#include "host/CreateInstance.h"
#include "host/DocumentVersion.h"
#include "host/Message.h"
#include "host/StreamIO.h"
#include "host/XmlNamespace.h"
#include "platform/Utf.h"
#include "tavi/GPScalar.h"

#include <nlohmann/json.hpp>

namespace tavi {

HRESULT CloneByClass(REFCLSID clsid, IClone* source, IClone** clone) {
    if (HRESULT hr = ClearOut(clone); FAILED(hr))
        return hr;
    return guard([&] {
        ComPtr<IClone> made;
        HRESULT hr = AfCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IClone::iid, made.OutVoid());
        if (FAILED(hr))
            return hr;
        if (!made)
            return E_FAIL;
        hr = made->Assign(source);
        if (FAILED(hr))
            return hr;
        *clone = made.Detach();
        return S_OK;
    });
}

HRESULT SaveFormSize(IPersistStream* object, uint64_t* size) {
    if (!size)
        return E_POINTER;
    *size = 0;
    if (!object)
        return E_POINTER;
    return guard([&] {
        ComPtr<IStream> scratch;
        HRESULT hr = CreateStreamOnMemory(nullptr, 0, docversion::kCurrent, scratch.Out());
        if (FAILED(hr))
            return hr;
        hr = object->Save(scratch.Get(), 0);
        if (FAILED(hr))
            return hr;
        uint64_t end = 0;
        hr = scratch->Seek(0, STREAM_SEEK_CUR, &end);
        if (SUCCEEDED(hr))
            *size = end;
        return hr;
    });
}

bool AnswersAny(IUnknown* object, std::initializer_list<IID> iids) {
    if (!object)
        return false;
    for (const IID& iid : iids) {
        ComPtr<IUnknown> answer;
        if (SUCCEEDED(object->QueryInterface(iid, answer.OutVoid())) && answer)
            return true;
    }
    return false;
}

bool EqualByClone(IUnknown* a, IUnknown* b) {
    if (!a || !b)
        return !a && !b;
    auto mine = QueryAs<IClone>(a);
    auto theirs = QueryAs<IClone>(b);
    VARIANT_BOOL equal = VARIANT_FALSE;
    return mine && theirs && SUCCEEDED(mine->IsEqual(theirs.Get(), &equal)) && equal != VARIANT_FALSE;
}

const OLECHAR* ValueNamespace() {
    return c_xml_ns_tavi;
}

HRESULT DescribeString(std::u16string_view text, VARIANT* value) {
    if (!value)
        return E_POINTER;
    VariantInit(value);
    BSTR copy = MakeBSTR(text);
    if (!copy)
        return E_OUTOFMEMORY;
    value->vt = VT_BSTR;
    value->bstrVal = copy;
    return S_OK;
}

HRESULT DescribeUnknown(IUnknown* object, VARIANT* value) {
    if (!value)
        return E_POINTER;
    VariantInit(value);
    if (!object)
        return S_FALSE;
    value->vt = VT_UNKNOWN;
    value->punkVal = ComPtr<IUnknown>(object).Detach();
    return S_OK;
}

HRESULT DescribeBool(bool flag, VARIANT* value) {
    if (!value)
        return E_POINTER;
    VariantInit(value);
    value->vt = VT_BOOL;
    value->boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT DescribeInteger(int32_t number, VARIANT* value) {
    if (!value)
        return E_POINTER;
    VariantInit(value);
    value->vt = VT_I4;
    value->lVal = number;
    return S_OK;
}

HRESULT DescribeValueBase(IGPValue* self, std::u16string_view name, VARIANT* value) {
    if (!self || !value)
        return E_POINTER;
    VariantInit(value);
    return guard([&]() -> HRESULT {
        if (EqualsNoCase(name, u"DataType")) {
            ComPtr<IGPDataType> dataType;
            BStr typeName;
            HRESULT hr = self->get_DataType(dataType.Out());
            if (FAILED(hr) || !dataType)
                return FAILED(hr) ? hr : S_FALSE;
            hr = dataType->get_Name(typeName.Out());
            return FAILED(hr) ? hr : DescribeString(typeName.view(), value);
        }
        if (EqualsNoCase(name, u"Value")) {
            BStr text;
            HRESULT hr = self->GetAsText(text.Out());
            return FAILED(hr) ? hr : DescribeString(text.view(), value);
        }
        if (EqualsNoCase(name, u"IsEmpty")) {
            VARIANT_BOOL empty = VARIANT_FALSE;
            HRESULT hr = self->IsEmpty(&empty);
            return FAILED(hr) ? hr : DescribeBool(empty != VARIANT_FALSE, value);
        }
        return S_FALSE;
    });
}

HRESULT SupportedFromVersion(int32_t firstVersion, int32_t docVersion, VARIANT_BOOL* supported) {
    if (!supported)
        return E_POINTER;
    *supported = docVersion >= firstVersion ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT SupportedAtEveryVersion(VARIANT_BOOL* supported) {
    if (!supported)
        return E_POINTER;
    *supported = VARIANT_TRUE;
    return S_OK;
}

HRESULT SelfAsSupportedObject(IUnknown* self, IUnknown** replacement) {
    if (HRESULT hr = ClearOut(replacement); FAILED(hr))
        return hr;
    return self->QueryInterface(IUnknown::iid, reinterpret_cast<void**>(replacement));
}

HRESULT ResolvedWithoutVariables(VARIANT_BOOL* resolved) {
    if (!resolved)
        return E_POINTER;
    *resolved = VARIANT_TRUE;
    return S_OK;
}

HRESULT ResolveAsClone(IClone* self, IGPValue** resolved) {
    if (!resolved)
        return E_POINTER;
    *resolved = nullptr;
    return guard([&]() -> HRESULT {
        ComPtr<IClone> clone;
        if (SUCCEEDED(self->Clone(clone.Out())) && clone)
            *resolved = clone.As<IGPValue>().Detach();
        return S_OK; // a clone that cannot be made is reported as no value
    });
}

HRESULT PlainStringReplacement(std::u16string_view text, IUnknown** replacement) {
    if (HRESULT hr = ClearOut(replacement); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<IGPString> plain;
        if (FAILED(AfCreateInstance(CLSID_GPString, nullptr, CLSCTX_INPROC_SERVER, IGPString::iid, plain.OutVoid())) ||
            !plain || FAILED(plain->put_Value(String(text).c_str())))
            return S_OK; // no replacement to give
        *replacement = QueryAs<IUnknown>(plain.Get()).Detach();
        return S_OK;
    });
}

HRESULT ConvertVariant(const VARIANT& in, VARTYPE kind, Variant& out) {
    if (in.vt == VT_NULL || FAILED(VariantChangeTypeEx(&out, &in, LOCALE_USER_DEFAULT, 0, kind)) || out.vt != kind)
        return E_FAIL;
    return S_OK;
}

// --- base parts ---

HRESULT GPValueCore::BaseEmpty() {
    empty_ = VARIANT_TRUE;
    SetDirty();
    return S_OK;
}

HRESULT GPValueCore::BaseAssign(IClone* source) {
    auto value = QueryAs<IGPValue>(source);
    VARIANT_BOOL sourceEmpty = VARIANT_FALSE;
    if (value && SUCCEEDED(value->IsEmpty(&sourceEmpty)))
        empty_ = sourceEmpty ? VARIANT_TRUE : VARIANT_FALSE;
    SetDirty();
    return S_OK;
}

HRESULT GPValueCore::BaseIsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    auto value = QueryAs<IGPValue>(other);
    if (!value)
        return S_OK;
    VARIANT_BOOL mine = VARIANT_FALSE, theirs = VARIANT_FALSE;
    HRESULT hr = SelfValue()->IsEmpty(&mine);
    if (SUCCEEDED(hr))
        hr = value->IsEmpty(&theirs);
    if (FAILED(hr))
        return hr;
    *equal = (mine != VARIANT_FALSE) == (theirs != VARIANT_FALSE) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT GPValueCore::SaveBase(IStream* stream) {
    return FAILED(AfStreamWrite(stream, static_cast<int16_t>(empty_))) ? E_FAIL : S_OK;
}

HRESULT GPValueCore::LoadBase(IStream* stream) {
    int16_t empty = 0;
    if (FAILED(AfStreamRead(stream, &empty)))
        return E_FAIL;
    empty_ = empty ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT GPValueCore::SerializeBase(IXMLSerializeData* data, bool* contentFollows) {
    *contentFollows = !IsEmptyFlag();
    return data->AddBoolean(u"IsEmpty", empty_);
}

HRESULT GPValueCore::DeserializeBase(IXMLSerializeData* data, bool* contentFollows) {
    *contentFollows = false;
    int32_t index = -1;
    HRESULT hr = data->Find(u"IsEmpty", &index);
    if (FAILED(hr))
        return hr;
    VARIANT_BOOL empty = VARIANT_FALSE;
    if (index >= 0 && FAILED(data->GetBoolean(index, &empty)))
        return E_FAIL;
    // A document that says "empty" empties the value through its own Empty, so that content from before the read
    // cannot survive behind the flag.
    if (empty)
        return SelfValue()->Empty();
    empty_ = VARIANT_FALSE;
    *contentFollows = true;
    return S_OK;
}

HRESULT GPValueCore::NewTextMessage(IGPMessage** message) {
    if (!message)
        return E_POINTER;
    HRESULT hr = MakeEmptyMessage(message);
    return FAILED(hr) ? E_FAIL : S_OK;
}

HRESULT GPValueCore::MakeTextError(IGPMessage* message, int32_t code) {
    auto error = QueryAs<IGPErrorMessage>(message);
    if (!error || FAILED(error->MakeError(taviGPMessageTypeError, code)))
        return E_FAIL;
    return S_OK;
}

// --- interface operations ---

HRESULT GPValueCore::CoreIsEmpty(VARIANT_BOOL* empty) {
    if (!empty)
        return E_POINTER;
    *empty = IsEmptyFlag() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT GPValueCore::CoreGetDataType(IGPDataType** dataType) {
    if (HRESULT hr = ClearOut(dataType); FAILED(hr))
        return hr;
    return guard([&] {
        return AfCreateInstance(dataTypeClassId_, nullptr, CLSCTX_INPROC_SERVER, IGPDataType::iid,
                                reinterpret_cast<void**>(dataType));
    });
}

HRESULT GPValueCore::CoreDescribe(const OLECHAR* name, VARIANT* value) {
    if (!name || !value)
        return E_POINTER;
    return DescribeValueBase(SelfValue(), name, value);
}

HRESULT GPValueCore::CoreClone(IClone** clone) {
    return CloneByClass(valueClassId_, SelfClone(), clone);
}

HRESULT GPValueCore::CoreIsIdentical(IClone* other, VARIANT_BOOL* identical) {
    if (!other || !identical)
        return E_POINTER;
    *identical = SameObject(SelfClone(), other) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT GPValueCore::CoreGetSizeMax(uint64_t* size) {
    return SaveFormSize(SelfPersist(), size);
}

HRESULT GPValueCore::CoreSerializeJSON(BSTR* json) {
    if (!json)
        return E_POINTER;
    *json = nullptr;
    return guard([&] {
        nlohmann::json object = nlohmann::json::object();
        object["type"] = ToUtf8(SelfClassName());
        VARIANT_BOOL empty = VARIANT_FALSE;
        HRESULT hr = SelfValue()->IsEmpty(&empty);
        if (FAILED(hr))
            return hr;
        if (empty) {
            object["value"] = nullptr;
        } else {
            BStr text;
            hr = SelfValue()->GetAsText(text.Out());
            if (FAILED(hr))
                return hr;
            object["value"] = ToUtf8(text.view());
        }
        *json = MakeBSTR(FromUtf8(object.dump()));
        return *json ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT GPValueCore::CoreDeserializeJSON(const OLECHAR* json) {
    if (!json)
        return E_POINTER;
    return guard([&] {
        nlohmann::json object = nlohmann::json::parse(ToUtf8(json), nullptr, false);
        if (object.is_discarded() || !object.is_object())
            return E_INVALIDARG;
        auto found = object.find("value");
        if (found == object.end() || found->is_null())
            return SelfValue()->Empty();
        std::string text;
        if (found->is_string())
            text = found->get<std::string>();
        else if (found->is_number() || found->is_boolean())
            text = found->dump();
        else
            return E_INVALIDARG;
        ComPtr<IGPMessage> message;
        HRESULT hr = SelfValue()->SetAsText(FromUtf8(text).c_str(), message.Out());
        if (FAILED(hr))
            return hr;
        return MessageIsError(message.Get()) ? E_FAIL : S_OK;
    });
}

} // namespace tavi
