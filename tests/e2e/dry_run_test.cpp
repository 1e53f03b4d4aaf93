// ferrolin-cli run --dry-run: the plan it prints, the exit status, that nothing anywhere
// changed (the folders and the program folder compared whole before and after), and that
// a real run of the same job list then does what the plan said.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <set>
#include <sstream>

#include "protocols/mail_samples.h"
#include "support/child_process.h"
#include "support/file_age.h"
#include "support/ftp_servers.h"
#include "support/job_ini.h"
#include "support/mail_servers.h"
#include "support/nm_mock.h"
#include "support/temp_dir.h"
#include "support/text_count.h"
#include "support/tree_snapshot.h"

namespace ferrolin {
namespace {

namespace fs = std::filesystem;
using test::AgeFile;
using test::CommandResult;
using test::IniKeys;
using test::PyFtpServer;
using test::ReadFile;
using test::SnapshotTree;
using test::TempDir;
using test::TreeDifference;
using test::TreeSnapshot;
using test::WriteFile;

// The action lines of a printed plan (indented below their job's line), in order.
std::vector<std::string> PlanLines(const std::string& output) {
    std::vector<std::string> lines;
    std::istringstream in(output);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("  ", 0) == 0) lines.push_back(line.substr(2));
    return lines;
}

std::string Joined(std::vector<std::string> lines) {
    std::sort(lines.begin(), lines.end());
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

// A moment in DelayDelete.txt's form, days before now (local time).
std::string MomentDaysAgo(double days) {
    const std::time_t then = std::time(nullptr) - static_cast<std::time_t>(days * 86400);
    std::tm local{};
    localtime_r(&then, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

class DryRunTest : public ::testing::Test {
  protected:
    CommandResult Run(const std::vector<std::string>& args) {
        std::vector<std::string> argv = {FERROLIN_CLI_PATH, "run"};
        argv.insert(argv.end(), args.begin(), args.end());
        return test::RunCommand(argv, {{"FERROLIN_HOME", home.path()}});
    }
    // Everything the run could touch: both folders and the program folder.
    TreeSnapshot World() {
        TreeSnapshot world;
        for (const auto& [name, root] : {std::pair{"src/", &src}, {"dst/", &dst}, {"home/", &home}})
            for (auto& [path, entry] : SnapshotTree(root->path())) world[name + path] = entry;
        return world;
    }
    std::string Expand(const std::string& line) {
        return Replaced(Replaced(line, "{src}", src.path()), "{dst}", dst.path());
    }
    void Reset() {
        for (const std::string& folder : {src.path(), dst.path(), home.path()}) {
            fs::remove_all(folder);
            fs::create_directories(folder);
        }
    }
    // A tree with a new, a changed, an unchanged file and two orphans.
    void FillTree() {
        WriteFile(src / "new.txt", "new");
        WriteFile(src / "sub/changed.txt", "changed, longer");
        WriteFile(dst / "sub/changed.txt", "old");
        AgeFile(dst / "sub/changed.txt", 7200);
        WriteFile(src / "same.txt", "same");
        WriteFile(dst / "same.txt", "same");
        AgeFile(src / "same.txt", 3600);
        AgeFile(dst / "same.txt", 3600);
        WriteFile(dst / "orphan.txt", "orphan");
        WriteFile(dst / "sub/orphan2.txt", "orphan");
    }

    TempDir home, src, dst;
};

TEST_F(DryRunTest, AFolderJobIsPlannedWithoutChangingAnything) {
    const std::vector<std::string> transfers = {
        "copy {src}/new.txt -> {dst}/new.txt",
        "update {src}/sub/changed.txt -> {dst}/sub/changed.txt",
        "same {src}/same.txt -> {dst}/same.txt",
    };
    struct Case {
        const char* what;
        IniKeys keys;
        bool emptySource;
        std::vector<std::string> delayLines;  // DelayDelete.txt before the run
        std::vector<std::string> expected;    // besides the transfers, unless emptySource
        int exitCode;
    };
    const std::string dueLong = MomentDaysAgo(10);
    const std::string notedYesterday = MomentDaysAgo(1);
    const std::vector<Case> cases = {
        {"mirror",
         {{"CopyMode", "3"}},
         false,
         {},
         {"delete {dst}/orphan.txt", "delete {dst}/sub/orphan2.txt"},
         0},
        {"mirror with a delete delay",
         {{"CopyMode", "3"}, {"DestDelDelay", "3"}},
         false,
         {dueLong + "\t{dst}/gone.txt", notedYesterday + "\t{dst}/orphan.txt"},
         {"delete {dst}/gone.txt", "delay-delete " + MomentDaysAgo(-2) + " {dst}/orphan.txt",
          "delay-delete " + MomentDaysAgo(-3).substr(0, 10) + " {dst}/sub/orphan2.txt"},
         0},
        {"sources deleted after their copy",
         {{"CopyMode", "0"}, {"SourceDelete", "1"}},
         false,
         {},
         {"delete {src}/new.txt", "delete {src}/sub/changed.txt", "delete {src}/same.txt"},
         0},
        {"mirror of an empty source",
         {{"CopyMode", "3"}},
         true,
         {},
         {"skip source-empty {dst}", "failed: Source {src}/*.* is empty: mirror deletions skipped"},
         1},
        {"mirror beyond MaxDelete",
         {{"CopyMode", "3"}, {"MaxDelete", "1"}},
         false,
         {},
         {"skip max-delete-exceeded {dst}",
          "failed: Source {src}/*.*: the mirror step would delete 2 of 5 destination files, more "
          "than MaxDelete=1 allows; nothing deleted"},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Reset();
        FillTree();
        if (c.emptySource) fs::remove_all(src.path()), fs::create_directories(src.path());
        if (c.delayLines.size() > 0) WriteFile(dst / "gone.txt", "due");
        std::string delayFile;
        for (const std::string& line : c.delayLines) delayFile += Expand(line) + "\n";
        if (!delayFile.empty()) WriteFile(home / "DelayDelete.txt", delayFile);
        IniKeys job = {{"SendeVerzeichnis", src / "*.*"},
                       {"EmpfangsVerzeichnis", dst.path()},
                       {"ParsingType", "1"}};
        job.insert(c.keys.begin(), c.keys.end());
        test::WriteJobIni(home.path(), {}, {job});

        const TreeSnapshot before = World();
        const CommandResult dry = Run({"--dry-run"});
        EXPECT_EQ(dry.exitCode, c.exitCode) << dry.output << dry.errors;
        EXPECT_EQ(TreeDifference(before, World()), "");
        EXPECT_EQ(dry.output.rfind("job 1 Job 0\n", 0), 0u) << dry.output;

        std::vector<std::string> expected;
        if (!c.emptySource)
            for (const std::string& line : transfers) expected.push_back(Expand(line));
        for (const std::string& line : c.expected) expected.push_back(Expand(line));
        std::vector<std::string> planned = PlanLines(dry.output);
        // A new orphan falls due three days from now; its hour is not compared.
        for (std::string& line : planned)
            if (line.find("/sub/orphan2.txt") != std::string::npos && line.rfind("delay-", 0) == 0)
                line = line.substr(0, 23) + line.substr(32);
        EXPECT_EQ(Joined(planned), Joined(expected)) << dry.output;
        EXPECT_NE(dry.output.find("failed\n"), std::string::npos) << dry.output;
        if (c.exitCode != 0) continue;

        // The real run does what the plan said: what it copied, replaced and deleted.
        const TreeSnapshot files = World();
        EXPECT_EQ(Run({}).exitCode, 0) << ReadFile(home / "Ferrolin.log");
        const TreeSnapshot after = World();
        std::set<std::string> done;
        for (const auto& [path, entry] : files)
            if (path.rfind("home/", 0) != 0 && after.count(path) == 0)
                done.insert("delete " + path);
        for (const auto& [path, entry] : after) {
            if (path.rfind("dst/", 0) != 0 || entry.content == "<folder>") continue;
            const auto was = files.find(path);
            if (was == files.end())
                done.insert("copy " + path);
            else if (!(was->second == entry))
                done.insert("update " + path);
        }
        std::set<std::string> promised;
        for (const std::string& line : expected) {
            const std::string verb = line.substr(0, line.find(' '));
            if (verb != "copy" && verb != "update" && verb != "delete") continue;
            const size_t arrow = line.find(" -> ");
            std::string path =
                arrow == std::string::npos ? line.substr(verb.size() + 1) : line.substr(arrow + 4);
            path = Replaced(Replaced(path, src.path() + "/", "src/"), dst.path() + "/", "dst/");
            promised.insert(verb + " " + path);
        }
        EXPECT_EQ(done, promised);
    }
}

TEST_F(DryRunTest, TakesNoOtherArgumentAndPlansOnlyCheckedJobs) {
    Reset();
    EXPECT_EQ(Run({"--dry-run", "--json"}).exitCode, 2);
    WriteFile(src / "a.txt", "a");
    test::WriteJobIni(home.path(), {},
                      {{{"SendeVerzeichnis", src / "*.*"}, {"EmpfangsVerzeichnis", dst.path()}},
                       {{"SendeVerzeichnis", src / "*.*"},
                        {"EmpfangsVerzeichnis", dst / "off"},
                        {"Active", "0"}}});
    const TreeSnapshot before = World();
    const CommandResult dry = Run({"--dry-run"});
    EXPECT_EQ(dry.exitCode, 0);
    EXPECT_EQ(TreeDifference(before, World()), "");
    // The unchecked job is not planned.
    EXPECT_EQ(PlanLines(dry.output),
              std::vector<std::string>{"copy " + (src / "a.txt") + " -> " + (dst / "a.txt")});
    EXPECT_NE(dry.output.find("plan: 1 jobs, 1 copy, 0 update"), std::string::npos) << dry.output;
}

// The server's tree, the local folders and the program folder are the same after a dry
// run of an FTP download or upload, and the server was sent no command that changes
// anything; a real run then does what the plan said.
TEST_F(DryRunTest, FtpJobsArePlannedWithoutChangingTheServer) {
    PyFtpServer server;
    if (!PyFtpServer::Available()) GTEST_SKIP() << "pyftpdlib missing";
    if (!server.Ready()) GTEST_SKIP() << "FTP server did not start: " << server.Log();
    const std::string root = server.Root();
    struct Case {
        const char* what;
        bool upload;
        IniKeys keys;
        bool emptySource;
        std::vector<std::string> expected;  // {src}, {dst} local, {ftp} the remote folder
        int exitCode;
    };
    const std::vector<Case> cases = {
        {"download mirror",
         false,
         {{"CopyMode", "3"}},
         false,
         {"download {ftp}/new.txt -> {dst}/new.txt", "same {ftp}/same.txt -> {dst}/same.txt",
          "delete {dst}/orphan.txt"},
         0},
        {"download, source deleted",
         false,
         {{"CopyMode", "0"}, {"SourceDelete", "1"}},
         false,
         {"download {ftp}/new.txt -> {dst}/new.txt", "remote-delete {ftp}/new.txt",
          "same {ftp}/same.txt -> {dst}/same.txt"},
         0},
        {"upload mirror",
         true,
         {{"CopyMode", "3"}},
         false,
         {"upload {src}/new.txt -> {ftp}/new.txt", "upload {src}/same.txt -> {ftp}/same.txt",
          "remote-delete {ftp}/orphan.txt"},
         0},
        {"upload mirror of an empty source",
         true,
         {{"CopyMode", "3"}},
         true,
         {"skip source-empty {ftp}", "failed: Source {src}/*.* is empty: mirror deletions skipped"},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Reset();
        fs::remove_all(root + "/f");
        const std::string from = c.upload ? src.path() : root + "/f";
        const std::string to = c.upload ? root + "/f" : dst.path();
        if (!c.emptySource) {
            WriteFile(from + "/new.txt", "new");
            WriteFile(from + "/same.txt", "same");
        }
        WriteFile(to + "/same.txt", "same");
        WriteFile(to + "/orphan.txt", "orphan");
        for (const std::string& folder : {from, to}) {
            fs::create_directories(folder);
            if (fs::exists(folder + "/same.txt")) AgeFile(folder + "/same.txt", 3600);
        }
        const std::string address = "ftp://" + server.Address() + "/f";
        IniKeys job = {{"SendeVerzeichnis", c.upload ? src / "*.*" : address},
                       {"EmpfangsVerzeichnis", c.upload ? address : dst.path()},
                       {c.upload ? "DestLName" : "SourceLName", server.Options().user},
                       {c.upload ? "DestLPassword" : "SourceLPassword", server.Options().password},
                       {"PassiveMode", "1"}};
        job.insert(c.keys.begin(), c.keys.end());
        test::WriteJobIni(home.path(), {}, {job});

        const TreeSnapshot before = World();
        const TreeSnapshot remoteBefore = SnapshotTree(root);
        const size_t logBefore = server.Log().size();
        const CommandResult dry = Run({"--dry-run"});
        EXPECT_EQ(dry.exitCode, c.exitCode) << dry.output << dry.errors;
        EXPECT_EQ(TreeDifference(before, World()), "");
        EXPECT_EQ(TreeDifference(remoteBefore, SnapshotTree(root)), "");
        const std::string served = server.Log().substr(logBefore);
        for (const char* command : {"STOR", "DELE", "RNFR", "MKD", "MFMT", "SITE"})
            EXPECT_EQ(served.find(std::string(command) + " "), std::string::npos) << served;

        std::vector<std::string> expected;
        for (const std::string& line : c.expected)
            expected.push_back(Replaced(Expand(line), "{ftp}", "/f"));
        EXPECT_EQ(Joined(PlanLines(dry.output)), Joined(expected)) << dry.output << dry.errors;
        if (c.exitCode != 0) continue;

        // The real run: each planned transfer and deletion happened, and nothing else.
        const TreeSnapshot local = SnapshotTree(c.upload ? src.path() : dst.path());
        const TreeSnapshot remote = SnapshotTree(root + "/f");
        const size_t realLogBefore = server.Log().size();
        EXPECT_EQ(Run({}).exitCode, 0) << ReadFile(home / "Ferrolin.log");
        // The server logs the commands it serves, so the absence of changing ones above counts.
        const std::string changing = c.upload ? "STOR " : "RETR ";
        EXPECT_NE(server.Log().substr(realLogBefore).find(changing), std::string::npos)
            << server.Log();
        const std::string changes =
            TreeDifference(remote, SnapshotTree(root + "/f")) +
            TreeDifference(local, SnapshotTree(c.upload ? src.path() : dst.path()));
        size_t planned = 0;
        for (const std::string& line : expected) planned += line.rfind("same ", 0) == 0 ? 0 : 1;
        EXPECT_EQ(static_cast<size_t>(std::count(changes.begin(), changes.end(), '\n')), planned)
            << changes;
    }
}

// A mail job lists the mailbox and plans each message; the mailbox holds the same
// messages afterwards, and the real run then fetches and deletes them.
TEST_F(DryRunTest, AMailJobLeavesTheMailboxAsItWas) {
    if (!test::DovecotServer::Available()) GTEST_SKIP() << "dovecot is not installed";
    test::DovecotServer server({test::kPlainMail, test::kPlainMail});
    Reset();
    const std::string address = "pop3://" + server.Address();
    test::WriteJobIni(home.path(), {},
                      {{{"SendeVerzeichnis", address},
                        {"SourceLName", server.User()},
                        {"SourceLPassword", server.Password()},
                        {"EmpfangsVerzeichnis", dst.path()},
                        {"SourceDelete", "1"}}});
    // The server notes its own bookkeeping in the mbox; the messages are what counts.
    const auto messages = [&server] {
        return test::CountOccurrences(server.Mailbox(), "Subject: Daily report");
    };
    ASSERT_EQ(messages(), 2);
    const TreeSnapshot before = World();
    const CommandResult dry = Run({"--dry-run"});
    EXPECT_EQ(dry.exitCode, 0) << dry.output << dry.errors;
    EXPECT_EQ(TreeDifference(before, World()), "");
    EXPECT_EQ(messages(), 2) << server.Mailbox();
    std::vector<std::string> expected;
    for (const char* message : {" Mail 1", " Mail 2"}) {
        expected.push_back("download " + address + message + " -> " + dst.path());
        expected.push_back("remote-delete " + address + message);
    }
    EXPECT_EQ(PlanLines(dry.output), expected) << dry.output;

    EXPECT_EQ(Run({}).exitCode, 0) << ReadFile(home / "Ferrolin.log");
    EXPECT_EQ(messages(), 0) << server.Mailbox();
}

// An HTTP job is planned without asking the server anything; a destination folder that
// does not exist fails the plan as it would fail the run.
TEST_F(DryRunTest, AnHttpJobIsPlannedWithoutAskingTheServer) {
    struct Case {
        const char* what;
        std::string destination;
        std::string expected;
        int exitCode;
    };
    // Nothing listens on port 9: a request would fail the plan.
    const std::string address = "http://127.0.0.1:9/data/report.csv";
    const std::vector<Case> cases = {
        {"existing folder", dst / "report.csv",
         "download " + address + " -> " + (dst / "report.csv"), 0},
        {"missing folder", dst / "none/report.csv",
         "failed: Download of " + address + " failed: The destination folder " + (dst / "none") +
             " does not exist",
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Reset();
        test::WriteJobIni(
            home.path(), {},
            {{{"SendeVerzeichnis", address}, {"EmpfangsVerzeichnis", c.destination}}});
        const TreeSnapshot before = World();
        const CommandResult dry = Run({"--dry-run"});
        EXPECT_EQ(dry.exitCode, c.exitCode) << dry.output << dry.errors;
        EXPECT_EQ(TreeDifference(before, World()), "");
        EXPECT_EQ(PlanLines(dry.output), std::vector<std::string>{c.expected}) << dry.output;
    }
}

// A job that dials its line is planned as a skip, and the line is never dialled.
TEST_F(DryRunTest, AJobThatDialsIsSkippedUndialled) {
    if (!test::NmMock::Possible()) GTEST_SKIP() << "dbus-daemon or python3-dbusmock missing";
    test::NmMock mock({{"Modem", "gsm"}, {"lo", "loopback"}});
    ASSERT_TRUE(mock.Ready());
    Reset();
    WriteFile(src / "a.txt", "a");
    test::WriteJobIni(home.path(), {},
                      {{{"SendeVerzeichnis", src / "*.*"},
                        {"EmpfangsVerzeichnis", dst.path()},
                        {"DRasEintrag", "Modem"}}});
    const TreeSnapshot before = World();
    const CommandResult dry = Run({"--dry-run"});
    EXPECT_EQ(dry.exitCode, 0) << dry.output << dry.errors;
    EXPECT_EQ(PlanLines(dry.output), std::vector<std::string>{"skip dial-up-not-dialled Modem"})
        << dry.output;
    EXPECT_EQ(mock.CallCount("ActivateConnection"), 0);
    EXPECT_EQ(TreeDifference(before, World()), "");
}

}  // namespace
}  // namespace ferrolin
