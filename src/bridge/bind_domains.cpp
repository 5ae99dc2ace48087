// Bindings of the domain interfaces: coded values, the platform range domain, numeric limits, composites of
// domains, unit domains, the domains that filter data (files, workspaces, datasets, data elements) and the browse
// filters of domains.
#include "bridge/Binding.h"

#include "tavi/GPDataDomains.h"
#include "tavi/GPDomains.h"

namespace tavigp {

namespace {

void BindCodedValueDomain(BindingTable& t) {
    BIND(t, IGPCodedValueDomain, get_CodeCount);
    BIND(t, IGPCodedValueDomain, get_Name);
    BIND(t, IGPCodedValueDomain, get_Value);
    BIND(t, IGPCodedValueDomain, FindValue);
    BIND(t, IGPCodedValueDomain, AddCode);
    BIND(t, IGPCodedValueDomain, AddStringCode);
    BIND(t, IGPCodedValueDomain, DeleteCode);
    BIND(t, IGPCodedValueDomain, Empty);
    BIND(t, IGPCodedValueDomain, SetCodes);
    BIND(t, IGPCodedValueDomain, FindName);
    BIND(t, IGPCodedValueDomainImpl, get_SkipMemberOfTest);
    BIND(t, IGPCodedValueDomainImpl, put_SkipMemberOfTest);
    BIND(t, ICPPGPCodedValueDomain, SetCodesWithSeparator);
    BIND(t, IGPCodedValueDomainProperty, get_Name);
    BIND(t, IGPCodedValueDomainProperty, put_Name);
    BIND(t, IGPCodedValueDomainProperty, get_Value);
    BIND(t, IGPCodedValueDomainProperty, putref_Value);
}

void BindLimitDomains(BindingTable& t) {
    BIND(t, IDomain, get_FieldType);
    BIND(t, IDomain, put_FieldType);
    BIND(t, IDomain, MemberOf);
    BIND(t, IRangeDomain, get_MinValue);
    BIND(t, IRangeDomain, put_MinValue);
    BIND(t, IRangeDomain, get_MaxValue);
    BIND(t, IRangeDomain, put_MaxValue);
    BIND(t, IGPNumericDomain, put_AllowEmpty);
    BIND(t, IGPNumericDomain, get_AllowEmpty);
    BIND(t, IGPNumericDomain, put_LowLimit);
    BIND(t, IGPNumericDomain, get_LowLimit);
    BIND(t, IGPNumericDomain, put_Inclusive);
    BIND(t, IGPNumericDomain, get_Inclusive);
    BIND(t, IGPNumericDomain, put_HighLimit);
    BIND(t, IGPNumericDomain, get_HighLimit);
}

void BindDomainsOfDomains(BindingTable& t) {
    BIND(t, IGPCompositeDomain, get_DomainCount);
    BIND(t, IGPCompositeDomain, get_Domain);
    BIND(t, IGPCompositeDomain, AddDomain);
    BIND(t, IGPCompositeDomain, RemoveDomain);
    BIND(t, IGPCompositeDomain, ReplaceDomain);
    BIND(t, IGPUnitDomain, SetDomains);
    BIND(t, IGPUnitDomain, GetDomains);
    BIND(t, IGPUnitDomain, put_LinearUnits);
    BIND(t, IGPUnitDomain, get_LinearUnits);
    BIND(t, IGPUnitDomain, put_ArealUnits);
    BIND(t, IGPUnitDomain, get_ArealUnits);
    BIND(t, IGPUnitDomain, put_TimeUnits);
    BIND(t, IGPUnitDomain, get_TimeUnits);
    BIND(t, IGxFilterInfo, get_OpenGxObjectFilters);
}

void BindDataFilterDomains(BindingTable& t) {
    BIND(t, IGPFileDomain, get_FileExtensionCount);
    BIND(t, IGPFileDomain, get_FileExtension);
    BIND(t, IGPFileDomain, AddFileExtension);
    BIND(t, IGPFileDomain, RemoveFileExtension);
    BIND(t, IGPFileDomain, FilterDataElements);
    BIND(t, IGPWorkspaceDomain, get_TypeCount);
    BIND(t, IGPWorkspaceDomain, get_Type);
    BIND(t, IGPWorkspaceDomain, AddType);
    BIND(t, IGPWorkspaceDomain, RemoveType);
    BIND(t, IGPWorkspaceDomain, GetMatchingChildren);
    BIND(t, IGPDatasetDomain, get_TypeCount);
    BIND(t, IGPDatasetDomain, get_Type);
    BIND(t, IGPDatasetDomain, AddType);
    BIND(t, IGPDatasetDomain, RemoveType);
    BIND(t, IGPDatasetDomain, GetMatchingChildren);
    BIND(t, IGPDatasetDomain, put_FilterVersioned);
    BIND(t, IGPDatasetDomain, get_FilterVersioned);
    BIND(t, IGPDatasetDomain, get_FilterVersionedType);
    BIND(t, IGPDatasetDomain, put_FilterCanVersion);
    BIND(t, IGPDatasetDomain, get_FilterCanVersion);
    BIND(t, IGPDatasetDomain, get_FilterCanVersionType);
    BIND(t, IDataElementDomain, get_TypeCount);
    BIND(t, IDataElementDomain, get_Type);
    BIND(t, IDataElementDomain, AddType);
    BIND(t, IDataElementDomain, RemoveType);
    BIND(t, IDataElementDomain, GetMatchingChildren);
}

} // namespace

void BindDomainFamily(BindingTable& t) {
    BindCodedValueDomain(t);
    BindLimitDomains(t);
    BindDomainsOfDomains(t);
    BindDataFilterDomains(t);
}

} // namespace tavigp
