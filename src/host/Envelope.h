// The host's envelope: a rectangle with an optional spatial reference, the carrier of every extent.
#pragma once

#include "platform/ComPtr.h"
#include "platform/Object.h"
#include "tavi/DataAccess.h"
#include "tavi/GPValue.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

namespace tavi {

class Envelope final
    : public Object<Envelope, IEnvelope, IClone, IPersistStream, Alias<IPersist, IPersistStream>, IXMLSerialize> {
public:
    // The platform envelope's class identifier, under which envelopes are saved inside other objects.
    static constexpr CLSID kClassId{0x30707212, 0x52D5, 0x11D0, {0xA8, 0xF2, 0x00, 0x60, 0x8C, 0x85, 0xED, 0xE5}};
    static constexpr const char16_t* kClassName = u"Envelope";

    // IEnvelope. Setting one coordinate of an empty envelope makes the others 0 first, so the envelope is a point
    // at the origin grown by that coordinate.
    HRESULT get_XMin(double* value) override;
    HRESULT put_XMin(double value) override;
    HRESULT get_YMin(double* value) override;
    HRESULT put_YMin(double value) override;
    HRESULT get_XMax(double* value) override;
    HRESULT put_XMax(double value) override;
    HRESULT get_YMax(double* value) override;
    HRESULT put_YMax(double value) override;
    HRESULT get_Width(double* value) override;
    HRESULT get_Height(double* value) override;
    HRESULT get_IsEmpty(VARIANT_BOOL* empty) override;
    HRESULT SetEmpty() override;
    HRESULT PutCoords(double xmin, double ymin, double xmax, double ymax) override;
    HRESULT QueryCoords(double* xmin, double* ymin, double* xmax, double* ymax) override;
    HRESULT get_SpatialReference(ISpatialReference** spatialReference) override;
    HRESULT putref_SpatialReference(ISpatialReference* spatialReference) override;
    HRESULT IsEqual(IEnvelope* other, VARIANT_BOOL* equal) override;
    // IClone. The copy shares the spatial reference; equality is IEnvelope's.
    HRESULT Clone(IClone** clone) override;
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;
    HRESULT IsIdentical(IClone* other, VARIANT_BOOL* identical) override;
    // IPersistStream: int16 version 1, four doubles XMin, YMin, XMax, YMax, int16 empty flag (-1 empty), then the
    // spatial reference object (SaveObject; none writes a null identifier). Load refuses newer versions with E_FAIL
    // and leaves the envelope unchanged on any failure.
    HRESULT IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, int32_t clearDirty) override;
    HRESULT GetSizeMax(uint64_t* size) override;
    // IXMLSerialize, type "Envelope": doubles XMin, YMin, XMax, YMax (none for an empty envelope) and, when there is
    // one, the spatial reference object "SpatialReference" in its own XML form (domains, tolerances and precision
    // included). Reading replaces the whole envelope: missing coordinates leave it empty; a coordinate that is no
    // number or a "SpatialReference" that is no spatial reference is E_FAIL and changes nothing.
    HRESULT Serialize(IXMLSerializeData* data) override;
    HRESULT Deserialize(IXMLSerializeData* data) override;

private:
    HRESULT Get(double coordinate, double* value) const;
    HRESULT Put(double& coordinate, double value);

    bool empty_ = true;
    bool dirty_ = false;
    double xmin_ = 0, ymin_ = 0, xmax_ = 0, ymax_ = 0;
    ComPtr<ISpatialReference> spatialReference_;
};

// A new empty envelope.
HRESULT CreateEnvelope(IEnvelope** envelope);
// A new envelope with these coordinates and spatial reference (which may be null).
HRESULT CreateEnvelope(double xmin, double ymin, double xmax, double ymax, ISpatialReference* spatialReference,
                       IEnvelope** envelope);

// Points per side used when an envelope is projected: a straight edge in one coordinate system is a curve in
// another, so the edges are densified and the bounding box of all the projected points is taken.
constexpr int kProjectionDensifyPoints = 21;

// A new envelope holding `envelope` projected into `target` (carrying `target` as its spatial reference): the
// bounding box of the projected edges, densified with kProjectionDensifyPoints points per side (PROJ's bounds
// transformation, which also handles the antimeridian and the poles). An envelope without a spatial reference, or
// one already in the target's coordinate system, is copied with the target put on the copy. E_POINTER for null
// arguments; E_INVALIDARG for an empty envelope; E_FAIL when no transformation exists or the projected box has no
// positive width and height.
HRESULT ProjectEnvelope(IEnvelope* envelope, ISpatialReference* target, IEnvelope** projected);

} // namespace tavi
