// The extent value and its data type: keywords, rectangles, extents of real data (projected and geographic feature
// classes, a raster) projected into other coordinate systems as PROJ projects them, the display extent and output
// coordinate system of the utility object, the stream and XML forms, comparison and copying.
#include "TestData.h"
#include "TestSupport.h"

#include "host/CreateInstance.h"
#include "host/DocumentVersion.h"
#include "host/Envelope.h"
#include "host/SpatialReference.h"
#include "host/XmlSerialize.h"
#include "platform/Utf.h"
#include "tavi/Entry.h"
#include "tavi/GPExtent.h"
#include "tavi/GPScalar.h"
#include "tavi/GPSpatialReferenceValues.h"
#include "tavi/GPUtilities.h"
#include "tavi/Stream.h"

#include <ogr_spatialref.h>

#include <cmath>
#include <memory>
#include <tuple>

namespace tavi::test {
namespace {

class GPExtentTest : public ModuleClassesTest {
protected:
    static void SetUpTestSuite() {
        data_ = new TestData();
        data_->Vector(
            "GPKG", "city.gpkg", "parcels", wkbPolygon, 32633,
            {{"POLYGON ((500000 5000000, 510000 5000000, 510000 5020000, 500000 5000000))", "p", 1, 1, 2010, 6, 1}});
        data_->Vector("GPKG", "city.gpkg", "owners", wkbNone, 0, {{"", "x", 1, 0, 2000, 1, 1}});
        data_->Vector("shp", "wells.shp", "wells", wkbPoint, 4326,
                      {{"POINT (10 50)", "a", 1, 1, 2001, 1, 1}, {"POINT (12 53)", "b", 2, 2, 2002, 2, 2}});
        data_->Raster("dem.tif", 10, 5, 2, 100, 200, 32633);
    }
    static void TearDownTestSuite() {
        delete data_;
        data_ = nullptr;
    }
    void SetUp() override {
        ModuleClassesTest::SetUp();
        utilities_ = Create<IGPUtilities>(CLSID_GPUtilities);
    }
    void TearDown() override {
        utilities_->put_DisplayExtent(nullptr);
        utilities_->put_OutputCoordinateSystem(nullptr);
        utilities_ = nullptr;
        ModuleClassesTest::TearDown();
    }

    static std::u16string P(const std::string& relative) { return FromUtf8(data_->Path(relative)); }
    // A new extent that read `text`, with the error code of its message (0 for none).
    static ComPtr<IGPValue> Read(std::u16string_view text, int32_t* code = nullptr) {
        auto value = Create<IGPValue>(CLSID_GPExtent);
        ComPtr<IGPMessage> message;
        EXPECT_EQ(value->SetAsText(String(text).c_str(), message.Out()), S_OK);
        EXPECT_TRUE(message);
        int32_t type = 0, error = 0;
        if (message) {
            message->get_Type(&type);
            message->get_ErrorCode(&error);
        }
        if (code)
            *code = type == 100 ? error : 0;
        return value;
    }
    static ComPtr<ISpatialReference> System(const char16_t* text) {
        ComPtr<ISpatialReference> made;
        EXPECT_EQ(CreateSpatialReferenceFromText(text, made.Out()), S_OK);
        return made;
    }

    static TestData* data_;
    ComPtr<IGPUtilities> utilities_;
};
TestData* GPExtentTest::data_ = nullptr;

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
bool Equal(IUnknown* a, IUnknown* b) {
    VARIANT_BOOL equal = VARIANT_TRUE;
    EXPECT_EQ(QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal), S_OK);
    return equal != VARIANT_FALSE;
}
struct Box {
    double xmin, ymin, xmax, ymax;
};
// The type and rectangle of an extent; the rectangle is NaN for none.
int32_t TypeAndBox(IUnknown* value, Box& box, ComPtr<ISpatialReference>* system = nullptr) {
    int32_t type = -1;
    ComPtr<IEnvelope> envelope;
    EXPECT_EQ(QueryAs<IGPExtent>(value)->get_Extent(&type, envelope.Out()), S_OK);
    box = {NAN, NAN, NAN, NAN};
    if (envelope) {
        envelope->QueryCoords(&box.xmin, &box.ymin, &box.xmax, &box.ymax);
        if (system)
            envelope->get_SpatialReference(system->Out());
    }
    return type;
}
bool SameSystem(ISpatialReference* a, ISpatialReference* b) {
    VARIANT_BOOL same = VARIANT_FALSE;
    return a && b && SUCCEEDED(a->IsSameCoordinateSystem(b, &same)) && same;
}
// What PROJ itself gives for the box projected from one EPSG system to another, densified as the library does.
Box ProjBounds(const Box& box, int fromEpsg, int toEpsg) {
    OGRSpatialReference from, to;
    from.importFromEPSG(fromEpsg);
    to.importFromEPSG(toEpsg);
    from.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    to.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRCoordinateTransformation> transform(OGRCreateCoordinateTransformation(&from, &to));
    Box out{};
    EXPECT_TRUE(transform && transform->TransformBounds(box.xmin, box.ymin, box.xmax, box.ymax, &out.xmin, &out.ymin,
                                                        &out.xmax, &out.ymax, kProjectionDensifyPoints));
    return out;
}
void ExpectBox(const Box& actual, const Box& expected, double tolerance) {
    EXPECT_NEAR(actual.xmin, expected.xmin, tolerance);
    EXPECT_NEAR(actual.ymin, expected.ymin, tolerance);
    EXPECT_NEAR(actual.xmax, expected.xmax, tolerance);
    EXPECT_NEAR(actual.ymax, expected.ymax, tolerance);
}
Variant ObjectVariant(IUnknown* object) {
    Variant v;
    v.vt = VT_UNKNOWN;
    v.punkVal = object;
    object->AddRef(); // the variant owns one reference
    return v;
}

TEST_F(GPExtentTest, KeywordsAndRectanglesFromText) {
    struct Case {
        const char16_t* text;
        int32_t code;
        int32_t type;
        bool empty;
        const char16_t* asText;
        const char* reason;
    };
    const Case cases[] = {
        {u"maxof", 0, 1, false, u"MAXOF", "keywords in any case, written in upper case"},
        {u"MinOf extra", 0, 2, false, u"MINOF", "only the first token counts"},
        {u"DEFAULT", 0, 0, true, u"DEFAULT", "DEFAULT leaves the value empty"},
        {u"", 0, 0, true, u"DEFAULT", "the empty text empties the value"},
        {u"DISPLAY", 0, 0, true, u"DEFAULT", "no display extent: DEFAULT"},
        {u"1 2 3 4", 0, 3, false, u"1 2 3 4", "four numbers"},
        {u"value -1.5 2 3 4e1", 0, 3, false, u"-1.5 2 3 40", "a leading VALUE is dropped"},
        {u"1 2 3 4 5", 701, 0, true, u"DEFAULT", "five tokens are invalid"},
        {u"1 2 3", 701, 0, true, u"DEFAULT", "three numbers name no data"},
        {u"4 3 2 1", 701, 0, true, u"DEFAULT", "a minimum above its maximum"},
        {u"nowhere.shp", 701, 0, true, u"DEFAULT", "data that does not exist"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        int32_t code = -1;
        auto value = Read(c.text, &code);
        EXPECT_EQ(code, c.code);
        Box box{};
        EXPECT_EQ(TypeAndBox(value.Get(), box), c.type);
        EXPECT_EQ(IsEmpty(value.Get()), c.empty);
        EXPECT_EQ(AsText(value.Get()), c.asText);
    }
    auto value = Create<IGPValue>(CLSID_GPExtent);
    EXPECT_EQ(value->SetAsText(u"MAXOF", nullptr), E_POINTER);
}

TEST_F(GPExtentTest, DisplayExtentAndOutputCoordinateSystemOfTheUtilityObject) {
    ComPtr<IEnvelope> display;
    ASSERT_EQ(CreateEnvelope(10, 20, 30, 40, nullptr, display.Out()), S_OK);
    ASSERT_EQ(utilities_->put_DisplayExtent(display.Get()), S_OK);
    display->put_XMin(0); // the utility object keeps its own copy
    auto value = Read(u"display");
    EXPECT_EQ(AsText(value.Get()), u"10 20 30 40");
    EXPECT_FALSE(IsEmpty(value.Get()));
    ComPtr<IEnvelope> empty;
    ASSERT_EQ(CreateEnvelope(empty.Out()), S_OK);
    EXPECT_EQ(utilities_->put_DisplayExtent(empty.Get()), E_INVALIDARG);

    auto utm = System(u"EPSG:32633");
    ASSERT_EQ(utilities_->put_OutputCoordinateSystem(utm.Get()), S_OK);
    auto rectangle = Read(u"1 2 3 4");
    Box box{};
    ComPtr<ISpatialReference> system;
    EXPECT_EQ(TypeAndBox(rectangle.Get(), box, &system), 3);
    EXPECT_TRUE(SameSystem(system.Get(), utm.Get())); // numbers are taken to be in the output system
    ExpectBox(box, {1, 2, 3, 4}, 0);
}

TEST_F(GPExtentTest, ExtentsOfDataInTheirOwnCoordinateSystems) {
    struct Case {
        std::string path;
        Box expected;
        int epsg;
        const char* reason;
    };
    const Case cases[] = {
        {"city.gpkg/parcels", {500000, 5000000, 510000, 5020000}, 32633, "a projected feature class"},
        {"wells.shp", {10, 50, 12, 53}, 4326, "a geographic feature class (path with its extension)"},
        {"dem.tif", {100, 190, 120, 200}, 32633, "a raster: ten 2 m columns, five rows below 200"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        for (std::u16string text : {P(c.path), u"VALUE '" + P(c.path) + u"'"}) {
            int32_t code = -1;
            auto value = Read(text, &code);
            EXPECT_EQ(code, 0);
            Box box{};
            ComPtr<ISpatialReference> system;
            ASSERT_EQ(TypeAndBox(value.Get(), box, &system), 3);
            ExpectBox(box, c.expected, 1e-9);
            int32_t epsg = 0;
            ASSERT_TRUE(system);
            system->get_FactoryCode(&epsg);
            EXPECT_EQ(epsg, c.epsg);
        }
    }
    // An envelope reads a path as that data's rectangle too; data without an extent is the envelope's bad text.
    auto envelope = Create<IGPValue>(CLSID_GPEnvelope);
    for (auto [path, code, asText] : {std::tuple{P("dem.tif"), 0, u"100 190 120 200"},
                                      {P("city.gpkg/owners"), 829, u"100 190 120 200"},
                                      {P("nowhere.shp"), 829, u"100 190 120 200"}}) {
        ComPtr<IGPMessage> message;
        ASSERT_EQ(envelope->SetAsText(path.c_str(), message.Out()), S_OK);
        int32_t error = 0;
        message->get_ErrorCode(&error);
        EXPECT_EQ(error, code);
        EXPECT_EQ(AsText(envelope.Get()), asText); // a failed read keeps the rectangle
    }
    // Coordinates that need more than 15 digits keep all of them in the text.
    auto projected = Read(u"'" + P("wells.shp") + u"' EPSG:3857");
    Box box{};
    TypeAndBox(projected.Get(), box);
    auto back = Read(AsText(projected.Get()));
    EXPECT_TRUE(Equal(projected.Get(), back.Get())) << ToUtf8(AsText(projected.Get()));
    // A table has no extent: the value stays empty.
    auto table = Read(P("city.gpkg/owners"));
    EXPECT_TRUE(IsEmpty(table.Get()));
}

TEST_F(GPExtentTest, ExtentsProjectAsProjDoes) {
    struct Case {
        std::string path;
        Box own;
        int from;
        std::u16string system; // the second token
        int to;
        double tolerance;
        const char* reason;
    };
    const Case cases[] = {
        {"city.gpkg/parcels",
         {500000, 5000000, 510000, 5020000},
         32633,
         u"EPSG:4326",
         4326,
         1e-9,
         "projected into geographic by a coordinate system text"},
        {"wells.shp", {10, 50, 12, 53}, 4326, u"EPSG:3857", 3857, 1e-6, "geographic into web mercator"},
        {"wells.shp", {10, 50, 12, 53}, 4326, P("dem.tif"), 32633, 1e-6, "into the system of other data"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        int32_t code = -1;
        auto value = Read(u"'" + P(c.path) + u"' '" + c.system + u"'", &code);
        EXPECT_EQ(code, 0);
        Box box{};
        ComPtr<ISpatialReference> system;
        ASSERT_EQ(TypeAndBox(value.Get(), box, &system), 3);
        ExpectBox(box, ProjBounds(c.own, c.from, c.to), c.tolerance);
        int32_t epsg = 0;
        system->get_FactoryCode(&epsg);
        EXPECT_EQ(epsg, c.to);
    }
    // Without a second token the output coordinate system applies.
    ASSERT_EQ(utilities_->put_OutputCoordinateSystem(System(u"EPSG:32633").Get()), S_OK);
    auto value = Read(P("wells.shp"));
    Box box{};
    // The whole text names data, so the data's own system is kept: the setting applies to the token forms only.
    TypeAndBox(value.Get(), box);
    ExpectBox(box, {10, 50, 12, 53}, 1e-9);
    auto projected = Read(u"VALUE '" + P("wells.shp") + u"'");
    TypeAndBox(projected.Get(), box);
    ExpectBox(box, ProjBounds({10, 50, 12, 53}, 4326, 32633), 1e-6);
}

TEST_F(GPExtentTest, PutExtentSourcesAndFailures) {
    auto value = Create<IGPExtent>(CLSID_GPExtent);
    EXPECT_EQ(value->put_Extent(4, Variant(), Variant()), E_INVALIDARG);
    EXPECT_EQ(value->put_Extent(0, Variant(), Variant()), S_OK);
    EXPECT_TRUE(IsEmpty(value.Get())); // type 0 set through put_Extent leaves it empty
    EXPECT_EQ(value->put_Extent(2, Variant(), Variant()), S_OK);
    EXPECT_FALSE(IsEmpty(value.Get()));
    EXPECT_EQ(value->put_Extent(3, Variant::Int(5), Variant()), E_FAIL); // no object
    EXPECT_TRUE(IsEmpty(value.Get()));
    int32_t type = -1;
    EXPECT_EQ(value->get_Extent(&type, nullptr), E_POINTER);

    // An envelope value's rectangle, copied, projected into a spatial reference object.
    auto envelope = Create<IGPEnvelope>(CLSID_GPEnvelope);
    ComPtr<IEnvelope> inner;
    ASSERT_EQ(CreateEnvelope(10, 50, 12, 53, System(u"EPSG:4326").Get(), inner.Out()), S_OK);
    envelope->putref_Envelope(inner.Get());
    auto mercator = System(u"EPSG:3857");
    ASSERT_EQ(value->put_Extent(3, ObjectVariant(envelope.Get()), ObjectVariant(mercator.Get())), S_OK);
    Box box{};
    TypeAndBox(value.Get(), box);
    ExpectBox(box, ProjBounds({10, 50, 12, 53}, 4326, 3857), 1e-6);
    inner->put_XMin(0); // the extent does not share the source's envelope
    Box again{};
    TypeAndBox(value.Get(), again);
    EXPECT_EQ(again.xmin, box.xmin);

    // Data without an extent leaves the value empty; a projection that cannot be made fails.
    auto table = Create<IGPValue>(CLSID_GPString);
    ComPtr<IGPMessage> message;
    table->SetAsText(P("city.gpkg/owners").c_str(), message.Out());
    EXPECT_EQ(value->put_Extent(3, ObjectVariant(table.Get()), Variant()), S_FALSE);
    EXPECT_TRUE(IsEmpty(value.Get()));
    ComPtr<IEnvelope> empty, projected;
    ASSERT_EQ(CreateEnvelope(empty.Out()), S_OK);
    EXPECT_EQ(ProjectEnvelope(empty.Get(), mercator.Get(), projected.Out()), E_INVALIDARG);
    EXPECT_EQ(ProjectEnvelope(empty.Get(), nullptr, projected.Out()), E_POINTER);
}

TEST_F(GPExtentTest, TextWithACoordinateSystemReadsBack) {
    ComPtr<IGPValue> probe;
    if (FAILED(
            AfCreateInstance(CLSID_GPSpatialReference, nullptr, CLSCTX_INPROC_SERVER, IGPValue::iid, probe.OutVoid())))
        GTEST_SKIP() << "the spatial reference value is not in the class table";
    auto utm = System(u"EPSG:32633");
    ComPtr<IGPSpatialReference> held = QueryAs<IGPSpatialReference>(probe.Get());
    ASSERT_EQ(held->putref_SpatialReference(utm.Get()), S_OK);
    String systemText = AsText(probe.Get());
    ASSERT_FALSE(systemText.empty());

    auto value = Read(u"VALUE '" + P("city.gpkg/parcels") + u"'");
    String text = AsText(value.Get());
    EXPECT_EQ(text, u"500000 5000000 510000 5020000 " + systemText);
    int32_t code = -1;
    auto back = Read(text, &code);
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(Equal(value.Get(), back.Get()));
    Box box{};
    ComPtr<ISpatialReference> system;
    TypeAndBox(back.Get(), box, &system);
    EXPECT_TRUE(SameSystem(system.Get(), utm.Get()));
}

TEST_F(GPExtentTest, StreamAndXmlForms) {
    std::vector<ComPtr<IGPValue>> originals = {Read(u"MINOF"), Read(u"MAXOF"), Read(u"DEFAULT"),
                                               Read(u"VALUE '" + P("city.gpkg/parcels") + u"'")};
    for (const auto& original : originals) {
        SCOPED_TRACE(ToUtf8(AsText(original.Get())));
        ComPtr<IStream> stream;
        ASSERT_EQ(CreateStreamOnMemory(nullptr, 0, docversion::kCurrent, stream.Out()), S_OK);
        ASSERT_EQ(QueryAs<IPersistStream>(original.Get())->Save(stream.Get(), 1), S_OK);
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        auto loaded = Create<IGPValue>(CLSID_GPExtent);
        ASSERT_EQ(QueryAs<IPersistStream>(loaded.Get())->Load(stream.Get()), S_OK);
        EXPECT_TRUE(Equal(original.Get(), loaded.Get()));
        EXPECT_EQ(AsText(loaded.Get()).substr(0, 30), AsText(original.Get()).substr(0, 30));
        EXPECT_EQ(IsEmpty(loaded.Get()), IsEmpty(original.Get())); // MINOF loads back not empty
        Box box{};
        ComPtr<ISpatialReference> before, after;
        TypeAndBox(original.Get(), box, &before);
        TypeAndBox(loaded.Get(), box, &after);
        EXPECT_EQ(!before, !after);
        if (before) {
            EXPECT_TRUE(SameSystem(before.Get(), after.Get()));
        }

        String xml;
        ASSERT_EQ(XmlSerializeObject(original.Get(), nullptr, &xml), S_OK);
        auto read = Read(u"1 2 3 4"); // content the document must replace
        ASSERT_EQ(XmlDeserializeObject(xml, read.Get()), S_OK);
        EXPECT_TRUE(Equal(original.Get(), read.Get()));
        EXPECT_EQ(AsText(read.Get()), AsText(original.Get()));
    }
    // A rectangle whose envelope went missing from the document cannot be read.
    String xml;
    ASSERT_EQ(XmlSerializeObject(originals[3].Get(), nullptr, &xml), S_OK);
    auto start = xml.find(u"<Extent ");
    ASSERT_NE(start, String::npos);
    String broken = xml.substr(0, start) + xml.substr(xml.find(u"</Extent>") + 9);
    auto read = Create<IGPValue>(CLSID_GPExtent);
    EXPECT_EQ(XmlDeserializeObject(broken, read.Get()), E_FAIL);
}

TEST_F(GPExtentTest, AssignAndEquality) {
    auto rectangle = Read(u"1 2 3 4");
    auto copy = Create<IGPValue>(CLSID_GPExtent);
    ASSERT_EQ(QueryAs<IClone>(copy.Get())->Assign(QueryAs<IClone>(rectangle.Get()).Get()), S_OK);
    EXPECT_TRUE(Equal(rectangle.Get(), copy.Get()));
    EXPECT_FALSE(Equal(rectangle.Get(), Read(u"1 2 3 5").Get()));
    EXPECT_FALSE(Equal(Read(u"MAXOF").Get(), Read(u"MINOF").Get()));
    EXPECT_TRUE(Equal(Read(u"maxof").Get(), Read(u"MAXOF").Get()));

    // An envelope value is an extent of type 3.
    auto envelope = Create<IGPEnvelope>(CLSID_GPEnvelope);
    envelope->PutCoords(1, 2, 3, 4);
    auto fromEnvelope = Create<IGPValue>(CLSID_GPExtent);
    ASSERT_EQ(QueryAs<IClone>(fromEnvelope.Get())->Assign(QueryAs<IClone>(envelope.Get()).Get()), S_OK);
    EXPECT_TRUE(Equal(fromEnvelope.Get(), rectangle.Get()));
    EXPECT_EQ(QueryAs<IClone>(copy.Get())->Assign(Create<IClone>(CLSID_GPDouble).Get()), E_INVALIDARG);

    auto type = Create<IGPDataType>(CLSID_GPExtentType);
    ComPtr<IGPMessage> message;
    ASSERT_EQ(type->ValidateDataType(Create<IGPDataType>(CLSID_GPEnvelopeType).Get(), message.Out()), S_OK);
    VARIANT_BOOL error = VARIANT_TRUE;
    message->IsError(&error);
    EXPECT_FALSE(error);
}

} // namespace
} // namespace tavi::test
