// The multi-value, its data type and its name: the list's text both ways through the member type, the list and
// one-column table operations, validation with the composite message, the data element setting kept, and the stream
// and XML forms.
#include "TestSupport.h"

#include "host/CreateInstance.h"
#include "host/ModelVariables.h"
#include "host/String.h"
#include "tavi/GPComposite.h"
#include "tavi/GPMessage.h"
#include "tavi/GPScalar.h"
#include "tavi/GPUnits.h"
#include "tavi/GPUtilities.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

#include <random>
#include <vector>

namespace tavi::test {
namespace {

class GPMultiValueTest : public ModuleClassesTest {
protected:
    static ComPtr<IGPDataType> TypeNamed(const char16_t* name) {
        auto factory = Create<IGPDataTypeFactory>(CLSID_GPDataTypeFactory);
        ComPtr<IGPDataType> type;
        EXPECT_EQ(factory->GetDataType(name, type.Out()), S_OK);
        return type;
    }
    static ComPtr<IGPMultiValue> ListOf(const char16_t* memberType) {
        auto list = Create<IGPMultiValue>(CLSID_GPMultiValue);
        EXPECT_EQ(list->putref_MemberDataType(TypeNamed(memberType).Get()), S_OK);
        return list;
    }
    // SetAsText's result; the message's code in *code.
    static HRESULT Read(IGPMultiValue* list, const char16_t* text, int32_t* code = nullptr) {
        ComPtr<IGPMessage> message;
        HRESULT hr = QueryAs<IGPValue>(list)->SetAsText(text, message.Out());
        EXPECT_TRUE(message);
        if (code && message)
            message->get_ErrorCode(code);
        return hr;
    }
    static String Text(IUnknown* value) {
        BStr text;
        EXPECT_EQ(QueryAs<IGPValue>(value)->GetAsText(text.Out()), S_OK);
        return text.str();
    }
    static std::vector<String> Members(IGPMultiValue* list) {
        int32_t count = 0;
        list->get_Count(&count);
        std::vector<String> texts;
        for (int32_t i = 0; i < count; ++i) {
            ComPtr<IGPValue> member;
            EXPECT_EQ(list->get_Value(i, member.Out()), S_OK);
            texts.push_back(Text(member.Get()));
        }
        return texts;
    }
    static bool Equal(IUnknown* a, IUnknown* b) {
        VARIANT_BOOL equal = VARIANT_FALSE;
        EXPECT_EQ(QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal), S_OK);
        return equal != VARIANT_FALSE;
    }
};

TEST_F(GPMultiValueTest, TextReadsIntoMembersAndBack) {
    struct Case {
        const char16_t* text;
        std::vector<String> members;
        const char16_t* written;
    };
    const Case cases[] = {
        {u"#", {}, u""},
        {u"#a;b", {}, u""},
        {u"a;;b;", {u"a", u"b"}, u"a;b"},
        {u"(a;b)", {u"a", u"b"}, u"a;b"},
        {u"  'x;y'  ", {u"x;y"}, u"'x;y'"},
        {u"\"'a'\"", {u"'a'"}, u"\"'a'\""},
        {u"\"say \\\"it\\'s\\\"\"", {u"say \"it's\""}, u"\"say \\\"it\\'s\\\"\""},
        {u"C:\\temp\\\\", {u"C:\\temp\\"}, u"C:\\temp\\\\"},
        {u"\"a\\\\\\\\\"", {u"a\\\\"}, u"\"a\\\\\\\\\""}, // two trailing backslashes come back as two
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        auto list = ListOf(u"GPString");
        ASSERT_EQ(Read(list.Get(), c.text), S_OK);
        EXPECT_EQ(Members(list.Get()), c.members);
        EXPECT_EQ(Text(list.Get()), c.written);
    }
}

TEST_F(GPMultiValueTest, EveryListOfMembersReadsBackFromItsText) {
    // String members of any characters; double and linear unit members of random numbers.
    const std::u16string_view alphabet = u"ab ;'\"\\#()\t\u00e9,";
    std::mt19937_64 random(4);
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    for (const char16_t* memberType : {u"GPString", u"GPDouble", u"GPLinearUnit"}) {
        for (int round = 0; round < 300; ++round) {
            auto list = ListOf(memberType);
            ComPtr<IGPDataType> type;
            list->get_MemberDataType(type.Out());
            for (size_t count = 1 + pick(4); count > 0; --count) {
                String text;
                if (String(memberType) == u"GPString")
                    for (size_t length = pick(7); length > 0; --length)
                        text.push_back(alphabet[pick(alphabet.size())]);
                else
                    text = FromUtf8(std::to_string(double(int64_t(random() % 2000001) - 1000000) / 64.0)) +
                           (String(memberType) == u"GPLinearUnit" ? u" feet" : u"");
                ComPtr<IGPValue> member;
                ASSERT_EQ(type->CreateValue(text.c_str(), member.Out()), S_OK);
                list->AddValue(member.Get());
            }
            String written = Text(list.Get());
            SCOPED_TRACE(ToUtf8(written));
            auto again = ListOf(memberType);
            ASSERT_EQ(Read(again.Get(), written.c_str()), S_OK);
            ASSERT_EQ(Members(again.Get()), Members(list.Get()));
            ASSERT_TRUE(Equal(again.Get(), list.Get()));
        }
    }
}

TEST_F(GPMultiValueTest, AMemberThatCannotBeMadeStopsTheReading) {
    auto list = ListOf(u"GPLong");
    int32_t code = 0;
    EXPECT_EQ(Read(list.Get(), u"1;2;x;4", &code), E_FAIL);
    EXPECT_EQ(code, 818);
    EXPECT_EQ(Members(list.Get()), (std::vector<String>{u"1", u"2"}));
    // The data type hands the value out with S_FALSE.
    auto type = Create<IGPMultiValueType>(CLSID_GPMultiValueType);
    type->putref_MemberDataType(TypeNamed(u"GPLong").Get());
    ComPtr<IGPValue> made;
    EXPECT_EQ(QueryAs<IGPDataType>(type.Get())->CreateValue(u"7;zz", made.Out()), S_FALSE);
    EXPECT_EQ(Text(made.Get()), u"7");
    // Without a member type nothing is read and nothing changes.
    auto bare = Create<IGPMultiValue>(CLSID_GPMultiValue);
    EXPECT_EQ(Read(bare.Get(), u"a;b"), S_OK);
    int32_t count = -1;
    bare->get_Count(&count);
    EXPECT_EQ(count, 0);
}

TEST_F(GPMultiValueTest, ReadingKeepsTheDataElementSetting) {
    auto utilities = Create<IDEUtilities>(CLSID_DEUtilities);
    for (VARIANT_BOOL before : {VARIANT_FALSE, VARIANT_TRUE}) {
        utilities->put_Enabled(before);
        auto list = ListOf(u"GPLong");
        Read(list.Get(), u"1;2");
        Read(list.Get(), u"1;x"); // the early return too
        VARIANT_BOOL after = 2;
        utilities->get_Enabled(&after);
        EXPECT_EQ(after, before);
    }
}

TEST_F(GPMultiValueTest, ListAndTableOperations) {
    auto list = ListOf(u"GPString");
    Read(list.Get(), u"a;b;c");
    ComPtr<IGPValue> b;
    list->get_Value(1, b.Out());
    EXPECT_EQ(list->RemoveValue(b.Get()), S_OK);
    EXPECT_EQ(list->RemoveValue(b.Get()), E_FAIL); // no member is that object any more
    EXPECT_EQ(list->InsertValue(0, b.Get()), S_OK);
    EXPECT_EQ(list->AddValue(nullptr), S_OK);
    EXPECT_EQ(Members(list.Get()), (std::vector<String>{u"b", u"a", u"c"}));
    ComPtr<IGPValue> none;
    EXPECT_EQ(list->get_Value(3, none.Out()), E_INVALIDARG);
    EXPECT_EQ(list->Remove(-1), E_INVALIDARG);

    auto table = QueryAs<IGPValueTable>(list.Get());
    int32_t columns = 0, records = 0;
    table->get_DataTypeCount(&columns);
    table->get_RecordCount(&records);
    EXPECT_EQ(columns, 1);
    EXPECT_EQ(records, 3);
    ComPtr<IArray> record;
    ASSERT_EQ(table->GetRecord(2, record.Out()), S_OK);
    EXPECT_EQ(table->AddRecord(record.Get()), S_OK); // element 0 of the record: the member "c"
    EXPECT_EQ(Text(list.Get()), u"b;a;c;c");
    EXPECT_EQ(table->RemoveDataType(0), S_OK);
    table->get_DataTypeCount(&columns);
    EXPECT_EQ(columns, 0);
}

TEST_F(GPMultiValueTest, ValidationCollectsOneMessagePerMember) {
    auto type = Create<IGPMultiValueType>(CLSID_GPMultiValueType);
    auto asType = QueryAs<IGPDataType>(type.Get());
    ComPtr<IGPMessage> message;
    EXPECT_EQ(asType->ValidateValue(nullptr, nullptr, message.Out()), E_FAIL); // no member type
    type->putref_MemberDataType(TypeNamed(u"GPString").Get());
    auto list = ListOf(u"GPString");
    Read(list.Get(), u"x;y;z");
    ASSERT_EQ(asType->ValidateValue(QueryAs<IGPValue>(list.Get()).Get(), nullptr, message.Out()), S_OK);
    int32_t count = 0;
    QueryAs<IGPMessages>(message.Get())->get_Count(&count);
    EXPECT_EQ(count, 3);
    // A value that is no list goes to the member type alone; a long is no string.
    auto number = Create<IGPValue>(CLSID_GPLong);
    ASSERT_EQ(asType->ValidateValue(number.Get(), nullptr, message.Out()), S_OK);
    EXPECT_FALSE(QueryAs<IGPMessages>(message.Get()));
    VARIANT_BOOL error = VARIANT_FALSE;
    message->IsError(&error);
    EXPECT_TRUE(error);
}

TEST_F(GPMultiValueTest, StreamXmlAndTheNameKeepTheListAndItsMemberType) {
    auto list = ListOf(u"GPLinearUnit");
    Read(list.Get(), u"5 meters;'3 feet'");
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnMemory(nullptr, 0, 0, stream.Out()), S_OK);
    ASSERT_EQ(QueryAs<IPersistStream>(list.Get())->Save(stream.Get(), 1), S_OK);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    auto loaded = Create<IGPMultiValue>(CLSID_GPMultiValue);
    ASSERT_EQ(QueryAs<IPersistStream>(loaded.Get())->Load(stream.Get()), S_OK);
    EXPECT_TRUE(Equal(loaded.Get(), list.Get()));
    ComPtr<IGPDataType> memberType;
    loaded->get_MemberDataType(memberType.Out());
    BStr name;
    memberType->get_Name(name.Out());
    EXPECT_EQ(name.view(), u"GPLinearUnit");

    BStr xml;
    ASSERT_EQ(TaviXmlSerialize(list.Get(), nullptr, xml.Out()), S_OK);
    auto fromXml = Create<IGPMultiValue>(CLSID_GPMultiValue);
    ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), fromXml.Get()), S_OK);
    EXPECT_TRUE(Equal(fromXml.Get(), list.Get()));

    // The type's name opens a type with the same member type, also after its own stream form.
    ComPtr<IGPDataType> type;
    QueryAs<IGPValue>(list.Get())->get_DataType(type.Out());
    ComPtr<IName> typeName;
    ASSERT_EQ(type->get_FullName(typeName.Out()), S_OK);
    ComPtr<IStream> nameStream;
    CreateStreamOnMemory(nullptr, 0, 0, nameStream.Out());
    ASSERT_EQ(QueryAs<IPersistStream>(typeName.Get())->Save(nameStream.Get(), 1), S_OK);
    nameStream->Seek(0, STREAM_SEEK_SET, nullptr);
    auto nameAgain = Create<IPersistStream>(CLSID_GPMultiValueTypeName);
    ASSERT_EQ(nameAgain->Load(nameStream.Get()), S_OK);
    ComPtr<IUnknown> opened;
    ASSERT_EQ(QueryAs<IName>(nameAgain.Get())->Open(opened.Out()), S_OK);
    EXPECT_TRUE(Equal(opened.Get(), type.Get()));
}

TEST_F(GPMultiValueTest, ModelVariablesByNameAndThroughAManager) {
    // A manager of the host holding the variable "Folder" with the value "C:\\data".
    auto variable = Create<IGPVariable>(CLSID_GPVariable);
    variable->put_Name(u"Folder");
    auto folder = Create<IGPValue>(CLSID_GPString);
    ComPtr<IGPMessage> message;
    folder->SetAsText(u"C:\\data", message.Out());
    variable->putref_Value(folder.Get());
    auto manager = Create<IGPVariableManager>(CLSID_GPVariableManager);
    QueryAs<IArray>(manager.Get())->Add(variable.Get());
    ComPtr<IGPVariable> found;
    EXPECT_EQ(manager->FindVariable(u"FOLDER", found.Out()), S_OK);
    EXPECT_EQ(manager->FindVariable(u"Other", found.Out()), E_FAIL);

    auto list = ListOf(u"GPString");
    Read(list.Get(), u"%Folder%\\roads;%Other%;x");
    list->AddValue(QueryAs<IGPValue>(variable.Get()).Get());
    auto expression = QueryAs<IGPValueExpression>(list.Get());
    BStr text;
    ASSERT_EQ(expression->GetAsText(nullptr, text.Out()), S_OK);
    EXPECT_EQ(text.view(), u"%Folder%\\roads;%Other%;x;Folder"); // the variable member by its name
    ASSERT_EQ(expression->GetAsText(manager.Get(), text.Out()), S_OK);
    EXPECT_EQ(text.view(), u"C:\\data\\roads;%Other%;x;C:\\data"); // found variables replaced, others kept
    ComPtr<IUnknown> names;
    ASSERT_EQ(expression->GetVariableNames(names.Out()), S_OK);
    auto strings = QueryAs<IBStringArray>(names.Get());
    int32_t count = 0;
    strings->get_Count(&count);
    ASSERT_EQ(count, 2);
    BStr first;
    strings->get_Element(1, first.Out());
    EXPECT_EQ(first.view(), u"Other");

    ComPtr<IGPValue> resolved;
    ASSERT_EQ(expression->ResolveValue(manager.Get(), resolved.Out()), S_OK);
    EXPECT_EQ(Text(resolved.Get()), u"%Folder%\\roads;%Other%;x;C:\\data"); // the variable gives its value
    VARIANT_BOOL isResolved = VARIANT_FALSE;
    QueryAs<IGPValueExpression>(resolved.Get())->get_Resolved(&isResolved);
    EXPECT_TRUE(isResolved);
}

TEST(ModelVariables, NamesAndTheirSpans) {
    using modelvariables::NamesIn;
    using Names = std::vector<String>;
    EXPECT_EQ(NamesIn(u"a%x%b%y%%x%c"), (Names{u"x", u"y"})); // in order, each once
    EXPECT_EQ(NamesIn(u"%%x%"), (Names{u"x"}));               // "%%" names nothing; its second mark opens
    EXPECT_EQ(NamesIn(u"100% sure"), Names{});
    EXPECT_EQ(modelvariables::Substitute(u"%x%;%y%", nullptr), u"%x%;%y%");
}

} // namespace
} // namespace tavi::test
