#include "framework/controls/dbgrid.h"
#include "framework/core/exceptions.h"
#include "tests/framework/controls/control_test_support.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace qm {
namespace {

using test::OpenTable;
using test::ScriptedAnswers;

class GridTest : public ::testing::Test {
protected:
    GridTest() {
        grid.SetDataSet(&table.query);
        grid.resize(400, 300);
        grid.show();
    }
    void CtrlDelete() { QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier); }
    void SelectRows(const QList<int>& rows) {
        for (int row : rows)
            grid.selectionModel()->select(grid.model()->index(row, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    OpenTable table{{"a", "b", "c", "d", "e"}};
    TDBGrid grid;
};

TEST_F(GridTest, CtrlDeleteAsksFirstUnderConfirmDelete) {
    ASSERT_TRUE(grid.HasOption(dgConfirmDelete));
    table.query.MoveTo(1);
    {
        ScriptedAnswers cancel(false);
        CtrlDelete();
        EXPECT_EQ(cancel.questions, QStringList({"Delete record?"}));
        EXPECT_EQ(table.NamesInFile(), QStringLiteral("a,b,c,d,e"));
    }
    ScriptedAnswers ok(true);
    CtrlDelete();
    EXPECT_EQ(ok.questions, QStringList({"Delete record?"}));
    EXPECT_EQ(table.NamesInFile(), QStringLiteral("a,c,d,e"));
    EXPECT_EQ(grid.model()->rowCount(), 4);
}

TEST_F(GridTest, WithoutConfirmDeleteRowsGoAtOnce) {
    grid.SetOption(dgConfirmDelete, false);
    ScriptedAnswers never(false);
    QTest::keyClick(&grid, Qt::Key_Delete); // Delete alone deletes nothing
    CtrlDelete();
    EXPECT_EQ(never.questions, QStringList());
    EXPECT_EQ(table.NamesInFile(), QStringLiteral("b,c,d,e"));
}

TEST_F(GridTest, MultiSelectDeletesEverySelectedRowAfterOneQuestion) {
    grid.SetOption(dgMultiSelect, true);
    EXPECT_EQ(grid.selectionMode(), QAbstractItemView::ExtendedSelection);
    SelectRows({0, 2, 4});
    EXPECT_EQ(grid.SelectedRows(), QList<int>({0, 2, 4}));
    ScriptedAnswers ok(true);
    CtrlDelete();
    EXPECT_EQ(ok.questions, QStringList({"Delete all selected records?"}));
    EXPECT_EQ(table.NamesInFile(), QStringLiteral("b,d"));
    EXPECT_EQ(table.query.RecordCount(), 2);
}

TEST_F(GridTest, OneSelectedRowIsAskedAboutAsOneRecord) {
    grid.SetOption(dgMultiSelect, true);
    SelectRows({3});
    ScriptedAnswers ok(true);
    CtrlDelete();
    EXPECT_EQ(ok.questions, QStringList({"Delete record?"}));
    EXPECT_EQ(table.NamesInFile(), QStringLiteral("a,b,c,e"));
}

TEST_F(GridTest, SwitchingMultiSelectOffDropsTheSelection) {
    grid.SetOption(dgMultiSelect, true);
    SelectRows({1, 2});
    grid.SetOptions(grid.Options() & ~TDBGridOptions(dgMultiSelect));
    EXPECT_EQ(grid.selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(grid.SelectedRows(), QList<int>());
}

TEST_F(GridTest, NothingIsAskedOrDeletedInAnEmptyOrClosedTable) {
    ScriptedAnswers ok(true);
    table.query.SetSQL(QStringLiteral("SELECT * FROM T WHERE N = 0"));
    table.query.Open();
    CtrlDelete();
    table.query.Close();
    CtrlDelete();
    EXPECT_EQ(ok.questions, QStringList());
    EXPECT_EQ(table.NamesInFile(), QStringLiteral("a,b,c,d,e"));
}

TEST_F(GridTest, CurrentRowFollowsTheQueryAndTheQueryFollowsClicks) {
    table.query.MoveTo(3);
    EXPECT_EQ(grid.currentIndex().row(), 3);
    QSignalSpy cellClicks(&grid, &TDBGrid::CellClick);
    const QRect cell = grid.visualRect(grid.model()->index(1, 2));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(table.query.RecNo(), 1);
    ASSERT_EQ(cellClicks.count(), 1);
    EXPECT_EQ(cellClicks.at(0).at(0).toInt(), 2);
}

TEST_F(GridTest, TitleClickReportsTheColumnAndIsNoCellClick) {
    QSignalSpy titles(&grid, &TDBGrid::TitleClick);
    QSignalSpy cells(&grid, &TDBGrid::CellClick);
    QHeaderView* header = grid.horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    ASSERT_EQ(titles.count(), 1);
    EXPECT_EQ(titles.at(0).at(0).toInt(), 1);
    EXPECT_EQ(cells.count(), 0);
}

TEST_F(GridTest, FixedColumnsSurviveAReopen) {
    grid.SetColumns({"Name", "N"});
    grid.setColumnWidth(0, 151);
    table.query.SetSQL(QStringLiteral("SELECT * FROM T ORDER BY Name DESC"));
    table.query.Open();
    ASSERT_EQ(grid.model()->columnCount(), 2);
    EXPECT_EQ(grid.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Name"));
    EXPECT_EQ(grid.model()->index(0, 0).data().toString(), QStringLiteral("e"));
}

TEST_F(GridTest, KeysAreForwardedAndInsertAndEscapeWork) {
    QSignalSpy keys(&grid, &TDBGrid::KeyDown);
    QTest::keyClick(&grid, Qt::Key_Insert);
    EXPECT_EQ(table.query.State(), TDataSetState::dsInsert);
    EXPECT_EQ(grid.model()->rowCount(), 6);
    QTest::keyClick(&grid, Qt::Key_Escape);
    EXPECT_EQ(table.query.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(grid.model()->rowCount(), 5);
    EXPECT_EQ(keys.count(), 2);
    EXPECT_EQ(keys.at(0).at(0).toInt(), static_cast<int>(Qt::Key_Insert));
}

TEST_F(GridTest, ANewRowStartsInItsFirstEditableColumn) {
    table.query.MoveTo(2);
    grid.setCurrentIndex(grid.model()->index(2, 0)); // the key column, which cannot be typed in
    QTest::keyClick(&grid, Qt::Key_Insert);
    EXPECT_EQ(grid.currentIndex(), grid.model()->index(2, 1));
}

TEST_F(GridTest, DownOnTheLastRowAppendsOneNewRowAtATime) {
    table.query.Last();
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(table.query.State(), TDataSetState::dsInsert);
    EXPECT_EQ(grid.currentIndex(), grid.model()->index(5, 1));
    QTest::keyClick(&grid, Qt::Key_Down); // an untouched new row gets no second one
    EXPECT_EQ(grid.model()->rowCount(), 6);
    grid.model()->setData(grid.currentIndex(), QStringLiteral("f"));
    QTest::keyClick(&grid, Qt::Key_Down); // a typed one is posted first
    EXPECT_EQ(table.NamesInFile(), QStringLiteral("a,b,c,d,e,f"));
    EXPECT_EQ(grid.model()->rowCount(), 7);
}

TEST_F(GridTest, APostTakesTheTextOfAnOpenCellEditorAndARefusedOneKeepsTheRow) {
    grid.setCurrentIndex(grid.model()->index(1, 2));
    grid.edit(grid.currentIndex());
    auto* editor = qobject_cast<QLineEdit*>(grid.indexWidget(grid.currentIndex()));
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("not a number"));
    EXPECT_THROW(table.query.Post(), EDatabaseError);
    EXPECT_EQ(table.query.State(), TDataSetState::dsEdit);
    editor->setText(QStringLiteral("40"));
    table.query.Post();
    EXPECT_EQ(table.db.ReadBack(QStringLiteral("SELECT N FROM T WHERE ID = 2")), qlonglong(40));
}

TEST_F(GridTest, RowsAreAsHighAsTheTextAndAFewPixels) {
    const int text = grid.fontMetrics().height();
    EXPECT_GE(grid.rowHeight(0), text);
    EXPECT_LE(grid.rowHeight(0), text + 6);
}

// The real question box: OK and Cancel, the question as its text, Cancel keeps the row.
TEST_F(GridTest, ATitleWiderThanItsColumnIsShortenedToFitNotCut) {
    auto* titles = qobject_cast<TGridTitles*>(grid.horizontalHeader());
    ASSERT_NE(titles, nullptr);
    titles->setMinimumSectionSize(1);
    const int column = grid.model()->columnCount() - 1;
    const QString full = grid.model()->headerData(column, Qt::Horizontal).toString();
    const int fullWidth = titles->fontMetrics().horizontalAdvance(full);
    for (const int width : {fullWidth + 20, fullWidth / 2, 1}) {
        grid.setColumnWidth(column, width);
        const QString shown = titles->ShownTitle(column);
        if (width > fullWidth) {
            EXPECT_EQ(shown, full);
            continue;
        }
        EXPECT_TRUE(shown.isEmpty() || shown.endsWith(QChar(0x2026))) << shown.toStdString();
        EXPECT_LE(titles->fontMetrics().horizontalAdvance(shown), width) << shown.toStdString();
    }
    EXPECT_TRUE(titles->sectionsClickable()) << "titles still sort";
}

TEST_F(GridTest, DefaultConfirmationIsAMessageBoxWithOkAndCancel) {
    QString seenText;
    bool hadBothButtons = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seenText = box->text();
        hadBothButtons = box->button(QMessageBox::Ok) && box->button(QMessageBox::Cancel);
        box->button(QMessageBox::Cancel)->click();
    });
    CtrlDelete();
    EXPECT_EQ(seenText, QStringLiteral("Delete record?"));
    EXPECT_TRUE(hadBothButtons);
    EXPECT_EQ(table.NamesInFile(), QStringLiteral("a,b,c,d,e"));
}

} // namespace
} // namespace qm
