// Helpers of the tests of the domains that filter data (files, workspaces, datasets, data elements): a folder of
// real data made with GDAL once per test program, data elements opened from it through the utility object, the
// verdict of MemberOf, the names in an array of data elements, the stored forms, and stand-ins for what this host's
// data cannot be (a versioned dataset, layers and the holder of a layer, which no class provides yet).
#pragma once

#include "DomainTestSupport.h"
#include "PersistForms.h"
#include "TestData.h"

#include "platform/HandOut.h"
#include "tavi/GPComposite.h"
#include "tavi/GPDataDomains.h"
#include "tavi/GPLayer.h"
#include "tavi/GPUtilities.h"
#include "tavi/Xml.h"

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tavi::test {

// The data every test program of these domains works on, under one temporary folder:
//   nested/inner/          folders in a folder
//   city.gdb               a file database (OpenFileGDB) with the feature class parcels and the table owners
//   city.gpkg              a GeoPackage with the feature classes roads and sites and the table visits
//   dem.tif                a raster
//   wells.shp              a shapefile
//   points.csv             a table
//   notes.txt              a file that is no data
//   secret.gpkg            a GeoPackage the test may not read (where the machine lets permission be taken away)
inline void MakeDomainTestData(TestData& data) {
    std::filesystem::create_directories(data.Path("nested/inner"));
    data.Vector("OpenFileGDB", "city.gdb", "parcels", wkbPolygon, 32633,
                {{"POLYGON ((0 0, 10 0, 10 10, 0 10, 0 0))", "p1", 1, 100, 2010, 6, 1}});
    data.Vector("OpenFileGDB", "city.gdb", "owners", wkbNone, 0, {{"", "x", 1, 0, 2000, 1, 1}});
    data.Vector("GPKG", "city.gpkg", "roads", wkbLineString, 32633,
                {{"LINESTRING (0 0, 10 10)", "r1", 1, 1, 2001, 1, 1}});
    data.Vector("GPKG", "city.gpkg", "sites", wkbPoint, 32633, {{"POINT (1 1)", "s1", 1, 1, 2001, 1, 1}});
    data.Vector("GPKG", "city.gpkg", "visits", wkbNone, 0, {{"", "v1", 1, 1, 2001, 1, 1}});
    data.Raster("dem.tif", 10, 5, 2, 100, 200, 32633);
    data.Vector("shp", "wells.shp", "wells", wkbPoint, 4326, {{"POINT (10 50)", "a", 1, 1, 2001, 1, 1}});
    data.File("points.csv", "id,name\n1,a\n");
    data.File("notes.txt", "not data");
    data.Vector("GPKG", "secret.gpkg", "hidden", wkbPoint, 4326, {{"POINT (1 1)", "h", 1, 1, 2001, 1, 1}});
    std::filesystem::permissions(data.Path("secret.gpkg"), std::filesystem::perms::none);
}

// Whether taking read permission away keeps this process from reading (not so for the superuser).
inline bool PermissionsHold() {
    return geteuid() != 0;
}

// A fixture whose suite makes the data once.
class DataDomainTest : public ModuleClassesTest {
protected:
    static void SetUpTestSuite() {
        data_ = new TestData();
        MakeDomainTestData(*data_);
    }
    static void TearDownTestSuite() {
        std::error_code ignored;
        std::filesystem::permissions(data_->Path("secret.gpkg"), std::filesystem::perms::owner_all, ignored);
        delete data_;
        data_ = nullptr;
    }

    // The catalog path of `relative` in the data folder (the folder itself for an empty text).
    static std::u16string P(const std::string& relative = {}) { return FromUtf8(data_->Path(relative)); }

    // The data element a catalog path names, opened by the utility object.
    static ComPtr<IDataElement> Open(const std::u16string& path) {
        ComPtr<IGPUtilities> utilities;
        EXPECT_EQ(
            AfCreateInstance(CLSID_GPUtilities, nullptr, CLSCTX_INPROC_SERVER, IGPUtilities::iid, utilities.OutVoid()),
            S_OK);
        ComPtr<IDataElement> element;
        EXPECT_EQ(utilities->OpenDataElementFromText(path.c_str(), element.Out()), S_OK) << ToUtf8(path);
        return element;
    }
    // A data element as the value a data type hands a domain.
    static ComPtr<IGPValue> Element(const std::u16string& path) {
        auto value = QueryAs<IGPValue>(Open(path).Get());
        EXPECT_TRUE(value) << "a data element is a value: " << ToUtf8(path);
        return value;
    }

    static TestData* data_;
};
inline TestData* DataDomainTest::data_ = nullptr;

// What MemberOf answers: its result, and the type and code of its message (-1 for no message).
struct Verdict {
    HRESULT hr;
    int32_t type;
    int32_t code;
    bool operator==(const Verdict&) const = default;
};
inline std::ostream& operator<<(std::ostream& out, const Verdict& v) {
    return out << "{hr " << std::hex << v.hr << std::dec << ", type " << v.type << ", code " << v.code << "}";
}
inline Verdict MemberVerdict(IUnknown* domain, IGPValue* value) {
    ComPtr<IGPMessage> message;
    HRESULT hr = QueryAs<IGPDomain>(domain)->MemberOf(value, message.Out());
    return {hr, message ? MessageType(message.Get()) : -1, message ? MessageCode(message.Get()) : -1};
}
constexpr Verdict kMember{S_OK, taviGPMessageTypeEmpty, 0};
inline Verdict Refused(int32_t code) {
    return {S_FALSE, taviGPMessageTypeError, code};
}

// The names of the elements of an array of data elements, in order ("?" for an element that is none); empty for no
// array.
inline std::vector<std::string> ElementNames(IArray* array) {
    std::vector<std::string> names;
    int32_t count = 0;
    if (!array || FAILED(array->get_Count(&count)))
        return names;
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IUnknown> element;
        array->get_Element(i, element.Out());
        BStr name;
        auto data = QueryAs<IDataElement>(element.Get());
        names.push_back(data && SUCCEEDED(data->get_Name(name.Out())) ? ToUtf8(name.view()) : "?");
    }
    return names;
}

// A new object array holding `elements`.
inline ComPtr<IArray> ArrayOf(std::initializer_list<IUnknown*> elements) {
    ComPtr<IArray> array;
    EXPECT_EQ(CreateObjectArray(IArray::iid, array.OutVoid()), S_OK);
    for (IUnknown* element : elements)
        array->Add(element);
    return array;
}

// Reads the XML document `xml` into a new object of `clsid`; null when the read fails.
template <class I> ComPtr<I> XmlCopy(const std::u16string& xml, REFCLSID clsid) {
    auto read = Create<I>(clsid);
    if (TaviXmlDeserialize(xml.c_str(), read.Get()) != S_OK)
        return nullptr;
    return read;
}

// Every shorter prefix of a saved form, and the form with each byte changed in turn, read into `object`: whatever is
// refused leaves the object equal to what it was (its clone before the reads), and its dirty flag too.
inline void DamagedFormsChangeNothing(IUnknown* object, const std::vector<uint8_t>& form) {
    ComPtr<IClone> before;
    ASSERT_EQ(QueryAs<IClone>(object)->Clone(before.Out()), S_OK);
    HRESULT dirtyBefore = QueryAs<IPersistStream>(object)->IsDirty();
    for (size_t length = 0; length < form.size(); ++length) {
        std::vector<uint8_t> cut(form.begin(), form.begin() + static_cast<ptrdiff_t>(length));
        ASSERT_EQ(LoadForm(object, cut), E_FAIL) << "a form cut at " << length << " bytes";
        ASSERT_TRUE(Equal(object, before.Get())) << "a form cut at " << length << " bytes";
        ASSERT_TRUE(Equal(before.Get(), object)) << "a form cut at " << length << " bytes";
        ASSERT_EQ(QueryAs<IPersistStream>(object)->IsDirty(), dirtyBefore);
    }
}

// --- stand-ins ---

// The IGPValue part of the stand-ins: a value that is not empty, whose text is "stand-in".
template <class Derived, class... R> class FakeValue : public Object<Derived, IGPValue, R...> {
public:
    HRESULT get_DataType(IGPDataType** dataType) override { return NotImplemented(dataType); }
    HRESULT IsEmpty(VARIANT_BOOL* empty) override { return HandOutValue<VARIANT_BOOL>(VARIANT_FALSE, empty); }
    HRESULT Empty() override { return E_NOTIMPL; }
    HRESULT GetAsText(BSTR* text) override { return HandOut(u"stand-in", text); }
    HRESULT SetAsText(const OLECHAR*, IGPMessage** message) override { return NotImplemented(message); }
    HRESULT SerializeJSONObject(BSTR* json) override { return NotImplemented(json); }
    HRESULT DeserializeJSONObject(const OLECHAR*) override { return E_NOTIMPL; }

protected:
    template <class T> static HRESULT NotImplemented(T** out) {
        HRESULT hr = ClearOut(out);
        return FAILED(hr) ? hr : E_NOTIMPL;
    }
};

// A dataset of any type and versioning, which data on disk here never is (it is never versioned).
class FakeDataset final : public FakeValue<FakeDataset, IDEDataset4> {
public:
    FakeDataset(int32_t type, bool versioned, bool canVersion)
        : type_(type), versioned_(versioned), canVersion_(canVersion) {}
    HRESULT get_DatasetType(int32_t* type) override { return HandOutValue(type_, type); }
    HRESULT get_DSID(int32_t* id) override { return HandOutValue(0, id); }
    HRESULT get_Versioned(VARIANT_BOOL* versioned) override { return Flag(versioned_, versioned); }
    HRESULT get_IsArchived(VARIANT_BOOL* archived) override { return Flag(false, archived); }
    HRESULT get_ChangeTracked(VARIANT_BOOL* tracked) override { return Flag(false, tracked); }
    HRESULT get_CanVersion(VARIANT_BOOL* canVersion) override { return Flag(canVersion_, canVersion); }

private:
    static HRESULT Flag(bool value, VARIANT_BOOL* out) {
        return HandOutValue<VARIANT_BOOL>(value ? VARIANT_TRUE : VARIANT_FALSE, out);
    }
    int32_t type_;
    bool versioned_;
    bool canVersion_;
};

// A layer over a data element (FakeLayer), and one that draws features (FakeFeatureLayer).
template <class Derived, class... R> class LayerOver : public FakeValue<Derived, IGPLayer, R...> {
public:
    explicit LayerOver(IDataElement* element) : element_(element) {}
    HRESULT get_Name(BSTR* name) override { return HandOut(u"layer", name); }
    HRESULT put_Name(const OLECHAR*) override { return E_NOTIMPL; }
    HRESULT get_DisplayName(BSTR* name) override { return HandOut(u"layer", name); }
    HRESULT put_DisplayName(const OLECHAR*) override { return E_NOTIMPL; }
    HRESULT putref_DataElement(IDataElement* element) override {
        element_ = ComPtr<IDataElement>(element);
        return S_OK;
    }
    HRESULT get_DataElement(IDataElement** element) override {
        if (HRESULT hr = ClearOut(element); FAILED(hr))
            return hr;
        return element_.CopyTo(element);
    }

private:
    ComPtr<IDataElement> element_;
};
class FakeLayer final : public LayerOver<FakeLayer> {
public:
    using LayerOver::LayerOver;
};
class FakeFeatureLayer final : public LayerOver<FakeFeatureLayer, IGPFeatureLayer> {
public:
    using LayerOver::LayerOver;
};

// The holder of a layer of a map. It holds `layer` from the start, or, with `layerAfterAsks` > 0, comes to hold it
// only once it has been asked that many times (as a host makes the layer when its data element is readied).
class FakeLayerHolder final : public FakeValue<FakeLayerHolder, IGPLayerHolder> {
public:
    FakeLayerHolder(IGPLayer* layer, IDataElement* element, int layerAfterAsks = 0)
        : layer_(layer), element_(element), layerAfterAsks_(layerAfterAsks) {}
    HRESULT get_Layer(IGPLayer** layer) override {
        if (HRESULT hr = ClearOut(layer); FAILED(hr))
            return hr;
        ++asks;
        return asks > layerAfterAsks_ ? layer_.CopyTo(layer) : S_OK;
    }
    HRESULT get_DataElement(IDataElement** element) override {
        if (HRESULT hr = ClearOut(element); FAILED(hr))
            return hr;
        return element_.CopyTo(element);
    }
    int asks = 0;

private:
    ComPtr<IGPLayer> layer_;
    ComPtr<IDataElement> element_;
    int layerAfterAsks_;
};

} // namespace tavi::test
