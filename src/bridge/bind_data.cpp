// Bindings of the data access and the geometry objects: data elements, workspaces, datasets, fields, tables with their
// cursors and rows, feature classes, rasters, envelopes, spatial references, and points, polylines and polygons.
// Every operation's parameters have a JSON form, so all are bound directly.
#include "bridge/Binding.h"

#include "tavi/DataAccess.h"
#include "tavi/Geometry.h"

namespace tavigp {

void BindDataFamily(BindingTable& t) {
    BIND(t, IDataElement, get_Type);
    BIND(t, IDataElement, get_Name);
    BIND(t, IDataElement, get_CatalogPath);
    BIND(t, IDataElement, get_BaseName);
    BIND(t, IDataElement, get_Extension);
    BIND(t, IDataElement, get_ChildrenExpanded);
    BIND(t, IDataElement, get_Children);

    BIND(t, IDEWorkspace, get_WorkspaceType);
    BIND(t, IDEWorkspace, OpenWorkspace);

    BIND(t, IDEDataset4, get_DatasetType);
    BIND(t, IDEDataset4, get_DSID);
    BIND(t, IDEDataset4, get_Versioned);
    BIND(t, IDEDataset4, get_IsArchived);
    BIND(t, IDEDataset4, get_ChangeTracked);
    BIND(t, IDEDataset4, get_CanVersion);

    BIND(t, IEnvelope, get_XMin);
    BIND(t, IEnvelope, put_XMin);
    BIND(t, IEnvelope, get_YMin);
    BIND(t, IEnvelope, put_YMin);
    BIND(t, IEnvelope, get_XMax);
    BIND(t, IEnvelope, put_XMax);
    BIND(t, IEnvelope, get_YMax);
    BIND(t, IEnvelope, put_YMax);
    BIND(t, IEnvelope, get_Width);
    BIND(t, IEnvelope, get_Height);
    BIND(t, IEnvelope, get_IsEmpty);
    BIND(t, IEnvelope, SetEmpty);
    BIND(t, IEnvelope, PutCoords);
    BIND(t, IEnvelope, QueryCoords);
    BIND(t, IEnvelope, get_SpatialReference);
    BIND(t, IEnvelope, putref_SpatialReference);
    BIND(t, IEnvelope, IsEqual);

    BIND(t, ISpatialReference, get_Name);
    BIND(t, ISpatialReference, get_FactoryCode);
    BIND(t, ISpatialReference, get_IsGeographic);
    BIND(t, ISpatialReference, get_IsProjected);
    BIND(t, ISpatialReference, ExportToWKT);
    BIND(t, ISpatialReference, HasXYPrecision);
    BIND(t, ISpatialReference, HasZPrecision);
    BIND(t, ISpatialReference, HasMPrecision);
    BIND(t, ISpatialReference, GetFalseOriginAndUnits);
    BIND(t, ISpatialReference, SetFalseOriginAndUnits);
    BIND(t, ISpatialReference, GetZFalseOriginAndUnits);
    BIND(t, ISpatialReference, SetZFalseOriginAndUnits);
    BIND(t, ISpatialReference, GetMFalseOriginAndUnits);
    BIND(t, ISpatialReference, SetMFalseOriginAndUnits);
    BIND(t, ISpatialReference, GetDomain);
    BIND(t, ISpatialReference, SetDomain);
    BIND(t, ISpatialReference, GetZDomain);
    BIND(t, ISpatialReference, SetZDomain);
    BIND(t, ISpatialReference, GetMDomain);
    BIND(t, ISpatialReference, SetMDomain);
    BIND(t, ISpatialReference, get_XYTolerance);
    BIND(t, ISpatialReference, put_XYTolerance);
    BIND(t, ISpatialReference, get_ZTolerance);
    BIND(t, ISpatialReference, put_ZTolerance);
    BIND(t, ISpatialReference, get_MTolerance);
    BIND(t, ISpatialReference, put_MTolerance);
    BIND(t, ISpatialReference, get_IsHighPrecision);
    BIND(t, ISpatialReference, put_IsHighPrecision);
    BIND(t, ICoordinateSystemUnits, get_MetersPerUnit);
    BIND(t, ICoordinateSystemUnits, get_RadiansPerUnit);
    BIND(t, ICoordinateSystemUnits, get_SemiMajorAxis);
    BIND(t, ICoordinateSystemUnits, get_SemiMinorAxis);
    BIND(t, ISpatialReference, IsSameCoordinateSystem);
    BIND(t, ISpatialReference, Clone);

    BIND(t, IRasterDef, get_Description);
    BIND(t, IRasterDef, get_SpatialReference);

    BIND(t, IField, get_Name);
    BIND(t, IField, get_AliasName);
    BIND(t, IField, get_Type);
    BIND(t, IField, get_Length);
    BIND(t, IField, get_IsNullable);
    BIND(t, IField, get_Editable);
    BIND(t, IField, get_Required);
    BIND(t, IField, get_Precision);
    BIND(t, IField, get_Scale);
    BIND(t, IField, get_RasterDef);

    BIND(t, IFieldEdit, put_Name);
    BIND(t, IFieldEdit, put_AliasName);
    BIND(t, IFieldEdit, put_Type);
    BIND(t, IFieldEdit, put_Length);
    BIND(t, IFieldEdit, put_IsNullable);
    BIND(t, IFieldEdit, put_Editable);
    BIND(t, IFieldEdit, put_Required);
    BIND(t, IFieldEdit, put_Precision);
    BIND(t, IFieldEdit, put_Scale);
    BIND(t, IFieldEdit, putref_RasterDef);

    BIND(t, IFields, get_FieldCount);
    BIND(t, IFields, get_Field);
    BIND(t, IFields, FindField);

    BIND(t, IFieldsEdit, AddField);

    BIND(t, IRow, get_OID);
    BIND(t, IRow, get_Fields);
    BIND(t, IRow, get_Value);
    BIND(t, IRow, put_Value);
    BIND(t, IRow, Store);
    BIND(t, IRow, Delete);

    BIND(t, ICursor, get_Fields);
    BIND(t, ICursor, NextRow);

    BIND(t, ITable, get_Fields);
    BIND(t, ITable, get_HasOID);
    BIND(t, ITable, get_OIDFieldName);
    BIND(t, ITable, RowCount);
    BIND(t, ITable, Search);
    BIND(t, ITable, GetRow);
    BIND(t, ITable, CreateRow);

    BIND(t, IFeatureClass, get_ShapeType);
    BIND(t, IFeatureClass, get_FeatureType);
    BIND(t, IFeatureClass, get_ShapeFieldName);
    BIND(t, IFeatureClass, get_HasZ);
    BIND(t, IFeatureClass, get_HasM);
    BIND(t, IFeatureClass, get_HasSpatialIndex);
    BIND(t, IFeatureClass, get_Extent);
    BIND(t, IFeatureClass, get_SpatialReference);

    BIND(t, IRasterDataset, get_ColumnCount);
    BIND(t, IRasterDataset, get_RowCount);
    BIND(t, IRasterDataset, get_BandCount);
    BIND(t, IRasterDataset, get_CellSizeX);
    BIND(t, IRasterDataset, get_CellSizeY);
    BIND(t, IRasterDataset, get_Extent);
    BIND(t, IRasterDataset, get_SpatialReference);

    BIND(t, IWorkspace, get_PathName);
    BIND(t, IWorkspace, get_Type);
    BIND(t, IWorkspace, OpenDataElement);
    BIND(t, IWorkspace, CreateTable);
    BIND(t, IWorkspace, CreateFeatureClass);

    BIND(t, IGeometry, get_GeometryType);
    BIND(t, IGeometry, get_IsEmpty);
    BIND(t, IGeometry, get_ZAware);
    BIND(t, IGeometry, put_ZAware);
    BIND(t, IGeometry, get_MAware);
    BIND(t, IGeometry, put_MAware);
    BIND(t, IGeometry, get_Envelope);
    BIND(t, IGeometry, get_SpatialReference);
    BIND(t, IGeometry, putref_SpatialReference);
    BIND(t, IGeometry, SetEmpty);
    BIND(t, IGeometry, ExportToWKT);
    BIND(t, IGeometry, ImportFromWKT);

    BIND(t, IPoint, get_X);
    BIND(t, IPoint, put_X);
    BIND(t, IPoint, get_Y);
    BIND(t, IPoint, put_Y);
    BIND(t, IPoint, get_Z);
    BIND(t, IPoint, put_Z);
    BIND(t, IPoint, get_M);
    BIND(t, IPoint, put_M);
    BIND(t, IPoint, PutCoords);
    BIND(t, IPoint, QueryCoords);

    BIND(t, IPointCollection, get_PointCount);
    BIND(t, IPointCollection, get_Point);
    BIND(t, IPointCollection, AddPoint);

    BIND(t, IPolyline, get_PathCount);
    BIND(t, IPolyline, get_PathPointCount);
    BIND(t, IPolyline, StartPath);
    BIND(t, IPolyline, get_Length);

    BIND(t, IPolygon, get_RingCount);
    BIND(t, IPolygon, get_RingPointCount);
    BIND(t, IPolygon, StartRing);
    BIND(t, IPolygon, Close);
    BIND(t, IPolygon, get_Area);

    BIND(t, IFeature, get_Shape);
    BIND(t, IFeature, putref_Shape);
}

} // namespace tavigp
