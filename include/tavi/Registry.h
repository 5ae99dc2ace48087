// The registry: a persistent, transactional store of keys and values (REG_SZ, REG_DWORD) under HKEY_CLASSES_ROOT
// and HKEY_CURRENT_USER, shared by every process that points at the same store file (TAVI_REGISTRY, else the user's
// configuration folder). Results are the platform's error numbers (ERROR_SUCCESS, ERROR_FILE_NOT_FOUND, ...).
#pragma once

#include "tavi/Platform.h"

using LSTATUS = int32_t;
using REGSAM = uint32_t;
struct RegistryKey;
using HKEY = RegistryKey*;

// The predefined roots.
#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000000u)))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000001u)))

constexpr LSTATUS ERROR_SUCCESS = 0;
constexpr LSTATUS ERROR_FILE_NOT_FOUND = 2;
constexpr LSTATUS ERROR_ACCESS_DENIED = 5;
constexpr LSTATUS ERROR_INVALID_HANDLE = 6;
constexpr LSTATUS ERROR_OUTOFMEMORY = 14;
constexpr LSTATUS ERROR_INVALID_PARAMETER = 87;
constexpr LSTATUS ERROR_MORE_DATA = 234;
constexpr LSTATUS ERROR_NO_MORE_ITEMS = 259;
constexpr LSTATUS ERROR_CANTWRITE = 1013;
constexpr LSTATUS ERROR_REGISTRY_IO_FAILED = 1016;
constexpr LSTATUS ERROR_UNSUPPORTED_TYPE = 1630; // a value of another type than the caller reads

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

// Access rights of a handle: reading values, writing values, creating subkeys, listing subkeys.
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;
constexpr REGSAM KEY_READ_WRITE = 0x2001F; // read and write access, as registration asks for

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

extern "C" {
TAVI_API LSTATUS RegCreateKeyExW(HKEY parent, const OLECHAR* subKey, DWORD reserved, OLECHAR* keyClass, DWORD options,
                                 REGSAM access, void* security, HKEY* result, DWORD* disposition);
TAVI_API LSTATUS RegOpenKeyExW(HKEY parent, const OLECHAR* subKey, DWORD options, REGSAM access, HKEY* result);
TAVI_API LSTATUS RegCloseKey(HKEY key);
// `data` of REG_SZ is UTF-16 with its terminating zero counted in `size` (bytes).
TAVI_API LSTATUS RegSetValueExW(HKEY key, const OLECHAR* valueName, DWORD reserved, DWORD type, const uint8_t* data,
                                DWORD size);
TAVI_API LSTATUS RegQueryValueExW(HKEY key, const OLECHAR* valueName, DWORD* reserved, DWORD* type, uint8_t* data,
                                  DWORD* size);
TAVI_API LSTATUS RegDeleteValueW(HKEY key, const OLECHAR* valueName);
// Deletes a key without subkeys.
TAVI_API LSTATUS RegDeleteKeyW(HKEY parent, const OLECHAR* subKey);
// Deletes a key and everything below it, depth first. With a null or empty `subKey` the key itself stays and loses
// its subkeys and values.
TAVI_API LSTATUS RegDeleteTreeW(HKEY parent, const OLECHAR* subKey);
// Enumeration runs in name order without regard to ASCII letter case (values: the default value first). `nameLength`
// is in characters: on success the name's length, on ERROR_MORE_DATA the buffer size needed, terminating zero
// included; `dataSize` is in bytes and on ERROR_MORE_DATA the size needed. ERROR_NO_MORE_ITEMS past the end.
TAVI_API LSTATUS RegEnumKeyExW(HKEY key, DWORD index, OLECHAR* name, DWORD* nameLength, DWORD* reserved,
                               OLECHAR* keyClass, DWORD* classLength, void* lastWriteTime);
TAVI_API LSTATUS RegEnumValueW(HKEY key, DWORD index, OLECHAR* name, DWORD* nameLength, DWORD* reserved, DWORD* type,
                               uint8_t* data, DWORD* dataSize);

// Programmatic identifiers registered in HKEY_CLASSES_ROOT. ProgIDFromCLSID hands out memory to free with
// CoTaskMemFree; REGDB_E_CLASSNOTREG when the class has none; CO_E_CLASSSTRING for an unknown identifier.
TAVI_API HRESULT ProgIDFromCLSID(REFCLSID clsid, OLECHAR** progId);
TAVI_API HRESULT CLSIDFromProgID(const OLECHAR* progId, CLSID* clsid);
}
