// The in-memory record set object: see RecordSet.h.
#include "data/RecordSet.h"

#include "data/RecordGeometry.h"
#include "data/RecordSetJson.h"
#include "data/RecordSetStream.h"
#include "data/RecordTables.h"
#include "host/GPValue.h"
#include "host/Geometry.h"
#include "host/XmlNamespace.h"
#include "platform/ErrorInfo.h"
#include "platform/HandOut.h"
#include "platform/Utf.h"

#include <cstdio>

namespace tavi {

namespace {

VARIANT_BOOL ToBool(bool value) {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

std::shared_ptr<const RecordData> EmptyContent() {
    static const auto empty = std::make_shared<const RecordData>();
    return empty;
}

void IntegerValue(int32_t fieldType, int64_t value, VARIANT* out) {
    switch (fieldType) {
    case taviFieldTypeSmallInteger:
        out->vt = VT_I2;
        out->iVal = static_cast<int16_t>(value);
        return;
    case taviFieldTypeInteger:
        out->vt = VT_I4;
        out->lVal = static_cast<int32_t>(value);
        return;
    default:
        out->vt = VT_I8;
        out->llVal = value;
        return;
    }
}

void ColumnValue(const RecordColumn& column, size_t record, VARIANT* out) {
    if (column.IsNull(record)) {
        out->vt = VT_NULL;
        return;
    }
    switch (column.storage) {
    case ColumnStorage::Integer:
        IntegerValue(column.field.type, column.integers[record], out);
        return;
    case ColumnStorage::Real:
        out->vt = VT_R8;
        out->dblVal = column.reals[record];
        return;
    case ColumnStorage::Date:
        out->vt = VT_DATE;
        out->date = DateOfEpochMilliseconds(column.integers[record]);
        return;
    case ColumnStorage::Text:
        out->vt = VT_BSTR;
        out->bstrVal = BStr(FromUtf8(column.Text(record))).Detach();
        return;
    }
}

// The geometry as well-known text, as a row gives its shape.
void GeometryValue(const GeometryColumn& geometry, size_t record, VARIANT* out) {
    std::unique_ptr<OGRGeometry> made = MakeOgrGeometry(geometry, record);
    if (!made) {
        out->vt = VT_NULL;
        return;
    }
    out->vt = VT_BSTR;
    out->bstrVal = BStr(FromUtf8(WriteWkt(*made))).Detach();
}

// Reads JSON text converted from UTF-16, in place: its string takes the reader's padding.
// A JSON form read into `data`; a text that is not the form leaves the reader's account of what and where as the
// thread's error information.
HRESULT ReadJson(const PaddedJson& json, RecordData& data) {
    std::string error;
    HRESULT hr = ReadRecordSetJson(json, data, &error);
    if (FAILED(hr) && !error.empty())
        return ReportError(hr, RecordSet::kClassName, FromUtf8(error));
    return hr;
}

HRESULT ReadJsonText(std::string text, RecordData& data) {
    return ReadJson(PaddedJson::Borrow(text), data);
}

HRESULT WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return STG_E_WRITEFAULT;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    written = std::fclose(file) == 0 && written;
    if (written)
        return S_OK;
    std::remove(path.c_str());
    return STG_E_WRITEFAULT;
}

} // namespace

RecordSet::RecordSet() : data_(EmptyContent()) {}

RecordSet::RecordSet(std::shared_ptr<const RecordData> data) : data_(data ? std::move(data) : EmptyContent()) {}

std::shared_ptr<const RecordData> RecordSet::Content() {
    std::lock_guard held(lock_);
    return data_;
}

void RecordSet::Replace(std::shared_ptr<const RecordData> data, bool dirty) {
    std::lock_guard held(lock_);
    data_ = std::move(data);
    dirty_ = dirty;
}

template <class Read> HRESULT RecordSet::ReadNew(Read&& read) {
    return guard([&]() -> HRESULT {
        auto data = std::make_shared<RecordData>();
        if (HRESULT hr = read(*data); FAILED(hr))
            return hr;
        Replace(std::move(data));
        return S_OK;
    });
}

HRESULT RecordSet::get_Fields(IFields** fields) {
    if (HRESULT hr = ClearOut(fields); FAILED(hr))
        return hr;
    return guard([&] { return Content()->MakeFields(fields); });
}

HRESULT RecordSet::get_RecordCount(int64_t* count) {
    return HandOutValue(static_cast<int64_t>(Content()->RecordCount()), count);
}

HRESULT RecordSet::get_OIDFieldName(BSTR* name) {
    return HandOut(Content()->oidFieldName, name);
}

HRESULT RecordSet::get_ShapeFieldName(BSTR* name) {
    auto data = Content();
    return HandOut(data->hasGeometry ? std::u16string_view(data->geometry.fieldName) : std::u16string_view(), name);
}

HRESULT RecordSet::get_ShapeType(int32_t* shapeType) {
    auto data = Content();
    return HandOutValue(data->hasGeometry ? data->geometry.shapeType : int32_t{taviGeometryNull}, shapeType);
}

HRESULT RecordSet::get_HasZ(VARIANT_BOOL* hasZ) {
    auto data = Content();
    return HandOutValue(ToBool(data->hasGeometry && data->geometry.hasZ), hasZ);
}

HRESULT RecordSet::get_HasM(VARIANT_BOOL* hasM) {
    auto data = Content();
    return HandOutValue(ToBool(data->hasGeometry && data->geometry.hasM), hasM);
}

HRESULT RecordSet::get_SpatialReference(ISpatialReference** spatialReference) {
    if (HRESULT hr = ClearOut(spatialReference); FAILED(hr))
        return hr;
    auto data = Content();
    if (!data->hasGeometry || !data->geometry.spatialReference)
        return S_FALSE;
    return data->geometry.spatialReference->Clone(spatialReference);
}

HRESULT RecordSet::get_Value(int64_t record, int32_t field, VARIANT* value) {
    if (!value)
        return E_POINTER;
    VariantInit(value);
    auto data = Content();
    if (record < 0 || static_cast<uint64_t>(record) >= data->RecordCount() || field < 0 || field >= data->FieldCount())
        return E_INVALIDARG;
    return guard([&] {
        if (const RecordColumn* column = data->ColumnOfField(field))
            ColumnValue(*column, static_cast<size_t>(record), value);
        else
            GeometryValue(data->geometry, static_cast<size_t>(record), value);
    });
}

HRESULT RecordSet::CreateTable(IWorkspace* workspace, const OLECHAR* name, ITable** table) {
    if (HRESULT hr = ClearOut(table); FAILED(hr))
        return hr;
    return guard([&] { return WriteRecordTable(*Content(), workspace, name, table); });
}

HRESULT RecordSet::SetSourceTable(IUnknown* table, const OLECHAR* whereClause) {
    if (!table)
        return E_POINTER;
    return ReadNew([&](RecordData& data) { return ReadRecordTable(table, whereClause, data); });
}

HRESULT RecordSet::FromJSON(const OLECHAR* json) {
    if (!json)
        return E_POINTER;
    return ReadNew([&](RecordData& data) { return ReadJsonText(ToUtf8(json), data); });
}

HRESULT RecordSet::ToJSON(int32_t options, BSTR* json) {
    if (!json)
        return E_POINTER;
    *json = nullptr;
    return guard([&] {
        std::string text;
        WriteRecordSetJson(*Content(), options, text);
        return HandOut(FromUtf8(text), json);
    });
}

HRESULT RecordSet::ToGeoJSON(BSTR* json) {
    if (!json)
        return E_POINTER;
    *json = nullptr;
    return guard([&] {
        std::string text;
        WriteRecordSetGeoJson(*Content(), text);
        return HandOut(FromUtf8(text), json);
    });
}

HRESULT RecordSet::ReadJSONFile(const OLECHAR* path) {
    if (!path)
        return E_POINTER;
    return ReadNew([&](RecordData& data) {
        PaddedJson json;
        if (HRESULT hr = PaddedJson::ReadFile(ToUtf8(path), json); FAILED(hr))
            return hr;
        return ReadJson(json, data);
    });
}

HRESULT RecordSet::WriteJSONFile(const OLECHAR* path, int32_t options) {
    if (!path)
        return E_POINTER;
    return guard([&] {
        std::string bytes;
        WriteRecordSetJson(*Content(), options, bytes);
        return WriteFileBytes(ToUtf8(path), bytes);
    });
}

HRESULT RecordSet::Clone(IClone** clone) {
    if (HRESULT hr = ClearOut(clone); FAILED(hr))
        return hr;
    return guard([&] { *clone = static_cast<IClone*>(MakeObject<RecordSet>(Content()).Detach()); });
}

HRESULT RecordSet::Assign(IClone* source) {
    return guard([&]() -> HRESULT {
        auto data = RecordDataOf(source);
        if (!data)
            return E_INVALIDARG;
        Replace(std::move(data));
        return S_OK;
    });
}

HRESULT RecordSet::IsEqual(IClone* other, VARIANT_BOOL* equal) {
    if (!other || !equal)
        return E_POINTER;
    *equal = VARIANT_FALSE;
    return guard([&] {
        auto mine = Content();
        auto theirs = RecordDataOf(other);
        *equal = ToBool(theirs && (mine == theirs || *mine == *theirs));
    });
}

HRESULT RecordSet::IsIdentical(IClone* other, VARIANT_BOOL* identical) {
    if (!other || !identical)
        return E_POINTER;
    *identical = ToBool(SameObject(static_cast<IRecordSet*>(this), other));
    return S_OK;
}

HRESULT RecordSet::GetClassID(CLSID* clsid) {
    return HandOutValue(kClassId, clsid);
}

HRESULT RecordSet::IsDirty() {
    std::lock_guard held(lock_);
    return dirty_ ? S_OK : S_FALSE;
}

HRESULT RecordSet::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        auto data = std::make_shared<RecordData>();
        if (FAILED(LoadRecordData(stream, *data)))
            return E_FAIL;
        Replace(std::move(data), false);
        return S_OK;
    });
}

HRESULT RecordSet::Save(IStream* stream, int32_t clearDirty) {
    if (!stream)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        if (FAILED(SaveRecordData(stream, *Content())))
            return E_FAIL;
        if (clearDirty) {
            std::lock_guard held(lock_);
            dirty_ = false;
        }
        return S_OK;
    });
}

HRESULT RecordSet::GetSizeMax(uint64_t* size) {
    return SaveFormSize(this, size);
}

HRESULT RecordSet::Serialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return guard([&]() -> HRESULT {
        std::string json;
        WriteRecordSetJson(*Content(), taviJsonCompact, json);
        data->put_TypeName(kClassName);
        data->put_TypeNamespaceURI(c_xml_ns_tavi);
        return data->AddString(u"Json", FromUtf8(json).c_str());
    });
}

HRESULT RecordSet::Deserialize(IXMLSerializeData* data) {
    if (!data)
        return E_POINTER;
    return ReadNew([&](RecordData& read) -> HRESULT {
        int32_t index = -1;
        BStr json;
        if (FAILED(data->Find(u"Json", &index)) || index < 0 || FAILED(data->GetString(index, json.Out())))
            return E_FAIL;
        return FAILED(ReadJsonText(ToUtf8(json.view()), read)) ? E_FAIL : S_OK;
    });
}

HRESULT MakeRecordSet(std::shared_ptr<const RecordData> data, IRecordSet** recordSet) {
    if (HRESULT hr = ClearOut(recordSet); FAILED(hr))
        return hr;
    return guard([&] { *recordSet = MakeObject<RecordSet>(std::move(data)).Detach(); });
}

std::shared_ptr<const RecordData> RecordDataOf(IUnknown* recordSet) {
    auto access = QueryAs<IRecordDataAccess>(recordSet);
    return access ? access->Content() : nullptr;
}

} // namespace tavi
