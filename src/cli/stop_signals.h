#pragma once
// SIGINT and SIGTERM as requests the program picks up when it is ready (between files,
// while idle), instead of ending it in the middle of a write. While an object lives the
// two signals are blocked and waited for; the old mask comes back when it goes.
#include <chrono>

#include <signal.h>

namespace ferrolin::cli {

class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Waits up to timeout for a stop signal; true when one arrived (now or before).
    bool WaitFor(std::chrono::milliseconds timeout);
    // True when a stop signal arrived; does not wait.
    bool Pending() { return WaitFor(std::chrono::milliseconds(0)); }

private:
    sigset_t signals_;
    sigset_t previous_;
    bool received_ = false;
};

}  // namespace ferrolin::cli
