// The Software statements of the search mask and the title clicks, turned into statements over
// the sort keys; anything else keeps its own way.
#include "catalogue/db/software_keys_statement.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

struct KeysCase {
    const char* statement;
    const char* keys; // nullptr: the statement is run as it is
};

class SoftwareKeys : public ::testing::TestWithParam<KeysCase> {};

TEST_P(SoftwareKeys, MatchAndSortByTheKeysWhereTheyHelp) {
    const KeysCase& c = GetParam();
    const std::optional<TSoftwareStatement> parsed = ParseSoftwareStatement(QString::fromUtf8(c.statement));
    const std::optional<QString> keys = parsed ? SoftwareKeysStatement(*parsed) : std::nullopt;
    if (c.keys == nullptr)
        EXPECT_FALSE(keys.has_value()) << keys.value_or(QString()).toStdString();
    else
        EXPECT_EQ(keys.value_or(QStringLiteral("(none)")), QString::fromUtf8(c.keys));
}

INSTANTIATE_TEST_SUITE_P(
    Statements, SoftwareKeys,
    ::testing::Values(
        // searches of the mask, with and without the name, in the spellings it builds
        KeysCase{
            "SELECT * FROM Software WHERE NAME LIKE '%chess%' AND [Keywords] LIKE '%board%' ORDER BY ID ASC",
            "SELECT k.ID FROM SOFTWARE_KEYS AS k WHERE qm_key_like('%chess%', k.NameKey) AND "
            "qm_key_like('%board%', k.KeywordsKey) ORDER BY k.ID"},
        KeysCase{
            "SELECT * FROM SOFTWARE WHERE CDID = -7 AND CategoryID = 3 AND [Keywords] Like '%O''Brien%' "
            "AND Description Like '%50%%' ORDER BY ID ASC",
            "SELECT k.ID FROM SOFTWARE_KEYS AS k JOIN SOFTWARE AS s ON s.ID = k.ID WHERE s.CDID = -7 AND "
            "s.CategoryID = 3 AND qm_key_like('%O''Brien%', k.KeywordsKey) AND s.Description LIKE '%50%%' "
            "ORDER BY k.ID"},
        // title clicks
        KeysCase{"SELECT * FROM SOFTWARE ORDER BY NAME ASC",
                 "SELECT k.ID FROM SOFTWARE_KEYS AS k ORDER BY k.NameKey, k.ID"},
        KeysCase{"SELECT * FROM SOFTWARE WHERE TypeID = 0 ORDER BY Keywords ASC",
                 "SELECT k.ID FROM SOFTWARE_KEYS AS k JOIN SOFTWARE AS s ON s.ID = k.ID WHERE s.TypeID = 0 "
                 "ORDER BY k.KeywordsKey, k.ID"},
        KeysCase{"SELECT * FROM Software WHERE NAME LIKE '%ÄÖ_ ''x''%' ORDER BY CDID ASC",
                 "SELECT k.ID FROM SOFTWARE_KEYS AS k JOIN SOFTWARE AS s ON s.ID = k.ID WHERE "
                 "qm_key_like('%ÄÖ_ ''x''%', k.NameKey) ORDER BY s.CDID, k.ID"},
        // nothing to gain: integer columns have indexes of their own
        KeysCase{"SELECT * FROM SOFTWARE ORDER BY ID ASC", nullptr},
        KeysCase{"SELECT * FROM SOFTWARE", nullptr},
        KeysCase{"SELECT * FROM SOFTWARE WHERE CDID = 7 ORDER BY CategoryID ASC", nullptr},
        KeysCase{"SELECT * FROM SOFTWARE WHERE Description LIKE '%x%' ORDER BY ID ASC", nullptr},
        // statements the program does not build
        KeysCase{"SELECT * FROM SOFTWARE ORDER BY NAME DESC", nullptr},
        KeysCase{"SELECT * FROM SOFTWARE WHERE NAME LIKE '%x%' OR 1 = 1 ORDER BY ID ASC", nullptr},
        KeysCase{"SELECT * FROM SOFTWARE WHERE NAME = 'x' ORDER BY NAME ASC", nullptr},
        KeysCase{"SELECT * FROM SOFTWARE WHERE NAME LIKE '%x ORDER BY NAME ASC", nullptr},
        KeysCase{"SELECT * FROM SOFTWARE WHERE Path LIKE '%x%' ORDER BY NAME ASC", nullptr},
        KeysCase{"SELECT * FROM SOFTWARE WHERE CDID = 7x ORDER BY NAME ASC", nullptr},
        KeysCase{"SELECT ID FROM SOFTWARE ORDER BY NAME ASC", nullptr},
        KeysCase{"SELECT * FROM CD ORDER BY NAME ASC", nullptr},
        KeysCase{"SELECT * FROM SOFTWARE ORDER BY NAME ASC; DELETE FROM SOFTWARE", nullptr}));

} // namespace
} // namespace qm
