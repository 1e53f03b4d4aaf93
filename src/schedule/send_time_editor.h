#pragma once
// The send-time editor: the weekday box (Tage) and the line list of the weekday shown, with
// its changed/unchanged state, and the weekday lists kept in the configuration file under
// "<English weekday>Fu10" (German names are still read from older files).
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "common/datetime.h"
#include "common/surfaces.h"

namespace ferrolin {

inline constexpr std::array<std::string_view, 7> kWeekdayNames = {
    "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
inline constexpr std::array<std::string_view, 7> kGermanWeekdayNames = {
    "Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"};
// Stored values are cut to this many bytes when read.
inline constexpr size_t kMaxWeekdayListLength = 255;

// Where the weekday lists live: keys of the "Global" section of the configuration file.
class WeekdayListStore {
public:
    virtual ~WeekdayListStore() = default;
    virtual std::string Read(std::string_view key, std::string_view defaultValue) = 0;
    virtual void Write(std::string_view key, std::string_view value) = 0;
};

class SendTimeEditor {
public:
    SendTimeEditor() = default;

    const std::vector<std::string>& Lines() const { return lines_; }
    // The operator's edit: replaces the lines and enables Save.
    void EditLines(std::vector<std::string> lines);
    // The schedule's own tidy-up (empty lines removed before a computation) goes through
    // here: it is no edit of the operator, so it does not enable Save and never leads to a
    // "Save changes ?" question at midnight on an unattended station.
    std::vector<std::string>& LinesForSchedule() { return lines_; }
    // Replaces the lines as loaded from the file and marks them unchanged.
    void SetLoadedLines(std::vector<std::string> lines);

    bool Changed() const { return changed_; }
    void MarkUnchanged() { changed_ = false; }

    // The weekday box: selected index (0 = Sunday ... 6 = Saturday; -1 none yet).
    int Day() const { return day_; }
    // The weekday box received the input focus: remember the day it shows.
    void DayBoxFocused() { LastDaySelected = day_ < 0 ? 0 : day_; }

    // Selects weekday index in the box and performs the weekday change: load that day's
    // list, asking "Save changes ?" first when the lines were edited. Returns false when
    // the operator cancelled (the box is back on LastDaySelected, the edits stay).
    bool SelectDay(int index, WeekdayListStore& store, Surfaces& surfaces);

    // The Save button: the lines go under the weekday selected in the box.
    void Save(WeekdayListStore& store);

    // The day whose lines the editor holds; the question's Yes saves under it.
    int LastDaySelected = 0;

private:
    std::vector<std::string> lines_;
    bool changed_ = false;
    int day_ = -1;
};

// Fills the editor with the list of the weekday named (English name); a day without a
// stored list keeps the lines shown, an editor left without lines gets the default line.
void LoadWeekdaySchedule(SendTimeEditor& editor, WeekdayListStore& store,
                         std::string_view englishName);
// Writes the editor's lines, each followed by ";", under weekday index's English key.
void SaveWeekdaySchedule(SendTimeEditor& editor, WeekdayListStore& store, int index);

// The weekday box's index of a moment: 0 = Sunday ... 6 = Saturday.
inline int WeekdayIndexOf(TDateTime moment) { return DayOfWeek(moment) - 1; }

// The key of a weekday list: "<English name>Fu10".
std::string WeekdayKey(std::string_view weekdayName);

}  // namespace ferrolin
