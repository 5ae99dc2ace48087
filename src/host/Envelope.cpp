// The host's envelope: see Envelope.h.
#include "host/Envelope.h"

#include "host/SpatialReference.h"
#include "host/StreamIO.h"
#include "host/XmlNamespace.h"
#include "platform/BStr.h"
#include "platform/Utf.h"
#include "tavi/DataAccess.h"

#include <ogr_spatialref.h>

#include <cmath>
#include <limits>
#include <memory>

namespace tavi {

HRESULT Envelope::Get(double coordinate, double* value) const {
    if (!value)
        return E_POINTER;
    *value = empty_ ? std::numeric_limits<double>::quiet_NaN() : coordinate;
    return S_OK;
}

HRESULT Envelope::Put(double& coordinate, double value) {
    if (std::isnan(value))
        return E_INVALIDARG;
    if (empty_) {
        xmin_ = ymin_ = xmax_ = ymax_ = 0;
        empty_ = false;
    }
    coordinate = value;
    dirty_ = true;
    return S_OK;
}

HRESULT Envelope::get_XMin(double* value) {
    return Get(xmin_, value);
}
HRESULT Envelope::put_XMin(double value) {
    return Put(xmin_, value);
}
HRESULT Envelope::get_YMin(double* value) {
    return Get(ymin_, value);
}
HRESULT Envelope::put_YMin(double value) {
    return Put(ymin_, value);
}
HRESULT Envelope::get_XMax(double* value) {
    return Get(xmax_, value);
}
HRESULT Envelope::put_XMax(double value) {
    return Put(xmax_, value);
}
HRESULT Envelope::get_YMax(double* value) {
    return Get(ymax_, value);
}
HRESULT Envelope::put_YMax(double value) {
    return Put(ymax_, value);
}
HRESULT Envelope::get_Width(double* value) {
    return Get(xmax_ - xmin_, value);
}
HRESULT Envelope::get_Height(double* value) {
    return Get(ymax_ - ymin_, value);
}

HRESULT Envelope::get_IsEmpty(VARIANT_BOOL* empty) {
    if (!empty)
        return E_POINTER;
    *empty = empty_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT Envelope::SetEmpty() {
    empty_ = true;
    dirty_ = true;
    xmin_ = ymin_ = xmax_ = ymax_ = 0;
    return S_OK;
}

HRESULT Envelope::PutCoords(double xmin, double ymin, double xmax, double ymax) {
    if (std::isnan(xmin) || std::isnan(ymin) || std::isnan(xmax) || std::isnan(ymax) || xmin > xmax || ymin > ymax)
        return E_INVALIDARG;
    xmin_ = xmin, ymin_ = ymin, xmax_ = xmax, ymax_ = ymax;
    empty_ = false;
    dirty_ = true;
    return S_OK;
}

HRESULT Envelope::QueryCoords(double* xmin, double* ymin, double* xmax, double* ymax) {
    if (!xmin || !ymin || !xmax || !ymax)
        return E_POINTER;
    Get(xmin_, xmin), Get(ymin_, ymin), Get(xmax_, xmax), Get(ymax_, ymax);
    return S_OK;
}

HRESULT Envelope::get_SpatialReference(ISpatialReference** spatialReference) {
    return spatialReference_.CopyTo(spatialReference);
}

HRESULT Envelope::putref_SpatialReference(ISpatialReference* spatialReference) {
    spatialReference_ = ComPtr<ISpatialReference>(spatialReference);
    dirty_ = true;
    return S_OK;
}

HRESULT Envelope::IsEqual(IEnvelope* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    VARIANT_BOOL otherEmpty = VARIANT_FALSE;
    double coords[4];
    if (FAILED(other->get_IsEmpty(&otherEmpty)) ||
        FAILED(other->QueryCoords(&coords[0], &coords[1], &coords[2], &coords[3])))
        return E_FAIL;
    bool same =
        empty_ ? otherEmpty != VARIANT_FALSE
               : !otherEmpty && coords[0] == xmin_ && coords[1] == ymin_ && coords[2] == xmax_ && coords[3] == ymax_;
    *equal = same ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT Envelope::Clone(IClone** clone) {
    if (HRESULT hr = ClearOut(clone); FAILED(hr))
        return hr;
    return guard([&] {
        auto copy = MakeObject<Envelope>();
        copy->empty_ = empty_, copy->xmin_ = xmin_, copy->ymin_ = ymin_, copy->xmax_ = xmax_, copy->ymax_ = ymax_;
        copy->spatialReference_ = spatialReference_;
        *clone = copy.Detach();
    });
}

HRESULT Envelope::Assign(IClone* source) {
    auto other = QueryAs<IEnvelope>(source);
    if (!other)
        return E_INVALIDARG;
    VARIANT_BOOL otherEmpty = VARIANT_FALSE;
    double c[4];
    ComPtr<ISpatialReference> spatialReference;
    if (FAILED(other->get_IsEmpty(&otherEmpty)) || FAILED(other->QueryCoords(&c[0], &c[1], &c[2], &c[3])) ||
        FAILED(other->get_SpatialReference(spatialReference.Out())))
        return E_FAIL;
    if (otherEmpty)
        SetEmpty();
    else
        xmin_ = c[0], ymin_ = c[1], xmax_ = c[2], ymax_ = c[3], empty_ = false;
    spatialReference_ = spatialReference;
    dirty_ = true;
    return S_OK;
}

HRESULT Envelope::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    auto envelope = QueryAs<IEnvelope>(other);
    return envelope ? IsEqual(envelope.Get(), equal) : S_OK;
}

HRESULT Envelope::IsIdentical(IClone* other, VARIANT_BOOL* identical) {
    if (!other || !identical)
        return E_POINTER;
    *identical = SameObject(static_cast<IEnvelope*>(this), other) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT Envelope::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        int16_t version = 0, empty = 0;
        double c[4];
        ComPtr<ISpatialReference> spatialReference;
        if (FAILED(AfStreamRead(stream, &version)) || version < 1 || version > 1)
            return E_FAIL;
        for (double* value : {&c[0], &c[1], &c[2], &c[3]})
            if (FAILED(AfStreamRead(stream, value)))
                return E_FAIL;
        if (FAILED(AfStreamRead(stream, &empty)) ||
            FAILED(LoadObject(stream, ISpatialReference::iid, spatialReference.OutVoid())))
            return E_FAIL;
        if (!empty && (std::isnan(c[0]) || std::isnan(c[1]) || std::isnan(c[2]) || std::isnan(c[3]) || c[0] > c[2] ||
                       c[1] > c[3]))
            return E_FAIL; // a rectangle no envelope could hold
        empty_ = empty != 0;
        xmin_ = empty_ ? 0 : c[0], ymin_ = empty_ ? 0 : c[1], xmax_ = empty_ ? 0 : c[2], ymax_ = empty_ ? 0 : c[3];
        spatialReference_ = spatialReference;
        dirty_ = false;
        return S_OK;
    });
}

HRESULT Envelope::Save(IStream* stream, int32_t clearDirty) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        HRESULT results[] = {AfStreamWrite(stream, int16_t{1}),
                             AfStreamWrite(stream, xmin_),
                             AfStreamWrite(stream, ymin_),
                             AfStreamWrite(stream, xmax_),
                             AfStreamWrite(stream, ymax_),
                             AfStreamWrite(stream, int16_t(empty_ ? -1 : 0)),
                             SaveObject(spatialReference_.Get(), stream, clearDirty != 0)};
        for (HRESULT hr : results)
            if (FAILED(hr))
                return E_FAIL;
        if (clearDirty)
            dirty_ = false;
        return S_OK;
    });
}

HRESULT Envelope::GetSizeMax(uint64_t* size) {
    if (!size)
        return E_POINTER;
    *size = 2 + 4 * 8 + 2 + 16 + 4096; // the spatial reference's text is rarely longer
    return S_OK;
}

namespace {

constexpr const char16_t* kXmlCoordinates[] = {u"XMin", u"YMin", u"XMax", u"YMax"};
constexpr const char16_t* kXmlSpatialReference = u"SpatialReference";

// The coordinate system of `spatialReference` for OSR, x east (or longitude) first; false when its text names none.
bool ToSrs(ISpatialReference* spatialReference, OGRSpatialReference& srs) {
    BStr wkt;
    if (FAILED(spatialReference->ExportToWKT(wkt.Out())) || wkt.empty())
        return false;
    std::string text = ToUtf8(wkt.view());
    if (srs.importFromWkt(text.c_str()) != OGRERR_NONE)
        return false;
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return true;
}

} // namespace

HRESULT Envelope::Serialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        data->put_TypeName(kClassName);
        data->put_TypeNamespaceURI(c_xml_ns_tavi);
        if (!empty_) {
            const double coordinates[] = {xmin_, ymin_, xmax_, ymax_};
            for (size_t i = 0; i < 4; ++i)
                if (HRESULT hr = data->AddDouble(kXmlCoordinates[i], coordinates[i]); FAILED(hr))
                    return hr;
        }
        // The spatial reference object's own XML form keeps its domains, tolerances and precision too.
        return spatialReference_ ? data->AddObject(kXmlSpatialReference, spatialReference_.Get()) : S_OK;
    });
}

HRESULT Envelope::Deserialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        double coordinates[4] = {};
        int found = 0;
        for (size_t i = 0; i < 4; ++i) {
            int32_t index = -1;
            data->Find(kXmlCoordinates[i], &index);
            if (index < 0)
                continue;
            if (FAILED(data->GetDouble(index, &coordinates[i])) || std::isnan(coordinates[i]))
                return E_FAIL;
            ++found;
        }
        ComPtr<ISpatialReference> spatialReference;
        if (FAILED(ReadSpatialReferenceElement(data, kXmlSpatialReference, &spatialReference)))
            return E_FAIL;
        if (found == 4 && (coordinates[0] > coordinates[2] || coordinates[1] > coordinates[3]))
            return E_FAIL;
        SetEmpty();
        if (found == 4)
            PutCoords(coordinates[0], coordinates[1], coordinates[2], coordinates[3]);
        spatialReference_ = std::move(spatialReference);
        return S_OK;
    });
}

HRESULT ProjectEnvelope(IEnvelope* envelope, ISpatialReference* target, IEnvelope** projected) {
    if (HRESULT hr = ClearOut(projected); FAILED(hr))
        return hr;
    if (!envelope || !target)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        VARIANT_BOOL empty = VARIANT_TRUE;
        envelope->get_IsEmpty(&empty);
        if (empty)
            return E_INVALIDARG;
        double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
        envelope->QueryCoords(&xmin, &ymin, &xmax, &ymax);
        ComPtr<ISpatialReference> source;
        envelope->get_SpatialReference(source.Out());
        VARIANT_BOOL same = VARIANT_FALSE;
        if (source && FAILED(source->IsSameCoordinateSystem(target, &same)))
            same = VARIANT_FALSE;
        if (source && !same) {
            OGRSpatialReference from, to;
            if (!ToSrs(source.Get(), from) || !ToSrs(target, to))
                return E_FAIL;
            std::unique_ptr<OGRCoordinateTransformation> transform(OGRCreateCoordinateTransformation(&from, &to));
            double outXmin = 0, outYmin = 0, outXmax = 0, outYmax = 0;
            if (!transform || !transform->TransformBounds(xmin, ymin, xmax, ymax, &outXmin, &outYmin, &outXmax,
                                                          &outYmax, kProjectionDensifyPoints))
                return E_FAIL;
            xmin = outXmin, ymin = outYmin, xmax = outXmax, ymax = outYmax;
        }
        if (!(xmax - xmin > 0) || !(ymax - ymin > 0) || !std::isfinite(xmax - xmin) || !std::isfinite(ymax - ymin))
            return E_FAIL;
        return CreateEnvelope(xmin, ymin, xmax, ymax, target, projected);
    });
}

HRESULT CreateEnvelope(IEnvelope** envelope) {
    if (HRESULT hr = ClearOut(envelope); FAILED(hr))
        return hr;
    return guard([&] { *envelope = MakeObject<Envelope>().Detach(); });
}

HRESULT CreateEnvelope(double xmin, double ymin, double xmax, double ymax, ISpatialReference* spatialReference,
                       IEnvelope** envelope) {
    if (HRESULT hr = ClearOut(envelope); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        auto created = MakeObject<Envelope>();
        if (HRESULT hr = created->PutCoords(xmin, ymin, xmax, ymax); FAILED(hr))
            return hr;
        created->putref_SpatialReference(spatialReference);
        *envelope = created.Detach();
        return S_OK;
    });
}

} // namespace tavi
