// Geometries and dates of records: see RecordGeometry.h.
#include "data/RecordGeometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tavi {

namespace {

constexpr double kNoM = std::numeric_limits<double>::quiet_NaN();
constexpr int64_t kMillisecondsPerDay = 86400000;

size_t PointCount(const GeometryColumn& c) {
    return c.xy.size() / 2;
}

// Whether a column of `shapeType` takes a geometry of the (flat, linear) OGR kind.
bool Accepts(int32_t shapeType, OGRwkbGeometryType kind) {
    switch (shapeType) {
    case taviGeometryPoint:
        return kind == wkbPoint;
    case taviGeometryMultipoint:
        return kind == wkbPoint || kind == wkbMultiPoint;
    case taviGeometryPolyline:
        return kind == wkbLineString || kind == wkbMultiLineString;
    case taviGeometryPolygon:
        return kind == wkbPolygon || kind == wkbMultiPolygon;
    default:
        return false;
    }
}

// Gives the column Z or M when the geometry has them and the column has not: no coordinate is dropped.
void WidenFor(GeometryColumn& c, const OGRGeometry& geometry) {
    if (geometry.Is3D() && !c.hasZ) {
        c.hasZ = true;
        c.z.assign(PointCount(c), 0.0);
    }
    if (geometry.IsMeasured() && !c.hasM) {
        c.hasM = true;
        c.m.assign(PointCount(c), kNoM);
    }
}

void AppendPoint(GeometryColumn& c, const OGRPoint& point) {
    c.xy.push_back(point.getX());
    c.xy.push_back(point.getY());
    if (c.hasZ)
        c.z.push_back(point.Is3D() ? point.getZ() : 0.0);
    if (c.hasM)
        c.m.push_back(point.IsMeasured() ? point.getM() : kNoM);
}

// Appends the points of `curve` (the part is ended by the caller).
void AppendCurve(GeometryColumn& c, const OGRSimpleCurve& curve) {
    const size_t first = PointCount(c);
    const size_t n = static_cast<size_t>(curve.getNumPoints());
    c.xy.resize((first + n) * 2);
    if (c.hasZ)
        c.z.resize(first + n, 0.0);
    if (c.hasM)
        c.m.resize(first + n, kNoM);
    if (n == 0)
        return;
    constexpr int stride = static_cast<int>(2 * sizeof(double));
    curve.getPoints(&c.xy[first * 2], stride, &c.xy[first * 2 + 1], stride,
                    c.hasZ && curve.Is3D() ? &c.z[first] : nullptr, sizeof(double),
                    c.hasM && curve.IsMeasured() ? &c.m[first] : nullptr, sizeof(double));
}

void ReversePoints(GeometryColumn& c, size_t begin, size_t end) {
    for (size_t i = begin, j = end; i + 1 < j; ++i, --j) {
        std::swap(c.xy[2 * i], c.xy[2 * (j - 1)]);
        std::swap(c.xy[2 * i + 1], c.xy[2 * (j - 1) + 1]);
    }
    if (c.hasZ)
        std::reverse(c.z.begin() + static_cast<ptrdiff_t>(begin), c.z.begin() + static_cast<ptrdiff_t>(end));
    if (c.hasM)
        std::reverse(c.m.begin() + static_cast<ptrdiff_t>(begin), c.m.begin() + static_cast<ptrdiff_t>(end));
}

// Appends a polygon's rings as parts: the outer ring clockwise, the holes counterclockwise.
void AppendPolygon(GeometryColumn& c, const OGRPolygon& polygon) {
    bool outer = true;
    for (const OGRLinearRing* ring : polygon) {
        const size_t first = PointCount(c);
        AppendCurve(c, *ring);
        double area = RingArea2(c, first, PointCount(c));
        if ((outer && area > 0) || (!outer && area < 0))
            ReversePoints(c, first, PointCount(c));
        c.EndPart();
        outer = false;
    }
}

void AppendFlat(GeometryColumn& c, const OGRGeometry& geometry) {
    switch (wkbFlatten(geometry.getGeometryType())) {
    case wkbPoint:
        if (!geometry.IsEmpty()) {
            AppendPoint(c, *geometry.toPoint());
            c.EndPart();
        }
        break;
    case wkbMultiPoint:
        if (!geometry.IsEmpty()) {
            for (const OGRPoint* point : *geometry.toMultiPoint())
                if (!point->IsEmpty())
                    AppendPoint(c, *point);
            c.EndPart();
        }
        break;
    case wkbLineString:
        AppendCurve(c, *geometry.toLineString());
        c.EndPart();
        break;
    case wkbMultiLineString:
        for (const OGRLineString* path : *geometry.toMultiLineString()) {
            AppendCurve(c, *path);
            c.EndPart();
        }
        break;
    case wkbPolygon:
        AppendPolygon(c, *geometry.toPolygon());
        break;
    case wkbMultiPolygon:
        for (const OGRPolygon* polygon : *geometry.toMultiPolygon())
            AppendPolygon(c, *polygon);
        break;
    default:
        break;
    }
}

// Points [begin, end) of the column as the points of `curve`.
void SetCurvePoints(OGRSimpleCurve& curve, const GeometryColumn& c, uint64_t begin, uint64_t end) {
    if (end == begin)
        return;
    // OGRRawPoint is a pair of doubles, x then y: the interleaved coordinates are its array.
    static_assert(sizeof(OGRRawPoint) == 2 * sizeof(double));
    curve.setPoints(static_cast<int>(end - begin), reinterpret_cast<const OGRRawPoint*>(&c.xy[2 * begin]),
                    c.hasZ ? &c.z[begin] : nullptr, c.hasM ? &c.m[begin] : nullptr);
}

std::unique_ptr<OGRPoint> MakePoint(const GeometryColumn& c, uint64_t k) {
    auto point = std::make_unique<OGRPoint>(c.xy[2 * k], c.xy[2 * k + 1]);
    if (c.hasZ)
        point->setZ(c.z[k]);
    if (c.hasM)
        point->setM(c.m[k]);
    return point;
}

std::unique_ptr<OGRGeometry> MakeFlat(const GeometryColumn& c, uint64_t firstPart, uint64_t endPart) {
    const uint64_t firstPoint = c.partPoints[firstPart], endPoint = c.partPoints[endPart];
    switch (c.shapeType) {
    case taviGeometryPoint:
        if (endPoint > firstPoint)
            return MakePoint(c, firstPoint);
        return std::make_unique<OGRPoint>();
    case taviGeometryMultipoint: {
        auto points = std::make_unique<OGRMultiPoint>();
        for (uint64_t k = firstPoint; k < endPoint; ++k)
            points->addGeometryDirectly(MakePoint(c, k).release());
        return points;
    }
    case taviGeometryPolyline: {
        auto paths = std::make_unique<OGRMultiLineString>();
        for (uint64_t part = firstPart; part < endPart; ++part) {
            auto path = std::make_unique<OGRLineString>();
            SetCurvePoints(*path, c, c.partPoints[part], c.partPoints[part + 1]);
            paths->addGeometryDirectly(path.release());
        }
        return paths;
    }
    case taviGeometryPolygon:
    case taviGeometryMultiPatch: {
        auto polygons = std::make_unique<OGRMultiPolygon>();
        OGRPolygon* current = nullptr;
        for (uint64_t part = firstPart; part < endPart; ++part) {
            auto ring = std::make_unique<OGRLinearRing>();
            SetCurvePoints(*ring, c, c.partPoints[part], c.partPoints[part + 1]);
            if (!current || RingArea2(c, c.partPoints[part], c.partPoints[part + 1]) <= 0) {
                auto polygon = std::make_unique<OGRPolygon>();
                current = polygon.get();
                polygons->addGeometryDirectly(polygon.release());
            }
            current->addRingDirectly(ring.release());
        }
        return polygons;
    }
    default:
        return std::make_unique<OGRGeometryCollection>();
    }
}

int64_t FloorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back (H. Hinnant's civil calendar algorithms).
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t days, int& year, int& month, int& day) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t doe = days - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

} // namespace

double RingArea2(const GeometryColumn& c, uint64_t begin, uint64_t end) {
    if (end - begin < 3)
        return 0;
    // Relative to the first point, which a closed ring shares with its last, so that the sum loses no digits to
    // large coordinates and a reversed ring gives the opposite sign.
    const double x0 = c.xy[2 * begin], y0 = c.xy[2 * begin + 1];
    double sum = 0;
    for (uint64_t i = begin; i + 1 < end; ++i)
        sum += (c.xy[2 * i] - x0) * (c.xy[2 * i + 3] - y0) - (c.xy[2 * i + 2] - x0) * (c.xy[2 * i + 1] - y0);
    return sum;
}

HRESULT AppendGeometry(GeometryColumn& column, const OGRGeometry* geometry) {
    if (!geometry) {
        column.EndRecord(true);
        return S_OK;
    }
    std::unique_ptr<OGRGeometry> linear;
    if (OGR_GT_IsNonLinear(geometry->getGeometryType())) {
        linear.reset(geometry->getLinearGeometry());
        if (!linear)
            return DISP_E_TYPEMISMATCH;
        geometry = linear.get();
    }
    if (!Accepts(column.shapeType, wkbFlatten(geometry->getGeometryType())))
        return DISP_E_TYPEMISMATCH;
    WidenFor(column, *geometry);
    AppendFlat(column, *geometry);
    column.EndRecord();
    return S_OK;
}

std::unique_ptr<OGRGeometry> MakeOgrGeometry(const GeometryColumn& column, size_t record) {
    if (column.nulls[record])
        return nullptr;
    auto geometry = MakeFlat(column, column.recordParts[record], column.recordParts[record + 1]);
    geometry->set3D(column.hasZ);
    geometry->setMeasured(column.hasM);
    return geometry;
}

int64_t EpochMilliseconds(const DateTimeFields& f, int offsetMinutes) {
    int64_t days = DaysFromCivil(f.year, f.month, f.day);
    return days * kMillisecondsPerDay + (int64_t{f.hour} * 60 + f.minute - offsetMinutes) * 60000 +
           std::llround(f.second * 1000);
}

DateTimeFields DateTimeOf(int64_t milliseconds) {
    DateTimeFields f;
    const int64_t days = FloorDiv(milliseconds, kMillisecondsPerDay);
    const int64_t rest = milliseconds - days * kMillisecondsPerDay;
    CivilFromDays(days, f.year, f.month, f.day);
    f.hour = static_cast<int>(rest / 3600000);
    f.minute = static_cast<int>(rest / 60000 % 60);
    f.second = static_cast<double>(rest % 60000) / 1000.0;
    return f;
}

DATE DateOfEpochMilliseconds(int64_t milliseconds) {
    constexpr int64_t kEpochDay = 25569; // 1970-01-01 counted from 1899-12-30
    const int64_t days = FloorDiv(milliseconds, kMillisecondsPerDay);
    const double time = static_cast<double>(milliseconds - days * kMillisecondsPerDay) / kMillisecondsPerDay;
    const double day = static_cast<double>(days + kEpochDay);
    return day >= 0 ? day + time : day - time;
}

} // namespace tavi
