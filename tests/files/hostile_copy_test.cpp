// The copier in a destination someone has prepared: links where the copy or its
// temporary file goes, pipes where a file is read or written, names too long for the
// ".tmp" suffix, and a stop signal while a source stays away.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "copy_test_util.h"
#include "files/file_copy.h"
#include "platform/temp_name.h"
#include "support/child_process.h"
#include "support/job_ini.h"
#include "test_mounts.h"

namespace ferrolin {
namespace {

namespace fs = std::filesystem;
using test::Exists;
using test::ModeOf;
using test::ReadFile;
using test::WriteFile;

class HostileCopy : public test::FilesTest {
protected:
    uint8_t Copy(const std::string& src, const std::string& dst, uint8_t mode, int32_t flags) {
        return FileCopy(copy, src, dst, {}, mode == wmSystemCopy ? CopyProgressRoutine : nullptr, 0,
                        flags, mode);
    }
    // Runs a copy in a child that an alarm ends: a copy that blocks fails the test instead
    // of holding it. The child's exit code is the copy's result.
    int CopyInChild(const std::string& src, const std::string& dst) {
        const pid_t child = fork();
        if (child == 0) {
            alarm(10);
            _exit(Copy(src, dst, wmSystemCopy, 0));
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

// A link where the temporary file or the destination goes is replaced, never written
// through; a read-only file behind a link keeps its mode; both copy paths, with and
// without the temporary file.
TEST_F(HostileCopy, LinksInTheDestinationAreNeverWrittenThrough) {
    const std::string victim = Path("victim.txt");
    WriteFile(victim, "secret");
    chmod(victim.c_str(), 0400);
    WriteFile(Path("src/a.txt"), "new content");
    for (uint8_t mode : {wmUnbuffered, wmSystemCopy}) {
        for (int32_t flags : {0, cfNoTempFile}) {
            SCOPED_TRACE(std::to_string(mode) + " flags " + std::to_string(flags));
            fs::remove_all(Path("dst"));
            fs::create_directories(Path("dst"));
            const std::string dst = Path("dst/a.txt");
            fs::create_symlink(victim, dst + ".tmp");
            fs::create_symlink(victim, dst);
            EXPECT_EQ(Copy(Path("src/a.txt"), dst, mode, flags), crCopied) << copy.Status.StatusStr;
            EXPECT_EQ(ReadFile(victim), "secret");
            EXPECT_EQ(ModeOf(victim), 0400u);
            EXPECT_FALSE(fs::is_symlink(dst));
            EXPECT_EQ(ReadFile(dst), "new content");
        }
    }
}

// Pipes and devices are refused at once with a clear status, never opened to wait.
TEST_F(HostileCopy, PipesAndDevicesAreRefusedWithoutWaiting) {
    WriteFile(Path("src/a.txt"), "a");
    ASSERT_EQ(mkfifo(Path("dst.fifo").c_str(), 0644), 0);
    EXPECT_EQ(CopyInChild(Path("src/a.txt"), Path("dst.fifo")), crFailed);
    EXPECT_EQ(CopyInChild(Path("dst.fifo"), Path("out.txt")), crFailed);
    EXPECT_EQ(CopyInChild("/dev/zero", Path("out.txt")), crFailed);
    EXPECT_FALSE(Exists(Path("out.txt")));

    EXPECT_EQ(Copy(Path("src/a.txt"), Path("dst.fifo"), wmSystemCopy, 0), crFailed);
    EXPECT_EQ(copy.Status.StatusStr,
              "a.txt not copied: " + Path("dst.fifo") +
                  " Not a regular file (a pipe, device or folder).")
        << copy.Status.StatusStr;
    EXPECT_EQ(Copy(Path("dst.fifo"), Path("out.txt"), wmSystemCopy, 0), crFailed);
    EXPECT_EQ(copy.Status.StatusStr.rfind("Open of dst.fifo failed: Not a regular file", 0), 0u)
        << copy.Status.StatusStr;
}

// Names of 252 to 255 bytes have no room for ".tmp": the copy goes through a shorter
// temporary name in the same folder, passes over a file that already stands at that name
// (someone else's: left as it is) and leaves nothing of its own behind.
TEST_F(HostileCopy, LongNamesAreCopiedThroughAShorterTemporaryName) {
    fs::create_directories(Path("dst"));
    std::vector<std::string> names = {std::string(251, 'n') + ".txt", std::string(248, 'm') + ".txt"};
    std::string umlauts;
    for (int k = 0; k < 125; ++k) umlauts += "\xC3\xBC";  // 250 bytes of "ü"
    names.push_back(umlauts + ".txt");
    for (const std::string& name : names) {
        SCOPED_TRACE(name.size());
        WriteFile(Path("src/" + name), "long " + name);
        const std::string dst = Path("dst/" + name);
        const std::string temp = platform::TempPathFor(dst);
        EXPECT_LE(fs::path(temp).filename().string().size(), platform::kMaxFileNameBytes);
        EXPECT_LE(fs::path(platform::TempPathFor(dst, 9)).filename().string().size(),
                  platform::kMaxFileNameBytes);
        EXPECT_EQ(fs::path(temp).parent_path(), fs::path(Path("dst")));
        EXPECT_EQ(temp, platform::TempPathFor(dst));  // the same name every time
        WriteFile(temp, "stale");
        for (uint8_t mode : {wmUnbuffered, wmSystemCopy}) {
            EXPECT_EQ(Copy(Path("src/" + name), dst, mode, cfForce), crCopied) << copy.Status.StatusStr;
            EXPECT_EQ(ReadFile(dst), "long " + name);
        }
        EXPECT_EQ(ReadFile(temp), "stale");
    }
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(Path("dst"))) ++files;
    EXPECT_EQ(files, 2 * names.size());
}

// A stop signal while the source of a run stays away ends the wait for it at once
// (before the twenty seconds of reopening attempts are over) and the run ends cancelled.
TEST_F(HostileCopy, StopSignalEndsTheWaitForASourceThatStaysAway) {
    WriteFile(Path("backing/clip.bin"), test::RandomBytes(2 << 20, 21));
    test::FaultFs share(Path("backing"), Path("mnt"), 1 << 20, -1);
    if (!share.mounted()) GTEST_SKIP() << "FUSE refused: " << share.error();
    fs::create_directories(Path("out"));
    test::WriteJobIni(Path("home"), {}, {{{"SendeVerzeichnis", Path("mnt")},
                                          {"EmpfangsVerzeichnis", Path("out")},
                                          {"Buffering", "1"}}});
    const test::CommandResult result = test::RunCommandWith(
        {FERROLIN_CLI_PATH, "run"}, {{"FERROLIN_HOME", Path("home")}}, [&](pid_t pid) {
            EXPECT_TRUE(test::WaitFor(
                [&] { return ReadFile(Path("home/FileCopy.log")).find("Read error:") != std::string::npos; },
                std::chrono::seconds(15)));
            kill(pid, SIGTERM);
        });
    EXPECT_EQ(result.exitCode, 130) << result.errors;
    const std::string copyLog = ReadFile(Path("home/FileCopy.log"));
    EXPECT_EQ(copyLog.find("To many retries"), std::string::npos) << copyLog;
    EXPECT_NE(ReadFile(Path("home/Ferrolin.log")).find("clip.bin copy canceled"), std::string::npos);
    EXPECT_FALSE(Exists(Path("out/clip.bin")));
}

}  // namespace
}  // namespace ferrolin
