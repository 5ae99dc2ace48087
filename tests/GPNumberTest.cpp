// The numeric values GPLong and GPDouble: text forms in dot and comma locales, the 32-bit face of GPLong, the
// variant form, equality, and the stream and XML forms (GPLong's save version chosen by document version).
#include "TestSupport.h"

#include "host/CreateInstance.h"
#include "host/DocumentVersion.h"
#include "host/DoubleText.h"
#include "host/NumberFormat.h"
#include "host/StreamIO.h"
#include "platform/Locale.h"
#include "tavi/Entry.h"
#include "tavi/GPMessage.h"
#include "tavi/GPScalar.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"
#include "values/GPDouble.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace tavi::test {
namespace {

constexpr LCID kEnglishUS = 1033;
constexpr LCID kGerman = 1031;
constexpr LCID kArabicSaudi = 1025;
constexpr LCID kThai = 1054;

class GPNumberTest : public ModuleClassesTest {
protected:
    static ComPtr<IGPLong> NewLong(int64_t value) {
        auto made = Create<IGPLong>(CLSID_GPLong);
        EXPECT_EQ(made->put_Value64(value), S_OK);
        return made;
    }
    static ComPtr<IGPDouble> NewDouble(double value) {
        auto made = Create<IGPDouble>(CLSID_GPDouble);
        EXPECT_EQ(made->put_Value(value), S_OK);
        return made;
    }
};

String AsText(IUnknown* value) {
    BStr text;
    EXPECT_EQ(QueryAs<IGPValue>(value)->GetAsText(text.Out()), S_OK);
    return text.str();
}
bool IsEmpty(IUnknown* value) {
    VARIANT_BOOL empty = VARIANT_FALSE;
    EXPECT_EQ(QueryAs<IGPValue>(value)->IsEmpty(&empty), S_OK);
    return empty != VARIANT_FALSE;
}
// SetAsText's message code (0 for a message that is not an error); the call itself must succeed.
int32_t SetText(IUnknown* value, const char16_t* text) {
    ComPtr<IGPMessage> message;
    EXPECT_EQ(QueryAs<IGPValue>(value)->SetAsText(text, message.Out()), S_OK);
    if (!message)
        return -1;
    VARIANT_BOOL error = VARIANT_FALSE;
    message->IsError(&error);
    int32_t code = 0;
    message->get_ErrorCode(&code);
    return error ? code : 0;
}
bool Equal(IUnknown* a, IUnknown* b) {
    VARIANT_BOOL equal = VARIANT_TRUE;
    EXPECT_EQ(QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal), S_OK);
    return equal != VARIANT_FALSE;
}
int64_t Value64(IGPLong* value) {
    int64_t out = 0;
    EXPECT_EQ(value->get_Value64(&out), S_OK);
    return out;
}
double ValueOf(IGPDouble* value) {
    double out = 0;
    EXPECT_EQ(value->get_Value(&out), S_OK);
    return out;
}
bool SameBits(double a, double b) {
    return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}
ComPtr<IStream> NewStream(int32_t docVersion = docversion::kCurrent, const std::vector<uint8_t>& bytes = {}) {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnMemory(bytes.data(), static_cast<ULONG>(bytes.size()), docVersion, stream.Out()), S_OK);
    return stream;
}
uint64_t StreamSize(IStream* stream) {
    uint64_t end = 0;
    stream->Seek(0, STREAM_SEEK_END, &end);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    return end;
}
// Saves `value` and loads the stream into a new object of the same class.
template <class I> ComPtr<I> StreamCopy(I* value, REFCLSID clsid) {
    auto stream = NewStream();
    EXPECT_EQ(QueryAs<IPersistStream>(value)->Save(stream.Get(), 1), S_OK);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    ComPtr<I> read;
    EXPECT_EQ(AfCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, I::iid, read.OutVoid()), S_OK);
    EXPECT_EQ(QueryAs<IPersistStream>(read.Get())->Load(stream.Get()), S_OK);
    return read;
}
template <class I> ComPtr<I> XmlCopy(I* value, REFCLSID clsid, String* xmlOut = nullptr) {
    BStr xml;
    EXPECT_EQ(TaviXmlSerialize(value, nullptr, xml.Out()), S_OK);
    if (xmlOut)
        *xmlOut = xml.str();
    ComPtr<I> read;
    EXPECT_EQ(AfCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, I::iid, read.OutVoid()), S_OK);
    EXPECT_EQ(TaviXmlDeserialize(xml.c_str(), read.Get()), S_OK);
    return read;
}

// ---- GPLong ----

TEST_F(GPNumberTest, LongText) {
    struct Case {
        const char16_t* text;
        int32_t code;
        bool empty;
        int64_t value;
        const char16_t* asText;
    };
    const Case cases[] = {
        {u"", 0, true, 0, u""},
        {u"42", 0, false, 42, u"42"},
        {u"-7", 0, false, -7, u"-7"},
        {u"5000000000", 0, false, 5000000000, u"5000000000"}, // beyond 32 bits: kept whole
        {u"-9223372036854775808", 0, false, INT64_MIN, u"-9223372036854775808"},
        {u"abc", 834, false, 0, u"0"},                 // a new value: stays 0, but counts as set
        {u"9223372036854775808", 834, false, 0, u"0"}, // past 64 bits
    };
    // Plain digits read and print the same in a dot and a comma locale (no grouping is written).
    for (LCID lcid : {kEnglishUS, kGerman}) {
        locale::SetUserDefaultLocaleForTesting(lcid);
        for (const auto& c : cases) {
            SCOPED_TRACE(std::to_string(lcid) + " " + ToUtf8(c.text));
            auto value = Create<IGPLong>(CLSID_GPLong);
            EXPECT_EQ(SetText(value.Get(), c.text), c.code);
            EXPECT_EQ(IsEmpty(value.Get()), c.empty);
            EXPECT_EQ(Value64(value.Get()), c.value);
            EXPECT_EQ(AsText(value.Get()), c.asText);
        }
    }
    // A text that does not convert leaves an earlier number alone; an empty text empties the value.
    auto value = NewLong(12);
    EXPECT_EQ(SetText(value.Get(), u"twelve"), 834);
    EXPECT_EQ(Value64(value.Get()), 12);
    EXPECT_EQ(SetText(value.Get(), nullptr), 0);
    EXPECT_TRUE(IsEmpty(value.Get()));
    EXPECT_EQ(Value64(value.Get()), 0);
    EXPECT_EQ(QueryAs<IGPValue>(value.Get())->SetAsText(u"1", nullptr), E_POINTER);
}

TEST_F(GPNumberTest, LongThirtyTwoBitFace) {
    struct Case {
        int64_t value;
        HRESULT hr;
        int32_t narrow;
        VARTYPE vt;
    };
    const Case cases[] = {
        {INT32_MAX, S_OK, INT32_MAX, VT_I4},
        {INT32_MIN, S_OK, INT32_MIN, VT_I4},
        {int64_t{INT32_MAX} + 1, E_FAIL, -1, VT_I8},
        {int64_t{INT32_MIN} - 1, E_FAIL, -1, VT_I8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        auto value = NewLong(c.value);
        int32_t narrow = 0;
        EXPECT_EQ(value->get_Value(&narrow), c.hr);
        EXPECT_EQ(narrow, c.narrow);
        Variant v;
        ASSERT_EQ(QueryAs<IGPVariant>(value.Get())->get_Value(v.Out()), S_OK);
        EXPECT_EQ(v.vt, c.vt);
        EXPECT_EQ(v.vt == VT_I4 ? v.lVal : v.llVal, c.value);
    }
    // The 32-bit setter sign-extends.
    auto value = Create<IGPLong>(CLSID_GPLong);
    EXPECT_EQ(value->put_Value(-5), S_OK);
    EXPECT_EQ(Value64(value.Get()), -5);
    EXPECT_FALSE(IsEmpty(value.Get()));
}

TEST_F(GPNumberTest, VariantPut) {
    auto number = NewLong(3);
    auto real = NewDouble(3.5);
    auto longVariant = QueryAs<IGPVariant>(number.Get());
    auto doubleVariant = QueryAs<IGPVariant>(real.Get());

    EXPECT_EQ(longVariant->put_Value(Variant::Text(u"5000000000")), S_OK);
    EXPECT_EQ(Value64(number.Get()), 5000000000);
    EXPECT_EQ(doubleVariant->put_Value(Variant::Int(-4)), S_OK);
    EXPECT_EQ(ValueOf(real.Get()), -4.0);
    Variant r8;
    ASSERT_EQ(doubleVariant->get_Value(r8.Out()), S_OK);
    EXPECT_EQ(r8.vt, VT_R8);
    EXPECT_EQ(r8.dblVal, -4.0);

    // A null variant or a text that does not convert fails and changes nothing.
    Variant null;
    null.vt = VT_NULL;
    for (auto* variant : {longVariant.Get(), doubleVariant.Get()}) {
        EXPECT_EQ(variant->put_Value(null), E_FAIL);
        EXPECT_EQ(variant->put_Value(Variant::Text(u"many")), E_FAIL);
    }
    EXPECT_EQ(Value64(number.Get()), 5000000000);
    EXPECT_EQ(ValueOf(real.Get()), -4.0);
}

TEST_F(GPNumberTest, LongStreamVersionByDocument) {
    // The newer line writes the 64-bit form only from its 18th version on; the older line always writes 32 bits.
    struct Case {
        int32_t docVersion;
        int64_t value;
        HRESULT hr;
        uint16_t version;
        uint64_t valueBytes;
    };
    const Case cases[] = {
        {docversion::kCurrent, 5000000000, S_OK, 2, 8},
        {docversion::Newer(17), -3, S_OK, 2, 8},
        {docversion::Newer(16), -3, S_OK, 1, 4},
        {docversion::Newer(16), int64_t{1} << 31, E_FAIL, 0, 0}, // 2^31 does not fit the 32-bit form
        {docversion::Older(20), INT32_MIN, S_OK, 1, 4},
        {docversion::Older(0), 5000000000, E_FAIL, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(docversion::Name(c.docVersion) + " " + std::to_string(c.value));
        auto value = NewLong(c.value);
        auto stream = NewStream(c.docVersion);
        ASSERT_EQ(QueryAs<IPersistStream>(value.Get())->Save(stream.Get(), 1), c.hr);
        if (FAILED(c.hr)) {
            EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->IsDirty(), S_OK); // nothing claims to be saved
            continue;
        }
        EXPECT_EQ(StreamSize(stream.Get()), 2 + 2 + c.valueBytes); // version, empty flag, value
        uint16_t version = 0;
        AfStreamRead(stream.Get(), &version);
        EXPECT_EQ(version, c.version);
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        auto read = Create<IGPLong>(CLSID_GPLong);
        ASSERT_EQ(QueryAs<IPersistStream>(read.Get())->Load(stream.Get()), S_OK);
        EXPECT_EQ(Value64(read.Get()), c.value);
        EXPECT_TRUE(Equal(read.Get(), value.Get()));
    }
}

TEST_F(GPNumberTest, LongStreamLoad) {
    // Version 1 holds 4 bytes, sign-extended; versions 0 and 2 hold 8; anything newer, or a short stream, fails.
    struct Case {
        uint16_t version;
        std::vector<uint8_t> valueBytes;
        HRESULT hr;
        int64_t value;
    };
    const Case cases[] = {
        {1, {0xFB, 0xFF, 0xFF, 0xFF}, S_OK, -5},
        {0, {0x00, 0xF2, 0x05, 0x2A, 0x01, 0x00, 0x00, 0x00}, S_OK, 5000000000},
        {2, {0xFB, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, S_OK, -5},
        {3, {0, 0, 0, 0, 0, 0, 0, 0}, E_FAIL, 0},
        {2, {1, 0, 0, 0}, E_FAIL, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        std::vector<uint8_t> bytes = {static_cast<uint8_t>(c.version), 0, 0, 0}; // version, then "not empty"
        bytes.insert(bytes.end(), c.valueBytes.begin(), c.valueBytes.end());
        auto stream = NewStream(docversion::kCurrent, bytes);
        auto value = Create<IGPLong>(CLSID_GPLong);
        EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->Load(stream.Get()), c.hr);
        if (c.hr == S_OK) {
            EXPECT_EQ(Value64(value.Get()), c.value);
            EXPECT_FALSE(IsEmpty(value.Get()));
        }
    }
    auto value = NewLong(1);
    EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->Save(nullptr, 1), E_POINTER);
    EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->Load(nullptr), E_POINTER);
}

TEST_F(GPNumberTest, LongXml) {
    struct Case {
        int64_t value;
        const char16_t* element;
    };
    const Case cases[] = {
        {7, u"<Value "},         {1000000, u"<Value "}, // the double writer may spell it 1e+06; it still reads back
        {INT32_MIN, u"<Value "}, {5000000000, u"<Value64"}, {-5000000000, u"<Value64"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        auto value = NewLong(c.value);
        String xml;
        auto read = XmlCopy(value.Get(), CLSID_GPLong, &xml);
        EXPECT_NE(xml.find(c.element), String::npos) << ToUtf8(xml);
        EXPECT_NE(xml.find(u"GPLong"), String::npos);
        EXPECT_EQ(Value64(read.Get()), c.value);
        EXPECT_TRUE(Equal(read.Get(), value.Get()));
    }
    auto empty = Create<IGPLong>(CLSID_GPLong);
    EXPECT_TRUE(IsEmpty(XmlCopy(empty.Get(), CLSID_GPLong).Get()));

    // A document with neither element is refused.
    String xml;
    XmlCopy(NewLong(7).Get(), CLSID_GPLong, &xml);
    for (size_t at = xml.find(u"Value"); at != String::npos; at = xml.find(u"Value", at))
        xml.replace(at, 5, u"Other");
    auto read = Create<IGPLong>(CLSID_GPLong);
    EXPECT_EQ(TaviXmlDeserialize(xml.c_str(), read.Get()), E_FAIL);
}

// ---- GPDouble ----

TEST_F(GPNumberTest, DoubleTextInDotAndCommaLocales) {
    // Both separators read as the decimal separator in every locale; only the first "other" one is taken.
    struct Case {
        const char16_t* text;
        double value; // NaN: the value must be NaN
        int32_t code;
        const char* why;
    };
    const Case cases[] = {
        {u"1.5", 1.5, 0, "dot"},
        {u"1,5", 1.5, 0, "comma"},
        {u"  -2.25", -2.25, 0, "leading blanks skipped"},
        {u"12abc", 12, 0, "trailing characters ignored"},
        {u"+3e2", 300, 0, "sign and exponent"},
        {u".5", 0.5, 0, "no integer digits"},
        {u"4.9406564584124654e-324", 4.9406564584124654e-324, 0, "smallest subnormal"},
        {u"0x1p4", 16, 0, "hexadecimal"},
        {u"NaN", NAN, 0, "the locale's not-a-number text"},
        {u"abc", 7, 828, "no number"},
        {u"1e999", 7, 828, "overflow"},
        {u"1e-999", 7, 828, "underflow"},
        {u"+-1", 7, 828, "two signs"},
        {u" ", 7, 828, "blanks only"},
    };
    for (LCID lcid : {kEnglishUS, kGerman}) {
        locale::SetUserDefaultLocaleForTesting(lcid);
        for (const auto& c : cases) {
            SCOPED_TRACE(std::to_string(lcid) + " " + c.why);
            auto value = NewDouble(7);
            EXPECT_EQ(SetText(value.Get(), c.text), c.code);
            double stored = ValueOf(value.Get());
            if (std::isnan(c.value)) {
                EXPECT_TRUE(std::isnan(stored));
            } else {
                EXPECT_EQ(stored, c.value);
            }
        }
    }
}

TEST_F(GPNumberTest, DoubleSeparatorSwapTakesOnlyTheFirst) {
    struct Case {
        LCID lcid;
        const char16_t* text;
        double value;
    };
    const Case cases[] = {
        {kEnglishUS, u"1,000.5", 1.0}, // becomes 1.000.5
        {kGerman, u"1.000,5", 1.0},    // becomes 1,000,5
        {kGerman, u"2,5", 2.5},        // a decimal comma is not where reading stops
        {kGerman, u"1.2.3", 1.2},      // becomes 1,2.3
        {kEnglishUS, u"1,2,3", 1.2},   // becomes 1.2,3
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        locale::SetUserDefaultLocaleForTesting(c.lcid);
        auto value = NewDouble(0);
        EXPECT_EQ(SetText(value.Get(), c.text), 0);
        EXPECT_EQ(ValueOf(value.Get()), c.value);
    }
}

TEST_F(GPNumberTest, DoubleAsText) {
    struct Case {
        LCID lcid;
        double value;
        const char16_t* text;
        const char* why;
    };
    const Case cases[] = {
        {kEnglishUS, 1.5, u"1.5", "the locale's text reads back"},
        {kGerman, 1.5, u"1,5", "with the locale's decimal comma"},
        {kEnglishUS, 1.0 / 3, u"0.3333333333333333", "15 digits are too few: shortest round trip"},
        {kGerman, 1.0 / 3, u"0.3333333333333333", "the shortest form always uses a dot"},
        {kEnglishUS, 0.1 + 0.2, u"0.30000000000000004", "17 digits"},
        {kEnglishUS, 1e20, u"1E+20", "the locale's exponent form"},
        {kEnglishUS, -0.0, u"-0", "the sign of zero survives"},
        {kEnglishUS, NAN, u"NaN", "the locale's not-a-number text"},
        {kEnglishUS, INFINITY, u"Infinity", "infinities keep their sign and read back"},
        {kGerman, -INFINITY, u"-Infinity", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.lcid) + " " + c.why);
        locale::SetUserDefaultLocaleForTesting(c.lcid);
        EXPECT_EQ(AsText(NewDouble(c.value).Get()), c.text);
    }
    auto empty = Create<IGPDouble>(CLSID_GPDouble);
    EXPECT_EQ(AsText(empty.Get()), u"");
    EXPECT_EQ(QueryAs<IGPValue>(empty.Get())->GetAsText(nullptr), E_POINTER);
}

TEST_F(GPNumberTest, DoubleTextReadsBackExactly) {
    // Random bit patterns (every exponent) and awkward values: the text form reads back to the same 64 bits in each
    // locale. The thread locale plays no part: only the user default locale does.
    std::mt19937_64 random(20261210);
    std::vector<double> values = {0.1,
                                  1e15,
                                  123456789012345.6,
                                  9007199254740993.0,
                                  5e-324,
                                  2.2250738585072014e-308,
                                  std::numeric_limits<double>::max(),
                                  -std::numeric_limits<double>::min(),
                                  1.0 / 3};
    while (values.size() < 400) {
        double value = std::bit_cast<double>(random());
        if (std::isfinite(value))
            values.push_back(value);
    }
    struct Setting {
        LCID user;
        LCID thread;
    };
    for (auto [user, thread] :
         {Setting{kEnglishUS, kEnglishUS}, Setting{kGerman, kGerman}, Setting{kEnglishUS, kArabicSaudi},
          Setting{kGerman, kThai}, Setting{kArabicSaudi, kArabicSaudi}}) {
        locale::SetUserDefaultLocaleForTesting(user);
        ASSERT_EQ(SetThreadLocale(thread), 1);
        for (double value : values) {
            String text = AsText(NewDouble(value).Get());
            SCOPED_TRACE(std::to_string(user) + "/" + std::to_string(thread) + " " + ToUtf8(text));
            auto read = NewDouble(0);
            EXPECT_EQ(SetText(read.Get(), text.c_str()), 0);
            EXPECT_TRUE(SameBits(ValueOf(read.Get()), value));
            EXPECT_LE(text.size(), 24u);
        }
    }
    locale::SetUserDefaultLocaleForTesting(kEnglishUS);
    SetThreadLocale(kThai);
    EXPECT_EQ(AsText(NewDouble(2.5).Get()), u"2.5");
}

TEST_F(GPNumberTest, DoubleTextIsTheVariantTextOrTheShortestSearch) {
    // Against the rule spelled out the slow way: the variant conversion's text when it reads back (in the locale)
    // to the same 64 bits, else the shortest "%g" text found by search.
    std::mt19937_64 random(7);
    std::vector<double> values = {0.0,
                                  -0.0,
                                  1.0,
                                  0.5,
                                  1024.0,
                                  0x1p-40,
                                  0x1p70,
                                  -0x1p-1022,
                                  1e14,
                                  1e15,
                                  1e16,
                                  123456789012345.0,
                                  1234567890123456.0,
                                  0.0001,
                                  0.00001,
                                  5.6789e-11,
                                  1e-300};
    // Raw bit patterns reach every exponent and the 16- and 17-digit values that take the "%g" path; a quarter of
    // a million of them per locale keeps the test to seconds.
    for (int i = 0; i < 250000; ++i)
        values.push_back(std::bit_cast<double>(random()));
    for (int i = 0; i < 2000; ++i) {
        values.push_back(std::bit_cast<double>(random()));
        values.push_back(std::bit_cast<double>(random() >> 12)); // subnormal
        values.push_back(double(random() % 1000000) * std::pow(10.0, int(random() % 40) - 20));
        values.push_back(double(int64_t(random() >> (random() % 64)))); // integers of every length
    }
    for (LCID lcid : {kEnglishUS, kGerman}) {
        locale::SetUserDefaultLocaleForTesting(lcid);
        for (double value : values) {
            if (!std::isfinite(value))
                continue;
            Variant number = Variant::Double(value);
            Variant text;
            ASSERT_EQ(VariantChangeTypeEx(&text, &number, LOCALE_USER_DEFAULT, 0, VT_BSTR), S_OK);
            String expected(text.bstrVal, SysStringLen(text.bstrVal));
            double back = 0;
            if (!doubletext::Read(expected, back) || !SameBits(back, value))
                expected = ShortestRoundTripText(value);
            SCOPED_TRACE(std::to_string(lcid) + " " + ToUtf8(expected));
            EXPECT_EQ(AsText(NewDouble(value).Get()), expected);
        }
    }
}

// The reading rule spelled out the slow way, for texts without blanks or the not-a-number text: the locale's
// separator and the first occurrence of the other one become '.', a further '.' that is not the locale's separator
// ends the text, and std::from_chars reads what follows an optional sign ("0x": in hexadecimal), ignoring the rest.
bool ReadTheSlowWay(std::u16string_view text, char16_t decimal, double& value) {
    char16_t other = decimal == u'.' ? u',' : u'.';
    std::string narrow;
    bool swapped = false;
    for (char16_t c : text) {
        if (c == decimal || (c == other && !swapped)) {
            swapped = swapped || c == other;
            narrow += '.';
        } else if (c == u'.') {
            break;
        } else {
            narrow += static_cast<char>(c);
        }
    }
    const char* p = narrow.data();
    const char* end = p + narrow.size();
    bool negative = p != end && *p == '-';
    if (p != end && (*p == '-' || *p == '+'))
        ++p;
    if (p != end && (*p == '-' || *p == '+'))
        return false;
    std::from_chars_result read{};
    if (end - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        read = std::from_chars(p + 2, end, value, std::chars_format::hex);
        if (read.ec == std::errc::invalid_argument) {
            value = 0; // "0x" without hexadecimal digits reads as the 0 before it
            read.ec = std::errc();
        }
    } else {
        read = std::from_chars(p, end, value);
    }
    if (read.ec != std::errc())
        return false;
    value = negative ? -value : value;
    return true;
}

TEST_F(GPNumberTest, DoubleReadingAgreesWithTheSlowRule) {
    // The values' own texts (bit patterns, integers, short decimals) and typed ones: up to 21 digits with a
    // separator of either kind anywhere or none, a sign, an exponent, a second separator or a letter after them, with
    // or without digits after that. Short plain texts take a fast path; every text must read as the slow rule reads it,
    // or fail where it fails.
    std::mt19937_64 random(20261211);
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    for (LCID lcid : {kEnglishUS, kGerman}) {
        locale::SetUserDefaultLocaleForTesting(lcid);
        const char16_t decimal = lcid == kGerman ? u',' : u'.';
        std::vector<String> texts;
        for (int i = 0; i < 20000; ++i) {
            for (double value : {std::bit_cast<double>(random()), double(int64_t(random() >> pick(64))),
                                 double(pick(1000000)) * std::pow(10.0, int(pick(30)) - 15)}) {
                char16_t buffer[doubletext::kMaxText];
                if (std::isfinite(value))
                    texts.emplace_back(buffer, doubletext::Format(value, buffer));
            }
            String typed = std::u16string(1, u"+- "[pick(3)]);
            if (typed == u" ")
                typed.clear();
            const size_t digits = 1 + pick(21); // past 19 significant digits the fast reader gives way
            const size_t separatorAt = pick(digits + 2);
            for (size_t d = 0; d <= digits; ++d) { // the separator may also come first or last
                if (d == separatorAt)
                    typed += u".,"[pick(2)];
                if (d < digits)
                    typed += static_cast<char16_t>(u'0' + pick(10));
            }
            if (pick(3) == 0) {
                typed += u"eE"[pick(2)];
                typed += u"+-5"[pick(3)];
                for (char c : std::to_string(pick(2) ? pick(30) : pick(400))) // and past the double range
                    typed += static_cast<char16_t>(c);
            }
            if (pick(4) == 0) {
                typed += u".,x"[pick(3)];
                if (pick(2) == 0)
                    typed += static_cast<char16_t>(u'0' + pick(10));
            }
            texts.push_back(typed);
        }
        for (const String& text : texts) {
            SCOPED_TRACE(std::to_string(lcid) + " " + ToUtf8(text));
            double expected = 0;
            double read = 0;
            const bool readable = ReadTheSlowWay(text, decimal, expected);
            ASSERT_EQ(doubletext::Read(text, read), readable);
            if (readable) {
                ASSERT_TRUE(SameBits(read, expected));
            }
        }
    }
}

TEST_F(GPNumberTest, DoubleFailedTextKeepsTheValue) {
    auto value = Create<IGPDouble>(CLSID_GPDouble);
    EXPECT_EQ(SetText(value.Get(), u"x"), 828);
    EXPECT_TRUE(IsEmpty(value.Get())); // nothing was set
    value->put_Value(2.5);
    EXPECT_EQ(SetText(value.Get(), u"1e999"), 828);
    EXPECT_EQ(ValueOf(value.Get()), 2.5);
    EXPECT_EQ(SetText(value.Get(), u""), 0);
    EXPECT_TRUE(IsEmpty(value.Get()));
    EXPECT_EQ(ValueOf(value.Get()), 0.0);
}

TEST_F(GPNumberTest, Equality) {
    struct Case {
        double a;
        double b;
        bool equal;
    };
    const Case cases[] = {{NAN, NAN, true}, {0.0, -0.0, true}, {1.0, 1.0, true}, {1.0, 2.0, false}, {NAN, 1.0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.a) + " " + std::to_string(c.b));
        EXPECT_EQ(Equal(NewDouble(c.a).Get(), NewDouble(c.b).Get()), c.equal);
    }
    EXPECT_TRUE(Equal(NewLong(5000000000).Get(), NewLong(5000000000).Get()));
    EXPECT_FALSE(Equal(NewLong(5000000000).Get(), NewLong(705032704).Get())); // same low 32 bits
    // Another kind is unequal; an empty value differs from a set zero.
    EXPECT_FALSE(Equal(NewLong(1).Get(), NewDouble(1).Get()));
    EXPECT_FALSE(Equal(Create<IGPDouble>(CLSID_GPDouble).Get(), NewDouble(0).Get()));
    EXPECT_FALSE(Equal(Create<IGPLong>(CLSID_GPLong).Get(), NewLong(0).Get()));
    VARIANT_BOOL equal = VARIANT_TRUE;
    EXPECT_EQ(QueryAs<IClone>(NewLong(1).Get())->IsEqual(nullptr, &equal), E_POINTER);
}

TEST_F(GPNumberTest, CloneAndAssign) {
    for (auto value : {QueryAs<IClone>(NewLong(-5000000000).Get()), QueryAs<IClone>(NewDouble(NAN).Get()),
                       QueryAs<IClone>(Create<IGPDouble>(CLSID_GPDouble).Get())}) {
        ComPtr<IClone> clone;
        ASSERT_EQ(value->Clone(clone.Out()), S_OK);
        EXPECT_TRUE(Equal(clone.Get(), value.Get()));
        EXPECT_EQ(IsEmpty(clone.Get()), IsEmpty(value.Get()));
    }
    auto number = NewLong(3);
    auto real = NewDouble(3);
    EXPECT_EQ(QueryAs<IClone>(number.Get())->Assign(QueryAs<IClone>(real.Get()).Get()), E_INVALIDARG);
    EXPECT_EQ(QueryAs<IClone>(real.Get())->Assign(QueryAs<IClone>(number.Get()).Get()), E_INVALIDARG);
    EXPECT_EQ(Value64(number.Get()), 3);
}

TEST_F(GPNumberTest, DoubleStreamAndXml) {
    for (double v : {0.1, -0.0, 1e308, 5e-324, double(NAN), double(INFINITY)}) {
        SCOPED_TRACE(v);
        auto value = NewDouble(v);
        EXPECT_TRUE(SameBits(ValueOf(StreamCopy(value.Get(), CLSID_GPDouble).Get()), v));
        auto fromXml = XmlCopy(value.Get(), CLSID_GPDouble);
        EXPECT_TRUE(Equal(fromXml.Get(), value.Get()));
        EXPECT_EQ(std::signbit(ValueOf(fromXml.Get())), std::signbit(v));
    }
    auto empty = Create<IGPDouble>(CLSID_GPDouble);
    EXPECT_TRUE(IsEmpty(StreamCopy(empty.Get(), CLSID_GPDouble).Get()));
    EXPECT_TRUE(IsEmpty(XmlCopy(empty.Get(), CLSID_GPDouble).Get()));

    // Versions 0 and 1 read; version 2 is newer than the class knows.
    for (auto [version, hr] : {std::pair{0, S_OK}, {1, S_OK}, {2, E_FAIL}}) {
        auto stream = NewStream();
        AfStreamWrite(stream.Get(), static_cast<uint16_t>(version));
        AfStreamWrite(stream.Get(), int16_t{VARIANT_FALSE});
        AfStreamWrite(stream.Get(), 2.5);
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        auto value = Create<IGPDouble>(CLSID_GPDouble);
        EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->Load(stream.Get()), hr);
        if (hr == S_OK) {
            EXPECT_EQ(ValueOf(value.Get()), 2.5);
        }
    }
}

TEST_F(GPNumberTest, InterfacesAnswered) {
    struct Case {
        REFCLSID clsid;
        IID own;
        const char16_t* className;
    };
    const Case cases[] = {{CLSID_GPLong, IGPLong::iid, u"GPLong"}, {CLSID_GPDouble, IGPDouble::iid, u"GPDouble"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.className));
        auto value = Create<IUnknown>(c.clsid);
        for (const IID& iid : {c.own, IGPVariant::iid, IGPValue::iid, IXMLSerialize::iid, IClone::iid,
                               IPersistStream::iid, IPersist::iid}) {
            ComPtr<IUnknown> answered;
            EXPECT_EQ(value->QueryInterface(iid, answered.OutVoid()), S_OK);
        }
        CLSID clsid{};
        EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->GetClassID(&clsid), S_OK);
        EXPECT_EQ(clsid, c.clsid);
    }
}

} // namespace
} // namespace tavi::test
