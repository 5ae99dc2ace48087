// Bindings of streams and stream persistence.
#include "bridge/Binding.h"

#include "tavi/Stream.h"

namespace tavigp {

namespace {

// Reads and writes of stream content through the bridge are bounded, as a reply line is held in memory whole.
constexpr ULONG kMaxTransfer = 16u << 20;

HRESULT Read(IStream* stream, ULONG size, HexBytes* out, ULONG* read) {
    if (size > kMaxTransfer)
        throw BridgeError("at most " + std::to_string(kMaxTransfer) + " bytes per Read through the bridge");
    std::vector<uint8_t> bytes(size);
    HRESULT hr = stream->Read(out ? bytes.data() : nullptr, size, read);
    // Without a read count only a full read (S_OK) says how many bytes came.
    ULONG got = read ? std::min(*read, size) : (hr == S_OK ? size : 0);
    if (out)
        out->bytes.assign(bytes.begin(), bytes.begin() + got);
    return hr;
}

HRESULT Write(IStream* stream, HexBytes bytes, ULONG* written) {
    return stream->Write(bytes.bytes.data(), static_cast<ULONG>(bytes.bytes.size()), written);
}

// Stat without the name: the size and the storage type.
HRESULT Stat(IStream* stream, uint64_t* size, DWORD* type) {
    STATSTG stat{};
    HRESULT hr = stream->Stat(&stat, STATFLAG_NONAME);
    SysFreeString(stat.pwcsName); // null unless a stream ignores STATFLAG_NONAME
    if (size)
        *size = stat.cbSize;
    if (type)
        *type = stat.type;
    return hr;
}

} // namespace

void BindPersistFamily(BindingTable& t) {
    BIND(t, IPersist, GetClassID);
    BIND(t, IPersistStream, GetClassID);
    BIND(t, IPersistStream, IsDirty);
    BIND(t, IPersistStream, Load);
    BIND(t, IPersistStream, Save);
    BIND(t, IPersistStream, GetSizeMax);

    ADAPT(t, IStream, Read, &Read);
    ADAPT(t, IStream, Write, &Write);
    ADAPT(t, IStream, Stat, &Stat);
    BIND(t, IStream, Seek);
    BIND(t, IStream, SetSize);
    BIND(t, IStream, CopyTo);
    BIND(t, IStream, Commit);
    BIND(t, IStream, Revert);
    BIND(t, IStream, LockRegion);
    BIND(t, IStream, UnlockRegion);
    BIND(t, IStream, Clone);

    BIND(t, IStreamDocumentVersion, get_DocumentVersion);
    BIND(t, IStreamDocumentVersion, put_DocumentVersion);
}

} // namespace tavigp
