#pragma once
// The values the crash-safety helper writes: every column follows from the name, so a row that
// was only partly written shows at once.

#include <QString>

namespace qm::test {

// The name of post `i` of the run tagged `tag`.
inline QString BurstName(const QString& tag, int i) {
    return QStringLiteral("row %1.%2").arg(tag).arg(i);
}

inline QString BurstKeywords(const QString& name) {
    return name + QStringLiteral(" keywords");
}

inline QString BurstDescription(const QString& name) {
    return (name + QStringLiteral(" | ")).repeated(400); // several kilobytes: spans pages
}

} // namespace qm::test
