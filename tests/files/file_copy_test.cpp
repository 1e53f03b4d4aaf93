#include "files/file_copy.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <vector>

#include "common/text.h"
#include "copy_test_util.h"
#include "platform/errors.h"

namespace ferrolin {
namespace {

using test::Exists;
using test::ModeOf;
using test::Moment;
using test::RandomBytes;
using test::ReadFile;
using test::SetWriteTime;
using test::WriteFile;
using test::WriteTime;

class FileCopyTest : public test::FilesTest {
protected:
    uint8_t Copy(const std::string& source, const std::string& dest, int32_t flags,
                 uint8_t writeMode, const AskQuestion& ask = {}, uint32_t limit = 0) {
        return FileCopy(copy, source, dest, pump, CopyProgressRoutine, limit, flags, writeMode, ask);
    }
    UiPump pump = [this] { statusSeen.push_back(copy.Status.StatusStr); };
    std::vector<std::string> statusSeen;
};

struct PathCase {
    uint8_t writeMode;
    int32_t flags;
};

// Every transfer path, with and without the temporary name, over sizes around the
// sector and block boundaries (the unbuffered path pads the tail and cuts it back).
TEST_F(FileCopyTest, CopiesExactlyOnEveryPath) {
    const PathCase paths[] = {{wmUnbuffered, 0}, {wmUnbuffered, cfNoTempFile},
                              {wmSystemCopy, 0}, {wmSystemCopy, cfNoTempFile},
                              {wmSystemCopy, cfOpenFiles}, {0, 0}};
    const size_t sizes[] = {0, 1, 511, 4095, 4096, 65535, 65536, 65537, 200001};
    for (const auto& p : paths) {
        for (size_t size : sizes) {
            SCOPED_TRACE("mode " + std::to_string(p.writeMode) + " flags " +
                         std::to_string(p.flags) + " size " + std::to_string(size));
            const std::string src = Path("src.bin");
            const std::string dst = Path("out/dst.bin");
            WriteFile(src, RandomBytes(size, static_cast<uint32_t>(size)));
            WriteFile(dst, "old");
            chmod(src.c_str(), 0640);
            SetWriteTime(src, Moment(100));
            EXPECT_EQ(Copy(src, dst, p.flags | cfForce, p.writeMode), crCopied);
            EXPECT_EQ(ReadFile(dst), ReadFile(src));
            EXPECT_FALSE(Exists(dst + ".tmp"));
            EXPECT_EQ(WriteTime(dst), Moment(100));
            EXPECT_EQ(ModeOf(dst), 0640u);
            EXPECT_EQ(copy.Status.StatusStr.rfind("src.bin successful (", 0), 0u)
                << copy.Status.StatusStr;
            EXPECT_EQ(copy.Status.Done.load(), static_cast<int64_t>(size));
            EXPECT_EQ(copy.Status.CopyType.load(), CT_None);
            EXPECT_EQ(copy.Status.Position.load(), 0.0);
            EXPECT_TRUE(copy.Status.SourcePath.empty());
        }
    }
}

struct SameCase {
    const char* label;
    int32_t flags;
    bool destExists;
    bool equalSize;
    int64_t sourceNewerBySeconds;
    uint8_t expected;
};

TEST_F(FileCopyTest, DecidesSameByModeSizeAndTwoSecondTolerance) {
    const SameCase cases[] = {
        {"default equal", 0, true, true, 0, crSame},
        {"default newer by 2 s", 0, true, true, 2, crSame},
        {"default newer by 3 s", 0, true, true, 3, crCopied},
        {"default older", 0, true, true, -3600, crSame},
        {"default other size", 0, true, false, 0, crCopied},
        {"default absent", 0, false, true, 0, crCopied},
        {"only newer, other size", cfOnlyNewer, true, false, 0, crSame},
        {"only newer, newer by 2 s", cfOnlyNewer, true, false, 2, crSame},
        {"only newer, newer by 3 s", cfOnlyNewer, true, true, 3, crCopied},
        {"only newer, absent", cfOnlyNewer, false, true, 0, crCopied},
        {"force equal", cfForce, true, true, 0, crCopied},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string src = Path("a.dat");
        const std::string dst = Path("b.dat");
        WriteFile(src, "0123456789");
        SetWriteTime(src, Moment(1000 + c.sourceNewerBySeconds));
        unlink(dst.c_str());
        if (c.destExists) {
            WriteFile(dst, c.equalSize ? "abcdefghij" : "abc");
            SetWriteTime(dst, Moment(1000));
        }
        for (uint8_t mode : {wmUnbuffered, wmSystemCopy}) {
            if (c.destExists) {
                WriteFile(dst, c.equalSize ? "abcdefghij" : "abc");
                SetWriteTime(dst, Moment(1000));
            } else {
                unlink(dst.c_str());
            }
            EXPECT_EQ(Copy(src, dst, c.flags, mode), c.expected);
            if (c.expected == crSame) {
                EXPECT_EQ(copy.Status.StatusStr, "a.dat same");
                EXPECT_NE(ReadFile(dst), "0123456789");
            } else {
                EXPECT_EQ(ReadFile(dst), "0123456789");
            }
        }
    }
}

struct AskCase {
    Answer answer;
    bool sameFile;
    uint8_t expected;
    const char* status;
    int32_t cancelAfter;
};

TEST_F(FileCopyTest, AsksBeforeOverwritingAndFollowsTheAnswer) {
    const AskCase cases[] = {
        {Answer::Yes, true, crCopied, nullptr, 0},
        {Answer::No, false, crFailed, "unknown", 0},
        {Answer::No, true, crSame, "x.txt same", 0},
        {Answer::Abort, false, crFailed, "unknown", -1},
    };
    for (const auto& c : cases) {
        const std::string src = Path("x.txt");
        const std::string dst = Path("y.txt");
        WriteFile(src, "new content");
        WriteFile(dst, c.sameFile ? "NEW CONTENT" : "old");
        SetWriteTime(src, Moment(0));
        SetWriteTime(dst, Moment(0));
        std::vector<std::string> questions;
        AskQuestion ask = [&](std::string_view text, Buttons buttons) {
            EXPECT_EQ(buttons, Buttons::YesNoAbort);
            questions.emplace_back(text);
            return c.answer;
        };
        EXPECT_EQ(Copy(src, dst, cfAsk, wmSystemCopy, ask), c.expected);
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_EQ(questions[0], dst + " exists\r\noverwrite ?");
        if (c.status) {
            EXPECT_EQ(copy.Status.StatusStr, c.status);
        }
        EXPECT_EQ(copy.Cancel.StopRequested(), c.cancelAfter != 0);
        EXPECT_EQ(ReadFile(dst) == "new content", c.expected == crCopied);
        copy.Cancel.ClearStop();
    }
}

TEST_F(FileCopyTest, NoQuestionForAnAbsentDestination) {
    WriteFile(Path("s"), "data");
    int asked = 0;
    AskQuestion ask = [&](std::string_view, Buttons) {
        ++asked;
        return Answer::No;
    };
    EXPECT_EQ(Copy(Path("s"), Path("d"), cfAsk, wmUnbuffered, ask), crCopied);
    EXPECT_EQ(asked, 0);
}

TEST_F(FileCopyTest, OverwritesAReadOnlyDestinationAndGivesItTheSourceMode) {
    for (int32_t flags : {0, cfNoTempFile}) {
        const std::string src = Path("s.txt");
        const std::string dst = Path("d.txt");
        WriteFile(src, "fresh");
        chmod(src.c_str(), 0604);
        chmod(dst.c_str(), 0644);
        WriteFile(dst, "stale!");
        chmod(dst.c_str(), 0444);
        EXPECT_EQ(Copy(src, dst, flags, wmUnbuffered), crCopied);
        EXPECT_EQ(ReadFile(dst), "fresh");
        EXPECT_EQ(ModeOf(dst), 0604u);
    }
}

TEST_F(FileCopyTest, ReportsSourcesThatCannotBeOpened) {
    mkdir(Path("folder").c_str(), 0755);
    for (const std::string& src : {Path("missing.bin"), Path("folder")}) {
        for (uint8_t mode : {wmUnbuffered, wmSystemCopy}) {
            EXPECT_EQ(Copy(src, Path("dst.bin"), 0, mode), crFailed);
            EXPECT_EQ(copy.Status.StatusStr, "Open of " + FileNamePart(src) + " failed");
            EXPECT_FALSE(Exists(Path("dst.bin")));
            EXPECT_FALSE(Exists(Path("dst.bin.tmp")));
        }
    }
}

TEST_F(FileCopyTest, ReadOnlyPassReadsEverythingAndCreatesNothing) {
    WriteFile(Path("src.bin"), RandomBytes(300000, 7));
    EXPECT_EQ(Copy(Path("src.bin"), "", cfReadOnly, wmSystemCopy), crCopied);
    EXPECT_EQ(copy.Status.Done.load(), 300000);
    EXPECT_EQ(copy.Status.StatusStr.rfind("src.bin successful (", 0), 0u);
    EXPECT_FALSE(Exists(".tmp"));
}

TEST_F(FileCopyTest, DestinationLockedByAnotherProcessIsASharingViolation) {
    const std::string dst = Path("held.bin");
    WriteFile(Path("src.bin"), "payload");
    WriteFile(dst, "held by someone");
    test::LockHolder holder(dst);
    for (uint8_t mode : {wmUnbuffered, wmSystemCopy}) {
        statusSeen.clear();
        EXPECT_EQ(Copy(Path("src.bin"), dst, cfForce, mode), crFailed);
        EXPECT_EQ(copy.Status.StatusStr,
                  SysErrorText(platform::ERROR_SHARING_VIOLATION) + " " + dst);
        EXPECT_FALSE(statusSeen.empty());  // the pump ran so the text is shown
        EXPECT_EQ(ReadFile(dst), "held by someone");
        EXPECT_FALSE(Exists(dst + ".tmp"));
    }
}

// A file at the temporary name (another copy at work, or a file of that very name copied
// before) is neither used nor deleted: the copy takes the next free temporary name.
TEST_F(FileCopyTest, TemporaryNameTakenByAnotherFileIsLeftAlone) {
    WriteFile(Path("src.bin"), "payload");
    WriteFile(Path("dst.bin.tmp"), "another copy at work");
    WriteFile(Path("dst.bin~2.tmp"), "a file of this name");
    test::LockHolder holder(Path("dst.bin.tmp"));
    for (uint8_t mode : {wmUnbuffered, wmSystemCopy}) {
        EXPECT_EQ(Copy(Path("src.bin"), Path("dst.bin"), cfForce, mode), crCopied)
            << copy.Status.StatusStr;
        EXPECT_EQ(ReadFile(Path("dst.bin")), "payload");
        EXPECT_EQ(ReadFile(Path("dst.bin.tmp")), "another copy at work");
        EXPECT_EQ(ReadFile(Path("dst.bin~2.tmp")), "a file of this name");
        EXPECT_FALSE(Exists(Path("dst.bin~3.tmp")));
    }
}

TEST_F(FileCopyTest, CancelDuringTheCopyDeletesTheTarget) {
    const std::string src = Path("big.bin");
    WriteFile(src, RandomBytes(8 << 20, 3));
    for (uint8_t mode : {wmUnbuffered, wmSystemCopy}) {
        SCOPED_TRACE(static_cast<int>(mode));
        WriteFile(Path("dst.bin"), "previous");
        // The operator presses Cancel while the copy runs (seen at the first pump); the
        // rate limit keeps the copy from finishing first.
        pump = [this] { copy.Cancel.Stop(); };
        EXPECT_EQ(Copy(src, Path("dst.bin"), cfForce, mode, {}, 1 << 20), crFailed);
        EXPECT_EQ(copy.Status.StatusStr, "big.bin copy canceled");
        EXPECT_TRUE(copy.Cancel.StopRequested());  // still set for the caller
        EXPECT_FALSE(Exists(Path("dst.bin.tmp")));
        EXPECT_EQ(ReadFile(Path("dst.bin")), "previous");
    }
}

TEST_F(FileCopyTest, ShowsProgressWhileCopying) {
    // Above the size a copy between local disks makes in place, without a worker.
    WriteFile(Path("p.bin"), RandomBytes(3 << 20, 5));
    for (uint8_t mode : {wmUnbuffered, wmSystemCopy}) {
        statusSeen.clear();
        EXPECT_EQ(Copy(Path("p.bin"), Path("q.bin"), cfForce, mode), crCopied);
        ASSERT_FALSE(statusSeen.empty());
        EXPECT_EQ(statusSeen.front().rfind("p.bin (", 0), 0u) << statusSeen.front();
        EXPECT_NE(statusSeen.front().find("/s)"), std::string::npos);
    }
}

TEST_F(FileCopyTest, FaceVersionUsesTheFacesPumpAndQuestion) {
    struct RecordingFace : NullSurfaces {
        int pumps = 0;
        std::vector<std::string> asked;
        void ProcessMessages() override { ++pumps; }
        Answer Ask(std::string_view, std::string_view text, Buttons) override {
            asked.emplace_back(text);
            return Answer::Yes;
        }
    } face;
    // Large enough and rate-limited so the worker is still busy when the copier first
    // waits for it: a tiny file can finish before any wait, with no pump at all.
    WriteFile(Path("s"), RandomBytes(1 << 20, 9));
    WriteFile(Path("d"), "abc");
    EXPECT_EQ(FileCopy(copy, Path("s"), Path("d"), face, CopyProgressRoutine, 4 << 20, cfAsk,
                       wmSystemCopy),
              crCopied);
    EXPECT_EQ(face.asked.size(), 1u);
    EXPECT_GT(face.pumps, 0);
}

// Without a share client (a copy context nobody handed one), share paths cannot be
// reached. On this system "//host/share/f" would name the
// local file "/host/share/f": a local tree of that name exists here and must stay
// untouched, neither read nor written.
TEST_F(FileCopyTest, SharePathsFailClearlyAndNeverTouchALocalTwin) {
    const std::string root = "/ferrolin-share-twin-" + std::to_string(getpid());
    if (mkdir(root.c_str(), 0755) != 0) GTEST_SKIP() << "cannot create " << root << " (not root)";
    mkdir((root + "/share").c_str(), 0755);
    WriteFile(root + "/share/in.bin", "local twin");
    const std::string shareIn = "/" + root + "/share/in.bin";
    const std::string shareOut = "/" + root + "/share/out.bin";
    WriteFile(Path("local.bin"), "local");

    EXPECT_EQ(Copy(shareIn, Path("copy.bin"), 0, wmSystemCopy), crFailed);
    EXPECT_NE(copy.Status.StatusStr.find(shareIn), std::string::npos);
    EXPECT_NE(copy.Status.StatusStr.find(
                  SysErrorText(platform::ERROR_SHARE_UNREACHABLE).substr(0, 10)),
              std::string::npos);
    EXPECT_FALSE(Exists(Path("copy.bin")));
    EXPECT_EQ(Copy(Path("local.bin"), shareOut, 0, wmUnbuffered), crFailed);
    EXPECT_NE(copy.Status.StatusStr.find(shareOut), std::string::npos);
    EXPECT_FALSE(Exists(root + "/share/out.bin"));
    EXPECT_FALSE(Exists(root + "/share/out.bin.tmp"));
    EXPECT_EQ(ReadFile(root + "/share/in.bin"), "local twin");

    unlink((root + "/share/in.bin").c_str());
    rmdir((root + "/share").c_str());
    rmdir(root.c_str());
}

}  // namespace
}  // namespace ferrolin
