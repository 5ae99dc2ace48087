// Tables and feature classes read and written through OGR: the data element of a layer (TableElement), its cursors
// and its rows.
#pragma once

#include "data/DataElement.h"
#include "data/Field.h"
#include "data/GdalDataset.h"

#include <memory>

namespace tavi {

// An open layer shared by a table element, its cursors and its rows: they keep the dataset open, and each of their
// operations holds the dataset's lock (Lock()) while it uses the layer or a feature. Of one table element's cursors
// only the newest may read; `readGeneration` tells older cursors they were superseded. Cursors of other table
// elements on the same layer (a memory workspace's tables, reached from every thread) read on undisturbed: each puts
// its own filter and place back when another moved the layer's reading.
struct LayerHandle {
    gdal::DatasetPtr dataset;
    OGRLayer* layer = nullptr;
    ComPtr<Fields> fields;
    int64_t readGeneration = 0;

    std::unique_lock<std::recursive_mutex> Lock() const { return dataset.Lock(); }
};

// Inside the data access only: the layer behind a table element, so that whole tables are read and written straight
// through OGR (the record sets) rather than row by row through variants. Whoever uses the layer holds its Lock().
struct ILayerAccess : IUnknown {
    // Assigned: name-based identifier of "taviGeoprocessing.ILayerAccess" (see DataAccess.h).
    static constexpr IID iid{0xEB046867, 0x942E, 0x521A, {0x9C, 0xB6, 0x2F, 0x8F, 0x50, 0x9F, 0xF2, 0x3F}};
    virtual std::shared_ptr<LayerHandle> Layer() = 0;
};

// A table ("DETable") or, when the layer has a geometry field, a feature class ("DEFeatureClass"). Only a feature
// class answers IFeatureClass and IDEGdbFeatureClass3 (whose operations are IFeatureClass's: feature type simple).
class TableElement final : public DataElementObject<TableElement, IDEDataset4, ITable, IFeatureClass, IDEGdbTable7,
                                                    IDEGdbFeatureClass3, ILayerAccess> {
public:
    static constexpr const char16_t* kClassName = u"DETable";

    TableElement(std::shared_ptr<LayerHandle> handle, String catalogPath, String name);

    // IDEDataset4
    HRESULT get_DatasetType(int32_t* type) override;
    HRESULT get_DSID(int32_t* id) override;
    HRESULT get_Versioned(VARIANT_BOOL* versioned) override;
    HRESULT get_IsArchived(VARIANT_BOOL* archived) override;
    HRESULT get_ChangeTracked(VARIANT_BOOL* tracked) override;
    HRESULT get_CanVersion(VARIANT_BOOL* canVersion) override;
    // ITable
    HRESULT get_Fields(IFields** fields) override;
    HRESULT get_HasOID(VARIANT_BOOL* hasOID) override;
    HRESULT get_OIDFieldName(BSTR* name) override;
    HRESULT RowCount(int64_t* count) override;
    HRESULT Search(const OLECHAR* whereClause, ICursor** cursor) override;
    HRESULT GetRow(int64_t oid, IRow** row) override;
    HRESULT CreateRow(IRow** row) override;
    // IDEGdbTable7: the fields and identifier field of ITable; the layer's fields change only through the data.
    HRESULT putref_Fields(IFields*) override { return E_FAIL; }
    HRESULT put_OIDFieldName(const OLECHAR*) override { return E_FAIL; }
    // IFeatureClass (and IDEGdbFeatureClass3)
    HRESULT get_ShapeType(int32_t* shapeType) override;
    HRESULT get_FeatureType(int32_t* featureType) override;
    HRESULT get_ShapeFieldName(BSTR* name) override;
    HRESULT get_HasZ(VARIANT_BOOL* hasZ) override;
    HRESULT get_HasM(VARIANT_BOOL* hasM) override;
    HRESULT get_HasSpatialIndex(VARIANT_BOOL* hasIndex) override;
    HRESULT get_Extent(IEnvelope** extent) override;
    HRESULT get_SpatialReference(ISpatialReference** spatialReference) override;
    // ILayerAccess
    std::shared_ptr<LayerHandle> Layer() override { return handle_; }

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override;

private:
    bool IsFeatureClass() const;
    OGRwkbGeometryType GeometryType() const;

    std::shared_ptr<LayerHandle> handle_;
};

// A table element for layer `layer` of `dataset`, named `name` (the layer's name when empty: a dataset inside a
// container is named by its layer, a file by its file name).
ComPtr<TableElement> MakeTableElement(gdal::DatasetPtr dataset, OGRLayer* layer, String catalogPath, String name = {});

// The layer behind a table element (null for any other object).
std::shared_ptr<LayerHandle> LayerHandleOf(IUnknown* table);

// The shape type code of an OGR geometry type.
int32_t ShapeTypeOf(OGRwkbGeometryType type);

} // namespace tavi
