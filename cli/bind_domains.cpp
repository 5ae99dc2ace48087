// Bindings of the domain interfaces: coded values, the platform range domain, numeric limits, composites of
// domains, unit domains and the browse filters of domains.
#include "Binding.h"

#include "tavi/GPDomains.h"

namespace tavigp {

namespace {

void BindCodedValueDomain(BindingTable& t) {
    t.Bind("IGPCodedValueDomain.get_CodeCount", &IGPCodedValueDomain::get_CodeCount);
    t.Bind("IGPCodedValueDomain.get_Name", &IGPCodedValueDomain::get_Name);
    t.Bind("IGPCodedValueDomain.get_Value", &IGPCodedValueDomain::get_Value);
    t.Bind("IGPCodedValueDomain.FindValue", &IGPCodedValueDomain::FindValue);
    t.Bind("IGPCodedValueDomain.AddCode", &IGPCodedValueDomain::AddCode);
    t.Bind("IGPCodedValueDomain.AddStringCode", &IGPCodedValueDomain::AddStringCode);
    t.Bind("IGPCodedValueDomain.DeleteCode", &IGPCodedValueDomain::DeleteCode);
    t.Bind("IGPCodedValueDomain.Empty", &IGPCodedValueDomain::Empty);
    t.Bind("IGPCodedValueDomain.SetCodes", &IGPCodedValueDomain::SetCodes);
    t.Bind("IGPCodedValueDomain.FindName", &IGPCodedValueDomain::FindName);
    t.Bind("IGPCodedValueDomainImpl.get_SkipMemberOfTest", &IGPCodedValueDomainImpl::get_SkipMemberOfTest);
    t.Bind("IGPCodedValueDomainImpl.put_SkipMemberOfTest", &IGPCodedValueDomainImpl::put_SkipMemberOfTest);
    t.Bind("ICPPGPCodedValueDomain.SetCodesWithSeparator", &ICPPGPCodedValueDomain::SetCodesWithSeparator);
    t.Bind("IGPCodedValueDomainProperty.get_Name", &IGPCodedValueDomainProperty::get_Name);
    t.Bind("IGPCodedValueDomainProperty.put_Name", &IGPCodedValueDomainProperty::put_Name);
    t.Bind("IGPCodedValueDomainProperty.get_Value", &IGPCodedValueDomainProperty::get_Value);
    t.Bind("IGPCodedValueDomainProperty.putref_Value", &IGPCodedValueDomainProperty::putref_Value);
}

void BindLimitDomains(BindingTable& t) {
    t.Bind("IDomain.get_FieldType", &IDomain::get_FieldType);
    t.Bind("IDomain.put_FieldType", &IDomain::put_FieldType);
    t.Bind("IDomain.MemberOf", &IDomain::MemberOf);
    t.Bind("IRangeDomain.get_MinValue", &IRangeDomain::get_MinValue);
    t.Bind("IRangeDomain.put_MinValue", &IRangeDomain::put_MinValue);
    t.Bind("IRangeDomain.get_MaxValue", &IRangeDomain::get_MaxValue);
    t.Bind("IRangeDomain.put_MaxValue", &IRangeDomain::put_MaxValue);
    t.Bind("IGPNumericDomain.put_AllowEmpty", &IGPNumericDomain::put_AllowEmpty);
    t.Bind("IGPNumericDomain.get_AllowEmpty", &IGPNumericDomain::get_AllowEmpty);
    t.Bind("IGPNumericDomain.put_LowLimit", &IGPNumericDomain::put_LowLimit);
    t.Bind("IGPNumericDomain.get_LowLimit", &IGPNumericDomain::get_LowLimit);
    t.Bind("IGPNumericDomain.put_Inclusive", &IGPNumericDomain::put_Inclusive);
    t.Bind("IGPNumericDomain.get_Inclusive", &IGPNumericDomain::get_Inclusive);
    t.Bind("IGPNumericDomain.put_HighLimit", &IGPNumericDomain::put_HighLimit);
    t.Bind("IGPNumericDomain.get_HighLimit", &IGPNumericDomain::get_HighLimit);
}

void BindDomainsOfDomains(BindingTable& t) {
    t.Bind("IGPCompositeDomain.get_DomainCount", &IGPCompositeDomain::get_DomainCount);
    t.Bind("IGPCompositeDomain.get_Domain", &IGPCompositeDomain::get_Domain);
    t.Bind("IGPCompositeDomain.AddDomain", &IGPCompositeDomain::AddDomain);
    t.Bind("IGPCompositeDomain.RemoveDomain", &IGPCompositeDomain::RemoveDomain);
    t.Bind("IGPCompositeDomain.ReplaceDomain", &IGPCompositeDomain::ReplaceDomain);
    t.Bind("IGPUnitDomain.SetDomains", &IGPUnitDomain::SetDomains);
    t.Bind("IGPUnitDomain.GetDomains", &IGPUnitDomain::GetDomains);
    t.Bind("IGPUnitDomain.put_LinearUnits", &IGPUnitDomain::put_LinearUnits);
    t.Bind("IGPUnitDomain.get_LinearUnits", &IGPUnitDomain::get_LinearUnits);
    t.Bind("IGPUnitDomain.put_ArealUnits", &IGPUnitDomain::put_ArealUnits);
    t.Bind("IGPUnitDomain.get_ArealUnits", &IGPUnitDomain::get_ArealUnits);
    t.Bind("IGPUnitDomain.put_TimeUnits", &IGPUnitDomain::put_TimeUnits);
    t.Bind("IGPUnitDomain.get_TimeUnits", &IGPUnitDomain::get_TimeUnits);
    t.Bind("IGxFilterInfo.get_OpenGxObjectFilters", &IGxFilterInfo::get_OpenGxObjectFilters);
}

} // namespace

void BindDomainFamily(BindingTable& t) {
    BindCodedValueDomain(t);
    BindLimitDomains(t);
    BindDomainsOfDomains(t);
}

} // namespace tavigp
