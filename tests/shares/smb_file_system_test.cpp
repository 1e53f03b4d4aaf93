// The share file system against a real smbd: what the copier and the listings rely on.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <future>
#include <thread>

#include "engine/job_guards.h"
#include "platform/errors.h"
#include "platform/file_time_units.h"
#include "protocols/smb_address.h"
#include "protocols/smb_shares.h"
#include "support/smb_servers.h"

namespace ferrolin {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

TEST(SmbAddressTest, SharePathsInBothSpellingsWithPortsAndOddNames) {
    const auto a = ParseSmbPath("//Server:4450/Share/dir/sub/");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->server, "Server");
    EXPECT_EQ(a->port, 4450);
    EXPECT_EQ(a->share, "Share");
    EXPECT_EQ(a->rest, "dir/sub");
    EXPECT_EQ(a->Url(), "smb://Server:4450/Share/dir/sub");
    const auto b = ParseSmbPath("\\\\server:4450\\SHARE\\dir\\sub");
    ASSERT_TRUE(b);
    EXPECT_EQ(b->ConnectionKey(), a->ConnectionKey());
    EXPECT_EQ(b->Url(), "smb://server:4450/SHARE/dir/sub");
    // "?" starts libsmbclient's options and "%" its escapes: names carry them encoded.
    EXPECT_EQ(ParseSmbPath("//h/s/a b?c%d#é")->Url(), "smb://h/s/a%20b%3Fc%25d%23%C3%A9");
    EXPECT_FALSE(ParseSmbPath("/local/path"));
    EXPECT_FALSE(ParseSmbPath("//serveronly"));
    EXPECT_FALSE(ParseSmbPath("//server:99999/share"));
}

TEST(SmbAddressTest, TwoSpellingsOfOneFileOnAShareAreTheSameFile) {
    // A job whose source and destination are one file must not delete its source.
    EXPECT_TRUE(SameSharePath("//Server/Share/dir/a.txt", "//server/share/./dir//A.TXT"));
    EXPECT_FALSE(SameSharePath("//server/share/dir/a.txt", "//server/share/dir/b.txt"));
    EXPECT_FALSE(SameSharePath("//server/share/a.txt", "//server/other/a.txt"));
    EXPECT_FALSE(SameSharePath("/local/a.txt", "/local/a.txt"));  // the local check's task
}

class SmbFileSystemTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!test::SambaServer::Available()) GTEST_SKIP() << "smbd not installed or not root";
        ASSERT_TRUE(server_.Ready()) << server_.Log();
        ASSERT_EQ(shares_.AddConnection(root_, server_.User(), server_.Password()), 0);
    }
    std::string Remote(const std::string& name) const { return root_ + "/" + name; }
    std::string Local(const std::string& name) const { return server_.ShareFolder() + "/" + name; }

    test::SambaServer server_;
    test::ScopedHome home_{server_.Home()};
    SmbShares shares_;
    const std::string root_ = server_.SharePath();
};

TEST_F(SmbFileSystemTest, WritesReadsAndKeepsTimesOfOddNames) {
    const std::string name = "dir one/grüße 100% sure #1.txt";
    ASSERT_EQ(shares_.CreateFolders(Remote("dir one/deeper/still")), 0);
    EXPECT_EQ(shares_.CreateFolders(Remote("dir one/deeper")), 0);  // already there
    EXPECT_TRUE(shares_.FolderExists(Remote("dir one/deeper/still")));

    const std::string content(3 * 1024 * 1024 + 17, 'x');
    {
        platform::FsFilePtr file = shares_.CreateTarget(Remote(name), true, false);
        ASSERT_TRUE(file);
        ASSERT_TRUE(file->WriteAll(content.data(), content.size()));
        ASSERT_TRUE(file->Seek(5));
        ASSERT_TRUE(file->WriteAll("HELLO", 5));
    }
    std::string expected = content;
    expected.replace(5, 5, "HELLO");
    EXPECT_EQ(ReadFile(Local(name)), expected);

    // A time with 100-ns digits arrives to the microsecond.
    const int64_t when = UnixToFileTime(1700000000, 123456789);
    ASSERT_TRUE(shares_.SetTimesAndMode(Remote(name), when, when, when, 0644));
    const auto info = shares_.Stat(Remote(name));
    ASSERT_TRUE(info);
    EXPECT_TRUE(info->Regular);
    EXPECT_EQ(info->Size, static_cast<int64_t>(expected.size()));
    EXPECT_LE(std::llabs(info->LastWriteTime - when), 10);
    struct stat st {};
    ASSERT_EQ(stat(Local(name).c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1700000000);

    platform::FsFilePtr file = shares_.OpenRead(Remote(name), true);
    ASSERT_TRUE(file);
    char tail[5] = {};
    EXPECT_EQ(file->ReadFullAt(5, tail, 5), 5);
    EXPECT_EQ(std::string(tail, 5), "HELLO");
    std::string back(expected.size() + 10, '\0');
    EXPECT_EQ(file->ReadFull(back.data(), back.size()), static_cast<int64_t>(expected.size()));
    back.resize(expected.size());
    EXPECT_EQ(back, expected);
    // The same free space the server's disk reports, give or take what others write.
    const auto local = fs::space(server_.ShareFolder()).available;
    EXPECT_NEAR(static_cast<double>(shares_.FreeBytes(root_)), static_cast<double>(local),
                static_cast<double>(local) * 0.05);
}

TEST_F(SmbFileSystemTest, ListsNamesKindsSizesAndTimesInOneRequestPerFolder) {
    WriteFile(Local("f/a.txt"), "12345");
    WriteFile(Local("f/b c.mpg"), "1");
    WriteFile(Local("f/sub/d.txt"), "");
    fs::last_write_time(Local("f/a.txt"), fs::file_time_type::clock::now() - std::chrono::hours(5));
    struct stat st {};
    ASSERT_EQ(stat(Local("f/a.txt").c_str(), &st), 0);

    std::vector<platform::DirEntryInfo> seen;
    ASSERT_TRUE(shares_.ListFolder(
        Remote("f"), true, [&](const platform::DirEntryInfo& e) { seen.push_back(e); }, nullptr));
    std::sort(seen.begin(), seen.end(), [](auto& x, auto& y) { return x.name < y.name; });
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].name, "a.txt");
    EXPECT_TRUE(seen[0].isFile);
    EXPECT_EQ(seen[0].size, 5);
    EXPECT_EQ(seen[0].mtimeSeconds, st.st_mtim.tv_sec);
    EXPECT_EQ(seen[1].name, "b c.mpg");
    EXPECT_TRUE(seen[2].isDirectory);
    EXPECT_FALSE(seen[2].isFile);

    int32_t error = 0;
    EXPECT_FALSE(shares_.ListFolder(
        Remote("missing"), true, [](const auto&) {}, &error));
    EXPECT_EQ(error, ENOENT);
}

TEST_F(SmbFileSystemTest, RenameReplacesDeleteRemovesMissingFilesFail) {
    WriteFile(Local("old.txt"), "old");
    WriteFile(Local("new.tmp"), "new");
    EXPECT_EQ(shares_.Rename(Remote("new.tmp"), Remote("old.txt"), true), 0);
    EXPECT_EQ(ReadFile(Local("old.txt")), "new");
    EXPECT_FALSE(fs::exists(Local("new.tmp")));

    EXPECT_EQ(shares_.DeleteBelow(root_, "old.txt"), 0);
    EXPECT_FALSE(fs::exists(Local("old.txt")));
    EXPECT_EQ(shares_.Delete(Remote("old.txt")), ENOENT);
    EXPECT_FALSE(shares_.OpenRead(Remote("nothing"), true));
    EXPECT_FALSE(shares_.Stat(Remote("nothing")));
    // A folder is no file to read.
    fs::create_directories(Local("folder"));
    EXPECT_FALSE(shares_.OpenRead(Remote("folder"), true));
    EXPECT_EQ(shares_.Probe(Remote("folder"), true).kind, platform::EntryKind::Other);
}

TEST_F(SmbFileSystemTest, ReadOnlyShareRefusesWrites) {
    const std::string ro = server_.SharePath("readonly");
    ASSERT_EQ(shares_.AddConnection(ro, server_.User(), server_.Password()), 0);
    WriteFile(server_.ReadOnlyFolder() + "/there.txt", "x");
    EXPECT_FALSE(shares_.CreateTarget(ro + "/new.txt", true, false));
    EXPECT_EQ(platform::LastError(), EACCES);
    EXPECT_NE(shares_.Delete(ro + "/there.txt"), 0);
    EXPECT_TRUE(fs::exists(server_.ReadOnlyFolder() + "/there.txt"));
    EXPECT_FALSE(fs::exists(server_.ReadOnlyFolder() + "/new.txt"));
}

// A stopped run must not wait for a server that stopped answering: Interrupt ends a read
// in progress on a frozen server at once and refuses further calls; after Resume the same
// logged-on connection works again once the server does.
TEST_F(SmbFileSystemTest, InterruptCutsACallToAFrozenServerAndResumeReconnects) {
    const std::string content(8 * 1024 * 1024, 'r');
    WriteFile(Local("big.bin"), content);
    platform::FsFilePtr file = shares_.OpenRead(Remote("big.bin"), true);
    ASSERT_TRUE(file);
    server_.Freeze();
    auto read = std::async(std::launch::async, [&] {
        std::string back(content.size(), '\0');
        return file->ReadFull(back.data(), back.size());
    });
    EXPECT_EQ(read.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
    const auto cut = std::chrono::steady_clock::now();
    shares_.Interrupt();
    ASSERT_EQ(read.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_LT(std::chrono::steady_clock::now() - cut, std::chrono::seconds(2));
    EXPECT_EQ(read.get(), -1);
    EXPECT_FALSE(shares_.Stat(Remote("big.bin")));
    EXPECT_EQ(platform::LastError(), ECANCELED);
    file.reset();

    server_.Thaw();
    shares_.Resume();
    const auto info = shares_.Stat(Remote("big.bin"));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->Size, static_cast<int64_t>(content.size()));
    EXPECT_EQ(shares_.AddConnection(root_, server_.User(), server_.Password()), 0);
}

// Without libsmbclient every share operation fails with its own named reason, and the
// logon says which library is missing.
TEST(SmbLibraryTest, AMissingLibraryFailsEveryShareCallWithAClearReason) {
    SmbShares shares("libsmbclient-not-installed.so.0");
    EXPECT_EQ(shares.AddConnection("//127.0.0.1/share", "user", "pw"),
              platform::ERROR_SHARE_CLIENT_MISSING);
    EXPECT_NE(shares.LastExtendedError().find("libsmbclient-not-installed.so.0"),
              std::string::npos);
    EXPECT_FALSE(shares.Stat("//127.0.0.1/share/a.txt"));
    EXPECT_EQ(platform::LastError(), platform::ERROR_SHARE_CLIENT_MISSING);
    EXPECT_NE(platform::ErrorMessage(platform::ERROR_SHARE_CLIENT_MISSING).find("libsmbclient"),
              std::string::npos);
}

}  // namespace
}  // namespace ferrolin
