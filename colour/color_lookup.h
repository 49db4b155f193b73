#pragma once
// Colour lookups: map a wanted colour to the index and colour of a palette entry. One lookup
// serves one palette for one reduction or rendering pass.

#include "framework/graphics/palette.h"

#include <array>
#include <cstdint>
#include <memory>

namespace qm {

struct TColorMatch {
    std::uint8_t index = 0;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

class TColorLookup {
public:
    virtual ~TColorLookup() = default;
    TColorLookup(const TColorLookup&) = delete;
    TColorLookup& operator=(const TColorLookup&) = delete;

    // The number of palette entries the lookup can return; 0 for an empty palette.
    int ColorCount() const { return colorCount_; }
    virtual TColorMatch MatchColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) = 0;

protected:
    explicit TColorLookup(int colorCount) : colorCount_(colorCount) {}

private:
    int colorCount_;
};

// Any palette of up to 256 entries. Colours are grouped into 32768 cells of 32 levels per
// channel; the first query of a cell searches the palette (smallest sum of channel differences,
// lowest index on ties) and every later query of that cell gets the same answer. A palette entry
// owns its own cell from the start (the lowest index when several share one).
class TFastColorLookup final : public TColorLookup {
public:
    explicit TFastColorLookup(const TPalette& palette);
    TColorMatch MatchColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) override;

private:
    static constexpr int kCells = 32768;
    static constexpr std::uint16_t kEmptyCell = 0xFFFF;

    static int CellOf(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    std::uint16_t NearestEntry(std::uint8_t red, std::uint8_t green, std::uint8_t blue) const;
    TColorMatch EntryMatch(std::uint16_t index) const;

    std::array<TPaletteEntry, 256> entries_{};
    std::unique_ptr<std::array<std::uint16_t, kCells>> cells_;
};

// The 216-colour web palette: each channel goes to the level (c + 3) / 51, rounded down.
class TNetscapeColorLookup final : public TColorLookup {
public:
    TNetscapeColorLookup() : TColorLookup(216) {}
    TColorMatch MatchColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) override;
};

// 256 greys: grey = (77 red + 150 green + 29 blue) >> 8.
class TGrayScaleLookup final : public TColorLookup {
public:
    TGrayScaleLookup() : TColorLookup(256) {}
    TColorMatch MatchColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) override;
};

// Black or white: white when 77 red + 150 green + 29 blue exceeds 0x7F00.
class TMonochromeLookup final : public TColorLookup {
public:
    TMonochromeLookup() : TColorLookup(2) {}
    TColorMatch MatchColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) override;
};

} // namespace qm
