#pragma once
// Station: the program's state and its operations, without any window. The faces (Qt
// window, ferrolin-cli, tests) show this state through Surfaces and call its operations.
// All members are touched from the user-interface thread only, except where noted.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/clock.h"
#include "config/global_options.h"
#include "config/transfer_job.h"
#include "remote/time_sync.h"
#include "schedule/send_time_editor.h"
#include "common/surfaces.h"

namespace ferrolin {

// One line of the job list: the job's name and its check mark.
struct JobListLine {
    std::string name;
    bool checked = false;
};

enum TTransfer : uint8_t {
    Tran_None = 0,
    Tran_Windows = 1,
    Tran_FTPS = 2,
    Tran_FTPR = 3,
    Tran_HTTP = 4,
    Tran_Pop3S = 5,
    Tran_Pop3R = 6,
    Tran_FileList = 7,
};

enum RunModes : uint8_t {
    RM_Starting = 0,
    RM_Idle = 1,
    RM_Unattended = 3,
    RM_Interactive = 4,
};

class Station {
public:
    // programDir: the folder holding Ferrolin.INI and the logs (no trailing separator).
    Station(std::string programDir, Surfaces& surfaces, Clock& clock = SystemClock());

    Surfaces& surfaces() { return surfaces_; }
    Clock& clock() { return clock_; }

    // Files beside the program.
    std::string ProgramDir;
    std::string IniFilename;  // ProgramDir + "/Ferrolin.INI"
    std::string LogFile;      // ProgramDir + "/Ferrolin.log"

    // Configuration in memory.
    GlobalOptions Options;
    std::vector<JobListLine> Jobs;  // the job list with its check marks
    TransferJob Editor;             // the job editor: always the job read last
    int SelectedJob = -1;
    bool EditorDelayEnabled = false;  // DestDelDelay editable (only in "Source is master")
    std::vector<std::string> RasEntries{"RAS disabled"};  // the "Ras" list
    int RasIndex = -1;                                    // chosen item, -1 = "Not found"
    std::string SpezialScanDir;

    // Run state.
    uint8_t RunMode = RM_Starting;
    bool Abbrechen = false;
    uint8_t Transfer = Tran_None;
    bool SyncTimeNow = false;
    bool Connected = false;

    // Automatic mode and schedule.
    SendTimeEditor SendTime;         // the "Send time" tab: weekday box and its lines
    std::string NextFu10;            // the next start as text: the one store of it
    TDateTime LastDayChange = 0;     // date of the last day change; 0 = none yet
    int32_t SpezialScanAnz = 0;      // files seen in SpezialScanDir at the last tick
    bool Editing = false;            // a job is being edited: the "Auto" box is disabled
    // Watchdog.
    TDateTime ConnectionOpened = 0;  // when Connected was last switched on
    bool ConnectedSeen = false;      // Connected as the watchdog saw it last
    std::string ConnectedCaption = "connected";

    // The handler of the "connected" box: set Connected and note when it came up.
    void SetConnected(bool on);

    // What went wrong in the current run of the job list, for faces that report an
    // outcome (ferrolin-cli's exit status): files that could not be transferred or
    // deleted, and jobs whose file loop was stopped by something other than Cancel.
    uint32_t FailedFiles = 0;
    uint32_t JobsCutShort = 0;

    // Steps of a run that other parts of the program provide; an empty hook does
    // nothing. SyncCheckHook synchronises the clock before a job (0 = success);
    // AfterManualRunHook computes the next automatic start after a "Manual" run;
    // AbortFtpHook stops a running FTP transfer when Cancel is pressed.
    std::function<int32_t()> SyncCheckHook;
    std::function<void()> AfterManualRunHook;
    std::function<void()> AbortFtpHook;

    // The time-synchronisation panel's state and operations ("Time sync" tab).
    TSyncTimeF SyncTimeF;

private:
    Surfaces& surfaces_;
    Clock& clock_;
};

}  // namespace ferrolin
