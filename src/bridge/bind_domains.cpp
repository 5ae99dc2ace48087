// Bindings of the domain interfaces: coded values, the platform range domain, numeric limits, composites of
// domains, unit domains and the browse filters of domains.
#include "bridge/Binding.h"

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

} // namespace

void BindDomainFamily(BindingTable& t) {
    BindCodedValueDomain(t);
    BindLimitDomains(t);
    BindDomainsOfDomains(t);
}

} // namespace tavigp
