// The variant value and the data types of several kinds: the scalar faces of GPVariant and their conversions, its
// text form, equality, stream and XML forms and document version support; GPVariantType's and GPType's names,
// value creation and validation.
#include "TestSupport.h"

#include "host/CreateInstance.h"
#include "host/DocumentVersion.h"
#include "host/MessageMaker.h"
#include "host/StreamIO.h"
#include "tavi/Entry.h"
#include "tavi/GPScalar.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

#include <cmath>
#include <functional>
#include <vector>

namespace tavi::test {
namespace {

class GPVariantTest : public ModuleClassesTest {};

template <class I> ComPtr<I> Create(REFCLSID clsid) {
    ComPtr<I> made;
    EXPECT_EQ(AfCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, I::iid, made.OutVoid()), S_OK);
    return made;
}

ComPtr<IGPVariant> NewVariant(const VARIANT* stored = nullptr) {
    auto value = Create<IGPVariant>(CLSID_GPVariant);
    if (value && stored) {
        EXPECT_EQ(value->put_Value(*stored), S_OK);
    }
    return value;
}

Variant Stored(IUnknown* value) {
    Variant v;
    EXPECT_EQ(QueryAs<IGPVariant>(value)->get_Value(v.Out()), S_OK);
    return v;
}
String AsText(IUnknown* value) {
    BStr text;
    EXPECT_EQ(QueryAs<IGPValue>(value)->GetAsText(text.Out()), S_OK);
    return text.str();
}
bool IsEmpty(IUnknown* value) {
    VARIANT_BOOL empty = 7;
    EXPECT_EQ(QueryAs<IGPValue>(value)->IsEmpty(&empty), S_OK);
    return empty != VARIANT_FALSE;
}
bool Equal(IUnknown* a, IUnknown* b) {
    VARIANT_BOOL equal = 7;
    EXPECT_EQ(QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal), S_OK);
    return equal != VARIANT_FALSE;
}
bool IsErrorMessage(IGPMessage* message) {
    VARIANT_BOOL error = 7;
    EXPECT_EQ(message->IsError(&error), S_OK);
    return error != VARIANT_FALSE;
}
ComPtr<IStream> NewStream() {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnMemory(nullptr, 0, docversion::kCurrent, stream.Out()), S_OK);
    return stream;
}
Variant I8(int64_t number) {
    Variant v;
    v.vt = VT_I8;
    v.llVal = number;
    return v;
}
Variant Null() {
    Variant v;
    v.vt = VT_NULL;
    return v;
}
Variant IntArray(std::initializer_list<int32_t> numbers, int32_t lowerBound = 0) {
    Variant v;
    v.vt = VT_ARRAY | VT_I4;
    v.parray = SafeArrayCreateVector(VT_I4, lowerBound, static_cast<uint32_t>(numbers.size()));
    int32_t index = lowerBound;
    for (int32_t n : numbers) {
        SafeArrayPutElement(v.parray, &index, &n);
        ++index;
    }
    return v;
}

TEST_F(GPVariantTest, NewValueHoldsShortZeroAndIsEmpty) {
    auto value = NewVariant();
    Variant stored = Stored(value.Get());
    EXPECT_EQ(stored.vt, VT_I2);
    EXPECT_EQ(stored.iVal, 0);
    EXPECT_TRUE(IsEmpty(value.Get()));
    EXPECT_EQ(AsText(value.Get()), u""); // the text face reads empty while the value is empty
}

// Each row stores through one face, then reads the stored kind and every other face.
TEST_F(GPVariantTest, FacesStoreAndConvert) {
    constexpr HRESULT kFails = E_FAIL;
    struct Case {
        const char* reason;
        std::function<HRESULT(IUnknown*)> put;
        VARTYPE storedKind;
        const char16_t* text; // nullptr: GetAsText fails
        HRESULT longHr;
        int32_t longValue;
        HRESULT doubleHr;
        double doubleValue;
        HRESULT boolHr;
        VARIANT_BOOL boolValue;
    };
    const Case cases[] = {
        {"a boolean is kept as the 16-bit number it is",
         [](IUnknown* v) { return QueryAs<IGPBoolean>(v)->put_Value(VARIANT_TRUE); }, VT_I2, u"-1", S_OK, -1, S_OK,
         -1.0, S_OK, VARIANT_TRUE},
        {"false", [](IUnknown* v) { return QueryAs<IGPBoolean>(v)->put_Value(VARIANT_FALSE); }, VT_I2, u"0", S_OK, 0,
         S_OK, 0.0, S_OK, VARIANT_FALSE},
        {"a double keeps every bit", [](IUnknown* v) { return QueryAs<IGPDouble>(v)->put_Value(0.1); }, VT_R8, u"0.1",
         S_OK, 0, S_OK, 0.1, S_OK, VARIANT_TRUE},
        {"a double rounds to the nearest long", [](IUnknown* v) { return QueryAs<IGPDouble>(v)->put_Value(2.5e3); },
         VT_R8, u"2500", S_OK, 2500, S_OK, 2500.0, S_OK, VARIANT_TRUE},
        {"a long", [](IUnknown* v) { return QueryAs<IGPLong>(v)->put_Value(-42); }, VT_I4, u"-42", S_OK, -42, S_OK,
         -42.0, S_OK, VARIANT_TRUE},
        {"a 64-bit long too wide for 32 bits",
         [](IUnknown* v) { return QueryAs<IGPLong>(v)->put_Value64(int64_t{1} << 40); }, VT_I8, u"1099511627776",
         kFails, 0, S_OK, 1099511627776.0, S_OK, VARIANT_TRUE},
        {"a text that is no number", [](IUnknown* v) { return QueryAs<IGPString>(v)->put_Value(u"abc"); }, VT_BSTR,
         u"abc", kFails, 0, kFails, 0.0, kFails, VARIANT_FALSE},
        {"a numeric text converts", [](IUnknown* v) { return QueryAs<IGPString>(v)->put_Value(u"12"); }, VT_BSTR, u"12",
         S_OK, 12, S_OK, 12.0, S_OK, VARIANT_TRUE},
        {"a date through IGPDate stays a date",
         [](IUnknown* v) { return QueryAs<IGPDate>(v)->put_Value(Variant::Date(0.5)); }, VT_DATE,
         u"12/30/1899 12:00:00 PM", S_OK, 0, S_OK, 0.5, S_OK, VARIANT_TRUE},
        {"a date text through IGPDate is not turned into a date",
         [](IUnknown* v) { return QueryAs<IGPDate>(v)->put_Value(Variant::Text(u"1/1/2000")); }, VT_BSTR, u"1/1/2000",
         kFails, 0, kFails, 0.0, kFails, VARIANT_FALSE},
        {"a date outside the valid range reads as <?>",
         [](IUnknown* v) { return QueryAs<IGPVariant>(v)->put_Value(Variant::Date(3000000.0)); }, VT_DATE, u"<?>", S_OK,
         3000000, S_OK, 3000000.0, S_OK, VARIANT_TRUE},
        {"a null has no text and no number", [](IUnknown* v) { return QueryAs<IGPVariant>(v)->put_Value(Null()); },
         VT_NULL, nullptr, kFails, 0, kFails, 0.0, kFails, VARIANT_FALSE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto value = NewVariant();
        ASSERT_EQ(c.put(value.Get()), S_OK);
        EXPECT_FALSE(IsEmpty(value.Get()));
        EXPECT_EQ(Stored(value.Get()).vt, c.storedKind);
        EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->IsDirty(), S_OK);

        BStr text;
        EXPECT_EQ(QueryAs<IGPValue>(value.Get())->GetAsText(text.Out()), c.text ? S_OK : E_FAIL);
        if (c.text) {
            EXPECT_EQ(text.str(), c.text);
        }
        int32_t number = 99;
        EXPECT_EQ(QueryAs<IGPLong>(value.Get())->get_Value(&number), c.longHr);
        EXPECT_EQ(number, c.longValue);
        double real = 99;
        EXPECT_EQ(QueryAs<IGPDouble>(value.Get())->get_Value(&real), c.doubleHr);
        EXPECT_EQ(real, c.doubleValue); // exact: no text in between
        VARIANT_BOOL flag = 7;
        EXPECT_EQ(QueryAs<IGPBoolean>(value.Get())->get_Value(&flag), c.boolHr);
        EXPECT_EQ(flag, c.boolValue);
    }
}

TEST_F(GPVariantTest, SixtyFourBitFace) {
    auto value = NewVariant();
    auto number = QueryAs<IGPLong>(value.Get());
    ASSERT_EQ(number->put_Value64(INT64_MIN), S_OK);
    int64_t read = 0;
    EXPECT_EQ(number->get_Value64(&read), S_OK);
    EXPECT_EQ(read, INT64_MIN);
    ASSERT_EQ(number->put_Value(7), S_OK); // a 32-bit put reads on the 64-bit face
    EXPECT_EQ(number->get_Value64(&read), S_OK);
    EXPECT_EQ(read, 7);
}

TEST_F(GPVariantTest, NullOutPointers) {
    auto value = NewVariant();
    EXPECT_EQ(value->get_Value(nullptr), E_POINTER);
    EXPECT_EQ(QueryAs<IGPBoolean>(value.Get())->get_Value(nullptr), E_POINTER);
    EXPECT_EQ(QueryAs<IGPString>(value.Get())->get_Value(nullptr), E_POINTER);
    EXPECT_EQ(QueryAs<IGPDate>(value.Get())->get_Value(nullptr), E_POINTER);
    EXPECT_EQ(QueryAs<IGPDouble>(value.Get())->get_Value(nullptr), E_POINTER);
    EXPECT_EQ(QueryAs<IGPLong>(value.Get())->get_Value(nullptr), E_POINTER);
    EXPECT_EQ(QueryAs<IGPLong>(value.Get())->get_Value64(nullptr), E_POINTER);
    EXPECT_EQ(QueryAs<IGPValue>(value.Get())->IsEmpty(nullptr), E_POINTER);
    EXPECT_EQ(QueryAs<IGPValue>(value.Get())->GetAsText(nullptr), E_POINTER);
    EXPECT_EQ(QueryAs<IGPValue>(value.Get())->SetAsText(u"x", nullptr), E_POINTER);
}

TEST_F(GPVariantTest, TextFormAndEmptiness) {
    struct Case {
        const char16_t* text;
        bool empty;
        VARTYPE kind;
    };
    const Case cases[] = {
        {u"", true, VT_EMPTY},        // the empty text empties the value
        {nullptr, true, VT_EMPTY},    // and so does no text
        {u" ", false, VT_BSTR},       // blanks are content
        {u"3.5", false, VT_BSTR},     // numbers stay texts
        {u"<a & b>", false, VT_BSTR}, // no text is refused
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text ? ToUtf8(c.text) : "null");
        auto value = NewVariant();
        QueryAs<IGPDouble>(value.Get())->put_Value(1.0); // earlier content, gone after an empty text
        ComPtr<IGPMessage> message;
        ASSERT_EQ(QueryAs<IGPValue>(value.Get())->SetAsText(c.text, message.Out()), S_OK);
        ASSERT_TRUE(message);
        EXPECT_FALSE(IsErrorMessage(message.Get()));
        EXPECT_EQ(IsEmpty(value.Get()), c.empty);
        EXPECT_EQ(Stored(value.Get()).vt, c.kind);
        EXPECT_EQ(AsText(value.Get()), c.text ? c.text : u"");
    }
    auto value = NewVariant();
    QueryAs<IGPLong>(value.Get())->put_Value(5);
    EXPECT_EQ(QueryAs<IGPValue>(value.Get())->Empty(), S_OK);
    EXPECT_TRUE(IsEmpty(value.Get()));
    EXPECT_EQ(Stored(value.Get()).vt, VT_EMPTY);
}

TEST_F(GPVariantTest, EqualityComparesKindAndContent) {
    auto object = Create<IUnknown>(CLSID_GPString);
    auto other = Create<IUnknown>(CLSID_GPString);
    auto unknown = [](IUnknown* o) {
        Variant v;
        v.vt = VT_UNKNOWN;
        v.punkVal = o;
        o->AddRef();
        return v;
    };
    struct Case {
        Variant a;
        Variant b;
        bool equal;
        const char* reason;
    };
    const Case cases[] = {
        {Variant::Int(1), Variant::Int(1), true, "same number"},
        {Variant::Int(1), Variant::Int(2), false, "other number"},
        {Variant::Int(1), Variant::Double(1.0), false, "the kind counts"},
        {Variant::Text(u"Road"), Variant::Text(u"Road"), true, "same text"},
        {Variant::Text(u"Road"), Variant::Text(u"road"), false, "texts compare with their case"},
        {Variant::Date(36526.5), Variant::Date(36526.5), true, "same date"},
        {Null(), Null(), true, "nulls"},
        {Variant(), Variant(), true, "empty variants"},
        {IntArray({1, 2, 3}), IntArray({1, 2, 3}), true, "arrays element by element"},
        {IntArray({1, 2, 3}), IntArray({1, 2, 4}), false, "one element differs"},
        {IntArray({1, 2}), IntArray({1, 2}, 1), false, "the bounds count"},
        {unknown(object.Get()), unknown(object.Get()), true, "the same object"},
        {unknown(object.Get()), unknown(other.Get()), false, "objects by identity, not content"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto a = NewVariant(&c.a);
        auto b = NewVariant(&c.b);
        EXPECT_EQ(Equal(a.Get(), b.Get()), c.equal);
        EXPECT_EQ(Equal(b.Get(), a.Get()), c.equal);
    }
    // An empty value differs from a set one holding the same variant: the base part counts too.
    auto fresh = NewVariant();
    Variant zero;
    zero.vt = VT_I2;
    zero.iVal = 0;
    EXPECT_FALSE(Equal(fresh.Get(), NewVariant(&zero).Get()));
    // Another kind of value is unequal, and the call still succeeds.
    EXPECT_FALSE(Equal(NewVariant(&cases[0].a).Get(), Create<IUnknown>(CLSID_GPStringType).Get()));
    VARIANT_BOOL equal = 7;
    EXPECT_EQ(QueryAs<IClone>(fresh.Get())->IsEqual(nullptr, &equal), E_POINTER);
}

TEST_F(GPVariantTest, CloneAndAssign) {
    for (const Variant& stored : {Variant::Text(u"x"), IntArray({4, 5}), Null(), I8(-3)}) {
        auto value = NewVariant(&stored);
        ComPtr<IClone> clone;
        ASSERT_EQ(QueryAs<IClone>(value.Get())->Clone(clone.Out()), S_OK);
        EXPECT_TRUE(Equal(clone.Get(), value.Get()));
        EXPECT_EQ(Stored(clone.Get()).vt, stored.vt);
    }
    // Any value with a variant face is a source: a string gives its text.
    auto target = NewVariant();
    auto text = Create<IGPString>(CLSID_GPString);
    text->put_Value(u"from a string");
    ASSERT_EQ(QueryAs<IClone>(target.Get())->Assign(QueryAs<IClone>(text.Get()).Get()), S_OK);
    EXPECT_EQ(AsText(target.Get()), u"from a string");
    EXPECT_FALSE(IsEmpty(target.Get()));
    // Without IGPVariant the source is refused and nothing changes.
    EXPECT_EQ(QueryAs<IClone>(target.Get())->Assign(Create<IClone>(CLSID_GPVariantType).Get()), E_INVALIDARG);
    EXPECT_EQ(AsText(target.Get()), u"from a string");
}

// The variants the stream and XML forms must carry back unchanged.
std::vector<Variant> RoundTripVariants() {
    Variant shortNumber;
    shortNumber.vt = VT_I2;
    shortNumber.iVal = -1;
    return {shortNumber,
            Variant::Int(INT32_MIN),
            I8(INT64_MAX),
            Variant::Double(0.1),
            Variant::Bool(true),
            Variant::Date(36526.75),
            Variant::Text(u"Größe ✓"),
            Variant::Text(u""),
            Null()};
}

TEST_F(GPVariantTest, StreamRoundTrip) {
    auto variants = RoundTripVariants();
    variants.push_back(IntArray({7, 8, 9}, 2));
    for (const auto& stored : variants) {
        SCOPED_TRACE(stored.vt);
        auto value = NewVariant(&stored);
        auto stream = NewStream();
        ASSERT_EQ(QueryAs<IPersistStream>(value.Get())->Save(stream.Get(), 1), S_OK);
        EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->IsDirty(), S_FALSE);
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        auto read = NewVariant();
        ASSERT_EQ(QueryAs<IPersistStream>(read.Get())->Load(stream.Get()), S_OK);
        EXPECT_EQ(Stored(read.Get()).vt, stored.vt);
        EXPECT_TRUE(Equal(read.Get(), value.Get()));
        EXPECT_EQ(QueryAs<IPersistStream>(read.Get())->IsDirty(), S_FALSE);
    }
    // An empty value reads back empty.
    auto stream = NewStream();
    ASSERT_EQ(QueryAs<IPersistStream>(NewVariant().Get())->Save(stream.Get(), 0), S_OK);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    Variant five = Variant::Int(5);
    auto read = NewVariant(&five);
    ASSERT_EQ(QueryAs<IPersistStream>(read.Get())->Load(stream.Get()), S_OK);
    EXPECT_TRUE(IsEmpty(read.Get()));
}

TEST_F(GPVariantTest, StreamVersions) {
    struct Case {
        uint16_t version;
        bool truncated;
        HRESULT hr;
    };
    const Case cases[] = {{0, false, S_OK}, {1, false, S_OK}, {2, false, E_FAIL}, {1, true, E_FAIL}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        auto stream = NewStream();
        AfStreamWrite(stream.Get(), c.version);
        AfStreamWrite(stream.Get(), int16_t{VARIANT_FALSE});
        AfStreamWrite(stream.Get(), uint16_t{VT_I4});
        if (!c.truncated)
            AfStreamWrite(stream.Get(), int32_t{77});
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        auto value = NewVariant();
        EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->Load(stream.Get()), c.hr);
        if (c.hr == S_OK) {
            int32_t number = 0;
            QueryAs<IGPLong>(value.Get())->get_Value(&number);
            EXPECT_EQ(number, 77);
        }
    }
    auto value = NewVariant();
    EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->Save(nullptr, 1), E_POINTER);
    EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->Load(nullptr), E_POINTER);
}

TEST_F(GPVariantTest, XmlRoundTrip) {
    for (const auto& stored : RoundTripVariants()) {
        SCOPED_TRACE(stored.vt);
        auto value = NewVariant(&stored);
        BStr xml;
        ASSERT_EQ(TaviXmlSerialize(value.Get(), nullptr, xml.Out()), S_OK);
        EXPECT_NE(xml.view().find(u"GPVariant"), std::u16string_view::npos) << ToUtf8(xml.view());
        auto read = NewVariant();
        ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), read.Get()), S_OK) << ToUtf8(xml.view());
        EXPECT_EQ(Stored(read.Get()).vt, stored.vt);
        EXPECT_TRUE(Equal(read.Get(), value.Get()));
    }
    // An empty value writes no "Value" and reads back empty, whatever the reader held.
    BStr xml;
    ASSERT_EQ(TaviXmlSerialize(NewVariant().Get(), nullptr, xml.Out()), S_OK);
    EXPECT_EQ(xml.view().find(u"<Value"), std::u16string_view::npos);
    Variant five = Variant::Int(5);
    auto read = NewVariant(&five);
    ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), read.Get()), S_OK);
    EXPECT_TRUE(IsEmpty(read.Get()));
}

TEST_F(GPVariantTest, XmlReadingWithoutOrWithEmptyValue) {
    // A document that says "not empty" but has no "Value" is refused.
    Variant five = Variant::Int(5);
    BStr xml;
    ASSERT_EQ(TaviXmlSerialize(NewVariant(&five).Get(), nullptr, xml.Out()), S_OK);
    String text = xml.str();
    size_t start = text.find(u"<Value");
    size_t end = text.find(u"</Value>");
    ASSERT_NE(start, String::npos);
    ASSERT_NE(end, String::npos);
    String withoutValue = text.substr(0, start) + text.substr(end + 8);
    auto read = NewVariant();
    EXPECT_EQ(TaviXmlDeserialize(withoutValue.c_str(), read.Get()), E_FAIL);

    // A value element holding an empty variant keeps what the reader held.
    Variant nothing;
    ASSERT_EQ(TaviXmlSerialize(NewVariant(&nothing).Get(), nullptr, xml.Out()), S_OK);
    auto keeper = NewVariant(&five);
    ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), keeper.Get()), S_OK) << ToUtf8(xml.view());
    EXPECT_EQ(Stored(keeper.Get()).vt, VT_I4);
    EXPECT_EQ(AsText(keeper.Get()), u"5");
}

TEST_F(GPVariantTest, DocumentVersions) {
    Variant number = Variant::Double(2.5);
    auto value = NewVariant(&number);
    auto type = Create<IUnknown>(CLSID_GPVariantType);
    for (IUnknown* object : {static_cast<IUnknown*>(value.Get()), type.Get()}) {
        auto support = QueryAs<IDocumentVersionSupport>(object);
        ASSERT_TRUE(support);
        for (auto [version, expected] : {std::pair{1, VARIANT_FALSE}, {2, VARIANT_TRUE}, {370, VARIANT_TRUE}}) {
            VARIANT_BOOL supported = 7;
            EXPECT_EQ(support->IsSupportedAtVersion(version, &supported), S_OK);
            EXPECT_EQ(supported, expected) << version;
        }
        EXPECT_EQ(support->IsSupportedAtVersion(2, nullptr), E_POINTER);
    }
    // The value becomes a string of its text; the type becomes the string type.
    ComPtr<IUnknown> replacement;
    ASSERT_EQ(QueryAs<IDocumentVersionSupport>(value.Get())->ConvertToSupportedObject(1, replacement.Out()), S_OK);
    auto plain = QueryAs<IGPString>(replacement.Get());
    ASSERT_TRUE(plain);
    EXPECT_EQ(AsText(replacement.Get()), u"2.5");
    EXPECT_FALSE(QueryAs<IGPDouble>(replacement.Get()));
    // A null has no text: the string is empty, and there still is one.
    Variant null = Null();
    ASSERT_EQ(QueryAs<IDocumentVersionSupport>(NewVariant(&null).Get())->ConvertToSupportedObject(1, replacement.Out()),
              S_OK);
    ASSERT_TRUE(replacement);
    EXPECT_EQ(AsText(replacement.Get()), u"");

    ASSERT_EQ(QueryAs<IDocumentVersionSupport>(type.Get())->ConvertToSupportedObject(1, replacement.Out()), S_OK);
    auto stringType = QueryAs<IGPDataType>(replacement.Get());
    ASSERT_TRUE(stringType);
    BStr name;
    ASSERT_EQ(stringType->get_Name(name.Out()), S_OK);
    EXPECT_EQ(name.str(), u"GPString");
}

TEST_F(GPVariantTest, InterfacesAnswered) {
    struct Case {
        REFCLSID clsid;
        std::vector<IID> answered;
        std::vector<IID> notAnswered;
    };
    const Case cases[] = {
        {CLSID_GPVariant,
         {IGPVariant::iid, IGPBoolean::iid, IGPString::iid, IGPDate::iid, IGPDouble::iid, IGPLong::iid, IGPValue::iid,
          IXMLSerialize::iid, IClone::iid, IPersistStream::iid, IPersist::iid, IDocumentVersionSupport::iid},
         {IGPDescribe::iid, IGPStringHidden::iid}},
        {CLSID_GPVariantType,
         {IGPVariantType::iid, IGPDataType::iid, IGPBooleanType::iid, IGPStringType::iid, IGPDateType::iid,
          IGPDoubleType::iid, IGPLongType::iid, IClone::iid, IDocumentVersionSupport::iid},
         {IGPType::iid, IGPStringHiddenType::iid}},
        {CLSID_GPType, {IGPDataType::iid, IGPType::iid, IClone::iid}, {IGPVariantType::iid, IGPStringType::iid}},
    };
    for (const auto& c : cases) {
        auto object = Create<IUnknown>(c.clsid);
        for (const IID& iid : c.answered) {
            ComPtr<IUnknown> answer;
            EXPECT_EQ(object->QueryInterface(iid, answer.OutVoid()), S_OK);
        }
        for (const IID& iid : c.notAnswered) {
            ComPtr<IUnknown> answer;
            EXPECT_EQ(object->QueryInterface(iid, answer.OutVoid()), E_NOINTERFACE);
        }
    }
}

TEST_F(GPVariantTest, DataTypeNamesAndValues) {
    struct Case {
        REFCLSID clsid;
        const char16_t* name;
        const char16_t* displayName;
        REFCLSID valueClass;
    };
    const Case cases[] = {
        {CLSID_GPVariantType, u"GPVariant", u"Variant", CLSID_GPVariant},
        {CLSID_GPType, u"GPType", u"Any value", CLSID_GPString},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.name));
        auto type = Create<IGPDataType>(c.clsid);
        BStr text;
        ASSERT_EQ(type->get_Name(text.Out()), S_OK);
        EXPECT_EQ(text.str(), c.name);
        ASSERT_EQ(type->get_DisplayName(text.Out()), S_OK);
        EXPECT_EQ(text.str(), c.displayName);
        ComPtr<IGPValue> value;
        ASSERT_EQ(type->CreateValue(u"some text", value.Out()), S_OK);
        CLSID made = GUID_NULL;
        ASSERT_EQ(QueryAs<IPersistStream>(value.Get())->GetClassID(&made), S_OK);
        EXPECT_EQ(made, c.valueClass);
        EXPECT_EQ(AsText(value.Get()), u"some text");
        ASSERT_EQ(type->CreateValue(u"", value.Out()), S_OK);
        EXPECT_TRUE(IsEmpty(value.Get()));
        ComPtr<IGPDataType> back;
        ASSERT_EQ(value->get_DataType(back.Out()), S_OK); // the value names its type again (GPType's is the string's)
    }
}

// A domain that refuses everything and remembers what it was asked about.
class RefusingDomain final : public Object<RefusingDomain, IGPDomain> {
public:
    HRESULT MemberOf(IGPValue* value, IGPMessage** message) override {
        asked = ComPtr<IGPValue>(value);
        HRESULT hr = MakeInvalidValueMessage(value, message);
        return FAILED(hr) ? hr : S_FALSE;
    }
    ComPtr<IGPValue> asked;
};

TEST_F(GPVariantTest, VariantTypeValidatesScalarTypes) {
    struct Case {
        REFCLSID other;
        bool accepted;
        const char* reason;
    };
    const Case cases[] = {
        {CLSID_GPStringType, true, "string marker"},
        {CLSID_GPBooleanType, true, "boolean marker"},
        {CLSID_GPLongType, true, "long marker"},
        {CLSID_GPDateType, true, "date marker"},
        {CLSID_GPDoubleType, true, "the double type passes through IGPVariantType"},
        {CLSID_GPStringHiddenType, true, "a hidden string can be held in a variant"},
        {CLSID_GPVariantType, true, "itself"},
        {CLSID_GPType, false, "any value is more than a variant holds"},
    };
    auto type = Create<IGPDataType>(CLSID_GPVariantType);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto other = Create<IGPDataType>(c.other);
        ASSERT_TRUE(other);
        ComPtr<IGPMessage> message;
        ASSERT_EQ(type->ValidateDataType(other.Get(), message.Out()), S_OK);
        ASSERT_TRUE(message);
        EXPECT_EQ(IsErrorMessage(message.Get()), !c.accepted);
    }
    ComPtr<IGPMessage> message;
    EXPECT_EQ(type->ValidateDataType(nullptr, message.Out()), E_POINTER);
    EXPECT_EQ(type->ValidateDataType(type.Get(), nullptr), E_POINTER);
    // The variant type passes any check that asks for a scalar type.
    auto stringType = Create<IGPDataType>(CLSID_GPStringType);
    ASSERT_EQ(stringType->ValidateDataType(type.Get(), message.Out()), S_OK);
    EXPECT_FALSE(IsErrorMessage(message.Get()));
}

TEST_F(GPVariantTest, VariantTypeValidatesScalarValues) {
    struct Case {
        REFCLSID valueClass;
        bool accepted;
    };
    const Case cases[] = {
        {CLSID_GPVariant, true},      {CLSID_GPString, true},           {CLSID_GPLong, true},
        {CLSID_GPDouble, true},       {CLSID_GPBoolean, true},          {CLSID_GPDate, true},
        {CLSID_GPStringHidden, true}, {CLSID_GPEncryptedString, false}, // a protected text has no scalar face
    };
    auto type = Create<IGPDataType>(CLSID_GPVariantType);
    for (const auto& c : cases) {
        auto value = Create<IGPValue>(c.valueClass);
        ASSERT_TRUE(value);
        ComPtr<IGPMessage> message;
        ASSERT_EQ(type->ValidateValue(value.Get(), nullptr, message.Out()), S_OK);
        EXPECT_EQ(IsErrorMessage(message.Get()), !c.accepted) << ToUtf8(AsText(value.Get()));
    }
    // With a domain, the domain decides an accepted value; a refused value never reaches it.
    auto domain = MakeObject<RefusingDomain>();
    auto value = Create<IGPValue>(CLSID_GPVariant);
    ComPtr<IGPMessage> message;
    EXPECT_EQ(type->ValidateValue(value.Get(), domain.Get(), message.Out()), S_FALSE);
    EXPECT_TRUE(IsErrorMessage(message.Get()));
    EXPECT_TRUE(SameObject(domain->asked.Get(), value.Get()));
    domain->asked.Reset();
    ASSERT_EQ(type->ValidateValue(Create<IGPValue>(CLSID_GPEncryptedString).Get(), domain.Get(), message.Out()), S_OK);
    EXPECT_TRUE(IsErrorMessage(message.Get()));
    EXPECT_FALSE(domain->asked);
    EXPECT_EQ(type->ValidateValue(nullptr, nullptr, message.Out()), E_POINTER);
}

TEST_F(GPVariantTest, AnyValueTypeAcceptsEverything) {
    auto type = Create<IGPDataType>(CLSID_GPType);
    for (const CLSID& other : {CLSID_GPVariantType, CLSID_GPStringType, CLSID_GPType, CLSID_GPEncryptedStringType}) {
        ComPtr<IGPMessage> message;
        ASSERT_EQ(type->ValidateDataType(Create<IGPDataType>(other).Get(), message.Out()), S_OK);
        EXPECT_FALSE(IsErrorMessage(message.Get()));
    }
    for (const CLSID& valueClass : {CLSID_GPVariant, CLSID_GPEncryptedString, CLSID_GPLong}) {
        ComPtr<IGPMessage> message;
        ASSERT_EQ(type->ValidateValue(Create<IGPValue>(valueClass).Get(), nullptr, message.Out()), S_OK);
        EXPECT_FALSE(IsErrorMessage(message.Get()));
    }
}

} // namespace
} // namespace tavi::test
