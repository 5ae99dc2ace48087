// The shared frame of the stream and XML forms.
#include "host/PersistFrame.h"

#include "host/StreamIO.h"
#include "host/XmlNamespace.h"

namespace tavi {

int32_t PersistFrame::SaveVersionFor(IStream*) {
    return NewestStreamVersion();
}

HRESULT PersistFrame::SaveBase(IStream*) {
    return S_OK;
}

HRESULT PersistFrame::LoadBase(IStream*) {
    return S_OK;
}

String PersistFrame::XmlTypeNamespace() const {
    return c_xml_ns_tavi;
}

HRESULT PersistFrame::SerializeBase(IXMLSerializeData*, bool* contentFollows) {
    *contentFollows = true;
    return S_OK;
}

HRESULT PersistFrame::DeserializeBase(IXMLSerializeData*, bool* contentFollows) {
    *contentFollows = true;
    return S_OK;
}

HRESULT PersistFrame::RunStaged(bool, const StagedRead& read) {
    return read(*this);
}

HRESULT PersistFrame::FrameSave(IStream* stream, int32_t clearDirty) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        int32_t version = SaveVersionFor(stream);
        if (version == -1)
            return S_OK; // the stream's document has no form of this object
        if (version < 1 || version < OldestStreamVersion() || version > NewestStreamVersion())
            return E_FAIL; // no class writes version 0, which only older documents hold
        auto written = static_cast<uint16_t>(version);
        struct ClearsDirtyWhileSaving {
            bool& flag;
            ~ClearsDirtyWhileSaving() { flag = false; }
        } scope{saveClearsDirty_ = clearDirty != 0};
        if (FAILED(AfStreamWrite(stream, written)) || FAILED(SaveBase(stream)) || FAILED(SaveContent(stream, written)))
            return E_FAIL;
        if (clearDirty)
            ClearDirty();
        return S_OK;
    });
}

HRESULT PersistFrame::LoadInPlace(IStream* stream) {
    uint16_t version = 0;
    if (FAILED(AfStreamRead(stream, &version)) || version < OldestStreamVersion() || version > NewestStreamVersion() ||
        FAILED(LoadBase(stream)) || FAILED(LoadContent(stream, version)))
        return E_FAIL;
    return S_OK;
}

HRESULT PersistFrame::FrameLoad(IStream* stream) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        HRESULT hr = RunStaged(false, [stream](PersistFrame& staged) { return staged.LoadInPlace(stream); });
        if (FAILED(hr))
            return E_FAIL;
        ClearDirty();
        return S_OK;
    });
}

HRESULT PersistFrame::FrameSerialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        data->put_TypeName(XmlTypeName());
        data->put_TypeNamespaceURI(XmlTypeNamespace().c_str());
        bool contentFollows = true;
        HRESULT hr = SerializeBase(data, &contentFollows);
        if (FAILED(hr) || !contentFollows)
            return hr;
        return SerializeContent(data);
    });
}

HRESULT PersistFrame::DeserializeInPlace(IXMLSerializeData* data) {
    SetDirty(); // what was read is unsaved, unless the class's reader says otherwise (a date read is clean)
    bool contentFollows = true;
    HRESULT hr = DeserializeBase(data, &contentFollows);
    if (FAILED(hr) || !contentFollows)
        return hr;
    return DeserializeContent(data);
}

HRESULT PersistFrame::FrameDeserialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        return RunStaged(true, [data](PersistFrame& staged) { return staged.DeserializeInPlace(data); });
    });
}

} // namespace tavi
