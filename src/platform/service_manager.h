#pragma once
// Telling the service manager (systemd) how the service is doing: ready, a status line,
// the watchdog's "still alive", stopping. Outside a service (no NOTIFY_SOCKET) every call
// does nothing.
#include <chrono>
#include <optional>
#include <string_view>

namespace ferrolin::platform {

// Sends one or more "NAME=value" lines; true when the service manager got them.
bool NotifyServiceManager(std::string_view state);

// How often the service manager expects "WATCHDOG=1" (WatchdogSec= of the unit), or
// nothing when it does not watch this process.
std::optional<std::chrono::microseconds> ServiceWatchdogInterval();

}  // namespace ferrolin::platform
