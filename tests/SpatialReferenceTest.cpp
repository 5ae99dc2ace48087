// Spatial references on OSR: made from text, codes and projection files; the domains derived from the coordinate
// system's units; setting domains; plus the envelope and catalog path splitting they travel with.
#include "TestData.h"
#include "TestSupport.h"

#include "host/Envelope.h"
#include "host/GPCatalogPath.h"
#include "host/SpatialReference.h"
#include "host/StreamIO.h"
#include "tavi/Stream.h"

#include <cmath>

namespace tavi::test {
namespace {

using SpatialReferenceTest = LeakCheckedTest;

struct TextCase {
    std::u16string text;
    HRESULT hr;
    int32_t code;
    bool geographic;
    const char* reason;
};

TEST_F(SpatialReferenceTest, FromText) {
    const TextCase cases[] = {
        {u"EPSG:4326", S_OK, 4326, true, "authority and code"},
        {u"4326", S_OK, 4326, true, "a bare code"},
        {u"  32633 ", S_OK, 32633, false, "a bare code with blanks"},
        {u"GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,298.257223563]],PRIMEM[\"Greenwich\",0],"
         u"UNIT[\"degree\",0.0174532925199433]]",
         S_OK, 0, true, "well-known text without an authority"},
        {u"+proj=utm +zone=33 +datum=WGS84", S_OK, 0, false, "a PROJ string"},
        {u"", E_INVALIDARG, 0, false, "empty"},
        {u"no such system", E_INVALIDARG, 0, false, "names nothing"},
        {u"99999999", E_INVALIDARG, 0, false, "an unknown code"},
        {u"/etc/passwd", E_INVALIDARG, 0, false, "files are not followed"},
        {u"http://example.invalid/crs", E_INVALIDARG, 0, false, "nothing is fetched"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        ComPtr<ISpatialReference> sr;
        ASSERT_EQ(CreateSpatialReferenceFromText(c.text, sr.Out()), c.hr);
        if (FAILED(c.hr)) {
            EXPECT_FALSE(sr);
            continue;
        }
        int32_t code = -1;
        VARIANT_BOOL geographic = 0;
        sr->get_FactoryCode(&code), sr->get_IsGeographic(&geographic);
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(geographic != 0, c.geographic);
    }
    EXPECT_EQ(CreateSpatialReferenceFromText(u"4326", nullptr), E_POINTER);
}

TEST_F(SpatialReferenceTest, FromProjectionFile) {
    TestData data;
    data.Prj("Zone Straße.prj", 32633);
    data.File("empty.prj", "  \n");
    ComPtr<ISpatialReference> sr;
    ASSERT_EQ(CreateSpatialReferenceFromPrjFile(FromUtf8(data.Path("Zone Straße.prj")), sr.Out()), S_OK);
    VARIANT_BOOL projected = 0;
    sr->get_IsProjected(&projected);
    EXPECT_TRUE(projected);
    BStr name;
    sr->get_Name(name.Out());
    EXPECT_NE(ToUtf8(name.view()).find("33N"), std::string::npos) << ToUtf8(name.view());
    EXPECT_EQ(CreateSpatialReferenceFromPrjFile(FromUtf8(data.Path("missing.prj")), sr.Out()), TAVI_E_DATA_NOT_FOUND);
    EXPECT_EQ(CreateSpatialReferenceFromPrjFile(FromUtf8(data.Path("empty.prj")), sr.Out()), E_INVALIDARG);
    EXPECT_EQ(CreateSpatialReferenceFromPrjFile(FromUtf8(data.Path()), sr.Out()), TAVI_E_DATA_NOT_FOUND)
        << "a folder is no projection file";
}

TEST_F(SpatialReferenceTest, DomainsDerivedFromUnits) {
    struct Case {
        const char16_t* text;
        double falseX, units, tolerance;
    } const cases[] = {
        {u"4326", -400, 1e9, 8.983152841195214e-9},   // degrees
        {u"32633", -450359962737.0495, 10000, 0.001}, // metres, centred on 0
        {u"2263", -450359962737.0495 / 0.3048006096012192, 3048.006096012192, 0.001 / 0.3048006096012192}, // US feet
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        ComPtr<ISpatialReference> sr;
        ASSERT_EQ(CreateSpatialReferenceFromText(c.text, sr.Out()), S_OK);
        double x = 0, y = 0, units = 0, tolerance = 0;
        ASSERT_EQ(sr->GetFalseOriginAndUnits(&x, &y, &units), S_OK);
        sr->get_XYTolerance(&tolerance);
        EXPECT_NEAR(x, c.falseX, std::abs(c.falseX) * 1e-12);
        EXPECT_EQ(x, y);
        EXPECT_NEAR(units, c.units, c.units * 1e-12);
        EXPECT_NEAR(tolerance, c.tolerance, c.tolerance * 1e-12);
        VARIANT_BOOL high = 0, xy = 0, z = -1, m = -1;
        sr->get_IsHighPrecision(&high), sr->HasXYPrecision(&xy), sr->HasZPrecision(&z), sr->HasMPrecision(&m);
        EXPECT_TRUE(high);
        EXPECT_TRUE(xy);
        EXPECT_FALSE(z) << "no Z domain unless the data has Z values";
        EXPECT_FALSE(m);
        double xmin, xmax, ymin, ymax;
        sr->GetDomain(&xmin, &xmax, &ymin, &ymax);
        EXPECT_EQ(xmin, c.falseX == -400 ? -400 : x);
        EXPECT_NEAR((xmax - xmin) * units, 9007199254740990.0, 4) << "2^53 steps in high precision";
    }
}

TEST_F(SpatialReferenceTest, SettingDomainsAndPrecision) {
    ComPtr<ISpatialReference> sr;
    ASSERT_EQ(CreateSpatialReferenceFromText(u"EPSG:4326", sr.Out()), S_OK);
    ASSERT_EQ(sr->put_IsHighPrecision(VARIANT_FALSE), S_OK);
    ASSERT_EQ(sr->SetDomain(-180, 180, -90, 90), S_OK);
    double x, y, units;
    sr->GetFalseOriginAndUnits(&x, &y, &units);
    EXPECT_EQ(x, -180);
    EXPECT_EQ(y, -90);
    EXPECT_DOUBLE_EQ(units, 2147483645.0 / 360) << "the wider range decides the units";
    EXPECT_EQ(sr->SetDomain(1, 1, 0, 1), E_INVALIDARG);
    EXPECT_EQ(sr->SetFalseOriginAndUnits(0, 0, 0), E_INVALIDARG);
    EXPECT_EQ(sr->put_XYTolerance(-1), E_INVALIDARG);

    ASSERT_EQ(sr->SetZDomain(-1000, 9000), S_OK);
    VARIANT_BOOL z = 0;
    sr->HasZPrecision(&z);
    EXPECT_TRUE(z);
    double zmin, zmax;
    sr->GetZDomain(&zmin, &zmax);
    EXPECT_EQ(zmin, -1000);
    EXPECT_NEAR(zmax, 9000, 1e-6);
    ASSERT_EQ(sr->put_MTolerance(0.5), S_OK);
    VARIANT_BOOL m = 0;
    sr->HasMPrecision(&m);
    EXPECT_TRUE(m);

    ComPtr<ISpatialReference> copy;
    ASSERT_EQ(sr->Clone(copy.Out()), S_OK);
    ASSERT_EQ(sr->SetFalseOriginAndUnits(1, 2, 3), S_OK);
    copy->GetFalseOriginAndUnits(&x, &y, &units);
    EXPECT_EQ(x, -180) << "a clone is independent";
    VARIANT_BOOL same = 0;
    ASSERT_EQ(copy->IsSameCoordinateSystem(sr.Get(), &same), S_OK);
    EXPECT_TRUE(same);
    ComPtr<ISpatialReference> utm;
    CreateSpatialReferenceFromText(u"32633", utm.Out());
    copy->IsSameCoordinateSystem(utm.Get(), &same);
    EXPECT_FALSE(same);
}

TEST_F(SpatialReferenceTest, WellKnownTextReadsBack) {
    for (const char16_t* text : {u"4326", u"32633", u"+proj=utm +zone=33 +datum=WGS84 +units=us-ft"}) {
        SCOPED_TRACE(ToUtf8(text));
        ComPtr<ISpatialReference> sr, back;
        ASSERT_EQ(CreateSpatialReferenceFromText(text, sr.Out()), S_OK);
        BStr wkt;
        ASSERT_EQ(sr->ExportToWKT(wkt.Out()), S_OK);
        EXPECT_EQ(wkt.view().find(u'\n'), std::u16string_view::npos) << "one line";
        ASSERT_EQ(CreateSpatialReferenceFromText(wkt.view(), back.Out()), S_OK);
        VARIANT_BOOL same = 0;
        back->IsSameCoordinateSystem(sr.Get(), &same);
        EXPECT_TRUE(same);
    }
}

ComPtr<IStream> NewStream() {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnMemory(nullptr, 0, 0, stream.Out()), S_OK);
    return stream;
}

// The bytes of a stream, from its start.
std::vector<uint8_t> BytesOf(IStream* stream) {
    uint64_t size = 0;
    stream->Seek(0, STREAM_SEEK_END, &size);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    std::vector<uint8_t> bytes(size);
    ULONG read = 0;
    stream->Read(bytes.data(), static_cast<ULONG>(size), &read);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    return bytes;
}

TEST_F(SpatialReferenceTest, StreamFormReadsBackAndRefusesDamage) {
    ComPtr<ISpatialReference> original;
    ASSERT_EQ(CreateSpatialReferenceFromText(u"32633", original.Out()), S_OK);
    original->put_IsHighPrecision(VARIANT_FALSE); // first: the precision decides how far the units reach
    original->SetFalseOriginAndUnits(-5e6, -1e7, 1000);
    original->put_XYTolerance(0.01);
    original->SetZDomain(-100, 900);
    auto stream = NewStream();
    ASSERT_EQ(original.As<IPersistStream>()->Save(stream.Get(), -1), S_OK);
    std::vector<uint8_t> bytes = BytesOf(stream.Get());

    auto loaded = MakeObject<SpatialReference>();
    ASSERT_EQ(loaded->Load(stream.Get()), S_OK);
    VARIANT_BOOL same = 0, z = 0, m = -1, high = -1;
    loaded->IsSameCoordinateSystem(original.Get(), &same);
    EXPECT_TRUE(same);
    double x, y, units, tolerance, zmin, zmax;
    loaded->GetFalseOriginAndUnits(&x, &y, &units), loaded->get_XYTolerance(&tolerance);
    EXPECT_EQ(x, -5e6);
    EXPECT_EQ(y, -1e7);
    EXPECT_EQ(units, 1000);
    EXPECT_EQ(tolerance, 0.01);
    loaded->HasZPrecision(&z), loaded->HasMPrecision(&m), loaded->get_IsHighPrecision(&high);
    EXPECT_TRUE(z);
    EXPECT_FALSE(m);
    EXPECT_FALSE(high);
    loaded->GetZDomain(&zmin, &zmax);
    EXPECT_EQ(zmin, -100);
    EXPECT_NEAR(zmax, 900, 1e-6);

    // Every truncation fails and leaves the object as it was; so does a newer version.
    for (size_t cut : {size_t{0}, size_t{1}, size_t{5}, bytes.size() / 2, bytes.size() - 1}) {
        SCOPED_TRACE(cut);
        ComPtr<IStream> damaged;
        ASSERT_EQ(CreateStreamOnMemory(bytes.data(), static_cast<ULONG>(cut), 0, damaged.Out()), S_OK);
        EXPECT_EQ(loaded->Load(damaged.Get()), E_FAIL);
        loaded->GetFalseOriginAndUnits(&x, &y, &units);
        EXPECT_EQ(units, 1000);
    }
    std::vector<uint8_t> newer = bytes;
    newer[0] = 2;
    ComPtr<IStream> newerStream;
    CreateStreamOnMemory(newer.data(), static_cast<ULONG>(newer.size()), 0, newerStream.Out());
    EXPECT_EQ(loaded->Load(newerStream.Get()), E_FAIL);
}

using EnvelopeTest = LeakCheckedTest;

TEST_F(EnvelopeTest, CloneAssignAndStreamForm) {
    ComPtr<ISpatialReference> wgs84;
    CreateSpatialReferenceFromText(u"4326", wgs84.Out());
    ComPtr<IEnvelope> envelope;
    ASSERT_EQ(CreateEnvelope(1, 2, 3, 4, wgs84.Get(), envelope.Out()), S_OK);
    ComPtr<IClone> copy;
    ASSERT_EQ(envelope.As<IClone>()->Clone(copy.Out()), S_OK);
    VARIANT_BOOL equal = 0, identical = -1;
    copy->IsEqual(envelope.As<IClone>().Get(), &equal);
    copy->IsIdentical(envelope.As<IClone>().Get(), &identical);
    EXPECT_TRUE(equal);
    EXPECT_FALSE(identical);
    envelope->PutCoords(0, 0, 1, 1);
    copy->IsEqual(envelope.As<IClone>().Get(), &equal);
    EXPECT_FALSE(equal) << "a clone is independent";
    ASSERT_EQ(copy->Assign(envelope.As<IClone>().Get()), S_OK);
    copy->IsEqual(envelope.As<IClone>().Get(), &equal);
    EXPECT_TRUE(equal);

    // Without a spatial reference the stream form needs no class lookup and reads back alone.
    for (bool empty : {false, true}) {
        SCOPED_TRACE(empty);
        ComPtr<IEnvelope> plain;
        CreateEnvelope(-1.5, 2, 3, 1e300, nullptr, plain.Out());
        if (empty)
            plain->SetEmpty();
        auto stream = NewStream();
        ASSERT_EQ(plain.As<IPersistStream>()->Save(stream.Get(), -1), S_OK);
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        auto loaded = MakeObject<Envelope>();
        loaded->PutCoords(7, 7, 8, 8);
        ASSERT_EQ(loaded->Load(stream.Get()), S_OK);
        loaded->IsEqual(plain.Get(), &equal);
        EXPECT_TRUE(equal);
    }
    auto broken = NewStream();
    AfStreamWrite(broken.Get(), int16_t{1});
    for (double value : {3.0, 0.0, 1.0, 1.0}) // xmin above xmax
        AfStreamWrite(broken.Get(), value);
    AfStreamWrite(broken.Get(), int16_t{0});
    AfStreamWrite(broken.Get(), GUID{});
    broken->Seek(0, STREAM_SEEK_SET, nullptr);
    auto loaded = MakeObject<Envelope>();
    EXPECT_EQ(loaded->Load(broken.Get()), E_FAIL);
    VARIANT_BOOL isEmpty = 0;
    loaded->get_IsEmpty(&isEmpty);
    EXPECT_TRUE(isEmpty) << "a refused stream changes nothing";
}

TEST_F(EnvelopeTest, EmptyCoordinatesAndRefusedRectangles) {
    ComPtr<IEnvelope> envelope;
    ASSERT_EQ(CreateEnvelope(envelope.Out()), S_OK);
    VARIANT_BOOL empty = 0;
    envelope->get_IsEmpty(&empty);
    EXPECT_TRUE(empty);
    double xmin = 0;
    envelope->get_XMin(&xmin);
    EXPECT_TRUE(std::isnan(xmin));
    EXPECT_EQ(envelope->PutCoords(1, 2, 0, 4), E_INVALIDARG) << "xmin above xmax";
    EXPECT_EQ(envelope->PutCoords(NAN, 2, 3, 4), E_INVALIDARG);
    envelope->get_IsEmpty(&empty);
    EXPECT_TRUE(empty) << "a refused rectangle changes nothing";
    ASSERT_EQ(envelope->PutCoords(1, 2, 4, 8), S_OK);
    double width = 0, height = 0;
    envelope->get_Width(&width), envelope->get_Height(&height);
    EXPECT_EQ(width, 3);
    EXPECT_EQ(height, 6);
    ComPtr<IEnvelope> other;
    ASSERT_EQ(CreateEnvelope(1, 2, 4, 8, nullptr, other.Out()), S_OK);
    VARIANT_BOOL equal = 0;
    envelope->IsEqual(other.Get(), &equal);
    EXPECT_TRUE(equal);
    other->SetEmpty();
    envelope->IsEqual(other.Get(), &equal);
    EXPECT_FALSE(equal);
}

struct PathCase {
    const char16_t* input;
    const char16_t* pathName;
    const char16_t* path;
    const char16_t* file;
    const char16_t* baseName;
    const char16_t* extension;
};

TEST(GPCatalogPathTest, SplitsPaths) {
    const PathCase cases[] = {
        {u"roads.shp", u"roads.shp", u"", u"roads.shp", u"roads", u"shp"},
        {u"/data/city.gpkg/roads", u"/data/city.gpkg/roads", u"/data/city.gpkg", u"roads", u"roads", u""},
        {u"C:\\gis\\data.gdb\\parcels", u"C:/gis/data.gdb/parcels", u"C:/gis/data.gdb", u"parcels", u"parcels", u""},
        {u"/data//dem.tif/", u"/data/dem.tif", u"/data", u"dem.tif", u"dem", u"tif"},
        {u"/a.b/c", u"/a.b/c", u"/a.b", u"c", u"c", u""}, // a point in a folder starts no extension
        {u"/data/.hidden", u"/data/.hidden", u"/data", u".hidden", u".hidden", u""},
        {u"/x.tar.gz", u"/x.tar.gz", u"/", u"x.tar.gz", u"x.tar", u"gz"},
        {u"/", u"/", u"", u"", u"", u""},
        {u"Straße Ö.shp", u"Straße Ö.shp", u"", u"Straße Ö.shp", u"Straße Ö", u"shp"},
        {u"", u"", u"", u"", u"", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.input));
        GPCatalogPath path(c.input);
        EXPECT_EQ(path.GetPathName(), c.pathName);
        EXPECT_EQ(path.GetPath(), c.path);
        EXPECT_EQ(path.GetFile(), c.file);
        EXPECT_EQ(path.GetBaseName(), c.baseName);
        EXPECT_EQ(path.GetExtension(), c.extension);
    }
}

} // namespace
} // namespace tavi::test
