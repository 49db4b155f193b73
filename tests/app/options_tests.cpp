// The six options of the main window: their start state, what each one switches, the menu and
// toolbar routes to them, and their shortcut keys.
#include "app/tform1.h"
#include "framework/controls/confirmation.h"
#include "tests/app/app_test_support.h"

#include <QHelpEvent>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <gtest/gtest.h>

namespace qm {
namespace {

using test::TShownForm;

QImage Pixels(const QIcon& icon) {
    return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

// The index of the toolbar image a button shows, -1 when it shows none of them.
int ShownImage(TForm1& form, const char* buttonName) {
    auto* button = form.findChild<QToolButton*>(QString::fromLatin1(buttonName));
    if (button == nullptr)
        return -2;
    const QImage shown = Pixels(button->icon());
    for (int i = 0; i < TForm1::kImageCount; ++i)
        if (Pixels(form.Image(i)) == shown)
            return i;
    return -1;
}

QList<TDBGrid*> TableGrids(Ui::TForm1& ui) {
    return {ui.DBGridSoftware, ui.DBGridCD, ui.DBGridCategory, ui.DBGridType};
}

QList<TDBNavigator*> Navigators(Ui::TForm1& ui) {
    return {ui.DBNavigatorSoftware, ui.DBNavigatorCD, ui.DBNavigatorCategory, ui.DBNavigatorType};
}

bool AllGridsHave(Ui::TForm1& ui, TDBGridOption option) {
    return std::ranges::all_of(TableGrids(ui), [option](TDBGrid* grid) { return grid->HasOption(option); });
}

bool NoGridHas(Ui::TForm1& ui, TDBGridOption option) {
    return std::ranges::none_of(TableGrids(ui), [option](TDBGrid* grid) { return grid->HasOption(option); });
}

const char* const kButtons[] = {"TBPopup", "TBConfirmations",       "TBOrder", "TBHints", "TBMultipleselect",
                                "TBClear", "TBWordWrapDescription", "TBHelp",  "TBAbout"};

// Whether hovering the widget would show a tooltip: the text Qt would show after a help event.
bool ShowsTooltip(QWidget* widget) {
    // A tooltip fades out rather than vanishing: wait until the last one is gone.
    QToolTip::hideText();
    for (int i = 0; i < 200 && QToolTip::isVisible(); ++i)
        QTest::qWait(10);
    QHelpEvent event(QEvent::ToolTip, QPoint(2, 2), widget->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(widget, &event);
    const bool shown = QToolTip::isVisible() && !QToolTip::text().isEmpty();
    QToolTip::hideText();
    return shown;
}

TEST(MainWindowOptions, StartAsTheFormDescriptionSetsThem) {
    TShownForm shown;
    TForm1& form = shown.Form();
    Ui::TForm1& ui = form.Ui();
    EXPECT_TRUE(ui.PopUps->isChecked());
    EXPECT_TRUE(ui.Confirmations1->isChecked());
    EXPECT_TRUE(ui.OrderTableSoftwareByPrimaryKey->isChecked());
    EXPECT_TRUE(ui.ShowHints1->isChecked());
    EXPECT_FALSE(ui.EnableMultipleselect1->isChecked());
    EXPECT_TRUE(ui.WordWrapDescription1->isChecked());

    const int expectedImages[] = {0, 2, 4, 6, 9, 10, 16, 12, 14};
    for (size_t i = 0; i < std::size(kButtons); ++i)
        EXPECT_EQ(ShownImage(form, kButtons[i]), expectedImages[i]) << kButtons[i];

    EXPECT_TRUE(AllGridsHave(ui, dgConfirmDelete));
    EXPECT_TRUE(NoGridHas(ui, dgMultiSelect));
    EXPECT_TRUE(ui.DBMemoDescription->WordWrap());
    for (TDBNavigator* navigator : Navigators(ui))
        EXPECT_TRUE(navigator->ShowHint());
}

TEST(MainWindowOptions, EighteenDistinctToolbarImagesOfSixteenPixels) {
    TShownForm shown;
    QList<QImage> images;
    for (int i = 0; i < TForm1::kImageCount; ++i) {
        const QIcon& icon = shown.Form().Image(i);
        ASSERT_FALSE(icon.isNull()) << i;
        EXPECT_EQ(icon.availableSizes().value(0), QSize(16, 16)) << i;
        EXPECT_FALSE(images.contains(Pixels(icon))) << "image " << i << " repeats an earlier one";
        images << Pixels(icon);
    }
}

// One option: its action, its menu item, its button and the images of its two states.
struct TOptionCase {
    const char* action;
    const char* item;
    const char* button;
    int imageOn;
    int imageOff;
    bool startsOn;
};

void PrintTo(const TOptionCase& option, std::ostream* os) {
    *os << option.action;
}

class EachOption : public ::testing::TestWithParam<TOptionCase> {
protected:
    TShownForm shown;
    TForm1& form = shown.Form();
    QAction* action = form.findChild<QAction*>(QString::fromLatin1(GetParam().action));
    QAction* item = form.findChild<QAction*>(QString::fromLatin1(GetParam().item));

    void ExpectState(bool on) {
        EXPECT_EQ(item->isChecked(), on);
        EXPECT_EQ(ShownImage(form, GetParam().button), on ? GetParam().imageOn : GetParam().imageOff);
    }
};

TEST_P(EachOption, ActionFlipsTheMarkAndTheImageAndTwiceRestoresThem) {
    ASSERT_NE(action, nullptr);
    ASSERT_NE(item, nullptr);
    const bool start = GetParam().startsOn;
    ExpectState(start);
    action->trigger();
    ExpectState(!start);
    action->trigger();
    ExpectState(start);
}

TEST_P(EachOption, MenuItemRunsTheActionOnce) {
    const bool start = GetParam().startsOn;
    item->trigger();
    ExpectState(!start);
    item->trigger();
    ExpectState(start);
}

TEST_P(EachOption, ToolbarButtonRunsTheAction) {
    auto* button = form.findChild<QToolButton*>(QString::fromLatin1(GetParam().button));
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
    ExpectState(!GetParam().startsOn);
}

INSTANTIATE_TEST_SUITE_P(
    MainWindowOptions, EachOption,
    ::testing::Values(TOptionCase{"OptionsPopups", "PopUps", "TBPopup", 0, 1, true},
                      TOptionCase{"OptionsConfirmations", "Confirmations1", "TBConfirmations", 2, 3, true},
                      TOptionCase{"OptionsShowHints", "ShowHints1", "TBHints", 6, 7, true},
                      TOptionCase{"OptionsEnableMultipleselect", "EnableMultipleselect1", "TBMultipleselect",
                                  8, 9, false},
                      TOptionCase{"OptionsWordWrapDescription", "WordWrapDescription1",
                                  "TBWordWrapDescription", 16, 17, true}));

TEST(MainWindowOptions, OrderImageFollowsItsMarkWhoeverSetsIt) {
    TShownForm shown;
    Ui::TForm1& ui = shown.Form().Ui();
    ui.OrderTableSoftwareByPrimaryKey->setChecked(false);
    EXPECT_EQ(ShownImage(shown.Form(), "TBOrder"), 5);
    ui.OrderTableSoftwareByPrimaryKey->setChecked(true);
    EXPECT_EQ(ShownImage(shown.Form(), "TBOrder"), 4);
}

TEST(MainWindowOptions, ConfirmationsAndMultipleSelectSwitchTheFourGridsTogether) {
    TShownForm shown;
    Ui::TForm1& ui = shown.Form().Ui();
    ui.OptionsConfirmations->trigger();
    EXPECT_TRUE(NoGridHas(ui, dgConfirmDelete));
    ui.OptionsEnableMultipleselect->trigger();
    EXPECT_TRUE(AllGridsHave(ui, dgMultiSelect));
    // Each switch touches only its own option.
    EXPECT_TRUE(NoGridHas(ui, dgConfirmDelete));
    EXPECT_TRUE(AllGridsHave(ui, dgEditing));
    ui.OptionsConfirmations->trigger();
    EXPECT_TRUE(AllGridsHave(ui, dgConfirmDelete));
    EXPECT_TRUE(AllGridsHave(ui, dgMultiSelect));
    // The look-up grids are not among the four.
    EXPECT_FALSE(ui.DBGridCD2->HasOption(dgMultiSelect));
}

TEST(MainWindowOptions, MultipleSelectLetsSeveralRowsBeSelected) {
    TShownForm shown;
    Ui::TForm1& ui = shown.Form().Ui();
    TDBGrid& grid = *ui.DBGridCD;
    ui.TabControl->setCurrentWidget(ui.TabSheetCD);
    ui.OptionsEnableMultipleselect->trigger();
    grid.selectRow(0);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ControlModifier,
                      grid.visualRect(grid.model()->index(2, 1)).center());
    EXPECT_EQ(grid.SelectedRows(), (QList<int>{0, 2}));
}

TEST(MainWindowOptions, ShowHintsSwitchesToolbarAndNavigatorTooltipsOnly) {
    TShownForm shown;
    TForm1& form = shown.Form();
    Ui::TForm1& ui = form.Ui();
    ui.EditSearch->setToolTip(QStringLiteral("a tip of the search field"));
    auto* popup = form.findChild<QToolButton*>(QStringLiteral("TBPopup"));
    ASSERT_TRUE(ShowsTooltip(popup));

    ui.OptionsShowHints->trigger();
    for (const char* name : kButtons)
        EXPECT_FALSE(ShowsTooltip(form.findChild<QToolButton*>(QString::fromLatin1(name)))) << name;
    for (TDBNavigator* navigator : Navigators(ui)) {
        EXPECT_FALSE(navigator->ShowHint());
        EXPECT_FALSE(ShowsTooltip(navigator->Button(TDBNavigator::nbFirst)));
    }
    EXPECT_TRUE(ShowsTooltip(ui.EditSearch));

    ui.OptionsShowHints->trigger();
    EXPECT_TRUE(ShowsTooltip(popup));
    EXPECT_TRUE(ShowsTooltip(ui.DBNavigatorType->Button(TDBNavigator::nbDelete)));
}

TEST(MainWindowOptions, ToolbarTooltipsAreTheFormDescriptionTexts) {
    TShownForm shown;
    TForm1& form = shown.Form();
    const auto tip = [&form](const char* name) {
        return form.findChild<QToolButton*>(QString::fromLatin1(name))->toolTip();
    };
    EXPECT_EQ(tip("TBConfirmations"),
              "Enable/Disable confirmation when delete (only when deleting a row with CTRL-D)");
    EXPECT_EQ(tip("TBHints"), "Enable/Disble Show Hints");
    EXPECT_EQ(tip("TBPopup"), "Enable/Disable Popups (CDID, CategoryID, TypeID)");
    EXPECT_EQ(tip("TBHelp"), "Quillmere Help");
}

TEST(MainWindowOptions, WordWrapSwitchesTheDescriptionMemo) {
    TShownForm shown;
    Ui::TForm1& ui = shown.Form().Ui();
    ui.OptionsWordWrapDescription->trigger();
    EXPECT_FALSE(ui.DBMemoDescription->WordWrap());
    EXPECT_EQ(ui.DBMemoDescription->lineWrapMode(), QPlainTextEdit::NoWrap);
    ui.OptionsWordWrapDescription->trigger();
    EXPECT_EQ(ui.DBMemoDescription->lineWrapMode(), QPlainTextEdit::WidgetWidth);
}

// Ctrl+Delete in a grid, with the questions the grid asks recorded and answered with OK.
class GridDeletion : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = SetConfirmationHandler([this](QWidget*, const QString& text) {
            questions << text;
            return true;
        });
    }
    void TearDown() override { SetConfirmationHandler(previous_); }

    TShownForm shown;
    Ui::TForm1& ui = shown.Form().Ui();
    QStringList questions;

private:
    TConfirmationHandler previous_;
};

TEST_F(GridDeletion, AsksWhileConfirmationsAreOn) {
    ui.DBGridSoftware->setFocus();
    QTest::keyClick(ui.DBGridSoftware, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(questions, QStringList{"Delete record?"});
    EXPECT_EQ(shown.Catalogue().Column("SELECT COUNT(*) FROM SOFTWARE").value(0), "2");
}

TEST_F(GridDeletion, DeletesAtOnceWithoutConfirmationsButTheNavigatorStillAsks) {
    ui.OptionsConfirmations->trigger();
    QTest::keyClick(ui.DBGridSoftware, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(shown.Catalogue().Column("SELECT COUNT(*) FROM SOFTWARE").value(0), "2");

    QTest::mouseClick(ui.DBNavigatorSoftware->Button(TDBNavigator::nbDelete), Qt::LeftButton);
    EXPECT_EQ(questions, QStringList{"Delete record?"});
    EXPECT_EQ(shown.Catalogue().Column("SELECT COUNT(*) FROM SOFTWARE").value(0), "1");
}

TEST_F(GridDeletion, AsksForAllSelectedRowsUnderMultipleSelect) {
    ui.OptionsEnableMultipleselect->trigger();
    ui.DBGridSoftware->selectAll();
    QTest::keyClick(ui.DBGridSoftware, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(questions, QStringList{"Delete all selected records?"});
    EXPECT_EQ(shown.Catalogue().Column("SELECT COUNT(*) FROM SOFTWARE").value(0), "0");
}

// Shortcut keys reach the options even while the search field has the focus.
struct TShortcutCase {
    Qt::Key key;
    const char* item;
};

void PrintTo(const TShortcutCase& shortcut, std::ostream* os) {
    *os << shortcut.item;
}

class OptionShortcut : public ::testing::TestWithParam<TShortcutCase> {};

TEST_P(OptionShortcut, CtrlKeyInTheSearchFieldFlipsTheOption) {
    TShownForm shown;
    TForm1& form = shown.Form();
    auto* item = form.findChild<QAction*>(QString::fromLatin1(GetParam().item));
    ASSERT_NE(item, nullptr);
    QTRY_COMPARE(QApplication::focusWidget(), form.Ui().EditSearch);
    const bool before = item->isChecked();
    QTest::keyClick(form.Ui().EditSearch, GetParam().key, Qt::ControlModifier);
    EXPECT_NE(item->isChecked(), before);
    EXPECT_TRUE(form.Ui().EditSearch->text().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(MainWindowOptions, OptionShortcut,
                         ::testing::Values(TShortcutCase{Qt::Key_P, "PopUps"},
                                           TShortcutCase{Qt::Key_N, "Confirmations1"},
                                           TShortcutCase{Qt::Key_S, "ShowHints1"},
                                           TShortcutCase{Qt::Key_M, "EnableMultipleselect1"},
                                           TShortcutCase{Qt::Key_W, "WordWrapDescription1"}));

TEST(MainWindowMenu, CaptionsAndShortcutsOfTheMenuItems) {
    TShownForm shown;
    TForm1& form = shown.Form();
    const QList<QPair<QString, QString>> expected = {
        {"Exit1", "Ctrl+E"},           {"PopUps", "Ctrl+P"},
        {"Confirmations1", "Ctrl+N"},  {"OrderTableSoftwareByPrimaryKey", "Ctrl+O"},
        {"ShowHints1", "Ctrl+S"},      {"EnableMultipleselect1", "Ctrl+M"},
        {"ClearallFields1", "Ctrl+F"}, {"WordWrapDescription1", "Ctrl+W"},
        {"QuillmereHelp1", "Ctrl+H"},  {"About1", "Ctrl+B"}};
    for (const auto& [name, keys] : expected) {
        auto* item = form.findChild<QAction*>(name);
        ASSERT_NE(item, nullptr) << name.toStdString();
        EXPECT_EQ(item->shortcut(), QKeySequence(keys)) << name.toStdString();
    }
    EXPECT_EQ(form.Ui().WordWrapDescription1->text(), "Word Wrap Description");
    EXPECT_EQ(form.Ui().OptionsWordWrapDescription->text(), "OptionsWordWrapDescription");
    EXPECT_EQ(form.Ui().MenuOptions->title(), "&Options");
}

TEST(MainWindowMenu, ActionListKeepsItsOrderAndCategories) {
    TShownForm shown;
    QStringList names;
    QStringList categories;
    for (QAction* action : shown.Form().Ui().ActionList1->actions()) {
        names << action->objectName();
        categories << action->property("Category").toString();
    }
    EXPECT_EQ(names, (QStringList{"FileExit", "OptionsPopups", "OptionsConfirmations", "OptionsOrderTable",
                                  "OptionsShowHints", "OptionsEnableMultipleselect", "OptionsClearSearchmask",
                                  "HelpQuillmereHelp", "HelpAbout", "OptionsWordWrapDescription"}));
    EXPECT_EQ(categories, (QStringList{"File", "Options", "Options", "Options", "Options", "Options",
                                       "Options", "Help", "Help", "Options"}));
}

TEST(MainWindowMenu, OrderItemKeepsItsMarkWhenTheOrderIsAlreadyByKey) {
    TShownForm shown;
    Ui::TForm1& ui = shown.Form().Ui();
    ui.OrderTableSoftwareByPrimaryKey->trigger();
    EXPECT_TRUE(ui.OrderTableSoftwareByPrimaryKey->isChecked());
    EXPECT_EQ(ShownImage(shown.Form(), "TBOrder"), 4);
}

} // namespace
} // namespace qm
