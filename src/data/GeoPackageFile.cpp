// Making an empty GeoPackage file through GDAL's GeoPackage driver.
#include "data/GeoPackageFile.h"

#include "data/GdalDataset.h"

namespace tavi {

HRESULT CreateGeoPackage(std::u16string_view path) {
    if (path.empty())
        return E_INVALIDARG;
    if (!gdal::IsLocalPath(path))
        return E_INVALIDARG;
    gdal::EnsureInitialized();
    std::string file = gdal::ToGdalPath(path);
    VSIStatBufL stat;
    if (VSIStatL(file.c_str(), &stat) == 0)
        return TAVI_E_DATA_EXISTS;
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GPKG");
    if (!driver)
        return E_FAIL;
    gdal::ErrorScope errors;
    auto dataset = gdal::Share(driver->Create(file.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!dataset)
        return errors.HasError() ? gdal::ResultFromError(errors.ErrorNumber()) : TAVI_E_DATA_ACCESS_DENIED;
    return S_OK;
}

} // namespace tavi
