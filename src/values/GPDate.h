// The date value: a point in time held as a platform VARIANT (VT_EMPTY until set, then VT_DATE), whose text follows
// the calling thread's calendar and which also reads ISO 8601 text.
#pragma once

#include "host/GPValue.h"
#include "platform/BStr.h"
#include "tavi/GPScalar.h"

namespace tavi {

class GPDate final : public GPValue<GPDate, IGPDate, IGPVariant, ValueInterfaces> {
public:
    static constexpr CLSID kClassId = CLSID_GPDate;
    static constexpr const char16_t* kClassName = u"GPDate";
    static constexpr uint16_t kStreamVersion = 1;
    // The message code of a text that no date reader accepts.
    static constexpr int32_t kMessageCodeInvalidDate = 827;

    GPDate() : GPValue(kClassId, CLSID_GPDateType) {}

    // IGPDate and IGPVariant (the same two operations on both).
    // get_Value: a copy of the stored variant, VT_EMPTY or VT_DATE.
    HRESULT get_Value(VARIANT* value) override;
    // put_Value: VT_EMPTY, VT_NULL and the empty text clear the date. Other text is read in the thread's calendar,
    // then as ISO 8601 text (GeoprocessingUtil::ISODateStringToDateString, read in the user default locale), then
    // by GeoprocessingUtil::DateTimeFromString; a text with an embedded NUL is no date. Other kinds are converted
    // to VT_DATE in the user default locale, directly or through VT_R8. A VT_DATE is kept as it is, also outside
    // the calendar range (its text is then "<?>"), but a day number that is not finite is refused. E_FAIL, and
    // the value unchanged, when nothing reads.
    HRESULT put_Value(VARIANT value) override;

    // IGPValue. Empty exactly when the variant is VT_EMPTY.
    HRESULT IsEmpty(VARIANT_BOOL* empty) override;
    HRESULT Empty() override;
    // The date in the thread's calendar: the time alone for |d| < 1, the date alone for a whole d, "<?>" outside
    // the calendar range.
    HRESULT GetAsText(BSTR* text) override;
    // put_Value with the text; a text that does not read makes the message an error with code 827. S_OK unless
    // the message cannot be made. A null or empty text empties the value.
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override;

    // IClone: through IGPDate, the variants compared as the platform compares variants (an empty date equals
    // only an empty date).
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

private:
    // The stream form: the variant. Versions 0 and 1 are read.
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    // The XML form is written for the namespace of the document being written. Documents of the two oldest
    // namespaces hold "Value" as a variant, newer ones as a date element; both read back as a date.
    String XmlTypeNamespace() const override;
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;

    // Stores a VT_EMPTY or VT_DATE variant and marks the value modified; the base's empty flag follows the variant,
    // so the base parts of the stream and XML forms say what the value holds.
    void Store(Variant value);
    void SyncEmptyFlag() { SetEmptyFlag(value_.vt == VT_EMPTY); }

    Variant value_;
};

} // namespace tavi
