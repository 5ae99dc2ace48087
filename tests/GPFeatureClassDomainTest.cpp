// GPFeatureClassDomain: membership of real feature classes of each shape type, with Z, M and spatial index
// filters; layers over feature classes; the feature classes of a container; browse filters; stream and XML forms.
#include "DomainTestSupport.h"
#include "support/PersistForms.h"
#include "support/TestData.h"

#include "data/DataElement.h"
#include "platform/HandOut.h"
#include "tavi/DataAccess.h"
#include "tavi/GPDataDomains.h"
#include "tavi/GPLayer.h"

namespace tavi::test {
namespace {

// A layer over a data element. No layer class of the library exists yet, so this stands in for one.
class TestLayer final : public Object<TestLayer, IGPValue, IGPLayer> {
public:
    explicit TestLayer(IDataElement* element) : element_(element) {}
    HRESULT get_DataType(IGPDataType**) override { return E_NOTIMPL; }
    HRESULT IsEmpty(VARIANT_BOOL* empty) override { return HandOutValue(VARIANT_FALSE, empty); }
    HRESULT Empty() override { return E_NOTIMPL; }
    HRESULT GetAsText(BSTR* text) override { return HandOut(u"layer", text); }
    HRESULT SetAsText(const OLECHAR*, IGPMessage**) override { return E_NOTIMPL; }
    HRESULT SerializeJSONObject(BSTR*) override { return E_NOTIMPL; }
    HRESULT DeserializeJSONObject(const OLECHAR*) override { return E_NOTIMPL; }
    HRESULT get_Name(BSTR* name) override { return HandOut(u"layer", name); }
    HRESULT put_Name(const OLECHAR*) override { return E_NOTIMPL; }
    HRESULT get_DisplayName(BSTR* name) override { return HandOut(u"layer", name); }
    HRESULT put_DisplayName(const OLECHAR*) override { return E_NOTIMPL; }
    HRESULT putref_DataElement(IDataElement* element) override {
        element_ = ComPtr<IDataElement>(element);
        return S_OK;
    }
    HRESULT get_DataElement(IDataElement** element) override { return element_.CopyTo(element); }

private:
    ComPtr<IDataElement> element_;
};

class GPFeatureClassDomainTest : public ModuleClassesTest {
protected:
    void SetUp() override {
        ModuleClassesTest::SetUp();
        const std::vector<TestFeature> none;
        data_.Vector("shp", "points.shp", "points", wkbPoint, 4326, none);
        data_.Vector("shp", "wells.shp", "wells", wkbMultiPoint, 4326, none);
        data_.Vector("shp", "roads.shp", "roads", wkbLineString, 4326, none);
        data_.Vector("shp", "parcels.shp", "parcels", wkbPolygon, 4326, none);
        data_.Vector("shp", "pipes_z.shp", "pipes_z", wkbLineString25D, 4326, none);
        data_.Vector("shp", "routes_m.shp", "routes_m", wkbLineStringM, 4326, none);
        data_.Vector("shp", "probes_zm.shp", "probes_zm", wkbPointZM, 4326, none);
        data_.Vector("GPKG", "city.gpkg", "streets", wkbLineString, 4326, none);
        data_.Vector("GPKG", "city.gpkg", "anything", wkbUnknown, 4326, none);
        data_.Vector("GPKG", "city.gpkg", "owners", wkbNone, 0, none);
        data_.Vector("GPKG", "city.gpkg", "pipes3d", wkbLineString25D, 4326, none);
        data_.Raster("dem.tif", 4, 4, 10, 0, 40, 32633);
    }

    ComPtr<IGPFeatureClassDomain2> NewDomain(std::initializer_list<int32_t> shapeTypes) {
        auto domain = Create<IGPFeatureClassDomain2>(CLSID_GPFeatureClassDomain);
        for (int32_t type : shapeTypes)
            EXPECT_EQ(domain->AddShapeType(type), S_OK);
        return domain;
    }

    ComPtr<IDataElement> Open(const std::string& relative) {
        ComPtr<IDataElement> element;
        EXPECT_EQ(OpenDataElement(FromUtf8(data_.Path(relative)), element.Out()), S_OK) << relative;
        return element;
    }

    // The verdict code (0 for a member) of the domain on `value`.
    static int32_t Verdict(IGPFeatureClassDomain2* domain, IUnknown* value, std::string* text = nullptr) {
        ComPtr<IGPMessage> message;
        HRESULT hr = QueryAs<IGPDomain>(domain)->MemberOf(QueryAs<IGPValue>(value).Get(), message.Out());
        EXPECT_EQ(hr == S_FALSE, MessageIsError(message.Get()));
        if (text) {
            BStr description;
            message->get_Description(description.Out());
            *text = ToUtf8(description.view());
        }
        return MessageCode(message.Get());
    }

    TestData data_;
};

TEST_F(GPFeatureClassDomainTest, ShapeTypesOfRealFeatureClasses) {
    struct Case {
        const char* path;
        std::initializer_list<int32_t> allowed;
        int32_t code;
    };
    const Case cases[] = {
        {"points.shp", {taviGeometryPoint}, 0},
        {"wells.shp", {taviGeometryMultipoint}, 0},
        {"roads.shp", {taviGeometryPolyline}, 0},
        {"parcels.shp", {taviGeometryPolygon}, 0},
        {"pipes_z.shp", {taviGeometryPolyline}, 0}, // Z and M do not change the shape type
        {"probes_zm.shp", {taviGeometryPoint}, 0},
        {"city.gpkg/streets", {taviGeometryPolyline}, 0},
        {"roads.shp", {taviGeometryPoint, taviGeometryPolygon}, 3917},
        {"city.gpkg/anything", {taviGeometryPoint}, 0}, // a shape type that is not known passes
        {"roads.shp", {}, 0},                           // no shape types: any
        {"city.gpkg/owners", {}, 811},                  // a table is no feature class
        {"dem.tif", {}, 811},                           // nor is a raster
        {"city.gpkg", {}, 811},                         // nor a workspace
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(Verdict(NewDomain(c.allowed).Get(), Open(c.path).Get()), c.code);
    }
    std::string text;
    EXPECT_EQ(Verdict(NewDomain({taviGeometryPoint, taviGeometryPolygon}).Get(), Open("roads.shp").Get(), &text), 3917);
    EXPECT_EQ(text, "The geometry type is not valid; allowed types: Point | Polygon");
    EXPECT_EQ(Verdict(NewDomain({}).Get(), Create<IGPValue>(CLSID_GPString).Get()), 811);
    ComPtr<IGPMessage> message;
    EXPECT_TRUE(FAILED(NewDomain({}).As<IGPDomain>()->MemberOf(nullptr, message.Out())));
}

TEST_F(GPFeatureClassDomainTest, ZMAndIndexFilters) {
    struct Case {
        const char* why;
        const char* path;
        int filter; // 0 index, 1 M, 2 Z
        bool required;
        int32_t code;
    };
    const Case cases[] = {
        {"Z wanted, Z present", "pipes_z.shp", 2, true, 0},
        {"Z refused, Z present", "pipes_z.shp", 2, false, 3916},
        {"Z wanted, none", "roads.shp", 2, true, 3916},
        {"M wanted, M present", "routes_m.shp", 1, true, 0},
        {"M refused, M present", "probes_zm.shp", 1, false, 3915},
        {"M wanted, none", "city.gpkg/pipes3d", 1, true, 3915},
        {"index wanted, a shapefile has none", "roads.shp", 0, true, 3914},
        {"index refused, a GeoPackage table has one", "city.gpkg/streets", 0, false, 3914},
        {"index wanted, a GeoPackage table has one", "city.gpkg/streets", 0, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        auto domain = NewDomain({});
        VARIANT_BOOL required = c.required ? VARIANT_TRUE : VARIANT_FALSE;
        if (c.filter == 0)
            domain->put_FilterIndex(VARIANT_TRUE, required);
        else if (c.filter == 1)
            domain->put_FilterHasMs(VARIANT_TRUE, required);
        else
            domain->put_FilterHasZs(VARIANT_TRUE, required);
        EXPECT_EQ(Verdict(domain.Get(), Open(c.path).Get()), c.code);
    }
    // The first failing filter decides: shape type before Z.
    auto domain = NewDomain({taviGeometryPoint});
    domain->put_FilterHasZs(VARIANT_TRUE, VARIANT_FALSE);
    EXPECT_EQ(Verdict(domain.Get(), Open("pipes_z.shp").Get()), 3917);
    // Feature types: data read here is simple.
    auto annotations = NewDomain({});
    annotations->AddFeatureType(taviFeatureTypeAnnotation);
    std::string text;
    EXPECT_EQ(Verdict(annotations.Get(), Open("roads.shp").Get(), &text), 3918);
    EXPECT_EQ(text, "The feature type is not valid; allowed types: Annotation");
}

TEST_F(GPFeatureClassDomainTest, ALayerIsCheckedByItsFeatureClass) {
    auto domain = NewDomain({taviGeometryPolyline});
    auto overRoads = MakeObject<TestLayer>(Open("roads.shp").Get());
    auto overParcels = MakeObject<TestLayer>(Open("parcels.shp").Get());
    auto overTable = MakeObject<TestLayer>(Open("city.gpkg/owners").Get());
    auto empty = MakeObject<TestLayer>(nullptr);
    EXPECT_EQ(Verdict(domain.Get(), static_cast<IGPLayer*>(overRoads.Get())), 0);
    EXPECT_EQ(Verdict(domain.Get(), static_cast<IGPLayer*>(overParcels.Get())), 3917);
    EXPECT_EQ(Verdict(domain.Get(), static_cast<IGPLayer*>(overTable.Get())), 811);
    EXPECT_EQ(Verdict(domain.Get(), static_cast<IGPLayer*>(empty.Get())), 811);
}

TEST_F(GPFeatureClassDomainTest, FeatureClassesOfAContainerThatPass) {
    auto domain = NewDomain({taviGeometryPolyline});
    ComPtr<IArray> found;
    ASSERT_EQ(domain->GetFeatureClasses(Open("city.gpkg").As<IGPValue>().Get(), found.Out()), S_OK);
    ASSERT_TRUE(found);
    int32_t count = 0;
    found->get_Count(&count);
    std::vector<std::string> names;
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IUnknown> element;
        found->get_Element(i, element.Out());
        BStr name;
        QueryAs<IDataElement>(element.Get())->get_Name(name.Out());
        names.push_back(ToUtf8(name.view()));
    }
    // A shape type that is not known passes the filter; the table is no feature class.
    EXPECT_EQ(names, (std::vector<std::string>{"streets", "anything", "pipes3d"}));
    EXPECT_EQ(domain->GetFeatureClasses(Create<IGPValue>(CLSID_GPString).Get(), found.Out()), E_INVALIDARG);
    EXPECT_EQ(domain->GetFeatureClasses(Open("roads.shp").As<IGPValue>().Get(), found.Out()), S_OK);
    EXPECT_FALSE(found); // a feature class has no children
}

TEST_F(GPFeatureClassDomainTest, StreamAndXmlForms) {
    auto domain = NewDomain({taviGeometryPoint, taviGeometryPolygon});
    domain->AddFeatureType(taviFeatureTypeSimple);
    domain->AddType(7);
    domain->AddType(0);
    domain->put_FilterHasZs(VARIANT_TRUE, VARIANT_FALSE);

    auto copy = NewDomain({taviGeometryMultipoint});
    copy->put_FilterIndex(VARIANT_TRUE, VARIANT_TRUE);
    ASSERT_EQ(LoadForm(copy.Get(), SavedForm(domain.Get())), S_OK);
    EXPECT_TRUE(Equal(copy.Get(), domain.Get()));

    const std::u16string xml = XmlForm(domain.Get());
    for (const char16_t* part : {u">Point</String>", u">Polygon</String>", u"<FeatureTypeArray", u">Simple</String>",
                                 u">7</String>", u"<FilterHasZs", u"<IncludeHasZs"})
        EXPECT_NE(xml.find(part), std::u16string::npos) << ToUtf8(part);
    EXPECT_EQ(xml.find(u"FilterIndex"), std::u16string::npos); // flags that are not set are left out
    auto read = NewDomain({taviGeometryMultipoint});
    read->put_FilterIndex(VARIANT_TRUE, VARIANT_TRUE);
    ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), read.Get()), S_OK);
    EXPECT_TRUE(Equal(read.Get(), domain.Get()));

    // Damaged forms change nothing.
    const auto bytes = SavedForm(domain.Get());
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        auto target = NewDomain({taviGeometryMultipoint});
        EXPECT_EQ(LoadForm(target.Get(), std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut)), E_FAIL);
        EXPECT_TRUE(Equal(target.Get(), NewDomain({taviGeometryMultipoint}).Get())) << cut;
    }
    std::u16string bad = xml;
    bad.replace(bad.find(u"Simple"), 6, u"Simplex");
    auto untouched = NewDomain({taviGeometryMultipoint});
    EXPECT_EQ(TaviXmlDeserialize(bad.c_str(), untouched.Get()), E_FAIL);
    EXPECT_TRUE(Equal(untouched.Get(), NewDomain({taviGeometryMultipoint}).Get()));
}

TEST_F(GPFeatureClassDomainTest, VersionsFiltersAndAccessors) {
    auto domain = NewDomain({taviGeometryPolyline, taviGeometryPolyline});
    int32_t count = 0, type = 0;
    domain->get_ShapeTypeCount(&count);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(domain->get_ShapeType(1, &type), E_INVALIDARG);
    EXPECT_EQ(domain->get_FeatureType(0, &type), E_INVALIDARG);
    EXPECT_EQ(domain->get_IncludeHasZs(nullptr), E_POINTER);
    EXPECT_EQ(QueryAs<IGPFeatureClassDomain>(domain.Get()) != nullptr, true); // the older interface is answered

    auto support = domain.As<IDocumentVersionSupport>();
    VARIANT_BOOL supported = VARIANT_TRUE;
    support->IsSupportedAtVersion(0, &supported);
    EXPECT_EQ(supported, VARIANT_FALSE);
    support->IsSupportedAtVersion(docversion::kCurrent, &supported);
    EXPECT_EQ(supported, VARIANT_TRUE);
    ComPtr<IUnknown> replacement;
    EXPECT_EQ(support->ConvertToSupportedObject(0, replacement.Out()), S_OK);
    EXPECT_FALSE(replacement);

    ComPtr<IArray> filters;
    ASSERT_EQ(domain.As<IGxFilterInfo>()->get_OpenGxObjectFilters(filters.Out()), S_OK);
    filters->get_Count(&count);
    ASSERT_EQ(count, 1);
    ComPtr<IUnknown> first;
    filters->get_Element(0, first.Out());
    EXPECT_EQ(TextOf(first.Get()), "tavi_browseDialogFilters_PolylineFeatureClasses");
}

} // namespace
} // namespace tavi::test
