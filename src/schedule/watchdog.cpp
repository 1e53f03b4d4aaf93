#include "schedule/watchdog.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "common/datetime_format.h"
#include "common/log.h"
#include "schedule/schedule_context.h"

namespace ferrolin {
namespace {

// The watchdog's remaining time as "nn:ss".
std::string FormatMinutesSeconds(long long ms) {
    const long long seconds = ms / 1000;
    char text[48];
    std::snprintf(text, sizeof(text), "%02lld:%02lld", seconds / 60, seconds % 60);
    return text;
}

}  // namespace

Watchdog::Watchdog(ScheduleContext& station, platform::ProcessControl& process)
    : station_(station), process_(process) {}

void Watchdog::ShowCaption(const std::string& caption) {
    if (station_.ConnectedCaption == caption) return;
    station_.ConnectedCaption = caption;
    station_.surfaces().SetConnectedCaption(caption);
}

void Watchdog::WatchdogTick() {
    // A modal question asked inside a tick lets the timer fire again; that tick waits.
    if (inTick_) return;
    inTick_ = true;
    Watch();
    RefreshGauge();
    inTick_ = false;
}

void Watchdog::Watch() {
    ScheduleContext& s = station_;
    // A connection raised without the box's handler still gets its start time.
    if (s.Connected && !s.ConnectedSeen) s.ConnectionOpened = s.clock().Now();
    s.ConnectedSeen = s.Connected;

    const bool armed =
        s.Options.autoMode && !s.Editing && s.Connected && s.Options.timeoutControl > TC_None;
    if (!armed) {
        ShowCaption("connected");
        lastAttempt_ = 0;
        privilegeMessageShown_ = false;
        return;
    }
    const std::optional<TDateTime> limit = StrToTime("00:" + s.Options.rebootAfterTimeout);
    if (limit && std::llround(*limit * 86400000.0) == 0) {
        ShowCaption("connected");  // "00:00": the watchdog is off
        return;
    }
    // A limit that does not read as minutes and seconds shows 00:00 and never acts.
    const long long remainingMs =
        limit ? std::llround((s.ConnectionOpened + *limit - s.clock().Now()) * 86400000.0) : 0;
    if (remainingMs >= 0) {
        ShowCaption("Timeout " + FormatMinutesSeconds(remainingMs));
        return;
    }
    TimeoutReached();
}

void Watchdog::TimeoutReached() {
    // The log line, then the request, then the end of the process; once per request.
    if (restartPending_) return;
    const TDateTime now = station_.clock().Now();
    if (lastAttempt_ != 0 && now - lastAttempt_ < kRestartRetryDelay) return;
    lastAttempt_ = now;

    if (station_.Options.timeoutControl == TC_RestartSoftware) {
        WriteLog(station_.clock(), 0, station_.LogFile, "Software restart because of timeout");
        if (SelfRestart()) {
            restartPending_ = true;
            process_.EndProcess(process_.SelfRestartExitCode());
        }
    } else if (station_.Options.timeoutControl == TC_RestartComputer) {
        WriteLog(station_.clock(), 0, station_.LogFile, "Reboot because of timeout");
        if (RestartComputer()) restartPending_ = true;
    }
}

bool Watchdog::SelfRestart() { return process_.SelfRestart(station_.ProgramDir); }

bool Watchdog::RestartComputer() {
    if (!process_.EnableShutdownPrivilege()) {
        // Shown once per timeout: the retries that follow only log.
        if (!privilegeMessageShown_) {
            privilegeMessageShown_ = true;
            station_.surfaces().Ask("Error",
                                    "Unable to modify security rights for shutdown privileges.",
                                    Buttons::Ok);
        }
        return false;
    }
    return process_.RequestReboot();
}

void Watchdog::RefreshGauge() {
    Surfaces& surfaces = station_.surfaces();
    if (!surfaces.GaugeVisible() || station_.Copy.Status.CopyType.load() == CT_None) return;
    const int position = static_cast<int>(station_.Copy.Status.Position.load());
    surfaces.SetGauge(position < 0 ? 0 : position > 100 ? 100 : position, station_.Copy.Status.StatusStr);
}

}  // namespace ferrolin
