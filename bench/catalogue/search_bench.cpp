// The Software search of the main window on a catalogue of 1,000,000 entries, side by side with
// SQLite alone stepping through the same statement: a search with a name and a keywords text
// (Enter to exact row count and the first screen of rows), a title-click re-sort on each of the
// five Software columns, and the time per keystroke of typing a CD name into ComboCD.
//
// Ours runs through the real window (offscreen) by its widgets. The peer opens the file with the
// plain SQLite library (its built-in NOCASE and LIKE) and, as a second yardstick, with the
// program's own connection (Unicode NOCASE and LIKE); it prepares the statement the window ran,
// steps through every row and reads the shown columns of the first screen. Wall-clock medians.
#include "app/tform1.h"
#include "catalogue/catalogue_schema.h"
#include "framework/controls/dbgrid.h"
#include "framework/controls/statusbar.h"
#include "framework/data/sqlite_connection.h"

#include <QApplication>
#include <QDir>
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

constexpr int kRows = 1'000'000;
constexpr int kScreenRows = 30;
constexpr int kCDs = 200;

const std::array<const char*, 40> kWords{
    "chess",  "board",  "game",   "tool",    "editor", "music", "paint",  "archive",  "disk",   "network",
    "office", "viewer", "player", "backup",  "zip",    "cards", "puzzle", "racing",   "space",  "shooter",
    "font",   "icon",   "clock",  "weather", "mail",   "news",  "chat",   "compiler", "debug",  "sound",
    "video",  "photo",  "print",  "scan",    "tax",    "bank",  "map",    "travel",   "recipe", "garden"};

using TSqlite = std::unique_ptr<sqlite3, decltype(&sqlite3_close)>;

TSqlite OpenPlain(const QString& file, int flags) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.toUtf8().constData(), &db, flags, nullptr);
    return TSqlite(db, &sqlite3_close);
}

int SoftwareRows(const QString& file) {
    if (!QFile::exists(file))
        return 0;
    TSqlite db = OpenPlain(file, SQLITE_OPEN_READONLY);
    sqlite3_stmt* stmt = nullptr;
    int count = 0;
    if (sqlite3_prepare_v2(db.get(), "SELECT COUNT(*) FROM SOFTWARE", -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        count = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    return count;
}

void Fill(const QString& file) {
    TSqlite db = OpenPlain(file, SQLITE_OPEN_READWRITE);
    sqlite3_exec(db.get(), "BEGIN", nullptr, nullptr, nullptr);
    for (int cd = 1; cd <= kCDs; ++cd)
        sqlite3_exec(db.get(),
                     QString("INSERT INTO CD (Name) VALUES ('Disc %1')").arg(cd).toUtf8().constData(),
                     nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db.get(),
                       "INSERT INTO SOFTWARE (Name, CDID, CategoryID, TypeID, Keywords, Description) "
                       "VALUES (?1, ?2, ?3, ?4, ?5, ?6)",
                       -1, &insert, nullptr);
    std::uint32_t seed = 2024;
    const auto next = [&seed](std::uint32_t range) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % range;
    };
    const auto word = [&] { return QString::fromLatin1(kWords[next(kWords.size())]); };
    for (int row = 0; row < kRows; ++row) {
        const QByteArray name = (word() + ' ' + word() + ' ' + QString::number(next(1000))).toUtf8();
        const QByteArray keywords = (word() + ", " + word() + ", " + word()).toUtf8();
        const QByteArray description = (word() + ' ' + word() + ' ' + word() + ' ' + word()).toUtf8();
        sqlite3_bind_text(insert, 1, name.constData(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 2, static_cast<int>(1 + next(kCDs)));
        sqlite3_bind_int(insert, 3, static_cast<int>(1 + next(20)));
        sqlite3_bind_int(insert, 4, static_cast<int>(1 + next(10)));
        sqlite3_bind_text(insert, 5, keywords.constData(), static_cast<int>(keywords.size()),
                          SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 6, description.constData(), static_cast<int>(description.size()),
                          SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db.get(), "COMMIT", nullptr, nullptr, nullptr);
}

// The catalogue is made once and kept in the temporary folder for later runs.
QString Catalogue() {
    const QString dir = QDir::temp().filePath(QStringLiteral("qm_bench_search_%1").arg(kRows));
    const QString file = QDir(dir).filePath(QStringLiteral("swdb.mdb"));
    if (SoftwareRows(file) != kRows) {
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        PrepareCatalogueFile(file);
        Fill(file);
    }
    return file;
}

// One main window over the big catalogue for the whole run, shown offscreen; released by main
// while the application object still lives.
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

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
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
    state.counters["ours_ms"] = Median(oursTimes) * 1e3;
    state.counters["sqlite_ms"] = Median(plainTimes) * 1e3;
    state.counters["sqlite_same_functions_ms"] = Median(sameTimes) * 1e3;
    state.counters["ours_vs_sqlite"] = Median(oursTimes) / Median(plainTimes);
    state.counters["ours_vs_sqlite_same_functions"] = Median(oursTimes) / Median(sameTimes);
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
    state.counters["ms_per_keystroke"] = Median(perKey) * 1e3;
    state.counters["rows_last_key"] = Form().Data().ADOQuerySoftware.RecordCount();
    ui.ComboCD->setEditText(QString());
}

BENCHMARK(BM_SoftwareSearch)
    ->Name("BM_SoftwareSearch/1000000")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TitleClickResort)
    ->Name("BM_TitleClickResort/1000000")
    ->DenseRange(0, 4)
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
