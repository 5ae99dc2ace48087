// The string values and their data types: text forms, the escaped form of hidden strings, the variant form, the
// stream and XML forms, equality, document version support, and the data types' names and value creation.
#include "TestSupport.h"

#include "host/CreateInstance.h"
#include "host/DocumentVersion.h"
#include "host/StreamIO.h"
#include "tavi/Entry.h"
#include "tavi/GPScalar.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

#include <vector>

namespace tavi::test {
namespace {

class GPStringTest : public ModuleClassesTest {
protected:
    static ComPtr<IGPString> NewString(const char16_t* text, REFCLSID clsid = CLSID_GPString) {
        auto value = Create<IGPString>(clsid);
        if (value && text) {
            EXPECT_EQ(value->put_Value(text), S_OK);
        }
        return value;
    }
};

String ValueOf(IGPString* value) {
    BStr text;
    EXPECT_EQ(value->get_Value(text.Out()), S_OK);
    return text.str();
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
ComPtr<IStream> NewStream(const std::vector<uint8_t>& bytes = {}) {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnMemory(bytes.data(), static_cast<ULONG>(bytes.size()), docversion::kCurrent, stream.Out()),
              S_OK);
    return stream;
}
String Text(IGPString* value) {
    // The stored text with real line feeds, read through the variant form.
    VARIANT v;
    VariantInit(&v);
    EXPECT_EQ(QueryAs<IGPVariant>(value)->get_Value(&v), S_OK);
    EXPECT_EQ(v.vt, VT_BSTR);
    String text(v.bstrVal, SysStringLen(v.bstrVal));
    VariantClear(&v);
    return text;
}

TEST_F(GPStringTest, TextFormAndEmptiness) {
    struct Case {
        REFCLSID clsid;
        const char16_t* text;
        bool empty;
        const char16_t* asText;
        const char* reason;
    };
    const Case cases[] = {
        {CLSID_GPString, nullptr, true, u"", "a new string is empty"},
        {CLSID_GPString, u"", true, u"", "the empty text empties it"},
        {CLSID_GPString, u" ", false, u" ", "blanks are content, not trimmed"},
        {CLSID_GPString, u" \"a\"\n", false, u" \"a\"\n", "no quoting, trimming or escaping"},
        {CLSID_GPStringHidden, nullptr, true, u"", "a new hidden string is empty"},
        {CLSID_GPStringHidden, u"secret", false, u"*****", "the text is masked"},
        {CLSID_GPStringHidden, u"a\\nb", false, u"*****", "masked whatever its length"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto value = Create<IGPValue>(c.clsid);
        if (c.text) {
            ComPtr<IGPMessage> message;
            ASSERT_EQ(value->SetAsText(c.text, message.Out()), S_OK);
            if (c.clsid == CLSID_GPString) {
                ASSERT_TRUE(message); // the plain string always hands out a message, never an error
                VARIANT_BOOL error = VARIANT_TRUE;
                message->IsError(&error);
                EXPECT_EQ(error, VARIANT_FALSE);
            } else {
                EXPECT_FALSE(message); // the hidden string makes none
            }
        }
        EXPECT_EQ(IsEmpty(value.Get()), c.empty);
        EXPECT_EQ(AsText(value.Get()), c.asText);
        EXPECT_EQ(value->SetAsText(u"x", nullptr), E_POINTER);
    }
}

TEST_F(GPStringTest, EmptyClearsTheText) {
    for (const CLSID& clsid : {CLSID_GPString, CLSID_GPStringHidden}) {
        auto value = NewString(u"abc", clsid);
        EXPECT_EQ(QueryAs<IGPValue>(value.Get())->Empty(), S_OK);
        EXPECT_TRUE(IsEmpty(value.Get()));
        EXPECT_EQ(ValueOf(value.Get()), u"");
    }
}

TEST_F(GPStringTest, HiddenEscapedForm) {
    struct Case {
        const char16_t* stored; // put through the variant form, which stores the text as it is
        const char16_t* escaped;
        const char* reason;
    };
    const Case cases[] = {
        {u"a\nb", u"a\\nb", "a lone line feed"},
        {u"a\r\nb", u"a\\nb", "CR LF is one line break"},
        {u"a\rb\nc", u"a\\nb\\nc", "a CR not followed by LF, with a line feed elsewhere"},
        {u"a\nb\r", u"a\\nb", "a CR at the end is dropped when there is a line feed"},
        {u"ab\r", u"ab\r", "without any line feed the text is as stored"},
        {u"a\rb", u"a\rb", "a lone CR alone is kept"},
        {u"\n", u"\\n", "only a line feed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto value = Create<IGPStringHidden>(CLSID_GPStringHidden);
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocString(c.stored);
        ASSERT_EQ(QueryAs<IGPVariant>(value.Get())->put_Value(v), S_OK);
        VariantClear(&v);
        BStr escaped;
        ASSERT_EQ(value->get_Value(escaped.Out()), S_OK);
        EXPECT_EQ(escaped.str(), c.escaped);
        EXPECT_EQ(ValueOf(QueryAs<IGPString>(value.Get()).Get()), c.escaped); // IGPString says the same
    }
}

TEST_F(GPStringTest, HiddenPutDecodesEveryEscape) {
    struct Case {
        const char16_t* put;
        const char16_t* stored;
    };
    const Case cases[] = {
        {u"a\\nb", u"a\nb"},  {u"\\n\\n", u"\n\n"}, {u"a\\\\nb", u"a\\\nb"}, // a backslash before the escape stays
        {u"a\\tb", u"a\\tb"},                                                // only "\n" is an escape
        {u"", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.put));
        auto value = NewString(c.put, CLSID_GPStringHidden);
        EXPECT_EQ(Text(value.Get()), c.stored);
    }
    // The plain string keeps the two characters.
    EXPECT_EQ(Text(NewString(u"a\\nb").Get()), u"a\\nb");
}

TEST_F(GPStringTest, VariantPut) {
    struct Case {
        VARTYPE vt;
        double number;
        const char16_t* text;
        const char* reason;
    };
    const Case cases[] = {
        {VT_DATE, 0.5, u"12/30/1899 12:00:00 PM", "date always, time when not midnight"},
        {VT_DATE, 36526.0, u"1/1/2000", "midnight: the date only"},
        {VT_DATE, 36526.75, u"1/1/2000 6:00:00 PM", ""},
        {VT_DATE, 3000000.0, u"<?>", "after the last valid date"},
        {VT_DATE, 2958466.0, u"<?>", "the upper bound itself"},
        {VT_DATE, -657435.0, u"<?>", "the lower bound itself"},
        {VT_R8, 2.5, u"2.5", "numbers through the locale-aware conversion"},
        {VT_I4, -7, u"-7", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto value = Create<IGPVariant>(CLSID_GPString);
        VARIANT v;
        VariantInit(&v);
        v.vt = c.vt;
        if (c.vt == VT_I4)
            v.lVal = static_cast<int32_t>(c.number);
        else if (c.vt == VT_DATE)
            v.date = c.number;
        else
            v.dblVal = c.number;
        ASSERT_EQ(value->put_Value(v), S_OK);
        EXPECT_EQ(Text(QueryAs<IGPString>(value.Get()).Get()), c.text);
    }
    auto value = Create<IGPVariant>(CLSID_GPString);
    VARIANT null;
    VariantInit(&null);
    null.vt = VT_NULL;
    EXPECT_EQ(value->put_Value(null), E_FAIL);
    EXPECT_EQ(value->get_Value(nullptr), E_POINTER);
}

TEST_F(GPStringTest, EqualityIgnoresCase) {
    struct Case {
        REFCLSID clsid;
        const char16_t* a;
        const char16_t* b;
        bool equal;
    };
    const Case cases[] = {
        {CLSID_GPString, u"Road", u"rOAD", true},
        {CLSID_GPString, u"Road", u"Road ", false},
        {CLSID_GPString, u"", u"", true},
        {CLSID_GPStringHidden, u"Pass", u"pASS", true},
        {CLSID_GPStringHidden, u"a\\nB", u"A\\nb", true},
        {CLSID_GPStringHidden, u"a\\nb", u"ab", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.a) + " / " + ToUtf8(c.b));
        auto a = NewString(c.a, c.clsid);
        auto b = NewString(c.b, c.clsid);
        EXPECT_EQ(Equal(a.Get(), b.Get()), c.equal);
    }
    // Across classes: a hidden string is no plain string's equal, nor is a data type; the call still succeeds.
    auto plain = NewString(u"x");
    auto hidden = NewString(u"x", CLSID_GPStringHidden);
    auto type = Create<IClone>(CLSID_GPStringType);
    EXPECT_FALSE(Equal(hidden.Get(), plain.Get()));
    EXPECT_FALSE(Equal(plain.Get(), type.Get()));
    VARIANT_BOOL equal;
    EXPECT_EQ(QueryAs<IClone>(plain.Get())->IsEqual(nullptr, &equal), E_POINTER);
}

TEST_F(GPStringTest, CloneAndAssign) {
    for (const CLSID& clsid : {CLSID_GPString, CLSID_GPStringHidden}) {
        // CR LF survives in a plain string; in a hidden one the clone holds a line feed and is still equal.
        auto value = NewString(nullptr, clsid);
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocString(u"one\r\ntwo");
        QueryAs<IGPVariant>(value.Get())->put_Value(v);
        VariantClear(&v);
        ComPtr<IClone> clone;
        ASSERT_EQ(QueryAs<IClone>(value.Get())->Clone(clone.Out()), S_OK);
        EXPECT_TRUE(Equal(clone.Get(), value.Get()));
        EXPECT_TRUE(Equal(value.Get(), clone.Get()));
        EXPECT_EQ(ValueOf(QueryAs<IGPString>(clone.Get()).Get()), ValueOf(value.Get()));
    }
    // Assign needs the value's own interface and changes nothing without it.
    auto target = NewString(u"keep");
    auto type = Create<IClone>(CLSID_GPStringType);
    EXPECT_EQ(QueryAs<IClone>(target.Get())->Assign(type.Get()), E_INVALIDARG);
    EXPECT_EQ(ValueOf(target.Get()), u"keep");
    auto hidden = NewString(u"keep", CLSID_GPStringHidden);
    auto plain = NewString(u"other");
    EXPECT_EQ(QueryAs<IClone>(hidden.Get())->Assign(QueryAs<IClone>(plain.Get()).Get()), E_INVALIDARG);
}

TEST_F(GPStringTest, StreamRoundTrip) {
    struct Case {
        REFCLSID clsid;
        const char16_t* text;
    };
    const Case cases[] = {
        {CLSID_GPString, nullptr},
        {CLSID_GPString, u""},
        {CLSID_GPString, u"Größe ✓"},
        {CLSID_GPStringHidden, u"a\\nb"}, // stored with its real line feed
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text ? ToUtf8(c.text) : "new");
        auto value = NewString(c.text, c.clsid);
        auto stream = NewStream();
        ASSERT_EQ(QueryAs<IPersistStream>(value.Get())->Save(stream.Get(), 1), S_OK);
        EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->IsDirty(), S_FALSE);
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        auto read = NewString(nullptr, c.clsid);
        ASSERT_EQ(QueryAs<IPersistStream>(read.Get())->Load(stream.Get()), S_OK);
        EXPECT_EQ(Text(read.Get()), Text(value.Get()));
        EXPECT_EQ(IsEmpty(read.Get()), IsEmpty(value.Get()));
        EXPECT_EQ(QueryAs<IPersistStream>(read.Get())->IsDirty(), S_FALSE);
    }
}

TEST_F(GPStringTest, StreamVersions) {
    // Versions 0 and 1 are read; a newer one is refused, and so is a truncated stream.
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
        if (!c.truncated)
            WriteString(stream.Get(), u"text");
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        auto value = NewString(nullptr);
        EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->Load(stream.Get()), c.hr);
        if (c.hr == S_OK) {
            EXPECT_EQ(ValueOf(value.Get()), u"text");
        }
    }
    auto value = NewString(u"x");
    EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->Save(nullptr, 1), E_POINTER);
    EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->Load(nullptr), E_POINTER);
}

TEST_F(GPStringTest, XmlRoundTrip) {
    struct Case {
        REFCLSID clsid;
        const char16_t* text;
    };
    const Case cases[] = {
        {CLSID_GPString, nullptr},
        {CLSID_GPString, u" <a & b> "},
        {CLSID_GPStringHidden, u"line\\nbreak"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text ? ToUtf8(c.text) : "new");
        auto value = NewString(c.text, c.clsid);
        BStr xml;
        ASSERT_EQ(TaviXmlSerialize(value.Get(), nullptr, xml.Out()), S_OK);
        EXPECT_NE(xml.view().find(u"GPString\""), std::u16string_view::npos) << ToUtf8(xml.view());
        EXPECT_EQ(xml.view().find(u"GPStringHidden"), std::u16string_view::npos); // read back as a plain string
        auto read = NewString(nullptr);                                           // a plain string reads either
        ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), read.Get()), S_OK);
        EXPECT_EQ(Text(read.Get()), Text(value.Get()));
        EXPECT_EQ(IsEmpty(read.Get()), IsEmpty(value.Get()));
    }
}

TEST_F(GPStringTest, HiddenDocumentVersions) {
    auto hidden = NewString(u"a\\nb", CLSID_GPStringHidden);
    auto support = QueryAs<IDocumentVersionSupport>(hidden.Get());
    ASSERT_TRUE(support);
    for (auto [version, expected] : {std::pair{369, VARIANT_FALSE}, {370, VARIANT_TRUE}, {0, VARIANT_FALSE}}) {
        VARIANT_BOOL supported = 7;
        EXPECT_EQ(support->IsSupportedAtVersion(version, &supported), S_OK);
        EXPECT_EQ(supported, expected) << version;
    }
    ComPtr<IUnknown> replacement;
    ASSERT_EQ(support->ConvertToSupportedObject(369, replacement.Out()), S_OK);
    auto plain = QueryAs<IGPString>(replacement.Get());
    ASSERT_TRUE(plain);
    EXPECT_FALSE(QueryAs<IGPStringHidden>(replacement.Get()));
    EXPECT_EQ(ValueOf(plain.Get()), u"a\nb");                              // the stored text, with its line feed
    EXPECT_FALSE(QueryAs<IDocumentVersionSupport>(NewString(u"x").Get())); // only the hidden string has it
}

TEST_F(GPStringTest, InterfacesAnswered) {
    struct Case {
        REFCLSID clsid;
        std::vector<IID> answered;
        std::vector<IID> not_answered;
    };
    const Case cases[] = {
        {CLSID_GPString,
         {IGPString::iid, IGPVariant::iid, IGPValue::iid, IXMLSerialize::iid, IClone::iid, IPersistStream::iid,
          IPersist::iid},
         {IGPStringHidden::iid, IGPDescribe::iid, IDocumentVersionSupport::iid}},
        {CLSID_GPStringHidden,
         {IGPStringHidden::iid, IGPString::iid, IGPVariant::iid, IGPValue::iid, IXMLSerialize::iid, IClone::iid,
          IPersistStream::iid, IPersist::iid, IDocumentVersionSupport::iid},
         {IGPDescribe::iid}},
        {CLSID_GPStringType,
         {IGPStringType::iid, IGPDataType::iid, IGPVariantType::iid, IClone::iid},
         {IGPStringHiddenType::iid}},
        {CLSID_GPStringHiddenType,
         {IGPStringHiddenType::iid, IGPDataType::iid, IGPVariantType::iid, IClone::iid},
         {IGPStringType::iid}},
    };
    for (const auto& c : cases) {
        auto object = Create<IUnknown>(c.clsid);
        for (const IID& iid : c.answered) {
            ComPtr<IUnknown> answer;
            EXPECT_EQ(object->QueryInterface(iid, answer.OutVoid()), S_OK);
        }
        for (const IID& iid : c.not_answered) {
            ComPtr<IUnknown> answer;
            EXPECT_EQ(object->QueryInterface(iid, answer.OutVoid()), E_NOINTERFACE);
        }
    }
}

TEST_F(GPStringTest, DataTypeNames) {
    struct Case {
        REFCLSID clsid;
        const char16_t* name;
        const char16_t* displayName;
    };
    const Case cases[] = {
        {CLSID_GPStringType, u"GPString", u"String"},
        {CLSID_GPStringHiddenType, u"GPStringHidden", u"String Hidden"},
    };
    for (const auto& c : cases) {
        auto type = Create<IGPDataType>(c.clsid);
        BStr name, displayName;
        EXPECT_EQ(type->get_Name(name.Out()), S_OK);
        EXPECT_EQ(name.str(), c.name);
        EXPECT_EQ(type->get_DisplayName(displayName.Out()), S_OK);
        EXPECT_EQ(displayName.str(), c.displayName);
    }
    // A value's data type is the matching type.
    ComPtr<IGPDataType> type;
    ASSERT_EQ(QueryAs<IGPValue>(NewString(u"x", CLSID_GPStringHidden).Get())->get_DataType(type.Out()), S_OK);
    EXPECT_TRUE(QueryAs<IGPStringHiddenType>(type.Get()));
}

TEST_F(GPStringTest, CreateValue) {
    struct Case {
        REFCLSID type;
        const char16_t* text;
        const char16_t* stored;
        bool empty;
    };
    const Case cases[] = {
        {CLSID_GPStringHiddenType, u"a\\nb", u"a\nb", false}, // the escape is decoded
        {CLSID_GPStringHiddenType, u"", u"", true},
        {CLSID_GPStringHiddenType, nullptr, u"", true},
        {CLSID_GPStringType, u"a\\nb", u"a\\nb", false}, // the plain type keeps the text as it is
        {CLSID_GPStringType, u"", u"", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text ? ToUtf8(c.text) : "null");
        auto type = Create<IGPDataType>(c.type);
        ComPtr<IGPValue> value;
        ASSERT_EQ(type->CreateValue(c.text, value.Out()), S_OK);
        ASSERT_TRUE(value);
        EXPECT_EQ(Text(QueryAs<IGPString>(value.Get()).Get()), c.stored);
        EXPECT_EQ(IsEmpty(value.Get()), c.empty);
    }
    EXPECT_EQ(Create<IGPDataType>(CLSID_GPStringHiddenType)->CreateValue(u"x", nullptr), E_POINTER);
}

TEST_F(GPStringTest, ValidationByKind) {
    auto stringType = Create<IGPDataType>(CLSID_GPStringType);
    auto hiddenType = Create<IGPDataType>(CLSID_GPStringHiddenType);
    auto isError = [](IGPMessage* message) {
        VARIANT_BOOL error = VARIANT_FALSE;
        message->IsError(&error);
        return error != VARIANT_FALSE;
    };
    ComPtr<IGPMessage> message;
    EXPECT_EQ(stringType->ValidateDataType(stringType.Get(), message.Out()), S_OK);
    EXPECT_FALSE(isError(message.Get()));
    EXPECT_EQ(stringType->ValidateDataType(hiddenType.Get(), message.Out()), S_OK);
    EXPECT_TRUE(isError(message.Get()));
    // A hidden string also answers IGPString, so the plain type takes it as a value.
    auto hidden = QueryAs<IGPValue>(NewString(u"x", CLSID_GPStringHidden).Get());
    auto plain = QueryAs<IGPValue>(NewString(u"x").Get());
    EXPECT_EQ(stringType->ValidateValue(hidden.Get(), nullptr, message.Out()), S_OK);
    EXPECT_FALSE(isError(message.Get()));
    EXPECT_EQ(hiddenType->ValidateValue(plain.Get(), nullptr, message.Out()), S_OK);
    EXPECT_TRUE(isError(message.Get()));
}

} // namespace
} // namespace tavi::test
