// The search mask driven through the real main window over a temporary catalogue.
#include "app/tform1.h"
#include "framework/controls/dbgrid.h"
#include "framework/controls/dbmemo.h"
#include "framework/controls/statusbar.h"
#include "tests/app/app_test_support.h"
#include "tests/catalogue/handler_test_support.h"

#include <QTest>
#include <gtest/gtest.h>

namespace qm {
namespace {

using test::GridColumn;

class SearchMask : public ::testing::Test {
protected:
    test::TShownForm shown;
    TForm1& form = shown.Form();
    Ui::TForm1& ui = form.Ui();
    TMainWindowState& state = form.State();
    TQuery& software = form.Data().ADOQuerySoftware;

    QStringList SoftwareNames() const { return GridColumn(*ui.DBGridSoftware, 0); }
    QString Panel0() const { return ui.StatusBar1->PanelText(0); }
    void Enter(QWidget* field) { QTest::keyClick(field, Qt::Key_Return); }
};

TEST_F(SearchMask, EnterWithAnEmptyMaskShowsTheWholeTableInIDOrder) {
    Enter(ui.EditSearch);
    EXPECT_EQ(software.SQL(), "SELECT * FROM SOFTWARE ORDER BY ID ASC");
    EXPECT_EQ(SoftwareNames(), (QStringList{"Chess", "Editor", "Zip Tool"}));
    EXPECT_EQ(Panel0(), "3");
}

TEST_F(SearchMask, EnterInTheSearchFieldFiltersCountsAndRemembers) {
    QTest::keyClicks(ui.EditSearch, "o");
    EXPECT_EQ(software.SQL(), "SELECT * FROM SOFTWARE ORDER BY ID ASC") << "typing alone runs nothing";
    Enter(ui.EditSearch);
    EXPECT_EQ(software.SQL(), "SELECT * FROM Software WHERE NAME LIKE '%o%' ORDER BY ID ASC");
    EXPECT_EQ(SoftwareNames(), (QStringList{"Editor", "Zip Tool"}));
    EXPECT_EQ(Panel0(), "2");
    EXPECT_EQ(state.SavedSearch, "o");
    EXPECT_EQ(ui.EditSearch->text(), "o") << "the key still reaches the field";
}

TEST_F(SearchMask, EnterInKeywordsUsesEveryFieldButRemembersOnlyTheKeywords) {
    ui.EditSearch->setText("e");
    QTest::keyClicks(ui.EditKeywords, "TEXT");
    Enter(ui.EditKeywords);
    EXPECT_EQ(SoftwareNames(), QStringList{"Editor"});
    EXPECT_EQ(state.SavedKeywords, "TEXT");
    EXPECT_EQ(state.SavedSearch, "");

    QTest::keyClicks(ui.EditDescription, "packs");
    ui.EditSearch->clear();
    ui.EditKeywords->clear();
    Enter(ui.EditDescription);
    EXPECT_EQ(SoftwareNames(), QStringList{"Zip Tool"});
    EXPECT_EQ(state.SavedDescription, "packs");
    EXPECT_EQ(state.SavedKeywords, "TEXT");
}

TEST_F(SearchMask, TypedApostrophesQuotesAndCommentsAreSearchedForLiterally) {
    shown.Catalogue().Execute("INSERT INTO CD (ID, Name) VALUES (9, 'Baldur''s CD');"
                              "INSERT INTO SOFTWARE (ID, Name, CDID, Keywords, Description) VALUES"
                              " (11, 'Baldur''s Gate', 9, 'rpg; \"classic\" -- 1998', 'it''s big')");
    ui.EditSearch->setText("Baldur's");
    ui.EditKeywords->setText("; \"classic\" --");
    ui.EditDescription->setText("it's");
    Enter(ui.EditSearch);
    EXPECT_EQ(SoftwareNames(), QStringList{"Baldur's Gate"});

    ui.EditSearch->clear();
    QTest::keyClicks(ui.ComboCD, "Baldur's CD");
    EXPECT_EQ(SoftwareNames(), QStringList{"Baldur's Gate"});
    EXPECT_EQ(state.SavedCD, "Baldur's CD");
    EXPECT_EQ(shown.Catalogue().Column("SELECT COUNT(*) FROM SOFTWARE").value(0), "4");
}

TEST_F(SearchMask, SoftwareComboSearchesOnEveryKeystroke) {
    QTest::keyClicks(ui.ComboCategory, "Gam");
    EXPECT_EQ(software.SQL(), "SELECT * FROM SOFTWARE WHERE CategoryID = 0 ORDER BY ID ASC")
        << "a partial name finds no ID";
    EXPECT_EQ(Panel0(), "0");
    QTest::keyClicks(ui.ComboCategory, "es");
    // Two categories are named Games: the look-up takes its first row.
    EXPECT_EQ(software.SQL(), "SELECT * FROM SOFTWARE WHERE CategoryID = 2 ORDER BY ID ASC");
    EXPECT_EQ(SoftwareNames(), QStringList{"Chess"});
    EXPECT_EQ(state.SavedCategory, "Games");
    EXPECT_EQ(form.Data().ADOQueryCategory2.SQL(), "SELECT ID, Name FROM CATEGORY WHERE Name = 'Games'");
}

TEST_F(SearchMask, ChoosingANameFromTheListSearches) {
    const int index = ui.ComboType->findText("demo");
    ASSERT_GE(index, 0);
    ui.ComboType->setCurrentIndex(index);
    EXPECT_EQ(software.SQL(), "SELECT * FROM SOFTWARE ORDER BY ID ASC") << "set by the program: no change";
    emit ui.ComboType->textActivated("demo");
    EXPECT_EQ(software.SQL(), "SELECT * FROM SOFTWARE WHERE TypeID = 3 ORDER BY ID ASC");
    EXPECT_EQ(state.SavedType, "demo");
}

TEST_F(SearchMask, ComboOnItsOwnPageFiltersTheTableByNameStart) {
    ui.TabControl->setCurrentIndex(1);
    ui.ComboCD->setEnabled(true);
    QTest::keyClicks(ui.ComboCD, "T");
    EXPECT_EQ(form.Data().ADOQueryCD.SQL(), "SELECT * FROM CD WHERE NAME LIKE 'T%'");
    EXPECT_EQ(GridColumn(*ui.DBGridCD, 1), QStringList{"Tools 2"});
    EXPECT_EQ(Panel0(), "1");
    EXPECT_EQ(state.SavedCDFilter, "T");
    EXPECT_EQ(software.SQL(), "SELECT * FROM SOFTWARE ORDER BY ID ASC");
    EXPECT_EQ(state.SavedCD, "");

    QTest::keyClick(ui.ComboCD, Qt::Key_Backspace);
    EXPECT_EQ(form.Data().ADOQueryCD.SQL(), "SELECT * FROM CD WHERE NAME LIKE '%'");
    EXPECT_EQ(Panel0(), "3");
    EXPECT_EQ(state.SavedCDFilter, "");
}

TEST_F(SearchMask, ComboOfAnotherTablePageDoesNothing) {
    ui.TabControl->setCurrentIndex(2);
    const QString before = form.Data().ADOQueryCategory.SQL();
    ui.ComboType->setEditText("Share");
    form.Search.ComboTypeChange();
    form.Search.ComboCDChange();
    EXPECT_EQ(form.Data().ADOQueryType.SQL(), "SELECT * FROM Type");
    EXPECT_EQ(form.Data().ADOQueryCategory.SQL(), before);
    EXPECT_EQ(software.SQL(), "SELECT * FROM SOFTWARE ORDER BY ID ASC");
    EXPECT_EQ(state.SavedTypeFilter, "");
}

TEST_F(SearchMask, TableFilterWithApostrophesFindsTheName) {
    shown.Catalogue().Execute("INSERT INTO Type (ID, Name) VALUES (8, 'Don''t care')");
    ui.TabControl->setCurrentIndex(3);
    ui.ComboType->setEnabled(true);
    QTest::keyClicks(ui.ComboType, "don't");
    EXPECT_TRUE(form.Data().ADOQueryType.Active());
    EXPECT_EQ(GridColumn(*ui.DBGridType, 1), QStringList{"Don't care"});
}

TEST_F(SearchMask, ClearOnTheSoftwarePageEmptiesEverythingAndShowsAllInIDOrder) {
    ui.OrderTableSoftwareByPrimaryKey->setChecked(false);
    ui.EditSearch->setText("zip");
    Enter(ui.EditSearch);
    QTest::keyClicks(ui.ComboCD, "Tools 2");
    ui.EditKeywords->setText("archive");
    Enter(ui.EditKeywords);
    ASSERT_EQ(SoftwareNames(), QStringList{"Zip Tool"});
    ui.DBMemoDescription->setPlainText("Packs and unpacks");
    state.DescriptionModified = true;

    ui.OptionsClearSearchmask->trigger();

    EXPECT_EQ(shown.Catalogue().Column("SELECT Description FROM SOFTWARE WHERE ID = 7"),
              QStringList{"Packs and unpacks"});
    EXPECT_FALSE(state.DescriptionModified);
    EXPECT_TRUE(ui.OrderTableSoftwareByPrimaryKey->isChecked());
    for (const QString& text : {ui.EditSearch->text(), ui.ComboCD->currentText(), ui.EditKeywords->text(),
                                state.SavedSearch, state.SavedCD, state.SavedKeywords})
        EXPECT_EQ(text, "");
    EXPECT_EQ(ui.ComboCD->count(), 3) << "the list is read again";
    EXPECT_EQ(software.SQL(), "SELECT * FROM SOFTWARE ORDER BY ID ASC");
    EXPECT_EQ(Panel0(), "3");
}

TEST_F(SearchMask, ClearOnATablePageShowsTheWholeTableButKeepsTheRememberedFilter) {
    ui.TabControl->setCurrentIndex(2);
    ui.ComboCategory->setEnabled(true);
    QTest::keyClicks(ui.ComboCategory, "Ga");
    ASSERT_EQ(Panel0(), "2");
    shown.Catalogue().Execute("INSERT INTO Category (ID, Name) VALUES (4, 'Office')");

    ui.OptionsClearSearchmask->trigger();

    EXPECT_EQ(ui.ComboCategory->currentText(), "");
    EXPECT_EQ(ui.ComboCategory->count(), 4);
    EXPECT_EQ(form.Data().ADOQueryCategory.SQL(), "SELECT * FROM Category");
    EXPECT_EQ(Panel0(), "4");
    EXPECT_EQ(state.SavedCategoryFilter, "Ga");
}

} // namespace
} // namespace qm
