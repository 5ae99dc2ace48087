// The value table, its data type, the type's name and the name's column property: the records-and-blanks text both
// ways through the column types, record and column operations, validation per column, and the stream and XML forms.
#include "TestSupport.h"

#include "host/CreateInstance.h"
#include "host/String.h"
#include "host/UID.h"
#include "tavi/GPComposite.h"
#include "tavi/GPDomains.h"
#include "tavi/GPMessage.h"
#include "tavi/GPScalar.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

#include <random>
#include <vector>

namespace tavi::test {
namespace {

class GPValueTableTest : public ModuleClassesTest {
protected:
    static ComPtr<IGPDataType> TypeNamed(const char16_t* name) {
        auto factory = Create<IGPDataTypeFactory>(CLSID_GPDataTypeFactory);
        ComPtr<IGPDataType> type;
        EXPECT_EQ(factory->GetDataType(name, type.Out()), S_OK);
        return type;
    }
    // A value table type with a column per data type name, headed "c0", "c1"...
    static ComPtr<IGPValueTableType> TypeOf(std::initializer_list<const char16_t*> columns) {
        auto type = Create<IGPValueTableType>(CLSID_GPValueTableType);
        int i = 0;
        for (const char16_t* column : columns) {
            String heading = u"c" + String(1, static_cast<char16_t>(u'0' + i++));
            EXPECT_EQ(type->AddDataType(TypeNamed(column).Get(), heading.c_str(), 0, nullptr), S_OK);
        }
        return type;
    }
    // A value of `type` read from `text`; the result of CreateValue in *hr.
    static ComPtr<IGPValueTable> TableOf(IGPValueTableType* type, const char16_t* text, HRESULT* hr = nullptr) {
        ComPtr<IGPValue> value;
        HRESULT made = QueryAs<IGPDataType>(type)->CreateValue(text, value.Out());
        if (hr)
            *hr = made;
        return QueryAs<IGPValueTable>(value.Get());
    }
    static String Text(IUnknown* value) {
        BStr text;
        EXPECT_EQ(QueryAs<IGPValue>(value)->GetAsText(text.Out()), S_OK);
        return text.str();
    }
    static std::vector<std::vector<String>> CellTexts(IGPValueTable* table) {
        int32_t records = 0;
        int32_t columns = 0;
        table->get_RecordCount(&records);
        table->get_DataTypeCount(&columns);
        std::vector<std::vector<String>> cells(static_cast<size_t>(records));
        for (int32_t r = 0; r < records; ++r)
            for (int32_t c = 0; c < columns; ++c) {
                ComPtr<IGPValue> cell;
                EXPECT_EQ(table->GetValue(r, c, cell.Out()), S_OK);
                cells[static_cast<size_t>(r)].push_back(cell ? Text(cell.Get()) : String(u"<none>"));
            }
        return cells;
    }
    static bool Equal(IUnknown* a, IUnknown* b) {
        VARIANT_BOOL equal = VARIANT_FALSE;
        EXPECT_EQ(QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal), S_OK);
        return equal != VARIANT_FALSE;
    }
    static ComPtr<IArray> RecordOf(std::initializer_list<IUnknown*> cells) {
        auto array = Create<IArray>(CLSID_Array);
        for (IUnknown* cell : cells)
            array->Add(cell);
        return array;
    }
};

TEST_F(GPValueTableTest, TextReadsIntoRecordsThroughTheColumnTypesAndBack) {
    auto type = TypeOf({u"GPString", u"GPLong"});
    HRESULT hr = E_FAIL;
    auto table = TableOf(type.Get(), u"in.shp 1;'my data.shp' 2;# 3;last", &hr);
    ASSERT_EQ(hr, S_OK);
    using Grid = std::vector<std::vector<String>>;
    // "#" and a missing value are the column type's value made from no text.
    EXPECT_EQ(CellTexts(table.Get()), (Grid{{u"in.shp", u"1"}, {u"my data.shp", u"2"}, {u"", u"3"}, {u"last", u""}}));
    EXPECT_EQ(Text(table.Get()), u"in.shp 1;'my data.shp' 2;# 3;last #");

    // A value its column cannot read, or more values than columns: an error (818), and the table keeps its records.
    for (const char16_t* bad : {u"a one", u"a 1 extra"}) {
        SCOPED_TRACE(ToUtf8(bad));
        ComPtr<IGPMessage> message;
        ASSERT_EQ(QueryAs<IGPValue>(table.Get())->SetAsText(bad, message.Out()), S_OK);
        int32_t code = 0;
        message->get_ErrorCode(&code);
        EXPECT_EQ(code, 818);
        EXPECT_EQ(Text(table.Get()), u"in.shp 1;'my data.shp' 2;# 3;last #");
        TableOf(type.Get(), bad, &hr);
        EXPECT_EQ(hr, S_FALSE);
    }
    // An empty text empties the records and keeps the columns.
    ComPtr<IGPMessage> message;
    ASSERT_EQ(QueryAs<IGPValue>(table.Get())->SetAsText(u"", message.Out()), S_OK);
    VARIANT_BOOL empty = VARIANT_FALSE;
    QueryAs<IGPValue>(table.Get())->IsEmpty(&empty);
    EXPECT_TRUE(empty);
    int32_t columns = 0;
    table->get_DataTypeCount(&columns);
    EXPECT_EQ(columns, 2);
}

TEST_F(GPValueTableTest, EveryTableOfStringsReadsBackFromItsText) {
    auto type = TypeOf({u"GPString", u"GPString"});
    const std::u16string_view alphabet = u"ab ;'\"\\#()\t\u00e9";
    std::mt19937_64 random(5);
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    for (int round = 0; round < 300; ++round) {
        auto table = TableOf(type.Get(), nullptr);
        for (size_t r = 1 + pick(3); r > 0; --r) {
            std::vector<ComPtr<IGPValue>> cells;
            for (int c = 0; c < 2; ++c) {
                String text;
                for (size_t i = pick(4) == 0 ? 0 : 1 + pick(6); i > 0; --i)
                    text.push_back(alphabet[pick(alphabet.size())]);
                auto cell = Create<IGPString>(CLSID_GPString);
                cell->put_Value(text.c_str());
                cells.push_back(QueryAs<IGPValue>(cell.Get()));
            }
            ASSERT_EQ(table->AddRecord(RecordOf({cells[0].Get(), cells[1].Get()}).Get()), S_OK);
        }
        String text = Text(table.Get());
        SCOPED_TRACE(ToUtf8(text));
        auto again = TableOf(type.Get(), text.c_str());
        ASSERT_EQ(CellTexts(again.Get()), CellTexts(table.Get()));
    }
}

TEST_F(GPValueTableTest, RecordAndColumnOperations) {
    auto type = TypeOf({u"GPString", u"GPLong"});
    auto table = TableOf(type.Get(), u"a 1;b 2");
    auto name = Create<IGPValue>(CLSID_GPString);
    ComPtr<IGPMessage> message;
    name->SetAsText(u"c", message.Out());

    EXPECT_EQ(table->AddRecord(RecordOf({name.Get()}).Get()), S_OK); // fewer values than columns: the rest empty
    EXPECT_EQ(table->InsertRecord(0, RecordOf({}).Get()), S_OK);
    using Grid = std::vector<std::vector<String>>;
    EXPECT_EQ(CellTexts(table.Get()), (Grid{{u"<none>", u"<none>"}, {u"a", u"1"}, {u"b", u"2"}, {u"c", u"<none>"}}));
    EXPECT_EQ(Text(table.Get()), u"'' #;a 1;b 2;c #");
    EXPECT_EQ(table->RemoveValue(name.Get()), S_OK); // the record holding it
    EXPECT_EQ(table->RemoveValue(name.Get()), E_FAIL);
    EXPECT_EQ(table->RemoveRecord(0), S_OK);

    // Indexes outside, a record of more values than columns, an element that is no value.
    ComPtr<IGPValue> cell;
    EXPECT_EQ(table->GetValue(2, 0, cell.Out()), E_INVALIDARG);
    EXPECT_EQ(table->GetValue(0, 2, cell.Out()), E_INVALIDARG);
    EXPECT_EQ(table->SetValue(0, -1, name.Get()), E_INVALIDARG);
    EXPECT_EQ(table->InsertRecord(3, RecordOf({}).Get()), E_INVALIDARG);
    EXPECT_EQ(table->AddRecord(RecordOf({name.Get(), name.Get(), name.Get()}).Get()), E_INVALIDARG);
    EXPECT_EQ(table->AddRecord(RecordOf({type.Get()}).Get()), E_INVALIDARG);
    EXPECT_EQ(table->RemoveRecord(2), E_INVALIDARG);

    // A column added gives every record an empty cell; one removed takes its cells along.
    EXPECT_EQ(table->AddDataType(TypeNamed(u"GPDouble").Get()), S_OK);
    EXPECT_EQ(Text(table.Get()), u"a 1 #;b 2 #");
    EXPECT_EQ(table->RemoveDataType(0), S_OK);
    EXPECT_EQ(Text(table.Get()), u"1 #;2 #");
    ComPtr<IArray> record;
    ASSERT_EQ(table->GetRecord(1, record.Out()), S_OK);
    int32_t count = 0;
    record->get_Count(&count);
    EXPECT_EQ(count, 2);

    // The value's data type carries the columns.
    ComPtr<IGPDataType> valueType;
    ASSERT_EQ(QueryAs<IGPValue>(table.Get())->get_DataType(valueType.Out()), S_OK);
    auto columns = QueryAs<IGPValueTableType>(valueType.Get());
    columns->get_Count(&count);
    EXPECT_EQ(count, 2);
    ComPtr<IGPDataType> first;
    columns->get_DataType(0, first.Out());
    BStr firstName;
    first->get_Name(firstName.Out());
    EXPECT_EQ(firstName.view(), u"GPLong");

    // A table without columns takes no records.
    auto bare = Create<IGPValueTable>(CLSID_GPValueTable);
    EXPECT_EQ(bare->AddRecord(RecordOf({name.Get()}).Get()), E_FAIL);
}

TEST_F(GPValueTableTest, ValidationChecksEveryCellByItsColumn) {
    auto type = TypeOf({u"GPString", u"GPLong"});
    auto table = TableOf(type.Get(), u"a 1;b 2");
    auto asType = QueryAs<IGPDataType>(type.Get());

    // One message per cell; a range domain on the second column (a composite domain's second member) rejects 2.
    auto range = Create<IRangeDomain>(CLSID_GPRangeDomain);
    range->put_MinValue(Variant::Int(0));
    range->put_MaxValue(Variant::Int(1));
    auto low = Create<IGPValue>(CLSID_GPLong);
    ComPtr<IGPMessage> message;
    auto domains = Create<IGPCompositeDomain>(CLSID_GPCompositeDomain);
    domains->AddDomain(nullptr);
    domains->AddDomain(QueryAs<IGPDomain>(range.Get()).Get());
    ASSERT_EQ(asType->ValidateValue(QueryAs<IGPValue>(table.Get()).Get(), QueryAs<IGPDomain>(domains.Get()).Get(),
                                    message.Out()),
              S_OK);
    auto messages = QueryAs<IGPMessages>(message.Get());
    ASSERT_TRUE(messages);
    int32_t count = 0;
    messages->get_Count(&count);
    EXPECT_EQ(count, 4);
    VARIANT_BOOL error = VARIANT_FALSE;
    message->IsError(&error);
    EXPECT_TRUE(error);

    // A value of another shape, or that is no table, is refused.
    auto oneColumn = TableOf(TypeOf({u"GPString"}).Get(), u"a");
    for (IUnknown* other : {static_cast<IUnknown*>(oneColumn.Get()), static_cast<IUnknown*>(low.Get())}) {
        ASSERT_EQ(asType->ValidateValue(QueryAs<IGPValue>(other).Get(), nullptr, message.Out()), S_OK);
        message->IsError(&error);
        EXPECT_TRUE(error);
    }
    // Data types: the same columns are accepted, other columns or another count are not.
    for (auto [other, accepted] :
         {std::pair{TypeOf({u"GPString", u"GPLong"}), true}, std::pair{TypeOf({u"GPString", u"GPString"}), false},
          std::pair{TypeOf({u"GPString"}), false}}) {
        ASSERT_EQ(asType->ValidateDataType(QueryAs<IGPDataType>(other.Get()).Get(), message.Out()), S_OK);
        message->IsError(&error);
        EXPECT_EQ(error == VARIANT_FALSE, accepted);
    }
}

TEST_F(GPValueTableTest, StreamAndXmlKeepColumnsAndRecords) {
    auto table = TableOf(TypeOf({u"GPString", u"GPLinearUnit"}).Get(), u"'a b' '5 Meters';c #");
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnMemory(nullptr, 0, 0, stream.Out()), S_OK);
    ASSERT_EQ(QueryAs<IPersistStream>(table.Get())->Save(stream.Get(), 1), S_OK);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    auto loaded = Create<IGPValueTable>(CLSID_GPValueTable);
    ASSERT_EQ(QueryAs<IPersistStream>(loaded.Get())->Load(stream.Get()), S_OK);
    EXPECT_TRUE(Equal(loaded.Get(), table.Get()));
    EXPECT_EQ(Text(loaded.Get()), Text(table.Get()));

    BStr xml;
    ASSERT_EQ(TaviXmlSerialize(table.Get(), nullptr, xml.Out()), S_OK);
    EXPECT_NE(xml.view().find(u"GPValueTable"), std::u16string_view::npos);
    auto fromXml = Create<IGPValueTable>(CLSID_GPValueTable);
    ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), fromXml.Get()), S_OK);
    EXPECT_TRUE(Equal(fromXml.Get(), table.Get()));

    auto copy = Create<IClone>(CLSID_GPValueTable);
    ASSERT_EQ(copy->Assign(QueryAs<IClone>(table.Get()).Get()), S_OK);
    EXPECT_TRUE(Equal(copy.Get(), table.Get()));
    ComPtr<IGPValue> cell;
    table->GetValue(0, 0, cell.Out());
    ComPtr<IGPValue> copied;
    QueryAs<IGPValueTable>(copy.Get())->GetValue(0, 0, copied.Out());
    EXPECT_NE(cell.Get(), copied.Get()); // cells are copied, not shared
}

TEST_F(GPValueTableTest, TheTypeNameKeepsColumnsButNotReadOnlySettings) {
    auto type = TypeOf({u"GPString", u"GPLong"});
    ComPtr<IUID> control;
    ASSERT_EQ(MakeUID(CLSID_GPString, control.Out()), S_OK);
    type->AddDataType(TypeNamed(u"GPDouble").Get(), u"rank", 7, control.Get());
    type->put_ReadOnly(1, VARIANT_TRUE);
    ComPtr<IName> fullName;
    ASSERT_EQ(QueryAs<IGPDataType>(type.Get())->get_FullName(fullName.Out()), S_OK);
    auto name = QueryAs<IGPValueTableTypeName>(fullName.Get());
    ASSERT_TRUE(name);
    int32_t width = 0;
    name->get_Width(0, &width);
    EXPECT_EQ(width, 20); // 0 given becomes 20
    VARIANT_BOOL readOnly = VARIANT_FALSE;
    name->get_ReadOnly(1, &readOnly);
    EXPECT_TRUE(readOnly);
    EXPECT_EQ(name->get_ReadOnly(3, &readOnly), E_INVALIDARG);
    EXPECT_EQ(name->put_ReadOnly(-1, VARIANT_TRUE), E_INVALIDARG);

    // Saved and loaded, by stream and by XML: columns, headings, widths and controls kept; read-only settings lost.
    auto expectColumns = [&](IUnknown* loadedName) {
        auto columns = QueryAs<IGPValueTableTypeName>(loadedName);
        int32_t count = 0;
        columns->get_Count(&count);
        ASSERT_EQ(count, 3);
        BStr heading;
        columns->get_DisplayName(2, heading.Out());
        EXPECT_EQ(heading.view(), u"rank");
        columns->get_Width(2, &width);
        EXPECT_EQ(width, 7);
        ComPtr<IUID> kept;
        columns->get_ControlCLSID(2, kept.Out());
        EXPECT_EQ(GuidOf(kept.Get()), CLSID_GPString);
        columns->get_ReadOnly(1, &readOnly);
        EXPECT_FALSE(readOnly);
        ComPtr<IUnknown> opened;
        ASSERT_EQ(QueryAs<IName>(loadedName)->Open(opened.Out()), S_OK);
        auto openedType = QueryAs<IGPValueTableType>(opened.Get());
        openedType->get_Count(&count);
        EXPECT_EQ(count, 3);
        ComPtr<IGPDataType> third;
        openedType->get_DataType(2, third.Out());
        BStr typeName;
        third->get_Name(typeName.Out());
        EXPECT_EQ(typeName.view(), u"GPDouble");
    };
    ComPtr<IStream> stream;
    CreateStreamOnMemory(nullptr, 0, 0, stream.Out());
    ASSERT_EQ(QueryAs<IPersistStream>(fullName.Get())->Save(stream.Get(), 1), S_OK);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    auto loaded = Create<IPersistStream>(CLSID_GPValueTableTypeName);
    ASSERT_EQ(loaded->Load(stream.Get()), S_OK);
    expectColumns(loaded.Get());

    BStr xml;
    ASSERT_EQ(TaviXmlSerialize(fullName.Get(), nullptr, xml.Out()), S_OK);
    EXPECT_NE(xml.view().find(u"GPValueTableTypeNamePropertiesArray"), std::u16string_view::npos);
    auto fromXml = Create<IXMLSerialize>(CLSID_GPValueTableTypeName);
    ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), fromXml.Get()), S_OK);
    expectColumns(fromXml.Get());

    // A stream of a later version is refused and changes nothing.
    ComPtr<IStream> later;
    CreateStreamOnMemory(nullptr, 0, 0, later.Out());
    uint16_t version = 4;
    later->Write(&version, sizeof version, nullptr);
    later->Seek(0, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(loaded->Load(later.Get()), E_FAIL);
    expectColumns(loaded.Get());

    // Removing a negative index removes the last column; outside the columns fails.
    EXPECT_EQ(name->RemoveDataType(-1), S_OK);
    int32_t count = 0;
    name->get_Count(&count);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(name->RemoveDataType(2), E_FAIL);
}

} // namespace
} // namespace tavi::test
