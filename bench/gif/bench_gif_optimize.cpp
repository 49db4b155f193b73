// Optimising the shared corpus's animations: `quillmere-gif optimize` (default steps, and with
// --merge-colormaps) beside `gifsicle -O2` on the same files, each run as a program the way a user
// runs it, timed by the CPU time of the child process. One benchmark per kind of file (the
// corpus's folders); files that either program cannot write are left out of both sides.

#include "bench/gif/child_run.h"
#include "gif/gif_image.h"
#include "tests/support/gif_corpus.h"
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

[[maybe_unused]] const bool kRegistered = [] {
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
