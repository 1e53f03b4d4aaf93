// ferrolin-cli run on HTTP jobs against a scriptable HTTP server on loopback.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>

#include "support/child_process.h"
#include "support/job_ini.h"
#include "support/temp_dir.h"
#include "support/web_servers.h"

namespace ferrolin {
namespace {

namespace fs = std::filesystem;
using test::CommandResult;
using test::IniKeys;
using test::ReadFile;
using test::TempDir;
using test::TestHttpServer;

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class HttpRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!TestHttpServer::Available()) GTEST_SKIP() << "/usr/bin/python3 is missing";
        server = std::make_unique<TestHttpServer>(std::string(FERROLIN_SOURCE_DIR) +
                                                  "/tests/support/http_test_server.py");
        ASSERT_TRUE(server->Ready()) << server->Log();
        test::WriteFile(server->Folder() + "/page.html", "<html>\nnew page\n</html>\n");
    }
    CommandResult Run(const std::vector<IniKeys>& jobs) {
        test::WriteJobIni(home.path(), {}, jobs);
        return test::RunCommand({FERROLIN_CLI_PATH, "run"}, {{"FERROLIN_HOME", home.path()}});
    }
    IniKeys HttpJob(const std::string& path, const std::string& dest) {
        return {{"SendeVerzeichnis", server->Url(path)}, {"EmpfangsVerzeichnis", dest}};
    }

    std::unique_ptr<TestHttpServer> server;
    TempDir home, dst;
};

TEST_F(HttpRunTest, TargetNamesDefaultNameTimeStampRedirectAndTextFallback) {
    test::WriteFile(dst / "page.html", "an older and longer copy of the page");
    TempDir folderOnly, stamped, fallback;
    IniKeys withStamp = HttpJob("/files/page.html", stamped / "page.html");
    withStamp["AddTimeStampC"] = "1";
    // A file where the target folder should be: the download cannot be created there, so
    // the answer is saved as text lines under the destination text itself.
    test::WriteFile(fallback / "plain", "");
    const CommandResult result = Run({HttpJob("/files/page.html", dst / "page.html"),
                                      HttpJob("/files/page.html", folderOnly.path()),
                                      HttpJob("/redirect/3/files/page.html", dst / "moved.html"),
                                      HttpJob("/files/page.html", fallback / "plain"), withStamp});
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    const std::string page = "<html>\nnew page\n</html>\n";
    EXPECT_EQ(ReadFile(dst / "page.html"), page);
    EXPECT_EQ(ReadFile(dst / "moved.html"), page);
    EXPECT_EQ(Names(dst.path()), (std::vector<std::string>{"moved.html", "page.html"}));
    EXPECT_EQ(ReadFile(folderOnly / "DefaultName.xxx"), page);
    const std::vector<std::string> names = Names(stamped.path());
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(std::regex_match(names[0], std::regex("page[0-9]{12}\\.html"))) << names[0];
    EXPECT_EQ(ReadFile(fallback / "plain"), "<html>\r\nnew page\r\n</html>\r\n");
    EXPECT_NE(result.errors.find("error: "), std::string::npos) << result.errors;
}

TEST_F(HttpRunTest, RefusedAndBrokenDownloadsLeaveNoFileAndFailTheRun) {
    test::WriteFile(dst / "missing.html", "yesterday's copy");
    CommandResult result = Run({HttpJob("/status/404", dst / "missing.html")});
    EXPECT_EQ(result.exitCode, 1) << result.errors;
    EXPECT_NE(result.errors.find(" 404 "), std::string::npos) << result.errors;
    // Neither the old copy nor the error page is left under the target name.
    EXPECT_TRUE(fs::is_empty(dst.path())) << Names(dst.path())[0];

    result = Run({HttpJob("/drop/200000", dst / "dropped.bin")});
    EXPECT_EQ(result.exitCode, 1) << result.errors;
    EXPECT_NE(result.errors.find("error: "), std::string::npos) << result.errors;
    EXPECT_TRUE(fs::is_empty(dst.path())) << Names(dst.path())[0];
}

// A server that lies about the length, or ends the answer early in whatever way, gives no
// file: the copy the last run stored stays, no temporary name is left, the run fails and
// the log says why.
TEST_F(HttpRunTest, AnAnswerShorterThanAnnouncedKeepsTheOldCopy) {
    for (const char* path : {"/drop/200000", "/stall/200000", "/chunked-lie/200000"}) {
        test::WriteFile(dst / "data.bin", "yesterday's copy");
        const CommandResult result = Run({HttpJob(path, dst / "data.bin")});
        EXPECT_EQ(result.exitCode, 1) << path << result.errors;
        EXPECT_EQ(ReadFile(dst / "data.bin"), "yesterday's copy") << path;
        EXPECT_EQ(Names(dst.path()), std::vector<std::string>{"data.bin"}) << path;
        const std::string log = ReadFile(home / "Ferrolin.log");
        EXPECT_NE(log.find("Download of " + server->Url(path) + " failed: "), std::string::npos)
            << path << log;
        fs::remove(home / "Ferrolin.log");
    }
    // The lie of a chunked answer is named.
    Run({HttpJob("/chunked-lie/200000", dst / "data.bin")});
    EXPECT_NE(ReadFile(home / "Ferrolin.log")
                  .find("Received 100000 bytes of the 200000 the server announced"),
              std::string::npos);
}

// A destination folder that is not there is a failure with a log line, never a file
// named like the folder.
TEST_F(HttpRunTest, AMissingDestinationFolderFailsAndWritesNothing) {
    const CommandResult result = Run({HttpJob("/files/page.html", dst / "missing"),
                                      HttpJob("/files/page.html", dst / "gone/page.html")});
    EXPECT_EQ(result.exitCode, 1) << result.errors;
    EXPECT_TRUE(fs::is_empty(dst.path())) << Names(dst.path())[0];
    const std::string log = ReadFile(home / "Ferrolin.log");
    for (const std::string& folder : {dst / "missing", dst / "gone"})
        EXPECT_NE(log.find("failed: The destination folder " + folder + " does not exist"),
                  std::string::npos)
            << log;
}

}  // namespace
}  // namespace ferrolin
