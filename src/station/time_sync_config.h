#pragma once
// The internet time synchronisation settings live in their own section of Ferrolin.INI
// ("InternetDateTimeSync"). They are read right after the rest of the configuration and
// saved right after it. Errors are swallowed there: the settings keep what they had.
#include "station/station.h"

namespace ferrolin {

// Extension point for the time synchronisation settings: reads its section from
// station.IniFilename. Does nothing until the time synchronisation is built.
void LoadTimeSyncConfig(Station& station);

// Extension point: writes the time synchronisation section. Does nothing until the time
// synchronisation is built.
void SaveTimeSyncConfig(Station& station);

}  // namespace ferrolin
