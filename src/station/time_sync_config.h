#pragma once
// The internet time synchronisation settings live in their own section of Ferrolin.INI
// ("InternetDateTimeSync"). They are read right after the rest of the configuration and
// saved right after it. Errors are swallowed there: the settings keep what they had.
#include "station/station.h"

namespace ferrolin {

// Reads the time synchronisation section from station.IniFilename into the panel's
// settings (TimeSyncService::LoadConfigFrom).
void LoadTimeSyncConfig(Station& station);

// Writes the time synchronisation section (TimeSyncService::SaveConfigTo).
void SaveTimeSyncConfig(Station& station);

}  // namespace ferrolin
