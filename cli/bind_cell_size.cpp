// Bindings of the cell size value's interfaces and of the host's older cell size object.
#include "Binding.h"

#include "tavi/GPCellSize.h"

namespace tavigp {

void BindCellSizeFamily(BindingTable& t) {
    t.Bind("IGPCellSizeXY.get_X", &IGPCellSizeXY::get_X);
    t.Bind("IGPCellSizeXY.put_X", &IGPCellSizeXY::put_X);
    t.Bind("IGPCellSizeXY.get_Y", &IGPCellSizeXY::get_Y);
    t.Bind("IGPCellSizeXY.put_Y", &IGPCellSizeXY::put_Y);
    t.Bind("IGPCellSizeXY2.get_Raster", &IGPCellSizeXY2::get_Raster);
    t.Bind("ICellSize.get_Size", &ICellSize::get_Size);
    t.Bind("ICellSize.put_Size", &ICellSize::put_Size);
}

} // namespace tavigp
