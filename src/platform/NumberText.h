// Number text in a locale: reading the platform's number grammar into an exact decimal, converting that to the
// numeric kinds (round half to even for integers, range checks), and writing numbers with at most 15 (doubles) or
// 7 (floats) significant digits. The hot paths use std::from_chars/std::to_chars and the locale's cached
// separators; no ICU formatter and no locale-dependent C library call runs per conversion.
#pragma once

#include "platform/Locale.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tavi::numtext {

// A number read from text, kept exactly: value = ±0.d1d2...dn × 10^point (digits without leading zeros; none for
// zero), or the unsigned value of a "&H"/"&O" literal.
struct DecimalNumber {
    static constexpr int kMaxDigits = 800; // enough for correct rounding of any double; later digits go to `sticky`
    bool negative = false;
    bool radix = false; // a "&H" or "&O" literal: `radixValue` holds it
    uint64_t radixValue = 0;
    int count = 0;       // digits kept
    bool sticky = false; // a nonzero digit was dropped after the kept ones
    int64_t point = 0;
    char digits[kMaxDigits];
};

// Reads the whole text as a number in the locale: blanks (and U+00A0) around it, a leading or trailing sign,
// parentheses for negative, the locale's thousands separator after the first digit, its decimal separator, its
// currency symbol, an exponent, "&H"/"&O" literals. S_OK; DISP_E_TYPEMISMATCH when the text is not a number;
// DISP_E_OVERFLOW for a radix literal past 64 bits (`out` then holds nothing useful).
HRESULT Parse(std::u16string_view text, const locale::LocaleData& locale, DecimalNumber& out);

// The nearest double; DISP_E_OVERFLOW beyond its range. Tiny values become 0.
HRESULT ToDouble(const DecimalNumber& number, double& out);
// The nearest float; DISP_E_OVERFLOW beyond its range.
HRESULT ToFloat(const DecimalNumber& number, float& out);
// Rounded half to even into [min, max]; DISP_E_OVERFLOW outside. A radix literal that does not fit the signed
// range but fits the same number of bits unsigned is taken as two's complement ("&HF800" as 16 bits is -2048).
HRESULT ToSigned(const DecimalNumber& number, int64_t min, int64_t max, int64_t& out);
HRESULT ToUnsigned(const DecimalNumber& number, uint64_t max, uint64_t& out);
// Currency: the value × 10,000, rounded half to even; DISP_E_OVERFLOW outside 64 bits.
HRESULT ToCurrencyUnits(const DecimalNumber& number, int64_t& out);

// Plain texts, the numbers people type and the values' own texts, read in one pass without the general reader's
// narrowing: an optional sign, digits with at most one separator (the locale's or the other one, which stands for
// it), an optional exponent, and nothing else. The significant digits make an exact integer w below 10^19 and the
// text stands for w * 10^q. Where w is at most 2^53 and |q| at most 22, both are exact doubles and one
// multiplication or division gives the correctly rounded value (Clinger's fast path); otherwise the
// Eisel-Lemire product of w with a 128-bit power of five gives it, or says it cannot decide. Either way the value is
// the one the general reader gives. False for every other text, for more than 19 significant digits, for a result
// that is not a normal finite number (zero from a non-zero text, a subnormal, an overflow: the general reader's
// rules decide those) and where the product cannot decide; the general reader then takes the text.
// `other` may equal `decimal` where no other separator stands for it. A zero keeps its sign.
bool ReadPlain(std::u16string_view text, char16_t decimal, char16_t other, double& value);
// ReadPlain as the variant conversion reads: the same, except that zero has no sign, as with the full reader.
bool ReadPlainAsVariant(std::u16string_view text, char16_t decimal, char16_t other, double& value);

// Text to double in one step, with a fast path for plain numbers ("-12.5", "1e3", "0,25" in de-DE) that gives
// the same results as the full reader.
HRESULT ParseDouble(std::u16string_view text, LCID lcid, double& out);

// The longest text the Format functions write.
constexpr size_t kMaxNumberText = 32;

// Writes a double with at most `significantDigits` significant digits (15 for doubles, 7 for floats) and the
// locale's decimal separator, never a thousands separator: fixed notation while the digits fit
// (1e14 -> "100000000000000", 5.6789e-11 -> "0.000000000056789"), else "1E+15", "5.6789E-12". -0.0 gives "0".
// Returns the number of characters written (no terminator).
size_t FormatReal(double value, int significantDigits, char16_t decimal, char16_t* buffer);
size_t FormatSigned(int64_t value, char16_t* buffer);
size_t FormatUnsigned(uint64_t value, char16_t* buffer);
// Currency units (value × 10,000) as a plain decimal with up to four fraction digits.
size_t FormatCurrencyUnits(int64_t units, char16_t decimal, char16_t* buffer);

std::u16string FormatDouble(double value, LCID lcid);
std::u16string FormatFloat(float value, LCID lcid);

} // namespace tavi::numtext
