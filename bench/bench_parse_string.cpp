// The tokenizer's hot path: NextToken over a long list (10,000 items, every tenth quoted with the separator
// inside), beside a plain split of the same text with std::u16string_view::find. The engine is timed directly and
// through the GPParseString object (one BSTR per token). Each benchmark reports ours / reference as "ratio".
#include "catalogue/GPParseString.h"
#include "host/TextTokenizer.h"
#include "support/Rounds.h"

#include <benchmark/benchmark.h>

#include <string>
#include <string_view>

namespace {

constexpr size_t kItems = 10000;

std::u16string sampleList() {
    std::u16string text;
    for (size_t i = 0; i < kItems; ++i) {
        if (i)
            text += u";";
        std::u16string number;
        for (size_t n = i + 1; n; n /= 10)
            number.insert(number.begin(), char16_t(u'0' + n % 10));
        if (i % 10 == 0)
            text += u"'item " + number + u";x'";
        else
            text += u"item" + number;
    }
    return text;
}

// The reference: split at every separator, quotes or not.
size_t plainSplit(std::u16string_view text) {
    size_t count = 0;
    size_t from = 0;
    while (from <= text.size()) {
        size_t at = text.find(u';', from);
        if (at == text.npos)
            at = text.size();
        benchmark::DoNotOptimize(text.substr(from, at - from).data());
        ++count;
        from = at + 1;
    }
    return count;
}

void reportRatio(benchmark::State& state, const tavibench::Rounds& rounds) {
    const double items = double(state.iterations()) * kItems;
    state.counters["ours_ns_per_item"] = rounds.Total(tavibench::kOurs) * 1e9 / items;
    state.counters["reference_ns_per_item"] = rounds.Total(tavibench::kReference) * 1e9 / items;
    state.counters["ratio"] = rounds.MedianRatio(tavibench::kOurs, tavibench::kReference);
    state.SetItemsProcessed(int64_t(items));
}

void NextTokenEngine(benchmark::State& state) {
    const std::u16string text = sampleList();
    tavi::TextTokenizer tokenizer;
    tavibench::Rounds rounds;
    for (auto _ : state) {
        rounds.Time(tavibench::kOurs, [&] {
            tokenizer.Init(text, u";");
            size_t count = 0;
            while (!tokenizer.NextToken().empty())
                ++count;
            benchmark::DoNotOptimize(count);
        });
        rounds.Time(tavibench::kReference, [&] { benchmark::DoNotOptimize(plainSplit(text)); });
    }
    reportRatio(state, rounds);
}
BENCHMARK(NextTokenEngine);

void NextTokenObject(benchmark::State& state) {
    const std::u16string text = sampleList();
    auto parser = tavi::MakeObject<tavi::GPParseString>();
    tavibench::Rounds rounds;
    for (auto _ : state) {
        rounds.Time(tavibench::kOurs, [&] {
            parser->Init(text.c_str(), u";");
            size_t count = 0;
            for (;;) {
                BSTR token = nullptr;
                parser->NextToken(&token);
                bool empty = SysStringLen(token) == 0;
                SysFreeString(token);
                if (empty)
                    break;
                ++count;
            }
            benchmark::DoNotOptimize(count);
        });
        rounds.Time(tavibench::kReference, [&] { benchmark::DoNotOptimize(plainSplit(text)); });
    }
    reportRatio(state, rounds);
}
BENCHMARK(NextTokenObject);

} // namespace

BENCHMARK_MAIN();
