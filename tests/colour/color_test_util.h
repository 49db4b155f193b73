#pragma once
// Small builders and checks shared by the colour tests.

#include "framework/graphics/bitmap.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

namespace qm::test {

using Color = std::tuple<int, int, int>;

// A 24-bit picture filled row by row with `pixels`, repeated as often as needed.
inline TBitmap TrueColorPicture(int width, int height, const std::vector<Color>& pixels) {
    TBitmap bitmap(width, height, TPixelFormat::pf24bit);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* p = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            const auto& [r, g, b] = pixels[static_cast<std::size_t>(y * width + x) % pixels.size()];
            *p++ = static_cast<std::uint8_t>(b);
            *p++ = static_cast<std::uint8_t>(g);
            *p++ = static_cast<std::uint8_t>(r);
        }
    }
    return bitmap;
}

// One row of the given pixels.
inline TBitmap TrueColorRow(const std::vector<Color>& pixels) {
    return TrueColorPicture(static_cast<int>(pixels.size()), 1, pixels);
}

// The indices of an 8-bit bitmap, top row first.
inline std::vector<int> Indices(const TBitmap& bitmap) {
    std::vector<int> indices;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            indices.push_back(bitmap.ScanLine(y)[x]);
    return indices;
}

// Expects `action` to raise E with exactly `message`.
template <typename E> void ExpectError(const std::function<void()>& action, const std::string& message) {
    try {
        action();
        ADD_FAILURE() << "no error, expected " << message;
    } catch (const E& e) {
        EXPECT_EQ(std::string(e.what()), message);
    }
}

} // namespace qm::test
