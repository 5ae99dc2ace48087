// The data types of the envelope and extent values: GPEnvelopeType and GPExtentType.
//
// Both are pure data on the data type base. An extent parameter also takes an envelope and an envelope data type,
// since an envelope value answers the extent interface with its rectangle.
#pragma once

#include "host/GPDataType.h"
#include "tavi/GPExtent.h"

namespace tavi {

class GPEnvelopeType final : public GPDataType<GPEnvelopeType, IGPEnvelopeType, IGPDataType, IClone> {
public:
    static constexpr CLSID kClassId = CLSID_GPEnvelopeType;
    static constexpr const char16_t* kClassName = u"GPEnvelopeType";
    static constexpr int32_t kDisplayNameId = 4621;
    GPEnvelopeType();
};

class GPExtentType final : public GPDataType<GPExtentType, IGPExtentType, IGPDataType, IClone> {
public:
    static constexpr CLSID kClassId = CLSID_GPExtentType;
    static constexpr const char16_t* kClassName = u"GPExtentType";
    static constexpr int32_t kDisplayNameId = 4708;
    GPExtentType();

    // Accepts the extent and the envelope data types.
    HRESULT ValidateDataType(IGPDataType* other, IGPMessage** message) override;
};

} // namespace tavi
