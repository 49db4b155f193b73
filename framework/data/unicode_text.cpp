#include "framework/data/unicode_text.h"

#include <QList>
#include <QString>
#include <algorithm>
#include <string>
#include <vector>

namespace qm {

namespace {

// Parts the letters of a sort key from the case-folded text after them.
constexpr unsigned char kKeySeparator = 0x01;

using TToken = TLikePattern::TToken;
using TTokenKind = TLikePattern::TTokenKind;

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char32_t AsciiLower(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? u + ('a' - 'A') : u;
}

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::u32string Ucs4(const QString& text) {
    const QList<uint> ucs4 = text.toUcs4();
    return {ucs4.begin(), ucs4.end()};
}

std::u32string Folded(QStringView text) {
    return Ucs4(text.toString().toCaseFolded());
}

int Sign(int comparison) {
    return (comparison > 0) - (comparison < 0);
}

char32_t FoldedChar(char32_t c) {
    const QList<uint> folded = QString::fromUcs4(&c, 1).toCaseFolded().toUcs4();
    return folded.isEmpty() ? c : folded.front();
}

// The pattern (already folded) as tokens, so an escaped `%` or `_` is a plain literal.
std::vector<TToken> Tokenize(const std::u32string& pattern, char32_t escape) {
    std::vector<TToken> tokens;
    tokens.reserve(pattern.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char32_t c = pattern[i];
        if (escape != 0 && c == escape && i + 1 < pattern.size())
            tokens.push_back({TTokenKind::tkLiteral, pattern[++i]});
        else if (c == U'%')
            tokens.push_back({TTokenKind::tkAny, c});
        else if (c == U'_')
            tokens.push_back({TTokenKind::tkOne, c});
        else
            tokens.push_back({TTokenKind::tkLiteral, c});
    }
    return tokens;
}

// Greedy matching that returns to the last `%` on a mismatch: linear in practice, and never
// worse than text length times pattern length. `fold` maps a text element to a folded character.
template <typename Text, typename Fold>
bool MatchTokens(const Text& text, const std::vector<TToken>& tokens, Fold fold) {
    size_t t = 0, p = 0;
    size_t starToken = std::string::npos, starText = 0;
    while (t < text.size()) {
        if (p < tokens.size() && tokens[p].kind == TTokenKind::tkAny) {
            starToken = p++;
            starText = t;
        } else if (p < tokens.size() &&
                   (tokens[p].kind == TTokenKind::tkOne || tokens[p].ch == fold(text[t]))) {
            ++p;
            ++t;
        } else if (starToken != std::string::npos) {
            p = starToken + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (p < tokens.size() && tokens[p].kind == TTokenKind::tkAny)
        ++p;
    return p == tokens.size();
}

// What a sort key begins with: a plain ASCII text in lower case, any other text's letters without
// accents and case, their control characters U+0000 and U+0001 raised to U+0002 so that the
// separator and the end of the letters sort below anything that may follow instead.
std::string KeyLetters(std::string_view utf8, bool plain, const QString& text) {
    if (plain) {
        std::string lower(utf8);
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](char c) { return static_cast<char>(AsciiLower(c)); });
        return lower;
    }
    QString letters = BaseLetters(text);
    for (QChar& c : letters)
        if (c.unicode() <= kKeySeparator)
            c = QChar(kKeySeparator + 1);
    return letters.toUtf8().toStdString();
}

std::string FoldedUtf8(const QString& text) {
    return text.toCaseFolded().toUtf8().toStdString();
}

} // namespace

QString BaseLetters(QStringView text) {
    QString letters = text.toString().normalized(QString::NormalizationForm_D);
    letters.removeIf([](QChar c) { return c.category() == QChar::Mark_NonSpacing; });
    return letters.toCaseFolded();
}

// Accented letters sort with their base letter; texts that differ only in accents are still
// different, ordered by their case-folded forms.
int CompareTextNoCase(QStringView a, QStringView b) {
    return CompareTextNoCaseUtf8(a.toUtf8().toStdString(), b.toUtf8().toStdString());
}

// The order of the sort keys, without building more of them than it takes: the letters decide
// unless they are the same, since whatever follows them in a key sorts below any letter.
int CompareTextNoCaseUtf8(std::string_view a, std::string_view b) {
    const bool plainA = IsPlainAscii(a);
    const bool plainB = IsPlainAscii(b);
    if (plainA && plainB) {
        const size_t n = std::min(a.size(), b.size());
        for (size_t i = 0; i < n; ++i)
            if (AsciiLower(a[i]) != AsciiLower(b[i]))
                return AsciiLower(a[i]) < AsciiLower(b[i]) ? -1 : 1;
        return Sign(static_cast<int>(a.size() > b.size()) - static_cast<int>(a.size() < b.size()));
    }
    const QString textA = FromUtf8(a);
    const QString textB = FromUtf8(b);
    const int letters = Sign(KeyLetters(a, plainA, textA).compare(KeyLetters(b, plainB, textB)));
    if (letters != 0 || plainA != plainB)
        return letters != 0 ? letters : (plainA ? -1 : 1);
    return Sign(FoldedUtf8(textA).compare(FoldedUtf8(textB)));
}

bool IsPlainAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u > kKeySeparator && u < 0x80;
    });
}

std::string SortKeyUtf8(std::string_view text) {
    const bool plain = IsPlainAscii(text);
    const QString original = plain ? QString() : FromUtf8(text);
    std::string key = KeyLetters(text, plain, original);
    if (!plain)
        key += char(kKeySeparator) + FoldedUtf8(original);
    return key;
}

// ASCII letters fold alike under both foldings, so the tokens of either form serve a text of
// either kind; only a text beyond ASCII has to be converted and folded.
TLikePattern::TLikePattern(std::string_view pattern, char32_t escape)
    : escape_(escape), tokens_(Tokenize(Folded(FromUtf8(pattern)), escape ? FoldedChar(escape) : 0)) {}

bool TLikePattern::Matches(std::string_view text) const {
    if (IsAscii(text))
        return MatchTokens(text, tokens_, AsciiLower);
    return MatchTokens(Folded(FromUtf8(text)), tokens_, [](char32_t c) { return c; });
}

bool TLikePattern::MatchesSortKey(std::string_view key) const {
    const size_t separator = key.find(char(kKeySeparator));
    if (separator == std::string_view::npos)
        return MatchTokens(key, tokens_, AsciiLower);
    return MatchTokens(Ucs4(FromUtf8(key.substr(separator + 1))), tokens_, [](char32_t c) { return c; });
}

bool MatchLike(QStringView text, QStringView pattern, char32_t escape) {
    return MatchLikeUtf8(text.toUtf8().toStdString(), pattern.toUtf8().toStdString(), escape);
}

bool MatchLikeUtf8(std::string_view text, std::string_view pattern, char32_t escape) {
    return TLikePattern(pattern, escape).Matches(text);
}

} // namespace qm
