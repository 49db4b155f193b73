#pragma once
// TSearch: the handler set of the search mask. Enter in a text field or a change of a combo box
// rebuilds the Software statement from all six fields; on a table's own page its combo box
// filters that table by the beginning of Name; Clear Searchmask empties the mask of the page.
// The texts last applied are remembered in TMainWindowState for the page switch to put back.

#include "catalogue/db/catalogue_data.h"
#include "catalogue/db/catalogue_tables.h"
#include "catalogue/db/software_query.h"
#include "catalogue/main_window_state.h"

#include <QObject>

namespace Ui {
class TForm1;
}

namespace qm {

class TBrowsing;

// The six mask fields' texts as they stand, typed or not.
TSearchMask SearchMaskTexts(const Ui::TForm1& ui);

class TSearch : public QObject {
    Q_OBJECT
public:
    TSearch(Ui::TForm1& ui, TCatalogueData& data, TMainWindowState& state, TBrowsing& browsing);

    // The Software statement for the mask's current texts; runs the look-ups of the combo names.
    QString BuildSoftwareQuery();

    // Each acts on Enter (character 13) only.
    void EditSearchKeyPress(QChar key);
    void EditKeywordsKeyPress(QChar key);
    void EditDescriptionKeyPress(QChar key);

    // A change the user made to the combo box's text, by typing or by choosing a name.
    void ComboCDChange();
    void ComboCategoryChange();
    void ComboTypeChange();

    void OptionsClearSearchmaskExecute();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ConnectCombo(TCatalogueTable table, void (TSearch::*handler)());
    void SearchSoftware(QString TMainWindowState::*saved, const QString& text);
    void ComboChange(TCatalogueTable table);
    void FilterTable(TCatalogueTable table, const QString& text);
    void ClearSoftwareMask();
    void ClearTableMask(TCatalogueTable table);

    Ui::TForm1& ui_;
    TCatalogueData& data_;
    TMainWindowState& state_;
    TBrowsing& browsing_;
};

} // namespace qm
