// Streams as byte strings for the bridge's front ends: reading a stream's whole content, and an object's stream form
// (its class identifier and what its IPersistStream::Save writes) made and read back.
#pragma once

#include "tavi/Stream.h"

#include "platform/ComPtr.h"

#include <cstdint>
#include <vector>

namespace tavigp {

// The whole content of `stream`, read from its start; its position is put back afterwards. The result code of the
// first step that failed (with what was read so far). BridgeError when the content is longer than `limit` bytes,
// which a front end holds in memory whole.
HRESULT ReadWholeStream(IStream* stream, uint64_t limit, std::vector<uint8_t>& bytes);

// Saves `object` through IPersistStream into a memory stream of the current document version: its class identifier
// and the bytes written. E_NOINTERFACE when the object has no stream form.
HRESULT SaveStreamForm(IUnknown* object, CLSID& classId, std::vector<uint8_t>& bytes);

// Creates the class `classId` and loads `bytes` into it; the object, or the code of the step that failed.
HRESULT LoadStreamForm(const CLSID& classId, const std::vector<uint8_t>& bytes, tavi::ComPtr<IUnknown>& object);

} // namespace tavigp
