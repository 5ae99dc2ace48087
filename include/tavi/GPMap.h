// Values that name an item of a project document: a map (or basemap), a page layout, a report. Each keeps the text
// as the user gave it (a name, or a file path), the path of the document file the item comes from, and settings.
//
// Identifiers marked "assigned" are name-based (version 5) identifiers of "taviGeoprocessing.<name>" in the namespace
// of the library's type library identifier {D1AE5921-F2AC-437E-B79A-4A1BF0F4CBBC}. Every getter gives E_POINTER for
// a null out pointer.
#pragma once

#include "tavi/GPValue.h"

// The map type numbers of IGPMap.
constexpr int32_t taviMapTypeMap = 0;
constexpr int32_t taviMapTypeBasemap = 2;

struct IGPMap : IUnknown {
    static constexpr IID iid{0x8DCE42CE, 0xEE51, 0x58EC, {0x99, 0x6F, 0x08, 0x2F, 0x21, 0xEF, 0x48, 0xC9}}; // assigned
    // The document file the map comes from.
    virtual HRESULT get_Path(BSTR* path) = 0;
    virtual HRESULT put_Path(const OLECHAR* path) = 0;
    // The item exactly as the user typed it.
    virtual HRESULT get_NameString(BSTR* text) = 0;
    virtual HRESULT put_NameString(const OLECHAR* text) = 0;
    virtual HRESULT get_Setting(int32_t* setting) = 0;
    virtual HRESULT put_Setting(int32_t setting) = 0;
    // taviMapTypeBasemap for a basemap, else a map.
    virtual HRESULT get_MapType(int32_t* mapType) = 0;
    virtual HRESULT get_Setting2(int32_t* setting) = 0;
    virtual HRESULT put_Setting2(int32_t setting) = 0;
    virtual HRESULT get_Setting3(int32_t* setting) = 0;
    virtual HRESULT put_Setting3(int32_t setting) = 0;
    virtual HRESULT put_MapType(int32_t mapType) = 0;
};

struct IGPLayout : IUnknown {
    static constexpr IID iid{0x67601145, 0x7942, 0x5E05, {0xAF, 0x13, 0xA2, 0xCC, 0x14, 0x67, 0xF2, 0x51}}; // assigned
    virtual HRESULT get_Path(BSTR* path) = 0;
    virtual HRESULT put_Path(const OLECHAR* path) = 0;
    virtual HRESULT get_NameString(BSTR* text) = 0;
    virtual HRESULT put_NameString(const OLECHAR* text) = 0;
    virtual HRESULT get_Setting(int32_t* setting) = 0;
    virtual HRESULT put_Setting(int32_t setting) = 0;
};

struct IGPReport : IUnknown {
    static constexpr IID iid{0xB249F196, 0xDF2B, 0x5446, {0x8F, 0x7D, 0x29, 0x24, 0xE2, 0xCA, 0xB9, 0x37}}; // assigned
    virtual HRESULT get_Path(BSTR* path) = 0;
    virtual HRESULT put_Path(const OLECHAR* path) = 0;
    virtual HRESULT get_NameString(BSTR* text) = 0;
    virtual HRESULT put_NameString(const OLECHAR* text) = 0;
    virtual HRESULT get_Setting(int32_t* setting) = 0;
    virtual HRESULT put_Setting(int32_t setting) = 0;
};

// Markers of the three data types.
struct IGPMapType : IUnknown {
    static constexpr IID iid{0xB5F92C2F, 0xF70E, 0x53C1, {0xB4, 0xD4, 0xA4, 0x9A, 0x52, 0x70, 0xFB, 0x2A}}; // assigned
};
struct IGPLayoutType : IUnknown {
    static constexpr IID iid{0x541E224B, 0xDA75, 0x540A, {0x82, 0xD7, 0x51, 0xA3, 0xF3, 0xB4, 0x68, 0xC6}}; // assigned
};
struct IGPReportType : IUnknown {
    static constexpr IID iid{0x707440F9, 0xBF24, 0x5E0C, {0xA6, 0x86, 0x32, 0x16, 0xAB, 0x8E, 0xC0, 0xDB}}; // assigned
};

// Classes: the values and their data types.
constexpr CLSID CLSID_GPMap{0xBE37E34E, 0x2B74, 0x4D83, {0x84, 0xBA, 0xE2, 0x94, 0x83, 0xAC, 0x37, 0xCA}};
constexpr CLSID CLSID_GPMapType{0xEDBE6525, 0x4170, 0x4A88, {0x86, 0x3A, 0x91, 0x84, 0x28, 0xD8, 0x88, 0x6B}};
constexpr CLSID CLSID_GPLayout{0x77E69B0C, 0x0E78, 0x4F90, {0xA7, 0x0C, 0x0A, 0xBE, 0x17, 0x7D, 0x4E, 0x68}};
constexpr CLSID CLSID_GPLayoutType{0xAC9CE6FF, 0x1628, 0x47BA, {0x90, 0xB2, 0xD5, 0x85, 0x36, 0x0A, 0xEE, 0xA3}};
constexpr CLSID CLSID_GPReport{0x6EA1215B, 0x122D, 0x4452, {0x87, 0x69, 0x7B, 0xC5, 0x71, 0x4D, 0xC6, 0xE3}};
constexpr CLSID CLSID_GPReportType{0x6FA1B206, 0x53DC, 0x41D7, {0x83, 0x43, 0x71, 0x0F, 0xC8, 0x77, 0xE1, 0xB7}};
