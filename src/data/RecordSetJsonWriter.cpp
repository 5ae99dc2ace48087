// The writers of the JSON form of record and feature sets and of GeoJSON (RecordSetJson.h): a streaming writer that
// appends to one reserved string. Numbers are std::to_chars' shortest text that reads back to the same double; texts
// are escaped as JSON needs and ill-formed UTF-8 is replaced, so that the output is always JSON that reads back.
#include "data/RecordSetJson.h"

#include "host/SpatialReference.h"
#include "platform/Utf.h"
#include "tavi/RecordSet.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace tavi {

namespace {

// Appends `text` as a JSON string: quotes, backslashes and control characters escaped, UTF-8 passed through, and
// each byte that is not part of well-formed UTF-8 replaced by U+FFFD.
void AppendQuoted(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const size_t size = text.size();
    size_t run = 0; // start of the bytes not yet appended
    size_t at = 0;
    while (at < size) {
        const unsigned char c = bytes[at];
        if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\') {
            ++at;
            continue;
        }
        if (c >= 0x80) {
            // The length of a well-formed sequence starting here, 0 when there is none.
            size_t length = 0;
            const size_t left = size - at;
            auto continuation = [&](size_t i) { return (bytes[at + i] & 0xC0) == 0x80; };
            if (c >= 0xC2 && c <= 0xDF) {
                length = left >= 2 && continuation(1) ? 2 : 0;
            } else if (c >= 0xE0 && c <= 0xEF) {
                if (left >= 3 && continuation(1) && continuation(2)) {
                    const unsigned char second = bytes[at + 1];
                    const bool overlong = c == 0xE0 && second < 0xA0;
                    const bool surrogate = c == 0xED && second >= 0xA0;
                    length = overlong || surrogate ? 0 : 3;
                }
            } else if (c >= 0xF0 && c <= 0xF4) {
                if (left >= 4 && continuation(1) && continuation(2) && continuation(3)) {
                    const unsigned char second = bytes[at + 1];
                    const bool overlong = c == 0xF0 && second < 0x90;
                    const bool beyond = c == 0xF4 && second >= 0x90;
                    length = overlong || beyond ? 0 : 4;
                }
            }
            if (length > 0) {
                at += length;
                continue;
            }
            out.append(text.data() + run, at - run);
            out += "\xEF\xBF\xBD";
            run = ++at;
            continue;
        }
        out.append(text.data() + run, at - run);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        default: {
            const char escape[] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 0xF]};
            out.append(escape, sizeof escape);
            break;
        }
        }
        run = ++at;
    }
    out.append(text.data() + run, size - run);
    out += '"';
}

void AppendInteger(std::string& out, int64_t value) {
    char buffer[24];
    auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    out.append(buffer, static_cast<size_t>(end - buffer));
}

// A finite double, shortest round trip ("-0" keeps its sign: the reader reads it as -0.0). `marked` adds ".0" to a
// text that would read as an integer, so that readers that guess types from values see a real.
void AppendFinite(std::string& out, double value, bool marked) {
    char buffer[40];
    char* end = std::to_chars(buffer, buffer + 32, value).ptr;
    if (marked && std::find_if(buffer, end, [](char c) { return c == '.' || c == 'e'; }) == end) {
        *end++ = '.';
        *end++ = '0';
    }
    out.append(buffer, static_cast<size_t>(end - buffer));
}

// How a double is written where a number stands: what stands for one that is not finite, and whether an integral
// value is marked as a real.
enum class NonFinite {
    Texts,      // "NaN", "Infinity", "-Infinity", marked: attribute values, which the reader reads back
    NullForNaN, // NaN as null (no value), infinities as texts: coordinates
    Null,       // null: GeoJSON coordinates, as GeoJSON has no such numbers
    NullMarked, // null, marked: GeoJSON attribute values
};

void AppendReal(std::string& out, double value, NonFinite nonFinite) {
    if (std::isfinite(value)) {
        AppendFinite(out, value, nonFinite == NonFinite::Texts || nonFinite == NonFinite::NullMarked);
    } else if (nonFinite == NonFinite::Null || nonFinite == NonFinite::NullMarked ||
               (std::isnan(value) && nonFinite == NonFinite::NullForNaN)) {
        out += "null";
    } else if (std::isnan(value)) {
        out += "\"NaN\"";
    } else {
        out += value > 0 ? "\"Infinity\"" : "\"-Infinity\"";
    }
}

// The structure of a JSON text, compact or pretty (one member or element per line, indented by 2), with commas
// where they belong. Positions (coordinate arrays) stay on one line either way.
class JsonOut {
public:
    JsonOut(std::string& out, bool pretty) : out_(out), pretty_(pretty) {}

    std::string& Out() { return out_; }

    void BeginObject() { Open('{'); }
    void EndObject() { Close('}'); }
    void BeginArray() { Open('['); }
    void EndArray() { Close(']'); }

    void Key(std::string_view name) {
        BeforeValue();
        AppendQuoted(out_, name);
        out_ += pretty_ ? ": " : ":";
        afterKey_ = true;
    }
    // A key already quoted and escaped (QuotedKey), for names written once per record.
    void QuotedKeyRaw(std::string_view quoted) {
        BeforeValue();
        out_.append(quoted);
        out_ += pretty_ ? ": " : ":";
        afterKey_ = true;
    }

    void Null() {
        BeforeValue();
        out_ += "null";
    }
    void Bool(bool value) {
        BeforeValue();
        out_ += value ? "true" : "false";
    }
    void Integer(int64_t value) {
        BeforeValue();
        AppendInteger(out_, value);
    }
    void Real(double value, NonFinite nonFinite) {
        BeforeValue();
        AppendReal(out_, value, nonFinite);
    }
    void Text(std::string_view utf8) {
        BeforeValue();
        AppendQuoted(out_, utf8);
    }
    // [c0, c1, ...] on one line.
    void Position(const double* coordinates, int count, NonFinite nonFinite) {
        BeforeValue();
        out_ += '[';
        for (int i = 0; i < count; ++i) {
            if (i > 0)
                out_ += pretty_ ? ", " : ",";
            AppendReal(out_, coordinates[i], nonFinite);
        }
        out_ += ']';
    }

private:
    void BeforeValue() {
        if (afterKey_) {
            afterKey_ = false;
            return;
        }
        if (depth_ == 0)
            return;
        if (!first_)
            out_ += ',';
        first_ = false;
        if (pretty_)
            NewLine();
    }
    void Open(char bracket) {
        BeforeValue();
        out_ += bracket;
        ++depth_;
        first_ = true;
    }
    // After a container closes, the one around it holds at least that container: it is no longer at its first value.
    void Close(char bracket) {
        --depth_;
        if (pretty_ && !first_)
            NewLine();
        out_ += bracket;
        first_ = false;
    }
    void NewLine() {
        out_ += '\n';
        out_.append(static_cast<size_t>(depth_) * 2, ' ');
    }

    std::string& out_;
    const bool pretty_;
    int depth_ = 0;
    bool first_ = true;
    bool afterKey_ = false;
};

std::string QuotedKey(const String& name) {
    std::string quoted;
    AppendQuoted(quoted, ToUtf8(name));
    return quoted;
}

// Room for the text, roughly, so that a large set is written without moving what was written.
size_t EstimatedSize(const RecordData& data) {
    size_t size = 256;
    for (const RecordColumn& column : data.columns)
        size += 64 + column.chars.size() + column.nulls.size() * (column.field.name.size() + 24);
    if (data.hasGeometry) {
        const GeometryColumn& geometry = data.geometry;
        size += geometry.nulls.size() * 32 + geometry.partPoints.size() * 4;
        size += (geometry.xy.size() + geometry.z.size() + geometry.m.size()) * 20;
    }
    return size;
}

// Where the geometry field stands when the form need not say: after the object identifier field, or first.
int32_t DefaultGeometryIndex(const RecordData& data) {
    int32_t index = 0;
    for (size_t column = 0; column < data.columns.size(); ++column)
        if (data.columns[column].field.type == taviFieldTypeOID)
            index = static_cast<int32_t>(column) + 1;
    return index;
}

// {"wkid": code} when the code alone gives the same coordinate system back (a compound system's code is that of its
// horizontal part, which does not), else {"wkt": text}.
void WriteSpatialReference(JsonOut& json, ISpatialReference* spatialReference) {
    int32_t code = 0;
    if (FAILED(spatialReference->get_FactoryCode(&code)))
        code = 0;
    if (code != 0) {
        ComPtr<ISpatialReference> byCode;
        VARIANT_BOOL same = VARIANT_FALSE;
        if (FAILED(CreateSpatialReferenceFromText(FromUtf8(std::to_string(code)), byCode.Out())) ||
            FAILED(byCode->IsSameCoordinateSystem(spatialReference, &same)) || same != VARIANT_TRUE)
            code = 0;
    }
    BStr wkt;
    if (code == 0 && (FAILED(spatialReference->ExportToWKT(wkt.Out())) || wkt.str().empty()))
        return; // a coordinate system that can be told neither way is left out
    json.Key("spatialReference");
    json.BeginObject();
    if (code != 0) {
        json.Key("wkid");
        json.Integer(code);
    } else {
        json.Key("wkt");
        json.Text(ToUtf8(wkt.str()));
    }
    json.EndObject();
}

void WriteField(JsonOut& json, const FieldProperties& field, bool aliases) {
    json.BeginObject();
    json.Key("name");
    json.Text(ToUtf8(field.name));
    json.Key("type");
    const char* type = FieldTypeJsonName(field.type);
    json.Text(type ? type : "taviFieldTypeString");
    if (aliases && !field.alias.empty()) {
        json.Key("alias");
        json.Text(ToUtf8(field.alias));
    }
    if (field.length != 0) {
        json.Key("length");
        json.Integer(field.length);
    }
    if (field.precision != 0) {
        json.Key("precision");
        json.Integer(field.precision);
    }
    if (field.scale != 0) {
        json.Key("scale");
        json.Integer(field.scale);
    }
    if (!field.nullable) {
        json.Key("nullable");
        json.Bool(false);
    }
    if (!field.editable) {
        json.Key("editable");
        json.Bool(false);
    }
    if (field.required) {
        json.Key("required");
        json.Bool(true);
    }
    json.EndObject();
}

// The coordinates of a point, as many as the output holds: x, y, then z and m when written.
struct PointLayout {
    bool z = false;
    bool m = false;
    int Count() const { return 2 + (z ? 1 : 0) + (m ? 1 : 0); }
};

int Gather(const GeometryColumn& geometry, size_t point, PointLayout layout, double* coordinates) {
    int count = 0;
    coordinates[count++] = geometry.xy[2 * point];
    coordinates[count++] = geometry.xy[2 * point + 1];
    if (layout.z)
        coordinates[count++] = point < geometry.z.size() ? geometry.z[point] : std::nan("");
    if (layout.m)
        coordinates[count++] = point < geometry.m.size() ? geometry.m[point] : std::nan("");
    return count;
}

void WritePoints(JsonOut& json, const GeometryColumn& geometry, uint64_t begin, uint64_t end, PointLayout layout,
                 NonFinite nonFinite, bool reversed = false) {
    double coordinates[4];
    json.BeginArray();
    for (uint64_t i = begin; i < end; ++i) {
        const uint64_t point = reversed ? begin + (end - 1 - i) : i;
        int count = Gather(geometry, point, layout, coordinates);
        json.Position(coordinates, count, nonFinite);
    }
    json.EndArray();
}

void WriteGeometry(JsonOut& json, const GeometryColumn& geometry, size_t record, PointLayout layout) {
    const uint64_t firstPart = geometry.recordParts[record];
    const uint64_t endPart = geometry.recordParts[record + 1];
    json.BeginObject();
    if (geometry.shapeType == taviGeometryPoint) {
        if (firstPart == endPart || geometry.partPoints[firstPart] == geometry.partPoints[firstPart + 1]) {
            json.Key("x");
            json.Null();
            json.Key("y");
            json.Null();
        } else {
            double coordinates[4];
            Gather(geometry, geometry.partPoints[firstPart], layout, coordinates);
            static constexpr std::string_view kNames[] = {"x", "y", "z", "m"};
            int at = 0;
            for (int axis = 0; axis < 4; ++axis) {
                if ((axis == 2 && !layout.z) || (axis == 3 && !layout.m))
                    continue;
                json.Key(kNames[axis]);
                json.Real(coordinates[at++], NonFinite::NullForNaN);
            }
        }
    } else if (geometry.shapeType == taviGeometryMultipoint) {
        json.Key("points");
        const uint64_t begin = geometry.partPoints[firstPart];
        const uint64_t end = geometry.partPoints[endPart];
        WritePoints(json, geometry, begin, end, layout, NonFinite::NullForNaN);
    } else {
        json.Key(geometry.shapeType == taviGeometryPolyline ? "paths" : "rings");
        json.BeginArray();
        for (uint64_t part = firstPart; part < endPart; ++part)
            WritePoints(json, geometry, geometry.partPoints[part], geometry.partPoints[part + 1], layout,
                        NonFinite::NullForNaN);
        json.EndArray();
    }
    json.EndObject();
}

// ---- GeoJSON.

// Twice the signed area of a ring: positive counterclockwise (y up), negative clockwise.
double TwiceSignedArea(const GeometryColumn& geometry, uint64_t begin, uint64_t end) {
    double sum = 0;
    for (uint64_t i = begin; i + 1 < end; ++i)
        sum += geometry.xy[2 * i] * geometry.xy[2 * i + 3] - geometry.xy[2 * i + 2] * geometry.xy[2 * i + 1];
    if (end - begin > 2) // close the ring when its last point does not repeat the first
        sum += geometry.xy[2 * (end - 1)] * geometry.xy[2 * begin + 1] -
               geometry.xy[2 * begin] * geometry.xy[2 * (end - 1) + 1];
    return sum;
}

void WriteGeoJsonGeometry(JsonOut& json, const GeometryColumn& geometry, size_t record) {
    if (geometry.nulls[record]) {
        json.Null();
        return;
    }
    const PointLayout layout{geometry.hasZ, false};
    const uint64_t firstPart = geometry.recordParts[record];
    const uint64_t endPart = geometry.recordParts[record + 1];
    const uint64_t partCount = endPart - firstPart;
    auto partBegin = [&](uint64_t part) { return geometry.partPoints[part]; };
    auto partEnd = [&](uint64_t part) { return geometry.partPoints[part + 1]; };
    json.BeginObject();
    json.Key("type");
    switch (geometry.shapeType) {
    case taviGeometryPoint:
        json.Text("Point");
        json.Key("coordinates");
        if (partCount == 0 || partBegin(firstPart) == partEnd(firstPart)) {
            json.BeginArray();
            json.EndArray();
        } else {
            double coordinates[3];
            int count = Gather(geometry, partBegin(firstPart), layout, coordinates);
            json.Position(coordinates, count, NonFinite::Null);
        }
        break;
    case taviGeometryMultipoint:
        json.Text("MultiPoint");
        json.Key("coordinates");
        WritePoints(json, geometry, geometry.partPoints[firstPart], geometry.partPoints[endPart], layout,
                    NonFinite::Null);
        break;
    case taviGeometryPolyline:
        json.Text(partCount == 1 ? "LineString" : "MultiLineString");
        json.Key("coordinates");
        if (partCount == 1) {
            WritePoints(json, geometry, partBegin(firstPart), partEnd(firstPart), layout, NonFinite::Null);
        } else {
            json.BeginArray();
            for (uint64_t part = firstPart; part < endPart; ++part)
                WritePoints(json, geometry, partBegin(part), partEnd(part), layout, NonFinite::Null);
            json.EndArray();
        }
        break;
    default: {
        // Rings in order: a clockwise ring begins a polygon, the counterclockwise ones after it are its holes (a
        // counterclockwise ring with no polygon before it begins one too, so that no ring is lost). Outer rings are
        // written counterclockwise and holes clockwise.
        struct Ring {
            uint64_t part;
            bool outer;
            bool reversed;
        };
        std::vector<Ring> rings;
        size_t polygons = 0;
        for (uint64_t part = firstPart; part < endPart; ++part) {
            const double area = TwiceSignedArea(geometry, partBegin(part), partEnd(part));
            const bool clockwise = area <= 0;
            const bool outer = clockwise || polygons == 0;
            polygons += outer ? 1 : 0;
            rings.push_back({part, outer, outer ? clockwise && area < 0 : !clockwise});
        }
        json.Text(polygons == 1 ? "Polygon" : "MultiPolygon");
        json.Key("coordinates");
        if (polygons != 1)
            json.BeginArray();
        for (size_t i = 0; i < rings.size(); ++i) {
            if (rings[i].outer) {
                if (i > 0)
                    json.EndArray();
                json.BeginArray();
            }
            WritePoints(json, geometry, partBegin(rings[i].part), partEnd(rings[i].part), layout, NonFinite::Null,
                        rings[i].reversed);
        }
        if (!rings.empty())
            json.EndArray();
        if (polygons != 1)
            json.EndArray();
        break;
    }
    }
    json.EndObject();
}

// "YYYY-MM-DDThh:mm:ss.sssZ" (the fraction only when there is one), of milliseconds since 1970 in UTC. Years
// beyond 0 to 9999 carry a sign and at least six digits, as ISO 8601's expanded form.
std::string IsoDate(int64_t milliseconds) {
    constexpr int64_t kPerDay = 86400000;
    int64_t days = milliseconds / kPerDay;
    int64_t rest = milliseconds % kPerDay;
    if (rest < 0) {
        rest += kPerDay;
        --days;
    }
    // Days to the civil date (proleptic Gregorian), after H. Hinnant's days_from_civil inverse.
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    const int64_t day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    char buffer[64];
    const int hours = static_cast<int>(rest / 3600000);
    const int minutes = static_cast<int>(rest / 60000 % 60);
    const int seconds = static_cast<int>(rest / 1000 % 60);
    const int millis = static_cast<int>(rest % 1000);
    int length;
    if (year >= 0 && year <= 9999)
        length = std::snprintf(buffer, sizeof buffer, "%04lld", static_cast<long long>(year));
    else
        length = std::snprintf(buffer, sizeof buffer, "%+07lld", static_cast<long long>(year));
    length += std::snprintf(buffer + length, sizeof buffer - static_cast<size_t>(length), "-%02d-%02dT%02d:%02d:%02d",
                            static_cast<int>(month), static_cast<int>(day), hours, minutes, seconds);
    if (millis != 0)
        length += std::snprintf(buffer + length, sizeof buffer - static_cast<size_t>(length), ".%03d", millis);
    return std::string(buffer, static_cast<size_t>(length)) + "Z";
}

} // namespace

void WriteRecordSetJson(const RecordData& data, int32_t options, std::string& out) {
    const bool pretty = (options & taviJsonPretty) != 0;
    const GeometryColumn& geometry = data.geometry;
    const PointLayout layout{data.hasGeometry && geometry.hasZ && !(options & taviJsonNoZ),
                             data.hasGeometry && geometry.hasM && !(options & taviJsonNoM)};
    out.reserve(out.size() + EstimatedSize(data) * (pretty ? 2 : 1));
    JsonOut json(out, pretty);
    json.BeginObject();
    json.Key("displayFieldName");
    json.Text(ToUtf8(data.displayFieldName));
    const int32_t defaultGeometryIndex = DefaultGeometryIndex(data);
    if (data.hasGeometry) {
        json.Key("geometryType");
        const char* type = GeometryTypeJsonName(geometry.shapeType);
        json.Text(type ? type : "taviGeometryNull");
        if (layout.z) {
            json.Key("hasZ");
            json.Bool(true);
        }
        if (layout.m) {
            json.Key("hasM");
            json.Bool(true);
        }
        if (geometry.spatialReference)
            WriteSpatialReference(json, geometry.spatialReference.Get());
        if (data.geometryFieldIndex == defaultGeometryIndex && geometry.fieldName != u"Shape") {
            json.Key("geometryFieldName");
            json.Text(ToUtf8(geometry.fieldName));
        }
    }
    const bool aliases = (options & taviJsonSkipFieldAliases) == 0;
    json.Key("fields");
    json.BeginArray();
    for (int32_t index = 0; index < data.FieldCount(); ++index) {
        if (const RecordColumn* column = data.ColumnOfField(index)) {
            WriteField(json, column->field, aliases);
        } else if (index != defaultGeometryIndex) {
            // A geometry field in another place than tables give it is listed where it stands.
            FieldProperties shape;
            shape.name = geometry.fieldName;
            shape.type = taviFieldTypeGeometry;
            WriteField(json, shape, false);
        }
    }
    json.EndArray();

    std::vector<std::string> keys;
    keys.reserve(data.columns.size());
    for (const RecordColumn& column : data.columns)
        keys.push_back(QuotedKey(column.field.name));
    json.Key("features");
    json.BeginArray();
    const size_t records = data.RecordCount();
    for (size_t record = 0; record < records; ++record) {
        json.BeginObject();
        json.Key("attributes");
        json.BeginObject();
        for (size_t index = 0; index < data.columns.size(); ++index) {
            const RecordColumn& column = data.columns[index];
            json.QuotedKeyRaw(keys[index]);
            if (column.IsNull(record)) {
                json.Null();
                continue;
            }
            switch (column.storage) {
            case ColumnStorage::Integer:
            case ColumnStorage::Date:
                json.Integer(column.integers[record]);
                break;
            case ColumnStorage::Real:
                json.Real(column.reals[record], NonFinite::Texts);
                break;
            case ColumnStorage::Text:
                json.Text(column.Text(record));
                break;
            }
        }
        json.EndObject();
        if (data.hasGeometry && record < geometry.Size() && !geometry.nulls[record]) {
            json.Key("geometry");
            WriteGeometry(json, geometry, record, layout);
        }
        json.EndObject();
    }
    json.EndArray();
    if (data.exceededTransferLimit) {
        json.Key("exceededTransferLimit");
        json.Bool(true);
    }
    json.EndObject();
}

void WriteRecordSetGeoJson(const RecordData& data, std::string& out) {
    out.reserve(out.size() + EstimatedSize(data));
    JsonOut json(out, false);
    json.BeginObject();
    json.Key("type");
    json.Text("FeatureCollection");
    json.Key("features");
    json.BeginArray();
    std::vector<std::string> keys;
    keys.reserve(data.columns.size());
    for (const RecordColumn& column : data.columns)
        keys.push_back(QuotedKey(column.field.name));
    const size_t records = data.RecordCount();
    for (size_t record = 0; record < records; ++record) {
        json.BeginObject();
        json.Key("type");
        json.Text("Feature");
        for (const RecordColumn& column : data.columns)
            if (column.field.type == taviFieldTypeOID && !column.IsNull(record)) {
                json.Key("id");
                json.Integer(column.integers[record]);
            }
        json.Key("geometry");
        if (data.hasGeometry && record < data.geometry.Size())
            WriteGeoJsonGeometry(json, data.geometry, record);
        else
            json.Null();
        json.Key("properties");
        json.BeginObject();
        for (size_t index = 0; index < data.columns.size(); ++index) {
            const RecordColumn& column = data.columns[index];
            if (column.field.type == taviFieldTypeOID)
                continue;
            json.QuotedKeyRaw(keys[index]);
            if (column.IsNull(record)) {
                json.Null();
                continue;
            }
            switch (column.storage) {
            case ColumnStorage::Integer:
                json.Integer(column.integers[record]);
                break;
            case ColumnStorage::Date:
                json.Text(IsoDate(column.integers[record]));
                break;
            case ColumnStorage::Real:
                json.Real(column.reals[record], NonFinite::NullMarked);
                break;
            case ColumnStorage::Text:
                json.Text(column.Text(record));
                break;
            }
        }
        json.EndObject();
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
}

} // namespace tavi
