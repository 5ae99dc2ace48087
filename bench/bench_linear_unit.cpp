// GPLinearUnit's text form beside GPDouble's: each round reads a text with SetAsText and writes it back with
// GetAsText, the unit value on "<number> <keyword>" texts (keywords in mixed letter case, alternatives among them)
// and the double on the same numbers alone, in the same run. The ratio counter is unit time / double time: what the
// tokenizer, the keyword look-up and the keyword output add to the number's own text work.
#include "platform/BStr.h"
#include "platform/ComPtr.h"
#include "platform/Locale.h"
#include "support/Rounds.h"
#include "tavi/GPMessage.h"
#include "values/GPDouble.h"
#include "values/GPLinearUnit.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

namespace {

constexpr size_t kCount = 1024;
constexpr LCID kEnglishUS = 1033;

struct Texts {
    std::vector<std::u16string> numbers;
    std::vector<std::u16string> units;
};

Texts makeTexts() {
    const char16_t* keywords[] = {u"Meters",       u"feet", u"KILOMETERS",  u"Mile",  u"NauticalMilesInt",
                                  u"StatuteMiles", u"inch", u"Centimeters", u"yards", u"DecimalDegrees"};
    std::mt19937_64 random(42);
    std::uniform_int_distribution<int> whole(0, 99999), fraction(0, 999);
    Texts texts;
    for (size_t i = 0; i < kCount; ++i) {
        std::string number = std::to_string(whole(random)) + "." + std::to_string(fraction(random));
        std::u16string text(number.begin(), number.end());
        texts.numbers.push_back(text);
        texts.units.push_back(text + u" " + keywords[i % std::size(keywords)]);
    }
    return texts;
}

template <class Value> void roundTrip(Value* value, const std::vector<std::u16string>& texts) {
    for (const auto& text : texts) {
        tavi::ComPtr<IGPMessage> message;
        value->SetAsText(text.c_str(), message.Out());
        tavi::BStr back;
        value->GetAsText(back.Out());
        benchmark::DoNotOptimize(back.c_str());
    }
}

void LinearUnitBesideDouble(benchmark::State& state) {
    tavi::locale::SetUserDefaultLocaleForTesting(kEnglishUS);
    static const Texts texts = makeTexts();
    auto unit = tavi::MakeObject<tavi::GPLinearUnit>();
    auto number = tavi::MakeObject<tavi::GPDouble>();
    tavibench::Rounds rounds;
    for (auto _ : state) {
        rounds.Time(tavibench::kOurs, [&] { roundTrip(unit.Get(), texts.units); });
        rounds.Time(tavibench::kReference, [&] { roundTrip(number.Get(), texts.numbers); });
    }
    double items = double(state.iterations() * kCount);
    state.counters["unit_ns_per_text"] = rounds.Total(tavibench::kOurs) * 1e9 / items;
    state.counters["double_ns_per_text"] = rounds.Total(tavibench::kReference) * 1e9 / items;
    state.counters["ratio_unit_to_double"] = rounds.MedianRatio(tavibench::kOurs, tavibench::kReference);
    state.SetItemsProcessed(int64_t(items));
}
BENCHMARK(LinearUnitBesideDouble)->Unit(benchmark::kMicrosecond);

// The keyword look-up alone beside an exact comparison with the output keyword (the least any look-up must do).
void KeywordLookUp(benchmark::State& state) {
    const std::u16string_view keywords[] = {u"Meters", u"feet", u"KILOMETERS", u"StatuteMiles", u"furlongs"};
    tavibench::Rounds rounds;
    for (auto _ : state) {
        rounds.Time(tavibench::kOurs, [&] {
            for (size_t i = 0; i < kCount; ++i)
                benchmark::DoNotOptimize(tavi::GPLinearUnit::LookUp(keywords[i % std::size(keywords)]));
        });
        rounds.Time(tavibench::kReference, [&] {
            for (size_t i = 0; i < kCount; ++i)
                benchmark::DoNotOptimize(keywords[i % std::size(keywords)] == u"StatuteMiles");
        });
    }
    double items = double(state.iterations() * kCount);
    state.counters["lookup_ns"] = rounds.Total(tavibench::kOurs) * 1e9 / items;
    state.counters["ratio_lookup_to_compare"] = rounds.MedianRatio(tavibench::kOurs, tavibench::kReference);
}
BENCHMARK(KeywordLookUp);

} // namespace

BENCHMARK_MAIN();
