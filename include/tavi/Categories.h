// Component categories: registering which classes implement a category, and listing them again.
#pragma once

#include "tavi/Unknown.h"

// The system's component category manager.
constexpr CLSID CLSID_StdComponentCategoriesMgr{
    0x0002E005, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Categories that the library's classes implement.
constexpr CATID CATID_Programmable{0x40FC6ED5, 0x2438, 0x11CF, {0xA3, 0xDB, 0x08, 0x00, 0x36, 0xF1, 0x25, 0x02}};
constexpr CATID CATID_GPDataTypeFactories{0x9E9B6AB1, 0x38E8, 0x46BE, {0xB5, 0xB2, 0xC0, 0xB1, 0xAD, 0x46, 0xE8, 0xD5}};
// The factories of geoprocessing tools (IGPFunctionFactory).
constexpr CATID CATID_GPFunctionFactories{0xFD939A4A, 0x955D, 0x4094, {0xB4, 0x40, 0x77, 0x08, 0x3E, 0x41, 0x0F, 0x41}};
constexpr CATID CATID_CatalogPathParsers{0x7BF26B1F, 0xC776, 0x11D2, {0x9F, 0x24, 0x00, 0xC0, 0x4F, 0x6B, 0xC6, 0x9E}};
constexpr CATID CATID_TaskAnalyzers{0xB441479D, 0x4FE1, 0x42FB, {0xAB, 0xF1, 0xDB, 0x4A, 0xCC, 0xE2, 0xEA, 0xA5}};
constexpr CATID CATID_ToolAnalyzers{0x26E079CD, 0x6FB7, 0x40D3, {0x94, 0xF7, 0xED, 0x54, 0x38, 0xE0, 0x72, 0xC5}};
constexpr CATID CATID_ClientToolAnalyzers{0x6089AD9B, 0x4550, 0x4FFA, {0x95, 0xEA, 0x66, 0xA7, 0xE7, 0xBB, 0xBF, 0x50}};

struct CATEGORYINFO {
    CATID catid;
    LCID lcid;
    OLECHAR szDescription[128];
};

struct IEnumGUID : IUnknown {
    static constexpr IID iid{0x0002E000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    virtual HRESULT Next(ULONG count, GUID* items, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumGUID** clone) = 0;
};
using IEnumCLSID = IEnumGUID;

struct ICatRegister : IUnknown {
    static constexpr IID iid{0x0002E012, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    virtual HRESULT RegisterCategories(ULONG count, CATEGORYINFO* infos) = 0;
    virtual HRESULT UnRegisterCategories(ULONG count, CATID* catids) = 0;
    virtual HRESULT RegisterClassImplCategories(REFCLSID clsid, ULONG count, CATID* catids) = 0;
    virtual HRESULT UnRegisterClassImplCategories(REFCLSID clsid, ULONG count, CATID* catids) = 0;
    virtual HRESULT RegisterClassReqCategories(REFCLSID clsid, ULONG count, CATID* catids) = 0;
    virtual HRESULT UnRegisterClassReqCategories(REFCLSID clsid, ULONG count, CATID* catids) = 0;
};

// Listing the classes of a category. Only the operations the library needs are provided.
struct ICatInformation : IUnknown {
    static constexpr IID iid{0x0002E013, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    virtual HRESULT EnumClassesOfCategories(ULONG implementedCount, const CATID* implemented, ULONG requiredCount,
                                            const CATID* required, IEnumCLSID** classes) = 0;
    virtual HRESULT IsClassOfCategories(REFCLSID clsid, ULONG implementedCount, const CATID* implemented,
                                        ULONG requiredCount, const CATID* required) = 0;
};
