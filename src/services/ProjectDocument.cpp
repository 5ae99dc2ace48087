// The project document reader: the file read with a size limit, the JSON parsed with a nesting limit, then each
// item checked and copied into plain structures with a name index per list, every refusal naming its place.
#include "services/ProjectDocument.h"

#include "host/String.h"
#include "platform/Utf.h"
#include "tavi/DataAccess.h"

#include <nlohmann/json.hpp>

#include <fstream>
#include <system_error>

namespace tavi {

namespace {

using Json = nlohmann::json;

std::u16string PathText(const std::filesystem::path& path) {
    return FromUtf8(path.string());
}

bool EndsWithNoCase(std::u16string_view text, std::u16string_view tail) {
    return text.size() >= tail.size() && EqualsNoCase(text.substr(text.size() - tail.size()), tail);
}

[[noreturn]] void Refuse(const std::string& where, const std::string& what) {
    throw ProjectDocumentError(E_INVALIDARG, where.empty() ? what : where + ": " + what);
}

// The forms a document's "format" names, with the key of its one item for a standalone file.
struct FormName {
    const char* format;
    ProjectDocument::Form form;
    const char* itemKey;
};
constexpr FormName kForms[] = {
    {"tavi-project", ProjectDocument::Form::Project, nullptr},
    {"tavi-map", ProjectDocument::Form::Map, "map"},
    {"tavi-layout", ProjectDocument::Form::Layout, "layout"},
    {"tavi-report", ProjectDocument::Form::Report, "report"},
};

} // namespace

void ProjectNameIndex::Add(std::u16string_view name, size_t position) {
    exact_.emplace(std::u16string(name), position);
    folded_.emplace(FoldCase(name), position);
}

std::optional<size_t> ProjectNameIndex::Find(std::u16string_view name) const {
    if (auto at = exact_.find(name); at != exact_.end())
        return at->second;
    if (auto at = folded_.find(std::u16string_view(FoldCase(name))); at != folded_.end())
        return at->second;
    return std::nullopt;
}

const ProjectLayer* ProjectMap::FindLayer(std::u16string_view name) const {
    auto at = layerIndex.Find(name);
    return at ? &layers[*at] : nullptr;
}

// Walks the parsed JSON into the document. Each member function takes the JSON of one item and the text that names
// its place in the document.
class ProjectDocument::Reader {
public:
    Reader(ProjectDocument& document, std::filesystem::path folder) : doc_(document), folder_(std::move(folder)) {}

    void Read(const Json& root) {
        if (!root.is_object())
            Refuse("", "the document must be a JSON object");
        const Json* format = Member(root, "format", "");
        if (!format || !format->is_string())
            Refuse("", "'format' must be a string");
        const FormName* form = nullptr;
        for (const FormName& candidate : kForms)
            if (format->get_ref<const std::string&>() == candidate.format)
                form = &candidate;
        if (!form)
            Refuse("", "'format' must be one of \"tavi-project\", \"tavi-map\", \"tavi-layout\", \"tavi-report\"");
        const Json* version = Member(root, "version", "");
        if (!version || !version->is_number_integer())
            Refuse("", "'version' must be a whole number");
        if (version->get<int64_t>() != 1)
            Refuse("", "version " + version->dump() + " is not read by this library (it reads version 1)");
        doc_.form_ = form->form;
        if (form->itemKey) {
            const Json* item = Member(root, form->itemKey, "");
            if (!item)
                Refuse("", std::string("'") + form->itemKey + "' is missing");
            if (form->form == Form::Map)
                ReadMap(*item, form->itemKey);
            else if (form->form == Form::Layout)
                ReadLayout(*item, form->itemKey);
            else
                ReadReport(*item, form->itemKey);
            return;
        }
        ReadList(root, "maps", [&](const Json& item, const std::string& where) { ReadMap(item, where); });
        ReadList(root, "layouts", [&](const Json& item, const std::string& where) { ReadLayout(item, where); });
        ReadList(root, "reports", [&](const Json& item, const std::string& where) { ReadReport(item, where); });
        for (size_t i = 0; i < doc_.layouts_.size(); ++i) {
            const std::u16string& map = doc_.layouts_[i].map;
            if (!map.empty() && !doc_.FindMap(map))
                Refuse("layouts[" + std::to_string(i) + "]", "'map' names no map of the project");
        }
    }

private:
    static const Json* Member(const Json& object, const char* key, const std::string& where) {
        auto at = object.find(key);
        return at == object.end() || at->is_null() ? nullptr : &*at;
    }

    // An optional text member ("" when absent); `required` refuses an absent or empty one.
    static std::u16string Text(const Json& object, const char* key, const std::string& where, bool required) {
        const Json* member = Member(object, key, where);
        if (!member) {
            if (required)
                Refuse(where, std::string("'") + key + "' is missing");
            return {};
        }
        if (!member->is_string())
            Refuse(where, std::string("'") + key + "' must be a string");
        std::u16string text = FromUtf8(member->get_ref<const std::string&>());
        if (required && text.empty())
            Refuse(where, std::string("'") + key + "' must not be empty");
        return text;
    }

    template <class ReadItem> static void ReadList(const Json& object, const char* key, ReadItem readItem) {
        const Json* list = Member(object, key, "");
        if (!list)
            return;
        if (!list->is_array())
            Refuse("", std::string("'") + key + "' must be a list");
        for (size_t i = 0; i < list->size(); ++i)
            readItem((*list)[i], std::string(key) + "[" + std::to_string(i) + "]");
    }

    static void RequireObject(const Json& item, const std::string& where) {
        if (!item.is_object())
            Refuse(where, "must be an object");
    }

    // An absolute source: a relative path is taken in the document's folder; a URL stays as written.
    std::u16string Source(const Json& item, const std::string& where) const {
        std::u16string source = Text(item, "source", where, false);
        if (source.empty() || source.find(u"://") != std::u16string::npos)
            return source;
        std::filesystem::path path(ToUtf8(source));
        if (path.is_relative())
            path = folder_ / path;
        return PathText(path.lexically_normal());
    }

    void ReadMap(const Json& item, const std::string& where) {
        RequireObject(item, where);
        ProjectMap map;
        map.name = Text(item, "name", where, true);
        std::u16string kind = Text(item, "kind", where, false);
        if (kind == u"basemap")
            map.basemap = true;
        else if (!kind.empty() && kind != u"map")
            Refuse(where, "'kind' must be \"map\" or \"basemap\"");
        if (const Json* layers = Member(item, "layers", where)) {
            if (!layers->is_array())
                Refuse(where, "'layers' must be a list");
            map.topLevel = ReadLayers(map, *layers, where + ".layers", 0);
        }
        doc_.mapIndex_.Add(map.name, doc_.maps_.size());
        doc_.maps_.push_back(std::move(map));
    }

    // Reads a list of layers into `map` in document order; the positions of the list's own layers.
    std::vector<size_t> ReadLayers(ProjectMap& map, const Json& list, const std::string& where, int depth) {
        if (depth > kMaxGroupDepth)
            Refuse(where, "groups are nested more than " + std::to_string(kMaxGroupDepth) + " levels deep");
        std::vector<size_t> positions;
        for (size_t i = 0; i < list.size(); ++i) {
            const Json& item = list[i];
            const std::string at = where + "[" + std::to_string(i) + "]";
            RequireObject(item, at);
            ProjectLayer layer;
            layer.name = Text(item, "name", at, true);
            layer.kind = Text(item, "kind", at, false);
            layer.source = Source(item, at);
            layer.definitionQuery = Text(item, "definitionQuery", at, false);
            layer.depth = depth;
            if (const Json* visible = Member(item, "visible", at)) {
                if (!visible->is_boolean())
                    Refuse(at, "'visible' must be true or false");
                layer.visible = visible->get<bool>();
            }
            const Json* children = Member(item, "layers", at);
            if (children && !children->is_array())
                Refuse(at, "'layers' must be a list");
            layer.group = children != nullptr;
            const size_t position = map.layers.size();
            map.layerIndex.Add(layer.name, position);
            map.layers.push_back(std::move(layer));
            positions.push_back(position);
            if (children) {
                std::vector<size_t> childPositions = ReadLayers(map, *children, at + ".layers", depth + 1);
                map.layers[position].children = std::move(childPositions);
            }
        }
        return positions;
    }

    void ReadLayout(const Json& item, const std::string& where) {
        RequireObject(item, where);
        ProjectLayout layout;
        layout.name = Text(item, "name", where, true);
        layout.map = Text(item, "map", where, false);
        doc_.layoutIndex_.Add(layout.name, doc_.layouts_.size());
        doc_.layouts_.push_back(std::move(layout));
    }

    void ReadReport(const Json& item, const std::string& where) {
        RequireObject(item, where);
        ProjectReport report;
        report.name = Text(item, "name", where, true);
        report.source = Source(item, where);
        doc_.reportIndex_.Add(report.name, doc_.reports_.size());
        doc_.reports_.push_back(std::move(report));
    }

    ProjectDocument& doc_;
    std::filesystem::path folder_;
};

std::shared_ptr<const ProjectDocument> ProjectDocument::Parse(std::string_view bytes,
                                                              const std::filesystem::path& documentPath) {
    Json root;
    try {
        // The parser itself keeps no stack of its own calls, but the depth is still limited so that no later walk
        // of a hostile document goes deep.
        root = Json::parse(bytes.begin(), bytes.end(), [](int depth, Json::parse_event_t, Json&) {
            if (depth > kMaxJsonDepth)
                Refuse("", "the document is nested more than " + std::to_string(kMaxJsonDepth) + " levels deep");
            return true;
        });
    } catch (const Json::exception& error) { // a syntax error, or a number too large for a double
        Refuse("", std::string("not JSON: ") + error.what());
    }
    auto document = std::make_shared<ProjectDocument>();
    document->path_ = PathText(documentPath);
    Reader(*document, documentPath.parent_path()).Read(root);
    return document;
}

std::shared_ptr<const ProjectDocument> ProjectDocument::ReadFile(const std::filesystem::path& given) {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(given, error).lexically_normal();
    const std::string name = path.string();
    try {
        if (error || !std::filesystem::exists(path, error))
            throw ProjectDocumentError(TAVI_E_DATA_NOT_FOUND, "no such file");
        if (!std::filesystem::is_regular_file(path, error))
            throw ProjectDocumentError(TAVI_E_DATA_UNREADABLE, "not a file");
        const std::uintmax_t size = std::filesystem::file_size(path, error);
        if (error)
            throw ProjectDocumentError(TAVI_E_DATA_UNREADABLE, "cannot tell its size");
        if (size > kMaxFileBytes)
            throw ProjectDocumentError(TAVI_E_DATA_UNREADABLE, "larger than " + std::to_string(kMaxFileBytes >> 20) +
                                                                   " MiB, the most a project document may be");
        std::ifstream file(path, std::ios::binary);
        if (!file)
            throw ProjectDocumentError(TAVI_E_DATA_UNREADABLE, "cannot be opened");
        // Read at most the limit, whatever the size said: the file may grow while it is read.
        std::string bytes(static_cast<size_t>(size), '\0');
        file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        bytes.resize(static_cast<size_t>(file.gcount()));
        if (file.bad())
            throw ProjectDocumentError(TAVI_E_DATA_UNREADABLE, "cannot be read");
        return Parse(bytes, path);
    } catch (const ProjectDocumentError& refusal) {
        throw ProjectDocumentError(refusal.code(), name + ": " + refusal.what());
    }
}

const ProjectMap* ProjectDocument::FindMap(std::u16string_view name) const {
    auto at = mapIndex_.Find(name);
    return at ? &maps_[*at] : nullptr;
}

const ProjectLayout* ProjectDocument::FindLayout(std::u16string_view name) const {
    auto at = layoutIndex_.Find(name);
    return at ? &layouts_[*at] : nullptr;
}

const ProjectReport* ProjectDocument::FindReport(std::u16string_view name) const {
    auto at = reportIndex_.Find(name);
    return at ? &reports_[*at] : nullptr;
}

bool IsFileOfForm(std::u16string_view path, ProjectDocument::Form form) {
    switch (form) {
    case ProjectDocument::Form::Map:
        return EndsWithNoCase(path, u".mapx") || EndsWithNoCase(path, u".msd") || EndsWithNoCase(path, u".wobx");
    case ProjectDocument::Form::Layout:
        return EndsWithNoCase(path, u".pagx") || EndsWithNoCase(path, u".wobx");
    case ProjectDocument::Form::Report:
        return EndsWithNoCase(path, u".rptx");
    case ProjectDocument::Form::Project:
        return false;
    }
    return false;
}

} // namespace tavi
