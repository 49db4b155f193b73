#pragma once
// How true-colour pictures are brought down to a palette: which palette, and how the mapping
// error is spread. Shared by the GIF image (its settings) and the colour reduction.

#include <cstdint>

namespace qm {

enum class TColorReduction : std::uint8_t {
    rmNone,
    rmWindows20,
    rmWindows256,
    rmWindowsGray,
    rmMonochrome,
    rmGrayScale,
    rmNetscape,
    rmQuantize,
    rmQuantizeWindows,
    rmPalette,
};

enum class TDitherMode : std::uint8_t {
    dmNearest,
    dmFloydSteinberg,
    dmStucki,
    dmSierra,
    dmJaJuNI,
    dmSteveArche,
    dmBurkes,
};

} // namespace qm
