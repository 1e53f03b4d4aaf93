#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "cli/commands.h"
#include "version.h"

namespace ferrolin::cli {

namespace {

void PrintUsage(std::ostream& out) {
    out << "usage: ferrolin-cli <command>\n\ncommands:\n";
    for (const Command& command : AllCommands()) {
        std::string name = command.name;
        name.resize(std::max<size_t>(name.size() + 2, 12), ' ');
        out << "  " << name << command.summary << '\n';
    }
    out << "\nThe program folder is the executable's folder, or FERROLIN_HOME when set.\n";
}

int RunHelpCommand(const Args&) {
    PrintUsage(std::cout);
    return 0;
}

}  // namespace

const std::vector<Command>& AllCommands() {
    static const std::vector<Command> commands = {
        {"--version", "the program's version", RunVersionCommand},
        {"jobs", "the job list of Ferrolin.INI in the program folder", RunJobsCommand},
        {"job", "show, add, set, enable, disable, remove or move one job", RunJobCommand},
        {"check", "check Ferrolin.INI ([--connect]: also log on to every server)", RunCheckCommand},
        {"demo-init", "write a demo job list when the program folder has none", RunDemoInitCommand},
        {"run",
         "one run of the whole job list, as \"Manual (no messages)\" ([--json]; "
         "[--dry-run]: print what it would do, change nothing)",
         RunRunCommand},
        {"auto", "the station in automatic mode until SIGINT or SIGTERM", RunAutoCommand},
        {"next", "the next automatic start as the schedule computes it now", RunNextCommand},
        {"sync-now", "set the clock from the time server now ([--dry-run]: only query)",
         RunSyncNowCommand},
        {"dial-entries", "the dial-up entries (NetworkManager profiles) jobs can dial",
         RunDialEntriesCommand},
        {"status",
         "last run, each job's last outcome, next start ([--json]); exit 1 after a failed run",
         RunStatusCommand},
        {"alarm-test", "send a test alarm as the [Alarm] section says, and tell what happened",
         RunAlarmTestCommand},
        {"trust-host",
         "trust a server's host key or certificate: URL (sftp://, ftps://, ftpes://) "
         "[--replace]",
         RunTrustHostCommand},
        {"help", "this text", RunHelpCommand},
    };
    return commands;
}

int UsageError(const std::string& message) {
    std::cerr << "ferrolin-cli: " << message << "\n";
    PrintUsage(std::cerr);
    return 2;
}

int RunVersionCommand(const Args& args) {
    if (!args.empty()) return UsageError("--version takes no arguments");
    std::printf("ferrolin-cli %s\n", FERROLIN_VERSION);
    return 0;
}

int Dispatch(int argc, char** argv) {
    if (argc < 2) return UsageError("no command given");
    const std::string name = argv[1];
    Args args(argv + 2, argv + argc);
    if (name == "--help" || name == "-h") return RunHelpCommand(args);
    for (const Command& command : AllCommands()) {
        if (name == command.name) return command.run(args);
    }
    return UsageError("unknown command \"" + name + "\"");
}

}  // namespace ferrolin::cli
