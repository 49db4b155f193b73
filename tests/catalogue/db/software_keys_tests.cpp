// The sort keys of Name and Keywords: in step with every write, through the program and through
// the standard shell, which knows none of the program's functions; built for an older catalogue
// at open without a row lost; and a search or sort through them gives the very rows, in the very
// order, of the statement run row by row with the program's collation and LIKE.
#include "catalogue/db/catalogue_data.h"
#include "catalogue/db/software_keys.h"
#include "framework/data/sqlite_connection.h"
#include "tests/catalogue/shell.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

namespace qm {
namespace {

using test::RunSqliteShell;

// Mixed case, accents, texts equal but for case or accents, letters that fold to ASCII (the
// Kelvin sign, ß), control characters, LIKE's wildcards, empty and NULL.
const std::vector<QVariant> kTexts{"Äpfel",
                                   "apfel",
                                   "APFEL",
                                   "Apfelbaum",
                                   "éclair",
                                   "Eis",
                                   "Ölfarbe",
                                   "MÜLLER",
                                   "müller",
                                   "ß",
                                   "Ω",
                                   "Zebra",
                                   "zebra",
                                   "",
                                   QVariant(),
                                   "K\u212A",
                                   QString::fromUtf8("a\x01"
                                                     "b"),
                                   "chess board",
                                   "Chess",
                                   "50% off",
                                   "under_score",
                                   "Straße"};

qint64 Count(TSQLiteConnection& connection, const QString& sql) {
    TSQLiteStatement statement = connection.Prepare(sql);
    return statement.Step() ? statement.ColumnInt64(0) : -1;
}

// Rows whose key row is missing or, unless marked stale, not what the program computes; and key
// rows of no row.
qint64 WrongKeys(TSQLiteConnection& connection) {
    return Count(connection,
                 QStringLiteral(
                     "SELECT count(*) FROM SOFTWARE AS s LEFT JOIN SOFTWARE_KEYS AS k ON k.ID = s.ID "
                     "WHERE k.ID IS NULL OR (k.Stale = 0 AND (k.NameKey IS NOT qm_sort_key(s.Name) "
                     "OR k.KeywordsKey IS NOT qm_sort_key(s.Keywords)))")) +
           Count(connection,
                 QStringLiteral(
                     "SELECT count(*) FROM SOFTWARE_KEYS WHERE ID NOT IN (SELECT ID FROM SOFTWARE)"));
}

qint64 StaleKeys(TSQLiteConnection& connection) {
    return Count(connection, QStringLiteral("SELECT count(*) FROM SOFTWARE_KEYS WHERE Stale = 1"));
}

class SoftwareKeysFile : public ::testing::Test {
protected:
    QString File() const { return dir.filePath(QStringLiteral("swdb.mdb")); }

    // Rows of every text as Name and, shifted, as Keywords; the same names recur, so ties occur.
    void AddRows(TSQLiteConnection& connection, int rows) {
        InTransaction(connection, [&] {
            for (int i = 0; i < rows; ++i) {
                TSQLiteStatement insert = connection.Prepare(QStringLiteral(
                    "INSERT INTO SOFTWARE (Name, Keywords, CDID, Description) VALUES (?1, ?2, ?3, ?4)"));
                insert.Bind(1, kTexts[static_cast<size_t>(i) % kTexts.size()]);
                insert.Bind(2, kTexts[static_cast<size_t>(i * 7 + 3) % kTexts.size()]);
                insert.Bind(3, i % 3);
                insert.Bind(4, QStringLiteral("row %1").arg(i));
                insert.Step();
            }
        });
    }

    QTemporaryDir dir;
};

TEST_F(SoftwareKeysFile, FollowEveryWriteOfTheProgramAndOfTheStandardShell) {
    TCatalogueData data(File());
    TQuery& software = data.ADOQuerySoftware;
    for (const QVariant& text : kTexts) {
        software.Append();
        software.SetFieldValue(QStringLiteral("Name"), text);
        software.SetFieldValue(QStringLiteral("Keywords"), text);
        software.Post();
    }
    software.First();
    software.Edit();
    software.SetFieldValue(QStringLiteral("Name"), QStringLiteral("Edited ÄÖÜ"));
    software.Post();
    software.Next();
    software.Delete();
    EXPECT_EQ(
        RunSqliteShell(File(),
                       QStringLiteral("INSERT INTO SOFTWARE (Name, Keywords) VALUES ('Plain', NULL), "
                                      "('Grüße', 'SHELL'), (X'C3A4', 42);"
                                      "UPDATE SOFTWARE SET Name = 'Renamed' WHERE ID = 3;"
                                      "UPDATE SOFTWARE SET Keywords = 'Ärger' WHERE ID = 4;"
                                      "UPDATE SOFTWARE SET ID = 1000 WHERE ID = 5;"
                                      "REPLACE INTO SOFTWARE (ID, Name) VALUES (6, 'replaced');"
                                      "INSERT OR REPLACE INTO SOFTWARE (ID, Name) VALUES (7, 'Écrasé');"
                                      "UPDATE SOFTWARE SET Description = 'only the description' WHERE ID = 8;"
                                      "DELETE FROM SOFTWARE WHERE ID = 9;"
                                      "PRAGMA integrity_check;")),
        QStringLiteral("ok"));
    TSQLiteConnection connection(File(), TOpenMode::omReadWrite);
    EXPECT_EQ(WrongKeys(connection), 0);
    EXPECT_GT(StaleKeys(connection), 0) << "texts beyond ASCII are left to the program";
    // Stale keys that cannot be written are never used: the statement's own way is taken.
    TSQLiteConnection readOnly(File(), TOpenMode::omReadOnly);
    EXPECT_FALSE(FasterSoftwareKeys(readOnly, QStringLiteral("SELECT * FROM SOFTWARE ORDER BY NAME ASC")));
    ASSERT_TRUE(RefreshSoftwareKeys(connection));
    EXPECT_EQ(WrongKeys(connection), 0);
    EXPECT_EQ(StaleKeys(connection), 0);
    EXPECT_TRUE(FasterSoftwareKeys(readOnly, QStringLiteral("SELECT * FROM SOFTWARE ORDER BY NAME ASC")));
    EXPECT_EQ(RunSqliteShell(File(), QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
}

// The schema the catalogue had before it kept sort keys.
constexpr const char* kOlderSchema =
    "CREATE TABLE SOFTWARE (ID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT COLLATE NOCASE, CDID INTEGER, "
    "CategoryID INTEGER, TypeID INTEGER, Keywords TEXT COLLATE NOCASE, Description TEXT COLLATE NOCASE, "
    "Path TEXT COLLATE NOCASE);"
    "CREATE TABLE CD (ID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT COLLATE NOCASE);"
    "CREATE TABLE Category (ID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT COLLATE NOCASE);"
    "CREATE TABLE \"Type\" (ID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT COLLATE NOCASE);";

TEST_F(SoftwareKeysFile, AnOlderCatalogueGetsItsKeysAtOpenWithoutLoss) {
    {
        TSQLiteConnection connection(File(), TOpenMode::omCreate);
        connection.Execute(QLatin1String(kOlderSchema));
        AddRows(connection, 300);
    }
    const QString dump = QStringLiteral("SELECT group_concat(quote(ID) || quote(Name) || quote(CDID) || "
                                        "quote(Keywords) || quote(Description), '|') FROM SOFTWARE");
    const QString before = RunSqliteShell(File(), dump);
    { // opening upgrades the file
        const TCatalogueData opened{File()};
    }
    EXPECT_EQ(RunSqliteShell(File(), dump), before);
    EXPECT_EQ(RunSqliteShell(File(), QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    TSQLiteConnection connection(File(), TOpenMode::omReadWrite);
    EXPECT_EQ(Count(connection, QStringLiteral("SELECT count(*) FROM SOFTWARE_KEYS")), 300);
    EXPECT_EQ(WrongKeys(connection), 0);
    EXPECT_EQ(StaleKeys(connection), 0);
    // Built once: the next open leaves the schema as it is.
    const qint64 version = Count(connection, QStringLiteral("PRAGMA schema_version"));
    { const TCatalogueData reopened{File()}; }
    EXPECT_EQ(Count(connection, QStringLiteral("PRAGMA schema_version")), version);
}

struct ResultCase {
    const char* statement;
};

class SoftwareKeysResults : public SoftwareKeysFile, public ::testing::WithParamInterface<ResultCase> {};

// The reference runs the statement itself, its ties put in ID order.
QStringList ReferenceIDs(TSQLiteConnection& connection, const QString& statement) {
    TSQLiteStatement rows = connection.Prepare(statement.chopped(4) + QStringLiteral(" ASC, ID ASC"));
    QStringList ids;
    while (rows.Step())
        ids << rows.Column(0).toString();
    return ids;
}

TEST_P(SoftwareKeysResults, AreTheRowsAndOrderOfTheStatementItself) {
    const QString statement = QString::fromUtf8(GetParam().statement);
    {
        TSQLiteConnection connection(File(), TOpenMode::omCreate);
        connection.Execute(QLatin1String(kOlderSchema));
        AddRows(connection, 3 * static_cast<int>(kTexts.size()));
    }
    TCatalogueData data(File());
    // Written behind the keys' back: stale until the query is opened.
    RunSqliteShell(File(), QStringLiteral("INSERT INTO SOFTWARE (Name, Keywords) VALUES (X'C3A4', 'Äpfel'), "
                                          "('Über', X'41'), ('ÄPFEL', 'chess')"));
    TQuery& software = data.ADOQuerySoftware;
    software.SetSQL(statement);
    software.Open();
    QStringList ours;
    for (int row = 0; row < software.RecordCount(); ++row)
        ours << software.Value(row, 0).toString();
    TSQLiteConnection connection(File(), TOpenMode::omReadWrite);
    ASSERT_TRUE(FasterSoftwareKeys(connection, statement).has_value()) << "the keys were not used";
    EXPECT_FALSE(ours.isEmpty());
    EXPECT_EQ(ours, ReferenceIDs(connection, statement));
}

INSTANTIATE_TEST_SUITE_P(
    Statements, SoftwareKeysResults,
    ::testing::Values(
        ResultCase{"SELECT * FROM Software WHERE NAME LIKE '%apfel%' ORDER BY ID ASC"},
        ResultCase{"SELECT * FROM Software WHERE NAME LIKE '%ÄPF%' ORDER BY ID ASC"},
        ResultCase{"SELECT * FROM Software WHERE NAME LIKE '%k%' AND [Keywords] LIKE '%E%' ORDER BY ID ASC"},
        ResultCase{"SELECT * FROM Software WHERE NAME LIKE '%SS%' ORDER BY ID ASC"},
        ResultCase{"SELECT * FROM Software WHERE NAME LIKE '%e_s%' ORDER BY NAME ASC"},
        ResultCase{"SELECT * FROM Software WHERE NAME LIKE '% %' ORDER BY ID ASC"},
        ResultCase{"SELECT * FROM Software WHERE NAME LIKE '%_%' ORDER BY Keywords ASC"},
        ResultCase{"SELECT * FROM SOFTWARE WHERE CDID = 1 AND [Keywords] Like '%Ü%' ORDER BY ID ASC"},
        ResultCase{"SELECT * FROM SOFTWARE ORDER BY NAME ASC"},
        ResultCase{"SELECT * FROM SOFTWARE ORDER BY Keywords ASC"},
        ResultCase{"SELECT * FROM SOFTWARE WHERE Description LIKE '%1%' ORDER BY NAME ASC"},
        ResultCase{"SELECT * FROM Software WHERE NAME LIKE '%a%' ORDER BY CDID ASC"}));

} // namespace
} // namespace qm
