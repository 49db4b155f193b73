// The disc record side by side with its peers: finding a file among 1,000,000 recorded ones beside
// SQLite stepping a plain LIKE '%…%' over the same table, and scanning an image of 20,000 files
// beside bsdtar listing it and then extracting every file (both must read everything). The
// catalogue and the image are made once and kept in the temporary folder.
#include "discs/disc_catalogue.h"
#include "framework/data/sqlite_connection.h"
#include "tests/support/disc_images.h"
#include "tests/support/median.h"
#include "tests/support/tool_run.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace qm {
namespace {

constexpr int kFiles = 1000000;
constexpr int kFirstScreen = 200;
constexpr int kImageFiles = 20000;
constexpr int kRounds = 5;

const char* const kFolders[] = {"Setup", "Data", "Docs", "Drivers", "Games", "Tools", "Music", "Images"};
const char* const kWords[] = {"readme", "install", "level", "track", "driver", "manual",  "picture", "config",
                              "update", "patch",   "sound", "font",  "help",   "license", "demo",    "bonus"};
const char* const kExtensions[] = {"txt", "exe", "dll", "dat", "wav", "bmp", "hlp", "ini"};
// One file of the million has a name like no other: the search that must find a needle.
constexpr int kNeedleRow = 777777;
const char kNeedle[] = "Quillmere Bonus/Zebra-Crossing.exe";

QString CachedFile(const QString& name) {
    return QDir(QDir::tempPath()).filePath(name);
}

// A catalogue of 1,000 CDs with 1,000 files each, written through the disc tables' own triggers.
QString MillionFiles() {
    const QString file = CachedFile(QStringLiteral("qm_bench_discs_1M.mdb"));
    if (QFile::exists(file))
        return file;
    const QString partial = file + QStringLiteral(".part");
    QFile::remove(partial);
    {
        TSQLiteConnection connection(partial, TOpenMode::omCreate);
        connection.Execute(QStringLiteral("PRAGMA journal_mode = OFF"));
        connection.Execute(
            QStringLiteral("CREATE TABLE CD (ID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT)"));
        CreateDiscTables(connection);
        InTransaction(connection, [&] {
            TSQLiteStatement cd = connection.Prepare(QStringLiteral("INSERT INTO CD (Name) VALUES (?)"));
            for (int i = 1; i <= kFiles / 1000; ++i) {
                cd.Bind(1, QStringLiteral("CD %1").arg(i));
                cd.Step();
                cd.Reset();
            }
            TSQLiteStatement insert = connection.Prepare(
                QStringLiteral("INSERT INTO FILES (CDID, Path, Size, Modified, Hash) VALUES (?, ?, ?, "
                               "'2001-05-17T10:00:00Z', '0123456789abcdef0123456789abcdef')"));
            for (int row = 1; row <= kFiles; ++row) {
                const QString path = row == kNeedleRow ? QString::fromLatin1(kNeedle)
                                                       : QStringLiteral("%1/%2/%3_%4.%5")
                                                             .arg(QLatin1String(kFolders[row % 8]),
                                                                  QLatin1String(kWords[(row / 8) % 16]),
                                                                  QLatin1String(kWords[(row / 128) % 16]))
                                                             .arg(row)
                                                             .arg(QLatin1String(kExtensions[(row / 7) % 8]));
                insert.BindInt64(1, (row - 1) / 1000 + 1);
                insert.Bind(2, path);
                insert.BindInt64(3, row * 37 % 100000);
                insert.Step();
                insert.Reset();
            }
        });
    }
    QFile::rename(partial, file);
    return file;
}

struct TSqliteCloser {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};

// SQLite alone: the same columns of the first screen through a plain LIKE, stepped to its end.
int PlainLikeFirstScreen(sqlite3* db, const QString& text) {
    const QByteArray sql =
        QStringLiteral("SELECT f.CDID, c.Name, f.Path, f.Size, f.Modified FROM FILES f LEFT JOIN CD c "
                       "ON c.ID = f.CDID WHERE f.Path LIKE '%%1%' LIMIT %2")
            .arg(text)
            .arg(kFirstScreen)
            .toUtf8();
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr);
    int rows = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        benchmark::DoNotOptimize(sqlite3_column_text(statement, 2));
        ++rows;
    }
    sqlite3_finalize(statement);
    return rows;
}

const char* const kSearches[] = {"zebra-cross", "77777.", "install", "e"};

void BM_FindFirstScreen(benchmark::State& state) {
    const QString file = MillionFiles();
    const QString text = QLatin1String(kSearches[state.range(0)]);
    TSQLiteConnection ours(file, TOpenMode::omReadOnly);
    sqlite3* raw = nullptr;
    sqlite3_open_v2(file.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    const std::unique_ptr<sqlite3, TSqliteCloser> plain(raw);
    std::vector<double> oursTimes;
    std::vector<double> plainTimes;
    size_t found = 0;
    for (auto _ : state) {
        for (int round = 0; round < kRounds; ++round) {
            QElapsedTimer timer;
            timer.start();
            found = FindFiles(ours, text, kFirstScreen).size();
            oursTimes.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
            timer.start();
            const int peer = PlainLikeFirstScreen(plain.get(), text);
            plainTimes.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
            if (static_cast<size_t>(peer) != found)
                state.SkipWithError("ours and SQLite found different numbers of files");
        }
    }
    state.SetLabel(text.toStdString());
    state.counters["found"] = static_cast<double>(found);
    state.counters["ours_ms"] = test::Median(oursTimes) * 1e3;
    state.counters["sqlite_ms"] = test::Median(plainTimes) * 1e3;
    state.counters["ours_vs_sqlite"] = test::Median(oursTimes) / test::Median(plainTimes);
}

// 20,000 files of 1 to 8 KiB in 100 folders, and its image.
QString TwentyThousandFileImage() {
    const QString image = CachedFile(QStringLiteral("qm_bench_discs_20k.iso"));
    if (QFile::exists(image))
        return image;
    QTemporaryDir folder;
    QByteArray bytes(8192, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((i * 2654435761u) >> 11);
    for (int i = 0; i < kImageFiles; ++i)
        test::WriteTestFile(folder.path(), QStringLiteral("folder%1/file%2.dat").arg(i % 100).arg(i),
                            bytes.left(1024 + (i * 97) % 7168) + QByteArray::number(i));
    test::MakeIsoImage(folder.path(), image + QStringLiteral(".part"), QStringLiteral("BENCH"));
    QFile::rename(image + QStringLiteral(".part"), image);
    return image;
}

void BM_ScanImage(benchmark::State& state) {
    if (!test::HaveXorriso() || QStandardPaths::findExecutable(QStringLiteral("bsdtar")).isEmpty()) {
        state.SkipWithError("xorriso and bsdtar are needed");
        return;
    }
    const QString image = TwentyThousandFileImage();
    std::vector<double> oursTimes;
    std::vector<double> peerTimes;
    for (auto _ : state) {
        for (int round = 0; round < kRounds; ++round) {
            QTemporaryDir dir;
            const QString catalogue = dir.filePath(QStringLiteral("swdb.mdb"));
            {
                TSQLiteConnection connection(catalogue, TOpenMode::omCreate);
                connection.Execute(
                    QStringLiteral("CREATE TABLE CD (ID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT)"));
                connection.Execute(
                    QStringLiteral("CREATE TABLE SOFTWARE (ID INTEGER PRIMARY KEY, Name TEXT, CDID "
                                   "INTEGER, Path TEXT)"));
                CreateDiscTables(connection);
                QElapsedTimer timer;
                timer.start();
                const TScanResult result = ScanDisc(connection, {image, {}, 0, false, {}});
                oursTimes.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
                if (result.files != kImageFiles)
                    state.SkipWithError("the scan did not record every file");
            }
            QElapsedTimer timer;
            timer.start();
            QProcess list;
            list.setStandardOutputFile(QProcess::nullDevice());
            list.start(QStringLiteral("bsdtar"), {QStringLiteral("-tvf"), image});
            list.waitForFinished(-1);
            QProcess extract;
            extract.setStandardOutputFile(QProcess::nullDevice());
            extract.start(QStringLiteral("bsdtar"), {QStringLiteral("-xOf"), image});
            extract.waitForFinished(-1);
            peerTimes.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        }
    }
    state.counters["ours_ms"] = test::Median(oursTimes) * 1e3;
    state.counters["bsdtar_ms"] = test::Median(peerTimes) * 1e3;
    state.counters["ours_vs_bsdtar"] = test::Median(oursTimes) / test::Median(peerTimes);
    state.counters["image_MB"] = static_cast<double>(QFileInfo(image).size()) / 1e6;
}

BENCHMARK(BM_FindFirstScreen)->DenseRange(0, 3)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanImage)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace qm

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
