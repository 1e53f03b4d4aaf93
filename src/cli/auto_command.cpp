// "auto": the headless station. Start-up set-up, "Auto" on for this process (not saved),
// AutoModeTimer every second and WatchdogTimer every 100 ms until SIGINT or SIGTERM, which act as
// Cancel and then end the program with "Program closed". Under systemd (Type=notify) it says
// READY=1 once the station is open, STATUS= with the last run and the next start whenever
// they change, WATCHDOG=1 from its loop and from a run's message processing when the unit
// asks for it, and STOPPING=1 on the way out.
#include <algorithm>
#include <chrono>
#include <iostream>
#include <memory>
#include <string>

#include "cli/auto_surfaces.h"
#include "cli/commands.h"
#include "cli/program_folder.h"
#include "cli/stop_signals.h"
#include "common/log.h"
#include "station/run_driver.h"
#include "station/run_gate.h"
#include "station/service_notes.h"
#include "station/station_start.h"

namespace ferrolin::cli {
namespace {

using SteadyClock = std::chrono::steady_clock;
constexpr auto kWatchdogInterval = std::chrono::milliseconds(100);

std::chrono::milliseconds Until(SteadyClock::time_point due) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(due - SteadyClock::now());
    return std::max(left, std::chrono::milliseconds(0));
}

// The running station's loop: auto-mode ticks, watchdog ticks and the service manager's
// notes until a stop signal arrives.
class AutoLoop {
  public:
    AutoLoop(Station& station, AutoSurfaces& surfaces, StopSignals& stopSignals)
        : station_(station), stopSignals_(stopSignals) {
        // During a run, processing messages is where the watchdog ticks and a stop arrives.
        surfaces.SetMessageHandler([this] {
            if (stopSignals_.Pending()) NoticeStop();
            ServeWatchdog();
            service_.Alive();
        });
    }

    void Run() {
        AutoMode& autoMode = station_.Automatic();
        autoMode.StartupSetup();
        autoMode.SetAuto(true);
        service_.Ready(StatusLine());
        auto nextAutoModeTick = NextAutoModeTick();
        while (!stopping_) {
            if (stopSignals_.WaitFor(Until(std::min(nextAutoModeTick, nextWatchdogTick_)))) {
                NoticeStop();
                break;
            }
            ServeWatchdog();
            service_.Alive();
            if (SteadyClock::now() < nextAutoModeTick) continue;
            // While another process runs on this program folder, the tick waits for the
            // next one.
            if (const auto runLock = TryTakeRunLock(station_.ProgramDir)) autoMode.AutoModeTick();
            nextAutoModeTick = NextAutoModeTick();
            service_.Status(StatusLine());
        }
        service_.Stopping();
    }

  private:
    void NoticeStop() {
        if (stopping_) return;
        stopping_ = true;
        CancelRun(station_);
    }

    void ServeWatchdog() {
        if (SteadyClock::now() < nextWatchdogTick_) return;
        nextWatchdogTick_ = SteadyClock::now() + kWatchdogInterval;
        station_.Dog().WatchdogTick();
    }

    SteadyClock::time_point NextAutoModeTick() {
        return SteadyClock::now() +
               std::chrono::milliseconds(station_.Automatic().AutoModeIntervalMs());
    }

    std::string StatusLine() const {
        return ServiceNotes::StatusLine(station_.Recorder.LastRun(), station_.Options.autoMode,
                                        station_.NextStart);
    }

    Station& station_;
    StopSignals& stopSignals_;
    ServiceNotes service_;
    bool stopping_ = false;
    SteadyClock::time_point nextWatchdogTick_ = SteadyClock::now();
};

}  // namespace

int RunAutoCommand(const Args& args) {
    if (!args.empty()) return UsageError("auto takes no arguments");
    StopSignals stopSignals;  // before any thread starts, so every thread blocks them
    StationStart start = ProgramStart();
    start.programDir = DefaultProgramDir();
    if (const int rc = CheckProgramFolder(start.programDir); rc != 0) return rc;

    AutoSurfaces surfaces(std::cerr, std::cout);
    const std::unique_ptr<Station> opened = OpenStation(start, surfaces);
    Station& station = *opened;
    // A stop reaches a call that waits on a share at once; the run then ends as by Cancel.
    const auto interrupt = stopSignals.React([&station] { InterruptRun(station); });
    AutoLoop(station, surfaces, stopSignals).Run();
    WriteLog(0, station.LogFile, "Program closed");
    std::cerr << "Program closed\n";
    return 0;
}

}  // namespace ferrolin::cli
