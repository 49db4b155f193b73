#include "framework/data/unicode_text.h"

#include <QList>
#include <QString>
#include <algorithm>
#include <string>
#include <vector>

namespace qm {

namespace {

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

std::u32string Folded(QStringView text) {
    const QList<uint> ucs4 = text.toString().toCaseFolded().toUcs4();
    return {ucs4.begin(), ucs4.end()};
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

// The letters of a text without their accents and case: "Äpfel" gives "apfel".
QString BaseLetters(QStringView text) {
    QString letters = text.toString().normalized(QString::NormalizationForm_D);
    letters.removeIf([](QChar c) { return c.category() == QChar::Mark_NonSpacing; });
    return letters.toCaseFolded();
}

} // namespace

// Accented letters sort with their base letter; texts that differ only in accents are still
// different, ordered by their letters.
int CompareTextNoCase(QStringView a, QStringView b) {
    const int base = BaseLetters(a).compare(BaseLetters(b));
    if (base != 0)
        return base;
    return a.compare(b, Qt::CaseInsensitive);
}

int CompareTextNoCaseUtf8(std::string_view a, std::string_view b) {
    if (!IsAscii(a) || !IsAscii(b))
        return CompareTextNoCase(FromUtf8(a), FromUtf8(b));
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return AsciiLower(a[i]) < AsciiLower(b[i]) ? -1 : 1;
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
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

bool MatchLike(QStringView text, QStringView pattern, char32_t escape) {
    return MatchLikeUtf8(text.toUtf8().toStdString(), pattern.toUtf8().toStdString(), escape);
}

bool MatchLikeUtf8(std::string_view text, std::string_view pattern, char32_t escape) {
    return TLikePattern(pattern, escape).Matches(text);
}

} // namespace qm
