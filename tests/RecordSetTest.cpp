// The in-memory record set over real tables: reading a GeoPackage and a shapefile feature class (nulls, empty texts,
// dates, 64-bit integers, Z and M, multipart polygons with holes) into columns, writing them back to new tables with
// the same values and geometries (and nothing left behind when writing fails), the stream form read back exactly,
// hostile streams refused without change, and the sharing of content between clones.
#include "PersistForms.h"
#include "TestData.h"
#include "TestSupport.h"

#include "data/DataElement.h"
#include "data/RecordSet.h"
#include "data/RecordSetStream.h"
#include "data/TableDescription.h"
#include "tavi/DataAccess.h"
#include "tavi/RecordSet.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>

namespace tavi::test {
namespace {

// A row of a fixture layer; null pointers and empty optionals are null values.
struct Row {
    const char* wkt;
    const char* name;
    std::optional<int> count;
    std::optional<int64_t> big;
    std::optional<double> value;
    const char* when;
};

constexpr const char* kOuterAndHoleZM = "MULTIPOLYGON ZM (((0 0 1 10,0 10 2 11,10 10 3 12,10 0 4 13,0 0 1 10),"
                                        "(2 2 0 0,4 2 0 1,4 4 0 2,2 4 0 3,2 2 0 0)),((20 20 5 5,20 30 5 6,30 30 5 7,"
                                        "20 20 5 5)))";
// Counterclockwise: the record set keeps outer rings clockwise.
constexpr const char* kCounterclockwiseZM = "MULTIPOLYGON ZM (((0 0 0 0,10 0 0 1,10 10 0 2,0 10 0 3,0 0 0 0)))";
constexpr const char* kClockwiseZM = "POLYGON ZM ((0 0 0 0,0 10 0 3,10 10 0 2,10 0 0 1,0 0 0 0))";

const Row kParcels[] = {
    {kOuterAndHoleZM, "Straße", 3, 9007199254740993, 0.1, "2020-05-17T13:45:30.250Z"},
    {nullptr, nullptr, std::nullopt, std::nullopt, std::nullopt, nullptr},
    {kCounterclockwiseZM, "", -7, -9223372036854775807, -1e300, "1899-12-29T06:00:00Z"},
};

const Row kRoads[] = {
    {"MULTILINESTRING ZM ((0 0 1 2,1 1 3 4),(5 5 6 7,6 6 8 9))", "a", 1, 5000000000, 2.5, "2001-02-03"},
    {nullptr, nullptr, std::nullopt, std::nullopt, std::nullopt, nullptr},
    {"LINESTRING ZM (1 2 3 4,5 6 7 8)", "", -2, -5000000000, -0.125, "1960-12-31"},
};

// A layer with the fields NAME (text 40), COUNT (integer), BIG (64-bit integer), VALUE (real) and WHEN (date-time,
// or date where the format has no date-time) holding `rows`.
template <size_t N>
void MakeLayer(const std::string& path, const char* driverName, const char* layerName, OGRwkbGeometryType type,
               int epsg, OGRFieldType whenType, const Row (&rows)[N]) {
    // A driver by its short name, or by the extension of its files ("shp").
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(driverName);
    if (!driver)
        driver = gdal::VectorDriverForExtension(driverName);
    ASSERT_TRUE(driver);
    std::unique_ptr<GDALDataset> dataset(driver->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    ASSERT_TRUE(dataset);
    OGRSpatialReference srs;
    srs.importFromEPSG(epsg);
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    OGRLayer* layer = dataset->CreateLayer(layerName, &srs, type, nullptr);
    ASSERT_TRUE(layer);
    OGRFieldDefn name("NAME", OFTString), count("COUNT", OFTInteger), big("BIG", OFTInteger64), value("VALUE", OFTReal),
        when("WHEN", whenType);
    name.SetWidth(40);
    for (OGRFieldDefn* field : {&name, &count, &big, &value, &when})
        ASSERT_EQ(layer->CreateField(field), OGRERR_NONE);
    for (const Row& row : rows) {
        OGRFeature feature(layer->GetLayerDefn());
        if (row.name)
            feature.SetField("NAME", row.name);
        if (row.count)
            feature.SetField("COUNT", *row.count);
        if (row.big)
            feature.SetField("BIG", static_cast<GIntBig>(*row.big));
        if (row.value)
            feature.SetField("VALUE", *row.value);
        if (row.when)
            feature.SetField("WHEN", row.when);
        if (row.wkt) {
            OGRGeometry* geometry = nullptr;
            ASSERT_EQ(OGRGeometryFactory::createFromWkt(row.wkt, nullptr, &geometry), OGRERR_NONE);
            feature.SetGeometryDirectly(geometry);
        }
        ASSERT_EQ(layer->CreateFeature(&feature), OGRERR_NONE);
    }
}

class RecordSetTest : public ModuleClassesTest {
protected:
    void SetUp() override {
        ModuleClassesTest::SetUp();
        MakeLayer(data_.Path("city.gpkg"), "GPKG", "parcels", wkbMultiPolygonZM, 32633, OFTDateTime, kParcels);
        MakeLayer(data_.Path("roads.shp"), "shp", "roads", wkbMultiLineStringZM, 4326, OFTDate, kRoads);
        std::filesystem::create_directory(data_.Path("out"));
    }

    // The path of `relative` in the test folder; the memory workspace as it is.
    std::u16string P(const std::string& relative) const {
        return FromUtf8(relative.starts_with("in_memory") ? relative : data_.Path(relative));
    }

    // A record set read from the table at `relative`.
    ComPtr<IRecordSet> Read(const std::string& relative, const char16_t* where = nullptr) {
        ComPtr<IDataElement> table;
        EXPECT_EQ(OpenDataElement(P(relative), table.Out()), S_OK);
        auto records = Create<IRecordSetInit>(CLSID_RecordSet);
        EXPECT_EQ(records->SetSourceTable(table.Get(), where), S_OK);
        return records.As<IRecordSet>();
    }

    ComPtr<IWorkspace> Workspace(const std::string& relative) {
        ComPtr<IWorkspace> workspace;
        EXPECT_EQ(OpenWorkspace(P(relative), workspace.Out()), S_OK);
        return workspace;
    }

    TestData data_;
};

Variant Value(IRecordSet* records, int64_t record, int32_t field) {
    Variant value;
    EXPECT_EQ(records->get_Value(record, field, &value), S_OK);
    return value;
}

std::string Text(const Variant& value) {
    return value.vt == VT_BSTR ? ToUtf8(std::u16string_view(value.bstrVal)) : "<vt " + std::to_string(value.vt) + ">";
}

bool Equal(IUnknown* a, IUnknown* b) {
    VARIANT_BOOL equal = VARIANT_FALSE;
    EXPECT_EQ(QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal), S_OK);
    return equal != VARIANT_FALSE;
}

// Equal content but for the object identifiers and the shape field's name, which a new table makes its own.
bool SameButIdentifiers(IRecordSet* a, IRecordSet* b) {
    auto without = [](IRecordSet* records) {
        RecordData data = *RecordDataOf(records);
        std::erase_if(data.columns, [](const RecordColumn& c) { return c.field.type == taviFieldTypeOID; });
        data.oidFieldName.clear();
        data.geometryFieldIndex = 0;
        data.geometry.fieldName.clear();
        return data;
    };
    return without(a) == without(b);
}

std::vector<std::string> FieldNames(IRecordSet* records) {
    ComPtr<IFields> fields;
    EXPECT_EQ(records->get_Fields(fields.Out()), S_OK);
    int32_t count = 0;
    fields->get_FieldCount(&count);
    std::vector<std::string> names;
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IField> field;
        BStr name;
        fields->get_Field(i, field.Out());
        field->get_Name(name.Out());
        names.push_back(ToUtf8(name.view()));
    }
    return names;
}

TEST_F(RecordSetTest, ReadsEveryKindOfValueFromAGeoPackage) {
    auto records = Read("city.gpkg/parcels");
    EXPECT_EQ(FieldNames(records.Get()),
              (std::vector<std::string>{"fid", "geom", "NAME", "COUNT", "BIG", "VALUE", "WHEN"}));
    int64_t count = 0;
    int32_t shapeType = 0, code = 0;
    VARIANT_BOOL hasZ = 0, hasM = 0;
    BStr oid, shape;
    records->get_RecordCount(&count);
    records->get_ShapeType(&shapeType);
    records->get_HasZ(&hasZ);
    records->get_HasM(&hasM);
    records->get_OIDFieldName(oid.Out());
    records->get_ShapeFieldName(shape.Out());
    EXPECT_EQ(count, 3);
    EXPECT_EQ(shapeType, taviGeometryPolygon);
    EXPECT_TRUE(hasZ && hasM);
    EXPECT_EQ(oid.str(), u"fid");
    EXPECT_EQ(shape.str(), u"geom");
    ComPtr<ISpatialReference> spatialReference;
    ASSERT_EQ(records->get_SpatialReference(spatialReference.Out()), S_OK);
    spatialReference->get_FactoryCode(&code);
    EXPECT_EQ(code, 32633);

    struct Expected {
        int64_t record;
        int32_t field;
        VARTYPE vt;
        std::string text; // texts and geometries
        double number;    // the value of the other kinds
        const char* reason;
    };
    const Expected kValues[] = {
        {0, 0, VT_I8, "", 1, "identifiers are 64-bit"},
        {0, 1, VT_BSTR, kOuterAndHoleZM, 0, "outer rings clockwise, holes counterclockwise, as stored"},
        {0, 2, VT_BSTR, "Straße", 0, "UTF-8 text"},
        {0, 3, VT_I4, "", 3, "32-bit integer"},
        {0, 4, VT_I8, "", 9007199254740993.0, "beyond a double's integers (checked exactly below)"},
        {0, 5, VT_R8, "", 0.1, "real"},
        {0, 6, VT_DATE, "", 43968 + (13 * 3600 + 45 * 60 + 30.25) / 86400, "date-time to the millisecond"},
        {1, 1, VT_NULL, "", 0, "null geometry"},
        {1, 2, VT_NULL, "", 0, "null text"},
        {1, 4, VT_NULL, "", 0, "null 64-bit integer"},
        {1, 6, VT_NULL, "", 0, "null date"},
        {2, 1, VT_BSTR, kClockwiseZM, 0, "a counterclockwise outer ring is turned, Z and M with it"},
        {2, 2, VT_BSTR, "", 0, "an empty text is no null"},
        {2, 5, VT_R8, "", -1e300, "large real"},
        {2, 6, VT_DATE, "", -1.25, "before 1899-12-30 the day counts backwards and the time forwards"},
    };
    for (const Expected& e : kValues) {
        SCOPED_TRACE(e.reason);
        Variant value = Value(records.Get(), e.record, e.field);
        ASSERT_EQ(value.vt, e.vt);
        if (e.vt == VT_BSTR) {
            EXPECT_EQ(Text(value), e.text);
        } else if (e.vt == VT_I4) {
            EXPECT_EQ(value.lVal, e.number);
        } else if (e.vt == VT_R8) {
            EXPECT_EQ(value.dblVal, e.number);
        } else if (e.vt == VT_DATE) {
            EXPECT_NEAR(value.date, e.number, 1e-9);
        }
    }
    EXPECT_EQ(Value(records.Get(), 0, 4).llVal, 9007199254740993);
    EXPECT_EQ(Value(records.Get(), 2, 4).llVal, -9223372036854775807);

    Variant outside;
    EXPECT_EQ(records->get_Value(3, 0, &outside), E_INVALIDARG);
    EXPECT_EQ(records->get_Value(0, 7, &outside), E_INVALIDARG);
    EXPECT_EQ(records->get_Value(-1, 0, &outside), E_INVALIDARG);
    EXPECT_EQ(outside.vt, VT_EMPTY);
}

TEST_F(RecordSetTest, ReadsAShapefileWithItsOwnNames) {
    auto records = Read("roads.shp");
    EXPECT_EQ(FieldNames(records.Get()),
              (std::vector<std::string>{"FID", "Shape", "NAME", "COUNT", "BIG", "VALUE", "WHEN"}));
    int32_t shapeType = 0;
    records->get_ShapeType(&shapeType);
    EXPECT_EQ(shapeType, taviGeometryPolyline);
    EXPECT_EQ(Value(records.Get(), 0, 0).llVal, 0) << "a shapefile counts its features from 0";
    EXPECT_EQ(Text(Value(records.Get(), 0, 1)), "MULTILINESTRING ZM ((0 0 1 2,1 1 3 4),(5 5 6 7,6 6 8 9))");
    EXPECT_EQ(Text(Value(records.Get(), 2, 1)), "LINESTRING ZM (1 2 3 4,5 6 7 8)") << "one path: a line string";
    EXPECT_EQ(Value(records.Get(), 0, 4).llVal, 5000000000);
    EXPECT_EQ(Value(records.Get(), 2, 6).date, 22281.0) << "31 December 1960";
    EXPECT_EQ(Value(records.Get(), 1, 1).vt, VT_NULL);
    EXPECT_EQ(Value(records.Get(), 1, 3).vt, VT_NULL);
    EXPECT_EQ(Value(records.Get(), 2, 2).vt, VT_NULL) << "a .dbf tells no empty text from a null";
}

// A GeoPackage layer of `type` with one feature per text (null: a null geometry) and no attributes.
void MakeShapes(const std::string& path, const std::string& layerName, OGRwkbGeometryType type,
                const std::vector<const char*>& wkts) {
    std::unique_ptr<GDALDataset> dataset(
        std::filesystem::exists(path)
            ? GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_UPDATE)
            : GetGDALDriverManager()->GetDriverByName("GPKG")->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    ASSERT_TRUE(dataset);
    OGRLayer* layer = dataset->CreateLayer(layerName.c_str(), nullptr, type, nullptr);
    ASSERT_TRUE(layer);
    for (const char* wkt : wkts) {
        OGRFeature feature(layer->GetLayerDefn());
        OGRGeometry* geometry = nullptr;
        if (wkt) {
            ASSERT_EQ(OGRGeometryFactory::createFromWkt(wkt, nullptr, &geometry), OGRERR_NONE);
        }
        feature.SetGeometryDirectly(geometry);
        ASSERT_EQ(layer->CreateFeature(&feature), OGRERR_NONE);
    }
}

TEST_F(RecordSetTest, EveryShapeTypeReadsAndWritesBack) {
    struct Case {
        OGRwkbGeometryType type;
        std::vector<const char*> stored;
        int32_t shapeType;
        std::vector<const char*> read; // the geometries as the record set gives them; empty when refused
        const char* reason;
    };
    const Case kCases[] = {
        {wkbPointZM, {"POINT ZM (1 2 3 4)", nullptr}, taviGeometryPoint, {"POINT ZM (1 2 3 4)", nullptr}, "point"},
        {wkbMultiPoint,
         {"MULTIPOINT ((1 2),(3 4))"},
         taviGeometryMultipoint,
         {"MULTIPOINT ((1 2),(3 4))"},
         "multipoint"},
        {wkbLineStringM,
         {"LINESTRING M (0 0 1,1 1 2)"},
         taviGeometryPolyline,
         {"LINESTRING M (0 0 1,1 1 2)"},
         "a path with measures"},
        {wkbPolygon,
         {"POLYGON ((0 0,10 0,10 10,0 10,0 0),(2 2,2 4,4 4,4 2,2 2))"},
         taviGeometryPolygon,
         {"POLYGON ((0 0,0 10,10 10,10 0,0 0),(2 2,4 2,4 4,2 4,2 2))"},
         "the outer ring turned clockwise, the hole counterclockwise"},
        {wkbUnknown,
         {"POINT (1 2)", "POINT Z (3 4 5)"},
         taviGeometryPoint,
         {"POINT Z (1 2 0)", "POINT Z (3 4 5)"},
         "a layer of no kind takes its first geometry's; a later Z gives every point one"},
        {wkbUnknown, {"POINT (1 2)", "LINESTRING (0 0,1 1)"}, 0, {}, "geometries of two kinds"},
        {wkbGeometryCollection, {"GEOMETRYCOLLECTION (POINT (1 2))"}, 0, {}, "a collection"},
    };
    int layer = 0;
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.reason);
        const std::string name = "shapes" + std::to_string(++layer);
        MakeShapes(data_.Path("shapes.gpkg"), name, c.type, c.stored);
        ComPtr<IDataElement> table;
        ASSERT_EQ(OpenDataElement(P("shapes.gpkg/" + name), table.Out()), S_OK);
        auto records = Create<IRecordSetInit>(CLSID_RecordSet);
        if (c.read.empty()) {
            EXPECT_EQ(records->SetSourceTable(table.Get(), nullptr), DISP_E_TYPEMISMATCH);
            EXPECT_TRUE(Equal(records.Get(), Create<IUnknown>(CLSID_RecordSet).Get())) << "still empty";
            continue;
        }
        ASSERT_EQ(records->SetSourceTable(table.Get(), nullptr), S_OK);
        auto read = records.As<IRecordSet>();
        int32_t shapeType = -1;
        read->get_ShapeType(&shapeType);
        EXPECT_EQ(shapeType, c.shapeType);
        for (size_t i = 0; i < c.read.size(); ++i)
            EXPECT_EQ(Text(Value(read.Get(), static_cast<int64_t>(i), 1)), c.read[i] ? c.read[i] : "<vt 1>");
        ComPtr<ITable> copy;
        ASSERT_EQ(read->CreateTable(Workspace("shapes.gpkg").Get(), FromUtf8(name + "_copy").c_str(), copy.Out()),
                  S_OK);
        EXPECT_TRUE(SameButIdentifiers(Read("shapes.gpkg/" + name + "_copy").Get(), read.Get()));
    }
}

TEST_F(RecordSetTest, TimesMoveToUtcAndBlobsTravelAsBase64) {
    data_.File("times.geojson", R"({"type": "FeatureCollection", "features": [
        {"type": "Feature", "geometry": null,
         "properties": {"WHEN": "2020-01-01T02:00:00+02:00", "AT": "12:30:00", "DAY": "2021-03-04"}}]})");
    auto times = Read("times.geojson");
    EXPECT_EQ(Value(times.Get(), 0, 2).date, 43831.0) << "two hours east of UTC: midnight in UTC";
    EXPECT_NEAR(Value(times.Get(), 0, 3).date, 0.5208333333, 1e-9) << "a time lies on 30 December 1899";
    EXPECT_EQ(Value(times.Get(), 0, 4).date, 44259.0);
    EXPECT_EQ(Value(times.Get(), 0, 1).vt, VT_NULL);

    {
        std::unique_ptr<GDALDataset> dataset(GetGDALDriverManager()->GetDriverByName("GPKG")->Create(
            data_.Path("blobs.gpkg").c_str(), 0, 0, 0, GDT_Unknown, nullptr));
        OGRLayer* layer = dataset->CreateLayer("blobs", nullptr, wkbNone, nullptr);
        OGRFieldDefn blob("DATA", OFTBinary);
        ASSERT_EQ(layer->CreateField(&blob), OGRERR_NONE);
        OGRFeature feature(layer->GetLayerDefn());
        const GByte bytes[] = {0, 1, 2, 255};
        feature.SetField(0, 4, bytes);
        ASSERT_EQ(layer->CreateFeature(&feature), OGRERR_NONE);
    }
    auto blobs = Read("blobs.gpkg/blobs");
    EXPECT_EQ(Text(Value(blobs.Get(), 0, 1)), "AAEC/w==");
    ComPtr<ITable> copy;
    ASSERT_EQ(blobs->CreateTable(Workspace("blobs.gpkg").Get(), u"copy", copy.Out()), S_OK);
    EXPECT_TRUE(SameButIdentifiers(Read("blobs.gpkg/copy").Get(), blobs.Get())) << "a table without shape";
}

TEST_F(RecordSetTest, WhereClausesSelectAndBadInputChangesNothing) {
    auto records = Read("city.gpkg/parcels", u"COUNT < 0");
    int64_t count = 0;
    records->get_RecordCount(&count);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(Value(records.Get(), 0, 3).lVal, -7);

    ComPtr<IDataElement> table, folder;
    ASSERT_EQ(OpenDataElement(P("city.gpkg/parcels"), table.Out()), S_OK);
    ASSERT_EQ(OpenDataElement(P("out"), folder.Out()), S_OK);
    auto init = records.As<IRecordSetInit>();
    auto before = records.As<IClone>();
    struct Bad {
        IUnknown* table;
        const char16_t* where;
        HRESULT hr;
        const char* reason;
    };
    const Bad kBad[] = {
        {table.Get(), u"COUNT >>> 1", E_INVALIDARG, "a clause the layer cannot read"},
        {folder.Get(), nullptr, E_INVALIDARG, "a folder is no table"},
        {before.Get(), nullptr, E_INVALIDARG, "a record set is no table"},
        {nullptr, nullptr, E_POINTER, "no table"},
    };
    for (const Bad& bad : kBad) {
        SCOPED_TRACE(bad.reason);
        EXPECT_EQ(init->SetSourceTable(bad.table, bad.where), bad.hr);
        records->get_RecordCount(&count);
        EXPECT_EQ(count, 1) << "the record set is as it was";
    }
    // The refused clause left no filter on the layer.
    int64_t rows = 0;
    ASSERT_EQ(table.As<ITable>()->RowCount(&rows), S_OK);
    EXPECT_EQ(rows, 3);

    // A description of the table names it well enough: its catalog path is opened.
    ComPtr<TableDescription> description;
    ASSERT_EQ(DescribeTable(table.Get(), false, description), S_OK);
    ASSERT_EQ(init->SetSourceTable(static_cast<IDataElement*>(description.Get()), nullptr), S_OK);
    EXPECT_TRUE(Equal(records.Get(), Read("city.gpkg/parcels").Get()));
}

TEST_F(RecordSetTest, TablesWrittenBackReadTheSame) {
    struct Trip {
        const char* source;
        const char* workspace;
        const char* name;
        const char* opened; // where the new table is opened again
        const char* reason;
    };
    const Trip kTrips[] = {
        {"city.gpkg/parcels", "city.gpkg", "copy", "city.gpkg/copy", "GeoPackage into the same GeoPackage"},
        {"city.gpkg/parcels", "in_memory", "parcels_copy", "in_memory/parcels_copy", "into a memory workspace"},
        {"roads.shp", "out", "roads", "out/roads.shp", "shapefile into a folder"},
    };
    for (const Trip& trip : kTrips) {
        SCOPED_TRACE(trip.reason);
        auto records = Read(trip.source);
        ComPtr<ITable> table;
        ASSERT_EQ(records->CreateTable(Workspace(trip.workspace).Get(), FromUtf8(trip.name).c_str(), table.Out()),
                  S_OK);
        ASSERT_TRUE(table);
        table = {};
        auto again = Read(trip.opened);
        EXPECT_TRUE(SameButIdentifiers(again.Get(), records.Get()));
        EXPECT_EQ(Text(Value(again.Get(), 2, 1)), Text(Value(records.Get(), 2, 1)));
    }
}

TEST_F(RecordSetTest, ShapefilesKeepWhatGdalWrites) {
    // Reals and integers too large for the .dbf's fields would be written as other numbers: the write fails instead.
    auto records = Read("city.gpkg/parcels");
    ComPtr<ITable> table;
    EXPECT_EQ(records->CreateTable(Workspace("out").Get(), u"parcels", table.Out()), DISP_E_OVERFLOW);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(data_.Path("out")), {}), 0) << "nothing left";

    records = Read("city.gpkg/parcels", u"COUNT > 0");
    ASSERT_EQ(records->CreateTable(Workspace("out").Get(), u"parcels", table.Out()), S_OK);
    table = {};
    auto again = Read("out/parcels.shp");
    EXPECT_EQ(Value(again.Get(), 0, 6).date, 43968.0) << "13:45:30.250 is dropped";
    Variant big = Value(again.Get(), 0, 4), count = Value(again.Get(), 0, 3);
    EXPECT_EQ(big.vt, VT_I8);
    EXPECT_EQ(big.llVal, 9007199254740993) << "64-bit integers are kept";
    EXPECT_EQ(count.vt, VT_I4);
    EXPECT_EQ(count.lVal, 3);
    EXPECT_EQ(Text(Value(again.Get(), 0, 2)), "Straße");
    EXPECT_EQ(Value(again.Get(), 0, 5).dblVal, 0.1);
}

// Content that no table can take: a 32-bit field holding a value beyond 32 bits in the last record.
std::shared_ptr<RecordData> Overflowing() {
    auto data = std::make_shared<RecordData>();
    RecordColumn& column = data->columns.emplace_back();
    column.field.name = u"N";
    column.field.type = taviFieldTypeInteger;
    column.storage = ColumnStorage::Integer;
    column.AppendInteger(1);
    column.AppendInteger(int64_t{1} << 40);
    return data;
}

TEST_F(RecordSetTest, AFailedWriteLeavesNothingBehind) {
    ComPtr<IRecordSet> records;
    ASSERT_EQ(MakeRecordSet(Overflowing(), records.Out()), S_OK);
    for (const char* workspace : {"city.gpkg", "out", "in_memory"}) {
        SCOPED_TRACE(workspace);
        ComPtr<ITable> table;
        EXPECT_EQ(records->CreateTable(Workspace(workspace).Get(), u"numbers", table.Out()), DISP_E_OVERFLOW);
        EXPECT_FALSE(table);
        ComPtr<IDataElement> left;
        EXPECT_EQ(Workspace(workspace)->OpenDataElement(u"numbers", left.Out()), TAVI_E_DATA_NOT_FOUND);
        EXPECT_EQ(Workspace(workspace)->OpenDataElement(u"numbers.dbf", left.Out()), TAVI_E_DATA_NOT_FOUND);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(data_.Path("out")), {}), 0) << "no side file";
    // A field the format cannot store: a .dbf holds no binary values.
    auto blobs = std::make_shared<RecordData>();
    RecordColumn& blob = blobs->columns.emplace_back();
    blob.field.name = u"DATA";
    blob.field.type = taviFieldTypeBlob;
    blob.AppendText("AAEC/w==");
    ASSERT_EQ(MakeRecordSet(blobs, records.Out()), S_OK);
    ComPtr<ITable> table;
    EXPECT_EQ(records->CreateTable(Workspace("out").Get(), u"blobs", table.Out()), E_INVALIDARG);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(data_.Path("out")), {}), 0) << "no file";
    // A name that is taken is refused before anything is made.
    EXPECT_EQ(records->CreateTable(Workspace("city.gpkg").Get(), u"parcels", table.Out()), TAVI_E_DATA_EXISTS);
    EXPECT_EQ(records->CreateTable(nullptr, u"x", table.Out()), E_POINTER);
}

TEST_F(RecordSetTest, StreamFormReadsBackExactly) {
    for (const char* source : {"city.gpkg/parcels", "roads.shp"}) {
        SCOPED_TRACE(source);
        auto records = Read(source);
        EXPECT_EQ(records.As<IPersistStream>()->IsDirty(), S_OK) << "new content";
        std::vector<uint8_t> form = SavedForm(records.Get());
        EXPECT_EQ(records.As<IPersistStream>()->IsDirty(), S_FALSE);
        auto loaded = Create<IRecordSet>(CLSID_RecordSet);
        ASSERT_EQ(LoadForm(loaded.Get(), form), S_OK);
        EXPECT_TRUE(Equal(loaded.Get(), records.Get()));
        uint64_t size = 0;
        EXPECT_EQ(records.As<IPersistStream>()->GetSizeMax(&size), S_OK);
        EXPECT_EQ(size, form.size());
    }
}

TEST_F(RecordSetTest, JsonContentOfEveryKindSavesAndLoads) {
    const char16_t* const kJson[] = {
        uR"({"geometryType":"taviGeometryPoint","hasZ":true,"hasM":true,"features":[
            {"geometry":{"x":1,"y":2,"z":3,"m":4}},{"geometry":{"x":null,"y":null}},{"geometry":null},{}]})",
        uR"({"geometryType":"taviGeometryMultipoint","hasM":true,"features":[
            {"geometry":{"points":[[1,2,3],[4,5,6]]}},{"geometry":{"points":[]}}]})",
        uR"({"geometryType":"taviGeometryPolygon","hasZ":true,"features":[
            {"geometry":{"rings":[[[0,0,1],[0,1,null],[1,1,2],[0,0,1]]]}},{"geometry":{"rings":[]}}]})",
        uR"({"fields":[{"name":"OBJECTID","type":"taviFieldTypeOID"},{"name":"s","type":"taviFieldTypeSmallInteger"},
            {"name":"f","type":"taviFieldTypeSingle"},{"name":"w","type":"taviFieldTypeDate"},
            {"name":"g","type":"taviFieldTypeGUID"},{"name":"d","type":"taviFieldTypeDateOnly"}],
            "features":[{"attributes":{"OBJECTID":1,"s":-32768,"f":"NaN","w":-1,"g":"{A-B}","d":"2024-02-29"}},{}]})",
    };
    for (const char16_t* json : kJson) {
        SCOPED_TRACE(ToUtf8(json));
        auto records = Create<IRecordSetInit>(CLSID_RecordSet);
        ASSERT_EQ(records->FromJSON(json), S_OK);
        EXPECT_TRUE(IsWellFormed(*RecordDataOf(records.Get())));
        auto loaded = Create<IRecordSet>(CLSID_RecordSet);
        ASSERT_EQ(LoadForm(loaded.Get(), SavedForm(records.Get())), S_OK);
        EXPECT_TRUE(Equal(loaded.Get(), records.Get()));
        for (int32_t field = 0; field < RecordDataOf(records.Get())->FieldCount(); ++field) {
            Variant value;
            EXPECT_EQ(loaded->get_Value(1, field, &value), S_OK);
        }
    }
}

// A small feature set whose stream form is patched below: one text column ("ab", "cde") and two polyline records
// (two paths, then one).
std::shared_ptr<RecordData> Small() {
    auto data = std::make_shared<RecordData>();
    RecordColumn& column = data->columns.emplace_back();
    column.field.name = u"T";
    column.AppendText("ab");
    column.AppendText("cde");
    data->hasGeometry = true;
    data->geometryFieldIndex = 0;
    GeometryColumn& g = data->geometry;
    g.shapeType = taviGeometryPolyline;
    g.xy = {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5};
    g.partPoints = {0, 2, 4, 6};
    g.recordParts = {0, 2, 3};
    g.nulls = {0, 0};
    return data;
}

void PutU64(std::vector<uint8_t>& bytes, size_t at, uint64_t value) {
    for (int i = 0; i < 8; ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

TEST_F(RecordSetTest, HostileStreamsAreRefusedWithoutChange) {
    ComPtr<IRecordSet> small;
    ASSERT_TRUE(IsWellFormed(*Small()));
    ASSERT_EQ(MakeRecordSet(Small(), small.Out()), S_OK);
    const std::vector<uint8_t> form = SavedForm(small.Get());
    // Where the content starts: the record count stands before the two null flags and the text byte count 5.
    const uint8_t textStart[] = {0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 'a', 'b', 'c', 'd', 'e'};
    auto found = std::search(form.begin(), form.end(), std::begin(textStart), std::end(textStart));
    ASSERT_NE(found, form.end());
    const size_t records = static_cast<size_t>(found - form.begin()) - 8;
    const size_t chars = records + 10, ends = chars + 13, parts = ends + 16, points = parts + 8,
                 recordParts = points + 8, partPoints = recordParts + 24;

    struct Patch {
        size_t at;
        uint64_t value;
        const char* reason;
    };
    const Patch kPatches[] = {
        {records, uint64_t{1} << 60, "a record count no stream could hold"},
        {records, 3, "one record more than the arrays"},
        {chars, uint64_t{1} << 62, "a huge text byte count"},
        {chars, 4, "text ends beyond the bytes"},
        {ends, 6, "text ends that decrease"},
        {ends + 8, 4, "text ends short of the bytes"},
        {parts, ~uint64_t{0}, "a part count that overflows"},
        {points, uint64_t{1} << 61, "a point count that overflows when doubled"},
        {recordParts + 16, 4, "a record's parts beyond the parts"},
        {recordParts, 1, "record offsets that do not start at 0"},
        {partPoints + 24, 7, "a part's points beyond the points"},
        {partPoints + 16, 1, "part offsets that decrease"},
    };
    auto target = Read("roads.shp");
    const std::vector<uint8_t> kept = SavedForm(target.Get());
    auto unchanged = [&] { EXPECT_EQ(SavedForm(target.Get()), kept) << "the record set is as it was"; };
    for (const Patch& patch : kPatches) {
        SCOPED_TRACE(patch.reason);
        std::vector<uint8_t> bad = form;
        PutU64(bad, patch.at, patch.value);
        EXPECT_EQ(LoadForm(target.Get(), bad), E_FAIL);
        unchanged();
    }
    for (size_t cut = 0; cut < form.size(); ++cut) {
        std::vector<uint8_t> bad(form.begin(), form.begin() + static_cast<ptrdiff_t>(cut));
        ASSERT_EQ(LoadForm(target.Get(), bad), E_FAIL) << "cut at " << cut;
    }
    unchanged();
    std::vector<uint8_t> future = form;
    future[0] = 2;
    EXPECT_EQ(LoadForm(target.Get(), future), E_FAIL) << "a newer version";
    unchanged();
    ASSERT_EQ(LoadForm(target.Get(), form), S_OK) << "the form patched above is sound";
    EXPECT_TRUE(Equal(target.Get(), small.Get()));
}

TEST_F(RecordSetTest, ClonesShareContentAndCompareByIt) {
    auto empty = Create<IClone>(CLSID_RecordSet);
    auto otherEmpty = Create<IClone>(CLSID_RecordSet);
    EXPECT_TRUE(Equal(empty.Get(), otherEmpty.Get())) << "two empty record sets are equal";
    auto records = Read("city.gpkg/parcels");
    EXPECT_FALSE(Equal(empty.Get(), records.Get()));

    ComPtr<IClone> clone;
    ASSERT_EQ(records.As<IClone>()->Clone(clone.Out()), S_OK);
    EXPECT_EQ(RecordDataOf(clone.Get()), RecordDataOf(records.Get())) << "shared, not copied";
    ASSERT_EQ(empty->Assign(records.As<IClone>().Get()), S_OK);
    EXPECT_TRUE(Equal(empty.Get(), records.Get()));
    EXPECT_EQ(empty->Assign(QueryAs<IClone>(Create<IField>(CLSID_Field).Get()).Get()), E_INVALIDARG);
    VARIANT_BOOL identical = VARIANT_TRUE;
    EXPECT_EQ(clone->IsIdentical(records.As<IClone>().Get(), &identical), S_OK);
    EXPECT_FALSE(identical);

    // The spatial reference handed out is a copy: changing it changes no record set.
    ComPtr<ISpatialReference> handedOut, again;
    records->get_SpatialReference(handedOut.Out());
    handedOut->SetFalseOriginAndUnits(1, 2, 3);
    records->get_SpatialReference(again.Out());
    double x = 0, y = 0, units = 0;
    again->GetFalseOriginAndUnits(&x, &y, &units);
    EXPECT_NE(units, 3);
}

TEST_F(RecordSetTest, JsonAndXmlFormsReadBackExactly) {
    auto records = Read("city.gpkg/parcels");
    BStr json;
    ASSERT_EQ(records.As<IRecordSetInit>()->ToJSON(taviJsonCompact, json.Out()), S_OK);
    auto fromJson = Create<IRecordSetInit>(CLSID_RecordSet);
    ASSERT_EQ(fromJson->FromJSON(json.c_str()), S_OK);
    EXPECT_TRUE(Equal(fromJson.Get(), records.Get()));

    std::string path = data_.Path("out/parcels.json");
    ASSERT_EQ(records.As<IRecordSetInit>()->WriteJSONFile(FromUtf8(path).c_str(), taviJsonPretty), S_OK);
    auto fromFile = Create<IRecordSetInit>(CLSID_RecordSet);
    ASSERT_EQ(fromFile->ReadJSONFile(FromUtf8(path).c_str()), S_OK);
    EXPECT_TRUE(Equal(fromFile.Get(), records.Get()));
    EXPECT_EQ(fromFile->ReadJSONFile(P("out/missing.json").c_str()), STG_E_FILENOTFOUND);
    EXPECT_EQ(fromFile->FromJSON(u"{\"features\": [1,"), E_INVALIDARG);
    // The reader's account of what is wrong, as the thread's error information.
    ComPtr<IErrorInfo> info;
    BStr description;
    ASSERT_EQ(GetErrorInfo(0, info.Out()), S_OK);
    ASSERT_TRUE(info);
    info->GetDescription(description.Out());
    EXPECT_NE(ToUtf8(description.view()).find("malformed JSON"), std::string::npos) << ToUtf8(description.view());
    SetErrorInfo(0, nullptr);
    EXPECT_TRUE(Equal(fromFile.Get(), records.Get())) << "a refused text changes nothing";
    EXPECT_EQ(records.As<IRecordSetInit>()->WriteJSONFile(P("no folder/x.json").c_str(), 0), STG_E_WRITEFAULT);

    auto fromXml = Create<IUnknown>(CLSID_RecordSet);
    std::u16string xml = XmlForm(records.Get());
    ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), fromXml.Get()), S_OK);
    EXPECT_TRUE(Equal(fromXml.Get(), records.Get()));
    for (size_t at = xml.find(u"Json>"); at != std::u16string::npos; at = xml.find(u"Json>", at))
        xml.replace(at, 4, u"Text");
    EXPECT_EQ(TaviXmlDeserialize(xml.c_str(), fromXml.Get()), E_FAIL) << "no JSON element";
    EXPECT_TRUE(Equal(fromXml.Get(), records.Get()));
}

} // namespace
} // namespace tavi::test
