// One copy per user: the marker between copies in one process, and real starts of the program
// next to a running copy, a dead copy and no display at all.
#include "app/single_instance.h"
#include "tests/app/app_test_support.h"
#include "tests/support/tool_run.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace qm {
namespace {

// A runtime folder of the test's own (private, as a user's runtime folder is).
class TRuntimeDir {
public:
    TRuntimeDir() {
        QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString Path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

TEST(SingleInstance, TheMarkerIsHeldByOneCopyUntilItEnds) {
    TRuntimeDir runtime;
    auto first = std::make_unique<TSingleInstance>(runtime.Path());
    ASSERT_TRUE(first->TryAcquire());
    TSingleInstance second(runtime.Path());
    EXPECT_FALSE(second.TryAcquire());
    first.reset();
    EXPECT_TRUE(second.TryAcquire());
}

// A copy that holds the marker and answers, with the raise requests it has seen.
class ListeningCopy : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(running.TryAcquire());
        ASSERT_TRUE(running.Listen());
    }

    TRuntimeDir runtime;
    TSingleInstance running{runtime.Path()};
    QSignalSpy raised{&running, &TSingleInstance::RaiseRequested};
};

TEST_F(ListeningCopy, ARaiseRequestReachesIt) {
    TSingleInstance later(runtime.Path());
    EXPECT_TRUE(later.AskRunningCopyToRaise());
    EXPECT_TRUE(raised.wait(2000) || raised.size() == 1);
    EXPECT_EQ(raised.size(), 1);
}

TEST_F(ListeningCopy, OtherTextOnTheSocketRaisesNothing) {
    QLocalSocket socket;
    socket.connectToServer(running.ServerName());
    ASSERT_TRUE(socket.waitForConnected(2000));
    QSignalSpy hungUp(&socket, &QLocalSocket::disconnected);
    socket.write("lower\n");
    socket.flush();
    // The copy hangs up once it has read a line, whatever the line said.
    ASSERT_TRUE(hungUp.wait(2000) || hungUp.size() == 1);
    EXPECT_EQ(raised.size(), 0);
}

// With no copy listening the answer is known at once: the start that asks must not sit out its
// whole timeout before it opens its own window (a generous bound, far below the timeout).
TEST(SingleInstance, NobodyToAskGivesUpQuickly) {
    TRuntimeDir runtime;
    TSingleInstance later(runtime.Path());
    constexpr int kTimeoutMs = 20000;
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(later.AskRunningCopyToRaise(kTimeoutMs));
    EXPECT_LT(clock.elapsed(), kTimeoutMs / 4);
}

TEST(SingleInstance, ASocketLeftBehindByADeadCopyIsReplaced) {
    TRuntimeDir runtime;
    {
        QFile leftOver(runtime.Path() + QStringLiteral("/Quillmere"));
        ASSERT_TRUE(leftOver.open(QIODevice::WriteOnly));
    }
    TSingleInstance running(runtime.Path());
    ASSERT_TRUE(running.TryAcquire());
    EXPECT_TRUE(running.Listen());
}

// The built program, started in a folder of its own with the test's runtime folder.
class TProgram {
public:
    // Without a display, `display` (when given) names one that cannot be reached.
    TProgram(const QString& runtimeDir, const QString& workDir, bool withDisplay = true,
             const QString& display = {}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        if (withDisplay)
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        else
            environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        if (!display.isEmpty())
            environment.insert(QStringLiteral("DISPLAY"), display);
        process_.setProcessEnvironment(environment);
        process_.setWorkingDirectory(workDir);
        process_.start(QStringLiteral(QM_QUILLMERE_EXE), {});
        EXPECT_TRUE(process_.waitForStarted());
    }
    ~TProgram() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished();
        }
    }
    QProcess& Process() { return process_; }
    // Ends the program the hard way, as a crash would.
    void Kill() {
        process_.kill();
        process_.waitForFinished();
    }

private:
    QProcess process_;
};

// The process id written in the marker, 0 when there is none.
qint64 MarkerHolder(const QString& runtimeDir) {
    QFile lock(runtimeDir + QStringLiteral("/Quillmere.lock"));
    if (!lock.open(QIODevice::ReadOnly))
        return 0;
    return lock.readLine().trimmed().toLongLong();
}

bool Answers(const QString& runtimeDir) {
    QLocalSocket socket;
    socket.connectToServer(runtimeDir + QStringLiteral("/Quillmere"));
    return socket.waitForConnected(100);
}

// Waits until a started copy holds the marker, has made its window and answers later starts.
bool WaitUntilRunning(const QString& runtimeDir, TProgram& program) {
    for (int i = 0; i < 500 && program.Process().state() == QProcess::Running; ++i) {
        if (MarkerHolder(runtimeDir) == program.Process().processId() && Answers(runtimeDir))
            return true;
        QTest::qWait(20);
    }
    return false;
}

bool WaitUntilFinished(QProcess& process) {
    return process.state() == QProcess::NotRunning || process.waitForFinished(10000);
}

TEST(SingleInstanceProcesses, ASecondStartEndsWithZeroAndLeavesTheFirstAndItsCatalogueAlone) {
    TRuntimeDir runtime;
    test::TTempCatalogue firstDir;
    test::TTempCatalogue secondDir;
    TProgram first(runtime.Path(), QFileInfo(firstDir.FileName()).path());
    ASSERT_TRUE(WaitUntilRunning(runtime.Path(), first));
    const QByteArray catalogue = test::ReadFile(firstDir.FileName());
    const QDateTime modified = QFileInfo(firstDir.FileName()).lastModified();

    TProgram second(runtime.Path(), QFileInfo(secondDir.FileName()).path());
    ASSERT_TRUE(WaitUntilFinished(second.Process()));
    EXPECT_EQ(second.Process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.Process().exitCode(), 0);
    EXPECT_FALSE(QFile::exists(secondDir.FileName()));
    EXPECT_EQ(first.Process().state(), QProcess::Running);
    EXPECT_EQ(test::ReadFile(firstDir.FileName()), catalogue);
    EXPECT_EQ(QFileInfo(firstDir.FileName()).lastModified(), modified);
}

TEST_F(ListeningCopy, AStartOfTheProgramAsksItToComeToTheFrontAndEnds) {
    test::TTempCatalogue secondDir;
    TProgram second(runtime.Path(), QFileInfo(secondDir.FileName()).path());
    QTRY_COMPARE_WITH_TIMEOUT(raised.size(), 1, 10000);
    ASSERT_TRUE(WaitUntilFinished(second.Process()));
    EXPECT_EQ(second.Process().exitCode(), 0);
    EXPECT_FALSE(QFile::exists(secondDir.FileName()));
}

TEST(SingleInstanceProcesses, AMarkerLeftByAKilledCopyDoesNotBlockTheNextStart) {
    TRuntimeDir runtime;
    test::TTempCatalogue dir;
    const QString workDir = QFileInfo(dir.FileName()).path();
    {
        TProgram crashed(runtime.Path(), workDir);
        ASSERT_TRUE(WaitUntilRunning(runtime.Path(), crashed));
        crashed.Kill();
    }
    ASSERT_TRUE(QFile::exists(runtime.Path() + QStringLiteral("/Quillmere.lock")));
    ASSERT_TRUE(QFile::remove(dir.FileName()));

    TProgram next(runtime.Path(), workDir);
    ASSERT_TRUE(WaitUntilRunning(runtime.Path(), next));
    EXPECT_TRUE(QFile::exists(dir.FileName()));
}

// The window guards its own catalogue, not every one: an import into another folder goes ahead
// while it runs, one into its own folder is refused and leaves the file alone.
TEST(SingleInstanceProcesses, AnImportIsRefusedOnlyForTheCatalogueTheWindowHasOpen) {
    TRuntimeDir runtime;
    test::TTempCatalogue open;
    test::TTempCatalogue other;
    test::TTempCatalogue tables;
    for (const auto& [file, header] : {std::pair{"CD.csv", "ID,Name"}, std::pair{"Category.csv", "ID,Name"},
                                       std::pair{"Type.csv", "ID,Name"},
                                       std::pair{"SOFTWARE.csv", "ID,Name,CDID,CategoryID,TypeID,Keywords,"
                                                                 "Description,Path"}}) {
        QFile csv(tables.Path(QLatin1String(file)));
        ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
        csv.write(QByteArray(header) + "\r\n1,\"x\"" +
                  (QByteArray(file) == "SOFTWARE.csv" ? ",1,1,1,,," : "") + "\r\n");
    }
    TProgram window(runtime.Path(), QFileInfo(open.FileName()).path());
    ASSERT_TRUE(WaitUntilRunning(runtime.Path(), window));
    const QByteArray before = test::ReadFile(open.FileName());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.Path());
    const auto import = [&](const test::TTempCatalogue& into) {
        return test::RunProgramIn(QStringLiteral(QM_QUILLMERE_EXE),
                                  {QStringLiteral("import"), QFileInfo(tables.FileName()).path()},
                                  QFileInfo(into.FileName()).path(), environment);
    };
    const test::ToolRun elsewhere = import(other);
    EXPECT_EQ(elsewhere.exitCode, 0) << elsewhere.err.toStdString();
    EXPECT_EQ(elsewhere.out, "CD: 1 row\nCategory: 1 row\nType: 1 row\nSOFTWARE: 1 row\n");
    const test::ToolRun here = import(open);
    EXPECT_EQ(here.exitCode, 1);
    EXPECT_EQ(here.err, "quillmere: Quillmere is running; close it before importing into its catalogue\n");
    EXPECT_EQ(test::ReadFile(open.FileName()), before);
    EXPECT_EQ(window.Process().state(), QProcess::Running);
}

// No display at all, or one that does not answer (the toolkit's platform plugin then gives up
// with a fatal message, which would abort): either way a message, exit code 1 and no catalogue.
class WithoutADisplay : public ::testing::TestWithParam<const char*> {};

TEST_P(WithoutADisplay, TheProgramSaysHowToRunItAndEndsCleanly) {
    TRuntimeDir runtime;
    test::TTempCatalogue dir;
    TProgram program(runtime.Path(), QFileInfo(dir.FileName()).path(), false, QLatin1String(GetParam()));
    ASSERT_TRUE(WaitUntilFinished(program.Process()));
    EXPECT_EQ(program.Process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.Process().exitCode(), 1);
    const QString message = QString::fromUtf8(program.Process().readAllStandardError());
    EXPECT_TRUE(message.endsWith(QLatin1Char('\n')) &&
                message.section(QLatin1Char('\n'), -2, -2).startsWith(QLatin1String("quillmere: ")))
        << message.toStdString();
    EXPECT_TRUE(message.contains("xvfb-run -a")) << message.toStdString();
    EXPECT_FALSE(QFile::exists(dir.FileName()));
}

INSTANTIATE_TEST_SUITE_P(SingleInstanceProcesses, WithoutADisplay, ::testing::Values("", ":4711"),
                         [](const auto& info) { return std::string(*info.param ? "Unreachable" : "None"); });

} // namespace
} // namespace qm
