#include "station/job_editor_commands.h"

#include <gtest/gtest.h>

#include "../common/formats_guard.h"
#include "config/profile_file.h"
#include "platform/fs.h"
#include "station/station_config.h"
#include "support/recording_surfaces.h"
#include "support/temp_dir.h"

namespace ferrolin {
namespace {

using test::RecordingSurfaces;
using test::TempDir;
using test::WriteFile;

struct NumbersCase {
    const char* rate;
    const char* delay;
    bool accepted;
};

class EditorNumbers : public ::testing::TestWithParam<NumbersCase> {};

TEST_P(EditorNumbers, AcceptsOnlyNumbers) {
    TransferJob job;
    job.maxByteRate = GetParam().rate;
    job.deleteDelay = GetParam().delay;
    EXPECT_EQ(!EditorNumbersProblem(job).has_value(), GetParam().accepted)
        << "rate '" << GetParam().rate << "' delay '" << GetParam().delay << "'";
}

INSTANTIATE_TEST_SUITE_P(Table, EditorNumbers,
                         ::testing::Values(NumbersCase{"0", "0", true},
                                           NumbersCase{"2.5", "14", true},
                                           NumbersCase{".5", "", true},
                                           NumbersCase{" 3 ", " 2 ", true},
                                           NumbersCase{"", "0", false},
                                           NumbersCase{"abc", "0", false},
                                           NumbersCase{"1e3", "0", false},
                                           NumbersCase{"+1", "0", false},
                                           NumbersCase{"1,5", "0", false},
                                           NumbersCase{"0", "1.5", false},
                                           NumbersCase{"0", "-1", false},
                                           NumbersCase{"0", "seven", false}));

TEST(EditorNumbersLocale, TheSystemDecimalSeparatorIsANumberToo) {
    test::FormatsGuard german(test::German());
    TransferJob job;
    job.maxByteRate = "1,5";
    EXPECT_FALSE(EditorNumbersProblem(job));
    job.maxByteRate = "1,5.2";
    EXPECT_TRUE(EditorNumbersProblem(job));
}

class JobEditorCommands : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(station.IniFilename,
                  "[Global]\nAnzKopfstellen=2\n[Kopf0]\nName=One\nCopyMode=3\n"
                  "[Kopf1]\nName=Two\nMaxByteRate=1\n");
        ReadConfig(station);
    }
    std::string Ini(const char* section, const char* key) {
        return ProfileFile(station.IniFilename).ReadString(section, key, "<absent>");
    }

    TempDir dir;
    RecordingSurfaces surfaces;
    Station station{dir.path(), surfaces};
};

TEST_F(JobEditorCommands, ClickReadsAndDoubleClickEdits) {
    ClickJobLine(station, 0);
    EXPECT_EQ(station.Editor.name, "One");
    EXPECT_TRUE(station.EditorDelayEnabled);
    EXPECT_FALSE(station.Editing);
    DoubleClickJobLine(station, 1);
    EXPECT_EQ(station.Editor.name, "Two");
    EXPECT_FALSE(station.EditorDelayEnabled);
    EXPECT_TRUE(station.Editing);
    // Lines that do not exist change nothing.
    ClickJobLine(station, 5);
    EXPECT_EQ(station.SelectedJob, 1);
}

TEST_F(JobEditorCommands, SaveWithoutSelectionWritesNothingButEndsEditing) {
    station.Editor.name = "Nobody";
    SetEditing(station, true);
    EXPECT_TRUE(SaveJob(station));
    EXPECT_FALSE(station.Editing);
    EXPECT_EQ(Ini("Kopf0", "Name"), "One");
    EXPECT_EQ(Ini("Kopf1", "Name"), "Two");
}

TEST_F(JobEditorCommands, RefusedNumbersKeepEditingAndTheFile) {
    EditJob(station);  // no selection: nothing happens
    EXPECT_FALSE(station.Editing);
    ClickJobLine(station, 1);
    EditJob(station);
    station.Editor.maxByteRate = "fast";
    EXPECT_FALSE(SaveJob(station));
    EXPECT_TRUE(station.Editing);
    ASSERT_EQ(surfaces.questions.size(), 1u);
    EXPECT_EQ(surfaces.questions[0].buttons, Buttons::Ok);
    EXPECT_NE(surfaces.questions[0].text.find("\"fast\""), std::string::npos);
    EXPECT_EQ(Ini("Kopf1", "MaxByteRate"), "1");
    EXPECT_FALSE(NewJobFromEditor(station));
    EXPECT_EQ(Ini("Global", "AnzKopfstellen"), "2");
}

TEST_F(JobEditorCommands, CopyModeOpensTheDelayOnlyForSourceIsMaster) {
    for (uint8_t mode = 0; mode <= CM_ShortCutsOnly; ++mode) {
        SetEditorCopyMode(station, mode);
        EXPECT_EQ(station.EditorDelayEnabled, mode == CM_SourceIsMaster) << int(mode);
        EXPECT_EQ(station.Editor.copyMode, mode);
    }
}

TEST_F(JobEditorCommands, FolderPickStartsAtAnExistingFieldAndCreatesAfterAsking) {
    const std::string existing = dir / "in";
    ASSERT_EQ(platform::CreateDirectories(existing), 0);
    surfaces.pickedFolder = existing;
    EXPECT_EQ(PickJobFolder(station, existing), existing);
    EXPECT_TRUE(surfaces.questions.empty());

    surfaces.pickedFolder = dir / "made/here";
    surfaces.answer = Answer::No;
    EXPECT_FALSE(PickJobFolder(station, "/no/such"));
    EXPECT_FALSE(platform::DirectoryExists(surfaces.pickedFolder));
    surfaces.answer = Answer::Yes;
    EXPECT_EQ(PickJobFolder(station, "/no/such"), surfaces.pickedFolder);
    EXPECT_TRUE(platform::DirectoryExists(surfaces.pickedFolder));

    surfaces.pickedFolder.clear();  // the dialog was cancelled
    EXPECT_FALSE(PickJobFolder(station, existing));
}

}  // namespace
}  // namespace ferrolin
