// The "Find File" window and the progress dialog of scans, off screen.
#include "discs/window/disc_window.h"
#include "framework/data/sqlite_connection.h"
#include "tests/support/disc_images.h"
#include "tests/support/sqlite_file.h"

#include <QAbstractItemModelTester>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <thread>

namespace qm {
namespace {

class DiscWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        catalogue_ = dir_.filePath(QStringLiteral("swdb.mdb"));
        test::ExecuteSql(
            test::OpenSqlite(catalogue_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE).get(),
            QStringLiteral("CREATE TABLE CD (ID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT);"
                           "CREATE TABLE SOFTWARE (ID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT, "
                           "CDID INTEGER, Path TEXT);"));
        PrepareDiscTables(catalogue_);
        folder_ = dir_.filePath(QStringLiteral("disc"));
        for (int i = 0; i < 30; ++i)
            test::WriteTestFile(folder_, QStringLiteral("Games/level%1.dat").arg(i), QByteArray("x"));
        test::WriteTestFile(folder_, QStringLiteral("Tools/Setup.exe"), QByteArray("MZ"));
    }

    QString CDRows() const {
        return test::SqlColumn(catalogue_, QStringLiteral("SELECT count(*) FROM CD")).join(u',');
    }

    QTemporaryDir dir_;
    QString catalogue_;
    QString folder_;
};

TEST_F(DiscWindowTest, FindFileNarrowsAsTheUserTypesAndEnterAsksForTheCD) {
    TSQLiteConnection connection(catalogue_, TOpenMode::omReadWrite);
    const qint64 cd = ScanDisc(connection, {folder_, QStringLiteral("Disc 1"), 0, false, {}}).cd;
    TFindFileDialog dialog(catalogue_);
    QAbstractItemModelTester tester(&dialog.Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    dialog.show();
    QSignalSpy shown(&dialog, &TFindFileDialog::ShowCDRequested);

    QTest::keyClicks(dialog.EditFindFile(), QStringLiteral("LEVEL"));
    EXPECT_EQ(dialog.Model().rowCount(), 30);
    QTest::keyClicks(dialog.EditFindFile(), QStringLiteral("2."));
    EXPECT_EQ(dialog.Model().rowCount(), 1);
    EXPECT_EQ(dialog.Model().index(0, 0).data().toString(), QStringLiteral("Disc 1"));
    EXPECT_EQ(dialog.Model().index(0, 1).data().toString(), QStringLiteral("Games/level2.dat"));
    QTest::keyClick(dialog.EditFindFile(), Qt::Key_Return);
    ASSERT_EQ(shown.count(), 1);
    EXPECT_EQ(shown.front().front().toLongLong(), cd);
    dialog.EditFindFile()->clear();
    EXPECT_EQ(dialog.Model().rowCount(), 0);
}

TEST_F(DiscWindowTest, CancelDuringAScanLeavesNothingBehindAndFinishingReturnsTheResult) {
    for (const bool cancel : {true, false}) {
        std::atomic<bool> clicked{false};
        TScanResult result;
        TDiscWorkDialog dialog(QStringLiteral("Scan Disc"), [&](const TDiscReadOptions& options) {
            TDiscReadOptions held = options;
            // The first file waits until the test has decided, so the click lands mid-scan.
            held.progress = [&](qint64 files, qint64 bytes) {
                while (!clicked)
                    std::this_thread::yield();
                return options.progress(files, bytes);
            };
            TSQLiteConnection connection(catalogue_, TOpenMode::omReadWrite);
            result = ScanDisc(connection, {folder_, {}, 0, false, {}}, held);
        });
        QTimer::singleShot(0, &dialog, [&] {
            if (cancel)
                dialog.findChild<QPushButton*>(QStringLiteral("ButtonCancel"))->click();
            clicked = true;
        });
        const int answer = dialog.exec();
        EXPECT_EQ(answer, cancel ? QDialog::Rejected : QDialog::Accepted);
        EXPECT_EQ(dialog.Error(), QString());
        EXPECT_EQ(CDRows(), cancel ? QStringLiteral("0") : QStringLiteral("1"));
        EXPECT_EQ(result.files, cancel ? 0 : 31);
    }
}

} // namespace
} // namespace qm
