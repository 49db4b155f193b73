// Clicks on the ID cells of the Software grid, and the cells filled by name, through the real
// main window.
#include "app/tform1.h"
#include "framework/controls/dbgrid.h"
#include "tests/app/app_test_support.h"
#include "tests/catalogue/handler_test_support.h"
#include "tests/catalogue/shell.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QLineEdit>
#include <QTest>
#include <functional>
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

// Editing an ID cell of the first entry (Chess, ID 2): what is typed or chosen, what the file then
// holds, and whether the cell warns that no row has that number.
struct TIDCellCase {
    const char* name;
    int column;
    const char* field;
    std::function<void(QLineEdit&)> type;
    const char* stored;  // typeof:value in the file after the post
    const char* warning; // the cell's tooltip; empty for a number that names a row
};

void PrintTo(const TIDCellCase& cell, std::ostream* out) {
    *out << cell.name;
}

void TypeText(QLineEdit& editor, const char* text) {
    editor.selectAll();
    QTest::keyClicks(&editor, QString::fromUtf8(text));
}

// Types the start of a name and picks the first entry the drop-down offers.
void ChooseFirstOffered(QLineEdit& editor, const char* typed) {
    TypeText(editor, typed);
    QAbstractItemView* popup = editor.completer()->popup();
    ASSERT_TRUE(popup->isVisible());
    ASSERT_EQ(popup->model()->rowCount(), 1);
    EXPECT_GT(popup->viewport()->width(),
              popup->fontMetrics().horizontalAdvance(popup->model()->index(0, 0).data().toString()))
        << "the entry is shown whole, not cut to the narrow ID column";
    QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyClick(popup, Qt::Key_Return);
}

const char* const kNoCD = "There is no CD with such an ID!\n(Choose an existing ID from the tab CD)";

const TIDCellCase kIDCellCases[] = {
    {"KnownNumber", 1, "CDID", [](QLineEdit& e) { TypeText(e, "3"); }, "integer:3", ""},
    {"UnknownNumber", 1, "CDID", [](QLineEdit& e) { TypeText(e, "42"); }, "integer:42", kNoCD},
    {"NumberThatIsAlsoAName", 1, "CDID", [](QLineEdit& e) { TypeText(e, "1"); }, "integer:1", ""},
    {"ChosenByPartOfTheName", 2, "CategoryID", [](QLineEdit& e) { ChooseFirstOffered(e, "tilit"); },
     "integer:1", ""},
    {"ChosenByTheNumber", 3, "TypeID", [](QLineEdit& e) { ChooseFirstOffered(e, "3"); }, "integer:3", ""},
    {"WholeNameTyped", 3, "TypeID", [](QLineEdit& e) { TypeText(e, "FREEWARE"); }, "integer:2", ""},
};

class IDCell : public ::testing::TestWithParam<TIDCellCase> {};

TEST_P(IDCell, StoresTheNumberAndWarnsWhenNoRowHasIt) {
    const TIDCellCase& cell = GetParam();
    test::TShownForm shown;
    TForm1& form = shown.Form();
    // CD 2 named with the digits of CD 1: a typed number is still a number.
    TQuery& cds = form.Data().ADOQueryCD;
    cds.MoveTo(1);
    cds.Edit();
    cds.SetFieldValue(QStringLiteral("Name"), QStringLiteral("1"));
    cds.Post();
    TDBGrid& grid = *form.Ui().DBGridSoftware;
    const QModelIndex index = grid.model()->index(0, cell.column);
    grid.setCurrentIndex(index);
    grid.edit(index);
    auto* editor = qobject_cast<QLineEdit*>(grid.indexWidget(index));
    ASSERT_NE(editor, nullptr);
    cell.type(*editor);
    QTest::keyClick(editor, Qt::Key_Return);
    form.Data().ADOQuerySoftware.Post();
    EXPECT_EQ(test::RunSqliteShell(shown.Catalogue().FileName(),
                                   QStringLiteral("SELECT typeof(%1) || ':' || %1 FROM SOFTWARE WHERE ID = 2")
                                       .arg(QLatin1String(cell.field))),
              cell.stored);
    const QString warning = QString::fromUtf8(cell.warning);
    EXPECT_EQ(index.data(Qt::ToolTipRole).toString(), warning);
    EXPECT_EQ(index.data(Qt::BackgroundRole).isValid(), !warning.isEmpty());
    EXPECT_EQ(index.data(Qt::ForegroundRole).isValid(), !warning.isEmpty());
    EXPECT_FALSE(grid.model()->index(0, 0).data(Qt::ToolTipRole).isValid()) << "only ID cells warn";
}

INSTANTIATE_TEST_SUITE_P(MainWindowEditing, IDCell, ::testing::ValuesIn(kIDCellCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace qm
