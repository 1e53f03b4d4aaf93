// "trust-host URL [--replace]": shows the server's host key or certificate and keeps it
// in the program folder.
#include <iostream>

#include "cli/commands.h"
#include "cli/program_folder.h"
#include "station/station_start.h"
#include "station/trust_host.h"

namespace ferrolin::cli {

int RunTrustHostCommand(const Args& args) {
    std::string url;
    bool replace = false;
    for (const std::string& arg : args) {
        if (arg == "--replace") {
            replace = true;
        } else if (url.empty() && arg.rfind("--", 0) != 0) {
            url = arg;
        } else {
            return UsageError("trust-host takes one address and --replace");
        }
    }
    if (url.empty()) return UsageError("trust-host needs an address (sftp://, ftps://, ftpes://)");
    const std::string programDir = DefaultProgramDir();
    if (const int rc = CheckProgramFolder(programDir); rc != 0) return rc;
    const TrustHostLines lines = TrustHostCommand(programDir, url, replace);
    for (const std::string& line : lines.output) std::cout << line << "\n";
    for (const std::string& line : lines.errors) std::cerr << "ferrolin-cli: " << line << "\n";
    std::cout.flush();
    return std::cout ? lines.exitCode : 1;
}

}  // namespace ferrolin::cli
