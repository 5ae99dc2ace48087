// The numeric domain: the verdict on doubles, longs and linear units against its limits, the limits themselves,
// the stream and XML forms (with the lower bound's flag carried twice in XML), cloning and comparison.
#include "TestSupport.h"

#include "host/CreateInstance.h"
#include "host/DocumentVersion.h"
#include "host/Message.h"
#include "host/StreamIO.h"
#include "tavi/Entry.h"
#include "tavi/GPDomains.h"
#include "tavi/GPScalar.h"
#include "tavi/GPUnits.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

#include <cmath>
#include <functional>
#include <limits>
#include <regex>

namespace tavi::test {
namespace {

constexpr double kMax = std::numeric_limits<double>::max();

class NumericDomainTest : public ModuleClassesTest {};

template <class I> ComPtr<I> Create(REFCLSID clsid) {
    ComPtr<I> made;
    EXPECT_EQ(AfCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, I::iid, made.OutVoid()), S_OK);
    return made;
}

ComPtr<IGPValue> Double(double number) {
    auto value = Create<IGPDouble>(CLSID_GPDouble);
    EXPECT_EQ(value->put_Value(number), S_OK);
    return QueryAs<IGPValue>(value.Get());
}

ComPtr<IGPValue> Long(int32_t number) {
    auto value = Create<IGPLong>(CLSID_GPLong);
    EXPECT_EQ(value->put_Value(number), S_OK);
    return QueryAs<IGPValue>(value.Get());
}

ComPtr<IGPValue> FromText(REFCLSID clsid, const char16_t* text) {
    auto value = Create<IGPValue>(clsid);
    ComPtr<IGPMessage> message;
    EXPECT_EQ(value->SetAsText(text, message.Out()), S_OK);
    return value;
}

// The five fields, for comparing domains field by field.
struct Fields {
    VARIANT_BOOL allowEmpty;
    double lowLimit;
    VARIANT_BOOL inclusive;
    VARIANT_BOOL allowHighLimit;
    double highLimit;
    bool operator==(const Fields&) const = default;
};

Fields Read(IGPNumericDomain* domain) {
    Fields f{};
    EXPECT_EQ(domain->get_AllowEmpty(&f.allowEmpty), S_OK);
    EXPECT_EQ(domain->get_LowLimit(&f.lowLimit), S_OK);
    EXPECT_EQ(domain->get_Inclusive(&f.inclusive), S_OK);
    EXPECT_EQ(domain->get_HighLimit(&f.allowHighLimit, &f.highLimit), S_OK);
    return f;
}

ComPtr<IGPNumericDomain> NewDomain(const Fields& f) {
    auto domain = Create<IGPNumericDomain>(CLSID_GPNumericDomain);
    domain->put_AllowEmpty(f.allowEmpty);
    domain->put_LowLimit(f.lowLimit);
    domain->put_Inclusive(f.inclusive);
    domain->put_HighLimit(f.allowHighLimit, f.highLimit);
    return domain;
}

VARIANT_BOOL Equal(IUnknown* a, IUnknown* b) {
    VARIANT_BOOL equal = 7;
    EXPECT_EQ(QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal), S_OK);
    return equal;
}

ComPtr<IStream> NewStream() {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnMemory(nullptr, 0, docversion::kCurrent, stream.Out()), S_OK);
    return stream;
}

TEST_F(NumericDomainTest, NewDomainLimits) {
    auto domain = Create<IGPNumericDomain>(CLSID_GPNumericDomain);
    EXPECT_EQ(Read(domain.Get()), (Fields{VARIANT_TRUE, 0.0, VARIANT_FALSE, VARIANT_FALSE, kMax}));
    EXPECT_EQ(QueryAs<IPersistStream>(domain.Get())->IsDirty(), S_FALSE);
    double limit = 0;
    VARIANT_BOOL flag = 0;
    EXPECT_EQ(domain->get_AllowEmpty(nullptr), E_POINTER);
    EXPECT_EQ(domain->get_LowLimit(nullptr), E_POINTER);
    EXPECT_EQ(domain->get_Inclusive(nullptr), E_POINTER);
    EXPECT_EQ(domain->get_HighLimit(nullptr, &limit), E_POINTER);
    EXPECT_EQ(domain->get_HighLimit(&flag, nullptr), E_POINTER);
    // A changed limit must reach a document that saves only what changed.
    EXPECT_EQ(domain->put_LowLimit(1), S_OK);
    EXPECT_EQ(QueryAs<IPersistStream>(domain.Get())->IsDirty(), S_OK);
}

TEST_F(NumericDomainTest, MemberOfVerdicts) {
    const Fields fresh{VARIANT_TRUE, 0.0, VARIANT_FALSE, VARIANT_FALSE, kMax};
    auto with = [](Fields f, auto change) {
        change(f);
        return f;
    };
    const Fields lowFiveInclusive = with(fresh, [](Fields& f) {
        f.lowLimit = 5;
        f.inclusive = VARIANT_TRUE;
    });
    const Fields highTenExclusive = with(fresh, [](Fields& f) { f.highLimit = 10; });
    const Fields highTenInclusive = with(highTenExclusive, [](Fields& f) { f.allowHighLimit = VARIANT_TRUE; });
    const Fields noEmpty = with(fresh, [](Fields& f) { f.allowEmpty = VARIANT_FALSE; });
    const Fields highThree = with(fresh, [](Fields& f) { f.highLimit = 3; });
    const Fields lowFiveFlagOne = with(lowFiveInclusive, [](Fields& f) { f.inclusive = 1; });
    struct Case {
        const char* reason;
        Fields fields;
        std::function<ComPtr<IGPValue>()> value;
        int32_t code;
    };
    const Case cases[] = {
        {"new domain refuses 0", fresh, [] { return Double(0); }, 892},
        {"new domain accepts a tiny number", fresh, [] { return Double(0.0001); }, 0},
        {"new domain accepts an empty double", fresh, [] { return Create<IGPValue>(CLSID_GPDouble); }, 0},
        {"the largest double is the excluded high limit", fresh, [] { return Double(kMax); }, 892},
        {"not a number is never inside", fresh, [] { return Double(std::numeric_limits<double>::quiet_NaN()); }, 892},
        {"a string is not a number", fresh, [] { return FromText(CLSID_GPString, u"5"); }, 891},
        {"a long", fresh, [] { return Long(7); }, 0},
        {"a negative long", fresh, [] { return Long(-7); }, 892},
        {"inclusive low limit itself", lowFiveInclusive, [] { return Double(5); }, 0},
        {"below the inclusive low limit", lowFiveInclusive, [] { return Double(4.999); }, 892},
        {"any non-zero flag is inclusive", lowFiveFlagOne, [] { return Double(5); }, 0},
        {"excluded high limit", highTenExclusive, [] { return Double(10); }, 892},
        {"below the excluded high limit", highTenExclusive, [] { return Double(9.5); }, 0},
        {"allowed high limit", highTenInclusive, [] { return Long(10); }, 0},
        {"above the allowed high limit", highTenInclusive, [] { return Double(10.5); }, 892},
        {"empty values refused", noEmpty, [] { return Create<IGPValue>(CLSID_GPLong); }, 893},
        {"a linear unit's number, units ignored", highThree, [] { return FromText(CLSID_GPLinearUnit, u"5 Feet"); },
         892},
        {"a linear unit inside", highThree, [] { return FromText(CLSID_GPLinearUnit, u"2 Kilometers"); }, 0},
        {"areal units are not numbers here", fresh, [] { return FromText(CLSID_GPArealUnit, u"2 SquareMeters"); }, 891},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto domain = NewDomain(c.fields);
        auto value = c.value();
        ComPtr<IGPMessage> message;
        EXPECT_EQ(QueryAs<IGPDomain>(domain.Get())->MemberOf(value.Get(), message.Out()), S_OK);
        ASSERT_TRUE(message);
        EXPECT_EQ(MessageCode(message.Get()), c.code);
        EXPECT_EQ(MessageType(message.Get()), c.code ? 100 : 0);
    }
}

TEST_F(NumericDomainTest, MemberOfUnpacksVariablesAndChecksArguments) {
    auto domain = QueryAs<IGPDomain>(Create<IGPNumericDomain>(CLSID_GPNumericDomain).Get());
    auto variable = Create<IGPVariable>(CLSID_GPVariable);
    auto value = Double(-1);
    ASSERT_EQ(variable->putref_Value(value.Get()), S_OK);
    ComPtr<IGPMessage> message;
    EXPECT_EQ(domain->MemberOf(QueryAs<IGPValue>(variable.Get()).Get(), message.Out()), S_OK);
    EXPECT_EQ(MessageCode(message.Get()), 892);

    EXPECT_EQ(domain->MemberOf(nullptr, message.Out()), E_POINTER);
    EXPECT_FALSE(message);
    EXPECT_EQ(domain->MemberOf(value.Get(), nullptr), E_POINTER);
    auto empty = Create<IGPVariable>(CLSID_GPVariable);
    EXPECT_TRUE(FAILED(domain->MemberOf(QueryAs<IGPValue>(empty.Get()).Get(), message.Out())));
}

TEST_F(NumericDomainTest, StreamFormReadsBackEqual) {
    const Fields fields{VARIANT_FALSE, -2.5, VARIANT_TRUE, VARIANT_TRUE, 1e300};
    auto domain = NewDomain(fields);
    auto stream = NewStream();
    ASSERT_EQ(SaveObject(domain.Get(), stream.Get(), true), S_OK);
    EXPECT_EQ(QueryAs<IPersistStream>(domain.Get())->IsDirty(), S_FALSE);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    ComPtr<IGPNumericDomain> read;
    ASSERT_EQ(LoadObject(stream.Get(), IGPNumericDomain::iid, read.OutVoid()), S_OK);
    EXPECT_EQ(Read(read.Get()), fields);
    EXPECT_EQ(Equal(domain.Get(), read.Get()), VARIANT_TRUE);
}

TEST_F(NumericDomainTest, StreamFormRefusesNewerAndShortForms) {
    struct Case {
        const char* reason;
        int16_t version;
        bool complete;
        HRESULT hr;
    };
    const Case cases[] = {
        {"version 1", 1, true, S_OK},
        {"newer version", 2, true, E_FAIL},
        {"negative version", -3, true, E_FAIL},
        {"truncated", 1, false, E_FAIL},
    };
    const Fields before{VARIANT_TRUE, 1, VARIANT_FALSE, VARIANT_FALSE, 2};
    const Fields written{VARIANT_FALSE, 3, VARIANT_TRUE, VARIANT_TRUE, 4};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto stream = NewStream();
        AfStreamWrite(stream.Get(), c.version);
        AfStreamWrite(stream.Get(), written.allowEmpty);
        AfStreamWrite(stream.Get(), written.lowLimit);
        AfStreamWrite(stream.Get(), written.inclusive);
        AfStreamWrite(stream.Get(), written.allowHighLimit);
        if (c.complete)
            AfStreamWrite(stream.Get(), written.highLimit);
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        auto domain = NewDomain(before);
        EXPECT_EQ(QueryAs<IPersistStream>(domain.Get())->Load(stream.Get()), c.hr);
        EXPECT_EQ(Read(domain.Get()), c.hr == S_OK ? written : before);
    }
}

TEST_F(NumericDomainTest, XmlFormCarriesTheLowerFlagTwice) {
    // The XML form has no place for allowHighLimit: the reader keeps its own, and takes the lower bound's flag
    // from "AllowHighLimit", the later of the two elements that carry it.
    auto domain = NewDomain({VARIANT_FALSE, 1.25, VARIANT_TRUE, VARIANT_FALSE, 8});
    BStr xml;
    ASSERT_EQ(TaviXmlSerialize(domain.Get(), nullptr, xml.Out()), S_OK);
    std::string text = ToUtf8(xml.view());
    EXPECT_NE(text.find("GPNumericDomain"), std::string::npos) << text;

    auto read = NewDomain({VARIANT_TRUE, 0, VARIANT_FALSE, VARIANT_TRUE, 0});
    ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), read.Get()), S_OK);
    EXPECT_EQ(Read(read.Get()), (Fields{VARIANT_FALSE, 1.25, VARIANT_TRUE, VARIANT_TRUE, 8}));

    std::string lowerOpen =
        std::regex_replace(text, std::regex("(<AllowHighLimit[^>]*>)true(</AllowHighLimit>)"), "$1false$2");
    ASSERT_NE(lowerOpen, text);
    ASSERT_EQ(TaviXmlDeserialize(FromUtf8(lowerOpen).c_str(), read.Get()), S_OK);
    EXPECT_EQ(Read(read.Get()), (Fields{VARIANT_FALSE, 1.25, VARIANT_FALSE, VARIANT_TRUE, 8}));

    // Every element is required; a missing one leaves the domain as it was.
    std::string noHigh = std::regex_replace(text, std::regex("<HighLimit[^>]*>[^<]*</HighLimit>"), "");
    ASSERT_NE(noHigh, text);
    const Fields before{VARIANT_TRUE, 0, VARIANT_FALSE, VARIANT_FALSE, 5};
    auto partial = NewDomain(before);
    EXPECT_EQ(TaviXmlDeserialize(FromUtf8(noHigh).c_str(), partial.Get()), E_FAIL);
    EXPECT_EQ(Read(partial.Get()), before);
}

TEST_F(NumericDomainTest, CloneAssignAndCompare) {
    const Fields base{VARIANT_TRUE, 1, VARIANT_FALSE, VARIANT_FALSE, 10};
    auto domain = NewDomain(base);
    ComPtr<IClone> copy;
    ASSERT_EQ(QueryAs<IClone>(domain.Get())->Clone(copy.Out()), S_OK);
    EXPECT_EQ(Read(QueryAs<IGPNumericDomain>(copy.Get()).Get()), base);
    EXPECT_EQ(Equal(domain.Get(), copy.Get()), VARIANT_TRUE);

    struct Case {
        const char* reason;
        Fields other;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {"allowEmpty", {VARIANT_FALSE, 1, VARIANT_FALSE, VARIANT_FALSE, 10}},
        {"lowLimit", {VARIANT_TRUE, 2, VARIANT_FALSE, VARIANT_FALSE, 10}},
        {"inclusive", {VARIANT_TRUE, 1, VARIANT_TRUE, VARIANT_FALSE, 10}},
        {"allowHighLimit", {VARIANT_TRUE, 1, VARIANT_FALSE, VARIANT_TRUE, 10}},
        {"an excluded high limit still bounds", {VARIANT_TRUE, 1, VARIANT_FALSE, VARIANT_FALSE, 20}},
        {"NaN is never equal", {VARIANT_TRUE, nan, VARIANT_FALSE, VARIANT_FALSE, 10}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto other = NewDomain(c.other);
        EXPECT_EQ(Equal(domain.Get(), other.Get()), VARIANT_FALSE);
        EXPECT_EQ(Equal(other.Get(), other.Get()), std::isnan(c.other.lowLimit) ? VARIANT_FALSE : VARIANT_TRUE);
    }

    auto target = QueryAs<IClone>(NewDomain(cases[4].other).Get());
    ASSERT_EQ(target->Assign(QueryAs<IClone>(domain.Get()).Get()), S_OK);
    EXPECT_EQ(Read(QueryAs<IGPNumericDomain>(target.Get()).Get()), base);

    auto range = Create<IClone>(CLSID_GPRangeDomain);
    EXPECT_EQ(Equal(domain.Get(), range.Get()), VARIANT_FALSE);
    EXPECT_EQ(target->Assign(range.Get()), E_INVALIDARG);
    EXPECT_EQ(target->Assign(nullptr), E_INVALIDARG);
    VARIANT_BOOL equal = 7;
    EXPECT_EQ(target->IsEqual(nullptr, &equal), E_POINTER);
}

} // namespace
} // namespace tavi::test
