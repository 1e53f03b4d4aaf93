#include "station/time_sync_config.h"

namespace ferrolin {

void LoadTimeSyncConfig(Station& station) {
    station.TimeSync.LoadConfigFrom(station.IniFilename);
}

void SaveTimeSyncConfig(Station& station) {
    station.TimeSync.SaveConfigTo(station.IniFilename);
}

}  // namespace ferrolin
