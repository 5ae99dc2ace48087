// Reading the fields of a feature class through the host's data access beside asking GDAL directly, on a shapefile
// and a GeoPackage made at start in a temporary folder. Each benchmark times ours and the reference in the same run
// and reports ours / reference as a ratio counter: once opening the data by catalog path and reading every field's
// name, type, length and nullability, and once reading the fields of data already open.
#include "../tests/support/TestData.h"
#include "data/DataElement.h"
#include "platform/BStr.h"
#include "platform/ComPtr.h"
#include "platform/Utf.h"
#include "support/Rounds.h"
#include "tavi/DataAccess.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// The data, made once: 24 typed fields (the test data's four, repeated under other names) in each format.
struct BenchData {
    BenchData() {
        data.Vector("shp", "wide.shp", "wide", wkbPolygon, 32633, {});
        data.Vector("GPKG", "wide.gpkg", "wide", wkbPolygon, 32633, {});
        for (const char* path : {"wide.shp", "wide.gpkg"}) {
            std::unique_ptr<GDALDataset> dataset(
                GDALDataset::Open(data.Path(path).c_str(), GDAL_OF_VECTOR | GDAL_OF_UPDATE));
            OGRLayer* layer = dataset->GetLayer(0);
            for (int i = 0; i < 20; ++i) {
                OGRFieldDefn field(("F" + std::to_string(i)).c_str(), i % 2 ? OFTReal : OFTString);
                layer->CreateField(&field);
            }
        }
    }
    tavi::test::TestData data;
};

const BenchData& Data() {
    static BenchData data;
    return data;
}

// The file GDAL opens and the catalog path of the feature class in it.
const char* const kPaths[][2] = {{"wide.shp", "wide.shp"}, {"wide.gpkg", "wide.gpkg/wide"}};

int64_t ReadThroughLibrary(ITable* table) {
    tavi::ComPtr<IFields> fields;
    table->get_Fields(fields.Out());
    int32_t count = 0;
    fields->get_FieldCount(&count);
    int64_t sum = 0;
    for (int32_t i = 0; i < count; ++i) {
        tavi::ComPtr<IField> field;
        fields->get_Field(i, field.Out());
        tavi::BStr name;
        int32_t type = 0, length = 0;
        VARIANT_BOOL nullable = 0;
        field->get_Name(name.Out()), field->get_Type(&type), field->get_Length(&length);
        field->get_IsNullable(&nullable);
        sum += name.size() + type + length + nullable;
    }
    return sum;
}

int64_t ReadThroughGdal(OGRLayer* layer) {
    OGRFeatureDefn* definition = layer->GetLayerDefn();
    int64_t sum = 0;
    for (int i = 0; i < definition->GetFieldCount(); ++i) {
        OGRFieldDefn* field = definition->GetFieldDefn(i);
        // The same work a caller of GDAL does to get texts it can hand on: the name as UTF-16.
        std::u16string name = tavi::FromUtf8(field->GetNameRef());
        sum += name.size() + field->GetType() + field->GetWidth() + field->IsNullable();
    }
    return sum;
}

void report(benchmark::State& state, const tavibench::Rounds& rounds) {
    state.counters["ours_us"] = rounds.Total(tavibench::kOurs) * 1e6 / double(state.iterations());
    state.counters["gdal_us"] = rounds.Total(tavibench::kReference) * 1e6 / double(state.iterations());
    state.counters["ratio_to_gdal"] = rounds.MedianRatio(tavibench::kOurs, tavibench::kReference);
}

void OpenAndReadFields(benchmark::State& state) {
    std::string path = Data().data.Path(kPaths[state.range(0)][0]);
    std::u16string catalogPath = tavi::FromUtf8(Data().data.Path(kPaths[state.range(0)][1]));
    tavibench::Rounds rounds;
    for (auto _ : state) {
        rounds.Time(tavibench::kOurs, [&] {
            tavi::ComPtr<ITable> table;
            if (SUCCEEDED(tavi::OpenTable(catalogPath, table.Out())))
                benchmark::DoNotOptimize(ReadThroughLibrary(table.Get()));
        });
        rounds.Time(tavibench::kReference, [&] {
            std::unique_ptr<GDALDataset> dataset(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_UPDATE));
            benchmark::DoNotOptimize(ReadThroughGdal(dataset->GetLayer(0)));
        });
    }
    report(state, rounds);
}

void ReadFieldsOfOpenData(benchmark::State& state) {
    std::string path = Data().data.Path(kPaths[state.range(0)][0]);
    tavi::ComPtr<ITable> table;
    if (FAILED(tavi::OpenTable(tavi::FromUtf8(Data().data.Path(kPaths[state.range(0)][1])), table.Out()))) {
        state.SkipWithError("the feature class does not open");
        return;
    }
    std::unique_ptr<GDALDataset> dataset(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR));
    tavibench::Rounds rounds;
    for (auto _ : state) {
        rounds.Time(tavibench::kOurs, [&] { benchmark::DoNotOptimize(ReadThroughLibrary(table.Get())); });
        rounds.Time(tavibench::kReference, [&] { benchmark::DoNotOptimize(ReadThroughGdal(dataset->GetLayer(0))); });
    }
    report(state, rounds);
}

} // namespace

BENCHMARK(OpenAndReadFields)->Arg(0)->Arg(1)->ArgName("gpkg");
BENCHMARK(ReadFieldsOfOpenData)->Arg(0)->Arg(1)->ArgName("gpkg");

BENCHMARK_MAIN();
