// The date value: its text in the thread's calendar (English, German, Hijri and Thai), the three readers of date
// text, the variant kinds put_Value takes, equality, and the stream and XML forms with their version and namespace
// rules.
#include "TestSupport.h"

#include "host/CreateInstance.h"
#include "host/DocumentVersion.h"
#include "host/StreamIO.h"
#include "host/String.h"
#include "host/XmlNamespace.h"
#include "platform/DateText.h"
#include "platform/Locale.h"
#include "tavi/Entry.h"
#include "tavi/GPScalar.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

#include <cmath>
#include <limits>
#include <vector>

namespace tavi::test {
namespace {

constexpr LCID kEnglishUS = 1033;
constexpr LCID kGerman = 1031;
constexpr LCID kArabicSaudi = 1025;
constexpr LCID kThai = 1054;

DATE At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    DATE date = 0;
    EXPECT_TRUE(datetext::FromFields({year, month, day, hour, minute, second}, date));
    return date;
}

class GPDateTest : public ModuleClassesTest {
protected:
    void TearDown() override {
        UseLocale(kEnglishUS, kEnglishUS);
        ModuleClassesTest::TearDown();
    }

    // The user default locale and the calling thread's locale.
    static void UseLocale(LCID userDefault, LCID thread) {
        locale::SetUserDefaultLocaleForTesting(userDefault);
        ASSERT_TRUE(SetThreadLocale(thread));
    }

    static ComPtr<IGPDate> NewDate() { return Create<IGPDate>(CLSID_GPDate); }
    static ComPtr<IGPDate> NewDate(const VARIANT& value) {
        auto date = NewDate();
        EXPECT_EQ(date->put_Value(value), S_OK);
        return date;
    }
};

Variant ValueOf(IGPDate* date) {
    Variant value;
    EXPECT_EQ(date->get_Value(value.Out()), S_OK);
    return value;
}
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
    VARIANT_BOOL equal = 7;
    EXPECT_EQ(QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal), S_OK);
    return equal != VARIANT_FALSE;
}
// SetAsText's message code: 0 for a message that is no error.
int32_t SetText(IUnknown* value, const char16_t* text) {
    ComPtr<IGPMessage> message;
    EXPECT_EQ(QueryAs<IGPValue>(value)->SetAsText(text, message.Out()), S_OK);
    if (!message)
        return -1;
    VARIANT_BOOL error = VARIANT_FALSE;
    int32_t code = 0;
    message->IsError(&error);
    message->get_ErrorCode(&code);
    return error ? code : 0;
}
ComPtr<IStream> NewStream() {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnMemory(nullptr, 0, docversion::kCurrent, stream.Out()), S_OK);
    return stream;
}

TEST_F(GPDateTest, TextInEnglishAndGerman) {
    struct Case {
        DATE date;
        const char16_t* english;
        const char16_t* german;
        const char* reason;
    };
    const Case cases[] = {
        {At(2024, 3, 5), u"3/5/2024", u"05.03.2024", "a whole day: the date alone"},
        {At(2024, 3, 5, 14, 7, 9), u"3/5/2024 2:07:09 PM", u"05.03.2024 14:07:09", "date and time"},
        {0.5, u"12:00:00 PM", u"12:00:00", "below one day: the time alone"},
        {-0.25, u"6:00:00 AM", u"06:00:00", "negative and above -1: the time alone"},
        {0.0, u"12:00:00 AM", u"00:00:00", "day 0: the plain conversion"},
        {365.0, u"12/30/1900", u"30.12.1900", "a year after day 0"},
        {-109206.0, u"12/31/1600", u"31.12.1600", "before 1601: through VarBstrFromDate"},
        {2958465.0, u"12/31/9999", u"31.12.9999", "the last day"},
        {3000000.0, u"<?>", u"<?>", "beyond the calendar"},
        {-657435.0, u"<?>", u"<?>", "before the calendar"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto date = NewDate(Variant::Date(c.date));
        UseLocale(kEnglishUS, kEnglishUS);
        EXPECT_EQ(ToUtf8(AsText(date.Get())), ToUtf8(c.english));
        UseLocale(kGerman, kGerman);
        EXPECT_EQ(ToUtf8(AsText(date.Get())), ToUtf8(c.german));
    }
    // An empty date has the empty text.
    EXPECT_EQ(AsText(NewDate().Get()), u"");
}

TEST_F(GPDateTest, CalendarFollowsTheThreadLocale) {
    // The Thai and Hijri thread locales write and read their own calendars, whatever the user default; 5 March 2024
    // is Buddhist year 2567 and 24 Sha'ban 1445. Other thread locales use the user default locale.
    struct Case {
        LCID userDefault;
        LCID thread;
        const char16_t* year;
    };
    const Case cases[] = {
        {kEnglishUS, kThai, u"2567"},          {kThai, kThai, u"2567"},   {kEnglishUS, kArabicSaudi, u"1445"},
        {kArabicSaudi, kArabicSaudi, u"1445"}, {kThai, kGerman, u"2024"}, // a German thread in a Thai session: the user
                                                                          // default, Gregorian
    };
    const DATE day = At(2024, 3, 5);
    const DATE moment = At(2024, 3, 5, 14, 7, 9);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.userDefault << " / " << c.thread);
        UseLocale(c.userDefault, c.thread);
        for (DATE d : {day, moment}) {
            auto date = NewDate(Variant::Date(d));
            String text = AsText(date.Get());
            EXPECT_NE(text.find(c.year), String::npos) << ToUtf8(text);
            // What the value writes, it reads back in the same calendar.
            auto read = NewDate();
            EXPECT_EQ(SetText(read.Get(), text.c_str()), 0) << ToUtf8(text);
            EXPECT_NEAR(ValueOf(read.Get()).date, d, 1e-9) << ToUtf8(text);
        }
        // Below one day the time alone; with a calendar that goes through the calendar's conversion.
        String time = AsText(NewDate(Variant::Date(0.5)).Get());
        EXPECT_EQ(time.find(c.year), String::npos) << ToUtf8(time);
        EXPECT_FALSE(time.empty());
    }
    // An invariant thread writes the invariant form, not the German user default's.
    UseLocale(kGerman, LOCALE_INVARIANT);
    EXPECT_EQ(AsText(NewDate(Variant::Date(day)).Get()), u"03/05/2024");
    // A day before the first Hijri year has no Hijri text: the plain Gregorian conversion stands in.
    UseLocale(kEnglishUS, kArabicSaudi);
    EXPECT_EQ(AsText(NewDate(Variant::Date(At(500, 1, 1))).Get()), u"1/1/0500");
    // A day number beyond the calendar is "<?>" in every calendar.
    UseLocale(kEnglishUS, kThai);
    EXPECT_EQ(AsText(NewDate(Variant::Date(3000000.0)).Get()), u"<?>");
}

TEST_F(GPDateTest, ReadsText) {
    constexpr DATE kUnchanged = 12.5;
    struct Case {
        LCID userDefault;
        LCID thread;
        const char16_t* text;
        int32_t code; // the message code; 0 when the text reads
        DATE date;
        const char* reason;
    };
    const Case cases[] = {
        {kEnglishUS, kEnglishUS, u"3/5/2024 2:07:09 PM", 0, At(2024, 3, 5, 14, 7, 9), "the locale's own form"},
        {kEnglishUS, kEnglishUS, u"2024-03-05T14:07:09", 0, At(2024, 3, 5, 14, 7, 9), "ISO with T: second route"},
        {kEnglishUS, kEnglishUS, u"2024-03-05T14:07:09.5Z", 0, At(2024, 3, 5, 14, 7, 9), "fraction and zone dropped"},
        {kEnglishUS, kEnglishUS, u"2024-03-05T23:30-05:00", 0, At(2024, 3, 5, 23, 30), "the wall time is kept"},
        {kEnglishUS, kEnglishUS, u"20240305T1407", 0, At(2024, 3, 5, 14, 7), "ISO basic: third route"},
        {kEnglishUS, kEnglishUS, u"2024/03/05 14:07:09.25", 0, At(2024, 3, 5, 14, 7, 9), "plain form with a fraction"},
        {kGerman, kGerman, u"05.03.2024 14:07", 0, At(2024, 3, 5, 14, 7), "the German form"},
        {kGerman, kGerman, u"2024-03-05T14:07", 0, At(2024, 3, 5, 14, 7), "ISO in German"},
        {kEnglishUS, kThai, u"2024-03-05T14:07", 0, At(2024, 3, 5, 14, 7), "ISO is Gregorian on a Thai thread"},
        {kEnglishUS, kArabicSaudi, u"2024-03-05T14:07", 0, At(2024, 3, 5, 14, 7), "and on a Hijri thread"},
        {kEnglishUS, kEnglishUS, u"not a date", 827, kUnchanged, "garbage: message 827, value unchanged"},
        {kEnglishUS, kEnglishUS, u"2023-02-29T10:00", 827, kUnchanged, "no such day"},
        {kEnglishUS, kEnglishUS, u"1", 827, kUnchanged, "a bare number is no date text"},
        {kEnglishUS, kEnglishUS, u"05.03.2024", 827, kUnchanged, "the German form is not English"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        UseLocale(c.userDefault, c.thread);
        auto date = NewDate(Variant::Date(kUnchanged));
        EXPECT_EQ(SetText(date.Get(), c.text), c.code);
        Variant value = ValueOf(date.Get());
        EXPECT_EQ(value.vt, VT_DATE);
        EXPECT_NEAR(value.date, c.date, 1e-9);
    }
    // Through put_Value, text that does not read is a failure and changes nothing.
    auto date = NewDate(Variant::Date(kUnchanged));
    EXPECT_EQ(date->put_Value(Variant::Text(u"not a date")), E_FAIL);
    EXPECT_EQ(ValueOf(date.Get()).date, kUnchanged);
    // A NUL inside the text is not the end of it: the readers would take "3/5/2024" for the whole.
    EXPECT_EQ(date->put_Value(Variant::Text(std::u16string_view(u"3/5/2024\0garbage", 16))), E_FAIL);
    EXPECT_EQ(ValueOf(date.Get()).date, kUnchanged);
}

TEST_F(GPDateTest, EmptyingForms) {
    // A null or empty text, VT_EMPTY, VT_NULL and the empty text variant all empty the value, with a message that
    // is no error; Empty does too.
    auto date = NewDate(Variant::Date(45356.0));
    for (const char16_t* text : {static_cast<const char16_t*>(nullptr), u""}) {
        ASSERT_EQ(date->put_Value(Variant::Date(45356.0)), S_OK);
        EXPECT_EQ(SetText(date.Get(), text), 0);
        EXPECT_TRUE(IsEmpty(date.Get()));
        EXPECT_EQ(ValueOf(date.Get()).vt, VT_EMPTY);
    }
    Variant null;
    null.vt = VT_NULL;
    for (const Variant& clearing : {Variant(), null, Variant::Text(u"")}) {
        ASSERT_EQ(date->put_Value(Variant::Date(45356.0)), S_OK);
        EXPECT_EQ(date->put_Value(clearing), S_OK);
        EXPECT_TRUE(IsEmpty(date.Get()));
        EXPECT_EQ(ValueOf(date.Get()).vt, VT_EMPTY);
    }
    ASSERT_EQ(date->put_Value(Variant::Date(45356.0)), S_OK);
    EXPECT_EQ(QueryAs<IGPValue>(date.Get())->Empty(), S_OK);
    EXPECT_TRUE(IsEmpty(date.Get()));
    EXPECT_EQ(QueryAs<IGPValue>(date.Get())->SetAsText(u"x", nullptr), E_POINTER);
    EXPECT_EQ(date->get_Value(nullptr), E_POINTER);
}

TEST_F(GPDateTest, OtherVariantKinds) {
    Variant integer = Variant::Int(45356);
    Variant boolean = Variant::Bool(true);
    Variant unknown;
    unknown.vt = VT_UNKNOWN;
    unknown.punkVal = nullptr;
    struct Case {
        const Variant& value;
        HRESULT hr;
        DATE date;
        const char* reason;
    };
    const Variant real = Variant::Double(45356.75);
    const Variant tooLate = Variant::Double(3000000.0);
    const Variant dateBeyond = Variant::Date(3000000.0);
    const Variant notANumber = Variant::Date(std::numeric_limits<double>::quiet_NaN());
    const Variant infinite = Variant::Double(std::numeric_limits<double>::infinity());
    const Case cases[] = {
        {real, S_OK, 45356.75, "a double becomes a date"},
        {integer, S_OK, 45356.0, "an integer too"},
        {boolean, S_OK, -1.0, "a boolean converts as its number"},
        {dateBeyond, S_OK, 3000000.0, "a date is kept as it is, even beyond the calendar"},
        {tooLate, E_FAIL, 12.0, "a double beyond the calendar has no date"},
        {notANumber, E_FAIL, 12.0, "a day number that is not a number is no point in time"},
        {infinite, E_FAIL, 12.0, "nor is an infinite one"},
        {unknown, E_FAIL, 12.0, "an object does not convert"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto date = NewDate(Variant::Date(12.0));
        EXPECT_EQ(date->put_Value(c.value), c.hr);
        Variant stored = ValueOf(date.Get());
        EXPECT_EQ(stored.vt, VT_DATE);
        EXPECT_EQ(stored.date, c.date);
    }
    // IGPVariant is the same property.
    auto date = NewDate();
    ASSERT_EQ(QueryAs<IGPVariant>(date.Get())->put_Value(Variant::Date(45356.5)), S_OK);
    Variant through;
    ASSERT_EQ(QueryAs<IGPVariant>(date.Get())->get_Value(through.Out()), S_OK);
    EXPECT_EQ(through.vt, VT_DATE);
    EXPECT_EQ(ValueOf(date.Get()).date, 45356.5);
}

TEST_F(GPDateTest, EqualityAndAssignment) {
    auto empty = NewDate();
    auto dayZero = NewDate(Variant::Date(0.0));
    auto day = NewDate(Variant::Date(45356.25));
    auto sameDay = NewDate(Variant::Double(45356.25));
    EXPECT_TRUE(Equal(empty.Get(), NewDate().Get()));
    EXPECT_FALSE(Equal(empty.Get(), dayZero.Get())) << "an empty date is not day 0";
    EXPECT_FALSE(Equal(dayZero.Get(), empty.Get()));
    EXPECT_TRUE(Equal(day.Get(), sameDay.Get()));
    EXPECT_FALSE(Equal(day.Get(), dayZero.Get()));
    // A value that is no date is unequal, and the call still succeeds.
    auto text = Create<IGPString>(CLSID_GPString);
    text->put_Value(u"3/5/2024");
    EXPECT_FALSE(Equal(day.Get(), text.Get()));
    VARIANT_BOOL equal = VARIANT_FALSE;
    EXPECT_EQ(QueryAs<IClone>(day.Get())->IsEqual(nullptr, &equal), E_POINTER);

    // Clone and Assign copy the whole variant, emptiness included.
    ComPtr<IClone> clone;
    ASSERT_EQ(QueryAs<IClone>(day.Get())->Clone(clone.Out()), S_OK);
    EXPECT_TRUE(Equal(clone.Get(), day.Get()));
    auto target = NewDate(Variant::Date(1.0));
    ASSERT_EQ(QueryAs<IClone>(target.Get())->Assign(QueryAs<IClone>(empty.Get()).Get()), S_OK);
    EXPECT_TRUE(IsEmpty(target.Get()));
    EXPECT_EQ(QueryAs<IClone>(target.Get())->Assign(QueryAs<IClone>(text.Get()).Get()), E_INVALIDARG);
    EXPECT_TRUE(IsEmpty(target.Get()));
}

TEST_F(GPDateTest, StreamRoundTrip) {
    for (DATE d : {45356.25, 0.0, -5.25, 3000000.0}) {
        SCOPED_TRACE(d);
        auto date = NewDate(Variant::Date(d));
        auto stream = NewStream();
        ASSERT_EQ(QueryAs<IPersistStream>(date.Get())->Save(stream.Get(), 1), S_OK);
        EXPECT_EQ(QueryAs<IPersistStream>(date.Get())->IsDirty(), S_FALSE);
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        auto read = NewDate(Variant::Date(7.0));
        ASSERT_EQ(QueryAs<IPersistStream>(read.Get())->Load(stream.Get()), S_OK);
        EXPECT_TRUE(Equal(read.Get(), date.Get()));
        EXPECT_EQ(ValueOf(read.Get()).date, d);
        EXPECT_EQ(QueryAs<IPersistStream>(read.Get())->IsDirty(), S_FALSE);
    }
    // An empty date reads back empty over a set one.
    auto stream = NewStream();
    ASSERT_EQ(QueryAs<IPersistStream>(NewDate().Get())->Save(stream.Get(), 1), S_OK);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    auto read = NewDate(Variant::Date(7.0));
    ASSERT_EQ(QueryAs<IPersistStream>(read.Get())->Load(stream.Get()), S_OK);
    EXPECT_TRUE(IsEmpty(read.Get()));
}

TEST_F(GPDateTest, StreamVersionsAndStoredKinds) {
    Variant text = Variant::Text(u"3/5/2024");
    Variant nan = Variant::Date(std::numeric_limits<double>::quiet_NaN());
    struct Case {
        uint16_t version;
        Variant value;
        bool truncated;
        HRESULT hr;
        bool empty;
        DATE date;
        const char* reason;
    };
    const Case cases[] = {
        {0, Variant::Date(45356.0), false, S_OK, false, 45356.0, "version 0 is read"},
        {1, Variant::Date(45356.0), false, S_OK, false, 45356.0, "version 1 is read"},
        {2, Variant::Date(45356.0), false, E_FAIL, false, 0, "a newer version is refused"},
        {1, Variant::Date(45356.0), true, E_FAIL, false, 0, "a truncated stream is refused"},
        {1, Variant::Double(45356.5), false, S_OK, false, 45356.5, "a stored number is taken as a date"},
        {1, Variant(), false, S_OK, true, 0, "an empty variant"},
        {1, text, false, E_FAIL, false, 0, "stored text is refused: its reading would depend on the locale"},
        {1, nan, false, E_FAIL, false, 0, "a day number that is not a number is refused"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto stream = NewStream();
        AfStreamWrite(stream.Get(), c.version);
        AfStreamWrite(stream.Get(), int16_t{VARIANT_FALSE});
        if (!c.truncated)
            WriteVariant(stream.Get(), c.value);
        stream->Seek(0, STREAM_SEEK_SET, nullptr);
        auto date = NewDate();
        EXPECT_EQ(QueryAs<IPersistStream>(date.Get())->Load(stream.Get()), c.hr);
        if (c.hr == S_OK) {
            EXPECT_EQ(IsEmpty(date.Get()), c.empty);
            EXPECT_EQ(ValueOf(date.Get()).date, c.date);
        }
    }
    auto date = NewDate();
    EXPECT_EQ(QueryAs<IPersistStream>(date.Get())->Save(nullptr, 1), E_POINTER);
    EXPECT_EQ(QueryAs<IPersistStream>(date.Get())->Load(nullptr), E_POINTER);
}

// Records what a value writes, to tell a variant element from a date element (the XML text of both is the same).
class RecordingXmlData final : public Object<RecordingXmlData, IXMLSerializeData> {
public:
    String typeName, typeNamespace;
    std::vector<std::pair<String, VARTYPE>> elements; // VT_DATE for AddDate, VT_VARIANT for AddVariant

    HRESULT get_TypeName(BSTR*) override { return E_NOTIMPL; }
    HRESULT put_TypeName(const OLECHAR* name) override {
        typeName = name;
        return S_OK;
    }
    HRESULT get_TypeNamespaceURI(BSTR*) override { return E_NOTIMPL; }
    HRESULT put_TypeNamespaceURI(const OLECHAR* uri) override {
        typeNamespace = uri;
        return S_OK;
    }
    HRESULT AddString(const OLECHAR* name, const OLECHAR*) override { return Add(name, VT_BSTR); }
    HRESULT AddInteger(const OLECHAR* name, int32_t) override { return Add(name, VT_I4); }
    HRESULT AddDouble(const OLECHAR* name, double) override { return Add(name, VT_R8); }
    HRESULT AddBoolean(const OLECHAR* name, VARIANT_BOOL) override { return Add(name, VT_BOOL); }
    HRESULT AddDate(const OLECHAR* name, DATE) override { return Add(name, VT_DATE); }
    HRESULT AddVariant(const OLECHAR* name, const VARIANT*) override { return Add(name, VT_VARIANT); }
    HRESULT AddObject(const OLECHAR* name, IUnknown*) override { return Add(name, VT_UNKNOWN); }
    HRESULT AddObjectArray(const OLECHAR*, IUnknown*, const OLECHAR*, const OLECHAR*) override { return E_NOTIMPL; }
    HRESULT get_ElementCount(int32_t*) override { return E_NOTIMPL; }
    HRESULT GetElementName(int32_t, BSTR*) override { return E_NOTIMPL; }
    HRESULT Find(const OLECHAR*, int32_t*) override { return E_NOTIMPL; }
    HRESULT GetString(int32_t, BSTR*) override { return E_NOTIMPL; }
    HRESULT GetInteger(int32_t, int32_t*) override { return E_NOTIMPL; }
    HRESULT GetDouble(int32_t, double*) override { return E_NOTIMPL; }
    HRESULT GetBoolean(int32_t, VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT GetDate(int32_t, DATE*) override { return E_NOTIMPL; }
    HRESULT GetVariant(int32_t, VARIANT*) override { return E_NOTIMPL; }
    HRESULT GetObject(int32_t, const OLECHAR*, const OLECHAR*, IUnknown**) override { return E_NOTIMPL; }
    HRESULT GetObjectArray(int32_t, const OLECHAR*, const OLECHAR*, IUnknown*) override { return E_NOTIMPL; }

private:
    HRESULT Add(const OLECHAR* name, VARTYPE kind) {
        elements.emplace_back(name, kind);
        return S_OK;
    }
};

TEST_F(GPDateTest, XmlFormFollowsTheDocumentNamespace) {
    struct Case {
        const char16_t* ns;
        VARTYPE valueKind;
        const char* reason;
    };
    const String upperOld = ToUpperAscii(c_xml_ns_tavi_92);
    const Case cases[] = {
        {c_xml_ns_tavi, VT_DATE, "the current namespace: a date element"},
        {c_xml_ns_tavi_101, VT_DATE, "a newer old namespace: a date element"},
        {c_xml_ns_tavi_90, VT_VARIANT, "the oldest namespace: a variant"},
        {c_xml_ns_tavi_92, VT_VARIANT, "the second oldest: a variant"},
        {upperOld.c_str(), VT_VARIANT, "namespaces compare without regard to case"},
    };
    auto date = NewDate(Variant::Date(45356.25));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        auto data = MakeObject<RecordingXmlData>();
        {
            DocumentNamespaceScope scope(c.ns);
            ASSERT_EQ(QueryAs<IXMLSerialize>(date.Get())->Serialize(data.Get()), S_OK);
        }
        EXPECT_EQ(data->typeName, u"GPDate");
        EXPECT_EQ(data->typeNamespace, c.ns);
        ASSERT_EQ(data->elements.size(), 2u);
        EXPECT_EQ(data->elements[1], (std::pair<String, VARTYPE>{u"Value", c.valueKind}));

        // The real document reads back equal, either way.
        BStr xml;
        ASSERT_EQ(TaviXmlSerialize(date.Get(), c.ns, xml.Out()), S_OK);
        auto read = NewDate();
        ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), read.Get()), S_OK) << ToUtf8(xml.view());
        EXPECT_TRUE(Equal(read.Get(), date.Get())) << ToUtf8(xml.view());
        EXPECT_EQ(ValueOf(read.Get()).vt, VT_DATE);
        EXPECT_EQ(QueryAs<IPersistStream>(read.Get())->IsDirty(), S_FALSE);
    }
    // An empty date writes no "Value".
    auto data = MakeObject<RecordingXmlData>();
    ASSERT_EQ(QueryAs<IXMLSerialize>(NewDate().Get())->Serialize(data.Get()), S_OK);
    EXPECT_EQ(data->elements.size(), 1u);
}

TEST_F(GPDateTest, XmlRoundTripsAndBadElements) {
    for (DATE d : {45356.0, 45356.123456789, -5.25, 3000000.0}) {
        SCOPED_TRACE(d);
        auto date = NewDate(Variant::Date(d));
        BStr xml;
        ASSERT_EQ(TaviXmlSerialize(date.Get(), nullptr, xml.Out()), S_OK);
        auto read = NewDate();
        ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), read.Get()), S_OK) << ToUtf8(xml.view());
        EXPECT_EQ(ValueOf(read.Get()).date, d) << ToUtf8(xml.view());
    }
    // An empty date reads back empty, also over a set one.
    BStr xml;
    ASSERT_EQ(TaviXmlSerialize(NewDate().Get(), nullptr, xml.Out()), S_OK);
    auto read = NewDate(Variant::Date(3.0));
    ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), read.Get()), S_OK);
    EXPECT_TRUE(IsEmpty(read.Get()));

    // A missing or unreadable "Value" leaves the value as it was and succeeds.
    ASSERT_EQ(TaviXmlSerialize(NewDate(Variant::Date(45356.0)).Get(), nullptr, xml.Out()), S_OK);
    String document(xml.view());
    size_t at = document.find(u"2024-03-05T00:00:00");
    ASSERT_NE(at, String::npos) << ToUtf8(document);
    String unreadable = document;
    unreadable.replace(at, 19, u"yesterday");
    size_t open = document.find(u"<Value");
    size_t close = document.find(u"</Value>");
    ASSERT_TRUE(open != String::npos && close != String::npos);
    String missing = document;
    missing.erase(open, close + 8 - open);
    for (const String& text : {unreadable, missing}) {
        auto kept = NewDate(Variant::Date(7.0));
        EXPECT_EQ(TaviXmlDeserialize(text.c_str(), kept.Get()), S_OK) << ToUtf8(text);
        EXPECT_EQ(ValueOf(kept.Get()).date, 7.0);
    }
}

TEST_F(GPDateTest, ClassAndDataType) {
    auto date = Create<IUnknown>(CLSID_GPDate);
    for (const IID& iid : {IGPDate::iid, IGPVariant::iid, IGPValue::iid, IXMLSerialize::iid, IClone::iid,
                           IPersistStream::iid, IPersist::iid}) {
        ComPtr<IUnknown> answer;
        EXPECT_EQ(date->QueryInterface(iid, answer.OutVoid()), S_OK);
    }
    ComPtr<IUnknown> describe;
    EXPECT_EQ(date->QueryInterface(IGPDescribe::iid, describe.OutVoid()), E_NOINTERFACE);

    // The data type makes dates from text and reports a text that is no date in the value's message.
    ComPtr<IGPDataType> type;
    ASSERT_EQ(QueryAs<IGPValue>(date.Get())->get_DataType(type.Out()), S_OK);
    EXPECT_TRUE(QueryAs<IGPDateType>(type.Get()));
    ComPtr<IGPValue> made;
    ASSERT_EQ(type->CreateValue(u"2024-03-05T14:07:09", made.Out()), S_OK);
    EXPECT_EQ(ValueOf(QueryAs<IGPDate>(made.Get()).Get()).date, At(2024, 3, 5, 14, 7, 9));
}

} // namespace
} // namespace tavi::test
