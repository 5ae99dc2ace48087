// Bindings of the spatial reference, coordinate system, XY/Z/M range and tool tip interfaces.
#include "Binding.h"

#include "tavi/GPSpatialReferenceValues.h"

namespace tavigp {

void BindSpatialReferenceFamily(BindingTable& t) {
    t.Bind("IGPSpatialReference.get_SpatialReference", &IGPSpatialReference::get_SpatialReference);
    t.Bind("IGPSpatialReference.putref_SpatialReference", &IGPSpatialReference::putref_SpatialReference);

    t.Bind("IGPCoordinateSystem.get_CoordinateSystem", &IGPCoordinateSystem::get_CoordinateSystem);
    t.Bind("IGPCoordinateSystem.putref_CoordinateSystem", &IGPCoordinateSystem::putref_CoordinateSystem);

    t.Bind("IGPXYDomain.QueryXYDomain", &IGPXYDomain::QueryXYDomain);
    t.Bind("IGPXYDomain.PutXYDomain", &IGPXYDomain::PutXYDomain);
    t.Bind("IGPZDomain.QueryZDomain", &IGPZDomain::QueryZDomain);
    t.Bind("IGPZDomain.PutZDomain", &IGPZDomain::PutZDomain);
    t.Bind("IGPMDomain.QueryMDomain", &IGPMDomain::QueryMDomain);
    t.Bind("IGPMDomain.PutMDomain", &IGPMDomain::PutMDomain);

    t.Bind("IGPToolTip.get_ToolTip", &IGPToolTip::get_ToolTip);
}

} // namespace tavigp
