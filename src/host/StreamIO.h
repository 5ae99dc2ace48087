// The stream primitives every persisted class uses: little-endian scalars, strings, variants, nested objects, and
// the document version a stream is being written for.
//
// Stored forms (all little-endian):
//   integers, float, double   their bytes as they are, least significant first;
//   char16_t                   16 bits;
//   GUID                       Data1 (32), Data2 (16), Data3 (16), Data4 (8 bytes) - 16 bytes in all;
//   String                     32-bit signed count of UTF-16 code units, then the units (16 bits each); a negative
//                              count or one larger than the stream still holds is corrupt input (E_FAIL);
//   VARIANT                    16-bit kind (VARTYPE), then the payload:
//                                EMPTY, NULL            nothing;
//                                I1, UI1                8 bits;   I2, UI2, BOOL  16 bits;
//                                I4, UI4, INT, UINT, ERROR  32 bits;   I8, UI8, CY  64 bits;
//                                R4 32 bits;   R8, DATE 64 bits;   BSTR  as a String;
//                                UNKNOWN, DISPATCH      a nested object (SaveObject/LoadObject form);
//                                ARRAY|scalar kind      32-bit lower bound, 32-bit count, then each element
//                                                       in the scalar kind's payload form;
//                              any other kind cannot be written or read (E_FAIL);
//   nested object              its class identifier (GUID), then what the object's IPersistStream::Save writes;
//                              GUID_NULL stands for no object.
//
// Results: S_OK; E_POINTER for a null stream or out pointer; E_FAIL for a short read, a corrupt or truncated form,
// or a write the stream refused. Out values are left untouched (strings: cleared) on failure.
#pragma once

#include "host/String.h"
#include "tavi/Stream.h"

#include <cstdint>
#include <string_view>

namespace tavi {

HRESULT AfStreamReadBytes(IStream* stream, void* buffer, ULONG size);
HRESULT AfStreamWriteBytes(IStream* stream, const void* buffer, ULONG size);

HRESULT AfStreamRead(IStream* stream, int8_t* value);
HRESULT AfStreamRead(IStream* stream, uint8_t* value);
HRESULT AfStreamRead(IStream* stream, int16_t* value);
HRESULT AfStreamRead(IStream* stream, uint16_t* value);
HRESULT AfStreamRead(IStream* stream, int32_t* value);
HRESULT AfStreamRead(IStream* stream, uint32_t* value);
HRESULT AfStreamRead(IStream* stream, int64_t* value);
HRESULT AfStreamRead(IStream* stream, uint64_t* value);
HRESULT AfStreamRead(IStream* stream, float* value);
HRESULT AfStreamRead(IStream* stream, double* value);
HRESULT AfStreamRead(IStream* stream, GUID* value);
HRESULT AfStreamRead(IStream* stream, char16_t* value);

HRESULT AfStreamWrite(IStream* stream, int8_t value);
HRESULT AfStreamWrite(IStream* stream, uint8_t value);
HRESULT AfStreamWrite(IStream* stream, int16_t value);
HRESULT AfStreamWrite(IStream* stream, uint16_t value);
HRESULT AfStreamWrite(IStream* stream, int32_t value);
HRESULT AfStreamWrite(IStream* stream, uint32_t value);
HRESULT AfStreamWrite(IStream* stream, int64_t value);
HRESULT AfStreamWrite(IStream* stream, uint64_t value);
HRESULT AfStreamWrite(IStream* stream, float value);
HRESULT AfStreamWrite(IStream* stream, double value);
HRESULT AfStreamWrite(IStream* stream, const GUID& value);
HRESULT AfStreamWrite(IStream* stream, char16_t value);

HRESULT ReadString(IStream* stream, String* text);
HRESULT WriteString(IStream* stream, std::u16string_view text);

// `value` must be a cleared (or initialised) variant; on success it holds what was read and the caller owns it.
HRESULT ReadVariant(IStream* stream, VARIANT* value);
HRESULT WriteVariant(IStream* stream, const VARIANT& value);

// Writes the object's class identifier, then lets its IPersistStream save itself. A null object writes GUID_NULL.
// E_FAIL when the object answers neither IPersistStream nor a class identifier, or its Save fails.
HRESULT SaveObject(IUnknown* object, IStream* stream, bool clearDirty);
// Reads a class identifier, creates the object with AfCreateInstance and lets its IPersistStream load the rest.
// GUID_NULL gives S_OK with a null object. Any failure (unknown class, no IPersistStream, Load fails, riid not
// answered) releases what was made and gives E_FAIL with a null object.
HRESULT LoadObject(IStream* stream, REFIID riid, void** object, IUnknown* outer = nullptr);

// The document version the stream is being written or read for (IStreamDocumentVersion); the current version when
// the stream does not say (or is null).
int32_t AfStreamGetDocumentVersion(IStream* stream);
// The save version a class with the version table `table` (`count` entries, oldest document version first) writes
// for `docVersion`; see DocumentVersion.h for how versions index the tables. -1: not writable there.
int16_t AfStreamGetSaveVersion(int32_t docVersion, int32_t count, const int16_t* table);
// As AfStreamGetSaveVersion with one table per application line: `newerTable` for newer-line versions,
// `olderTable` for older-line ones.
int16_t AfStreamGetOrinSaveVersion(int32_t docVersion, int32_t count1, const int16_t* newerTable, int32_t count2,
                                   const int16_t* olderTable);

} // namespace tavi
