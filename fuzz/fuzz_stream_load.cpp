// Arbitrary bytes as a memory stream, read by every stream primitive: each step takes one byte that chooses the next
// read (a scalar, a GUID, a string, a variant or a nested object) until a read fails or the bytes run out. One choice
// picks a class of the module's table by number and lets it load the rest of the input, so that every persisted
// class's Load is reached without guessing its identifier. No input may crash, hang or leak: the module object count
// must come back to where it was.
#include "ProvidedClasses.h"
#include "host/CreateInstance.h"
#include "host/StreamIO.h"
#include "platform/BStr.h"
#include "platform/Object.h"
#include "tavi/Entry.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace tavi;

namespace {

// Loads an object of the chosen class from what is left of the input. Always ends the walk (E_FAIL): the rest of
// the input belongs to the object.
HRESULT LoadChosenClass(IStream* stream) {
    uint16_t index = 0;
    const auto& classes = fuzz::ProvidedClasses();
    if (FAILED(AfStreamRead(stream, &index)) || classes.empty())
        return E_FAIL;
    ComPtr<IStream> nested;
    if (FAILED(CreateStreamOnMemory(nullptr, 0, AfStreamGetDocumentVersion(stream), nested.Out())) ||
        FAILED(AfStreamWrite(nested.Get(), classes[index % classes.size()])) ||
        FAILED(stream->CopyTo(nested.Get(), UINT64_MAX, nullptr, nullptr)) ||
        FAILED(nested->Seek(0, STREAM_SEEK_SET, nullptr)))
        return E_FAIL;
    ComPtr<IUnknown> object;
    LoadObject(nested.Get(), IUnknown::iid, object.OutVoid());
    return E_FAIL;
}

HRESULT ReadOne(IStream* stream, uint8_t choice) {
    switch (choice % 16) {
    case 0: {
        int8_t v;
        return AfStreamRead(stream, &v);
    }
    case 1: {
        uint8_t v;
        return AfStreamRead(stream, &v);
    }
    case 2: {
        int16_t v;
        return AfStreamRead(stream, &v);
    }
    case 3: {
        uint16_t v;
        return AfStreamRead(stream, &v);
    }
    case 4: {
        int32_t v;
        return AfStreamRead(stream, &v);
    }
    case 5: {
        uint32_t v;
        return AfStreamRead(stream, &v);
    }
    case 6: {
        int64_t v;
        return AfStreamRead(stream, &v);
    }
    case 7: {
        uint64_t v;
        return AfStreamRead(stream, &v);
    }
    case 8: {
        float v;
        return AfStreamRead(stream, &v);
    }
    case 9: {
        double v;
        return AfStreamRead(stream, &v);
    }
    case 10: {
        GUID v;
        return AfStreamRead(stream, &v);
    }
    case 11: {
        char16_t v;
        return AfStreamRead(stream, &v);
    }
    case 12: {
        String text;
        return ReadString(stream, &text);
    }
    case 13: {
        Variant value;
        return ReadVariant(stream, &value);
    }
    case 14:
        return LoadChosenClass(stream);
    default: {
        ComPtr<IUnknown> object;
        return LoadObject(stream, IUnknown::iid, object.OutVoid());
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::ProvidedClasses(); // installs the module as the class source
    if (size > (1u << 20))
        return 0;
    int32_t objectsBefore = fuzz::ObjectsLeftAfterSingletons();
    {
        ComPtr<IStream> stream;
        if (FAILED(CreateStreamOnMemory(data, static_cast<ULONG>(size), AfStreamGetDocumentVersion(nullptr),
                                        stream.Out())))
            return 0;
        uint8_t choice = 0;
        while (SUCCEEDED(AfStreamRead(stream.Get(), &choice)))
            if (FAILED(ReadOne(stream.Get(), choice)))
                break;
    }
    if (int32_t after = fuzz::ObjectsLeftAfterSingletons(); after != objectsBefore) {
        std::fprintf(stderr, "objects leaked: %d before, %d after\n", objectsBefore, after);
        std::abort();
    }
    return 0;
}
