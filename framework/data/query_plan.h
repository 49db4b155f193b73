#pragma once
// What a SELECT statement is made of, as far as a dataset needs to know: its result columns and,
// when every column comes straight from one table whose key (rowid) is among them, that table and
// the key, so that the result can be held as keys and rows fetched, updated and deleted by key.

#include <QString>
#include <QStringList>
#include <vector>

namespace qm {

class TSQLiteConnection;
class TSQLiteStatement;

class TQueryPlan {
public:
    // `statement` is the user's statement, prepared on `connection`.
    TQueryPlan(TSQLiteConnection& connection, const QString& sql, const TSQLiteStatement& statement);

    const QStringList& FieldNames() const { return fieldNames_; }
    int FieldIndex(const QString& name) const; // case-insensitive, -1 when absent
    bool Keyed() const { return keyField_ >= 0; }
    int KeyField() const { return keyField_; }
    QString Table() const { return table_; }
    const QStringList& SourceColumns() const { return sourceColumns_; }
    // A column the table declares with integer affinity (its type names INT), which holds only
    // whole numbers or NULL.
    bool IntegerField(int field) const;

    // The statement's keys in the statement's order.
    QString KeysStatement() const;
    // One row's fields, in result order, by key (parameter 1).
    QString RowStatement() const;

private:
    void FindTableAndKey(TSQLiteConnection& connection, const TSQLiteStatement& statement);

    QString sql_;
    QStringList fieldNames_;
    QStringList sourceColumns_;
    std::vector<bool> integerFields_;
    QString table_;
    int keyField_ = -1;
};

} // namespace qm
