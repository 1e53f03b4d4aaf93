// "next": the next start as the automatic mode would compute it now, from Ferrolin.INI and
// today's send-time list.
#include <iostream>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/program_folder.h"
#include "common/datetime_format.h"
#include "common/memo_lines.h"
#include "schedule/auto_mode.h"
#include "schedule/send_time_editor.h"
#include "station/station_config.h"
#include "station/station_status.h"

namespace ferrolin::cli {

int RunNextCommand(const Args& args) {
    if (!args.empty()) return UsageError("next takes no arguments");
    if (const int rc = CheckProgramFolder(DefaultProgramDir()); rc != 0) return rc;
    CliSession session;
    Station& station = session.station();
    ReadConfig(station);
    std::vector<SendTimeProblem> problems;
    const TDateTime next = ComputeNextStart(station, &problems);
    for (const SendTimeProblem& problem : problems) {
        std::cerr << "ferrolin-cli: send time line \"" << problem.line
                  << "\" not used: " << problem.reason << "\n";
    }
    std::cout << DateTimeToStr(next) << "\n";
    return std::cout.flush() ? 0 : 1;
}

}  // namespace ferrolin::cli
