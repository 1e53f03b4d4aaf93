#pragma once
// The peak resident memory of this process, and a reset of that peak (Linux).
#include <fstream>
#include <string>

namespace ferrolin::test {

// Starts a new peak measurement; false where the kernel does not offer it.
inline bool ResetPeakMemory() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear);
}

// VmHWM in KiB.
inline long PeakMemoryKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

// VmRSS in KiB.
inline long CurrentMemoryKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

}  // namespace ferrolin::test
