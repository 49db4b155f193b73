// Moving tables in and out of catalogues beside the tools people use for the same job, every side
// a process of its own, started, run to its end and waited for:
// - the largest table of nwind.mdb (Order Details) read through our Jet layer into an SQLite file
//   by a process like the program's reading child (this benchmark started again with
//   kReadJetTable), beside mdb-export writing the same table as CSV;
// - a whole Jet catalogue converted by `quillmere import-jet` (the command, its reading child, the
//   new catalogue's schema, syncing and renaming it), beside mdb-export writing its four tables;
// - 100,000 software rows imported from CSV by `quillmere import`, beside the sqlite3 shell's
//   .import of the same file into the same schema;
// - 100,000 software rows as import-jet's reading child writes them into the new catalogue, beside
//   the same rows written into tables that carry their indexes and sort keys from the start;
// - 100,000 software rows imported from CSV as the window's Import… does it, recorded as one Undo
//   step (the engine's session, its size looked at after every row), beside the same import
//   unrecorded, as the command does it: the price of the step.
// Each iteration runs ours and the peer on the same input; the counters give both times and
// their ratio (ours / peer).
#include "catalogue/db/catalogue_schema.h"
#include "catalogue/transfer/catalogue_transfer.h"
#include "catalogue/transfer/source_conversion.h"
#include "framework/data/change_history.h"
#include "framework/data/sqlite_connection.h"
#include "jet/jet_database.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <optional>

namespace qm::bench {

namespace {

constexpr int kSoftwareRows = 100000;
// Makes this program read a Jet table into an SQLite file instead of running benchmarks.
constexpr char kReadJetTable[] = "--read-jet-table";

double SecondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Our programs run with a runtime folder of their own, so that a Quillmere running on the machine
// does not stop them.
QProcessEnvironment OwnRuntime(const QTemporaryDir& dir) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QDir().mkpath(dir.filePath(QStringLiteral("runtime")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("runtime")));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return environment;
}

void RunOrFail(benchmark::State& state, QProcess& process) {
    if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        state.SkipWithError((process.program() + QStringLiteral(" failed: ") +
                             QString::fromUtf8(process.readAllStandardError()))
                                .toStdString()
                                .c_str());
}

// Sets both times and their ratio as counters averaged over the iterations.
void Report(benchmark::State& state, double ours, double peer) {
    state.counters["ours_ms"] = benchmark::Counter(ours * 1000.0, benchmark::Counter::kAvgIterations);
    state.counters["peer_ms"] = benchmark::Counter(peer * 1000.0, benchmark::Counter::kAvgIterations);
    state.counters["ours/peer"] = ours / peer;
}

double RunProcess(benchmark::State& state, const QString& program, const QStringList& arguments,
                  const std::function<void(QProcess&)>& setUp = {}) {
    return SecondsOf([&] {
        QProcess process;
        if (setUp)
            setUp(process);
        process.start(program, arguments);
        RunOrFail(state, process);
    });
}

// What the reading child of import-jet does with a table, for any table: every row through our
// Jet layer into a new SQLite file, journal and syncing off, one transaction.
void ReadJetTableIntoSqlite(const QString& jetFile, const QString& table, const QString& target) {
    QFile::remove(target);
    const TJetDatabase database(jetFile);
    TSQLiteConnection connection(target, TOpenMode::omCreate);
    connection.Execute(QStringLiteral("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF"));
    const QStringList columns = database.ColumnNames(table);
    QStringList quoted;
    QStringList parameters;
    for (const QString& column : columns) {
        quoted << QuoteIdentifier(column);
        parameters << QStringLiteral("?");
    }
    connection.Execute(QStringLiteral("CREATE TABLE t (%1)").arg(quoted.join(u',')));
    InTransaction(connection, [&] {
        TSQLiteStatement insert =
            connection.Prepare(QStringLiteral("INSERT INTO t VALUES (%1)").arg(parameters.join(u',')));
        database.ReadRows(table, [&](const TSourceRow& row) {
            insert.Reset();
            for (size_t c = 0; c < row.size(); ++c)
                insert.Bind(static_cast<int>(c) + 1, row[c]);
            insert.Step();
        });
    });
}

// Ours: this program started again to read the table in a process of its own. The reading alone,
// inside this process, is given too (layer_ms), to show what the process around it costs.
void BM_JetTableBesideMdbExport(benchmark::State& state) {
    const QString jetFile = QStringLiteral(QM_JET_SAMPLES "/nwind.mdb");
    if (!QFileInfo::exists(jetFile))
        return state.SkipWithError("no Jet samples: set QM_JET_SAMPLES_DIR");
    const QString table = QStringLiteral("Order Details");
    QTemporaryDir dir;
    const QString self = QCoreApplication::applicationFilePath();
    double ours = 0;
    double peer = 0;
    double layer = 0;
    for (auto _ : state) {
        ours += RunProcess(state, self, {kReadJetTable, jetFile, table, dir.filePath("ours.db")});
        peer += RunProcess(state, QStringLiteral("mdb-export"), {jetFile, table}, [&](QProcess& process) {
            process.setStandardOutputFile(dir.filePath("peer.csv"));
        });
        layer += SecondsOf([&] { ReadJetTableIntoSqlite(jetFile, table, dir.filePath("layer.db")); });
    }
    Report(state, ours, peer);
    state.counters["layer_ms"] = benchmark::Counter(layer * 1000.0, benchmark::Counter::kAvgIterations);
}

// The program's own path for a Jet catalogue, beside mdb-export writing each of its tables.
void BM_ImportJetBesideMdbExport(benchmark::State& state) {
    const QString jetFile = QStringLiteral(QM_JET_SAMPLES "/catalogue-small.mdb");
    if (!QFileInfo::exists(jetFile))
        return state.SkipWithError("no Jet samples: set QM_JET_SAMPLES_DIR");
    QTemporaryDir dir;
    const QProcessEnvironment environment = OwnRuntime(dir);
    double ours = 0;
    double peer = 0;
    for (auto _ : state) {
        QFile::remove(dir.filePath(QStringLiteral("swdb.mdb")));
        ours += RunProcess(state, QStringLiteral(QM_QUILLMERE_EXE), {"import-jet", jetFile},
                           [&](QProcess& process) {
                               process.setWorkingDirectory(dir.path());
                               process.setProcessEnvironment(environment);
                           });
        for (const char* table : {"CD", "Category", "Type", "SOFTWARE"})
            peer += RunProcess(state, QStringLiteral("mdb-export"), {jetFile, table}, [&](QProcess& process) {
                process.setStandardOutputFile(dir.filePath(QStringLiteral("%1.csv").arg(table)));
            });
    }
    Report(state, ours, peer);
}

// A catalogue of `kSoftwareRows` programs exported as CSV once: names, keywords and 200-character
// descriptions with commas, quotes and line breaks.
QString SoftwareCsvFolder(const QTemporaryDir& dir) {
    const QString folder = dir.filePath(QStringLiteral("csv"));
    const QString file = dir.filePath(QStringLiteral("source.mdb"));
    TSQLiteConnection connection(file, TOpenMode::omCreate);
    CreateCatalogueSchema(connection);
    InTransaction(connection, [&] {
        connection.Execute(QStringLiteral("INSERT INTO CD (Name) VALUES ('Disc 1'), ('Disc 2');"
                                          "INSERT INTO Category (Name) VALUES ('Tools');"
                                          "INSERT INTO Type (Name) VALUES ('Freeware')"));
        TSQLiteStatement insert = connection.Prepare(QStringLiteral(
            "INSERT INTO SOFTWARE (Name, CDID, CategoryID, TypeID, Keywords, Description, Path) "
            "VALUES (?, ?, 1, 1, ?, ?, ?)"));
        const QString description =
            QStringLiteral("A \"useful\" program, line one.\r\nLine two: ").repeated(5).left(200);
        for (int i = 0; i < kSoftwareRows; ++i) {
            insert.Reset();
            insert.Bind(1, QStringLiteral("Program %1").arg(i));
            insert.Bind(2, 1 + i % 2);
            insert.Bind(3, QStringLiteral("tool, number %1, café").arg(i % 977));
            insert.Bind(4, description);
            insert.Bind(5, i % 3 ? QVariant() : QVariant(QStringLiteral("C:\\Pictures\\%1.jpg").arg(i)));
            insert.Step();
        }
    });
    ExportCatalogue(connection, folder, TTransferFormat::tfCsv);
    return folder;
}

void BM_CsvImportBesideSqliteShell(benchmark::State& state) {
    QTemporaryDir dir;
    const QString folder = SoftwareCsvFolder(dir);
    QByteArray schema;
    {
        TSQLiteConnection connection(dir.filePath(QStringLiteral("source.mdb")), TOpenMode::omReadOnly);
        TSQLiteStatement select = connection.Prepare(QStringLiteral(
            "SELECT sql FROM sqlite_master WHERE sql IS NOT NULL AND name NOT LIKE 'sqlite%'"));
        while (select.Step())
            schema += select.Column(0).toString().toUtf8() + ";\n";
    }
    const QProcessEnvironment environment = OwnRuntime(dir);
    double ours = 0;
    double peer = 0;
    for (auto _ : state) {
        QDir(dir.filePath("ours")).removeRecursively();
        QDir().mkpath(dir.filePath("ours"));
        QFile::remove(dir.filePath("peer.db"));
        ours +=
            RunProcess(state, QStringLiteral(QM_QUILLMERE_EXE), {"import", folder}, [&](QProcess& process) {
                process.setWorkingDirectory(dir.filePath("ours"));
                process.setProcessEnvironment(environment);
            });
        peer += SecondsOf([&] {
            QProcess process;
            process.start(QStringLiteral("sqlite3"), {dir.filePath("peer.db")});
            process.write(schema + ".import --csv --skip 1 " + QFile::encodeName(folder) +
                          "/SOFTWARE.csv SOFTWARE\n");
            process.closeWriteChannel();
            RunOrFail(state, process);
        });
    }
    Report(state, ours, peer);
}

// kSoftwareRows programs as a Jet file gives them, already in memory: the writing half of
// import-jet alone (no 100,000-row Jet file is at hand; the reading half is the first benchmark).
class TSoftwareRows : public TTableSource {
public:
    QStringList TableNames() const override { return {"CD", "Category", "Type", "SOFTWARE"}; }
    QStringList ColumnNames(const QString& table) const override {
        if (table == QLatin1String("SOFTWARE"))
            return {"ID", "Name", "CDID", "CategoryID", "TypeID", "Keywords", "Description", "Path"};
        return {"ID", "Name"};
    }
    qint64 RowCount(const QString& table) const override {
        return table == QLatin1String("SOFTWARE") ? kSoftwareRows : 1;
    }
    void ReadRows(const QString& table, const std::function<void(const TSourceRow&)>& onRow) const override {
        if (table != QLatin1String("SOFTWARE"))
            return onRow({1, table});
        const QString description =
            QStringLiteral("A \"useful\" program, line one.\r\nLine two: ").repeated(5).left(200);
        for (int i = 1; i <= kSoftwareRows; ++i)
            onRow({i, QStringLiteral("Program %1").arg(i), 1, 1, 1,
                   QStringLiteral("tool, number %1, café").arg(i % 977), description,
                   i % 3 ? QVariant() : QVariant(QStringLiteral("C:\\Pictures\\%1.jpg").arg(i))});
    }
};

// The new catalogue filled into bare tables whose indexes and sort keys are built once at the end
// (ours), beside the same rows written into tables that have them from the start (peer).
void BM_JetRowsIntoNewCatalogue(benchmark::State& state) {
    QTemporaryDir dir;
    const TSoftwareRows source;
    const QString file = dir.filePath(QStringLiteral("new.mdb"));
    double ours = 0;
    double peer = 0;
    for (auto _ : state) {
        QFile::remove(file);
        ours += SecondsOf([&] {
            auto connection = StartNewCatalogue(file);
            CopySourceCatalogue(source, *connection, {});
            FinishNewCatalogue(std::move(connection));
        });
        QFile::remove(file);
        peer += SecondsOf([&] {
            auto connection = StartNewCatalogue(file);
            CreateCatalogueIndexes(*connection);
            CopySourceCatalogue(source, *connection, {});
            connection->Execute(QStringLiteral("COMMIT"));
        });
    }
    Report(state, ours, peer);
}

// The size the record of an import foresaw at its end and the size of the step it made, in bytes.
struct TRecordedSize {
    qint64 foreseen = 0;
    qint64 changeset = 0;
};

// One import into a new empty catalogue; with `recorded` it is recorded as the window records it.
TRecordedSize ImportIntoNew(const QString& file, const QString& folder, bool recorded) {
    QFile::remove(file);
    PrepareCatalogueFile(file);
    TSQLiteConnection connection(file, TOpenMode::omReadWrite);
    std::optional<TRecordedChange> change;
    if (recorded)
        change.emplace(connection, [](const QString&) { return true; });
    TRecordedSize size;
    InTransaction(connection, [&] {
        ImportCatalogue(connection, folder, TTransferFormat::tfCsv, [&](qint64) {
            if (change)
                size.foreseen = change->Size();
        });
    });
    size.changeset = change ? change->Changeset().size() : 0;
    return size;
}

void BM_RecordedImportBesideUnrecorded(benchmark::State& state) {
    QTemporaryDir dir;
    const QString folder = SoftwareCsvFolder(dir);
    const QString file = dir.filePath(QStringLiteral("imported.mdb"));
    double ours = 0;
    double peer = 0;
    TRecordedSize size;
    for (auto _ : state) {
        ours += SecondsOf([&] { size = ImportIntoNew(file, folder, true); });
        peer += SecondsOf([&] { ImportIntoNew(file, folder, false); });
    }
    Report(state, ours, peer);
    state.counters["foreseen_MiB"] = static_cast<double>(size.foreseen) / (1024.0 * 1024.0);
    state.counters["step_MiB"] = static_cast<double>(size.changeset) / (1024.0 * 1024.0);
}

BENCHMARK(BM_JetTableBesideMdbExport)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImportJetBesideMdbExport)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CsvImportBesideSqliteShell)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_JetRowsIntoNewCatalogue)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_RecordedImportBesideUnrecorded)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

} // namespace qm::bench

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc == 5 && qstrcmp(argv[1], qm::bench::kReadJetTable) == 0) {
        qm::bench::ReadJetTableIntoSqlite(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                                          QString::fromLocal8Bit(argv[4]));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
