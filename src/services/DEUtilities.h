// The data element utilities: one per thread (singleton factory), with the on/off setting that every caller on the
// thread shares and the catalog path resolution the parsers use.
#pragma once

#include "platform/Object.h"
#include "tavi/GPUtilities.h"

namespace tavi {

class DEUtilities final : public Object<DEUtilities, IDEUtilities> {
public:
    static constexpr CLSID kClassId = CLSID_DEUtilities;
    static constexpr const char16_t* kClassName = u"DEUtilities";

    // The setting starts on.
    HRESULT get_Enabled(VARIANT_BOOL* enabled) override;
    // Any nonzero flag is on (stored as VARIANT_TRUE).
    HRESULT put_Enabled(VARIANT_BOOL enabled) override;
    // The standardized absolute catalog path. E_POINTER for a null path or out.
    HRESULT ResolveCatalogPath(const OLECHAR* path, BSTR* fullPath) override;

private:
    VARIANT_BOOL enabled_ = VARIANT_TRUE;
};

} // namespace tavi
