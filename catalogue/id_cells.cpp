#include "catalogue/id_cells.h"

#include "framework/controls/dbgrid.h"
#include "framework/data/sqlite_connection.h"
#include "ui_Unit1.h"

#include <algorithm>

namespace qm {

namespace {

// The Software grid's ID columns: position and field.
struct TIDColumn {
    int column;
    const char* field;
};

constexpr TIDColumn kIDColumns[] = {{1, "CDID"}, {2, "CategoryID"}, {3, "TypeID"}};

} // namespace

TIDCells::TIDCells(Ui::TForm1& ui, TCatalogueData& data, TMainWindowState&) : ui_(ui), data_(data) {
    TDBGrid& grid = *ui_.DBGridSoftware;
    for (const TIDColumn& id : kIDColumns) {
        const TCatalogueTable table = *ReferencedTable(id.column);
        grid.setItemDelegateForColumn(
            id.column, new TNamedNumberDelegate([this, table] { return Names(table); }, &grid));
        grid.DataModel()->SetFieldCheck(
            QLatin1String(id.field), [this, table](const QVariant& value) { return Problem(table, value); });
    }
    // Every change the window makes to the file is a step of the history, an undo too.
    connect(&data_.History, &TChangeHistory::changed, this, &TIDCells::Forget);
}

TIDCells::~TIDCells() = default;

const std::vector<TNamedNumber>& TIDCells::Names(TCatalogueTable table) {
    return Read(table).rows;
}

QString TIDCells::Problem(TCatalogueTable table, const QVariant& value) {
    if (value.isNull() || value.toString().trimmed().isEmpty())
        return {};
    bool number = false;
    const qint64 id = value.toLongLong(&number);
    if (number && Read(table).numbers.contains(id))
        return {};
    return QString::fromLatin1(TableTexts(table).noRowText);
}

const TIDCells::TNames& TIDCells::Read(TCatalogueTable table) {
    std::optional<TNames>& names = names_[static_cast<size_t>(table)];
    if (names)
        return *names;
    if (!connection_)
        connection_ = std::make_unique<TSQLiteConnection>(data_.DatabaseFile(), TOpenMode::omReadOnly);
    TSQLiteStatement rows = connection_->Prepare(QString::fromLatin1(TableTexts(table).wholeTable));
    int id = -1;
    int name = -1;
    for (int c = 0; c < rows.ColumnCount(); ++c) {
        if (rows.ColumnName(c).compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0)
            id = c;
        if (rows.ColumnName(c).compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0)
            name = c;
    }
    names.emplace();
    while (id >= 0 && name >= 0 && rows.Step()) {
        names->rows.push_back({rows.ColumnInt64(id), rows.Column(name).toString()});
        names->numbers.insert(names->rows.back().number);
    }
    std::sort(names->rows.begin(), names->rows.end(),
              [](const TNamedNumber& a, const TNamedNumber& b) { return a.number < b.number; });
    return *names;
}

// The names are read again when next needed, and the grid shows the cells against them.
void TIDCells::Forget() {
    for (std::optional<TNames>& names : names_)
        names.reset();
    ui_.DBGridSoftware->viewport()->update();
}

} // namespace qm
