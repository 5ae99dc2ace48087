// The listing options: see ListingOptions.h.
#include "host/ListingOptions.h"

namespace tavi {

HRESULT DEListingOptions::get_ListChildren(VARIANT_BOOL* list) {
    if (!list)
        return E_POINTER;
    *list = listChildren_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT DEListingOptions::put_ListChildren(VARIANT_BOOL list) {
    listChildren_ = list != VARIANT_FALSE;
    return S_OK;
}

HRESULT DEListingOptions::get_ChildDepth(int32_t* depth) {
    if (!depth)
        return E_POINTER;
    *depth = childDepth_;
    return S_OK;
}

HRESULT DEListingOptions::put_ChildDepth(int32_t depth) {
    if (depth == 0 || depth < -1)
        return E_INVALIDARG;
    childDepth_ = depth;
    return S_OK;
}

} // namespace tavi
