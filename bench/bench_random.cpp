// Normal draws: 10 million at a time from the foundation's RandomGenerator (polar method) on its Mersenne Twister and
// on its default generator (MRG32k3a), and through GPRandomNumberGenerator::GetValue, beside the standard library's
// std::normal_distribution on std::mt19937 in the same run; std::normal_distribution on the library's own twister
// engine as well, which separates the engine's share from the distribution's. Ratios are ours / std::mt19937 with
// std::normal_distribution, the median of per-round ratios.
#include "host/RandomGenerator.h"
#include "platform/ComPtr.h"
#include "support/Rounds.h"
#include "values/GPRandomNumberGenerator.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

constexpr int kDraws = 10'000'000;

enum Side : size_t { kStd, kOursTwister, kOursDefault, kOursCall, kStdOnOurEngine };

void normalDraws(benchmark::State& state) {
    std::mt19937 stdEngine(12345);
    std::normal_distribution<double> stdNormal(0.0, 1.0);
    tavi::MersenneTwisterEngine ourEngine;
    ourEngine.Seed(12345);
    std::normal_distribution<double> stdNormalOnOurs(0.0, 1.0);
    tavi::RandomGenerator twister;
    twister.Initialize(tavi::RandomGenerator::kMersenneTwister, 12345);
    tavi::RandomGenerator byDefault;
    byDefault.Initialize(tavi::RandomGenerator::kAcm599, 12345);
    auto value = tavi::MakeObject<tavi::GPRandomNumberGenerator>();
    value->Initialize(12345, tavi::RandomGenerator::kMersenneTwister);

    tavibench::Rounds rounds;
    for (auto _ : state) {
        rounds.Time(kStd, [&] {
            double sum = 0;
            for (int i = 0; i < kDraws; ++i)
                sum += stdNormal(stdEngine);
            benchmark::DoNotOptimize(sum);
        });
        rounds.Time(kOursTwister, [&] {
            double sum = 0;
            for (int i = 0; i < kDraws; ++i)
                sum += twister.Normal(0.0, 1.0);
            benchmark::DoNotOptimize(sum);
        });
        rounds.Time(kOursDefault, [&] {
            double sum = 0;
            for (int i = 0; i < kDraws; ++i)
                sum += byDefault.Normal(0.0, 1.0);
            benchmark::DoNotOptimize(sum);
        });
        rounds.Time(kOursCall, [&] {
            double sum = 0;
            for (int i = 0; i < kDraws; ++i) {
                double x = 0;
                value->GetValue(u"NORMAL", &x);
                sum += x;
            }
            benchmark::DoNotOptimize(sum);
        });
        rounds.Time(kStdOnOurEngine, [&] {
            double sum = 0;
            for (int i = 0; i < kDraws; ++i)
                sum += stdNormalOnOurs(ourEngine);
            benchmark::DoNotOptimize(sum);
        });
    }
    double items = double(state.iterations()) * kDraws;
    state.counters["std_ns_per_draw"] = rounds.Total(kStd) * 1e9 / items;
    state.counters["ours_twister_ns_per_draw"] = rounds.Total(kOursTwister) * 1e9 / items;
    state.counters["ratio_twister_to_std"] = rounds.MedianRatio(kOursTwister, kStd);
    state.counters["ratio_default_to_std"] = rounds.MedianRatio(kOursDefault, kStd);
    state.counters["ratio_call_to_std"] = rounds.MedianRatio(kOursCall, kStd);
    state.counters["ratio_std_on_our_engine_to_std"] = rounds.MedianRatio(kStdOnOurEngine, kStd);
}

} // namespace

BENCHMARK(normalDraws)->Iterations(5)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
