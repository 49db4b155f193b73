#pragma once
// Running a program the way a user runs it, for the benchmarks that set whole programs side by
// side: its output is thrown away and its CPU time (user and system, start-up included) is what
// the kernel charged it.

#include <string>
#include <vector>

namespace qm::bench {

struct TChildRun {
    double cpuSeconds = 0;
    bool ok = false; // it ran and exited 0
};

// Runs `args` (the program first, looked up on PATH) to its end.
TChildRun RunChild(const std::vector<std::string>& args);

} // namespace qm::bench
