#include "colour/color_lookup.h"

#include <algorithm>
#include <cstdlib>

namespace qm {

namespace {

constexpr int kWebStep = 51;
constexpr int kWebRounding = 3;
constexpr int kRedWeight = 77;
constexpr int kGreenWeight = 150;
constexpr int kBlueWeight = 29;
constexpr int kMonochromeThreshold = 0x7F00;
constexpr int kNoDistance = 0x30000;

int Luminance256(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return red * kRedWeight + green * kGreenWeight + blue * kBlueWeight;
}

TColorMatch GreyMatch(int index, int level) {
    const auto v = static_cast<std::uint8_t>(level);
    return {static_cast<std::uint8_t>(index), v, v, v};
}

} // namespace

TFastColorLookup::TFastColorLookup(const TPalette& palette)
    : TColorLookup(std::min(palette.Count(), 256)),
      cells_(std::make_unique<std::array<std::uint16_t, kCells>>()) {
    std::copy_n(palette.Entries().begin(), ColorCount(), entries_.begin());
    cells_->fill(kEmptyCell);
    for (int i = 0; i < ColorCount(); ++i) {
        const TPaletteEntry& e = entries_[static_cast<std::size_t>(i)];
        std::uint16_t& cell = (*cells_)[static_cast<std::size_t>(CellOf(e.peRed, e.peGreen, e.peBlue))];
        if (cell == kEmptyCell)
            cell = static_cast<std::uint16_t>(i);
    }
}

int TFastColorLookup::CellOf(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return (red >> 3) | ((green >> 3) << 5) | ((blue >> 3) << 10);
}

std::uint16_t TFastColorLookup::NearestEntry(std::uint8_t red, std::uint8_t green, std::uint8_t blue) const {
    int best = kNoDistance;
    std::uint16_t winner = 0;
    for (int i = 0; i < ColorCount(); ++i) {
        const TPaletteEntry& e = entries_[static_cast<std::size_t>(i)];
        const int distance =
            std::abs(red - e.peRed) + std::abs(green - e.peGreen) + std::abs(blue - e.peBlue);
        if (distance < best) {
            best = distance;
            winner = static_cast<std::uint16_t>(i);
        }
    }
    return winner;
}

TColorMatch TFastColorLookup::EntryMatch(std::uint16_t index) const {
    const TPaletteEntry& e = entries_[index];
    return {static_cast<std::uint8_t>(index), e.peRed, e.peGreen, e.peBlue};
}

TColorMatch TFastColorLookup::MatchColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    std::uint16_t& cell = (*cells_)[static_cast<std::size_t>(CellOf(red, green, blue))];
    if (cell == kEmptyCell) {
        // An empty palette has nothing to offer; leave the cell empty rather than name an entry
        // that does not exist.
        if (ColorCount() == 0)
            return {};
        cell = NearestEntry(red, green, blue);
    }
    return EntryMatch(cell);
}

TColorMatch TNetscapeColorLookup::MatchColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    const int r = (red + kWebRounding) / kWebStep;
    const int g = (green + kWebRounding) / kWebStep;
    const int b = (blue + kWebRounding) / kWebStep;
    return {static_cast<std::uint8_t>(r * 36 + g * 6 + b), static_cast<std::uint8_t>(r * kWebStep),
            static_cast<std::uint8_t>(g * kWebStep), static_cast<std::uint8_t>(b * kWebStep)};
}

TColorMatch TGrayScaleLookup::MatchColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    const int grey = Luminance256(red, green, blue) >> 8;
    return GreyMatch(grey, grey);
}

TColorMatch TMonochromeLookup::MatchColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return Luminance256(red, green, blue) > kMonochromeThreshold ? GreyMatch(1, 255) : GreyMatch(0, 0);
}

} // namespace qm
