// The simple geometry values: a point (one X/Y pair), and lines and polygons (ordered lists of point values), with
// their data type markers and class identifiers. They carry plain coordinates without a spatial reference.
#pragma once

#include "tavi/GPValue.h"

// One X/Y pair. A new point is empty; the setters make it non-empty and mark it modified.
struct IGPPoint : IUnknown {
    static constexpr IID iid{0xA3CD267B, 0x86A1, 0x4ED6, {0xA8, 0xDD, 0x5A, 0xE0, 0x9B, 0x84, 0xF0, 0x0E}};
    virtual HRESULT get_X(double* x) = 0;
    virtual HRESULT put_X(double x) = 0;
    virtual HRESULT get_Y(double* y) = 0;
    virtual HRESULT put_Y(double y) = 0;
    virtual HRESULT PutXY(double x, double y) = 0;
};

// An ordered list of points. Points are held by reference: get_Point hands out the stored point itself and
// AddPoint stores the point it is given, not a copy. Indexes outside the list give E_FAIL.
struct IGPLine : IUnknown {
    static constexpr IID iid{0x16880BE0, 0xEC1E, 0x46BD, {0x9F, 0x87, 0x82, 0xD1, 0xFC, 0xBD, 0x60, 0x09}};
    virtual HRESULT get_PointCount(int32_t* count) = 0;
    virtual HRESULT get_Point(int32_t index, IGPPoint** point) = 0;
    virtual HRESULT AddPoint(IGPPoint* point) = 0;
    virtual HRESULT QueryPointXY(int32_t index, double* x, double* y) = 0;
    virtual HRESULT AddPointXY(double x, double y) = 0;
};

// The same list for a polygon, which is neither closed automatically nor held to a minimum number of points.
struct IGPPolygon : IUnknown {
    static constexpr IID iid{0x3F78D6D8, 0x0B9A, 0x4677, {0xAE, 0x55, 0x84, 0xFF, 0x05, 0x19, 0x54, 0x9D}};
    virtual HRESULT get_PointCount(int32_t* count) = 0;
    virtual HRESULT get_Point(int32_t index, IGPPoint** point) = 0;
    virtual HRESULT AddPoint(IGPPoint* point) = 0;
    virtual HRESULT QueryPointXY(int32_t index, double* x, double* y) = 0;
    virtual HRESULT AddPointXY(double x, double y) = 0;
};

// Data type markers. (No identifiers are documented for them; these are the name-based identifiers of
// "taviGeoprocessing.<interface name>" in the library's namespace.)
struct IGPPointType : IUnknown {
    static constexpr IID iid{0x946CDAF5, 0xA6C4, 0x5E17, {0x8A, 0x54, 0xDF, 0x17, 0x2F, 0xF8, 0xF6, 0x08}}; // assigned
};
struct IGPLineType : IUnknown {
    static constexpr IID iid{0x6C26CA90, 0x3D85, 0x51AB, {0x97, 0x81, 0x2B, 0x7B, 0x85, 0x9F, 0x85, 0x9E}}; // assigned
};
struct IGPPolygonType : IUnknown {
    static constexpr IID iid{0x01C2DC72, 0x91D9, 0x501D, {0xA2, 0x4D, 0x4C, 0xE6, 0x18, 0xE9, 0xDB, 0xA2}}; // assigned
};

// Classes.
constexpr CLSID CLSID_GPPoint{0xA1E93082, 0xBABE, 0x4D44, {0x8C, 0xE3, 0x46, 0x37, 0x74, 0x8E, 0xDD, 0xDD}};
constexpr CLSID CLSID_GPPointType{0x43CF63E5, 0xCED0, 0x4921, {0x90, 0xC4, 0x64, 0x28, 0x3B, 0xA1, 0xE8, 0x7C}};
constexpr CLSID CLSID_GPLine{0x435F80E4, 0x6DB2, 0x476B, {0xB9, 0x77, 0xB0, 0x6B, 0xFF, 0x52, 0xF9, 0x78}};
constexpr CLSID CLSID_GPLineType{0xA34980AC, 0x1341, 0x497D, {0x81, 0xA7, 0xD2, 0x59, 0x5A, 0x34, 0x2F, 0x28}};
constexpr CLSID CLSID_GPPolygon{0xEC1B8F0B, 0xDF38, 0x4444, {0xBE, 0x03, 0x01, 0x16, 0xE0, 0x95, 0x37, 0xDF}};
constexpr CLSID CLSID_GPPolygonType{0x213E3C7F, 0x1CC9, 0x4988, {0x8F, 0x3F, 0xA2, 0x87, 0x40, 0xD1, 0xC6, 0xFB}};
