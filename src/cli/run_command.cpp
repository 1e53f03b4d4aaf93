// "run": one run of the whole job list, as the button "Manual (no messages)" does it,
// between "Program started" and "Program closed". SIGINT and SIGTERM act as the Cancel
// button. Exit status: 0 when every file went through and no job was cut short, 1
// otherwise, 130 after a cancel.
#include <chrono>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/stop_signals.h"
#include "common/datetime_format.h"
#include "common/log.h"
#include "engine/run_job.h"
#include "files/log_folder.h"
#include "files/mpeg_check.h"
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
    ApplyDateTimeFormats();
    CliSession session;
    Station& station = session.station();
    SetFilesLogFolder(station.ProgramDir);
    const std::string mpegLoad = MpegLoadLogText(LoadMpegLibraries(station.ProgramDir));

    auto nextCheck = std::chrono::steady_clock::now();
    session.surfaces().SetMessageHandler([&] {
        const auto now = std::chrono::steady_clock::now();
        if (now < nextCheck) return;
        nextCheck = now + kSignalCheckInterval;
        if (!station.Abbrechen && stopSignals.Pending()) CancelRun(station);
    });

    if (!mpegLoad.empty()) WriteLog(0, station.LogFile, mpegLoad);
    ReadConfig(station);
    WriteLog(0, station.LogFile, "Program started");
    station.RunMode = RM_Idle;
    if (!stopSignals.Pending()) RunAllJobsManually(station, false);
    if (!station.Abbrechen && stopSignals.Pending()) CancelRun(station);
    WriteLog(0, station.LogFile, "Program closed");
    UnloadMpegLibraries();

    if (station.Abbrechen) return kExitCancelled;
    return station.FailedFiles == 0 && station.JobsCutShort == 0 ? 0 : 1;
}

}  // namespace ferrolin::cli
