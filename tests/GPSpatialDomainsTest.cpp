// The XY, Z and M range values: text forms read and written, bad texts and bounds, equality and copies, the stream
// and XML forms (with damaged ones), and the data types.
#include "TestSupport.h"

#include "host/CreateInstance.h"
#include "host/DocumentVersion.h"
#include "host/StreamIO.h"
#include "tavi/Entry.h"
#include "tavi/GPSpatialReferenceValues.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

namespace tavi::test {
namespace {

class GPSpatialDomainsTest : public ModuleClassesTest {
protected:
    static ComPtr<IGPValue> Create(REFCLSID clsid) {
        ComPtr<IGPValue> made;
        EXPECT_EQ(AfCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IGPValue::iid, made.OutVoid()), S_OK);
        return made;
    }
    // SetAsText's message code (0 for none).
    static int32_t Set(IGPValue* value, const char16_t* text) {
        ComPtr<IGPMessage> message;
        EXPECT_EQ(value->SetAsText(text, message.Out()), S_OK);
        int32_t code = -1;
        message->get_ErrorCode(&code);
        return code;
    }
    static String Text(IGPValue* value) {
        BStr text;
        EXPECT_EQ(value->GetAsText(text.Out()), S_OK);
        return text.str();
    }
    static bool IsEmpty(IGPValue* value) {
        VARIANT_BOOL empty = 0;
        EXPECT_EQ(value->IsEmpty(&empty), S_OK);
        return empty != VARIANT_FALSE;
    }
    static bool Equal(IGPValue* a, IGPValue* b) {
        VARIANT_BOOL equal = VARIANT_FALSE;
        EXPECT_EQ(QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal), S_OK);
        return equal != VARIANT_FALSE;
    }
    static ComPtr<IStream> NewStream() {
        ComPtr<IStream> stream;
        EXPECT_EQ(CreateStreamOnMemory(nullptr, 0, docversion::kCurrent, stream.Out()), S_OK);
        return stream;
    }
};

struct TextCase {
    const CLSID* clsid;
    const char16_t* text;
    const char16_t* printed; // null: the text is refused (error 701, value unchanged)
};
const TextCase kTexts[] = {
    {&CLSID_GPXYDomain, u"0 0 100 50", u"0 0 100 50"},
    {&CLSID_GPXYDomain, u"  -180   -90 180 90 ", u"-180 -90 180 90"}, // blanks around and between
    {&CLSID_GPXYDomain, u"0.1 1e-3 2.5 1e6", u"0.1 0.001 2.5 1000000"},
    {&CLSID_GPXYDomain, u"0 0 100", nullptr},        // three numbers
    {&CLSID_GPXYDomain, u"0 0 100 50 7", nullptr},   // five numbers
    {&CLSID_GPXYDomain, u"100 0 0 50", nullptr},     // XMin above XMax
    {&CLSID_GPXYDomain, u"0 5 1 5", nullptr},        // an empty Y range
    {&CLSID_GPXYDomain, u"a b c d", nullptr},        // no numbers
    {&CLSID_GPXYDomain, u"0 0 Infinity 1", nullptr}, // not finite
    {&CLSID_GPZDomain, u"-100 9000", u"-100 9000"},
    {&CLSID_GPZDomain, u"9000 -100", nullptr},
    {&CLSID_GPZDomain, u"1", nullptr},
    {&CLSID_GPMDomain, u"0 1.5", u"0 1.5"},
    {&CLSID_GPMDomain, u"NaN 1", nullptr},
};

TEST_F(GPSpatialDomainsTest, TextForms) {
    for (const auto& c : kTexts) {
        SCOPED_TRACE(ToUtf8(c.text));
        auto value = Create(*c.clsid);
        const char16_t* before = *c.clsid == CLSID_GPXYDomain ? u"1 2 3 4" : u"1 2";
        ASSERT_EQ(Set(value.Get(), before), 0);
        int32_t code = Set(value.Get(), c.text);
        if (c.printed) {
            EXPECT_EQ(code, 0);
            EXPECT_EQ(ToUtf8(Text(value.Get())), ToUtf8(c.printed));
            auto again = Create(*c.clsid);
            EXPECT_EQ(Set(again.Get(), Text(value.Get()).c_str()), 0);
            EXPECT_TRUE(Equal(again.Get(), value.Get()));
        } else {
            EXPECT_EQ(code, 701);
            EXPECT_EQ(Text(value.Get()), before); // left as it was
        }
    }
}

TEST_F(GPSpatialDomainsTest, RangeInterfaces) {
    auto xy = Create(CLSID_GPXYDomain);
    auto range = QueryAs<IGPXYDomain>(xy.Get());
    double v[4] = {9, 9, 9, 9};
    EXPECT_EQ(range->QueryXYDomain(&v[0], &v[1], &v[2], &v[3]), S_FALSE);
    EXPECT_EQ(v[0], 0);
    EXPECT_EQ(range->QueryXYDomain(nullptr, &v[1], &v[2], &v[3]), E_POINTER);
    EXPECT_EQ(range->PutXYDomain(0, 0, 0, 1), E_INVALIDARG);
    EXPECT_TRUE(IsEmpty(xy.Get()));
    ASSERT_EQ(range->PutXYDomain(-1, -2, 3, 4), S_OK);
    EXPECT_FALSE(IsEmpty(xy.Get()));
    ASSERT_EQ(range->QueryXYDomain(&v[0], &v[1], &v[2], &v[3]), S_OK);
    EXPECT_EQ(v[1], -2);
    EXPECT_EQ(v[2], 3);
    ASSERT_EQ(Set(xy.Get(), u""), 0);
    EXPECT_TRUE(IsEmpty(xy.Get()));

    auto m = Create(CLSID_GPMDomain);
    double lo = 0, hi = 0;
    ASSERT_EQ(QueryAs<IGPMDomain>(m.Get())->PutMDomain(2, 3), S_OK);
    ASSERT_EQ(QueryAs<IGPMDomain>(m.Get())->QueryMDomain(&lo, &hi), S_OK);
    EXPECT_EQ(lo, 2);
    EXPECT_EQ(hi, 3);
}

TEST_F(GPSpatialDomainsTest, EqualityAndCopies) {
    auto a = Create(CLSID_GPZDomain);
    auto b = Create(CLSID_GPZDomain);
    EXPECT_TRUE(Equal(a.Get(), b.Get())); // both empty
    Set(a.Get(), u"0 10");
    EXPECT_FALSE(Equal(a.Get(), b.Get()));
    ComPtr<IClone> copy;
    ASSERT_EQ(QueryAs<IClone>(a.Get())->Clone(copy.Out()), S_OK);
    EXPECT_TRUE(Equal(QueryAs<IGPValue>(copy.Get()).Get(), a.Get()));
    Set(b.Get(), u"0 11");
    EXPECT_FALSE(Equal(a.Get(), b.Get()));
    // A Z range and an M range with the same numbers are different kinds.
    auto m = Create(CLSID_GPMDomain);
    Set(m.Get(), u"0 10");
    EXPECT_FALSE(Equal(m.Get(), a.Get()));
    EXPECT_EQ(QueryAs<IClone>(m.Get())->Assign(QueryAs<IClone>(a.Get()).Get()), E_INVALIDARG);
}

TEST_F(GPSpatialDomainsTest, StreamAndXmlFormsReadBack) {
    const std::pair<const CLSID*, const char16_t*> cases[] = {
        {&CLSID_GPXYDomain, u"-0.5 1e-300 2 1e300"},
        {&CLSID_GPXYDomain, u""},
        {&CLSID_GPZDomain, u"-100 100"},
        {&CLSID_GPMDomain, u"0.1 0.3"},
        {&CLSID_GPMDomain, u""},
    };
    for (const auto& [clsid, text] : cases) {
        SCOPED_TRACE(ToUtf8(text));
        auto value = Create(*clsid);
        ASSERT_EQ(Set(value.Get(), text), 0);
        auto stream = NewStream();
        ASSERT_EQ(QueryAs<IPersistStream>(value.Get())->Save(stream.Get(), 1), S_OK);
        ASSERT_EQ(stream->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
        auto fromStream = Create(*clsid);
        Set(fromStream.Get(), *clsid == CLSID_GPXYDomain ? u"1 1 2 2" : u"1 2");
        ASSERT_EQ(QueryAs<IPersistStream>(fromStream.Get())->Load(stream.Get()), S_OK);
        EXPECT_TRUE(Equal(fromStream.Get(), value.Get()));
        EXPECT_EQ(Text(fromStream.Get()), Text(value.Get()));

        BStr xml;
        ASSERT_EQ(TaviXmlSerialize(value.Get(), nullptr, xml.Out()), S_OK);
        auto fromXml = Create(*clsid);
        ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), fromXml.Get()), S_OK) << ToUtf8(xml.view());
        EXPECT_TRUE(Equal(fromXml.Get(), value.Get()));
    }
}

TEST_F(GPSpatialDomainsTest, DamagedFormsAreRefused) {
    // A stream that says "not empty" but holds an inverted range, and one cut short.
    auto inverted = NewStream();
    AfStreamWrite(inverted.Get(), int16_t{1});
    AfStreamWrite(inverted.Get(), int16_t{VARIANT_FALSE});
    AfStreamWrite(inverted.Get(), 5.0);
    AfStreamWrite(inverted.Get(), 1.0);
    auto cut = NewStream();
    AfStreamWrite(cut.Get(), int16_t{1});
    AfStreamWrite(cut.Get(), int16_t{VARIANT_FALSE});
    AfStreamWrite(cut.Get(), 5.0);
    auto newer = NewStream();
    AfStreamWrite(newer.Get(), int16_t{2});
    for (IStream* stream : {inverted.Get(), cut.Get(), newer.Get()}) {
        ASSERT_EQ(stream->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
        auto value = Create(CLSID_GPZDomain);
        EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->Load(stream), E_FAIL);
    }

    auto value = Create(CLSID_GPZDomain);
    Set(value.Get(), u"0 10");
    BStr xml;
    ASSERT_EQ(TaviXmlSerialize(value.Get(), nullptr, xml.Out()), S_OK);
    String swapped = xml.str();
    size_t at = swapped.find(u"ZMax");
    ASSERT_NE(at, String::npos);
    swapped.replace(at, 4, u"ZTop"); // the maximum is missing
    EXPECT_EQ(TaviXmlDeserialize(swapped.c_str(), Create(CLSID_GPZDomain).Get()), E_FAIL);
}

TEST_F(GPSpatialDomainsTest, DataTypes) {
    const std::pair<const CLSID*, const char16_t*> types[] = {{&CLSID_GPXYDomainType, u"GPXYDomain"},
                                                              {&CLSID_GPZDomainType, u"GPZDomain"},
                                                              {&CLSID_GPMDomainType, u"GPMDomain"}};
    for (const auto& [clsid, name] : types) {
        SCOPED_TRACE(ToUtf8(name));
        ComPtr<IGPDataType> type;
        ASSERT_EQ(AfCreateInstance(*clsid, nullptr, CLSCTX_INPROC_SERVER, IGPDataType::iid, type.OutVoid()), S_OK);
        BStr got;
        ASSERT_EQ(type->get_Name(got.Out()), S_OK);
        EXPECT_EQ(got.view(), name);
        ComPtr<IGPValue> value;
        EXPECT_EQ(type->CreateValue(u"1 2 3", value.Out()), S_FALSE); // no kind reads three numbers
        ASSERT_TRUE(value);
        EXPECT_TRUE(IsEmpty(value.Get()));
    }
}

} // namespace
} // namespace tavi::test
