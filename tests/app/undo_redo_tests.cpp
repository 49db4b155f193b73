// Edit → Undo takes back what the window changed in the catalogue, one step at a time, and Redo
// puts it again; the file is compared row for row. A step whose rows another program changed
// since is refused and nothing changes; a step too large to keep is said to be so. Ctrl+Z in a
// text field stays that field's own undo.
#include "app/disc_menu.h"
#include "app/report_actions.h"
#include "app/tform1.h"
#include "app/transfer_runs.h"
#include "framework/controls/dbgrid.h"
#include "tests/app/app_test_support.h"
#include "tests/catalogue/shell.h"
#include "tests/support/disc_images.h"
#include "tests/support/message_box_recorder.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace qm {
namespace {

using test::TShownForm;

// Every row of the four tables and the disc record, and the sort keys kept beside them.
QString WholeFile(const TShownForm& shown) {
    return test::RunSqliteShell(shown.Catalogue().FileName(),
                                "SELECT * FROM SOFTWARE ORDER BY ID; SELECT * FROM CD ORDER BY ID;"
                                "SELECT * FROM Category ORDER BY ID; SELECT * FROM Type ORDER BY ID;"
                                "SELECT * FROM SOFTWARE_KEYS ORDER BY ID; SELECT * FROM DISCS ORDER BY 1;"
                                "SELECT * FROM FILES ORDER BY 1;");
}

// A folder beside the window's catalogue.
QString FolderBeside(TForm1& form, const char* name) {
    return QFileInfo(form.Data().DatabaseFile()).dir().filePath(QLatin1String(name));
}

void PostField(TQuery& query, const char* field, const QVariant& value) {
    query.Edit();
    query.SetFieldValue(QLatin1String(field), value);
    query.Post();
}

struct TStep {
    const char* name;
    const char* menuText; // what the Undo item says once the step is made
    std::function<void(TForm1&)> make;
    std::function<void(TForm1&)> prepare = nullptr; // the state the step starts from
    int softwareRows = 3;                           // before the step, and after its undo
};

const TStep kSteps[] = {
    {"Edit", "Undo Edit 'Chess 2'",
     [](TForm1& f) { PostField(f.Data().ADOQuerySoftware, "Name", QStringLiteral("Chess 2")); }},
    {"Insert", "Undo Insert 'Archive 2'",
     [](TForm1& f) {
         f.Data().ADOQueryCD.Append();
         f.Data().ADOQueryCD.SetFieldValue("Name", QStringLiteral("Archive 2"));
         f.Data().ADOQueryCD.Post();
     }},
    {"Delete", "Undo Delete 'Utilities'", [](TForm1& f) { f.Data().ADOQueryCategory.Delete(); }},
    {"MultiDelete", "Undo Delete 2 records",
     [](TForm1& f) {
         TDBGrid& grid = *f.Ui().DBGridSoftware;
         grid.SetOption(dgConfirmDelete, false);
         grid.SetOption(dgMultiSelect, true);
         for (int row : {0, 2})
             grid.selectionModel()->select(grid.model()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
         ASSERT_TRUE(grid.DeleteRows());
     }},
    {"Description", "Undo Edit 'Chess'",
     [](TForm1& f) {
         f.Ui().DBMemoDescription->setFocus();
         QTest::keyClicks(f.Ui().DBMemoDescription, "and checkers");
         f.Ui().DBGridSoftware->setFocus();
         QTest::keyClick(f.Ui().DBGridSoftware, Qt::Key_Down);
     }},
    {"Picture", "Undo Edit 'Chess'",
     [](TForm1& f) { PostField(f.Data().ADOQuerySoftware, "Path", QStringLiteral("/covers/chess.gif")); }},
    // The catalogue moved out and emptied, then File → "Import…" fills it again.
    {"Import", "Undo Import",
     [](TForm1& f) {
         const test::TMessageBoxRecorder counts;
         f.findChild<TReportActions*>()->ImportFrom(FolderBeside(f, "moved"), QStringLiteral("csv"));
     },
     [](TForm1& f) {
         ExportCatalogueFile(f.Data().DatabaseFile(), FolderBeside(f, "moved"), QStringLiteral("csv"));
         test::RunSqliteShell(
             f.Data().DatabaseFile(),
             "DELETE FROM SOFTWARE; DELETE FROM CD; DELETE FROM Category; DELETE FROM Type;");
     },
     0},
    {"Scan", "Undo Scan 'Disc'", [](TForm1& f) { ScanDiscFrom(f, FolderBeside(f, "Disc")); },
     [](TForm1& f) {
         test::WriteTestFile(FolderBeside(f, "Disc"), QStringLiteral("setup/readme.txt"), "read me");
         test::WriteTestFile(FolderBeside(f, "Disc"), QStringLiteral("game.exe"), QByteArray(5000, 'g'));
     }},
};

void PrintTo(const TStep& step, std::ostream* out) {
    *out << step.name;
}

class UndoRedo : public ::testing::TestWithParam<TStep> {};

TEST_P(UndoRedo, TakesTheStepBackAndPutsItAgain) {
    const TStep& step = GetParam();
    TShownForm shown;
    TForm1& form = shown.Form();
    QAction& undo = *form.UndoRedo.UndoAction();
    QAction& redo = *form.UndoRedo.RedoAction();
    EXPECT_FALSE(undo.isEnabled());
    if (step.prepare)
        step.prepare(form);
    const QString before = WholeFile(shown);
    step.make(form);
    const QString after = WholeFile(shown);
    ASSERT_NE(after, before);
    EXPECT_EQ(undo.text(), step.menuText);

    // Back from the step's dialogs, in the grid of the page the step left shown.
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    auto* grid = form.Ui().TabControl->currentWidget()->findChild<TDBGrid*>();
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(WholeFile(shown), before);
    EXPECT_FALSE(undo.isEnabled());
    EXPECT_EQ(form.Data().ADOQuerySoftware.RecordCount(), step.softwareRows);
    EXPECT_EQ(form.Ui().StatusBar1->PanelText(0), QString::number(step.softwareRows));

    redo.trigger();
    EXPECT_EQ(WholeFile(shown), after);
    EXPECT_EQ(undo.text(), step.menuText);
    EXPECT_FALSE(redo.isEnabled());
}

INSTANTIATE_TEST_SUITE_P(MainWindowEditing, UndoRedo, ::testing::ValuesIn(kSteps),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(UndoRedoRefuses, AStepWhoseRowsAnotherProgramChangedSince) {
    TShownForm shown;
    TForm1& form = shown.Form();
    form.Data().ADOQueryCategory.Delete(); // Utilities, ID 1
    shown.Catalogue().Execute("INSERT INTO Category (ID, Name) VALUES (1, 'Written elsewhere')");
    const QString file = WholeFile(shown);
    test::TMessageBoxRecorder boxes;
    form.UndoRedo.UndoAction()->trigger();
    ASSERT_EQ(boxes.Texts().size(), 1);
    EXPECT_TRUE(boxes.Texts()[0].contains("\"Delete 'Utilities'\" cannot be undone"))
        << boxes.Texts()[0].toStdString();
    EXPECT_EQ(WholeFile(shown), file);
    EXPECT_TRUE(form.UndoRedo.UndoAction()->isEnabled());
}

// The history keeps 64 MiB of steps: a larger one cannot be kept, and the steps before it can no
// longer be undone in order, so the user is told and Undo starts afresh; the change itself stays.
TEST(UndoRedoForgets, AStepTooLargeToKeepAndTheStepsBeforeIt) {
    TShownForm shown;
    TForm1& form = shown.Form();
    PostField(form.Data().ADOQuerySoftware, "Keywords", QStringLiteral("kept"));
    ASSERT_TRUE(form.UndoRedo.UndoAction()->isEnabled());
    test::TMessageBoxRecorder boxes;
    PostField(form.Data().ADOQueryCD, "Name", QByteArray(64 * 1024 * 1024 + 1, 'x'));
    ASSERT_EQ(boxes.Texts().size(), 1);
    EXPECT_EQ(boxes.Texts()[0], QStringLiteral("\"Edit '%1…'\" changed more than Undo can keep: it cannot be "
                                               "undone, and neither can what was done before it.")
                                    .arg(QString(39, u'x')));
    EXPECT_FALSE(form.UndoRedo.UndoAction()->isEnabled());
    EXPECT_FALSE(form.UndoRedo.RedoAction()->isEnabled());
    EXPECT_EQ(shown.Catalogue().Column("SELECT length(Name) FROM CD WHERE ID = 1"),
              QStringList{QString::number(64 * 1024 * 1024 + 1)});
    PostField(form.Data().ADOQuerySoftware, "Keywords", QStringLiteral("after"));
    EXPECT_EQ(form.UndoRedo.UndoAction()->text(), "Undo Edit 'Chess'") << "later steps are kept again";
}

TEST(UndoRedoInTextFields, CtrlZUndoesTheTypingNotTheCatalogue) {
    TShownForm shown;
    TForm1& form = shown.Form();
    PostField(form.Data().ADOQuerySoftware, "Keywords", QStringLiteral("posted"));
    const QString file = WholeFile(shown);
    QLineEdit& search = *form.Ui().EditSearch;
    search.setFocus();
    QTest::keyClicks(&search, "abc");
    QTest::keyClick(&search, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(search.text(), "");
    EXPECT_EQ(WholeFile(shown), file);
    EXPECT_TRUE(form.UndoRedo.UndoAction()->isEnabled());
}

} // namespace
} // namespace qm
