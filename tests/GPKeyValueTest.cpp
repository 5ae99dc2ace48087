// The key-value, its data type and name: the JSON text both ways through the keys' data types, the refusals that
// leave a value as it was (unreadable members, missing required keys, deep nesting), the declarations by name, by
// position and through the value table view, validation with one message per key, and the stream and XML forms.
#include "TestSupport.h"

#include "host/DocumentVersion.h"
#include "host/Message.h"
#include "host/StreamIO.h"
#include "host/String.h"
#include "host/XmlNamespace.h"
#include "platform/Locale.h"
#include "tavi/GPDomains.h"
#include "tavi/GPKeyValue.h"
#include "tavi/GPMessage.h"
#include "tavi/GPScalar.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

#include <cmath>
#include <string>
#include <vector>

namespace tavi::test {
namespace {

class GPKeyValueTest : public ModuleClassesTest {
protected:
    static ComPtr<IGPDataType> TypeNamed(const char16_t* name) {
        auto factory = Create<IGPDataTypeFactory>(CLSID_GPDataTypeFactory);
        ComPtr<IGPDataType> type;
        EXPECT_EQ(factory->GetDataType(name, type.Out()), S_OK);
        return type;
    }
    static ComPtr<IGPDataType> ListOf(const char16_t* memberType) {
        auto list = Create<IGPMultiValueType>(CLSID_GPMultiValueType);
        list->putref_MemberDataType(TypeNamed(memberType).Get());
        return list.As<IGPDataType>();
    }
    struct Key {
        const char16_t* name;
        ComPtr<IGPDataType> type;
        bool required = false;
    };
    static ComPtr<IGPKeyValueType> KeyType(std::initializer_list<Key> keys) {
        auto type = Create<IGPKeyValueType>(CLSID_GPKeyValueType);
        for (const Key& key : keys)
            EXPECT_EQ(type->AddKey(key.name, key.type.Get(), key.required ? VARIANT_TRUE : VARIANT_FALSE), S_OK);
        return type;
    }
    // Keys of every kind the text form writes: long, double, boolean, string, a list of strings, a nested key-value.
    static ComPtr<IGPKeyValueType> EveryKind(bool countRequired = false) {
        auto child = KeyType({{u"id", TypeNamed(u"GPLong")}, {u"label", TypeNamed(u"GPString")}});
        return KeyType({{u"count", TypeNamed(u"GPLong"), countRequired},
                        {u"ratio", TypeNamed(u"GPDouble")},
                        {u"flag", TypeNamed(u"GPBoolean")},
                        {u"name", TypeNamed(u"GPString")},
                        {u"tags", ListOf(u"GPString")},
                        {u"child", child.As<IGPDataType>()}});
    }
    static ComPtr<IGPValue> ValueOf(IGPKeyValueType* type, const char16_t* text = nullptr) {
        ComPtr<IGPValue> value;
        EXPECT_EQ(QueryAs<IGPDataType>(type)->CreateValue(text, value.Out()), S_OK);
        return value;
    }
    // SetAsText's result; the message's code and text in *code and *description.
    static HRESULT Read(IGPValue* value, const std::u16string& text, int32_t* code = nullptr,
                        String* description = nullptr) {
        ComPtr<IGPMessage> message;
        HRESULT hr = value->SetAsText(text.c_str(), message.Out());
        EXPECT_TRUE(message);
        if (code)
            *code = MessageCode(message.Get());
        if (description && message) {
            BStr text;
            message->get_Description(text.Out());
            *description = text.str();
        }
        return hr;
    }
    static String Text(IUnknown* value) {
        BStr text;
        EXPECT_EQ(QueryAs<IGPValue>(value)->GetAsText(text.Out()), S_OK);
        return text.str();
    }
    static bool Equal(IUnknown* a, IUnknown* b) {
        VARIANT_BOOL equal = VARIANT_FALSE;
        EXPECT_EQ(QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal), S_OK);
        return equal != VARIANT_FALSE;
    }
    static std::vector<uint8_t> Saved(IUnknown* object) {
        ComPtr<IStream> stream;
        EXPECT_EQ(CreateStreamOnMemory(nullptr, 0, 0, stream.Out()), S_OK);
        EXPECT_EQ(QueryAs<IPersistStream>(object)->Save(stream.Get(), 1), S_OK);
        uint64_t size = 0;
        stream->Seek(0, STREAM_SEEK_END, &size);
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        std::vector<uint8_t> bytes(size);
        uint32_t read = 0;
        stream->Read(bytes.data(), static_cast<uint32_t>(size), &read);
        return bytes;
    }
    static HRESULT Load(IUnknown* object, const std::vector<uint8_t>& bytes) {
        ComPtr<IStream> stream;
        EXPECT_EQ(CreateStreamOnMemory(bytes.data(), bytes.size(), 0, stream.Out()), S_OK);
        return QueryAs<IPersistStream>(object)->Load(stream.Get());
    }
};

TEST_F(GPKeyValueTest, TextIsWrittenByKindInDeclarationOrderAndReadsBackEqual) {
    struct Case {
        const char* reason;
        std::u16string text;
        std::u16string written;
    };
    const Case cases[] = {
        {"every kind",
         uR"({"count":3,"ratio":2.5,"flag":true,"name":"a \"b\"","tags":["x","y z"],"child":{"id":7,"label":"in"}})",
         uR"({"count":3,"ratio":2.5,"flag":true,"name":"a \"b\"","tags":["x","y z"],"child":{"id":7,"label":"in"}})"},
        {"declaration order, not the text's", uR"({"name":"x","count":1})", uR"({"count":1,"name":"x"})"},
        {"a long from a JSON string is written as a number", uR"({"count":"12"})", uR"({"count":12})"},
        {"a string from a JSON number is written as a string", uR"({"name":12.5,"flag":false})",
         uR"({"flag":false,"name":"12.5"})"},
        {"members the type does not declare are skipped", uR"({"other":[1,{"a":2}],"count":1})", uR"({"count":1})"},
        {"null leaves a key without value", uR"({"count":null,"name":"x"})", uR"({"name":"x"})"},
        {"null members are left out of a list", uR"({"tags":["a",null,"b"]})", uR"({"tags":["a","b"]})"},
        {"large doubles keep their digits", uR"({"ratio":1e300})", uR"({"ratio":1e+300})"},
        {"an empty value is written as its empty text", uR"({"name":"","child":{}})", uR"({"name":"","child":""})"},
        {"blanks around the object", u" \n{\"count\":-4}\t", uR"({"count":-4})"},
    };
    auto type = EveryKind();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        auto value = ValueOf(type.Get());
        ASSERT_EQ(Read(value.Get(), c.text), S_OK);
        EXPECT_EQ(Text(value.Get()), c.written);
        auto again = ValueOf(type.Get());
        ASSERT_EQ(Read(again.Get(), Text(value.Get())), S_OK);
        EXPECT_TRUE(Equal(again.Get(), value.Get()));
    }
}

TEST_F(GPKeyValueTest, JsonNumbersReadTheSameInEveryLocale) {
    // JSON writes numbers with a point whatever the locale; a locale whose decimal separator is a comma reads them
    // as they are and writes them back as JSON numbers.
    locale::SetUserDefaultLocaleForTesting(1031);
    ASSERT_EQ(SetThreadLocale(1031), 1);
    auto type = EveryKind();
    auto value = ValueOf(type.Get());
    ASSERT_EQ(Read(value.Get(), uR"({"ratio":2.5,"count":-3,"name":1.25})"), S_OK);
    EXPECT_EQ(Text(value.Get()), uR"({"count":-3,"ratio":2.5,"name":"1.25"})");
    ComPtr<IGPValue> ratio;
    QueryAs<IGPKeyValue>(value.Get())->get_Value(u"ratio", ratio.Out());
    double number = 0;
    QueryAs<IGPDouble>(ratio.Get())->get_Value(&number);
    EXPECT_EQ(number, 2.5);
}

TEST_F(GPKeyValueTest, ValueTableKeysAreArraysOfRecords) {
    auto table = Create<IGPValueTableType>(CLSID_GPValueTableType);
    table->AddDataType(TypeNamed(u"GPString").Get(), u"path", 0, nullptr);
    table->AddDataType(TypeNamed(u"GPLong").Get(), u"rank", 0, nullptr);
    auto type = KeyType({{u"inputs", table.As<IGPDataType>()}});
    auto value = ValueOf(type.Get());
    ASSERT_EQ(Read(value.Get(), uR"({"inputs":[["a b",1],["c"]]})"), S_OK); // the missing cell holds no value
    EXPECT_EQ(Text(value.Get()), uR"({"inputs":[["a b",1],["c",null]]})");
    ComPtr<IGPValue> inputs;
    QueryAs<IGPKeyValue>(value.Get())->get_Value(u"inputs", inputs.Out());
    EXPECT_EQ(Text(inputs.Get()), u"'a b' 1;c #");
    auto again = ValueOf(type.Get());
    ASSERT_EQ(Read(again.Get(), Text(value.Get())), S_OK);
    EXPECT_TRUE(Equal(again.Get(), value.Get()));
    // A record longer than the columns, or a cell its column cannot read, is a member that cannot be read.
    for (const char16_t* bad : {uR"({"inputs":[["a",1,2]]})", uR"({"inputs":[["a","one"]]})"}) {
        int32_t code = 0;
        EXPECT_EQ(Read(value.Get(), bad, &code), E_FAIL);
        EXPECT_EQ(code, 888);
        EXPECT_EQ(Text(value.Get()), uR"({"inputs":[["a b",1],["c",null]]})");
    }
}

TEST_F(GPKeyValueTest, ListsLeaveOutEmptyMembersAndDoublesThatAreNoNumberAreText) {
    auto type = EveryKind();
    auto value = ValueOf(type.Get());
    auto list = Create<IGPMultiValue>(CLSID_GPMultiValue);
    list->putref_MemberDataType(TypeNamed(u"GPString").Get());
    for (const char16_t* member : {u"a", u"", u"b"}) {
        ComPtr<IGPValue> made;
        TypeNamed(u"GPString")->CreateValue(member, made.Out());
        list->AddValue(made.Get());
    }
    auto infinite = Create<IGPDouble>(CLSID_GPDouble);
    infinite->put_Value(INFINITY);
    auto keyValue = QueryAs<IGPKeyValue>(value.Get());
    ASSERT_EQ(keyValue->putref_Value(u"tags", QueryAs<IGPValue>(list.Get()).Get()), S_OK);
    ASSERT_EQ(keyValue->putref_Value(u"ratio", QueryAs<IGPValue>(infinite.Get()).Get()), S_OK);
    String infiniteText = Text(infinite.Get());
    EXPECT_EQ(Text(value.Get()), u"{\"ratio\":\"" + infiniteText + u"\",\"tags\":[\"a\",\"b\"]}");
}

TEST_F(GPKeyValueTest, TextThatCannotBeReadFailsAndChangesNothing) {
    struct Case {
        const char* reason;
        std::u16string text;
        int32_t code;
    };
    const Case cases[] = {
        {"no JSON", u"count=3", 888},
        {"JSON that is no object", u"[1,2]", 888},
        {"a cut object", uR"({"count":1)", 888},
        {"a long that is no number", uR"({"count":"many"})", 888},
        {"an array for a long", uR"({"count":[1]})", 888},
        {"an object for a list", uR"({"tags":{"a":1}})", 888},
        {"an array for a key-value", uR"({"child":[1]})", 888},
        {"a nested member that cannot be read", uR"({"child":{"id":"x"}})", 888},
        {"a string the data type would see cut short", uR"({"name":"a\u0000b"})", 888},
        {"a required key without value", uR"({"name":"x","count":null})", E_FAIL},
    };
    auto type = EveryKind(true);
    auto value = ValueOf(type.Get(), uR"({"count":1,"tags":["t"]})");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        int32_t code = 0;
        String description;
        EXPECT_EQ(Read(value.Get(), c.text, &code, &description), E_FAIL);
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(description,
                  c.code == 888 ? u"A member of the Key Value could not be read" : u"All required keys are not set");
        EXPECT_EQ(Text(value.Get()), uR"({"count":1,"tags":["t"]})");
    }
    // The data type hands the value out with S_FALSE.
    ComPtr<IGPValue> made;
    EXPECT_EQ(QueryAs<IGPDataType>(type.Get())->CreateValue(u"{\"name\":\"x\"}", made.Out()), S_FALSE);
    EXPECT_TRUE(made);
}

TEST_F(GPKeyValueTest, BlankTextEmptiesAndHashKeepsWhileRequiredKeysHold) {
    auto optional = EveryKind(false);
    auto value = ValueOf(optional.Get(), uR"({"count":1})");
    EXPECT_EQ(Read(value.Get(), u"#"), S_OK);
    EXPECT_EQ(Text(value.Get()), uR"({"count":1})"); // "#" changes nothing
    EXPECT_EQ(Read(value.Get(), u" \t\r\n"), S_OK);
    VARIANT_BOOL empty = VARIANT_FALSE;
    value->IsEmpty(&empty);
    EXPECT_TRUE(empty);
    EXPECT_EQ(Text(value.Get()), u"");
    EXPECT_EQ(Read(value.Get(), u" # "), S_OK);

    auto required = EveryKind(true);
    auto strict = ValueOf(required.Get());
    int32_t code = 0;
    EXPECT_EQ(Read(strict.Get(), u"#", &code), E_FAIL);
    EXPECT_EQ(code, 888);
    ASSERT_EQ(Read(strict.Get(), uR"({"count":2})"), S_OK);
    EXPECT_EQ(Read(strict.Get(), u"#"), S_OK);
    EXPECT_EQ(Text(strict.Get()), uR"({"count":2})");
}

// Depth counts every object and array, the outer object being the first level; brackets in strings do not count.
TEST_F(GPKeyValueTest, NestingPastTwoHundredLevelsIsRefused) {
    auto type = KeyType({{u"name", TypeNamed(u"GPString")}});
    auto nestedArrays = [](int levels) {
        return u"{\"skipped\":" + std::u16string(levels - 1, u'[') + std::u16string(levels - 1, u']') + u"}";
    };
    auto value = ValueOf(type.Get());
    EXPECT_EQ(Read(value.Get(), nestedArrays(200)), S_OK);
    int32_t code = 0;
    EXPECT_EQ(Read(value.Get(), nestedArrays(201), &code), E_FAIL);
    EXPECT_EQ(code, 888);
    EXPECT_EQ(Read(value.Get(), std::u16string(100000, u'['), &code), E_FAIL);
    EXPECT_EQ(code, 888);
    EXPECT_EQ(Read(value.Get(), u"{\"name\":\"" + std::u16string(300, u'[') + u"\"}"), S_OK);

    // A chain of types each nesting the next: 200 levels read and write back; one more level cannot be written.
    std::vector<ComPtr<IGPKeyValueType>> chain{KeyType({{u"leaf", TypeNamed(u"GPLong")}})};
    while (chain.size() < 200)
        chain.push_back(KeyType({{u"n", chain.back().As<IGPDataType>()}}));
    std::u16string deep = u"{\"leaf\":1}";
    for (size_t level = 1; level < chain.size(); ++level)
        deep = u"{\"n\":" + deep + u"}";
    auto top = ValueOf(chain.back().Get());
    ASSERT_EQ(Read(top.Get(), deep), S_OK);
    EXPECT_EQ(Text(top.Get()), deep);
    auto outer = KeyType({{u"n", chain.back().As<IGPDataType>()}});
    auto tooDeep = ValueOf(outer.Get());
    QueryAs<IGPKeyValue>(tooDeep.Get())->putref_Value(u"n", top.Get());
    BStr text;
    EXPECT_EQ(tooDeep->GetAsText(text.Out()), E_FAIL);
    EXPECT_EQ(Read(tooDeep.Get(), u"{\"n\":" + deep + u"}", &code), E_FAIL);
    EXPECT_EQ(code, 888);
}

TEST_F(GPKeyValueTest, DeclarationsByNameAndPosition) {
    auto type = KeyType({{u"a", TypeNamed(u"GPLong"), true}, {u"b", nullptr}, {u"c", TypeNamed(u"GPString")}});
    auto index = QueryAs<IGPKeyValueTypeIndex>(type.Get());
    EXPECT_EQ(type->AddKey(u"a", nullptr, VARIANT_FALSE), E_INVALIDARG); // exact duplicate
    EXPECT_EQ(type->AddKey(u"A", nullptr, VARIANT_FALSE), S_OK);         // letter case counts
    EXPECT_EQ(type->AddKey(nullptr, nullptr, VARIANT_FALSE), E_INVALIDARG);
    EXPECT_EQ(type->AddKey(u"self", QueryAs<IGPDataType>(type.Get()).Get(), VARIANT_FALSE), E_INVALIDARG);

    int32_t position = 5;
    EXPECT_EQ(type->GetKeyIndex(u"c", &position), S_OK);
    EXPECT_EQ(position, 2);
    EXPECT_EQ(type->GetKeyIndex(u"zz", &position), E_INVALIDARG);
    EXPECT_EQ(type->GetKeyIndex(nullptr, &position), E_INVALIDARG);
    EXPECT_EQ(type->GetKeyIndex(u"a", nullptr), E_INVALIDARG);
    EXPECT_EQ(index->Find(u"zz", &position), S_FALSE);
    EXPECT_EQ(position, -1);
    EXPECT_EQ(type->put_KeyRequired(nullptr, VARIANT_TRUE), E_INVALIDARG);
    VARIANT_BOOL required = VARIANT_FALSE;
    EXPECT_EQ(type->get_KeyRequired(u"zz", &required), E_INVALIDARG);

    // Only -1 makes a key required by position.
    EXPECT_EQ(index->put_Required(1, 1), S_OK);
    index->get_Required(1, &required);
    EXPECT_EQ(required, VARIANT_FALSE);
    EXPECT_EQ(index->put_Required(1, VARIANT_TRUE), S_OK);
    index->get_Required(1, &required);
    EXPECT_EQ(required, VARIANT_TRUE);
    EXPECT_EQ(index->putref_DataType(1, nullptr), E_INVALIDARG);
    EXPECT_EQ(type->putref_KeyDataType(u"b", nullptr), S_OK); // by name a key may have no type

    // Every position outside the declarations.
    int32_t count = 0;
    index->get_Count(&count);
    ASSERT_EQ(count, 4);
    for (int32_t outside : {-1, count}) {
        SCOPED_TRACE(outside);
        BStr name;
        ComPtr<IGPDataType> dataType;
        EXPECT_EQ(index->get_Key(outside, name.Out()), E_INVALIDARG);
        EXPECT_EQ(index->get_DataType(outside, dataType.Out()), E_INVALIDARG);
        EXPECT_EQ(index->putref_DataType(outside, TypeNamed(u"GPLong").Get()), E_INVALIDARG);
        EXPECT_EQ(index->get_Required(outside, &required), E_INVALIDARG);
        EXPECT_EQ(index->put_Required(outside, VARIANT_TRUE), E_INVALIDARG);
        EXPECT_EQ(index->RemoveKeyAt(outside), E_INVALIDARG);
    }

    // Removing a key moves the later ones down; lookups by name follow.
    EXPECT_EQ(type->RemoveKey(u"a"), S_OK);
    EXPECT_EQ(type->RemoveKey(u"a"), E_INVALIDARG);
    EXPECT_EQ(index->Find(u"A", &position), S_OK);
    EXPECT_EQ(position, 2);
    ComPtr<IBStringArray> names;
    ASSERT_EQ(type->get_Keys(names.Out()), S_OK);
    names->get_Count(&count);
    EXPECT_EQ(count, 3);
    BStr first;
    names->get_Element(0, first.Out());
    EXPECT_EQ(first.view(), u"b");
}

TEST_F(GPKeyValueTest, TheValueTableViewsDeclareKeysAndHoldOneRecord) {
    auto type = Create<IGPValueTableType>(CLSID_GPKeyValueType);
    EXPECT_EQ(type->AddDataType(TypeNamed(u"GPLong").Get(), u"", 0, nullptr), S_OK);
    EXPECT_EQ(type->AddDataType(TypeNamed(u"GPString").Get(), nullptr, 0, nullptr), S_OK);
    EXPECT_EQ(type->AddDataType(TypeNamed(u"GPString").Get(), u"1", 0, nullptr), E_INVALIDARG);
    EXPECT_EQ(type->AddDataType(TypeNamed(u"GPDouble").Get(), u"x", 0, nullptr), S_OK);
    std::vector<String> names;
    for (int32_t i = 0; i < 3; ++i) {
        BStr name;
        EXPECT_EQ(type->get_DisplayName(i, name.Out()), S_OK);
        names.push_back(name.str());
    }
    EXPECT_EQ(names, (std::vector<String>{u"0", u"1", u"x"}));

    ComPtr<IGPValue> made;
    ASSERT_EQ(QueryAs<IGPDataType>(type.Get())->CreateValue(uR"({"0":5,"x":0.5})", made.Out()), S_OK);
    auto table = QueryAs<IGPValueTable>(made.Get());
    int32_t records = 0, columns = 0;
    table->get_RecordCount(&records);
    table->get_DataTypeCount(&columns);
    EXPECT_EQ(records, 1);
    EXPECT_EQ(columns, 3);
    ComPtr<IGPValue> cell;
    ASSERT_EQ(table->GetValue(0, 2, cell.Out()), S_OK);
    EXPECT_EQ(Text(cell.Get()), u"0.5");
    ComPtr<IGPValue> none;
    EXPECT_EQ(table->GetValue(1, 0, none.Out()), E_INVALIDARG);
    EXPECT_EQ(table->SetValue(0, 1, cell.Get()), S_OK);
    ComPtr<IArray> record;
    ASSERT_EQ(table->GetRecord(0, record.Out()), S_OK);
    EXPECT_EQ(table->AddRecord(record.Get()), E_NOTIMPL);
    EXPECT_EQ(table->RemoveValue(cell.Get()), S_OK); // the first key holding that object: "1"
    EXPECT_EQ(Text(made.Get()), uR"({"0":5,"x":0.5})");

    // A key declared through the value's view is the value's own: the type it was made from does not change.
    EXPECT_EQ(table->AddDataType(TypeNamed(u"GPLong").Get()), S_OK);
    EXPECT_EQ(QueryAs<IGPKeyValue>(made.Get())->putref_Value(u"3", cell.Get()), S_OK);
    int32_t typeKeys = 0;
    type->get_Count(&typeKeys);
    EXPECT_EQ(typeKeys, 3);
    EXPECT_EQ(table->RemoveDataType(0), S_OK);
    EXPECT_EQ(Text(made.Get()), uR"({"x":0.5,"3":0.5})");
}

TEST_F(GPKeyValueTest, KeysAreSetOnlyWhereDeclaredAndANewTypeKeepsWhatItStillDeclares) {
    auto value = ValueOf(EveryKind().Get(), uR"({"count":1,"name":"n","flag":true})");
    auto keyValue = QueryAs<IGPKeyValue>(value.Get());
    auto number = Create<IGPValue>(CLSID_GPLong);
    EXPECT_EQ(keyValue->putref_Value(u"undeclared", number.Get()), E_INVALIDARG);
    EXPECT_EQ(keyValue->putref_Value(nullptr, number.Get()), E_INVALIDARG);
    EXPECT_EQ(keyValue->putref_Value(u"child", value.Get()), E_INVALIDARG); // not itself
    EXPECT_EQ(keyValue->putref_DataType(TypeNamed(u"GPLong").Get()), E_INVALIDARG);
    EXPECT_EQ(keyValue->RemoveKeyValue(u"flag"), S_OK);

    // The value's type is a copy: changing the one handed out changes nothing.
    ComPtr<IGPDataType> copy;
    value->get_DataType(copy.Out());
    QueryAs<IGPKeyValueType>(copy.Get())->RemoveAllKeys();
    EXPECT_EQ(Text(value.Get()), uR"({"count":1,"name":"n"})");

    auto narrower = KeyType({{u"name", TypeNamed(u"GPString")}, {u"extra", TypeNamed(u"GPLong")}});
    ASSERT_EQ(keyValue->putref_DataType(QueryAs<IGPDataType>(narrower.Get()).Get()), S_OK);
    EXPECT_EQ(Text(value.Get()), uR"({"name":"n"})");
    narrower->RemoveAllKeys(); // the value keeps its own copy of the declarations
    int32_t count = 0;
    QueryAs<IGPKeyValueIndex>(value.Get())->get_Count(&count);
    EXPECT_EQ(count, 2);
}

TEST_F(GPKeyValueTest, ValidationGivesOneMessagePerKey) {
    auto type = KeyType({{u"k", TypeNamed(u"GPLong"), true},
                         {u"opt", TypeNamed(u"GPString")},
                         {u"code", TypeNamed(u"GPString")},
                         {u"n", TypeNamed(u"GPLong")}});
    auto coded = Create<IGPCodedValueDomain>(CLSID_GPCodedValueDomain);
    coded->AddStringCode(u"A", u"A");
    auto domains = Create<IGPCompositeDomain>(CLSID_GPCompositeDomain);
    domains->AddDomain(nullptr);
    domains->AddDomain(nullptr);
    domains->AddDomain(coded.As<IGPDomain>().Get()); // the domain of the key at position 2
    auto value = ValueOf(type.Get());
    for (auto [key, text] : {std::pair{u"code", u"B"}, std::pair{u"n", u"4"}}) {
        ComPtr<IGPDataType> keyType;
        type->get_KeyDataType(key, keyType.Out());
        ComPtr<IGPValue> held;
        keyType->CreateValue(text, held.Out());
        QueryAs<IGPKeyValue>(value.Get())->putref_Value(key, held.Get());
    }
    ComPtr<IGPMessage> message;
    ASSERT_EQ(
        QueryAs<IGPDataType>(type.Get())->ValidateValue(value.Get(), domains.As<IGPDomain>().Get(), message.Out()),
        S_OK);
    auto messages = QueryAs<IGPMessages>(message.Get());
    ASSERT_TRUE(messages);
    int32_t count = 0;
    messages->get_Count(&count);
    ASSERT_EQ(count, 4);
    std::vector<int32_t> types;
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IGPMessage> member;
        messages->GetMessage(i, member.Out());
        types.push_back(MessageType(member.Get()));
        if (i == 0) {
            BStr text;
            member->get_Description(text.Out());
            EXPECT_EQ(text.view(), u"Required key k is not set.");
            EXPECT_EQ(MessageCode(member.Get()), 1);
        }
    }
    EXPECT_EQ(types, (std::vector<int32_t>{100, 0, 100, 0})); // required key missing, optional, "B" not coded, fine

    // A value that is no key-value gets the base's value error.
    auto number = Create<IGPValue>(CLSID_GPLong);
    ASSERT_EQ(QueryAs<IGPDataType>(type.Get())->ValidateValue(number.Get(), nullptr, message.Out()), S_OK);
    EXPECT_FALSE(QueryAs<IGPMessages>(message.Get()));
    EXPECT_TRUE(MessageIsError(message.Get()));
}

TEST_F(GPKeyValueTest, StreamAndXmlKeepTypesValuesAndKeysWithoutValue) {
    auto type = EveryKind(true);
    auto value = ValueOf(type.Get(), uR"({"count":3,"ratio":0.25,"tags":["a","b"],"child":{"label":"x"}})");
    auto typed = ValueOf(type.Get()); // declarations only, no value
    for (IGPValue* source : {value.Get(), typed.Get()}) {
        SCOPED_TRACE(ToUtf8(Text(source)));
        auto loaded = Create<IGPValue>(CLSID_GPKeyValue);
        ASSERT_EQ(Load(loaded.Get(), Saved(source)), S_OK);
        EXPECT_TRUE(Equal(loaded.Get(), source));

        BStr xml;
        ASSERT_EQ(TaviXmlSerialize(source, nullptr, xml.Out()), S_OK);
        auto fromXml = Create<IGPValue>(CLSID_GPKeyValue);
        ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), fromXml.Get()), S_OK);
        EXPECT_TRUE(Equal(fromXml.Get(), source));
        VARIANT_BOOL required = VARIANT_FALSE;
        ComPtr<IGPDataType> readType;
        fromXml->get_DataType(readType.Out());
        EXPECT_EQ(QueryAs<IGPKeyValueType>(readType.Get())->get_KeyRequired(u"count", &required), S_OK);
        EXPECT_EQ(required, VARIANT_TRUE);
    }
}

TEST_F(GPKeyValueTest, StreamFormsWithForeignKeysOrBadCountsAreRefused) {
    auto type = KeyType({{u"a", TypeNamed(u"GPLong")}});
    ComPtr<IName> typeName;
    ASSERT_EQ(QueryAs<IGPDataType>(type.Get())->get_FullName(typeName.Out()), S_OK);
    // The form by hand: version, empty flag, the type's name, the count, then the keys.
    auto form = [&](int32_t count, const char16_t* key) {
        ComPtr<IStream> stream;
        CreateStreamOnMemory(nullptr, 0, 0, stream.Out());
        AfStreamWrite(stream.Get(), uint16_t{1});
        AfStreamWrite(stream.Get(), int16_t{VARIANT_FALSE});
        SaveObject(typeName.Get(), stream.Get(), false);
        AfStreamWrite(stream.Get(), count);
        if (key) {
            WriteString(stream.Get(), key);
            SaveObject(nullptr, stream.Get(), false);
        }
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        return stream;
    };
    auto value = ValueOf(type.Get(), uR"({"a":9})");
    EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->Load(form(1, u"a").Get()), S_OK);
    EXPECT_EQ(Text(value.Get()), u""); // read: "a" holds no value
    value->SetAsText(uR"({"a":9})", ComPtr<IGPMessage>().Out());
    const std::pair<int32_t, const char16_t*> refused[] = {{-1, nullptr},       // a negative count
                                                           {2, u"a"},           // more keys than the type declares
                                                           {1, u"b"},           // a key the type does not declare
                                                           {0x7FFFFFFF, u"a"}}; // a huge count
    for (auto [count, key] : refused) {
        SCOPED_TRACE(count);
        EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->Load(form(count, key).Get()), E_FAIL);
        EXPECT_EQ(Text(value.Get()), uR"({"a":9})");
    }
}

TEST_F(GPKeyValueTest, TheTypeNameKeepsKeysTypesAndRequiredFlags) {
    auto type = EveryKind(true);
    ComPtr<IName> name;
    ASSERT_EQ(QueryAs<IGPDataType>(type.Get())->get_FullName(name.Out()), S_OK);
    auto fromStream = Create<IPersistStream>(CLSID_GPKeyValueTypeName);
    ASSERT_EQ(Load(fromStream.Get(), Saved(name.Get())), S_OK);
    BStr xml;
    ASSERT_EQ(TaviXmlSerialize(name.Get(), nullptr, xml.Out()), S_OK);
    auto fromXml = Create<IUnknown>(CLSID_GPKeyValueTypeName);
    ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), fromXml.Get()), S_OK);
    for (IUnknown* read : {static_cast<IUnknown*>(fromStream.Get()), fromXml.Get()}) {
        ComPtr<IUnknown> opened;
        ASSERT_EQ(QueryAs<IName>(read)->Open(opened.Out()), S_OK);
        EXPECT_TRUE(Equal(opened.Get(), type.Get()));
    }

    // The name's own list refuses a key twice; a name that does not open leaves its key without data type.
    auto names = QueryAs<IGPKeyValueTypeName>(name.Get());
    ComPtr<IGPKeyValueTypeNamePair> pair;
    ASSERT_EQ(names->get_Pair(0, pair.Out()), S_OK);
    EXPECT_EQ(names->AddPair(pair.Get()), E_INVALIDARG);
    auto lost = Create<IGPName>(CLSID_GPName);
    lost->put_Name(u"NoSuchType");
    pair->put_Key(u"lost");
    pair->putref_DataTypeName(lost.Get());
    ASSERT_EQ(names->AddPair(pair.Get()), S_OK);
    ComPtr<IUnknown> opened;
    ASSERT_EQ(name->Open(opened.Out()), S_OK);
    ComPtr<IGPDataType> lostType;
    EXPECT_EQ(QueryAs<IGPKeyValueType>(opened.Get())->get_KeyDataType(u"lost", lostType.Out()), S_OK);
    EXPECT_FALSE(lostType);
}

TEST_F(GPKeyValueTest, OlderDocumentsGetAStringInItsPlace) {
    auto type = EveryKind();
    auto value = ValueOf(type.Get(), uR"({"count":5})");
    ComPtr<IGPName> typeName;
    {
        ComPtr<IName> name;
        QueryAs<IGPDataType>(type.Get())->get_FullName(name.Out());
        typeName = QueryAs<IGPName>(name.Get());
    }
    for (IUnknown* object : {static_cast<IUnknown*>(value.Get()), static_cast<IUnknown*>(type.Get()),
                             static_cast<IUnknown*>(typeName.Get())}) {
        auto versions = QueryAs<IDocumentVersionSupport>(object);
        ASSERT_TRUE(versions);
        VARIANT_BOOL supported = VARIANT_FALSE;
        versions->IsSupportedAtVersion(docversion::kCurrent, &supported);
        EXPECT_TRUE(supported);
        versions->IsSupportedAtVersion(docversion::Newer(docversion::kNewerCount - 2), &supported);
        EXPECT_FALSE(supported);
        BStr minimum;
        ASSERT_EQ(QueryAs<IXMLVersionSupport>(object)->get_MinNamespaceSupported(minimum.Out()), S_OK);
        EXPECT_EQ(minimum.view(), c_xml_ns_tavi);
    }
    ComPtr<IUnknown> replacement;
    ASSERT_EQ(QueryAs<IDocumentVersionSupport>(value.Get())->ConvertToSupportedObject(0, replacement.Out()), S_OK);
    EXPECT_EQ(Text(replacement.Get()), uR"({"count":5})");
    EXPECT_TRUE(QueryAs<IGPString>(replacement.Get()));
    ASSERT_EQ(QueryAs<IDocumentVersionSupport>(type.Get())->ConvertToSupportedObject(0, replacement.Out()), S_OK);
    EXPECT_TRUE(QueryAs<IGPStringType>(replacement.Get()));
    ASSERT_EQ(QueryAs<IDocumentVersionSupport>(typeName.Get())->ConvertToSupportedObject(0, replacement.Out()), S_OK);
    ComPtr<IUnknown> opened;
    ASSERT_EQ(QueryAs<IName>(replacement.Get())->Open(opened.Out()), S_OK);
    EXPECT_TRUE(QueryAs<IGPStringType>(opened.Get()));
}

} // namespace
} // namespace tavi::test
