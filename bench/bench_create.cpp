// Creating an object through the entry points (DllGetClassObject, CreateInstance, Release of both) beside new and
// delete of a plain C++ object that holds the same state. The ratio is reported as a counter of the first benchmark.
#include "platform/ComPtr.h"
#include "support/Rounds.h"
#include "tavi/Collections.h"
#include "tavi/Entry.h"

#include <benchmark/benchmark.h>

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

constexpr int kBatch = 50000;

void BM_CreateThroughEntryPoints(benchmark::State& state) {
    for (auto _ : state)
        CreateThroughEntryPoints();
    // The ratio to the plain object, measured in the same run.
    state.counters["ratio_to_new_delete"] =
        tavibench::MedianRatioOfBatches([] { return tavibench::SecondsPerOp(CreateThroughEntryPoints, kBatch); },
                                        [] { return tavibench::SecondsPerOp(CreatePlain, kBatch); });
}
BENCHMARK(BM_CreateThroughEntryPoints);

void BM_NewDeletePlainObject(benchmark::State& state) {
    for (auto _ : state)
        CreatePlain();
}
BENCHMARK(BM_NewDeletePlainObject);

} // namespace

BENCHMARK_MAIN();
