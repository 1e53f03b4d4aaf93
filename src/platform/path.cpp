#include "platform/path.h"

namespace ferrolin::platform {

bool IsSharePath(std::string_view path) {
    return path.size() >= 2 && path[0] == kPathSeparator && path[1] == kPathSeparator;
}

std::string JoinPath(std::string_view dir, std::string_view name) {
    if (dir.empty()) return std::string(name);
    std::string result(dir);
    const bool dirEnds = result.back() == kPathSeparator;
    const bool nameStarts = !name.empty() && name.front() == kPathSeparator;
    if (dirEnds && nameStarts) {
        name.remove_prefix(1);
    } else if (!dirEnds && !nameStarts) {
        result += kPathSeparator;
    }
    result += name;
    return result;
}

}  // namespace ferrolin::platform
