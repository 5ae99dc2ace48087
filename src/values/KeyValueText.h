// The JSON text form of key-values (its rules are described in values/GPKeyValue.h): writing the values of a list of
// key declarations as one JSON object, and reading such an object into new values made by the keys' data types.
#pragma once

#include "host/String.h"
#include "platform/ComPtr.h"
#include "tavi/GPValue.h"
#include "values/GPKeyValueType.h"

#include <string_view>
#include <vector>

namespace tavi::keyvaluetext {

// What reading a text gave.
enum class ReadResult {
    kRead,      // a JSON object whose members were all read
    kNotObject, // the text is no JSON object (within the depth limit); nothing was read
    kNotRead,   // a member could not be read, or the text is nested too deeply
};

// Reads `text` as a JSON object into `values` (one per key of `keys`, null for a key the object leaves without
// value). `values` is undefined unless the result is kRead.
ReadResult ReadObject(std::u16string_view text, const KeyDeclarations& keys, std::vector<ComPtr<IGPValue>>& values);

// The JSON object of the keys that hold a value in `values` (one per key of `keys`); false when the values nest
// deeper than the depth limit.
bool WriteObject(const KeyDeclarations& keys, const std::vector<ComPtr<IGPValue>>& values, String& text);

// True when every required key of `keys` holds a value in `values`.
bool RequiredKeysHeld(const KeyDeclarations& keys, const std::vector<ComPtr<IGPValue>>& values);

// The deepest nesting of objects and arrays in the JSON text `json` (0 for a scalar), brackets inside strings not
// counted; the scan stops as soon as it passes `limit`, so the answer is then limit + 1.
int NestingDepth(std::string_view json, int limit);

} // namespace tavi::keyvaluetext
