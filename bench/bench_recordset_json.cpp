// The JSON form of a feature set of 200,000 polylines (about 10 points each; an object identifier, a text, a real and
// a date), made once per run, read and written beside references in the same run:
//   - reading into the columns beside a plain simdjson on-demand walk of the same text into plain vectors;
//   - reading beside GDAL's OGR API reading the same features written as GeoJSON (every feature's geometry points
//     and fields);
//   - the memory a read takes at its peak, relative to the text's size (a child process's peak resident memory
//     above what it had when it began), and the columns' own bytes;
//   - writing beside a bare writer of the same structure and numbers with std::to_chars.
#include "data/RecordSetJson.h"
#include "support/Rounds.h"
#include "tavi/RecordSet.h"

#include <benchmark/benchmark.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>
#include <simdjson.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr size_t kFeatures = 200000;

tavi::RecordColumn Column(const char16_t* name, int32_t type) {
    tavi::RecordColumn column;
    column.field.name = name;
    column.field.alias = name;
    column.field.type = type;
    column.storage = tavi::StorageOf(type);
    return column;
}

// The feature set, its JSON text (with room for the reader's padding) and its GeoJSON file, made once.
struct Sample {
    tavi::RecordData data;
    std::string json;
    std::filesystem::path geoJson;

    Sample() {
        data.oidFieldName = u"OBJECTID";
        data.displayFieldName = u"name";
        data.columns.push_back(Column(u"OBJECTID", taviFieldTypeOID));
        data.columns.push_back(Column(u"name", taviFieldTypeString));
        data.columns.back().field.length = 32;
        data.columns.push_back(Column(u"value", taviFieldTypeDouble));
        data.columns.push_back(Column(u"when", taviFieldTypeDate));
        data.hasGeometry = true;
        data.geometryFieldIndex = 1;
        tavi::GeometryColumn& g = data.geometry;
        g.shapeType = taviGeometryPolyline;
        std::mt19937_64 random(42);
        std::uniform_real_distribution<double> unit(0, 1);
        auto rounded = [](double value) { return std::round(value * 1e6) / 1e6; };
        const char* const names[] = {"Main Street", "Rue de l'\xC3\x89glise",
                                     "Hauptstra\xC3\x9F"
                                     "e",
                                     "Ring Road"};
        for (size_t i = 0; i < kFeatures; ++i) {
            data.columns[0].AppendInteger(static_cast<int64_t>(i) + 1);
            data.columns[1].AppendText(std::string(names[i % 4]) + " " + std::to_string(i % 997));
            data.columns[2].AppendReal(rounded(unit(random) * 1000));
            data.columns[3].AppendInteger(1600000000000 + static_cast<int64_t>(unit(random) * 1e11));
            double x = rounded(-180 + 360 * unit(random)), y = rounded(-80 + 160 * unit(random));
            const int points = 8 + static_cast<int>(i % 5);
            for (int k = 0; k < points; ++k) {
                g.xy.push_back(x);
                g.xy.push_back(y);
                x = rounded(x + unit(random) * 0.01);
                y = rounded(y + unit(random) * 0.01 - 0.005);
            }
            g.EndPart();
            g.EndRecord();
        }
        tavi::WriteRecordSetJson(data, taviJsonCompact, json);
        json.reserve(json.size() + tavi::kJsonPadding);
        geoJson =
            std::filesystem::temp_directory_path() / ("tavi-bench-recordset-" + std::to_string(getpid()) + ".geojson");
        std::string text;
        tavi::WriteRecordSetGeoJson(data, text);
        std::ofstream(geoJson, std::ios::binary) << text;
    }
    ~Sample() {
        std::error_code ignored;
        std::filesystem::remove(geoJson, ignored);
    }
};

Sample& TheSample() {
    static Sample sample;
    return sample;
}

double Megabytes(size_t bytes) {
    return static_cast<double>(bytes) / (1 << 20);
}

// ---- The simdjson reference: the same document into plain vectors, the keys known in advance.

struct PlainColumns {
    std::vector<int64_t> ids, dates;
    std::vector<double> values, xy;
    std::string names;
    std::vector<uint64_t> nameEnds, partEnds, recordEnds;
};

bool ReadPlain(std::string_view text, PlainColumns& out) {
    namespace od = simdjson::ondemand;
    static od::parser parser;
    od::document document;
    if (parser.iterate(text.data(), text.size(), text.size() + simdjson::SIMDJSON_PADDING).get(document))
        return false;
    od::object root;
    if (document.get_object().get(root))
        return false;
    for (auto member : root) {
        od::field field;
        if (std::move(member).get(field))
            return false;
        if (field.key() != "features")
            continue;
        od::array features;
        if (field.value().get_array().get(features))
            return false;
        for (auto element : features) {
            od::object feature;
            if (std::move(element).get_object().get(feature))
                return false;
            for (auto part : feature) {
                od::field pair;
                if (std::move(part).get(pair))
                    return false;
                if (pair.key() == "attributes") {
                    od::object attributes;
                    if (pair.value().get_object().get(attributes))
                        return false;
                    for (auto attribute : attributes) {
                        od::field value;
                        if (std::move(attribute).get(value))
                            return false;
                        const auto key = value.key();
                        if (key == "OBJECTID") {
                            int64_t id;
                            if (value.value().get_int64().get(id))
                                return false;
                            out.ids.push_back(id);
                        } else if (key == "name") {
                            std::string_view name;
                            if (value.value().get_string().get(name))
                                return false;
                            out.names.append(name);
                            out.nameEnds.push_back(out.names.size());
                        } else if (key == "value") {
                            double number;
                            if (value.value().get_double().get(number))
                                return false;
                            out.values.push_back(number);
                        } else if (key == "when") {
                            int64_t date;
                            if (value.value().get_int64().get(date))
                                return false;
                            out.dates.push_back(date);
                        }
                    }
                } else if (pair.key() == "geometry") {
                    od::object geometry;
                    if (pair.value().get_object().get(geometry))
                        return false;
                    od::array paths;
                    if (geometry["paths"].get_array().get(paths))
                        return false;
                    for (auto path : paths) {
                        od::array points;
                        if (std::move(path).get_array().get(points))
                            return false;
                        for (auto point : points) {
                            od::array coordinates;
                            if (std::move(point).get_array().get(coordinates))
                                return false;
                            for (auto coordinate : coordinates) {
                                double number;
                                if (std::move(coordinate).get_double().get(number))
                                    return false;
                                out.xy.push_back(number);
                            }
                        }
                        out.partEnds.push_back(out.xy.size() / 2);
                    }
                    out.recordEnds.push_back(out.partEnds.size());
                }
            }
        }
    }
    return true;
}

void ReadBesideSimdjson(benchmark::State& state) {
    Sample& sample = TheSample();
    const tavi::PaddedJson text = tavi::PaddedJson::Borrow(sample.json);
    tavibench::Rounds rounds;
    for (auto _ : state) {
        tavi::RecordData data;
        rounds.Time(tavibench::kOurs, [&] {
            if (FAILED(tavi::ReadRecordSetJson(text, data)))
                state.SkipWithError("the text cannot be read");
        });
        PlainColumns plain;
        rounds.Time(tavibench::kReference, [&] {
            if (!ReadPlain(text.Text(), plain))
                state.SkipWithError("the reference cannot read the text");
        });
        if (data.RecordCount() != kFeatures || plain.ids.size() != kFeatures || data.geometry.xy != plain.xy)
            state.SkipWithError("the two reads differ");
    }
    state.counters["megabytes"] = Megabytes(sample.json.size());
    state.counters["ours_ms"] = rounds.Total(tavibench::kOurs) * 1e3 / double(state.iterations());
    state.counters["simdjson_ms"] = rounds.Total(tavibench::kReference) * 1e3 / double(state.iterations());
    state.counters["ratio_to_simdjson"] = rounds.MedianRatio(tavibench::kOurs, tavibench::kReference);
}

// ---- GDAL's OGR API on the same features as GeoJSON.

bool ReadWithOgr(const std::filesystem::path& path, double& checksum) {
    GDALDatasetUniquePtr dataset(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
    if (!dataset || dataset->GetLayerCount() != 1)
        return false;
    OGRLayerH layer = OGRLayer::ToHandle(dataset->GetLayer(0));
    size_t count = 0;
    while (OGRFeatureH feature = OGR_L_GetNextFeature(layer)) {
        checksum += static_cast<double>(OGR_F_GetFID(feature));
        checksum += static_cast<double>(std::string_view(OGR_F_GetFieldAsString(feature, 0)).size());
        checksum += OGR_F_GetFieldAsDouble(feature, 1);
        int year, month, day, hour, minute, zone;
        float second;
        OGR_F_GetFieldAsDateTimeEx(feature, 2, &year, &month, &day, &hour, &minute, &second, &zone);
        checksum += year;
        if (OGRGeometryH geometry = OGR_F_GetGeometryRef(feature))
            for (int i = 0, points = OGR_G_GetPointCount(geometry); i < points; ++i)
                checksum += OGR_G_GetX(geometry, i) + OGR_G_GetY(geometry, i);
        OGR_F_Destroy(feature);
        ++count;
    }
    return count == kFeatures;
}

void ReadBesideOgrGeoJson(benchmark::State& state) {
    Sample& sample = TheSample();
    GDALAllRegister();
    const tavi::PaddedJson text = tavi::PaddedJson::Borrow(sample.json);
    tavibench::Rounds rounds;
    for (auto _ : state) {
        tavi::RecordData data;
        rounds.Time(tavibench::kOurs, [&] {
            if (FAILED(tavi::ReadRecordSetJson(text, data)))
                state.SkipWithError("the text cannot be read");
        });
        double checksum = 0;
        rounds.Time(tavibench::kReference, [&] {
            if (!ReadWithOgr(sample.geoJson, checksum))
                state.SkipWithError("OGR cannot read the GeoJSON");
        });
        benchmark::DoNotOptimize(checksum);
    }
    state.counters["ours_ms"] = rounds.Total(tavibench::kOurs) * 1e3 / double(state.iterations());
    state.counters["ogr_ms"] = rounds.Total(tavibench::kReference) * 1e3 / double(state.iterations());
    state.counters["ogr_over_ours"] = 1 / rounds.MedianRatio(tavibench::kOurs, tavibench::kReference);
}

// ---- Memory.

size_t ColumnBytes(const tavi::RecordData& data) {
    size_t bytes = 0;
    for (const tavi::RecordColumn& column : data.columns)
        bytes += column.integers.capacity() * 8 + column.reals.capacity() * 8 + column.chars.capacity() +
                 column.textEnds.capacity() * 8 + column.nulls.capacity();
    const tavi::GeometryColumn& g = data.geometry;
    bytes +=
        (g.recordParts.capacity() + g.partPoints.capacity() + g.xy.capacity() + g.z.capacity() + g.m.capacity()) * 8 +
        g.nulls.capacity();
    return bytes;
}

size_t ResidentBytes() {
    long pages = 0, resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return static_cast<size_t>(resident) * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

// The peak resident bytes a read adds, measured in a child process so that no earlier peak of this one hides it:
// the child's peak (getrusage) less what it had resident when it began. The text is the parent's, shared.
size_t PeakOfARead(const tavi::PaddedJson& text) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return 0;
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        const size_t start = ResidentBytes();
        tavi::RecordData data;
        size_t added = 0;
        if (SUCCEEDED(tavi::ReadRecordSetJson(text, data))) {
            rusage usage{};
            getrusage(RUSAGE_SELF, &usage);
            const size_t peak = static_cast<size_t>(usage.ru_maxrss) * 1024;
            added = peak > start ? peak - start : 0;
        }
        if (write(pipeEnds[1], &added, sizeof added) != sizeof added)
            _exit(1);
        _exit(0);
    }
    close(pipeEnds[1]);
    size_t added = 0;
    if (child < 0 || read(pipeEnds[0], &added, sizeof added) != sizeof added)
        added = 0;
    close(pipeEnds[0]);
    if (child > 0)
        waitpid(child, nullptr, 0);
    return added;
}

void ReadMemory(benchmark::State& state) {
    Sample& sample = TheSample();
    const tavi::PaddedJson text = tavi::PaddedJson::Borrow(sample.json);
    size_t peak = 0, columns = 0;
    for (auto _ : state) {
        peak = PeakOfARead(text);
        tavi::RecordData data;
        tavi::ReadRecordSetJson(text, data);
        columns = ColumnBytes(data);
    }
    if (peak == 0)
        state.SkipWithError("the child process measured nothing");
    const double size = static_cast<double>(sample.json.size());
    state.counters["peak_over_text"] = static_cast<double>(peak) / size;
    state.counters["columns_over_text"] = static_cast<double>(columns) / size;
}

// ---- Writing beside a bare writer.

void Append(std::string& out, int64_t value) {
    char buffer[24];
    out.append(buffer, static_cast<size_t>(std::to_chars(buffer, buffer + sizeof buffer, value).ptr - buffer));
}

void Append(std::string& out, double value) {
    char buffer[32];
    out.append(buffer, static_cast<size_t>(std::to_chars(buffer, buffer + sizeof buffer, value).ptr - buffer));
}

// The same structure and numbers, texts copied between quotes as they are: no options, no escapes, no checks.
void WriteBare(const tavi::RecordData& data, std::string& out) {
    out += R"({"displayFieldName":"name","geometryType":"taviGeometryPolyline","fields":[)"
           R"({"name":"OBJECTID","type":"taviFieldTypeOID","alias":"OBJECTID"},)"
           R"({"name":"name","type":"taviFieldTypeString","alias":"name","length":32},)"
           R"({"name":"value","type":"taviFieldTypeDouble","alias":"value"},)"
           R"({"name":"when","type":"taviFieldTypeDate","alias":"when"}],"features":[)";
    const tavi::GeometryColumn& g = data.geometry;
    for (size_t r = 0; r < data.RecordCount(); ++r) {
        out += r ? R"(,{"attributes":{"OBJECTID":)" : R"({"attributes":{"OBJECTID":)";
        Append(out, data.columns[0].integers[r]);
        out += R"(,"name":")";
        out += data.columns[1].Text(r);
        out += R"(","value":)";
        Append(out, data.columns[2].reals[r]);
        out += R"(,"when":)";
        Append(out, data.columns[3].integers[r]);
        out += R"(},"geometry":{"paths":[)";
        for (uint64_t part = g.recordParts[r]; part < g.recordParts[r + 1]; ++part) {
            out += part > g.recordParts[r] ? ",[" : "[";
            for (uint64_t p = g.partPoints[part]; p < g.partPoints[part + 1]; ++p) {
                out += p > g.partPoints[part] ? ",[" : "[";
                Append(out, g.xy[2 * p]);
                out += ',';
                Append(out, g.xy[2 * p + 1]);
                out += ']';
            }
            out += ']';
        }
        out += "]}}";
    }
    out += "]}";
}

void WriteBesideBareWriter(benchmark::State& state) {
    Sample& sample = TheSample();
    std::string ours, bare;
    ours.reserve(sample.json.size() * 2);
    bare.reserve(sample.json.size() * 2);
    tavibench::Rounds rounds;
    for (auto _ : state) {
        ours.clear();
        bare.clear();
        rounds.Time(tavibench::kOurs, [&] { tavi::WriteRecordSetJson(sample.data, taviJsonCompact, ours); });
        rounds.Time(tavibench::kReference, [&] { WriteBare(sample.data, bare); });
        if (ours.size() < bare.size() / 2)
            state.SkipWithError("the writers wrote different amounts");
    }
    state.counters["ours_ms"] = rounds.Total(tavibench::kOurs) * 1e3 / double(state.iterations());
    state.counters["bare_ms"] = rounds.Total(tavibench::kReference) * 1e3 / double(state.iterations());
    state.counters["ratio_to_bare"] = rounds.MedianRatio(tavibench::kOurs, tavibench::kReference);
}

} // namespace

BENCHMARK(ReadBesideSimdjson)->Iterations(7)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadBesideOgrGeoJson)->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteBesideBareWriter)->Iterations(7)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
