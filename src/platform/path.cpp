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

std::string FolderOf(const std::string& path) {
    const size_t pos = path.find_last_of(kPathSeparator);
    if (pos == std::string::npos) return ".";
    if (pos == 0) return std::string(1, kPathSeparator);
    return path.substr(0, pos);
}

}  // namespace ferrolin::platform
