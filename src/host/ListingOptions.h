// The settings a caller hands the utility object's PrepareDataElement before it lists a data element's children.
#pragma once

#include "platform/Object.h"
#include "tavi/TypeConverter.h"

namespace tavi {

class DEListingOptions final : public Object<DEListingOptions, IDEListingOptions> {
public:
    static constexpr CLSID kClassId = CLSID_DEListingOptions;
    static constexpr const char16_t* kClassName = u"DEListingOptions";

    // Null out pointers give E_POINTER. A depth of 0 or below -1 gives E_INVALIDARG and keeps the depth held.
    HRESULT get_ListChildren(VARIANT_BOOL* list) override;
    HRESULT put_ListChildren(VARIANT_BOOL list) override;
    HRESULT get_ChildDepth(int32_t* depth) override;
    HRESULT put_ChildDepth(int32_t depth) override;

private:
    bool listChildren_ = false;
    int32_t childDepth_ = -1;
};

} // namespace tavi
