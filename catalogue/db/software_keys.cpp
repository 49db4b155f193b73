#include "catalogue/db/software_keys.h"

#include "catalogue/db/software_keys_statement.h"
#include "framework/core/exceptions.h"
#include "framework/data/sqlite_connection.h"

#include <vector>

namespace qm {

namespace {

// The key of a text where the engine's built-ins can make it, the lower-case form of a text of
// plain ASCII (one byte per character, no U+0001); NULL for any other value.
QString BuiltInKey(const QString& value) {
    return QStringLiteral("CASE WHEN typeof(%1) = 'text' AND length(CAST(%1 AS BLOB)) = length(%1) "
                          "AND instr(%1, char(1)) = 0 THEN lower(%1) END")
        .arg(value);
}

QString StaleWhenNoKey(const QString& value) {
    return QStringLiteral("(%1 IS NOT NULL AND %2 IS NULL)").arg(value, BuiltInKey(value));
}

// The keys of the row the trigger runs for; a row with a value beyond them is left to the program.
QString InsertNewKeys() {
    return QStringLiteral("INSERT INTO SOFTWARE_KEYS (ID, NameKey, KeywordsKey, Stale) VALUES (new.ID, %1, "
                          "%2, %3 OR %4)")
        .arg(BuiltInKey(QStringLiteral("new.Name")), BuiltInKey(QStringLiteral("new.Keywords")),
             StaleWhenNoKey(QStringLiteral("new.Name")), StaleWhenNoKey(QStringLiteral("new.Keywords")));
}

struct TSchemaObject {
    QString name;
    QString sql;
};

// Trigger bodies first remove any key row of the IDs they write, so that a REPLACE, whose deletes
// fire no trigger, cannot leave one behind. Keys sort by plain byte order (no collation), which
// any SQLite reads and checks alike.
const std::vector<TSchemaObject>& KeySchema() {
    static const std::vector<TSchemaObject> schema{
        {QStringLiteral("SOFTWARE_KEYS"),
         QStringLiteral("CREATE TABLE SOFTWARE_KEYS (ID INTEGER PRIMARY KEY, NameKey TEXT, KeywordsKey TEXT, "
                        "Stale INTEGER NOT NULL DEFAULT 0)")},
        {QStringLiteral("SOFTWARE_KEYS_Name"),
         QStringLiteral("CREATE INDEX SOFTWARE_KEYS_Name ON SOFTWARE_KEYS (NameKey)")},
        {QStringLiteral("SOFTWARE_KEYS_Keywords"),
         QStringLiteral("CREATE INDEX SOFTWARE_KEYS_Keywords ON SOFTWARE_KEYS (KeywordsKey)")},
        {QStringLiteral("SOFTWARE_KEYS_Stale"),
         QStringLiteral("CREATE INDEX SOFTWARE_KEYS_Stale ON SOFTWARE_KEYS (ID) WHERE Stale = 1")},
        {QStringLiteral("SOFTWARE_KEYS_Insert"),
         QStringLiteral("CREATE TRIGGER SOFTWARE_KEYS_Insert AFTER INSERT ON SOFTWARE BEGIN "
                        "DELETE FROM SOFTWARE_KEYS WHERE ID = new.ID; %1; END")
             .arg(InsertNewKeys())},
        {QStringLiteral("SOFTWARE_KEYS_Update"),
         QStringLiteral(
             "CREATE TRIGGER SOFTWARE_KEYS_Update AFTER UPDATE OF ID, Name, Keywords ON SOFTWARE BEGIN "
             "DELETE FROM SOFTWARE_KEYS WHERE ID IN (old.ID, new.ID); %1; END")
             .arg(InsertNewKeys())},
        {QStringLiteral("SOFTWARE_KEYS_Delete"),
         QStringLiteral("CREATE TRIGGER SOFTWARE_KEYS_Delete AFTER DELETE ON SOFTWARE BEGIN "
                        "DELETE FROM SOFTWARE_KEYS WHERE ID = old.ID; END")},
    };
    return schema;
}

bool Exists(TSQLiteConnection& connection, const TSchemaObject& object) {
    TSQLiteStatement stored =
        connection.Prepare(QStringLiteral("SELECT sql FROM sqlite_schema WHERE name = ?1"));
    stored.Bind(1, object.name);
    return stored.Step() && stored.Column(0).toString() == object.sql;
}

// Every object as this program makes it, and a key row for every row.
bool Current(TSQLiteConnection& connection) {
    for (const TSchemaObject& object : KeySchema())
        if (!Exists(connection, object))
            return false;
    TSQLiteStatement counts = connection.Prepare(
        QStringLiteral("SELECT (SELECT count(*) FROM SOFTWARE) = (SELECT count(*) FROM SOFTWARE_KEYS)"));
    return counts.Step() && counts.ColumnInt64(0) == 1;
}

} // namespace

void DropSoftwareKeys(TSQLiteConnection& connection) {
    for (const TSchemaObject& object : KeySchema())
        if (object.sql.startsWith(QLatin1String("CREATE TRIGGER")))
            connection.Execute(QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(object.name));
    connection.Execute(QStringLiteral("DROP TABLE IF EXISTS SOFTWARE_KEYS"));
}

// Filled before the indexes are made: one sort of the keys instead of a million insertions.
void CreateSoftwareKeys(TSQLiteConnection& connection) {
    DropSoftwareKeys(connection);
    for (const TSchemaObject& object : KeySchema()) {
        connection.Execute(object.sql);
        if (object.name == QLatin1String("SOFTWARE_KEYS"))
            connection.Execute(
                QStringLiteral("INSERT INTO SOFTWARE_KEYS (ID, NameKey, KeywordsKey) "
                               "SELECT ID, qm_sort_key(Name), qm_sort_key(Keywords) FROM SOFTWARE"));
    }
}

void UpdateSoftwareKeys(TSQLiteConnection& connection) {
    if (!Current(connection))
        InTransaction(connection, [&] { CreateSoftwareKeys(connection); });
    if (!RefreshSoftwareKeys(connection))
        throw EDatabaseError("The sort keys of the catalogue cannot be brought up to date");
}

bool RefreshSoftwareKeys(TSQLiteConnection& connection) {
    try {
        if (!Exists(connection, KeySchema().front()))
            return false;
        if (!connection.Prepare(QStringLiteral("SELECT 1 FROM SOFTWARE_KEYS WHERE Stale = 1")).Step())
            return true;
        connection.Execute(QStringLiteral(
            "UPDATE SOFTWARE_KEYS SET "
            "NameKey = qm_sort_key((SELECT Name FROM SOFTWARE AS s WHERE s.ID = SOFTWARE_KEYS.ID)), "
            "KeywordsKey = qm_sort_key((SELECT Keywords FROM SOFTWARE AS s WHERE s.ID = SOFTWARE_KEYS.ID)), "
            "Stale = 0 WHERE Stale = 1"));
        return true;
    } catch (const EDatabaseError&) {
        return false; // read-only or locked: the statement's own way still gives the right rows
    }
}

std::optional<QString> FasterSoftwareKeys(TSQLiteConnection& connection, const QString& sql) {
    const std::optional<TSoftwareStatement> statement = ParseSoftwareStatement(sql);
    if (!statement)
        return std::nullopt;
    std::optional<QString> keys = SoftwareKeysStatement(*statement);
    if (!keys || !RefreshSoftwareKeys(connection))
        return std::nullopt;
    return keys;
}

} // namespace qm
