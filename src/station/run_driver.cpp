#include "station/run_driver.h"

#include "common/log.h"
#include "engine/job_guards.h"
#include "engine/run_job.h"
#include "engine/run_texts.h"
#include "station/alarm_delivery.h"
#include "station/station_config.h"

namespace ferrolin {

namespace {

constexpr uint32_t kManualRunLogLimit = 2000000;

// The clock synchronisation before a job's transfer, when one is due.
void SyncClockIfDue(Station& station) {
    Surfaces& surfaces = station.surfaces();
    if (station.SyncTimeNow) {
        surfaces.SetStatusText("Try sync time...");
        surfaces.ProcessMessages();
        surfaces.SetStatusText(station.TimeSync.SyncCheck() == 0 ? "sync time successful"
                                                                 : "sync time failed");
    }
    station.SyncTimeNow = false;
}

}  // namespace

void SelectJob(Station& station, int n) {
    station.SelectedJob = n;
    station.surfaces().SelectJobLine(n);
}

void RunJob(Station& station, uint16_t n) {
    Surfaces& surfaces = station.surfaces();
    surfaces.SetJobListEnabled(false);
    SelectJob(station, n);
    ReadJob(station, n);
    // The settings just read, for the whole job; folders in the one form they are compared in.
    const TransferJob job = WithNormalFolders(station.Editor);
    const bool checked = n < station.Jobs.size() && station.Jobs[n].checked;
    if (checked) {
        station.Recorder.BeginJob(n, job);
        if (!JobRefused(station.Log, station.IniFilename, n, job)) {
            station.RunningKind = ChooseTransferKind(job);
            RunContext run = station.Context();
            RunTransferJob(run, station.Line, station.RunningKind, job,
                           [&station] { SyncClockIfDue(station); });
        }
        station.Recorder.EndJob();
    }
    surfaces.SetJobListEnabled(true);
}

RunOutcome FinishRun(Station& station) {
    const RunRecord record = station.Recorder.EndRun();
    AlarmAfterRun(station, record, station.Recorder.PreviousOutcome());
    return record.outcome;
}

void RunAllJobsManually(Station& station, bool withMessages, std::optional<RunTrigger> trigger) {
    Surfaces& surfaces = station.surfaces();
    station.Recorder.BeginRun(
        trigger.value_or(withMessages ? RunTrigger::Manual : RunTrigger::ManualQuiet));
    surfaces.SetNextStartText("working...");
    WriteLog(0, station.LogFile, "", kManualRunLogLimit);
    station.RunMode = withMessages ? RM_Interactive : RM_Unattended;
    surfaces.SetCancelVisible(true);
    station.Log.FailedFiles = 0;
    station.Log.JobsCutShort = 0;
    station.Copy.Cancel.Reset();
    station.Shares.Resume();
    const size_t count = station.Jobs.size();
    for (size_t n = 0; n < count && n <= UINT16_MAX; ++n) {
        if (station.Copy.Cancel.StopRequested()) break;
        RunJob(station, static_cast<uint16_t>(n));
    }
    if (withMessages && station.AfterManualRunHook) station.AfterManualRunHook();
    const RunOutcome outcome = FinishRun(station);
    SelectJob(station, -1);
    surfaces.SetNextStartText(RunEndText(outcome));
    surfaces.SetCancelVisible(false);
    station.RunMode = RM_Idle;
}

void CancelRun(Station& station) {
    station.Options.autoMode = false;
    station.Copy.Cancel.Cancel();
    // A share copy waiting on a server that stopped answering ends now, not after the
    // server's time-out for every call still to come.
    station.Shares.Interrupt();
    // A remote transfer of the job that runs (or ran last) stops at once, not at its end.
    station.RunningKind.Abort(station.Sessions);
}

void InterruptRun(Station& station) {
    station.Copy.Cancel.Cancel();
    station.Shares.Interrupt();
}

}  // namespace ferrolin
