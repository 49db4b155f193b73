// Start-up around the main window: a catalogue that cannot be used is reported and the program
// ends with 0, leaving the file as it was; a missing catalogue is created.
#include "app/startup.h"
#include "app/tform1.h"
#include "framework/controls/application.h"
#include "tests/app/app_test_support.h"

#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

namespace qm {
namespace {

TApplication& Application() {
    return *static_cast<TApplication*>(QApplication::instance());
}

void WriteFile(const QString& fileName, const QByteArray& bytes) {
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Closes the main window as soon as it is up, so that the message loop ends.
void CloseMainWindowWhenShown() {
    auto* poll = new QTimer(QApplication::instance());
    QObject::connect(poll, &QTimer::timeout, poll, [poll] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* form = qobject_cast<TForm1*>(window); form && form->isVisible()) {
                form->close();
                poll->deleteLater();
            }
    });
    poll->start(10);
}

class StartupOnAFileThatIsNoCatalogue : public ::testing::TestWithParam<QByteArray> {};

TEST_P(StartupOnAFileThatIsNoCatalogue, ReportsTheFileReturnsZeroAndLeavesItUnchanged) {
    test::TTempCatalogue catalogue;
    WriteFile(catalogue.FileName(), GetParam());
    test::TMessageBoxRecorder catcher;
    EXPECT_EQ(RunMainWindow(Application(), nullptr, catalogue.FileName()), 0);
    ASSERT_EQ(catcher.Texts().size(), 1);
    EXPECT_TRUE(catcher.Texts().value(0).contains(catalogue.FileName()))
        << catcher.Texts().value(0).toStdString();
    EXPECT_EQ(test::ReadFile(catalogue.FileName()), GetParam());
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<TForm1*>(window), nullptr);
}

QByteArray NoiseBytes() {
    QByteArray bytes(4096, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((i * 131 + 7) % 251);
    return bytes;
}

QByteArray JetFileHeader() {
    QByteArray bytes(2048, '\0');
    bytes.replace(0, 20, QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20));
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(Startup, StartupOnAFileThatIsNoCatalogue,
                         ::testing::Values(NoiseBytes(), JetFileHeader(), QByteArray("a text file\n")),
                         [](const ::testing::TestParamInfo<QByteArray>& info) {
                             return std::string(info.index == 0   ? "RandomBytes"
                                                : info.index == 1 ? "JetDatabase"
                                                                  : "TextFile");
                         });

TEST(Startup, AMissingCatalogueIsCreatedAndTheLoopEndsWithZeroWhenTheWindowCloses) {
    test::TTempCatalogue catalogue;
    CloseMainWindowWhenShown();
    test::TMessageBoxRecorder catcher;
    EXPECT_EQ(RunMainWindow(Application(), nullptr, catalogue.FileName()), 0);
    EXPECT_TRUE(catcher.Texts().isEmpty()) << catcher.Texts().value(0).toStdString();
    // The disc record's search index keeps its own tables (FILES_FIND_*) beside these.
    EXPECT_EQ(
        catalogue.Column("SELECT name FROM sqlite_master WHERE type = 'table' AND name <> "
                         "'sqlite_sequence' AND name NOT LIKE 'FILES_FIND_%' ORDER BY name COLLATE NOCASE"),
        (QStringList{"Category", "CD", "DISCS", "FILES", "FILES_FIND", "SOFTWARE", "SOFTWARE_KEYS", "Type"}));
}

} // namespace
} // namespace qm
