// Making an empty GeoPackage file, so that callers above the data access can get a fresh database workspace without
// touching GDAL themselves.
#pragma once

#include <string_view>

#include "tavi/DataAccess.h"

namespace tavi {

// Creates an empty GeoPackage at `path` (the folder must exist). TAVI_E_DATA_EXISTS when something is at the path
// already (it is left alone), E_INVALIDARG for an empty path or one that is no local path, TAVI_E_DATA_ACCESS_DENIED
// or another GDAL failure code when the file cannot be made.
HRESULT CreateGeoPackage(std::u16string_view path);

} // namespace tavi
