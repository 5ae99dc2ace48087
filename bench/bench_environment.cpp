// Reading environment settings on the paths that values take often: the utility object's output coordinate system
// (read by every extent that reads a rectangle), beside the per-object field it used to be (a reference copied out
// under a lock); and a setting's value handed out as a copy, through a stand-in, beside cloning the value directly.
#include "host/CreateInstance.h"
#include "host/SpatialReference.h"
#include "platform/ComPtr.h"
#include "support/Rounds.h"
#include "tavi/Entry.h"
#include "tavi/GPEnvironment.h"
#include "tavi/GPUtilities.h"

#include <benchmark/benchmark.h>

#include <mutex>

namespace {

constexpr int kReadsPerRound = 1000;

template <class I> tavi::ComPtr<I> Create(REFCLSID clsid) {
    tavi::SetModuleClassSource(&DllGetClassObject);
    tavi::ComPtr<I> made;
    tavi::AfCreateInstance(clsid, nullptr, tavi::CLSCTX_INPROC_SERVER, I::iid, made.OutVoid());
    return made;
}

void OutputCoordinateSystemRead(benchmark::State& state) {
    auto manager = Create<IGPEnvironmentManager>(CLSID_GPEnvironmentManager); // holds the settings for the run
    auto utilities = Create<IGPUtilities>(CLSID_GPUtilities);
    tavi::ComPtr<ISpatialReference> utm;
    tavi::CreateSpatialReferenceFromText(u"EPSG:32633", utm.Out());
    if (!manager || !utilities || !utm || FAILED(utilities->put_OutputCoordinateSystem(utm.Get()))) {
        state.SkipWithError("the output coordinate system cannot be put");
        return;
    }
    std::mutex fieldLock;
    tavi::ComPtr<ISpatialReference> field = utm;
    tavibench::Rounds rounds;
    for (auto _ : state) {
        rounds.Time(tavibench::kOurs, [&] {
            for (int i = 0; i < kReadsPerRound; ++i) {
                tavi::ComPtr<ISpatialReference> read;
                utilities->get_OutputCoordinateSystem(read.Out());
                benchmark::DoNotOptimize(read.Get());
            }
        });
        rounds.Time(tavibench::kReference, [&] {
            for (int i = 0; i < kReadsPerRound; ++i) {
                tavi::ComPtr<ISpatialReference> read;
                {
                    std::lock_guard lock(fieldLock);
                    read = field;
                }
                benchmark::DoNotOptimize(read.Get());
            }
        });
    }
    utilities->put_OutputCoordinateSystem(nullptr);
    state.counters["ours_ns"] = rounds.Total(tavibench::kOurs) * 1e9 / double(state.iterations() * kReadsPerRound);
    state.counters["field_ns"] =
        rounds.Total(tavibench::kReference) * 1e9 / double(state.iterations() * kReadsPerRound);
    state.counters["ratio_to_field"] = rounds.MedianRatio(tavibench::kOurs, tavibench::kReference);
}

void SettingValueThroughStandIn(benchmark::State& state) {
    auto utilities = Create<IGPUtilities>(CLSID_GPUtilities);
    tavi::ComPtr<IGPValue> tolerance;
    auto source = Create<IGPEnvironment>(CLSID_GPEnvironment);
    auto standIn = Create<IGPEnvironment>(CLSID_GPEnvironment);
    auto standInImpl = standIn.As<IGPEnvironmentImpl>();
    if (!utilities || FAILED(utilities->MakeGPValueFromText(u"GPLinearUnit", u"0.001 Meters", tolerance.Out())) ||
        !source || !standInImpl || FAILED(source->putref_Value(tolerance.Get())) ||
        FAILED(standInImpl->putref_Source(source.Get()))) {
        state.SkipWithError("the settings cannot be made");
        return;
    }
    auto clonable = tolerance.As<IClone>();
    tavibench::Rounds rounds;
    for (auto _ : state) {
        rounds.Time(tavibench::kOurs, [&] {
            for (int i = 0; i < kReadsPerRound; ++i) {
                tavi::ComPtr<IGPValue> copy;
                standIn->get_Value(copy.Out());
                benchmark::DoNotOptimize(copy.Get());
            }
        });
        rounds.Time(tavibench::kReference, [&] {
            for (int i = 0; i < kReadsPerRound; ++i) {
                tavi::ComPtr<IClone> copy;
                clonable->Clone(copy.Out());
                benchmark::DoNotOptimize(copy.Get());
            }
        });
    }
    state.counters["ours_ns"] = rounds.Total(tavibench::kOurs) * 1e9 / double(state.iterations() * kReadsPerRound);
    state.counters["clone_ns"] =
        rounds.Total(tavibench::kReference) * 1e9 / double(state.iterations() * kReadsPerRound);
    state.counters["ratio_to_clone"] = rounds.MedianRatio(tavibench::kOurs, tavibench::kReference);
}

} // namespace

BENCHMARK(OutputCoordinateSystemRead)->Unit(benchmark::kMicrosecond);
BENCHMARK(SettingValueThroughStandIn)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
