// Readers of the ISO 8601 date and time texts that users type, for the date value's fallback routes when the
// locale's own date reader refuses a text.
//
// Time zones: a DATE holds no zone, and a date field keeps the wall time that was written, so a zone designator
// ("Z", "+01:00", "-0500", "+01") is checked for form and then dropped: "2024-03-05T10:00:00+01:00" is 10:00 on
// 5 March 2024, not 09:00. Converting to UTC would move the clock time (and near midnight the date) away from what
// the user typed, with no zone left in the value to say why.
//
// Fractional seconds (".5" or ",5", any count of digits) are dropped, not rounded: date texts and the platform's
// date conversions hold whole seconds, and dropping keeps every field that was written as it was (rounding
// 23:59:59.9 would move the date).
#pragma once

#include "host/String.h"

#include <string_view>

namespace tavi::GeoprocessingUtil {

// Rewrites an ISO 8601 date, or date and time, into "yyyy-mm-dd" or "yyyy-mm-dd hh:mm:ss": text that
// VarDateFromStr reads in every locale without calendar flags (a four-digit first number puts the year first).
// Accepted, after leading and trailing blanks are set aside:
//   date            2024-03-05 (month and day of one or two digits)
//   date and time   the date, then "T", "t" or blanks, then hh:mm or hh:mm:ss (hour of one or two digits), with
//                   an optional fraction of the second after "." or ","
//   zone            after the time: "Z", "z", or a sign with hh, hh:mm or hhmm (hours up to 23, minutes up to 59)
// Years 100 to 9999, real calendar days (no 30 February), hours 0-23, no leap second. Any other text, including
// ISO-shaped text that names no real date or time, comes back unchanged, so the next reader sees it as written.
String ISODateStringToDateString(std::u16string_view text);

// What a date text is read for; the kind of field decides which parts count.
enum class DateFieldType {
    Date,     // a date, a date and time, or a time alone (which falls on day 0, as the platform's reader does)
    DateOnly, // a date, or a date and time whose time is dropped; a time alone is refused
    TimeOnly, // a time, or a date and time whose date is dropped (the result is the time of day 0); a date alone
              // is refused
};

// The last-resort date reader: locale-free forms that the other readers may refuse.
//   - every form of ISODateStringToDateString;
//   - the ISO basic forms: 20240305, 20240305T1015, 20240305T101530.5Z, 20240305T101530+0100;
//   - plain numeric forms, year first: 20240305, 202403051015 and 20240305101530 (date, then hhmm or hhmmss),
//     and a year-first date separated by "/" or ".", with an optional time as above: 2024/03/05 10:15,
//     2024.03.05T10:15:30;
//   - a time alone in the extended form (10:15, 10:15:30.25, "T10:15"), for Date and TimeOnly.
// Zones and fractions are treated as described at the head of this file. Blanks around the text are ignored.
// S_OK and *date set; E_POINTER for a null `date`; DISP_E_TYPEMISMATCH (and *date unchanged) for any other text.
HRESULT DateTimeFromString(std::u16string_view text, DateFieldType fieldType, DATE* date);

} // namespace tavi::GeoprocessingUtil
