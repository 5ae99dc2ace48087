// The map, layout and report values and their data types: identities and display names, the text form with items
// found or not found, description, validation of data elements by their file's extension, the stream form by
// document version, the XML form, copies and equality, and model variables in the name string.
#include "PersistForms.h"
#include "TestData.h"
#include "TestSupport.h"

#include "host/String.h"
#include "tavi/Collections.h"
#include "tavi/DataAccess.h"
#include "tavi/GPDomains.h"
#include "tavi/GPMap.h"
#include "tavi/GPMessage.h"
#include "tavi/GPScalar.h"
#include "tavi/GPUtilities.h"
#include "tavi/Xml.h"

#include <string>
#include <vector>

namespace tavi::test {
namespace {

// The fields every kind has, read and written through the kind's own interface.
struct Fields {
    std::u16string name, path;
    int32_t setting = 0;
    bool operator==(const Fields&) const = default;
};
template <class I> Fields ReadAs(IUnknown* object) {
    auto item = QueryAs<I>(object);
    Fields fields;
    BStr name, path;
    EXPECT_EQ(item->get_NameString(name.Out()), S_OK);
    EXPECT_EQ(item->get_Path(path.Out()), S_OK);
    EXPECT_EQ(item->get_Setting(&fields.setting), S_OK);
    fields.name = name.str();
    fields.path = path.str();
    return fields;
}
template <class I> void WriteAs(IUnknown* object, const Fields& fields) {
    auto item = QueryAs<I>(object);
    EXPECT_EQ(item->put_NameString(fields.name.c_str()), S_OK);
    EXPECT_EQ(item->put_Path(fields.path.c_str()), S_OK);
    EXPECT_EQ(item->put_Setting(fields.setting), S_OK);
}

struct Kind {
    const char16_t* name;
    CLSID value, type;
    const char16_t* displayName;
    const char16_t* filter; // empty: no browse filter
    Fields (*read)(IUnknown*);
    void (*write)(IUnknown*, const Fields&);
    bool isMap;
};
const Kind kKinds[] = {
    {u"GPMap", CLSID_GPMap, CLSID_GPMapType, u"Map", u"", &ReadAs<IGPMap>, &WriteAs<IGPMap>, true},
    {u"GPLayout", CLSID_GPLayout, CLSID_GPLayoutType, u"Layout", u"tavi_browseDialogFilters_composite_maps_import",
     &ReadAs<IGPLayout>, &WriteAs<IGPLayout>, false},
    {u"GPReport", CLSID_GPReport, CLSID_GPReportType, u"Report", u"tavi_browseDialogFilters_local_reports_rptx",
     &ReadAs<IGPReport>, &WriteAs<IGPReport>, false},
};

// A project that holds one item of each kind named "Roads"; the utility object's other operations are not needed.
class ProjectStandIn final : public Object<ProjectStandIn, IGPProjectUtilities> {
public:
    HRESULT get_ProjectPath(BSTR*) override { return E_NOTIMPL; }
    HRESULT put_ProjectPath(const OLECHAR*) override { return E_NOTIMPL; }
    HRESULT get_CurrentMap(BSTR*) override { return E_NOTIMPL; }
    HRESULT put_CurrentMap(const OLECHAR*) override { return E_NOTIMPL; }
    HRESULT FindMap(const OLECHAR* text, IGPMap** map) override {
        HRESULT hr =
            Find(CLSID_GPMap, &ReadAs<IGPMap>, &WriteAs<IGPMap>, text, reinterpret_cast<void**>(map), IGPMap::iid);
        if (hr == S_OK) {
            (*map)->put_MapType(taviMapTypeBasemap);
            (*map)->put_Setting2(7);
        }
        return hr;
    }
    HRESULT FindLayout(const OLECHAR* text, IGPLayout** layout) override {
        return Find(CLSID_GPLayout, &ReadAs<IGPLayout>, &WriteAs<IGPLayout>, text, reinterpret_cast<void**>(layout),
                    IGPLayout::iid);
    }
    HRESULT FindReport(const OLECHAR* text, IGPReport** report) override {
        return Find(CLSID_GPReport, &ReadAs<IGPReport>, &WriteAs<IGPReport>, text, reinterpret_cast<void**>(report),
                    IGPReport::iid);
    }
    HRESULT GetLayerNames(IEnumBSTR**) override { return E_NOTIMPL; }
    HRESULT MakeLayer(const OLECHAR*, IGPLayer**) override { return E_NOTIMPL; }

    static inline const Fields kRoads{u"Roads", u"/projects/city.wobx", 3};

private:
    static HRESULT Find(REFCLSID clsid, Fields (*)(IUnknown*), void (*write)(IUnknown*, const Fields&),
                        const OLECHAR* text, void** out, REFIID iid) {
        *out = nullptr;
        if (std::u16string_view(text) != u"Roads")
            return S_FALSE;
        ComPtr<IUnknown> item;
        EXPECT_EQ(AfCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IUnknown::iid, item.OutVoid()), S_OK);
        write(item.Get(), kRoads);
        return item->QueryInterface(iid, out);
    }
};

template <class Make> class StandInFactory final : public Object<StandInFactory<Make>, IClassFactory> {
public:
    explicit StandInFactory(Make make) : make_(std::move(make)) {}
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        return outer ? CLASS_E_NOAGGREGATION : make_()->QueryInterface(riid, ppv);
    }
    HRESULT LockServer(int32_t) override { return S_OK; }

private:
    Make make_;
};

bool gServeProject = false;
HRESULT ClassSourceWithProject(REFCLSID clsid, REFIID riid, void** ppv) {
    if (gServeProject && clsid == CLSID_GPUtilities) {
        auto make = [] { return MakeObject<ProjectStandIn>(); };
        return MakeObject<StandInFactory<decltype(make)>>(make)->QueryInterface(riid, ppv);
    }
    return DllGetClassObject(clsid, riid, ppv);
}

class GPMapValuesTest : public ModuleClassesTest {
protected:
    static void SetUpTestSuite() {
        data_ = new TestData();
        for (const char* file : {"city.mapx", "OLD.MSD", "both.wobx", "page.pagx", "sales.rptx", "a.mapx.bak",
                                 "roads.rptxfile", "notes.txt"})
            data_->File(file, "{}");
    }
    static void TearDownTestSuite() {
        delete data_;
        data_ = nullptr;
    }
    void SetUp() override {
        ModuleClassesTest::SetUp();
        SetModuleClassSource(&ClassSourceWithProject);
        gServeProject = false;
    }
    void TearDown() override {
        gServeProject = false;
        ModuleClassesTest::TearDown(); // puts the module's class source back
    }

    static std::u16string P(const std::string& relative) { return FromUtf8(data_->Path(relative)); }
    // The data element a catalog path names, as a value.
    static ComPtr<IGPValue> Element(const std::u16string& path) {
        auto utilities = Create<IGPUtilities>(CLSID_GPUtilities);
        ComPtr<IDataElement> element;
        EXPECT_EQ(utilities->OpenDataElementFromText(path.c_str(), element.Out()), S_OK) << ToUtf8(path);
        return QueryAs<IGPValue>(element.Get());
    }
    static std::u16string Text(IGPValue* value) {
        BStr text;
        EXPECT_EQ(value->GetAsText(text.Out()), S_OK);
        return text.str();
    }
    static bool IsEmpty(IGPValue* value) {
        VARIANT_BOOL empty = VARIANT_FALSE;
        EXPECT_EQ(value->IsEmpty(&empty), S_OK);
        return empty != VARIANT_FALSE;
    }
    static bool IsError(IGPMessage* message) {
        VARIANT_BOOL error = VARIANT_FALSE;
        EXPECT_EQ(message->IsError(&error), S_OK);
        return error != VARIANT_FALSE;
    }
    static int32_t Code(IGPMessage* message) {
        int32_t code = 0;
        EXPECT_EQ(message->get_ErrorCode(&code), S_OK);
        return code;
    }
    static bool Equal(IUnknown* a, IUnknown* b) {
        VARIANT_BOOL equal = VARIANT_FALSE;
        EXPECT_EQ(QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal), S_OK);
        return equal != VARIANT_FALSE;
    }
    // What Describe answers for `name`: its result and the text (empty when none).
    static std::pair<HRESULT, std::u16string> Described(IGPValue* value, const char16_t* name) {
        Variant out;
        HRESULT hr = QueryAs<IGPDescribe>(value)->Describe(name, &out);
        return {hr, out.vt == VT_BSTR ? std::u16string(out.bstrVal) : std::u16string()};
    }
    static int32_t MapType(IUnknown* map) {
        int32_t type = -1;
        EXPECT_EQ(QueryAs<IGPMap>(map)->get_MapType(&type), S_OK);
        return type;
    }
    // A value of `kind` holding `fields` (and, for a map, a basemap with both further settings).
    static ComPtr<IGPValue> Filled(const Kind& kind, const Fields& fields) {
        auto value = Create<IGPValue>(kind.value);
        kind.write(value.Get(), fields);
        if (kind.isMap) {
            auto map = QueryAs<IGPMap>(value.Get());
            map->put_MapType(taviMapTypeBasemap);
            map->put_Setting2(-4);
            map->put_Setting3(11);
        }
        return value;
    }

    static TestData* data_;
};
TestData* GPMapValuesTest::data_ = nullptr;

const Fields kSample{u"Main Map", u"/work/city.wobx", 42};

TEST_F(GPMapValuesTest, DataTypesNameTheirKind) {
    auto factory = Create<IGPDataTypeFactory>(CLSID_GPDataTypeFactory);
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(ToUtf8(kind.name));
        auto type = Create<IGPDataType>(kind.type);
        BStr name, displayName;
        ASSERT_EQ(type->get_Name(name.Out()), S_OK);
        EXPECT_EQ(name.view(), kind.name);
        ASSERT_EQ(type->get_DisplayName(displayName.Out()), S_OK);
        EXPECT_EQ(displayName.view(), kind.displayName);
        ComPtr<IUID> control;
        ASSERT_EQ(type->get_ControlCLSID(control.Out()), S_OK);
        Variant controlText;
        control->get_Value(&controlText);
        EXPECT_EQ(std::u16string(controlText.bstrVal), u"{330553E6-A5FD-11D5-A682-0008C711C8C1}");

        // The catalogue names the type with the same display name.
        ComPtr<IGPDataType> fromCatalogue;
        ASSERT_EQ(factory->GetDataType(kind.name, fromCatalogue.Out()), S_OK);
        BStr catalogueName;
        fromCatalogue->get_DisplayName(catalogueName.Out());
        EXPECT_EQ(catalogueName.view(), kind.displayName);

        ComPtr<IArray> filters;
        ASSERT_EQ(QueryAs<IGxFilterInfo>(type.Get())->get_OpenGxObjectFilters(filters.Out()), S_OK);
        if (!*kind.filter) {
            EXPECT_FALSE(filters);
        } else {
            ASSERT_TRUE(filters);
            int32_t count = 0;
            filters->get_Count(&count);
            ASSERT_EQ(count, 1);
            ComPtr<IUnknown> filter;
            filters->get_Element(0, filter.Out());
            EXPECT_EQ(Text(QueryAs<IGPValue>(filter.Get()).Get()), kind.filter);
        }

        for (const Kind& other : kKinds) {
            ComPtr<IGPMessage> message;
            ASSERT_EQ(type->ValidateDataType(Create<IGPDataType>(other.type).Get(), message.Out()), S_OK);
            EXPECT_EQ(IsError(message.Get()), &other != &kind) << ToUtf8(other.name);
        }
        auto value = Create<IGPValue>(kind.value);
        ComPtr<IGPDataType> valueType;
        ASSERT_EQ(value->get_DataType(valueType.Out()), S_OK);
        EXPECT_TRUE(QueryAs<IClone>(valueType.Get()));
        BStr valueTypeName;
        valueType->get_Name(valueTypeName.Out());
        EXPECT_EQ(valueTypeName.view(), kind.name);
    }
}

TEST_F(GPMapValuesTest, DescribeAndTextFormShowTheFields) {
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(ToUtf8(kind.name));
        auto value = Filled(kind, kSample);
        EXPECT_EQ(Text(value.Get()), u"Main Map");
        EXPECT_EQ(Described(value.Get(), u"NameString"), std::make_pair(S_OK, std::u16string(u"Main Map")));
        EXPECT_EQ(Described(value.Get(), u"path"), std::make_pair(S_OK, std::u16string(u"/work/city.wobx")));
        EXPECT_EQ(Described(value.Get(), u"DataType"), std::make_pair(S_OK, std::u16string(kind.name)));
        if (kind.isMap) {
            EXPECT_EQ(Described(value.Get(), u"Type"), std::make_pair(S_OK, std::u16string(u"Basemap")));
            QueryAs<IGPMap>(value.Get())->put_MapType(1);
            EXPECT_EQ(Described(value.Get(), u"TYPE"), std::make_pair(S_OK, std::u16string(u"Map")));
        } else {
            EXPECT_EQ(Described(value.Get(), u"Type").first, S_FALSE);
        }

        // Emptiness follows the name string alone; Empty clears every field.
        EXPECT_FALSE(IsEmpty(value.Get()));
        kind.write(value.Get(), {u"", u"/work/other.wobx", 1});
        EXPECT_TRUE(IsEmpty(value.Get()));
        ASSERT_EQ(value->Empty(), S_OK);
        EXPECT_EQ(kind.read(value.Get()), Fields{});
        if (kind.isMap) {
            EXPECT_EQ(MapType(value.Get()), taviMapTypeMap);
        }
    }
}

TEST_F(GPMapValuesTest, TextThatNamesNoItemIsKeptAsTheNameString) {
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(ToUtf8(kind.name));
        auto value = Filled(kind, kSample);
        ComPtr<IGPMessage> message;
        ASSERT_EQ(value->SetAsText(u"No Such Map", message.Out()), S_FALSE);
        ASSERT_TRUE(message);
        EXPECT_FALSE(IsError(message.Get()));
        EXPECT_EQ(kind.read(value.Get()), (Fields{u"No Such Map", u"", 0})) << "emptied apart from the name string";
        EXPECT_FALSE(IsEmpty(value.Get()));
        if (kind.isMap) {
            EXPECT_EQ(MapType(value.Get()), taviMapTypeMap);
        }

        ASSERT_EQ(value->SetAsText(u"", message.Out()), S_OK);
        EXPECT_TRUE(message);
        EXPECT_TRUE(IsEmpty(value.Get()));
        EXPECT_EQ(value->SetAsText(u"x", nullptr), E_POINTER);

        // The data type's CreateValue goes the same way (its message is no error, so the value counts as read).
        ComPtr<IGPValue> made;
        EXPECT_EQ(Create<IGPDataType>(kind.type)->CreateValue(u"Elsewhere", made.Out()), S_OK);
        ASSERT_TRUE(made);
        EXPECT_EQ(Text(made.Get()), u"Elsewhere");
    }
}

TEST_F(GPMapValuesTest, TextThatNamesAnItemTakesItsContent) {
    gServeProject = true;
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(ToUtf8(kind.name));
        auto value = Filled(kind, kSample);
        ComPtr<IGPMessage> message;
        ASSERT_EQ(value->SetAsText(u"Roads", message.Out()), S_OK);
        ASSERT_TRUE(message);
        EXPECT_FALSE(IsError(message.Get()));
        EXPECT_EQ(kind.read(value.Get()), ProjectStandIn::kRoads);
        if (kind.isMap) {
            EXPECT_EQ(MapType(value.Get()), taviMapTypeBasemap);
            int32_t setting3 = -1;
            QueryAs<IGPMap>(value.Get())->get_Setting3(&setting3);
            EXPECT_EQ(setting3, 0) << "the item's, not what the value held before";
        }
        ASSERT_EQ(value->SetAsText(u"roads", message.Out()), S_FALSE);
        EXPECT_EQ(kind.read(value.Get()), (Fields{u"roads", u"", 0}));
    }
}

TEST_F(GPMapValuesTest, DataElementsValidateByTheirFilesExtension) {
    struct Case {
        const char* file;
        bool map, layout, report;
        const char* why;
    };
    const Case cases[] = {
        {"city.mapx", true, false, false, "a map file"},
        {"OLD.MSD", true, false, false, "an older map file, extension in capitals"},
        {"both.wobx", true, true, false, "a file that holds maps and layouts"},
        {"page.pagx", false, true, false, "a layout file"},
        {"sales.rptx", false, false, true, "a report file"},
        {"a.mapx.bak", false, false, false, "a backup: the extension only appears inside the name"},
        {"roads.rptxfile", false, false, false, "the extension as the start of a longer one"},
        {"notes.txt", false, false, false, "another file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        auto element = Element(P(c.file));
        ASSERT_TRUE(element);
        const bool expected[] = {c.map, c.layout, c.report};
        for (size_t i = 0; i < std::size(kKinds); ++i) {
            ComPtr<IGPMessage> message;
            ASSERT_EQ(Create<IGPDataType>(kKinds[i].type)->ValidateValue(element.Get(), nullptr, message.Out()), S_OK);
            ASSERT_TRUE(message);
            EXPECT_EQ(IsError(message.Get()), !expected[i]) << ToUtf8(kKinds[i].name);
        }
    }
}

TEST_F(GPMapValuesTest, ValuesValidateByKindThroughVariablesAndDomains) {
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(ToUtf8(kind.name));
        auto type = Create<IGPDataType>(kind.type);
        for (const Kind& other : kKinds) {
            ComPtr<IGPMessage> message;
            ASSERT_EQ(type->ValidateValue(Filled(other, kSample).Get(), nullptr, message.Out()), S_OK);
            EXPECT_EQ(IsError(message.Get()), &other != &kind) << ToUtf8(other.name);
        }
        ComPtr<IGPMessage> message;
        auto number = Create<IGPValue>(CLSID_GPLong);
        ASSERT_EQ(type->ValidateValue(number.Get(), nullptr, message.Out()), S_OK);
        EXPECT_TRUE(IsError(message.Get()));

        // A variable stands for its value.
        auto variable = Create<IGPVariable>(CLSID_GPVariable);
        variable->putref_Value(Filled(kind, kSample).Get());
        ASSERT_EQ(type->ValidateValue(QueryAs<IGPValue>(variable.Get()).Get(), nullptr, message.Out()), S_OK);
        EXPECT_FALSE(IsError(message.Get()));

        // A domain then decides an accepted value: a coded value domain without codes admits it, one whose codes
        // do not hold it refuses it with its own verdict.
        auto open = Create<IGPDomain>(CLSID_GPCodedValueDomain);
        ASSERT_EQ(type->ValidateValue(Filled(kind, kSample).Get(), open.Get(), message.Out()), S_OK);
        EXPECT_FALSE(IsError(message.Get()));
        auto closed = Create<IGPCodedValueDomain>(CLSID_GPCodedValueDomain);
        closed->AddStringCode(u"Other", u"Other");
        ComPtr<IGPMessage> domainVerdict;
        QueryAs<IGPDomain>(closed.Get())->MemberOf(Filled(kind, kSample).Get(), domainVerdict.Out());
        ASSERT_EQ(
            type->ValidateValue(Filled(kind, kSample).Get(), QueryAs<IGPDomain>(closed.Get()).Get(), message.Out()),
            S_FALSE);
        EXPECT_TRUE(IsError(message.Get()));
        EXPECT_EQ(Code(message.Get()), Code(domainVerdict.Get()));
        ComPtr<IGPMessage> refused;
        type->ValidateValue(number.Get(), nullptr, refused.Out());
        EXPECT_NE(Code(message.Get()), Code(refused.Get())) << "the domain's verdict, not the type's";

        EXPECT_EQ(type->ValidateValue(nullptr, nullptr, message.Out()), E_POINTER);
        EXPECT_EQ(type->ValidateValue(number.Get(), nullptr, nullptr), E_POINTER);
    }
}

TEST_F(GPMapValuesTest, StreamFormByDocumentVersion) {
    const int32_t current = 490, newer = 300, older = 20; // the first of the newer line, the last of the older one
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(ToUtf8(kind.name));
        auto value = Filled(kind, kSample);
        for (int32_t docVersion : {current, newer}) {
            auto read = Create<IGPValue>(kind.value);
            ASSERT_EQ(LoadForm(read.Get(), SavedForm(value.Get(), docVersion)), S_OK);
            EXPECT_EQ(kind.read(read.Get()), kSample);
            if (kind.isMap) {
                auto map = QueryAs<IGPMap>(read.Get());
                int32_t setting2 = 0, setting3 = -1;
                map->get_Setting2(&setting2);
                map->get_Setting3(&setting3);
                EXPECT_EQ(setting2, -4);
                EXPECT_EQ(setting3, 0) << "the second further setting is not stored";
                EXPECT_EQ(MapType(read.Get()), taviMapTypeBasemap);
            }
        }
        // Older documents do not know the value: nothing is written, and Save succeeds.
        EXPECT_TRUE(SavedForm(value.Get(), older).empty());

        // A later version, and forms cut short anywhere, are refused and change nothing.
        auto form = SavedForm(value.Get(), current);
        auto target = Filled(kind, {u"Keep", u"/keep.wobx", 1});
        auto later = form;
        later[0] = 2;
        EXPECT_EQ(LoadForm(target.Get(), later), E_FAIL);
        for (size_t size = 0; size < form.size(); ++size)
            EXPECT_EQ(LoadForm(target.Get(), std::vector<uint8_t>(form.begin(), form.begin() + size)), E_FAIL) << size;
        EXPECT_EQ(kind.read(target.Get()), (Fields{u"Keep", u"/keep.wobx", 1}));

        // An empty value reads back empty.
        auto empty = Create<IGPValue>(kind.value);
        auto emptyRead = Filled(kind, kSample);
        ASSERT_EQ(LoadForm(emptyRead.Get(), SavedForm(empty.Get(), current)), S_OK);
        EXPECT_TRUE(IsEmpty(emptyRead.Get()));
        EXPECT_TRUE(Equal(emptyRead.Get(), empty.Get()));
    }
}

TEST_F(GPMapValuesTest, XmlFormKeepsTheNameStringAndTheMapType) {
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(ToUtf8(kind.name));
        auto value = Filled(kind, kSample);
        std::u16string xml = XmlForm(value.Get());
        EXPECT_NE(xml.find(u"typens:" + std::u16string(kind.name)), std::u16string::npos);
        EXPECT_NE(xml.find(u">Main Map</Namestring>"), std::u16string::npos);
        EXPECT_EQ(xml.find(u"city.wobx"), std::u16string::npos) << "the path is not in the XML form";
        EXPECT_EQ(xml.find(u">Basemap</MapType>") != std::u16string::npos, kind.isMap);

        auto read = Create<IGPValue>(kind.value);
        ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), read.Get()), S_OK);
        EXPECT_EQ(Text(read.Get()), u"Main Map");
        if (kind.isMap) {
            EXPECT_EQ(MapType(read.Get()), taviMapTypeBasemap);
        }

        auto empty = Create<IGPValue>(kind.value);
        std::u16string emptyXml = XmlForm(empty.Get());
        EXPECT_EQ(emptyXml.find(u"Namestring"), std::u16string::npos);
        ASSERT_EQ(TaviXmlDeserialize(emptyXml.c_str(), read.Get()), S_OK);
        EXPECT_TRUE(IsEmpty(read.Get()));
    }

    // The map type is read without regard to case; any other text is a map.
    struct Case {
        const char16_t* text;
        int32_t type;
    };
    for (const Case& c : {Case{u"Basemap", taviMapTypeBasemap}, Case{u"bASEMAP", taviMapTypeBasemap},
                          Case{u"Map", taviMapTypeMap}, Case{u"Basemaps", taviMapTypeMap}}) {
        SCOPED_TRACE(ToUtf8(c.text));
        auto map = Filled(kKinds[0], kSample);
        QueryAs<IGPMap>(map.Get())->put_MapType(taviMapTypeMap);
        std::u16string xml = XmlForm(map.Get());
        const std::u16string written = u">Map</MapType>";
        size_t at = xml.find(written);
        ASSERT_NE(at, std::u16string::npos);
        xml.replace(at, written.size(), u">" + std::u16string(c.text) + u"</MapType>");
        auto read = Create<IGPValue>(CLSID_GPMap);
        ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), read.Get()), S_OK);
        EXPECT_EQ(MapType(read.Get()), c.type);
    }
}

TEST_F(GPMapValuesTest, CopiesAreEqualAndEveryFieldCounts) {
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(ToUtf8(kind.name));
        auto value = Filled(kind, kSample);
        ComPtr<IClone> clone;
        ASSERT_EQ(QueryAs<IClone>(value.Get())->Clone(clone.Out()), S_OK);
        EXPECT_TRUE(Equal(value.Get(), clone.Get()));
        EXPECT_EQ(kind.read(clone.Get()), kSample);

        const Fields changed[] = {{u"main map", kSample.path, kSample.setting},
                                  {kSample.name, u"/work/City.wobx", kSample.setting},
                                  {kSample.name, kSample.path, 43}};
        for (const Fields& fields : changed) {
            auto other = Filled(kind, fields);
            EXPECT_FALSE(Equal(value.Get(), other.Get()));
            ASSERT_EQ(QueryAs<IClone>(other.Get())->Assign(QueryAs<IClone>(value.Get()).Get()), S_OK);
            EXPECT_TRUE(Equal(value.Get(), other.Get()));
        }
        if (kind.isMap) {
            using Put = HRESULT (IGPMap::*)(int32_t);
            for (Put put : {&IGPMap::put_MapType, &IGPMap::put_Setting2, &IGPMap::put_Setting3}) {
                auto other = Filled(kind, kSample);
                (QueryAs<IGPMap>(other.Get()).Get()->*put)(99);
                EXPECT_FALSE(Equal(value.Get(), other.Get()));
            }
        }
        for (const Kind& other : kKinds) {
            if (&other == &kind)
                continue;
            auto foreign = Filled(other, kSample);
            EXPECT_FALSE(Equal(value.Get(), foreign.Get()));
            EXPECT_EQ(QueryAs<IClone>(value.Get())->Assign(QueryAs<IClone>(foreign.Get()).Get()), E_INVALIDARG);
        }
        EXPECT_EQ(kind.read(value.Get()), kSample);
    }
}

TEST_F(GPMapValuesTest, ModelVariablesInTheNameString) {
    auto variable = Create<IGPVariable>(CLSID_GPVariable);
    variable->put_Name(u"Which");
    auto text = Create<IGPValue>(CLSID_GPString);
    ComPtr<IGPMessage> message;
    text->SetAsText(u"Roads", message.Out());
    variable->putref_Value(text.Get());
    auto manager = Create<IGPVariableManager>(CLSID_GPVariableManager);
    QueryAs<IArray>(manager.Get())->Add(variable.Get());
    gServeProject = true;
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(ToUtf8(kind.name));
        auto value = Filled(kind, {u"%Which%", u"", 0});
        auto expression = QueryAs<IGPValueExpression>(value.Get());
        BStr substituted;
        ASSERT_EQ(expression->GetAsText(manager.Get(), substituted.Out()), S_OK);
        EXPECT_EQ(substituted.view(), u"Roads");
        ASSERT_EQ(expression->GetAsText(nullptr, substituted.Out()), S_OK);
        EXPECT_EQ(substituted.view(), u"%Which%");
        ComPtr<IUnknown> names;
        ASSERT_EQ(expression->GetVariableNames(names.Out()), S_OK);
        auto strings = QueryAs<IBStringArray>(names.Get());
        ASSERT_TRUE(strings);
        int32_t count = 0;
        strings->get_Count(&count);
        EXPECT_EQ(count, 1);

        // Resolving looks the item up again under the substituted text.
        ComPtr<IGPValue> resolved;
        ASSERT_EQ(expression->ResolveValue(manager.Get(), resolved.Out()), S_OK);
        ASSERT_TRUE(resolved);
        EXPECT_EQ(kind.read(resolved.Get()), ProjectStandIn::kRoads);
        VARIANT_BOOL isResolved = VARIANT_FALSE;
        QueryAs<IGPValueExpression>(resolved.Get())->get_Resolved(&isResolved);
        EXPECT_TRUE(isResolved);
        // Without a manager the value resolves to a copy of itself.
        ASSERT_EQ(expression->ResolveValue(nullptr, resolved.Out()), S_OK);
        EXPECT_TRUE(Equal(resolved.Get(), value.Get()));

        // Older documents get a plain string holding the name string.
        auto versions = QueryAs<IDocumentVersionSupport>(value.Get());
        VARIANT_BOOL supported = VARIANT_TRUE;
        ASSERT_EQ(versions->IsSupportedAtVersion(20, &supported), S_OK);
        EXPECT_FALSE(supported);
        ASSERT_EQ(versions->IsSupportedAtVersion(300, &supported), S_OK);
        EXPECT_TRUE(supported);
        ComPtr<IUnknown> replacement;
        ASSERT_EQ(versions->ConvertToSupportedObject(20, replacement.Out()), S_OK);
        ASSERT_TRUE(QueryAs<IGPString>(replacement.Get()));
        EXPECT_EQ(Text(QueryAs<IGPValue>(replacement.Get()).Get()), u"%Which%");
    }
}

} // namespace
} // namespace tavi::test
