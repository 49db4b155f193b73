#include "framework/controls/dataset_model.h"

#include <QColor>

namespace qm {

TDataSetModel::TDataSetModel(QObject* parent) : QAbstractTableModel(parent) {}

void TDataSetModel::SetDataSet(TQuery* dataSet) {
    if (dataSet_)
        disconnect(dataSet_, nullptr, this, nullptr);
    dataSet_ = dataSet;
    if (dataSet_) {
        connect(dataSet_, &TQuery::dataReset, this, &TDataSetModel::Reset);
        connect(dataSet_, &TQuery::rowCountChanged, this, &TDataSetModel::Reset);
        connect(dataSet_, &TQuery::rowsChanged, this, &TDataSetModel::RowsChanged);
        connect(dataSet_, &QObject::destroyed, this, [this] {
            dataSet_ = nullptr; // the query is half destroyed already: do not ask it anything
            Reset();
        });
    }
    Reset();
}

void TDataSetModel::SetColumns(const QStringList& fieldNames) {
    columns_ = fieldNames;
    Reset();
}

// Rows and columns are taken from the query only here, so the model's shape changes only inside
// a reset, as views expect.
void TDataSetModel::Reset() {
    beginResetModel();
    const bool active = dataSet_ && dataSet_->Active();
    rowCount_ = active ? dataSet_->DisplayRowCount() : 0;
    fieldOfColumn_.clear();
    shownNames_.clear();
    if (!columns_.isEmpty()) {
        shownNames_ = columns_;
        for (const QString& name : columns_)
            fieldOfColumn_.push_back(active ? dataSet_->FieldIndex(name) : -1);
    } else if (active) {
        for (int i = 0; i < dataSet_->FieldCount(); ++i) {
            shownNames_ << dataSet_->FieldName(i);
            fieldOfColumn_.push_back(i);
        }
    }
    endResetModel();
}

void TDataSetModel::RowsChanged(int firstRow, int lastRow) {
    if (firstRow < 0 || lastRow >= rowCount_ || columnCount() == 0)
        return;
    emit dataChanged(index(firstRow, 0), index(lastRow, columnCount() - 1));
}

int TDataSetModel::FieldOfColumn(int column) const {
    return (column >= 0 && column < static_cast<int>(fieldOfColumn_.size()))
               ? fieldOfColumn_[static_cast<size_t>(column)]
               : -1;
}

int TDataSetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rowCount_;
}

int TDataSetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shownNames_.size());
}

void TDataSetModel::SetFieldCheck(const QString& fieldName, TFieldCheck check) {
    checks_[fieldName] = std::move(check);
    if (rowCount_ > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount_ - 1, columnCount() - 1));
}

// Readable on light and dark styles alike: dark text on a pale red.
const QColor& TDataSetModel::WarningText() {
    static const QColor colour(0x8b, 0x00, 0x00);
    return colour;
}

const QColor& TDataSetModel::WarningBackground() {
    static const QColor colour(0xff, 0xd6, 0xd6);
    return colour;
}

QVariant TDataSetModel::data(const QModelIndex& index, int role) const {
    const bool checked = role == Qt::ToolTipRole || role == Qt::ForegroundRole || role == Qt::BackgroundRole;
    if (!index.isValid() || !dataSet_ || (role != Qt::DisplayRole && role != Qt::EditRole && !checked))
        return {};
    const int field = FieldOfColumn(index.column());
    if (field < 0)
        return {};
    const QVariant value = dataSet_->Value(index.row(), field);
    if (!checked)
        return value;
    const auto check = checks_.find(shownNames_[index.column()]);
    const QString problem = check == checks_.end() ? QString() : check->second(value);
    if (problem.isEmpty())
        return {};
    if (role == Qt::ToolTipRole)
        return problem;
    return role == Qt::ForegroundRole ? WarningText() : WarningBackground();
}

QVariant TDataSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    return (section >= 0 && section < shownNames_.size()) ? QVariant(shownNames_[section]) : QVariant();
}

Qt::ItemFlags TDataSetModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    const int field = FieldOfColumn(index.column());
    if (dataSet_ && dataSet_->CanModify() && field >= 0 && !dataSet_->IsKeyField(field))
        flags |= Qt::ItemIsEditable;
    return flags;
}

// A cell edit makes its row current (posting any other pending row), then edits it. An editor
// that hands back the value it was given changed nothing: the cell is not written, so a text the
// editor could only show approximately (bytes that are no UTF-8, from another tool) stays as stored.
bool TDataSetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const int field = FieldOfColumn(index.column());
    if (!index.isValid() || role != Qt::EditRole || !dataSet_ || field < 0 ||
        !(flags(index) & Qt::ItemIsEditable))
        return false;
    if (const QVariant shown = data(index, Qt::EditRole); value.typeId() == shown.typeId() && value == shown)
        return true;
    if (index.row() != dataSet_->RecNo())
        dataSet_->MoveTo(index.row());
    dataSet_->Edit();
    dataSet_->SetField(field, value);
    return true;
}

} // namespace qm
