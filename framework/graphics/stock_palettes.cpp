#include "framework/graphics/stock_palettes.h"

#include <array>

namespace qm {

namespace {

// The sixteen colours every display adapter can show (eight dark, eight bright) plus four soft
// tints used for window backgrounds and tool tips; the tints sit in the middle so that the dark
// half ends with two of them and the bright half starts with the other two.
constexpr std::array<TPaletteEntry, 20> kStaticColours{{
    {0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},   {0, 0, 128, 0},
    {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0}, {192, 220, 192, 0}, {166, 202, 240, 0},
    {255, 251, 240, 0}, {160, 160, 164, 0}, {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},
    {255, 255, 0, 0},   {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0},
}};

constexpr int kCubeLevels = 6;
constexpr int kCubeStep = 51;
constexpr int kGreyDivisions = 25;
constexpr int kGreysPerGap = 5;

} // namespace

TPalette StockDefaultPalette() {
    return TPalette(std::vector<TPaletteEntry>(kStaticColours.begin(), kStaticColours.end()));
}

std::vector<TPaletteEntry> ColourCube() {
    std::vector<TPaletteEntry> entries;
    entries.reserve(kCubeLevels * kCubeLevels * kCubeLevels);
    for (int r = 0; r < kCubeLevels; ++r)
        for (int g = 0; g < kCubeLevels; ++g)
            for (int b = 0; b < kCubeLevels; ++b)
                entries.push_back({static_cast<std::uint8_t>(r * kCubeStep),
                                   static_cast<std::uint8_t>(g * kCubeStep),
                                   static_cast<std::uint8_t>(b * kCubeStep), 0});
    return entries;
}

TPalette HalftonePalette() {
    std::vector<TPaletteEntry> entries(kStaticColours.begin(), kStaticColours.begin() + 10);
    const std::vector<TPaletteEntry> cube = ColourCube();
    entries.insert(entries.end(), cube.begin(), cube.end());
    // Four greys inside each gap between neighbouring cube greys: steps of 255/25, skipping every
    // fifth step, which the cube already holds.
    for (int i = 1; i < kGreyDivisions; ++i) {
        if (i % kGreysPerGap == 0)
            continue;
        const auto v = static_cast<std::uint8_t>(i * 255 / kGreyDivisions);
        entries.push_back({v, v, v, 0});
    }
    entries.insert(entries.end(), kStaticColours.begin() + 10, kStaticColours.end());
    return TPalette(std::move(entries));
}

} // namespace qm
