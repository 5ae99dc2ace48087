// A growable stream in memory. Clones share the bytes and keep their own position, as the platform's memory streams
// do.
#pragma once

#include "platform/StreamBase.h"

#include <memory>
#include <mutex>
#include <vector>

namespace tavi {

class MemoryStream final : public StreamBase<MemoryStream> {
public:
    static constexpr const char16_t* kClassName = u"MemoryStream";
    // The largest size a memory stream grows to; writes and SetSize beyond it give STG_E_MEDIUMFULL.
    static constexpr uint64_t kMaxSize = uint64_t{1} << 32;

    MemoryStream(const void* bytes, ULONG size, int32_t documentVersion);

    // ISequentialStream: a read past the end gives S_OK with fewer bytes (none at or after the end).
    HRESULT Read(void* buffer, ULONG size, ULONG* read) override;
    HRESULT Write(const void* buffer, ULONG size, ULONG* written) override;
    // IStream (the rest is StreamBase's). Seeking before the start is STG_E_INVALIDFUNCTION; past the end is allowed
    // (a write there fills the gap with zeros). Commit does nothing.
    HRESULT Seek(int64_t move, DWORD origin, uint64_t* newPosition) override;
    HRESULT SetSize(uint64_t size) override;
    HRESULT Commit(DWORD flags) override;
    HRESULT Stat(STATSTG* stat, DWORD flags) override;
    HRESULT Clone(IStream** clone) override;

private:
    struct Buffer {
        std::mutex mutex;
        std::vector<uint8_t> bytes;
    };
    MemoryStream(std::shared_ptr<Buffer> buffer, uint64_t position, int32_t documentVersion);

    std::shared_ptr<Buffer> buffer_;
    uint64_t position_ = 0; // changed only under the buffer's lock
};

} // namespace tavi
