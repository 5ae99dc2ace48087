// The field info value: its text form (visibility and split words, quoting of names, entries that cannot be split),
// the entries by position and by name, clone and equality, the stream form at both save versions, the XML form, the
// entries built from real tables, and its data type.
#include "TestData.h"
#include "TestSupport.h"

#include "data/DataElement.h"
#include "host/DocumentVersion.h"
#include "host/StreamIO.h"
#include "host/String.h"
#include "tavi/DataAccess.h"
#include "tavi/GPFieldInfo.h"
#include "tavi/GPMessage.h"
#include "tavi/GPScalar.h"
#include "tavi/GPSpatialReferenceValues.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

#include <functional>
#include <vector>

namespace tavi::test {
namespace {

class GPFieldInfoTest : public ModuleClassesTest {
protected:
    static ComPtr<IGPFieldInfo> NewInfo(const char16_t* text = nullptr) {
        auto info = Create<IGPFieldInfo>(CLSID_GPFieldInfo);
        if (text) {
            ComPtr<IGPMessage> message;
            EXPECT_EQ(QueryAs<IGPValue>(info.Get())->SetAsText(text, message.Out()), S_OK);
        }
        return info;
    }
    static String Text(IUnknown* value) {
        BStr text;
        EXPECT_EQ(QueryAs<IGPValue>(value)->GetAsText(text.Out()), S_OK);
        return text.str();
    }
    static int32_t Count(IGPFieldInfo* info) {
        int32_t count = -1;
        EXPECT_EQ(info->get_Count(&count), S_OK);
        return count;
    }
    static String Name(IGPFieldInfo* info, int32_t index, HRESULT (IGPFieldInfo::*get)(int32_t, BSTR*)) {
        BStr text;
        EXPECT_EQ((info->*get)(index, text.Out()), S_OK);
        return text.str();
    }
    static bool Equal(IUnknown* a, IUnknown* b) {
        VARIANT_BOOL equal = VARIANT_FALSE;
        EXPECT_EQ(QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal), S_OK);
        return equal != VARIANT_FALSE;
    }
    static bool IsEmpty(IUnknown* value) {
        VARIANT_BOOL empty = VARIANT_FALSE;
        EXPECT_EQ(QueryAs<IGPValue>(value)->IsEmpty(&empty), S_OK);
        return empty != VARIANT_FALSE;
    }
    // Two entries with every setting, the further ones included, and an error mark on the second.
    static ComPtr<IGPFieldInfo> FullInfo() {
        auto info = NewInfo();
        info->AddField(u"ROAD_NAME", u"Road name", 2, VARIANT_TRUE, taviFieldSplitNone);
        info->AddField(u"length m", u"it's long", 5, VARIANT_FALSE, taviFieldSplitRatio);
        auto texts = QueryAs<IGPFieldInfo2>(info.Get());
        auto numbers = QueryAs<IGPFieldInfo3>(info.Get());
        texts->put_SourceAlias(0, u"Name of the road");
        texts->put_SourceTable(1, u"roads");
        numbers->put_FieldType(0, taviFieldTypeString);
        numbers->put_FieldLength(0, 80);
        numbers->put_FieldPrecision(1, 12);
        info->put_HasError(1, VARIANT_TRUE);
        return info;
    }
    static ComPtr<IStream> NewStream(int32_t documentVersion = docversion::kCurrent) {
        ComPtr<IStream> stream;
        EXPECT_EQ(CreateStreamOnMemory(nullptr, 0, documentVersion, stream.Out()), S_OK);
        return stream;
    }
};

struct TextCase {
    const char16_t* text;
    HRESULT hr;
    const char16_t* written; // the text written afterwards (for a refused text: the text held before)
    const char* reason;
};

constexpr const char16_t* kBefore = u"kept k VISIBLE NONE";

const TextCase kTextCases[] = {
    {u"", S_OK, u"", "the empty text gives an empty field info"},
    {u"()", S_OK, u"", "only parentheses: empty"},
    {u"\"()\"", S_OK, u"", "double quotes, then parentheses, are taken off"},
    {u"  ( )  ", S_OK, u"", "blanks around do not matter"},
    {u"a b VISIBLE NONE", S_OK, u"a b VISIBLE NONE", "the plain form"},
    {u"a b visible ratio", S_OK, u"a b VISIBLE RATIO", "words in any case"},
    {u"a b Hidden RaTiO", S_OK, u"a b HIDDEN RATIO", "hidden and ratio in any case"},
    {u"a b HIDDEN NONE", S_OK, u"a b HIDDEN NONE", "hidden"},
    {u"a b shown split", S_OK, u"a b VISIBLE NONE", "any other word is visible and NONE"},
    {u"a b hide", S_OK, u"a b VISIBLE NONE", "only the word hidden hides"},
    {u"a b", S_OK, u"a b VISIBLE NONE", "missing words: visible, NONE"},
    {u"a", S_OK, u"a '' VISIBLE NONE", "a missing new name stays empty"},
    {u"'my field' alias HIDDEN NONE", S_OK, u"'my field' alias HIDDEN NONE", "a name with a blank in apostrophes"},
    {u"\"it's\" x VISIBLE NONE", S_OK, u"\"it's\" x VISIBLE NONE", "a name with an apostrophe in double quotes"},
    {u"'a;b' c VISIBLE NONE", S_OK, u"'a;b' c VISIBLE NONE", "a quoted separator stays in the name"},
    {u"(a b VISIBLE NONE;c d HIDDEN RATIO)", S_OK, u"a b VISIBLE NONE;c d HIDDEN RATIO", "enclosing parentheses"},
    {u"\"a b VISIBLE NONE\"", S_OK, u"a b VISIBLE NONE", "enclosing double quotes"},
    {u"a b;;c d", S_OK, u"a b VISIBLE NONE;c d VISIBLE NONE", "an empty entry names no field"},
    {u"a b VISIBLE NONE;", S_OK, u"a b VISIBLE NONE", "a trailing separator"},
    {u"a 'b VISIBLE NONE", E_FAIL, kBefore, "an apostrophe left open"},
    {u"x y;(a b", E_FAIL, kBefore, "a parenthesis left open in a later entry"},
    {u"x y;\"a b\" c", S_OK, u"x y VISIBLE NONE;'a b' c VISIBLE NONE", "double quotes around a name with a blank"},
    {u"my field alias VISIBLE NONE", E_FAIL, kBefore, "five words: an unquoted name with a blank"},
};

TEST_F(GPFieldInfoTest, ReadsAndWritesTheTextForm) {
    for (const TextCase& c : kTextCases) {
        SCOPED_TRACE(c.reason);
        auto info = NewInfo(kBefore);
        ComPtr<IGPMessage> message;
        ASSERT_EQ(QueryAs<IGPValue>(info.Get())->SetAsText(c.text, message.Out()), c.hr);
        ASSERT_TRUE(message) << "the message is handed out either way";
        int32_t type = 0, code = 0;
        message->get_Type(&type);
        message->get_ErrorCode(&code);
        EXPECT_EQ(type, SUCCEEDED(c.hr) ? 0 : taviGPMessageTypeError);
        EXPECT_EQ(code, SUCCEEDED(c.hr) ? 0 : 812);
        EXPECT_EQ(Text(info.Get()), c.written);
        EXPECT_EQ(IsEmpty(info.Get()), *c.written == 0);
        BStr tip;
        ASSERT_EQ(QueryAs<IGPToolTip>(info.Get())->get_ToolTip(tip.Out()), S_OK);
        EXPECT_EQ(tip.view(), c.written);
        // What is written reads back as the same entries.
        auto again = NewInfo(c.written);
        EXPECT_TRUE(Equal(again.Get(), info.Get()));
    }
}

TEST_F(GPFieldInfoTest, NamesAreTrimmedAndQuotedToReadBack) {
    struct Case {
        const char16_t* name;
        const char16_t* written;
        const char16_t* readBack;
    } const cases[] = {
        {u"plain", u"plain", u"plain"},
        {u"  padded  ", u"padded", u"padded"},
        {u"with blank", u"'with blank'", u"with blank"},
        {u"it's", u"\"it's\"", u"it's"},
        {u"say \"hi\"", u"'say \"hi\"'", u"say \"hi\""},
        {u"it's \"x\"", u"'it''s \"x\"'", u"it's \"x\""}, // both quotes: apostrophes, its own doubled
        {u"f(x)", u"'f(x)'", u"f(x)"},
        {u"", u"''", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.name));
        auto info = NewInfo();
        ASSERT_EQ(info->AddField(c.name, c.name, 0, VARIANT_FALSE, 7), S_OK);
        String written = Text(info.Get());
        EXPECT_EQ(written, String(c.written) + u" " + c.written + u" HIDDEN RATIO");
        auto read = NewInfo(written.c_str());
        ASSERT_EQ(Count(read.Get()), 1);
        EXPECT_EQ(Name(read.Get(), 0, &IGPFieldInfo::get_Name), c.readBack);
        EXPECT_EQ(Name(read.Get(), 0, &IGPFieldInfo::get_NewName), c.readBack);
    }
}

TEST_F(GPFieldInfoTest, EntriesByPositionAndByName) {
    auto info = NewInfo(u"Alpha a VISIBLE NONE;beta b HIDDEN RATIO;ALPHA c VISIBLE NONE");
    ASSERT_EQ(Count(info.Get()), 3);
    int32_t at = -2, fieldIndex = 0, rule = 0;
    VARIANT_BOOL visible = VARIANT_TRUE;
    EXPECT_EQ(info->get_FieldIndex(1, &fieldIndex), S_OK);
    EXPECT_EQ(fieldIndex, -1) << "text gives no field position";
    EXPECT_EQ(info->get_Visible(1, &visible), S_OK);
    EXPECT_EQ(visible, VARIANT_FALSE);
    EXPECT_EQ(info->get_SplitRule(1, &rule), S_OK);
    EXPECT_EQ(rule, taviFieldSplitRatio);

    EXPECT_EQ(info->FindField(u"alpha", &at), S_OK);
    EXPECT_EQ(at, 0) << "names compare lower-cased, the first entry of a name wins";
    EXPECT_EQ(info->FindField(u"BETA", &at), S_OK);
    EXPECT_EQ(at, 1);
    EXPECT_EQ(info->FindField(u"gamma", &at), S_FALSE);
    EXPECT_EQ(at, -1);

    // The index follows removals and renames.
    ASSERT_EQ(info->RemoveField(0), S_OK);
    EXPECT_EQ(info->FindField(u"alpha", &at), S_OK);
    EXPECT_EQ(at, 1);
    ASSERT_EQ(info->put_Name(0, u"Gamma"), S_OK);
    EXPECT_EQ(info->FindField(u"beta", &at), S_FALSE);
    EXPECT_EQ(info->FindField(u"gamma", &at), S_OK);
    EXPECT_EQ(at, 0);
    ASSERT_EQ(info->put_Visible(0, 5), S_OK);
    EXPECT_EQ(info->get_Visible(0, &visible), S_OK);
    EXPECT_EQ(visible, VARIANT_TRUE) << "any nonzero flag is stored as true";

    ASSERT_EQ(info->RemoveAll(), S_OK);
    EXPECT_TRUE(IsEmpty(info.Get()));
    EXPECT_EQ(info->FindField(u"gamma", &at), S_FALSE);
}

TEST_F(GPFieldInfoTest, EntryIndexOutsideTheListFails) {
    auto info = NewInfo(u"a b");
    auto texts = QueryAs<IGPFieldInfo2>(info.Get());
    auto numbers = QueryAs<IGPFieldInfo3>(info.Get());
    BStr text;
    int32_t number = 0;
    VARIANT_BOOL flag = 0;
    const std::vector<std::pair<const char*, std::function<HRESULT(int32_t)>>> calls = {
        {"get_Name", [&](int32_t i) { return info->get_Name(i, text.Out()); }},
        {"put_Name", [&](int32_t i) { return info->put_Name(i, u"x"); }},
        {"get_NewName", [&](int32_t i) { return info->get_NewName(i, text.Out()); }},
        {"put_NewName", [&](int32_t i) { return info->put_NewName(i, u"x"); }},
        {"get_FieldIndex", [&](int32_t i) { return info->get_FieldIndex(i, &number); }},
        {"put_FieldIndex", [&](int32_t i) { return info->put_FieldIndex(i, 1); }},
        {"get_Visible", [&](int32_t i) { return info->get_Visible(i, &flag); }},
        {"put_Visible", [&](int32_t i) { return info->put_Visible(i, 0); }},
        {"get_SplitRule", [&](int32_t i) { return info->get_SplitRule(i, &number); }},
        {"put_SplitRule", [&](int32_t i) { return info->put_SplitRule(i, 1); }},
        {"get_HasError", [&](int32_t i) { return info->get_HasError(i, &flag); }},
        {"put_HasError", [&](int32_t i) { return info->put_HasError(i, -1); }},
        {"get_SourceAlias", [&](int32_t i) { return texts->get_SourceAlias(i, text.Out()); }},
        {"put_SourceAlias", [&](int32_t i) { return texts->put_SourceAlias(i, u"x"); }},
        {"get_SourceTable", [&](int32_t i) { return texts->get_SourceTable(i, text.Out()); }},
        {"put_SourceTable", [&](int32_t i) { return texts->put_SourceTable(i, u"x"); }},
        {"get_FieldType", [&](int32_t i) { return numbers->get_FieldType(i, &number); }},
        {"put_FieldType", [&](int32_t i) { return numbers->put_FieldType(i, 1); }},
        {"get_FieldLength", [&](int32_t i) { return numbers->get_FieldLength(i, &number); }},
        {"put_FieldLength", [&](int32_t i) { return numbers->put_FieldLength(i, 1); }},
        {"get_FieldPrecision", [&](int32_t i) { return numbers->get_FieldPrecision(i, &number); }},
        {"put_FieldPrecision", [&](int32_t i) { return numbers->put_FieldPrecision(i, 1); }},
        {"RemoveField", [&](int32_t i) { return info->RemoveField(i); }}, // last: it removes the one entry
    };
    for (const auto& [name, call] : calls) {
        SCOPED_TRACE(name);
        EXPECT_EQ(call(-1), E_FAIL);
        EXPECT_EQ(call(1), E_FAIL);
        EXPECT_EQ(call(0), S_OK);
    }
    EXPECT_EQ(Count(info.Get()), 0) << "the last call removed the one entry";
    EXPECT_EQ(info->get_Name(0, nullptr), E_POINTER);
}

TEST_F(GPFieldInfoTest, CloneAndEquality) {
    auto info = FullInfo();
    ComPtr<IClone> clone;
    ASSERT_EQ(QueryAs<IClone>(info.Get())->Clone(clone.Out()), S_OK);
    EXPECT_TRUE(Equal(clone.Get(), info.Get()));
    auto copy = clone.As<IGPFieldInfo>();
    VARIANT_BOOL marked = VARIANT_FALSE;
    EXPECT_EQ(copy->get_HasError(1, &marked), S_OK);
    EXPECT_EQ(marked, VARIANT_TRUE) << "the clone keeps the error mark";

    copy->put_HasError(1, VARIANT_FALSE);
    EXPECT_TRUE(Equal(clone.Get(), info.Get())) << "the error mark is no content";
    struct Change {
        const char* what;
        std::function<void(IGPFieldInfo*)> change;
    } const changes[] = {
        {"new name", [](IGPFieldInfo* f) { f->put_NewName(0, u"other"); }},
        {"field index", [](IGPFieldInfo* f) { f->put_FieldIndex(1, 9); }},
        {"visibility", [](IGPFieldInfo* f) { f->put_Visible(0, VARIANT_FALSE); }},
        {"split rule", [](IGPFieldInfo* f) { f->put_SplitRule(0, 2); }},
        {"source table", [](IGPFieldInfo* f) { QueryAs<IGPFieldInfo2>(f)->put_SourceTable(1, u"rails"); }},
        {"length", [](IGPFieldInfo* f) { QueryAs<IGPFieldInfo3>(f)->put_FieldLength(0, 81); }},
        {"an entry less", [](IGPFieldInfo* f) { f->RemoveField(1); }},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.what);
        auto changed = NewInfo();
        ASSERT_EQ(QueryAs<IClone>(changed.Get())->Assign(QueryAs<IClone>(info.Get()).Get()), S_OK);
        ASSERT_TRUE(Equal(changed.Get(), info.Get()));
        c.change(changed.Get());
        EXPECT_FALSE(Equal(changed.Get(), info.Get()));
    }
    auto other = Create<IClone>(CLSID_GPLong);
    EXPECT_EQ(QueryAs<IClone>(info.Get())->Assign(other.Get()), E_INVALIDARG);
    EXPECT_FALSE(Equal(info.Get(), other.Get()));
    EXPECT_EQ(Count(info.Get()), 2) << "a refused Assign changes nothing";
}

TEST_F(GPFieldInfoTest, StreamFormByDocumentVersion) {
    struct Case {
        int32_t documentVersion;
        uint16_t written;
    } const cases[] = {
        {docversion::kCurrent, 2}, {docversion::Older(5), 2}, {docversion::Older(4), 1}, {docversion::Older(0), 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(docversion::Name(c.documentVersion));
        auto info = FullInfo();
        auto stream = NewStream(c.documentVersion);
        ASSERT_EQ(QueryAs<IPersistStream>(info.Get())->Save(stream.Get(), 1), S_OK);
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        uint16_t version = 0;
        ASSERT_EQ(AfStreamRead(stream.Get(), &version), S_OK);
        EXPECT_EQ(version, c.written);
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        auto read = NewInfo(u"old o VISIBLE NONE");
        ASSERT_EQ(QueryAs<IPersistStream>(read.Get())->Load(stream.Get()), S_OK);
        EXPECT_EQ(Text(read.Get()), Text(info.Get()));
        int32_t fieldIndex = 0, length = -5;
        read->get_FieldIndex(1, &fieldIndex);
        EXPECT_EQ(fieldIndex, 5);
        QueryAs<IGPFieldInfo3>(read.Get())->get_FieldLength(0, &length);
        if (c.written == 2) {
            EXPECT_TRUE(Equal(read.Get(), info.Get()));
            EXPECT_EQ(length, 80);
        } else {
            EXPECT_FALSE(Equal(read.Get(), info.Get())) << "the first form does not keep the further settings";
            EXPECT_EQ(length, 0);
        }
        VARIANT_BOOL marked = VARIANT_TRUE;
        read->get_HasError(1, &marked);
        EXPECT_EQ(marked, VARIANT_FALSE) << "the stream does not keep error marks";
    }
    // An empty field info round trips and reads as empty.
    auto empty = NewInfo();
    auto stream = NewStream();
    ASSERT_EQ(QueryAs<IPersistStream>(empty.Get())->Save(stream.Get(), 1), S_OK);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    auto read = NewInfo(u"old o");
    ASSERT_EQ(QueryAs<IPersistStream>(read.Get())->Load(stream.Get()), S_OK);
    EXPECT_TRUE(IsEmpty(read.Get()));
}

TEST_F(GPFieldInfoTest, DamagedStreamsChangeNothing) {
    auto info = FullInfo();
    auto stream = NewStream();
    ASSERT_EQ(QueryAs<IPersistStream>(info.Get())->Save(stream.Get(), 1), S_OK);
    uint64_t size = 0;
    stream->Seek(0, STREAM_SEEK_END, &size);
    std::vector<uint8_t> bytes(size);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    stream->Read(bytes.data(), static_cast<ULONG>(size), nullptr);

    auto loadFails = [&](std::vector<uint8_t> form) {
        ComPtr<IStream> damaged;
        CreateStreamOnMemory(form.data(), static_cast<ULONG>(form.size()), docversion::kCurrent, damaged.Out());
        auto read = NewInfo(kBefore);
        EXPECT_EQ(QueryAs<IPersistStream>(read.Get())->Load(damaged.Get()), E_FAIL);
        EXPECT_EQ(Text(read.Get()), kBefore);
    };
    for (size_t cut : {size_t(1), size_t(4), size_t(8), size - 1}) {
        SCOPED_TRACE(cut);
        loadFails(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut)));
    }
    auto later = bytes;
    later[0] = 3; // a version above 2
    loadFails(later);
    auto negative = bytes;
    negative[4] = negative[5] = negative[6] = negative[7] = 0xFF; // the entry count after version and empty flag
    loadFails(negative);
}

TEST_F(GPFieldInfoTest, XmlFormKeepsEveryEntry) {
    auto info = FullInfo();
    BStr xml;
    ASSERT_EQ(TaviXmlSerialize(info.Get(), nullptr, xml.Out()), S_OK);
    for (const char16_t* part : {u"typens:GPFieldInfo", u"<FieldProperties", u"typens:ArrayOfGPFieldInfoProperty",
                                 u"typens:GPFieldInfoProperty", u"\"xs:string\">Road name</Alias>",
                                 u"\"xs:boolean\">true</HasError>", u"\"xs:string\">roads</SourceTable>"})
        EXPECT_NE(xml.view().find(part), std::u16string_view::npos) << ToUtf8(part);
    auto read = NewInfo(u"old o");
    ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), read.Get()), S_OK);
    EXPECT_TRUE(Equal(read.Get(), info.Get()));
    VARIANT_BOOL marked = VARIANT_FALSE;
    read->get_HasError(1, &marked);
    EXPECT_EQ(marked, VARIANT_TRUE);

    // Entries without further settings are written in the plain form.
    auto plain = NewInfo(u"a b HIDDEN RATIO");
    ASSERT_EQ(TaviXmlSerialize(plain.Get(), nullptr, xml.Out()), S_OK);
    EXPECT_EQ(xml.view().find(u"SourceAlias"), std::u16string_view::npos);
    EXPECT_EQ(xml.view().find(u"FieldType"), std::u16string_view::npos);
    auto plainRead = NewInfo();
    ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), plainRead.Get()), S_OK);
    EXPECT_EQ(Text(plainRead.Get()), u"a b HIDDEN RATIO");

    // An empty value reads back empty over one with entries.
    auto empty = NewInfo();
    ASSERT_EQ(TaviXmlSerialize(empty.Get(), nullptr, xml.Out()), S_OK);
    ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), plainRead.Get()), S_OK);
    EXPECT_TRUE(IsEmpty(plainRead.Get()));
}

TEST_F(GPFieldInfoTest, EntriesFromRealTables) {
    TestData data;
    const std::vector<TestFeature> rows = {{"POINT (1 2)", "Ring", 3, 12.5, 2020, 5, 17}};
    data.Vector("GPKG", "city.gpkg", "roads", wkbPoint, 4326, rows);
    data.Vector("shp", "roads.shp", "roads", wkbPoint, 4326, rows);
    for (const char* relative : {"city.gpkg/roads", "roads.shp"}) {
        SCOPED_TRACE(relative);
        String path = FromUtf8(data.Path(relative));
        ComPtr<ITable> table;
        ASSERT_EQ(OpenTable(path.c_str(), table.Out()), S_OK);
        ComPtr<IFields> fields;
        ASSERT_EQ(table->get_Fields(fields.Out()), S_OK);
        int32_t fieldCount = 0;
        fields->get_FieldCount(&fieldCount);
        ASSERT_GE(fieldCount, 4);

        auto fromPath = NewInfo(kBefore);
        ASSERT_EQ(QueryAs<IGPFieldInfo4>(fromPath.Get())->SetFromCatalogPath(path.c_str()), S_OK);
        auto fromTable = NewInfo();
        ASSERT_EQ(QueryAs<IGPFieldInfo4>(fromTable.Get())->SetFromTable(table.Get()), S_OK);
        EXPECT_TRUE(Equal(fromPath.Get(), fromTable.Get()));
        ASSERT_EQ(Count(fromPath.Get()), fieldCount);
        for (int32_t i = 0; i < fieldCount; ++i) {
            ComPtr<IField> field;
            fields->get_Field(i, field.Out());
            BStr name;
            int32_t type = -1, fieldIndex = -1, rule = -1;
            field->get_Name(name.Out());
            field->get_Type(&type);
            EXPECT_EQ(Name(fromPath.Get(), i, &IGPFieldInfo::get_Name), name.view());
            EXPECT_EQ(Name(fromPath.Get(), i, &IGPFieldInfo::get_NewName), name.view());
            fromPath->get_FieldIndex(i, &fieldIndex);
            EXPECT_EQ(fieldIndex, i);
            VARIANT_BOOL visible = VARIANT_FALSE;
            fromPath->get_Visible(i, &visible);
            EXPECT_EQ(visible, VARIANT_TRUE);
            fromPath->get_SplitRule(i, &rule);
            EXPECT_EQ(rule, taviFieldSplitNone);
            int32_t storedType = -2;
            QueryAs<IGPFieldInfo3>(fromPath.Get())->get_FieldType(i, &storedType);
            EXPECT_EQ(storedType, type);
        }
        int32_t at = -1;
        ASSERT_EQ(fromPath->FindField(u"count", &at), S_OK);
        int32_t type = -1, length = 0;
        QueryAs<IGPFieldInfo3>(fromPath.Get())->get_FieldType(at, &type);
        EXPECT_EQ(type, taviFieldTypeInteger);
        ASSERT_EQ(fromPath->FindField(u"NAME", &at), S_OK);
        QueryAs<IGPFieldInfo3>(fromPath.Get())->get_FieldLength(at, &length);
        EXPECT_EQ(length, 32);
        EXPECT_EQ(Name(fromPath.Get(), at, &IGPFieldInfo::get_Name), u"NAME");
        BStr source;
        QueryAs<IGPFieldInfo2>(fromPath.Get())->get_SourceTable(at, source.Out());
        EXPECT_FALSE(source.view().empty());
        // The list of fields alone serves too.
        auto fromFields = NewInfo();
        ASSERT_EQ(QueryAs<IGPFieldInfo4>(fromFields.Get())->SetFromTable(fields.Get()), S_OK);
        EXPECT_EQ(Text(fromFields.Get()), Text(fromTable.Get()));
    }
    // What is no table, or cannot be opened, changes nothing.
    auto info = NewInfo(kBefore);
    auto builder = QueryAs<IGPFieldInfo4>(info.Get());
    EXPECT_EQ(builder->SetFromTable(nullptr), E_INVALIDARG);
    EXPECT_EQ(builder->SetFromTable(Create<IUnknown>(CLSID_GPLong).Get()), E_INVALIDARG);
    EXPECT_EQ(builder->SetFromCatalogPath(FromUtf8(data.Path("missing.gpkg/none")).c_str()), TAVI_E_DATA_NOT_FOUND);
    EXPECT_EQ(builder->SetFromCatalogPath(u""), E_INVALIDARG);
    EXPECT_EQ(Text(info.Get()), kBefore);
}

TEST_F(GPFieldInfoTest, DataTypeAndVersions) {
    ComPtr<IGPDataTypeFactory> factory = Create<IGPDataTypeFactory>(CLSID_GPDataTypeFactory);
    ComPtr<IGPDataType> type;
    ASSERT_EQ(factory->GetDataType(u"GPFieldInfo", type.Out()), S_OK);
    BStr name, displayName;
    type->get_Name(name.Out());
    type->get_DisplayName(displayName.Out());
    EXPECT_EQ(name.view(), u"GPFieldInfo");
    EXPECT_EQ(displayName.view(), u"Field Info");
    ComPtr<IGPValue> made;
    ASSERT_EQ(type->CreateValue(u"a b HIDDEN", made.Out()), S_OK);
    EXPECT_EQ(Text(made.Get()), u"a b HIDDEN NONE");
    ComPtr<IGPMessage> message;
    ASSERT_EQ(type->ValidateValue(made.Get(), nullptr, message.Out()), S_OK);
    VARIANT_BOOL error = VARIANT_TRUE;
    message->IsError(&error);
    EXPECT_FALSE(error);
    ASSERT_EQ(type->ValidateValue(Create<IGPValue>(CLSID_GPLong).Get(), nullptr, message.Out()), S_OK);
    message->IsError(&error);
    EXPECT_TRUE(error);
    ComPtr<IGPDataType> valueType;
    ASSERT_EQ(made->get_DataType(valueType.Out()), S_OK);
    EXPECT_TRUE(QueryAs<IGPFieldInfoType>(valueType.Get()));

    auto support = QueryAs<IDocumentVersionSupport>(made.Get());
    for (int32_t version : {docversion::Older(0), docversion::kCurrent}) {
        VARIANT_BOOL supported = VARIANT_FALSE;
        ASSERT_EQ(support->IsSupportedAtVersion(version, &supported), S_OK);
        EXPECT_TRUE(supported);
    }
    ComPtr<IUnknown> replacement;
    ASSERT_EQ(support->ConvertToSupportedObject(docversion::Older(0), replacement.Out()), S_OK);
    EXPECT_TRUE(SameObject(replacement.Get(), made.Get()));
}

} // namespace
} // namespace tavi::test
