#include "framework/data/query_plan.h"

#include "framework/data/sqlite_connection.h"

#include <QRegularExpression>
#include <sqlite3.h>

namespace qm {

namespace {

QString Text(const char* utf8) {
    return utf8 ? QString::fromUtf8(utf8) : QString();
}

// The rowid alias of a table is its one INTEGER PRIMARY KEY column.
QString RowIdAlias(TSQLiteConnection& connection, const QString& table) {
    TSQLiteStatement info =
        connection.Prepare(QStringLiteral("PRAGMA table_info(%1)").arg(QuoteIdentifier(table)));
    QString alias;
    int keyColumns = 0;
    while (info.Step()) {
        if (info.ColumnInt64(5) == 0)
            continue;
        ++keyColumns;
        if (info.Column(2).toString().compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0)
            alias = info.Column(1).toString();
    }
    return keyColumns == 1 ? alias : QString();
}

// A row of the result is a row of the table only when the statement reads the table once: a
// self-join or a subquery over the same table reads it through several cursors.
int TableCursors(TSQLiteConnection& connection, const QString& sql, const QString& table) {
    TSQLiteStatement root = connection.Prepare(
        QStringLiteral("SELECT rootpage FROM sqlite_schema WHERE type = 'table' AND name = ?1"));
    root.Bind(1, table);
    if (!root.Step())
        return 0;
    const qint64 rootPage = root.ColumnInt64(0);
    TSQLiteStatement explain = connection.Prepare(QStringLiteral("EXPLAIN ") + sql);
    int cursors = 0;
    while (explain.Step())
        if (explain.Column(1).toString() == QLatin1String("OpenRead") && explain.ColumnInt64(3) == rootPage)
            ++cursors;
    return cursors;
}

} // namespace

TQueryPlan::TQueryPlan(TSQLiteConnection& connection, const QString& sql, const TSQLiteStatement& statement)
    : sql_(sql) {
    for (int i = 0; i < statement.ColumnCount(); ++i) {
        fieldNames_ << statement.ColumnName(i);
        const QString declared = Text(sqlite3_column_decltype(statement.Handle(), i));
        integerFields_.push_back(declared.contains(QLatin1String("INT"), Qt::CaseInsensitive));
    }
    FindTableAndKey(connection, statement);
}

void TQueryPlan::FindTableAndKey(TSQLiteConnection& connection, const TSQLiteStatement& statement) {
    // The rows of a compound select come from several tables; their rowids do not name one row.
    static const QRegularExpression compound(QStringLiteral("\\b(UNION|INTERSECT|EXCEPT)\\b"),
                                             QRegularExpression::CaseInsensitiveOption);
    if (sql_.contains(compound))
        return;
    sqlite3_stmt* stmt = statement.Handle();
    QString table;
    for (int i = 0; i < fieldNames_.size(); ++i) {
        const QString columnTable = Text(sqlite3_column_table_name(stmt, i));
        const QString database = Text(sqlite3_column_database_name(stmt, i));
        if (columnTable.isEmpty() || database != QLatin1String("main"))
            return; // an expression or another database: read-only
        if (!table.isEmpty() && table != columnTable)
            return; // a join: read-only
        table = columnTable;
        sourceColumns_ << Text(sqlite3_column_origin_name(stmt, i));
    }
    if (table.isEmpty())
        return;
    if (TableCursors(connection, sql_, table) > 1)
        return;
    const QString alias = RowIdAlias(connection, table);
    for (int i = 0; i < sourceColumns_.size() && !alias.isEmpty(); ++i) {
        if (sourceColumns_[i].compare(alias, Qt::CaseInsensitive) == 0 && FieldIndex(fieldNames_[i]) == i) {
            keyField_ = i;
            table_ = table;
            return;
        }
    }
}

bool TQueryPlan::IntegerField(int field) const {
    return field >= 0 && field < static_cast<int>(integerFields_.size()) &&
           integerFields_[static_cast<size_t>(field)];
}

int TQueryPlan::FieldIndex(const QString& name) const {
    for (int i = 0; i < fieldNames_.size(); ++i)
        if (fieldNames_[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString TQueryPlan::KeysStatement() const {
    return QStringLiteral("SELECT %1 FROM (\n%2\n)").arg(QuoteIdentifier(fieldNames_[keyField_]), sql_);
}

QString TQueryPlan::RowStatement() const {
    QStringList columns;
    for (const QString& column : sourceColumns_)
        columns << QuoteIdentifier(column);
    return QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?1")
        .arg(columns.join(QStringLiteral(", ")), QuoteIdentifier(table_));
}

} // namespace qm
