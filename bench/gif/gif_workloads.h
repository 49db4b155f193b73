#pragma once
// Frames for the GIF benchmarks, made at run time: photograph-like (smooth gradients with noise,
// 256 colours) and flat graphics (few colours in large areas), at sizes from 1 kpixel to 12 Mpixel.

#include "tests/support/median.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qm::bench {

using test::Median;

enum class TContent { ctPhoto, ctFlat };

struct TWorkload {
    int width;
    int height;
    TContent content;
    bool interlaced;
};

std::vector<std::uint8_t> MakeFrame(const TWorkload& workload);

// The benchmark sizes: 32x32, 256x256, 1024x1024, 4000x3000.
const std::vector<std::pair<int, int>>& WorkloadSizes();

// The CPU time of this thread spent in `work`, in seconds: the machine running the benchmarks is
// shared, and wall time would charge us for other processes.
double CpuSeconds(const std::function<void()>& work);

// Registers `run` as "<prefix>/<photo|flat>[_interlaced]/<width>x<height>" for every size and
// content (and both interlacings when `withInterlaced`), timed by the CPU time it reports.
using TWorkloadBenchmark = void (*)(benchmark::State&, TWorkload);
void RegisterWorkloads(const std::string& prefix, TWorkloadBenchmark run, bool withInterlaced);

} // namespace qm::bench
