// "auto": the headless station. Start-up set-up, "Auto" on for this process (not saved),
// AutoModeTimer every second and WatchdogTimer every 100 ms until SIGINT or SIGTERM, which act as
// Cancel and then end the program with "Program closed". Under systemd (Type=notify) it says
// READY=1 once the station is open, STATUS= with the last run and the next start whenever
// they change, WATCHDOG=1 from its loop and from a run's message processing when the unit
// asks for it, and STOPPING=1 on the way out.
#include <algorithm>
#include <chrono>
#include <iostream>

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
    AutoMode& autoMode = station.Automatic();
    Watchdog& watchdog = station.Dog();

    // A stop reaches a call that waits on a share at once; the run then ends as by Cancel.
    const auto interrupt = stopSignals.React([&station] { InterruptRun(station); });
    bool stopping = false;
    auto noticeStop = [&] {
        if (stopping) return;
        stopping = true;
        CancelRun(station);
    };
    ServiceNotes service;
    auto serviceStatus = [&] {
        return ServiceNotes::StatusLine(station.Recorder.LastRun(), station.Options.autoMode,
                                        station.NextStart);
    };
    SteadyClock::time_point nextWatchdogTick = SteadyClock::now();
    auto serveWatchdog = [&] {
        if (SteadyClock::now() < nextWatchdogTick) return;
        nextWatchdogTick = SteadyClock::now() + kWatchdogInterval;
        watchdog.WatchdogTick();
    };
    // During a run, processing messages is where the watchdog ticks and a stop arrives.
    surfaces.SetMessageHandler([&] {
        if (stopSignals.Pending()) noticeStop();
        serveWatchdog();
        service.Alive();
    });

    autoMode.StartupSetup();
    autoMode.SetAuto(true);
    service.Ready(serviceStatus());

    SteadyClock::time_point nextAutoModeTick =
        SteadyClock::now() + std::chrono::milliseconds(autoMode.AutoModeIntervalMs());
    while (!stopping) {
        if (stopSignals.WaitFor(Until(std::min(nextAutoModeTick, nextWatchdogTick)))) {
            noticeStop();
            break;
        }
        serveWatchdog();
        service.Alive();
        if (SteadyClock::now() >= nextAutoModeTick) {
            // While another process runs on this program folder, the tick waits for the
            // next one.
            if (const auto runLock = TryTakeRunLock(station.ProgramDir)) autoMode.AutoModeTick();
            nextAutoModeTick =
                SteadyClock::now() + std::chrono::milliseconds(autoMode.AutoModeIntervalMs());
            service.Status(serviceStatus());
        }
    }
    service.Stopping();
    WriteLog(0, station.LogFile, "Program closed");
    std::cerr << "Program closed\n";
    return 0;
}

}  // namespace ferrolin::cli
