// Bindings of the unit value interfaces and the value support of data types.
#include "Binding.h"

#include "tavi/GPUnits.h"

namespace tavigp {

void BindUnitFamily(BindingTable& t) {
    t.Bind("IGPLinearUnit.get_Value", &IGPLinearUnit::get_Value);
    t.Bind("IGPLinearUnit.put_Value", &IGPLinearUnit::put_Value);
    t.Bind("IGPLinearUnit.get_Units", &IGPLinearUnit::get_Units);
    t.Bind("IGPLinearUnit.put_Units", &IGPLinearUnit::put_Units);
    t.Bind("IGPLinearUnit.get_ConvertedValue", &IGPLinearUnit::get_ConvertedValue);
    t.Bind("IGPLinearUnit2.put_Units", &IGPLinearUnit2::put_Units);

    t.Bind("IGPArealUnit.get_Value", &IGPArealUnit::get_Value);
    t.Bind("IGPArealUnit.put_Value", &IGPArealUnit::put_Value);
    t.Bind("IGPArealUnit.get_Units", &IGPArealUnit::get_Units);
    t.Bind("IGPArealUnit.put_Units", &IGPArealUnit::put_Units);
    t.Bind("IGPArealUnit.get_ConvertedValue", &IGPArealUnit::get_ConvertedValue);

    t.Bind("IGPTimeUnit.get_Value", &IGPTimeUnit::get_Value);
    t.Bind("IGPTimeUnit.put_Value", &IGPTimeUnit::put_Value);
    t.Bind("IGPTimeUnit.get_Units", &IGPTimeUnit::get_Units);
    t.Bind("IGPTimeUnit.put_Units", &IGPTimeUnit::put_Units);
    t.Bind("IGPTimeUnit.get_ConvertedValue", &IGPTimeUnit::get_ConvertedValue);

    t.Bind("IGPUnitImpl.get_ValueInSpatialReferenceUnits", &IGPUnitImpl::get_ValueInSpatialReferenceUnits);
    t.Bind("IGPValueUISupport.GetValueSupport", &IGPValueUISupport::GetValueSupport);
}

} // namespace tavigp
