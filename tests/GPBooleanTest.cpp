// The boolean value: its keywords, the value kept as put, the variant form, equality, and the stream and XML forms.
#include "TestSupport.h"

#include "host/CreateInstance.h"
#include "host/DocumentVersion.h"
#include "host/StreamIO.h"
#include "platform/Locale.h"
#include "tavi/Entry.h"
#include "tavi/GPMessage.h"
#include "tavi/GPScalar.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

namespace tavi::test {
namespace {

class GPBooleanTest : public ModuleClassesTest {
protected:
    static ComPtr<IGPBoolean> NewBoolean() {
        ComPtr<IGPBoolean> made;
        EXPECT_EQ(AfCreateInstance(CLSID_GPBoolean, nullptr, CLSCTX_INPROC_SERVER, IGPBoolean::iid, made.OutVoid()),
                  S_OK);
        return made;
    }
    static ComPtr<IGPBoolean> NewBoolean(VARIANT_BOOL value) {
        auto made = NewBoolean();
        EXPECT_EQ(made->put_Value(value), S_OK);
        return made;
    }
};

VARIANT_BOOL ValueOf(IGPBoolean* value) {
    VARIANT_BOOL out = 7;
    EXPECT_EQ(value->get_Value(&out), S_OK);
    return out;
}
String AsText(IUnknown* value) {
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
    VARIANT_BOOL equal = VARIANT_TRUE;
    EXPECT_EQ(QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal), S_OK);
    return equal != VARIANT_FALSE;
}

TEST_F(GPBooleanTest, Keywords) {
    struct Case {
        const char16_t* text;
        HRESULT hr;
        VARIANT_BOOL value; // after starting from a value put as 1
        bool empty;
    };
    const Case cases[] = {
        {u"true", S_OK, VARIANT_TRUE, false},
        {u"TRUE", S_OK, VARIANT_TRUE, false},
        {u"tRuE", S_OK, VARIANT_TRUE, false},
        {u"1", S_OK, VARIANT_TRUE, false},
        {u"False", S_OK, VARIANT_FALSE, false},
        {u"0", S_OK, VARIANT_FALSE, false},
        {u"", S_OK, VARIANT_FALSE, true},
        {nullptr, S_OK, VARIANT_FALSE, true},
        // Everything else is refused and changes nothing.
        {u" true", E_FAIL, 1, false},
        {u"false ", E_FAIL, 1, false},
        {u"yes", E_FAIL, 1, false},
        {u"-1", E_FAIL, 1, false},
        {u"01", E_FAIL, 1, false},
        {u"fal\u017Fe", E_FAIL, 1, false}, // long s folds to s, not here
        {u"Wahr", E_FAIL, 1, false},
    };
    for (LCID lcid : {1033, 1031}) {
        locale::SetUserDefaultLocaleForTesting(lcid);
        for (const auto& c : cases) {
            SCOPED_TRACE(std::to_string(lcid) + " " + (c.text ? ToUtf8(c.text) : "null"));
            auto value = NewBoolean(1);
            ComPtr<IGPMessage> message;
            EXPECT_EQ(QueryAs<IGPValue>(value.Get())->SetAsText(c.text, message.Out()), c.hr);
            // A read text gives a message that is not an error; a refused one hands out none.
            ASSERT_EQ(message != nullptr, c.hr == S_OK);
            if (message) {
                VARIANT_BOOL error = VARIANT_TRUE;
                message->IsError(&error);
                EXPECT_EQ(error, VARIANT_FALSE);
            }
            EXPECT_EQ(ValueOf(value.Get()), c.value);
            EXPECT_EQ(IsEmpty(value.Get()), c.empty);
        }
    }
    EXPECT_EQ(QueryAs<IGPValue>(NewBoolean().Get())->SetAsText(u"true", nullptr), E_POINTER);
}

TEST_F(GPBooleanTest, TextForm) {
    struct Case {
        bool set;
        VARIANT_BOOL value;
        const char16_t* text;
    };
    const Case cases[] = {
        {false, 0, u""}, {true, VARIANT_TRUE, u"true"}, {true, 1, u"true"}, {true, VARIANT_FALSE, u"false"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        auto value = c.set ? NewBoolean(c.value) : NewBoolean();
        EXPECT_EQ(AsText(value.Get()), c.text);
    }
    // Empty puts the value back to false and empty.
    auto value = NewBoolean(VARIANT_TRUE);
    EXPECT_EQ(QueryAs<IGPValue>(value.Get())->Empty(), S_OK);
    EXPECT_TRUE(IsEmpty(value.Get()));
    EXPECT_EQ(ValueOf(value.Get()), VARIANT_FALSE);
}

TEST_F(GPBooleanTest, ValueKeptAsPutAndVariantNormalized) {
    auto one = NewBoolean(1);
    EXPECT_EQ(ValueOf(one.Get()), 1);
    EXPECT_FALSE(IsEmpty(one.Get()));
    Variant v;
    ASSERT_EQ(QueryAs<IGPVariant>(one.Get())->get_Value(v.Out()), S_OK);
    EXPECT_EQ(v.vt, VT_BOOL);
    EXPECT_EQ(v.boolVal, VARIANT_TRUE);
    // 1 and -1 are both true but different values.
    EXPECT_FALSE(Equal(one.Get(), NewBoolean(VARIANT_TRUE).Get()));
    EXPECT_TRUE(Equal(NewBoolean(VARIANT_TRUE).Get(), NewBoolean(VARIANT_TRUE).Get()));
    EXPECT_FALSE(Equal(NewBoolean().Get(), NewBoolean(VARIANT_FALSE).Get())); // empty differs from a set false

    struct Case {
        Variant in;
        HRESULT hr;
        VARIANT_BOOL value;
    };
    Variant null;
    null.vt = VT_NULL;
    const Case cases[] = {
        {Variant::Int(5), S_OK, VARIANT_TRUE},     {Variant::Double(0), S_OK, VARIANT_FALSE},
        {Variant::Bool(true), S_OK, VARIANT_TRUE}, {null, E_FAIL, 1},
        {Variant::Text(u"maybe"), E_FAIL, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in.vt);
        auto value = NewBoolean(1);
        EXPECT_EQ(QueryAs<IGPVariant>(value.Get())->put_Value(c.in), c.hr);
        EXPECT_EQ(ValueOf(value.Get()), c.value);
    }
}

TEST_F(GPBooleanTest, CloneAndAssign) {
    auto one = NewBoolean(1);
    ComPtr<IClone> clone;
    ASSERT_EQ(QueryAs<IClone>(one.Get())->Clone(clone.Out()), S_OK);
    EXPECT_EQ(ValueOf(QueryAs<IGPBoolean>(clone.Get()).Get()), 1);
    EXPECT_TRUE(Equal(clone.Get(), one.Get()));

    auto target = NewBoolean(VARIANT_TRUE);
    EXPECT_EQ(QueryAs<IClone>(target.Get())->Assign(QueryAs<IClone>(NewBoolean().Get()).Get()), S_OK);
    EXPECT_TRUE(IsEmpty(target.Get()));

    ComPtr<IClone> number;
    ASSERT_EQ(AfCreateInstance(CLSID_GPLong, nullptr, CLSCTX_INPROC_SERVER, IClone::iid, number.OutVoid()), S_OK);
    EXPECT_EQ(QueryAs<IClone>(one.Get())->Assign(number.Get()), E_INVALIDARG);
    EXPECT_FALSE(Equal(one.Get(), number.Get()));
}

TEST_F(GPBooleanTest, StreamForm) {
    for (bool set : {false, true}) {
        for (VARIANT_BOOL stored : {VARIANT_TRUE, VARIANT_FALSE, VARIANT_BOOL{1}}) {
            SCOPED_TRACE(std::to_string(set) + " " + std::to_string(stored));
            auto value = set ? NewBoolean(stored) : NewBoolean();
            ComPtr<IStream> stream;
            ASSERT_EQ(CreateStreamOnMemory(nullptr, 0, docversion::kCurrent, stream.Out()), S_OK);
            ASSERT_EQ(QueryAs<IPersistStream>(value.Get())->Save(stream.Get(), 1), S_OK);
            EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->IsDirty(), S_FALSE);
            stream->Seek(0, STREAM_SEEK_SET, nullptr);
            auto read = NewBoolean();
            ASSERT_EQ(QueryAs<IPersistStream>(read.Get())->Load(stream.Get()), S_OK);
            EXPECT_TRUE(Equal(read.Get(), value.Get())); // the 16 bits are kept as they were
            EXPECT_EQ(IsEmpty(read.Get()), !set);
        }
    }
    // Versions 0 and 1 read; a newer one, or a stream cut short, is refused.
    struct Case {
        uint16_t version;
        bool truncated;
        HRESULT hr;
    };
    for (const auto& c : {Case{0, false, S_OK}, Case{1, false, S_OK}, Case{2, false, E_FAIL}, Case{1, true, E_FAIL}}) {
        SCOPED_TRACE(c.version);
        ComPtr<IStream> stream;
        ASSERT_EQ(CreateStreamOnMemory(nullptr, 0, docversion::kCurrent, stream.Out()), S_OK);
        AfStreamWrite(stream.Get(), c.version);
        AfStreamWrite(stream.Get(), int16_t{VARIANT_FALSE});
        if (!c.truncated)
            AfStreamWrite(stream.Get(), int16_t{VARIANT_TRUE});
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        auto value = NewBoolean();
        EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->Load(stream.Get()), c.hr);
        if (c.hr == S_OK) {
            EXPECT_EQ(ValueOf(value.Get()), VARIANT_TRUE);
        }
    }
}

TEST_F(GPBooleanTest, XmlForm) {
    for (bool set : {false, true}) {
        for (VARIANT_BOOL stored : {VARIANT_TRUE, VARIANT_FALSE}) {
            SCOPED_TRACE(std::to_string(set) + " " + std::to_string(stored));
            auto value = set ? NewBoolean(stored) : NewBoolean();
            BStr xml;
            ASSERT_EQ(TaviXmlSerialize(value.Get(), nullptr, xml.Out()), S_OK);
            EXPECT_NE(xml.view().find(u"GPBoolean"), std::u16string_view::npos);
            EXPECT_EQ(xml.view().find(u"<Value") != std::u16string_view::npos, set) << ToUtf8(xml.view());
            auto read = NewBoolean(1);
            ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), read.Get()), S_OK);
            EXPECT_TRUE(Equal(read.Get(), value.Get()));
        }
    }
    // A document that says "not empty" but has no readable "Value" is refused.
    BStr xml;
    ASSERT_EQ(TaviXmlSerialize(NewBoolean(VARIANT_TRUE).Get(), nullptr, xml.Out()), S_OK);
    String text = xml.str();
    auto at = text.find(u">true<");
    ASSERT_NE(at, String::npos);
    text.replace(at, 6, u">maybe<");
    EXPECT_EQ(TaviXmlDeserialize(text.c_str(), NewBoolean().Get()), E_FAIL);
}

TEST_F(GPBooleanTest, InterfacesAnswered) {
    auto value = NewBoolean();
    for (const IID& iid : {IGPBoolean::iid, IGPVariant::iid, IGPValue::iid, IXMLSerialize::iid, IClone::iid,
                           IPersistStream::iid, IPersist::iid}) {
        ComPtr<IUnknown> answered;
        EXPECT_EQ(value->QueryInterface(iid, answered.OutVoid()), S_OK);
    }
    ComPtr<IGPDataType> type;
    ASSERT_EQ(QueryAs<IGPValue>(value.Get())->get_DataType(type.Out()), S_OK);
    EXPECT_TRUE(QueryAs<IGPBooleanType>(type.Get()));
}

} // namespace
} // namespace tavi::test
