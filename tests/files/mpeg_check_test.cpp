#include "files/mpeg_check.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "copy_test_util.h"
#include "platform/dynlib.h"

namespace ferrolin {
namespace {

using test::WriteFile;

class MpegCheckTest : public test::FilesTest {
protected:
    void TearDown() override {
        UnloadMpegLibraries(mpeg);
        test::FilesTest::TearDown();
    }
    MpegLibraries mpeg;
    // A program folder holding the given fake libraries under the given names.
    std::string FolderWith(const std::string& name,
                           std::vector<std::pair<std::string, std::string>> libs) {
        const std::string folder = Path(name);
        std::filesystem::create_directories(folder);
        for (const auto& [from, to] : libs) {
            std::filesystem::copy_file(std::string(FERROLIN_FAKE_MPEG_DIR) + "/" + from,
                                       folder + "/" + to);
        }
        return folder;
    }
};

TEST_F(MpegCheckTest, LoadResultsFollowWhatTheFolderHolds) {
    struct Case {
        const char* label;
        std::vector<std::pair<std::string, std::string>> libs;
        int32_t result;
        bool available;
    } cases[] = {
        {"nothing", {}, -1, false},
        {"sdk without init entry", {{"librtdutils.so", "librtdsdk.so"}}, -2, false},
        {"sdk only", {{"librtdsdk.so", "librtdsdk.so"}}, -3, true},
        {"utils without its entry",
         {{"librtdsdk.so", "librtdsdk.so"}, {"librtdsdk.so", "librtdutils.so"}}, -4, true},
        {"both", {{"librtdsdk.so", "librtdsdk.so"}, {"librtdutils.so", "librtdutils.so"}}, 0,
         true},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        std::string folder = "p";  // appended: gcc 12 -O3 warns falsely on "p" + string
        folder += std::to_string(n++);
        EXPECT_EQ(LoadMpegLibraries(mpeg, FolderWith(folder, c.libs)), c.result);
        EXPECT_EQ(MpegCheckAvailable(mpeg), c.available);
        UnloadMpegLibraries(mpeg);
        EXPECT_FALSE(MpegCheckAvailable(mpeg));
    }
    EXPECT_EQ(MpegLoadLogText(0), "Load of Optibase dll's successful");
    EXPECT_EQ(MpegLoadLogText(-3), "Load of Optibase dll's ok except rtdutils.dll");
    EXPECT_EQ(MpegLoadLogText(-1), "");
}

TEST_F(MpegCheckTest, DurationFromTimeCodesDecidesCorruptFiles) {
    ASSERT_EQ(LoadMpegLibraries(mpeg, FERROLIN_FAKE_MPEG_DIR), 0);
    struct Case {
        const char* name;
        const char* content;  // nullptr: the file does not exist
        int32_t frames;
        bool ok;
    } cases[] = {
        {"ten.mpg", "FAKEMPEG 00:00:00:00 00:00:00:10", 10, false},
        {"eleven.mpg", "FAKEMPEG 00:00:00:00 00:00:00:11", 11, true},
        {"hour.MPG", "FAKEMPEG 01:00:00:00 02:01:01:01", 90000 + 1500 + 25 + 1, true},
        {"clip.mpg.bak", "FAKEMPEG 00:00:00:00 00:00:00:05", 5, false},
        {"bad.mpv", "not an mpeg file", 0, false},
        {"gone.mpo", nullptr, 0, false},
        {"seq.m2v", "garbage", 0, true},  // not on the list: passes untested
        {"notes.txt", "garbage", 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Path(c.name);
        if (c.content) WriteFile(path, c.content);
        EXPECT_EQ(MpegDurationFrames(mpeg, path), c.frames);
        EXPECT_EQ(CheckMpegFile(mpeg, path, true), c.ok);
        EXPECT_TRUE(CheckMpegFile(mpeg, path, false));  // the job's box is clear
    }
    // Every information block the SDK handed out was given back.
    auto sdk = platform::DynamicLibrary::Open(std::string(FERROLIN_FAKE_MPEG_DIR) + "/librtdsdk.so");
    auto outstanding = reinterpret_cast<int (*)()>(sdk.Symbol("rtdFakeOutstanding"));
    ASSERT_NE(outstanding, nullptr);
    EXPECT_EQ(outstanding(), 0);
}

TEST_F(MpegCheckTest, WithoutTheSdkEveryFilePasses) {
    WriteFile(Path("short.mpg"), "FAKEMPEG 00:00:00:00 00:00:00:01");
    EXPECT_FALSE(MpegCheckAvailable(mpeg));
    EXPECT_TRUE(CheckMpegFile(mpeg, Path("short.mpg"), true));
    EXPECT_EQ(MpegDurationFrames(mpeg, Path("short.mpg")), 0);
}

}  // namespace
}  // namespace ferrolin
