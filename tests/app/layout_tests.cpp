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

TEST(MainWindowForm, CaptionMinimumSizeAndWhatShowsAtStart) {
    TShownForm shown;
    TForm1& form = shown.Form();
    EXPECT_EQ(form.windowTitle(), "Quillmere V1.02");
    EXPECT_EQ(form.minimumSize(), QSize(640, 480));
    EXPECT_FALSE(form.windowIcon().isNull());
    Ui::TForm1& ui = form.Ui();
    EXPECT_FALSE(ui.DBGridCD2->isVisible());
    EXPECT_FALSE(ui.PanelHidepicture->isVisible());
    EXPECT_FALSE(ui.PanelDescriptionHide->isVisible());
    EXPECT_TRUE(ui.CheckBoxStretch->isChecked());
    EXPECT_EQ(ui.TabControl->currentWidget(), ui.TabSheetSoftware);
    EXPECT_EQ(ui.StatusBar1->Panel(0)->width(), 91);
    EXPECT_EQ(ui.ToolBar1->height(), 29);
}

// Where each part of the window shows: inside its region, whole and not squeezed to nothing, at
// a small window size and at a large one. The search mask sits above the tables, the picture
// above the description, the left panel beside the right.
struct TRegionCase {
    const char* component;
    const char* region;
};

void PrintTo(const TRegionCase& c, std::ostream* os) {
    *os << c.component << " in " << c.region;
}

class MainWindowRegion : public ::testing::TestWithParam<TRegionCase> {};

QRect InWindow(const QWidget* widget, const TForm1& form) {
    return QRect(widget->mapTo(&form, QPoint(0, 0)), widget->size());
}

TEST_P(MainWindowRegion, ShowsWholeInsideItsRegionAtEverySize) {
    TShownForm shown;
    TForm1& form = shown.Form();
    const auto* component = form.findChild<QWidget*>(QLatin1String(GetParam().component));
    const auto* region = form.findChild<QWidget*>(QLatin1String(GetParam().region));
    ASSERT_NE(component, nullptr);
    ASSERT_NE(region, nullptr);
    for (const int width : {700, 1000}) {
        ResizeTo(form, width, width * 3 / 4);
        EXPECT_TRUE(component->isVisible()) << width;
        EXPECT_FALSE(component->size().isEmpty()) << width;
        EXPECT_TRUE(InWindow(region, form).contains(InWindow(component, form)))
            << width << ": " << component->geometry().x() << "," << component->geometry().y();
    }
}

INSTANTIATE_TEST_SUITE_P(
    MainWindowForm, MainWindowRegion,
    ::testing::Values(
        TRegionCase{"PanelLeft", "Splitter1"}, TRegionCase{"PanelRight", "Splitter1"},
        TRegionCase{"PanelSearch", "PanelLeft"}, TRegionCase{"TabControl", "PanelLeft"},
        TRegionCase{"EditSearch", "PanelSearch"}, TRegionCase{"ComboCD", "PanelSearch"},
        TRegionCase{"ComboCategory", "PanelSearch"}, TRegionCase{"ComboType", "PanelSearch"},
        TRegionCase{"EditKeywords", "PanelSearch"}, TRegionCase{"EditDescription", "PanelSearch"},
        TRegionCase{"DBGridSoftware", "TabControl"}, TRegionCase{"DBNavigatorSoftware", "TabControl"},
        TRegionCase{"ScrollBoxPicture", "PanelRight"}, TRegionCase{"Image1", "ScrollBoxPicture"},
        TRegionCase{"CheckBoxStretch", "PanelRight"}, TRegionCase{"CheckBoxDisable", "PanelRight"},
        TRegionCase{"ButtonAddPicture", "PanelRight"}, TRegionCase{"ButtonRemove", "PanelRight"},
        TRegionCase{"DBMemoDescription", "PanelRight"}),
    [](const auto& info) { return std::string(info.param.component); });

TEST(MainWindowForm, MaskAboveTablesPictureAboveDescriptionLeftBesideRight) {
    TShownForm shown;
    TForm1& form = shown.Form();
    Ui::TForm1& ui = form.Ui();
    EXPECT_LE(InWindow(ui.PanelSearch, form).bottom(), InWindow(ui.TabControl, form).top());
    EXPECT_LE(InWindow(ui.ScrollBoxPicture, form).bottom(), InWindow(ui.DBMemoDescription, form).top());
    EXPECT_LE(InWindow(ui.PanelLeft, form).right(), InWindow(ui.PanelRight, form).left());
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
