#pragma once
// The plain SQLite library on a database file, with no dataset in between: how tests set up a
// catalogue and check what really reached the file.

#include <QString>
#include <QStringList>
#include <memory>
#include <sqlite3.h>

namespace qm::test {

struct TSqliteCloser {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using TSqlite = std::unique_ptr<sqlite3, TSqliteCloser>;

// Opens `fileName` (":memory:" for a private database); a failure is a test failure.
TSqlite OpenSqlite(const QString& fileName, int flags = SQLITE_OPEN_READWRITE);
// Runs `statements`; a failure is a test failure with SQLite's message.
void ExecuteSql(sqlite3* db, const QString& statements);
void ExecuteSql(const QString& fileName, const QString& statements);
// The first column of the rows of `query`, as text.
QStringList SqlColumn(sqlite3* db, const QString& query);
QStringList SqlColumn(const QString& fileName, const QString& query);

} // namespace qm::test
