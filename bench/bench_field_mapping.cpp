// A field mapping of 50, 500 and 5,000 fields over five GeoPackage tables read from its text and written back, beside
// the least such a reading and writing must do: the same text split at ";" and ",", the five tables opened once, each
// input field found by name among its table's fields and a new output field made and named for each field map; and
// the parts joined again. The time per field should stay flat from 50 to 5,000 (linear reading and writing).
#include "data/DataElement.h"
#include "data/Field.h"
#include "host/CreateInstance.h"
#include "platform/BStr.h"
#include "platform/ComPtr.h"
#include "platform/Utf.h"
#include "support/Rounds.h"
#include "tavi/Entry.h"
#include "tavi/GPFieldMapping.h"
#include "tavi/GPMessage.h"

#include <benchmark/benchmark.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <filesystem>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

using tavi::ComPtr;
constexpr int kTables = 5;

// A GeoPackage with five tables t0..t4 sharing `fields` text fields between them (F0, F1, ... dealt out in turn),
// and the mapping text that maps each field from its table.
std::u16string MakeTablesAndText(int64_t fields, const std::string& path) {
    GDALAllRegister();
    std::filesystem::remove(path);
    GDALDataset* dataset =
        GetGDALDriverManager()->GetDriverByName("GPKG")->Create(path.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
    std::vector<OGRLayer*> layers;
    for (int t = 0; t < kTables; ++t)
        layers.push_back(dataset->CreateLayer(("t" + std::to_string(t)).c_str(), nullptr, wkbNone, nullptr));
    std::u16string text;
    for (int64_t i = 0; i < fields; ++i) {
        std::string name = "F" + std::to_string(i);
        OGRFieldDefn field(name.c_str(), OFTString);
        field.SetWidth(20);
        layers[i % kTables]->CreateField(&field);
        std::u16string wide = tavi::FromUtf8(name);
        std::u16string table = tavi::FromUtf8(path + "/t" + std::to_string(i % kTables));
        if (i)
            text += u';';
        text += wide + u" \"" + wide + u"\" true true false 20 Text 0 0,First,#," + table + u"," + wide + u",-1,-1";
    }
    GDALClose(dataset);
    return text;
}

std::vector<std::u16string_view> SplitAt(std::u16string_view text, char16_t separator) {
    std::vector<std::u16string_view> parts;
    for (size_t from = 0; from <= text.size();) {
        size_t at = text.find(separator, from);
        if (at == std::u16string_view::npos)
            at = text.size();
        parts.push_back(text.substr(from, at - from));
        from = at + 1;
    }
    return parts;
}

// The reference reading: what any reader of the text must do at least.
struct ReferenceMapping {
    std::vector<std::vector<std::u16string_view>> maps;
    std::vector<ComPtr<IField>> outputs;
    std::vector<ComPtr<IField>> inputs;
};

ReferenceMapping ReferenceRead(const std::u16string& text) {
    ReferenceMapping read;
    std::unordered_map<std::u16string, std::unordered_map<std::u16string, ComPtr<IField>>> tables;
    for (std::u16string_view mapText : SplitAt(text, u';')) {
        auto parts = SplitAt(mapText, u',');
        std::u16string path(parts[3]);
        auto found = tables.find(path);
        if (found == tables.end()) {
            auto& byName = tables[path];
            ComPtr<IDataElement> element;
            tavi::OpenDataElement(path, element.Out());
            ComPtr<IFields> fields;
            tavi::QueryAs<IDEGdbTable7>(element.Get())->get_Fields(fields.Out());
            int32_t count = 0;
            fields->get_FieldCount(&count);
            for (int32_t i = 0; i < count; ++i) {
                ComPtr<IField> field;
                tavi::BStr name;
                fields->get_Field(i, field.Out());
                field->get_Name(name.Out());
                byName.emplace(name.str(), field);
            }
            found = tables.find(path);
        }
        read.inputs.push_back(found->second[std::u16string(parts[4])]);
        ComPtr<IField> output;
        tavi::CreateField(output.Out());
        tavi::QueryAs<IFieldEdit>(output.Get())->put_Name(std::u16string(SplitAt(parts[0], u' ')[0]).c_str());
        read.outputs.push_back(std::move(output));
        read.maps.push_back(std::move(parts));
    }
    return read;
}

std::u16string ReferenceWrite(const ReferenceMapping& read) {
    std::u16string text;
    for (const auto& parts : read.maps) {
        if (!text.empty())
            text += u';';
        for (size_t i = 0; i < parts.size(); ++i) {
            if (i)
                text += u',';
            text += parts[i];
        }
    }
    return text;
}

enum Side : size_t { kRead, kReadReference, kWrite, kWriteReference };

void FieldMappingBesideSplitting(benchmark::State& state) {
    tavi::SetModuleClassSource(&DllGetClassObject);
    const int64_t fields = state.range(0);
    const std::string path = (std::filesystem::temp_directory_path() / "bench field mapping.gpkg").string();
    const std::u16string text = MakeTablesAndText(fields, path);
    ComPtr<IGPValue> value;
    tavi::AfCreateInstance(CLSID_GPFieldMapping, nullptr, tavi::CLSCTX_INPROC_SERVER, IGPValue::iid, value.OutVoid());
    tavibench::Rounds rounds;
    ReferenceMapping reference;
    for (auto _ : state) {
        rounds.Time(kRead, [&] {
            ComPtr<IGPMessage> message;
            value->SetAsText(text.c_str(), message.Out());
        });
        rounds.Time(kReadReference, [&] { reference = ReferenceRead(text); });
        rounds.Time(kWrite, [&] {
            tavi::BStr written;
            value->GetAsText(written.Out());
            benchmark::DoNotOptimize(written.c_str());
        });
        rounds.Time(kWriteReference, [&] { benchmark::DoNotOptimize(ReferenceWrite(reference).data()); });
    }
    int32_t count = 0;
    tavi::QueryAs<IGPFieldMapping>(value.Get())->get_FieldMapCount(&count);
    if (count != fields)
        state.SkipWithError("the mapping did not read every field map");
    const double items = double(state.iterations() * fields);
    state.counters["read_us_per_field"] = rounds.Total(kRead) * 1e6 / items;
    state.counters["write_us_per_field"] = rounds.Total(kWrite) * 1e6 / items;
    state.counters["ratio_read_to_split"] = rounds.MedianRatio(kRead, kReadReference);
    state.counters["ratio_write_to_join"] = rounds.MedianRatio(kWrite, kWriteReference);
    reference = {};
    value->Empty();
    value = {};
    DllCanUnloadNow();
    std::filesystem::remove(path);
}
BENCHMARK(FieldMappingBesideSplitting)->Arg(50)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
