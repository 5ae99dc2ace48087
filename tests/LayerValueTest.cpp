// The layer family: every member's identities, display names, validation and stream versions, and layer values over
// real data (a definition query read through a cursor, a selection through the stored forms and a clone, a group
// layer's children and the refusal of cycles, a dataset path as text).
#include "DataDomainTestSupport.h"

#include "host/DocumentVersion.h"
#include "tavi/DataAccess.h"
#include "tavi/GPLayer.h"

namespace tavi::test {
namespace {

// A geodatabase feature class element of a feature type, which this host's data never is.
class FakeFeatureClass final : public FakeValue<FakeFeatureClass, IDEGdbFeatureClass3> {
public:
    explicit FakeFeatureClass(int32_t type) : type_(type) {}
    HRESULT get_FeatureType(int32_t* type) override { return HandOutValue(type_, type); }
    HRESULT get_ShapeType(int32_t* type) override { return HandOutValue(4, type); }
    HRESULT get_ShapeFieldName(BSTR* name) override { return HandOut(u"SHAPE", name); }

private:
    int32_t type_;
};

enum Stream { kBase, kOne, kByDoc, kLas };
struct Member {
    const char16_t* name;
    CLSID value;
    CLSID type;
    const char* display;
    Stream stream;
    int32_t featureType; // the feature type its data type accepts (0: none)
    bool holder;         // its data type accepts an empty holder
};
const Member kMembers[] = {
    {u"GPLayer", CLSID_GPLayer, CLSID_GPLayerType, "Layer", kBase, 0, true},
    {u"GPFeatureLayer", CLSID_GPFeatureLayer, CLSID_GPFeatureLayerType, "Feature Layer", kBase, 0, false},
    {u"GPTableView", CLSID_GPTableView, CLSID_GPTableViewType, "Table View", kBase, 0, false},
    {u"GPCompositeLayer", CLSID_GPCompositeLayer, CLSID_GPCompositeLayerType, "Composite Layer", kOne, 0, false},
    {u"GP3DObjectFeatureLayer", CLSID_GP3DObjectFeatureLayer, CLSID_GP3DObjectFeatureLayerType,
     "3D Object Feature Layer", kBase, 0, true},
    {u"GP3DTilesLayer", CLSID_GP3DTilesLayer, CLSID_GP3DTilesLayerType, "3D Tiles Layer", kByDoc, 0, true},
    {u"GPAnnotationLayer", CLSID_GPAnnotationLayer, CLSID_GPAnnotationLayerType, "Annotation Layer", kBase, 11, true},
    {u"GPBuildingDisciplineLayer", CLSID_GPBuildingDisciplineLayer, CLSID_GPBuildingDisciplineLayerType,
     "Building Discipline Layer", kOne, 0, true},
    {u"GPBuildingLayer", CLSID_GPBuildingLayer, CLSID_GPBuildingLayerType, "Building Layer", kOne, 0, true},
    {u"GPBuildingSceneDisciplineLayer", CLSID_GPBuildingSceneDisciplineLayer, CLSID_GPBuildingSceneDisciplineLayerType,
     "Building Discipline Scene Layer", kOne, 0, true},
    {u"GPBuildingSceneLayer", CLSID_GPBuildingSceneLayer, CLSID_GPBuildingSceneLayerType, "Building Scene Layer", kOne,
     0, true},
    {u"GPCadastralFabricLayer", CLSID_GPCadastralFabricLayer, CLSID_GPCadastralFabricLayerType,
     "Parcel Fabric Layer for Dunlow", kOne, 0, true},
    {u"GPCatalogLayer", CLSID_GPCatalogLayer, CLSID_GPCatalogLayerType, "Catalog Layer", kOne, 15, true},
    {u"GPDiagramLayer", CLSID_GPDiagramLayer, CLSID_GPDiagramLayerType, "Diagram Layer", kOne, 0, true},
    {u"GPDimensionLayer", CLSID_GPDimensionLayer, CLSID_GPDimensionLayerType, "Dimension Layer", kBase, 13, true},
    {u"GPElevationSurfaceLayer", CLSID_GPElevationSurfaceLayer, CLSID_GPElevationSurfaceLayerType,
     "Elevation Surface Layer", kOne, 0, true},
    {u"GPGraphicsLayer", CLSID_GPGraphicsLayer, CLSID_GPGraphicsLayerType, "Graphics Layer", kBase, 0, false},
    {u"GPGroupLayer", CLSID_GPGroupLayer, CLSID_GPGroupLayerType, "Group Layer", kOne, 0, true},
    {u"GPInternetTiledLayer", CLSID_GPInternetTiledLayer, CLSID_GPInternetTiledLayerType, "Internet Tiled Layer",
     kByDoc, 0, true},
    {u"GPKMLLayer", CLSID_GPKMLLayer, CLSID_GPKMLLayerType, "KML Layer", kOne, 0, true},
    {u"GPKnowledgeGraphLayer", CLSID_GPKnowledgeGraphLayer, CLSID_GPKnowledgeGraphLayerType, "Knowledge Graph Layer",
     kOne, 0, true},
    {u"GPLasDatasetLayer", CLSID_GPLasDatasetLayer, CLSID_GPLasDatasetLayerType, "LAS Dataset Layer", kLas, 0, true},
    {u"GPMapServerLayer", CLSID_GPMapServerLayer, CLSID_GPMapServerLayerType, "Map Server Layer", kByDoc, 0, true},
    {u"GPMosaicLayer", CLSID_GPMosaicLayer, CLSID_GPMosaicLayerType, "Mosaic Layer", kOne, 0, true},
    {u"GPNetworkDatasetLayer", CLSID_GPNetworkDatasetLayer, CLSID_GPNetworkDatasetLayerType, "Network Dataset Layer",
     kOne, 0, true},
    {u"GPOrientedImageryLayer", CLSID_GPOrientedImageryLayer, CLSID_GPOrientedImageryLayerType,
     "Oriented Imagery Layer", kBase, 16, true},
    {u"GPParcelLayer", CLSID_GPParcelLayer, CLSID_GPParcelLayerType, "Parcel Fabric Layer", kOne, 0, true},
    {u"GPRasterCatalogLayer", CLSID_GPRasterCatalogLayer, CLSID_GPRasterCatalogLayerType, "Raster Catalog Layer", kBase,
     0, true},
    {u"GPRasterLayer", CLSID_GPRasterLayer, CLSID_GPRasterLayerType, "Raster Layer", kOne, 0, true},
    {u"GPSceneServiceLayer", CLSID_GPSceneServiceLayer, CLSID_GPSceneServiceLayerType, "Scene Layer", kByDoc, 0, true},
    {u"GPSubtypeLayer", CLSID_GPSubtypeLayer, CLSID_GPSubtypeLayerType, "Subtype Layer", kOne, 13, true},
    {u"GPTerrainLayer", CLSID_GPTerrainLayer, CLSID_GPTerrainLayerType, "Terrain Layer", kOne, 0, true},
    {u"GPTinLayer", CLSID_GPTinLayer, CLSID_GPTinLayerType, "TIN Layer", kOne, 0, true},
    {u"GPTopologyLayer", CLSID_GPTopologyLayer, CLSID_GPTopologyLayerType, "Topology Layer", kOne, 0, true},
    {u"GPTraceNetworkLayer", CLSID_GPTraceNetworkLayer, CLSID_GPTraceNetworkLayerType, "Trace Network Layer", kOne, 0,
     true},
    {u"GPTrajectoryLayer", CLSID_GPTrajectoryLayer, CLSID_GPTrajectoryLayerType, "Trajectory Layer", kOne, 0, true},
    {u"GPUtilityNetworkLayer", CLSID_GPUtilityNetworkLayer, CLSID_GPUtilityNetworkLayerType, "Utility Network Layer",
     kOne, 0, true},
    {u"GPVectorLayer", CLSID_GPVectorLayer, CLSID_GPVectorLayerType, "Vector Tile Layer", kByDoc, 0, true},
    {u"GPVoxelLayer", CLSID_GPVoxelLayer, CLSID_GPVoxelLayerType, "Voxel Layer", kOne, 0, true},
};

std::string Text(HRESULT (IGPDataType::*get)(BSTR*), IGPDataType* type) {
    BStr text;
    EXPECT_EQ((type->*get)(text.Out()), S_OK);
    return ToUtf8(text.view());
}

bool ValueAccepted(IGPDataType* type, IGPValue* value) {
    ComPtr<IGPMessage> message;
    EXPECT_EQ(type->ValidateValue(value, nullptr, message.Out()), S_OK);
    return message && !MessageIsError(message.Get());
}

// A stream holding a 16-bit version and nothing else.
std::vector<uint8_t> VersionOnly(uint16_t version) {
    return {static_cast<uint8_t>(version & 0xFF), static_cast<uint8_t>(version >> 8)};
}

class LayerMembersTest : public DataDomainTest {};

TEST_F(LayerMembersTest, IdentitiesNamesAndValidation) {
    for (const Member& m : kMembers) {
        SCOPED_TRACE(ToUtf8(m.name));
        auto type = Create<IGPDataType>(m.type);
        auto value = Create<IGPValue>(m.value);
        ASSERT_TRUE(type && value);
        EXPECT_EQ(Text(&IGPDataType::get_Name, type.Get()), ToUtf8(m.name));
        EXPECT_EQ(Text(&IGPDataType::get_DisplayName, type.Get()), m.display);
        ComPtr<IGPDataType> valueType;
        ASSERT_EQ(value->get_DataType(valueType.Out()), S_OK);
        EXPECT_TRUE(Equal(valueType.Get(), type.Get()));
        EXPECT_TRUE(QueryAs<IGPLayer>(value.Get()));
        // Its own value, and of the feature types only its own.
        EXPECT_TRUE(ValueAccepted(type.Get(), value.Get()));
        for (int32_t featureType : {11, 13, 15, 16}) {
            auto element = MakeObject<FakeFeatureClass>(featureType);
            EXPECT_EQ(ValueAccepted(type.Get(), static_cast<IGPValue*>(element.Get())), featureType == m.featureType)
                << featureType;
        }
        // A holder of no layer; a string value is never a layer.
        auto emptyHolder = MakeObject<FakeLayerHolder>(nullptr, nullptr);
        EXPECT_EQ(ValueAccepted(type.Get(), static_cast<IGPValue*>(emptyHolder.Get())), m.holder);
        EXPECT_FALSE(ValueAccepted(type.Get(), NewValue(CLSID_GPString, u"roads").Get()));
        // A variable holding its value validates as the value.
        auto variable = Create<IGPVariable>(CLSID_GPVariable);
        ASSERT_EQ(variable->putref_Value(value.Get()), S_OK);
        EXPECT_TRUE(ValueAccepted(type.Get(), QueryAs<IGPValue>(variable.Get()).Get()));
        // Null arguments.
        ComPtr<IGPMessage> message;
        EXPECT_EQ(type->ValidateValue(nullptr, nullptr, message.Out()), E_POINTER);
        EXPECT_EQ(type->ValidateDataType(nullptr, message.Out()), E_POINTER);
        // The type accepts itself and, through the value, the type a text makes.
        ASSERT_EQ(type->ValidateDataType(type.Get(), message.Out()), S_OK);
        EXPECT_FALSE(MessageIsError(message.Get()));
        ComPtr<IGPValue> made;
        EXPECT_EQ(type->CreateValue(u"an output layer", made.Out()), S_OK);
        EXPECT_EQ(TextOf(made.Get()), "an output layer");
    }
}

TEST_F(LayerMembersTest, GraphicsLayerTypeRefusesHoldersAndGenericLayerTakesAnyLayer) {
    auto graphics = Create<IGPValue>(CLSID_GPGraphicsLayer);
    auto holder = MakeObject<FakeLayerHolder>(QueryAs<IGPLayer>(graphics.Get()).Get(), nullptr);
    auto holderValue = static_cast<IGPValue*>(holder.Get());
    EXPECT_FALSE(ValueAccepted(Create<IGPDataType>(CLSID_GPGraphicsLayerType).Get(), holderValue));
    EXPECT_TRUE(ValueAccepted(Create<IGPDataType>(CLSID_GPLayerType).Get(), holderValue));
    // A holder of an annotation layer suits the annotation type, a holder of a graphics layer does not.
    EXPECT_FALSE(ValueAccepted(Create<IGPDataType>(CLSID_GPAnnotationLayerType).Get(), holderValue));
    auto annotation = Create<IGPLayer>(CLSID_GPAnnotationLayer);
    auto annotationHolder = MakeObject<FakeLayerHolder>(annotation.Get(), nullptr);
    EXPECT_TRUE(ValueAccepted(Create<IGPDataType>(CLSID_GPAnnotationLayerType).Get(),
                              static_cast<IGPValue*>(annotationHolder.Get())));
    // The generic layer type takes every kind of layer value and layer data type.
    EXPECT_TRUE(ValueAccepted(Create<IGPDataType>(CLSID_GPLayerType).Get(), graphics.Get()));
    ComPtr<IGPMessage> message;
    ASSERT_EQ(Create<IGPDataType>(CLSID_GPLayerType)
                  ->ValidateDataType(Create<IGPDataType>(CLSID_GPTinLayerType).Get(), message.Out()),
              S_OK);
    EXPECT_FALSE(MessageIsError(message.Get()));
    ASSERT_EQ(Create<IGPDataType>(CLSID_GPTinLayerType)
                  ->ValidateDataType(Create<IGPDataType>(CLSID_GPLayerType).Get(), message.Out()),
              S_OK);
    EXPECT_TRUE(MessageIsError(message.Get()));
    // An elevation surface layer of a TIN is a TIN layer, not a terrain layer.
    auto surface = Create<IGPElevationSurfaceLayer>(CLSID_GPElevationSurfaceLayer);
    ASSERT_EQ(surface->put_SurfaceSourceKind(14), S_OK);
    auto surfaceValue = QueryAs<IGPValue>(surface.Get());
    EXPECT_TRUE(ValueAccepted(Create<IGPDataType>(CLSID_GPTinLayerType).Get(), surfaceValue.Get()));
    EXPECT_FALSE(ValueAccepted(Create<IGPDataType>(CLSID_GPTerrainLayerType).Get(), surfaceValue.Get()));
}

TEST_F(LayerMembersTest, StreamVersions) {
    for (const Member& m : kMembers) {
        SCOPED_TRACE(ToUtf8(m.name));
        auto value = NewValue(m.value, u"named");
        // Documents too old for the kind get nothing at all.
        auto oldest = SavedForm(value.Get(), docversion::Older(0));
        EXPECT_EQ(oldest.empty(), m.stream == kByDoc || m.stream == kLas);
        auto form = SavedForm(value.Get(), docversion::kCurrent);
        ASSERT_GE(form.size(), 2u);
        EXPECT_EQ(form[0] | form[1] << 8, 1);
        auto read = Create<IGPValue>(m.value);
        ASSERT_EQ(LoadForm(read.Get(), form), S_OK);
        EXPECT_TRUE(Equal(read.Get(), value.Get()));
        // Version 0 is read by the kinds marked 1 only; 2 and above by none (the LAS layer reads 2).
        auto zero = form;
        zero[0] = 0;
        EXPECT_EQ(LoadForm(read.Get(), zero), m.stream == kByDoc || m.stream == kLas ? E_FAIL : S_OK);
        for (uint16_t version : {2, 3, 0xFFFF}) {
            auto later = form;
            later[0] = static_cast<uint8_t>(version & 0xFF);
            later[1] = static_cast<uint8_t>(version >> 8);
            EXPECT_EQ(LoadForm(read.Get(), later), E_FAIL) << version;
        }
        EXPECT_EQ(TextOf(read.Get()), "named") << "a failed read changes nothing";
        EXPECT_EQ(LoadForm(read.Get(), VersionOnly(1)), E_FAIL);
    }
}

TEST_F(LayerMembersTest, KindsThatReportTheStreamsFailure) {
    auto knowledgeGraph = Create<IPersistStream>(CLSID_GPKnowledgeGraphLayer);
    EXPECT_EQ(knowledgeGraph->Load(nullptr), E_INVALIDARG);
    EXPECT_EQ(Create<IPersistStream>(CLSID_GPGroupLayer)->Load(nullptr), E_POINTER);
    // A short stream is no stream failure: E_FAIL.
    EXPECT_EQ(LoadForm(knowledgeGraph.Get(), VersionOnly(1)), E_FAIL);
}

TEST_F(LayerMembersTest, MemberFieldsSurviveTheForms) {
    auto surface = Create<IGPElevationSurfaceLayer>(CLSID_GPElevationSurfaceLayer);
    ASSERT_EQ(surface->put_SurfaceSourceKind(20), S_OK);
    auto raster = Create<IGPRasterLayer2>(CLSID_GPRasterLayer);
    ASSERT_EQ(raster->put_Bands(u"1;3"), S_OK);
    auto catalog = Create<IGPCompositeLayer>(CLSID_GPCatalogLayer);
    ASSERT_EQ(catalog->AddLayer(Create<IGPLayer>(CLSID_GPFeatureLayer).Get()), S_OK);
    for (IUnknown* value : {static_cast<IUnknown*>(surface.Get()), static_cast<IUnknown*>(raster.Get()),
                            static_cast<IUnknown*>(catalog.Get())}) {
        CLSID clsid{};
        QueryAs<IPersist>(value)->GetClassID(&clsid);
        auto streamed = Create<IUnknown>(clsid);
        ASSERT_EQ(LoadForm(streamed.Get(), SavedForm(value)), S_OK);
        EXPECT_TRUE(Equal(streamed.Get(), value));
        auto fromXml = XmlCopy<IUnknown>(XmlForm(value), clsid);
        ASSERT_TRUE(fromXml);
        EXPECT_TRUE(Equal(fromXml.Get(), value));
        // The field is part of equality.
        auto empty = Create<IUnknown>(clsid);
        EXPECT_FALSE(Equal(empty.Get(), value));
    }
}

// --- layer values over real data ---

class LayerValueTest : public DataDomainTest {
protected:
    static void SetUpTestSuite() {
        DataDomainTest::SetUpTestSuite();
        std::vector<TestFeature> towns;
        for (int i = 1; i <= 6; ++i)
            towns.push_back({"POINT (" + std::to_string(i) + " 1)", "t" + std::to_string(i), i, i * 1.5, 2000, 1, 1});
        data_->Vector("GPKG", "towns.gpkg", "towns", wkbPoint, 32633, towns);
    }
    static ComPtr<IGPLayer2> Towns() {
        auto layer = NewValue(CLSID_GPFeatureLayer, P("towns.gpkg/towns").c_str());
        return QueryAs<IGPLayer2>(layer.Get());
    }
    static std::vector<std::string> Names(ICursor* cursor) {
        std::vector<std::string> names;
        ComPtr<IFields> fields;
        EXPECT_EQ(cursor->get_Fields(fields.Out()), S_OK);
        int32_t index = -1;
        EXPECT_EQ(fields->FindField(u"NAME", &index), S_OK);
        for (;;) {
            ComPtr<IRow> row;
            EXPECT_TRUE(SUCCEEDED(cursor->NextRow(row.Out())));
            if (!row)
                return names;
            Variant name;
            row->get_Value(index, &name);
            names.push_back(ToUtf8(name.bstrVal ? std::u16string_view(name.bstrVal) : u""));
        }
    }
};

TEST_F(LayerValueTest, DatasetPathText) {
    auto layer = Towns();
    BStr text;
    ASSERT_EQ(QueryAs<IGPLayer>(layer.Get())->get_DisplayName(text.Out()), S_OK);
    EXPECT_EQ(text.view(), u"towns");
    ASSERT_EQ(layer->get_DataSource(text.Out()), S_OK);
    EXPECT_EQ(text.view(), P("towns.gpkg/towns"));
    EXPECT_EQ(TextOf(layer.Get()), ToUtf8(P("towns.gpkg/towns")));
    ComPtr<IDataElement> element;
    ASSERT_EQ(QueryAs<IGPLayer>(layer.Get())->get_DataElement(element.Out()), S_OK);
    EXPECT_TRUE(QueryAs<IFeatureClass>(element.Get()));
    ComPtr<IEnvelope> extent;
    EXPECT_EQ(QueryAs<IDEGeoDataset>(layer.Get())->get_Extent(extent.Out()), S_OK);
    EXPECT_TRUE(extent);
    // A name that names no data is an output layer: a name, no data, no error.
    auto output = NewValue(CLSID_GPFeatureLayer, u"roads_out");
    ASSERT_EQ(QueryAs<IGPLayer>(output.Get())->get_DataElement(element.Out()), S_OK);
    EXPECT_FALSE(element);
    EXPECT_EQ(QueryAs<IDEGeoDataset>(output.Get())->get_Extent(extent.Out()), S_FALSE);
    EXPECT_FALSE(extent);
    ComPtr<ITable> table;
    EXPECT_EQ(QueryAs<IGPTableViewImpl>(output.Get())->OpenTable(table.Out()), TAVI_E_DATA_NOT_FOUND);
    // The feature class of the real data is a simple one: the annotation type refuses it, the feature layer takes
    // the layer.
    auto element2 = Element(P("towns.gpkg/towns"));
    EXPECT_FALSE(ValueAccepted(Create<IGPDataType>(CLSID_GPAnnotationLayerType).Get(), element2.Get()));
    EXPECT_TRUE(
        ValueAccepted(Create<IGPDataType>(CLSID_GPFeatureLayerType).Get(), QueryAs<IGPValue>(layer.Get()).Get()));
    // A raster path given to the raster layer type.
    ComPtr<IGPValue> raster;
    ASSERT_EQ(Create<IGPDataType>(CLSID_GPRasterLayerType)->CreateValue(P("dem.tif").c_str(), raster.Out()), S_OK);
    EXPECT_TRUE(ValueAccepted(Create<IGPDataType>(CLSID_GPRasterLayerType).Get(), raster.Get()));
    EXPECT_TRUE(ValueAccepted(Create<IGPDataType>(CLSID_GPRasterDataLayerType).Get(), raster.Get()));
}

// The data type factory makes the layer value for what stands for a layer: a copy of a layer value, the layer a
// holder holds, a layer of the data's kind over a data element; an empty holder and other objects fit none.
TEST_F(LayerValueTest, FactoryMakesLayerValuesForLayerObjects) {
    auto support = Create<IGPLayerSupport>(CLSID_GPDataTypeFactory);
    auto towns = Towns();
    ComPtr<IGPValue> value;
    ASSERT_EQ(support->MakeLayerValue(towns.Get(), value.Out()), S_OK);
    EXPECT_NE(static_cast<IUnknown*>(value.As<IUnknown>().Get()), static_cast<IUnknown*>(towns.As<IUnknown>().Get()))
        << "a copy";
    EXPECT_EQ(TextOf(value.Get()), ToUtf8(P("towns.gpkg/towns")));

    auto holder = MakeObject<FakeLayerHolder>(QueryAs<IGPLayer>(towns.Get()).Get(), nullptr);
    ASSERT_EQ(support->MakeLayerValue(QueryAs<IGPLayerHolder>(holder.Get()).Get(), value.Out()), S_OK);
    EXPECT_TRUE(value.As<IGPFeatureLayer>());
    auto empty = MakeObject<FakeLayerHolder>(nullptr, nullptr);
    EXPECT_EQ(support->MakeLayerValue(QueryAs<IGPLayerHolder>(empty.Get()).Get(), value.Out()), E_FAIL);
    EXPECT_FALSE(value);

    const struct {
        std::string path;
        IID kind;
    } cases[] = {{"towns.gpkg/towns", IGPFeatureLayer::iid}, {"dem.tif", IGPRasterLayer::iid}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        auto element = Element(P(c.path));
        ASSERT_EQ(support->MakeLayerValue(element.Get(), value.Out()), S_OK);
        ComPtr<IUnknown> kind;
        EXPECT_EQ(value->QueryInterface(c.kind, kind.OutVoid()), S_OK);
        ComPtr<IDataElement> drawn;
        ASSERT_EQ(value.As<IGPLayer>()->get_DataElement(drawn.Out()), S_OK);
        EXPECT_EQ(drawn.Get(), QueryAs<IDataElement>(element.Get()).Get());
    }
    EXPECT_EQ(support->MakeLayerValue(Element(P("")).Get(), value.Out()), E_FAIL) << "a folder";
}

TEST_F(LayerValueTest, DefinitionQueryAndSelectionFilterTheRows) {
    auto layer = Towns();
    auto view = QueryAs<IGPTableView>(layer.Get());
    int64_t count = 0;
    ASSERT_EQ(view->RowCount(VARIANT_FALSE, &count), S_OK);
    EXPECT_EQ(count, 6);
    ASSERT_EQ(layer->put_DefinitionQuery(u"COUNT > 2"), S_OK);
    ComPtr<ICursor> cursor;
    ASSERT_EQ(view->Search(u"COUNT < 6", VARIANT_FALSE, cursor.Out()), S_OK);
    EXPECT_EQ(Names(cursor.Get()), (std::vector<std::string>{"t3", "t4", "t5"}));
    for (int64_t oid : {5, 1, 3, 5})
        ASSERT_EQ(layer->AddToSelection(oid), S_OK);
    int32_t selected = 0;
    ASSERT_EQ(layer->get_SelectionCount(&selected), S_OK);
    EXPECT_EQ(selected, 3) << "ids kept without repeats";
    ASSERT_EQ(view->Search(nullptr, VARIANT_TRUE, cursor.Out()), S_OK);
    EXPECT_EQ(Names(cursor.Get()), (std::vector<std::string>{"t3", "t5"}));
    ASSERT_EQ(view->RowCount(VARIANT_TRUE, &count), S_OK);
    EXPECT_EQ(count, 2);
    VARIANT_BOOL hasOID = VARIANT_FALSE;
    EXPECT_EQ(QueryAs<IGPTableView2>(layer.Get())->get_HasOID(&hasOID), S_OK);
    EXPECT_TRUE(hasOID);
    // The selection and the query survive the stream and XML forms and a clone.
    ComPtr<IClone> clone;
    ASSERT_EQ(QueryAs<IClone>(layer.Get())->Clone(clone.Out()), S_OK);
    auto streamed = Create<IGPLayer2>(CLSID_GPFeatureLayer);
    ASSERT_EQ(LoadForm(streamed.Get(), SavedForm(layer.Get())), S_OK);
    auto fromXml = XmlCopy<IGPLayer2>(XmlForm(layer.Get()), CLSID_GPFeatureLayer);
    ASSERT_TRUE(fromXml);
    for (IUnknown* copy : {static_cast<IUnknown*>(clone.Get()), static_cast<IUnknown*>(streamed.Get()),
                           static_cast<IUnknown*>(fromXml.Get())}) {
        EXPECT_TRUE(Equal(copy, layer.Get()));
        ASSERT_EQ(QueryAs<IGPTableView>(copy)->Search(nullptr, VARIANT_TRUE, cursor.Out()), S_OK);
        EXPECT_EQ(Names(cursor.Get()), (std::vector<std::string>{"t3", "t5"}));
    }
    ASSERT_EQ(layer->ClearSelection(), S_OK);
    EXPECT_FALSE(Equal(clone.Get(), layer.Get()));
}

TEST_F(LayerValueTest, GroupLayerChildrenAndCycles) {
    auto group = Create<IGPCompositeLayer>(CLSID_GPGroupLayer);
    auto inner = Create<IGPCompositeLayer>(CLSID_GPGroupLayer);
    auto towns = Towns();
    ASSERT_EQ(inner->AddLayer(QueryAs<IGPLayer>(towns.Get()).Get()), S_OK);
    ASSERT_EQ(group->AddLayer(QueryAs<IGPLayer>(inner.Get()).Get()), S_OK);
    EXPECT_EQ(group->AddLayer(QueryAs<IGPLayer>(group.Get()).Get()), E_INVALIDARG) << "itself";
    EXPECT_EQ(inner->AddLayer(QueryAs<IGPLayer>(group.Get()).Get()), E_INVALIDARG) << "a layer that holds it";
    EXPECT_EQ(group->AddLayer(nullptr), E_POINTER);
    // A chain of groups deeper than the forms read back is refused, so no cycle can hide below the walk's reach.
    auto top = Create<IGPCompositeLayer>(CLSID_GPGroupLayer);
    auto chain = top;
    HRESULT added = S_OK;
    for (int level = 0; level < 80 && added == S_OK; ++level) {
        auto below = Create<IGPCompositeLayer>(CLSID_GPGroupLayer);
        added = below->AddLayer(QueryAs<IGPLayer>(chain.Get()).Get());
        chain = below;
    }
    EXPECT_EQ(added, E_INVALIDARG);
    int32_t count = 0;
    ASSERT_EQ(group->get_LayerCount(&count), S_OK);
    EXPECT_EQ(count, 1);
    // Children are copied by Clone and read back from both forms, deeply.
    ComPtr<IClone> clone;
    ASSERT_EQ(QueryAs<IClone>(group.Get())->Clone(clone.Out()), S_OK);
    auto streamed = Create<IGPCompositeLayer>(CLSID_GPGroupLayer);
    ASSERT_EQ(LoadForm(streamed.Get(), SavedForm(group.Get())), S_OK);
    auto fromXml = XmlCopy<IGPCompositeLayer>(XmlForm(group.Get()), CLSID_GPGroupLayer);
    ASSERT_TRUE(fromXml);
    for (IUnknown* copy : {static_cast<IUnknown*>(clone.Get()), static_cast<IUnknown*>(streamed.Get()),
                           static_cast<IUnknown*>(fromXml.Get())}) {
        EXPECT_TRUE(Equal(copy, group.Get()));
        ComPtr<IGPLayer> child;
        ASSERT_EQ(QueryAs<IGPCompositeLayer>(copy)->get_Layer(0, child.Out()), S_OK);
        EXPECT_FALSE(SameObject(child.Get(), inner.Get()));
    }
    ASSERT_EQ(towns->put_DefinitionQuery(u"COUNT = 1"), S_OK);
    EXPECT_FALSE(Equal(clone.Get(), group.Get())) << "a change deep inside shows";
    ComPtr<IGPLayer> child;
    EXPECT_EQ(group->get_Layer(1, child.Out()), E_INVALIDARG);
    ASSERT_EQ(group->RemoveLayer(0), S_OK);
    ASSERT_EQ(group->get_LayerCount(&count), S_OK);
    EXPECT_EQ(count, 0);
}

TEST_F(LayerValueTest, DamagedFormsChangeNothing) {
    auto layer = Towns();
    ASSERT_EQ(layer->AddToSelection(2), S_OK);
    auto group = Create<IGPCompositeLayer>(CLSID_GPGroupLayer);
    ASSERT_EQ(group->AddLayer(QueryAs<IGPLayer>(layer.Get()).Get()), S_OK);
    auto form = SavedForm(group.Get());
    auto target = NewValue(CLSID_GPGroupLayer, u"kept");
    for (size_t size = 0; size < form.size(); ++size) {
        std::vector<uint8_t> prefix(form.begin(), form.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_EQ(LoadForm(target.Get(), prefix), E_FAIL) << size;
    }
    EXPECT_EQ(TextOf(target.Get()), "kept");
    // A huge selection count in a short stream.
    auto plain = SavedForm(NewValue(CLSID_GPLayer, u"x").Get());
    auto huge = plain;
    for (size_t i = huge.size() - 4; i < huge.size(); ++i)
        huge[i] = 0x7F;
    EXPECT_EQ(LoadForm(target.Get(), huge), E_FAIL);
    // Selection text out of order.
    auto xml = XmlForm(layer.Get());
    auto at = xml.find(u">2<");
    ASSERT_NE(at, std::u16string::npos);
    xml.replace(at, 3, u">3 2<");
    EXPECT_FALSE(XmlCopy<IGPLayer2>(xml, CLSID_GPFeatureLayer));
}

} // namespace
} // namespace tavi::test
