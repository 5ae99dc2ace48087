// The platform's binary types: result codes, identifiers, BSTR, VARIANT, and the platform functions that create,
// convert and free them. Everything here has a fixed layout that hosts and the library share.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__GNUC__)
#define TAVI_API __attribute__((visibility("default")))
#else
#define TAVI_API
#endif

using HRESULT = int32_t;
using ULONG = uint32_t;
using DWORD = uint32_t;
using LCID = uint32_t;
using LANGID = uint16_t;
using VARTYPE = uint16_t;
using VARIANT_BOOL = int16_t;
using DATE = double; // days since 30 December 1899, the time of day as the fraction
using OLECHAR = char16_t;
using BSTR = OLECHAR*; // length-prefixed, zero-terminated; only SysAllocString* makes one
using LPCOLESTR = const OLECHAR*;
using SCODE = int32_t;

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

// Result codes with their real values.
constexpr HRESULT S_OK = 0x00000000;
constexpr HRESULT S_FALSE = 0x00000001;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFF);
constexpr HRESULT E_ACCESSDENIED = static_cast<HRESULT>(0x80070005);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005);
constexpr HRESULT DISP_E_BADVARTYPE = static_cast<HRESULT>(0x80020008);
constexpr HRESULT DISP_E_OVERFLOW = static_cast<HRESULT>(0x8002000A);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154);
constexpr HRESULT REGDB_E_READREGDB = static_cast<HRESULT>(0x80040150);
constexpr HRESULT REGDB_E_WRITEREGDB = static_cast<HRESULT>(0x80040151);
constexpr HRESULT CO_E_CLASSSTRING = static_cast<HRESULT>(0x800401F3);
constexpr HRESULT OLE_E_NOCONNECTION = static_cast<HRESULT>(0x80040004);
constexpr HRESULT CONNECT_E_NOCONNECTION = static_cast<HRESULT>(0x80040200);
constexpr HRESULT CONNECT_E_CANNOTCONNECT = static_cast<HRESULT>(0x80040202);
constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201);
constexpr HRESULT STG_E_INVALIDFUNCTION = static_cast<HRESULT>(0x80030001);
constexpr HRESULT STG_E_FILENOTFOUND = static_cast<HRESULT>(0x80030002);
constexpr HRESULT STG_E_ACCESSDENIED = static_cast<HRESULT>(0x80030005);
constexpr HRESULT STG_E_INVALIDPOINTER = static_cast<HRESULT>(0x80030009);
constexpr HRESULT STG_E_READFAULT = static_cast<HRESULT>(0x8003001E);
constexpr HRESULT STG_E_WRITEFAULT = static_cast<HRESULT>(0x8003001D);
constexpr HRESULT STG_E_MEDIUMFULL = static_cast<HRESULT>(0x80030070);
constexpr HRESULT STG_E_INVALIDPARAMETER = static_cast<HRESULT>(0x80030057);

constexpr bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
    return hr < 0;
}

// A 128-bit identifier with the platform's field layout.
struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];

    friend constexpr bool operator==(const GUID& a, const GUID& b) {
        if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3)
            return false;
        for (int i = 0; i < 8; ++i)
            if (a.Data4[i] != b.Data4[i])
                return false;
        return true;
    }
};
using IID = GUID;
using CLSID = GUID;
using CATID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using REFGUID = const GUID&;

constexpr GUID GUID_NULL{0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

// Currency: a 64-bit integer scaled by 10,000.
union CY {
    int64_t int64;
};

// Variant kinds.
enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_DECIMAL = 14,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_TYPEMASK = 0x0FFF,
};

struct IUnknown;
struct SAFEARRAY;

struct VARIANT {
    VARTYPE vt;
    uint16_t wReserved1, wReserved2, wReserved3;
    union {
        int8_t cVal;
        uint8_t bVal;
        int16_t iVal;
        uint16_t uiVal;
        int32_t lVal;
        uint32_t ulVal;
        int32_t intVal;
        uint32_t uintVal;
        int64_t llVal;
        uint64_t ullVal;
        float fltVal;
        double dblVal;
        CY cyVal;
        DATE date;
        BSTR bstrVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        IUnknown* punkVal;
        IUnknown* pdispVal; // dispatch objects are reached through IUnknown here
        SAFEARRAY* parray;
    };
};
using VARIANTARG = VARIANT;

// One-dimensional safe arrays of the scalar kinds.
struct SAFEARRAYBOUND {
    uint32_t cElements;
    int32_t lLbound;
};
struct SAFEARRAY {
    uint16_t cDims;
    uint16_t fFeatures;
    uint32_t cbElements;
    uint32_t cLocks;
    void* pvData;
    VARTYPE vt;
    SAFEARRAYBOUND rgsabound[1];
};

// Flags of VariantChangeTypeEx and the Var* conversions.
constexpr uint16_t VARIANT_NOVALUEPROP = 0x01;
constexpr uint16_t VARIANT_ALPHABOOL = 0x02;
constexpr uint16_t VARIANT_NOUSEROVERRIDE = 0x04;
constexpr uint16_t VARIANT_CALENDAR_HIJRI = 0x08;
constexpr uint16_t VARIANT_LOCALBOOL = 0x10;
constexpr uint16_t VARIANT_CALENDAR_THAI = 0x20;
constexpr uint16_t VARIANT_CALENDAR_GREGORIAN = 0x40;
constexpr uint16_t VARIANT_USE_NLS = 0x80;

constexpr uint32_t LOCALE_NOUSEROVERRIDE = 0x80000000;
constexpr uint32_t VAR_TIMEVALUEONLY = 0x00000001;
constexpr uint32_t VAR_DATEVALUEONLY = 0x00000002;
constexpr uint32_t VAR_VALIDDATE = 0x00000004;
constexpr uint32_t VAR_CALENDAR_HIJRI = 0x00000008;
constexpr uint32_t VAR_LOCALBOOL = 0x00000010;
constexpr uint32_t VAR_FORMAT_NOSUBSTITUTE = 0x00000020;
constexpr uint32_t VAR_FOURDIGITYEARS = 0x00000040;
constexpr uint32_t VAR_CALENDAR_THAI = 0x00000080;
constexpr uint32_t VAR_CALENDAR_GREGORIAN = 0x00000100;

// Results of VarCmp.
constexpr HRESULT VARCMP_LT = 0;
constexpr HRESULT VARCMP_EQ = 1;
constexpr HRESULT VARCMP_GT = 2;
constexpr HRESULT VARCMP_NULL = 3;

// Locale identifiers that the library names.
constexpr LCID LOCALE_INVARIANT = 127;
constexpr LCID LOCALE_USER_DEFAULT = 1024;
constexpr LCID LOCALE_SYSTEM_DEFAULT = 2048;

extern "C" {
// BSTR: a 32-bit byte length, the text, a terminating zero. No cache of freed strings.
TAVI_API BSTR SysAllocString(const OLECHAR* text);
TAVI_API BSTR SysAllocStringLen(const OLECHAR* text, uint32_t length);
TAVI_API BSTR SysAllocStringByteLen(const char* bytes, uint32_t byteLength);
TAVI_API int32_t SysReAllocString(BSTR* target, const OLECHAR* text);
TAVI_API int32_t SysReAllocStringLen(BSTR* target, const OLECHAR* text, uint32_t length);
TAVI_API void SysFreeString(BSTR text);
TAVI_API uint32_t SysStringLen(BSTR text);
TAVI_API uint32_t SysStringByteLen(BSTR text);

// Memory that crosses interfaces outside BSTRs (programmatic identifiers, for one).
TAVI_API void* CoTaskMemAlloc(size_t size);
TAVI_API void CoTaskMemFree(void* memory);

// VARIANT life cycle and conversions.
TAVI_API void VariantInit(VARIANT* v);
TAVI_API HRESULT VariantClear(VARIANT* v);
TAVI_API HRESULT VariantCopy(VARIANT* dest, const VARIANT* source);
TAVI_API HRESULT VariantChangeType(VARIANT* dest, const VARIANT* source, uint16_t flags, VARTYPE vt);
TAVI_API HRESULT VariantChangeTypeEx(VARIANT* dest, const VARIANT* source, LCID lcid, uint16_t flags, VARTYPE vt);
TAVI_API HRESULT VarBstrFromDate(DATE date, LCID lcid, uint32_t flags, BSTR* out);
TAVI_API HRESULT VarDateFromStr(const OLECHAR* text, LCID lcid, uint32_t flags, DATE* out);
TAVI_API HRESULT VarCmp(const VARIANT* left, const VARIANT* right, LCID lcid, uint32_t flags);

// Safe arrays (one dimension).
TAVI_API SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, int32_t lowerBound, uint32_t count);
TAVI_API HRESULT SafeArrayDestroy(SAFEARRAY* array);
TAVI_API HRESULT SafeArrayCopy(const SAFEARRAY* source, SAFEARRAY** out);
TAVI_API HRESULT SafeArrayGetElement(const SAFEARRAY* array, const int32_t* index, void* out);
TAVI_API HRESULT SafeArrayPutElement(SAFEARRAY* array, const int32_t* index, const void* value);

// Identifiers: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hexadecimal when formatted.
TAVI_API HRESULT CLSIDFromString(const OLECHAR* text, CLSID* out);
TAVI_API HRESULT IIDFromString(const OLECHAR* text, IID* out);
TAVI_API int32_t StringFromGUID2(REFGUID guid, OLECHAR* buffer, int32_t capacity);
TAVI_API HRESULT CoCreateGuid(GUID* out);

// Locales: the user default comes from the environment once per process; each thread may set its own.
TAVI_API LCID GetUserDefaultLCID();
TAVI_API LCID GetThreadLocale();
TAVI_API int32_t SetThreadLocale(LCID lcid);
}
