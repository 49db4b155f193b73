#include "framework/controls/dbgrid.h"

#include "framework/controls/confirmation.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <algorithm>

namespace qm {

TDBGrid::TDBGrid(QWidget* parent) : QTableView(parent), model_(new TDataSetModel(this)) {
    setModel(model_);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &TDBGrid::TitleClick);
    connect(this, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { emit CellClick(index.column()); });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        if (DataSet())
            FollowDataSet(DataSet()->RecNo());
    });
    setOptions(options_);
}

void TDBGrid::setDataSet(TQuery* dataSet) {
    if (TQuery* old = DataSet())
        disconnect(old, nullptr, this, nullptr);
    model_->setDataSet(dataSet);
    if (dataSet) {
        connect(dataSet, &TQuery::currentRowChanged, this, &TDBGrid::FollowDataSet);
        FollowDataSet(dataSet->RecNo());
    }
}

void TDBGrid::setColumns(const QStringList& fieldNames) {
    model_->setColumns(fieldNames);
}

void TDBGrid::setOptions(TDBGridOptions options) {
    options_ = options;
    setEditTriggers(options_.testFlag(dgEditing)
                        ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::AnyKeyPressed
                        : QAbstractItemView::NoEditTriggers);
    ApplySelectionMode();
}

void TDBGrid::setOption(TDBGridOption option, bool on) {
    TDBGridOptions options = options_;
    options.setFlag(option, on);
    setOptions(options);
}

// Without multi-select the grid marks only its current cell; with it, whole rows are selected.
void TDBGrid::ApplySelectionMode() {
    clearSelection();
    const bool multi = options_.testFlag(dgMultiSelect);
    setSelectionMode(multi ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    setSelectionBehavior(multi ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

QList<int> TDBGrid::SelectedRows() const {
    QList<int> rows;
    if (!hasOption(dgMultiSelect) || !selectionModel())
        return rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool TDBGrid::DeleteRows() {
    TQuery* dataSet = DataSet();
    if (!dataSet || !dataSet->Active() || dataSet->RecordCount() == 0 || !dataSet->CanModify())
        return false;
    const QList<int> rows = SelectedRows();
    if (hasOption(dgConfirmDelete) &&
        !Confirm(this, rows.size() < 2 ? QStringLiteral("Delete record?")
                                       : QStringLiteral("Delete all selected records?")))
        return false;
    if (rows.isEmpty()) {
        dataSet->Delete();
        return true;
    }
    dataSet->Cancel(); // a pending new row would shift the selected rows
    // From the bottom up, so that the rows still to go keep their positions.
    for (auto row = rows.crbegin(); row != rows.crend(); ++row) {
        if (*row >= dataSet->RecordCount())
            continue;
        dataSet->MoveTo(*row);
        dataSet->Delete();
    }
    return true;
}

void TDBGrid::keyPressEvent(QKeyEvent* event) {
    emit KeyDown(event->key(), event->modifiers());
    TQuery* dataSet = DataSet();
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::ControlModifier) {
        DeleteRows();
        return;
    }
    if (dataSet && dataSet->Active() && dataSet->CanModify() && state() != QAbstractItemView::EditingState) {
        if (event->key() == Qt::Key_Insert && event->modifiers() == Qt::NoModifier) {
            dataSet->Insert();
            return;
        }
        if (event->key() == Qt::Key_Escape && dataSet->State() != TDataSetState::dsBrowse) {
            dataSet->Cancel();
            return;
        }
    }
    QTableView::keyPressEvent(event);
}

// The view's current row drives the query; moving off an edited row posts it.
void TDBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    TQuery* dataSet = DataSet();
    if (following_ || !dataSet || !dataSet->Active() || !current.isValid() ||
        current.row() == dataSet->RecNo())
        return;
    dataSet->MoveTo(current.row());
}

// The query's current row drives the view, keeping the view's column.
void TDBGrid::FollowDataSet(int row) {
    if (row < 0 || row >= model_->rowCount())
        return;
    const int column = std::max(currentIndex().column(), 0);
    if (column >= model_->columnCount() || currentIndex().row() == row)
        return;
    following_ = true;
    selectionModel()->setCurrentIndex(model_->index(row, column), hasOption(dgMultiSelect)
                                                                      ? QItemSelectionModel::NoUpdate
                                                                      : QItemSelectionModel::ClearAndSelect);
    following_ = false;
}

} // namespace qm
