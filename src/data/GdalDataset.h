// GDAL datasets as the data access holds them: shared by every object opened from them, closed quietly when the last
// holder lets go, and the vector driver that writes a given file extension.
#pragma once

#include "host/GdalSupport.h"

#include <memory>
#include <string_view>

namespace tavi::gdal {

// A dataset shared by every object that reads from it; the dataset closes when the last holder lets go.
using DatasetPtr = std::shared_ptr<GDALDataset>;

// Wraps an open dataset (null stays null).
DatasetPtr Share(GDALDataset* dataset);

// The driver that writes vector files with this extension ("shp", "gpkg"), found by what the drivers declare rather
// than by their names; null when none does.
GDALDriver* VectorDriverForExtension(std::string_view extension);

} // namespace tavi::gdal
