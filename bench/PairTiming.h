#pragma once

#include <benchmark/benchmark.h>

#include <chrono>

// Runs our code and its baseline in the same iterations, alternating which goes first, and
// reports both times and their ratio. The benchmark's own time is ours.
template <typename Ours, typename Baseline>
void comparePair(benchmark::State& state, Ours&& ours, Baseline&& baseline) {
    using Clock = std::chrono::steady_clock;
    double oursTotal = 0;
    double baseTotal = 0;
    long iteration = 0;
    for (auto _ : state) {
        double oursSeconds = 0;
        double baseSeconds = 0;
        auto timed = [](auto& work) {
            const auto start = Clock::now();
            work();
            return std::chrono::duration<double>(Clock::now() - start).count();
        };
        if (iteration++ % 2 == 0) {
            baseSeconds = timed(baseline);
            oursSeconds = timed(ours);
        } else {
            oursSeconds = timed(ours);
            baseSeconds = timed(baseline);
        }
        oursTotal += oursSeconds;
        baseTotal += baseSeconds;
        state.SetIterationTime(oursSeconds);
    }
    const double n = double(iteration);
    state.counters["ours_ms"] = oursTotal / n * 1e3;
    state.counters["base_ms"] = baseTotal / n * 1e3;
    state.counters["ratio"] = baseTotal > 0 ? oursTotal / baseTotal : 0;
}
