// ReduceColors in every reduction with nearest colour and Floyd–Steinberg, and the 256-colour
// octree palette against ImageMagick's quantizer (`convert IN.ppm -colors 256 +dither OUT.ppm`,
// run as a process on the same image) for time and for the mean squared error of the result.
//
// Images are photograph-like: smooth gradients plus noise from a fixed seed, 0.5, 3 and 12 Mpixel.
#include "colour/fixed_palettes.h"
#include "colour/reduce_colors.h"
#include "framework/graphics/bitmap.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

namespace qm {
namespace {

struct Size {
    int width;
    int height;
};

// 0.5, 3 and 12 Mpixel, indexed by the benchmark argument.
constexpr Size kSizes[] = {{800, 625}, {2000, 1500}, {4000, 3000}};

// Smooth diagonal gradients per channel, a soft radial bump, and +-12 of noise per channel.
TBitmap Photograph(Size size) {
    TBitmap bitmap(size.width, size.height, TPixelFormat::pf24bit);
    std::uint32_t state = 12345;
    auto noise = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<int>((state >> 24) % 25) - 12;
    };
    const int cx = size.width / 3;
    const int cy = size.height / 2;
    const long long radius2 = static_cast<long long>(size.width) * size.width / 4;
    for (int y = 0; y < size.height; ++y) {
        std::uint8_t* p = bitmap.ScanLine(y);
        for (int x = 0; x < size.width; ++x, p += 3) {
            const long long d2 =
                static_cast<long long>(x - cx) * (x - cx) + static_cast<long long>(y - cy) * (y - cy);
            const int bump = d2 < radius2 ? static_cast<int>(80 - 80 * d2 / radius2) : 0;
            const int r = 255 * x / size.width / 2 + 255 * y / size.height / 3 + bump;
            const int g = 200 * (size.width - x) / size.width / 2 + 255 * y / size.height / 2;
            const int b = 255 * (x + y) / (size.width + size.height) + bump / 2;
            p[0] = static_cast<std::uint8_t>(std::clamp(b + noise(), 0, 255));
            p[1] = static_cast<std::uint8_t>(std::clamp(g + noise(), 0, 255));
            p[2] = static_cast<std::uint8_t>(std::clamp(r + noise(), 0, 255));
        }
    }
    return bitmap;
}

const TBitmap& Image(int index) {
    static std::map<int, TBitmap> cache;
    auto found = cache.find(index);
    if (found == cache.end())
        found = cache.emplace(index, Photograph(kSizes[index])).first;
    return found->second;
}

double Megapixels(int index) {
    return kSizes[index].width * static_cast<double>(kSizes[index].height) / 1e6;
}

void SetRate(benchmark::State& state, int index) {
    state.counters["Mpixel/s"] = benchmark::Counter(
        Megapixels(index) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.SetLabel(std::to_string(kSizes[index].width) + "x" + std::to_string(kSizes[index].height));
}

void BM_ReduceColors(benchmark::State& state, TColorReduction reduction, TDitherMode dither) {
    const int index = static_cast<int>(state.range(0));
    TBitmap source = Image(index);
    const std::optional<TPalette> custom = WebPalette();
    for (auto _ : state) {
        auto result = ReduceColors(source, reduction, dither, 8, custom);
        // rmNone shares the source's pixels until written to; writing makes the copy real. The
        // other results own their pixels already, so this costs them nothing.
        benchmark::DoNotOptimize(result->ScanLine(0));
    }
    SetRate(state, index);
}

// Mean over all channels of the squared difference between two images of the same size.
double MeanSquaredError(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB888);
    const QImage y = b.convertToFormat(QImage::Format_RGB888);
    if (x.size() != y.size())
        throw std::runtime_error("images differ in size");
    long long sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const std::uint8_t* p = x.constScanLine(row);
        const std::uint8_t* q = y.constScanLine(row);
        for (int i = 0; i < x.width() * 3; ++i)
            sum += (p[i] - q[i]) * (p[i] - q[i]);
    }
    return static_cast<double>(sum) / (static_cast<double>(x.width()) * x.height() * 3);
}

// Seconds per run of ours, kept so that the ImageMagick benchmark can report the ratio.
std::map<int, double>& OurSeconds() {
    static std::map<int, double> seconds;
    return seconds;
}

void BM_Octree256_Ours(benchmark::State& state) {
    const int index = static_cast<int>(state.range(0));
    TBitmap source = Image(index);
    std::unique_ptr<TBitmap> result;
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        result = ReduceColors(source, TColorReduction::rmQuantize, TDitherMode::dmNearest, 8, std::nullopt);
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    OurSeconds()[index] = total / static_cast<double>(state.iterations());
    state.counters["MSE"] = MeanSquaredError(source.Image(), result->Image());
    SetRate(state, index);
}

void RunConvert(const QStringList& arguments) {
    QProcess process;
    process.start("convert", arguments);
    if (!process.waitForFinished(-1) || process.exitCode() != 0)
        throw std::runtime_error("convert failed: " + process.readAllStandardError().toStdString());
}

void BM_Octree256_ImageMagick(benchmark::State& state, bool quantize) {
    const int index = static_cast<int>(state.range(0));
    QTemporaryDir dir;
    const QString in = dir.filePath("in.ppm");
    const QString out = dir.filePath("out.ppm");
    Image(index).Image().save(in, "PPM");
    QStringList arguments{in};
    if (quantize)
        arguments << "-colors"
                  << "256"
                  << "+dither";
    arguments << out;
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        RunConvert(arguments);
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    QImage mapped(out);
    state.counters["MSE"] = MeanSquaredError(Image(index).Image(), mapped);
    if (OurSeconds().count(index))
        state.counters["time_vs_ours"] =
            total / static_cast<double>(state.iterations()) / OurSeconds()[index];
    SetRate(state, index);
}

constexpr std::pair<TColorReduction, const char*> kReductions[] = {
    {TColorReduction::rmNone, "rmNone"},
    {TColorReduction::rmWindows20, "rmWindows20"},
    {TColorReduction::rmWindows256, "rmWindows256"},
    {TColorReduction::rmWindowsGray, "rmWindowsGray"},
    {TColorReduction::rmMonochrome, "rmMonochrome"},
    {TColorReduction::rmGrayScale, "rmGrayScale"},
    {TColorReduction::rmNetscape, "rmNetscape"},
    {TColorReduction::rmQuantize, "rmQuantize"},
    {TColorReduction::rmQuantizeWindows, "rmQuantizeWindows"},
    {TColorReduction::rmPalette, "rmPalette"},
};

void Register() {
    for (const auto& [reduction, name] : kReductions)
        for (const auto& [dither, ditherName] :
             {std::pair{TDitherMode::dmNearest, "dmNearest"},
              std::pair{TDitherMode::dmFloydSteinberg, "dmFloydSteinberg"}})
            benchmark::RegisterBenchmark(("ReduceColors/" + std::string(name) + "/" + ditherName).c_str(),
                                         BM_ReduceColors, reduction, dither)
                ->DenseRange(0, 2)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
    benchmark::RegisterBenchmark("Octree256/Ours", BM_Octree256_Ours)
        ->DenseRange(0, 2)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("Octree256/ImageMagick", BM_Octree256_ImageMagick, true)
        ->DenseRange(0, 2)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    // What the ImageMagick figure spends on reading and writing the files and starting up.
    benchmark::RegisterBenchmark("Octree256/ImageMagickCopyOnly", BM_Octree256_ImageMagick, false)
        ->DenseRange(0, 2)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

} // namespace
} // namespace qm

int main(int argc, char** argv) {
    qm::Register();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
