// Geometry objects: well-known text in and out for every shape, building shapes point by point, the stream form
// with damaged input, the point's XML form, and shapes written to and read back from feature rows of a GeoPackage made
// at run time.
#include "TestData.h"
#include "TestSupport.h"

#include "data/DataElement.h"
#include "host/DocumentVersion.h"
#include "host/Geometry.h"
#include "host/SpatialReference.h"
#include "host/StreamIO.h"
#include "platform/BStr.h"
#include "platform/Utf.h"
#include "tavi/Xml.h"

#include <cmath>
#include <cstring>
#include <regex>
#include <string>

namespace tavi::test {
namespace {

class Geometry : public LeakCheckedTest {};

std::u16string TextOf(IGeometry* geometry) {
    BStr text;
    EXPECT_EQ(geometry->ExportToWKT(text.Out()), S_OK);
    return text.str();
}

ComPtr<IGeometry> FromText(std::u16string_view text) {
    ComPtr<IGeometry> geometry;
    EXPECT_EQ(CreateGeometryFromWKT(text, geometry.Out()), S_OK);
    return geometry;
}

struct ShapeCase {
    const char16_t* text;
    const char16_t* written; // null: written as read
    int32_t type;
    int32_t points; // vertices (1 or 0 for a point)
    int32_t parts;  // paths or rings (-1 for a point)
    bool z, m;
    double xmin, ymin, xmax, ymax; // NaN when empty
};

constexpr double N = std::numeric_limits<double>::quiet_NaN();

const ShapeCase kShapes[] = {
    {u"POINT (3.5 -2)", nullptr, taviGeometryPoint, 1, -1, false, false, 3.5, -2, 3.5, -2},
    {u"POINT ZM (1 2 3 4)", nullptr, taviGeometryPoint, 1, -1, true, true, 1, 2, 1, 2},
    {u"POINT M (1 2 4)", nullptr, taviGeometryPoint, 1, -1, false, true, 1, 2, 1, 2},
    {u"POINT EMPTY", nullptr, taviGeometryPoint, 0, -1, false, false, N, N, N, N},
    // Shortest text that reads back exactly, not a fixed number of digits.
    {u"point(0.1   123456789.125)", u"POINT (0.1 123456789.125)", taviGeometryPoint, 1, -1, false, false, 0.1,
     123456789.125, 0.1, 123456789.125},
    {u"LINESTRING (0 0,10 0,10 10)", nullptr, taviGeometryPolyline, 3, 1, false, false, 0, 0, 10, 10},
    {u"LINESTRING Z (0 0 1,1 1 2)", nullptr, taviGeometryPolyline, 2, 1, true, false, 0, 0, 1, 1},
    {u"MULTILINESTRING ((0 0,1 1),(2 2,3 5))", nullptr, taviGeometryPolyline, 4, 2, false, false, 0, 0, 3, 5},
    {u"MULTILINESTRING ((0 0,1 1))", u"LINESTRING (0 0,1 1)", taviGeometryPolyline, 2, 1, false, false, 0, 0, 1, 1},
    {u"LINESTRING EMPTY", nullptr, taviGeometryPolyline, 0, 0, false, false, N, N, N, N},
    {u"POLYGON ((0 0,4 0,4 4,0 4,0 0),(1 1,2 1,2 2,1 1))", nullptr, taviGeometryPolygon, 9, 2, false, false, 0, 0, 4,
     4},
    {u"MULTIPOLYGON (((0 0,1 0,1 1,0 0)),((5 5,6 5,6 6,5 5)))", nullptr, taviGeometryPolygon, 8, 2, false, false, 0, 0,
     6, 6},
    {u"POLYGON ZM ((0 0 1 2,1 0 1 2,1 1 1 2,0 0 1 2))", nullptr, taviGeometryPolygon, 4, 1, true, true, 0, 0, 1, 1},
    {u"POLYGON EMPTY", nullptr, taviGeometryPolygon, 0, 0, false, false, N, N, N, N},
};

void ExpectSame(double expected, double actual) {
    if (std::isnan(expected))
        EXPECT_TRUE(std::isnan(actual));
    else
        EXPECT_EQ(expected, actual);
}

TEST_F(Geometry, ReadsAndWritesEveryShape) {
    for (const ShapeCase& c : kShapes) {
        SCOPED_TRACE(ToUtf8(c.text));
        ComPtr<IGeometry> geometry = FromText(c.text);
        ASSERT_TRUE(geometry);
        EXPECT_EQ(TextOf(geometry.Get()), c.written ? c.written : c.text);
        int32_t type = 0;
        geometry->get_GeometryType(&type);
        EXPECT_EQ(type, c.type);
        VARIANT_BOOL empty = 0, z = 0, m = 0;
        geometry->get_IsEmpty(&empty);
        geometry->get_ZAware(&z);
        geometry->get_MAware(&m);
        EXPECT_EQ(empty != 0, c.points == 0);
        EXPECT_EQ(z != 0, c.z);
        EXPECT_EQ(m != 0, c.m);

        ComPtr<IEnvelope> envelope;
        ASSERT_EQ(geometry->get_Envelope(envelope.Out()), S_OK);
        double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
        envelope->QueryCoords(&xmin, &ymin, &xmax, &ymax);
        ExpectSame(c.xmin, xmin);
        ExpectSame(c.ymin, ymin);
        ExpectSame(c.xmax, xmax);
        ExpectSame(c.ymax, ymax);

        if (auto collection = geometry.As<IPointCollection>()) {
            int32_t points = -1, parts = -1;
            collection->get_PointCount(&points);
            EXPECT_EQ(points, c.points);
            if (auto polyline = geometry.As<IPolyline>())
                polyline->get_PathCount(&parts);
            if (auto polygon = geometry.As<IPolygon>())
                polygon->get_RingCount(&parts);
            EXPECT_EQ(parts, c.parts);
        } else {
            EXPECT_EQ(c.parts, -1);
        }
        // The object reads its own text back unchanged.
        EXPECT_EQ(geometry->ImportFromWKT(TextOf(geometry.Get()).c_str()), S_OK);
        EXPECT_EQ(TextOf(geometry.Get()), c.written ? c.written : c.text);
    }
}

struct BadText {
    const char16_t* text;
    HRESULT hr;
};

const BadText kBadText[] = {
    {u"", E_INVALIDARG},
    {u"POINT (1)", E_INVALIDARG},         // one coordinate
    {u"POINT (1 2", E_INVALIDARG},        // unclosed
    {u"POINT (1 2) extra", E_INVALIDARG}, // text after the geometry
    {u"POINT (nan 2)", E_INVALIDARG},     // not a number
    {u"LINESTRING (0 0,1 x)", E_INVALIDARG},
    {u"LINESTRING (0 0,1 1e400)", E_INVALIDARG}, // infinite
    {u"POLYGON Z ((0 0 0,1 0 nan,1 1 0,0 0 0))",
     E_INVALIDARG}, // a Z that is not a number                    // a coordinate that is no number
    {u"TRIANGLE WITH FOUR CORNERS", E_INVALIDARG},              // no kind at all
    {u"MULTIPOINT ((1 2),(3 4))", DISP_E_TYPEMISMATCH},         // a kind no geometry class holds
    {u"GEOMETRYCOLLECTION (POINT (1 2))", DISP_E_TYPEMISMATCH}, // ditto
};

TEST_F(Geometry, BadTextFailsAndChangesNothing) {
    for (const BadText& c : kBadText) {
        SCOPED_TRACE(ToUtf8(c.text));
        ComPtr<IGeometry> created;
        EXPECT_EQ(CreateGeometryFromWKT(c.text, created.Out()), c.hr);
        EXPECT_FALSE(created);
        ComPtr<IGeometry> polyline = FromText(u"LINESTRING (1 1,2 2)");
        EXPECT_EQ(polyline->ImportFromWKT(c.text), c.hr);
        EXPECT_EQ(TextOf(polyline.Get()), u"LINESTRING (1 1,2 2)");
    }
    // Well-formed text of another kind is refused by each class.
    ComPtr<IGeometry> point = FromText(u"POINT (1 2)");
    EXPECT_EQ(point->ImportFromWKT(u"LINESTRING (0 0,1 1)"), DISP_E_TYPEMISMATCH);
    ComPtr<IGeometry> polygon = FromText(u"POLYGON EMPTY");
    EXPECT_EQ(polygon->ImportFromWKT(u"POINT (0 0)"), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(point->ImportFromWKT(nullptr), E_POINTER);
    EXPECT_EQ(TextOf(point.Get()), u"POINT (1 2)");
}

TEST_F(Geometry, PointCoordinates) {
    auto point = MakeObject<Point>();
    double x = 0, y = 0, z = 0;
    point->get_X(&x);
    EXPECT_TRUE(std::isnan(x));
    EXPECT_EQ(point->QueryCoords(&x, &y), E_FAIL);
    EXPECT_EQ(point->put_Y(5), S_OK); // X becomes 0 with it
    point->QueryCoords(&x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 5);
    point->get_Z(&z);
    EXPECT_TRUE(std::isnan(z)); // not Z aware yet
    EXPECT_EQ(point->put_Z(7), S_OK);
    EXPECT_EQ(point->put_M(-1), S_OK);
    EXPECT_EQ(TextOf(point.Get()), u"POINT ZM (0 5 7 -1)");
    EXPECT_EQ(point->put_X(std::nan("")), E_INVALIDARG);
    EXPECT_EQ(point->PutCoords(1, std::nan("")), E_INVALIDARG);
    EXPECT_EQ(point->put_MAware(VARIANT_FALSE), S_OK);
    EXPECT_EQ(TextOf(point.Get()), u"POINT Z (0 5 7)");
    EXPECT_EQ(point->SetEmpty(), S_OK);
    EXPECT_EQ(TextOf(point.Get()), u"POINT Z EMPTY"); // awareness outlives the coordinates
}

ComPtr<IPoint> At(double x, double y) {
    auto point = MakeObject<Point>();
    point->PutCoords(x, y);
    return point;
}

TEST_F(Geometry, BuildsPathsAndRings) {
    auto line = MakeObject<Polyline>();
    EXPECT_EQ(line->AddPoint(At(0, 0).Get()), S_OK); // starts the first path itself
    line->AddPoint(At(3, 4).Get());
    line->StartPath();
    line->AddPoint(At(10, 10).Get());
    line->AddPoint(At(10, 11).Get());
    EXPECT_EQ(TextOf(line.Get()), u"MULTILINESTRING ((0 0,3 4),(10 10,10 11))");
    int32_t count = 0;
    line->get_PathPointCount(1, &count);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(line->get_PathPointCount(2, &count), E_INVALIDARG);
    double length = 0;
    line->get_Length(&length);
    EXPECT_DOUBLE_EQ(length, 6);
    ComPtr<IPoint> third;
    ASSERT_EQ(line->get_Point(2, third.Out()), S_OK);
    double x = 0, y = 0;
    third->QueryCoords(&x, &y);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 10);
    EXPECT_EQ(line->get_Point(4, third.Out()), E_INVALIDARG);
    EXPECT_FALSE(third);
    EXPECT_EQ(line->get_Point(-1, third.Out()), E_INVALIDARG);
    EXPECT_EQ(line->AddPoint(MakeObject<Point>().Get()), E_INVALIDARG); // an empty point has no coordinates
    EXPECT_EQ(line->AddPoint(nullptr), E_POINTER);

    // Z awareness reaches points added before and after.
    line->put_ZAware(VARIANT_TRUE);
    auto high = MakeObject<Point>();
    high->PutCoords(1, 1);
    high->put_Z(9);
    line->AddPoint(high.Get());
    EXPECT_EQ(TextOf(line.Get()), u"MULTILINESTRING Z ((0 0 0,3 4 0),(10 10 0,10 11 0,1 1 9))");

    auto polygon = MakeObject<Polygon>();
    for (auto [px, py] : {std::pair{0, 0}, {4, 0}, {4, 4}, {0, 4}})
        polygon->AddPoint(At(px, py).Get());
    polygon->StartRing();
    for (auto [px, py] : {std::pair{1, 1}, {2, 1}, {2, 2}})
        polygon->AddPoint(At(px, py).Get());
    EXPECT_EQ(polygon->Close(), S_OK);
    EXPECT_EQ(TextOf(polygon.Get()), u"POLYGON ((0 0,4 0,4 4,0 4,0 0),(1 1,2 1,2 2,1 1))");
    double area = 0;
    polygon->get_Area(&area);
    EXPECT_DOUBLE_EQ(area, 16 - 0.5);
}

ComPtr<IStream> NewStream() {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnMemory(nullptr, 0, docversion::kCurrent, stream.Out()), S_OK);
    return stream;
}

TEST_F(Geometry, StreamRoundTrip) {
    ComPtr<ISpatialReference> wgs84;
    ASSERT_EQ(CreateSpatialReferenceFromText(u"EPSG:4326", wgs84.Out()), S_OK);
    for (const ShapeCase& c : kShapes) {
        SCOPED_TRACE(ToUtf8(c.text));
        ComPtr<IGeometry> geometry = FromText(c.text);
        geometry->putref_SpatialReference(wgs84.Get());
        ComPtr<IStream> stream = NewStream();
        ASSERT_EQ(SaveObject(geometry.Get(), stream.Get(), true), S_OK);
        EXPECT_EQ(geometry.As<IPersistStream>()->IsDirty(), S_FALSE);
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        ComPtr<IGeometry> back;
        ASSERT_EQ(LoadObject(stream.Get(), IGeometry::iid, back.OutVoid()), S_OK);
        EXPECT_EQ(TextOf(back.Get()), TextOf(geometry.Get()));
        VARIANT_BOOL equal = VARIANT_FALSE;
        geometry.As<IClone>()->IsEqual(back.As<IClone>().Get(), &equal);
        EXPECT_TRUE(equal);
        ComPtr<ISpatialReference> sr;
        back->get_SpatialReference(sr.Out());
        int32_t code = 0;
        ASSERT_TRUE(sr);
        sr->get_FactoryCode(&code);
        EXPECT_EQ(code, 4326);
    }
}

TEST_F(Geometry, HostClassTableRecreatesEnvelopes) {
    ComPtr<IEnvelope> envelope;
    ASSERT_EQ(FromText(u"LINESTRING (1 2,3 5)")->get_Envelope(envelope.Out()), S_OK);
    ComPtr<IStream> stream = NewStream();
    ASSERT_EQ(SaveObject(envelope.Get(), stream.Get(), true), S_OK);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    ComPtr<IEnvelope> back;
    ASSERT_EQ(LoadObject(stream.Get(), IEnvelope::iid, back.OutVoid()), S_OK);
    VARIANT_BOOL equal = VARIANT_FALSE;
    back->IsEqual(envelope.Get(), &equal);
    EXPECT_TRUE(equal);
}

// Bytes of a saved geometry, for damaging.
std::vector<uint8_t> Saved(IGeometry* geometry) {
    ComPtr<IStream> stream = NewStream();
    EXPECT_EQ(ComPtr<IGeometry>(geometry).As<IPersistStream>()->Save(stream.Get(), 0), S_OK);
    STATSTG stat{};
    stream->Stat(&stat, 1);
    std::vector<uint8_t> bytes(stat.cbSize);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
    return bytes;
}

TEST_F(Geometry, DamagedStreamsAreRefused) {
    std::vector<uint8_t> line = Saved(FromText(u"LINESTRING (1 2,3 4)").Get());
    std::vector<uint8_t> point = Saved(FromText(u"POINT (1 2)").Get());
    auto newer = line;
    newer[0] = 2;
    auto truncated = std::vector<uint8_t>(line.begin(), line.end() - 20);
    auto huge = line;
    huge[5] = 0x7F; // a byte count far beyond the stream
    auto notANumber = line;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::memcpy(&notANumber[6 + 9], &nan, sizeof nan); // the first vertex's X, after the binary's head
    auto shortCount = line;
    shortCount[2] -= 8; // the binary claims fewer bytes than the geometry needs
    struct Case {
        const char* why;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"newer version", newer},           {"truncated", truncated},
        {"byte count too large", huge},     {"short byte count", shortCount},
        {"a point into a polyline", point}, {"a coordinate that is no number", notANumber},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ComPtr<IStream> stream;
        ASSERT_EQ(CreateStreamOnMemory(c.bytes.data(), static_cast<ULONG>(c.bytes.size()), docversion::kCurrent,
                                       stream.Out()),
                  S_OK);
        ComPtr<IGeometry> target = FromText(u"LINESTRING (7 7,8 8)");
        EXPECT_EQ(target.As<IPersistStream>()->Load(stream.Get()), E_FAIL);
        EXPECT_EQ(TextOf(target.Get()), u"LINESTRING (7 7,8 8)");
    }
}

TEST_F(Geometry, CloneIsIndependent) {
    ComPtr<IGeometry> line = FromText(u"LINESTRING (0 0,1 1)");
    ComPtr<IClone> copy;
    ASSERT_EQ(line.As<IClone>()->Clone(copy.Out()), S_OK);
    line.As<IPointCollection>()->AddPoint(At(5, 5).Get());
    EXPECT_EQ(TextOf(copy.As<IGeometry>().Get()), u"LINESTRING (0 0,1 1)");
    VARIANT_BOOL equal = VARIANT_TRUE;
    copy->IsEqual(line.As<IClone>().Get(), &equal);
    EXPECT_FALSE(equal);
    EXPECT_EQ(copy->Assign(line.As<IClone>().Get()), S_OK);
    copy->IsEqual(line.As<IClone>().Get(), &equal);
    EXPECT_TRUE(equal);
    EXPECT_EQ(copy->Assign(FromText(u"POINT (1 1)").As<IClone>().Get()), E_INVALIDARG);
}

// ---- the point's XML form ----

std::string PointXml(IGeometry* point) {
    BStr xml;
    EXPECT_EQ(TaviXmlSerialize(point, nullptr, xml.Out()), S_OK);
    return ToUtf8(xml.view());
}

HRESULT ReadPointXml(const std::string& xml, IGeometry* point) {
    return TaviXmlDeserialize(FromUtf8(xml).c_str(), point);
}

TEST_F(Geometry, PointXmlReadsBack) {
    const char16_t* kPoints[] = {u"POINT (3.5 -2)", u"POINT Z (1 2 3)", u"POINT M (1 2 4)", u"POINT ZM (-0.1 2 3 4)",
                                 u"POINT EMPTY"};
    for (const char16_t* text : kPoints) {
        SCOPED_TRACE(ToUtf8(text));
        std::string xml = PointXml(FromText(text).Get());
        EXPECT_NE(xml.find("typens:Point"), std::string::npos);
        // The target had other coordinates, Z and M: reading replaces them all.
        ComPtr<IGeometry> back = FromText(u"POINT ZM (9 9 9 9)");
        ASSERT_EQ(ReadPointXml(xml, back.Get()), S_OK);
        EXPECT_EQ(TextOf(back.Get()), text);
    }
}

TEST_F(Geometry, PointXmlCarriesItsSpatialReference) {
    ComPtr<ISpatialReference> utm;
    ASSERT_EQ(CreateSpatialReferenceFromText(u"EPSG:32633", utm.Out()), S_OK);
    ComPtr<IGeometry> point = FromText(u"POINT (500000 4000000)");
    point->putref_SpatialReference(utm.Get());
    ComPtr<IGeometry> back = FromText(u"POINT (1 1)");
    ASSERT_EQ(ReadPointXml(PointXml(point.Get()), back.Get()), S_OK);
    ComPtr<ISpatialReference> read;
    back->get_SpatialReference(read.Out());
    ASSERT_TRUE(read);
    int32_t code = 0;
    read->get_FactoryCode(&code);
    EXPECT_EQ(code, 32633);

    // A "SpatialReference" element that holds some other object is refused.
    std::string other = std::regex_replace(PointXml(point.Get()), std::regex("E330BE42-EF15-5E91-A0FF-1BA73F2DCC0B"),
                                           "7D7C5DDF-0CC6-56DB-8A1B-42456FB9C2E6");
    ComPtr<IGeometry> target = FromText(u"POINT (7 8)");
    EXPECT_EQ(ReadPointXml(other, target.Get()), E_FAIL);
    EXPECT_EQ(TextOf(target.Get()), u"POINT (7 8)");
}

TEST_F(Geometry, DamagedPointXmlIsRefused) {
    const std::string good = PointXml(FromText(u"POINT ZM (1 2 3 4)").Get());
    auto without = [&](const char* name) {
        return std::regex_replace(good, std::regex(std::string("<") + name + "[^>]*>[^<]*</" + name + ">"), "");
    };
    auto withText = [&](const char* name, const char* text) {
        return std::regex_replace(good, std::regex(std::string("(<") + name + "[^>]*>)[^<]*<"),
                                  std::string("$1") + text + "<");
    };
    struct Case {
        const char* why;
        std::string xml;
    };
    const Case cases[] = {
        {"X without Y", without("Y")},
        {"Z and M without X and Y", std::regex_replace(without("X"), std::regex("<Y[^>]*>[^<]*</Y>"), "")},
        {"X that is no number", withText("X", "abc")},
        {"infinite Y", withText("Y", "INF")},
        {"M that is not a number", withText("M", "NaN")},
        {"not XML", good.substr(0, good.size() / 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ASSERT_NE(c.xml, good);
        ComPtr<IGeometry> target = FromText(u"POINT (7 8)");
        EXPECT_EQ(ReadPointXml(c.xml, target.Get()), E_FAIL);
        EXPECT_EQ(TextOf(target.Get()), u"POINT (7 8)");
    }
}

// Feature rows of a GeoPackage: shapes written as geometry objects and read back.
class GeometryRows : public LeakCheckedTest {
protected:
    void SetUp() override {
        LeakCheckedTest::SetUp();
        data_.Vector("GPKG", "shapes.gpkg", "points", wkbPoint, 4326, {{"POINT (1 2)", "a", 1, 1, 2020, 1, 1}});
        data_.Vector("GPKG", "shapes.gpkg", "lines", wkbLineString, 4326, {});
        data_.Vector("GPKG", "shapes.gpkg", "areas", wkbMultiPolygon, 0, {});
        data_.Vector("GPKG", "shapes.gpkg", "plain", wkbNone, 0, {{"", "b", 2, 2, 2020, 1, 1}});
    }

    ComPtr<ITable> Open(const char* layer) {
        ComPtr<ITable> table;
        EXPECT_EQ(OpenTable(FromUtf8(data_.Path(std::string("shapes.gpkg/") + layer)), table.Out()), S_OK);
        return table;
    }

    // Stores a new row with the shape and reads it back by its identifier.
    ComPtr<IGeometry> StoreAndRead(ITable* table, IGeometry* shape) {
        ComPtr<IRow> row;
        EXPECT_EQ(table->CreateRow(row.Out()), S_OK);
        EXPECT_EQ(row.As<IFeature>()->putref_Shape(shape), S_OK);
        EXPECT_EQ(row->Store(), S_OK);
        int64_t oid = -1;
        row->get_OID(&oid);
        ComPtr<IRow> back;
        EXPECT_EQ(table->GetRow(oid, back.Out()), S_OK);
        ComPtr<IGeometry> read;
        if (back)
            back.As<IFeature>()->get_Shape(read.Out());
        return read;
    }

    TestData data_;
};

TEST_F(GeometryRows, ShapesWrittenAndReadBack) {
    struct Case {
        const char* layer;
        const char16_t* written;
        const char16_t* read; // the field's own form
    } const cases[] = {
        {"points", u"POINT (-71.0625 42.5)", u"POINT (-71.0625 42.5)"},
        {"lines", u"LINESTRING (0 0,1.5 2,3 3)", u"LINESTRING (0 0,1.5 2,3 3)"},
        {"areas", u"POLYGON ((0 0,1 0,1 1,0 0))", u"POLYGON ((0 0,1 0,1 1,0 0))"},
        {"areas", u"MULTIPOLYGON (((0 0,1 0,1 1,0 0)),((5 5,6 5,6 6,5 5)))",
         u"MULTIPOLYGON (((0 0,1 0,1 1,0 0)),((5 5,6 5,6 6,5 5)))"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.written));
        ComPtr<ITable> table = Open(c.layer);
        ComPtr<IGeometry> read = StoreAndRead(table.Get(), FromText(c.written).Get());
        ASSERT_TRUE(read);
        EXPECT_EQ(TextOf(read.Get()), c.read);
    }
    // The shape comes with the feature class's spatial reference.
    ComPtr<IRow> first;
    ASSERT_EQ(Open("points")->GetRow(1, first.Out()), S_OK);
    ComPtr<IGeometry> shape;
    ASSERT_EQ(first.As<IFeature>()->get_Shape(shape.Out()), S_OK);
    ComPtr<ISpatialReference> sr;
    shape->get_SpatialReference(sr.Out());
    ASSERT_TRUE(sr);
    int32_t code = 0;
    sr->get_FactoryCode(&code);
    EXPECT_EQ(code, 4326);
    // The text form of the same field agrees.
    Variant text;
    ASSERT_EQ(first->get_Value(1, &text), S_OK);
    EXPECT_EQ(std::u16string_view(text.bstrVal), u"POINT (1 2)");
}

TEST_F(GeometryRows, ShapesTheFieldCannotHold) {
    ComPtr<ITable> lines = Open("lines");
    ComPtr<IRow> row;
    ASSERT_EQ(lines->CreateRow(row.Out()), S_OK);
    ComPtr<IFeature> feature = row.As<IFeature>();
    ASSERT_TRUE(feature);
    EXPECT_EQ(feature->putref_Shape(FromText(u"POINT (1 2)").Get()), DISP_E_TYPEMISMATCH);
    // Two paths that do not join cannot become the field's one line string.
    EXPECT_EQ(feature->putref_Shape(FromText(u"MULTILINESTRING ((0 0,1 1),(5 5,6 6))").Get()), DISP_E_TYPEMISMATCH);
    // No shape: null and S_FALSE.
    ComPtr<IGeometry> none;
    EXPECT_EQ(feature->get_Shape(none.Out()), S_FALSE);
    EXPECT_FALSE(none);
    EXPECT_EQ(feature->putref_Shape(nullptr), S_OK);
    // A table has no shape to give.
    ComPtr<IRow> plain;
    ASSERT_EQ(Open("plain")->GetRow(1, plain.Out()), S_OK);
    EXPECT_FALSE(plain.As<IFeature>());
}

} // namespace
} // namespace tavi::test
