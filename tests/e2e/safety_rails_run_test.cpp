// ferrolin-cli run with the safety rails: the deletion guards of an FTP mirror in both
// directions, the settle time of an FTP source, and durable moves, whose fsync calls are
// watched with strace.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "protocols/mail_samples.h"
#include "support/child_process.h"
#include "support/file_age.h"
#include "support/ftp_servers.h"
#include "support/job_ini.h"
#include "support/mail_servers.h"
#include "support/temp_dir.h"
#include "support/text_count.h"

namespace ferrolin {
namespace {

namespace fs = std::filesystem;
using test::AgeFile;
using test::CommandResult;
using test::FilesIn;
using test::IniKeys;
using test::PyFtpServer;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

void Refill(const std::string& folder) {
    fs::remove_all(folder);
    fs::create_directories(folder);
}

class SafetyRailsRunTest : public ::testing::Test {
  protected:
    CommandResult Run(const std::vector<std::string>& prefix = {}) {
        std::vector<std::string> argv = prefix;
        argv.push_back(FERROLIN_CLI_PATH);
        argv.push_back("run");
        return test::RunCommand(argv, {{"FERROLIN_HOME", home.path()}});
    }
    std::string Log() { return ReadFile(home / "Ferrolin.log"); }
    static IniKeys FtpSide(const PyFtpServer& server, const std::string& side,
                           const std::string& folder) {
        const bool source = side == "source";
        return {{source ? "SendeVerzeichnis" : "EmpfangsVerzeichnis",
                 "ftp://" + server.Address() + folder},
                {source ? "SourceLName" : "DestLName", server.Options().user},
                {source ? "SourceLPassword" : "DestLPassword", server.Options().password},
                {"PassiveMode", "1"},
                {"CopyMode", "3"}};
    }

    TempDir home, src, dst;
};

#define REQUIRE_PYFTPD(server)                                          \
    if (!PyFtpServer::Available()) {                                    \
        GTEST_SKIP() << "pyftpdlib missing";                            \
    }                                                                   \
    if (!(server).Ready()) {                                            \
        GTEST_SKIP() << "FTP server did not start: " << (server).Log(); \
    }                                                                   \
    static_assert(true)

TEST_F(SafetyRailsRunTest, FtpMirrorsDeleteOnlyWhatTheGuardAllows) {
    PyFtpServer server;
    REQUIRE_PYFTPD(server);
    const std::string remote = server.Root() + "/mirror";
    struct Case {
        const char* what;
        bool upload;  // local source to the server, or the server's folder to a local one
        int sourceFiles;
        int orphans;
        IniKeys keys;
        const char* logged;  // null: the orphans go
    };
    const std::vector<Case> cases = {
        {"upload, empty source", true, 0, 3, {}, " is empty: mirror deletions skipped"},
        {"upload, count passed",
         true,
         2,
         3,
         {{"MaxDelete", "2"}},
         ": the mirror step would delete 3 of 5 remote files, more than MaxDelete=2 allows"},
        {"upload, share passed",
         true,
         2,
         3,
         {{"MaxDelete", "50%"}},
         ": the mirror step would delete 3 of 5 remote files, more than MaxDelete=50%"},
        {"upload, share reached", true, 2, 3, {{"MaxDelete", "60%"}}, nullptr},
        {"upload, empty source allowed", true, 0, 3, {{"AllowEmptySource", "1"}}, nullptr},
        {"download, empty source", false, 0, 2, {}, " is empty: mirror deletions skipped"},
        {"download, count passed",
         false,
         1,
         2,
         {{"MaxDelete", "1"}},
         ": the mirror step would delete 2 of 3 local files, more than MaxDelete=1 allows"},
        {"download, count reached", false, 1, 2, {{"MaxDelete", "2"}}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Refill(remote);
        Refill(src.path());
        Refill(dst.path());
        fs::remove(home / "Ferrolin.log");
        const std::string sourceFolder = c.upload ? src.path() : remote;
        const std::string destFolder = c.upload ? remote : dst.path();
        for (int k = 0; k < c.sourceFiles; ++k) {
            const std::string name = "/s" + std::to_string(k) + ".txt";
            WriteFile(sourceFolder + name, "same");
            WriteFile(destFolder + name, "same");
            AgeFile(sourceFolder + name, 3600);
            AgeFile(destFolder + name, 3600);
        }
        for (int k = 0; k < c.orphans; ++k)
            WriteFile(destFolder + "/o" + std::to_string(k) + ".txt", "orphan");
        IniKeys job = FtpSide(server, c.upload ? "destination" : "source", "/mirror");
        job[c.upload ? "SendeVerzeichnis" : "EmpfangsVerzeichnis"] =
            c.upload ? src.path() : dst.path();
        job.insert(c.keys.begin(), c.keys.end());
        test::WriteJobIni(home.path(), {}, {job});

        const CommandResult result = Run();
        EXPECT_EQ(FilesIn(destFolder), size_t(c.sourceFiles + (c.logged ? c.orphans : 0))) << Log();
        EXPECT_EQ(result.exitCode, c.logged ? 1 : 0) << Log();
        if (c.logged) {
            const std::string named = c.upload ? src.path() : "/mirror/";
            EXPECT_NE(Log().find("Source " + named + c.logged), std::string::npos) << Log();
        }
    }
}

TEST_F(SafetyRailsRunTest, AnFtpFileStillBeingWrittenWaitsForALaterRun) {
    PyFtpServer server;
    REQUIRE_PYFTPD(server);
    const std::string remote = server.Root() + "/in";
    WriteFile(remote + "/old.txt", "settled");
    AgeFile(remote + "/old.txt", 3600);
    WriteFile(remote + "/new.txt", "still coming");
    IniKeys job = FtpSide(server, "source", "/in");
    job["EmpfangsVerzeichnis"] = dst.path();
    job["CopyMode"] = "0";
    job["SettleSeconds"] = "600";
    job["SourceDelete"] = "1";
    test::WriteJobIni(home.path(), {}, {job});

    for (int run = 0; run < 2; ++run) EXPECT_EQ(Run().exitCode, 0) << Log();
    EXPECT_EQ(ReadFile(dst / "old.txt"), "settled");
    EXPECT_FALSE(fs::exists(remote + "/old.txt"));
    EXPECT_FALSE(fs::exists(dst / "new.txt"));
    EXPECT_EQ(ReadFile(remote + "/new.txt"), "still coming");
    // Each run is a process of its own: the log names the file once per run.
    EXPECT_EQ(
        test::CountOccurrences(Log(), "File new.txt is still being written; left for a later run"),
        2)
        << Log();
}

// ---- durable moves, seen with strace ----

// The calls of one traced run that matter here, in their order, one per line with the
// paths of their descriptors (strace -y).
class Trace {
  public:
    explicit Trace(std::string text) : text_(std::move(text)) {}
    // The position of the first line holding every part, after from; npos when none.
    size_t Find(const std::vector<std::string>& parts, size_t from = 0) const {
        std::istringstream lines(text_);
        std::string line;
        size_t at = 0;
        while (std::getline(lines, line)) {
            const size_t here = at;
            at += line.size() + 1;
            if (here < from) continue;
            bool all = true;
            for (const std::string& part : parts) all = all && line.find(part) != std::string::npos;
            if (all) return here;
        }
        return std::string::npos;
    }
    const std::string& Text() const { return text_; }

  private:
    std::string text_;
};

class DurableMoveTest : public SafetyRailsRunTest {
  protected:
    void SetUp() override {
        const CommandResult probe =
            test::RunCommand({"/usr/bin/strace", "-o", "/dev/null", "true"});
        if (probe.exitCode != 0) GTEST_SKIP() << "strace cannot trace here: " << probe.errors;
    }
    Trace TracedRun(int expectedExit = 0) {
        const std::string file = home / "trace.txt";
        fs::remove(file);
        const CommandResult result =
            Run({"/usr/bin/strace", "-f", "-y", "-s", "64", "-o", file, "-e",
                 "trace=fsync,fdatasync,rename,renameat,renameat2,unlink,unlinkat,sendto"});
        EXPECT_EQ(result.exitCode, expectedExit) << result.errors << Log();
        return Trace(ReadFile(file));
    }
};

TEST_F(DurableMoveTest, CopiesAreFlushedBeforeTheirSourceGoesOrWhenEveryCopyMustBe) {
    struct Case {
        const char* what;
        bool sourceDelete;
        bool durableCopies;
    };
    const std::vector<Case> cases = {
        {"source deleted", true, false},
        {"every copy durable", false, true},
        {"neither", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Refill(dst.path());
        WriteFile(src / "a.txt", "alpha");
        test::WriteJobIni(home.path(), {{"DurableCopies", c.durableCopies ? "1" : "0"}},
                          {{{"SendeVerzeichnis", src.path()},
                            {"EmpfangsVerzeichnis", dst.path()},
                            {"SourceDelete", c.sourceDelete ? "1" : "0"}}});
        const Trace trace = TracedRun();
        EXPECT_EQ(ReadFile(dst / "a.txt"), "alpha");
        EXPECT_EQ(fs::exists(src / "a.txt"), !c.sourceDelete);

        // The copy under its temporary name, its rename, then its folder; then the source.
        const size_t file = trace.Find({"fsync(", "<" + dst.path() + "/"});
        const size_t rename = trace.Find({"rename", dst / "a.txt"});
        const size_t folder = trace.Find({"fsync(", "<" + dst.path() + ">"});
        const size_t unlink = trace.Find({"unlink", src / "a.txt"});
        if (!c.sourceDelete && !c.durableCopies) {
            EXPECT_EQ(file, std::string::npos) << trace.Text();
            EXPECT_EQ(folder, std::string::npos) << trace.Text();
            continue;
        }
        ASSERT_NE(file, std::string::npos) << trace.Text();
        ASSERT_NE(folder, std::string::npos) << trace.Text();
        EXPECT_LT(file, rename) << trace.Text();
        EXPECT_LT(rename, folder) << trace.Text();
        if (c.sourceDelete) {
            EXPECT_LT(folder, unlink) << trace.Text();
        }
    }
}

TEST_F(DurableMoveTest, AServersFileIsDeletedOnlyOnceItsCopyIsOnTheDisk) {
    PyFtpServer server;
    REQUIRE_PYFTPD(server);
    WriteFile(server.Root() + "/in/a.txt", "alpha");
    AgeFile(server.Root() + "/in/a.txt", 3600);
    IniKeys job = FtpSide(server, "source", "/in");
    job["EmpfangsVerzeichnis"] = dst.path();
    job["CopyMode"] = "0";
    job["SourceDelete"] = "1";
    test::WriteJobIni(home.path(), {}, {job});

    const Trace trace = TracedRun();
    EXPECT_EQ(ReadFile(dst / "a.txt"), "alpha");
    EXPECT_FALSE(fs::exists(server.Root() + "/in/a.txt"));
    const size_t file = trace.Find({"fdatasync(", "<" + dst.path() + "/"});
    const size_t folder = trace.Find({"fsync(", "<" + dst.path() + ">"});
    const size_t dele = trace.Find({"sendto(", "DELE /in/a.txt"});
    ASSERT_NE(file, std::string::npos) << trace.Text();
    ASSERT_NE(folder, std::string::npos) << trace.Text();
    ASSERT_NE(dele, std::string::npos) << trace.Text();
    EXPECT_LT(file, folder);
    EXPECT_LT(folder, dele);
}

TEST_F(DurableMoveTest, AMailIsDeletedOnTheServerOnlyOnceItsFilesAreOnTheDisk) {
    if (!test::DovecotServer::Available()) GTEST_SKIP() << "dovecot is not installed";
    test::DovecotServer server({test::kPlainMail});
    ASSERT_TRUE(server.Ready()) << server.Log();
    test::WriteJobIni(home.path(), {},
                      {{{"SendeVerzeichnis", "pop3://" + server.Address()},
                        {"SourceLName", server.User()},
                        {"SourceLPassword", server.Password()},
                        {"EmpfangsVerzeichnis", dst.path()},
                        {"EMailSaveBody", "1"},
                        {"SourceDelete", "1"}}});

    const Trace trace = TracedRun();
    const size_t body = trace.Find({"rename", dst / "Body.txt"});
    const size_t folder = trace.Find({"fsync(", "<" + dst.path() + ">"}, body);
    const size_t dele = trace.Find({"sendto(", "DELE 1"});
    ASSERT_NE(body, std::string::npos) << trace.Text();
    ASSERT_NE(folder, std::string::npos) << trace.Text();
    ASSERT_NE(dele, std::string::npos) << trace.Text();
    EXPECT_LT(folder, dele);
}

}  // namespace
}  // namespace ferrolin
