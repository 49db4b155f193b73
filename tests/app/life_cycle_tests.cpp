// The main window's life cycle: what showing it sets up, what closing it saves, and the help
// viewer.
#include "app/help_viewer.h"
#include "app/tform1.h"
#include "framework/controls/statusbar.h"
#include "tests/app/app_test_support.h"

#include <QTest>
#include <QTextBrowser>
#include <gtest/gtest.h>

namespace qm {
namespace {

using test::TShownForm;
using test::TTempCatalogue;

QStringList Items(const QComboBox& combo) {
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i);
    return items;
}

QStringList SoftwareNamesShown(TForm1& form) {
    QAbstractItemModel& model = *form.Ui().DBGridSoftware->model();
    QStringList names;
    for (int row = 0; row < model.rowCount(); ++row)
        names << model.index(row, 0).data().toString();
    return names;
}

// What the memo's key handler leaves behind when the user types a description.
void TypeDescription(TForm1& form, const QString& text) {
    form.Ui().DBMemoDescription->setPlainText(text);
    form.State().DescriptionModified = true;
}

TEST(MainWindowShow, ShowsSoftwareInIdOrderWithTheCountAndAnEmptyMask) {
    TShownForm shown;
    TForm1& form = shown.Form();
    Ui::TForm1& ui = form.Ui();
    EXPECT_EQ(form.Data().ADOQuerySoftware.SQL(), "SELECT * FROM SOFTWARE ORDER BY ID ASC");
    EXPECT_EQ(SoftwareNamesShown(form), (QStringList{"Chess", "Editor", "Zip Tool"}));
    EXPECT_EQ(ui.StatusBar1->PanelText(0), "3");
    EXPECT_EQ(QApplication::focusWidget(), ui.EditSearch);
    for (QLineEdit* edit : {ui.EditSearch, ui.EditKeywords, ui.EditDescription})
        EXPECT_TRUE(edit->text().isEmpty());
    for (QComboBox* combo : {ui.ComboCD, ui.ComboCategory, ui.ComboType})
        EXPECT_TRUE(combo->currentText().isEmpty()) << combo->objectName().toStdString();
}

TEST(MainWindowShow, NameListsAreAlphabeticalWhateverTheCaseAndKeepDuplicates) {
    TShownForm shown;
    Ui::TForm1& ui = shown.Form().Ui();
    EXPECT_EQ(Items(*ui.ComboCD), (QStringList{"Archive", "games 1", "Tools 2"}));
    EXPECT_EQ(Items(*ui.ComboCategory), (QStringList{"Games", "Games", "Utilities"}));
    EXPECT_EQ(Items(*ui.ComboType), (QStringList{"demo", "Freeware", "Shareware"}));
}

TEST(MainWindowShow, RefillingAListKeepsTheTypedTextAndTheSavedTextsComeBack) {
    TShownForm shown;
    TForm1& form = shown.Form();
    Ui::TForm1& ui = form.Ui();
    ui.ComboType->setEditText(QStringLiteral("Share"));
    form.Browsing.FillTypeList();
    EXPECT_EQ(ui.ComboType->currentText(), "Share");

    form.State().SavedSearch = QStringLiteral("chess");
    form.State().SavedCategory = QStringLiteral("Games");
    form.State().SavedDescription = QStringLiteral("plays");
    form.Browsing.RefreshLookupLists(false);
    EXPECT_TRUE(ui.EditSearch->text().isEmpty());
    form.Browsing.RefreshLookupLists(true);
    EXPECT_EQ(ui.EditSearch->text(), "chess");
    EXPECT_EQ(ui.ComboCategory->currentText(), "Games");
    EXPECT_EQ(ui.EditDescription->text(), "plays");
    EXPECT_TRUE(ui.ComboCD->currentText().isEmpty());
}

TEST(MainWindowShow, AnEmptyCatalogueShowsZeroRowsAndEmptyLists) {
    TTempCatalogue catalogue;
    TForm1 form(catalogue.FileName());
    form.show();
    EXPECT_EQ(form.Ui().StatusBar1->PanelText(0), "0");
    EXPECT_EQ(form.Ui().ComboCD->count(), 0);
    EXPECT_EQ(form.Ui().ComboType->count(), 0);
    EXPECT_TRUE(QFile::exists(catalogue.FileName()));
}

TEST(MainWindowShow, CreationStartsWithEmptySavedTextsAndNothingToSave) {
    TTempCatalogue catalogue;
    TForm1 form(catalogue.FileName());
    const TMainWindowState& state = form.State();
    for (const QString* text :
         {&state.SavedSearch, &state.SavedCD, &state.SavedCategory, &state.SavedType, &state.SavedKeywords,
          &state.SavedDescription, &state.SavedCDFilter, &state.SavedCategoryFilter, &state.SavedTypeFilter})
        EXPECT_TRUE(text->isEmpty());
    EXPECT_FALSE(state.DescriptionModified);
}

TEST(MainWindowClose, APendingDescriptionIsWrittenToTheCurrentRow) {
    TShownForm shown;
    TForm1& form = shown.Form();
    form.Data().ADOQuerySoftware.MoveTo(1);
    TypeDescription(form, QStringLiteral("Edits text, now with macros"));
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.State().DescriptionModified);
    EXPECT_EQ(shown.Catalogue().Column("SELECT Description FROM SOFTWARE WHERE ID = 5"),
              QStringList{"Edits text, now with macros"});
    EXPECT_EQ(shown.Catalogue().Column("SELECT Description FROM SOFTWARE WHERE ID = 2"),
              QStringList{"Plays chess"});
}

TEST(MainWindowClose, AnUntouchedDescriptionIsNotWritten) {
    TShownForm shown;
    TForm1& form = shown.Form();
    form.Ui().DBMemoDescription->setPlainText(QStringLiteral("changed in code only"));
    EXPECT_TRUE(form.close());
    EXPECT_EQ(shown.Catalogue().Column("SELECT Description FROM SOFTWARE WHERE ID = 2"),
              QStringList{"Plays chess"});
}

TEST(MainWindowClose, ExitActionAndCtrlEClose) {
    TShownForm shown;
    TForm1& form = shown.Form();
    form.Ui().FileExit->trigger();
    EXPECT_FALSE(form.isVisible());

    TShownForm again;
    QTRY_COMPARE(QApplication::focusWidget(), again.Form().Ui().EditSearch);
    QTest::keyClick(again.Form().Ui().EditSearch, Qt::Key_E, Qt::ControlModifier);
    EXPECT_FALSE(again.Form().isVisible());
}

TEST(MainWindowDescription, ADescriptionTypedIntoAnEmptyTableStartsARowAndIsKept) {
    TTempCatalogue catalogue;
    TForm1 form(catalogue.FileName());
    form.show();
    QTest::keyClicks(form.Ui().DBMemoDescription, QStringLiteral("nowhere else to go"));
    EXPECT_EQ(form.Data().ADOQuerySoftware.State(), TDataSetState::dsInsert);
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.State().DescriptionModified);
    EXPECT_EQ(catalogue.Column("SELECT Description FROM SOFTWARE"), QStringList{"nowhere else to go"});
}

TEST(MainWindowDescription, AFailedSaveIsReportedAndKeepsTheWindowAndTheTextUntilClosedAgain) {
    TShownForm shown;
    TForm1& form = shown.Form();
    // A trigger that refuses every change stands for a database that rejects the post.
    shown.Catalogue().Execute(QStringLiteral(
        "CREATE TRIGGER refuse BEFORE UPDATE ON SOFTWARE BEGIN SELECT RAISE(ABORT, 'refused'); END;"));
    TypeDescription(form, QStringLiteral("will not be stored"));
    test::TMessageBoxRecorder catcher;
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.Ui().DBMemoDescription->toPlainText(), "will not be stored");
    EXPECT_EQ(form.Data().ADOQuerySoftware.State(), TDataSetState::dsEdit);
    ASSERT_EQ(catcher.Texts().size(), 1);
    EXPECT_TRUE(catcher.Texts().value(0).contains("refused"));
    EXPECT_EQ(shown.Catalogue().Column("SELECT Description FROM SOFTWARE WHERE ID = 2"),
              QStringList{"Plays chess"});
    // Told once, closing again closes.
    EXPECT_TRUE(form.close());
    EXPECT_EQ(catcher.Texts().size(), 1);
}

TEST(MainWindowHelp, OpensTheHelpDocumentAtItsContentsInOneViewer) {
    TShownForm shown;
    TForm1& form = shown.Form();
    form.Ui().HelpQuillmereHelp->trigger();
    auto* viewer = form.findChild<THelpViewer*>(QStringLiteral("HelpViewer"));
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->Browser()->documentTitle(), "Quillmere Help");
    EXPECT_TRUE(viewer->Browser()->toPlainText().contains("Contents"));
    EXPECT_TRUE(viewer->Browser()->toPlainText().contains("Word Wrap Description"));

    viewer->close();
    QTest::keyClick(&form, Qt::Key_H, Qt::ControlModifier);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(form.findChildren<THelpViewer*>().size(), 1);
}

} // namespace
} // namespace qm
