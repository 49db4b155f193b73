#pragma once
// Runs a command-line program to its end and keeps its exit code and output, for tests that drive
// a tool as its users do.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace qm::test {

struct ToolRun {
    int exitCode = -1; // -1 when the program did not start or finish within the time allowed
    QString out;
    QString err;
};

// Runs `program` in `workDir` (when not empty) with `environment` (the test's own when empty).
inline ToolRun RunProgramIn(const QString& program, const QStringList& arguments, const QString& workDir,
                            const QProcessEnvironment& environment, int timeoutMs = 30000) {
    QProcess process;
    if (!workDir.isEmpty())
        process.setWorkingDirectory(workDir);
    if (!environment.isEmpty())
        process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit)
        return {-1, QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

inline ToolRun RunProgram(const QString& program, const QStringList& arguments, int timeoutMs = 30000) {
    return RunProgramIn(program, arguments, {}, {}, timeoutMs);
}

} // namespace qm::test
