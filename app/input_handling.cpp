#include "app/input_handling.h"

#include "catalogue/browsing.h"
#include "catalogue/table_pages.h"
#include "framework/controls/dbgrid.h"
#include "framework/controls/dbmemo.h"
#include "ui_Unit1.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QWheelEvent>
#include <algorithm>

namespace qm {

namespace {

// The grid that has the focus in the active window, if a grid has it.
TDBGrid* FocusedGrid() {
    const QWidget* active = QApplication::activeWindow();
    return active ? qobject_cast<TDBGrid*>(active->focusWidget()) : nullptr;
}

// A wheel turned over a combo box that the user is not working in would silently choose another
// name and run a search: such a box does not take the wheel.
bool IsUnfocusedComboBox(const QObject* watched) {
    const auto* combo = qobject_cast<const QComboBox*>(watched);
    return combo != nullptr && !combo->hasFocus() && !combo->isAncestorOf(QApplication::focusWidget());
}

// Losing the focus to another window or to a menu is not leaving the memo.
bool LeavesTheControl(const QFocusEvent& event) {
    return event.reason() != Qt::ActiveWindowFocusReason && event.reason() != Qt::PopupFocusReason;
}

} // namespace

TInputHandling::TInputHandling(Ui::TForm1& ui, TCatalogueData& data, TMainWindowState& state,
                               TBrowsing& browsing)
    : ui_(ui), data_(data), state_(state),
      browsing_(browsing), pageKeyControls_{ui.DBGridSoftware, ui.DBGridCD,   ui.DBGridCategory,
                                            ui.DBGridType,     ui.EditSearch, ui.ComboCD,
                                            ui.ComboCategory,  ui.ComboType,  ui.EditKeywords,
                                            ui.EditDescription} {
    // One application-wide filter sees the wheel for every widget and the keys of the controls.
    QCoreApplication::instance()->installEventFilter(this);
}

bool TInputHandling::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Wheel:
        return ApplicationEvents1Message(watched, event) || IsUnfocusedComboBox(watched);
    case QEvent::KeyPress:
        if (IsPageKeyControl(watched))
            DBGridSoftwareOldKeyDown(static_cast<QKeyEvent*>(event)->key());
        break;
    case QEvent::KeyRelease:
        if (watched == ui_.DBMemoDescription)
            DBMemoDescriptionKeyUp();
        break;
    case QEvent::FocusOut:
        if (watched == ui_.DBMemoDescription && LeavesTheControl(*static_cast<QFocusEvent*>(event)))
            DBMemoDescriptionExit();
        break;
    default:
        break;
    }
    return false;
}

bool TInputHandling::IsPageKeyControl(const QObject* watched) const {
    return std::find(pageKeyControls_.begin(), pageKeyControls_.end(), watched) != pageKeyControls_.end();
}

bool TInputHandling::ApplicationEvents1Message(QObject* receiver, QEvent* event) {
    if (event->type() != QEvent::Wheel || !receiver->isWindowType())
        return false;
    TDBGrid* grid = FocusedGrid();
    if (grid == nullptr)
        return false;
    const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
    if (delta == 0)
        return false;
    const TWheelKey key = wheelTotals_.Feed(delta);
    if (key == TWheelKey::wkNone)
        return false;
    QKeyEvent press(QEvent::KeyPress, key == TWheelKey::wkUp ? Qt::Key_Up : Qt::Key_Down, Qt::NoModifier);
    QCoreApplication::sendEvent(grid, &press);
    return true;
}

void TInputHandling::DBGridSoftwareOldKeyDown(int key) {
    switch (key) {
    case Qt::Key_F5:
        ShowPage(kSoftwarePage);
        browsing_.ActivateSoftwareTab(false);
        browsing_.EnablePicturePane();
        break;
    case Qt::Key_F6:
        ShowTablePage(TCatalogueTable::ctCD);
        break;
    case Qt::Key_F7:
        ShowTablePage(TCatalogueTable::ctCategory);
        break;
    case Qt::Key_F8:
        ShowTablePage(TCatalogueTable::ctType);
        break;
    default:
        break;
    }
}

// Only the page keys put the focus into the search mask.
void TInputHandling::ShowTablePage(TCatalogueTable table) {
    ShowPage(TablePage(table).page);
    browsing_.ActivateTableTab(table, true);
    browsing_.DisablePicturePane();
}

// The page's set-up is done by the key handler itself, not by the page control's change handler.
// Pending edits are posted first; a refused post keeps the page.
void TInputHandling::ShowPage(int page) {
    browsing_.PostPendingEdits();
    const QSignalBlocker blocker(ui_.TabControl);
    ui_.TabControl->setCurrentIndex(page);
}

void TInputHandling::DBMemoDescriptionKeyUp() {
    state_.DescriptionModified = true;
}

void TInputHandling::DBMemoDescriptionExit() {
    if (state_.DescriptionModified)
        SaveDescription(state_, data_.ADOQuerySoftware, ui_.DBMemoDescription->toPlainText());
}

} // namespace qm
