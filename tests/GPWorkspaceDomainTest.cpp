// The workspace domain: its list of types, membership of real workspaces (folders, a file database, a GeoPackage,
// the memory workspaces) and of what is none, the workspaces among a data element's children, browse filters,
// copies that add to what is held, and the stream and XML forms.
#include "DataDomainTestSupport.h"

namespace tavi::test {
namespace {

const std::string kFilter = "tavi_browseDialogFilters_";

class GPWorkspaceDomainTest : public DataDomainTest {
protected:
    static ComPtr<IGPWorkspaceDomain> Domain(std::initializer_list<int32_t> types) {
        auto domain = Create<IGPWorkspaceDomain>(CLSID_GPWorkspaceDomain);
        for (int32_t type : types)
            EXPECT_EQ(domain->AddType(type), S_OK);
        return domain;
    }
    static std::vector<int32_t> Types(IGPWorkspaceDomain* domain) {
        int32_t count = 0;
        EXPECT_EQ(domain->get_TypeCount(&count), S_OK);
        std::vector<int32_t> types;
        for (int32_t i = 0; i < count; ++i) {
            int32_t type = -1;
            EXPECT_EQ(domain->get_Type(i, &type), S_OK);
            types.push_back(type);
        }
        return types;
    }
    // The workspaces of the data folder, and those the test may read.
    static std::vector<std::string> Databases() {
        std::vector<std::string> names{"city.gdb", "city.gpkg"};
        if (!PermissionsHold())
            names.push_back("secret.gpkg");
        return names;
    }
};

TEST_F(GPWorkspaceDomainTest, RealWorkspacesByType) {
    struct Case {
        std::u16string path;
        Verdict anyType;   // with no types
        Verdict databases; // with type 1
        const char* why;
    };
    const Case cases[] = {
        {P(), kMember, Refused(837), "a folder is a workspace of type 0"},
        {P("nested/inner"), kMember, Refused(837), "a nested folder"},
        {P("city.gdb"), kMember, kMember, "a file database"},
        {P("city.gpkg"), kMember, kMember, "a GeoPackage"},
        {u"in_memory", kMember, kMember, "the memory workspace in_memory"},
        {u"MEMORY", kMember, kMember, "the memory workspace memory, named in any case"},
        {P("city.gpkg/roads"), Refused(838), Refused(838), "a feature class is no workspace"},
        {P("dem.tif"), Refused(838), Refused(838), "a raster is no workspace"},
        {P("notes.txt"), Refused(838), Refused(838), "a file that is no data"},
    };
    auto any = Domain({});
    auto databases = Domain({taviWorkspaceLocalDatabase});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        auto value = Element(c.path);
        EXPECT_EQ(MemberVerdict(any.Get(), value.Get()), c.anyType);
        EXPECT_EQ(MemberVerdict(databases.Get(), value.Get()), c.databases);
    }

    // A text naming a workspace is a text, not a workspace; so is a path that does not exist. No value is none.
    EXPECT_EQ(MemberVerdict(any.Get(), NewValue(CLSID_GPString, P().c_str()).Get()), Refused(838));
    EXPECT_EQ(MemberVerdict(any.Get(), NewValue(CLSID_GPString, u"/no/such/folder").Get()), Refused(838));
    EXPECT_EQ(MemberVerdict(any.Get(), nullptr), Refused(838));

    // A variable stands for its value; one that holds none is refused with its failure and no message.
    auto variable = Create<IGPVariable>(CLSID_GPVariable);
    variable->putref_Value(Element(P("city.gpkg")).Get());
    EXPECT_EQ(MemberVerdict(databases.Get(), QueryAs<IGPValue>(variable.Get()).Get()), kMember);
    variable->putref_Value(nullptr);
    EXPECT_EQ(MemberVerdict(databases.Get(), QueryAs<IGPValue>(variable.Get()).Get()), (Verdict{E_FAIL, -1, -1}));
    EXPECT_EQ(QueryAs<IGPDomain>(any.Get())->MemberOf(nullptr, nullptr), E_POINTER);
}

TEST_F(GPWorkspaceDomainTest, TypeListKeepsOneOfEachAndMarksEveryChange) {
    auto domain = Domain({2, 2, 0});
    EXPECT_EQ(Types(domain.Get()), (std::vector<int32_t>{2, 0}));
    auto persist = QueryAs<IPersistStream>(domain.Get());
    for (auto change : {+[](IGPWorkspaceDomain* d) { return d->AddType(2); },
                        +[](IGPWorkspaceDomain* d) { return d->RemoveType(7); }}) {
        persist->Save(NewStream().Get(), 1);
        EXPECT_EQ(change(domain.Get()), S_OK);
        EXPECT_EQ(persist->IsDirty(), S_OK) << "dirty even when nothing changed";
    }
    EXPECT_EQ(domain->RemoveType(2), S_OK);
    EXPECT_EQ(Types(domain.Get()), (std::vector<int32_t>{0}));

    int32_t type = 99;
    EXPECT_EQ(domain->get_Type(1, &type), E_INVALIDARG);
    EXPECT_EQ(domain->get_Type(-1, &type), E_INVALIDARG);
    EXPECT_EQ(type, 99);
    EXPECT_EQ(domain->get_Type(0, nullptr), E_POINTER);
    EXPECT_EQ(domain->get_TypeCount(nullptr), E_POINTER);
}

TEST_F(GPWorkspaceDomainTest, MatchingChildrenAreTheWorkspacesOfTheTypes) {
    auto folder = Element(P());
    struct Case {
        std::initializer_list<int32_t> types;
        std::vector<std::string> children;
        const char* why;
    };
    std::vector<std::string> all = Databases();
    all.push_back("nested");
    std::sort(all.begin(), all.end());
    const Case cases[] = {
        {{}, all, "no types: every workspace, in the folder's order"},
        {{taviWorkspaceFileSystem}, {"nested"}, "folders only"},
        {{taviWorkspaceLocalDatabase}, Databases(), "databases only"},
        {{taviWorkspacePortalFeatures}, {}, "none of that type: no array"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        ComPtr<IArray> children;
        ASSERT_EQ(Domain(c.types)->GetMatchingChildren(folder.Get(), children.Out()), S_OK);
        EXPECT_EQ(bool(children), !c.children.empty());
        EXPECT_EQ(ElementNames(children.Get()), c.children);
    }

    // A data element without children gives none; what is no data element is refused.
    auto domain = Domain({});
    ComPtr<IArray> children;
    EXPECT_EQ(domain->GetMatchingChildren(Element(P("notes.txt")).Get(), children.Out()), S_OK);
    EXPECT_FALSE(children);
    EXPECT_EQ(domain->GetMatchingChildren(NewValue(CLSID_GPString, P().c_str()).Get(), children.Out()), E_INVALIDARG);
    EXPECT_EQ(domain->GetMatchingChildren(nullptr, children.Out()), E_POINTER);
    EXPECT_EQ(domain->GetMatchingChildren(folder.Get(), nullptr), E_POINTER);
}

TEST_F(GPWorkspaceDomainTest, BrowseFiltersByType) {
    const std::string folders = kFilter + "Folders", fileDatabases = kFilter + "FileDatabases",
                      sqlite = kFilter + "SQLiteDatabases", mobile = kFilter + "MobileDatabases",
                      project = kFilter + "ProjectDatabases", portal = kFilter + "PortalFeatureWorkspaces";
    struct Case {
        std::initializer_list<int32_t> types;
        std::vector<std::string> filters;
    };
    const Case cases[] = {
        {{}, {}},
        {{0, 1}, {folders, fileDatabases, sqlite, mobile}},
        {{2, 32}, {project, portal}},
        {{5}, {folders, fileDatabases, project, portal}},
        {{32, 0, 7}, {portal, folders, folders, fileDatabases, project, portal}},
    };
    for (const auto& c : cases) {
        ComPtr<IArray> filters;
        ASSERT_EQ(QueryAs<IGxFilterInfo>(Domain(c.types).Get())->get_OpenGxObjectFilters(filters.Out()), S_OK);
        ASSERT_TRUE(filters) << "an array is handed out even when empty";
        EXPECT_EQ(FilterTexts(filters.Get()), c.filters);
    }
    EXPECT_EQ(QueryAs<IGxFilterInfo>(Domain({}).Get())->get_OpenGxObjectFilters(nullptr), E_POINTER);
}

TEST_F(GPWorkspaceDomainTest, AssignAddsToTheTypesHeldAndIsEqualIgnoresOrder) {
    auto domain = Domain({2});
    ASSERT_EQ(QueryAs<IClone>(domain.Get())->Assign(QueryAs<IClone>(Domain({1, 2}).Get()).Get()), S_OK);
    EXPECT_EQ(Types(domain.Get()), (std::vector<int32_t>{2, 1}));
    EXPECT_EQ(QueryAs<IClone>(domain.Get())->Assign(QueryAs<IClone>(domain.Get()).Get()), S_OK);
    EXPECT_EQ(Types(domain.Get()), (std::vector<int32_t>{2, 1}));
    EXPECT_EQ(QueryAs<IClone>(domain.Get())
                  ->Assign(QueryAs<IClone>(Create<IGPDatasetDomain>(CLSID_GPDatasetDomain).Get()).Get()),
              E_INVALIDARG);

    EXPECT_TRUE(Equal(domain.Get(), Domain({1, 2}).Get()));
    EXPECT_FALSE(Equal(domain.Get(), Domain({1}).Get()));
    EXPECT_FALSE(Equal(domain.Get(), Domain({1, 3}).Get()));
    EXPECT_FALSE(Equal(domain.Get(), Create<IGPDatasetDomain>(CLSID_GPDatasetDomain).Get()));

    ComPtr<IClone> clone;
    ASSERT_EQ(QueryAs<IClone>(domain.Get())->Clone(clone.Out()), S_OK);
    EXPECT_EQ(Types(QueryAs<IGPWorkspaceDomain>(clone.Get()).Get()), (std::vector<int32_t>{2, 1}));
}

TEST_F(GPWorkspaceDomainTest, StreamFormReplacesTheListAndRefusesDamage) {
    auto form = SavedForm(Domain({1, 32}).Get());
    EXPECT_EQ(form, (std::vector<uint8_t>{1, 0, 2, 0, 0, 0, 1, 0, 0, 0, 32, 0, 0, 0}));

    // Reading replaces what was held, takes repeats as they are, and leaves the domain clean.
    auto target = Domain({0});
    ASSERT_EQ(LoadForm(target.Get(), {1, 0, 3, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF}), S_OK);
    EXPECT_EQ(Types(target.Get()), (std::vector<int32_t>{1, 1, -2}));
    EXPECT_EQ(QueryAs<IPersistStream>(target.Get())->IsDirty(), S_FALSE);

    // A copy of a list read with repeats holds each type once (Assign adds with AddType), so the damage is read
    // into a domain without repeats, which its copy equals.
    target = Domain({0});
    DamagedFormsChangeNothing(target.Get(), form);
    for (auto bad : {std::vector<uint8_t>{2, 0, 0, 0, 0, 0}, std::vector<uint8_t>{1, 0, 0xFF, 0xFF, 0xFF, 0xFF},
                     std::vector<uint8_t>{1, 0, 0xFF, 0xFF, 0xFF, 0x7F, 1, 0, 0, 0}}) {
        EXPECT_EQ(LoadForm(target.Get(), bad), E_FAIL);
    }
    EXPECT_EQ(Types(target.Get()), (std::vector<int32_t>{0}));
}

TEST_F(GPWorkspaceDomainTest, XmlFormWritesTypeTexts) {
    auto domain = Domain({0, 1, 77});
    auto xml = XmlForm(domain.Get());
    EXPECT_NE(xml.find(u"<TypeArray"), std::u16string::npos);
    EXPECT_NE(xml.find(u"ArrayOfString"), std::u16string::npos);
    // The host's texts; a type without one is written as its number.
    EXPECT_NE(xml.find(u">FileSystem<"), std::u16string::npos);
    EXPECT_NE(xml.find(u">LocalDatabase<"), std::u16string::npos);
    EXPECT_NE(xml.find(u">77<"), std::u16string::npos);
    auto read = XmlCopy<IGPWorkspaceDomain>(xml, CLSID_GPWorkspaceDomain);
    ASSERT_TRUE(read);
    EXPECT_EQ(Types(read.Get()), (std::vector<int32_t>{0, 1, 77}));
    EXPECT_EQ(QueryAs<IPersistStream>(read.Get())->IsDirty(), S_OK);

    // Without types only the type name is written, and reading that empties the list.
    auto empty = XmlForm(Domain({}).Get());
    EXPECT_EQ(empty.find(u"TypeArray"), std::u16string::npos);
    ASSERT_EQ(TaviXmlDeserialize(empty.c_str(), read.Get()), S_OK);
    EXPECT_EQ(Types(read.Get()), (std::vector<int32_t>{}));

    // Texts are read in any letter case; one that names no type is refused and changes nothing.
    auto target = Domain({2});
    auto lower = xml;
    lower.replace(lower.find(u">FileSystem<"), 12, u">filesystem<");
    ASSERT_EQ(TaviXmlDeserialize(lower.c_str(), target.Get()), S_OK);
    EXPECT_EQ(Types(target.Get()), (std::vector<int32_t>{0, 1, 77}));
    auto unknown = xml;
    unknown.replace(unknown.find(u">FileSystem<"), 12, u">Shoebox<");
    EXPECT_EQ(TaviXmlDeserialize(unknown.c_str(), target.Get()), E_FAIL);
    EXPECT_EQ(Types(target.Get()), (std::vector<int32_t>{0, 1, 77}));
}

} // namespace
} // namespace tavi::test
