// The module's string resources: a built-in English table keyed by resource number, the short texts of message
// codes, and an optional localized table loaded from a file beside the library (see TAVILocale.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tavi {

// The text of string resource `id`: the localized table's text when one is loaded and has it, else the built-in
// English text; empty when the number is unknown.
std::u16string LoadResourceString(int32_t id);
// The built-in English text only (ignores any localized table); empty when unknown.
std::u16string LoadEnglishResourceString(int32_t id);

// The short text of a geoprocessing message code (e.g. 799); it may hold inserts %1, %2 for FormatInserts. A
// localized table may override it under the same number. Empty when the code has no text of its own.
std::u16string MessageText(int32_t code);

// A localized table: UTF-8 lines "number<TAB>text" for string resources and "M<number><TAB>text" for message codes.
// Lines that are not of that form (and lines starting with '#') are skipped; in the text, "\n", "\t" and "\\"
// stand for a line break, a tab and a backslash. A later line for the same number replaces an earlier one.
class LocalizedStrings;
// Parses `content`; never fails (a table of no entries at worst).
LocalizedStrings* ParseLocalizedStrings(std::string_view content);
// The text of a string resource or of a message code, or null.
const std::u16string* FindLocalizedString(const LocalizedStrings* table, int32_t id);
const std::u16string* FindLocalizedMessage(const LocalizedStrings* table, int32_t code);
void FreeLocalizedStrings(LocalizedStrings* table);
// Makes `table` the one LoadResourceString and MessageText consult (null: none). The caller keeps ownership.
void SetActiveLocalizedStrings(const LocalizedStrings* table);

} // namespace tavi
