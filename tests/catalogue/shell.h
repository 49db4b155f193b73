#pragma once
// Runs the standard sqlite3 shell on a file, as someone inspecting the catalogue would.

#include <QProcess>
#include <QString>

namespace qm::test {

inline QString RunSqliteShell(const QString& file, const QString& sql) {
    QProcess shell;
    shell.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), file, sql});
    shell.waitForFinished(60000);
    return QString::fromUtf8(shell.readAllStandardOutput() + shell.readAllStandardError()).trimmed();
}

} // namespace qm::test
