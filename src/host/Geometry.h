// The host's geometry objects on OGR geometry: Point, Polyline (paths, held as a multi line string) and Polygon
// (parts of rings, held as a multi polygon), with the conversions rows and streams use.
#pragma once

#include "host/String.h"
#include "platform/ComPtr.h"
#include "platform/Object.h"
#include "tavi/GPValue.h"
#include "tavi/Geometry.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

#include <ogr_geometry.h>

#include <memory>
#include <string_view>

namespace tavi {

// Inside the host only: the OGR geometry behind the host's own geometry objects, so rows and copies take the
// coordinates without a detour through text.
struct IGeometryAccess : IUnknown {
    static constexpr IID iid{0xB03F1863, 0x073A, 0x55C8, {0x9F, 0x6F, 0x14, 0xCA, 0xB2, 0x15, 0x40, 0x74}};
    virtual const OGRGeometry& OgrGeometry() = 0;
};

// What the three geometry classes share. `Derived` supplies kGeometryType and
// `static std::unique_ptr<OGRGeometry> Normalize(std::unique_ptr<OGRGeometry>)`, which turns an OGR geometry of its
// kind into the form it holds (null for another kind).
//
// IPersistStream: int16 version 1; int32 byte count and the geometry's ISO well-known binary (little-endian, Z and
// M included); the spatial reference object (SaveObject; none writes a null identifier). Load refuses newer
// versions, binary of another kind or with bytes left over with E_FAIL and changes nothing then.
template <class Derived, class... Own>
class GeometryObject : public Object<Derived, IGeometry, Own..., IClone, IPersistStream,
                                     Alias<IPersist, IPersistStream>, IGeometryAccess> {
public:
    // IGeometry
    HRESULT get_GeometryType(int32_t* type) override;
    HRESULT get_IsEmpty(VARIANT_BOOL* empty) override;
    HRESULT get_ZAware(VARIANT_BOOL* aware) override;
    HRESULT put_ZAware(VARIANT_BOOL aware) override;
    HRESULT get_MAware(VARIANT_BOOL* aware) override;
    HRESULT put_MAware(VARIANT_BOOL aware) override;
    HRESULT get_Envelope(IEnvelope** envelope) override;
    HRESULT get_SpatialReference(ISpatialReference** spatialReference) override;
    HRESULT putref_SpatialReference(ISpatialReference* spatialReference) override;
    HRESULT SetEmpty() override;
    HRESULT ExportToWKT(BSTR* wkt) override;
    HRESULT ImportFromWKT(const OLECHAR* wkt) override;
    // IClone: the copy has its own coordinates and shares the spatial reference; Assign takes only the same class
    // (E_INVALIDARG otherwise); equality compares the coordinates exactly, not the spatial references.
    HRESULT Clone(IClone** clone) override;
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;
    HRESULT IsIdentical(IClone* other, VARIANT_BOOL* identical) override;
    // IPersistStream
    HRESULT IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, int32_t clearDirty) override;
    HRESULT GetSizeMax(uint64_t* size) override;
    // IGeometryAccess
    const OGRGeometry& OgrGeometry() override { return *geometry_; }

    // Takes a geometry already in this class's held form.
    void Reset(std::unique_ptr<OGRGeometry> geometry) {
        geometry_ = std::move(geometry);
        dirty_ = true;
    }

protected:
    explicit GeometryObject(std::unique_ptr<OGRGeometry> empty) : geometry_(std::move(empty)) {}

    // Marks a change made through the derived class's own interfaces.
    void Changed() { dirty_ = true; }

    std::unique_ptr<OGRGeometry> geometry_;

private:
    ComPtr<ISpatialReference> spatialReference_;
    bool dirty_ = false;
};

// A point. Besides the shared forms it has an XML form of its own, type "Point" in c_xml_ns_tavi: doubles "X" and
// "Y" when it is not empty, "Z" and "M" when it has them, and the object "SpatialReference" when it has a spatial
// reference that has an XML form. Reading replaces the whole point: no coordinates leave it empty; only one of X and
// Y, a Z or M without them, a coordinate that is not a finite number, or a "SpatialReference" element that holds no
// spatial reference is E_FAIL and changes nothing.
class Point final : public GeometryObject<Point, IPoint, IXMLSerialize> {
public:
    // Assigned: name-based identifier of "taviGeoprocessing.Point" (see Geometry.h).
    static constexpr CLSID kClassId{0x7D7C5DDF, 0x0CC6, 0x56DB, {0x8A, 0x1B, 0x42, 0x45, 0x6F, 0xB9, 0xC2, 0xE6}};
    static constexpr const char16_t* kClassName = u"Point";
    static constexpr int32_t kGeometryType = taviGeometryPoint;
    static std::unique_ptr<OGRGeometry> Normalize(std::unique_ptr<OGRGeometry> geometry);

    Point();

    // IPoint. Coordinates that are not numbers are refused with E_INVALIDARG.
    HRESULT get_X(double* x) override;
    HRESULT put_X(double x) override;
    HRESULT get_Y(double* y) override;
    HRESULT put_Y(double y) override;
    HRESULT get_Z(double* z) override;
    HRESULT put_Z(double z) override;
    HRESULT get_M(double* m) override;
    HRESULT put_M(double m) override;
    HRESULT PutCoords(double x, double y) override;
    HRESULT QueryCoords(double* x, double* y) override;

    // IXMLSerialize
    HRESULT Serialize(IXMLSerializeData* data) override;
    HRESULT Deserialize(IXMLSerializeData* data) override;

private:
    OGRPoint& Held() { return static_cast<OGRPoint&>(*geometry_); }
};

// The vertex access polylines and polygons share, over their OGR line strings (paths or rings) in order.
template <class Derived, class... Own>
class MultiPartGeometry : public GeometryObject<Derived, IPointCollection, Own...> {
public:
    // IPointCollection
    HRESULT get_PointCount(int32_t* count) override;
    HRESULT get_Point(int32_t index, IPoint** point) override;
    HRESULT AddPoint(IPoint* point) override;

protected:
    using GeometryObject<Derived, IPointCollection, Own...>::GeometryObject;

    // The paths or rings in order, and the one new points go to (made by the derived class when there is none).
    std::vector<OGRSimpleCurve*> Parts() const { return static_cast<const Derived*>(this)->Curves(); }
    HRESULT PartCount(int32_t* count);
    HRESULT PartPointCount(int32_t index, int32_t* count);
};

class Polyline final : public MultiPartGeometry<Polyline, IPolyline> {
public:
    // Assigned: name-based identifier of "taviGeoprocessing.Polyline" (see Geometry.h).
    static constexpr CLSID kClassId{0x817D4D5B, 0xD43B, 0x567C, {0xAA, 0x3F, 0xE2, 0x68, 0x89, 0x9D, 0x31, 0x11}};
    static constexpr const char16_t* kClassName = u"Polyline";
    static constexpr int32_t kGeometryType = taviGeometryPolyline;
    // Takes a line string or a multi line string.
    static std::unique_ptr<OGRGeometry> Normalize(std::unique_ptr<OGRGeometry> geometry);

    Polyline();

    // IPolyline
    HRESULT get_PathCount(int32_t* count) override { return PartCount(count); }
    HRESULT get_PathPointCount(int32_t index, int32_t* count) override { return PartPointCount(index, count); }
    HRESULT StartPath() override;
    HRESULT get_Length(double* length) override;

    std::vector<OGRSimpleCurve*> Curves() const;
    OGRSimpleCurve* LastCurve();

private:
    OGRMultiLineString& Held() const { return static_cast<OGRMultiLineString&>(*geometry_); }
};

class Polygon final : public MultiPartGeometry<Polygon, IPolygon> {
public:
    // Assigned: name-based identifier of "taviGeoprocessing.Polygon" (see Geometry.h).
    static constexpr CLSID kClassId{0xF14069E9, 0xC930, 0x5941, {0x80, 0x69, 0xA6, 0xDD, 0x12, 0x7E, 0x0D, 0x3D}};
    static constexpr const char16_t* kClassName = u"Polygon";
    static constexpr int32_t kGeometryType = taviGeometryPolygon;
    // Takes a polygon or a multi polygon.
    static std::unique_ptr<OGRGeometry> Normalize(std::unique_ptr<OGRGeometry> geometry);

    Polygon();

    // IPolygon
    HRESULT get_RingCount(int32_t* count) override { return PartCount(count); }
    HRESULT get_RingPointCount(int32_t index, int32_t* count) override { return PartPointCount(index, count); }
    HRESULT StartRing() override;
    HRESULT Close() override;
    HRESULT get_Area(double* area) override;

    std::vector<OGRSimpleCurve*> Curves() const;
    OGRSimpleCurve* LastCurve();

private:
    OGRMultiPolygon& Held() const { return static_cast<OGRMultiPolygon&>(*geometry_); }
};

// A new geometry object of the class that holds `geometry` (points, line strings and polygons, single or multi;
// curves are made linear), with the spatial reference (which may be null). DISP_E_TYPEMISMATCH for any other kind
// (multipoints, collections, surfaces).
HRESULT MakeGeometry(const OGRGeometry& geometry, ISpatialReference* spatialReference, IGeometry** result);

// A new geometry object from well-known text; failure codes as IGeometry::ImportFromWKT, except that any kind
// MakeGeometry takes is accepted.
HRESULT CreateGeometryFromWKT(std::u16string_view wkt, IGeometry** result);

// A copy of the coordinates of any geometry object: the host's own directly, others through their text. E_POINTER for
// null, E_INVALIDARG when the text cannot be read.
HRESULT CopyOgrGeometry(IGeometry* geometry, std::unique_ptr<OGRGeometry>* copy);

// The ISO well-known text of an OGR geometry with the shortest coordinates that read back exactly; a multi geometry
// of one part (or none) is written as its single kind.
std::string WriteWkt(const OGRGeometry& geometry);

} // namespace tavi
