// The memory stream and the exported CreateStreamOnMemory.
#include "platform/MemoryStream.h"

#include <algorithm>
#include <cstring>

namespace tavi {

MemoryStream::MemoryStream(const void* bytes, ULONG size, int32_t documentVersion)
    : StreamBase(documentVersion), buffer_(std::make_shared<Buffer>()) {
    if (bytes && size)
        buffer_->bytes.assign(static_cast<const uint8_t*>(bytes), static_cast<const uint8_t*>(bytes) + size);
}

MemoryStream::MemoryStream(std::shared_ptr<Buffer> buffer, uint64_t position, int32_t documentVersion)
    : StreamBase(documentVersion), buffer_(std::move(buffer)), position_(position) {}

HRESULT MemoryStream::Read(void* buffer, ULONG size, ULONG* read) {
    return guard([&]() -> HRESULT {
        if (read)
            *read = 0;
        if (!buffer && size)
            return STG_E_INVALIDPOINTER;
        std::lock_guard lock(buffer_->mutex);
        const auto& bytes = buffer_->bytes;
        uint64_t available = position_ < bytes.size() ? bytes.size() - position_ : 0;
        ULONG count = static_cast<ULONG>(std::min<uint64_t>(size, available));
        if (count)
            std::memcpy(buffer, bytes.data() + position_, count);
        position_ += count;
        if (read)
            *read = count;
        return S_OK;
    });
}

HRESULT MemoryStream::Write(const void* buffer, ULONG size, ULONG* written) {
    return guard([&]() -> HRESULT {
        if (written)
            *written = 0;
        if (!buffer && size)
            return STG_E_INVALIDPOINTER;
        if (size == 0)
            return S_OK;
        std::lock_guard lock(buffer_->mutex);
        auto& bytes = buffer_->bytes;
        uint64_t end = position_ + size;
        if (end > kMaxSize)
            return STG_E_MEDIUMFULL;
        if (end > bytes.size())
            bytes.resize(static_cast<size_t>(end));
        std::memcpy(bytes.data() + position_, buffer, size);
        position_ = end;
        if (written)
            *written = size;
        return S_OK;
    });
}

HRESULT MemoryStream::Seek(int64_t move, DWORD origin, uint64_t* newPosition) {
    return guard([&] {
        std::lock_guard lock(buffer_->mutex);
        auto endOf = [&] { return std::optional<int64_t>(static_cast<int64_t>(buffer_->bytes.size())); };
        return SeekPosition(&position_, move, origin, endOf, newPosition);
    });
}

HRESULT MemoryStream::SetSize(uint64_t size) {
    return guard([&]() -> HRESULT {
        if (size > kMaxSize)
            return STG_E_MEDIUMFULL;
        std::lock_guard lock(buffer_->mutex);
        buffer_->bytes.resize(static_cast<size_t>(size));
        return S_OK;
    });
}

HRESULT MemoryStream::Commit(DWORD) {
    return S_OK;
}

HRESULT MemoryStream::Stat(STATSTG* stat, DWORD) {
    if (!stat)
        return STG_E_INVALIDPOINTER;
    return guard([&] {
        std::lock_guard lock(buffer_->mutex);
        *stat = STATSTG{};
        stat->type = STGTY_STREAM;
        stat->cbSize = buffer_->bytes.size();
    });
}

HRESULT MemoryStream::Clone(IStream** clone) {
    if (!clone)
        return STG_E_INVALIDPOINTER;
    *clone = nullptr;
    return guard([&] {
        uint64_t position = 0;
        {
            std::lock_guard lock(buffer_->mutex);
            position = position_;
        }
        auto copy = ComPtr<MemoryStream>::Adopt(new MemoryStream(buffer_, position, documentVersion_.load()));
        *clone = copy.Detach();
    });
}

} // namespace tavi

using tavi::ComPtr;
using tavi::MemoryStream;

extern "C" TAVI_API HRESULT CreateStreamOnMemory(const void* bytes, ULONG size, int32_t documentVersion,
                                                 IStream** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!bytes && size)
        return STG_E_INVALIDPOINTER;
    return tavi::guard([&] { *out = tavi::MakeObject<MemoryStream>(bytes, size, documentVersion).Detach(); });
}
