// The ISO 8601 date readers of the host: the rewrite into an ordinary date text (read back in several user
// locales), the last-resort reader with its field types, and garbage that must be refused without overrunning.
#include "TestSupport.h"

#include "host/IsoDate.h"
#include "platform/DateText.h"
#include "platform/Locale.h"

#include <cmath>

namespace tavi::test {
namespace {

using GeoprocessingUtil::DateFieldType;
using GeoprocessingUtil::DateTimeFromString;
using GeoprocessingUtil::ISODateStringToDateString;

constexpr LCID kEnglishUS = 1033;
constexpr LCID kGerman = 1031;
constexpr LCID kArabicSaudi = 1025;
constexpr LCID kThai = 1054;

// A day number with a time of day.
DATE At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    DATE date = 0;
    EXPECT_TRUE(datetext::FromFields({year, month, day, hour, minute, second}, date));
    return date;
}

class IsoDateTest : public LeakCheckedTest {
protected:
    void TearDown() override {
        locale::SetUserDefaultLocaleForTesting(kEnglishUS);
        LeakCheckedTest::TearDown();
    }
};

TEST_F(IsoDateTest, RewritesIsoForms) {
    struct Case {
        const char16_t* text;
        const char16_t* rewritten;
        const char* reason;
    };
    const Case cases[] = {
        {u"2024-03-05", u"2024-03-05", "a date alone"},
        {u"2024-3-5", u"2024-03-05", "one-digit month and day"},
        {u"2024-03-05T10:15:30", u"2024-03-05 10:15:30", "T between date and time"},
        {u"2024-03-05t10:15", u"2024-03-05 10:15:00", "lower-case t, seconds left out"},
        {u"2024-03-05 9:05", u"2024-03-05 09:05:00", "a blank and a one-digit hour"},
        {u"  2024-03-05T10:15:30  ", u"2024-03-05 10:15:30", "blanks around the text"},
        {u"2024-03-05T23:59:59.999", u"2024-03-05 23:59:59",
         "the fraction is dropped, never rounded into the next day"},
        {u"2024-03-05T10:15:30,5", u"2024-03-05 10:15:30", "a decimal comma"},
        {u"2024-03-05T10:15:30Z", u"2024-03-05 10:15:30", "Z: the wall time is kept"},
        {u"2024-03-05T23:30:00-05:00", u"2024-03-05 23:30:00", "an offset is not applied, so the date stays"},
        {u"2024-03-05T00:30+0100", u"2024-03-05 00:30:00", "an offset without a colon"},
        {u"2024-03-05T10:15+01", u"2024-03-05 10:15:00", "an offset of hours only"},
        {u"2024-02-29T00:00:00", u"2024-02-29 00:00:00", "a leap day"},
        // Anything else comes back exactly as it was given.
        {u"3/5/2024", u"3/5/2024", "a locale date is not ISO"},
        {u"20240305", u"20240305", "basic forms are left to the last-resort reader"},
        {u"2023-02-29", u"2023-02-29", "no such day"},
        {u"2024-13-01", u"2024-13-01", "no such month"},
        {u"2024-03-05T24:00", u"2024-03-05T24:00", "no hour 24"},
        {u"2024-03-05T10:60", u"2024-03-05T10:60", "no minute 60"},
        {u"2024-03-05T10:15:60", u"2024-03-05T10:15:60", "no leap second"},
        {u"2024-03-05T10:15+24:00", u"2024-03-05T10:15+24:00", "an offset beyond 23 hours"},
        {u"2024-03-05T10:15+01:", u"2024-03-05T10:15+01:", "an offset cut short"},
        {u"2024-03-05Z", u"2024-03-05Z", "a zone needs a time"},
        {u"2024-03-05T", u"2024-03-05T", "T with no time"},
        {u"2024-03-05T10", u"2024-03-05T10", "an hour alone"},
        {u"2024-03-05T10:15:30.", u"2024-03-05T10:15:30.", "a decimal point with no digits"},
        {u"2024-03/05", u"2024-03/05", "mixed separators"},
        {u"0099-01-01", u"0099-01-01", "before the year 100"},
        {u"12024-01-01", u"12024-01-01", "a five-digit year"},
        {u"2024-03-05T10:15:30 Z", u"2024-03-05T10:15:30 Z", "a blank before the zone"},
        {u"", u"", "the empty text"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        EXPECT_EQ(ISODateStringToDateString(c.text), c.rewritten);
    }
}

TEST_F(IsoDateTest, RewrittenTextReadsInEveryUserLocale) {
    // The rewrite is read with the user default locale and no calendar flags; it must mean the same day in locales
    // with other field orders, separators and calendars.
    const DATE expected = At(2024, 3, 5, 10, 15, 30);
    const String rewritten = ISODateStringToDateString(u"2024-03-05T10:15:30.25+01:00");
    for (LCID lcid : {kEnglishUS, kGerman, kArabicSaudi, kThai}) {
        SCOPED_TRACE(lcid);
        locale::SetUserDefaultLocaleForTesting(lcid);
        DATE date = 0;
        ASSERT_EQ(VarDateFromStr(rewritten.c_str(), LOCALE_USER_DEFAULT, 0, &date), S_OK);
        EXPECT_NEAR(date, expected, 1e-9);
        ASSERT_EQ(VarDateFromStr(u"2024-03-05", LOCALE_USER_DEFAULT, 0, &date), S_OK);
        EXPECT_EQ(date, At(2024, 3, 5));
    }
}

TEST_F(IsoDateTest, LastResortReader) {
    constexpr DATE kUnchanged = -1.0;
    struct Case {
        const char16_t* text;
        DateFieldType type;
        HRESULT hr;
        DATE date;
        const char* reason;
    };
    const Case cases[] = {
        {u"2024-03-05T10:15:30Z", DateFieldType::Date, S_OK, At(2024, 3, 5, 10, 15, 30), "ISO extended"},
        {u"20240305", DateFieldType::Date, S_OK, At(2024, 3, 5), "ISO basic date"},
        {u"20240305T101530.5+0100", DateFieldType::Date, S_OK, At(2024, 3, 5, 10, 15, 30), "ISO basic date and time"},
        {u"20240305T1015", DateFieldType::Date, S_OK, At(2024, 3, 5, 10, 15), "basic time without seconds"},
        {u"202403051015", DateFieldType::Date, S_OK, At(2024, 3, 5, 10, 15), "plain digits with hhmm"},
        {u"20240305101530", DateFieldType::Date, S_OK, At(2024, 3, 5, 10, 15, 30), "plain digits with hhmmss"},
        {u"2024/03/05 10:15", DateFieldType::Date, S_OK, At(2024, 3, 5, 10, 15), "year first with slashes"},
        {u"2024.3.5T10:15:30", DateFieldType::Date, S_OK, At(2024, 3, 5, 10, 15, 30), "year first with points"},
        {u"10:15:30.25", DateFieldType::Date, S_OK, At(1899, 12, 30, 10, 15, 30), "a time alone falls on day 0"},
        {u"T101530", DateFieldType::Date, S_OK, At(1899, 12, 30, 10, 15, 30), "a basic time after T"},
        {u"1800-01-01", DateFieldType::Date, S_OK, At(1800, 1, 1), "before day 0"},
        {u"2024-03-05T10:15:30", DateFieldType::DateOnly, S_OK, At(2024, 3, 5), "the time is dropped"},
        {u"10:15", DateFieldType::DateOnly, DISP_E_TYPEMISMATCH, kUnchanged, "a time alone is no date"},
        {u"2024-03-05T10:15:30", DateFieldType::TimeOnly, S_OK, At(1899, 12, 30, 10, 15, 30), "the date is dropped"},
        {u"10:15", DateFieldType::TimeOnly, S_OK, At(1899, 12, 30, 10, 15), "a time alone"},
        {u"2024-03-05", DateFieldType::TimeOnly, DISP_E_TYPEMISMATCH, kUnchanged, "a date alone is no time"},
        {u"2024030510", DateFieldType::Date, DISP_E_TYPEMISMATCH, kUnchanged, "an hour alone in plain digits"},
        {u"2024/03-05", DateFieldType::Date, DISP_E_TYPEMISMATCH, kUnchanged, "mixed separators"},
        {u"05/03/2024", DateFieldType::Date, DISP_E_TYPEMISMATCH, kUnchanged, "day-first dates need a locale"},
        {u"1015", DateFieldType::TimeOnly, DISP_E_TYPEMISMATCH, kUnchanged, "four digits alone could be a year"},
        {u"20230229", DateFieldType::Date, DISP_E_TYPEMISMATCH, kUnchanged, "no such day"},
        {u"45356.5", DateFieldType::Date, DISP_E_TYPEMISMATCH, kUnchanged, "a day number is not a date text"},
        {u"", DateFieldType::Date, DISP_E_TYPEMISMATCH, kUnchanged, "the empty text"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        DATE date = kUnchanged;
        EXPECT_EQ(DateTimeFromString(c.text, c.type, &date), c.hr);
        EXPECT_NEAR(date, c.date, 1e-9);
    }
    EXPECT_EQ(DateTimeFromString(u"2024-03-05", DateFieldType::Date, nullptr), E_POINTER);
}

TEST_F(IsoDateTest, GarbageIsRefusedWithoutOverrun) {
    // Every prefix of each valid text, and each text with one character replaced, must come back as a verdict:
    // under the sanitizers an index past the end would show here. Each mutation either reads or is refused, and the
    // rewrite of a refused text is the text itself.
    const char16_t* valid[] = {u"2024-03-05T10:15:30.125+01:00", u"20240305T101530Z", u"2024/03/05 10:15",
                               u"T10:15:30,5"};
    const char16_t replacements[] = {u'\0', u'9', u'T', u':', u'-', u'+', u'.', u' ', u'Z', u'\u0663', u'\xFFFF'};
    for (const char16_t* text : valid) {
        String source(text);
        std::vector<String> variants;
        for (size_t n = 0; n <= source.size(); ++n)
            variants.push_back(source.substr(0, n));
        for (size_t i = 0; i < source.size(); ++i)
            for (char16_t c : replacements) {
                String changed = source;
                changed[i] = c;
                variants.push_back(changed);
            }
        for (const String& variant : variants) {
            DATE date = 0;
            HRESULT hr = DateTimeFromString(variant, DateFieldType::Date, &date);
            EXPECT_TRUE(hr == S_OK || hr == DISP_E_TYPEMISMATCH) << ToUtf8(variant);
            if (hr == S_OK) {
                EXPECT_TRUE(std::isfinite(date) && datetext::InRange(date)) << ToUtf8(variant);
            }
            String rewritten = ISODateStringToDateString(variant);
            if (rewritten != variant) {
                EXPECT_EQ(hr, S_OK) << "a rewritten text is one the last-resort reader reads: " << ToUtf8(variant);
            }
        }
    }
}

} // namespace
} // namespace tavi::test
