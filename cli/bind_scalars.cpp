// Bindings of the scalar value interfaces.
#include "Binding.h"

#include "tavi/GPScalar.h"

namespace tavigp {

void BindScalarFamily(BindingTable& t) {
    t.Bind("IGPString.get_Value", &IGPString::get_Value);
    t.Bind("IGPString.put_Value", &IGPString::put_Value);
    t.Bind("IGPStringHidden.get_Value", &IGPStringHidden::get_Value);
    t.Bind("IGPStringHidden.put_Value", &IGPStringHidden::put_Value);

    t.Bind("IGPLong.get_Value", &IGPLong::get_Value);
    t.Bind("IGPLong.put_Value", &IGPLong::put_Value);
    t.Bind("IGPLong.get_Value64", &IGPLong::get_Value64);
    t.Bind("IGPLong.put_Value64", &IGPLong::put_Value64);
    t.Bind("IGPDouble.get_Value", &IGPDouble::get_Value);
    t.Bind("IGPDouble.put_Value", &IGPDouble::put_Value);
    t.Bind("IGPBoolean.get_Value", &IGPBoolean::get_Value);
    t.Bind("IGPBoolean.put_Value", &IGPBoolean::put_Value);
    t.Bind("IGPDate.get_Value", &IGPDate::get_Value);
    t.Bind("IGPDate.put_Value", &IGPDate::put_Value);

    t.Bind("IGPEncryptedString.get_Value", &IGPEncryptedString::get_Value);
    t.Bind("IGPEncryptedString.put_Value", &IGPEncryptedString::put_Value);
    t.Bind("IGPEncryptedString.get_ProtectedValue", &IGPEncryptedString::get_ProtectedValue);
    t.Bind("IGPEncryptedString.put_ProtectedValue", &IGPEncryptedString::put_ProtectedValue);
}

} // namespace tavigp
