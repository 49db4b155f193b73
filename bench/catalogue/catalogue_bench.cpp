// Opening the Software query on 1,000,000 rows until the record count is exact and the first
// screen is readable, beside SQLite alone stepping through the same statement; for the order of
// the primary key and for the five orders of a title click. Prints ours/SQLite median ratios and
// how much the process grew for the open.
#include "bench/catalogue/million_catalogue.h"
#include "bench/support/median_reporter.h"
#include "framework/data/query.h"

#include <QFile>
#include <array>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <sqlite3.h>
#include <string>

namespace qm::bench {

namespace {

constexpr int kScreenRows = 40;

struct TOrder {
    const char* label;
    const char* sql;
};

const std::array<TOrder, 6> kOrders{{
    {"ID", "SELECT * FROM SOFTWARE ORDER BY ID ASC"},
    {"Name", "SELECT * FROM SOFTWARE ORDER BY NAME ASC"},
    {"CDID", "SELECT * FROM SOFTWARE ORDER BY CDID ASC"},
    {"CategoryID", "SELECT * FROM SOFTWARE ORDER BY CategoryID ASC"},
    {"TypeID", "SELECT * FROM SOFTWARE ORDER BY TypeID ASC"},
    {"Keywords", "SELECT * FROM SOFTWARE ORDER BY Keywords ASC"},
}};

const QString& Catalogue() {
    static const QString file = MillionCatalogue();
    return file;
}

// Resident and peak resident memory in KiB.
long StatusKiB(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(static_cast<int>(qstrlen(field))).trimmed().split(' ').front().toLong();
    return 0;
}

void ResetPeak() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

void OpenAndShowFirstScreen(TQuery& query) {
    query.Close();
    query.Open();
    benchmark::DoNotOptimize(query.RecordCount());
    for (int row = 0; row < kScreenRows && row < query.RecordCount(); ++row)
        for (int field = 0; field < query.FieldCount(); ++field)
            benchmark::DoNotOptimize(query.Value(row, field));
}

void BM_Ours(benchmark::State& state) {
    const TOrder& order = kOrders[static_cast<size_t>(state.range(0))];
    TQuery query(Catalogue());
    query.SetSQL(QLatin1String(order.sql));
    ResetPeak();
    const long before = StatusKiB("VmRSS:");
    for (auto _ : state)
        OpenAndShowFirstScreen(query);
    state.counters["rows"] = query.RecordCount();
    state.counters["peak_growth_MiB"] = static_cast<double>(StatusKiB("VmHWM:") - before) / 1024.0;
    state.SetLabel(order.label);
}

// The yardstick: SQLite alone (its own NOCASE), the same statement stepped to its end.
void BM_SQLite(benchmark::State& state) {
    const TOrder& order = kOrders[static_cast<size_t>(state.range(0))];
    sqlite3* db = nullptr;
    sqlite3_open_v2(Catalogue().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, order.sql, -1, &statement, nullptr) != SQLITE_OK)
        state.SkipWithError(sqlite3_errmsg(db));
    int rows = 0;
    for (auto _ : state) {
        rows = 0;
        while (sqlite3_step(statement) == SQLITE_ROW)
            ++rows;
        sqlite3_reset(statement);
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    state.counters["rows"] = rows;
    state.SetLabel(order.label);
}

void Orders(benchmark::internal::Benchmark* bench) {
    for (size_t i = 0; i < kOrders.size(); ++i)
        bench->Arg(static_cast<int64_t>(i));
    bench->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3)->ReportAggregatesOnly(true);
}

BENCHMARK(BM_Ours)->Apply(Orders)->Iterations(1);
BENCHMARK(BM_SQLite)->Apply(Orders)->Iterations(1);

void PrintRatios(const TMedianReporter& reporter) {
    std::printf("\n%-34s %10s %10s %7s\n", "order", "ours ms", "sqlite ms", "ratio");
    for (size_t i = 0; i < kOrders.size(); ++i)
        reporter.PrintRatio(kOrders[i].label, "BM_Ours/" + std::to_string(i),
                            "BM_SQLite/" + std::to_string(i));
}

} // namespace

} // namespace qm::bench

int main(int argc, char** argv) {
    qm::bench::Catalogue(); // made before any timing
    qm::bench::TMedianReporter reporter;
    return qm::bench::RunWithRatios(argc, argv, reporter, [&] { qm::bench::PrintRatios(reporter); });
}
