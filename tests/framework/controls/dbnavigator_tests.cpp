#include "framework/controls/dbnavigator.h"
#include "tests/framework/controls/control_test_support.h"

#include <QToolButton>
#include <gtest/gtest.h>

namespace qm {
namespace {

using test::OpenTable;
using test::ScriptedAnswers;

class NavigatorTest : public ::testing::Test {
protected:
    NavigatorTest() { navigator.SetDataSet(&table.query); }
    QToolButton* Button(const char* name) { return navigator.findChild<QToolButton*>(QLatin1String(name)); }
    void Click(const char* name) {
        QToolButton* button = Button(name);
        ASSERT_NE(button, nullptr) << name;
        ASSERT_TRUE(button->isEnabled()) << name;
        button->click();
    }

    OpenTable table{{"a", "b", "c"}};
    TDBNavigator navigator;
};

TEST_F(NavigatorTest, HasTheNineButtonsEnabledAsTheyApply) {
    for (const char* name : {"First", "Prior", "Next", "Last", "Insert", "Delete", "Edit", "Post", "Cancel"})
        EXPECT_NE(Button(name), nullptr) << name;
    EXPECT_FALSE(Button("First")->isEnabled());
    EXPECT_FALSE(Button("Prior")->isEnabled());
    EXPECT_TRUE(Button("Next")->isEnabled());
    EXPECT_FALSE(Button("Post")->isEnabled());
    Click("Last");
    EXPECT_FALSE(Button("Next")->isEnabled());
    EXPECT_TRUE(Button("Prior")->isEnabled());
    Click("Edit");
    EXPECT_TRUE(Button("Post")->isEnabled());
    EXPECT_TRUE(Button("Cancel")->isEnabled());
    EXPECT_FALSE(Button("Edit")->isEnabled());
    table.query.Close();
    EXPECT_FALSE(Button("Insert")->isEnabled());
    EXPECT_FALSE(Button("Delete")->isEnabled());
}

TEST_F(NavigatorTest, MovesThroughTheRows) {
    Click("Next");
    EXPECT_EQ(table.query.RecNo(), 1);
    Click("Last");
    EXPECT_EQ(table.query.RecNo(), 2);
    Click("Prior");
    EXPECT_EQ(table.query.RecNo(), 1);
    Click("First");
    EXPECT_EQ(table.query.RecNo(), 0);
}

TEST_F(NavigatorTest, InsertPostAndCancelWriteOrDiscard) {
    Click("Insert");
    table.query.SetFieldValue(QStringLiteral("Name"), QStringLiteral("new"));
    Click("Post");
    EXPECT_EQ(table.NamesInFile(), QStringLiteral("a,b,c,new"));
    Click("Edit");
    table.query.SetFieldValue(QStringLiteral("Name"), QStringLiteral("gone"));
    Click("Cancel");
    EXPECT_EQ(table.NamesInFile(), QStringLiteral("a,b,c,new"));
}

TEST_F(NavigatorTest, DeleteAlwaysAsks) {
    table.query.MoveTo(2);
    {
        ScriptedAnswers cancel(false);
        Click("Delete");
        EXPECT_EQ(cancel.questions, QStringList({"Delete record?"}));
    }
    EXPECT_EQ(table.NamesInFile(), QStringLiteral("a,b,c"));
    ScriptedAnswers ok(true);
    Click("Delete");
    EXPECT_EQ(table.NamesInFile(), QStringLiteral("a,b"));
    EXPECT_EQ(table.query.RecNo(), 1);
}

TEST_F(NavigatorTest, HintsCanBeSwitchedOffAndOnAgain) {
    const QString hint = Button("Next")->toolTip();
    EXPECT_FALSE(hint.isEmpty());
    navigator.SetShowHint(false);
    for (QToolButton* button : navigator.findChildren<QToolButton*>())
        EXPECT_TRUE(button->toolTip().isEmpty());
    navigator.SetShowHint(true);
    EXPECT_EQ(Button("Next")->toolTip(), hint);
}

} // namespace
} // namespace qm
