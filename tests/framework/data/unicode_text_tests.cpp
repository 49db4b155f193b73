#include "framework/data/unicode_text.h"

#include <QString>
#include <QStringList>
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
    EXPECT_EQ(MatchLikeUtf8(c.text, c.pattern), c.matches) << c.text << " LIKE " << c.pattern << " (UTF-8)";
    EXPECT_EQ(TLikePattern(c.pattern, 0).MatchesSortKey(SortKeyUtf8(c.text)), c.matches)
        << c.text << " LIKE " << c.pattern << " (on the sort key)";
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
                      LikeCase{"a b", "% %", true}, LikeCase{"ab", "% %", false},
                      // the letters that lead a sort key are no part of the text
                      LikeCase{"Äpfel", "%apfel%", false}, LikeCase{"Äpfel", "_pfel", true},
                      LikeCase{"K\u212A", "%kk%", true},
                      LikeCase{"a\x01"
                               "b",
                               "a_b", true}));

TEST(LikeEscape, MakesWildcardsLiteral) {
    EXPECT_TRUE(MatchLike(u"50%", u"50!%", U'!'));
    EXPECT_FALSE(MatchLike(u"500", u"50!%", U'!'));
    EXPECT_TRUE(MatchLike(u"a_b", u"a!_b", U'!'));
    EXPECT_FALSE(MatchLike(u"axb", u"a!_b", U'!'));
    EXPECT_TRUE(MatchLike(u"a!b", u"a!!b", U'!'));
    // A trailing escape has nothing to escape and stands for itself.
    EXPECT_TRUE(MatchLike(u"a!", u"a!", U'!'));
    EXPECT_TRUE(MatchLikeUtf8("50%", "50!%", U'!'));
    EXPECT_FALSE(MatchLikeUtf8("500", "50!%", U'!'));
    EXPECT_TRUE(MatchLikeUtf8("Ä_", "äé_", U'é')); // a non-ASCII escape
    EXPECT_FALSE(MatchLikeUtf8("Äx", "äé_", U'é'));
}

TEST(CompareTextNoCase, OrdersWithoutRegardToCase) {
    EXPECT_EQ(CompareTextNoCase(u"MÜLLER", u"müller"), 0);
    EXPECT_EQ(CompareTextNoCase(u"Émile", u"éMILE"), 0);
    EXPECT_LT(CompareTextNoCase(u"apple", u"Banana"), 0);
    EXPECT_GT(CompareTextNoCase(u"Zebra", u"apple"), 0);
    EXPECT_LT(CompareTextNoCase(u"ab", u"ABC"), 0);
    EXPECT_LT(CompareTextNoCase(u"", u"a"), 0);
}

// An accented letter sorts with its base letter, after it when the texts differ only there, and
// is still a letter of its own for equality.
TEST(CompareTextNoCase, SortsAccentedLettersWithTheirBaseLetter) {
    const QStringList sorted = {"Apfel", "Äpfel", "apfelbaum", "Birne", "éclair",
                                "Eis",   "Öl",    "Orange",    "Zebra"};
    for (qsizetype i = 0; i + 1 < sorted.size(); ++i)
        EXPECT_LT(CompareTextNoCase(sorted[i], sorted[i + 1]), 0) << sorted[i].toStdString();
    EXPECT_NE(CompareTextNoCase(u"Äpfel", u"Apfel"), 0);
    EXPECT_EQ(CompareTextNoCase(u"ÄPFEL", u"äpfel"), 0);
}

// The engine hands over UTF-8; ASCII is compared as it is, anything else after conversion, and
// both must order alike, and alike with the sort keys an index holds, or an ORDER BY would come
// out in a broken order. Control characters and texts whose letters are a prefix of another's
// are where a key's separator could go wrong.
TEST(CompareTextNoCase, Utf8FormAndSortKeysAgreeWithTheUnicodeForm) {
    const std::string texts[] = {"",          "a",        "A",      "ab",    "AB",        "abc",   "b",
                                 "Z",         "z[",       "_",      "é",     "É",         "éa",    "Zü",
                                 "zÜ",        "~",        "Ä",      "e",     "f",         "ß",     "ss",
                                 "K\u212A",   "kk",       "apfel",  "Äpfel", "apfelbaum", "a\x01", "a\x02",
                                 {"a\0b", 3}, {"a\0", 2}, "a\x01ä", "\x02"};
    const auto sign = [](int c) { return (c > 0) - (c < 0); };
    for (const std::string& a : texts) {
        for (const std::string& b : texts) {
            const int unicode = sign(CompareTextNoCase(QString::fromUtf8(a), QString::fromUtf8(b)));
            EXPECT_EQ(sign(CompareTextNoCaseUtf8(a, b)), unicode) << a << " vs " << b;
            EXPECT_EQ(sign(SortKeyUtf8(a).compare(SortKeyUtf8(b))), unicode) << a << " vs " << b << " (keys)";
        }
    }
}

} // namespace
} // namespace qm
