#include "catalogue/id_popups.h"

#include "catalogue/db/catalogue_statements.h"
#include "catalogue/db/catalogue_tables.h"
#include "framework/controls/application.h"
#include "framework/controls/dbgrid.h"
#include "ui_Unit1.h"

#include <QMessageBox>

namespace qm {

TIDPopups::TIDPopups(Ui::TForm1& ui, TCatalogueData& data, TMainWindowState&) : ui_(ui), data_(data) {
    connect(ui_.DBGridSoftware, &TDBGrid::CellClick, this,
            Guarded(this, &TIDPopups::DBGridSoftwareOldCellClick));
}

void TIDPopups::DBGridSoftwareOldCellClick(int column) {
    if (!ui_.PopUps->isChecked())
        return;
    const std::optional<TCatalogueTable> table = ReferencedTable(column);
    if (!table)
        return;
    // The current row's value, which for a new row not yet posted is what has been typed so far.
    const int field = ui_.DBGridSoftware->DataModel()->FieldOfColumn(column);
    const qint64 id = field < 0 ? 0 : data_.ADOQuerySoftware.Field(field).toLongLong();
    TQuery& lookup = LookupQuery(data_, *table);
    ReplaceStatement(lookup, IDNameStatement(*table, id));
    const QString name = lookup.Field(1).toString();
    const TCatalogueTableTexts& texts = TableTexts(*table);
    ShowIDName(name.isEmpty() ? QString::fromLatin1(texts.noRowText) : name,
               QString::fromLatin1(texts.caption));
}

void TIDPopups::ShowIDName(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, ui_.DBGridSoftware->window());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace qm
