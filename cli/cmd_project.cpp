// `tavigp project`: a project document's maps with their layer trees, its layouts and reports, as the library reads
// the document (through the utility object's project operations).
#include "Command.h"
#include "ProjectOptions.h"
#include "bridge/Text.h"

#include "platform/BStr.h"
#include "tavi/Entry.h"

#include <iostream>

namespace tavigp {
namespace {

using tavi::BStr;
using tavi::ComPtr;

std::string Field(const Json& facts, const char* key) {
    auto at = facts.find(key);
    return at != facts.end() && at->is_string() ? at->get<std::string>() : std::string();
}

// One layer per line, children indented under their group: name, [kind], source, "where QUERY", "(hidden)".
void PrintLayers(const Json& layers, int depth) {
    for (const Json& layer : layers) {
        std::string line(static_cast<size_t>(2 * depth), ' ');
        line += Field(layer, "name");
        const std::string kind = Field(layer, "kind");
        line += kind.empty() ? " [kind unknown: no data yet]" : " [" + kind + "]";
        if (const std::string source = Field(layer, "source"); !source.empty())
            line += " " + source;
        if (const std::string query = Field(layer, "definitionQuery"); !query.empty())
            line += " where " + query;
        if (layer.value("visible", true) == false)
            line += " (hidden)";
        std::cout << line << "\n";
        if (auto children = layer.find("layers"); children != layer.end())
            PrintLayers(*children, depth + 1);
    }
}

void PrintProject(const Json& all) {
    std::cout << "project " << Field(all, "path") << "\n";
    for (const Json& map : all["maps"]) {
        std::cout << Field(map, "kind") << " " << Field(map, "name")
                  << (map.value("current", false) ? " (current)" : "") << "\n";
        PrintLayers(map["layers"], 1);
    }
    for (const Json& layout : all["layouts"]) {
        const std::string map = Field(layout, "map");
        std::cout << "layout " << Field(layout, "name") << (map.empty() ? "" : " (map " + map + ")") << "\n";
    }
    for (const Json& report : all["reports"]) {
        const std::string source = Field(report, "source");
        std::cout << "report " << Field(report, "name") << (source.empty() ? "" : " " + source) << "\n";
    }
}

int RunProject(const std::vector<std::string>& args) {
    bool json = false;
    std::string path;
    for (const std::string& arg : args) {
        if (arg == "--json")
            json = true;
        else if (arg.starts_with("--"))
            throw UsageError("unknown option '" + arg + "'");
        else if (path.empty())
            path = arg;
        else
            throw UsageError("unexpected argument '" + arg + "'");
    }
    if (path.empty())
        throw UsageError("PATH is needed");
    int status = kExitFailure;
    {
        ComPtr<IGPProjectUtilities> project = OpenProject(path, "project");
        auto describe = tavi::QueryAs<IGPProjectUtilities2>(project.Get());
        BStr text;
        if (project && !describe)
            std::cerr << "tavigp project: the utility object cannot describe a project\n";
        else if (describe) {
            if (HRESULT hr = describe->DescribeProject(text.Out()); hr != S_OK)
                std::cerr << "tavigp project: cannot describe the project: " << HrTextAndName(FAILED(hr) ? hr : E_FAIL)
                          << "\n";
            else {
                Json all = Json::parse(Narrow(text.view()));
                if (json)
                    std::cout << all.dump() << "\n";
                else
                    PrintProject(all);
                status = kExitOk;
            }
        }
    }
    DllCanUnloadNow();
    return status;
}

const Command kProject{
    "project",
    "list a project document's maps, layers, layouts and reports",
    "usage: tavigp project PATH [--json]\n"
    "\n"
    "Reads the project document PATH (docs/project.md) and lists what it holds, one item per line:\n"
    "\n"
    "  project PATH                      the document, as an absolute path\n"
    "  map NAME | basemap NAME           each map; the current one (the first) marked '(current)'\n"
    "    LAYER [KIND] SOURCE where QUERY (hidden)\n"
    "                                    each layer of the map, children indented under their group; the kind\n"
    "                                    as given, else told from the data ('kind unknown' when the data is not\n"
    "                                    there yet); the definition query and '(hidden)' only when set\n"
    "  layout NAME (map MAP)             each layout, with the map it shows when it names one\n"
    "  report NAME SOURCE                each report, with its data when it names some\n"
    "\n"
    "  --json   one JSON object instead, with the keys path, maps (name, kind, current, layers: name, kind,\n"
    "           source, definitionQuery, visible, and layers for a group), layouts (name, map) and reports\n"
    "           (name, source)\n"
    "\n"
    "Exit status 0; 1 when the document cannot be read (a line on standard error says what is wrong and where);\n"
    "2 for a wrong command line.\n",
    &RunProject,
};
const CommandRegistration kRegistration{kProject};

} // namespace
} // namespace tavigp
