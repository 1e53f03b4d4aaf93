#include "station/run_driver.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "common/text.h"
#include "files/copy_status.h"
#include "files/mpeg_check.h"
#include "platform/fs.h"
#include "station/station.h"
#include "station/station_config.h"
#include "support/job_ini.h"
#include "support/recording_surfaces.h"
#include "support/temp_dir.h"
#include "support/text_count.h"

namespace ferrolin {
namespace {

namespace fs = std::filesystem;
using test::IniKeys;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// A face whose message processing runs a test's script (the operator pressing Cancel,
// a share going away in the middle of a run).
class ScriptedSurfaces : public test::RecordingSurfaces {
public:
    void ProcessMessages() override {
        RecordingSurfaces::ProcessMessages();
        if (onMessages) onMessages();
    }
    bool LastStatusStartsWith(const std::string& prefix) const {
        return !statusTexts.empty() && statusTexts.back().rfind(prefix, 0) == 0;
    }
    std::function<void()> onMessages;
};

size_t Count(const std::string& text, const std::string& part) {
    return static_cast<size_t>(test::CountOccurrences(text, part));
}

class RunJobTest : public ::testing::Test {
protected:
    RunJobTest() : station(home.path(), surfaces) {}

    void Configure(const IniKeys& global, const std::vector<IniKeys>& jobs) {
        test::WriteJobIni(home.path(), global, jobs);
        ReadConfig(station);
    }
    void RunAll(const IniKeys& global, const std::vector<IniKeys>& jobs) {
        Configure(global, jobs);
        RunAllJobsManually(station, false);
    }
    IniKeys FolderJob(const std::string& source, const std::string& dest) {
        return {{"SendeVerzeichnis", source}, {"EmpfangsVerzeichnis", dest}};
    }
    std::string Log() { return ReadFile(home / "Ferrolin.log"); }
    bool Exists(const std::string& path) { return fs::exists(fs::symlink_status(path)); }

    TempDir home, src, dst;
    ScriptedSurfaces surfaces;
    Station station;
};

TEST_F(RunJobTest, CopiesNewFilesOnceAndLogsEachCopy) {
    WriteFile(src / "a.txt", "alpha");
    WriteFile(src / "b.txt", "bravo!");
    WriteFile(src / "skip.tmp", "x");
    RunAll({}, {{{"SendeVerzeichnis", src.path()},
                 {"EmpfangsVerzeichnis", dst.path()},
                 {"ExcludeExtensions", ".tmp"},
                 {"Name", "Daily"}}});
    EXPECT_EQ(ReadFile(dst / "a.txt"), "alpha");
    EXPECT_EQ(ReadFile(dst / "b.txt"), "bravo!");
    EXPECT_FALSE(Exists(dst / "skip.tmp"));
    // Times travel as 100-ns file times.
    EXPECT_LT(std::chrono::abs(fs::last_write_time(src / "a.txt") - fs::last_write_time(dst / "a.txt")),
              std::chrono::microseconds(1));
    std::string log = Log();
    EXPECT_EQ(Count(log, "Copy to " + dst.path() + "/a.txt successful ("), 1u) << log;
    EXPECT_EQ(Count(log, "Copy to " + dst.path() + "/b.txt successful ("), 1u) << log;
    EXPECT_EQ(surfaces.caption, "Ferrolin");
    EXPECT_EQ(surfaces.nextStartText, "finished");
    EXPECT_EQ(surfaces.selectedLines.back(), -1);
    EXPECT_EQ(station.RunMode, RM_Idle);
    EXPECT_EQ(station.FailedFiles, 0u);
    EXPECT_FALSE(station.Connected);
    // The first file's progress line has no speed and no remaining time yet.
    const auto first = std::find_if(
        surfaces.statusTexts.begin(), surfaces.statusTexts.end(),
        [](const std::string& t) { return t.rfind("copying... 1 of 2 Files", 0) == 0; });
    ASSERT_NE(first, surfaces.statusTexts.end());
    EXPECT_EQ(first->rfind("copying... 1 of 2 Files 0.00 Bytes of 11.00 Bytes free: ", 0), 0u)
        << *first;
    EXPECT_EQ(first->find("speed"), std::string::npos);
    EXPECT_EQ(first->find("remaining"), std::string::npos);

    // A second run finds everything the same: nothing copied, nothing logged per file.
    RunAllJobsManually(station, false);
    log = Log();
    EXPECT_EQ(Count(log, "Copy to "), 2u);
}

TEST_F(RunJobTest, SubfoldersAreMirroredWithIncludeSubDirectories) {
    WriteFile(src / "top.txt", "t");
    WriteFile(src / "one/two/deep name.txt", "d");
    IniKeys job = FolderJob(src.path(), dst.path());
    job["ParsingType"] = "1";
    RunAll({}, {job});
    EXPECT_EQ(ReadFile(dst / "top.txt"), "t");
    EXPECT_EQ(ReadFile(dst / "one/two/deep name.txt"), "d");
    // Without the option only the folder's own files go, all into the destination folder.
    TempDir flat;
    RunAll({}, {FolderJob(src.path(), flat.path())});
    EXPECT_TRUE(Exists(flat / "top.txt"));
    EXPECT_FALSE(Exists(flat / "one"));
}

TEST_F(RunJobTest, UncheckedJobIsOnlyReadAndShown) {
    WriteFile(src / "a.txt", "a");
    IniKeys job = FolderJob(src.path(), dst.path());
    job["Active"] = "0";
    job["Name"] = "Sleeping";
    Configure({}, {job});
    RunJob(station, 0);
    EXPECT_FALSE(Exists(dst / "a.txt"));
    EXPECT_EQ(station.Editor.Name, "Sleeping");
    EXPECT_EQ(surfaces.selectedLines.back(), 0);
    EXPECT_EQ(surfaces.caption, "");  // never touched
    EXPECT_TRUE(surfaces.jobListEnabled);
}

TEST_F(RunJobTest, UploadInProgressMarkerStopsTheJobWhenTheOptionIsOn) {
    WriteFile(src / "a.txt", "a");
    WriteFile(src / "sub/UploadInProgress.txt", "");
    IniKeys job = FolderJob(src.path(), dst.path());
    job["ParsingType"] = "1";
    RunAll({{"UploadInProgressCheck", "1"}}, {job});
    EXPECT_FALSE(Exists(dst / "a.txt"));
    EXPECT_EQ(Count(Log(), "Not copied because UPLOADINPROGRESS.TXT found."), 1u);
    RunAll({{"UploadInProgressCheck", "0"}}, {job});
    EXPECT_TRUE(Exists(dst / "a.txt"));
}

TEST_F(RunJobTest, CancelDuringTheThirdOfFiveFilesIsCountedAsTwo) {
    for (const char* name : {"1.dat", "2.dat", "3.dat", "4.dat", "5.dat"})
        WriteFile(src / name, std::string(1000, 'x'));
    surfaces.onMessages = [this] {
        if (surfaces.LastStatusStartsWith("copying... 3 of 5")) CancelRun(station);
    };
    WriteFile(dst / "orphan.dat", "o");
    IniKeys job = FolderJob(src.path(), dst.path());
    job["CopyMode"] = "3";
    TempDir second;
    RunAll({{"LogEndStatistic", "1"}, {"Auto", "1"}}, {job, FolderJob(src.path(), second.path())});
    const std::string log = Log();
    EXPECT_EQ(Count(log, "Copy process aborted "), 1u) << log;
    EXPECT_EQ(Count(log, "Total copied files: 2 size: 1.95 KB speed: "), 1u) << log;
    EXPECT_FALSE(Exists(dst / "4.dat"));
    EXPECT_TRUE(Exists(dst / "orphan.dat"));  // a cancelled job skips its mirror step
    EXPECT_TRUE(fs::is_empty(second.path()));  // and the manual run its remaining jobs
    EXPECT_TRUE(station.Copy.Cancel.Cancelled());
    EXPECT_FALSE(station.Options.Auto);
}

TEST_F(RunJobTest, CancelDuringTheFirstFileCountsThatFile) {
    for (const char* name : {"1.dat", "2.dat", "3.dat"}) WriteFile(src / name, std::string(100, 'x'));
    surfaces.onMessages = [this] {
        if (surfaces.LastStatusStartsWith("copying... 1 of 3")) CancelRun(station);
    };
    RunAll({{"LogEndStatistic", "1"}}, {FolderJob(src.path(), dst.path())});
    const std::string log = Log();
    EXPECT_EQ(Count(log, "Copy process aborted "), 0u) << log;
    EXPECT_EQ(Count(log, "Total copied files: 1 size: 100.00 Bytes"), 1u) << log;
}

TEST_F(RunJobTest, EmptyDestinationOnlyReadsAndNeverDeletesTheSource) {
    WriteFile(src / "a.txt", "a");
    IniKeys job = FolderJob(src.path(), "");
    job["SourceDelete"] = "1";
    RunAll({}, {job});
    EXPECT_TRUE(Exists(src / "a.txt"));
    EXPECT_EQ(station.FailedFiles, 0u);
}

TEST_F(RunJobTest, SourceDeletionAfterACopyButNotBehindAShortcut) {
    WriteFile(src / "a.txt", "a");
    IniKeys job = FolderJob(src.path(), dst.path());
    job["SourceDelete"] = "1";
    RunAll({}, {job});
    EXPECT_FALSE(Exists(src / "a.txt"));
    EXPECT_EQ(ReadFile(dst / "a.txt"), "a");

    WriteFile(src / "clip.mpg", "m");
    TempDir links;
    job = FolderJob(src.path(), links.path());
    job["SourceDelete"] = "1";
    job["CopyMode"] = "4";
    RunAll({}, {job});
    EXPECT_TRUE(Exists(src / "clip.mpg"));
    EXPECT_TRUE(fs::is_symlink(links / "clip.mpg.lnk"));
    EXPECT_EQ(ReadFile(links / "clip.mpg.lnk"), "m");
    EXPECT_EQ(Count(Log(), "Copy to " + links.path() + "/clip.mpg shortcut created"), 1u) << Log();
}

TEST_F(RunJobTest, FailedCopiesAreLoggedCountedAndTheRunGoesOn) {
    WriteFile(src / "a.txt", "a");
    WriteFile(src / "b.txt", "b");
    fs::create_directories(dst / "a.txt");  // a folder where the file should go
    RunAll({}, {FolderJob(src.path(), dst.path())});
    EXPECT_EQ(ReadFile(dst / "b.txt"), "b");
    EXPECT_EQ(station.FailedFiles, 1u);
    EXPECT_EQ(station.JobsCutShort, 0u);
}

TEST_F(RunJobTest, AFileThatVanishesMidRunIsLoggedAndTheRunGoesOn) {
    WriteFile(src / "a.txt", "a");
    WriteFile(src / "b.txt", "b");
    WriteFile(src / "c.txt", "c");
    surfaces.onMessages = [this] {
        if (surfaces.LastStatusStartsWith("copying... 1 of 3")) fs::remove(src / "b.txt");
    };
    RunAll({}, {FolderJob(src.path(), dst.path())});
    EXPECT_EQ(ReadFile(dst / "a.txt"), "a");
    EXPECT_EQ(ReadFile(dst / "c.txt"), "c");
    EXPECT_FALSE(Exists(dst / "b.txt"));
    EXPECT_EQ(Count(Log(), "Open of b.txt failed"), 1u) << Log();
    EXPECT_EQ(station.FailedFiles, 1u);
}

TEST_F(RunJobTest, ByteRateThatIsNotANumberCopiesWithoutLimit) {
    WriteFile(src / "a.txt", "a");
    IniKeys job = FolderJob(src.path(), dst.path());
    job["MaxByteRate"] = "fast";
    RunAll({}, {job});
    EXPECT_TRUE(Exists(dst / "a.txt"));
    EXPECT_EQ(Count(Log(), "Byte rate \"fast\" is not a number"), 1u);
}

TEST_F(RunJobTest, AManualRunRotatesTheLogPastTwoMillionBytes) {
    WriteFile(home / "Ferrolin.log", std::string(2000000, 'x'));
    RunAll({}, {});
    EXPECT_FALSE(Exists(home / "Ferrolinold.log"));  // exactly the limit: kept
    WriteFile(home / "Ferrolin.log", std::string(2000001, 'x'));
    RunAll({}, {});
    EXPECT_EQ(fs::file_size(home / "Ferrolinold.log"), 2000001u);
    EXPECT_LT(fs::file_size(home / "Ferrolin.log"), 1000u);
}

TEST_F(RunJobTest, ARefusedDestinationStopsTheJobAndAManualRun) {
    WriteFile(src / "a.txt", "a");
    WriteFile(src / "b.txt", "b");
    IniKeys shared = FolderJob(src.path(), "//fileserver/share/in");
    shared["DestLName"] = "station";
    TempDir second;
    RunAll({}, {shared, FolderJob(src.path(), second.path())});
    EXPECT_EQ(station.JobsCutShort, 1u);
    EXPECT_TRUE(fs::is_empty(second.path()));
    EXPECT_TRUE(station.Copy.Cancel.StopRequested());
    EXPECT_FALSE(station.Copy.Cancel.Cancelled());  // not the operator's Cancel
}

TEST_F(RunJobTest, AListFileSourceCopiesTheListedFiles) {
    WriteFile(src / "x/one.txt", "1");
    WriteFile(src / "y/two.txt", "22");
    WriteFile(src / "y/empty.txt", "");
    WriteFile(home / "files.lst", src / "x/one.txt" + "\n" + src / "y/two.txt" + "\n" +
                                      src / "y/empty.txt" + "\n" + src / "gone.txt" + "\n");
    IniKeys job = FolderJob(home / "files.lst", dst.path());
    job["SourceType"] = "5";
    RunAll({}, {job});
    EXPECT_EQ(ReadFile(dst / "one.txt"), "1");
    EXPECT_EQ(ReadFile(dst / "two.txt"), "22");
    EXPECT_FALSE(Exists(dst / "empty.txt"));
}

TEST_F(RunJobTest, InteractiveRunsAskBeforeOverwriting) {
    WriteFile(src / "a.txt", "new content");
    WriteFile(dst / "a.txt", "old");
    surfaces.answer = Answer::No;
    Configure({}, {FolderJob(src.path(), dst.path())});
    RunAllJobsManually(station, true);
    ASSERT_EQ(surfaces.questions.size(), 1u);
    EXPECT_EQ(surfaces.questions[0].text, dst / "a.txt" + " exists\r\noverwrite ?");
    EXPECT_EQ(ReadFile(dst / "a.txt"), "old");
    surfaces.answer = Answer::Yes;
    RunAllJobsManually(station, true);
    EXPECT_EQ(ReadFile(dst / "a.txt"), "new content");
    RunAllJobsManually(station, false);  // "Manual (no messages)" never asks
    EXPECT_EQ(surfaces.questions.size(), 2u);
}

class MpegRunTest : public RunJobTest {
protected:
    MpegRunTest() {
        EXPECT_EQ(LoadMpegLibraries(station.Mpeg, FERROLIN_FAKE_MPEG_DIR), 0);
        WriteFile(src / "short.mpg", "FAKEMPEG 00:00:00:00 00:00:00:05");
        WriteFile(src / "long.mpg", "FAKEMPEG 00:00:00:00 00:00:10:00");
    }
    
};

TEST_F(MpegRunTest, UnattendedRunsCopyCorruptFilesOnlyWhenAllowed) {
    RunAll({{"CopyCorruptFiles", "0"}}, {FolderJob(src.path(), dst.path())});
    EXPECT_FALSE(Exists(dst / "short.mpg"));
    EXPECT_TRUE(Exists(dst / "long.mpg"));
    EXPECT_EQ(surfaces.errors, (std::vector<std::string>{"Corrupt header !! " + src / "short.mpg"}));
    EXPECT_EQ(Count(Log(), src / "short.mpg" + " is corrupt"), 1u);
    EXPECT_EQ(station.FailedFiles, 1u);
    EXPECT_TRUE(surfaces.questions.empty());

    RunAll({{"CopyCorruptFiles", "1"}}, {FolderJob(src.path(), dst.path())});
    EXPECT_TRUE(Exists(dst / "short.mpg"));
    EXPECT_EQ(station.FailedFiles, 0u);
}

TEST_F(MpegRunTest, InteractiveRunsAskWhateverTheOptionSays) {
    surfaces.answer = Answer::No;
    Configure({{"CopyCorruptFiles", "1"}}, {FolderJob(src.path(), dst.path())});
    RunAllJobsManually(station, true);
    ASSERT_EQ(surfaces.questions.size(), 1u);
    EXPECT_EQ(surfaces.questions[0].text, src / "short.mpg" + " is corrupt\r\ncopy anyway ?");
    EXPECT_EQ(surfaces.questions[0].buttons, Buttons::YesNo);
    EXPECT_FALSE(Exists(dst / "short.mpg"));
    surfaces.answer = Answer::Yes;
    RunAllJobsManually(station, true);
    EXPECT_TRUE(Exists(dst / "short.mpg"));
}

// The mirror cases: source S with a.txt and Sub/b.txt, destination T with a.txt, c.txt
// and Sub/b.txt.
class MirrorTest : public RunJobTest {
protected:
    MirrorTest() {
        WriteFile(src / "a.txt", "a");
        WriteFile(src / "Sub/b.txt", "b");
        WriteFile(dst / "a.txt", "a");
        WriteFile(dst / "c.txt", "c");
        WriteFile(dst / "Sub/b.txt", "b");
    }
    IniKeys MirrorJob(bool subfolders, const std::string& delay) {
        IniKeys job = FolderJob(src.path(), dst.path());
        job["CopyMode"] = "3";
        job["ParsingType"] = subfolders ? "1" : "0";
        job["DestDelDelay"] = delay;
        return job;
    }
};

TEST_F(MirrorTest, WithSubfoldersOnlyTheOrphanIsDeleted) {
    RunAll({}, {MirrorJob(true, "0")});
    EXPECT_FALSE(Exists(dst / "c.txt"));
    EXPECT_TRUE(Exists(dst / "a.txt"));
    EXPECT_TRUE(Exists(dst / "Sub/b.txt"));
    EXPECT_EQ(Count(Log(), "File " + dst / "c.txt" + " deleted"), 1u);
    EXPECT_EQ(Count(Log(), " deleted"), 1u);
}

TEST_F(MirrorTest, WithoutSubfoldersTheDestinationSubfolderFilesGoToo) {
    RunAll({}, {MirrorJob(false, "0")});
    EXPECT_FALSE(Exists(dst / "c.txt"));
    EXPECT_FALSE(Exists(dst / "Sub/b.txt"));
    EXPECT_TRUE(Exists(dst / "a.txt"));
}

TEST_F(MirrorTest, ATrailingSeparatorOnTheDestinationChangesNothing) {
    IniKeys job = MirrorJob(true, "0");
    job["EmpfangsVerzeichnis"] = dst.path() + "/";
    RunAll({}, {job});
    EXPECT_FALSE(Exists(dst / "c.txt"));
    EXPECT_TRUE(Exists(dst / "a.txt"));
    EXPECT_TRUE(Exists(dst / "Sub/b.txt"));
}

TEST_F(MirrorTest, WithADelayTheOrphanIsNotedNotDeleted) {
    RunAll({}, {MirrorJob(true, "3")});
    EXPECT_TRUE(Exists(dst / "c.txt"));
    const std::string lines = ReadFile(home / "DelayDelete.txt");
    EXPECT_EQ(Count(lines, "\r\n"), 1u);
    EXPECT_EQ(lines.substr(19), "\t" + dst / "c.txt" + "\r\n");
}

TEST_F(MirrorTest, ADelayThatIsNotANumberDeletesNothing) {
    RunAll({}, {MirrorJob(true, "soon")});
    EXPECT_TRUE(Exists(dst / "c.txt"));
    EXPECT_FALSE(Exists(home / "DelayDelete.txt"));
    EXPECT_EQ(Count(Log(), "Delete delay \"soon\" is not a number; nothing deleted"), 1u);
}

TEST_F(MirrorTest, ASourceFolderThatVanishesDuringTheRunDeletesNothing) {
    surfaces.onMessages = [this] {
        if (surfaces.LastStatusStartsWith("copying... 1 of 2") && fs::exists(src.path()))
            fs::rename(src.path(), src.path() + "-unmounted");
    };
    RunAll({}, {MirrorJob(true, "0")});
    fs::rename(src.path() + "-unmounted", src.path());
    EXPECT_TRUE(Exists(dst / "c.txt"));
    EXPECT_TRUE(Exists(dst / "a.txt"));
    EXPECT_EQ(Count(Log(), " deleted"), 0u);
    EXPECT_EQ(station.FailedFiles, 1u);  // the second file was gone with its folder
}

TEST_F(MirrorTest, AnEmptiedMountPointKeepsTheCopiesOfListedFiles) {
    surfaces.onMessages = [this] {
        if (surfaces.LastStatusStartsWith("copying... 1 of 2") &&
            !fs::exists(src.path() + "-unmounted")) {
            fs::rename(src.path(), src.path() + "-unmounted");
            fs::create_directories(src.path());
        }
    };
    RunAll({}, {MirrorJob(true, "0")});
    fs::remove_all(src.path());
    fs::rename(src.path() + "-unmounted", src.path());
    EXPECT_TRUE(Exists(dst / "a.txt"));
    EXPECT_TRUE(Exists(dst / "Sub/b.txt"));
    EXPECT_FALSE(Exists(dst / "c.txt"));  // the mirror step ran: only the true orphan went
}

TEST_F(MirrorTest, ADestinationThatEnclosesTheSourceNeverLosesSourceFiles) {
    IniKeys job = FolderJob(dst / "Sub", dst.path());
    job["CopyMode"] = "3";
    RunAll({}, {job});
    EXPECT_TRUE(Exists(dst / "Sub/b.txt"));
    EXPECT_TRUE(Exists(dst / "b.txt"));
    EXPECT_FALSE(Exists(dst / "c.txt"));
}

}  // namespace
}  // namespace ferrolin

namespace ferrolin {
namespace {

// A kind this build cannot transfer never passes for a success: each says so in the log
// and the Errors list and counts as a job cut short; the folder job beside them still runs.
TEST_F(RunJobTest, KindsNotBuiltSaySoAndCountAsFailed) {
    WriteFile(src / "a.txt", "a");
    IniKeys upload = FolderJob(src.path(), "ftp://127.0.0.1/in");
    RunAll({}, {FolderJob("ftp://127.0.0.1/out", dst.path()), upload,
                FolderJob(src.path(), dst.path())});
    const std::string log = Log();
    for (const char* kind : {"FTP download", "FTP upload"}) {
        const std::string text = std::string(kind) + " transfers are not available in this build";
        EXPECT_EQ(Count(log, text), 1u) << kind;
        EXPECT_EQ(std::count(surfaces.errors.begin(), surfaces.errors.end(), text), 1) << kind;
    }
    EXPECT_EQ(station.JobsCutShort, 2u);
    EXPECT_EQ(ReadFile(dst / "a.txt"), "a");
}

}  // namespace
}  // namespace ferrolin
