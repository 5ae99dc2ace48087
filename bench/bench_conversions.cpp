// Number text conversions beside the standard library's: VariantChangeTypeEx VT_BSTR -> VT_R8 beside
// std::from_chars on the same texts, and VT_R8 -> VT_BSTR beside std::to_chars with 15 significant digits.
// Each benchmark times both in the same run and reports ours / reference as the "ratio" counter.
#include "support/Rounds.h"
#include "tavi/Platform.h"

#include <benchmark/benchmark.h>

#include <charconv>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr LCID kEnUs = 1033;
constexpr size_t kCount = 1024;

std::vector<double> sampleValues() {
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> mantissa(-1000.0, 1000.0);
    std::uniform_int_distribution<int> exponent(-8, 8);
    std::vector<double> values;
    for (size_t i = 0; i < kCount; ++i) {
        double value = mantissa(random);
        for (int e = exponent(random); e > 0; --e)
            value *= 10;
        if (i % 4 == 0)
            value = double(int64_t(value)); // some plain integers
        values.push_back(value);
    }
    return values;
}

// The same texts for both sides: what std::to_chars writes with 15 significant digits.
std::vector<std::string> sampleTexts() {
    std::vector<std::string> texts;
    for (double value : sampleValues()) {
        char buffer[40];
        auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15).ptr;
        texts.emplace_back(buffer, end);
    }
    return texts;
}

void reportRatio(benchmark::State& state, const tavibench::Rounds& rounds) {
    const double items = double(state.iterations() * kCount);
    state.counters["ours_ns_per_item"] = rounds.Total(tavibench::kOurs) * 1e9 / items;
    state.counters["reference_ns_per_item"] = rounds.Total(tavibench::kReference) * 1e9 / items;
    state.counters["ratio"] = rounds.MedianRatio(tavibench::kOurs, tavibench::kReference);
    state.SetItemsProcessed(int64_t(items));
}

void TextToDouble(benchmark::State& state) {
    std::vector<std::string> texts = sampleTexts();
    std::vector<VARIANT> variants(texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        std::u16string wide(texts[i].begin(), texts[i].end());
        VariantInit(&variants[i]);
        variants[i].vt = VT_BSTR;
        variants[i].bstrVal = SysAllocStringLen(wide.data(), uint32_t(wide.size()));
    }
    tavibench::Rounds rounds;
    for (auto _ : state) {
        rounds.Time(tavibench::kOurs, [&] {
            for (const VARIANT& text : variants) {
                VARIANT out;
                VariantInit(&out);
                VariantChangeTypeEx(&out, &text, kEnUs, 0, VT_R8);
                benchmark::DoNotOptimize(out.dblVal);
            }
        });
        rounds.Time(tavibench::kReference, [&] {
            for (const std::string& text : texts) {
                double value = 0;
                std::from_chars(text.data(), text.data() + text.size(), value);
                benchmark::DoNotOptimize(value);
            }
        });
    }
    reportRatio(state, rounds);
    for (VARIANT& v : variants)
        VariantClear(&v);
}
BENCHMARK(TextToDouble);

void DoubleToText(benchmark::State& state) {
    std::vector<double> values = sampleValues();
    tavibench::Rounds rounds;
    for (auto _ : state) {
        rounds.Time(tavibench::kOurs, [&] {
            for (double value : values) {
                VARIANT number, text;
                VariantInit(&number);
                VariantInit(&text);
                number.vt = VT_R8;
                number.dblVal = value;
                VariantChangeTypeEx(&text, &number, kEnUs, 0, VT_BSTR);
                benchmark::DoNotOptimize(text.bstrVal);
                VariantClear(&text);
            }
        });
        rounds.Time(tavibench::kReference, [&] {
            for (double value : values) {
                char buffer[40];
                auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15).ptr;
                benchmark::DoNotOptimize(end);
                benchmark::DoNotOptimize(buffer);
            }
        });
    }
    reportRatio(state, rounds);
}
BENCHMARK(DoubleToText);

} // namespace

BENCHMARK_MAIN();
