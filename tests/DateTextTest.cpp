// Date text: DATE values to text and back in several locales and in the Hijri and Thai calendars, the valid range,
// and the texts that are no dates.
#include "TestSupport.h"

#include <cmath>

namespace tavi::test {
namespace {

constexpr LCID kEnUs = 1033;
constexpr LCID kDeDe = 1031;
constexpr LCID kArSa = 1025;
constexpr LCID kThTh = 1054;

class DateTextTest : public LeakCheckedTest {};

// Day numbers worked out by counting days from 30 December 1899.
constexpr double kJan2nd1970 = 25570;
constexpr double kJan13th1970 = 25581;
constexpr double kJune30th2011 = 40724;
constexpr double kMay14th2013 = 41408;
constexpr double kJan2nd2049 = 54425;
constexpr double kJan2nd1950 = 18265;
constexpr double kFeb1st1970 = 25600;
constexpr double kFeb29th2000 = 36585;
constexpr double kFirstHijriDay = -466579; // 19 July 622

constexpr double seconds(int h, int m, int s) {
    return (h * 3600 + m * 60 + s) / 86400.0;
}

std::u16string format(DATE date, LCID lcid, uint32_t flags = 0) {
    BSTR text = nullptr;
    HRESULT hr = VarBstrFromDate(date, lcid, flags, &text);
    if (FAILED(hr))
        return u"<failed>";
    return BStr::Adopt(text).str();
}

TEST_F(DateTextTest, FormatsInTheLocale) {
    struct Case {
        DATE date;
        LCID lcid;
        uint32_t flags;
        const char16_t* text;
    };
    const Case cases[] = {
        {0.0, kEnUs, 0, u"12:00:00 AM"}, // no whole part: the time alone
        {0.5, kEnUs, 0, u"12:00:00 PM"},
        {365.0, kEnUs, 0, u"12/30/1900"}, // no time: the date alone
        {365.25, kEnUs, 0, u"12/30/1900 6:00:00 AM"},
        {3.34, kEnUs, 0, u"1/2/1900 8:09:36 AM"},
        {-5.25, kEnUs, 0, u"12/25/1899 6:00:00 AM"}, // the day backwards, the time forwards
        {-1.0, kEnUs, 0, u"12/29/1899"},
        {kFeb29th2000 + seconds(23, 59, 59), kEnUs, 0, u"2/29/2000 11:59:59 PM"},
        {2958465.0, kEnUs, 0, u"12/31/9999"},
        {365.25, kDeDe, 0, u"30.12.1900 06:00:00"},
        {kJan2nd1970, kDeDe, 0, u"02.01.1970"},
        {365.25, kEnUs, VAR_TIMEVALUEONLY, u"6:00:00 AM"},
        {365.25, kEnUs, VAR_DATEVALUEONLY, u"12/30/1900"},
        {0.0, kEnUs, VAR_DATEVALUEONLY, u"12/30/1899"},
        {1.0 - 0.1 / 86400, kEnUs, 0, u"12/31/1899"},        // rounds to the next midnight
        {365.0, kThTh, VAR_CALENDAR_THAI, u"30/12/2443"},    // Buddhist year: Gregorian + 543
        {25569.0, kArSa, VAR_CALENDAR_HIJRI, u"22/10/1389"}, // 1 January 1970 is 22 Shawwal 1389
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        EXPECT_EQ(format(c.date, c.lcid, c.flags), c.text);
    }
}

TEST_F(DateTextTest, RangeIsTheYears100To9999) {
    BSTR text = nullptr;
    EXPECT_EQ(VarBstrFromDate(-657434.0, kEnUs, 0, &text), S_OK); // 1 January 100
    SysFreeString(text);
    EXPECT_EQ(VarBstrFromDate(2958465.999, kEnUs, 0, &text), S_OK);
    SysFreeString(text);
    for (double outside : {-657435.0, 2958466.0, std::nan(""), HUGE_VAL}) {
        SCOPED_TRACE(outside);
        text = reinterpret_cast<BSTR>(1);
        EXPECT_EQ(VarBstrFromDate(outside, kEnUs, 0, &text), E_INVALIDARG);
        EXPECT_EQ(text, nullptr);
    }
    EXPECT_EQ(VarBstrFromDate(0.0, kEnUs, 0, nullptr), E_POINTER);
}

struct ReadCase {
    LCID lcid;
    const char16_t* text;
    HRESULT hr;
    double date;
};

const ReadCase kReads[] = {
    {kEnUs, u"1/2/1970", S_OK, kJan2nd1970},
    {kEnUs, u"2 Jan 1970", S_OK, kJan2nd1970},
    {kEnUs, u"2-Jan-1970", S_OK, kJan2nd1970},
    {kEnUs, u"2 January, 1970", S_OK, kJan2nd1970},
    {kEnUs, u"January 2, 1970", S_OK, kJan2nd1970},
    {kEnUs, u"jan 2 1970", S_OK, kJan2nd1970},
    {kEnUs, u"1970-1-13", S_OK, kJan13th1970},
    {kEnUs, u"6/30/2011 01:20:34", S_OK, kJune30th2011 + seconds(1, 20, 34)},
    {kEnUs, u"6/30/2011 01:20:34 PM", S_OK, kJune30th2011 + seconds(13, 20, 34)},
    {kEnUs, u"01:20:34 PM 6/30/2011", S_OK, kJune30th2011 + seconds(13, 20, 34)},
    {kEnUs, u"2013-05-14 02:04:12", S_OK, kMay14th2013 + seconds(2, 4, 12)},
    {kEnUs, u"1 am", S_OK, 1.0 / 24},
    {kEnUs, u"12 am", S_OK, 0.0},
    {kEnUs, u"12:30 pm", S_OK, seconds(12, 30, 0)},
    {kEnUs, u"3:5", S_OK, seconds(3, 5, 0)},
    {kEnUs, u" 23:59:59 ", S_OK, seconds(23, 59, 59)},
    {kEnUs, u"1/2/49", S_OK, kJan2nd2049}, // two-digit years 00-49 are 20xx
    {kEnUs, u"1/2/50", S_OK, kJan2nd1950}, // and 50-99 are 19xx
    {kEnUs, u"2/29/2000", S_OK, kFeb29th2000},
    {kEnUs, u"12/25/1899 6:00", S_OK, -5.25},
    {kEnUs, u"2/30/2000", DISP_E_TYPEMISMATCH, 0},
    {kEnUs, u"2/29/1900", DISP_E_TYPEMISMATCH, 0}, // 1900 is no leap year
    {kEnUs, u"13/13/2000", DISP_E_TYPEMISMATCH, 0},
    {kEnUs, u"1/1/10000", DISP_E_TYPEMISMATCH, 0},
    {kEnUs, u"02.01.1970", DISP_E_TYPEMISMATCH, 0}, // the point separates dates in de-DE only
    {kEnUs, u"0", DISP_E_TYPEMISMATCH, 0},
    {kEnUs, u"1", DISP_E_TYPEMISMATCH, 0},
    {kEnUs, u"True", DISP_E_TYPEMISMATCH, 0},
    {kEnUs, u"24:00", DISP_E_TYPEMISMATCH, 0},
    {kEnUs, u"0:60", DISP_E_TYPEMISMATCH, 0},
    {kEnUs, u"13 pm", DISP_E_TYPEMISMATCH, 0},
    {kEnUs, u"1 2 am", DISP_E_TYPEMISMATCH, 0},
    {kEnUs, u"", DISP_E_TYPEMISMATCH, 0},
    {kEnUs, u"   ", DISP_E_TYPEMISMATCH, 0},
    {kEnUs, u"1/2/1970 pm", DISP_E_TYPEMISMATCH, 0}, // a day period without a time
    {kEnUs, u"1:2:3:4", DISP_E_TYPEMISMATCH, 0},
    {kEnUs, u"1//2/1970", DISP_E_TYPEMISMATCH, 0},
    {kEnUs, u"1/2/1970/", DISP_E_TYPEMISMATCH, 0},
    {kEnUs, u"1/2/3/4", DISP_E_TYPEMISMATCH, 0},
    {kEnUs, u"Jan Feb 1970", DISP_E_TYPEMISMATCH, 0},
    {kEnUs, u"2013-05-14T02:04:12", DISP_E_TYPEMISMATCH, 0},
    {kDeDe, u"02.01.1970", S_OK, kJan2nd1970},
    {kDeDe, u"1.2.1970", S_OK, kFeb1st1970}, // day first
    {kDeDe, u"2. Januar 1970", S_OK, kJan2nd1970},
    {kDeDe, u"02.01.1970 13:20", S_OK, kJan2nd1970 + seconds(13, 20, 0)},
    {kDeDe, u"1970-1-13", S_OK, kJan13th1970},
};

TEST_F(DateTextTest, ReadsDatesAndTimes) {
    for (const auto& c : kReads) {
        SCOPED_TRACE(ToUtf8(c.text));
        DATE date = -1234.5;
        EXPECT_EQ(VarDateFromStr(c.text, c.lcid, 0, &date), c.hr);
        if (c.hr == S_OK) {
            EXPECT_NEAR(date, c.date, 1e-9);
        } else {
            EXPECT_EQ(date, -1234.5); // written only on success
        }
    }
    DATE date = 0;
    EXPECT_EQ(VarDateFromStr(nullptr, kEnUs, 0, &date), DISP_E_TYPEMISMATCH); // a null text is empty
    EXPECT_EQ(VarDateFromStr(u"1/2/1970", kEnUs, 0, nullptr), E_POINTER);
}

TEST_F(DateTextTest, VariantConversionsUseTheDateText) {
    Variant source = Variant::Text(u"6/30/2011 01:20:34 PM");
    Variant date;
    ASSERT_EQ(VariantChangeTypeEx(&date, &source, kEnUs, 0, VT_DATE), S_OK);
    EXPECT_EQ(date.vt, VT_DATE);
    EXPECT_NEAR(date.date, kJune30th2011 + seconds(13, 20, 34), 1e-9);
    Variant text;
    ASSERT_EQ(VariantChangeTypeEx(&text, &date, kDeDe, 0, VT_BSTR), S_OK);
    EXPECT_EQ(BStr::Adopt(text.Detach().bstrVal).view(), u"30.06.2011 13:20:34");
    Variant thai = Variant::Date(365.0);
    ASSERT_EQ(VariantChangeTypeEx(&text, &thai, kThTh, VARIANT_CALENDAR_THAI, VT_BSTR), S_OK);
    EXPECT_EQ(std::u16string_view(text.bstrVal), u"30/12/2443");
    Variant notADate = Variant::Text(u"1");
    EXPECT_EQ(VariantChangeTypeEx(&text, &notADate, kEnUs, 0, VT_DATE), DISP_E_TYPEMISMATCH);
}

// What a locale writes, it reads back: every second of a few days, dates across the range.
TEST_F(DateTextTest, TextReadsBackInEveryCalendar) {
    struct Setup {
        LCID lcid;
        uint32_t flags;
    };
    const Setup setups[] = {{kEnUs, 0},
                            {kDeDe, 0},
                            {1036, 0},
                            {2057, 0},
                            {1041, 0},
                            {2052, 0},
                            {1049, 0},
                            {1038, 0},
                            {1042, 0},
                            {1028, 0},
                            {1037, 0},
                            {kArSa, 0},
                            {kThTh, 0},
                            {kArSa, VAR_CALENDAR_HIJRI},
                            {kThTh, VAR_CALENDAR_THAI},
                            {127, 0}};
    const double dates[] = {1.0 + seconds(0, 0, 1),
                            365.25,
                            3.34,
                            kJan2nd1970 + seconds(13, 20, 34),
                            -5.25,
                            kFeb29th2000 + seconds(23, 59, 59),
                            2958465.5,
                            -657434.0 + seconds(12, 0, 0),
                            44000.0 + seconds(0, 1, 0)};
    for (const auto& setup : setups) {
        for (double value : dates) {
            if ((setup.flags & VAR_CALENDAR_HIJRI) && value < kFirstHijriDay)
                continue;
            std::u16string text = format(value, setup.lcid, setup.flags);
            SCOPED_TRACE(testing::Message() << setup.lcid << "/" << setup.flags << " " << value << " " << ToUtf8(text));
            DATE back = 0;
            ASSERT_EQ(VarDateFromStr(text.c_str(), setup.lcid, setup.flags, &back), S_OK);
            EXPECT_NEAR(back, value, 0.5 / 86400);
        }
    }
}

TEST_F(DateTextTest, ReadsHijriAndThaiDates) {
    DATE date = 0;
    ASSERT_EQ(VarDateFromStr(u"22/10/1389", kArSa, VAR_CALENDAR_HIJRI, &date), S_OK);
    EXPECT_EQ(date, 25569.0);
    ASSERT_EQ(VarDateFromStr(u"30/12/2443", kThTh, VAR_CALENDAR_THAI, &date), S_OK);
    EXPECT_EQ(date, 365.0);
    // Without the flag the same text is a Gregorian date.
    ASSERT_EQ(VarDateFromStr(u"30/12/1900", kThTh, 0, &date), S_OK);
    EXPECT_EQ(date, 365.0);
    ASSERT_EQ(VarDateFromStr(u"1/1/0001", kArSa, VAR_CALENDAR_HIJRI, &date), S_OK);
    EXPECT_EQ(date, kFirstHijriDay); // 1 Muharram 1: 16 July 622 Julian, 19 July proleptic Gregorian
    BSTR text = nullptr;
    EXPECT_EQ(VarBstrFromDate(kFirstHijriDay - 1, kArSa, VAR_CALENDAR_HIJRI, &text), E_INVALIDARG); // before year 1
    EXPECT_EQ(text, nullptr);
    // The 30th of a 29-day Hijri month (Shawwal) does not exist.
    EXPECT_EQ(VarDateFromStr(u"30/10/1389", kArSa, VAR_CALENDAR_HIJRI, &date), DISP_E_TYPEMISMATCH);
}

} // namespace
} // namespace tavi::test
