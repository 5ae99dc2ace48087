// Bindings of the envelope and extent value interfaces and of the utility object's display extent and output
// coordinate system.
#include "Binding.h"

#include "tavi/GPExtent.h"
#include "tavi/GPUtilities.h"

namespace tavigp {

void BindExtentFamily(BindingTable& t) {
    t.Bind("IGPEnvelope.get_XMin", &IGPEnvelope::get_XMin);
    t.Bind("IGPEnvelope.put_XMin", &IGPEnvelope::put_XMin);
    t.Bind("IGPEnvelope.get_YMin", &IGPEnvelope::get_YMin);
    t.Bind("IGPEnvelope.put_YMin", &IGPEnvelope::put_YMin);
    t.Bind("IGPEnvelope.get_XMax", &IGPEnvelope::get_XMax);
    t.Bind("IGPEnvelope.put_XMax", &IGPEnvelope::put_XMax);
    t.Bind("IGPEnvelope.get_YMax", &IGPEnvelope::get_YMax);
    t.Bind("IGPEnvelope.put_YMax", &IGPEnvelope::put_YMax);
    t.Bind("IGPEnvelope.get_Envelope", &IGPEnvelope::get_Envelope);
    t.Bind("IGPEnvelope.putref_Envelope", &IGPEnvelope::putref_Envelope);
    t.Bind("IGPEnvelope.PutCoords", &IGPEnvelope::PutCoords);

    t.Bind("IGPExtent.put_Extent", &IGPExtent::put_Extent);
    t.Bind("IGPExtent.get_Extent", &IGPExtent::get_Extent);

    t.Bind("IGPUtilities.get_DisplayExtent", &IGPUtilities::get_DisplayExtent);
    t.Bind("IGPUtilities.put_DisplayExtent", &IGPUtilities::put_DisplayExtent);
    t.Bind("IGPUtilities.get_OutputCoordinateSystem", &IGPUtilities::get_OutputCoordinateSystem);
    t.Bind("IGPUtilities.put_OutputCoordinateSystem", &IGPUtilities::put_OutputCoordinateSystem);
}

} // namespace tavigp
