// GPBackgroundObject: whether the data layer works in the background, one flag, false at first.
#pragma once

#include "platform/Object.h"
#include "tavi/GPParameter.h"

namespace tavi {

class GPBackgroundObject final : public Object<GPBackgroundObject, IDataLayerBackground> {
public:
    static constexpr CLSID kClassId = CLSID_GPBackgroundObject;
    static constexpr const char16_t* kClassName = u"GPBackgroundObject";

    // E_POINTER for a null pointer.
    HRESULT get_Background(VARIANT_BOOL* background) override;
    // Any nonzero flag is stored as VARIANT_TRUE, so that the getter answers one of the two boolean values.
    HRESULT put_Background(VARIANT_BOOL background) override;

private:
    VARIANT_BOOL background_ = VARIANT_FALSE;
};

} // namespace tavi
