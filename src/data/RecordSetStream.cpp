// The stream form of record content: see RecordSetStream.h.
#include "data/RecordSetStream.h"

#include "host/StreamIO.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <optional>

namespace tavi {

namespace {

constexpr uint16_t kVersion = 1;
// Arrays travel in pieces of this size: a count that the stream cannot back makes room for one piece at most more
// than the stream holds.
constexpr size_t kChunkBytes = size_t{1} << 20;

// ---- Consistency ----

template <class T> bool Ascending(const std::vector<T>& offsets) {
    return std::is_sorted(offsets.begin(), offsets.end());
}

bool WellFormedColumn(const RecordColumn& c, size_t records) {
    if (c.field.type == taviFieldTypeGeometry || c.storage != StorageOf(c.field.type) || c.nulls.size() != records)
        return false;
    switch (c.storage) {
    case ColumnStorage::Integer:
    case ColumnStorage::Date:
        return c.integers.size() == records && c.reals.empty() && c.chars.empty() && c.textEnds.empty();
    case ColumnStorage::Real:
        return c.reals.size() == records && c.integers.empty() && c.chars.empty() && c.textEnds.empty();
    case ColumnStorage::Text:
        return c.textEnds.size() == records && c.integers.empty() && c.reals.empty() && Ascending(c.textEnds) &&
               (records == 0 ? c.chars.empty() : c.textEnds.back() == c.chars.size());
    }
    return false;
}

bool KnownShapeType(int32_t shapeType) {
    switch (shapeType) {
    case taviGeometryNull:
    case taviGeometryPoint:
    case taviGeometryMultipoint:
    case taviGeometryPolyline:
    case taviGeometryPolygon:
    case taviGeometryMultiPatch:
        return true;
    default:
        return false;
    }
}

// Per record: a null geometry has no parts, a point at most one point, and a set without a shape type no parts.
bool WellFormedRecords(const GeometryColumn& g) {
    for (size_t record = 0; record < g.Size(); ++record) {
        const size_t parts = g.PartCount(record);
        if ((g.nulls[record] || g.shapeType == taviGeometryNull) && parts != 0)
            return false;
        if (g.shapeType == taviGeometryPoint && parts > 0 &&
            (parts > 1 || g.partPoints[g.recordParts[record] + 1] - g.partPoints[g.recordParts[record]] > 1))
            return false;
    }
    return true;
}

bool WellFormedGeometry(const GeometryColumn& g, size_t records) {
    if (!KnownShapeType(g.shapeType) || g.nulls.size() != records || g.recordParts.size() != records + 1 ||
        g.partPoints.empty() || g.xy.size() % 2 != 0)
        return false;
    const size_t points = g.xy.size() / 2;
    if (g.z.size() != (g.hasZ ? points : 0) || g.m.size() != (g.hasM ? points : 0))
        return false;
    if (g.recordParts.front() != 0 || g.recordParts.back() != g.partPoints.size() - 1 || !Ascending(g.recordParts))
        return false;
    if (g.partPoints.front() != 0 || g.partPoints.back() != points || !Ascending(g.partPoints))
        return false;
    return WellFormedRecords(g);
}

// ---- Arrays ----

template <class T> void ToOrFromLittleEndian(T* values, size_t count) {
    if constexpr (std::endian::native == std::endian::big && sizeof(T) > 1) {
        for (size_t i = 0; i < count; ++i) {
            uint8_t bytes[sizeof(T)];
            std::memcpy(bytes, &values[i], sizeof(T));
            std::reverse(bytes, bytes + sizeof(T));
            std::memcpy(&values[i], bytes, sizeof(T));
        }
    }
}

template <class T> HRESULT WriteArray(IStream* stream, const T* values, size_t count) {
    constexpr size_t perChunk = kChunkBytes / sizeof(T);
    std::vector<T> swapped;
    for (size_t at = 0; at < count; at += perChunk) {
        const size_t n = std::min(perChunk, count - at);
        const T* piece = values + at;
        if constexpr (std::endian::native == std::endian::big && sizeof(T) > 1) {
            swapped.assign(piece, piece + n);
            ToOrFromLittleEndian(swapped.data(), n);
            piece = swapped.data();
        }
        if (FAILED(AfStreamWriteBytes(stream, piece, static_cast<ULONG>(n * sizeof(T)))))
            return E_FAIL;
    }
    return S_OK;
}

template <class T> HRESULT WriteArray(IStream* stream, const std::vector<T>& values) {
    return WriteArray(stream, values.data(), values.size());
}

// The bytes the stream holds after its position, when it tells.
std::optional<uint64_t> BytesLeft(IStream* stream) {
    uint64_t position = 0;
    STATSTG stat{};
    if (FAILED(stream->Seek(0, STREAM_SEEK_CUR, &position)) || FAILED(stream->Stat(&stat, STATFLAG_NONAME)))
        return std::nullopt;
    if (stat.pwcsName)
        SysFreeString(stat.pwcsName);
    return stat.cbSize > position ? stat.cbSize - position : 0;
}

// False when `count` elements of `size` bytes cannot be in what is left of the stream. True (room reserved as
// asked) when they can, or when the stream does not tell.
bool HasRoom(IStream* stream, uint64_t count, size_t size) {
    if (count > std::numeric_limits<uint64_t>::max() / size)
        return false;
    std::optional<uint64_t> left = BytesLeft(stream);
    return !left || count * size <= *left;
}

// Reads `count` elements into `out` (a vector or a string), piece by piece.
template <class Container> HRESULT ReadArray(IStream* stream, uint64_t count, Container& out) {
    using T = typename Container::value_type;
    out.clear();
    if (!HasRoom(stream, count, sizeof(T)) || count > out.max_size())
        return E_FAIL;
    if (BytesLeft(stream))
        out.reserve(static_cast<size_t>(count)); // checked against the stream's size just now
    constexpr size_t perChunk = kChunkBytes / sizeof(T);
    while (out.size() < count) {
        const size_t at = out.size();
        const size_t n = static_cast<size_t>(std::min<uint64_t>(perChunk, count - at));
        out.resize(at + n);
        if (FAILED(AfStreamReadBytes(stream, out.data() + at, static_cast<ULONG>(n * sizeof(T)))))
            return E_FAIL;
        ToOrFromLittleEndian(out.data() + at, n);
    }
    return S_OK;
}

HRESULT WriteBool(IStream* stream, bool value) {
    return AfStreamWrite(stream, static_cast<int16_t>(value ? -1 : 0));
}

HRESULT ReadBool(IStream* stream, bool& value) {
    int16_t stored = 0;
    if (FAILED(AfStreamRead(stream, &stored)))
        return E_FAIL;
    value = stored != 0;
    return S_OK;
}

bool AllSucceeded(std::initializer_list<HRESULT> results) {
    return std::all_of(results.begin(), results.end(), [](HRESULT hr) { return SUCCEEDED(hr); });
}

// ---- Save ----

HRESULT SaveField(IStream* stream, const FieldProperties& p) {
    bool ok = AllSucceeded({WriteString(stream, p.name), WriteString(stream, p.alias), AfStreamWrite(stream, p.type),
                            AfStreamWrite(stream, p.length), WriteBool(stream, p.nullable),
                            WriteBool(stream, p.editable), WriteBool(stream, p.required),
                            AfStreamWrite(stream, p.precision), AfStreamWrite(stream, p.scale)}) &&
              SUCCEEDED(SaveObject(p.rasterDef.Get(), stream, false));
    return ok ? S_OK : E_FAIL;
}

HRESULT SaveDescription(IStream* stream, const RecordData& data) {
    if (!AllSucceeded({AfStreamWrite(stream, kVersion), WriteString(stream, data.oidFieldName),
                       WriteString(stream, data.displayFieldName), WriteBool(stream, data.exceededTransferLimit),
                       AfStreamWrite(stream, static_cast<int32_t>(data.columns.size()))}))
        return E_FAIL;
    for (const RecordColumn& column : data.columns)
        if (FAILED(SaveField(stream, column.field)))
            return E_FAIL;
    if (FAILED(WriteBool(stream, data.hasGeometry)))
        return E_FAIL;
    if (!data.hasGeometry)
        return S_OK;
    const GeometryColumn& g = data.geometry;
    bool ok =
        AllSucceeded({WriteString(stream, g.fieldName), AfStreamWrite(stream, g.shapeType), WriteBool(stream, g.hasZ),
                      WriteBool(stream, g.hasM), AfStreamWrite(stream, data.geometryFieldIndex)}) &&
        SUCCEEDED(SaveObject(g.spatialReference.Get(), stream, false));
    return ok ? S_OK : E_FAIL;
}

HRESULT SaveColumn(IStream* stream, const RecordColumn& c) {
    if (FAILED(WriteArray(stream, c.nulls)))
        return E_FAIL;
    switch (c.storage) {
    case ColumnStorage::Integer:
    case ColumnStorage::Date:
        return WriteArray(stream, c.integers);
    case ColumnStorage::Real:
        return WriteArray(stream, c.reals);
    case ColumnStorage::Text:
        if (FAILED(AfStreamWrite(stream, static_cast<uint64_t>(c.chars.size()))) ||
            FAILED(WriteArray(stream, c.chars.data(), c.chars.size())))
            return E_FAIL;
        return WriteArray(stream, c.textEnds);
    }
    return E_FAIL;
}

HRESULT SaveGeometry(IStream* stream, const GeometryColumn& g) {
    bool ok =
        AllSucceeded({AfStreamWrite(stream, static_cast<uint64_t>(g.partPoints.size() - 1)),
                      AfStreamWrite(stream, static_cast<uint64_t>(g.xy.size() / 2))}) &&
        AllSucceeded({WriteArray(stream, g.recordParts), WriteArray(stream, g.partPoints), WriteArray(stream, g.xy),
                      WriteArray(stream, g.z), WriteArray(stream, g.m), WriteArray(stream, g.nulls)});
    return ok ? S_OK : E_FAIL;
}

// ---- Load ----

HRESULT LoadField(IStream* stream, FieldProperties& p) {
    if (!AllSucceeded({ReadString(stream, &p.name), ReadString(stream, &p.alias), AfStreamRead(stream, &p.type),
                       AfStreamRead(stream, &p.length), ReadBool(stream, p.nullable), ReadBool(stream, p.editable),
                       ReadBool(stream, p.required), AfStreamRead(stream, &p.precision),
                       AfStreamRead(stream, &p.scale)}) ||
        FAILED(LoadObject(stream, IRasterDef::iid, p.rasterDef.OutVoid())))
        return E_FAIL;
    bool known = p.type >= taviFieldTypeSmallInteger && p.type <= taviFieldTypeTimestampOffset;
    return known && p.type != taviFieldTypeGeometry && p.length >= 0 ? S_OK : E_FAIL;
}

HRESULT LoadDescription(IStream* stream, RecordData& data) {
    uint16_t version = 0;
    int32_t columns = 0;
    if (FAILED(AfStreamRead(stream, &version)) || version != kVersion ||
        !AllSucceeded({ReadString(stream, &data.oidFieldName), ReadString(stream, &data.displayFieldName),
                       ReadBool(stream, data.exceededTransferLimit), AfStreamRead(stream, &columns)}) ||
        columns < 0)
        return E_FAIL;
    // No room is made ahead: a count larger than the stream holds fails at its end.
    for (int32_t i = 0; i < columns; ++i) {
        RecordColumn& column = data.columns.emplace_back();
        if (FAILED(LoadField(stream, column.field)))
            return E_FAIL;
        column.storage = StorageOf(column.field.type);
    }
    if (FAILED(ReadBool(stream, data.hasGeometry)))
        return E_FAIL;
    if (!data.hasGeometry)
        return S_OK;
    GeometryColumn& g = data.geometry;
    bool ok =
        AllSucceeded({ReadString(stream, &g.fieldName), AfStreamRead(stream, &g.shapeType), ReadBool(stream, g.hasZ),
                      ReadBool(stream, g.hasM), AfStreamRead(stream, &data.geometryFieldIndex)}) &&
        SUCCEEDED(LoadObject(stream, ISpatialReference::iid, g.spatialReference.OutVoid()));
    return ok && data.geometryFieldIndex >= 0 && data.geometryFieldIndex <= columns ? S_OK : E_FAIL;
}

HRESULT LoadColumn(IStream* stream, uint64_t records, RecordColumn& c) {
    if (FAILED(ReadArray(stream, records, c.nulls)))
        return E_FAIL;
    switch (c.storage) {
    case ColumnStorage::Integer:
    case ColumnStorage::Date:
        return ReadArray(stream, records, c.integers);
    case ColumnStorage::Real:
        return ReadArray(stream, records, c.reals);
    case ColumnStorage::Text: {
        uint64_t bytes = 0;
        if (FAILED(AfStreamRead(stream, &bytes)) || FAILED(ReadArray(stream, bytes, c.chars)))
            return E_FAIL;
        return ReadArray(stream, records, c.textEnds);
    }
    }
    return E_FAIL;
}

HRESULT LoadGeometry(IStream* stream, uint64_t records, GeometryColumn& g) {
    uint64_t parts = 0, points = 0;
    if (FAILED(AfStreamRead(stream, &parts)) || FAILED(AfStreamRead(stream, &points)) ||
        records == std::numeric_limits<uint64_t>::max() || parts == std::numeric_limits<uint64_t>::max() ||
        points > std::numeric_limits<uint64_t>::max() / 2)
        return E_FAIL;
    bool ok = AllSucceeded({ReadArray(stream, records + 1, g.recordParts), ReadArray(stream, parts + 1, g.partPoints),
                            ReadArray(stream, points * 2, g.xy)});
    ok = ok && (!g.hasZ || SUCCEEDED(ReadArray(stream, points, g.z)));
    ok = ok && (!g.hasM || SUCCEEDED(ReadArray(stream, points, g.m)));
    return ok && SUCCEEDED(ReadArray(stream, records, g.nulls)) ? S_OK : E_FAIL;
}

} // namespace

bool IsWellFormed(const RecordData& data) {
    const size_t records = data.RecordCount();
    for (const RecordColumn& column : data.columns)
        if (!WellFormedColumn(column, records))
            return false;
    if (!data.hasGeometry)
        return true;
    return data.geometryFieldIndex >= 0 && static_cast<size_t>(data.geometryFieldIndex) <= data.columns.size() &&
           WellFormedGeometry(data.geometry, records);
}

HRESULT SaveRecordData(IStream* stream, const RecordData& data) {
    if (!stream)
        return E_POINTER;
    if (!IsWellFormed(data) || FAILED(SaveDescription(stream, data)) ||
        FAILED(AfStreamWrite(stream, static_cast<uint64_t>(data.RecordCount()))))
        return E_FAIL;
    for (const RecordColumn& column : data.columns)
        if (FAILED(SaveColumn(stream, column)))
            return E_FAIL;
    return data.hasGeometry ? SaveGeometry(stream, data.geometry) : S_OK;
}

HRESULT LoadRecordData(IStream* stream, RecordData& data) {
    if (!stream)
        return E_POINTER;
    uint64_t records = 0;
    if (FAILED(LoadDescription(stream, data)) || FAILED(AfStreamRead(stream, &records)))
        return E_FAIL;
    // Records need something to be held in.
    if (records > 0 && data.columns.empty() && !data.hasGeometry)
        return E_FAIL;
    for (RecordColumn& column : data.columns)
        if (FAILED(LoadColumn(stream, records, column)))
            return E_FAIL;
    if (data.hasGeometry && FAILED(LoadGeometry(stream, records, data.geometry)))
        return E_FAIL;
    return IsWellFormed(data) ? S_OK : E_FAIL;
}

} // namespace tavi
