#pragma once
// Whether a path lies on a kernel file system of this computer, remembered per folder for
// a moment: a folder job asks for every file, and the answer only changes when something
// is mounted or unmounted.
#include <string>

namespace ferrolin {

// True when the folder holding path is on a local kernel file system (not a network one
// and not a user-space one, whose reads may stall like a network's).
bool IsOnLocalDisk(const std::string& path);

}  // namespace ferrolin
