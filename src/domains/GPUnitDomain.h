// GPUnitDomain: checks a linear, areal or time unit value with two inner domains. The value domain sees the number
// converted into the units this domain fixes for the value's kind; the units domain sees only the units.
#pragma once

#include "host/GPDomain.h"
#include "host/String.h"
#include "tavi/GPDomains.h"

namespace tavi {

class GPUnitDomain final : public GPDomain<GPUnitDomain, DomainInterfaces, IGPUnitDomain, IGxFilterInfo> {
public:
    static constexpr CLSID kClassId = CLSID_GPUnitDomain;
    static constexpr const char16_t* kClassName = u"GPUnitDomain";
    // The only stream version; Load refuses newer ones.
    static constexpr uint16_t kStreamVersion = 1;

    GPUnitDomain() : GPDomain(kClassId) {}

    // IGPDomain. Each inner domain that is set sees a clone of a unit value: for the value domain the number is
    // converted into this domain's units of that kind (1 Kilometers is checked as 1000 Meters), for the units
    // domain the number is 0 and the units are the value's own. A value of another kind is passed as it is. The
    // answer is the error of whichever inner domain errs (a composite message of both when both do), else an
    // empty message; S_OK either way. E_FAIL when a clone or conversion cannot be made.
    HRESULT MemberOf(IGPValue* value, IGPMessage** message) override;

    // IGPUnitDomain. The setters store what they are given (no range test) and leave the dirty flag alone.
    // SetDomains refuses this domain as one of its own inner domains (E_INVALIDARG).
    HRESULT SetDomains(IGPDomain* valueDomain, IGPDomain* unitsDomain) override;
    HRESULT GetDomains(IGPDomain** valueDomain, IGPDomain** unitsDomain) override;
    HRESULT put_LinearUnits(taviUnits units) override;
    HRESULT get_LinearUnits(taviUnits* units) override;
    HRESULT put_ArealUnits(taviAreaUnits units) override;
    HRESULT get_ArealUnits(taviAreaUnits* units) override;
    HRESULT put_TimeUnits(taviTimeUnits units) override;
    HRESULT get_TimeUnits(taviTimeUnits* units) override;

    // IGxFilterInfo: a unit domain has no browse filters (none, S_OK).
    HRESULT get_OpenGxObjectFilters(IArray** filters) override;

    // IClone. Assign shares the source's inner domains (no copies) and copies its units. IsEqual compares the
    // inner domains by their IsEqual, then the three units.
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

private:
    // Stream form: 16-bit version 1; the value domain and the units domain as nested objects; int32 linear, areal
    // and time units.
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    // XML form: type "GPUnitDomain"; the object array "GPDomainArray" (value domain, units domain, nil for an unset
    // one), then three "Units" strings: linear, areal and time units. Without "GPDomainArray" reading changes
    // nothing.
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;

    bool IsSelf(IGPDomain* domain);
    // What an inner domain is asked about `value`: the value itself, or for a unit value a clone whose number is
    // converted into this domain's units (`converted`) or 0 with the value's own units.
    HRESULT ValueToCheck(IGPValue* value, bool converted, ComPtr<IGPValue>* checked) const;
    // The time keyword written in XML: what a time value of 1 in `units` prints after its number.
    static HRESULT TimeKeyword(taviTimeUnits units, String* keyword);
    static HRESULT TimeUnitsOfKeyword(std::u16string_view keyword, taviTimeUnits* units);

    ComPtr<IGPDomain> valueDomain_;
    ComPtr<IGPDomain> unitsDomain_;
    taviUnits linearUnits_ = taviUnits::Unknown;
    taviAreaUnits arealUnits_ = taviAreaUnits::Unknown;
    taviTimeUnits timeUnits_ = taviTimeUnits::Unknown;
};

} // namespace tavi
