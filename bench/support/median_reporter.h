#pragma once
// A console reporter that keeps the median of every repeated benchmark, so that a benchmark
// program can set ours against the peer once the run is over.

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <optional>
#include <string>

namespace qm::bench {

class TMedianReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.aggregate_name != "median")
                continue;
            const std::string& args = run.run_name.args;
            medians_[run.run_name.function_name + (args.empty() ? "" : "/" + args)] =
                run.GetAdjustedRealTime();
        }
    }

    // The median of `name` ("BM_Function" or "BM_Function/argument"), when it ran.
    std::optional<double> Median(const std::string& name) const {
        const auto found = medians_.find(name);
        return found == medians_.end() ? std::nullopt : std::optional(found->second);
    }

    // One line: the label, both medians and ours divided by the peer's.
    void PrintRatio(const char* label, const std::string& ours, const std::string& peer) const {
        const std::optional<double> a = Median(ours);
        const std::optional<double> b = Median(peer);
        if (a && b)
            std::printf("%-34s %10.1f %10.1f %7.2f\n", label, *a, *b, *a / *b);
    }

private:
    std::map<std::string, double> medians_;
};

// Runs the benchmarks named on the command line through `reporter`, then `printRatios`.
template <class F> int RunWithRatios(int& argc, char** argv, TMedianReporter& reporter, F&& printRatios) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printRatios();
    benchmark::Shutdown();
    return 0;
}

} // namespace qm::bench
