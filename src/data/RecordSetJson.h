// The JSON form of record and feature sets (docs/recordset-json.md): read with simdjson's on-demand parser straight
// into the columns, written by a streaming writer of our own (numbers by std::to_chars, the shortest text that reads
// back to the same double). Writing and reading back gives bit-identical values. Also the layer definition's field
// list, and GeoJSON (RFC 7946) for exchange.
#pragma once

#include "data/RecordData.h"

#include <string>
#include <string_view>

namespace tavi {

// Reads a record or feature set. `json` must stay readable for simdjson's padding: the reader copies it into a
// padded buffer when it is not (see PaddedJson). On failure `data` is unchanged and `error` (when given) says what
// and where ("features[12].geometry: 'paths' must be an array").
HRESULT ReadRecordSetJson(std::string_view json, RecordData& data, std::string* error = nullptr);

// Writes `data` in the JSON form; `options` are taviRecordSetJsonOption flags.
void WriteRecordSetJson(const RecordData& data, int32_t options, std::string& out);

// Writes `data` as a GeoJSON FeatureCollection (RFC 7946: longitude/latitude order as stored, polygons' outer rings
// counterclockwise); attribute values as the JSON form writes them.
void WriteRecordSetGeoJson(const RecordData& data, std::string& out);

// The fields of a layer definition (its "fields" array, "objectIdField" and "geometryType"), as an empty RecordData:
// columns without records, the object identifier field, and the geometry field and shape type when the definition
// has a geometry type. E_INVALIDARG (data unchanged) for a definition whose fields cannot be read.
HRESULT ReadLayerDefinitionFields(std::string_view definition, RecordData& data, std::string* error = nullptr);

} // namespace tavi
