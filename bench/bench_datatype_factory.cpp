// Looking a data type up by name, the data type factory's hot path, beside a plain std::unordered_map lookup of the
// same name in the same run. Two names: an early row ("GPLong") and the last row ("GPKnowledgeGraphLayer"), so
// that a lookup that walked the table would show. Measured twice:
//   - the catalogue lookup alone (FindDataTypeRow), which every factory operation starts with;
//   - IGPDataTypeFactory::GetDataType, the whole call with its cached object, for names whose data type the module
//     provides (a name whose class is still to come is skipped).
// The ratio to the map lookup is reported as a counter of each benchmark.
#include "catalogue/DataTypeCatalogue.h"
#include "host/CreateInstance.h"
#include "platform/ComPtr.h"
#include "support/Rounds.h"
#include "tavi/Entry.h"
#include "tavi/GPValue.h"

#include <benchmark/benchmark.h>

#include <string>
#include <unordered_map>

namespace {

const char16_t* const kNames[] = {u"GPLong", u"GPKnowledgeGraphLayer", u"GPString"};

// The reference: an exact-case map from name to row, as a plain C++ program would keep it.
const std::unordered_map<std::u16string, int32_t>& ReferenceMap() {
    static const auto map = [] {
        std::unordered_map<std::u16string, int32_t> made;
        int32_t row = 0;
        for (const auto& entry : tavi::DataTypeCatalogue())
            made.emplace(entry.name, row++);
        return made;
    }();
    return map;
}

int32_t MapLookup(const std::u16string& name) {
    auto found = ReferenceMap().find(name);
    return found == ReferenceMap().end() ? -1 : found->second;
}

constexpr int kBatch = 1000000;

// The median ratio of `call` to the map lookup of `name`, in batches timed one right after the other.
template <class F> double RatioToMap(F call, const std::u16string& name) {
    return tavibench::MedianRatioOfBatches(
        [&] { return tavibench::SecondsPerOp(call, kBatch); },
        [&] { return tavibench::SecondsPerOp([&] { benchmark::DoNotOptimize(MapLookup(name)); }, kBatch); });
}

void BM_CatalogueLookup(benchmark::State& state) {
    const std::u16string name = kNames[state.range(0)];
    state.SetLabel(std::string(name.begin(), name.end()));
    for (auto _ : state)
        benchmark::DoNotOptimize(tavi::FindDataTypeRow(name));
    state.counters["ratio_to_unordered_map"] =
        RatioToMap([&] { benchmark::DoNotOptimize(tavi::FindDataTypeRow(name)); }, name);
}
BENCHMARK(BM_CatalogueLookup)->Arg(0)->Arg(1);

void BM_GetDataType(benchmark::State& state) {
    const std::u16string name = kNames[state.range(0)];
    state.SetLabel(std::string(name.begin(), name.end()));
    tavi::SetModuleClassSource(&DllGetClassObject);
    tavi::ComPtr<IGPDataTypeFactory> factory;
    tavi::AfCreateInstance(CLSID_GPDataTypeFactory, nullptr, tavi::CLSCTX_INPROC_SERVER, IGPDataTypeFactory::iid,
                           factory.OutVoid());
    tavi::ComPtr<IGPDataType> type;
    if (!factory || FAILED(factory->GetDataType(name.c_str(), type.Out()))) {
        state.SkipWithError("the module does not provide this data type yet");
        return;
    }
    auto call = [&] {
        tavi::ComPtr<IGPDataType> got;
        factory->GetDataType(name.c_str(), got.Out());
        benchmark::DoNotOptimize(got.Get());
    };
    for (auto _ : state)
        call();
    state.counters["ratio_to_unordered_map"] = RatioToMap(call, name);
}
BENCHMARK(BM_GetDataType)->Arg(0)->Arg(1)->Arg(2);

void BM_UnorderedMapLookup(benchmark::State& state) {
    const std::u16string name = kNames[state.range(0)];
    state.SetLabel(std::string(name.begin(), name.end()));
    for (auto _ : state)
        benchmark::DoNotOptimize(MapLookup(name));
}
BENCHMARK(BM_UnorderedMapLookup)->Arg(0)->Arg(1);

} // namespace

BENCHMARK_MAIN();
