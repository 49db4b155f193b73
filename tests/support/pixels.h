#pragma once
// Frame pixels for tests and benchmarks: reproducible indices in a few typical patterns.

#include <cstdint>
#include <vector>

namespace qm::test {

enum class TPattern {
    ptNoise,    // every pixel drawn at random: the worst case for compression
    ptRuns,     // runs of up to 300 equal pixels
    ptGradient, // a slowly changing ramp with a little noise, like a photograph's sky
};

// width * height indices below `colors`, the same for the same seed.
std::vector<std::uint8_t> MakePixels(int width, int height, int colors, TPattern pattern, unsigned seed = 1);

} // namespace qm::test
