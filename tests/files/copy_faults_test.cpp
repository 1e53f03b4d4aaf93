// The copier against real faults: a full volume, a process killed mid-copy, and a source
// whose reads fail for a while (or for ever) on a FUSE file system.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <sstream>

#include "copy_test_util.h"
#include "test_mounts.h"
#include "files/file_copy.h"
#include "support/text_count.h"

namespace ferrolin {
namespace {

using test::Exists;
using test::RandomBytes;
using test::ReadFile;
using test::WaitFor;
using test::WriteFile;
using test::FaultFs;
using test::TmpfsMount;

constexpr auto CountLines = test::CountLinesContaining;

class CopyFaultsTest : public test::FilesTest {
protected:
  uint8_t Copy(const std::string& source, const std::string& dest, uint8_t writeMode,
               CopyProgressCallback routine = CopyProgressRoutine, uint32_t limit = 0) {
      return FileCopy(copy, source, dest, pump, routine, limit, cfForce, writeMode);
  }
    UiPump pump = [this] { statusSeen.push_back(copy.Status.StatusStr); };
    std::vector<std::string> statusSeen;
};

TEST_F(CopyFaultsTest, FullVolumeFailsCleanlyAndKeepsTheOldDestination) {
    TmpfsMount volume(Path("small"), "size=1m");
    if (!volume.mounted()) GTEST_SKIP() << "tmpfs mount refused: " << volume.error();
    const std::string src = Path("big.bin");
    WriteFile(src, RandomBytes(3 << 20, 11));
    for (uint8_t mode : {wmUnbuffered, wmSystemCopy}) {
        for (bool existed : {false, true}) {
            SCOPED_TRACE(std::to_string(mode) + (existed ? " existing" : " new"));
            const std::string dst = Path("small/dst.bin");
            unlink(dst.c_str());
            if (existed) WriteFile(dst, "the previous version");
            EXPECT_EQ(Copy(src, dst, mode), crFailed);
            EXPECT_FALSE(Exists(dst + ".tmp"));
            if (existed) {
                EXPECT_EQ(ReadFile(dst), "the previous version");
            } else {
                EXPECT_FALSE(Exists(dst));
            }
            EXPECT_NE(copy.Status.StatusStr.find(mode == wmUnbuffered ? "big.bin Filesize<>"
                                                                     : "Thread copy of "),
                      std::string::npos)
                << copy.Status.StatusStr;
        }
    }
}

TEST_F(CopyFaultsTest, NearlyFullVolumeIsRefusedBeforeAnyFileIsCreated) {
    TmpfsMount volume(Path("tiny"), "size=96k");
    if (!volume.mounted()) GTEST_SKIP() << "tmpfs mount refused: " << volume.error();
    WriteFile(Path("src.bin"), "small file");
    std::vector<std::string> messages;
    AskQuestion ask = [&](std::string_view text, Buttons buttons) {
        EXPECT_EQ(buttons, Buttons::Ok);
        messages.emplace_back(text);
        return Answer::Ok;
    };
    const std::string dst = Path("tiny/dst.bin");
    EXPECT_EQ(FileCopy(copy, Path("src.bin"), dst, pump, CopyProgressRoutine, 0, cfAsk, wmSystemCopy,
                       ask),
              crFailed);
    EXPECT_EQ(copy.Status.StatusStr, "src.bin not copied: not enough disk space in " +
                                         Path("tiny") + " (98304 bytes free)");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], dst + "\r\n! not enough disk space (98304) !");
    EXPECT_FALSE(Exists(dst));
    EXPECT_FALSE(Exists(dst + ".tmp"));
    // Without cfAsk nobody is asked; the status (the run's log line) still says why.
    messages.clear();
    EXPECT_EQ(FileCopy(copy, Path("src.bin"), dst, pump, CopyProgressRoutine, 0, 0, wmUnbuffered, ask),
              crFailed);
    EXPECT_TRUE(messages.empty());
    EXPECT_NE(copy.Status.StatusStr.find("not enough disk space"), std::string::npos);
}

// The temporary name protects the destination: a copy killed at any moment leaves the
// destination name with the old file or without a file, never with a part.
TEST_F(CopyFaultsTest, KillingTheCopyingProcessLeavesNoPartialDestination) {
    const std::string src = Path("src.bin");
    WriteFile(src, RandomBytes(16 << 20, 12));
    for (uint8_t mode : {wmUnbuffered, wmSystemCopy}) {
        for (bool existed : {false, true}) {
            SCOPED_TRACE(std::to_string(mode) + (existed ? " existing" : " new"));
            const std::string dst = Path("dst.bin");
            unlink(dst.c_str());
            unlink((dst + ".tmp").c_str());
            if (existed) WriteFile(dst, "old");
            const pid_t child = fork();
            if (child == 0) {
                FileCopy(copy, src, dst, {}, CopyProgressRoutine, 2 << 20, cfForce, mode);
                _exit(0);
            }
            EXPECT_TRUE(WaitFor([&] { return Exists(dst + ".tmp"); }));
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
            if (existed) {
                EXPECT_EQ(ReadFile(dst), "old");
            } else {
                EXPECT_FALSE(Exists(dst));
            }
        }
    }
}

// Reads fail for two seconds after the first megabyte; the copier waits, reopens the
// source and finishes with an identical file. Both block-loop variants: unbuffered
// writes, and buffered writes (no progress routine).
TEST_F(CopyFaultsTest, SourceThatComesBackIsCopiedCompletely) {
    const std::string content = RandomBytes(4 << 20, 13);
    WriteFile(Path("backing/clip.bin"), content);
    for (uint8_t mode : {wmUnbuffered, wmSystemCopy}) {
        SCOPED_TRACE(static_cast<int>(mode));
        FaultFs share(Path("backing"), Path("mnt"), 1 << 20, 2.0);
        if (!share.mounted()) GTEST_SKIP() << "FUSE refused: " << share.error();
        unlink(copy.FileCopyLogPath().c_str());
        statusSeen.clear();
        const std::string dst = Path("out.bin");
        // No old destination: its metadata check would read the source's end first.
        unlink(dst.c_str());
        EXPECT_EQ(Copy(Path("mnt/clip.bin"), dst, mode, mode == wmUnbuffered ? CopyProgressRoutine
                                                                              : nullptr),
                  crCopied);
        EXPECT_TRUE(ReadFile(dst) == content);
        const std::string log = ReadFile(copy.FileCopyLogPath());
        EXPECT_EQ(CountLines(log, " 003 Read error:"), 1) << log;
        EXPECT_EQ(CountLines(log, "at pos:1048576 " + Path("mnt/clip.bin")), 1) << log;
        EXPECT_EQ(CountLines(log, "To many retries"), 0) << log;
        EXPECT_NE(std::find(statusSeen.begin(), statusSeen.end(),
                            "Failed to read, waiting for source 20"),
                  statusSeen.end());
    }
}

// A source that stays away: 200 attempts (about 20 seconds), then the two log lines,
// the temporary file removed and a failure.
TEST_F(CopyFaultsTest, SourceThatStaysAwayFailsAfterTheRetries) {
    WriteFile(Path("backing/clip.bin"), RandomBytes(2 << 20, 14));
    FaultFs share(Path("backing"), Path("mnt"), 1 << 20, -1);
    if (!share.mounted()) GTEST_SKIP() << "FUSE refused: " << share.error();
    const std::string dst = Path("out.bin");
    EXPECT_EQ(Copy(Path("mnt/clip.bin"), dst, wmUnbuffered), crFailed);
    EXPECT_EQ(copy.Status.StatusStr.rfind("Connection failed:", 0), 0u) << copy.Status.StatusStr;
    const std::string log = ReadFile(copy.FileCopyLogPath());
    EXPECT_EQ(CountLines(log, " 003 "), 2) << log;
    EXPECT_EQ(CountLines(log, " 003 Read error:"), 1) << log;
    EXPECT_EQ(CountLines(log, " 003 To many retries, read canceled at pos:1048576 " +
                                  Path("mnt/clip.bin")),
              1)
        << log;
    EXPECT_FALSE(Exists(dst));
    EXPECT_FALSE(Exists(dst + ".tmp"));
}

}  // namespace
}  // namespace ferrolin
