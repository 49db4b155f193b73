#pragma once

#include <QString>

namespace qm {

// Makes a text the user typed safe inside a quoted SQL literal: every apostrophe is doubled, so
// the text can neither end the literal early nor add SQL of its own. LIKE wildcards (% and _) keep
// their meaning, because the mask lets the user search with them on purpose.
QString QuotedLiteralText(const QString& text);

} // namespace qm
