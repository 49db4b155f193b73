// The report of a catalogue of 10,000 entries, each with a 640 x 480 JPEG (100 distinct files,
// so every thumbnail is decoded from a file as in a real catalogue), as PDF and as HTML; the peak
// resident memory of the process after each. Beside it, the thumbnails alone against Qt's own
// JPEG reader scaling at decode time (QImageReader::setScaledSize), the cheapest way Qt offers.
#include "catalogue/db/catalogue_schema.h"
#include "catalogue/report/report_thumbnail.h"
#include "catalogue/report/report_writers.h"
#include "framework/data/sqlite_connection.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

constexpr int kEntries = 10000;
constexpr int kPictures = 100;
// The size of a screenshot or a scanned CD cover as such catalogues keep them; QM_REPORT_PICTURE
// ="1600x1200" measures photographs instead.
const QSize kPictureSize = [] {
    const QStringList size = qEnvironmentVariable("QM_REPORT_PICTURE", QStringLiteral("640x480")).split(u'x');
    return QSize(size.value(0).toInt(), size.value(1).toInt());
}();

double PeakRssMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// A photograph-like picture: gradients under noise, so the JPEG is of a realistic size.
QImage Photograph(int seed) {
    QImage image(kPictureSize, QImage::Format_RGB32);
    QRandomGenerator random(static_cast<quint32>(seed));
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = qRgb((x / 7 + seed * 13 + random.bounded(24)) & 255, (y / 5 + random.bounded(24)) & 255,
                           ((x + y) / 11 + seed) & 255);
    }
    return image;
}

struct TCatalogue {
    QTemporaryDir dir;
    QString file;
    QStringList pictures;
    double rssAfterSetUp = 0;

    TCatalogue() {
        file = dir.filePath(QStringLiteral("swdb.mdb"));
        for (int p = 0; p < kPictures; ++p) {
            pictures << dir.filePath(QStringLiteral("picture%1.jpg").arg(p));
            Photograph(p).save(pictures.back(), "JPEG", 85);
        }
        qm::PrepareCatalogueFile(file);
        qm::TSQLiteConnection connection(file, qm::TOpenMode::omReadWrite);
        connection.Execute(QStringLiteral("BEGIN"));
        for (int cd = 1; cd <= 40; ++cd)
            connection.Execute(QStringLiteral("INSERT INTO CD (Name) VALUES ('Disc %1')").arg(cd));
        connection.Execute(
            QStringLiteral("INSERT INTO Category (ID, Name) VALUES (1, 'Games'), (2, 'Tools')"));
        connection.Execute(QStringLiteral("INSERT INTO \"Type\" (ID, Name) VALUES (1, 'Freeware')"));
        qm::TSQLiteStatement insert = connection.Prepare(QStringLiteral(
            "INSERT INTO SOFTWARE (Name, CDID, CategoryID, TypeID, Keywords, Description, Path)"
            " VALUES (?, ?, ?, 1, 'some keywords', ?, ?)"));
        for (int i = 0; i < kEntries; ++i) {
            insert.Reset();
            insert.Bind(1, QStringLiteral("Program %1").arg(i));
            insert.BindInt64(2, 1 + i % 40);
            insert.BindInt64(3, 1 + i % 2);
            insert.Bind(4, QStringLiteral("A description of two hundred characters or so. ").repeated(4));
            insert.Bind(5, pictures[i % kPictures]);
            insert.Step();
        }
        connection.Execute(QStringLiteral("COMMIT"));
        rssAfterSetUp = PeakRssMiB();
    }
};

TCatalogue& Catalogue() {
    static TCatalogue catalogue;
    return catalogue;
}

void BM_Report(benchmark::State& state, qm::TReportFormat format) {
    TCatalogue& catalogue = Catalogue();
    const QString out = catalogue.dir.filePath(QStringLiteral("report.out"));
    for (auto _ : state) {
        qm::TSQLiteConnection connection(catalogue.file, qm::TOpenMode::omReadOnly);
        qm::TReportModel model(connection, qm::kWholeCatalogueStatement);
        qm::WriteReportFile(model, out, format, {});
    }
    state.counters["entries"] = kEntries;
    state.counters["output_MiB"] = static_cast<double>(QFile(out).size()) / (1 << 20);
    state.counters["peak_rss_MiB"] = PeakRssMiB();
    state.counters["rss_before_MiB"] = catalogue.rssAfterSetUp;
}
BENCHMARK_CAPTURE(BM_Report, pdf_10000_entries, qm::TReportFormat::rfPdf)
    ->Unit(benchmark::kSecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_Report, html_10000_entries, qm::TReportFormat::rfHtml)
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

// The thumbnails of the catalogue's 10,000 pictures, ours and Qt's.
void BM_Thumbnails(benchmark::State& state, bool ours) {
    TCatalogue& catalogue = Catalogue();
    for (auto _ : state)
        for (int i = 0; i < kEntries; ++i) {
            const QString& path = catalogue.pictures[i % kPictures];
            QImage image;
            if (ours) {
                image = qm::MakeThumbnail(path).image;
            } else {
                QImageReader reader(path);
                reader.setScaledSize(
                    reader.size().scaled(qm::kThumbnailSide, qm::kThumbnailSide, Qt::KeepAspectRatio));
                image = reader.read();
            }
            benchmark::DoNotOptimize(image);
        }
    state.counters["seconds_per_thumbnail"] = benchmark::Counter(
        kEntries, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK_CAPTURE(BM_Thumbnails, ours_10000, true)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_Thumbnails, qt_scaled_reader_10000, false)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    Catalogue();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
