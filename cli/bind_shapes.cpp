// Bindings of the point, line and polygon value interfaces.
#include "Binding.h"

#include "tavi/GPShapes.h"

namespace tavigp {

void BindShapeFamily(BindingTable& t) {
    t.Bind("IGPPoint.get_X", &IGPPoint::get_X);
    t.Bind("IGPPoint.put_X", &IGPPoint::put_X);
    t.Bind("IGPPoint.get_Y", &IGPPoint::get_Y);
    t.Bind("IGPPoint.put_Y", &IGPPoint::put_Y);
    t.Bind("IGPPoint.PutXY", &IGPPoint::PutXY);

    t.Bind("IGPLine.get_PointCount", &IGPLine::get_PointCount);
    t.Bind("IGPLine.get_Point", &IGPLine::get_Point);
    t.Bind("IGPLine.AddPoint", &IGPLine::AddPoint);
    t.Bind("IGPLine.QueryPointXY", &IGPLine::QueryPointXY);
    t.Bind("IGPLine.AddPointXY", &IGPLine::AddPointXY);

    t.Bind("IGPPolygon.get_PointCount", &IGPPolygon::get_PointCount);
    t.Bind("IGPPolygon.get_Point", &IGPPolygon::get_Point);
    t.Bind("IGPPolygon.AddPoint", &IGPPolygon::AddPoint);
    t.Bind("IGPPolygon.QueryPointXY", &IGPPolygon::QueryPointXY);
    t.Bind("IGPPolygon.AddPointXY", &IGPPolygon::AddPointXY);
}

} // namespace tavigp
