// The component model's root interfaces: IUnknown and IClassFactory. Every interface of the library derives from
// IUnknown and carries its identifier as `iid`.
#pragma once

#include "tavi/Platform.h"

struct IUnknown {
    static constexpr IID iid{0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    virtual HRESULT QueryInterface(REFIID riid, void** ppv) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default; // objects die through Release, never through an interface pointer
};

struct IClassFactory : IUnknown {
    static constexpr IID iid{0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) = 0;
    virtual HRESULT LockServer(int32_t lock) = 0;
};

// Answered by the singleton factories: releases the calling thread's instance when nobody else holds it.
struct ISingleton : IUnknown {
    static constexpr IID iid{0x932AB930, 0xA190, 0x11D1, {0x84, 0x67, 0x00, 0x00, 0xF8, 0x75, 0xB9, 0xC6}};
    virtual HRESULT ReleaseSingleton() = 0;
};

// A tear-off that every object of the library hands out: its class identifier and programmatic identifier.
struct IClassID : IUnknown {
    static constexpr IID iid{0x9F9650F1, 0x5F49, 0x4041, {0xBA, 0x0F, 0xD1, 0x0B, 0xAF, 0xF1, 0xD7, 0xBC}};
    virtual HRESULT get_ClassID(CLSID* clsid) = 0;
    virtual HRESULT get_ProgID(BSTR* progId) = 0;
};

struct ISupportErrorInfo : IUnknown {
    static constexpr IID iid{0xDF0B3D60, 0x548F, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
    virtual HRESULT InterfaceSupportsErrorInfo(REFIID riid) = 0;
};

// Per-thread error information (SetErrorInfo/GetErrorInfo).
struct IErrorInfo : IUnknown {
    static constexpr IID iid{0x1CF2B120, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
    virtual HRESULT GetGUID(GUID* guid) = 0;
    virtual HRESULT GetSource(BSTR* source) = 0;
    virtual HRESULT GetDescription(BSTR* description) = 0;
    virtual HRESULT GetHelpFile(BSTR* helpFile) = 0;
    virtual HRESULT GetHelpContext(DWORD* helpContext) = 0;
};

struct ICreateErrorInfo : IUnknown {
    static constexpr IID iid{0x22F03340, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
    virtual HRESULT SetGUID(REFGUID guid) = 0;
    virtual HRESULT SetSource(const OLECHAR* source) = 0;
    virtual HRESULT SetDescription(const OLECHAR* description) = 0;
    virtual HRESULT SetHelpFile(const OLECHAR* helpFile) = 0;
    virtual HRESULT SetHelpContext(DWORD helpContext) = 0;
};

extern "C" {
TAVI_API HRESULT CreateErrorInfo(ICreateErrorInfo** out);
TAVI_API HRESULT SetErrorInfo(DWORD reserved, IErrorInfo* info);
// Hands out the thread's error information and clears it; S_FALSE with a null out when there is none.
TAVI_API HRESULT GetErrorInfo(DWORD reserved, IErrorInfo** out);
}
