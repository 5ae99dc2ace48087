// The layer family: a value class GP<Kind> and a data type GP<Kind>Type for each kind of layer, thin classes over the
// layer bases (LayerBase.h, LayerTypeBase.h). Each kind is one traits struct below: its names and identifiers, its
// base, its display name, what its data type accepts, its stream version rule and its browse filter. The generic
// classes (GPLayer, GPFeatureLayer, GPTableView, GPCompositeLayer) use the base's own interfaces as their markers.
//
// Stream versions (the 16-bit version in front of every value's stored form):
//   kBaseOnly, kOne  write 1, read 0 and 1;
//   kByDocument      the version the stream's document version gives in the table {-1, -1, -1, -1, -1, 1}; -1 writes
//                    nothing at all and succeeds; reads exactly 1;
//   the LAS dataset layer   as kByDocument with the table {-1 x5, 1 x4}; reads 1 and 2, and version 2 holds one
//                    further object after the base state (kept and written back: a layer holding one writes 2).
// The trace network, utility network and knowledge graph layers fail a read with the stream's own failure code where
// the stream reported one (else E_FAIL); the knowledge graph layer answers a null stream with E_INVALIDARG.
//
// Members with fields of their own:
//   GPElevationSurfaceLayer  IGPElevationSurfaceLayer: the surface source kind, a 32-bit field before the base;
//   GPRasterLayer            IGPRasterLayer2: the bands, a String after the base state (XML "Bands");
//   GPCatalogLayer           child layers (IGPCompositeLayer): a 32-bit count and the children before the base;
//                            XML "Layers" as every layer with children;
//   GPSubtypeLayer           child layers, stored as the catalog layer's;
//   GPRasterDataLayer        a value of its own (not a layer): a raster path as text, its format ("tif" unless
//                            read otherwise), stored as version 1, the empty flag, the path, an object slot (written
//                            as none; an object read there is kept and written back) and the format String.
// GPDiagramLayer, GPKnowledgeGraphLayer, GPCatalogDynamicGroupLayer and GPRasterLayer read their text as every layer
// does: a raster path given to a raster layer makes a layer over that raster, which is also what
// GPRasterLayerType::CreateValue gives. GPDiagramLayerType and GPKnowledgeGraphLayerType are identical only to
// themselves, as every data type of the library.
#pragma once

#include "layers/LayerTypeBase.h"
#include "tavi/ClassIds.h"

namespace tavi {

enum class LayerStreamRule { kBaseOnly, kOne, kByDocument, kByDocumentLas };

// The defaults of a kind's traits. `ValueMarker`/`TypeMarker` are the member's own interfaces; kGeneric members
// answer the base's interfaces only.
template <LayerBaseKind kBaseKind, class ValueMarker, class TypeMarker, bool kGeneric = false> struct LayerKind {
    static constexpr LayerBaseKind kBase = kBaseKind;
    using ValueRows = std::conditional_t<kGeneric, Rows<>, Rows<ValueMarker>>;
    using TypeRows = std::conditional_t<kGeneric, Rows<>, Rows<TypeMarker>>;
    static constexpr IID kValueMarker = ValueMarker::iid;
    static constexpr IID kTypeMarker = TypeMarker::iid;
    static constexpr bool kChildren = kBaseKind == LayerBaseKind::CompositeLayer;
    static constexpr LayerStreamRule kStream = LayerStreamRule::kOne;
    static constexpr bool kPassStreamFailure = false;
    static constexpr CLSID kControlClassId = kLayerControlClassId;
    static constexpr int32_t kDatasetType = 0;
};

// Reads `load` from a stream wrapper that remembers the stream's failure codes: the code of the first failing stream
// operation when `load` fails after one, else what `load` gave.
HRESULT LoadPassingStreamFailure(IStream* stream, const std::function<HRESULT(IStream*)>& load);

// The value class of a kind, its stream rule applied. Derived may add rows (`Extra`) after the marker.
template <class Derived, class K, class... Extra>
class LayerMemberBase : public LayerValue<Derived, K::kBase, K::kChildren, Rows<typename K::ValueRows, Extra...>> {
    using Base = LayerValue<Derived, K::kBase, K::kChildren, Rows<typename K::ValueRows, Extra...>>;

public:
    static constexpr CLSID kClassId = K::kValueClassId;
    static constexpr const char16_t* kClassName = K::kValueName;

    HRESULT Load(IStream* stream) override {
        if constexpr (K::kPassStreamFailure) {
            if (!stream)
                return K::kNullStreamCode;
            return LoadPassingStreamFailure(stream, [&](IStream* recorded) { return Base::Load(recorded); });
        } else {
            return Base::Load(stream);
        }
    }

protected:
    LayerMemberBase() : Base(K::kValueClassId, K::kTypeClassId) {}

    uint16_t OldestStreamVersion() const override {
        return K::kStream == LayerStreamRule::kByDocument || K::kStream == LayerStreamRule::kByDocumentLas ? 1 : 0;
    }
    int32_t SaveVersionFor(IStream* stream) override {
        static constexpr int16_t kTable[] = {-1, -1, -1, -1, -1, 1};
        static constexpr int16_t kLasTable[] = {-1, -1, -1, -1, -1, 1, 1, 1, 1};
        if constexpr (K::kStream == LayerStreamRule::kByDocument)
            return AfStreamGetSaveVersion(AfStreamGetDocumentVersion(stream), 6, kTable);
        else if constexpr (K::kStream == LayerStreamRule::kByDocumentLas)
            return AfStreamGetSaveVersion(AfStreamGetDocumentVersion(stream), 9, kLasTable);
        else
            return 1;
    }
};

// A kind without fields of its own.
template <class K> class LayerMember final : public LayerMemberBase<LayerMember<K>, K> {};

// The data type of a kind.
template <class K> class LayerMemberType final : public LayerType<LayerMemberType<K>, K::kBase, typename K::TypeRows> {
public:
    using Kind = K;
    static constexpr CLSID kClassId = K::kTypeClassId;
    static constexpr const char16_t* kClassName = K::kTypeName;
    static constexpr int32_t kDisplayNameId = K::kDisplayNameId;
    static constexpr int32_t kDatasetType = K::kDatasetType;

    LayerMemberType()
        : LayerType<LayerMemberType<K>, K::kBase, typename K::TypeRows>(
              {K::kValueName, K::kDisplayNameId, K::kTypeClassId, K::kValueClassId, K::kControlClassId, K::kTypeMarker,
               K::kValueMarker}) {}
};

// The base-test members' acceptance is the base's; the others declare theirs. Generic data types: every overriding
// member accepts them.
#define TAVI_LAYER_NAMES(Kind)                                                                                         \
    static constexpr const char16_t* kValueName = u"GP" #Kind;                                                         \
    static constexpr const char16_t* kTypeName = u"GP" #Kind "Type";                                                   \
    static constexpr CLSID kValueClassId = CLSID_GP##Kind;                                                             \
    static constexpr CLSID kTypeClassId = CLSID_GP##Kind##Type

// The geodatabase table test of the 3D object feature layer: whether a table element is a 3D object feature
// dataset. The data access of this library reads no such datasets, so no element is one.
bool Is3DObjectFeatureDataset(IUnknown* tableElement);

namespace layerkinds {

using L = LayerBaseKind;
inline constexpr IID kGeneric[] = {IGPGenericDataType::iid};

struct Layer : LayerKind<L::Layer, IGPLayer, IGPLayerType, true> {
    TAVI_LAYER_NAMES(Layer);
    static constexpr int32_t kDisplayNameId = 4653;
    static constexpr LayerStreamRule kStream = LayerStreamRule::kBaseOnly;
    static constexpr IID kTypes[] = {IGPLayerType::iid, IGPGenericDataType::iid};
    static constexpr LayerAcceptance kAccept{.anyLayer = true, .types = kTypes};
};
struct FeatureLayer : LayerKind<L::FeatureLayer, IGPFeatureLayer, IGPFeatureLayerType, true> {
    TAVI_LAYER_NAMES(FeatureLayer);
    static constexpr int32_t kDisplayNameId = 4629;
    static constexpr LayerStreamRule kStream = LayerStreamRule::kBaseOnly;
    static constexpr int32_t kDatasetType = taviDatasetTypeFeatureClass;
};
struct TableView : LayerKind<L::TableView, IGPTableView, IGPTableViewType, true> {
    TAVI_LAYER_NAMES(TableView);
    static constexpr int32_t kDisplayNameId = 4693;
    static constexpr LayerStreamRule kStream = LayerStreamRule::kBaseOnly;
    static constexpr int32_t kDatasetType = taviDatasetTypeTable;
};
struct CompositeLayer : LayerKind<L::CompositeLayer, IGPCompositeLayer, IGPCompositeLayerType> {
    // The composite layer's value marker is the base's IGPCompositeLayer; its type marker is its own.
    using ValueRows = Rows<>;
    TAVI_LAYER_NAMES(CompositeLayer);
    static constexpr int32_t kDisplayNameId = 4733;
};

// A member accepting holders and generic data types, with optional further values (`values`), types and tests.
#define TAVI_LAYER_ACCEPTS(...)                                                                                        \
    static constexpr LayerAcceptance kAccept {                                                                         \
        __VA_ARGS__                                                                                                    \
    }

struct ObjectFeatureLayer3D : LayerKind<L::FeatureLayer, IGP3DObjectFeatureLayer, IGP3DObjectFeatureLayerType> {
    TAVI_LAYER_NAMES(3DObjectFeatureLayer);
    static constexpr int32_t kDisplayNameId = 4854;
    static constexpr LayerStreamRule kStream = LayerStreamRule::kBaseOnly;
    TAVI_LAYER_ACCEPTS(.objectFeatureDataset = true, .types = kGeneric);
};
struct TilesLayer3D : LayerKind<L::Layer, IGP3DTilesLayer, IGP3DTilesLayerType> {
    TAVI_LAYER_NAMES(3DTilesLayer);
    static constexpr int32_t kDisplayNameId = 4152;
    static constexpr LayerStreamRule kStream = LayerStreamRule::kByDocument;
    TAVI_LAYER_ACCEPTS(.types = kGeneric);
};
struct AnnotationLayer : LayerKind<L::FeatureLayer, IGPAnnotationLayer, IGPAnnotationLayerType> {
    TAVI_LAYER_NAMES(AnnotationLayer);
    static constexpr int32_t kDisplayNameId = 4822;
    static constexpr LayerStreamRule kStream = LayerStreamRule::kBaseOnly;
    static constexpr int32_t kDatasetType = taviDatasetTypeFeatureClass;
    TAVI_LAYER_ACCEPTS(.featureType = taviFeatureTypeAnnotation, .types = kGeneric);
};
struct BuildingDisciplineLayer
    : LayerKind<L::CompositeLayer, IGPBuildingDisciplineLayer, IGPBuildingDisciplineLayerType> {
    TAVI_LAYER_NAMES(BuildingDisciplineLayer);
    static constexpr int32_t kDisplayNameId = 4137;
    TAVI_LAYER_ACCEPTS(.types = kGeneric);
};
struct BuildingLayer : LayerKind<L::CompositeLayer, IGPBuildingLayer, IGPBuildingLayerType> {
    TAVI_LAYER_NAMES(BuildingLayer);
    static constexpr int32_t kDisplayNameId = 4136;
    TAVI_LAYER_ACCEPTS(.types = kGeneric);
};
struct BuildingSceneDisciplineLayer
    : LayerKind<L::CompositeLayer, IGPBuildingSceneDisciplineLayer, IGPBuildingSceneDisciplineLayerType> {
    TAVI_LAYER_NAMES(BuildingSceneDisciplineLayer);
    static constexpr int32_t kDisplayNameId = 4149;
    TAVI_LAYER_ACCEPTS(.types = kGeneric);
};
struct BuildingSceneLayer : LayerKind<L::CompositeLayer, IGPBuildingSceneLayer, IGPBuildingSceneLayerType> {
    TAVI_LAYER_NAMES(BuildingSceneLayer);
    static constexpr int32_t kDisplayNameId = 4146;
    TAVI_LAYER_ACCEPTS(.types = kGeneric);
};
struct CadastralFabricLayer : LayerKind<L::CompositeLayer, IGPCadastralFabricLayer, IGPCadastralFabricLayerType> {
    TAVI_LAYER_NAMES(CadastralFabricLayer);
    static constexpr int32_t kDisplayNameId = 4805;
    static constexpr int32_t kDatasetType = taviDatasetTypeParcelFabric;
    static constexpr IID kValues[] = {IDECadastralFabric::iid};
    static constexpr IID kTypes[] = {IDECadastralFabricType::iid, IDECadastralFabricType2::iid,
                                     IGPGenericDataType::iid};
    TAVI_LAYER_ACCEPTS(.values = kValues, .types = kTypes);
};
struct CatalogLayer : LayerKind<L::FeatureLayer, IGPCatalogLayer, IGPCatalogLayerType> {
    TAVI_LAYER_NAMES(CatalogLayer);
    static constexpr bool kChildren = true;
    static constexpr int32_t kDisplayNameId = 4851;
    TAVI_LAYER_ACCEPTS(.featureType = taviFeatureTypeCatalog, .types = kGeneric);
};
struct CatalogDynamicGroupLayer : LayerKind<L::Layer, IGPCatalogDynamicGroupLayer, IGPLayerType> {
    static constexpr const char16_t* kValueName = u"GPCatalogDynamicGroupLayer";
    static constexpr CLSID kValueClassId = CLSID_GPCatalogDynamicGroupLayer;
    static constexpr CLSID kTypeClassId = CLSID_GPLayerType; // it has no data type of its own
};
struct DiagramLayer : LayerKind<L::Layer, IGPDiagramLayer, IGPDiagramLayerType> {
    TAVI_LAYER_NAMES(DiagramLayer);
    static constexpr int32_t kDisplayNameId = 4819;
    TAVI_LAYER_ACCEPTS(.types = kGeneric);
};
struct DimensionLayer : LayerKind<L::FeatureLayer, IGPDimensionLayer, IGPDimensionLayerType> {
    TAVI_LAYER_NAMES(DimensionLayer);
    static constexpr int32_t kDisplayNameId = 4823;
    static constexpr LayerStreamRule kStream = LayerStreamRule::kBaseOnly;
    static constexpr int32_t kDatasetType = taviDatasetTypeFeatureClass;
    TAVI_LAYER_ACCEPTS(.featureType = taviFeatureTypeDimension, .types = kGeneric);
};
struct ElevationSurfaceLayer : LayerKind<L::Layer, IGPElevationSurfaceLayer, IGPElevationSurfaceLayerType> {
    TAVI_LAYER_NAMES(ElevationSurfaceLayer);
    static constexpr int32_t kDisplayNameId = 4142;
    TAVI_LAYER_ACCEPTS(.types = kGeneric);
};
struct GraphicsLayer : LayerKind<L::Layer, IGPGraphicsLayer, IGPGraphicsLayerType> {
    TAVI_LAYER_NAMES(GraphicsLayer);
    static constexpr int32_t kDisplayNameId = 4848;
    static constexpr LayerStreamRule kStream = LayerStreamRule::kBaseOnly;
    TAVI_LAYER_ACCEPTS(.holder = false, .types = kGeneric);
};
struct GroupLayer : LayerKind<L::CompositeLayer, IGPGroupLayer, IGPGroupLayerType> {
    TAVI_LAYER_NAMES(GroupLayer);
    static constexpr int32_t kDisplayNameId = 4730;
    TAVI_LAYER_ACCEPTS(.types = kGeneric);
};
struct InternetTiledLayer : LayerKind<L::Layer, IGPInternetTiledLayer, IGPInternetTiledLayerType> {
    TAVI_LAYER_NAMES(InternetTiledLayer);
    static constexpr int32_t kDisplayNameId = 4817;
    static constexpr LayerStreamRule kStream = LayerStreamRule::kByDocument;
    TAVI_LAYER_ACCEPTS(.types = kGeneric);
};
struct KMLLayer : LayerKind<L::CompositeLayer, IGPKMLLayer, IGPKMLLayerType> {
    TAVI_LAYER_NAMES(KMLLayer);
    static constexpr int32_t kDisplayNameId = 4824;
    static constexpr IID kValues[] = {IDEKml::iid};
    static constexpr IID kTypes[] = {IDEKml::iid, IGPGenericDataType::iid};
    TAVI_LAYER_ACCEPTS(.values = kValues, .types = kTypes);
};
struct KnowledgeGraphLayer : LayerKind<L::CompositeLayer, IGPKnowledgeGraphLayer, IGPKnowledgeGraphLayerType> {
    TAVI_LAYER_NAMES(KnowledgeGraphLayer);
    static constexpr int32_t kDisplayNameId = 4877;
    static constexpr bool kPassStreamFailure = true;
    static constexpr HRESULT kNullStreamCode = E_INVALIDARG;
    TAVI_LAYER_ACCEPTS(.types = kGeneric);
};
struct LasDatasetLayer : LayerKind<L::Layer, IGPLasDatasetLayer, IGPLasDatasetLayerType> {
    TAVI_LAYER_NAMES(LasDatasetLayer);
    static constexpr int32_t kDisplayNameId = 4812;
    static constexpr LayerStreamRule kStream = LayerStreamRule::kByDocumentLas;
    static constexpr int32_t kDatasetType = taviDatasetTypeLasDataset;
    static constexpr IID kValues[] = {IDELasDataset::iid};
    static constexpr IID kTypes[] = {IDELasDatasetType::iid, IGPGenericDataType::iid};
    TAVI_LAYER_ACCEPTS(.values = kValues, .types = kTypes);
};
struct MapServerLayer : LayerKind<L::Layer, IGPMapServerLayer, IGPMapServerLayerType> {
    TAVI_LAYER_NAMES(MapServerLayer);
    static constexpr int32_t kDisplayNameId = 4111;
    static constexpr LayerStreamRule kStream = LayerStreamRule::kByDocument;
    TAVI_LAYER_ACCEPTS(.types = kGeneric);
};
inline constexpr IID kMosaicElements[] = {IDEMosaicDataset::iid, IDEMosaicDataset2::iid};
inline constexpr IID kMosaicTypes[] = {IDEMosaicDatasetType::iid, IGPGenericDataType::iid};
struct MosaicLayer : LayerKind<L::CompositeLayer, IGPMosaicLayer, IGPMosaicLayerType> {
    TAVI_LAYER_NAMES(MosaicLayer);
    static constexpr int32_t kDisplayNameId = 4100;
    static constexpr int32_t kDatasetType = taviDatasetTypeMosaicDataset;
    TAVI_LAYER_ACCEPTS(.values = kMosaicElements, .surfaceKind = 29, .types = kMosaicTypes);
};
struct NetworkDatasetLayer : LayerKind<L::Layer, IGPNetworkDatasetLayer, IGPNetworkDatasetLayerType> {
    TAVI_LAYER_NAMES(NetworkDatasetLayer);
    static constexpr int32_t kDisplayNameId = 4736;
    static constexpr int32_t kDatasetType = taviDatasetTypeNetworkDataset;
    static constexpr IID kValues[] = {IDENetworkDataset::iid};
    static constexpr IID kTypes[] = {IDENetworkDatasetType::iid, IGPGenericDataType::iid};
    TAVI_LAYER_ACCEPTS(.values = kValues, .types = kTypes);
};
struct OrientedImageryLayer : LayerKind<L::FeatureLayer, IGPOrientedImageryLayer, IGPOrientedImageryLayerType> {
    TAVI_LAYER_NAMES(OrientedImageryLayer);
    static constexpr int32_t kDisplayNameId = 4862;
    static constexpr LayerStreamRule kStream = LayerStreamRule::kBaseOnly;
    static constexpr int32_t kDatasetType = taviDatasetTypeFeatureClass;
    TAVI_LAYER_ACCEPTS(.featureType = taviFeatureTypeOrientedImagery, .types = kGeneric);
};
struct ParcelLayer : LayerKind<L::CompositeLayer, IGPParcelLayer, IGPParcelLayerType> {
    TAVI_LAYER_NAMES(ParcelLayer);
    static constexpr int32_t kDisplayNameId = 4833;
    static constexpr int32_t kDatasetType = taviDatasetTypeParcelFabric;
    static constexpr IID kValues[] = {IDEParcelFabric::iid};
    static constexpr IID kTypes[] = {IDEParcelFabricType::iid, IGPGenericDataType::iid};
    TAVI_LAYER_ACCEPTS(.values = kValues, .types = kTypes);
};
struct RasterCatalogLayer : LayerKind<L::FeatureLayer, IGPRasterCatalogLayer, IGPRasterCatalogLayerType> {
    TAVI_LAYER_NAMES(RasterCatalogLayer);
    static constexpr int32_t kDisplayNameId = 4712;
    static constexpr LayerStreamRule kStream = LayerStreamRule::kBaseOnly;
    static constexpr IID kValues[] = {IDERasterCatalog::iid};
    static constexpr IID kTypes[] = {IDERasterCatalogType::iid, IGPGenericDataType::iid};
    TAVI_LAYER_ACCEPTS(.values = kValues, .types = kTypes);
};
inline constexpr IID kRasterTypes[] = {IDERasterDatasetType::iid, IDERasterBandType::iid,
                                       IGPElevationSurfaceLayerType::iid, IGPGenericDataType::iid};
struct RasterDataLayer : LayerKind<L::Layer, IGPRasterDataLayer, IGPRasterDataLayerType> {
    TAVI_LAYER_NAMES(RasterDataLayer);
    static constexpr int32_t kDisplayNameId = 4789;
    static constexpr CLSID kControlClassId{
        0xDA8EA072, 0xAD53, 0x11D5, {0xA6, 0x85, 0x00, 0x08, 0xC7, 0x11, 0xC8, 0xC1}};
    static constexpr int32_t kDatasetType = taviDatasetTypeRasterDataset;
    static constexpr IID kValues[] = {IGPRasterLayer::iid};
    static constexpr IID kTypes[] = {IGPRasterLayerType::iid, IDERasterDatasetType::iid, IGPGenericDataType::iid};
    TAVI_LAYER_ACCEPTS(.values = kValues, .rasterSource = true, .types = kTypes);
};
struct RasterLayer : LayerKind<L::Layer, IGPRasterLayer, IGPRasterLayerType> {
    TAVI_LAYER_NAMES(RasterLayer);
    static constexpr int32_t kDisplayNameId = 4711;
    static constexpr int32_t kDatasetType = taviDatasetTypeRasterDataset;
    TAVI_LAYER_ACCEPTS(.surfaceKind = taviDatasetTypeRasterDataset, .rasterSource = true, .types = kRasterTypes);
};
struct SceneServiceLayer : LayerKind<L::FeatureLayer, IGPSceneServiceLayer, IGPSceneServiceLayerType> {
    TAVI_LAYER_NAMES(SceneServiceLayer);
    static constexpr int32_t kDisplayNameId = 4130;
    static constexpr LayerStreamRule kStream = LayerStreamRule::kByDocument;
    TAVI_LAYER_ACCEPTS(.types = kGeneric);
};
struct SubtypeLayer : LayerKind<L::FeatureLayer, IGPSubtypeLayer, IGPSubtypeLayerType> {
    TAVI_LAYER_NAMES(SubtypeLayer);
    static constexpr bool kChildren = true;
    static constexpr int32_t kDisplayNameId = 4869;
    static constexpr int32_t kDatasetType = taviDatasetTypeFeatureClass;
    TAVI_LAYER_ACCEPTS(.featureType = taviFeatureTypeDimension, .types = kGeneric);
};
struct TerrainLayer : LayerKind<L::Layer, IGPTerrainLayer, IGPTerrainLayerType> {
    TAVI_LAYER_NAMES(TerrainLayer);
    static constexpr int32_t kDisplayNameId = 4775;
    static constexpr int32_t kDatasetType = taviDatasetTypeTerrain;
    static constexpr IID kValues[] = {IDETerrain::iid};
    static constexpr IID kTypes[] = {IDETerrainType::iid, IGPElevationSurfaceLayerType::iid, IGPGenericDataType::iid};
    TAVI_LAYER_ACCEPTS(.values = kValues, .surfaceKind = taviDatasetTypeTerrain, .types = kTypes);
};
struct TinLayer : LayerKind<L::Layer, IGPTinLayer, IGPTinLayerType> {
    TAVI_LAYER_NAMES(TinLayer);
    static constexpr int32_t kDisplayNameId = 4696;
    static constexpr int32_t kDatasetType = taviDatasetTypeTin;
    static constexpr IID kValues[] = {IDETin::iid};
    static constexpr IID kTypes[] = {IDETinType::iid, IGPElevationSurfaceLayerType::iid, IGPGenericDataType::iid};
    TAVI_LAYER_ACCEPTS(.values = kValues, .surfaceKind = taviDatasetTypeTin, .types = kTypes);
};
struct TopologyLayer : LayerKind<L::Layer, IGPTopologyLayer, IGPTopologyLayerType> {
    TAVI_LAYER_NAMES(TopologyLayer);
    static constexpr int32_t kDisplayNameId = 4703;
    static constexpr int32_t kDatasetType = taviDatasetTypeTopology;
    static constexpr IID kValues[] = {IDETopology::iid};
    static constexpr IID kTypes[] = {IDETopologyType::iid, IGPGenericDataType::iid};
    TAVI_LAYER_ACCEPTS(.values = kValues, .types = kTypes);
};
struct TraceNetworkLayer : LayerKind<L::CompositeLayer, IGPTraceNetworkLayer, IGPTraceNetworkLayerType> {
    TAVI_LAYER_NAMES(TraceNetworkLayer);
    static constexpr int32_t kDisplayNameId = 4839;
    static constexpr int32_t kDatasetType = taviDatasetTypeTraceNetwork;
    static constexpr bool kPassStreamFailure = true;
    static constexpr HRESULT kNullStreamCode = E_POINTER;
    static constexpr IID kValues[] = {IDETraceNetwork::iid};
    static constexpr IID kTypes[] = {IDETraceNetworkType::iid, IGPGenericDataType::iid};
    TAVI_LAYER_ACCEPTS(.values = kValues, .types = kTypes);
};
struct TrajectoryLayer : LayerKind<L::CompositeLayer, IGPTrajectoryLayer, IGPTrajectoryLayerType> {
    TAVI_LAYER_NAMES(TrajectoryLayer);
    static constexpr int32_t kDisplayNameId = 4859;
    TAVI_LAYER_ACCEPTS(.values = kMosaicElements, .types = kMosaicTypes);
};
struct UtilityNetworkLayer : LayerKind<L::CompositeLayer, IGPUtilityNetworkLayer, IGPUtilityNetworkLayerType> {
    TAVI_LAYER_NAMES(UtilityNetworkLayer);
    static constexpr int32_t kDisplayNameId = 4114;
    static constexpr int32_t kDatasetType = taviDatasetTypeUtilityNetwork;
    static constexpr bool kPassStreamFailure = true;
    static constexpr HRESULT kNullStreamCode = E_POINTER;
    static constexpr IID kValues[] = {IDEUtilityNetwork::iid};
    static constexpr IID kTypes[] = {IDEUtilityNetworkType::iid, IGPGenericDataType::iid};
    TAVI_LAYER_ACCEPTS(.values = kValues, .types = kTypes);
};
struct VectorLayer : LayerKind<L::Layer, IGPVectorLayer, IGPVectorLayerType> {
    TAVI_LAYER_NAMES(VectorLayer);
    static constexpr int32_t kDisplayNameId = 4133;
    static constexpr LayerStreamRule kStream = LayerStreamRule::kByDocument;
    TAVI_LAYER_ACCEPTS(.types = kGeneric);
};
struct VoxelLayer : LayerKind<L::CompositeLayer, IGPVoxelLayer, IGPVoxelLayerType> {
    TAVI_LAYER_NAMES(VoxelLayer);
    static constexpr int32_t kDisplayNameId = 4845;
    TAVI_LAYER_ACCEPTS(.types = kGeneric);
};

#undef TAVI_LAYER_ACCEPTS
#undef TAVI_LAYER_NAMES

} // namespace layerkinds

// Members without fields of their own.
using GPLayer = LayerMember<layerkinds::Layer>;
using GPFeatureLayer = LayerMember<layerkinds::FeatureLayer>;
using GPTableView = LayerMember<layerkinds::TableView>;
using GPCompositeLayer = LayerMember<layerkinds::CompositeLayer>;
using GP3DObjectFeatureLayer = LayerMember<layerkinds::ObjectFeatureLayer3D>;
using GP3DTilesLayer = LayerMember<layerkinds::TilesLayer3D>;
using GPAnnotationLayer = LayerMember<layerkinds::AnnotationLayer>;
using GPBuildingDisciplineLayer = LayerMember<layerkinds::BuildingDisciplineLayer>;
using GPBuildingLayer = LayerMember<layerkinds::BuildingLayer>;
using GPBuildingSceneDisciplineLayer = LayerMember<layerkinds::BuildingSceneDisciplineLayer>;
using GPBuildingSceneLayer = LayerMember<layerkinds::BuildingSceneLayer>;
using GPCadastralFabricLayer = LayerMember<layerkinds::CadastralFabricLayer>;
using GPCatalogDynamicGroupLayer = LayerMember<layerkinds::CatalogDynamicGroupLayer>;
using GPDiagramLayer = LayerMember<layerkinds::DiagramLayer>;
using GPDimensionLayer = LayerMember<layerkinds::DimensionLayer>;
using GPGraphicsLayer = LayerMember<layerkinds::GraphicsLayer>;
using GPGroupLayer = LayerMember<layerkinds::GroupLayer>;
using GPInternetTiledLayer = LayerMember<layerkinds::InternetTiledLayer>;
using GPKMLLayer = LayerMember<layerkinds::KMLLayer>;
using GPKnowledgeGraphLayer = LayerMember<layerkinds::KnowledgeGraphLayer>;
using GPMapServerLayer = LayerMember<layerkinds::MapServerLayer>;
using GPMosaicLayer = LayerMember<layerkinds::MosaicLayer>;
using GPNetworkDatasetLayer = LayerMember<layerkinds::NetworkDatasetLayer>;
using GPOrientedImageryLayer = LayerMember<layerkinds::OrientedImageryLayer>;
using GPParcelLayer = LayerMember<layerkinds::ParcelLayer>;
using GPRasterCatalogLayer = LayerMember<layerkinds::RasterCatalogLayer>;
using GPSceneServiceLayer = LayerMember<layerkinds::SceneServiceLayer>;
using GPTerrainLayer = LayerMember<layerkinds::TerrainLayer>;
using GPTinLayer = LayerMember<layerkinds::TinLayer>;
using GPTopologyLayer = LayerMember<layerkinds::TopologyLayer>;
using GPTraceNetworkLayer = LayerMember<layerkinds::TraceNetworkLayer>;
using GPTrajectoryLayer = LayerMember<layerkinds::TrajectoryLayer>;
using GPUtilityNetworkLayer = LayerMember<layerkinds::UtilityNetworkLayer>;
using GPVectorLayer = LayerMember<layerkinds::VectorLayer>;
using GPVoxelLayer = LayerMember<layerkinds::VoxelLayer>;

// Members with children stored before the base state (the catalog and subtype layers).
template <class K> class LayerWithOwnChildren final : public LayerMemberBase<LayerWithOwnChildren<K>, K> {
protected:
    HRESULT SaveFirst(IStream* stream) override { return this->SaveChildren(stream, this->SaveClearsDirty()); }
    HRESULT LoadFirst(IStream* stream) override { return this->LoadChildren(stream); }
};
using GPCatalogLayer = LayerWithOwnChildren<layerkinds::CatalogLayer>;
using GPSubtypeLayer = LayerWithOwnChildren<layerkinds::SubtypeLayer>;

class GPElevationSurfaceLayer final
    : public LayerMemberBase<GPElevationSurfaceLayer, layerkinds::ElevationSurfaceLayer> {
public:
    HRESULT Empty() override;
    HRESULT get_SurfaceSourceKind(int32_t* kind) override { return HandOutValue(surfaceKind_, kind); }
    HRESULT put_SurfaceSourceKind(int32_t kind) override {
        return Change([&] { surfaceKind_ = kind; });
    }

protected:
    HRESULT SaveFirst(IStream* stream) override { return AfStreamWrite(stream, surfaceKind_); }
    HRESULT LoadFirst(IStream* stream) override { return AfStreamRead(stream, &surfaceKind_); }
    HRESULT SerializeOwn(IXMLSerializeData* data) override;
    HRESULT DeserializeOwn(IXMLSerializeData* data) override;
    HRESULT AssignOwn(IClone* source) override;
    bool SameOwnAs(IClone* other) override;

private:
    int32_t surfaceKind_ = 0;
};

class GPRasterLayer final : public LayerMemberBase<GPRasterLayer, layerkinds::RasterLayer, IGPRasterLayer2> {
public:
    HRESULT Empty() override;
    HRESULT get_Bands(BSTR* bands) override { return HandOut(bands_, bands); }
    HRESULT put_Bands(const OLECHAR* bands) override {
        return Change([&] { bands_ = bands ? bands : u""; });
    }

protected:
    HRESULT SaveLast(IStream* stream, uint16_t) override { return WriteString(stream, bands_); }
    HRESULT LoadLast(IStream* stream, uint16_t) override { return ReadString(stream, &bands_); }
    HRESULT SerializeOwn(IXMLSerializeData* data) override;
    HRESULT DeserializeOwn(IXMLSerializeData* data) override;
    HRESULT AssignOwn(IClone* source) override;
    bool SameOwnAs(IClone* other) override;

private:
    String bands_;
};

class GPLasDatasetLayer final : public LayerMemberBase<GPLasDatasetLayer, layerkinds::LasDatasetLayer> {
public:
    static constexpr uint16_t kStreamVersion = 2;
    HRESULT Empty() override;

protected:
    int32_t SaveVersionFor(IStream* stream) override;
    HRESULT SaveLast(IStream* stream, uint16_t version) override;
    HRESULT LoadLast(IStream* stream, uint16_t version) override;
    HRESULT AssignOwn(IClone* source) override;

private:
    ComPtr<IUnknown> further_; // the object of a version 2 form
};

// The raster data layer value: a raster path (see the header comment).
class GPRasterDataLayer final
    : public GPValue<GPRasterDataLayer, IGPRasterDataLayer, ValueInterfacesDescribed, IGPValueExpression> {
public:
    static constexpr CLSID kClassId = CLSID_GPRasterDataLayer;
    static constexpr const char16_t* kClassName = u"GPRasterDataLayer";
    static constexpr uint16_t kStreamVersion = 1;
    static constexpr const char16_t* kDefaultFormat = u"tif";

    GPRasterDataLayer() : GPValue(kClassId, CLSID_GPRasterDataLayerType) {}

    HRESULT Empty() override;
    HRESULT GetAsText(BSTR* text) override { return HandOut(path_, text); }
    HRESULT SetAsText(const OLECHAR* text, IGPMessage** message) override;
    HRESULT Assign(IClone* source) override;
    HRESULT IsEqual(IClone* other, VARIANT_BOOL* equal) override;

    // IGPValueExpression
    HRESULT get_Resolved(VARIANT_BOOL* resolved) override { return ResolvedWithoutVariables(resolved); }
    HRESULT put_Resolved(VARIANT_BOOL) override { return S_OK; }
    HRESULT ResolveValue(IGPVariableManager*, IGPValue** resolved) override {
        return ResolveAsClone(static_cast<IClone*>(this), resolved);
    }
    HRESULT GetVariableNames(IUnknown** names) override { return ClearOut(names); }
    HRESULT get_Variables(IArray** variables) override { return ClearOut(variables); }
    HRESULT putref_Variables(IArray*) override { return S_OK; }
    HRESULT GetAsText(IGPVariableManager*, BSTR* text) override { return GetAsText(text); }

    const String& Format() const { return format_; }

private:
    HRESULT SaveContent(IStream* stream, uint16_t version) override;
    HRESULT LoadContent(IStream* stream, uint16_t version) override;
    HRESULT SerializeContent(IXMLSerializeData* data) override;
    HRESULT DeserializeContent(IXMLSerializeData* data) override;

    String path_;
    String format_ = kDefaultFormat;
    ComPtr<IUnknown> object_;
};

// The data types.
using GPLayerType = LayerMemberType<layerkinds::Layer>;
using GPFeatureLayerType = LayerMemberType<layerkinds::FeatureLayer>;
using GPTableViewType = LayerMemberType<layerkinds::TableView>;
using GPCompositeLayerType = LayerMemberType<layerkinds::CompositeLayer>;
using GP3DObjectFeatureLayerType = LayerMemberType<layerkinds::ObjectFeatureLayer3D>;
using GP3DTilesLayerType = LayerMemberType<layerkinds::TilesLayer3D>;
using GPAnnotationLayerType = LayerMemberType<layerkinds::AnnotationLayer>;
using GPBuildingDisciplineLayerType = LayerMemberType<layerkinds::BuildingDisciplineLayer>;
using GPBuildingLayerType = LayerMemberType<layerkinds::BuildingLayer>;
using GPBuildingSceneDisciplineLayerType = LayerMemberType<layerkinds::BuildingSceneDisciplineLayer>;
using GPBuildingSceneLayerType = LayerMemberType<layerkinds::BuildingSceneLayer>;
using GPCadastralFabricLayerType = LayerMemberType<layerkinds::CadastralFabricLayer>;
using GPCatalogLayerType = LayerMemberType<layerkinds::CatalogLayer>;
using GPDiagramLayerType = LayerMemberType<layerkinds::DiagramLayer>;
using GPDimensionLayerType = LayerMemberType<layerkinds::DimensionLayer>;
using GPElevationSurfaceLayerType = LayerMemberType<layerkinds::ElevationSurfaceLayer>;
using GPGraphicsLayerType = LayerMemberType<layerkinds::GraphicsLayer>;
using GPGroupLayerType = LayerMemberType<layerkinds::GroupLayer>;
using GPInternetTiledLayerType = LayerMemberType<layerkinds::InternetTiledLayer>;
using GPKMLLayerType = LayerMemberType<layerkinds::KMLLayer>;
using GPKnowledgeGraphLayerType = LayerMemberType<layerkinds::KnowledgeGraphLayer>;
using GPLasDatasetLayerType = LayerMemberType<layerkinds::LasDatasetLayer>;
using GPMapServerLayerType = LayerMemberType<layerkinds::MapServerLayer>;
using GPMosaicLayerType = LayerMemberType<layerkinds::MosaicLayer>;
using GPNetworkDatasetLayerType = LayerMemberType<layerkinds::NetworkDatasetLayer>;
using GPOrientedImageryLayerType = LayerMemberType<layerkinds::OrientedImageryLayer>;
using GPParcelLayerType = LayerMemberType<layerkinds::ParcelLayer>;
using GPRasterCatalogLayerType = LayerMemberType<layerkinds::RasterCatalogLayer>;
using GPRasterDataLayerType = LayerMemberType<layerkinds::RasterDataLayer>;
using GPRasterLayerType = LayerMemberType<layerkinds::RasterLayer>;
using GPSceneServiceLayerType = LayerMemberType<layerkinds::SceneServiceLayer>;
using GPSubtypeLayerType = LayerMemberType<layerkinds::SubtypeLayer>;
using GPTerrainLayerType = LayerMemberType<layerkinds::TerrainLayer>;
using GPTinLayerType = LayerMemberType<layerkinds::TinLayer>;
using GPTopologyLayerType = LayerMemberType<layerkinds::TopologyLayer>;
using GPTraceNetworkLayerType = LayerMemberType<layerkinds::TraceNetworkLayer>;
using GPTrajectoryLayerType = LayerMemberType<layerkinds::TrajectoryLayer>;
using GPUtilityNetworkLayerType = LayerMemberType<layerkinds::UtilityNetworkLayer>;
using GPVectorLayerType = LayerMemberType<layerkinds::VectorLayer>;
using GPVoxelLayerType = LayerMemberType<layerkinds::VoxelLayer>;

// The kind of layer that draws `element`'s data: a feature class makes a feature layer, or an annotation, dimension
// or oriented imagery layer by its feature type; a table a table view; a raster a raster layer; a TIN, terrain, LAS
// dataset or topology element a layer of that kind. Null names and GUID_NULL when no layer draws data of its kind.
struct LayerKindOfData {
    const char16_t* dataTypeName; // e.g. "GPFeatureLayer"
    CLSID valueClassId;
};
LayerKindOfData LayerKindFor(IDataElement* element);

} // namespace tavi
