// Page switching, name lists and title-click sorting, through the real main window.
#include "app/tform1.h"
#include "framework/controls/dbgrid.h"
#include "framework/controls/dbmemo.h"
#include "framework/controls/statusbar.h"
#include "tests/app/app_test_support.h"
#include "tests/catalogue/handler_test_support.h"
#include "tests/catalogue/shell.h"

#include <QHeaderView>
#include <QTabBar>
#include <QTest>
#include <gtest/gtest.h>

namespace qm {
namespace {

using test::GridColumn;

QStringList Items(const QComboBox& combo) {
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i);
    return items;
}

class Browsing : public ::testing::Test {
protected:
    test::TShownForm shown;
    TForm1& form = shown.Form();
    Ui::TForm1& ui = form.Ui();
    TMainWindowState& state = form.State();
    TCatalogueData& data = form.Data();

    void ClickTab(int index) {
        QTabBar& bar = *ui.TabControl->tabBar();
        QTest::mouseClick(&bar, Qt::LeftButton, {}, bar.tabRect(index).center());
        ASSERT_EQ(ui.TabControl->currentIndex(), index);
    }
    void ClickTitle(TDBGrid& grid, int column) {
        QHeaderView& header = *grid.horizontalHeader();
        const int x = header.sectionViewportPosition(column) + header.sectionSize(column) / 2;
        QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, QPoint(x, header.height() / 2));
    }
    QString Panel(int panel) const { return ui.StatusBar1->PanelText(panel); }
    QList<QWidget*> MaskFields() const {
        return {ui.EditSearch, ui.ComboCD,      ui.ComboCategory,
                ui.ComboType,  ui.EditKeywords, ui.EditDescription};
    }
    bool OrderOptionEnabled() const {
        EXPECT_EQ(ui.OrderTableSoftwareByPrimaryKey->isEnabled(), ui.OptionsOrderTable->isEnabled());
        return ui.OptionsOrderTable->isEnabled();
    }
};

TEST_F(Browsing, TablePageLeavesOnlyItsComboUsableAndShowsItsCount) {
    ui.EditSearch->setText("e");
    QTest::keyClick(ui.EditSearch, Qt::Key_Return);
    state.SavedCDFilter = "ar";
    const QString cdStatement = data.ADOQueryCD.SQL();

    ClickTab(1);

    for (QWidget* field : MaskFields()) {
        const bool own = field == ui.ComboCD;
        EXPECT_EQ(field->isEnabled(), own) << field->objectName().toStdString();
        EXPECT_EQ(field->palette().color(QPalette::Base),
                  QApplication::palette().color(own ? QPalette::Base : QPalette::Window));
    }
    EXPECT_EQ(ui.EditSearch->text(), "");
    EXPECT_EQ(ui.ComboCD->currentText(), "ar") << "the remembered filter text is put back";
    EXPECT_EQ(data.ADOQueryCD.SQL(), cdStatement) << "the table is not queried again";
    EXPECT_EQ(Panel(0), "3");
    EXPECT_EQ(Panel(1), "");
    EXPECT_FALSE(OrderOptionEnabled());
    EXPECT_EQ(QApplication::focusWidget(), ui.DBGridCD);
    EXPECT_FALSE(ui.DBMemoDescription->isVisible());
    EXPECT_FALSE(ui.ScrollBoxPicture->isEnabled());
    // The picture box as drawn takes the colour of unusable fields, white again on the Software page.
    const auto shownColour = [&] { return ui.ScrollBoxPicture->grab().toImage().pixelColor(20, 20); };
    EXPECT_EQ(shownColour(), QApplication::palette().color(QPalette::Window));
    ClickTab(0);
    EXPECT_EQ(shownColour(), QColor(Qt::white));
    ClickTab(1);
    EXPECT_TRUE(ui.PanelDescriptionHide->isVisible());
    EXPECT_EQ(ui.DBGridCD->columnWidth(0), 50);
    EXPECT_EQ(ui.DBGridCD->columnWidth(1), ui.DBGridCD->width() - 84);
}

TEST_F(Browsing, BackOnTheSoftwarePageTheRememberedMaskReturnsAndNothingRunsAgain) {
    shown.Catalogue().Execute("UPDATE SOFTWARE SET Path = '/nowhere/zip.gif' WHERE ID = 7");
    data.ADOQuerySoftware.Close();
    data.ADOQuerySoftware.Open();
    ui.EditSearch->setText("i");
    QTest::keyClick(ui.EditSearch, Qt::Key_Return);
    ui.EditKeywords->setText("typed, not searched");
    data.ADOQuerySoftware.Last();
    ClickTab(2);
    ClickTab(0);

    for (QWidget* field : MaskFields()) {
        EXPECT_TRUE(field->isEnabled());
        EXPECT_EQ(field->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Base));
    }
    EXPECT_EQ(ui.EditSearch->text(), "i");
    EXPECT_EQ(ui.EditKeywords->text(), "");
    EXPECT_EQ(data.ADOQuerySoftware.SQL(), "SELECT * FROM Software WHERE NAME LIKE '%i%' ORDER BY ID ASC");
    EXPECT_EQ(Panel(0), "2");
    EXPECT_EQ(Panel(1), "/nowhere/zip.gif");
    EXPECT_TRUE(OrderOptionEnabled());
    EXPECT_EQ(QApplication::focusWidget(), ui.DBGridSoftware);
    EXPECT_TRUE(ui.DBMemoDescription->isVisible());
    EXPECT_EQ(ui.DBMemoDescription->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_FALSE(ui.PanelDescriptionHide->isVisible());
}

TEST_F(Browsing, NameListsAreSortedKeepDuplicatesAndTheCDListLagsBehind) {
    EXPECT_EQ(Items(*ui.ComboCD), (QStringList{"Archive", "games 1", "Tools 2"}));
    EXPECT_EQ(Items(*ui.ComboCategory), (QStringList{"Games", "Games", "Utilities"}));
    shown.Catalogue().Execute("INSERT INTO CD (Name) VALUES ('Backup');"
                              "INSERT INTO Category (Name) VALUES ('Books')");
    ClickTab(1);
    EXPECT_EQ(Items(*ui.ComboCD), (QStringList{"Archive", "games 1", "Tools 2"}));
    ClickTab(2);
    EXPECT_EQ(Items(*ui.ComboCategory), (QStringList{"Books", "Games", "Games", "Utilities"}));
    ClickTab(0);
    ClickTab(1);
    EXPECT_EQ(Items(*ui.ComboCD), (QStringList{"Archive", "Backup", "games 1", "Tools 2"}));
}

// One order of names for a title click and for a name list: accented letters with their base
// letter, and the file stays sound for the standard shell.
TEST_F(Browsing, AccentedNamesSortWithTheirBaseLetterInGridsAndLists) {
    shown.Catalogue().Execute(
        "INSERT INTO CD (Name) VALUES ('Äpfel'), ('Éclair'), ('Zebra'), ('apfel');"
        "INSERT INTO SOFTWARE (Name) VALUES ('Äpfel'), ('Éclair'), ('zebra'), ('Apfel')");
    ClickTab(1);
    ClickTab(0); // the CD list is read again on the Software page
    ClickTab(1);
    EXPECT_EQ(Items(*ui.ComboCD),
              (QStringList{"apfel", "Äpfel", "Archive", "Éclair", "games 1", "Tools 2", "Zebra"}));
    ClickTitle(*ui.DBGridCD, 1);
    EXPECT_EQ(GridColumn(*ui.DBGridCD, 1), Items(*ui.ComboCD));
    ClickTab(0);
    data.ADOQuerySoftware.Close();
    data.ADOQuerySoftware.Open();
    ClickTitle(*ui.DBGridSoftware, 0);
    EXPECT_EQ(GridColumn(*ui.DBGridSoftware, 0),
              (QStringList{"Apfel", "Äpfel", "Chess", "Éclair", "Editor", "zebra", "Zip Tool"}));
    EXPECT_EQ(test::RunSqliteShell(shown.Catalogue().FileName(), "PRAGMA integrity_check"), "ok");
}

TEST_F(Browsing, EmptyTableCountsZeroWithAnEmptyList) {
    shown.Catalogue().Execute("DELETE FROM Type");
    data.ADOQueryType.Close();
    data.ADOQueryType.Open();
    ClickTab(3);
    EXPECT_EQ(Panel(0), "0");
    EXPECT_EQ(ui.ComboType->count(), 0);
}

TEST_F(Browsing, SoftwareTitleClickSortsTheMaskAsTypedAndSwitchesTheOrderOptionOff) {
    ui.StatusBar1->SetPanelText(0, "untouched");
    ui.EditSearch->setText("o");
    ClickTitle(*ui.DBGridSoftware, 0);
    EXPECT_EQ(data.ADOQuerySoftware.SQL(), "SELECT * FROM Software WHERE NAME LIKE '%o%' ORDER BY NAME ASC");
    EXPECT_EQ(GridColumn(*ui.DBGridSoftware, 0), (QStringList{"Editor", "Zip Tool"}));
    EXPECT_FALSE(ui.OrderTableSoftwareByPrimaryKey->isChecked());

    ClickTitle(*ui.DBGridSoftware, 4);
    EXPECT_EQ(data.ADOQuerySoftware.SQL(),
              "SELECT * FROM Software WHERE NAME LIKE '%o%' ORDER BY Keywords ASC");
    EXPECT_EQ(GridColumn(*ui.DBGridSoftware, 0), (QStringList{"Zip Tool", "Editor"}));
    EXPECT_EQ(Panel(0), "untouched");

    QTest::keyClick(ui.EditSearch, Qt::Key_Return);
    EXPECT_EQ(data.ADOQuerySoftware.SQL(), "SELECT * FROM Software WHERE NAME LIKE '%o%' ORDER BY ID ASC");
    EXPECT_FALSE(ui.OrderTableSoftwareByPrimaryKey->isChecked()) << "a search leaves the mark as it is";
}

TEST_F(Browsing, OrderOptionReturnsToIDOrderOnlyWhenOff) {
    ui.EditSearch->setText("e");
    data.ADOQuerySoftware.SetSQL("SELECT * FROM SOFTWARE ORDER BY NAME ASC");
    data.ADOQuerySoftware.Open();
    ui.OptionsOrderTable->trigger();
    EXPECT_EQ(data.ADOQuerySoftware.SQL(), "SELECT * FROM SOFTWARE ORDER BY NAME ASC") << "already on";

    ClickTitle(*ui.DBGridSoftware, 2);
    EXPECT_EQ(data.ADOQuerySoftware.SQL(),
              "SELECT * FROM Software WHERE NAME LIKE '%e%' ORDER BY CategoryID ASC");
    ui.OptionsOrderTable->trigger();
    EXPECT_EQ(data.ADOQuerySoftware.SQL(), "SELECT * FROM Software WHERE NAME LIKE '%e%' ORDER BY ID ASC");
    EXPECT_TRUE(ui.OrderTableSoftwareByPrimaryKey->isChecked());
}

TEST_F(Browsing, TableTitleClickSortsOnlyWithoutANameFilter) {
    ClickTab(1);
    ui.ComboCD->setEditText("zzz");
    ClickTitle(*ui.DBGridCD, 1);
    EXPECT_EQ(data.ADOQueryCD.SQL(), "SELECT * FROM CD");

    ui.ComboCD->setEditText("");
    ClickTitle(*ui.DBGridCD, 1);
    EXPECT_EQ(data.ADOQueryCD.SQL(), "SELECT * FROM CD ORDER BY NAME ASC");
    EXPECT_EQ(GridColumn(*ui.DBGridCD, 1), (QStringList{"Archive", "games 1", "Tools 2"}));
    EXPECT_EQ(ui.DBGridCD->columnWidth(1), ui.DBGridCD->width() - 84) << "widths again after the reopen";
    ClickTitle(*ui.DBGridCD, 0);
    EXPECT_EQ(data.ADOQueryCD.SQL(), "SELECT * FROM CD ORDER BY ID ASC");
}

TEST_F(Browsing, SoftwareColumnsShareTheWidthLeftByTheIDColumns) {
    form.resize(900, 600);
    QApplication::processEvents();
    form.Browsing.LayoutSoftwareColumns();
    TDBGrid& grid = *ui.DBGridSoftware;
    const int rest = grid.width() - (grid.columnWidth(1) + grid.columnWidth(2) + grid.columnWidth(3)) - 38;
    ASSERT_GT(rest, 0);
    EXPECT_EQ(grid.columnWidth(0) + grid.columnWidth(4), rest);
    EXPECT_EQ(grid.columnWidth(0) - grid.columnWidth(4), rest % 2 == 0 ? 50 : 51);
}

} // namespace
} // namespace qm
