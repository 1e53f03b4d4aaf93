#pragma once
// The one start-up of every face: a station opened for a program folder, with the
// program-wide date and time forms fixed, a configuration left by the former program
// moved into place, the copier's logs in the program folder, the MPEG libraries loaded
// (their log line written), and the clock setter of the face.
#include <memory>
#include <string>

#include "common/clock.h"
#include "common/surfaces.h"
#include "platform/process_control.h"
#include "station/station.h"

namespace ferrolin {

struct StationStart {
    // The program folder; empty: the executable's folder, or FERROLIN_HOME when set.
    std::string programDir;
    // Restarts of the program and the computer; null: the system's.
    platform::ProcessControl* process = nullptr;
    // The clock the station reads; null: the system clock.
    Clock* clock = nullptr;
    // This face may set the computer's clock (the desktop program and ferrolin-cli do;
    // a window made by a test keeps the refusing setter).
    bool setsClock = false;
    // Open the station without writing anything (a dry run): a former configuration is
    // not moved into place and the MPEG libraries' log line is not written.
    bool readOnly = false;
};

// The start of the desktop program and ferrolin-cli: the default program folder, the
// system's process control and clock, and the right to set the computer's clock.
StationStart ProgramStart();

// The program folder a start without one opens.
std::string DefaultProgramDir();

std::unique_ptr<Station> OpenStation(const StationStart& start, Surfaces& surfaces);

}  // namespace ferrolin
