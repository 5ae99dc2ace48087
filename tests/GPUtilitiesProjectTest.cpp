// The utility object's project operations: the process's current project put, refused (kept, with the reader's
// message as error information), closed and read from TAVI_PROJECT; the current map switched; items found in the
// project, in standalone files and as PATH\Name; layer names and layer values of the current map; the project
// described for a host; and threads that share the current project.
#include "TestData.h"
#include "TestSupport.h"

#include "services/GPUtilities.h"
#include "tavi/DataAccess.h"
#include "tavi/GPUtilities.h"

#include <nlohmann/json.hpp>

#include <atomic>
#include <cstdlib>
#include <set>
#include <thread>

namespace tavi::test {
namespace {

const char kCity[] = R"({"format": "tavi-project", "version": 1,
  "maps": [
    {"name": "Streets", "layers": [
      {"name": "roads", "source": "roads.shp", "definitionQuery": "lanes > 2"},
      {"name": "Admin", "layers": [
        {"name": "owners", "source": "city.gpkg/owners", "visible": false},
        {"name": "dem", "source": "dem.tif"}
      ]},
      {"name": "planned", "source": "planned.shp"},
      {"name": "typed", "kind": "GPFeatureLayer", "source": "planned.shp"}
    ]},
    {"name": "Imagery", "kind": "basemap", "layers": [{"name": "ortho", "kind": "GPRasterLayer", "source": "dem.tif"}]}
  ],
  "layouts": [{"name": "A3", "map": "Streets"}],
  "reports": [{"name": "Owners", "source": "city.gpkg/owners"}]
})";

class GPUtilitiesProject : public ModuleClassesTest {
protected:
    static void SetUpTestSuite() {
        data_ = new TestData();
        data_->Vector("shp", "roads.shp", "roads", wkbLineString, 4326,
                      {{"LINESTRING (0 0, 1 1)", "a", 1, 1, 2001, 1, 1}});
        data_->Vector("GPKG", "city.gpkg", "owners", wkbNone, 0, {{"", "x", 1, 0, 2000, 1, 1}});
        data_->Raster("dem.tif", 4, 4, 1, 0, 4, 32633);
        data_->File("city.json", kCity);
        data_->File("other.json", R"({"format":"tavi-project","version":1,"maps":[{"name":"Other"}],
                                      "layouts":[{"name":"Poster"}],"reports":[{"name":"Sums"}]})");
        data_->File("solo.mapx", R"({"format":"tavi-map","version":1,"map":{"name":"Solo","kind":"basemap"}})");
        data_->File("page.wobx", R"({"format":"tavi-layout","version":1,"layout":{"name":"Page"}})");
        data_->File("broken.rptx", R"({"format":"tavi-report","version":1,"report":{}})");
        data_->File("broken.json", "{\"format\":\"tavi-project\",\"version\":1,\"maps\":[{\"name\":7}]}");
    }
    static void TearDownTestSuite() {
        delete data_;
        data_ = nullptr;
    }
    void SetUp() override {
        ModuleClassesTest::SetUp();
        ForgetCurrentProject();
        unsetenv("TAVI_PROJECT");
        utilities_ = MakeObject<GPUtilities>();
    }
    void TearDown() override {
        utilities_ = nullptr;
        ForgetCurrentProject();
        unsetenv("TAVI_PROJECT");
        ModuleClassesTest::TearDown();
    }

    static std::u16string P(const std::string& relative) { return FromUtf8(data_->Path(relative)); }

    // The calling thread's error description, taken out of its slot ("" when none).
    static std::string TakeErrorDescription() {
        ComPtr<IErrorInfo> info;
        if (GetErrorInfo(0, info.Out()) != S_OK || !info)
            return {};
        BStr description;
        info->GetDescription(description.Out());
        return ToUtf8(description.view());
    }

    std::u16string ProjectPath() {
        BStr path;
        EXPECT_EQ(utilities_->get_ProjectPath(path.Out()), S_OK);
        return path.str();
    }
    std::u16string CurrentMap() {
        BStr name;
        EXPECT_EQ(utilities_->get_CurrentMap(name.Out()), S_OK);
        return name.str();
    }
    std::vector<std::u16string> LayerNames() {
        ComPtr<IEnumBSTR> names;
        EXPECT_EQ(utilities_->GetLayerNames(names.Out()), S_OK);
        std::vector<std::u16string> list;
        BStr name;
        while (names && names->Next(name.Out()) == S_OK)
            list.push_back(name.str());
        return list;
    }

    static TestData* data_;
    ComPtr<GPUtilities> utilities_;
};
TestData* GPUtilitiesProject::data_ = nullptr;

TEST_F(GPUtilitiesProject, PutsRefusesAndClosesTheProject) {
    EXPECT_EQ(ProjectPath(), u"");
    EXPECT_EQ(CurrentMap(), u"");
    EXPECT_TRUE(LayerNames().empty());
    EXPECT_EQ(utilities_->put_ProjectPath(nullptr), E_POINTER);

    ASSERT_EQ(utilities_->put_ProjectPath(P("city.json").c_str()), S_OK);
    EXPECT_EQ(ProjectPath(), P("city.json"));

    struct RefusedCase {
        std::string path;
        HRESULT code;
        const char* message;
    };
    const RefusedCase refused[] = {
        {data_->Path("broken.json"), E_INVALIDARG, "broken.json: maps[0]: 'name' must be a string"},
        {data_->Path("nothing.json"), TAVI_E_DATA_NOT_FOUND, "nothing.json: no such file"},
        {data_->Path(""), TAVI_E_DATA_UNREADABLE, "not a file"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(utilities_->put_ProjectPath(FromUtf8(c.path).c_str()), c.code);
        EXPECT_NE(TakeErrorDescription().find(c.message), std::string::npos);
        EXPECT_EQ(ProjectPath(), P("city.json")) << "a refused document keeps the current project";
    }

    // Another utility object sees the same project; closing it closes it for all.
    auto other = MakeObject<GPUtilities>();
    BStr seen;
    ASSERT_EQ(other->get_ProjectPath(seen.Out()), S_OK);
    EXPECT_EQ(seen.str(), P("city.json"));
    EXPECT_EQ(other->put_ProjectPath(u""), S_OK);
    EXPECT_EQ(ProjectPath(), u"");
}

TEST_F(GPUtilitiesProject, ReadsTavisProjectAtFirstNeed) {
    setenv("TAVI_PROJECT", data_->Path("broken.json").c_str(), 1);
    BStr path;
    EXPECT_EQ(utilities_->get_ProjectPath(path.Out()), E_INVALIDARG) << "an unreadable document is not hidden";
    EXPECT_NE(TakeErrorDescription().find("'name' must be a string"), std::string::npos);

    setenv("TAVI_PROJECT", data_->Path("city.json").c_str(), 1);
    EXPECT_EQ(ProjectPath(), P("city.json")) << "tried again at the next need";
    EXPECT_EQ(utilities_->put_ProjectPath(u""), S_OK);
    EXPECT_EQ(ProjectPath(), u"") << "a project closed on purpose stays closed";
}

TEST_F(GPUtilitiesProject, SwitchesTheCurrentMap) {
    ASSERT_EQ(utilities_->put_ProjectPath(P("city.json").c_str()), S_OK);
    EXPECT_EQ(CurrentMap(), u"Streets") << "the first map";
    EXPECT_EQ(LayerNames(), (std::vector<std::u16string>{u"roads", u"Admin", u"owners", u"dem", u"planned", u"typed"}))
        << "group children after their group";

    EXPECT_EQ(utilities_->put_CurrentMap(u"IMAGERY"), S_OK);
    EXPECT_EQ(CurrentMap(), u"Imagery") << "the map's own name, found without case";
    EXPECT_EQ(LayerNames(), std::vector<std::u16string>{u"ortho"});

    EXPECT_EQ(utilities_->put_CurrentMap(u"Elsewhere"), E_INVALIDARG);
    EXPECT_NE(TakeErrorDescription().find("'Elsewhere'"), std::string::npos);
    EXPECT_EQ(CurrentMap(), u"Imagery") << "unchanged by a refused name";
    EXPECT_EQ(utilities_->put_CurrentMap(nullptr), E_POINTER);

    ASSERT_EQ(utilities_->put_ProjectPath(P("other.json").c_str()), S_OK);
    EXPECT_EQ(CurrentMap(), u"Other") << "a new project starts at its first map";
    EXPECT_TRUE(LayerNames().empty());
    EXPECT_EQ(utilities_->put_ProjectPath(u""), S_OK);
    EXPECT_EQ(utilities_->put_CurrentMap(u"Other"), E_INVALIDARG) << "no map without a project";
    TakeErrorDescription();
}

TEST_F(GPUtilitiesProject, FindsItemsInTheProjectInFilesAndByPath) {
    ASSERT_EQ(utilities_->put_ProjectPath(P("city.json").c_str()), S_OK);
    using Form = ProjectDocument::Form;
    struct ItemCase {
        Form form;
        std::u16string text;
        std::u16string document; // "" for none found
        std::u16string name;
        const char* why;
    };
    const ItemCase cases[] = {
        {Form::Map, u"Imagery", P("city.json"), u"Imagery", "a map of the project"},
        {Form::Map, u"streets", P("city.json"), u"Streets", "without case"},
        {Form::Layout, u"a3", P("city.json"), u"A3", "a layout"},
        {Form::Report, u"Owners", P("city.json"), u"Owners", "a report"},
        {Form::Map, u"A3", u"", u"", "a layout is no map"},
        {Form::Map, P("solo.mapx"), P("solo.mapx"), u"Solo", "a standalone map file"},
        {Form::Layout, P("page.wobx"), P("page.wobx"), u"Page", "a layout in a file either kind may use"},
        {Form::Map, P("page.wobx"), u"", u"", "that file holds no map"},
        {Form::Map, P("other.json") + u"\\Other", P("other.json"), u"Other", "PATH\\Name"},
        {Form::Report, P("other.json") + u"/sums", P("other.json"), u"Sums", "PATH/Name without case"},
        {Form::Layout, P("other.json") + u"/Other", u"", u"", "PATH/Name of a map asked as a layout"},
        {Form::Map, P("nothing.json") + u"/Other", u"", u"", "no such file"},
        {Form::Map, u"", u"", u"", "empty"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        auto found = FindProjectItem(c.form, c.text);
        if (c.document.empty()) {
            EXPECT_FALSE(found);
            continue;
        }
        ASSERT_TRUE(found);
        EXPECT_EQ(found->document->path(), c.document);
        const auto& doc = *found->document;
        const std::u16string& name = c.form == Form::Map      ? doc.maps()[found->index].name
                                     : c.form == Form::Layout ? doc.layouts()[found->index].name
                                                              : doc.reports()[found->index].name;
        EXPECT_EQ(name, c.name);
    }
    EXPECT_THROW(FindProjectItem(Form::Report, P("broken.rptx")), ProjectDocumentError)
        << "a file of the kind that cannot be read is reported, not taken for no item";
    EXPECT_THROW(FindProjectItem(Form::Map, P("broken.json") + u"/x"), ProjectDocumentError);
}

TEST_F(GPUtilitiesProject, FindMapMakesValues) {
    ASSERT_EQ(utilities_->put_ProjectPath(P("city.json").c_str()), S_OK);
    ComPtr<IGPMap> map;
    EXPECT_EQ(utilities_->FindMap(u"Nowhere", map.Out()), S_FALSE);
    EXPECT_FALSE(map);
    EXPECT_EQ(utilities_->FindMap(nullptr, map.Out()), E_POINTER);
    ComPtr<IGPReport> report;
    EXPECT_EQ(utilities_->FindReport(P("broken.rptx").c_str(), report.Out()), E_INVALIDARG);
    EXPECT_NE(TakeErrorDescription().find("report: 'name' is missing"), std::string::npos);

    // A map value is made from its text by finding it, not by asking its data type again.
    ComPtr<IGPValue> value;
    EXPECT_EQ(utilities_->MakeGPValueFromText(u"gpmap", u"Nowhere", value.Out()), S_FALSE);
    EXPECT_FALSE(value);

    ASSERT_EQ(utilities_->FindMap(u"imagery", map.Out()), S_OK);
    BStr text, path;
    int32_t type = -1;
    map->get_NameString(text.Out());
    map->get_Path(path.Out());
    map->get_MapType(&type);
    EXPECT_EQ(text.str(), u"imagery") << "the text as typed";
    EXPECT_EQ(path.str(), P("city.json"));
    EXPECT_EQ(type, taviMapTypeBasemap);
    ComPtr<IGPLayout> layout;
    ASSERT_EQ(utilities_->FindLayout((P("other.json") + u"/Poster").c_str(), layout.Out()), S_OK);
    layout->get_Path(path.Out());
    EXPECT_EQ(path.str(), P("other.json"));
    ASSERT_EQ(utilities_->MakeGPValueFromText(u"GPReport", u"Owners", value.Out()), S_OK);
    EXPECT_TRUE(value.As<IGPReport>());
}

TEST_F(GPUtilitiesProject, MakesLayersOfTheCurrentMap) {
    ASSERT_EQ(utilities_->put_ProjectPath(P("city.json").c_str()), S_OK);
    ComPtr<IGPLayer> layer;
    EXPECT_EQ(utilities_->MakeLayer(u"ortho", layer.Out()), S_FALSE) << "a layer of another map";
    EXPECT_FALSE(layer);
    EXPECT_EQ(utilities_->MakeLayer(nullptr, layer.Out()), E_POINTER);
    EXPECT_EQ(utilities_->MakeLayer(u"planned", layer.Out()), TAVI_E_DATA_NOT_FOUND)
        << "no kind given and no data to tell it from";
    EXPECT_NE(TakeErrorDescription().find("layer 'planned': its data"), std::string::npos);

    ASSERT_EQ(utilities_->MakeLayer(u"ROADS", layer.Out()), S_OK);
    EXPECT_TRUE(layer.As<IGPFeatureLayer>()) << "a feature class makes a feature layer";
    BStr name, source, query;
    layer->get_Name(name.Out());
    auto more = layer.As<IGPLayer2>();
    more->get_DataSource(source.Out());
    more->get_DefinitionQuery(query.Out());
    EXPECT_EQ(name.str(), u"roads");
    EXPECT_EQ(source.str(), P("roads.shp"));
    EXPECT_EQ(query.str(), u"lanes > 2");

    ASSERT_EQ(utilities_->MakeLayer(u"typed", layer.Out()), S_OK) << "a kind given: missing data is the layer's";
    ASSERT_EQ(utilities_->MakeLayer(u"Admin", layer.Out()), S_OK);
    auto group = layer.As<IGPCompositeLayer>();
    ASSERT_TRUE(group);
    int32_t count = 0;
    group->get_LayerCount(&count);
    ASSERT_EQ(count, 2);
    ComPtr<IGPLayer> child;
    ASSERT_EQ(group->get_Layer(0, child.Out()), S_OK);
    EXPECT_TRUE(child.As<IGPTableView>()) << "a table makes a table view";
    VARIANT_BOOL visible = VARIANT_TRUE;
    child.As<IGPLayer2>()->get_Visible(&visible);
    EXPECT_EQ(visible, VARIANT_FALSE);
    ASSERT_EQ(group->get_Layer(1, child.Out()), S_OK);
    EXPECT_TRUE(child.As<IGPRasterLayer>()) << "a raster makes a raster layer";
}

// Values read their texts through the current project: a layer name becomes that layer of the current map, a map
// name that map; a name the project does not know stays a bare name (a layer a tool will make) or the map's name
// string with S_FALSE.
TEST_F(GPUtilitiesProject, ValueTextsResolveThroughTheProject) {
    ASSERT_EQ(utilities_->put_ProjectPath(P("city.json").c_str()), S_OK);
    auto layerType = Create<IGPDataType>(CLSID_GPFeatureLayerType);
    ComPtr<IGPValue> value;
    ASSERT_EQ(layerType->CreateValue(u"roads", value.Out()), S_OK);
    BStr text, source, query;
    value->GetAsText(text.Out());
    auto layer = value.As<IGPLayer2>();
    ASSERT_TRUE(layer);
    layer->get_DataSource(source.Out());
    layer->get_DefinitionQuery(query.Out());
    EXPECT_EQ(text.str(), u"roads");
    EXPECT_EQ(source.str(), P("roads.shp"));
    EXPECT_EQ(query.str(), u"lanes > 2");

    ASSERT_EQ(layerType->CreateValue(u"new_roads", value.Out()), S_OK);
    value.As<IGPLayer2>()->get_DataSource(source.Out());
    EXPECT_EQ(source.str(), u"") << "an unknown name is an output layer's name, without data";

    auto map = Create<IGPValue>(CLSID_GPMap);
    ComPtr<IGPMessage> message;
    ASSERT_EQ(map->SetAsText(u"imagery", message.Out()), S_OK);
    int32_t mapType = -1;
    BStr path;
    map.As<IGPMap>()->get_MapType(&mapType);
    map.As<IGPMap>()->get_Path(path.Out());
    EXPECT_EQ(mapType, taviMapTypeBasemap);
    EXPECT_EQ(path.str(), P("city.json"));
    EXPECT_EQ(map->SetAsText(u"Harbour", message.Out()), S_FALSE);
    map->GetAsText(text.Out());
    EXPECT_EQ(text.str(), u"Harbour");
}

TEST_F(GPUtilitiesProject, DescribesTheProjectWithKindsToldFromData) {
    BStr text;
    EXPECT_EQ(utilities_->DescribeProject(text.Out()), S_FALSE);
    EXPECT_EQ(text.str(), u"");
    ASSERT_EQ(utilities_->put_ProjectPath(P("city.json").c_str()), S_OK);
    ASSERT_EQ(utilities_->put_CurrentMap(u"Imagery"), S_OK);
    ASSERT_EQ(utilities_->DescribeProject(text.Out()), S_OK);
    auto all = nlohmann::json::parse(ToUtf8(text.view()));
    EXPECT_EQ(all["path"], data_->Path("city.json"));
    const auto& streets = all["maps"][0];
    EXPECT_EQ(streets["current"], false);
    EXPECT_EQ(all["maps"][1]["current"], true);
    EXPECT_EQ(all["maps"][1]["kind"], "basemap");
    EXPECT_EQ(streets["layers"][0]["kind"], "GPFeatureLayer");
    EXPECT_EQ(streets["layers"][0]["source"], data_->Path("roads.shp"));
    EXPECT_EQ(streets["layers"][1]["kind"], "GPGroupLayer");
    EXPECT_EQ(streets["layers"][1]["layers"][0]["kind"], "GPTableView");
    EXPECT_EQ(streets["layers"][1]["layers"][0]["visible"], false);
    EXPECT_EQ(streets["layers"][1]["layers"][1]["kind"], "GPRasterLayer");
    EXPECT_EQ(streets["layers"][2]["kind"], "") << "data not there yet: no kind, no failure";
    EXPECT_EQ(streets["layers"][3]["kind"], "GPFeatureLayer");
    EXPECT_EQ(all["layouts"][0]["map"], "Streets");
    EXPECT_EQ(all["reports"][0]["source"], data_->Path("city.gpkg/owners"));
}

TEST_F(GPUtilitiesProject, ThreadsShareOneCurrentProject) {
    const std::u16string city = P("city.json"), other = P("other.json");
    const std::vector<std::u16string> cityNames{u"roads", u"Admin", u"owners", u"dem", u"planned", u"typed"};
    std::atomic<int> faults{0};
    // A project is current before any thread asks, so that every read finds one of the two.
    ASSERT_EQ(utilities_->put_ProjectPath(city.c_str()), S_OK);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            {
                auto mine = MakeObject<GPUtilities>();
                for (int i = 0; i < 200; ++i) {
                    if (t % 2 == 0 && mine->put_ProjectPath((i % 2 ? city : other).c_str()) != S_OK)
                        ++faults;
                    BStr path;
                    ComPtr<IEnumBSTR> names;
                    if (mine->get_ProjectPath(path.Out()) != S_OK || (path.str() != city && path.str() != other))
                        ++faults;
                    if (mine->GetLayerNames(names.Out()) != S_OK)
                        ++faults;
                    std::vector<std::u16string> list;
                    BStr name;
                    while (names->Next(name.Out()) == S_OK)
                        list.push_back(name.str());
                    // A whole map's names, of one project or the other: never a mixture.
                    if (!list.empty() && list != cityNames)
                        ++faults;
                }
            }
            DllCanUnloadNow();
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(faults.load(), 0);
    // What one thread puts, another reads.
    std::thread([&] {
        auto mine = MakeObject<GPUtilities>();
        EXPECT_EQ(mine->put_ProjectPath(other.c_str()), S_OK);
    }).join();
    EXPECT_EQ(ProjectPath(), other);
}

} // namespace
} // namespace tavi::test
