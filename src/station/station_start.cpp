#include "station/station_start.h"

#include "common/datetime_format.h"
#include "common/log.h"
#include "files/mpeg_check.h"
#include "platform/clock_setter.h"
#include "platform/program_dir.h"
#include "station/legacy_config.h"
#include "station/ras_entries.h"

namespace ferrolin {

StationStart ProgramStart() {
    StationStart start;
    start.setsClock = true;
    return start;
}

std::string DefaultProgramDir() {
    return platform::DetectProgramDir();
}

std::unique_ptr<Station> OpenStation(const StationStart& start, Surfaces& surfaces) {
    // The date and time forms are fixed before anything is read or shown.
    ApplyDateTimeFormats();
    auto station = std::make_unique<Station>(
        start.programDir.empty() ? DefaultProgramDir() : start.programDir, surfaces,
        start.clock != nullptr ? *start.clock : SystemClock(),
        start.process != nullptr ? *start.process : platform::SystemProcessControl());
    if (!start.readOnly) MoveLegacyConfig(*station);
    const std::string mpegLog =
        MpegLoadLogText(LoadMpegLibraries(station->Mpeg, station->ProgramDir));
    if (!mpegLog.empty() && !start.readOnly) WriteLog(0, station->LogFile, mpegLog);
    LoadRasEntries(*station);
    station->Recorder.LoadHistory();
    // Setting the clock needs root or CAP_SYS_TIME; without it a sync reports failure.
    if (start.setsClock) station->TimeSync.UseClockSetter(platform::SystemClockSetter());
    return station;
}

}  // namespace ferrolin
