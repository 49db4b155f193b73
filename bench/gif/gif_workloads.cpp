#include "bench/gif/gif_workloads.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <time.h>

namespace qm::bench {

namespace {

std::uint8_t PhotoPixel(int x, int y, int width, int height, std::mt19937& random) {
    const double u = static_cast<double>(x) / width;
    const double v = static_cast<double>(y) / height;
    const double field = 0.5 + 0.25 * std::sin(6.0 * u + 2.0 * v) + 0.15 * std::cos(9.0 * v - 4.0 * u * v) +
                         0.1 * std::sin(23.0 * u * v);
    const int noise = static_cast<int>(random() % 7) - 3;
    return static_cast<std::uint8_t>(std::clamp(static_cast<int>(field * 255.0) + noise, 0, 255));
}

std::uint8_t FlatPixel(int x, int y, int width, int height) {
    // Bands, a frame and a disc in a 16-colour palette.
    const int cx = width / 2;
    const int cy = height / 2;
    const long long r = std::min(width, height) / 3;
    if (static_cast<long long>(x - cx) * (x - cx) + static_cast<long long>(y - cy) * (y - cy) < r * r)
        return 5;
    if (x < width / 20 || y < height / 20 || x > width - width / 20 || y > height - height / 20)
        return 1;
    return static_cast<std::uint8_t>(8 + (y * 8 / std::max(1, height)));
}

} // namespace

std::vector<std::uint8_t> MakeFrame(const TWorkload& w) {
    std::mt19937 random(12345);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(w.width) * static_cast<std::size_t>(w.height));
    std::size_t i = 0;
    for (int y = 0; y < w.height; ++y)
        for (int x = 0; x < w.width; ++x)
            pixels[i++] = w.content == TContent::ctPhoto ? PhotoPixel(x, y, w.width, w.height, random)
                                                         : FlatPixel(x, y, w.width, w.height);
    return pixels;
}

const std::vector<std::pair<int, int>>& WorkloadSizes() {
    static const std::vector<std::pair<int, int>> sizes = {{32, 32}, {256, 256}, {1024, 1024}, {4000, 3000}};
    return sizes;
}

void RegisterWorkloads(const std::string& prefix, TWorkloadBenchmark run, bool withInterlaced) {
    for (const auto& [width, height] : WorkloadSizes())
        for (TContent content : {TContent::ctPhoto, TContent::ctFlat})
            for (bool interlaced : {false, true}) {
                if (interlaced && !withInterlaced)
                    continue;
                const std::string name = prefix + (content == TContent::ctPhoto ? "/photo" : "/flat") +
                                         (interlaced ? "_interlaced/" : "/") + std::to_string(width) + "x" +
                                         std::to_string(height);
                benchmark::RegisterBenchmark(name.c_str(), run, TWorkload{width, height, content, interlaced})
                    ->UseManualTime()
                    ->MinTime(0.3)
                    ->Unit(benchmark::kMillisecond);
            }
}

double CpuSeconds(const std::function<void()>& work) {
    auto now = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
    };
    const double start = now();
    work();
    return now() - start;
}

} // namespace qm::bench
