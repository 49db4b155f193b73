#pragma once
// The four catalogue tables as rows of values, for moving a catalogue in and out of the file:
// what each column may hold, and a writer that puts checked rows into a catalogue.

#include "framework/data/sqlite_connection.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace qm {

enum class TColumnKind { ckKey, ckInteger, ckText };

struct TCatalogueColumn {
    QString name;
    TColumnKind kind;
};

struct TCatalogueTable {
    QString name;
    std::vector<TCatalogueColumn> columns;
};

constexpr int kCatalogueTableCount = 4;
// CD, Category, Type, SOFTWARE: the name tables first, so that a catalogue is written in the
// order a reader meets the references.
const std::array<TCatalogueTable, kCatalogueTableCount>& CatalogueTables();

// DISCS and FILES, the record of what is on the CDs (discs/): carried along by export and import
// when a catalogue has them, so that older exports still read and older catalogues still write.
constexpr int kDiscTableCount = 2;
const std::array<TCatalogueTable, kDiscTableCount>& DiscTables();

// Rows written per table, in the order of CatalogueTables().
using TTableCounts = std::array<qint64, kCatalogueTableCount>;

// The value a column stores for `value`, or an empty optional with `problem` set when the column
// cannot hold it (a key must be a whole number, an integer column a whole number or NULL).
std::optional<QVariant> ColumnValue(const TCatalogueColumn& column, const QVariant& value, QString& problem);

// Appends rows to one table of a catalogue, IDs included, through one prepared statement.
class TCatalogueRowWriter {
public:
    TCatalogueRowWriter(TSQLiteConnection& connection, const TCatalogueTable& table);
    // `values` are in the table's column order and already checked. A duplicate ID raises
    // EDatabaseError naming it.
    void Write(const std::vector<QVariant>& values);

    // The same a column at a time, for readers that hand on checked values from their own
    // buffers: text bound here must stay as it is until Insert() returns.
    void BindNull(size_t column);
    void BindInteger(size_t column, qint64 value);
    void BindText(size_t column, std::string_view utf8);
    // Writes the row bound so far.
    void Insert();

private:
    const TCatalogueTable& table_;
    TSQLiteStatement insert_;
    qint64 id_ = 0; // the key of the row being written (the first column), for messages
};

// Opens a new catalogue file for filling: it must not exist yet. Journal and syncing are off while
// it fills, since a failed fill is thrown away, and the tables have neither indexes nor key
// triggers yet: FinishNewCatalogue builds them once from all rows, commits and closes the file
// (the one who puts it in place syncs it).
std::unique_ptr<TSQLiteConnection> StartNewCatalogue(const QString& fileName);
void FinishNewCatalogue(std::unique_ptr<TSQLiteConnection> connection);

} // namespace qm
