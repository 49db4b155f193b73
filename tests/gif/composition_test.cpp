// The painter's composition against an independent compositor: every animation of the shared GIF
// corpus played once (transparent canvas, no waiting) must show, frame by frame, what ImageMagick's
// -coalesce makes of it, wherever both show an opaque pixel.
#include "gif/gif_playback.h"
#include "tests/support/gif_corpus.h"
#include "tests/support/tool_run.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace qm::test {
namespace {

const char* const kImageMagick = "convert-im6.q16";

std::vector<QImage> Coalesced(const QString& path, const QString& dir) {
    const ToolRun run =
        RunProgram(kImageMagick, {path, "-coalesce", "+repage", "PNG32:" + dir + "/f-%04d.png"}, 120000);
    std::vector<QImage> frames;
    if (run.exitCode != 0)
        return frames;
    for (int i = 0;; ++i) {
        QImage frame(QString("%1/f-%2.png").arg(dir).arg(i, 4, 10, QChar('0')));
        if (frame.isNull())
            break;
        frames.push_back(frame.convertToFormat(QImage::Format_ARGB32));
    }
    return frames;
}

// Pixels opaque in both pictures whose colours differ.
int Differences(const QImage& ours, const QImage& theirs) {
    int differences = 0;
    for (int y = 0; y < std::min(ours.height(), theirs.height()); ++y)
        for (int x = 0; x < std::min(ours.width(), theirs.width()); ++x) {
            const QRgb a = ours.pixel(x, y);
            const QRgb b = theirs.pixel(x, y);
            if (qAlpha(a) == 255 && qAlpha(b) == 255 && (a & 0xFFFFFF) != (b & 0xFFFFFF))
                ++differences;
        }
    return differences;
}

TEST(Composition, EveryCorpusAnimationMatchesImageMagicksCoalesce) {
    if (!QFileInfo::exists(GifCorpusDir()) || RunProgram(kImageMagick, {"-version"}).exitCode != 0)
        GTEST_SKIP() << "needs ImageMagick and the GIF corpus: set QM_GIF_CORPUS_DIR";
    const std::vector<QString> animations = CorpusAnimations(8'000'000);
    ASSERT_FALSE(animations.empty());
    for (const QString& path : animations) {
        SCOPED_TRACE(path.toStdString());
        QTemporaryDir dir;
        const std::vector<QImage> theirs = Coalesced(path, dir.path());
        if (theirs.empty())
            continue; // ImageMagick refuses it: nothing to compare with
        TGIFImage image;
        image.LoadFromFile(path);
        std::vector<int> differences;
        int frame = 0;
        try {
            Play(image, {}, [&](const QImage& canvas, TGIFPainter&) {
                if (frame < static_cast<int>(theirs.size()))
                    differences.push_back(Differences(canvas.convertToFormat(QImage::Format_ARGB32),
                                                      theirs[static_cast<std::size_t>(frame)]));
                ++frame;
            });
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what();
            continue;
        }
        EXPECT_EQ(differences, std::vector<int>(differences.size(), 0));
        EXPECT_GT(frame, 0);
    }
}

} // namespace
} // namespace qm::test
