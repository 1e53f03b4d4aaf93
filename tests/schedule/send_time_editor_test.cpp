#include "schedule/send_time_editor.h"

#include <gtest/gtest.h>

#include "config/profile_file.h"
#include "schedule/config_weekday_store.h"
#include "schedule_fakes.h"
#include "support/temp_dir.h"

namespace ferrolin {
namespace {

using Lines = std::vector<std::string>;

class SendTimeEditorTest : public ::testing::Test {
protected:
    std::string Ini() const { return dir.path() + "/Ferrolin.INI"; }
    void Store(std::string_view key, std::string_view value) {
        ProfileFile(Ini()).WriteString("Global", key, value);
    }
    std::string Stored(std::string_view key) {
        return ProfileFile(Ini()).ReadString("Global", key, "<absent>");
    }

    test::TempDir dir;
    ProfileCache cache;
    ConfigWeekdayListStore store{dir.path() + "/Ferrolin.INI", cache};
    SendTimeEditor editor;
    test::ScheduleSurfaces surfaces;
};

TEST_F(SendTimeEditorTest, LoadsStoredValues) {
    struct Case {
        const char* stored;
        Lines expected;
    };
    const std::vector<Case> cases = {
        {"06:00 00:10:00;22:00 --;", {"06:00 00:10:00", "22:00 --"}},
        {"06:00 00:10:00;22:00 --", {"06:00 00:10:00", "22:00 --"}},
        {"06:00 00:10:00;;22:00 --;", {"06:00 00:10:00", "", "22:00 --"}},
        {";", {"00:00 01:00:00"}},
    };
    for (const Case& c : cases) {
        Store("MondayFu10", c.stored);
        editor.EditLines({"old"});
        LoadWeekdaySchedule(editor, store, "Monday");
        EXPECT_EQ(editor.Lines(), c.expected) << c.stored;
        EXPECT_FALSE(editor.Changed());
    }
}

TEST_F(SendTimeEditorTest, GermanKeyReadOnlyWhenEnglishIsAbsent) {
    Store("DienstagFu10", "07:00 00:05:00;");
    LoadWeekdaySchedule(editor, store, "Tuesday");
    EXPECT_EQ(editor.Lines(), Lines{"07:00 00:05:00"});

    Store("TuesdayFu10", "08:00 00:05:00;");
    LoadWeekdaySchedule(editor, store, "Tuesday");
    EXPECT_EQ(editor.Lines(), Lines{"08:00 00:05:00"});
}

TEST_F(SendTimeEditorTest, DayWithoutListKeepsShownLinesOrGetsTheDefault) {
    LoadWeekdaySchedule(editor, store, "Friday");
    EXPECT_EQ(editor.Lines(), Lines{"00:00 01:00:00"});

    editor.EditLines({"09:00 00:20:00"});
    LoadWeekdaySchedule(editor, store, "Saturday");
    EXPECT_EQ(editor.Lines(), Lines{"09:00 00:20:00"});
    EXPECT_FALSE(editor.Changed());
}

TEST_F(SendTimeEditorTest, LongStoredValueLosesItsTail) {
    std::string value = "07:00 --;";
    while (value.size() < 300) value += "06:00 00:10:00;";
    Store("SundayFu10", value);
    LoadWeekdaySchedule(editor, store, "Sunday");
    std::string joined;
    for (const std::string& line : editor.Lines()) joined += line + ";";
    joined.pop_back();
    EXPECT_EQ(joined, value.substr(0, 255));
    EXPECT_EQ(editor.Lines().back(), "06:00 ");  // the tail of the cut line
}

TEST_F(SendTimeEditorTest, SaveWritesEnglishKeyWithSemicolons) {
    editor.EditLines({"06:00 00:10:00", "22:00 --"});
    ASSERT_TRUE(editor.Changed());
    SaveWeekdaySchedule(editor, store, 3);
    EXPECT_EQ(Stored("WednesdayFu10"), "06:00 00:10:00;22:00 --;");
    EXPECT_FALSE(editor.Changed());

    editor.EditLines({});
    SaveWeekdaySchedule(editor, store, 3);
    EXPECT_EQ(Stored("WednesdayFu10"), "");
}

// The schedule's removal of empty lines is no operator edit.
TEST_F(SendTimeEditorTest, ScheduleTidyUpDoesNotEnableSave) {
    Store("MondayFu10", "06:00 00:10:00;;");
    LoadWeekdaySchedule(editor, store, "Monday");
    std::erase(editor.LinesForSchedule(), "");
    EXPECT_FALSE(editor.Changed());
}

TEST_F(SendTimeEditorTest, WeekdayChangeWithUnsavedLines) {
    Store("MondayFu10", "01:00 00:10:00;");
    Store("TuesdayFu10", "02:00 00:10:00;");
    struct Case {
        Answer answer;
        bool selected;
        int day;
        Lines lines;
        const char* mondayStored;
    };
    const std::vector<Case> cases = {
        {Answer::Yes, true, 2, {"02:00 00:10:00"}, "09:00 00:30:00;"},
        {Answer::No, true, 2, {"02:00 00:10:00"}, "01:00 00:10:00;"},
        {Answer::Cancel, false, 1, {"09:00 00:30:00"}, "01:00 00:10:00;"},
    };
    for (const Case& c : cases) {
        Store("MondayFu10", "01:00 00:10:00;");
        ASSERT_TRUE(editor.SelectDay(1, store, surfaces));
        editor.DayBoxFocused();
        editor.EditLines({"09:00 00:30:00"});
        surfaces.asked.clear();
        surfaces.answers = {c.answer};

        EXPECT_EQ(editor.SelectDay(2, store, surfaces), c.selected);
        EXPECT_EQ(surfaces.asked, Lines{"Warning: Save changes ?"});
        EXPECT_EQ(editor.Day(), c.day);
        EXPECT_EQ(editor.Lines(), c.lines);
        EXPECT_EQ(editor.Changed(), c.answer == Answer::Cancel);
        EXPECT_EQ(Stored("MondayFu10"), c.mondayStored);
        EXPECT_EQ(Stored("TuesdayFu10"), "02:00 00:10:00;");
    }
}

TEST_F(SendTimeEditorTest, UnchangedLinesChangeDayWithoutQuestion) {
    Store("ThursdayFu10", "04:00 00:10:00;");
    ASSERT_TRUE(editor.SelectDay(4, store, surfaces));
    EXPECT_TRUE(surfaces.asked.empty());
    EXPECT_EQ(editor.Lines(), Lines{"04:00 00:10:00"});
}

// The day changes at midnight without the weekday box ever having had the focus: Yes must
// keep the edited lines with the day they were edited for, not overwrite Sunday's list.
TEST_F(SendTimeEditorTest, YesAtMidnightSavesUnderTheDayShown) {
    Store("SundayFu10", "05:00 00:10:00;");
    ASSERT_TRUE(editor.SelectDay(1, store, surfaces));
    editor.EditLines({"09:00 00:30:00"});
    surfaces.answers = {Answer::Yes};
    ASSERT_TRUE(editor.SelectDay(2, store, surfaces));
    EXPECT_EQ(Stored("MondayFu10"), "09:00 00:30:00;");
    EXPECT_EQ(Stored("SundayFu10"), "05:00 00:10:00;");
}

}  // namespace
}  // namespace ferrolin
