// The host's spatial reference: a coordinate system (GDAL's OSR on PROJ) with XY, Z and M domains.
//
// Data on disk stores no domains, so they are derived from the coordinate system's units, always in high precision
// (2^53 storage steps per axis):
//   geographic: false origin -400, -400; resolution 1e-9 degree; XY tolerance 8.983152841195214e-9 degree
//               (about a millimetre at the equator), each expressed in the system's own angular unit;
//   projected or local: resolution 0.0001 m and tolerance 0.001 m expressed in the system's linear unit, the false
//               origin placed so that the domain is centred on 0;
//   Z and M: false origin -100000, resolution 0.0001, tolerance 0.001.
// Z and M precision are present when the data has Z or M values or when they are set. Switching between high and
// low precision keeps origins and units, so the domains then reach 2^31 steps instead of 2^53 (or back).
#pragma once

#include "platform/Object.h"
#include "tavi/DataAccess.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

#include <ogr_spatialref.h>

#include <string_view>

namespace tavi {

class SpatialReference final : public Object<SpatialReference, ISpatialReference, ICoordinateSystemUnits,
                                             IPersistStream, Alias<IPersist, IPersistStream>, IXMLSerialize> {
public:
    // Assigned: name-based identifier of "taviGeoprocessing.SpatialReference" (see DataAccess.h).
    static constexpr CLSID kClassId{0xE330BE42, 0xEF15, 0x5E91, {0xA0, 0xFF, 0x1B, 0xA7, 0x3F, 0x2D, 0xCC, 0x0B}};
    static constexpr const char16_t* kClassName = u"SpatialReference";

    // An empty coordinate system, to be loaded from a stream.
    SpatialReference() = default;
    // Takes a copy of `srs` (axis order: x east or longitude first) with the derived domains; Z and M domains only
    // when asked for.
    SpatialReference(const OGRSpatialReference& srs, bool hasZ, bool hasM);

    const OGRSpatialReference& Srs() const { return srs_; }

    // ISpatialReference
    HRESULT get_Name(BSTR* name) override;
    HRESULT get_FactoryCode(int32_t* code) override;
    HRESULT get_IsGeographic(VARIANT_BOOL* geographic) override;
    HRESULT get_IsProjected(VARIANT_BOOL* projected) override;
    HRESULT ExportToWKT(BSTR* wkt) override;
    HRESULT HasXYPrecision(VARIANT_BOOL* has) override;
    HRESULT HasZPrecision(VARIANT_BOOL* has) override;
    HRESULT HasMPrecision(VARIANT_BOOL* has) override;
    HRESULT GetFalseOriginAndUnits(double* falseX, double* falseY, double* xyUnits) override;
    HRESULT SetFalseOriginAndUnits(double falseX, double falseY, double xyUnits) override;
    HRESULT GetZFalseOriginAndUnits(double* falseZ, double* zUnits) override;
    HRESULT SetZFalseOriginAndUnits(double falseZ, double zUnits) override;
    HRESULT GetMFalseOriginAndUnits(double* falseM, double* mUnits) override;
    HRESULT SetMFalseOriginAndUnits(double falseM, double mUnits) override;
    HRESULT GetDomain(double* xmin, double* xmax, double* ymin, double* ymax) override;
    HRESULT SetDomain(double xmin, double xmax, double ymin, double ymax) override;
    HRESULT GetZDomain(double* zmin, double* zmax) override;
    HRESULT SetZDomain(double zmin, double zmax) override;
    HRESULT GetMDomain(double* mmin, double* mmax) override;
    HRESULT SetMDomain(double mmin, double mmax) override;
    HRESULT get_XYTolerance(double* tolerance) override;
    HRESULT put_XYTolerance(double tolerance) override;
    HRESULT get_ZTolerance(double* tolerance) override;
    HRESULT put_ZTolerance(double tolerance) override;
    HRESULT get_MTolerance(double* tolerance) override;
    HRESULT put_MTolerance(double tolerance) override;
    HRESULT get_IsHighPrecision(VARIANT_BOOL* highPrecision) override;
    HRESULT put_IsHighPrecision(VARIANT_BOOL highPrecision) override;
    HRESULT IsSameCoordinateSystem(ISpatialReference* other, VARIANT_BOOL* same) override;
    HRESULT Clone(ISpatialReference** copy) override;
    // ICoordinateSystemUnits, from the coordinate system's definition (OSR): S_FALSE and 0 for a fact the kind of
    // system does not have (a geographic system has no meters per unit; a projected one no angular facts).
    HRESULT get_MetersPerUnit(double* meters) override;
    HRESULT get_RadiansPerUnit(double* radians) override;
    HRESULT get_SemiMajorAxis(double* meters) override;
    HRESULT get_SemiMinorAxis(double* meters) override;
    // IPersistStream: int16 version 1; the coordinate system's well-known text (WKT2, which holds every system);
    // then for XY, Z and M in turn int16 present (-1 or 0), doubles origin, units and tolerance (XY writes its X
    // origin, then its Y origin, units and tolerance); int16 high precision. Load refuses newer versions, text that
    // names no coordinate system and units that are not positive with E_FAIL, and changes nothing then.
    HRESULT IsDirty() override { return S_FALSE; }
    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, int32_t clearDirty) override;
    HRESULT GetSizeMax(uint64_t* size) override;
    // IXMLSerialize: type "SpatialReference" in c_xml_ns_tavi. String "WKT" (WKT2, as the stream form); doubles
    // "XOrigin", "YOrigin", "XYScale", "XYTolerance" when XY is defined, "ZOrigin", "ZScale", "ZTolerance" when Z is,
    // "MOrigin", "MScale", "MTolerance" when M is; boolean "HighPrecision". Reading needs "WKT"; a group whose
    // elements are missing is derived as for data on disk (XY) or left undefined (Z, M). E_FAIL, nothing changed,
    // for text that names no coordinate system or a scale that is not positive.
    HRESULT Serialize(IXMLSerializeData* data) override;
    HRESULT Deserialize(IXMLSerializeData* data) override;

private:
    // One axis group: origin, storage steps per unit, tolerance, and whether it is defined at all.
    struct Axis {
        double origin = 0;
        double units = 0;
        double tolerance = 0;
        bool present = false;
    };

    void DeriveXY();
    static Axis DerivedZM();
    double Span(const Axis& axis) const;
    HRESULT SetRange(Axis& axis, double min, double max);

    OGRSpatialReference srs_;
    Axis x_, y_, z_, m_;
    bool highPrecision_ = true;
};

// A spatial reference from text: well-known text (either dialect), "EPSG:4326", a bare code 4326, or a PROJ string.
// Files and URLs are not followed. E_INVALIDARG for text that names no coordinate system.
HRESULT CreateSpatialReferenceFromText(std::u16string_view text, ISpatialReference** spatialReference);
// A spatial reference from a projection file (.prj). TAVI_E_DATA_NOT_FOUND when the file is missing,
// E_INVALIDARG when its content names no coordinate system or the path is no local path.
HRESULT CreateSpatialReferenceFromPrjFile(std::u16string_view path, ISpatialReference** spatialReference);
// A spatial reference for a dataset's coordinate system; S_FALSE with null when `srs` is null.
HRESULT MakeSpatialReference(const OGRSpatialReference* srs, bool hasZ, bool hasM,
                             ISpatialReference** spatialReference);

// The spatial reference object in the XML element `name` of the geometry objects' XML forms: S_OK and none when the
// element is absent, E_FAIL when it cannot be read or holds an object of another kind.
HRESULT ReadSpatialReferenceElement(IXMLSerializeData* data, const char16_t* name,
                                    ComPtr<ISpatialReference>* spatialReference);

} // namespace tavi
