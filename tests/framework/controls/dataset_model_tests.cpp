#include "framework/controls/dataset_model.h"
#include "tests/framework/controls/control_test_support.h"

#include <QAbstractItemModelTester>
#include <gtest/gtest.h>

namespace qm {
namespace {

using test::OpenTable;

// The model tester reports each broken rule as a warning starting with "FAIL!".
class ModelRuleWatch {
public:
    ModelRuleWatch() { previous_ = qInstallMessageHandler(&ModelRuleWatch::Handle); }
    ~ModelRuleWatch() { qInstallMessageHandler(previous_); }
    static inline QStringList failures;

private:
    static void Handle(QtMsgType, const QMessageLogContext&, const QString& message) {
        if (message.contains(QLatin1String("FAIL!")))
            failures << message;
    }
    QtMessageHandler previous_;
};

TEST(DataSetModel, KeepsTheModelRulesThroughTheWholeLifeOfAQuery) {
    ModelRuleWatch watch;
    ModelRuleWatch::failures.clear();
    OpenTable table({"a", "b", "c"});
    TDataSetModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    model.SetDataSet(&table.query);
    TQuery& query = table.query;
    query.MoveTo(1);
    query.Insert();
    EXPECT_EQ(model.rowCount(), 4);
    query.SetFieldValue(QStringLiteral("Name"), QStringLiteral("new"));
    query.Post();
    query.Edit();
    query.SetFieldValue(QStringLiteral("N"), 5);
    query.Cancel();
    query.Delete();
    query.Append();
    query.Cancel();
    model.SetColumns({"Name", "Missing", "ID"});
    query.SetSQL(QStringLiteral("SELECT count(*) AS C FROM T"));
    query.Open();
    query.Close();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(ModelRuleWatch::failures, QStringList());
}

TEST(DataSetModel, ShowsTheChosenColumnsAndEditsThroughTheQuery) {
    OpenTable table({"a", "b"});
    TDataSetModel model;
    model.SetDataSet(&table.query);
    EXPECT_EQ(model.columnCount(), 3);
    model.SetColumns({"Name", "Missing", "ID"});
    ASSERT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Missing"));
    EXPECT_EQ(model.index(1, 0).data().toString(), QStringLiteral("b"));
    EXPECT_FALSE(model.index(1, 1).data().isValid());
    EXPECT_FALSE(model.flags(model.index(0, 2)) & Qt::ItemIsEditable); // the key
    EXPECT_FALSE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
    ASSERT_TRUE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);

    EXPECT_TRUE(model.setData(model.index(1, 0), QStringLiteral("B")));
    EXPECT_EQ(table.query.RecNo(), 1);
    EXPECT_EQ(table.query.State(), TDataSetState::dsEdit);
    EXPECT_EQ(model.index(1, 0).data().toString(), QStringLiteral("B"));
    EXPECT_TRUE(model.setData(model.index(0, 0), QStringLiteral("A"))); // leaving the row posts it
    EXPECT_EQ(table.NamesInFile(), QStringLiteral("a,B"));
    table.query.Post();
    EXPECT_EQ(table.NamesInFile(), QStringLiteral("A,B"));
    EXPECT_FALSE(model.setData(model.index(0, 2), 9));
}

// Leaving a cell editor without a change writes nothing: a text stored as bytes that are no
// UTF-8 (shown with U+FFFD) keeps its bytes when another cell of its row is edited and posted.
TEST(DataSetModel, ACellHandedBackUnchangedKeepsTheStoredBytes) {
    OpenTable table({"a", "b"});
    table.db.Execute(QStringLiteral("UPDATE T SET Name = CAST(X'44E9' AS TEXT) WHERE ID = 1"));
    table.query.Close();
    table.query.Open();
    TDataSetModel model;
    model.SetDataSet(&table.query);
    model.SetColumns({"Name", "N"});
    EXPECT_TRUE(model.setData(model.index(0, 0), model.index(0, 0).data()));
    EXPECT_EQ(table.query.State(), TDataSetState::dsBrowse);
    EXPECT_TRUE(model.setData(model.index(0, 1), 7));
    table.query.Post();
    EXPECT_EQ(table.db.ReadBack(QStringLiteral("SELECT hex(Name) || '/' || N FROM T WHERE ID = 1")),
              "44E9/7");
    // A real change still goes in.
    EXPECT_TRUE(model.setData(model.index(0, 0), QStringLiteral("D\u00e9")));
    table.query.Post();
    EXPECT_EQ(table.db.ReadBack(QStringLiteral("SELECT hex(Name) FROM T WHERE ID = 1")), "44C3A9");
}

TEST(DataSetModel, ForgetsAQueryThatIsDestroyed) {
    TDataSetModel model;
    {
        OpenTable table({"a"});
        model.SetDataSet(&table.query);
        EXPECT_EQ(model.rowCount(), 1);
    }
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.DataSet(), nullptr);
}

} // namespace
} // namespace qm
