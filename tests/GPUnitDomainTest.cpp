// The unit domain: what its value and units domains are asked about, which message answers, its properties,
// sharing assignment, comparison, and the stream and XML forms.
#include "DomainTestSupport.h"

#include "host/StreamIO.h"
#include "tavi/Xml.h"

namespace tavi::test {
namespace {

class GPUnitDomainTest : public ModuleClassesTest {
protected:
    static ComPtr<IGPUnitDomain> Units(IGPDomain* valueDomain, IGPDomain* unitsDomain, taviUnits linear = {},
                                       taviAreaUnits areal = {}, taviTimeUnits time = {}) {
        auto domain = Create<IGPUnitDomain>(CLSID_GPUnitDomain);
        EXPECT_EQ(domain->SetDomains(valueDomain, unitsDomain), S_OK);
        EXPECT_EQ(domain->put_LinearUnits(linear), S_OK);
        EXPECT_EQ(domain->put_ArealUnits(areal), S_OK);
        EXPECT_EQ(domain->put_TimeUnits(time), S_OK);
        return domain;
    }
    static ComPtr<IGPMessage> Check(IGPUnitDomain* domain, IGPValue* value, HRESULT expected = S_OK) {
        ComPtr<IGPMessage> message;
        EXPECT_EQ(QueryAs<IGPDomain>(domain)->MemberOf(value, message.Out()), expected);
        return message;
    }
    static ComPtr<IGPDomain> Coded(std::initializer_list<const char16_t*> codes) {
        auto coded = Create<IGPCodedValueDomain>(CLSID_GPCodedValueDomain);
        for (const char16_t* code : codes)
            EXPECT_EQ(coded->AddStringCode(code, code), S_OK);
        return coded.As<IGPDomain>();
    }
    static ComPtr<IGPDomain> Domain(IUnknown* object) { return QueryAs<IGPDomain>(object); }
};

TEST_F(GPUnitDomainTest, ValueDomainSeesTheNumberInFixedUnits) {
    struct Case {
        const char* reason;
        REFCLSID valueClass;
        const char16_t* text;
        double min, max;
        bool member;
    };
    const Case cases[] = {
        {"1 Kilometers is 1000 Meters, above 100", CLSID_GPLinearUnit, u"1 Kilometers", 0, 100, false},
        {"50 Meters is inside", CLSID_GPLinearUnit, u"50 Meters", 0, 100, true},
        {"3 Feet is below 1 Meters", CLSID_GPLinearUnit, u"3 Feet", 1, 100, false},
        {"2 Hectares is 20000 SquareMeters", CLSID_GPArealUnit, u"2 Hectares", 0, 10000, false},
        {"1 Hectares is 10000 SquareMeters", CLSID_GPArealUnit, u"1 Hectares", 0, 10000, true},
        {"2 Days is 48 Hours", CLSID_GPTimeUnit, u"2 Days", 0, 24, false},
        {"90 Minutes is 1.5 Hours", CLSID_GPTimeUnit, u"90 Minutes", 0, 24, true},
        {"a plain number is checked as it is", CLSID_GPDouble, u"50", 0, 100, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto domain = Units(NewRange(c.min, c.max).Get(), nullptr, taviUnits::Meters, taviAreaUnits::SquareMeters,
                            taviTimeUnits::Hours);
        auto message = Check(domain.Get(), NewValue(c.valueClass, c.text).Get());
        ASSERT_TRUE(message);
        EXPECT_EQ(MessageType(message.Get()), c.member ? taviGPMessageTypeEmpty : taviGPMessageTypeError);
        EXPECT_EQ(MessageCode(message.Get()), c.member ? 0 : 854);
    }
}

TEST_F(GPUnitDomainTest, InnerDomainsSeeClones) {
    auto valueSide = MakeObject<RecordingDomain>();
    auto unitsSide = MakeObject<RecordingDomain>();
    auto domain = Units(valueSide.Get(), unitsSide.Get(), taviUnits::Meters);
    auto value = NewValue(CLSID_GPLinearUnit, u"2 Kilometers");
    Check(domain.Get(), value.Get());

    // The value domain: the number in the domain's units. The units domain: 0 in the value's own units. The value
    // itself is left alone.
    EXPECT_EQ(TextOf(valueSide->seen.Get()), "2000 Meters");
    EXPECT_EQ(TextOf(unitsSide->seen.Get()), "0 Kilometers");
    EXPECT_EQ(TextOf(value.Get()), "2 Kilometers");
    EXPECT_FALSE(SameObject(valueSide->seen.Get(), value.Get()));

    // A value of another kind is passed as it is.
    auto number = NewValue(CLSID_GPDouble, u"7");
    Check(domain.Get(), number.Get());
    EXPECT_TRUE(SameObject(valueSide->seen.Get(), number.Get()));
    EXPECT_TRUE(SameObject(unitsSide->seen.Get(), number.Get()));
}

TEST_F(GPUnitDomainTest, UnitsDomainSeesOnlyTheUnits) {
    auto domain = Units(nullptr, Coded({u"Meters", u"Feet"}).Get());
    EXPECT_EQ(MessageType(Check(domain.Get(), NewValue(CLSID_GPLinearUnit, u"10 Feet").Get()).Get()),
              taviGPMessageTypeEmpty);
    auto message = Check(domain.Get(), NewValue(CLSID_GPLinearUnit, u"10 Kilometers").Get());
    EXPECT_EQ(MessageType(message.Get()), taviGPMessageTypeError);
    EXPECT_EQ(MessageCode(message.Get()), 800);
}

TEST_F(GPUnitDomainTest, TheErringDomainAnswers) {
    struct Side {
        int32_t type;
        int32_t code;
        HRESULT result;
    };
    const Side accepts{taviGPMessageTypeEmpty, 0, S_OK};
    const Side errs{taviGPMessageTypeError, 0, S_FALSE}; // the code is set per side below
    const Side warns{taviGPMessageTypeWarning, 7, S_FALSE};
    const Side fails{taviGPMessageTypeEmpty, 0, E_FAIL}; // no message: counts as no error
    struct Case {
        const char* reason;
        Side value, units;
        std::vector<int32_t> codes; // the answer's code, or the members' codes of a composite answer
        bool composed;
    };
    const Case cases[] = {
        {"both err: both, value domain first", errs, errs, {1, 2}, true},
        {"only the value domain errs", errs, accepts, {1}, false},
        {"only the units domain errs", accepts, errs, {2}, false},
        {"a warning is no error", warns, accepts, {0}, false},
        {"a failing domain gives no error", fails, errs, {2}, false},
        {"neither errs", accepts, accepts, {0}, false},
    };
    auto value = NewValue(CLSID_GPLinearUnit, u"1 Meters");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto valueSide = MakeObject<RecordingDomain>(
            c.value.type, c.value.type == taviGPMessageTypeError ? 1 : c.value.code, c.value.result);
        auto unitsSide = MakeObject<RecordingDomain>(
            c.units.type, c.units.type == taviGPMessageTypeError ? 2 : c.units.code, c.units.result);
        auto message = Check(Units(valueSide.Get(), unitsSide.Get()).Get(), value.Get());
        ASSERT_TRUE(message);
        auto messages = QueryAs<IGPMessages>(message.Get());
        EXPECT_EQ(bool(messages), c.composed);
        std::vector<int32_t> codes;
        if (messages) {
            int32_t count = 0;
            messages->get_Count(&count);
            for (int32_t i = 0; i < count; ++i) {
                ComPtr<IGPMessage> member;
                messages->GetMessage(i, member.Out());
                codes.push_back(MessageCode(member.Get()));
            }
        } else {
            codes.push_back(MessageCode(message.Get()));
        }
        EXPECT_EQ(codes, c.codes);
    }

    // Without inner domains everything belongs.
    auto message = Check(Units(nullptr, nullptr).Get(), value.Get());
    ASSERT_TRUE(message);
    EXPECT_EQ(MessageType(message.Get()), taviGPMessageTypeEmpty);
    EXPECT_EQ(QueryAs<IGPDomain>(Units(nullptr, nullptr).Get())->MemberOf(value.Get(), nullptr), E_POINTER);
}

TEST_F(GPUnitDomainTest, Properties) {
    auto range = NewRange(0, 1);
    auto domain = Units(range.Get(), nullptr, taviUnits::Feet, taviAreaUnits::Acres, taviTimeUnits::Weeks);
    // Neither the domains nor the units mark the domain dirty.
    EXPECT_EQ(domain.As<IPersistStream>()->IsDirty(), S_FALSE);

    ComPtr<IGPDomain> valueDomain, unitsDomain;
    EXPECT_EQ(domain->GetDomains(valueDomain.Out(), nullptr), E_POINTER);
    EXPECT_EQ(domain->GetDomains(nullptr, unitsDomain.Out()), E_POINTER);
    ASSERT_EQ(domain->GetDomains(valueDomain.Out(), unitsDomain.Out()), S_OK);
    EXPECT_TRUE(SameObject(valueDomain.Get(), range.Get()));
    EXPECT_FALSE(unitsDomain);

    taviUnits linear{};
    taviAreaUnits areal{};
    taviTimeUnits time{};
    EXPECT_EQ(domain->get_LinearUnits(&linear), S_OK);
    EXPECT_EQ(domain->get_ArealUnits(&areal), S_OK);
    EXPECT_EQ(domain->get_TimeUnits(&time), S_OK);
    EXPECT_EQ(linear, taviUnits::Feet);
    EXPECT_EQ(areal, taviAreaUnits::Acres);
    EXPECT_EQ(time, taviTimeUnits::Weeks);
    EXPECT_EQ(domain->get_LinearUnits(nullptr), E_POINTER);

    // The domain cannot check itself; a unit domain has no browse filters.
    EXPECT_EQ(domain->SetDomains(Domain(domain.Get()).Get(), nullptr), E_INVALIDARG);
    ComPtr<IArray> filters;
    EXPECT_EQ(domain.As<IGxFilterInfo>()->get_OpenGxObjectFilters(filters.Out()), S_OK);
    EXPECT_FALSE(filters);
    EXPECT_EQ(domain.As<IGxFilterInfo>()->get_OpenGxObjectFilters(nullptr), E_POINTER);
}

TEST_F(GPUnitDomainTest, AssignSharesTheDomains) {
    auto range = NewRange(0, 1);
    auto coded = Coded({u"Meters"});
    auto source = Units(range.Get(), coded.Get(), taviUnits::Miles, taviAreaUnits::Ares, taviTimeUnits::Years);
    auto target = Units(nullptr, nullptr);
    ASSERT_EQ(target.As<IClone>()->Assign(source.As<IClone>().Get()), S_OK);
    ComPtr<IGPDomain> valueDomain, unitsDomain;
    ASSERT_EQ(target->GetDomains(valueDomain.Out(), unitsDomain.Out()), S_OK);
    EXPECT_TRUE(SameObject(valueDomain.Get(), range.Get()));
    EXPECT_TRUE(SameObject(unitsDomain.Get(), coded.Get()));
    EXPECT_TRUE(Equal(target.Get(), source.Get()));
    EXPECT_EQ(target.As<IPersistStream>()->IsDirty(), S_OK);

    EXPECT_EQ(target.As<IClone>()->Assign(range.As<IClone>().Get()), E_INVALIDARG);
    // A source whose inner domain is the target would make the target check itself.
    auto holder = Units(Domain(target.Get()).Get(), nullptr);
    EXPECT_EQ(target.As<IClone>()->Assign(holder.As<IClone>().Get()), E_INVALIDARG);
}

TEST_F(GPUnitDomainTest, Equality) {
    auto a = NewRange(0, 1), sameAsA = NewRange(0, 1), b = NewRange(0, 2);
    auto base = [&] { return Units(a.Get(), nullptr, taviUnits::Meters, taviAreaUnits::Acres, taviTimeUnits::Days); };
    struct Case {
        const char* reason;
        ComPtr<IGPUnitDomain> other;
        bool equal;
    };
    const Case cases[] = {
        {"equal domains and units",
         Units(sameAsA.Get(), nullptr, taviUnits::Meters, taviAreaUnits::Acres, taviTimeUnits::Days), true},
        {"another value domain", Units(b.Get(), nullptr, taviUnits::Meters, taviAreaUnits::Acres, taviTimeUnits::Days),
         false},
        {"no value domain", Units(nullptr, nullptr, taviUnits::Meters, taviAreaUnits::Acres, taviTimeUnits::Days),
         false},
        {"a units domain only on one side",
         Units(a.Get(), a.Get(), taviUnits::Meters, taviAreaUnits::Acres, taviTimeUnits::Days), false},
        {"linear units", Units(a.Get(), nullptr, taviUnits::Feet, taviAreaUnits::Acres, taviTimeUnits::Days), false},
        {"areal units", Units(a.Get(), nullptr, taviUnits::Meters, taviAreaUnits::Ares, taviTimeUnits::Days), false},
        {"time units", Units(a.Get(), nullptr, taviUnits::Meters, taviAreaUnits::Acres, taviTimeUnits::Hours), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        EXPECT_EQ(Equal(base().Get(), c.other.Get()), c.equal);
        EXPECT_EQ(Equal(c.other.Get(), base().Get()), c.equal);
    }
    VARIANT_BOOL equal = VARIANT_TRUE;
    EXPECT_EQ(base().As<IClone>()->IsEqual(a.As<IClone>().Get(), &equal), S_OK);
    EXPECT_EQ(equal, VARIANT_FALSE);
    EXPECT_EQ(base().As<IClone>()->IsEqual(nullptr, &equal), E_POINTER);
}

TEST_F(GPUnitDomainTest, StreamForm) {
    auto domain = Units(NewRange(0, 5).Get(), Coded({u"Meters", u"Feet"}).Get(), taviUnits::Kilometers,
                        taviAreaUnits::Hectares, taviTimeUnits::Minutes);
    auto read = StreamCopy<IGPUnitDomain>(domain.Get(), CLSID_GPUnitDomain);
    ASSERT_TRUE(read);
    EXPECT_TRUE(Equal(read.Get(), domain.Get()));
    EXPECT_EQ(read.As<IPersistStream>()->IsDirty(), S_FALSE);
    auto unset = StreamCopy<IGPUnitDomain>(Units(nullptr, nullptr).Get(), CLSID_GPUnitDomain);
    ASSERT_TRUE(unset);
    EXPECT_TRUE(Equal(unset.Get(), Units(nullptr, nullptr).Get()));

    // Newer and damaged forms are refused and change nothing.
    auto stream = [](uint16_t version, int intCount) {
        auto s = NewStream();
        AfStreamWrite(s.Get(), version);
        SaveObject(nullptr, s.Get(), false);
        SaveObject(nullptr, s.Get(), false);
        for (int i = 0; i < intCount; ++i)
            AfStreamWrite(s.Get(), int32_t{3});
        s->Seek(0, STREAM_SEEK_SET, nullptr);
        return s;
    };
    struct Case {
        const char* reason;
        ComPtr<IStream> stream;
        HRESULT hr;
    };
    const Case cases[] = {
        {"version 1", stream(1, 3), S_OK},
        {"a newer version", stream(2, 3), E_FAIL},
        {"the time units missing", stream(1, 2), E_FAIL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto target = Units(NewRange(0, 1).Get(), nullptr, taviUnits::Meters);
        EXPECT_EQ(target.As<IPersistStream>()->Load(c.stream.Get()), c.hr);
        taviUnits linear{};
        target->get_LinearUnits(&linear);
        EXPECT_EQ(linear, c.hr == S_OK ? taviUnits::Feet : taviUnits::Meters);
    }
}

TEST_F(GPUnitDomainTest, XmlForm) {
    auto domain = Units(NewRange(0, 5).Get(), nullptr, taviUnits::NauticalMiles, taviAreaUnits::SquareKilometers,
                        taviTimeUnits::Centuries);
    BStr xml;
    ASSERT_EQ(TaviXmlSerialize(domain.Get(), nullptr, xml.Out()), S_OK);
    // The array, then three "Units" elements in the order linear, areal, time.
    std::u16string_view text = xml.view();
    size_t array = text.find(u"<GPDomainArray");
    size_t linear = text.find(u">NauticalMiles</Units>");
    size_t areal = text.find(u">SquareKilometers</Units>");
    size_t time = text.find(u">Centuries</Units>");
    ASSERT_NE(time, std::u16string_view::npos) << ToUtf8(text);
    EXPECT_LT(array, linear);
    EXPECT_LT(linear, areal);
    EXPECT_LT(areal, time);

    auto read = Units(nullptr, nullptr);
    ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), read.Get()), S_OK);
    EXPECT_TRUE(Equal(read.Get(), domain.Get()));

    // Every unit of each kind reads back.
    for (int32_t units = 0; units <= 19; ++units) {
        SCOPED_TRACE(units);
        auto each = Units(nullptr, nullptr, static_cast<taviUnits>(units % 18), static_cast<taviAreaUnits>(units),
                          static_cast<taviTimeUnits>(units % 11));
        ASSERT_EQ(TaviXmlSerialize(each.Get(), nullptr, xml.Out()), S_OK);
        auto back = Units(NewRange(0, 1).Get(), nullptr);
        ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), back.Get()), S_OK);
        EXPECT_TRUE(Equal(back.Get(), each.Get()));
    }

    // Without the array, reading changes nothing.
    const char16_t* bare = u"<GPUnitDomain xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance'>"
                           u"<Units>Feet</Units></GPUnitDomain>";
    auto kept = Units(NewRange(0, 1).Get(), nullptr, taviUnits::Meters);
    ASSERT_EQ(TaviXmlDeserialize(bare, kept.Get()), S_OK);
    EXPECT_TRUE(Equal(kept.Get(), Units(NewRange(0, 1).Get(), nullptr, taviUnits::Meters).Get()));
}

} // namespace
} // namespace tavi::test
