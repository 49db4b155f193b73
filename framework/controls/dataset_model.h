#pragma once
// An item model over a TQuery: one row per row of the result (plus the row being inserted), one
// column per chosen field. Reads go through the query's lazy row pages; edits go through the
// query's edit buffer, so a grid cell edit is an ordinary Edit/SetFieldValue.

#include "framework/data/query.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <map>

namespace qm {

class TDataSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TDataSetModel(QObject* parent = nullptr);

    void SetDataSet(TQuery* dataSet);
    TQuery* DataSet() const { return dataSet_; }
    // Fixed columns by field name; an empty list shows every field of the result.
    void SetColumns(const QStringList& fieldNames);
    QStringList Columns() const { return columns_; }
    // The query's field index for a model column, -1 when the result lacks that field.
    int FieldOfColumn(int column) const;
    // What is wrong with a value of a field, empty when nothing is. A cell whose value has a
    // problem is shown in the warning colours with the problem as its tooltip; it is stored all
    // the same.
    using TFieldCheck = std::function<QString(const QVariant& value)>;
    void SetFieldCheck(const QString& fieldName, TFieldCheck check);
    static const QColor& WarningText();
    static const QColor& WarningBackground();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    void Reset();
    void RowsChanged(int firstRow, int lastRow);

    QPointer<TQuery> dataSet_;
    QStringList columns_;
    std::vector<int> fieldOfColumn_;
    QStringList shownNames_;
    std::map<QString, TFieldCheck> checks_;
    int rowCount_ = 0;
};

} // namespace qm
