// A growable stream in memory. Clones share the bytes and keep their own position, as the platform's memory streams
// do. Both streams of this folder also carry the document version they were created for.
#pragma once

#include "platform/Object.h"
#include "tavi/Stream.h"

#include <memory>
#include <mutex>
#include <vector>

namespace tavi {

// The document version part shared by the streams: get/put of one 32-bit number.
class StreamDocumentVersion {
protected:
    explicit StreamDocumentVersion(int32_t version) : documentVersion_(version) {}
    HRESULT getDocumentVersion(int32_t* version) const;
    HRESULT putDocumentVersion(int32_t version);
    std::atomic<int32_t> documentVersion_;
};

class MemoryStream final
    : public Object<MemoryStream, IStream, Alias<ISequentialStream, IStream>, IStreamDocumentVersion>,
      private StreamDocumentVersion {
public:
    static constexpr const char16_t* kClassName = u"MemoryStream";
    // The largest size a memory stream grows to; writes and SetSize beyond it give STG_E_MEDIUMFULL.
    static constexpr uint64_t kMaxSize = uint64_t{1} << 32;

    MemoryStream(const void* bytes, ULONG size, int32_t documentVersion);

    // ISequentialStream: a read past the end gives S_OK with fewer bytes (none at or after the end).
    HRESULT Read(void* buffer, ULONG size, ULONG* read) override;
    HRESULT Write(const void* buffer, ULONG size, ULONG* written) override;
    // IStream. Seeking before the start is STG_E_INVALIDFUNCTION; past the end is allowed (a write there fills the
    // gap with zeros). Locking is not supported (STG_E_INVALIDFUNCTION); Commit and Revert do nothing.
    HRESULT Seek(int64_t move, DWORD origin, uint64_t* newPosition) override;
    HRESULT SetSize(uint64_t size) override;
    HRESULT CopyTo(IStream* target, uint64_t size, uint64_t* read, uint64_t* written) override;
    HRESULT Commit(DWORD flags) override;
    HRESULT Revert() override;
    HRESULT LockRegion(uint64_t offset, uint64_t size, DWORD lockType) override;
    HRESULT UnlockRegion(uint64_t offset, uint64_t size, DWORD lockType) override;
    HRESULT Stat(STATSTG* stat, DWORD flags) override;
    HRESULT Clone(IStream** clone) override;
    // IStreamDocumentVersion
    HRESULT get_DocumentVersion(int32_t* version) override { return getDocumentVersion(version); }
    HRESULT put_DocumentVersion(int32_t version) override { return putDocumentVersion(version); }

private:
    struct Buffer {
        std::mutex mutex;
        std::vector<uint8_t> bytes;
    };
    MemoryStream(std::shared_ptr<Buffer> buffer, uint64_t position, int32_t documentVersion);

    std::shared_ptr<Buffer> buffer_;
    uint64_t position_ = 0; // changed only under the buffer's lock
};

// Copies up to `size` bytes from the current position of `source` to `target` in chunks; the counts report what was
// read and written. Shared by both streams' CopyTo.
HRESULT CopyStreamBytes(IStream* source, IStream* target, uint64_t size, uint64_t* read, uint64_t* written);

} // namespace tavi
