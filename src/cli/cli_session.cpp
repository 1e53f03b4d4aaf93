#include "cli/cli_session.h"

namespace ferrolin::cli {

// The headless station sets this computer's clock when time synchronisation is on.
CliSession::CliSession() : station_(OpenStation(ProgramStart(), surfaces_)) {}

}  // namespace ferrolin::cli
