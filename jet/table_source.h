#pragma once
// TTableSource: named tables whose rows arrive one at a time as values in column order, the way an
// older database file gives them. NULL is a null QVariant, apart from an empty text.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <vector>

namespace qm {

using TSourceRow = std::vector<QVariant>;

class TTableSource {
public:
    virtual ~TTableSource() = default;
    virtual QStringList TableNames() const = 0;
    // The columns of `table` in the order its rows give their values.
    virtual QStringList ColumnNames(const QString& table) const = 0;
    // How many rows `table` says it holds (for progress; deleted rows are not counted).
    virtual qint64 RowCount(const QString& table) const = 0;
    // Calls `onRow` for every row of `table`, in the order they lie in the file.
    virtual void ReadRows(const QString& table,
                          const std::function<void(const TSourceRow&)>& onRow) const = 0;
};

} // namespace qm
