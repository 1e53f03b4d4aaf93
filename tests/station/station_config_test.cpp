#include "station/station_config.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "config/profile_file.h"
#include "station/legacy_config.h"
#include "support/recording_surfaces.h"
#include "support/temp_dir.h"

namespace ferrolin {
namespace {

using test::ReadFile;
using test::RecordingSurfaces;
using test::TempDir;
using test::WriteFile;

class StationConfig : public ::testing::Test {
protected:
    void Ini(const std::string& text) { WriteFile(station.IniFilename, text); }
    std::string Stored(const std::string& section, const std::string& key) {
        return ProfileFile(station.IniFilename).ReadString(section, key, "<absent>");
    }

    TempDir dir;
    RecordingSurfaces surfaces;
    Station station{dir.path(), surfaces};
};

TransferJob SampleJob() {
    TransferJob job;
    job.name = "Nightly";
    job.sourceType = 2;
    job.source = "ftp://host/out";
    job.sourceUser = "user";
    job.sourcePassword = "p=w;rd";
    job.deleteSource = true;
    job.compareListFile = "/lists/compare.txt";
    job.excludeExtensions = ".tmp;.~pc";
    job.destination = "/data/in";
    job.destinationUser = "dest";
    job.destinationPassword = "secret";
    job.buffering = 2;
    job.copyMode = 3;
    job.deleteDelay = "7";
    job.addTimeStamp = true;
    job.timeStampFormat = "yyyymmdd";
    job.maxByteRate = "1.5";
    job.dialUpFor = 1;
    job.passiveMode = true;
    job.useTempFile = false;
    job.reportLevel = 5;
    job.subfolders = 1;
    job.saveMailHeader = true;
    job.decodeMail = false;
    job.eraseFolderFirst = true;
    job.saveMailBody = true;
    job.timeoutChoice = 2;
    return job;
}

TEST_F(StationConfig, JobRoundTrip) {
    station.RasEntries = {"RAS disabled", "Office line"};
    station.Editor = SampleJob();
    station.RasIndex = 1;
    WriteJob(station, 4);
    EXPECT_EQ(Stored("Kopf4", "DRasEintrag"), "Office line");
    EXPECT_EQ(Stored("Kopf4", "Active"), "<absent>");

    station.Editor = TransferJob{};
    station.RasIndex = -1;
    ReadJob(station, 4);
    TransferJob expected = SampleJob();
    expected.dialUpEntry = "Office line";
    EXPECT_EQ(station.Editor, expected);
    EXPECT_EQ(station.RasIndex, 1);
    EXPECT_TRUE(station.EditorDelayEnabled);
}

TEST_F(StationConfig, MissingKeysTakeDefaults) {
    station.Editor = SampleJob();
    station.Editor.addTimeStamp = false;
    station.Editor.timeStampFormat = "yymmddhhnnss";
    station.Editor.passiveMode = false;
    station.Editor.saveMailHeader = false;
    station.Editor.saveMailBody = false;
    Ini("[Kopf0]\n");
    ReadJob(station, 0);
    TransferJob expected;
    expected.dialUpEntry = "Not found";
    EXPECT_EQ(station.Editor, expected);
    EXPECT_FALSE(station.EditorDelayEnabled);
    EXPECT_EQ(station.RasIndex, -1);
}

TEST_F(StationConfig, FivePreviousValueKeysKeepTheEditorsValue) {
    Ini("[Kopf0]\nName=with\nAddTimeStampC=1\nAddTimeStampE=yyyy\nPassiveMode=1\n"
        "EMailSaveHeader=1\nEMailSaveBody=1\n"
        "[Kopf1]\nName=without\nAddTimeStampC=0\n");
    ReadJob(station, 0);
    ReadJob(station, 1);
    EXPECT_EQ(station.Editor.name, "without");
    EXPECT_FALSE(station.Editor.addTimeStamp);
    EXPECT_EQ(station.Editor.timeStampFormat, "yyyy");  // not stored for Kopf1
    EXPECT_TRUE(station.Editor.passiveMode);
    EXPECT_TRUE(station.Editor.saveMailHeader);
    EXPECT_TRUE(station.Editor.saveMailBody);
    // A key that is not one of the five takes its fixed default again.
    Ini("[Kopf0]\nSourceDelete=1\n[Kopf1]\n");
    ReadJob(station, 0);
    ReadJob(station, 1);
    EXPECT_FALSE(station.Editor.deleteSource);
}

TEST_F(StationConfig, TimeStampFormatStoredOnlyWithTimeStamp) {
    station.Editor.addTimeStamp = false;
    station.Editor.timeStampFormat = "hhnn";
    WriteJob(station, 0);
    EXPECT_EQ(Stored("Kopf0", "AddTimeStampE"), "<absent>");
    station.Editor.addTimeStamp = true;
    WriteJob(station, 0);
    EXPECT_EQ(Stored("Kopf0", "AddTimeStampE"), "hhnn");
}

TEST_F(StationConfig, ReadRules) {
    struct Case {
        std::string stored;
        std::string key;
        std::string expected;
    };
    const Case cases[] = {
        {"/data/", "SendeVerzeichnis", "/data"},
        {"/data//", "SendeVerzeichnis", "/data/"},  // one separator only
        {"/", "SendeVerzeichnis", "/"},
        {"", "SendeVerzeichnis", ""},
        {"ftp://host/out/", "SendeVerzeichnis", "ftp://host/out"},
        {"7", "ParsingType", "1"},
        {"2", "ParsingType", "1"},
        {"1", "ParsingType", "1"},
        {"0", "ParsingType", "0"},
        {"9", "CopyMode", "4"},
        {"-1", "CopyMode", "0"},
        {"$2", "Buffering", "2"},
        {"x", "Modemspeed", "0"},
    };
    for (const Case& c : cases) {
        Ini("[Kopf0]\n" + c.key + "=" + c.stored + "\n");
        ReadJob(station, 0);
        const TransferJob& e = station.Editor;
        std::string got = c.key == "SendeVerzeichnis" ? e.source
                          : c.key == "ParsingType"    ? std::to_string(e.subfolders)
                          : c.key == "CopyMode"       ? std::to_string(e.copyMode)
                          : c.key == "Buffering"      ? std::to_string(e.buffering)
                                                      : std::to_string(e.timeoutChoice);
        EXPECT_EQ(got, c.expected) << c.key << "=" << c.stored;
    }
}

TEST_F(StationConfig, RasEntryLookup) {
    station.RasEntries = {"RAS disabled", "Office", "Office 2"};
    struct Case {
        std::string stored;
        int index;
        std::string shown;
        std::string written;  // a name not in the list is kept in the file
    };
    const Case cases[] = {
        {"office", 1, "Office", "Office"},
        {"OFFICE 2", 2, "Office 2", "Office 2"},
        {"ras disabled", 0, "RAS disabled", "RAS disabled"},
        {"Offi", -1, "Not found", "Offi"},
        {"", -1, "Not found", "Not found"},
        {"Gone", -1, "Not found", "Gone"},
    };
    for (const Case& c : cases) {
        Ini("[Kopf0]\nDRasEintrag=" + c.stored + "\n");
        ReadJob(station, 0);
        EXPECT_EQ(station.RasIndex, c.index) << c.stored;
        EXPECT_EQ(station.Editor.dialUpEntry, c.shown) << c.stored;
        WriteJob(station, 0);
        EXPECT_EQ(Stored("Kopf0", "DRasEintrag"), c.written) << c.stored;
    }
}

TEST_F(StationConfig, ReadConfigGlobalsAndJobList) {
    station.Options.checkMpegFiles = false;  // kept: no key in the file
    station.Options.autoMode = true;         // falls back to false: no key
    station.Options.rebootAfterTimeout = "00:30";
    Ini("[Global]\nAnzKopfstellen=3\nRunMinimized=1\nTimeoutControl=2\nSendTimeMode=5\n"
        "SendTimeSimpleInterval=00:05:00\n"
        "[Kopf0]\nName=First\nActive=1\nSendeVerzeichnis=/in/\n"
        "[Kopf1]\nName=Second\n"
        "[Kopf3]\nName=Ignored\n");
    ReadConfig(station);
    EXPECT_FALSE(station.Options.autoMode);
    EXPECT_TRUE(station.Options.runMinimized);
    EXPECT_FALSE(station.Options.checkMpegFiles);
    EXPECT_EQ(station.Options.rebootAfterTimeout, "00:30");
    EXPECT_EQ(station.Options.timeoutControl, 2);
    EXPECT_EQ(station.Options.sendTimeMode, 1);
    EXPECT_EQ(station.Options.sendTimeSimpleInterval, "00:05:00");
    ASSERT_EQ(station.Jobs.size(), 3u);
    EXPECT_EQ(station.Jobs[0].name, "First");
    EXPECT_TRUE(station.Jobs[0].checked);
    EXPECT_EQ(station.Jobs[1].name, "Second");
    EXPECT_FALSE(station.Jobs[1].checked);
    EXPECT_EQ(station.Jobs[2].name, "");  // count larger than the sections
    EXPECT_EQ(station.SpecialScanFolder, "/in/");
    EXPECT_EQ(station.SelectedJob, -1);
    EXPECT_EQ(surfaces.processMessagesCalls, 3);
    EXPECT_TRUE(surfaces.errors.empty());
}

TEST_F(StationConfig, JobCountIsSixteenBits) {
    struct Case {
        const char* stored;
        size_t jobs;
    };
    const Case cases[] = {{"0", 0}, {"65536", 0}, {"65537", 1}, {"garbage", 0}, {"-1", 65535}};
    for (const Case& c : cases) {
        station.SpecialScanFolder = "/left/over";
        Ini(std::string("[Global]\nAnzKopfstellen=") + c.stored + "\n[Kopf0]\nSendeVerzeichnis=/x\n");
        ReadConfig(station);
        EXPECT_EQ(station.Jobs.size(), c.jobs) << c.stored;
        EXPECT_EQ(station.SpecialScanFolder, c.jobs > 0 ? "/x" : "") << c.stored;
    }
}

TEST_F(StationConfig, SaveConfigWritesOptionsAndCheckMarksOnly) {
    Ini("[Global]\nAnzKopfstellen=2\n[Kopf0]\nName=a\n[Kopf1]\nName=b\nActive=1\n");
    ReadConfig(station);
    station.Jobs[0].checked = true;
    station.Jobs[1].checked = false;
    GlobalOptions& o = station.Options;  // every option away from its default
    for (bool* flag :
         {&o.autoMode, &o.runMinimized, &o.checkMpegFiles, &o.copyCorruptFiles, &o.specialScan,
          &o.absoluteSendTime, &o.logEndStatistic, &o.logSuccessfulCopies, &o.copyOpenFiles,
          &o.uploadInProgressCheck, &o.closeAfterJobs, &o.keepFtpConnected}) {
        *flag = !*flag;
    }
    o.rebootAfterTimeout = "01:00";
    o.timeoutControl = 2;
    o.sendTimeMode = 1;
    o.sendTimeSimpleInterval = "00:01:30";
    SaveConfig(station);
    EXPECT_EQ(Stored("Global", "AnzKopfstellen"), "2");
    EXPECT_EQ(Stored("Kopf0", "Active"), "1");
    EXPECT_EQ(Stored("Kopf1", "Active"), "0");
    EXPECT_EQ(Stored("Kopf1", "Name"), "b");

    Station fresh(dir.path(), surfaces);
    ReadConfig(fresh);
    EXPECT_EQ(fresh.Options, station.Options);
    EXPECT_TRUE(fresh.Jobs[0].checked);
    EXPECT_FALSE(fresh.Jobs[1].checked);
}

TEST_F(StationConfig, UnreadableFileIsReportedAndDefaultsUsed) {
    std::filesystem::create_directory(station.IniFilename);
    ReadConfig(station);
    EXPECT_TRUE(station.Jobs.empty());
    ASSERT_EQ(surfaces.errors.size(), 1u);
    EXPECT_NE(surfaces.errors[0].find("Unable to read " + station.IniFilename), std::string::npos);
    EXPECT_THROW(WriteJob(station, 0), ProfileWriteError);
}

TEST_F(StationConfig, WriteJobRenamesTheListLine) {
    Ini("[Global]\nAnzKopfstellen=1\n[Kopf0]\nName=old\n");
    ReadConfig(station);
    ReadJob(station, 0);
    station.Editor.name = "new";
    WriteJob(station, 0);
    EXPECT_EQ(station.Jobs[0].name, "new");
    WriteJob(station, 5);  // not a line: only the section is written
    EXPECT_EQ(station.Jobs.size(), 1u);
    EXPECT_EQ(Stored("Kopf5", "Name"), "new");
}

TEST(LegacyConfig, MovedOnlyWhenTheNewFileIsAbsent) {
    struct Case {
        bool oldPresent;
        bool newPresent;
        bool moved;
    };
    for (const Case c : {Case{true, false, true}, Case{true, true, false},
                         Case{false, false, false}, Case{false, true, false}}) {
        TempDir dir;
        RecordingSurfaces surfaces;
        Station station(dir.path(), surfaces);
        const std::string legacy = dir / "Quillomat.INI";
        if (c.oldPresent) WriteFile(legacy, "[Global]\nAnzKopfstellen=1\n[Kopf0]\nName=old\n");
        if (c.newPresent) WriteFile(station.IniFilename, "[Global]\nAnzKopfstellen=0\n");
        EXPECT_EQ(MoveLegacyConfig(station), c.moved);
        EXPECT_EQ(std::filesystem::exists(legacy), c.oldPresent && !c.moved);
        ReadConfig(station);
        EXPECT_EQ(station.Jobs.size(), c.moved ? 1u : 0u);
        EXPECT_TRUE(surfaces.errors.empty());
    }
}

}  // namespace
}  // namespace ferrolin
