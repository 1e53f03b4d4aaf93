#include "station/time_sync_config.h"

namespace ferrolin {

void LoadTimeSyncConfig(Station&) {}

void SaveTimeSyncConfig(Station&) {}

}  // namespace ferrolin
