#include "framework/data/unicode_text.h"

#include <QString>
#include <gtest/gtest.h>

namespace qm {
namespace {

struct LikeCase {
    const char* text;
    const char* pattern;
    bool matches;
};

class LikeMatching : public ::testing::TestWithParam<LikeCase> {};

TEST_P(LikeMatching, FollowsWildcardsAndIgnoresCaseOfAllLetters) {
    const LikeCase& c = GetParam();
    EXPECT_EQ(MatchLike(QString::fromUtf8(c.text), QString::fromUtf8(c.pattern)), c.matches)
        << c.text << " LIKE " << c.pattern;
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, LikeMatching,
    ::testing::Values(LikeCase{"Hans MÜLLER", "%müller%", true}, LikeCase{"ÉCOLE", "école", true},
                      LikeCase{"Ωmega", "ωMEGA", true}, LikeCase{"chess", "CHESS", true},
                      LikeCase{"chess", "ches", false}, LikeCase{"chess", "%ches", false},
                      LikeCase{"chess", "c_ess", true}, LikeCase{"chess", "c_ss", false},
                      LikeCase{"ü", "_", true}, // one letter, although two bytes in UTF-8
                      LikeCase{"", "%", true}, LikeCase{"", "_", false}, LikeCase{"abc", "%%%", true},
                      LikeCase{"aXbXc", "a%c", true}, LikeCase{"aXbXcd", "a%c", false},
                      LikeCase{"mississippi", "%sip%", true}, LikeCase{"mississippi", "%iss%iss%ppi", true},
                      LikeCase{"mississippi", "%iss%iss%iss%", false}, LikeCase{"50%", "50%", true},
                      LikeCase{"a b", "% %", true}, LikeCase{"ab", "% %", false}));

TEST(LikeEscape, MakesWildcardsLiteral) {
    EXPECT_TRUE(MatchLike(u"50%", u"50!%", U'!'));
    EXPECT_FALSE(MatchLike(u"500", u"50!%", U'!'));
    EXPECT_TRUE(MatchLike(u"a_b", u"a!_b", U'!'));
    EXPECT_FALSE(MatchLike(u"axb", u"a!_b", U'!'));
    EXPECT_TRUE(MatchLike(u"a!b", u"a!!b", U'!'));
    // A trailing escape has nothing to escape and stands for itself.
    EXPECT_TRUE(MatchLike(u"a!", u"a!", U'!'));
}

TEST(CompareTextNoCase, OrdersWithoutRegardToCase) {
    EXPECT_EQ(CompareTextNoCase(u"MÜLLER", u"müller"), 0);
    EXPECT_EQ(CompareTextNoCase(u"Émile", u"éMILE"), 0);
    EXPECT_LT(CompareTextNoCase(u"apple", u"Banana"), 0);
    EXPECT_GT(CompareTextNoCase(u"Zebra", u"apple"), 0);
    EXPECT_LT(CompareTextNoCase(u"ab", u"ABC"), 0);
    EXPECT_LT(CompareTextNoCase(u"", u"a"), 0);
}

} // namespace
} // namespace qm
