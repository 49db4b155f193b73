#include "catalogue/db/software_query.h"

#include <gtest/gtest.h>
#include <map>
#include <vector>

namespace qm {
namespace {

// Look-ups answered from a fixed name -> ID map per table, recording every statement sent.
class FakeLookups {
public:
    std::map<QString, qint64> ids;
    std::vector<std::pair<TCatalogueTable, QString>> sent;

    TLookupID Function() {
        return [this](TCatalogueTable table, const QString& statement) {
            sent.emplace_back(table, statement);
            const auto it = ids.find(statement);
            return it == ids.end() ? qint64{0} : it->second;
        };
    }
};

TEST(ComposeSoftwareStatement, EmptyMaskSelectsWholeTableInIDOrderWithoutLookups) {
    FakeLookups lookups;
    EXPECT_EQ(ComposeSoftwareStatement({}, lookups.Function()), "SELECT * FROM SOFTWARE ORDER BY ID ASC");
    EXPECT_TRUE(lookups.sent.empty());
}

TEST(ComposeSoftwareStatement, SearchTextAloneGivesNameCondition) {
    FakeLookups lookups;
    EXPECT_EQ(ComposeSoftwareStatement({.search = "chess"}, lookups.Function()),
              "SELECT * FROM Software WHERE NAME LIKE '%chess%' ORDER BY ID ASC");
}

TEST(ComposeSoftwareStatement, CategoryAndKeywordsWithoutSearchText) {
    FakeLookups lookups;
    lookups.ids["SELECT ID, Name FROM CATEGORY WHERE Name = 'Games'"] = 3;
    EXPECT_EQ(ComposeSoftwareStatement({.category = "Games", .keywords = "chess"}, lookups.Function()),
              "SELECT * FROM SOFTWARE WHERE CategoryID = 3 AND [Keywords] Like '%chess%' ORDER BY ID ASC");
}

TEST(ComposeSoftwareStatement, SearchTextCDAndDescription) {
    FakeLookups lookups;
    lookups.ids["SELECT ID, Name FROM CD WHERE Name = 'Disc 4'"] = 12;
    EXPECT_EQ(ComposeSoftwareStatement({.search = "chess", .cd = "Disc 4", .description = "board"},
                                       lookups.Function()),
              "SELECT * FROM Software WHERE NAME LIKE '%chess%' AND CDID = 12 AND Description LIKE "
              "'%board%' ORDER BY ID ASC");
}

TEST(ComposeSoftwareStatement, UnknownTypeNameFindsIDZero) {
    FakeLookups lookups;
    EXPECT_EQ(ComposeSoftwareStatement({.type = "Nothing like it"}, lookups.Function()),
              "SELECT * FROM SOFTWARE WHERE TypeID = 0 ORDER BY ID ASC");
    ASSERT_EQ(lookups.sent.size(), 1u);
    EXPECT_EQ(lookups.sent[0].first, TCatalogueTable::ctType);
    EXPECT_EQ(lookups.sent[0].second, "SELECT ID, Name FROM Type WHERE Name = 'Nothing like it'");
}

TEST(ComposeSoftwareStatement, SingleBlankCountsAsFilledAndIsNotTrimmed) {
    FakeLookups lookups;
    EXPECT_EQ(ComposeSoftwareStatement({.keywords = " "}, lookups.Function()),
              "SELECT * FROM SOFTWARE WHERE [Keywords] LIKE '% %' ORDER BY ID ASC");
    EXPECT_EQ(ComposeSoftwareStatement({.description = "  x "}, lookups.Function()),
              "SELECT * FROM SOFTWARE WHERE Description LIKE '%  x %' ORDER BY ID ASC");
}

TEST(ComposeSoftwareStatement, AllFieldsWithoutSearchTextKeepFieldOrderAndSpellings) {
    FakeLookups lookups;
    lookups.ids["SELECT ID, Name FROM CD WHERE Name = 'c'"] = 1;
    lookups.ids["SELECT ID, Name FROM CATEGORY WHERE Name = 'g'"] = 22;
    lookups.ids["SELECT ID, Name FROM Type WHERE Name = 't'"] = 333;
    EXPECT_EQ(ComposeSoftwareStatement(
                  {.cd = "c", .category = "g", .type = "t", .keywords = "k", .description = "d"},
                  lookups.Function()),
              "SELECT * FROM SOFTWARE WHERE CDID = 1 AND CategoryID = 22 AND TypeID = 333 AND [Keywords] "
              "Like '%k%' AND Description Like '%d%' ORDER BY ID ASC");
    ASSERT_EQ(lookups.sent.size(), 3u);
    EXPECT_EQ(lookups.sent[0].first, TCatalogueTable::ctCD);
    EXPECT_EQ(lookups.sent[1].first, TCatalogueTable::ctCategory);
    EXPECT_EQ(lookups.sent[2].first, TCatalogueTable::ctType);
}

TEST(ComposeSoftwareStatement, AllFieldsWithSearchTextAppendInFieldOrder) {
    FakeLookups lookups;
    lookups.ids["SELECT ID, Name FROM CD WHERE Name = 'c'"] = 1;
    lookups.ids["SELECT ID, Name FROM Type WHERE Name = 't'"] = 9;
    EXPECT_EQ(
        ComposeSoftwareStatement(
            {.search = "s", .cd = "c", .category = "g", .type = "t", .keywords = "k", .description = "d"},
            lookups.Function()),
        "SELECT * FROM Software WHERE NAME LIKE '%s%' AND CDID = 1 AND CategoryID = 0 AND TypeID = 9 "
        "AND [Keywords] LIKE '%k%' AND Description LIKE '%d%' ORDER BY ID ASC");
}

TEST(ComposeSoftwareStatement, FirstConditionStartsWithWhereWhicheverFieldItIs) {
    FakeLookups lookups;
    EXPECT_EQ(ComposeSoftwareStatement({.description = "d"}, lookups.Function()),
              "SELECT * FROM SOFTWARE WHERE Description LIKE '%d%' ORDER BY ID ASC");
    EXPECT_EQ(ComposeSoftwareStatement({.type = "t", .description = "d"}, lookups.Function()),
              "SELECT * FROM SOFTWARE WHERE TypeID = 0 AND Description Like '%d%' ORDER BY ID ASC");
}

TEST(ComposeSoftwareStatement, SqlWordsInTypedTextsDoNotMisplaceConditions) {
    FakeLookups lookups;
    EXPECT_EQ(ComposeSoftwareStatement({.keywords = "ORDER", .description = "WHERE"}, lookups.Function()),
              "SELECT * FROM SOFTWARE WHERE [Keywords] LIKE '%ORDER%' AND Description Like '%WHERE%' "
              "ORDER BY ID ASC");
}

TEST(ComposeSoftwareStatement, WildcardsKeepTheirMeaning) {
    FakeLookups lookups;
    EXPECT_EQ(ComposeSoftwareStatement({.search = "a%b_c"}, lookups.Function()),
              "SELECT * FROM Software WHERE NAME LIKE '%a%b_c%' ORDER BY ID ASC");
}

TEST(StripOrderBy, CutsBeforeTheBlankInFrontOfTheLastOrder) {
    EXPECT_EQ(StripOrderBy("SELECT * FROM SOFTWARE ORDER BY ID ASC"), "SELECT * FROM SOFTWARE");
    EXPECT_EQ(StripOrderBy("SELECT * FROM Software WHERE NAME LIKE '%ORDER%' ORDER BY ID ASC"),
              "SELECT * FROM Software WHERE NAME LIKE '%ORDER%'");
}

TEST(StripOrderBy, EdgesOfTheStatement) {
    EXPECT_EQ(StripOrderBy("SELECT * FROM SOFTWARE"), "SELECT * FROM SOFTWARE");
    EXPECT_EQ(StripOrderBy("ORDER BY ID ASC"), "");
    EXPECT_EQ(StripOrderBy(""), "");
}

TEST(SoftwareTitleClickStatement, ReplacesOrderByClickedColumn) {
    FakeLookups lookups;
    lookups.ids["SELECT ID, Name FROM CD WHERE Name = 'Disc 7'"] = 7;
    EXPECT_EQ(SoftwareTitleClickStatement(ComposeSoftwareStatement({}, lookups.Function()), 2),
              "SELECT * FROM SOFTWARE ORDER BY CategoryID ASC");
    EXPECT_EQ(
        SoftwareTitleClickStatement(ComposeSoftwareStatement({.search = "chess"}, lookups.Function()), 0),
        "SELECT * FROM Software WHERE NAME LIKE '%chess%' ORDER BY NAME ASC");
    EXPECT_EQ(SoftwareTitleClickStatement(ComposeSoftwareStatement({.cd = "Disc 7"}, lookups.Function()), 4),
              "SELECT * FROM SOFTWARE WHERE CDID = 7 ORDER BY Keywords ASC");
    EXPECT_EQ(SoftwareTitleClickStatement(kAllSoftwareStatement, 1),
              "SELECT * FROM SOFTWARE ORDER BY CDID ASC");
    EXPECT_EQ(SoftwareTitleClickStatement(kAllSoftwareStatement, 3),
              "SELECT * FROM SOFTWARE ORDER BY TypeID ASC");
}

TEST(SoftwareTitleClickStatement, PositionsOutsideTheFiveColumnsGiveNothing) {
    EXPECT_FALSE(SoftwareTitleClickStatement(kAllSoftwareStatement, -1).has_value());
    EXPECT_FALSE(SoftwareTitleClickStatement(kAllSoftwareStatement, 5).has_value());
}

} // namespace
} // namespace qm
