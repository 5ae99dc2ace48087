// A call from Python through the package, unit.SetAsText("5 meters") on a linear unit, beside the floor of any call
// from Python into C++ (a pybind11 function that takes the same text and does nothing, called from the same kind of
// Python loop) and beside the same call through `tavigp eval` (the request line written to the bridge's process and
// its reply line read back). Reported: ratio_to_floor (package / trivial function) and ratio_to_eval (package / eval).
#include "support/Rounds.h"

#include <benchmark/benchmark.h>
#include <pybind11/embed.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace py = pybind11;

PYBIND11_EMBEDDED_MODULE(floor_calls, module) {
    module.def("trivial", [](const std::string& text) { benchmark::DoNotOptimize(text.data()); });
}

namespace {

constexpr int kCallsPerRound = 2000;
constexpr int kEvalCallsPerRound = 200;

constexpr const char* kLoops = R"(
import tavi
from floor_calls import trivial

unit = tavi.create("GPLinearUnit")

def package_calls(n):
    for _ in range(n):
        unit.SetAsText("5 meters")

def floor_calls(n):
    for _ in range(n):
        trivial("5 meters")
)";

// `tavigp eval` as a child process, spoken to through two pipes.
class EvalProcess {
public:
    EvalProcess() {
        int toChild[2], fromChild[2];
        if (pipe(toChild) != 0 || pipe(fromChild) != 0)
            throw std::runtime_error("no pipes");
        pid_ = fork();
        if (pid_ == 0) {
            dup2(toChild[0], 0);
            dup2(fromChild[1], 1);
            close(toChild[1]);
            close(fromChild[0]);
            execl(TAVIGP_PATH, "tavigp", "eval", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(toChild[0]);
        close(fromChild[1]);
        in_ = fdopen(toChild[1], "w");
        out_ = fdopen(fromChild[0], "r");
        Ask(R"({"new": "GPLinearUnit", "as": "u"})");
    }
    ~EvalProcess() {
        std::fclose(in_); // end of input ends the session
        std::fclose(out_);
        waitpid(pid_, nullptr, 0);
    }
    // Writes one request line and reads its reply line.
    void Ask(const char* request) {
        std::fputs(request, in_);
        std::fputc('\n', in_);
        std::fflush(in_);
        char reply[4096];
        if (!std::fgets(reply, sizeof reply, out_) || std::string(reply).find("\"ok\":true") == std::string::npos)
            throw std::runtime_error("tavigp eval did not answer");
    }

private:
    pid_t pid_ = -1;
    FILE* in_ = nullptr;
    FILE* out_ = nullptr;
};

enum Side : size_t { kPackage, kFloor, kEval };

void PythonCallBesideFloorAndEval(benchmark::State& state) {
    py::scoped_interpreter interpreter;
    py::module_::import("sys").attr("path").attr("insert")(0, TAVI_PYTHON_PATH);
    py::dict scope;
    py::exec(kLoops, scope);
    py::object package = scope["package_calls"], floor = scope["floor_calls"];
    tavibench::Rounds rounds;
    {
        EvalProcess eval;
        for (auto _ : state) {
            rounds.Record(kPackage, tavibench::SecondsOf([&] { package(kCallsPerRound); }) / kCallsPerRound);
            rounds.Record(kFloor, tavibench::SecondsOf([&] { floor(kCallsPerRound); }) / kCallsPerRound);
            rounds.Record(kEval, tavibench::SecondsOf([&] {
                                     for (int i = 0; i < kEvalCallsPerRound; ++i)
                                         eval.Ask(R"({"call": "IGPValue.SetAsText", "on": "u", "args": ["5 meters"]})");
                                 }) / kEvalCallsPerRound);
        }
    }
    double rounds_count = double(state.iterations());
    state.counters["package_ns"] = rounds.Total(kPackage) * 1e9 / rounds_count;
    state.counters["floor_ns"] = rounds.Total(kFloor) * 1e9 / rounds_count;
    state.counters["eval_ns"] = rounds.Total(kEval) * 1e9 / rounds_count;
    state.counters["ratio_to_floor"] = rounds.MedianRatio(kPackage, kFloor);
    state.counters["ratio_to_eval"] = rounds.MedianRatio(kPackage, kEval);
    scope.clear();
}
BENCHMARK(PythonCallBesideFloorAndEval)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // The library's stores for this run only, for both the package and the bridge's process.
    std::string home = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/tavi-bench-python";
    setenv("TAVI_REGISTRY", (home + "-registry.db").c_str(), 0);
    setenv("TAVI_LOCALE", "en_US", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
