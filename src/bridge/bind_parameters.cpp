// Bindings of the parameter family: the editing side of a tool parameter (its read side, IGPParameter, is bound with
// the values), the data layer's background flag, and the tool framework's diagnostics. The other identifiers of
// IGPParameter and IGPParameterEdit3 answer the same operations and add none.
#include "bridge/Binding.h"

#include "tavi/GPParameter.h"

namespace tavigp {

void BindParameterFamily(BindingTable& t) {
    BIND(t, IGPParameterEdit3, put_Name);
    BIND(t, IGPParameterEdit3, put_DisplayName);
    BIND(t, IGPParameterEdit3, put_Direction);
    BIND(t, IGPParameterEdit3, putref_DataType);
    BIND(t, IGPParameterEdit3, put_ParameterType);
    BIND(t, IGPParameterEdit3, putref_ParameterDependencies);
    BIND(t, IGPParameterEdit3, putref_Domain);
    BIND(t, IGPParameterEdit3, put_Enabled);
    BIND(t, IGPParameterEdit3, putref_Value);
    BIND(t, IGPParameterEdit3, put_ControlCLSID);
    BIND(t, IGPParameterEdit3, put_DefaultEnvironmentName);
    BIND(t, IGPParameterEdit3, put_DisplayOrder);
    BIND(t, IGPParameterEdit3, put_Altered);
    BIND(t, IGPParameterEdit3, put_HasBeenValidated);
    BIND(t, IGPParameterEdit3, put_Category);
    BIND(t, IGPParameterEdit3, put_ChoiceListName);
    BIND(t, IGPParameterEdit3, put_Managed);
    BIND(t, IGPParameterEdit3, putref_Schema);
    BIND(t, IGPParameterEdit3, putref_SymbologyLayer);
    BIND(t, IGPParameterEdit3, putref_ChartDefinitions);
    BIND(t, IGPParameterEdit3, put_AddToMap);

    BIND(t, IDataLayerBackground, get_Background);
    BIND(t, IDataLayerBackground, put_Background);

    BIND(t, IGPTest, GetEnvironments);
    BIND(t, IGPTest, GetToolNames);
}

} // namespace tavigp
