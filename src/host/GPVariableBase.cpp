// The variable base.
#include "host/GPVariableBase.h"

#include "host/GPValue.h"
#include "host/StreamIO.h"

namespace tavi {

namespace {

// The data type an object read back stands for: the object itself when it is one, else the data type its name
// opens to.
HRESULT DataTypeFrom(IUnknown* object, IGPDataType** dataType) {
    if (!object)
        return S_OK;
    if (auto type = QueryAs<IGPDataType>(object)) {
        *dataType = type.Detach();
        return S_OK;
    }
    auto name = QueryAs<IName>(object);
    if (!name)
        return E_FAIL;
    ComPtr<IUnknown> opened;
    if (FAILED(name->Open(opened.Out())) || !opened)
        return E_FAIL;
    auto type = opened.As<IGPDataType>();
    if (!type)
        return E_FAIL;
    *dataType = type.Detach();
    return S_OK;
}

// The object that stands for `dataType` in a persisted form: the data type itself when it answers I, else its
// full name.
template <class I> HRESULT PersistedForm(IGPDataType* dataType, ComPtr<IUnknown>& object) {
    if (QueryAs<I>(dataType)) {
        object = QueryAs<IUnknown>(dataType);
        return S_OK;
    }
    ComPtr<IName> name;
    if (FAILED(dataType->get_FullName(name.Out())) || !name)
        return E_FAIL;
    object = QueryAs<IUnknown>(name.Get());
    return S_OK;
}

// True when `value`, or the value a chain of variables starting at it ends in, is `self`; also true for a chain too
// long to follow. Refusing such a value keeps variables free of loops, which saving, the text form and releasing
// would otherwise follow forever.
bool LeadsTo(IGPValue* value, IUnknown* self) {
    constexpr int kMaxChain = 4096;
    ComPtr<IGPValue> current(value);
    for (int step = 0; current; ++step) {
        if (step == kMaxChain || SameObject(current.Get(), self))
            return true;
        auto variable = current.As<IGPVariable>();
        if (!variable)
            return false;
        ComPtr<IGPValue> next;
        variable->get_Value(next.Out());
        current = std::move(next);
    }
    return false;
}

} // namespace

HRESULT SaveDataType(IStream* stream, IGPDataType* dataType) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        ComPtr<IUnknown> object;
        if (dataType && FAILED(PersistedForm<IPersistStream>(dataType, object)))
            return E_FAIL;
        return SaveObject(object.Get(), stream, false);
    });
}

HRESULT LoadDataType(IStream* stream, IGPDataType** dataType) {
    if (HRESULT hr = ClearOut(dataType); FAILED(hr))
        return hr;
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        ComPtr<IUnknown> object;
        if (FAILED(LoadObject(stream, IUnknown::iid, object.OutVoid())))
            return E_FAIL;
        return DataTypeFrom(object.Get(), dataType);
    });
}

HRESULT AddDataTypeElement(IXMLSerializeData* data, const OLECHAR* name, IGPDataType* dataType) {
    if (!data || !name)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        ComPtr<IUnknown> object;
        if (dataType && FAILED(PersistedForm<IXMLSerialize>(dataType, object)))
            return E_FAIL;
        return data->AddObject(name, object.Get());
    });
}

HRESULT GetDataTypeElement(IXMLSerializeData* data, int32_t index, IGPDataType** dataType) {
    if (HRESULT hr = ClearOut(dataType); FAILED(hr))
        return hr;
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        ComPtr<IUnknown> object;
        if (FAILED(data->GetObject(index, nullptr, nullptr, object.Out())))
            return E_FAIL;
        return DataTypeFrom(object.Get(), dataType);
    });
}

// ---- fields ----

HRESULT GPVariableCore::FieldsSave(IStream* stream) {
    if (FAILED(WriteString(stream, name_)) || FAILED(SaveObject(value_.Get(), stream, false)) ||
        FAILED(SaveDataType(stream, dataType_.Get())) ||
        FAILED(AfStreamWrite(stream, static_cast<int16_t>(derived_ ? VARIANT_TRUE : VARIANT_FALSE))))
        return E_FAIL;
    return S_OK;
}

HRESULT GPVariableCore::FieldsLoad(IStream* stream) {
    String name;
    ComPtr<IGPValue> value;
    ComPtr<IGPDataType> dataType;
    int16_t derived = 0;
    if (FAILED(ReadString(stream, &name)) || FAILED(LoadObject(stream, IGPValue::iid, value.OutVoid())) ||
        FAILED(LoadDataType(stream, dataType.Out())) || FAILED(AfStreamRead(stream, &derived)))
        return E_FAIL;
    name_ = std::move(name);
    value_ = std::move(value);
    dataType_ = std::move(dataType);
    derived_ = derived != 0;
    return S_OK;
}

HRESULT GPVariableCore::FieldsSerialize(IXMLSerializeData* data) {
    HRESULT hr = data->AddString(u"Name", name_.c_str());
    if (SUCCEEDED(hr) && value_)
        hr = data->AddObject(u"Value", value_.Get());
    if (SUCCEEDED(hr) && dataType_)
        hr = AddDataTypeElement(data, u"DataType", dataType_.Get());
    if (SUCCEEDED(hr))
        hr = data->AddBoolean(u"Derived", derived_ ? VARIANT_TRUE : VARIANT_FALSE);
    return hr;
}

HRESULT GPVariableCore::FieldsDeserialize(IXMLSerializeData* data) {
    String name;
    ComPtr<IGPValue> value;
    ComPtr<IGPDataType> dataType;
    VARIANT_BOOL derived = VARIANT_FALSE;
    int32_t index = -1;
    if (SUCCEEDED(data->Find(u"Name", &index)) && index >= 0) {
        BStr text;
        if (FAILED(data->GetString(index, text.Out())))
            return E_FAIL;
        name = text.str();
    }
    if (SUCCEEDED(data->Find(u"Value", &index)) && index >= 0) {
        ComPtr<IUnknown> object;
        if (FAILED(data->GetObject(index, nullptr, nullptr, object.Out())))
            return E_FAIL;
        value = QueryAs<IGPValue>(object.Get());
        if (object && !value)
            return E_FAIL;
    }
    if (SUCCEEDED(data->Find(u"DataType", &index)) && index >= 0 &&
        FAILED(GetDataTypeElement(data, index, dataType.Out())))
        return E_FAIL;
    if (SUCCEEDED(data->Find(u"Derived", &index)) && index >= 0 && FAILED(data->GetBoolean(index, &derived)))
        return E_FAIL;
    name_ = std::move(name);
    value_ = std::move(value);
    dataType_ = std::move(dataType);
    derived_ = derived != VARIANT_FALSE;
    return S_OK;
}

// ---- IGPVariable ----

HRESULT GPVariableCore::CoreGetName(BSTR* name) {
    if (!name)
        return E_POINTER;
    *name = MakeBSTR(name_);
    return *name ? S_OK : E_OUTOFMEMORY;
}

HRESULT GPVariableCore::CorePutName(const OLECHAR* name) {
    return guard([&] {
        name_ = name ? name : u"";
        SetDirty();
    });
}

HRESULT GPVariableCore::CoreGetValue(IGPValue** value) {
    if (HRESULT hr = ClearOut(value); FAILED(hr))
        return hr;
    if (!value_)
        return S_FALSE;
    return value_.CopyTo(value);
}

HRESULT GPVariableCore::CorePutValue(IGPValue* value) {
    return guard([&]() -> HRESULT {
        if (LeadsTo(value, SelfPersist()))
            return E_INVALIDARG;
        value_ = ComPtr<IGPValue>(value);
        SetDirty();
        return S_OK;
    });
}

HRESULT GPVariableCore::CoreGetDataType(IGPDataType** dataType) {
    if (HRESULT hr = ClearOut(dataType); FAILED(hr))
        return hr;
    if (dataType_) {
        return dataType_.CopyTo(dataType);
    }
    if (!value_)
        return S_FALSE;
    return value_->get_DataType(dataType);
}

HRESULT GPVariableCore::CorePutDataType(IGPDataType* dataType) {
    dataType_ = ComPtr<IGPDataType>(dataType);
    SetDirty();
    return S_OK;
}

HRESULT GPVariableCore::CoreGetDerived(VARIANT_BOOL* derived) {
    if (!derived)
        return E_POINTER;
    *derived = derived_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT GPVariableCore::CorePutDerived(VARIANT_BOOL derived) {
    derived_ = derived != VARIANT_FALSE;
    SetDirty();
    return S_OK;
}

// ---- IPersistStream ----

HRESULT GPVariableCore::CoreGetSizeMax(uint64_t* size) {
    return SaveFormSize(SelfPersist(), size);
}

// ---- IGPValue ----

HRESULT GPVariableCore::CoreIsEmpty(VARIANT_BOOL* empty) {
    if (!empty)
        return E_POINTER;
    *empty = VARIANT_TRUE;
    return value_ ? value_->IsEmpty(empty) : S_OK;
}

HRESULT GPVariableCore::CoreEmpty() {
    return value_ ? value_->Empty() : S_OK;
}

HRESULT GPVariableCore::CoreGetAsText(BSTR* text) {
    if (HRESULT hr = ClearOut(text); FAILED(hr))
        return hr;
    if (value_)
        return value_->GetAsText(text);
    *text = MakeBSTR(u"");
    return *text ? S_OK : E_OUTOFMEMORY;
}

HRESULT GPVariableCore::CoreSetAsText(const OLECHAR* text, IGPMessage** message) {
    if (HRESULT hr = ClearOut(message); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        if (!value_) {
            if (!dataType_)
                return E_FAIL;
            ComPtr<IGPValue> made;
            if (FAILED(dataType_->CreateValue(nullptr, made.Out())) || !made)
                return E_FAIL;
            value_ = std::move(made);
        }
        SetDirty();
        return value_->SetAsText(text, message);
    });
}

HRESULT GPVariableCore::CoreSerializeJSON(BSTR* json) {
    if (HRESULT hr = ClearOut(json); FAILED(hr))
        return hr;
    return value_ ? value_->SerializeJSONObject(json) : E_FAIL;
}

HRESULT GPVariableCore::CoreDeserializeJSON(const OLECHAR* json) {
    if (!value_)
        return E_FAIL;
    SetDirty();
    return value_->DeserializeJSONObject(json);
}

} // namespace tavi
