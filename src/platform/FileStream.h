// A stream on a file, read and written at its own position with pread/pwrite. Clones share the open file and keep
// their own position.
#pragma once

#include "platform/StreamBase.h"

#include <memory>
#include <string>

namespace tavi {

class FileStream final : public StreamBase<FileStream> {
public:
    static constexpr const char16_t* kClassName = u"FileStream";

    // Opens `path`: for writing it is created or truncated (read and write access), else opened read-only.
    // STG_E_INVALIDPOINTER for a null path, STG_E_FILENOTFOUND, STG_E_ACCESSDENIED (also for a folder), or
    // STG_E_INVALIDFUNCTION for other failures.
    static HRESULT Open(const char* path, bool forWriting, int32_t documentVersion, ComPtr<FileStream>* out);

    // Reads past the end give S_OK with fewer bytes. Writes to a read-only stream give STG_E_ACCESSDENIED, a full
    // disk STG_E_MEDIUMFULL, other write errors STG_E_WRITEFAULT; read errors STG_E_READFAULT.
    HRESULT Read(void* buffer, ULONG size, ULONG* read) override;
    HRESULT Write(const void* buffer, ULONG size, ULONG* written) override;
    HRESULT Seek(int64_t move, DWORD origin, uint64_t* newPosition) override;
    HRESULT SetSize(uint64_t size) override;
    // Commit flushes the file to disk; Revert (StreamBase's) does nothing, as writes go straight to the file.
    HRESULT Commit(DWORD flags) override;
    // The name (when asked for) is the path as given, as a BSTR.
    HRESULT Stat(STATSTG* stat, DWORD flags) override;
    HRESULT Clone(IStream** clone) override;

    struct File; // the open descriptor, closed when the last stream sharing it goes

    FileStream(std::shared_ptr<File> file, uint64_t position, int32_t documentVersion);

private:
    std::shared_ptr<File> file_;
    uint64_t position_ = 0;
};

} // namespace tavi
