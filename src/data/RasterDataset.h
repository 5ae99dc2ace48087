// Rasters read through GDAL: the data element of a raster dataset with its size, cell sizes, extent and spatial
// reference.
#pragma once

#include "data/DataElement.h"
#include "data/GdalDataset.h"

namespace tavi {

class RasterElement final : public DataElementObject<RasterElement, IDEDataset4, IRasterDataset> {
public:
    static constexpr const char16_t* kClassName = u"DERasterDataset";

    RasterElement(gdal::DatasetPtr dataset, String catalogPath, String name);

    // IDEDataset4
    HRESULT get_DatasetType(int32_t* type) override;
    HRESULT get_DSID(int32_t* id) override;
    HRESULT get_Versioned(VARIANT_BOOL* versioned) override;
    HRESULT get_IsArchived(VARIANT_BOOL* archived) override;
    HRESULT get_ChangeTracked(VARIANT_BOOL* tracked) override;
    HRESULT get_CanVersion(VARIANT_BOOL* canVersion) override;
    // IRasterDataset. A raster without georeferencing has cells of size 1 and the extent 0, 0, columns, rows.
    HRESULT get_ColumnCount(int32_t* columns) override;
    HRESULT get_RowCount(int32_t* rows) override;
    HRESULT get_BandCount(int32_t* bands) override;
    HRESULT get_CellSizeX(double* size) override;
    HRESULT get_CellSizeY(double* size) override;
    HRESULT get_Extent(IEnvelope** extent) override;
    HRESULT get_SpatialReference(ISpatialReference** spatialReference) override;

private:
    gdal::DatasetPtr dataset_;
    double transform_[6] = {0, 1, 0, 0, 0, 1};
};

} // namespace tavi
