// The text of a double as the values write and read it: the locale's own text where it reads back exactly, else the
// shortest text that does; and the reader that takes either separator.
#pragma once

#include "host/String.h"

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

} // namespace tavi
