// The host's type texts: every code's text reads back to the code, in any letter case and between blanks, through
// the free functions and through the converter object; texts and codes outside the tables are refused.
#include "TestSupport.h"

#include "host/TypeTexts.h"
#include "tavi/DataAccess.h"
#include "tavi/TypeConverter.h"

#include <functional>
#include <optional>
#include <vector>

namespace tavi::test {
namespace {

struct Row {
    int32_t code;
    const char16_t* text;
};

// One kind of type text: its rows as documents store them, the free functions and the converter's operations.
struct Kind {
    const char* name;
    std::vector<Row> rows;
    std::function<std::u16string_view(int32_t)> text;
    std::function<std::optional<int32_t>(std::u16string_view)> code;
    HRESULT (IGPTypeConverter::*toText)(int32_t, BSTR*);
    HRESULT (IGPTypeConverter::*fromText)(const OLECHAR*, int32_t*);
};

const std::vector<Row> kDatasetRows = {
    {1, u"Any"},           {2, u"Container"},      {3, u"Geo"},         {4, u"FeatureDataset"},
    {5, u"FeatureClass"},  {8, u"Topology"},       {10, u"Table"},      {12, u"RasterDataset"},
    {14, u"Tin"},          {17, u"Toolbox"},       {18, u"Tool"},       {19, u"NetworkDataset"},
    {20, u"Terrain"},      {21, u"MosaicDataset"}, {22, u"LasDataset"}, {23, u"UtilityNetwork"},
    {24, u"TraceNetwork"}, {25, u"ParcelFabric"},
};

// The data element type name of each dataset type: the names data elements report where there is one, else "DE"
// and the dataset type's text.
std::vector<Row> ElementTypeRows() {
    static const std::vector<std::u16string> names = [] {
        std::vector<std::u16string> made;
        for (const Row& row : kDatasetRows)
            made.push_back(row.code == taviDatasetTypeContainer ? u"DEWorkspace" : u"DE" + std::u16string(row.text));
        return made;
    }();
    std::vector<Row> rows;
    for (size_t i = 0; i < kDatasetRows.size(); ++i)
        rows.push_back({kDatasetRows[i].code, names[i].c_str()});
    return rows;
}

std::vector<Kind> Kinds() {
    return {
        {"field types",
         {{0, u"Short"},
          {1, u"Long"},
          {2, u"Float"},
          {3, u"Double"},
          {4, u"Text"},
          {5, u"Date"},
          {6, u"OID"},
          {7, u"Geometry"},
          {8, u"Blob"},
          {9, u"Raster"},
          {10, u"GUID"},
          {11, u"GlobalID"},
          {12, u"XML"},
          {13, u"BigInteger"},
          {14, u"DateOnly"},
          {15, u"TimeOnly"},
          {16, u"TimestampOffset"}},
         GetFieldType,
         FieldTypeFromText,
         &IGPTypeConverter::FieldTypeToText,
         &IGPTypeConverter::FieldTypeFromText},
        {"geometry types",
         {{0, u"Null"}, {1, u"Point"}, {2, u"Multipoint"}, {3, u"Polyline"}, {4, u"Polygon"}, {9, u"MultiPatch"}},
         GeometryTypeText,
         GeometryTypeFromText,
         &IGPTypeConverter::GeometryTypeToText,
         &IGPTypeConverter::GeometryTypeFromText},
        {"feature types",
         {{1, u"Simple"}, {11, u"Annotation"}, {13, u"Dimension"}},
         FeatureTypeText,
         FeatureTypeFromText,
         &IGPTypeConverter::FeatureTypeToText,
         &IGPTypeConverter::FeatureTypeFromText},
        {"dataset types", kDatasetRows, DatasetTypeText, DatasetTypeFromText, &IGPTypeConverter::DatasetTypeToText,
         &IGPTypeConverter::DatasetTypeFromText},
        {"data element types", ElementTypeRows(), DatasetTypeElementType, DatasetTypeFromElementType,
         &IGPTypeConverter::DatasetTypeToElementType, &IGPTypeConverter::DatasetTypeFromElementType},
        {"workspace types",
         {{0, u"FileSystem"}, {1, u"LocalDatabase"}, {2, u"RemoteDatabase"}, {32, u"PortalFeatures"}},
         WorkspaceTypeText,
         WorkspaceTypeFromText,
         &IGPTypeConverter::WorkspaceTypeToText,
         &IGPTypeConverter::WorkspaceTypeFromText},
    };
}

class TypeTextsTest : public LeakCheckedTest {
protected:
    void SetUp() override {
        LeakCheckedTest::SetUp();
        ASSERT_EQ(AfCreateInstance(CLSID_GPTypeConverter, nullptr, CLSCTX_INPROC_SERVER, IGPTypeConverter::iid,
                                   converter_.OutVoid()),
                  S_OK);
    }
    void TearDown() override {
        converter_ = nullptr;
        LeakCheckedTest::TearDown();
    }

    // The code the converter reads from `text`, checking that a refusal is E_INVALIDARG with the code 0.
    std::optional<int32_t> ConverterCode(const Kind& kind, const OLECHAR* text) {
        int32_t code = -7;
        HRESULT hr = (converter_.Get()->*kind.fromText)(text, &code);
        if (hr == E_INVALIDARG) {
            EXPECT_EQ(code, 0);
            return std::nullopt;
        }
        EXPECT_EQ(hr, S_OK);
        return code;
    }

    ComPtr<IGPTypeConverter> converter_;
};

TEST_F(TypeTextsTest, EveryCodeHasOneTextThatReadsBackInAnyCaseBetweenBlanks) {
    for (const Kind& kind : Kinds()) {
        SCOPED_TRACE(kind.name);
        for (const Row& row : kind.rows) {
            SCOPED_TRACE(ToUtf8(row.text));
            EXPECT_EQ(kind.text(row.code), row.text);
            BStr text;
            EXPECT_EQ((converter_.Get()->*kind.toText)(row.code, text.Out()), S_OK);
            EXPECT_EQ(text.view(), row.text);

            const std::u16string exact = row.text;
            std::u16string upper, lower, mixed;
            for (size_t i = 0; i < exact.size(); ++i) {
                char16_t c = exact[i];
                upper += (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
                lower += (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
                mixed += i % 2 ? upper.back() : lower.back();
            }
            for (const std::u16string& variant :
                 {exact, upper, lower, mixed, u"  " + exact + u"\t\r\n", u"\u00A0" + mixed + u" "}) {
                SCOPED_TRACE(ToUtf8(variant));
                EXPECT_EQ(kind.code(variant), row.code);
                EXPECT_EQ(ConverterCode(kind, variant.c_str()), row.code);
            }
        }
    }
}

TEST_F(TypeTextsTest, TextsAndCodesOutsideTheTablesAreRefused) {
    const char16_t* const kNoTexts[] = {
        u"",
        u"   ",
        u"Point s",
        u"Po int",
        u"Points",
        u"oint",
        u"0",
        u"1",
        u"DE",
        u"DEShort",
        u"FeatureClass2",
        u"\"Table\"",
        u"Table;",
        u"TABLE.",
        u"Net\u212Aork", // a Kelvin sign folds to "k" only under Unicode case folding
        u"\u017Fimple",  // a long s folds to "s" likewise
        u"Ｐｏｉｎｔ",   // full-width letters
    };
    const int32_t kNoCodes[] = {-1, 6, 7, 109, 26, 31, 33, INT32_MAX, INT32_MIN};
    for (const Kind& kind : Kinds()) {
        SCOPED_TRACE(kind.name);
        for (const char16_t* text : kNoTexts) {
            SCOPED_TRACE(ToUtf8(text));
            EXPECT_EQ(kind.code(text), std::nullopt);
            EXPECT_EQ(ConverterCode(kind, text), std::nullopt);
        }
        EXPECT_EQ(ConverterCode(kind, nullptr), std::nullopt) << "a null text names nothing";
        for (int32_t code : kNoCodes) {
            bool listed = false;
            for (const Row& row : kind.rows)
                listed = listed || row.code == code;
            if (listed)
                continue;
            SCOPED_TRACE(code);
            EXPECT_TRUE(kind.text(code).empty());
            BStr text(u"untouched");
            EXPECT_EQ((converter_.Get()->*kind.toText)(code, text.Out()), E_INVALIDARG);
            EXPECT_TRUE(text.IsNull());
        }
        // A text of one kind is not read as another kind's.
        EXPECT_EQ(ConverterCode(kind, kind.name == std::string("workspace types") ? u"Point" : u"FileSystem"),
                  std::nullopt);

        EXPECT_EQ((converter_.Get()->*kind.toText)(kind.rows.front().code, nullptr), E_POINTER);
        EXPECT_EQ((converter_.Get()->*kind.fromText)(kind.rows.front().text, nullptr), E_POINTER);
    }
}

TEST_F(TypeTextsTest, MessageTextsFallBackOnTheNumber) {
    using GeoprocessingUtil::ConvertFeatureTypeToString;
    using GeoprocessingUtil::ConvertGeometryTypeToString;
    EXPECT_EQ(ConvertGeometryTypeToString(taviGeometryPolygon), u"Polygon");
    EXPECT_EQ(ConvertGeometryTypeToString(taviGeometryNull), u"Null");
    EXPECT_EQ(ConvertGeometryTypeToString(5), u"5");
    EXPECT_EQ(ConvertGeometryTypeToString(-12), u"-12");
    EXPECT_EQ(ConvertFeatureTypeToString(taviFeatureTypeAnnotation), u"Annotation");
    EXPECT_EQ(ConvertFeatureTypeToString(0), u"0");
    EXPECT_EQ(ConvertFeatureTypeToString(INT32_MIN), u"-2147483648");
}

} // namespace
} // namespace tavi::test
