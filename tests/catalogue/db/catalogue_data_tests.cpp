// The catalogue file: a new one when missing, never a changed byte in a file that is not one,
// and an ordinary SQLite database that the standard shell reads and checks.
#include "catalogue/db/catalogue_data.h"
#include "framework/core/exceptions.h"
#include "tests/catalogue/shell.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace qm {
namespace {

using test::RunSqliteShell;

std::vector<TQuery*> Queries(TCatalogueData& data) {
    return {&data.ADOQuerySoftware, &data.ADOQueryCD,        &data.ADOQueryCategory, &data.ADOQueryType,
            &data.ADOQueryCD2,      &data.ADOQueryCategory2, &data.ADOQueryType2};
}

class CatalogueFile : public ::testing::Test {
protected:
    QString File() const { return dir.filePath(QStringLiteral("swdb.mdb")); }
    QTemporaryDir dir;
};

TEST_F(CatalogueFile, MissingFileBecomesAnEmptyCatalogueWithAllQueriesOpen) {
    TCatalogueData data(File());
    for (TQuery* query : Queries(data)) {
        EXPECT_TRUE(query->Active()) << query->SQL().toStdString();
        EXPECT_EQ(query->RecordCount(), 0);
    }
    EXPECT_EQ(data.ADOQuerySoftware.SQL(), QStringLiteral("SELECT * FROM SOFTWARE"));
    EXPECT_EQ(data.ADOQueryType2.SQL(), QStringLiteral("SELECT * FROM TYPE"));
    QStringList fields;
    for (int i = 0; i < data.ADOQuerySoftware.FieldCount(); ++i)
        fields << data.ADOQuerySoftware.FieldName(i);
    EXPECT_EQ(fields,
              QStringList({"ID", "Name", "CDID", "CategoryID", "TypeID", "Keywords", "Description", "Path"}));
    for (TQuery* query : {&data.ADOQueryCD, &data.ADOQueryCategory, &data.ADOQueryType}) {
        ASSERT_EQ(query->FieldCount(), 2);
        EXPECT_EQ(query->FieldName(0), QStringLiteral("ID"));
        EXPECT_EQ(query->FieldName(1), QStringLiteral("Name"));
    }
    EXPECT_EQ(RunSqliteShell(File(), QStringLiteral(".tables")).simplified(),
              QStringLiteral("CD Category SOFTWARE SOFTWARE_KEYS Type"));
}

TEST_F(CatalogueFile, RowsWrittenThroughTheQueriesAreThereAfterARestart) {
    {
        TCatalogueData data(File());
        TQuery& cd = data.ADOQueryCD;
        for (const char* name : {"Disc 1", "Disc 2", "Disc 3"}) {
            cd.Append();
            cd.SetFieldValue(QStringLiteral("Name"), QLatin1String(name));
            cd.Post();
        }
        cd.First();
        cd.Delete();
        cd.Edit();
        cd.SetFieldValue(QStringLiteral("Name"), QStringLiteral("Disc two"));
        cd.Post();
    }
    TCatalogueData data(File());
    QStringList names;
    for (data.ADOQueryCD.First(); !data.ADOQueryCD.Eof(); data.ADOQueryCD.Next())
        names << data.ADOQueryCD.Field(0).toString() + QLatin1Char(' ') + data.ADOQueryCD.Field(1).toString();
    EXPECT_EQ(names, QStringList({"2 Disc two", "3 Disc 3"}));
}

// The shell has its own ASCII-only NOCASE; names whose order differs under it must still leave
// the file consistent for it, and rows it writes must be readable by us.
TEST_F(CatalogueFile, StandardShellReadsItAndFindsItIntact) {
    {
        TCatalogueData data(File());
        TQuery& software = data.ADOQuerySoftware;
        const QStringList names{"ä",       "Äb",     "É",      "é", "Zebra", "zebra",
                                "Ölfarbe", "MÜLLER", "müller", "ß", "Ω"};
        for (int i = 0; i < 300; ++i) {
            software.Append();
            software.SetFieldValue(QStringLiteral("Name"), names[i % names.size()] + QString::number(i % 7));
            software.SetFieldValue(QStringLiteral("Keywords"), names[(i * 5) % names.size()]);
            software.SetFieldValue(QStringLiteral("CDID"), i % 13);
            software.SetFieldValue(QStringLiteral("CategoryID"), i % 5);
            software.SetFieldValue(QStringLiteral("TypeID"), i % 3);
            software.Post();
        }
        software.First();
        for (int i = 0; i < 50; ++i) {
            software.Delete();
            software.MoveBy(3);
        }
    }
    EXPECT_EQ(RunSqliteShell(File(), QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    EXPECT_EQ(RunSqliteShell(File(), QStringLiteral("SELECT count(*) FROM SOFTWARE")), QStringLiteral("250"));
    EXPECT_EQ(RunSqliteShell(File(), QStringLiteral("INSERT INTO CD (Name) VALUES ('From the shell'); "
                                                    "SELECT changes();")),
              QStringLiteral("1"));
    TCatalogueData data(File());
    EXPECT_EQ(data.ADOQueryCD.RecordCount(), 1);
    EXPECT_EQ(data.ADOQueryCD.FieldByName(QStringLiteral("NAME")).toString(),
              QStringLiteral("From the shell"));
    EXPECT_EQ(RunSqliteShell(File(), QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
}

TEST_F(CatalogueFile, TextsCompareAndMatchWithoutRegardToCase) {
    TCatalogueData data(File());
    TQuery& software = data.ADOQuerySoftware;
    for (const char* name : {"Hans MÜLLER", "chess", "Chess Master", "draughts"}) {
        software.Append();
        software.SetFieldValue(QStringLiteral("Name"), QString::fromUtf8(name));
        software.SetFieldValue(QStringLiteral("Keywords"), QStringLiteral("board game"));
        software.Post();
    }
    auto count = [&](const char* sql) {
        software.SetSQL(QString::fromUtf8(sql));
        software.Open();
        return software.RecordCount();
    };
    EXPECT_EQ(count("SELECT * FROM Software WHERE NAME LIKE '%müller%' ORDER BY ID ASC"), 1);
    EXPECT_EQ(count("SELECT * FROM Software WHERE NAME LIKE '%CHESS%' ORDER BY ID ASC"), 2);
    EXPECT_EQ(count("SELECT * FROM SOFTWARE WHERE [Keywords] Like '%BOARD%' ORDER BY ID ASC"), 4);
    EXPECT_EQ(count("select * from software where name = 'CHESS' order by name asc"), 1);
    EXPECT_EQ(count("SELECT * FROM Software WHERE NAME LIKE '%e_s%' ORDER BY ID ASC"), 2);
    software.SetSQL(QStringLiteral("SELECT * FROM SOFTWARE ORDER BY NAME ASC"));
    software.Open();
    software.Last();
    EXPECT_EQ(software.FieldByName(QStringLiteral("Name")).toString(), QStringLiteral("Hans MÜLLER"));
}

struct ForeignFile {
    const char* what;
    QByteArray (*make)(const QString& path);
};

QByteArray RandomBytes(const QString&) {
    QByteArray bytes(8192, '\0');
    QRandomGenerator generator(7);
    generator.fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
    return bytes;
}

// The first bytes of an Access/Jet database, then filler.
QByteArray JetFile(const QString&) {
    QByteArray bytes = QByteArray::fromRawData("\x00\x01\x00\x00Standard Jet DB\x00", 20);
    bytes.append(QByteArray(4076, '\x5a'));
    return bytes;
}

QByteArray SqliteFileOf(const QString& path, const QString& sql) {
    RunSqliteShell(path, sql);
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

QByteArray SqliteWithoutTables(const QString& path) {
    return SqliteFileOf(path, QStringLiteral("CREATE TABLE Notes (ID INTEGER PRIMARY KEY, Text TEXT)"));
}

QByteArray SqliteWithACatalogueTableMissing(const QString& path) {
    return SqliteFileOf(
        path, QStringLiteral("CREATE TABLE SOFTWARE (ID INTEGER PRIMARY KEY, Name, CDID, CategoryID, "
                             "TypeID, Keywords, Description, Path); CREATE TABLE CD (ID INTEGER "
                             "PRIMARY KEY, Name); CREATE TABLE Category (ID INTEGER PRIMARY KEY, "
                             "Name)"));
}

QByteArray SqliteWithNameNotSecond(const QString& path) {
    return SqliteFileOf(
        path, QStringLiteral("CREATE TABLE SOFTWARE (ID INTEGER PRIMARY KEY, Name, CDID, CategoryID, "
                             "TypeID, Keywords, Description, Path); CREATE TABLE CD (Name, ID "
                             "INTEGER PRIMARY KEY); CREATE TABLE Category (ID INTEGER PRIMARY KEY, "
                             "Name); CREATE TABLE Type (ID INTEGER PRIMARY KEY, Name)"));
}

QByteArray EmptyFile(const QString&) {
    return {};
}

class NotACatalogue : public ::testing::TestWithParam<ForeignFile> {};

TEST_P(NotACatalogue, IsReportedByNameAndLeftByteForByte) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("swdb.mdb"));
    QByteArray bytes = GetParam().make(path);
    if (!QFile::exists(path)) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    try {
        TCatalogueData data(path);
        FAIL() << "accepted " << GetParam().what;
    } catch (const Exception& error) {
        EXPECT_NE(QString::fromStdString(error.what()).indexOf(path), -1) << error.what();
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), bytes);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"swdb.mdb"})); // no journal left behind
}

INSTANTIATE_TEST_SUITE_P(Files, NotACatalogue,
                         ::testing::Values(ForeignFile{"random bytes", RandomBytes},
                                           ForeignFile{"Jet file", JetFile},
                                           ForeignFile{"SQLite without the tables", SqliteWithoutTables},
                                           ForeignFile{"a table missing", SqliteWithACatalogueTableMissing},
                                           ForeignFile{"columns out of order", SqliteWithNameNotSecond},
                                           ForeignFile{"empty file", EmptyFile}));

} // namespace
} // namespace qm
