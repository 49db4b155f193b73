#pragma once
// Case-insensitive text comparison and LIKE matching for all letters, not only ASCII. Registered
// on every connection as the NOCASE collation and the like() function.

#include <QStringView>

namespace qm {

// <0, 0 or >0 like strcmp, after full Unicode case folding.
int CompareTextNoCase(QStringView a, QStringView b);

// The engine's LIKE: `%` matches any run of characters, `_` exactly one, `escape` (when not 0)
// makes the next pattern character literal. Letters match regardless of case.
bool MatchLike(QStringView text, QStringView pattern, char32_t escape = 0);

} // namespace qm
