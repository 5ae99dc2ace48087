// The foundation text helpers: trimming, case-insensitive comparison and folding, ASCII lower-casing, number
// formatting, inserts, BSTR hand-out and delimited lists.
#include "TestSupport.h"

#include "host/String.h"

#include <clocale>

namespace tavi {
namespace {

using HostStringTest = test::LeakCheckedTest;

TEST_F(HostStringTest, TrimsWhiteSpaceOnEitherSide) {
    EXPECT_EQ(Trim(u" \t\r\n a b \u00A0\v\f"), u"a b");
    EXPECT_EQ(TrimLeft(u"  a "), u"a ");
    EXPECT_EQ(TrimRight(u"  a "), u"  a");
    EXPECT_EQ(Trim(u"   "), u"");
    EXPECT_EQ(Trim(u""), u"");
}

TEST_F(HostStringTest, ComparesWithoutRegardToCase) {
    struct Case {
        const char16_t* a;
        const char16_t* b;
        int expected;
    };
    const Case cases[] = {
        {u"Meters", u"METERS", 0},
        {u"\u00C4rger", u"\u00E4RGER", 0}, // beyond ASCII
        {u"abc", u"abd", -1},
        {u"abd", u"ABC", 1},
        {u"ab", u"abc", -1},
        {u"", u"", 0},
        {u"\U0001D400", u"\U0001D400", 0}, // supplementary characters
        // An equal ASCII start, then characters that need the full folding.
        {u"Stra\u00DFe", u"STRASSE", 0},
        {u"k", u"\u212A", 0}, // the Kelvin sign folds to k
        {u"abc\u00E4", u"ABD\u00C4", -1},
        {u"ab", u"ab\u00E4", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.a));
        EXPECT_EQ(CompareNoCase(c.a, c.b), c.expected);
        EXPECT_EQ(EqualsNoCase(c.a, c.b), c.expected == 0);
    }
    EXPECT_EQ(FoldCase(u"MiXeD \u00C4"), u"mixed \u00E4");
    EXPECT_EQ(FindNoCase(u"Ten KILOMETERS", u"kilo"), 4u);
    EXPECT_EQ(FindNoCase(u"abc", u"d"), String::npos);
    EXPECT_EQ(FindNoCase(u"abcabc", u"BC", 2), 4u);
}

TEST_F(HostStringTest, AsciiLowerCasingLeavesOtherLettersAlone) {
    EXPECT_EQ(ToLowerAscii(u"ABC xyz \u00C4\u0130"), u"abc xyz \u00C4\u0130");
    EXPECT_EQ(ToUpperAscii(u"abc \u00E4"), u"ABC \u00E4");
    EXPECT_EQ(ToLowerAscii(u'Z'), u'z');
    EXPECT_EQ(ToLowerAscii(u'['), u'[');
}

TEST_F(HostStringTest, FormatsNumbersWithPrintfFormats) {
    struct Case {
        const char* format;
        double value;
        const char16_t* expected;
    };
    const Case cases[] = {
        {"%g", 0.5, u"0.5"},
        {"%g", 1e20, u"1e+20"},
        {"%.2f", 2.345, u"2.35"},
        {"%d", 42.9, u"42"}, // integers take the value toward zero
        {"%ld", -7, u"-7"},
        {"x=%5.1f%%", 3.14159, u"x=  3.1%"},
        {"%d", 1e30, u"9223372036854775807"}, // saturates instead of overflowing
        {"%g %g", 1, u""},
        {"plain", 1, u""}, // not exactly one conversion
        {"%s", 1, u""},
        {"%*d", 1, u""}, // conversions that would read other arguments
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(FormatNumber(c.format, c.value), c.expected);
    }
    EXPECT_EQ(FormatInteger("%lld", INT64_MIN), u"-9223372036854775808");
    EXPECT_EQ(FormatInteger("%x", 255), u"ff");
    EXPECT_EQ(FormatNumber(nullptr, 1), u"");
    EXPECT_EQ(DoubleToText(0.1), u"0.1");
    EXPECT_EQ(FormatNumber("%.600f", 1).size(), 602u); // longer than any fixed buffer
    // The host's C locale does not change the decimal point.
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "fr_FR.UTF-8")) {
        EXPECT_EQ(FormatNumber("%g", 0.5), u"0.5");
        std::setlocale(LC_NUMERIC, "C");
    }
}

TEST_F(HostStringTest, FillsInserts) {
    EXPECT_EQ(FormatInserts(u"between %1 and %2", {u"0", u"100 Meters"}), u"between 0 and 100 Meters");
    EXPECT_EQ(FormatInserts(u"%2%1 100%% %3", {u"a", u"b"}), u"ba 100% ");
    EXPECT_EQ(FormatInserts(u"trailing %", {}), u"trailing %");
}

TEST_F(HostStringTest, MakesBstrAndSplitsLists) {
    BStr made = BStr::Adopt(MakeBSTR(std::u16string_view(u"a\0b", 3)));
    EXPECT_EQ(made.size(), 3u); // embedded zeros survive
    BStr empty = BStr::Adopt(MakeBSTR(u""));
    EXPECT_FALSE(empty.IsNull());

    struct Case {
        const char16_t* text;
        const char16_t* delimiter;
        bool trim;
        std::vector<String> items;
    };
    const Case cases[] = {
        {u"a;b;;c", u";", false, {u"a", u"b", u"", u"c"}},
        {u"", u";", false, {}},
        {u"a | b |c", u" | ", false, {u"a", u"b |c"}},
        {u" a ; b ", u";", true, {u"a", u"b"}},
        {u"abc", u"", false, {u"abc"}},
        {u";", u";", false, {u"", u""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        DelimitedList list(c.text, c.delimiter, c.trim);
        EXPECT_EQ(list.Items(), c.items);
    }
    EXPECT_EQ(DelimitedList(u"a;b", u";").Join(u" | "), u"a | b");
}

} // namespace
} // namespace tavi
