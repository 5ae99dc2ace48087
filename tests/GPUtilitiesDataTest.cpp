// The utility object's data operations on real data made at run time: each kind of data opens by text and by
// value, with its fields, extent and spatial reference; missing and unreadable data give their codes; data type
// kinds, extensions, the memory workspaces and the default workspace made on demand in a scratch folder.
#include "TestData.h"
#include "TestSupport.h"

#include "host/CreateInstance.h"
#include "host/Message.h"
#include "platform/BStr.h"
#include "platform/Utf.h"
#include "services/GPUtilities.h"
#include "tavi/Entry.h"
#include "tavi/GPScalar.h"
#include "tavi/GPUtilities.h"
#include "tavi/TypeConverter.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>

namespace tavi::test {
namespace {

class GPUtilitiesData : public ModuleClassesTest {
protected:
    static void SetUpTestSuite() {
        data_ = new TestData();
        data_->Vector("shp", "wells \xC3\xA4.shp", "wells \xC3\xA4", wkbPoint, 4326,
                      {{"POINT (10 50)", "a", 1, 1, 2001, 1, 1}, {"POINT (12 53)", "b", 2, 2, 2002, 2, 2}});
        data_->Vector("GPKG", "city.gpkg", "parcels", wkbPolygon, 32633,
                      {{"POLYGON ((0 0, 10 0, 10 10, 0 10, 0 0))", "p1", 1, 100, 2010, 6, 1}});
        data_->Vector("GPKG", "city.gpkg", "owners", wkbNone, 0, {{"", "x", 1, 0, 2000, 1, 1}});
        data_->Raster("dem.tif", 10, 5, 2, 100, 200, 32633);
        data_->File("notes.txt", "not data");
        data_->File("broken.shp", "this is not a shapefile");
        std::filesystem::create_directory(data_->Path("sub folder"));
    }
    static void TearDownTestSuite() {
        delete data_;
        data_ = nullptr;
    }
    void SetUp() override {
        ModuleClassesTest::SetUp();
        utilities_ = MakeObject<GPUtilities>();
    }
    void TearDown() override {
        utilities_ = nullptr;
        ModuleClassesTest::TearDown();
    }

    static std::u16string P(const std::string& relative) { return FromUtf8(data_->Path(relative)); }

    ComPtr<IGPValue> StringValue(const std::u16string& text) {
        ComPtr<IGPValue> value;
        EXPECT_EQ(utilities_->MakeGPValueFromText(u"GPString", text.c_str(), value.Out()), S_OK);
        return value;
    }

    static TestData* data_;
    ComPtr<GPUtilities> utilities_;
};
TestData* GPUtilitiesData::data_ = nullptr;

struct KindCase {
    const char* path;
    const char16_t* type;
    int32_t fields;       // without raster fields; -1 for data without fields
    int32_t rasterFields; // with raster fields
    double xmin, ymax;    // NaN for data without an extent
    int32_t code;         // authority code of the spatial reference, -1 when there is none
    const char* why;
};

const KindCase kKinds[] = {
    {"wells \xC3\xA4.shp", u"DEFeatureClass", 6, 6, 10, 53, 4326, "shapefile: FID, Shape and four typed fields"},
    {"city.gpkg/parcels", u"DEFeatureClass", 6, 6, 0, 10, 32633, "feature class inside a GeoPackage"},
    {"city.gpkg/owners", u"DETable", 5, 5, NAN, NAN, -1, "a table has fields but no extent"},
    {"dem.tif", u"DERasterDataset", -1, 1, 100, 200, 32633, "a raster shows one raster field when asked"},
    {"city.gpkg", u"DEWorkspace", -1, -1, NAN, NAN, -1, "a database workspace"},
    {"sub folder", u"DEFolder", -1, -1, NAN, NAN, -1, "a folder with a blank in its name"},
    {"notes.txt", u"DEFile", -1, -1, NAN, NAN, -1, "a plain file"},
};

// The number of fields `get` hands out, -1 when it answers S_FALSE with none.
template <class Get> int32_t FieldCount(Get get) {
    ComPtr<IFields> fields;
    HRESULT hr = get(fields.Out());
    int32_t count = -1;
    if (hr == S_OK && fields)
        EXPECT_EQ(fields->get_FieldCount(&count), S_OK);
    else
        EXPECT_EQ(hr, S_FALSE);
    return count;
}

TEST_F(GPUtilitiesData, EachKindOpensByTextAndByValueWithItsFieldsExtentAndSpatialReference) {
    for (const auto& c : kKinds) {
        SCOPED_TRACE(c.why);
        ComPtr<IDataElement> element;
        ASSERT_EQ(utilities_->OpenDataElementFromText((u"  " + P(c.path) + u" ").c_str(), element.Out()), S_OK);
        BStr type;
        element->get_Type(type.Out());
        EXPECT_EQ(type.view(), std::u16string_view(c.type));

        // The value's text names the same data; the data element itself is accepted as data too.
        auto value = StringValue(P(c.path));
        for (IUnknown* data : {static_cast<IUnknown*>(value.Get()), static_cast<IUnknown*>(element.Get())}) {
            EXPECT_EQ(FieldCount([&](IFields** out) { return utilities_->GetFields(data, out); }), c.fields);
            EXPECT_EQ(FieldCount([&](IFields** out) { return utilities_->GetFieldsWithRaster(data, out); }),
                      c.rasterFields);

            ComPtr<IEnvelope> extent;
            HRESULT hr = utilities_->GetExtent(data, extent.Out());
            if (std::isnan(c.xmin)) {
                EXPECT_EQ(hr, S_FALSE);
                EXPECT_FALSE(extent);
            } else {
                ASSERT_EQ(hr, S_OK);
                double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
                EXPECT_EQ(extent->QueryCoords(&xmin, &ymin, &xmax, &ymax), S_OK);
                EXPECT_DOUBLE_EQ(xmin, c.xmin);
                EXPECT_DOUBLE_EQ(ymax, c.ymax);
            }

            ComPtr<ISpatialReference> sr;
            hr = utilities_->GetSpatialReference(data, sr.Out());
            if (c.code < 0) {
                EXPECT_EQ(hr, S_FALSE);
                EXPECT_FALSE(sr);
            } else {
                ASSERT_EQ(hr, S_OK);
                int32_t code = 0;
                EXPECT_EQ(sr->get_FactoryCode(&code), S_OK);
                EXPECT_EQ(code, c.code);
            }
        }
        VARIANT_BOOL valid = VARIANT_FALSE;
        EXPECT_EQ(utilities_->IsValidDataElement(element.Get(), &valid), S_OK);
        EXPECT_EQ(valid, VARIANT_TRUE);
    }
}

TEST_F(GPUtilitiesData, MissingAndUnreadableDataGiveTheirCodes) {
    struct Case {
        std::u16string path;
        HRESULT hr;
        const char* why;
    };
    const Case cases[] = {
        {P("nothing here.shp"), TAVI_E_DATA_NOT_FOUND, "no file"},
        {P("city.gpkg/nosuch"), TAVI_E_DATA_NOT_FOUND, "no such dataset in the container"},
        {P("broken.shp"), TAVI_E_DATA_UNREADABLE, "a file that is not what its extension says"},
        {u"   ", E_INVALIDARG, "blank text names nothing"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        ComPtr<IDataElement> element;
        EXPECT_EQ(utilities_->OpenDataElementFromText(c.path.c_str(), element.Out()), c.hr);
        EXPECT_FALSE(element);
        auto value = StringValue(c.path);
        ComPtr<IEnvelope> extent;
        EXPECT_EQ(utilities_->GetExtent(value.Get(), extent.Out()), c.hr);
        ComPtr<IFields> fields;
        EXPECT_EQ(utilities_->GetFields(value.Get(), fields.Out()), c.hr);
        VARIANT_BOOL canOpen = VARIANT_TRUE;
        EXPECT_EQ(utilities_->CanOpenData(value.Get(), &canOpen), S_OK);
        EXPECT_EQ(canOpen, VARIANT_FALSE);
    }
    VARIANT_BOOL canOpen = VARIANT_FALSE;
    EXPECT_EQ(utilities_->CanOpenData(StringValue(P("dem.tif")).Get(), &canOpen), S_OK);
    EXPECT_EQ(canOpen, VARIANT_TRUE);
    EXPECT_EQ(utilities_->CanOpenData(nullptr, &canOpen), E_POINTER);
}

TEST_F(GPUtilitiesData, AnElementWhoseDataWentAwayIsNoLongerValid) {
    data_->File("gone.txt", "soon gone");
    ComPtr<IDataElement> element;
    ASSERT_EQ(utilities_->OpenDataElementFromText(P("gone.txt").c_str(), element.Out()), S_OK);
    std::filesystem::remove(data_->Path("gone.txt"));
    VARIANT_BOOL valid = VARIANT_TRUE;
    EXPECT_EQ(utilities_->IsValidDataElement(element.Get(), &valid), S_OK);
    EXPECT_EQ(valid, VARIANT_FALSE);
}

TEST_F(GPUtilitiesData, ValuesFromTextAndResolved) {
    ComPtr<IGPValue> value;
    EXPECT_EQ(utilities_->MakeGPValueFromText(u"gplong", u"42", value.Out()), S_OK);
    ASSERT_TRUE(value);
    BStr text;
    value->GetAsText(text.Out());
    EXPECT_EQ(text.view(), u"42");
    EXPECT_EQ(utilities_->MakeGPValueFromText(u"NoSuchType", u"1", value.Out()), E_INVALIDARG);
    EXPECT_FALSE(value);

    // A plain value resolves to itself, and so does a data element, which is a value too; something that is no
    // value is refused.
    auto string = StringValue(u"abc");
    ComPtr<IGPValue> resolved;
    EXPECT_EQ(utilities_->ResolveValue(string.Get(), nullptr, resolved.Out()), S_OK);
    EXPECT_TRUE(SameObject(resolved.Get(), string.Get()));
    ComPtr<IDataElement> element;
    ASSERT_EQ(utilities_->OpenDataElementFromText(P("notes.txt").c_str(), element.Out()), S_OK);
    EXPECT_EQ(utilities_->ResolveValue(element.Get(), nullptr, resolved.Out()), S_OK);
    EXPECT_TRUE(SameObject(resolved.Get(), element.Get()));
    ComPtr<IGPMessage> message;
    ASSERT_EQ(MakeEmptyMessage(message.Out()), S_OK);
    EXPECT_EQ(utilities_->ResolveValue(message.Get(), nullptr, resolved.Out()), E_NOINTERFACE);
    EXPECT_FALSE(resolved);
}

TEST_F(GPUtilitiesData, AVariableStandsForItsValueAndNamesDataThroughIt) {
    ComPtr<IGPVariable> variable;
    ASSERT_EQ(AfCreateInstance(CLSID_GPVariable, nullptr, CLSCTX_INPROC_SERVER, IGPVariable::iid, variable.OutVoid()),
              S_OK);
    ComPtr<IGPValue> resolved;
    EXPECT_EQ(utilities_->ResolveValue(variable.Get(), nullptr, resolved.Out()), S_FALSE) << "no value yet";
    EXPECT_FALSE(resolved);

    auto path = StringValue(P("dem.tif"));
    ASSERT_EQ(variable->putref_Value(path.Get()), S_OK);
    EXPECT_EQ(utilities_->ResolveValue(variable.Get(), nullptr, resolved.Out()), S_OK);
    EXPECT_TRUE(SameObject(resolved.Get(), path.Get()));
    ComPtr<IDataElement> element;
    EXPECT_EQ(utilities_->OpenDataElement(variable.Get(), element.Out()), S_OK);
    BStr type;
    element->get_Type(type.Out());
    EXPECT_EQ(type.view(), u"DERasterDataset");
}

TEST_F(GPUtilitiesData, DataTypesThatStandForStoredData) {
    struct Case {
        const char16_t* name;
        VARIANT_BOOL isData;
    };
    const Case cases[] = {
        {u"GPFeatureLayer", VARIANT_TRUE},
        {u"GPTableView", VARIANT_TRUE},
        {u"DEFeatureClass", VARIANT_TRUE},
        {u"deworkspace", VARIANT_TRUE},
        {u"DEGeoDatasetType", VARIANT_TRUE},
        {u"GPDataFile", VARIANT_TRUE},
        {u"GPString", VARIANT_FALSE},
        {u"GPExtent", VARIANT_FALSE},
        {u"GPRecordSet", VARIANT_FALSE},
        {u"DE", VARIANT_FALSE},
        {u"", VARIANT_FALSE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.name));
        VARIANT_BOOL isData = 7;
        EXPECT_EQ(utilities_->IsDataTypeName(c.name, &isData), S_OK);
        EXPECT_EQ(isData, c.isData);
    }
    // Asked with the data type object, the same answer.
    ComPtr<IGPValue> value = StringValue(u"x");
    ComPtr<IGPDataType> dataType;
    ASSERT_EQ(value->get_DataType(dataType.Out()), S_OK);
    VARIANT_BOOL isData = VARIANT_TRUE;
    EXPECT_EQ(utilities_->IsDataType(dataType.Get(), &isData), S_OK);
    EXPECT_EQ(isData, VARIANT_FALSE);
}

TEST_F(GPUtilitiesData, ExtensionsCompareWithoutCase) {
    struct Case {
        const char16_t* path;
        const char16_t* extension;
        VARIANT_BOOL has;
    };
    const Case cases[] = {
        {u"data/points.CSV", u"csv", VARIANT_TRUE},  {u"data/points.csv", u".Csv", VARIANT_TRUE},
        {u"data/points.shp", u"csv", VARIANT_FALSE}, {u"data.gdb/points", u"gdb", VARIANT_FALSE},
        {u"data/points", u"", VARIANT_TRUE},         {u"data/.hidden", u"hidden", VARIANT_FALSE},
        {u"d/archive.tar.gz", u"gz", VARIANT_TRUE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.path));
        VARIANT_BOOL has = 7;
        EXPECT_EQ(utilities_->HasExtension(c.path, c.extension, &has), S_OK);
        EXPECT_EQ(has, c.has);
    }
}

TEST_F(GPUtilitiesData, MemoryWorkspacesByNameOnly) {
    for (const char16_t* name : {u"in_memory", u"MEMORY"}) {
        ComPtr<IWorkspace> workspace;
        EXPECT_EQ(utilities_->OpenVirtualWorkspace(name, workspace.Out()), S_OK);
        EXPECT_TRUE(workspace);
    }
    ComPtr<IWorkspace> workspace;
    EXPECT_EQ(utilities_->OpenVirtualWorkspace(P("city.gpkg").c_str(), workspace.Out()), E_INVALIDARG);
    EXPECT_FALSE(workspace);
}

// Listing options whose depth cannot be read.
class BrokenListingOptions final : public Object<BrokenListingOptions, IDEListingOptions> {
public:
    HRESULT get_ListChildren(VARIANT_BOOL* list) override {
        *list = VARIANT_TRUE;
        return S_OK;
    }
    HRESULT put_ListChildren(VARIANT_BOOL) override { return S_OK; }
    HRESULT get_ChildDepth(int32_t*) override { return E_UNEXPECTED; }
    HRESULT put_ChildDepth(int32_t) override { return S_OK; }
};

TEST_F(GPUtilitiesData, PrepareDataElementTakesListingOptionsOnly) {
    ComPtr<IDataElement> element;
    ASSERT_EQ(utilities_->OpenDataElementFromText(P("sub folder").c_str(), element.Out()), S_OK);
    ComPtr<IDEListingOptions> options;
    ASSERT_EQ(AfCreateInstance(CLSID_DEListingOptions, nullptr, CLSCTX_INPROC_SERVER, IDEListingOptions::iid,
                               options.OutVoid()),
              S_OK);
    VARIANT_BOOL list = VARIANT_TRUE;
    int32_t depth = 0;
    EXPECT_EQ(options->get_ListChildren(&list), S_OK);
    EXPECT_EQ(options->get_ChildDepth(&depth), S_OK);
    EXPECT_EQ(list, VARIANT_FALSE);
    EXPECT_EQ(depth, -1);
    EXPECT_EQ(options->put_ListChildren(1), S_OK); // any non-zero value is true, and reads back as VARIANT_TRUE
    EXPECT_EQ(options->get_ListChildren(&list), S_OK);
    EXPECT_EQ(list, VARIANT_TRUE);
    EXPECT_EQ(options->put_ChildDepth(2), S_OK);
    for (int32_t refused : {0, -2, INT32_MIN})
        EXPECT_EQ(options->put_ChildDepth(refused), E_INVALIDARG) << refused;
    EXPECT_EQ(options->get_ChildDepth(&depth), S_OK);
    EXPECT_EQ(depth, 2) << "a refused depth keeps the one held";
    EXPECT_EQ(options->get_ChildDepth(nullptr), E_POINTER);
    EXPECT_EQ(options->get_ListChildren(nullptr), E_POINTER);

    EXPECT_EQ(utilities_->PrepareDataElement(element.Get(), nullptr), S_OK);
    EXPECT_EQ(utilities_->PrepareDataElement(element.Get(), options.Get()), S_OK);
    EXPECT_EQ(utilities_->PrepareDataElement(nullptr, options.Get()), E_POINTER);
    auto notOptions = StringValue(u"depth 1");
    EXPECT_EQ(utilities_->PrepareDataElement(element.Get(), notOptions.Get()), E_INVALIDARG);
    auto broken = MakeObject<BrokenListingOptions>();
    EXPECT_EQ(utilities_->PrepareDataElement(element.Get(), static_cast<IDEListingOptions*>(broken.Get())),
              E_UNEXPECTED);
}

// Restores an environment variable when the test ends.
class EnvironmentScope {
public:
    explicit EnvironmentScope(const char* name) : name_(name) {
        if (const char* value = std::getenv(name))
            saved_ = value;
    }
    ~EnvironmentScope() {
        if (saved_)
            setenv(name_, saved_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> saved_;
};

TEST_F(GPUtilitiesData, DefaultWorkspaceIsMadeOnDemandInTheScratchFolder) {
    EnvironmentScope scratch("TAVI_SCRATCH_FOLDER");
    const std::string folder = data_->Path("scratch \xC3\xBC/deeper");
    setenv("TAVI_SCRATCH_FOLDER", folder.c_str(), 1);
    BStr named;
    EXPECT_EQ(utilities_->get_ScratchFolder(named.Out()), S_OK);
    EXPECT_EQ(ToUtf8(named.view()), folder);
    EXPECT_FALSE(std::filesystem::exists(folder)) << "naming the folder makes nothing";

    for (int round = 0; round < 2; ++round) { // made the first time, reopened the second
        SCOPED_TRACE(round);
        ComPtr<IWorkspace> workspace;
        ASSERT_EQ(utilities_->GetDefaultWorkspace(workspace.Out()), S_OK);
        BStr path;
        EXPECT_EQ(workspace->get_PathName(path.Out()), S_OK);
        EXPECT_EQ(ToUtf8(path.view()), folder + "/scratch.gpkg");
        int32_t type = -1;
        EXPECT_EQ(workspace->get_Type(&type), S_OK);
        EXPECT_EQ(type, taviWorkspaceLocalDatabase);
    }

    // The scratch folder cannot be made under a plain file.
    setenv("TAVI_SCRATCH_FOLDER", data_->Path("notes.txt/scratch").c_str(), 1);
    ComPtr<IWorkspace> workspace;
    EXPECT_EQ(utilities_->GetDefaultWorkspace(workspace.Out()), TAVI_E_DATA_ACCESS_DENIED);
    EXPECT_FALSE(workspace);
}

TEST_F(GPUtilitiesData, ScratchFolderFallsBackOnTheCacheFolders) {
    EnvironmentScope scratch("TAVI_SCRATCH_FOLDER"), cache("XDG_CACHE_HOME"), home("HOME");
    unsetenv("TAVI_SCRATCH_FOLDER");
    setenv("HOME", "/home/someone", 1);
    struct Case {
        const char* cache;
        const char* folder;
    };
    const Case cases[] = {
        {"/var/cache/me", "/var/cache/me/tavi/scratch"},
        {"relative/cache", "/home/someone/.cache/tavi/scratch"}, // a relative cache folder is ignored
        {nullptr, "/home/someone/.cache/tavi/scratch"},
    };
    for (const auto& c : cases) {
        if (c.cache)
            setenv("XDG_CACHE_HOME", c.cache, 1);
        else
            unsetenv("XDG_CACHE_HOME");
        BStr folder;
        EXPECT_EQ(utilities_->get_ScratchFolder(folder.Out()), S_OK);
        EXPECT_EQ(ToUtf8(folder.view()), c.folder);
    }
}

} // namespace
} // namespace tavi::test
