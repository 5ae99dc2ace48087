// Data elements and fields as values, on real data made at run time: each kind's text, data type and description,
// texts and JSON that only confirm the catalog path, the table description that may be cleared; fields by their
// names; and the data element data types DEType, DEDatasetType and DEGeoDatasetType making, validating and accepting
// elements of their kinds.
#include "TestData.h"
#include "TestSupport.h"

#include "data/DataElement.h"
#include "data/TableDescription.h"
#include "host/Message.h"
#include "host/MessageMaker.h"
#include "host/TypeTexts.h"
#include "tavi/DEDataTypes.h"
#include "tavi/GPDomains.h"
#include "tavi/GPScalar.h"

#include <nlohmann/json.hpp>

#include <filesystem>

namespace tavi::test {
namespace {

class DataElementValueTest : public ModuleClassesTest {
protected:
    static void SetUpTestSuite() {
        data_ = new TestData();
        data_->Vector("shp", "roads.shp", "roads", wkbLineString, 4326,
                      {{"LINESTRING (0 0, 1 1)", "a", 1, 1, 2001, 1, 1}});
        data_->Vector("shp", "wells.shp", "wells", wkbPoint25D, 4326, {{"POINT (1 2 3)", "w", 1, 1, 2001, 1, 1}});
        data_->Vector("GPKG", "city.gpkg", "parcels", wkbPolygon, 32633,
                      {{"POLYGON ((0 0, 10 0, 10 10, 0 10, 0 0))", "p1", 1, 100, 2010, 6, 1}});
        data_->Vector("GPKG", "city.gpkg", "owners", wkbNone, 0, {{"", "x", 1, 0, 2000, 1, 1}});
        data_->Raster("dem.tif", 10, 5, 2, 100, 200, 32633);
        data_->File("notes.txt", "not data");
        data_->File("broken.shp", "this is not a shapefile");
        std::filesystem::create_directory(data_->Path("sub folder"));
    }
    static void TearDownTestSuite() {
        delete data_;
        data_ = nullptr;
    }

    // The catalog path of `relative` in the data folder; the memory workspace is named as it is.
    static std::u16string P(const std::string& relative) {
        return relative == "in_memory" ? u"in_memory" : FromUtf8(data_->Path(relative));
    }

    static ComPtr<IGPValue> Open(const std::string& relative) {
        ComPtr<IDataElement> element;
        EXPECT_EQ(OpenDataElement(P(relative), element.Out()), S_OK) << relative;
        return element.As<IGPValue>();
    }

    static std::u16string Text(IGPValue* value) {
        BStr text;
        EXPECT_EQ(value->GetAsText(text.Out()), S_OK);
        return text.str();
    }

    static std::u16string DataTypeName(IGPValue* value) {
        ComPtr<IGPDataType> type;
        BStr name;
        if (value->get_DataType(type.Out()) == S_OK && type)
            type->get_Name(name.Out());
        return name.str();
    }

    // What Describe answers for `name`: the result code and the variant.
    static HRESULT Describe(IUnknown* object, const char16_t* name, Variant& answer) {
        auto describe = QueryAs<IGPDescribe>(object);
        EXPECT_TRUE(describe) << "IGPDescribe is answered";
        return describe ? describe->Describe(name, answer.Out()) : E_NOINTERFACE;
    }
    static std::u16string DescribedText(IUnknown* object, const char16_t* name) {
        Variant answer;
        EXPECT_EQ(Describe(object, name, answer), S_OK) << ToUtf8(name);
        return answer.vt == VT_BSTR ? std::u16string(answer.bstrVal, SysStringLen(answer.bstrVal)) : u"<not a text>";
    }
    static bool DescribedFlag(IUnknown* object, const char16_t* name) {
        Variant answer;
        EXPECT_EQ(Describe(object, name, answer), S_OK) << ToUtf8(name);
        EXPECT_EQ(answer.vt, VT_BOOL) << ToUtf8(name);
        return answer.vt == VT_BOOL && answer.boolVal != VARIANT_FALSE;
    }
    static void ExpectNotDescribed(IUnknown* object, const char16_t* name) {
        Variant answer;
        EXPECT_EQ(Describe(object, name, answer), S_FALSE) << ToUtf8(name);
        EXPECT_EQ(answer.vt, VT_EMPTY) << ToUtf8(name);
    }

    // SetAsText's verdict: the message's code, 0 for a message that is no error. The call always succeeds.
    static int32_t TextVerdict(IGPValue* value, const char16_t* text) {
        ComPtr<IGPMessage> message;
        EXPECT_EQ(value->SetAsText(text, message.Out()), S_OK);
        EXPECT_TRUE(message);
        return MessageIsError(message.Get()) ? MessageCode(message.Get()) : 0;
    }

    static TestData* data_;
};
TestData* DataElementValueTest::data_ = nullptr;

// Each kind of data element, with what it tells as a value. Type codes are -1 where the kind has none.
struct KindCase {
    const char* path;
    const char16_t* elementType;
    const char16_t* dataType;
    int32_t datasetType;
    int32_t workspaceType;
    const char* why;
};
const KindCase kKinds[] = {
    {"sub folder", u"DEFolder", u"DEType", -1, taviWorkspaceFileSystem, "a folder is a file system workspace"},
    {"city.gpkg", u"DEWorkspace", u"DEType", -1, taviWorkspaceLocalDatabase, "a GeoPackage is a database"},
    {"in_memory", u"DEWorkspace", u"DEType", -1, taviWorkspaceLocalDatabase, "the memory workspace"},
    {"notes.txt", u"DEFile", u"DEType", -1, -1, "a plain file"},
    {"city.gpkg/owners", u"DETable", u"DEDatasetType", taviDatasetTypeTable, -1, "a table is a dataset"},
    {"roads.shp", u"DEFeatureClass", u"DEGeoDatasetType", taviDatasetTypeFeatureClass, -1, "a shapefile"},
    {"city.gpkg/parcels", u"DEFeatureClass", u"DEGeoDatasetType", taviDatasetTypeFeatureClass, -1, "inside a GPKG"},
    {"dem.tif", u"DERasterDataset", u"DEGeoDatasetType", taviDatasetTypeRasterDataset, -1, "a raster"},
};

TEST_F(DataElementValueTest, EveryKindIsAValueNamedByItsCatalogPath) {
    for (const auto& c : kKinds) {
        SCOPED_TRACE(c.why);
        auto value = Open(c.path);
        ASSERT_TRUE(value) << "IGPValue is answered";
        EXPECT_EQ(Text(value.Get()), P(c.path));
        VARIANT_BOOL empty = VARIANT_TRUE;
        EXPECT_EQ(value->IsEmpty(&empty), S_OK);
        EXPECT_EQ(empty, VARIANT_FALSE);
        EXPECT_EQ(DataTypeName(value.Get()), c.dataType);
        EXPECT_EQ(value->Empty(), E_NOTIMPL) << "opened data names its data for life";
        EXPECT_EQ(Text(value.Get()), P(c.path));

        // The names every element answers, the value's own among them, in any letter case.
        EXPECT_EQ(DescribedText(value.Get(), u"CatalogPath"), P(c.path));
        EXPECT_EQ(DescribedText(value.Get(), u"value"), P(c.path));
        EXPECT_EQ(DescribedText(value.Get(), u"DataElementType"), c.elementType);
        EXPECT_EQ(DescribedText(value.Get(), u"DATATYPE"), c.dataType);
        EXPECT_FALSE(DescribedFlag(value.Get(), u"IsEmpty"));
        BStr name;
        QueryAs<IDataElement>(value.Get())->get_Name(name.Out());
        EXPECT_EQ(DescribedText(value.Get(), u"Name"), name.str());

        // The names of other kinds, and names nobody knows, are not answered.
        if (c.datasetType >= 0)
            EXPECT_EQ(DescribedText(value.Get(), u"DatasetType"), DatasetTypeText(c.datasetType));
        else
            ExpectNotDescribed(value.Get(), u"DatasetType");
        if (c.workspaceType >= 0)
            EXPECT_EQ(DescribedText(value.Get(), u"WorkspaceType"), WorkspaceTypeText(c.workspaceType));
        else
            ExpectNotDescribed(value.Get(), u"WorkspaceType");
        if (std::u16string_view(c.elementType) != u"DEFeatureClass")
            for (const char16_t* featureClassName :
                 {u"ShapeType", u"FeatureType", u"HasZ", u"HasM", u"HasSpatialIndex"})
                ExpectNotDescribed(value.Get(), featureClassName);
        ExpectNotDescribed(value.Get(), u"NoSuchName");
        ExpectNotDescribed(value.Get(), u"");
    }
}

TEST_F(DataElementValueTest, FeatureClassesDescribeTheirGeometry) {
    struct Case {
        const char* path;
        int32_t shapeType;
        bool hasZ;
        bool hasSpatialIndex;
        const char* why;
    } const kCases[] = {
        {"roads.shp", taviGeometryPolyline, false, false, "a shapefile without an index file"},
        {"wells.shp", taviGeometryPoint, true, false, "points with Z values"},
        {"city.gpkg/parcels", taviGeometryPolygon, false, true, "a GeoPackage table has its R-tree"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.why);
        auto value = Open(c.path);
        ASSERT_TRUE(value);
        EXPECT_EQ(DescribedText(value.Get(), u"ShapeType"), GeometryTypeText(c.shapeType));
        EXPECT_EQ(DescribedText(value.Get(), u"featuretype"), FeatureTypeText(taviFeatureTypeSimple));
        EXPECT_EQ(DescribedFlag(value.Get(), u"HasZ"), c.hasZ);
        EXPECT_FALSE(DescribedFlag(value.Get(), u"HasM"));
        EXPECT_EQ(DescribedFlag(value.Get(), u"HasSpatialIndex"), c.hasSpatialIndex);
    }
    auto roads = Open("roads.shp");
    EXPECT_EQ(DescribedText(roads.Get(), u"BaseName"), u"roads");
    EXPECT_EQ(DescribedText(roads.Get(), u"Extension"), u"shp");
}

TEST_F(DataElementValueTest, TextsOnlyConfirmThePath) {
    auto value = Open("roads.shp");
    ASSERT_TRUE(value);
    const std::u16string path = P("roads.shp");
    const std::u16string padded = u"  " + path + u"\t";
    const std::u16string other = P("wells.shp");
    std::u16string upper = path;
    upper.back() = u'P';
    struct Case {
        const char16_t* text;
        int32_t code;
        const char* why;
    } const kCases[] = {
        {path.c_str(), 0, "the element's own path"},
        {padded.c_str(), 0, "blanks around the path are no part of it"},
        {other.c_str(), kMessageCodeInvalidValue, "another dataset"},
        {upper.c_str(), kMessageCodeInvalidValue, "paths differ in letter case"},
        {u"", kMessageCodeInvalidValue, "an element cannot be emptied by text"},
        {nullptr, kMessageCodeInvalidValue, "nor by no text"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(TextVerdict(value.Get(), c.text), c.code);
        EXPECT_EQ(Text(value.Get()), path) << "the element is left as it was";
    }
    EXPECT_EQ(value->SetAsText(path.c_str(), nullptr), E_POINTER);
}

TEST_F(DataElementValueTest, JsonNamesTheCatalogPathBothWays) {
    auto value = Open("dem.tif");
    ASSERT_TRUE(value);
    const std::string path = data_->Path("dem.tif");
    BStr json;
    ASSERT_EQ(value->SerializeJSONObject(json.Out()), S_OK);
    EXPECT_EQ(nlohmann::json::parse(ToUtf8(json.view())), nlohmann::json({{"catalogPath", path}}));

    struct Case {
        std::string json;
        HRESULT hr;
        const char* why;
    } const kCases[] = {
        {nlohmann::json({{"catalogPath", path}}).dump(), S_OK, "its own form"},
        {nlohmann::json({{"catalogPath", " " + path + " "}, {"other", 1}}).dump(), S_OK, "blanks; other members"},
        {nlohmann::json({{"catalogPath", data_->Path("roads.shp")}}).dump(), E_FAIL, "another dataset"},
        {R"({"catalogPath": 5})", E_INVALIDARG, "the path is no text"},
        {R"({"value": "x"})", E_INVALIDARG, "no path"},
        {R"(["catalogPath"])", E_INVALIDARG, "not an object"},
        {R"({"catalogPath": ")", E_INVALIDARG, "malformed"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(value->DeserializeJSONObject(FromUtf8(c.json).c_str()), c.hr);
        EXPECT_EQ(Text(value.Get()), FromUtf8(path));
    }
    EXPECT_EQ(value->DeserializeJSONObject(nullptr), E_POINTER);
    EXPECT_EQ(value->SerializeJSONObject(nullptr), E_POINTER);
}

TEST_F(DataElementValueTest, ATableDescriptionMayBeCleared) {
    ComPtr<IDataElement> table;
    ASSERT_EQ(OpenDataElement(P("city.gpkg/parcels"), table.Out()), S_OK);
    ComPtr<TableDescription> described;
    ASSERT_EQ(DescribeTable(table.Get(), true, described), S_OK);
    auto value = QueryAs<IGPValue>(static_cast<IDataElement*>(described.Get()));
    ASSERT_TRUE(value);
    EXPECT_EQ(Text(value.Get()), P("city.gpkg/parcels"));
    EXPECT_EQ(DataTypeName(value.Get()), u"DEType") << "a description is no opened dataset";
    EXPECT_EQ(DescribedText(value.Get(), u"DataElementType"), u"DEFeatureClass");
    ExpectNotDescribed(value.Get(), u"ShapeType");

    EXPECT_EQ(value->Empty(), S_OK);
    VARIANT_BOOL empty = VARIANT_FALSE;
    EXPECT_EQ(value->IsEmpty(&empty), S_OK);
    EXPECT_EQ(empty, VARIANT_TRUE);
    EXPECT_EQ(Text(value.Get()), u"");
    ComPtr<IFields> fields;
    int32_t count = -1;
    ASSERT_EQ(described->get_Fields(fields.Out()), S_OK);
    EXPECT_EQ(fields->get_FieldCount(&count), S_OK);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(TextVerdict(value.Get(), u" "), 0) << "it names nothing, as the text does";
    EXPECT_EQ(TextVerdict(value.Get(), P("city.gpkg/parcels").c_str()), kMessageCodeInvalidValue)
        << "a text does not open data";

    auto made = Create<IGPValue>(CLSID_DETableDescription);
    ASSERT_TRUE(made);
    EXPECT_EQ(made->IsEmpty(&empty), S_OK);
    EXPECT_EQ(empty, VARIANT_TRUE) << "a new description names nothing";
}

TEST_F(DataElementValueTest, FieldsAreValuesNamedByTheirNames) {
    ComPtr<ITable> table;
    ASSERT_EQ(OpenTable(P("roads.shp"), table.Out()), S_OK);
    ComPtr<IFields> fields;
    ASSERT_EQ(table->get_Fields(fields.Out()), S_OK);
    int32_t index = -1;
    ASSERT_EQ(fields->FindField(u"NAME", &index), S_OK);
    ComPtr<IField> field;
    ASSERT_EQ(fields->get_Field(index, field.Out()), S_OK);
    auto value = field.As<IGPValue>();
    ASSERT_TRUE(value);

    EXPECT_EQ(Text(value.Get()), u"NAME");
    IGPDataType* type = reinterpret_cast<IGPDataType*>(1);
    EXPECT_EQ(value->get_DataType(&type), S_FALSE);
    EXPECT_EQ(type, nullptr) << "no data type stands for a field";
    EXPECT_EQ(value->Empty(), E_NOTIMPL);

    EXPECT_EQ(TextVerdict(value.Get(), u"NAME"), 0);
    EXPECT_EQ(TextVerdict(value.Get(), u" name "), 0) << "a table finds its fields without regard to case";
    EXPECT_EQ(TextVerdict(value.Get(), u"COUNT"), kMessageCodeInvalidValue);
    EXPECT_EQ(Text(value.Get()), u"NAME");

    EXPECT_EQ(DescribedText(value.Get(), u"Name"), u"NAME");
    EXPECT_EQ(DescribedText(value.Get(), u"AliasName"), u"NAME");
    EXPECT_EQ(DescribedText(value.Get(), u"Type"), GetFieldType(taviFieldTypeString));
    Variant length;
    EXPECT_EQ(Describe(value.Get(), u"length", length), S_OK);
    EXPECT_EQ(length.vt, VT_I4);
    EXPECT_EQ(length.lVal, 32);
    EXPECT_EQ(DescribedText(value.Get(), u"Value"), u"NAME");
    ExpectNotDescribed(value.Get(), u"DataType");
    ExpectNotDescribed(value.Get(), u"CatalogPath");

    BStr json;
    ASSERT_EQ(value->SerializeJSONObject(json.Out()), S_OK);
    EXPECT_EQ(nlohmann::json::parse(ToUtf8(json.view())), nlohmann::json({{"name", "NAME"}}));
    EXPECT_EQ(value->DeserializeJSONObject(u"{\"name\": \"Name\"}"), S_OK);
    EXPECT_EQ(value->DeserializeJSONObject(u"{\"name\": \"COUNT\"}"), E_FAIL);
    EXPECT_EQ(value->DeserializeJSONObject(u"{\"name\": "), E_INVALIDARG);
    EXPECT_EQ(Text(value.Get()), u"NAME");

    auto unnamed = Create<IGPValue>(CLSID_Field);
    ASSERT_TRUE(unnamed);
    VARIANT_BOOL empty = VARIANT_FALSE;
    EXPECT_EQ(unnamed->IsEmpty(&empty), S_OK);
    EXPECT_EQ(empty, VARIANT_TRUE) << "a field without a name is empty";
}

// ---- the data element data types ----

struct CreateCase {
    const char16_t* type;
    const char* path; // null: no text
    HRESULT hr;
    const char* why;
};
const CreateCase kCreateCases[] = {
    {u"DEType", "sub folder", S_OK, "any element: a folder"},
    {u"DEType", "notes.txt", S_OK, "a plain file"},
    {u"DEType", "city.gpkg", S_OK, "a database"},
    {u"DEType", "in_memory", S_OK, "the memory workspace"},
    {u"DEType", "roads.shp", S_OK, "a feature class"},
    {u"DEDatasetType", "city.gpkg/owners", S_OK, "a table"},
    {u"DEDatasetType", "dem.tif", S_OK, "a raster"},
    {u"DEDatasetType", "city.gpkg/parcels", S_OK, "a feature class"},
    {u"DEDatasetType", "sub folder", E_INVALIDARG, "a folder is no dataset"},
    {u"DEDatasetType", "city.gpkg", E_INVALIDARG, "nor is a database"},
    {u"DEDatasetType", "notes.txt", E_INVALIDARG, "nor a plain file"},
    {u"DEGeoDatasetType", "roads.shp", S_OK, "a feature class"},
    {u"DEGeoDatasetType", "dem.tif", S_OK, "a raster"},
    {u"DEGeoDatasetType", "city.gpkg/owners", E_INVALIDARG, "a table has no location"},
    {u"DEGeoDatasetType", "sub folder", E_INVALIDARG, "a folder"},
    {u"DEType", "missing.shp", TAVI_E_DATA_NOT_FOUND, "nothing there"},
    {u"DEGeoDatasetType", "city.gpkg/missing", TAVI_E_DATA_NOT_FOUND, "no such dataset inside"},
    {u"DEDatasetType", "broken.shp", TAVI_E_DATA_UNREADABLE, "unreadable data"},
    {u"DEType", "", E_INVALIDARG, "no path"},
    {u"DEDatasetType", "   ", E_INVALIDARG, "blanks only"},
    {u"DEGeoDatasetType", nullptr, E_INVALIDARG, "a data element always names data"},
};

TEST_F(DataElementValueTest, DataTypesMakeTheElementsOfTheirKind) {
    for (const auto& c : kCreateCases) {
        SCOPED_TRACE(c.why);
        auto type = Create<IGPDataType>(c.type == std::u16string_view(u"DEType")          ? CLSID_DEType
                                        : c.type == std::u16string_view(u"DEDatasetType") ? CLSID_DEDatasetType
                                                                                          : CLSID_DEGeoDatasetType);
        ASSERT_TRUE(type);
        std::u16string text;
        if (c.path)
            text = std::string_view(c.path).find_first_not_of(' ') == std::string::npos
                       ? FromUtf8(c.path)
                       : u" " + P(c.path) + u" "; // blanks around the path are no part of it
        IGPValue* made = reinterpret_cast<IGPValue*>(1);
        HRESULT hr = type->CreateValue(c.path ? text.c_str() : nullptr, &made);
        auto value = ComPtr<IGPValue>::Adopt(made);
        EXPECT_EQ(hr, c.hr);
        if (FAILED(c.hr)) {
            EXPECT_FALSE(value);
            continue;
        }
        ASSERT_TRUE(value);
        EXPECT_TRUE(value.As<IDataElement>()) << "the value is the data element";
        EXPECT_EQ(Text(value.Get()), P(c.path));
        ComPtr<IGPMessage> message;
        EXPECT_EQ(type->ValidateValue(value.Get(), nullptr, message.Out()), S_OK);
        EXPECT_FALSE(MessageIsError(message.Get())) << "a type accepts what it makes";
    }
    auto type = Create<IGPDataType>(CLSID_DEType);
    EXPECT_EQ(type->CreateValue(P("roads.shp").c_str(), nullptr), E_POINTER);
}

TEST_F(DataElementValueTest, DataTypesValidateValuesOfTheirKind) {
    const CLSID types[] = {CLSID_DEType, CLSID_DEDatasetType, CLSID_DEGeoDatasetType};
    // Which of the three takes each kind of element, in the order of kKinds.
    const bool takes[][3] = {{true, false, false}, {true, false, false}, {true, false, false}, {true, false, false},
                             {true, true, false},  {true, true, true},   {true, true, true},   {true, true, true}};
    static_assert(std::size(takes) == std::size(kKinds));
    for (size_t k = 0; k < std::size(kKinds); ++k) {
        SCOPED_TRACE(kKinds[k].why);
        auto value = Open(kKinds[k].path);
        ASSERT_TRUE(value);
        for (size_t t = 0; t < std::size(types); ++t) {
            auto type = Create<IGPDataType>(types[t]);
            ComPtr<IGPMessage> message;
            EXPECT_EQ(type->ValidateValue(value.Get(), nullptr, message.Out()), S_OK);
            ASSERT_TRUE(message);
            EXPECT_EQ(MessageIsError(message.Get()), !takes[k][t]) << "type " << t;
            if (!takes[k][t]) {
                EXPECT_EQ(MessageCode(message.Get()), kMessageCodeInvalidValue);
            }
        }
    }

    // A text naming data is no data element; a variable holding one stands for it.
    auto geo = Create<IGPDataType>(CLSID_DEGeoDatasetType);
    auto text = Create<IGPValue>(CLSID_GPString);
    ComPtr<IGPMessage> message;
    text->SetAsText(P("roads.shp").c_str(), message.Out());
    EXPECT_EQ(geo->ValidateValue(text.Get(), nullptr, message.Out()), S_OK);
    EXPECT_EQ(MessageCode(message.Get()), kMessageCodeInvalidValue);
    auto variable = Create<IGPVariable>(CLSID_GPVariable);
    ASSERT_TRUE(variable);
    variable->putref_Value(Open("roads.shp").Get());
    EXPECT_EQ(geo->ValidateValue(variable.As<IGPValue>().Get(), nullptr, message.Out()), S_OK);
    EXPECT_FALSE(MessageIsError(message.Get()));
    EXPECT_EQ(geo->ValidateValue(nullptr, nullptr, message.Out()), E_POINTER);
}

TEST_F(DataElementValueTest, AnAcceptedElementIsJudgedByTheDomain) {
    // A coded value domain takes only values that can be cloned, so it refuses opened data; a composite domain
    // holding it refuses too, and accepts once it also holds an empty entry.
    auto coded = Create<IGPCodedValueDomain>(CLSID_GPCodedValueDomain);
    ASSERT_EQ(coded->AddStringCode(P("roads.shp").c_str(), u"Roads"), S_OK);
    auto composite = Create<IGPCompositeDomain>(CLSID_GPCompositeDomain);
    ASSERT_EQ(composite->AddDomain(coded.As<IGPDomain>().Get()), S_OK);
    auto domain = composite.As<IGPDomain>();
    auto type = Create<IGPDataType>(CLSID_DEDatasetType);
    auto roads = Open("roads.shp");

    ComPtr<IGPMessage> expected, message;
    EXPECT_EQ(domain->MemberOf(roads.Get(), expected.Out()), S_OK);
    ASSERT_TRUE(MessageIsError(expected.Get()));
    EXPECT_EQ(type->ValidateValue(roads.Get(), domain.Get(), message.Out()), S_OK);
    EXPECT_TRUE(MessageIsError(message.Get())) << "the domain's verdict";
    EXPECT_EQ(MessageCode(message.Get()), MessageCode(expected.Get()));

    ASSERT_EQ(composite->AddDomain(nullptr), S_OK);
    EXPECT_EQ(type->ValidateValue(roads.Get(), domain.Get(), message.Out()), S_OK);
    EXPECT_FALSE(MessageIsError(message.Get())) << "the domain now accepts";

    EXPECT_EQ(type->ValidateValue(Open("sub folder").Get(), domain.Get(), message.Out()), S_OK);
    EXPECT_EQ(MessageCode(message.Get()), kMessageCodeInvalidValue) << "the type refuses before the domain is asked";
}

TEST_F(DataElementValueTest, NarrowerDataTypesAreAcceptedWhereWiderAreAsked) {
    const CLSID types[] = {CLSID_DEType, CLSID_DEDatasetType, CLSID_DEGeoDatasetType, CLSID_GPStringType};
    // accepts[i][j]: type i takes type j.
    const bool accepts[][4] = {
        {true, true, true, false},
        {false, true, true, false},
        {false, false, true, false},
        {false, false, false, true},
    };
    for (size_t i = 0; i < 4; ++i)
        for (size_t j = 0; j < 4; ++j) {
            SCOPED_TRACE(testing::Message() << i << " takes " << j);
            auto asked = Create<IGPDataType>(types[i]);
            auto given = Create<IGPDataType>(types[j]);
            ComPtr<IGPMessage> message;
            EXPECT_EQ(asked->ValidateDataType(given.Get(), message.Out()), S_OK);
            EXPECT_EQ(MessageIsError(message.Get()), !accepts[i][j]);
        }
}

} // namespace
} // namespace tavi::test
