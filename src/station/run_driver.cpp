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
        if (!JobRefused(station, n, job)) RunTransferJob(station, job);
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
    station.FailedFiles = 0;
    station.JobsCutShort = 0;
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
    if ((station.Transfer == Tran_FTPS || station.Transfer == Tran_FTPR) && station.AbortFtpHook)
        station.AbortFtpHook();
}

void InterruptRun(Station& station) {
    station.Copy.Cancel.Cancel();
    station.Shares.Interrupt();
}

}  // namespace ferrolin
