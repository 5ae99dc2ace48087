// The foundation's random number generator: each generator type against a separate reference implementation written
// below from the published descriptions and against published outputs; seeds by magnitude, -2147483648 included; the
// moments of every distribution over a million draws; parameters outside their domains; the caps of the unbounded
// integer draws; saving and resuming the place in the sequence.
#include "TestSupport.h"

#include "host/RandomGenerator.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

namespace tavi::test {
namespace {

// ---- references, written apart from the library's engines ----

// The C standard's example, with its unsigned long state as printed there (64 bits here: the output does not depend
// on the bits above 31).
struct ReferenceStandardC {
    unsigned long next;
    explicit ReferenceStandardC(uint32_t seed) : next(seed) {}
    int rand() {
        next = next * 1103515245 + 12345;
        return static_cast<unsigned>(next / 65536) % 32768;
    }
    double Double() {
        double r1 = rand(), r2 = rand(), r3 = rand(), r4 = rand();
        return (r1 * 274877906944.0 + r2 * 8388608.0 + r3 * 256.0 + std::floor(r4 / 128.0)) / 9007199254740992.0;
    }
};

// MRG32k3a in the published floating-point form, seeded through SplitMix64.
struct ReferenceMrg32k3a {
    double s10, s11, s12, s20, s21, s22;
    explicit ReferenceMrg32k3a(uint32_t seed) {
        uint64_t z = seed;
        auto next = [&z]() {
            uint64_t r = (z += 0x9E3779B97F4A7C15ull);
            r = (r ^ (r >> 30)) * 0xBF58476D1CE4E5B9ull;
            r = (r ^ (r >> 27)) * 0x94D049BB133111EBull;
            return r ^ (r >> 31);
        };
        s10 = static_cast<double>(next() % 4294967086ull + 1);
        s11 = static_cast<double>(next() % 4294967086ull + 1);
        s12 = static_cast<double>(next() % 4294967086ull + 1);
        s20 = static_cast<double>(next() % 4294944442ull + 1);
        s21 = static_cast<double>(next() % 4294944442ull + 1);
        s22 = static_cast<double>(next() % 4294944442ull + 1);
    }
    ReferenceMrg32k3a(double a, double b, double c, double d, double e, double f)
        : s10(a), s11(b), s12(c), s20(d), s21(e), s22(f) {}
    double Double() {
        const double m1 = 4294967087.0, m2 = 4294944443.0;
        double p1 = 1403580.0 * s11 - 810728.0 * s10;
        long k = static_cast<long>(p1 / m1);
        p1 -= k * m1;
        if (p1 < 0.0)
            p1 += m1;
        s10 = s11;
        s11 = s12;
        s12 = p1;
        double p2 = 527612.0 * s22 - 1370589.0 * s20;
        k = static_cast<long>(p2 / m2);
        p2 -= k * m2;
        if (p2 < 0.0)
            p2 += m2;
        s20 = s21;
        s21 = s22;
        s22 = p2;
        return p1 <= p2 ? (p1 - p2 + m1) * 2.328306549295727688e-10 : (p1 - p2) * 2.328306549295727688e-10;
    }
};

// MT19937 as in the authors' mt19937ar.c.
struct ReferenceTwister {
    static constexpr int N = 624, M = 397;
    unsigned long mt[N];
    int mti;
    explicit ReferenceTwister(uint32_t s) {
        mt[0] = s & 0xffffffffUL;
        for (mti = 1; mti < N; mti++) {
            mt[mti] = (1812433253UL * (mt[mti - 1] ^ (mt[mti - 1] >> 30)) + mti);
            mt[mti] &= 0xffffffffUL;
        }
    }
    unsigned long genrand_int32() {
        static const unsigned long mag01[2] = {0x0UL, 0x9908b0dfUL};
        unsigned long y;
        if (mti >= N) {
            int kk;
            for (kk = 0; kk < N - M; kk++) {
                y = (mt[kk] & 0x80000000UL) | (mt[kk + 1] & 0x7fffffffUL);
                mt[kk] = mt[kk + M] ^ (y >> 1) ^ mag01[y & 0x1UL];
            }
            for (; kk < N - 1; kk++) {
                y = (mt[kk] & 0x80000000UL) | (mt[kk + 1] & 0x7fffffffUL);
                mt[kk] = mt[kk + (M - N)] ^ (y >> 1) ^ mag01[y & 0x1UL];
            }
            y = (mt[N - 1] & 0x80000000UL) | (mt[0] & 0x7fffffffUL);
            mt[N - 1] = mt[M - 1] ^ (y >> 1) ^ mag01[y & 0x1UL];
            mti = 0;
        }
        y = mt[mti++];
        y ^= (y >> 11);
        y ^= (y << 7) & 0x9d2c5680UL;
        y ^= (y << 15) & 0xefc60000UL;
        y ^= (y >> 18);
        return y;
    }
    double Double() {
        unsigned long a = genrand_int32() >> 5, b = genrand_int32() >> 6;
        return (a * 67108864.0 + b) * (1.0 / 9007199254740992.0);
    }
};

// The first `count` doubles of the reference of `type` for the seed magnitude `magnitude`.
std::vector<double> ReferenceDoubles(int32_t type, uint32_t magnitude, int count) {
    std::vector<double> doubles;
    ReferenceStandardC c(magnitude);
    ReferenceMrg32k3a mrg(magnitude);
    ReferenceTwister mt(magnitude);
    for (int i = 0; i < count; ++i)
        doubles.push_back(type == 0 ? c.Double() : type == 1 ? mrg.Double() : mt.Double());
    return doubles;
}

std::vector<double> Doubles(RandomGenerator& generator, int count) {
    std::vector<double> doubles;
    for (int i = 0; i < count; ++i)
        doubles.push_back(generator.NextDouble());
    return doubles;
}

using RandomGeneratorTest = LeakCheckedTest;

TEST_F(RandomGeneratorTest, EachTypeGivesItsReferenceSequence) {
    struct Seed {
        int32_t seed;
        uint32_t magnitude;
    };
    const Seed seeds[] = {
        {0, 0u},                  // an ordinary seed for every type
        {1, 1u},                  //
        {42, 42u},                //
        {-42, 42u},               // used by magnitude
        {INT32_MAX, 2147483647u}, //
        {INT32_MIN, 2147483648u}, // the magnitude beyond 32-bit signed numbers, without overflow
    };
    for (int32_t type = 0; type <= 2; ++type)
        for (const Seed& s : seeds) {
            SCOPED_TRACE("type " + std::to_string(type) + " seed " + std::to_string(s.seed));
            RandomGenerator generator;
            ASSERT_TRUE(generator.Initialize(type, s.seed));
            EXPECT_EQ(Doubles(generator, 2000), ReferenceDoubles(type, s.magnitude, 2000));
        }
}

TEST_F(RandomGeneratorTest, PublishedOutputs) {
    // The C standard's example with srand(1).
    StandardCEngine c;
    c.Seed(1);
    EXPECT_EQ(c.Next15(), 16838u);
    EXPECT_EQ(c.Next15(), 5758u);
    EXPECT_EQ(c.Next15(), 10113u);

    // MT19937 with init_genrand(5489): the first and the 10000th output.
    MersenneTwisterEngine mt;
    mt.Seed(5489);
    EXPECT_EQ(mt.NextUInt32(), 3499211612u);
    for (int i = 2; i < 10000; ++i)
        mt.NextUInt32();
    EXPECT_EQ(mt.NextUInt32(), 4123659995u);

    // MRG32k3a from the paper's default state, every component 12345 (a new engine), and the reference from it.
    Mrg32k3aEngine mrg;
    ReferenceMrg32k3a reference(12345, 12345, 12345, 12345, 12345, 12345);
    const double published[] = {0.127011, 0.318528, 0.309186, 0.825847, 0.221630};
    for (double expected : published) {
        double u = mrg.NextDouble();
        EXPECT_NEAR(u, expected, 1e-6);
        EXPECT_EQ(u, reference.Double());
    }
}

TEST_F(RandomGeneratorTest, DoublesStayInTheirIntervals) {
    // The largest outputs: 2^53 - 1 over 2^53 for the 53-bit kinds; m1 / (m1 + 1) for MRG32k3a; never 1.
    StandardCEngine c;
    c.SetState(0);
    for (int i = 0; i < 100000; ++i) {
        double u = c.NextDouble();
        ASSERT_TRUE(u >= 0.0 && u < 1.0);
    }
    RandomGenerator generator;
    for (int32_t type = 0; type <= 2; ++type) {
        generator.Initialize(type, 7);
        for (int i = 0; i < 100000; ++i) {
            double u = generator.NextDouble();
            ASSERT_TRUE(u >= 0.0 && u < 1.0) << type;
            if (type == RandomGenerator::kAcm599) {
                ASSERT_GT(u, 0.0);
            }
        }
    }
}

TEST_F(RandomGeneratorTest, SeedsAndTypes) {
    RandomGenerator generator;
    EXPECT_EQ(generator.Type(), RandomGenerator::kAcm599);
    EXPECT_EQ(generator.Seed(), 0);

    EXPECT_TRUE(generator.Initialize(RandomGenerator::kMersenneTwister, -5));
    EXPECT_EQ(generator.Seed(), 5);
    std::vector<double> fromMinus = Doubles(generator, 10);
    generator.Initialize(RandomGenerator::kMersenneTwister, 5);
    EXPECT_EQ(Doubles(generator, 10), fromMinus);

    // -2147483648 is kept as it is; it seeds again the same way and unlike 2147483647.
    generator.Initialize(RandomGenerator::kStandardC, INT32_MIN);
    EXPECT_EQ(generator.Seed(), INT32_MIN);
    std::vector<double> fromMinimum = Doubles(generator, 10);
    generator.Initialize(generator.Type(), generator.Seed());
    EXPECT_EQ(Doubles(generator, 10), fromMinimum);
    generator.Initialize(RandomGenerator::kStandardC, INT32_MAX);
    EXPECT_NE(Doubles(generator, 10), fromMinimum);

    // An unknown type changes nothing.
    generator.Initialize(RandomGenerator::kStandardC, 3);
    std::vector<double> expected = ReferenceDoubles(0, 3, 4);
    EXPECT_FALSE(generator.Initialize(3, 9));
    EXPECT_FALSE(generator.Initialize(-1, 9));
    EXPECT_EQ(generator.Type(), RandomGenerator::kStandardC);
    EXPECT_EQ(generator.Seed(), 3);
    EXPECT_EQ(Doubles(generator, 4), expected);
}

// ---- distributions ----

struct Moments {
    const char* name;
    std::function<double(RandomGenerator&)> draw;
    double mean;
    double variance;
    bool integer;
};

TEST_F(RandomGeneratorTest, DistributionMomentsOverAMillionDraws) {
    const Moments rows[] = {
        {"uniform", [](RandomGenerator& g) { return g.Uniform(2, 5); }, 3.5, 0.75, false},
        {"uniform reversed", [](RandomGenerator& g) { return g.Uniform(5, 2); }, 3.5, 0.75, false},
        {"integer", [](RandomGenerator& g) { return g.Integer(1, 10); }, 5.5, 8.25, true},
        {"integer reversed", [](RandomGenerator& g) { return g.Integer(10, 1); }, 5.5, 8.25, true},
        {"integer full range", [](RandomGenerator& g) { return g.Integer(INT32_MIN, INT32_MAX); }, -0.5,
         18446744073709551615.0 / 12, true},
        {"normal", [](RandomGenerator& g) { return g.Normal(3, 2); }, 3, 4, false},
        {"exponential", [](RandomGenerator& g) { return g.Exponential(2.5); }, 2.5, 6.25, false},
        {"poisson by multiplication", [](RandomGenerator& g) { return g.Poisson(3.5); }, 3.5, 3.5, true},
        {"poisson by PTRS", [](RandomGenerator& g) { return g.Poisson(250); }, 250, 250, true},
        {"poisson at 10", [](RandomGenerator& g) { return g.Poisson(10); }, 10, 10, true},
        {"gamma below 1", [](RandomGenerator& g) { return g.Gamma(0.5, 2); }, 1, 2, false},
        {"gamma", [](RandomGenerator& g) { return g.Gamma(4.5, 1.5); }, 6.75, 10.125, false},
        {"binomial by inversion", [](RandomGenerator& g) { return g.Binomial(20, 0.3); }, 6, 4.2, true},
        {"binomial by BTRS", [](RandomGenerator& g) { return g.Binomial(1000, 0.4); }, 400, 240, true},
        {"binomial above 1/2", [](RandomGenerator& g) { return g.Binomial(50, 0.9); }, 45, 4.5, true},
        {"binomial above 1/2 by BTRS", [](RandomGenerator& g) { return g.Binomial(200, 0.75); }, 150, 37.5, true},
        {"geometric", [](RandomGenerator& g) { return g.Geometric(0.2); }, 4, 20, true},
        {"negative binomial", [](RandomGenerator& g) { return g.NegativeBinomial(10, 0.5); }, 10, 20, true},
        {"negative binomial of a real r", [](RandomGenerator& g) { return g.NegativeBinomial(2.5, 0.3); },
         2.5 * 0.7 / 0.3, 2.5 * 0.7 / 0.09, true},
    };
    constexpr int kDraws = 1000000;
    for (int32_t type = 0; type <= 2; ++type)
        for (const Moments& row : rows) {
            SCOPED_TRACE(std::string(row.name) + ", type " + std::to_string(type));
            RandomGenerator generator;
            generator.Initialize(type, 20240611);
            // Shifted sums keep the full-range integer row exact enough.
            double sum = 0, sum2 = 0, sum4 = 0;
            bool whole = true;
            std::vector<double> draws(kDraws);
            for (double& x : draws) {
                x = row.draw(generator);
                sum += x - row.mean;
                whole = whole && std::floor(x) == x;
            }
            double mean = row.mean + sum / kDraws;
            for (double x : draws) {
                double d = (x - mean) * (x - mean);
                sum2 += d;
                sum4 += d * d;
            }
            double variance = sum2 / (kDraws - 1);
            double fourth = sum4 / kDraws;
            // Five standard errors of the mean and of the sample variance.
            EXPECT_NEAR(mean, row.mean, 5 * std::sqrt(row.variance / kDraws));
            EXPECT_NEAR(variance, row.variance, 5 * std::sqrt((fourth - variance * variance) / kDraws));
            if (row.integer) {
                EXPECT_TRUE(whole);
            }
        }
}

TEST_F(RandomGeneratorTest, ParametersOutsideTheirDomainGiveNaNAndDrawNothing) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    const std::pair<const char*, std::function<double(RandomGenerator&)>> rows[] = {
        {"uniform to infinity", [](RandomGenerator& g) { return g.Uniform(0, inf); }},
        {"uniform from NaN", [](RandomGenerator& g) { return g.Uniform(nan, 1); }},
        {"normal with a negative deviation", [](RandomGenerator& g) { return g.Normal(0, -1); }},
        {"normal with an infinite mean", [](RandomGenerator& g) { return g.Normal(inf, 1); }},
        {"exponential with a negative mean", [](RandomGenerator& g) { return g.Exponential(-1); }},
        {"poisson with a negative mean", [](RandomGenerator& g) { return g.Poisson(-0.5); }},
        {"poisson with an infinite mean", [](RandomGenerator& g) { return g.Poisson(inf); }},
        {"gamma with alpha 0", [](RandomGenerator& g) { return g.Gamma(0, 1); }},
        {"gamma with a negative scale", [](RandomGenerator& g) { return g.Gamma(1, -1); }},
        {"binomial with negative trials", [](RandomGenerator& g) { return g.Binomial(-1, 0.5); }},
        {"binomial with p above 1", [](RandomGenerator& g) { return g.Binomial(10, 1.5); }},
        {"binomial with p NaN", [](RandomGenerator& g) { return g.Binomial(10, nan); }},
        {"geometric with p 0", [](RandomGenerator& g) { return g.Geometric(0); }},
        {"geometric with p above 1", [](RandomGenerator& g) { return g.Geometric(2); }},
        {"negative binomial with r 0", [](RandomGenerator& g) { return g.NegativeBinomial(0, 0.5); }},
        {"negative binomial with p 0", [](RandomGenerator& g) { return g.NegativeBinomial(3, 0); }},
    };
    for (const auto& [name, draw] : rows) {
        SCOPED_TRACE(name);
        RandomGenerator generator;
        generator.Initialize(RandomGenerator::kMersenneTwister, 11);
        EXPECT_TRUE(std::isnan(draw(generator)));
        EXPECT_EQ(generator.NextDouble(), ReferenceDoubles(2, 11, 1)[0]);
    }
}

TEST_F(RandomGeneratorTest, EdgesOfTheDomains) {
    RandomGenerator g;
    EXPECT_EQ(g.Integer(5, 5), 5);
    EXPECT_EQ(g.Normal(4, 0), 4);
    EXPECT_EQ(g.Exponential(0), 0);
    EXPECT_EQ(g.Poisson(0), 0);
    EXPECT_EQ(g.Gamma(2, 0), 0);
    EXPECT_EQ(g.Binomial(0, 0.5), 0);
    EXPECT_EQ(g.Binomial(7, 0), 0);
    EXPECT_EQ(g.Binomial(7, 1), 7);
    EXPECT_EQ(g.Geometric(1), 0);
    EXPECT_EQ(g.NegativeBinomial(4, 1), 0);
    double huge = g.Uniform(-1.5e308, 1.5e308); // the width overflows
    EXPECT_TRUE(std::isfinite(huge));
    for (int i = 0; i < 1000; ++i) {
        int32_t x = g.Integer(INT32_MAX - 1, INT32_MAX);
        ASSERT_TRUE(x == INT32_MAX - 1 || x == INT32_MAX);
        EXPECT_FALSE(std::signbit(g.Geometric(0.999999))); // never -0
    }
}

TEST_F(RandomGeneratorTest, ExtremeParametersEndAndCapIntegerDraws) {
    RandomGenerator g;
    for (int32_t type = 0; type <= 2; ++type) {
        SCOPED_TRACE(type);
        g.Initialize(type, 99);
        EXPECT_EQ(g.Poisson(1e300), RandomGenerator::kIntegerCap);
        EXPECT_EQ(g.Poisson(4294967296.0), RandomGenerator::kIntegerCap);
        EXPECT_EQ(g.Geometric(1e-300), RandomGenerator::kIntegerCap);
        EXPECT_EQ(g.NegativeBinomial(1e300, 0.5), RandomGenerator::kIntegerCap);
        EXPECT_EQ(g.NegativeBinomial(5, 1e-300), RandomGenerator::kIntegerCap);
        double nearCap = g.Poisson(2147000000.0);
        EXPECT_NEAR(nearCap, 2147000000.0, 46341 * 6);
        double wide = g.Binomial(INT32_MAX, 0.5);
        EXPECT_NEAR(wide, INT32_MAX / 2.0, 23170 * 6);
        double rare = g.Binomial(INT32_MAX, 1e-9);
        EXPECT_TRUE(rare >= 0 && rare < 40);
        EXPECT_TRUE(std::isfinite(g.Gamma(1e300, 1)));
        EXPECT_TRUE(g.Gamma(1e-300, 1) >= 0);
        EXPECT_TRUE(g.Exponential(1e300) >= 0);
    }
}

// ---- saving the place in the sequence ----

TEST_F(RandomGeneratorTest, StateResumesTheSequence) {
    for (int32_t type = 0; type <= 2; ++type) {
        SCOPED_TRACE(type);
        RandomGenerator generator;
        generator.Initialize(type, 1234);
        for (int i = 0; i < 1001; ++i) // passes the twister's first block and leaves a normal draw kept
            generator.Normal(0, 1);
        std::vector<uint32_t> state = generator.GetState();
        EXPECT_EQ(state.size(), RandomGenerator::StateSize(type));
        std::vector<double> next;
        for (int i = 0; i < 50; ++i)
            next.push_back(generator.Normal(0, 1));

        RandomGenerator resumed;
        resumed.Initialize(type, 1); // the seed does not matter: the state is the place in the sequence
        ASSERT_TRUE(resumed.SetState(state));
        std::vector<double> again;
        for (int i = 0; i < 50; ++i)
            again.push_back(resumed.Normal(0, 1));
        EXPECT_EQ(again, next);
    }
}

TEST_F(RandomGeneratorTest, StatesTheGeneratorCannotBeInAreRefused) {
    auto stateOf = [](int32_t type) {
        RandomGenerator g;
        g.Initialize(type, 8);
        g.Normal(0, 1);
        return g.GetState();
    };
    struct Damage {
        const char* reason;
        int32_t type;
        std::function<void(std::vector<uint32_t>&)> damage;
    };
    const Damage rows[] = {
        {"a word too few", 0, [](auto& w) { w.pop_back(); }},
        {"a word too many", 1, [](auto& w) { w.push_back(0); }},
        {"another type's state", 2, [](auto& w) { w.resize(RandomGenerator::StateSize(1)); }},
        {"a kept-draw flag of 2", 0, [](auto& w) { w[w.size() - 3] = 2; }},
        {"a kept draw that is NaN", 1, [](auto& w) { w[w.size() - 1] = 0x7FF80000u; }},
        {"an MRG component at m1", 1, [](auto& w) { w[0] = 4294967087u; }},
        {"an MRG component at m2", 1, [](auto& w) { w[4] = 4294944443u; }},
        {"a zero first MRG triple", 1, [](auto& w) { w[0] = w[1] = w[2] = 0; }},
        {"a zero second MRG triple", 1, [](auto& w) { w[3] = w[4] = w[5] = 0; }},
        {"a twister position past 624", 2, [](auto& w) { w[0] = 625; }},
        {"a twister array without significant bits", 2,
         [](auto& w) {
             std::fill(w.begin() + 1, w.begin() + 625, 0u);
             w[1] = 0x7FFFFFFFu;
         }},
    };
    for (const Damage& row : rows) {
        SCOPED_TRACE(row.reason);
        RandomGenerator generator;
        generator.Initialize(row.type, 3);
        std::vector<uint32_t> before = generator.GetState();
        std::vector<uint32_t> words = stateOf(row.type);
        row.damage(words);
        EXPECT_FALSE(generator.SetState(words));
        EXPECT_EQ(generator.GetState(), before);
    }
}

} // namespace
} // namespace tavi::test
