#include "platform/program_dir.h"

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/path.h"

namespace ferrolin::platform {

namespace {

std::string WithoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && path.back() == kPathSeparator) path.pop_back();
    return path;
}

std::string ExecutablePath() {
    std::string buffer(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<size_t>(n) >= buffer.size()) return {};
    buffer.resize(static_cast<size_t>(n));
    return buffer;
}

}  // namespace

std::string DetectProgramDir() {
    if (const char* home = std::getenv("FERROLIN_HOME"); home != nullptr && *home != '\0') {
        return WithoutTrailingSeparators(home);
    }
    const std::string exe = ExecutablePath();
    const auto slash = exe.rfind(kPathSeparator);
    if (slash == std::string::npos) return {};
    if (slash == 0) return std::string(1, kPathSeparator);
    return exe.substr(0, slash);
}

}  // namespace ferrolin::platform
