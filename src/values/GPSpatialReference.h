// The values that carry a host spatial reference object: GPSpatialReference (a coordinate system with its XY, Z and
// M domains, tolerances and precision) and GPCoordinateSystem (the coordinate system alone), on the shared
// SpatialReferenceValue.
//
// Both hold one counted reference to an ISpatialReference, null when the value is empty; putref_ shares the object,
// Assign (and so Clone) copies it, so a clone's domains can change without touching the source.
//
// A single text names a spatial reference in any of these forms, tried in this order:
//   a path ending in ".prj"           the projection file's content;
//   well-known text, "EPSG:26911", a bare code "4326", a PROJ string;
//   a path to a dataset               the spatial reference of the feature class or raster it names.
//
// GPSpatialReference text form: empty for an empty value; otherwise up to eight fields joined by ";", "#" for a
// missing one:
//   1 the coordinate system's well-known text;  2 "falseX falseY xyUnits";  3 "falseZ zUnits";  4 "falseM mUnits";
//   5 XY tolerance;  6 Z tolerance;  7 M tolerance;  8 "IsHighPrecision" or "IsLowPrecision".
// Groups 3/6 appear only with Z, 4/7 only with M; fields 3 to 7 are "#" when the domain is missing. The host object
// always has XY precision, tolerances and the precision query, so a geographic reference without Z or M prints
// "<wkt>;-400 -400 1000000000;#;#;8.983152841195213e-09;#;#;IsHighPrecision". Numbers are written as GPDouble writes
// them (the locale's own text when it reads back exactly, else the shortest text that does), so the text reads back
// to the same domains.
// SetAsText empties the value, then reads: a text without ";" as a single text (above); a text with ";" as the
// fields, field 1 a single text, the others ("#" skipped) applied to the reference in table order. A text with more
// than eight fields keeps the extra leading ones in field 1 (a name with ";" in the well-known text). Any field that
// does not read, or that the reference refuses (a units value that is not positive, a number that is not finite),
// leaves the value empty and makes the message an error with code 701 naming the field; the call succeeds.
//
// GPCoordinateSystem text form: the coordinate system's well-known text. SetAsText reads a single text; when the
// whole text names nothing and holds ";", the first field is read (the text of a spatial reference value), the
// domains that follow being no part of a coordinate system. Errors as above.
//
// Stream form (both): int16 version 3, the base part, the object with SaveObject (a null object for an empty value).
// Load takes versions 1 to 3; version 2 carries one more int16 after the object, read and ignored.
// XML form (both): the base elements and, when not empty, object element "SpatialReference" (the host object, type
// "SpatialReference"); reading keeps the object when it answers ISpatialReference, E_FAIL when it cannot be read.
// A missing element leaves the value empty.
#pragma once

#include "host/GPValue.h"
#include "tavi/GPSpatialReferenceValues.h"

#include <string_view>

namespace tavi {

// Resolves a single text (see the head of this file) into a new spatial reference. E_INVALIDARG for a text that
// names nothing; the projection file's failure codes for a ".prj" path.
HRESULT ResolveSpatialReferenceText(std::u16string_view text, ISpatialReference** spatialReference);

// True when both hold the same coordinate system; with `withDomains`, also the same XY, Z and M groups (presence,
// origins, units, tolerances) and the same precision. Null equals only null.
bool SameSpatialReference(ISpatialReference* a, ISpatialReference* b, bool withDomains);

template <class Derived, class... R> class SpatialReferenceValue : public GPValue<Derived, R...> {
public:
    static constexpr uint16_t kStreamVersion = 3;

    ISpatialReference* Held() const { return spatialReference_.Get(); }

    // IGPCoordinateSystem: the held object (null when empty), and replacing it (null empties).
    HRESULT get_CoordinateSystem(ISpatialReference** coordinateSystem) override;
    HRESULT putref_CoordinateSystem(ISpatialReference* coordinateSystem) override;

    // IGPToolTip: the coordinate system's name; empty for an empty value.
    HRESULT get_ToolTip(BSTR* toolTip) override;

    // IGPValue: empty when no object is held.
    HRESULT IsEmpty(VARIANT_BOOL* empty) override;
    HRESULT Empty() override;

    // IClone: the source must be a value of the same class (else E_INVALIDARG); its object is copied. Equal values
    // hold equal objects (Derived::kCompareDomains says whether domains count).
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

protected:
    SpatialReferenceValue() : GPValue<Derived, R...>(Derived::kClassId, Derived::kDataTypeClassId) {}

    // Holds `spatialReference` (shared) and marks the value modified; null empties the value.
    HRESULT Hold(ISpatialReference* spatialReference);
    // The text error of SetAsText: the value emptied, `message` an error (701) naming `field`.
    HRESULT ReportBadText(IGPMessage* message, std::u16string_view field);

private:
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;

    ComPtr<ISpatialReference> spatialReference_;
};

class GPSpatialReference final
    : public SpatialReferenceValue<GPSpatialReference, IGPSpatialReference, IGPCoordinateSystem, IGPXYDomain,
                                   IGPZDomain, IGPToolTip, ValueInterfaces> {
public:
    static constexpr CLSID kClassId = CLSID_GPSpatialReference;
    static constexpr CLSID kDataTypeClassId = CLSID_GPSpatialReferenceType;
    static constexpr const char16_t* kClassName = u"GPSpatialReference";
    static constexpr bool kCompareDomains = true;

    // IGPSpatialReference: the same pair as IGPCoordinateSystem.
    HRESULT get_SpatialReference(ISpatialReference** spatialReference) override;
    HRESULT putref_SpatialReference(ISpatialReference* spatialReference) override;

    // IGPXYDomain, IGPZDomain: the held reference's domains. Query: S_FALSE and zeros when empty (or, for Z, when
    // the reference has no Z precision). Put: E_FAIL when empty, the reference's E_INVALIDARG for a bad range; marks
    // the value modified.
    HRESULT QueryXYDomain(double* xmin, double* ymin, double* xmax, double* ymax) override;
    HRESULT PutXYDomain(double xmin, double ymin, double xmax, double ymax) override;
    HRESULT QueryZDomain(double* zmin, double* zmax) override;
    HRESULT PutZDomain(double zmin, double zmax) override;

    // IGPValue
    HRESULT GetAsText(BSTR* text) override;
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override;

private:
    // Reads a non-empty text into a new reference; on failure `badField` is the field that did not read.
    HRESULT ReadText(std::u16string_view text, ISpatialReference** read, std::u16string_view& badField);
};

class GPCoordinateSystem final
    : public SpatialReferenceValue<GPCoordinateSystem, IGPCoordinateSystem, IGPToolTip, ValueInterfaces> {
public:
    static constexpr CLSID kClassId = CLSID_GPCoordinateSystem;
    static constexpr CLSID kDataTypeClassId = CLSID_GPCoordinateSystemType;
    static constexpr const char16_t* kClassName = u"GPCoordinateSystem";
    static constexpr bool kCompareDomains = false;

    // IGPValue
    HRESULT GetAsText(BSTR* text) override;
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override;
};

extern template class SpatialReferenceValue<GPSpatialReference, IGPSpatialReference, IGPCoordinateSystem, IGPXYDomain,
                                            IGPZDomain, IGPToolTip, ValueInterfaces>;
extern template class SpatialReferenceValue<GPCoordinateSystem, IGPCoordinateSystem, IGPToolTip, ValueInterfaces>;

} // namespace tavi
