// Killing the program in the middle of a burst of posts never leaves a damaged file or a row
// that was only partly written, and every post reported as done is in the file.
#include "catalogue/catalogue_data.h"
#include "tests/catalogue/burst_rows.h"
#include "tests/catalogue/shell.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace qm {
namespace {

// Posts the helper finished before it was killed.
int RunBurstAndKill(const QString& file, int postsBeforeKill) {
    QProcess helper;
    helper.start(QStringLiteral(QM_POST_BURST), {file});
    EXPECT_TRUE(helper.waitForStarted());
    QByteArray output;
    while (output.count('\n') < postsBeforeKill && helper.state() == QProcess::Running) {
        helper.waitForReadyRead(10000);
        output += helper.readAllStandardOutput();
    }
    helper.kill();
    helper.waitForFinished();
    output += helper.readAllStandardOutput();
    EXPECT_EQ(helper.exitStatus(), QProcess::CrashExit) << helper.readAllStandardError().toStdString();
    return static_cast<int>(output.count('\n'));
}

class CrashSafety : public ::testing::TestWithParam<int> {};

TEST_P(CrashSafety, KilledDuringPostsLeavesWholeRowsOnly) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("swdb.mdb"));
    int reported = 0;
    for (int round = 0; round < 3; ++round)
        reported += RunBurstAndKill(file, GetParam() + round * 7);
    EXPECT_EQ(test::RunSqliteShell(file, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));

    TCatalogueData data(file);
    TQuery& software = data.ADOQuerySoftware;
    // Two posts in three add a row; every reported one must be there.
    EXPECT_GE(software.RecordCount(), reported * 2 / 3 - 3);
    for (software.First(); !software.Eof(); software.Next()) {
        const QString name = software.FieldByName(QStringLiteral("Name")).toString();
        ASSERT_TRUE(name.startsWith(QStringLiteral("row "))) << name.toStdString();
        EXPECT_EQ(software.FieldByName(QStringLiteral("Keywords")).toString(), test::BurstKeywords(name));
        EXPECT_EQ(software.FieldByName(QStringLiteral("Description")).toString(),
                  test::BurstDescription(name));
    }
}

INSTANTIATE_TEST_SUITE_P(KillPoints, CrashSafety, ::testing::Values(1, 10, 40));

} // namespace
} // namespace qm
