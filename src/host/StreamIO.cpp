// The stream primitives: scalars byte by byte in little-endian order, strings and arrays read in bounded chunks so
// that a corrupt count never allocates more than the stream really holds, nested objects with their class identifier.
#include "host/StreamIO.h"

#include "host/CreateInstance.h"
#include "host/DocumentVersion.h"
#include "platform/ComPtr.h"
#include "platform/Object.h"

#include <cstring>
#include <type_traits>
#include <vector>

namespace tavi {

HRESULT AfStreamReadBytes(IStream* stream, void* buffer, ULONG size) {
    if (!stream || (!buffer && size))
        return E_POINTER;
    ULONG read = 0;
    HRESULT hr = stream->Read(buffer, size, &read);
    return (FAILED(hr) || read != size) ? E_FAIL : S_OK;
}

HRESULT AfStreamWriteBytes(IStream* stream, const void* buffer, ULONG size) {
    if (!stream || (!buffer && size))
        return E_POINTER;
    ULONG written = 0;
    HRESULT hr = stream->Write(buffer, size, &written);
    return (FAILED(hr) || written != size) ? E_FAIL : S_OK;
}

namespace {

// Scalars travel as their unsigned bit pattern of the same width, least significant byte first.
template <class T>
using Bits = std::conditional_t<
    sizeof(T) == 1, uint8_t,
    std::conditional_t<sizeof(T) == 2, uint16_t, std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>>;

template <class T> HRESULT ReadScalar(IStream* stream, T* value) {
    if (!stream || !value)
        return E_POINTER;
    uint8_t bytes[sizeof(T)];
    HRESULT hr = AfStreamReadBytes(stream, bytes, sizeof(T));
    if (FAILED(hr))
        return hr;
    Bits<T> bits = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        bits |= static_cast<Bits<T>>(static_cast<Bits<T>>(bytes[i]) << (8 * i));
    std::memcpy(value, &bits, sizeof(T));
    return S_OK;
}

template <class T> HRESULT WriteScalar(IStream* stream, T value) {
    if (!stream)
        return E_POINTER;
    Bits<T> bits;
    std::memcpy(&bits, &value, sizeof(T));
    uint8_t bytes[sizeof(T)];
    for (size_t i = 0; i < sizeof(T); ++i)
        bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
    return AfStreamWriteBytes(stream, bytes, sizeof(T));
}

// How deep nested objects may go while loading. A stream that nests objects inside variants inside objects without
// end is corrupt; refusing it keeps the stack safe.
constexpr int kMaxObjectDepth = 200;
thread_local int objectDepth = 0;

// Units of a string read per chunk: a corrupt count runs out of stream after at most one chunk more than it holds.
constexpr uint32_t kChunkUnits = 16 * 1024;

} // namespace

#define TAVI_STREAM_SCALAR(T)                                                                                          \
    HRESULT AfStreamRead(IStream* stream, T* value) {                                                                  \
        return ReadScalar(stream, value);                                                                              \
    }                                                                                                                  \
    HRESULT AfStreamWrite(IStream* stream, T value) {                                                                  \
        return WriteScalar(stream, value);                                                                             \
    }
TAVI_STREAM_SCALAR(int8_t)
TAVI_STREAM_SCALAR(uint8_t)
TAVI_STREAM_SCALAR(int16_t)
TAVI_STREAM_SCALAR(uint16_t)
TAVI_STREAM_SCALAR(int32_t)
TAVI_STREAM_SCALAR(uint32_t)
TAVI_STREAM_SCALAR(int64_t)
TAVI_STREAM_SCALAR(uint64_t)
TAVI_STREAM_SCALAR(float)
TAVI_STREAM_SCALAR(double)
TAVI_STREAM_SCALAR(char16_t)
#undef TAVI_STREAM_SCALAR

HRESULT AfStreamRead(IStream* stream, GUID* value) {
    if (!stream || !value)
        return E_POINTER;
    GUID read{};
    HRESULT hr = ReadScalar(stream, &read.Data1);
    if (SUCCEEDED(hr))
        hr = ReadScalar(stream, &read.Data2);
    if (SUCCEEDED(hr))
        hr = ReadScalar(stream, &read.Data3);
    if (SUCCEEDED(hr))
        hr = AfStreamReadBytes(stream, read.Data4, 8);
    if (SUCCEEDED(hr))
        *value = read;
    return hr;
}

HRESULT AfStreamWrite(IStream* stream, const GUID& value) {
    if (!stream)
        return E_POINTER;
    uint8_t bytes[16];
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(value.Data1 >> (8 * i));
    bytes[4] = static_cast<uint8_t>(value.Data2);
    bytes[5] = static_cast<uint8_t>(value.Data2 >> 8);
    bytes[6] = static_cast<uint8_t>(value.Data3);
    bytes[7] = static_cast<uint8_t>(value.Data3 >> 8);
    std::memcpy(bytes + 8, value.Data4, 8);
    return AfStreamWriteBytes(stream, bytes, sizeof bytes);
}

HRESULT ReadString(IStream* stream, String* text) {
    if (!stream || !text)
        return E_POINTER;
    text->clear();
    return guard([&]() -> HRESULT {
        int32_t count = 0;
        if (FAILED(AfStreamRead(stream, &count)) || count < 0)
            return E_FAIL;
        String result;
        std::vector<uint8_t> chunk;
        uint32_t left = static_cast<uint32_t>(count);
        while (left > 0) {
            uint32_t units = left < kChunkUnits ? left : kChunkUnits;
            chunk.resize(units * 2);
            if (FAILED(AfStreamReadBytes(stream, chunk.data(), units * 2)))
                return E_FAIL;
            for (uint32_t i = 0; i < units; ++i)
                result += static_cast<char16_t>(chunk[2 * i] | (chunk[2 * i + 1] << 8));
            left -= units;
        }
        *text = std::move(result);
        return S_OK;
    });
}

HRESULT WriteString(IStream* stream, std::u16string_view text) {
    if (!stream)
        return E_POINTER;
    if (text.size() > static_cast<size_t>(INT32_MAX))
        return E_FAIL;
    return guard([&]() -> HRESULT {
        if (FAILED(AfStreamWrite(stream, static_cast<int32_t>(text.size()))))
            return E_FAIL;
        std::vector<uint8_t> bytes;
        for (size_t start = 0; start < text.size(); start += kChunkUnits) {
            size_t units = std::min<size_t>(kChunkUnits, text.size() - start);
            bytes.resize(units * 2);
            for (size_t i = 0; i < units; ++i) {
                bytes[2 * i] = static_cast<uint8_t>(text[start + i]);
                bytes[2 * i + 1] = static_cast<uint8_t>(text[start + i] >> 8);
            }
            if (FAILED(AfStreamWriteBytes(stream, bytes.data(), static_cast<ULONG>(bytes.size()))))
                return E_FAIL;
        }
        return S_OK;
    });
}

namespace {

// The scalar kinds a variant or an array element may hold, with their stored width in bytes (0: a string).
int ScalarWidth(VARTYPE vt) {
    switch (vt) {
    case VT_I1:
    case VT_UI1:
        return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
    case VT_R4:
        return 4;
    case VT_I8:
    case VT_UI8:
    case VT_CY:
    case VT_R8:
    case VT_DATE:
        return 8;
    case VT_BSTR:
        return 0;
    default:
        return -1;
    }
}

// Writes the payload of a scalar kind held at `data` (the union member's address, or an array element).
HRESULT WriteScalarPayload(IStream* stream, VARTYPE vt, const void* data) {
    switch (ScalarWidth(vt)) {
    case 1:
        return AfStreamWrite(stream, *static_cast<const uint8_t*>(data));
    case 2:
        return AfStreamWrite(stream, *static_cast<const uint16_t*>(data));
    case 4:
        return AfStreamWrite(stream, *static_cast<const uint32_t*>(data));
    case 8:
        return AfStreamWrite(stream, *static_cast<const uint64_t*>(data));
    case 0: {
        BSTR text = *static_cast<const BSTR*>(data);
        return WriteString(stream, std::u16string_view(text ? text : u"", SysStringLen(text)));
    }
    default:
        return E_FAIL;
    }
}

// Reads the payload of a scalar kind into `data`; a string arrives as a new BSTR the caller owns.
HRESULT ReadScalarPayload(IStream* stream, VARTYPE vt, void* data) {
    switch (ScalarWidth(vt)) {
    case 1:
        return AfStreamRead(stream, static_cast<uint8_t*>(data));
    case 2:
        return AfStreamRead(stream, static_cast<uint16_t*>(data));
    case 4:
        return AfStreamRead(stream, static_cast<uint32_t*>(data));
    case 8:
        return AfStreamRead(stream, static_cast<uint64_t*>(data));
    case 0: {
        String text;
        if (FAILED(ReadString(stream, &text)))
            return E_FAIL;
        BSTR made = MakeBSTR(text);
        if (!made)
            return E_OUTOFMEMORY;
        *static_cast<BSTR*>(data) = made;
        return S_OK;
    }
    default:
        return E_FAIL;
    }
}

// True when every index from `lower` on for `count` elements is a 32-bit number: a stored lower bound near the top
// of the range with a count that runs past it is corrupt.
bool IndexesFit(int32_t lower, uint32_t count) {
    return count == 0 || static_cast<int64_t>(lower) + static_cast<int64_t>(count) - 1 <= INT32_MAX;
}

HRESULT WriteArray(IStream* stream, VARTYPE elementType, const SAFEARRAY* array) {
    if (!array || array->cDims != 1 || ScalarWidth(elementType) < 0)
        return E_FAIL;
    int32_t lower = array->rgsabound[0].lLbound;
    uint32_t count = array->rgsabound[0].cElements;
    if (count > static_cast<uint32_t>(INT32_MAX) || !IndexesFit(lower, count) || FAILED(AfStreamWrite(stream, lower)) ||
        FAILED(AfStreamWrite(stream, static_cast<int32_t>(count))))
        return E_FAIL;
    for (uint32_t i = 0; i < count; ++i) {
        int32_t index = lower + static_cast<int32_t>(i);
        uint64_t element[2] = {0, 0};
        if (FAILED(SafeArrayGetElement(array, &index, element)))
            return E_FAIL;
        HRESULT hr = WriteScalarPayload(stream, elementType, element);
        if (elementType == VT_BSTR) {
            BSTR copy = nullptr; // GetElement handed out a copy
            std::memcpy(&copy, element, sizeof copy);
            SysFreeString(copy);
        }
        if (FAILED(hr))
            return E_FAIL;
    }
    return S_OK;
}

// An array is read element by element into a buffer that grows as the stream delivers, and made into a safe array
// only at the end, so that a corrupt count costs no more memory than the stream really holds.
HRESULT ReadArray(IStream* stream, VARTYPE elementType, SAFEARRAY** out) {
    int32_t lower = 0, count = 0;
    if (ScalarWidth(elementType) < 0 || FAILED(AfStreamRead(stream, &lower)) || FAILED(AfStreamRead(stream, &count)) ||
        count < 0 || !IndexesFit(lower, static_cast<uint32_t>(count)))
        return E_FAIL;
    std::vector<uint64_t> scalars;
    std::vector<BStr> texts;
    for (int32_t i = 0; i < count; ++i) {
        uint64_t element = 0;
        if (FAILED(ReadScalarPayload(stream, elementType, &element)))
            return E_FAIL;
        if (elementType == VT_BSTR) {
            BSTR text = nullptr;
            std::memcpy(&text, &element, sizeof text);
            texts.push_back(BStr::Adopt(text));
        } else
            scalars.push_back(element);
    }
    SAFEARRAY* array = SafeArrayCreateVector(elementType, lower, static_cast<uint32_t>(count));
    if (!array)
        return E_OUTOFMEMORY;
    for (int32_t i = 0; i < count; ++i) {
        int32_t index = lower + i;
        const void* value = elementType == VT_BSTR ? static_cast<const void*>(texts[static_cast<size_t>(i)].Get())
                                                   : static_cast<const void*>(&scalars[static_cast<size_t>(i)]);
        if (FAILED(SafeArrayPutElement(array, &index, value))) {
            SafeArrayDestroy(array);
            return E_FAIL;
        }
    }
    *out = array;
    return S_OK;
}

} // namespace

HRESULT WriteVariant(IStream* stream, const VARIANT& value) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        VARTYPE vt = value.vt;
        if (vt & VT_BYREF)
            return E_FAIL;
        if (vt & VT_ARRAY) {
            VARTYPE elementType = static_cast<VARTYPE>(vt & VT_TYPEMASK);
            if ((vt & ~(VT_ARRAY | VT_TYPEMASK)) || ScalarWidth(elementType) < 0)
                return E_FAIL;
            if (FAILED(AfStreamWrite(stream, static_cast<uint16_t>(vt))))
                return E_FAIL;
            return WriteArray(stream, elementType, value.parray);
        }
        switch (vt) {
        case VT_EMPTY:
        case VT_NULL:
            return AfStreamWrite(stream, static_cast<uint16_t>(vt));
        case VT_UNKNOWN:
        case VT_DISPATCH:
            if (FAILED(AfStreamWrite(stream, static_cast<uint16_t>(vt))))
                return E_FAIL;
            return SaveObject(vt == VT_UNKNOWN ? value.punkVal : value.pdispVal, stream, false);
        default:
            if (ScalarWidth(vt) < 0)
                return E_FAIL;
            if (FAILED(AfStreamWrite(stream, static_cast<uint16_t>(vt))))
                return E_FAIL;
            return WriteScalarPayload(stream, vt, &value.llVal);
        }
    });
}

HRESULT ReadVariant(IStream* stream, VARIANT* value) {
    if (!stream || !value)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        uint16_t vt = 0;
        if (FAILED(AfStreamRead(stream, &vt)))
            return E_FAIL;
        Variant read; // owns whatever is read until it is handed out
        if (vt & VT_ARRAY) {
            VARTYPE elementType = static_cast<VARTYPE>(vt & VT_TYPEMASK);
            if (vt & ~(VT_ARRAY | VT_TYPEMASK))
                return E_FAIL;
            SAFEARRAY* array = nullptr;
            if (FAILED(ReadArray(stream, elementType, &array)))
                return E_FAIL;
            read.vt = vt;
            read.parray = array;
        } else if (vt == VT_EMPTY || vt == VT_NULL) {
            read.vt = vt;
        } else if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
            ComPtr<IUnknown> object;
            if (FAILED(LoadObject(stream, IUnknown::iid, object.OutVoid())))
                return E_FAIL;
            read.vt = vt;
            read.punkVal = object.Detach();
        } else {
            if (ScalarWidth(vt) < 0)
                return E_FAIL;
            uint64_t payload[1] = {0};
            if (FAILED(ReadScalarPayload(stream, vt, payload)))
                return E_FAIL;
            std::memcpy(&read.llVal, payload, sizeof payload);
            read.vt = vt;
        }
        VariantClear(value);
        *value = read.Detach();
        return S_OK;
    });
}

HRESULT SaveObject(IUnknown* object, IStream* stream, bool clearDirty) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        if (!object)
            return SUCCEEDED(AfStreamWrite(stream, GUID_NULL)) ? S_OK : E_FAIL;
        auto persist = QueryAs<IPersistStream>(object);
        CLSID clsid = GUID_NULL;
        if (!persist || FAILED(persist->GetClassID(&clsid)) || clsid == GUID_NULL)
            return E_FAIL;
        if (FAILED(AfStreamWrite(stream, clsid)))
            return E_FAIL;
        return SUCCEEDED(persist->Save(stream, clearDirty ? 1 : 0)) ? S_OK : E_FAIL;
    });
}

HRESULT LoadObject(IStream* stream, REFIID riid, void** object, IUnknown* outer) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        CLSID clsid = GUID_NULL;
        if (FAILED(AfStreamRead(stream, &clsid)))
            return E_FAIL;
        if (clsid == GUID_NULL)
            return S_OK;
        // An aggregated object can only hand out its inner unknown.
        if (outer && !(riid == IUnknown::iid))
            return E_FAIL;
        if (objectDepth >= kMaxObjectDepth)
            return E_FAIL;
        struct Depth {
            Depth() { ++objectDepth; }
            ~Depth() { --objectDepth; }
        } depth;

        ComPtr<IUnknown> created;
        if (FAILED(AfCreateInstance(clsid, outer, CLSCTX_ALL, IUnknown::iid, created.OutVoid())) || !created)
            return E_FAIL;
        auto persist = created.As<IPersistStream>();
        if (!persist || FAILED(persist->Load(stream)))
            return E_FAIL;
        persist.Reset();
        if (outer) {
            *object = created.Detach();
            return S_OK;
        }
        return SUCCEEDED(created->QueryInterface(riid, object)) ? S_OK : E_FAIL;
    });
}

int32_t AfStreamGetDocumentVersion(IStream* stream) {
    int32_t version = docversion::kCurrent;
    if (auto versioned = QueryAs<IStreamDocumentVersion>(stream))
        if (FAILED(versioned->get_DocumentVersion(&version)))
            version = docversion::kCurrent;
    return version;
}

namespace {

int16_t Lookup(int32_t count, const int16_t* table, int32_t position) {
    if (count <= 0 || !table)
        return -1;
    return table[position < count ? position : count - 1];
}

} // namespace

int16_t AfStreamGetSaveVersion(int32_t docVersion, int32_t count, const int16_t* table) {
    // One table serves both application lines: its first entries are the older line's versions in order, and the
    // newer line's versions follow after all of them (the older line's count first), so a table that is short
    // for the newer line simply hands its last entry to every newer version.
    return Lookup(count, table, docversion::PositionInBothLines(docVersion));
}

int16_t AfStreamGetOrinSaveVersion(int32_t docVersion, int32_t count1, const int16_t* newerTable, int32_t count2,
                                   const int16_t* olderTable) {
    int32_t position = docversion::PositionInLine(docVersion);
    if (docversion::IsNewerLine(docVersion))
        return Lookup(count1, newerTable, position);
    return Lookup(count2, olderTable, position);
}

} // namespace tavi
