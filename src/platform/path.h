#pragma once
// Path rules of this platform.
#include <cstddef>
#include <string>
#include <string_view>

namespace ferrolin::platform {

inline constexpr char kPathSeparator = '/';
// The longest name a file system here accepts for one folder entry, in bytes.
inline constexpr size_t kMaxFileNameBytes = 255;

// A share path is one that begins with two separators: //server/share/...
bool IsSharePath(std::string_view path);

// dir + "/" + name, without doubling a separator.
std::string JoinPath(std::string_view dir, std::string_view name);

// The folder that holds path: "." for a bare name, "/" for a file in the root.
std::string FolderOf(const std::string& path);

}  // namespace ferrolin::platform
