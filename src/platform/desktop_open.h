#pragma once
// Opening a file in the desktop's default viewer (the log file from the Tools menu).
#include <string>

namespace ferrolin::platform {

// The program that opens documents on this desktop.
inline constexpr char kDesktopOpener[] = "xdg-open";

// The desktop entry (e.g. "org.gnome.TextEditor.desktop") that opens path's kind of file
// in a window of its own, as xdg-mime names it; empty when there is none, or when it is a
// program that runs in a terminal (which a window cannot give it).
std::string WindowedViewerFor(const std::string& path);

// Starts kDesktopOpener on path in the background and does not wait for the viewer.
// False when the opener is not installed or cannot be started.
bool OpenWithDesktopViewer(const std::string& path);

}  // namespace ferrolin::platform
