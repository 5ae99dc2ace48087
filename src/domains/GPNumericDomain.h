// The numeric domain: doubles, longs and linear unit numbers between a low and a high limit, each end with its own
// inclusiveness, and whether an empty value passes.
#pragma once

#include "host/GPDomain.h"
#include "tavi/GPDomains.h"

#include <limits>

namespace tavi {

// A new domain accepts empty values and numbers strictly between 0 and the largest finite double.
class GPNumericDomain final : public GPDomain<GPNumericDomain, DomainInterfaces, IGPNumericDomain> {
public:
    static constexpr CLSID kClassId = CLSID_GPNumericDomain;
    static constexpr const char16_t* kClassName = u"GPNumericDomain";
    static constexpr uint16_t kStreamVersion = 1;

    // Message codes of the verdicts.
    static constexpr int32_t kCodeNotNumber = 891;
    static constexpr int32_t kCodeOutOfRange = 892;
    static constexpr int32_t kCodeEmpty = 893;

    // Creates the message maker the verdicts are made with. Throws when it cannot be made.
    GPNumericDomain();

    // IGPDomain. The value (after unpacking variables and parameters) must be a double, a long or a linear unit;
    // its number is compared without unit conversion. The verdict is a message from the message maker: empty for a
    // member, else an error with 891 (not a number), 893 (empty and empties not allowed) or 892 (outside the
    // limits, or not a number at all: NaN). The result is the message maker's (S_OK when the message was made);
    // callers read the verdict from the message. E_POINTER for a null value or message; the unpacking failure as
    // it is.
    HRESULT MemberOf(IGPValue* value, IGPMessage** message) override;

    // IGPNumericDomain. Each setter marks the domain dirty; getters give E_POINTER for a null out. A non-zero
    // inclusive or allowHighLimit flag lets the limit itself pass.
    HRESULT put_AllowEmpty(VARIANT_BOOL allow) override;
    HRESULT get_AllowEmpty(VARIANT_BOOL* allow) override;
    HRESULT put_LowLimit(double limit) override;
    HRESULT get_LowLimit(double* limit) override;
    HRESULT put_Inclusive(VARIANT_BOOL inclusive) override;
    HRESULT get_Inclusive(VARIANT_BOOL* inclusive) override;
    HRESULT put_HighLimit(VARIANT_BOOL allowHighLimit, double highLimit) override;
    HRESULT get_HighLimit(VARIANT_BOOL* allowHighLimit, double* highLimit) override;

    // IClone. Assign reads the five fields of any IGPNumericDomain (E_INVALIDARG for another kind of object).
    // IsEqual: false (S_OK) for another kind of object; true when all five fields are equal (a NaN limit is never
    // equal).
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

private:
    // Stream form: 16-bit version 1, int16 allowEmpty, double lowLimit, int16 inclusive, int16 allowHighLimit,
    // double highLimit. Load refuses newer versions and short forms with E_FAIL and then keeps the domain as it was.
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    // XML form: type "GPNumericDomain" with "AllowEmpty", "LowLimit", "Inclusive", "AllowHighLimit" and
    // "HighLimit". Documents have always carried the lower bound's inclusive flag under both "Inclusive" and
    // "AllowHighLimit", so both are written from it and read into it ("AllowHighLimit" last); allowHighLimit itself
    // is not part of the XML form and keeps its value on reading. Reading needs every element: E_FAIL, domain
    // unchanged, when one is missing or unreadable.
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;

    struct Limits {
        VARIANT_BOOL allowEmpty = VARIANT_TRUE;
        double lowLimit = 0.0;
        VARIANT_BOOL inclusive = VARIANT_FALSE;
        VARIANT_BOOL allowHighLimit = VARIANT_FALSE;
        double highLimit = std::numeric_limits<double>::max();
    };

    // The message code of the verdict on a number (0: member).
    int32_t CodeFor(double number) const;
    // The message code of the verdict on an unpacked value (0: member).
    int32_t CodeFor(IGPValue* value) const;

    Limits limits_;
    ComPtr<IGPMessageMaker> messageMaker_;
};

} // namespace tavi
