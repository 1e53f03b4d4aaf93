// The real operations behind the automatic mode's hooks.
#include "schedule/auto_mode.h"
#include "station/station_config.h"

namespace ferrolin {

AutoModeHooks DefaultAutoModeHooks() {
    AutoModeHooks hooks;
    hooks.readConfig = [](Station& station) { ReadConfig(station); };
    return hooks;
}

}  // namespace ferrolin
