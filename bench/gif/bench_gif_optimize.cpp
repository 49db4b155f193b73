// Optimising animations: `quillmere-gif optimize` (default steps, and with --merge-colormaps)
// beside `gifsicle -O2` on the same files, each run as a program the way a user runs it, timed by
// the CPU time of the child process. One benchmark per kind of file: the shared corpus's folders
// (when the corpus is there) and animations made here at run time; files that either program
// cannot write are left out of both sides.

#include "bench/gif/child_run.h"
#include "bench/gif/gif_workloads.h"
#include "gif/gif_extensions.h"
#include "gif/gif_image.h"
#include "tests/support/gif_corpus.h"
#include "tests/support/gif_frames.h"
#include "tests/support/gif_peers.h"

#include <QBuffer>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <ctime>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace qm::bench {
namespace {

struct TRun {
    double cpuSeconds = 0;
    qint64 bytes = 0;
    bool ok = false;
};

// Runs the program to its end; its CPU time and the size of `output`.
TRun RunWriting(const std::vector<std::string>& args, const QString& output) {
    QFile::remove(output);
    const TChildRun run = RunChild(args);
    return {run.cpuSeconds, QFileInfo(output).size(), run.ok};
}

// A file giflib reads as more than one frame.
bool IsAnimation(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    const auto summary = test::GiflibSummary(std::span(
        reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())));
    return summary && summary->imageCount > 1;
}

// The corpus's animations by kind (the folder under the corpus they lie in).
std::map<std::string, std::vector<QString>> AnimationsByKind() {
    std::map<std::string, std::vector<QString>> kinds;
    const QDir corpus(test::GifCorpusDir());
    QDirIterator files(corpus.path(), {"*.gif"}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        if (IsAnimation(path))
            kinds[corpus.relativeFilePath(path).section('/', 0, 0).toStdString()].push_back(path);
    }
    for (auto& [kind, paths] : kinds)
        std::sort(paths.begin(), paths.end());
    return kinds;
}

// Load, Optimize and save in this process: the work without the program around it.
double InProcessSeconds(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    QBuffer in;
    in.setData(file.readAll());
    in.open(QIODevice::ReadOnly);
    timespec start{}, end{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &start);
    TGIFImage image;
    image.LoadFromStream(in);
    image.Optimize({TGIFOptimizeOption::ooCrop, TGIFOptimizeOption::ooMerge, TGIFOptimizeOption::ooCleanup,
                    TGIFOptimizeOption::ooColorMap},
                   TColorReduction::rmNone, TDitherMode::dmNearest, 8);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    image.SaveToStream(out);
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &end);
    return static_cast<double>(end.tv_sec - start.tv_sec) +
           static_cast<double>(end.tv_nsec - start.tv_nsec) / 1e9;
}

struct TTotals {
    int files = 0;
    qint64 input = 0, ours = 0, merged = 0, gifsicle = 0;
    double oursSeconds = 0, mergedSeconds = 0, gifsicleSeconds = 0, inProcessSeconds = 0;
};

TTotals OptimizeAll(const std::vector<QString>& paths, const QTemporaryDir& dir) {
    const std::string tool = QM_GIF_TOOL;
    const QString out = dir.filePath("out.gif");
    TTotals totals;
    for (const QString& path : paths) {
        const std::string in = path.toStdString();
        const TRun ours = RunWriting({tool, "optimize", in, out.toStdString()}, out);
        const TRun merged = RunWriting({tool, "optimize", in, out.toStdString(), "--merge-colormaps"}, out);
        const TRun gifsicle = RunWriting({"gifsicle", "-O2", in, "-o", out.toStdString()}, out);
        if (!ours.ok || !merged.ok || !gifsicle.ok)
            continue;
        ++totals.files;
        totals.input += QFileInfo(path).size();
        totals.ours += ours.bytes;
        totals.merged += merged.bytes;
        totals.gifsicle += gifsicle.bytes;
        totals.oursSeconds += ours.cpuSeconds;
        totals.mergedSeconds += merged.cpuSeconds;
        totals.gifsicleSeconds += gifsicle.cpuSeconds;
        totals.inProcessSeconds += InProcessSeconds(path);
    }
    return totals;
}

void BM_OptimizeCorpus(benchmark::State& state, std::vector<QString> paths) {
    QTemporaryDir dir;
    TTotals totals;
    for (auto _ : state) {
        totals = OptimizeAll(paths, dir);
        state.SetIterationTime(totals.oursSeconds);
    }
    if (totals.files == 0) {
        state.SkipWithError("no animation both programs could write");
        return;
    }
    state.counters["files"] = totals.files;
    state.counters["input_kB"] = static_cast<double>(totals.input) / 1e3;
    state.counters["ours_kB"] = static_cast<double>(totals.ours) / 1e3;
    state.counters["ours_merged_kB"] = static_cast<double>(totals.merged) / 1e3;
    state.counters["gifsicle_kB"] = static_cast<double>(totals.gifsicle) / 1e3;
    state.counters["size_vs_gifsicle"] =
        static_cast<double>(totals.ours) / static_cast<double>(totals.gifsicle);
    state.counters["merged_size_vs_gifsicle"] =
        static_cast<double>(totals.merged) / static_cast<double>(totals.gifsicle);
    state.counters["ours_ms"] = totals.oursSeconds * 1e3;
    state.counters["ours_in_process_ms"] = totals.inProcessSeconds * 1e3;
    state.counters["gifsicle_ms"] = totals.gifsicleSeconds * 1e3;
    state.counters["speed_vs_gifsicle"] = totals.gifsicleSeconds / totals.oursSeconds;
    state.counters["merged_speed_vs_gifsicle"] = totals.gifsicleSeconds / totals.mergedSeconds;
}

// --- animations made here: a still background with a moving, changing object ---

struct TChangedBox {
    int left, top, right, bottom;
};

enum class TLayout {
    lyFullFrames, // every frame the whole screen, opaque
    lyLayers,     // the first frame whole, then each the box that changed, opaque
};

struct TGeneratedKind {
    const char* name;
    TContent background;
    TLayout layout;
    bool localMaps; // every frame its own table: the same colours in another order
};

constexpr int kScreenWidth = 320;
constexpr int kScreenHeight = 240;
constexpr int kFrames = 16;

// The screen of frame `i`: the background, a striped square moving across it and a counter bar.
std::vector<std::uint8_t> Screen(const std::vector<std::uint8_t>& background, int i) {
    std::vector<std::uint8_t> pixels = background;
    const auto put = [&pixels](int x, int y, int value) {
        pixels[static_cast<std::size_t>(y) * kScreenWidth + static_cast<std::size_t>(x)] =
            static_cast<std::uint8_t>(value);
    };
    const int left = 10 + 17 * i;
    const int top = 20 + 9 * i;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x)
            put(left + x, top + y, (x + y + 3 * i) % 16 < 8 ? 2 : 250);
    for (int x = 0; x < 4 * i; ++x)
        for (int y = 0; y < 6; ++y)
            put(8 + x, kScreenHeight - 12 + y, 7);
    return pixels;
}

// The box around the pixels in which two screens differ; the whole screen when none do.
TChangedBox ChangedBox(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    TChangedBox box{kScreenWidth, kScreenHeight, 0, 0};
    for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * kScreenWidth + static_cast<std::size_t>(x);
            if (a[at] == b[at])
                continue;
            box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                   std::max(box.bottom, y + 1)};
        }
    if (box.left >= box.right)
        return {0, 0, kScreenWidth, kScreenHeight};
    return box;
}

QByteArray MakeAnimation(const TGeneratedKind& kind) {
    const auto colour = [](int i) {
        return static_cast<TColor>(i) | static_cast<TColor>((i * 7) & 0xFF) << 8 |
               static_cast<TColor>(255 - i) << 16;
    };
    TGIFImage image;
    image.SetWidth(kScreenWidth);
    image.SetHeight(kScreenHeight);
    if (!kind.localMaps)
        for (int c = 0; c < 256; ++c)
            image.ColorMap().Add(colour(c));
    const auto background = MakeFrame({kScreenWidth, kScreenHeight, kind.background, false});
    std::vector<std::uint8_t> previous;
    for (int i = 0; i < kFrames; ++i) {
        const std::vector<std::uint8_t> screen = Screen(background, i);
        const TChangedBox box = kind.layout == TLayout::lyLayers && i > 0
                                    ? ChangedBox(previous, screen)
                                    : TChangedBox{0, 0, kScreenWidth, kScreenHeight};
        // In a frame's own table, colour c stands at (c + 7 i) mod 256.
        const int shift = kind.localMaps ? 7 * i : 0;
        std::vector<std::uint8_t> pixels;
        for (int y = box.top; y < box.bottom; ++y)
            for (int x = box.left; x < box.right; ++x)
                pixels.push_back(static_cast<std::uint8_t>(
                    (screen[static_cast<std::size_t>(y) * kScreenWidth + static_cast<std::size_t>(x)] +
                     shift) &
                    0xFF));
        TGIFSubImage& frame = test::AddFrame(image, box.right - box.left, box.bottom - box.top,
                                             std::move(pixels), box.left, box.top);
        if (kind.localMaps)
            for (int c = 0; c < 256; ++c)
                frame.ColorMap().Add(colour((c - shift) & 0xFF));
        if (i == 0)
            frame.Extensions().Add(std::make_unique<TGIFAppExtNSLoop>(&frame));
        auto control = std::make_unique<TGIFGraphicControlExtension>(&frame);
        control->SetDelay(5);
        control->SetDisposal(dmNone);
        frame.Extensions().Add(std::move(control));
        previous = screen;
    }
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    image.SaveToStream(out);
    return out.data();
}

const TGeneratedKind kGeneratedKinds[] = {
    {"photo_full_frames_global256", TContent::ctPhoto, TLayout::lyFullFrames, false},
    {"photo_full_frames_local_maps", TContent::ctPhoto, TLayout::lyFullFrames, true},
    {"photo_layers_global256", TContent::ctPhoto, TLayout::lyLayers, false},
    {"flat_full_frames_global256", TContent::ctFlat, TLayout::lyFullFrames, false},
    {"flat_layers_local_maps", TContent::ctFlat, TLayout::lyLayers, true},
};

// The generated animations as files, for the programs to read; the folder lives as long as the run.
std::vector<std::pair<std::string, QString>> GeneratedAnimations() {
    static QTemporaryDir dir;
    std::vector<std::pair<std::string, QString>> files;
    for (const TGeneratedKind& kind : kGeneratedKinds) {
        const QString path = dir.filePath(QString::fromLatin1(kind.name) + ".gif");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(MakeAnimation(kind)) < 0)
            continue;
        files.emplace_back(kind.name, path);
    }
    return files;
}

[[maybe_unused]] const bool kRegistered = [] {
    std::vector<QString> all;
    for (const auto& [name, path] : GeneratedAnimations()) {
        all.push_back(path);
        benchmark::RegisterBenchmark(("OptimizeGenerated/" + name).c_str(), BM_OptimizeCorpus,
                                     std::vector<QString>{path})
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
    }
    benchmark::RegisterBenchmark("OptimizeGenerated/all", BM_OptimizeCorpus, all)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    if (!QFileInfo::exists(test::GifCorpusDir()))
        return false;
    for (auto& [kind, paths] : AnimationsByKind())
        benchmark::RegisterBenchmark(("OptimizeCorpus/" + kind).c_str(), BM_OptimizeCorpus, paths)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3);
    return true;
}();

} // namespace
} // namespace qm::bench

BENCHMARK_MAIN();
