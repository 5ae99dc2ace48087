// The column-wise record content: see RecordData.h.
#include "data/RecordData.h"

#include <algorithm>
#include <cstring>

namespace tavi {

ColumnStorage StorageOf(int32_t fieldType) {
    switch (fieldType) {
    case taviFieldTypeSmallInteger:
    case taviFieldTypeInteger:
    case taviFieldTypeOID:
    case taviFieldTypeBigInteger:
        return ColumnStorage::Integer;
    case taviFieldTypeSingle:
    case taviFieldTypeDouble:
        return ColumnStorage::Real;
    case taviFieldTypeDate:
        return ColumnStorage::Date;
    default:
        return ColumnStorage::Text;
    }
}

void RecordColumn::AppendNull() {
    nulls.push_back(1);
    switch (storage) {
    case ColumnStorage::Integer:
    case ColumnStorage::Date:
        integers.push_back(0);
        break;
    case ColumnStorage::Real:
        reals.push_back(0.0);
        break;
    case ColumnStorage::Text:
        textEnds.push_back(chars.size());
        break;
    }
}

void RecordColumn::AppendInteger(int64_t value) {
    nulls.push_back(0);
    integers.push_back(value);
}

void RecordColumn::AppendReal(double value) {
    nulls.push_back(0);
    reals.push_back(value);
}

void RecordColumn::AppendText(std::string_view utf8) {
    nulls.push_back(0);
    chars.append(utf8);
    textEnds.push_back(chars.size());
}

void RecordColumn::Reserve(size_t records) {
    nulls.reserve(records);
    switch (storage) {
    case ColumnStorage::Integer:
    case ColumnStorage::Date:
        integers.reserve(records);
        break;
    case ColumnStorage::Real:
        reals.reserve(records);
        break;
    case ColumnStorage::Text:
        textEnds.reserve(records);
        break;
    }
}

size_t RecordData::RecordCount() const {
    if (!columns.empty())
        return columns.front().Size();
    return hasGeometry ? geometry.Size() : 0;
}

const RecordColumn* RecordData::ColumnOfField(int32_t fieldIndex) const {
    if (fieldIndex < 0 || fieldIndex >= FieldCount())
        return nullptr;
    if (hasGeometry) {
        if (fieldIndex == geometryFieldIndex)
            return nullptr;
        if (fieldIndex > geometryFieldIndex)
            --fieldIndex;
    }
    return &columns[static_cast<size_t>(fieldIndex)];
}

HRESULT RecordData::MakeFields(IFields** fields) const {
    if (!fields)
        return E_POINTER;
    *fields = nullptr;
    auto list = MakeObject<Fields>();
    for (int32_t index = 0; index < FieldCount(); ++index) {
        if (hasGeometry && index == geometryFieldIndex) {
            FieldProperties shape;
            shape.name = geometry.fieldName;
            shape.type = taviFieldTypeGeometry;
            list->Add(std::move(shape), FieldSource{FieldSource::Geometry, 0});
        } else {
            list->Add(ColumnOfField(index)->field, FieldSource{FieldSource::Attribute, index});
        }
    }
    *fields = list.Detach();
    return S_OK;
}

namespace {

bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

bool SameField(const FieldProperties& a, const FieldProperties& b) {
    return a.name == b.name && a.alias == b.alias && a.type == b.type && a.length == b.length &&
           a.nullable == b.nullable;
}

bool SameColumn(const RecordColumn& a, const RecordColumn& b) {
    return SameField(a.field, b.field) && a.storage == b.storage && a.nulls == b.nulls && a.integers == b.integers &&
           SameBits(a.reals, b.reals) && a.chars == b.chars && a.textEnds == b.textEnds;
}

bool SameSpatialReference(ISpatialReference* a, ISpatialReference* b) {
    if (!a || !b)
        return !a && !b;
    VARIANT_BOOL same = VARIANT_FALSE;
    return SUCCEEDED(a->IsSameCoordinateSystem(b, &same)) && same == VARIANT_TRUE;
}

bool SameGeometry(const GeometryColumn& a, const GeometryColumn& b) {
    return a.fieldName == b.fieldName && a.shapeType == b.shapeType && a.hasZ == b.hasZ && a.hasM == b.hasM &&
           a.recordParts == b.recordParts && a.partPoints == b.partPoints && SameBits(a.xy, b.xy) &&
           SameBits(a.z, b.z) && SameBits(a.m, b.m) && a.nulls == b.nulls &&
           SameSpatialReference(a.spatialReference.Get(), b.spatialReference.Get());
}

} // namespace

bool RecordData::operator==(const RecordData& other) const {
    if (columns.size() != other.columns.size() || oidFieldName != other.oidFieldName ||
        hasGeometry != other.hasGeometry || (hasGeometry && geometryFieldIndex != other.geometryFieldIndex))
        return false;
    for (size_t index = 0; index < columns.size(); ++index)
        if (!SameColumn(columns[index], other.columns[index]))
            return false;
    return !hasGeometry || SameGeometry(geometry, other.geometry);
}

} // namespace tavi
