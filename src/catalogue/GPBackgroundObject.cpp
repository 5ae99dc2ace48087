// The background flag of the data layer.
#include "catalogue/GPBackgroundObject.h"

namespace tavi {

HRESULT GPBackgroundObject::get_Background(VARIANT_BOOL* background) {
    if (!background)
        return E_POINTER;
    *background = background_;
    return S_OK;
}

HRESULT GPBackgroundObject::put_Background(VARIANT_BOOL background) {
    background_ = background != VARIANT_FALSE ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

} // namespace tavi
