#pragma once
#include <string>

namespace ferrolin::platform {

// The folder of the running executable (from /proc/self/exe), or the folder named by
// FERROLIN_HOME when that is set and not empty. Never ends in a separator (except "/").
std::string DetectProgramDir();

}  // namespace ferrolin::platform
