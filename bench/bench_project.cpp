// Finding a layer of a project of 1,000 layers by name: the document's look-up (as written first, then without
// regard to case), and the utility object's finding of a map through the process's current project, beside a plain
// hash map of the same names in the same run.
#include "platform/Utf.h"
#include "services/GPUtilities.h"
#include "services/ProjectDocument.h"
#include "support/Rounds.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr int kLayers = 1000;

// A map of 1,000 layers: 100 groups of 8 children and 100 layers of the map itself; names "layer 0"...
std::string ProjectText() {
    std::string text = R"({"format":"tavi-project","version":1,"maps":[{"name":"Other"},{"name":"Big","layers":[)";
    int made = 0;
    auto layer = [&](bool last) {
        text += R"({"name":"layer )" + std::to_string(made) + R"(","kind":"GPFeatureLayer","source":"d/)" +
                std::to_string(made) + R"(.shp"})";
        ++made;
        if (!last)
            text += ",";
    };
    for (int group = 0; group < 100; ++group) {
        text += R"({"name":"layer )" + std::to_string(made++) + R"(","layers":[)";
        for (int child = 0; child < 8; ++child)
            layer(child == 7);
        text += "]},";
    }
    for (int own = 0; own < 100; ++own)
        layer(own == 99);
    return text + "]}]}";
}

std::vector<std::u16string> Names() {
    std::vector<std::u16string> names;
    for (int i = 0; i < kLayers; ++i)
        names.push_back(u"layer " + tavi::FromUtf8(std::to_string((i * 7919) % kLayers)));
    return names;
}

void LayerByName(benchmark::State& state) {
    auto document = tavi::ProjectDocument::Parse(ProjectText(), "/bench/project.json");
    const tavi::ProjectMap& map = document->maps()[1];
    std::unordered_map<std::u16string, size_t> plain;
    for (size_t i = 0; i < map.layers.size(); ++i)
        plain.emplace(map.layers[i].name, i);
    if (map.layers.size() != kLayers) {
        state.SkipWithError("the project does not hold 1,000 layers");
        return;
    }
    const std::vector<std::u16string> names = Names();
    tavibench::Rounds rounds;
    for (auto _ : state) {
        rounds.Time(tavibench::kOurs, [&] {
            for (const auto& name : names)
                benchmark::DoNotOptimize(map.FindLayer(name));
        });
        rounds.Time(tavibench::kReference, [&] {
            for (const auto& name : names)
                benchmark::DoNotOptimize(&map.layers[plain.find(name)->second]);
        });
    }
    state.counters["ours_ns"] = rounds.Total(tavibench::kOurs) * 1e9 / double(state.iterations() * kLayers);
    state.counters["hash_ns"] = rounds.Total(tavibench::kReference) * 1e9 / double(state.iterations() * kLayers);
    state.counters["ratio_to_hash"] = rounds.MedianRatio(tavibench::kOurs, tavibench::kReference);
}

// The utility object's path to a map: the process's current project taken under its mutex, then the name index.
void MapThroughCurrentProject(benchmark::State& state) {
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "tavi-bench-project.json";
    std::ofstream(file) << ProjectText();
    auto utilities = tavi::MakeObject<tavi::GPUtilities>();
    if (FAILED(utilities->put_ProjectPath(tavi::FromUtf8(file.string()).c_str()))) {
        state.SkipWithError("the project cannot be read");
        return;
    }
    std::unordered_map<std::u16string, size_t> plain{{u"Other", 0}, {u"Big", 1}};
    const std::u16string names[] = {u"Big", u"Other"};
    constexpr int kFinds = 1000;
    tavibench::Rounds rounds;
    for (auto _ : state) {
        rounds.Time(tavibench::kOurs, [&] {
            for (int i = 0; i < kFinds; ++i)
                benchmark::DoNotOptimize(tavi::FindProjectItem(tavi::ProjectDocument::Form::Map, names[i % 2]));
        });
        rounds.Time(tavibench::kReference, [&] {
            for (int i = 0; i < kFinds; ++i)
                benchmark::DoNotOptimize(plain.find(names[i % 2])->second);
        });
    }
    utilities->put_ProjectPath(u"");
    std::filesystem::remove(file);
    state.counters["ours_ns"] = rounds.Total(tavibench::kOurs) * 1e9 / double(state.iterations() * kFinds);
    state.counters["hash_ns"] = rounds.Total(tavibench::kReference) * 1e9 / double(state.iterations() * kFinds);
    state.counters["ratio_to_hash"] = rounds.MedianRatio(tavibench::kOurs, tavibench::kReference);
}

} // namespace

BENCHMARK(LayerByName);
BENCHMARK(MapThroughCurrentProject);
BENCHMARK_MAIN();
