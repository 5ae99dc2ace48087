// The data element domain: its list of type names compared without regard to case, membership of real data
// elements and of what is none, the children of a folder, a database and a memory workspace by type name, copies
// that add to what is held, and the stream and XML forms.
#include "DataDomainTestSupport.h"

#include "data/Field.h"

#include <algorithm>

namespace tavi::test {
namespace {

class DataElementDomainTest : public DataDomainTest {
protected:
    static ComPtr<IDataElementDomain> Domain(std::initializer_list<const char16_t*> names) {
        auto domain = Create<IDataElementDomain>(CLSID_DataElementDomain);
        for (const char16_t* name : names)
            EXPECT_EQ(domain->AddType(name), S_OK);
        return domain;
    }
    static std::vector<std::string> Names(IDataElementDomain* domain) {
        int32_t count = 0;
        EXPECT_EQ(domain->get_TypeCount(&count), S_OK);
        std::vector<std::string> names;
        for (int32_t i = 0; i < count; ++i) {
            BStr name;
            EXPECT_EQ(domain->get_Type(i, name.Out()), S_OK);
            names.push_back(ToUtf8(name.view()));
        }
        return names;
    }
};

TEST_F(DataElementDomainTest, MembershipByTypeNameInAnyLetterCase) {
    struct Case {
        std::u16string path;
        Verdict anyName;        // with no names
        Verdict featureClasses; // with "defeatureclass"
        const char* why;
    };
    const Case cases[] = {
        {P("city.gpkg/roads"), kMember, kMember, "a feature class, named in another case"},
        {P("wells.shp"), kMember, kMember, "a shapefile"},
        {P("city.gdb/owners"), kMember, Refused(793), "a table"},
        {P("dem.tif"), kMember, Refused(793), "a raster"},
        {P("city.gdb"), kMember, Refused(793), "a workspace"},
        {P("nested"), kMember, Refused(793), "a folder"},
        {P("notes.txt"), kMember, Refused(793), "a file"},
        {u"memory", kMember, Refused(793), "a memory workspace"},
    };
    auto any = Domain({});
    auto featureClasses = Domain({u"defeatureclass"});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        auto value = Element(c.path);
        EXPECT_EQ(MemberVerdict(any.Get(), value.Get()), c.anyName);
        EXPECT_EQ(MemberVerdict(featureClasses.Get(), value.Get()), c.featureClasses);
    }
    EXPECT_EQ(MemberVerdict(any.Get(), NewValue(CLSID_GPString, P("wells.shp").c_str()).Get()), Refused(794));
    EXPECT_EQ(MemberVerdict(any.Get(), nullptr), Refused(794));
    EXPECT_EQ(QueryAs<IGPDomain>(any.Get())->MemberOf(nullptr, nullptr), E_POINTER);
}

TEST_F(DataElementDomainTest, NamesAreUniqueInAnyLetterCase) {
    auto domain = Domain({u"DETable", u"detable", u"DEFolder"});
    EXPECT_EQ(Names(domain.Get()), (std::vector<std::string>{"DETable", "DEFolder"}));
    EXPECT_EQ(domain->RemoveType(u"DEFOLDER"), S_OK);
    EXPECT_EQ(Names(domain.Get()), (std::vector<std::string>{"DETable"}));

    // Every change marks the domain dirty, even one that changes nothing.
    auto persist = QueryAs<IPersistStream>(domain.Get());
    persist->Save(NewStream().Get(), 1);
    EXPECT_EQ(domain->AddType(u"DETABLE"), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_OK);

    BStr name(u"untouched");
    EXPECT_EQ(domain->get_Type(1, name.Out()), E_INVALIDARG);
    EXPECT_EQ(name.Get(), nullptr);
    EXPECT_EQ(domain->get_Type(0, nullptr), E_POINTER);
    EXPECT_EQ(domain->get_TypeCount(nullptr), E_POINTER);
    EXPECT_EQ(domain->AddType(nullptr), E_POINTER);
    EXPECT_EQ(domain->RemoveType(nullptr), E_POINTER);
}

TEST_F(DataElementDomainTest, MatchingChildrenByTypeName) {
    std::vector<std::string> databases{"city.gdb", "city.gpkg"};
    std::vector<std::string> all{"city.gdb", "city.gpkg", "dem.tif", "nested", "notes.txt", "points.csv"};
    if (!PermissionsHold()) {
        databases.push_back("secret.gpkg");
        all.push_back("secret.gpkg");
    }
    all.push_back("wells.shp");
    struct Case {
        std::u16string container;
        std::initializer_list<const char16_t*> names;
        std::vector<std::string> children;
        const char* why;
    };
    const Case cases[] = {
        {P(), {}, all, "no names: every child of the folder (what may not be read is left out)"},
        {P(), {u"DEWORKSPACE"}, databases, "the databases"},
        {P(), {u"DEFolder"}, {"nested"}, "the folders"},
        {P(), {u"DEFile", u"DERasterDataset"}, {"dem.tif", "notes.txt"}, "two kinds"},
        {P("city.gdb"), {u"DETable"}, {"owners"}, "a file database's tables"},
        {P("nested"), {}, {"inner"}, "a nested folder"},
        {P("nested/inner"), {}, {}, "an empty folder: no array"},
        {P("city.gpkg"), {u"DEFolder"}, {}, "none of that kind: no array"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        ComPtr<IArray> children;
        ASSERT_EQ(Domain(c.names)->GetMatchingChildren(Element(c.container).Get(), children.Out()), S_OK);
        EXPECT_EQ(bool(children), !c.children.empty());
        EXPECT_EQ(ElementNames(children.Get()), c.children);
    }

    // The memory workspace lists what was made in it.
    auto memory = Open(u"in_memory");
    ComPtr<IWorkspace> workspace;
    ASSERT_EQ(QueryAs<IDEWorkspace>(memory.Get())->OpenWorkspace(workspace.Out()), S_OK);
    ComPtr<IFields> fields;
    ComPtr<ITable> table;
    ASSERT_EQ(CreateFields(fields.Out()), S_OK);
    ASSERT_EQ(workspace->CreateTable(u"domain_test_rows", fields.Get(), table.Out()), S_OK);
    {
        ComPtr<IArray> children;
        ASSERT_EQ(Domain({u"DETable"})->GetMatchingChildren(QueryAs<IGPValue>(memory.Get()).Get(), children.Out()),
                  S_OK);
        auto names = ElementNames(children.Get());
        EXPECT_NE(std::find(names.begin(), names.end(), "domain_test_rows"), names.end());
    }

    ComPtr<IArray> children;
    auto domain = Domain({});
    EXPECT_EQ(domain->GetMatchingChildren(NewValue(CLSID_GPString, P().c_str()).Get(), children.Out()), E_INVALIDARG);
    EXPECT_EQ(domain->GetMatchingChildren(nullptr, children.Out()), E_POINTER);
    EXPECT_EQ(domain->GetMatchingChildren(Element(P()).Get(), nullptr), E_POINTER);
}

TEST_F(DataElementDomainTest, AssignAddsNamesAndIsEqualIgnoresOrderAndCase) {
    auto domain = Domain({u"DETable"});
    ASSERT_EQ(QueryAs<IClone>(domain.Get())->Assign(QueryAs<IClone>(Domain({u"DEFolder", u"detable"}).Get()).Get()),
              S_OK);
    EXPECT_EQ(Names(domain.Get()), (std::vector<std::string>{"DETable", "DEFolder"}));
    EXPECT_TRUE(Equal(domain.Get(), Domain({u"defolder", u"DETABLE"}).Get()));
    EXPECT_FALSE(Equal(domain.Get(), Domain({u"DEFolder"}).Get()));
    EXPECT_FALSE(Equal(domain.Get(), Domain({u"DEFolder", u"DEFile"}).Get()));
    EXPECT_FALSE(Equal(domain.Get(), Create<IGPFileDomain>(CLSID_GPFileDomain).Get()));
    EXPECT_EQ(
        QueryAs<IClone>(domain.Get())->Assign(QueryAs<IClone>(Create<IGPFileDomain>(CLSID_GPFileDomain).Get()).Get()),
        E_INVALIDARG);
}

TEST_F(DataElementDomainTest, StreamFormKeepsNamesInOrder) {
    auto domain = Domain({u"DEWorkspace", u"DEFolder", u"DEFile"});
    auto read = StreamCopy<IDataElementDomain>(domain.Get(), CLSID_DataElementDomain);
    ASSERT_TRUE(read);
    EXPECT_EQ(Names(read.Get()), (std::vector<std::string>{"DEWorkspace", "DEFolder", "DEFile"}));

    auto form = SavedForm(domain.Get());
    auto target = Domain({u"DETable"});
    DamagedFormsChangeNothing(target.Get(), form);
    auto newer = form;
    newer[0] = 2;
    EXPECT_EQ(LoadForm(target.Get(), newer), E_FAIL);
    EXPECT_EQ(Names(target.Get()), (std::vector<std::string>{"DETable"}));
}

TEST_F(DataElementDomainTest, XmlFormKeepsNamesInOrder) {
    auto domain = Domain({u"DEWorkspace", u"DEFolder"});
    auto xml = XmlForm(domain.Get());
    EXPECT_NE(xml.find(u"DataElementDomain"), std::u16string::npos);
    EXPECT_NE(xml.find(u"<TypeArray"), std::u16string::npos);
    auto read = XmlCopy<IDataElementDomain>(xml, CLSID_DataElementDomain);
    ASSERT_TRUE(read);
    EXPECT_EQ(Names(read.Get()), (std::vector<std::string>{"DEWorkspace", "DEFolder"}));

    auto empty = XmlForm(Domain({}).Get());
    EXPECT_EQ(empty.find(u"TypeArray"), std::u16string::npos);
    ASSERT_EQ(TaviXmlDeserialize(empty.c_str(), read.Get()), S_OK);
    EXPECT_EQ(Names(read.Get()), (std::vector<std::string>{}));

    auto target = Domain({u"DETable"});
    for (size_t length = 0; length <= xml.rfind(u'>'); length += 5)
        EXPECT_NE(TaviXmlDeserialize(xml.substr(0, length).c_str(), target.Get()), S_OK);
    EXPECT_EQ(Names(target.Get()), (std::vector<std::string>{"DETable"}));
}

} // namespace
} // namespace tavi::test
