// The platform's range domain: bounds, field type and the membership test.
#include "host/RangeDomain.h"

#include "platform/NumberText.h"
#include "platform/VariantKinds.h"

namespace tavi {

namespace rangedomain {

namespace {

std::u16string_view TextOf(const VARIANT& v) {
    return {v.bstrVal ? v.bstrVal : u"", SysStringLen(v.bstrVal)};
}

// The variant as a number: itself for a numeric kind, a double for a text that reads as a number.
std::optional<Variant> AsNumber(const VARIANT& v) {
    if (variantkinds::IsNumberKind(v.vt))
        return Variant(v);
    double number = 0;
    if (v.vt == VT_BSTR && SUCCEEDED(numtext::ParseDouble(TextOf(v), LOCALE_INVARIANT, number)))
        return Variant::Double(number);
    return std::nullopt;
}

// A date variant for a date, or for a text that reads as a date.
std::optional<Variant> AsDate(const VARIANT& v) {
    if (v.vt == VT_DATE)
        return Variant(v);
    DATE date = 0;
    if (v.vt == VT_BSTR && SUCCEEDED(VarDateFromStr(v.bstrVal ? v.bstrVal : u"", LOCALE_INVARIANT, 0, &date)))
        return Variant::Date(date);
    return std::nullopt;
}

std::optional<int> Order(const VARIANT& a, const VARIANT& b) {
    switch (VarCmp(&a, &b, LOCALE_INVARIANT, 0)) {
    case VARCMP_LT:
        return -1;
    case VARCMP_EQ:
        return 0;
    case VARCMP_GT:
        return 1;
    default:
        return std::nullopt; // NaN, or kinds the comparison refuses
    }
}

} // namespace

bool IsBoundKind(VARTYPE vt) {
    return vt == VT_EMPTY || vt == VT_NULL || vt == VT_BSTR || variantkinds::IsNumberKind(vt);
}

std::optional<int> Compare(const VARIANT& value, const VARIANT& bound) {
    auto valueNumber = AsNumber(value), boundNumber = AsNumber(bound);
    if (valueNumber && boundNumber)
        return Order(*valueNumber, *boundNumber);
    if (value.vt == VT_DATE || bound.vt == VT_DATE) {
        auto valueDate = AsDate(value), boundDate = AsDate(bound);
        if (valueDate && boundDate)
            return Order(*valueDate, *boundDate);
        return std::nullopt;
    }
    if (value.vt == VT_BSTR && bound.vt == VT_BSTR)
        return Order(value, bound);
    return std::nullopt;
}

} // namespace rangedomain

namespace {

bool IsNoBound(const VARIANT& bound) {
    return bound.vt == VT_EMPTY || bound.vt == VT_NULL;
}

} // namespace

HRESULT RangeDomain::get_FieldType(int32_t* fieldType) {
    if (!fieldType)
        return E_POINTER;
    *fieldType = fieldType_;
    return S_OK;
}

HRESULT RangeDomain::put_FieldType(int32_t fieldType) {
    if (fieldType < taviFieldTypeSmallInteger || fieldType > taviFieldTypeBigInteger)
        return E_INVALIDARG;
    fieldType_ = fieldType;
    return S_OK;
}

HRESULT RangeDomain::MemberOf(VARIANT value) {
    return guard([&]() -> HRESULT {
        if (!rangedomain::IsBoundKind(value.vt) || IsNoBound(value))
            return S_FALSE;
        if (!IsNoBound(min_)) {
            auto order = rangedomain::Compare(value, min_);
            if (!order || *order < 0)
                return S_FALSE;
        }
        if (!IsNoBound(max_)) {
            auto order = rangedomain::Compare(value, max_);
            if (!order || *order > 0)
                return S_FALSE;
        }
        return S_OK;
    });
}

HRESULT RangeDomain::GetBound(const Variant& bound, VARIANT* value) {
    if (!value)
        return E_POINTER;
    VariantInit(value);
    return VariantCopy(value, &bound);
}

HRESULT RangeDomain::PutBound(Variant& bound, const VARIANT& value) {
    if (!rangedomain::IsBoundKind(value.vt))
        return E_INVALIDARG;
    return VariantCopy(&bound, &value);
}

HRESULT RangeDomain::get_MinValue(VARIANT* value) {
    return guard([&] { return GetBound(min_, value); });
}

HRESULT RangeDomain::put_MinValue(VARIANT value) {
    return guard([&] { return PutBound(min_, value); });
}

HRESULT RangeDomain::get_MaxValue(VARIANT* value) {
    return guard([&] { return GetBound(max_, value); });
}

HRESULT RangeDomain::put_MaxValue(VARIANT value) {
    return guard([&] { return PutBound(max_, value); });
}

} // namespace tavi
