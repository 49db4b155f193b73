#include "colour/fixed_palettes.h"

#include "framework/graphics/stock_palettes.h"

#include <initializer_list>

namespace qm {

namespace {

TPaletteEntry Grey(int level) {
    const auto v = static_cast<std::uint8_t>(level);
    return {v, v, v, PC_NOCOLLAPSE};
}

TPalette Greys(std::initializer_list<int> levels) {
    std::vector<TPaletteEntry> entries;
    for (int level : levels)
        entries.push_back(Grey(level));
    return TPalette(std::move(entries));
}

} // namespace

TPalette WebPalette() {
    return TPalette(ColourCube());
}

TPalette GrayLevelsPalette() {
    std::vector<TPaletteEntry> entries;
    entries.reserve(256);
    for (int i = 0; i < 256; ++i)
        entries.push_back(Grey(i));
    return TPalette(std::move(entries));
}

TPalette WindowsGrayPalette() {
    return Greys({0, 128, 192, 255});
}

TPalette MonochromePalette() {
    return Greys({0, 255});
}

TPalette ScreenHalftonePalette() {
    return HalftonePalette();
}

} // namespace qm
