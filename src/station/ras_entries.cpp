#include "station/ras_entries.h"

namespace ferrolin {

bool LoadRasEntries(Station& station) {
    station.RasEntries.assign(1, "RAS disabled");
    if (!station.Line.Ras.Available()) return false;
    NetworkDialUp& dialUp = station.Line.Ras.DialUp;
    dialUp.GetEntries();
    station.RasEntries.insert(station.RasEntries.end(), dialUp.Entries.begin(),
                              dialUp.Entries.end());
    return true;
}

}  // namespace ferrolin
