#include "engine/path_guard.h"

#include "platform/path.h"

namespace ferrolin {

namespace {

constexpr char kSep = platform::kPathSeparator;

}  // namespace

std::string NormalisePath(std::string_view path) {
    if (path.empty() || path.front() != kSep || path.find("://") != std::string_view::npos)
        return std::string(path);
    const bool share = platform::IsSharePath(path);
    std::string result(share ? 2 : 1, kSep);
    size_t pos = 0;
    while (pos < path.size()) {
        size_t end = path.find(kSep, pos);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view level = path.substr(pos, end - pos);
        if (!level.empty() && level != ".") {
            if (result.back() != kSep) result += kSep;
            result += level;
        }
        pos = end + 1;
    }
    return result;
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

bool HasParentLevel(std::string_view path) {
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t end = path.find(kSep, pos);
        if (end == std::string_view::npos) end = path.size();
        if (path.substr(pos, end - pos) == "..") return true;
        pos = end + 1;
    }
    return false;
}

bool IsNormalAbsolutePath(std::string_view path) {
    return !path.empty() && path.front() == kSep && !HasParentLevel(path) &&
           !HasLineBreak(path) && NormalisePath(path) == path;
}

bool LiesBelow(std::string_view path, std::string_view folder) {
    const std::string p = NormalisePath(path);
    const std::string f = NormalisePath(folder);
    if (f.empty() || p.size() <= f.size() || p.compare(0, f.size(), f) != 0) return false;
    return f.back() == kSep || p[f.size()] == kSep;
}

}  // namespace ferrolin
