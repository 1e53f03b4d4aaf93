#pragma once
// Station: the program's state and its operations, without any window. The faces (Qt
// window, ferrolin-cli, tests) show this state through Surfaces and call its operations.
// The run's part (RunContext) is what the engine sees, the schedule's part
// (ScheduleContext) what the automatic mode and the watchdog see; the station adds the
// job editor, the dial-up entries, the time-sync panel and the process control.
// All members are touched from the user-interface thread only, except where noted.
#include <string>
#include <vector>

#include "common/clock.h"
#include "config/transfer_job.h"
#include "platform/process_control.h"
#include "remote/time_sync.h"
#include "schedule/auto_mode.h"
#include "schedule/config_weekday_store.h"
#include "schedule/schedule_context.h"
#include "schedule/watchdog.h"
#include "station/run_recorder.h"

namespace ferrolin {

class Station : public ScheduleContext {
public:
    // programDir: the folder holding Ferrolin.INI and the logs (no trailing separator).
    // process: restarts of the program and the computer (the watchdog's).
    Station(std::string programDir, Surfaces& surfaces, Clock& clock = SystemClock(),
            platform::ProcessControl& process = platform::SystemProcessControl());
    ~Station();

    platform::ProcessControl& Process() { return process_; }
    // The automatic mode (AutoModeTimer) and the watchdog (WatchdogTimer) over this station; the face
    // calls their ticks from its timers.
    AutoMode& Automatic() { return autoMode_; }
    Watchdog& Dog() { return watchdog_; }
    // The weekday lists of the "Send time" tab, stored in Ferrolin.INI.
    WeekdayListStore& WeekdayStore() { return weekdayStore_; }

    TransferJob Editor;             // the job editor: always the job read last
    int SelectedJob = -1;
    bool EditorDelayEnabled = false;  // DestDelDelay editable (only in "Source is master")
    std::vector<std::string> RasEntries{"RAS disabled"};  // the "Ras" list
    // The entry name the job read last stored; written back while no item is chosen, so a
    // line that is missing for now (dial-up unavailable, profile renamed) is not forgotten.
    std::string RasStoredName;

    // The time-synchronisation panel's state and operations ("Time sync" tab).
    TimeSyncService TimeSync;

    // The record of the running run and of the last one, and each job's last outcome.
    RunRecorder Recorder{*this};

private:
    platform::ProcessControl& process_;
    ConfigWeekdayListStore weekdayStore_;
    AutoMode autoMode_;
    Watchdog watchdog_;
};

// The automatic mode's operations on this station: reading the configuration, running
// and selecting a job, arming the time synchronisation, counting a folder's files.
AutoModeHooks StationAutoModeHooks(Station& station);

}  // namespace ferrolin
