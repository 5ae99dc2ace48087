// GPCellSizeXYType: the data type of cell size values ("GPCellSizeXY"). It accepts its own kind of data type and
// cell size values (after unpacking a variable or parameter); a given domain then decides.
#pragma once

#include "host/GPDataType.h"
#include "tavi/GPCellSize.h"

namespace tavi {

class GPCellSizeXYType final : public GPDataType<GPCellSizeXYType, IGPCellSizeXYType, IGPDataType, IClone> {
public:
    static constexpr CLSID kClassId = CLSID_GPCellSizeXYType;
    static constexpr const char16_t* kClassName = u"GPCellSizeXYType";
    static constexpr int32_t kDisplayNameId = 4103;
    GPCellSizeXYType();
};

} // namespace tavi
