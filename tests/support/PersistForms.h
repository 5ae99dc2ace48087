// The stored forms of objects in tests: the bytes Save writes for a document version, Load from bytes, and the
// XML round trip through the library's serializer.
#pragma once

#include "tavi/Entry.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

#include "platform/BStr.h"
#include "platform/ComPtr.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace tavi::test {

// What `object` saves for documents of `docVersion` (0: the current version).
inline std::vector<uint8_t> SavedForm(IUnknown* object, int32_t docVersion = 0) {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnMemory(nullptr, 0, docVersion, stream.Out()), S_OK);
    EXPECT_EQ(QueryAs<IPersistStream>(object)->Save(stream.Get(), 1), S_OK);
    uint64_t size = 0;
    stream->Seek(0, STREAM_SEEK_END, &size);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    std::vector<uint8_t> bytes(size);
    uint32_t read = 0;
    stream->Read(bytes.data(), static_cast<uint32_t>(size), &read);
    return bytes;
}

// `object`'s Load of `bytes`, read as a document of `docVersion`.
inline HRESULT LoadForm(IUnknown* object, const std::vector<uint8_t>& bytes, int32_t docVersion = 0) {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnMemory(bytes.data(), static_cast<ULONG>(bytes.size()), docVersion, stream.Out()), S_OK);
    return QueryAs<IPersistStream>(object)->Load(stream.Get());
}

// The XML document of `object`.
inline std::u16string XmlForm(IUnknown* object) {
    BStr xml;
    EXPECT_EQ(TaviXmlSerialize(object, nullptr, xml.Out()), S_OK);
    return xml.str();
}

} // namespace tavi::test
