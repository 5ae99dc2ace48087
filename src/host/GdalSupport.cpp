// The shared GDAL plumbing: see GdalSupport.h.
#include "host/GdalSupport.h"

#include "platform/Utf.h"
#include "tavi/DataAccess.h"

#include <cpl_conv.h>
#include <ogr_srs_api.h>

#include <cstdlib>
#include <mutex>

namespace tavi::gdal {

namespace {

// Options that keep every data access local: no HTTP, no cloud file systems, no PROJ grid downloads.
constexpr const char* kOfflineOptions[][2] = {
    {"GDAL_HTTP_TIMEOUT", "1"},
    {"GDAL_HTTP_MAX_RETRY", "0"},
    {"CPL_VSIL_CURL_ALLOWED_EXTENSIONS", "none"},
    {"CPL_VSIL_CURL_USE_HEAD", "NO"},
    {"GDAL_FILENAME_IS_UTF8", "YES"},
    {"PROJ_NETWORK", "OFF"},
    {"OSR_USE_NON_DEPRECATED", "NO"},
    {"CPL_DEBUG", "OFF"},
};

} // namespace

void EnsureInitialized() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (const auto& option : kOfflineOptions)
            CPLSetConfigOption(option[0], option[1]);
        // PROJ reads the environment variable before any context exists.
        setenv("PROJ_NETWORK", "OFF", 1);
        OSRSetPROJEnableNetwork(FALSE);
        GDALAllRegister();
    });
}

ErrorScope::ErrorScope() {
    CPLErrorReset();
    CPLPushErrorHandlerEx(
        [](CPLErr level, CPLErrorNum number, const char* message) {
            auto* self = static_cast<ErrorScope*>(CPLGetErrorHandlerUserData());
            // Warnings are noted nowhere: only failures decide a result.
            if (self && level >= CE_Failure && self->errorNumber_ == CPLE_None) {
                self->errorNumber_ = number == CPLE_None ? CPLE_AppDefined : number;
                self->message_ = message ? message : "";
            }
        },
        this);
}

ErrorScope::~ErrorScope() {
    CPLPopErrorHandler();
}

HRESULT ResultFromError(CPLErrorNum number) {
    switch (number) {
    case CPLE_OpenFailed:
    case CPLE_FileIO:
        return TAVI_E_DATA_UNREADABLE;
    case CPLE_NoWriteAccess:
        return TAVI_E_DATA_ACCESS_DENIED;
    case CPLE_OutOfMemory:
        return E_OUTOFMEMORY;
    case CPLE_IllegalArg:
        return E_INVALIDARG;
    default:
        return E_FAIL;
    }
}

std::string ToGdalPath(std::u16string_view path) {
    // A relative path gets "./" so that GDAL never reads it as a connection string ("PG:...", "WFS:...").
    std::string utf8 = ToUtf8(path);
    return !utf8.empty() && utf8[0] != '/' ? "./" + utf8 : utf8;
}

bool IsLocalPath(std::u16string_view path) {
    return !path.starts_with(u"/vsi") && path.find(u"://") == std::u16string_view::npos;
}

} // namespace tavi::gdal
