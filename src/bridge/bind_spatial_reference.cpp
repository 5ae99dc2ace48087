// Bindings of the spatial reference, coordinate system, XY/Z/M range and tool tip interfaces.
#include "bridge/Binding.h"

#include "tavi/GPSpatialReferenceValues.h"

namespace tavigp {

void BindSpatialReferenceFamily(BindingTable& t) {
    BIND(t, IGPSpatialReference, get_SpatialReference);
    BIND(t, IGPSpatialReference, putref_SpatialReference);

    BIND(t, IGPCoordinateSystem, get_CoordinateSystem);
    BIND(t, IGPCoordinateSystem, putref_CoordinateSystem);

    BIND(t, IGPXYDomain, QueryXYDomain);
    BIND(t, IGPXYDomain, PutXYDomain);
    BIND(t, IGPZDomain, QueryZDomain);
    BIND(t, IGPZDomain, PutZDomain);
    BIND(t, IGPMDomain, QueryMDomain);
    BIND(t, IGPMDomain, PutMDomain);

    BIND(t, IGPToolTip, get_ToolTip);
}

} // namespace tavigp
