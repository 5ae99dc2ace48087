// The coded value domain: the name order and look-ups, the decimal-comma rule for names, filling from lists,
// deleting, membership with its fallbacks and the list of allowed entries in both display modes, cloning and
// comparison, and the stream and XML forms.
#include "TestSupport.h"

#include "domains/GPCodedValueDomain.h"
#include "host/CreateInstance.h"
#include "host/DocumentVersion.h"
#include "host/MessageMaker.h"
#include "host/XmlSerialize.h"
#include "tavi/Entry.h"
#include "tavi/GPCatalog.h"
#include "tavi/GPDomains.h"
#include "tavi/GPScalar.h"
#include "tavi/GPUnits.h"
#include "tavi/Stream.h"

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace tavi::test {
namespace {

class CodedValueDomainTest : public ModuleClassesTest {
protected:
    void TearDown() override {
        codedvalue::SetDecimalSeparatorForTesting(0);
        unsetenv("TAVI_HOST_APP");
        unsetenv("TAVI_SCRIPTING");
        ModuleClassesTest::TearDown();
    }

    static ComPtr<IGPCodedValueDomain> NewDomain() { return Create<IGPCodedValueDomain>(CLSID_GPCodedValueDomain); }
    // A value of `clsid` read from `text`.
    static ComPtr<IGPValue> Value(REFCLSID clsid, const char16_t* text) {
        auto value = Create<IGPValue>(clsid);
        ComPtr<IGPMessage> message;
        EXPECT_EQ(value->SetAsText(text, message.Out()), S_OK);
        return value;
    }
    static ComPtr<IGPValue> Str(const char16_t* text) { return Value(CLSID_GPString, text); }
};

// A value that cannot be cloned: it answers IGPValue and nothing more.
class BareValue final : public Object<BareValue, IGPValue> {
public:
    HRESULT get_DataType(IGPDataType** dataType) override {
        if (dataType)
            *dataType = nullptr;
        return E_NOTIMPL;
    }
    HRESULT IsEmpty(VARIANT_BOOL* empty) override {
        *empty = VARIANT_FALSE;
        return S_OK;
    }
    HRESULT Empty() override { return S_OK; }
    HRESULT GetAsText(BSTR* text) override {
        *text = SysAllocString(u"A");
        return S_OK;
    }
    HRESULT SetAsText(const OLECHAR*, IGPMessage**) override { return E_NOTIMPL; }
    HRESULT SerializeJSONObject(BSTR*) override { return E_NOTIMPL; }
    HRESULT DeserializeJSONObject(const OLECHAR*) override { return E_NOTIMPL; }
};

String NameAt(IGPCodedValueDomain* domain, int32_t index) {
    BStr name;
    EXPECT_EQ(domain->get_Name(index, name.Out()), S_OK);
    return name.str();
}
int32_t CountOf(IGPCodedValueDomain* domain) {
    int32_t count = -1;
    EXPECT_EQ(domain->get_CodeCount(&count), S_OK);
    return count;
}
String TextOf(IGPValue* value) {
    BStr text;
    EXPECT_EQ(value->GetAsText(text.Out()), S_OK);
    return text.str();
}
bool Equal(IUnknown* a, IUnknown* b) {
    VARIANT_BOOL equal = VARIANT_FALSE;
    EXPECT_EQ(QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal), S_OK);
    return equal != VARIANT_FALSE;
}
VARIANT_BOOL SkipOf(IUnknown* domain) {
    VARIANT_BOOL skip = 7;
    EXPECT_EQ(QueryAs<IGPCodedValueDomainImpl>(domain)->get_SkipMemberOfTest(&skip), S_OK);
    return skip;
}
void SetSkip(IUnknown* domain, VARIANT_BOOL skip) {
    EXPECT_EQ(QueryAs<IGPCodedValueDomainImpl>(domain)->put_SkipMemberOfTest(skip), S_OK);
}

struct Verdict {
    HRESULT hr;
    int32_t type;
    int32_t code;
    String description;
};
Verdict MemberOf(IUnknown* domain, IGPValue* value) {
    ComPtr<IGPMessage> message;
    Verdict verdict{QueryAs<IGPDomain>(domain)->MemberOf(value, message.Out()), -1, -1, u""};
    if (!message)
        return verdict;
    message->get_Type(&verdict.type);
    message->get_ErrorCode(&verdict.code);
    BStr text;
    message->get_Description(text.Out());
    verdict.description = text.str();
    return verdict;
}
void ExpectMember(IUnknown* domain, IGPValue* value) {
    Verdict v = MemberOf(domain, value);
    EXPECT_EQ(v.hr, S_OK);
    EXPECT_EQ(v.type, 0);
    EXPECT_EQ(v.code, 0);
    EXPECT_EQ(ToUtf8(v.description), "");
}
void ExpectNotMember(IUnknown* domain, IGPValue* value, std::u16string_view list = {}) {
    Verdict v = MemberOf(domain, value);
    EXPECT_EQ(v.hr, S_FALSE);
    EXPECT_EQ(v.type, 100);
    EXPECT_EQ(v.code, 800);
    EXPECT_EQ(ToUtf8(v.description), ToUtf8(VerdictText(800, list)));
}

std::vector<uint8_t> BytesOf(IStream* stream) {
    uint64_t end = 0;
    stream->Seek(0, STREAM_SEEK_END, &end);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    std::vector<uint8_t> bytes(end);
    ULONG read = 0;
    if (end)
        stream->Read(bytes.data(), static_cast<ULONG>(end), &read);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    return bytes;
}
ComPtr<IStream> NewStream(int32_t docVersion, const std::vector<uint8_t>& bytes = {}) {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnMemory(bytes.data(), static_cast<ULONG>(bytes.size()), docVersion, stream.Out()), S_OK);
    return stream;
}

// ---- names ----

TEST(CodedValueNames, CompareLowersOnlyAsciiLetters) {
    struct Case {
        const char16_t* a;
        const char16_t* b;
        int expected;
    } const cases[] = {
        {u"Apple", u"APPLE", 0},    // A-Z lowered
        {u"abc", u"ABD", -1},       // first differing unit decides
        {u"ab", u"AB c", -1},       // a prefix sorts first
        {u"[", u"A", -1},           // 'A' compares as 'a' (0x61), above '[' (0x5B)
        {u"\u00C9", u"\u00E9", -1}, // letters outside A-Z compare as they are
        {u"", u"", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.a) + " / " + ToUtf8(c.b));
        EXPECT_EQ(codedvalue::CompareNames(c.a, c.b), c.expected);
        EXPECT_EQ(codedvalue::CompareNames(c.b, c.a), -c.expected);
    }
}

TEST(CodedValueNames, DecimalCommaRewritesOnlyPlainPointNumbers) {
    struct Case {
        const char16_t* name;
        const char16_t* withComma;
    } const cases[] = {
        {u"-12.5", u"-12,5"},                   // leading minus allowed
        {u"2.5", u"2,5"},     {u"-.5", u"-,5"}, // the point follows the minus, so it is not the first character
        {u"1.2.3", u"1.2.3"},                   // more than one point
        {u".5", u".5"},                         // point first
        {u"5.", u"5."},                         // point last
        {u"x1.0", u"x1.0"},                     // not all digits
        {u"1-2.0", u"1-2.0"},                   // minus only first
        {u"12", u"12"},                         // no point
        {u"", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.name));
        EXPECT_EQ(ToUtf8(codedvalue::StoredName(c.name, u',')), ToUtf8(c.withComma));
        EXPECT_EQ(ToUtf8(codedvalue::StoredName(c.name, u'.')), ToUtf8(c.name));
    }
}

// ---- the process locale ----

// Makes the C runtime's numeric locale German: the installed locale, else one compiled into a scratch folder.
// False when neither can be had.
bool UseGermanNumericLocale() {
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        return true;
    const char* scratch = std::getenv("TAVI_SCRATCH_FOLDER");
    std::filesystem::path folder = std::filesystem::path(scratch ? scratch : "/tmp") / "locales";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    if (!std::filesystem::exists(folder / "de_DE.UTF-8")) {
        std::string command = "localedef -i de_DE -f UTF-8 '" + (folder / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0 && !std::filesystem::exists(folder / "de_DE.UTF-8"))
            return false;
    }
    setenv("LOCPATH", folder.c_str(), 1);
    return std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
}

TEST(CodedValueLocale, DecimalSeparatorComesFromTheCRuntimeAndIsReadOnce) {
    const char16_t processSeparator = codedvalue::ProcessDecimalSeparator();
    if (!UseGermanNumericLocale())
        GTEST_SKIP() << "no German locale can be had on this machine";
    EXPECT_EQ(codedvalue::CurrentLocaleDecimalSeparator(), u',');
    EXPECT_EQ(codedvalue::ProcessDecimalSeparator(), processSeparator) << "read once per process";
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(codedvalue::CurrentLocaleDecimalSeparator(), u'.');
}

// A process whose first use of the domain happens under a comma locale stores 2.5 as 2,5. The check runs in a
// process of its own, since the separator is read only once.
TEST_F(CodedValueDomainTest, CommaLocaleProcessStoresNamesWithComma) {
    if (!UseGermanNumericLocale())
        GTEST_SKIP() << "no German locale can be had on this machine";
    std::setlocale(LC_NUMERIC, "C"); // the check process sets it again before its first use of the domain
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            if (!UseGermanNumericLocale())
                std::_Exit(2);
            auto domain = NewDomain();
            bool ok = domain->AddCode(Str(u"x").Get(), u"2.5") == S_OK && NameAt(domain.Get(), 0) == u"2,5";
            domain = nullptr;
            std::_Exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(CodedValueDomainTest, AddCodeAppliesTheProcessSeparator) {
    auto domain = NewDomain();
    auto value = Str(u"v");
    codedvalue::SetDecimalSeparatorForTesting(u',');
    ASSERT_EQ(domain->AddCode(value.Get(), u"2.5"), S_OK);
    EXPECT_EQ(ToUtf8(NameAt(domain.Get(), 0)), "2,5");
    ComPtr<IGPValue> found;
    EXPECT_EQ(domain->FindValue(u"2,5", found.Out()), S_OK);
    EXPECT_EQ(found.Get(), value.Get());

    codedvalue::SetDecimalSeparatorForTesting(u'.');
    ASSERT_EQ(domain->AddCode(value.Get(), u"2.5"), S_OK);
    EXPECT_EQ(ToUtf8(NameAt(domain.Get(), 1)), "2.5");

    // Loading applies the rule again: a name saved under a point locale reads back with the comma.
    auto stream = NewStream(docversion::kCurrent);
    ASSERT_EQ(QueryAs<IPersistStream>(domain.Get())->Save(stream.Get(), 0), S_OK);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    codedvalue::SetDecimalSeparatorForTesting(u',');
    auto read = NewDomain();
    ASSERT_EQ(QueryAs<IPersistStream>(read.Get())->Load(stream.Get()), S_OK);
    EXPECT_EQ(ToUtf8(NameAt(read.Get(), 1)), "2,5");
}

// ---- codes and look-ups ----

TEST_F(CodedValueDomainTest, LookupsByNameAndIndex) {
    auto domain = NewDomain();
    auto apple = Str(u"1"), upper = Str(u"2"), blank = Str(u"3");
    ASSERT_EQ(domain->AddCode(apple.Get(), u"Apple"), S_OK);
    ASSERT_EQ(domain->AddCode(upper.Get(), u"APPLE"), S_OK);
    ASSERT_EQ(domain->AddCode(blank.Get(), nullptr), S_OK);
    EXPECT_EQ(CountOf(domain.Get()), 3);
    EXPECT_EQ(QueryAs<IPersistStream>(domain.Get())->IsDirty(), S_OK);

    ComPtr<IGPValue> found;
    EXPECT_EQ(domain->FindValue(u"apple", found.Out()), S_OK);
    EXPECT_EQ(found.Get(), apple.Get()) << "equal names: the first added wins";
    EXPECT_EQ(domain->FindValue(u"appl", found.Out()), S_FALSE);
    EXPECT_EQ(found.Get(), nullptr);
    EXPECT_EQ(domain->FindValue(nullptr, found.Out()), E_POINTER);
    EXPECT_EQ(domain->FindValue(u"apple", nullptr), E_POINTER);

    ComPtr<IGPValue> atIndex;
    EXPECT_EQ(domain->get_Value(1, atIndex.Out()), S_OK);
    EXPECT_EQ(atIndex.Get(), upper.Get()) << "the code's own value, not a copy";
    BStr name;
    EXPECT_EQ(domain->get_Name(2, name.Out()), S_OK);
    EXPECT_TRUE(name.IsNull()) << "an empty name is a null string";
    for (int32_t bad : {-1, 3}) {
        EXPECT_EQ(domain->get_Name(bad, name.Out()), E_INVALIDARG);
        EXPECT_EQ(domain->get_Value(bad, atIndex.Out()), E_INVALIDARG);
    }
    EXPECT_EQ(domain->get_Name(0, nullptr), E_POINTER);
    EXPECT_EQ(domain->get_Value(0, nullptr), E_POINTER);
    EXPECT_EQ(domain->AddCode(nullptr, u"x"), E_POINTER);

    // FindName: the name of the first equal value (strings compare without regard to case).
    EXPECT_EQ(domain->FindName(Str(u"2").Get(), name.Out()), S_OK);
    EXPECT_EQ(ToUtf8(name.str()), "APPLE");
    EXPECT_EQ(domain->FindName(Str(u"9").Get(), name.Out()), S_FALSE);
    EXPECT_FALSE(name.IsNull());
    EXPECT_EQ(name.size(), 0u);
    EXPECT_EQ(domain->FindName(apple.Get(), nullptr), E_POINTER);

    EXPECT_EQ(domain->Empty(), S_OK);
    EXPECT_EQ(CountOf(domain.Get()), 0);
    EXPECT_EQ(domain->FindValue(u"apple", found.Out()), S_FALSE);
}

TEST_F(CodedValueDomainTest, DeleteCodeRemovesTheFirstEqualCodeAndOnlyItsName) {
    auto domain = NewDomain();
    auto shared = Str(u"same");
    ASSERT_EQ(domain->AddStringCode(u"a", u"First"), S_OK);
    ASSERT_EQ(domain->AddCode(shared.Get(), u"Zulu"), S_OK);
    ASSERT_EQ(domain->AddCode(shared.Get(), u"Alpha"), S_OK); // the same value object under a name sorting first
    ASSERT_EQ(domain->AddStringCode(u"b", u"Last"), S_OK);

    ASSERT_EQ(domain->DeleteCode(Str(u"SAME").Get()), S_OK);
    ASSERT_EQ(CountOf(domain.Get()), 3);
    EXPECT_EQ(ToUtf8(NameAt(domain.Get(), 1)), "Alpha") << "later codes move up";
    ComPtr<IGPValue> found;
    EXPECT_EQ(domain->FindValue(u"Zulu", found.Out()), S_FALSE) << "the deleted code's name is gone";
    EXPECT_EQ(domain->FindValue(u"Alpha", found.Out()), S_OK) << "the other code of that value keeps its name";
    EXPECT_EQ(found.Get(), shared.Get());

    EXPECT_EQ(domain->DeleteCode(Str(u"zzz").Get()), E_FAIL);
    EXPECT_EQ(domain->DeleteCode(nullptr), E_POINTER);
    EXPECT_EQ(CountOf(domain.Get()), 3);
}

TEST_F(CodedValueDomainTest, SetCodesPairsTheListsUntilEitherEnds) {
    struct Case {
        const char16_t* values;
        const char16_t* names;
        const char16_t* separator;            // null: SetCodes
        std::vector<std::u16string> expected; // names in order
    } const cases[] = {
        {u"1,2,3", u"one,two", nullptr, {u"one", u"two"}},         // the longer list's extra tokens are ignored
        {u" a , b ", u" x , y ", nullptr, {u"x", u"y"}},           // tokens are trimmed
        {u"1, ,3", u"a,b,c", nullptr, {u"a"}},                     // a blank token ends the pairing
        {u"1,,3", u"a,b,c", nullptr, {u"a", u"b"}},                // repeated separators are skipped
        {u"'p,q',r", u"n1,n2,n3", nullptr, {u"n1", u"n2", u"n3"}}, // quotes do not group
        {u"1;2", u"a;b", u";", {u"a", u"b"}},
        {u"", u"a", nullptr, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.values));
        auto domain = NewDomain();
        ASSERT_EQ(domain->AddStringCode(u"old", u"old"), S_OK);
        BStr values(c.values), names(c.names);
        HRESULT hr = c.separator
                         ? QueryAs<ICPPGPCodedValueDomain>(domain.Get())
                               ->SetCodesWithSeparator(values.Get(), names.Get(), BStr(c.separator).Get(), nullptr)
                         : domain->SetCodes(values.Get(), names.Get(), nullptr);
        EXPECT_EQ(hr, S_OK);
        ASSERT_EQ(CountOf(domain.Get()), static_cast<int32_t>(c.expected.size()));
        for (size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_EQ(ToUtf8(NameAt(domain.Get(), static_cast<int32_t>(i))), ToUtf8(c.expected[i]));
    }

    // The given data type makes the values.
    auto domain = NewDomain();
    auto longType = Create<IGPDataType>(CLSID_GPLongType);
    ASSERT_EQ(domain->SetCodes(BStr(u"7,8").Get(), BStr(u"seven,eight").Get(), longType.Get()), S_OK);
    ComPtr<IGPValue> eight;
    ASSERT_EQ(domain->get_Value(1, eight.Out()), S_OK);
    int32_t number = 0;
    ASSERT_TRUE(QueryAs<IGPLong>(eight.Get()));
    EXPECT_EQ(QueryAs<IGPLong>(eight.Get())->get_Value(&number), S_OK);
    EXPECT_EQ(number, 8);
}

// ---- membership ----

TEST_F(CodedValueDomainTest, MemberOfStringCodes) {
    auto domain = NewDomain();
    for (const char16_t* code : {u"A", u"B", u"C"})
        ASSERT_EQ(domain->AddStringCode(code, code), S_OK);
    ExpectMember(domain.Get(), Str(u"b").Get());
    ExpectNotMember(domain.Get(), Str(u"D").Get(), u"A | B | C");
    ExpectNotMember(domain.Get(), nullptr);

    auto bare = MakeObject<BareValue>();
    ExpectNotMember(domain.Get(), bare.Get()); // a value without IClone is no member

    // A variable stands for its value; an empty one cannot be unpacked and its failure is returned with error 800.
    auto variable = Create<IGPVariable>(CLSID_GPVariable);
    auto asValue = QueryAs<IGPValue>(variable.Get());
    Verdict empty = MemberOf(domain.Get(), asValue.Get());
    EXPECT_TRUE(FAILED(empty.hr));
    EXPECT_EQ(empty.code, 800);
    ASSERT_EQ(variable->putref_Value(Str(u"c").Get()), S_OK);
    ExpectMember(domain.Get(), asValue.Get());

    EXPECT_EQ(QueryAs<IGPDomain>(domain.Get())->MemberOf(Str(u"A").Get(), nullptr), E_POINTER);

    // With the skip flag every clonable value is a member.
    SetSkip(domain.Get(), VARIANT_TRUE);
    ExpectMember(domain.Get(), Str(u"D").Get());
    ExpectNotMember(domain.Get(), bare.Get());
}

// A string code matches exactly the strings that the string value's own IsEqual calls equal, non-ASCII texts and
// full case folding included.
TEST_F(CodedValueDomainTest, StringCodesMatchAsStringEqualityDoes) {
    const std::pair<const char16_t*, const char16_t*> pairs[] = {
        {u"Stra\u00DFe", u"STRASSE"}, // folding makes one character two
        {u"ss", u"\u00DF"},           // the same the other way round
        {u"k", u"\u212A"},            // the Kelvin sign folds to an ASCII letter
        {u"x\u00C9", u"X\u00E9"},     // letters outside ASCII
        {u"abc", u"ABD"},             // differing ASCII
        {u"ab", u"abc"},              // a prefix
        {u"abc", u"ab"},              // the longer code
        {u"", u""},                   // both empty
        {u"", u"a"},                  // an empty code
        {u"a\u0301", u"\u00E1"},      // no normalization
    };
    // Plain and hidden string values on either side: a hidden code compares through its own interface.
    const CLSID classes[] = {CLSID_GPString, CLSID_GPStringHidden};
    for (const auto& [code, probe] : pairs) {
        for (const CLSID& codeClass : classes) {
            for (const CLSID& probeClass : classes) {
                SCOPED_TRACE(ToUtf8(code) + " / " + ToUtf8(probe) +
                             (codeClass == CLSID_GPString ? " plain" : " hidden") +
                             (probeClass == CLSID_GPString ? " plain" : " hidden"));
                auto codeValue = Value(codeClass, code), probeValue = Value(probeClass, probe);
                bool equal = Equal(codeValue.Get(), probeValue.Get());
                auto domain = NewDomain();
                ASSERT_EQ(domain->AddCode(codeValue.Get(), u"n"), S_OK);
                EXPECT_EQ(MemberOf(domain.Get(), probeValue.Get()).hr, equal ? S_OK : S_FALSE);
            }
        }
    }
}

TEST_F(CodedValueDomainTest, EmptyDomainAcceptsEveryClonableValue) {
    auto domain = NewDomain();
    ExpectMember(domain.Get(), Str(u"anything").Get());
    ExpectMember(domain.Get(), Value(CLSID_GPDouble, u"1.5").Get());
    ExpectNotMember(domain.Get(), MakeObject<BareValue>().Get());
}

TEST_F(CodedValueDomainTest, CodesThatCannotBeClonedMatchByIdentity) {
    auto domain = NewDomain();
    auto bare = MakeObject<BareValue>();
    ASSERT_EQ(domain->AddCode(bare.Get(), u"bare"), S_OK);
    BStr name;
    EXPECT_EQ(domain->FindName(bare.Get(), name.Out()), S_FALSE) << "the probe itself must be clonable";
    ExpectNotMember(domain.Get(), Str(u"A").Get(), u"bare");
}

TEST_F(CodedValueDomainTest, FallbacksForBooleansDoublesAndUnits) {
    // A boolean code put as 1 is not equal to a boolean put as -1, but has the same truth.
    auto truth = Create<IGPBoolean>(CLSID_GPBoolean);
    ASSERT_EQ(truth->put_Value(1), S_OK);
    auto booleans = NewDomain();
    ASSERT_EQ(booleans->AddCode(QueryAs<IGPValue>(truth.Get()).Get(), u"yes"), S_OK);
    auto minusOne = Create<IGPBoolean>(CLSID_GPBoolean);
    ASSERT_EQ(minusOne->put_Value(VARIANT_TRUE), S_OK);
    auto zero = Create<IGPBoolean>(CLSID_GPBoolean);
    ASSERT_EQ(zero->put_Value(VARIANT_FALSE), S_OK);
    ExpectMember(booleans.Get(), QueryAs<IGPValue>(minusOne.Get()).Get());
    ExpectNotMember(booleans.Get(), QueryAs<IGPValue>(zero.Get()).Get(), u"yes");

    // A double matches a code by its text, here a string code that no double is equal to.
    auto numbers = NewDomain();
    ASSERT_EQ(numbers->AddStringCode(u"3.5", u"three and a half"), S_OK);
    ExpectMember(numbers.Get(), Value(CLSID_GPDouble, u"3.5").Get());
    ExpectNotMember(numbers.Get(), Value(CLSID_GPDouble, u"3.25").Get(), u"3.5");

    // A unit value matches by its keyword, without regard to case.
    auto units = NewDomain();
    ASSERT_EQ(units->AddStringCode(u"Meters", u"m"), S_OK);
    ASSERT_EQ(units->AddStringCode(u"feet", u"ft"), S_OK);
    auto tenFeet = Value(CLSID_GPLinearUnit, u"10 Feet");
    ASSERT_EQ(ToUtf8(TextOf(tenFeet.Get())), "10 Feet");
    ExpectMember(units.Get(), tenFeet.Get());
    ExpectNotMember(units.Get(), Value(CLSID_GPLinearUnit, u"10 Miles").Get(), u"Meters | feet");
    ExpectNotMember(units.Get(), Value(CLSID_GPDouble, u"10").Get(), u"Meters | feet");
}

TEST_F(CodedValueDomainTest, NonMemberListFollowsTheDisplayMode) {
    auto domain = NewDomain();
    ASSERT_EQ(domain->AddStringCode(u"A", u"Alpha"), S_OK);
    ASSERT_EQ(domain->AddCode(Value(CLSID_GPDouble, u"2").Get(), u"Two"), S_OK);
    ASSERT_EQ(domain->AddStringCode(u"C", u"Gamma"), S_OK);
    auto stranger = Str(u"Z");

    // Outside the desktop application: each string value's text, the name of any other code.
    ExpectNotMember(domain.Get(), stranger.Get(), u"A | Two | C");

    // In the desktop application, showing codes by name: the names.
    setenv("TAVI_HOST_APP", "desktop", 1);
    DllCanUnloadNow();
    ExpectNotMember(domain.Get(), stranger.Get(), u"Alpha | Two | Gamma");

    // A scripting session in the desktop application lists the values again.
    setenv("TAVI_SCRIPTING", "1", 1);
    DllCanUnloadNow(); // the utility object reads the session at construction
    ExpectNotMember(domain.Get(), stranger.Get(), u"A | Two | C");
}

// ---- cloning and comparison ----

TEST_F(CodedValueDomainTest, AssignCopiesValuesAndTheSkipFlag) {
    auto source = NewDomain();
    auto value = Str(u"v1");
    ASSERT_EQ(source->AddCode(value.Get(), u"2.5"), S_OK);
    ASSERT_EQ(source->AddStringCode(u"v2", u"second"), S_OK);
    ASSERT_EQ(source->AddCode(MakeObject<BareValue>().Get(), u"skipped"), S_OK);
    SetSkip(source.Get(), VARIANT_TRUE);

    codedvalue::SetDecimalSeparatorForTesting(u','); // Assign copies names as they are
    auto target = NewDomain();
    ASSERT_EQ(target->AddStringCode(u"old", u"old"), S_OK);
    ASSERT_EQ(QueryAs<IClone>(target.Get())->Assign(QueryAs<IClone>(source.Get()).Get()), S_OK);
    ASSERT_EQ(CountOf(target.Get()), 2) << "the value that cannot be cloned is skipped";
    EXPECT_EQ(ToUtf8(NameAt(target.Get(), 0)), "2.5");
    EXPECT_EQ(SkipOf(target.Get()), VARIANT_TRUE);
    ComPtr<IGPValue> copied;
    ASSERT_EQ(target->get_Value(0, copied.Out()), S_OK);
    EXPECT_NE(copied.Get(), value.Get()) << "a clone, not the source's value";
    EXPECT_TRUE(Equal(copied.Get(), value.Get()));

    // Assigning a domain from itself keeps its codes.
    ASSERT_EQ(QueryAs<IClone>(target.Get())->Assign(QueryAs<IClone>(target.Get()).Get()), S_OK);
    EXPECT_EQ(CountOf(target.Get()), 2);
    // Anything else is refused and changes nothing.
    EXPECT_EQ(QueryAs<IClone>(target.Get())->Assign(QueryAs<IClone>(value.Get()).Get()), E_INVALIDARG);
    EXPECT_EQ(CountOf(target.Get()), 2);

    ComPtr<IClone> clone;
    ASSERT_EQ(QueryAs<IClone>(target.Get())->Clone(clone.Out()), S_OK);
    EXPECT_TRUE(Equal(clone.Get(), target.Get()));
    VARIANT_BOOL identical = VARIANT_TRUE;
    EXPECT_EQ(QueryAs<IClone>(target.Get())->IsIdentical(clone.Get(), &identical), S_OK);
    EXPECT_EQ(identical, VARIANT_FALSE);
    EXPECT_EQ(QueryAs<IClone>(target.Get())->IsIdentical(QueryAs<IClone>(target.Get()).Get(), &identical), S_OK);
    EXPECT_EQ(identical, VARIANT_TRUE);
}

TEST_F(CodedValueDomainTest, EqualityIsPositionalForValuesWhileNamesOnlyHaveToExist) {
    auto make = [&](std::initializer_list<std::pair<const char16_t*, const char16_t*>> codes, VARIANT_BOOL skip) {
        auto domain = NewDomain();
        for (const auto& [value, name] : codes)
            EXPECT_EQ(domain->AddStringCode(value, name), S_OK);
        SetSkip(domain.Get(), skip);
        return domain;
    };
    auto base = make({{u"x", u"n1"}, {u"y", u"n2"}}, VARIANT_FALSE);
    struct Case {
        ComPtr<IGPCodedValueDomain> other;
        bool equal;
        const char* why;
    } const cases[] = {
        {make({{u"X", u"N1"}, {u"y", u"n2"}}, VARIANT_FALSE), true, "case differs only"},
        {make({{u"x", u"n2"}, {u"y", u"n1"}}, VARIANT_FALSE), true, "names swapped: names only have to exist"},
        {make({{u"y", u"n1"}, {u"x", u"n2"}}, VARIANT_FALSE), false, "values swapped"},
        {make({{u"x", u"n1"}, {u"y", u"n3"}}, VARIANT_FALSE), false, "a name missing here"},
        {make({{u"x", u"n1"}}, VARIANT_FALSE), false, "fewer codes"},
        {make({{u"x", u"n1"}, {u"y", u"n2"}}, VARIANT_TRUE), false, "skip flag differs"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(Equal(base.Get(), c.other.Get()), c.equal);
    }
    EXPECT_FALSE(Equal(base.Get(), Str(u"x").Get()));
    EXPECT_TRUE(Equal(base.Get(), base.Get()));
    VARIANT_BOOL equal;
    EXPECT_EQ(QueryAs<IClone>(base.Get())->IsEqual(nullptr, &equal), E_POINTER);
}

// ---- stream form ----

TEST_F(CodedValueDomainTest, StreamFormVersionsByDocumentVersion) {
    struct Case {
        int32_t docVersion;
        int16_t version;
        bool keepsSkip;
    } const cases[] = {
        {docversion::Older(0), 1, false}, {docversion::Older(19), 1, false},
        {docversion::Older(20), 2, true}, // the older line's last version writes the skip flag
        {docversion::Newer(0), 1, false}, {docversion::kCurrent, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(docversion::Name(c.docVersion));
        auto domain = NewDomain();
        ASSERT_EQ(domain->AddStringCode(u"a", u"Alpha"), S_OK);
        ASSERT_EQ(domain->AddCode(Value(CLSID_GPDouble, u"2.5").Get(), u"Two"), S_OK);
        SetSkip(domain.Get(), VARIANT_TRUE);
        auto stream = NewStream(c.docVersion);
        ASSERT_EQ(QueryAs<IPersistStream>(domain.Get())->Save(stream.Get(), 1), S_OK);
        EXPECT_EQ(QueryAs<IPersistStream>(domain.Get())->IsDirty(), S_FALSE);
        auto bytes = BytesOf(stream.Get());
        ASSERT_GE(bytes.size(), 2u);
        EXPECT_EQ(bytes[0] | (bytes[1] << 8), c.version);

        auto read = NewDomain();
        SetSkip(read.Get(), VARIANT_TRUE);
        ASSERT_EQ(QueryAs<IPersistStream>(read.Get())->Load(stream.Get()), S_OK);
        EXPECT_EQ(SkipOf(read.Get()), c.keepsSkip ? VARIANT_TRUE : VARIANT_FALSE);
        SetSkip(read.Get(), VARIANT_TRUE);
        EXPECT_TRUE(Equal(read.Get(), domain.Get()));
        ComPtr<IGPValue> two;
        ASSERT_EQ(read->get_Value(1, two.Out()), S_OK);
        EXPECT_TRUE(QueryAs<IGPDouble>(two.Get()));

        // Every shorter form is refused and leaves the domain as it was.
        for (size_t cut = 0; cut < bytes.size(); ++cut) {
            auto shortStream = NewStream(c.docVersion, std::vector<uint8_t>(bytes.begin(), bytes.begin() + cut));
            auto broken = NewDomain();
            ASSERT_EQ(broken->AddStringCode(u"old", u"old"), S_OK);
            EXPECT_EQ(QueryAs<IPersistStream>(broken.Get())->Load(shortStream.Get()), E_FAIL) << cut;
            EXPECT_EQ(CountOf(broken.Get()), 1) << cut;
        }
    }
}

TEST_F(CodedValueDomainTest, LoadRefusesUnknownVersionsAndCorruptCounts) {
    auto bytesOf = [](std::initializer_list<uint8_t> list) { return std::vector<uint8_t>(list); };
    struct Case {
        std::vector<uint8_t> bytes;
        HRESULT hr;
        const char* why;
    } const cases[] = {
        {bytesOf({3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), E_FAIL, "version 3 is newer than known"},
        {bytesOf({0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), E_FAIL, "version 0 was never written"},
        {bytesOf({1, 0, 0xFF, 0xFF, 0xFF, 0xFF}), E_FAIL, "negative name count"},
        {bytesOf({1, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F}), E_FAIL, "values announced but absent"},
        {bytesOf({1, 0, 0, 0, 0, 0, 0, 0, 0, 0}), S_OK, "no codes"},
        {bytesOf({2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF}), S_OK, "no codes, skip flag set"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        auto domain = NewDomain();
        EXPECT_EQ(QueryAs<IPersistStream>(domain.Get())->Load(NewStream(docversion::kCurrent, c.bytes).Get()), c.hr);
        EXPECT_EQ(CountOf(domain.Get()), 0);
    }

    // More values than names: the values without a name are dropped.
    auto domain = NewDomain();
    ASSERT_EQ(domain->AddStringCode(u"a", u"A"), S_OK);
    ASSERT_EQ(domain->AddStringCode(u"b", u"B"), S_OK);
    auto stream = NewStream(docversion::kCurrent);
    ASSERT_EQ(QueryAs<IPersistStream>(domain.Get())->Save(stream.Get(), 0), S_OK);
    auto bytes = BytesOf(stream.Get());
    // Drop the second name (int32 1, then 1 unit "B"), keeping both values.
    std::vector<uint8_t> oneName(bytes.begin(), bytes.begin() + 2);
    oneName.insert(oneName.end(), {1, 0, 0, 0});
    oneName.insert(oneName.end(), bytes.begin() + 6, bytes.begin() + 12);
    oneName.insert(oneName.end(), bytes.begin() + 18, bytes.end());
    auto read = NewDomain();
    ASSERT_EQ(QueryAs<IPersistStream>(read.Get())->Load(NewStream(docversion::kCurrent, oneName).Get()), S_OK);
    ASSERT_EQ(CountOf(read.Get()), 1);
    EXPECT_EQ(ToUtf8(NameAt(read.Get(), 0)), "A");
}

// ---- XML form ----

TEST_F(CodedValueDomainTest, XmlFormReadsBackEqual) {
    auto domain = NewDomain();
    ASSERT_EQ(domain->AddStringCode(u"a", u"Alpha"), S_OK);
    ASSERT_EQ(domain->AddCode(Value(CLSID_GPDouble, u"2.5").Get(), u"Two"), S_OK);
    ASSERT_EQ(domain->AddCode(Value(CLSID_GPLinearUnit, u"3 Meters").Get(), u"Three"), S_OK);
    SetSkip(domain.Get(), VARIANT_TRUE);
    String xml;
    ASSERT_EQ(XmlSerializeObject(domain.Get(), nullptr, &xml), S_OK);
    for (const char* part : {"GPDomainPropertiesArray", "ArrayOfGPCodedValueDomainProperty",
                             "GPCodedValueDomainProperty", "SkipMemberOfTest"})
        EXPECT_NE(ToUtf8(xml).find(part), std::string::npos) << part;

    auto read = NewDomain();
    ASSERT_EQ(read->AddStringCode(u"old", u"old"), S_OK);
    ASSERT_EQ(XmlDeserializeObject(xml, read.Get()), S_OK);
    EXPECT_TRUE(Equal(read.Get(), domain.Get()));
    EXPECT_EQ(SkipOf(read.Get()), VARIANT_TRUE);
    ComPtr<IGPValue> unit;
    ASSERT_EQ(read->get_Value(2, unit.Out()), S_OK);
    EXPECT_TRUE(QueryAs<IGPLinearUnit>(unit.Get()));
}

TEST_F(CodedValueDomainTest, XmlOfADomainWithoutCodesHoldsOnlyTheType) {
    auto domain = NewDomain();
    SetSkip(domain.Get(), VARIANT_TRUE);
    String xml;
    ASSERT_EQ(XmlSerializeObject(domain.Get(), nullptr, &xml), S_OK);
    EXPECT_EQ(ToUtf8(xml).find("SkipMemberOfTest"), std::string::npos);
    EXPECT_EQ(ToUtf8(xml).find("GPDomainPropertiesArray"), std::string::npos);

    auto read = NewDomain();
    ASSERT_EQ(read->AddStringCode(u"old", u"old"), S_OK);
    SetSkip(read.Get(), VARIANT_TRUE);
    ASSERT_EQ(XmlDeserializeObject(xml, read.Get()), S_OK);
    EXPECT_EQ(CountOf(read.Get()), 0);
    EXPECT_EQ(SkipOf(read.Get()), VARIANT_TRUE) << "no array: the flag stays as it was";
}

TEST_F(CodedValueDomainTest, PropertyXmlNeedsItsValue) {
    auto property = Create<IGPCodedValueDomainProperty>(CLSID_GPCodedValueDomainProperty);
    auto value = Str(u"v");
    ASSERT_EQ(property->put_Name(u"Name1"), S_OK);
    ASSERT_EQ(property->putref_Value(value.Get()), S_OK);
    ComPtr<IGPValue> held;
    ASSERT_EQ(property->get_Value(held.Out()), S_OK);
    EXPECT_EQ(held.Get(), value.Get());

    String xml;
    ASSERT_EQ(XmlSerializeObject(property.Get(), nullptr, &xml), S_OK);
    auto read = Create<IGPCodedValueDomainProperty>(CLSID_GPCodedValueDomainProperty);
    ASSERT_EQ(XmlDeserializeObject(xml, read.Get()), S_OK);
    BStr name;
    ASSERT_EQ(read->get_Name(name.Out()), S_OK);
    EXPECT_EQ(ToUtf8(name.str()), "Name1");
    ASSERT_EQ(read->get_Value(held.Out()), S_OK);
    ASSERT_TRUE(held);
    EXPECT_TRUE(Equal(held.Get(), value.Get()));

    // Without its "Value" element the property cannot be read.
    std::string text = ToUtf8(xml);
    size_t start = text.find("<Value");
    size_t end = text.rfind("</Value>"); // the property's own element, around the value's
    ASSERT_NE(start, std::string::npos);
    ASSERT_NE(end, std::string::npos);
    text.erase(start, end + 8 - start);
    EXPECT_EQ(XmlDeserializeObject(FromUtf8(text), read.Get()), E_FAIL);
}

} // namespace
} // namespace tavi::test
