// A call of the missing-data registry forwarded to the main repository thread, beside the same call made directly
// on the main repository thread's own utility object. The forwarded call pays for handing the work over, waking
// the thread and waiting for it; the ratio of the two is reported as a counter of the forwarded benchmark.
// Both run in the desktop application (TAVI_HOST_APP=desktop is set here), with a handful of recorded paths.
#include "host/CreateInstance.h"
#include "host/RepositorySync.h"
#include "platform/ComPtr.h"
#include "support/Rounds.h"
#include "tavi/Entry.h"
#include "tavi/GPUtilities.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

using tavi::ComPtr;
using tavi::RepositorySync;

constexpr const char16_t* kPath = u"/data/city.gpkg/roads";

ComPtr<IGPUtilitiesImpl> ThreadUtilities() {
    setenv("TAVI_HOST_APP", "desktop", 1);
    tavi::SetModuleClassSource(&DllGetClassObject);
    ComPtr<IGPUtilitiesImpl> utilities;
    tavi::AfCreateInstance(CLSID_GPUtilities, nullptr, tavi::CLSCTX_INPROC_SERVER, IGPUtilitiesImpl::iid,
                           utilities.OutVoid());
    return utilities;
}

void Check(IGPUtilitiesImpl* utilities) {
    VARIANT_BOOL found = VARIANT_FALSE;
    utilities->CheckNonExistDataPathname(kPath, &found);
    benchmark::DoNotOptimize(found);
}

constexpr int kBatch = 20000;

// The direct call: the owner's own operation, timed on the main repository thread itself.
double DirectSecondsPerCall() {
    double seconds = 0;
    RepositorySync::InternalExecuteMain([&] {
        auto owner = ThreadUtilities();
        seconds = tavibench::SecondsPerOp([&] { Check(owner.Get()); }, kBatch);
        return S_OK;
    });
    return seconds;
}

void BM_CheckForwarded(benchmark::State& state) {
    auto utilities = ThreadUtilities(); // made off the repository threads: every call is forwarded
    for (int i = 0; i < 8; ++i)
        utilities->AddNonExistDataPathname((u"/data/missing" + std::u16string(1, u'a' + i)).c_str());
    utilities->AddNonExistDataPathname(kPath);
    for (auto _ : state)
        Check(utilities.Get());
    state.counters["ratio_to_direct"] = tavibench::MedianRatioOfBatches(
        [&] { return tavibench::SecondsPerOp([&] { Check(utilities.Get()); }, kBatch); }, DirectSecondsPerCall);
}
BENCHMARK(BM_CheckForwarded)->UseRealTime();

void BM_CheckDirect(benchmark::State& state) {
    // The benchmark loop itself runs on the main repository thread; this thread waits meanwhile.
    RepositorySync::InternalExecuteMain([&] {
        auto owner = ThreadUtilities();
        owner->AddNonExistDataPathname(kPath);
        for (auto _ : state)
            Check(owner.Get());
        return S_OK;
    });
}
BENCHMARK(BM_CheckDirect)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
