// Geometries between OGR and the flat arrays of a record set's GeometryColumn, and the dates of records between
// milliseconds since the epoch and calendar fields.
//
// Flattening (AppendGeometry): a point is one part of one point (an empty point no part), a multipoint one part of
// all its points, a line string or multi line string one part per path, a polygon or multi polygon one part per ring,
// polygon by polygon, with each outer ring turned clockwise and each hole counterclockwise (the orientation by the
// sign of the ring's area; a ring without area is left as it is). Curves are made linear first. Z and M are kept;
// a geometry without Z in a column with Z gets z 0, one without M gets NaN, and a geometry with Z or M in a column
// without them gives the column Z or M (earlier points get z 0 and m NaN), so that no coordinate is dropped.
//
// Rebuilding (MakeOgrGeometry) groups rings into polygons by the same orientation: a clockwise ring (or one without
// area) begins a polygon and the counterclockwise rings after it are its holes, so that flattening and rebuilding
// give the same coordinates in the same order.
#pragma once

#include "data/RecordData.h"

#include <ogr_geometry.h>

#include <cstdint>
#include <memory>

namespace tavi {

// Appends `geometry` (null: a null record) to `column` as its next record. DISP_E_TYPEMISMATCH (the column
// unchanged) for a geometry of another kind than the column's shape type (a point is taken by a multipoint column)
// or a kind records cannot hold (collections, surfaces of patches).
HRESULT AppendGeometry(GeometryColumn& column, const OGRGeometry* geometry);

// The geometry of record `record` in the column's kind: a point, a multipoint, a multi line string or a multi
// polygon with the column's Z and M (an empty geometry collection for shape type taviGeometryNull); null for a
// null record.
std::unique_ptr<OGRGeometry> MakeOgrGeometry(const GeometryColumn& column, size_t record);

// Twice the signed area of points [begin, end) of the column: negative for a clockwise ring.
double RingArea2(const GeometryColumn& column, uint64_t begin, uint64_t end);

// Calendar fields of a moment in UTC, the seconds with their milliseconds.
struct DateTimeFields {
    int year = 1970, month = 1, day = 1, hour = 0, minute = 0;
    double second = 0;
};

// Milliseconds since 1970-01-01 00:00 UTC of calendar fields that are `offsetMinutes` east of UTC.
int64_t EpochMilliseconds(const DateTimeFields& fields, int offsetMinutes = 0);
// The calendar fields in UTC of milliseconds since the epoch.
DateTimeFields DateTimeOf(int64_t milliseconds);
// A DATE (days since 30 December 1899; before it, the day counts backwards and the time forwards) of milliseconds
// since the epoch.
DATE DateOfEpochMilliseconds(int64_t milliseconds);

} // namespace tavi
