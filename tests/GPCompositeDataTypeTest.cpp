// The composite data type: the member that understands a text makes the value, validation speaks through the member
// that accepts (or the complaints of those whose type matched), the display name joins the members', and the name
// keeps the members in its stream and XML forms.
#include "TestSupport.h"

#include "host/CreateInstance.h"
#include "host/String.h"
#include "tavi/GPComposite.h"
#include "tavi/GPMessage.h"
#include "tavi/GPScalar.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

namespace tavi::test {
namespace {

class GPCompositeDataTypeTest : public ModuleClassesTest {
protected:
    static ComPtr<IGPDataType> TypeNamed(const char16_t* name) {
        auto factory = Create<IGPDataTypeFactory>(CLSID_GPDataTypeFactory);
        ComPtr<IGPDataType> type;
        EXPECT_EQ(factory->GetDataType(name, type.Out()), S_OK);
        return type;
    }
    static ComPtr<IGPDataType> CompositeOf(std::initializer_list<const char16_t*> members) {
        auto composite = Create<IGPCompositeDataType>(CLSID_GPCompositeDataType);
        for (const char16_t* member : members)
            EXPECT_EQ(composite->AddDataType(TypeNamed(member).Get()), S_OK);
        return QueryAs<IGPDataType>(composite.Get());
    }
    static String ClassOf(IUnknown* value) {
        CLSID classId{};
        QueryAs<IPersistStream>(value)->GetClassID(&classId);
        return classId == CLSID_GPLong ? u"GPLong" : classId == CLSID_GPString ? u"GPString" : u"other";
    }
    static String Text(IUnknown* object, HRESULT (IGPDataType::*get)(BSTR*)) {
        BStr text;
        (QueryAs<IGPDataType>(object).Get()->*get)(text.Out());
        return text.str();
    }
    static int32_t Count(IGPMessage* message) {
        int32_t count = -1;
        if (auto list = QueryAs<IGPMessages>(message))
            list->get_Count(&count);
        return count;
    }
};

TEST_F(GPCompositeDataTypeTest, TheMemberThatUnderstandsTheTextMakesTheValue) {
    struct Case {
        std::initializer_list<const char16_t*> members;
        const char16_t* text;
        const char16_t* made; // the class of the value, or nullptr for none
    };
    const Case cases[] = {
        {{u"GPString", u"GPLong"}, u"42", u"GPLong"},    // a string's value is only the fallback
        {{u"GPString", u"GPLong"}, u"abc", u"GPString"}, // no other member reads it: the fallback
        {{u"GPLong", u"GPString"}, u"abc", u"GPString"}, {{u"GPString"}, u"x", u"GPString"}, {{}, u"x", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        ComPtr<IGPValue> value;
        EXPECT_EQ(CompositeOf(c.members)->CreateValue(c.text, value.Out()), S_OK);
        if (c.made)
            EXPECT_EQ(ClassOf(value.Get()), c.made);
        else
            EXPECT_FALSE(value);
    }
}

TEST_F(GPCompositeDataTypeTest, ValidationSpeaksThroughTheMemberThatAccepts) {
    auto composite = CompositeOf({u"GPLong", u"GPString"});
    auto text = Create<IGPValue>(CLSID_GPString);
    ComPtr<IGPMessage> message;
    ASSERT_EQ(composite->ValidateValue(text.Get(), nullptr, message.Out()), S_OK);
    EXPECT_EQ(Count(message.Get()), -1); // the accepting member's own message, no list
    VARIANT_BOOL good = VARIANT_FALSE;
    message->IsGood(&good);
    EXPECT_TRUE(good);
    // A double is neither: no member takes its type, so every member's complaint is kept.
    auto number = Create<IGPValue>(CLSID_GPDouble);
    ASSERT_EQ(composite->ValidateValue(number.Get(), nullptr, message.Out()), S_OK);
    EXPECT_EQ(Count(message.Get()), 2);
    // Another composite of another member count.
    ASSERT_EQ(composite->ValidateDataType(CompositeOf({u"GPLong"}).Get(), message.Out()), S_FALSE);
    int32_t code = 0;
    message->get_ErrorCode(&code);
    EXPECT_EQ(code, 1);
    ASSERT_EQ(composite->ValidateDataType(TypeNamed(u"GPString").Get(), message.Out()), S_OK);
    message->IsGood(&good);
    EXPECT_TRUE(good);
}

TEST_F(GPCompositeDataTypeTest, NamesAndControl) {
    EXPECT_EQ(Text(CompositeOf({}).Get(), &IGPDataType::get_DisplayName), u"Composite");
    EXPECT_EQ(Text(CompositeOf({u"GPLong", u"GPDouble"}).Get(), &IGPDataType::get_DisplayName), u"Long or Double");
    EXPECT_EQ(Text(CompositeOf({}).Get(), &IGPDataType::get_Name), u"GPComposite");
    ComPtr<IUID> control;
    EXPECT_EQ(CompositeOf({})->get_ControlCLSID(control.Out()), S_OK);
    EXPECT_FALSE(control);
    auto composite = QueryAs<IGPCompositeDataType>(CompositeOf({u"GPLong"}).Get());
    ComPtr<IGPDataType> none;
    EXPECT_EQ(composite->get_DataType(5, none.Out()), S_OK);
    EXPECT_FALSE(none);
    EXPECT_EQ(composite->RemoveDataType(5), E_FAIL);
    EXPECT_EQ(composite->AddDataType(nullptr), E_POINTER);
}

TEST_F(GPCompositeDataTypeTest, TheNameKeepsTheMembersThroughStreamAndXml) {
    auto composite = CompositeOf({u"GPLong", u"GPString"});
    ComPtr<IName> name;
    ASSERT_EQ(composite->get_FullName(name.Out()), S_OK);
    BStr nameText;
    QueryAs<IGPName>(name.Get())->get_Name(nameText.Out());
    EXPECT_EQ(nameText.view(), u"GPCompositeTypeName");

    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnMemory(nullptr, 0, 0, stream.Out()), S_OK);
    ASSERT_EQ(QueryAs<IPersistStream>(name.Get())->Save(stream.Get(), 1), S_OK);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    auto loaded = Create<IPersistStream>(CLSID_GPCompositeDataTypeName);
    ASSERT_EQ(loaded->Load(stream.Get()), S_OK);
    BStr xml;
    ASSERT_EQ(TaviXmlSerialize(loaded.Get(), nullptr, xml.Out()), S_OK);
    auto fromXml = Create<IName>(CLSID_GPCompositeDataTypeName);
    ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), fromXml.Get()), S_OK);
    ComPtr<IUnknown> opened;
    ASSERT_EQ(fromXml->Open(opened.Out()), S_OK);
    VARIANT_BOOL equal = VARIANT_FALSE;
    QueryAs<IClone>(opened.Get())->IsEqual(QueryAs<IClone>(composite.Get()).Get(), &equal);
    EXPECT_TRUE(equal);

    // A copy holds the same members; assigning replaces them.
    ComPtr<IClone> copy;
    ASSERT_EQ(QueryAs<IClone>(composite.Get())->Clone(copy.Out()), S_OK);
    ASSERT_EQ(copy->Assign(QueryAs<IClone>(CompositeOf({u"GPDouble"}).Get()).Get()), S_OK);
    int32_t count = 0;
    QueryAs<IGPCompositeDataType>(copy.Get())->get_Count(&count);
    EXPECT_EQ(count, 1);
}

} // namespace
} // namespace tavi::test
