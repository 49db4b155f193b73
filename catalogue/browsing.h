#pragma once
// TBrowsing: the handler set that runs the Software statement, lays out the grids' columns and
// fills the name lists of the search mask's combo boxes from the look-up queries.

#include "catalogue/catalogue_data.h"
#include "catalogue/main_window_state.h"

#include <QObject>

class QComboBox;

namespace Ui {
class TForm1;
}

namespace qm {

class TDBGrid;

class TBrowsing : public QObject {
    Q_OBJECT
public:
    TBrowsing(Ui::TForm1& ui, TCatalogueData& data, TMainWindowState& state);

    // Closes the Software query, replaces its statement and opens it again.
    void RunSoftwareQuery(const QString& statement);
    // Shares the Software grid's width between Name and Keywords; the ID columns keep theirs.
    void LayoutSoftwareColumns();
    // ID column 50 pixels, Name column the CD grid's width less 84 (the pages share one size).
    void ApplyTableColumnWidths(TDBGrid& grid);
    // Re-reads the three look-up tables into the combo boxes' name lists; with `restoreMask` the
    // six mask fields get back the texts last applied to the Software query.
    void RefreshLookupLists(bool restoreMask);

    void FillCDList();
    void FillCategoryList();
    void FillTypeList();

private:
    Ui::TForm1& ui_;
    TCatalogueData& data_;
    TMainWindowState& state_;
};

// Replaces the item list of `combo` by column 1 (Name) of every row of `lookup`, in alphabetical
// order whatever order the rows come in, duplicates kept; the typed text stays. Leaves `lookup`
// on its first row.
void FillNameList(QComboBox& combo, TQuery& lookup);

} // namespace qm
