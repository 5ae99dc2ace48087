// Bindings of the utility services: the utility object's data operations, its registry, capsules, repository index and
// settings, the repository and capsule interfaces, and the data element utilities.
#include "bridge/Binding.h"

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
}

} // namespace tavigp
