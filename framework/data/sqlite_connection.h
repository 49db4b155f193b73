#pragma once
// Thin RAII layer over the SQLite C API: one connection and its prepared statements. Every
// connection compares, sorts and matches text without regard to case for all letters, and knows
// qm_sort_key(text), the byte-ordered key of that order, and qm_key_like(pattern, key), a LIKE
// against the text of a key (framework/data/unicode_text.h).

#include <QString>
#include <QVariant>
#include <cstdint>
#include <memory>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace qm {

enum class TOpenMode { omReadOnly, omReadWrite, omCreate };

class TSQLiteStatement;

class TSQLiteConnection {
public:
    // Raises EDatabaseError with the engine's text when the file cannot be opened.
    TSQLiteConnection(const QString& fileName, TOpenMode mode);
    ~TSQLiteConnection();
    TSQLiteConnection(const TSQLiteConnection&) = delete;
    TSQLiteConnection& operator=(const TSQLiteConnection&) = delete;

    QString FileName() const { return fileName_; }
    sqlite3* Handle() const { return db_; }

    // Runs statements that return no rows (schema, pragmas, transaction control).
    void Execute(const QString& sql);
    TSQLiteStatement Prepare(const QString& sql);

    qint64 LastInsertRowId() const;
    int Changes() const;
    // Raises EDatabaseError carrying the engine's current error text.
    [[noreturn]] void Fail() const;

private:
    QString fileName_;
    sqlite3* db_ = nullptr;
};

// A prepared statement; finalized when it goes out of scope.
class TSQLiteStatement {
public:
    TSQLiteStatement(TSQLiteConnection& connection, sqlite3_stmt* stmt)
        : connection_(&connection), stmt_(stmt) {}
    ~TSQLiteStatement();
    TSQLiteStatement(TSQLiteStatement&& other) noexcept;
    TSQLiteStatement& operator=(TSQLiteStatement&& other) noexcept;
    TSQLiteStatement(const TSQLiteStatement&) = delete;
    TSQLiteStatement& operator=(const TSQLiteStatement&) = delete;

    sqlite3_stmt* Handle() const { return stmt_; }
    // True while a row is available; raises EDatabaseError on an engine error.
    bool Step();
    void Reset();
    void Bind(int index, const QVariant& value); // 1-based like the engine
    void BindInt64(int index, qint64 value);
    void BindNull(int index);
    // Binds UTF-8 text without copying it: the bytes must stay as they are until the statement
    // is reset.
    void BindTextInPlace(int index, std::string_view utf8);

    int ColumnCount() const;
    QString ColumnName(int column) const;
    QVariant Column(int column) const;
    qint64 ColumnInt64(int column) const;
    bool ReadOnly() const;

private:
    TSQLiteConnection* connection_;
    sqlite3_stmt* stmt_;
};

// Runs `work` inside one transaction: committed when it returns, rolled back when it throws.
template <typename Work> void InTransaction(TSQLiteConnection& connection, Work&& work) {
    connection.Execute(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        work();
    } catch (...) {
        try {
            connection.Execute(QStringLiteral("ROLLBACK"));
        } catch (...) { // the original error is the one worth reporting
        }
        throw;
    }
    connection.Execute(QStringLiteral("COMMIT"));
}

// Double-quotes an identifier for the engine.
QString QuoteIdentifier(const QString& name);

} // namespace qm
