// "auto": the headless station. Start-up set-up, "Auto" on for this process (not saved),
// Timer1 every second and Timer2 every 100 ms until SIGINT or SIGTERM, which act as Cancel
// and then end the program with "Program closed".
#include <chrono>
#include <iostream>

#include "cli/auto_surfaces.h"
#include "cli/commands.h"
#include "cli/stop_signals.h"
#include "common/datetime_format.h"
#include "common/log.h"
#include "files/copy_status.h"
#include "platform/process_control.h"
#include "platform/program_dir.h"
#include "schedule/auto_mode.h"
#include "schedule/config_weekday_store.h"
#include "schedule/watchdog.h"
#include "station/legacy_config.h"
#include "station/station.h"

namespace ferrolin::cli {
namespace {

using SteadyClock = std::chrono::steady_clock;
constexpr auto kTimer2Interval = std::chrono::milliseconds(100);

// The Cancel button: automatic mode off, the running job stops at its next check, no
// further job of the run starts.
void CancelRun(Station& station) {
    station.Options.Auto = false;
    CopyCancel = -1;
    station.Abbrechen = true;
}

}  // namespace

int RunAutoCommand(const Args& args) {
    if (!args.empty()) return UsageError("auto takes no arguments");
    StopSignals stopSignals;
    ApplyDateTimeFormats();

    AutoSurfaces surfaces(std::cerr, std::cout);
    Station station(platform::DetectProgramDir(), surfaces);
    MoveLegacyConfig(station);
    ConfigWeekdayListStore store(station.IniFilename);
    platform::ProcessControl& process = platform::SystemProcessControl();
    AutoMode autoMode(station, store, process);
    Watchdog watchdog(station, process);

    bool stopping = false;
    SteadyClock::time_point nextTimer2 = SteadyClock::now();
    auto serveTimer2 = [&] {
        const SteadyClock::time_point now = SteadyClock::now();
        if (now < nextTimer2) return;
        nextTimer2 = now + kTimer2Interval;
        watchdog.WatchdogTick();
    };
    auto noticeStop = [&] {
        if (stopping) return;
        stopping = true;
        CancelRun(station);
    };
    // Inside a run, processing messages is where the watchdog ticks and a stop arrives.
    surfaces.SetMessagePump([&] {
        if (stopSignals.Pending()) noticeStop();
        serveTimer2();
    });

    autoMode.StartupSetup();
    autoMode.SetAuto(true);

    SteadyClock::time_point nextTimer1 =
        SteadyClock::now() + std::chrono::milliseconds(autoMode.Timer1IntervalMs());
    while (!stopping) {
        const SteadyClock::time_point due = std::min(nextTimer1, nextTimer2);
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
            due - SteadyClock::now() + std::chrono::microseconds(999));
        if (stopSignals.WaitFor(wait)) {
            noticeStop();
            break;
        }
        serveTimer2();
        if (SteadyClock::now() >= nextTimer1) {
            autoMode.AutoModeTick();
            nextTimer1 = SteadyClock::now() + std::chrono::milliseconds(autoMode.Timer1IntervalMs());
        }
    }
    WriteLog(0, station.LogFile, "Program closed");
    std::cerr << "Program closed\n";
    return 0;
}

}  // namespace ferrolin::cli
