// The words and the splitting of the field mapping text: the merge rule and field type keywords, and the
// quote-aware splitter that cuts a mapping into field maps (at ";"), a field map into parts (at ",") and a field part
// into tokens (at blanks).
#pragma once

#include "host/String.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tavi::fieldmaptext {

// The written keyword of a merge rule ("None" for a code outside the rules), and the rule a keyword names, read
// without regard to case; any other keyword (and "none") reads as First.
std::u16string_view MergeRuleKeyword(int32_t rule);
int32_t MergeRuleOf(std::u16string_view keyword);
constexpr int32_t kMergeRuleCount = 16;

// The written keyword of a field type ("Long" for a code outside the types), and the type a keyword names, read
// lower-cased and trimmed of blanks; any other keyword reads as Long.
std::u16string_view FieldTypeKeyword(int32_t type);
int32_t FieldTypeOf(std::u16string_view keyword);

// Splits `text` at `separator`: separators at the start of a part are skipped; a part ends at the next separator
// outside quotes; a double quote or an apostrophe opens a quote that only the same mark closes; a backslash keeps the
// next character from ending a part or opening or closing a quote (both stay in the part); splitting ends at the end
// of the text. Parts are handed out as written. Nothing (no parts) when a quote is left open at the end.
std::optional<std::vector<std::u16string_view>> Split(std::u16string_view text, char16_t separator);

// `text` without one enclosing pair of double quotes or of apostrophes, else trimmed of blanks.
std::u16string_view Unquoted(std::u16string_view text);

// The alias as written inside its double quotes ("[double_quote]" for each double quote), appended to `text`; and
// back.
void AppendEncodedAlias(String& text, std::u16string_view alias);
String DecodeAlias(std::u16string_view written);

// A whole 32-bit number written in decimal (an optional sign and digits, blanks around allowed); none otherwise.
std::optional<int32_t> ReadInteger(std::u16string_view text);

// The catalog path as FindInputField compares it: slashes turned into backslashes and lower-cased.
String ComparablePath(std::u16string_view path);

} // namespace tavi::fieldmaptext
