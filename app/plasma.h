#pragma once
// The About dialog's plasma: a sine table made once, and one tick of the moving field of red
// shades written straight into the rows of a 32-bit bitmap. After the table, integers only.

#include "framework/graphics/bitmap.h"

#include <array>
#include <cstdint>

namespace qm {

using TPlasmaTable = std::array<std::uint8_t, 256>;

// The phases that carry the field from tick to tick; every step wraps modulo 256.
struct TPlasmaPhases {
    std::uint8_t P0 = 0;
    std::uint8_t P1 = 0;
    std::uint8_t P2 = 0;
    std::uint8_t P3 = 0;
    friend bool operator==(const TPlasmaPhases&, const TPlasmaPhases&) = default;
};

// T[i] = trunc((sin(i × 2 × 3.1415 / 256) + 1) × 30), values 0 to 59.
TPlasmaTable MakePlasmaTable();

// The phases of the program's one plasma: they start at 0 with the program and keep moving
// whether or not the dialog is on screen.
TPlasmaPhases& ProgramPlasmaPhases();

// One tick into a 32-bit bitmap: pixel (x, y) gets red T[a] + T[b] + T[c] + T[d] (at most 236)
// with a = P0 + 2y, b = P1 + y, c = P2 + x, d = P3 + 2x, and blue, green and the fourth byte 0.
// Then the phases move on by +2, −4, +6, −8. Any other pixel format raises
// EInvalidGraphicOperation.
void DrawPlasmaTick(const TPlasmaTable& table, TPlasmaPhases& phases, TBitmap& bitmap);

} // namespace qm
