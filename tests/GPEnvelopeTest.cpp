// The envelope value and its data type: the text form, the coordinate properties over the inner envelope, sharing
// of the envelope, the stream and XML forms with a coordinate system, comparison and copying.
#include "TestSupport.h"

#include "host/CreateInstance.h"
#include "host/DocumentVersion.h"
#include "host/Envelope.h"
#include "host/SpatialReference.h"
#include "host/StreamIO.h"
#include "host/XmlSerialize.h"
#include "platform/Locale.h"
#include "platform/Utf.h"
#include "tavi/Entry.h"
#include "tavi/GPExtent.h"
#include "tavi/GPScalar.h"
#include "tavi/Stream.h"

#include <cmath>

namespace tavi::test {
namespace {

class GPEnvelopeTest : public ModuleClassesTest {
protected:
    static ComPtr<IGPEnvelope> NewEnvelope(double xmin, double ymin, double xmax, double ymax) {
        auto value = Create<IGPEnvelope>(CLSID_GPEnvelope);
        EXPECT_EQ(value->PutCoords(xmin, ymin, xmax, ymax), S_OK);
        return value;
    }
};

String AsText(IUnknown* value) {
    BStr text;
    EXPECT_EQ(QueryAs<IGPValue>(value)->GetAsText(text.Out()), S_OK);
    return text.str();
}
bool IsEmpty(IUnknown* value) {
    VARIANT_BOOL empty = VARIANT_FALSE;
    EXPECT_EQ(QueryAs<IGPValue>(value)->IsEmpty(&empty), S_OK);
    return empty != VARIANT_FALSE;
}
bool Equal(IUnknown* a, IUnknown* b) {
    VARIANT_BOOL equal = VARIANT_TRUE;
    EXPECT_EQ(QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal), S_OK);
    return equal != VARIANT_FALSE;
}
int32_t ErrorCode(IGPMessage* message) {
    int32_t type = -1, code = -1;
    message->get_Type(&type);
    message->get_ErrorCode(&code);
    return type == 100 ? code : 0;
}
struct Coords {
    double xmin, ymin, xmax, ymax;
};
Coords CoordsOf(IGPEnvelope* value) {
    Coords c{};
    EXPECT_EQ(value->get_XMin(&c.xmin), S_OK);
    EXPECT_EQ(value->get_YMin(&c.ymin), S_OK);
    EXPECT_EQ(value->get_XMax(&c.xmax), S_OK);
    EXPECT_EQ(value->get_YMax(&c.ymax), S_OK);
    return c;
}

TEST_F(GPEnvelopeTest, TextReadsFourNumbersAndKeepsTheOldRectangleOnBadText) {
    struct Case {
        const char16_t* text;
        int32_t code;
        const char16_t* asText; // after a start of "10 20 30 40"
        const char* reason;
    };
    const Case cases[] = {
        {u"1 2 3 4", 0, u"1 2 3 4", "XMin YMin XMax YMax in that order"},
        {u"  -1.5   2e3 3.25 2001  ", 0, u"-1.5 2000 3.25 2001", "runs of blanks, signs and exponents"},
        {u"1,5 2 3 4", 0, u"1.5 2 3 4", "a comma reads as the decimal point"},
        {u"1 2 3 4 5 6", 0, u"1 2 3 4", "tokens after the fourth are ignored"},
        {u"1 2 3", 829, u"10 20 30 40", "three numbers: error, rectangle kept"},
        {u"1 2 x 4", 829, u"10 20 30 40", "a token that is no number"},
        {u"   ", 829, u"10 20 30 40", "blanks only are no numbers"},
        {u"3 4 1 2", 829, u"10 20 30 40", "a minimum above its maximum is refused, not stored"},
        {u"", 0, u"", "the empty text empties the value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto value = NewEnvelope(10, 20, 30, 40);
        ComPtr<IGPMessage> message;
        ASSERT_EQ(QueryAs<IGPValue>(value.Get())->SetAsText(c.text, message.Out()), S_OK);
        ASSERT_TRUE(message);
        EXPECT_EQ(ErrorCode(message.Get()), c.code);
        EXPECT_EQ(AsText(value.Get()), c.asText);
        EXPECT_EQ(IsEmpty(value.Get()), *c.asText == 0);
    }
    auto value = Create<IGPValue>(CLSID_GPEnvelope);
    EXPECT_EQ(value->SetAsText(u"1 2 3 4", nullptr), E_POINTER);
}

TEST_F(GPEnvelopeTest, TextReadsBackInACommaLocale) {
    struct LocaleScope {
        LCID saved = GetUserDefaultLCID();
        ~LocaleScope() { locale::SetUserDefaultLocaleForTesting(saved); }
    } restore;
    locale::SetUserDefaultLocaleForTesting(1031);
    auto value = NewEnvelope(-1.5, 0.125, 2, 1e6);
    String text = AsText(value.Get());
    EXPECT_EQ(text, u"-1,5 0,125 2 1000000");
    auto back = Create<IGPValue>(CLSID_GPEnvelope);
    ComPtr<IGPMessage> message;
    ASSERT_EQ(back->SetAsText(text.c_str(), message.Out()), S_OK);
    EXPECT_EQ(ErrorCode(message.Get()), 0);
    EXPECT_TRUE(Equal(back.Get(), value.Get()));
}

TEST_F(GPEnvelopeTest, CoordinatesGoToTheSharedInnerEnvelope) {
    auto value = Create<IGPEnvelope>(CLSID_GPEnvelope);
    EXPECT_TRUE(IsEmpty(value.Get()));
    EXPECT_TRUE(std::isnan(CoordsOf(value.Get()).xmin)); // an empty envelope has no coordinates
    ASSERT_EQ(value->PutCoords(1, 2, 3, 4), S_OK);
    auto c = CoordsOf(value.Get());
    EXPECT_EQ(c.xmin, 1);
    EXPECT_EQ(c.ymin, 2);
    EXPECT_EQ(c.xmax, 3);
    EXPECT_EQ(c.ymax, 4);
    EXPECT_EQ(value->get_XMin(nullptr), E_POINTER);

    // The envelope handed out is the inner one: changing it changes the value.
    ComPtr<IEnvelope> inner;
    ASSERT_EQ(value->get_Envelope(inner.Out()), S_OK);
    inner->put_XMax(9);
    EXPECT_EQ(AsText(value.Get()), u"1 2 9 4");

    // An envelope put by reference is kept, not copied; null empties the value.
    ComPtr<IEnvelope> other;
    ASSERT_EQ(CreateEnvelope(5, 6, 7, 8, nullptr, other.Out()), S_OK);
    ASSERT_EQ(value->putref_Envelope(other.Get()), S_OK);
    other->put_YMin(0);
    EXPECT_EQ(AsText(value.Get()), u"5 0 7 8");
    ASSERT_EQ(value->putref_Envelope(nullptr), S_OK);
    EXPECT_TRUE(IsEmpty(value.Get()));
    EXPECT_EQ(AsText(value.Get()), u"");

    // The extent interface answers a rectangle with the inner envelope.
    value->PutCoords(1, 1, 2, 2);
    int32_t type = 0;
    ComPtr<IEnvelope> extent;
    ASSERT_EQ(QueryAs<IGPExtent>(value.Get())->get_Extent(&type, extent.Out()), S_OK);
    EXPECT_EQ(type, 3);
    ComPtr<IEnvelope> again;
    value->get_Envelope(again.Out());
    EXPECT_EQ(extent.Get(), again.Get());
}

TEST_F(GPEnvelopeTest, PutExtentTakesTheRectangleOfAnEnvelopeOrFails) {
    auto value = NewEnvelope(0, 0, 1, 1);
    ComPtr<IEnvelope> source;
    ASSERT_EQ(CreateEnvelope(3, 4, 5, 6, nullptr, source.Out()), S_OK);
    Variant given;
    given.vt = VT_UNKNOWN;
    given.punkVal = QueryAs<IUnknown>(source.Get()).Detach();
    auto extent = QueryAs<IGPExtent>(value.Get());
    ASSERT_EQ(extent->put_Extent(3, given, Variant()), S_OK);
    EXPECT_EQ(AsText(value.Get()), u"3 4 5 6");
    Variant itself;
    itself.vt = VT_UNKNOWN;
    itself.punkVal = QueryAs<IUnknown>(value.Get()).Detach();
    ASSERT_EQ(extent->put_Extent(3, itself, Variant()), S_OK); // read before the value is emptied
    EXPECT_EQ(AsText(value.Get()), u"3 4 5 6");
    EXPECT_EQ(extent->put_Extent(3, Variant(), Variant()), E_FAIL); // no source object
    EXPECT_TRUE(IsEmpty(value.Get()));
    EXPECT_EQ(extent->put_Extent(1, Variant(), Variant()), S_OK); // a keyword gives no rectangle
    EXPECT_TRUE(IsEmpty(value.Get()));
}

TEST_F(GPEnvelopeTest, StreamAndXmlFormsKeepCoordinatesAndCoordinateSystem) {
    ComPtr<ISpatialReference> utm;
    ASSERT_EQ(CreateSpatialReferenceFromText(u"EPSG:32633", utm.Out()), S_OK);
    ComPtr<IEnvelope> inner;
    ASSERT_EQ(CreateEnvelope(500000.25, 4e6, 600000, 4.1e6, utm.Get(), inner.Out()), S_OK);
    auto full = Create<IGPEnvelope>(CLSID_GPEnvelope);
    full->putref_Envelope(inner.Get());
    auto empty = Create<IGPEnvelope>(CLSID_GPEnvelope);

    for (IGPEnvelope* original : {full.Get(), empty.Get()}) {
        SCOPED_TRACE(ToUtf8(AsText(original)));
        ComPtr<IStream> stream;
        ASSERT_EQ(CreateStreamOnMemory(nullptr, 0, docversion::kCurrent, stream.Out()), S_OK);
        ASSERT_EQ(QueryAs<IPersistStream>(original)->Save(stream.Get(), 1), S_OK);
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        auto loaded = Create<IGPEnvelope>(CLSID_GPEnvelope);
        ASSERT_EQ(QueryAs<IPersistStream>(loaded.Get())->Load(stream.Get()), S_OK);
        EXPECT_TRUE(Equal(original, loaded.Get()));
        EXPECT_EQ(IsEmpty(loaded.Get()), IsEmpty(original));

        String xml;
        ASSERT_EQ(XmlSerializeObject(original, nullptr, &xml), S_OK);
        auto read = NewEnvelope(7, 7, 8, 8); // content that the document must replace
        ASSERT_EQ(XmlDeserializeObject(xml, read.Get()), S_OK);
        EXPECT_TRUE(Equal(original, read.Get()));
        EXPECT_EQ(AsText(read.Get()), AsText(original));

        for (IGPEnvelope* back : {loaded.Get(), read.Get()}) {
            ComPtr<IEnvelope> backInner;
            back->get_Envelope(backInner.Out());
            ComPtr<ISpatialReference> system;
            backInner->get_SpatialReference(system.Out());
            if (original == full.Get()) {
                ASSERT_TRUE(system);
                VARIANT_BOOL same = VARIANT_FALSE;
                system->IsSameCoordinateSystem(utm.Get(), &same);
                EXPECT_TRUE(same);
            }
        }
    }
}

TEST_F(GPEnvelopeTest, BrokenStreamsAndDocumentsFail) {
    auto value = NewEnvelope(1, 2, 3, 4);
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnMemory(nullptr, 0, docversion::kCurrent, stream.Out()), S_OK);
    ASSERT_EQ(QueryAs<IPersistStream>(value.Get())->Save(stream.Get(), 1), S_OK);
    STATSTG stat{};
    stream->Stat(&stat, 0);
    std::vector<uint8_t> bytes(stat.cbSize);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
    for (size_t cut = 0; cut < bytes.size(); cut += 7) {
        ComPtr<IStream> part;
        ASSERT_EQ(CreateStreamOnMemory(bytes.data(), static_cast<ULONG>(cut), docversion::kCurrent, part.Out()), S_OK);
        auto loaded = Create<IGPEnvelope>(CLSID_GPEnvelope);
        EXPECT_EQ(QueryAs<IPersistStream>(loaded.Get())->Load(part.Get()), E_FAIL) << "cut at " << cut;
    }
    bytes[0] = 2; // a newer version
    ComPtr<IStream> newer;
    ASSERT_EQ(CreateStreamOnMemory(bytes.data(), static_cast<ULONG>(bytes.size()), docversion::kCurrent, newer.Out()),
              S_OK);
    auto loaded = Create<IGPEnvelope>(CLSID_GPEnvelope);
    EXPECT_EQ(QueryAs<IPersistStream>(loaded.Get())->Load(newer.Get()), E_FAIL);

    String xml;
    ASSERT_EQ(XmlSerializeObject(value.Get(), nullptr, &xml), S_OK);
    for (auto [from, to] : {std::pair<String, String>{u">3<", u">abc<"}, {u">1<", u">9<"}}) {
        String broken = xml;
        broken.replace(broken.find(from), from.size(), to);
        auto read = Create<IGPEnvelope>(CLSID_GPEnvelope);
        EXPECT_EQ(XmlDeserializeObject(broken, read.Get()), E_FAIL); // no number; XMin above XMax
    }
}

TEST_F(GPEnvelopeTest, AssignCopiesAndEqualityComparesCoordinates) {
    auto a = NewEnvelope(1, 2, 3, 4);
    auto b = Create<IGPEnvelope>(CLSID_GPEnvelope);
    ASSERT_EQ(QueryAs<IClone>(b.Get())->Assign(QueryAs<IClone>(a.Get()).Get()), S_OK);
    EXPECT_TRUE(Equal(a.Get(), b.Get()));
    a->put_XMin(0); // the copy does not follow its source
    EXPECT_FALSE(Equal(a.Get(), b.Get()));
    EXPECT_EQ(AsText(b.Get()), u"1 2 3 4");
    auto empty1 = Create<IGPEnvelope>(CLSID_GPEnvelope);
    auto empty2 = Create<IGPEnvelope>(CLSID_GPEnvelope);
    EXPECT_TRUE(Equal(empty1.Get(), empty2.Get()));
    EXPECT_FALSE(Equal(empty1.Get(), b.Get()));
    auto number = Create<IClone>(CLSID_GPDouble);
    EXPECT_EQ(QueryAs<IClone>(b.Get())->Assign(number.Get()), E_INVALIDARG);
    EXPECT_FALSE(Equal(b.Get(), number.Get()));
}

TEST_F(GPEnvelopeTest, DataTypeNamesAndCreatesEnvelopes) {
    auto type = Create<IGPDataType>(CLSID_GPEnvelopeType);
    BStr name;
    type->get_Name(name.Out());
    EXPECT_EQ(name.view(), u"GPEnvelope");
    ComPtr<IGPValue> value;
    EXPECT_EQ(type->CreateValue(u"1 2 3 4", value.Out()), S_OK);
    EXPECT_EQ(AsText(value.Get()), u"1 2 3 4");
    ComPtr<IGPValue> bad;
    EXPECT_EQ(type->CreateValue(u"1 2", bad.Out()), S_FALSE);
    ComPtr<IGPMessage> message;
    ASSERT_EQ(type->ValidateValue(value.Get(), nullptr, message.Out()), S_OK);
    EXPECT_EQ(ErrorCode(message.Get()), 0);
}

} // namespace
} // namespace tavi::test
