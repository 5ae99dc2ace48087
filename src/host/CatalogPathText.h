// Catalog path standardization: one text for every spelling of one catalog path, so that paths can be compared and
// kept in sets as text. Splitting a path into its parts without resolving "." and ".." is GPCatalogPath's.
#pragma once

#include "host/String.h"
#include "tavi/Platform.h"

#include <string_view>

namespace tavi::GeoprocessingUtil {

// The standard text of a catalog path:
// - backslashes become slashes, repeated separators one, "." parts go and ".." takes the part before it away
//   (above a root it is dropped; at the start of a relative path it stays);
// - a trailing separator goes, except the one of a bare root ("/", "C:/");
// - with `absolute`, a relative path is first put below the working directory;
// - a root may be "/", a drive ("C:" or "C:/"), a share ("//server") or a URL's "scheme://authority"; the text
//   after a URL's authority is standardized like a rooted path and `absolute` does not apply to URLs;
// - letter case is kept everywhere: the text of two paths differing only in case stays different, also where a
//   file system would not tell them apart.
// An empty path stays empty; a relative path that cancels itself out is ".".
String StandardizeCatalogPath(std::u16string_view path, bool absolute);

// The same at an interface edge: a null `path` counts as empty. E_POINTER for a null out.
HRESULT StandardizeCatalogPath(const OLECHAR* path, BSTR* standardized, bool absolute);

} // namespace tavi::GeoprocessingUtil
