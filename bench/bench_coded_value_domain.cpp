// Membership in a coded value domain of 10,000 string codes, for a value near the end of the list, beside a hash
// look-up of the same text in a std::unordered_map. The search is linear by contract (the first equal code in index
// order wins, with each code's own equality); the point is that it stays a plain walk without an allocation per
// code. Reports ours / reference as "ratio".
#include "domains/GPCodedValueDomain.h"
#include "host/Message.h"
#include "values/GPString.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <unordered_map>

namespace {

constexpr int kCodes = 10000;
constexpr int kReferenceBatch = 1000;

using Clock = std::chrono::steady_clock;

template <class F> double secondsOf(F&& run) {
    auto start = Clock::now();
    run();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

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

    double ours = 0, theirs = 0;
    for (auto _ : state) {
        ours += secondsOf([&] {
            tavi::ComPtr<IGPMessage> message;
            HRESULT hr = domain->MemberOf(static_cast<IGPValue*>(probe.Get()), message.Out());
            benchmark::DoNotOptimize(hr);
        });
        // One look-up is too short to time alone: a batch is timed and counted as one.
        theirs += secondsOf([&] {
                      for (int i = 0; i < kReferenceBatch; ++i) {
                          auto found = reference.find(lookupKey);
                          benchmark::DoNotOptimize(found);
                      }
                  }) /
                  kReferenceBatch;
    }
    tavi::ComPtr<IGPMessage> message;
    if (domain->MemberOf(static_cast<IGPValue*>(probe.Get()), message.Out()) != S_OK)
        state.SkipWithError("the probe should be a member");
    state.counters["ours_ns"] = ours * 1e9 / double(state.iterations());
    state.counters["reference_ns"] = theirs * 1e9 / double(state.iterations());
    state.counters["ratio"] = theirs > 0 ? ours / theirs : 0;
    state.counters["ns_per_code"] = ours * 1e9 / double(state.iterations()) / (kCodes - 9);
}
BENCHMARK(MemberOfNearTheEnd);

} // namespace

BENCHMARK_MAIN();
