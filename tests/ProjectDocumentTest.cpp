// The project document reader: a full document read into its tree, names found as written and without regard to
// case with the first of repeated names winning, standalone item files, and malformed, oversized and overly deep
// documents refused with a message that names the place.
#include "TestData.h"
#include "TestSupport.h"

#include "services/ProjectDocument.h"
#include "tavi/DataAccess.h"

#include <string>

namespace tavi::test {
namespace {

class ProjectDocumentTest : public LeakCheckedTest {};

std::shared_ptr<const ProjectDocument> ParseText(const std::string& text) {
    return ProjectDocument::Parse(text, "/projects/city/city.json");
}

const char kCity[] = R"({"format": "tavi-project", "version": 1,
  "maps": [
    {"name": "Streets", "layers": [
      {"name": "roads", "kind": "GPFeatureLayer", "source": "data/roads.shp", "definitionQuery": "lanes > 2"},
      {"name": "Admin", "layers": [
        {"name": "districts", "source": "/abs/admin.gpkg/districts", "visible": false},
        {"name": "Roads", "source": "other.shp"},
        {"name": "empty group", "layers": []}
      ]},
      {"name": "parcels", "source": "../shared/parcels.gpkg/parcels"}
    ]},
    {"name": "Imagery", "kind": "basemap", "layers": [{"name": "ortho", "source": "https://tiles.example/ortho"}]}
  ],
  "layouts": [{"name": "A3 Streets", "map": "Streets"}, {"name": "Blank"}],
  "reports": [{"name": "Parcel list", "source": "parcels.csv"}],
  "comment": "keys the reader does not know are left alone"
})";

TEST_F(ProjectDocumentTest, ReadsTheTreeInDocumentOrderWithAbsoluteSources) {
    auto doc = ParseText(kCity);
    EXPECT_EQ(doc->form(), ProjectDocument::Form::Project);
    EXPECT_EQ(doc->path(), u"/projects/city/city.json");
    ASSERT_EQ(doc->maps().size(), 2u);
    const ProjectMap& streets = doc->maps()[0];
    EXPECT_FALSE(streets.basemap);
    EXPECT_TRUE(doc->maps()[1].basemap);
    std::vector<std::u16string> names;
    for (const ProjectLayer& layer : streets.layers)
        names.push_back(layer.name);
    EXPECT_EQ(names,
              (std::vector<std::u16string>{u"roads", u"Admin", u"districts", u"Roads", u"empty group", u"parcels"}));
    EXPECT_EQ(streets.topLevel, (std::vector<size_t>{0, 1, 5}));
    const ProjectLayer& admin = streets.layers[1];
    EXPECT_TRUE(admin.group);
    EXPECT_EQ(admin.children, (std::vector<size_t>{2, 3, 4}));
    EXPECT_TRUE(streets.layers[4].group) << "an empty list still makes a group";
    EXPECT_EQ(streets.layers[2].depth, 1);

    EXPECT_EQ(streets.layers[0].source, u"/projects/city/data/roads.shp") << "relative to the document's folder";
    EXPECT_EQ(streets.layers[0].definitionQuery, u"lanes > 2");
    EXPECT_EQ(streets.layers[2].source, u"/abs/admin.gpkg/districts");
    EXPECT_FALSE(streets.layers[2].visible);
    EXPECT_TRUE(streets.layers[0].visible);
    EXPECT_EQ(streets.layers[5].source, u"/projects/shared/parcels.gpkg/parcels");
    EXPECT_EQ(doc->maps()[1].layers[0].source, u"https://tiles.example/ortho") << "a URL stays as written";
    ASSERT_EQ(doc->layouts().size(), 2u);
    EXPECT_EQ(doc->layouts()[0].map, u"Streets");
    EXPECT_EQ(doc->reports()[0].source, u"/projects/city/parcels.csv");
}

TEST_F(ProjectDocumentTest, FindsNamesAsWrittenFirstThenWithoutCase) {
    auto doc = ParseText(kCity);
    const ProjectMap& streets = doc->maps()[0];
    struct NameCase {
        const char16_t* name;
        const char16_t* source; // nullptr: not found
        const char* why;
    };
    const NameCase cases[] = {
        {u"roads", u"/projects/city/data/roads.shp", "as written"},
        {u"Roads", u"/projects/city/other.shp", "a child spelt exactly so wins over the other spelling"},
        {u"ROADS", u"/projects/city/data/roads.shp", "without case: the first in document order"},
        {u"DISTRICTS", u"/abs/admin.gpkg/districts", "a group's child, without case"},
        {u"road", nullptr, "no prefix match"},
        {u"", nullptr, "empty"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const ProjectLayer* layer = streets.FindLayer(c.name);
        if (!c.source) {
            EXPECT_EQ(layer, nullptr);
            continue;
        }
        ASSERT_NE(layer, nullptr);
        EXPECT_EQ(layer->source, c.source);
    }
    ASSERT_NE(doc->FindMap(u"imagery"), nullptr);
    EXPECT_EQ(doc->FindMap(u"imagery")->name, u"Imagery");
    EXPECT_NE(doc->FindLayout(u"a3 streets"), nullptr);
    EXPECT_NE(doc->FindReport(u"PARCEL LIST"), nullptr);
    EXPECT_EQ(doc->FindMap(u"Parcel list"), nullptr) << "a report is no map";
}

TEST_F(ProjectDocumentTest, ReadsStandaloneItems) {
    auto map = ParseText(R"({"format":"tavi-map","version":1,"map":{"name":"Solo","kind":"basemap",
                             "layers":[{"name":"a","source":"a.shp"}]}})");
    EXPECT_EQ(map->form(), ProjectDocument::Form::Map);
    ASSERT_EQ(map->maps().size(), 1u);
    EXPECT_TRUE(map->maps()[0].basemap);
    EXPECT_EQ(map->maps()[0].layers[0].source, u"/projects/city/a.shp");
    auto layout = ParseText(R"({"format":"tavi-layout","version":1,"layout":{"name":"Page","map":"Elsewhere"}})");
    EXPECT_EQ(layout->form(), ProjectDocument::Form::Layout);
    EXPECT_EQ(layout->layouts()[0].map, u"Elsewhere") << "a standalone layout may name a map of another file";
    auto report = ParseText(R"({"format":"tavi-report","version":1,"report":{"name":"R"}})");
    EXPECT_EQ(report->form(), ProjectDocument::Form::Report);
    EXPECT_EQ(report->reports()[0].source, u"");

    struct ExtensionCase {
        const char16_t* path;
        bool map, layout, report;
    };
    const ExtensionCase extensions[] = {
        {u"a.mapx", true, false, false}, {u"a.MSD", true, false, false},  {u"a.wobx", true, true, false},
        {u"a.pagx", false, true, false}, {u"a.Rptx", false, false, true}, {u"a.json", false, false, false},
        {u"mapx", false, false, false},
    };
    for (const auto& c : extensions) {
        SCOPED_TRACE(ToUtf8(c.path));
        EXPECT_EQ(IsFileOfForm(c.path, ProjectDocument::Form::Map), c.map);
        EXPECT_EQ(IsFileOfForm(c.path, ProjectDocument::Form::Layout), c.layout);
        EXPECT_EQ(IsFileOfForm(c.path, ProjectDocument::Form::Report), c.report);
    }
}

std::string Nested(int groups) {
    std::string text = R"({"format":"tavi-project","version":1,"maps":[{"name":"m","layers":[)";
    for (int i = 0; i < groups; ++i)
        text += R"({"name":"g)" + std::to_string(i) + R"(","layers":[)";
    text += R"({"name":"leaf"})";
    for (int i = 0; i < groups; ++i)
        text += "]}";
    return text + "]}]}";
}

TEST_F(ProjectDocumentTest, RefusesMalformedDocumentsNamingThePlace) {
    struct BadCase {
        std::string text;
        const char* message;
        const char* why;
    };
    const std::string head = R"({"format":"tavi-project","version":1,)";
    const BadCase cases[] = {
        {"", "not JSON", "empty file"},
        {"{\"format\":", "not JSON", "cut short"},
        {"{\"version\":1e999}", "not JSON", "a number too large for a double"},
        {"[1,2]", "the document must be a JSON object", "an array"},
        {R"({"version":1})", "'format' must be a string", "no format"},
        {R"({"format":"other","version":1})", "'format' must be one of", "a format of someone else"},
        {R"({"format":"tavi-project"})", "'version' must be a whole number", "no version"},
        {R"({"format":"tavi-project","version":2})", "version 2 is not read", "a newer version"},
        {R"({"format":"tavi-project","version":"1"})", "'version' must be a whole number", "version as text"},
        {head + R"("maps":{}})", "'maps' must be a list", "maps not a list"},
        {head + R"("maps":[3]})", "maps[0]: must be an object", "a map that is a number"},
        {head + R"("maps":[{"layers":[]}]})", "maps[0]: 'name' is missing", "a map without a name"},
        {head + R"("maps":[{"name":""}]})", "maps[0]: 'name' must not be empty", "an empty name"},
        {head + R"("maps":[{"name":"m","kind":"scene"}]})", "maps[0]: 'kind' must be", "an unknown map kind"},
        {head + R"("maps":[{"name":"m","layers":[{"name":"a"},{"name":"b"},{"name":"c"},{"name":7}]}]})",
         "maps[0].layers[3]: 'name' must be a string", "the fourth layer's name is a number"},
        {head + R"("maps":[{"name":"m","layers":[{"name":"g","layers":[{"name":"x","visible":"no"}]}]}]})",
         "maps[0].layers[0].layers[0]: 'visible' must be true or false", "a child's flag as text"},
        {head + R"("maps":[{"name":"m","layers":[{"name":"g","layers":{}}]}]})",
         "maps[0].layers[0]: 'layers' must be a list", "children not a list"},
        {head + R"("maps":[{"name":"m","layers":[{"name":"a","source":5}]}]})",
         "maps[0].layers[0]: 'source' must be a string", "a numeric source"},
        {head + R"("layouts":[{"name":"L","map":"nowhere"}]})", "layouts[0]: 'map' names no map of the project",
         "a layout of a map that is not there"},
        {head + R"("reports":[{"name":["R"]}]})", "reports[0]: 'name' must be a string", "a list as a name"},
        {R"({"format":"tavi-map","version":1})", "'map' is missing", "a map file without its map"},
        {R"({"format":"tavi-map","version":1,"map":[]})", "map: must be an object", "a map file's map a list"},
        {Nested(ProjectDocument::kMaxGroupDepth + 1), "groups are nested more than 64 levels deep", "groups too deep"},
        {std::string(100000, '[') + std::string(100000, ']'), "nested more than 256 levels", "JSON too deep"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        try {
            ParseText(c.text);
            ADD_FAILURE() << "read";
        } catch (const ProjectDocumentError& error) {
            EXPECT_EQ(error.code(), E_INVALIDARG);
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
    EXPECT_NO_THROW(ParseText(Nested(ProjectDocument::kMaxGroupDepth))) << "the deepest nesting allowed";
}

TEST_F(ProjectDocumentTest, ReadsFilesWithinTheSizeLimit) {
    TestData data;
    data.File("city.json", kCity);
    auto doc = ProjectDocument::ReadFile(data.Path("city.json"));
    EXPECT_EQ(doc->maps().size(), 2u);
    EXPECT_EQ(doc->maps()[0].layers[0].source, FromUtf8(data.Path("data/roads.shp")));

    struct FileCase {
        std::string path;
        HRESULT code;
        const char* message;
    };
    data.File("big.json", std::string(ProjectDocument::kMaxFileBytes + 1, ' '));
    data.File("bad.json", "{\"format\":\"tavi-project\",\"version\":1,\"maps\":[{}]}");
    const FileCase cases[] = {
        {data.Path("missing.json"), TAVI_E_DATA_NOT_FOUND, "missing.json: no such file"},
        {data.Path(""), TAVI_E_DATA_UNREADABLE, "not a file"},
        {data.Path("big.json"), TAVI_E_DATA_UNREADABLE, "larger than 16 MiB"},
        {data.Path("bad.json"), E_INVALIDARG, "bad.json: maps[0]: 'name' is missing"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        try {
            ProjectDocument::ReadFile(c.path);
            ADD_FAILURE() << "read";
        } catch (const ProjectDocumentError& error) {
            EXPECT_EQ(error.code(), c.code);
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
}

} // namespace
} // namespace tavi::test
