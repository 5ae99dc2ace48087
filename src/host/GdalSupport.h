// The GDAL plumbing shared by geometry, spatial references and the data access above the host: one-time driver
// registration with the network switched off, GDAL errors captured into result codes instead of printed, and the
// paths GDAL takes.
#pragma once

#include "tavi/Platform.h"

#include <gdal_priv.h>

#include <string>
#include <string_view>

namespace tavi::gdal {

// Registers the drivers once per process and sets the configuration every call relies on: no network access
// (HTTP, cloud file systems, PROJ's grid download), UTF-8 file names. Safe to call from any thread, any number of
// times.
void EnsureInitialized();

// While alive, GDAL errors raised on this thread are recorded here instead of printed.
class ErrorScope {
public:
    ErrorScope();
    ~ErrorScope();
    ErrorScope(const ErrorScope&) = delete;
    ErrorScope& operator=(const ErrorScope&) = delete;

    bool HasError() const { return errorNumber_ != CPLE_None; }
    CPLErrorNum ErrorNumber() const { return errorNumber_; }
    const std::string& Message() const { return message_; }

private:
    CPLErrorNum errorNumber_ = CPLE_None;
    std::string message_;
};

// The result code for a GDAL error number: file and open failures are TAVI_E_DATA_*, memory E_OUTOFMEMORY, an
// illegal argument E_INVALIDARG, anything else E_FAIL.
HRESULT ResultFromError(CPLErrorNum number);

// The UTF-8 path GDAL takes for a catalog path.
std::string ToGdalPath(std::u16string_view path);

// False for what is no path on the local file system: GDAL's virtual file systems ("/vsicurl/...", "/vsimem/...")
// and URLs. Data access refuses those, so that naming data never reaches the network.
bool IsLocalPath(std::u16string_view path);

} // namespace tavi::gdal
