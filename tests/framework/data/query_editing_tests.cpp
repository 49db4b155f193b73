// Editing through a TQuery: every post and delete is one transaction, rows are found by key, and a
// refused write leaves both the file and the dataset as they were.
#include "framework/core/exceptions.h"
#include "framework/data/query.h"
#include "tests/framework/data/test_database.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

const QString kName = QStringLiteral("Name");

class QueryEditing : public ::testing::Test {
protected:
    QString NamesInFile() const { return table.NamesInFile(); }

    test::OpenTable table{{"a", "b", "c"}};
    test::TestDatabase& db = table.db;
    TQuery& query = table.query;
};

TEST_F(QueryEditing, EditAndPostWritesOnlyThatRow) {
    query.MoveTo(1);
    query.Edit();
    EXPECT_EQ(query.State(), TDataSetState::dsEdit);
    query.SetFieldValue(kName, QStringLiteral("B2"));
    EXPECT_EQ(query.FieldByName(kName).toString(), QStringLiteral("B2"));
    EXPECT_EQ(NamesInFile(), QStringLiteral("a,b,c")); // nothing written before the post
    query.Post();
    EXPECT_EQ(query.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(NamesInFile(), QStringLiteral("a,B2,c"));
    EXPECT_EQ(query.FieldByName(kName).toString(), QStringLiteral("B2"));
}

TEST_F(QueryEditing, MovingOffAnEditedRowPostsIt) {
    query.Edit();
    query.SetFieldValue(kName, QStringLiteral("A2"));
    query.Next();
    EXPECT_EQ(query.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(NamesInFile(), QStringLiteral("A2,b,c"));
}

TEST_F(QueryEditing, CancelDiscardsTheEdit) {
    query.Edit();
    query.SetFieldValue(kName, QStringLiteral("zz"));
    query.Cancel();
    EXPECT_EQ(query.FieldByName(kName).toString(), QStringLiteral("a"));
    EXPECT_EQ(NamesInFile(), QStringLiteral("a,b,c"));
    EXPECT_THROW(query.SetFieldValue(kName, QStringLiteral("x")), EDatabaseError);
}

TEST_F(QueryEditing, TheKeyIsNeverWritten) {
    query.Edit();
    EXPECT_THROW(query.SetFieldValue(QStringLiteral("ID"), 77), EDatabaseError);
}

TEST_F(QueryEditing, InsertCountsOnlyOncePostedAndTakesTheEnginesKey) {
    int afterInsert = 0;
    query.AfterInsert = [&](TQuery& q) {
        ++afterInsert;
        EXPECT_EQ(q.RecordCount(), 3);
    };
    query.MoveTo(1);
    query.Insert();
    EXPECT_EQ(afterInsert, 1);
    EXPECT_EQ(query.State(), TDataSetState::dsInsert);
    EXPECT_EQ(query.RecNo(), 1);
    EXPECT_EQ(query.RecordCount(), 3);
    EXPECT_EQ(query.DisplayRowCount(), 4);
    EXPECT_EQ(query.Value(2, 1).toString(), QStringLiteral("b")); // rows below move down by one
    query.SetFieldValue(kName, QStringLiteral("new"));
    query.Post();
    EXPECT_EQ(query.RecordCount(), 4);
    EXPECT_EQ(query.FieldByName(QStringLiteral("ID")).toInt(), 4);
    EXPECT_EQ(query.Value(1, 1).toString(), QStringLiteral("new"));
    EXPECT_EQ(NamesInFile(), QStringLiteral("a,b,c,new"));
}

TEST_F(QueryEditing, AppendGoesLastAndCancelRemovesThePendingRow) {
    query.Append();
    EXPECT_EQ(query.RecNo(), 3);
    query.Cancel();
    EXPECT_EQ(query.DisplayRowCount(), 3);
    EXPECT_EQ(query.RecNo(), 2);
    query.Append();
    query.Post(); // a row with nothing typed in still gets its key
    EXPECT_EQ(db.ReadBack(QStringLiteral("SELECT count(*) FROM T WHERE Name IS NULL")).toInt(), 1);
}

TEST_F(QueryEditing, DeleteRemovesTheRowAndKeepsThePosition) {
    QList<int> countsAfterDelete;
    query.AfterDelete = [&](TQuery& q) { countsAfterDelete << q.RecordCount(); };
    query.MoveTo(1);
    query.Delete();
    EXPECT_EQ(countsAfterDelete, QList<int>({2}));
    EXPECT_EQ(query.RecNo(), 1);
    EXPECT_EQ(query.FieldByName(kName).toString(), QStringLiteral("c"));
    EXPECT_EQ(NamesInFile(), QStringLiteral("a,c"));
    query.Delete();
    query.Delete();
    EXPECT_EQ(query.RecordCount(), 0);
    EXPECT_EQ(query.RecNo(), -1);
    EXPECT_EQ(countsAfterDelete, QList<int>({2, 1, 0}));
    EXPECT_THROW(query.Delete(), EDatabaseError);
    EXPECT_EQ(NamesInFile(), QString());
}

TEST_F(QueryEditing, EditOfAnEmptyResultInserts) {
    query.SetSQL(QStringLiteral("SELECT * FROM T WHERE N = 0"));
    query.Open();
    query.Edit();
    EXPECT_EQ(query.State(), TDataSetState::dsInsert);
}

TEST_F(QueryEditing, KeyOnlyCriteriaFindTheRowWhateverElseChanged) {
    EXPECT_EQ(query.FieldByName(kName).toString(), QStringLiteral("a")); // read before the change
    db.Execute(QStringLiteral("UPDATE T SET Name = 'changed elsewhere' WHERE ID = 1"));
    query.Edit();
    query.SetFieldValue(kName, QStringLiteral("mine"));
    EXPECT_THROW(query.Post(), EDatabaseError); // by default the old value must still be there
    EXPECT_EQ(query.State(), TDataSetState::dsEdit);
    query.SetUpdateCriteria(TUpdateCriteria::ucKeyOnly);
    query.Post();
    EXPECT_EQ(NamesInFile(), QStringLiteral("mine,b,c"));
}

TEST_F(QueryEditing, WhereAllCriteriaRefuseARowChangedInAnyColumn) {
    query.MoveTo(1);
    EXPECT_EQ(query.FieldByName(kName).toString(), QStringLiteral("b")); // read before the change
    db.Execute(QStringLiteral("UPDATE T SET N = 42 WHERE ID = 2"));
    query.SetUpdateCriteria(TUpdateCriteria::ucWhereAll);
    EXPECT_THROW(query.Delete(), EDatabaseError);
    EXPECT_EQ(query.RecordCount(), 3);
    query.SetUpdateCriteria(TUpdateCriteria::ucKeyOnly);
    query.Delete();
    EXPECT_EQ(NamesInFile(), QStringLiteral("a,c"));
}

// U+FEFF at the start of a text is a character of it, not a byte order mark to drop: a row read
// without it would be written back without it, or not be found by criteria over all its values.
TEST(QueryStoredText, ALeadingByteOrderMarkIsKeptAndTheRowFoundByAllItsValues) {
    const QString mark(QChar(0xFEFF));
    const QStringList names{mark + "once", mark + mark + "twice", "plain"};
    test::OpenTable table{names};
    TQuery& query = table.query;
    for (int row = 0; row < names.size(); ++row) {
        query.MoveTo(row);
        EXPECT_EQ(query.FieldByName(kName).toString(), names[row]) << row;
    }
    query.SetUpdateCriteria(TUpdateCriteria::ucWhereAll);
    query.MoveTo(1);
    query.Edit();
    query.SetFieldValue(QStringLiteral("N"), 7);
    query.Post();
    EXPECT_EQ(table.db.ReadBack(QStringLiteral("SELECT hex(Name) FROM T WHERE N = 7")).toString(),
              QStringLiteral("EFBBBFEFBBBF7477696365"));
}

TEST_F(QueryEditing, DeletingARowGoneElsewhereIsAnError) {
    db.Execute(QStringLiteral("DELETE FROM T WHERE ID = 1"));
    query.SetUpdateCriteria(TUpdateCriteria::ucKeyOnly);
    EXPECT_THROW(query.Delete(), EDatabaseError);
    EXPECT_EQ(query.RecordCount(), 3);
}

TEST_F(QueryEditing, ARefusedPostLeavesTheRowInEditingAndTheFileUnchanged) {
    db.Execute(QStringLiteral("CREATE TRIGGER no_x BEFORE UPDATE ON T WHEN NEW.Name = 'x' "
                              "BEGIN SELECT RAISE(ABORT, 'x is not allowed'); END"));
    query.Edit();
    query.SetFieldValue(kName, QStringLiteral("x"));
    query.SetFieldValue(QStringLiteral("N"), 9);
    try {
        query.Post();
        FAIL() << "no error";
    } catch (const EDatabaseError& error) {
        EXPECT_STREQ(error.what(), "x is not allowed");
    }
    EXPECT_EQ(query.State(), TDataSetState::dsEdit);
    EXPECT_EQ(db.ReadBack(QStringLiteral("SELECT N FROM T WHERE ID = 1")).toInt(), 1);
    query.SetFieldValue(kName, QStringLiteral("y")); // no transaction was left open
    query.Post();
    EXPECT_EQ(NamesInFile(), QStringLiteral("y,b,c"));
}

TEST_F(QueryEditing, BeforeHandlersRunFirstAndCanStopTheWrite) {
    QStringList calls;
    query.BeforePost = [&](TQuery& q) {
        calls << QStringLiteral("post");
        q.SetUpdateCriteria(TUpdateCriteria::ucKeyOnly);
    };
    query.BeforeDelete = [&](TQuery&) {
        calls << QStringLiteral("delete");
        throw EAbort("stop");
    };
    query.Edit();
    query.SetFieldValue(kName, QStringLiteral("z"));
    query.Post();
    EXPECT_EQ(query.UpdateCriteria(), TUpdateCriteria::ucKeyOnly);
    EXPECT_THROW(query.Delete(), EAbort);
    EXPECT_EQ(calls, QStringList({"post", "delete"}));
    EXPECT_EQ(NamesInFile(), QStringLiteral("z,b,c"));
}

TEST_F(QueryEditing, WritesAreSeenByAnotherConnectionAtOnce) {
    TQuery other(db.File());
    other.SetSQL(QStringLiteral("SELECT * FROM T ORDER BY ID"));
    other.Open();
    query.Append();
    query.SetFieldValue(kName, QStringLiteral("d"));
    query.Post();
    other.Close();
    other.Open();
    EXPECT_EQ(other.RecordCount(), 4);
    other.Last();
    EXPECT_EQ(other.FieldByName(kName).toString(), QStringLiteral("d"));
}

TEST_F(QueryEditing, PostAsksTheControlsForTypedTextFirstAndReportsAfterwards) {
    QStringList calls;
    QObject::connect(&query, &TQuery::updateRecord, [&] {
        calls << QStringLiteral("update");
        query.Edit();
        query.SetFieldValue(kName, QStringLiteral("typed"));
    });
    query.AfterPost = [&](TQuery& q) {
        calls << QStringLiteral("after %1").arg(q.State() == TDataSetState::dsBrowse);
    };
    query.Next(); // a move posts what a control still held
    EXPECT_EQ(calls, QStringList({"update", "after 1"}));
    EXPECT_EQ(NamesInFile(), QStringLiteral("typed,b,c"));
}

// An integer column stores a whole number or NULL and nothing else.
struct TIntegerInput {
    QVariant typed;
    QString storedType; // empty: the post is refused
    QVariant stored;
};

class IntegerColumn : public QueryEditing, public ::testing::WithParamInterface<TIntegerInput> {};

TEST_P(IntegerColumn, StoresWholeNumbersOrNullAndRefusesOtherText) {
    const TIntegerInput& input = GetParam();
    query.Edit();
    query.SetFieldValue(QStringLiteral("N"), input.typed);
    if (input.storedType.isEmpty()) {
        try {
            query.Post();
            ADD_FAILURE() << "the post was not refused";
        } catch (const EDatabaseError& error) {
            EXPECT_TRUE(QString::fromUtf8(error.what()).contains(QStringLiteral("whole number")))
                << error.what();
        }
        EXPECT_EQ(query.State(), TDataSetState::dsEdit);
        EXPECT_EQ(query.FieldByName(QStringLiteral("N")), input.typed) << "kept to be corrected";
        query.SetFieldValue(QStringLiteral("N"), 9);
        query.Post();
        EXPECT_EQ(db.ReadBack(QStringLiteral("SELECT typeof(N) || N FROM T WHERE ID = 1")), "integer9");
        return;
    }
    query.Post();
    EXPECT_EQ(db.ReadBack(QStringLiteral("SELECT typeof(N) FROM T WHERE ID = 1")), input.storedType);
    EXPECT_EQ(db.ReadBack(QStringLiteral("SELECT N FROM T WHERE ID = 1")), input.stored);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, IntegerColumn,
    ::testing::Values(TIntegerInput{QStringLiteral("12"), QStringLiteral("integer"), qlonglong(12)},
                      TIntegerInput{QStringLiteral(" -7 "), QStringLiteral("integer"), qlonglong(-7)},
                      TIntegerInput{QStringLiteral(""), QStringLiteral("null"), QVariant()},
                      TIntegerInput{QVariant(), QStringLiteral("null"), QVariant()},
                      TIntegerInput{42, QStringLiteral("integer"), qlonglong(42)},
                      TIntegerInput{QStringLiteral("abc"), QString(), QVariant()},
                      TIntegerInput{QStringLiteral("1.5"), QString(), QVariant()},
                      TIntegerInput{QStringLiteral("12abc"), QString(), QVariant()},
                      TIntegerInput{QStringLiteral("99999999999999999999"), QString(), QVariant()}));

} // namespace
} // namespace qm
