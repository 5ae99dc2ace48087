// Creating an object through the entry points (DllGetClassObject, CreateInstance, Release of both) beside new and
// delete of a plain C++ object that holds the same state. The ratio is reported as a counter of the first benchmark.
#include "platform/ComPtr.h"
#include "tavi/Collections.h"
#include "tavi/Entry.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace {

constexpr CLSID kEnumBSTR{0x583CADF9, 0x039F, 0x4E85, {0xA7, 0xC1, 0xE2, 0x34, 0x19, 0x3A, 0x71, 0x51}};

// What the string list holds, as a plain object with a virtual destructor.
struct PlainList {
    virtual ~PlainList() = default;
    std::vector<std::u16string> items;
    int32_t cursor = 0;
};

void CreateThroughEntryPoints() {
    tavi::ComPtr<IClassFactory> factory;
    DllGetClassObject(kEnumBSTR, IClassFactory::iid, factory.OutVoid());
    tavi::ComPtr<IBStringArray> list;
    factory->CreateInstance(nullptr, IBStringArray::iid, list.OutVoid());
    benchmark::DoNotOptimize(list.Get());
}

void CreatePlain() {
    PlainList* list = new PlainList;
    benchmark::DoNotOptimize(list);
    delete list;
}

// Seconds per operation of `body`, measured over a fixed count so that both sides are timed alike.
template <class F> double SecondsPerOp(F body) {
    constexpr int kRounds = 50000;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kRounds; ++i)
        body();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / kRounds;
}

// The ratio of `ours` to `reference`: the median of several rounds, each timing both sides one after the other, so
// that a moment of load on a shared machine moves one round and not the figure.
template <class F, class G> double MedianRatio(F ours, G reference) {
    constexpr int kPairs = 9;
    std::vector<double> ratios;
    for (int i = 0; i < kPairs; ++i)
        ratios.push_back(SecondsPerOp(ours) / SecondsPerOp(reference));
    std::nth_element(ratios.begin(), ratios.begin() + kPairs / 2, ratios.end());
    return ratios[kPairs / 2];
}

void BM_CreateThroughEntryPoints(benchmark::State& state) {
    for (auto _ : state)
        CreateThroughEntryPoints();
    // The ratio to the plain object, measured in the same run.
    state.counters["ratio_to_new_delete"] = MedianRatio(CreateThroughEntryPoints, CreatePlain);
}
BENCHMARK(BM_CreateThroughEntryPoints);

void BM_NewDeletePlainObject(benchmark::State& state) {
    for (auto _ : state)
        CreatePlain();
}
BENCHMARK(BM_NewDeletePlainObject);

} // namespace

BENCHMARK_MAIN();
