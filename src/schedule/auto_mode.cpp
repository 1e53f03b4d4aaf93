#include "schedule/auto_mode.h"

#include <chrono>
#include <exception>
#include <thread>
#include <utility>

#include "common/log.h"
#include "engine/run_texts.h"
#include "schedule/next_start.h"
#include "schedule/schedule_context.h"

namespace ferrolin {
namespace {

constexpr uint32_t kDayChangeLogLimit = 1000000;
constexpr int kJobPauseMs = 100;
constexpr char kAutoOffText[] = "Auto off";

// The AutoModeTimer switch: off for the whole tick, on again however the tick ends.
class TickGuard {
  public:
    explicit TickGuard(bool& inTick) : inTick_(inTick) { inTick_ = true; }
    ~TickGuard() { inTick_ = false; }
    TickGuard(const TickGuard&) = delete;
    TickGuard& operator=(const TickGuard&) = delete;

  private:
    bool& inTick_;
};

}  // namespace

AutoMode::AutoMode(ScheduleContext& station, WeekdayListStore& store,
                   platform::ProcessControl& process, AutoModeHooks hooks)
    : station_(station), store_(store), process_(process), hooks_(std::move(hooks)) {
    station_.AfterManualRunHook = [this] { UpdateNextStartAfterManualRun(); };
}

AutoMode::~AutoMode() {
    station_.AfterManualRunHook = nullptr;
}

void AutoMode::UpdateNextStartAfterManualRun() {
    std::vector<SendTimeProblem> problems;
    const TDateTime next =
        NextStartAfterManualRun(station_.SendTime.Lines(), station_.clock().Now(), &problems);
    ReportScheduleProblems(problems);
    SetNextStart(station_, next);
}

SendTimeSettings SendTimeSettingsOf(const GlobalOptions& options) {
    SendTimeSettings settings;
    settings.enhanced = options.sendTimeMode == 1;
    settings.absolute = options.absoluteSendTime;
    settings.simpleInterval = options.sendTimeSimpleInterval;
    return settings;
}

void AutoMode::ReportScheduleProblems(const std::vector<SendTimeProblem>& problems) {
    for (const SendTimeProblem& problem : problems) {
        if (!reported_.insert(problem.line + '\n' + problem.reason).second) continue;
        WriteLog(station_.clock(), 0, station_.LogFile,
                 "Send time line \"" + problem.line + "\" not used: " + problem.reason);
    }
}

TDateTime AutoMode::ComputeNextSendTime() {
    std::vector<SendTimeProblem> problems;
    const TDateTime next =
        NextSendTime(SendTimeSettingsOf(station_.Options), station_.SendTime.LinesForSchedule(),
                     station_.clock().Now(), &problems);
    ReportScheduleProblems(problems);
    return next;
}

void AutoMode::StartupSetup() {
    if (station_.RunMode != RM_Starting) return;
    station_.Sessions.AttachFtpSurfaces(station_.surfaces());
    if (hooks_.readConfig) hooks_.readConfig();
    WriteLog(station_.clock(), 0, station_.LogFile, "Program started");
    if (hooks_.armTimeSync) hooks_.armTimeSync();
    ChangeWeekday(station_.clock().Now());
    if (station_.Options.autoMode) {
        const TDateTime next = ComputeNextSendTime();
        SetNextStart(station_, next);
        station_.surfaces().SetNextStartText(FormatCountdown(next - station_.clock().Now()));
    } else {
        // Not the label's design-time name: what an operator needs to know before a run.
        station_.surfaces().SetNextStartText(kAutoOffText);
    }
    station_.RunMode = RM_Idle;
    timer1IntervalMs_ = 1000;
}

void AutoMode::SetAuto(bool on) {
    station_.Options.autoMode = on;
    scanStart_ = false;
    if (on && station_.RunMode != RM_Starting) SetNextStart(station_, ComputeNextSendTime());
    // Outside a run the big label says that nothing will start by itself.
    if (!on && station_.RunMode == RM_Idle) station_.surfaces().SetNextStartText(kAutoOffText);
}

void AutoMode::ChangeWeekday(TDateTime now) {
    // May ask "Save changes ?" and wait for the answer: no run starts meanwhile. A list
    // that cannot be saved is reported; the automatic mode goes on with the lines shown.
    try {
        station_.SendTime.SelectDay(WeekdayIndexOf(now), store_, station_.surfaces());
    } catch (const std::exception& error) {
        station_.surfaces().AppendError(error.what());
    }
}

void AutoMode::DayChange(TDateTime now) {
    ChangeWeekday(now);
    if (hooks_.armTimeSync) hooks_.armTimeSync();
    station_.LastDayChange = DateOf(now);
    scanStart_ = false;
    SetNextStart(station_, ComputeNextSendTime());
    WriteLog(station_.clock(), 0, station_.LogFile, "Day change", kDayChangeLogLimit);
}

void AutoMode::SpecialScan(TDateTime now) {
    const std::string& folder = station_.SpecialScanFolder;
    // No first job (or no folder in it): nothing to watch. An empty name must not turn into
    // a listing of the root folder.
    const int count =
        folder.empty() || !hooks_.countFolderFiles ? 0 : hooks_.countFolderFiles(folder);
    if (count > 0 && count != station_.SpecialScanCount) {
        station_.SpecialScanCount = count;
        scanStart_ = true;
        SetNextStart(station_, now + 5 * kOneSecond);
    } else {
        station_.SpecialScanCount = count;
    }
}

void AutoMode::PauseProcessingMessages(int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    do {
        station_.surfaces().ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (std::chrono::steady_clock::now() < end);
}

void AutoMode::RunAllJobs() {
    Surfaces& surfaces = station_.surfaces();
    if (station_.Options.runMinimized) surfaces.MinimizeApplication();
    surfaces.SetCancelVisible(true);
    station_.RunMode = RM_Unattended;
    station_.Copy.Cancel.Reset();
    station_.Shares.Resume();
    if (hooks_.runBegins) hooks_.runBegins(scanStart_ ? RunTrigger::Scan : RunTrigger::Auto);
    scanStart_ = false;
    // The list is measured on every pass: a job removed while messages are processed must
    // not be run by a stale index.
    for (size_t n = 0; n < station_.Jobs.size(); ++n) {
        if (station_.Copy.Cancel.Cancelled()) continue;
        station_.Copy.Cancel.ClearStop();
        surfaces.SetNextStartText("working...");
        surfaces.ProcessMessages();
        if (hooks_.runJob) hooks_.runJob(static_cast<int>(n));
        PauseProcessingMessages(kJobPauseMs);
    }
    const RunOutcome outcome = hooks_.runEnds ? hooks_.runEnds() : RunOutcome::Ok;
    // The interval counts from the end of the run.
    SetNextStart(station_, ComputeNextSendTime());
    if (hooks_.selectJob) hooks_.selectJob(-1);
    surfaces.SetNextStartText(RunEndText(outcome));
    surfaces.SetCancelVisible(false);
    station_.RunMode = RM_Idle;
    surfaces.ProcessMessages();
    if (station_.Options.closeAfterJobs) process_.EndProcess(0);
}

void AutoMode::AutoModeTick() {
    if (inTick_) return;
    TickGuard timerOff(inTick_);

    StartupSetup();

    TDateTime now = station_.clock().Now();
    if (DateOf(now) != station_.LastDayChange) DayChange(now);

    if (!station_.Options.autoMode || station_.RunMode != RM_Idle) return;

    now = station_.clock().Now();
    if (station_.Options.specialScan) SpecialScan(now);

    if (!station_.NextStart) SetNextStart(station_, ComputeNextSendTime());
    const TDateTime next = *station_.NextStart;
    if (now > next) {
        RunAllJobs();
    } else {
        station_.surfaces().SetNextStartText(FormatCountdown(next - now));
    }
}

}  // namespace ferrolin
