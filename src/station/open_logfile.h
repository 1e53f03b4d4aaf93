#pragma once
// "Open Logfile": the event log in the desktop's viewer, or, where the desktop has none
// that opens it in a window of its own (no handler, or one that needs a terminal), in a
// read-only view inside the program's window.
#include <string>

#include "station/station.h"

namespace ferrolin {

enum class LogfileShown { ByDesktop, InWindow };

// Starts the desktop's viewer on the station's log when there is a windowed one and it
// starts; otherwise the face shows the log itself (LogfileText).
LogfileShown OpenLogfile(Station& station);

// The log as it is now ("" when there is none yet).
std::string LogfileText(const Station& station);

}  // namespace ferrolin
