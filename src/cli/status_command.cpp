// "status": for the operator and for monitoring. Whether a run is going on (and in which
// process), the last run's end, trigger and outcome, each job's last outcome, and the
// next automatic start. Exit status: 0 when the last recorded run was ok or none is
// recorded, 1 when it failed or was cancelled, 2 for a usage error or a missing folder.
#include <iostream>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/program_folder.h"
#include "station/station_status.h"

namespace ferrolin::cli {

int RunStatusCommand(const Args& args) {
    const bool json = args.size() == 1 && args[0] == "--json";
    if (!args.empty() && !json) return UsageError("status takes no arguments but --json");
    if (const int rc = CheckProgramFolder(DefaultProgramDir()); rc != 0) return rc;
    CliSession session;
    const StationStatus status = ReadStationStatus(session.station());
    if (json) {
        std::cout << StatusJson(status) << '\n';
    } else {
        std::cout << StatusText(status);
    }
    std::cout.flush();
    return StatusExitCode(status);
}

}  // namespace ferrolin::cli
