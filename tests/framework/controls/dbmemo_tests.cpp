#include "framework/controls/dbmemo.h"
#include "tests/framework/controls/control_test_support.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace qm {
namespace {

using test::OpenTable;

TEST(DBMemo, ShowsTheFieldOfTheCurrentRowAndFollowsIt) {
    OpenTable table({"first", "second"});
    TDBMemo memo;
    memo.SetDataSet(&table.query, QStringLiteral("Name"));
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("first"));
    table.query.Next();
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("second"));
    table.query.Edit();
    table.query.SetFieldValue(QStringLiteral("Name"), QStringLiteral("changed"));
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("changed"));
    table.query.Close();
    EXPECT_EQ(memo.toPlainText(), QString());
}

TEST(DBMemo, TypingEditsTheRowSoThatAMovePostsItAndACancelRestoresIt) {
    OpenTable table({"first", "second"});
    TDBMemo memo;
    memo.SetDataSet(&table.query, QStringLiteral("Name"));
    memo.setPlainText(QStringLiteral("set by the program")); // not an edit
    EXPECT_EQ(table.query.State(), TDataSetState::dsBrowse);
    memo.selectAll();
    QTest::keyClicks(&memo, QStringLiteral("typed"));
    EXPECT_EQ(table.query.State(), TDataSetState::dsEdit);
    table.query.Next();
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("second"));
    EXPECT_EQ(table.NamesInFile(), QStringLiteral("typed,second"));
    QTest::keyClicks(&memo, QStringLiteral("xy"));
    table.query.Cancel();
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("second"));
    EXPECT_EQ(table.NamesInFile(), QStringLiteral("typed,second"));
}

TEST(DBMemo, TabLeavesTheMemoInsteadOfTypingATab) {
    OpenTable table({"first"});
    QWidget window;
    auto* memo = new TDBMemo(&window);
    auto* next = new QLineEdit(&window);
    memo->SetDataSet(&table.query, QStringLiteral("Name"));
    memo->setFocus();
    QTest::keyClick(memo, Qt::Key_Tab);
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("first"));
    EXPECT_EQ(window.focusWidget(), next);
}

TEST(DBMemo, WordWrapSwitches) {
    TDBMemo memo;
    memo.SetWordWrap(false);
    EXPECT_FALSE(memo.WordWrap());
    EXPECT_EQ(memo.lineWrapMode(), QPlainTextEdit::NoWrap);
    memo.SetWordWrap(true);
    EXPECT_TRUE(memo.WordWrap());
}

} // namespace
} // namespace qm
