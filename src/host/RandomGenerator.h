// The foundation's random number generator: three published uniform generators, written out here so that their
// state can be saved and resumed exactly, and the distribution draws made from them. docs/random.md describes every
// algorithm, the seeding and how doubles are made; what follows is the contract.
//
// Kinds (the generator type codes):
//   0 kStandardC        the C standard's example rand(): next = next * 1103515245 + 12345 (mod 2^32), output
//                       (next / 65536) % 32768; a double is made of four outputs (53 bits) and lies in [0, 1);
//   1 kAcm599           L'Ecuyer's combined multiple recursive generator MRG32k3a, its six components seeded from the
//                       seed through SplitMix64; a double is the generator's own output, in (0, 1);
//   2 kMersenneTwister  MT19937 seeded by the reference init_genrand; a double is the reference genrand_res53, in
//                       [0, 1).
//
// Seeds are used by their magnitude: -5 seeds as 5. The magnitude of -2147483648 is 2147483648, which has no positive
// 32-bit counterpart: Seed() then reports -2147483648, which seeds the same way again, so every seed that Seed()
// reports reproduces its sequence.
//
// The same type and seed give the same sequence on every machine and compiler: the engines use integer arithmetic,
// doubles are made from integers by exact scaling, and the draws use only IEEE basic operations (correctly rounded
// on every conforming platform; the library file is built without contraction into fused multiply-adds) and
// std::sqrt, std::log, std::log1p and std::exp. sqrt is correctly rounded by IEEE 754; the other three are not fixed
// to the last bit by any standard: the sequences rely on the platform's C library giving the same results for them
// (glibc gives the same on every x86-64 and AArch64 machine).
//
// Draws with parameters outside their domain give a quiet NaN and consume nothing. Integer-valued draws are whole
// numbers returned as doubles; Poisson, geometric and negative binomial draws larger than 2147483647 (the 32-bit
// range the value reports) are 2147483647.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tavi {

// The C standard's example rand().
class StandardCEngine {
public:
    void Seed(uint32_t seed) { next_ = seed; }
    // One output, 0..32767.
    uint32_t Next15() {
        next_ = next_ * 1103515245u + 12345u;
        return (next_ >> 16) & 0x7FFFu;
    }
    // Four outputs r1..r4 as r1 * 2^38 + r2 * 2^23 + r3 * 2^8 + (r4 >> 7), times 2^-53: [0, 1).
    double NextDouble() {
        uint64_t bits = static_cast<uint64_t>(Next15()) << 38;
        bits |= static_cast<uint64_t>(Next15()) << 23;
        bits |= static_cast<uint64_t>(Next15()) << 8;
        bits |= static_cast<uint64_t>(Next15()) >> 7;
        return static_cast<double>(bits) * 0x1.0p-53;
    }
    uint32_t State() const { return next_; }
    void SetState(uint32_t next) { next_ = next; }

private:
    uint32_t next_ = 0;
};

// L'Ecuyer's MRG32k3a (Operations Research 47(1), 1999), in exact 64-bit integer arithmetic.
class Mrg32k3aEngine {
public:
    static constexpr int64_t kM1 = 4294967087;
    static constexpr int64_t kM2 = 4294944443;

    // The six components from SplitMix64 of the seed (docs/random.md).
    void Seed(uint32_t seed);
    // Sets the components s10, s11, s12, s20, s21, s22; false (nothing changed) unless s1x < m1, s2x < m2 and
    // neither triple is all zero.
    bool SetState(std::span<const uint32_t, 6> components);
    void GetState(std::span<uint32_t, 6> components) const;

    // The published output: (p1 - p2 mod m1, with m1 in place of 0) / (m1 + 1), in (0, 1).
    double NextDouble() {
        int64_t p1 = (1403580 * s1_[1] - 810728 * s1_[0]) % kM1;
        if (p1 < 0)
            p1 += kM1;
        s1_[0] = s1_[1];
        s1_[1] = s1_[2];
        s1_[2] = p1;
        int64_t p2 = (527612 * s2_[2] - 1370589 * s2_[0]) % kM2;
        if (p2 < 0)
            p2 += kM2;
        s2_[0] = s2_[1];
        s2_[1] = s2_[2];
        s2_[2] = p2;
        int64_t combined = p1 > p2 ? p1 - p2 : p1 - p2 + kM1;
        return static_cast<double>(combined) * kNorm;
    }

private:
    static constexpr double kNorm = 2.328306549295727688e-10; // 1 / (m1 + 1), as published
    int64_t s1_[3] = {12345, 12345, 12345};
    int64_t s2_[3] = {12345, 12345, 12345};
};

// MT19937 (Matsumoto and Nishimura, 1998) with the reference init_genrand seeding. It is also a uniform random bit
// generator in the standard library's sense, so that standard distributions can run on it.
class MersenneTwisterEngine {
public:
    static constexpr int kN = 624;
    using result_type = uint32_t;
    static constexpr result_type min() { return 0; }
    static constexpr result_type max() { return 0xFFFFFFFFu; }

    MersenneTwisterEngine() { Seed(5489u); }
    void Seed(uint32_t seed);
    // The reference genrand_int32.
    uint32_t NextUInt32() {
        if (index_ >= kN)
            Twist();
        uint32_t y = state_[index_++];
        y ^= y >> 11;
        y ^= (y << 7) & 0x9D2C5680u;
        y ^= (y << 15) & 0xEFC60000u;
        y ^= y >> 18;
        return y;
    }
    result_type operator()() { return NextUInt32(); }
    // The reference genrand_res53: (a * 2^26 + b) * 2^-53 with a = first output >> 5 and b = second output >> 6.
    double NextDouble() {
        uint32_t a = NextUInt32() >> 5;
        uint32_t b = NextUInt32() >> 6;
        return (static_cast<double>(a) * 67108864.0 + static_cast<double>(b)) * 0x1.0p-53;
    }

    // The state as 625 words: the position (0..624) and the 624 words of the array. SetState answers false (nothing
    // changed) for a position above 624 or an array whose significant bits are all zero, from which the generator
    // would give only zeros.
    void GetState(std::span<uint32_t, kN + 1> words) const;
    bool SetState(std::span<const uint32_t, kN + 1> words);

private:
    void Twist();
    uint32_t state_[kN];
    int32_t index_ = kN;
};

class RandomGenerator {
public:
    static constexpr int32_t kStandardC = 0;
    static constexpr int32_t kAcm599 = 1;
    static constexpr int32_t kMersenneTwister = 2;
    // The largest integer-valued draw.
    static constexpr double kIntegerCap = 2147483647.0;

    // Type kAcm599, seed 0.
    RandomGenerator() { Initialize(kAcm599, 0); }

    // Starts the sequence of `type` for the magnitude of `seed`. False (nothing changed) for a type other than 0, 1
    // and 2.
    bool Initialize(int32_t type, int32_t seed);
    int32_t Type() const { return type_; }
    // The seed the generator was initialised with, by magnitude (see above for -2147483648).
    int32_t Seed() const { return seed_; }
    static bool IsType(int32_t type) { return type >= kStandardC && type <= kMersenneTwister; }

    // One uniform double of the kind (see above for its interval).
    double NextDouble() {
        switch (type_) {
        case kStandardC:
            return standardC_.NextDouble();
        case kMersenneTwister:
            return twister_.NextDouble();
        default:
            return mrg_.NextDouble();
        }
    }

    // Draws. Domains (NaN outside them; parameters must be finite):
    //   Uniform(a, b)            any a and b: a + (b - a) u, between a and b;
    //   Integer(a, b)            the whole numbers between a and b, both included, in either order;
    //   Normal(mean, sd)         sd >= 0;
    //   Exponential(mean)        mean >= 0;
    //   Poisson(mean)            mean >= 0;
    //   Gamma(alpha, beta)       alpha > 0, beta >= 0; beta is the scale (mean alpha beta);
    //   Binomial(n, p)           n >= 0, 0 <= p <= 1;
    //   Geometric(p)             0 < p <= 1; failures before the first success (0, 1, 2, ...);
    //   NegativeBinomial(r, p)   r > 0, 0 < p <= 1; failures before the r-th success (r need not be whole).
    double Uniform(double a, double b);
    int32_t Integer(int32_t a, int32_t b);
    double Normal(double mean, double sd);
    double Exponential(double mean);
    double Poisson(double mean);
    double Gamma(double alpha, double beta);
    double Binomial(int32_t n, double p);
    double Geometric(double p);
    double NegativeBinomial(double r, double p);

    // The place in the sequence: the active engine's state and the normal draw kept for the next call, as words
    // (docs/random.md lists them). SetState takes the words of the generator's current type and answers false
    // (nothing changed) for words that are not such a state.
    std::vector<uint32_t> GetState() const;
    bool SetState(std::span<const uint32_t> words);
    // The number of state words of `type` (0 for an unknown type).
    static size_t StateSize(int32_t type);

    // Copies type, seed and the place in the sequence.
    RandomGenerator(const RandomGenerator&) = default;
    RandomGenerator& operator=(const RandomGenerator&) = default;

private:
    double StandardNormal();
    double StandardGamma(double alpha);
    double PoissonDraw(double mean);
    double PoissonMultiplication(double mean);
    double PoissonPtrs(double mean);
    double BinomialInversion(int32_t n, double p);
    double BinomialBtrs(int32_t n, double p);

    int32_t type_ = kAcm599;
    int32_t seed_ = 0;
    StandardCEngine standardC_;
    Mrg32k3aEngine mrg_;
    MersenneTwisterEngine twister_;
    // Polar draws come in pairs; the second waits here for the next normal draw.
    bool hasSpare_ = false;
    double spare_ = 0.0;
};

} // namespace tavi
