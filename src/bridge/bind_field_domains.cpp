// Bindings of the field and feature class domains, and of layers as domains see them (the layer, and the holder of
// a layer).
#include "bridge/Binding.h"

#include "tavi/GPDataDomains.h"
#include "tavi/GPLayer.h"

namespace tavigp {

namespace {

void BindFieldDomain(BindingTable& t) {
    BIND(t, IGPFieldDomain, get_FieldTypeCount);
    BIND(t, IGPFieldDomain, get_FieldType);
    BIND(t, IGPFieldDomain, AddType);
    BIND(t, IGPFieldDomain, RemoveType);
    BIND(t, IGPFieldDomain, GetFields);
    BIND(t, IGPFieldDomain, put_FilterIndex);
    BIND(t, IGPFieldDomain, get_FilterIndex);
    BIND(t, IGPFieldDomain, get_FilterIndexType);
    BIND(t, IGPFieldDomain, get_KeyFieldCount);
    BIND(t, IGPFieldDomain, get_KeyField);
    BIND(t, IGPFieldDomain, AddKeyField);
    BIND(t, IGPFieldDomain, RemoveKeyField);
    BIND(t, IGPFieldDomain, get_ExcludeFieldCount);
    BIND(t, IGPFieldDomain, get_ExcludeField);
    BIND(t, IGPFieldDomain, AddExcludeField);
    BIND(t, IGPFieldDomain, RemoveExcludeField);
    BIND(t, IGPFieldDomain2, get_UseRasterFields);
    BIND(t, IGPFieldDomain2, put_UseRasterFields);
}

void BindFeatureClassDomain(BindingTable& t) {
    BIND(t, IGPFeatureClassDomain, get_ShapeTypeCount);
    BIND(t, IGPFeatureClassDomain, get_ShapeType);
    BIND(t, IGPFeatureClassDomain, AddShapeType);
    BIND(t, IGPFeatureClassDomain, RemoveShapeType);
    BIND(t, IGPFeatureClassDomain, GetFeatureClasses);
    BIND(t, IGPFeatureClassDomain, put_FilterIndex);
    BIND(t, IGPFeatureClassDomain, get_FilterIndex);
    BIND(t, IGPFeatureClassDomain, get_FilterIndexType);
    BIND(t, IGPFeatureClassDomain, put_FilterHasMs);
    BIND(t, IGPFeatureClassDomain, get_FilterHasMs);
    BIND(t, IGPFeatureClassDomain, get_IncludeHasMs);
    BIND(t, IGPFeatureClassDomain, put_FilterHasZs);
    BIND(t, IGPFeatureClassDomain, get_FilterHasZs);
    BIND(t, IGPFeatureClassDomain, get_IncludeHasZs);
    BIND(t, IGPFeatureClassDomain2, get_FeatureTypeCount);
    BIND(t, IGPFeatureClassDomain2, get_FeatureType);
    BIND(t, IGPFeatureClassDomain2, AddFeatureType);
    BIND(t, IGPFeatureClassDomain2, RemoveFeatureType);
    BIND(t, IGPFeatureClassDomain2, get_TypeCount);
    BIND(t, IGPFeatureClassDomain2, get_Type);
    BIND(t, IGPFeatureClassDomain2, AddType);
    BIND(t, IGPFeatureClassDomain2, RemoveType);
}

void BindLayers(BindingTable& t) {
    BIND(t, IGPLayer, get_Name);
    BIND(t, IGPLayer, put_Name);
    BIND(t, IGPLayer, get_DisplayName);
    BIND(t, IGPLayer, put_DisplayName);
    BIND(t, IGPLayer, putref_DataElement);
    BIND(t, IGPLayer, get_DataElement);
    BIND(t, IGPLayerHolder, get_Layer);
    BIND(t, IGPLayerHolder, get_DataElement);
}

} // namespace

void BindFieldDomainFamily(BindingTable& t) {
    BindFieldDomain(t);
    BindFeatureClassDomain(t);
    BindLayers(t);
}

} // namespace tavigp
