// What the operator of an unattended station gets from ferrolin-cli: the run record, the
// status check, alarm mails at a real SMTP server (aiosmtpd) and the alarm command, and
// the service manager's notifications on the test's own NOTIFY_SOCKET.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "common/json.h"
#include "station/run_record.h"
#include "support/child_process.h"
#include "support/mail_servers.h"
#include "support/temp_dir.h"

namespace ferrolin {
namespace {

namespace fs = std::filesystem;
using test::CommandResult;
using test::ReadFile;
using test::WriteFile;

size_t Count(const std::string& text, const std::string& needle) {
    size_t n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++n;
    return n;
}

// Header lines folded by the mail writer, joined again.
std::string Unfolded(std::string message) {
    for (size_t at = message.find("\r\n "); at != std::string::npos; at = message.find("\r\n "))
        message.replace(at, 3, " ");
    return message;
}

class OperatorStationTest : public ::testing::Test {
  protected:
    // Job 1 "Gone" lists a folder that is not there; job 2 "Good" copies two files.
    void WriteIni(const std::string& alarm) {
        WriteFile(good / "a.txt", "alpha");
        WriteFile(good / "b.txt", "bravo!");
        fs::create_directories(out.path());
        WriteFile(home / "Ferrolin.INI",
                  "[Global]\nAnzKopfstellen=2\nSendTimeMode=0\nSendTimeSimpleInterval=00:00:02\n"
                  "[Kopf0]\nName=Gone\nActive=1\nSendeVerzeichnis=" +
                      (home / "missing") + "\nEmpfangsVerzeichnis=" + out.path() +
                      "\n[Kopf1]\nName=Good\nActive=1\nSendeVerzeichnis=" + good.path() +
                      "\nEmpfangsVerzeichnis=" + out.path() + "\n[Alarm]\n" + alarm);
    }
    CommandResult Cli(const std::vector<std::string>& args) {
        std::vector<std::string> argv = {FERROLIN_CLI_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        return test::RunCommand(argv, {{"FERROLIN_HOME", home.path()}});
    }

    test::TempDir home, good, out;
};

TEST_F(OperatorStationTest, RecordStatusAlarmMailQuietTimeAndRecovery) {
    if (!test::SmtpTestServer::Available()) GTEST_SKIP() << "python3-aiosmtpd is not installed";
    test::SmtpTestServer smtp;
    ASSERT_TRUE(smtp.Ready()) << smtp.Log();
    WriteIni(
        "On=change\nMailTo=ops@example.org, night@example.org\n"
        "MailFrom=Ferrolin <station@example.org>\nSmtpServer=" +
        smtp.Url() + "\nQuietMinutes=15\nCommand=/bin/sh -c \"echo $FERROLIN_ALARM >> " +
        (home / "kinds") + "; cat >> " + (home / "records") + "\"\n");

    // A failing run: the record on stdout is the line Runs.jsonl got.
    const CommandResult first = Cli({"run", "--json"});
    EXPECT_EQ(first.exitCode, 1) << first.errors;
    const std::string runs = ReadFile(home / "Runs.jsonl");
    ASSERT_EQ(first.output, runs);
    const std::optional<RunRecord> record = ParseRunRecord(runs.substr(0, runs.size() - 1));
    ASSERT_TRUE(record) << runs;
    EXPECT_EQ(record->trigger, RunTrigger::Cli);
    EXPECT_EQ(record->outcome, RunOutcome::Failed);
    EXPECT_FALSE(record->host.empty());
    EXPECT_FALSE(record->version.empty());
    EXPECT_LE(record->start, record->end);
    ASSERT_EQ(record->jobs.size(), 2u);
    const JobRunRecord& gone = record->jobs[0];
    EXPECT_EQ(gone.index, 0);
    EXPECT_EQ(gone.name, "Gone");
    EXPECT_EQ(gone.kind, "folder");
    EXPECT_EQ(gone.source, home / "missing");
    EXPECT_EQ(gone.outcome, JobOutcome::CutShort);
    EXPECT_EQ(gone.copied, 0u);
    ASSERT_TRUE(gone.error);
    EXPECT_EQ(*gone.error, "Source " + (home / "missing") + " could not be listed");
    const JobRunRecord& ok = record->jobs[1];
    EXPECT_EQ(ok.outcome, JobOutcome::Ok);
    EXPECT_EQ(ok.copied, 2u);
    EXPECT_EQ(ok.same + ok.failed + ok.deleted, 0u);
    EXPECT_EQ(ok.bytes, 11);
    EXPECT_FALSE(ok.error);
    EXPECT_NE(runs.find("\"error\":null"), std::string::npos) << runs;
    EXPECT_NE(ReadFile(home / "Ferrolin.log").find("Alarm mail sent to ops@example.org"),
              std::string::npos);

    // One mail, to both addresses, that names the failed job and its reason.
    std::vector<std::string> mails = smtp.Messages();
    ASSERT_EQ(mails.size(), 1u) << smtp.Log();
    const std::string mail = Unfolded(mails[0]);
    EXPECT_NE(mail.find("X-Envelope-From: station@example.org"), std::string::npos) << mail;
    EXPECT_NE(mail.find("X-Envelope-To: ops@example.org, night@example.org"), std::string::npos);
    EXPECT_NE(mail.find("Subject: Ferrolin on " + record->host + ": run failed, 1 of 2 jobs"),
              std::string::npos)
        << mail;
    EXPECT_NE(mail.find("\"Gone\""), std::string::npos) << mail;
    EXPECT_NE(mail.find("could not be listed"), std::string::npos) << mail;
    EXPECT_EQ(mail.find("\"Good\""), std::string::npos) << mail;
    // The command got the record on its standard input.
    EXPECT_EQ(ReadFile(home / "kinds"), "failure\n");
    EXPECT_EQ(ReadFile(home / "records"), runs);

    // status: the failed run, each job's last outcome, exit 1 for a monitoring check.
    const CommandResult status = Cli({"status"});
    EXPECT_EQ(status.exitCode, 1) << status.errors;
    EXPECT_NE(status.output.find("Run in progress: no"), std::string::npos) << status.output;
    EXPECT_NE(status.output.find("Last run: failed"), std::string::npos) << status.output;
    EXPECT_NE(status.output.find("(cli), 1 of 2 jobs not ok"), std::string::npos) << status.output;
    EXPECT_NE(status.output.find("1 Gone: cut short at "), std::string::npos) << status.output;
    EXPECT_NE(status.output.find("2 Good: ok at "), std::string::npos) << status.output;
    EXPECT_NE(status.output.find("Next start: "), std::string::npos) << status.output;
    const CommandResult json = Cli({"status", "--json"});
    EXPECT_EQ(json.exitCode, 1);
    const std::optional<JsonValue> parsed = JsonValue::Parse(json.output);
    ASSERT_TRUE(parsed) << json.output;
    EXPECT_EQ(parsed->Find("running")->AsBool(), false);
    EXPECT_EQ(*parsed->Find("lastRun")->Find("outcome")->AsString(), "failed");
    EXPECT_EQ(*parsed->Find("jobs")->AsArray()->at(0).Find("outcome")->AsString(), "cut short");

    // A second failure inside the quiet time: no mail, no command, and the log says why.
    EXPECT_EQ(Cli({"run"}).exitCode, 1);
    EXPECT_EQ(smtp.Messages().size(), 1u);
    EXPECT_EQ(ReadFile(home / "kinds"), "failure\n");
    EXPECT_EQ(Count(ReadFile(home / "Ferrolin.log"), "Alarm not sent: the last failure alarm"), 1u);

    // Mended: the first ok run says "recovered"; status is 0 again.
    fs::create_directories(home / "missing");
    const CommandResult mended = Cli({"run"});
    EXPECT_EQ(mended.exitCode, 0) << mended.errors;
    mails = smtp.Messages();
    ASSERT_EQ(mails.size(), 2u);
    EXPECT_NE(Unfolded(mails[1]).find(": run ok, recovered"), std::string::npos) << mails[1];
    EXPECT_EQ(ReadFile(home / "kinds"), "failure\nrecovered\n");
    EXPECT_EQ(Cli({"status"}).exitCode, 0);
    EXPECT_EQ(Count(ReadFile(home / "Runs.jsonl"), "\n"), 3u);

    // alarm-test says what happened to each way.
    const CommandResult test = Cli({"alarm-test"});
    EXPECT_EQ(test.exitCode, 0) << test.output;
    EXPECT_NE(test.output.find("Alarm mail sent to ops@example.org, night@example.org"),
              std::string::npos)
        << test.output;
    EXPECT_NE(test.output.find("ended with exit code 0"), std::string::npos) << test.output;
    EXPECT_NE(Unfolded(smtp.Messages().back()).find(": test alarm"), std::string::npos);
}

// An alarm that cannot go out is logged and changes nothing about the run's outcome.
TEST_F(OperatorStationTest, FailingAlarmLeavesTheOutcomeAlone) {
    WriteIni(
        "On=always\nMailTo=ops@example.org\nSmtpServer=smtp://127.0.0.1:1\n"
        "Command=" +
        (home / "no-such-program") + "\n");
    fs::create_directories(home / "missing");
    const CommandResult run = Cli({"run"});
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    const std::string log = ReadFile(home / "Ferrolin.log");
    EXPECT_NE(log.find("Alarm mail to ops@example.org not sent: "), std::string::npos) << log;
    EXPECT_NE(log.find("could not be started: "), std::string::npos) << log;
    EXPECT_EQ(Cli({"alarm-test"}).exitCode, 1);
    EXPECT_EQ(Cli({"status"}).exitCode, 0);
}

// A datagram socket standing in for the service manager's NOTIFY_SOCKET.
class NotifySocket {
  public:
    explicit NotifySocket(const std::string& path) : path_(path) {
        fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        bound_ =
            fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        timeval wait{0, 100000};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    }
    ~NotifySocket() {
        if (fd_ >= 0) ::close(fd_);
    }
    NotifySocket(const NotifySocket&) = delete;
    NotifySocket& operator=(const NotifySocket&) = delete;
    bool Bound() const { return bound_; }

    // Collects datagrams until one contains text (true) or the time is up.
    bool WaitFor(const std::string& text, std::chrono::seconds timeout) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < end) {
            char buffer[4096];
            const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
            if (n <= 0) continue;
            received.emplace_back(buffer, static_cast<size_t>(n));
            if (received.back().find(text) != std::string::npos) return true;
        }
        return false;
    }

    std::vector<std::string> received;

  private:
    std::string path_;
    int fd_ = -1;
    bool bound_ = false;
};

TEST_F(OperatorStationTest, AutoTellsTheServiceManagerInOrder) {
    WriteIni("");
    NotifySocket socket(home / "notify");
    ASSERT_TRUE(socket.Bound());
    bool sawFailedRun = false, sawWatchdog = false, sawStopping = false;
    const CommandResult result = test::RunCommandWith(
        {FERROLIN_CLI_PATH, "auto"},
        {{"FERROLIN_HOME", home.path()},
         {"NOTIFY_SOCKET", home / "notify"},
         {"WATCHDOG_USEC", "400000"}},
        [&](pid_t pid) {
            sawFailedRun = socket.WaitFor("STATUS=Last run: failed", std::chrono::seconds(60));
            sawWatchdog = socket.WaitFor("WATCHDOG=1", std::chrono::seconds(5));
            ::kill(pid, SIGTERM);
            sawStopping = socket.WaitFor("STOPPING=1", std::chrono::seconds(30));
        });
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    ASSERT_TRUE(sawFailedRun && sawWatchdog && sawStopping) << result.errors;
    const std::vector<std::string>& notes = socket.received;
    // Ready first, with the status so far; stopping last.
    EXPECT_EQ(notes.front().rfind("READY=1\nSTATUS=Last run: none recorded; next start: ", 0), 0u)
        << notes.front();
    EXPECT_EQ(notes.back(), "STOPPING=1");
    size_t failedAt = 0;
    while (notes[failedAt].find("STATUS=Last run: failed") == std::string::npos) ++failedAt;
    EXPECT_GT(failedAt, 0u);
    EXPECT_NE(notes[failedAt].find(", 1 of 2 jobs not ok; next start: "), std::string::npos)
        << notes[failedAt];
}

}  // namespace
}  // namespace ferrolin
