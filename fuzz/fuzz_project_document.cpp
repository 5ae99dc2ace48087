// Arbitrary bytes read as a project document (any of its forms). A document is read or refused with a
// ProjectDocumentError, never a crash, hang or other exception; one that is read must hold a name index that finds
// every map and every layer of a map by its own name, and a child position inside its map.
#include "services/ProjectDocument.h"

#include <cstdio>
#include <cstdlib>

using namespace tavi;

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

void Check(const ProjectDocument& document) {
    for (const ProjectMap& map : document.maps()) {
        if (!document.FindMap(map.name))
            Fail("a map is not found by its name");
        for (const ProjectLayer& layer : map.layers) {
            if (layer.depth > ProjectDocument::kMaxGroupDepth)
                Fail("groups deeper than the limit were read");
            const ProjectLayer* found = map.FindLayer(layer.name);
            if (!found || found->name != layer.name)
                Fail("a layer is not found by its name");
            for (size_t child : layer.children)
                if (child >= map.layers.size())
                    Fail("a child outside its map");
        }
        for (size_t top : map.topLevel)
            if (top >= map.layers.size())
                Fail("a layer outside its map");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20))
        return 0;
    try {
        auto document =
            ProjectDocument::Parse(std::string_view(reinterpret_cast<const char*>(data), size), "/fuzz/project.json");
        Check(*document);
    } catch (const ProjectDocumentError&) {
        // A refusal with its message is the answer to a bad document.
    }
    return 0;
}
