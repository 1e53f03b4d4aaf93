#include "cli/cli_session.h"

#include "platform/program_dir.h"
#include "station/legacy_config.h"

namespace ferrolin::cli {

CliSession::CliSession()
    : station_(std::make_unique<Station>(platform::DetectProgramDir(), surfaces_)) {
    MoveLegacyConfig(*station_);
}

}  // namespace ferrolin::cli
