// Every input that ever crashed, hung or misbehaved has a named outcome: it loads (and saves
// again), or it fails with the GIFException that says why. A file missing from the table, or a
// table entry without its file, fails too.
#include "gif/gif_exception.h"
#include "gif/gif_image.h"
#include "tests/gif/gif_test_util.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace qm {
namespace {

struct CrasherCase {
    const char* file;
    const char* error; // "" when the file loads
};

const CrasherCase kCrashers[] = {
    {"app-extension-endless-refinement.gif", ""},
    {"circular-self-prefix.gif", sDecodeCircular},
    {"circular-two-entry-cycle.gif", sDecodeCircular},
    {"frame-65535-square.gif", sFrameTooLarge},
    {"many-empty-frames-with-extensions.gif", ""},
    {"min-code-size-12.gif", sBadCodeSize},
    {"min-code-size-255.gif", sBadCodeSize},
    {"no-clear-code-table-fill.gif", ""},
    {"optimize-crop-beyond-largest-position.gif", ""},
    {"optimize-drop-beyond-longest-wait.gif", ""},
    {"optimize-frame-without-any-colour-map.gif", ""},
    {"optimize-index-beyond-global-map.gif", ""},
    {"optimize-only-frame-of-extensions.gif", ""},
    {"optimize-transparency-from-second-control-block.gif", ""},
    {"truncated-in-descriptor.gif", sOutOfData},
};

QString CrasherPath(const char* file) {
    return QDir(QStringLiteral(QM_GIF_CRASHER_DIR)).filePath(QString::fromLatin1(file));
}

class Crasher : public testing::TestWithParam<CrasherCase> {};

TEST_P(Crasher, HasItsNamedOutcome) {
    QFile file(CrasherPath(GetParam().file));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    std::unique_ptr<test::LoadedGif> loaded;
    EXPECT_EQ(test::ErrorOf([&] { loaded = test::LoadGif(bytes); }), GetParam().error);
    if (loaded == nullptr || loaded->image->GetEmpty())
        return;
    auto again = test::LoadGif(test::SaveGif(*loaded->image));
    EXPECT_EQ(again->image->Images().Count(), loaded->image->Images().Count()) << "what loads saves again";
}

INSTANTIATE_TEST_SUITE_P(Files, Crasher, testing::ValuesIn(kCrashers),
                         [](const testing::TestParamInfo<CrasherCase>& info) {
                             std::string name = info.param.file;
                             name = name.substr(0, name.find('.'));
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// Its first frame lies at x 65535, off the screen: cropping it must not wrap it round to x 0.
TEST(Crashers, CroppingAFrameAtTheLargestPositionLeavesItOffScreen) {
    QFile file(CrasherPath("optimize-crop-beyond-largest-position.gif"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto loaded = test::LoadGif(file.readAll());
    using enum TGIFOptimizeOption;
    loaded->image->Optimize({ooCrop}, TColorReduction::rmNone, TDitherMode::dmNearest, 8);
    EXPECT_EQ(loaded->image->Images().Items(0)->Left(), 65535);
}

// Frames written with the bits of another frame's larger map: the second frame of the first file
// has no colour map at all; the first frame of the second holds indices beyond the global map,
// and the frame with the larger map goes. The optimized image must still save.
class OptimizedCrasher : public testing::TestWithParam<const char*> {};

TEST_P(OptimizedCrasher, StillSaves) {
    QFile file(CrasherPath(GetParam()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto loaded = test::LoadGif(file.readAll());
    using enum TGIFOptimizeOption;
    loaded->image->Optimize({ooCrop, ooMerge, ooCleanup, ooColorMap}, TColorReduction::rmNone,
                            TDitherMode::dmNearest, 8);
    EXPECT_EQ(test::ErrorOf([&] { test::SaveGif(*loaded->image); }), "");
}

INSTANTIATE_TEST_SUITE_P(Crashers, OptimizedCrasher,
                         testing::Values("optimize-frame-without-any-colour-map.gif",
                                         "optimize-index-beyond-global-map.gif"));

TEST(Crashers, EveryFileHasAnOutcome) {
    QStringList named;
    for (const CrasherCase& c : kCrashers)
        named << QString::fromLatin1(c.file);
    EXPECT_EQ(QDir(QStringLiteral(QM_GIF_CRASHER_DIR)).entryList(QDir::Files), named);
}

} // namespace
} // namespace qm
