// Membership in a coded value domain of 10,000 string codes, for a value near the end of the list, beside a hash
// look-up of the same text in a std::unordered_map. The search is linear by contract (the first equal code in index
// order wins, with each code's own equality); the point is that it stays a plain walk without an allocation per
// code. Reports ours / reference as "ratio".
#include "domains/GPCodedValueDomain.h"
#include "host/Message.h"
#include "support/Rounds.h"
#include "values/GPString.h"

#include <benchmark/benchmark.h>

#include <string>
#include <unordered_map>

namespace {

constexpr int kCodes = 10000;
constexpr int kReferenceBatch = 1000;

std::u16string codeText(int i) {
    std::u16string text = u"Code_";
    std::string digits = std::to_string(i);
    text.append(digits.begin(), digits.end());
    return text;
}

void MemberOfNearTheEnd(benchmark::State& state) {
    auto domain = tavi::MakeObject<tavi::GPCodedValueDomain>();
    std::unordered_map<std::u16string, int> reference;
    for (int i = 0; i < kCodes; ++i) {
        auto value = tavi::MakeObject<tavi::GPString>();
        std::u16string text = codeText(i);
        value->put_Value(text.c_str());
        domain->AddCode(static_cast<IGPValue*>(value.Get()), text.c_str());
        reference.emplace(text, i);
    }
    // The code ten from the end, asked for in another case: the comparison ignores case.
    const std::u16string lookupKey = codeText(kCodes - 10);
    auto probe = tavi::MakeObject<tavi::GPString>();
    probe->put_Value(u"CODE_9990");

    tavibench::Rounds rounds;
    for (auto _ : state) {
        rounds.Time(tavibench::kOurs, [&] {
            tavi::ComPtr<IGPMessage> message;
            HRESULT hr = domain->MemberOf(static_cast<IGPValue*>(probe.Get()), message.Out());
            benchmark::DoNotOptimize(hr);
        });
        // One look-up is too short to time alone: a batch is timed and counted as one.
        rounds.Record(
            tavibench::kReference,
            tavibench::SecondsPerOp([&] { benchmark::DoNotOptimize(reference.find(lookupKey)); }, kReferenceBatch));
    }
    tavi::ComPtr<IGPMessage> message;
    if (domain->MemberOf(static_cast<IGPValue*>(probe.Get()), message.Out()) != S_OK)
        state.SkipWithError("the probe should be a member");
    const double ours = rounds.Total(tavibench::kOurs);
    state.counters["ours_ns"] = ours * 1e9 / double(state.iterations());
    state.counters["reference_ns"] = rounds.Total(tavibench::kReference) * 1e9 / double(state.iterations());
    state.counters["ratio"] = rounds.MedianRatio(tavibench::kOurs, tavibench::kReference);
    state.counters["ns_per_code"] = ours * 1e9 / double(state.iterations()) / (kCodes - 9);
}
BENCHMARK(MemberOfNearTheEnd);

} // namespace

BENCHMARK_MAIN();
