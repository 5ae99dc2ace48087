// Streams and stream persistence. The platform's streams also report the document version being written, which
// versioned objects consult to choose their stream form.
#pragma once

#include "tavi/Unknown.h"

enum STREAM_SEEK : DWORD { STREAM_SEEK_SET = 0, STREAM_SEEK_CUR = 1, STREAM_SEEK_END = 2 };

struct STATSTG {
    OLECHAR* pwcsName; // freed by the caller with SysFreeString (a BSTR here); null unless asked for
    DWORD type;
    uint64_t cbSize;
    DWORD grfMode;
};
constexpr DWORD STGTY_STREAM = 2;
constexpr DWORD STATFLAG_DEFAULT = 0;
constexpr DWORD STATFLAG_NONAME = 1;

struct ISequentialStream : IUnknown {
    static constexpr IID iid{0x0C733A30, 0x2A1C, 0x11CE, {0xAD, 0xE5, 0x00, 0xAA, 0x00, 0x44, 0x77, 0x3D}};
    virtual HRESULT Read(void* buffer, ULONG size, ULONG* read) = 0;
    virtual HRESULT Write(const void* buffer, ULONG size, ULONG* written) = 0;
};

struct IStream : ISequentialStream {
    static constexpr IID iid{0x0000000C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    virtual HRESULT Seek(int64_t move, DWORD origin, uint64_t* newPosition) = 0;
    virtual HRESULT SetSize(uint64_t size) = 0;
    virtual HRESULT CopyTo(IStream* target, uint64_t size, uint64_t* read, uint64_t* written) = 0;
    virtual HRESULT Commit(DWORD flags) = 0;
    virtual HRESULT Revert() = 0;
    virtual HRESULT LockRegion(uint64_t offset, uint64_t size, DWORD lockType) = 0;
    virtual HRESULT UnlockRegion(uint64_t offset, uint64_t size, DWORD lockType) = 0;
    virtual HRESULT Stat(STATSTG* stat, DWORD flags) = 0;
    virtual HRESULT Clone(IStream** clone) = 0;
};

// The document version attached to a stream: the version of the document being written or read. A stream that
// does not answer this interface is taken to carry the current version.
struct IStreamDocumentVersion : IUnknown {
    static constexpr IID iid{0x6B1F5C2A, 0x3E47, 0x4D9B, {0x9A, 0x1E, 0x52, 0x7C, 0x0D, 0x84, 0xB3, 0x61}};
    virtual HRESULT get_DocumentVersion(int32_t* version) = 0;
    virtual HRESULT put_DocumentVersion(int32_t version) = 0;
};

struct IPersist : IUnknown {
    static constexpr IID iid{0x0000010C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    virtual HRESULT GetClassID(CLSID* clsid) = 0;
};

struct IPersistStream : IPersist {
    static constexpr IID iid{0x00000109, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    virtual HRESULT IsDirty() = 0;
    virtual HRESULT Load(IStream* stream) = 0;
    virtual HRESULT Save(IStream* stream, int32_t clearDirty) = 0;
    virtual HRESULT GetSizeMax(uint64_t* size) = 0;
};

extern "C" {
// A growable stream in memory, positioned at its start, holding a copy of `bytes` (may be null with size 0).
TAVI_API HRESULT CreateStreamOnMemory(const void* bytes, ULONG size, int32_t documentVersion, IStream** out);
// A stream on a file; `forWriting` creates or truncates it. Errors are the storage codes (STG_E_*).
TAVI_API HRESULT CreateStreamOnFile(const char* path, int32_t forWriting, int32_t documentVersion, IStream** out);
// The document version of a name: "current", "older:K", "newer:K" (K the position within the application line,
// from 0) or a plain decimal version number. E_POINTER for a null argument, E_INVALIDARG for a name it does not know.
TAVI_API HRESULT TaviDocumentVersionFromName(const char* name, int32_t* version);
}
