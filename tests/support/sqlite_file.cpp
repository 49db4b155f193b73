#include "tests/support/sqlite_file.h"

#include <gtest/gtest.h>

namespace qm::test {

TSqlite OpenSqlite(const QString& fileName, int flags) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(fileName.toUtf8().constData(), &db, flags, nullptr);
    TSqlite owner(db);
    EXPECT_EQ(rc, SQLITE_OK) << fileName.toStdString();
    return owner;
}

void ExecuteSql(sqlite3* db, const QString& statements) {
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, statements.toUtf8().constData(), nullptr, nullptr, &error), SQLITE_OK)
        << (error != nullptr ? error : "");
    sqlite3_free(error);
}

void ExecuteSql(const QString& fileName, const QString& statements) {
    ExecuteSql(OpenSqlite(fileName).get(), statements);
}

QStringList SqlColumn(sqlite3* db, const QString& query) {
    sqlite3_stmt* statement = nullptr;
    QStringList values;
    if (sqlite3_prepare_v2(db, query.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sqlite3_errmsg(db);
        return values;
    }
    while (sqlite3_step(statement) == SQLITE_ROW)
        values << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    return values;
}

QStringList SqlColumn(const QString& fileName, const QString& query) {
    return SqlColumn(OpenSqlite(fileName).get(), query);
}

} // namespace qm::test
