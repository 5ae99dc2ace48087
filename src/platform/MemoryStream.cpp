// The memory stream and the exported CreateStreamOnMemory.
#include "platform/MemoryStream.h"

#include <algorithm>
#include <cstring>

namespace tavi {

HRESULT StreamDocumentVersion::getDocumentVersion(int32_t* version) const {
    if (!version)
        return E_POINTER;
    *version = documentVersion_.load();
    return S_OK;
}

HRESULT StreamDocumentVersion::putDocumentVersion(int32_t version) {
    documentVersion_ = version;
    return S_OK;
}

MemoryStream::MemoryStream(const void* bytes, ULONG size, int32_t documentVersion)
    : StreamDocumentVersion(documentVersion), buffer_(std::make_shared<Buffer>()) {
    if (bytes && size)
        buffer_->bytes.assign(static_cast<const uint8_t*>(bytes), static_cast<const uint8_t*>(bytes) + size);
}

MemoryStream::MemoryStream(std::shared_ptr<Buffer> buffer, uint64_t position, int32_t documentVersion)
    : StreamDocumentVersion(documentVersion), buffer_(std::move(buffer)), position_(position) {}

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
    return guard([&]() -> HRESULT {
        std::lock_guard lock(buffer_->mutex);
        int64_t base = 0;
        if (origin == STREAM_SEEK_CUR) {
            base = static_cast<int64_t>(position_);
        } else if (origin == STREAM_SEEK_END) {
            base = static_cast<int64_t>(buffer_->bytes.size());
        } else if (origin != STREAM_SEEK_SET) {
            return STG_E_INVALIDFUNCTION;
        }
        int64_t target = 0;
        if (__builtin_add_overflow(base, move, &target) || target < 0)
            return STG_E_INVALIDFUNCTION;
        position_ = static_cast<uint64_t>(target);
        if (newPosition)
            *newPosition = position_;
        return S_OK;
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

HRESULT MemoryStream::CopyTo(IStream* target, uint64_t size, uint64_t* read, uint64_t* written) {
    return CopyStreamBytes(this, target, size, read, written);
}

HRESULT MemoryStream::Commit(DWORD) {
    return S_OK;
}
HRESULT MemoryStream::Revert() {
    return S_OK;
}
HRESULT MemoryStream::LockRegion(uint64_t, uint64_t, DWORD) {
    return STG_E_INVALIDFUNCTION;
}
HRESULT MemoryStream::UnlockRegion(uint64_t, uint64_t, DWORD) {
    return STG_E_INVALIDFUNCTION;
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

HRESULT CopyStreamBytes(IStream* source, IStream* target, uint64_t size, uint64_t* read, uint64_t* written) {
    if (read)
        *read = 0;
    if (written)
        *written = 0;
    if (!target)
        return STG_E_INVALIDPOINTER;
    return guard([&]() -> HRESULT {
        std::vector<uint8_t> chunk(64 * 1024);
        uint64_t totalRead = 0, totalWritten = 0;
        HRESULT hr = S_OK;
        while (totalRead < size) {
            ULONG want = static_cast<ULONG>(std::min<uint64_t>(chunk.size(), size - totalRead));
            ULONG got = 0;
            hr = source->Read(chunk.data(), want, &got);
            if (FAILED(hr) || got == 0)
                break;
            totalRead += got;
            ULONG put = 0;
            hr = target->Write(chunk.data(), got, &put);
            totalWritten += put;
            if (FAILED(hr))
                break;
            if (put < got) {
                hr = STG_E_MEDIUMFULL;
                break;
            }
        }
        if (read)
            *read = totalRead;
        if (written)
            *written = totalWritten;
        return FAILED(hr) ? hr : S_OK;
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
