#include "gif/codec/interlace.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace qm {

namespace {
constexpr std::array<int, 4> kPassStart = {0, 4, 2, 1};
constexpr std::array<int, 4> kPassStep = {8, 8, 4, 2};
} // namespace

void TInterlaceRows::Next() {
    if (done_)
        return;
    row_ += kPassStep[static_cast<std::size_t>(pass_)];
    while (row_ >= height_) {
        if (++pass_ == 4) {
            done_ = true;
            return;
        }
        row_ = kPassStart[static_cast<std::size_t>(pass_)];
    }
}

void Deinterlace(std::span<std::uint8_t> pixels, int width, int height) {
    if (width <= 0 || height <= 1)
        return;
    const auto rows = static_cast<std::size_t>(height);
    const auto rowBytes = static_cast<std::size_t>(width);
    // source[r] = the decoded (stored) row that belongs at row r.
    std::vector<std::uint32_t> source(rows);
    std::uint32_t stored = 0;
    for (TInterlaceRows walk(height); !walk.Done(); walk.Next())
        source[static_cast<std::size_t>(walk.Row())] = stored++;

    // Follow each permutation cycle once, holding one row aside.
    std::vector<bool> placed(rows, false);
    std::vector<std::uint8_t> held(rowBytes);
    auto rowAt = [&](std::size_t r) { return pixels.data() + r * rowBytes; };
    for (std::size_t start = 0; start < rows; ++start) {
        if (placed[start] || source[start] == start) {
            placed[start] = true;
            continue;
        }
        std::memcpy(held.data(), rowAt(start), rowBytes);
        std::size_t r = start;
        while (source[r] != start) {
            std::memcpy(rowAt(r), rowAt(source[r]), rowBytes);
            placed[r] = true;
            r = source[r];
        }
        std::memcpy(rowAt(r), held.data(), rowBytes);
        placed[r] = true;
    }
}

} // namespace qm
