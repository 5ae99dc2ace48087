// The dataset domain: membership of real feature classes, tables and rasters by type, the versioning filters,
// layers and holders of layers standing for datasets, the datasets among a workspace's children, browse filters,
// copies with the filters, and the stream and XML forms.
#include "DataDomainTestSupport.h"

namespace tavi::test {
namespace {

const std::string kFilter = "tavi_browseDialogFilters_";

class GPDatasetDomainTest : public DataDomainTest {
protected:
    static ComPtr<IGPDatasetDomain> Domain(std::initializer_list<int32_t> types) {
        auto domain = Create<IGPDatasetDomain>(CLSID_GPDatasetDomain);
        for (int32_t type : types)
            EXPECT_EQ(domain->AddType(type), S_OK);
        return domain;
    }
    static std::vector<int32_t> Types(IGPDatasetDomain* domain) {
        int32_t count = 0;
        EXPECT_EQ(domain->get_TypeCount(&count), S_OK);
        std::vector<int32_t> types;
        for (int32_t i = 0; i < count; ++i) {
            int32_t type = -1;
            EXPECT_EQ(domain->get_Type(i, &type), S_OK);
            types.push_back(type);
        }
        return types;
    }
    // The four filter flags: FilterVersioned, FilterVersionedType, FilterCanVersion, FilterCanVersionType.
    static std::vector<VARIANT_BOOL> Flags(IGPDatasetDomain* domain) {
        std::vector<VARIANT_BOOL> flags(4, 1);
        EXPECT_EQ(domain->get_FilterVersioned(&flags[0]), S_OK);
        EXPECT_EQ(domain->get_FilterVersionedType(&flags[1]), S_OK);
        EXPECT_EQ(domain->get_FilterCanVersion(&flags[2]), S_OK);
        EXPECT_EQ(domain->get_FilterCanVersionType(&flags[3]), S_OK);
        return flags;
    }
    static ComPtr<IGPValue> Dataset(int32_t type, bool versioned = false, bool canVersion = false) {
        auto dataset = MakeObject<FakeDataset>(type, versioned, canVersion);
        return ComPtr<IGPValue>(static_cast<IGPValue*>(dataset.Get()));
    }
};

TEST_F(GPDatasetDomainTest, RealDatasetsByType) {
    struct Case {
        std::u16string path;
        Verdict anyType;       // with no types
        Verdict featureClass;  // with type 5
        Verdict tableOrRaster; // with types 10 and 12
        const char* why;
    };
    const Case cases[] = {
        {P("city.gpkg/roads"), kMember, kMember, Refused(808), "a feature class in a GeoPackage"},
        {P("city.gdb/parcels"), kMember, kMember, Refused(808), "a feature class in a file database"},
        {P("wells.shp"), kMember, kMember, Refused(808), "a shapefile"},
        {P("city.gpkg/visits"), kMember, Refused(808), kMember, "a table"},
        {P("points.csv"), kMember, Refused(808), kMember, "a text table"},
        {P("dem.tif"), kMember, Refused(808), kMember, "a raster"},
        {P("city.gpkg"), Refused(809), Refused(809), Refused(809), "a workspace is no dataset"},
        {P(), Refused(809), Refused(809), Refused(809), "a folder is no dataset"},
        {P("notes.txt"), Refused(809), Refused(809), Refused(809), "a file that is no data"},
    };
    auto any = Domain({});
    auto featureClasses = Domain({taviDatasetTypeFeatureClass});
    auto tablesAndRasters = Domain({taviDatasetTypeTable, taviDatasetTypeRasterDataset});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        auto value = Element(c.path);
        EXPECT_EQ(MemberVerdict(any.Get(), value.Get()), c.anyType);
        EXPECT_EQ(MemberVerdict(featureClasses.Get(), value.Get()), c.featureClass);
        EXPECT_EQ(MemberVerdict(tablesAndRasters.Get(), value.Get()), c.tableOrRaster);
    }
    EXPECT_EQ(MemberVerdict(any.Get(), NewValue(CLSID_GPString, P("wells.shp").c_str()).Get()), Refused(809));
    EXPECT_EQ(MemberVerdict(any.Get(), nullptr), Refused(809));
    EXPECT_EQ(QueryAs<IGPDomain>(any.Get())->MemberOf(nullptr, nullptr), E_POINTER);
}

TEST_F(GPDatasetDomainTest, VersioningFilters) {
    struct Case {
        bool filterVersioned, versionedRequired, filterCanVersion, canVersionRequired;
        ComPtr<IGPValue> dataset;
        Verdict verdict;
        const char* why;
    };
    auto realTable = Element(P("city.gpkg/visits"));
    const Case cases[] = {
        {true, false, false, false, Dataset(taviDatasetTypeTable, true), Refused(808),
         "a versioned dataset where none may be"},
        {true, false, false, false, realTable, kMember, "data on disk here is never versioned"},
        {true, true, false, false, realTable, Refused(808), "a versioned dataset is required"},
        {true, true, false, false, Dataset(taviDatasetTypeTable, true), kMember, "and this one is"},
        {false, true, false, false, realTable, kMember, "the required flag alone does not filter"},
        {false, false, true, true, realTable, Refused(808), "data on disk here cannot be versioned"},
        {false, false, true, false, realTable, kMember, "one that cannot be versioned is required"},
        {false, false, true, true, Dataset(taviDatasetTypeTable, false, true), kMember, "one that can be"},
        {true, false, true, true, Dataset(taviDatasetTypeTable, false, true), kMember, "both filters hold"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        auto domain = Domain({taviDatasetTypeTable});
        ASSERT_EQ(domain->put_FilterVersioned(c.filterVersioned ? VARIANT_TRUE : VARIANT_FALSE,
                                              c.versionedRequired ? VARIANT_TRUE : VARIANT_FALSE),
                  S_OK);
        ASSERT_EQ(domain->put_FilterCanVersion(c.filterCanVersion ? VARIANT_TRUE : VARIANT_FALSE,
                                               c.canVersionRequired ? VARIANT_TRUE : VARIANT_FALSE),
                  S_OK);
        EXPECT_EQ(MemberVerdict(domain.Get(), c.dataset.Get()), c.verdict);
    }

    // The versioning filter refuses whatever the type list says, and a dataset whose type reads 0 passes any list.
    auto domain = Domain({taviDatasetTypeFeatureClass});
    EXPECT_EQ(MemberVerdict(domain.Get(), Dataset(0).Get()), kMember);
    domain->put_FilterVersioned(VARIANT_TRUE, VARIANT_FALSE);
    EXPECT_EQ(MemberVerdict(domain.Get(), Dataset(taviDatasetTypeFeatureClass, true).Get()), Refused(808));
    EXPECT_EQ(MemberVerdict(domain.Get(), Dataset(0, true).Get()), Refused(808));
}

TEST_F(GPDatasetDomainTest, LayersStandForTheirData) {
    auto featureClass = Open(P("city.gpkg/roads"));
    auto folder = Open(P());
    auto featureClasses = Domain({taviDatasetTypeFeatureClass});
    auto tables = Domain({taviDatasetTypeTable});
    auto layer = [](IDataElement* element, bool features) -> ComPtr<IGPValue> {
        if (features)
            return ComPtr<IGPValue>(static_cast<IGPValue*>(MakeObject<FakeFeatureLayer>(element).Get()));
        return ComPtr<IGPValue>(static_cast<IGPValue*>(MakeObject<FakeLayer>(element).Get()));
    };

    // A layer's data element is the dataset checked.
    EXPECT_EQ(MemberVerdict(featureClasses.Get(), layer(featureClass.Get(), false).Get()), kMember);
    EXPECT_EQ(MemberVerdict(tables.Get(), layer(featureClass.Get(), true).Get()), Refused(808));
    // A feature layer whose data element is no dataset is accepted; any other layer is not, nor one without data.
    EXPECT_EQ(MemberVerdict(tables.Get(), layer(folder.Get(), true).Get()), kMember);
    EXPECT_EQ(MemberVerdict(tables.Get(), layer(folder.Get(), false).Get()), Refused(809));
    EXPECT_EQ(MemberVerdict(tables.Get(), layer(nullptr, false).Get()), Refused(809));

    // A holder gives its layer. One without a layer has its data element readied and is asked again; one that
    // still has none stands for no dataset.
    auto held = layer(featureClass.Get(), false);
    auto holder = MakeObject<FakeLayerHolder>(QueryAs<IGPLayer>(held.Get()).Get(), folder.Get());
    EXPECT_EQ(MemberVerdict(featureClasses.Get(), static_cast<IGPValue*>(holder.Get())), kMember);
    EXPECT_EQ(holder->asks, 1);
    auto late = MakeObject<FakeLayerHolder>(QueryAs<IGPLayer>(held.Get()).Get(), folder.Get(), 1);
    EXPECT_EQ(MemberVerdict(featureClasses.Get(), static_cast<IGPValue*>(late.Get())), kMember);
    EXPECT_EQ(late->asks, 2);
    auto never = MakeObject<FakeLayerHolder>(nullptr, featureClass.Get());
    EXPECT_EQ(MemberVerdict(featureClasses.Get(), static_cast<IGPValue*>(never.Get())), Refused(809));
    EXPECT_EQ(never->asks, 2);
}

TEST_F(GPDatasetDomainTest, MatchingChildrenAreTheDatasetsOfTheTypes) {
    struct Case {
        std::u16string container;
        std::initializer_list<int32_t> types;
        std::vector<std::string> children;
        const char* why;
    };
    const Case cases[] = {
        {P("city.gpkg"), {}, {"roads", "sites", "visits"}, "no types: every dataset"},
        {P("city.gpkg"), {taviDatasetTypeFeatureClass}, {"roads", "sites"}, "feature classes"},
        {P("city.gpkg"), {taviDatasetTypeTable}, {"visits"}, "tables"},
        {P("city.gdb"), {taviDatasetTypeTable}, {"owners"}, "a file database's table"},
        {P(), {taviDatasetTypeRasterDataset}, {"dem.tif"}, "a folder's raster"},
        {P(), {taviDatasetTypeFeatureClass, taviDatasetTypeTable}, {"points.csv", "wells.shp"}, "a folder's files"},
        {P("city.gpkg"), {taviDatasetTypeTin}, {}, "none of that type: no array"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        ComPtr<IArray> children;
        ASSERT_EQ(Domain(c.types)->GetMatchingChildren(Element(c.container).Get(), children.Out()), S_OK);
        EXPECT_EQ(bool(children), !c.children.empty());
        EXPECT_EQ(ElementNames(children.Get()), c.children);
    }

    // The versioning filters apply to children too.
    auto versionedOnly = Domain({});
    versionedOnly->put_FilterVersioned(VARIANT_TRUE, VARIANT_TRUE);
    ComPtr<IArray> children;
    EXPECT_EQ(versionedOnly->GetMatchingChildren(Element(P("city.gpkg")).Get(), children.Out()), S_OK);
    EXPECT_FALSE(children);
    EXPECT_EQ(versionedOnly->GetMatchingChildren(Dataset(5).Get(), children.Out()), E_INVALIDARG);
    EXPECT_EQ(versionedOnly->GetMatchingChildren(nullptr, children.Out()), E_POINTER);
}

TEST_F(GPDatasetDomainTest, GettersAndSettersOfTheLists) {
    auto domain = Domain({5, 5, 10});
    EXPECT_EQ(Types(domain.Get()), (std::vector<int32_t>{5, 10}));
    EXPECT_EQ(domain->RemoveType(5), S_OK);
    EXPECT_EQ(Types(domain.Get()), (std::vector<int32_t>{10}));
    int32_t type = 99;
    EXPECT_EQ(domain->get_Type(1, &type), E_INVALIDARG);
    EXPECT_EQ(type, 99);

    // Any true flag reads back as true.
    EXPECT_EQ(Flags(domain.Get()), (std::vector<VARIANT_BOOL>{0, 0, 0, 0}));
    domain->put_FilterVersioned(1, VARIANT_TRUE);
    domain->put_FilterCanVersion(VARIANT_TRUE, 5);
    EXPECT_EQ(Flags(domain.Get()), (std::vector<VARIANT_BOOL>{-1, -1, -1, -1}));

    // Every getter answers a null out pointer with E_POINTER.
    EXPECT_EQ(domain->get_TypeCount(nullptr), E_POINTER);
    EXPECT_EQ(domain->get_Type(0, nullptr), E_POINTER);
    EXPECT_EQ(domain->get_FilterVersioned(nullptr), E_POINTER);
    EXPECT_EQ(domain->get_FilterVersionedType(nullptr), E_POINTER);
    EXPECT_EQ(domain->get_FilterCanVersion(nullptr), E_POINTER);
    EXPECT_EQ(domain->get_FilterCanVersionType(nullptr), E_POINTER);
}

TEST_F(GPDatasetDomainTest, BrowseFiltersOnePerType) {
    ComPtr<IArray> filters;
    ASSERT_EQ(QueryAs<IGxFilterInfo>(Domain({5, 10, 12, 999}).Get())->get_OpenGxObjectFilters(filters.Out()), S_OK);
    EXPECT_EQ(FilterTexts(filters.Get()), (std::vector<std::string>{kFilter + "FeatureClasses", kFilter + "Tables",
                                                                    kFilter + "RasterDatasets", kFilter + "Datasets"}));
    ASSERT_EQ(QueryAs<IGxFilterInfo>(Domain({}).Get())->get_OpenGxObjectFilters(filters.Out()), S_OK);
    ASSERT_TRUE(filters);
    EXPECT_EQ(FilterTexts(filters.Get()), (std::vector<std::string>{}));
}

TEST_F(GPDatasetDomainTest, AssignAddsTypesAndCopiesFlagsIsEqualComparesBoth) {
    auto source = Domain({10, 5});
    source->put_FilterVersioned(VARIANT_TRUE, VARIANT_FALSE);
    auto domain = Domain({5});
    domain->put_FilterCanVersion(VARIANT_TRUE, VARIANT_TRUE);
    ASSERT_EQ(QueryAs<IClone>(domain.Get())->Assign(QueryAs<IClone>(source.Get()).Get()), S_OK);
    EXPECT_EQ(Types(domain.Get()), (std::vector<int32_t>{5, 10}));
    EXPECT_EQ(Flags(domain.Get()), (std::vector<VARIANT_BOOL>{-1, 0, 0, 0}));
    EXPECT_TRUE(Equal(domain.Get(), source.Get()));

    auto other = Domain({5, 10});
    EXPECT_FALSE(Equal(domain.Get(), other.Get())) << "the flags differ";
    other->put_FilterVersioned(VARIANT_TRUE, VARIANT_TRUE);
    EXPECT_FALSE(Equal(domain.Get(), other.Get())) << "the required flag differs";
    other->put_FilterVersioned(VARIANT_TRUE, VARIANT_FALSE);
    EXPECT_TRUE(Equal(domain.Get(), other.Get()));
    EXPECT_FALSE(Equal(domain.Get(), Create<IGPWorkspaceDomain>(CLSID_GPWorkspaceDomain).Get()));
    EXPECT_EQ(QueryAs<IClone>(domain.Get())
                  ->Assign(QueryAs<IClone>(Create<IGPWorkspaceDomain>(CLSID_GPWorkspaceDomain).Get()).Get()),
              E_INVALIDARG);
}

TEST_F(GPDatasetDomainTest, StreamFormKeepsTypesAndFlags) {
    auto domain = Domain({5, 12});
    domain->put_FilterCanVersion(VARIANT_TRUE, VARIANT_FALSE);
    auto form = SavedForm(domain.Get());
    EXPECT_EQ(form, (std::vector<uint8_t>{1, 0, 2, 0, 0, 0, 5, 0, 0, 0, 12, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0}));
    auto read = StreamCopy<IGPDatasetDomain>(domain.Get(), CLSID_GPDatasetDomain);
    ASSERT_TRUE(read);
    EXPECT_EQ(Types(read.Get()), (std::vector<int32_t>{5, 12}));
    EXPECT_EQ(Flags(read.Get()), (std::vector<VARIANT_BOOL>{0, 0, -1, 0}));

    auto target = Domain({10});
    target->put_FilterVersioned(VARIANT_TRUE, VARIANT_TRUE);
    DamagedFormsChangeNothing(target.Get(), form);
    auto newer = form;
    newer[0] = 2;
    EXPECT_EQ(LoadForm(target.Get(), newer), E_FAIL);
    EXPECT_EQ(Types(target.Get()), (std::vector<int32_t>{10}));
    EXPECT_EQ(Flags(target.Get()), (std::vector<VARIANT_BOOL>{-1, -1, 0, 0}));
}

TEST_F(GPDatasetDomainTest, XmlFormWritesFlagsOnlyWhenTheirFilterIsSet) {
    auto domain = Domain({5, 10});
    domain->put_FilterVersioned(VARIANT_TRUE, VARIANT_FALSE);
    domain->put_FilterCanVersion(VARIANT_FALSE, VARIANT_TRUE);
    auto xml = XmlForm(domain.Get());
    EXPECT_NE(xml.find(u">FeatureClass<"), std::u16string::npos);
    EXPECT_NE(xml.find(u">Table<"), std::u16string::npos);
    EXPECT_NE(xml.find(u"<FilterVersioned"), std::u16string::npos);
    EXPECT_NE(xml.find(u"<FilterVersionedType"), std::u16string::npos);
    EXPECT_EQ(xml.find(u"FilterCanVersion"), std::u16string::npos);

    // Read onto a domain that had every filter set: what the document leaves out is not set.
    auto target = Domain({12});
    target->put_FilterVersioned(VARIANT_TRUE, VARIANT_TRUE);
    target->put_FilterCanVersion(VARIANT_TRUE, VARIANT_TRUE);
    ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), target.Get()), S_OK);
    EXPECT_EQ(Types(target.Get()), (std::vector<int32_t>{5, 10}));
    EXPECT_EQ(Flags(target.Get()), (std::vector<VARIANT_BOOL>{-1, 0, 0, 0}));
    EXPECT_FALSE(Equal(target.Get(), domain.Get())) << "the can-version required flag was not written";

    auto bare = XmlForm(Domain({}).Get());
    EXPECT_EQ(bare.find(u"TypeArray"), std::u16string::npos);
    EXPECT_EQ(bare.find(u"Filter"), std::u16string::npos);

    // A flag that is no boolean, or a type text that names no type, is refused and changes nothing.
    for (auto [from, to] : {std::pair<std::u16string, std::u16string>{u">true<", u">maybe<"},
                            std::pair<std::u16string, std::u16string>{u">Table<", u">Teacup<"}}) {
        auto damaged = xml;
        damaged.replace(damaged.find(from), from.size(), to);
        EXPECT_EQ(TaviXmlDeserialize(damaged.c_str(), target.Get()), E_FAIL) << ToUtf8(to);
        EXPECT_EQ(Types(target.Get()), (std::vector<int32_t>{5, 10}));
        EXPECT_EQ(Flags(target.Get()), (std::vector<VARIANT_BOOL>{-1, 0, 0, 0}));
    }
}

} // namespace
} // namespace tavi::test
