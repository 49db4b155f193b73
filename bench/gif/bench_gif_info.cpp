// Decoding as a user meets it: `quillmere-gif info FILE`, which loads and so decodes every frame,
// beside a program that only reads the same file with giflib's DGifSlurp, both started as programs
// and timed by their CPU time, start-up included. The files are made at run time with ImageMagick
// in a temporary folder from one fractal "photograph": 4000x3000 pictures, interlaced and not, and
// 12-frame 960x720 animations cut from it. The ratio ours/giflib is the figure to watch.

#include "bench/gif/child_run.h"
#include "tests/support/median.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <string>
#include <vector>

namespace qm::bench {
namespace {

using test::Median;

struct TInfoFile {
    const char* name;
    QStringList convert; // ImageMagick's steps from the photograph to the file
};

const std::vector<TInfoFile>& InfoFiles() {
    static const QStringList animation = {"-crop", "3840x2160+0+0", "+repage", "-crop", "960x720", "+repage"};
    static const QStringList timing = {"-set", "delay", "10", "-loop", "0"};
    static const std::vector<TInfoFile> files = {
        {"photo", {"-colors", "256"}},
        {"photo_interlaced", {"-colors", "256", "-interlace", "GIF"}},
        {"animation", animation + QStringList{"-colors", "256"} + timing},
        {"animation_interlaced", animation + QStringList{"-colors", "256", "-interlace", "GIF"} + timing},
    };
    return files;
}

// The files, made once on first use; empty when ImageMagick is missing or failed.
class TMadeFiles {
public:
    TMadeFiles() {
        if (QStandardPaths::findExecutable("convert").isEmpty() || !dir_.isValid())
            return;
        const QString source = dir_.filePath("photograph.miff");
        made_ = QProcess::execute("convert", {"-size", "4000x3000", "-seed", "7", "plasma:fractal", "-blur",
                                              "0x1", source}) == 0;
        for (const TInfoFile& file : InfoFiles())
            made_ = made_ && QProcess::execute("convert", QStringList{source} + file.convert +
                                                              QStringList{Path(file)}) == 0;
    }
    bool made() const { return made_; }
    QString Path(const TInfoFile& file) const { return dir_.filePath(QString(file.name) + ".gif"); }

private:
    QTemporaryDir dir_;
    bool made_ = false;
};

void BM_Info(benchmark::State& state, const TInfoFile& file) {
    static const TMadeFiles made;
    if (!made.made()) {
        state.SkipWithError("ImageMagick's convert is missing or could not make the files");
        return;
    }
    const std::string path = made.Path(file).toStdString();
    std::vector<double> ours, giflib, startup;
    for (auto _ : state) {
        const TChildRun info = RunChild({QM_GIF_TOOL, "info", path});
        const TChildRun slurp = RunChild({QM_GIFLIB_SLURP, path});
        const TChildRun version = RunChild({QM_GIF_TOOL, "--version"});
        if (!info.ok || !slurp.ok || !version.ok) {
            state.SkipWithError("a program failed on the file");
            return;
        }
        state.SetIterationTime(info.cpuSeconds);
        ours.push_back(info.cpuSeconds);
        giflib.push_back(slurp.cpuSeconds);
        startup.push_back(version.cpuSeconds);
    }
    state.counters["ours_ms"] = Median(ours) * 1e3;
    state.counters["giflib_ms"] = Median(giflib) * 1e3;
    state.counters["ours_startup_ms"] = Median(startup) * 1e3;
    state.counters["cpu_vs_giflib"] = Median(ours) / Median(giflib);
}

[[maybe_unused]] const bool kRegistered = [] {
    for (const TInfoFile& file : InfoFiles())
        benchmark::RegisterBenchmark((std::string("Info/") + file.name).c_str(), BM_Info, file)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(15);
    return true;
}();

} // namespace
} // namespace qm::bench

BENCHMARK_MAIN();
