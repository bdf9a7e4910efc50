#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace zelvorin::bench {

// Times `work` alone for a benchmark registered with UseManualTime(): set-up and tear-down around
// it are not counted.
inline void timeIteration(benchmark::State& state, const std::function<void()>& work) {
    const auto began = std::chrono::steady_clock::now();
    work();
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count());
}

// The console report, keeping each benchmark's time and counters under its plain name (before the
// first "/") so that the ratios of one run can be printed after it.
class RatioReporter final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const std::string full = run.benchmark_name();
            const std::string name = full.substr(0, full.find('/'));
            milliseconds[name] = run.GetAdjustedRealTime();
            for (const auto& [counter, value] : run.counters)
                counters[name + "." + counter] = value.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // "ours / base  ratio", nothing when either did not run.
    void printRatio(const std::string& ours, const std::string& base) const {
        const auto a = milliseconds.find(ours), b = milliseconds.find(base);
        if (a == milliseconds.end() || b == milliseconds.end()) return;
        std::printf("%-44s %.3f\n", (ours + " / " + base).c_str(), a->second / b->second);
    }

    // Every counter whose "<benchmark>.<counter>" name contains one of `parts`.
    void printCounters(std::initializer_list<const char*> parts) const {
        for (const auto& [name, value] : counters) {
            for (const char* part : parts) {
                if (name.find(part) != std::string::npos) {
                    std::printf("%-42s %.1f\n", name.c_str(), value);
                    break;
                }
            }
        }
    }

    std::map<std::string, double> milliseconds;
    std::map<std::string, double> counters;
};

// The main of a benchmark program: runs what the command line selects, then `report` prints the
// run's ratios from the reporter.
inline int runWithRatios(int argc, char** argv, const std::function<void(const RatioReporter&)>& report) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nRatios (same run):\n");
    report(reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace zelvorin::bench
