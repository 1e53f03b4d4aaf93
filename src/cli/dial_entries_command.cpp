// "dial-entries": the dial-up entries the station offers in its "Ras" list, one a line,
// or a note that dial-up is unavailable (exit status 1).
#include <cstdio>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/program_folder.h"

namespace ferrolin::cli {

int RunDialEntriesCommand(const Args& args) {
    if (!args.empty()) return UsageError("dial-entries takes no arguments");
    if (const int rc = CheckProgramFolder(DefaultProgramDir()); rc != 0) return rc;
    CliSession session;
    Station& station = session.station();
    if (!station.Line.Ras.Available()) {
        std::printf("dial-up is unavailable\n");
        std::fflush(stdout);
        return 1;
    }
    // The first item is "RAS disabled"; the entries follow it.
    for (size_t n = 1; n < station.RasEntries.size(); ++n) {
        std::printf("%s\n", station.RasEntries[n].c_str());
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace ferrolin::cli
