#pragma once
// a * b / c with a 64-bit intermediate, rounded half away from zero; -1 when c is 0 or the
// result does not fit in 32 bits (the behaviour scaling code has always relied on).

#include <cstdint>
#include <limits>

namespace qm {

constexpr int MulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const bool negative = (product < 0) != (c < 0);
    const std::uint64_t num =
        product < 0 ? static_cast<std::uint64_t>(-product) : static_cast<std::uint64_t>(product);
    const std::uint64_t den =
        c < 0 ? static_cast<std::uint64_t>(-static_cast<std::int64_t>(c)) : static_cast<std::uint64_t>(c);
    const std::uint64_t quotient = (num + den / 2) / den;
    if (quotient > static_cast<std::uint64_t>(std::numeric_limits<int>::max()))
        return -1;
    return negative ? -static_cast<int>(quotient) : static_cast<int>(quotient);
}

} // namespace qm
