// GDAL datasets as the data access holds them: see GdalDataset.h.
#include "data/GdalDataset.h"

#include <algorithm>
#include <map>

namespace tavi::gdal {

struct DatasetPtr::Shared {
    explicit Shared(GDALDataset* opened) : dataset(opened) {}
    ~Shared() {
        ErrorScope quiet;
        GDALClose(dataset);
    }
    Shared(const Shared&) = delete;
    Shared& operator=(const Shared&) = delete;

    GDALDataset* dataset;
    std::recursive_mutex lock;
    std::map<OGRLayer*, uint64_t> readers;
};

GDALDataset* DatasetPtr::get() const {
    return shared_ ? shared_->dataset : nullptr;
}

std::unique_lock<std::recursive_mutex> DatasetPtr::Lock() const {
    return shared_ ? std::unique_lock(shared_->lock) : std::unique_lock<std::recursive_mutex>();
}

uint64_t& DatasetPtr::ReaderOf(OGRLayer* layer) const {
    return shared_->readers[layer];
}

DatasetPtr Share(GDALDataset* dataset) {
    DatasetPtr shared;
    if (dataset)
        shared.shared_ = std::make_shared<DatasetPtr::Shared>(dataset);
    return shared;
}

GDALDriver* VectorDriverForExtension(std::string_view extension) {
    EnsureInitialized();
    GDALDriverManager* drivers = GetGDALDriverManager();
    for (int i = 0; i < drivers->GetDriverCount(); ++i) {
        GDALDriver* driver = drivers->GetDriver(i);
        if (!driver->GetMetadataItem(GDAL_DCAP_VECTOR) || !driver->GetMetadataItem(GDAL_DCAP_CREATE))
            continue;
        // The declared extensions, separated by blanks ("shp dbf shz shp.zip").
        const char* declared = driver->GetMetadataItem(GDAL_DMD_EXTENSIONS);
        if (!declared)
            declared = driver->GetMetadataItem(GDAL_DMD_EXTENSION);
        std::string_view list = declared ? declared : "";
        for (size_t at = 0; at < list.size();) {
            size_t end = std::min(list.find(' ', at), list.size());
            if (list.substr(at, end - at) == extension)
                return driver;
            at = end + 1;
        }
    }
    return nullptr;
}

} // namespace tavi::gdal
