#include "station/job_editor_commands.h"

#include "config/job_settings.h"
#include "platform/errors.h"
#include "platform/fs.h"
#include "station/job_list_commands.h"
#include "station/station_config.h"

namespace ferrolin {
namespace {

bool IsJobLine(const Station& station, int index) {
    return index >= 0 && static_cast<size_t>(index) < station.Jobs.size();
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// Tells the operator why the editor's contents cannot be stored. False when they can.
bool RefuseNumbers(Station& station) {
    const std::optional<std::string> problem = EditorNumbersProblem(station.Editor);
    if (!problem) return false;
    station.surfaces().Ask("Error", *problem, Buttons::Ok);
    return true;
}

}  // namespace

void SetEditing(Station& station, bool on) {
    station.Editing = on;
    station.surfaces().EditingChanged();
}

void ClickJobLine(Station& station, int index) {
    if (!IsJobLine(station, index)) return;
    station.SelectedJob = index;
    ReadJob(station, index);
}

void DoubleClickJobLine(Station& station, int index) {
    if (!IsJobLine(station, index)) return;
    station.SelectedJob = index;
    ReadJob(station, index);
    SetEditing(station, true);
}

void EditJob(Station& station) {
    if (!IsJobLine(station, station.SelectedJob)) return;
    ReadJob(station, station.SelectedJob);
    SetEditing(station, true);
}

bool SaveJob(Station& station) {
    if (IsJobLine(station, station.SelectedJob)) {
        if (RefuseNumbers(station)) return false;
        WriteJob(station, station.SelectedJob);
    }
    SetEditing(station, false);
    return true;
}

void CancelEdit(Station& station) {
    SetEditing(station, false);
}

bool NewJobFromEditor(Station& station) {
    if (RefuseNumbers(station)) return false;
    return NewJob(station);
}

void SetEditorCopyMode(Station& station, uint8_t mode) {
    station.Editor.copyMode = mode;
    station.EditorDelayEnabled = mode == CM_SourceIsMaster;
}

std::optional<std::string> EditorNumbersProblem(const TransferJob& job) {
    const std::string_view rate = TrimBlanks(job.maxByteRate);
    if (!IsByteRateText(rate)) {
        return "The byte rate \"" + job.maxByteRate +
               "\" is not a number. Enter MByte/s such as 0 (no limit), 2 or 2.5.";
    }
    const std::string_view delay = TrimBlanks(job.deleteDelay);
    if (!IsDelayDaysText(delay)) {
        return "The delete delay \"" + job.deleteDelay +
               "\" is not a whole number of days. Enter 0 (no delay) or a number of days.";
    }
    return std::nullopt;
}

std::optional<std::string> PickJobFolder(Station& station, const std::string& fieldText) {
    Surfaces& surfaces = station.surfaces();
    const std::string start =
        !fieldText.empty() && platform::DirectoryExists(fieldText) ? fieldText : station.ProgramDir;
    std::string chosen = surfaces.PickFolder(start);
    if (chosen.empty()) return std::nullopt;
    if (!platform::DirectoryExists(chosen)) {
        if (surfaces.Ask("Confirm", "The folder " + chosen + " does not exist. Create it ?",
                         Buttons::YesNo) != Answer::Yes) {
            return std::nullopt;
        }
        if (const int32_t error = platform::CreateDirectories(chosen); error != 0) {
            surfaces.Ask("Error",
                         "Unable to create " + chosen + ": " + platform::ErrorMessage(error),
                         Buttons::Ok);
            return std::nullopt;
        }
    }
    return chosen;
}

}  // namespace ferrolin
