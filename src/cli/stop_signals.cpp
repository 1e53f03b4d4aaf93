#include "cli/stop_signals.h"

#include <cerrno>
#include <ctime>

namespace ferrolin::cli {

StopSignals::StopSignals() {
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGINT);
    sigaddset(&signals_, SIGTERM);
    sigprocmask(SIG_BLOCK, &signals_, &previous_);
}

StopSignals::~StopSignals() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }

bool StopSignals::WaitFor(std::chrono::milliseconds timeout) {
    if (received_) return true;
    const long long ms = timeout.count() < 0 ? 0 : timeout.count();
    timespec wait{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (true) {
        const int got = sigtimedwait(&signals_, nullptr, &wait);
        if (got == SIGINT || got == SIGTERM) {
            received_ = true;
            return true;
        }
        // EINTR: another signal (a child ending); the remaining wait is short enough to
        // start over without harm.
        if (got < 0 && errno == EINTR) continue;
        return false;
    }
}

}  // namespace ferrolin::cli
