#include "framework/controls/dbgrid.h"

#include "framework/controls/application.h"
#include "framework/controls/confirmation.h"
#include "framework/data/change_history.h"

#include <QKeyEvent>
#include <QStyle>
#include <QStyleOptionHeader>
#include <algorithm>

namespace qm {

TGridTitles::TGridTitles(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(true);
    setHighlightSections(false);
}

QString TGridTitles::ShownTitle(int logicalIndex) const {
    const QString title = model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    const int margins = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
    const int room = sectionSize(logicalIndex) - margins;
    // The font metrics give back the whole text when there is no room at all.
    return room > 0 ? fontMetrics().elidedText(title, Qt::ElideRight, room) : QString();
}

void TGridTitles::initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const {
    QHeaderView::initStyleOptionForIndex(option, logicalIndex);
    option->text = ShownTitle(logicalIndex);
}

TDBGrid::TDBGrid(QWidget* parent) : QTableView(parent), model_(new TDataSetModel(this)) {
    setHorizontalHeader(new TGridTitles(this));
    setModel(model_);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &TDBGrid::TitleClick);
    connect(this, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { emit CellClick(index.column()); });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        if (DataSet())
            FollowDataSet(DataSet()->RecNo());
    });
    SetOptions(options_);
    // Compact rows: the height of the text and a few pixels, as many rows as fit.
    const int rowHeight = fontMetrics().height() + 4;
    verticalHeader()->setMinimumSectionSize(rowHeight);
    verticalHeader()->setDefaultSectionSize(rowHeight);
}

void TDBGrid::SetDataSet(TQuery* dataSet) {
    if (TQuery* old = DataSet())
        disconnect(old, nullptr, this, nullptr);
    model_->SetDataSet(dataSet);
    if (dataSet) {
        connect(dataSet, &TQuery::currentRowChanged, this, &TDBGrid::FollowDataSet);
        connect(dataSet, &TQuery::updateRecord, this, &TDBGrid::UpdateData);
        FollowDataSet(dataSet->RecNo());
    }
}

void TDBGrid::SetColumns(const QStringList& fieldNames) {
    model_->SetColumns(fieldNames);
}

void TDBGrid::SetOptions(TDBGridOptions options) {
    options_ = options;
    setEditTriggers(options_.testFlag(dgEditing)
                        ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::AnyKeyPressed
                        : QAbstractItemView::NoEditTriggers);
    ApplySelectionMode();
}

void TDBGrid::SetOption(TDBGridOption option, bool on) {
    TDBGridOptions options = options_;
    options.setFlag(option, on);
    SetOptions(options);
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
    if (!HasOption(dgMultiSelect) || !selectionModel())
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
    if (HasOption(dgConfirmDelete) &&
        !Confirm(this, rows.size() < 2 ? QStringLiteral("Delete record?")
                                       : QStringLiteral("Delete all selected records?")))
        return false;
    if (rows.isEmpty()) {
        dataSet->Delete();
        return true;
    }
    dataSet->Cancel(); // a pending new row would shift the selected rows
    const TChangeGroup step(dataSet->History, QStringLiteral("Delete %1 records").arg(rows.size()));
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
        if (event->key() == Qt::Key_Down && event->modifiers() == Qt::NoModifier && AppendOnDown())
            return;
    }
    QTableView::keyPressEvent(event);
}

void TDBGrid::EditNewRow() {
    TQuery* dataSet = DataSet();
    if (!dataSet || dataSet->InsertRow() < 0)
        return;
    setCurrentIndex(model_->index(dataSet->InsertRow(), FirstEditableColumn()));
    setFocus(Qt::OtherFocusReason);
}

// Down on the last row starts a new row below it, unless that row is a new one not typed in.
bool TDBGrid::AppendOnDown() {
    TQuery& dataSet = *DataSet();
    if (currentIndex().row() != model_->rowCount() - 1)
        return false;
    if (dataSet.State() != TDataSetState::dsInsert || dataSet.Modified())
        dataSet.Append();
    return true;
}

// Text typed into a cell editor reaches the row before the row is posted.
void TDBGrid::UpdateData() {
    if (state() != QAbstractItemView::EditingState)
        return;
    if (QWidget* editor = indexWidget(currentIndex()))
        commitData(editor);
}

// The view's current row drives the query; moving off an edited row posts it. When the post is
// refused the query stays on its row, and so does the view.
void TDBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    TQuery* dataSet = DataSet();
    if (following_ || !dataSet || !dataSet->Active() || !current.isValid() ||
        current.row() == dataSet->RecNo())
        return;
    RunGuarded([&] {
        try {
            dataSet->MoveTo(current.row());
        } catch (...) {
            QMetaObject::invokeMethod(
                this, [this] { FollowDataSet(DataSet() ? DataSet()->RecNo() : -1); }, Qt::QueuedConnection);
            throw;
        }
    });
}

int TDBGrid::FirstEditableColumn() const {
    for (int column = 0; column < model_->columnCount(); ++column)
        if (model_->flags(model_->index(0, column)) & Qt::ItemIsEditable)
            return column;
    return 0;
}

// The query's current row drives the view, keeping the view's column.
void TDBGrid::FollowDataSet(int row) {
    if (row < 0 || row >= model_->rowCount())
        return;
    const bool inserting = DataSet() && DataSet()->InsertRow() == row;
    const int column = inserting ? FirstEditableColumn() : std::max(currentIndex().column(), 0);
    if (column >= model_->columnCount() || currentIndex() == model_->index(row, column))
        return;
    following_ = true;
    selectionModel()->setCurrentIndex(model_->index(row, column), HasOption(dgMultiSelect)
                                                                      ? QItemSelectionModel::NoUpdate
                                                                      : QItemSelectionModel::ClearAndSelect);
    following_ = false;
}

} // namespace qm
