// The JSON form of record and feature sets: reading each geometry kind and field type into the columns, the header's
// members, refusals with the place they name (and the content left as it was), write and read back bit for bit,
// the writer's options, GeoJSON (read back with nlohmann/json and, once, with GDAL's GeoJSON driver) and the field
// list of a layer definition.
#include "TestData.h"
#include "TestSupport.h"

#include "data/RecordSetJson.h"
#include "host/SpatialReference.h"
#include "tavi/RecordSet.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstring>
#include <limits>

namespace tavi::test {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class RecordSetJson : public LeakCheckedTest {};

RecordColumn Column(const char16_t* name, int32_t type, const char16_t* alias = u"") {
    RecordColumn column;
    column.field.name = name;
    column.field.alias = alias;
    column.field.type = type;
    column.storage = StorageOf(type);
    return column;
}

RecordData Read(std::string_view json) {
    RecordData data;
    std::string error;
    EXPECT_EQ(ReadRecordSetJson(json, data, &error), S_OK) << error;
    return data;
}

std::string Write(const RecordData& data, int32_t options = taviJsonCompact) {
    std::string out;
    WriteRecordSetJson(data, options, out);
    return out;
}

bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

// What differs between two contents, for a failure's message ("" when nothing the test looks at does).
std::string Difference(const RecordData& a, const RecordData& b) {
    if (a.columns.size() != b.columns.size())
        return "column count";
    for (size_t i = 0; i < a.columns.size(); ++i) {
        const RecordColumn &x = a.columns[i], &y = b.columns[i];
        const std::string name = ToUtf8(x.field.name);
        if (x.field.name != y.field.name || x.field.alias != y.field.alias || x.field.type != y.field.type ||
            x.field.length != y.field.length || x.field.nullable != y.field.nullable)
            return "field " + name;
        if (x.nulls != y.nulls || x.integers != y.integers || !SameBits(x.reals, y.reals) || x.chars != y.chars ||
            x.textEnds != y.textEnds)
            return "values of " + name;
    }
    if (a.oidFieldName != b.oidFieldName || a.hasGeometry != b.hasGeometry ||
        a.geometryFieldIndex != b.geometryFieldIndex)
        return "object identifier or geometry field";
    const GeometryColumn &g = a.geometry, &h = b.geometry;
    if (g.fieldName != h.fieldName || g.shapeType != h.shapeType || g.hasZ != h.hasZ || g.hasM != h.hasM)
        return "geometry description";
    if (g.recordParts != h.recordParts || g.partPoints != h.partPoints || g.nulls != h.nulls)
        return "geometry parts";
    if (!SameBits(g.xy, h.xy) || !SameBits(g.z, h.z) || !SameBits(g.m, h.m))
        return "coordinates";
    if (!g.spatialReference != !h.spatialReference)
        return "spatial reference";
    return a == b ? "" : "spatial reference";
}

// ---- Reading.

struct GeometryCase {
    const char* why;
    const char* json;
    int32_t shapeType;
    bool hasZ, hasM;
    std::vector<uint64_t> recordParts, partPoints;
    std::vector<double> xy, z, m;
    std::vector<uint8_t> nulls;
};

const GeometryCase kGeometries[] = {
    {"point with z and m, given in any order",
     R"({"geometryType":"taviGeometryPoint","hasZ":true,"hasM":true,"features":[
         {"geometry":{"m":4,"z":3,"y":2,"x":1}}]})",
     taviGeometryPoint,
     true,
     true,
     {0, 1},
     {0, 1},
     {1, 2},
     {3},
     {4},
     {0}},
    {"empty points (x null or \"NaN\"), a null and a missing geometry, a point without its m",
     R"({"geometryType":"taviGeometryPoint","hasM":true,"features":[
         {"geometry":{"x":null,"y":null}},{"geometry":{"x":"NaN","y":5}},{"geometry":null},{},
         {"geometry":{"x":7,"y":8}}]})",
     taviGeometryPoint,
     false,
     true,
     {0, 0, 0, 0, 0, 1},
     {0, 1},
     {7, 8},
     {},
     {kNaN},
     {0, 0, 1, 1, 0}},
    {"multipoint: one part of all points; no points is an empty geometry",
     R"({"geometryType":"taviGeometryMultipoint","features":[
         {"geometry":{"points":[[1,2],[3,4],[5,6]]}},{"geometry":{"points":[]}}]})",
     taviGeometryMultipoint,
     false,
     false,
     {0, 1, 1},
     {0, 3},
     {1, 2, 3, 4, 5, 6},
     {},
     {},
     {0, 0}},
    {"polyline of two paths with z; null coordinates are NaN",
     R"({"geometryType":"taviGeometryPolyline","hasZ":true,"features":[
         {"geometry":{"paths":[[[0,0,1],[1,1,null]],[[2,2,3],[3,3,4],[4,4,5]]]}}]})",
     taviGeometryPolyline,
     true,
     false,
     {0, 2},
     {0, 2, 5},
     {0, 0, 1, 1, 2, 2, 3, 3, 4, 4},
     {1, kNaN, 3, 4, 5},
     {},
     {0}},
    {"polygon with m only: [x, y, m]; an empty polygon",
     R"({"geometryType":"taviGeometryPolygon","hasM":true,"features":[
         {"geometry":{"rings":[[[0,0,9],[0,1,8],[1,1,7],[0,0,9]]]}},{"geometry":{"rings":[]}}]})",
     taviGeometryPolygon,
     false,
     true,
     {0, 1, 1},
     {0, 4},
     {0, 0, 0, 1, 1, 1, 0, 0},
     {},
     {9, 8, 7, 9},
     {0, 0}},
};

TEST_F(RecordSetJson, ReadsEachGeometryKind) {
    for (const auto& c : kGeometries) {
        SCOPED_TRACE(c.why);
        RecordData data = Read(c.json);
        const GeometryColumn& g = data.geometry;
        EXPECT_TRUE(data.hasGeometry);
        EXPECT_EQ(g.shapeType, c.shapeType);
        EXPECT_EQ(g.hasZ, c.hasZ);
        EXPECT_EQ(g.hasM, c.hasM);
        EXPECT_EQ(g.recordParts, c.recordParts);
        EXPECT_EQ(g.partPoints, c.partPoints);
        EXPECT_TRUE(SameBits(g.xy, c.xy));
        EXPECT_TRUE(SameBits(g.z, c.z));
        EXPECT_TRUE(SameBits(g.m, c.m));
        EXPECT_EQ(g.nulls, c.nulls);
        EXPECT_EQ(data.RecordCount(), c.nulls.size());
    }
}

TEST_F(RecordSetJson, ReadsEachFieldType) {
    RecordData data = Read(R"({"fields":[
        {"name":"OBJECTID","type":"taviFieldTypeOID","alias":"Object ID"},
        {"name":"small","type":"taviFieldTypeSmallInteger"},
        {"name":"whole","type":"taviFieldTypeInteger","nullable":false,"editable":false},
        {"name":"big","type":"taviFieldTypeBigInteger"},
        {"name":"single","type":"taviFieldTypeSingle"},
        {"name":"real","type":"taviFieldTypeDouble","domain":{"type":"range","range":[0,1]}},
        {"name":"when","type":"taviFieldTypeDate"},
        {"name":"name","type":"taviFieldTypeString","length":50},
        {"name":"id","type":"taviFieldTypeGUID"},
        {"name":"day","type":"taviFieldTypeDateOnly"}],
      "features":[
        {"attributes":{"OBJECTID":1,"small":-32768,"whole":2147483647,"big":9223372036854775807,"single":0.5,
                       "real":-0.0,"when":1700000000123,"name":"caf\u00e9 \ud83d\ude00 \"q\"\n","id":"{A-B}",
                       "day":"2024-02-29"}},
        {"attributes":{"day":null,"big":-9223372036854775808,"OBJECTID":2,"whole":3.0,"real":"NaN",
                       "single":"-Infinity","when":-1}},
        {}]})");
    ASSERT_EQ(data.columns.size(), 10u);
    EXPECT_EQ(data.oidFieldName, u"OBJECTID");
    EXPECT_FALSE(data.hasGeometry);
    EXPECT_EQ(data.geometryFieldIndex, -1);
    EXPECT_EQ(data.RecordCount(), 3u);
    const auto& c = data.columns;
    EXPECT_EQ(c[0].field.alias, u"Object ID");
    EXPECT_FALSE(c[2].field.nullable);
    EXPECT_FALSE(c[2].field.editable);
    EXPECT_EQ(c[7].field.length, 50);
    EXPECT_EQ(c[0].integers, (std::vector<int64_t>{1, 2, 0}));
    EXPECT_EQ(c[1].integers[0], -32768);
    EXPECT_EQ(c[2].integers, (std::vector<int64_t>{2147483647, 3, 0}));
    EXPECT_EQ(c[3].integers[0], std::numeric_limits<int64_t>::max());
    EXPECT_EQ(c[3].integers[1], std::numeric_limits<int64_t>::min());
    EXPECT_EQ(c[4].reals[0], 0.5);
    EXPECT_EQ(c[4].reals[1], -kInf);
    EXPECT_TRUE(std::signbit(c[5].reals[0])) << "-0.0 keeps its sign";
    EXPECT_TRUE(std::isnan(c[5].reals[1]));
    EXPECT_EQ(c[6].storage, ColumnStorage::Date);
    EXPECT_EQ(c[6].integers, (std::vector<int64_t>{1700000000123, -1, 0}));
    EXPECT_EQ(c[7].Text(0), "caf\xC3\xA9 \xF0\x9F\x98\x80 \"q\"\n");
    EXPECT_EQ(c[8].Text(0), "{A-B}");
    EXPECT_EQ(c[9].Text(0), "2024-02-29");
    // Attributes missing from a feature, null ones, and a feature without attributes are null.
    EXPECT_EQ(c[9].nulls, (std::vector<uint8_t>{0, 1, 1}));
    EXPECT_EQ(c[1].nulls, (std::vector<uint8_t>{0, 1, 1}));
    EXPECT_EQ(c[7].nulls, (std::vector<uint8_t>{0, 1, 1}));
    EXPECT_EQ(c[0].nulls, (std::vector<uint8_t>{0, 0, 1}));
}

TEST_F(RecordSetJson, ReadsTheHeader) {
    RecordData data = Read(R"({"displayFieldName":"name","geometryType":"taviGeometryPoint",
        "spatialReference":{"wkid":102100,"latestWkid":3857},"unknown":{"deep":[[{"a":null}],true,-1e5,"x",123456789012345678901234567890,1e400]},
        "fields":[{"name":"name","type":"taviFieldTypeString"},{"name":"FID","type":"taviFieldTypeOID"}],
        "features":[],"exceededTransferLimit":true})");
    EXPECT_EQ(data.displayFieldName, u"name");
    EXPECT_TRUE(data.exceededTransferLimit);
    EXPECT_EQ(data.oidFieldName, u"FID");
    EXPECT_EQ(data.geometry.fieldName, u"Shape");
    EXPECT_EQ(data.geometryFieldIndex, 2) << "after the object identifier field";
    ASSERT_TRUE(data.geometry.spatialReference);
    int32_t code = 0;
    data.geometry.spatialReference->get_FactoryCode(&code);
    EXPECT_EQ(code, 3857) << "latestWkid is preferred";

    // The geometry field named by "geometryFieldName", or listed among the fields where it stands.
    EXPECT_EQ(Read(R"({"geometryType":"taviGeometryPoint","geometryFieldName":"Geom","fields":[],"features":[]})")
                  .geometry.fieldName,
              u"Geom");
    RecordData listed = Read(R"({"geometryType":"taviGeometryPoint","spatialReference":{"wkt":"EPSG:4326"},
        "fields":[{"name":"a","type":"taviFieldTypeString"},{"name":"GEOM","type":"taviFieldTypeGeometry"},
                  {"name":"OID","type":"taviFieldTypeOID"}],"features":[]})");
    EXPECT_EQ(listed.geometry.fieldName, u"GEOM");
    EXPECT_EQ(listed.geometryFieldIndex, 1);
    EXPECT_EQ(listed.columns.size(), 2u);
    ASSERT_TRUE(listed.geometry.spatialReference);
    listed.geometry.spatialReference->get_FactoryCode(&code);
    EXPECT_EQ(code, 4326);
}

TEST_F(RecordSetJson, HeaderAfterTheFeaturesIsReadFirst) {
    // Members of an object have no order: the features are read once the fields, geometry type, Z and M are known.
    const char* inOrder = R"({"geometryType":"taviGeometryPolyline","hasZ":true,
        "fields":[{"name":"n","type":"taviFieldTypeInteger"}],
        "features":[{"attributes":{"n":1},"geometry":{"paths":[[[1,2,3],[4,5,6]]]}}]})";
    const char* featuresFirst = R"({"features":[{"geometry":{"paths":[[[1,2,3],[4,5,6]]]},"attributes":{"n":1}}],
        "fields":[{"name":"n","type":"taviFieldTypeInteger"}],"hasZ":true,"geometryType":"taviGeometryPolyline"})";
    const char* zLast = R"({"geometryType":"taviGeometryPolyline","fields":[{"name":"n","type":"taviFieldTypeInteger"}],
        "features":[{"attributes":{"n":1},"geometry":{"paths":[[[1,2,3],[4,5,6]]]}}],"hasZ":true})";
    RecordData expected = Read(inOrder);
    EXPECT_EQ(expected.geometry.z, (std::vector<double>{3, 6}));
    EXPECT_TRUE(Read(featuresFirst) == expected);
    EXPECT_TRUE(Read(zLast) == expected);
}

TEST_F(RecordSetJson, KeysSpelledWithEscapesAreTheSameKeys) {
    // Keys are matched as written where they can be; a key with escapes, or a field name that needs them, is
    // unescaped first.
    const RecordData plain = Read(R"({"geometryType":"taviGeometryPolyline",
        "fields":[{"name":"n","type":"taviFieldTypeInteger"},{"name":"a\"b","type":"taviFieldTypeString"}],
        "features":[{"attributes":{"n":1,"a\"b":"x"},"geometry":{"paths":[[[1,2]]]}}]})");
    const RecordData escaped = Read(R"({"geometryType":"taviGeometryPolyline",
        "fields":[{"name":"n","type":"taviFieldTypeInteger"},{"name":"a\u0022b","type":"taviFieldTypeString"}],
        "features":[{"attr\u0069butes":{"\u006e":1,"a\"b":"x"},"ge\u006fmetry":{"p\u0061ths":[[[1,2]]]}}]})");
    EXPECT_EQ(plain.columns[1].field.name, u"a\"b");
    EXPECT_EQ(plain.columns[1].Text(0), "x");
    EXPECT_EQ(plain.geometry.xy, (std::vector<double>{1, 2}));
    EXPECT_EQ(Difference(escaped, plain), "");
}

// ---- Refusals.

struct ErrorCase {
    const char* why;
    std::string json;
    const char* message; // the whole message, or its start when it ends with "..."
};

std::string ManyFieldsFewBytes() {
    // 1,000 fields and 1,000 features that give no attribute: a million nulls from a text of some 50 kB.
    std::string json = R"({"fields":[)";
    for (int i = 0; i < 1000; ++i)
        json +=
            (i ? "," : "") + std::string(R"({"name":"f)") + std::to_string(i) + R"(","type":"taviFieldTypeInteger"})";
    json += R"(],"features":[)";
    for (int i = 0; i < 1000; ++i)
        json += i ? ",{}" : "{}";
    return json + "]}";
}

std::string Nested(int depth) {
    return R"({"unknown":)" + std::string(static_cast<size_t>(depth), '[') +
           std::string(static_cast<size_t>(depth), ']') + "}";
}

const std::string kLine =
    R"("geometryType":"taviGeometryPolyline","fields":[{"name":"n","type":"taviFieldTypeInteger"}])";

const ErrorCase kErrors[] = {
    {"no text", "  ", "the text holds no JSON"},
    {"not an object", "[1,2]", "a record set must be a JSON object"},
    {"cut off", R"({"fields":[{"name":"a")", "malformed JSON..."},
    {"two elements without a comma", R"({"fields":[{"name":"a","type":"taviFieldTypeString"} {}]})",
     "fields[1]: malformed JSON..."},
    {"malformed JSON in a member the form does not know", R"({"other":[1,,2],"features":[]})",
     "other: malformed JSON..."},
    {"malformed JSON among the features, which leaves the parser unable to go back",
     "{" + kLine + R"(,"features":[{"geometry":{"paths":[[[0,0][1,1]]]}}]})", "features[0].geometry.paths[0]..."},
    {"text after the object", R"({"features":[]} {})", "..."},
    {"ill-formed UTF-8", "{\"displayFieldName\":\"\xC3\x28\"}", "malformed JSON..."},
    {"unknown members nested deeper than the reader walks", Nested(70), "unknown: nested more than 64 deep"},
    {"fields not an array", R"({"fields":{}})", "fields: 'fields' must be an array"},
    {"a field type that is none", R"({"fields":[{"name":"a","type":"text"}]})", "fields[0]: 'text' is no field type"},
    {"a field without a name", R"({"fields":[{"type":"taviFieldTypeString"}]})",
     "fields[0]: a field must have a 'name'"},
    {"two fields of one name but for case", R"({"fields":[{"name":"a","type":"taviFieldTypeString"},
       {"name":"A","type":"taviFieldTypeString"}]})",
     "fields[1]: a second field named 'A'"},
    {"two object identifier fields", R"({"fields":[{"name":"a","type":"taviFieldTypeOID"},
       {"name":"b","type":"taviFieldTypeOID"}]})",
     "fields[1]: a second object identifier field"},
    {"a geometry field without a geometry type", R"({"fields":[{"name":"g","type":"taviFieldTypeGeometry"}]})",
     "fields[0]: a geometry field without a 'geometryType'"},
    {"a geometry type of no geometry this form holds", R"({"geometryType":"taviGeometryMultiPatch"})",
     "geometryType: 'taviGeometryMultiPatch' is no geometry type of this form..."},
    {"a coordinate system code that names none",
     R"({"geometryType":"taviGeometryPoint","spatialReference":{"wkid":999999}})",
     "spatialReference: no coordinate system has the code 999999"},
    {"features twice", R"({"features":[],"features":[]})", "features: given twice"},
    {"a feature that is no object", R"({"features":[{},3]})", "features[1]: a feature must be an object"},
    {"paths not an array", "{" + kLine + R"(,"features":[{"geometry":{"paths":{}}}]})",
     "features[0].geometry.paths: 'paths' must be an array"},
    {"a point of three coordinates in a set without Z or M",
     "{" + kLine + R"(,"features":[{"geometry":{"paths":[[[0,0],[1,1,1]]]}}]})",
     "features[0].geometry.paths[0][1]: a point must have 2 coordinates (x, y)"},
    {"a point of two coordinates in a set with Z",
     "{" + kLine + R"(,"hasZ":true,"features":[{"geometry":{"paths":[[[0,0]]]}}]})",
     "features[0].geometry.paths[0][0]: a point must have 3 coordinates (x, y, z)"},
    {"a coordinate that is no number", "{" + kLine + R"(,"features":[{"geometry":{"paths":[[[0,"a"]]]}}]})",
     "features[0].geometry.paths[0][0]: coordinates must be numbers"},
    {"the parts of another kind", "{" + kLine + R"(,"features":[{"geometry":{"rings":[]}}]})",
     "features[0].geometry: 'rings' does not belong to a taviGeometryPolyline"},
    {"curves", "{" + kLine + R"(,"features":[{"geometry":{"curvePaths":[]}}]})",
     "features[0].geometry: curves ('curvePaths') cannot be read"},
    {"a point with x and no y", R"({"geometryType":"taviGeometryPoint","features":[{"geometry":{"x":1}}]})",
     "features[0].geometry: a point must have 'y'"},
    {"a geometry in a record set without a geometry type", R"({"features":[{"geometry":{"x":1,"y":2}}]})",
     "features[0].geometry: a geometry in a record set without 'geometryType'"},
    {"an attribute not among the fields",
     "{" + kLine + R"(,"features":[{"attributes":{"n":1}},{"attributes":{"m":1}}]})",
     "features[1].attributes: 'm' is not among the fields"},
    {"an attribute twice", "{" + kLine + R"(,"features":[{"attributes":{"n":1,"n":2}}]})",
     "features[0].attributes: 'n' given twice"},
    {"a text in an integer field", "{" + kLine + R"(,"features":[{"attributes":{"n":"1"}}]})",
     "features[0].attributes: 'n' must be an integer"},
    {"a fraction in an integer field", "{" + kLine + R"(,"features":[{"attributes":{"n":1.5}}]})",
     "features[0].attributes: 'n' must be an integer"},
    {"beyond a 32-bit integer", "{" + kLine + R"(,"features":[{"attributes":{"n":2147483648}}]})",
     "features[0].attributes: 'n' is beyond the range of its field type"},
    {"a number in a text field",
     R"({"fields":[{"name":"s","type":"taviFieldTypeString"}],"features":[{"attributes":{"s":1}}]})",
     "features[0].attributes: 's' must be a text"},
    {"a number beyond a double's range",
     R"({"fields":[{"name":"r","type":"taviFieldTypeDouble"}],"features":[{"attributes":{"r":1e400}}]})",
     "features[0].attributes: a number beyond the range of a double"},
    {"a date that is no integer",
     R"({"fields":[{"name":"d","type":"taviFieldTypeDate"}],"features":[{"attributes":{"d":"2024"}}]})",
     "features[0].attributes: 'd' must be a date as an integer of milliseconds since 1970"},
    {"more features times fields than the text's size allows", ManyFieldsFewBytes(),
     "features: more features times fields than the text's size allows"},
};

TEST_F(RecordSetJson, RefusesWhatIsNotTheFormAndNamesThePlace) {
    const RecordData before =
        Read(R"({"geometryType":"taviGeometryPoint","fields":[{"name":"n","type":"taviFieldTypeInteger"}],
        "features":[{"attributes":{"n":7},"geometry":{"x":1,"y":2}}]})");
    for (const auto& c : kErrors) {
        SCOPED_TRACE(c.why);
        RecordData data = Read(Write(before));
        std::string error;
        EXPECT_EQ(ReadRecordSetJson(c.json, data, &error), E_INVALIDARG);
        std::string_view expected = c.message;
        if (expected.ends_with("..."))
            EXPECT_EQ(error.substr(0, expected.size() - 3), expected.substr(0, expected.size() - 3)) << error;
        else
            EXPECT_EQ(error, expected);
        EXPECT_TRUE(data == before) << "a refused text changed the content";
    }
}

// ---- Writing and reading back.

// A feature set of each kind with every storage, the doubles that are hard to write and texts that need escapes.
RecordData Sample(int32_t shapeType, bool hasZ, bool hasM) {
    RecordData data;
    data.displayFieldName = u"name";
    data.oidFieldName = u"OBJECTID";
    data.columns.push_back(Column(u"OBJECTID", taviFieldTypeOID, u"Object ID"));
    data.columns.push_back(Column(u"name", taviFieldTypeString, u"Name \u00e9"));
    data.columns.back().field.length = 80;
    data.columns.push_back(Column(u"real", taviFieldTypeDouble));
    data.columns.back().field.nullable = false;
    data.columns.push_back(Column(u"big", taviFieldTypeBigInteger));
    data.columns.push_back(Column(u"when", taviFieldTypeDate));
    const double reals[] = {-0.0,
                            4.9406564584124654e-324,
                            1e308,
                            0.1,
                            std::numeric_limits<double>::max(),
                            2.2250738585072014e-308,
                            kNaN,
                            -kInf,
                            1.0 / 3,
                            123456789012345680000.0};
    const int64_t bigs[] = {std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::min(), 0, -1};
    const char* texts[] = {"plain", "quote \" backslash \\ slash /", "control \x01\x1f\t\r\n\b\f",
                           "UTF-8 \xC3\xA9 \xF0\x9F\x98\x80 \xE2\x80\xA8", ""};
    data.hasGeometry = true;
    data.geometryFieldIndex = 1;
    GeometryColumn& g = data.geometry;
    g.shapeType = shapeType;
    g.hasZ = hasZ;
    g.hasM = hasM;
    CreateSpatialReferenceFromText(u"EPSG:4326", g.spatialReference.Out());
    const size_t records = std::size(reals);
    for (size_t r = 0; r < records; ++r) {
        data.columns[0].AppendInteger(static_cast<int64_t>(r) + 1);
        if (r == 3)
            data.columns[1].AppendNull();
        else
            data.columns[1].AppendText(texts[r % std::size(texts)]);
        data.columns[2].AppendReal(reals[r]);
        data.columns[3].AppendInteger(bigs[r % std::size(bigs)]);
        data.columns[4].AppendInteger(r % 2 ? -86400000 * static_cast<int64_t>(r)
                                            : 1700000000000 + static_cast<int64_t>(r));
        if (r == 2) { // a null geometry
            g.EndRecord(true);
            continue;
        }
        if (r == 5) { // an empty one
            g.EndRecord(false);
            continue;
        }
        const size_t parts = shapeType == taviGeometryPoint || shapeType == taviGeometryMultipoint ? 1 : 1 + r % 2;
        const size_t points = shapeType == taviGeometryPoint ? 1 : shapeType == taviGeometryPolygon ? 4 : 3;
        for (size_t p = 0; p < parts; ++p) {
            for (size_t k = 0; k < points; ++k) {
                g.xy.push_back(reals[(r + k) % records] == reals[(r + k) % records] ? reals[(r + k) % records] + k
                                                                                    : 1.5);
                g.xy.push_back(-0.0 - static_cast<double>(k + p));
                if (hasZ)
                    g.z.push_back(reals[(r + k + 1) % records]);
                if (hasM)
                    g.m.push_back(k == 1 ? kNaN : static_cast<double>(k) / 7);
            }
            g.EndPart();
        }
        g.EndRecord(false);
    }
    return data;
}

TEST_F(RecordSetJson, WriteThenReadGivesTheSameBits) {
    for (int32_t shapeType : {taviGeometryPoint, taviGeometryMultipoint, taviGeometryPolyline, taviGeometryPolygon})
        for (int zm = 0; zm < 4; ++zm) {
            const RecordData data = Sample(shapeType, zm & 1, zm & 2);
            SCOPED_TRACE(std::string(GeometryTypeJsonName(shapeType)) + " z " + std::to_string(zm & 1) + " m " +
                         std::to_string(zm >> 1));
            for (int32_t options : {taviJsonCompact, taviJsonPretty}) {
                const std::string json = Write(data, options);
                RecordData back;
                std::string error;
                ASSERT_EQ(ReadRecordSetJson(json, back, &error), S_OK) << error << "\n" << json;
                EXPECT_EQ(Difference(back, data), "") << json;
                EXPECT_EQ(Write(back, options), json) << "writing again gives the same text";
            }
        }
}

TEST_F(RecordSetJson, RecordSetsWithoutGeometryAndGeometryFieldsElsewhere) {
    RecordData table;
    table.columns.push_back(Column(u"n", taviFieldTypeSmallInteger));
    table.columns.push_back(Column(u"r", taviFieldTypeSingle));
    table.columns[0].AppendInteger(-5);
    table.columns[0].AppendNull();
    table.columns[0].AppendInteger(0);
    table.columns[1].AppendReal(3);
    table.columns[1].AppendReal(-0.0);
    table.columns[1].AppendReal(kNaN);
    const std::string json = Write(table);
    // Reals that would read as integers are marked as reals; NaN is a text.
    EXPECT_EQ(json, R"({"displayFieldName":"","fields":[{"name":"n","type":"taviFieldTypeSmallInteger"},)"
                    R"({"name":"r","type":"taviFieldTypeSingle"}],"features":[{"attributes":{"n":-5,"r":3.0}},)"
                    R"({"attributes":{"n":null,"r":-0.0}},{"attributes":{"n":0,"r":"NaN"}}]})");
    EXPECT_TRUE(Read(json) == table);

    // A geometry field with a name of its own, then one that stands elsewhere than after the object identifier.
    RecordData moved = Sample(taviGeometryPoint, false, false);
    moved.geometry.fieldName = u"Where";
    EXPECT_NE(Write(moved).find(R"("geometryFieldName":"Where")"), std::string::npos);
    EXPECT_EQ(Difference(Read(Write(moved)), moved), "");
    moved.geometryFieldIndex = 3;
    EXPECT_NE(Write(moved).find(R"({"name":"Where","type":"taviFieldTypeGeometry"})"), std::string::npos);
    EXPECT_EQ(Difference(Read(Write(moved)), moved), "");
}

TEST_F(RecordSetJson, PrettyAndOptionFlags) {
    RecordData data;
    data.oidFieldName = u"OID";
    data.columns.push_back(Column(u"OID", taviFieldTypeOID, u"Id"));
    data.columns[0].AppendInteger(1);
    data.hasGeometry = true;
    data.geometryFieldIndex = 1;
    data.geometry.shapeType = taviGeometryPolyline;
    data.geometry.hasZ = data.geometry.hasM = true;
    data.geometry.xy = {1, 2, 3, 4};
    data.geometry.z = {5, 6};
    data.geometry.m = {kNaN, 8};
    data.geometry.EndPart();
    data.geometry.EndRecord();
    EXPECT_EQ(Write(data, taviJsonPretty), R"({
  "displayFieldName": "",
  "geometryType": "taviGeometryPolyline",
  "hasZ": true,
  "hasM": true,
  "fields": [
    {
      "name": "OID",
      "type": "taviFieldTypeOID",
      "alias": "Id"
    }
  ],
  "features": [
    {
      "attributes": {
        "OID": 1
      },
      "geometry": {
        "paths": [
          [
            [1, 2, 5, null],
            [3, 4, 6, 8]
          ]
        ]
      }
    }
  ]
})");
    EXPECT_EQ(Write(data, taviJsonSkipFieldAliases | taviJsonNoZ),
              R"({"displayFieldName":"","geometryType":"taviGeometryPolyline","hasM":true,)"
              R"("fields":[{"name":"OID","type":"taviFieldTypeOID"}],)"
              R"("features":[{"attributes":{"OID":1},"geometry":{"paths":[[[1,2,null],[3,4,8]]]}}]})");
    RecordData xy = Read(Write(data, taviJsonNoZ | taviJsonNoM));
    EXPECT_FALSE(xy.geometry.hasZ || xy.geometry.hasM);
    EXPECT_EQ(xy.geometry.xy, data.geometry.xy);
    EXPECT_TRUE(xy.geometry.z.empty() && xy.geometry.m.empty());
}

TEST_F(RecordSetJson, IllFormedUtf8IsReplacedSoThatTheTextReadsBack) {
    RecordData data;
    data.columns.push_back(Column(u"s", taviFieldTypeString));
    // A lone continuation byte, a cut-off sequence, an overlong form, an encoded surrogate, beyond U+10FFFF.
    data.columns[0].AppendText("a\x80"
                               "b\xE2\x82"
                               "c\xC0\xAF"
                               "d\xED\xA0\x80"
                               "e\xF4\x90\x80\x80");
    const std::string json = Write(data);
    RecordData back = Read(json);
    const std::string r = "\xEF\xBF\xBD";
    EXPECT_EQ(back.columns[0].Text(0), "a" + r + "b" + r + r + "c" + r + r + "d" + r + r + r + "e" + r + r + r + r);
}

TEST_F(RecordSetJson, PaddedTextsAreReadWithoutACopy) {
    const RecordData data = Sample(taviGeometryPolygon, true, false);
    std::string json = Write(data);
    RecordData borrowed;
    const PaddedJson view = PaddedJson::Borrow(json);
    EXPECT_GE(json.capacity(), json.size() + kJsonPadding);
    EXPECT_EQ(view.Text().data(), json.data()) << "the string's own buffer";
    ASSERT_EQ(ReadRecordSetJson(view, borrowed), S_OK);
    EXPECT_EQ(Difference(borrowed, data), "");

    TestData folder;
    const std::string path = folder.Path("set.json");
    std::ofstream(path, std::ios::binary) << json;
    PaddedJson file;
    ASSERT_EQ(PaddedJson::ReadFile(path, file), S_OK);
    RecordData read;
    ASSERT_EQ(ReadRecordSetJson(file, read), S_OK);
    EXPECT_EQ(Difference(read, data), "");
    EXPECT_EQ(PaddedJson::ReadFile(folder.Path("missing.json"), file), STG_E_FILENOTFOUND);
    EXPECT_EQ(PaddedJson::ReadFile(folder.Path(), file), STG_E_FILENOTFOUND) << "a folder is no file";
    EXPECT_EQ(file.Text(), json) << "a failed read leaves the text as it was";
}

// ---- GeoJSON.

TEST_F(RecordSetJson, GeoJsonGroupsRingsAndTurnsThemAsRfc7946Asks) {
    RecordData data;
    data.columns.push_back(Column(u"OBJECTID", taviFieldTypeOID));
    data.columns.push_back(Column(u"when", taviFieldTypeDate));
    data.columns.push_back(Column(u"real", taviFieldTypeDouble));
    data.hasGeometry = true;
    data.geometryFieldIndex = 1;
    GeometryColumn& g = data.geometry;
    g.shapeType = taviGeometryPolygon;
    auto ring = [&](std::vector<double> xy) {
        g.xy.insert(g.xy.end(), xy.begin(), xy.end());
        g.EndPart();
    };
    // One polygon: a clockwise outer ring and a counterclockwise hole.
    ring({0, 0, 0, 10, 10, 10, 10, 0, 0, 0});
    ring({2, 2, 4, 2, 4, 4, 2, 4, 2, 2});
    g.EndRecord();
    // Two polygons: two clockwise rings.
    ring({0, 0, 0, 1, 1, 1, 0, 0});
    ring({5, 5, 5, 6, 6, 6, 5, 5});
    g.EndRecord();
    g.EndRecord(true);
    const int64_t dates[] = {0, 951782400123, -1};
    for (int r = 0; r < 3; ++r) {
        data.columns[0].AppendInteger(r + 1);
        data.columns[1].AppendInteger(dates[r]);
        data.columns[2].AppendReal(r == 2 ? kNaN : r + 0.5);
    }
    std::string text;
    WriteRecordSetGeoJson(data, text);
    const nlohmann::json json = nlohmann::json::parse(text);
    EXPECT_EQ(json["type"], "FeatureCollection");
    const auto& features = json["features"];
    ASSERT_EQ(features.size(), 3u);
    EXPECT_EQ(features[0]["type"], "Feature");
    EXPECT_EQ(features[0]["id"], 1);
    EXPECT_FALSE(features[0]["properties"].contains("OBJECTID")) << "the identifier is the feature's id";
    EXPECT_EQ(features[0]["geometry"]["type"], "Polygon");
    EXPECT_EQ(features[0]["geometry"]["coordinates"],
              nlohmann::json::parse("[[[0,0],[10,0],[10,10],[0,10],[0,0]],[[2,2],[2,4],[4,4],[4,2],[2,2]]]"))
        << "the outer ring counterclockwise, the hole clockwise";
    EXPECT_EQ(features[1]["geometry"]["type"], "MultiPolygon");
    EXPECT_EQ(features[1]["geometry"]["coordinates"],
              nlohmann::json::parse("[[[[0,0],[1,1],[0,1],[0,0]]],[[[5,5],[6,6],[5,6],[5,5]]]]"));
    EXPECT_TRUE(features[2]["geometry"].is_null());
    EXPECT_EQ(features[0]["properties"]["when"], "1970-01-01T00:00:00Z");
    EXPECT_EQ(features[1]["properties"]["when"], "2000-02-29T00:00:00.123Z");
    EXPECT_EQ(features[2]["properties"]["when"], "1969-12-31T23:59:59.999Z");
    EXPECT_EQ(features[1]["properties"]["real"], 1.5);
    EXPECT_TRUE(features[2]["properties"]["real"].is_null()) << "NaN is no JSON number";
}

TEST_F(RecordSetJson, GeoJsonOfEachKindOpensWithGdal) {
    TestData folder;
    const std::string path = folder.Path("lines.geojson");
    RecordData lines = Sample(taviGeometryPolyline, true, true);
    for (auto* values : {&lines.geometry.xy, &lines.geometry.z})
        for (double& value : *values)
            value = std::isfinite(value) ? value : 0; // GeoJSON has no coordinates that are not numbers
    std::string text;
    WriteRecordSetGeoJson(lines, text);
    std::ofstream(path, std::ios::binary) << text;
    GDALDatasetUniquePtr dataset(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
    ASSERT_TRUE(dataset);
    OGRLayer* layer = dataset->GetLayer(0);
    ASSERT_TRUE(layer);
    EXPECT_EQ(layer->GetFeatureCount(), static_cast<GIntBig>(lines.RecordCount()));
    std::unique_ptr<OGRFeature> feature(layer->GetNextFeature());
    ASSERT_TRUE(feature);
    EXPECT_EQ(feature->GetFID(), 1);
    EXPECT_STREQ(feature->GetFieldAsString("name"), "plain");
    EXPECT_EQ(feature->GetFieldAsInteger64("big"), std::numeric_limits<int64_t>::max());
    const OGRGeometry* geometry = feature->GetGeometryRef();
    ASSERT_TRUE(geometry);
    EXPECT_EQ(wkbFlatten(geometry->getGeometryType()), wkbLineString);
    EXPECT_TRUE(geometry->Is3D());
    EXPECT_EQ(geometry->toLineString()->getNumPoints(), 3);
    EXPECT_EQ(geometry->toLineString()->getY(1), -1.0);
    feature.reset(layer->GetNextFeature());
    ASSERT_TRUE(feature && feature->GetGeometryRef());
    EXPECT_EQ(wkbFlatten(feature->GetGeometryRef()->getGeometryType()), wkbMultiLineString);
}

// ---- Layer definitions.

TEST_F(RecordSetJson, LayerDefinitionGivesTheEmptyColumns) {
    RecordData data;
    std::string error;
    ASSERT_EQ(ReadLayerDefinitionFields(R"({"currentVersion":11.1,"id":0,"name":"Roads","type":"Feature Layer",
        "geometryType":"taviGeometryPolyline","hasZ":false,"hasM":true,"displayField":"label",
        "extent":{"xmin":-1,"ymin":-1,"xmax":1,"ymax":1,"spatialReference":{"wkid":4326,"latestWkid":4326}},
        "drawingInfo":{"renderer":{"type":"simple","symbol":{"color":[0,0,0,255],"width":1}}},
        "objectIdField":"FID",
        "fields":[{"name":"FID","type":"taviFieldTypeInteger","alias":"FID","editable":false,"nullable":false},
                  {"name":"Shape","type":"taviFieldTypeGeometry","alias":"Shape"},
                  {"name":"label","type":"taviFieldTypeString","alias":"Label","length":64,"domain":null}],
        "capabilities":"Query"})",
                                        data, &error),
              S_OK)
        << error;
    EXPECT_EQ(data.RecordCount(), 0u);
    ASSERT_EQ(data.columns.size(), 2u);
    EXPECT_EQ(data.oidFieldName, u"FID");
    EXPECT_EQ(data.columns[0].field.type, taviFieldTypeOID) << "the object identifier field, whatever integer type";
    EXPECT_EQ(data.columns[1].field.length, 64);
    EXPECT_EQ(data.displayFieldName, u"label");
    EXPECT_TRUE(data.hasGeometry);
    EXPECT_EQ(data.geometryFieldIndex, 1);
    EXPECT_EQ(data.geometry.fieldName, u"Shape");
    EXPECT_EQ(data.geometry.shapeType, taviGeometryPolyline);
    EXPECT_FALSE(data.geometry.hasZ);
    EXPECT_TRUE(data.geometry.hasM);
    EXPECT_TRUE(data.geometry.spatialReference);

    RecordData table;
    ASSERT_EQ(ReadLayerDefinitionFields(
                  R"({"name":"T","type":"Table","fields":[{"name":"a","type":"taviFieldTypeDouble"}]})", table),
              S_OK);
    EXPECT_FALSE(table.hasGeometry);
    EXPECT_TRUE(table.oidFieldName.empty());

    const RecordData before = table;
    for (const char* bad : {R"({"objectIdField":"X","fields":[{"name":"a","type":"taviFieldTypeDouble"}]})",
                            R"({"objectIdField":"a","fields":[{"name":"a","type":"taviFieldTypeDouble"}]})",
                            R"({"fields":[{"name":"a"}]})", "{"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(ReadLayerDefinitionFields(bad, table, &error), E_INVALIDARG);
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(table == before);
    }
}

} // namespace
} // namespace tavi::test
