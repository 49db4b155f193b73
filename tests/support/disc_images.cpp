#include "tests/support/disc_images.h"

#include "tests/support/tool_run.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace qm::test {

bool HaveXorriso() {
    return !QStandardPaths::findExecutable(QStringLiteral("xorriso")).isEmpty();
}

void WriteTestFile(const QString& folder, const QString& path, const QByteArray& bytes) {
    const QString full = QDir(folder).filePath(path);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(full).path())) << full.toStdString();
    QFile file(full);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << full.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

void MakeIsoImage(const QString& folder, const QString& image, const QString& volume) {
    const ToolRun run = RunProgram(QStringLiteral("xorriso"),
                                   {QStringLiteral("-as"), QStringLiteral("mkisofs"),
                                    QStringLiteral("-quiet"), QStringLiteral("-J"), QStringLiteral("-R"),
                                    QStringLiteral("-V"), volume, QStringLiteral("-o"), image, folder},
                                   300000);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace qm::test
