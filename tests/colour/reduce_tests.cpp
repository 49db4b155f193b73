// ReduceColors end to end.
#include "colour/color_errors.h"
#include "colour/fixed_palettes.h"
#include "colour/reduce_colors.h"
#include "framework/core/exceptions.h"
#include "framework/graphics/stock_palettes.h"
#include "tests/colour/color_test_util.h"

#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

namespace qm {
namespace {

using test::ExpectError;
using test::Indices;

std::unique_ptr<TBitmap> Reduce(TBitmap& source, TColorReduction reduction,
                                TDitherMode mode = TDitherMode::dmNearest, int bits = 8,
                                const std::optional<TPalette>& custom = std::nullopt) {
    return ReduceColors(source, reduction, mode, bits, custom);
}

// An 8-bit result carries a full table: `palette`'s entries, then black up to 256 entries.
void ExpectFullTable(const TBitmap& result, const TPalette& palette) {
    QList<QRgb> expected = palette.ToColorTable();
    expected.resize(256, qRgb(0, 0, 0));
    EXPECT_EQ(result.Image().colorTable(), expected);
}

TEST(ReduceColors, NoneGivesATrueColourCopyAndLeavesTheSourceAlone) {
    TBitmap source(3, 2, TPixelFormat::pf8bit);
    source.ScanLine(1)[2] = 5;
    const auto result = Reduce(source, TColorReduction::rmNone);
    EXPECT_EQ(result->PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(source.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(result->Image().pixel(2, 1), source.Image().pixel(2, 1));
}

TEST(ReduceColors, FixedLookupsGiveTheirIndicesAndPalettes) {
    TBitmap source =
        test::TrueColorPicture(4, 1, {{47, 48, 255}, {255, 0, 0}, {127, 127, 127}, {128, 127, 127}});
    const auto web = Reduce(source, TColorReduction::rmNetscape);
    EXPECT_EQ(Indices(*web), (std::vector<int>{11, 5 * 36, 2 * 36 + 2 * 6 + 2, 2 * 36 + 2 * 6 + 2}));
    ExpectFullTable(*web, WebPalette());
    EXPECT_EQ(web->PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(source.PixelFormat(), TPixelFormat::pf24bit);

    EXPECT_EQ(Indices(*Reduce(source, TColorReduction::rmGrayScale))[1], 76);
    const auto mono = Reduce(source, TColorReduction::rmMonochrome);
    EXPECT_EQ(Indices(*mono), (std::vector<int>{0, 0, 0, 1}));
    ExpectFullTable(*mono, MonochromePalette());
}

TEST(ReduceColors, FastLookupReductionsUseTheirPalettes) {
    TBitmap source = test::TrueColorPicture(3, 1, {{0, 0, 0}, {130, 130, 130}, {250, 250, 250}});
    const auto gray = Reduce(source, TColorReduction::rmWindowsGray);
    EXPECT_EQ(Indices(*gray), (std::vector<int>{0, 1, 3}));
    ExpectFullTable(*gray, WindowsGrayPalette());
    const auto windows20 = Reduce(source, TColorReduction::rmWindows20);
    EXPECT_EQ(Indices(*windows20), (std::vector<int>{0, 12, 19}));
    ExpectFullTable(*windows20, StockDefaultPalette());
    const auto halftone = Reduce(source, TColorReduction::rmWindows256);
    EXPECT_EQ(halftone->Palette()->Count(), 256);
    EXPECT_EQ(Indices(*halftone)[0], 0);
    // White first appears in the cube, which therefore owns the cell of (250, 250, 250).
    EXPECT_EQ(Indices(*halftone)[2], 10 + 215);
}

TEST(ReduceColors, CustomPaletteIsCopiedAndMissingOneGivesAnEmptyResult) {
    TBitmap source = test::TrueColorPicture(2, 2, {{0, 0, 0}, {4, 4, 4}, {255, 0, 0}, {250, 10, 10}});
    const TPalette custom({{255, 0, 0, 0}, {4, 4, 4, 0}, {9, 9, 9, 0}, {0, 0, 0, 0}});
    const auto result = Reduce(source, TColorReduction::rmPalette, TDitherMode::dmNearest, 8, custom);
    // (0, 0, 0) and (4, 4, 4) share a cell that (4, 4, 4) at index 1 owns.
    EXPECT_EQ(Indices(*result), (std::vector<int>{1, 1, 0, 0}));
    ExpectFullTable(*result, custom);
    EXPECT_TRUE(Reduce(source, TColorReduction::rmPalette)->Empty());
    EXPECT_TRUE(Reduce(source, TColorReduction::rmPalette, TDitherMode::dmNearest, 8, TPalette())->Empty());
}

TEST(ReduceColors, QuantizeBuildsAPaletteOfTwoToTheBitsColours) {
    TBitmap source = test::TrueColorPicture(4, 1, {{10, 20, 30}, {200, 100, 0}, {10, 20, 30}, {90, 90, 90}});
    const auto exact = Reduce(source, TColorReduction::rmQuantize, TDitherMode::dmNearest, 3);
    const auto p = *exact->Palette();
    ExpectFullTable(*exact,
                    TPalette(std::vector<TPaletteEntry>(p.Entries().begin(), p.Entries().begin() + 3)));
    for (int x = 0; x < 4; ++x) {
        const TPaletteEntry& e = p[Indices(*exact)[static_cast<std::size_t>(x)]];
        EXPECT_EQ(qRgb(e.peRed, e.peGreen, e.peBlue), source.Image().pixel(x, 0) | 0xFF000000u);
    }
    const auto one = Reduce(source, TColorReduction::rmQuantize, TDitherMode::dmNearest, 1);
    EXPECT_EQ(one->Image().colorTable().mid(2), QList<QRgb>(254, qRgb(0, 0, 0)));
    const auto windows = Reduce(source, TColorReduction::rmQuantizeWindows);
    EXPECT_EQ(windows->Palette()->Count(), 256);
    EXPECT_EQ(Indices(*windows)[0], 10);
    ExpectError<EInvalidGraphicOperation>(
        [&] { Reduce(source, TColorReduction::rmQuantize, TDitherMode::dmNearest, 9); },
        "Invalid Bits Per Pixel value");
}

TEST(ReduceColors, UnknownReductionOrDitherGivesAnEmptyResult) {
    TBitmap source = test::TrueColorPicture(2, 2, {{1, 2, 3}});
    EXPECT_TRUE(Reduce(source, static_cast<TColorReduction>(42))->Empty());
    EXPECT_TRUE(Reduce(source, TColorReduction::rmNetscape, static_cast<TDitherMode>(42))->Empty());
}

TEST(ReduceColors, LargeSourcesStartTheResultAtOneBitPerPixel) {
    TBitmap large(1000, 600, TPixelFormat::pf24bit);
    const auto empty = Reduce(large, TColorReduction::rmPalette);
    EXPECT_TRUE(empty->Empty());
    EXPECT_EQ(empty->PixelFormat(), TPixelFormat::pf1bit);
    const auto done = Reduce(large, TColorReduction::rmMonochrome);
    EXPECT_EQ(done->PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(done->Width(), 1000);
    TBitmap small(500, 1000, TPixelFormat::pf24bit);
    EXPECT_EQ(Reduce(small, TColorReduction::rmPalette)->PixelFormat(), TPixelFormat::pf24bit);
}

TEST(ReduceColors, DitheringRunsOverEveryRowInBothDirections) {
    // A mid grey on the four Windows greys: Floyd–Steinberg mixes 128 and 192 along every row.
    TBitmap source = test::TrueColorPicture(17, 3, {{160, 160, 160}});
    const auto result = Reduce(source, TColorReduction::rmWindowsGray, TDitherMode::dmFloydSteinberg);
    const std::vector<int> indices = Indices(*result);
    for (int row = 0; row < 3; ++row) {
        int light = 0;
        for (int x = 0; x < 17; ++x)
            light += indices[static_cast<std::size_t>(row * 17 + x)] == 2;
        EXPECT_GT(light, 4) << row;
        EXPECT_LT(light, 13) << row;
    }
}

TEST(ReduceColors, EmptySourceIsRefusedByTheWriter) {
    TBitmap empty;
    ExpectError<GIFException>([&] { Reduce(empty, TColorReduction::rmNetscape); },
                              "Invalid image dimensions");
}

} // namespace
} // namespace qm
