// Lists the library hands out: string lists, generic object arrays, and the connection point interfaces.
// Operations follow the platform's order where it has one; IArray follows the order count, element, add,
// insert, remove, remove all.
#pragma once

#include "tavi/Unknown.h"

struct IEnumBSTR : IUnknown {
    static constexpr IID iid{0x18A45BA8, 0x1266, 0x11D1, {0x86, 0xAD, 0x00, 0x00, 0xF8, 0x75, 0x17, 0x20}};
    virtual HRESULT Next(BSTR* text) = 0;
    virtual HRESULT Reset() = 0;
};

struct IBStringArray : IUnknown {
    static constexpr IID iid{0x0C39CB39, 0xFD27, 0x49DA, {0x89, 0xD2, 0xFC, 0x3F, 0x01, 0x70, 0x64, 0xF9}};
    virtual HRESULT get_Count(int32_t* count) = 0;
    virtual HRESULT get_Element(int32_t index, BSTR* text) = 0;
    virtual HRESULT Add(BSTR text) = 0;
    virtual HRESULT Insert(int32_t index, BSTR text) = 0;
    virtual HRESULT Remove(int32_t index) = 0;
    virtual HRESULT RemoveAll() = 0;
    virtual HRESULT Replace(int32_t index, BSTR text) = 0;
};

// An ordered array of objects.
struct IArray : IUnknown {
    static constexpr IID iid{0xAAFB54D9, 0xAAF8, 0x11D2, {0x87, 0xF3, 0x00, 0x00, 0xF8, 0x75, 0x17, 0x20}};
    virtual HRESULT get_Count(int32_t* count) = 0;
    virtual HRESULT get_Element(int32_t index, IUnknown** element) = 0;
    virtual HRESULT Add(IUnknown* element) = 0;
    virtual HRESULT Insert(int32_t index, IUnknown* element) = 0;
    virtual HRESULT Remove(int32_t index) = 0;
    virtual HRESULT RemoveAll() = 0;
};

struct IArray2 : IUnknown {
    static constexpr IID iid{0xC4B2BFC5, 0xEB46, 0x4909, {0x80, 0x1C, 0xC3, 0x2A, 0x6E, 0xDE, 0x12, 0x0D}};
    virtual HRESULT Replace(int32_t index, IUnknown* element) = 0;
};

struct IConnectionPointContainer;
struct IEnumConnectionPoints;
struct IEnumConnections;

struct CONNECTDATA {
    IUnknown* pUnk;
    DWORD dwCookie;
};

struct IConnectionPoint : IUnknown {
    static constexpr IID iid{0xB196B286, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
    virtual HRESULT GetConnectionInterface(IID* iid) = 0;
    virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) = 0;
    virtual HRESULT Advise(IUnknown* sink, DWORD* cookie) = 0;
    virtual HRESULT Unadvise(DWORD cookie) = 0;
    virtual HRESULT EnumConnections(IEnumConnections** connections) = 0;
};

struct IConnectionPointContainer : IUnknown {
    static constexpr IID iid{0xB196B284, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
    virtual HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) = 0;
    virtual HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) = 0;
};

struct IEnumConnectionPoints : IUnknown {
    static constexpr IID iid{0xB196B285, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
    virtual HRESULT Next(ULONG count, IConnectionPoint** points, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumConnectionPoints** clone) = 0;
};

struct IEnumConnections : IUnknown {
    static constexpr IID iid{0xB196B287, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
    virtual HRESULT Next(ULONG count, CONNECTDATA* connections, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumConnections** clone) = 0;
};

// The editable string list (IBStringArray, IEnumBSTR).
constexpr CLSID CLSID_EnumBSTR{0x583CADF9, 0x039F, 0x4E85, {0xA7, 0xC1, 0xE2, 0x34, 0x19, 0x3A, 0x71, 0x51}};
// The platform's object array class.
constexpr CLSID CLSID_Array{0x8F2B6061, 0xAB00, 0x11D2, {0x87, 0xF4, 0x00, 0x00, 0xF8, 0x75, 0x17, 0x20}};
