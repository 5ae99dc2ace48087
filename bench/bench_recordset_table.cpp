// A record set and a GeoPackage layer of 200,000 polylines (paths of 2 to 6 vertices, a text, an integer, a real
// and a date each): reading the layer into a record set beside plain OGR iteration over the same layer
// (GetNextFeature until the end), and writing the record set into a new GeoPackage beside GDAL's own copy of the
// layer into one (CopyLayer, which writes in transactions of its own). Each round times both sides one after the other;
// the ratio counters are ours / GDAL.
#include "../tests/support/TestData.h"
#include "data/DataElement.h"
#include "data/RecordSet.h"
#include "host/CreateInstance.h"
#include "platform/ComPtr.h"
#include "platform/Utf.h"
#include "support/Rounds.h"
#include "tavi/Entry.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

constexpr int kFeatures = 200000;

// Fills the layer in one transaction.
void WritePolylines(const std::string& path) {
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GPKG");
    std::unique_ptr<GDALDataset> dataset(driver->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    OGRSpatialReference srs;
    srs.importFromEPSG(32633);
    OGRLayer* layer = dataset->CreateLayer("roads", &srs, wkbMultiLineString, nullptr);
    OGRFieldDefn name("NAME", OFTString), lanes("LANES", OFTInteger), length("LENGTH", OFTReal),
        built("BUILT", OFTDateTime);
    for (OGRFieldDefn* field : {&name, &lanes, &length, &built})
        (void)layer->CreateField(field);
    (void)dataset->StartTransaction();
    for (int i = 0; i < kFeatures; ++i) {
        OGRFeature feature(layer->GetLayerDefn());
        feature.SetField(0, ("road " + std::to_string(i)).c_str());
        feature.SetField(1, i % 6);
        feature.SetField(2, i * 0.25);
        feature.SetField(3, 1990 + i % 30, 1 + i % 12, 1 + i % 28, i % 24, i % 60, static_cast<float>(i % 60), 100);
        auto paths = std::make_unique<OGRMultiLineString>();
        auto path = std::make_unique<OGRLineString>();
        for (int v = 0; v < 2 + i % 5; ++v)
            path->addPoint(500000.0 + i + v * 3.5, 5000000.0 + v * 7.25);
        paths->addGeometryDirectly(path.release());
        feature.SetGeometryDirectly(paths.release());
        if (layer->CreateFeature(&feature) != OGRERR_NONE)
            throw std::runtime_error("cannot write the benchmark's layer");
    }
    (void)dataset->CommitTransaction();
}

struct BenchData {
    BenchData() {
        tavi::SetModuleClassSource(&DllGetClassObject);
        WritePolylines(data.Path("roads.gpkg"));
    }
    tavi::test::TestData data;
};

BenchData& Data() {
    static BenchData data;
    return data;
}

tavi::ComPtr<IRecordSetInit> ReadRoads() {
    tavi::ComPtr<IDataElement> table;
    tavi::ComPtr<IRecordSetInit> records;
    if (FAILED(tavi::OpenDataElement(tavi::FromUtf8(Data().data.Path("roads.gpkg/roads")), table.Out())) ||
        FAILED(tavi::AfCreateInstance(CLSID_RecordSet, nullptr, tavi::CLSCTX_INPROC_SERVER, IRecordSetInit::iid,
                                      records.OutVoid())) ||
        FAILED(records->SetSourceTable(table.Get(), nullptr)))
        return {};
    return records;
}

void ReadLayerIntoRecordSet(benchmark::State& state) {
    std::string path = Data().data.Path("roads.gpkg");
    tavibench::Rounds rounds;
    for (auto _ : state) {
        rounds.Time(tavibench::kOurs, [&] {
            auto records = ReadRoads();
            if (!records)
                state.SkipWithError("the layer was not read");
        });
        rounds.Time(tavibench::kReference, [&] {
            std::unique_ptr<GDALDataset> dataset(
                GDALDataset::FromHandle(GDALOpenEx(path.c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr)));
            OGRLayer* layer = dataset->GetLayerByName("roads");
            int64_t read = 0;
            while (std::unique_ptr<OGRFeature> feature{layer->GetNextFeature()})
                ++read;
            benchmark::DoNotOptimize(read);
        });
    }
    state.counters["ours_ms"] = rounds.Total(tavibench::kOurs) * 1e3 / double(state.iterations());
    state.counters["gdal_ms"] = rounds.Total(tavibench::kReference) * 1e3 / double(state.iterations());
    state.counters["ratio_to_gdal"] = rounds.MedianRatio(tavibench::kOurs, tavibench::kReference);
}

void WriteRecordSetIntoGeoPackage(benchmark::State& state) {
    auto records = ReadRoads().As<IRecordSet>();
    if (!records) {
        state.SkipWithError("the layer was not read");
        return;
    }
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GPKG");
    std::string source = Data().data.Path("roads.gpkg");
    tavibench::Rounds rounds;
    int round = 0;
    for (auto _ : state) {
        ++round;
        std::string ours = Data().data.Path("ours" + std::to_string(round) + ".gpkg");
        std::string theirs = Data().data.Path("gdal" + std::to_string(round) + ".gpkg");
        GDALClose(driver->Create(ours.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
        rounds.Time(tavibench::kOurs, [&] {
            tavi::ComPtr<IWorkspace> workspace;
            tavi::ComPtr<ITable> table;
            if (FAILED(tavi::OpenWorkspace(tavi::FromUtf8(ours), workspace.Out())) ||
                FAILED(records->CreateTable(workspace.Get(), u"roads", table.Out())))
                state.SkipWithError("the record set was not written");
        });
        rounds.Time(tavibench::kReference, [&] {
            std::unique_ptr<GDALDataset> from(
                GDALDataset::FromHandle(GDALOpenEx(source.c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr)));
            std::unique_ptr<GDALDataset> to(driver->Create(theirs.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
            to->CopyLayer(from->GetLayerByName("roads"), "roads");
        });
        std::filesystem::remove(ours);
        std::filesystem::remove(theirs);
    }
    state.counters["ours_ms"] = rounds.Total(tavibench::kOurs) * 1e3 / double(state.iterations());
    state.counters["gdal_ms"] = rounds.Total(tavibench::kReference) * 1e3 / double(state.iterations());
    state.counters["ratio_to_gdal"] = rounds.MedianRatio(tavibench::kOurs, tavibench::kReference);
}

} // namespace

BENCHMARK(ReadLayerIntoRecordSet)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteRecordSetIntoGeoPackage)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
