// The record set and feature set data types: identities, and which data types and values each accepts.
#include "DataDomainTestSupport.h"

#include "host/GPValue.h"
#include "tavi/DEDataTypes.h"
#include "tavi/DataAccess.h"
#include "tavi/GPLayer.h"
#include "tavi/GPRecordSet.h"

namespace tavi::test {
namespace {

// A feature class element that is a raster catalog, which this host's data never is.
class FakeRasterCatalog final : public FakeValue<FakeRasterCatalog, IDEGdbFeatureClass3, IDERasterCatalog> {
public:
    HRESULT get_FeatureType(int32_t* type) override { return HandOutValue(1, type); }
    HRESULT get_ShapeType(int32_t* type) override { return HandOutValue(4, type); }
    HRESULT get_ShapeFieldName(BSTR* name) override { return HandOut(u"SHAPE", name); }
};

class GPRecordSetTypeTest : public DataDomainTest {
protected:
    static bool Accepts(IGPDataType* type, IUnknown* value) {
        ComPtr<IGPMessage> message;
        EXPECT_EQ(type->ValidateValue(QueryAs<IGPValue>(value).Get(), nullptr, message.Out()), S_OK);
        return message && !MessageIsError(message.Get());
    }
    static bool AcceptsType(IGPDataType* type, REFCLSID other) {
        ComPtr<IGPMessage> message;
        EXPECT_EQ(type->ValidateDataType(Create<IGPDataType>(other).Get(), message.Out()), S_OK);
        return message && !MessageIsError(message.Get());
    }
    static ComPtr<IGPValue> Layer(REFCLSID clsid, const std::u16string& text) { return NewValue(clsid, text.c_str()); }
};

TEST_F(GPRecordSetTypeTest, IdentitiesAndMarkers) {
    struct Case {
        CLSID type;
        const char* name;
        const char* display;
        IID marker;
    };
    const Case cases[] = {
        {CLSID_GPRecordSetType, "GPRecordSet", "Record Set", IGPRecordSetType::iid},
        {CLSID_GPFeatureRecordSetLayerType, "GPFeatureRecordSetLayer", "Feature Set", IGPFeatureRecordSetType::iid},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto type = Create<IGPDataType>(c.type);
        ASSERT_TRUE(type);
        BStr name, display;
        ASSERT_EQ(type->get_Name(name.Out()), S_OK);
        ASSERT_EQ(type->get_DisplayName(display.Out()), S_OK);
        EXPECT_EQ(ToUtf8(name.view()), c.name);
        EXPECT_EQ(ToUtf8(display.view()), c.display);
        EXPECT_TRUE(AnswersAny(type.Get(), {c.marker, IDETableType::iid, IPersistStream::iid, IXMLSerialize::iid}));
        ComPtr<IGPMessage> message;
        EXPECT_EQ(type->ValidateValue(nullptr, nullptr, message.Out()), E_POINTER);
        EXPECT_EQ(type->ValidateDataType(nullptr, message.Out()), E_POINTER);
    }
}

TEST_F(GPRecordSetTypeTest, DataTypesEachAccepts) {
    auto records = Create<IGPDataType>(CLSID_GPRecordSetType);
    auto features = Create<IGPDataType>(CLSID_GPFeatureRecordSetLayerType);
    struct Case {
        CLSID other;
        bool byRecords;
        bool byFeatures;
        const char* why;
    };
    const Case cases[] = {
        {CLSID_GPRecordSetType, true, false, "a record set has no geometry to give"},
        {CLSID_GPFeatureRecordSetLayerType, true, true, "a feature set is a table too"},
        {CLSID_GPTableViewType, true, false, "a table view"},
        {CLSID_GPFeatureLayerType, true, true, "a feature layer is a table view with features"},
        {CLSID_GPRasterCatalogLayerType, true, false, "a raster catalog layer: a table view of its catalog"},
        {CLSID_GPLayerType, false, false, "any layer is not records"},
        {CLSID_GPStringType, false, false, "a string"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(AcceptsType(records.Get(), c.other), c.byRecords);
        EXPECT_EQ(AcceptsType(features.Get(), c.other), c.byFeatures);
    }
}

TEST_F(GPRecordSetTypeTest, ValuesEachAccepts) {
    auto records = Create<IGPDataType>(CLSID_GPRecordSetType);
    auto features = Create<IGPDataType>(CLSID_GPFeatureRecordSetLayerType);
    auto roads = Open(P("city.gpkg/roads"));
    auto nonFeatureLayer = MakeObject<FakeLayer>(roads.Get());
    auto featureLayer = MakeObject<FakeFeatureLayer>(roads.Get());
    // Stand-ins as the values they stand for.
    auto value = [](auto object) { return ComPtr<IGPValue>(static_cast<IGPValue*>(object.Get())); };
    auto element = [](const ComPtr<IDataElement>& data) { return QueryAs<IGPValue>(data.Get()); };
    struct Case {
        ComPtr<IGPValue> value;
        bool byRecords;
        bool byFeatures;
        const char* why;
    };
    const Case cases[] = {
        {element(roads), true, true, "a feature class"},
        {element(Open(P("city.gpkg/visits"))), true, false, "a table"},
        {element(Open(P("dem.tif"))), false, false, "a raster"},
        {value(MakeObject<FakeRasterCatalog>()), false, false, "a raster catalog"},
        {Layer(CLSID_GPFeatureLayer, P("city.gpkg/roads")), true, true, "a feature layer"},
        {Layer(CLSID_GPTableView, P("city.gpkg/visits")), true, false, "a table view"},
        {Layer(CLSID_GPLayer, P("city.gpkg/roads")), false, false, "a layer that is no table view"},
        {value(MakeObject<FakeLayerHolder>(nullptr, nullptr)), false, true, "a holder of no layer yet"},
        {value(MakeObject<FakeLayerHolder>(featureLayer.Get(), nullptr)), false, true, "a holder of a feature layer"},
        {value(MakeObject<FakeLayerHolder>(nonFeatureLayer.Get(), nullptr)), false, false, "a holder of another layer"},
        {NewValue(CLSID_GPString, u"roads"), false, false, "a string"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ASSERT_TRUE(c.value);
        EXPECT_EQ(Accepts(records.Get(), c.value.Get()), c.byRecords);
        EXPECT_EQ(Accepts(features.Get(), c.value.Get()), c.byFeatures);
    }
}

} // namespace
} // namespace tavi::test
