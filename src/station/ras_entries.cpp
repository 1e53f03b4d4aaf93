#include "station/ras_entries.h"

namespace ferrolin {

bool LoadRasEntries(Station& station) {
    station.RasEntries.assign(1, "RAS disabled");
    if (!station.Ras.Available()) return false;
    NetworkDialUp& dialUp = station.Ras.DialUp;
    dialUp.GetEntries();
    station.RasEntries.insert(station.RasEntries.end(), dialUp.Entries.begin(),
                              dialUp.Entries.end());
    return true;
}

}  // namespace ferrolin
