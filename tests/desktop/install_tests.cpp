// `cmake --install` into a temporary tree (DESTDIR): every file in its place, the icons at their
// sizes, and the desktop entry and the metainfo accepted by the desktop's own validators.
#include "tests/support/catalogue_files.h"

#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <gtest/gtest.h>

namespace qm {
namespace {

class InstalledTree : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        root_ = new QTemporaryDir;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DESTDIR"), root_->path());
        const test::ToolRun run =
            test::RunProgramIn(QStringLiteral(QM_CMAKE_COMMAND),
                               {"--install", QM_BINARY_DIR, "--prefix", "/usr"}, {}, environment);
        ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    }
    static void TearDownTestSuite() { delete root_; }
    static QString Installed(const QString& path) { return root_->path() + QStringLiteral("/usr/") + path; }

    static QTemporaryDir* root_;
};

QTemporaryDir* InstalledTree::root_ = nullptr;

TEST_F(InstalledTree, HoldsEveryFileAndNothingElse) {
    QStringList expected{"bin/quillmere",
                         "bin/quillmere-gif",
                         "share/applications/org.quillmere.Quillmere.desktop",
                         "share/metainfo/org.quillmere.Quillmere.metainfo.xml",
                         "share/man/man1/quillmere.1",
                         "share/man/man1/quillmere-gif.1",
                         "share/icons/hicolor/scalable/apps/quillmere.svg"};
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        expected << QStringLiteral("share/icons/hicolor/%1x%1/apps/quillmere.png").arg(size);
    QStringList found;
    QDirIterator it(root_->path() + QStringLiteral("/usr"), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next().mid(root_->path().size() + 5);
    found.sort();
    expected.sort();
    EXPECT_EQ(found, expected);
}

TEST_F(InstalledTree, IconsHaveTheSizesTheirFoldersName) {
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QImage icon(
            Installed(QStringLiteral("share/icons/hicolor/%1x%1/apps/quillmere.png").arg(size)));
        EXPECT_EQ(icon.size(), QSize(size, size));
        EXPECT_TRUE(icon.hasAlphaChannel());
    }
}

TEST_F(InstalledTree, ProgramsRunAndTheDesktopFilesPassTheirValidators) {
    EXPECT_EQ(test::RunProgram(Installed("bin/quillmere"), {"--version"}).out, "quillmere 1.02\n");
    EXPECT_EQ(test::RunProgram(Installed("bin/quillmere-gif"), {"--version"}).out, "quillmere-gif 1.02\n");
    const test::ToolRun desktop =
        test::RunProgram(QStringLiteral("desktop-file-validate"),
                         {Installed("share/applications/org.quillmere.Quillmere.desktop")});
    EXPECT_EQ(desktop.exitCode, 0) << desktop.out.toStdString() << desktop.err.toStdString();
    EXPECT_TRUE(desktop.out.isEmpty()) << desktop.out.toStdString();
    const test::ToolRun metainfo = test::RunProgram(
        QStringLiteral("appstreamcli"),
        {"validate", "--no-net", Installed("share/metainfo/org.quillmere.Quillmere.metainfo.xml")});
    EXPECT_EQ(metainfo.exitCode, 0) << metainfo.out.toStdString() << metainfo.err.toStdString();
    const test::ToolRun manual = test::RunProgram(
        QStringLiteral("man"), {"-l", "--warnings", Installed("share/man/man1/quillmere.1")});
    EXPECT_EQ(manual.exitCode, 0);
    EXPECT_TRUE(manual.out.contains("import-jet")) << manual.out.toStdString();
}

} // namespace
} // namespace qm
