// The model variable: its properties, its value face (which data types unpack), and its stream and XML forms with
// the value and data type as nested objects.
#include "TestSupport.h"

#include "host/CreateInstance.h"
#include "host/DocumentVersion.h"
#include "host/GPVariableBase.h"
#include "host/StreamIO.h"
#include "tavi/Entry.h"
#include "tavi/GPScalar.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

#include <optional>
#include <vector>

namespace tavi::test {
namespace {

class GPVariableTest : public ModuleClassesTest {
protected:
    void TearDown() override {
        // Reading a data type back opens its name through the thread's data type factory, a singleton that lives
        // until the unload check lets it go.
        ModuleClassesTest::TearDown();
    }
};

template <class I> ComPtr<I> Create(REFCLSID clsid) {
    ComPtr<I> made;
    EXPECT_EQ(AfCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, I::iid, made.OutVoid()), S_OK);
    return made;
}

ComPtr<IGPValue> NewValue(REFCLSID clsid, const char16_t* text) {
    auto value = Create<IGPValue>(clsid);
    ComPtr<IGPMessage> message;
    EXPECT_EQ(value->SetAsText(text, message.Out()), S_OK);
    return value;
}
String TypeName(IGPDataType* type) {
    BStr name;
    EXPECT_EQ(type->get_Name(name.Out()), S_OK);
    return name.str();
}
String NameOf(IGPVariable* variable) {
    BStr name;
    EXPECT_EQ(variable->get_Name(name.Out()), S_OK);
    return name.str();
}
ComPtr<IStream> NewStream() {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnMemory(nullptr, 0, docversion::kCurrent, stream.Out()), S_OK);
    return stream;
}
bool IsErrorMessage(IGPMessage* message) {
    VARIANT_BOOL error = 7;
    EXPECT_EQ(message->IsError(&error), S_OK);
    return error != VARIANT_FALSE;
}

// What a variable holds, for comparing one with what it reads back.
struct Content {
    String name;
    std::optional<CLSID> valueClass;
    String valueText;
    String dataTypeName; // empty: none
    bool derived = false;
};

Content ContentOf(IGPVariable* variable) {
    Content c;
    c.name = NameOf(variable);
    ComPtr<IGPValue> value;
    EXPECT_TRUE(SUCCEEDED(variable->get_Value(value.Out())));
    if (value) {
        CLSID clsid = GUID_NULL;
        QueryAs<IPersistStream>(value.Get())->GetClassID(&clsid);
        c.valueClass = clsid;
        BStr text;
        EXPECT_EQ(value->GetAsText(text.Out()), S_OK);
        c.valueText = text.str();
    }
    ComPtr<IGPDataType> type;
    EXPECT_TRUE(SUCCEEDED(variable->get_DataType(type.Out())));
    if (type)
        c.dataTypeName = TypeName(type.Get());
    VARIANT_BOOL derived = 7;
    EXPECT_EQ(variable->get_Derived(&derived), S_OK);
    c.derived = derived != VARIANT_FALSE;
    return c;
}

void ExpectSameContent(const Content& a, const Content& b) {
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.valueClass.has_value(), b.valueClass.has_value());
    if (a.valueClass && b.valueClass) {
        EXPECT_EQ(*a.valueClass, *b.valueClass);
    }
    EXPECT_EQ(a.valueText, b.valueText);
    EXPECT_EQ(a.dataTypeName, b.dataTypeName);
    EXPECT_EQ(a.derived, b.derived);
}

struct VariableCase {
    const char16_t* name;
    const CLSID* valueClass; // nullptr: no value
    const char16_t* valueText;
    const CLSID* dataType; // nullptr: none
    bool derived;
    const char* reason;
};

const VariableCase kVariables[] = {
    {u"", nullptr, nullptr, nullptr, false, "a new variable"},
    {u"Distance", nullptr, nullptr, nullptr, true, "a name and the derived flag alone"},
    {u"Road name", &CLSID_GPString, u"Main <Street> & 2nd", &CLSID_GPStringType, false, "a string and its type"},
    {u"n", &CLSID_GPLong, u"42", &CLSID_GPLongType, true, "a long"},
    {u"any", &CLSID_GPVariant, u"3.25", &CLSID_GPVariantType, false, "a variant"},
    {u"loose", &CLSID_GPDouble, u"0.5", &CLSID_GPType, false, "a type that is not the value's"},
    {u"typed only", nullptr, nullptr, &CLSID_GPDateType, false, "a data type without a value"},
};

ComPtr<IGPVariable> MakeVariable(const VariableCase& c) {
    auto variable = Create<IGPVariable>(CLSID_GPVariable);
    EXPECT_EQ(variable->put_Name(c.name), S_OK);
    if (c.valueClass) {
        EXPECT_EQ(variable->putref_Value(NewValue(*c.valueClass, c.valueText).Get()), S_OK);
    }
    if (c.dataType) {
        EXPECT_EQ(variable->putref_DataType(Create<IGPDataType>(*c.dataType).Get()), S_OK);
    }
    EXPECT_EQ(variable->put_Derived(c.derived ? VARIANT_TRUE : VARIANT_FALSE), S_OK);
    return variable;
}

TEST_F(GPVariableTest, Properties) {
    auto variable = Create<IGPVariable>(CLSID_GPVariable);
    EXPECT_EQ(QueryAs<IPersistStream>(variable.Get())->IsDirty(), S_FALSE);
    EXPECT_EQ(NameOf(variable.Get()), u"");
    ComPtr<IGPValue> value;
    EXPECT_EQ(variable->get_Value(value.Out()), S_FALSE); // nothing held: S_FALSE and null
    EXPECT_FALSE(value);
    ComPtr<IGPDataType> type;
    EXPECT_EQ(variable->get_DataType(type.Out()), S_FALSE);
    EXPECT_FALSE(type);

    // Without a data type of its own, the variable reports its value's.
    auto held = NewValue(CLSID_GPLong, u"7");
    variable->putref_Value(held.Get());
    ASSERT_EQ(variable->get_DataType(type.Out()), S_OK);
    EXPECT_EQ(TypeName(type.Get()), u"GPLong");
    ASSERT_EQ(variable->get_Value(value.Out()), S_OK);
    EXPECT_EQ(value.Get(), held.Get()); // shared, not copied
    variable->putref_DataType(Create<IGPDataType>(CLSID_GPVariantType).Get());
    ASSERT_EQ(variable->get_DataType(type.Out()), S_OK);
    EXPECT_EQ(TypeName(type.Get()), u"GPVariant");
    EXPECT_EQ(QueryAs<IPersistStream>(variable.Get())->IsDirty(), S_OK);

    VARIANT_BOOL derived = 7;
    variable->put_Derived(1); // any nonzero flag is true
    EXPECT_EQ(variable->get_Derived(&derived), S_OK);
    EXPECT_EQ(derived, VARIANT_TRUE);
    variable->putref_Value(nullptr);
    EXPECT_EQ(variable->get_Value(value.Out()), S_FALSE);

    EXPECT_EQ(variable->get_Name(nullptr), E_POINTER);
    EXPECT_EQ(variable->get_Value(nullptr), E_POINTER);
    EXPECT_EQ(variable->get_DataType(nullptr), E_POINTER);
    EXPECT_EQ(variable->get_Derived(nullptr), E_POINTER);
}

TEST_F(GPVariableTest, RefusesValuesThatLoopBack) {
    auto a = Create<IGPVariable>(CLSID_GPVariable);
    auto b = Create<IGPVariable>(CLSID_GPVariable);
    auto c = Create<IGPVariable>(CLSID_GPVariable);
    auto asValue = [](IGPVariable* v) { return QueryAs<IGPValue>(v); };
    EXPECT_EQ(a->putref_Value(asValue(a.Get()).Get()), E_INVALIDARG); // itself
    ASSERT_EQ(a->putref_Value(asValue(b.Get()).Get()), S_OK);         // a chain is fine
    ASSERT_EQ(b->putref_Value(asValue(c.Get()).Get()), S_OK);
    EXPECT_EQ(c->putref_Value(asValue(a.Get()).Get()), E_INVALIDARG); // closing it is not
    ComPtr<IGPValue> held;
    EXPECT_EQ(c->get_Value(held.Out()), S_FALSE);
    // The chain ends in a real value, which every variable on it stands for.
    ASSERT_EQ(c->putref_Value(NewValue(CLSID_GPString, u"end").Get()), S_OK);
    BStr text;
    EXPECT_EQ(asValue(a.Get())->GetAsText(text.Out()), S_OK);
    EXPECT_EQ(text.str(), u"end");
}

TEST_F(GPVariableTest, ValueFaceForwardsToTheHeldValue) {
    auto variable = Create<IGPVariable>(CLSID_GPVariable);
    auto asValue = QueryAs<IGPValue>(variable.Get());
    ASSERT_TRUE(asValue);
    VARIANT_BOOL empty = 7;
    EXPECT_EQ(asValue->IsEmpty(&empty), S_OK);
    EXPECT_EQ(empty, VARIANT_TRUE);
    BStr text;
    EXPECT_EQ(asValue->GetAsText(text.Out()), S_OK);
    EXPECT_EQ(text.str(), u"");
    ComPtr<IGPMessage> message;
    EXPECT_EQ(asValue->SetAsText(u"12", message.Out()), E_FAIL); // neither a value nor a type to make one

    // With a data type, a text makes the value.
    variable->putref_DataType(Create<IGPDataType>(CLSID_GPLongType).Get());
    ASSERT_EQ(asValue->SetAsText(u"12", message.Out()), S_OK);
    ComPtr<IGPValue> held;
    ASSERT_EQ(variable->get_Value(held.Out()), S_OK);
    int32_t number = 0;
    EXPECT_EQ(QueryAs<IGPLong>(held.Get())->get_Value(&number), S_OK);
    EXPECT_EQ(number, 12);
    EXPECT_EQ(asValue->GetAsText(text.Out()), S_OK);
    EXPECT_EQ(text.str(), u"12");
    ASSERT_EQ(asValue->SetAsText(u"twelve", message.Out()), S_OK); // the value's own verdict comes back
    EXPECT_TRUE(IsErrorMessage(message.Get()));
    EXPECT_EQ(asValue->Empty(), S_OK);
    EXPECT_EQ(asValue->IsEmpty(&empty), S_OK);
    EXPECT_EQ(empty, VARIANT_TRUE);
}

TEST_F(GPVariableTest, DataTypesUnpackTheVariable) {
    struct Case {
        REFCLSID valueClass;
        const char16_t* text;
        REFCLSID dataType;
        bool accepted;
    };
    const Case cases[] = {
        {CLSID_GPString, u"x", CLSID_GPStringType, true},
        {CLSID_GPLong, u"1", CLSID_GPLongType, true},
        {CLSID_GPLong, u"1", CLSID_GPDateType, false},
        {CLSID_GPDate, u"1/1/2000", CLSID_GPVariantType, true},
    };
    for (const auto& c : cases) {
        auto variable = Create<IGPVariable>(CLSID_GPVariable);
        variable->putref_Value(NewValue(c.valueClass, c.text).Get());
        ComPtr<IGPMessage> message;
        ASSERT_EQ(Create<IGPDataType>(c.dataType)
                      ->ValidateValue(QueryAs<IGPValue>(variable.Get()).Get(), nullptr, message.Out()),
                  S_OK);
        EXPECT_EQ(IsErrorMessage(message.Get()), !c.accepted) << ToUtf8(c.text);
    }
}

TEST_F(GPVariableTest, StreamRoundTrip) {
    for (const auto& c : kVariables) {
        SCOPED_TRACE(c.reason);
        auto variable = MakeVariable(c);
        auto stream = NewStream();
        ASSERT_EQ(QueryAs<IPersistStream>(variable.Get())->Save(stream.Get(), 1), S_OK);
        EXPECT_EQ(QueryAs<IPersistStream>(variable.Get())->IsDirty(), S_FALSE);
        uint64_t size = 0;
        ASSERT_EQ(QueryAs<IPersistStream>(variable.Get())->GetSizeMax(&size), S_OK);
        uint64_t written = 0;
        stream->Seek(0, STREAM_SEEK_CUR, &written);
        EXPECT_EQ(size, written);

        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        auto read = Create<IGPVariable>(CLSID_GPVariable);
        read->put_Name(u"earlier");
        read->putref_Value(NewValue(CLSID_GPString, u"earlier").Get());
        ASSERT_EQ(QueryAs<IPersistStream>(read.Get())->Load(stream.Get()), S_OK);
        ExpectSameContent(ContentOf(read.Get()), ContentOf(variable.Get()));
        EXPECT_EQ(QueryAs<IPersistStream>(read.Get())->IsDirty(), S_FALSE);
    }
}

TEST_F(GPVariableTest, StreamFailuresLeaveTheVariableAsItWas) {
    auto full = MakeVariable(kVariables[3]);
    auto saved = NewStream();
    ASSERT_EQ(QueryAs<IPersistStream>(full.Get())->Save(saved.Get(), 0), S_OK);
    uint64_t length = 0;
    saved->Seek(0, STREAM_SEEK_CUR, &length);
    std::vector<uint8_t> bytes(length);
    saved->Seek(0, STREAM_SEEK_SET, nullptr);
    ULONG got = 0;
    ASSERT_EQ(saved->Read(bytes.data(), static_cast<ULONG>(length), &got), S_OK);

    // A data type name that no factory knows cannot be opened.
    auto unknownType = NewStream();
    AfStreamWrite(unknownType.Get(), uint16_t{1});
    WriteString(unknownType.Get(), u"v");
    SaveObject(nullptr, unknownType.Get(), false);
    ComPtr<IName> name;
    ASSERT_EQ(Create<IGPDataType>(CLSID_GPStringType)->get_FullName(name.Out()), S_OK);
    QueryAs<IGPName>(name.Get())->put_Name(u"NoSuchDataType");
    ASSERT_EQ(SaveObject(name.Get(), unknownType.Get(), false), S_OK);
    AfStreamWrite(unknownType.Get(), int16_t{0});

    struct Case {
        std::vector<uint8_t> bytes;
        ComPtr<IStream> stream;
        const char* reason;
    };
    std::vector<Case> cases;
    auto newer = bytes;
    newer[0] = 2; // the version
    cases.push_back({newer, nullptr, "a newer version"});
    for (size_t cut : {size_t{1}, size_t{8}, bytes.size() / 2, bytes.size() - 1})
        cases.push_back({std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut), nullptr, "truncated"});
    cases.push_back({{}, unknownType, "an unknown data type name"});

    for (auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto stream = c.stream;
        if (!stream) {
            ASSERT_EQ(CreateStreamOnMemory(c.bytes.data(), static_cast<ULONG>(c.bytes.size()), docversion::kCurrent,
                                           stream.Out()),
                      S_OK);
        }
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        auto variable = MakeVariable(kVariables[2]);
        Content before = ContentOf(variable.Get());
        EXPECT_EQ(QueryAs<IPersistStream>(variable.Get())->Load(stream.Get()), E_FAIL);
        ExpectSameContent(ContentOf(variable.Get()), before);
    }
    auto variable = Create<IPersistStream>(CLSID_GPVariable);
    EXPECT_EQ(variable->Save(nullptr, 1), E_POINTER);
    EXPECT_EQ(variable->Load(nullptr), E_POINTER);
}

TEST_F(GPVariableTest, XmlRoundTrip) {
    for (const auto& c : kVariables) {
        SCOPED_TRACE(c.reason);
        auto variable = MakeVariable(c);
        BStr xml;
        ASSERT_EQ(TaviXmlSerialize(variable.Get(), nullptr, xml.Out()), S_OK);
        EXPECT_NE(xml.view().find(u"GPVariable"), std::u16string_view::npos) << ToUtf8(xml.view());
        EXPECT_EQ(xml.view().find(u"<Value") != std::u16string_view::npos, c.valueClass != nullptr);
        EXPECT_EQ(xml.view().find(u"<DataType") != std::u16string_view::npos, c.dataType != nullptr);
        auto read = Create<IGPVariable>(CLSID_GPVariable);
        read->putref_DataType(Create<IGPDataType>(CLSID_GPStringType).Get()); // replaced, or dropped when absent
        ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), read.Get()), S_OK) << ToUtf8(xml.view());
        ExpectSameContent(ContentOf(read.Get()), ContentOf(variable.Get()));
    }
}

TEST_F(GPVariableTest, XmlFailuresLeaveTheVariableAsItWas) {
    BStr xml;
    ASSERT_EQ(TaviXmlSerialize(MakeVariable(kVariables[3]).Get(), nullptr, xml.Out()), S_OK);
    String text = xml.str();
    struct Case {
        const char16_t* from;
        const char16_t* to;
        const char* reason;
    };
    const Case cases[] = {
        {u">true</Derived>", u">perhaps</Derived>", "a flag that is no boolean"},
        {u">GPLong</Name>", u">NoSuchDataType</Name>", "a data type name no factory knows"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        String changed = text;
        size_t at = changed.find(c.from);
        ASSERT_NE(at, String::npos) << ToUtf8(text);
        changed.replace(at, std::char_traits<char16_t>::length(c.from), c.to);
        auto variable = MakeVariable(kVariables[2]);
        Content before = ContentOf(variable.Get());
        EXPECT_EQ(TaviXmlDeserialize(changed.c_str(), variable.Get()), E_FAIL);
        ExpectSameContent(ContentOf(variable.Get()), before);
    }
}

TEST_F(GPVariableTest, InterfacesAnswered) {
    auto variable = Create<IUnknown>(CLSID_GPVariable);
    for (const IID& iid : {IGPVariable::iid, IXMLSerialize::iid, IPersistStream::iid, IPersist::iid, IGPValue::iid}) {
        ComPtr<IUnknown> answer;
        EXPECT_EQ(variable->QueryInterface(iid, answer.OutVoid()), S_OK);
    }
    for (const IID& iid : {IClone::iid, IGPVariant::iid, IGPParameter::iid}) {
        ComPtr<IUnknown> answer;
        EXPECT_EQ(variable->QueryInterface(iid, answer.OutVoid()), E_NOINTERFACE);
    }
    CLSID clsid = GUID_NULL;
    ASSERT_EQ(QueryAs<IPersistStream>(variable.Get())->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_GPVariable);
}

} // namespace
} // namespace tavi::test
