#pragma once
// The automatic mode: the one-time start-up set-up and the AutoModeTimer tick that changes the
// weekday list at midnight, watches the first job's folder, and runs the whole job list
// when the next start has passed. The face calls AutoModeTick every AutoModeIntervalMs().
#include <functional>
#include <set>
#include <string>

#include "common/datetime.h"
#include "engine/job_tally.h"
#include "platform/process_control.h"
#include "schedule/send_time.h"
#include "schedule/send_time_editor.h"

namespace ferrolin {

class ScheduleContext;
struct GlobalOptions;

// The settings of the schedule as the options hold them: Enhanced exactly for mode 1.
SendTimeSettings SendTimeSettingsOf(const GlobalOptions& options);

// The operations of other parts of the program that the automatic mode calls. The station
// provides the real ones; tests replace single entries.
struct AutoModeHooks {
    std::function<void()> readConfig;                         // ReadConfig
    std::function<void(int)> runJob;                          // RunJob(N)
    std::function<void(int)> selectJob;                       // SelectJob(N), -1 = none
    std::function<void()> armTimeSync;                        // SyncTimeNow := "Enable" box
    std::function<int(const std::string&)> countFolderFiles;  // files of one folder
    std::function<void(RunTrigger)> runBegins;                // a run of the list starts
    std::function<RunOutcome()> runEnds;                      // ... and ends: how it went
};

class AutoMode {
public:
    // Provides the station's AfterManualRunHook (the next start after a "Manual" run) for
    // as long as it lives.
    AutoMode(ScheduleContext& station, WeekdayListStore& store, platform::ProcessControl& process,
             AutoModeHooks hooks);
    ~AutoMode();
    AutoMode(const AutoMode&) = delete;
    AutoMode& operator=(const AutoMode&) = delete;

    // The one-time set-up; does nothing unless the station is still starting.
    void StartupSetup();
    // One tick of AutoModeTimer. A tick reached while another is running (a run inside a tick
    // processes messages) returns at once: the timer is off during its own tick.
    void AutoModeTick();
    // The handler of the "Auto" box.
    void SetAuto(bool on);

    // AutoModeTimer: 2000 ms until the start-up set-up, then 1000 ms; off during its own tick.
    int AutoModeIntervalMs() const { return timer1IntervalMs_; }
    bool Timer1Enabled() const { return !inTick_; }

    // NextSendTime with the settings and the editor's lines in force, at the clock's now.
    // Lines the schedule cannot use are logged once each.
    TDateTime ComputeNextSendTime();
    // After a "Manual" run: the next start from the weekday lines, never on a grid.
    void UpdateNextStartAfterManualRun();
    // Logs the problems not logged before (once per line and reason).
    void ReportScheduleProblems(const std::vector<SendTimeProblem>& problems);

private:
    void ChangeWeekday(TDateTime now);
    void DayChange(TDateTime now);
    void SpecialScan(TDateTime now);
    void RunAllJobs();
    void PauseProcessingMessages(int milliseconds);

    ScheduleContext& station_;
    WeekdayListStore& store_;
    platform::ProcessControl& process_;
    AutoModeHooks hooks_;
    int timer1IntervalMs_ = 2000;
    bool inTick_ = false;
    std::set<std::string> reported_;
    // The next start was set by the special scan's new files: the run it starts is theirs.
    bool scanStart_ = false;
};

}  // namespace ferrolin
