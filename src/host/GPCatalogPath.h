// Catalog path splitting: a catalog path is an ordinary path (roads.shp, city.gpkg/roads, data.gdb/parcels, a
// folder, in_memory/points). GPCatalogPath normalises it and gives its parts; the standard text by which paths are
// compared is StandardizeCatalogPath's (CatalogPathText.h).
#pragma once

#include "host/String.h"

#include <string_view>

namespace tavi {

class GPCatalogPath {
public:
    // Backslashes become slashes, repeated separators collapse and a trailing separator is dropped (the root "/"
    // stays). Surrounding blanks are kept: they may be part of a file name.
    explicit GPCatalogPath(std::u16string_view path);

    // The whole normalised path.
    const String& GetPathName() const { return path_; }
    // Everything before the last separator ("" for a path without one and for the root, "/" for a file in the root).
    String GetPath() const;
    // The last component.
    String GetFile() const;
    // The last component without its extension.
    String GetBaseName() const;
    // The extension of the last component without its point ("" when none; a leading point starts no extension).
    String GetExtension() const;

private:
    size_t FileStart() const;
    size_t ExtensionDot() const; // npos when the file has no extension

    String path_;
};

} // namespace tavi
