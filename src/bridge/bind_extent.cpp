// Bindings of the envelope and extent value interfaces and of the utility object's display extent and output
// coordinate system.
#include "bridge/Binding.h"

#include "tavi/GPExtent.h"
#include "tavi/GPUtilities.h"

namespace tavigp {

void BindExtentFamily(BindingTable& t) {
    BIND(t, IGPEnvelope, get_XMin);
    BIND(t, IGPEnvelope, put_XMin);
    BIND(t, IGPEnvelope, get_YMin);
    BIND(t, IGPEnvelope, put_YMin);
    BIND(t, IGPEnvelope, get_XMax);
    BIND(t, IGPEnvelope, put_XMax);
    BIND(t, IGPEnvelope, get_YMax);
    BIND(t, IGPEnvelope, put_YMax);
    BIND(t, IGPEnvelope, get_Envelope);
    BIND(t, IGPEnvelope, putref_Envelope);
    BIND(t, IGPEnvelope, PutCoords);

    BIND(t, IGPExtent, put_Extent);
    BIND(t, IGPExtent, get_Extent);

    BIND(t, IGPUtilities, get_DisplayExtent);
    BIND(t, IGPUtilities, put_DisplayExtent);
    BIND(t, IGPUtilities, get_OutputCoordinateSystem);
    BIND(t, IGPUtilities, put_OutputCoordinateSystem);
}

} // namespace tavigp
