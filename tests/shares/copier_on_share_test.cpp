// The careful copier with a share on one or both sides: both copy paths, the metadata
// trailer rewritten on the share, the no-op pass that opens nothing, and a source share
// that goes away in the middle of a copy.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "files/copy_context.h"
#include "files/file_copy.h"
#include "files/media_metadata.h"
#include "protocols/smb_shares.h"
#include "support/smb_servers.h"

namespace ferrolin {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

std::string RandomBytes(size_t size, uint32_t seed) {
    std::mt19937 gen(seed);
    std::string s(size, '\0');
    for (char& c : s) c = static_cast<char>(gen());
    return s;
}

// Passes every call on to the share client and counts the opens.
class CountingShares : public platform::FileSystem {
  public:
    explicit CountingShares(platform::FileSystem& inner) : inner_(inner) {}
    int opens = 0;

    bool IsLocal() const override { return false; }
    platform::FsFilePtr OpenRead(const std::string& p, bool l) override {
        ++opens;
        return inner_.OpenRead(p, l);
    }
    platform::FsFilePtr OpenReadWrite(const std::string& p) override {
        ++opens;
        return inner_.OpenReadWrite(p);
    }
    platform::FsFilePtr CreateTarget(const std::string& p, bool f, bool d) override {
        ++opens;
        return inner_.CreateTarget(p, f, d);
    }
    platform::FsProbe Probe(const std::string& p, bool l) override {
        ++opens;
        return inner_.Probe(p, l);
    }
    std::optional<platform::FileInfo> Stat(const std::string& p) override { return inner_.Stat(p); }
    bool FolderExists(const std::string& p) override { return inner_.FolderExists(p); }
    bool ListFolder(const std::string& f, bool d,
                    const std::function<void(const platform::DirEntryInfo&)>& v,
                    int32_t* e) override {
        return inner_.ListFolder(f, d, v, e);
    }
    int32_t Rename(const std::string& a, const std::string& b, bool r) override {
        return inner_.Rename(a, b, r);
    }
    int32_t Delete(const std::string& p) override { return inner_.Delete(p); }
    int32_t DeleteBelow(const std::string& r, std::string_view p) override {
        return inner_.DeleteBelow(r, p);
    }
    int32_t CreateFolders(const std::string& p) override { return inner_.CreateFolders(p); }
    bool CreateFoldersBelow(const std::string& r, std::string_view p) override {
        return inner_.CreateFoldersBelow(r, p);
    }
    bool SetTimesAndMode(const std::string& p, int64_t c, int64_t a, int64_t w,
                         uint32_t m) override {
        return inner_.SetTimesAndMode(p, c, a, w, m);
    }
    bool SetMode(const std::string& p, uint32_t m) override { return inner_.SetMode(p, m); }
    int64_t FreeBytes(const std::string& p) override { return inner_.FreeBytes(p); }
    uint32_t SectorSize(const std::string& f) override { return inner_.SectorSize(f); }

  private:
    platform::FileSystem& inner_;
};

class CopierOnShareTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!test::SambaServer::Available()) GTEST_SKIP() << "smbd not installed or not root";
        ASSERT_TRUE(server_.Ready()) << server_.Log();
        ASSERT_EQ(shares_.AddConnection(root_, server_.User(), server_.Password()), 0);
        copy_.Files.SetShares(&counting_, &shares_);
        copy_.LogFolder = local_.path();  // "FileCopy.log" of the read errors goes there
    }
    uint8_t Copy(const std::string& from, const std::string& to, uint8_t mode = wmSystemCopy,
                 int32_t flags = 0) {
        return FileCopy(copy_, from, to, UiPump{}, CopyProgressRoutine, 0, flags, mode);
    }
    std::string Remote(const std::string& name) const { return root_ + "/" + name; }
    std::string Served(const std::string& name) const { return server_.ShareFolder() + "/" + name; }

    test::SambaServer server_;
    test::ScopedHome home_{server_.Home()};
    test::TempDir local_;
    SmbShares shares_;
    CountingShares counting_{shares_};
    CopyContext copy_;
    const std::string root_ = server_.SharePath();
};

TEST_F(CopierOnShareTest, BothCopyPathsInEveryDirectionKeepBytesAndTimes) {
    // Sizes around the 1 MiB request and the 64 KiB block, and an empty file.
    const size_t sizes[] = {0, 1, 65536, 1024 * 1024 - 1, 1024 * 1024 + 1, 5 * 1024 * 1024 + 3};
    for (const uint8_t mode : {wmSystemCopy, wmUnbuffered}) {
        for (const size_t size : sizes) {
            SCOPED_TRACE(std::to_string(mode) + " " + std::to_string(size));
            const std::string name = "f" + std::to_string(mode) + "_" + std::to_string(size);
            const std::string bytes = RandomBytes(size, static_cast<uint32_t>(size + mode));
            WriteFile(local_ / name, bytes);
            fs::last_write_time(local_ / name,
                                fs::file_time_type::clock::now() - std::chrono::hours(3));

            ASSERT_EQ(Copy(local_ / name, Remote("up_" + name), mode), crCopied)
                << copy_.Status.StatusStr;
            ASSERT_EQ(Copy(Remote("up_" + name), Remote("across_" + name), mode), crCopied)
                << copy_.Status.StatusStr;
            ASSERT_EQ(Copy(Remote("across_" + name), local_ / ("down_" + name), mode), crCopied)
                << copy_.Status.StatusStr;
            EXPECT_TRUE(ReadFile(Served("up_" + name)) == bytes);
            EXPECT_TRUE(ReadFile(Served("across_" + name)) == bytes);
            EXPECT_TRUE(ReadFile(local_ / ("down_" + name)) == bytes);
            const auto t0 = fs::last_write_time(local_ / name);
            EXPECT_LT(std::chrono::abs(fs::last_write_time(local_ / ("down_" + name)) - t0),
                      std::chrono::microseconds(1));
            EXPECT_FALSE(fs::exists(Served("up_" + name + ".tmp")));
        }
    }
}

TEST_F(CopierOnShareTest, NoOpPassOpensNothingButACopyThatDiffersStillRuns) {
    WriteFile(local_ / "a.bin", RandomBytes(100000, 1));
    ASSERT_EQ(Copy(local_ / "a.bin", Remote("a.bin")), crCopied);
    ASSERT_EQ(Copy(Remote("a.bin"), local_ / "back.bin"), crCopied);
    counting_.opens = 0;
    EXPECT_EQ(Copy(local_ / "a.bin", Remote("a.bin")), crSame);
    EXPECT_EQ(copy_.Status.StatusStr, "a.bin same");
    EXPECT_EQ(Copy(Remote("a.bin"), local_ / "back.bin"), crSame);
    EXPECT_EQ(counting_.opens, 0);

    // Forced, or different in size: copied again.
    EXPECT_EQ(Copy(local_ / "a.bin", Remote("a.bin"), wmSystemCopy, cfForce), crCopied);
    WriteFile(local_ / "a.bin", RandomBytes(100001, 1));
    fs::last_write_time(local_ / "a.bin", fs::last_write_time(Served("a.bin")));
    EXPECT_EQ(Copy(local_ / "a.bin", Remote("a.bin")), crCopied);
    EXPECT_EQ(fs::file_size(Served("a.bin")), 100001u);
}

TEST_F(CopierOnShareTest, MetadataOnlyChangeRewritesTheTrailerOnTheShare) {
    const std::string media = RandomBytes(200000, 7) + "M";
    MediaMetadata oldMeta;
    oldMeta.Parameters = "[Parameters]\r\nLastChange=old\r\n";
    MediaMetadata newMeta;
    newMeta.Parameters = "[Parameters]\r\nLastChange=newer one\r\n";
    WriteFile(Served("clip.mpg"), media);
    ASSERT_TRUE(WriteMetadata(Served("clip.mpg"), oldMeta));
    fs::last_write_time(Served("clip.mpg"),
                        fs::file_time_type::clock::now() - std::chrono::hours(2));
    WriteFile(local_ / "clip.mpg", media);
    ASSERT_TRUE(WriteMetadata(local_ / "clip.mpg", newMeta));

    EXPECT_EQ(Copy(local_ / "clip.mpg", Remote("clip.mpg")), crMetadataUpdated)
        << copy_.Status.StatusStr;
    EXPECT_EQ(copy_.Status.StatusStr, "clip.mpg Metadata Updated");
    EXPECT_TRUE(ReadFile(Served("clip.mpg")) == ReadFile(local_ / "clip.mpg"));
}

TEST_F(CopierOnShareTest, SourceShareGoneMidCopyFailsWithoutAPartialFile) {
    const std::string bytes = RandomBytes(16 * 1024 * 1024, 3);
    WriteFile(Served("big.bin"), bytes);
    // A slow copy in the own block loop, so the server can go away in its middle; the
    // wait-and-reopen gives up once Cancel is pressed.
    int pumps = 0;
    const UiPump pump = [&] {
        if (++pumps == 3) server_.Kill();
        if (pumps == 40) copy_.Cancel.Stop();
    };
    const uint8_t result = FileCopy(copy_, Remote("big.bin"), local_ / "big.bin", pump,
                                    CopyProgressRoutine, 2 * 1024 * 1024, 0, wmUnbuffered);
    EXPECT_EQ(result, crFailed) << copy_.Status.StatusStr;
    EXPECT_FALSE(fs::exists(local_ / "big.bin"));
    EXPECT_FALSE(fs::exists(local_ / "big.bin.tmp"));
}

}  // namespace
}  // namespace ferrolin
