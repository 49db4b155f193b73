// Nothing typed is lost: the description memo and a grid's pending edit are posted before anything
// moves or replaces the Software query, switches the page or closes the window; a refused post is
// shown and keeps the edit, the page and the window; integer columns take whole numbers only.
#include "app/tform1.h"
#include "framework/controls/dbgrid.h"
#include "framework/controls/dbmemo.h"
#include "framework/controls/dbnavigator.h"
#include "tests/app/app_test_support.h"
#include "tests/catalogue/shell.h"
#include "tests/support/message_box_recorder.h"

#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>

namespace qm {
namespace {

using test::TMessageBoxRecorder;
using test::TShownForm;

constexpr int kKeywordsColumn = 4;

// What the user types: the first row's description in the memo, or its keywords in a grid cell
// whose editor is still open.
enum class TTyped { tyMemo, tyGridCell };

void TypeInto(TForm1& form, TTyped where, int column, const QString& text) {
    if (where == TTyped::tyMemo) {
        form.Ui().DBMemoDescription->selectAll();
        QTest::keyClicks(form.Ui().DBMemoDescription, text);
        return;
    }
    TDBGrid& grid = *form.Ui().DBGridSoftware;
    grid.setCurrentIndex(grid.model()->index(0, column));
    grid.edit(grid.currentIndex());
    auto* editor = qobject_cast<QLineEdit*>(grid.indexWidget(grid.currentIndex()));
    ASSERT_NE(editor, nullptr);
    editor->setText(text);
}

// What comes after the typing; `before` runs first, before anything is typed.
struct TNextStep {
    const char* name;
    std::function<void(TForm1&)> before;
    std::function<void(TForm1&)> step;
};

const TNextStep kNextSteps[] = {
    {"NavigatorNext", nullptr,
     [](TForm1& f) { f.Ui().DBNavigatorSoftware->Button(TDBNavigator::nbNext)->click(); }},
    {"TitleClick", nullptr, [](TForm1& f) { f.Browsing.DBGridSoftwareOldTitleClick(kKeywordsColumn); }},
    {"CtrlO", [](TForm1& f) { f.Browsing.DBGridSoftwareOldTitleClick(0); },
     [](TForm1& f) { QTest::keyClick(f.Ui().EditSearch, Qt::Key_O, Qt::ControlModifier); }},
    {"EnterInSearch", nullptr, [](TForm1& f) { QTest::keyClick(f.Ui().EditSearch, Qt::Key_Return); }},
    {"PageKey", nullptr, [](TForm1& f) { QTest::keyClick(f.Ui().EditSearch, Qt::Key_F6); }},
    {"TabClick", nullptr, [](TForm1& f) { f.Ui().TabControl->setCurrentIndex(2); }},
    {"Close", nullptr, [](TForm1& f) { EXPECT_TRUE(f.close()); }},
};

class TypedThenMoved : public ::testing::TestWithParam<std::tuple<TTyped, TNextStep>> {};

TEST_P(TypedThenMoved, TheTextIsPostedToItsRow) {
    const auto& [where, next] = GetParam();
    TShownForm shown;
    TForm1& form = shown.Form();
    if (next.before)
        next.before(form);
    ASSERT_EQ(form.Data().ADOQuerySoftware.FieldByName("ID").toInt(), 2);
    TypeInto(form, where, kKeywordsColumn, QStringLiteral("typed"));
    if (where == TTyped::tyMemo) {
        EXPECT_EQ(form.Data().ADOQuerySoftware.State(), TDataSetState::dsEdit);
        EXPECT_TRUE(form.Ui().DBNavigatorSoftware->Button(TDBNavigator::nbPost)->isEnabled());
    }
    next.step(form);
    const char* column = where == TTyped::tyMemo ? "Description" : "Keywords";
    EXPECT_EQ(shown.Catalogue().Column(QStringLiteral("SELECT %1 FROM SOFTWARE WHERE ID = 2").arg(column)),
              QStringList{"typed"});
}

INSTANTIATE_TEST_SUITE_P(MainWindowEditing, TypedThenMoved,
                         ::testing::Combine(::testing::Values(TTyped::tyMemo, TTyped::tyGridCell),
                                            ::testing::ValuesIn(kNextSteps)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param) == TTyped::tyMemo ? "Memo" : "Cell") +
                                    std::get<1>(info.param).name;
                         });

// Text in an integer column is refused wherever the post comes from: the user is told, the row
// keeps the text to be corrected, the page and the window stay; the file never holds the text.
TEST(MainWindowEditing, IntegerColumnsRefuseTextAndKeepItForCorrection) {
    TShownForm shown;
    TForm1& form = shown.Form();
    TypeInto(form, TTyped::tyGridCell, 1, QStringLiteral("CD four"));
    TMessageBoxRecorder catcher;
    QTest::keyClick(form.Ui().EditSearch, Qt::Key_Return);
    form.Ui().TabControl->setCurrentIndex(1);
    QTest::keyClick(form.Ui().EditSearch, Qt::Key_F7);
    EXPECT_FALSE(form.close());
    ASSERT_EQ(catcher.Texts().size(), 4);
    for (const QString& text : catcher.Texts())
        EXPECT_TRUE(text.contains("'CD four' is not a valid whole number for CDID")) << text.toStdString();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.Ui().TabControl->currentIndex(), 0);
    EXPECT_EQ(form.Data().ADOQuerySoftware.State(), TDataSetState::dsEdit);
    EXPECT_EQ(form.Ui().DBGridSoftware->model()->index(0, 1).data().toString(), "CD four");

    form.Data().ADOQuerySoftware.SetFieldValue("CDID", " 3 ");
    EXPECT_TRUE(form.close());
    EXPECT_EQ(catcher.Texts().size(), 4);
    EXPECT_EQ(
        test::RunSqliteShell(
            shown.Catalogue().FileName(),
            "SELECT group_concat(typeof(CDID) || ':' || CDID) FROM (SELECT CDID FROM SOFTWARE ORDER BY ID)"),
        "integer:3,integer:3,integer:1");
}

} // namespace
} // namespace qm
