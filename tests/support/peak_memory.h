#pragma once
// The peak memory of work done in this process or in a child process, for tests that bound what a
// hostile input may make the program take.

#include <cstdint>
#include <functional>

namespace qm::test {

// The growth of this process's peak resident size while `work` runs, in bytes: the peak is reset
// to the current size first (Linux's clear_refs), so earlier work does not hide it.
std::uint64_t PeakGrowthOf(const std::function<void()>& work);

// The largest peak resident size of any child process waited for so far, in bytes. A bound that
// holds for it holds for every one of them.
std::uint64_t LargestChildPeak();

} // namespace qm::test
