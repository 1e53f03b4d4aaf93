#include "cli/cli_session.h"

#include "platform/clock_setter.h"
#include "platform/program_dir.h"
#include "station/legacy_config.h"

namespace ferrolin::cli {

CliSession::CliSession()
    : station_(std::make_unique<Station>(platform::DetectProgramDir(), surfaces_)) {
    MoveLegacyConfig(*station_);
    // The headless station sets this computer's clock when time synchronisation is on
    // (it needs the right to: root or CAP_SYS_TIME; without it a sync reports failure).
    station_->SyncTimeF.UseClockSetter(platform::SystemClockSetter());
}

}  // namespace ferrolin::cli
