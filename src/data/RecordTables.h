// Record content read from and written to tables through OGR, straight between the layer and the columns (no row
// objects, no variants), so that a table of a million rows is read and written at the pace of OGR itself.
//
// Reading takes the fields as the table lists them: the object identifier first (the feature identifiers), then the
// shape, then the attributes in stored order. Integers, reals, texts (UTF-8) and nulls are taken as stored; dates,
// times and date-times become milliseconds since 1970-01-01 UTC (a time without a date lies on 30 December 1899, a
// value with a time zone is moved to UTC, one without is taken as UTC); binary values become base64 text; lists their
// OGR text form. Only the first geometry field is read (a table has one shape field). Geometries are flattened as
// RecordGeometry.h says; the shape type, Z and M come from the layer (a layer of no declared kind takes the kind of its
// first geometry), the spatial reference from its geometry field.
//
// Writing creates the table through IWorkspace (CreateTable, or CreateFeatureClass with the shape type, Z, M and
// spatial reference), which makes its own object identifiers and names its own shape field: the records' identifier
// column is not written. All
// records go in within one transaction where the dataset has them (a GeoPackage's own, a file database's emulated
// one); on any failure the transaction is rolled back and the new table is removed, so nothing is left behind.
// What each format keeps is what GDAL writes:
//   GeoPackage, memory   every field type, null, date-time (to the millisecond, as UTC) and coordinate;
//   shapefile (.shp/.dbf) field names cut to 10 characters; dates as the date only (the time of day is dropped);
//                        numbers as decimal text in fields of a fixed width, which GDAL widens where an integer or
//                        a text needs it: a 32-bit integer field that grows past 9 digits reads back as a 64-bit
//                        integer field, a 64-bit one that grows past 18 digits as a real field; reals with 15
//                        decimals in 24 characters; texts up to 254 bytes. A value that does not fit (GDAL warns and
//                        would write something else) fails the write with DISP_E_OVERFLOW. An empty text reads back
//                        as null. GDAL reads a hole whose z values are not level back as a polygon of its own.
#pragma once

#include "data/RecordData.h"

namespace tavi {

// Reads every record of `table` that satisfies `whereClause` (null or empty for all) into `data` (a fresh
// RecordData; the caller discards it on failure). `table` is a table or feature class of this data access, or any
// data element whose catalog path opens as one (a table description). E_INVALIDARG for anything else and for a
// clause the layer refuses; DISP_E_TYPEMISMATCH for a geometry of another kind than the layer's (or one records
// cannot hold); GDAL's read failures as their result codes.
HRESULT ReadRecordTable(IUnknown* table, const OLECHAR* whereClause, RecordData& data);

// Writes `data` into a new table `name` of `workspace` and hands it out. The failure codes of IWorkspace's
// CreateTable and CreateFeatureClass; DISP_E_OVERFLOW for a value the table's field cannot hold (an integer beyond a
// 32-bit field, a number wider than a shapefile's field); E_INVALIDARG for a text holding a zero character; GDAL's
// write failures as their result codes.
HRESULT WriteRecordTable(const RecordData& data, IWorkspace* workspace, const OLECHAR* name, ITable** table);

} // namespace tavi
