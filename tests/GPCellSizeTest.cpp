// The cell size value GPCellSizeXY and its data type: the text grammar, sizes read from a raster with different X
// and Y cell sizes (and how long the value holds on to it), the stream and XML forms, cloning and comparison, the
// older-document replacement by the host's CellSize object, and the data type.
#include "TestData.h"
#include "TestSupport.h"

#include "host/CreateInstance.h"
#include "host/DocumentVersion.h"
#include "host/StreamIO.h"
#include "host/XmlNamespace.h"
#include "platform/Locale.h"
#include "tavi/DataAccess.h"
#include "tavi/Entry.h"
#include "tavi/GPCellSize.h"
#include "tavi/GPMessage.h"
#include "tavi/GPScalar.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

#include <cstring>
#include <functional>
#include <regex>
#include <vector>

namespace tavi::test {
namespace {

struct Sizes {
    double x, y;
    bool empty;
};

Sizes Read(IUnknown* value) {
    Sizes sizes{-1, -1, false};
    auto cellSize = QueryAs<IGPCellSizeXY>(value);
    EXPECT_EQ(cellSize->get_X(&sizes.x), S_OK);
    EXPECT_EQ(cellSize->get_Y(&sizes.y), S_OK);
    VARIANT_BOOL empty = VARIANT_FALSE;
    EXPECT_EQ(QueryAs<IGPValue>(value)->IsEmpty(&empty), S_OK);
    sizes.empty = empty != VARIANT_FALSE;
    return sizes;
}
String AsText(IUnknown* value) {
    BStr text;
    EXPECT_EQ(QueryAs<IGPValue>(value)->GetAsText(text.Out()), S_OK);
    return text.str();
}
// The message code SetAsText reports: 0 for no error, -1 for no message.
int32_t SetText(IUnknown* value, const char16_t* text) {
    ComPtr<IGPMessage> message;
    EXPECT_EQ(QueryAs<IGPValue>(value)->SetAsText(text, message.Out()), S_OK);
    if (!message)
        return -1;
    VARIANT_BOOL error = VARIANT_FALSE;
    int32_t code = 0;
    message->IsError(&error);
    message->get_ErrorCode(&code);
    return error ? code : 0;
}
ComPtr<IUnknown> RasterOf(IUnknown* value) {
    ComPtr<IUnknown> raster;
    EXPECT_EQ(QueryAs<IGPCellSizeXY2>(value)->get_Raster(raster.Out()), S_OK);
    return raster;
}
bool Equal(IUnknown* a, IUnknown* b) {
    VARIANT_BOOL equal = VARIANT_FALSE;
    EXPECT_EQ(QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal), S_OK);
    return equal != VARIANT_FALSE;
}
ComPtr<IStream> NewStream(const std::vector<uint8_t>& bytes = {}) {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnMemory(bytes.data(), static_cast<ULONG>(bytes.size()), docversion::kCurrent, stream.Out()),
              S_OK);
    return stream;
}
std::vector<uint8_t> BytesOf(IStream* stream) {
    uint64_t size = 0;
    stream->Seek(0, STREAM_SEEK_END, &size);
    std::vector<uint8_t> bytes(size);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    stream->Read(bytes.data(), static_cast<ULONG>(size), nullptr);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    return bytes;
}

class GPCellSizeTest : public ModuleClassesTest {
protected:
    template <class I = IGPValue> static ComPtr<I> Create(REFCLSID clsid = CLSID_GPCellSizeXY) {
        ComPtr<I> made;
        EXPECT_EQ(AfCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, I::iid, made.OutVoid()), S_OK);
        return made;
    }
    static ComPtr<IGPValue> Made(const String& text) {
        auto value = Create();
        EXPECT_EQ(SetText(value.Get(), text.c_str()), 0) << ToUtf8(text);
        return value;
    }

    // A GeoTIFF of 4 x 3 cells, 2.5 wide and 4 high, so that X and Y cannot be mixed up.
    String Raster() {
        std::string path = data_.Path("cells.tif");
        GDALDataset* dataset =
            GetGDALDriverManager()->GetDriverByName("GTiff")->Create(path.c_str(), 4, 3, 1, GDT_Byte, nullptr);
        double transform[6] = {1000, 2.5, 0, 5000, 0, -4};
        dataset->SetGeoTransform(transform);
        GDALClose(dataset);
        return FromUtf8(path);
    }

    TestData data_;
};

// ---- text ----

TEST_F(GPCellSizeTest, TextGrammar) {
    struct Case {
        const char16_t* text;
        int32_t code;
        Sizes sizes;
        const char16_t* printed;
    };
    const Case cases[] = {
        {u"10", 0, {10, 10, false}, u"10 10"},    // one number is a square cell
        {u"10 20", 0, {10, 20, false}, u"10 20"}, // X then Y
        {u"  0.5   1e3 ", 0, {0.5, 1000, false}, u"0.5 1000"},
        {u"2.5 abc", 0, {2.5, 2.5, false}, u"2.5 2.5"}, // a second token that is no number: Y as X
        {u"1 2 3", 0, {1, 2, false}, u"1 2"},           // further tokens are ignored
        {u"abc", 835, {0, 0, true}, u""},               // no number: error, the value stays empty
        {u"abc 10", 835, {0, 0, true}, u""},
        {u"   ", 835, {0, 0, true}, u""},
        {u"", 0, {0, 0, true}, u""}, // the text of an empty value reads back without an error
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        auto value = Made(u"7 8"); // earlier content never survives
        EXPECT_EQ(SetText(value.Get(), c.text), c.code);
        Sizes got = Read(value.Get());
        EXPECT_EQ(got.x, c.sizes.x);
        EXPECT_EQ(got.y, c.sizes.y);
        EXPECT_EQ(got.empty, c.sizes.empty);
        EXPECT_EQ(AsText(value.Get()), c.printed);
    }
    auto value = Create();
    EXPECT_EQ(value->SetAsText(u"10", nullptr), E_POINTER);
    EXPECT_EQ(value->GetAsText(nullptr), E_POINTER);
}

TEST_F(GPCellSizeTest, TextReadsBackInACommaLocale) {
    struct LocaleScope {
        LCID saved = GetUserDefaultLCID();
        ~LocaleScope() { locale::SetUserDefaultLocaleForTesting(saved); }
    } restore;
    locale::SetUserDefaultLocaleForTesting(1031);
    auto value = Create<IGPCellSizeXY>();
    value->put_X(2.5);
    value->put_Y(0.125);
    String text = AsText(value.Get());
    EXPECT_EQ(text, u"2,5 0,125");
    auto back = Made(text);
    EXPECT_TRUE(Equal(back.Get(), value.Get()));
}

TEST_F(GPCellSizeTest, PuttingASizeMakesTheValueNonEmpty) {
    auto value = Create<IGPCellSizeXY>();
    EXPECT_TRUE(Read(value.Get()).empty);
    EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->IsDirty(), S_FALSE);
    EXPECT_EQ(value->put_Y(3), S_OK);
    Sizes got = Read(value.Get());
    EXPECT_FALSE(got.empty);
    EXPECT_EQ(got.x, 0);
    EXPECT_EQ(got.y, 3);
    EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->IsDirty(), S_OK);
    EXPECT_EQ(AsText(value.Get()), u"0 3");
    EXPECT_EQ(value->get_X(nullptr), E_POINTER);
    EXPECT_EQ(value->get_Y(nullptr), E_POINTER);
    EXPECT_EQ(QueryAs<IGPCellSizeXY2>(value.Get())->get_Raster(nullptr), E_POINTER);
    QueryAs<IGPValue>(value.Get())->Empty();
    got = Read(value.Get());
    EXPECT_TRUE(got.empty);
    EXPECT_EQ(got.y, 0);
}

// ---- rasters ----

TEST_F(GPCellSizeTest, SizesComeFromARaster) {
    auto value = Made(u" " + Raster() + u" "); // blanks around a path are not part of it
    Sizes got = Read(value.Get());
    EXPECT_EQ(got.x, 2.5);
    EXPECT_EQ(got.y, 4);
    EXPECT_FALSE(got.empty);
    EXPECT_EQ(AsText(value.Get()), u"2.5 4");
    auto raster = QueryAs<IRasterDataset>(RasterOf(value.Get()).Get());
    ASSERT_TRUE(raster);
    int32_t columns = 0;
    raster->get_ColumnCount(&columns);
    EXPECT_EQ(columns, 4);
}

TEST_F(GPCellSizeTest, DataThatIsNoRasterIsNoCellSize) {
    data_.Vector("shp", "roads.shp", "roads", wkbLineString, 4326, {{"LINESTRING (0 0, 1 1)", "a", 1, 1, 2001, 1, 1}});
    for (const String& path : {FromUtf8(data_.Path("roads.shp")), FromUtf8(data_.Path("missing.tif"))}) {
        SCOPED_TRACE(ToUtf8(path));
        auto value = Create();
        EXPECT_EQ(SetText(value.Get(), path.c_str()), 835);
        EXPECT_TRUE(Read(value.Get()).empty);
        EXPECT_FALSE(RasterOf(value.Get()));
    }
}

TEST_F(GPCellSizeTest, TheRasterIsKeptUntilTheValueIsEmptiedOrReplaced) {
    const String path = Raster();
    auto fromRaster = [&] { return Made(path); };

    // Changing a size keeps it; a clone and an assigned value share it.
    auto value = fromRaster();
    QueryAs<IGPCellSizeXY>(value.Get())->put_X(9);
    EXPECT_TRUE(RasterOf(value.Get()));
    ComPtr<IClone> clone;
    ASSERT_EQ(QueryAs<IClone>(value.Get())->Clone(clone.Out()), S_OK);
    EXPECT_TRUE(SameObject(RasterOf(clone.Get()).Get(), RasterOf(value.Get()).Get()));

    // Everything that replaces the content lets it go.
    struct Case {
        const char* why;
        std::function<void(IGPValue*)> replace;
    };
    const Case cases[] = {
        {"emptied", [](IGPValue* v) { v->Empty(); }},
        {"a number text", [](IGPValue* v) { SetText(v, u"3"); }},
        {"a text it cannot read", [](IGPValue* v) { SetText(v, u"abc"); }},
        {"assigned a value without one",
         [](IGPValue* v) { QueryAs<IClone>(v)->Assign(QueryAs<IClone>(Made(u"1 2").Get()).Get()); }},
        {"loaded from a stream",
         [](IGPValue* v) {
             auto stream = NewStream();
             QueryAs<IPersistStream>(Made(u"1 2").Get())->Save(stream.Get(), 0);
             stream->Seek(0, STREAM_SEEK_SET, nullptr);
             EXPECT_EQ(QueryAs<IPersistStream>(v)->Load(stream.Get()), S_OK);
         }},
        {"read from XML",
         [](IGPValue* v) {
             BStr xml;
             TaviXmlSerialize(Made(u"1 2").Get(), nullptr, xml.Out());
             EXPECT_EQ(TaviXmlDeserialize(xml.c_str(), v), S_OK);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        auto held = fromRaster();
        ASSERT_TRUE(RasterOf(held.Get()));
        c.replace(held.Get());
        EXPECT_FALSE(RasterOf(held.Get()));
    }
}

// ---- stream and XML forms ----

TEST_F(GPCellSizeTest, StreamFormHoldsOnlyTheNumbers) {
    for (const String& text : {Raster(), String(u"0.1 3"), String()}) {
        SCOPED_TRACE(ToUtf8(text));
        auto value = Create();
        SetText(value.Get(), text.c_str());
        auto stream = NewStream();
        ASSERT_EQ(QueryAs<IPersistStream>(value.Get())->Save(stream.Get(), 1), S_OK);
        EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->IsDirty(), S_FALSE);
        EXPECT_EQ(BytesOf(stream.Get()).size(), 2u + 2 + 8 + 8); // version, empty flag, X, Y
        auto read = Create();
        ASSERT_EQ(QueryAs<IPersistStream>(read.Get())->Load(stream.Get()), S_OK);
        EXPECT_TRUE(Equal(read.Get(), value.Get()));
        EXPECT_EQ(AsText(read.Get()), AsText(value.Get()));
        EXPECT_FALSE(RasterOf(read.Get()));
    }
}

TEST_F(GPCellSizeTest, StreamVersionsAndDamage) {
    auto stream = NewStream();
    QueryAs<IPersistStream>(Made(u"4 6").Get())->Save(stream.Get(), 0);
    const std::vector<uint8_t> good = BytesOf(stream.Get());
    struct Case {
        const char* why;
        uint16_t version;
        size_t cut;
        HRESULT hr;
    };
    const Case cases[] = {
        {"current", 1, 0, S_OK},       {"version 0", 0, 0, S_OK}, {"newer", 2, 0, E_FAIL},
        {"Y cut short", 1, 3, E_FAIL}, {"no Y", 1, 8, E_FAIL},    {"only the version", 1, 18, E_FAIL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        std::vector<uint8_t> bytes(good.begin(), good.end() - static_cast<std::ptrdiff_t>(c.cut));
        bytes[0] = static_cast<uint8_t>(c.version);
        auto value = Made(u"1 2");
        EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->Load(NewStream(bytes).Get()), c.hr);
        if (c.hr == S_OK) {
            EXPECT_EQ(AsText(value.Get()), u"4 6");
        }
    }
}

TEST_F(GPCellSizeTest, XmlFormReadsBack) {
    auto value = Made(u"0.1 1e-9");
    BStr xml;
    ASSERT_EQ(TaviXmlSerialize(value.Get(), nullptr, xml.Out()), S_OK);
    EXPECT_NE(xml.view().find(c_xml_ns_tavi), std::u16string_view::npos);
    auto read = Made(u"5");
    ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), read.Get()), S_OK);
    Sizes got = Read(read.Get());
    EXPECT_EQ(got.x, 0.1);
    EXPECT_EQ(got.y, 1e-9);

    // An empty value writes no sizes and reads back empty.
    ASSERT_EQ(TaviXmlSerialize(Create().Get(), nullptr, xml.Out()), S_OK);
    EXPECT_EQ(xml.view().find(u"<X"), std::u16string_view::npos);
    ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), read.Get()), S_OK);
    EXPECT_TRUE(Read(read.Get()).empty);
}

TEST_F(GPCellSizeTest, XmlWithoutBothSizesIsRefused) {
    BStr xml;
    ASSERT_EQ(TaviXmlSerialize(Made(u"1 2").Get(), nullptr, xml.Out()), S_OK);
    const std::string good = ToUtf8(xml.view());
    for (const char* name : {"X", "Y"}) {
        SCOPED_TRACE(name);
        std::string damaged =
            std::regex_replace(good, std::regex(std::string("<") + name + "[^>]*>[^<]*</" + name + ">"), "");
        ASSERT_NE(damaged, good);
        auto value = Create();
        EXPECT_EQ(TaviXmlDeserialize(FromUtf8(damaged).c_str(), value.Get()), E_FAIL);
    }
}

// ---- cloning and comparison ----

TEST_F(GPCellSizeTest, AssignAndEquality) {
    auto value = Made(u"1 2");
    EXPECT_TRUE(Equal(value.Get(), Made(u"1 2").Get()));
    EXPECT_FALSE(Equal(value.Get(), Made(u"1 2.0000001").Get()));
    EXPECT_FALSE(Equal(value.Get(), Made(u"2 1").Get()));
    EXPECT_FALSE(Equal(value.Get(), Create().Get()));
    auto number = Create<IGPDouble>(CLSID_GPDouble);
    number->put_Value(1);
    EXPECT_FALSE(Equal(value.Get(), number.Get()));
    EXPECT_EQ(QueryAs<IClone>(value.Get())->Assign(QueryAs<IClone>(number.Get()).Get()), E_INVALIDARG);
    EXPECT_EQ(AsText(value.Get()), u"1 2");

    auto target = Made(u"9");
    ASSERT_EQ(QueryAs<IClone>(target.Get())->Assign(QueryAs<IClone>(value.Get()).Get()), S_OK);
    EXPECT_TRUE(Equal(target.Get(), value.Get()));
    ASSERT_EQ(QueryAs<IClone>(target.Get())->Assign(QueryAs<IClone>(Create().Get()).Get()), S_OK);
    EXPECT_TRUE(Read(target.Get()).empty);
}

// ---- older documents ----

TEST_F(GPCellSizeTest, OlderDocumentsGetTheHostCellSize) {
    auto value = Made(u"2.5 4");
    auto support = QueryAs<IDocumentVersionSupport>(value.Get());
    ASSERT_TRUE(support);
    struct Case {
        int32_t version;
        bool supported;
    };
    for (const Case& c : {Case{docversion::Older(4), false}, Case{docversion::Older(5), true},
                          Case{docversion::Newer(0), true}, Case{docversion::kCurrent, true}}) {
        SCOPED_TRACE(c.version);
        VARIANT_BOOL supported = VARIANT_FALSE;
        EXPECT_EQ(support->IsSupportedAtVersion(c.version, &supported), S_OK);
        EXPECT_EQ(supported != VARIANT_FALSE, c.supported);
    }

    ComPtr<IUnknown> replacement;
    ASSERT_EQ(support->ConvertToSupportedObject(docversion::Older(4), replacement.Out()), S_OK);
    auto older = QueryAs<ICellSize>(replacement.Get());
    ASSERT_TRUE(older);
    double size = 0;
    older->get_Size(&size);
    EXPECT_EQ(size, 2.5);

    // The replacement persists as a nested object and comes back through the host class table.
    auto stream = NewStream();
    ASSERT_EQ(SaveObject(replacement.Get(), stream.Get(), true), S_OK);
    EXPECT_EQ(BytesOf(stream.Get()).size(), 16u + 2 + 8); // class identifier, version, size
    ComPtr<ICellSize> loaded;
    ASSERT_EQ(LoadObject(stream.Get(), ICellSize::iid, loaded.OutVoid()), S_OK);
    EXPECT_TRUE(Equal(loaded.Get(), older.Get()));
    BStr xml;
    ASSERT_EQ(TaviXmlSerialize(older.Get(), nullptr, xml.Out()), S_OK);
    auto fromXml = Create<ICellSize>(CLSID_CellSize);
    ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), fromXml.Get()), S_OK);
    EXPECT_TRUE(Equal(fromXml.Get(), older.Get()));

    // A damaged or newer form is refused and changes nothing.
    std::vector<uint8_t> bytes = {2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(QueryAs<IPersistStream>(fromXml.Get())->Load(NewStream(bytes).Get()), E_FAIL);
    bytes = {1, 0, 0, 0};
    EXPECT_EQ(QueryAs<IPersistStream>(fromXml.Get())->Load(NewStream(bytes).Get()), E_FAIL);
    fromXml->get_Size(&size);
    EXPECT_EQ(size, 2.5);
}

// ---- data type ----

TEST_F(GPCellSizeTest, DataTypeCreatesAndValidates) {
    auto type = Create<IGPDataType>(CLSID_GPCellSizeXYType);
    BStr name;
    type->get_Name(name.Out());
    EXPECT_EQ(name.str(), u"GPCellSizeXY");
    type->get_DisplayName(name.Out());
    EXPECT_EQ(name.str(), u"Cell Size XY");

    ComPtr<IGPValue> value;
    ASSERT_EQ(type->CreateValue(u"10 20", value.Out()), S_OK);
    EXPECT_EQ(AsText(value.Get()), u"10 20");
    EXPECT_EQ(type->CreateValue(u"abc", value.Out()), S_FALSE);

    struct Case {
        ComPtr<IGPValue> value;
        bool valid;
    };
    const Case cases[] = {{Made(u"1"), true}, {Create(CLSID_GPDouble), false}};
    for (const auto& c : cases) {
        ComPtr<IGPMessage> message;
        ASSERT_EQ(type->ValidateValue(c.value.Get(), nullptr, message.Out()), S_OK);
        VARIANT_BOOL error = VARIANT_TRUE;
        message->IsError(&error);
        EXPECT_EQ(error == VARIANT_FALSE, c.valid);
    }
}

} // namespace
} // namespace tavi::test
