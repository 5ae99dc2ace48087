// Bindings of the unit value interfaces and the value support of data types.
#include "bridge/Binding.h"

#include "tavi/GPUnits.h"

namespace tavigp {

void BindUnitFamily(BindingTable& t) {
    BIND(t, IGPLinearUnit, get_Value);
    BIND(t, IGPLinearUnit, put_Value);
    BIND(t, IGPLinearUnit, get_Units);
    BIND(t, IGPLinearUnit, put_Units);
    BIND(t, IGPLinearUnit, get_ConvertedValue);
    BIND(t, IGPLinearUnit2, put_Units);

    BIND(t, IGPArealUnit, get_Value);
    BIND(t, IGPArealUnit, put_Value);
    BIND(t, IGPArealUnit, get_Units);
    BIND(t, IGPArealUnit, put_Units);
    BIND(t, IGPArealUnit, get_ConvertedValue);

    BIND(t, IGPTimeUnit, get_Value);
    BIND(t, IGPTimeUnit, put_Value);
    BIND(t, IGPTimeUnit, get_Units);
    BIND(t, IGPTimeUnit, put_Units);
    BIND(t, IGPTimeUnit, get_ConvertedValue);

    BIND(t, IGPUnitImpl, get_ValueInSpatialReferenceUnits);
    BIND(t, IGPValueUISupport, GetValueSupport);
}

} // namespace tavigp
