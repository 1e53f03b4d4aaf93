// ferrolin-cli run against scripted FTP servers that cut, lie, refuse renames, send
// listings the client cannot read or hold names that collide with temporary names: no
// file is lost or replaced by a broken one, and the exit status says what went wrong.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <map>
#include <set>

#include "support/child_process.h"
#include "support/ftp_servers.h"
#include "support/job_ini.h"
#include "support/temp_dir.h"
#include "support/text_count.h"

namespace ferrolin {
namespace {

namespace fs = std::filesystem;
using test::CountOccurrences;
using test::IniKeys;
using test::PyFtpOptions;
using test::PyFtpServer;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

using Files = std::map<std::string, std::string>;  // path below a folder -> content

// Every file below folder with its content: what is there, and nothing else.
Files FilesBelow(const std::string& folder) {
    Files files;
    if (!fs::exists(folder)) return files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), folder).string()] = ReadFile(entry.path());
    }
    return files;
}

// The server has received the first bytes of a file.
bool SendingStarted(const std::string& path) {
    std::error_code error;
    return fs::file_size(path, error) > 0 && !error;
}

void WriteAll(const std::string& folder, const Files& files) {
    for (const auto& [name, content] : files) WriteFile(folder + "/" + name, content);
}

// Each case: a server that misbehaves one way, what it serves, the local folder before,
// and what must hold afterwards.
struct HostileCase {
    const char* what;
    PyFtpOptions options;
    Files served;  // on the server before the run
    Files local;   // the local folder before the run (destination or source)
    IniKeys job;   // keys added to the job
    int exitCode;
    Files servedAfter;  // the whole server folder afterwards
    Files localAfter;   // the whole local folder afterwards
    std::vector<std::string> logLines;
};

class FtpHostileRun : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!PyFtpServer::Available()) GTEST_SKIP() << "pyftpdlib missing";
    }
    test::CommandResult Run() {
        return test::RunCommand({FERROLIN_CLI_PATH, "run"}, {{"FERROLIN_HOME", home.path()}});
    }
    std::string Log() { return ReadFile(home / "Ferrolin.log"); }
    static std::string Address(const PyFtpServer& server, const std::string& folder) {
        return "ftp://" + server.Address() + folder;
    }
    IniKeys DownloadJob(const PyFtpServer& server) {
        return {{"SendeVerzeichnis", Address(server, "/")},
                {"EmpfangsVerzeichnis", dst.path()},
                {"SourceLName", "tester"},
                {"SourceLPassword", "secret"},
                {"PassiveMode", "1"}};
    }
    IniKeys UploadJob(const PyFtpServer& server) {
        return {{"SendeVerzeichnis", src.path()},
                {"EmpfangsVerzeichnis", Address(server, "/")},
                {"DestLName", "tester"},
                {"DestLPassword", "secret"},
                {"PassiveMode", "1"},
                {"UseTempFile", "1"}};
    }

    // Runs one case against a fresh server: local is the job's local folder (the
    // destination of a download, the source of an upload). Returns the server's log.
    std::string RunCase(const HostileCase& c, const std::string& local, bool download) {
        fs::remove_all(local);
        fs::create_directories(local);
        fs::remove(home / "Ferrolin.log");
        PyFtpServer server(c.options);
        EXPECT_TRUE(server.Ready()) << server.Log();
        fs::remove_all(server.Root() + "/pub");
        WriteAll(server.Root(), c.served);
        WriteAll(local, c.local);
        IniKeys job = download ? DownloadJob(server) : UploadJob(server);
        job.insert(c.job.begin(), c.job.end());
        test::WriteJobIni(home.path(), {}, {job});

        const test::CommandResult result = Run();
        EXPECT_EQ(result.exitCode, c.exitCode) << result.errors << Log();
        EXPECT_EQ(FilesBelow(server.Root()), c.servedAfter);
        EXPECT_EQ(FilesBelow(local), c.localAfter);
        for (const std::string& line : c.logLines)
            EXPECT_NE(Log().find(line), std::string::npos) << line << "\n" << Log();
        return server.Log();
    }

    TempDir home, src, dst;
};

PyFtpOptions With(const std::function<void(PyFtpOptions&)>& set) {
    PyFtpOptions options;
    set(options);
    return options;
}

const std::string kLongName = std::string(249, 'l') + ".txt";  // no room for ".tmp"

TEST_F(FtpHostileRun, DownloadsKeepEveryFileWholeOrNotAtAll) {
    const std::string thousand(1000, 'x');
    const HostileCase cases[] = {
        {"temporary names that are listed names",
         {},
         {{"r1.csv", "one"},
          {"r1.csv.tmp", "one-tmp"},
          {"r2.csv.tmp", "two-tmp"},
          {"r2.csv", "two"}},
         {},
         {{"SourceDelete", "1"}},
         0,
         {},
         {{"r1.csv", "one"},
          {"r1.csv.tmp", "one-tmp"},
          {"r2.csv", "two"},
          {"r2.csv.tmp", "two-tmp"}},
         {}},
        {"half a file, then 226 and a SIZE that agrees",
         With([](PyFtpOptions& o) { o.shortRetr = true; }),
         {{"a.txt", thousand}},
         {{"a.txt", "old"}},
         {{"SourceDelete", "1"}},
         1,
         {{"a.txt", thousand}},
         {{"a.txt", "old"}},
         {"Exception at receive file: /a.txt: received 500 bytes of the 1000 listed"}},
        {"a SIZE that lies",
         With([](PyFtpOptions& o) { o.sizeLie = 7; }),
         {{"a.txt", thousand}},
         {{"a.txt", "old"}},
         {{"SourceDelete", "1"}},
         1,
         {{"a.txt", thousand}},
         {{"a.txt", "old"}},
         {"Exception at receive file: /a.txt"}},
        {"a file that grows once it was sent",
         With([](PyFtpOptions& o) { o.growAfterRetr = true; }),
         {{"g.txt", "growing"}},
         {},
         {{"SourceDelete", "1"}},
         0,
         {{"g.txt", "growing and more"}},
         {{"g.txt", "growing"}},
         {"/g.txt changed since it was listed; kept for the next run"}},
        {"a file that fails, on the server or here, does not end the loop",
         With([](PyFtpOptions& o) { o.extraNames = {"dangling.txt"}; }),
         {{kLongName, "long"}, {" lead.txt", "lead"}, {"blocked", "b"}, {"z.txt", "z"}},
         {{"blocked/by a folder", "f"}},
         {},
         1,
         {{kLongName, "long"}, {" lead.txt", "lead"}, {"blocked", "b"}, {"z.txt", "z"}},
         {{kLongName, "long"}, {" lead.txt", "lead"}, {"blocked/by a folder", "f"}, {"z.txt", "z"}},
         {"Exception at receive file: /dangling.txt", "Exception at receive file: /blocked: "}},
        {"a listing line not understood deletes nothing",
         With([](PyFtpOptions& o) {
             o.garbageLine = "-rw-r--r--   1 owner group  5 Dez 24  2013 bericht.txt";
         }),
         {{"a.txt", "a"}},
         {{"bericht.txt", "report"}, {"orphan.txt", "o"}},
         {{"CopyMode", "3"}},
         1,
         {{"a.txt", "a"}},
         {{"a.txt", "a"}, {"bericht.txt", "report"}, {"orphan.txt", "o"}},
         {"FTP folder / was not listed completely; no local file deleted"}},
    };
    for (const HostileCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string serverLog = RunCase(c, dst.path(), true);
        // A file that was not fetched whole is never deleted on the server.
        if (c.exitCode != 0) {
            EXPECT_EQ(CountOccurrences(serverLog, "DELE "), 0) << serverLog;
        }
    }
}

TEST_F(FtpHostileRun, UploadsKeepTheirTreeAndAFileUnderItsFinalName) {
    const HostileCase cases[] = {
        {"a recursive source keeps its subfolders",
         {},
         {},
         {{"a/report.csv", "from a"}, {"b/report.csv", "from b"}, {"top.txt", "top"}},
         {{"ParsingType", "1"}, {"SourceDelete", "1"}},
         0,
         {{"a/report.csv", "from a"}, {"b/report.csv", "from b"}, {"top.txt", "top"}},
         {},
         {}},
        {"temporary names that are the names of other files",
         {},
         {{"doc.txt.tmp", "old tmp"}},
         {{"doc.txt", "doc"}, {"doc.txt.tmp", "new tmp"}},
         {},
         0,
         {{"doc.txt", "doc"}, {"doc.txt.tmp", "new tmp"}},
         {{"doc.txt", "doc"}, {"doc.txt.tmp", "new tmp"}},
         {}},
        {"a rename onto an existing name refused",
         With([](PyFtpOptions& o) { o.refuseRenameOver = true; }),
         {{"doc.txt", "old"}},
         {{"doc.txt", "new"}},
         {},
         0,
         {{"doc.txt", "new"}},
         {{"doc.txt", "new"}},
         {}},
        {"every rename refused",
         With([](PyFtpOptions& o) { o.refuse = "RNTO"; }),
         {{"doc.txt", "old"}, {"new.txt", "stale"}},
         {{"doc.txt", "new"}, {"new.txt", "fresh"}},
         {},
         0,
         {{"doc.txt", "new"}, {"new.txt", "fresh"}},
         {{"doc.txt", "new"}, {"new.txt", "fresh"}},
         {"Rename of /doc.txt.tmp refused; "}},
        {"a destination that cannot be listed is not mirrored",
         With([](PyFtpOptions& o) { o.refuse = "MLSD"; }),
         {{"orphan.txt", "o"}},
         {{"a.txt", "a"}},
         {{"CopyMode", "3"}},
         1,
         {{"a.txt", "a"}, {"orphan.txt", "o"}},
         {{"a.txt", "a"}},
         {"FTP folder / could not be listed; no remote file deleted"}},
    };
    for (const HostileCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string serverLog = RunCase(c, src.path(), false);
        // A refusal fails one command, never the session; an absent name is never deleted.
        EXPECT_EQ(CountOccurrences(serverLog, "logged in"), 1) << serverLog;
        if (c.served.empty()) {
            EXPECT_EQ(CountOccurrences(serverLog, "DELE "), 0) << serverLog;
        }
    }
}

// A server that goes away ends the loop: the file that found it gone fails, the files
// after it are not tried against a server that is not there.
TEST_F(FtpHostileRun, ALostSessionEndsTheDownloadLoop) {
    PyFtpOptions options;
    options.exitAfterRetr = 1;
    PyFtpServer server(options);
    ASSERT_TRUE(server.Ready()) << server.Log();
    fs::remove_all(server.Root() + "/pub");
    WriteAll(server.Root(), {{"a.txt", "a"}, {"b.txt", "b"}, {"c.txt", "c"}, {"d.txt", "d"}});
    test::WriteJobIni(home.path(), {}, {DownloadJob(server)});
    EXPECT_EQ(Run().exitCode, 1);
    EXPECT_EQ(FilesBelow(dst.path()).size(), 1u);  // the first one listed
    EXPECT_EQ(CountOccurrences(Log(), "Exception at receive file: "), 1) << Log();
    EXPECT_EQ(CountOccurrences(Log(), "FTP session to 127.0.0.1:"), 1) << Log();
}

// An empty file is an order to delete the remote file of its name, but not once it has
// been written to while an earlier file was still being sent.
TEST_F(FtpHostileRun, AnEmptySourceFilledDuringTheRunIsNoDeletionOrder) {
    PyFtpOptions options;
    options.rate = 256 * 1024;
    PyFtpServer server(options);
    ASSERT_TRUE(server.Ready()) << server.Log();
    WriteFile(server.Root() + "/z.txt", "remote z");
    WriteFile(src / "a_big.bin", std::string(1024 * 1024, 'b'));
    WriteFile(src / "z.txt", "");
    IniKeys job = UploadJob(server);
    job["SourceDelete"] = "1";
    test::WriteJobIni(home.path(), {}, {job});
    const test::CommandResult result = test::RunCommandWith(
        {FERROLIN_CLI_PATH, "run"}, {{"FERROLIN_HOME", home.path()}}, [&](pid_t) {
            test::WaitFor([&] { return SendingStarted(server.Root() + "/a_big.bin.tmp"); });
            WriteFile(src / "z.txt", "written meanwhile");
        });
    EXPECT_EQ(result.exitCode, 0) << result.errors << Log();
    EXPECT_EQ(ReadFile(src / "z.txt"), "written meanwhile");
    EXPECT_EQ(ReadFile(server.Root() + "/z.txt"), "remote z");
    EXPECT_FALSE(fs::exists(src / "a_big.bin"));
    EXPECT_NE(Log().find(src / "z.txt changed since it was listed; kept for the next run"),
              std::string::npos)
        << Log();
}

// A stop signal during an upload ends it with a line saying which file was cancelled.
TEST_F(FtpHostileRun, ACancelledUploadSaysSo) {
    PyFtpOptions options;
    options.rate = 256 * 1024;
    PyFtpServer server(options);
    ASSERT_TRUE(server.Ready()) << server.Log();
    WriteFile(src / "big.bin", std::string(8 * 1024 * 1024, 'c'));
    test::WriteJobIni(home.path(), {}, {UploadJob(server)});
    const test::CommandResult result = test::RunCommandWith(
        {FERROLIN_CLI_PATH, "run"}, {{"FERROLIN_HOME", home.path()}}, [&](pid_t pid) {
            test::WaitFor([&] { return SendingStarted(server.Root() + "/big.bin.tmp"); });
            kill(pid, SIGTERM);
        });
    EXPECT_EQ(result.exitCode, 130) << result.errors;
    EXPECT_EQ(CountOccurrences(Log(), "send of " + src / "big.bin cancelled"), 1) << Log();
    EXPECT_FALSE(fs::exists(server.Root() + "/big.bin"));
}

// Two jobs on one server with different users, the session kept open between jobs:
// the second job logs in as its own user and sees its own home.
TEST_F(FtpHostileRun, AKeptSessionIsNotReusedForAnotherUser) {
    PyFtpOptions options;
    options.secondUser = "other:other-pw:otherhome";
    PyFtpServer server(options);
    ASSERT_TRUE(server.Ready()) << server.Log();
    fs::remove_all(server.Root() + "/pub");
    WriteFile(server.Root() + "/one.txt", "tester's");
    WriteFile(server.Root() + "/otherhome/two.txt", "other's");
    TempDir second;
    IniKeys other = DownloadJob(server);
    other["SourceLName"] = "other";
    other["SourceLPassword"] = "other-pw";
    other["EmpfangsVerzeichnis"] = second.path();
    test::WriteJobIni(home.path(), {{"NoFTPDisconnect", "1"}}, {DownloadJob(server), other});

    const test::CommandResult result = Run();
    EXPECT_EQ(result.exitCode, 0) << result.errors << Log();
    EXPECT_EQ(FilesBelow(dst.path()), (Files{{"one.txt", "tester's"}}));
    EXPECT_EQ(FilesBelow(second.path()), (Files{{"two.txt", "other's"}}));
    EXPECT_EQ(CountOccurrences(server.Log(), "logged in"), 2) << server.Log();
}

}  // namespace
}  // namespace ferrolin
