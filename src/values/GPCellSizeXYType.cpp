// GPCellSizeXYType: see GPCellSizeXYType.h.
#include "values/GPCellSizeXYType.h"

#include "values/GPCellSizeXY.h"

namespace tavi {

GPCellSizeXYType::GPCellSizeXYType()
    : GPDataType({u"GPCellSizeXY", kDisplayNameId, kClassId, GPCellSizeXY::kClassId, GUID_NULL, IGPCellSizeXYType::iid,
                  IGPCellSizeXY::iid}) {}

} // namespace tavi
