// Locale identifiers, the user default and thread locales, and the cached per-locale facts built from ICU.
#include "platform/Locale.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <unordered_map>

#include <unicode/dcfmtsym.h>
#include <unicode/dtfmtsym.h>
#include <unicode/smpdtfmt.h>
#include <unicode/uloc.h>

namespace tavi::locale {

namespace {

struct LocaleRow {
    LCID lcid;
    const char* icuName;
    const char16_t* trueWord; // null: the English words
    const char16_t* falseWord;
};

// The locales hosts name most often. The first row of a language is the one a bare language name ("de") means.
constexpr LocaleRow kLocales[] = {
    {1033, "en_US", nullptr, nullptr},        {2057, "en_GB", nullptr, nullptr},
    {1031, "de_DE", u"Wahr", u"Falsch"},      {1036, "fr_FR", u"Vrai", u"Faux"},
    {1040, "it_IT", u"Vero", u"Falso"},       {3082, "es_ES", u"Verdadero", u"Falso"},
    {1043, "nl_NL", u"Waar", u"Onwaar"},      {1041, "ja_JP", nullptr, nullptr},
    {2052, "zh_CN", nullptr, nullptr},        {1028, "zh_TW", nullptr, nullptr},
    {1049, "ru_RU", u"Истина", u"Ложь"},      {1025, "ar_SA", nullptr, nullptr},
    {1054, "th_TH", nullptr, nullptr},        {1045, "pl_PL", u"Prawda", u"Fałsz"},
    {1046, "pt_BR", u"Verdadeiro", u"Falso"}, {2070, "pt_PT", u"Verdadeiro", u"Falso"},
    {1053, "sv_SE", u"Sant", u"Falskt"},      {1044, "nb_NO", u"Sann", u"Usann"},
    {1030, "da_DK", u"Sand", u"Falsk"},       {1035, "fi_FI", u"Tosi", u"Epätosi"},
    {1055, "tr_TR", u"Doğru", u"Yanlış"},     {1029, "cs_CZ", u"Pravda", u"Nepravda"},
    {1038, "hu_HU", u"Igaz", u"Hamis"},       {1042, "ko_KR", nullptr, nullptr},
    {1037, "he_IL", nullptr, nullptr},        {LOCALE_INVARIANT, "en_US_POSIX", nullptr, nullptr},
};

constexpr LCID kEnglishUS = 1033;

const LocaleRow* rowFor(LCID lcid) {
    for (const auto& row : kLocales)
        if (row.lcid == lcid)
            return &row;
    return nullptr;
}

// ICU's own identifier table covers the locales the table above leaves out.
std::string icuNameFromIcu(LCID lcid) {
    char buffer[ULOC_FULLNAME_CAPACITY] = {};
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = uloc_getLocaleForLCID(lcid, buffer, sizeof buffer, &status);
    if (U_FAILURE(status) || length <= 0)
        return {};
    return std::string(buffer, size_t(length));
}

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

LCID readEnvironment() {
    for (const char* name : {"TAVI_LOCALE", "LC_ALL", "LC_NUMERIC", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            LCID lcid = FromName(value);
            return lcid ? lcid : kEnglishUS;
        }
    }
    return kEnglishUS;
}

std::atomic<LCID>& userDefault() {
    static std::atomic<LCID> value{readEnvironment()};
    return value;
}

// Zero: no locale set on this thread.
thread_local LCID threadLocale = 0;

std::u16string fromIcu(const icu::UnicodeString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.getBuffer()), size_t(text.length()));
}

// Direction marks, the Arabic letter mark, and the narrow and no-break spaces that ICU puts in patterns and names
// become plain text: marks are dropped, the spaces become blanks, so that the text reads back.
std::u16string plainText(std::u16string text) {
    std::u16string out;
    for (char16_t c : text) {
        if (c == u'\u200E' || c == u'\u200F' || c == u'\u061C')
            continue;
        out += (c == u'\u202F' || c == u'\u00A0') ? u' ' : c;
    }
    return out;
}

// Removes era fields (and the blanks before them) and widens a one- or two-letter year to four letters, outside
// quoted literals.
std::u16string normalizeDatePattern(const std::u16string& pattern) {
    std::u16string out;
    bool quoted = false;
    for (size_t i = 0; i < pattern.size();) {
        char16_t c = pattern[i];
        if (c == u'\'') {
            quoted = !quoted;
            out += c;
            ++i;
            continue;
        }
        size_t run = 1;
        while (!quoted && i + run < pattern.size() && pattern[i + run] == c)
            ++run;
        if (!quoted && c == u'G') {
            while (!out.empty() && out.back() == u' ')
                out.pop_back();
        } else if (!quoted && c == u'y' && run < 4) {
            out += u"yyyy";
        } else {
            out.append(pattern, i, run);
        }
        i += run;
    }
    return out;
}

// The field order and the first separator of a short date pattern.
void readDateOrder(const std::u16string& pattern, LocaleData& data) {
    size_t y = pattern.find(u'y'), m = pattern.find(u'M'), d = pattern.find(u'd');
    if (y != std::u16string::npos && m != std::u16string::npos && d != std::u16string::npos) {
        if (y < m && m < d)
            data.dateOrder = DateOrder::YearMonthDay;
        else if (d < m)
            data.dateOrder = DateOrder::DayMonthYear;
        else
            data.dateOrder = DateOrder::MonthDayYear;
    }
    size_t first = std::min({y, m, d});
    for (size_t i = first; i < pattern.size(); ++i) {
        char16_t c = pattern[i];
        if (c != u'y' && c != u'M' && c != u'd' && c != u' ') {
            data.dateSeparator = c;
            break;
        }
    }
}

std::u16string withoutTrailingPeriod(std::u16string text) {
    if (!text.empty() && text.back() == u'.')
        text.pop_back();
    return text;
}

std::unique_ptr<LocaleData> build(LCID lcid) {
    auto data = std::make_unique<LocaleData>();
    data->lcid = lcid;
    data->icuName = IcuName(lcid);
    const LocaleRow* row = rowFor(lcid);
    data->trueWord = row && row->trueWord ? row->trueWord : u"True";
    data->falseWord = row && row->falseWord ? row->falseWord : u"False";

    // Latin digits and the Gregorian calendar: the text the conversions make and read uses ASCII digits, and the
    // calendar flags, not the locale, choose another calendar.
    icu::Locale base(data->icuName.c_str());
    icu::Locale loc(base);
    UErrorCode status = U_ZERO_ERROR;
    loc.setKeywordValue("numbers", "latn", status);
    loc.setKeywordValue("calendar", "gregorian", status);

    status = U_ZERO_ERROR;
    icu::DecimalFormatSymbols symbols(loc, status);
    if (U_SUCCESS(status)) {
        auto first = [&](icu::DecimalFormatSymbols::ENumberFormatSymbol which, char16_t fallback) {
            icu::UnicodeString s = symbols.getSymbol(which);
            return s.length() > 0 ? char16_t(s.charAt(0)) : fallback;
        };
        data->decimal = first(icu::DecimalFormatSymbols::kDecimalSeparatorSymbol, u'.');
        data->thousands = first(icu::DecimalFormatSymbols::kGroupingSeparatorSymbol, u',');
        data->currency = plainText(fromIcu(symbols.getSymbol(icu::DecimalFormatSymbols::kCurrencySymbol)));
        std::u16string nan = fromIcu(symbols.getSymbol(icu::DecimalFormatSymbols::kNaNSymbol));
        if (!nan.empty())
            data->notANumber = nan.substr(0, 64);
    }
    data->blankGrouping = data->thousands == u' ' || data->thousands == u'\u00A0' || data->thousands == u'\u202F';

    if (lcid == LOCALE_INVARIANT) {
        data->datePattern = u"MM/dd/yyyy";
        data->timePattern = u"HH:mm:ss";
    } else {
        std::unique_ptr<icu::DateFormat> date(icu::DateFormat::createDateInstance(icu::DateFormat::kShort, loc));
        std::unique_ptr<icu::DateFormat> time(icu::DateFormat::createTimeInstance(icu::DateFormat::kMedium, loc));
        icu::UnicodeString pattern;
        if (auto* simple = dynamic_cast<icu::SimpleDateFormat*>(date.get()))
            data->datePattern = normalizeDatePattern(plainText(fromIcu(simple->toPattern(pattern))));
        if (auto* simple = dynamic_cast<icu::SimpleDateFormat*>(time.get()))
            data->timePattern = plainText(fromIcu(simple->toPattern(pattern)));
        if (data->datePattern.empty())
            data->datePattern = u"M/d/yyyy";
        if (data->timePattern.empty())
            data->timePattern = u"h:mm:ss a";
    }
    readDateOrder(data->datePattern, *data);
    if (data->timePattern.find(u'.') != std::u16string::npos && data->timePattern.find(u':') == std::u16string::npos)
        data->timeSeparator = u'.';

    status = U_ZERO_ERROR;
    icu::DateFormatSymbols names(loc, status);
    if (U_SUCCESS(status)) {
        int32_t count = 0;
        const icu::UnicodeString* ampm = names.getAmPmStrings(count);
        if (count >= 2) {
            data->am = plainText(fromIcu(ampm[0]));
            data->pm = plainText(fromIcu(ampm[1]));
        }
        const icu::UnicodeString* months = names.getMonths(count);
        for (int32_t i = 0; i < 12 && i < count; ++i)
            data->monthNames[size_t(i)] = plainText(fromIcu(months[i]));
        const icu::UnicodeString* shortMonths = names.getShortMonths(count);
        for (int32_t i = 0; i < 12 && i < count; ++i)
            data->monthAbbrevs[size_t(i)] = withoutTrailingPeriod(plainText(fromIcu(shortMonths[i])));
    }
    if (data->am.empty()) {
        data->am = u"AM";
        data->pm = u"PM";
    }
    return data;
}

} // namespace

LCID Resolve(LCID lcid) {
    lcid &= ~LOCALE_NOUSEROVERRIDE;
    if (lcid == 0 || lcid == LOCALE_USER_DEFAULT || lcid == LOCALE_SYSTEM_DEFAULT)
        return UserDefault();
    return lcid;
}

LCID UserDefault() {
    return userDefault().load(std::memory_order_relaxed);
}

void SetUserDefaultLocaleForTesting(LCID lcid) {
    lcid &= ~LOCALE_NOUSEROVERRIDE;
    if (lcid == 0 || lcid == LOCALE_USER_DEFAULT || lcid == LOCALE_SYSTEM_DEFAULT)
        lcid = kEnglishUS;
    userDefault().store(lcid, std::memory_order_relaxed);
}

LCID ThreadLocale() {
    return threadLocale ? threadLocale : UserDefault();
}

bool SetThreadLocaleLcid(LCID lcid) {
    LCID resolved = Resolve(lcid);
    if (!IsKnown(resolved))
        return false;
    threadLocale = resolved;
    return true;
}

bool IsKnown(LCID lcid) {
    return rowFor(lcid) != nullptr || !icuNameFromIcu(lcid).empty();
}

LCID FromName(std::string_view name) {
    // "de_DE.UTF-8@euro" -> "de_de"; "de-DE" -> "de_de".
    size_t cut = name.find_first_of(".@");
    std::string key = lowerAscii(name.substr(0, cut));
    std::replace(key.begin(), key.end(), '-', '_');
    if (key == "c" || key == "posix")
        return kEnglishUS;
    if (key.empty())
        return 0;
    for (const auto& row : kLocales)
        if (row.lcid != LOCALE_INVARIANT && lowerAscii(row.icuName) == key)
            return row.lcid;
    if (key.find('_') == std::string::npos) {
        for (const auto& row : kLocales)
            if (row.lcid != LOCALE_INVARIANT && lowerAscii(row.icuName).starts_with(key + "_"))
                return row.lcid;
    }
    std::string icuKey(name.substr(0, cut));
    std::replace(icuKey.begin(), icuKey.end(), '-', '_');
    uint32_t fromIcu = uloc_getLCID(icuKey.c_str());
    return fromIcu;
}

std::string IcuName(LCID lcid) {
    lcid = Resolve(lcid);
    if (const LocaleRow* row = rowFor(lcid))
        return row->icuName;
    std::string name = icuNameFromIcu(lcid);
    return name.empty() ? "en_US_POSIX" : name;
}

icu::Locale IcuLocale(LCID lcid) {
    return icu::Locale(IcuName(lcid).c_str());
}

const LocaleData& Data(LCID lcid) {
    lcid = Resolve(lcid);
    // The last locale this thread asked for answers without a lock: the conversions ask for the same one again
    // and again.
    thread_local const LocaleData* last = nullptr;
    if (last && last->lcid == lcid)
        return *last;
    // Identifiers that name no locale share the invariant locale's entry, so the cache stays as small as the set
    // of real locales whatever identifiers callers pass.
    if (!IsKnown(lcid))
        lcid = LOCALE_INVARIANT;
    static std::mutex mutex;
    static std::unordered_map<LCID, std::unique_ptr<LocaleData>> cache;
    std::lock_guard lock(mutex);
    auto& slot = cache[lcid];
    if (!slot)
        slot = build(lcid);
    last = slot.get();
    return *last;
}

} // namespace tavi::locale

extern "C" {

LCID GetUserDefaultLCID() {
    return tavi::locale::UserDefault();
}

LCID GetThreadLocale() {
    return tavi::locale::ThreadLocale();
}

int32_t SetThreadLocale(LCID lcid) {
    return tavi::locale::SetThreadLocaleLcid(lcid) ? 1 : 0;
}

} // extern "C"
