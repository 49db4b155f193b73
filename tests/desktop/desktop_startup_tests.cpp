// Start-up on the desktop: a Jet catalogue offered for conversion, the catalogue file shown in the
// window, the backup before the first write, and the start from the desktop entry.
#include "app/catalogue_backup.h"
#include "app/jet_startup.h"
#include "app/startup.h"
#include "app/tform1.h"
#include "catalogue/db/catalogue_schema.h"
#include "framework/controls/application.h"
#include "framework/data/sqlite_connection.h"
#include "tests/support/catalogue_files.h"

#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace qm {
namespace {

TApplication& Application() {
    return *static_cast<TApplication*>(QApplication::instance());
}

// Answers every message box with `answer` while it lives, keeping the texts in order.
class TBoxAnswerer {
public:
    explicit TBoxAnswerer(QMessageBox::StandardButton answer) {
        QObject::connect(&timer_, &QTimer::timeout, [this, answer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || !box->isVisible())
                return;
            texts_ << box->text();
            QAbstractButton* button = box->button(answer);
            if (button == nullptr)
                button = box->buttons().value(0);
            button->click();
        });
        timer_.start(5);
    }
    QStringList Texts() const { return texts_; }

private:
    QTimer timer_;
    QStringList texts_;
};

QStringList Files(const test::TWorkFolder& folder) {
    return QDir(folder.Path()).entryList(QDir::Files, QDir::Name);
}

TEST(JetStartup, OnYesTheJetFileIsKeptByteForByteAndANewCatalogueTakesItsPlace) {
    QM_NEEDS_JET_SAMPLES();
    test::TWorkFolder folder;
    const QByteArray jet = folder.Read(test::JetSample("catalogue-small.mdb"));
    folder.Write("swdb.mdb", jet);
    folder.Write("swdb.mdb.jet", "kept by an earlier conversion");
    TBoxAnswerer yes(QMessageBox::Yes);
    EXPECT_TRUE(OfferJetConversion(Application(), folder.Path("swdb.mdb"), QM_QUILLMERE_EXE));
    ASSERT_EQ(yes.Texts().size(), 1);
    EXPECT_TRUE(yes.Texts().front().contains("'swdb.mdb.2.jet'")) << yes.Texts().front().toStdString();
    EXPECT_EQ(folder.Read("swdb.mdb.2.jet"), jet);
    EXPECT_EQ(folder.Read("swdb.mdb.jet"), "kept by an earlier conversion");
    EXPECT_EQ(test::CatalogueRows(folder.Path("swdb.mdb")), test::ExpectedSampleCatalogue());
    EXPECT_EQ(Files(folder), (QStringList{"swdb.mdb", "swdb.mdb.2.jet", "swdb.mdb.jet"}));
}

TEST(JetStartup, OnNoNothingChangesAndStartUpEnds) {
    QM_NEEDS_JET_SAMPLES();
    test::TWorkFolder folder;
    folder.Copy(test::JetSample("catalogue-small.mdb"), "swdb.mdb");
    TBoxAnswerer no(QMessageBox::No);
    EXPECT_FALSE(OfferJetConversion(Application(), folder.Path("swdb.mdb"), QM_QUILLMERE_EXE));
    EXPECT_EQ(no.Texts().size(), 1);
    EXPECT_EQ(folder.Read("swdb.mdb"), folder.Read(test::JetSample("catalogue-small.mdb")));
    EXPECT_EQ(Files(folder), QStringList{"swdb.mdb"});
}

struct TRefusal {
    const char* name;
    const char* sample; // copied to swdb.mdb, cut to `keep` bytes when not negative
    qsizetype keep;
    const char* reader; // the reading program; nullptr: the real one
    const char* message;
};

class JetStartupRefuses : public ::testing::TestWithParam<TRefusal> {};

TEST_P(JetStartupRefuses, WithTheReasonWithoutAskingAndUntouched) {
    QM_NEEDS_JET_SAMPLES();
    const TRefusal& refusal = GetParam();
    test::TWorkFolder folder;
    QByteArray bytes = folder.Read(test::JetSample(QLatin1String(refusal.sample)));
    if (refusal.keep >= 0)
        bytes.truncate(refusal.keep);
    folder.Write("swdb.mdb", bytes);
    // A reader that dies as a crash in libmdb would make it die.
    folder.Write("crashing-reader", "#!/bin/sh\nkill -SEGV $$\n");
    QFile::setPermissions(folder.Path("crashing-reader"), QFile::ReadOwner | QFile::ExeOwner);
    const QString reader =
        refusal.reader ? folder.Path(QLatin1String(refusal.reader)) : QStringLiteral(QM_QUILLMERE_EXE);
    TBoxAnswerer yes(QMessageBox::Yes);
    EXPECT_FALSE(OfferJetConversion(Application(), folder.Path("swdb.mdb"), reader));
    ASSERT_EQ(yes.Texts().size(), 1);
    EXPECT_TRUE(yes.Texts().front().contains(QLatin1String(refusal.message)))
        << yes.Texts().front().toStdString();
    EXPECT_EQ(folder.Read("swdb.mdb"), bytes);
    EXPECT_EQ(Files(folder), (QStringList{"crashing-reader", "swdb.mdb"}));
}

INSTANTIATE_TEST_SUITE_P(
    JetStartup, JetStartupRefuses,
    ::testing::Values(TRefusal{"NotACatalogue", "nwind.mdb", -1, nullptr,
                               "is not a software catalogue: it has no table CD"},
                      TRefusal{"CutShort", "catalogue-small.mdb", 4096 * 3, nullptr,
                               "its catalogue of tables is damaged"},
                      TRefusal{"ReaderCrashes", "catalogue-small.mdb", -1, "crashing-reader",
                               "cannot be read: it is damaged (the reader stopped abnormally)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CatalogueFile, TheStatusBarShowsTheFullPathOfTheOpenCatalogue) {
    test::TWorkFolder folder;
    QString shown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* form = qobject_cast<TForm1*>(window); form && form->isVisible()) {
                if (auto* label = form->findChild<QLabel*>(QStringLiteral("LabelCatalogueFile")))
                    shown = label->text();
                form->close();
            }
    });
    poll.start(10);
    EXPECT_EQ(RunMainWindow(Application(), nullptr, folder.Path("swdb.mdb")), 0);
    EXPECT_EQ(shown, QFileInfo(folder.Path("swdb.mdb")).absoluteFilePath());
}

TEST(CatalogueBackup, TheFirstWriteOfARunCopiesTheCatalogueAndLaterWritesLeaveTheCopy) {
    test::TWorkFolder folder;
    const QString file = folder.Path("swdb.mdb");
    {
        TSQLiteConnection connection(file, TOpenMode::omCreate);
        CreateCatalogueSchema(connection);
        connection.Execute(QStringLiteral("INSERT INTO CD VALUES (1, 'before')"));
    }
    const QJsonObject before = test::CatalogueRows(file);
    ArmCatalogueBackup(file);
    TSQLiteConnection connection(file, TOpenMode::omReadWrite);
    connection.Prepare(QStringLiteral("SELECT * FROM CD")).Step();
    EXPECT_FALSE(QFile::exists(folder.Path("swdb.mdb.bak"))) << "reading makes no copy";
    connection.Execute(QStringLiteral("UPDATE CD SET Name = 'first write'"));
    connection.Execute(QStringLiteral("UPDATE CD SET Name = 'second write'"));
    EXPECT_EQ(test::CatalogueRows(folder.Path("swdb.mdb.bak")), before);
    EXPECT_NE(test::CatalogueRows(file), before);
}

// Waits up to 20 seconds for `done`.
bool WaitFor(const std::function<bool()>& done) {
    for (int i = 0; i < 1000 && !done(); ++i)
        QTest::qWait(20);
    return done();
}

TEST(DesktopStart, KeepsTheCatalogueInTheUsersDataFolderMadeWhenMissing) {
    test::TWorkFolder folder;
    QDir().mkpath(folder.Path("terminal"));
    QProcessEnvironment environment = folder.Environment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), folder.Path("data"));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(folder.Path("terminal"));
    program.start(QStringLiteral(QM_QUILLMERE_EXE), {"--desktop"});
    EXPECT_TRUE(WaitFor([&] { return QFile::exists(folder.Path("data/quillmere/swdb.mdb")); }));
    program.kill();
    program.waitForFinished();
    EXPECT_TRUE(QDir(folder.Path("terminal")).isEmpty());
}

TEST(JetStartup, ASecondStartWhileTheFirstAsksEndsAtOnceAndTouchesNothing) {
    QM_NEEDS_JET_SAMPLES();
    test::TWorkFolder folder;
    folder.Copy(test::JetSample("catalogue-small.mdb"), "swdb.mdb");
    QProcess first;
    first.setProcessEnvironment(folder.Environment());
    first.setWorkingDirectory(folder.Path());
    first.start(QStringLiteral(QM_QUILLMERE_EXE), QStringList{});
    ASSERT_TRUE(
        WaitFor([&] { return QFile::exists(folder.RuntimePath() + QStringLiteral("/Quillmere.lock")); }));
    const test::ToolRun second = folder.Run({});
    EXPECT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_EQ(first.state(), QProcess::Running) << "the first still asks";
    first.kill();
    first.waitForFinished();
    EXPECT_EQ(folder.Read("swdb.mdb"), folder.Read(test::JetSample("catalogue-small.mdb")));
    EXPECT_EQ(Files(folder), QStringList{"swdb.mdb"});
}

} // namespace
} // namespace qm
