#pragma once
// Case-insensitive text comparison and LIKE matching for all letters, not only ASCII. Registered
// on every connection as the NOCASE collation and the like() function. The UTF-8 forms take the
// engine's text as it is and convert it only when it holds more than ASCII.

#include <QStringView>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// <0, 0 or >0 like strcmp, after Unicode case folding; an accented letter sorts with its base
// letter (Ä with A, É with E). The one order of names in sorted lists and in ORDER BY: the byte
// order of the texts' sort keys.
int CompareTextNoCase(QStringView a, QStringView b);
int CompareTextNoCaseUtf8(std::string_view a, std::string_view b);

// The letters of a text without their accents and case: "Äpfel" gives "apfel". What the order
// above compares first, and what a search that ignores case and accents matches against.
QString BaseLetters(QStringView text);

// The key whose plain byte order is the order above, so that an ordinary index over it serves an
// ORDER BY. A text of plain ASCII (IsPlainAscii) is its own lower-case form, what the engine's
// built-in lower() gives; any other text is its letters without accents and case, U+0001, and its
// case-folded form, which a LIKE pattern can be matched against (MatchesSortKey).
std::string SortKeyUtf8(std::string_view text);
// ASCII without the control characters U+0000 and U+0001: the texts whose SortKeyUtf8 is what the
// engine's lower() makes of them.
bool IsPlainAscii(std::string_view text);

// The engine's LIKE: `%` matches any run of characters, `_` exactly one, `escape` (when not 0)
// makes the next pattern character literal. Letters match regardless of case.
bool MatchLike(QStringView text, QStringView pattern, char32_t escape = 0);
bool MatchLikeUtf8(std::string_view text, std::string_view pattern, char32_t escape = 0);

// A LIKE pattern taken apart once, to be matched against many texts (one per row).
class TLikePattern {
public:
    TLikePattern(std::string_view pattern, char32_t escape);
    char32_t Escape() const { return escape_; }
    bool Matches(std::string_view text) const;
    // Matches(text) for the text whose SortKeyUtf8 is `key`, without converting or folding.
    bool MatchesSortKey(std::string_view key) const;

    enum class TTokenKind { tkAny, tkOne, tkLiteral };
    struct TToken {
        TTokenKind kind;
        char32_t ch; // case-folded
    };

private:
    char32_t escape_;
    std::vector<TToken> tokens_;
};

} // namespace qm
