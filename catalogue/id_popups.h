#pragma once
// TIDPopups: the handler set that shows what an ID cell of the Software grid stands for. A click
// in a CDID, CategoryID or TypeID cell looks the number up in its table and shows the row's Name,
// or says that no row has that ID; nothing is written. Works while the PopUps option is on.

#include "catalogue/db/catalogue_data.h"
#include "catalogue/main_window_state.h"

#include <QObject>

namespace Ui {
class TForm1;
}

namespace qm {

class TIDPopups : public QObject {
    Q_OBJECT
public:
    TIDPopups(Ui::TForm1& ui, TCatalogueData& data, TMainWindowState& state);

    // `column` is the grid column clicked, which is the grid's current column after the click.
    void DBGridSoftwareOldCellClick(int column);
    // A modal box with `text`, the caption `caption`, one OK button and no icon.
    void ShowIDName(const QString& text, const QString& caption);

private:
    Ui::TForm1& ui_;
    TCatalogueData& data_;
};

} // namespace qm
