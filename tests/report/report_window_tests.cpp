// The report, totals and transfer entries of the main window, driven as a user would reach them.
#include "app/report_actions.h"
#include "app/tform1.h"
#include "framework/core/exceptions.h"
#include "tests/app/app_test_support.h"

#include <QDialog>
#include <QDir>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <gtest/gtest.h>

namespace qm {
namespace {

TReportActions& Actions(TForm1& form) {
    auto* actions = form.findChild<TReportActions*>();
    EXPECT_NE(actions, nullptr);
    return *actions;
}

TEST(ReportWindow, EntriesSitBesideTheSpecifiedOnesWithShortcutsOfTheirOwn) {
    test::TShownForm shown;
    Ui::TForm1& ui = shown.Form().Ui();
    QStringList file;
    for (const QAction* action : ui.MenuFile->actions())
        file << action->text();
    // The report and transfer entries open the menu; Exit stays last.
    EXPECT_EQ(file.mid(0, 6), (QStringList{"Print…", "Export Report…", "", "Export…", "Import…", ""}));
    EXPECT_EQ(file.last(), "Exit");
    EXPECT_EQ(ui.MenuHelp->actions().value(ui.MenuHelp->actions().indexOf(ui.About1) - 1),
              Actions(shown.Form()).HelpStatistics);
    QStringList shortcuts;
    for (const QAction* action : shown.Form().findChildren<QAction*>())
        if (!action->shortcut().isEmpty() && !shortcuts.contains(action->shortcut().toString()))
            shortcuts << action->shortcut().toString();
        else
            EXPECT_TRUE(action->shortcut().isEmpty())
                << action->shortcut().toString().toStdString() << " twice";
}

TEST(ReportWindow, StatisticsCountTheWholeCatalogueWhateverTheSearch) {
    test::TShownForm shown;
    TForm1& form = shown.Form();
    QTest::keyClicks(form.Ui().EditSearch, QStringLiteral("Chess"));
    QTest::keyClick(form.Ui().EditSearch, Qt::Key_Return);
    Actions(form).HelpStatistics->trigger();
    auto* dialog = form.findChild<QDialog*>(QStringLiteral("Statistics"));
    ASSERT_NE(dialog, nullptr);
    const QString text = dialog->findChild<QTextBrowser*>()->toPlainText();
    for (const char* expected :
         {"Entries\\s+3", "Entries without picture\\s+3", "Entries without description\\s+0", "Archive\\s+1",
          "games 1\\s+1", "Tools 2\\s+1", "Utilities\\s+1", "demo\\s+1"})
        EXPECT_TRUE(text.contains(QRegularExpression(QLatin1String(expected)))) << expected << " in\n"
                                                                                << text.toStdString();
    dialog->close();
}

TEST(ReportWindow, TheReportShowsTheRowsTheWindowShows) {
    test::TShownForm shown;
    TForm1& form = shown.Form();
    QTest::keyClicks(form.Ui().EditSearch, QStringLiteral("e"));
    QTest::keyClick(form.Ui().EditSearch, Qt::Key_Return);
    const QString file = shown.Catalogue().Path(QStringLiteral("shown.html"));
    Actions(form).ExportReport(file, TReportFormat::rfHtml);
    const QString html = QString::fromUtf8(test::ReadFile(file));
    EXPECT_TRUE(html.contains(QLatin1String("<h3>Chess</h3>")));
    EXPECT_TRUE(html.contains(QLatin1String("<h3>Editor</h3>")));
    EXPECT_FALSE(html.contains(QLatin1String("Zip Tool"))) << "not found by the search";
}

TEST(ReportWindow, ExportThenImportMovesTheCatalogueIntoAnEmptyOneOnly) {
    test::TShownForm shown;
    const QString folder = shown.Catalogue().Path(QStringLiteral("moved"));
    ASSERT_TRUE(QDir().mkpath(folder));
    test::TMessageBoxRecorder boxes;
    Actions(shown.Form()).ExportTo(folder, QStringLiteral("json"));
    EXPECT_EQ(boxes.Texts(), QStringList{"CD: 3 rows\nCategory: 3 rows\nType: 3 rows\nSOFTWARE: 3 rows"});

    EXPECT_THROW(Actions(shown.Form()).ImportFrom(folder, QStringLiteral("json")), Exception)
        << "the shown catalogue is not empty";

    test::TTempCatalogue empty;
    empty.Create();
    TForm1 form(empty.FileName());
    Actions(form).ImportFrom(folder, QStringLiteral("json"));
    EXPECT_EQ(form.Data().ADOQuerySoftware.RecordCount(), 3);
    EXPECT_EQ(form.Data().ADOQueryCD.RecordCount(), 3);
    EXPECT_EQ(form.Ui().ComboCD->count(), 3);
    EXPECT_EQ(boxes.Texts().size(), 2);
}

// Cancel in the import's progress dialog takes back every row written so far: the catalogue stays
// empty, no Undo step is made, no counts are shown, and the import can be run again.
TEST(ReportWindow, ACancelledImportLeavesTheCatalogueAsItWas) {
    test::TShownForm shown;
    const QString folder = shown.Catalogue().Path(QStringLiteral("moved"));
    test::TMessageBoxRecorder boxes;
    Actions(shown.Form()).ExportTo(folder, QStringLiteral("csv"));
    test::TTempCatalogue empty;
    empty.Create();
    TForm1 form(empty.FileName());
    bool cancelled = false;
    QTimer::singleShot(0, &form, [&] {
        if (auto* progress = form.findChild<QProgressDialog*>(QStringLiteral("TransferProgress"))) {
            progress->cancel();
            cancelled = true;
        }
    });
    Actions(form).ImportFrom(folder, QStringLiteral("csv"));
    ASSERT_TRUE(cancelled);
    EXPECT_EQ(empty.Column("SELECT (SELECT count(*) FROM SOFTWARE) + (SELECT count(*) FROM CD)"),
              QStringList{"0"});
    EXPECT_FALSE(form.UndoRedo.UndoAction()->isEnabled());
    EXPECT_EQ(boxes.Texts().size(), 1) << "only the export's counts";

    Actions(form).ImportFrom(folder, QStringLiteral("csv"));
    EXPECT_EQ(empty.Column("SELECT count(*) FROM SOFTWARE"), QStringList{"3"});
    EXPECT_EQ(form.UndoRedo.UndoAction()->text(), "Undo Import");
}

} // namespace
} // namespace qm
