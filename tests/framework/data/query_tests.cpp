// Opening, reading and moving through a TQuery.
#include "framework/core/exceptions.h"
#include "framework/data/query.h"
#include "tests/framework/data/test_database.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

using test::TestDatabase;

QStringList Names(TQuery& query) {
    QStringList names;
    for (query.First(); !query.Eof(); query.Next())
        names << query.FieldByName(QStringLiteral("Name")).toString();
    return names;
}

QStringList Select(const TestDatabase& db, const QString& sql) {
    TQuery query(db.File());
    query.SetSQL(sql);
    query.Open();
    return Names(query);
}

TEST(QueryOpen, CountIsExactAndFirstRowIsCurrent) {
    TestDatabase db({"a", "b", "c"});
    TQuery query(db.File());
    int scrolls = 0;
    query.AfterScroll = [&](TQuery&) { ++scrolls; };
    query.SetSQL(QStringLiteral("SELECT * FROM T ORDER BY ID ASC;"));
    query.Open();
    EXPECT_TRUE(query.Active());
    EXPECT_EQ(query.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(query.RecordCount(), 3);
    EXPECT_EQ(query.RecNo(), 0);
    EXPECT_EQ(query.FieldByName(QStringLiteral("name")).toString(), QStringLiteral("a"));
    EXPECT_EQ(query.FieldCount(), 3);
    EXPECT_EQ(query.FieldName(2), QStringLiteral("N"));
    EXPECT_EQ(scrolls, 1);
    EXPECT_TRUE(query.CanModify());
}

TEST(QueryOpen, EmptyResultReadsAsZeroAndEmptyText) {
    TestDatabase db({"a"});
    TQuery query(db.File());
    int scrolls = 0;
    query.AfterScroll = [&](TQuery&) { ++scrolls; };
    query.SetSQL(QStringLiteral("SELECT * FROM T WHERE N = 99"));
    query.Open();
    EXPECT_EQ(scrolls, 0); // no row to scroll to
    EXPECT_EQ(query.RecordCount(), 0);
    EXPECT_EQ(query.RecNo(), -1);
    EXPECT_TRUE(query.Eof());
    EXPECT_TRUE(query.Bof());
    EXPECT_EQ(query.FieldByName(QStringLiteral("N")).toInt(), 0);
    EXPECT_EQ(query.Field(1).toString(), QString());
    EXPECT_THROW(query.FieldByName(QStringLiteral("Nope")), EDatabaseError);
}

TEST(QueryOpen, RejectedStatementRaisesEngineTextAndStaysClosedUntilAGoodOne) {
    TestDatabase db({"a", "b"});
    TQuery query(db.File());
    query.SetSQL(QStringLiteral("SELECT * FROM T"));
    query.Open();
    query.SetSQL(QStringLiteral("SELECT * FROM Nope WHERE NAME LIKE '%it's%'"));
    try {
        query.Open();
        FAIL() << "no error";
    } catch (const EDatabaseError& error) {
        EXPECT_NE(std::string(error.what()).find("syntax error"), std::string::npos) << error.what();
    }
    EXPECT_FALSE(query.Active());
    EXPECT_EQ(query.RecordCount(), 0);
    EXPECT_EQ(query.FieldByName(QStringLiteral("Name")).toString(), QString());
    query.SetSQL(QStringLiteral("SELECT * FROM Missing"));
    try {
        query.Open();
        FAIL() << "no error";
    } catch (const EDatabaseError& error) {
        EXPECT_STREQ(error.what(), "no such table: Missing");
    }
    query.SetSQL(QStringLiteral("SELECT * FROM T"));
    query.Open();
    EXPECT_EQ(query.RecordCount(), 2);
}

TEST(QueryOpen, StatementsThatWriteAreRefusedWithoutRunning) {
    TestDatabase db({"a", "b"});
    TQuery query(db.File());
    for (const char* sql : {"DELETE FROM T", "UPDATE T SET Name = 'x'", "SELECT 1; DELETE FROM T", ""}) {
        query.SetSQL(QLatin1String(sql));
        EXPECT_THROW(query.Open(), EDatabaseError) << sql;
        EXPECT_FALSE(query.Active());
    }
    EXPECT_EQ(db.ReadBack(QStringLiteral("SELECT group_concat(Name) FROM T")).toString(),
              QStringLiteral("a,b"));
}

TEST(QueryOpen, MissingDatabaseFileIsAnError) {
    QTemporaryDir dir;
    TQuery query(dir.filePath(QStringLiteral("absent.db")));
    query.SetSQL(QStringLiteral("SELECT 1"));
    EXPECT_THROW(query.Open(), EDatabaseError);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("absent.db"))));
}

TEST(QueryMove, WalksAndStopsAtBothEnds) {
    TestDatabase db({"a", "b", "c"});
    TQuery query(db.File());
    query.SetSQL(QStringLiteral("SELECT * FROM T"));
    query.Open();
    EXPECT_EQ(Names(query), QStringList({"a", "b", "c"}));
    EXPECT_TRUE(query.Eof());
    EXPECT_EQ(query.RecNo(), 2);
    query.Prior();
    EXPECT_FALSE(query.Eof());
    EXPECT_EQ(query.RecNo(), 1);
    query.MoveBy(-5);
    EXPECT_TRUE(query.Bof());
    EXPECT_EQ(query.RecNo(), 0);
    query.Last();
    EXPECT_TRUE(query.Eof());
    EXPECT_EQ(query.FieldByName(QStringLiteral("Name")).toString(), QStringLiteral("c"));
    query.MoveTo(1);
    EXPECT_FALSE(query.Eof() || query.Bof());
    EXPECT_EQ(query.Field(1).toString(), QStringLiteral("b"));
    query.Close();
    EXPECT_THROW(query.Next(), EDatabaseError);
}

TEST(QueryRead, RowsFarApartReadCorrectlyAndRowsGoneElsewhereReadEmpty) {
    TestDatabase db;
    QStringList names;
    for (int i = 0; i < 1000; ++i)
        names << QStringLiteral("row %1").arg(i);
    db.AddRows(names);
    TQuery query(db.File());
    query.SetSQL(QStringLiteral("SELECT Name, N, ID FROM T ORDER BY N DESC"));
    query.Open();
    ASSERT_EQ(query.RecordCount(), 1000);
    EXPECT_EQ(query.Value(999, 0).toString(), QStringLiteral("row 0"));
    EXPECT_EQ(query.Value(0, 0).toString(), QStringLiteral("row 999"));
    EXPECT_EQ(query.Value(500, 1).toInt(), 500);
    EXPECT_FALSE(query.Value(1000, 0).isValid());
    db.Execute(QStringLiteral("DELETE FROM T WHERE N = 300"));
    EXPECT_EQ(query.RecordCount(), 1000); // the snapshot stands
    EXPECT_FALSE(query.Value(700, 0).isValid());
    EXPECT_EQ(query.Value(701, 0).toString(), QStringLiteral("row 298"));
}

TEST(QueryRead, ResultsNotOfOneTableAreReadOnly) {
    TestDatabase db({"a", "b"});
    TQuery query(db.File());
    for (const char* sql : {"SELECT count(*) AS C FROM T", "SELECT Name FROM T",
                            "SELECT ID FROM T UNION SELECT ID + 10 FROM T ORDER BY 1",
                            "SELECT a.ID, b.Name FROM T a JOIN T b ON b.ID = a.ID"}) {
        query.SetSQL(QLatin1String(sql));
        query.Open();
        EXPECT_FALSE(query.CanModify()) << sql;
        EXPECT_GT(query.RecordCount(), 0);
        EXPECT_THROW(query.Edit(), EDatabaseError) << sql;
        EXPECT_THROW(query.Delete(), EDatabaseError) << sql;
    }
    query.SetSQL(QStringLiteral("SELECT ID FROM T UNION SELECT ID + 10 FROM T ORDER BY 1"));
    query.Open();
    query.Last();
    EXPECT_EQ(query.Field(0).toInt(), 12);
}

// Text comparison, ordering and LIKE ignore case for every letter on each connection.
TEST(QueryText, EqualityOrderAndLikeIgnoreCaseBeyondAscii) {
    TestDatabase db({"Zebra", "éclair", "apple", "Émile", "Hans MÜLLER", "50% off", "x_y"});
    EXPECT_EQ(Select(db, QStringLiteral("SELECT * FROM T WHERE Name = 'ÉMILE'")), QStringList({"Émile"}));
    EXPECT_EQ(Select(db, QStringLiteral("select * from t where NAME Like '%müller%'")),
              QStringList({"Hans MÜLLER"}));
    EXPECT_EQ(Select(db, QStringLiteral("SELECT * FROM T WHERE Name LIKE 'É%' ORDER BY Name ASC")),
              QStringList({"éclair", "Émile"}));
    EXPECT_EQ(Select(db, QStringLiteral("SELECT * FROM T WHERE Name LIKE '%\\%%' ESCAPE '\\'")),
              QStringList({"50% off"}));
    EXPECT_EQ(Select(db, QStringLiteral("SELECT * FROM T WHERE Name LIKE 'x_y'")), QStringList({"x_y"}));
    EXPECT_EQ(Select(db, QStringLiteral("SELECT * FROM T WHERE [Name] LIKE '_____'")),
              QStringList({"Zebra", "apple", "Émile"}));
    EXPECT_EQ(Select(db, QStringLiteral("SELECT * FROM T WHERE Name LIKE NULL")), QStringList());
    EXPECT_EQ(Select(db, QStringLiteral("SELECT * FROM T WHERE N <= 4 ORDER BY Name ASC")),
              QStringList({"apple", "éclair", "Émile", "Zebra"}));
}

TEST(QuerySignals, OpenAndCloseResetViewsAndMovesReportTheRow) {
    TestDatabase db({"a", "b"});
    TQuery query(db.File());
    int resets = 0;
    QList<int> rows;
    QObject::connect(&query, &TQuery::dataReset, [&] { ++resets; });
    QObject::connect(&query, &TQuery::currentRowChanged, [&](int row) { rows << row; });
    query.SetSQL(QStringLiteral("SELECT * FROM T"));
    query.Open();
    query.Next();
    query.Next(); // at the end already: no move
    query.Close();
    EXPECT_EQ(resets, 2);
    EXPECT_EQ(rows, QList<int>({0, 1, -1}));
}

} // namespace
} // namespace qm
