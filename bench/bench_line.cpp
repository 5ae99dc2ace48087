// GPLine's SetAsText on long lines beside the least any reader must do: parsing the same numbers with
// std::from_chars from a narrow copy of the text, in the same run. Lines of 10,000, 100,000 and 1,000,000 points
// show whether the time per point stays flat (linear reading); the ratio counter is line time / from_chars time.
// The line's time includes making every point a point object in the list, which is its data model.
#include "platform/BStr.h"
#include "platform/ComPtr.h"
#include "platform/Locale.h"
#include "support/Rounds.h"
#include "tavi/GPMessage.h"
#include "values/GPLine.h"

#include <benchmark/benchmark.h>

#include <charconv>
#include <random>
#include <string>

namespace {

constexpr LCID kEnglishUS = 1033;

// "x y;x y;..." with coordinates like the ones tools get: up to six whole digits and three decimals, either sign.
std::string makeLine(int64_t points) {
    std::mt19937_64 random(7);
    std::uniform_int_distribution<int> whole(-999999, 999999), fraction(0, 999);
    std::string text;
    for (int64_t i = 0; i < points; ++i) {
        if (i)
            text += ';';
        text += std::to_string(whole(random)) + "." + std::to_string(fraction(random)) + " ";
        text += std::to_string(whole(random)) + "." + std::to_string(fraction(random));
    }
    return text;
}

// The reference: every number of the text through std::from_chars, summed so that none is optimised away.
double parseWithFromChars(const std::string& text) {
    double sum = 0;
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        double value = 0;
        auto [next, ec] = std::from_chars(p, end, value);
        sum += value;
        p = next + 1; // the blank or the semicolon after the number
    }
    return sum;
}

void LineTextBesideFromChars(benchmark::State& state) {
    tavi::locale::SetUserDefaultLocaleForTesting(kEnglishUS);
    const int64_t points = state.range(0);
    const std::string narrow = makeLine(points);
    const std::u16string text(narrow.begin(), narrow.end());
    auto line = tavi::MakeObject<tavi::GPLine>();
    tavibench::Rounds rounds;
    for (auto _ : state) {
        rounds.Time(tavibench::kOurs, [&] {
            tavi::ComPtr<IGPMessage> message;
            line->SetAsText(text.c_str(), message.Out());
            benchmark::DoNotOptimize(message.Get());
        });
        rounds.Time(tavibench::kReference, [&] { benchmark::DoNotOptimize(parseWithFromChars(narrow)); });
    }
    int32_t count = 0;
    line->get_PointCount(&count);
    if (count != points)
        state.SkipWithError("the line did not read every point");
    double items = double(state.iterations() * points);
    state.counters["line_ns_per_point"] = rounds.Total(tavibench::kOurs) * 1e9 / items;
    state.counters["from_chars_ns_per_point"] = rounds.Total(tavibench::kReference) * 1e9 / items;
    state.counters["ratio_line_to_from_chars"] = rounds.MedianRatio(tavibench::kOurs, tavibench::kReference);
    state.SetItemsProcessed(int64_t(items));
}
BENCHMARK(LineTextBesideFromChars)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
