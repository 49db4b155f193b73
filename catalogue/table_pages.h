#pragma once
// The tab pages of the CD, Category and Type tables and the parts of the window that serve each:
// the search mask's combo box that names a row of the table, the grid, and the remembered texts.

#include "catalogue/db/catalogue_tables.h"
#include "catalogue/main_window_state.h"

#include <QString>

class QComboBox;

namespace Ui {
class TForm1;
}

namespace qm {

class TDBGrid;
class TQuery;

// Page indexes of the tab control.
inline constexpr int kSoftwarePage = 0;

struct TTablePage {
    int page;
    QComboBox* Ui::TForm1::*combo;
    TDBGrid* Ui::TForm1::*grid;
    QString TMainWindowState::*savedSearch; // the combo's text last applied to the Software search
    QString TMainWindowState::*savedFilter; // the combo's text last applied to the page's own table
};

const TTablePage& TablePage(TCatalogueTable table);

// Empties the combo box's text and its name list.
void EmptyCombo(QComboBox& combo);

// Status panel 0 shows the row count of the active page's query.
void ShowRowCount(Ui::TForm1& ui, const TQuery& query);

} // namespace qm
