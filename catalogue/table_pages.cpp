#include "catalogue/table_pages.h"

#include "framework/controls/statusbar.h"
#include "framework/data/query.h"
#include "ui_Unit1.h"

#include <array>

namespace qm {

namespace {

const std::array<TTablePage, 3> kTablePages{{
    {1, &Ui::TForm1::ComboCD, &Ui::TForm1::DBGridCD, &TMainWindowState::SavedCD,
     &TMainWindowState::SavedCDFilter},
    {2, &Ui::TForm1::ComboCategory, &Ui::TForm1::DBGridCategory, &TMainWindowState::SavedCategory,
     &TMainWindowState::SavedCategoryFilter},
    {3, &Ui::TForm1::ComboType, &Ui::TForm1::DBGridType, &TMainWindowState::SavedType,
     &TMainWindowState::SavedTypeFilter},
}};

} // namespace

const TTablePage& TablePage(TCatalogueTable table) {
    return kTablePages[static_cast<std::size_t>(table)];
}

void EmptyCombo(QComboBox& combo) {
    combo.clear();
    combo.clearEditText();
}

void ShowRowCount(Ui::TForm1& ui, const TQuery& query) {
    ui.StatusBar1->SetPanelText(0, QString::number(query.RecordCount()));
}

} // namespace qm
