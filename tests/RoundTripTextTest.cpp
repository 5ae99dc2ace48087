// Shortest round-trip text of a double, checked against the plain search it must reproduce: printf "%.{p}g" in
// the classic locale for p = 1..17, read back with strtod, first exact match wins.
#include "host/NumberFormat.h"

#include "TestSupport.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <string_view>

namespace {

using tavi::ShortestRoundTripText;

bool sameBits(double a, double b) {
    return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

std::string printfText(const char* format, int precision, double value) {
    char buffer[64];
    int length = std::snprintf(buffer, sizeof buffer, format, precision, value);
    return std::string(buffer, size_t(length));
}

bool readsBackAs(const std::string& text, double value) {
    return sameBits(std::strtod(text.c_str(), nullptr), value);
}

// The same with std::from_chars: several times faster than strtod, and like it specified to round correctly.
bool readsBackQuicklyAs(std::string_view text, double value) {
    double back = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), back);
    return ec == std::errc() && end == text.data() + text.size() && sameBits(back, value);
}

// The search itself, the oracle. The test process runs in the classic locale, so printf writes '.'.
std::string searchedText(double value) {
    std::string text;
    for (int precision = 1; precision <= 17; ++precision) {
        text = printfText("%.*g", precision, value);
        if (readsBackAs(text, value))
            break;
    }
    return text;
}

std::string narrow(const std::u16string& text) {
    return std::string(text.begin(), text.end());
}

std::string hexOf(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%a", value);
    return buffer;
}

// A %g text taken apart: the count of its significant digits (leading zeros dropped; zero has one), their value
// while there are at most 19, and the power of ten of the last one ("0.00120" -> 3, 120, -5; "1.5e+20" -> 2, 15, 19).
struct DecimalDigits {
    int count = 0;
    uint64_t mantissa = 0;
    int lastDigitScale = 0;
};

DecimalDigits decimalDigits(std::string_view text) {
    DecimalDigits result;
    int fractionDigits = 0;
    bool inFraction = false;
    size_t i = 0;
    for (; i < text.size() && text[i] != 'e'; ++i) {
        char c = text[i];
        if (c == '.') {
            inFraction = true;
        } else if (c >= '0' && c <= '9') {
            fractionDigits += inFraction ? 1 : 0;
            if (c != '0' || result.count > 0) {
                ++result.count;
                result.mantissa = result.mantissa * 10 + uint64_t(c - '0');
            }
        }
    }
    int exponent = 0;
    if (i < text.size())
        std::from_chars(text.data() + i + (text[i + 1] == '+' ? 2 : 1), text.data() + text.size(), exponent);
    result.count = std::max(result.count, 1);
    result.lastDigitScale = exponent - fractionDigits;
    return result;
}

bool decimalReadsBack(uint64_t mantissa, int scale, double magnitude, bool withLibc) {
    char buffer[48];
    char* mantissaEnd = std::to_chars(buffer, buffer + 24, mantissa).ptr; // 20 digits at most
    *mantissaEnd = 'e';
    char* end = std::to_chars(mantissaEnd + 1, buffer + sizeof buffer, scale).ptr;
    std::string_view text(buffer, size_t(end - buffer));
    return withLibc ? readsBackAs(std::string(text), magnitude) : readsBackQuicklyAs(text, magnitude);
}

// Whether no precision below `digits` wins the search, the slow way: printf and strtod for each.
bool noSmallerPrecisionWins(double value, int digits) {
    for (int precision = 1; precision < digits; ++precision)
        if (readsBackAs(printfText("%.*g", precision, value), value))
            return false;
    return true;
}

// Whether the search would return `text` for `value`, mostly without running the search. With k the significant
// digits of `text`: `text` must be printf's "%.{k}g" and read back (strtod), and no smaller precision may win. The
// winner never has fewer digits than its precision, or that smaller precision would have written the same decimal
// and won first, so k is the winning precision. A smaller precision writes a decimal of at most k-1 digits; when no
// such decimal reads back at all, none can win. Only where one does (the value sits on a power of two, where the
// nearest decimal of some length can miss while a farther one reads back) do the smaller precisions run one by one.
// Where `withLibc` is false, std::to_chars' general form at precision k stands in for printf and std::from_chars for
// strtod; the standard defines them to give the same texts and values, and they are many times faster.
bool matchesSearch(const std::string& text, double value, bool withLibc = true) {
    DecimalDigits parts = decimalDigits(text);
    int digits = parts.count;
    if (digits > 17)
        return false; // the search stops at precision 17
    char buffer[64];
    size_t length =
        withLibc ? size_t(std::snprintf(buffer, sizeof buffer, "%.*g", digits, value))
                 : size_t(std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits).ptr -
                          buffer);
    if (text != std::string_view(buffer, length) ||
        !(withLibc ? readsBackAs(text, value) : readsBackQuicklyAs(text, value)))
        return false;
    if (digits == 1 || value == 0)
        return true;
    double magnitude = std::fabs(value);
    if (parts.mantissa % 10 == 0)
        return noSmallerPrecisionWins(value, digits);
    // `text` is the nearest k-digit decimal and does not end in 0, so no (k-1)-digit decimal lies between it and the
    // value: the value lies between the text cut to k-1 digits and one step above that, and those two are the
    // nearest (k-1)-digit decimals on either side of it.
    uint64_t below = parts.mantissa / 10;
    int scale = parts.lastDigitScale + 1;
    if (decimalReadsBack(below, scale, magnitude, withLibc) || decimalReadsBack(below + 1, scale, magnitude, withLibc))
        return noSmallerPrecisionWins(value, digits);
    return true;
}

class RoundTripTextTest : public tavi::test::LeakCheckedTest {};

struct NamedCase {
    double value;
    const char16_t* text;
};
const NamedCase kNamed[] = {
    {0.0, u"0"},                               // zero
    {-0.0, u"-0"},                             // the sign of zero survives
    {0.1, u"0.1"},                             // shortest, not the 17-digit expansion
    {1.5, u"1.5"},                             //
    {-2.25, u"-2.25"},                         //
    {1.0 / 3.0, u"0.3333333333333333"},        // 16 digits suffice
    {0.1 + 0.2, u"0.30000000000000004"},       // 17 digits needed
    {100.0, u"1e+02"},                         // %.1g uses the exponent form, unlike shortest general
    {120.0, u"1.2e+02"},                       // likewise at two digits
    {123.0, u"123"},                           // precision 3 reaches the fixed form
    {123456.0, u"123456"},                     //
    {1e20, u"1e+20"},                          // two exponent digits at least
    {1e-5, u"1e-05"},                          // below 1e-4 the exponent form
    {1e-4, u"0.0001"},                         // at 1e-4 still the fixed form
    {0.00012, u"0.00012"},                     //
    {9007199254740992.0, u"9007199254740992"}, // 2^53
    {4.9406564584124654e-324, u"5e-324"},      // smallest denormal: one digit suffices
    {DBL_MAX, u"1.7976931348623157e+308"},     // largest double: 16 digits would overflow
    {-DBL_MAX, u"-1.7976931348623157e+308"},   //
    {DBL_MIN, u"2.2250738585072014e-308"},     // smallest normal
    {0x1p-1017, u"7.1202363472230444e-307"},   // a 16-digit decimal reads back, but not the nearest one: 17 digits
};

TEST_F(RoundTripTextTest, NamedValues) {
    for (const NamedCase& c : kNamed) {
        SCOPED_TRACE(hexOf(c.value));
        EXPECT_EQ(narrow(ShortestRoundTripText(c.value)), searchedText(c.value));
        EXPECT_EQ(ShortestRoundTripText(c.value), std::u16string(c.text));
    }
}

TEST_F(RoundTripTextTest, NanAndInfinitiesGiveEmptyText) {
    for (double value : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                         -std::numeric_limits<double>::infinity()})
        EXPECT_TRUE(ShortestRoundTripText(value).empty()) << value;
}

// Powers of two are where the value's neighbours are unevenly spaced, so the nearest decimal of the shortest length
// can fail to read back and a longer precision is needed.
TEST_F(RoundTripTextTest, EveryPowerOfTwoMatchesTheSearch) {
    for (int exponent = -1074; exponent <= 1023; ++exponent) {
        double value = std::ldexp(1.0, exponent);
        for (double signedValue : {value, -value}) {
            std::string expected = searchedText(signedValue);
            ASSERT_EQ(narrow(ShortestRoundTripText(signedValue)), expected) << "2^" << exponent;
            // The cheap check must agree here too, where its shortcut does not settle the answer.
            ASSERT_TRUE(matchesSearch(expected, signedValue, false)) << "2^" << exponent;
        }
    }
}

// Decimals of 1 to 17 digits at any exponent: the short texts and both %g styles that bit patterns rarely reach.
TEST_F(RoundTripTextTest, ShortDecimalsMatchTheSearch) {
    std::mt19937_64 random(20261210);
    std::uniform_int_distribution<int> digitCount(1, 17), exponent(-340, 310);
    int compared = 0;
    for (int i = 0; i < 50000; ++i) {
        std::string mantissa;
        for (int d = digitCount(random); d > 0; --d)
            mantissa += char('0' + random() % 10);
        std::string text = mantissa + "e" + std::to_string(exponent(random));
        double value = std::strtod(text.c_str(), nullptr);
        if (!std::isfinite(value))
            continue;
        ++compared;
        ASSERT_EQ(narrow(ShortestRoundTripText(value)), searchedText(value)) << text;
    }
    EXPECT_GT(compared, 40000);
}

// Random bit patterns over the whole range, through matchesSearch, which is equivalent to the search and far
// cheaper. The C library's printf and strtod are used on every 64th value and the whole search is run on the first
// 20,000; the rest use their std::to_chars and std::from_chars counterparts to keep the test to seconds.
TEST_F(RoundTripTextTest, RandomBitPatternsMatchTheSearch) {
    constexpr int kCount = 10'000'000;
    constexpr int kFullSearchCount = 20'000;
    std::mt19937_64 random(0x5eed'1234'abcd'0001);
    for (int i = 0; i < kCount;) {
        double value = std::bit_cast<double>(random());
        if (!std::isfinite(value))
            continue;
        std::string text = narrow(ShortestRoundTripText(value));
        bool same = i < kFullSearchCount ? text == searchedText(value) : matchesSearch(text, value, i % 64 == 0);
        ASSERT_TRUE(same) << hexOf(value) << ": got " << text << ", search gives " << searchedText(value);
        ++i;
    }
}

// The cheap check must be able to fail: texts that read back but are not the search's choice.
TEST_F(RoundTripTextTest, CheapCheckRejectsWrongTexts) {
    struct Wrong {
        double value;
        const char* text;
    };
    const Wrong kWrong[] = {
        {100.0, "100"},                                      // reads back, but precision 1 wins with "1e+02"
        {0.1, "0.10000000000000001"},                        // reads back, but is not the shortest
        {0.1, "0.1000000000000000055511"},                   // printf's %.22g, beyond the search's 17 digits
        {1.0 / 3.0, "0.333333333333333"},                    // does not read back
        {-0.0, "0"},                                         // loses the sign
        {4.9406564584124654e-324, "4.940656458412465e-324"}, // reads back, but is not the shortest
        {1e-5, "0.00001"},                                   // reads back, but %.1g writes the exponent form
        {0x1p-1017, "7.120236347223045e-307"},               // reads back, but is not printf's %.16g, which does not
    };
    for (const Wrong& w : kWrong)
        EXPECT_FALSE(matchesSearch(w.text, w.value)) << w.text;
    for (const NamedCase& c : kNamed)
        EXPECT_TRUE(matchesSearch(narrow(c.text), c.value)) << narrow(c.text);
}

} // namespace
