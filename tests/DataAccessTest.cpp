// Data access on real files made with GDAL: each kind of data by catalog path, clear failure codes, fields,
// feature class facts, rasters, cursors and rows, paths with blanks and non-ASCII letters.
#include "TestData.h"
#include "TestSupport.h"

#include "data/DataElement.h"
#include "data/Field.h"
#include "host/Envelope.h"
#include "host/GPCatalogPath.h"
#include "host/SpatialReference.h"
#include "tavi/DataAccess.h"

#include <sys/stat.h>

#include <memory>

namespace tavi::test {
namespace {

std::u16string U(const std::string& utf8) {
    return FromUtf8(utf8);
}

template <class I> std::string Text(I* object, HRESULT (I::*getter)(BSTR*)) {
    BStr text;
    EXPECT_EQ((object->*getter)(text.Out()), S_OK);
    return ToUtf8(text.view());
}

class DataAccess : public LeakCheckedTest {
protected:
    static void SetUpTestSuite() {
        data_ = new TestData();
        const std::vector<TestFeature> lines = {
            {"LINESTRING (500000 6000000, 500100 6000050)", "Hauptstraße", 3, 12.5, 2020, 5, 17},
            {"LINESTRING (500010 6000020, 500200 6000300)", "Ring", 7, -1.25, 1999, 12, 31},
        };
        data_->Vector("shp", "roads \xC3\xBC.shp", "roads \xC3\xBC", wkbLineString, 32633, lines);
        data_->Vector("shp", "wells.shp", "wells", wkbPoint25D, 4326,
                      {{"POINT Z (10 50 100)", "a", 1, 1, 2001, 1, 1}, {"POINT Z (11 52 90)", "b", 2, 2, 2002, 2, 2}});
        data_->Vector("shp", "gauges.shp", "gauges", wkbPointM, 0, {{"POINT M (1 2 3)", "g", 1, 1, 2001, 1, 1}});
        data_->Vector("GPKG", "city.gpkg", "parcels", wkbMultiPolygon, 32633,
                      {{"MULTIPOLYGON (((0 0, 10 0, 10 10, 0 10, 0 0)))", "p1", 1, 100, 2010, 6, 1},
                       {"MULTIPOLYGON (((20 5, 30 5, 30 40, 20 40, 20 5)))", "p2", 2, 300, 2011, 6, 1}});
        data_->Vector("GPKG", "city.gpkg", "owners", wkbNone, 0, {{"", "Ödön", 1, 0, 2000, 1, 1}});
        data_->Vector("GPKG", "city.gpkg", "stops", wkbMultiPoint, 4326,
                      {{"MULTIPOINT ((1 1), (2 2))", "s", 1, 0, 2000, 1, 1}}, {"SPATIAL_INDEX=NO"});
        data_->Vector("OpenFileGDB", "data.gdb", "parcels", wkbPolygon, 4326,
                      {{"POLYGON ((5 45, 6 45, 6 46, 5 46, 5 45))", "x", 1, 1, 2000, 1, 1}});
        data_->Raster("dem.tif", 10, 5, 30, 400000, 5000150, 32633);
        data_->GeoPackageRaster("city.gpkg", "elevation", 4, 3, 2.5, 100, 200, 32633);
        data_->GeoPackageRaster("only rasters.gpkg", "scan", 2, 2, 1, 0, 2, 4326);
        data_->Prj("Ort Straße.prj", 4326);
        data_->File("notes.txt", "not data");
        data_->File("broken.shp", "this is not a shapefile");
        std::filesystem::create_directory(data_->Path("empty folder"));
    }
    static void TearDownTestSuite() {
        delete data_;
        data_ = nullptr;
    }

    static std::u16string P(const std::string& relative = {}) { return U(data_->Path(relative)); }

    static TestData* data_;
};

TestData* DataAccess::data_ = nullptr;

struct KindCase {
    const char* relative;
    const char* type;
    const char* name;
    const char* reason;
};

TEST_F(DataAccess, EachKindOpensByCatalogPath) {
    const KindCase cases[] = {
        {"", "DEFolder", nullptr, "a folder is a file system workspace"},
        {"empty folder/", "DEFolder", "empty folder", "a trailing separator is dropped"},
        {"roads \xC3\xBC.shp", "DEFeatureClass", "roads \xC3\xBC.shp", "a shapefile with a blank and an umlaut"},
        {"city.gpkg", "DEWorkspace", "city.gpkg", "a GeoPackage is a database workspace"},
        {"city.gpkg/parcels", "DEFeatureClass", "parcels", "a feature class inside a GeoPackage"},
        {"city.gpkg/OWNERS", "DETable", "owners", "a table inside a GeoPackage; names ignore case"},
        {"data.gdb", "DEWorkspace", "data.gdb", "a file database folder"},
        {"data.gdb/parcels", "DEFeatureClass", "parcels", "a feature class in a file database"},
        {"data.gdb/a feature dataset/parcels", "DEFeatureClass", "parcels", "feature datasets are flattened"},
        {"dem.tif", "DERasterDataset", "dem.tif", "a raster"},
        {"city.gpkg/Elevation", "DERasterDataset", "elevation", "a raster table in a GeoPackage"},
        {"only rasters.gpkg", "DEWorkspace", "only rasters.gpkg", "a GeoPackage holding only rasters"},
        {"only rasters.gpkg/scan", "DERasterDataset", "scan", "its raster table"},
        {"notes.txt", "DEFile", "notes.txt", "a file that is no data"},
        {"Ort Straße.prj", "DEFile", "Ort Straße.prj", "a projection file is a file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        ComPtr<IDataElement> element;
        ASSERT_EQ(OpenDataElement(P(c.relative), element.Out()), S_OK);
        EXPECT_EQ(Text(element.Get(), &IDataElement::get_Type), c.type);
        if (c.name) {
            EXPECT_EQ(Text(element.Get(), &IDataElement::get_Name), c.name);
        }
    }
}

TEST_F(DataAccess, BackslashesAndRepeatedSeparatorsNameTheSameData) {
    std::u16string path = P("city.gpkg") + u"\\\\parcels";
    ComPtr<IFeatureClass> featureClass;
    EXPECT_EQ(OpenFeatureClass(path, featureClass.Out()), S_OK);
}

TEST_F(DataAccess, MemoryWorkspacesLastForTheProcess) {
    for (const char16_t* name : {u"in_memory", u"MEMORY", u"memory\\"}) {
        SCOPED_TRACE(ToUtf8(name));
        ComPtr<IDataElement> element;
        ASSERT_EQ(OpenDataElement(name, element.Out()), S_OK);
        EXPECT_EQ(Text(element.Get(), &IDataElement::get_Type), "DEWorkspace");
        auto workspace = element.As<IDEWorkspace>();
        int32_t type = -1;
        ASSERT_EQ(workspace->get_WorkspaceType(&type), S_OK);
        EXPECT_EQ(type, taviWorkspaceLocalDatabase);
    }
    ComPtr<IDataElement> missing;
    EXPECT_EQ(OpenDataElement(u"in_memory/nothing", missing.Out()), TAVI_E_DATA_NOT_FOUND);
}

struct FailureCase {
    std::u16string path;
    HRESULT hr;
    const char* reason;
};

TEST_F(DataAccess, MissingOrUnreadableDataGivesAClearCode) {
    // A named pipe nobody writes to: reading it would wait for ever.
    ASSERT_EQ(mkfifo(data_->Path("pipe.shp").c_str(), 0600), 0);
    const FailureCase cases[] = {
        {u"", E_INVALIDARG, "empty path"},
        {u"   ", E_INVALIDARG, "blank path"},
        {std::u16string(u"a\0b", 3), E_INVALIDARG, "an embedded zero"},
        {P("missing.shp"), TAVI_E_DATA_NOT_FOUND, "no such file"},
        {P("no folder/deeper/roads.shp"), TAVI_E_DATA_NOT_FOUND, "no such folder"},
        {P("city.gpkg/nosuch"), TAVI_E_DATA_NOT_FOUND, "no such dataset in a GeoPackage"},
        {P("data.gdb/nosuch"), TAVI_E_DATA_NOT_FOUND, "no such dataset in a file database"},
        {P("notes.txt/child"), TAVI_E_DATA_NOT_FOUND, "a plain file holds nothing"},
        {P("empty folder/child.shp"), TAVI_E_DATA_NOT_FOUND, "a folder does not invent files"},
        {P("broken.shp"), TAVI_E_DATA_UNREADABLE, "a shapefile that is not one"},
        {P("pipe.shp"), TAVI_E_DATA_UNREADABLE, "a named pipe is no data"},
        {u"/dev/zero", TAVI_E_DATA_UNREADABLE, "a device is no data"},
        {u"/proc/self/mem/x.shp", TAVI_E_DATA_NOT_FOUND, "below a file that is no container"},
        {u"/vsicurl/http://example.invalid/roads.shp", E_INVALIDARG, "no GDAL virtual file systems"},
        {u"https://example.invalid/roads.shp", E_INVALIDARG, "no URLs"},
        {u"PG:dbname=gis", TAVI_E_DATA_NOT_FOUND, "no connection strings: a relative path that is not there"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        ComPtr<IDataElement> element;
        EXPECT_EQ(OpenDataElement(c.path, element.Out()), c.hr);
        EXPECT_FALSE(element);
    }
    EXPECT_EQ(OpenDataElement(P(), nullptr), E_POINTER);
}

TEST_F(DataAccess, AskingForTheWrongKindIsNoInterface) {
    ComPtr<IFeatureClass> featureClass;
    EXPECT_EQ(OpenFeatureClass(P("city.gpkg/owners"), featureClass.Out()), E_NOINTERFACE);
    ComPtr<ITable> table;
    EXPECT_EQ(OpenTable(P("dem.tif"), table.Out()), E_NOINTERFACE);
    EXPECT_EQ(OpenTable(P("city.gpkg/owners"), table.Out()), S_OK);
    ComPtr<IWorkspace> workspace;
    EXPECT_EQ(OpenWorkspace(P("city.gpkg"), workspace.Out()), S_OK);
}

struct FeatureClassCase {
    const char* relative;
    int32_t shapeType;
    bool hasZ, hasM, spatialIndex;
    int32_t epsg; // -1: no coordinate system
    double xmin, ymin, xmax, ymax;
    int64_t rows;
    const char* shapeField;
};

TEST_F(DataAccess, FeatureClassFacts) {
    const FeatureClassCase cases[] = {
        {"roads \xC3\xBC.shp", taviGeometryPolyline, false, false, false, 32633, 500000, 6000000, 500200, 6000300, 2,
         "Shape"},
        {"wells.shp", taviGeometryPoint, true, false, false, 4326, 10, 50, 11, 52, 2, "Shape"},
        {"gauges.shp", taviGeometryPoint, false, true, false, -1, 1, 2, 1, 2, 1, "Shape"},
        {"city.gpkg/parcels", taviGeometryPolygon, false, false, true, 32633, 0, 0, 30, 40, 2, "geom"},
        {"city.gpkg/stops", taviGeometryMultipoint, false, false, false, 4326, 1, 1, 2, 2, 1, "geom"},
        {"data.gdb/parcels", taviGeometryPolygon, false, false, true, 4326, 5, 45, 6, 46, 1, "SHAPE"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.relative);
        ComPtr<IFeatureClass> fc;
        ASSERT_EQ(OpenFeatureClass(P(c.relative), fc.Out()), S_OK);
        int32_t shapeType = -1, featureType = 0;
        VARIANT_BOOL hasZ = 1, hasM = 1, index = 1;
        EXPECT_EQ(fc->get_ShapeType(&shapeType), S_OK);
        EXPECT_EQ(shapeType, c.shapeType);
        EXPECT_EQ(fc->get_FeatureType(&featureType), S_OK);
        EXPECT_EQ(featureType, taviFeatureTypeSimple);
        fc->get_HasZ(&hasZ), fc->get_HasM(&hasM), fc->get_HasSpatialIndex(&index);
        EXPECT_EQ(hasZ != 0, c.hasZ);
        EXPECT_EQ(hasM != 0, c.hasM);
        EXPECT_EQ(index != 0, c.spatialIndex);
        EXPECT_EQ(Text(fc.Get(), &IFeatureClass::get_ShapeFieldName), c.shapeField);

        ComPtr<ISpatialReference> sr;
        EXPECT_EQ(fc->get_SpatialReference(sr.Out()), c.epsg < 0 ? S_FALSE : S_OK);
        if (c.epsg >= 0) {
            int32_t code = 0;
            ASSERT_TRUE(sr);
            sr->get_FactoryCode(&code);
            EXPECT_EQ(code, c.epsg);
            VARIANT_BOOL z = 0, m = 0;
            sr->HasZPrecision(&z), sr->HasMPrecision(&m);
            EXPECT_EQ(z != 0, c.hasZ) << "a Z domain exactly when the data has Z values";
        }

        ComPtr<IEnvelope> extent;
        ASSERT_EQ(fc->get_Extent(extent.Out()), S_OK);
        double box[4];
        ASSERT_EQ(extent->QueryCoords(&box[0], &box[1], &box[2], &box[3]), S_OK);
        EXPECT_DOUBLE_EQ(box[0], c.xmin);
        EXPECT_DOUBLE_EQ(box[1], c.ymin);
        EXPECT_DOUBLE_EQ(box[2], c.xmax);
        EXPECT_DOUBLE_EQ(box[3], c.ymax);
        ComPtr<ISpatialReference> extentSr;
        extent->get_SpatialReference(extentSr.Out());
        EXPECT_EQ(extentSr == nullptr, c.epsg < 0) << "the extent carries the feature class's spatial reference";

        int64_t rows = -1;
        ASSERT_EQ(fc.As<ITable>()->RowCount(&rows), S_OK);
        EXPECT_EQ(rows, c.rows);
        int32_t datasetType = 0;
        fc.As<IDEDataset4>()->get_DatasetType(&datasetType);
        EXPECT_EQ(datasetType, taviDatasetTypeFeatureClass);
    }
}

struct FieldCase {
    const char* name;
    int32_t type;
    int32_t length, precision, scale;
    bool nullable, editable, required;
};

void ExpectFields(IFields* fields, std::initializer_list<FieldCase> expected) {
    int32_t count = 0;
    ASSERT_EQ(fields->get_FieldCount(&count), S_OK);
    ASSERT_EQ(count, static_cast<int32_t>(expected.size()));
    int32_t i = 0;
    for (const auto& e : expected) {
        SCOPED_TRACE(e.name);
        ComPtr<IField> field;
        ASSERT_EQ(fields->get_Field(i++, field.Out()), S_OK);
        EXPECT_EQ(Text(field.Get(), &IField::get_Name), e.name);
        EXPECT_EQ(Text(field.Get(), &IField::get_AliasName), e.name) << "no alias stored: the name";
        int32_t type = -1, length = -1, precision = -1, scale = -1;
        VARIANT_BOOL nullable = 0, editable = 0, required = 0;
        field->get_Type(&type), field->get_Length(&length), field->get_Precision(&precision), field->get_Scale(&scale);
        field->get_IsNullable(&nullable), field->get_Editable(&editable), field->get_Required(&required);
        EXPECT_EQ(type, e.type);
        EXPECT_EQ(length, e.length);
        EXPECT_EQ(precision, e.precision);
        EXPECT_EQ(scale, e.scale);
        EXPECT_EQ(nullable != 0, e.nullable);
        EXPECT_EQ(editable != 0, e.editable);
        EXPECT_EQ(required != 0, e.required);
    }
}

TEST_F(DataAccess, FieldsOfAShapefileAndAGeoPackageTable) {
    ComPtr<ITable> roads;
    ASSERT_EQ(OpenTable(P("roads \xC3\xBC.shp"), roads.Out()), S_OK);
    ComPtr<IFields> fields;
    ASSERT_EQ(roads->get_Fields(fields.Out()), S_OK);
    ExpectFields(fields.Get(), {
                                   {"FID", taviFieldTypeOID, 4, 0, 0, false, false, true},
                                   {"Shape", taviFieldTypeGeometry, 0, 0, 0, true, true, true},
                                   {"NAME", taviFieldTypeString, 32, 0, 0, true, true, false},
                                   {"COUNT", taviFieldTypeInteger, 0, 9, 0, true, true, false},
                                   {"VALUE", taviFieldTypeDouble, 0, 12, 3, true, true, false},
                                   {"WHEN", taviFieldTypeDate, 0, 0, 0, true, true, false},
                               });
    ComPtr<ITable> owners;
    ASSERT_EQ(OpenTable(P("city.gpkg/owners"), owners.Out()), S_OK);
    ASSERT_EQ(owners->get_Fields(fields.Out()), S_OK);
    ExpectFields(fields.Get(), {
                                   {"fid", taviFieldTypeOID, 4, 0, 0, false, false, true},
                                   {"NAME", taviFieldTypeString, 32, 0, 0, true, true, false},
                                   {"COUNT", taviFieldTypeInteger, 0, 0, 0, true, true, false},
                                   // a GeoPackage stores no width and precision for numbers
                                   {"VALUE", taviFieldTypeDouble, 0, 0, 0, true, true, false},
                                   {"WHEN", taviFieldTypeDate, 0, 0, 0, true, true, false},
                               });
    EXPECT_EQ(Text(owners.Get(), &ITable::get_OIDFieldName), "fid");

    int32_t index = -2;
    EXPECT_EQ(fields->FindField(u"value", &index), S_OK);
    EXPECT_EQ(index, 3);
    EXPECT_EQ(fields->FindField(u"nosuch", &index), S_FALSE);
    EXPECT_EQ(index, -1);
    ComPtr<IField> outside;
    EXPECT_EQ(fields->get_Field(5, outside.Out()), E_INVALIDARG);
    EXPECT_EQ(fields->get_Field(-1, outside.Out()), E_INVALIDARG);
}

TEST_F(DataAccess, RasterSizeCellsExtentAndSpatialReference) {
    ComPtr<IRasterDataset> raster;
    ASSERT_EQ(OpenRasterDataset(P("dem.tif"), raster.Out()), S_OK);
    int32_t columns = 0, rows = 0, bands = 0;
    double cx = 0, cy = 0;
    raster->get_ColumnCount(&columns), raster->get_RowCount(&rows), raster->get_BandCount(&bands);
    raster->get_CellSizeX(&cx), raster->get_CellSizeY(&cy);
    EXPECT_EQ(columns, 10);
    EXPECT_EQ(rows, 5);
    EXPECT_EQ(bands, 1);
    EXPECT_DOUBLE_EQ(cx, 30);
    EXPECT_DOUBLE_EQ(cy, 30) << "positive although the rows run down";
    ComPtr<IEnvelope> extent;
    ASSERT_EQ(raster->get_Extent(extent.Out()), S_OK);
    double box[4];
    extent->QueryCoords(&box[0], &box[1], &box[2], &box[3]);
    EXPECT_DOUBLE_EQ(box[0], 400000);
    EXPECT_DOUBLE_EQ(box[1], 5000000);
    EXPECT_DOUBLE_EQ(box[2], 400300);
    EXPECT_DOUBLE_EQ(box[3], 5000150);
    ComPtr<ISpatialReference> sr;
    ASSERT_EQ(raster->get_SpatialReference(sr.Out()), S_OK);
    int32_t code = 0;
    sr->get_FactoryCode(&code);
    EXPECT_EQ(code, 32633);
}

TEST_F(DataAccess, ChildrenOfFoldersAndDatabases) {
    ComPtr<IDataElement> folder;
    ASSERT_EQ(OpenDataElement(P(), folder.Out()), S_OK);
    VARIANT_BOOL expanded = -1;
    folder->get_ChildrenExpanded(&expanded);
    EXPECT_EQ(expanded, VARIANT_FALSE);
    ComPtr<IArray> children;
    ASSERT_EQ(folder->get_Children(children.Out()), S_OK);
    std::vector<std::string> names;
    int32_t count = 0;
    children->get_Count(&count);
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IUnknown> child;
        children->get_Element(i, child.Out());
        names.push_back(Text(child.As<IDataElement>().Get(), &IDataElement::get_Name));
    }
    // Side files of the shapefiles and the unreadable broken.shp are left out; the rest in name order.
    const std::vector<std::string> expected = {"Ort Straße.prj",     "city.gpkg",  "data.gdb",  "dem.tif",
                                               "empty folder",       "gauges.shp", "notes.txt", "only rasters.gpkg",
                                               "roads \xC3\xBC.shp", "wells.shp"};
    EXPECT_EQ(names, expected);
    folder->get_ChildrenExpanded(&expanded);
    EXPECT_EQ(expanded, VARIANT_TRUE);

    ComPtr<IDataElement> gpkg;
    ASSERT_EQ(OpenDataElement(P("city.gpkg"), gpkg.Out()), S_OK);
    ASSERT_EQ(gpkg->get_Children(children.Out()), S_OK);
    children->get_Count(&count);
    EXPECT_EQ(count, 4) << "three layers and a raster table";
    ComPtr<IUnknown> last;
    children->get_Element(3, last.Out());
    EXPECT_TRUE(last.As<IRasterDataset>());
    ComPtr<IUnknown> first;
    children->get_Element(0, first.Out());
    EXPECT_EQ(Text(first.As<IDataElement>().Get(), &IDataElement::get_CatalogPath), data_->Path("city.gpkg/parcels"));

    ComPtr<IDataElement> table;
    ASSERT_EQ(OpenDataElement(P("city.gpkg/owners"), table.Out()), S_OK);
    ASSERT_EQ(table->get_Children(children.Out()), S_OK);
    EXPECT_FALSE(children) << "a table holds no children";
}

ComPtr<IFields> TypedFields() {
    ComPtr<IFields> fields;
    EXPECT_EQ(CreateFields(fields.Out()), S_OK);
    auto edit = fields.As<IFieldsEdit>();
    struct FieldWanted {
        const char16_t* name;
        int32_t type;
        int32_t length;
    } const wanted[] = {{u"OBJECTID", taviFieldTypeOID, 0}, // left to the table
                        {u"LABEL", taviFieldTypeString, 20},
                        {u"HEIGHT", taviFieldTypeDouble, 0},
                        {u"FLOORS", taviFieldTypeInteger, 0}};
    for (const auto& want : wanted) {
        ComPtr<IField> field;
        CreateField(field.Out());
        auto fieldEdit = field.As<IFieldEdit>();
        fieldEdit->put_Name(want.name), fieldEdit->put_Type(want.type), fieldEdit->put_Length(want.length);
        EXPECT_EQ(edit->AddField(field.Get()), S_OK);
    }
    ComPtr<IField> twice;
    CreateField(twice.Out());
    twice.As<IFieldEdit>()->put_Name(u"label");
    EXPECT_EQ(edit->AddField(twice.Get()), E_INVALIDARG) << "names are unique without regard to case";
    return fields;
}

TEST_F(DataAccess, CreatedDatasetsOpenAgainWithTheirFields) {
    // Data of its own, so that the shared data stays as the other tests expect it.
    TestData local;
    local.Vector("GPKG", "work.gpkg", "seed", wkbPoint, 0, {});
    std::filesystem::create_directory(local.Path("out folder"));
    auto L = [&](const std::string& relative) { return U(local.Path(relative)); };
    ComPtr<ISpatialReference> wgs84;
    ASSERT_EQ(CreateSpatialReferenceFromText(u"4326", wgs84.Out()), S_OK);
    auto fields = TypedFields();
    struct Case {
        std::u16string workspace;
        const char16_t* name;
        std::u16string reopen;
    } const cases[] = {
        {u"in_memory", u"houses", u"in_memory/houses"},
        {L("work.gpkg"), u"houses", L("work.gpkg/houses")},
        {L("out folder"), u"häuser", L("out folder/häuser.shp")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.reopen));
        ComPtr<IWorkspace> workspace;
        ASSERT_EQ(OpenWorkspace(c.workspace, workspace.Out()), S_OK);
        ComPtr<IFeatureClass> created;
        ASSERT_EQ(workspace->CreateFeatureClass(c.name, fields.Get(), taviGeometryPolygon, VARIANT_TRUE, VARIANT_FALSE,
                                                wgs84.Get(), created.Out()),
                  S_OK);
        ComPtr<IRow> row;
        ASSERT_EQ(created.As<ITable>()->CreateRow(row.Out()), S_OK);
        Variant shape;
        shape.vt = VT_BSTR, shape.bstrVal = SysAllocString(u"POLYGON Z ((0 0 1, 1 0 1, 1 1 1, 0 0 1))");
        ASSERT_EQ(row->put_Value(1, shape), S_OK);
        ASSERT_EQ(row->Store(), S_OK);
        created = nullptr, row = nullptr;

        ComPtr<IFeatureClass> reopened;
        ASSERT_EQ(OpenFeatureClass(c.reopen, reopened.Out()), S_OK);
        int32_t shapeType = 0;
        VARIANT_BOOL hasZ = 0;
        reopened->get_ShapeType(&shapeType), reopened->get_HasZ(&hasZ);
        EXPECT_EQ(shapeType, taviGeometryPolygon);
        EXPECT_TRUE(hasZ);
        ComPtr<IFields> read;
        reopened.As<ITable>()->get_Fields(read.Out());
        int32_t count = 0, label = -1;
        read->get_FieldCount(&count);
        EXPECT_EQ(count, 5) << "identifier, shape and the three attributes";
        EXPECT_EQ(read->FindField(u"LABEL", &label), S_OK);
        int64_t rows = 0;
        reopened.As<ITable>()->RowCount(&rows);
        EXPECT_EQ(rows, 1);

        ComPtr<IFeatureClass> again;
        EXPECT_EQ(workspace->CreateFeatureClass(c.name, fields.Get(), taviGeometryPoint, VARIANT_FALSE, VARIANT_FALSE,
                                                nullptr, again.Out()),
                  TAVI_E_DATA_EXISTS);
        EXPECT_EQ(workspace->CreateFeatureClass(u"other", fields.Get(), taviGeometryNull, VARIANT_FALSE, VARIANT_FALSE,
                                                nullptr, again.Out()),
                  E_INVALIDARG);
        EXPECT_EQ(workspace->CreateFeatureClass(u"a/b", fields.Get(), taviGeometryPoint, VARIANT_FALSE, VARIANT_FALSE,
                                                nullptr, again.Out()),
                  E_INVALIDARG);
    }

    ComPtr<IWorkspace> folder;
    ASSERT_EQ(OpenWorkspace(L("out folder"), folder.Out()), S_OK);
    ComPtr<ITable> table;
    ASSERT_EQ(folder->CreateTable(u"ledger", fields.Get(), table.Out()), S_OK);
    ComPtr<IDataElement> element;
    ASSERT_EQ(OpenDataElement(L("out folder/ledger.dbf"), element.Out()), S_OK);
    EXPECT_EQ(Text(element.Get(), &IDataElement::get_Type), "DETable");
}

} // namespace
} // namespace tavi::test
