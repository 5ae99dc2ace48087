// The JSON form of record and feature sets (docs/recordset-json.md): read with simdjson's on-demand parser straight
// into the columns, written by a streaming writer of our own (numbers by std::to_chars, the shortest text that reads
// back to the same double). Writing and reading back gives bit-identical values. Also the layer definition's field
// list, and GeoJSON (RFC 7946) for exchange.
#pragma once

#include "data/RecordData.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace tavi {

// The bytes the reader may read after the end of the text (simdjson's padding); their content does not matter.
constexpr size_t kJsonPadding = 64;
// The largest text the reader takes (its positions are 32-bit and its count of nesting is signed).
constexpr size_t kLargestRecordSetJson = 0x7FFFFFFF;

// A JSON text followed by kJsonPadding readable bytes, so that the reader need not copy it. It either owns its
// buffer (Copy, ReadFile) or borrows a string's (Borrow: the string must outlive it and stay unchanged).
class PaddedJson {
public:
    PaddedJson() = default;
    PaddedJson(PaddedJson&&) noexcept = default;
    PaddedJson& operator=(PaddedJson&&) noexcept = default;

    // A padded copy of `text`.
    static PaddedJson Copy(std::string_view text);
    // The text of `text` itself: its capacity is raised to hold the padding (one reallocation at most, none when the
    // string already has room), so nothing is copied afterwards.
    static PaddedJson Borrow(std::string& text);
    // A whole file read into a padded buffer. STG_E_FILENOTFOUND when it cannot be opened, STG_E_READFAULT when it
    // cannot be read, E_INVALIDARG when it is larger than the reader accepts, E_OUTOFMEMORY.
    static HRESULT ReadFile(const std::string& path, PaddedJson& json);

    std::string_view Text() const { return {data_, size_}; }

private:
    std::unique_ptr<char[]> owned_;
    const char* data_ = "";
    size_t size_ = 0;
};

// Reads a record or feature set. On failure (E_INVALIDARG for text that is not the form, E_OUTOFMEMORY) `data` is
// unchanged and `error` (when given) says what and where ("features[12].geometry: 'paths' must be an array"). The
// string_view overload copies the text into a padded buffer first.
HRESULT ReadRecordSetJson(const PaddedJson& json, RecordData& data, std::string* error = nullptr);
HRESULT ReadRecordSetJson(std::string_view json, RecordData& data, std::string* error = nullptr);

// Writes `data` in the JSON form, appended to `out`; `options` are taviRecordSetJsonOption flags.
void WriteRecordSetJson(const RecordData& data, int32_t options, std::string& out);

// Writes `data` as a GeoJSON FeatureCollection (RFC 7946), appended to `out`: coordinates as stored (x, y and z; no
// m), polygons' outer rings counterclockwise and holes clockwise, the object identifier as the feature's "id", dates
// as ISO 8601 text, and reals that are not finite as null.
void WriteRecordSetGeoJson(const RecordData& data, std::string& out);

// The fields of a layer definition (its "fields", "objectIdField", "geometryType", "hasZ", "hasM", the spatial
// reference of "spatialReference" or "extent", "displayField"), as a RecordData without records. E_INVALIDARG (data
// unchanged) for a definition whose fields cannot be read; `error` says why.
HRESULT ReadLayerDefinitionFields(std::string_view definition, RecordData& data, std::string* error = nullptr);

// The JSON names of field and geometry types ("taviFieldTypeString", "taviGeometryPolyline"): null for a code that
// has none. The look-ups give -1 for a name that is no type.
const char* FieldTypeJsonName(int32_t fieldType);
const char* GeometryTypeJsonName(int32_t shapeType);
int32_t FieldTypeFromJsonName(std::string_view name);
int32_t GeometryTypeFromJsonName(std::string_view name);

} // namespace tavi
