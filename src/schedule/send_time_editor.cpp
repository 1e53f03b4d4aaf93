#include "schedule/send_time_editor.h"

#include <utility>

#include "schedule/send_time.h"

namespace ferrolin {
namespace {

// Cuts a stored value to its first kMaxWeekdayListLength bytes without splitting a UTF-8
// character.
std::string CutStoredValue(std::string value) {
    if (value.size() <= kMaxWeekdayListLength) return value;
    size_t end = kMaxWeekdayListLength;
    while (end > 0 && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80) --end;
    value.resize(end);
    return value;
}

std::string_view GermanNameOf(std::string_view englishName) {
    for (size_t i = 0; i < kWeekdayNames.size(); ++i) {
        if (kWeekdayNames[i] == englishName) return kGermanWeekdayNames[i];
    }
    return {};
}

bool ValidDay(int index) { return index >= 0 && index < static_cast<int>(kWeekdayNames.size()); }

}  // namespace

std::string WeekdayKey(std::string_view weekdayName) {
    return std::string(weekdayName) + "Fu10";
}

void SendTimeEditor::EditLines(std::vector<std::string> lines) {
    lines_ = std::move(lines);
    changed_ = true;
}

void SendTimeEditor::SetLoadedLines(std::vector<std::string> lines) {
    lines_ = std::move(lines);
    changed_ = false;
}

bool SendTimeEditor::SelectDay(int index, WeekdayListStore& store, Surfaces& surfaces) {
    if (!ValidDay(index)) return false;
    day_ = index;
    if (changed_) {
        switch (surfaces.Ask("Warning", "Save changes ?", Buttons::YesNoCancel)) {
            case Answer::Yes:
                SaveWeekdaySchedule(*this, store, LastDaySelected);
                break;
            case Answer::No:
                break;
            default:  // Cancel: back to the day shown, edits kept
                day_ = LastDaySelected;
                return false;
        }
    }
    LoadWeekdaySchedule(*this, store, kWeekdayNames[static_cast<size_t>(index)]);
    // From now on the editor holds this day's lines; a later Yes must save them here, not
    // under whichever day the box showed when it last had the focus.
    LastDaySelected = index;
    return true;
}

void SendTimeEditor::Save(WeekdayListStore& store) {
    SaveWeekdaySchedule(*this, store, day_ < 0 ? 0 : day_);
}

void LoadWeekdaySchedule(SendTimeEditor& editor, WeekdayListStore& store,
                         std::string_view englishName) {
    const std::string_view germanName = GermanNameOf(englishName);
    std::string fallback =
        germanName.empty() ? std::string() : CutStoredValue(store.Read(WeekdayKey(germanName), ""));
    std::string value = CutStoredValue(store.Read(WeekdayKey(englishName), fallback));

    std::vector<std::string> lines = editor.Lines();
    if (!value.empty()) {
        if (value.back() == ';') value.pop_back();
        lines.clear();
        // Split at every ";": empty pieces become empty lines.
        size_t begin = 0;
        while (!value.empty()) {
            const size_t end = value.find(';', begin);
            lines.push_back(value.substr(begin, end == std::string::npos ? end : end - begin));
            if (end == std::string::npos) break;
            begin = end + 1;
        }
    }
    if (lines.empty()) lines.emplace_back(kDefaultSendTimeLine);
    editor.SetLoadedLines(std::move(lines));
}

void SaveWeekdaySchedule(SendTimeEditor& editor, WeekdayListStore& store, int index) {
    if (!ValidDay(index)) return;
    std::string value;
    for (const std::string& line : editor.Lines()) {
        value += line;
        value += ';';
    }
    store.Write(WeekdayKey(kWeekdayNames[static_cast<size_t>(index)]), value);
    editor.MarkUnchanged();
}

}  // namespace ferrolin
