#include "platform/service_manager.h"

#include <systemd/sd-daemon.h>

#include <string>

namespace ferrolin::platform {

bool NotifyServiceManager(std::string_view state) {
    const std::string text(state);
    return sd_notify(0, text.c_str()) > 0;
}

std::optional<std::chrono::microseconds> ServiceWatchdogInterval() {
    uint64_t microseconds = 0;
    if (sd_watchdog_enabled(0, &microseconds) <= 0 || microseconds == 0) return std::nullopt;
    return std::chrono::microseconds(microseconds);
}

}  // namespace ferrolin::platform
