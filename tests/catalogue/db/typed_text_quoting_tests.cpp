// Texts typed into the search mask and the table-tab filters run against a real SQLite catalogue:
// whatever the text holds, the statement stays one statement and finds exactly the rows holding it.
#include "catalogue/db/catalogue_tables.h"
#include "catalogue/db/software_query.h"
#include "tests/support/sqlite_file.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace qm {
namespace {

const QStringList kHostileTexts{
    "Baldur's Gate", "O'Brien's \"best\"", "'",  "''", "'; DROP TABLE SOFTWARE; --", "x' OR '1'='1",
    "semi;colon",    "dash -- dash",       "\"", "');"};

class TypedTextQuoting : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        db_ = test::OpenSqlite(QStringLiteral(":memory:"), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        Exec("CREATE TABLE SOFTWARE (ID INTEGER PRIMARY KEY, Name TEXT, CDID INTEGER, CategoryID INTEGER, "
             "TypeID INTEGER, Keywords TEXT, Description TEXT)");
        for (const char* table : {"CD", "Category", "Type"})
            Exec(QString("CREATE TABLE %1 (ID INTEGER PRIMARY KEY, Name TEXT)").arg(table));
        for (int i = 0; i < kHostileTexts.size(); ++i) {
            const QString id = QString::number(i + 1);
            Bind("INSERT INTO SOFTWARE VALUES (" + id + ", ?1, " + id + ", " + id + ", " + id + ", ?1, ?1)",
                 "<" + kHostileTexts[i] + ">");
            for (const char* table : {"CD", "Category", "Type"})
                Bind(QString("INSERT INTO %1 VALUES (%2, ?1)").arg(table, id), kHostileTexts[i]);
        }
    }

    void Exec(const QString& sql) { test::ExecuteSql(db_.get(), sql); }

    void Bind(const QString& sql, const QString& value) {
        sqlite3_stmt* stmt = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db_.get(), sql.toUtf8().constData(), -1, &stmt, nullptr), SQLITE_OK);
        const QByteArray utf8 = value.toUtf8();
        sqlite3_bind_text(stmt, 1, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
        EXPECT_EQ(sqlite3_step(stmt), SQLITE_DONE);
        sqlite3_finalize(stmt);
    }

    // Column 0 of every row of `sql`, which must compile as exactly one statement.
    std::vector<qint64> Ids(const QString& sql) {
        const QByteArray utf8 = sql.toUtf8();
        sqlite3_stmt* stmt = nullptr;
        const char* tail = nullptr;
        std::vector<qint64> ids;
        EXPECT_EQ(sqlite3_prepare_v2(db_.get(), utf8.constData(), -1, &stmt, &tail), SQLITE_OK)
            << sqlite3_errmsg(db_.get()) << " in " << utf8.constData();
        if (stmt == nullptr)
            return ids;
        EXPECT_STREQ(tail, "") << "more than one statement in " << utf8.constData();
        while (sqlite3_step(stmt) == SQLITE_ROW)
            ids.push_back(sqlite3_column_int64(stmt, 0));
        sqlite3_finalize(stmt);
        return ids;
    }

    TLookupID Lookup() {
        return [this](TCatalogueTable, const QString& statement) {
            const std::vector<qint64> ids = Ids(statement);
            return ids.empty() ? qint64{0} : ids.front();
        };
    }

    // Rows whose stored text contains the typed one, worked out without SQL.
    static std::vector<qint64> RowsContaining(const QString& typed) {
        std::vector<qint64> ids;
        for (int i = 0; i < kHostileTexts.size(); ++i)
            if (kHostileTexts[i].contains(typed, Qt::CaseInsensitive))
                ids.push_back(i + 1);
        return ids;
    }

    static std::vector<qint64> RowsStartingWith(const QString& typed) {
        std::vector<qint64> ids;
        for (int i = 0; i < kHostileTexts.size(); ++i)
            if (kHostileTexts[i].startsWith(typed, Qt::CaseInsensitive))
                ids.push_back(i + 1);
        return ids;
    }

    const QString& Text() const { return kHostileTexts[GetParam()]; }
    qint64 RowOfText() const { return GetParam() + 1; }

    void ExpectTablesIntact() {
        EXPECT_EQ(Ids("SELECT count(*) FROM SOFTWARE"), std::vector<qint64>{kHostileTexts.size()});
    }

    test::TSqlite db_;
};

TEST_P(TypedTextQuoting, ContainsFieldsFindExactlyTheRowsHoldingTheText) {
    const std::vector<qint64> expected = RowsContaining(Text());
    EXPECT_EQ(Ids(ComposeSoftwareStatement({.search = Text()}, Lookup())), expected);
    EXPECT_EQ(Ids(ComposeSoftwareStatement({.keywords = Text()}, Lookup())), expected);
    EXPECT_EQ(Ids(ComposeSoftwareStatement({.description = Text()}, Lookup())), expected);
    EXPECT_EQ(Ids(ComposeSoftwareStatement({.search = Text(), .keywords = Text(), .description = Text()},
                                           Lookup())),
              expected);
    ExpectTablesIntact();
}

TEST_P(TypedTextQuoting, ComboNamesFindTheirOwnIDs) {
    const std::vector<qint64> own{RowOfText()};
    EXPECT_EQ(Ids(ComposeSoftwareStatement({.cd = Text()}, Lookup())), own);
    EXPECT_EQ(Ids(ComposeSoftwareStatement({.category = Text()}, Lookup())), own);
    EXPECT_EQ(Ids(ComposeSoftwareStatement({.type = Text()}, Lookup())), own);
    EXPECT_EQ(Ids(ComposeSoftwareStatement({.search = "<", .cd = Text(), .category = Text(), .type = Text()},
                                           Lookup())),
              own);
    ExpectTablesIntact();
}

TEST_P(TypedTextQuoting, TableTabFiltersFindNamesStartingWithTheText) {
    for (TCatalogueTable table :
         {TCatalogueTable::ctCD, TCatalogueTable::ctCategory, TCatalogueTable::ctType})
        EXPECT_EQ(Ids(NameFilterStatement(table, Text())), RowsStartingWith(Text()));
    ExpectTablesIntact();
}

TEST_P(TypedTextQuoting, TitleClickKeepsTheFilter) {
    const auto statement =
        SoftwareTitleClickStatement(ComposeSoftwareStatement({.search = Text()}, Lookup()), 0);
    ASSERT_TRUE(statement.has_value());
    std::vector<qint64> found = Ids(*statement);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, RowsContaining(Text()));
}

INSTANTIATE_TEST_SUITE_P(HostileTexts, TypedTextQuoting,
                         ::testing::Range(0, static_cast<int>(kHostileTexts.size())));

} // namespace
} // namespace qm
