// The random number generator value and its data type: the text grammar with its unknown keyword, seeds by magnitude
// (-2147483648 included), the distribution language, draws kept in one sequence and started over, the ranges, clones
// that continue the sequence, the stream form that resumes the sequence for current documents and starts it over for
// older ones, damaged streams, and the XML form.
#include "TestSupport.h"

#include "host/DocumentVersion.h"
#include "host/RandomGenerator.h"
#include "host/StreamIO.h"
#include "tavi/GPMessage.h"
#include "tavi/GPRandom.h"
#include "tavi/GPScalar.h"
#include "tavi/Stream.h"
#include "tavi/Xml.h"

#include <cmath>
#include <functional>
#include <limits>
#include <regex>
#include <vector>

namespace tavi::test {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct State {
    int32_t seed;
    int32_t type;
    bool empty;
};

ComPtr<IStream> NewStream(int32_t docVersion = docversion::kCurrent, const std::vector<uint8_t>& bytes = {}) {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnMemory(bytes.data(), static_cast<ULONG>(bytes.size()), docVersion, stream.Out()), S_OK);
    return stream;
}
std::vector<uint8_t> BytesOf(IStream* stream) {
    uint64_t size = 0;
    stream->Seek(0, STREAM_SEEK_END, &size);
    std::vector<uint8_t> bytes(size);
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    stream->Read(bytes.data(), static_cast<ULONG>(size), nullptr);
    return bytes;
}

class GPRandomNumberGeneratorTest : public ModuleClassesTest {
protected:
    static ComPtr<IGPRandomNumberGenerator> Make() {
        return Create<IGPRandomNumberGenerator>(CLSID_GPRandomNumberGenerator);
    }
    static ComPtr<IGPRandomNumberGenerator> Made(int32_t seed, int32_t type) {
        auto value = Make();
        EXPECT_EQ(value->Initialize(seed, type), S_OK);
        return value;
    }
    static State StateOf(IUnknown* value) {
        State state{-1, -1, false};
        auto generator = QueryAs<IGPRandomNumberGenerator>(value);
        EXPECT_EQ(generator->get_Seed(&state.seed), S_OK);
        EXPECT_EQ(generator->get_GeneratorType(&state.type), S_OK);
        VARIANT_BOOL empty = VARIANT_FALSE;
        QueryAs<IGPValue>(value)->IsEmpty(&empty);
        state.empty = empty != VARIANT_FALSE;
        return state;
    }
    static String Text(IUnknown* value) {
        BStr text;
        EXPECT_EQ(QueryAs<IGPValue>(value)->GetAsText(text.Out()), S_OK);
        return text.str();
    }
    static std::vector<double> Draws(IGPRandomNumberGenerator* value, const char16_t* distribution, int count) {
        std::vector<double> draws;
        for (int i = 0; i < count; ++i) {
            double x = kNaN;
            EXPECT_EQ(value->GetValue(distribution, &x), S_OK);
            draws.push_back(x);
        }
        return draws;
    }
    static bool Equal(IUnknown* a, IUnknown* b) {
        VARIANT_BOOL equal = VARIANT_FALSE;
        EXPECT_EQ(QueryAs<IClone>(a)->IsEqual(QueryAs<IClone>(b).Get(), &equal), S_OK);
        return equal != VARIANT_FALSE;
    }
    static std::vector<uint8_t> Saved(IUnknown* value, int32_t docVersion = docversion::kCurrent) {
        auto stream = NewStream(docVersion);
        EXPECT_EQ(QueryAs<IPersistStream>(value)->Save(stream.Get(), VARIANT_TRUE), S_OK);
        return BytesOf(stream.Get());
    }
    static HRESULT Load(IUnknown* value, const std::vector<uint8_t>& bytes) {
        return QueryAs<IPersistStream>(value)->Load(NewStream(docversion::kCurrent, bytes).Get());
    }
};

// ---- text ----

TEST_F(GPRandomNumberGeneratorTest, TextForm) {
    struct Case {
        const char16_t* text;
        HRESULT hr;
        const char16_t* written;
        int32_t code; // the message's error code, 0 when it is no error
    };
    const Case cases[] = {
        {u"5", S_OK, u"5 ACM599", 0},                                    // only a seed: generator type 1
        {u"-5 mersenne_twister", S_OK, u"5 MERSENNE_TWISTER", 0},        // seed by magnitude, keyword in any case
        {u"12 Standard_C", S_OK, u"12 STANDARD_C", 0},                   //
        {u"  7   ACM599  ", S_OK, u"7 ACM599", 0},                       // blanks around tokens
        {u"3.9 STANDARD_C", S_OK, u"3 STANDARD_C", 0},                   // a number cut to a whole one
        {u"abc MERSENNE_TWISTER", S_OK, u"0 MERSENNE_TWISTER", 0},       // no number: seed 0
        {u"4294967296 STANDARD_C", S_OK, u"0 STANDARD_C", 0},            // beyond 32 bits: seed 0
        {u"8 ''", S_OK, u"8 ACM599", 0},                                 // an empty keyword means type 1
        {u"-2147483648 STANDARD_C", S_OK, u"-2147483648 STANDARD_C", 0}, // kept, and reads back the same
        {u"9 TWISTER", S_FALSE, u"1 MERSENNE_TWISTER", 821},             // unknown keyword: nothing changes
        {u"", S_OK, u"", 0},                                             // the empty text empties the value
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        auto value = Made(1, RandomGenerator::kMersenneTwister);
        ComPtr<IGPMessage> message;
        EXPECT_EQ(QueryAs<IGPValue>(value.Get())->SetAsText(c.text, message.Out()), c.hr);
        ASSERT_TRUE(message);
        VARIANT_BOOL error = VARIANT_FALSE;
        int32_t code = 0;
        int32_t type = 0;
        message->IsError(&error);
        message->get_ErrorCode(&code);
        message->get_Type(&type);
        EXPECT_EQ(error ? code : 0, c.code);
        if (c.code) {
            EXPECT_EQ(type, 100);
        }
        EXPECT_EQ(Text(value.Get()), c.written);
        EXPECT_EQ(StateOf(value.Get()).empty, *c.written == 0);
    }
    // The text of an empty value reads back as empty.
    auto value = Make();
    EXPECT_EQ(Text(value.Get()), u"");
    ComPtr<IGPMessage> message;
    EXPECT_EQ(QueryAs<IGPValue>(value.Get())->SetAsText(Text(value.Get()).c_str(), message.Out()), S_OK);
    EXPECT_TRUE(StateOf(value.Get()).empty);
    EXPECT_EQ(QueryAs<IGPValue>(value.Get())->SetAsText(u"1", nullptr), E_POINTER);
}

TEST_F(GPRandomNumberGeneratorTest, InitializeUsesTheSeedsMagnitude) {
    auto value = Make();
    State fresh = StateOf(value.Get());
    EXPECT_EQ(fresh.seed, 0);
    EXPECT_EQ(fresh.type, 1);
    EXPECT_TRUE(fresh.empty);

    // An unknown type changes nothing, not even the empty flag.
    EXPECT_EQ(value->Initialize(5, 3), E_FAIL);
    EXPECT_EQ(value->Initialize(5, -1), E_FAIL);
    EXPECT_TRUE(StateOf(value.Get()).empty);

    EXPECT_EQ(value->Initialize(-17, 0), S_OK);
    State state = StateOf(value.Get());
    EXPECT_EQ(state.seed, 17);
    EXPECT_EQ(state.type, 0);
    EXPECT_FALSE(state.empty);
    EXPECT_EQ(Draws(value.Get(), u"UNIFORM", 5), Draws(Made(17, 0).Get(), u"UNIFORM", 5));

    // -2147483648 has no positive 32-bit magnitude: it stays as it is, seeds by 2147483648 and unlike 2147483647,
    // and its text reads back to the same sequence.
    auto minimum = Made(INT32_MIN, 2);
    EXPECT_EQ(StateOf(minimum.Get()).seed, INT32_MIN);
    RandomGenerator reference;
    reference.Initialize(2, INT32_MIN);
    std::vector<double> expected;
    for (int i = 0; i < 5; ++i)
        expected.push_back(reference.Uniform(0, 1));
    EXPECT_EQ(Draws(minimum.Get(), u"", 5), expected);
    EXPECT_NE(Draws(Made(INT32_MAX, 2).Get(), u"", 5), expected);
    auto fromText = Make();
    ComPtr<IGPMessage> message;
    QueryAs<IGPValue>(fromText.Get())->SetAsText(Text(minimum.Get()).c_str(), message.Out());
    EXPECT_EQ(Draws(fromText.Get(), u"", 5), expected);
}

// ---- distributions ----

TEST_F(GPRandomNumberGeneratorTest, ParseDistribution) {
    struct Case {
        const char16_t* text;
        HRESULT hr;
        int32_t kind;
        double p1, p2;
        VARIANT_BOOL integer;
    };
    const Case cases[] = {
        {u"normal 5", S_OK, 3, 5, 1, VARIANT_FALSE},              // the missing parameter keeps its default
        {u"NORMAL", S_OK, 3, 0, 1, VARIANT_FALSE},                //
        {u"Uniform -1 2.5", S_OK, 1, -1, 2.5, VARIANT_FALSE},     //
        {u"INTEGER", S_OK, 2, 1, 10, VARIANT_TRUE},               //
        {u"integer 3 x 9", S_OK, 2, 3, 10, VARIANT_TRUE},         // stops at the first token that is no number
        {u"EXPONENTIAL 4 99", S_OK, 4, 4, 0, VARIANT_FALSE},      // one parameter: the rest is not read
        {u"poisson 2.5", S_OK, 5, 2.5, 0, VARIANT_TRUE},          //
        {u"GAMMA", S_OK, 6, 1, 1, VARIANT_FALSE},                 //
        {u"binomial 20 0.25 7", S_OK, 7, 20, 0.25, VARIANT_TRUE}, //
        {u"Geometric", S_OK, 8, 0.5, 0, VARIANT_TRUE},            //
        {u"  NEGATIVE_BINOMIAL   3   0.2 ", S_OK, 9, 3, 0.2, VARIANT_TRUE}, //
        {u"", E_FAIL, 0, 0, 0, VARIANT_FALSE},                              // empty
        {u"normalx 1", E_FAIL, 0, 0, 0, VARIANT_FALSE},                     // unknown keyword
        {u"5 normal", E_FAIL, 0, 0, 0, VARIANT_FALSE},                      // the keyword comes first
    };
    auto impl = QueryAs<IGPRandomNumberGeneratorImpl>(Make().Get());
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        int32_t kind = -1;
        double parameters[2] = {-1, -1};
        VARIANT_BOOL integer = 7;
        EXPECT_EQ(impl->ParseDistribution(c.text, &kind, parameters, &integer), c.hr);
        EXPECT_EQ(kind, c.kind);
        EXPECT_EQ(parameters[0], c.p1);
        EXPECT_EQ(parameters[1], c.p2);
        EXPECT_EQ(integer, c.integer);
    }
    int32_t kind = 0;
    double parameters[2];
    VARIANT_BOOL integer = 0;
    EXPECT_EQ(impl->ParseDistribution(nullptr, &kind, parameters, &integer), E_FAIL);
    EXPECT_EQ(impl->ParseDistribution(u"NORMAL", &kind, nullptr, &integer), E_POINTER);
    EXPECT_EQ(impl->FillBatch(u"NORMAL", 10, nullptr), E_NOTIMPL);
}

TEST_F(GPRandomNumberGeneratorTest, DrawsFollowOneSequence) {
    auto value = Made(2024, RandomGenerator::kAcm599);
    RandomGenerator reference;
    reference.Initialize(RandomGenerator::kAcm599, 2024);

    // The same text twice: two draws of one sequence; an empty text draws the kept distribution again.
    double first = 0, second = 0, third = 0;
    EXPECT_EQ(value->GetValue(u"NORMAL 5 2", &first), S_OK);
    EXPECT_EQ(value->GetValue(u"NORMAL 5 2", &second), S_OK);
    EXPECT_EQ(value->GetValue(u"", &third), S_OK);
    EXPECT_EQ(first, reference.Normal(5, 2));
    EXPECT_EQ(second, reference.Normal(5, 2));
    EXPECT_EQ(third, reference.Normal(5, 2));
    EXPECT_NE(first, second);

    // Changing the distribution continues the sequence; a text that names none fails and keeps the last one.
    double x = 0;
    EXPECT_EQ(value->GetValue(u"POISSON 30", &x), S_OK);
    EXPECT_EQ(x, reference.Poisson(30));
    EXPECT_EQ(value->GetValue(u"CAUCHY 1", &x), E_FAIL);
    EXPECT_EQ(value->GetValue(nullptr, &x), S_OK);
    EXPECT_EQ(x, reference.Poisson(30));
    EXPECT_EQ(value->GetValue(u"INTEGER -3 3", &x), S_OK);
    EXPECT_EQ(x, reference.Integer(-3, 3));
    EXPECT_EQ(value->GetValue(u"BINOMIAL 12.9 0.5", &x), S_OK); // trials cut to 12
    EXPECT_EQ(x, reference.Binomial(12, 0.5));
    EXPECT_EQ(value->GetValue(u"NEGATIVE_BINOMIAL 2.5 0.4", &x), S_OK);
    EXPECT_EQ(x, reference.NegativeBinomial(2.5, 0.4));

    // Reset starts the sequence over.
    EXPECT_EQ(value->Reset(), S_OK);
    EXPECT_EQ(Draws(value.Get(), u"NORMAL 5 2", 3), (std::vector<double>{first, second, third}));
    EXPECT_EQ(value->GetValue(u"NORMAL", nullptr), E_POINTER);
}

TEST_F(GPRandomNumberGeneratorTest, UnusableParametersDrawNaN) {
    const char16_t* texts[] = {
        u"INTEGER 1e10 5",     // does not fit in 32 bits
        u"INTEGER 5 -3e9",     //
        u"BINOMIAL -1e12 0.5", //
        u"NORMAL 0 -1",        // negative deviation
        u"POISSON -2",         //
        u"GEOMETRIC 0",        //
        u"GAMMA 0 1",          //
    };
    for (const char16_t* text : texts) {
        SCOPED_TRACE(ToUtf8(text));
        double x = 0;
        EXPECT_EQ(Make()->GetValue(text, &x), S_OK);
        EXPECT_TRUE(std::isnan(x));
    }
    // A fresh value draws UNIFORM 0 1 for an empty text.
    auto value = Make();
    for (double x : Draws(value.Get(), u"", 100))
        EXPECT_TRUE(x > 0 && x < 1);
    // Integer-valued draws are whole numbers.
    for (double x : Draws(value.Get(), u"INTEGER 1 6", 200))
        EXPECT_TRUE(x >= 1 && x <= 6 && std::floor(x) == x);
}

TEST_F(GPRandomNumberGeneratorTest, Ranges) {
    constexpr double lowest = std::numeric_limits<double>::lowest();
    constexpr double highest = std::numeric_limits<double>::max();
    struct Case {
        int32_t kind;
        double p1, p2;
        HRESULT hr;
        double minimum, maximum;
    };
    const Case cases[] = {
        {1, -2, 3, S_FALSE, -2, 3},          //
        {2, 1, 6, S_OK, 1, 6},               //
        {2, 1.5, -3.7, S_OK, 1, -3},         // whole numbers toward zero, as the draw takes them
        {3, 0, 1, S_FALSE, lowest, highest}, //
        {4, 1, 0, S_FALSE, 0, highest},      //
        {5, 3, 0, S_OK, 0, 2147483647},      // a Poisson draw may be 0
        {6, 1, 1, S_FALSE, lowest, highest}, //
        {7, 20, 0.5, S_OK, 0, 20},           //
        {7, 20.9, 0.5, S_OK, 0, 20},         //
        {8, 0.5, 0, S_OK, 0, 2147483647},    //
        {9, 10, 0.5, S_OK, 0, 2147483647},   // no failure before the successes is possible
        {0, 1, 1, E_FAIL, kNaN, kNaN},       // unknown kinds
        {10, 1, 1, E_FAIL, kNaN, kNaN},      //
    };
    auto impl = QueryAs<IGPRandomNumberGeneratorImpl>(Make().Get());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        double parameters[2] = {c.p1, c.p2};
        double minimum = 0, maximum = 0;
        EXPECT_EQ(impl->GetRange(c.kind, parameters, &minimum, &maximum), c.hr);
        if (std::isnan(c.minimum)) {
            EXPECT_TRUE(std::isnan(minimum) && std::isnan(maximum));
        } else {
            EXPECT_EQ(minimum, c.minimum);
            EXPECT_EQ(maximum, c.maximum);
        }
    }
    // Draws stay in the range reported, 0 included where the range starts there.
    auto value = Made(5, 2);
    double parameters[2] = {0.2, 0};
    double minimum = 0, maximum = 0;
    impl->GetRange(5, parameters, &minimum, &maximum);
    bool sawZero = false;
    for (double x : Draws(value.Get(), u"POISSON 0.2", 100)) {
        EXPECT_TRUE(x >= minimum && x <= maximum);
        sawZero = sawZero || x == 0;
    }
    EXPECT_TRUE(sawZero);
}

// ---- emptiness and cloning ----

TEST_F(GPRandomNumberGeneratorTest, EmptyStartsOver) {
    auto value = Made(77, 0);
    Draws(value.Get(), u"NORMAL 10 3", 3);
    EXPECT_EQ(QueryAs<IGPValue>(value.Get())->Empty(), S_OK);
    State state = StateOf(value.Get());
    EXPECT_EQ(state.seed, 0);
    EXPECT_EQ(state.type, 1);
    EXPECT_TRUE(state.empty);
    // The kept distribution is UNIFORM 0 1 again, drawn from seed 0 of type 1.
    RandomGenerator reference;
    EXPECT_EQ(Draws(value.Get(), u"", 2), (std::vector<double>{reference.Uniform(0, 1), reference.Uniform(0, 1)}));
}

TEST_F(GPRandomNumberGeneratorTest, ClonesContinueTheSequence) {
    auto value = Made(31, 2);
    Draws(value.Get(), u"NORMAL", 7); // leaves a normal draw kept
    ComPtr<IClone> clone;
    ASSERT_EQ(QueryAs<IClone>(value.Get())->Clone(clone.Out()), S_OK);
    auto copy = QueryAs<IGPRandomNumberGenerator>(clone.Get());
    EXPECT_TRUE(Equal(value.Get(), copy.Get()));
    EXPECT_EQ(Draws(copy.Get(), u"NORMAL", 5), Draws(value.Get(), u"NORMAL", 5));

    // Seed and type decide equality, not the place in the sequence; emptiness counts.
    EXPECT_TRUE(Equal(value.Get(), Made(31, 2).Get()));
    EXPECT_FALSE(Equal(value.Get(), Made(31, 1).Get()));
    EXPECT_FALSE(Equal(value.Get(), Made(32, 2).Get()));
    EXPECT_FALSE(Equal(Make().Get(), Made(0, 1).Get()));
    auto other = Create<IClone>(CLSID_GPLong);
    EXPECT_EQ(QueryAs<IClone>(value.Get())->Assign(other.Get()), E_INVALIDARG);
    EXPECT_EQ(StateOf(value.Get()).seed, 31);
}

// ---- stream form ----

TEST_F(GPRandomNumberGeneratorTest, SavedGeneratorResumesItsSequence) {
    for (int32_t type = 0; type <= 2; ++type) {
        SCOPED_TRACE(type);
        auto value = Made(-4242, type);
        Draws(value.Get(), u"NORMAL", 701);
        std::vector<uint8_t> bytes = Saved(value.Get());
        EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->IsDirty(), S_FALSE);
        std::vector<double> next = Draws(value.Get(), u"NORMAL", 20);
        EXPECT_EQ(QueryAs<IPersistStream>(value.Get())->IsDirty(), S_OK); // draws move the saved place

        auto loaded = Make();
        ASSERT_EQ(Load(loaded.Get(), bytes), S_OK);
        EXPECT_EQ(QueryAs<IPersistStream>(loaded.Get())->IsDirty(), S_FALSE);
        State state = StateOf(loaded.Get());
        EXPECT_EQ(state.seed, 4242);
        EXPECT_EQ(state.type, type);
        EXPECT_FALSE(state.empty);
        EXPECT_EQ(Draws(loaded.Get(), u"NORMAL", 20), next);
        // Reset after loading still starts the seed's sequence over.
        loaded->Reset();
        EXPECT_EQ(Draws(loaded.Get(), u"NORMAL", 3), Draws(Made(4242, type).Get(), u"NORMAL", 3));
    }
}

TEST_F(GPRandomNumberGeneratorTest, OlderDocumentsHoldSeedAndTypeOnly) {
    auto value = Made(-9, 0);
    Draws(value.Get(), u"", 5);
    std::vector<uint8_t> older = Saved(value.Get(), docversion::Newer(18));
    std::vector<uint8_t> oldest = Saved(value.Get(), docversion::Older(0));
    // Version 1: the version, the empty flag, the seed and the type.
    const std::vector<uint8_t> expected = {1, 0, 0, 0, 9, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(older, expected);
    EXPECT_EQ(oldest, expected);
    std::vector<uint8_t> current = Saved(value.Get());
    EXPECT_EQ(current[0], 2);
    EXPECT_EQ(current.size(), 12u + 4 + 4 * RandomGenerator::StateSize(0));

    // Loading version 1 starts the sequence over.
    auto loaded = Make();
    ASSERT_EQ(Load(loaded.Get(), older), S_OK);
    EXPECT_EQ(Draws(loaded.Get(), u"", 4), Draws(Made(9, 0).Get(), u"", 4));
}

TEST_F(GPRandomNumberGeneratorTest, StreamsReadAsTheFormSays) {
    auto base = [](uint8_t version, std::vector<uint8_t> rest) {
        std::vector<uint8_t> bytes = {version, 0, 0, 0};
        for (uint8_t byte : rest)
            bytes.push_back(byte);
        return bytes;
    };
    struct Case {
        const char* reason;
        std::vector<uint8_t> bytes;
        HRESULT hr;
        State state; // after the load
    };
    const State unchanged{3, 2, false};
    const Case cases[] = {
        {"version 1", base(1, {5, 0, 0, 0, 2, 0, 0, 0}), S_OK, {5, 2, false}},
        {"version 0 reads as 1", base(0, {5, 0, 0, 0, 0, 0, 0, 0}), S_OK, {5, 0, false}},
        {"a type above 2 is 1", base(1, {5, 0, 0, 0, 7, 0, 0, 0}), S_OK, {5, 1, false}},
        {"a negative type is 1", base(1, {5, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}), S_OK, {5, 1, false}},
        {"no type is 1", base(1, {5, 0, 0, 0}), S_OK, {5, 1, false}},
        {"no seed is 0", base(1, {}), S_OK, {0, 1, false}},
        {"a stored negative seed by magnitude", base(1, {0xFB, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}), S_OK, {5, 0, false}},
        {"version 3 is unknown", base(3, {5, 0, 0, 0, 2, 0, 0, 0}), E_FAIL, unchanged},
        {"version 2 without its state", base(2, {5, 0, 0, 0, 0, 0, 0, 0}), E_FAIL, unchanged},
        {"version 2 with a state of the wrong size", base(2, {5, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0}), E_FAIL,
         unchanged},
        {"version 2 with a huge count", base(2, {5, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F}), E_FAIL, unchanged},
        {"version 2 with a cut state", base(2, {5, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}), E_FAIL,
         unchanged},
        {"version 2 with a kept-draw flag of 2",
         base(2, {5, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), E_FAIL,
         unchanged},
        {"version 2 whole",
         base(2, {5, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
         S_OK,
         {5, 0, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        auto value = Made(3, 2);
        std::vector<double> before = Draws(Made(3, 2).Get(), u"", 3);
        EXPECT_EQ(Load(value.Get(), c.bytes), c.hr);
        State state = StateOf(value.Get());
        EXPECT_EQ(state.seed, c.state.seed);
        EXPECT_EQ(state.type, c.state.type);
        EXPECT_EQ(state.empty, c.state.empty);
        if (FAILED(c.hr)) {
            EXPECT_EQ(Draws(value.Get(), u"", 3), before);
        }
    }
    // The whole version 2 state above (next = 1, nothing kept) continues from there.
    auto value = Make();
    ASSERT_EQ(Load(value.Get(), cases[std::size(cases) - 1].bytes), S_OK);
    StandardCEngine engine;
    engine.SetState(1);
    EXPECT_EQ(Draws(value.Get(), u"", 1)[0], engine.NextDouble());
}

// ---- XML form ----

TEST_F(GPRandomNumberGeneratorTest, XmlForm) {
    auto value = Made(-123, 2);
    Draws(value.Get(), u"", 3);
    BStr xml;
    ASSERT_EQ(TaviXmlSerialize(value.Get(), nullptr, xml.Out()), S_OK);
    std::string text = ToUtf8(xml.view());
    EXPECT_NE(text.find("GPRandomNumberGenerator"), std::string::npos);
    EXPECT_NE(text.find(">123<"), std::string::npos);
    EXPECT_NE(text.find(">MERSENNE_TWISTER<"), std::string::npos);

    // Reading takes seed and type and starts the sequence over.
    auto read = Make();
    ASSERT_EQ(TaviXmlDeserialize(xml.c_str(), read.Get()), S_OK);
    EXPECT_TRUE(Equal(read.Get(), value.Get()));
    EXPECT_EQ(Draws(read.Get(), u"", 3), Draws(Made(123, 2).Get(), u"", 3));

    // A keyword missing or unknown gives type 1.
    for (const char* replacement : {">WHATEVER<", "><"}) {
        SCOPED_TRACE(replacement);
        std::string damaged = std::regex_replace(text, std::regex(">MERSENNE_TWISTER<"), replacement);
        auto other = Made(1, 0);
        ASSERT_EQ(TaviXmlDeserialize(FromUtf8(damaged).c_str(), other.Get()), S_OK);
        State state = StateOf(other.Get());
        EXPECT_EQ(state.seed, 123);
        EXPECT_EQ(state.type, 1);
    }

    // An empty value writes no content and reads back empty.
    BStr emptyXml;
    ASSERT_EQ(TaviXmlSerialize(Make().Get(), nullptr, emptyXml.Out()), S_OK);
    EXPECT_EQ(ToUtf8(emptyXml.view()).find("MERSENNE_TWISTER"), std::string::npos);
    auto emptied = Made(5, 0);
    ASSERT_EQ(TaviXmlDeserialize(emptyXml.c_str(), emptied.Get()), S_OK);
    EXPECT_TRUE(StateOf(emptied.Get()).empty);
}

// ---- data type ----

TEST_F(GPRandomNumberGeneratorTest, DataType) {
    auto type = Create<IGPDataType>(CLSID_GPRandomNumberGeneratorType);
    BStr name;
    type->get_Name(name.Out());
    EXPECT_EQ(name.str(), u"GPRandomNumberGenerator");
    BStr display;
    type->get_DisplayName(display.Out());
    EXPECT_EQ(display.str(), u"Random Number Generator");

    ComPtr<IGPValue> made;
    ASSERT_EQ(type->CreateValue(u"6 standard_c", made.Out()), S_OK);
    EXPECT_EQ(Text(made.Get()), u"6 STANDARD_C");

    auto verdict = [&](IGPValue* value) {
        ComPtr<IGPMessage> message;
        EXPECT_EQ(type->ValidateValue(value, nullptr, message.Out()), S_OK);
        VARIANT_BOOL error = VARIANT_TRUE;
        message->IsError(&error);
        return error == VARIANT_FALSE;
    };
    EXPECT_TRUE(verdict(made.Get()));
    EXPECT_FALSE(verdict(Create<IGPValue>(CLSID_GPLong).Get()));
}

} // namespace
} // namespace tavi::test
