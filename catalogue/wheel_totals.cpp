#include "catalogue/wheel_totals.h"

#include <algorithm>
#include <limits>

namespace qm {

TWheelKey TWheelTotals::Feed(int delta) {
    // The delta travels in 16 bits; a larger one from a synthetic event must not overflow the totals.
    const auto step = static_cast<std::int32_t>(std::clamp<int>(
        delta, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
    if (step > 0) {
        wheelUpTotal_ += step;
        wheelDownTotal_ = 0;
        if (wheelUpTotal_ >= kNotch) {
            wheelUpTotal_ = 0;
            return TWheelKey::wkUp;
        }
    } else if (step < 0) {
        wheelDownTotal_ += step;
        wheelUpTotal_ = 0;
        if (-wheelDownTotal_ >= kNotch) {
            wheelDownTotal_ = 0;
            return TWheelKey::wkDown;
        }
    }
    return TWheelKey::wkNone;
}

} // namespace qm
