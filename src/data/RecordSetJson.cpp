// The JSON form of record and feature sets: see RecordSetJson.h. (The reader and writers are still to come: every
// text is refused and nothing is written.)
#include "data/RecordSetJson.h"

namespace tavi {

HRESULT ReadRecordSetJson(std::string_view, RecordData&, std::string* error) {
    if (error)
        *error = "the JSON form of record sets cannot be read yet";
    return E_NOTIMPL;
}

void WriteRecordSetJson(const RecordData&, int32_t, std::string&) {}

void WriteRecordSetGeoJson(const RecordData&, std::string&) {}

HRESULT ReadLayerDefinitionFields(std::string_view, RecordData&, std::string* error) {
    if (error)
        *error = "layer definitions cannot be read yet";
    return E_NOTIMPL;
}

} // namespace tavi
