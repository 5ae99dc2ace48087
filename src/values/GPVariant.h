// GPVariant: a value that holds any platform variant and answers the interfaces of every scalar value at once
// (boolean, text, date, double, long), converting on the way in and out.
#pragma once

#include "host/GPValue.h"
#include "platform/BStr.h"
#include "tavi/GPScalar.h"

namespace tavi {

namespace variantvalue {
// Equality of two stored variants: the same kind, and then equal content. Empty and null variants equal their own
// kind; numbers, dates, texts and errors compare through VarCmp in the user default locale without flags (so texts
// compare with their case); objects compare by identity; arrays element by element with the same bounds.
bool SameVariant(const VARIANT& a, const VARIANT& b);
} // namespace variantvalue

// The IGPVariant and IGPDate faces share one signature, so one pair of operations serves both: the variant is read
// and stored as it is. Every other face converts through VariantChangeTypeEx in the user default locale; a stored
// variant that cannot be converted gives E_FAIL. Every setter stores, clears the empty flag and marks the value
// modified, except a put of the empty text, which empties the value.
class GPVariant final : public GPValue<GPVariant, IGPVariant, IGPBoolean, IGPString, IGPDate, IGPDouble, IGPLong,
                                       ValueInterfaces, IDocumentVersionSupport> {
public:
    static constexpr CLSID kClassId = CLSID_GPVariant;
    static constexpr const char16_t* kClassName = u"GPVariant";
    static constexpr uint16_t kStreamVersion = 1;
    // Document versions from this one on know the variant value; older ones get a plain string of its text.
    static constexpr int32_t kFirstDocumentVersion = 2;

    GPVariant();

    // IGPVariant and IGPDate: a copy of the stored variant; a copy of the given one is stored as it is (E_FAIL for
    // a variant that cannot be copied).
    HRESULT get_Value(VARIANT* value) override;
    HRESULT put_Value(VARIANT value) override;
    // IGPBoolean: read as VT_BOOL; stored as the 16-bit number it is (VT_I2), so -1 reads back as text "-1".
    HRESULT get_Value(VARIANT_BOOL* value) override;
    HRESULT put_Value(VARIANT_BOOL value) override;
    // IGPString: the empty text for an empty value, else the date-aware text of the variant; a non-empty text is
    // stored as VT_BSTR, the empty (or null) text empties the value.
    HRESULT get_Value(BSTR* value) override;
    HRESULT put_Value(const OLECHAR* value) override;
    // IGPDouble: VT_R8 both ways.
    HRESULT get_Value(double* value) override;
    HRESULT put_Value(double value) override;
    // IGPLong: VT_I4 for the 32-bit face, VT_I8 for the 64-bit one.
    HRESULT get_Value(int32_t* value) override;
    HRESULT put_Value(int32_t value) override;
    HRESULT get_Value64(int64_t* value) override;
    HRESULT put_Value64(int64_t value) override;

    // IGPValue: emptiness is the base's flag; the text form is the IGPString face and no text is refused.
    HRESULT Empty() override;
    HRESULT GetAsText(BSTR* text) override;
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override;

    // IClone: through IGPVariant (E_INVALIDARG without it); equal when SameVariant says so and the bases agree.
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

    // IDocumentVersionSupport: the replacement is a GPString holding GetAsText (an empty one when the variant has
    // no text); S_OK with null when the string cannot be made.
    HRESULT IsSupportedAtVersion(int32_t docVersion, VARIANT_BOOL* supported) override;
    HRESULT ConvertToSupportedObject(int32_t docVersion, IUnknown** replacement) override;

    const VARIANT& Stored() const { return value_; }

private:
    // The stream form, version 1: the variant in its stream form. Versions 0 and 1 are read.
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    // The XML form: a variant element "Value". Reading a non-empty document without "Value" is E_FAIL; a "Value"
    // read as VT_EMPTY keeps the stored variant.
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;

    // Replaces the stored variant and marks the value modified.
    void Store(Variant value);
    // The stored variant converted to `vt` in `out`; E_FAIL when it cannot be.
    HRESULT Converted(VARTYPE vt, Variant& out) const { return ConvertVariant(value_, vt, out); }

    Variant value_;
};

} // namespace tavi
