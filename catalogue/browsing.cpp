#include "catalogue/browsing.h"

#include "catalogue/column_layout.h"
#include "catalogue/db/catalogue_statements.h"
#include "catalogue/search.h"
#include "catalogue/table_pages.h"
#include "framework/controls/application.h"
#include "framework/controls/dbgrid.h"
#include "framework/controls/dbmemo.h"
#include "framework/controls/statusbar.h"
#include "framework/data/unicode_text.h"
#include "pictures/picture_pane.h"
#include "ui_Unit1.h"

#include <QApplication>
#include <QSignalBlocker>
#include <algorithm>

namespace qm {

namespace {

// Positions of the fixed columns of the Software grid.
constexpr int kNameColumn = 0;
constexpr int kCDIDColumn = 1;
constexpr int kCategoryIDColumn = 2;
constexpr int kTypeIDColumn = 3;
constexpr int kKeywordsColumn = 4;

constexpr std::array kTables{TCatalogueTable::ctCD, TCatalogueTable::ctCategory, TCatalogueTable::ctType};

// Usable fields have the background of text fields (the window colour); unusable ones the grey of
// windows and menus. The picture pane and the memo are white while usable.
QColor UsableFieldColour() {
    return QApplication::palette().color(QPalette::Base);
}
QColor UnusableColour() {
    return QApplication::palette().color(QPalette::Window);
}
const QColor kWhite(0xFF, 0xFF, 0xFF);

void SetColour(QWidget& widget, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Base, colour);
    palette.setColor(QPalette::Window, colour);
    widget.setPalette(palette);
}

// The six fields of the search mask.
std::array<QWidget*, 6> MaskFields(const Ui::TForm1& ui) {
    return {ui.EditSearch, ui.ComboCD, ui.ComboCategory, ui.ComboType, ui.EditKeywords, ui.EditDescription};
}

void EmptyText(QWidget& field) {
    if (auto* combo = qobject_cast<QComboBox*>(&field))
        combo->setEditText(QString());
    else
        static_cast<QLineEdit&>(field).clear();
}

void SetUsable(QWidget& field, bool usable) {
    field.setEnabled(usable);
    SetColour(field, usable ? UsableFieldColour() : UnusableColour());
}

} // namespace

TBrowsing::TBrowsing(Ui::TForm1& ui, TCatalogueData& data, TMainWindowState& state)
    : ui_(ui), data_(data), state_(state) {
    connect(ui_.TabControl, &QTabWidget::currentChanged, this,
            Guarded(this, &TBrowsing::TabControlOldChange));
    connect(ui_.DBGridSoftware, &TDBGrid::TitleClick, this,
            Guarded(this, &TBrowsing::DBGridSoftwareOldTitleClick));
    connect(ui_.DBGridCD, &TDBGrid::TitleClick, this, Guarded(this, &TBrowsing::DBGridCDTitleClick));
    connect(ui_.DBGridCategory, &TDBGrid::TitleClick, this,
            Guarded(this, &TBrowsing::DBGridCategoryTitleClick));
    connect(ui_.DBGridType, &TDBGrid::TitleClick, this, Guarded(this, &TBrowsing::DBGridTypeTitleClick));
    connect(ui_.OptionsOrderTable, &QAction::triggered, this,
            Guarded(this, &TBrowsing::OptionsOrderTableExecute));
}

void TBrowsing::RunSoftwareQuery(const QString& statement) {
    ReplaceStatement(data_.ADOQuerySoftware, statement);
}

void TBrowsing::LayoutSoftwareColumns() {
    TDBGrid& grid = *ui_.DBGridSoftware;
    const TSoftwareColumnWidths widths =
        SoftwareColumnWidths(grid.width(), grid.columnWidth(kCDIDColumn), grid.columnWidth(kCategoryIDColumn),
                             grid.columnWidth(kTypeIDColumn));
    // A grid narrower than its ID columns leaves no room: a column cannot be narrower than nothing.
    grid.setColumnWidth(kKeywordsColumn, std::max(widths.keywords, 0));
    grid.setColumnWidth(kNameColumn, std::max(widths.name, 0));
}

void TBrowsing::ApplyTableColumnWidths(TDBGrid& grid) {
    const TTableColumnWidths widths = TableColumnWidths(ui_.DBGridCD->width());
    grid.setColumnWidth(0, widths.id);
    grid.setColumnWidth(1, std::max(widths.name, 0));
}

void TBrowsing::RefreshLookupLists(bool restoreMask) {
    ReplaceStatement(data_.ADOQueryCD2, QString::fromLatin1(TableTexts(TCatalogueTable::ctCD).wholeTable));
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
    ReplaceStatement(data_.ADOQueryCategory2,
                     QString::fromLatin1(TableTexts(TCatalogueTable::ctCategory).wholeTable));
    FillNameList(*ui_.ComboCategory, data_.ADOQueryCategory2);
}

void TBrowsing::FillTypeList() {
    ReplaceStatement(data_.ADOQueryType2,
                     QString::fromLatin1(TableTexts(TCatalogueTable::ctType).wholeTable));
    FillNameList(*ui_.ComboType, data_.ADOQueryType2);
}

void TBrowsing::PostPendingEdits() {
    for (TQuery* query :
         {&data_.ADOQuerySoftware, &data_.ADOQueryCD, &data_.ADOQueryCategory, &data_.ADOQueryType})
        if (query->Active())
            query->Post();
}

void TBrowsing::TabControlOldChange() {
    const int page = ui_.TabControl->currentIndex();
    try {
        PostPendingEdits();
    } catch (...) {
        const QSignalBlocker blocker(ui_.TabControl);
        ui_.TabControl->setCurrentIndex(shownPage_);
        throw;
    }
    if (page == kSoftwarePage) {
        ActivateSoftwareTab(false);
        EnablePicturePane();
    }
    for (TCatalogueTable table : kTables)
        if (page == TablePage(table).page) {
            ActivateTableTab(table, false);
            DisablePicturePane();
        }
}

void TBrowsing::ActivateSoftwareTab(bool focusMask) {
    shownPage_ = kSoftwarePage;
    ui_.EditSearch->clear();
    for (TCatalogueTable table : kTables)
        EmptyCombo(*(ui_.*TablePage(table).combo));
    ui_.EditKeywords->clear();
    for (QWidget* field : MaskFields(ui_))
        SetUsable(*field, true);
    ShowRowCount(ui_, data_.ADOQuerySoftware);
    ui_.StatusBar1->SetPanelText(1, data_.ADOQuerySoftware.FieldByName(QStringLiteral("Path")).toString());
    LayoutSoftwareColumns();
    SetOrderOptionEnabled(true);
    RefreshLookupLists(true);
    if (focusMask)
        ui_.EditSearch->setFocus();
    else
        ui_.DBGridSoftware->setFocus();
}

void TBrowsing::ActivateCDTab(bool focusMask) {
    ActivateTableTab(TCatalogueTable::ctCD, focusMask);
}
void TBrowsing::ActivateCategoryTab(bool focusMask) {
    ActivateTableTab(TCatalogueTable::ctCategory, focusMask);
}
void TBrowsing::ActivateTypeTab(bool focusMask) {
    ActivateTableTab(TCatalogueTable::ctType, focusMask);
}

void TBrowsing::ActivateTableTab(TCatalogueTable table, bool focusMask) {
    const TTablePage& page = TablePage(table);
    shownPage_ = page.page;
    QComboBox* own = ui_.*page.combo;
    for (QWidget* field : MaskFields(ui_)) {
        if (field == own)
            continue;
        EmptyText(*field);
        SetUsable(*field, false);
    }
    SetUsable(*own, true);
    own->setEditText(state_.*page.savedFilter);
    ShowRowCount(ui_, TableQuery(data_, table));
    ApplyTableColumnWidths(*(ui_.*page.grid));
    SetOrderOptionEnabled(false);
    switch (table) {
    case TCatalogueTable::ctCD:
        FillCDList();
        break;
    case TCatalogueTable::ctCategory:
        FillCategoryList();
        break;
    case TCatalogueTable::ctType:
        FillTypeList();
        break;
    }
    if (focusMask)
        own->setFocus();
    else
        (ui_.*page.grid)->setFocus();
}

void TBrowsing::SetOrderOptionEnabled(bool enabled) {
    ui_.OrderTableSoftwareByPrimaryKey->setEnabled(enabled);
    ui_.OptionsOrderTable->setEnabled(enabled);
}

void TBrowsing::EnablePicturePane() {
    ui_.ScrollBoxPicture->setEnabled(true);
    SetColour(*ui_.ScrollBoxPicture, kWhite);
    for (QWidget* control : std::initializer_list<QWidget*>{ui_.Image1, ui_.CheckBoxDisable,
                                                            ui_.ButtonAddPicture, ui_.ButtonRemove})
        control->setEnabled(true);
    TPicturePane::ApplyDisplayBoxRule(ui_);
    ui_.PanelDescriptionHide->hide();
    ui_.DBMemoDescription->show();
    ui_.DBMemoDescription->setEnabled(true);
    SetColour(*ui_.DBMemoDescription, kWhite);
}

void TBrowsing::DisablePicturePane() {
    for (QWidget* control : std::initializer_list<QWidget*>{
             ui_.ScrollBoxPicture, ui_.Image1, ui_.CheckBoxDisable, ui_.CheckBoxAutosize, ui_.CheckBoxStretch,
             ui_.CheckBoxCenter, ui_.ButtonAddPicture, ui_.ButtonRemove})
        control->setEnabled(false);
    ui_.PanelHidepicture->show();
    ui_.PanelDescriptionHide->show();
    ui_.DBMemoDescription->hide();
    ui_.DBMemoDescription->setEnabled(false);
    SetColour(*ui_.ScrollBoxPicture, UnusableColour());
    SetColour(*ui_.DBMemoDescription, UnusableColour());
    ui_.StatusBar1->SetPanelText(1, QString());
}

// The filter comes from the mask as it stands, typed with or without Enter.
void TBrowsing::DBGridSoftwareOldTitleClick(int column) {
    ui_.OrderTableSoftwareByPrimaryKey->setChecked(false);
    const std::optional<QString> statement =
        SoftwareTitleClickStatement(SoftwareStatementForMask(data_, SearchMaskTexts(ui_)), column);
    if (statement)
        RunSoftwareQuery(*statement);
}

void TBrowsing::DBGridCDTitleClick(int column) {
    TableTitleClick(TCatalogueTable::ctCD, column);
}
void TBrowsing::DBGridCategoryTitleClick(int column) {
    TableTitleClick(TCatalogueTable::ctCategory, column);
}
void TBrowsing::DBGridTypeTitleClick(int column) {
    TableTitleClick(TCatalogueTable::ctType, column);
}

void TBrowsing::TableTitleClick(TCatalogueTable table, int column) {
    const TTablePage& page = TablePage(table);
    if (!(ui_.*page.combo)->currentText().isEmpty())
        return;
    const std::optional<QString> statement = TableTitleClickStatement(table, column);
    if (!statement)
        return;
    ReplaceStatement(TableQuery(data_, table), *statement);
    ApplyTableColumnWidths(*(ui_.*page.grid));
}

void TBrowsing::OptionsOrderTableExecute() {
    if (ui_.OrderTableSoftwareByPrimaryKey->isChecked())
        return;
    RunSoftwareQuery(SoftwareStatementForMask(data_, SearchMaskTexts(ui_)));
    ui_.OrderTableSoftwareByPrimaryKey->setChecked(true);
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

    // The order the engine's ORDER BY gives the same names.
    std::stable_sort(names.begin(), names.end(),
                     [](const QString& a, const QString& b) { return CompareTextNoCase(a, b) < 0; });

    // Clearing and filling an editable combo box replaces its text; the typed text must stay.
    const QString typed = combo.currentText();
    combo.clear();
    combo.addItems(names);
    combo.setEditText(typed);
}

} // namespace qm
