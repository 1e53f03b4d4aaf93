// "demo-init": gives an empty program folder a job list to try the program with. An
// existing Ferrolin.INI is never touched.
#include <iostream>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "station/demo_config.h"

namespace ferrolin::cli {

int RunDemoInitCommand(const Args& args) {
    if (!args.empty()) return UsageError("demo-init takes no arguments");
    CliSession session;
    Station& station = session.station();
    const DemoConfigOutcome outcome = WriteDemoConfig(station);
    switch (outcome.result) {
        case DemoConfigResult::AlreadyThere:
            std::cout << station.IniFilename << " already exists; nothing changed\n";
            return 0;
        case DemoConfigResult::Written:
            std::cout << "Demo job list written to " << station.IniFilename << "\n";
            return 0;
        case DemoConfigResult::Failed:
            break;
    }
    std::cerr << "ferrolin-cli: " << outcome.failure << "\n";
    return 1;
}

}  // namespace ferrolin::cli
