// GDAL datasets as the data access holds them: see GdalDataset.h.
#include "data/GdalDataset.h"

#include <algorithm>

namespace tavi::gdal {

DatasetPtr Share(GDALDataset* dataset) {
    return DatasetPtr(dataset, [](GDALDataset* d) {
        if (d) {
            ErrorScope quiet;
            GDALClose(d);
        }
    });
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
