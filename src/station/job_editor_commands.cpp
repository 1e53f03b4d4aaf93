#include "station/job_editor_commands.h"

#include "common/datetime_format.h"
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

bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// Digits with at most one decimal separator between or around them ("2", "2.5", ".5",
// "2."), no sign, no exponent.
bool IsDecimalNumber(std::string_view text) {
    const char local = Formats().DecimalSeparator;
    size_t sep = std::string_view::npos;
    for (size_t i = 0; i < text.size() && sep == std::string_view::npos; ++i) {
        if (text[i] == '.' || text[i] == local) sep = i;
    }
    if (sep == std::string_view::npos) return AllDigits(text);
    const std::string_view whole = text.substr(0, sep);
    const std::string_view fraction = text.substr(sep + 1);
    if (whole.empty() && fraction.empty()) return false;
    return (whole.empty() || AllDigits(whole)) && (fraction.empty() || AllDigits(fraction));
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

void CancelEdit(Station& station) { SetEditing(station, false); }

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
    if (!IsDecimalNumber(rate)) {
        return "The byte rate \"" + job.maxByteRate +
               "\" is not a number. Enter MByte/s such as 0 (no limit), 2 or 2.5.";
    }
    const std::string_view delay = TrimBlanks(job.deleteDelay);
    if (!delay.empty() && !AllDigits(delay)) {
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
