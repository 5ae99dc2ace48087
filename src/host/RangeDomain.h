// The platform's range domain: a minimum and a maximum around the values of a field, and the membership test that
// the geoprocessing range domain delegates to.
#pragma once

#include "platform/BStr.h"
#include "platform/Object.h"
#include "tavi/DataAccess.h"
#include "tavi/GPDomains.h"

#include <optional>

namespace tavi {

// A range of values for a field of one type.
//
// Bounds: a bound is a scalar variant (VT_EMPTY, VT_NULL, the integer and real kinds, VT_CY, VT_DATE, VT_BOOL or
// VT_BSTR); putting any other kind (objects, arrays, error codes) gives E_INVALIDARG and keeps the bound. An empty or
// null bound is no bound. Both bounds start empty, so a new range admits every comparable value.
//
// Membership (IDomain::MemberOf): S_OK when minimum <= value <= maximum, both ends inclusive, S_FALSE otherwise. A
// value and a bound are compared
//   - as numbers when both are numbers (every numeric kind, dates as day numbers, booleans as -1 / 0) or texts that
//     read as numbers in the invariant locale ("12.5", "1e3");
//   - as dates when one side is a date and the other a text that reads as a date in the invariant locale;
//   - as texts, code unit by code unit, when both are texts and not both numbers;
// and cannot be compared otherwise (a number against a text that is no number, objects, arrays, NaN). A value that
// cannot be compared with a bound it has, and an empty or null value, is not a member. The field type is kept for
// whoever reads it; it does not change the test.
//
// Field type: a taviFieldType code (taviFieldTypeDouble at first); a code outside the enumeration is E_INVALIDARG.
class RangeDomain final : public Object<RangeDomain, IDomain, IRangeDomain> {
public:
    static constexpr CLSID kClassId = CLSID_RangeDomain;
    static constexpr const char16_t* kClassName = u"RangeDomain";

    // IDomain
    HRESULT get_FieldType(int32_t* fieldType) override;
    HRESULT put_FieldType(int32_t fieldType) override;
    HRESULT MemberOf(VARIANT value) override;

    // IRangeDomain. Getters hand out a copy of the bound (E_POINTER for null).
    HRESULT get_MinValue(VARIANT* value) override;
    HRESULT put_MinValue(VARIANT value) override;
    HRESULT get_MaxValue(VARIANT* value) override;
    HRESULT put_MaxValue(VARIANT value) override;

private:
    static HRESULT GetBound(const Variant& bound, VARIANT* value);
    static HRESULT PutBound(Variant& bound, const VARIANT& value);

    int32_t fieldType_ = taviFieldTypeDouble;
    Variant min_;
    Variant max_;
};

namespace rangedomain {
// True for the kinds a bound may hold.
bool IsBoundKind(VARTYPE vt);
// The order of `value` against `bound` by the rule above: negative, zero or positive; nothing when they cannot be
// compared.
std::optional<int> Compare(const VARIANT& value, const VARIANT& bound);
} // namespace rangedomain

} // namespace tavi
