#pragma once
// The fixed palettes that true-colour pictures are reduced to. Each call returns a new value that
// belongs to the caller.

#include "framework/graphics/palette.h"

namespace qm {

// 216 entries: index red_level × 36 + green_level × 6 + blue_level, each channel level × 51.
TPalette WebPalette();
// 256 greys, entry i = (i, i, i).
TPalette GrayLevelsPalette();
// The four greys 0, 128, 192 and 255.
TPalette WindowsGrayPalette();
// Black, then white.
TPalette MonochromePalette();
// The platform's halftone palette for true colour on a palette screen.
TPalette ScreenHalftonePalette();

} // namespace qm
