// Variant conversions in a locale (text to numbers, numbers to text, booleans, the numeric kinds among
// themselves), the variant life cycle, comparison, and safe arrays.
#include "TestSupport.h"

#include "platform/Locale.h"
#include "platform/NumberText.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <random>

namespace tavi::test {
namespace {

constexpr LCID kEnUs = 1033;
constexpr LCID kDeDe = 1031;
constexpr LCID kFrFr = 1036;

class VariantConvertTest : public LeakCheckedTest {};

// Converts a text; the result variant is VT_EMPTY when the conversion failed.
HRESULT fromText(std::u16string_view text, LCID lcid, VARTYPE vt, Variant& out, uint16_t flags = 0) {
    Variant source = Variant::Text(text);
    return VariantChangeTypeEx(&out, &source, lcid, flags, vt);
}

// The value of a numeric variant as a long double, for comparing results of any kind.
long double valueOf(const VARIANT& v) {
    switch (v.vt) {
    case VT_I1:
        return v.cVal;
    case VT_I2:
        return v.iVal;
    case VT_I4:
    case VT_INT:
        return v.lVal;
    case VT_I8:
        return v.llVal;
    case VT_UI1:
        return v.bVal;
    case VT_UI2:
        return v.uiVal;
    case VT_UI4:
    case VT_UINT:
        return v.ulVal;
    case VT_UI8:
        return v.ullVal;
    case VT_R4:
        return v.fltVal;
    case VT_R8:
        return v.dblVal;
    case VT_CY:
        return v.cyVal.int64 / 10000.0L;
    case VT_BOOL:
        return v.boolVal;
    default:
        return std::numeric_limits<long double>::quiet_NaN();
    }
}

std::u16string textOf(const VARIANT& v) {
    return v.vt == VT_BSTR ? std::u16string(v.bstrVal, SysStringLen(v.bstrVal)) : u"<not text>";
}

struct TextToNumber {
    LCID lcid;
    const char16_t* text;
    VARTYPE vt;
    HRESULT hr;
    long double value;
    const char* why;
};

const TextToNumber kTextToNumber[] = {
    {kEnUs, u" 12 ", VT_I4, S_OK, 12, "blanks around"},
    {kEnUs, u"\u00A012\u00A0", VT_I4, S_OK, 12, "no-break spaces around"},
    {kEnUs, u"+7", VT_I4, S_OK, 7, "leading plus"},
    {kEnUs, u"7-", VT_I4, S_OK, -7, "trailing minus"},
    {kEnUs, u"(7)", VT_I4, S_OK, -7, "parentheses are negative"},
    {kEnUs, u"1,000", VT_I4, S_OK, 1000, "thousands separator"},
    {kEnUs, u"1,,00,0", VT_I4, S_OK, 1000, "separators anywhere after the first digit"},
    {kEnUs, u",1,000", VT_I4, DISP_E_TYPEMISMATCH, 0, "separator before the first digit"},
    {kEnUs, u"$1,234", VT_I4, S_OK, 1234, "currency symbol"},
    {kEnUs, u"1,234.5", VT_R8, S_OK, 1234.5, "grouping and decimals"},
    {kEnUs, u"1e3", VT_R8, S_OK, 1000, "exponent"},
    {kEnUs, u"1.5e20", VT_R8, S_OK, 1.5e20L, "large exponent"},
    {kEnUs, u"-2.5E-3", VT_R8, S_OK, -0.0025L, "negative exponent"},
    {kEnUs, u".5", VT_R8, S_OK, 0.5, "no integer digits"},
    {kEnUs, u"5.", VT_R8, S_OK, 5, "no fraction digits"},
    {kEnUs, u"&HF800", VT_I4, S_OK, 63488, "hexadecimal"},
    {kEnUs, u"&HF800", VT_I2, S_OK, -2048, "hexadecimal wraps into 16 bits"},
    {kEnUs, u"&hff", VT_UI1, S_OK, 255, "lower case prefix"},
    {kEnUs, u"&H1FF", VT_UI1, DISP_E_OVERFLOW, 0, "hexadecimal past 8 bits"},
    {kEnUs, u"&O17", VT_I4, S_OK, 15, "octal"},
    {kEnUs, u"&O8", VT_I4, DISP_E_TYPEMISMATCH, 0, "not an octal digit"},
    {kEnUs, u"0x10", VT_I4, DISP_E_TYPEMISMATCH, 0, "C prefix"},
    {kEnUs, u"FE", VT_I4, DISP_E_TYPEMISMATCH, 0, "bare hexadecimal"},
    {kEnUs, u"0.5", VT_I4, S_OK, 0, "half to even"},
    {kEnUs, u"1.5", VT_I4, S_OK, 2, "half to even"},
    {kEnUs, u"2.5", VT_I4, S_OK, 2, "half to even"},
    {kEnUs, u"-0.5", VT_I4, S_OK, 0, "half to even"},
    {kEnUs, u"-1.5", VT_I4, S_OK, -2, "half to even"},
    {kEnUs, u"0.6", VT_I4, S_OK, 1, "above half"},
    {kEnUs, u"2.5000000000000000000001", VT_I4, S_OK, 3, "just above half"},
    {kEnUs, u"2147483647", VT_I4, S_OK, 2147483647, "largest I4"},
    {kEnUs, u"-2147483648", VT_I4, S_OK, -2147483648.0L, "smallest I4"},
    {kEnUs, u"2147483648", VT_I4, DISP_E_OVERFLOW, 0, "past I4"},
    {kEnUs, u"2147483647.5", VT_I4, DISP_E_OVERFLOW, 0, "rounds past I4"},
    {kEnUs, u"32768", VT_I2, DISP_E_OVERFLOW, 0, "past I2"},
    {kEnUs, u"-129", VT_I1, DISP_E_OVERFLOW, 0, "past I1"},
    {kEnUs, u"9223372036854775807", VT_I8, S_OK, 9223372036854775807.0L, "largest I8, exactly"},
    {kEnUs, u"9223372036854775808", VT_I8, DISP_E_OVERFLOW, 0, "past I8"},
    {kEnUs, u"18446744073709551615", VT_UI8, S_OK, 18446744073709551615.0L, "largest UI8"},
    {kEnUs, u"-1", VT_UI4, DISP_E_OVERFLOW, 0, "negative unsigned"},
    {kEnUs, u"-0.4", VT_UI4, S_OK, 0, "rounds to zero"},
    {kEnUs, u"1.5", VT_CY, S_OK, 1.5, "currency"},
    {kEnUs, u"0.00005", VT_CY, S_OK, 0, "currency rounds half to even"},
    {kEnUs, u"0.00015", VT_CY, S_OK, 0.0002L, "currency rounds half to even"},
    {kEnUs, u"3.4e39", VT_R4, DISP_E_OVERFLOW, 0, "past float"},
    {kEnUs, u"1e400", VT_R8, DISP_E_OVERFLOW, 0, "past double"},
    {kEnUs, u"1e-94938484", VT_R8, S_OK, 0, "tiny exponent is zero"},
    {kEnUs, u"1e-94938484", VT_I4, S_OK, 0, "tiny exponent rounds to zero at once"},
    {kEnUs, u"1e94938484", VT_I8, DISP_E_OVERFLOW, 0, "huge exponent overflows at once"},
    {kEnUs, u"", VT_R8, DISP_E_TYPEMISMATCH, 0, "empty"},
    {kEnUs, u"   ", VT_R8, DISP_E_TYPEMISMATCH, 0, "blanks only"},
    {kEnUs, u".", VT_R8, DISP_E_TYPEMISMATCH, 0, "point alone"},
    {kEnUs, u"1..1", VT_R8, DISP_E_TYPEMISMATCH, 0, "two points"},
    {kEnUs, u"1.1.", VT_R8, DISP_E_TYPEMISMATCH, 0, "trailing point"},
    {kEnUs, u"1 e1", VT_R8, DISP_E_TYPEMISMATCH, 0, "blank before exponent"},
    {kEnUs, u"1e", VT_R8, DISP_E_TYPEMISMATCH, 0, "exponent without digits"},
    {kEnUs, u"+ +0", VT_R8, DISP_E_TYPEMISMATCH, 0, "two signs"},
    {kEnUs, u"-7-", VT_R8, DISP_E_TYPEMISMATCH, 0, "leading and trailing sign"},
    {kEnUs, u"(7", VT_R8, DISP_E_TYPEMISMATCH, 0, "unclosed parenthesis"},
    {kEnUs, u"1 000", VT_R8, DISP_E_TYPEMISMATCH, 0, "blank does not group in en-US"},
    {kEnUs, u"12abc", VT_I4, DISP_E_TYPEMISMATCH, 0, "trailing text"},
    {kDeDe, u"1,5", VT_R8, S_OK, 1.5, "decimal comma"},
    {kDeDe, u"1.234,5", VT_R8, S_OK, 1234.5, "point groups thousands"},
    {kDeDe, u"1.5", VT_R8, S_OK, 15, "point is only a separator"},
    {kDeDe, u"1,5e3", VT_R8, S_OK, 1500, "exponent after a decimal comma"},
    {kDeDe, u"1.234 €", VT_I4, S_OK, 1234, "trailing euro"},
    {kDeDe, u"2,5", VT_I4, S_OK, 2, "half to even with a comma"},
    {kDeDe, u"1,2,3", VT_R8, DISP_E_TYPEMISMATCH, 0, "two decimal commas"},
    {kFrFr, u"1 234,5", VT_R8, S_OK, 1234.5, "blank groups"},
    {kFrFr, u"1\u00A0234", VT_R8, S_OK, 1234, "no-break space groups"},
    {kFrFr, u"1\u202F234", VT_R8, S_OK, 1234, "narrow no-break space groups"},
    {kFrFr, u" 1 234 ", VT_R8, S_OK, 1234, "blanks around as well"},
    {kFrFr, u"1.2", VT_R8, DISP_E_TYPEMISMATCH, 0, "point means nothing"},
};

TEST_F(VariantConvertTest, TextToNumbers) {
    for (const auto& c : kTextToNumber) {
        SCOPED_TRACE(ToUtf8(c.text) + " (" + c.why + ")");
        Variant out;
        out.vt = VT_I4;
        out.lVal = 424242; // a failed conversion leaves this alone
        HRESULT hr = fromText(c.text, c.lcid, c.vt, out);
        EXPECT_EQ(hr, c.hr);
        if (c.hr == S_OK) {
            EXPECT_EQ(out.vt, c.vt);
            if (c.vt == VT_R8 || c.vt == VT_R4) {
                EXPECT_NEAR(double(valueOf(out)), double(c.value), std::fabs(double(c.value)) * 1e-15);
            } else {
                EXPECT_EQ(valueOf(out), c.value);
            }
        } else {
            EXPECT_EQ(out.vt, VT_I4);
            EXPECT_EQ(out.lVal, 424242);
        }
    }
}

struct RealToText {
    LCID lcid;
    double value;
    bool single; // as VT_R4
    const char16_t* text;
};

const RealToText kRealToText[] = {
    {kEnUs, 1.0 / 3, false, u"0.333333333333333"},
    {kEnUs, 0.1, false, u"0.1"},
    {kEnUs, std::numbers::pi, false, u"3.14159265358979"},
    {kEnUs, 1234.567890123456789, false, u"1234.56789012346"},
    {kEnUs, 1e14, false, u"100000000000000"},
    {kEnUs, 1e15, false, u"1E+15"},
    {kEnUs, 1.234e16, false, u"1.234E+16"},
    {kEnUs, 5.6789e-11, false, u"0.000000000056789"},
    {kEnUs, 5.6789e-12, false, u"5.6789E-12"},
    {kEnUs, 1e100, false, u"1E+100"},
    {kEnUs, -1e-100, false, u"-1E-100"},
    {kEnUs, 123456789012345678.0, false, u"1.23456789012346E+17"},
    {kEnUs, 999999999999999.9, false, u"1E+15"}, // rounding carries into a new digit
    {kEnUs, -0.0, false, u"0"},
    {kEnUs, -2.5, false, u"-2.5"},
    {kEnUs, 1234567.0, false, u"1234567"}, // never a thousands separator
    {kDeDe, 0.5, false, u"0,5"},
    {kDeDe, -1234.25, false, u"-1234,25"},
    {kFrFr, 1e-20, false, u"1E-20"},
    {kEnUs, 0.1, true, u"0.1"},
    {kEnUs, 1.0 / 3, true, u"0.3333333"},
    {kEnUs, 1234567.0, true, u"1234567"},
    {kEnUs, 16777216.0, true, u"1.677722E+07"}, // eight digits do not fit in seven
    {kEnUs, 1e7, true, u"1E+07"},
};

TEST_F(VariantConvertTest, DoubleFromPlainTextAgreesWithTheFullReader) {
    // Text to double reads plain numbers on a fast path; every text must give what the full reader gives, with the
    // same result code, including the zero without a sign and the texts at the edges of the double range.
    std::mt19937_64 random(20261210);
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    for (LCID lcid : {kEnUs, kDeDe}) {
        const char16_t decimal = lcid == kDeDe ? u',' : u'.';
        std::vector<std::u16string> texts = {u"-0",
                                             u"+0",
                                             u"0e5",
                                             u"5",
                                             u"+5",
                                             u"1e400",
                                             u"1e-400",
                                             u"-1e-400",
                                             u"4.9e-324",
                                             u"1.7976931348623157e308",
                                             u"00000000000000000000001"};
        for (std::u16string text : {u".5", u"5.", u"+.5", u"-.5e1", u"."})
            texts.push_back(text.replace(text.find(u'.'), 1, 1, decimal));
        for (int i = 0; i < 20000; ++i) {
            std::u16string text;
            if (size_t sign = pick(4); sign < 2)
                text += u"+-"[sign];
            const size_t digits = 1 + pick(21);
            const size_t separatorAt = pick(digits + 2);
            for (size_t d = 0; d <= digits; ++d) {
                if (d == separatorAt)
                    text += decimal;
                if (d < digits)
                    text += static_cast<char16_t>(u'0' + pick(10));
            }
            if (pick(2) == 0)
                for (char c : "e" + std::string(pick(2) ? "-" : "") + std::to_string(pick(400)))
                    text += static_cast<char16_t>(c);
            texts.push_back(text);
        }
        for (const std::u16string& text : texts) {
            SCOPED_TRACE(std::to_string(lcid) + " " + ToUtf8(text));
            numtext::DecimalNumber number;
            double expected = 0;
            HRESULT expectedResult = numtext::Parse(text, locale::Data(lcid), number);
            if (SUCCEEDED(expectedResult))
                expectedResult = numtext::ToDouble(number, expected);
            double read = 0;
            ASSERT_EQ(numtext::ParseDouble(text, lcid, read), expectedResult);
            if (SUCCEEDED(expectedResult)) {
                ASSERT_EQ(std::bit_cast<uint64_t>(read), std::bit_cast<uint64_t>(expected));
            }
        }
    }
}

TEST_F(VariantConvertTest, RealsToText) {
    for (const auto& c : kRealToText) {
        SCOPED_TRACE(ToUtf8(c.text));
        Variant source;
        if (c.single) {
            source.vt = VT_R4;
            source.fltVal = float(c.value);
        } else {
            source = Variant::Double(c.value);
        }
        Variant out;
        ASSERT_EQ(VariantChangeTypeEx(&out, &source, c.lcid, 0, VT_BSTR), S_OK);
        EXPECT_EQ(textOf(out), c.text);
    }
}

TEST_F(VariantConvertTest, IntegersAndCurrencyToText) {
    struct Case {
        VARIANT value;
        LCID lcid;
        const char16_t* text;
    };
    auto make = [](VARTYPE vt, auto setter) {
        VARIANT v;
        VariantInit(&v);
        v.vt = vt;
        setter(v);
        return v;
    };
    const Case cases[] = {
        {make(VT_I4, [](VARIANT& v) { v.lVal = INT32_MIN; }), kEnUs, u"-2147483648"},
        {make(VT_I1, [](VARIANT& v) { v.cVal = -128; }), kEnUs, u"-128"},
        {make(VT_UI8, [](VARIANT& v) { v.ullVal = UINT64_MAX; }), kEnUs, u"18446744073709551615"},
        {make(VT_I8, [](VARIANT& v) { v.llVal = INT64_MIN; }), kEnUs, u"-9223372036854775808"},
        {make(VT_UI1, [](VARIANT& v) { v.bVal = 200; }), kDeDe, u"200"},
        {make(VT_CY, [](VARIANT& v) { v.cyVal.int64 = 12345; }), kEnUs, u"1.2345"},
        {make(VT_CY, [](VARIANT& v) { v.cyVal.int64 = -50000; }), kEnUs, u"-5"},
        {make(VT_CY, [](VARIANT& v) { v.cyVal.int64 = 15000; }), kDeDe, u"1,5"},
        {make(VT_CY, [](VARIANT& v) { v.cyVal.int64 = INT64_MIN; }), kEnUs, u"-922337203685477.5808"},
        {make(VT_EMPTY, [](VARIANT&) {}), kEnUs, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        Variant out;
        ASSERT_EQ(VariantChangeTypeEx(&out, &c.value, c.lcid, 0, VT_BSTR), S_OK);
        EXPECT_EQ(textOf(out), c.text);
    }
}

// Text made from a double reads back to a double that makes the same text, in every locale.
TEST_F(VariantConvertTest, RealTextReadsBackToTheSameText) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-30, 30);
    for (LCID lcid : {kEnUs, kDeDe, kFrFr}) {
        for (int i = 0; i < 500; ++i) {
            double value = mantissa(random) * std::pow(10.0, exponent(random));
            Variant source = Variant::Double(value);
            Variant text, back, again;
            ASSERT_EQ(VariantChangeTypeEx(&text, &source, lcid, 0, VT_BSTR), S_OK);
            SCOPED_TRACE(ToUtf8(textOf(text)));
            ASSERT_EQ(VariantChangeTypeEx(&back, &text, lcid, 0, VT_R8), S_OK);
            EXPECT_NEAR(back.dblVal, value, std::fabs(value) * 1e-14);
            ASSERT_EQ(VariantChangeTypeEx(&again, &back, lcid, 0, VT_BSTR), S_OK);
            EXPECT_EQ(textOf(again), textOf(text));
        }
    }
}

// The digits written are the exact binary value rounded to 15 (floats: 7) significant digits; the oracle is
// std::to_chars with that precision, compared through the values both texts denote.
TEST_F(VariantConvertTest, RealTextRoundsTheExactValue) {
    std::mt19937_64 random(11);
    auto denoted = [](std::string text) {
        double value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value);
        return value;
    };
    for (int i = 0; i < 20000; ++i) {
        uint64_t bits = random();
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        bool single = i % 2 == 1;
        if (single)
            value = double(float(value));
        if (!std::isfinite(value) || value == 0)
            continue;
        Variant source;
        if (single) {
            source.vt = VT_R4;
            source.fltVal = float(value);
        } else {
            source = Variant::Double(value);
        }
        Variant text;
        ASSERT_EQ(VariantChangeTypeEx(&text, &source, kEnUs, 0, VT_BSTR), S_OK);
        std::string ours = ToUtf8(textOf(text));
        char reference[48];
        auto end = std::to_chars(reference, reference + sizeof reference, value, std::chars_format::scientific,
                                 single ? 6 : 14)
                       .ptr;
        SCOPED_TRACE(ours + " vs " + std::string(reference, end));
        ASSERT_EQ(denoted(ours), denoted(std::string(reference, end)));
    }
    // Ties in the shortest text: 0.5 past the last digit is decided by the exact binary value.
    const double ties[] = {1.0000000000000005, 2.0000000000000025, 0.30000000000000005};
    for (double value : ties) {
        Variant source = Variant::Double(value), text;
        ASSERT_EQ(VariantChangeTypeEx(&text, &source, kEnUs, 0, VT_BSTR), S_OK);
        char reference[48];
        auto end = std::to_chars(reference, reference + sizeof reference, value, std::chars_format::scientific, 14).ptr;
        EXPECT_EQ(denoted(ToUtf8(textOf(text))), denoted(std::string(reference, end)));
    }
}

TEST_F(VariantConvertTest, BooleansFromText) {
    struct Case {
        LCID lcid;
        const char16_t* text;
        uint16_t flags;
        HRESULT hr;
        VARIANT_BOOL value;
    };
    const Case cases[] = {
        {kEnUs, u"true", 0, S_OK, VARIANT_TRUE},
        {kEnUs, u"TRUE", 0, S_OK, VARIANT_TRUE},
        {kEnUs, u"False", 0, S_OK, VARIANT_FALSE},
        {kDeDe, u"true", 0, S_OK, VARIANT_TRUE}, // English words in any locale
        {kDeDe, u"#TRUE#", 0, S_OK, VARIANT_TRUE},
        {kEnUs, u"#FALSE#", 0, S_OK, VARIANT_FALSE},
        {kEnUs, u"0", 0, S_OK, VARIANT_FALSE},
        {kEnUs, u"-1", 0, S_OK, VARIANT_TRUE},
        {kEnUs, u"+1", 0, S_OK, VARIANT_TRUE},
        {kEnUs, u"0.1", 0, S_OK, VARIANT_TRUE},
        {kDeDe, u"0,0", 0, S_OK, VARIANT_FALSE},
        {kEnUs, u"On", 0, DISP_E_TYPEMISMATCH, 0},
        {kEnUs, u"Yes", 0, DISP_E_TYPEMISMATCH, 0},
        {kEnUs, u"", 0, DISP_E_TYPEMISMATCH, 0},
        {kDeDe, u"Wahr", 0, DISP_E_TYPEMISMATCH, 0}, // the locale's words need the flag
        {kDeDe, u"wahr", VARIANT_LOCALBOOL, S_OK, VARIANT_TRUE},
        {kDeDe, u"Falsch", VARIANT_LOCALBOOL, S_OK, VARIANT_FALSE},
        {kFrFr, u"Vrai", VARIANT_LOCALBOOL, S_OK, VARIANT_TRUE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        Variant out;
        EXPECT_EQ(fromText(c.text, c.lcid, VT_BOOL, out, c.flags), c.hr);
        if (c.hr == S_OK) {
            EXPECT_EQ(out.vt, VT_BOOL);
            EXPECT_EQ(out.boolVal, c.value);
        }
    }
}

TEST_F(VariantConvertTest, BooleansToText) {
    struct Case {
        LCID lcid;
        uint16_t flags;
        const char16_t* trueText;
        const char16_t* falseText;
    };
    const Case cases[] = {
        {kEnUs, 0, u"-1", u"0"},
        {kDeDe, 0, u"-1", u"0"},
        {kEnUs, VARIANT_ALPHABOOL, u"True", u"False"},
        {kDeDe, VARIANT_ALPHABOOL, u"True", u"False"},
        {kDeDe, VARIANT_LOCALBOOL, u"Wahr", u"Falsch"},
        {kFrFr, VARIANT_LOCALBOOL | VARIANT_ALPHABOOL, u"Vrai", u"Faux"},
        {kEnUs, VARIANT_LOCALBOOL, u"True", u"False"},
        {1041, VARIANT_LOCALBOOL, u"True", u"False"}, // no words of its own: English
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lcid);
        Variant out;
        Variant yes = Variant::Bool(true), no = Variant::Bool(false);
        ASSERT_EQ(VariantChangeTypeEx(&out, &yes, c.lcid, c.flags, VT_BSTR), S_OK);
        EXPECT_EQ(textOf(out), c.trueText);
        ASSERT_EQ(VariantChangeTypeEx(&out, &no, c.lcid, c.flags, VT_BSTR), S_OK);
        EXPECT_EQ(textOf(out), c.falseText);
    }
}

// Every integer kind to every integer kind, checked against the range of the target.
TEST_F(VariantConvertTest, IntegerKindsAmongThemselves) {
    struct Kind {
        VARTYPE vt;
        long double min, max;
    };
    const Kind kinds[] = {
        {VT_I1, INT8_MIN, INT8_MAX},   {VT_I2, INT16_MIN, INT16_MAX},
        {VT_I4, INT32_MIN, INT32_MAX}, {VT_INT, INT32_MIN, INT32_MAX},
        {VT_I8, INT64_MIN, INT64_MAX}, {VT_UI1, 0, UINT8_MAX},
        {VT_UI2, 0, UINT16_MAX},       {VT_UI4, 0, UINT32_MAX},
        {VT_UINT, 0, UINT32_MAX},      {VT_UI8, 0, (long double)UINT64_MAX},
    };
    const int64_t values[] = {0,         1,
                              -1,        127,
                              128,       -128,
                              -129,      255,
                              256,       32767,
                              32768,     -32769,
                              65535,     65536,
                              INT32_MAX, int64_t(INT32_MAX) + 1,
                              INT32_MIN, int64_t(UINT32_MAX) + 1,
                              INT64_MIN, INT64_MAX};
    for (int64_t value : values) {
        for (const Kind& from : kinds) {
            if (value < from.min || value > from.max)
                continue;
            Variant source;
            source.vt = VT_I8;
            source.llVal = value;
            ASSERT_EQ(source.ChangeType(from.vt), S_OK);
            for (const Kind& to : kinds) {
                SCOPED_TRACE(testing::Message() << value << " " << from.vt << " -> " << to.vt);
                Variant out;
                HRESULT hr = VariantChangeTypeEx(&out, &source, kEnUs, 0, to.vt);
                bool fits = value >= to.min && value <= to.max;
                EXPECT_EQ(hr, fits ? S_OK : DISP_E_OVERFLOW);
                if (fits) {
                    EXPECT_EQ(valueOf(out), (long double)value);
                }
            }
        }
    }
}

// Reals to integers round half to even; the oracle is nearbyint in the default rounding mode.
TEST_F(VariantConvertTest, RealsToIntegersRoundHalfToEven) {
    const double values[] = {0.5,     1.5,     2.5,      -0.5, -1.5,  -2.5, 0.49999999999999994, 2.5000000000000004,
                             32767.5, 32766.5, -32768.5, 1e10, -1e10, 1e300};
    for (double value : values) {
        for (VARTYPE vt : {VT_I2, VT_I4, VT_I8, VT_UI2}) {
            SCOPED_TRACE(testing::Message() << value << " -> " << vt);
            Variant source = Variant::Double(value);
            Variant out;
            HRESULT hr = VariantChangeTypeEx(&out, &source, kEnUs, 0, vt);
            double rounded = std::nearbyint(value);
            long double min = vt == VT_I2   ? INT16_MIN
                              : vt == VT_I4 ? INT32_MIN
                              : vt == VT_I8 ? (long double)INT64_MIN
                                            : 0;
            long double max = vt == VT_I2   ? INT16_MAX
                              : vt == VT_I4 ? INT32_MAX
                              : vt == VT_I8 ? (long double)INT64_MAX
                                            : UINT16_MAX;
            bool fits = rounded >= min && rounded <= max;
            EXPECT_EQ(hr, fits ? S_OK : DISP_E_OVERFLOW);
            if (fits) {
                EXPECT_EQ(valueOf(out), (long double)rounded);
            }
        }
    }
    Variant nan = Variant::Double(std::nan(""));
    Variant out;
    EXPECT_EQ(VariantChangeTypeEx(&out, &nan, kEnUs, 0, VT_I4), DISP_E_OVERFLOW);
}

TEST_F(VariantConvertTest, OtherScalarConversions) {
    Variant out;
    // Booleans are -1 and 0 as numbers; any nonzero number is true.
    Variant yes = Variant::Bool(true);
    ASSERT_EQ(VariantChangeTypeEx(&out, &yes, kEnUs, 0, VT_I4), S_OK);
    EXPECT_EQ(out.lVal, -1);
    Variant two = Variant::Int(2);
    ASSERT_EQ(VariantChangeTypeEx(&out, &two, kEnUs, 0, VT_BOOL), S_OK);
    EXPECT_EQ(out.boolVal, VARIANT_TRUE);
    Variant tiny = Variant::Double(1e-300);
    ASSERT_EQ(VariantChangeTypeEx(&out, &tiny, kEnUs, 0, VT_BOOL), S_OK);
    EXPECT_EQ(out.boolVal, VARIANT_TRUE);
    // Currency rounds half to even at the fourth decimal, and back to integers at the unit.
    Variant real = Variant::Double(1.23456);
    ASSERT_EQ(VariantChangeTypeEx(&out, &real, kEnUs, 0, VT_CY), S_OK);
    EXPECT_EQ(out.cyVal.int64, 12346);
    Variant cy;
    cy.vt = VT_CY;
    cy.cyVal.int64 = 25000; // 2.5
    ASSERT_EQ(VariantChangeTypeEx(&out, &cy, kEnUs, 0, VT_I4), S_OK);
    EXPECT_EQ(out.lVal, 2);
    Variant huge = Variant::Double(1e20);
    EXPECT_EQ(VariantChangeTypeEx(&out, &huge, kEnUs, 0, VT_CY), DISP_E_OVERFLOW);
    // Dates are doubles within the valid range.
    Variant day = Variant::Double(365.25);
    ASSERT_EQ(VariantChangeTypeEx(&out, &day, kEnUs, 0, VT_DATE), S_OK);
    EXPECT_EQ(out.date, 365.25);
    Variant far = Variant::Double(2958466.0);
    EXPECT_EQ(VariantChangeTypeEx(&out, &far, kEnUs, 0, VT_DATE), DISP_E_OVERFLOW);
    Variant date = Variant::Date(-5.25);
    ASSERT_EQ(VariantChangeTypeEx(&out, &date, kEnUs, 0, VT_R8), S_OK);
    EXPECT_EQ(out.dblVal, -5.25);
    Variant bigReal = Variant::Double(1e39);
    EXPECT_EQ(VariantChangeTypeEx(&out, &bigReal, kEnUs, 0, VT_R4), DISP_E_OVERFLOW);
    // Error codes travel to and from the 32-bit integers only.
    Variant error;
    error.vt = VT_ERROR;
    error.scode = E_FAIL;
    ASSERT_EQ(VariantChangeTypeEx(&out, &error, kEnUs, 0, VT_I4), S_OK);
    EXPECT_EQ(out.lVal, E_FAIL);
    EXPECT_EQ(VariantChangeTypeEx(&out, &error, kEnUs, 0, VT_BSTR), DISP_E_TYPEMISMATCH);
    ASSERT_EQ(VariantChangeTypeEx(&out, &two, kEnUs, 0, VT_ERROR), S_OK);
    EXPECT_EQ(out.scode, 2);
}

TEST_F(VariantConvertTest, EmptyNullAndBadKinds) {
    Variant empty, null, out;
    null.vt = VT_NULL;
    ASSERT_EQ(VariantChangeTypeEx(&out, &empty, kEnUs, 0, VT_BSTR), S_OK);
    ASSERT_EQ(out.vt, VT_BSTR);
    EXPECT_NE(out.bstrVal, nullptr);
    EXPECT_EQ(SysStringLen(out.bstrVal), 0u);
    ASSERT_EQ(VariantChangeTypeEx(&out, &empty, kEnUs, 0, VT_R8), S_OK);
    EXPECT_EQ(out.dblVal, 0.0);
    for (VARTYPE vt : {VT_I4, VT_BSTR, VT_BOOL, VT_DATE, VT_EMPTY}) {
        SCOPED_TRACE(vt);
        EXPECT_EQ(VariantChangeTypeEx(&out, &null, kEnUs, 0, vt), DISP_E_TYPEMISMATCH);
    }
    ASSERT_EQ(VariantChangeTypeEx(&out, &null, kEnUs, 0, VT_NULL), S_OK);
    EXPECT_EQ(out.vt, VT_NULL);

    Variant bad;
    bad.vt = 0x7F;
    EXPECT_EQ(VariantChangeTypeEx(&out, &bad, kEnUs, 0, VT_I4), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantChangeTypeEx(&out, &empty, kEnUs, 0, VT_DECIMAL), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantChangeTypeEx(&out, &empty, kEnUs, 0, VARTYPE(VT_I4 | VT_BYREF)), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantClear(&bad), DISP_E_BADVARTYPE);
    bad.vt = VT_EMPTY;
    EXPECT_EQ(VariantChangeTypeEx(nullptr, &empty, kEnUs, 0, VT_I4), E_INVALIDARG);
}

TEST_F(VariantConvertTest, FailureLeavesTheDestinationAndInPlaceReplaces) {
    Variant dest = Variant::Text(u"keep");
    BSTR before = dest.bstrVal;
    Variant source = Variant::Text(u"not a number");
    EXPECT_EQ(VariantChangeTypeEx(&dest, &source, kEnUs, 0, VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(dest.vt, VT_BSTR);
    EXPECT_EQ(dest.bstrVal, before);

    // In place: the text is freed (the sanitizer build sees a leak otherwise) and the number stored.
    Variant inPlace = Variant::Text(u"1,5");
    ASSERT_EQ(VariantChangeTypeEx(&inPlace, &inPlace, kDeDe, 0, VT_R8), S_OK);
    EXPECT_EQ(inPlace.vt, VT_R8);
    EXPECT_EQ(inPlace.dblVal, 1.5);
    ASSERT_EQ(inPlace.ChangeType(VT_BSTR, kDeDe), S_OK);
    EXPECT_EQ(textOf(inPlace), u"1,5");
}

// A counted interface outside the module's object count: enough to see references taken and given back.
struct CountedUnknown final : IUnknown {
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (!(riid == IUnknown::iid))
            return E_NOINTERFACE;
        AddRef();
        *ppv = static_cast<IUnknown*>(this);
        return S_OK;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }
    ULONG refs = 1;
};

TEST_F(VariantConvertTest, CopyAndClearOwnWhatTheyHold) {
    CountedUnknown object;
    {
        Variant unknown;
        unknown.vt = VT_UNKNOWN;
        unknown.punkVal = &object;
        object.AddRef();
        Variant copy(unknown);
        EXPECT_EQ(object.refs, 3u);
        Variant asUnknown;
        ASSERT_EQ(VariantChangeTypeEx(&asUnknown, &unknown, kEnUs, 0, VT_UNKNOWN), S_OK);
        EXPECT_EQ(object.refs, 4u);
        EXPECT_EQ(VariantChangeTypeEx(&asUnknown, &unknown, kEnUs, 0, VT_I4), DISP_E_TYPEMISMATCH);
        Variant dispatch;
        dispatch.vt = VT_DISPATCH;
        dispatch.pdispVal = &object;
        object.AddRef();
        ASSERT_EQ(VariantChangeTypeEx(&asUnknown, &dispatch, kEnUs, 0, VT_UNKNOWN), S_OK);
        EXPECT_EQ(asUnknown.punkVal, &object);
    }
    EXPECT_EQ(object.refs, 1u);

    Variant text = Variant::Text(u"deep");
    Variant copy(text);
    EXPECT_NE(copy.bstrVal, text.bstrVal);
    EXPECT_EQ(textOf(copy), u"deep");
    EXPECT_EQ(VariantCopy(&copy, &copy), S_OK);
    EXPECT_EQ(textOf(copy), u"deep");
}

TEST_F(VariantConvertTest, SafeArraysOwnTheirElements) {
    SAFEARRAY* texts = SafeArrayCreateVector(VT_BSTR, 1, 3);
    ASSERT_NE(texts, nullptr);
    EXPECT_EQ(texts->rgsabound[0].cElements, 3u);
    for (int32_t i = 1; i <= 3; ++i) {
        BStr element(i == 2 ? u"two" : u"other");
        ASSERT_EQ(SafeArrayPutElement(texts, &i, element.Get()), S_OK);
    }
    int32_t two = 2;
    BStr again(u"replaced");
    ASSERT_EQ(SafeArrayPutElement(texts, &two, again.Get()), S_OK); // the old element is freed
    int32_t outside[] = {0, 4};
    for (int32_t& index : outside) {
        BSTR read = nullptr;
        EXPECT_EQ(SafeArrayGetElement(texts, &index, &read), static_cast<HRESULT>(0x8002000B));
        EXPECT_EQ(SafeArrayPutElement(texts, &index, again.Get()), static_cast<HRESULT>(0x8002000B));
    }

    Variant array;
    array.vt = VT_ARRAY | VT_BSTR;
    array.parray = texts;
    Variant copy(array);
    ASSERT_NE(copy.parray, texts);
    BSTR read = nullptr;
    ASSERT_EQ(SafeArrayGetElement(copy.parray, &two, &read), S_OK);
    EXPECT_EQ(BStr::Adopt(read).view(), u"replaced");
    EXPECT_EQ(VariantChangeTypeEx(&copy, &array, kEnUs, 0, VT_BSTR), DISP_E_TYPEMISMATCH);

    SAFEARRAY* numbers = SafeArrayCreateVector(VT_R8, 0, 2);
    double value = 2.5;
    int32_t index = 1;
    ASSERT_EQ(SafeArrayPutElement(numbers, &index, &value), S_OK);
    double got = 0;
    ASSERT_EQ(SafeArrayGetElement(numbers, &index, &got), S_OK);
    EXPECT_EQ(got, 2.5);
    EXPECT_EQ(SafeArrayDestroy(numbers), S_OK);

    SAFEARRAY* variants = SafeArrayCreateVector(VT_VARIANT, 0, 1);
    Variant element = Variant::Text(u"inside");
    index = 0;
    ASSERT_EQ(SafeArrayPutElement(variants, &index, &element), S_OK);
    Variant out;
    ASSERT_EQ(SafeArrayGetElement(variants, &index, out.Out()), S_OK);
    EXPECT_EQ(textOf(out), u"inside");
    EXPECT_EQ(SafeArrayDestroy(variants), S_OK);

    EXPECT_EQ(SafeArrayCreateVector(VT_EMPTY, 0, 1), nullptr);
    EXPECT_EQ(SafeArrayCreateVector(VT_DECIMAL, 0, 1), nullptr);
}

TEST_F(VariantConvertTest, CompareAcrossKinds) {
    struct Case {
        Variant left, right;
        uint32_t flags;
        HRESULT result;
        const char* why;
    };
    Variant i8;
    i8.vt = VT_I8;
    i8.llVal = INT64_MAX;
    Variant ui8;
    ui8.vt = VT_UI8;
    ui8.ullVal = uint64_t(INT64_MAX) + 1;
    Variant null;
    null.vt = VT_NULL;
    Variant cy;
    cy.vt = VT_CY;
    cy.cyVal.int64 = 15000;
    const Case cases[] = {
        {Variant::Int(1), Variant::Double(1.0), 0, VARCMP_EQ, "across kinds"},
        {Variant::Int(2), Variant::Double(1.5), 0, VARCMP_GT, "across kinds"},
        {cy, Variant::Double(1.5), 0, VARCMP_EQ, "currency by value"},
        {i8, ui8, 0, VARCMP_LT, "64-bit integers exactly"},
        {Variant(), Variant::Int(0), 0, VARCMP_EQ, "empty is zero"},
        {Variant(), Variant::Text(u""), 0, VARCMP_EQ, "empty is the empty text"},
        {Variant::Int(5), Variant::Text(u"1"), 0, VARCMP_LT, "a number is less than a text"},
        {Variant::Text(u"a"), Variant::Text(u"B"), 0, VARCMP_GT, "by code unit"},
        {Variant::Text(u"a"), Variant::Text(u"B"), 1, VARCMP_LT, "ignoring case"},
        {Variant::Text(u"abc"), Variant::Text(u"ABC"), 1, VARCMP_EQ, "ignoring case"},
        {Variant::Text(u"ab"), Variant::Text(u"abc"), 0, VARCMP_LT, "prefix first"},
        {null, Variant::Int(1), 0, VARCMP_NULL, "null"},
        {Variant::Int(1), null, 0, VARCMP_NULL, "null"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(VarCmp(&c.left, &c.right, kEnUs, c.flags), c.result);
    }
}

} // namespace
} // namespace tavi::test
