// Several inputs in one run of quillmere-gif, worked on side by side (the ThreadSanitizer build
// runs these against its own build of the tool).
#include "tests/gif/gif_builder.h"
#include "tests/support/tool_run.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace qm {
namespace {

using test::ToolRun;

QString Written(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

// `frames` frames of 2 x 1 pixels.
QByteArray Animation(int frames) {
    test::GifBytes bytes;
    bytes.header(2, 1, 4);
    for (int f = 0; f < frames; ++f)
        bytes.gce(0, 5, 0).frame(2, 1, {static_cast<std::uint8_t>(f % 4), 1});
    return bytes.trailer().data();
}

// Several inputs in one run, side by side: the bad one in the middle names itself and fails the
// run, the others are still written and print their lines in the order they were given.
struct FilesCase {
    const char* command;
    QStringList options;
    const char* written; // what the first input becomes in the output folder
    bool printsLines;
};

class ToolFiles : public testing::TestWithParam<FilesCase> {};

TEST_P(ToolFiles, AFailingInputNamesItselfAndTheOthersAreStillWritten) {
    const FilesCase& c = GetParam();
    const QTemporaryDir dir;
    const QString good = Written(dir, "two.gif", Animation(2));
    const QString bad = Written(dir, "bad.gif", "GIF89a\x01");
    const QString other = Written(dir, "sub/sample.gif", Animation(3));
    const QString out = dir.filePath("out");
    const ToolRun run =
        test::RunProgram(QM_GIF_TOOL, QStringList{c.command} + c.options +
                                          QStringList{"-j", "3", "-o", out, good, bad, other});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.startsWith("quillmere-gif: " + bad + ": ")) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains(good)) << run.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(out + "/" + c.written));
    EXPECT_TRUE(QFileInfo::exists(out + "/" + QString(c.written).replace("two", "sample")));
    EXPECT_FALSE(QFileInfo::exists(out + "/bad.gif") || QFileInfo::exists(out + "/bad"));
    if (c.printsLines) {
        const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_TRUE(lines.front().startsWith(good + '\t')) << run.out.toStdString();
        EXPECT_TRUE(lines.back().startsWith(other + '\t')) << run.out.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tool, ToolFiles,
    testing::Values(FilesCase{"copy", {"--rle"}, "two.gif", false},
                    FilesCase{"optimize", {}, "two.gif", true},
                    FilesCase{"render", {"--opaque"}, "two/frame-001.png", true},
                    FilesCase{"reduce", {"--dither", "floyd-steinberg"}, "two.bmp", false}),
    [](const testing::TestParamInfo<FilesCase>& info) { return std::string(info.param.command); });

TEST(ToolFilesRefuse, InputsOfOneNameBeforeAnythingIsWritten) {
    const QTemporaryDir dir;
    const QString first = Written(dir, "a.gif", Animation(2));
    const QString second = Written(dir, "sub/a.gif", Animation(2));
    const ToolRun run = test::RunProgram(QM_GIF_TOOL, {"copy", "-o", dir.filePath("out"), first, second});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains("would both be written as")) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("out")));
}

} // namespace
} // namespace qm
