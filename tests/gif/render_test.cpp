// Frame rendering: the 8-bit bitmap with its palette and mask, the dithered path, progress and
// abort, the palette re-entry error, and drawing (scaled, stretched, tiled, transparent).
#include "colour/fixed_palettes.h"
#include "framework/core/exceptions.h"
#include "framework/graphics/canvas.h"
#include "gif/gif_painter.h"
#include "tests/gif/animation_builder.h"
#include "tests/gif/gif_test_util.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace qm::test {
namespace {

// The colour table of an 8-bit bitmap: `palette`'s colours, then black up to 256 entries.
QList<QRgb> PaddedTable(const TPalette& palette) {
    QList<QRgb> table = palette.ToColorTable();
    table.resize(256, qRgb(0, 0, 0));
    return table;
}

bool MaskBit(const QImage& mask, int x, int y) {
    return (mask.constScanLine(y)[x >> 3] & (0x80 >> (x & 7))) != 0;
}

TEST(FrameBitmap, HoldsTheIndicesWithTheFramePalette) {
    auto image = MakeAnimation(3, 2, {{.width = 3, .height = 2, .pixels = {0, 1, 2, 3, 4, 1}}});
    const TBitmap* bitmap = image->Images().First()->GetBitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(bitmap->Palette()->ToColorTable(), PaddedTable(*image->ColorMap().ExportPalette()));
    EXPECT_EQ(bitmap->ScanLine(1)[1], 4);
    EXPECT_EQ(image->Images().First()->GetBitmap(), bitmap) << "rendered once, then cached";
}

struct MaskCase {
    const char* name;
    int transparent;
    std::vector<std::uint8_t> pixels; // 18 x 2
    bool hasMask;
};

class FrameMask : public ::testing::TestWithParam<MaskCase> {};

// Pixels equal to the transparent index get bit 1, most significant bit first, across bytes.
TEST_P(FrameMask, MarksExactlyTheTransparentPixels) {
    const MaskCase& c = GetParam();
    auto image =
        MakeAnimation(18, 2, {{.width = 18, .height = 2, .pixels = c.pixels, .transparent = c.transparent}});
    TGIFSubImage& frame = *image->Images().First();
    EXPECT_EQ(frame.HasMask(), c.hasMask);
    if (!c.hasMask)
        return;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 18; ++x)
            EXPECT_EQ(MaskBit(*frame.Mask(), x, y),
                      c.pixels[static_cast<std::size_t>(y * 18 + x)] == c.transparent)
                << x << "," << y;
}

std::vector<std::uint8_t> Pattern() {
    std::vector<std::uint8_t> pixels(36, tcRed);
    for (int i : {0, 7, 8, 9, 17, 20, 35})
        pixels[static_cast<std::size_t>(i)] = tcGreen;
    return pixels;
}

INSTANTIATE_TEST_SUITE_P(Cases, FrameMask,
                         ::testing::Values(MaskCase{"used", tcGreen, Pattern(), true},
                                           MaskCase{"unused", tcWhite, Pattern(), false},
                                           MaskCase{"opaque", -1, Pattern(), false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FrameBitmap, ReportsRenderingEvery32RowsAndSwallowsAnAbort) {
    auto image = MakeAnimation(2, 70, {{.width = 2, .height = 70}});
    std::vector<std::pair<TProgressStage, int>> calls;
    bool abort = false;
    image->OnProgress = [&](TGraphic&, TProgressStage stage, int percent, bool, const QRect&,
                            const std::string& message) {
        EXPECT_EQ(message, "Rendering...");
        calls.emplace_back(stage, percent);
        if (abort && stage == TProgressStage::psRunning)
            throw EAbort("stop");
    };
    TGIFSubImage& frame = *image->Images().First();
    ASSERT_NE(frame.GetBitmap(), nullptr);
    using enum TProgressStage;
    EXPECT_EQ(calls,
              (std::vector<std::pair<TProgressStage, int>>{
                  {psStarting, 0}, {psRunning, 0}, {psRunning, 45}, {psRunning, 91}, {psEnding, 100}}));
    frame.FreeBitmap();
    calls.clear();
    abort = true;
    EXPECT_EQ(frame.GetBitmap(), nullptr);
    EXPECT_EQ(calls.back(), std::make_pair(psEnding, 0));
}

TEST(FramePalette, WithoutAnyColourTableThePaletteRaisesTheReentryErrorAndPixelsShowBlack) {
    TGIFImage image;
    image.SetWidth(1);
    image.SetHeight(1);
    AddFrame(image, {.fill = 3});
    TGIFSubImage& frame = *image.Images().First();
    EXPECT_EQ(ErrorOf([&] { frame.GetPalette(); }), "No global or local color table defined");
    QImage target = CanvasImage(1, 1);
    TCanvas canvas(target);
    frame.Draw(canvas, QRect(0, 0, 1, 1), true, false);
    EXPECT_EQ(target.pixel(0, 0), qRgb(0, 0, 0));
}

TEST(FrameBitmap, DitheredOntoTheWebPaletteWithTheFillIndexUnderTheMask) {
    auto image = MakeAnimation(
        4, 1, {{.width = 4, .pixels = {tcRed, tcWhite, tcGreen, tcBlue}, .transparent = tcWhite}});
    image->SetDrawOptions({TGIFDrawOption::goDither});
    TGIFSubImage& frame = *image->Images().First();
    const TBitmap* bitmap = frame.GetBitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Palette()->ToColorTable(), PaddedTable(WebPalette()));
    const std::uint8_t* row = bitmap->ScanLine(0);
    // Red is level (5, 0, 0) = 180; white's fill index 6 * 5 + 5 + 36 * 5 + 1 = 216 lies past
    // the web colours.
    EXPECT_EQ(std::vector<int>(row, row + 4), (std::vector<int>{180, 216, 30, 5}));
    EXPECT_TRUE(MaskBit(*frame.Mask(), 1, 0));
    EXPECT_FALSE(MaskBit(*frame.Mask(), 0, 0));
}

TEST(ScaleRect, MapsTheFramePlaceOntoTheRectangle) {
    auto image = MakeAnimation(20, 20, {{.left = 5, .top = 5, .width = 10, .height = 10}});
    EXPECT_EQ(image->Images().First()->ScaleRect(QRect(0, 0, 40, 40)), QRect(10, 10, 20, 20));
    // 3 * 10 / 20 = 1.5 rounds to 2; 13 * 10 / 20 = 6.5 rounds to 7.
    auto odd = MakeAnimation(20, 20, {{.left = 3, .top = 0, .width = 10, .height = 20}});
    EXPECT_EQ(odd->Images().First()->ScaleRect(QRect(100, 0, 10, 10)), QRect(102, 0, 5, 10));
}

struct DrawCase {
    const char* name;
    bool transparent;
    QRgb atTransparentPixel;
};

class FrameDraw : public ::testing::TestWithParam<DrawCase> {};

// A 2 x 1 frame (red, transparent green) stretched 2x: nearest neighbour blocks; the transparent
// pixel keeps the canvas only when drawn with transparency.
TEST_P(FrameDraw, StretchesByNearestNeighbourAndHonoursTheMask) {
    auto image = MakeAnimation(2, 1, {{.width = 2, .pixels = {tcRed, tcGreen}, .transparent = tcGreen}});
    QImage target = CanvasImage(4, 2);
    TCanvas canvas(target);
    image->Images().First()->Draw(canvas, QRect(0, 0, 4, 2), GetParam().transparent, false);
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(target.pixel(0, y), qRgb(255, 0, 0));
        EXPECT_EQ(target.pixel(1, y), qRgb(255, 0, 0));
        EXPECT_EQ(target.pixel(2, y), GetParam().atTransparentPixel);
        EXPECT_EQ(target.pixel(3, y), GetParam().atTransparentPixel);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FrameDraw,
                         ::testing::Values(DrawCase{"transparent", true, Untouched},
                                           DrawCase{"opaque", false, qRgb(0, 255, 0)}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FrameDraw, AnIndexBeyondTheColourMapShowsOpaqueBlack) {
    auto image = MakeAnimation(1, 1, {{.pixels = {200}}});
    QImage target = CanvasImage(1, 1);
    TCanvas canvas(target);
    image->Images().First()->Draw(canvas, QRect(0, 0, 1, 1), true, false);
    EXPECT_EQ(target.pixel(0, 0), qRgb(0, 0, 0));
}

TEST(FrameDraw, TilesAtEveryRepetitionOfTheScreen) {
    // A 20 x 20 screen with a 1-pixel frame at (3, 4), tiled into a 50 x 30 rectangle at (1, 1).
    auto image = MakeAnimation(20, 20, {{.left = 3, .top = 4}});
    QImage target = CanvasImage(60, 40);
    TCanvas canvas(target);
    image->Images().First()->Draw(canvas, QRect(1, 1, 50, 30), true, true);
    std::vector<QPoint> painted;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            if (target.pixel(x, y) != Untouched)
                painted.emplace_back(x, y);
    EXPECT_EQ(painted, (std::vector<QPoint>{{4, 5}, {24, 5}, {44, 5}, {4, 25}, {24, 25}, {44, 25}}));
}

TEST(ImageDraw, WithoutAnimateOnlyTheFirstFrameShows) {
    auto image = MakeAnimation(2, 1, {{.width = 2, .fill = tcRed}, {.left = 1, .fill = tcBlue}});
    image->SetDrawOptions({TGIFDrawOption::goTransparent});
    QImage target = CanvasImage(2, 1);
    TCanvas canvas(target);
    image->Draw(canvas, QRect(0, 0, 2, 1));
    EXPECT_EQ(target.pixel(1, 0), qRgb(255, 0, 0));
    EXPECT_TRUE(image->Painters().Count() == 0);
}

TEST(ImageDraw, TiledOnAnEmptyScreenDrawsNothingAndReturns) {
    auto image = MakeAnimation(1, 1, {{.fill = tcRed}, {.fill = tcBlue}});
    image->Header().StoreWidth(0);
    image->Header().StoreHeight(0);
    image->SetDrawOptions({TGIFDrawOption::goAnimate, TGIFDrawOption::goTile});
    QImage target = CanvasImage(2, 2);
    TCanvas canvas(target);
    image->Draw(canvas, target.rect());
    image->Draw(canvas, target.rect());
    EXPECT_EQ(target.pixel(0, 0), Untouched);
}

TEST(ImageDraw, DrawingFromWithinItsOwnDrawDoesNothing) {
    auto image = MakeAnimation(1, 1, {{.fill = tcRed}});
    QImage outer = CanvasImage(1, 1);
    QImage inner = CanvasImage(1, 1);
    TCanvas outerCanvas(outer);
    TCanvas innerCanvas(inner);
    int calls = 0;
    // Rendering reports progress, from inside Draw.
    image->OnProgress = [&](TGraphic&, TProgressStage, int, bool, const QRect&, const std::string&) {
        ++calls;
        image->Draw(innerCanvas, QRect(0, 0, 1, 1));
    };
    image->Draw(outerCanvas, QRect(0, 0, 1, 1));
    EXPECT_GT(calls, 0);
    EXPECT_EQ(outer.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(inner.pixel(0, 0), Untouched);
}

TEST(ImageBitmap, IsTheScreenWithTheFirstFrameAtItsPlace) {
    auto image = MakeAnimation(3, 2, {{.left = 1, .top = 1, .fill = tcBlue}, {.fill = tcRed}});
    const TBitmap* bitmap = image->GetBitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Image().size(), QSize(3, 2));
    EXPECT_EQ(bitmap->Image().pixel(1, 1), qRgb(0, 0, 255));
    EXPECT_EQ(qAlpha(bitmap->Image().pixel(0, 0)), 0);
}

} // namespace
} // namespace qm::test
