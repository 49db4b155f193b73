// The main window's regions: names, sizes and anchors of the form description, the toolbar's
// button positions and the deferred re-layout after a resize.
#include "app/tform1.h"
#include "catalogue/column_layout.h"
#include "framework/controls/statusbar.h"
#include "tests/app/app_test_support.h"

#include <QLabel>
#include <QMouseEvent>
#include <QSplitterHandle>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace qm {
namespace {

using test::TShownForm;

// Makes the window `width` pixels wide from frame edge to frame edge and waits for the timer's
// re-layout.
void ResizeTo(TForm1& form, int width, int height = 480) {
    form.resize(width - (form.frameGeometry().width() - form.width()), height);
    QTRY_VERIFY(!form.Timer1()->isActive());
    ASSERT_EQ(form.frameGeometry().width(), width);
}

TEST(MainWindowForm, CaptionMinimumSizeAndTheComponentsOfTheFormDescription) {
    TShownForm shown;
    TForm1& form = shown.Form();
    EXPECT_EQ(form.windowTitle(), "Quillmere V1.02");
    EXPECT_EQ(form.minimumSize(), QSize(640, 480));
    EXPECT_FALSE(form.windowIcon().isNull());
    for (const char* name : {"ToolBar1",
                             "StatusBar1",
                             "PanelLeft",
                             "Splitter1",
                             "PanelRight",
                             "PanelSearch",
                             "EditSearch",
                             "ComboCD",
                             "ComboCategory",
                             "ComboType",
                             "EditKeywords",
                             "EditDescription",
                             "DBGridCD2",
                             "DBGridCategory2",
                             "DBGridType2",
                             "TabControl",
                             "DBGridSoftware",
                             "DBGridCD",
                             "DBGridCategory",
                             "DBGridType",
                             "DBNavigatorSoftware",
                             "DBNavigatorCD",
                             "DBNavigatorCategory",
                             "DBNavigatorType",
                             "ScrollBoxPicture",
                             "Image1",
                             "PanelHidepicture",
                             "CheckBoxStretch",
                             "CheckBoxCenter",
                             "CheckBoxAutosize",
                             "CheckBoxDisable",
                             "ButtonAddPicture",
                             "ButtonRemove",
                             "Label1",
                             "DBMemoDescription",
                             "PanelDescriptionHide",
                             "MainMenu1"})
        EXPECT_NE(form.findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_NE(form.findChild<QTimer*>(QStringLiteral("Timer1")), nullptr);
    EXPECT_NE(form.findChild<QActionGroup*>(QStringLiteral("ActionList1")), nullptr);

    Ui::TForm1& ui = form.Ui();
    EXPECT_FALSE(ui.DBGridCD2->isVisible());
    EXPECT_FALSE(ui.PanelHidepicture->isVisible());
    EXPECT_FALSE(ui.PanelDescriptionHide->isVisible());
    EXPECT_TRUE(ui.CheckBoxStretch->isChecked());
    EXPECT_EQ(ui.TabControl->currentWidget(), ui.TabSheetSoftware);
    EXPECT_EQ(ui.StatusBar1->Panel(0)->width(), 91);
    EXPECT_EQ(ui.ToolBar1->height(), 29);
}

TEST(MainWindowForm, WindowIsCentredOnTheScreen) {
    TShownForm shown;
    TForm1& form = shown.Form();
    const QPoint screenCentre = form.screen()->availableGeometry().center();
    EXPECT_LE((form.frameGeometry().center() - screenCentre).manhattanLength(), 1);
}

TEST(MainWindowForm, ToolbarButtonsSitTwentyThreePixelsApartWithTheSeparatorBeforeHelp) {
    TShownForm shown;
    TForm1& form = shown.Form();
    const QList<QPair<const char*, int>> positions = {{"TBPopup", 0},
                                                      {"TBConfirmations", 23},
                                                      {"TBOrder", 46},
                                                      {"TBHints", 69},
                                                      {"TBMultipleselect", 92},
                                                      {"TBClear", 115},
                                                      {"TBWordWrapDescription", 138},
                                                      {"TBHelp", 169},
                                                      {"TBAbout", 192}};
    const int origin = form.findChild<QToolButton*>(QStringLiteral("TBPopup"))->x();
    for (const auto& [name, x] : positions) {
        auto* button = form.findChild<QToolButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(button->x() - origin, x) << name;
    }
}

TEST(MainWindowLayout, LeftPanelTakesTwoThirdsOfTheOuterWidthLessTwentySix) {
    TShownForm shown;
    TForm1& form = shown.Form();
    ResizeTo(form, 900);
    EXPECT_EQ(form.Ui().PanelLeft->width(), 574);
    ResizeTo(form, 1001);
    EXPECT_EQ(form.Ui().PanelLeft->width(), 640);
    ResizeTo(form, 702);
    EXPECT_EQ(form.Ui().PanelLeft->width(), 442);
}

TEST(MainWindowLayout, ASplitterDragLastsOnlyUntilTheNextResize) {
    TShownForm shown;
    TForm1& form = shown.Form();
    Ui::TForm1& ui = form.Ui();
    ResizeTo(form, 900);
    ui.Splitter1->setSizes({300, ui.Splitter1->width() - 3 - 300});
    EXPECT_EQ(ui.PanelLeft->width(), 300);
    ResizeTo(form, 901);
    EXPECT_EQ(ui.PanelLeft->width(), 574);
}

TEST(MainWindowLayout, TheSplitterCannotCollapseTheLeftPanel) {
    TShownForm shown;
    Ui::TForm1& ui = shown.Form().Ui();
    QSplitterHandle* handle = ui.Splitter1->handle(1);
    const QPoint grip = handle->rect().center();
    const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, handle->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(handle, &event);
    };
    send(QEvent::MouseButtonPress, grip, Qt::LeftButton);
    send(QEvent::MouseMove, grip - QPoint(1000, 0), Qt::LeftButton); // dragged to the far left
    send(QEvent::MouseButtonRelease, grip - QPoint(1000, 0), Qt::NoButton);
    EXPECT_LT(ui.PanelLeft->width(), 400);
    EXPECT_GE(ui.PanelLeft->width(), ui.PanelLeft->minimumSizeHint().width());
    EXPECT_GT(ui.PanelLeft->width(), 0);
}

TEST(MainWindowLayout, NeverSmallerThanTheMinimumAndTheRightPanelKeepsItsMinimum) {
    TShownForm shown;
    TForm1& form = shown.Form();
    Ui::TForm1& ui = form.Ui();
    form.resize(300, 200);
    QTRY_VERIFY(!form.Timer1()->isActive());
    EXPECT_GE(form.width(), 640);
    EXPECT_GE(form.height(), 480);
    EXPECT_GE(ui.PanelRight->width(), 229);
    ui.Splitter1->setSizes({ui.Splitter1->width(), 0});
    EXPECT_GE(ui.PanelRight->width(), 229);
}

TEST(MainWindowLayout, ResizeFitsTheColumnsOfAllFourGrids) {
    TShownForm shown;
    TForm1& form = shown.Form();
    Ui::TForm1& ui = form.Ui();
    for (int width : {900, 777, 702}) {
        ResizeTo(form, width);
        TDBGrid& software = *ui.DBGridSoftware;
        const TSoftwareColumnWidths expected = SoftwareColumnWidths(
            software.width(), software.columnWidth(1), software.columnWidth(2), software.columnWidth(3));
        EXPECT_EQ(software.columnWidth(0), expected.name) << width;
        EXPECT_EQ(software.columnWidth(4), expected.keywords) << width;
        EXPECT_EQ(software.columnWidth(1), 40);
        EXPECT_EQ(software.columnWidth(3), 39);
        // The table pages are hidden, yet their grids have the Software page's size and columns.
        EXPECT_EQ(ui.DBGridCD->width(), software.width()) << width;
        for (TDBGrid* grid : {ui.DBGridCD, ui.DBGridCategory, ui.DBGridType}) {
            EXPECT_EQ(grid->columnWidth(0), 50) << grid->objectName().toStdString();
            EXPECT_EQ(grid->columnWidth(1), ui.DBGridCD->width() - 84) << grid->objectName().toStdString();
        }
    }
}

TEST(MainWindowLayout, AnchoredFieldsKeepTheirDistanceToTheRightAndBottomEdges) {
    TShownForm shown;
    TForm1& form = shown.Form();
    Ui::TForm1& ui = form.Ui();
    for (int width : {700, 900}) {
        ResizeTo(form, width, width * 3 / 4);
        EXPECT_EQ(ui.PanelSearch->width() - ui.EditSearch->geometry().right() - 1, 3) << width;
        EXPECT_EQ(ui.EditSearch->x(), 64);
        EXPECT_EQ(ui.PanelSearch->width() - ui.ComboCD->geometry().right() - 1, 400 - 64 - 153) << width;
        EXPECT_EQ(ui.PanelLeft->width() - ui.TabControl->geometry().right() - 1, 1) << width;
        EXPECT_EQ(ui.PanelLeft->height() - ui.TabControl->geometry().bottom() - 1, 386 - 385) << width;
        EXPECT_EQ(ui.PanelRight->width() - ui.DBMemoDescription->geometry().right() - 1, 1) << width;
        EXPECT_EQ(ui.DBMemoDescription->geometry(), ui.PanelDescriptionHide->geometry());
        EXPECT_EQ(ui.ScrollBoxPicture->geometry(), QRect(3, 3, 134, 173));
    }
}

} // namespace
} // namespace qm
