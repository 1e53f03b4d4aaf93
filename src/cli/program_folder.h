#pragma once
// The checks a command makes on the program folder before it touches anything.
#include <string>

namespace ferrolin::cli {

// 0 when the program folder exists; otherwise says so on stderr and returns 2 (a folder
// named by FERROLIN_HOME that is not there is a mistake of the caller, not an empty
// job list).
int CheckProgramFolder(const std::string& programDir);

}  // namespace ferrolin::cli
