#pragma once
// A catalogue of 1,000,000 Software rows (names, keywords, 200-byte descriptions) for the
// benchmarks, made once in the temporary directory and reused by later runs.

#include <QString>

namespace qm::bench {

constexpr int kMillionRows = 1'000'000;

// The path of the cached catalogue, making it first when it is missing or incomplete.
QString MillionCatalogue();

} // namespace qm::bench
