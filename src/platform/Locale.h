// Locales of the platform layer: locale identifiers (LCIDs) and their ICU locales, the user default read once from
// the environment, the thread locale, and the per-locale facts that number, boolean and date text need (cached, so
// that no conversion builds an ICU formatter per call).
#pragma once

#include "tavi/Platform.h"

#include <array>
#include <string>
#include <string_view>

#include <unicode/locid.h>

namespace tavi::locale {

// The order of the day, month and year fields in the locale's short date.
enum class DateOrder { MonthDayYear, DayMonthYear, YearMonthDay };

// What the conversions need to know about one locale. Built once per LCID and never changed afterwards, so a
// reference stays valid for the life of the process.
struct LocaleData {
    LCID lcid = 1033;
    std::string icuName;                // "en_US"; "en_US_POSIX" for the invariant locale
    char16_t decimal = u'.';            // the decimal separator
    char16_t thousands = u',';          // the thousands separator
    bool blankGrouping = false;         // the thousands separator is a blank: any blank, U+00A0 or U+202F groups
    std::u16string currency;            // the currency symbol ("$", "€")
    std::u16string notANumber = u"NaN"; // the not-a-number symbol, at most 64 characters
    std::u16string trueWord; // the local words for the booleans ("Wahr"/"Falsch"); English where none is known
    std::u16string falseWord;
    std::u16string datePattern; // the short date pattern with a four-digit year ("M/d/yyyy"), marks and eras removed
    std::u16string timePattern; // the time pattern with seconds ("h:mm:ss a")
    DateOrder dateOrder = DateOrder::MonthDayYear;
    char16_t dateSeparator = u'/';
    char16_t timeSeparator = u':';
    std::u16string am; // the locale's day period words
    std::u16string pm;
    std::array<std::u16string, 12> monthNames;   // Gregorian, in the locale's language
    std::array<std::u16string, 12> monthAbbrevs; // without a trailing period ("Jan", "janv")
};

// The LCID that `lcid` stands for: 0, LOCALE_USER_DEFAULT and LOCALE_SYSTEM_DEFAULT mean the user default; the
// LOCALE_NOUSEROVERRIDE bit is dropped. An identifier that neither the table nor ICU knows resolves to itself and
// reads as the invariant locale.
LCID Resolve(LCID lcid);

// The user default: from TAVI_LOCALE, else LC_ALL, LC_NUMERIC, LANG (read once per process); en-US when none is
// set or the value is "C"/"POSIX" or unknown.
LCID UserDefault();
// Replaces the user default for the rest of the process (tests only: the environment is read once).
void SetUserDefaultLocaleForTesting(LCID lcid);

// The thread's locale: what SetThreadLocale set on this thread, else the user default.
LCID ThreadLocale();
// Sets this thread's locale; false (and nothing changes) for an identifier that is not known.
bool SetThreadLocaleLcid(LCID lcid);

// True when the identifier names a locale of the table or one that ICU knows.
bool IsKnown(LCID lcid);

// The LCID of a locale name such as "de_DE", "de_DE.UTF-8", "de-DE" or "de"; "C" and "POSIX" are en-US. Zero
// when the name is not known.
LCID FromName(std::string_view name);

// The ICU locale name of an identifier (after Resolve): "de_DE"; "en_US_POSIX" for the invariant locale.
std::string IcuName(LCID lcid);
icu::Locale IcuLocale(LCID lcid);

// The cached facts of a locale (after Resolve). Never fails: an identifier that names no locale gets the invariant
// locale's facts (and `lcid` 127).
const LocaleData& Data(LCID lcid);

inline char16_t DecimalSeparator(LCID lcid) {
    return Data(lcid).decimal;
}
inline char16_t ThousandsSeparator(LCID lcid) {
    return Data(lcid).thousands;
}

} // namespace tavi::locale
