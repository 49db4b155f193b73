// The About dialog's plasma tick beside a plain fill of the same 198 × 95 32-bit bitmap (the floor
// any tick must pay), and the dialog's whole tick, which also hands the picture to its control.
// Counters: the share of one core at 25 ticks a second, and the tick's time over the fill's.
#include "app/info_dialog.h"
#include "app/plasma.h"
#include "gif/gif_graphic_binding.h"

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <ctime>

namespace qm {
namespace {

constexpr int kWidth = 198;
constexpr int kHeight = 95;
constexpr double kTicksPerSecond = 25.0;

double& FillSeconds() {
    static double seconds = 0;
    return seconds;
}

// Processor time of this thread: the share of a core is what is asked, and other programs on a busy
// machine do not count against it.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Runs `tick` per iteration and reports the core share at 25 ticks a second and the ratio to the
// fill, once the fill has run.
template <class Tick> double TimeTicks(benchmark::State& state, Tick&& tick) {
    const double start = ThreadSeconds();
    for (auto _ : state)
        tick();
    const double perTick = (ThreadSeconds() - start) / static_cast<double>(state.iterations());
    state.counters["core_share_at_25Hz_%"] = perTick * kTicksPerSecond * 100.0;
    if (FillSeconds() > 0)
        state.counters["time_vs_fill"] = perTick / FillSeconds();
    return perTick;
}

void BM_PlainFill(benchmark::State& state) {
    TBitmap bitmap(kWidth, kHeight, TPixelFormat::pf32bit);
    std::uint32_t value = 0;
    FillSeconds() = TimeTicks(state, [&] {
        value += 1 << 16;
        for (int y = 0; y < bitmap.Height(); ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(bitmap.ScanLine(y));
            std::fill(row, row + bitmap.Width(), value);
        }
        benchmark::DoNotOptimize(bitmap.ScanLine(0));
        benchmark::ClobberMemory();
    });
}

void BM_DrawPlasmaTick(benchmark::State& state) {
    const TPlasmaTable table = MakePlasmaTable();
    TPlasmaPhases phases;
    TBitmap bitmap(kWidth, kHeight, TPixelFormat::pf32bit);
    TimeTicks(state, [&] {
        DrawPlasmaTick(table, phases, bitmap);
        benchmark::DoNotOptimize(bitmap.ScanLine(0));
        benchmark::ClobberMemory();
    });
}

void BM_DialogDrawPlasma(benchmark::State& state) {
    TInfo info;
    info.PlasmaTimer()->stop();
    TimeTicks(state, [&] { info.DrawPlasma(); });
}

} // namespace
} // namespace qm

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    qm::InitializeGIFImage();
    benchmark::RegisterBenchmark("Plasma/PlainFill/198x95", qm::BM_PlainFill)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Plasma/DrawPlasmaTick/198x95", qm::BM_DrawPlasmaTick)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Plasma/DialogDrawPlasma/198x95", qm::BM_DialogDrawPlasma)
        ->Unit(benchmark::kMicrosecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
