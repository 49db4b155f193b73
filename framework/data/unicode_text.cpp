#include "framework/data/unicode_text.h"

#include <QList>
#include <QString>
#include <vector>

namespace qm {

namespace {

enum class TTokenKind { tkAny, tkOne, tkLiteral };

struct TToken {
    TTokenKind kind;
    char32_t ch;
};

std::vector<char32_t> Folded(QStringView text) {
    const QList<uint> ucs4 = text.toString().toCaseFolded().toUcs4();
    return {ucs4.begin(), ucs4.end()};
}

// The pattern as tokens, so an escaped `%` or `_` is a plain literal for the matcher.
std::vector<TToken> Tokenize(const std::vector<char32_t>& pattern, char32_t escape) {
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

bool TokenMatches(const TToken& token, char32_t c) {
    return token.kind == TTokenKind::tkOne || token.ch == c;
}

// Greedy matching that returns to the last `%` on a mismatch: linear in practice, and never
// worse than text length times pattern length.
bool MatchTokens(const std::vector<char32_t>& text, const std::vector<TToken>& tokens) {
    size_t t = 0, p = 0;
    size_t starToken = std::string::npos, starText = 0;
    while (t < text.size()) {
        if (p < tokens.size() && tokens[p].kind == TTokenKind::tkAny) {
            starToken = p++;
            starText = t;
        } else if (p < tokens.size() && TokenMatches(tokens[p], text[t])) {
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

} // namespace

int CompareTextNoCase(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive);
}

bool MatchLike(QStringView text, QStringView pattern, char32_t escape) {
    const QList<uint> escapeFolded = QString::fromUcs4(&escape, escape ? 1 : 0).toCaseFolded().toUcs4();
    const char32_t foldedEscape = escapeFolded.isEmpty() ? 0 : escapeFolded.front();
    return MatchTokens(Folded(text), Tokenize(Folded(pattern), foldedEscape));
}

} // namespace qm
