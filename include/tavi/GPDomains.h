// The domains that restrict values: coded values, ranges, numeric limits, composites of domains and unit domains,
// and the filter information of the domains that browse for data. The platform's range domain (the geodatabase
// library's) is declared here too: the range domain wraps it.
#pragma once

#include "tavi/Collections.h"
#include "tavi/GPUnits.h"
#include "tavi/GPValue.h"

// A list of codes, each a value with a name.
struct IGPCodedValueDomain : IUnknown {
    static constexpr IID iid{0x41DC44A0, 0xD2EB, 0x11D5, {0x93, 0x3F, 0x00, 0x80, 0xC7, 0x1A, 0x32, 0x26}};
    virtual HRESULT get_CodeCount(int32_t* count) = 0;
    virtual HRESULT get_Name(int32_t index, BSTR* name) = 0;
    virtual HRESULT get_Value(int32_t index, IGPValue** value) = 0;
    virtual HRESULT FindValue(const OLECHAR* name, IGPValue** value) = 0;
    virtual HRESULT AddCode(IGPValue* value, const OLECHAR* name) = 0;
    virtual HRESULT AddStringCode(const OLECHAR* valueText, const OLECHAR* name) = 0;
    virtual HRESULT DeleteCode(IGPValue* value) = 0;
    virtual HRESULT Empty() = 0;
    virtual HRESULT SetCodes(BSTR values, BSTR names, IGPDataType* type) = 0;
    virtual HRESULT FindName(IGPValue* value, BSTR* name) = 0;
};

struct IGPCodedValueDomainImpl : IUnknown {
    static constexpr IID iid{0xC5D30D37, 0xB3BB, 0x4599, {0x9C, 0xF5, 0x1B, 0xE0, 0x6E, 0xFE, 0xC0, 0x81}};
    virtual HRESULT get_SkipMemberOfTest(VARIANT_BOOL* skip) = 0;
    virtual HRESULT put_SkipMemberOfTest(VARIANT_BOOL skip) = 0;
};

struct ICPPGPCodedValueDomain : IUnknown {
    static constexpr IID iid{0xC032C915, 0x6CD6, 0x4E5C, {0x96, 0x3E, 0xBF, 0xDE, 0xAF, 0xEC, 0x8F, 0xA4}};
    virtual HRESULT SetCodesWithSeparator(BSTR values, BSTR names, BSTR separator, IGPDataType* type) = 0;
};

// One code as an object: the XML element of a code.
struct IGPCodedValueDomainProperty : IUnknown {
    static constexpr IID iid{0xFBC0991D, 0x8905, 0x4B86, {0x90, 0x10, 0x9A, 0xFC, 0x8C, 0xCE, 0xE7, 0x5B}};
    virtual HRESULT get_Name(BSTR* name) = 0;
    virtual HRESULT put_Name(const OLECHAR* name) = 0;
    virtual HRESULT get_Value(IGPValue** value) = 0;
    virtual HRESULT putref_Value(IGPValue* value) = 0;
};

// The platform's general domain interface: the field type the domain applies to (a taviFieldType code).
// (Assigned identifier, see below.)
struct IDomain : IUnknown {
    static constexpr IID iid{0x225786CF, 0xF767, 0x534B, {0x8F, 0x1C, 0xE3, 0xF3, 0x26, 0xE9, 0xF2, 0x55}}; // assigned
    virtual HRESULT get_FieldType(int32_t* fieldType) = 0;
    virtual HRESULT put_FieldType(int32_t fieldType) = 0;
    // S_OK when `value` lies within the domain, S_FALSE when it does not.
    virtual HRESULT MemberOf(VARIANT value) = 0;
};

// The platform's range domain: a minimum and a maximum.
struct IRangeDomain : IUnknown {
    static constexpr IID iid{0xFCB6BF32, 0x475D, 0x11D2, {0x99, 0x32, 0x00, 0x00, 0xF8, 0x03, 0x72, 0xB4}};
    virtual HRESULT get_MinValue(VARIANT* value) = 0;
    virtual HRESULT put_MinValue(VARIANT value) = 0;
    virtual HRESULT get_MaxValue(VARIANT* value) = 0;
    virtual HRESULT put_MaxValue(VARIANT value) = 0;
};

// Numeric limits: a lower and an upper bound, each with its own inclusiveness, and whether empty values pass.
struct IGPNumericDomain : IUnknown {
    static constexpr IID iid{0x8314B3A2, 0x0001, 0x450B, {0xA5, 0x03, 0x7B, 0x15, 0x2D, 0x2A, 0x6E, 0x28}};
    virtual HRESULT put_AllowEmpty(VARIANT_BOOL allow) = 0;
    virtual HRESULT get_AllowEmpty(VARIANT_BOOL* allow) = 0;
    virtual HRESULT put_LowLimit(double limit) = 0;
    virtual HRESULT get_LowLimit(double* limit) = 0;
    virtual HRESULT put_Inclusive(VARIANT_BOOL inclusive) = 0;
    virtual HRESULT get_Inclusive(VARIANT_BOOL* inclusive) = 0;
    virtual HRESULT put_HighLimit(VARIANT_BOOL allowHighLimit, double highLimit) = 0;
    virtual HRESULT get_HighLimit(VARIANT_BOOL* allowHighLimit, double* highLimit) = 0;
};

// An ordered list of domains; a value belongs when any one of them accepts it.
struct IGPCompositeDomain : IUnknown {
    static constexpr IID iid{0x7B64E034, 0x8B4B, 0x4896, {0x8E, 0x9C, 0x2C, 0x4D, 0x2B, 0x4F, 0x51, 0xF3}};
    virtual HRESULT get_DomainCount(int32_t* count) = 0;
    virtual HRESULT get_Domain(int32_t index, IGPDomain** domain) = 0;
    virtual HRESULT AddDomain(IGPDomain* domain) = 0;
    virtual HRESULT RemoveDomain(int32_t index) = 0;
    virtual HRESULT ReplaceDomain(int32_t index, IGPDomain* domain) = 0;
};

// A unit value checked by two domains: the number in fixed units per kind, and the units alone.
struct IGPUnitDomain : IUnknown {
    static constexpr IID iid{0xAE9E3E68, 0x45ED, 0x4203, {0x87, 0x05, 0x2E, 0xAD, 0x5A, 0x78, 0x52, 0xEE}};
    virtual HRESULT SetDomains(IGPDomain* valueDomain, IGPDomain* unitsDomain) = 0;
    virtual HRESULT GetDomains(IGPDomain** valueDomain, IGPDomain** unitsDomain) = 0;
    virtual HRESULT put_LinearUnits(taviUnits units) = 0;
    virtual HRESULT get_LinearUnits(taviUnits* units) = 0;
    virtual HRESULT put_ArealUnits(taviAreaUnits units) = 0;
    virtual HRESULT get_ArealUnits(taviAreaUnits* units) = 0;
    virtual HRESULT put_TimeUnits(taviTimeUnits units) = 0;
    virtual HRESULT get_TimeUnits(taviTimeUnits* units) = 0;
};

// The browse filters that fit what an object accepts: an array of filter identifiers, or none (S_OK either way).
struct IGxFilterInfo : IUnknown {
    static constexpr IID iid{0xB532AC52, 0xA669, 0x5728, {0x8F, 0x26, 0x41, 0x62, 0x84, 0xCB, 0x9D, 0x90}}; // assigned
    virtual HRESULT get_OpenGxObjectFilters(IArray** filters) = 0;
};

// Classes. The identifiers marked "assigned" are name-based identifiers of "taviGeoprocessing.<name>" in the
// library's namespace: none is documented for them.
constexpr CLSID CLSID_GPCodedValueDomain{0xA11E0871, 0x6607, 0x4BD4, {0x87, 0xD0, 0x35, 0xE0, 0x18, 0x9A, 0xEE, 0x59}};
constexpr CLSID CLSID_GPCodedValueDomainProperty{
    0x6DF90B4F, 0xA916, 0x46B4, {0x9C, 0x20, 0xFE, 0xC2, 0x53, 0xA6, 0x8D, 0x90}};
constexpr CLSID CLSID_GPRangeDomain{0x5B2241C0, 0xA61C, 0x11D5, {0x93, 0x1D, 0x00, 0x80, 0xC7, 0x1A, 0x32, 0x26}};
constexpr CLSID CLSID_RangeDomain{0xF84C6C1A, 0x47FF, 0x11D2, {0x99, 0x33, 0x00, 0x00, 0xF8, 0x03, 0x72, 0xB4}};
constexpr CLSID CLSID_GPNumericDomain{0xADDDE180, 0x3922, 0x48F7, {0x87, 0xC8, 0x34, 0x2F, 0xFA, 0xE4, 0x11, 0x61}};
constexpr CLSID CLSID_GPCompositeDomain{0xF9AE1125, 0x48EF, 0x412D, {0xAB, 0x8C, 0xAD, 0x91, 0x7F, 0x3D, 0x5F, 0x8E}};
constexpr CLSID CLSID_GPUnitDomain{0x12CEEB53, 0x2F36, 0x43E2, {0x85, 0x24, 0xA7, 0x9D, 0xBB, 0xBA, 0x24, 0xE6}};
