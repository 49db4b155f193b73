#include "framework/controls/dbmemo.h"
#include "tests/framework/controls/control_test_support.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

using test::OpenTable;

TEST(DBMemo, ShowsTheFieldOfTheCurrentRowAndFollowsIt) {
    OpenTable table({"first", "second"});
    TDBMemo memo;
    memo.setDataSet(&table.query, QStringLiteral("Name"));
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("first"));
    table.query.Next();
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("second"));
    table.query.Edit();
    table.query.SetFieldValue(QStringLiteral("Name"), QStringLiteral("changed"));
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("changed"));
    table.query.Close();
    EXPECT_EQ(memo.toPlainText(), QString());
}

TEST(DBMemo, TypedTextSurvivesAPostOfAnotherColumnButNotARowChange) {
    OpenTable table({"first", "second"});
    TDBMemo memo;
    memo.setDataSet(&table.query, QStringLiteral("Name"));
    memo.selectAll();
    memo.insertPlainText(QStringLiteral("typed"));
    table.query.Edit();
    table.query.SetFieldValue(QStringLiteral("N"), 7);
    table.query.Post();
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("typed"));
    table.query.Next();
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("second"));
}

TEST(DBMemo, WordWrapSwitches) {
    TDBMemo memo;
    memo.setWordWrap(false);
    EXPECT_FALSE(memo.WordWrap());
    EXPECT_EQ(memo.lineWrapMode(), QPlainTextEdit::NoWrap);
    memo.setWordWrap(true);
    EXPECT_TRUE(memo.WordWrap());
}

} // namespace
} // namespace qm
