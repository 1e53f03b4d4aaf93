#pragma once
// What running jobs needs of the program, and nothing more: the face, the clock, the
// program's files, the options, the job list's check marks, the copier's context (status
// and cancel token), the MPEG check, the connection state and the run's counters. The
// station is one; the engine and the schedule see only this part of it.
// All members are touched from the user-interface thread only, except the copier's
// context, whose atomics the copy worker reads.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/clock.h"
#include "common/password_free.h"
#include "common/surfaces.h"
#include "config/global_options.h"
#include "config/profile_cache.h"
#include "engine/job_tally.h"
#include "engine/settle_filter.h"
#include "files/copy_context.h"
#include "files/mpeg_check.h"
#include "protocols/pop3_client.h"
#include "protocols/smb_shares.h"
#include "remote/ftp_session.h"
#include "remote/ras_dial_up.h"

namespace ferrolin {

// One line of the job list: the job's name and its check mark.
struct JobListLine {
    std::string name;
    bool checked = false;
};

// The kind of transfer of the running job.
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

class RunContext {
    // The face as the run shows through it: no address it shows carries its password.
    // First, so that the members below may hold it.
    PasswordFreeSurfaces shown_;

  public:
    // programDir: the folder holding Ferrolin.INI and the logs (no trailing separator).
    RunContext(std::string programDir, Surfaces& surfaces, Clock& clock);
    RunContext(const RunContext&) = delete;
    RunContext& operator=(const RunContext&) = delete;

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

    // Run state.
    uint8_t RunMode = RM_Starting;
    uint8_t Transfer = Tran_None;
    bool SyncTimeNow = false;
    int RasIndex = -1;  // the job's "Ras" choice, -1 = "Not found"

    // A run of the job list is going on (the operator's or the automatic mode's): the
    // one guard against starting a second run from inside the first one's messages.
    bool RunInProgress() const { return RunMode == RM_Interactive || RunMode == RM_Unattended; }

    // The network shares of the jobs: one logged-on connection per server, share and user
    // for the station's whole life. The copier reaches them through Copy.Files.
    SmbShares Shares;
    // The copier's status, the cancel token and the running worker.
    CopyContext Copy;
    // The MPEG check's libraries, loaded by the start-up.
    MpegLibraries Mpeg;
    // The one FTP session: the jobs and the FTP client window share it, its current folder
    // and its last listing. Cancel stops its running transfer.
    FtpSession Ftp;
    // The start-up's hand-over: from now on the FTP session shows its status texts and
    // its transfers' progress on this face's status bar and gauge (before, only in the
    // FTP window).
    void AttachFtpSurfaces();
    // The one POP3 session of the mail jobs: the listing opens it, the retrieval loop
    // closes it; a session a job left open is closed by the next mail job.
    Pop3Client Pop3;
    // The dial-up lines of jobs that name a "Ras" entry; Cancel ends its wait.
    RasDialUp Ras;
    // A "Ras" entry after "RAS disabled" is chosen and dial-up is offered.
    bool DialUpChosen() { return RasIndex > 0 && Ras.Available(); }
    // Dials the job's entry and sets the connected mark from the outcome; a line that
    // does not come up (other than by Cancel) cuts the job short.
    void DialJobLine(const std::string& entry);

    // The connection of the running job and the watchdog's view of it.
    bool Connected = false;
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
    // What the running job did; the run driver starts it afresh for each job.
    JobTally Tally;
    // The source files held back as still being written that the log has named.
    SettlingNotes Settling;
    // Logs a problem of the running job and keeps it as the job's first error when it is.
    void LogFailure(std::string_view text);

    // Steps of a run that other parts of the program provide; an empty hook does
    // nothing. SyncCheckHook synchronises the clock before a job (0 = success);
    // AfterManualRunHook computes the next automatic start after a "Manual" run;
    // AbortFtpHook stops a running FTP transfer when Cancel is pressed.
    std::function<int32_t()> SyncCheckHook;
    std::function<void()> AfterManualRunHook;
    std::function<void()> AbortFtpHook;

  private:
    Clock& clock_;
};

}  // namespace ferrolin
