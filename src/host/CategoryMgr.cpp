// The category walker.
#include "host/CategoryMgr.h"

#include "host/CreateInstance.h"

namespace tavi {

CategoryMgr::CategoryMgr(const CATID& category) {
    ComPtr<ICatInformation> categories;
    status_ = AfCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, ICatInformation::iid,
                               categories.OutVoid());
    if (SUCCEEDED(status_) && categories)
        status_ = categories->EnumClassesOfCategories(1, &category, 0, nullptr, classes_.Out());
    if (SUCCEEDED(status_))
        status_ = S_OK;
}

HRESULT CategoryMgr::Next(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    CLSID clsid{};
    ULONG fetched = 0;
    while (classes_ && classes_->Next(1, &clsid, &fetched) == S_OK && fetched == 1)
        if (SUCCEEDED(AfCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, riid, object)) && *object)
            return S_OK;
    return S_FALSE;
}

} // namespace tavi
