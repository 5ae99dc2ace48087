// Bindings of the layer family: a layer's state beyond its name (IGPLayer and the holder are bound with the field
// domains), the table view of a feature layer or table, composite layers' children, the extent and spatial reference
// of a layer's data, the elevation surface and raster layers' own properties, and the feature class description.
#include "bridge/Binding.h"

#include "tavi/GPLayer.h"

namespace tavigp {

void BindLayerFamily(BindingTable& t) {
    BIND(t, IGPLayer2, get_DataSource);
    BIND(t, IGPLayer2, put_DataSource);
    BIND(t, IGPLayer2, get_DefinitionQuery);
    BIND(t, IGPLayer2, put_DefinitionQuery);
    BIND(t, IGPLayer2, get_FieldInfo);
    BIND(t, IGPLayer2, putref_FieldInfo);
    BIND(t, IGPLayer2, get_Visible);
    BIND(t, IGPLayer2, put_Visible);
    BIND(t, IGPLayer2, get_SelectionCount);
    BIND(t, IGPLayer2, GetSelectedID);
    BIND(t, IGPLayer2, AddToSelection);
    BIND(t, IGPLayer2, ClearSelection);

    BIND(t, IGPTableView, get_Fields);
    BIND(t, IGPTableView, Search);
    BIND(t, IGPTableView, RowCount);
    BIND(t, IGPTableView2, get_HasOID);
    BIND(t, IGPTableView2, get_OIDFieldName);
    BIND(t, IGPTableViewImpl, OpenTable);

    BIND(t, IGPCompositeLayer, get_LayerCount);
    BIND(t, IGPCompositeLayer, get_Layer);
    BIND(t, IGPCompositeLayer, AddLayer);
    BIND(t, IGPCompositeLayer, RemoveLayer);
    BIND(t, IGPCompositeLayer, ClearLayers);

    BIND(t, IDEGeoDataset, get_Extent);
    BIND(t, IDEGeoDataset, get_SpatialReference);

    BIND(t, IGPElevationSurfaceLayer, get_SurfaceSourceKind);
    BIND(t, IGPElevationSurfaceLayer, put_SurfaceSourceKind);
    BIND(t, IGPRasterLayer2, get_Bands);
    BIND(t, IGPRasterLayer2, put_Bands);

    BIND(t, IDEGdbFeatureClass3, get_FeatureType);
    BIND(t, IDEGdbFeatureClass3, get_ShapeType);
    BIND(t, IDEGdbFeatureClass3, get_ShapeFieldName);
}

} // namespace tavigp
