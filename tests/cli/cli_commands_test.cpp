// ferrolin-cli as the operator starts it, with FERROLIN_HOME naming a fresh folder.
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
using test::WriteFile;

class Cli : public ::testing::Test {
protected:
    CommandResult Run(std::vector<std::string> args) {
        args.insert(args.begin(), FERROLIN_CLI_PATH);
        return RunCommand(args, {{"FERROLIN_HOME", home.path()}});
    }
    std::string Ini() const { return home / "Ferrolin.INI"; }

    TempDir home;
};

TEST_F(Cli, Version) {
    CommandResult r = Run({"--version"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.output.rfind("ferrolin-cli ", 0), 0u) << r.output;
}

TEST_F(Cli, UsageErrorsExitWithTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {}, {"bogus"}, {"jobs", "extra"}, {"demo-init", "x"}, {"--version", "x"}};
    for (const auto& args : cases) {
        CommandResult r = Run(args);
        EXPECT_EQ(r.exitCode, 2) << (args.empty() ? "(none)" : args[0]);
        EXPECT_NE(r.errors.find("usage: ferrolin-cli"), std::string::npos);
        EXPECT_EQ(r.output, "");
    }
    EXPECT_NE(Run({"bogus"}).errors.find("unknown command \"bogus\""), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(Ini()));
}

TEST_F(Cli, DemoInitThenJobs) {
    CommandResult init = Run({"demo-init"});
    ASSERT_EQ(init.exitCode, 0) << init.errors;
    const std::string source = home / "demo-source";
    const std::string destination = home / "demo-destination";
    EXPECT_TRUE(std::filesystem::is_directory(destination));
    int samples = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(source)) ++samples;
    EXPECT_GE(samples, 2);

    CommandResult jobs = Run({"jobs"});
    EXPECT_EQ(jobs.exitCode, 0) << jobs.errors;
    EXPECT_EQ(jobs.output, "0\t[x]\tDemo\t" + source + "\t" + destination + "\n");

    // A second demo-init changes nothing.
    const std::string before = ReadFile(Ini());
    CommandResult again = Run({"demo-init"});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_NE(again.output.find("already exists"), std::string::npos);
    EXPECT_EQ(ReadFile(Ini()), before);
}

TEST_F(Cli, DemoInitNeverOverwritesAConfiguration) {
    WriteFile(Ini(), "[Global]\nAnzKopfstellen=0\n");
    EXPECT_EQ(Run({"demo-init"}).exitCode, 0);
    EXPECT_EQ(ReadFile(Ini()), "[Global]\nAnzKopfstellen=0\n");
    EXPECT_FALSE(std::filesystem::exists(home / "demo-source"));
}

TEST_F(Cli, JobsListsEveryJob) {
    WriteFile(Ini(),
              "[global]\r\nanzkopfstellen=3\r\n"
              "[Kopf0]\r\nName=News\r\nActive=1\r\nSendeVerzeichnis=/in/news/\r\n"
              "EmpfangsVerzeichnis=ftp://host/news\r\n"
              "[Kopf1]\r\nName=Weather\r\nActive=0\r\nSendeVerzeichnis=/in/weather\r\n");
    CommandResult r = Run({"jobs"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.output,
              "0\t[x]\tNews\t/in/news\tftp://host/news\n"
              "1\t[ ]\tWeather\t/in/weather\t\n"
              "2\t[ ]\t\t\t\n");
}

TEST_F(Cli, UnreadableConfigurationIsReportedAndDefaultsUsed) {
    std::filesystem::create_directory(Ini());
    CommandResult jobs = Run({"jobs"});
    EXPECT_EQ(jobs.exitCode, 0);
    EXPECT_EQ(jobs.output, "");
    EXPECT_NE(jobs.errors.find("Unable to read " + Ini()), std::string::npos) << jobs.errors;
    // demo-init leaves whatever sits under the name alone.
    EXPECT_EQ(Run({"demo-init"}).exitCode, 0);
    EXPECT_TRUE(std::filesystem::is_directory(Ini()));
}

TEST_F(Cli, LegacyConfigurationIsMovedIntoPlace) {
    WriteFile(home / "Quillomat.INI", "[Global]\nAnzKopfstellen=1\n[Kopf0]\nName=Old\nActive=1\n");
    CommandResult r = Run({"jobs"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.output, "0\t[x]\tOld\t\t\n");
    EXPECT_TRUE(std::filesystem::exists(Ini()));
    EXPECT_FALSE(std::filesystem::exists(home / "Quillomat.INI"));
}

}  // namespace
}  // namespace ferrolin
