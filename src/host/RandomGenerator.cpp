// The foundation's random number generator: seeding and state of the engines, and the distribution draws.
// docs/random.md gives the algorithms with their sources. This file is compiled without floating-point contraction
// (CMakeLists.txt), so that no compiler fuses a multiplication and an addition into one differently rounded step.
#include "host/RandomGenerator.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace tavi {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The means from which a Poisson draw, even before the cap, lies above kIntegerCap in all but a vanishing share of
// draws (2^32 is 2^31 + 46000 standard deviations): the draw is the cap. It also keeps the transformed rejection's
// sums of large logarithms exact enough to accept.
constexpr double kPoissonCapMean = 4294967296.0;

// log(k!) for k = 0..9.
constexpr double kLogFactorial[10] = {0.0,
                                      0.0,
                                      0.69314718055994530942,
                                      1.7917594692280550008,
                                      3.1780538303479456196,
                                      4.7874917427820459942,
                                      6.5792512120101009950,
                                      8.5251613610654143002,
                                      10.604602902745250228,
                                      12.801827480081469611};

// log(k!) for a whole k >= 0: the table below 10, else Stirling's series of log Gamma(k + 1) to its third term
// (error below 1e-11 from 10 on).
double LogFactorial(double k) {
    if (k < 10)
        return kLogFactorial[static_cast<int>(k)];
    double z = k + 1.0;
    double z2 = z * z;
    return (k + 0.5) * std::log(z) - z + 0.91893853320467274178 +
           (1.0 / 12.0 - (1.0 / 360.0 - 1.0 / (1260.0 * z2)) / z2) / z;
}

double CapInteger(double value) {
    return value > RandomGenerator::kIntegerCap ? RandomGenerator::kIntegerCap : value;
}

uint64_t SplitMix64(uint64_t& z) {
    z += 0x9E3779B97F4A7C15ull;
    uint64_t r = z;
    r = (r ^ (r >> 30)) * 0xBF58476D1CE4E5B9ull;
    r = (r ^ (r >> 27)) * 0x94D049BB133111EBull;
    return r ^ (r >> 31);
}

constexpr size_t kSpareWords = 3; // flag, low and high word of the double

} // namespace

// ---- engines ----

void Mrg32k3aEngine::Seed(uint32_t seed) {
    uint64_t z = seed;
    for (auto& component : s1_)
        component = static_cast<int64_t>(1 + SplitMix64(z) % static_cast<uint64_t>(kM1 - 1));
    for (auto& component : s2_)
        component = static_cast<int64_t>(1 + SplitMix64(z) % static_cast<uint64_t>(kM2 - 1));
}

bool Mrg32k3aEngine::SetState(std::span<const uint32_t, 6> c) {
    for (int i = 0; i < 3; ++i)
        if (c[i] >= kM1 || c[i + 3] >= kM2)
            return false;
    if ((c[0] | c[1] | c[2]) == 0 || (c[3] | c[4] | c[5]) == 0)
        return false;
    for (int i = 0; i < 3; ++i) {
        s1_[i] = c[i];
        s2_[i] = c[i + 3];
    }
    return true;
}

void Mrg32k3aEngine::GetState(std::span<uint32_t, 6> c) const {
    for (int i = 0; i < 3; ++i) {
        c[i] = static_cast<uint32_t>(s1_[i]);
        c[i + 3] = static_cast<uint32_t>(s2_[i]);
    }
}

void MersenneTwisterEngine::Seed(uint32_t seed) {
    state_[0] = seed;
    for (int i = 1; i < kN; ++i)
        state_[i] = 1812433253u * (state_[i - 1] ^ (state_[i - 1] >> 30)) + static_cast<uint32_t>(i);
    index_ = kN;
}

void MersenneTwisterEngine::Twist() {
    constexpr int kM = 397;
    constexpr uint32_t kUpper = 0x80000000u;
    constexpr uint32_t kLower = 0x7FFFFFFFu;
    constexpr uint32_t kMatrix = 0x9908B0DFu;
    auto mix = [](uint32_t upper, uint32_t lower, uint32_t far) {
        uint32_t y = (upper & kUpper) | (lower & kLower);
        return far ^ (y >> 1) ^ ((y & 1u) ? kMatrix : 0u);
    };
    int i = 0;
    for (; i < kN - kM; ++i)
        state_[i] = mix(state_[i], state_[i + 1], state_[i + kM]);
    for (; i < kN - 1; ++i)
        state_[i] = mix(state_[i], state_[i + 1], state_[i + kM - kN]);
    state_[kN - 1] = mix(state_[kN - 1], state_[0], state_[kM - 1]);
    index_ = 0;
}

void MersenneTwisterEngine::GetState(std::span<uint32_t, kN + 1> words) const {
    words[0] = static_cast<uint32_t>(index_);
    std::copy(std::begin(state_), std::end(state_), words.begin() + 1);
}

bool MersenneTwisterEngine::SetState(std::span<const uint32_t, kN + 1> words) {
    if (words[0] > static_cast<uint32_t>(kN))
        return false;
    bool significant = (words[1] & 0x80000000u) != 0;
    for (int i = 2; i <= kN && !significant; ++i)
        significant = words[i] != 0;
    if (!significant)
        return false;
    index_ = static_cast<int32_t>(words[0]);
    std::copy(words.begin() + 1, words.end(), std::begin(state_));
    return true;
}

// ---- seeding and state ----

bool RandomGenerator::Initialize(int32_t type, int32_t seed) {
    if (!IsType(type))
        return false;
    // The magnitude in unsigned arithmetic: -2147483648 gives 2147483648 without overflow.
    uint32_t magnitude = seed < 0 ? 0u - static_cast<uint32_t>(seed) : static_cast<uint32_t>(seed);
    switch (type) {
    case kStandardC:
        standardC_.Seed(magnitude);
        break;
    case kMersenneTwister:
        twister_.Seed(magnitude);
        break;
    default:
        mrg_.Seed(magnitude);
        break;
    }
    type_ = type;
    // 2147483648 keeps the bit pattern of -2147483648, the only seed whose magnitude it is.
    seed_ = static_cast<int32_t>(magnitude);
    hasSpare_ = false;
    spare_ = 0.0;
    return true;
}

size_t RandomGenerator::StateSize(int32_t type) {
    switch (type) {
    case kStandardC:
        return 1 + kSpareWords;
    case kAcm599:
        return 6 + kSpareWords;
    case kMersenneTwister:
        return MersenneTwisterEngine::kN + 1 + kSpareWords;
    default:
        return 0;
    }
}

std::vector<uint32_t> RandomGenerator::GetState() const {
    std::vector<uint32_t> words(StateSize(type_));
    size_t engineWords = words.size() - kSpareWords;
    switch (type_) {
    case kStandardC:
        words[0] = standardC_.State();
        break;
    case kMersenneTwister:
        twister_.GetState(std::span<uint32_t, MersenneTwisterEngine::kN + 1>(words.data(), engineWords));
        break;
    default:
        mrg_.GetState(std::span<uint32_t, 6>(words.data(), engineWords));
        break;
    }
    uint64_t spareBits = 0;
    static_assert(sizeof spareBits == sizeof spare_);
    std::memcpy(&spareBits, &spare_, sizeof spareBits);
    words[engineWords] = hasSpare_ ? 1u : 0u;
    words[engineWords + 1] = static_cast<uint32_t>(spareBits);
    words[engineWords + 2] = static_cast<uint32_t>(spareBits >> 32);
    return words;
}

bool RandomGenerator::SetState(std::span<const uint32_t> words) {
    if (words.size() != StateSize(type_))
        return false;
    size_t engineWords = words.size() - kSpareWords;
    uint32_t flag = words[engineWords];
    uint64_t spareBits = words[engineWords + 1] | (static_cast<uint64_t>(words[engineWords + 2]) << 32);
    double spare = 0.0;
    std::memcpy(&spare, &spareBits, sizeof spare);
    if (flag > 1 || !std::isfinite(spare))
        return false;
    switch (type_) {
    case kStandardC:
        standardC_.SetState(words[0]);
        break;
    case kMersenneTwister:
        if (!twister_.SetState(std::span<const uint32_t, MersenneTwisterEngine::kN + 1>(words.data(), engineWords)))
            return false;
        break;
    default:
        if (!mrg_.SetState(std::span<const uint32_t, 6>(words.data(), engineWords)))
            return false;
        break;
    }
    hasSpare_ = flag != 0;
    spare_ = hasSpare_ ? spare : 0.0;
    return true;
}

// ---- draws ----

double RandomGenerator::Uniform(double a, double b) {
    if (!std::isfinite(a) || !std::isfinite(b))
        return kNaN;
    double u = NextDouble();
    double width = b - a;
    // When the ends lie so far apart that their difference overflows, the weighted sum of the ends.
    double x = std::isfinite(width) ? a + width * u : a * (1.0 - u) + b * u;
    // Rounding of the width may carry the sum a little past an end.
    return std::clamp(x, std::min(a, b), std::max(a, b));
}

int32_t RandomGenerator::Integer(int32_t a, int32_t b) {
    int64_t low = std::min(a, b);
    int64_t high = std::max(a, b);
    // width <= 2^32 and u < 1, so floor(u * width) < width exactly (u * width rounds below width).
    double width = static_cast<double>(high - low + 1);
    int64_t offset = static_cast<int64_t>(NextDouble() * width);
    return static_cast<int32_t>(low + offset);
}

// Marsaglia's polar method: a point (u, v) uniform in the unit disc (0 excluded), s = u^2 + v^2, f = sqrt(-2 ln s / s);
// u f is returned and v f kept for the next call.
double RandomGenerator::StandardNormal() {
    if (hasSpare_) {
        hasSpare_ = false;
        return spare_;
    }
    double u = 0;
    double v = 0;
    double s = 0;
    do {
        u = 2.0 * NextDouble() - 1.0;
        v = 2.0 * NextDouble() - 1.0;
        s = u * u + v * v;
    } while (s >= 1.0 || s == 0.0);
    double f = std::sqrt(-2.0 * std::log(s) / s);
    spare_ = v * f;
    hasSpare_ = true;
    return u * f;
}

double RandomGenerator::Normal(double mean, double sd) {
    if (!std::isfinite(mean) || !std::isfinite(sd) || sd < 0)
        return kNaN;
    return mean + sd * StandardNormal();
}

// Inversion: -ln(1 - u), u in [0, 1), so the logarithm's argument lies in (0, 1].
double RandomGenerator::Exponential(double mean) {
    if (!std::isfinite(mean) || mean < 0)
        return kNaN;
    return mean * (0.0 - std::log(1.0 - NextDouble()));
}

// Marsaglia and Tsang (2000): for alpha >= 1, d = alpha - 1/3, c = 1 / (3 sqrt(d)); x normal, v = (1 + c x)^3 > 0,
// u uniform in (0, 1]; d v is accepted when u < 1 - 0.0331 x^4 or ln u < x^2 / 2 + d (1 - v + ln v). For alpha < 1:
// a draw of alpha + 1 times u^(1/alpha), with u^(1/alpha) as exp(ln(u) / alpha).
double RandomGenerator::StandardGamma(double alpha) {
    if (alpha < 1.0) {
        double g = StandardGamma(alpha + 1.0);
        double u = 1.0 - NextDouble();
        return g * std::exp(std::log(u) / alpha);
    }
    double d = alpha - 1.0 / 3.0;
    double c = 1.0 / (3.0 * std::sqrt(d));
    for (;;) {
        double x = 0;
        double v = 0;
        do {
            x = StandardNormal();
            v = 1.0 + c * x;
        } while (v <= 0.0);
        v = v * v * v;
        double u = 1.0 - NextDouble();
        double x2 = x * x;
        if (u < 1.0 - 0.0331 * x2 * x2)
            return d * v;
        if (std::log(u) < 0.5 * x2 + d * (1.0 - v + std::log(v)))
            return d * v;
    }
}

double RandomGenerator::Gamma(double alpha, double beta) {
    if (!std::isfinite(alpha) || !std::isfinite(beta) || alpha <= 0 || beta < 0)
        return kNaN;
    return StandardGamma(alpha) * beta;
}

// Below a mean of 10, multiplication of uniforms: the count of factors whose running product stays above e^-mean.
double RandomGenerator::PoissonMultiplication(double mean) {
    double limit = std::exp(-mean);
    double count = 0;
    double product = NextDouble();
    while (product > limit) {
        count += 1;
        product *= NextDouble();
    }
    return count;
}

// From a mean of 10 on, Hörmann's transformed rejection with squeeze, PTRS (Insurance: Mathematics and Economics 12,
// 1993).
double RandomGenerator::PoissonPtrs(double mean) {
    double slam = std::sqrt(mean);
    double loglam = std::log(mean);
    double b = 0.931 + 2.53 * slam;
    double a = -0.059 + 0.02483 * b;
    double invAlpha = 1.1239 + 1.1328 / (b - 3.4);
    double vr = 0.9277 - 3.6224 / (b - 2.0);
    for (;;) {
        double u = NextDouble() - 0.5;
        double v = NextDouble();
        double us = 0.5 - std::fabs(u);
        double k = std::floor((2.0 * a / us + b) * u + mean + 0.43);
        if (us >= 0.07 && v <= vr)
            return k;
        if (k < 0 || (us < 0.013 && v > us))
            continue;
        if (std::log(v) + std::log(invAlpha) - std::log(a / (us * us) + b) <= -mean + k * loglam - LogFactorial(k))
            return k;
    }
}

double RandomGenerator::PoissonDraw(double mean) {
    if (mean >= kPoissonCapMean)
        return kIntegerCap;
    if (mean == 0)
        return 0;
    return CapInteger(mean < 10 ? PoissonMultiplication(mean) : PoissonPtrs(mean));
}

double RandomGenerator::Poisson(double mean) {
    if (!std::isfinite(mean) || mean < 0)
        return kNaN;
    return PoissonDraw(mean);
}

// Below n p = 10 (p <= 1/2), inversion by sequential search from 0, starting over past mean + 10 sd so that rounding
// cannot run it on (as Kachitvichyanukul and Schmeiser's BINV).
double RandomGenerator::BinomialInversion(int32_t n, double p) {
    double q = 1.0 - p;
    double qn = std::exp(n * std::log1p(-p));
    double np = n * p;
    double bound = std::min(static_cast<double>(n), np + 10.0 * std::sqrt(np * q + 1.0));
    double x = 0;
    double px = qn;
    double u = NextDouble();
    while (u > px) {
        x += 1;
        if (x > bound) {
            x = 0;
            px = qn;
            u = NextDouble();
        } else {
            u -= px;
            px = ((n - x + 1) * p * px) / (x * q);
        }
    }
    return x;
}

// From n p = 10 on (p <= 1/2), Hörmann's transformed rejection with squeeze, BTRS (Journal of Statistical
// Computation and Simulation 46, 1993), accepting against log f(k) / f(m) from log factorials.
double RandomGenerator::BinomialBtrs(int32_t n, double p) {
    double q = 1.0 - p;
    double spq = std::sqrt(n * p * q);
    double b = 1.15 + 2.53 * spq;
    double a = -0.0873 + 0.0248 * b + 0.01 * p;
    double c = n * p + 0.5;
    double vr = 0.92 - 4.2 / b;
    double alpha = (2.83 + 5.1 / b) * spq;
    double lpq = std::log(p / q);
    double m = std::floor((n + 1.0) * p);
    double h = LogFactorial(m) + LogFactorial(n - m);
    for (;;) {
        double u = NextDouble() - 0.5;
        double v = NextDouble();
        double us = 0.5 - std::fabs(u);
        double k = std::floor((2.0 * a / us + b) * u + c);
        if (k < 0 || k > n)
            continue;
        if (us >= 0.07 && v <= vr)
            return k;
        v = std::log(v * alpha / (a / (us * us) + b));
        if (v <= h - LogFactorial(k) - LogFactorial(n - k) + (k - m) * lpq)
            return k;
    }
}

double RandomGenerator::Binomial(int32_t n, double p) {
    if (n < 0 || !(p >= 0.0 && p <= 1.0))
        return kNaN;
    if (n == 0 || p == 0.0)
        return 0;
    if (p == 1.0)
        return n;
    if (p > 0.5) // draw the failures with the smaller probability
        return n - Binomial(n, 1.0 - p);
    return n * p < 10.0 ? BinomialInversion(n, p) : BinomialBtrs(n, p);
}

// Inversion: floor(ln(1 - u) / ln(1 - p)).
double RandomGenerator::Geometric(double p) {
    if (!(p > 0.0 && p <= 1.0))
        return kNaN;
    if (p == 1.0)
        return 0;
    double x = std::floor(std::log(1.0 - NextDouble()) / std::log1p(-p));
    return CapInteger(x + 0.0); // + 0.0 turns the -0 of a zero logarithm into 0
}

// The gamma-Poisson mixture: a Poisson draw whose mean is a gamma draw of shape r and scale (1 - p) / p.
double RandomGenerator::NegativeBinomial(double r, double p) {
    if (!std::isfinite(r) || r <= 0 || !(p > 0.0 && p <= 1.0))
        return kNaN;
    if (p == 1.0)
        return 0;
    double mean = StandardGamma(r) * ((1.0 - p) / p);
    if (!(mean < kPoissonCapMean)) // also an infinite scale of a p too small for its ratio
        return kIntegerCap;
    return PoissonDraw(mean);
}

} // namespace tavi
