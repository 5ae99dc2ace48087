// The range domain: a minimum and a maximum around values that have a variant form (strings, numbers, dates,
// booleans) and around unit values, checked by the platform's range domain object that it wraps.
#pragma once

#include "host/GPDomain.h"
#include "platform/BStr.h"
#include "tavi/GPDomains.h"

namespace tavi {

class GPRangeDomain final : public GPDomain<GPRangeDomain, DomainInterfaces, IRangeDomain> {
public:
    static constexpr CLSID kClassId = CLSID_GPRangeDomain;
    static constexpr const char16_t* kClassName = u"GPRangeDomain";
    static constexpr uint16_t kStreamVersion = 1;

    // Creates the inner range object (field type taviFieldTypeDouble, no bounds). Throws when it cannot be made.
    GPRangeDomain();

    // IGPDomain. The value (after unpacking variables and parameters) is checked by its variant form, or, for a
    // linear, areal or time unit, by its number. Member: an empty message, S_OK. A value of another kind: error
    // type 100 code 1, S_FALSE. Outside the range: error 854 whose inserts are the minimum and the maximum
    // ("%g"; a bound that is no number shows its text, a date its date text), the maximum followed by the unit
    // keyword of a unit value unless that keyword is "unknown"; S_FALSE. E_POINTER for a null message; the
    // unpacking failure as it is (the message is then handed out as error 1).
    HRESULT MemberOf(IGPValue* value, IGPMessage** message) override;

    // IRangeDomain, forwarded to the inner object; the setters mark the domain dirty.
    HRESULT get_MinValue(VARIANT* value) override;
    HRESULT put_MinValue(VARIANT value) override;
    HRESULT get_MaxValue(VARIANT* value) override;
    HRESULT put_MaxValue(VARIANT value) override;

    // IClone. Assign copies the minimum and maximum of any IRangeDomain (not its field type; E_INVALIDARG for
    // another kind of object). IsEqual: E_NOINTERFACE when the other is not a range domain (IGPDomain and
    // IRangeDomain); true (S_OK) when both bounds are equal variants (an empty bound equals only an empty one,
    // a null only a null), else false (S_FALSE).
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

private:
    // Stream form: 16-bit version 1, int32 field type, the minimum and the maximum as variants. Load refuses newer
    // versions and every malformed form with E_FAIL and then keeps the domain as it was.
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    // XML form: type "GPRangeDomain", the variants "Min" and "Max" (the field type is not part of it). Reading needs
    // both (E_FAIL, domain unchanged, otherwise) and marks the domain dirty.
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;

    // Sets field type (when given) and both bounds on the inner object; restores the earlier state when one fails.
    HRESULT SetInner(const int32_t* fieldType, const VARIANT& min, const VARIANT& max);
    Variant Min() const;
    Variant Max() const;
    HRESULT ApplyNotMember(IGPMessage* message, std::u16string_view unitText) const;

    ComPtr<IRangeDomain> range_;
    ComPtr<IDomain> domain_;
};

} // namespace tavi
