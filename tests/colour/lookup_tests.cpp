// Fixed palettes and the colour lookups at their thresholds.
#include "colour/color_lookup.h"
#include "colour/fixed_palettes.h"
#include "framework/graphics/stock_palettes.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <tuple>

namespace qm {
namespace {

std::tuple<int, int, int, int> Tuple(const TColorMatch& m) {
    return {m.index, m.red, m.green, m.blue};
}

TEST(FixedPalettes, WebPaletteOrdersLevelsRedGreenBlue) {
    const TPalette web = WebPalette();
    ASSERT_EQ(web.Count(), 216);
    EXPECT_EQ(web[0], (TPaletteEntry{0, 0, 0, 0}));
    EXPECT_EQ(web[11], (TPaletteEntry{0, 51, 255, 0}));
    EXPECT_EQ(web[36], (TPaletteEntry{51, 0, 0, 0}));
    EXPECT_EQ(web[215], (TPaletteEntry{255, 255, 255, 0}));
}

TEST(FixedPalettes, GreyPalettesAreNoCollapseGreys) {
    const TPalette levels = GrayLevelsPalette();
    ASSERT_EQ(levels.Count(), 256);
    EXPECT_EQ(levels[0], (TPaletteEntry{0, 0, 0, PC_NOCOLLAPSE}));
    EXPECT_EQ(levels[200], (TPaletteEntry{200, 200, 200, PC_NOCOLLAPSE}));
    const TPalette windows = WindowsGrayPalette();
    ASSERT_EQ(windows.Count(), 4);
    EXPECT_EQ(windows[1], (TPaletteEntry{128, 128, 128, PC_NOCOLLAPSE}));
    EXPECT_EQ(windows[2], (TPaletteEntry{192, 192, 192, PC_NOCOLLAPSE}));
    const TPalette mono = MonochromePalette();
    ASSERT_EQ(mono.Count(), 2);
    EXPECT_EQ(mono[1], (TPaletteEntry{255, 255, 255, PC_NOCOLLAPSE}));
}

TEST(FixedPalettes, StockAndHalftonePalettesShareTheStaticColoursAtBothEnds) {
    const TPalette stock = StockDefaultPalette();
    const TPalette halftone = ScreenHalftonePalette();
    ASSERT_EQ(stock.Count(), 20);
    ASSERT_EQ(halftone.Count(), 256);
    EXPECT_EQ(stock[0], (TPaletteEntry{0, 0, 0, 0}));
    EXPECT_EQ(stock[19], (TPaletteEntry{255, 255, 255, 0}));
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(halftone[i], stock[i]);
        EXPECT_EQ(halftone[246 + i], stock[10 + i]);
    }
    // The middle holds the whole 6 × 6 × 6 cube and twenty distinct greys.
    std::set<std::tuple<int, int, int>> middle;
    for (int i = 10; i < 246; ++i)
        middle.insert({halftone[i].peRed, halftone[i].peGreen, halftone[i].peBlue});
    EXPECT_EQ(middle.size(), 236u);
    for (int level : {0, 51, 102, 153, 204, 255})
        EXPECT_TRUE(middle.count({level, 255 - level, level}));
}

TEST(NetscapeLookup, LevelsChangeAt48_99_150_201_252) {
    TNetscapeColorLookup lookup;
    EXPECT_EQ(lookup.ColorCount(), 216);
    EXPECT_EQ(Tuple(lookup.MatchColor(47, 48, 255)), std::make_tuple(11, 0, 51, 255));
    const int edges[] = {48, 99, 150, 201, 252};
    for (int level = 0; level < 5; ++level) {
        const int below = edges[level] - 1;
        EXPECT_EQ(lookup.MatchColor(static_cast<std::uint8_t>(below), 0, 0).index, level * 36) << below;
        EXPECT_EQ(lookup.MatchColor(0, static_cast<std::uint8_t>(edges[level]), 0).index, (level + 1) * 6);
        EXPECT_EQ(lookup.MatchColor(0, 0, static_cast<std::uint8_t>(edges[level])).blue, (level + 1) * 51);
    }
}

TEST(NetscapeLookup, AgreesWithTheWebPaletteEntryItNames) {
    TNetscapeColorLookup lookup;
    const TPalette web = WebPalette();
    for (int v = 0; v < 256; v += 5) {
        const TColorMatch m =
            lookup.MatchColor(static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(255 - v),
                              static_cast<std::uint8_t>(v / 2));
        EXPECT_EQ(web[m.index], (TPaletteEntry{m.red, m.green, m.blue, 0}));
    }
}

TEST(GrayScaleLookup, WeighsChannels77_150_29) {
    TGrayScaleLookup lookup;
    EXPECT_EQ(lookup.ColorCount(), 256);
    EXPECT_EQ(Tuple(lookup.MatchColor(255, 0, 0)), std::make_tuple(76, 76, 76, 76));
    EXPECT_EQ(lookup.MatchColor(0, 255, 0).index, 149);
    EXPECT_EQ(lookup.MatchColor(0, 0, 255).index, 28);
    EXPECT_EQ(lookup.MatchColor(255, 255, 255).index, 255);
}

TEST(MonochromeLookup, WhiteOnlyAbove0x7F00) {
    TMonochromeLookup lookup;
    EXPECT_EQ(lookup.ColorCount(), 2);
    EXPECT_EQ(Tuple(lookup.MatchColor(127, 127, 127)), std::make_tuple(0, 0, 0, 0));
    EXPECT_EQ(Tuple(lookup.MatchColor(128, 127, 127)), std::make_tuple(1, 255, 255, 255));
}

TEST(FastColorLookup, FirstEntryOfACellOwnsIt) {
    TFastColorLookup lookup(TPalette({{200, 0, 0, 0}, {4, 4, 4, 0}, {100, 100, 100, 0}, {0, 0, 0, 0}}));
    EXPECT_EQ(lookup.ColorCount(), 4);
    EXPECT_EQ(Tuple(lookup.MatchColor(0, 0, 0)), std::make_tuple(1, 4, 4, 4));
}

TEST(FastColorLookup, SearchesBySumOfDifferencesAndLowerIndexWinsTies) {
    TFastColorLookup lookup(TPalette({{0, 0, 0, 0}, {100, 0, 0, 0}, {0, 100, 0, 0}}));
    // (50, 50, 0): distance 100 to every entry; the lowest index wins.
    EXPECT_EQ(lookup.MatchColor(50, 50, 0).index, 0);
    // (60, 40, 16): 116 to black, 96 to red, 136 to green.
    EXPECT_EQ(lookup.MatchColor(60, 40, 16).index, 1);
}

TEST(FastColorLookup, LaterQueriesOfACellGetTheFirstAnswer) {
    // 64..71 (cell 8 of each channel) holds no entry. 64 is nearer to 60 and fixes the cell's
    // answer, so 71 gets 60 as well although 74 is nearer to it.
    TFastColorLookup lookup(TPalette({{0, 0, 0, 0}, {60, 60, 60, 0}, {74, 74, 74, 0}}));
    EXPECT_EQ(lookup.MatchColor(64, 64, 64).index, 1);
    EXPECT_EQ(Tuple(lookup.MatchColor(71, 71, 71)), std::make_tuple(1, 60, 60, 60));
    TFastColorLookup fresh(TPalette({{0, 0, 0, 0}, {60, 60, 60, 0}, {74, 74, 74, 0}}));
    EXPECT_EQ(fresh.MatchColor(71, 71, 71).index, 2);
}

TEST(FastColorLookup, FirstAnswerOfEveryCellIsTheNearestEntry) {
    std::mt19937 random(5);
    std::uniform_int_distribution<int> any(0, 255);
    std::vector<TPaletteEntry> entries;
    for (int i = 0; i < 40; ++i)
        entries.push_back({static_cast<std::uint8_t>(any(random)), static_cast<std::uint8_t>(any(random)),
                           static_cast<std::uint8_t>(any(random)), 0});
    TFastColorLookup lookup{TPalette(entries)};
    std::set<int> seenCells;
    for (int n = 0; n < 2000; ++n) {
        const int r = any(random), g = any(random), b = any(random);
        const int cell = (r / 8) + 32 * (g / 8) + 1024 * (b / 8);
        const TColorMatch m = lookup.MatchColor(static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                                                static_cast<std::uint8_t>(b));
        if (!seenCells.insert(cell).second)
            continue;
        bool owned = false;
        int best = 1 << 20, bestIndex = -1;
        for (int i = 0; i < 40; ++i) {
            const TPaletteEntry& e = entries[static_cast<std::size_t>(i)];
            owned = owned || (e.peRed / 8 + 32 * (e.peGreen / 8) + 1024 * (e.peBlue / 8)) == cell;
            const int d = std::abs(r - e.peRed) + std::abs(g - e.peGreen) + std::abs(b - e.peBlue);
            if (d < best) {
                best = d;
                bestIndex = i;
            }
        }
        if (!owned) {
            EXPECT_EQ(m.index, bestIndex);
        }
    }
}

TEST(FastColorLookup, ReadsAtMost256EntriesAndNoneOfAnEmptyPalette) {
    EXPECT_EQ(TFastColorLookup(TPalette(std::vector<TPaletteEntry>(300))).ColorCount(), 256);
    TFastColorLookup empty{TPalette()};
    EXPECT_EQ(empty.ColorCount(), 0);
    EXPECT_EQ(empty.MatchColor(10, 20, 30).index, 0);
}

} // namespace
} // namespace qm
