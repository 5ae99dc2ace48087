// Bindings of the scalar value interfaces.
#include "Binding.h"

#include "tavi/GPScalar.h"

namespace tavigp {

void BindScalarFamily(BindingTable& t) {
    t.Bind("IGPString.get_Value", &IGPString::get_Value);
    t.Bind("IGPString.put_Value", &IGPString::put_Value);
    t.Bind("IGPStringHidden.get_Value", &IGPStringHidden::get_Value);
    t.Bind("IGPStringHidden.put_Value", &IGPStringHidden::put_Value);
}

} // namespace tavigp
