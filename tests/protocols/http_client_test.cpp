#include "protocols/http_client.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/local_file_system.h"
#include "protocols/memory_probe.h"
#include "protocols/tls_trust.h"
#include "support/temp_dir.h"
#include "support/web_servers.h"

namespace ferrolin {
namespace {

using test::TempDir;
using test::TestHttpServer;

// Every entry of a folder but "." and "..": a leftover temporary file shows here.
std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(dir);
    }
    return names;
}

class HttpClientTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!TestHttpServer::Available()) GTEST_SKIP() << "/usr/bin/python3 is missing";
        server_ = std::make_unique<TestHttpServer>(std::string(FERROLIN_SOURCE_DIR) +
                                                   "/tests/support/http_test_server.py");
        ASSERT_TRUE(server_->Ready()) << server_->Log();
    }
    std::unique_ptr<TestHttpServer> server_;
    TempDir target_;
    HttpClient client_;
    platform::LocalFileSystem local_;
};

TEST_F(HttpClientTest, DownloadsIntoTheNamedFileReplacingAnOldOne) {
    test::WriteFile(server_->Folder() + "/page.html", "<html>today</html>");
    test::WriteFile(target_ / "page.html", "an older and longer copy of the page");
    std::vector<std::pair<uint64_t, uint64_t>> progress;
    const HttpResult result =
        client_.Download(local_, server_->Url("/files/page.html"), target_ / "page.html",
                         [&](uint64_t now, uint64_t total) {
                             progress.emplace_back(now, total);
                             return true;
                         });
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.status, 200);
    EXPECT_EQ(result.bytes, 18u);
    EXPECT_EQ(test::ReadFile(target_ / "page.html"), "<html>today</html>");
    EXPECT_EQ(Entries(target_.path()), std::vector<std::string>{"page.html"});
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), std::make_pair(uint64_t{18}, uint64_t{18}));

    std::string text;
    ASSERT_TRUE(client_.GetText(server_->Url("/files/page.html"), text).ok);
    EXPECT_EQ(text, "<html>today</html>");
    EXPECT_FALSE(client_.GetText(server_->Url("/files/page.html"), text, 10).ok);
    EXPECT_TRUE(text.empty());
}

TEST_F(HttpClientTest, ErrorStatusFailsWithTheStatusLineAndStoresNothing) {
    test::WriteFile(target_ / "old.bin", "old");
    for (const char* path : {"/files/missing.html", "/status/500", "/status/403"}) {
        const HttpResult result =
            client_.Download(local_, server_->Url(path), target_ / "page.html");
        EXPECT_FALSE(result.ok) << path;
        EXPECT_TRUE(result.fileCreated);
        EXPECT_EQ(result.error, result.statusLine);
        EXPECT_EQ(result.error.rfind("HTTP/1.0 ", 0), 0u) << result.error;
    }
    const HttpResult notFound =
        client_.Download(local_, server_->Url("/status/404"), target_ / "x");
    EXPECT_EQ(notFound.status, 404);
    EXPECT_EQ(notFound.error, "HTTP/1.0 404 Not Found");
    // The error page never lands anywhere, and nothing else was touched.
    EXPECT_EQ(Entries(target_.path()), std::vector<std::string>{"old.bin"});

    std::string text;
    const HttpResult asText = client_.GetText(server_->Url("/status/503"), text);
    EXPECT_FALSE(asText.ok);
    EXPECT_TRUE(text.empty());
}

TEST_F(HttpClientTest, RedirectsAreFollowedUpToTen) {
    test::WriteFile(server_->Folder() + "/a.txt", "arrived");
    HttpResult result =
        client_.Download(local_, server_->Url("/redirect/3/files/a.txt"), target_ / "a.txt");
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.status, 200);
    EXPECT_EQ(test::ReadFile(target_ / "a.txt"), "arrived");

    result = client_.Download(local_, server_->Url("/redirect/10/files/a.txt"), target_ / "b.txt");
    EXPECT_TRUE(result.ok) << result.error;
    result = client_.Download(local_, server_->Url("/redirect/11/files/a.txt"), target_ / "c.txt");
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("redirect"), std::string::npos) << result.error;
    EXPECT_EQ(Entries(target_.path()).size(), 2u);
}

TEST_F(HttpClientTest, BrokenTransfersAndCancelLeaveNoFileUnderTheName) {
    HttpResult result = client_.Download(local_, server_->Url("/drop/1000000"), target_ / "t.bin");
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());

    result = client_.Download(local_, server_->Url("/large/10000000"), target_ / "t.bin",
                              [](uint64_t now, uint64_t) { return now < 1000000; });
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "The download was cancelled");

    const std::string closed = "http://127.0.0.1:" + std::to_string(test::FreeLoopbackPort(false));
    result = client_.Download(local_, closed + "/x", target_ / "t.bin");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.error.find("127.0.0.1"), std::string::npos) << result.error;

    EXPECT_TRUE(Entries(target_.path()).empty());

    result =
        client_.Download(local_, server_->Url("/files/.keep"), target_ / "no/such/folder/t.bin");
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.fileCreated);
    EXPECT_NE(result.error.find("no/such/folder"), std::string::npos) << result.error;

    // Only the web's protocols: no file:// behind the user's back.
    result = client_.Download(local_, "file:///etc/passwd", target_ / "t.bin");
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(Entries(target_.path()).empty());
}

TEST_F(HttpClientTest, HttpsChecksTheCertificate) {
    // A plain server behind an https address: the handshake fails, never a fallback.
    HttpResult result = client_.Download(local_, "https://" + server_->Address() + "/files/.keep",
                                         target_ / "t.bin");
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());

    TestHttpServer secure(std::string(FERROLIN_SOURCE_DIR) + "/tests/support/http_test_server.py",
                          true);
    ASSERT_TRUE(secure.Ready()) << secure.Log();
    test::WriteFile(secure.Folder() + "/s.txt", "secret");
    // A certificate nobody vouches for is refused.
    result = client_.Download(local_, secure.Url("/files/s.txt"), target_ / "s.txt");
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("(certificate not trusted: unknown issuer)"), std::string::npos)
        << result.error;
    EXPECT_TRUE(Entries(target_.path()).empty());

    // Its pinned key trusts it without a CA; another pin refuses it.
    HttpOptions pinned;
    pinned.pinnedKey = PinOfCertificate(test::ReadFile(secure.CertificateFile()));
    ASSERT_FALSE(pinned.pinnedKey.empty());
    EXPECT_TRUE(
        HttpClient(pinned).Download(local_, secure.Url("/files/s.txt"), target_ / "p.txt").ok);
    pinned.pinnedKey = "sha256//AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA=";
    result = HttpClient(pinned).Download(local_, secure.Url("/files/s.txt"), target_ / "q.txt");
    EXPECT_NE(result.error.find("(certificate not trusted: not the pinned key)"), std::string::npos)
        << result.error;

    // Trusted, the same server delivers over TLS.
    HttpOptions trusting;
    trusting.caFile = secure.CertificateFile();
    HttpClient client(trusting);
    result = client.Download(local_, secure.Url("/files/s.txt"), target_ / "s.txt");
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(test::ReadFile(target_ / "s.txt"), "secret");
}

TEST_F(HttpClientTest, LargeDownloadStreamsWithFlatMemory) {
    constexpr uint64_t kSize = uint64_t{200} << 20;
    const long before = test::CurrentMemoryKiB();
    ASSERT_TRUE(test::ResetPeakMemory());
    const HttpResult result = client_.Download(
        local_, server_->Url("/large/" + std::to_string(kSize)), target_ / "big.bin");
    const long growth = test::PeakMemoryKiB() - before;
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_LT(growth, 32 * 1024) << "peak memory grew by " << growth << " KiB";
    RecordProperty("peak_memory_growth_kib", std::to_string(growth));
    struct stat info {};
    ASSERT_EQ(::stat((target_ / "big.bin").c_str(), &info), 0);
    EXPECT_EQ(static_cast<uint64_t>(info.st_size), kSize);
    EXPECT_EQ(result.bytes, kSize);
}

}  // namespace
}  // namespace ferrolin
