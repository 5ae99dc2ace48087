// Bindings of the utility services: the utility object's data operations, its project operations, its registry,
// capsules, repository index and settings, the repository and capsule interfaces, the data element utilities, and the
// environment manager with the host object that hands it out.
#include "bridge/Binding.h"

#include "tavi/GPEnvironment.h"
#include "tavi/GPUtilities.h"

namespace tavigp {

void BindUtilitiesFamily(BindingTable& t) {
    BIND(t, IGPUtilities, MakeGPValueFromText);
    BIND(t, IGPUtilities, ResolveValue);
    BIND(t, IGPUtilities, IsDataType);
    BIND(t, IGPUtilities, IsDataTypeName);
    BIND(t, IGPUtilities, OpenDataElementFromText);
    BIND(t, IGPUtilities, OpenDataElement);
    BIND(t, IGPUtilities, CanOpenData);
    BIND(t, IGPUtilities, IsValidDataElement);
    BIND(t, IGPUtilities, GetExtent);
    BIND(t, IGPUtilities, GetFields);
    BIND(t, IGPUtilities, GetFieldsWithRaster);
    BIND(t, IGPUtilities, GetSpatialReference);
    BIND(t, IGPUtilities, HasExtension);
    BIND(t, IGPUtilities, GetDefaultWorkspace);
    BIND(t, IGPUtilities, PrepareDataElement);
    BIND(t, IGPUtilities, OpenVirtualWorkspace);
    BIND(t, IGPUtilities, get_ScratchFolder);

    BIND(t, IGPUtilitiesImpl, AddNonExistDataPathname);
    BIND(t, IGPUtilitiesImpl, CheckNonExistDataPathname);
    BIND(t, IGPUtilitiesImpl, ClearNonExistDataPathname);
    BIND(t, IGPUtilitiesImpl, SetSkipMapObjNonExistData);
    BIND(t, IGPUtilitiesImpl, GetSkipMapObjNonExistData);
    BIND(t, IGPUtilitiesImpl, DoThreadCapsule);
    BIND(t, IGPUtilitiesImpl, get_RepositoryIndex);
    BIND(t, IGPUtilitiesImpl, put_RepositoryIndex);
    BIND(t, IGPUtilitiesImpl, get_CachingEnabled);
    BIND(t, IGPUtilitiesImpl, get_RunGPOnlyInMainThread);
    BIND(t, IGPUtilitiesImpl, get_ShowCodedValueKeys);
    BIND(t, IGPUtilitiesImpl, get_InScriptingSession);

    BIND(t, IGPProjectUtilities, get_ProjectPath);
    BIND(t, IGPProjectUtilities, put_ProjectPath);
    BIND(t, IGPProjectUtilities, get_CurrentMap);
    BIND(t, IGPProjectUtilities, put_CurrentMap);
    BIND(t, IGPProjectUtilities, FindMap);
    BIND(t, IGPProjectUtilities, FindLayout);
    BIND(t, IGPProjectUtilities, FindReport);
    BIND(t, IGPProjectUtilities, GetLayerNames);
    BIND(t, IGPProjectUtilities, MakeLayer);
    BIND(t, IGPProjectUtilities2, DescribeProject);

    BIND(t, ICIMRepository, get_Index);
    BIND(t, ICIMRepository, get_Count);
    BIND(t, ICIMRepository, Add);
    BIND(t, ICIMRepository, Remove);
    BIND(t, ICIMRepository, FindByKey);

    BIND(t, IGPThreadCapsule, get_Key);
    BIND(t, IGPThreadCapsule, Apply);

    BIND(t, IDEUtilities, get_Enabled);
    BIND(t, IDEUtilities, put_Enabled);
    BIND(t, IDEUtilities, ResolveCatalogPath);

    BIND(t, IGPEnvironmentManager, GetEnvironment);
    BIND(t, IGPEnvironmentManager, GetEnvironmentValue);
    BIND(t, IGPEnvironmentManager, SetEnvironmentValue);
    BIND(t, IGPEnvironmentManager, GetEnvironmentText);
    BIND(t, IGPEnvironmentManager, SetEnvironmentText);
    BIND(t, IGPEnvironmentManager, ResetEnvironment);
    BIND(t, IGPEnvironmentManager, ResetEnvironments);
    BIND(t, IGPEnvironmentManager, AddEnvironment);
    BIND(t, IGPEnvironmentManager, RemoveEnvironment);
    BIND(t, IGPEnvironmentManager, get_Count);
    BIND(t, IGPEnvironmentManager, GetEnvironmentNames);
    BIND(t, IGPEnvironmentManager, GetSpatialReference);
    BIND(t, IGPEnvironmentManager, SetSpatialReference);
    BIND(t, IGPEnvironmentManager, get_Environments);
    BIND(t, IGPEnvironmentHost, get_EnvironmentManager);
}

} // namespace tavigp
