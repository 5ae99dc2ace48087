// Streams as byte strings for the bridge's front ends.
#include "bridge/StreamContent.h"

#include "bridge/ClassTable.h"
#include "bridge/Text.h"

#include <algorithm>

namespace tavigp {

HRESULT ReadWholeStream(IStream* stream, uint64_t limit, std::vector<uint8_t>& bytes) {
    bytes.clear();
    uint64_t position = 0, size = 0;
    HRESULT hr = stream->Seek(0, STREAM_SEEK_CUR, &position);
    if (SUCCEEDED(hr))
        hr = stream->Seek(0, STREAM_SEEK_END, &size);
    if (SUCCEEDED(hr) && size > limit) {
        stream->Seek(static_cast<int64_t>(position), STREAM_SEEK_SET, nullptr);
        throw BridgeError("stream too large (" + std::to_string(size) + " bytes)");
    }
    ULONG read = 0;
    if (SUCCEEDED(hr)) {
        bytes.resize(static_cast<size_t>(size));
        hr = stream->Seek(0, STREAM_SEEK_SET, nullptr);
    }
    if (SUCCEEDED(hr) && !bytes.empty())
        hr = stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    stream->Seek(static_cast<int64_t>(position), STREAM_SEEK_SET, nullptr);
    bytes.resize(std::min<size_t>(read, bytes.size()));
    return hr;
}

namespace {

int32_t CurrentDocumentVersion() {
    int32_t version = 0;
    TaviDocumentVersionFromName("current", &version);
    return version;
}

} // namespace

HRESULT SaveStreamForm(IUnknown* object, CLSID& classId, std::vector<uint8_t>& bytes) {
    auto persist = tavi::QueryAs<IPersistStream>(object);
    if (!persist)
        return E_NOINTERFACE;
    HRESULT hr = persist->GetClassID(&classId);
    if (FAILED(hr))
        return hr;
    tavi::ComPtr<IStream> stream;
    hr = CreateStreamOnMemory(nullptr, 0, CurrentDocumentVersion(), stream.Out());
    if (SUCCEEDED(hr))
        hr = persist->Save(stream.Get(), 0);
    if (SUCCEEDED(hr))
        hr = ReadWholeStream(stream.Get(), UINT32_MAX, bytes);
    return hr;
}

HRESULT LoadStreamForm(const CLSID& classId, const std::vector<uint8_t>& bytes, tavi::ComPtr<IUnknown>& object) {
    tavi::ComPtr<IUnknown> made;
    HRESULT hr = CreateObject(GuidToText(classId), &made).value_or(REGDB_E_CLASSNOTREG);
    if (FAILED(hr))
        return hr;
    auto persist = tavi::QueryAs<IPersistStream>(made.Get());
    if (!persist)
        return E_NOINTERFACE;
    tavi::ComPtr<IStream> stream;
    hr = CreateStreamOnMemory(bytes.empty() ? nullptr : bytes.data(), static_cast<ULONG>(bytes.size()),
                              CurrentDocumentVersion(), stream.Out());
    if (SUCCEEDED(hr))
        hr = persist->Load(stream.Get());
    if (SUCCEEDED(hr))
        object = std::move(made);
    return hr;
}

} // namespace tavigp
