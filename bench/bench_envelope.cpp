// GPEnvelope's text form beside GPDouble's: each round reads a text with SetAsText and writes it back with
// GetAsText, the envelope on "xmin ymin xmax ymax" texts and the double on each of the same four numbers alone, in
// the same run. The ratio counter is envelope time / time of the four double round trips: what the tokenizer and
// the envelope add to the numbers' own text work (1 would mean nothing).
#include "platform/BStr.h"
#include "platform/ComPtr.h"
#include "platform/Locale.h"
#include "support/Rounds.h"
#include "tavi/GPMessage.h"
#include "values/GPDouble.h"
#include "values/GPEnvelope.h"

#include <benchmark/benchmark.h>

#include <array>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr size_t kCount = 1024;
constexpr LCID kEnglishUS = 1033;

struct Texts {
    std::vector<std::u16string> rectangles;
    std::vector<std::array<std::u16string, 4>> numbers;
};

std::u16string Widen(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

Texts makeTexts() {
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> coordinate(-1e6, 1e6), size(1, 1e4);
    Texts texts;
    for (size_t i = 0; i < kCount; ++i) {
        double x = coordinate(random), y = coordinate(random);
        std::array<std::u16string, 4> four = {Widen(std::to_string(x)), Widen(std::to_string(y)),
                                              Widen(std::to_string(x + size(random))),
                                              Widen(std::to_string(y + size(random)))};
        texts.rectangles.push_back(four[0] + u" " + four[1] + u" " + four[2] + u" " + four[3]);
        texts.numbers.push_back(four);
    }
    return texts;
}

template <class Value> void roundTrip(Value* value, const std::u16string& text) {
    tavi::ComPtr<IGPMessage> message;
    value->SetAsText(text.c_str(), message.Out());
    tavi::BStr back;
    value->GetAsText(back.Out());
    benchmark::DoNotOptimize(back.c_str());
}

void EnvelopeBesideFourDoubles(benchmark::State& state) {
    tavi::locale::SetUserDefaultLocaleForTesting(kEnglishUS);
    static const Texts texts = makeTexts();
    auto envelope = tavi::MakeObject<tavi::GPEnvelope>();
    auto number = tavi::MakeObject<tavi::GPDouble>();
    tavibench::Rounds rounds;
    for (auto _ : state) {
        rounds.Time(tavibench::kOurs, [&] {
            for (const auto& text : texts.rectangles)
                roundTrip(envelope.Get(), text);
        });
        rounds.Time(tavibench::kReference, [&] {
            for (const auto& four : texts.numbers)
                for (const auto& text : four)
                    roundTrip(number.Get(), text);
        });
    }
    double items = double(state.iterations() * kCount);
    state.counters["envelope_ns_per_text"] = rounds.Total(tavibench::kOurs) * 1e9 / items;
    state.counters["four_doubles_ns"] = rounds.Total(tavibench::kReference) * 1e9 / items;
    state.counters["ratio_envelope_to_four_doubles"] = rounds.MedianRatio(tavibench::kOurs, tavibench::kReference);
    state.SetItemsProcessed(int64_t(items));
}
BENCHMARK(EnvelopeBesideFourDoubles)->Unit(benchmark::kMicrosecond);

} // namespace
BENCHMARK_MAIN();
