// The host's texts of field, geometry, feature, dataset and workspace type codes: one text per code, read back
// without regard to case (docs/type-texts.md lists them). The type converter class (GPTypeConverter) hands the same
// tables to other objects.
#pragma once

#include "host/String.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace tavi {

// The text of a field type code ("Short", "Long", "Text", ...); empty for a code that has none.
std::u16string_view GetFieldType(int32_t fieldType);
std::optional<int32_t> FieldTypeFromText(std::u16string_view text);

std::u16string_view GeometryTypeText(int32_t geometryType); // "Point", "Polyline", ...; empty when none
std::optional<int32_t> GeometryTypeFromText(std::u16string_view text);

std::u16string_view FeatureTypeText(int32_t featureType); // "Simple", "Annotation", "Dimension"; empty when none
std::optional<int32_t> FeatureTypeFromText(std::u16string_view text);

std::u16string_view DatasetTypeText(int32_t datasetType); // "FeatureClass", "Table", ...; empty when none
std::optional<int32_t> DatasetTypeFromText(std::u16string_view text);

// The data element type name of a dataset type ("DEFeatureClass" for 5), and back.
std::u16string_view DatasetTypeElementType(int32_t datasetType);
std::optional<int32_t> DatasetTypeFromElementType(std::u16string_view elementType);

std::u16string_view WorkspaceTypeText(int32_t workspaceType); // "FileSystem", "LocalDatabase", ...; empty when none
std::optional<int32_t> WorkspaceTypeFromText(std::u16string_view text);

namespace GeoprocessingUtil {
// The texts used in messages: the same as the tables above, a code without text as its decimal number.
String ConvertGeometryTypeToString(int32_t geometryType);
String ConvertFeatureTypeToString(int32_t featureType);
} // namespace GeoprocessingUtil

} // namespace tavi
