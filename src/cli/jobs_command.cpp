// "jobs": one line per job of Ferrolin.INI: index, check mark, name, source, destination,
// separated by tabs.
#include <cstdio>
#include <iostream>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/program_folder.h"
#include "station/station_config.h"

namespace ferrolin::cli {

int RunJobsCommand(const Args& args) {
    if (!args.empty()) return UsageError("jobs takes no arguments");
    if (const int rc = CheckProgramFolder(DefaultProgramDir()); rc != 0) return rc;
    CliSession session;
    Station& station = session.station();
    ReadConfig(station);
    if (station.Jobs.empty()) {
        std::cerr << "ferrolin-cli: no jobs in " << station.IniFilename << "\n";
        return 0;
    }
    for (size_t n = 0; n < station.Jobs.size(); ++n) {
        ReadJob(station, static_cast<int>(n));
        const JobListLine& line = station.Jobs[n];
        std::printf("%zu\t%s\t%s\t%s\t%s\n", n, line.checked ? "[x]" : "[ ]", line.name.c_str(),
                    station.Editor.source.c_str(), station.Editor.destination.c_str());
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace ferrolin::cli
