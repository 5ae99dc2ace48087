// The encrypted string value and its data type: the masked text form, protection round trips, refusal of altered
// forms and of a wrong key, value creation from text, the stream forms by document version, XML, equality, the
// expression interface and the replacements for older documents.
#include "TestSupport.h"

#include "host/CreateInstance.h"
#include "host/DocumentVersion.h"
#include "host/StreamIO.h"
#include "host/TextProtection.h"
#include "tavi/Collections.h"
#include "tavi/Entry.h"
#include "tavi/GPScalar.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

#include <unistd.h>

namespace tavi::test {
namespace {

namespace fs = std::filesystem;

// Every test protects under a key file of its own in a temporary folder, never the user's.
class GPEncryptedStringTest : public ModuleClassesTest {
protected:
    void SetUp() override {
        ModuleClassesTest::SetUp();
        std::string pattern = (fs::temp_directory_path() / "tavi-encrypted-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        if (const char* old = std::getenv("TAVI_KEY_FILE"))
            oldKeyFile_ = old;
        UseKeyFile(folder_ / "protection.key");
    }
    void TearDown() override {
        if (oldKeyFile_)
            ::setenv("TAVI_KEY_FILE", oldKeyFile_->c_str(), 1);
        else
            ::unsetenv("TAVI_KEY_FILE");
        textprotection::ForgetKeyForTesting();
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
        ModuleClassesTest::TearDown();
    }

    void UseKeyFile(const fs::path& path) {
        ::setenv("TAVI_KEY_FILE", path.c_str(), 1);
        textprotection::ForgetKeyForTesting();
    }
    static ComPtr<IGPEncryptedString> NewValue(const char16_t* plain = nullptr) {
        auto value = Create<IGPEncryptedString>(CLSID_GPEncryptedString);
        if (value && plain) {
            EXPECT_EQ(value->put_Value(plain), S_OK);
        }
        return value;
    }

    fs::path folder_;

private:
    std::optional<std::string> oldKeyFile_;
};

String Plain(IGPEncryptedString* value) {
    BStr text;
    EXPECT_EQ(value->get_Value(text.Out()), S_OK);
    return text.str();
}
String Protected(IGPEncryptedString* value) {
    BStr text;
    EXPECT_EQ(value->get_ProtectedValue(text.Out()), S_OK);
    return text.str();
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
ComPtr<IStream> NewStream(int32_t documentVersion = docversion::kCurrent) {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnMemory(nullptr, 0, documentVersion, stream.Out()), S_OK);
    return stream;
}
uint64_t StreamSize(IStream* stream) {
    uint64_t end = 0;
    stream->Seek(0, STREAM_SEEK_END, &end);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    return end;
}

TEST_F(GPEncryptedStringTest, MaskedTextAndEmptiness) {
    struct Case {
        const char16_t* plain;
        bool empty;
        const char16_t* asText;
        const char* reason;
    };
    const Case cases[] = {
        {nullptr, true, u"", "a new value is empty and prints nothing"},
        {u"secret", false, u"*****", "content is masked"},
        {u"a much longer secret than five", false, u"*****", "masked whatever its length"},
        {u" ", false, u"*****", "a blank is content"},
        {u"", true, u"", "the empty text leaves the value empty"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto value = NewValue(c.plain);
        EXPECT_EQ(IsEmpty(value.Get()), c.empty);
        EXPECT_EQ(AsText(value.Get()), c.asText);
        BStr expression;
        ASSERT_EQ(QueryAs<IGPValueExpression>(value.Get())->GetAsText(nullptr, expression.Out()), S_OK);
        EXPECT_EQ(expression.str(), c.asText);
        if (c.plain) {
            EXPECT_EQ(Plain(value.Get()), c.plain);
        }
    }
    auto value = NewValue(u"x");
    EXPECT_EQ(QueryAs<IGPValue>(value.Get())->Empty(), S_OK);
    EXPECT_TRUE(IsEmpty(value.Get()));
    EXPECT_EQ(Protected(value.Get()), u"");
}

TEST_F(GPEncryptedStringTest, SetAsTextDoesNothing) {
    for (auto* start : {static_cast<const char16_t*>(nullptr), u"kept"}) {
        auto value = NewValue(start);
        String before = Protected(value.Get());
        ComPtr<IGPMessage> message;
        EXPECT_EQ(QueryAs<IGPValue>(value.Get())->SetAsText(u"new text", message.Out()), S_FALSE);
        EXPECT_FALSE(message) << "no message is made";
        EXPECT_EQ(Protected(value.Get()), before);
        EXPECT_EQ(QueryAs<IGPValue>(value.Get())->SetAsText(u"x", nullptr), E_POINTER);
    }
}

TEST_F(GPEncryptedStringTest, ProtectedFormIsNotThePlainText) {
    auto value = NewValue(u"hunter2");
    String form = Protected(value.Get());
    EXPECT_EQ(form.substr(0, 4), u"0002");
    EXPECT_EQ(form.find(u"hunter2"), String::npos);
    EXPECT_GE(form.size(), 36u);
    // put_ProtectedValue stores a form unchanged; get_Value recovers the text from it.
    auto copy = NewValue();
    ASSERT_EQ(copy->put_ProtectedValue(form.c_str()), S_OK);
    EXPECT_EQ(Protected(copy.Get()), form);
    EXPECT_EQ(Plain(copy.Get()), u"hunter2");
    EXPECT_EQ(value->get_Value(nullptr), E_POINTER);
    EXPECT_EQ(value->get_ProtectedValue(nullptr), E_POINTER);
}

TEST_F(GPEncryptedStringTest, AlteredFormOrWrongKeyHandsOutNothing) {
    auto value = NewValue(u"secret");
    String form = Protected(value.Get());
    struct Case {
        String form;
        const char* reason;
    };
    String tampered = form;
    tampered[20] = tampered[20] == u'a' ? u'b' : u'a';
    const Case cases[] = {
        {tampered, "one hex digit changed"},
        {form.substr(0, form.size() - 2), "shortened by a byte"},
        {u"0002" + String(32, u'0'), "a recognisable form that was never protected"},
        {u"plain text", "not a protected form at all"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto altered = NewValue();
        ASSERT_EQ(altered->put_ProtectedValue(c.form.c_str()), S_OK);
        BSTR plain = reinterpret_cast<BSTR>(0x1);
        EXPECT_EQ(altered->get_Value(&plain), E_FAIL);
        EXPECT_EQ(plain, nullptr);
    }
    // Another user's key cannot read the value, and protecting under a refused key file changes nothing.
    UseKeyFile(folder_ / "other.key");
    BStr plain;
    EXPECT_EQ(value->get_Value(plain.Out()), E_FAIL);
    fs::create_directories(folder_ / "dir.key");
    UseKeyFile(folder_ / "dir.key");
    EXPECT_EQ(value->put_Value(u"new"), E_FAIL);
    EXPECT_EQ(Protected(value.Get()), form);
}

TEST_F(GPEncryptedStringTest, CreateValueRecognisesProtectedForms) {
    const String hex32 = u"0123456789abcdef0123456789ABCDEF";
    struct Case {
        String text;
        bool storedAsIs; // else protected as plain text
        const char* reason;
    };
    const Case cases[] = {
        {u"0002" + hex32, true, "\"0002\" and 32 hex digits: 36 characters"},
        {u"0002" + hex32 + u"00", true, "longer forms too"},
        {u"0002" + hex32.substr(0, 31) + u"g", false, "a letter that is no hex digit"},
        {u"0002" + hex32.substr(0, 31), false, "35 characters"},
        {u"0001" + hex32, false, "the older prefix is not recognised"},
        {u" 0002" + hex32, false, "nothing may precede the prefix"},
        {u"password", false, "plain text"},
    };
    auto type = Create<IGPDataType>(CLSID_GPEncryptedStringType);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        ComPtr<IGPValue> value;
        ASSERT_EQ(type->CreateValue(c.text.c_str(), value.Out()), S_OK);
        auto encrypted = QueryAs<IGPEncryptedString>(value.Get());
        ASSERT_TRUE(encrypted);
        if (c.storedAsIs) {
            EXPECT_EQ(Protected(encrypted.Get()), c.text);
        } else {
            EXPECT_NE(Protected(encrypted.Get()), c.text);
            EXPECT_EQ(Plain(encrypted.Get()), c.text);
        }
    }
    for (const char16_t* text : {static_cast<const char16_t*>(nullptr), u""}) {
        ComPtr<IGPValue> value;
        ASSERT_EQ(type->CreateValue(text, value.Out()), S_OK);
        EXPECT_TRUE(IsEmpty(value.Get()));
    }
    EXPECT_EQ(type->CreateValue(u"x", nullptr), E_POINTER);
    // A key that cannot be had fails the creation and hands out no value.
    fs::create_directories(folder_ / "dir.key");
    UseKeyFile(folder_ / "dir.key");
    ComPtr<IGPValue> value;
    EXPECT_EQ(type->CreateValue(u"password", value.Out()), E_FAIL);
    EXPECT_FALSE(value);
}

TEST_F(GPEncryptedStringTest, StreamFormsByDocumentVersion) {
    struct Case {
        int32_t documentVersion;
        int written; // the stream version written, -1 for nothing
        const char16_t* prefix;
    };
    const Case cases[] = {
        {docversion::kCurrent, 2, u"0002"},  {docversion::Newer(0), 2, u"0002"},
        {docversion::Older(5), 2, u"0002"},  {docversion::Older(4), 1, u"0001"}, // the older protected form
        {docversion::Older(3), -1, nullptr}, {docversion::Older(0), -1, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(docversion::Name(c.documentVersion));
        auto value = NewValue(u"secret");
        auto stream = NewStream(c.documentVersion);
        ASSERT_EQ(QueryAs<IPersistStream>(value.Get())->Save(stream.Get(), 1), S_OK);
        if (c.written < 0) {
            EXPECT_EQ(StreamSize(stream.Get()), 0u);
            continue;
        }
        EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->IsDirty(), S_FALSE);
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        uint16_t version = 0;
        ASSERT_EQ(AfStreamRead(stream.Get(), &version), S_OK);
        EXPECT_EQ(version, c.written);
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        auto read = NewValue();
        ASSERT_EQ(QueryAs<IPersistStream>(read.Get())->Load(stream.Get()), S_OK);
        EXPECT_EQ(Protected(read.Get()).substr(0, 4), c.prefix);
        EXPECT_EQ(Plain(read.Get()), u"secret");
        EXPECT_FALSE(IsEmpty(read.Get()));
        EXPECT_EQ(QueryAs<IPersistStream>(read.Get())->IsDirty(), S_FALSE);
        if (c.written == 2) {
            EXPECT_TRUE(Equal(read.Get(), value.Get())) << "the current form is written as it is";
        }
    }
}

TEST_F(GPEncryptedStringTest, StreamEdges) {
    // An empty value round trips at both versions.
    for (int32_t documentVersion : {docversion::kCurrent, docversion::Older(4)}) {
        auto value = NewValue();
        auto stream = NewStream(documentVersion);
        ASSERT_EQ(QueryAs<IPersistStream>(value.Get())->Save(stream.Get(), 1), S_OK);
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        auto read = NewValue(u"overwritten");
        ASSERT_EQ(QueryAs<IPersistStream>(read.Get())->Load(stream.Get()), S_OK);
        EXPECT_TRUE(IsEmpty(read.Get()));
    }
    // A form that cannot be recovered cannot be rewritten in the older form: E_FAIL, and nothing written.
    auto junk = NewValue();
    junk->put_ProtectedValue(u"0002deadbeef");
    auto older = NewStream(docversion::Older(4));
    EXPECT_EQ(QueryAs<IPersistStream>(junk.Get())->Save(older.Get(), 1), E_FAIL);
    EXPECT_EQ(StreamSize(older.Get()), 0u);
    auto current = NewStream();
    EXPECT_EQ(QueryAs<IPersistStream>(junk.Get())->Save(current.Get(), 1), S_OK) << "the current form is not read";

    // Reading: versions up to 2; newer ones and truncated streams fail.
    struct Case {
        uint16_t version;
        bool truncated;
        HRESULT hr;
    };
    const Case cases[] = {{0, false, S_OK},   {1, false, S_OK},        {2, false, S_OK},
                          {3, false, E_FAIL}, {0xFFFF, false, E_FAIL}, {2, true, E_FAIL}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        auto stream = NewStream();
        AfStreamWrite(stream.Get(), c.version);
        AfStreamWrite(stream.Get(), int16_t{VARIANT_FALSE});
        if (!c.truncated)
            WriteString(stream.Get(), u"0002abcd");
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        auto value = NewValue();
        EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->Load(stream.Get()), c.hr);
        if (c.hr == S_OK) {
            EXPECT_EQ(Protected(value.Get()), u"0002abcd");
        }
    }
    auto value = NewValue(u"x");
    EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->Save(nullptr, 1), E_POINTER);
    EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->Load(nullptr), E_POINTER);
}

TEST_F(GPEncryptedStringTest, XmlRoundTrip) {
    for (auto* plain : {static_cast<const char16_t*>(nullptr), u"<secret & more>"}) {
        SCOPED_TRACE(plain ? "with content" : "empty");
        auto value = NewValue(plain);
        BStr xml;
        ASSERT_EQ(TaviXmlSerialize(value.Get(), nullptr, xml.Out()), S_OK);
        EXPECT_NE(xml.view().find(u"GPEncryptedString"), std::u16string_view::npos) << ToUtf8(xml.view());
        EXPECT_EQ(xml.view().find(u"secret"), std::u16string_view::npos) << "only the protected form is written";
        auto read = NewValue(plain ? nullptr : u"overwritten");
        ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), read.Get()), S_OK);
        EXPECT_EQ(Protected(read.Get()), Protected(value.Get()));
        EXPECT_EQ(IsEmpty(read.Get()), IsEmpty(value.Get()));
        if (plain) {
            EXPECT_EQ(Plain(read.Get()), plain);
        }
    }
}

TEST_F(GPEncryptedStringTest, EqualityOnProtectedForms) {
    auto value = NewValue(u"secret");
    String form = Protected(value.Get());
    String upper = form;
    for (auto& c : upper)
        c = static_cast<char16_t>(std::toupper(c));
    auto shouted = NewValue();
    shouted->put_ProtectedValue(upper.c_str());
    EXPECT_TRUE(Equal(value.Get(), shouted.Get())) << "hex digits compare without regard to case";
    EXPECT_EQ(Plain(shouted.Get()), u"secret");

    ComPtr<IClone> clone;
    ASSERT_EQ(QueryAs<IClone>(value.Get())->Clone(clone.Out()), S_OK);
    EXPECT_TRUE(Equal(clone.Get(), value.Get()));
    EXPECT_FALSE(Equal(NewValue(u"secret").Get(), value.Get())) << "another protection of the text has its own nonce";
    EXPECT_TRUE(Equal(NewValue().Get(), NewValue().Get()));
    EXPECT_FALSE(Equal(NewValue().Get(), value.Get()));

    // Other kinds: unequal with S_OK, and Assign refuses them without changing anything.
    auto plain = Create<IGPString>(CLSID_GPString);
    plain->put_Value(form.c_str());
    EXPECT_FALSE(Equal(value.Get(), plain.Get()));
    EXPECT_EQ(QueryAs<IClone>(value.Get())->Assign(QueryAs<IClone>(plain.Get()).Get()), E_INVALIDARG);
    EXPECT_EQ(Protected(value.Get()), form);
    VARIANT_BOOL equal;
    EXPECT_EQ(QueryAs<IClone>(value.Get())->IsEqual(nullptr, &equal), E_POINTER);
    EXPECT_EQ(QueryAs<IClone>(value.Get())->IsEqual(clone.Get(), nullptr), E_POINTER);

    auto target = NewValue(u"other");
    ASSERT_EQ(QueryAs<IClone>(target.Get())->Assign(QueryAs<IClone>(value.Get()).Get()), S_OK);
    EXPECT_EQ(Protected(target.Get()), form);
    ASSERT_EQ(QueryAs<IClone>(target.Get())->Assign(QueryAs<IClone>(NewValue().Get()).Get()), S_OK);
    EXPECT_TRUE(IsEmpty(target.Get()));
}

TEST_F(GPEncryptedStringTest, ExpressionIsAlwaysResolved) {
    auto value = NewValue(u"secret");
    auto expression = QueryAs<IGPValueExpression>(value.Get());
    ASSERT_TRUE(expression);
    VARIANT_BOOL resolved = VARIANT_FALSE;
    EXPECT_EQ(expression->put_Resolved(VARIANT_FALSE), S_OK);
    ASSERT_EQ(expression->get_Resolved(&resolved), S_OK);
    EXPECT_EQ(resolved, VARIANT_TRUE);
    ComPtr<IGPValue> copy;
    ASSERT_EQ(expression->ResolveValue(nullptr, copy.Out()), S_OK);
    ASSERT_TRUE(copy);
    EXPECT_FALSE(SameObject(copy.Get(), value.Get()));
    EXPECT_TRUE(Equal(copy.Get(), value.Get()));
    ComPtr<IUnknown> names;
    EXPECT_EQ(expression->GetVariableNames(names.Out()), S_OK);
    EXPECT_FALSE(names);
    ComPtr<IArray> variables;
    EXPECT_EQ(expression->get_Variables(variables.Out()), S_OK);
    EXPECT_FALSE(variables);
    EXPECT_EQ(expression->putref_Variables(nullptr), S_OK);
}

TEST_F(GPEncryptedStringTest, OlderDocumentsGetPlainReplacements) {
    struct Case {
        const char16_t* plain;
        const char16_t* replacementText;
    };
    const Case cases[] = {{u"secret", u"*****"}, {nullptr, u""}}; // the mask, never the content
    for (const auto& c : cases) {
        auto support = QueryAs<IDocumentVersionSupport>(NewValue(c.plain).Get());
        ASSERT_TRUE(support);
        ComPtr<IUnknown> replacement;
        ASSERT_EQ(support->ConvertToSupportedObject(3, replacement.Out()), S_OK);
        auto plain = QueryAs<IGPString>(replacement.Get());
        ASSERT_TRUE(plain);
        EXPECT_FALSE(QueryAs<IGPEncryptedString>(replacement.Get()));
        BStr text;
        ASSERT_EQ(plain->get_Value(text.Out()), S_OK);
        EXPECT_EQ(text.str(), c.replacementText);
    }
    auto typeSupport = QueryAs<IDocumentVersionSupport>(Create<IUnknown>(CLSID_GPEncryptedStringType).Get());
    ASSERT_TRUE(typeSupport);
    ComPtr<IUnknown> replacement;
    ASSERT_EQ(typeSupport->ConvertToSupportedObject(3, replacement.Out()), S_OK);
    EXPECT_TRUE(QueryAs<IGPStringType>(replacement.Get()));

    auto valueSupport = QueryAs<IDocumentVersionSupport>(NewValue(u"x").Get());
    for (auto* support : {valueSupport.Get(), typeSupport.Get()}) {
        for (auto [version, expected] :
             {std::pair{3, VARIANT_FALSE}, {4, VARIANT_TRUE}, {docversion::kCurrent, VARIANT_TRUE}}) {
            VARIANT_BOOL supported = 7;
            EXPECT_EQ(support->IsSupportedAtVersion(version, &supported), S_OK);
            EXPECT_EQ(supported, expected) << version;
        }
    }
}

TEST_F(GPEncryptedStringTest, InterfacesAndNames) {
    struct Case {
        REFCLSID clsid;
        std::vector<IID> answered;
        std::vector<IID> notAnswered;
    };
    const Case cases[] = {
        {CLSID_GPEncryptedString,
         {IGPEncryptedString::iid, IGPValueExpression::iid, IGPValue::iid, IXMLSerialize::iid, IClone::iid,
          IPersistStream::iid, IPersist::iid, IDocumentVersionSupport::iid},
         {IGPString::iid, IGPVariant::iid, IGPDescribe::iid}},
        {CLSID_GPEncryptedStringType,
         {IGPEncryptedStringType::iid, IGPDataType::iid, IClone::iid, IDocumentVersionSupport::iid},
         {IGPStringType::iid, IGPVariantType::iid}},
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
    auto type = Create<IGPDataType>(CLSID_GPEncryptedStringType);
    BStr name, displayName;
    EXPECT_EQ(type->get_Name(name.Out()), S_OK);
    EXPECT_EQ(name.str(), u"GPEncryptedString");
    EXPECT_EQ(type->get_DisplayName(displayName.Out()), S_OK);
    EXPECT_EQ(displayName.str(), u"Encrypted String");
    ComPtr<IGPDataType> valueType;
    ASSERT_EQ(QueryAs<IGPValue>(NewValue().Get())->get_DataType(valueType.Out()), S_OK);
    EXPECT_TRUE(QueryAs<IGPEncryptedStringType>(valueType.Get()));
    // The type accepts its own values and no plain strings.
    auto isError = [](IGPMessage* message) {
        VARIANT_BOOL error = VARIANT_FALSE;
        message->IsError(&error);
        return error != VARIANT_FALSE;
    };
    ComPtr<IGPMessage> message;
    EXPECT_EQ(type->ValidateValue(QueryAs<IGPValue>(NewValue(u"x").Get()).Get(), nullptr, message.Out()), S_OK);
    EXPECT_FALSE(isError(message.Get()));
    EXPECT_EQ(type->ValidateValue(Create<IGPValue>(CLSID_GPString).Get(), nullptr, message.Out()), S_OK);
    EXPECT_TRUE(isError(message.Get()));
}

} // namespace
} // namespace tavi::test
