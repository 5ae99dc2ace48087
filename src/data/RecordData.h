// The content of an in-memory record set, stored column by column so that a million records cost what their values
// cost: one array per field, and for a feature set the coordinates of all geometries in flat arrays with offsets of
// parts and records. The record set object (RecordSet.h), the JSON reader and writer (RecordSetJson.h) and the
// service input layer share it; record sets share one RecordData between clones, as it never changes once built.
#pragma once

#include "data/Field.h"
#include "platform/ComPtr.h"
#include "tavi/DataAccess.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavi {

// How a column stores its values.
enum class ColumnStorage {
    Integer, // taviFieldTypeSmallInteger, Integer, OID, BigInteger
    Real,    // taviFieldTypeSingle, Double
    Date,    // taviFieldTypeDate: milliseconds since 1970-01-01 00:00 UTC, in `integers`
    Text,    // every other type: String, GUID, GlobalID, XML, DateOnly ("YYYY-MM-DD"), TimeOnly ("hh:mm:ss"),
             // TimestampOffset (ISO 8601 with offset), Blob (base64), Raster (its description)
};

// The storage of a field type (taviFieldTypeGeometry has no column: see GeometryColumn).
ColumnStorage StorageOf(int32_t fieldType);

// The values of one field. Exactly the array of the column's storage is used, one slot per record (texts: `chars`
// holds the UTF-8 texts one after the other, and record i's text is chars[textEnds[i-1], textEnds[i]) with
// textEnds[-1] taken as 0). `nulls` has one entry per record, nonzero for a null value; a null value's slot holds 0
// or an empty text.
struct RecordColumn {
    FieldProperties field;
    ColumnStorage storage = ColumnStorage::Text;
    std::vector<int64_t> integers;
    std::vector<double> reals;
    std::string chars;
    std::vector<uint64_t> textEnds;
    std::vector<uint8_t> nulls;

    bool IsNull(size_t record) const { return nulls[record] != 0; }
    std::string_view Text(size_t record) const {
        const uint64_t begin = record == 0 ? 0 : textEnds[record - 1];
        return std::string_view(chars).substr(begin, textEnds[record] - begin);
    }
    // Appends a value of the column's storage (the others are not checked).
    void AppendNull();
    void AppendInteger(int64_t value);
    void AppendReal(double value);
    void AppendText(std::string_view utf8);
    size_t Size() const { return nulls.size(); }
    void Reserve(size_t records);
};

// The geometries of a feature set. Record i's parts are parts [recordParts[i], recordParts[i+1]); part j's points are
// points [partPoints[j], partPoints[j+1]); point k is (xy[2k], xy[2k+1]) with z[k] and m[k] when the set has Z or M
// (NaN for a missing m). A point geometry is one part of one point, a multipoint one part of all its points, a
// polyline one part per path, a polygon one part per ring (outer rings clockwise, holes counterclockwise, as the
// JSON form has them). A null geometry has no parts; an empty one too, told apart by `nulls`.
struct GeometryColumn {
    String fieldName = u"Shape";
    int32_t shapeType = taviGeometryNull; // a taviGeometryType code
    bool hasZ = false;
    bool hasM = false;
    ComPtr<ISpatialReference> spatialReference; // null when the records name no coordinate system
    std::vector<uint64_t> recordParts{0};
    std::vector<uint64_t> partPoints{0};
    std::vector<double> xy;
    std::vector<double> z;
    std::vector<double> m;
    std::vector<uint8_t> nulls;

    size_t Size() const { return nulls.size(); }
    size_t PartCount(size_t record) const { return recordParts[record + 1] - recordParts[record]; }
    // Closes the current part after the points appended since the last one.
    void EndPart() { partPoints.push_back(xy.size() / 2); }
    // Closes the current record after the parts ended since the last one (null: no parts, marked null).
    void EndRecord(bool isNull = false) {
        recordParts.push_back(partPoints.size() - 1);
        nulls.push_back(isNull ? 1 : 0);
    }
};

// A record set's content: the attribute columns in field order, the object identifier field's name (empty when
// none; its column is among `columns`, of type taviFieldTypeOID), and for a feature set the geometries. The geometry
// field stands in the field list at `geometryFieldIndex` (as tables list it: after the object identifier field);
// -1 without geometry.
struct RecordData {
    std::vector<RecordColumn> columns;
    String oidFieldName;
    bool hasGeometry = false;
    GeometryColumn geometry;
    int32_t geometryFieldIndex = -1;
    // What a JSON form said besides the records, kept so that it is written back: "displayFieldName" and
    // "exceededTransferLimit".
    String displayFieldName;
    bool exceededTransferLimit = false;

    size_t RecordCount() const;
    // The field list as tables give it (IFields): the columns with the geometry field at geometryFieldIndex.
    int32_t FieldCount() const { return static_cast<int32_t>(columns.size()) + (hasGeometry ? 1 : 0); }
    // The column of field `fieldIndex`, or null for the geometry field.
    const RecordColumn* ColumnOfField(int32_t fieldIndex) const;
    // A new IFields of the field list.
    HRESULT MakeFields(IFields** fields) const;
    // Equal fields and values (reals bit for bit, so that NaN equals NaN), geometries and spatial references (by
    // coordinate system).
    bool operator==(const RecordData& other) const;
};

} // namespace tavi
