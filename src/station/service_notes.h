#pragma once
// What the headless station tells the service manager: READY=1 once it is open, a STATUS=
// line with the last run's outcome and the next start whenever either changes, WATCHDOG=1
// at half the interval the unit's WatchdogSec= asks for, and STOPPING=1 on the way out.
// Outside a service every call does nothing.
#include <chrono>
#include <optional>
#include <string>

#include "common/datetime.h"
#include "station/run_record.h"

namespace ferrolin {

class ServiceNotes {
  public:
    using Clock = std::chrono::steady_clock;

    ServiceNotes();

    void Ready(const std::string& status);
    // Sends the status line when it differs from the last one sent.
    void Status(const std::string& status);
    // Called often (the main loop, a run's message processing): says "alive" when due.
    void Alive(Clock::time_point now = Clock::now());
    void Stopping();

    // "Last run: failed at 12.05.2024 14:00:05, 1 of 2 jobs not ok; next start: 12.05.2024
    // 14:10:00"
    static std::string StatusLine(const std::optional<RunRecord>& lastRun, bool autoOn,
                                  const std::optional<TDateTime>& nextStart);

  private:
    std::optional<Clock::duration> alivePeriod_;
    Clock::time_point nextAlive_{};
    std::string lastStatus_;
    bool ready_ = false;
};

}  // namespace ferrolin
