#include "cli/cli_session.h"

#include <unistd.h>

#include "cli/terminal_surfaces.h"

namespace ferrolin::cli {

namespace {

std::unique_ptr<CliSurfaces> MakeSurfaces(bool progressLine) {
    const int width = progressLine ? TerminalSurfaces::TerminalWidth(STDERR_FILENO) : 0;
    if (width > 0) return std::make_unique<TerminalSurfaces>(std::cerr, width);
    return std::make_unique<CliSurfaces>(std::cerr);
}

}  // namespace

// The headless station sets this computer's clock when time synchronisation is on.
CliSession::CliSession(bool progressLine)
    : surfaces_(MakeSurfaces(progressLine)), station_(OpenStation(ProgramStart(), *surfaces_)) {}

}  // namespace ferrolin::cli
