#include "colour/dither.h"

#include <algorithm>
#include <cstdlib>

namespace qm {

namespace {

constexpr TKernelTap kFloydSteinberg[] = {{0, 1, 7}, {1, -1, 3}, {1, 0, 5}, {1, 1, 1}};

constexpr TKernelTap kStucki[] = {
    {0, 1, 8},  {0, 2, 4},                                   //
    {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2}, //
    {2, -2, 1}, {2, -1, 2}, {2, 0, 4}, {2, 1, 2}, {2, 2, 1},
};

constexpr TKernelTap kSierra[] = {
    {0, 1, 5},  {0, 2, 3},                                   //
    {1, -2, 2}, {1, -1, 4}, {1, 0, 5}, {1, 1, 4}, {1, 2, 2}, //
    {2, -1, 2}, {2, 0, 3},  {2, 1, 2},
};

constexpr TKernelTap kJarvisJudiceNinke[] = {
    {0, 1, 7},  {0, 2, 5},                                   //
    {1, -2, 3}, {1, -1, 5}, {1, 0, 7}, {1, 1, 5}, {1, 2, 3}, //
    {2, -2, 1}, {2, -1, 3}, {2, 0, 5}, {2, 1, 3}, {2, 2, 1},
};

constexpr TKernelTap kStevensonArce[] = {
    {0, 2, 32},                                       //
    {1, -3, 12}, {1, -1, 26}, {1, 1, 30}, {1, 3, 16}, //
    {2, -2, 12}, {2, 0, 26},  {2, 2, 12},             //
    {3, -3, 5},  {3, -1, 12}, {3, 1, 12}, {3, 3, 5},
};

constexpr TKernelTap kBurkes[] = {
    {0, 1, 8},  {0, 2, 4}, //
    {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2},
};

} // namespace

TColorMatch TDitherEngine::DitherPixel(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    const TColorMatch match = lookup_.MatchColor(red, green, blue);
    StepColumn();
    return match;
}

void TDitherEngine::EndRow() {
    direction_ = -direction_;
    column_ = direction_ > 0 ? 0 : width_ - 1;
}

TErrorDiffusionDitherer::TErrorDiffusionDitherer(int width, TColorLookup& lookup,
                                                 std::span<const TKernelTap> kernel, int divisor)
    : TDitherEngine(width, lookup), kernel_(kernel), divisor_(divisor) {
    int following = 0;
    for (const TKernelTap& tap : kernel) {
        guard_ = std::max(guard_, std::abs(tap.offset));
        following = std::max(following, tap.row);
    }
    stride_ = (std::max(width, 0) + 2 * guard_) * kChannels;
    const int rowCount = 1 + following;
    cells_.assign(static_cast<std::size_t>(stride_) * static_cast<std::size_t>(rowCount), 0);
    for (int i = 0; i < rowCount; ++i)
        rows_.push_back(cells_.data() + static_cast<std::ptrdiff_t>(i) * stride_);
}

std::int32_t* TErrorDiffusionDitherer::Cell(int row, int column) const {
    return rows_[static_cast<std::size_t>(row)] + static_cast<std::ptrdiff_t>(column + guard_) * kChannels;
}

int TErrorDiffusionDitherer::Corrected(int value, std::int32_t accumulated, int divisor) {
    // Integer division truncates toward zero, so small negative errors round to no correction.
    return std::clamp(value + (accumulated + divisor / 2) / divisor, 0, 255);
}

TColorMatch TErrorDiffusionDitherer::DitherPixel(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    const int column = Column();
    const int direction = Direction();
    const std::int32_t* own = Cell(0, column);
    const int wanted[kChannels] = {Corrected(red, own[0], divisor_), Corrected(green, own[1], divisor_),
                                   Corrected(blue, own[2], divisor_)};
    const TColorMatch match =
        TDitherEngine::DitherPixel(static_cast<std::uint8_t>(wanted[0]), static_cast<std::uint8_t>(wanted[1]),
                                   static_cast<std::uint8_t>(wanted[2]));
    const int error[kChannels] = {wanted[0] - match.red, wanted[1] - match.green, wanted[2] - match.blue};
    if (error[0] == 0 && error[1] == 0 && error[2] == 0)
        return match;
    for (const TKernelTap& tap : kernel_) {
        std::int32_t* cell = Cell(tap.row, column + tap.offset * direction);
        for (int c = 0; c < kChannels; ++c)
            cell[c] += error[c] * tap.weight;
    }
    return match;
}

void TErrorDiffusionDitherer::EndRow() {
    std::fill_n(rows_.front(), stride_, 0);
    std::rotate(rows_.begin(), rows_.begin() + 1, rows_.end());
    TDitherEngine::EndRow();
}

TFloydSteinbergDitherer::TFloydSteinbergDitherer(int width, TColorLookup& lookup)
    : TErrorDiffusionDitherer(width, lookup, kFloydSteinberg, 16) {}

TStuckiDitherer::TStuckiDitherer(int width, TColorLookup& lookup)
    : TErrorDiffusionDitherer(width, lookup, kStucki, 42) {}

TSierraDitherer::TSierraDitherer(int width, TColorLookup& lookup)
    : TErrorDiffusionDitherer(width, lookup, kSierra, 32) {}

TJaJuNiDitherer::TJaJuNiDitherer(int width, TColorLookup& lookup)
    : TErrorDiffusionDitherer(width, lookup, kJarvisJudiceNinke, 48) {}

TSteveArcheDitherer::TSteveArcheDitherer(int width, TColorLookup& lookup)
    : TErrorDiffusionDitherer(width, lookup, kStevensonArce, 200) {}

TBurkesDitherer::TBurkesDitherer(int width, TColorLookup& lookup)
    : TErrorDiffusionDitherer(width, lookup, kBurkes, 32) {}

std::unique_ptr<TDitherEngine> CreateDitherer(TDitherMode mode, int width, TColorLookup& lookup) {
    switch (mode) {
    case TDitherMode::dmNearest:
        return std::make_unique<TDitherEngine>(width, lookup);
    case TDitherMode::dmFloydSteinberg:
        return std::make_unique<TFloydSteinbergDitherer>(width, lookup);
    case TDitherMode::dmStucki:
        return std::make_unique<TStuckiDitherer>(width, lookup);
    case TDitherMode::dmSierra:
        return std::make_unique<TSierraDitherer>(width, lookup);
    case TDitherMode::dmJaJuNI:
        return std::make_unique<TJaJuNiDitherer>(width, lookup);
    case TDitherMode::dmSteveArche:
        return std::make_unique<TSteveArcheDitherer>(width, lookup);
    case TDitherMode::dmBurkes:
        return std::make_unique<TBurkesDitherer>(width, lookup);
    }
    return nullptr;
}

} // namespace qm
