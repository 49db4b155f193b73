// `quillmere-gif optimize` run as users run it: its line, options, exit codes and whole-or-nothing
// output; and over the shared corpus, that no animation shows anything different afterwards (as
// composed from the model and as `quillmere-gif render` paints it) and that giflib reads every
// result.
#include "gif/gif_extensions.h"
#include "gif/gif_image.h"
#include "tests/gif/gif_test_util.h"
#include "tests/gif/gif_timeline.h"
#include "tests/support/gif_corpus.h"
#include "tests/support/gif_frames.h"
#include "tests/support/gif_peers.h"
#include "tests/support/tool_run.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <span>

namespace qm {
namespace {

using Pixels = std::vector<std::uint8_t>;

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The number of frames giflib reads from the file; -1 when it rejects the file.
int GiflibFrames(const QString& path) {
    const QByteArray bytes = ReadFile(path);
    const auto summary = test::GiflibSummary(std::span(
        reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())));
    return summary ? summary->imageCount : -1;
}

// Three 4 x 4 frames: the second repeats the first, the third is a transparent frame with one
// visible pixel.
QByteArray Animation() {
    TGIFImage image;
    image.ColorMap().Add(0x0000FF);
    image.ColorMap().Add(0x00FF00);
    image.ColorMap().Add(0);
    const Pixels pixels[3] = {Pixels(16, 0), Pixels(16, 0), Pixels(16, 2)};
    for (const Pixels& p : pixels) {
        TGIFSubImage& frame = test::AddFrame(image, 4, 4, p);
        auto gce = std::make_unique<TGIFGraphicControlExtension>(&frame);
        gce->SetDelay(10);
        frame.Extensions().Add(std::move(gce));
    }
    image.Images().Items(2)->Data()[10] = 1;
    image.Images().Items(2)->GraphicControlExtension->SetTransparent(true);
    image.Images().Items(2)->GraphicControlExtension->StoreTransparentColorIndex(2);
    return test::SaveGif(image);
}

// One frame of 300 colours in two frames with local maps: more than one map can hold.
QByteArray ManyColours() {
    TGIFImage image;
    for (int f = 0; f < 2; ++f) {
        TGIFSubImage& frame = test::AddFrame(image, 150, 1);
        for (int i = 0; i < 150; ++i) {
            frame.ColorMap().Add(static_cast<TColor>(f * 150 + i));
            frame.Data()[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
        }
    }
    return test::SaveGif(image);
}

struct ToolCase {
    const char* name;
    QByteArray input;
    QStringList options;
    int exitCode;
    QString framesLine; // the frame counts ending the printed line; "" when nothing is printed
    QString error;      // a text stderr contains
};

class OptimizeTool : public testing::TestWithParam<ToolCase> {};

TEST_P(OptimizeTool, PrintsSizesAndFramesAndWritesAFileGiflibReads) {
    const ToolCase& c = GetParam();
    QTemporaryDir dir;
    const QString in = dir.filePath("in.gif");
    const QString out = dir.filePath("out.gif");
    if (!c.input.isEmpty()) {
        QFile file(in);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.input);
    }
    const test::ToolRun run =
        test::RunProgram(QStringLiteral(QM_GIF_TOOL), QStringList{"optimize", in, out} + c.options);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(c.error)) << run.err.toStdString();
    if (c.framesLine.isEmpty()) {
        EXPECT_EQ(run.out, "");
        EXPECT_FALSE(QFile::exists(out)) << "nothing is written on failure";
        return;
    }
    const QByteArray written = ReadFile(out);
    EXPECT_EQ(run.out, QString("%1\t%2\t%3\n").arg(c.input.size()).arg(written.size()).arg(c.framesLine));
    const int frames = run.out.trimmed().split('\t').last().toInt();
    EXPECT_EQ(GiflibFrames(out), frames);
}

INSTANTIATE_TEST_SUITE_P(
    Optimize, OptimizeTool,
    testing::Values(
        ToolCase{"AllStepsDropTheInvisibleFrame", Animation(), {}, 0, "3\t2", ""},
        ToolCase{"OnlyTheChosenSteps", Animation(), {"--steps", "colormap,cleanup"}, 0, "3\t3", ""},
        ToolCase{"MergedColourMapsWarnWhenColoursFoundNoRoom",
                 ManyColours(),
                 {"--merge-colormaps"},
                 0,
                 "2\t2",
                 "warning: 44 colours found no room"},
        ToolCase{"AnUnknownStepIsAUsageError", Animation(), {"--steps", "crop,shrink"}, 2, "", "usage:"},
        ToolCase{"AMissingInputFails", QByteArray(), {}, 1, "", "quillmere-gif:"},
        ToolCase{"AnUnreadableInputFails", QByteArray("GIF89a"), {}, 1, "", "Premature end of data"}),
    [](const testing::TestParamInfo<ToolCase>& info) { return std::string(info.param.name); });

TEST(OptimizeTool, WritesTheInputWhenOptimizingWouldGrowItUnlessAskedForLarger) {
    // Merging widens the full table by a transparent black entry and adds a control block to a
    // file too small to gain.
    TGIFImage image;
    for (const TColor colour : {0x0000FFu, 0x00FF00u, 0xFF0000u, 0xFFFFFFu})
        image.ColorMap().Add(colour);
    test::AddFrame(image, 4, 1, {0, 1, 2, 3});
    test::AddFrame(image, 4, 1, {0, 3, 2, 1});
    const QByteArray input = test::SaveGif(image);
    QTemporaryDir dir;
    const QString in = dir.filePath("in.gif");
    QFile file(in);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(input);
    file.close();
    const QString tool = QStringLiteral(QM_GIF_TOOL);
    ASSERT_EQ(test::RunProgram(tool, {"optimize", in, dir.filePath("grown.gif"), "--allow-larger"}).exitCode,
              0);
    ASSERT_GT(ReadFile(dir.filePath("grown.gif")).size(), input.size()) << "the case needs a file that grows";
    for (const QStringList& extra : {QStringList{}, QStringList{"--keep-smaller"}}) {
        const test::ToolRun run =
            test::RunProgram(tool, QStringList{"optimize", in, dir.filePath("kept.gif")} + extra);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(ReadFile(dir.filePath("kept.gif")), input);
        EXPECT_EQ(run.out, QString("%1\t%1\t2\t2\n").arg(input.size()));
    }
}

// --- the shared corpus ---

// What `quillmere-gif render` shows of a file: every painted canvas (transparent pixels all alike)
// held for the wait the painter computed after it; equal pictures in a row form one stretch.
std::vector<test::TShownPicture> Rendered(const QString& gif, const QString& folder) {
    QDir(folder).removeRecursively();
    const test::ToolRun run = test::RunProgram(QStringLiteral(QM_GIF_TOOL), {"render", gif, folder}, 120000);
    std::vector<test::TShownPicture> shown;
    // A file that paints nothing is refused with a message.
    if (run.exitCode == 1 && run.err.contains("Nothing to render"))
        return shown;
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    for (const QString& line : run.out.split('\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split('\t');
        QImage canvas = QImage(QDir(folder).filePath("frame-" + fields[0] + ".png"))
                            .convertToFormat(QImage::Format_ARGB32);
        std::vector<std::uint32_t> screen;
        for (int y = 0; y < canvas.height(); ++y)
            for (const QRgb pixel : std::span(reinterpret_cast<const QRgb*>(canvas.constScanLine(y)),
                                              static_cast<std::size_t>(canvas.width())))
                screen.push_back(qAlpha(pixel) == 0 ? 0 : pixel);
        const int wait = fields.value(1).toInt();
        if (!shown.empty() && shown.back().screen == screen)
            shown.back().duration += wait;
        else
            shown.push_back({std::move(screen), wait});
    }
    return shown;
}

std::unique_ptr<test::LoadedGif> Load(const QString& path) {
    try {
        return test::LoadGif(ReadFile(path));
    } catch (const std::exception&) {
        return nullptr;
    }
}

TEST(OptimizeCorpus, NoAnimationShowsAnythingDifferentAndGiflibReadsEveryResult) {
    const QString corpus = test::GifCorpusDir();
    if (!QFileInfo::exists(corpus))
        GTEST_SKIP() << "no GIF corpus: set QM_GIF_CORPUS_DIR (now " << corpus.toStdString() << ")";
    QTemporaryDir dir;
    int animations = 0;
    QDirIterator files(corpus, {"*.gif"}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        const auto original = Load(path);
        if (original == nullptr || original->image->Images().Count() < 2)
            continue;
        SCOPED_TRACE(path.toStdString());
        ++animations;
        const QString out = dir.filePath("out.gif");
        QFile::remove(out);
        const test::ToolRun run = test::RunProgram(QStringLiteral(QM_GIF_TOOL), {"optimize", path, out});
        if (run.exitCode != 0) {
            // Only a file that cannot be written back at all may fail.
            EXPECT_NE(test::RunProgram(QStringLiteral(QM_GIF_TOOL), {"copy", path, out}).exitCode, 0)
                << run.err.toStdString();
            continue;
        }
        const auto optimized = Load(out);
        ASSERT_NE(optimized, nullptr);
        EXPECT_EQ(
            test::CompareShown(test::ShownOverTime(*original->image), test::ShownOverTime(*optimized->image)),
            "");
        EXPECT_EQ(
            test::CompareShown(Rendered(path, dir.filePath("before")), Rendered(out, dir.filePath("after"))),
            "");
        // An input kept because optimizing would grow it reads as it did before.
        const bool kept = ReadFile(out) == ReadFile(path);
        EXPECT_EQ(GiflibFrames(out), kept ? GiflibFrames(path) : optimized->image->Images().Count());
    }
    EXPECT_GT(animations, 0);
}

} // namespace
} // namespace qm
