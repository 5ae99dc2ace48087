// Timing ours beside a reference in the same run. Every comparison is timed in rounds, each round timing every side
// once, one right after the other; a side's ratio to the reference is the median of its per-round ratios, so that a
// moment of load on a shared machine moves one round and not the figure, as a ratio of two totals would.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <utility>
#include <vector>

namespace tavibench {

using Clock = std::chrono::steady_clock;

// Seconds that one call of `run` takes.
template <class F> double SecondsOf(F&& run) {
    auto start = Clock::now();
    run();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Seconds per call of `body`, called `count` times in a row: for operations too short to time one at a time.
template <class F> double SecondsPerOp(F&& body, int count) {
    return SecondsOf([&] {
               for (int i = 0; i < count; ++i)
                   body();
           }) /
           count;
}

// The middle one of `values` (the upper middle of an even count); 0 for none.
inline double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// The sides of the common comparison of two.
enum Side : size_t { kOurs = 0, kReference = 1 };

// The times of the sides of a comparison, round by round. A side is a small number chosen by the benchmark; the
// n-th time of one side and the n-th time of another belong to the same round.
class Rounds {
public:
    // Times `run` as the next round of `side`.
    template <class F> void Time(size_t side, F&& run) { Record(side, SecondsOf(run)); }

    // Takes `seconds` as the next round of `side`: for a time the benchmark scales itself.
    void Record(size_t side, double seconds) {
        if (side >= seconds_.size())
            seconds_.resize(side + 1);
        seconds_[side].push_back(seconds);
    }

    // All the time `side` took.
    double Total(size_t side) const {
        double total = 0;
        if (side < seconds_.size())
            for (double seconds : seconds_[side])
                total += seconds;
        return total;
    }

    // The median over the rounds of side / reference.
    double MedianRatio(size_t side, size_t reference) const {
        std::vector<double> ratios;
        if (side < seconds_.size() && reference < seconds_.size()) {
            size_t rounds = std::min(seconds_[side].size(), seconds_[reference].size());
            for (size_t round = 0; round < rounds; ++round)
                if (seconds_[reference][round] > 0)
                    ratios.push_back(seconds_[side][round] / seconds_[reference][round]);
        }
        return Median(std::move(ratios));
    }

private:
    std::vector<std::vector<double>> seconds_;
};

// The median of nine ratios of `ours()` to `reference()`, each a number of seconds timed one right after the other:
// for benchmarks that time whole batches of single calls outside the benchmark loop.
template <class F, class G> double MedianRatioOfBatches(F&& ours, G&& reference) {
    constexpr int kPairs = 9;
    std::vector<double> ratios;
    for (int i = 0; i < kPairs; ++i) {
        double oursSeconds = ours();
        double referenceSeconds = reference();
        if (referenceSeconds > 0)
            ratios.push_back(oursSeconds / referenceSeconds);
    }
    return Median(std::move(ratios));
}

} // namespace tavibench
