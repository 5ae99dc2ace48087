// The name object of a geoprocessing tool.
#include "catalogue/GPFunctionName.h"

#include "host/GPValue.h"
#include "host/StreamIO.h"
#include "host/UID.h"

namespace tavi {

namespace {

constexpr uint16_t kFunctionNameVersion = 4;
// Versions below this one store the factory identifier as an embedded identifier object.
constexpr uint16_t kFirstVersionWithoutUID = 2;
constexpr uint16_t kFirstVersionWithHelp = 3;

} // namespace

HRESULT GPFunctionName::get_HelpFile(BSTR* helpFile) {
    if (!helpFile)
        return E_POINTER;
    *helpFile = nullptr;
    if (helpFile_.IsNull())
        return S_OK;
    *helpFile = MakeBSTR(helpFile_.view());
    return *helpFile ? S_OK : E_OUTOFMEMORY;
}

HRESULT GPFunctionName::put_HelpFile(const OLECHAR* helpFile) {
    return guard([&] {
        BStr copy(helpFile);
        if (helpFile && copy.IsNull())
            return E_OUTOFMEMORY;
        helpFile_ = std::move(copy);
        dirty_ = true;
        return S_OK;
    });
}

HRESULT GPFunctionName::get_HelpContext(int32_t* helpContext) {
    if (!helpContext)
        return E_POINTER;
    *helpContext = helpContext_;
    return S_OK;
}

HRESULT GPFunctionName::put_HelpContext(int32_t helpContext) {
    helpContext_ = helpContext;
    dirty_ = true;
    return S_OK;
}

ComPtr<IGPFunctionFactory> GPFunctionName::ToolFactory() {
    ComPtr<IUnknown> factory;
    if (FAILED(CoreGetFactory(factory.Out())) || !factory)
        return nullptr;
    return factory.As<IGPFunctionFactory>();
}

HRESULT GPFunctionName::Open(IUnknown** object) {
    if (HRESULT hr = ClearOut(object); FAILED(hr))
        return hr;
    return guard([&] {
        auto tools = ToolFactory();
        if (!tools)
            return E_UNEXPECTED;
        ComPtr<IUnknown> tool;
        HRESULT hr = tools->GetFunction(name_.c_str(), tool.Out());
        if (FAILED(hr))
            return hr;
        if (tool)
            hr = tool->QueryInterface(IUnknown::iid, reinterpret_cast<void**>(object));
        return hr;
    });
}

HRESULT GPFunctionName::UpdateFactoryName() {
    return guard([&] {
        auto tools = ToolFactory();
        if (!tools)
            return E_UNEXPECTED;
        BStr factoryName;
        HRESULT hr = tools->get_Name(factoryName.Out());
        if (FAILED(hr))
            return hr;
        nameString_ = factoryName.str();
        dirty_ = true;
        return S_OK;
    });
}

HRESULT GPFunctionName::LoadFields(IStream* stream) {
    uint16_t version = 0;
    if (FAILED(AfStreamRead(stream, &version)) || version > kFunctionNameVersion)
        return E_FAIL;
    if (HRESULT hr = BaseLoad(stream); FAILED(hr))
        return hr;
    if (version < kFirstVersionWithoutUID) {
        ComPtr<IUID> factoryId;
        if (FAILED(LoadObject(stream, IUID::iid, factoryId.OutVoid())))
            return E_FAIL;
        SetFactoryClassId(GuidOf(factoryId.Get()));
        helpFile_.Reset();
        helpContext_ = 0;
        return S_OK;
    }
    if (version < kFirstVersionWithHelp) {
        helpFile_.Reset();
        helpContext_ = 0;
        return S_OK;
    }
    String helpFile;
    int32_t helpContext = 0;
    if (FAILED(ReadString(stream, &helpFile)) || FAILED(AfStreamRead(stream, &helpContext)))
        return E_FAIL;
    helpFile_ = BStr(std::u16string_view(helpFile));
    helpContext_ = helpContext;
    return S_OK;
}

HRESULT GPFunctionName::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    return guard([&] {
        // The base part is read into the object before the fields after it, so a failure later in the stream puts
        // back what was there.
        String name = name_, displayName = displayName_, description = description_, category = category_;
        const CLSID factoryClassId = factoryClassId_;
        ComPtr<IUnknown> factory = factory_;
        BStr helpFile(helpFile_.IsNull() ? BStr() : BStr(helpFile_.view()));
        const int32_t helpContext = helpContext_;
        HRESULT hr = LoadFields(stream);
        if (FAILED(hr)) {
            name_ = std::move(name);
            displayName_ = std::move(displayName);
            description_ = std::move(description);
            category_ = std::move(category);
            factoryClassId_ = factoryClassId;
            factory_ = std::move(factory);
            helpFile_ = std::move(helpFile);
            helpContext_ = helpContext;
            return hr;
        }
        dirty_ = false;
        return S_OK;
    });
}

HRESULT GPFunctionName::Save(IStream* stream, int32_t clearDirty) {
    if (!stream)
        return E_POINTER;
    return guard([&] {
        if (FAILED(AfStreamWrite(stream, kFunctionNameVersion)) || FAILED(BaseSave(stream)) ||
            FAILED(WriteString(stream, helpFile_.view())) || FAILED(AfStreamWrite(stream, helpContext_)))
            return E_FAIL;
        if (clearDirty)
            dirty_ = false;
        return S_OK;
    });
}

HRESULT GPFunctionName::Serialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&] {
        HRESULT hr = data->put_TypeName(kClassName);
        if (SUCCEEDED(hr))
            hr = data->put_TypeNamespaceURI(ValueNamespace());
        if (SUCCEEDED(hr))
            hr = BaseSerialize(data);
        if (SUCCEEDED(hr))
            hr = data->AddString(u"HelpFile", helpFile_.c_str());
        if (SUCCEEDED(hr))
            hr = data->AddDouble(u"HelpContext", helpContext_);
        return hr;
    });
}

HRESULT GPFunctionName::Deserialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&] {
        BStr helpFile(u"");
        int32_t helpContext = 0, index = -1;
        if (SUCCEEDED(data->Find(u"HelpFile", &index)) && index >= 0 && FAILED(data->GetString(index, helpFile.Out())))
            return E_FAIL;
        if (helpFile.IsNull())
            helpFile = BStr(u"");
        index = -1;
        if (SUCCEEDED(data->Find(u"HelpContext", &index)) && index >= 0 &&
            FAILED(data->GetInteger(index, &helpContext)))
            return E_FAIL;
        if (HRESULT hr = BaseDeserialize(data); FAILED(hr))
            return hr;
        helpFile_ = std::move(helpFile);
        helpContext_ = helpContext;
        return S_OK;
    });
}

} // namespace tavi
