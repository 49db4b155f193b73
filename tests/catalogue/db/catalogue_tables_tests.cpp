#include "catalogue/db/catalogue_tables.h"

#include <gtest/gtest.h>
#include <limits>

namespace qm {
namespace {

TEST(NameFilterStatement, EmptyTextShowsEveryRowWithAName) {
    EXPECT_EQ(NameFilterStatement(TCatalogueTable::ctCD, ""), "SELECT * FROM CD WHERE NAME LIKE '%'");
    EXPECT_EQ(NameFilterStatement(TCatalogueTable::ctCategory, "Ga"),
              "SELECT * FROM Category WHERE NAME LIKE 'Ga%'");
    EXPECT_EQ(NameFilterStatement(TCatalogueTable::ctType, "Sh"), "SELECT * FROM TYPE WHERE NAME LIKE 'Sh%'");
}

TEST(NameFilterStatement, ApostrophesAreDoubledWildcardsKept) {
    EXPECT_EQ(NameFilterStatement(TCatalogueTable::ctCD, "Baldur's_%"),
              "SELECT * FROM CD WHERE NAME LIKE 'Baldur''s_%%'");
}

TEST(LookupStatement, ExactNameWithApostrophesDoubled) {
    EXPECT_EQ(LookupStatement(TCatalogueTable::ctCD, "Disc 4"),
              "SELECT ID, Name FROM CD WHERE Name = 'Disc 4'");
    EXPECT_EQ(LookupStatement(TCatalogueTable::ctCategory, "'--"),
              "SELECT ID, Name FROM CATEGORY WHERE Name = '''--'");
}

TEST(IDNameStatement, IDInDecimalIncludingZeroAndLargeNumbers) {
    EXPECT_EQ(IDNameStatement(TCatalogueTable::ctCD, 0), "SELECT * FROM CD WHERE ID = 0");
    EXPECT_EQ(IDNameStatement(TCatalogueTable::ctType, -5), "SELECT * FROM TYPE WHERE ID = -5");
    EXPECT_EQ(IDNameStatement(TCatalogueTable::ctCategory, std::numeric_limits<qint64>::max()),
              "SELECT * FROM CATEGORY WHERE ID = 9223372036854775807");
}

TEST(TableTitleClickStatement, OnlyIDAndNameColumnsSort) {
    EXPECT_EQ(TableTitleClickStatement(TCatalogueTable::ctCD, 0), "SELECT * FROM CD ORDER BY ID ASC");
    EXPECT_EQ(TableTitleClickStatement(TCatalogueTable::ctCategory, 1),
              "SELECT * FROM Category ORDER BY NAME ASC");
    EXPECT_EQ(TableTitleClickStatement(TCatalogueTable::ctType, 1), "SELECT * FROM Type ORDER BY NAME ASC");
    EXPECT_FALSE(TableTitleClickStatement(TCatalogueTable::ctType, 2).has_value());
    EXPECT_FALSE(TableTitleClickStatement(TCatalogueTable::ctCD, -1).has_value());
}

TEST(ReferencedTable, OnlyTheThreeIDColumnsReferToATable) {
    EXPECT_FALSE(ReferencedTable(0).has_value());
    EXPECT_EQ(ReferencedTable(1), TCatalogueTable::ctCD);
    EXPECT_EQ(ReferencedTable(2), TCatalogueTable::ctCategory);
    EXPECT_EQ(ReferencedTable(3), TCatalogueTable::ctType);
    EXPECT_FALSE(ReferencedTable(4).has_value());
}

TEST(TableTexts, NoRowTextsPutTheHintOnASecondLine) {
    for (TCatalogueTable table :
         {TCatalogueTable::ctCD, TCatalogueTable::ctCategory, TCatalogueTable::ctType}) {
        const QString text = TableTexts(table).noRowText;
        const QString caption = TableTexts(table).caption;
        EXPECT_EQ(text, "There is no " + caption + " with such an ID!\n(Choose an existing ID from the tab " +
                            caption + ")");
        EXPECT_EQ(text.count('\n'), 1);
    }
}

} // namespace
} // namespace qm
