// Bindings of the scalar value interfaces.
#include "bridge/Binding.h"

#include "tavi/GPScalar.h"

namespace tavigp {

void BindScalarFamily(BindingTable& t) {
    BIND(t, IGPString, get_Value);
    BIND(t, IGPString, put_Value);
    BIND(t, IGPStringHidden, get_Value);
    BIND(t, IGPStringHidden, put_Value);

    BIND(t, IGPLong, get_Value);
    BIND(t, IGPLong, put_Value);
    BIND(t, IGPLong, get_Value64);
    BIND(t, IGPLong, put_Value64);
    BIND(t, IGPDouble, get_Value);
    BIND(t, IGPDouble, put_Value);
    BIND(t, IGPBoolean, get_Value);
    BIND(t, IGPBoolean, put_Value);
    BIND(t, IGPDate, get_Value);
    BIND(t, IGPDate, put_Value);

    BIND(t, IGPEncryptedString, get_Value);
    BIND(t, IGPEncryptedString, put_Value);
    BIND(t, IGPEncryptedString, get_ProtectedValue);
    BIND(t, IGPEncryptedString, put_ProtectedValue);
}

} // namespace tavigp
