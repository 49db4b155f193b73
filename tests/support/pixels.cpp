#include "tests/support/pixels.h"

#include <random>

namespace qm::test {

std::vector<std::uint8_t> MakePixels(int width, int height, int colors, TPattern pattern, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    int run = 0;
    std::uint8_t value = 0;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        switch (pattern) {
        case TPattern::ptNoise:
            value = static_cast<std::uint8_t>(random() % static_cast<unsigned>(colors));
            break;
        case TPattern::ptRuns:
            if (run-- <= 0) {
                run = static_cast<int>(random() % 300);
                value = static_cast<std::uint8_t>(random() % static_cast<unsigned>(colors));
            }
            break;
        case TPattern::ptGradient: {
            const auto x = static_cast<int>(i % static_cast<std::size_t>(width));
            const auto y = static_cast<int>(i / static_cast<std::size_t>(width));
            value = static_cast<std::uint8_t>((x / 3 + y / 5 + static_cast<int>(random() % 3)) % colors);
            break;
        }
        }
        pixels[i] = value;
    }
    return pixels;
}

} // namespace qm::test
