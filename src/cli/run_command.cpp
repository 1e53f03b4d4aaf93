// "run": one run of the whole job list, as the button "Manual (no messages)" does it,
// between "Program started" and "Program closed". SIGINT and SIGTERM act as the Cancel
// button. Exit status: 0 when every file went through and no job was cut short, 1
// otherwise (a source that could not be listed, a log that could not be written), 2 for a
// program folder that does not exist, 3 when another run holds the program folder (busy:
// try later; nothing was touched), 130 after a cancel. With --json the run's record (the
// line Runs.jsonl got) is printed on standard output at the end. On a terminal the
// progress is one line redrawn in place.
// With --dry-run (alone) nothing is run: every checked job's source is listed, every
// decision is taken, and the plan is printed on standard output: a line naming each job,
// one line per action, the job's failures, and a summary line with the counts. Nothing is
// written anywhere (no log line, no record, no run lock). Exit status 0 when no job of the
// plan would fail, 1 when one would, 2 for a program folder that does not exist.
#include <chrono>
#include <iostream>
#include <optional>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/program_folder.h"
#include "cli/stop_signals.h"
#include "common/log.h"
#include "station/dry_run.h"
#include "station/run_driver.h"
#include "station/run_gate.h"
#include "station/station_config.h"
#include "station/station_start.h"

namespace ferrolin::cli {

namespace {

constexpr int kExitCancelled = 130;
constexpr int kExitBusy = 3;
// How often processing messages looks for a stop signal: often enough for the operator,
// rarely enough to cost nothing in a run over many small files.
constexpr auto kSignalCheckInterval = std::chrono::milliseconds(20);

int RunDryRun() {
    const std::string programDir = DefaultProgramDir();
    if (const int rc = CheckProgramFolder(programDir); rc != 0) return rc;
    StopSignals stopSignals;
    CliSession session(false, true);
    Station& station = session.station();
    const auto interrupt = stopSignals.React([&station] { InterruptRun(station); });
    const std::vector<JobPlan> plans = PlanJobList(station);
    for (const JobPlan& job : plans) {
        std::cout << JobPlanHeading(job) << "\n";
        for (const PlanAction& action : job.plan.actions)
            std::cout << "  " << PlanActionLine(action) << "\n";
        for (const std::string& line : JobPlanFailureLines(job)) std::cout << "  " << line << "\n";
    }
    std::cout << PlanSummaryLine(plans) << std::endl;
    if (station.Copy.Cancel.Cancelled()) return kExitCancelled;
    return PlansFail(plans) || IniFileProblem(station.IniFilename) != 0 ? 1 : 0;
}

// The run lock while it is held (nothing when it is not).
using RunLockHeld = decltype(TryTakeRunLock(std::string()));

// Takes the run lock of the program folder; without it, says why on standard error and
// gives the exit status (busy, or failed).
RunLockHeld TakeRunLockOrSay(const std::string& programDir, int& exitCode) {
    bool busy = false;
    int32_t lockError = 0;
    RunLockHeld runLock = TryTakeRunLock(programDir, &busy, &lockError);
    if (runLock) return runLock;
    if (busy) {
        std::cerr << "ferrolin-cli: a run is active in " << programDir << "; try later\n";
        exitCode = kExitBusy;
    } else {
        std::cerr << "ferrolin-cli: cannot take the run lock " << RunLockPath(programDir) << ": "
                  << ProblemText(lockError) << "\n";
        exitCode = 1;
    }
    return runLock;
}

// One run of the job list under the run lock; its exit status.
int RunJobList(StopSignals& stopSignals, bool printRecord) {
    CliSession session(true);
    Station& station = session.station();
    const CancelToken& cancel = station.Copy.Cancel;
    // A stop reaches a call that waits on a share at once; the run then ends as by Cancel.
    const auto interrupt = stopSignals.React([&station] { InterruptRun(station); });
    bool cancelSeen = false;
    auto noticeStop = [&] {
        if (cancelSeen || !stopSignals.Pending()) return;
        cancelSeen = true;
        CancelRun(station);
    };

    auto nextCheck = std::chrono::steady_clock::now();
    session.surfaces().SetMessageHandler([&] {
        const auto now = std::chrono::steady_clock::now();
        if (now < nextCheck) return;
        nextCheck = now + kSignalCheckInterval;
        noticeStop();
    });

    station.Sessions.AttachFtpSurfaces(station.surfaces());
    ReadConfig(station);
    bool logWritten = WriteLog(0, station.LogFile, "Program started");
    // A pipe, a device or a huge file in the INI's place reads as no jobs: not a success.
    const int32_t iniProblem = IniFileProblem(station.IniFilename);
    if (iniProblem != 0)
        WriteLog(0, station.LogFile, station.IniFilename + " not read: " + ProblemText(iniProblem));
    station.RunMode = RM_Idle;
    if (!stopSignals.Pending()) RunAllJobsManually(station, false, RunTrigger::Cli);
    noticeStop();
    logWritten = WriteLog(0, station.LogFile, "Program closed") && logWritten;
    if (!logWritten) {
        // Said once, where the operator looks when the log is silent.
        session.surfaces().AppendError("Unable to write the log file " + station.LogFile);
    }

    if (printRecord && station.Recorder.LastRun())
        std::cout << RunRecordJson(*station.Recorder.LastRun()) << std::endl;

    if (cancel.Cancelled()) return kExitCancelled;
    return station.Log.FailedFiles == 0 && station.Log.JobsCutShort == 0 && logWritten &&
                   iniProblem == 0
               ? 0
               : 1;
}

}  // namespace

int RunRunCommand(const Args& args) {
    if (args.size() == 1 && args[0] == "--dry-run") return RunDryRun();
    const bool printRecord = args.size() == 1 && args[0] == "--json";
    if (!args.empty() && !printRecord)
        return UsageError("run takes no arguments but --json, or --dry-run alone");
    StopSignals stopSignals;  // before any thread starts, so every thread blocks them
    const std::string programDir = DefaultProgramDir();
    if (const int rc = CheckProgramFolder(programDir); rc != 0) return rc;
    // Before anything in the folder is touched: one run at a time.
    int exitCode = 0;
    const auto runLock = TakeRunLockOrSay(programDir, exitCode);
    if (!runLock) return exitCode;
    return RunJobList(stopSignals, printRecord);
}

}  // namespace ferrolin::cli
