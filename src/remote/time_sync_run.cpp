#include "remote/time_sync_run.h"

#include "station/station.h"

namespace ferrolin {

void ArmTimeSync(Station& station) { station.SyncTimeNow = station.SyncTimeF.Settings.Enable; }

int SyncTimeBeforeTransfer(Station& station) {
    Surfaces& surfaces = station.surfaces();
    surfaces.ProcessMessages();
    int result = 0;
    if (station.SyncTimeNow) {
        surfaces.SetStatusText("Try sync time...");
        surfaces.ProcessMessages();
        result = station.SyncTimeF.SyncCheck();
        surfaces.SetStatusText(result == 0 ? "sync time successful" : "sync time failed");
    }
    station.SyncTimeNow = false;
    return result;
}

}  // namespace ferrolin
