#include "tests/support/peak_memory.h"

#include <fstream>
#include <string>
#include <sys/resource.h>

namespace qm::test {

namespace {

std::uint64_t StatusKilobytes(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key + ":", 0) == 0)
            return std::stoull(line.substr(key.size() + 1));
    return 0;
}

} // namespace

std::uint64_t PeakGrowthOf(const std::function<void()>& work) {
    std::ofstream("/proc/self/clear_refs") << "5";
    const std::uint64_t before = StatusKilobytes("VmRSS");
    work();
    const std::uint64_t peak = StatusKilobytes("VmHWM");
    return peak > before ? (peak - before) * 1024 : 0;
}

std::uint64_t LargestChildPeak() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;
}

} // namespace qm::test
