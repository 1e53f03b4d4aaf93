#pragma once
// Symbolic links: this system's counterpart of a shortcut file.
#include <string>

namespace ferrolin::platform {

// Creates a symbolic link at linkPath pointing to target, replacing an existing link or
// file of that name in one step. False on failure (errno set).
bool CreateSymbolicLink(const std::string& target, const std::string& linkPath);

}  // namespace ferrolin::platform
