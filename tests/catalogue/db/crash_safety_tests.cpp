// Killing the program in the middle of a burst of posts never leaves a damaged file or a row
// that was only partly written, and every post reported as done is in the file: the only
// difference allowed is the one post the kill cut off before its report.
#include "catalogue/db/catalogue_data.h"
#include "tests/catalogue/db/burst_rows.h"
#include "tests/catalogue/shell.h"

#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <iterator>
#include <set>
#include <utility>
#include <vector>

namespace qm {
namespace {

// Runs the helper on `file` until it has reported `postsBeforeKill` posts, kills it, and returns
// the reported posts as (name before, name after) pairs; the name before is empty for a new row.
std::vector<std::pair<QString, QString>> RunBurstAndKill(const QString& file, const QString& tag,
                                                         int postsBeforeKill) {
    QProcess helper;
    helper.start(QStringLiteral(QM_POST_BURST), {file, tag});
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
    std::vector<std::pair<QString, QString>> posts;
    for (const QByteArray& line : output.split('\n')) {
        const QList<QByteArray> names = line.split('\t');
        if (names.size() == 2)
            posts.emplace_back(QString::fromUtf8(names[0]), QString::fromUtf8(names[1]));
    }
    return posts;
}

// The names in the file, each row checked to be whole.
std::multiset<QString> WholeRows(const QString& file) {
    TCatalogueData data(file);
    TQuery& software = data.ADOQuerySoftware;
    std::multiset<QString> names;
    for (software.First(); !software.Eof(); software.Next()) {
        const QString name = software.FieldByName(QStringLiteral("Name")).toString();
        EXPECT_EQ(software.FieldByName(QStringLiteral("Keywords")).toString(), test::BurstKeywords(name));
        EXPECT_EQ(software.FieldByName(QStringLiteral("Description")).toString(),
                  test::BurstDescription(name));
        names.insert(name);
    }
    return names;
}

class CrashSafety : public ::testing::TestWithParam<int> {};

TEST_P(CrashSafety, EveryReportedPostSurvivesAKill_AndNoRowIsHalfWritten) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("swdb.mdb"));
    std::multiset<QString> expected;
    for (int round = 0; round < 3; ++round) {
        const QString tag = QString::number(round);
        const auto posts = RunBurstAndKill(file, tag, GetParam() + round * 7);
        for (const auto& [before, after] : posts) {
            if (!before.isEmpty()) {
                ASSERT_EQ(expected.count(before), 1u) << "an edit of a row that is not there";
                expected.erase(before);
            }
            expected.insert(after);
        }
        EXPECT_EQ(test::RunSqliteShell(file, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
        const std::multiset<QString> rows = WholeRows(file);
        // Beyond the reported posts the file may hold the one post the kill cut short of its
        // report: the next name, as a new row or in place of one earlier row.
        std::multiset<QString> missing;
        std::multiset<QString> extra;
        std::set_difference(expected.begin(), expected.end(), rows.begin(), rows.end(),
                            std::inserter(missing, missing.end()));
        std::set_difference(rows.begin(), rows.end(), expected.begin(), expected.end(),
                            std::inserter(extra, extra.end()));
        const QString next = test::BurstName(tag, static_cast<int>(posts.size()));
        if (!extra.empty()) {
            EXPECT_EQ(extra, std::multiset<QString>{next});
            EXPECT_LE(missing.size(), 1u);
        } else {
            EXPECT_TRUE(missing.empty()) << missing.begin()->toStdString() << " was reported but is gone";
        }
        expected = rows;
    }
}

INSTANTIATE_TEST_SUITE_P(KillPoints, CrashSafety, ::testing::Values(1, 10, 40));

} // namespace
} // namespace qm
