#pragma once
// The row order of interlaced GIF frames: four passes with steps 8, 8, 4, 2 from rows 0, 4, 2, 1;
// a pass that starts below the last row is skipped.

#include <cstdint>
#include <span>

namespace qm {

class TInterlaceRows {
public:
    explicit TInterlaceRows(int height) : height_(height) { done_ = height <= 0; }
    int Row() const { return row_; }
    bool Done() const { return done_; }
    void Next();

private:
    int height_;
    int row_ = 0;
    int pass_ = 0;
    bool done_;
};

// Moves rows stored in interlace order (as decoded) to their places, top to bottom, in place.
void Deinterlace(std::span<std::uint8_t> pixels, int width, int height);

} // namespace qm
