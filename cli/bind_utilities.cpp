// Bindings of the utility services: the utility object's data operations, its registry, capsules, repository index and
// settings, the repository and capsule interfaces, and the data element utilities.
#include "Binding.h"

#include "tavi/GPUtilities.h"

namespace tavigp {

void BindUtilitiesFamily(BindingTable& t) {
    t.Bind("IGPUtilities.MakeGPValueFromText", &IGPUtilities::MakeGPValueFromText);
    t.Bind("IGPUtilities.ResolveValue", &IGPUtilities::ResolveValue);
    t.Bind("IGPUtilities.IsDataType", &IGPUtilities::IsDataType);
    t.Bind("IGPUtilities.IsDataTypeName", &IGPUtilities::IsDataTypeName);
    t.Bind("IGPUtilities.OpenDataElementFromText", &IGPUtilities::OpenDataElementFromText);
    t.Bind("IGPUtilities.OpenDataElement", &IGPUtilities::OpenDataElement);
    t.Bind("IGPUtilities.CanOpenData", &IGPUtilities::CanOpenData);
    t.Bind("IGPUtilities.IsValidDataElement", &IGPUtilities::IsValidDataElement);
    t.Bind("IGPUtilities.GetExtent", &IGPUtilities::GetExtent);
    t.Bind("IGPUtilities.GetFields", &IGPUtilities::GetFields);
    t.Bind("IGPUtilities.GetFieldsWithRaster", &IGPUtilities::GetFieldsWithRaster);
    t.Bind("IGPUtilities.GetSpatialReference", &IGPUtilities::GetSpatialReference);
    t.Bind("IGPUtilities.HasExtension", &IGPUtilities::HasExtension);
    t.Bind("IGPUtilities.GetDefaultWorkspace", &IGPUtilities::GetDefaultWorkspace);
    t.Bind("IGPUtilities.PrepareDataElement", &IGPUtilities::PrepareDataElement);
    t.Bind("IGPUtilities.OpenVirtualWorkspace", &IGPUtilities::OpenVirtualWorkspace);
    t.Bind("IGPUtilities.get_ScratchFolder", &IGPUtilities::get_ScratchFolder);

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
    t.Bind("IGPUtilitiesImpl.get_ShowCodedValueKeys", &IGPUtilitiesImpl::get_ShowCodedValueKeys);
    t.Bind("IGPUtilitiesImpl.get_InScriptingSession", &IGPUtilitiesImpl::get_InScriptingSession);

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
