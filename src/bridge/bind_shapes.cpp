// Bindings of the point, line and polygon value interfaces.
#include "bridge/Binding.h"

#include "tavi/GPShapes.h"

namespace tavigp {

void BindShapeFamily(BindingTable& t) {
    BIND(t, IGPPoint, get_X);
    BIND(t, IGPPoint, put_X);
    BIND(t, IGPPoint, get_Y);
    BIND(t, IGPPoint, put_Y);
    BIND(t, IGPPoint, PutXY);

    BIND(t, IGPLine, get_PointCount);
    BIND(t, IGPLine, get_Point);
    BIND(t, IGPLine, AddPoint);
    BIND(t, IGPLine, QueryPointXY);
    BIND(t, IGPLine, AddPointXY);

    BIND(t, IGPPolygon, get_PointCount);
    BIND(t, IGPPolygon, get_Point);
    BIND(t, IGPPolygon, AddPoint);
    BIND(t, IGPPolygon, QueryPointXY);
    BIND(t, IGPPolygon, AddPointXY);
}

} // namespace tavigp
