#pragma once
// A database file in a temporary directory with one table T of a key, a text and a number, for
// the tests of the dataset and of the data-aware controls, and that table open in a query.

#include "framework/data/query.h"
#include "framework/data/sqlite_connection.h"

#include <QStringList>
#include <QTemporaryDir>

namespace qm::test {

class TestDatabase {
public:
    explicit TestDatabase(const QStringList& names = {}) {
        TSQLiteConnection connection(File(), TOpenMode::omCreate);
        connection.Execute(QStringLiteral("CREATE TABLE T (ID INTEGER PRIMARY KEY AUTOINCREMENT, "
                                          "Name TEXT COLLATE NOCASE, N INTEGER)"));
        AddRows(names);
    }

    QString File() const { return dir_.filePath(QStringLiteral("test.db")); }

    // Rows with N = 1, 2, 3... in the order given.
    void AddRows(const QStringList& names) {
        TSQLiteConnection connection(File(), TOpenMode::omReadWrite);
        InTransaction(connection, [&] {
            for (const QString& name : names) {
                TSQLiteStatement insert = connection.Prepare(
                    QStringLiteral("INSERT INTO T (Name, N) VALUES (?1, (SELECT count(*) + 1 FROM T))"));
                insert.Bind(1, name);
                insert.Step();
            }
        });
    }

    // A value read through a connection of its own, as the next run of the program would see it.
    QVariant ReadBack(const QString& sql) const {
        TSQLiteConnection connection(File(), TOpenMode::omReadOnly);
        TSQLiteStatement statement = connection.Prepare(sql);
        return statement.Step() ? statement.Column(0) : QVariant();
    }

    void Execute(const QString& sql) const {
        TSQLiteConnection connection(File(), TOpenMode::omReadWrite);
        connection.Execute(sql);
    }

private:
    QTemporaryDir dir_;
};

// A TestDatabase with its table open in a query, in key order.
class OpenTable {
public:
    explicit OpenTable(const QStringList& names) : db(names), query(db.File()) {
        query.SetSQL(QStringLiteral("SELECT * FROM T ORDER BY ID ASC"));
        query.Open();
    }
    QString NamesInFile() const {
        return db
            .ReadBack(QStringLiteral("SELECT group_concat(Name, ',') FROM (SELECT Name FROM T ORDER BY ID)"))
            .toString();
    }

    TestDatabase db;
    TQuery query;
};

} // namespace qm::test
