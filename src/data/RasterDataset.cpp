// Rasters: see RasterDataset.h.
#include "data/RasterDataset.h"

#include "host/Envelope.h"
#include "host/SpatialReference.h"
#include "platform/HandOut.h"

#include <algorithm>
#include <cmath>

namespace tavi {

namespace {} // namespace

RasterElement::RasterElement(gdal::DatasetPtr dataset, String catalogPath, String name)
    : DataElementObject(u"DERasterDataset", std::move(catalogPath), std::move(name)), dataset_(std::move(dataset)) {
    auto held = dataset_.Lock();
    gdal::ErrorScope quiet;
    if (dataset_->GetGeoTransform(transform_) != CE_None) {
        // No georeferencing: pixel space, rows running up from 0.
        const double identity[6] = {0, 1, 0, 0, 0, 1};
        std::copy(std::begin(identity), std::end(identity), transform_);
    }
}

HRESULT RasterElement::get_DatasetType(int32_t* type) {
    return HandOutValue<int32_t>(taviDatasetTypeRasterDataset, type);
}
HRESULT RasterElement::get_DSID(int32_t* id) {
    return HandOutValue<int32_t>(-1, id);
}
HRESULT RasterElement::get_Versioned(VARIANT_BOOL* versioned) {
    return HandOutValue(VARIANT_FALSE, versioned);
}
HRESULT RasterElement::get_IsArchived(VARIANT_BOOL* archived) {
    return HandOutValue(VARIANT_FALSE, archived);
}
HRESULT RasterElement::get_ChangeTracked(VARIANT_BOOL* tracked) {
    return HandOutValue(VARIANT_FALSE, tracked);
}
HRESULT RasterElement::get_CanVersion(VARIANT_BOOL* canVersion) {
    return HandOutValue(VARIANT_FALSE, canVersion);
}

HRESULT RasterElement::get_ColumnCount(int32_t* columns) {
    auto held = dataset_.Lock();
    return HandOutValue<int32_t>(dataset_->GetRasterXSize(), columns);
}

HRESULT RasterElement::get_RowCount(int32_t* rows) {
    auto held = dataset_.Lock();
    return HandOutValue<int32_t>(dataset_->GetRasterYSize(), rows);
}

HRESULT RasterElement::get_BandCount(int32_t* bands) {
    auto held = dataset_.Lock();
    return HandOutValue<int32_t>(dataset_->GetRasterCount(), bands);
}

HRESULT RasterElement::get_CellSizeX(double* size) {
    return HandOutValue(std::hypot(transform_[1], transform_[4]), size);
}

HRESULT RasterElement::get_CellSizeY(double* size) {
    return HandOutValue(std::hypot(transform_[2], transform_[5]), size);
}

HRESULT RasterElement::get_Extent(IEnvelope** extent) {
    auto held = dataset_.Lock();
    if (HRESULT hr = ClearOut(extent); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<ISpatialReference> spatialReference;
        if (HRESULT hr = get_SpatialReference(spatialReference.Out()); FAILED(hr))
            return hr;
        // The bounding rectangle of the four corners, whichever way rows and columns run.
        double columns = dataset_->GetRasterXSize(), rows = dataset_->GetRasterYSize();
        double xs[4], ys[4];
        const double corners[4][2] = {{0, 0}, {columns, 0}, {0, rows}, {columns, rows}};
        for (int i = 0; i < 4; ++i) {
            xs[i] = transform_[0] + corners[i][0] * transform_[1] + corners[i][1] * transform_[2];
            ys[i] = transform_[3] + corners[i][0] * transform_[4] + corners[i][1] * transform_[5];
        }
        return CreateEnvelope(*std::min_element(xs, xs + 4), *std::min_element(ys, ys + 4),
                              *std::max_element(xs, xs + 4), *std::max_element(ys, ys + 4), spatialReference.Get(),
                              extent);
    });
}

HRESULT RasterElement::get_SpatialReference(ISpatialReference** spatialReference) {
    auto held = dataset_.Lock();
    if (HRESULT hr = ClearOut(spatialReference); FAILED(hr))
        return hr;
    return MakeSpatialReference(dataset_->GetSpatialRef(), false, false, spatialReference);
}

} // namespace tavi
