// The host's geometry objects: see Geometry.h.
#include "host/Geometry.h"

#include "host/Envelope.h"
#include "host/GdalSupport.h"
#include "host/SpatialReference.h"
#include "host/StreamIO.h"
#include "host/XmlNamespace.h"
#include "platform/BStr.h"
#include "platform/Utf.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace tavi {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Larger well-known binary in a stream is taken for damage, not read into memory.
constexpr int32_t kMaxStreamedBytes = 1 << 28;

VARIANT_BOOL ToBool(bool value) {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

template <class T> std::unique_ptr<T> Downcast(std::unique_ptr<OGRGeometry> geometry) {
    return std::unique_ptr<T>(static_cast<T*>(geometry.release()));
}

// Gives `part` the Z and M awareness of the geometry it is added to.
template <class T> T* Matching(T* part, const OGRGeometry& owner) {
    part->set3D(owner.Is3D());
    part->setMeasured(owner.IsMeasured());
    return part;
}

// The shortest text that reads back as exactly the same double, plain or with an exponent, whichever is shorter.
void AppendNumber(std::string& out, double value) {
    char buffer[32];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, error == std::errc() ? end : buffer);
}

void AppendVertex(std::string& out, double x, double y, double z, double m, bool hasZ, bool hasM) {
    AppendNumber(out, x);
    out += ' ';
    AppendNumber(out, y);
    if (hasZ) {
        out += ' ';
        AppendNumber(out, z);
    }
    if (hasM) {
        out += ' ';
        AppendNumber(out, m);
    }
}

void AppendCurve(std::string& out, const OGRSimpleCurve& curve, bool hasZ, bool hasM) {
    if (curve.IsEmpty()) {
        out += "EMPTY";
        return;
    }
    out += '(';
    for (int i = 0; i < curve.getNumPoints(); ++i) {
        if (i)
            out += ',';
        AppendVertex(out, curve.getX(i), curve.getY(i), curve.getZ(i), curve.getM(i), hasZ, hasM);
    }
    out += ')';
}

void AppendPolygon(std::string& out, const OGRPolygon& polygon, bool hasZ, bool hasM) {
    if (polygon.IsEmpty()) {
        out += "EMPTY";
        return;
    }
    out += '(';
    bool first = true;
    for (const OGRCurve* ring : polygon) {
        if (!first)
            out += ',';
        first = false;
        AppendCurve(out, *ring->toSimpleCurve(), hasZ, hasM);
    }
    out += ')';
}

// The tag and the dimension: "POINT ZM ".
std::string Head(const char* kind, const OGRGeometry& geometry) {
    std::string head = kind;
    if (geometry.Is3D() || geometry.IsMeasured())
        head += ' ';
    if (geometry.Is3D())
        head += 'Z';
    if (geometry.IsMeasured())
        head += 'M';
    return head + ' ';
}

// A multi geometry: written as its single kind when it has at most one part.
template <class Part, class Append>
std::string WriteMulti(const OGRGeometryCollection& multi, const char* single, const char* many, Append append) {
    bool hasZ = multi.Is3D(), hasM = multi.IsMeasured();
    int count = multi.getNumGeometries();
    if (count == 0)
        return Head(single, multi) + "EMPTY";
    if (count == 1) {
        std::string out = Head(single, multi);
        append(out, static_cast<const Part&>(*multi.getGeometryRef(0)), hasZ, hasM);
        return out;
    }
    std::string out = Head(many, multi) + "(";
    for (int i = 0; i < count; ++i) {
        if (i)
            out += ',';
        append(out, static_cast<const Part&>(*multi.getGeometryRef(i)), hasZ, hasM);
    }
    return out + ")";
}

bool FiniteCurve(const OGRSimpleCurve& curve, bool hasZ, bool hasM) {
    for (int i = 0; i < curve.getNumPoints(); ++i)
        if (!std::isfinite(curve.getX(i)) || !std::isfinite(curve.getY(i)) || (hasZ && !std::isfinite(curve.getZ(i))) ||
            (hasM && !std::isfinite(curve.getM(i))))
            return false;
    return true;
}

// False when a coordinate is infinite or not a number (an empty point's coordinates are not looked at).
bool Finite(const OGRGeometry& geometry) {
    bool hasZ = geometry.Is3D(), hasM = geometry.IsMeasured();
    switch (wkbFlatten(geometry.getGeometryType())) {
    case wkbPoint: {
        const auto& point = static_cast<const OGRPoint&>(geometry);
        return point.IsEmpty() || (std::isfinite(point.getX()) && std::isfinite(point.getY()) &&
                                   (!hasZ || std::isfinite(point.getZ())) && (!hasM || std::isfinite(point.getM())));
    }
    case wkbLineString:
    case wkbLinearRing:
        return FiniteCurve(static_cast<const OGRSimpleCurve&>(geometry), hasZ, hasM);
    case wkbPolygon:
        for (const OGRCurve* ring : static_cast<const OGRPolygon&>(geometry))
            if (!Finite(*ring))
                return false;
        return true;
    default:
        if (!OGR_GT_IsSubClassOf(geometry.getGeometryType(), wkbGeometryCollection))
            return true; // other kinds are refused by kind, not by coordinates
        for (const OGRGeometry* part : static_cast<const OGRGeometryCollection&>(geometry))
            if (!Finite(*part))
                return false;
        return true;
    }
}

// Reads well-known text into an OGR geometry. E_INVALIDARG for text that is not well-known text as a whole.
HRESULT ReadWkt(std::u16string_view text, std::unique_ptr<OGRGeometry>* geometry) {
    std::string wkt = ToUtf8(text);
    const char* cursor = wkt.c_str();
    OGRGeometry* read = nullptr;
    gdal::ErrorScope quiet;
    if (OGRGeometryFactory::createFromWkt(&cursor, nullptr, &read) != OGRERR_NONE || !read)
        return E_INVALIDARG;
    std::unique_ptr<OGRGeometry> owned(read);
    while (*cursor == ' ' || *cursor == '\t' || *cursor == '\r' || *cursor == '\n')
        ++cursor;
    if (*cursor || static_cast<size_t>(cursor - wkt.c_str()) != wkt.size())
        return E_INVALIDARG; // text after the geometry, or an embedded zero
    if (!Finite(*owned))
        return E_INVALIDARG; // coordinates that are no numbers
    *geometry = std::move(owned);
    return S_OK;
}

// Curves and surfaces become the linear kinds the geometry classes hold.
std::unique_ptr<OGRGeometry> Linear(const OGRGeometry& geometry) {
    if (OGR_GT_IsNonLinear(geometry.getGeometryType()))
        return std::unique_ptr<OGRGeometry>(geometry.getLinearGeometry());
    return std::unique_ptr<OGRGeometry>(geometry.clone());
}

template <class T> HRESULT MakeHolding(std::unique_ptr<OGRGeometry> held, ISpatialReference* sr, IGeometry** result) {
    auto object = MakeObject<T>();
    object->Reset(std::move(held));
    object->putref_SpatialReference(sr);
    return object.template As<IGeometry>().CopyTo(result);
}

} // namespace

std::string WriteWkt(const OGRGeometry& geometry) {
    bool hasZ = geometry.Is3D(), hasM = geometry.IsMeasured();
    switch (wkbFlatten(geometry.getGeometryType())) {
    case wkbPoint: {
        const auto& point = static_cast<const OGRPoint&>(geometry);
        std::string out = Head("POINT", geometry);
        if (point.IsEmpty())
            return out + "EMPTY";
        out += '(';
        AppendVertex(out, point.getX(), point.getY(), point.getZ(), point.getM(), hasZ, hasM);
        return out + ')';
    }
    case wkbLineString: {
        std::string out = Head("LINESTRING", geometry);
        AppendCurve(out, static_cast<const OGRSimpleCurve&>(geometry), hasZ, hasM);
        return out;
    }
    case wkbPolygon: {
        std::string out = Head("POLYGON", geometry);
        AppendPolygon(out, static_cast<const OGRPolygon&>(geometry), hasZ, hasM);
        return out;
    }
    case wkbMultiLineString:
        return WriteMulti<OGRSimpleCurve>(static_cast<const OGRGeometryCollection&>(geometry), "LINESTRING",
                                          "MULTILINESTRING", AppendCurve);
    case wkbMultiPolygon:
        return WriteMulti<OGRPolygon>(static_cast<const OGRGeometryCollection&>(geometry), "POLYGON", "MULTIPOLYGON",
                                      AppendPolygon);
    default: {
        OGRWktOptions options;
        options.variant = wkbVariantIso;
        options.precision = 17;
        options.round = false;
        return geometry.exportToWkt(options);
    }
    }
}

// --- GeometryObject ---

template <class D, class... O> HRESULT GeometryObject<D, O...>::get_GeometryType(int32_t* type) {
    if (!type)
        return E_POINTER;
    *type = D::kGeometryType;
    return S_OK;
}

template <class D, class... O> HRESULT GeometryObject<D, O...>::get_IsEmpty(VARIANT_BOOL* empty) {
    if (!empty)
        return E_POINTER;
    *empty = ToBool(geometry_->IsEmpty());
    return S_OK;
}

template <class D, class... O> HRESULT GeometryObject<D, O...>::get_ZAware(VARIANT_BOOL* aware) {
    if (!aware)
        return E_POINTER;
    *aware = ToBool(geometry_->Is3D());
    return S_OK;
}

template <class D, class... O> HRESULT GeometryObject<D, O...>::put_ZAware(VARIANT_BOOL aware) {
    return guard([&] {
        geometry_->set3D(aware != VARIANT_FALSE);
        dirty_ = true;
    });
}

template <class D, class... O> HRESULT GeometryObject<D, O...>::get_MAware(VARIANT_BOOL* aware) {
    if (!aware)
        return E_POINTER;
    *aware = ToBool(geometry_->IsMeasured());
    return S_OK;
}

template <class D, class... O> HRESULT GeometryObject<D, O...>::put_MAware(VARIANT_BOOL aware) {
    return guard([&] {
        geometry_->setMeasured(aware != VARIANT_FALSE);
        dirty_ = true;
    });
}

template <class D, class... O> HRESULT GeometryObject<D, O...>::get_Envelope(IEnvelope** envelope) {
    if (HRESULT hr = ClearOut(envelope); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        if (geometry_->IsEmpty()) {
            ComPtr<IEnvelope> empty;
            if (HRESULT hr = CreateEnvelope(empty.Out()); FAILED(hr))
                return hr;
            empty->putref_SpatialReference(spatialReference_.Get());
            *envelope = empty.Detach();
            return S_OK;
        }
        OGREnvelope extent;
        geometry_->getEnvelope(&extent);
        return CreateEnvelope(extent.MinX, extent.MinY, extent.MaxX, extent.MaxY, spatialReference_.Get(), envelope);
    });
}

template <class D, class... O>
HRESULT GeometryObject<D, O...>::get_SpatialReference(ISpatialReference** spatialReference) {
    return spatialReference_.CopyTo(spatialReference);
}

template <class D, class... O>
HRESULT GeometryObject<D, O...>::putref_SpatialReference(ISpatialReference* spatialReference) {
    spatialReference_ = ComPtr<ISpatialReference>(spatialReference);
    dirty_ = true;
    return S_OK;
}

template <class D, class... O> HRESULT GeometryObject<D, O...>::SetEmpty() {
    return guard([&] {
        geometry_->empty();
        dirty_ = true;
    });
}

template <class D, class... O> HRESULT GeometryObject<D, O...>::ExportToWKT(BSTR* wkt) {
    if (!wkt)
        return E_POINTER;
    *wkt = nullptr;
    return guard([&] { *wkt = BStr(FromUtf8(WriteWkt(*geometry_))).Detach(); });
}

template <class D, class... O> HRESULT GeometryObject<D, O...>::ImportFromWKT(const OLECHAR* wkt) {
    if (!wkt)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        std::unique_ptr<OGRGeometry> read;
        if (HRESULT hr = ReadWkt(wkt, &read); FAILED(hr))
            return hr;
        auto held = D::Normalize(std::move(read));
        if (!held)
            return DISP_E_TYPEMISMATCH;
        Reset(std::move(held));
        return S_OK;
    });
}

template <class D, class... O> HRESULT GeometryObject<D, O...>::Clone(IClone** clone) {
    if (HRESULT hr = ClearOut(clone); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        auto copy = MakeObject<D>();
        copy->Reset(std::unique_ptr<OGRGeometry>(geometry_->clone()));
        copy->putref_SpatialReference(spatialReference_.Get());
        return copy.template As<IClone>().CopyTo(clone);
    });
}

template <class D, class... O> HRESULT GeometryObject<D, O...>::Assign(IClone* source) {
    if (!source)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        ComPtr<IGeometry> other = QueryAs<IGeometry>(source);
        ComPtr<IGeometryAccess> access = QueryAs<IGeometryAccess>(source);
        int32_t type = 0;
        if (!other || !access || FAILED(other->get_GeometryType(&type)) || type != D::kGeometryType)
            return E_INVALIDARG;
        ComPtr<ISpatialReference> sr;
        other->get_SpatialReference(sr.Out());
        Reset(std::unique_ptr<OGRGeometry>(access->OgrGeometry().clone()));
        spatialReference_ = sr;
        return S_OK;
    });
}

template <class D, class... O> HRESULT GeometryObject<D, O...>::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    if (!other)
        return E_POINTER;
    return guard([&] {
        ComPtr<IGeometryAccess> access = QueryAs<IGeometryAccess>(other);
        *equal = ToBool(access && access->OgrGeometry().Equals(geometry_.get()));
    });
}

template <class D, class... O> HRESULT GeometryObject<D, O...>::IsIdentical(IClone* other, VARIANT_BOOL* identical) {
    if (!identical)
        return E_POINTER;
    *identical = VARIANT_FALSE;
    if (!other)
        return E_POINTER;
    return guard([&] { *identical = ToBool(SameObject(static_cast<IGeometry*>(this), other)); });
}

template <class D, class... O> HRESULT GeometryObject<D, O...>::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        int16_t version = 0;
        int32_t size = 0;
        if (FAILED(AfStreamRead(stream, &version)) || version != 1 || FAILED(AfStreamRead(stream, &size)) ||
            size <= 0 || size > kMaxStreamedBytes)
            return E_FAIL;
        std::vector<unsigned char> bytes(static_cast<size_t>(size));
        if (FAILED(AfStreamReadBytes(stream, bytes.data(), static_cast<ULONG>(size))))
            return E_FAIL;
        OGRGeometry* read = nullptr;
        size_t consumed = 0;
        gdal::ErrorScope quiet;
        if (OGRGeometryFactory::createFromWkb(bytes.data(), nullptr, &read, bytes.size(), wkbVariantIso, consumed) !=
                OGRERR_NONE ||
            !read)
            return E_FAIL;
        auto held = D::Normalize(std::unique_ptr<OGRGeometry>(read));
        if (!held || consumed != bytes.size() || !Finite(*held))
            return E_FAIL;
        ComPtr<ISpatialReference> sr;
        if (FAILED(LoadObject(stream, ISpatialReference::iid, sr.OutVoid())))
            return E_FAIL;
        geometry_ = std::move(held);
        spatialReference_ = sr;
        dirty_ = false;
        return S_OK;
    });
}

template <class D, class... O> HRESULT GeometryObject<D, O...>::Save(IStream* stream, int32_t clearDirty) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        std::vector<unsigned char> bytes(geometry_->WkbSize());
        if (geometry_->exportToWkb(wkbNDR, bytes.data(), wkbVariantIso) != OGRERR_NONE)
            return E_FAIL;
        HRESULT results[] = {AfStreamWrite(stream, int16_t{1}),
                             AfStreamWrite(stream, static_cast<int32_t>(bytes.size())),
                             AfStreamWriteBytes(stream, bytes.data(), static_cast<ULONG>(bytes.size())),
                             SaveObject(spatialReference_.Get(), stream, clearDirty != 0)};
        for (HRESULT hr : results)
            if (FAILED(hr))
                return E_FAIL;
        if (clearDirty)
            dirty_ = false;
        return S_OK;
    });
}

template <class D, class... O> HRESULT GeometryObject<D, O...>::GetSizeMax(uint64_t* size) {
    if (!size)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        uint64_t total = sizeof(int16_t) + sizeof(int32_t) + geometry_->WkbSize() + sizeof(GUID);
        if (auto persist = spatialReference_.As<IPersistStream>()) {
            uint64_t inner = 0;
            if (HRESULT hr = persist->GetSizeMax(&inner); FAILED(hr))
                return hr;
            total += inner;
        }
        *size = total;
        return S_OK;
    });
}

// --- Point ---

Point::Point() : GeometryObject(std::make_unique<OGRPoint>()) {}

std::unique_ptr<OGRGeometry> Point::Normalize(std::unique_ptr<OGRGeometry> geometry) {
    return wkbFlatten(geometry->getGeometryType()) == wkbPoint ? std::move(geometry) : nullptr;
}

HRESULT Point::get_X(double* x) {
    if (!x)
        return E_POINTER;
    *x = Held().IsEmpty() ? kNaN : Held().getX();
    return S_OK;
}

HRESULT Point::put_X(double x) {
    if (std::isnan(x))
        return E_INVALIDARG;
    if (Held().IsEmpty())
        Held().setY(0);
    Held().setX(x);
    Changed();
    return S_OK;
}

HRESULT Point::get_Y(double* y) {
    if (!y)
        return E_POINTER;
    *y = Held().IsEmpty() ? kNaN : Held().getY();
    return S_OK;
}

HRESULT Point::put_Y(double y) {
    if (std::isnan(y))
        return E_INVALIDARG;
    if (Held().IsEmpty())
        Held().setX(0);
    Held().setY(y);
    Changed();
    return S_OK;
}

HRESULT Point::get_Z(double* z) {
    if (!z)
        return E_POINTER;
    *z = Held().IsEmpty() || !Held().Is3D() ? kNaN : Held().getZ();
    return S_OK;
}

HRESULT Point::put_Z(double z) {
    if (std::isnan(z))
        return E_INVALIDARG;
    Held().setZ(z);
    Changed();
    return S_OK;
}

HRESULT Point::get_M(double* m) {
    if (!m)
        return E_POINTER;
    *m = Held().IsEmpty() || !Held().IsMeasured() ? kNaN : Held().getM();
    return S_OK;
}

HRESULT Point::put_M(double m) {
    if (std::isnan(m))
        return E_INVALIDARG;
    Held().setM(m);
    Changed();
    return S_OK;
}

HRESULT Point::PutCoords(double x, double y) {
    if (std::isnan(x) || std::isnan(y))
        return E_INVALIDARG;
    Held().setX(x);
    Held().setY(y);
    Changed();
    return S_OK;
}

HRESULT Point::QueryCoords(double* x, double* y) {
    if (!x || !y)
        return E_POINTER;
    bool empty = Held().IsEmpty();
    *x = empty ? kNaN : Held().getX();
    *y = empty ? kNaN : Held().getY();
    return empty ? E_FAIL : S_OK;
}

namespace {

constexpr const char16_t* kXmlSpatialReference = u"SpatialReference";

// An optional coordinate element: false when it is present but unreadable or not a finite number.
bool ReadCoordinate(IXMLSerializeData* data, const char16_t* name, std::optional<double>& value) {
    int32_t index = -1;
    data->Find(name, &index);
    if (index < 0)
        return true;
    double read = 0;
    if (FAILED(data->GetDouble(index, &read)) || !std::isfinite(read))
        return false;
    value = read;
    return true;
}

} // namespace

HRESULT Point::Serialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        data->put_TypeName(kClassName);
        data->put_TypeNamespaceURI(c_xml_ns_tavi);
        const OGRPoint& point = Held();
        if (!point.IsEmpty()) {
            HRESULT results[] = {data->AddDouble(u"X", point.getX()), data->AddDouble(u"Y", point.getY()),
                                 point.Is3D() ? data->AddDouble(u"Z", point.getZ()) : S_OK,
                                 point.IsMeasured() ? data->AddDouble(u"M", point.getM()) : S_OK};
            for (HRESULT hr : results)
                if (FAILED(hr))
                    return hr;
        }
        ComPtr<ISpatialReference> spatialReference;
        get_SpatialReference(spatialReference.Out());
        // A spatial reference without an XML form of its own cannot be written as an object.
        if (!QueryAs<IXMLSerialize>(spatialReference.Get()))
            return S_OK;
        return data->AddObject(kXmlSpatialReference, spatialReference.Get());
    });
}

HRESULT Point::Deserialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        std::optional<double> x, y, z, m;
        if (!ReadCoordinate(data, u"X", x) || !ReadCoordinate(data, u"Y", y) || !ReadCoordinate(data, u"Z", z) ||
            !ReadCoordinate(data, u"M", m) || x.has_value() != y.has_value() || ((z || m) && !x))
            return E_FAIL;
        ComPtr<ISpatialReference> spatialReference;
        if (FAILED(ReadSpatialReferenceElement(data, kXmlSpatialReference, &spatialReference)))
            return E_FAIL;
        auto point = std::make_unique<OGRPoint>();
        if (x) {
            point->setX(*x);
            point->setY(*y);
        }
        if (z)
            point->setZ(*z);
        if (m)
            point->setM(*m);
        Reset(std::move(point));
        putref_SpatialReference(spatialReference.Get());
        return S_OK;
    });
}

// --- MultiPartGeometry ---

template <class D, class... O> HRESULT MultiPartGeometry<D, O...>::get_PointCount(int32_t* count) {
    if (!count)
        return E_POINTER;
    return guard([&] {
        int64_t total = 0;
        for (const OGRSimpleCurve* curve : Parts())
            total += curve->getNumPoints();
        *count = static_cast<int32_t>(total);
    });
}

template <class D, class... O> HRESULT MultiPartGeometry<D, O...>::get_Point(int32_t index, IPoint** point) {
    if (HRESULT hr = ClearOut(point); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        if (index < 0)
            return E_INVALIDARG;
        for (const OGRSimpleCurve* curve : Parts()) {
            if (index >= curve->getNumPoints()) {
                index -= curve->getNumPoints();
                continue;
            }
            auto vertex = std::make_unique<OGRPoint>(curve->getX(index), curve->getY(index));
            if (this->geometry_->Is3D())
                vertex->setZ(curve->getZ(index));
            if (this->geometry_->IsMeasured())
                vertex->setM(curve->getM(index));
            auto object = MakeObject<Point>();
            object->Reset(std::move(vertex));
            *point = object.Detach();
            return S_OK;
        }
        return E_INVALIDARG;
    });
}

template <class D, class... O> HRESULT MultiPartGeometry<D, O...>::AddPoint(IPoint* point) {
    if (!point)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        double x = kNaN, y = kNaN, z = kNaN, m = kNaN;
        if (FAILED(point->QueryCoords(&x, &y)) || std::isnan(x) || std::isnan(y))
            return E_INVALIDARG;
        point->get_Z(&z);
        point->get_M(&m);
        bool hasZ = this->geometry_->Is3D(), hasM = this->geometry_->IsMeasured();
        z = hasZ && !std::isnan(z) ? z : 0;
        m = hasM && !std::isnan(m) ? m : 0;
        OGRSimpleCurve* curve = static_cast<D*>(this)->LastCurve();
        int at = curve->getNumPoints();
        if (hasZ && hasM)
            curve->setPoint(at, x, y, z, m);
        else if (hasZ)
            curve->setPoint(at, x, y, z);
        else if (hasM)
            curve->setPointM(at, x, y, m);
        else
            curve->setPoint(at, x, y);
        this->Changed();
        return S_OK;
    });
}

template <class D, class... O> HRESULT MultiPartGeometry<D, O...>::PartCount(int32_t* count) {
    if (!count)
        return E_POINTER;
    return guard([&] { *count = static_cast<int32_t>(Parts().size()); });
}

template <class D, class... O> HRESULT MultiPartGeometry<D, O...>::PartPointCount(int32_t index, int32_t* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return guard([&]() -> HRESULT {
        auto parts = Parts();
        if (index < 0 || static_cast<size_t>(index) >= parts.size())
            return E_INVALIDARG;
        *count = parts[index]->getNumPoints();
        return S_OK;
    });
}

// --- Polyline ---

Polyline::Polyline() : MultiPartGeometry(std::make_unique<OGRMultiLineString>()) {}

std::unique_ptr<OGRGeometry> Polyline::Normalize(std::unique_ptr<OGRGeometry> geometry) {
    switch (wkbFlatten(geometry->getGeometryType())) {
    case wkbMultiLineString:
        return geometry;
    case wkbLineString: {
        auto multi = std::make_unique<OGRMultiLineString>();
        Matching(multi.get(), *geometry);
        if (!geometry->IsEmpty()) // an empty single shape is no part
            multi->addGeometryDirectly(geometry.release());
        return multi;
    }
    default:
        return nullptr;
    }
}

std::vector<OGRSimpleCurve*> Polyline::Curves() const {
    std::vector<OGRSimpleCurve*> curves;
    for (int i = 0; i < Held().getNumGeometries(); ++i)
        curves.push_back(Held().getGeometryRef(i)->toSimpleCurve());
    return curves;
}

OGRSimpleCurve* Polyline::LastCurve() {
    if (Held().getNumGeometries() == 0)
        Held().addGeometryDirectly(Matching(new OGRLineString, Held()));
    return Held().getGeometryRef(Held().getNumGeometries() - 1)->toSimpleCurve();
}

HRESULT Polyline::StartPath() {
    return guard([&] {
        Held().addGeometryDirectly(Matching(new OGRLineString, Held()));
        Changed();
    });
}

HRESULT Polyline::get_Length(double* length) {
    if (!length)
        return E_POINTER;
    return guard([&] { *length = Held().get_Length(); });
}

// --- Polygon ---

Polygon::Polygon() : MultiPartGeometry(std::make_unique<OGRMultiPolygon>()) {}

std::unique_ptr<OGRGeometry> Polygon::Normalize(std::unique_ptr<OGRGeometry> geometry) {
    switch (wkbFlatten(geometry->getGeometryType())) {
    case wkbMultiPolygon:
        return geometry;
    case wkbPolygon: {
        auto multi = std::make_unique<OGRMultiPolygon>();
        Matching(multi.get(), *geometry);
        if (!geometry->IsEmpty()) // an empty single shape is no part
            multi->addGeometryDirectly(geometry.release());
        return multi;
    }
    default:
        return nullptr;
    }
}

std::vector<OGRSimpleCurve*> Polygon::Curves() const {
    std::vector<OGRSimpleCurve*> curves;
    for (int i = 0; i < Held().getNumGeometries(); ++i)
        for (OGRCurve* ring : *Held().getGeometryRef(i))
            curves.push_back(ring->toSimpleCurve());
    return curves;
}

OGRSimpleCurve* Polygon::LastCurve() {
    int parts = Held().getNumGeometries();
    if (parts == 0 || Held().getGeometryRef(parts - 1)->IsEmpty())
        StartRing();
    return Curves().back();
}

HRESULT Polygon::StartRing() {
    return guard([&] {
        if (Held().getNumGeometries() == 0)
            Held().addGeometryDirectly(Matching(new OGRPolygon, Held()));
        OGRPolygon* last = Held().getGeometryRef(Held().getNumGeometries() - 1);
        last->addRingDirectly(Matching(new OGRLinearRing, Held()));
        Changed();
    });
}

HRESULT Polygon::Close() {
    return guard([&] {
        for (OGRSimpleCurve* ring : Curves())
            if (ring->getNumPoints() > 0 && !ring->get_IsClosed()) {
                OGRPoint first;
                ring->StartPoint(&first);
                int at = ring->getNumPoints();
                ring->setPoint(at, &first);
            }
        Changed();
    });
}

HRESULT Polygon::get_Area(double* area) {
    if (!area)
        return E_POINTER;
    return guard([&] { *area = Held().get_Area(); });
}

template class GeometryObject<Point, IPoint, IXMLSerialize>;
template class GeometryObject<Polyline, IPointCollection, IPolyline>;
template class GeometryObject<Polygon, IPointCollection, IPolygon>;
template class MultiPartGeometry<Polyline, IPolyline>;
template class MultiPartGeometry<Polygon, IPolygon>;

// --- Conversions ---

HRESULT MakeGeometry(const OGRGeometry& geometry, ISpatialReference* spatialReference, IGeometry** result) {
    if (HRESULT hr = ClearOut(result); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        std::unique_ptr<OGRGeometry> linear = Linear(geometry);
        if (!linear)
            return DISP_E_TYPEMISMATCH;
        switch (wkbFlatten(linear->getGeometryType())) {
        case wkbPoint:
            return MakeHolding<Point>(Point::Normalize(std::move(linear)), spatialReference, result);
        case wkbLineString:
        case wkbMultiLineString:
            return MakeHolding<Polyline>(Polyline::Normalize(std::move(linear)), spatialReference, result);
        case wkbPolygon:
        case wkbMultiPolygon:
            return MakeHolding<Polygon>(Polygon::Normalize(std::move(linear)), spatialReference, result);
        default:
            return DISP_E_TYPEMISMATCH;
        }
    });
}

HRESULT CreateGeometryFromWKT(std::u16string_view wkt, IGeometry** result) {
    if (HRESULT hr = ClearOut(result); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        std::unique_ptr<OGRGeometry> read;
        if (HRESULT hr = ReadWkt(wkt, &read); FAILED(hr))
            return hr;
        return MakeGeometry(*read, nullptr, result);
    });
}

HRESULT CopyOgrGeometry(IGeometry* geometry, std::unique_ptr<OGRGeometry>* copy) {
    if (!geometry || !copy)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        if (auto access = QueryAs<IGeometryAccess>(geometry)) {
            *copy = std::unique_ptr<OGRGeometry>(access->OgrGeometry().clone());
            return S_OK;
        }
        BStr text;
        if (HRESULT hr = geometry->ExportToWKT(text.Out()); FAILED(hr))
            return hr;
        return ReadWkt(text.view(), copy);
    });
}

} // namespace tavi
