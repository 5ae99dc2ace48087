// The project document: maps (with their layers as a tree), layouts and reports, read from a JSON file of our own
// (docs/project.md). A standalone map, layout or report file holds one item in the same schema. The reader checks
// the document's shape only: data sources are kept as absolute paths and opened by whoever asks for the data.
#pragma once

#include "tavi/Platform.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tavi {

// A document that cannot be read: the code (TAVI_E_DATA_NOT_FOUND for no file, TAVI_E_DATA_UNREADABLE for a file
// that cannot be read or is too large, E_INVALIDARG for a file that is not a document of ours) and a message in
// UTF-8 naming what is wrong and where, such as "maps[0].layers[3]: 'name' must be a string".
class ProjectDocumentError : public std::runtime_error {
public:
    ProjectDocumentError(HRESULT code, const std::string& message) : std::runtime_error(message), code_(code) {}
    HRESULT code() const { return code_; }

private:
    HRESULT code_;
};

// Names found as written first, then without regard to case; of names that repeat, the first added wins.
class ProjectNameIndex {
public:
    void Add(std::u16string_view name, size_t position);
    std::optional<size_t> Find(std::u16string_view name) const;

private:
    // Looks names up as views, so that finding one copies nothing.
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::u16string_view text) const { return std::hash<std::u16string_view>{}(text); }
    };
    using Map = std::unordered_map<std::u16string, size_t, Hash, std::equal_to<>>;
    Map exact_;
    Map folded_;
};

struct ProjectLayer {
    std::u16string name;
    std::u16string kind;            // the layer data type name as written; "" to tell it from the data
    std::u16string source;          // absolute path of the data ("" for none); a URL as written
    std::u16string definitionQuery; // "" for none
    bool visible = true;
    bool group = false;           // the layer has a `layers` list (maybe empty)
    std::vector<size_t> children; // positions in the map's layer list
    int depth = 0;                // 0 for a layer of the map itself
};

struct ProjectMap {
    std::u16string name;
    bool basemap = false;
    std::vector<ProjectLayer> layers; // every layer in document order, a group before its children
    std::vector<size_t> topLevel;     // positions of the map's own layers
    ProjectNameIndex layerIndex;      // every layer by name, groups' children included

    const ProjectLayer* FindLayer(std::u16string_view name) const;
};

struct ProjectLayout {
    std::u16string name;
    std::u16string map; // the map it shows ("" for none given)
};

struct ProjectReport {
    std::u16string name;
    std::u16string source; // absolute path of the data it reports on ("" for none)
};

class ProjectDocument {
public:
    enum class Form { Project, Map, Layout, Report };

    static constexpr std::uintmax_t kMaxFileBytes = 16u << 20;
    static constexpr int kMaxGroupDepth = 64; // levels of groups inside groups
    static constexpr int kMaxJsonDepth = 256; // nesting of any JSON value

    // Reads the file at `path` (made absolute against the working directory). Throws ProjectDocumentError, whose
    // message starts with the path.
    static std::shared_ptr<const ProjectDocument> ReadFile(const std::filesystem::path& path);
    // Reads a document from its bytes; relative data sources are taken relative to the folder of `documentPath`.
    // Throws ProjectDocumentError.
    static std::shared_ptr<const ProjectDocument> Parse(std::string_view bytes,
                                                        const std::filesystem::path& documentPath);

    Form form() const { return form_; }
    // The document file, absolute.
    const std::u16string& path() const { return path_; }
    const std::vector<ProjectMap>& maps() const { return maps_; }
    const std::vector<ProjectLayout>& layouts() const { return layouts_; }
    const std::vector<ProjectReport>& reports() const { return reports_; }

    // The item of that name (as written, else without regard to case); null for none.
    const ProjectMap* FindMap(std::u16string_view name) const;
    const ProjectLayout* FindLayout(std::u16string_view name) const;
    const ProjectReport* FindReport(std::u16string_view name) const;

private:
    class Reader;

    Form form_ = Form::Project;
    std::u16string path_;
    std::vector<ProjectMap> maps_;
    std::vector<ProjectLayout> layouts_;
    std::vector<ProjectReport> reports_;
    ProjectNameIndex mapIndex_, layoutIndex_, reportIndex_;
};

// The form a standalone file's extension promises, any letter case: ".mapx", ".msd" a map, ".pagx" a layout,
// ".rptx" a report, ".wobx" a map or a layout (its content says which); none for any other file.
bool IsFileOfForm(std::u16string_view path, ProjectDocument::Form form);

} // namespace tavi
