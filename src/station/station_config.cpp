#include "station/station_config.h"

#include "common/text.h"
#include "config/global_section.h"
#include "config/job_section.h"
#include "platform/errors.h"
#include "station/time_sync_config.h"

namespace ferrolin {

namespace {

bool IsJobLine(const Station& station, int n) {
    return n >= 0 && static_cast<size_t>(n) < station.Jobs.size();
}

void ReportUnreadable(Station& station, const ProfileFile& ini) {
    if (ini.ReadError() == 0) return;
    station.surfaces().AppendError("Unable to read " + ini.Path() + ": " +
                                   platform::ErrorMessage(ini.ReadError()));
}

}  // namespace

std::string RasShownText(const Station& station) {
    if (station.RasIndex >= 0 && static_cast<size_t>(station.RasIndex) < station.RasEntries.size()) {
        return station.RasEntries[static_cast<size_t>(station.RasIndex)];
    }
    return "Not found";
}

void ReadConfig(Station& station) {
    ProfileFile ini(station.IniFilename, station.IniCache);
    ProfileFile::Snapshot snapshot(ini);
    Surfaces& surfaces = station.surfaces();
    station.Options = ReadGlobalOptions(ini, station.Options);
    ReportUnreadable(station, ini);

    const uint16_t count = ReadJobCount(ini);
    station.Jobs.clear();
    station.SelectedJob = -1;
    surfaces.SelectJobLine(-1);
    // Without a first job there is no folder to watch.
    station.SpecialScanFolder.clear();
    station.Jobs.reserve(count);
    for (int n = 0; n < count; ++n) {
        const std::string section = JobSectionName(n);
        JobListLine line;
        line.name = ini.ReadString(section, "Name", "");
        line.checked = ini.ReadBool(section, "Active", false);
        station.Jobs.push_back(std::move(line));
        if (n == 0) station.SpecialScanFolder = ini.ReadString(section, "SendeVerzeichnis", "");
        surfaces.ProcessMessages();
    }
    surfaces.JobListChanged();
    LoadTimeSyncConfig(station);
}

void SaveConfig(Station& station) {
    ProfileFile ini(station.IniFilename, station.IniCache);
    ProfileFile::Batch batch(ini);
    WriteGlobalOptions(ini, station.Options);
    for (size_t n = 0; n < station.Jobs.size(); ++n) {
        ini.WriteBool(JobSectionName(static_cast<int>(n)), "Active", station.Jobs[n].checked);
    }
    batch.Commit();
    SaveTimeSyncConfig(station);
}

void ReadJob(Station& station, ProfileFile& ini, int n) {
    TransferJob job = ReadJobSection(ini, n, station.Editor);
    if (IsJobLine(station, n)) job.active = station.Jobs[static_cast<size_t>(n)].checked;
    station.EditorDelayEnabled = job.copyMode == CM_SourceIsMaster;
    station.RasIndex = FindItemIndex(job.dialUpEntry, &station.RasEntries);
    station.RasStoredName = job.dialUpEntry;
    job.dialUpEntry = RasShownText(station);
    station.Editor = std::move(job);
    station.surfaces().JobEditorChanged();
}

void ReadJob(Station& station, int n) {
    ProfileFile ini(station.IniFilename, station.IniCache);
    ReadJob(station, ini, n);
}

void WriteJob(Station& station, ProfileFile& ini, int n) {
    TransferJob job = station.Editor;
    const bool keepStored = station.RasIndex < 0 && !station.RasStoredName.empty();
    job.dialUpEntry = keepStored ? station.RasStoredName : RasShownText(station);
    WriteJobSection(ini, n, job);
    if (IsJobLine(station, n)) {
        station.Jobs[static_cast<size_t>(n)].name = station.Editor.name;
        station.surfaces().JobListChanged();
    }
}

void WriteJob(Station& station, int n) {
    ProfileFile ini(station.IniFilename, station.IniCache);
    WriteJob(station, ini, n);
}

void RemoveJobSection(Station& station, ProfileFile& ini, int n) {
    if (IsJobLine(station, n)) {
        station.Jobs.erase(station.Jobs.begin() + n);
        if (station.SelectedJob >= static_cast<int>(station.Jobs.size())) station.SelectedJob = -1;
        station.surfaces().JobListChanged();
    }
    ProfileFile::Batch batch(ini);
    ini.EraseSection(JobSectionName(n));
    WriteJobCount(ini, station.Jobs.size());
    batch.Commit();
}

void RemoveJobSection(Station& station, int n) {
    ProfileFile ini(station.IniFilename, station.IniCache);
    RemoveJobSection(station, ini, n);
}

}  // namespace ferrolin
