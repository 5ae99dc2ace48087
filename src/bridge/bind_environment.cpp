// Bindings of the environment settings: a setting, its stand-in side (the source it answers from and the value it
// stores), its altered flag, and the list of settings.
#include "bridge/Binding.h"

#include "tavi/GPEnvironment.h"

namespace tavigp {

void BindEnvironmentFamily(BindingTable& t) {
    BIND(t, IGPEnvironment, get_Name);
    BIND(t, IGPEnvironment, put_Name);
    BIND(t, IGPEnvironment, get_DisplayName);
    BIND(t, IGPEnvironment, put_DisplayName);
    BIND(t, IGPEnvironment, get_Category);
    BIND(t, IGPEnvironment, put_Category);
    BIND(t, IGPEnvironment, get_Value);
    BIND(t, IGPEnvironment, putref_Value);
    BIND(t, IGPEnvironment, get_Domain);
    BIND(t, IGPEnvironment, putref_Domain);
    BIND(t, IGPEnvironment, get_DataType);
    BIND(t, IGPEnvironment, putref_DataType);
    BIND(t, IGPEnvironment, get_DisplayOrder);
    BIND(t, IGPEnvironment, put_DisplayOrder);
    BIND(t, IGPEnvironment, get_ControlCLSID);
    BIND(t, IGPEnvironment, put_ControlCLSID);
    BIND(t, IGPEnvironment, get_ParameterDependencies);
    BIND(t, IGPEnvironment, put_ParameterDependencies);
    BIND(t, IGPEnvironment, AddDependency);
    BIND(t, IGPEnvironment, get_MetadataFile);
    BIND(t, IGPEnvironment, put_MetadataFile);

    BIND(t, IGPEnvironmentImpl, get_Source);
    BIND(t, IGPEnvironmentImpl, putref_Source);
    BIND(t, IGPEnvironmentImpl, get_StoredValue);

    BIND(t, IGPEnvironmentImpl2, get_Altered);
    BIND(t, IGPEnvironmentImpl2, put_Altered);

    BIND(t, IEnumGPEnvironment, Next);
    BIND(t, IEnumGPEnvironment, Reset);
}

} // namespace tavigp
