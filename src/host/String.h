// The foundation text helpers. Text inside the library is `String` (UTF-16, std::u16string); these free functions
// supply what the callers need beyond the standard string: trimming, case-insensitive comparison and case folding
// (full Unicode, through ICU), the C runtime's ASCII-only lower-casing, printf-style number text, BSTR hand-out and
// splitting at a delimiter.
#pragma once

#include "platform/BStr.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace tavi {

using String = std::u16string;
using BString = BStr;

// True for the white space that trimming removes: space, tab, CR, LF, vertical tab, form feed, and the Unicode
// white space characters (no-break space included).
bool IsWhiteSpace(char16_t c);
String TrimLeft(std::u16string_view text);
String TrimRight(std::u16string_view text);
String Trim(std::u16string_view text);

// Case-insensitive comparison by full Unicode case folding: <0, 0, >0 as a is before, equal to, after b.
int CompareNoCase(std::u16string_view a, std::u16string_view b);
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);
// The case-folded form of `text` (a caseless key: "Straße" and "STRASSE" fold alike only where ICU's simple folding
// says so; we use the simple, length-preserving default folding).
String FoldCase(std::u16string_view text);
// Position of the first case-insensitive occurrence of `needle` in `text` at or after `from`, or npos.
size_t FindNoCase(std::u16string_view text, std::u16string_view needle, size_t from = 0);

// Lower-cases only 'A'..'Z', as the C runtime's single-character rule does in the "C" locale; every other character
// is left as it is. Used where stored keywords are compared the way older documents compared them.
char16_t ToLowerAscii(char16_t c);
String ToLowerAscii(std::u16string_view text);
String ToUpperAscii(std::u16string_view text);

// Formats one number with a printf format that holds exactly one conversion ("%g", "%.6f", "%d", "%lld", "%10.3e"...).
// Floating conversions take `value` as it is; integer conversions (d, i, u, x, X, o) take it rounded toward zero.
// A format without exactly one conversion gives the empty text. The decimal point is always '.'.
String FormatNumber(const char* printfFormat, double value);
String FormatInteger(const char* printfFormat, int64_t value);
// Shortest round-trip text of a double ("0.1", "1e+300", "nan", "inf", "-inf").
String DoubleToText(double value);

// Replaces the inserts %1 .. %9 of `pattern` with the given texts ("%%" is a literal '%'); an insert with no text
// is replaced by nothing.
String FormatInserts(std::u16string_view pattern, std::initializer_list<std::u16string_view> inserts);

// A new BSTR holding `text`, owned by the caller (free with SysFreeString or adopt into a BStr). Null only when the
// allocation fails.
BSTR MakeBSTR(std::u16string_view text);

// Text split at a delimiter: "a;b;;c" at ';' gives "a", "b", "", "c"; the empty text gives no items. Items are not
// trimmed unless asked.
class DelimitedList {
public:
    DelimitedList() = default;
    DelimitedList(std::u16string_view text, std::u16string_view delimiter, bool trimItems = false);

    size_t Count() const { return items_.size(); }
    const String& operator[](size_t index) const { return items_[index]; }
    const std::vector<String>& Items() const { return items_; }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }
    // The items joined again with `delimiter`.
    String Join(std::u16string_view delimiter) const;

private:
    std::vector<String> items_;
};

} // namespace tavi
