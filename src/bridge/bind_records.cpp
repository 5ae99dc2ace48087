// Bindings of the record pieces (the in-memory record set, the query filter, the property set, the JSON object, the
// service input layer) and of the record set and feature set values.
#include "bridge/Binding.h"

#include "tavi/GPRecordSet.h"

namespace tavigp {

namespace {

void BindHostRecords(BindingTable& t) {
    BIND(t, IRecordSet, get_Fields);
    BIND(t, IRecordSet, get_RecordCount);
    BIND(t, IRecordSet, get_OIDFieldName);
    BIND(t, IRecordSet, get_ShapeFieldName);
    BIND(t, IRecordSet, get_ShapeType);
    BIND(t, IRecordSet, get_HasZ);
    BIND(t, IRecordSet, get_HasM);
    BIND(t, IRecordSet, get_SpatialReference);
    BIND(t, IRecordSet, get_Value);
    BIND(t, IRecordSet, CreateTable);

    BIND(t, IRecordSetInit, SetSourceTable);
    BIND(t, IRecordSetInit, FromJSON);
    BIND(t, IRecordSetInit, ToJSON);
    BIND(t, IRecordSetInit, ToGeoJSON);
    BIND(t, IRecordSetInit, ReadJSONFile);
    BIND(t, IRecordSetInit, WriteJSONFile);

    BIND(t, IQueryFilter, get_WhereClause);
    BIND(t, IQueryFilter, put_WhereClause);
    BIND(t, IQueryFilter, get_SubFields);
    BIND(t, IQueryFilter, put_SubFields);

    BIND(t, IPropertySet, get_Count);
    BIND(t, IPropertySet, GetProperty);
    BIND(t, IPropertySet, SetProperty);
    BIND(t, IPropertySet, RemoveProperty);
    BIND(t, IPropertySet, GetAllProperties);

    BIND(t, IJSONObject, ToJSONString);
    BIND(t, IJSONObject, FromJSONString);
    BIND(t, IJSONObject, GetMember);

    BIND(t, IGPServiceInputLayer, Init);
    BIND(t, IGPServiceInputLayer, GetLayerDefinition);
    BIND(t, IGPServiceInputLayer, GetRecords);
    BIND(t, IGPServiceInputLayer, get_ExceededTransferLimit);
    BIND(t, IGPServiceInputLayer, get_ServiceProperties);
    BIND(t, IGPServiceInputLayer, get_RecordsPresent);
}

void BindRecordSetValues(BindingTable& t) {
    BIND(t, IGPRecordSet, get_RecordSet);
    BIND(t, IGPRecordSet, putref_RecordSet);
    BIND(t, IGPRecordSet, get_OIDFieldName);
    BIND(t, IGPRecordSet, put_OIDFieldName);
    BIND(t, IGPRecordSet, get_ExceededTransferLimit);
    BIND(t, IGPRecordSet, put_ExceededTransferLimit);

    BIND(t, IGPRecordSet2, SetURL);
    BIND(t, IGPRecordSet2, GetURL);
    BIND(t, IGPRecordSet2, get_QueryFilter);
    BIND(t, IGPRecordSet2, putref_QueryFilter);
    BIND(t, IGPRecordSet2, get_IsURLBased);

    BIND(t, IGPRecordSetImpl, get_Path);
    BIND(t, IGPRecordSetImpl, put_Path);
    BIND(t, IGPRecordSetImpl, get_ServiceLayer);
    BIND(t, IGPRecordSetImpl, get_ServiceProperties);
    BIND(t, IGPRecordSetImpl, get_Path2);
    BIND(t, IGPRecordSetImpl, SetURLWithDefinition);
    BIND(t, IGPRecordSetImpl, get_LayerDefinition);
    BIND(t, IGPRecordSetImpl, ExportToWorkspace);
    BIND(t, IGPRecordSetImpl, get_Note);
    BIND(t, IGPRecordSetImpl, put_Note);

    BIND(t, IGPLayerDescription, get_DrawingDescription);
    BIND(t, IGPLayerDescription, putref_DrawingDescription);
    BIND(t, IGPLayerDescription, get_DrawingDescription2);
    BIND(t, ILayerDrawingDescriptionSource, get_DrawingDescription);

    BIND(t, IGPLayerEditTemplateManagerImpl, putref_EditTemplates);
    BIND(t, IGPLayerEditTemplateManagerImpl, get_EditTemplates);
}

} // namespace

void BindRecordFamily(BindingTable& t) {
    BindHostRecords(t);
    BindRecordSetValues(t);
}

} // namespace tavigp
