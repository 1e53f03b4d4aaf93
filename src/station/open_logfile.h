#pragma once
// "Open Logfile": the event log in the desktop's default viewer.
#include "station/station.h"

namespace ferrolin {

// Starts the viewer on the station's log; when it cannot be started, the operator is told
// so through the station's face.
void OpenLogfile(Station& station);

}  // namespace ferrolin
