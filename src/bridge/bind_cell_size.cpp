// Bindings of the cell size value's interfaces and of the host's older cell size object.
#include "bridge/Binding.h"

#include "tavi/GPCellSize.h"

namespace tavigp {

void BindCellSizeFamily(BindingTable& t) {
    BIND(t, IGPCellSizeXY, get_X);
    BIND(t, IGPCellSizeXY, put_X);
    BIND(t, IGPCellSizeXY, get_Y);
    BIND(t, IGPCellSizeXY, put_Y);
    BIND(t, IGPCellSizeXY2, get_Raster);
    BIND(t, ICellSize, get_Size);
    BIND(t, ICellSize, put_Size);
}

} // namespace tavigp
