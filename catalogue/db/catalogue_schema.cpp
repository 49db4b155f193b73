#include "catalogue/db/catalogue_schema.h"

#include "catalogue/db/software_keys.h"
#include "framework/core/exceptions.h"
#include "framework/data/sqlite_connection.h"

#include <QFile>
#include <QFileInfo>

namespace qm {

namespace {

struct TTableColumns {
    const char* table;
    QStringList columns; // in the order the program relies on
};

const std::vector<TTableColumns>& CatalogueTables() {
    static const std::vector<TTableColumns> tables{
        {"SOFTWARE", {"ID", "Name", "CDID", "CategoryID", "TypeID", "Keywords", "Description", "Path"}},
        {"CD", {"ID", "Name"}},
        {"Category", {"ID", "Name"}},
        {"Type", {"ID", "Name"}},
    };
    return tables;
}

// Text columns name NOCASE, which every connection of ours replaces by a comparison that ignores
// case for all letters. No index covers a text column: an index is ordered by the collation that
// built it, and the standard shell's ASCII NOCASE would then find that order wrong. Name and
// Keywords of SOFTWARE are sorted and searched through byte-ordered keys instead (software_keys.h).
const char* const kSchema[] = {
    "CREATE TABLE SOFTWARE (ID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT COLLATE NOCASE, CDID INTEGER, "
    "CategoryID INTEGER, TypeID INTEGER, Keywords TEXT COLLATE NOCASE, Description TEXT COLLATE NOCASE, "
    "Path TEXT COLLATE NOCASE)",
    "CREATE TABLE CD (ID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT COLLATE NOCASE)",
    "CREATE TABLE Category (ID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT COLLATE NOCASE)",
    "CREATE TABLE \"Type\" (ID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT COLLATE NOCASE)",
};

// The integer columns a title click sorts by.
const char* const kIndexes[] = {
    "CREATE INDEX IF NOT EXISTS SOFTWARE_CDID ON SOFTWARE (CDID)",
    "CREATE INDEX IF NOT EXISTS SOFTWARE_CategoryID ON SOFTWARE (CategoryID)",
    "CREATE INDEX IF NOT EXISTS SOFTWARE_TypeID ON SOFTWARE (TypeID)",
};

QStringList TableColumns(TSQLiteConnection& connection, const QString& table) {
    TSQLiteStatement info =
        connection.Prepare(QStringLiteral("PRAGMA table_info(%1)").arg(QuoteIdentifier(table)));
    QStringList columns;
    while (info.Step())
        columns << info.Column(1).toString();
    return columns;
}

QString TableProblem(TSQLiteConnection& connection, const TTableColumns& wanted) {
    const QString table = QLatin1String(wanted.table);
    const QStringList columns = TableColumns(connection, table);
    if (columns.isEmpty())
        return QStringLiteral("it has no table %1").arg(table);
    for (int i = 0; i < wanted.columns.size(); ++i) {
        const bool found = columns.contains(wanted.columns[i], Qt::CaseInsensitive);
        // CD, Category and Type are read by position: ID first, Name second.
        const bool placed =
            table == QLatin1String("SOFTWARE") ||
            (i < columns.size() && columns[i].compare(wanted.columns[i], Qt::CaseInsensitive) == 0);
        if (!found || !placed)
            return QStringLiteral("its table %1 has no column %2 in the right place")
                .arg(table, wanted.columns[i]);
    }
    return {};
}

void CreateIndexes(TSQLiteConnection& connection) {
    for (const char* index : kIndexes)
        connection.Execute(QLatin1String(index));
}

[[noreturn]] void NotACatalogue(const QString& fileName, const QString& problem) {
    throw Exception(
        QStringLiteral("The file '%1' is not a software catalogue: %2").arg(fileName, problem).toStdString());
}

void CreateCatalogueFile(const QString& fileName) {
    try {
        TSQLiteConnection connection(fileName, TOpenMode::omCreate);
        InTransaction(connection, [&] { CreateCatalogueSchema(connection); });
    } catch (...) {
        QFile::remove(fileName); // an empty file would pass for a foreign one next time
        throw;
    }
}

} // namespace

void CreateCatalogueTables(TSQLiteConnection& connection) {
    for (const char* statement : kSchema)
        connection.Execute(QLatin1String(statement));
}

void CreateCatalogueIndexes(TSQLiteConnection& connection) {
    CreateIndexes(connection);
    CreateSoftwareKeys(connection);
}

void CreateCatalogueSchema(TSQLiteConnection& connection) {
    CreateCatalogueTables(connection);
    CreateCatalogueIndexes(connection);
}

QString CatalogueSchemaProblem(TSQLiteConnection& connection) {
    for (const TTableColumns& table : CatalogueTables()) {
        const QString problem = TableProblem(connection, table);
        if (!problem.isEmpty())
            return problem;
    }
    return {};
}

void PrepareCatalogueFile(const QString& fileName) {
    if (!QFileInfo::exists(fileName))
        return CreateCatalogueFile(fileName);
    QString problem;
    try {
        // Read-only: nothing may be written to a file before it is known to be a catalogue.
        TSQLiteConnection connection(fileName, TOpenMode::omReadOnly);
        problem = CatalogueSchemaProblem(connection);
    } catch (const EDatabaseError& error) {
        problem = QString::fromStdString(error.what());
    }
    if (!problem.isEmpty())
        NotACatalogue(fileName, problem);
    TSQLiteConnection connection(fileName, TOpenMode::omReadWrite);
    try {
        CreateIndexes(connection);
        UpdateSoftwareKeys(connection);
    } catch (const EDatabaseError&) {
        // A catalogue on read-only storage: sorting and searching work without the indexes and
        // keys, only slower.
    }
}

} // namespace qm
