// A new row on any page: cancelled, it goes without a trace and leaves the grid on a real row
// (every control that reads the current row hears of it only then); started from the
// navigator, it takes the typing, even when the search mask had the focus.
#include "app/tform1.h"
#include "framework/controls/dbgrid.h"
#include "framework/controls/dbmemo.h"
#include "framework/controls/dbnavigator.h"
#include "tests/app/app_test_support.h"

#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace qm {
namespace {

using test::TShownForm;

struct TPage {
    const char* table;
    int index;
    TDBGrid* Ui::TForm1::*grid;
    TDBNavigator* Ui::TForm1::*navigator;
};

const TPage kPages[] = {
    {"SOFTWARE", 0, &Ui::TForm1::DBGridSoftware, &Ui::TForm1::DBNavigatorSoftware},
    {"CD", 1, &Ui::TForm1::DBGridCD, &Ui::TForm1::DBNavigatorCD},
    {"Category", 2, &Ui::TForm1::DBGridCategory, &Ui::TForm1::DBNavigatorCategory},
    {"Type", 3, &Ui::TForm1::DBGridType, &Ui::TForm1::DBNavigatorType},
};

// How the new row was started: Down on the last row appends, the navigator inserts before the
// current row (the first here) while the search mask has the focus.
enum class TStart { stDownOnLastRow, stNavigatorInsert };
// How it is given up.
enum class TGiveUp { guEscape, guNavigatorCancel };

TDBGrid& GridOf(TForm1& form, const TPage& page) {
    return *(form.Ui().*page.grid);
}

TDBNavigator& NavigatorOf(TForm1& form, const TPage& page) {
    return *(form.Ui().*page.navigator);
}

// Opens the page, puts its grid on `row` and starts a new row; returns the row to be current
// once the new one is given up.
int StartNewRow(TForm1& form, const TPage& page, TStart start) {
    form.Ui().TabControl->setCurrentIndex(page.index);
    TDBGrid& grid = GridOf(form, page);
    TQuery& query = *grid.DataSet();
    if (start == TStart::stDownOnLastRow) {
        const int last = query.RecordCount() - 1;
        grid.setFocus();
        grid.setCurrentIndex(grid.model()->index(last, 1));
        QTest::keyClick(&grid, Qt::Key_Down);
        return last;
    }
    form.Ui().EditSearch->setFocus();
    grid.setCurrentIndex(grid.model()->index(0, 1));
    NavigatorOf(form, page).Button(TDBNavigator::nbInsert)->click();
    return 0;
}

class NewRow : public ::testing::TestWithParam<std::tuple<TPage, TStart, TGiveUp>> {};

TEST_P(NewRow, GivenUpLeavesTheGridOnARealRowAndTheFileAsItWas) {
    const auto& [page, start, giveUp] = GetParam();
    TShownForm shown;
    TForm1& form = shown.Form();
    const QString count = QStringLiteral("SELECT count(*) FROM %1").arg(page.table);
    const QStringList rowsBefore = shown.Catalogue().Column(count);
    TDBGrid& grid = GridOf(form, page);
    TQuery& query = *grid.DataSet();
    const int records = query.RecordCount();
    const int expectedRow = StartNewRow(form, page, start);
    ASSERT_EQ(query.State(), TDataSetState::dsInsert);
    const QVariant expectedId = query.Value(start == TStart::stNavigatorInsert ? 1 : expectedRow, 0);

    if (giveUp == TGiveUp::guEscape)
        QTest::keyClick(&grid, Qt::Key_Escape);
    else
        NavigatorOf(form, page).Button(TDBNavigator::nbCancel)->click();

    EXPECT_EQ(query.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(query.RecordCount(), records);
    EXPECT_EQ(grid.model()->rowCount(), records);
    EXPECT_EQ(query.RecNo(), expectedRow);
    EXPECT_EQ(grid.currentIndex().row(), expectedRow);
    EXPECT_EQ(query.Field(0), expectedId);
    if (page.index == 0) {
        EXPECT_EQ(form.Ui().DBMemoDescription->toPlainText(), query.FieldByName("Description").toString());
    }
    EXPECT_EQ(shown.Catalogue().Column(count), rowsBefore);
}

INSTANTIATE_TEST_SUITE_P(MainWindowEditing, NewRow,
                         ::testing::Combine(::testing::ValuesIn(kPages),
                                            ::testing::Values(TStart::stDownOnLastRow,
                                                              TStart::stNavigatorInsert),
                                            ::testing::Values(TGiveUp::guEscape, TGiveUp::guNavigatorCancel)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).table) +
                                    (std::get<1>(info.param) == TStart::stDownOnLastRow ? "Appended"
                                                                                        : "Inserted") +
                                    (std::get<2>(info.param) == TGiveUp::guEscape ? "Escape" : "Cancel");
                         });

class NewRowFromNavigator : public ::testing::TestWithParam<TPage> {};

// What is typed after Insert is the new row's name, not a filter, and the post stores it.
TEST_P(NewRowFromNavigator, TakesTheTypingIntoItsFirstEditableCell) {
    const TPage& page = GetParam();
    TShownForm shown;
    TForm1& form = shown.Form();
    StartNewRow(form, page, TStart::stNavigatorInsert);
    TDBGrid& grid = GridOf(form, page);
    EXPECT_TRUE(grid.hasFocus());
    EXPECT_EQ(grid.currentIndex().row(), grid.DataSet()->InsertRow());
    // Key by key to whatever has the focus, as the keyboard delivers them: the first key opens the
    // cell's editor, which takes the rest.
    for (const QChar key : QStringLiteral("Typed"))
        QTest::keyClick(QApplication::focusWidget(), key.toLatin1());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    NavigatorOf(form, page).Button(TDBNavigator::nbPost)->click();
    EXPECT_TRUE(form.Ui().EditSearch->text().isEmpty());
    EXPECT_EQ(shown.Catalogue().Column(
                  QStringLiteral("SELECT count(*) FROM %1 WHERE Name = 'Typed'").arg(page.table)),
              QStringList{"1"});
}

INSTANTIATE_TEST_SUITE_P(MainWindowEditing, NewRowFromNavigator, ::testing::ValuesIn(kPages),
                         [](const auto& info) { return std::string(info.param.table); });

} // namespace
} // namespace qm
