// "run": one run of the whole job list, as the button "Manual (no messages)" does it,
// between "Program started" and "Program closed". SIGINT and SIGTERM act as the Cancel
// button. Exit status: 0 when every file went through and no job was cut short, 1
// otherwise, 130 after a cancel.
#include <chrono>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/stop_signals.h"
#include "common/log.h"
#include "station/run_driver.h"
#include "station/station_config.h"

namespace ferrolin::cli {

namespace {

constexpr int kExitCancelled = 130;
// How often processing messages looks for a stop signal: often enough for the operator,
// rarely enough to cost nothing in a run over many small files.
constexpr auto kSignalCheckInterval = std::chrono::milliseconds(20);

}  // namespace

int RunRunCommand(const Args& args) {
    if (!args.empty()) return UsageError("run takes no arguments");
    StopSignals stopSignals;  // before any thread starts, so every thread blocks them
    CliSession session;
    Station& station = session.station();
    const CancelToken& cancel = station.Copy.Cancel;

    auto nextCheck = std::chrono::steady_clock::now();
    session.surfaces().SetMessageHandler([&] {
        const auto now = std::chrono::steady_clock::now();
        if (now < nextCheck) return;
        nextCheck = now + kSignalCheckInterval;
        if (!cancel.Cancelled() && stopSignals.Pending()) CancelRun(station);
    });

    ReadConfig(station);
    WriteLog(0, station.LogFile, "Program started");
    station.RunMode = RM_Idle;
    if (!stopSignals.Pending()) RunAllJobsManually(station, false);
    if (!cancel.Cancelled() && stopSignals.Pending()) CancelRun(station);
    WriteLog(0, station.LogFile, "Program closed");

    if (cancel.Cancelled()) return kExitCancelled;
    return station.FailedFiles == 0 && station.JobsCutShort == 0 ? 0 : 1;
}

}  // namespace ferrolin::cli
