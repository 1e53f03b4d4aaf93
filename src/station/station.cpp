#include "station/station.h"

#include <utility>

namespace ferrolin {

Station::Station(std::string programDir, Surfaces& surfaces, Clock& clock)
    : ProgramDir(std::move(programDir)),
      IniFilename(ProgramDir + "/Ferrolin.INI"),
      LogFile(ProgramDir + "/Ferrolin.log"),
      SyncTimeF(surfaces, clock),
      surfaces_(surfaces),
      clock_(clock) {
    // The run driver's clock synchronisation before a job's transfers.
    SyncCheckHook = [this] { return SyncTimeF.SyncCheck(); };
}

void Station::SetConnected(bool on) {
    Connected = on;
    if (on) ConnectionOpened = clock_.Now();
    ConnectedSeen = on;
    ConnectedCaption = "connected";
    surfaces_.SetConnectedCaption(ConnectedCaption);
}

}  // namespace ferrolin
