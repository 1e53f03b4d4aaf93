#include "cli/cli_session.h"

#include <unistd.h>

#include "cli/terminal_surfaces.h"

namespace ferrolin::cli {

namespace {

StationStart Start(bool readOnly) {
    StationStart start = ProgramStart();
    start.readOnly = readOnly;
    // A dry run changes nothing, the computer's clock included.
    if (readOnly) start.setsClock = false;
    return start;
}

std::unique_ptr<CliSurfaces> MakeSurfaces(bool progressLine) {
    const int width = progressLine ? TerminalSurfaces::TerminalWidth(STDERR_FILENO) : 0;
    if (width > 0) return std::make_unique<TerminalSurfaces>(std::cerr, width);
    return std::make_unique<CliSurfaces>(std::cerr);
}

}  // namespace

// The headless station sets this computer's clock when time synchronisation is on.
CliSession::CliSession(bool progressLine, bool readOnly)
    : surfaces_(MakeSurfaces(progressLine)), station_(OpenStation(Start(readOnly), *surfaces_)) {}

}  // namespace ferrolin::cli
