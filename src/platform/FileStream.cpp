// The file stream and the exported CreateStreamOnFile.
#include "platform/FileStream.h"

#include "platform/Utf.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavi {

struct FileStream::File {
    int fd = -1;
    bool writable = false;
    std::string path;
    ~File() {
        if (fd >= 0)
            ::close(fd);
    }
};

namespace {

HRESULT OpenError(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return STG_E_FILENOTFOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
        return STG_E_ACCESSDENIED;
    default:
        return STG_E_INVALIDFUNCTION;
    }
}

HRESULT WriteError(int error) {
    return (error == ENOSPC || error == EFBIG) ? STG_E_MEDIUMFULL : STG_E_WRITEFAULT;
}

} // namespace

FileStream::FileStream(std::shared_ptr<File> file, uint64_t position, int32_t documentVersion)
    : StreamBase(documentVersion), file_(std::move(file)), position_(position) {}

HRESULT FileStream::Open(const char* path, bool forWriting, int32_t documentVersion, ComPtr<FileStream>* out) {
    if (!path)
        return STG_E_INVALIDPOINTER;
    auto file = std::make_shared<File>();
    file->fd =
        forWriting ? ::open(path, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666) : ::open(path, O_RDONLY | O_CLOEXEC);
    if (file->fd < 0)
        return OpenError(errno);
    struct stat info {};
    if (::fstat(file->fd, &info) != 0)
        return STG_E_INVALIDFUNCTION;
    if (S_ISDIR(info.st_mode))
        return STG_E_ACCESSDENIED;
    file->writable = forWriting;
    file->path = path;
    *out = MakeObject<FileStream>(std::move(file), 0, documentVersion);
    return S_OK;
}

HRESULT FileStream::Read(void* buffer, ULONG size, ULONG* read) {
    return guard([&]() -> HRESULT {
        if (read)
            *read = 0;
        if (!buffer && size)
            return STG_E_INVALIDPOINTER;
        ULONG total = 0;
        while (total < size) {
            ssize_t got = ::pread(file_->fd, static_cast<uint8_t*>(buffer) + total, size - total,
                                  static_cast<off_t>(position_ + total));
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                position_ += total;
                if (read)
                    *read = total;
                return STG_E_READFAULT;
            }
            if (got == 0)
                break;
            total += static_cast<ULONG>(got);
        }
        position_ += total;
        if (read)
            *read = total;
        return S_OK;
    });
}

HRESULT FileStream::Write(const void* buffer, ULONG size, ULONG* written) {
    return guard([&]() -> HRESULT {
        if (written)
            *written = 0;
        if (!buffer && size)
            return STG_E_INVALIDPOINTER;
        if (!file_->writable)
            return STG_E_ACCESSDENIED;
        ULONG total = 0;
        HRESULT hr = S_OK;
        while (total < size) {
            ssize_t put = ::pwrite(file_->fd, static_cast<const uint8_t*>(buffer) + total, size - total,
                                   static_cast<off_t>(position_ + total));
            if (put < 0) {
                if (errno == EINTR)
                    continue;
                hr = WriteError(errno);
                break;
            }
            total += static_cast<ULONG>(put);
        }
        position_ += total;
        if (written)
            *written = total;
        return hr;
    });
}

HRESULT FileStream::Seek(int64_t move, DWORD origin, uint64_t* newPosition) {
    return guard([&] {
        auto endOf = [&]() -> std::optional<int64_t> {
            struct stat info {};
            if (::fstat(file_->fd, &info) != 0)
                return std::nullopt;
            return info.st_size;
        };
        return SeekPosition(&position_, move, origin, endOf, newPosition);
    });
}

HRESULT FileStream::SetSize(uint64_t size) {
    if (!file_->writable)
        return STG_E_ACCESSDENIED;
    if (size > static_cast<uint64_t>(INT64_MAX))
        return STG_E_MEDIUMFULL;
    if (::ftruncate(file_->fd, static_cast<off_t>(size)) != 0)
        return WriteError(errno);
    return S_OK;
}

HRESULT FileStream::Commit(DWORD) {
    if (file_->writable && ::fsync(file_->fd) != 0)
        return STG_E_WRITEFAULT;
    return S_OK;
}

HRESULT FileStream::Stat(STATSTG* stat, DWORD flags) {
    if (!stat)
        return STG_E_INVALIDPOINTER;
    return guard([&]() -> HRESULT {
        *stat = STATSTG{};
        struct stat info {};
        if (::fstat(file_->fd, &info) != 0)
            return STG_E_INVALIDFUNCTION;
        stat->type = STGTY_STREAM;
        stat->cbSize = static_cast<uint64_t>(info.st_size);
        stat->grfMode = file_->writable ? 2u : 0u; // read-write or read-only access
        if (!(flags & STATFLAG_NONAME)) {
            std::u16string name = FromUtf8(file_->path);
            stat->pwcsName = SysAllocStringLen(name.data(), static_cast<uint32_t>(name.size()));
            if (!stat->pwcsName)
                return E_OUTOFMEMORY;
        }
        return S_OK;
    });
}

HRESULT FileStream::Clone(IStream** clone) {
    if (!clone)
        return STG_E_INVALIDPOINTER;
    *clone = nullptr;
    return guard([&] { *clone = MakeObject<FileStream>(file_, position_, documentVersion_.load()).Detach(); });
}

} // namespace tavi

extern "C" TAVI_API HRESULT CreateStreamOnFile(const char* path, int32_t forWriting, int32_t documentVersion,
                                               IStream** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return tavi::guard([&]() -> HRESULT {
        tavi::ComPtr<tavi::FileStream> stream;
        HRESULT hr = tavi::FileStream::Open(path, forWriting != 0, documentVersion, &stream);
        if (SUCCEEDED(hr))
            *out = stream.Detach();
        return hr;
    });
}
