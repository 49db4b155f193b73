#pragma once
// TInputHandling: what the main window adds to the toolkit's own input handling. An application-
// wide filter turns the mouse wheel into Up and Down key presses while a data grid has the focus;
// F5 to F8 in the grids and the search mask switch pages; the description memo is marked as typed
// in on every key release and saved when the focus leaves it.

#include "catalogue/db/catalogue_data.h"
#include "catalogue/db/catalogue_tables.h"
#include "catalogue/main_window_state.h"
#include "catalogue/wheel_totals.h"

#include <QObject>
#include <array>

class QWidget;

namespace Ui {
class TForm1;
}

namespace qm {

class TBrowsing;

class TInputHandling : public QObject {
    Q_OBJECT
public:
    TInputHandling(Ui::TForm1& ui, TCatalogueData& data, TMainWindowState& state, TBrowsing& browsing);

    // Sees every event of the application before it is delivered. A wheel turn is taken as the
    // window system hands it to a window, once, before it reaches a widget (and before widgets
    // pass it on to their parents and scroll bars). Returns true when it became a key press, which
    // then goes to the focused grid instead.
    bool ApplicationEvents1Message(QObject* receiver, QEvent* event);
    // Shared by the four grids and the six mask fields; the key still reaches the control.
    void DBGridSoftwareOldKeyDown(int key);
    void DBMemoDescriptionKeyUp();
    void DBMemoDescriptionExit();

    const TWheelTotals& WheelTotals() const { return wheelTotals_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool IsPageKeyControl(const QObject* watched) const;
    void ShowPage(int page);
    void ShowTablePage(TCatalogueTable table);

    Ui::TForm1& ui_;
    TCatalogueData& data_;
    TMainWindowState& state_;
    TBrowsing& browsing_;
    std::array<QWidget*, 10> pageKeyControls_;
    TWheelTotals wheelTotals_;
};

} // namespace qm
