#pragma once
// The palettes the platform keeps ready for every program: the 20 static colours of the default
// palette and the 256-colour halftone palette used for true-colour pictures on palette screens.

#include "framework/graphics/palette.h"

#include <vector>

namespace qm {

// The 20 static colours: ten dark and neutral colours, then ten light and saturated ones, so that
// entries 0..9 and 10..19 can frame a 256-entry palette at its two ends.
TPalette StockDefaultPalette();

// The 216 colours of six levels per channel (0, 51, ..., 255), entry red × 36 + green × 6 + blue
// by level, flags 0.
std::vector<TPaletteEntry> ColourCube();

// 256 colours: the ten first static colours, a 6×6×6 colour cube, 20 greys between
// the cube's greys, and the ten last static colours.
TPalette HalftonePalette();

} // namespace qm
