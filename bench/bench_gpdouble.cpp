// GPDouble's text form: GetAsText beside std::to_chars and SetAsText beside std::from_chars on the same numbers, in a
// dot locale and a comma locale, on random bit patterns (16-17 digits) and on short decimals typed by people. Each
// benchmark times ours and the reference in the same run and reports ours / reference as ratio counters: once for
// the interface call (which also allocates the text or makes the message object) and once for the text work alone.
#include "host/DoubleText.h"
#include "platform/BStr.h"
#include "platform/ComPtr.h"
#include "platform/Locale.h"
#include "support/Rounds.h"
#include "values/GPDouble.h"

#include <benchmark/benchmark.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr size_t kCount = 1024;

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

std::vector<double> shortDecimals() {
    std::mt19937_64 random(42);
    std::uniform_int_distribution<int> mantissa(1, 999999), exponent(-6, 6);
    std::vector<double> values;
    while (values.size() < kCount) {
        std::string text = std::to_string(mantissa(random)) + "e" + std::to_string(exponent(random));
        double value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value);
        values.push_back(value);
    }
    return values;
}

// The sides each benchmark times: the interface call, the text work alone, and the standard library's.
enum Side : size_t { kCall, kCore, kStd };

void report(benchmark::State& state, size_t count, const tavibench::Rounds& rounds) {
    double items = double(state.iterations() * count);
    state.counters["call_ns_per_item"] = rounds.Total(kCall) * 1e9 / items;
    state.counters["core_ns_per_item"] = rounds.Total(kCore) * 1e9 / items;
    state.counters["std_ns_per_item"] = rounds.Total(kStd) * 1e9 / items;
    state.counters["ratio_call_to_std"] = rounds.MedianRatio(kCall, kStd);
    state.counters["ratio_core_to_std"] = rounds.MedianRatio(kCore, kStd);
    state.SetItemsProcessed(int64_t(items));
}

tavi::ComPtr<tavi::GPDouble> newValue() {
    return tavi::MakeObject<tavi::GPDouble>();
}

void getAsText(benchmark::State& state, LCID lcid, const std::vector<double>& values) {
    tavi::locale::SetUserDefaultLocaleForTesting(lcid);
    auto value = newValue();
    tavibench::Rounds rounds;
    for (auto _ : state) {
        rounds.Time(kCall, [&] {
            for (double number : values) {
                value->put_Value(number);
                tavi::BStr text;
                value->GetAsText(text.Out());
                benchmark::DoNotOptimize(text.c_str());
            }
        });
        rounds.Time(kCore, [&] {
            for (double number : values) {
                char16_t buffer[tavi::doubletext::kMaxText];
                benchmark::DoNotOptimize(tavi::doubletext::Format(number, buffer));
                benchmark::DoNotOptimize(buffer);
            }
        });
        rounds.Time(kStd, [&] {
            for (double number : values) {
                char buffer[64];
                benchmark::DoNotOptimize(std::to_chars(buffer, buffer + sizeof buffer, number).ptr);
                benchmark::DoNotOptimize(buffer);
            }
        });
    }
    report(state, values.size(), rounds);
}

void setAsText(benchmark::State& state, LCID lcid, const std::vector<double>& values) {
    tavi::locale::SetUserDefaultLocaleForTesting(lcid);
    auto value = newValue();
    // The texts GPDouble itself writes, and the same numbers as std::to_chars writes them for the reference.
    std::vector<std::u16string> texts;
    std::vector<std::string> narrow;
    for (double number : values) {
        char16_t buffer[tavi::doubletext::kMaxText];
        texts.emplace_back(buffer, tavi::doubletext::Format(number, buffer));
        char chars[64];
        narrow.emplace_back(chars, std::to_chars(chars, chars + sizeof chars, number).ptr);
    }
    tavibench::Rounds rounds;
    for (auto _ : state) {
        rounds.Time(kCall, [&] {
            for (const auto& text : texts) {
                tavi::ComPtr<IGPMessage> message;
                value->SetAsText(text.c_str(), message.Out());
                benchmark::DoNotOptimize(message.Get());
            }
        });
        rounds.Time(kCore, [&] {
            for (const auto& text : texts) {
                double number = 0;
                benchmark::DoNotOptimize(tavi::doubletext::Read(text, number));
                benchmark::DoNotOptimize(number);
            }
        });
        rounds.Time(kStd, [&] {
            for (const auto& text : narrow) {
                double number = 0;
                benchmark::DoNotOptimize(std::from_chars(text.data(), text.data() + text.size(), number).ptr);
                benchmark::DoNotOptimize(number);
            }
        });
    }
    report(state, values.size(), rounds);
}

constexpr LCID kEnglishUS = 1033;
constexpr LCID kGerman = 1031;

void GetAsTextBitPatterns(benchmark::State& state) {
    getAsText(state, LCID(state.range(0)), bitPatterns());
}
void GetAsTextShortDecimals(benchmark::State& state) {
    getAsText(state, LCID(state.range(0)), shortDecimals());
}
void SetAsTextBitPatterns(benchmark::State& state) {
    setAsText(state, LCID(state.range(0)), bitPatterns());
}
void SetAsTextShortDecimals(benchmark::State& state) {
    setAsText(state, LCID(state.range(0)), shortDecimals());
}
BENCHMARK(GetAsTextBitPatterns)->Arg(kEnglishUS)->Arg(kGerman);
BENCHMARK(GetAsTextShortDecimals)->Arg(kEnglishUS)->Arg(kGerman);
BENCHMARK(SetAsTextBitPatterns)->Arg(kEnglishUS)->Arg(kGerman);
BENCHMARK(SetAsTextShortDecimals)->Arg(kEnglishUS)->Arg(kGerman);

} // namespace

BENCHMARK_MAIN();
