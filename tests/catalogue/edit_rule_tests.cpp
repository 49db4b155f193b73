// The rules around posting and deleting rows, through the real main window.
#include "app/tform1.h"
#include "framework/controls/dbgrid.h"
#include "framework/controls/statusbar.h"
#include "tests/app/app_test_support.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

class EditRules : public ::testing::Test {
protected:
    test::TShownForm shown;
    TForm1& form = shown.Form();
    Ui::TForm1& ui = form.Ui();
    TCatalogueData& data = form.Data();

    QString Panel0() const { return ui.StatusBar1->PanelText(0); }
    QStringList File(const QString& query) const { return shown.Catalogue().Column(query); }
};

// Each of the seven queries, with the table it reads.
struct TQueryCase {
    TQuery TCatalogueData::*query;
    const char* table;
};

void PrintTo(const TQueryCase& c, std::ostream* os) {
    *os << c.table;
}

class EachQuery : public EditRules, public ::testing::WithParamInterface<TQueryCase> {
protected:
    TQuery& Query() { return data.*GetParam().query; }
    QString Table() const { return GetParam().table; }

    // The query on the table's row with ID 2 in a state of its own.
    void OpenOnRowTwo(TUpdateCriteria criteria) {
        TQuery& query = Query();
        query.Close();
        query.SetSQL("SELECT * FROM " + Table() + " WHERE ID = 2");
        query.Open();
        query.SetUpdateCriteria(criteria);
    }
};

TEST_P(EachQuery, PostFindsTheRowByKeyAloneAfterAnotherWriterChangedIt) {
    OpenOnRowTwo(TUpdateCriteria::ucWhereAll);
    shown.Catalogue().Execute("UPDATE " + Table() + " SET Name = 'changed elsewhere' WHERE ID = 2");
    TQuery& query = Query();
    query.Edit();
    query.SetFieldValue("Name", "edited here");
    query.Post();
    EXPECT_EQ(query.UpdateCriteria(), TUpdateCriteria::ucKeyOnly);
    EXPECT_EQ(File("SELECT Name FROM " + Table() + " WHERE ID = 2"), QStringList{"edited here"});
}

TEST_P(EachQuery, DeleteFindsTheRowByKeyAloneAfterAnotherWriterChangedIt) {
    OpenOnRowTwo(TUpdateCriteria::ucWhereChanged);
    shown.Catalogue().Execute("UPDATE " + Table() + " SET Name = 'changed elsewhere' WHERE ID = 2");
    Query().Delete();
    EXPECT_EQ(Query().UpdateCriteria(), TUpdateCriteria::ucKeyOnly);
    EXPECT_EQ(File("SELECT COUNT(*) FROM " + Table() + " WHERE ID = 2"), QStringList{"0"});
}

INSTANTIATE_TEST_SUITE_P(SevenQueries, EachQuery,
                         ::testing::Values(TQueryCase{&TCatalogueData::ADOQuerySoftware, "SOFTWARE"},
                                           TQueryCase{&TCatalogueData::ADOQueryCD, "CD"},
                                           TQueryCase{&TCatalogueData::ADOQueryCategory, "Category"},
                                           TQueryCase{&TCatalogueData::ADOQueryType, "Type"},
                                           TQueryCase{&TCatalogueData::ADOQueryCD2, "CD"},
                                           TQueryCase{&TCatalogueData::ADOQueryCategory2, "CATEGORY"},
                                           TQueryCase{&TCatalogueData::ADOQueryType2, "TYPE"}));

TEST_F(EditRules, CountIsRightAfterEveryInsertPostAndDelete) {
    TQuery& type = data.ADOQueryType;
    ui.StatusBar1->SetPanelText(0, "stale");
    type.Append();
    EXPECT_EQ(Panel0(), "3") << "a new row counts once it is posted";
    type.SetFieldValue("Name", "Public domain");
    type.Post();
    EXPECT_EQ(Panel0(), "4");
    type.First();
    type.Delete();
    EXPECT_EQ(Panel0(), "3");
    EXPECT_EQ(File("SELECT COUNT(*) FROM Type"), QStringList{"3"});
}

TEST_F(EditRules, EachTableCountsItsOwnRows) {
    data.ADOQueryCD.Delete();
    EXPECT_EQ(Panel0(), "2");
    data.ADOQueryCategory.Append();
    EXPECT_EQ(Panel0(), "3");
    data.ADOQueryCategory.Cancel();
    data.ADOQuerySoftware.Delete();
    EXPECT_EQ(Panel0(), "2");
}

TEST_F(EditRules, DeletingTheLastRowShowsZero) {
    TQuery& software = data.ADOQuerySoftware;
    while (software.RecordCount() > 0)
        software.Delete();
    EXPECT_EQ(Panel0(), "0");
    EXPECT_EQ(File("SELECT COUNT(*) FROM SOFTWARE"), QStringList{"0"});
}

TEST_F(EditRules, LookUpQueriesLeaveTheStatusBarAlone) {
    ui.StatusBar1->SetPanelText(0, "kept");
    data.ADOQueryCD2.Delete();
    data.ADOQueryType2.Append();
    data.ADOQueryType2.Cancel();
    EXPECT_EQ(Panel0(), "kept");
}

} // namespace
} // namespace qm
