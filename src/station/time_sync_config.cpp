#include "station/time_sync_config.h"

namespace ferrolin {

void LoadTimeSyncConfig(Station& station) { station.SyncTimeF.LoadConfigFrom(station.IniFilename); }

void SaveTimeSyncConfig(Station& station) { station.SyncTimeF.SaveConfigTo(station.IniFilename); }

}  // namespace ferrolin
