#pragma once
// The "Ras" list of the job editor: "RAS disabled" followed by the dial-up entries the
// system offers (none when dial-up is unavailable).
#include "station/station.h"

namespace ferrolin {

// Fills Station::RasEntries; false when dial-up is unavailable.
bool LoadRasEntries(Station& station);

}  // namespace ferrolin
