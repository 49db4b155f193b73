#pragma once
// Colour reduction: turns any bitmap into a new 8-bit bitmap whose colour table is the palette
// chosen for the reduction, mapping every pixel through a lookup and a ditherer.

#include "colour/color_options.h"
#include "framework/graphics/bitmap.h"

#include <memory>
#include <optional>

namespace qm {

// Except with rmNone (a 24-bit copy), `bitmap` is converted to 24 bits per pixel in place and is
// otherwise unchanged. `reductionBits` (1..8) sets the size of the rmQuantize palette;
// `customPalette` is used by rmPalette only. An unknown reduction or dither value and an empty
// palette give an empty bitmap (set to 1 bit per pixel when the source exceeds 500000 pixels).
std::unique_ptr<TBitmap> ReduceColors(TBitmap& bitmap, TColorReduction reduction, TDitherMode ditherMode,
                                      int reductionBits, const std::optional<TPalette>& customPalette);

} // namespace qm
