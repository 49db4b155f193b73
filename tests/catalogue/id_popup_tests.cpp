// Clicks on the ID cells of the Software grid, through the real main window.
#include "app/tform1.h"
#include "framework/controls/dbgrid.h"
#include "tests/app/app_test_support.h"
#include "tests/catalogue/handler_test_support.h"

#include <QTest>
#include <gtest/gtest.h>

namespace qm {
namespace {

class IDPopup : public ::testing::Test {
protected:
    test::TShownForm shown;
    TForm1& form = shown.Form();
    Ui::TForm1& ui = form.Ui();
    test::TMessageBoxRecorder recorder;

    // Clicks the cell of the Software grid at `row` (in ID order: Chess, Editor, Zip Tool).
    void ClickCell(int row, int column) {
        TDBGrid& grid = *ui.DBGridSoftware;
        const QRect cell = grid.visualRect(grid.model()->index(row, column));
        ASSERT_TRUE(cell.isValid());
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    }
    const std::vector<test::TShownBox>& Boxes() const { return recorder.Boxes(); }
};

TEST_F(IDPopup, EachIDColumnShowsTheNameOfItsRowUnderItsCaption) {
    ClickCell(0, 1);
    ClickCell(1, 2);
    ClickCell(2, 3);
    ASSERT_EQ(Boxes().size(), 3u);
    EXPECT_EQ(Boxes()[0].caption, "CD");
    EXPECT_EQ(Boxes()[0].text, "games 1");
    EXPECT_EQ(Boxes()[1].caption, "Category");
    EXPECT_EQ(Boxes()[1].text, "Games");
    EXPECT_EQ(Boxes()[2].caption, "Type");
    EXPECT_EQ(Boxes()[2].text, "Shareware");
    for (const test::TShownBox& box : Boxes()) {
        EXPECT_EQ(box.icon, QMessageBox::NoIcon);
        EXPECT_EQ(box.buttons, QMessageBox::Ok);
    }
    EXPECT_EQ(form.Data().ADOQueryType2.SQL(), "SELECT * FROM TYPE WHERE ID = 1");
    EXPECT_EQ(ui.DBGridSoftware->currentIndex().column(), 3) << "the clicked cell becomes current";
}

TEST_F(IDPopup, MissingRowEmptyNameAndEmptyCellGiveTheNoRowText) {
    shown.Catalogue().Execute("UPDATE SOFTWARE SET CDID = 99 WHERE ID = 2;"
                              "UPDATE Category SET Name = '' WHERE ID = 3;"
                              "UPDATE SOFTWARE SET TypeID = NULL WHERE ID = 7;");
    form.Data().ADOQuerySoftware.Close();
    form.Data().ADOQuerySoftware.Open();
    ClickCell(0, 1);
    ClickCell(1, 2);
    ClickCell(2, 3);
    ASSERT_EQ(Boxes().size(), 3u);
    EXPECT_EQ(Boxes()[0].text, "There is no CD with such an ID!\n(Choose an existing ID from the tab CD)");
    EXPECT_EQ(Boxes()[0].caption, "CD");
    EXPECT_EQ(Boxes()[1].text,
              "There is no Category with such an ID!\n(Choose an existing ID from the tab Category)");
    EXPECT_EQ(Boxes()[2].text,
              "There is no Type with such an ID!\n(Choose an existing ID from the tab Type)");
    EXPECT_EQ(shown.Catalogue().Column("SELECT CDID FROM SOFTWARE WHERE ID = 2"), QStringList{"99"});
}

TEST_F(IDPopup, NewRowWithoutANumberGivesTheNoRowText) {
    form.Data().ADOQuerySoftware.Insert();
    const int row = form.Data().ADOQuerySoftware.InsertRow();
    ClickCell(row, 1);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "There is no CD with such an ID!\n(Choose an existing ID from the tab CD)");
}

TEST_F(IDPopup, NameAndKeywordsColumnsShowNothing) {
    ClickCell(0, 0);
    ClickCell(0, 4);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(IDPopup, NothingWhileThePopUpsOptionIsOff) {
    ui.OptionsPopups->trigger();
    ASSERT_FALSE(ui.PopUps->isChecked());
    ClickCell(0, 1);
    EXPECT_TRUE(Boxes().empty());
    ui.OptionsPopups->trigger();
    ClickCell(0, 1);
    EXPECT_EQ(Boxes().size(), 1u);
}

} // namespace
} // namespace qm
