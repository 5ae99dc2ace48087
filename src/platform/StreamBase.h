// What the platform's streams share: their interface list, the document version they were created for, the
// operations that behave alike on every one of them, and the arithmetic of Seek.
#pragma once

#include "platform/Object.h"
#include "tavi/Stream.h"

#include <atomic>
#include <optional>

namespace tavi {

// Copies up to `size` bytes from the current position of `source` to `target` in chunks; the counts report what was
// read and written. A target that takes fewer bytes than it was given ends the copy with STG_E_MEDIUMFULL.
HRESULT CopyStreamBytes(IStream* source, IStream* target, uint64_t size, uint64_t* read, uint64_t* written);

// Moves `*position` by `move` from the start, the current position or the end, as `origin` says, and reports the
// new position in `*newPosition` when asked. `endOf()` gives the stream's size as std::optional<int64_t> (nothing
// when it cannot be read); it is called only for STREAM_SEEK_END. An unknown origin, an unreadable size, an overflow
// or a position before the start is STG_E_INVALIDFUNCTION and leaves the position as it was; past the end is allowed.
template <class EndOf>
HRESULT SeekPosition(uint64_t* position, int64_t move, DWORD origin, EndOf&& endOf, uint64_t* newPosition) {
    int64_t base = 0;
    if (origin == STREAM_SEEK_CUR) {
        base = static_cast<int64_t>(*position);
    } else if (origin == STREAM_SEEK_END) {
        std::optional<int64_t> end = endOf();
        if (!end)
            return STG_E_INVALIDFUNCTION;
        base = *end;
    } else if (origin != STREAM_SEEK_SET) {
        return STG_E_INVALIDFUNCTION;
    }
    int64_t target = 0;
    if (__builtin_add_overflow(base, move, &target) || target < 0)
        return STG_E_INVALIDFUNCTION;
    *position = static_cast<uint64_t>(target);
    if (newPosition)
        *newPosition = *position;
    return S_OK;
}

// The base of a platform stream: IStream (also answering ISequentialStream) and IStreamDocumentVersion. It answers
// CopyTo through the stream's own Read and Write, refuses locking (STG_E_INVALIDFUNCTION), and has nothing to
// Revert (S_OK). The stream supplies the rest: Read, Write, Seek, SetSize, Commit, Stat and Clone.
template <class Derived>
class StreamBase : public Object<Derived, IStream, Alias<ISequentialStream, IStream>, IStreamDocumentVersion> {
public:
    HRESULT CopyTo(IStream* target, uint64_t size, uint64_t* read, uint64_t* written) override {
        return CopyStreamBytes(this, target, size, read, written);
    }
    HRESULT Revert() override { return S_OK; }
    HRESULT LockRegion(uint64_t, uint64_t, DWORD) override { return STG_E_INVALIDFUNCTION; }
    HRESULT UnlockRegion(uint64_t, uint64_t, DWORD) override { return STG_E_INVALIDFUNCTION; }

    // IStreamDocumentVersion: one 32-bit number, any value accepted. E_POINTER for a null out.
    HRESULT get_DocumentVersion(int32_t* version) override {
        if (!version)
            return E_POINTER;
        *version = documentVersion_.load();
        return S_OK;
    }
    HRESULT put_DocumentVersion(int32_t version) override {
        documentVersion_ = version;
        return S_OK;
    }

protected:
    explicit StreamBase(int32_t documentVersion) : documentVersion_(documentVersion) {}

    std::atomic<int32_t> documentVersion_;
};

} // namespace tavi
