// The name base and the plain name.
#include "host/GPName.h"

#include "host/CreateInstance.h"
#include "host/GPValue.h"
#include "host/StreamIO.h"
#include "host/UID.h"
#include "platform/Guid.h"

namespace tavi {

namespace {

constexpr uint16_t kNameVersion = 1;

HRESULT ReadOptionalString(IXMLSerializeData* data, const OLECHAR* name, String* text) {
    int32_t index = -1;
    text->clear();
    if (FAILED(data->Find(name, &index)) || index < 0)
        return S_OK;
    BStr value;
    if (FAILED(data->GetString(index, value.Out())))
        return E_FAIL;
    *text = value.str();
    return S_OK;
}

} // namespace

HRESULT GPNameCore::BaseSave(IStream* stream) {
    if (!stream)
        return E_POINTER;
    for (const String* field : {&name_, &displayName_, &description_, &category_})
        if (FAILED(WriteString(stream, *field)))
            return E_FAIL;
    return FAILED(AfStreamWrite(stream, factoryClassId_)) ? E_FAIL : S_OK;
}

HRESULT GPNameCore::BaseLoad(IStream* stream) {
    if (!stream)
        return E_POINTER;
    return guard([&] {
        String fields[4];
        for (String& field : fields)
            if (FAILED(ReadString(stream, &field)))
                return E_FAIL;
        CLSID factory;
        if (FAILED(AfStreamRead(stream, &factory)))
            return E_FAIL;
        name_ = std::move(fields[0]);
        displayName_ = std::move(fields[1]);
        description_ = std::move(fields[2]);
        category_ = std::move(fields[3]);
        factoryClassId_ = factory;
        factory_ = nullptr;
        return S_OK;
    });
}

HRESULT GPNameCore::BaseSerialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&] {
        HRESULT hr = S_OK;
        const std::pair<const OLECHAR*, const String*> fields[] = {{u"Name", &name_},
                                                                   {u"DisplayName", &displayName_},
                                                                   {u"Description", &description_},
                                                                   {u"Category", &category_}};
        for (const auto& [element, field] : fields)
            if (FAILED(hr = data->AddString(element, field->c_str())))
                return hr;
        return data->AddString(u"FactoryCLSID", GuidText(factoryClassId_).c_str());
    });
}

HRESULT GPNameCore::BaseDeserialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&] {
        String fields[4], factoryText;
        const OLECHAR* names[4] = {u"Name", u"DisplayName", u"Description", u"Category"};
        for (int i = 0; i < 4; ++i)
            if (FAILED(ReadOptionalString(data, names[i], &fields[i])))
                return E_FAIL;
        if (FAILED(ReadOptionalString(data, u"FactoryCLSID", &factoryText)))
            return E_FAIL;
        CLSID factory = GUID_NULL;
        if (!factoryText.empty() && FAILED(CLSIDFromString(factoryText.c_str(), &factory)))
            return E_FAIL;
        name_ = std::move(fields[0]);
        displayName_ = std::move(fields[1]);
        description_ = std::move(fields[2]);
        category_ = std::move(fields[3]);
        factoryClassId_ = factory;
        factory_ = nullptr;
        dirty_ = true;
        return S_OK;
    });
}

HRESULT GPNameCore::CoreGetText(const String& field, BSTR* out) {
    if (!out)
        return E_POINTER;
    *out = MakeBSTR(field);
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT GPNameCore::CoreSetText(String& field, const OLECHAR* text) {
    return guard([&] {
        field = text ? text : u"";
        dirty_ = true;
    });
}

HRESULT GPNameCore::CoreGetFactory(IUnknown** factory) {
    if (HRESULT hr = ClearOut(factory); FAILED(hr))
        return hr;
    if (factory_)
        return factory_.CopyTo(factory);
    if (factoryClassId_ == GUID_NULL)
        return S_FALSE;
    return guard([&] {
        return AfCreateInstance(factoryClassId_, nullptr, CLSCTX_INPROC_SERVER, IUnknown::iid,
                                reinterpret_cast<void**>(factory));
    });
}

HRESULT GPNameCore::CorePutFactory(IUnknown* factory) {
    factory_ = ComPtr<IUnknown>(factory);
    CLSID clsid = GUID_NULL;
    if (auto persist = QueryAs<IPersist>(factory); persist && SUCCEEDED(persist->GetClassID(&clsid)))
        factoryClassId_ = clsid;
    else if (auto id = QueryAs<IClassID>(factory); id && SUCCEEDED(id->get_ClassID(&clsid)))
        factoryClassId_ = clsid;
    dirty_ = true;
    return S_OK;
}

HRESULT GPNameCore::CoreOpen(IUnknown** object) {
    if (HRESULT hr = ClearOut(object); FAILED(hr))
        return hr;
    return guard([&] {
        ComPtr<IUnknown> factory;
        if (FAILED(CoreGetFactory(factory.Out())) || !factory)
            return E_UNEXPECTED;
        auto dataTypes = factory.As<IGPDataTypeFactory>();
        if (!dataTypes)
            return E_UNEXPECTED;
        ComPtr<IGPDataType> dataType;
        HRESULT hr = dataTypes->GetDataType(name_.c_str(), dataType.Out());
        if (FAILED(hr))
            return hr;
        if (!dataType)
            return E_FAIL;
        *object = static_cast<IUnknown*>(dataType.Detach());
        return S_OK;
    });
}

// --- GPName ---

HRESULT GPName::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    uint16_t version = 0;
    if (FAILED(AfStreamRead(stream, &version)) || version > kNameVersion)
        return E_FAIL;
    HRESULT hr = BaseLoad(stream);
    if (SUCCEEDED(hr))
        dirty_ = false;
    return hr;
}

HRESULT GPName::Save(IStream* stream, int32_t clearDirty) {
    if (!stream)
        return E_POINTER;
    if (FAILED(AfStreamWrite(stream, kNameVersion)) || FAILED(BaseSave(stream)))
        return E_FAIL;
    if (clearDirty)
        dirty_ = false;
    return S_OK;
}

HRESULT GPName::Serialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    HRESULT hr = data->put_TypeName(kClassName);
    if (SUCCEEDED(hr))
        hr = data->put_TypeNamespaceURI(ValueNamespace());
    return SUCCEEDED(hr) ? BaseSerialize(data) : hr;
}

HRESULT GPName::Deserialize(IXMLSerializeData* data) {
    return BaseDeserialize(data);
}

} // namespace tavi
