// The scratch folder and the default workspace: folder and GeoPackage made on first need.
#include "services/ScratchWorkspace.h"

#include "data/DataElement.h"
#include "data/GeoPackageFile.h"
#include "platform/Object.h"
#include "platform/Utf.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace tavi {

namespace {

const char* Environment(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

} // namespace

String ScratchFolder() {
    if (const char* folder = Environment("TAVI_SCRATCH_FOLDER"))
        return FromUtf8(folder);
    // A relative XDG_CACHE_HOME is invalid by the base directory rules and is ignored.
    if (const char* cache = Environment("XDG_CACHE_HOME"); cache && *cache == '/')
        return FromUtf8((std::filesystem::path(cache) / "tavi" / "scratch").string());
    if (const char* home = Environment("HOME"))
        return FromUtf8((std::filesystem::path(home) / ".cache" / "tavi" / "scratch").string());
    return {};
}

HRESULT OpenDefaultWorkspace(IWorkspace** workspace) {
    if (HRESULT hr = ClearOut(workspace); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        String folder = ScratchFolder();
        if (folder.empty())
            return E_FAIL;
        std::filesystem::path folderPath(ToUtf8(folder));
        std::error_code error;
        std::filesystem::create_directories(folderPath, error);
        if (error || !std::filesystem::is_directory(folderPath, error))
            return TAVI_E_DATA_ACCESS_DENIED;
        String file = FromUtf8((folderPath / "scratch.gpkg").string());
        if (HRESULT hr = CreateGeoPackage(file); FAILED(hr) && hr != TAVI_E_DATA_EXISTS)
            return hr;
        return OpenWorkspace(file, workspace);
    });
}

} // namespace tavi
