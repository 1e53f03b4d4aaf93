#pragma once
// What a job's kinds see of the program while they run: a few small parts, each owned by
// the station for its whole life (engine/run_resources.h) and handed in by reference for
// one job. The run's log and counters, the sessions of the remote kinds, the options and
// the run's mode, the cancel token, and the face, clock, copier and MPEG check a transfer
// works with. Functions below a kind's lister and transfer take only the parts they use.
// User-interface thread; the copy worker reads only the copier's atomics and the token.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/cancel_token.h"
#include "common/clock.h"
#include "common/surfaces.h"
#include "config/global_options.h"
#include "engine/remote_sessions.h"
#include "engine/run_log.h"
#include "files/copy_context.h"
#include "files/mpeg_check.h"

namespace ferrolin {

enum RunModes : uint8_t {
    RM_Starting = 0,
    RM_Idle = 1,
    RM_Unattended = 3,
    RM_Interactive = 4,
};

struct RunContext {
    // The face as the run shows through it: no address it shows carries its password.
    Surfaces& face;
    Clock& clock;
    RunLog& log;
    const GlobalOptions& options;
    // How the run was started: an interactive run asks the operator, an unattended one
    // decides by the options.
    uint8_t mode = RM_Unattended;
    // The job names a "Ras" entry: the copier writes unbuffered unless the job says.
    bool dialUp = false;
    CancelToken& cancel;
    // The copier's status, workers and file systems (local disks and shares).
    CopyContext& copy;
    const MpegLibraries& mpeg;
    RemoteSessions& sessions;
    // The job list: its INI file and how many jobs it holds. Deletions stay inside the
    // destination folders its jobs name.
    const std::string& iniFile;
    size_t jobCount = 0;
};

}  // namespace ferrolin
