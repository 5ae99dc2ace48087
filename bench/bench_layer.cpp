// Making a layer value from the catalog path of a feature class in a GeoPackage (the layer data type's CreateValue,
// which reads the path through the value's text form and opens the data) beside opening the same dataset with GDAL
// and finding the layer by name, timed in the same rounds; the ratio counter is ours / GDAL.
#include "../tests/support/TestData.h"
#include "host/CreateInstance.h"
#include "platform/BStr.h"
#include "platform/ComPtr.h"
#include "platform/Utf.h"
#include "support/Rounds.h"
#include "tavi/Entry.h"
#include "tavi/Geoprocessing.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct BenchData {
    BenchData() {
        tavi::SetModuleClassSource(&DllGetClassObject);
        data.Vector("GPKG", "city.gpkg", "roads", wkbLineString, 32633,
                    {{"LINESTRING (0 0, 10 10)", "r1", 1, 1, 2001, 1, 1}});
    }
    tavi::test::TestData data;
};

const BenchData& Data() {
    static BenchData data;
    return data;
}

void MakeLayerFromPath(benchmark::State& state) {
    std::string path = Data().data.Path("city.gpkg");
    std::u16string catalogPath = tavi::FromUtf8(Data().data.Path("city.gpkg/roads"));
    tavi::ComPtr<IGPDataType> type;
    if (FAILED(tavi::AfCreateInstance(CLSID_GPFeatureLayerType, nullptr, tavi::CLSCTX_INPROC_SERVER, IGPDataType::iid,
                                      type.OutVoid()))) {
        state.SkipWithError("no feature layer type");
        return;
    }
    tavibench::Rounds rounds;
    for (auto _ : state) {
        rounds.Time(tavibench::kOurs, [&] {
            tavi::ComPtr<IGPValue> value;
            type->CreateValue(catalogPath.c_str(), value.Out());
            benchmark::DoNotOptimize(value.Get());
        });
        rounds.Time(tavibench::kReference, [&] {
            std::unique_ptr<GDALDataset> dataset(
                GDALDataset::FromHandle(GDALOpenEx(path.c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr)));
            benchmark::DoNotOptimize(dataset ? dataset->GetLayerByName("roads") : nullptr);
        });
    }
    state.counters["ours_us"] = rounds.Total(tavibench::kOurs) * 1e6 / double(state.iterations());
    state.counters["gdal_us"] = rounds.Total(tavibench::kReference) * 1e6 / double(state.iterations());
    state.counters["ratio_to_gdal"] = rounds.MedianRatio(tavibench::kOurs, tavibench::kReference);
}

} // namespace

BENCHMARK(MakeLayerFromPath);
BENCHMARK_MAIN();
