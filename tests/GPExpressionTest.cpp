// The expression values (SQL, calculator, INFO): any text kept exactly, the variant form, their data types' checks
// and the expression builder's description, and the stream and XML forms under each class's own name.
#include "TestSupport.h"

#include "host/CreateInstance.h"
#include "host/String.h"
#include "tavi/GPExpressions.h"
#include "tavi/GPMessage.h"
#include "tavi/GPScalar.h"
#include "tavi/GPUnits.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

namespace tavi::test {
namespace {

struct Kind {
    CLSID value;
    CLSID type;
    const char16_t* name;
};
const Kind kKinds[] = {{CLSID_GPSQLExpression, CLSID_GPSQLExpressionType, u"GPSQLExpression"},
                       {CLSID_GPCalculatorExpression, CLSID_GPCalculatorExpressionType, u"GPCalculatorExpression"},
                       {CLSID_GPINFOExpression, CLSID_GPINFOExpressionType, u"GPINFOExpression"}};

class GPExpressionTest : public ModuleClassesTest {
protected:
    static String Text(IGPValue* value) {
        BStr text;
        EXPECT_EQ(value->GetAsText(text.Out()), S_OK);
        return text.str();
    }
    static bool IsError(IGPMessage* message) {
        VARIANT_BOOL error = VARIANT_FALSE;
        message->IsError(&error);
        return error != VARIANT_FALSE;
    }
};

TEST_F(GPExpressionTest, AnyTextIsKeptExactly) {
    const char16_t* texts[] = {u"\"NAME\" = 'O''Brien'; DROP", u"  [a] + !b! ", u"x;y;'z w'", u"#", u""};
    for (const Kind& kind : kKinds) {
        for (const char16_t* text : texts) {
            SCOPED_TRACE(ToUtf8(kind.name) + " " + ToUtf8(text));
            auto value = Create<IGPValue>(kind.value);
            ComPtr<IGPMessage> message;
            ASSERT_EQ(value->SetAsText(text, message.Out()), S_OK);
            EXPECT_FALSE(IsError(message.Get()));
            EXPECT_EQ(Text(value.Get()), text);
            VARIANT_BOOL empty = VARIANT_FALSE;
            value->IsEmpty(&empty);
            EXPECT_EQ(empty != VARIANT_FALSE, *text == 0);
        }
        // Texts compare exactly: an expression's literals keep their letter case.
        auto a = Create<IGPString>(kind.value);
        auto b = Create<IGPString>(kind.value);
        a->put_Value(u"NAME = 'A'");
        b->put_Value(u"NAME = 'a'");
        VARIANT_BOOL equal = VARIANT_TRUE;
        QueryAs<IClone>(a.Get())->IsEqual(QueryAs<IClone>(b.Get()).Get(), &equal);
        EXPECT_FALSE(equal);
    }
}

TEST_F(GPExpressionTest, DatesOutsideTheRangeAreAQuestionMark) {
    for (const Kind& kind : kKinds) {
        auto value = Create<IGPVariant>(kind.value);
        VARIANT date{};
        date.vt = VT_DATE;
        date.date = 2958466.0;
        ASSERT_EQ(value->put_Value(date), S_OK);
        EXPECT_EQ(Text(QueryAs<IGPValue>(value.Get()).Get()), u"<?>");
        date.date = 2.0; // 1 January 1900, midnight
        ASSERT_EQ(value->put_Value(date), S_OK);
        EXPECT_EQ(Text(QueryAs<IGPValue>(value.Get()).Get()), u"1/1/1900");
    }
}

TEST_F(GPExpressionTest, TypesAcceptTheirKindAndStrings) {
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(ToUtf8(kind.name));
        auto type = Create<IGPDataType>(kind.type);
        BStr name;
        type->get_Name(name.Out());
        EXPECT_EQ(name.view(), kind.name);
        ComPtr<IGPMessage> message;
        auto longType = Create<IGPDataType>(CLSID_GPLongType);
        ASSERT_EQ(type->ValidateDataType(longType.Get(), message.Out()), S_OK);
        EXPECT_TRUE(IsError(message.Get()));
        for (const Kind& other : kKinds) {
            auto otherType = Create<IGPDataType>(other.type);
            ASSERT_EQ(type->ValidateDataType(otherType.Get(), message.Out()), S_OK);
            EXPECT_FALSE(IsError(message.Get())); // every expression type is a string type too
            auto value = Create<IGPValue>(other.value);
            ASSERT_EQ(type->ValidateValue(value.Get(), nullptr, message.Out()), S_OK);
            EXPECT_EQ(IsError(message.Get()), &other != &kind);
        }
        auto stringType = Create<IGPDataType>(CLSID_GPStringType);
        ASSERT_EQ(type->ValidateDataType(stringType.Get(), message.Out()), S_OK);
        EXPECT_FALSE(IsError(message.Get()));
        auto plain = Create<IGPValue>(CLSID_GPString);
        ASSERT_EQ(type->ValidateValue(plain.Get(), nullptr, message.Out()), S_OK);
        EXPECT_TRUE(IsError(message.Get())); // a string value is no expression

        ComPtr<IGPValue> made;
        ASSERT_EQ(type->CreateValue(u"a > 1", made.Out()), S_OK);
        EXPECT_EQ(Text(made.Get()), u"a > 1");
        auto support = QueryAs<IGPValueUISupport>(type.Get());
        EXPECT_EQ(static_cast<bool>(support), kind.value != CLSID_GPINFOExpression);
        if (support) {
            BStr source;
            ASSERT_EQ(support->GetValueSupport(made.Get(), source.Out()), S_OK);
            EXPECT_EQ(source.view(), u"<source><item empty='true'/></source>");
        }
    }
}

TEST_F(GPExpressionTest, StreamAndXmlKeepTheTextUnderTheClassName) {
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(ToUtf8(kind.name));
        auto value = Create<IGPValue>(kind.value);
        ComPtr<IGPMessage> message;
        value->SetAsText(u"\"A\" <> 'b;c'", message.Out());
        ComPtr<IStream> stream;
        ASSERT_EQ(CreateStreamOnMemory(nullptr, 0, 0, stream.Out()), S_OK);
        ASSERT_EQ(QueryAs<IPersistStream>(value.Get())->Save(stream.Get(), 1), S_OK);
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        auto loaded = Create<IGPValue>(kind.value);
        ASSERT_EQ(QueryAs<IPersistStream>(loaded.Get())->Load(stream.Get()), S_OK);
        EXPECT_EQ(Text(loaded.Get()), u"\"A\" <> 'b;c'");

        BStr xml;
        ASSERT_EQ(TaviXmlSerialize(value.Get(), nullptr, xml.Out()), S_OK);
        EXPECT_NE(xml.view().find(String(u"typens:") + kind.name), std::u16string_view::npos);
        auto fromXml = Create<IGPValue>(kind.value);
        ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), fromXml.Get()), S_OK);
        EXPECT_EQ(Text(fromXml.Get()), u"\"A\" <> 'b;c'");

        // A stream of version 2 is refused.
        ComPtr<IStream> later;
        CreateStreamOnMemory(nullptr, 0, 0, later.Out());
        uint16_t version = 2;
        later->Write(&version, sizeof version, nullptr);
        later->Seek(0, STREAM_SEEK_SET, nullptr);
        EXPECT_EQ(QueryAs<IPersistStream>(loaded.Get())->Load(later.Get()), E_FAIL);
    }
}

} // namespace
} // namespace tavi::test
