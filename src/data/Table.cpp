// Tables and feature classes: see Table.h.
#include "data/Table.h"

#include "host/Envelope.h"
#include "host/Geometry.h"
#include "host/SpatialReference.h"
#include "platform/DateText.h"
#include "platform/HandOut.h"
#include "platform/Utf.h"

#include <atomic>
#include <cmath>

namespace tavi {

namespace {

VARIANT_BOOL ToBool(bool value) {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

// The VARIANT of an OGR date and time field.
HRESULT DateVariant(OGRFeature& feature, int index, VARIANT* value) {
    int year, month, day, hour, minute, tz;
    float second;
    if (!feature.GetFieldAsDateTime(index, &year, &month, &day, &hour, &minute, &second, &tz))
        return E_FAIL;
    if (year == 0 && month == 0 && day == 0) // a time without a date
        year = 1899, month = 12, day = 30;
    datetext::DateFields fields{year, month, day, hour, minute, static_cast<int>(std::lround(second))};
    DATE date = 0;
    if (!datetext::FromFields(fields, date))
        return DISP_E_OVERFLOW;
    value->vt = VT_DATE;
    value->date = date;
    return S_OK;
}

HRESULT AttributeVariant(OGRFeature& feature, int index, int32_t type, VARIANT* value) {
    if (!feature.IsFieldSetAndNotNull(index)) {
        value->vt = VT_NULL;
        return S_OK;
    }
    switch (type) {
    case taviFieldTypeSmallInteger:
        value->vt = VT_I2;
        value->iVal = static_cast<int16_t>(feature.GetFieldAsInteger(index));
        return S_OK;
    case taviFieldTypeInteger:
        value->vt = VT_I4;
        value->lVal = feature.GetFieldAsInteger(index);
        return S_OK;
    case taviFieldTypeBigInteger:
        value->vt = VT_I8;
        value->llVal = feature.GetFieldAsInteger64(index);
        return S_OK;
    case taviFieldTypeSingle:
    case taviFieldTypeDouble:
        value->vt = VT_R8;
        value->dblVal = feature.GetFieldAsDouble(index);
        return S_OK;
    case taviFieldTypeDate:
        return DateVariant(feature, index, value);
    default:
        value->vt = VT_BSTR;
        value->bstrVal = BStr(FromUtf8(feature.GetFieldAsString(index))).Detach();
        return S_OK;
    }
}

HRESULT GeometryVariant(OGRFeature& feature, int index, VARIANT* value) {
    const OGRGeometry* geometry = feature.GetGeomFieldRef(index);
    if (!geometry) {
        value->vt = VT_NULL;
        return S_OK;
    }
    // The geometry objects' text: coordinates that read back exactly, a multi shape of one part as its single kind.
    value->vt = VT_BSTR;
    value->bstrVal = BStr(FromUtf8(WriteWkt(*geometry))).Detach();
    return S_OK;
}

// Sets an attribute from a VARIANT converted to the field's kind.
HRESULT SetAttribute(OGRFeature& feature, int index, int32_t type, const VARIANT& value) {
    if (value.vt == VT_NULL || value.vt == VT_EMPTY) {
        feature.SetFieldNull(index);
        return S_OK;
    }
    VARTYPE target = VT_BSTR;
    switch (type) {
    case taviFieldTypeSmallInteger:
    case taviFieldTypeInteger:
        target = VT_I4;
        break;
    case taviFieldTypeBigInteger:
        target = VT_I8;
        break;
    case taviFieldTypeSingle:
    case taviFieldTypeDouble:
        target = VT_R8;
        break;
    case taviFieldTypeDate:
        target = VT_DATE;
        break;
    case taviFieldTypeBlob:
        return DISP_E_TYPEMISMATCH;
    default:
        break;
    }
    Variant converted;
    // Invariant locale: stored values do not depend on the user's number and date formats.
    if (FAILED(VariantChangeTypeEx(&converted, &value, 127, 0, target)))
        return DISP_E_TYPEMISMATCH;
    switch (target) {
    case VT_I4:
        feature.SetField(index, static_cast<int>(converted.lVal));
        return S_OK;
    case VT_I8:
        feature.SetField(index, static_cast<GIntBig>(converted.llVal));
        return S_OK;
    case VT_R8:
        feature.SetField(index, converted.dblVal);
        return S_OK;
    case VT_DATE: {
        datetext::DateFields f;
        if (!datetext::ToFields(converted.date, f))
            return DISP_E_OVERFLOW;
        feature.SetField(index, f.year, f.month, f.day, f.hour, f.minute, static_cast<float>(f.second), 0);
        return S_OK;
    }
    default:
        feature.SetField(index, ToUtf8(std::u16string_view(converted.bstrVal ? converted.bstrVal : u"")).c_str());
        return S_OK;
    }
}

HRESULT SetGeometry(OGRFeature& feature, int index, const VARIANT& value) {
    if (value.vt == VT_NULL || value.vt == VT_EMPTY) {
        feature.SetGeomFieldDirectly(index, nullptr);
        return S_OK;
    }
    if (value.vt != VT_BSTR)
        return DISP_E_TYPEMISMATCH;
    std::string wkt = ToUtf8(std::u16string_view(value.bstrVal ? value.bstrVal : u""));
    OGRGeometry* geometry = nullptr;
    gdal::ErrorScope quiet;
    if (OGRGeometryFactory::createFromWkt(wkt.c_str(), nullptr, &geometry) != OGRERR_NONE || !geometry)
        return DISP_E_TYPEMISMATCH;
    feature.SetGeomFieldDirectly(index, geometry);
    return S_OK;
}

// A record of a layer: read from a cursor or by identifier, or new and not stored yet. A row of a layer with a
// geometry field also answers IFeature for its (first) shape field.
class Row final : public Object<Row, IRow, IFeature> {
public:
    static constexpr const char16_t* kClassName = u"Row";

    Row(std::shared_ptr<LayerHandle> handle, std::unique_ptr<OGRFeature> feature)
        : handle_(std::move(handle)), feature_(std::move(feature)) {}
    // The feature refers to the layer's definition and spatial reference.
    ~Row() override {
        auto held = handle_->Lock();
        feature_.reset();
    }

    HRESULT get_OID(int64_t* oid) override {
        auto held = handle_->Lock();
        return HandOutValue<int64_t>(feature_->GetFID() == OGRNullFID ? -1 : feature_->GetFID(), oid);
    }
    HRESULT get_Fields(IFields** fields) override { return handle_->fields.CopyTo(fields); }
    HRESULT get_Value(int32_t index, VARIANT* value) override;
    HRESULT put_Value(int32_t index, VARIANT value) override;
    HRESULT Store() override;
    HRESULT Delete() override;
    // IFeature
    HRESULT get_Shape(IGeometry** shape) override;
    HRESULT putref_Shape(IGeometry* shape) override;

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override {
        auto held = handle_->Lock();
        if (riid == IFeature::iid && !HasShape()) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        return Object<Row, IRow, IFeature>::QueryOwnInterface(riid, ppv);
    }

private:
    bool HasShape() const { return handle_->layer->GetLayerDefn()->GetGeomFieldCount() > 0; }
    bool IsIndex(int32_t index) const { return index >= 0 && index < handle_->fields->Count(); }

    std::shared_ptr<LayerHandle> handle_;
    std::unique_ptr<OGRFeature> feature_;
};

HRESULT Row::get_Value(int32_t index, VARIANT* value) {
    auto held = handle_->Lock();
    if (!value)
        return E_POINTER;
    VariantInit(value);
    if (!IsIndex(index))
        return E_INVALIDARG;
    return guard([&]() -> HRESULT {
        const FieldSource& source = handle_->fields->Source(index);
        switch (source.kind) {
        case FieldSource::ObjectId:
            if (feature_->GetFID() == OGRNullFID) {
                value->vt = VT_NULL;
            } else {
                value->vt = VT_I8;
                value->llVal = feature_->GetFID();
            }
            return S_OK;
        case FieldSource::Geometry:
            return GeometryVariant(*feature_, source.index, value);
        default:
            return AttributeVariant(*feature_, source.index, handle_->fields->Properties(index).type, value);
        }
    });
}

HRESULT Row::put_Value(int32_t index, VARIANT value) {
    auto held = handle_->Lock();
    if (!IsIndex(index))
        return E_INVALIDARG;
    return guard([&]() -> HRESULT {
        const FieldSource& source = handle_->fields->Source(index);
        switch (source.kind) {
        case FieldSource::ObjectId:
            return E_INVALIDARG; // identifiers are given by the table
        case FieldSource::Geometry:
            return SetGeometry(*feature_, source.index, value);
        default:
            return SetAttribute(*feature_, source.index, handle_->fields->Properties(index).type, value);
        }
    });
}

HRESULT Row::get_Shape(IGeometry** shape) {
    auto held = handle_->Lock();
    if (HRESULT hr = ClearOut(shape); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        const OGRGeometry* geometry = feature_->GetGeomFieldRef(0);
        if (!geometry)
            return S_FALSE;
        OGRwkbGeometryType type = handle_->layer->GetLayerDefn()->GetGeomFieldDefn(0)->GetType();
        ComPtr<ISpatialReference> spatialReference;
        HRESULT hr = MakeSpatialReference(handle_->layer->GetLayerDefn()->GetGeomFieldDefn(0)->GetSpatialRef(),
                                          OGR_GT_HasZ(type), OGR_GT_HasM(type), spatialReference.Out());
        if (FAILED(hr))
            return hr;
        return MakeGeometry(*geometry, spatialReference.Get(), shape);
    });
}

HRESULT Row::putref_Shape(IGeometry* shape) {
    auto held = handle_->Lock();
    return guard([&]() -> HRESULT {
        if (!shape) {
            feature_->SetGeomFieldDirectly(0, nullptr);
            return S_OK;
        }
        std::unique_ptr<OGRGeometry> geometry;
        if (HRESULT hr = CopyOgrGeometry(shape, &geometry); FAILED(hr))
            return hr;
        // A field of one kind takes only that kind; it is stored in the field's own form (single or multi, with the
        // field's Z and M).
        OGRwkbGeometryType fieldType = handle_->layer->GetLayerDefn()->GetGeomFieldDefn(0)->GetType();
        if (wkbFlatten(fieldType) != wkbUnknown) {
            if (ShapeTypeOf(fieldType) != ShapeTypeOf(geometry->getGeometryType()))
                return DISP_E_TYPEMISMATCH;
            geometry.reset(OGRGeometryFactory::forceTo(geometry.release(), fieldType));
            // Paths that do not join cannot become the one line string a single-part field holds.
            if (!geometry || wkbFlatten(geometry->getGeometryType()) != wkbFlatten(fieldType))
                return DISP_E_TYPEMISMATCH;
        }
        feature_->SetGeomFieldDirectly(0, geometry.release());
        return S_OK;
    });
}

HRESULT Row::Store() {
    auto held = handle_->Lock();
    return guard([&]() -> HRESULT {
        bool isNew = feature_->GetFID() == OGRNullFID;
        // Data opened read-only (a file that may not be written) cannot take rows.
        if (!handle_->layer->TestCapability(isNew ? OLCSequentialWrite : OLCRandomWrite))
            return TAVI_E_DATA_ACCESS_DENIED;
        gdal::ErrorScope errors;
        OGRErr err = isNew ? handle_->layer->CreateFeature(feature_.get()) : handle_->layer->SetFeature(feature_.get());
        if (err == OGRERR_NONE)
            err = handle_->layer->SyncToDisk();
        if (err == OGRERR_NONE)
            return S_OK;
        if (err == OGRERR_UNSUPPORTED_OPERATION)
            return TAVI_E_DATA_ACCESS_DENIED; // read-only data
        if (err == OGRERR_NON_EXISTING_FEATURE)
            return TAVI_E_DATA_NOT_FOUND;
        return errors.HasError() ? gdal::ResultFromError(errors.ErrorNumber()) : E_FAIL;
    });
}

HRESULT Row::Delete() {
    auto held = handle_->Lock();
    return guard([&]() -> HRESULT {
        if (feature_->GetFID() == OGRNullFID)
            return S_FALSE; // never stored
        if (!handle_->layer->TestCapability(OLCDeleteFeature))
            return TAVI_E_DATA_ACCESS_DENIED;
        gdal::ErrorScope errors;
        OGRErr err = handle_->layer->DeleteFeature(feature_->GetFID());
        if (err == OGRERR_UNSUPPORTED_OPERATION)
            return TAVI_E_DATA_ACCESS_DENIED;
        if (err == OGRERR_NON_EXISTING_FEATURE)
            return TAVI_E_DATA_NOT_FOUND;
        if (err != OGRERR_NONE)
            return E_FAIL;
        feature_->SetFID(OGRNullFID);
        return S_OK;
    });
}

// A cursor over a layer's rows that pass its filter. Its reading is the layer's own, which other cursors on the same
// layer move too; before it reads it puts its filter and place back when another did.
class Cursor final : public Object<Cursor, ICursor> {
public:
    static constexpr const char16_t* kClassName = u"Cursor";

    // Made with the lock held, after the layer was set to read `where` from the start.
    Cursor(std::shared_ptr<LayerHandle> handle, std::string where)
        : handle_(std::move(handle)), generation_(handle_->readGeneration), where_(std::move(where)) {
        handle_->dataset.ReaderOf(handle_->layer) = id_;
    }

    HRESULT get_Fields(IFields** fields) override { return handle_->fields.CopyTo(fields); }

    HRESULT NextRow(IRow** row) override {
        if (HRESULT hr = ClearOut(row); FAILED(hr))
            return hr;
        auto held = handle_->Lock();
        if (generation_ != handle_->readGeneration)
            return E_FAIL; // a newer cursor or a count of the same table moved the layer's reading
        return guard([&]() -> HRESULT {
            gdal::ErrorScope errors;
            if (HRESULT hr = Resume(); hr != S_OK)
                return hr;
            std::unique_ptr<OGRFeature> feature(handle_->layer->GetNextFeature());
            if (!feature)
                return errors.HasError() ? gdal::ResultFromError(errors.ErrorNumber()) : S_FALSE;
            ++read_;
            *row = MakeObject<Row>(handle_, std::move(feature)).Detach();
            return S_OK;
        });
    }

private:
    // Puts this cursor's filter and place back when another reader moved the layer: S_OK, S_FALSE when the place
    // is past the last row now, E_FAIL when the filter no longer applies.
    HRESULT Resume() {
        uint64_t& reader = handle_->dataset.ReaderOf(handle_->layer);
        if (reader == id_)
            return S_OK;
        reader = 0;
        OGRLayer* layer = handle_->layer;
        if (layer->SetAttributeFilter(where_.empty() ? nullptr : where_.c_str()) != OGRERR_NONE)
            return E_FAIL;
        layer->ResetReading();
        if (read_ > 0 && layer->SetNextByIndex(read_) != OGRERR_NONE)
            return S_FALSE;
        reader = id_;
        return S_OK;
    }

    static uint64_t NewId() {
        static std::atomic<uint64_t> last{0};
        return ++last;
    }

    std::shared_ptr<LayerHandle> handle_;
    int64_t generation_;
    std::string where_;
    const uint64_t id_ = NewId();
    int64_t read_ = 0; // rows handed out
};

} // namespace

int32_t ShapeTypeOf(OGRwkbGeometryType type) {
    switch (wkbFlatten(type)) {
    case wkbPoint:
        return taviGeometryPoint;
    case wkbMultiPoint:
        return taviGeometryMultipoint;
    case wkbLineString:
    case wkbMultiLineString:
    case wkbCircularString:
    case wkbCompoundCurve:
    case wkbMultiCurve:
        return taviGeometryPolyline;
    case wkbPolygon:
    case wkbMultiPolygon:
    case wkbCurvePolygon:
    case wkbMultiSurface:
        return taviGeometryPolygon;
    case wkbTIN:
    case wkbPolyhedralSurface:
        return taviGeometryMultiPatch;
    default:
        return taviGeometryNull;
    }
}

TableElement::TableElement(std::shared_ptr<LayerHandle> handle, String catalogPath, String name)
    : DataElementObject(handle->layer->GetLayerDefn()->GetGeomFieldCount() > 0 ? u"DEFeatureClass" : u"DETable",
                        std::move(catalogPath), std::move(name)),
      handle_(std::move(handle)) {}

ComPtr<TableElement> MakeTableElement(gdal::DatasetPtr dataset, OGRLayer* layer, String catalogPath, String name) {
    auto held = dataset.Lock();
    auto handle = std::make_shared<LayerHandle>();
    handle->dataset = std::move(dataset);
    handle->layer = layer;
    handle->fields = FieldsOfLayer(*layer);
    if (name.empty())
        name = FromUtf8(layer->GetName());
    return MakeObject<TableElement>(std::move(handle), std::move(catalogPath), std::move(name));
}

std::shared_ptr<LayerHandle> LayerHandleOf(IUnknown* table) {
    auto access = QueryAs<ILayerAccess>(table);
    return access ? access->Layer() : nullptr;
}

HRESULT TableElement::QueryOwnInterface(REFIID riid, void** ppv) {
    auto held = handle_->Lock();
    if ((riid == IFeatureClass::iid || riid == IDEGdbFeatureClass3::iid) && !IsFeatureClass()) {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    return DataElementObject::QueryOwnInterface(riid, ppv);
}

bool TableElement::IsFeatureClass() const {
    return handle_->layer->GetLayerDefn()->GetGeomFieldCount() > 0;
}

OGRwkbGeometryType TableElement::GeometryType() const {
    OGRFeatureDefn* definition = handle_->layer->GetLayerDefn();
    return definition->GetGeomFieldCount() > 0 ? definition->GetGeomFieldDefn(0)->GetType() : wkbNone;
}

HRESULT TableElement::get_DatasetType(int32_t* type) {
    auto held = handle_->Lock();
    return HandOutValue<int32_t>(IsFeatureClass() ? taviDatasetTypeFeatureClass : taviDatasetTypeTable, type);
}
HRESULT TableElement::get_DSID(int32_t* id) {
    return HandOutValue<int32_t>(-1, id);
}
HRESULT TableElement::get_Versioned(VARIANT_BOOL* versioned) {
    return HandOutValue(VARIANT_FALSE, versioned);
}
HRESULT TableElement::get_IsArchived(VARIANT_BOOL* archived) {
    return HandOutValue(VARIANT_FALSE, archived);
}
HRESULT TableElement::get_ChangeTracked(VARIANT_BOOL* tracked) {
    return HandOutValue(VARIANT_FALSE, tracked);
}
HRESULT TableElement::get_CanVersion(VARIANT_BOOL* canVersion) {
    return HandOutValue(VARIANT_FALSE, canVersion);
}

HRESULT TableElement::get_Fields(IFields** fields) {
    return handle_->fields.CopyTo(fields);
}

HRESULT TableElement::get_HasOID(VARIANT_BOOL* hasOID) {
    return HandOutValue(VARIANT_TRUE, hasOID); // every layer has feature identifiers
}

HRESULT TableElement::get_OIDFieldName(BSTR* name) {
    return HandOut(handle_->fields->Properties(0).name, name);
}

HRESULT TableElement::RowCount(int64_t* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    auto held = handle_->Lock();
    return guard([&]() -> HRESULT {
        gdal::ErrorScope errors;
        ++handle_->readGeneration;
        handle_->dataset.ReaderOf(handle_->layer) = 0;
        handle_->layer->SetAttributeFilter(nullptr);
        GIntBig n = handle_->layer->GetFeatureCount(TRUE);
        if (n < 0)
            return errors.HasError() ? gdal::ResultFromError(errors.ErrorNumber()) : E_FAIL;
        *count = n;
        return S_OK;
    });
}

HRESULT TableElement::Search(const OLECHAR* whereClause, ICursor** cursor) {
    if (HRESULT hr = ClearOut(cursor); FAILED(hr))
        return hr;
    auto held = handle_->Lock();
    return guard([&]() -> HRESULT {
        gdal::ErrorScope errors;
        std::string where = whereClause ? ToUtf8(Trim(whereClause)) : std::string();
        ++handle_->readGeneration;
        handle_->dataset.ReaderOf(handle_->layer) = 0;
        if (handle_->layer->SetAttributeFilter(where.empty() ? nullptr : where.c_str()) != OGRERR_NONE) {
            handle_->layer->SetAttributeFilter(nullptr);
            return E_INVALIDARG;
        }
        handle_->layer->ResetReading();
        *cursor = MakeObject<Cursor>(handle_, std::move(where)).Detach();
        return S_OK;
    });
}

HRESULT TableElement::GetRow(int64_t oid, IRow** row) {
    auto held = handle_->Lock();
    if (HRESULT hr = ClearOut(row); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        gdal::ErrorScope quiet;
        std::unique_ptr<OGRFeature> feature(handle_->layer->GetFeature(oid));
        if (!feature)
            return TAVI_E_DATA_NOT_FOUND;
        *row = MakeObject<Row>(handle_, std::move(feature)).Detach();
        return S_OK;
    });
}

HRESULT TableElement::CreateRow(IRow** row) {
    auto held = handle_->Lock();
    if (HRESULT hr = ClearOut(row); FAILED(hr))
        return hr;
    return guard([&] {
        auto feature = std::make_unique<OGRFeature>(handle_->layer->GetLayerDefn());
        *row = MakeObject<Row>(handle_, std::move(feature)).Detach();
    });
}

HRESULT TableElement::get_ShapeType(int32_t* shapeType) {
    auto held = handle_->Lock();
    return HandOutValue(ShapeTypeOf(GeometryType()), shapeType);
}

HRESULT TableElement::get_FeatureType(int32_t* featureType) {
    return HandOutValue<int32_t>(taviFeatureTypeSimple, featureType);
}

HRESULT TableElement::get_ShapeFieldName(BSTR* name) {
    auto held = handle_->Lock();
    return HandOut(IsFeatureClass() ? handle_->fields->Properties(1).name : String(), name);
}

HRESULT TableElement::get_HasZ(VARIANT_BOOL* hasZ) {
    auto held = handle_->Lock();
    return HandOutValue(ToBool(wkbHasZ(GeometryType())), hasZ);
}

HRESULT TableElement::get_HasM(VARIANT_BOOL* hasM) {
    auto held = handle_->Lock();
    return HandOutValue(ToBool(wkbHasM(GeometryType())), hasM);
}

HRESULT TableElement::get_HasSpatialIndex(VARIANT_BOOL* hasIndex) {
    auto held = handle_->Lock();
    // A layer filters by rectangle quickly exactly when it has a spatial index (a .qix or .sbn beside a shapefile,
    // the R-tree of a GeoPackage table, the index file of a file database table).
    return HandOutValue(ToBool(handle_->layer->TestCapability(OLCFastSpatialFilter)), hasIndex);
}

HRESULT TableElement::get_Extent(IEnvelope** extent) {
    auto held = handle_->Lock();
    if (HRESULT hr = ClearOut(extent); FAILED(hr))
        return hr;
    return guard([&]() -> HRESULT {
        ComPtr<ISpatialReference> spatialReference;
        if (HRESULT hr = get_SpatialReference(spatialReference.Out()); FAILED(hr))
            return hr;
        gdal::ErrorScope quiet;
        OGREnvelope bounds;
        if (!IsFeatureClass() || handle_->layer->GetExtent(&bounds, TRUE) != OGRERR_NONE) {
            auto empty = MakeObject<Envelope>();
            empty->putref_SpatialReference(spatialReference.Get());
            *extent = empty.Detach();
            return S_OK;
        }
        return CreateEnvelope(bounds.MinX, bounds.MinY, bounds.MaxX, bounds.MaxY, spatialReference.Get(), extent);
    });
}

HRESULT TableElement::get_SpatialReference(ISpatialReference** spatialReference) {
    auto held = handle_->Lock();
    if (HRESULT hr = ClearOut(spatialReference); FAILED(hr))
        return hr;
    OGRwkbGeometryType type = GeometryType();
    return MakeSpatialReference(handle_->layer->GetSpatialRef(), wkbHasZ(type), wkbHasM(type), spatialReference);
}

} // namespace tavi
