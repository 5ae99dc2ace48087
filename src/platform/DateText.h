// Date text: DATE values (days since 30 December 1899, the time of day as the fraction) to and from the calendar
// fields, and to and from text in a locale's short date and time formats, in the Gregorian, Hijri or Thai
// (Buddhist) calendar.
#pragma once

#include "tavi/Platform.h"

#include <string>
#include <string_view>

namespace tavi::datetext {

enum class Calendar { Gregorian, Hijri, Thai };

// The calendar that the VAR_CALENDAR_* flags of VarBstrFromDate/VarDateFromStr choose.
Calendar CalendarFromVarFlags(uint32_t flags);
// VariantChangeTypeEx's VARIANT_* flags in the VAR_* form (VARIANT_CALENDAR_THAI -> VAR_CALENDAR_THAI, ...).
uint32_t VarFlagsFromVariantFlags(uint16_t flags);

// The valid DATE range: 1 January 100 to 31 December 9999, 23:59:59.
constexpr double kMinDate = -657435.0; // exclusive
constexpr double kMaxDate = 2958466.0; // exclusive
inline bool InRange(DATE date) {
    return date > kMinDate && date < kMaxDate;
}

// Proleptic Gregorian calendar fields of a DATE, the time rounded to the second. Negative dates count the day
// backwards and the time forwards: -5.25 is 25 December 1899, 06:00.
struct DateFields {
    int year = 1899, month = 12, day = 30; // month and day from 1
    int hour = 0, minute = 0, second = 0;
};

// False when the date is outside the valid range or not a number.
bool ToFields(DATE date, DateFields& out);
// False when a field is out of its range (month 1-12, day within the month, year 100-9999, hour 0-23, ...).
bool FromFields(const DateFields& fields, DATE& out);
// The day number of a proleptic Gregorian date (no range check).
int64_t DayNumber(int year, int month, int day);

// The text of a date in the locale: the short date with a four-digit year, the time with seconds. A zero whole part
// gives the time only, a zero time the date only, otherwise both; VAR_TIMEVALUEONLY and VAR_DATEVALUEONLY choose
// one; VAR_CALENDAR_HIJRI and VAR_CALENDAR_THAI choose the calendar. E_INVALIDARG outside the valid range, and
// in the Hijri calendar before its first year (July 622).
HRESULT Format(DATE date, LCID lcid, uint32_t flags, std::u16string& out);

// Reads a date and/or time: numeric dates in the locale's field order (or year first when the first number has
// three or more digits), month names and abbreviations of the locale and English, times "h:mm[:ss]" with an
// optional AM/PM, or an hour with AM/PM alone. Two-digit years 00-49 are 20xx, 50-99 19xx. DISP_E_TYPEMISMATCH
// for text that is no date; `out` is written only on success.
HRESULT Parse(std::u16string_view text, LCID lcid, uint32_t flags, DATE& out);

} // namespace tavi::datetext
