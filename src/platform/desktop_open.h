#pragma once
// Opening a file in the desktop's default viewer (the log file from the Tools menu).
#include <string>

namespace ferrolin::platform {

// The program that opens documents on this desktop.
inline constexpr char kDesktopOpener[] = "xdg-open";

// Starts kDesktopOpener on path in the background and does not wait for the viewer.
// False when the opener is not installed or cannot be started.
bool OpenWithDesktopViewer(const std::string& path);

}  // namespace ferrolin::platform
