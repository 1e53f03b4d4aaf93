// Folder jobs on a real SMB share through ferrolin-cli run: upload and download, share to
// share, the mirror step with its deletions, refused logons, a read-only share, the
// server dying in the middle of a copy, and a stop while the server is frozen.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "support/child_process.h"
#include "support/job_ini.h"
#include "support/smb_servers.h"
#include "support/temp_dir.h"

namespace ferrolin {
namespace {

namespace fs = std::filesystem;
using test::CommandResult;
using test::IniKeys;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class ShareRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!test::SambaServer::Available()) GTEST_SKIP() << "smbd not installed or not root";
        ASSERT_TRUE(server.Ready()) << server.Log();
    }
    std::map<std::string, std::string> Environment() const {
        return {{"FERROLIN_HOME", home.path()}, {"HOME", server.Home()}};
    }
    std::vector<std::string> Argv() const { return {FERROLIN_CLI_PATH, "run"}; }
    CommandResult Run() { return test::RunCommand(Argv(), Environment()); }
    std::string Log() { return ReadFile(home / "Ferrolin.log"); }
    // A job whose share side (or both) logs on with the server's user.
    IniKeys Job(const std::string& source, const std::string& dest) const {
        IniKeys job = {{"SendeVerzeichnis", source},
                       {"EmpfangsVerzeichnis", dest},
                       {"ParsingType", "1"},
                       {"UseTempFile", "1"}};
        if (source.rfind("//", 0) == 0) {
            job["SourceLName"] = server.User();
            job["SourceLPassword"] = server.Password();
        }
        if (dest.rfind("//", 0) == 0) {
            job["DestLName"] = server.User();
            job["DestLPassword"] = server.Password();
        }
        return job;
    }
    void WriteIni(const std::vector<IniKeys>& jobs) {
        test::WriteJobIni(home.path(), {{"SaveSuccessfulCopies", "1"}}, jobs);
    }
    static size_t Count(const std::string& text, const std::string& part) {
        size_t n = 0;
        for (size_t pos = text.find(part); pos != std::string::npos; pos = text.find(part, pos + 1))
            ++n;
        return n;
    }
    // Files below root with their contents and modification times, by relative path.
    static std::map<std::string, std::pair<std::string, int64_t>> Tree(const std::string& root) {
        std::map<std::string, std::pair<std::string, int64_t>> tree;
        for (const auto& e : fs::recursive_directory_iterator(root)) {
            if (!e.is_regular_file()) continue;
            struct stat st {};
            stat(e.path().c_str(), &st);
            const int64_t micros = st.st_mtim.tv_sec * 1000000LL + st.st_mtim.tv_nsec / 1000;
            tree[fs::relative(e.path(), root).string()] = {ReadFile(e.path()), micros};
        }
        return tree;
    }

    test::SambaServer server;
    TempDir home, local;
};

TEST_F(ShareRunTest, UploadDownloadAndShareToShareKeepBytesAndTimesAndRerunCopiesNothing) {
    WriteFile(local / "up/a.txt", "alpha");
    WriteFile(local / "up/sub dir/b.mpg", std::string(3 * 1024 * 1024 + 5, 'b'));
    WriteFile(local / "up/sub dir/deeper/c%#.txt", "");
    WriteFile(local / "up/grüße.txt", "ü");
    fs::last_write_time(local / "up/a.txt",
                        fs::file_time_type::clock::now() - std::chrono::hours(30));
    const std::string share = server.SharePath();
    // Windows spelling for the download side's source.
    std::string windowsShare = share + "/in";
    for (char& c : windowsShare)
        if (c == '/') c = '\\';
    WriteIni({Job(local / "up", share + "/in"), Job(windowsShare, local / "down"),
              Job(share + "/in", share + "/again")});

    CommandResult result = Run();
    EXPECT_EQ(result.exitCode, 0) << result.errors << Log();
    const auto up = Tree(local / "up");
    ASSERT_EQ(up.size(), 4u);
    // (compared as booleans: a failure would print megabytes)
    EXPECT_TRUE(Tree(server.ShareFolder() + "/in") == up);
    EXPECT_TRUE(Tree(local / "down") == up);
    EXPECT_TRUE(Tree(server.ShareFolder() + "/again") == up);
    EXPECT_EQ(Count(Log(), " successful ("), 12u) << Log();
    // Nothing on the share under a temporary name.
    for (const auto& [name, file] : Tree(server.ShareFolder()))
        EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;

    result = Run();
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_EQ(Count(Log(), " successful ("), 12u) << "the second run copied again";
    // The password never reaches the log or the status texts.
    EXPECT_EQ(Log().find(server.Password()), std::string::npos);
    EXPECT_EQ(result.errors.find(server.Password()), std::string::npos);
    EXPECT_EQ(result.output.find(server.Password()), std::string::npos);
}

TEST_F(ShareRunTest, SourceDeleteRemovesTheShareFileOnlyAfterItsCopyAndNeverItsOwnCopy) {
    WriteFile(server.ShareFolder() + "/out/take.txt", "taken");
    IniKeys fetch = Job(server.SharePath() + "/out", local / "in");
    fetch["SourceDelete"] = "1";
    // A job misconfigured onto itself, spelt differently: copies nothing new, deletes nothing.
    WriteFile(server.ShareFolder() + "/self/keep.txt", "kept");
    std::string upper = server.SharePath() + "/SELF";
    IniKeys self = Job(server.SharePath() + "/self", upper);
    self["SourceDelete"] = "1";
    WriteIni({fetch, self});

    Run();
    EXPECT_EQ(ReadFile(local / "in/take.txt"), "taken") << Log();
    EXPECT_FALSE(fs::exists(server.ShareFolder() + "/out/take.txt"));
    EXPECT_EQ(ReadFile(server.ShareFolder() + "/self/keep.txt"), "kept") << Log();
}

#ifdef FERROLIN_FAKE_MPEG_DIR
TEST_F(ShareRunTest, MpegFilesOnAShareAreCopiedUncheckedNotCalledCorrupt) {
    for (const char* lib : {"librtdsdk.so", "librtdutils.so"})
        fs::copy_file(std::string(FERROLIN_FAKE_MPEG_DIR) + "/" + lib, home / lib);
    // Neither file has a header the SDK accepts.
    WriteFile(server.ShareFolder() + "/clips/clip.mpg", "not an mpeg header");
    WriteFile(local / "clips/local.mpg", "not an mpeg header");
    test::WriteJobIni(
        home.path(), {{"CheckMPEGFiles", "1"}},
        {Job(server.SharePath() + "/clips", local / "out"), Job(local / "clips", local / "out2")});
    Run();
    EXPECT_EQ(ReadFile(local / "out/clip.mpg"), "not an mpeg header") << Log();
    EXPECT_NE(Log().find("clip.mpg lies on a network share: MPEG check not possible"),
              std::string::npos)
        << Log();
    // The check itself is on: the local file with the same bytes is called corrupt.
    EXPECT_NE(Log().find(local / "clips/local.mpg is corrupt"), std::string::npos) << Log();
    EXPECT_EQ(Log().find("clip.mpg is corrupt"), std::string::npos) << Log();
}
#endif

TEST_F(ShareRunTest, MirrorOnAShareDeletesOrphansAtOnceOrAfterTheDelay) {
    WriteFile(local / "src/keep.txt", "keep");
    WriteFile(server.ShareFolder() + "/now/orphan.txt", "gone soon");
    WriteFile(server.ShareFolder() + "/now/sub/orphan2.txt", "gone soon");
    WriteFile(server.ShareFolder() + "/later/orphan.txt", "stays a while");
    IniKeys now = Job(local / "src", server.SharePath() + "/now");
    now["CopyMode"] = "3";
    IniKeys later = Job(local / "src", server.SharePath() + "/later");
    later["CopyMode"] = "3";
    later["DestDelDelay"] = "2";
    WriteIni({now, later});

    const CommandResult result = Run();
    EXPECT_EQ(result.exitCode, 0) << result.errors << Log();
    EXPECT_EQ(ReadFile(server.ShareFolder() + "/now/keep.txt"), "keep");
    EXPECT_FALSE(fs::exists(server.ShareFolder() + "/now/orphan.txt"));
    EXPECT_FALSE(fs::exists(server.ShareFolder() + "/now/sub/orphan2.txt"));
    EXPECT_TRUE(fs::exists(server.ShareFolder() + "/later/orphan.txt"));
    const std::string delayed = ReadFile(home / "DelayDelete.txt");
    EXPECT_NE(delayed.find(server.SharePath() + "/later/orphan.txt"), std::string::npos) << delayed;

    // Three days on (the moment in the list moved back): the postponed file goes.
    WriteFile(home / "DelayDelete.txt",
              "2000-01-01 00:00:00\t" + server.SharePath() + "/later/orphan.txt\r\n");
    EXPECT_EQ(Run().exitCode, 0) << Log();
    EXPECT_FALSE(fs::exists(server.ShareFolder() + "/later/orphan.txt"));
    EXPECT_EQ(ReadFile(server.ShareFolder() + "/later/keep.txt"), "keep");
}

TEST_F(ShareRunTest, AShareThatCannotBeReachedNeverLetsTheMirrorDelete) {
    WriteFile(local / "dest/precious.txt", "do not delete");
    WriteFile(server.ShareFolder() + "/src/new.txt", "new");
    IniKeys wrongPassword = Job(server.SharePath() + "/src", local / "dest");
    wrongPassword["CopyMode"] = "3";
    wrongPassword["SourceLPassword"] = "wrong";
    IniKeys noLogon = wrongPassword;  // relies on access it does not have
    noLogon["SourceLName"] = "";
    IniKeys serverGone =
        Job("//127.0.0.1:" + std::to_string(test::FreeLoopbackPort(false)) + "/share/src",
            local / "dest");
    serverGone["CopyMode"] = "3";
    WriteIni({wrongPassword, noLogon, serverGone});

    const CommandResult result = Run();
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(ReadFile(local / "dest/precious.txt"), "do not delete") << Log();
    EXPECT_FALSE(fs::exists(local / "dest/new.txt"));
    EXPECT_EQ(Log().find("deleted"), std::string::npos) << Log();
}

TEST_F(ShareRunTest, RefusedLogonsShowTheirCauseEndTheJobAndFailTheRun) {
    WriteFile(local / "src/a.txt", "a");
    WriteFile(local / "src/b.txt", "b");
    IniKeys wrong = Job(local / "src", server.SharePath() + "/x");
    wrong["DestLPassword"] = "NotThePassword";
    IniKeys missing = Job(local / "src", server.SharePath("nosuchshare") + "/x");
    IniKeys readOnly = Job(local / "src", server.SharePath("readonly"));
    struct Case {
        IniKeys job;
        std::string text;
    } cases[] = {
        {wrong, "Error: 536872238 2000052E Logon failure: unknown user name or bad password."},
        {missing, "Error: 536870979 20000043 The network name cannot be found."},
        {readOnly, "Permission denied"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        WriteIni({c.job});
        const auto start = std::chrono::steady_clock::now();
        bool sawPassword = false;
        const CommandResult result = test::RunCommandWith(Argv(), Environment(), [&](pid_t pid) {
            // No password in the program's argument list.
            const std::string cmdline = ReadFile("/proc/" + std::to_string(pid) + "/cmdline");
            sawPassword = cmdline.find(server.Password()) != std::string::npos ||
                          cmdline.find("NotThePassword") != std::string::npos;
        });
        EXPECT_FALSE(sawPassword);
        EXPECT_EQ(result.exitCode, 1) << result.errors;
        EXPECT_NE(Log().find(c.text), std::string::npos) << Log();
        EXPECT_EQ(result.errors.find("NotThePassword"), std::string::npos);
        EXPECT_EQ(Log().find("NotThePassword"), std::string::npos);
        if (c.text.rfind("Error: ", 0) == 0) {
            // The operator had a second to read it, and the job went no further than its
            // first file.
            EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
            EXPECT_EQ(result.errors.find("2/2"), std::string::npos) << result.errors;
        }
    }
    EXPECT_TRUE(fs::is_empty(server.ReadOnlyFolder()));
}

TEST_F(ShareRunTest, ServerKilledMidCopyLeavesNoPartFileAndTheNextRunCompletesIt) {
    const std::string big(24 * 1024 * 1024, 'z');
    WriteFile(local / "src/big.bin", big);
    IniKeys job = Job(local / "src", server.SharePath() + "/in");
    job["MaxByteRate"] = "1.5";  // MiB/s: the copy takes about 16 s
    WriteIni({job});
    const std::string finalName = server.ShareFolder() + "/in/big.bin";

    const CommandResult broken = test::RunCommandWith(Argv(), Environment(), [&](pid_t) {
        // Kill the server once part of the file has arrived.
        const bool started = test::WaitFor(
            [&] {
                std::error_code ec;
                for (const auto& e : fs::directory_iterator(server.ShareFolder() + "/in", ec))
                    if (fs::file_size(e.path(), ec) > 2 * 1024 * 1024) return true;
                return false;
            },
            std::chrono::seconds(20));
        EXPECT_TRUE(started);
        server.Kill();
    });
    EXPECT_EQ(broken.exitCode, 1) << broken.errors;
    EXPECT_FALSE(fs::exists(finalName)) << "a part file under the final name";

    ASSERT_TRUE(server.Restart()) << server.Log();
    const CommandResult again = Run();
    EXPECT_EQ(again.exitCode, 0) << again.errors << Log();
    EXPECT_EQ(ReadFile(finalName) == big, true);
    // The killed copy's temporary file could not be removed while the server was gone;
    // it is never taken for the next copy (nothing standing at a temporary name is), and
    // nothing but temporary names stands beside the final file.
    for (const auto& e : fs::directory_iterator(server.ShareFolder() + "/in")) {
        const std::string name = e.path().filename();
        EXPECT_TRUE(name == "big.bin" || (name.rfind("big.bin", 0) == 0 && name.ends_with(".tmp")))
            << name;
    }
}

// SIGTERM while the server is frozen (SIGSTOP: its connections stay open and nothing
// answers) ends the run within two seconds as a cancel, with no part file on this side;
// once the server goes on, the next run completes the copy. Unbuffered writes copy on the
// program's own thread, which then waits inside the share call the stop must cut short.
TEST_F(ShareRunTest, StopWhileTheServerIsFrozenEndsTheRunAtOnce) {
    struct Case {
        const char* name;
        bool upload;
        const char* buffering;
    } const cases[] = {{"upload", true, "2"}, {"upload, own thread", true, "1"},
                       {"download", false, "2"}};
    const std::string big(12 * 1024 * 1024, 'f');
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string tag = std::string(c.upload ? "up" : "down") + c.buffering;
        const std::string shareFolder = server.ShareFolder() + "/" + tag;
        const std::string source = c.upload ? local / (tag + "-src") : shareFolder;
        const std::string dest = c.upload ? server.SharePath() + "/" + tag : local / tag;
        const std::string destFolder = c.upload ? shareFolder : local / tag;
        WriteFile((c.upload ? local / (tag + "-src") : shareFolder) + "/big.bin", big);
        IniKeys job = Job(c.upload ? source : server.SharePath() + "/" + tag, dest);
        job["Buffering"] = c.buffering;
        job["MaxByteRate"] = "1";  // MiB/s: the copy takes about 12 s
        WriteIni({job});

        std::chrono::steady_clock::time_point stopSent;
        const CommandResult stopped = test::RunCommandWith(Argv(), Environment(), [&](pid_t pid) {
            EXPECT_TRUE(test::WaitFor(
                [&] {
                    std::error_code ec;
                    for (const auto& e : fs::directory_iterator(destFolder, ec))
                        if (fs::file_size(e.path(), ec) > 1024 * 1024) return true;
                    return false;
                },
                std::chrono::seconds(20)));
            server.Freeze();
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            stopSent = std::chrono::steady_clock::now();
            kill(pid, SIGTERM);
        });
        const auto took = std::chrono::steady_clock::now() - stopSent;
        server.Thaw();
        EXPECT_LT(took, std::chrono::seconds(2));
        EXPECT_EQ(stopped.exitCode, 130) << stopped.errors << Log();
        if (!c.upload) {
            EXPECT_TRUE(fs::is_empty(destFolder)) << "a part file was left";
        }

        job.erase("MaxByteRate");
        WriteIni({job});
        const CommandResult again = Run();
        EXPECT_EQ(again.exitCode, 0) << again.errors << Log();
        EXPECT_EQ(ReadFile(destFolder + "/big.bin") == big, true);
    }
}

}  // namespace
}  // namespace ferrolin
