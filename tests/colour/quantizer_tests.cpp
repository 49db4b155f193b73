// The octree quantizer: leaves, folding order, averages and the palette layouts built from it.
#include "colour/color_errors.h"
#include "colour/color_quantizer.h"
#include "framework/graphics/bitmap.h"
#include "framework/graphics/stock_palettes.h"
#include "tests/colour/color_test_util.h"

#include <gtest/gtest.h>
#include <random>
#include <tuple>
#include <vector>

namespace qm {
namespace {

using test::Color;
using test::TrueColorRow;

std::vector<Color> Table(const TColorQuantizer& quantizer) {
    std::array<TRGBQuad, 256> table{};
    const int count = quantizer.BuildColorTable(table);
    std::vector<Color> colours;
    for (int i = 0; i < count; ++i)
        colours.emplace_back(table[static_cast<std::size_t>(i)].rgbRed,
                             table[static_cast<std::size_t>(i)].rgbGreen,
                             table[static_cast<std::size_t>(i)].rgbBlue);
    return colours;
}

std::vector<Color> Quantize(const std::vector<Color>& pixels, int maxColors, int colorBits = 8) {
    TColorQuantizer quantizer(maxColors, colorBits);
    for (const auto& [r, g, b] : pixels)
        quantizer.AddColor(static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                           static_cast<std::uint8_t>(b));
    return Table(quantizer);
}

std::vector<Color> Colours(const TPalette& palette) {
    std::vector<Color> colours;
    for (const TPaletteEntry& e : palette.Entries())
        colours.emplace_back(e.peRed, e.peGreen, e.peBlue);
    return colours;
}

TEST(OctreeLeaves, FewColoursStayExactAndComeOutInTreeOrder) {
    // Tree order interleaves the bits high to low, red first: white (111...) comes last, and
    // (0, 0, 200) (blue top bit) before (0, 200, 0) (green top bit).
    EXPECT_EQ(Quantize({{255, 255, 255}, {0, 200, 0}, {0, 0, 200}, {0, 200, 0}}, 256),
              (std::vector<Color>{{0, 0, 200}, {0, 200, 0}, {255, 255, 255}}));
}

TEST(OctreeFolding, ThreeSeparateChainsFoldUpToTheRootAverage) {
    TColorQuantizer quantizer(2, 8);
    quantizer.AddColor(0, 0, 0);
    quantizer.AddColor(255, 255, 255);
    EXPECT_EQ(quantizer.LeafCount(), 2);
    quantizer.AddColor(255, 0, 0);
    EXPECT_EQ(quantizer.LeafCount(), 1);
    EXPECT_EQ(Table(quantizer), (std::vector<Color>{{170, 85, 85}}));
}

TEST(OctreeFolding, FoldingASingleChildKeepsTheLeafCount) {
    TColorQuantizer quantizer(3, 8);
    quantizer.AddColor(0, 0, 0);
    quantizer.AddColor(255, 255, 255);
    EXPECT_EQ(quantizer.LeafCount(), 2);
    quantizer.FoldDeepestNode(); // white's level-7 node, the most recent, has one child
    EXPECT_EQ(quantizer.LeafCount(), 2);
    EXPECT_EQ(Table(quantizer), (std::vector<Color>{{0, 0, 0}, {255, 255, 255}}));
}

TEST(OctreeFolding, TheMostRecentNodeOfTheDeepestLevelFoldsFirst) {
    // Two pairs that differ only in the lowest blue bit: each pair shares a level-7 node. With
    // three colours allowed, the fourth pixel folds the later pair's node.
    EXPECT_EQ(Quantize({{10, 10, 10}, {10, 10, 11}, {200, 200, 200}, {200, 200, 201}}, 3),
              (std::vector<Color>{{10, 10, 10}, {10, 10, 11}, {200, 200, 200}}));
    EXPECT_EQ(Quantize({{200, 200, 200}, {200, 200, 201}, {10, 10, 10}, {10, 10, 11}}, 3),
              (std::vector<Color>{{10, 10, 10}, {200, 200, 200}, {200, 200, 201}}));
}

TEST(OctreeFolding, AveragesWeighByPixelCountAndRoundDown) {
    // 3 × (0, 0, 0) and 1 × (0, 0, 1) fold to blue 1 / 4 = 0; 1 × (9, 9, 8) and 2 × (9, 9, 9)
    // fold to (9, 9, 26 / 3 = 8).
    EXPECT_EQ(Quantize({{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 1}, {9, 9, 8}, {9, 9, 9}, {9, 9, 9}}, 2),
              (std::vector<Color>{{0, 0, 0}, {9, 9, 8}}));
}

TEST(OctreeFolding, AFoldedLeafTakesLaterColoursThatReachIt) {
    TColorQuantizer quantizer(2, 8);
    quantizer.AddColor(0, 0, 0);
    quantizer.AddColor(255, 255, 255);
    quantizer.AddColor(255, 0, 0);
    // The root is now the only leaf; white reaches it and joins the average.
    quantizer.AddColor(255, 255, 255);
    EXPECT_EQ(quantizer.LeafCount(), 1);
    EXPECT_EQ(Table(quantizer), (std::vector<Color>{{765 / 4, 510 / 4, 510 / 4}}));
}

TEST(OctreeFolding, NeverHoldsMoreLeavesThanColoursAfterAPixel) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> any(0, 255);
    for (int limit : {1, 2, 7, 16, 64}) {
        TColorQuantizer quantizer(limit, 8);
        for (int n = 0; n < 3000; ++n) {
            quantizer.AddColor(static_cast<std::uint8_t>(any(random)), static_cast<std::uint8_t>(any(random)),
                               static_cast<std::uint8_t>(any(random)));
            ASSERT_LE(quantizer.LeafCount(), limit);
        }
        EXPECT_EQ(static_cast<int>(Table(quantizer).size()), quantizer.LeafCount());
    }
}

TEST(OctreeLimits, RefusesColourCountsAndDepthsItCannotHonour) {
    EXPECT_THROW(TColorQuantizer(0, 8), EInvalidGraphicOperation);
    EXPECT_THROW(TColorQuantizer(257, 8), EInvalidGraphicOperation);
    EXPECT_THROW(TColorQuantizer(16, 0), EInvalidGraphicOperation);
    EXPECT_THROW(TColorQuantizer(16, 9), EInvalidGraphicOperation);
}

TEST(OctreeLimits, ShallowTreesMergeColoursSharingTheirTopBits) {
    // With 2 colour bits, leaves are made at level 2: only the top two bits of each channel count.
    EXPECT_EQ(Quantize({{0, 0, 0}, {63, 63, 63}, {64, 0, 0}}, 256, 2),
              (std::vector<Color>{{31, 31, 31}, {64, 0, 0}}));
}

TEST(OptimizedPalette, WithoutSystemColoursHoldsExactlyTheOctreeColours) {
    TBitmap bitmap = TrueColorRow({{1, 2, 3}, {200, 100, 50}, {1, 2, 3}});
    const TPalette palette = CreateOptimizedPaletteFromOneBitmap(bitmap, 256, 8, false);
    EXPECT_EQ(Colours(palette), (std::vector<Color>{{1, 2, 3}, {200, 100, 50}}));
    for (const TPaletteEntry& e : palette.Entries())
        EXPECT_EQ(e.peFlags, 0);
}

TEST(OptimizedPalette, SystemColoursFrameUpTo236OctreeColours) {
    TBitmap bitmap = TrueColorRow({{1, 2, 3}, {200, 100, 50}});
    const TPalette palette = CreateOptimizedPaletteFromOneBitmap(bitmap, 256, 8, true);
    const TPalette stock = StockDefaultPalette();
    ASSERT_EQ(palette.Count(), 256);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(palette[i], stock[i]);
        EXPECT_EQ(palette[246 + i], stock[10 + i]);
    }
    EXPECT_EQ(palette[10], (TPaletteEntry{1, 2, 3, 0}));
    EXPECT_EQ(palette[11], (TPaletteEntry{200, 100, 50, 0}));
    EXPECT_EQ(palette[12], (TPaletteEntry{0, 0, 0, 0}));
    EXPECT_EQ(palette[245], (TPaletteEntry{0, 0, 0, 0}));

    std::mt19937 random(3);
    std::uniform_int_distribution<int> any(0, 255);
    std::vector<Color> noise;
    for (int n = 0; n < 5000; ++n)
        noise.emplace_back(any(random), any(random), any(random));
    TBitmap busy = TrueColorRow(noise);
    const TPalette full = CreateOptimizedPaletteFromOneBitmap(busy, 256, 8, true);
    ASSERT_EQ(full.Count(), 256);
    EXPECT_EQ(full[246], stock[10]);
}

TEST(OptimizedPalette, ManyBitmapsFeedOneQuantizerInListOrder) {
    TBitmap first = TrueColorRow({{200, 200, 200}, {200, 200, 201}});
    TBitmap second = TrueColorRow({{10, 10, 10}, {10, 10, 11}});
    // As in the single-stream case, the later pair is folded when only three colours fit.
    EXPECT_EQ(Colours(CreateOptimizedPaletteFromManyBitmaps({&first, &second}, 3, 8, false)),
              (std::vector<Color>{{10, 10, 10}, {200, 200, 200}, {200, 200, 201}}));
}

TEST(OptimizedPalette, ConvertsIndexedBitmapsToTrueColourFirst) {
    TBitmap indexed(2, 1, TPixelFormat::pf8bit);
    indexed.SetPalette(TPalette({{9, 8, 7, 0}, {1, 1, 1, 0}}));
    indexed.ScanLine(0)[1] = 1;
    EXPECT_EQ(Colours(CreateOptimizedPaletteFromOneBitmap(indexed, 16, 8, false)),
              (std::vector<Color>{{1, 1, 1}, {9, 8, 7}}));
    EXPECT_EQ(indexed.PixelFormat(), TPixelFormat::pf24bit);
}

TEST(OptimizedPalette, RefusesAnEmptyListOrAMissingBitmap) {
    TBitmap bitmap = TrueColorRow({{1, 2, 3}});
    for (const std::vector<TBitmap*>& list :
         {std::vector<TBitmap*>{}, std::vector<TBitmap*>{&bitmap, nullptr}}) {
        try {
            CreateOptimizedPaletteFromManyBitmaps(list, 256, 8, false);
            ADD_FAILURE() << "no error for a list of " << list.size();
        } catch (const GIFException& e) {
            EXPECT_STREQ(e.what(), "Invalid bitmap list");
        }
    }
}

} // namespace
} // namespace qm
