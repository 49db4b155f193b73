// The picture pane and the viewer on JPEG files: the pane's 236-colour decode of a 12-megapixel
// JPEG (fitted to the control) beside libjpeg-turbo's own `djpeg -scale 1/8 -colors 236` on the
// same file, the viewer's full-colour load beside Qt's QImageReader, and moving through 100
// catalogue rows that each name a 12-megapixel JPEG. Prints ours/peer median ratios after the run.
#include "app/tform1.h"
#include "bench/support/median_reporter.h"
#include "framework/graphics/jpeg_image.h"
#include "framework/graphics/picture.h"
#include "pictures/picture_files.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>
#include <string>

namespace qm::bench {

namespace {

// A photograph-like picture: smooth gradients with fine texture, so that the JPEG is of a usual
// size for its pixel count.
QImage Photograph(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int grain = ((x * 2654435761u) ^ (y * 40503u)) & 15;
            row[x] = qRgb((x * 255 / width + grain) & 0xFF, (y * 255 / height + grain) & 0xFF,
                          ((x + y) * 255 / (width + height) + 2 * grain) & 0xFF);
        }
    }
    return image;
}

QString WriteJPEG(const QString& path, const QImage& image) {
    QImageWriter writer(path, "jpeg");
    writer.setQuality(90);
    if (!writer.write(image))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return path;
}

QTemporaryDir& Folder() {
    static QTemporaryDir dir;
    return dir;
}

const QString& TwelveMegapixels() {
    static const QString path = WriteJPEG(Folder().filePath("12mp.jpg"), Photograph(4000, 3000));
    return path;
}

// The pane's decode as it runs with Stretch on (the state at start): fitted to the control's
// 130 x 169 pixels, quantized to 236 colours. The cache is left out: every decode is a first one.
void BM_PaneJPEG236(benchmark::State& state) {
    for (auto _ : state) {
        TJPEGImage jpeg;
        ApplyPaneJPEGSettings(jpeg);
        jpeg.SetFitSize(QSize(130, 169));
        jpeg.LoadFromFile(TwelveMegapixels());
        TPicture picture;
        picture.Assign(jpeg);
        benchmark::DoNotOptimize(picture.Width());
    }
}

// The pane's decode at full size, as before the decode was fitted to the control.
void BM_PaneJPEG236FullSize(benchmark::State& state) {
    for (auto _ : state) {
        TJPEGImage jpeg;
        ApplyPaneJPEGSettings(jpeg);
        jpeg.LoadFromFile(TwelveMegapixels());
        benchmark::DoNotOptimize(jpeg.GetWidth());
    }
}

// libjpeg-turbo's own program with the same work: the 1/8 DCT scale, 236 colours, two passes,
// Floyd-Steinberg.
void BM_Djpeg236(benchmark::State& state) {
    const std::string command =
        "djpeg -scale 1/8 -colors 236 -bmp -outfile /dev/null '" + TwelveMegapixels().toStdString() + "'";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("djpeg failed (libjpeg-turbo-progs)");
}

void BM_ViewerJPEG(benchmark::State& state) {
    for (auto _ : state) {
        TPicture picture;
        picture.LoadFromFile(TwelveMegapixels());
        benchmark::DoNotOptimize(picture.Width());
    }
}

void BM_QImageReader(benchmark::State& state) {
    for (auto _ : state) {
        QImageReader reader(TwelveMegapixels());
        QImage image = reader.read();
        benchmark::DoNotOptimize(image.width());
    }
}

BENCHMARK(BM_PaneJPEG236)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_PaneJPEG236FullSize)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_Djpeg236)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ViewerJPEG)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_QImageReader)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// 100 rows, each naming a 12-megapixel JPEG of its own, in a catalogue of the program's making.
QString RowsCatalogue() {
    const QString file = Folder().filePath("swdb.mdb");
    { TForm1 create(file); } // the program creates the empty catalogue
    sqlite3* db = nullptr;
    sqlite3_open(file.toUtf8().constData(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (int i = 0; i < 100; ++i) {
        const QImage image = Photograph(4000 + i, 3000);
        const QString path = WriteJPEG(Folder().filePath(QStringLiteral("row%1.jpg").arg(i)), image);
        const std::string sql =
            "INSERT INTO SOFTWARE (Name, Path) VALUES ('row', '" + path.toStdString() + "')";
        sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return file;
}

void BM_MoveThrough100JPEGRows(benchmark::State& state) {
    static const QString file = RowsCatalogue();
    TForm1 form(file);
    form.show();
    TQuery& software = form.Data().ADOQuerySoftware;
    for (auto _ : state) {
        software.First();
        for (int i = 1; i < 100; ++i)
            software.Next();
        QApplication::processEvents();
    }
}

BENCHMARK(BM_MoveThrough100JPEGRows)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

void PrintRatios(const TMedianReporter& reporter) {
    std::printf("\n%-34s %10s %10s %7s\n", "workload", "ours ms", "peer ms", "ratio");
    reporter.PrintRatio("pane 236 colours vs djpeg 1/8", "BM_PaneJPEG236", "BM_Djpeg236");
    reporter.PrintRatio("pane before vs after fitting", "BM_PaneJPEG236FullSize", "BM_PaneJPEG236");
    reporter.PrintRatio("viewer full colour vs QImageReader", "BM_ViewerJPEG", "BM_QImageReader");
    if (const auto moves = reporter.Median("BM_MoveThrough100JPEGRows"))
        std::printf("%-34s %10.2f ms per move\n", "100 rows of 12-megapixel JPEGs", *moves / 100);
}

} // namespace

} // namespace qm::bench

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qm::bench::TwelveMegapixels(); // made before any timing
    qm::bench::TMedianReporter reporter;
    return qm::bench::RunWithRatios(argc, argv, reporter, [&] { qm::bench::PrintRatios(reporter); });
}
