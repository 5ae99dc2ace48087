// The spatial reference and coordinate system values, the XY, Z and M domain values, the tool tip a value may offer,
// and the data type markers of the five values. Interfaces marked "assigned" have no documented identifier; theirs is
// the name-based identifier of "taviGeoprocessing.<interface name>" in the library's namespace (as in GPUnits.h).
#pragma once

#include "tavi/DataAccess.h"
#include "tavi/GPValue.h"

// A value that carries a spatial reference: a coordinate system with its XY, Z and M domains, tolerances and
// precision. The reference is shared, never copied, by both operations.
struct IGPSpatialReference : IUnknown {
    static constexpr IID iid{0x2DEE318C, 0x08D0, 0x551C, {0xAC, 0xF2, 0xEB, 0x35, 0x62, 0xEE, 0xE7, 0x7C}}; // assigned
    // The held object itself (null, S_OK, when the value is empty); E_POINTER for a null out pointer.
    virtual HRESULT get_SpatialReference(ISpatialReference** spatialReference) = 0;
    // A non-null reference replaces the held one; null empties the value. Marks the value modified.
    virtual HRESULT putref_SpatialReference(ISpatialReference* spatialReference) = 0;
};

// The coordinate system that a value carries. The host holds a coordinate system as a spatial reference object, so
// the pair passes the same kind of object; on a spatial reference value it is the same pair as IGPSpatialReference.
struct IGPCoordinateSystem : IUnknown {
    static constexpr IID iid{0xA3210E5C, 0x07A2, 0x5A1D, {0x9E, 0x60, 0x4A, 0xC5, 0x0A, 0xF7, 0xF2, 0x7A}}; // assigned
    virtual HRESULT get_CoordinateSystem(ISpatialReference** coordinateSystem) = 0;
    virtual HRESULT putref_CoordinateSystem(ISpatialReference* coordinateSystem) = 0;
};

// An XY coordinate range. On the XY domain value it is the value's own range; on a spatial reference value it is
// the held reference's XY domain.
// QueryXYDomain: S_FALSE and zeros when there is no range (an empty value); E_POINTER for a null out pointer.
// PutXYDomain: E_INVALIDARG when a minimum is not below its maximum or a number is not finite; E_FAIL on a spatial
// reference value that holds no reference. A spatial reference may widen the range to fit its storage grid.
struct IGPXYDomain : IUnknown {
    static constexpr IID iid{0xDF208B87, 0x56F4, 0x5874, {0x99, 0x05, 0x51, 0x73, 0x65, 0x6B, 0xD2, 0x0A}}; // assigned
    virtual HRESULT QueryXYDomain(double* xmin, double* ymin, double* xmax, double* ymax) = 0;
    virtual HRESULT PutXYDomain(double xmin, double ymin, double xmax, double ymax) = 0;
};

// A Z range, with the same rules as IGPXYDomain.
struct IGPZDomain : IUnknown {
    static constexpr IID iid{0x92A8F9C9, 0xD8FA, 0x5B9A, {0x97, 0xCB, 0x23, 0x33, 0x9A, 0x31, 0xD5, 0x35}}; // assigned
    virtual HRESULT QueryZDomain(double* zmin, double* zmax) = 0;
    virtual HRESULT PutZDomain(double zmin, double zmax) = 0;
};

// An M (measure) range, with the same rules as IGPXYDomain.
struct IGPMDomain : IUnknown {
    static constexpr IID iid{0xDE2D36CE, 0x0F3D, 0x5508, {0xAB, 0xD8, 0x0B, 0x09, 0xFF, 0x1C, 0x85, 0xDD}}; // assigned
    virtual HRESULT QueryMDomain(double* mmin, double* mmax) = 0;
    virtual HRESULT PutMDomain(double mmin, double mmax) = 0;
};

// A short text that a user interface shows when pointing at a value. An empty text (S_OK) when the value has
// nothing to show; E_POINTER for a null out pointer.
struct IGPToolTip : IUnknown {
    static constexpr IID iid{0x930E2C75, 0x57FC, 0x5786, {0x97, 0x6B, 0x83, 0x9B, 0xD5, 0x29, 0x06, 0x6C}}; // assigned
    virtual HRESULT get_ToolTip(BSTR* toolTip) = 0;
};

// Data type markers.
struct IGPSpatialReferenceType : IUnknown {
    static constexpr IID iid{0x8907746C, 0x0F4B, 0x5AF9, {0x8F, 0x22, 0x03, 0x35, 0x0D, 0xD6, 0x7D, 0xE0}}; // assigned
};
struct IGPCoordinateSystemType : IUnknown {
    static constexpr IID iid{0x01F30D39, 0x6E8E, 0x5D6D, {0x94, 0x47, 0x46, 0x34, 0xA8, 0x0B, 0x09, 0xF6}}; // assigned
};
struct IGPXYDomainType : IUnknown {
    static constexpr IID iid{0x64185DD4, 0xA1F2, 0x5336, {0xBB, 0xED, 0x8D, 0x23, 0xE4, 0x21, 0x74, 0xC2}}; // assigned
};
struct IGPZDomainType : IUnknown {
    static constexpr IID iid{0x567768FC, 0x39F7, 0x532F, {0x86, 0x42, 0xF2, 0xDB, 0x7F, 0xC6, 0x06, 0x65}}; // assigned
};
struct IGPMDomainType : IUnknown {
    static constexpr IID iid{0x5E699645, 0xEC2E, 0x5DC8, {0x91, 0x48, 0xB6, 0x9C, 0xEE, 0x8A, 0xCB, 0x69}}; // assigned
};

// Classes.
constexpr CLSID CLSID_GPSpatialReference{0x503307EA, 0x4131, 0x456B, {0x9B, 0x9A, 0x15, 0x98, 0x95, 0x34, 0xBE, 0x4D}};
constexpr CLSID CLSID_GPSpatialReferenceType{
    0xB58872AC, 0x834D, 0x443C, {0xB0, 0x5A, 0xE4, 0xCB, 0xDE, 0xA4, 0xE3, 0xA1}};
constexpr CLSID CLSID_GPCoordinateSystem{0xB3E1D7ED, 0xA8D6, 0x44A7, {0xA9, 0x11, 0x81, 0x7C, 0x36, 0x1B, 0x57, 0x4C}};
constexpr CLSID CLSID_GPCoordinateSystemType{
    0x7C9BDD1E, 0xEAEB, 0x4468, {0xBC, 0x61, 0x55, 0x72, 0xF4, 0x60, 0xDC, 0xBC}};
constexpr CLSID CLSID_GPXYDomain{0x9776287B, 0x3D47, 0x4DB7, {0x80, 0x1C, 0xD6, 0x79, 0xD7, 0xAA, 0x68, 0x72}};
constexpr CLSID CLSID_GPXYDomainType{0x2CE48D8A, 0x83E0, 0x47B4, {0xA9, 0x79, 0x63, 0x6C, 0x46, 0xDB, 0x9C, 0x4B}};
constexpr CLSID CLSID_GPZDomain{0x44F4FE86, 0x8870, 0x4375, {0xA9, 0xC2, 0x96, 0xAE, 0xBB, 0x9D, 0xE3, 0xBC}};
constexpr CLSID CLSID_GPZDomainType{0x24B10698, 0xDFC8, 0x491D, {0xBE, 0x10, 0xAB, 0xE7, 0x1C, 0x05, 0xEE, 0x71}};
constexpr CLSID CLSID_GPMDomain{0x84259B9E, 0x73C9, 0x462A, {0xBE, 0xB1, 0x3B, 0xB3, 0x05, 0x1E, 0x59, 0x3A}};
constexpr CLSID CLSID_GPMDomainType{0xF8319703, 0x04D0, 0x4FA7, {0x80, 0x9D, 0x62, 0x36, 0x7E, 0x7A, 0xA8, 0xDE}};
