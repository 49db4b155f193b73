// The quillmere-gif front end: its lines, exit codes and messages, run as users run it.
#include "tests/gif/gif_builder.h"
#include "tests/gif/gif_test_util.h"
#include "tests/support/tool_run.h"

#include <QCryptographicHash>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace qm {
namespace {

using test::ToolRun;

ToolRun RunTool(const QStringList& arguments) {
    const ToolRun run = test::RunProgram(QStringLiteral(QM_GIF_TOOL), arguments);
    EXPECT_NE(run.exitCode, -1) << "quillmere-gif did not finish";
    return run;
}

struct ToolFixture : testing::Test {
    QTemporaryDir dir;
    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
};

const std::vector<std::uint8_t> kRows = {0, 1, 2, 3, 3, 2, 1, 0, 1, 1, 1, 1};

// A 4 x 3 interlaced frame with a graphic control extension and a comment, then a frame without
// pixels; the last byte is not a trailer.
QByteArray Sample() {
    // Stored in interlace order: rows 0, 2, 1.
    std::vector<std::uint8_t> stored(kRows.begin(), kRows.begin() + 4);
    stored.insert(stored.end(), kRows.begin() + 8, kRows.end());
    stored.insert(stored.end(), kRows.begin() + 4, kRows.begin() + 8);
    return test::GifBytes()
        .header(4, 3, 4)
        .raw({0x21, 0xFE, 3, 'a', 'b', 'c', 0})
        .gce((2 << 2) | 1, 25, 3)
        .frame(4, 3, stored, 2, 0x40)
        .gce(0, 7, 0)
        .raw({0x3B})
        .data();
}

TEST_F(ToolFixture, FramesPrintsOneLinePerFrameWithTheDigestOfDeinterlacedRows) {
    const ToolRun run = RunTool({"frames", Write("sample.gif", Sample())});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QByteArray digest =
        QCryptographicHash::hash(QByteArray(reinterpret_cast<const char*>(kRows.data()), 12),
                                 QCryptographicHash::Sha256)
            .toHex();
    EXPECT_EQ(run.out, "0\t0\t0\t4\t3\t1\t3\t25\t2\t" + QString::fromLatin1(digest) + "\n" +
                           "1\t0\t0\t0\t0\t0\t-\t7\t0\t-\n");
}

TEST_F(ToolFixture, InfoSummarisesAndWarningsGoToStandardError) {
    // The first frame, then a byte that starts no known block.
    const QByteArray bytes = Sample().chopped(9) + '\x42';
    const ToolRun run = RunTool({"info", Write("odd.gif", bytes)});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains("screen: 4x3")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("comment: abc"));
    EXPECT_TRUE(run.out.contains("4x3 at 0,0, interlaced"));
    EXPECT_TRUE(run.err.contains("quillmere-gif: warning: Unknown GIF block type\n"))
        << run.err.toStdString();
}

TEST_F(ToolFixture, ErrorsExitOneAndBadArgumentsExitTwo) {
    ToolRun run = RunTool({"frames", Write("bad.gif", "GIF89a\x01")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "quillmere-gif: Premature end of data\n");
    run = RunTool({"frames", dir.filePath("missing.gif")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.startsWith("quillmere-gif: "));
    run = RunTool({"copy", "only-one"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains("\nusage: quillmere-gif copy")) << run.err.toStdString();
    run = RunTool({"--help"});
    EXPECT_EQ(run.exitCode, 0);
    for (const char* command : {"info", "frames", "copy"})
        EXPECT_TRUE(run.out.contains(command));
}

TEST_F(ToolFixture, CopyWritesAFileThatLoadsToTheSamePixels_AlsoRunLength) {
    const QString in = Write("in.gif", Sample());
    for (const QStringList& extra : {QStringList{}, QStringList{"--rle"}}) {
        const QString out = dir.filePath("out.gif");
        const ToolRun run = RunTool(QStringList{"copy", in, out} + extra);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        QFile file(out);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        auto loaded = test::LoadGif(file.readAll());
        ASSERT_EQ(loaded->image->Images().Count(), 2);
        EXPECT_EQ(loaded->image->Images().Items(0)->Data(), kRows);
    }
}

// Two 2 x 1 frames: the first with transparent index 0, delay 1 and disposal 2; the second with
// delay 0 and the undefined disposal 6.
QByteArray TwoFrames() {
    return test::GifBytes()
        .header(2, 1, 4)
        .gce((2 << 2) | 1, 1, 0)
        .frame(2, 1, {0, 1})
        .gce(6 << 2, 0, 0)
        .frame(2, 1, {2, 3})
        .trailer()
        .data();
}

TEST_F(ToolFixture, RenderWritesEveryPaintedFrameWithItsWaitAndDisposal) {
    const QString in = Write("two.gif", TwoFrames());
    for (const bool opaque : {false, true}) {
        const QString out = dir.filePath(opaque ? "opaque" : "transparent");
        const QStringList extra = opaque ? QStringList{"--opaque"} : QStringList{};
        const ToolRun run = RunTool(QStringList{"render", in, out, "--speed", "50"} + extra);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        // 1 unit is raised to 3 (36 ms), 0 means 10 units (120 ms); speed 50 doubles both.
        EXPECT_EQ(run.out, "000\t72\tdmBackground\n001\t240\t6\n");
        const QImage first(out + "/frame-000.png");
        ASSERT_FALSE(first.isNull());
        EXPECT_TRUE(first.hasAlphaChannel());
        EXPECT_EQ(qAlpha(first.pixel(0, 0)), opaque ? 255 : 0);
        EXPECT_EQ(qAlpha(first.pixel(1, 0)), 255);
        EXPECT_TRUE(QFile::exists(out + "/frame-001.png"));
    }
}

// Two frames with a loop extension of `loops` in front of frame `loopFrame` (none when < 0).
QByteArray Looping(int loopFrame, int loops) {
    test::GifBytes bytes;
    bytes.header(2, 1, 4);
    for (int frame = 0; frame < 2; ++frame) {
        if (frame == loopFrame)
            bytes.raw(
                {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, loops, 0, 0});
        bytes.gce(0, 5, 0).frame(2, 1, {static_cast<std::uint8_t>(frame), 1});
    }
    return bytes.trailer().data();
}

TEST_F(ToolFixture, RenderPlaysAtMostThePassesTheLoopExtensionAsks) {
    struct Case {
        int loopFrame, loops, passes;
        QString frames; // the first column of every line
    };
    for (const Case& c : {Case{-1, 0, 3, "000 001"}, Case{0, 2, 5, "000 001 002 003"},
                          Case{1, 0, 3, "000 001 002 003"}, Case{1, 0, 1, "000 001"}}) {
        const QString in = Write("loop.gif", Looping(c.loopFrame, c.loops));
        const ToolRun run =
            RunTool({"render", in, dir.filePath("passes"), "--passes", QString::number(c.passes)});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        QStringList painted;
        for (const QString& line : run.out.split('\n', Qt::SkipEmptyParts))
            painted << line.section('\t', 0, 0);
        EXPECT_EQ(painted.join(' '), c.frames) << c.loopFrame << " " << c.loops << " " << c.passes;
    }
}

// A screen of `width` x `height` with one 1 x 1 frame (or none), padded by a comment of
// `padding` bytes: the file's size is what pays for its canvas.
QByteArray Screen(int width, int height, bool frame, int padding = 0) {
    test::GifBytes bytes;
    bytes.header(width, height, 4);
    if (padding > 0) {
        bytes.raw({0x21, 0xFE});
        for (int left = padding; left > 0; left -= 255)
            bytes.raw({255}).raw(std::vector<std::uint8_t>(255, 'x'));
        bytes.raw({0});
    }
    if (frame)
        bytes.frame(1, 1, {1});
    return bytes.trailer().data();
}

// What render cannot draw ends in a message and exit 1, at once and without the memory a canvas
// of the screen would take; the last case runs under a memory limit that the canvas exceeds.
TEST_F(ToolFixture, RenderRefusesWhatItCannotDrawWithAMessage) {
    struct Case {
        QByteArray file;
        QString message;
        bool limited = false;
    };
    const Case cases[] = {
        {Screen(65535, 65535, false), "GIF screen too large for the data in the file"},
        {Screen(0, 0, true), "Nothing to render"},
        {Screen(30000, 30000, true), "GIF screen too large for the data in the file"},
        {Screen(16000, 16000, true, 64 * 1024), "Not enough memory for an image of 16000 x 16000 pixels",
         true},
    };
    for (const Case& c : cases) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
        if (c.limited) {
            std::puts(
                "the memory limit case is skipped: sanitizers reserve more address space than it allows");
            continue;
        }
#endif
        const QString in = Write("screen.gif", c.file);
        const QString out = dir.filePath("refused");
        const ToolRun run =
            c.limited
                ? test::RunProgram("/bin/sh", {"-c", "ulimit -v 600000; exec \"$0\" render \"$1\" \"$2\"",
                                               QStringLiteral(QM_GIF_TOOL), in, out})
                : RunTool({"render", in, out});
        EXPECT_EQ(run.exitCode, 1) << c.message.toStdString();
        EXPECT_TRUE(run.err.contains(c.message)) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(out + "/frame-000.png"));
    }
}

TEST_F(ToolFixture, RenderRefusesBadOptions) {
    const QString in = Write("two.gif", TwoFrames());
    for (const QStringList& args :
         {QStringList{"render", in}, QStringList{"render", in, "out", "--tile", "0x3"},
          QStringList{"render", in, "out", "--speed", "1001"}, QStringList{"render", in, "out", "--fast"},
          QStringList{"render", in, "out", "--passes", "0"}}) {
        const ToolRun run = RunTool(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("\nusage: quillmere-gif render")) << run.err.toStdString();
    }
    EXPECT_EQ(RunTool({"render", dir.filePath("missing.gif"), dir.filePath("out")}).exitCode, 1);
}

} // namespace
} // namespace qm
