// Jobs between a server and a share, run in-process by one station: what an FTP, HTTP or
// POP3 source delivers lands on the share under its own name (and time), never in a local
// folder that happens to carry the share's path, and a share's files are sent to an FTP
// server.
// The share side logs on with the job's destination (or source) user.
#include <gtest/gtest.h>

#include <filesystem>

#include "protocols/mail_samples.h"
#include "station/run_driver.h"
#include "station/station.h"
#include "station/station_config.h"
#include "support/ftp_servers.h"
#include "support/job_ini.h"
#include "support/mail_servers.h"
#include "support/recording_surfaces.h"
#include "support/smb_servers.h"
#include "support/temp_dir.h"
#include "support/web_servers.h"

namespace ferrolin {
namespace {

namespace fs = std::filesystem;
using test::IniKeys;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class RemoteToShareTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!test::SambaServer::Available()) GTEST_SKIP() << "smbd not installed or not root";
        if (!test::PyFtpServer::Available()) GTEST_SKIP() << "pyftpdlib missing";
        ASSERT_TRUE(smb.Ready()) << smb.Log();
        ASSERT_TRUE(ftp.Ready()) << ftp.Log();
    }
    IniKeys FtpToShare(const std::string& folder, const std::string& shareFolder) const {
        return {{"SendeVerzeichnis", "ftp://" + ftp.Address() + folder},
                {"EmpfangsVerzeichnis", smb.SharePath() + shareFolder},
                {"SourceLName", ftp.Options().user},
                {"SourceLPassword", ftp.Options().password},
                {"DestLName", smb.User()},
                {"DestLPassword", smb.Password()},
                {"PassiveMode", "1"}};
    }
    IniKeys ShareToFtp(const std::string& shareFolder, const std::string& folder) const {
        return {{"SendeVerzeichnis", smb.SharePath() + shareFolder},
                {"EmpfangsVerzeichnis", "ftp://" + ftp.Address() + folder},
                {"SourceLName", smb.User()},
                {"SourceLPassword", smb.Password()},
                {"DestLName", ftp.Options().user},
                {"DestLPassword", ftp.Options().password},
                {"PassiveMode", "1"}};
    }
    void RunAll(const std::vector<IniKeys>& jobs) {
        test::WriteJobIni(home.path(), {}, jobs);
        ReadConfig(station);
        RunAllJobsManually(station, false);
    }
    uint32_t Failures() const { return station.Log.FailedFiles + station.Log.JobsCutShort; }
    std::string Log() { return ReadFile(home / "Ferrolin.log"); }

    test::SambaServer smb;
    test::ScopedHome smbHome{smb.Home()};
    test::PyFtpServer ftp;
    TempDir home;
    test::RecordingSurfaces surfaces;
    Station station{home.path(), surfaces};
};

TEST_F(RemoteToShareTest, FtpDownloadLandsOnTheShareAndAnUnchangedFileIsNotFetchedAgain) {
    WriteFile(ftp.Root() + "/out/a.txt", "alpha");
    WriteFile(ftp.Root() + "/out/b.bin", std::string(300000, 'b'));
    const fs::file_time_type listed = fs::last_write_time(ftp.Root() + "/out/a.txt");

    RunAll({FtpToShare("/out/", "/in")});
    ASSERT_EQ(Failures(), 0u) << Log();
    EXPECT_EQ(ReadFile(smb.ShareFolder() + "/in/a.txt"), "alpha");
    EXPECT_EQ(fs::file_size(smb.ShareFolder() + "/in/b.bin"), 300000u);
    // The listed time travels with the file (to the second, as the listing gives it).
    const auto drift = fs::last_write_time(smb.ShareFolder() + "/in/a.txt") - listed;
    EXPECT_LT(std::chrono::abs(drift), std::chrono::seconds(2));
    // No temporary file is left beside them, and nothing went to a local look-alike path.
    EXPECT_EQ(
        std::distance(fs::directory_iterator(smb.ShareFolder() + "/in"), fs::directory_iterator()),
        2);
    EXPECT_FALSE(fs::exists(smb.SharePath() + "/in"));

    // The share's copy matches the listing: the second run fetches nothing.
    RunAll({FtpToShare("/out/", "/in")});
    EXPECT_EQ(Failures(), 0u) << Log();
    EXPECT_EQ(station.Log.Tally.copied, 0u) << Log();
}

TEST_F(RemoteToShareTest, ShareFilesAreSentToAnFtpServer) {
    WriteFile(smb.ShareFolder() + "/out/a.txt", "alpha");
    WriteFile(smb.ShareFolder() + "/out/c.bin", std::string(200000, 'c'));
    fs::create_directories(ftp.Root() + "/in");
    RunAll({ShareToFtp("/out", "/in/")});
    ASSERT_EQ(Failures(), 0u) << Log();
    EXPECT_EQ(ReadFile(ftp.Root() + "/in/a.txt"), "alpha");
    EXPECT_EQ(ReadFile(ftp.Root() + "/in/c.bin"), std::string(200000, 'c'));
}

TEST_F(RemoteToShareTest, HttpDownloadReplacesTheSharesCopyAndARefusalRemovesIt) {
    if (!test::TestHttpServer::Available()) GTEST_SKIP() << "/usr/bin/python3 is missing";
    test::TestHttpServer web(std::string(FERROLIN_SOURCE_DIR) +
                             "/tests/support/http_test_server.py");
    ASSERT_TRUE(web.Ready()) << web.Log();
    WriteFile(web.Folder() + "/page.html", "new page");
    WriteFile(smb.ShareFolder() + "/web/page.html", "yesterday's page");
    WriteFile(smb.ShareFolder() + "/web/gone.html", "yesterday's copy");
    const auto job = [&](const std::string& path, const std::string& name) {
        return IniKeys{{"SendeVerzeichnis", web.Url(path)},
                       {"EmpfangsVerzeichnis", smb.SharePath() + "/web/" + name},
                       {"DestLName", smb.User()},
                       {"DestLPassword", smb.Password()}};
    };
    RunAll({job("/files/page.html", "page.html"), job("/status/404", "gone.html")});
    EXPECT_EQ(ReadFile(smb.ShareFolder() + "/web/page.html"), "new page") << Log();
    // The server says the file is gone: the old copy must not pass for today's.
    EXPECT_FALSE(fs::exists(smb.ShareFolder() + "/web/gone.html")) << Log();
    EXPECT_EQ(
        std::distance(fs::directory_iterator(smb.ShareFolder() + "/web"), fs::directory_iterator()),
        1);
}

// Attachments land on the share byte for byte, a second file of the same name under a
// free name found on the share, and a message is deleted on the server only when all its
// files were written there: one whose attachment cannot be written stays.
TEST_F(RemoteToShareTest, MailAttachmentsLandOnTheShareAndOnlyStoredMailIsDeleted) {
    if (!test::DovecotServer::Available()) GTEST_SKIP() << "dovecot not installed";
    const std::string binary = test::BinaryContent(300 * 1024);
    test::DovecotServer pop3({test::AttachmentsMail("one", {{"data.bin", binary}}),
                              test::AttachmentsMail("two", {{"data.bin", "second"}}),
                              test::AttachmentsMail("three", {{"blocked.bin", "cannot land"}})});
    ASSERT_TRUE(pop3.Ready()) << pop3.Log();
    // A folder that is not empty stands where the third message's attachment would go.
    WriteFile(smb.ShareFolder() + "/mail/blocked.bin/inside.txt", "in the way");
    const IniKeys job{{"SendeVerzeichnis", "pop3://" + pop3.Address()},
                      {"SourceLName", pop3.User()},
                      {"SourceLPassword", pop3.Password()},
                      {"EmpfangsVerzeichnis", smb.SharePath() + "/mail"},
                      {"DestLName", smb.User()},
                      {"DestLPassword", smb.Password()},
                      {"EMailSaveHeader", "0"},
                      {"EMailSaveBody", "0"},
                      {"EmailDecodeMessage", "1"},
                      {"SourceDelete", "1"}};
    RunAll({job});
    EXPECT_EQ(station.Log.FailedFiles, 1u) << Log();
    EXPECT_EQ(ReadFile(smb.ShareFolder() + "/mail/data.bin"), binary);
    EXPECT_EQ(ReadFile(smb.ShareFolder() + "/mail/data (2).bin"), "second");
    EXPECT_NE(Log().find("Mail 3 not received"), std::string::npos) << Log();
    // Nothing else on the share (no temporary file), nothing in a local look-alike path.
    EXPECT_EQ(std::distance(fs::directory_iterator(smb.ShareFolder() + "/mail"),
                            fs::directory_iterator()),
              3);
    EXPECT_FALSE(fs::exists(smb.SharePath() + "/mail"));
    EXPECT_TRUE(test::WaitFor([&] {
        const std::string left = pop3.Mailbox();
        return left.find("Subject: one") == std::string::npos &&
               left.find("Subject: two") == std::string::npos &&
               left.find("Subject: three") != std::string::npos;
    })) << pop3.Mailbox();
}

// A share that refuses the logon gets nothing, and every message stays on the server.
TEST_F(RemoteToShareTest, MailToARefusedShareDeletesNothing) {
    if (!test::DovecotServer::Available()) GTEST_SKIP() << "dovecot not installed";
    test::DovecotServer pop3({test::AttachmentsMail("kept", {{"a.bin", "alpha"}})});
    ASSERT_TRUE(pop3.Ready()) << pop3.Log();
    const IniKeys job{{"SendeVerzeichnis", "pop3://" + pop3.Address()},
                      {"SourceLName", pop3.User()},
                      {"SourceLPassword", pop3.Password()},
                      {"EmpfangsVerzeichnis", smb.SharePath() + "/mail"},
                      {"DestLName", smb.User()},
                      {"DestLPassword", "wrong"},
                      {"EMailSaveHeader", "0"},
                      {"EMailSaveBody", "0"},
                      {"EmailDecodeMessage", "1"},
                      {"SourceDelete", "1"}};
    fs::create_directories(smb.ShareFolder() + "/mail");
    RunAll({job});
    EXPECT_GT(Failures(), 0u) << Log();
    EXPECT_FALSE(fs::exists(smb.ShareFolder() + "/mail/a.bin"));
    EXPECT_NE(pop3.Mailbox().find("Subject: kept"), std::string::npos) << pop3.Mailbox();
}

TEST_F(RemoteToShareTest, ARefusedShareLogonFetchesNothing) {
    WriteFile(ftp.Root() + "/out/a.txt", "alpha");
    IniKeys job = FtpToShare("/out/", "/in");
    job["DestLPassword"] = "wrong";
    RunAll({job});
    EXPECT_GT(Failures(), 0u) << Log();
    EXPECT_FALSE(fs::exists(smb.ShareFolder() + "/in/a.txt"));
    EXPECT_TRUE(fs::exists(ftp.Root() + "/out/a.txt"));
}

}  // namespace
}  // namespace ferrolin
