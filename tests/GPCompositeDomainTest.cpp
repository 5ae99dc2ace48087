// The composite domain: membership by the first accepting entry, the entry list, browse filters, cloning and the
// prefix rule of comparison, and the stream and XML forms.
#include "DomainTestSupport.h"

#include "domains/InnerDomains.h"
#include "host/StreamIO.h"
#include "tavi/Xml.h"

namespace tavi::test {
namespace {

class GPCompositeDomainTest : public ModuleClassesTest {
protected:
    // A composite of the given entries (null: an empty entry).
    static ComPtr<IGPCompositeDomain> Composite(std::initializer_list<IGPDomain*> entries) {
        auto composite = Create<IGPCompositeDomain>(CLSID_GPCompositeDomain);
        for (IGPDomain* entry : entries)
            EXPECT_EQ(composite->AddDomain(entry), S_OK);
        return composite;
    }
    static ComPtr<IGPDomain> Coded(std::initializer_list<const char16_t*> codes) {
        auto coded = Create<IGPCodedValueDomain>(CLSID_GPCodedValueDomain);
        for (const char16_t* code : codes)
            EXPECT_EQ(coded->AddStringCode(code, code), S_OK);
        return coded.As<IGPDomain>();
    }
    static int32_t Count(IUnknown* composite) {
        int32_t count = -1;
        EXPECT_EQ(QueryAs<IGPCompositeDomain>(composite)->get_DomainCount(&count), S_OK);
        return count;
    }
    static ComPtr<IGPDomain> Entry(IUnknown* composite, int32_t index) {
        ComPtr<IGPDomain> entry;
        EXPECT_EQ(QueryAs<IGPCompositeDomain>(composite)->get_Domain(index, entry.Out()), S_OK);
        return entry;
    }
};

// What a composite message holds: the codes of its members, in order.
std::vector<int32_t> MemberCodes(IGPMessage* message) {
    std::vector<int32_t> codes;
    auto messages = QueryAs<IGPMessages>(message);
    int32_t count = 0;
    if (!messages || FAILED(messages->get_Count(&count)))
        return {-1};
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IGPMessage> member;
        messages->GetMessage(i, member.Out());
        codes.push_back(MessageCode(member.Get()));
    }
    return codes;
}

TEST_F(GPCompositeDomainTest, FirstAcceptingEntryDecides) {
    auto low = NewRange(0, 10);
    auto high = NewRange(20, 30);
    auto abc = Coded({u"A", u"B"});
    auto cde = Coded({u"C", u"D"});
    struct Case {
        const char* reason;
        ComPtr<IGPCompositeDomain> composite;
        const char16_t* text;
        bool composed;              // the answer is the composite message (no entry accepted)
        std::vector<int32_t> codes; // its members' codes
        int32_t type;               // the answer's type
    };
    const Case cases[] = {
        {"no entries: an empty composite", Composite({}), u"5", true, {}, taviGPMessageTypeEmpty},
        {"first entry accepts", Composite({low.Get(), high.Get()}), u"5", false, {}, taviGPMessageTypeEmpty},
        {"second entry accepts", Composite({low.Get(), high.Get()}), u"25", false, {}, taviGPMessageTypeEmpty},
        {"none accepts: every complaint in order",
         Composite({low.Get(), high.Get()}),
         u"50",
         true,
         {854, 854},
         taviGPMessageTypeError},
        {"an empty entry accepts everything",
         Composite({low.Get(), nullptr}),
         u"50",
         false,
         {},
         taviGPMessageTypeEmpty},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto value = NewValue(CLSID_GPDouble, c.text);
        ComPtr<IGPMessage> message;
        ASSERT_EQ(QueryAs<IGPDomain>(c.composite.Get())->MemberOf(value.Get(), message.Out()), S_OK);
        ASSERT_TRUE(message);
        EXPECT_EQ(MessageType(message.Get()), c.type);
        EXPECT_EQ(bool(QueryAs<IGPMessages>(message.Get())), c.composed);
        if (c.composed) {
            EXPECT_EQ(MemberCodes(message.Get()), c.codes);
        }
    }

    // Two coded value domains: a code of the second is answered by the second; a value among neither gets both
    // complaints, and the call still succeeds.
    auto coded = Composite({abc.Get(), cde.Get()});
    ComPtr<IGPMessage> message;
    ASSERT_EQ(QueryAs<IGPDomain>(coded.Get())->MemberOf(NewValue(CLSID_GPString, u"D").Get(), message.Out()), S_OK);
    EXPECT_FALSE(QueryAs<IGPMessages>(message.Get()));
    EXPECT_EQ(MessageType(message.Get()), taviGPMessageTypeEmpty);
    ASSERT_EQ(QueryAs<IGPDomain>(coded.Get())->MemberOf(NewValue(CLSID_GPString, u"X").Get(), message.Out()), S_OK);
    EXPECT_EQ(MemberCodes(message.Get()), (std::vector<int32_t>{800, 800}));
    EXPECT_EQ(MessageType(message.Get()), taviGPMessageTypeError);
}

TEST_F(GPCompositeDomainTest, FailingEntryEndsTheCheck) {
    auto failing = MakeObject<RecordingDomain>(taviGPMessageTypeEmpty, 0, E_UNEXPECTED);
    auto later = MakeObject<RecordingDomain>();
    auto rejecting = MakeObject<RecordingDomain>(taviGPMessageTypeError, 1, S_FALSE);
    auto value = NewValue(CLSID_GPDouble, u"1");

    // S_FALSE is no failure: the next entry is asked. A failure code ends the call with no message.
    auto composite = Composite({rejecting.Get(), failing.Get(), later.Get()});
    IGPMessage* message = reinterpret_cast<IGPMessage*>(0x1);
    EXPECT_EQ(QueryAs<IGPDomain>(composite.Get())->MemberOf(value.Get(), &message), E_UNEXPECTED);
    EXPECT_EQ(message, nullptr);
    EXPECT_EQ(later->calls, 0);
    EXPECT_TRUE(SameObject(rejecting->seen.Get(), value.Get()));

    EXPECT_EQ(QueryAs<IGPDomain>(composite.Get())->MemberOf(value.Get(), nullptr), E_POINTER);
}

TEST_F(GPCompositeDomainTest, EntryList) {
    auto a = NewRange(0, 1);
    auto b = NewRange(0, 2);
    auto composite = Composite({a.Get(), nullptr});
    auto persist = composite.As<IPersistStream>();
    EXPECT_EQ(persist->IsDirty(), S_OK);
    EXPECT_TRUE(SameObject(Entry(composite.Get(), 0).Get(), a.Get()));
    EXPECT_FALSE(Entry(composite.Get(), 1)); // an empty entry: none, S_OK

    // Indexes outside the list leave the out pointer untouched.
    for (int32_t index : {-1, 2}) {
        IGPDomain* untouched = reinterpret_cast<IGPDomain*>(0x1);
        EXPECT_EQ(composite->get_Domain(index, &untouched), E_INVALIDARG) << index;
        EXPECT_EQ(untouched, reinterpret_cast<IGPDomain*>(0x1));
        EXPECT_EQ(composite->RemoveDomain(index), E_INVALIDARG);
        EXPECT_EQ(composite->ReplaceDomain(index, b.Get()), E_INVALIDARG);
    }
    EXPECT_EQ(composite->get_Domain(0, nullptr), E_POINTER);
    EXPECT_EQ(composite->get_DomainCount(nullptr), E_POINTER);

    // Replace and remove; later entries move up. Each change marks the domain dirty.
    ASSERT_EQ(persist->Save(NewStream().Get(), 1), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    ASSERT_EQ(composite->ReplaceDomain(1, b.Get()), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_OK);
    ASSERT_EQ(composite->ReplaceDomain(0, nullptr), S_OK);
    ASSERT_EQ(composite->RemoveDomain(0), S_OK);
    EXPECT_EQ(Count(composite.Get()), 1);
    EXPECT_TRUE(SameObject(Entry(composite.Get(), 0).Get(), b.Get()));

    // The domain cannot hold itself: it would recurse for ever and never be released.
    EXPECT_EQ(composite->AddDomain(composite.As<IGPDomain>().Get()), E_INVALIDARG);
    EXPECT_EQ(composite->ReplaceDomain(0, composite.As<IGPDomain>().Get()), E_INVALIDARG);
    EXPECT_EQ(Count(composite.Get()), 1);
}

TEST_F(GPCompositeDomainTest, CyclesThroughOtherDomainsFailInsteadOfRecursing) {
    auto outer = Composite({});
    auto inner = Composite({outer.As<IGPDomain>().Get()});
    ASSERT_EQ(outer->AddDomain(inner.As<IGPDomain>().Get()), S_OK);
    auto value = NewValue(CLSID_GPDouble, u"1");
    ComPtr<IGPMessage> message;
    EXPECT_EQ(outer.As<IGPDomain>()->MemberOf(value.Get(), message.Out()), E_FAIL);
    EXPECT_EQ(outer.As<IPersistStream>()->Save(NewStream().Get(), 0), E_FAIL);
    ComPtr<IClone> copy;
    EXPECT_EQ(outer.As<IClone>()->Clone(copy.Out()), E_FAIL);
    ASSERT_EQ(inner->RemoveDomain(0), S_OK); // breaks the reference cycle
}

TEST_F(GPCompositeDomainTest, FiltersOfTheEntries) {
    auto twoFilters = MakeObject<FilterDomain>(std::vector<std::u16string>{u"shapefiles", u"tables"});
    auto noArray = MakeObject<FilterDomain>(std::vector<std::u16string>{}, false);
    auto emptyArray = MakeObject<FilterDomain>(std::vector<std::u16string>{});
    auto range = NewRange(0, 1);
    struct Case {
        const char* reason;
        ComPtr<IGPCompositeDomain> composite;
        std::vector<std::string> filters; // empty: none handed out
    };
    const Case cases[] = {
        {"entry filters, then one for an entry without IGxFilterInfo",
         Composite({twoFilters.Get(), range.Get()}),
         {"shapefiles", "tables", "filter_datatype"}},
        {"an empty entry and an entry that gives no array stand for their data type",
         Composite({nullptr, noArray.Get()}),
         {"filter_datatype", "filter_datatype"}},
        {"an empty array adds nothing, so there are no filters", Composite({emptyArray.Get()}), {}},
        {"no entries: no filters", Composite({}), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        ComPtr<IArray> filters;
        ASSERT_EQ(c.composite.As<IGxFilterInfo>()->get_OpenGxObjectFilters(filters.Out()), S_OK);
        EXPECT_EQ(bool(filters), !c.filters.empty());
        EXPECT_EQ(FilterTexts(filters.Get()), c.filters);
    }
    EXPECT_EQ(Composite({}).As<IGxFilterInfo>()->get_OpenGxObjectFilters(nullptr), E_POINTER);
}

TEST_F(GPCompositeDomainTest, AssignClonesEntries) {
    auto range = NewRange(0, 5);
    auto unclonable = MakeObject<RecordingDomain>();
    auto source = Composite({range.Get(), nullptr, unclonable.Get()});
    auto target = Composite({NewRange(7, 8).Get()});
    ASSERT_EQ(target.As<IClone>()->Assign(source.As<IClone>().Get()), S_OK);
    ASSERT_EQ(Count(target.Get()), 3);
    auto copied = Entry(target.Get(), 0);
    EXPECT_FALSE(SameObject(copied.Get(), range.Get()));
    EXPECT_TRUE(Equal(copied.Get(), range.Get()));
    EXPECT_FALSE(Entry(target.Get(), 1));
    EXPECT_FALSE(Entry(target.Get(), 2)); // a domain that cannot be cloned leaves an empty entry
    EXPECT_EQ(target.As<IPersistStream>()->IsDirty(), S_OK);

    // Assigning a domain to itself keeps its entries.
    ASSERT_EQ(source.As<IClone>()->Assign(source.As<IClone>().Get()), S_OK);
    EXPECT_EQ(Count(source.Get()), 3);

    EXPECT_EQ(target.As<IClone>()->Assign(range.As<IClone>().Get()), E_INVALIDARG);
    EXPECT_EQ(Count(target.Get()), 3);
}

TEST_F(GPCompositeDomainTest, EqualityComparesTheOthersEntries) {
    auto a = NewRange(0, 1), b = NewRange(0, 2), c = NewRange(0, 3);
    auto sameAsA = NewRange(0, 1);
    struct Case {
        const char* reason;
        ComPtr<IGPCompositeDomain> mine, theirs;
        bool equal;
    };
    const Case cases[] = {
        {"entries equal by value", Composite({a.Get(), b.Get()}), Composite({sameAsA.Get(), b.Get()}), true},
        {"a longer list equals its own prefix", Composite({a.Get(), b.Get(), c.Get()}), Composite({a.Get(), b.Get()}),
         true},
        {"but not the other way round", Composite({a.Get(), b.Get()}), Composite({a.Get(), b.Get(), c.Get()}), false},
        {"empty entries match empty entries", Composite({nullptr, a.Get()}), Composite({nullptr, a.Get()}), true},
        {"an empty entry against a domain", Composite({nullptr}), Composite({a.Get()}), false},
        {"different bounds", Composite({a.Get()}), Composite({b.Get()}), false},
        {"different kinds of domain", Composite({a.Get()}), Composite({Coded({u"A"}).Get()}), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        EXPECT_EQ(Equal(c.mine.Get(), c.theirs.Get()), c.equal);
    }
    VARIANT_BOOL equal = VARIANT_TRUE;
    EXPECT_EQ(Composite({}).As<IClone>()->IsEqual(a.As<IClone>().Get(), &equal), S_OK);
    EXPECT_EQ(equal, VARIANT_FALSE);
    EXPECT_EQ(Composite({}).As<IClone>()->IsEqual(nullptr, &equal), E_POINTER);
}

TEST_F(GPCompositeDomainTest, StreamForm) {
    auto composite = Composite({NewRange(0, 1).Get(), nullptr, Coded({u"A", u"B"}).Get()});
    auto read = StreamCopy<IGPCompositeDomain>(composite.Get(), CLSID_GPCompositeDomain);
    ASSERT_TRUE(read);
    EXPECT_EQ(Count(read.Get()), 3);
    EXPECT_FALSE(Entry(read.Get(), 1));
    EXPECT_TRUE(Equal(read.Get(), composite.Get()));
    EXPECT_TRUE(Equal(composite.Get(), read.Get()));
    EXPECT_EQ(read.As<IPersistStream>()->IsDirty(), S_FALSE);

    // Damaged forms are refused and leave the list as it was.
    auto stream = [](uint16_t version, int32_t count, bool withEntry) {
        auto s = NewStream();
        AfStreamWrite(s.Get(), version);
        AfStreamWrite(s.Get(), count);
        if (withEntry)
            SaveObject(nullptr, s.Get(), false);
        s->Seek(0, STREAM_SEEK_SET, nullptr);
        return s;
    };
    struct Case {
        const char* reason;
        ComPtr<IStream> stream;
        HRESULT hr;
    };
    const Case cases[] = {
        {"version 1 with one empty entry", stream(1, 1, true), S_OK},
        {"a newer version", stream(2, 1, true), E_FAIL},
        {"fewer entries than counted", stream(1, 2, true), E_FAIL},
        {"a negative count", stream(1, -1, false), E_FAIL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto target = Composite({NewRange(0, 1).Get(), NewRange(0, 2).Get()});
        EXPECT_EQ(target.As<IPersistStream>()->Load(c.stream.Get()), c.hr);
        EXPECT_EQ(Count(target.Get()), c.hr == S_OK ? 1 : 2);
    }
}

TEST_F(GPCompositeDomainTest, XmlForm) {
    // Without entries only the type is written, and reading it empties the list.
    BStr xml;
    ASSERT_EQ(TaviXmlSerialize(Composite({}).Get(), nullptr, xml.Out()), S_OK);
    EXPECT_EQ(xml.view().find(u"GPDomainArray"), std::u16string_view::npos);
    EXPECT_NE(xml.view().find(u"GPCompositeDomain"), std::u16string_view::npos);
    auto emptied = Composite({NewRange(0, 1).Get()});
    ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), emptied.Get()), S_OK);
    EXPECT_EQ(Count(emptied.Get()), 0);

    // Entries read back in order; an empty entry stays an empty entry.
    auto composite = Composite({NewRange(0, 1).Get(), nullptr, Coded({u"A"}).Get()});
    ASSERT_EQ(TaviXmlSerialize(composite.Get(), nullptr, xml.Out()), S_OK);
    EXPECT_NE(xml.view().find(u"ArrayOfGPDomain"), std::u16string_view::npos);
    auto read = Composite({});
    ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), read.Get()), S_OK);
    EXPECT_EQ(Count(read.Get()), 3);
    EXPECT_TRUE(Equal(read.Get(), composite.Get()));

    // An array element that is not a domain is skipped.
    std::u16string document(xml.view());
    size_t start = document.find(u"<GPDomain ");
    ASSERT_NE(start, std::u16string::npos);
    size_t end = document.find(u"</GPDomain>", start) + std::u16string_view(u"</GPDomain>").size();
    BStr stringXml;
    ASSERT_EQ(TaviXmlSerialize(NewValue(CLSID_GPString, u"x").Get(), nullptr, stringXml.Out()), S_OK);
    std::u16string element(stringXml.view());
    element = element.substr(element.find(u"<GPString"));
    element.replace(1, 8, u"GPDomain");
    element.replace(element.rfind(u"</GPString>"), 11, u"</GPDomain>");
    std::u16string withString = document.substr(0, start) + element + document.substr(end);
    ASSERT_EQ(TaviXmlDeserialize(withString.c_str(), read.Get()), S_OK);
    EXPECT_EQ(Count(read.Get()), 2);
    EXPECT_FALSE(Entry(read.Get(), 0));
}

} // namespace
} // namespace tavi::test
