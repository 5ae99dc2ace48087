// The spatial reference and coordinate system values: the eight-field text and which fields a reference prints,
// texts read back to equal references from codes, well-known text, projection files and datasets, bad texts, the
// shared and copied references, the stream form (with the older version 2), the XML form, and the data types.
#include "TestData.h"
#include "TestSupport.h"

#include "host/CreateInstance.h"
#include "host/DocumentVersion.h"
#include "host/SpatialReference.h"
#include "host/StreamIO.h"
#include "platform/Locale.h"
#include "tavi/Entry.h"
#include "tavi/GPSpatialReferenceValues.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"
#include "values/GPSpatialReference.h"

#include <vector>

namespace tavi::test {
namespace {

std::vector<String> Fields(std::u16string_view text) {
    std::vector<String> fields;
    size_t start = 0;
    for (size_t end; (end = text.find(u';', start)) != std::u16string_view::npos; start = end + 1)
        fields.emplace_back(text.substr(start, end - start));
    fields.emplace_back(text.substr(start));
    return fields;
}

class GPSpatialReferenceTest : public ModuleClassesTest {
protected:
    static void SetUpTestSuite() {
        data_ = new TestData();
        data_->Prj("utm.prj", 32611);
        data_->Vector("shp", "wells.shp", "wells", wkbPoint, 32633, {{"POINT (10 50)", "a", 1, 1, 2001, 1, 1}});
        data_->Raster("dem.tif", 4, 4, 10, 0, 40, 3857);
    }
    static void TearDownTestSuite() {
        delete data_;
        data_ = nullptr;
    }

    static String P(const std::string& relative) { return FromUtf8(data_->Path(relative)); }

    static ComPtr<ISpatialReference> Reference(const char16_t* text) {
        ComPtr<ISpatialReference> made;
        EXPECT_EQ(CreateSpatialReferenceFromText(text, made.Out()), S_OK);
        return made;
    }
    // A value from text; the message's code in `code`.
    static ComPtr<IGPValue> FromText(std::u16string_view text, REFCLSID clsid = CLSID_GPSpatialReference,
                                     int32_t* code = nullptr) {
        auto value = Create<IGPValue>(clsid);
        ComPtr<IGPMessage> message;
        EXPECT_EQ(value->SetAsText(String(text).c_str(), message.Out()), S_OK);
        EXPECT_TRUE(message);
        int32_t got = -1;
        message->get_ErrorCode(&got);
        if (code)
            *code = got;
        else
            EXPECT_EQ(got, 0) << ToUtf8(text);
        return value;
    }
    static ComPtr<IGPValue> Holding(ISpatialReference* sr, REFCLSID clsid = CLSID_GPSpatialReference) {
        auto value = Create<IGPValue>(clsid);
        EXPECT_EQ(QueryAs<IGPCoordinateSystem>(value.Get())->putref_CoordinateSystem(sr), S_OK);
        return value;
    }
    static String Text(IGPValue* value) {
        BStr text;
        EXPECT_EQ(value->GetAsText(text.Out()), S_OK);
        return text.str();
    }
    static ComPtr<ISpatialReference> Held(IGPValue* value) {
        ComPtr<ISpatialReference> sr;
        EXPECT_EQ(QueryAs<IGPCoordinateSystem>(value)->get_CoordinateSystem(sr.Out()), S_OK);
        return sr;
    }
    static bool IsEmpty(IGPValue* value) {
        VARIANT_BOOL empty = 0;
        EXPECT_EQ(value->IsEmpty(&empty), S_OK);
        return empty != VARIANT_FALSE;
    }
    static bool Equal(IGPValue* a, IGPValue* b) {
        VARIANT_BOOL equal = VARIANT_FALSE;
        EXPECT_EQ(QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal), S_OK);
        return equal != VARIANT_FALSE;
    }
    static ComPtr<IStream> NewStream() {
        ComPtr<IStream> stream;
        EXPECT_EQ(CreateStreamOnMemory(nullptr, 0, docversion::kCurrent, stream.Out()), S_OK);
        return stream;
    }
    static void Rewind(IStream* stream) { ASSERT_EQ(stream->Seek(0, STREAM_SEEK_SET, nullptr), S_OK); }

    // A projected reference with every group defined and changed from the derived values, in low precision.
    static ComPtr<ISpatialReference> FullyCustomised() {
        auto sr = Reference(u"EPSG:26911");
        EXPECT_EQ(sr->SetFalseOriginAndUnits(-5120900, -9998100, 450445547.3910538), S_OK);
        EXPECT_EQ(sr->SetZFalseOriginAndUnits(-100000, 10000), S_OK);
        EXPECT_EQ(sr->SetMFalseOriginAndUnits(-0.5, 1000.125), S_OK);
        EXPECT_EQ(sr->put_XYTolerance(0.0254), S_OK);
        EXPECT_EQ(sr->put_ZTolerance(0.003), S_OK);
        EXPECT_EQ(sr->put_MTolerance(1.0 / 3), S_OK);
        EXPECT_EQ(sr->put_IsHighPrecision(VARIANT_FALSE), S_OK);
        return sr;
    }

    static TestData* data_;
};

TestData* GPSpatialReferenceTest::data_ = nullptr;

TEST_F(GPSpatialReferenceTest, FieldsPresentFollowTheReferencesPrecision) {
    auto xyOnly = Reference(u"EPSG:4326");
    auto withZ = Reference(u"EPSG:26911");
    ASSERT_EQ(withZ->SetZDomain(-1000, 9000), S_OK);
    auto full = FullyCustomised();
    struct Case {
        const char* reason;
        ISpatialReference* sr;
        const char16_t* expected[7]; // fields 2..8; null: any text but "#"
    };
    const Case cases[] = {
        {"geographic, no Z or M",
         xyOnly.Get(),
         {u"-400 -400 1000000000", u"#", u"#", nullptr, u"#", u"#", u"IsHighPrecision"}},
        {"Z without M", withZ.Get(), {nullptr, nullptr, u"#", nullptr, nullptr, u"#", u"IsHighPrecision"}},
        {"XY, Z and M, low precision",
         full.Get(),
         {u"-5120900 -9998100 450445547.3910538", u"-100000 10000", u"-0.5 1000.125", u"0.0254", u"0.003", nullptr,
          u"IsLowPrecision"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto value = Holding(c.sr);
        String text = Text(value.Get());
        auto fields = Fields(text);
        ASSERT_EQ(fields.size(), 8u) << ToUtf8(text);
        BStr wkt;
        ASSERT_EQ(c.sr->ExportToWKT(wkt.Out()), S_OK);
        EXPECT_EQ(fields[0], wkt.view());
        for (size_t i = 0; i < 7; ++i) {
            SCOPED_TRACE("field " + std::to_string(i + 2));
            if (c.expected[i])
                EXPECT_EQ(ToUtf8(fields[i + 1]), ToUtf8(c.expected[i]));
            else
                EXPECT_NE(fields[i + 1], u"#");
        }
    }
}

TEST_F(GPSpatialReferenceTest, EmptyValuePrintsNothing) {
    for (REFCLSID clsid : {CLSID_GPSpatialReference, CLSID_GPCoordinateSystem}) {
        auto value = Create<IGPValue>(clsid);
        EXPECT_TRUE(IsEmpty(value.Get()));
        EXPECT_EQ(Text(value.Get()), u"");
        auto emptied = Holding(Reference(u"4326").Get(), clsid);
        EXPECT_FALSE(IsEmpty(emptied.Get()));
        ASSERT_EQ(emptied->Empty(), S_OK);
        EXPECT_TRUE(IsEmpty(emptied.Get()));
        EXPECT_FALSE(Held(emptied.Get()));
    }
}

TEST_F(GPSpatialReferenceTest, TextReadsBackToAnEqualReference) {
    auto full = FullyCustomised();
    BStr fullWkt;
    ASSERT_EQ(full->ExportToWKT(fullWkt.Out()), S_OK);
    struct Case {
        const char* reason;
        String text;
        int32_t expectedCode; // the factory code the text resolves to
    };
    const Case cases[] = {
        {"authority code", u"EPSG:26911", 26911},      {"bare code with blanks", u"  4326 ", 4326},
        {"well-known text", fullWkt.str(), 26911},     {"projection file", P("utm.prj"), 32611},
        {"feature class path", P("wells.shp"), 32633}, {"raster path", P("dem.tif"), 3857},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto value = FromText(c.text);
        ASSERT_FALSE(IsEmpty(value.Get()));
        int32_t code = 0;
        Held(value.Get())->get_FactoryCode(&code);
        EXPECT_EQ(code, c.expectedCode);
        auto again = FromText(Text(value.Get()));
        EXPECT_TRUE(Equal(again.Get(), value.Get())) << ToUtf8(Text(value.Get()));
        EXPECT_EQ(Text(again.Get()), Text(value.Get()));
    }
    // Every group, tolerance and the precision flag survive the text, in a comma locale too.
    struct LocaleScope {
        LCID saved = GetUserDefaultLCID();
        ~LocaleScope() { locale::SetUserDefaultLocaleForTesting(saved); }
    } restore;
    for (LCID lcid : {1031u, 1033u}) {
        SCOPED_TRACE(lcid);
        locale::SetUserDefaultLocaleForTesting(lcid);
        auto custom = Holding(full.Get());
        auto read = FromText(Text(custom.Get()));
        EXPECT_TRUE(SameSpatialReference(Held(read.Get()).Get(), full.Get(), true)) << ToUtf8(Text(read.Get()));
    }
    // The fields are applied over the resolved reference: a code with domains given after it.
    auto coded = FromText(u"EPSG:26911;-5120900 -9998100 450445547.3910538;#;#;0.0254;#;#;IsLowPrecision");
    double x = 0, y = 0, units = 0, tolerance = 0;
    VARIANT_BOOL high = VARIANT_TRUE;
    Held(coded.Get())->GetFalseOriginAndUnits(&x, &y, &units);
    Held(coded.Get())->get_XYTolerance(&tolerance);
    Held(coded.Get())->get_IsHighPrecision(&high);
    EXPECT_EQ(x, -5120900);
    EXPECT_EQ(units, 450445547.3910538);
    EXPECT_EQ(tolerance, 0.0254);
    EXPECT_EQ(high, VARIANT_FALSE);
}

TEST_F(GPSpatialReferenceTest, BadTextIsAnErrorMessageAndEmptiesTheValue) {
    const struct {
        const char* reason;
        String text;
    } cases[] = {
        {"names nothing", u"no such coordinate system"},
        {"missing projection file", P("missing.prj")},
        {"missing dataset", P("missing.shp")},
        {"group that does not read", u"EPSG:4326;a b c"},
        {"too few numbers", u"EPSG:4326;-400 -400"},
        {"units not positive", u"EPSG:4326;0 0 -1"},
        {"tolerance not a number", u"EPSG:4326;#;#;#;fine;#;#;IsHighPrecision"},
        {"unknown precision keyword", u"EPSG:4326;#;#;#;#;#;#;IsMediumPrecision"},
        {"bad first field", u"nothing;-400 -400 1000000000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto value = Holding(Reference(u"4326").Get());
        ComPtr<IGPMessage> message;
        ASSERT_EQ(value->SetAsText(c.text.c_str(), message.Out()), S_OK);
        int32_t type = 0, code = 0;
        message->get_Type(&type);
        message->get_ErrorCode(&code);
        EXPECT_EQ(type, 100);
        EXPECT_EQ(code, 701);
        EXPECT_TRUE(IsEmpty(value.Get()));
    }
}

TEST_F(GPSpatialReferenceTest, ReferenceIsSharedByPutrefAndCopiedByClone) {
    auto sr = Reference(u"EPSG:26911");
    auto value = Create<IGPSpatialReference>(CLSID_GPSpatialReference);
    EXPECT_EQ(value->get_SpatialReference(nullptr), E_POINTER);
    ASSERT_EQ(value->putref_SpatialReference(sr.Get()), S_OK);
    ComPtr<ISpatialReference> got;
    ASSERT_EQ(value->get_SpatialReference(got.Out()), S_OK);
    EXPECT_EQ(got.Get(), sr.Get());

    ComPtr<IClone> clone;
    ASSERT_EQ(QueryAs<IClone>(value.Get())->Clone(clone.Out()), S_OK);
    auto cloneDomain = QueryAs<IGPXYDomain>(clone.Get());
    ASSERT_EQ(cloneDomain->PutXYDomain(0, 0, 1000, 1000), S_OK);
    double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
    ASSERT_EQ(QueryAs<IGPXYDomain>(value.Get())->QueryXYDomain(&xmin, &ymin, &xmax, &ymax), S_OK);
    EXPECT_NE(xmin, 0); // the source's reference did not move
    EXPECT_FALSE(Equal(QueryAs<IGPValue>(clone.Get()).Get(), QueryAs<IGPValue>(value.Get()).Get()));

    ASSERT_EQ(value->putref_SpatialReference(nullptr), S_OK);
    EXPECT_TRUE(IsEmpty(QueryAs<IGPValue>(value.Get()).Get()));
    EXPECT_EQ(QueryAs<IGPXYDomain>(value.Get())->QueryXYDomain(&xmin, &ymin, &xmax, &ymax), S_FALSE);
    EXPECT_EQ(QueryAs<IGPXYDomain>(value.Get())->PutXYDomain(0, 0, 1, 1), E_FAIL);
}

TEST_F(GPSpatialReferenceTest, DomainsGoThroughTheHeldReference) {
    auto sr = Reference(u"EPSG:26911");
    auto value = Holding(sr.Get());
    auto z = QueryAs<IGPZDomain>(value.Get());
    double zmin = 1, zmax = 1;
    EXPECT_EQ(z->QueryZDomain(&zmin, &zmax), S_FALSE); // no Z precision yet
    EXPECT_EQ(z->PutZDomain(5, 1), E_INVALIDARG);
    ASSERT_EQ(z->PutZDomain(-50, 950), S_OK);
    ASSERT_EQ(z->QueryZDomain(&zmin, &zmax), S_OK);
    EXPECT_EQ(zmin, -50);
    EXPECT_NEAR(zmax, 950, 1e-6);
    VARIANT_BOOL has = VARIANT_FALSE;
    sr->HasZPrecision(&has);
    EXPECT_EQ(has, VARIANT_TRUE);
    EXPECT_NE(Fields(Text(value.Get()))[2], u"#");
}

TEST_F(GPSpatialReferenceTest, ToolTipIsTheCoordinateSystemName) {
    for (REFCLSID clsid : {CLSID_GPSpatialReference, CLSID_GPCoordinateSystem}) {
        auto value = Holding(Reference(u"EPSG:4326").Get(), clsid);
        BStr tip;
        ASSERT_EQ(QueryAs<IGPToolTip>(value.Get())->get_ToolTip(tip.Out()), S_OK);
        EXPECT_EQ(tip.view(), u"WGS 84");
        ASSERT_EQ(value->Empty(), S_OK);
        ASSERT_EQ(QueryAs<IGPToolTip>(value.Get())->get_ToolTip(tip.Out()), S_OK);
        EXPECT_EQ(tip.view(), u"");
    }
}

TEST_F(GPSpatialReferenceTest, CoordinateSystemTextIsTheWellKnownText) {
    auto value = FromText(u"EPSG:32611", CLSID_GPCoordinateSystem);
    BStr wkt;
    ASSERT_EQ(Held(value.Get())->ExportToWKT(wkt.Out()), S_OK);
    EXPECT_EQ(Text(value.Get()), wkt.view());
    EXPECT_TRUE(Equal(FromText(Text(value.Get()), CLSID_GPCoordinateSystem).Get(), value.Get()));
    // A spatial reference's text gives its coordinate system; the domains are no part of the comparison.
    auto sr = Holding(FullyCustomised().Get());
    auto fromSrText = FromText(Text(sr.Get()), CLSID_GPCoordinateSystem);
    EXPECT_TRUE(Equal(fromSrText.Get(), Holding(Reference(u"EPSG:26911").Get(), CLSID_GPCoordinateSystem).Get()));
    EXPECT_TRUE(Equal(FromText(P("utm.prj"), CLSID_GPCoordinateSystem).Get(), value.Get()));
    int32_t code = 0;
    auto bad = FromText(u"EPSG:0", CLSID_GPCoordinateSystem, &code);
    EXPECT_EQ(code, 701);
    EXPECT_TRUE(IsEmpty(bad.Get()));
}

TEST_F(GPSpatialReferenceTest, StreamFormReadsBack) {
    for (REFCLSID clsid : {CLSID_GPSpatialReference, CLSID_GPCoordinateSystem}) {
        for (bool empty : {false, true}) {
            SCOPED_TRACE(empty ? "empty" : "full");
            auto value = empty ? Create<IGPValue>(clsid) : Holding(FullyCustomised().Get(), clsid);
            auto stream = NewStream();
            ASSERT_EQ(QueryAs<IPersistStream>(value.Get())->Save(stream.Get(), 1), S_OK);
            Rewind(stream.Get());
            int16_t version = 0;
            ASSERT_EQ(AfStreamRead(stream.Get(), &version), S_OK);
            EXPECT_EQ(version, 3);
            Rewind(stream.Get());
            auto read = Holding(Reference(u"4326").Get(), clsid);
            ASSERT_EQ(QueryAs<IPersistStream>(read.Get())->Load(stream.Get()), S_OK);
            EXPECT_EQ(IsEmpty(read.Get()), empty);
            EXPECT_TRUE(Equal(read.Get(), value.Get()));
            if (!empty) {
                EXPECT_TRUE(SameSpatialReference(Held(read.Get()).Get(), Held(value.Get()).Get(), true));
            }
        }
    }
}

TEST_F(GPSpatialReferenceTest, OlderAndNewerStreams) {
    auto sr = FullyCustomised();
    // Version 2: the same form with one more 16-bit value after the object.
    auto stream = NewStream();
    ASSERT_EQ(AfStreamWrite(stream.Get(), int16_t{2}), S_OK);
    ASSERT_EQ(AfStreamWrite(stream.Get(), int16_t{VARIANT_FALSE}), S_OK); // the base part: not empty
    ASSERT_EQ(SaveObject(sr.Get(), stream.Get(), false), S_OK);
    ASSERT_EQ(AfStreamWrite(stream.Get(), int16_t{77}), S_OK);
    ASSERT_EQ(AfStreamWrite(stream.Get(), int32_t{0x600DF00D}), S_OK); // what follows the value
    Rewind(stream.Get());
    auto read = Create<IGPValue>(CLSID_GPSpatialReference);
    ASSERT_EQ(QueryAs<IPersistStream>(read.Get())->Load(stream.Get()), S_OK);
    EXPECT_TRUE(SameSpatialReference(Held(read.Get()).Get(), sr.Get(), true));
    int32_t after = 0;
    ASSERT_EQ(AfStreamRead(stream.Get(), &after), S_OK);
    EXPECT_EQ(after, 0x600DF00D);

    // Version 4 is refused; a stream cut inside the object fails too.
    for (int16_t version : {int16_t{4}, int16_t{3}}) {
        auto bad = NewStream();
        AfStreamWrite(bad.Get(), version);
        AfStreamWrite(bad.Get(), int16_t{VARIANT_FALSE});
        AfStreamWrite(bad.Get(), CLSID{SpatialReference::kClassId});
        Rewind(bad.Get());
        EXPECT_EQ(QueryAs<IPersistStream>(read.Get())->Load(bad.Get()), E_FAIL);
    }
}

TEST_F(GPSpatialReferenceTest, XmlFormReadsBack) {
    for (REFCLSID clsid : {CLSID_GPSpatialReference, CLSID_GPCoordinateSystem}) {
        for (bool empty : {false, true}) {
            SCOPED_TRACE(empty ? "empty" : "full");
            auto value = empty ? Create<IGPValue>(clsid) : Holding(FullyCustomised().Get(), clsid);
            BStr xml;
            ASSERT_EQ(TaviXmlSerialize(value.Get(), nullptr, xml.Out()), S_OK);
            EXPECT_EQ(xml.view().find(u"typens:SpatialReference") != std::u16string_view::npos, !empty)
                << ToUtf8(xml.view());
            auto read = Holding(Reference(u"4326").Get(), clsid);
            ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), read.Get()), S_OK) << ToUtf8(xml.view());
            EXPECT_EQ(IsEmpty(read.Get()), empty);
            if (!empty) {
                EXPECT_TRUE(SameSpatialReference(Held(read.Get()).Get(), Held(value.Get()).Get(), true));
            }
        }
    }
    // A spatial reference element whose text names nothing cannot be read.
    auto value = Holding(Reference(u"4326").Get());
    BStr xml;
    ASSERT_EQ(TaviXmlSerialize(value.Get(), nullptr, xml.Out()), S_OK);
    String text = xml.str();
    size_t start = text.find(u"GEOGCS");
    ASSERT_NE(start, String::npos) << ToUtf8(text);
    text.replace(start, 6, u"NOTACS");
    auto read = Create<IGPValue>(CLSID_GPCoordinateSystem);
    EXPECT_EQ(TaviXmlDeserialize(text.c_str(), read.Get()), E_FAIL);
}

TEST_F(GPSpatialReferenceTest, DataTypesCreateAndValidate) {
    auto srType = Create<IGPDataType>(CLSID_GPSpatialReferenceType);
    auto csType = Create<IGPDataType>(CLSID_GPCoordinateSystemType);
    BStr name;
    ASSERT_EQ(srType->get_Name(name.Out()), S_OK);
    EXPECT_EQ(name.view(), u"GPSpatialReference");
    ASSERT_EQ(csType->get_Name(name.Out()), S_OK);
    EXPECT_EQ(name.view(), u"GPCoordinateSystem");

    ComPtr<IGPValue> created;
    ASSERT_EQ(srType->CreateValue(u"EPSG:4326", created.Out()), S_OK);
    EXPECT_TRUE(QueryAs<IGPSpatialReference>(created.Get()));
    EXPECT_FALSE(IsEmpty(created.Get()));

    auto verdict = [](IGPDataType* type, IGPValue* value) {
        ComPtr<IGPMessage> message;
        EXPECT_EQ(type->ValidateValue(value, nullptr, message.Out()), S_OK);
        int32_t type_ = -1;
        message->get_Type(&type_);
        return type_;
    };
    auto cs = Holding(Reference(u"4326").Get(), CLSID_GPCoordinateSystem);
    auto xy = Create<IGPValue>(CLSID_GPXYDomain);
    EXPECT_EQ(verdict(srType.Get(), created.Get()), 0);
    EXPECT_EQ(verdict(srType.Get(), cs.Get()), 100);    // a coordinate system has no domains
    EXPECT_EQ(verdict(csType.Get(), created.Get()), 0); // a spatial reference carries a coordinate system
    EXPECT_EQ(verdict(csType.Get(), xy.Get()), 100);
}

} // namespace
} // namespace tavi::test
