// Bindings of the data access and the geometry objects: data elements, workspaces, datasets, fields, tables with their
// cursors and rows, feature classes, rasters, envelopes, spatial references, and points, polylines and polygons.
// Every operation's parameters have a JSON form, so all are bound directly.
#include "Binding.h"

#include "tavi/DataAccess.h"
#include "tavi/Geometry.h"

namespace tavigp {

void BindDataFamily(BindingTable& t) {
    t.Bind("IDataElement.get_Type", &IDataElement::get_Type);
    t.Bind("IDataElement.get_Name", &IDataElement::get_Name);
    t.Bind("IDataElement.get_CatalogPath", &IDataElement::get_CatalogPath);
    t.Bind("IDataElement.get_BaseName", &IDataElement::get_BaseName);
    t.Bind("IDataElement.get_Extension", &IDataElement::get_Extension);
    t.Bind("IDataElement.get_ChildrenExpanded", &IDataElement::get_ChildrenExpanded);
    t.Bind("IDataElement.get_Children", &IDataElement::get_Children);

    t.Bind("IDEWorkspace.get_WorkspaceType", &IDEWorkspace::get_WorkspaceType);
    t.Bind("IDEWorkspace.OpenWorkspace", &IDEWorkspace::OpenWorkspace);

    t.Bind("IDEDataset4.get_DatasetType", &IDEDataset4::get_DatasetType);
    t.Bind("IDEDataset4.get_DSID", &IDEDataset4::get_DSID);
    t.Bind("IDEDataset4.get_Versioned", &IDEDataset4::get_Versioned);
    t.Bind("IDEDataset4.get_IsArchived", &IDEDataset4::get_IsArchived);
    t.Bind("IDEDataset4.get_ChangeTracked", &IDEDataset4::get_ChangeTracked);
    t.Bind("IDEDataset4.get_CanVersion", &IDEDataset4::get_CanVersion);

    t.Bind("IEnvelope.get_XMin", &IEnvelope::get_XMin);
    t.Bind("IEnvelope.put_XMin", &IEnvelope::put_XMin);
    t.Bind("IEnvelope.get_YMin", &IEnvelope::get_YMin);
    t.Bind("IEnvelope.put_YMin", &IEnvelope::put_YMin);
    t.Bind("IEnvelope.get_XMax", &IEnvelope::get_XMax);
    t.Bind("IEnvelope.put_XMax", &IEnvelope::put_XMax);
    t.Bind("IEnvelope.get_YMax", &IEnvelope::get_YMax);
    t.Bind("IEnvelope.put_YMax", &IEnvelope::put_YMax);
    t.Bind("IEnvelope.get_Width", &IEnvelope::get_Width);
    t.Bind("IEnvelope.get_Height", &IEnvelope::get_Height);
    t.Bind("IEnvelope.get_IsEmpty", &IEnvelope::get_IsEmpty);
    t.Bind("IEnvelope.SetEmpty", &IEnvelope::SetEmpty);
    t.Bind("IEnvelope.PutCoords", &IEnvelope::PutCoords);
    t.Bind("IEnvelope.QueryCoords", &IEnvelope::QueryCoords);
    t.Bind("IEnvelope.get_SpatialReference", &IEnvelope::get_SpatialReference);
    t.Bind("IEnvelope.putref_SpatialReference", &IEnvelope::putref_SpatialReference);
    t.Bind("IEnvelope.IsEqual", &IEnvelope::IsEqual);

    t.Bind("ISpatialReference.get_Name", &ISpatialReference::get_Name);
    t.Bind("ISpatialReference.get_FactoryCode", &ISpatialReference::get_FactoryCode);
    t.Bind("ISpatialReference.get_IsGeographic", &ISpatialReference::get_IsGeographic);
    t.Bind("ISpatialReference.get_IsProjected", &ISpatialReference::get_IsProjected);
    t.Bind("ISpatialReference.ExportToWKT", &ISpatialReference::ExportToWKT);
    t.Bind("ISpatialReference.HasXYPrecision", &ISpatialReference::HasXYPrecision);
    t.Bind("ISpatialReference.HasZPrecision", &ISpatialReference::HasZPrecision);
    t.Bind("ISpatialReference.HasMPrecision", &ISpatialReference::HasMPrecision);
    t.Bind("ISpatialReference.GetFalseOriginAndUnits", &ISpatialReference::GetFalseOriginAndUnits);
    t.Bind("ISpatialReference.SetFalseOriginAndUnits", &ISpatialReference::SetFalseOriginAndUnits);
    t.Bind("ISpatialReference.GetZFalseOriginAndUnits", &ISpatialReference::GetZFalseOriginAndUnits);
    t.Bind("ISpatialReference.SetZFalseOriginAndUnits", &ISpatialReference::SetZFalseOriginAndUnits);
    t.Bind("ISpatialReference.GetMFalseOriginAndUnits", &ISpatialReference::GetMFalseOriginAndUnits);
    t.Bind("ISpatialReference.SetMFalseOriginAndUnits", &ISpatialReference::SetMFalseOriginAndUnits);
    t.Bind("ISpatialReference.GetDomain", &ISpatialReference::GetDomain);
    t.Bind("ISpatialReference.SetDomain", &ISpatialReference::SetDomain);
    t.Bind("ISpatialReference.GetZDomain", &ISpatialReference::GetZDomain);
    t.Bind("ISpatialReference.SetZDomain", &ISpatialReference::SetZDomain);
    t.Bind("ISpatialReference.GetMDomain", &ISpatialReference::GetMDomain);
    t.Bind("ISpatialReference.SetMDomain", &ISpatialReference::SetMDomain);
    t.Bind("ISpatialReference.get_XYTolerance", &ISpatialReference::get_XYTolerance);
    t.Bind("ISpatialReference.put_XYTolerance", &ISpatialReference::put_XYTolerance);
    t.Bind("ISpatialReference.get_ZTolerance", &ISpatialReference::get_ZTolerance);
    t.Bind("ISpatialReference.put_ZTolerance", &ISpatialReference::put_ZTolerance);
    t.Bind("ISpatialReference.get_MTolerance", &ISpatialReference::get_MTolerance);
    t.Bind("ISpatialReference.put_MTolerance", &ISpatialReference::put_MTolerance);
    t.Bind("ISpatialReference.get_IsHighPrecision", &ISpatialReference::get_IsHighPrecision);
    t.Bind("ISpatialReference.put_IsHighPrecision", &ISpatialReference::put_IsHighPrecision);
    t.Bind("ISpatialReference.IsSameCoordinateSystem", &ISpatialReference::IsSameCoordinateSystem);
    t.Bind("ISpatialReference.Clone", &ISpatialReference::Clone);

    t.Bind("IRasterDef.get_Description", &IRasterDef::get_Description);
    t.Bind("IRasterDef.get_SpatialReference", &IRasterDef::get_SpatialReference);

    t.Bind("IField.get_Name", &IField::get_Name);
    t.Bind("IField.get_AliasName", &IField::get_AliasName);
    t.Bind("IField.get_Type", &IField::get_Type);
    t.Bind("IField.get_Length", &IField::get_Length);
    t.Bind("IField.get_IsNullable", &IField::get_IsNullable);
    t.Bind("IField.get_Editable", &IField::get_Editable);
    t.Bind("IField.get_Required", &IField::get_Required);
    t.Bind("IField.get_Precision", &IField::get_Precision);
    t.Bind("IField.get_Scale", &IField::get_Scale);
    t.Bind("IField.get_RasterDef", &IField::get_RasterDef);

    t.Bind("IFieldEdit.put_Name", &IFieldEdit::put_Name);
    t.Bind("IFieldEdit.put_AliasName", &IFieldEdit::put_AliasName);
    t.Bind("IFieldEdit.put_Type", &IFieldEdit::put_Type);
    t.Bind("IFieldEdit.put_Length", &IFieldEdit::put_Length);
    t.Bind("IFieldEdit.put_IsNullable", &IFieldEdit::put_IsNullable);
    t.Bind("IFieldEdit.put_Editable", &IFieldEdit::put_Editable);
    t.Bind("IFieldEdit.put_Required", &IFieldEdit::put_Required);
    t.Bind("IFieldEdit.put_Precision", &IFieldEdit::put_Precision);
    t.Bind("IFieldEdit.put_Scale", &IFieldEdit::put_Scale);
    t.Bind("IFieldEdit.putref_RasterDef", &IFieldEdit::putref_RasterDef);

    t.Bind("IFields.get_FieldCount", &IFields::get_FieldCount);
    t.Bind("IFields.get_Field", &IFields::get_Field);
    t.Bind("IFields.FindField", &IFields::FindField);

    t.Bind("IFieldsEdit.AddField", &IFieldsEdit::AddField);

    t.Bind("IRow.get_OID", &IRow::get_OID);
    t.Bind("IRow.get_Fields", &IRow::get_Fields);
    t.Bind("IRow.get_Value", &IRow::get_Value);
    t.Bind("IRow.put_Value", &IRow::put_Value);
    t.Bind("IRow.Store", &IRow::Store);
    t.Bind("IRow.Delete", &IRow::Delete);

    t.Bind("ICursor.get_Fields", &ICursor::get_Fields);
    t.Bind("ICursor.NextRow", &ICursor::NextRow);

    t.Bind("ITable.get_Fields", &ITable::get_Fields);
    t.Bind("ITable.get_HasOID", &ITable::get_HasOID);
    t.Bind("ITable.get_OIDFieldName", &ITable::get_OIDFieldName);
    t.Bind("ITable.RowCount", &ITable::RowCount);
    t.Bind("ITable.Search", &ITable::Search);
    t.Bind("ITable.GetRow", &ITable::GetRow);
    t.Bind("ITable.CreateRow", &ITable::CreateRow);

    t.Bind("IFeatureClass.get_ShapeType", &IFeatureClass::get_ShapeType);
    t.Bind("IFeatureClass.get_FeatureType", &IFeatureClass::get_FeatureType);
    t.Bind("IFeatureClass.get_ShapeFieldName", &IFeatureClass::get_ShapeFieldName);
    t.Bind("IFeatureClass.get_HasZ", &IFeatureClass::get_HasZ);
    t.Bind("IFeatureClass.get_HasM", &IFeatureClass::get_HasM);
    t.Bind("IFeatureClass.get_HasSpatialIndex", &IFeatureClass::get_HasSpatialIndex);
    t.Bind("IFeatureClass.get_Extent", &IFeatureClass::get_Extent);
    t.Bind("IFeatureClass.get_SpatialReference", &IFeatureClass::get_SpatialReference);

    t.Bind("IRasterDataset.get_ColumnCount", &IRasterDataset::get_ColumnCount);
    t.Bind("IRasterDataset.get_RowCount", &IRasterDataset::get_RowCount);
    t.Bind("IRasterDataset.get_BandCount", &IRasterDataset::get_BandCount);
    t.Bind("IRasterDataset.get_CellSizeX", &IRasterDataset::get_CellSizeX);
    t.Bind("IRasterDataset.get_CellSizeY", &IRasterDataset::get_CellSizeY);
    t.Bind("IRasterDataset.get_Extent", &IRasterDataset::get_Extent);
    t.Bind("IRasterDataset.get_SpatialReference", &IRasterDataset::get_SpatialReference);

    t.Bind("IWorkspace.get_PathName", &IWorkspace::get_PathName);
    t.Bind("IWorkspace.get_Type", &IWorkspace::get_Type);
    t.Bind("IWorkspace.OpenDataElement", &IWorkspace::OpenDataElement);
    t.Bind("IWorkspace.CreateTable", &IWorkspace::CreateTable);
    t.Bind("IWorkspace.CreateFeatureClass", &IWorkspace::CreateFeatureClass);

    t.Bind("IGeometry.get_GeometryType", &IGeometry::get_GeometryType);
    t.Bind("IGeometry.get_IsEmpty", &IGeometry::get_IsEmpty);
    t.Bind("IGeometry.get_ZAware", &IGeometry::get_ZAware);
    t.Bind("IGeometry.put_ZAware", &IGeometry::put_ZAware);
    t.Bind("IGeometry.get_MAware", &IGeometry::get_MAware);
    t.Bind("IGeometry.put_MAware", &IGeometry::put_MAware);
    t.Bind("IGeometry.get_Envelope", &IGeometry::get_Envelope);
    t.Bind("IGeometry.get_SpatialReference", &IGeometry::get_SpatialReference);
    t.Bind("IGeometry.putref_SpatialReference", &IGeometry::putref_SpatialReference);
    t.Bind("IGeometry.SetEmpty", &IGeometry::SetEmpty);
    t.Bind("IGeometry.ExportToWKT", &IGeometry::ExportToWKT);
    t.Bind("IGeometry.ImportFromWKT", &IGeometry::ImportFromWKT);

    t.Bind("IPoint.get_X", &IPoint::get_X);
    t.Bind("IPoint.put_X", &IPoint::put_X);
    t.Bind("IPoint.get_Y", &IPoint::get_Y);
    t.Bind("IPoint.put_Y", &IPoint::put_Y);
    t.Bind("IPoint.get_Z", &IPoint::get_Z);
    t.Bind("IPoint.put_Z", &IPoint::put_Z);
    t.Bind("IPoint.get_M", &IPoint::get_M);
    t.Bind("IPoint.put_M", &IPoint::put_M);
    t.Bind("IPoint.PutCoords", &IPoint::PutCoords);
    t.Bind("IPoint.QueryCoords", &IPoint::QueryCoords);

    t.Bind("IPointCollection.get_PointCount", &IPointCollection::get_PointCount);
    t.Bind("IPointCollection.get_Point", &IPointCollection::get_Point);
    t.Bind("IPointCollection.AddPoint", &IPointCollection::AddPoint);

    t.Bind("IPolyline.get_PathCount", &IPolyline::get_PathCount);
    t.Bind("IPolyline.get_PathPointCount", &IPolyline::get_PathPointCount);
    t.Bind("IPolyline.StartPath", &IPolyline::StartPath);
    t.Bind("IPolyline.get_Length", &IPolyline::get_Length);

    t.Bind("IPolygon.get_RingCount", &IPolygon::get_RingCount);
    t.Bind("IPolygon.get_RingPointCount", &IPolygon::get_RingPointCount);
    t.Bind("IPolygon.StartRing", &IPolygon::StartRing);
    t.Bind("IPolygon.Close", &IPolygon::Close);
    t.Bind("IPolygon.get_Area", &IPolygon::get_Area);

    t.Bind("IFeature.get_Shape", &IFeature::get_Shape);
    t.Bind("IFeature.putref_Shape", &IFeature::putref_Shape);
}

} // namespace tavigp
