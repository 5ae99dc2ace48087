// The browse filters that data domains name for the host's browse dialog: identifiers of the form
// "tavi_browseDialogFilters_<Name>", by file extension, by workspace type and by dataset type. docs/browse-filters.md
// lists the tables. HandOutBrowseFilters, which hands filters out as string values, lives with the string value.
#pragma once

#include "host/String.h"
#include "platform/Object.h"
#include "tavi/Collections.h"
#include "values/GPString.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace tavi {

// The filter of a file extension: lower case, without its point, compared exactly (so "CSV" names no filter).
// Empty for an extension the table does not hold.
std::u16string_view FileBrowseFilter(std::u16string_view extension);
// How many extensions the table holds.
size_t FileBrowseFilterCount();

// The filters of a workspace type, in the order the browse dialog offers them (never empty: a type this library does
// not know offers every workspace filter).
std::vector<std::u16string_view> WorkspaceBrowseFilters(int32_t workspaceType);

// The filter of a dataset type; a type this library does not know has the filter of any dataset.
std::u16string_view DatasetBrowseFilter(int32_t datasetType);

// The filter of feature classes of a shape type, "tavi_browseDialogFilters_<ShapeType>FeatureClasses" with the host's
// text of the type; the filter of any feature class for 0 and for a type without a text.
String FeatureClassBrowseFilter(int32_t shapeType);

} // namespace tavi
