#include "station/station.h"

#include <utility>

#include "engine/folder_listing.h"
#include "station/run_driver.h"
#include "station/station_config.h"

namespace ferrolin {

Station::Station(std::string programDir, Surfaces& surfaces, Clock& clock,
                 platform::ProcessControl& process)
    : ScheduleContext(std::move(programDir), surfaces, clock),
      TimeSync(surfaces, clock),
      process_(process),
      weekdayStore_(IniFilename, IniCache),
      autoMode_(*this, weekdayStore_, process, StationAutoModeHooks(*this)),
      watchdog_(*this, process) {
    // The run driver's clock synchronisation before a job's transfers.
    SyncCheckHook = [this] { return TimeSync.SyncCheck(); };
}

Station::~Station() { UnloadMpegLibraries(Mpeg); }

AutoModeHooks StationAutoModeHooks(Station& station) {
    AutoModeHooks hooks;
    hooks.readConfig = [&station] { ReadConfig(station); };
    hooks.runJob = [&station](int n) { RunJob(station, static_cast<uint16_t>(n)); };
    hooks.selectJob = [&station](int n) { SelectJob(station, n); };
    hooks.runBegins = [&station](RunTrigger trigger) { station.Recorder.BeginRun(trigger); };
    hooks.runEnds = [&station] { return FinishRun(station); };
    // At start and at each day change a synchronisation is due before the next
    // connected job when the time-sync panel's "Enable" box is on.
    hooks.armTimeSync = [&station] { station.SyncTimeNow = station.TimeSync.Settings.Enable; };
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
