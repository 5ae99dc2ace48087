// Shortest round-trip "%g" text of a double: ShortestRoundTripText beside the plain search it reproduces (snprintf
// "%.{p}g" and strtod for p = 1..17) and beside std::to_chars' shortest form, on random bit patterns and on short
// decimals. Each benchmark times all three in the same run and reports ours / reference as ratio counters.
#include "host/NumberFormat.h"
#include "support/Rounds.h"

#include <benchmark/benchmark.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr size_t kCount = 1024;

// Any finite double: mostly 16 or 17 significant digits, where the search runs longest.
std::vector<double> bitPatterns() {
    std::mt19937_64 random(42);
    std::vector<double> values;
    while (values.size() < kCount) {
        double value = std::bit_cast<double>(random());
        if (std::isfinite(value))
            values.push_back(value);
    }
    return values;
}

// Values typed by people: one to six significant digits at modest exponents.
std::vector<double> shortDecimals() {
    std::mt19937_64 random(42);
    std::uniform_int_distribution<int> mantissa(1, 999999), exponent(-10, 10);
    std::vector<double> values;
    while (values.size() < kCount)
        values.push_back(
            std::strtod((std::to_string(mantissa(random)) + "e" + std::to_string(exponent(random))).c_str(), nullptr));
    return values;
}

std::string searchedText(double value) {
    char buffer[64];
    for (int precision = 1; precision <= 17; ++precision) {
        std::snprintf(buffer, sizeof buffer, "%.*g", precision, value);
        if (std::bit_cast<uint64_t>(std::strtod(buffer, nullptr)) == std::bit_cast<uint64_t>(value))
            break;
    }
    return buffer;
}

// The sides each benchmark times: ours, the precision search and std::to_chars's shortest form.
enum Side : size_t { kOurs, kSearch, kToChars };

void run(benchmark::State& state, const std::vector<double>& values) {
    tavibench::Rounds rounds;
    for (auto _ : state) {
        rounds.Time(kOurs, [&] {
            for (double value : values)
                benchmark::DoNotOptimize(tavi::ShortestRoundTripText(value));
        });
        rounds.Time(kSearch, [&] {
            for (double value : values)
                benchmark::DoNotOptimize(searchedText(value));
        });
        rounds.Time(kToChars, [&] {
            for (double value : values) {
                char buffer[64];
                auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
                benchmark::DoNotOptimize(end);
                benchmark::DoNotOptimize(buffer);
            }
        });
    }
    double items = double(state.iterations() * values.size());
    state.counters["ours_ns_per_item"] = rounds.Total(kOurs) * 1e9 / items;
    state.counters["search_ns_per_item"] = rounds.Total(kSearch) * 1e9 / items;
    state.counters["to_chars_ns_per_item"] = rounds.Total(kToChars) * 1e9 / items;
    state.counters["ratio_to_search"] = rounds.MedianRatio(kOurs, kSearch);
    state.counters["ratio_to_to_chars"] = rounds.MedianRatio(kOurs, kToChars);
    state.SetItemsProcessed(int64_t(items));
}

void RoundTripTextBitPatterns(benchmark::State& state) {
    run(state, bitPatterns());
}
BENCHMARK(RoundTripTextBitPatterns);

void RoundTripTextShortDecimals(benchmark::State& state) {
    run(state, shortDecimals());
}
BENCHMARK(RoundTripTextShortDecimals);

} // namespace

BENCHMARK_MAIN();
