// The data types of the point, line and polygon values.
#include "values/GPShapeTypes.h"

namespace tavi {

GPPointType::GPPointType()
    : GPDataType({u"GPPoint", kDisplayNameId, kClassId, CLSID_GPPoint, GUID_NULL, IGPPointType::iid, IGPPoint::iid}) {}

GPLineType::GPLineType()
    : GPDataType({u"GPLine", kDisplayNameId, kClassId, CLSID_GPLine, GUID_NULL, IGPLineType::iid, IGPLine::iid}) {}

GPPolygonType::GPPolygonType()
    : GPDataType(
          {u"GPPolygon", kDisplayNameId, kClassId, CLSID_GPPolygon, GUID_NULL, IGPPolygonType::iid, IGPPolygon::iid}) {}

} // namespace tavi
