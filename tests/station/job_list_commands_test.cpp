#include "station/job_list_commands.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "config/profile_file.h"
#include "station/station_config.h"
#include "support/recording_surfaces.h"
#include "support/temp_dir.h"

namespace ferrolin {
namespace {

using test::ReadFile;
using test::RecordingSurfaces;
using test::TempDir;
using test::WriteFile;

const char kThreeJobs[] =
    "[Global]\nAnzKopfstellen=3\n"
    "[Kopf0]\nName=One\nActive=1\nSendeVerzeichnis=/one\nCopyMode=3\n"
    "[Kopf1]\nName=Two\nActive=0\nSendeVerzeichnis=/two\nAddTimeStampC=1\nAddTimeStampE=hhnn\n"
    "[Kopf2]\nName=Three\nActive=1\nSendeVerzeichnis=/three\n";

class JobListCommands : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(station.IniFilename, kThreeJobs);
        ReadConfig(station);
    }
    ProfileFile Ini() { return ProfileFile(station.IniFilename); }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (const auto& line : station.Jobs) names.push_back(line.name);
        return names;
    }

    TempDir dir;
    RecordingSurfaces surfaces;
    Station station{dir.path(), surfaces};
};

TEST_F(JobListCommands, DeleteFirstOfThreeShiftsSections) {
    ASSERT_TRUE(DeleteJob(station, 0));
    ASSERT_EQ(surfaces.questions.size(), 1u);
    EXPECT_EQ(surfaces.questions[0].caption, "Warning");
    EXPECT_EQ(surfaces.questions[0].text, "Are you sure to delete One ?");
    EXPECT_EQ(surfaces.questions[0].buttons, Buttons::YesNoCancel);

    ProfileFile ini(station.IniFilename);
    EXPECT_EQ(ini.ReadInteger("Global", "AnzKopfstellen", -1), 2);
    EXPECT_EQ(ini.ReadString("Kopf0", "Name", ""), "Two");
    EXPECT_EQ(ini.ReadString("Kopf0", "SendeVerzeichnis", ""), "/two");
    EXPECT_EQ(ini.ReadString("Kopf0", "AddTimeStampE", ""), "hhnn");
    EXPECT_EQ(ini.ReadString("Kopf0", "CopyMode", ""), "0");
    EXPECT_EQ(ini.ReadString("Kopf1", "Name", ""), "Three");
    EXPECT_FALSE(ini.SectionExists("Kopf2"));
    // Check marks move in the list; in the file they wait for the next SaveConfig.
    EXPECT_EQ(Names(), (std::vector<std::string>{"Two", "Three"}));
    EXPECT_FALSE(station.Jobs[0].checked);
    EXPECT_TRUE(station.Jobs[1].checked);
    EXPECT_EQ(ini.ReadString("Kopf0", "Active", ""), "1");
    // The same index is selected and shown.
    EXPECT_EQ(station.SelectedJob, 0);
    EXPECT_EQ(station.Editor.name, "Two");
}

TEST_F(JobListCommands, ShiftedJobsKeepDialUpEntriesTheListLacks) {
    // The line "Night modem" is not offered now (dial-up unavailable); "Office" is.
    station.RasEntries = {"RAS disabled", "Office"};
    WriteFile(station.IniFilename,
              "[Global]\nAnzKopfstellen=3\n[Kopf0]\nName=One\n"
              "[Kopf1]\nName=Two\nDRasEintrag=Night modem\n"
              "[Kopf2]\nName=Three\nDRasEintrag=office\n");
    ReadConfig(station);
    ASSERT_TRUE(DeleteJob(station, 0));
    ProfileFile ini(station.IniFilename);
    EXPECT_EQ(ini.ReadString("Kopf0", "DRasEintrag", ""), "Night modem");
    EXPECT_EQ(ini.ReadString("Kopf1", "DRasEintrag", ""), "Office");
}

TEST_F(JobListCommands, DeleteLastAndOnlyJobs) {
    ASSERT_TRUE(DeleteJob(station, 2));
    EXPECT_EQ(Names(), (std::vector<std::string>{"One", "Two"}));
    EXPECT_EQ(station.SelectedJob, 1);
    EXPECT_EQ(station.Editor.name, "Two");
    ASSERT_TRUE(DeleteJob(station, 0));
    ASSERT_TRUE(DeleteJob(station, 0));
    EXPECT_TRUE(station.Jobs.empty());
    EXPECT_EQ(station.SelectedJob, -1);
    ProfileFile ini(station.IniFilename);
    EXPECT_EQ(ini.ReadInteger("Global", "AnzKopfstellen", -1), 0);
    EXPECT_EQ(ini.ReadSectionNames(), std::vector<std::string>{"Global"});
}

TEST_F(JobListCommands, AnythingButYesDeletesNothing) {
    const std::string before = ReadFile(station.IniFilename);
    for (Answer answer : {Answer::No, Answer::Cancel}) {
        surfaces.answer = answer;
        EXPECT_FALSE(DeleteJob(station, 1));
    }
    EXPECT_FALSE(DeleteJob(station, 3));   // no such line: not even asked
    EXPECT_FALSE(DeleteJob(station, -1));
    EXPECT_EQ(surfaces.questions.size(), 2u);
    EXPECT_EQ(ReadFile(station.IniFilename), before);
    EXPECT_EQ(station.Jobs.size(), 3u);
}

TEST_F(JobListCommands, RefusedDeleteChangesNothing) {
    ReadJob(station, 2);
    const std::string before = ReadFile(station.IniFilename);
    // Replace the file by a folder after reading: every write is refused.
    std::filesystem::remove(station.IniFilename);
    std::filesystem::create_directory(station.IniFilename);
    EXPECT_THROW(DeleteJob(station, 0), ProfileWriteError);
    EXPECT_EQ(Names(), (std::vector<std::string>{"One", "Two", "Three"}));
    EXPECT_EQ(station.Editor.name, "Three");
    std::filesystem::remove(station.IniFilename);
    WriteFile(station.IniFilename, before);
}

TEST_F(JobListCommands, NewAppendsACopyOfTheEditor) {
    ReadJob(station, 1);
    station.Jobs[0].checked = false;  // unsaved: replaced by the file's value
    ASSERT_TRUE(NewJob(station));
    EXPECT_EQ(Names(), (std::vector<std::string>{"One", "Two", "Three", "Two"}));
    EXPECT_TRUE(station.Jobs[0].checked);
    EXPECT_FALSE(station.Jobs[3].checked);
    ProfileFile ini(station.IniFilename);
    EXPECT_EQ(ini.ReadInteger("Global", "AnzKopfstellen", -1), 4);
    EXPECT_EQ(ini.ReadString("Kopf3", "SendeVerzeichnis", ""), "/two");
    EXPECT_EQ(ini.ReadString("Kopf3", "AddTimeStampE", ""), "hhnn");
}

TEST(JobListNew, OnEmptyListTakesTheEditorAsItIs) {
    TempDir dir;
    RecordingSurfaces surfaces;
    Station station(dir.path(), surfaces);
    ReadConfig(station);
    station.Editor.name = "KopfName";
    ASSERT_TRUE(NewJob(station));
    ASSERT_EQ(station.Jobs.size(), 1u);
    EXPECT_EQ(station.Jobs[0].name, "KopfName");
    EXPECT_FALSE(station.Jobs[0].checked);
}

TEST(JobListNew, RefusedWhenTheCountWouldOverflow) {
    TempDir dir;
    RecordingSurfaces surfaces;
    Station station(dir.path(), surfaces);
    WriteFile(station.IniFilename, "[Global]\nAnzKopfstellen=65535\n");
    ReadConfig(station);
    ASSERT_EQ(station.Jobs.size(), 65535u);
    EXPECT_FALSE(NewJob(station));
    EXPECT_EQ(surfaces.errors.size(), 1u);
    EXPECT_EQ(ProfileFile(station.IniFilename).ReadInteger("Global", "AnzKopfstellen", 0), 65535);
}

}  // namespace
}  // namespace ferrolin
