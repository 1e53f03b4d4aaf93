#include "station/service_notes.h"

#include "common/datetime_format.h"
#include "platform/service_manager.h"

namespace ferrolin {

ServiceNotes::ServiceNotes() {
    // Twice as often as asked: a run's slow step must not make the manager kill us.
    if (const auto interval = platform::ServiceWatchdogInterval())
        alivePeriod_ = std::chrono::duration_cast<Clock::duration>(*interval) / 2;
}

void ServiceNotes::Ready(const std::string& status) {
    ready_ = true;
    lastStatus_ = status;
    platform::NotifyServiceManager("READY=1\nSTATUS=" + status);
}

void ServiceNotes::Status(const std::string& status) {
    if (status == lastStatus_) return;
    lastStatus_ = status;
    platform::NotifyServiceManager("STATUS=" + status);
}

void ServiceNotes::Alive(Clock::time_point now) {
    // Start-up is short; the pings begin with READY=1, which says the station is open.
    if (!ready_ || !alivePeriod_ || now < nextAlive_) return;
    nextAlive_ = now + *alivePeriod_;
    platform::NotifyServiceManager("WATCHDOG=1");
}

void ServiceNotes::Stopping() {
    platform::NotifyServiceManager("STOPPING=1");
}

std::string ServiceNotes::StatusLine(const std::optional<RunRecord>& lastRun, bool autoOn,
                                     const std::optional<TDateTime>& nextStart) {
    std::string line = "Last run: ";
    if (lastRun) {
        line += std::string(RunOutcomeName(lastRun->outcome)) + " at " +
                LocalMomentText(lastRun->end) + ", " + std::to_string(lastRun->FailedJobs()) +
                " of " + std::to_string(lastRun->jobs.size()) + " jobs not ok";
    } else {
        line += "none recorded";
    }
    line += "; next start: ";
    line += autoOn && nextStart ? DateTimeToStr(*nextStart) : "none (automatic mode is off)";
    return line;
}

}  // namespace ferrolin
