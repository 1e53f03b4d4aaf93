#include "station/job_list_commands.h"

#include <limits>

#include "config/global_section.h"
#include "config/profile_file.h"
#include "station/station_config.h"

namespace ferrolin {

bool NewJob(Station& station) {
    const size_t count = station.Jobs.size();
    // The count is stored as 16 bits: one more job would read back as an empty list.
    if (count >= std::numeric_limits<uint16_t>::max()) {
        station.surfaces().AppendError("No more jobs can be added");
        return false;
    }
    // A job without a name would be a blank line in the list (an empty editor, before
    // any job was read).
    if (station.Editor.name.empty()) station.Editor.name = "Job " + std::to_string(count + 1);
    {
        ProfileFile ini(station.IniFilename, station.IniCache);
        ProfileFile::Batch batch(ini);
        WriteJob(station, ini, static_cast<int>(count));
        WriteJobCount(ini, count + 1);
        batch.Commit();
    }
    ReadConfig(station);
    return true;
}

bool DeleteJob(Station& station, int d) {
    if (d < 0 || static_cast<size_t>(d) >= station.Jobs.size()) return false;
    const std::string question =
        "Are you sure to delete " + station.Jobs[static_cast<size_t>(d)].name + " ?";
    if (station.surfaces().Ask("Warning", question, Buttons::YesNoCancel) != Answer::Yes) {
        return false;
    }

    const int n = static_cast<int>(station.Jobs.size());
    const auto jobs = station.Jobs;
    const auto editor = station.Editor;
    const int rasIndex = station.RasIndex;
    const std::string rasStoredName = station.RasStoredName;
    const bool delayEnabled = station.EditorDelayEnabled;
    const int selected = station.SelectedJob;
    try {
        ProfileFile ini(station.IniFilename, station.IniCache);
        ProfileFile::Batch batch(ini);
        for (int c = d + 1; c < n; ++c) {
            station.Jobs[static_cast<size_t>(c - 1)] = station.Jobs[static_cast<size_t>(c)];
            ReadJob(station, ini, c);
            WriteJob(station, ini, c - 1);
        }
        RemoveJobSection(station, ini, n - 1);
        batch.Commit();
    } catch (...) {
        station.Jobs = jobs;
        station.Editor = editor;
        station.RasIndex = rasIndex;
        station.RasStoredName = rasStoredName;
        station.EditorDelayEnabled = delayEnabled;
        station.SelectedJob = selected;
        station.surfaces().JobListChanged();
        station.surfaces().JobEditorChanged();
        throw;
    }

    const int remaining = static_cast<int>(station.Jobs.size());
    station.SelectedJob = d < remaining ? d : remaining - 1;
    station.surfaces().SelectJobLine(station.SelectedJob);
    if (station.SelectedJob >= 0) ReadJob(station, station.SelectedJob);
    return true;
}

}  // namespace ferrolin
