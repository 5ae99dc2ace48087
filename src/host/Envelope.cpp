// The host's envelope: see Envelope.h.
#include "host/Envelope.h"

#include <cmath>
#include <limits>

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
    xmin_ = ymin_ = xmax_ = ymax_ = 0;
    return S_OK;
}

HRESULT Envelope::PutCoords(double xmin, double ymin, double xmax, double ymax) {
    if (std::isnan(xmin) || std::isnan(ymin) || std::isnan(xmax) || std::isnan(ymax) || xmin > xmax || ymin > ymax)
        return E_INVALIDARG;
    xmin_ = xmin, ymin_ = ymin, xmax_ = xmax, ymax_ = ymax;
    empty_ = false;
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
