#include "catalogue/search.h"

#include "catalogue/browsing.h"
#include "catalogue/db/catalogue_statements.h"
#include "catalogue/table_pages.h"
#include "framework/controls/application.h"
#include "framework/controls/dbgrid.h"
#include "framework/controls/dbmemo.h"
#include "ui_Unit1.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace qm {

namespace {

constexpr QChar kEnter(13);

} // namespace

TSearchMask SearchMaskTexts(const Ui::TForm1& ui) {
    return {ui.EditSearch->text(),       ui.ComboCD->currentText(), ui.ComboCategory->currentText(),
            ui.ComboType->currentText(), ui.EditKeywords->text(),   ui.EditDescription->text()};
}

TSearch::TSearch(Ui::TForm1& ui, TCatalogueData& data, TMainWindowState& state, TBrowsing& browsing)
    : ui_(ui), data_(data), state_(state), browsing_(browsing) {
    for (QLineEdit* edit : {ui_.EditSearch, ui_.EditKeywords, ui_.EditDescription})
        edit->installEventFilter(this);
    ConnectCombo(TCatalogueTable::ctCD, &TSearch::ComboCDChange);
    ConnectCombo(TCatalogueTable::ctCategory, &TSearch::ComboCategoryChange);
    ConnectCombo(TCatalogueTable::ctType, &TSearch::ComboTypeChange);
    connect(ui_.OptionsClearSearchmask, &QAction::triggered, this,
            Guarded(this, &TSearch::OptionsClearSearchmaskExecute));
}

// Only what the user does is a change: texts the program puts back or clears run nothing. Each
// keystroke searches for exactly what has been typed, so no completion may add to it.
void TSearch::ConnectCombo(TCatalogueTable table, void (TSearch::*handler)()) {
    QComboBox* combo = ui_.*TablePage(table).combo;
    combo->setCompleter(nullptr);
    connect(combo->lineEdit(), &QLineEdit::textEdited, this, Guarded(this, handler));
    connect(combo, &QComboBox::textActivated, this, Guarded(this, handler));
}

bool TSearch::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        const QChar key = text.size() == 1 ? text.front() : QChar();
        RunGuarded([&] {
            if (watched == ui_.EditSearch)
                EditSearchKeyPress(key);
            else if (watched == ui_.EditKeywords)
                EditKeywordsKeyPress(key);
            else if (watched == ui_.EditDescription)
                EditDescriptionKeyPress(key);
        });
    }
    return QObject::eventFilter(watched, event); // the field still gets the key
}

QString TSearch::BuildSoftwareQuery() {
    return SoftwareStatementForMask(data_, SearchMaskTexts(ui_));
}

void TSearch::EditSearchKeyPress(QChar key) {
    if (key == kEnter)
        SearchSoftware(&TMainWindowState::SavedSearch, ui_.EditSearch->text());
}

void TSearch::EditKeywordsKeyPress(QChar key) {
    if (key == kEnter)
        SearchSoftware(&TMainWindowState::SavedKeywords, ui_.EditKeywords->text());
}

void TSearch::EditDescriptionKeyPress(QChar key) {
    if (key == kEnter)
        SearchSoftware(&TMainWindowState::SavedDescription, ui_.EditDescription->text());
}

void TSearch::ComboCDChange() {
    ComboChange(TCatalogueTable::ctCD);
}
void TSearch::ComboCategoryChange() {
    ComboChange(TCatalogueTable::ctCategory);
}
void TSearch::ComboTypeChange() {
    ComboChange(TCatalogueTable::ctType);
}

// A failing statement leaves the count and the remembered text as they were.
void TSearch::SearchSoftware(QString TMainWindowState::*saved, const QString& text) {
    browsing_.RunSoftwareQuery(BuildSoftwareQuery());
    ShowRowCount(ui_, data_.ADOQuerySoftware);
    state_.*saved = text;
}

void TSearch::ComboChange(TCatalogueTable table) {
    const TTablePage& page = TablePage(table);
    const QString text = (ui_.*page.combo)->currentText();
    const int current = ui_.TabControl->currentIndex();
    if (current == kSoftwarePage)
        SearchSoftware(page.savedSearch, text);
    else if (current == page.page)
        FilterTable(table, text);
}

void TSearch::FilterTable(TCatalogueTable table, const QString& text) {
    const TTablePage& page = TablePage(table);
    TQuery& query = TableQuery(data_, table);
    ReplaceStatement(query, NameFilterStatement(table, text));
    browsing_.ApplyTableColumnWidths(*(ui_.*page.grid));
    ShowRowCount(ui_, query);
    state_.*page.savedFilter = text;
}

void TSearch::OptionsClearSearchmaskExecute() {
    const int current = ui_.TabControl->currentIndex();
    if (current == kSoftwarePage)
        ClearSoftwareMask();
    for (TCatalogueTable table :
         {TCatalogueTable::ctCD, TCatalogueTable::ctCategory, TCatalogueTable::ctType})
        if (current == TablePage(table).page)
            ClearTableMask(table);
}

void TSearch::ClearSoftwareMask() {
    if (state_.DescriptionModified)
        SaveDescription(state_, data_.ADOQuerySoftware, ui_.DBMemoDescription->toPlainText());
    ui_.OrderTableSoftwareByPrimaryKey->setChecked(true);
    for (QLineEdit* edit : {ui_.EditSearch, ui_.EditKeywords, ui_.EditDescription})
        edit->clear();
    for (QComboBox* combo : {ui_.ComboCD, ui_.ComboCategory, ui_.ComboType})
        EmptyCombo(*combo);
    state_.SavedSearch.clear();
    state_.SavedCD.clear();
    state_.SavedCategory.clear();
    state_.SavedType.clear();
    state_.SavedKeywords.clear();
    state_.SavedDescription.clear();
    browsing_.RefreshLookupLists(false);
    browsing_.RunSoftwareQuery(QString::fromLatin1(kAllSoftwareStatement));
    ShowRowCount(ui_, data_.ADOQuerySoftware);
}

// The page's remembered filter stays: it comes back on the next visit to the page.
void TSearch::ClearTableMask(TCatalogueTable table) {
    const TTablePage& page = TablePage(table);
    EmptyCombo(*(ui_.*page.combo));
    browsing_.RefreshLookupLists(false);
    TQuery& query = TableQuery(data_, table);
    ReplaceStatement(query, QString::fromLatin1(TableTexts(table).wholeTable));
    browsing_.ApplyTableColumnWidths(*(ui_.*page.grid));
    ShowRowCount(ui_, query);
}

} // namespace qm
