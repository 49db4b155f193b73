// Many small animations optimised in one go, as a user with a folder of them would: one run of
// `quillmere-gif optimize -o OUTDIR -j N` (N the processors, and N = 1 for the work alone) beside
// `gifsicle -O2` started once per file, one after the other, and `gifsicle --batch -O2` run once
// over copies of the files (it writes in place). The inputs are the shared corpus's animations,
// or, without the corpus, animations made here. Every side is a child process; the counters give
// the wall time and the CPU time of the children (user and system) per side, their ratios
// (ours / peer: below 1 is faster) and the total sizes written.
#include "tests/gif/animation_builder.h"
#include "tests/gif/gif_test_util.h"
#include "tests/support/gif_corpus.h"
#include "tests/support/median.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>
#include <chrono>
#include <limits>
#include <sys/resource.h>

namespace qm::bench {
namespace {

constexpr int kMadeAnimations = 58;

struct TCost {
    double wallSeconds = 0;
    double cpuSeconds = 0;
};

double ChildrenCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Runs `command` to its end; false when it fails.
bool Succeeds(const QStringList& command) {
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(command.front(), command.mid(1));
    return process.waitForFinished(600000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// Runs every command in turn; false when one fails.
bool RunAll(const std::vector<QStringList>& commands, TCost& cost) {
    const double cpuBefore = ChildrenCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    for (const QStringList& command : commands)
        if (!Succeeds(command)) {
            std::fprintf(stderr, "failed: %s\n", command.join(' ').toLocal8Bit().constData());
            return false;
        }
    cost.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cost.cpuSeconds = ChildrenCpuSeconds() - cpuBefore;
    return true;
}

// Animation `n`: whole-screen frames as a plain encoder writes them, a textured background of a
// 256-colour ramp under a square that moves, of a size and length that differ from file to file.
QByteArray MadeAnimation(int n) {
    const int width = 64 + (n * 37) % 257;
    const int height = 48 + (n * 53) % 181;
    const int frames = 6 + n % 15;
    TGIFImage image;
    for (int i = 0; i < 256; ++i)
        image.ColorMap().Add(static_cast<TColor>(i | (255 - i) << 8 | ((i * 7) & 255) << 16));
    image.SetWidth(width);
    image.SetHeight(height);
    for (int f = 0; f < frames; ++f) {
        test::FrameSpec spec;
        spec.width = width;
        spec.height = height;
        spec.delay = 5;
        spec.pixels.resize(static_cast<std::size_t>(width * height));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const bool square = std::abs(x - f * width / frames) < 12 && std::abs(y - height / 2) < 12;
                spec.pixels[static_cast<std::size_t>(y * width + x)] =
                    static_cast<std::uint8_t>(square ? 255 : (x / 4 + y / 8 + (x * y) % 3) & 127);
            }
        test::AddFrame(image, spec);
    }
    return test::SaveGif(image);
}

// The corpus's animations, or the made ones written into `dir`.
QStringList Inputs(const QTemporaryDir& dir) {
    QStringList paths;
    if (QFileInfo::exists(test::GifCorpusDir())) {
        for (const QString& path : test::CorpusAnimations(std::numeric_limits<long long>::max()))
            paths << path;
        return paths;
    }
    QDir().mkpath(dir.filePath("in"));
    for (int n = 0; n < kMadeAnimations; ++n) {
        const QString path = dir.filePath(QStringLiteral("in/anim-%1.gif").arg(n, 2, 10, QLatin1Char('0')));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(MadeAnimation(n));
        paths << path;
    }
    return paths;
}

qint64 FolderBytes(const QString& folder) {
    qint64 bytes = 0;
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files))
        bytes += file.size();
    return bytes;
}

// Copies of `paths` under distinct names in `folder`, for gifsicle --batch to overwrite.
QStringList Copies(const QStringList& paths, const QString& folder) {
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    QStringList copies;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        copies << QDir(folder).filePath(QStringLiteral("%1-%2").arg(i).arg(QFileInfo(paths[i]).fileName()));
        QFile::copy(paths[i], copies.back());
    }
    return copies;
}

void BM_OptimizeFolder(benchmark::State& state) {
    QTemporaryDir dir;
    const QStringList inputs = Inputs(dir);
    const QString tool = QStringLiteral(QM_GIF_TOOL);
    // Files that either program cannot write (the corpus holds broken ones on purpose) are left
    // out of every side.
    QStringList workable;
    const QString probe = dir.filePath("probe.gif");
    for (const QString& input : inputs)
        if (Succeeds({tool, "optimize", input, probe}) && Succeeds({"gifsicle", "-O2", input, "-o", probe}))
            workable << input;
    // Inputs of one name in different corpus folders: ours refuses to write both into one folder.
    const QStringList unique = Copies(workable, dir.filePath("named"));
    const QString processors = QString::number(std::max(1, QThread::idealThreadCount()));
    std::vector<double> ours, oursCpu, single, singleCpu, each, eachCpu, batch, batchCpu;
    qint64 oursBytes = 0, gifsicleBytes = 0;
    for (auto _ : state) {
        TCost cost;
        const QString out = dir.filePath("ours");
        QDir(out).removeRecursively();
        bool ok = RunAll({QStringList{tool, "optimize", "-j", processors, "-o", out} + unique}, cost);
        ours.push_back(cost.wallSeconds);
        oursCpu.push_back(cost.cpuSeconds);
        oursBytes = FolderBytes(out);
        QDir(out).removeRecursively();
        ok = ok && RunAll({QStringList{tool, "optimize", "-j", "1", "-o", out} + unique}, cost);
        single.push_back(cost.wallSeconds);
        singleCpu.push_back(cost.cpuSeconds);

        const QString peerOut = dir.filePath("gifsicle");
        QDir(peerOut).removeRecursively();
        QDir().mkpath(peerOut);
        std::vector<QStringList> perFile;
        for (const QString& input : unique)
            perFile.push_back(
                {"gifsicle", "-O2", input, "-o", QDir(peerOut).filePath(QFileInfo(input).fileName())});
        ok = ok && RunAll(perFile, cost);
        each.push_back(cost.wallSeconds);
        eachCpu.push_back(cost.cpuSeconds);
        gifsicleBytes = FolderBytes(peerOut);

        const QStringList copies = Copies(unique, dir.filePath("batch"));
        ok = ok && RunAll({QStringList{"gifsicle", "--batch", "-O2"} + copies}, cost);
        batch.push_back(cost.wallSeconds);
        batchCpu.push_back(cost.cpuSeconds);
        if (!ok || unique.isEmpty()) {
            state.SkipWithError("no animation both programs write (is gifsicle installed?)");
            return;
        }
        state.SetIterationTime(ours.back());
    }
    using test::Median;
    state.counters["files"] = static_cast<double>(unique.size());
    state.counters["jobs"] = processors.toDouble();
    state.counters["ours_ms"] = Median(ours) * 1e3;
    state.counters["ours_cpu_ms"] = Median(oursCpu) * 1e3;
    state.counters["ours_j1_ms"] = Median(single) * 1e3;
    state.counters["gifsicle_each_ms"] = Median(each) * 1e3;
    state.counters["gifsicle_each_cpu_ms"] = Median(eachCpu) * 1e3;
    state.counters["gifsicle_batch_ms"] = Median(batch) * 1e3;
    state.counters["gifsicle_batch_cpu_ms"] = Median(batchCpu) * 1e3;
    state.counters["wall_vs_each"] = Median(ours) / Median(each);
    state.counters["wall_vs_batch"] = Median(ours) / Median(batch);
    state.counters["j1_wall_vs_batch"] = Median(single) / Median(batch);
    state.counters["cpu_vs_each"] = Median(oursCpu) / Median(eachCpu);
    state.counters["cpu_vs_batch"] = Median(oursCpu) / Median(batchCpu);
    state.counters["input_kB"] = static_cast<double>(FolderBytes(dir.filePath("named"))) / 1e3;
    state.counters["ours_kB"] = static_cast<double>(oursBytes) / 1e3;
    state.counters["gifsicle_kB"] = static_cast<double>(gifsicleBytes) / 1e3;
}

BENCHMARK(BM_OptimizeFolder)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
} // namespace qm::bench

BENCHMARK_MAIN();
