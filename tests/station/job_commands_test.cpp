// The job commands on a hand-written Ferrolin.INI: every line they do not change stays as
// it was (comments and keys of no known job included), and a refused command writes nothing.
#include "station/job_commands.h"

#include <gtest/gtest.h>

#include <functional>

#include "config/job_section.h"
#include "config/profile_file.h"
#include "support/temp_dir.h"

namespace ferrolin {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

constexpr char kThreeJobs[] =
    "; station at the gate\r\n"
    "[Global]\r\n"
    "AnzKopfstellen=3\r\n"
    "\r\n"
    "[Kopf0]\r\n"
    "; the news feed\r\n"
    "Name=News\r\n"
    "Active=1\r\n"
    "SendeVerzeichnis=/in/news\r\n"
    "EmpfangsVerzeichnis=/out/news\r\n"
    "LocalNote=keep me\r\n"
    "\r\n"
    "[Kopf1]\r\n"
    "Name=Weather\r\n"
    "SendeVerzeichnis=ftp://wx.example/maps\r\n"
    "\r\n"
    "[Kopf2]\r\n"
    "Name=Sport\r\n"
    "CopyMode=3\r\n";

class JobCommands : public ::testing::Test {
  protected:
    void SetUp() override { WriteFile(Ini(), kThreeJobs); }
    std::string Ini() const { return dir / "Ferrolin.INI"; }
    std::string Value(int n, const char* key) const {
        return ProfileFile(Ini()).ReadString(JobSectionName(n), key, "<absent>");
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (int n = 0; n < ReadJobCount(); ++n) names.push_back(Value(n, "Name"));
        return names;
    }
    int ReadJobCount() const {
        return ProfileFile(Ini()).ReadInteger("Global", "AnzKopfstellen", -1);
    }
    TempDir dir;
};

TEST_F(JobCommands, RefusalsNameWhatIsAllowedAndWriteNothing) {
    const std::optional<PasswordInput> none;
    struct Case {
        const char* what;
        JobCommandOutcome outcome;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"unknown name", SetJob(Ini(), 0, {{"colour", "red"}}, none), "the settings are: enabled"},
        {"bad choice", SetJob(Ini(), 0, {{"mode", "sideways"}}, none),
         "use newer, only-newer, always, mirror or shortcuts"},
        {"bad flag", SetJob(Ini(), 0, {{"recursive", "maybe"}}, none), "yes or no"},
        {"bad days", SetJob(Ini(), 0, {{"delete-delay", "-2"}}, none), "whole number of days"},
        {"bad rate", SetJob(Ini(), 0, {{"rate-limit", "fast"}}, none), "MiB per second"},
        {"mask without dot", SetJob(Ini(), 0, {{"mask", "*"}}, none), "holding a \".\""},
        {"mask on an address", SetJob(Ini(), 1, {{"mask", "*.gif"}}, none), "is not a folder"},
        {"password on the line", SetJob(Ini(), 0, {{"destination-password", "x"}}, none),
         "--password-stdin"},
        {"two lines", SetJob(Ini(), 0, {{"name", "a\nb"}}, none), "one line"},
        {"no such job", SetJob(Ini(), 3, {{"name", "x"}}, none), "the jobs are 0 to 2"},
        {"nothing to set", SetJob(Ini(), 0, {}, none), "name=value"},
        {"enable past the end", EnableJob(Ini(), 7, true), "there is no job 7"},
        {"remove past the end", RemoveJob(Ini(), 3), "there is no job 3"},
        {"move past the end", MoveJob(Ini(), 0, 3), "there is no job 3"},
        {"add without destination", AddJob(Ini(), "X", {{"source", "/a"}}, none),
         "needs a destination"},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(c.outcome.refused) << c.what;
        EXPECT_NE(c.outcome.problem.find(c.message), std::string::npos)
            << c.what << ": " << c.outcome.problem;
    }
    EXPECT_EQ(ReadFile(Ini()), kThreeJobs);
}

TEST_F(JobCommands, SetChangesOnlyTheNamedKeys) {
    ASSERT_FALSE(SetJob(Ini(), 0,
                        {{"mode", "mirror"},
                         {"recursive", "yes"},
                         {"rate-limit", "2.5"},
                         {"mask", "*.mpg"},
                         {"dest", "/out/n2"},
                         {"exclude", ".tmp;.~pc"}},
                        std::nullopt)
                     .refused);
    EXPECT_EQ(Value(0, "CopyMode"), "3");
    EXPECT_EQ(Value(0, "ParsingType"), "1");
    EXPECT_EQ(Value(0, "MaxByteRate"), "2.5");
    EXPECT_EQ(Value(0, "SendeVerzeichnis"), "/in/news/*.mpg");
    EXPECT_EQ(Value(0, "EmpfangsVerzeichnis"), "/out/n2");
    // A new mask replaces the old; an empty one removes it.
    ASSERT_FALSE(SetJob(Ini(), 0, {{"mask", "*.ts"}}, std::nullopt).refused);
    EXPECT_EQ(Value(0, "SendeVerzeichnis"), "/in/news/*.ts");
    ASSERT_FALSE(SetJob(Ini(), 0, {{"mask", ""}}, std::nullopt).refused);
    EXPECT_EQ(Value(0, "SendeVerzeichnis"), "/in/news");

    const std::string text = ReadFile(Ini());
    for (const char* kept : {"; station at the gate\r\n", "; the news feed\r\n",
                             "LocalNote=keep me\r\n", "[Kopf1]\r\nName=Weather\r\n"}) {
        EXPECT_NE(text.find(kept), std::string::npos) << kept;
    }
    EXPECT_EQ(Value(0, "SourceType"), "<absent>") << "keys not named are not added";
}

TEST_F(JobCommands, ThePasswordGoesToTheSideThatLogsOn) {
    struct Case {
        int job;
        PasswordInput::Side side;
        const char* key;
    };
    const std::vector<Case> cases = {
        {0, PasswordInput::Side::Remote, "DestLPassword"},    // folder to folder
        {1, PasswordInput::Side::Remote, "SourceLPassword"},  // an FTP source
        {0, PasswordInput::Side::Source, "SourceLPassword"},
        {1, PasswordInput::Side::Destination, "DestLPassword"},
    };
    for (const Case& c : cases) {
        WriteFile(Ini(), kThreeJobs);
        const PasswordInput input{c.side, "s3cret"};
        ASSERT_FALSE(SetJob(Ini(), c.job, {{"user", "bob"}}, input).refused);
        EXPECT_EQ(Value(c.job, c.key), "s3cret") << c.job << " " << c.key;
    }
    EXPECT_EQ(Value(1, "SourceLName"), "bob");
}

TEST_F(JobCommands, RemoveAndMoveCarryWholeSections) {
    struct Case {
        const char* what;
        std::function<JobCommandOutcome()> command;
        std::vector<std::string> names;
    };
    const std::vector<Case> cases = {
        {"remove first", [&] { return RemoveJob(Ini(), 0); }, {"Weather", "Sport"}},
        {"remove middle", [&] { return RemoveJob(Ini(), 1); }, {"News", "Sport"}},
        {"remove last", [&] { return RemoveJob(Ini(), 2); }, {"News", "Weather"}},
        {"move down", [&] { return MoveJob(Ini(), 0, 2); }, {"Weather", "Sport", "News"}},
        {"move up", [&] { return MoveJob(Ini(), 2, 0); }, {"Sport", "News", "Weather"}},
        {"move in place", [&] { return MoveJob(Ini(), 1, 1); }, {"News", "Weather", "Sport"}},
    };
    for (const Case& c : cases) {
        WriteFile(Ini(), kThreeJobs);
        ASSERT_FALSE(c.command().refused) << c.what;
        EXPECT_EQ(Names(), c.names) << c.what;
        const std::string text = ReadFile(Ini());
        // The news job keeps its comment, its unknown key and its check mark wherever it goes.
        if (text.find("Name=News") != std::string::npos) {
            EXPECT_NE(text.find("; the news feed\r\nName=News\r\nActive=1\r\n"), std::string::npos)
                << c.what;
            EXPECT_NE(text.find("LocalNote=keep me"), std::string::npos) << c.what;
        }
        EXPECT_NE(text.find("; station at the gate"), std::string::npos) << c.what;
    }
}

TEST_F(JobCommands, AddStartsFromAFreshJobAndLeavesNoLeftovers) {
    // A section past the count, as an old removal may have left it.
    WriteFile(Ini(), std::string(kThreeJobs) + "[Kopf3]\r\nSourceLPassword=old\r\n");
    const auto outcome = AddJob(Ini(), "Night",
                                {{"source", "/in/night"},
                                 {"destination", "/out/night"},
                                 {"time-stamp", "on"},
                                 {"enabled", "no"}},
                                std::nullopt);
    ASSERT_FALSE(outcome.refused) << outcome.problem;
    EXPECT_EQ(outcome.job, 3);
    EXPECT_EQ(ReadJobCount(), 4);
    EXPECT_EQ(Value(3, "SourceLPassword"), "");
    EXPECT_EQ(Value(3, "Active"), "0");
    EXPECT_EQ(Value(3, "UseTempFile"), "1");
    // Switched on without a format, the stamp gets the fresh job's format, not the one
    // of whichever job was read before it.
    EXPECT_EQ(Value(3, "AddTimeStampE"), "yymmddhhnnss");

    const auto rows = ShowJob(Ini(), 3);
    ASSERT_TRUE(rows);
    for (const JobSettingRow& row : *rows) {
        if (row.setting->name == "mode") {
            EXPECT_EQ(row.shown, "newer");
        }
        if (row.setting->name == "enabled") {
            EXPECT_EQ(row.shown, "no");
        }
    }
    EXPECT_FALSE(ShowJob(Ini(), 4));
}

TEST_F(JobCommands, ShowTellsStoredFromDefault) {
    const auto rows = ShowJob(Ini(), 2);
    ASSERT_TRUE(rows);
    for (const JobSettingRow& row : *rows) {
        if (row.setting->name == "mode") {
            EXPECT_TRUE(row.present);
            EXPECT_EQ(row.shown, "mirror");
        }
        if (row.setting->name == "temp-file") {
            EXPECT_FALSE(row.present);
            EXPECT_EQ(row.shown, "yes");
        }
    }
}

}  // namespace
}  // namespace ferrolin
