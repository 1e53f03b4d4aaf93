#include "cli/program_folder.h"

#include <cstdlib>
#include <iostream>

#include "station/run_gate.h"

namespace ferrolin::cli {

int CheckProgramFolder(const std::string& programDir) {
    if (ProgramFolderExists(programDir)) return 0;
    const char* home = std::getenv("FERROLIN_HOME");
    std::cerr << "ferrolin-cli: the program folder " << programDir
              << (home != nullptr && *home != '\0' ? " (FERROLIN_HOME)" : "")
              << " does not exist\n";
    return 2;
}

}  // namespace ferrolin::cli
