// GPDouble: a floating-point number whose text reads back to the same 64 bits, in any locale.
#pragma once

#include "host/GPValue.h"
#include "tavi/GPScalar.h"

#include <cstddef>
#include <initializer_list>
#include <span>
#include <string_view>

namespace tavi {

namespace doubletext {

// The longest text Format writes.
constexpr size_t kMaxText = 128;

// The text form of `value` in the user default locale, written into `buffer`; returns its length. The locale's own
// text (15 significant digits, the locale's decimal separator) when Read gives back exactly `value`, else the
// shortest "%g" text that does (always with "."); "Infinity" / "-Infinity" for the infinities and the locale's
// not-a-number text for NaN.
size_t Format(double value, char16_t (&buffer)[kMaxText]);

// `values` appended to `text` as Format writes them, separated by single blanks: the text of the values that carry
// several numbers (rectangles, points, ranges, spatial reference fields), which read back exactly.
void AppendNumbers(String& text, std::span<const double> values);
inline void AppendNumbers(String& text, std::initializer_list<double> values) {
    AppendNumbers(text, std::span<const double>(values.begin(), values.size()));
}

// Reads a number as SetAsText does, in the user default locale with decimal separator D: the first occurrence of
// the other separator ("," where D is ".", else ".") stands for D; a text without it that is the locale's
// not-a-number text is NaN; otherwise leading blanks are skipped, a number is read (sign, digits with D, exponent;
// also "inf", "infinity", "nan" and "0x" hexadecimal) and whatever follows it is ignored. False when no number
// starts the text or it lies outside the double range (1e999, 1e-999).
bool Read(std::u16string_view text, double& value);

// The user default locale's not-a-number text, looked up once per locale and kept for the process.
std::u16string_view NotANumberText();

// The texts Format writes for numbers that are not finite ("Infinity", "-Infinity" and the locale's not-a-number
// text), for readers whose number reading does not take them (the tokenizer's), so that every text a value writes
// reads back. False for any other token.
bool ReadNotFinite(std::u16string_view token, double& number);

} // namespace doubletext

// Text that does not read gives an error message with kMessageCode and S_OK, and leaves the value as it was. Values
// are equal when both are NaN or they compare equal as numbers (0.0 equals -0.0). Stream form version 1 (the
// double's 8 bytes); XML element "Value" as a double.
class GPDouble final : public GPValue<GPDouble, IGPDouble, IGPVariant, ValueInterfaces> {
public:
    static constexpr CLSID kClassId = CLSID_GPDouble;
    static constexpr const char16_t* kClassName = u"GPDouble";
    static constexpr int32_t kMessageCode = 828;
    static constexpr uint16_t kStreamVersion = 1;
    GPDouble() : GPValue(kClassId, CLSID_GPDoubleType) {}

    // IGPDouble
    HRESULT get_Value(double* value) override;
    HRESULT put_Value(double value) override;

    // IGPVariant: VT_R8; put converts to VT_R8 (E_FAIL for VT_NULL and a failed conversion, the value unchanged).
    HRESULT get_Value(VARIANT* value) override;
    HRESULT put_Value(VARIANT value) override;

    // IGPValue
    HRESULT Empty() override;
    HRESULT GetAsText(BSTR* text) override;
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override;

    // IClone
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

private:
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;

    double value_ = 0.0;
};

} // namespace tavi
