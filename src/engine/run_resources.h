#pragma once
// What a station owns for its runs, and the program-wide state around them: the program's
// files, the options and the job list, the run's log and counters, the copier, the MPEG
// check, the shares, the remote sessions and the job's line. The station is one (through
// the schedule's context). The engine never takes this whole: a job's kinds get the
// narrow RunContext that Context() assembles, and the run driver the job's line besides.
// All members are touched from the user-interface thread only, except the copier's
// context, whose atomics the copy worker reads.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/clock.h"
#include "common/password_free.h"
#include "common/surfaces.h"
#include "config/global_options.h"
#include "config/profile_cache.h"
#include "engine/job_line.h"
#include "engine/remote_sessions.h"
#include "engine/run_context.h"
#include "engine/run_log.h"
#include "engine/transfer_kinds.h"
#include "files/copy_context.h"
#include "files/mpeg_check.h"
#include "protocols/smb_shares.h"

namespace ferrolin {

// One line of the job list: the job's name and its check mark.
struct JobListLine {
    std::string name;
    bool checked = false;
};

class RunResources {
    // The face as the run shows through it: no address it shows carries its password.
    // First, so that the members below may hold it.
    PasswordFreeSurfaces shown_;

  public:
    // programDir: the folder holding Ferrolin.INI and the logs (no trailing separator).
    RunResources(std::string programDir, Surfaces& surfaces, Clock& clock);
    RunResources(const RunResources&) = delete;
    RunResources& operator=(const RunResources&) = delete;

    Surfaces& surfaces() { return shown_; }
    Clock& clock() { return clock_; }

    // Files beside the program.
    const std::string ProgramDir;
    const std::string IniFilename;  // ProgramDir + "/Ferrolin.INI"
    const std::string LogFile;      // ProgramDir + "/Ferrolin.log"

    // Ferrolin.INI as last parsed, shared by every read and write of this station.
    ProfileCache IniCache;

    GlobalOptions Options;
    std::vector<JobListLine> Jobs;  // the job list with its check marks

    uint8_t RunMode = RM_Starting;
    bool SyncTimeNow = false;
    // A run of the job list is going on (the operator's or the automatic mode's): the
    // one guard against starting a second run from inside the first one's messages.
    bool RunInProgress() const { return RunMode == RM_Interactive || RunMode == RM_Unattended; }

    // The run's log and counters.
    RunLog Log;
    // The network shares of the jobs: one logged-on connection per server, share and user
    // for the station's whole life. The copier reaches them through Copy.Files.
    SmbShares Shares;
    // The copier's status, the cancel token and the running worker.
    CopyContext Copy;
    // The MPEG check's libraries, loaded by the start-up.
    MpegLibraries Mpeg;
    // The FTP and POP3 sessions; Cancel stops their running transfers.
    RemoteSessions Sessions;
    // The running job's connection and dial-up line.
    JobLine Line;
    // The kind of the job that runs now or ran last (Cancel stops its remote transfer).
    TransferKind RunningKind;

    // What the engine sees while it runs one job.
    RunContext Context();

    // A step of a run that another part of the program provides; empty does nothing:
    // the next automatic start is computed after a "Manual" run.
    std::function<void()> AfterManualRunHook;

  private:
    Clock& clock_;
};

}  // namespace ferrolin
