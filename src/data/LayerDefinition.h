// The layer definition of a service layer (its "?f=json" answer, see docs/feature-service.md), as the record set
// values keep it: reduced to what describes the records, and read for the layer's name and geometry type. The
// fields themselves are read by ReadLayerDefinitionFields (RecordSetJson.h).
#pragma once

#include "host/String.h"
#include "tavi/Unknown.h"

#include <string>
#include <string_view>

namespace tavi {

// The members of a definition that describe its records ("name", "type", "geometryType", "objectIdField",
// "globalIdField", "displayField", "fields", "hasZ", "hasM", "spatialReference", "extent", "maxRecordCount",
// "advancedQueryCapabilities"), the others dropped, as compact JSON in `reduced`. E_INVALIDARG for a text that is not
// a JSON object (`reduced` unchanged).
HRESULT ReduceLayerDefinition(std::string_view definition, std::string& reduced);

// What a record set value reads of a definition: its "name" and its "geometryType" (each empty when missing or not a
// text). E_INVALIDARG for a text that is not a JSON object.
struct LayerDefinitionFacts {
    String name;
    String geometryType;
};
HRESULT ReadLayerDefinitionFacts(std::string_view definition, LayerDefinitionFacts& facts);

} // namespace tavi
