// The shared GDAL plumbing of the host's data access: one-time driver registration with the network switched off,
// GDAL errors captured into result codes instead of printed, UTF-8 paths, and the shared dataset handle.
#pragma once

#include "tavi/Platform.h"

#include <gdal_priv.h>

#include <memory>
#include <string>
#include <string_view>

namespace tavi::gdal {

// Registers the drivers once per process and sets the configuration every call relies on: no network access
// (HTTP, cloud file systems, PROJ's grid download), UTF-8 file names. Safe to call from any thread, any number of
// times.
void EnsureInitialized();

// A dataset shared by every object that reads from it; the dataset closes when the last holder lets go.
using DatasetPtr = std::shared_ptr<GDALDataset>;

// Wraps an open dataset (null stays null).
DatasetPtr Share(GDALDataset* dataset);

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

// The driver that writes vector files with this extension ("shp", "gpkg"), found by what the drivers declare rather
// than by their names; null when none does.
GDALDriver* VectorDriverForExtension(std::string_view extension);

// The UTF-8 path GDAL takes for a catalog path.
std::string ToGdalPath(std::u16string_view path);

// False for what is no path on the local file system: GDAL's virtual file systems ("/vsicurl/...", "/vsimem/...")
// and URLs. Data access refuses those, so that naming data never reaches the network.
bool IsLocalPath(std::u16string_view path);

} // namespace tavi::gdal
