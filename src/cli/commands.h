#pragma once
// The commands of ferrolin-cli. Each takes the words after its name and returns the
// process exit code: 0 success, 1 failure, 2 a usage error.
#include <string>
#include <vector>

namespace ferrolin::cli {

using Args = std::vector<std::string>;

struct Command {
    const char* name;
    const char* summary;
    int (*run)(const Args& args);
};

// Every command, in the order the usage text lists them.
const std::vector<Command>& AllCommands();

// Picks the command named by argv[1] and runs it.
int Dispatch(int argc, char** argv);

int RunVersionCommand(const Args& args);
int RunJobsCommand(const Args& args);
int RunJobCommand(const Args& args);
int RunCheckCommand(const Args& args);
int RunDemoInitCommand(const Args& args);
int RunRunCommand(const Args& args);
int RunAutoCommand(const Args& args);
int RunNextCommand(const Args& args);
int RunSyncNowCommand(const Args& args);
int RunDialEntriesCommand(const Args& args);
int RunStatusCommand(const Args& args);
int RunAlarmTestCommand(const Args& args);
int RunTrustHostCommand(const Args& args);

// Reports a usage error on stderr: exit code 2.
int UsageError(const std::string& message);

}  // namespace ferrolin::cli
