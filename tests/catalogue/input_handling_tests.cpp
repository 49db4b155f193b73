// The wheel hook, the page keys and the description memo, through the real main window.
#include "app/tform1.h"
#include "framework/controls/dbgrid.h"
#include "framework/controls/dbmemo.h"
#include "tests/app/app_test_support.h"

#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace qm {
namespace {

class InputHandling : public ::testing::Test {
protected:
    test::TShownForm shown;
    TForm1& form = shown.Form();
    Ui::TForm1& ui = form.Ui();
    TQuery& software = form.Data().ADOQuerySoftware;

    // One wheel message from the window system over the middle of the Software grid.
    void Wheel(int delta) {
        QWidget* viewport = ui.DBGridSoftware->viewport();
        const QPointF at = viewport->mapTo(&form, viewport->rect().center());
        QWheelEvent event(at, form.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(form.windowHandle(), &event);
    }
    void FocusSoftwareGridOnRow(int row) {
        ui.DBGridSoftware->setFocus();
        software.MoveTo(row);
        ASSERT_EQ(QApplication::focusWidget(), ui.DBGridSoftware);
    }
};

TEST_F(InputHandling, OneNotchMovesOneRowWithoutScrollingTheGrid) {
    shown.Catalogue().Execute(
        "WITH RECURSIVE n(i) AS (SELECT 100 UNION ALL SELECT i + 1 FROM n WHERE i < 200)"
        " INSERT INTO SOFTWARE (ID, Name) SELECT i, 'filler ' || i FROM n");
    form.Browsing.RunSoftwareQuery("SELECT * FROM SOFTWARE ORDER BY ID ASC");
    FocusSoftwareGridOnRow(1);
    ui.DBGridSoftware->scrollToTop();
    Wheel(-120);
    EXPECT_EQ(software.RecNo(), 2);
    EXPECT_EQ(ui.DBGridSoftware->verticalScrollBar()->value(), 0) << "the grid did not scroll by the wheel";
    Wheel(120);
    Wheel(120);
    EXPECT_EQ(software.RecNo(), 0);
    EXPECT_EQ(ui.DBGridSoftware->verticalScrollBar()->value(), 0);
}

TEST_F(InputHandling, FineWheelStepsAddUpAndTurningBackDropsThePartTotal) {
    FocusSoftwareGridOnRow(0);
    Wheel(-40);
    Wheel(-40);
    EXPECT_EQ(software.RecNo(), 0);
    EXPECT_EQ(form.InputHandling.WheelTotals().WheelDownTotal(), -80);
    Wheel(-40);
    EXPECT_EQ(software.RecNo(), 1);
    Wheel(-80);
    Wheel(40);
    EXPECT_EQ(form.InputHandling.WheelTotals().WheelDownTotal(), 0);
    Wheel(-80);
    EXPECT_EQ(software.RecNo(), 1);
    Wheel(-360);
    EXPECT_EQ(software.RecNo(), 2) << "one message gives at most one row";
}

TEST_F(InputHandling, WheelIsLeftAloneWhileTheFocusIsOutsideTheGrids) {
    software.MoveTo(1);
    for (QWidget* focus : std::initializer_list<QWidget*>{ui.EditSearch, ui.DBMemoDescription}) {
        focus->setFocus();
        Wheel(-120);
        EXPECT_EQ(software.RecNo(), 1);
    }
    EXPECT_EQ(form.InputHandling.WheelTotals().WheelDownTotal(), 0);
}

TEST_F(InputHandling, TheWheelOverAComboBoxWithoutTheFocusChangesNothing) {
    ui.EditSearch->setFocus();
    const QString statement = software.SQL();
    for (int delta : {-120, 120, -120}) {
        const QPointF at = ui.ComboCD->mapTo(&form, QPointF(ui.ComboCD->rect().center()));
        QWheelEvent event(at, form.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(form.windowHandle(), &event);
    }
    EXPECT_EQ(ui.ComboCD->currentText(), QString());
    EXPECT_EQ(software.SQL(), statement);
}

TEST_F(InputHandling, TabLeavesTheMemoAndReachesTheGrid) {
    ui.DBMemoDescription->setFocus();
    const QString description = ui.DBMemoDescription->toPlainText();
    QTest::keyClick(ui.DBMemoDescription, Qt::Key_Tab);
    EXPECT_EQ(ui.DBMemoDescription->toPlainText(), description);
    EXPECT_NE(QApplication::focusWidget(), ui.DBMemoDescription);
    ui.EditSearch->setFocus();
    for (int i = 0; i < 12 && QApplication::focusWidget() != ui.DBGridSoftware; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), ui.DBGridSoftware);
}

TEST_F(InputHandling, ShiftF6InKeywordsOpensTheCDPageWithTheFocusInItsCombo) {
    ui.EditKeywords->setFocus();
    QTest::keyClick(ui.EditKeywords, Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_EQ(ui.TabControl->currentIndex(), 1);
    EXPECT_EQ(QApplication::focusWidget(), ui.ComboCD);
    EXPECT_FALSE(ui.EditKeywords->isEnabled());
    EXPECT_FALSE(ui.DBMemoDescription->isVisible());
}

TEST_F(InputHandling, PageKeysFromGridsAndCombos) {
    QTest::keyClick(ui.DBGridSoftware, Qt::Key_F8);
    EXPECT_EQ(ui.TabControl->currentIndex(), 3);
    EXPECT_EQ(QApplication::focusWidget(), ui.ComboType);
    QTest::keyClick(ui.ComboType, Qt::Key_F7);
    EXPECT_EQ(ui.TabControl->currentIndex(), 2);
    EXPECT_EQ(QApplication::focusWidget(), ui.ComboCategory);
    QTest::keyClick(ui.DBGridCategory, Qt::Key_F9);
    EXPECT_EQ(ui.TabControl->currentIndex(), 2);
    QTest::keyClick(ui.DBGridCategory, Qt::Key_F5);
    EXPECT_EQ(ui.TabControl->currentIndex(), 0);
    EXPECT_EQ(QApplication::focusWidget(), ui.DBGridSoftware) << "F5 focuses the grid, not the mask";
    EXPECT_TRUE(ui.DBMemoDescription->isVisible());
    EXPECT_TRUE(ui.EditKeywords->isEnabled());
}

TEST_F(InputHandling, PageKeysInOtherControlsDoNothing) {
    ui.DBMemoDescription->setFocus();
    QTest::keyClick(ui.DBMemoDescription, Qt::Key_F6);
    EXPECT_EQ(ui.TabControl->currentIndex(), 0);
}

TEST_F(InputHandling, AnyKeyInTheMemoMarksItAndLeavingItSavesThatText) {
    software.MoveTo(1);
    ui.DBMemoDescription->setFocus();
    QTest::keyClick(ui.DBMemoDescription, Qt::Key_Up);
    EXPECT_TRUE(form.State().DescriptionModified);
    ui.EditSearch->setFocus();
    EXPECT_FALSE(form.State().DescriptionModified);
    EXPECT_EQ(software.State(), TDataSetState::dsBrowse);

    ui.DBMemoDescription->setFocus();
    QTest::keyClicks(ui.DBMemoDescription, "New ");
    ui.DBGridSoftware->setFocus();
    const QString id = software.FieldByName("ID").toString();
    EXPECT_TRUE(shown.Catalogue()
                    .Column("SELECT Description FROM SOFTWARE WHERE ID = " + id)
                    .value(0)
                    .startsWith("New "));
}

TEST_F(InputHandling, LeavingTheUntouchedMemoWritesNothing) {
    const QString before =
        shown.Catalogue().Column("SELECT group_concat(Description) FROM SOFTWARE").value(0);
    ui.DBMemoDescription->setFocus();
    ui.DBMemoDescription->setPlainText("changed without a key");
    ui.EditSearch->setFocus();
    EXPECT_EQ(shown.Catalogue().Column("SELECT group_concat(Description) FROM SOFTWARE").value(0), before);
}

} // namespace
} // namespace qm
