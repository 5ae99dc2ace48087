// Field mappings: the text grammar against tables made with GDAL (shapefile, GeoPackage, file geodatabase), AddTable's
// merging of same-named fields, the field map check, the field map operations, and the stream and XML forms.
#include "PersistForms.h"
#include "TestData.h"
#include "TestSupport.h"

#include "data/DataElement.h"
#include "data/Field.h"
#include "host/DocumentVersion.h"
#include "host/Message.h"
#include "host/StreamIO.h"
#include "tavi/GPFieldMapping.h"
#include "tavi/GPMessage.h"
#include "tavi/GPSpatialReferenceValues.h"
#include "tavi/GPUnits.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace tavi::test {
namespace {

struct FieldSpec {
    const char* name;
    OGRFieldType type;
    int width = 0;
    const char* alias = nullptr;
};

class GPFieldMappingTest : public ModuleClassesTest {
protected:
    void SetUp() override {
        ModuleClassesTest::SetUp();
        // A shapefile, a GeoPackage and a file geodatabase whose fields share names with other types and lengths.
        Table("shp", "parcels.shp", "parcels", wkbPoint,
              {{"NAME", OFTString, 20}, {"COUNT", OFTInteger}, {"NOTE", OFTString, 10}});
        Table("GPKG", "city data.gpkg", "roads", wkbLineString,
              {{"NAME", OFTString, 64, "Road, \"main\" name"}, {"NOTE", OFTBinary}, {"WIDTH", OFTReal}});
        Table("OpenFileGDB", "base.gdb", "owners", wkbNone,
              {{"NAME", OFTString, 40, "Road, \"main\" name"}, {"NOTE", OFTBinary}});
    }

    void Table(const char* driver, const std::string& relative, const char* layerName, OGRwkbGeometryType geometry,
               const std::vector<FieldSpec>& fields) {
        GDALDriver* made = GetGDALDriverManager()->GetDriverByName(driver);
        if (!made)
            made = gdal::VectorDriverForExtension(driver);
        ASSERT_NE(made, nullptr) << driver;
        GDALDataset* dataset = made->Create(data_.Path(relative).c_str(), 0, 0, 0, GDT_Unknown, nullptr);
        ASSERT_NE(dataset, nullptr) << relative;
        OGRLayer* layer = dataset->CreateLayer(layerName, nullptr, geometry, nullptr);
        ASSERT_NE(layer, nullptr);
        for (const FieldSpec& spec : fields) {
            OGRFieldDefn field(spec.name, spec.type);
            field.SetWidth(spec.width);
            if (spec.alias)
                field.SetAlternativeName(spec.alias);
            ASSERT_EQ(layer->CreateField(&field), OGRERR_NONE);
        }
        GDALClose(dataset);
    }

    String P(const std::string& relative) const { return FromUtf8(data_.Path(relative)); }

    static ComPtr<IDEGdbTable7> Open(const String& path) {
        ComPtr<IDataElement> element;
        EXPECT_EQ(OpenDataElement(path, element.Out()), S_OK) << ToUtf8(path);
        return QueryAs<IDEGdbTable7>(element.Get());
    }
    static String PathOf(IUnknown* table) {
        BStr path;
        QueryAs<IDataElement>(table)->get_CatalogPath(path.Out());
        return path.str();
    }
    static String Text(IUnknown* value) {
        BStr text;
        EXPECT_EQ(QueryAs<IGPValue>(value)->GetAsText(text.Out()), S_OK);
        return text.str();
    }
    static HRESULT Read(IUnknown* value, const String& text, int32_t* code = nullptr) {
        ComPtr<IGPMessage> message;
        HRESULT hr = QueryAs<IGPValue>(value)->SetAsText(text.c_str(), message.Out());
        EXPECT_TRUE(message);
        if (code)
            *code = MessageCode(message.Get());
        return hr;
    }
    static bool Equal(IUnknown* a, IUnknown* b) {
        VARIANT_BOOL equal = VARIANT_FALSE;
        EXPECT_EQ(QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal), S_OK);
        return equal != VARIANT_FALSE;
    }
    static int32_t Count(IGPFieldMapping* mapping) {
        int32_t count = -1;
        mapping->get_FieldMapCount(&count);
        return count;
    }
    static ComPtr<IGPFieldMap> Map(IGPFieldMapping* mapping, int32_t index) {
        ComPtr<IGPFieldMap> map;
        EXPECT_EQ(mapping->GetFieldMap(index, map.Out()), S_OK);
        return map;
    }
    static FieldProperties Output(IGPFieldMap* map) {
        ComPtr<IField> field;
        FieldProperties p;
        EXPECT_EQ(map->get_OutputField(field.Out()), S_OK);
        ReadFieldProperties(field.Get(), p);
        return p;
    }
    // The mapping AddTable builds from the three tables, in the order shapefile, GeoPackage, file geodatabase.
    ComPtr<IGPFieldMapping> FromTables() {
        auto mapping = Create<IGPFieldMapping>(CLSID_GPFieldMapping);
        for (const char* path : {"parcels.shp", "city data.gpkg/roads", "base.gdb/owners"})
            EXPECT_EQ(mapping->AddTable(Open(P(path)).Get()), S_OK) << path;
        return mapping;
    }

    TestData data_;
};

TEST_F(GPFieldMappingTest, TextsReadAndWriteInTheGrammar) {
    String shp = PathOf(Open(P("parcels.shp")).Get());
    struct Case {
        const char* reason;
        String text;
        int32_t maps;
        String written;
    };
    const Case cases[] = {
        {"empty text", u"", 0, u""},
        {"a hash alone", u"#", 0, u""},
        {"empty parentheses", u"()", 0, u""},
        {"a field part alone gives a map without inputs", u"X \"Ex\" true true false 10 Text 0 0", 1,
         u"X \"Ex\" true true false 10 Text 0 0,First,#"},
        {"parentheses around the whole text are ignored", u"(X \"X\" true false false 4 Long 0 0,Sum,#)", 1,
         u"X \"X\" true false false 4 Long 0 0,Sum,#"},
        {"merge and type keywords in any case; unknown ones read as First and Long",
         u"A \"A\" TRUE true false 8 DOUBLE 0 0,MEAN,#;B \"B\" true true false 0 Fancy 0 0,Wobble,#", 2,
         u"A \"A\" true true false 8 Double 0 0,Mean,#;B \"B\" true true false 0 Long 0 0,First,#"},
        {"parse-only type keywords", u"S \"S\" true true false 2 smallinteger 0 0,First,#", 1,
         u"S \"S\" true true false 2 Short 0 0,First,#"},
        {"hash tokens keep the defaults", u"H # # # # # # # #,First,#", 1,
         u"H \"H\" true true false 0 Long 0 0,First,#"},
        {"a join delimiter in quotes", u"J \"J\" true true false 50 Text 0 0,Join,\", \"", 1,
         u"J \"J\" true true false 50 Text 0 0,Join,\", \""},
        {"inputs with text positions; missing or unreadable positions are -1",
         u"NAME \"Name\" true true false 20 Text 0 0,First,#," + shp + u",NAME,0,5," + shp + u",NAME,x", 1,
         u"NAME \"Name\" true true false 20 Text 0 0,First,#," + shp + u",NAME,0,5," + shp + u",NAME,-1,-1"},
        {"a field the table lacks is kept by name",
         u"GONE \"GONE\" true true false 5 Text 0 0,First,#," + shp + u",GONE,-1,-1", 1,
         u"GONE \"GONE\" true true false 5 Text 0 0,First,#," + shp + u",GONE,-1,-1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        auto mapping = Create<IGPFieldMapping>(CLSID_GPFieldMapping);
        ASSERT_EQ(Read(mapping.Get(), c.text), S_OK);
        EXPECT_EQ(Count(mapping.Get()), c.maps);
        EXPECT_EQ(ToUtf8(Text(mapping.Get())), ToUtf8(c.written));
        VARIANT_BOOL empty = VARIANT_FALSE;
        QueryAs<IGPValue>(mapping.Get())->IsEmpty(&empty);
        EXPECT_EQ(empty != VARIANT_FALSE, c.maps == 0);
        auto again = Create<IGPFieldMapping>(CLSID_GPFieldMapping);
        ASSERT_EQ(Read(again.Get(), c.written), S_OK);
        EXPECT_TRUE(Equal(again.Get(), mapping.Get()));
    }
}

TEST_F(GPFieldMappingTest, AliasesWithQuotesAndPathsWithCommasComeBack) {
    // A folder whose name holds a comma, a blank and an apostrophe.
    std::filesystem::create_directory(data_.Path("a, b's"));
    Table("shp", "a, b's/t.shp", "t", wkbPoint, {{"NAME", OFTString, 12}});
    String path = PathOf(Open(P("a, b's/t.shp")).Get());
    auto mapping = Create<IGPFieldMapping>(CLSID_GPFieldMapping);
    String text = u"NAME \"Say [double_quote]hi[double_quote], O'Neil\" true true false 12 Text 0 0,First,#,\"" + path +
                  u"\",NAME,-1,-1";
    ASSERT_EQ(Read(mapping.Get(), text), S_OK);
    EXPECT_EQ(ToUtf8(Output(Map(mapping.Get(), 0).Get()).alias), "Say \"hi\", O'Neil");
    EXPECT_EQ(ToUtf8(Text(mapping.Get())), ToUtf8(text));
    ComPtr<IDEGdbTable7> table;
    ASSERT_EQ(Map(mapping.Get(), 0)->get_InputTable(0, table.Out()), S_OK);
    ComPtr<IFields> fields;
    table->get_Fields(fields.Out());
    int32_t count = 0;
    fields->get_FieldCount(&count);
    EXPECT_GT(count, 1) << "the table was opened from its quoted path";
}

TEST_F(GPFieldMappingTest, AddTableMergesSameNamedFieldsAndNumbersBlobClashes) {
    auto mapping = FromTables();
    // NAME (three texts), COUNT, NOTE (text), NOTE1 (the GeoPackage's Blob), WIDTH, NOTE2 (the geodatabase's Blob:
    // the first numbered name not yet used).
    std::vector<std::string> names;
    for (int32_t i = 0; i < Count(mapping.Get()); ++i)
        names.push_back(ToUtf8(Output(Map(mapping.Get(), i).Get()).name));
    EXPECT_EQ(names, (std::vector<std::string>{"NAME", "COUNT", "NOTE", "NOTE1", "WIDTH", "NOTE2"}));

    auto name = Map(mapping.Get(), 0);
    int32_t inputs = 0;
    name->get_InputFieldCount(&inputs);
    EXPECT_EQ(inputs, 3);
    EXPECT_EQ(Output(name.Get()).length, 64) << "the longest input sets the length";
    EXPECT_TRUE(Output(name.Get()).nullable);
    for (int32_t i = 0; i < 3; ++i) {
        int32_t tableIndex = -1;
        name->get_InputTableIndex(i, &tableIndex);
        EXPECT_EQ(tableIndex, i) << "table indexes count the input tables from 0";
    }
    auto blobs = Map(mapping.Get(), 3);
    blobs->get_InputFieldCount(&inputs);
    EXPECT_EQ(inputs, 1);
    EXPECT_EQ(Output(blobs.Get()).type, taviFieldTypeBlob);

    // The text reads back to the same mapping, with the same table indexes.
    auto again = Create<IGPFieldMapping>(CLSID_GPFieldMapping);
    ASSERT_EQ(Read(again.Get(), Text(mapping.Get())), S_OK);
    EXPECT_EQ(ToUtf8(Text(again.Get())), ToUtf8(Text(mapping.Get())));
    EXPECT_TRUE(Equal(again.Get(), mapping.Get()));
    int32_t tables = 0;
    QueryAs<IGPFieldMappingImpl>(again.Get())->get_InputTableCount(&tables);
    EXPECT_EQ(tables, 3);

    // Removing the GeoPackage drops WIDTH and the GeoPackage's inputs; resetting rebuilds from the tables left.
    ASSERT_EQ(mapping->RemoveTable(1), S_OK);
    EXPECT_EQ(Count(mapping.Get()), 4); // NAME, COUNT, NOTE, NOTE2
    ASSERT_EQ(mapping->RemoveFieldMap(0), S_OK);
    ASSERT_EQ(mapping->ResetFieldMaps(), S_OK);
    EXPECT_EQ(Output(Map(mapping.Get(), 0).Get()).name, u"NAME");
    int32_t tableIndex = -1;
    ASSERT_EQ(Count(mapping.Get()), 4);
    EXPECT_EQ(Output(Map(mapping.Get(), 3).Get()).name, u"NOTE1") << "rebuilt from two tables, one Blob clash";
    Map(mapping.Get(), 3)->get_InputTableIndex(0, &tableIndex);
    EXPECT_EQ(tableIndex, 1) << "the geodatabase moved down one place";
}

TEST_F(GPFieldMappingTest, AnAliasFromATableComesBackThroughTheText) {
    auto mapping = Create<IGPFieldMapping>(CLSID_GPFieldMapping);
    ASSERT_EQ(mapping->AddTable(Open(P("base.gdb/owners")).Get()), S_OK);
    FieldProperties name = Output(Map(mapping.Get(), 0).Get());
    EXPECT_EQ(ToUtf8(name.alias), "Road, \"main\" name");
    EXPECT_EQ(name.length, 40);
    auto again = Create<IGPFieldMapping>(CLSID_GPFieldMapping);
    ASSERT_EQ(Read(again.Get(), Text(mapping.Get())), S_OK);
    EXPECT_EQ(ToUtf8(Output(Map(again.Get(), 0).Get()).alias), "Road, \"main\" name");
    EXPECT_TRUE(Equal(again.Get(), mapping.Get()));
}

TEST_F(GPFieldMappingTest, RefusedTextsGiveCode801AndKeepTheMapping) {
    auto mapping = FromTables();
    String before = Text(mapping.Get());
    String gpkg = PathOf(Open(P("city data.gpkg/roads")).Get());
    const String refused[] = {
        u"NAME \"N\" true true false 5 Text 0 0,First,#," + gpkg + u",NOTE,-1,-1", // text fed by a Blob
        u"\"unclosed,First,#",                                                     // a quote left open
        u" \"\" true true false 5 Text 0 0,First,#",                               // no output name
        u"A \"A\" true true false 5 Text 0 0,First,#," + gpkg,                     // a table without a field
        // Texts whose parts could not be written back as they were read.
        u"\"a,b\" \"A\" true true false 5 Text 0 0,First,#",                    // a name with a comma
        u"A \"A\" true true false 5 Text 0 0,First,#," + gpkg + u",\"\",-1,-1", // an empty field name
        u"A \"A\" true true false 5 Text 0 0,Join,'x\"y'",                      // a delimiter with a quote
    };
    for (const String& text : refused) {
        SCOPED_TRACE(ToUtf8(text));
        int32_t code = 0;
        EXPECT_TRUE(FAILED(Read(mapping.Get(), text, &code)));
        EXPECT_EQ(code, 801);
        EXPECT_EQ(ToUtf8(Text(mapping.Get())), ToUtf8(before));
    }
}

TEST_F(GPFieldMappingTest, FieldMapOperationsAndChecks) {
    auto mapping = FromTables();
    auto map = Map(mapping.Get(), 0);
    auto shp = Open(P("parcels.shp"));
    int32_t index = -2;
    ASSERT_EQ(map->FindInputField(shp.Get(), u"name", &index), S_OK);
    EXPECT_EQ(index, 0);
    map->FindInputField(shp.Get(), u"COUNT", &index);
    EXPECT_EQ(index, -1);

    int32_t start = 0, end = 0;
    EXPECT_EQ(map->SetTextPositions(0, 2, 4), S_OK);
    EXPECT_EQ(map->GetTextPositions(0, &start, &end), S_OK);
    EXPECT_EQ(start * 10 + end, 24);
    for (int32_t bad : {-1, 3}) {
        ComPtr<IField> field;
        EXPECT_EQ(map->get_InputField(bad, field.Out()), E_FAIL);
        EXPECT_EQ(map->RemoveInputField(bad), E_FAIL);
        EXPECT_EQ(map->SetTextPositions(bad, 0, 0), E_FAIL);
    }
    ComPtr<IGPFieldMap> none;
    EXPECT_EQ(mapping->GetFieldMap(99, none.Out()), E_FAIL);

    ComPtr<IFields> qualified;
    ASSERT_EQ(map->GetQualifiedFields(qualified.Out()), S_OK);
    ComPtr<IField> first;
    qualified->get_Field(0, first.Out());
    BStr qualifiedName;
    first->get_Name(qualifiedName.Out());
    EXPECT_EQ(ToUtf8(qualifiedName.str()), ToUtf8(PathOf(shp.Get()) + u"\\NAME"));

    // A blank output name is refused; a Blob input under a text output fails the check.
    ComPtr<IField> blank;
    CreateField(blank.Out());
    QueryAs<IFieldEdit>(blank.Get())->put_Name(u"  ");
    EXPECT_EQ(map->putref_OutputField(blank.Get()), E_FAIL);
    auto gdb = Open(P("base.gdb/owners"));
    ComPtr<IFields> gdbFields;
    gdb->get_Fields(gdbFields.Out());
    int32_t noteAt = -1;
    gdbFields->FindField(u"NOTE", &noteAt);
    ComPtr<IField> blob;
    gdbFields->get_Field(noteAt, blob.Out());
    ASSERT_EQ(map->AddInputField(gdb.Get(), blob.Get(), -1, -1), S_OK);
    EXPECT_EQ(QueryAs<IGPFieldMapImpl>(map.Get())->Check(), TAVI_E_FIELDMAP_TYPE_MISMATCH);
    EXPECT_EQ(mapping->AddFieldMap(map.Get()), TAVI_E_FIELDMAP_TYPE_MISMATCH);
    EXPECT_EQ(mapping->ReplaceFieldMap(0, map.Get()), TAVI_E_FIELDMAP_TYPE_MISMATCH);
    ASSERT_EQ(map->RemoveInputField(3), S_OK);
    ASSERT_EQ(map->put_MergeRule(taviGPFieldMapMergeRuleJoin), S_OK);
    ASSERT_EQ(map->put_JoinDelimiter(u"-"), S_OK);
    ASSERT_EQ(mapping->ReplaceFieldMap(0, map.Get()), S_OK);
    EXPECT_EQ(map->put_MergeRule(16), E_INVALIDARG);

    BStr tip;
    ASSERT_EQ(QueryAs<IGPToolTip>(mapping.Get())->get_ToolTip(tip.Out()), S_OK);
    String lines = Text(mapping.Get());
    std::replace(lines.begin(), lines.end(), u';', u'\n');
    EXPECT_EQ(ToUtf8(tip.str()), ToUtf8(lines));
}

TEST_F(GPFieldMappingTest, StreamAndXmlFormsKeepFieldMapsAndTableIndexes) {
    auto mapping = FromTables();
    auto edited = Map(mapping.Get(), 0);
    edited->SetTextPositions(1, 0, 3);
    mapping->ReplaceFieldMap(0, edited.Get());
    for (int32_t version :
         {0, docversion::Older(3), docversion::Older(17), docversion::Older(20), docversion::Newer(0)}) {
        SCOPED_TRACE(version);
        auto loaded = Create<IGPFieldMapping>(CLSID_GPFieldMapping);
        ASSERT_EQ(LoadForm(loaded.Get(), SavedForm(mapping.Get(), version), version), S_OK);
        EXPECT_TRUE(Equal(loaded.Get(), mapping.Get()));
        int32_t tableIndex = -1;
        Map(loaded.Get(), 0)->get_InputTableIndex(2, &tableIndex);
        EXPECT_EQ(tableIndex, 2);
        // The stored tables keep their fields, so the mapping can be built again from them.
        ASSERT_EQ(loaded->ResetFieldMaps(), S_OK);
        EXPECT_EQ(Count(loaded.Get()), 6);
    }
    auto fromXml = Create<IGPFieldMapping>(CLSID_GPFieldMapping);
    ASSERT_EQ(TaviXmlDeserialize(XmlForm(mapping.Get()).c_str(), fromXml.Get()), S_OK);
    EXPECT_TRUE(Equal(fromXml.Get(), mapping.Get()));

    // A version above 11 and a form cut short are refused and change nothing.
    std::vector<uint8_t> form = SavedForm(mapping.Get());
    auto other = Create<IGPFieldMapping>(CLSID_GPFieldMapping);
    ASSERT_EQ(Read(other.Get(), u"X \"X\" true true false 1 Text 0 0,First,#"), S_OK);
    std::vector<uint8_t> future = form;
    future[0] = 12;
    EXPECT_EQ(LoadForm(other.Get(), future), E_FAIL);
    form.resize(form.size() / 2);
    EXPECT_EQ(LoadForm(other.Get(), form), E_FAIL);
    EXPECT_EQ(Count(other.Get()), 1);
}

TEST_F(GPFieldMappingTest, TheDataTypeDescribesSourcesAndFields) {
    auto mapping = Create<IGPFieldMapping>(CLSID_GPFieldMapping);
    ASSERT_EQ(mapping->AddTable(Open(P("base.gdb/owners")).Get()), S_OK);
    auto type = Create<IGPValueUISupport>(CLSID_GPFieldMappingType);
    BStr support;
    ASSERT_EQ(type->GetValueSupport(QueryAs<IGPValue>(mapping.Get()).Get(), support.Out()), S_OK);
    std::string text = ToUtf8(support.str());
    EXPECT_EQ(text.rfind("<value-support schema_locked='false'><source value='owners' layer_id='0' path='", 0), 0u)
        << text;
    EXPECT_NE(text.find("<field name='NAME' type='Text' length='40'/><field name='NOTE' type='Blob' length='0'/>"),
              std::string::npos)
        << text;
    BStr none;
    EXPECT_EQ(type->GetValueSupport(nullptr, none.Out()), S_FALSE);
    auto value = Create<IGPValue>(CLSID_GPFieldMapping);
    ComPtr<IGPDataType> dataType;
    ASSERT_EQ(value->get_DataType(dataType.Out()), S_OK);
    BStr name;
    dataType->get_Name(name.Out());
    EXPECT_EQ(name.str(), u"GPFieldMapping");
}

} // namespace
} // namespace tavi::test
