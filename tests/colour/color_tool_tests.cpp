// quillmere-gif reduce and palette, run as users run them.
#include "tests/support/tool_run.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace qm {
namespace {

using test::ToolRun;

ToolRun RunTool(const QStringList& arguments) {
    return test::RunProgram(QStringLiteral(QM_GIF_TOOL), arguments);
}

std::uint32_t LE32(const QByteArray& bytes, int at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<std::uint8_t>(bytes[at + i]);
    return v;
}

class ColourTool : public ::testing::Test {
protected:
    // A PNG of one row of the given colours.
    QString Png(const QString& name, const QList<QRgb>& colours) {
        QImage image(static_cast<int>(colours.size()), 1, QImage::Format_RGB32);
        for (int x = 0; x < colours.size(); ++x)
            image.setPixel(x, 0, colours[x]);
        const QString path = dir.filePath(name);
        EXPECT_TRUE(image.save(path, "PNG"));
        return path;
    }
    QByteArray Read(const QString& name) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }
    QTemporaryDir dir;
};

TEST_F(ColourTool, ReduceWritesAnEightBitBmpWithExactlyTheLookupsPalette) {
    const QString in = Png("in.png", {qRgb(0, 0, 0), qRgb(130, 130, 130), qRgb(250, 250, 250)});
    const ToolRun run = RunTool({"reduce", in, dir.filePath("out.bmp"), "--reduction", "rmWindowsGray"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QByteArray bmp = Read("out.bmp");
    ASSERT_GE(bmp.size(), 54 + 1024 + 4);
    EXPECT_EQ(LE32(bmp, 28) & 0xFFFF, 8u);
    EXPECT_EQ(LE32(bmp, 30), 0u); // uncompressed
    EXPECT_EQ(LE32(bmp, 46), 256u) << "an 8-bit table always has 256 entries";
    EXPECT_EQ(bmp.mid(54, 16),
              QByteArray("\x00\x00\x00\x00\x80\x80\x80\x00\xC0\xC0\xC0\x00\xFF\xFF\xFF\x00", 16));
    EXPECT_EQ(bmp.mid(70, 1008), QByteArray(1008, '\0')) << "zero past the lookup's palette";
    EXPECT_EQ(bmp.mid(1078, 4), QByteArray("\x00\x01\x03\x00", 4));
}

TEST_F(ColourTool, ReduceDefaultsToTheWebPaletteAndTakesDitherAndBits) {
    const QString in = Png("in.png", {qRgb(47, 48, 255), qRgb(10, 200, 30)});
    ASSERT_EQ(RunTool({"reduce", in, dir.filePath("web.bmp")}).exitCode, 0);
    const QByteArray web = Read("web.bmp");
    EXPECT_EQ(LE32(web, 46), 256u);
    EXPECT_EQ(static_cast<std::uint8_t>(web[54 + 256 * 4]), 11);
    const ToolRun run = RunTool({"reduce", in, dir.filePath("q.bmp"), "--reduction", "rmQuantize", "--dither",
                                 "dmStucki", "--bits", "3"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QByteArray quantized = Read("q.bmp");
    EXPECT_EQ(quantized.mid(54 + 2 * 4, 254 * 4), QByteArray(254 * 4, '\0')) << "two colours, then zero";
}

TEST_F(ColourTool, ReduceReportsWrongArgumentsAndFailures) {
    const QString in = Png("in.png", {qRgb(1, 2, 3)});
    for (const QStringList& args :
         {QStringList{"reduce", in}, QStringList{"reduce", in, "o.bmp", "--dither", "dmFoo"},
          QStringList{"reduce", in, "o.bmp", "--bits", "x"}}) {
        const ToolRun run = RunTool(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("\nusage: quillmere-gif reduce")) << run.err.toStdString();
    }
    const ToolRun missing = RunTool({"reduce", dir.filePath("none.png"), dir.filePath("o.bmp")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.startsWith("quillmere-gif: Cannot open file")) << missing.err.toStdString();
    const ToolRun noPalette = RunTool({"reduce", in, dir.filePath("o.bmp"), "--reduction", "rmPalette"});
    EXPECT_EQ(noPalette.exitCode, 1);
    EXPECT_FALSE(QFile::exists(dir.filePath("o.bmp")));
}

TEST_F(ColourTool, PalettePrintsTheSharedOctreeColours) {
    const QString a = Png("a.png", {qRgb(255, 255, 255), qRgb(0, 200, 0)});
    const QString b = Png("b.png", {qRgb(0, 0, 200), qRgb(0, 200, 0)});
    const ToolRun run = RunTool({"palette", a, b});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "0 0 200\n0 200 0\n255 255 255\n");
    const ToolRun windows = RunTool({"palette", a, "--system-colors"});
    const QStringList lines = windows.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 256);
    EXPECT_EQ(lines[10], "0 200 0");
    EXPECT_EQ(lines[246], "255 251 240");
}

TEST_F(ColourTool, PaletteRefusesImpossibleColourCounts) {
    const QString a = Png("a.png", {qRgb(1, 2, 3)});
    const ToolRun zero = RunTool({"palette", a, "--colors", "0"});
    EXPECT_EQ(zero.exitCode, 1);
    EXPECT_EQ(zero.err, "quillmere-gif: Invalid number of palette colours\n");
    EXPECT_EQ(RunTool({"palette"}).exitCode, 2);
    EXPECT_EQ(RunTool({"palette", a, "--colors"}).exitCode, 2);
}

} // namespace
} // namespace qm
