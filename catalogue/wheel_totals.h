#pragma once

#include <cstdint>

namespace qm {

// What a wheel turn over a focused data grid becomes.
enum class TWheelKey { wkNone, wkUp, wkDown };

// Turns wheel deltas into single row steps: a direction's total must reach one notch (120) to give
// one key press, turning the other way drops the part-total, and reaching the notch starts the
// total again at 0 (a delta of 360 in one message still moves one row). Shared by all grids for
// the whole run.
class TWheelTotals {
public:
    static constexpr std::int32_t kNotch = 120;

    // `delta` is the vertical wheel delta of one message, read as a signed 16-bit number.
    TWheelKey Feed(int delta);

    std::int32_t WheelUpTotal() const { return wheelUpTotal_; }
    std::int32_t WheelDownTotal() const { return wheelDownTotal_; }

private:
    std::int32_t wheelUpTotal_ = 0;
    std::int32_t wheelDownTotal_ = 0;
};

} // namespace qm
