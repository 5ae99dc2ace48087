// The reader of the JSON form of record and feature sets, and of a layer definition's field list (RecordSetJson.h):
// simdjson's on-demand parser walks the text once and every value goes straight into its column, with no tree and no
// object per feature. Unknown members are walked too, so that malformed JSON is refused wherever it stands.
#include "data/RecordSetJson.h"

#include "host/SpatialReference.h"
#include "host/String.h"
#include "platform/Utf.h"

#include <simdjson.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <unordered_map>
#include <unordered_set>

namespace tavi {

namespace {

namespace od = simdjson::ondemand;
using simdjson::error_code;

static_assert(kJsonPadding >= simdjson::SIMDJSON_PADDING, "the reader's padding is simdjson's");

// Limits that keep any text's cost in proportion to its size.
constexpr size_t kMostFields = 4096;
// Values (features times fields) per byte of text: a feature that leaves out most attributes still costs a null per
// field, so a text of empty features could otherwise ask for far more memory than it has bytes.
constexpr size_t kValuesPerByte = 16;
constexpr size_t kValuesAlways = 1 << 16;
// Members the form does not know are walked (to check them) at most this deep.
constexpr int kDeepestUnknown = 64;
// A thread keeps its parser for texts up to this size, so that the pages of a service answer reuse its buffers (the
// memory it keeps stays small); larger texts get a parser of their own, freed afterwards.
constexpr size_t kReusedParserCapacity = 4u << 20;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// After this many features the rest are estimated from the text they took, and the columns reserved for them, so
// that a large set is not copied as its arrays grow.
constexpr size_t kFeaturesBeforeEstimate = 1000;

// A refusal: the message and the code to return.
struct ReadFailure {
    std::string message;
    HRESULT hr = E_INVALIDARG;
};

// Where in the document: a chain of frames on the stack, turned into text ("features[12].geometry") only for a
// message. A frame is a member (named) or an element (its index).
struct Path {
    const Path* parent;
    std::string_view member;
    size_t index;
    bool element;

    static Path Member(const Path* parent, std::string_view name) { return {parent, name, 0, false}; }
    static Path Element(const Path* parent, size_t index) { return {parent, {}, index, true}; }
};

std::string PathText(const Path* at) {
    constexpr size_t kLongestName = 80;
    std::vector<const Path*> frames;
    for (; at; at = at->parent)
        frames.push_back(at);
    std::string text;
    for (auto frame = frames.rbegin(); frame != frames.rend(); ++frame) {
        if ((*frame)->element) {
            text += '[';
            text += std::to_string((*frame)->index);
            text += ']';
        } else {
            if (!text.empty())
                text += '.';
            text += (*frame)->member.substr(0, kLongestName);
            if ((*frame)->member.size() > kLongestName)
                text += "...";
        }
    }
    return text;
}

// True for a JSON number's text (RFC 8259): -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?, after which only blanks.
bool IsJsonNumber(std::string_view token) {
    size_t at = 0;
    auto digits = [&] {
        const size_t start = at;
        while (at < token.size() && token[at] >= '0' && token[at] <= '9')
            ++at;
        return at > start;
    };
    if (at < token.size() && token[at] == '-')
        ++at;
    if (at < token.size() && token[at] == '0')
        ++at;
    else if (!digits())
        return false;
    if (at < token.size() && token[at] == '.' && (++at, !digits()))
        return false;
    if (at < token.size() && (token[at] == 'e' || token[at] == 'E')) {
        ++at;
        if (at < token.size() && (token[at] == '+' || token[at] == '-'))
            ++at;
        if (!digits())
            return false;
    }
    return token.find_first_not_of(" \t\r\n", at) == std::string_view::npos;
}

[[noreturn]] void Fail(const Path* at, std::string_view what) {
    std::string where = PathText(at);
    throw ReadFailure{where.empty() ? std::string(what) : where + ": " + std::string(what)};
}

std::string Quoted(std::string_view text) {
    constexpr size_t kLongest = 80;
    std::string quoted = "'";
    quoted.append(text.substr(0, kLongest));
    if (text.size() > kLongest)
        quoted += "...";
    return quoted + "'";
}

// What the coordinate arrays of a set hold.
const char* ArityText(bool hasZ, bool hasM) {
    if (hasZ && hasM)
        return "a point must have 4 coordinates (x, y, z, m)";
    if (hasZ)
        return "a point must have 3 coordinates (x, y, z)";
    if (hasM)
        return "a point must have 3 coordinates (x, y, m)";
    return "a point must have 2 coordinates (x, y)";
}

// The walk over one document. Every failure throws a ReadFailure; the content is built in `data_` and handed out
// only when the whole text was read.
class Reader {
public:
    // Starts the walk of `text` (padded) with `parser`.
    Reader(od::parser& parser, std::string_view text) : parser_(parser), text_(text) { Start(); }

    RecordData& Data() { return data_; }

    void ReadRecordSet();
    void ReadLayerDefinition();

private:
    // Fails for a code other than SUCCESS: MEMALLOC is out of memory, anything else malformed JSON.
    void Check(error_code code, const Path* at) {
        if (code != simdjson::SUCCESS)
            FailJson(code, at);
    }
    [[noreturn]] void FailJson(error_code code, const Path* at);
    // A number that could not be read: one beyond what a double holds is told apart from malformed JSON.
    [[noreturn]] void FailNumber(od::value& value, error_code code, const Path* at);

    od::object ObjectOf(od::value value, const Path* at, std::string_view what);
    od::array ArrayOf(od::value value, const Path* at, std::string_view what);
    bool IsNull(od::value& value, const Path* at);
    std::string_view TextOf(od::value value, const Path* at, std::string_view what);
    bool BoolOf(od::value value, const Path* at, std::string_view what);
    int64_t IntegerOf(od::value value, const Path* at, std::string_view what);
    std::string_view KeyOf(od::field& field, const Path* at);
    // True when the key, as written, is `name` (which holds no quote or backslash): no unescaping.
    static bool KeyIs(od::field& field, std::string_view name) { return field.key().unsafe_is_equal(name); }
    void Skip(od::value value, const Path* at, int depth = 0);

    void ReadFields(od::value value, const Path* at);
    void ReadField(od::value value, const Path* at, size_t entry);
    void ReadGeometryType(od::value value, const Path* at);
    void ReadSpatialReference(od::value value, const Path* at);
    void ReadFeatures(od::value value, const Path* at);
    void ReadFeature(od::value value, const Path* at, size_t record);
    void ReadAttributes(od::value value, const Path* at, size_t record);
    void ReadAttribute(RecordColumn& column, od::value value, const Path* at, std::string_view name);
    void ReadGeometry(od::value value, const Path* at);
    void ReadPointGeometry(od::object point, const Path* at);
    void ReadPositions(od::value value, const Path* at, std::string_view what);
    void ReadParts(od::value value, const Path* at, std::string_view what);
    void ReadPosition(od::value value, const Path* at);
    double CoordinateOf(od::value value, const Path* at);
    bool IsNaNText(od::value& value, double* number);
    void ClearRecords();
    void ReserveByEstimate(size_t records);
    void PrepareFeatures();
    void FinishHeader(const Path* fieldsAt);
    void FindAndReadFeatures();
    bool ReadRecordSetMembers(bool features);
    void ResetHeader();

    // (Re)starts the walk at the beginning of the text. A document that met an error cannot be rewound: it is made
    // again.
    void Start();

    od::parser& parser_;
    std::string_view text_;
    od::document document_;
    RecordData data_;

    // The header as read so far.
    bool fieldsSeen_ = false;
    bool featuresSeen_ = false;
    bool geometryTypeSeen_ = false;
    int32_t shapeType_ = taviGeometryNull;
    bool hasZ_ = false;
    bool hasM_ = false;
    int32_t geometryEntry_ = -1; // where a field of type taviFieldTypeGeometry stood among the "fields" entries
    String geometryEntryName_;
    String geometryFieldName_; // "geometryFieldName" or the layer definition's "geometryField"
    String objectIdField_;     // the layer definition's "objectIdField"
    std::unordered_set<String> foldedNames_;

    // For the features: the fields' UTF-8 names and their columns, the record each column last got a value for
    // (one more than its index, so that 0 is none), and the most records the text's size allows.
    std::vector<std::string> names_;
    std::vector<uint8_t> plainNames_; // a name that JSON writes without escapes, which its key can match as written
    std::unordered_map<std::string_view, size_t> columnOfName_;
    std::vector<size_t> filledFor_;
    size_t mostRecords_ = 0;
    int dimensions_ = 2;
    std::string strayGeometry_; // the refusal of the first geometry read while no geometry type was known
    bool readingFeatures_ = false;
    bool headerAfterFeatures_ = false; // a geometry type, Z or M came after the features
};

void Reader::Start() {
    if (error_code code = parser_.iterate(text_.data(), text_.size(), text_.size() + kJsonPadding).get(document_)) {
        if (code == simdjson::MEMALLOC)
            throw ReadFailure{"out of memory", E_OUTOFMEMORY};
        if (code == simdjson::EMPTY)
            throw ReadFailure{"the text holds no JSON"};
        throw ReadFailure{std::string("malformed JSON (") + simdjson::error_message(code) + ")"};
    }
}

void Reader::FailJson(error_code code, const Path* at) {
    if (code == simdjson::MEMALLOC)
        throw ReadFailure{"out of memory", E_OUTOFMEMORY};
    std::string what = "malformed JSON";
    if (auto location = document_.current_location(); location.error() == simdjson::SUCCESS) {
        const char* place = location.value_unsafe();
        if (place >= text_.data() && place <= text_.data() + text_.size())
            what += " at byte " + std::to_string(place - text_.data());
    }
    what += " (";
    what += simdjson::error_message(code);
    what += ")";
    Fail(at, what);
}

void Reader::FailNumber(od::value& value, error_code code, const Path* at) {
    if (code == simdjson::NUMBER_ERROR && IsJsonNumber(value.raw_json_token()))
        Fail(at, "a number beyond the range of a double");
    FailJson(code, at);
}

od::object Reader::ObjectOf(od::value value, const Path* at, std::string_view what) {
    od::object object;
    if (error_code code = value.get_object().get(object)) {
        if (code == simdjson::INCORRECT_TYPE)
            Fail(at, std::string(what) + " must be an object");
        FailJson(code, at);
    }
    return object;
}

od::array Reader::ArrayOf(od::value value, const Path* at, std::string_view what) {
    od::array array;
    if (error_code code = value.get_array().get(array)) {
        if (code == simdjson::INCORRECT_TYPE)
            Fail(at, std::string(what) + " must be an array");
        FailJson(code, at);
    }
    return array;
}

// True, with the value consumed, for null.
bool Reader::IsNull(od::value& value, const Path* at) {
    bool null = false;
    Check(value.is_null().get(null), at);
    return null;
}

std::string_view Reader::TextOf(od::value value, const Path* at, std::string_view what) {
    std::string_view text;
    if (error_code code = value.get_string().get(text)) {
        if (code == simdjson::INCORRECT_TYPE)
            Fail(at, std::string(what) + " must be a text");
        FailJson(code, at);
    }
    return text;
}

bool Reader::BoolOf(od::value value, const Path* at, std::string_view what) {
    bool flag = false;
    if (error_code code = value.get_bool().get(flag)) {
        if (code == simdjson::INCORRECT_TYPE)
            Fail(at, std::string(what) + " must be true or false");
        FailJson(code, at);
    }
    return flag;
}

int64_t Reader::IntegerOf(od::value value, const Path* at, std::string_view what) {
    int64_t number = 0;
    if (error_code code = value.get_int64().get(number)) {
        if (code == simdjson::INCORRECT_TYPE || code == simdjson::NUMBER_OUT_OF_RANGE)
            Fail(at, std::string(what) + " must be an integer");
        FailNumber(value, code, at);
    }
    return number;
}

std::string_view Reader::KeyOf(od::field& field, const Path* at) {
    std::string_view key;
    Check(field.unescaped_key().get(key), at);
    return key;
}

// Walks a value that the form does not know, so that malformed JSON in it is refused as anywhere else.
void Reader::Skip(od::value value, const Path* at, int depth) {
    od::json_type type;
    Check(value.type().get(type), at);
    switch (type) {
    case od::json_type::array: {
        if (depth >= kDeepestUnknown)
            Fail(at, "nested more than 64 deep");
        od::array array;
        Check(value.get_array().get(array), at);
        for (auto element : array) {
            od::value item;
            Check(std::move(element).get(item), at);
            Skip(item, at, depth + 1);
        }
        break;
    }
    case od::json_type::object: {
        if (depth >= kDeepestUnknown)
            Fail(at, "nested more than 64 deep");
        od::object object;
        Check(value.get_object().get(object), at);
        for (auto member : object) {
            od::field field;
            Check(std::move(member).get(field), at);
            KeyOf(field, at);
            Skip(field.value(), at, depth + 1);
        }
        break;
    }
    case od::json_type::number: {
        // Any JSON number, also one beyond what the parser converts (it is not used).
        od::number number;
        if (error_code code = value.get_number().get(number);
            code != simdjson::SUCCESS && !(code == simdjson::NUMBER_ERROR && IsJsonNumber(value.raw_json_token())))
            FailJson(code, at);
        break;
    }
    case od::json_type::string: {
        std::string_view text;
        Check(value.get_string().get(text), at);
        break;
    }
    case od::json_type::boolean: {
        bool flag;
        Check(value.get_bool().get(flag), at);
        break;
    }
    case od::json_type::null:
        if (!IsNull(value, at))
            FailJson(simdjson::N_ATOM_ERROR, at);
        break;
    }
}

// ---- The header: fields, geometry type, spatial reference.

void Reader::ReadFields(od::value value, const Path* at) {
    if (fieldsSeen_)
        Fail(at, "given twice");
    fieldsSeen_ = true;
    if (IsNull(value, at))
        return;
    size_t entry = 0;
    for (auto element : ArrayOf(value, at, "'fields'")) {
        Path entryAt = Path::Element(at, entry);
        od::value item;
        Check(std::move(element).get(item), &entryAt);
        if (entry == kMostFields)
            Fail(at, "more than 4096 fields");
        ReadField(item, &entryAt, entry);
        ++entry;
    }
}

void Reader::ReadField(od::value value, const Path* at, size_t entry) {
    FieldProperties field;
    std::string name;
    bool named = false;
    int32_t type = -1;
    for (auto member : ObjectOf(value, at, "a field")) {
        od::field pair;
        Check(std::move(member).get(pair), at);
        std::string_view key = KeyOf(pair, at);
        Path memberAt = Path::Member(at, key);
        if (key == "name") {
            name = TextOf(pair.value(), at, "'name'");
            named = true;
        } else if (key == "type") {
            std::string_view typeName = TextOf(pair.value(), at, "'type'");
            type = FieldTypeFromJsonName(typeName);
            if (type < 0)
                Fail(at, Quoted(typeName) + " is no field type");
        } else if (key == "alias") {
            if (!IsNull(pair.value(), &memberAt))
                field.alias = FromUtf8(TextOf(pair.value(), at, "'alias'"));
        } else if (key == "length" || key == "precision" || key == "scale") {
            if (IsNull(pair.value(), &memberAt))
                continue;
            int64_t number = IntegerOf(pair.value(), at, Quoted(key));
            if (number < 0 || number > std::numeric_limits<int32_t>::max())
                Fail(at, Quoted(key) + " must be a count from 0 to 2147483647");
            (key == "length"      ? field.length
             : key == "precision" ? field.precision
                                  : field.scale) = static_cast<int32_t>(number);
        } else if (key == "nullable" || key == "editable" || key == "required") {
            bool flag = BoolOf(pair.value(), at, Quoted(key));
            (key == "nullable" ? field.nullable : key == "editable" ? field.editable : field.required) = flag;
        } else {
            Skip(pair.value(), &memberAt);
        }
    }
    if (!named || name.empty())
        Fail(at, "a field must have a 'name'");
    if (type < 0)
        Fail(at, "a field must have a 'type'");
    field.name = FromUtf8(name);
    field.type = type;
    if (!foldedNames_.insert(FoldCase(field.name)).second)
        Fail(at, "a second field named " + Quoted(name));
    if (type == taviFieldTypeGeometry) {
        if (geometryEntry_ >= 0)
            Fail(at, "a second geometry field");
        geometryEntry_ = static_cast<int32_t>(entry);
        geometryEntryName_ = std::move(field.name);
        return;
    }
    if (type == taviFieldTypeOID) {
        if (!data_.oidFieldName.empty())
            Fail(at, "a second object identifier field");
        data_.oidFieldName = field.name;
    }
    RecordColumn column;
    column.storage = StorageOf(type);
    column.field = std::move(field);
    data_.columns.push_back(std::move(column));
    names_.push_back(std::move(name));
}

void Reader::ReadGeometryType(od::value value, const Path* at) {
    if (IsNull(value, at)) {
        geometryTypeSeen_ = false;
        shapeType_ = taviGeometryNull;
        return;
    }
    std::string_view name = TextOf(value, at, "'geometryType'");
    int32_t type = GeometryTypeFromJsonName(name);
    if (type < taviGeometryPoint || type > taviGeometryPolygon)
        Fail(at, Quoted(name) + " is no geometry type of this form (taviGeometryPoint, taviGeometryMultipoint, "
                                "taviGeometryPolyline, taviGeometryPolygon)");
    geometryTypeSeen_ = true;
    shapeType_ = type;
}

// {"wkid": code} or {"latestWkid": code} (preferred when both are given) or {"wkt": text}; null or {} for none.
void Reader::ReadSpatialReference(od::value value, const Path* at) {
    data_.geometry.spatialReference = nullptr;
    if (IsNull(value, at))
        return;
    int64_t wkid = 0;
    int64_t latestWkid = 0;
    String wkt;
    for (auto member : ObjectOf(value, at, "'spatialReference'")) {
        od::field pair;
        Check(std::move(member).get(pair), at);
        std::string_view key = KeyOf(pair, at);
        Path memberAt = Path::Member(at, key);
        if (key == "wkid" || key == "latestWkid") {
            if (IsNull(pair.value(), &memberAt))
                continue;
            int64_t code = IntegerOf(pair.value(), at, Quoted(key));
            if (code <= 0 || code > std::numeric_limits<int32_t>::max())
                Fail(at, Quoted(key) + " must be a positive code");
            (key == "wkid" ? wkid : latestWkid) = code;
        } else if (key == "wkt") {
            if (!IsNull(pair.value(), &memberAt))
                wkt = FromUtf8(TextOf(pair.value(), at, "'wkt'"));
        } else {
            Skip(pair.value(), &memberAt);
        }
    }
    ComPtr<ISpatialReference> made;
    for (int64_t code : {latestWkid, wkid}) {
        if (code != 0 && !made && FAILED(CreateSpatialReferenceFromText(FromUtf8(std::to_string(code)), made.Out())))
            made = nullptr;
    }
    if (!made && (latestWkid != 0 || wkid != 0))
        Fail(at, "no coordinate system has the code " + std::to_string(latestWkid != 0 ? latestWkid : wkid));
    if (!made && !wkt.empty() && FAILED(CreateSpatialReferenceFromText(wkt, made.Out())))
        Fail(at, "'wkt' names no coordinate system");
    data_.geometry.spatialReference = std::move(made);
}

// The geometry field's name and place, once the header is complete.
void Reader::FinishHeader(const Path* fieldsAt) {
    data_.hasGeometry = geometryTypeSeen_;
    GeometryColumn& geometry = data_.geometry;
    geometry.shapeType = geometryTypeSeen_ ? shapeType_ : taviGeometryNull;
    geometry.hasZ = geometryTypeSeen_ && hasZ_;
    geometry.hasM = geometryTypeSeen_ && hasM_;
    if (!geometryTypeSeen_) {
        if (geometryEntry_ >= 0) {
            Path entryAt = Path::Element(fieldsAt, static_cast<size_t>(geometryEntry_));
            Fail(&entryAt, "a geometry field without a 'geometryType'");
        }
        data_.geometryFieldIndex = -1;
        geometry.spatialReference = nullptr;
        return;
    }
    if (geometryEntry_ >= 0) {
        geometry.fieldName = geometryEntryName_;
        data_.geometryFieldIndex = geometryEntry_;
        return;
    }
    if (!geometryFieldName_.empty()) {
        if (foldedNames_.count(FoldCase(geometryFieldName_)))
            Fail(nullptr, "the geometry field's name " + Quoted(ToUtf8(geometryFieldName_)) + " is a field's");
        geometry.fieldName = geometryFieldName_;
    }
    // As tables list it: after the object identifier field, or first.
    data_.geometryFieldIndex = 0;
    for (size_t index = 0; index < data_.columns.size(); ++index)
        if (data_.columns[index].field.type == taviFieldTypeOID)
            data_.geometryFieldIndex = static_cast<int32_t>(index) + 1;
}

// ---- The features.

void Reader::PrepareFeatures() {
    data_.hasGeometry = geometryTypeSeen_;
    dimensions_ = 2 + (hasZ_ ? 1 : 0) + (hasM_ ? 1 : 0);
    columnOfName_.clear();
    columnOfName_.reserve(names_.size());
    for (size_t index = 0; index < names_.size(); ++index)
        columnOfName_.emplace(names_[index], index);
    filledFor_.assign(names_.size(), 0);
    plainNames_.assign(names_.size(), 1);
    for (size_t index = 0; index < names_.size(); ++index)
        for (unsigned char c : names_[index])
            if (c == '"' || c == '\\' || c < 0x20)
                plainNames_[index] = 0;
    const size_t values = std::max(kValuesPerByte * text_.size(), kValuesAlways);
    mostRecords_ = names_.empty() ? std::numeric_limits<size_t>::max() : values / names_.size();
}

void Reader::ClearRecords() {
    for (RecordColumn& column : data_.columns) {
        column.integers.clear();
        column.reals.clear();
        column.chars.clear();
        column.textEnds.clear();
        column.nulls.clear();
    }
    GeometryColumn& geometry = data_.geometry;
    geometry.recordParts.assign(1, 0);
    geometry.partPoints.assign(1, 0);
    geometry.xy.clear();
    geometry.z.clear();
    geometry.m.clear();
    geometry.nulls.clear();
    strayGeometry_.clear();
}

// Reserves the columns for the features the rest of the text likely holds, at the rate of those read so far (and a
// twentieth more). The estimate only sizes the arrays: a wrong one costs a copy or some unused room.
void Reader::ReserveByEstimate(size_t records) {
    auto location = document_.current_location();
    if (location.error() != simdjson::SUCCESS)
        return;
    const size_t used = static_cast<size_t>(location.value_unsafe() - text_.data());
    if (used == 0 || used >= text_.size())
        return;
    const double scale = static_cast<double>(text_.size()) / static_cast<double>(used) * 1.05;
    auto estimate = [&](size_t count, size_t most) {
        return static_cast<size_t>(std::min(static_cast<double>(count) * scale, static_cast<double>(most)));
    };
    const size_t expected = estimate(records, std::min(mostRecords_, text_.size() / 2));
    for (RecordColumn& column : data_.columns) {
        column.Reserve(expected);
        if (column.storage == ColumnStorage::Text)
            column.chars.reserve(estimate(column.chars.size(), text_.size()));
    }
    if (!data_.hasGeometry)
        return;
    GeometryColumn& geometry = data_.geometry;
    geometry.nulls.reserve(expected);
    geometry.recordParts.reserve(expected + 1);
    geometry.partPoints.reserve(estimate(geometry.partPoints.size(), text_.size() / 4));
    const size_t points = estimate(geometry.xy.size() / 2, text_.size() / 5);
    geometry.xy.reserve(2 * points);
    if (hasZ_)
        geometry.z.reserve(points);
    if (hasM_)
        geometry.m.reserve(points);
}

void Reader::ReadFeatures(od::value value, const Path* at) {
    PrepareFeatures();
    size_t record = 0;
    for (auto element : ArrayOf(value, at, "'features'")) {
        Path featureAt = Path::Element(at, record);
        od::value feature;
        Check(std::move(element).get(feature), &featureAt);
        if (record == mostRecords_)
            Fail(at, "more features times fields than the text's size allows");
        if (record == kFeaturesBeforeEstimate)
            ReserveByEstimate(record);
        ReadFeature(feature, &featureAt, record);
        ++record;
    }
}

void Reader::ReadFeature(od::value value, const Path* at, size_t record) {
    bool attributesSeen = false;
    bool geometrySeen = false;
    for (auto member : ObjectOf(value, at, "a feature")) {
        od::field pair;
        Check(std::move(member).get(pair), at);
        // The key as written, and only when it is neither of the two, unescaped (it may spell one with escapes).
        std::string_view key = KeyIs(pair, "attributes") ? "attributes"
                               : KeyIs(pair, "geometry") ? "geometry"
                                                         : KeyOf(pair, at);
        if (key == "attributes") {
            Path attributesAt = Path::Member(at, "attributes");
            if (attributesSeen)
                Fail(&attributesAt, "given twice");
            attributesSeen = true;
            ReadAttributes(pair.value(), &attributesAt, record);
        } else if (key == "geometry") {
            Path geometryAt = Path::Member(at, "geometry");
            if (geometrySeen)
                Fail(&geometryAt, "given twice");
            geometrySeen = true;
            ReadGeometry(pair.value(), &geometryAt);
        } else {
            Path memberAt = Path::Member(at, key);
            Skip(pair.value(), &memberAt);
        }
    }
    if (!attributesSeen)
        for (RecordColumn& column : data_.columns)
            column.AppendNull();
    if (data_.hasGeometry && !geometrySeen)
        data_.geometry.EndRecord(true);
}

void Reader::ReadAttributes(od::value value, const Path* at, size_t record) {
    const size_t stamp = record + 1;
    if (!IsNull(value, at)) {
        size_t expected = 0; // attributes usually come in field order: try the next field before the look-up
        for (auto member : ObjectOf(value, at, "'attributes'")) {
            od::field pair;
            Check(std::move(member).get(pair), at);
            size_t index;
            if (expected < names_.size() && plainNames_[expected] && KeyIs(pair, names_[expected])) {
                index = expected;
            } else {
                std::string_view key = KeyOf(pair, at);
                auto found = columnOfName_.find(key);
                if (found == columnOfName_.end())
                    Fail(at, Quoted(key) + " is not among the fields");
                index = found->second;
            }
            if (filledFor_[index] == stamp)
                Fail(at, Quoted(names_[index]) + " given twice");
            filledFor_[index] = stamp;
            ReadAttribute(data_.columns[index], pair.value(), at, names_[index]);
            expected = index + 1;
        }
    }
    for (size_t index = 0; index < data_.columns.size(); ++index)
        if (filledFor_[index] != stamp)
            data_.columns[index].AppendNull();
}

bool Reader::IsNaNText(od::value& value, double* number) {
    std::string_view text;
    if (value.get_string().get(text) != simdjson::SUCCESS)
        return false;
    if (text == "NaN")
        *number = kNaN;
    else if (text == "Infinity")
        *number = std::numeric_limits<double>::infinity();
    else if (text == "-Infinity")
        *number = -std::numeric_limits<double>::infinity();
    else
        return false;
    return true;
}

void Reader::ReadAttribute(RecordColumn& column, od::value value, const Path* at, std::string_view name) {
    switch (column.storage) {
    case ColumnStorage::Text: {
        std::string_view text;
        if (error_code code = value.get_string().get(text); code == simdjson::SUCCESS) {
            column.AppendText(text);
            return;
        } else if (code != simdjson::INCORRECT_TYPE) {
            FailJson(code, at);
        }
        if (IsNull(value, at)) {
            column.AppendNull();
            return;
        }
        Fail(at, Quoted(name) + " must be a text");
    }
    case ColumnStorage::Real: {
        double number;
        if (error_code code = value.get_double().get(number); code == simdjson::SUCCESS) {
            column.AppendReal(number);
            return;
        } else if (code != simdjson::INCORRECT_TYPE) {
            FailNumber(value, code, at);
        }
        if (IsNull(value, at)) {
            column.AppendNull();
            return;
        }
        if (IsNaNText(value, &number)) {
            column.AppendReal(number);
            return;
        }
        Fail(at, Quoted(name) + " must be a number");
    }
    case ColumnStorage::Integer:
    case ColumnStorage::Date: {
        int64_t number;
        if (value.get_int64().get(number) != simdjson::SUCCESS) {
            if (IsNull(value, at)) {
                column.AppendNull();
                return;
            }
            // A real with an integral value in range is taken (some writers give 3.0 for 3).
            double real;
            constexpr double kBeyondInt64 = 9223372036854775808.0;
            if (value.get_double().get(real) != simdjson::SUCCESS || real != std::trunc(real) || real >= kBeyondInt64 ||
                real < -kBeyondInt64)
                Fail(at, Quoted(name) + (column.storage == ColumnStorage::Date
                                             ? " must be a date as an integer of milliseconds since 1970"
                                             : " must be an integer"));
            number = static_cast<int64_t>(real);
        }
        const int32_t type = column.field.type;
        if ((type == taviFieldTypeSmallInteger && (number < -32768 || number > 32767)) ||
            (type == taviFieldTypeInteger &&
             (number < std::numeric_limits<int32_t>::min() || number > std::numeric_limits<int32_t>::max())))
            Fail(at, Quoted(name) + " is beyond the range of its field type");
        column.AppendInteger(number);
        return;
    }
    }
}

// ---- Geometries.

void Reader::ReadGeometry(od::value value, const Path* at) {
    if (!data_.hasGeometry) {
        // Refused once the whole header is known: a "geometryType" may still follow the features.
        if (!IsNull(value, at)) {
            if (strayGeometry_.empty())
                strayGeometry_ = PathText(at) + ": a geometry in a record set without 'geometryType'";
            Skip(value, at);
        }
        return;
    }
    if (IsNull(value, at)) {
        data_.geometry.EndRecord(true);
        return;
    }
    od::object object = ObjectOf(value, at, "a geometry");
    if (shapeType_ == taviGeometryPoint) {
        ReadPointGeometry(object, at);
        return;
    }
    const std::string_view expected = shapeType_ == taviGeometryMultipoint ? "points"
                                      : shapeType_ == taviGeometryPolyline ? "paths"
                                                                           : "rings";
    bool partsSeen = false;
    for (auto member : object) {
        od::field pair;
        Check(std::move(member).get(pair), at);
        std::string_view key = KeyIs(pair, expected) ? expected : KeyOf(pair, at);
        if (key == expected) {
            if (partsSeen)
                Fail(at, Quoted(key) + " given twice");
            partsSeen = true;
            Path partsAt = Path::Member(at, key);
            if (shapeType_ == taviGeometryMultipoint)
                ReadPositions(pair.value(), &partsAt, "'points'");
            else
                ReadParts(pair.value(), &partsAt, key == "paths" ? "'paths'" : "'rings'");
        } else if (key == "x" || key == "y" || key == "points" || key == "paths" || key == "rings") {
            Fail(at, Quoted(key) + " does not belong to a " + GeometryTypeJsonName(shapeType_));
        } else if (key == "curvePaths" || key == "curveRings") {
            Fail(at, "curves (" + Quoted(key) + ") cannot be read");
        } else {
            Path memberAt = Path::Member(at, key);
            Skip(pair.value(), &memberAt);
        }
    }
    data_.geometry.EndRecord(false);
}

// A coordinate: a number, or null, "NaN", "Infinity", "-Infinity".
double Reader::CoordinateOf(od::value value, const Path* at) {
    double number;
    if (error_code code = value.get_double().get(number); code == simdjson::SUCCESS)
        return number;
    else if (code != simdjson::INCORRECT_TYPE)
        FailNumber(value, code, at);
    if (IsNull(value, at))
        return kNaN;
    if (IsNaNText(value, &number))
        return number;
    Fail(at, "coordinates must be numbers");
}

// {"x": ..., "y": ..., "z": ..., "m": ...}: x null or "NaN" is the empty point.
void Reader::ReadPointGeometry(od::object point, const Path* at) {
    double x = kNaN, y = kNaN, z = kNaN, m = kNaN;
    bool xSeen = false, ySeen = false;
    for (auto member : point) {
        od::field pair;
        Check(std::move(member).get(pair), at);
        std::string_view key = KeyOf(pair, at);
        Path memberAt = Path::Member(at, key);
        if (key.size() == 1 && (key[0] == 'x' || key[0] == 'y' || key[0] == 'z' || key[0] == 'm')) {
            double number = CoordinateOf(pair.value(), &memberAt);
            switch (key[0]) {
            case 'x':
                x = number;
                xSeen = true;
                break;
            case 'y':
                y = number;
                ySeen = true;
                break;
            case 'z':
                z = number;
                break;
            default:
                m = number;
                break;
            }
        } else if (key == "points" || key == "paths" || key == "rings") {
            Fail(at, Quoted(key) + " does not belong to a taviGeometryPoint");
        } else {
            Skip(pair.value(), &memberAt);
        }
    }
    GeometryColumn& geometry = data_.geometry;
    if (xSeen && !std::isnan(x)) {
        if (!ySeen)
            Fail(at, "a point must have 'y'");
        geometry.xy.push_back(x);
        geometry.xy.push_back(y);
        if (hasZ_)
            geometry.z.push_back(z);
        if (hasM_)
            geometry.m.push_back(m);
        geometry.EndPart();
    }
    geometry.EndRecord(false);
}

void Reader::ReadPosition(od::value value, const Path* at) {
    double coordinates[4];
    int count = 0;
    od::array array;
    if (error_code code = value.get_array().get(array)) {
        if (code == simdjson::INCORRECT_TYPE)
            Fail(at, ArityText(hasZ_, hasM_));
        FailJson(code, at);
    }
    for (auto element : array) {
        od::value item;
        Check(std::move(element).get(item), at);
        if (count == dimensions_)
            Fail(at, ArityText(hasZ_, hasM_));
        double number;
        coordinates[count++] = item.get_double().get(number) == simdjson::SUCCESS ? number : CoordinateOf(item, at);
    }
    if (count != dimensions_)
        Fail(at, ArityText(hasZ_, hasM_));
    GeometryColumn& geometry = data_.geometry;
    geometry.xy.push_back(coordinates[0]);
    geometry.xy.push_back(coordinates[1]);
    if (hasZ_)
        geometry.z.push_back(coordinates[2]);
    if (hasM_)
        geometry.m.push_back(coordinates[hasZ_ ? 3 : 2]);
}

// A multipoint's points: one part, none when there are no points.
void Reader::ReadPositions(od::value value, const Path* at, std::string_view what) {
    size_t index = 0;
    for (auto element : ArrayOf(value, at, what)) {
        Path pointAt = Path::Element(at, index);
        od::value item;
        Check(std::move(element).get(item), &pointAt);
        ReadPosition(item, &pointAt);
        ++index;
    }
    if (index > 0)
        data_.geometry.EndPart();
}

// Paths or rings: a part each.
void Reader::ReadParts(od::value value, const Path* at, std::string_view what) {
    size_t part = 0;
    for (auto element : ArrayOf(value, at, what)) {
        Path partAt = Path::Element(at, part);
        od::value item;
        Check(std::move(element).get(item), &partAt);
        size_t index = 0;
        for (auto point : ArrayOf(item, &partAt, "a part")) {
            Path pointAt = Path::Element(&partAt, index);
            od::value position;
            Check(std::move(point).get(position), &pointAt);
            ReadPosition(position, &pointAt);
            ++index;
        }
        data_.geometry.EndPart();
        ++part;
    }
}

// ---- The documents.

void Reader::ReadRecordSet() {
    bool readAgain = false;
    try {
        readAgain = ReadRecordSetMembers(true);
    } catch (const ReadFailure& failure) {
        if (!readingFeatures_ || failure.hr != E_INVALIDARG)
            throw;
        // The features were read before the whole header was known. Read the header alone: when a geometry type, Z
        // or M after the features changes what they mean, the features are read again; otherwise the first failure
        // stands (also when the header has one of its own).
        const ReadFailure first = failure;
        bool explained = false;
        try {
            ResetHeader();
            Start();
            ReadRecordSetMembers(false);
            explained = headerAfterFeatures_;
        } catch (const ReadFailure& later) {
            if (later.hr != E_INVALIDARG)
                throw;
        }
        if (!explained)
            throw first;
        readAgain = true;
    }
    Path fieldsAt = Path::Member(nullptr, "fields");
    FinishHeader(&fieldsAt);
    if (readAgain) {
        ClearRecords();
        FindAndReadFeatures();
    }
    if (!strayGeometry_.empty())
        throw ReadFailure{strayGeometry_};
}

// One walk over the document's members. "features" is read where it stands when `features` is set and the fields
// came before it (the usual order); the answer is true when it must be read again, once the header is complete: it
// stood before the fields, or a geometry type, Z or M came after it.
bool Reader::ReadRecordSetMembers(bool features) {
    od::object root;
    if (error_code code = document_.get_object().get(root)) {
        if (code == simdjson::INCORRECT_TYPE)
            Fail(nullptr, "a record set must be a JSON object");
        FailJson(code, nullptr);
    }
    bool readAgain = false;
    for (auto member : root) {
        od::field pair;
        Check(std::move(member).get(pair), nullptr);
        std::string_view key = KeyOf(pair, nullptr);
        Path at = Path::Member(nullptr, key);
        od::value value = pair.value();
        if (key == "features") {
            if (featuresSeen_)
                Fail(&at, "given twice");
            featuresSeen_ = true;
            if (features && fieldsSeen_) {
                readingFeatures_ = true;
                ReadFeatures(value, &at);
                readingFeatures_ = false;
            } else {
                Skip(value, &at);
                readAgain = true;
            }
        } else if (key == "fields") {
            ReadFields(value, &at);
        } else if (key == "geometryType") {
            ReadGeometryType(value, &at);
            headerAfterFeatures_ |= featuresSeen_;
        } else if (key == "hasZ" || key == "hasM") {
            bool flag = IsNull(value, &at) ? false : BoolOf(value, nullptr, Quoted(key));
            (key == "hasZ" ? hasZ_ : hasM_) = flag;
            headerAfterFeatures_ |= featuresSeen_;
        } else if (key == "spatialReference") {
            ReadSpatialReference(value, &at);
        } else if (key == "displayFieldName") {
            data_.displayFieldName =
                IsNull(value, &at) ? String() : FromUtf8(TextOf(value, nullptr, "'displayFieldName'"));
        } else if (key == "geometryFieldName") {
            geometryFieldName_ =
                IsNull(value, &at) ? String() : FromUtf8(TextOf(value, nullptr, "'geometryFieldName'"));
        } else if (key == "exceededTransferLimit") {
            data_.exceededTransferLimit =
                IsNull(value, &at) ? false : BoolOf(value, nullptr, "'exceededTransferLimit'");
        } else {
            Skip(value, &at);
        }
    }
    if (document_.current_location().error() != simdjson::OUT_OF_BOUNDS)
        Fail(nullptr, "more text after the JSON object");
    return readAgain || headerAfterFeatures_;
}

void Reader::ResetHeader() {
    data_ = RecordData();
    fieldsSeen_ = featuresSeen_ = geometryTypeSeen_ = false;
    shapeType_ = taviGeometryNull;
    hasZ_ = hasM_ = false;
    geometryEntry_ = -1;
    geometryEntryName_.clear();
    geometryFieldName_.clear();
    objectIdField_.clear();
    foldedNames_.clear();
    names_.clear();
    columnOfName_.clear();
    strayGeometry_.clear();
    readingFeatures_ = false;
    headerAfterFeatures_ = false;
}

void Reader::FindAndReadFeatures() {
    Start();
    od::object root;
    Check(document_.get_object().get(root), nullptr);
    for (auto member : root) {
        od::field pair;
        Check(std::move(member).get(pair), nullptr);
        if (KeyOf(pair, nullptr) == "features") {
            Path at = Path::Member(nullptr, "features");
            ReadFeatures(pair.value(), &at);
            return;
        }
    }
}

void Reader::ReadLayerDefinition() {
    od::object root;
    if (error_code code = document_.get_object().get(root)) {
        if (code == simdjson::INCORRECT_TYPE)
            Fail(nullptr, "a layer definition must be a JSON object");
        FailJson(code, nullptr);
    }
    bool spatialReferenceSeen = false;
    for (auto member : root) {
        od::field pair;
        Check(std::move(member).get(pair), nullptr);
        std::string_view key = KeyOf(pair, nullptr);
        Path at = Path::Member(nullptr, key);
        od::value value = pair.value();
        if (key == "fields") {
            ReadFields(value, &at);
        } else if (key == "geometryType") {
            ReadGeometryType(value, &at);
        } else if (key == "hasZ" || key == "hasM") {
            bool flag = IsNull(value, &at) ? false : BoolOf(value, nullptr, Quoted(key));
            (key == "hasZ" ? hasZ_ : hasM_) = flag;
        } else if (key == "objectIdField") {
            objectIdField_ = IsNull(value, &at) ? String() : FromUtf8(TextOf(value, nullptr, "'objectIdField'"));
        } else if (key == "displayField") {
            data_.displayFieldName = IsNull(value, &at) ? String() : FromUtf8(TextOf(value, nullptr, "'displayField'"));
        } else if (key == "spatialReference") {
            ReadSpatialReference(value, &at);
            spatialReferenceSeen = true;
        } else if (key == "extent") {
            // The extent's spatial reference, unless the definition gives one of its own.
            if (IsNull(value, &at))
                continue;
            for (auto extentMember : ObjectOf(value, nullptr, "'extent'")) {
                od::field extentPair;
                Check(std::move(extentMember).get(extentPair), &at);
                std::string_view extentKey = KeyOf(extentPair, &at);
                Path extentAt = Path::Member(&at, extentKey);
                if (extentKey == "spatialReference" && !spatialReferenceSeen) {
                    ReadSpatialReference(extentPair.value(), &extentAt);
                } else {
                    Skip(extentPair.value(), &extentAt);
                }
            }
        } else if (key == "geometryField") {
            if (IsNull(value, &at))
                continue;
            for (auto fieldMember : ObjectOf(value, nullptr, "'geometryField'")) {
                od::field fieldPair;
                Check(std::move(fieldMember).get(fieldPair), &at);
                std::string_view fieldKey = KeyOf(fieldPair, &at);
                Path fieldAt = Path::Member(&at, fieldKey);
                if (fieldKey == "name" && !IsNull(fieldPair.value(), &fieldAt))
                    geometryFieldName_ = FromUtf8(TextOf(fieldPair.value(), &at, "'name'"));
                else
                    Skip(fieldPair.value(), &fieldAt);
            }
        } else {
            Skip(value, &at);
        }
    }
    if (document_.current_location().error() != simdjson::OUT_OF_BOUNDS)
        Fail(nullptr, "more text after the JSON object");
    if (!objectIdField_.empty()) {
        // The named field is the object identifier field, whatever integer type the definition gives it.
        RecordColumn* named = nullptr;
        for (RecordColumn& column : data_.columns)
            if (column.field.name == objectIdField_)
                named = &column;
        if (!named)
            Fail(nullptr, "'objectIdField' " + Quoted(ToUtf8(objectIdField_)) + " is not among the fields");
        if (named->field.type != taviFieldTypeOID) {
            if (!data_.oidFieldName.empty())
                Fail(nullptr, "'objectIdField' names another field than the object identifier field");
            if (named->storage != ColumnStorage::Integer)
                Fail(nullptr, "'objectIdField' names a field that holds no integers");
            named->field.type = taviFieldTypeOID;
            data_.oidFieldName = objectIdField_;
        }
    }
    Path fieldsAt = Path::Member(nullptr, "fields");
    FinishHeader(&fieldsAt);
}

template <class Walk> HRESULT ReadDocument(std::string_view text, RecordData& data, std::string* error, Walk walk) {
    try {
        if (text.size() > kLargestRecordSetJson)
            throw ReadFailure{"the text is larger than 2 GiB"};
        thread_local od::parser reused;
        std::unique_ptr<od::parser> own;
        od::parser* parser = &reused;
        if (text.size() > kReusedParserCapacity) {
            own = std::make_unique<od::parser>();
            parser = own.get();
        }
        Reader reader(*parser, text);
        walk(reader);
        data = std::move(reader.Data());
        if (error)
            error->clear();
        return S_OK;
    } catch (const ReadFailure& failure) {
        if (error)
            *error = failure.message;
        return failure.hr;
    } catch (const std::bad_alloc&) {
        if (error)
            *error = "out of memory";
        return E_OUTOFMEMORY;
    }
}

} // namespace

HRESULT ReadRecordSetJson(const PaddedJson& json, RecordData& data, std::string* error) {
    return ReadDocument(json.Text(), data, error, [](Reader& reader) { reader.ReadRecordSet(); });
}

HRESULT ReadRecordSetJson(std::string_view json, RecordData& data, std::string* error) {
    PaddedJson padded;
    try {
        padded = PaddedJson::Copy(json);
    } catch (const std::bad_alloc&) {
        if (error)
            *error = "out of memory";
        return E_OUTOFMEMORY;
    }
    return ReadRecordSetJson(padded, data, error);
}

HRESULT ReadLayerDefinitionFields(std::string_view definition, RecordData& data, std::string* error) {
    PaddedJson padded;
    try {
        padded = PaddedJson::Copy(definition);
    } catch (const std::bad_alloc&) {
        if (error)
            *error = "out of memory";
        return E_OUTOFMEMORY;
    }
    return ReadDocument(padded.Text(), data, error, [](Reader& reader) { reader.ReadLayerDefinition(); });
}

} // namespace tavi
