// The Software search of the main window on the shared catalogue of 1,000,000 entries, side by side with
// SQLite alone stepping through the same statement: a search with a name and a keywords text
// (Enter to exact row count and the first screen of rows), a title-click re-sort on each of the
// five Software columns, and the time per keystroke of typing a CD name into ComboCD.
//
// Ours runs through the real window (offscreen) by its widgets; the Software query takes the keys
// of a search or of a sort by Name or Keywords from the sort-key table (catalogue/software_keys.h).
// The peer opens the file with the plain SQLite library (its built-in ASCII-only NOCASE and LIKE),
// prepares the statement the window ran (the query's SQL as the mask or the title click built it),
// steps through every row and reads the shown columns of the first screen. The second yardstick
// does the same on the program's own connection (Unicode NOCASE and LIKE), which is also the
// program's way when it has no keys to use (a catalogue on read-only storage that lacks them).
// Wall-clock medians.
#include "app/tform1.h"
#include "bench/catalogue/million_catalogue.h"
#include "framework/controls/dbgrid.h"
#include "framework/controls/statusbar.h"
#include "framework/data/sqlite_connection.h"
#include "tests/support/median.h"

#include <QApplication>
#include <QHeaderView>
#include <QTest>
#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <sqlite3.h>
#include <vector>

namespace qm {

std::unique_ptr<TForm1>& FormHolder();

namespace {

constexpr int kScreenRows = 30;
constexpr int kCDs = 200;

using TSqlite = std::unique_ptr<sqlite3, decltype(&sqlite3_close)>;

TSqlite OpenPlain(const QString& file, int flags) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.toUtf8().constData(), &db, flags, nullptr);
    return TSqlite(db, &sqlite3_close);
}

// The shared benchmark catalogue, with CD names for the combo box to find (added once).
QString Catalogue() {
    const QString file = bench::MillionCatalogue();
    const TSqlite db = OpenPlain(file, SQLITE_OPEN_READWRITE);
    sqlite3_exec(
        db.get(),
        QString("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                "INSERT INTO CD (Name) SELECT 'Disc ' || i FROM n WHERE NOT EXISTS (SELECT 1 FROM CD)")
            .arg(kCDs)
            .toUtf8()
            .constData(),
        nullptr, nullptr, nullptr);
    return file;
}

} // namespace

std::unique_ptr<TForm1>& FormHolder() {
    static std::unique_ptr<TForm1> form;
    return form;
}

namespace {

TForm1& Form() {
    std::unique_ptr<TForm1>& form = FormHolder();
    if (!form) {
        form = std::make_unique<TForm1>(Catalogue());
        form->show();
        QApplication::processEvents();
    }
    return *form;
}

template <typename F> double Seconds(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// What the grid draws of the first screen: the five columns of the first rows.
void ReadFirstScreen(const TDBGrid& grid) {
    const QAbstractItemModel& model = *grid.model();
    for (int row = 0; row < std::min(kScreenRows, model.rowCount()); ++row)
        for (int column = 0; column < model.columnCount(); ++column)
            benchmark::DoNotOptimize(model.data(model.index(row, column)));
}

// Steps through every row of `statement`, reading the five shown columns of the first screen.
template <typename Prepare> long long StepThrough(Prepare&& prepare) {
    sqlite3_stmt* stmt = prepare();
    long long rows = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        if (rows < kScreenRows)
            for (int column : {1, 2, 3, 4, 5})
                benchmark::DoNotOptimize(sqlite3_column_text(stmt, column));
        ++rows;
    }
    sqlite3_finalize(stmt);
    return rows;
}

// Ours beside both yardsticks on the statement the window ran last; `ours` performs one run.
template <typename Ours> void SideBySide(benchmark::State& state, Ours&& ours) {
    TForm1& form = Form();
    const TSqlite plain = OpenPlain(form.Data().DatabaseFile(), SQLITE_OPEN_READONLY);
    TSQLiteConnection same(form.Data().DatabaseFile(), TOpenMode::omReadOnly);
    std::vector<double> oursTimes, plainTimes, sameTimes;
    long long rows = 0;
    for (auto _ : state) {
        const double t = Seconds(ours);
        state.SetIterationTime(t);
        oursTimes.push_back(t);
        const QByteArray sql = form.Data().ADOQuerySoftware.SQL().toUtf8();
        plainTimes.push_back(Seconds([&] {
            rows = StepThrough([&] {
                sqlite3_stmt* stmt = nullptr;
                sqlite3_prepare_v2(plain.get(), sql.constData(), -1, &stmt, nullptr);
                return stmt;
            });
        }));
        sameTimes.push_back(Seconds([&] {
            StepThrough([&] {
                sqlite3_stmt* stmt = nullptr;
                sqlite3_prepare_v2(same.Handle(), sql.constData(), -1, &stmt, nullptr);
                return stmt;
            });
        }));
    }
    if (rows != form.Data().ADOQuerySoftware.RecordCount())
        state.SkipWithError("the window and SQLite disagree on the row count");
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["ours_ms"] = test::Median(oursTimes) * 1e3;
    state.counters["sqlite_ms"] = test::Median(plainTimes) * 1e3;
    state.counters["sqlite_same_functions_ms"] = test::Median(sameTimes) * 1e3;
    state.counters["ours_vs_sqlite"] = test::Median(oursTimes) / test::Median(plainTimes);
    state.counters["ours_vs_sqlite_same_functions"] = test::Median(oursTimes) / test::Median(sameTimes);
}

void BM_SoftwareSearch(benchmark::State& state) {
    Ui::TForm1& ui = Form().Ui();
    ui.TabControl->setCurrentIndex(0);
    ui.EditSearch->setText(QStringLiteral("chess"));
    ui.EditKeywords->setText(QStringLiteral("board"));
    SideBySide(state, [&ui] {
        QTest::keyClick(ui.EditSearch, Qt::Key_Return);
        benchmark::DoNotOptimize(ui.StatusBar1->PanelText(0));
        ReadFirstScreen(*ui.DBGridSoftware);
    });
    ui.EditSearch->clear();
    ui.EditKeywords->clear();
}

void BM_TitleClickResort(benchmark::State& state) {
    Ui::TForm1& ui = Form().Ui();
    const int column = static_cast<int>(state.range(0));
    SideBySide(state, [&ui, column] {
        emit ui.DBGridSoftware->horizontalHeader()->sectionClicked(column);
        ReadFirstScreen(*ui.DBGridSoftware);
    });
}

void BM_ComboKeystroke(benchmark::State& state) {
    Ui::TForm1& ui = Form().Ui();
    ui.TabControl->setCurrentIndex(0);
    const QString name = QStringLiteral("Disc 42");
    std::vector<double> perKey;
    for (auto _ : state) {
        ui.ComboCD->setEditText(QString());
        double typing = 0;
        for (QChar c : name) {
            perKey.push_back(Seconds([&] { QTest::keyClick(ui.ComboCD, c.toLatin1()); }));
            typing += perKey.back();
        }
        state.SetIterationTime(typing);
    }
    state.counters["ms_per_keystroke"] = test::Median(perKey) * 1e3;
    state.counters["rows_last_key"] = Form().Data().ADOQuerySoftware.RecordCount();
    ui.ComboCD->setEditText(QString());
}

// Three runs each, whose medians the counters give.
BENCHMARK(BM_SoftwareSearch)
    ->Name("BM_SoftwareSearch/1000000")
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TitleClickResort)
    ->Name("BM_TitleClickResort/1000000")
    ->DenseRange(0, 4)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComboKeystroke)
    ->Name("BM_ComboKeystroke/1000000")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace qm

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    qm::FormHolder().reset();
    return 0;
}
