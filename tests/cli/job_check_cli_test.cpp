// "job" and "check" as the operator types them: what they print and their exit codes.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/child_process.h"
#include "support/temp_dir.h"

namespace ferrolin {
namespace {

using test::CommandResult;
using test::ReadFile;
using test::RunCommand;
using test::TempDir;

class JobCli : public ::testing::Test {
  protected:
    CommandResult Run(std::vector<std::string> args) {
        args.insert(args.begin(), FERROLIN_CLI_PATH);
        return RunCommand(args, {{"FERROLIN_HOME", home.path()}});
    }
    // The command with text on its standard input.
    CommandResult RunWithInput(const std::string& input, const std::string& words) {
        return RunCommand(
            {"/bin/sh", "-c", "printf '" + input + "' | \"$0\" " + words, FERROLIN_CLI_PATH},
            {{"FERROLIN_HOME", home.path()}});
    }
    std::string Ini() const { return home / "Ferrolin.INI"; }

    TempDir home;
    TempDir data;
};

TEST_F(JobCli, UsageAndRefusalsExitWithTwo) {
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const std::vector<Case> cases = {
        {{"job"}, "usage: job show N"},
        {{"job", "frobnicate", "0"}, "usage: job show N"},
        {{"job", "show", "x"}, "usage: job show N"},
        {{"job", "show", "0"}, "the list is empty"},
        {{"job", "add", "A", "--source"}, "--source needs a value"},
        {{"job", "add", "--source", "/a", "--dest", "/b"}, "the job's name comes first"},
        {{"job", "add", "A", "--source", "/a", "--dest", "/b", "--mode", "fast"},
         "use newer, only-newer, always, mirror or shortcuts"},
        {{"job", "add", "A", "--source", "/a", "--dest", "/b", "--password=x"},
         "read from standard input only"},
        {{"job", "add", "A", "--source", "/a", "--dest", "/b", "--password-stdin=sideways"},
         "--password-stdin takes =source or =destination"},
        {{"check", "--now"}, "check takes only --connect"},
    };
    for (const Case& c : cases) {
        const CommandResult r = Run(c.args);
        EXPECT_EQ(r.exitCode, 2) << c.args[0] << " " << r.errors;
        EXPECT_NE(r.errors.find(c.message), std::string::npos) << r.errors;
    }
    EXPECT_FALSE(std::filesystem::exists(Ini()));
}

TEST_F(JobCli, AddShowSetAndCheck) {
    std::filesystem::create_directories(data / "in");
    std::filesystem::create_directories(data / "out");
    CommandResult add = Run({"job", "add", "Night", "--source", data / "in", "--dest", data / "out",
                             "--mode=mirror", "--recursive", "mask=*.mpg", "delete-delay=2"});
    ASSERT_EQ(add.exitCode, 0) << add.errors;
    EXPECT_EQ(add.output, "job 0 added\n");

    CommandResult show = Run({"job", "show", "0"});
    ASSERT_EQ(show.exitCode, 0) << show.errors;
    for (const char* line : {"  mode                   CopyMode                       mirror\n",
                             "  recursive              ParsingType                    yes\n",
                             "  mask                   SendeVerzeichnis               *.mpg\n"}) {
        EXPECT_NE(show.output.find(line), std::string::npos) << show.output;
    }

    // The password only from standard input, never shown.
    CommandResult pw =
        RunWithInput("hunter2\\n", "job set 0 source-user=bob --password-stdin=source");
    ASSERT_EQ(pw.exitCode, 0) << pw.errors;
    EXPECT_NE(ReadFile(Ini()).find("SourceLPassword=hunter2\n"), std::string::npos);
    EXPECT_EQ(Run({"job", "show", "0"}).output.find("hunter2"), std::string::npos);

    EXPECT_EQ(Run({"job", "disable", "0"}).exitCode, 0);
    EXPECT_NE(ReadFile(Ini()).find("Active=0"), std::string::npos);
    const CommandResult jobs = Run({"jobs"});
    EXPECT_EQ(jobs.output.rfind("0\t[ ]\tNight\t", 0), 0u) << jobs.output;

    CommandResult clean = Run({"check"});
    EXPECT_EQ(clean.exitCode, 0) << clean.output;
    EXPECT_NE(clean.output.find("no findings"), std::string::npos);

    std::filesystem::remove(data / "out");
    CommandResult findings = Run({"check"});
    EXPECT_EQ(findings.exitCode, 1);
    EXPECT_NE(findings.output.find(Ini() + ":"), std::string::npos) << findings.output;
    EXPECT_NE(findings.output.find("the destination folder does not exist"), std::string::npos)
        << findings.output;

    EXPECT_EQ(Run({"job", "remove", "0"}).exitCode, 0);
    EXPECT_EQ(Run({"job", "show", "0"}).exitCode, 2);
}

}  // namespace
}  // namespace ferrolin
