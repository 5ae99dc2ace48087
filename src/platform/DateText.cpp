// Date text: calendar arithmetic, a pattern formatter for the locale's short date and time patterns, and a small
// tokenizing date reader.
#include "platform/DateText.h"

#include "platform/Locale.h"

#include <array>
#include <chrono>
#include <cmath>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include <unicode/calendar.h>
#include <unicode/dtfmtsym.h>
#include <unicode/timezone.h>
#include <unicode/uchar.h>

namespace tavi::datetext {

namespace {

constexpr int64_t kUnixEpochDay = 25569; // 1 January 1970 as a day number
constexpr int kSecondsPerDay = 86400;
constexpr int kThaiYearOffset = 543;

// Days from 1 January 1970 of a proleptic Gregorian date, and back (Hinnant's algorithms).
int64_t daysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    int64_t yoe = y - era * 400;
    int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = int(yoe + era * 400 + (month <= 2));
}

bool isLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeap(year) ? 29 : kDays[month - 1];
}

// A day number and the seconds of its time, the time rounded to the second (a time that rounds up to midnight
// moves to the next day).
struct DayAndTime {
    int64_t day;
    int seconds;
};

DayAndTime split(DATE date) {
    double whole = std::trunc(date);
    double fraction = std::fabs(date - whole);
    auto day = int64_t(whole);
    auto seconds = int(std::llround(fraction * kSecondsPerDay));
    if (seconds >= kSecondsPerDay) {
        seconds -= kSecondsPerDay;
        ++day;
    }
    return {day, seconds};
}

DATE combine(int64_t day, int seconds) {
    double fraction = double(seconds) / kSecondsPerDay;
    return day < 0 ? double(day) - fraction : double(day) + fraction;
}

// The Hijri calendar: ICU's tabular (civil) Islamic calendar in UTC, one instance per thread, since a calendar
// object is not safe to share and costly to make.
icu::Calendar* hijriCalendar() {
    thread_local std::unique_ptr<icu::Calendar> calendar = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Calendar> made(icu::Calendar::createInstance(
            icu::TimeZone::getGMT()->clone(), icu::Locale("en_US@calendar=islamic-civil"), status));
        if (U_FAILURE(status))
            made.reset();
        else
            made->setLenient(false);
        return made;
    }();
    return calendar.get();
}

bool hijriFromDay(int64_t day, int& year, int& month, int& dayOfMonth) {
    icu::Calendar* calendar = hijriCalendar();
    if (!calendar)
        return false;
    UErrorCode status = U_ZERO_ERROR;
    calendar->clear();
    calendar->setTime(double(day - kUnixEpochDay) * 86400000.0, status);
    year = calendar->get(UCAL_EXTENDED_YEAR, status);
    month = calendar->get(UCAL_MONTH, status) + 1;
    dayOfMonth = calendar->get(UCAL_DATE, status);
    return U_SUCCESS(status);
}

bool dayFromHijri(int year, int month, int dayOfMonth, int64_t& day) {
    icu::Calendar* calendar = hijriCalendar();
    if (!calendar || month < 1 || month > 12 || dayOfMonth < 1 || dayOfMonth > 30)
        return false;
    UErrorCode status = U_ZERO_ERROR;
    calendar->clear();
    calendar->set(UCAL_EXTENDED_YEAR, year);
    calendar->set(UCAL_MONTH, month - 1);
    calendar->set(UCAL_DATE, dayOfMonth);
    double millis = calendar->getTime(status);
    if (U_FAILURE(status))
        return false; // not lenient: a 30th of a 29-day month fails here
    day = int64_t(std::floor(millis / 86400000.0)) + kUnixEpochDay;
    return true;
}

// The month names of a calendar in a locale: Gregorian ones come with the locale's data; Hijri ones from ICU,
// cached per locale.
using MonthArray = std::array<std::u16string, 12>;

// A view of a calendar's month names; the arrays live in caches that are never emptied.
struct MonthNames {
    const MonthArray& full;
    const MonthArray& abbreviated;
};

struct HijriNames {
    MonthArray full;
    MonthArray abbreviated;
};

std::u16string fromIcu(const icu::UnicodeString& text) {
    std::u16string out;
    for (int32_t i = 0; i < text.length(); ++i) {
        char16_t c = text.charAt(i);
        if (c == u'\u200E' || c == u'\u200F' || c == u'\u061C')
            continue;
        out += (c == u'\u202F' || c == u'\u00A0') ? u' ' : c;
    }
    if (!out.empty() && out.back() == u'.')
        out.pop_back();
    return out;
}

MonthNames hijriMonthNames(LCID lcid) {
    static std::mutex mutex;
    static std::unordered_map<LCID, std::unique_ptr<HijriNames>> cache;
    std::lock_guard lock(mutex);
    auto& slot = cache[lcid];
    if (!slot) {
        slot = std::make_unique<HijriNames>();
        UErrorCode status = U_ZERO_ERROR;
        icu::DateFormatSymbols symbols(locale::IcuLocale(lcid), "islamic", status);
        if (U_SUCCESS(status)) {
            int32_t count = 0;
            const icu::UnicodeString* full = symbols.getMonths(count);
            for (int32_t i = 0; i < count && i < 12; ++i)
                slot->full[size_t(i)] = fromIcu(full[i]);
            const icu::UnicodeString* shortNames = symbols.getShortMonths(count);
            for (int32_t i = 0; i < count && i < 12; ++i)
                slot->abbreviated[size_t(i)] = fromIcu(shortNames[i]);
        }
    }
    return {slot->full, slot->abbreviated};
}

MonthNames gregorianMonthNames(const locale::LocaleData& data) {
    return {data.monthNames, data.monthAbbrevs};
}

constexpr std::array<const char16_t*, 12> kEnglishMonths = {u"January",   u"February", u"March",    u"April",
                                                            u"May",       u"June",     u"July",     u"August",
                                                            u"September", u"October",  u"November", u"December"};

// The fields a pattern prints, in the chosen calendar.
struct PrintFields {
    int year, month, day, hour, minute, second;
};

void appendNumber(std::u16string& out, int value, int minDigits) {
    if (value < 0) {
        out += u'-';
        value = -value;
    }
    char16_t digits[12];
    int count = 0;
    do {
        digits[count++] = char16_t(u'0' + value % 10);
        value /= 10;
    } while (value);
    for (int i = count; i < minDigits; ++i)
        out += u'0';
    while (count)
        out += digits[--count];
}

// Prints a date or time pattern: y, M, d, H, h, K, k, m, s, a (and B, a day period, as a) with ICU's meaning of
// the letter counts; quoted text literally; other letters (weekdays, eras) are left out.
void printPattern(const std::u16string& pattern, const PrintFields& f, const locale::LocaleData& data,
                  const MonthNames& names, std::u16string& out) {
    for (size_t i = 0; i < pattern.size();) {
        char16_t c = pattern[i];
        if (c == u'\'') {
            size_t close = pattern.find(u'\'', i + 1);
            if (close == std::u16string::npos)
                close = pattern.size();
            if (close == i + 1)
                out += u'\'';
            else
                out.append(pattern, i + 1, close - i - 1);
            i = close + 1;
            continue;
        }
        size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c)
            ++run;
        int n = int(run);
        switch (c) {
        case u'y':
            if (n == 2)
                appendNumber(out, ((f.year % 100) + 100) % 100, 2);
            else
                appendNumber(out, f.year, n);
            break;
        case u'M':
        case u'L':
            if (n >= 4)
                out += names.full[size_t(f.month - 1)];
            else if (n == 3)
                out += names.abbreviated[size_t(f.month - 1)];
            else
                appendNumber(out, f.month, n);
            break;
        case u'd':
            appendNumber(out, f.day, n);
            break;
        case u'H':
            appendNumber(out, f.hour, n);
            break;
        case u'k':
            appendNumber(out, f.hour == 0 ? 24 : f.hour, n);
            break;
        case u'K':
            appendNumber(out, f.hour % 12, n);
            break;
        case u'h':
            appendNumber(out, f.hour % 12 == 0 ? 12 : f.hour % 12, n);
            break;
        case u'm':
            appendNumber(out, f.minute, n);
            break;
        case u's':
            appendNumber(out, f.second, n);
            break;
        case u'a':
        case u'b':
        case u'B':
            out += f.hour < 12 ? data.am : data.pm;
            break;
        default:
            if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')))
                out.append(pattern, i, run);
            break;
        }
        i += run;
    }
}

// ---- Reading ----

char16_t fold(char16_t c) {
    return char16_t(u_foldCase(c, U_FOLD_CASE_DEFAULT));
}

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\u00A0' || c == u'\u202F';
}
bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
bool isLetter(char16_t c) {
    return u_isalpha(c) || u_charType(c) == U_NON_SPACING_MARK;
}

// True when `word` matches the text at `pos` ignoring case, and the match ends at a word boundary.
bool matchesAt(std::u16string_view text, size_t pos, std::u16string_view word) {
    if (word.empty() || pos + word.size() > text.size())
        return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (fold(text[pos + i]) != fold(word[i]))
            return false;
    size_t end = pos + word.size();
    return end == text.size() || !isLetter(text[end]);
}

enum class WordKind { None, Month, Am, Pm };

struct Word {
    WordKind kind = WordKind::None;
    int month = 0;
    size_t length = 0;
};

// The longest month name, abbreviation or day period word at `pos`.
Word matchWord(std::u16string_view text, size_t pos, const locale::LocaleData& data, const MonthNames& names) {
    Word best;
    auto consider = [&](std::u16string_view word, WordKind kind, int month) {
        if (word.size() > best.length && matchesAt(text, pos, word))
            best = Word{kind, month, word.size()};
    };
    for (int i = 0; i < 12; ++i) {
        consider(names.full[size_t(i)], WordKind::Month, i + 1);
        consider(names.abbreviated[size_t(i)], WordKind::Month, i + 1);
    }
    consider(data.am, WordKind::Am, 0);
    consider(data.pm, WordKind::Pm, 0);
    consider(u"AM", WordKind::Am, 0);
    consider(u"PM", WordKind::Pm, 0);
    return best;
}

// English month names serve every Gregorian locale: "2 Jan 1970" reads anywhere.
Word matchEnglishMonth(std::u16string_view text, size_t pos) {
    Word best;
    for (int i = 0; i < 12; ++i) {
        std::u16string_view full = kEnglishMonths[size_t(i)];
        if (full.size() > best.length && matchesAt(text, pos, full))
            best = Word{WordKind::Month, i + 1, full.size()};
        std::u16string_view abbreviated = full.substr(0, 3);
        if (abbreviated.size() > best.length && matchesAt(text, pos, abbreviated))
            best = Word{WordKind::Month, i + 1, abbreviated.size()};
    }
    return best;
}

struct DateNumber {
    int value;
    int digits;
};

// What the reader found in the text.
struct Found {
    DateNumber numbers[3];
    int count = 0;
    int month = 0; // from a month name
    bool time = false;
    int hour = 0, minute = 0, second = 0;
    WordKind period = WordKind::None;
};

class DateReader {
public:
    DateReader(std::u16string_view text, const locale::LocaleData& data, const MonthNames& names, bool english)
        : text_(text), data_(data), names_(names), english_(english) {}

    bool read(Found& found) {
        bool separatorPending = false; // a separator that needs something after it
        bool afterWord = false;
        while (pos_ < text_.size()) {
            char16_t c = text_[pos_];
            if (isBlank(c)) {
                ++pos_;
            } else if (isDigit(c)) {
                if (!readNumberOrTime(found))
                    return false;
                separatorPending = afterWord = false;
            } else if (c == u'/' || c == u'-' || c == u',' || c == data_.dateSeparator) {
                if (separatorPending || !anythingRead(found))
                    return false;
                separatorPending = c != u'.' || !afterWord;
                afterWord = false;
                ++pos_;
            } else if (c == u'.' && afterWord) {
                afterWord = false; // the period of an abbreviation ("Jan.")
                ++pos_;
            } else if (isLetter(c)) {
                if (!readWord(found))
                    return false;
                separatorPending = false;
                afterWord = true;
            } else {
                return false;
            }
        }
        // A trailing period ends some locales' dates ("1970. 01. 02."); other separators need more text.
        return !separatorPending || text_.back() == u'.';
    }

private:
    static bool anythingRead(const Found& found) { return found.count || found.month || found.time; }

    int readNumber(int& digits) {
        int value = 0;
        digits = 0;
        while (pos_ < text_.size() && isDigit(text_[pos_])) {
            if (value < 100000)
                value = value * 10 + (text_[pos_] - u'0');
            ++digits;
            ++pos_;
        }
        return value;
    }

    bool atTimeSeparator() const {
        return pos_ < text_.size() && (text_[pos_] == u':' || text_[pos_] == data_.timeSeparator) &&
               (text_[pos_] == u':' || data_.timeSeparator != data_.dateSeparator);
    }

    // A day period word after blanks that ends this number's time ("1 am"), without consuming anything.
    bool periodFollows() const {
        size_t p = pos_;
        while (p < text_.size() && isBlank(text_[p]))
            ++p;
        if (p >= text_.size() || !isLetter(text_[p]))
            return false;
        Word word = matchWord(text_, p, data_, names_);
        if (word.kind != WordKind::Am && word.kind != WordKind::Pm)
            return false;
        // A period word followed by a number leads the time after it ("上午12:00:01"), not this number.
        p += word.length;
        while (p < text_.size() && isBlank(text_[p]))
            ++p;
        return p >= text_.size() || !isDigit(text_[p]);
    }

    bool readNumberOrTime(Found& found) {
        int digits = 0;
        int value = readNumber(digits);
        if (atTimeSeparator()) {
            if (found.time)
                return false;
            found.time = true;
            found.hour = value;
            ++pos_;
            if (pos_ >= text_.size() || !isDigit(text_[pos_]))
                return false;
            found.minute = readNumber(digits);
            if (atTimeSeparator()) {
                ++pos_;
                if (pos_ >= text_.size() || !isDigit(text_[pos_]))
                    return false;
                found.second = readNumber(digits);
            }
            return !atTimeSeparator();
        }
        if (!found.time && periodFollows()) {
            found.time = true;
            found.hour = value;
            return true;
        }
        if (found.count == 3)
            return false;
        found.numbers[found.count++] = DateNumber{value, digits};
        return true;
    }

    bool readWord(Found& found) {
        Word word = matchWord(text_, pos_, data_, names_);
        if (english_) {
            Word englishWord = matchEnglishMonth(text_, pos_);
            if (englishWord.length > word.length)
                word = englishWord;
        }
        switch (word.kind) {
        case WordKind::None:
            return false;
        case WordKind::Month:
            if (found.month)
                return false;
            found.month = word.month;
            break;
        case WordKind::Am:
        case WordKind::Pm:
            if (found.period != WordKind::None)
                return false;
            found.period = word.kind;
            break;
        }
        pos_ += word.length;
        return true;
    }

    std::u16string_view text_;
    const locale::LocaleData& data_;
    const MonthNames& names_;
    bool english_;
    size_t pos_ = 0;
};

bool isYearLike(const DateNumber& n) {
    return n.digits >= 3 || n.value > 31;
}

int windowYear(const DateNumber& n, Calendar calendar) {
    if (n.digits > 2)
        return n.value;
    if (calendar == Calendar::Thai)
        return 2500 + n.value; // Buddhist years: 69 is 2569
    if (calendar == Calendar::Hijri)
        return 1400 + n.value;
    return n.value < 50 ? 2000 + n.value : 1900 + n.value;
}

int currentYear(Calendar calendar) {
    auto now = std::chrono::system_clock::now();
    auto days = std::chrono::duration_cast<std::chrono::hours>(now.time_since_epoch()).count() / 24;
    int year = 0, month = 0, day = 0;
    civilFromDays(days, year, month, day);
    if (calendar == Calendar::Hijri && hijriFromDay(days + kUnixEpochDay, year, month, day))
        return year;
    return calendar == Calendar::Thai ? year + kThaiYearOffset : year;
}

struct YMD {
    int year, month, day;
};

// The day number of a calendar date; false when it is no date of the calendar or outside the valid range.
bool dayOf(const YMD& date, Calendar calendar, int64_t& day) {
    if (calendar == Calendar::Hijri) {
        if (date.year < 1 || !dayFromHijri(date.year, date.month, date.day, day))
            return false;
        return InRange(double(day));
    }
    int year = calendar == Calendar::Thai ? date.year - kThaiYearOffset : date.year;
    if (year < 100 || year > 9999 || date.month < 1 || date.month > 12 || date.day < 1 ||
        date.day > daysInMonth(year, date.month))
        return false;
    day = DayNumber(year, date.month, date.day);
    return true;
}

// Assigns the numbers and month name to year, month and day; tries the locale's order, then day and month
// swapped, as hosts accept "13/1/2000" in a month-first locale.
bool resolveDate(const Found& f, const locale::LocaleData& data, Calendar calendar, int64_t& day) {
    const DateNumber* n = f.numbers;
    std::vector<YMD> tries;
    if (f.month) {
        if (f.count == 2) {
            bool yearFirst = data.dateOrder == locale::DateOrder::YearMonthDay ? !isYearLike(n[1]) || isYearLike(n[0])
                                                                               : isYearLike(n[0]);
            if (yearFirst)
                tries.push_back({windowYear(n[0], calendar), f.month, n[1].value});
            else
                tries.push_back({windowYear(n[1], calendar), f.month, n[0].value});
        } else if (f.count == 1) {
            if (isYearLike(n[0]))
                tries.push_back({windowYear(n[0], calendar), f.month, 1});
            else
                tries.push_back({currentYear(calendar), f.month, n[0].value});
        } else {
            return false;
        }
    } else if (f.count == 3) {
        if (isYearLike(n[0])) {
            tries.push_back({windowYear(n[0], calendar), n[1].value, n[2].value});
        } else {
            int year = windowYear(n[2], calendar);
            if (data.dateOrder == locale::DateOrder::DayMonthYear) {
                tries.push_back({year, n[1].value, n[0].value});
                tries.push_back({year, n[0].value, n[1].value});
            } else if (data.dateOrder == locale::DateOrder::MonthDayYear) {
                tries.push_back({year, n[0].value, n[1].value});
                tries.push_back({year, n[1].value, n[0].value});
            } else {
                tries.push_back({windowYear(n[0], calendar), n[1].value, n[2].value});
            }
        }
    } else if (f.count == 2) {
        if (isYearLike(n[1]) && !isYearLike(n[0]))
            tries.push_back({windowYear(n[1], calendar), n[0].value, 1});
        else if (isYearLike(n[0]))
            tries.push_back({windowYear(n[0], calendar), n[1].value, 1});
        else if (data.dateOrder == locale::DateOrder::DayMonthYear)
            tries.push_back({currentYear(calendar), n[1].value, n[0].value});
        else
            tries.push_back({currentYear(calendar), n[0].value, n[1].value});
    } else {
        return false;
    }
    for (const YMD& ymd : tries)
        if (dayOf(ymd, calendar, day))
            return true;
    return false;
}

bool resolveTime(const Found& f, int& seconds) {
    int hour = f.hour;
    if (f.period != WordKind::None) {
        if (hour > 12)
            return false;
        if (f.period == WordKind::Am && hour == 12)
            hour = 0;
        else if (f.period == WordKind::Pm && hour < 12)
            hour += 12;
    }
    if (hour > 23 || f.minute > 59 || f.second > 59)
        return false;
    seconds = hour * 3600 + f.minute * 60 + f.second;
    return true;
}

} // namespace

Calendar CalendarFromVarFlags(uint32_t flags) {
    if (flags & VAR_CALENDAR_HIJRI)
        return Calendar::Hijri;
    if (flags & VAR_CALENDAR_THAI)
        return Calendar::Thai;
    return Calendar::Gregorian;
}

uint32_t VarFlagsFromVariantFlags(uint16_t flags) {
    uint32_t out = 0;
    if (flags & VARIANT_CALENDAR_HIJRI)
        out |= VAR_CALENDAR_HIJRI;
    if (flags & VARIANT_CALENDAR_THAI)
        out |= VAR_CALENDAR_THAI;
    if (flags & VARIANT_CALENDAR_GREGORIAN)
        out |= VAR_CALENDAR_GREGORIAN;
    if (flags & VARIANT_LOCALBOOL)
        out |= VAR_LOCALBOOL;
    return out;
}

int64_t DayNumber(int year, int month, int day) {
    return daysFromCivil(year, month, day) + kUnixEpochDay;
}

bool ToFields(DATE date, DateFields& out) {
    if (!InRange(date))
        return false;
    DayAndTime parts = split(date);
    civilFromDays(parts.day - kUnixEpochDay, out.year, out.month, out.day);
    out.hour = parts.seconds / 3600;
    out.minute = parts.seconds / 60 % 60;
    out.second = parts.seconds % 60;
    return true;
}

bool FromFields(const DateFields& f, DATE& out) {
    if (f.year < 100 || f.year > 9999 || f.month < 1 || f.month > 12 || f.day < 1 ||
        f.day > daysInMonth(f.year, f.month) || f.hour < 0 || f.hour > 23 || f.minute < 0 || f.minute > 59 ||
        f.second < 0 || f.second > 59)
        return false;
    out = combine(DayNumber(f.year, f.month, f.day), f.hour * 3600 + f.minute * 60 + f.second);
    return true;
}

HRESULT Format(DATE date, LCID lcid, uint32_t flags, std::u16string& out) {
    if (!InRange(date))
        return E_INVALIDARG;
    const locale::LocaleData& data = locale::Data(lcid);
    Calendar calendar = CalendarFromVarFlags(flags);
    DayAndTime parts = split(date);
    PrintFields f{};
    if (calendar == Calendar::Hijri) {
        // The Hijri calendar starts with its year 1 (July 622); earlier days have no Hijri date.
        if (!hijriFromDay(parts.day, f.year, f.month, f.day) || f.year < 1)
            return E_INVALIDARG;
    } else {
        civilFromDays(parts.day - kUnixEpochDay, f.year, f.month, f.day);
        if (calendar == Calendar::Thai)
            f.year += kThaiYearOffset;
    }
    f.hour = parts.seconds / 3600;
    f.minute = parts.seconds / 60 % 60;
    f.second = parts.seconds % 60;

    bool printDate = parts.day != 0;
    bool printTime = parts.seconds != 0;
    if (!printDate && !printTime)
        printTime = true; // 0.0 is midnight of the base day: the time alone
    if (flags & VAR_TIMEVALUEONLY) {
        printDate = false;
        printTime = true;
    } else if (flags & VAR_DATEVALUEONLY) {
        printDate = true;
        printTime = false;
    }
    MonthNames names = calendar == Calendar::Hijri ? hijriMonthNames(data.lcid) : gregorianMonthNames(data);
    std::u16string text;
    if (printDate)
        printPattern(data.datePattern, f, data, names, text);
    if (printDate && printTime)
        text += u' ';
    if (printTime)
        printPattern(data.timePattern, f, data, names, text);
    out = std::move(text);
    return S_OK;
}

HRESULT Parse(std::u16string_view text, LCID lcid, uint32_t flags, DATE& out) {
    const locale::LocaleData& data = locale::Data(lcid);
    Calendar calendar = CalendarFromVarFlags(flags);
    MonthNames names = calendar == Calendar::Hijri ? hijriMonthNames(data.lcid) : gregorianMonthNames(data);
    Found found;
    if (!DateReader(text, data, names, calendar != Calendar::Hijri).read(found))
        return DISP_E_TYPEMISMATCH;
    if (found.period != WordKind::None && !found.time)
        return DISP_E_TYPEMISMATCH;
    int seconds = 0;
    if (found.time && !resolveTime(found, seconds))
        return DISP_E_TYPEMISMATCH;
    int64_t day = 0;
    bool hasDate = found.count > 0 || found.month;
    if (hasDate && !resolveDate(found, data, calendar, day))
        return DISP_E_TYPEMISMATCH;
    if (!hasDate && !found.time)
        return DISP_E_TYPEMISMATCH;
    if (flags & VAR_TIMEVALUEONLY)
        day = 0;
    if (flags & VAR_DATEVALUEONLY)
        seconds = 0;
    out = combine(day, seconds);
    return S_OK;
}

} // namespace tavi::datetext
