// A field domain's verdict on every field of a table of 500 fields, beside asking GDAL for the field definitions
// directly and testing each field's type and name the same way. Both sides open the table each round (ours by
// catalog path through the data access, the reference with GDALDataset::Open), so the ratio includes the open.
#include "../tests/support/TestData.h"
#include "data/DataElement.h"
#include "host/CreateInstance.h"
#include "platform/BStr.h"
#include "platform/ComPtr.h"
#include "platform/Utf.h"
#include "support/Rounds.h"
#include "tavi/DataAccess.h"
#include "tavi/Entry.h"
#include "tavi/GPDataDomains.h"
#include "tavi/GPMessage.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kFields = 500;

// A GeoPackage table of 500 fields: texts, integers and reals in turn.
struct BenchData {
    BenchData() {
        data.Vector("GPKG", "wide.gpkg", "wide", wkbNone, 0, {});
        std::unique_ptr<GDALDataset> dataset(
            GDALDataset::Open(data.Path("wide.gpkg").c_str(), GDAL_OF_VECTOR | GDAL_OF_UPDATE));
        OGRLayer* layer = dataset->GetLayer(0);
        const OGRFieldType types[] = {OFTString, OFTInteger, OFTReal};
        for (int i = layer->GetLayerDefn()->GetFieldCount(); i < kFields; ++i) {
            OGRFieldDefn field(("F" + std::to_string(i)).c_str(), types[i % 3]);
            layer->CreateField(&field);
        }
    }
    tavi::test::TestData data;
};

const BenchData& Data() {
    static BenchData data;
    return data;
}

// Integers and reals, with one key name that always passes and one excluded name.
tavi::ComPtr<IGPDomain> NumericFieldDomain() {
    tavi::SetModuleClassSource(&DllGetClassObject);
    tavi::ComPtr<IGPFieldDomain> domain;
    tavi::AfCreateInstance(CLSID_GPFieldDomain, nullptr, tavi::CLSCTX_INPROC_SERVER, IGPFieldDomain::iid,
                           domain.OutVoid());
    domain->AddType(taviFieldTypeInteger);
    domain->AddType(taviFieldTypeDouble);
    domain->AddKeyField(u"F0");
    domain->AddExcludeField(u"F1");
    return domain.As<IGPDomain>();
}

int CountMembersThroughLibrary(const std::u16string& catalogPath, IGPDomain* domain) {
    tavi::ComPtr<ITable> table;
    tavi::ComPtr<IFields> fields;
    if (FAILED(tavi::OpenTable(catalogPath, table.Out())) || FAILED(table->get_Fields(fields.Out())))
        return -1;
    int32_t count = 0;
    fields->get_FieldCount(&count);
    int members = 0;
    for (int32_t i = 0; i < count; ++i) {
        tavi::ComPtr<IField> field;
        fields->get_Field(i, field.Out());
        tavi::ComPtr<IGPMessage> message;
        members += domain->MemberOf(field.As<IGPValue>().Get(), message.Out()) == S_OK;
    }
    return members;
}

// The same rules on GDAL's definitions: the names as UTF-16 (what a caller hands on), compared without regard to
// case, then the type.
int CountMembersThroughGdal(const std::string& path) {
    std::unique_ptr<GDALDataset> dataset(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_UPDATE));
    OGRFeatureDefn* definition = dataset->GetLayer(0)->GetLayerDefn();
    int members = 0;
    for (int i = 0; i < definition->GetFieldCount(); ++i) {
        OGRFieldDefn* field = definition->GetFieldDefn(i);
        std::u16string name = tavi::FromUtf8(field->GetNameRef());
        if (tavi::EqualsNoCase(name, u"F0"))
            ++members;
        else if (!tavi::EqualsNoCase(name, u"F1"))
            members += field->GetType() == OFTInteger || field->GetType() == OFTReal;
    }
    return members;
}

void FieldDomainOverTable(benchmark::State& state) {
    const std::string path = Data().data.Path("wide.gpkg");
    const std::u16string catalogPath = tavi::FromUtf8(Data().data.Path("wide.gpkg/wide"));
    auto domain = NumericFieldDomain();
    if (CountMembersThroughLibrary(catalogPath, domain.Get()) != CountMembersThroughGdal(path)) {
        state.SkipWithError("the two sides do not agree on the members");
        return;
    }
    tavibench::Rounds rounds;
    for (auto _ : state) {
        rounds.Time(tavibench::kOurs,
                    [&] { benchmark::DoNotOptimize(CountMembersThroughLibrary(catalogPath, domain.Get())); });
        rounds.Time(tavibench::kReference, [&] { benchmark::DoNotOptimize(CountMembersThroughGdal(path)); });
    }
    state.counters["ours_us"] = rounds.Total(tavibench::kOurs) * 1e6 / double(state.iterations());
    state.counters["gdal_us"] = rounds.Total(tavibench::kReference) * 1e6 / double(state.iterations());
    state.counters["ratio_to_gdal"] = rounds.MedianRatio(tavibench::kOurs, tavibench::kReference);
}

} // namespace

BENCHMARK(FieldDomainOverTable)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
