// Optimisation: each step of Optimize on small animations built in memory, every one of them
// checked to show the same pictures for the same times afterwards; the frame operations Crop and
// Merge; and the merge of all colour maps into one.
#include "gif/gif_exception.h"
#include "gif/gif_extensions.h"
#include "gif/gif_image.h"
#include "tests/gif/gif_builder.h"
#include "tests/gif/gif_test_util.h"
#include "tests/gif/gif_timeline.h"
#include "tests/support/gif_frames.h"

#include <functional>
#include <gtest/gtest.h>

namespace qm {
namespace {

using Pixels = std::vector<std::uint8_t>;
using enum TGIFOptimizeOption;

constexpr TColor kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kWhite = 0xFFFFFF;

// Control: a graphic control extension that asks for nothing (delay 0, opaque, no disposal).
enum class TExtra { Comment, PlainText, ForeignData, Loop, Control };

struct FrameSpec {
    int left = 0;
    int top = 0;
    int width = 2;
    int height = 2;
    Pixels pixels = {};
    std::vector<TColor> local = {};
    int transparent = -1; // a graphic control extension comes with any of these three
    int delay = -1;
    int disposal = -1;
    std::vector<TExtra> extras = {};
};

struct ImageSpec {
    int width = 4;
    int height = 4;
    std::vector<TColor> global = {kRed, kGreen, kBlue, kWhite};
    std::vector<FrameSpec> frames = {};
};

void AddExtra(TGIFSubImage& frame, TExtra extra) {
    switch (extra) {
    case TExtra::Comment:
        frame.Extensions().Add(std::make_unique<TGIFCommentExtension>(&frame));
        break;
    case TExtra::PlainText:
        frame.Extensions().Add(std::make_unique<TGIFTextExtension>(&frame));
        break;
    case TExtra::ForeignData: {
        auto data = std::make_unique<TGIFUnknownAppExtension>(&frame);
        data->SetIdentifier("XMP Data");
        frame.Extensions().Add(std::move(data));
        break;
    }
    case TExtra::Loop:
        frame.Extensions().Add(std::make_unique<TGIFAppExtNSLoop>(&frame));
        break;
    case TExtra::Control:
        frame.Extensions().Add(std::make_unique<TGIFGraphicControlExtension>(&frame));
        break;
    }
}

std::unique_ptr<TGIFImage> Build(const ImageSpec& spec) {
    auto image = std::make_unique<TGIFImage>();
    for (const TColor c : spec.global)
        image->ColorMap().Add(c);
    for (const FrameSpec& f : spec.frames) {
        TGIFSubImage& frame = test::AddFrame(*image, f.width, f.height, f.pixels, f.left, f.top);
        for (const TColor c : f.local)
            frame.ColorMap().Add(c);
        for (const TExtra extra : f.extras)
            AddExtra(frame, extra);
        if (f.transparent < 0 && f.delay < 0 && f.disposal < 0)
            continue;
        auto gce = std::make_unique<TGIFGraphicControlExtension>(&frame);
        gce->SetTransparent(f.transparent >= 0);
        gce->StoreTransparentColorIndex(static_cast<std::uint8_t>(std::max(f.transparent, 0)));
        gce->SetDelay(std::max(f.delay, 0));
        gce->SetDisposal(std::max(f.disposal, 0));
        frame.Extensions().Add(std::move(gce));
    }
    image->SetWidth(spec.width);
    image->SetHeight(spec.height);
    return image;
}

TGIFSubImage& Frame(TGIFImage& image, int i) {
    return *image.Images().Items(i);
}

int Disposal(TGIFImage& image, int i) {
    return Frame(image, i).GraphicControlExtension->GetDisposal();
}

std::vector<std::string> ExtensionClasses(TGIFSubImage& frame) {
    std::vector<std::string> names;
    for (const auto& e : frame.Extensions())
        names.emplace_back(e->ClassName());
    return names;
}

const TGIFOptimizeOptions kAllSteps{ooCrop, ooMerge, ooCleanup, ooColorMap, ooReduceColors};

struct OptimizeCase {
    const char* name;
    ImageSpec spec;
    TGIFOptimizeOptions options;
    std::function<void(TGIFImage&, const test::WarningLog&)> check;
    bool sameTimes = true; // false only where a delay has to be shortened
};

class OptimizeSteps : public testing::TestWithParam<OptimizeCase> {};

TEST_P(OptimizeSteps, DoWhatTheyShouldAndShowTheSamePicturesForTheSameTimes) {
    const OptimizeCase& c = GetParam();
    auto image = Build(c.spec);
    test::WarningLog warnings;
    warnings.attach(*image);
    // Later passes of a loop start elsewhere and over another picture than the first.
    constexpr int kPasses = 3;
    const auto before = test::ShownOverTime(*image, kPasses);
    image->Optimize(c.options, TColorReduction::rmNone, TDitherMode::dmNearest, 8);
    c.check(*image, warnings);
    if (c.sameTimes) {
        EXPECT_EQ(test::CompareShown(before, test::ShownOverTime(*image, kPasses)), "");
    }
    // Whatever the steps did, the result saves and loads back as the same animation.
    const auto reloaded = test::LoadGif(test::SaveGif(*image));
    EXPECT_EQ(test::CompareShown(test::ShownOverTime(*image), test::ShownOverTime(*reloaded->image)), "");
}

const Pixels kFour = {0, 1, 2, 3};

std::vector<TColor> Greys(int count) {
    std::vector<TColor> colours;
    for (int i = 0; i < count; ++i)
        colours.push_back(static_cast<TColor>(i) * 0x010101u);
    return colours;
}

INSTANTIATE_TEST_SUITE_P(
    Optimize, OptimizeSteps,
    testing::Values(
        OptimizeCase{"UnusedTransparentIndexIsDropped",
                     {.frames = {{.pixels = kFour, .delay = 5},
                                 {.pixels = {0, 1, 0, 1}, .transparent = 3, .delay = 5}}},
                     {ooCleanup},
                     [](TGIFImage& image, const auto&) {
                         EXPECT_FALSE(Frame(image, 1).Transparent);
                         EXPECT_EQ(Frame(image, 1).GraphicControlExtension->GetDelay(), 5);
                     }},
        OptimizeCase{"DisposalOfACoveredFrameIsDropped",
                     {.frames = {{.left = 1, .top = 1, .pixels = kFour, .delay = 5, .disposal = dmBackground},
                                 {.width = 4, .height = 4, .pixels = Pixels(16, 1), .delay = 5},
                                 {.width = 1, .height = 1, .pixels = {2}, .delay = 5}}},
                     {ooCleanup},
                     [](TGIFImage& image, const auto&) { EXPECT_EQ(Disposal(image, 0), dmNone); }},
        OptimizeCase{
            "DisposalStaysWhenTheCoveringFrameIsRestoredAfterwards",
            {.frames =
                 {{.left = 1, .top = 1, .pixels = kFour, .delay = 5, .disposal = dmBackground},
                  {.width = 4, .height = 4, .pixels = Pixels(16, 1), .delay = 5, .disposal = dmPrevious},
                  {.width = 1, .height = 1, .pixels = {2}, .delay = 5}}},
            {ooCleanup},
            [](TGIFImage& image, const auto&) { EXPECT_EQ(Disposal(image, 0), dmBackground); }},
        OptimizeCase{
            "RepeatedPixelsBecomeTransparentThroughANewBlackEntry",
            {.global = {kRed, kGreen, kBlue}, .frames = {{.pixels = {0, 1, 2, 0}}, {.pixels = {0, 1, 1, 1}}}},
            {ooMerge},
            [](TGIFImage& image, const auto&) {
                EXPECT_EQ(image.ColorMap().Count(), 4);
                EXPECT_EQ(image.ColorMap().GetColor(3), 0u);
                EXPECT_EQ(Frame(image, 1).Data(), (Pixels{3, 3, 1, 1}));
                EXPECT_TRUE(Frame(image, 1).Transparent);
                EXPECT_EQ(Frame(image, 1).GraphicControlExtension->GetTransparentColorIndex(), 3);
            }},
        OptimizeCase{"AFullTableGivesTransparencyToAnEntryTheFrameDoesNotShow",
                     {.global = Greys(256), .frames = {{.pixels = kFour}, {.pixels = {0, 1, 5, 5}}}},
                     {ooMerge},
                     [](TGIFImage& image, const auto&) {
                         EXPECT_EQ(image.ColorMap().Count(), 256);
                         EXPECT_EQ(Frame(image, 1).GraphicControlExtension->GetTransparentColorIndex(), 2);
                         EXPECT_EQ(Frame(image, 1).Data(), (Pixels{2, 2, 5, 5}));
                     }},
        OptimizeCase{
            "APixelMatchesWhatAnEarlierFrameLeftOnTheScreen",
            {.frames = {{.pixels = kFour, .delay = 5},
                        {.left = 2, .top = 2, .pixels = {1, 1, 1, 1}, .delay = 5},
                        {.pixels = {0, 1, 2, 2}, .delay = 5}}},
            {ooMerge},
            [](TGIFImage& image, const auto&) {
                EXPECT_EQ(Frame(image, 2).Data(), (Pixels{3, 3, 3, 2})) << "3: the entry it does not show";
            }},
        OptimizeCase{"APixelDoesNotMatchWhereAnEarlierFrameClearedTheScreen",
                     {.frames = {{.pixels = kFour, .delay = 5, .disposal = dmBackground},
                                 {.left = 2, .top = 2, .pixels = {1, 1, 1, 1}, .delay = 5},
                                 {.pixels = kFour, .delay = 5}}},
                     {ooMerge},
                     [](TGIFImage& image, const auto&) { EXPECT_EQ(Frame(image, 2).Data(), kFour); }},
        OptimizeCase{
            "RepeatedColoursAreFoundAcrossColourMaps",
            {.frames = {{.pixels = {0, 1, 2, 0}}, {.pixels = {0, 1, 0, 0}, .local = {kRed, kGreen}}}},
            {ooMerge},
            [](TGIFImage& image, const auto&) {
                EXPECT_EQ(Frame(image, 1).Data(), (Pixels{2, 2, 0, 2}));
                EXPECT_EQ(Frame(image, 1).ColorMap().Count(), 3);
            }},
        OptimizeCase{"MergeLooksPastFramesThatRestoreThePreviousPicture",
                     {.frames = {{.pixels = kFour, .delay = 5},
                                 {.width = 1, .height = 1, .pixels = {3}, .delay = 5, .disposal = dmPrevious},
                                 {.pixels = kFour, .transparent = 3, .delay = 5}}},
                     {ooMerge},
                     [](TGIFImage& image, const auto&) { EXPECT_EQ(Frame(image, 2).Data(), Pixels(4, 3)); }},
        OptimizeCase{
            "AnotherFramesTransparentIndexIsNotBorrowedWhenThisFrameShowsIt",
            {.frames = {{.pixels = {2, 0, 1, 1}, .transparent = 2, .delay = 5}, {.pixels = {2, 0, 3, 3}}}},
            {ooMerge},
            [](TGIFImage& image, const auto&) {
                EXPECT_EQ(Frame(image, 1).GraphicControlExtension->GetTransparentColorIndex(), 1)
                    << "the entry the frame does not show, as a fifth entry would widen the table";
                EXPECT_EQ(image.ColorMap().Count(), 4);
                EXPECT_EQ(Frame(image, 1).Data(), (Pixels{2, 1, 3, 3}));
            }},
        OptimizeCase{"AnInvisibleFrameGoesAndLeavesItsTimeToTheFrameBefore",
                     {.frames = {{.pixels = kFour, .delay = 5},
                                 {.pixels = {3, 3, 3, 1}, .transparent = 3, .delay = 5},
                                 {.pixels = {3, 3, 3, 3}, .transparent = 3, .delay = 7},
                                 {.pixels = {2, 2, 2, 2}, .delay = 5}}},
                     {ooCrop},
                     [](TGIFImage& image, const auto&) {
                         ASSERT_EQ(image.Images().Count(), 3);
                         EXPECT_EQ(Frame(image, 1).GraphicControlExtension->GetDelay(), 12);
                         EXPECT_EQ(Frame(image, 1).GetBoundsRect(), QRect(QPoint(1, 1), QPoint(2, 2)));
                     }},
        OptimizeCase{"TimeAddedToTheFrameBeforeStopsAtTheLongestDelay",
                     {.frames = {{.pixels = kFour, .delay = 65000},
                                 {.pixels = {3, 3, 3, 3}, .transparent = 3, .delay = 1000},
                                 {.pixels = kFour, .delay = 5}}},
                     {ooCrop},
                     [](TGIFImage& image, const test::WarningLog& warnings) {
                         ASSERT_EQ(image.Images().Count(), 2);
                         EXPECT_EQ(Frame(image, 0).GraphicControlExtension->GetDelay(), 65535);
                         EXPECT_EQ(warnings.messages, std::vector<std::string>{sDelayTooLong});
                     },
                     false},
        OptimizeCase{"AnInvisibleFrameStaysWhenTheFrameBeforeIsClearedAfterItsTime",
                     {.frames = {{.pixels = kFour, .delay = 5, .disposal = dmBackground},
                                 {.pixels = {3, 3, 3, 3}, .transparent = 3, .delay = 7},
                                 {.pixels = kFour, .delay = 5}}},
                     kAllSteps,
                     [](TGIFImage& image, const auto&) { EXPECT_EQ(image.Images().Count(), 3); }},
        OptimizeCase{"CropCutsTransparentBordersAway",
                     {.frames = {{.pixels = Pixels(16, 1), .delay = 5},
                                 {.width = 4,
                                  .height = 4,
                                  .pixels = {0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0},
                                  .transparent = 0,
                                  .delay = 5}}},
                     {ooCrop},
                     [](TGIFImage& image, const auto&) {
                         EXPECT_EQ(Frame(image, 1).GetBoundsRect(), QRect(QPoint(1, 1), QPoint(3, 3)));
                         EXPECT_EQ(Frame(image, 1).Data(), (Pixels{2, 0, 0, 3}));
                     }},
        OptimizeCase{"CropLeavesAFrameThatClearsItsWholeAreaAfterwards",
                     {.frames = {{.width = 4, .height = 4, .pixels = Pixels(16, 1), .delay = 5},
                                 {.width = 4,
                                  .height = 4,
                                  .pixels = {0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                                  .transparent = 0,
                                  .delay = 5,
                                  .disposal = dmBackground},
                                 {.width = 1, .height = 1, .pixels = {3}, .delay = 5}}},
                     {ooCrop},
                     [](TGIFImage& image, const auto&) { EXPECT_EQ(Frame(image, 1).Width(), 4); }},
        OptimizeCase{
            "CleanupKeepsOnlyTheFirstLoopOfAnAnimation",
            {.frames = {{.pixels = kFour,
                         .delay = 5,
                         .extras = {TExtra::Loop, TExtra::Comment, TExtra::PlainText, TExtra::ForeignData}},
                        {.pixels = {3, 2, 1, 0}, .delay = 5, .extras = {TExtra::Loop, TExtra::Comment}}}},
            {ooCleanup},
            [](TGIFImage& image, const auto&) {
                EXPECT_EQ(ExtensionClasses(Frame(image, 0)),
                          (std::vector<std::string>{"TGIFAppExtNSLoop", "TGIFGraphicControlExtension"}));
                EXPECT_EQ(ExtensionClasses(Frame(image, 1)),
                          std::vector<std::string>{"TGIFGraphicControlExtension"});
            }},
        OptimizeCase{"ALoopAfterTheFirstFrameStaysWhenItIsTheOnlyOne",
                     {.frames = {{.pixels = kFour, .delay = 5},
                                 {.pixels = {3, 2, 1, 0}, .delay = 5, .extras = {TExtra::Loop}}}},
                     {ooCleanup},
                     [](TGIFImage& image, const auto&) {
                         EXPECT_EQ(
                             ExtensionClasses(Frame(image, 1)),
                             (std::vector<std::string>{"TGIFAppExtNSLoop", "TGIFGraphicControlExtension"}));
                     }},
        OptimizeCase{
            "ASingleFrameKeepsNoLoopAndNoControlThatAsksForNothing",
            {.frames = {{.pixels = kFour, .delay = 5, .disposal = dmBackground, .extras = {TExtra::Loop}}}},
            {ooCleanup},
            [](TGIFImage& image, const auto&) { EXPECT_EQ(Frame(image, 0).Extensions().Count(), 0); }},
        OptimizeCase{
            "AnAnimationKeepsControlsWithADelayOrDisposal",
            {.frames = {{.pixels = kFour, .delay = 0, .disposal = dmNoDisposal},
                        {.pixels = {3, 2, 1, 0}, .delay = 5},
                        {.width = 1, .height = 1, .pixels = {1}, .delay = 0, .disposal = dmPrevious}}},
            {ooCleanup},
            [](TGIFImage& image, const auto&) {
                EXPECT_EQ(Frame(image, 0).GraphicControlExtension, nullptr);
                EXPECT_NE(Frame(image, 1).GraphicControlExtension, nullptr);
                EXPECT_NE(Frame(image, 2).GraphicControlExtension, nullptr);
            }},
        OptimizeCase{"ATransparentIndexBeyondTheMapStaysBeyondIt",
                     {.frames = {{.pixels = kFour, .delay = 5},
                                 {.pixels = {1, 1, 2, 1},
                                  .local = {kRed, kGreen, kBlue, kWhite},
                                  .transparent = 7,
                                  .delay = 5}}},
                     kAllSteps,
                     [](TGIFImage& image, const auto&) {
                         EXPECT_EQ(image.Images().Count(), 2) << "the second frame was erased";
                     }},
        OptimizeCase{"APixelBeyondTheMapKeepsShowingBlack",
                     {.global = {kRed, kGreen, kBlue}, .frames = {{.pixels = {0, 3, 3, 1}, .delay = 5}}},
                     kAllSteps,
                     [](TGIFImage& image, const auto& warnings) {
                         const Pixels& pixels = Frame(image, 0).Data();
                         EXPECT_EQ(pixels[1], pixels[2]);
                         EXPECT_LT(pixels[1], image.ColorMap().Count()) << "a black entry covers it now";
                         EXPECT_EQ(image.ColorMap().GetColor(pixels[1]), 0u);
                         EXPECT_EQ(warnings.messages, std::vector<std::string>{});
                     }},
        OptimizeCase{"AFrameThatStartsTheLoopLaterIsNotMergedWithTheFrameBeforeIt",
                     {.frames = {{.pixels = {0, 0, 0, 0}, .delay = 5},
                                 {.pixels = {0, 1, 0, 1}, .delay = 5, .extras = {TExtra::Loop}},
                                 {.pixels = {2, 2, 2, 2}, .delay = 5}}},
                     {ooMerge, ooCrop},
                     [](TGIFImage& image, const auto&) { EXPECT_FALSE(Frame(image, 1).Transparent); }},
        OptimizeCase{"OfTwoControlBlocksInAFrameTheOneThePainterUsesStays",
                     {.frames = {{.pixels = kFour, .delay = 100, .extras = {TExtra::Control}},
                                 {.pixels = {1, 1, 1, 1}, .delay = 5}}},
                     {ooCleanup},
                     [](TGIFImage& image, const auto&) {
                         EXPECT_EQ(Frame(image, 0).GraphicControlExtension->GetDelay(), 0);
                     }},
        OptimizeCase{"AFrameOfExtensionsOnlyBetweenTwoFramesGoes",
                     {.frames = {{.pixels = kFour, .delay = 5},
                                 {.width = 0, .height = 0, .extras = {TExtra::Comment}},
                                 {.pixels = {1, 1, 1, 1}, .delay = 5}}},
                     kAllSteps,
                     [](TGIFImage& image, const auto&) { EXPECT_EQ(image.Images().Count(), 2); }},
        OptimizeCase{"TheOnlyFrameStaysWhenItShowsNothingSoThatTheImageCanBeWritten",
                     {.frames = {{.width = 0, .height = 0, .extras = {TExtra::Comment, TExtra::Loop}}}},
                     kAllSteps,
                     [](TGIFImage& image, const auto&) { EXPECT_EQ(image.Images().Count(), 1); }},
        OptimizeCase{"ColourMapsAreSortedByUseAndTheBackgroundFollowsItsColour",
                     {.frames = {{.pixels = {3, 3, 3, 2}, .delay = 5},
                                 {.pixels = {1, 1, 1, 0}, .local = {kRed, kGreen, kBlue}, .delay = 5}}},
                     {ooColorMap},
                     [](TGIFImage& image, const auto&) {
                         EXPECT_TRUE(image.ColorMap().Optimized());
                         EXPECT_EQ(image.ColorMap().Count(), 2);
                         EXPECT_EQ(Frame(image, 0).Data(), (Pixels{0, 0, 0, 1}));
                         EXPECT_EQ(Frame(image, 1).ColorMap().Count(), 2);
                         EXPECT_EQ(image.BackgroundColorIndex(), 0) << "white was entry 3, now 0";
                     }}),
    [](const testing::TestParamInfo<OptimizeCase>& info) { return std::string(info.param.name); });

// --- the compressed data of frames read from a file ---

// Data without the clear code an encoder starts with: a sub-block shorter than, or as short as,
// encoding the same pixels anew.
const std::vector<std::uint8_t> kTwoPixels01 = test::PackSizedCodes({{0, 3}, {1, 3}, {5, 3}}, 2);
// The rows 0, 0, 1, 1 of a 1 x 4 frame in interlace order (0, 2, 1, 3): the codes 0, 1, "01".
const std::vector<std::uint8_t> kInterlacedRows0011 =
    test::PackSizedCodes({{0, 3}, {1, 3}, {6, 3}, {5, 4}}, 2);
// One code per pixel, with clear codes: far longer than encoding the pixels anew.
const std::vector<std::uint8_t> kPlainZeros64 = test::PlainLZW(Pixels(64, 0), 2);

// Frames covering a screen of `width` x `height` with four grey entries, each after a graphic
// control block (delay 5, transparent index 3, `control` its packed fields) and a descriptor with
// `packed` (and a local table when that says so), with their data as given.
struct KeptDataCase {
    const char* name;
    int width;
    int height;
    std::vector<std::vector<std::uint8_t>> frames;
    int control;
    int packed;
    std::vector<bool> kept; // per frame after optimizing: written with its data as read, or anew
};

QByteArray Animation(const KeptDataCase& c) {
    test::GifBytes gif;
    gif.header(c.width, c.height, 4);
    for (const auto& data : c.frames) {
        gif.gce(c.control, 5, 3).descriptor(0, 0, c.width, c.height, c.packed);
        if ((c.packed & 0x80) != 0)
            gif.colorTable(4);
        gif.raw(data);
    }
    return gif.trailer().data();
}

class KeptData : public testing::TestWithParam<KeptDataCase> {};

TEST_P(KeptData, IsWrittenAgainWhileTheFrameIsAsReadAndNeverGrowsTheFile) {
    const KeptDataCase& c = GetParam();
    const QByteArray file = Animation(c);
    const auto loaded = test::LoadGif(file);
    ASSERT_EQ(loaded->warnings.messages, std::vector<std::string>{});
    constexpr int kPasses = 2;
    const auto before = test::ShownOverTime(*loaded->image, kPasses);
    loaded->image->Optimize({ooCrop, ooMerge, ooCleanup, ooColorMap}, TColorReduction::rmNone,
                            TDitherMode::dmNearest, 8);
    const QByteArray saved = test::SaveGif(*loaded->image);
    EXPECT_LE(saved.size(), file.size());
    const auto reloaded = test::LoadGif(saved);
    EXPECT_EQ(test::CompareShown(before, test::ShownOverTime(*reloaded->image, kPasses)), "");
    ASSERT_EQ(reloaded->image->Images().Count(), static_cast<int>(c.kept.size()));
    for (std::size_t i = 0; i < c.kept.size(); ++i)
        EXPECT_EQ(Frame(*reloaded->image, static_cast<int>(i)).KeptData() == c.frames[i], c.kept[i])
            << "frame " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Optimize, KeptData,
    testing::Values(
        KeptDataCase{"AFrameLeftAsItWasKeepsItsData", 2, 1, {kTwoPixels01}, 0, 0, {true}},
        KeptDataCase{"AFrameWhoseTransparencyGoesKeepsItsData", 2, 1, {kTwoPixels01}, 0x01, 0, {true}},
        KeptDataCase{"AMergedFrameIsEncodedAnewAndTheFrameBeforeKeepsItsData",
                     2,
                     1,
                     {kTwoPixels01, test::PackSizedCodes({{0, 3}, {2, 3}, {5, 3}}, 2)},
                     0,
                     0,
                     {true, false}},
        KeptDataCase{"AMergeThatDoesNotShortenTheKeptDataIsNotMade",
                     2,
                     2,
                     {test::PackSizedCodes({{0, 3}, {1, 3}, {2, 3}, {3, 4}, {5, 4}}, 2),
                      test::PackSizedCodes({{3, 3}, {1, 3}, {2, 3}, {2, 4}, {5, 4}}, 2)},
                     0,
                     0,
                     {true, true}},
        KeptDataCase{"DataLongerThanItsEncodingIsEncodedAnew", 8, 8, {kPlainZeros64}, 0, 0, {false}},
        KeptDataCase{"AnInterlacedFrameWithItsOwnTableKeepsItsRowOrder",
                     1,
                     4,
                     {kInterlacedRows0011},
                     0,
                     0x80 | 0x40 | 1,
                     {true}}),
    [](const testing::TestParamInfo<KeptDataCase>& info) { return std::string(info.param.name); });

TEST(Optimize, RefusesAPaletteReductionWithoutCleanupAfterTheOtherSteps) {
    auto image = Build(
        {.frames = {{.pixels = kFour, .delay = 5}, {.pixels = {3, 3, 3, 1}, .transparent = 3, .delay = 5}}});
    std::vector<std::pair<TProgressStage, int>> progress;
    image->OnProgress = [&](TGraphic&, TProgressStage stage, int percent, bool, const QRect&,
                            const std::string& message) {
        EXPECT_EQ(message, "Optimizing...");
        progress.emplace_back(stage, percent);
    };
    EXPECT_EQ(
        test::ErrorOf([&] {
            image->Optimize({ooCrop, ooReduceColors}, TColorReduction::rmPalette, TDitherMode::dmNearest, 8);
        }),
        "Invalid reduction method");
    EXPECT_EQ(Frame(*image, 1).Width(), 1) << "the crop ran before the refusal";
    EXPECT_EQ(progress.back(), std::pair(TProgressStage::psEnding, 0));

    progress.clear();
    image->Optimize(kAllSteps, TColorReduction::rmPalette, TDitherMode::dmNearest, 8);
    EXPECT_EQ(progress.front(), std::pair(TProgressStage::psStarting, 0));
    EXPECT_EQ(progress.back(), std::pair(TProgressStage::psEnding, 100));
    EXPECT_TRUE(std::is_sorted(progress.begin() + 1, progress.end() - 1,
                               [](const auto& a, const auto& b) { return a.second < b.second; }));
}

// An image without frames keeps its screen and its colour map as they are, unused colours too
// (there is nothing to count their use by), and nothing tells of a change or of progress.
TEST(Optimize, LeavesAnEmptyImageAlone) {
    TGIFImage image;
    image.SetWidth(7);
    image.SetHeight(5);
    for (const TColor color : {kWhite, kBlue, kRed})
        image.ColorMap().Add(color);
    image.SetBackgroundColorIndex(2);
    image.SetModified(false);
    bool reported = false;
    image.OnProgress = [&](TGraphic&, TProgressStage, int, bool, const QRect&, const std::string&) {
        reported = true;
    };
    image.OnChange = [&](TGraphic&) { reported = true; };
    image.Optimize(kAllSteps, TColorReduction::rmPalette, TDitherMode::dmNearest, 8);
    EXPECT_FALSE(reported);
    EXPECT_FALSE(image.GetModified());
    EXPECT_EQ(image.Images().Count(), 0);
    EXPECT_EQ(QSize(image.GetWidth(), image.GetHeight()), QSize(7, 5));
    ASSERT_EQ(image.ColorMap().Count(), 3);
    EXPECT_FALSE(image.ColorMap().Optimized());
    EXPECT_EQ(image.ColorMap().GetColor(0), kWhite);
    EXPECT_EQ(image.ColorMap().GetColor(2), kRed);
    EXPECT_EQ(image.BackgroundColorIndex(), 2);
}

class MergeAfterDisposal : public testing::TestWithParam<std::pair<int, bool>> {};

TEST_P(MergeAfterDisposal, UsesOnlyAPreviousFrameThatStaysOnTheScreen) {
    const auto [disposal, merges] = GetParam();
    auto image = Build({.frames = {{.pixels = kFour, .disposal = disposal}, {.pixels = kFour}}});
    Frame(*image, 1).Merge(&Frame(*image, 0));
    EXPECT_EQ(Frame(*image, 1).Transparent, merges);
    EXPECT_EQ(Frame(*image, 1).Data() == kFour, !merges);
}

INSTANTIATE_TEST_SUITE_P(Merge, MergeAfterDisposal,
                         testing::Values(std::pair{dmNone, true}, std::pair{dmNoDisposal, true},
                                         std::pair{dmBackground, false}, std::pair{dmPrevious, false}));

TEST(Crop, AnAllTransparentFrameBecomesEmpty) {
    auto image = Build({.frames = {{.pixels = Pixels(4, 2), .transparent = 2}}});
    Frame(*image, 0).Crop();
    EXPECT_TRUE(Frame(*image, 0).GetEmpty());
}

// --- merging all colour maps into one ---

struct ColorMapCase {
    const char* name;
    ImageSpec spec;
    std::function<void(TGIFImage&, int lost, const test::WarningLog&)> check;
};

class MergedColorMap : public testing::TestWithParam<ColorMapCase> {};

TEST_P(MergedColorMap, HoldsTheColoursTheFramesShow) {
    const ColorMapCase& c = GetParam();
    auto image = Build(c.spec);
    test::WarningLog warnings;
    warnings.attach(*image);
    const int lost = image->OptimizeColorMap();
    EXPECT_TRUE(image->ColorMap().Optimized());
    for (const auto& frame : image->Images())
        EXPECT_EQ(frame->ColorMap().Count(), 0);
    c.check(*image, lost, warnings);
}

// Kept colours (i, 0, 0), colour i used 2 + i times in one frame; 44 more colours (100 + j, 50, 0)
// used once each in a second frame, optionally with one transparent pixel.
ImageSpec ThreeHundredColours(bool transparent) {
    FrameSpec kept{.height = 1, .local = {}};
    for (int i = 0; i < 256; ++i) {
        kept.local.push_back(static_cast<TColor>(i));
        kept.pixels.insert(kept.pixels.end(), static_cast<std::size_t>(2 + i), static_cast<std::uint8_t>(i));
    }
    kept.width = static_cast<int>(kept.pixels.size());
    FrameSpec rest{.height = 1, .local = {}};
    for (int j = 0; j < 44; ++j) {
        rest.local.push_back(static_cast<TColor>(100 + j) | 50u << 8);
        rest.pixels.push_back(static_cast<std::uint8_t>(j));
    }
    if (transparent) {
        rest.local.push_back(kWhite);
        rest.pixels.push_back(44);
        rest.transparent = 44;
    }
    rest.width = static_cast<int>(rest.pixels.size());
    return {.width = kept.width, .height = 1, .global = {}, .frames = {kept, rest}};
}

INSTANTIATE_TEST_SUITE_P(
    OptimizeColorMap, MergedColorMap,
    testing::Values(
        ColorMapCase{"ThreeHundredColoursKeepTheMostUsedAndTheRestTakeTheNearestBySummedDifference",
                     ThreeHundredColours(false),
                     [](TGIFImage& image, int lost, const auto&) {
                         EXPECT_EQ(lost, 44);
                         ASSERT_EQ(image.ColorMap().Count(), 256);
                         EXPECT_EQ(image.ColorMap().GetColor(0), 255u) << "the most used first";
                         EXPECT_EQ(Frame(image, 0).Data().front(), 255) << "(0,0,0) is the least used";
                         // (100 + j, 50, 0) sums like (150 + j, 0, 0), which sits at 255 - (150 + j).
                         EXPECT_EQ(Frame(image, 1).Data(), [] {
                             Pixels p;
                             for (int j = 0; j < 44; ++j)
                                 p.push_back(static_cast<std::uint8_t>(105 - j));
                             return p;
                         }());
                     }},
        ColorMapCase{"WithTransparency255ColoursAndATransparentBlackEntry", ThreeHundredColours(true),
                     [](TGIFImage& image, int lost, const auto&) {
                         EXPECT_EQ(lost, 45) << "(0,0,0) found no room either";
                         ASSERT_EQ(image.ColorMap().Count(), 256);
                         EXPECT_EQ(image.ColorMap().GetColor(255), 0u);
                         EXPECT_EQ(Frame(image, 1).GraphicControlExtension->GetTransparentColorIndex(), 255);
                         EXPECT_EQ(Frame(image, 1).Data().back(), 255);
                         EXPECT_EQ(Frame(image, 0).Data().front(), 254) << "(0,0,0) shows as (1,0,0)";
                     }},
        ColorMapCase{"EqualColoursOfTwoMapsBecomeOneEntryWithTheirUsesAdded",
                     {.global = {},
                      .frames = {{.pixels = {0, 0, 0, 1}, .local = {kRed, kGreen}},
                                 {.pixels = {0, 0, 1, 1}, .local = {kBlue, kRed}}}},
                     [](TGIFImage& image, int lost, const auto&) {
                         EXPECT_EQ(lost, 0);
                         ASSERT_EQ(image.ColorMap().Count(), 3);
                         EXPECT_EQ(image.ColorMap().GetColor(0), kRed) << "used 5 times";
                         EXPECT_EQ(image.ColorMap().GetColor(1), kBlue);
                         EXPECT_EQ(image.ColorMap().GetColor(2), kGreen);
                         EXPECT_EQ(Frame(image, 0).Data(), (Pixels{0, 0, 0, 2}));
                         EXPECT_EQ(Frame(image, 1).Data(), (Pixels{1, 1, 0, 0}));
                     }},
        ColorMapCase{"AnUnusedTransparentIndexLosesItsTransparency",
                     {.global = {kRed, kGreen}, .frames = {{.pixels = Pixels(4, 0), .transparent = 1}}},
                     [](TGIFImage& image, int, const auto&) {
                         EXPECT_FALSE(Frame(image, 0).Transparent);
                         EXPECT_EQ(Frame(image, 0).GraphicControlExtension->GetTransparentColorIndex(), 0);
                         EXPECT_EQ(image.ColorMap().Count(), 1) << "no transparent black entry";
                     }},
        ColorMapCase{"APixelBeyondItsMapBecomesEntryZeroWithAWarning",
                     {.global = {kRed, kGreen}, .frames = {{.pixels = {1, 5, 5, 1}}}},
                     [](TGIFImage& image, int, const test::WarningLog& warnings) {
                         EXPECT_EQ(warnings.messages, std::vector<std::string>{"Color not in color table"});
                         EXPECT_EQ(image.ColorMap().Count(), 2);
                         EXPECT_EQ(image.ColorMap().GetColor(Frame(image, 0).Data()[1]), kRed);
                     }}),
    [](const testing::TestParamInfo<ColorMapCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace qm
