#include "catalogue/browsing.h"

#include "catalogue/column_layout.h"
#include "framework/controls/dbgrid.h"
#include "ui_Unit1.h"

#include <QCollator>
#include <algorithm>

namespace qm {

namespace {

// Positions of the fixed columns of the Software grid.
constexpr int kNameColumn = 0;
constexpr int kCDIDColumn = 1;
constexpr int kCategoryIDColumn = 2;
constexpr int kTypeIDColumn = 3;
constexpr int kKeywordsColumn = 4;

void ReplaceStatement(TQuery& query, const QString& statement) {
    query.Close();
    query.setSQL(statement);
    query.Open();
}

} // namespace

TBrowsing::TBrowsing(Ui::TForm1& ui, TCatalogueData& data, TMainWindowState& state)
    : ui_(ui), data_(data), state_(state) {}

void TBrowsing::RunSoftwareQuery(const QString& statement) {
    ReplaceStatement(data_.ADOQuerySoftware, statement);
}

void TBrowsing::LayoutSoftwareColumns() {
    TDBGrid& grid = *ui_.DBGridSoftware;
    const TSoftwareColumnWidths widths =
        SoftwareColumnWidths(grid.width(), grid.columnWidth(kCDIDColumn), grid.columnWidth(kCategoryIDColumn),
                             grid.columnWidth(kTypeIDColumn));
    grid.setColumnWidth(kKeywordsColumn, widths.keywords);
    grid.setColumnWidth(kNameColumn, widths.name);
}

void TBrowsing::ApplyTableColumnWidths(TDBGrid& grid) {
    const TTableColumnWidths widths = TableColumnWidths(ui_.DBGridCD->width());
    grid.setColumnWidth(0, widths.id);
    grid.setColumnWidth(1, widths.name);
}

void TBrowsing::RefreshLookupLists(bool restoreMask) {
    ReplaceStatement(data_.ADOQueryCD2, QStringLiteral("SELECT * FROM CD"));
    FillCDList();
    FillCategoryList();
    FillTypeList();
    if (!restoreMask)
        return;
    ui_.EditSearch->setText(state_.SavedSearch);
    ui_.ComboCD->setEditText(state_.SavedCD);
    ui_.ComboCategory->setEditText(state_.SavedCategory);
    ui_.ComboType->setEditText(state_.SavedType);
    ui_.EditKeywords->setText(state_.SavedKeywords);
    ui_.EditDescription->setText(state_.SavedDescription);
}

// The CD list walks the look-up query as RefreshLookupLists last opened it.
void TBrowsing::FillCDList() {
    FillNameList(*ui_.ComboCD, data_.ADOQueryCD2);
}

void TBrowsing::FillCategoryList() {
    ReplaceStatement(data_.ADOQueryCategory2, QStringLiteral("SELECT * FROM Category"));
    FillNameList(*ui_.ComboCategory, data_.ADOQueryCategory2);
}

void TBrowsing::FillTypeList() {
    ReplaceStatement(data_.ADOQueryType2, QStringLiteral("SELECT * FROM Type"));
    FillNameList(*ui_.ComboType, data_.ADOQueryType2);
}

void FillNameList(QComboBox& combo, TQuery& lookup) {
    const int count = lookup.RecordCount();
    QStringList names;
    names.reserve(count);
    lookup.First();
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            lookup.Next();
        names.append(lookup.Field(1).toString());
    }
    lookup.First();

    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(names.begin(), names.end(),
                     [&collator](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });

    // Clearing and filling an editable combo box replaces its text; the typed text must stay.
    const QString typed = combo.currentText();
    combo.clear();
    combo.addItems(names);
    combo.setEditText(typed);
}

} // namespace qm
