#include "app/plasma.h"

#include "framework/core/exceptions.h"

#include <algorithm>
#include <cmath>

namespace qm {

TPlasmaTable MakePlasmaTable() {
    TPlasmaTable table{};
    for (int i = 0; i < 256; ++i)
        table[static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(std::trunc((std::sin(i * 2.0 * 3.1415 * 0.00390625) + 1.0) * 30.0));
    return table;
}

TPlasmaPhases& ProgramPlasmaPhases() {
    static TPlasmaPhases phases;
    return phases;
}

void DrawPlasmaTick(const TPlasmaTable& table, TPlasmaPhases& phases, TBitmap& bitmap) {
    if (bitmap.PixelFormat() != TPixelFormat::pf32bit)
        throw EInvalidGraphicOperation("The plasma needs a 32-bit bitmap");
    const auto T = [&table](std::uint8_t i) { return static_cast<std::uint32_t>(table[i]); };
    // c and d restart from P2 and P3 on every row, so the column terms are the same for all rows;
    // both indexes wrap at 256, so 256 columns hold every value there is.
    std::array<std::uint32_t, 256> columns{};
    std::uint8_t c = phases.P2;
    std::uint8_t d = phases.P3;
    for (std::uint32_t& column : columns) {
        column = (T(c) + T(d)) << 16;
        c = static_cast<std::uint8_t>(c + 1);
        d = static_cast<std::uint8_t>(d + 2);
    }
    std::uint8_t a = phases.P0;
    std::uint8_t b = phases.P1;
    const int width = bitmap.Width();
    for (int y = 0; y < bitmap.Height(); ++y) {
        const std::uint32_t rowTerm = (T(a) + T(b)) << 16;
        // Rows of a 32-bit bitmap are whole 32-bit pixels in machine order: red is bits 16 to 23.
        auto* pixels = reinterpret_cast<std::uint32_t*>(bitmap.ScanLine(y));
        for (int start = 0; start < width; start += 256) {
            const int count = std::min(256, width - start);
            for (int x = 0; x < count; ++x)
                pixels[start + x] = rowTerm + columns[static_cast<std::size_t>(x)];
        }
        a = static_cast<std::uint8_t>(a + 2);
        b = static_cast<std::uint8_t>(b + 1);
    }
    phases.P0 = static_cast<std::uint8_t>(phases.P0 + 2);
    phases.P1 = static_cast<std::uint8_t>(phases.P1 - 4);
    phases.P2 = static_cast<std::uint8_t>(phases.P2 + 6);
    phases.P3 = static_cast<std::uint8_t>(phases.P3 - 8);
}

} // namespace qm
