// "check": reports what is wrong with Ferrolin.INI, one finding a line as
// "<file>:<line>: <finding>"; exit 0 when there is nothing, 1 with findings.
#include <cstdio>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/program_folder.h"
#include "station/config_check.h"

namespace ferrolin::cli {

int RunCheckCommand(const Args& args) {
    const bool connect = args.size() == 1 && args[0] == "--connect";
    if (!args.empty() && !connect) return UsageError("check takes only --connect");
    if (const int rc = CheckProgramFolder(DefaultProgramDir()); rc != 0) return rc;
    CliSession session;
    const Station& station = session.station();
    const std::vector<ConfigFinding> findings =
        CheckProgramFolderConfig(station.ProgramDir, connect);
    for (const ConfigFinding& finding : findings) {
        std::printf("%s:%zu: %s\n", station.IniFilename.c_str(), finding.line,
                    FindingText(finding).c_str());
    }
    if (findings.empty()) std::printf("%s: no findings\n", station.IniFilename.c_str());
    std::fflush(stdout);
    return findings.empty() ? 0 : 1;
}

}  // namespace ferrolin::cli
