// The data element utilities.
#include "services/DEUtilities.h"

#include "host/CatalogPathText.h"

namespace tavi {

HRESULT DEUtilities::get_Enabled(VARIANT_BOOL* enabled) {
    if (!enabled)
        return E_POINTER;
    *enabled = enabled_;
    return S_OK;
}

HRESULT DEUtilities::put_Enabled(VARIANT_BOOL enabled) {
    enabled_ = enabled ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT DEUtilities::ResolveCatalogPath(const OLECHAR* path, BSTR* fullPath) {
    if (!fullPath)
        return E_POINTER;
    *fullPath = nullptr;
    if (!path)
        return E_POINTER;
    return GeoprocessingUtil::StandardizeCatalogPath(path, fullPath, true);
}

} // namespace tavi
