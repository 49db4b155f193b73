#pragma once
// The median of timing samples: what the benchmarks report, so that one slow run on a shared
// machine does not move the figure.

#include <algorithm>
#include <cstddef>
#include <vector>

namespace qm::test {

// The middle sample, or the mean of the two middle ones; 0 for no samples.
inline double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    return n == 0 ? 0.0 : n % 2 == 1 ? samples[n / 2] : 0.5 * (samples[n / 2 - 1] + samples[n / 2]);
}

} // namespace qm::test
