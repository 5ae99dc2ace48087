// Bindings of the utility services: the utility object's registry, capsules, repository index and settings, the
// repository and capsule interfaces, and the data element utilities.
#include "Binding.h"

#include "tavi/GPUtilities.h"

namespace tavigp {

void BindUtilitiesFamily(BindingTable& t) {
    t.Bind("IGPUtilitiesImpl.AddNonExistDataPathname", &IGPUtilitiesImpl::AddNonExistDataPathname);
    t.Bind("IGPUtilitiesImpl.CheckNonExistDataPathname", &IGPUtilitiesImpl::CheckNonExistDataPathname);
    t.Bind("IGPUtilitiesImpl.ClearNonExistDataPathname", &IGPUtilitiesImpl::ClearNonExistDataPathname);
    t.Bind("IGPUtilitiesImpl.SetSkipMapObjNonExistData", &IGPUtilitiesImpl::SetSkipMapObjNonExistData);
    t.Bind("IGPUtilitiesImpl.GetSkipMapObjNonExistData", &IGPUtilitiesImpl::GetSkipMapObjNonExistData);
    t.Bind("IGPUtilitiesImpl.DoThreadCapsule", &IGPUtilitiesImpl::DoThreadCapsule);
    t.Bind("IGPUtilitiesImpl.get_RepositoryIndex", &IGPUtilitiesImpl::get_RepositoryIndex);
    t.Bind("IGPUtilitiesImpl.put_RepositoryIndex", &IGPUtilitiesImpl::put_RepositoryIndex);
    t.Bind("IGPUtilitiesImpl.get_CachingEnabled", &IGPUtilitiesImpl::get_CachingEnabled);
    t.Bind("IGPUtilitiesImpl.get_RunGPOnlyInMainThread", &IGPUtilitiesImpl::get_RunGPOnlyInMainThread);

    t.Bind("ICIMRepository.get_Index", &ICIMRepository::get_Index);
    t.Bind("ICIMRepository.get_Count", &ICIMRepository::get_Count);
    t.Bind("ICIMRepository.Add", &ICIMRepository::Add);
    t.Bind("ICIMRepository.Remove", &ICIMRepository::Remove);
    t.Bind("ICIMRepository.FindByKey", &ICIMRepository::FindByKey);

    t.Bind("IGPThreadCapsule.get_Key", &IGPThreadCapsule::get_Key);
    t.Bind("IGPThreadCapsule.Apply", &IGPThreadCapsule::Apply);

    t.Bind("IDEUtilities.get_Enabled", &IDEUtilities::get_Enabled);
    t.Bind("IDEUtilities.put_Enabled", &IDEUtilities::put_Enabled);
    t.Bind("IDEUtilities.ResolveCatalogPath", &IDEUtilities::ResolveCatalogPath);
}

} // namespace tavigp
