// The real operations behind the automatic mode's hooks.
#include "engine/folder_listing.h"
#include "engine/run_job.h"
#include "schedule/auto_mode.h"
#include "station/station.h"
#include "station/station_config.h"

namespace ferrolin {

AutoModeHooks DefaultAutoModeHooks() {
    AutoModeHooks hooks;
    hooks.readConfig = [](Station& station) { ReadConfig(station); };
    hooks.runJob = [](Station& station, int n) { RunJob(station, static_cast<uint16_t>(n)); };
    hooks.selectJob = [](Station& station, int n) { SelectJob(station, n); };
    // At start and at each day change a synchronisation is due before the next
    // connected job when the time-sync panel's "Enable" box is on.
    hooks.armTimeSync = [](Station& station) {
        station.SyncTimeNow = station.SyncTimeF.Settings.Enable;
    };
    // The first job's source may carry a file mask ("/in/*.mpg"): the files that job would
    // list are the ones watched, instead of a folder name with a mask in it that never
    // lists anything.
    hooks.countFolderFiles = [](const std::string& source) {
        const FolderAndMask folder = SplitFolderAndMask(source);
        return static_cast<int>(ListFolderFiles(folder.folder, folder.mask, false).size());
    };
    return hooks;
}

}  // namespace ferrolin
