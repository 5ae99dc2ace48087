// Record content read from and written to tables through OGR: see RecordTables.h.
#include "data/RecordTables.h"

#include "data/DataElement.h"
#include "data/RecordGeometry.h"
#include "data/Table.h"
#include "host/SpatialReference.h"
#include "platform/Utf.h"

#include <cpl_string.h>

#include <climits>
#include <utility>

namespace tavi {

namespace {

// ---- Reading ----

// How an attribute's value is taken from an OGR feature.
enum class Take { Integer, Integer64, Real, Text, DateTime, Binary, AsText };

Take TakeFor(const OGRFieldDefn& definition) {
    switch (definition.GetType()) {
    case OFTInteger:
        return Take::Integer;
    case OFTInteger64:
        return Take::Integer64;
    case OFTReal:
        return Take::Real;
    case OFTString:
        return Take::Text;
    case OFTDate:
    case OFTTime:
    case OFTDateTime:
        return Take::DateTime;
    case OFTBinary:
        return Take::Binary;
    default:
        return Take::AsText; // lists: their text form, as the field type says
    }
}

struct Attribute {
    int ogrIndex;
    Take take;
    size_t column;
};

// Milliseconds since the epoch (UTC) of an OGR date, time or date-time.
int64_t MillisecondsOf(const OGRField& value) {
    const auto& d = value.Date;
    DateTimeFields f{d.Year, d.Month, d.Day, d.Hour, d.Minute, d.Second};
    if (d.Year == 0 && d.Month == 0 && d.Day == 0) // a time without a date
        f.year = 1899, f.month = 12, f.day = 30;
    // TZFlag: 0 unknown, 1 local time (both taken as UTC), 100 UTC, 100 + n: n quarter hours east.
    int offsetMinutes = d.TZFlag > 1 ? (d.TZFlag - 100) * 15 : 0;
    return EpochMilliseconds(f, offsetMinutes);
}

void AppendBase64(RecordColumn& column, const OGRField& value) {
    char* text = CPLBase64Encode(value.Binary.nCount, value.Binary.paData);
    column.AppendText(text ? text : "");
    CPLFree(text);
}

void AppendAttribute(RecordColumn& column, OGRFeature& feature, const Attribute& a) {
    if (!feature.IsFieldSetAndNotNull(a.ogrIndex)) {
        column.AppendNull();
        return;
    }
    const OGRField& value = *feature.GetRawFieldRef(a.ogrIndex);
    switch (a.take) {
    case Take::Integer:
        column.AppendInteger(value.Integer);
        break;
    case Take::Integer64:
        column.AppendInteger(value.Integer64);
        break;
    case Take::Real:
        column.AppendReal(value.Real);
        break;
    case Take::Text:
        column.AppendText(value.String);
        break;
    case Take::DateTime:
        column.AppendInteger(MillisecondsOf(value));
        break;
    case Take::Binary:
        AppendBase64(column, value);
        break;
    case Take::AsText:
        column.AppendText(feature.GetFieldAsString(a.ogrIndex));
        break;
    }
}

// Reads a layer's records into the columns its fields make.
class LayerReader {
public:
    LayerReader(LayerHandle& handle, RecordData& data) : handle_(handle), data_(data) {}

    HRESULT Read(const std::string& where);

private:
    void MakeColumns();
    void DescribeGeometry(const FieldProperties& properties, int ogrIndex);
    HRESULT AppendFeature(OGRFeature& feature);
    void Reserve();

    LayerHandle& handle_;
    RecordData& data_;
    std::vector<Attribute> attributes_;
    size_t oidColumn_ = SIZE_MAX;
    int geometryIndex_ = -1; // the OGR geometry field read, -1 for none
};

void LayerReader::DescribeGeometry(const FieldProperties& properties, int ogrIndex) {
    const OGRGeomFieldDefn& definition = *handle_.layer->GetLayerDefn()->GetGeomFieldDefn(ogrIndex);
    OGRwkbGeometryType type = definition.GetType();
    geometryIndex_ = ogrIndex;
    data_.hasGeometry = true;
    data_.geometryFieldIndex = static_cast<int32_t>(data_.columns.size());
    data_.geometry.fieldName = properties.name;
    data_.geometry.shapeType = ShapeTypeOf(type);
    data_.geometry.hasZ = OGR_GT_HasZ(type) != 0;
    data_.geometry.hasM = OGR_GT_HasM(type) != 0;
}

void LayerReader::MakeColumns() {
    const Fields& fields = *handle_.fields;
    OGRFeatureDefn* definition = handle_.layer->GetLayerDefn();
    for (int32_t i = 0; i < fields.Count(); ++i) {
        const FieldSource& source = fields.Source(i);
        const FieldProperties& properties = fields.Properties(i);
        if (source.kind == FieldSource::Geometry) {
            if (geometryIndex_ < 0) // a table has one shape field: further geometry fields are not read
                DescribeGeometry(properties, source.index);
            continue;
        }
        RecordColumn& column = data_.columns.emplace_back();
        column.field = properties;
        column.storage = StorageOf(properties.type);
        if (source.kind == FieldSource::ObjectId) {
            oidColumn_ = data_.columns.size() - 1;
            data_.oidFieldName = properties.name;
        } else {
            attributes_.push_back(
                {source.index, TakeFor(*definition->GetFieldDefn(source.index)), data_.columns.size() - 1});
        }
    }
}

void LayerReader::Reserve() {
    if (!handle_.layer->TestCapability(OLCFastFeatureCount))
        return;
    GIntBig count = handle_.layer->GetFeatureCount(FALSE);
    if (count <= 0)
        return;
    for (RecordColumn& column : data_.columns)
        column.Reserve(static_cast<size_t>(count));
    if (data_.hasGeometry) {
        data_.geometry.nulls.reserve(static_cast<size_t>(count));
        data_.geometry.recordParts.reserve(static_cast<size_t>(count) + 1);
    }
}

HRESULT LayerReader::AppendFeature(OGRFeature& feature) {
    if (data_.hasGeometry) {
        const OGRGeometry* geometry = feature.GetGeomFieldRef(geometryIndex_);
        GeometryColumn& column = data_.geometry;
        // A layer of no declared kind takes the kind of its first geometry.
        if (geometry && column.shapeType == taviGeometryNull)
            column.shapeType = ShapeTypeOf(geometry->getGeometryType());
        if (HRESULT hr = AppendGeometry(column, geometry); FAILED(hr))
            return hr;
    }
    if (oidColumn_ != SIZE_MAX)
        data_.columns[oidColumn_].AppendInteger(feature.GetFID());
    for (const Attribute& a : attributes_)
        AppendAttribute(data_.columns[a.column], feature, a);
    return S_OK;
}

HRESULT LayerReader::Read(const std::string& where) {
    OGRLayer* layer = handle_.layer;
    // Cursors of this table are superseded, and those of other tables on the layer put their filter back.
    ++handle_.readGeneration;
    handle_.dataset.ReaderOf(layer) = 0;
    {
        gdal::ErrorScope quiet;
        if (layer->SetAttributeFilter(where.empty() ? nullptr : where.c_str()) != OGRERR_NONE) {
            layer->SetAttributeFilter(nullptr);
            return E_INVALIDARG;
        }
    }
    MakeColumns();
    Reserve();
    HRESULT hr = S_OK;
    {
        gdal::ErrorScope errors;
        layer->ResetReading();
        while (std::unique_ptr<OGRFeature> feature{layer->GetNextFeature()})
            if (hr = AppendFeature(*feature); FAILED(hr))
                break;
        // A database checks the clause only when it reads: failing before the first record, the clause is refused.
        if (SUCCEEDED(hr) && errors.HasError())
            hr =
                !where.empty() && data_.RecordCount() == 0 ? E_INVALIDARG : gdal::ResultFromError(errors.ErrorNumber());
    }
    layer->SetAttributeFilter(nullptr);
    layer->ResetReading();
    if (FAILED(hr) || !data_.hasGeometry)
        return hr;
    const OGRGeomFieldDefn& definition = *layer->GetLayerDefn()->GetGeomFieldDefn(geometryIndex_);
    return MakeSpatialReference(definition.GetSpatialRef(), data_.geometry.hasZ, data_.geometry.hasM,
                                data_.geometry.spatialReference.Out());
}

// The layer of a table element, or of the table a data element's catalog path opens.
std::shared_ptr<LayerHandle> LayerOfTable(IUnknown* table) {
    if (auto handle = LayerHandleOf(table))
        return handle;
    auto element = QueryAs<IDataElement>(table);
    BStr path;
    if (!element || FAILED(element->get_CatalogPath(path.Out())) || path.view().empty())
        return nullptr;
    ComPtr<IDataElement> opened;
    if (FAILED(OpenDataElement(path.view(), opened.Out())))
        return nullptr;
    return LayerHandleOf(opened.Get());
}

// ---- Writing ----

// The field list of the new table: the records' fields without the shape.
ComPtr<IFields> TableFields(const RecordData& data) {
    auto fields = MakeObject<Fields>();
    for (const RecordColumn& column : data.columns)
        fields->Add(column.field, {FieldSource::Attribute, -1});
    return ComPtr<IFields>(static_cast<IFields*>(fields.Get()));
}

HRESULT SetText(OGRFeature& feature, int index, std::string_view text, std::string& buffer) {
    if (text.find('\0') != std::string_view::npos)
        return E_INVALIDARG; // OGR takes texts up to their first zero
    buffer.assign(text);
    if (feature.GetFieldDefnRef(index)->GetType() == OFTBinary) {
        int bytes = CPLBase64DecodeInPlace(reinterpret_cast<GByte*>(buffer.data()));
        feature.SetField(index, bytes, buffer.data());
    } else {
        feature.SetField(index, buffer.c_str());
    }
    return S_OK;
}

HRESULT SetValue(OGRFeature& feature, int index, const RecordColumn& column, size_t record, std::string& buffer) {
    if (column.IsNull(record)) {
        feature.SetFieldNull(index);
        return S_OK;
    }
    switch (column.storage) {
    case ColumnStorage::Integer: {
        int64_t value = column.integers[record];
        if (feature.GetFieldDefnRef(index)->GetType() == OFTInteger && (value < INT_MIN || value > INT_MAX))
            return DISP_E_OVERFLOW;
        feature.SetField(index, static_cast<GIntBig>(value));
        return S_OK;
    }
    case ColumnStorage::Real:
        feature.SetField(index, column.reals[record]);
        return S_OK;
    case ColumnStorage::Date: {
        DateTimeFields f = DateTimeOf(column.integers[record]);
        feature.SetField(index, f.year, f.month, f.day, f.hour, f.minute, static_cast<float>(f.second), 100);
        return S_OK;
    }
    case ColumnStorage::Text:
        return SetText(feature, index, column.Text(record), buffer);
    }
    return E_FAIL;
}

// GDAL's messages while records are written: the first failure, and whether a warning came. A file format warns
// where it cannot hold a value (a number too wide for its field) and writes something else: such a write fails.
class WriteMessages {
public:
    WriteMessages() {
        CPLErrorReset();
        CPLPushErrorHandlerEx(&Note, this);
    }
    ~WriteMessages() { CPLPopErrorHandler(); }
    WriteMessages(const WriteMessages&) = delete;
    WriteMessages& operator=(const WriteMessages&) = delete;

    // The failure's result code, or `otherwise` when GDAL reported none.
    HRESULT Failure(HRESULT otherwise) const {
        return failure_ != CPLE_None ? gdal::ResultFromError(failure_) : otherwise;
    }
    bool TakeWarning() { return std::exchange(warned_, false); }

private:
    static void Note(CPLErr level, CPLErrorNum number, const char*) {
        auto* self = static_cast<WriteMessages*>(CPLGetErrorHandlerUserData());
        if (level == CE_Warning)
            self->warned_ = true;
        else if (level >= CE_Failure && self->failure_ == CPLE_None)
            self->failure_ = number == CPLE_None ? CPLE_AppDefined : number;
    }

    CPLErrorNum failure_ = CPLE_None;
    bool warned_ = false;
};

// Inserts every record into the new layer; the table's attribute fields are the columns without the identifier, in
// order. With `strict`, a record that makes GDAL warn fails the write with DISP_E_OVERFLOW.
HRESULT InsertRecords(const RecordData& data, OGRLayer& layer, bool strict, WriteMessages& messages) {
    std::vector<const RecordColumn*> attributes;
    for (const RecordColumn& column : data.columns)
        if (column.field.type != taviFieldTypeOID)
            attributes.push_back(&column);
    OGRFeatureDefn* definition = layer.GetLayerDefn();
    if (static_cast<int>(attributes.size()) != definition->GetFieldCount())
        return E_FAIL;
    OGRFeature feature(definition);
    std::string buffer;
    for (size_t record = 0; record < data.RecordCount(); ++record) {
        feature.SetFID(OGRNullFID);
        for (size_t i = 0; i < attributes.size(); ++i)
            if (HRESULT hr = SetValue(feature, static_cast<int>(i), *attributes[i], record, buffer); FAILED(hr))
                return hr;
        if (data.hasGeometry)
            feature.SetGeomFieldDirectly(0, MakeOgrGeometry(data.geometry, record).release());
        if (layer.CreateFeature(&feature) != OGRERR_NONE)
            return messages.Failure(E_FAIL);
        if (messages.TakeWarning() && strict)
            return DISP_E_OVERFLOW;
    }
    return S_OK;
}

// All records in one transaction where the dataset has them (its own or emulated). A file (`inFolder`) takes no
// record that makes GDAL warn.
HRESULT InsertInTransaction(const RecordData& data, LayerHandle& handle, bool inFolder) {
    auto held = handle.Lock();
    GDALDataset& dataset = *handle.dataset;
    bool transaction = false;
    {
        gdal::ErrorScope quiet;
        transaction = dataset.StartTransaction(TRUE) == OGRERR_NONE;
    }
    WriteMessages messages;
    HRESULT hr = InsertRecords(data, *handle.layer, inFolder, messages);
    if (SUCCEEDED(hr) && transaction && dataset.CommitTransaction() != OGRERR_NONE)
        return messages.Failure(E_FAIL);
    if (FAILED(hr)) {
        if (transaction)
            dataset.RollbackTransaction();
        return hr;
    }
    if (handle.layer->SyncToDisk() != OGRERR_NONE)
        return messages.Failure(E_FAIL);
    return S_OK;
}

// Removes a table made by WriteRecordTable: a file workspace's files, or the layer of a database.
void RemoveNewTable(bool inFolder, ComPtr<ITable> table, std::shared_ptr<LayerHandle> handle) {
    gdal::ErrorScope quiet;
    if (inFolder) {
        BStr path;
        QueryAs<IDataElement>(table.Get())->get_CatalogPath(path.Out());
        table = {};
        handle.reset(); // the last holders of the new file: it is closed before it goes
        if (GDALDriver* driver = gdal::VectorDriverForExtension("shp"))
            driver->Delete(gdal::ToGdalPath(path.view()).c_str());
        return;
    }
    gdal::DatasetPtr dataset = handle->dataset;
    OGRLayer* layer = handle->layer;
    table = {};
    handle.reset();
    auto held = dataset.Lock();
    for (int i = 0; i < dataset->GetLayerCount(); ++i) {
        if (dataset->GetLayer(i) == layer) {
            dataset->DeleteLayer(i);
            return;
        }
    }
}

HRESULT CreateEmptyTable(const RecordData& data, IWorkspace* workspace, const OLECHAR* name, ComPtr<ITable>& table) {
    ComPtr<IFields> fields = TableFields(data);
    if (!data.hasGeometry)
        return workspace->CreateTable(name, fields.Get(), table.Out());
    const GeometryColumn& g = data.geometry;
    ComPtr<IFeatureClass> featureClass;
    if (HRESULT hr =
            workspace->CreateFeatureClass(name, fields.Get(), g.shapeType, g.hasZ ? VARIANT_TRUE : 0,
                                          g.hasM ? VARIANT_TRUE : 0, g.spatialReference.Get(), featureClass.Out());
        FAILED(hr))
        return hr;
    table = featureClass.As<ITable>();
    return table ? S_OK : E_FAIL;
}

} // namespace

HRESULT ReadRecordTable(IUnknown* table, const OLECHAR* whereClause, RecordData& data) {
    std::shared_ptr<LayerHandle> handle = LayerOfTable(table);
    if (!handle)
        return E_INVALIDARG;
    std::string where = whereClause ? ToUtf8(Trim(whereClause)) : std::string();
    auto held = handle->Lock();
    return LayerReader(*handle, data).Read(where);
}

HRESULT WriteRecordTable(const RecordData& data, IWorkspace* workspace, const OLECHAR* name, ITable** table) {
    if (HRESULT hr = ClearOut(table); FAILED(hr))
        return hr;
    if (!workspace || !name)
        return E_POINTER;
    int32_t type = taviWorkspaceFileSystem;
    if (HRESULT hr = workspace->get_Type(&type); FAILED(hr))
        return hr;
    const bool inFolder = type == taviWorkspaceFileSystem;
    ComPtr<ITable> made;
    if (HRESULT hr = CreateEmptyTable(data, workspace, name, made); FAILED(hr))
        return hr;
    std::shared_ptr<LayerHandle> handle = LayerHandleOf(made.Get());
    HRESULT hr = handle ? InsertInTransaction(data, *handle, inFolder) : E_FAIL;
    if (FAILED(hr)) {
        if (handle)
            RemoveNewTable(inFolder, std::move(made), std::move(handle));
        return hr;
    }
    *table = made.Detach();
    return S_OK;
}

} // namespace tavi
