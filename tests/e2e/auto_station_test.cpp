// ferrolin-cli auto and next on a temporary program folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "common/datetime_format.h"
#include "platform/process_control.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace ferrolin {
namespace {

namespace fs = std::filesystem;

int Count(const std::string& text, const std::string& needle) {
    int n = 0;
    for (size_t pos = text.find(needle); pos != std::string::npos;
         pos = text.find(needle, pos + 1)) {
        ++n;
    }
    return n;
}

// ferrolin-cli auto running on a program folder; stopped with SIGTERM.
class Station {
public:
    explicit Station(const std::string& home, const char* restartExitCode = nullptr)
        : home_(home) {
        pid_ = fork();
        if (pid_ == 0) {
            setenv("FERROLIN_HOME", home.c_str(), 1);
            if (restartExitCode) setenv(platform::kRestartExitCodeVariable, restartExitCode, 1);
            FILE* out = freopen((home + "/stdout.txt").c_str(), "w", stdout);
            FILE* err = freopen((home + "/stderr.txt").c_str(), "w", stderr);
            if (out == nullptr || err == nullptr) _exit(126);
            execl(FERROLIN_CLI_PATH, FERROLIN_CLI_PATH, "auto", static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~Station() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    std::string Output() const { return test::ReadFile(home_ + "/stdout.txt"); }
    std::string Errors() const { return test::ReadFile(home_ + "/stderr.txt"); }
    std::string Log() const { return test::ReadFile(home_ + "/Ferrolin.log"); }

    // SIGTERM, then the exit code (-1 when it did not end normally within a minute).
    int Stop() {
        kill(pid_, SIGTERM);
        return WaitForExit();
    }
    // The exit code once the station has ended by itself (-1: not within a minute).
    int WaitForExit() {
        int status = 0;
        const bool ended = test::WaitFor(
            [&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, std::chrono::seconds(60));
        if (!ended) return -1;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    std::string home_;
    pid_t pid_ = -1;
};

// Ends every process started for a program folder (found by its FERROLIN_HOME), such as
// a station that restarted itself and is no longer our child. Returns how many it found.
int KillStationsOf(const std::string& home) {
    const std::string marker = std::string("FERROLIN_HOME=") + home;
    int found = 0;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::string environ = test::ReadFile(entry.path().string() + "/environ");
        size_t pos = 0;
        bool match = false;
        while (pos < environ.size()) {
            const size_t end = environ.find('\0', pos);
            if (environ.compare(pos, (end == std::string::npos ? environ.size() : end) - pos,
                                marker) == 0) {
                match = true;
            }
            if (end == std::string::npos) break;
            pos = end + 1;
        }
        if (match && std::stoi(name) != getpid()) {
            kill(std::stoi(name), SIGKILL);
            ++found;
        }
    }
    return found;
}

class AutoStationTest : public ::testing::Test {
protected:
    void WriteIni(const std::string& global, const std::string& job = "") {
        test::WriteFile(home / "Ferrolin.INI",
                        "[Global]\nAnzKopfstellen=1\n" + global + "\n[Kopf0]\nName=copy\nActive=1\n" +
                            "SendeVerzeichnis=" + source + "\nEmpfangsVerzeichnis=" + target +
                            "\n" + job);
        fs::create_directories(source);
        fs::create_directories(target);
    }

    test::TempDir home;
    std::string source = home / "source";
    std::string target = home / "target";
};

// A two-second interval runs the job list again and again; SIGTERM ends the station
// cleanly with "Program closed".
TEST_F(AutoStationTest, RunsRepeatedlyAndStopsOnSigterm) {
    WriteIni("SendTimeMode=0\nSendTimeSimpleInterval=00:00:02");
    Station station(home.path());
    test::WriteFile(source + "/first.txt", "one");
    ASSERT_TRUE(test::WaitFor([&] { return fs::exists(target + "/first.txt"); },
                              std::chrono::seconds(30)))
        << station.Errors();
    test::WriteFile(source + "/second.txt", "two");
    ASSERT_TRUE(test::WaitFor([&] { return fs::exists(target + "/second.txt"); },
                              std::chrono::seconds(30)))
        << station.Errors();
    EXPECT_TRUE(test::WaitFor([&] { return Count(station.Output(), "next start: ") >= 4; },
                              std::chrono::seconds(30)));

    EXPECT_EQ(station.Stop(), 0);
    const std::string log = station.Log();
    EXPECT_EQ(Count(log, " 000 Program started"), 1) << log;
    EXPECT_EQ(Count(log, " 000 Day change"), 1) << log;
    EXPECT_EQ(Count(log, " 000 Program closed"), 1) << log;
    EXPECT_LT(log.find("Program started"), log.find("Program closed"));
    // The "Auto" switch of this process is not written back.
    EXPECT_EQ(test::ReadFile(home / "Ferrolin.INI").find("Auto="), std::string::npos);
}

// Files dropped into the first job's folder start a run a few seconds after the count
// settles, long before the hourly start.
TEST_F(AutoStationTest, SpecialScanStartsARunWhenFilesArrive) {
    WriteIni("SendTimeMode=0\nSendTimeSimpleInterval=01:00:00\nSpezialScan=1");
    Station station(home.path());
    ASSERT_TRUE(test::WaitFor([&] { return Count(station.Output(), "next start: ") >= 2; },
                              std::chrono::seconds(30)));
    for (int i = 0; i < 3; ++i) test::WriteFile(source + "/drop" + std::to_string(i), "x");
    const auto dropped = std::chrono::steady_clock::now();
    ASSERT_TRUE(test::WaitFor([&] { return fs::exists(target + "/drop2"); },
                              std::chrono::seconds(60)))
        << station.Errors();
    // The start waits for the count to settle: never at once.
    EXPECT_GE(std::chrono::steady_clock::now() - dropped, std::chrono::seconds(4));
    EXPECT_EQ(station.Stop(), 0);
}

// SIGTERM in the middle of a slow copy acts as Cancel: the copy stops, no partial file is
// left under the destination name, and the station ends with "Program closed".
TEST_F(AutoStationTest, SigtermDuringARunCancelsIt) {
    WriteIni("SendTimeMode=0\nSendTimeSimpleInterval=00:00:01", "MaxByteRate=1\n");
    test::WriteFile(source + "/big.bin", std::string(30 << 20, 'x'));
    Station station(home.path());
    ASSERT_TRUE(test::WaitFor([&] { return station.Errors().find("working...") != std::string::npos; },
                              std::chrono::seconds(30)))
        << station.Errors();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_EQ(station.Stop(), 0);
    // 30 MiB at 1 MiB/s: a copy that was not stopped would have ended as big.bin.
    EXPECT_FALSE(fs::exists(target + "/big.bin"));
    EXPECT_EQ(Count(station.Log(), " 000 Program closed"), 1) << station.Log();
}

// The watchdog's "Restart Software" on a connection that stays up too long: the log line,
// then the restart script waits for this process to end and starts the station again.
TEST_F(AutoStationTest, WatchdogRestartsTheStation) {
    WriteIni("SendTimeMode=0\nSendTimeSimpleInterval=00:00:01\nTimeoutControl=1\n"
             "RebootAfterTimeout=00:02",
             "MaxByteRate=1\n");
    test::WriteFile(source + "/big.bin", std::string(30 << 20, 'x'));
    Station station(home.path());
    EXPECT_EQ(station.WaitForExit(), 0);
    const bool restarted = test::WaitFor(
        [&] { return Count(station.Log(), "Program started") >= 2; }, std::chrono::seconds(30));
    // The restarted station is no child of this test: end it (and a script still waiting).
    while (KillStationsOf(home.path()) > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    ASSERT_TRUE(restarted) << station.Log();
    const std::string log = station.Log();
    const size_t restart = log.find(" 000 Software restart because of timeout");
    ASSERT_NE(restart, std::string::npos) << log;
    EXPECT_NE(log.find("Program started", restart), std::string::npos) << log;
    EXPECT_EQ(log.find("Program closed"), std::string::npos) << log;
    EXPECT_TRUE(test::WaitFor([&] { return !fs::exists(home / "SelfRestart.sh"); }));
}

// Under a service manager the restart is left to it: the station ends with the agreed exit
// code and writes no script.
TEST_F(AutoStationTest, WatchdogLeavesTheRestartToTheServiceManager) {
    WriteIni("SendTimeMode=0\nSendTimeSimpleInterval=00:00:01\nTimeoutControl=1\n"
             "RebootAfterTimeout=00:02",
             "MaxByteRate=1\n");
    test::WriteFile(source + "/big.bin", std::string(30 << 20, 'x'));
    Station station(home.path(), "75");
    EXPECT_EQ(station.WaitForExit(), 75);
    EXPECT_EQ(Count(station.Log(), " 000 Software restart because of timeout"), 1);
    EXPECT_FALSE(fs::exists(home / "SelfRestart.sh"));
}

// The station starts, announces its next start, and ends cleanly on SIGTERM with
// "Program closed"; the "Auto" switch of this process is not written back.
TEST_F(AutoStationTest, StopsCleanlyOnSigterm) {
    WriteIni("SendTimeMode=0\nSendTimeSimpleInterval=01:00:00");
    Station station(home.path());
    ASSERT_TRUE(test::WaitFor([&] { return Count(station.Output(), "next start: ") >= 2; },
                              std::chrono::seconds(30)))
        << station.Errors();
    EXPECT_EQ(station.Stop(), 0);
    const std::string log = station.Log();
    EXPECT_EQ(Count(log, " 000 Program started"), 1) << log;
    EXPECT_EQ(Count(log, " 000 Day change"), 1) << log;
    EXPECT_EQ(Count(log, " 000 Program closed"), 1) << log;
    EXPECT_LT(log.find("Day change"), log.find("Program closed"));
    EXPECT_EQ(test::ReadFile(home / "Ferrolin.INI").find("Auto="), std::string::npos);
}

// "next" prints the start the schedule computes now, in the program's date-time form: a
// week of pause lines gives tomorrow at midnight, written as the date alone.
TEST(NextCommand, PrintsTheNextStartInTheProgramsForm) {
    test::TempDir home;
    std::string ini = "[Global]\nSendTimeMode=1\n";
    for (const char* day : {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday",
                            "Saturday"}) {
        ini += std::string(day) + "Fu10=08:00 --;20:00 --;\n";
    }
    test::WriteFile(home / "Ferrolin.INI", ini);
    const test::CommandResult result =
        test::RunCommand({FERROLIN_CLI_PATH, "next"}, {{"FERROLIN_HOME", home.path()}});
    ASSERT_EQ(result.exitCode, 0) << result.errors;
    ApplyDateTimeFormats();
    const TDateTime tomorrow = DateOf(Now()) + 1;
    if (DateOf(Now() - kOneMinute) == DateOf(Now())) {  // not just across midnight
        EXPECT_EQ(result.output, DateToStr(tomorrow) + "\n");
    }
}

TEST(NextCommand, SimpleIntervalAndUnusableLinesReported) {
    test::TempDir home;
    test::WriteFile(home / "Ferrolin.INI", "[Global]\nSendTimeMode=0\nSendTimeSimpleInterval=02:00:00\n");
    ApplyDateTimeFormats();
    const TDateTime before = Now();
    const test::CommandResult result =
        test::RunCommand({FERROLIN_CLI_PATH, "next"}, {{"FERROLIN_HOME", home.path()}});
    ASSERT_EQ(result.exitCode, 0) << result.errors;
    const std::optional<TDateTime> next = StrToDateTime(result.output.substr(0, result.output.size() - 1));
    ASSERT_TRUE(next) << result.output;
    EXPECT_GE(*next, before + 2 * kOneHour - 2 * kOneSecond);
    EXPECT_LE(*next, Now() + 2 * kOneHour + kOneSecond);

    std::string ini = "[Global]\nSendTimeMode=1\n";
    for (const char* day : {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday",
                            "Saturday"}) {
        ini += std::string(day) + "Fu10=noon 01:00:00;\n";
    }
    test::WriteFile(home / "Ferrolin.INI", ini);
    const test::CommandResult bad =
        test::RunCommand({FERROLIN_CLI_PATH, "next"}, {{"FERROLIN_HOME", home.path()}});
    EXPECT_EQ(bad.exitCode, 0);
    EXPECT_NE(bad.errors.find("\"noon 01:00:00\" not used"), std::string::npos) << bad.errors;
}

}  // namespace
}  // namespace ferrolin
