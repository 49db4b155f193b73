// Rendering and animation: frame bitmaps of the shared corpus's animations against Qt's own GIF
// reader (which decodes and composes every frame), composing whole animations against ImageMagick's
// -coalesce, and how closely a threaded painter keeps its schedule and how little it costs waiting.

#include "bench/gif/gif_workloads.h"
#include "framework/graphics/canvas.h"
#include "gif/gif_painter.h"
#include "gif/gif_playback.h"
#include "tests/gif/animation_builder.h"
#include "tests/support/gif_corpus.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <memory>
#include <sys/resource.h>

namespace qm::bench {
namespace {

struct TCorpusFile {
    QByteArray bytes;
    std::unique_ptr<TGIFImage> image;
    QString path;
};

const std::vector<TCorpusFile>& Corpus() {
    static const std::vector<TCorpusFile> files = [] {
        std::vector<TCorpusFile> result;
        for (const QString& path : test::CorpusAnimations(8'000'000)) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            TCorpusFile entry{file.readAll(), std::make_unique<TGIFImage>(), path};
            entry.image->LoadFromFile(path);
            result.push_back(std::move(entry));
        }
        return result;
    }();
    return files;
}

int RenderOurs() {
    int frames = 0;
    for (const TCorpusFile& file : Corpus())
        for (const auto& frame : file.image->Images()) {
            frame->FreeBitmap();
            benchmark::DoNotOptimize(frame->GetBitmap());
            ++frames;
        }
    return frames;
}

int ReadWithQt() {
    int frames = 0;
    for (const TCorpusFile& file : Corpus()) {
        QBuffer buffer(const_cast<QByteArray*>(&file.bytes));
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "gif");
        QImage image;
        while (reader.read(&image))
            ++frames;
    }
    return frames;
}

// Ours: every frame's GetBitmap (the frames are decoded beforehand, as they are once loaded).
// Qt: QImageReader reading every frame of the same files.
void BM_FrameBitmaps(benchmark::State& state) {
    if (Corpus().empty()) {
        state.SkipWithError("no corpus animations");
        return;
    }
    std::vector<double> ours, qt;
    int ourFrames = 0, qtFrames = 0;
    for (auto _ : state) {
        const double t = CpuSeconds([&] { ourFrames = RenderOurs(); });
        state.SetIterationTime(t);
        ours.push_back(t);
        qt.push_back(CpuSeconds([&] { qtFrames = ReadWithQt(); }));
    }
    const double oursPerFrame = Median(ours) / ourFrames * 1e6;
    const double qtPerFrame = Median(qt) / qtFrames * 1e6;
    state.counters["files"] = static_cast<double>(Corpus().size());
    state.counters["frames"] = ourFrames;
    state.counters["ours_us_per_frame"] = oursPerFrame;
    state.counters["qt_us_per_frame"] = qtPerFrame;
    state.counters["ours_speedup_vs_qt"] = qtPerFrame / oursPerFrame;
}
BENCHMARK(BM_FrameBitmaps)->UseManualTime()->MinTime(1.0)->Unit(benchmark::kMillisecond);

// CPU seconds used so far by this process (RUSAGE_SELF) or by its finished children.
double UsageSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           1e-6 * static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

// Ours: the render path without writing PNGs (an unthreaded painter, no waiting). ImageMagick:
// `convert-im6.q16 IN -coalesce null:`, one process per file, its CPU time including start-up.
void BM_ComposeAnimations(benchmark::State& state) {
    if (Corpus().empty()) {
        state.SkipWithError("no corpus animations");
        return;
    }
    std::vector<double> ours, magick;
    for (auto _ : state) {
        const double t = CpuSeconds([] {
            for (const TCorpusFile& file : Corpus())
                Play(*file.image, {},
                     [](const QImage& canvas, TGIFPainter&) { benchmark::DoNotOptimize(canvas); });
        });
        state.SetIterationTime(t);
        ours.push_back(t);
        const double before = UsageSeconds(RUSAGE_CHILDREN);
        for (const TCorpusFile& file : Corpus())
            QProcess::execute("convert-im6.q16", {file.path, "-coalesce", "null:"});
        magick.push_back(UsageSeconds(RUSAGE_CHILDREN) - before);
    }
    state.counters["ours_ms"] = Median(ours) * 1e3;
    state.counters["imagemagick_ms"] = Median(magick) * 1e3;
    state.counters["ours_speedup_vs_imagemagick"] = Median(magick) / Median(ours);
}
BENCHMARK(BM_ComposeAnimations)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// A threaded painter plays 20 frames of 5 units (60 ms) at speed 100 on the real clock, with the
// GUI thread in its event loop. Deviation: mean |start of frame k - (start of frame 0 + 60 k)|.
// CPU: the whole process's CPU time over the run's wall time.
void BM_PainterSchedule(benchmark::State& state) {
    int argc = 1;
    char name[] = "bench";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    std::vector<double> deviations, cpu;
    for (auto _ : state) {
        auto image = test::MakeAnimation(
            64, 64, std::vector<test::FrameSpec>(20, {.width = 64, .height = 64, .delay = 5}));
        QImage target = test::CanvasImage(64, 64);
        TCanvas canvas(target);
        std::vector<std::chrono::steady_clock::time_point> starts;
        QEventLoop loop;
        image->OnPaint = [&](TGIFPainter&) { starts.push_back(std::chrono::steady_clock::now()); };
        image->OnEndPaint = [&](TGIFPainter&) { loop.quit(); };
        const auto wallStart = std::chrono::steady_clock::now();
        const double cpuStart = UsageSeconds(RUSAGE_SELF);
        image->Paint(canvas, target.rect(), {TGIFDrawOption::goAsync, TGIFDrawOption::goAnimate});
        loop.exec();
        const double cpuUsed = UsageSeconds(RUSAGE_SELF) - cpuStart;
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
        while (image->Painters().Count() > 0)
            CheckSynchronize(1);
        double total = 0;
        for (std::size_t k = 0; k < starts.size(); ++k) {
            const double actual = std::chrono::duration<double, std::milli>(starts[k] - starts[0]).count();
            total += std::abs(actual - 60.0 * static_cast<double>(k));
        }
        deviations.push_back(total / static_cast<double>(starts.size()));
        cpu.push_back(100.0 * cpuUsed / wall);
        state.SetIterationTime(wall);
    }
    state.counters["mean_abs_deviation_ms"] = Median(deviations);
    state.counters["cpu_percent_of_a_core"] = Median(cpu);
}
BENCHMARK(BM_PainterSchedule)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace qm::bench

BENCHMARK_MAIN();
