#pragma once
// The WatchdogTimer tick, every 100 ms: the timeout watchdog over the current job's connection in
// automatic mode, and the refresh of the progress gauge from the copier's status record.
#include "common/datetime.h"
#include "platform/process_control.h"

namespace ferrolin {

class ScheduleContext;

// Watchdog actions (the "TimeoutControl" choice).
enum TimeoutControls : uint8_t {
    TC_None = 0,
    TC_RestartSoftware = 1,
    TC_RestartComputer = 2,
};

// A failed restart request is tried again no sooner than this (the log line with it), so a
// refused request does not write a log line every 100 ms.
inline constexpr TDateTime kRestartRetryDelay = 60 * kOneSecond;

class Watchdog {
public:
    Watchdog(ScheduleContext& station, platform::ProcessControl& process);

    void WatchdogTick();

    // Asks the system for a restart: the privilege check first, with its message.
    bool RestartComputer();
    // Restarts the program through the helper script; true when it is on its way.
    bool SelfRestart();

    // A restart was requested successfully and the process is waiting to be ended.
    bool RestartPending() const { return restartPending_; }

private:
    void Watch();
    void TimeoutReached();
    void RefreshGauge();
    void ShowCaption(const std::string& caption);

    ScheduleContext& station_;
    platform::ProcessControl& process_;
    bool inTick_ = false;
    bool restartPending_ = false;
    TDateTime lastAttempt_ = 0;  // 0: no failed attempt since the watchdog was armed
    bool privilegeMessageShown_ = false;
};

}  // namespace ferrolin
