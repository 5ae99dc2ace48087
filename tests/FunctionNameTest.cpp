// Tool names and name lists: the help fields of GPFunctionName, its stream form in every version it reads, its XML
// form, opening through a tool factory; and EnumGPName, the editable list of names.
#include "TestSupport.h"

#include "host/CreateInstance.h"
#include "host/DocumentVersion.h"
#include "host/StreamIO.h"
#include "host/UID.h"
#include "tavi/Collections.h"
#include "tavi/Entry.h"
#include "tavi/GPCatalog.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

#include <functional>

namespace tavi::test {
namespace {

constexpr CLSID kSomeFactory{0x0A11CE00, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr CLSID kOldFactory{0x0B0B0B0B, 0x1234, 0x5678, {8, 7, 6, 5, 4, 3, 2, 1}};

// A tool factory that answers every tool name with an identifier object and remembers the name asked.
class ToolFactory final : public Object<ToolFactory, IGPFunctionFactory> {
public:
    HRESULT get_Name(BSTR* name) override {
        *name = MakeBSTR(u"Analysis Tools");
        return S_OK;
    }
    HRESULT get_Alias(BSTR*) override { return E_NOTIMPL; }
    HRESULT get_CLSID(IUID**) override { return E_NOTIMPL; }
    HRESULT GetFunction(const OLECHAR* name, IUnknown** function) override {
        asked = name ? name : u"(null)";
        ComPtr<IUID> tool;
        HRESULT hr = MakeUID(kSomeFactory, tool.Out());
        *function = tool.Detach();
        return hr;
    }
    HRESULT GetFunctionName(const OLECHAR*, IGPName**) override { return E_NOTIMPL; }
    HRESULT GetFunctionEnvironments(IEnumGPEnvironment**) override { return E_NOTIMPL; }
    HRESULT GetFunctionNamesInCategory(const OLECHAR*, IEnumGPName**) override { return E_NOTIMPL; }
    HRESULT GetFunctionNames(IEnumGPName**) override { return E_NOTIMPL; }
    String asked;
};

class FunctionNameTest : public ModuleClassesTest {
protected:
    // A tool name with every field set.
    static ComPtr<IGPFunctionName> FullName() {
        auto name = Create<IGPFunctionName>(CLSID_GPFunctionName);
        auto gpName = QueryAs<IGPName>(name.Get());
        gpName->put_Name(u"Buffer");
        gpName->put_DisplayName(u"Buffer Features");
        gpName->put_Description(u"Draws zones");
        gpName->put_Category(u"Proximity");
        name->put_HelpFile(u"tools.chm");
        name->put_HelpContext(-12);
        return name;
    }
};

String Text(IUnknown* name, HRESULT (IGPName::*get)(BSTR*)) {
    BStr text;
    EXPECT_EQ((QueryAs<IGPName>(name).Get()->*get)(text.Out()), S_OK);
    return text.str();
}

// Everything a tool name holds, for comparing two of them.
struct Fields {
    String name, displayName, description, category, helpFile;
    bool helpFileNull = false;
    int32_t helpContext = 0;
    CLSID factory{};
    bool operator==(const Fields&) const = default;
};
Fields FieldsOf(IUnknown* object) {
    auto name = QueryAs<IGPFunctionName>(object);
    Fields f;
    f.name = Text(object, &IGPName::get_Name);
    f.displayName = Text(object, &IGPName::get_DisplayName);
    f.description = Text(object, &IGPName::get_Description);
    f.category = Text(object, &IGPName::get_Category);
    BStr helpFile;
    EXPECT_EQ(name->get_HelpFile(helpFile.Out()), S_OK);
    f.helpFile = helpFile.str();
    f.helpFileNull = helpFile.IsNull();
    EXPECT_EQ(name->get_HelpContext(&f.helpContext), S_OK);
    // The stored factory identifier shows through the base's stream part; read it from a saved form.
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnMemory(nullptr, 0, docversion::kCurrent, stream.Out()), S_OK);
    EXPECT_EQ(QueryAs<IPersistStream>(object)->Save(stream.Get(), 0), S_OK);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    uint16_t version = 0;
    String skip;
    AfStreamRead(stream.Get(), &version);
    for (int i = 0; i < 4; ++i)
        ReadString(stream.Get(), &skip);
    AfStreamRead(stream.Get(), &f.factory);
    return f;
}

TEST_F(FunctionNameTest, HelpFields) {
    auto name = Create<IGPFunctionName>(CLSID_GPFunctionName);
    ASSERT_TRUE(name);
    BStr helpFile(u"x");
    int32_t context = 7;
    ASSERT_EQ(name->get_HelpFile(helpFile.Out()), S_OK);
    EXPECT_TRUE(helpFile.IsNull()) << "no help file at first";
    ASSERT_EQ(name->get_HelpContext(&context), S_OK);
    EXPECT_EQ(context, 0);
    EXPECT_EQ(name->get_HelpFile(nullptr), E_POINTER);
    EXPECT_EQ(name->get_HelpContext(nullptr), E_POINTER);

    EXPECT_EQ(QueryAs<IPersistStream>(name.Get())->IsDirty(), S_FALSE);
    ASSERT_EQ(name->put_HelpFile(u"help.chm"), S_OK);
    ASSERT_EQ(name->put_HelpContext(42), S_OK);
    EXPECT_EQ(QueryAs<IPersistStream>(name.Get())->IsDirty(), S_OK);
    ASSERT_EQ(name->get_HelpFile(helpFile.Out()), S_OK);
    EXPECT_EQ(helpFile.str(), u"help.chm");
    ASSERT_EQ(name->get_HelpContext(&context), S_OK);
    EXPECT_EQ(context, 42);
    ASSERT_EQ(name->put_HelpFile(nullptr), S_OK);
    ASSERT_EQ(name->get_HelpFile(helpFile.Out()), S_OK);
    EXPECT_TRUE(helpFile.IsNull());
}

TEST_F(FunctionNameTest, StreamRoundTrip) {
    auto name = FullName();
    QueryAs<IGPName>(name.Get())->putref_Factory(nullptr);
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnMemory(nullptr, 0, docversion::kCurrent, stream.Out()), S_OK);
    ASSERT_EQ(SaveObject(name.Get(), stream.Get(), true), S_OK);
    EXPECT_EQ(QueryAs<IPersistStream>(name.Get())->IsDirty(), S_FALSE);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    ComPtr<IUnknown> read;
    ASSERT_EQ(LoadObject(stream.Get(), IUnknown::iid, read.OutVoid()), S_OK);
    EXPECT_TRUE(FieldsOf(read.Get()) == FieldsOf(name.Get()));
}

// A stream form written by hand: version, the base part (four strings and the factory identifier), then `rest`.
ComPtr<IStream> HandWritten(uint16_t version, const std::function<void(IStream*)>& rest) {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnMemory(nullptr, 0, docversion::kCurrent, stream.Out()), S_OK);
    AfStreamWrite(stream.Get(), version);
    for (const char16_t* text : {u"Clip", u"Clip Features", u"Cuts", u"Extract"})
        WriteString(stream.Get(), text);
    AfStreamWrite(stream.Get(), kSomeFactory);
    if (rest)
        rest(stream.Get());
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    return stream;
}

TEST_F(FunctionNameTest, ReadsEveryStreamVersion) {
    auto withUID = [](IStream* s) {
        ComPtr<IUID> old;
        MakeUID(kOldFactory, old.Out());
        SaveObject(old.Get(), s, false);
    };
    auto withHelp = [](IStream* s) {
        WriteString(s, u"clip.chm");
        AfStreamWrite(s, int32_t{99});
    };
    struct Case {
        uint16_t version;
        std::function<void(IStream*)> rest;
        CLSID factory;
        const char16_t* helpFile; // null: none
        int32_t helpContext;
        const char* reason;
    };
    const Case cases[] = {
        {0, withUID, kOldFactory, nullptr, 0, "the embedded identifier replaces the base's"},
        {1, withUID, kOldFactory, nullptr, 0, "the same for version 1"},
        {2, nullptr, kSomeFactory, nullptr, 0, "no fields after the base part"},
        {3, withHelp, kSomeFactory, u"clip.chm", 99, "help fields"},
        {4, withHelp, kSomeFactory, u"clip.chm", 99, "the current version"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        auto name = FullName(); // help fields set, so that the defaults of old versions show
        ASSERT_EQ(QueryAs<IPersistStream>(name.Get())->Load(HandWritten(c.version, c.rest).Get()), S_OK);
        Fields f = FieldsOf(name.Get());
        EXPECT_EQ(f.name, u"Clip");
        EXPECT_EQ(f.category, u"Extract");
        EXPECT_EQ(f.factory, c.factory);
        EXPECT_EQ(f.helpFileNull, c.helpFile == nullptr);
        EXPECT_EQ(f.helpFile, c.helpFile ? c.helpFile : u"");
        EXPECT_EQ(f.helpContext, c.helpContext);
    }
}

TEST_F(FunctionNameTest, RefusedStreamsLeaveTheNameAsItWas) {
    struct Case {
        uint16_t version;
        std::function<void(IStream*)> rest;
        const char* reason;
    };
    const Case cases[] = {
        {5, nullptr, "a version newer than the class knows"},
        {4, [](IStream* s) { WriteString(s, u"clip.chm"); }, "the help context is cut off"},
        {3, nullptr, "no help fields at all"},
        {1, [](IStream* s) { AfStreamWrite(s, CLSID_GPFunctionName); }, "the embedded object cannot be read"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        auto name = FullName();
        const Fields before = FieldsOf(name.Get());
        EXPECT_EQ(QueryAs<IPersistStream>(name.Get())->Load(HandWritten(c.version, c.rest).Get()), E_FAIL);
        EXPECT_TRUE(FieldsOf(name.Get()) == before);
    }
}

TEST_F(FunctionNameTest, XmlForm) {
    auto name = FullName();
    BStr xml;
    ASSERT_EQ(TaviXmlSerialize(name.Get(), nullptr, xml.Out()), S_OK);
    const String text = xml.str();
    EXPECT_NE(text.find(u"GPFunctionName"), String::npos);
    EXPECT_NE(text.find(u"<HelpFile xsi:type=\"xs:string\">tools.chm</HelpFile>"), String::npos) << ToUtf8(text);
    EXPECT_NE(text.find(u"<HelpContext xsi:type=\"xs:double\">-12</HelpContext>"), String::npos) << ToUtf8(text);

    auto read = Create<IUnknown>(CLSID_GPFunctionName);
    ASSERT_EQ(TaviXmlDeserialize(text.c_str(), read.Get()), S_OK);
    EXPECT_TRUE(FieldsOf(read.Get()) == FieldsOf(name.Get()));

    // Without its help elements a document reads as an empty help file and context 0.
    String bare = text;
    for (const String element : {u"<HelpFile xsi:type=\"xs:string\">tools.chm</HelpFile>",
                                 u"<HelpContext xsi:type=\"xs:double\">-12</HelpContext>"})
        bare.erase(bare.find(element), element.size());
    ASSERT_EQ(TaviXmlDeserialize(bare.c_str(), read.Get()), S_OK);
    Fields f = FieldsOf(read.Get());
    EXPECT_EQ(f.helpFile, u"");
    EXPECT_FALSE(f.helpFileNull);
    EXPECT_EQ(f.helpContext, 0);
    EXPECT_EQ(f.name, u"Buffer");

    // A help context that is not a number is refused and changes nothing.
    String bad = text;
    bad.replace(bad.find(u">-12<"), 5, u">ten<");
    auto untouched = FullName();
    const Fields before = FieldsOf(untouched.Get());
    QueryAs<IGPName>(untouched.Get())->put_Name(u"Other");
    EXPECT_EQ(TaviXmlDeserialize(bad.c_str(), untouched.Get()), E_FAIL);
    EXPECT_EQ(Text(untouched.Get(), &IGPName::get_Name), u"Other");
    EXPECT_EQ(FieldsOf(untouched.Get()).helpContext, before.helpContext);
}

TEST_F(FunctionNameTest, OpensThroughAToolFactory) {
    auto name = FullName();
    auto asName = QueryAs<IName>(name.Get());
    auto gpName = QueryAs<IGPName>(name.Get());
    IUnknown* tool = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(asName->Open(&tool), E_UNEXPECTED) << "no factory";
    EXPECT_EQ(tool, nullptr);
    EXPECT_EQ(asName->UpdateFactoryName(), E_UNEXPECTED);
    EXPECT_EQ(asName->Open(nullptr), E_POINTER);

    ComPtr<IUID> notATool;
    ASSERT_EQ(MakeUID(kSomeFactory, notATool.Out()), S_OK);
    ASSERT_EQ(gpName->putref_Factory(notATool.Get()), S_OK);
    tool = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(asName->Open(&tool), E_UNEXPECTED) << "a factory that makes no tools";
    EXPECT_EQ(tool, nullptr);

    auto tools = MakeObject<ToolFactory>();
    ASSERT_EQ(gpName->putref_Factory(static_cast<IGPFunctionFactory*>(tools.Get())), S_OK);
    ComPtr<IUnknown> opened;
    ASSERT_EQ(asName->Open(opened.Out()), S_OK);
    EXPECT_EQ(tools->asked, u"Buffer");
    EXPECT_EQ(GuidOf(QueryAs<IUID>(opened.Get()).Get()), kSomeFactory);

    ASSERT_EQ(asName->UpdateFactoryName(), S_OK);
    BStr nameString;
    ASSERT_EQ(asName->get_NameString(nameString.Out()), S_OK);
    EXPECT_EQ(nameString.str(), u"Analysis Tools");
    gpName->putref_Factory(nullptr); // the fake holds no reference back; drop ours before it goes
}

TEST_F(FunctionNameTest, NameListEnumeratesItsElementsAsNames) {
    auto list = Create<IArray>(CLSID_EnumGPName);
    ASSERT_TRUE(list);
    auto names = QueryAs<IEnumGPName>(list.Get());
    ASSERT_TRUE(names);
    ASSERT_TRUE(QueryAs<IArray2>(list.Get()));
    auto first = FullName();
    ComPtr<IUID> notAName;
    ASSERT_EQ(MakeUID(kSomeFactory, notAName.Out()), S_OK);
    ASSERT_EQ(list->Add(first.Get()), S_OK);
    ASSERT_EQ(list->Add(notAName.Get()), S_OK);
    ASSERT_EQ(list->Add(nullptr), S_OK);

    ComPtr<IGPName> item;
    ASSERT_EQ(names->Next(item.Out()), S_OK);
    EXPECT_TRUE(SameObject(item.Get(), first.Get()));
    EXPECT_EQ(names->Next(item.Out()), E_NOINTERFACE) << "an element that is not a name";
    EXPECT_FALSE(item);
    EXPECT_EQ(names->Next(item.Out()), E_POINTER) << "a null element";
    EXPECT_EQ(names->Next(item.Out()), S_FALSE);
    EXPECT_EQ(names->Next(nullptr), E_POINTER);

    ASSERT_EQ(names->Reset(), S_OK);
    ASSERT_EQ(names->Next(item.Out()), S_OK);
    ASSERT_EQ(list->RemoveAll(), S_OK);
    ASSERT_EQ(list->Add(first.Get()), S_OK);
    EXPECT_EQ(names->Next(item.Out()), S_OK) << "removing everything puts the cursor back";
    int32_t count = 0;
    ASSERT_EQ(list->get_Count(&count), S_OK);
    EXPECT_EQ(count, 1);
}

} // namespace
} // namespace tavi::test
