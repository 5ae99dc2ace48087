// The unit values GPLinearUnit, GPArealUnit and GPTimeUnit and their data types: every keyword of the three tables,
// the text grammar's edge cases, conversions, values in a coordinate system's units, the stream and XML forms,
// cloning, the older-document replacement of the areal unit, and the data types' validation and value support.
#include "TestData.h"
#include "TestSupport.h"

#include "host/CreateInstance.h"
#include "host/DocumentVersion.h"
#include "host/SpatialReference.h"
#include "host/StreamIO.h"
#include "host/UnitXml.h"
#include "host/Units.h"
#include "host/XmlNamespace.h"
#include "platform/Locale.h"
#include "tavi/Entry.h"
#include "tavi/GPDomains.h"
#include "tavi/GPMessage.h"
#include "tavi/GPScalar.h"
#include "tavi/GPUnits.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

#include <cmath>
#include <limits>
#include <vector>

namespace tavi::test {
namespace {

// ---- an independent copy of the keyword tables: per unit number, the output keyword first ----

using Names = std::vector<std::vector<std::u16string>>;

const Names kLinearNames = {
    {u"Unknown"},
    {u"Inches", u"Inch", u"InchUS", u"InchesUS"},
    {u"Points", u"Point"},
    {u"Feet", u"Foot", u"FootUS", u"FeetUS"},
    {u"Yards", u"Yard", u"YardUS", u"YardsUS"},
    {u"Miles", u"Mile", u"MileUS", u"MilesUS"},
    {u"NauticalMiles", u"NauticalMile", u"NauticalMileUS", u"NauticalMilesUS"},
    {u"Millimeters", u"Millimeter"},
    {u"Centimeters", u"Centimeter"},
    {u"Meters", u"Meter"},
    {u"Kilometers", u"Kilometer"},
    {u"DecimalDegrees", u"DecimalDegree", u"Degree", u"Degrees"},
    {u"Decimeters", u"Decimeter"},
    {u"InchesInt", u"InchInt"},
    {u"FeetInt", u"FootInt"},
    {u"YardsInt", u"YardInt"},
    {u"MilesInt", u"MileInt", u"StatuteMile", u"StatuteMiles"},
    {u"NauticalMilesInt", u"NauticalMileInt"},
};

const Names kArealNames = {
    {u"Unknown"},
    {u"SquareInches", u"SquareInch", u"SquareInchInt", u"SquareInchesInt"},
    {u"SquareFeet", u"SquareFoot", u"SquareFootInt", u"SquareFeetInt"},
    {u"SquareYards", u"SquareYard", u"SquareYardInt", u"SquareYardsInt"},
    {u"Acres", u"Acre", u"AcreInt", u"AcresInt"},
    {u"SquareMiles", u"SquareMile", u"SquareMileInt", u"SquareMilesInt"},
    {u"SquareMillimeters", u"SquareMillimeter"},
    {u"SquareCentimeters", u"SquareCentimeter"},
    {u"SquareDecimeters", u"SquareDecimeter"},
    {u"SquareMeters", u"SquareMeter"},
    {u"Ares", u"Are"},
    {u"Hectares", u"Hectare"},
    {u"SquareKilometers", u"SquareKilometer"},
    {u"SquareInchesUS", u"SquareInchUS"},
    {u"SquareFeetUS", u"SquareFootUS"},
    {u"SquareYardsUS", u"SquareYardUS"},
    {u"AcresUS", u"AcreUS"},
    {u"SquareMilesUS", u"SquareMileUS"},
    {u"SquareNauticalMiles"},
    {u"SquareNauticalMilesUS"},
};

const Names kTimeNames = {
    {u"Unknown"},
    {u"Milliseconds", u"Millisecond"},
    {u"Seconds", u"Second"},
    {u"Minutes", u"Minute"},
    {u"Hours", u"Hour"},
    {u"Days", u"Day"},
    {u"Weeks", u"Week"},
    {u"Months", u"Month"},
    {u"Years", u"Year"},
    {u"Decades", u"Decade"},
    {u"Centuries", u"Century"},
};

struct Kind {
    const char* name;
    CLSID clsid;
    CLSID typeClsid;
    const Names* names;
    int32_t badTextCode;
    int32_t badUnitsCode;
};

const Kind kKinds[] = {
    {"linear", CLSID_GPLinearUnit, CLSID_GPLinearUnitType, &kLinearNames, 799, 817},
    {"areal", CLSID_GPArealUnit, CLSID_GPArealUnitType, &kArealNames, 799, 798},
    {"time", CLSID_GPTimeUnit, CLSID_GPTimeUnitType, &kTimeNames, 1665, 1666},
};

std::u16string Upper(std::u16string text) {
    for (auto& c : text)
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
    return text;
}
std::u16string Lower(std::u16string text) {
    for (auto& c : text)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    return text;
}

// The number and units of any of the three kinds, through its own interface.
struct Reading {
    double value = -1;
    int32_t units = -1;
};
Reading Read(IUnknown* object) {
    Reading r;
    if (auto linear = QueryAs<IGPLinearUnit>(object)) {
        taviUnits units{};
        linear->get_Value(&r.value);
        linear->get_Units(&units);
        r.units = static_cast<int32_t>(units);
    } else if (auto areal = QueryAs<IGPArealUnit>(object)) {
        taviAreaUnits units{};
        areal->get_Value(&r.value);
        areal->get_Units(&units);
        r.units = static_cast<int32_t>(units);
    } else if (auto time = QueryAs<IGPTimeUnit>(object)) {
        taviTimeUnits units{};
        time->get_Value(&r.value);
        time->get_Units(&units);
        r.units = static_cast<int32_t>(units);
    }
    return r;
}

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
// SetAsText: the result and the message's error code (0 when it is no error).
struct TextResult {
    HRESULT hr;
    int32_t code;
};
TextResult SetText(IUnknown* value, const char16_t* text) {
    ComPtr<IGPMessage> message;
    HRESULT hr = QueryAs<IGPValue>(value)->SetAsText(text, message.Out());
    int32_t code = -1;
    if (message) {
        VARIANT_BOOL error = VARIANT_FALSE;
        message->IsError(&error);
        message->get_ErrorCode(&code);
        code = error ? code : 0;
    }
    return {hr, code};
}
bool Equal(IUnknown* a, IUnknown* b) {
    VARIANT_BOOL equal = VARIANT_FALSE;
    EXPECT_EQ(QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal), S_OK);
    return equal != VARIANT_FALSE;
}
ComPtr<IStream> NewStream(const std::vector<uint8_t>& bytes = {}) {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnMemory(bytes.data(), static_cast<ULONG>(bytes.size()), docversion::kCurrent, stream.Out()),
              S_OK);
    return stream;
}

ComPtr<ISpatialReference> SpatialReferenceFrom(const char16_t* text) {
    ComPtr<ISpatialReference> made;
    EXPECT_EQ(CreateSpatialReferenceFromText(text, made.Out()), S_OK);
    return made;
}

// A coded value domain that records the value MemberOf was asked about; its code list is not used here.
class RecordingCodedDomain final : public Object<RecordingCodedDomain, IGPDomain, IGPCodedValueDomain> {
public:
    ComPtr<IGPValue> asked;
    HRESULT MemberOf(IGPValue* value, IGPMessage** message) override {
        asked = ComPtr<IGPValue>(value);
        *message = nullptr;
        return S_OK;
    }
    HRESULT get_CodeCount(int32_t*) override { return E_NOTIMPL; }
    HRESULT get_Name(int32_t, BSTR*) override { return E_NOTIMPL; }
    HRESULT get_Value(int32_t, IGPValue**) override { return E_NOTIMPL; }
    HRESULT FindValue(const OLECHAR*, IGPValue**) override { return E_NOTIMPL; }
    HRESULT AddCode(IGPValue*, const OLECHAR*) override { return E_NOTIMPL; }
    HRESULT AddStringCode(const OLECHAR*, const OLECHAR*) override { return E_NOTIMPL; }
    HRESULT DeleteCode(IGPValue*) override { return E_NOTIMPL; }
    HRESULT Empty() override { return E_NOTIMPL; }
    HRESULT SetCodes(BSTR, BSTR, IGPDataType*) override { return E_NOTIMPL; }
    HRESULT FindName(IGPValue*, BSTR*) override { return E_NOTIMPL; }
};
// The same without the coded value interface.
class RecordingDomain final : public Object<RecordingDomain, IGPDomain> {
public:
    ComPtr<IGPValue> asked;
    HRESULT MemberOf(IGPValue* value, IGPMessage** message) override {
        asked = ComPtr<IGPValue>(value);
        *message = nullptr;
        return S_OK;
    }
};

class GPUnitTest : public ModuleClassesTest {
protected:
    template <class I = IGPValue> static ComPtr<I> Create(REFCLSID clsid) {
        ComPtr<I> made;
        EXPECT_EQ(AfCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, I::iid, made.OutVoid()), S_OK);
        return made;
    }
    template <class I = IGPValue> static ComPtr<I> Made(REFCLSID clsid, const char16_t* text) {
        auto made = Create<I>(clsid);
        EXPECT_EQ(SetText(made.Get(), text).code, 0) << ToUtf8(text);
        return made;
    }
};

// ---- text ----

TEST_F(GPUnitTest, EveryKeywordInAnyCaseReadsAndPrintsItsOutputKeyword) {
    for (const auto& kind : kKinds) {
        for (size_t units = 0; units < kind.names->size(); ++units) {
            const auto& names = (*kind.names)[units];
            for (const auto& name : names) {
                for (const auto& spelled : {name, Upper(name), Lower(name)}) {
                    SCOPED_TRACE(std::string(kind.name) + " " + ToUtf8(spelled));
                    auto value = Create(kind.clsid);
                    EXPECT_EQ(SetText(value.Get(), (u"2.5 " + spelled).c_str()).code, 0);
                    EXPECT_EQ(Read(value.Get()).units, static_cast<int32_t>(units));
                    EXPECT_EQ(AsText(value.Get()), u"2.5 " + names.front());
                    // A keyword alone sets only the units.
                    auto alone = Create(kind.clsid);
                    EXPECT_EQ(SetText(alone.Get(), spelled.c_str()).hr, S_FALSE);
                    EXPECT_EQ(Read(alone.Get()).units, static_cast<int32_t>(units));
                    EXPECT_TRUE(IsEmpty(alone.Get()));
                }
            }
        }
        // A near miss is no keyword: the kinds do not share their tables.
        auto value = Create(kind.clsid);
        EXPECT_EQ(SetText(value.Get(), u"1 Meterss").code, kind.badUnitsCode) << kind.name;
    }
}

TEST_F(GPUnitTest, TextGrammar) {
    struct Case {
        const char16_t* text;
        HRESULT hr;
        int32_t code;
        const char16_t* after; // GetAsText afterwards; every case starts from 5 Feet
        int32_t units;
    };
    const Case cases[] = {
        {u"10 meters", S_OK, 0, u"10 Meters", 9},        // keyword in any case
        {u"10 Meter", S_OK, 0, u"10 Meters", 9},         // a further keyword
        {u"  10   Meters  ", S_OK, 0, u"10 Meters", 9},  // blanks around and between
        {u"Kilometers", S_FALSE, 0, u"", 10},            // a keyword alone empties and sets only the units
        {u"# Kilometers", S_OK, 0, u"5 Kilometers", 10}, // "#" keeps the number
        {u"10 furlongs", S_OK, 817, u"10 Unknown", 0},   // unknown units: error, the number kept
        {u"abc Meters", S_FALSE, 799, u"5 Feet", 3},     // no number: nothing changes
        {u"10abc Meters", S_FALSE, 799, u"5 Feet", 3},   // a number must be the whole token
        {u"10", S_OK, 0, u"10 Unknown", 0},              // a number alone has no units
        {u"   ", S_FALSE, 799, u"5 Feet", 3},            // blanks only
        {u"", S_OK, 0, u"", 0},                          // empty text empties
        {u"3 StatuteMiles", S_OK, 0, u"3 MilesInt", 16}, // the statute mile is the international one
        {u"1,5 Meters", S_OK, 0, u"1.5 Meters", 9},      // a comma serves as decimal separator
        {u"-2.25e3 Yards", S_OK, 0, u"-2250 Yards", 4},  // sign and exponent
        {u"7 Feet and more", S_OK, 0, u"7 Feet", 3},     // further tokens are ignored
        {u"'8' 'Meters'", S_OK, 0, u"8 Meters", 9},      // quoted tokens
        {u"1 M\u00E8ters", S_OK, 817, u"1 Unknown", 0},  // non-ASCII is no keyword
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        auto value = Made(CLSID_GPLinearUnit, u"5 Feet");
        auto result = SetText(value.Get(), c.text);
        EXPECT_EQ(result.hr, c.hr);
        EXPECT_EQ(result.code, c.code);
        EXPECT_EQ(AsText(value.Get()), c.after);
        EXPECT_EQ(Read(value.Get()).units, c.units);
    }
    // "#" on an empty value sets the units and leaves it empty.
    auto empty = Create(CLSID_GPLinearUnit);
    EXPECT_EQ(SetText(empty.Get(), u"# Feet").hr, S_OK);
    EXPECT_TRUE(IsEmpty(empty.Get()));
    EXPECT_EQ(Read(empty.Get()).units, 3);
    // The other kinds report their own codes.
    EXPECT_EQ(SetText(Create(CLSID_GPArealUnit).Get(), u"1 furlongs").code, 798);
    EXPECT_EQ(SetText(Create(CLSID_GPArealUnit).Get(), u"x Acres").code, 799);
    EXPECT_EQ(SetText(Create(CLSID_GPTimeUnit).Get(), u"1 fortnights").code, 1666);
    EXPECT_EQ(SetText(Create(CLSID_GPTimeUnit).Get(), u"x Hours").code, 1665);
    EXPECT_EQ(empty->SetAsText(u"1 Feet", nullptr), E_POINTER);
    EXPECT_EQ(empty->GetAsText(nullptr), E_POINTER);
}

TEST_F(GPUnitTest, NumberTextReadsBackExactly) {
    const double numbers[] = {0.1, 1.0 / 3, 123456789.125, 1e-7, -2.5e21, 0.30000000000000004, 5e-324};
    struct LocaleScope {
        LCID saved = GetUserDefaultLCID();
        ~LocaleScope() { locale::SetUserDefaultLocaleForTesting(saved); }
    } restore;
    for (LCID lcid : {1031u, 1033u}) { // a comma locale, then the tests' own
        for (double number : numbers) {
            locale::SetUserDefaultLocaleForTesting(lcid);
            SCOPED_TRACE(testing::Message() << number << " in " << lcid);
            auto value = Create<IGPLinearUnit>(CLSID_GPLinearUnit);
            value->put_Value(number);
            value->put_Units(taviUnits::Meters);
            auto back = Create(CLSID_GPLinearUnit);
            EXPECT_EQ(SetText(back.Get(), AsText(value.Get()).c_str()).code, 0) << ToUtf8(AsText(value.Get()));
            EXPECT_EQ(Read(back.Get()).value, number);
        }
    }
    // Numbers that are not finite read back too.
    for (double number :
         {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(), std::nan("")}) {
        SCOPED_TRACE(number);
        auto value = Create<IGPLinearUnit>(CLSID_GPLinearUnit);
        value->put_Value(number);
        value->put_Units(taviUnits::Feet);
        auto back = Create(CLSID_GPLinearUnit);
        EXPECT_EQ(SetText(back.Get(), AsText(value.Get()).c_str()).code, 0) << ToUtf8(AsText(value.Get()));
        EXPECT_TRUE(Equal(back.Get(), value.Get()));
    }
}

TEST_F(GPUnitTest, PutValueAndPutUnits) {
    auto value = Create<IGPLinearUnit>(CLSID_GPLinearUnit);
    EXPECT_EQ(value->put_Units(taviUnits::Feet), S_OK);
    EXPECT_TRUE(IsEmpty(value.Get())); // units alone leave it empty
    EXPECT_EQ(QueryAs<IGPLinearUnit2>(value.Get())->put_Units(taviUnits::Yards), S_OK);
    EXPECT_EQ(Read(value.Get()).units, 4);
    EXPECT_EQ(value->put_Value(0), S_OK);
    EXPECT_FALSE(IsEmpty(value.Get()));
    EXPECT_EQ(AsText(value.Get()), u"0 Yards");
    EXPECT_EQ(QueryAs<IGPValue>(value.Get())->Empty(), S_OK);
    EXPECT_EQ(Read(value.Get()).units, 0);
    EXPECT_EQ(Read(value.Get()).value, 0);
    EXPECT_EQ(value->get_Value(nullptr), E_POINTER);
    EXPECT_EQ(value->get_Units(nullptr), E_POINTER);
    EXPECT_EQ(value->get_ConvertedValue(taviUnits::Meters, nullptr), E_POINTER);
}

// ---- conversions ----

TEST_F(GPUnitTest, ConvertedValueUsesTheExactFactors) {
    // Every pair goes through the host's conversions, which UnitsTest checks against the definitions.
    auto linear = Create<IGPLinearUnit>(CLSID_GPLinearUnit);
    linear->put_Value(123.456);
    for (int32_t from = 0; from < kLinearUnitCount; ++from) {
        linear->put_Units(static_cast<taviUnits>(from));
        for (int32_t to = 0; to < kLinearUnitCount; ++to) {
            double got = -1;
            EXPECT_EQ(linear->get_ConvertedValue(static_cast<taviUnits>(to), &got), S_OK);
            EXPECT_EQ(got, ConvertUnits(123.456, static_cast<taviUnits>(from), static_cast<taviUnits>(to)));
        }
    }
    auto areal = Create<IGPArealUnit>(CLSID_GPArealUnit);
    areal->put_Value(123.456);
    for (int32_t from = 0; from < kAreaUnitCount; ++from) {
        areal->put_Units(static_cast<taviAreaUnits>(from));
        for (int32_t to = 0; to < kAreaUnitCount; ++to) {
            double got = -1;
            EXPECT_EQ(areal->get_ConvertedValue(static_cast<taviAreaUnits>(to), &got), S_OK);
            EXPECT_EQ(got, ConvertArea(123.456, static_cast<taviAreaUnits>(from), static_cast<taviAreaUnits>(to)));
        }
    }
    // A few by their definitions, read from text.
    struct Case {
        CLSID clsid;
        const char16_t* text;
        int32_t target;
        double expected;
    };
    const Case cases[] = {
        {CLSID_GPLinearUnit, u"1 InchesInt", 9, 0.0254},    {CLSID_GPLinearUnit, u"3937 FootUS", 9, 1200},
        {CLSID_GPLinearUnit, u"3 StatuteMiles", 14, 15840}, {CLSID_GPArealUnit, u"1 Acres", 9, 4046.8564224},
        {CLSID_GPArealUnit, u"1 Hectares", 10, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        auto value = Made(c.clsid, c.text);
        double got = -1;
        if (auto l = QueryAs<IGPLinearUnit>(value.Get()))
            l->get_ConvertedValue(static_cast<taviUnits>(c.target), &got);
        else
            QueryAs<IGPArealUnit>(value.Get())->get_ConvertedValue(static_cast<taviAreaUnits>(c.target), &got);
        EXPECT_EQ(got, c.expected);
    }
}

TEST_F(GPUnitTest, TimeConvertsWithTwentyEightDayMonths) {
    struct Case {
        double value;
        int32_t from, to;
        double expected;
    };
    const Case cases[] = {
        {1, 8, 5, 336},    // a year is 336 days
        {2, 7, 6, 8},      // two months are eight weeks
        {1, 10, 8, 100},   // centuries to years
        {1, 9, 7, 120},    // decades to months
        {90, 3, 4, 1.5},   // minutes to hours
        {1000, 1, 2, 1},   // milliseconds to seconds, exactly
        {1, 5, 1, 8.64e7}, // days to milliseconds
        {7, 0, 5, 7},      // Unknown source: unchanged
        {7, 5, 0, 7},      // Unknown target: unchanged
        {7, 5, 5, 7},      // the same units
        {2, 5, 99, 48},    // a target outside the enumeration gives hours
        {48, 99, 5, 2},    // a source outside it counts as hours
    };
    auto value = Create<IGPTimeUnit>(CLSID_GPTimeUnit);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << ": " << c.from << " -> " << c.to);
        value->put_Value(c.value);
        value->put_Units(static_cast<taviTimeUnits>(c.from));
        double got = -1;
        EXPECT_EQ(value->get_ConvertedValue(static_cast<taviTimeUnits>(c.to), &got), S_OK);
        EXPECT_EQ(got, c.expected);
    }
}

// ---- coordinate system units ----

TEST_F(GPUnitTest, ValueInSpatialReferenceUnits) {
    const double kUsFoot = 1200.0 / 3937.0;
    const double kDegree = 0.017453292519943295;
    const double kWgs84Radius = (6378137.0 + 6356752.314245179) / 2;
    auto utm = SpatialReferenceFrom(u"EPSG:26911");       // meters
    auto stateplane = SpatialReferenceFrom(u"EPSG:2227"); // US survey feet
    auto wgs84 = SpatialReferenceFrom(u"EPSG:4326");      // degrees
    // A geographic system in grads on a sphere: the angular unit and the axes must both be taken into account.
    auto grads = SpatialReferenceFrom(u"GEOGCS[\"grads\",DATUM[\"sphere\",SPHEROID[\"sphere\",6371000,0]],"
                                      u"PRIMEM[\"Greenwich\",0],UNIT[\"grad\",0.015707963267948967]]");
    const double kGrad = 0.015707963267948967;
    struct Case {
        CLSID clsid;
        const char16_t* text;
        ISpatialReference* system;
        double expected;
    };
    const Case cases[] = {
        {CLSID_GPLinearUnit, u"1.5 Kilometers", utm.Get(), 1500},
        {CLSID_GPLinearUnit, u"1200 Meters", stateplane.Get(), 3937},
        {CLSID_GPLinearUnit, u"10 FeetInt", stateplane.Get(), 3.048 / kUsFoot},
        {CLSID_GPLinearUnit, u"2 DecimalDegrees", wgs84.Get(), 2},
        {CLSID_GPLinearUnit, u"111319.49079327357 Meters", wgs84.Get(), 1}, // a degree at the equator
        {CLSID_GPLinearUnit, u"0.9 DecimalDegrees", grads.Get(), 1},
        {CLSID_GPArealUnit, u"1 SquareKilometers", utm.Get(), 1e6},
        {CLSID_GPArealUnit, u"1 Hectares", stateplane.Get(), 1e4 / (kUsFoot * kUsFoot)},
        {CLSID_GPArealUnit, u"1 SquareKilometers", wgs84.Get(),
         1e6 / (kWgs84Radius * kWgs84Radius) / (kDegree * kDegree)},
        {CLSID_GPArealUnit, u"1 SquareKilometers", grads.Get(), 1e6 / (6371000.0 * 6371000.0) / (kGrad * kGrad)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        auto value = Made<IGPUnitImpl>(c.clsid, c.text);
        double got = -1;
        EXPECT_EQ(value->get_ValueInSpatialReferenceUnits(c.system, &got), S_OK);
        EXPECT_NEAR(got, c.expected, std::fabs(c.expected) * 1e-12);
    }
    // Units Unknown, or an object without a coordinate system: S_FALSE with the value itself.
    auto noUnits = Made<IGPUnitImpl>(CLSID_GPLinearUnit, u"5");
    double got = -1;
    EXPECT_EQ(noUnits->get_ValueInSpatialReferenceUnits(utm.Get(), &got), S_FALSE);
    EXPECT_EQ(got, 5);
    auto meters = Made<IGPUnitImpl>(CLSID_GPLinearUnit, u"5 Meters");
    auto notData = Create(CLSID_GPDouble);
    EXPECT_EQ(meters->get_ValueInSpatialReferenceUnits(notData.Get(), &got), S_FALSE);
    EXPECT_EQ(got, 5);
    EXPECT_EQ(meters->get_ValueInSpatialReferenceUnits(nullptr, &got), E_POINTER);
    EXPECT_EQ(meters->get_ValueInSpatialReferenceUnits(utm.Get(), nullptr), E_POINTER);
}

TEST_F(GPUnitTest, ValueInUnitsOfNamedData) {
    TestData data;
    data.Vector("shp", "parcels.shp", "parcels", wkbPolygon, 2227,
                {{"POLYGON ((0 0, 10 0, 10 10, 0 10, 0 0))", "p", 1, 1, 2001, 1, 1}});
    auto path = Create<IGPString>(CLSID_GPString);
    path->put_Value(FromUtf8(data.Path("parcels.shp")).c_str());
    auto value = Made<IGPUnitImpl>(CLSID_GPLinearUnit, u"1200 Meters");
    double got = -1;
    EXPECT_EQ(value->get_ValueInSpatialReferenceUnits(path.Get(), &got), S_OK);
    EXPECT_NEAR(got, 3937, 1e-9);
    path->put_Value(FromUtf8(data.Path("missing.shp")).c_str());
    EXPECT_EQ(value->get_ValueInSpatialReferenceUnits(path.Get(), &got), S_FALSE);
    EXPECT_EQ(got, 1200);
}

// ---- stream and XML forms ----

TEST_F(GPUnitTest, StreamFormReadsBack) {
    for (const auto& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        // With units, empty, and empty but for its units.
        for (const std::u16string& text : {u"2.5 " + (*kind.names)[1].front(), std::u16string(), (*kind.names)[2][0]}) {
            auto value = Create(kind.clsid);
            SetText(value.Get(), text.c_str());
            auto stream = NewStream();
            ASSERT_EQ(QueryAs<IPersistStream>(value.Get())->Save(stream.Get(), 1), S_OK);
            EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->IsDirty(), S_FALSE);
            uint64_t size = 0;
            stream->Seek(0, STREAM_SEEK_END, &size);
            EXPECT_EQ(size, 2u + 2 + 8 + 4); // version, empty flag, number, units
            stream->Seek(0, STREAM_SEEK_SET, nullptr);
            auto read = Create(kind.clsid);
            ASSERT_EQ(QueryAs<IPersistStream>(read.Get())->Load(stream.Get()), S_OK);
            EXPECT_TRUE(Equal(read.Get(), value.Get()));
            EXPECT_EQ(Read(read.Get()).units, Read(value.Get()).units); // units survive an empty value
        }
    }
}

TEST_F(GPUnitTest, StreamVersionsAndDamage) {
    auto bytes = [](uint16_t version, size_t cut) {
        std::vector<uint8_t> b = {static_cast<uint8_t>(version), static_cast<uint8_t>(version >> 8), 0, 0};
        double number = 4;
        int32_t units = 9;
        const auto* n = reinterpret_cast<const uint8_t*>(&number);
        const auto* u = reinterpret_cast<const uint8_t*>(&units);
        b.insert(b.end(), n, n + 8);
        b.insert(b.end(), u, u + 4);
        b.resize(b.size() - cut);
        return b;
    };
    struct Case {
        uint16_t version;
        size_t cut;
        HRESULT hr;
    };
    const Case cases[] = {{1, 0, S_OK},        {0, 0, S_OK},   {2, 0, E_FAIL},
                          {0xFFFF, 0, E_FAIL}, {1, 2, E_FAIL}, {1, 7, E_FAIL}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "version " << c.version << " cut " << c.cut);
        auto value = Made(CLSID_GPLinearUnit, u"1 Feet");
        auto stream = NewStream(bytes(c.version, c.cut));
        EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->Load(stream.Get()), c.hr);
        if (c.hr == S_OK)
            EXPECT_EQ(AsText(value.Get()), u"4 Meters");
        else
            EXPECT_EQ(Read(value.Get()).units, 3); // a failed read leaves the units
    }
}

TEST_F(GPUnitTest, XmlFormReadsBack) {
    for (const auto& kind : kKinds) {
        for (size_t units = 0; units < kind.names->size(); ++units) {
            const auto& output = (*kind.names)[units].front();
            SCOPED_TRACE(std::string(kind.name) + " " + ToUtf8(output));
            auto value = Made(kind.clsid, (u"-0.125 " + output).c_str());
            BStr xml;
            ASSERT_EQ(TaviXmlSerialize(value.Get(), nullptr, xml.Out()), S_OK);
            EXPECT_NE(xml.view().find(u">" + output + u"</Units>"), std::u16string_view::npos);
            auto read = Create(kind.clsid);
            ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), read.Get()), S_OK);
            EXPECT_TRUE(Equal(read.Get(), value.Get()));
        }
        auto empty = Create(kind.clsid);
        BStr xml;
        ASSERT_EQ(TaviXmlSerialize(empty.Get(), nullptr, xml.Out()), S_OK);
        EXPECT_EQ(xml.view().find(u"<Value"), std::u16string_view::npos) << "no content for an empty value";
        auto read = Made(kind.clsid, u"3");
        ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), read.Get()), S_OK);
        EXPECT_TRUE(IsEmpty(read.Get()));
    }
}

TEST_F(GPUnitTest, XmlUnitsSpellingsAndNamespaces) {
    // Linear and time values take a table keyword in "Units" too; areal values only the host's spellings.
    auto linear = Made(CLSID_GPLinearUnit, u"2 Feet");
    BStr xml;
    ASSERT_EQ(TaviXmlSerialize(linear.Get(), nullptr, xml.Out()), S_OK);
    String edited = xml.str();
    edited.replace(edited.find(u">Feet<"), 6, u">statutemile<");
    auto read = Create(CLSID_GPLinearUnit);
    ASSERT_EQ(TaviXmlDeserialize(edited.c_str(), read.Get()), S_OK);
    EXPECT_EQ(AsText(read.Get()), u"2 MilesInt");

    auto areal = Made(CLSID_GPArealUnit, u"2 Acres");
    ASSERT_EQ(TaviXmlSerialize(areal.Get(), nullptr, xml.Out()), S_OK);
    edited = xml.str();
    edited.replace(edited.find(u">Acres<"), 7, u">acres<");
    read = Create(CLSID_GPArealUnit);
    ASSERT_EQ(TaviXmlDeserialize(edited.c_str(), read.Get()), S_OK);
    EXPECT_EQ(AsText(read.Get()), u"2 Acres"); // spellings in any case
    edited.replace(edited.find(u">acres<"), 7, u">Acre<");
    ASSERT_EQ(TaviXmlDeserialize(edited.c_str(), read.Get()), S_OK);
    EXPECT_EQ(AsText(read.Get()), u"2 Unknown"); // a keyword that is no spelling

    // Namespaces: linear and time follow the document, areal always writes the current one.
    for (const auto& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        auto value = Made(kind.clsid, (u"1 " + (*kind.names)[1].front()).c_str());
        ASSERT_EQ(TaviXmlSerialize(value.Get(), c_xml_ns_tavi_92, xml.Out()), S_OK);
        bool areal = kind.clsid == CLSID_GPArealUnit;
        EXPECT_NE(xml.view().find(areal ? c_xml_ns_tavi : c_xml_ns_tavi_92), std::u16string_view::npos);
        auto back = Create(kind.clsid);
        ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), back.Get()), S_OK);
        EXPECT_TRUE(Equal(back.Get(), value.Get()));
    }
}

TEST_F(GPUnitTest, HostXmlSpellingsReadBack) {
    for (int32_t u = 0; u < kLinearUnitCount; ++u) {
        auto units = static_cast<taviUnits>(u);
        auto text = GeoprocessingUtil::ConvertUnitsToXMLString(units);
        EXPECT_EQ(GeoprocessingUtil::ConvertXMLStringToUnits(Upper(String(text))), units) << u;
    }
    for (int32_t u = 0; u < kAreaUnitCount; ++u) {
        auto units = static_cast<taviAreaUnits>(u);
        EXPECT_EQ(GeoprocessingUtil::ConvertXMLStringToAreaUnits(GeoprocessingUtil::ConvertAreaUnitsToXMLString(units)),
                  units)
            << u;
    }
    for (int32_t u = 0; u <= 10; ++u) {
        auto units = static_cast<taviTimeUnits>(u);
        EXPECT_EQ(CartoXTimeHelpers::ConvertXMLStringToTimeUnits(CartoXTimeHelpers::ConvertTimeUnitsToXMLString(units)),
                  units)
            << u;
    }
    EXPECT_EQ(GeoprocessingUtil::ConvertUnitsToXMLString(static_cast<taviUnits>(99)), u"Unknown");
    EXPECT_EQ(GeoprocessingUtil::ConvertXMLStringToUnits(u"furlongs"), taviUnits::Unknown);
}

// ---- cloning and older documents ----

TEST_F(GPUnitTest, AssignAndEquality) {
    auto a = Made(CLSID_GPLinearUnit, u"10 Feet");
    auto b = Made(CLSID_GPLinearUnit, u"10 Feet");
    EXPECT_TRUE(Equal(a.Get(), b.Get()));
    struct Case {
        CLSID clsid;
        const char16_t* text;
    };
    const Case different[] = {
        {CLSID_GPLinearUnit, u"10 FeetInt"}, // other units
        {CLSID_GPLinearUnit, u"10.000000000000002 Feet"},
        {CLSID_GPLinearUnit, u"Feet"},         // empty with the same units
        {CLSID_GPArealUnit, u"10 SquareFeet"}, // another kind
        {CLSID_GPDouble, u"10"},
    };
    for (const auto& c : different) {
        SCOPED_TRACE(ToUtf8(c.text));
        auto other = Create(c.clsid);
        SetText(other.Get(), c.text);
        EXPECT_FALSE(Equal(a.Get(), other.Get()));
    }
    auto nan = Create<IGPLinearUnit>(CLSID_GPLinearUnit);
    nan->put_Value(std::nan(""));
    ComPtr<IClone> copy;
    ASSERT_EQ(QueryAs<IClone>(nan.Get())->Clone(copy.Out()), S_OK);
    EXPECT_TRUE(Equal(copy.Get(), nan.Get()));

    auto target = Made(CLSID_GPLinearUnit, u"1 Meters");
    EXPECT_EQ(QueryAs<IClone>(target.Get())->Assign(QueryAs<IClone>(Made(CLSID_GPTimeUnit, u"1 Hours").Get()).Get()),
              E_INVALIDARG);
    EXPECT_EQ(AsText(target.Get()), u"1 Meters");
    auto unitsOnly = Create(CLSID_GPLinearUnit);
    SetText(unitsOnly.Get(), u"Yards");
    ASSERT_EQ(QueryAs<IClone>(target.Get())->Assign(QueryAs<IClone>(unitsOnly.Get()).Get()), S_OK);
    EXPECT_TRUE(IsEmpty(target.Get()));
    EXPECT_EQ(Read(target.Get()).units, 4);
}

TEST_F(GPUnitTest, ArealUnitBecomesADoubleForOlderDocuments) {
    auto areal = Made<IDocumentVersionSupport>(CLSID_GPArealUnit, u"2.5 Acres");
    VARIANT_BOOL supported = VARIANT_TRUE;
    EXPECT_EQ(areal->IsSupportedAtVersion(1, &supported), S_OK);
    EXPECT_FALSE(supported);
    EXPECT_EQ(areal->IsSupportedAtVersion(2, &supported), S_OK);
    EXPECT_TRUE(supported);
    ComPtr<IUnknown> replacement;
    ASSERT_EQ(areal->ConvertToSupportedObject(1, replacement.Out()), S_OK);
    auto number = QueryAs<IGPDouble>(replacement.Get());
    ASSERT_TRUE(number);
    double value = 0;
    number->get_Value(&value);
    EXPECT_EQ(value, 2.5);
    // An empty area stays empty.
    auto empty = Create<IDocumentVersionSupport>(CLSID_GPArealUnit);
    ASSERT_EQ(empty->ConvertToSupportedObject(1, replacement.Out()), S_OK);
    EXPECT_TRUE(IsEmpty(replacement.Get()));
    EXPECT_FALSE(QueryAs<IDocumentVersionSupport>(Create(CLSID_GPLinearUnit).Get()));
}

// ---- data types ----

TEST_F(GPUnitTest, DataTypesNamesAndValues) {
    struct Case {
        CLSID clsid;
        const char16_t* name;
        const char16_t* display;
        CLSID valueClsid;
    };
    const Case cases[] = {
        {CLSID_GPLinearUnitType, u"GPLinearUnit", u"Linear Unit", CLSID_GPLinearUnit},
        {CLSID_GPArealUnitType, u"GPArealUnit", u"Areal Unit", CLSID_GPArealUnit},
        {CLSID_GPTimeUnitType, u"GPTimeUnit", u"Time Unit", CLSID_GPTimeUnit},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.name));
        auto type = Create<IGPDataType>(c.clsid);
        BStr text;
        type->get_Name(text.Out());
        EXPECT_EQ(text.str(), c.name);
        type->get_DisplayName(text.Out());
        EXPECT_EQ(text.str(), c.display);
        ComPtr<IGPValue> value;
        EXPECT_EQ(type->CreateValue(u"3 furlongs", value.Out()), S_FALSE); // the value could not read its units
        CLSID made{};
        QueryAs<IPersistStream>(value.Get())->GetClassID(&made);
        EXPECT_EQ(made, c.valueClsid);
    }
}

TEST_F(GPUnitTest, DataTypesValidate) {
    auto errorOf = [](IGPMessage* message) {
        VARIANT_BOOL error = VARIANT_FALSE;
        message->IsError(&error);
        return error != VARIANT_FALSE;
    };
    for (const auto& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        auto type = Create<IGPDataType>(kind.typeClsid);
        for (const auto& other : kKinds) {
            ComPtr<IGPMessage> message;
            ASSERT_EQ(type->ValidateDataType(Create<IGPDataType>(other.typeClsid).Get(), message.Out()), S_OK);
            EXPECT_EQ(errorOf(message.Get()), &other != &kind) << other.name;
            ComPtr<IGPMessage> valueMessage;
            auto value = Made(other.clsid, u"1");
            ASSERT_EQ(type->ValidateValue(value.Get(), nullptr, valueMessage.Out()), S_OK);
            EXPECT_EQ(errorOf(valueMessage.Get()), &other != &kind) << other.name;
        }
        struct Plain {
            CLSID typeClsid, valueClsid;
            bool accepted;
        };
        const Plain plain[] = {{CLSID_GPDoubleType, CLSID_GPDouble, true},
                               {CLSID_GPLongType, CLSID_GPLong, true},
                               {CLSID_GPStringType, CLSID_GPString, false}};
        for (const auto& p : plain) {
            ComPtr<IGPMessage> message;
            ASSERT_EQ(type->ValidateDataType(Create<IGPDataType>(p.typeClsid).Get(), message.Out()), S_OK);
            EXPECT_EQ(errorOf(message.Get()), !p.accepted);
            ASSERT_EQ(type->ValidateValue(Made(p.valueClsid, u"4").Get(), nullptr, message.Out()), S_OK);
            EXPECT_EQ(errorOf(message.Get()), !p.accepted);
        }
        ComPtr<IGPMessage> message;
        EXPECT_EQ(type->ValidateValue(nullptr, nullptr, message.Out()), E_POINTER);
        EXPECT_EQ(type->ValidateDataType(type.Get(), nullptr), E_POINTER);
    }
}

TEST_F(GPUnitTest, CodedValueDomainSeesOnlyTheUnits) {
    auto type = Create<IGPDataType>(CLSID_GPLinearUnitType);
    auto value = Made(CLSID_GPLinearUnit, u"12 Feet");
    auto coded = MakeObject<RecordingCodedDomain>();
    ComPtr<IGPMessage> message;
    ASSERT_EQ(type->ValidateValue(value.Get(), coded.Get(), message.Out()), S_OK);
    ASSERT_TRUE(coded->asked);
    EXPECT_FALSE(SameObject(coded->asked.Get(), value.Get()));
    EXPECT_EQ(AsText(coded->asked.Get()), u"0 Feet"); // the number left out, the keyword readable after the blank
    coded->asked = nullptr;
    // Another domain, or a plain number against a coded domain, sees the value itself.
    auto plain = MakeObject<RecordingDomain>();
    ASSERT_EQ(type->ValidateValue(value.Get(), plain.Get(), message.Out()), S_OK);
    EXPECT_TRUE(SameObject(plain->asked.Get(), value.Get()));
    plain->asked = nullptr;
    auto number = Made(CLSID_GPDouble, u"12");
    ASSERT_EQ(type->ValidateValue(number.Get(), coded.Get(), message.Out()), S_OK);
    EXPECT_TRUE(SameObject(coded->asked.Get(), number.Get()));
    coded->asked = nullptr;
}

TEST_F(GPUnitTest, ACodedValueDomainOfUnitKeywordsAcceptsTheUnitsWhateverTheNumber) {
    auto type = Create<IGPDataType>(CLSID_GPLinearUnitType);
    auto coded = Create<IGPCodedValueDomain>(CLSID_GPCodedValueDomain);
    ASSERT_EQ(coded->AddStringCode(u"Meters", u"Meters"), S_OK);
    ASSERT_EQ(coded->AddStringCode(u"feet", u"feet"), S_OK);
    auto domain = QueryAs<IGPDomain>(coded.Get());
    for (auto [text, member] : {std::pair{u"12 Feet", true}, {u"0.5 meter", true}, {u"12 Yards", false}}) {
        SCOPED_TRACE(ToUtf8(text));
        ComPtr<IGPMessage> message;
        EXPECT_EQ(type->ValidateValue(Made(CLSID_GPLinearUnit, text).Get(), domain.Get(), message.Out()),
                  member ? S_OK : S_FALSE);
    }
}

TEST_F(GPUnitTest, ValueSupportNamesTheUnitsOfAnEmptyValue) {
    struct Case {
        CLSID typeClsid, valueClsid;
        const char16_t* text;
        HRESULT hr;
        const char16_t* support;
    };
    const Case cases[] = {
        {CLSID_GPLinearUnitType, CLSID_GPLinearUnit, u"Feet", S_OK, u"<value-support unit='Feet'/>"},
        {CLSID_GPArealUnitType, CLSID_GPArealUnit, u"hectare", S_OK, u"<value-support unit='Hectares'/>"},
        {CLSID_GPTimeUnitType, CLSID_GPTimeUnit, u"", S_OK, u"<value-support unit='Unknown'/>"},
        {CLSID_GPLinearUnitType, CLSID_GPLinearUnit, u"3 Feet", S_FALSE, nullptr}, // not empty
        {CLSID_GPLinearUnitType, CLSID_GPTimeUnit, u"Hours", S_FALSE, nullptr},    // another kind
        {CLSID_GPTimeUnitType, CLSID_GPDouble, u"", S_FALSE, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        auto support = Create<IGPValueUISupport>(c.typeClsid);
        auto value = Create(c.valueClsid);
        SetText(value.Get(), c.text);
        BStr text;
        EXPECT_EQ(support->GetValueSupport(value.Get(), text.Out()), c.hr);
        EXPECT_EQ(text.str(), c.support ? c.support : u"");
    }
    auto support = Create<IGPValueUISupport>(CLSID_GPLinearUnitType);
    BStr text;
    EXPECT_EQ(support->GetValueSupport(nullptr, text.Out()), E_POINTER);
    EXPECT_EQ(support->GetValueSupport(Create(CLSID_GPLinearUnit).Get(), nullptr), E_POINTER);
}

} // namespace
} // namespace tavi::test
