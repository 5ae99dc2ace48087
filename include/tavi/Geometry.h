// The host's geometry objects: points, polylines (paths of points) and polygons (rings of points), with an optional
// spatial reference, and the shape of a feature row as a geometry object.
//
// Identifiers: name-based (version 5) identifiers of "taviGeoprocessing.<interface name>" in the namespace of the
// library's type library identifier {D1AE5921-F2AC-437E-B79A-4A1BF0F4CBBC}, so they never change.
//
// Operations are in the order: getters before setters, property by property, then the other operations. Every
// getter gives E_POINTER for a null out pointer.
#pragma once

#include "tavi/DataAccess.h"

// A geometry object: a shape of one taviGeometryType with coordinates that may carry Z and M values.
struct IGeometry : IUnknown {
    static constexpr IID iid{0x703728BE, 0xE675, 0x5BCB, {0xAA, 0x52, 0xAB, 0x73, 0x69, 0x1E, 0x4F, 0xA4}};
    // The taviGeometryType code of the object's class (a point is taviGeometryPoint even when empty).
    virtual HRESULT get_GeometryType(int32_t* type) = 0;
    virtual HRESULT get_IsEmpty(VARIANT_BOOL* empty) = 0;
    // Whether coordinates carry Z (M) values. Turning it on gives existing points Z (M) 0; off drops them.
    virtual HRESULT get_ZAware(VARIANT_BOOL* aware) = 0;
    virtual HRESULT put_ZAware(VARIANT_BOOL aware) = 0;
    virtual HRESULT get_MAware(VARIANT_BOOL* aware) = 0;
    virtual HRESULT put_MAware(VARIANT_BOOL aware) = 0;
    // A new envelope of the coordinates, in the geometry's spatial reference; empty for an empty geometry.
    virtual HRESULT get_Envelope(IEnvelope** envelope) = 0;
    // The spatial reference, shared, not copied; null when none.
    virtual HRESULT get_SpatialReference(ISpatialReference** spatialReference) = 0;
    virtual HRESULT putref_SpatialReference(ISpatialReference* spatialReference) = 0;
    // Removes every coordinate; the Z and M awareness and the spatial reference stay.
    virtual HRESULT SetEmpty() = 0;
    // The ISO well-known text ("POINT ZM (1 2 3 4)", "LINESTRING EMPTY"); coordinates read back exactly.
    virtual HRESULT ExportToWKT(BSTR* wkt) = 0;
    // Replaces the coordinates (and the Z and M awareness) by those of the text. E_POINTER for null text,
    // E_INVALIDARG for text that is no well-known text, DISP_E_TYPEMISMATCH for well-known text of another kind of
    // geometry; the object is unchanged on failure.
    virtual HRESULT ImportFromWKT(const OLECHAR* wkt) = 0;
};

// A point. A new point is empty and its coordinates read as NaN; setting X or Y of an empty point makes the other 0.
struct IPoint : IUnknown {
    static constexpr IID iid{0x0F231CAF, 0x11B1, 0x51E4, {0x83, 0xCA, 0xE1, 0xC9, 0x96, 0x41, 0xBE, 0x5E}};
    virtual HRESULT get_X(double* x) = 0;
    virtual HRESULT put_X(double x) = 0;
    virtual HRESULT get_Y(double* y) = 0;
    virtual HRESULT put_Y(double y) = 0;
    // Z and M read as NaN when the point is not Z (M) aware; setting one makes the point aware of it.
    virtual HRESULT get_Z(double* z) = 0;
    virtual HRESULT put_Z(double z) = 0;
    virtual HRESULT get_M(double* m) = 0;
    virtual HRESULT put_M(double m) = 0;
    virtual HRESULT PutCoords(double x, double y) = 0;
    // E_FAIL (NaN out) for an empty point.
    virtual HRESULT QueryCoords(double* x, double* y) = 0;
};

// The vertices of a polyline or polygon, over all its paths or rings in order.
struct IPointCollection : IUnknown {
    static constexpr IID iid{0xF5C05E4D, 0xAA5A, 0x5865, {0x84, 0x29, 0x14, 0xCE, 0xC8, 0x70, 0xDF, 0x94}};
    virtual HRESULT get_PointCount(int32_t* count) = 0;
    // A new point object holding a copy of the vertex (Z and M as the collection is aware). E_INVALIDARG outside
    // 0..count-1.
    virtual HRESULT get_Point(int32_t index, IPoint** point) = 0;
    // Appends a copy of the point's coordinates to the last path (ring), starting one when there is none.
    // E_POINTER for null, E_INVALIDARG for an empty point.
    virtual HRESULT AddPoint(IPoint* point) = 0;
};

// A polyline: paths of points.
struct IPolyline : IUnknown {
    static constexpr IID iid{0x66568D37, 0x6AB3, 0x58D8, {0x89, 0xBC, 0x0D, 0x21, 0xE0, 0x54, 0x20, 0x4C}};
    virtual HRESULT get_PathCount(int32_t* count) = 0;
    // The number of points of a path; E_INVALIDARG outside 0..count-1.
    virtual HRESULT get_PathPointCount(int32_t index, int32_t* count) = 0;
    // Starts a new, empty path that the following AddPoint calls extend.
    virtual HRESULT StartPath() = 0;
    // The length of all paths, in the coordinates' units.
    virtual HRESULT get_Length(double* length) = 0;
};

// A polygon: rings of points, the first ring of each part its outer boundary and the others its holes.
struct IPolygon : IUnknown {
    static constexpr IID iid{0xA6F2FF43, 0xB858, 0x543B, {0x8E, 0xDA, 0x78, 0x0A, 0x00, 0x48, 0xC4, 0xAA}};
    virtual HRESULT get_RingCount(int32_t* count) = 0;
    // The number of points of a ring; E_INVALIDARG outside 0..count-1.
    virtual HRESULT get_RingPointCount(int32_t index, int32_t* count) = 0;
    // Starts a new, empty ring of the last part (a hole once the part has its outer ring).
    virtual HRESULT StartRing() = 0;
    // Closes every ring whose last point differs from its first by repeating the first.
    virtual HRESULT Close() = 0;
    // The area of all parts (holes subtracted), in the square of the coordinates' units.
    virtual HRESULT get_Area(double* area) = 0;
};

// Answered by the rows of a feature class: the shape field as a geometry object.
struct IFeature : IUnknown {
    static constexpr IID iid{0x31060941, 0x9556, 0x53C5, {0x9B, 0x71, 0xA2, 0x11, 0xB7, 0xB7, 0x8D, 0x27}};
    // A new geometry object holding a copy of the shape, in the feature class's spatial reference; null (S_FALSE)
    // when the shape is null.
    virtual HRESULT get_Shape(IGeometry** shape) = 0;
    // Copies the geometry's coordinates into the shape field (null clears it); DISP_E_TYPEMISMATCH for a geometry
    // the field cannot hold. Stored by the row's Store.
    virtual HRESULT putref_Shape(IGeometry* shape) = 0;
};
