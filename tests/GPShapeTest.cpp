// The point, line and polygon values and their data types: the "x y" reading checked against the tokenizer object,
// the ";" list with its skipped parts, points shared by reference, cloning and comparison, the stream and XML forms
// with damaged input, and the data types.
#include "TestSupport.h"

#include "host/CreateInstance.h"
#include "host/DocumentVersion.h"
#include "host/StreamIO.h"
#include "platform/Locale.h"
#include "tavi/Entry.h"
#include "tavi/GPCatalog.h"
#include "tavi/GPMessage.h"
#include "tavi/GPScalar.h"
#include "tavi/GPShapes.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace tavi::test {
namespace {

struct TextResult {
    HRESULT hr;
    int32_t code; // 0: no error in the message
};

TextResult SetText(IUnknown* value, const char16_t* text) {
    ComPtr<IGPMessage> message;
    HRESULT hr = QueryAs<IGPValue>(value)->SetAsText(text, message.Out());
    int32_t code = -1;
    if (message) {
        VARIANT_BOOL error = VARIANT_FALSE;
        message->IsError(&error);
        message->get_ErrorCode(&code);
        code = error ? code : 0;
    }
    return {hr, code};
}

std::u16string AsText(IUnknown* value) {
    BStr text;
    EXPECT_EQ(QueryAs<IGPValue>(value)->GetAsText(text.Out()), S_OK);
    return text.str();
}

bool IsEmpty(IUnknown* value) {
    VARIANT_BOOL empty = VARIANT_FALSE;
    EXPECT_EQ(QueryAs<IGPValue>(value)->IsEmpty(&empty), S_OK);
    return empty != VARIANT_FALSE;
}

bool Equal(IUnknown* a, IUnknown* b) {
    VARIANT_BOOL equal = VARIANT_FALSE;
    EXPECT_EQ(QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal), S_OK);
    return equal != VARIANT_FALSE;
}

struct XY {
    double x;
    double y;
};

XY PointXY(IUnknown* point) {
    XY xy{};
    auto p = QueryAs<IGPPoint>(point);
    EXPECT_EQ(p->get_X(&xy.x), S_OK);
    EXPECT_EQ(p->get_Y(&xy.y), S_OK);
    return xy;
}

template <class List> int32_t PointCount(List* line) {
    int32_t count = -1;
    EXPECT_EQ(line->get_PointCount(&count), S_OK);
    return count;
}

ComPtr<IStream> NewStream(const std::vector<uint8_t>& bytes = {}) {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnMemory(bytes.data(), static_cast<ULONG>(bytes.size()), docversion::kCurrent, stream.Out()),
              S_OK);
    return stream;
}

std::vector<uint8_t> Saved(IUnknown* value) {
    auto stream = NewStream();
    EXPECT_EQ(QueryAs<IPersistStream>(value)->Save(stream.Get(), 1), S_OK);
    uint64_t size = 0;
    stream->Seek(0, STREAM_SEEK_END, &size);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    std::vector<uint8_t> bytes(size);
    ULONG read = 0;
    stream->Read(bytes.data(), static_cast<ULONG>(size), &read);
    return bytes;
}

void Patch(std::vector<uint8_t>& bytes, size_t at, const void* data, size_t size) {
    std::copy_n(static_cast<const uint8_t*>(data), size, bytes.begin() + static_cast<ptrdiff_t>(at));
}

class GPShapeTest : public ModuleClassesTest {
protected:
    template <class I = IGPValue> static ComPtr<I> Create(REFCLSID clsid) {
        ComPtr<I> made;
        EXPECT_EQ(AfCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, I::iid, made.OutVoid()), S_OK);
        return made;
    }
    template <class I = IGPValue> static ComPtr<I> Made(REFCLSID clsid, const char16_t* text) {
        auto made = Create<I>(clsid);
        EXPECT_EQ(SetText(made.Get(), text).code, 0);
        return made;
    }
};

// The two kinds of point list.
struct ListKind {
    const char* name;
    CLSID clsid;
};
const ListKind kLists[] = {
    {"line", CLSID_GPLine},
    {"polygon", CLSID_GPPolygon},
};

// A line or a polygon driven through its own interface, whichever it answers.
class ListOps {
public:
    explicit ListOps(IUnknown* value) : line_(QueryAs<IGPLine>(value)), polygon_(QueryAs<IGPPolygon>(value)) {
        EXPECT_TRUE(line_ || polygon_);
    }
    ListOps* operator->() { return this; }
    ListOps* Get() { return this; }
    HRESULT get_PointCount(int32_t* count) {
        return Call(&IGPLine::get_PointCount, &IGPPolygon::get_PointCount, count);
    }
    HRESULT get_Point(int32_t index, IGPPoint** point) {
        return Call(&IGPLine::get_Point, &IGPPolygon::get_Point, index, point);
    }
    HRESULT AddPoint(IGPPoint* point) { return Call(&IGPLine::AddPoint, &IGPPolygon::AddPoint, point); }
    HRESULT QueryPointXY(int32_t index, double* x, double* y) {
        return Call(&IGPLine::QueryPointXY, &IGPPolygon::QueryPointXY, index, x, y);
    }
    HRESULT AddPointXY(double x, double y) { return Call(&IGPLine::AddPointXY, &IGPPolygon::AddPointXY, x, y); }

private:
    template <class L, class P, class... A> HRESULT Call(L onLine, P onPolygon, A... args) {
        return line_ ? (line_.Get()->*onLine)(args...) : (polygon_.Get()->*onPolygon)(args...);
    }
    ComPtr<IGPLine> line_;
    ComPtr<IGPPolygon> polygon_;
};
ListOps ListOf(IUnknown* value, const ListKind&) {
    return ListOps(value);
}

// ---- point text ----

TEST_F(GPShapeTest, PointText) {
    struct Case {
        const char16_t* text;
        int32_t code;
        bool empty;
        double x, y;
        const char16_t* printed;
    };
    const Case cases[] = {
        {u"3.5 -2", 0, false, 3.5, -2, u"3.5 -2"},
        {u"3.5", 835, true, 0, 0, u""},         // one number is not a point
        {u"", 0, true, 0, 0, u""},              // the empty text empties the point
        {u"   ", 835, true, 0, 0, u""},         // blanks are no number
        {u"a 2", 835, true, 0, 0, u""},         // the first token is no number
        {u"1,5 2", 0, false, 1.5, 2, u"1.5 2"}, // a comma stands for the decimal point
        {u"  1   2  ", 0, false, 1, 2, u"1 2"}, // blanks around and between tokens
        {u"1 2 3", 0, false, 1, 2, u"1 2"},     // further tokens are ignored
        {u"'1' \"2\"", 0, false, 1, 2, u"1 2"}, // quoted tokens
        {u"1e3 -2.5E-1", 0, false, 1000, -0.25, u"1000 -0.25"},
        {u"Infinity -Infinity", 0, false, std::numeric_limits<double>::infinity(),
         -std::numeric_limits<double>::infinity(), u"Infinity -Infinity"}, // what GetAsText writes reads back
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        auto point = Made(CLSID_GPPoint, u"7 7");
        auto result = SetText(point.Get(), c.text);
        EXPECT_EQ(result.hr, S_OK);
        EXPECT_EQ(result.code, c.code);
        EXPECT_EQ(IsEmpty(point.Get()), c.empty);
        XY xy = PointXY(point.Get());
        EXPECT_EQ(xy.x, c.x);
        EXPECT_EQ(xy.y, c.y);
        EXPECT_EQ(AsText(point.Get()), c.printed);
    }
    auto point = Create(CLSID_GPPoint);
    EXPECT_EQ(point->SetAsText(u"1 2", nullptr), E_POINTER);
}

// The point's own reading of "x y" must take exactly what the tokenizer object takes: two NextDouble calls after
// Init(text, " "), in a locale with a decimal point and in one with a decimal comma.
TEST_F(GPShapeTest, PointReadingMatchesTheTokenizer) {
    const char16_t* texts[] = {
        u"1 2",
        u"1\t2",
        u"1\t 2",
        u" \t1  2\t",
        u"+1 2",
        u"-0 0",
        u"1, 2",
        u"1. .5",
        u"1,000 2",
        u"1.5.5 2",
        u"'1 2' 3",
        u"\"1\"2 3",
        u"(1) 2",
        u"(1 2) 3",
        u"1e400 2",
        u"1e-400 2",
        u"0x10 1",
        u"1 2;3 4",
        u"$1 2",
        u"1- 2",
        u"&H10 1",
        u"1 '2'x",
        u"12345678901234567890 1",
        u"1  '' 2",
        u"\u00a01 2",
        u"1d 2",
        u"٣ 4",
        u".5 -.5",
        u"1 2)",
        u"'' 1",
        u"2,5 3.25",
        u"1.000,5 2",
        u"'2,5' 1",
        u"1,2,3 4",
    };
    const LCID saved = locale::UserDefault();
    struct Restore {
        LCID lcid;
        ~Restore() { locale::SetUserDefaultLocaleForTesting(lcid); }
    } restore{saved};
    for (LCID lcid : {LCID(1033), LCID(1031)}) {
        locale::SetUserDefaultLocaleForTesting(lcid);
        auto tokenizer = Create<IGPParseString2>(CLSID_GPParseString);
        for (const char16_t* text : texts) {
            SCOPED_TRACE(testing::Message() << lcid << " " << ToUtf8(text));
            double x = 0;
            double y = 0;
            ASSERT_EQ(tokenizer->Init(text, u" "), S_OK);
            bool reads = SUCCEEDED(tokenizer->NextDouble(&x)) && SUCCEEDED(tokenizer->NextDouble(&y));
            auto point = Create(CLSID_GPPoint);
            EXPECT_EQ(SetText(point.Get(), text).code, reads ? 0 : 835);
            if (reads) {
                XY xy = PointXY(point.Get());
                EXPECT_EQ(xy.x, x);
                EXPECT_EQ(xy.y, y);
            }
        }
    }
    locale::SetUserDefaultLocaleForTesting(1031);
    auto point = Made(CLSID_GPPoint, u"2.5 -0,25");
    EXPECT_EQ(AsText(point.Get()), u"2,5 -0,25") << "written in the locale, read in either form";
}

TEST_F(GPShapeTest, PointTextReadsBackExactly) {
    const double numbers[] = {0.1 + 0.2, 1e300, -1.2345678901234567e-300, 5e-324, 123456789012345680.0,
                              -0.0}; // -0 reads back as 0, which it equals
    for (double x : numbers) {
        SCOPED_TRACE(x);
        auto point = Create<IGPPoint>(CLSID_GPPoint);
        point->PutXY(x, -x);
        auto back = Create(CLSID_GPPoint);
        EXPECT_EQ(SetText(back.Get(), AsText(point.Get()).c_str()).code, 0);
        XY xy = PointXY(back.Get());
        EXPECT_EQ(xy.x, x);
        EXPECT_EQ(xy.y, -x);
    }
}

TEST_F(GPShapeTest, PointProperties) {
    auto point = Create<IGPPoint>(CLSID_GPPoint);
    EXPECT_TRUE(IsEmpty(point.Get()));
    EXPECT_EQ(QueryAs<IPersistStream>(point.Get())->IsDirty(), S_FALSE);
    EXPECT_EQ(point->put_X(2), S_OK);
    EXPECT_FALSE(IsEmpty(point.Get())) << "a coordinate makes the point non-empty";
    EXPECT_EQ(QueryAs<IPersistStream>(point.Get())->IsDirty(), S_OK);
    EXPECT_EQ(AsText(point.Get()), u"2 0");
    EXPECT_EQ(point->put_Y(3), S_OK);
    EXPECT_EQ(AsText(point.Get()), u"2 3");
    EXPECT_EQ(point->get_X(nullptr), E_POINTER);
    EXPECT_EQ(point->get_Y(nullptr), E_POINTER);
    EXPECT_EQ(QueryAs<IGPValue>(point.Get())->Empty(), S_OK);
    EXPECT_TRUE(IsEmpty(point.Get()));
    XY xy = PointXY(point.Get());
    EXPECT_EQ(xy.x, 0);
    EXPECT_EQ(xy.y, 0);
}

TEST_F(GPShapeTest, PointCloneAndEquality) {
    auto point = Made(CLSID_GPPoint, u"1 2");
    ComPtr<IClone> clone;
    ASSERT_EQ(QueryAs<IClone>(point.Get())->Clone(clone.Out()), S_OK);
    EXPECT_TRUE(Equal(clone.Get(), point.Get()));
    QueryAs<IGPPoint>(clone.Get())->put_Y(2.0000000001);
    EXPECT_FALSE(Equal(clone.Get(), point.Get())) << "coordinates compare exactly";
    EXPECT_FALSE(Equal(point.Get(), Create(CLSID_GPPoint).Get())) << "an empty point differs from (0, 0)...";
    EXPECT_FALSE(Equal(Made(CLSID_GPPoint, u"0 0").Get(), Create(CLSID_GPPoint).Get())) << "...and from itself";
    auto nan = Create<IGPPoint>(CLSID_GPPoint);
    nan->PutXY(std::nan(""), 1);
    ASSERT_EQ(QueryAs<IClone>(nan.Get())->Clone(clone.Out()), S_OK);
    EXPECT_TRUE(Equal(clone.Get(), nan.Get())) << "a copy equals its source, whatever the numbers";
    EXPECT_EQ(QueryAs<IClone>(point.Get())->Assign(QueryAs<IClone>(Create(CLSID_GPDouble).Get()).Get()), E_INVALIDARG);
    EXPECT_FALSE(Equal(point.Get(), Create(CLSID_GPLine).Get()));
}

// ---- lists of points ----

TEST_F(GPShapeTest, ListText) {
    struct Case {
        const char16_t* text;
        int32_t count;
        const char16_t* printed;
    };
    const Case cases[] = {
        {u"0 0;10 0;10 10", 3, u"0 0;10 0;10 10"},
        {u"0 0;abc;1 1", 2, u"0 0;1 1"},       // a part that is no point is skipped, without an error
        {u"", 0, u""},                         // the empty text gives no points
        {u"abc", 0, u""},                      // no part reads: no points, still no error
        {u";;1 2;;", 1, u"1 2"},               // empty parts between separators are skipped
        {u" 1 2 ; 3 4 ", 2, u"1 2;3 4"},       // parts are trimmed
        {u"0 0; ;1 1", 2, u"0 0;1 1"},         // a blank part does not end the list
        {u"0 0;5;1 1;2", 2, u"0 0;1 1"},       // parts with one number are skipped
        {u"1,5 2;3 4,25", 2, u"1.5 2;3 4.25"}, // commas inside parts are decimal separators
    };
    for (const auto& kind : kLists) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(kind.name) + " " + ToUtf8(c.text));
            auto value = Made(kind.clsid, u"9 9;8 8;7 7;6 6");
            auto result = SetText(value.Get(), c.text);
            EXPECT_EQ(result.hr, S_OK);
            EXPECT_EQ(result.code, 0) << "only a failure of the splitting itself is an error";
            EXPECT_EQ(PointCount(ListOf(value.Get(), kind).Get()), c.count);
            EXPECT_EQ(IsEmpty(value.Get()), c.count == 0);
            EXPECT_EQ(AsText(value.Get()), c.printed);
        }
    }
}

TEST_F(GPShapeTest, LongListReadsEveryPoint) {
    std::u16string text;
    const int32_t count = 20000;
    for (int32_t i = 0; i < count; ++i) {
        text += std::u16string(i ? u";" : u"") + u"1.5 ";
        for (char c : std::to_string(i))
            text += static_cast<char16_t>(c);
    }
    auto line = Made<IGPLine>(CLSID_GPLine, text.c_str());
    ASSERT_EQ(PointCount(line.Get()), count);
    double x = 0;
    double y = 0;
    ASSERT_EQ(line->QueryPointXY(count - 1, &x, &y), S_OK);
    EXPECT_EQ(x, 1.5);
    EXPECT_EQ(y, count - 1);
    EXPECT_EQ(AsText(line.Get()), text);
}

TEST_F(GPShapeTest, ListHoldsPointsByReference) {
    for (const auto& kind : kLists) {
        SCOPED_TRACE(kind.name);
        auto value = Create(kind.clsid);
        auto list = ListOf(value.Get(), kind);
        EXPECT_TRUE(IsEmpty(value.Get()));
        EXPECT_EQ(PointCount(list.Get()), 0);

        auto point = Made<IGPPoint>(CLSID_GPPoint, u"1 2");
        ASSERT_EQ(list->AddPoint(point.Get()), S_OK);
        EXPECT_FALSE(IsEmpty(value.Get()));
        EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->IsDirty(), S_OK);
        point->PutXY(5, 6);
        EXPECT_EQ(AsText(value.Get()), u"5 6") << "the point is stored, not a copy";
        ComPtr<IGPPoint> stored;
        ASSERT_EQ(list->get_Point(0, stored.Out()), S_OK);
        EXPECT_TRUE(SameObject(stored.Get(), point.Get()));

        ASSERT_EQ(list->AddPointXY(-1, 0.5), S_OK);
        double x = 0;
        double y = 0;
        ASSERT_EQ(list->QueryPointXY(1, &x, &y), S_OK);
        EXPECT_EQ(x, -1);
        EXPECT_EQ(y, 0.5);
        EXPECT_EQ(AsText(value.Get()), u"5 6;-1 0.5");

        // Bad arguments.
        EXPECT_EQ(list->get_PointCount(nullptr), E_POINTER);
        EXPECT_EQ(list->get_Point(0, nullptr), E_POINTER);
        EXPECT_EQ(list->AddPoint(nullptr), E_POINTER);
        EXPECT_EQ(list->QueryPointXY(0, nullptr, &y), E_POINTER);
        EXPECT_EQ(list->QueryPointXY(0, &x, nullptr), E_POINTER);
        for (int32_t index : {-1, 2}) {
            ComPtr<IGPPoint> none;
            EXPECT_EQ(list->get_Point(index, none.Out()), E_FAIL);
            EXPECT_FALSE(none);
            EXPECT_EQ(list->QueryPointXY(index, &x, &y), E_FAIL);
        }

        EXPECT_EQ(QueryAs<IGPValue>(value.Get())->Empty(), S_OK);
        EXPECT_TRUE(IsEmpty(value.Get()));
        EXPECT_EQ(PointCount(list.Get()), 0);
        EXPECT_EQ(AsText(value.Get()), u"");
    }
}

TEST_F(GPShapeTest, ListCloneAssignAndEquality) {
    for (const auto& kind : kLists) {
        SCOPED_TRACE(kind.name);
        auto value = Made(kind.clsid, u"0 0;1 1;2 2");
        ComPtr<IClone> clone;
        ASSERT_EQ(QueryAs<IClone>(value.Get())->Clone(clone.Out()), S_OK);
        EXPECT_TRUE(Equal(clone.Get(), value.Get()));
        ComPtr<IGPPoint> original;
        ComPtr<IGPPoint> shared;
        ListOf(value.Get(), kind)->get_Point(1, original.Out());
        ListOf(clone.Get(), kind)->get_Point(1, shared.Out());
        EXPECT_TRUE(SameObject(original.Get(), shared.Get())) << "assignment shares the source's points";

        // Assigning a value to itself keeps its points.
        ASSERT_EQ(QueryAs<IClone>(value.Get())->Assign(QueryAs<IClone>(value.Get()).Get()), S_OK);
        EXPECT_EQ(AsText(value.Get()), u"0 0;1 1;2 2");

        // Assigning an empty list empties.
        auto empty = Create(kind.clsid);
        ASSERT_EQ(QueryAs<IClone>(clone.Get())->Assign(QueryAs<IClone>(empty.Get()).Get()), S_OK);
        EXPECT_TRUE(IsEmpty(clone.Get()));
        EXPECT_TRUE(Equal(clone.Get(), empty.Get()));

        struct Case {
            const char16_t* text;
            bool equal;
        };
        const Case cases[] = {
            {u"0 0;1 1;2 2", true}, {u"0 0;1 1", false}, {u"0 0;1 1;2 3", false}, {u"2 2;1 1;0 0", false}, {u"", false},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(ToUtf8(c.text));
            EXPECT_EQ(Equal(value.Get(), Made(kind.clsid, c.text).Get()), c.equal);
        }
    }
    // A line and a polygon are different kinds of value.
    auto line = Made(CLSID_GPLine, u"0 0;1 1");
    auto polygon = Made(CLSID_GPPolygon, u"0 0;1 1");
    EXPECT_FALSE(Equal(line.Get(), polygon.Get()));
    EXPECT_EQ(QueryAs<IClone>(line.Get())->Assign(QueryAs<IClone>(polygon.Get()).Get()), E_INVALIDARG);
    EXPECT_EQ(AsText(line.Get()), u"0 0;1 1") << "a refused assignment changes nothing";
}

// ---- stream forms ----

TEST_F(GPShapeTest, StreamFormsReadBack) {
    const std::pair<CLSID, const char16_t*> cases[] = {
        {CLSID_GPPoint, u"1.25 -3"}, {CLSID_GPPoint, u""},          {CLSID_GPLine, u"0 0;10 0;10 10"},
        {CLSID_GPLine, u""},         {CLSID_GPPolygon, u"1 2;3 4"}, {CLSID_GPPolygon, u""},
    };
    for (const auto& [clsid, text] : cases) {
        SCOPED_TRACE(ToUtf8(text));
        auto value = Made(clsid, text);
        auto stream = NewStream();
        ASSERT_EQ(QueryAs<IPersistStream>(value.Get())->Save(stream.Get(), 1), S_OK);
        EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->IsDirty(), S_FALSE);
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        auto read = Made(clsid, clsid == CLSID_GPPoint ? u"5 5" : u"5 5;6 6");
        ASSERT_EQ(QueryAs<IPersistStream>(read.Get())->Load(stream.Get()), S_OK);
        EXPECT_TRUE(Equal(read.Get(), value.Get()));
        EXPECT_EQ(AsText(read.Get()), text);
        EXPECT_EQ(IsEmpty(read.Get()), *text == 0);
    }
}

TEST_F(GPShapeTest, PointStreamVersionsAndDamage) {
    const std::vector<uint8_t> good = Saved(Made(CLSID_GPPoint, u"4 5").Get()); // version, flag, x, y
    ASSERT_EQ(good.size(), 2u + 2 + 8 + 8);
    struct Case {
        uint16_t version;
        size_t cut;
        HRESULT hr;
    };
    const Case cases[] = {{1, 0, S_OK},        {0, 0, S_OK},   {2, 0, E_FAIL},
                          {0xFFFF, 0, E_FAIL}, {1, 1, E_FAIL}, {1, 9, E_FAIL}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "version " << c.version << " cut " << c.cut);
        auto bytes = good;
        Patch(bytes, 0, &c.version, 2);
        bytes.resize(bytes.size() - c.cut);
        auto point = Made(CLSID_GPPoint, u"1 1");
        EXPECT_EQ(QueryAs<IPersistStream>(point.Get())->Load(NewStream(bytes).Get()), c.hr);
        if (c.hr == S_OK)
            EXPECT_EQ(AsText(point.Get()), u"4 5");
        else
            EXPECT_EQ(AsText(point.Get()), u"1 1") << "a refused stream leaves the coordinates";
    }
}

TEST_F(GPShapeTest, ListStreamVersionsAndDamage) {
    const std::vector<uint8_t> good = Saved(Made(CLSID_GPLine, u"1 2;3 4").Get());
    constexpr size_t kCountAt = 4; // after the version and the empty flag
    constexpr size_t kFirstAt = 8; // the first point's class identifier
    ASSERT_EQ(good.size(), kFirstAt + 2 * (16 + 20));
    const int32_t negative = -1;
    const int32_t huge = 0x7FFFFFFF;
    const GUID none{};
    const GUID doubleClass = CLSID_GPDouble;
    const uint16_t newer = 2;
    const uint16_t older = 0;

    struct Case {
        const char* why;
        std::vector<uint8_t> bytes;
        HRESULT hr;
    };
    std::vector<Case> cases;
    cases.push_back({"as written", good, S_OK});
    auto edit = [&](const char* why, size_t at, const void* data, size_t size, HRESULT hr) {
        auto bytes = good;
        Patch(bytes, at, data, size);
        cases.push_back({why, bytes, hr});
    };
    edit("version 0", 0, &older, 2, S_OK);
    edit("a newer version", 0, &newer, 2, E_FAIL);
    edit("a negative count", kCountAt, &negative, 4, E_FAIL);
    edit("a count past the stream", kCountAt, &huge, 4, E_FAIL);
    edit("no object for a point", kFirstAt, &none, 16, E_FAIL);
    edit("an unknown class", kFirstAt, &doubleClass, 16, E_FAIL); // GPDouble's Load of a point's bytes
    auto cut = good;
    cut.resize(cut.size() - 3);
    cases.push_back({"cut short", cut, E_FAIL});
    auto foreign = std::vector<uint8_t>(good.begin(), good.begin() + kFirstAt);
    int32_t one = 1;
    Patch(foreign, kCountAt, &one, 4);
    {
        // A whole GPDouble object where a point belongs: it loads, but it is no point.
        auto stream = NewStream();
        auto number = Made(CLSID_GPDouble, u"1");
        ASSERT_EQ(SaveObject(number.Get(), stream.Get(), false), S_OK);
        uint64_t size = 0;
        stream->Seek(0, STREAM_SEEK_END, &size);
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        std::vector<uint8_t> object(size);
        ULONG read = 0;
        stream->Read(object.data(), static_cast<ULONG>(size), &read);
        foreign.insert(foreign.end(), object.begin(), object.end());
        cases.push_back({"an object that is no point", foreign, E_FAIL});
    }

    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        auto line = Made(CLSID_GPLine, u"9 9");
        EXPECT_EQ(QueryAs<IPersistStream>(line.Get())->Load(NewStream(c.bytes).Get()), c.hr);
        if (c.hr == S_OK) {
            EXPECT_EQ(AsText(line.Get()), u"1 2;3 4");
        } else {
            EXPECT_EQ(AsText(line.Get()), u"9 9") << "a refused stream leaves the points";
            EXPECT_FALSE(IsEmpty(line.Get()));
        }
    }
}

// ---- XML forms ----

TEST_F(GPShapeTest, XmlFormsReadBack) {
    const std::pair<CLSID, const char16_t*> cases[] = {
        {CLSID_GPPoint, u"0.1 -2e-300"}, {CLSID_GPPoint, u""},   {CLSID_GPLine, u"0 0;10 0;10 10"}, {CLSID_GPLine, u""},
        {CLSID_GPPolygon, u"1 2;3 4"},   {CLSID_GPPolygon, u""},
    };
    for (const auto& [clsid, text] : cases) {
        SCOPED_TRACE(ToUtf8(text));
        auto value = Made(clsid, text);
        BStr xml;
        ASSERT_EQ(TaviXmlSerialize(value.Get(), nullptr, xml.Out()), S_OK);
        bool list = !(clsid == CLSID_GPPoint);
        bool hasContent = xml.view().find(list ? u"<GPPointArray" : u"<X") != std::u16string_view::npos;
        EXPECT_EQ(hasContent, *text != 0) << "content only for a value that is not empty";
        if (list && *text) {
            EXPECT_NE(xml.view().find(u"ArrayOfGPPoint"), std::u16string_view::npos);
        }
        auto read = Made(clsid, u"5 5");
        ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), read.Get()), S_OK);
        EXPECT_TRUE(Equal(read.Get(), value.Get()));
        EXPECT_EQ(AsText(read.Get()), AsText(value.Get()));
    }
}

TEST_F(GPShapeTest, XmlDamage) {
    auto replaced = [](std::u16string text, std::u16string_view from, std::u16string_view to) {
        size_t at = text.find(from);
        EXPECT_NE(at, std::u16string::npos) << ToUtf8(std::u16string(from));
        if (at != std::u16string::npos)
            text.replace(at, from.size(), to);
        return text;
    };
    auto xmlOf = [](IUnknown* value) {
        BStr xml;
        EXPECT_EQ(TaviXmlSerialize(value, nullptr, xml.Out()), S_OK);
        return xml.str();
    };
    // A point that says it is not empty needs both coordinates.
    std::u16string point = xmlOf(Made(CLSID_GPPoint, u"1 2").Get());
    for (std::u16string_view element : {u"<X ", u"<Y "}) {
        SCOPED_TRACE(ToUtf8(std::u16string(element)));
        auto read = Made(CLSID_GPPoint, u"7 8");
        std::u16string renamed = replaced(point, element, u"<Z ");
        renamed = replaced(renamed, std::u16string(u"</") + std::u16string(element.substr(1, 1)) + u">", u"</Z>");
        EXPECT_EQ(TaviXmlDeserialize(renamed.c_str(), read.Get()), E_FAIL);
    }

    std::u16string line = xmlOf(Made(CLSID_GPLine, u"1 2;3 4").Get());
    // An element of the array that is no point.
    auto number = Made(CLSID_GPDouble, u"1");
    BStr numberXml;
    ASSERT_EQ(TaviXmlSerialize(number.Get(), nullptr, numberXml.Out()), S_OK);
    auto read = Made(CLSID_GPLine, u"9 9");
    std::u16string noPoint = replaced(line, u"<GPPoint ", u"<GPPoint xsi:nil=\"true\"/><Ignored ");
    noPoint = replaced(noPoint, u"</GPPoint>", u"</Ignored>");
    EXPECT_EQ(TaviXmlDeserialize(noPoint.c_str(), read.Get()), E_FAIL);
    EXPECT_EQ(AsText(read.Get()), u"9 9") << "a refused document leaves the points";
    EXPECT_FALSE(IsEmpty(read.Get()));
    // A document without the array holds no points.
    size_t from = line.find(u"<GPPointArray");
    size_t to = line.find(u"</GPPointArray>");
    ASSERT_NE(from, std::u16string::npos);
    ASSERT_NE(to, std::u16string::npos);
    std::u16string noArray = line.substr(0, from) + line.substr(to + std::u16string_view(u"</GPPointArray>").size());
    ASSERT_EQ(TaviXmlDeserialize(noArray.c_str(), read.Get()), S_OK);
    EXPECT_TRUE(IsEmpty(read.Get()));
}

// ---- data types ----

TEST_F(GPShapeTest, DataTypes) {
    struct Case {
        CLSID type;
        const char16_t* name;
        const char16_t* displayName;
        const char16_t* text;
        CLSID valueClass;
    };
    const Case cases[] = {
        {CLSID_GPPointType, u"GPPoint", u"Point", u"1 2", CLSID_GPPoint},
        {CLSID_GPLineType, u"GPLine", u"Line", u"1 2;3 4", CLSID_GPLine},
        {CLSID_GPPolygonType, u"GPPolygon", u"Polygon", u"1 2;3 4;5 6", CLSID_GPPolygon},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.name));
        auto type = Create<IGPDataType>(c.type);
        BStr name;
        BStr displayName;
        ASSERT_EQ(type->get_Name(name.Out()), S_OK);
        ASSERT_EQ(type->get_DisplayName(displayName.Out()), S_OK);
        EXPECT_EQ(name.view(), c.name);
        EXPECT_EQ(displayName.view(), c.displayName);

        ComPtr<IGPValue> value;
        ASSERT_EQ(type->CreateValue(c.text, value.Out()), S_OK);
        CLSID made{};
        QueryAs<IPersistStream>(value.Get())->GetClassID(&made);
        EXPECT_EQ(made, c.valueClass);
        EXPECT_EQ(AsText(value.Get()), c.text);

        // Each type takes its own values and types only.
        for (const auto& other : cases) {
            bool same = other.type == c.type;
            ComPtr<IGPMessage> message;
            VARIANT_BOOL error = VARIANT_FALSE;
            ASSERT_EQ(type->ValidateValue(Made(other.valueClass, other.text).Get(), nullptr, message.Out()), S_OK);
            message->IsError(&error);
            EXPECT_EQ(error == VARIANT_FALSE, same);
            ASSERT_EQ(type->ValidateDataType(Create<IGPDataType>(other.type).Get(), message.Out()), S_OK);
            message->IsError(&error);
            EXPECT_EQ(error == VARIANT_FALSE, same);
        }
    }
    ComPtr<IGPValue> point;
    EXPECT_EQ(Create<IGPDataType>(CLSID_GPPointType)->CreateValue(u"1", point.Out()), S_FALSE)
        << "a text the point cannot read";
}

} // namespace
} // namespace tavi::test
