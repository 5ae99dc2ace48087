// The range domain and the host's range object it wraps: the membership rule of the range object, the verdict
// messages of the domain (with unit values), the stream and XML forms, cloning and comparison.
#include "TestSupport.h"

#include "host/CreateInstance.h"
#include "host/DocumentVersion.h"
#include "host/Message.h"
#include "host/StreamIO.h"
#include "host/String.h"
#include "tavi/DataAccess.h"
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

class RangeDomainTest : public ModuleClassesTest {};

template <class I> ComPtr<I> Create(REFCLSID clsid) {
    ComPtr<I> made;
    EXPECT_EQ(AfCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, I::iid, made.OutVoid()), S_OK);
    return made;
}

Variant Text(const char16_t* text) {
    return Variant::Text(text);
}
Variant Null() {
    Variant v;
    v.vt = VT_NULL;
    return v;
}
Variant Int64(int64_t value) {
    Variant v;
    v.vt = VT_I8;
    v.llVal = value;
    return v;
}

ComPtr<IRangeDomain> NewRange(REFCLSID clsid, const VARIANT& min, const VARIANT& max) {
    auto range = Create<IRangeDomain>(clsid);
    EXPECT_EQ(range->put_MinValue(min), S_OK);
    EXPECT_EQ(range->put_MaxValue(max), S_OK);
    return range;
}

ComPtr<IGPValue> VariantValue(REFCLSID clsid, const VARIANT& content) {
    auto value = Create<IGPValue>(clsid);
    EXPECT_EQ(QueryAs<IGPVariant>(value.Get())->put_Value(content), S_OK);
    return value;
}

ComPtr<IGPValue> TextValue(REFCLSID clsid, const char16_t* text) {
    auto value = Create<IGPValue>(clsid);
    ComPtr<IGPMessage> message;
    EXPECT_EQ(value->SetAsText(text, message.Out()), S_OK);
    EXPECT_FALSE(MessageIsError(message.Get())) << ToUtf8(text);
    return value;
}

String Description(IGPMessage* message) {
    BStr text;
    EXPECT_EQ(message->get_Description(text.Out()), S_OK);
    return text.str();
}

String BoundOf(IRangeDomain* range, bool minimum) {
    Variant bound;
    EXPECT_EQ(minimum ? range->get_MinValue(bound.Out()) : range->get_MaxValue(bound.Out()), S_OK);
    Variant text;
    if (bound.vt == VT_EMPTY || bound.vt == VT_NULL)
        return bound.vt == VT_EMPTY ? u"<empty>" : u"<null>";
    EXPECT_EQ(VariantChangeTypeEx(text.Out(), &bound, LOCALE_INVARIANT, 0, VT_BSTR), S_OK);
    return String(text.bstrVal, SysStringLen(text.bstrVal)) + u"/" + FormatInteger("%d", bound.vt);
}

VARIANT_BOOL Equal(IUnknown* a, IUnknown* b, HRESULT expected) {
    VARIANT_BOOL equal = 7;
    EXPECT_EQ(QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal), expected);
    return equal;
}

ComPtr<IStream> NewStream() {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnMemory(nullptr, 0, docversion::kCurrent, stream.Out()), S_OK);
    return stream;
}

// ---- the host's range object ----

TEST_F(RangeDomainTest, RangeObjectMembership) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* reason;
        Variant min, max, value;
        HRESULT hr;
    };
    const Case cases[] = {
        {"inside", Variant::Int(0), Variant::Int(100), Variant::Double(50), S_OK},
        {"minimum is inside", Variant::Int(0), Variant::Int(100), Variant::Double(0), S_OK},
        {"maximum is inside", Variant::Int(0), Variant::Int(100), Variant::Int(100), S_OK},
        {"just above", Variant::Int(0), Variant::Int(100), Variant::Double(100.0000001), S_FALSE},
        {"below", Variant::Int(0), Variant::Int(100), Variant::Double(-1), S_FALSE},
        {"no minimum", Variant(), Variant::Int(100), Variant::Double(-1e300), S_OK},
        {"no maximum (null)", Variant::Int(0), Null(), Variant::Double(1e300), S_OK},
        {"no bounds", Variant(), Variant(), Variant::Double(5), S_OK},
        {"64-bit integers compare exactly", Int64(9007199254740993), Int64(9007199254740995), Int64(9007199254740992),
         S_FALSE},
        {"a number text is a number", Variant::Double(0), Variant::Double(10), Text(u"5"), S_OK},
        {"a number text above", Variant::Double(0), Variant::Double(10), Text(u"1e3"), S_FALSE},
        {"a text that is no number", Variant::Double(0), Variant::Double(10), Text(u"abc"), S_FALSE},
        {"number texts as bounds", Text(u"1.5"), Text(u"2.5"), Variant::Double(2), S_OK},
        {"texts compare by code unit", Text(u"b"), Text(u"d"), Text(u"c"), S_OK},
        {"upper case sorts first", Text(u"b"), Text(u"d"), Text(u"B"), S_FALSE},
        {"texts, one numeric", Text(u"a"), Text(u"z"), Text(u"5"), S_FALSE},
        {"date text between dates", Variant::Date(43831), Variant::Date(44196), Text(u"2020-06-15"), S_OK},
        {"date text after", Variant::Date(43831), Variant::Date(44196), Text(u"2021-01-02"), S_FALSE},
        {"date against numbers", Variant::Double(43831), Variant::Double(44196), Variant::Date(44000), S_OK},
        {"a boolean is a number", Variant::Int(-1), Variant::Int(0), Variant::Bool(true), S_OK},
        {"not a number", Variant::Double(0), Variant::Double(10), Variant::Double(nan), S_FALSE},
        {"an empty value", Variant(), Variant(), Variant(), S_FALSE},
        {"a null value", Variant::Int(0), Variant::Int(1), Null(), S_FALSE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto range = NewRange(CLSID_RangeDomain, c.min, c.max);
        EXPECT_EQ(QueryAs<IDomain>(range.Get())->MemberOf(c.value), c.hr);
    }
}

TEST_F(RangeDomainTest, RangeObjectProperties) {
    auto range = Create<IRangeDomain>(CLSID_RangeDomain);
    auto domain = QueryAs<IDomain>(range.Get());
    int32_t fieldType = -1;
    EXPECT_EQ(domain->get_FieldType(&fieldType), S_OK);
    EXPECT_EQ(fieldType, taviFieldTypeDouble);
    EXPECT_EQ(domain->put_FieldType(taviFieldTypeDate), S_OK);
    EXPECT_EQ(domain->put_FieldType(99), E_INVALIDARG);
    EXPECT_EQ(domain->put_FieldType(-1), E_INVALIDARG);
    EXPECT_EQ(domain->get_FieldType(&fieldType), S_OK);
    EXPECT_EQ(fieldType, taviFieldTypeDate);
    EXPECT_EQ(domain->get_FieldType(nullptr), E_POINTER);
    EXPECT_EQ(BoundOf(range.Get(), true), u"<empty>");

    // Bounds that cannot be compared are refused and the bound stays as it was.
    EXPECT_EQ(range->put_MinValue(Variant::Int(3)), S_OK);
    Variant object;
    object.vt = VT_UNKNOWN;
    object.punkVal = nullptr;
    Variant error;
    error.vt = VT_ERROR;
    EXPECT_EQ(range->put_MinValue(object), E_INVALIDARG);
    EXPECT_EQ(range->put_MinValue(error), E_INVALIDARG);
    EXPECT_EQ(BoundOf(range.Get(), true), u"3/3");
    EXPECT_EQ(range->get_MinValue(nullptr), E_POINTER);
}

// ---- the range domain ----

TEST_F(RangeDomainTest, MemberOfMessages) {
    const String outOfRange = u"The value is out of range: it must be between ";
    struct Case {
        const char* reason;
        Variant min, max;
        std::function<ComPtr<IGPValue>()> value;
        HRESULT hr;
        int32_t type, code;
        String description;
    };
    const Case cases[] = {
        {"double inside", Variant::Int(0), Variant::Int(100),
         [] { return VariantValue(CLSID_GPDouble, Variant::Double(50)); }, S_OK, 0, 0, u""},
        {"double outside", Variant::Int(0), Variant::Int(100),
         [] { return VariantValue(CLSID_GPDouble, Variant::Double(150)); }, S_FALSE, 100, 854,
         outOfRange + u"0 and 100"},
        {"long on the maximum", Variant::Int(0), Variant::Int(100),
         [] { return VariantValue(CLSID_GPLong, Variant::Int(100)); }, S_OK, 0, 0, u""},
        {"string holding a number", Variant::Int(0), Variant::Int(100), [] { return TextValue(CLSID_GPString, u"42"); },
         S_OK, 0, 0, u""},
        {"bounds written with %g", Variant::Double(0.5), Variant::Double(1e10),
         [] { return VariantValue(CLSID_GPDouble, Variant::Double(0.25)); }, S_FALSE, 100, 854,
         outOfRange + u"0.5 and 1e+10"},
        {"text bounds shown as texts", Text(u"b"), Text(u"d"), [] { return TextValue(CLSID_GPString, u"x"); }, S_FALSE,
         100, 854, outOfRange + u"b and d"},
        {"date bounds shown as dates", Variant::Date(43831), Variant::Date(44196),
         [] { return VariantValue(CLSID_GPDate, Variant::Date(45000)); }, S_FALSE, 100, 854,
         outOfRange + u"1/1/2020 and 12/31/2020"},
        {"a value without a variant form", Variant::Int(0), Variant::Int(100),
         [] { return Create<IGPValue>(CLSID_GPEncryptedString); }, S_FALSE, 100, 1, u""},
        {"linear unit inside", Variant::Int(0), Variant::Int(100),
         [] { return TextValue(CLSID_GPLinearUnit, u"99 Meters"); }, S_OK, 0, 0, u""},
        {"linear unit outside: the maximum carries the units", Variant::Int(0), Variant::Int(100),
         [] { return TextValue(CLSID_GPLinearUnit, u"150 Meters"); }, S_FALSE, 100, 854,
         outOfRange + u"0 and 100 Meters"},
        {"areal unit outside", Variant::Int(1), Variant::Int(2),
         [] { return TextValue(CLSID_GPArealUnit, u"3 SquareFeet"); }, S_FALSE, 100, 854,
         outOfRange + u"1 and 2 SquareFeet"},
        {"time unit outside", Variant::Int(1), Variant::Int(2), [] { return TextValue(CLSID_GPTimeUnit, u"0 Days"); },
         S_FALSE, 100, 854, outOfRange + u"1 and 2 Days"},
        {"unknown units are not shown", Variant::Int(0), Variant::Int(100),
         [] { return TextValue(CLSID_GPLinearUnit, u"150 Unknown"); }, S_FALSE, 100, 854, outOfRange + u"0 and 100"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto domain = NewRange(CLSID_GPRangeDomain, c.min, c.max);
        auto value = c.value();
        ComPtr<IGPMessage> message;
        EXPECT_EQ(QueryAs<IGPDomain>(domain.Get())->MemberOf(value.Get(), message.Out()), c.hr);
        ASSERT_TRUE(message);
        EXPECT_EQ(MessageType(message.Get()), c.type);
        EXPECT_EQ(MessageCode(message.Get()), c.code);
        EXPECT_EQ(ToUtf8(Description(message.Get())), ToUtf8(c.description));
    }
}

TEST_F(RangeDomainTest, MemberOfUnpacksVariablesAndChecksArguments) {
    auto domain = NewRange(CLSID_GPRangeDomain, Variant::Int(0), Variant::Int(10));
    auto member = QueryAs<IGPDomain>(domain.Get());
    auto variable = Create<IGPVariable>(CLSID_GPVariable);
    auto value = VariantValue(CLSID_GPDouble, Variant::Double(11));
    ASSERT_EQ(variable->putref_Value(value.Get()), S_OK);
    ComPtr<IGPMessage> message;
    EXPECT_EQ(member->MemberOf(QueryAs<IGPValue>(variable.Get()).Get(), message.Out()), S_FALSE);
    EXPECT_EQ(MessageCode(message.Get()), 854);

    EXPECT_EQ(member->MemberOf(value.Get(), nullptr), E_POINTER);
    EXPECT_EQ(member->MemberOf(nullptr, message.Out()), E_POINTER);
    EXPECT_EQ(MessageCode(message.Get()), 1); // handed out before the value was looked at

    auto empty = Create<IGPVariable>(CLSID_GPVariable); // holds nothing: the unpacking fails
    EXPECT_TRUE(FAILED(member->MemberOf(QueryAs<IGPValue>(empty.Get()).Get(), message.Out())));
}

TEST_F(RangeDomainTest, StreamFormReadsBackEqual) {
    struct Case {
        const char* reason;
        Variant min, max;
    };
    const Case cases[] = {
        {"numbers", Variant::Int(-5), Variant::Double(2.5)},
        {"no bounds", Variant(), Variant()},
        {"texts", Text(u"alpha"), Text(u"omega ✓")},
        {"dates and null", Variant::Date(43831.5), Null()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto domain = NewRange(CLSID_GPRangeDomain, c.min, c.max);
        auto persist = QueryAs<IPersistStream>(domain.Get());
        EXPECT_EQ(persist->IsDirty(), S_OK);
        auto stream = NewStream();
        ASSERT_EQ(SaveObject(domain.Get(), stream.Get(), true), S_OK);
        EXPECT_EQ(persist->IsDirty(), S_FALSE);
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        ComPtr<IRangeDomain> read;
        ASSERT_EQ(LoadObject(stream.Get(), IRangeDomain::iid, read.OutVoid()), S_OK);
        EXPECT_EQ(Equal(domain.Get(), read.Get(), S_OK), VARIANT_TRUE);
        EXPECT_EQ(BoundOf(read.Get(), true), BoundOf(domain.Get(), true));
        EXPECT_EQ(BoundOf(read.Get(), false), BoundOf(domain.Get(), false));
        EXPECT_EQ(QueryAs<IPersistStream>(read.Get())->IsDirty(), S_FALSE);
    }
}

TEST_F(RangeDomainTest, StreamFormRefusesNewerAndBrokenForms) {
    // Each form is refused and the domain keeps its bounds.
    struct Case {
        const char* reason;
        int16_t version;
        int32_t fieldType;
        bool complete;
        HRESULT hr;
    };
    const Case cases[] = {
        {"version 1", 1, taviFieldTypeInteger, true, S_OK},
        {"newer version", 2, taviFieldTypeDouble, true, E_FAIL},
        {"negative version", -1, taviFieldTypeDouble, true, E_FAIL},
        {"truncated", 1, taviFieldTypeDouble, false, E_FAIL},
        {"unknown field type", 1, 77, true, E_FAIL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto stream = NewStream();
        AfStreamWrite(stream.Get(), c.version);
        AfStreamWrite(stream.Get(), c.fieldType);
        WriteVariant(stream.Get(), Variant::Int(7));
        if (c.complete)
            WriteVariant(stream.Get(), Variant::Int(9));
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        auto domain = NewRange(CLSID_GPRangeDomain, Variant::Int(1), Variant::Int(2));
        EXPECT_EQ(QueryAs<IPersistStream>(domain.Get())->Load(stream.Get()), c.hr);
        EXPECT_EQ(BoundOf(domain.Get(), true), c.hr == S_OK ? u"7/3" : u"1/3");
        EXPECT_EQ(BoundOf(domain.Get(), false), c.hr == S_OK ? u"9/3" : u"2/3");
    }
}

TEST_F(RangeDomainTest, XmlFormReadsBackEqual) {
    auto domain = NewRange(CLSID_GPRangeDomain, Variant::Double(-1.5), Text(u"zz"));
    BStr xml;
    ASSERT_EQ(TaviXmlSerialize(domain.Get(), nullptr, xml.Out()), S_OK);
    std::string text = ToUtf8(xml.view());
    EXPECT_NE(text.find("GPRangeDomain"), std::string::npos) << text;
    auto read = Create<IRangeDomain>(CLSID_GPRangeDomain);
    ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), read.Get()), S_OK);
    EXPECT_EQ(Equal(domain.Get(), read.Get(), S_OK), VARIANT_TRUE);
    EXPECT_EQ(QueryAs<IPersistStream>(read.Get())->IsDirty(), S_OK);

    // Both bounds are required: without "Max" nothing is read.
    std::string noMax = std::regex_replace(text, std::regex("<Max[^>]*>[^<]*</Max>"), "");
    ASSERT_NE(noMax, text);
    auto partial = NewRange(CLSID_GPRangeDomain, Variant::Int(1), Variant::Int(2));
    EXPECT_EQ(TaviXmlDeserialize(FromUtf8(noMax).c_str(), partial.Get()), E_FAIL);
    EXPECT_EQ(BoundOf(partial.Get(), true), u"1/3");
}

TEST_F(RangeDomainTest, CloneAssignAndCompare) {
    auto domain = NewRange(CLSID_GPRangeDomain, Variant::Int(0), Variant::Int(10));
    auto clone = QueryAs<IClone>(domain.Get());
    ComPtr<IClone> copy;
    ASSERT_EQ(clone->Clone(copy.Out()), S_OK);
    EXPECT_EQ(Equal(domain.Get(), copy.Get(), S_OK), VARIANT_TRUE);
    VARIANT_BOOL identical = 7;
    EXPECT_EQ(clone->IsIdentical(copy.Get(), &identical), S_OK);
    EXPECT_EQ(identical, VARIANT_FALSE);

    struct Case {
        const char* reason;
        Variant min, max;
        VARIANT_BOOL equal;
    };
    const Case cases[] = {
        {"same numbers of another kind", Variant::Double(0), Variant::Double(10), VARIANT_TRUE},
        {"another maximum", Variant::Int(0), Variant::Int(11), VARIANT_FALSE},
        {"no minimum is not a minimum of 0", Variant(), Variant::Int(10), VARIANT_FALSE},
        {"a number text is not the number", Text(u"0"), Variant::Int(10), VARIANT_FALSE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto other = NewRange(CLSID_GPRangeDomain, c.min, c.max);
        EXPECT_EQ(Equal(domain.Get(), other.Get(), c.equal ? S_OK : S_FALSE), c.equal);
    }
    auto nulls = NewRange(CLSID_GPRangeDomain, Null(), Null());
    auto otherNulls = NewRange(CLSID_GPRangeDomain, Null(), Null());
    EXPECT_EQ(Equal(nulls.Get(), otherNulls.Get(), S_OK), VARIANT_TRUE);

    // Assign copies the bounds of another range domain; other kinds of objects are refused.
    auto wider = NewRange(CLSID_GPRangeDomain, Variant::Int(-3), Text(u"4"));
    ASSERT_EQ(clone->Assign(QueryAs<IClone>(wider.Get()).Get()), S_OK);
    EXPECT_EQ(Equal(domain.Get(), wider.Get(), S_OK), VARIANT_TRUE);
    auto numeric = Create<IClone>(CLSID_GPNumericDomain);
    VARIANT_BOOL equal = 7;
    EXPECT_EQ(clone->IsEqual(numeric.Get(), &equal), E_NOINTERFACE);
    EXPECT_EQ(equal, VARIANT_FALSE);
    EXPECT_EQ(clone->Assign(numeric.Get()), E_INVALIDARG);
    EXPECT_EQ(clone->Assign(nullptr), E_INVALIDARG);
    EXPECT_EQ(clone->IsEqual(nullptr, &equal), E_POINTER);
    EXPECT_EQ(BoundOf(domain.Get(), true), u"-3/3");
}

} // namespace
} // namespace tavi::test
