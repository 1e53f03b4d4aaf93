#pragma once
// Path rules of this platform.
#include <string>
#include <string_view>

namespace ferrolin::platform {

inline constexpr char kPathSeparator = '/';

// A share path is one that begins with two separators: //server/share/...
bool IsSharePath(std::string_view path);

// dir + "/" + name, without doubling a separator.
std::string JoinPath(std::string_view dir, std::string_view name);

// The folder that holds path: "." for a bare name, "/" for a file in the root.
std::string FolderOf(const std::string& path);

}  // namespace ferrolin::platform
