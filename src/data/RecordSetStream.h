// The stream form of a record set's content: what a record set object saves (IPersistStream) and what a record set
// file (".dat") holds after the object's class identifier. Exact: every value, null and coordinate reads back bit
// for bit.
//
// Form (little-endian, the scalar forms of StreamIO.h):
//   uint16  version (1)
//   String  object identifier field name; String display field name; int16 exceeded transfer limit (-1 / 0)
//   int32   column count, then each column's field: String name, String alias (empty when none), int32 type (a
//           taviFieldType other than geometry), int32 length, int16 nullable, editable, required, int32 precision,
//           int32 scale, the raster definition as a nested object
//   int16   has geometry (-1 / 0); with geometry: String geometry field name, int32 shape type, int16 has Z,
//           int16 has M, int32 the geometry field's index in the field list, the spatial reference as a nested
//           object (none: the null identifier)
//   uint64  record count R
//   each column, in order: R null flags (1 byte each), then by the storage of its field type
//           integers, dates   R int64
//           reals             R doubles (their bits)
//           texts             uint64 byte count B, B bytes of UTF-8, then R uint64 text ends
//   with geometry: uint64 part count P, uint64 point count N, R + 1 uint64 record part offsets, P + 1 uint64 part
//           point offsets, 2N doubles x y, N doubles z (with Z only), N doubles m (with M only), R null flags
//
// Reading checks every count against what the stream still holds before it makes room (a count larger than the
// rest of the stream fails at once where the stream tells its size, and after at most one chunk where it does not),
// and checks the whole content as IsWellFormed does, so that no later read of it goes out of bounds.
#pragma once

#include "data/RecordData.h"
#include "tavi/Stream.h"

namespace tavi {

// True when the content holds together: every column has one value per record in the array of its field type's
// storage (the other arrays empty), text ends and geometry offsets start at 0, never decrease and end at the size of
// what they index, coordinates come in pairs with one z and m per point exactly when the set has Z and M, the
// geometry field's index is within the field list, a null geometry has no parts, a point record at most one point,
// and the shape type is a taviGeometryType (taviGeometryNull: no record has parts).
bool IsWellFormed(const RecordData& data);

// E_FAIL when the stream refuses a write or the content is not well formed.
HRESULT SaveRecordData(IStream* stream, const RecordData& data);

// Reads into `data` (a fresh RecordData the caller discards on failure). E_FAIL for a form that is cut short,
// of another version, or whose counts, offsets or field types do not agree.
HRESULT LoadRecordData(IStream* stream, RecordData& data);

} // namespace tavi
