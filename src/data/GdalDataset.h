// GDAL datasets as the data access holds them: shared by every object opened from them, used under one lock, closed
// quietly when the last holder lets go, and the vector driver that writes a given file extension.
#pragma once

#include "host/GdalSupport.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>

namespace tavi::gdal {

// An open dataset shared by every object opened from it (its workspace, tables, cursors, rows, rasters); copies share
// it and it closes when the last copy goes. A GDAL dataset, its layers and their features may not be used from two
// threads at once, yet one dataset can reach several threads: a memory workspace keeps one dataset that every thread
// opens. So every use of the dataset, of a layer of it or of a feature read from it holds Lock().
class DatasetPtr {
public:
    DatasetPtr() = default;

    GDALDataset* get() const;
    GDALDataset* operator->() const { return get(); }
    GDALDataset& operator*() const { return *get(); }
    explicit operator bool() const { return get() != nullptr; }

    // The dataset's lock, held until the result goes. Recursive: an operation under it may call another.
    std::unique_lock<std::recursive_mutex> Lock() const;

    // The reader that last moved the reading of `layer` (0 for none known). OGR reads a layer sequentially and every
    // object opened from the dataset reads the same layer, so a reader that finds another's mark puts its own filter
    // and place back first. Only with Lock() held.
    uint64_t& ReaderOf(OGRLayer* layer) const;

private:
    friend DatasetPtr Share(GDALDataset* dataset);
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

// Wraps an open dataset (null stays null).
DatasetPtr Share(GDALDataset* dataset);

// The driver that writes vector files with this extension ("shp", "gpkg"), found by what the drivers declare rather
// than by their names; null when none does.
GDALDriver* VectorDriverForExtension(std::string_view extension);

} // namespace tavi::gdal
