#pragma once
// TBrowsing: the handler set of page switching and sort order. It sets up the search mask and the
// picture pane for the active page, lays out the grids' columns, fills the name lists of the
// mask's combo boxes from the look-up queries and re-sorts a table by a click on a column title.

#include "catalogue/db/catalogue_data.h"
#include "catalogue/db/catalogue_tables.h"
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

    // Posts the rows being edited or inserted in the four tables; a refused post raises with the
    // edit left in place.
    void PostPendingEdits();

    // A click on a tab: pending edits posted, then the page's set-up with the focus on its grid.
    // When a post is refused the page that holds the edit comes back.
    void TabControlOldChange();
    // Set up the mask and the page; `focusMask` puts the focus into the mask instead of the grid.
    // Neither runs the page's query again.
    void ActivateSoftwareTab(bool focusMask);
    void ActivateCDTab(bool focusMask);
    void ActivateCategoryTab(bool focusMask);
    void ActivateTypeTab(bool focusMask);
    // The set-up of the page of `table`, which the three above share.
    void ActivateTableTab(TCatalogueTable table, bool focusMask);
    // The picture pane and the description memo are usable on the Software page only.
    void EnablePicturePane();
    void DisablePicturePane();

    // Re-sorts the Software rows by the clicked column, keeping the mask's filter; the order
    // option goes off.
    void DBGridSoftwareOldTitleClick(int column);
    // Re-sorts a table by ID or Name while its page has no name filter typed.
    void DBGridCDTitleClick(int column);
    void DBGridCategoryTitleClick(int column);
    void DBGridTypeTitleClick(int column);
    // Back to the mask's rows in ID order, unless the option is already on.
    void OptionsOrderTableExecute();

private:
    void TableTitleClick(TCatalogueTable table, int column);
    void SetOrderOptionEnabled(bool enabled);

    Ui::TForm1& ui_;
    TCatalogueData& data_;
    TMainWindowState& state_;
    int shownPage_ = 0; // the page whose set-up ran last
};

// Replaces the item list of `combo` by column 1 (Name) of every row of `lookup`, in alphabetical
// order whatever order the rows come in, duplicates kept; the typed text stays. Leaves `lookup`
// on its first row.
void FillNameList(QComboBox& combo, TQuery& lookup);

} // namespace qm
