// The mail kind's session handling and the HTTP kind's target names.
#include <gtest/gtest.h>

#include "common/datetime.h"
#include "engine/http_kind.h"
#include "engine/mail_kind.h"
#include "protocols/mail_samples.h"
#include "station/station.h"
#include "support/mail_servers.h"
#include "support/recording_surfaces.h"
#include "support/temp_dir.h"
#include "support/text_count.h"

namespace ferrolin {
namespace {

using test::DovecotServer;
using test::TempDir;

TEST(HttpTargetPath, FolderNameDefaultNameAndStamp) {
    const TDateTime moment = EncodeDateTime({2026, 12, 8}, {14, 30, 5, 0});
    EXPECT_EQ(HttpTargetPath("/in/page.html", false, "yymmddhhnnss", moment), "/in/page.html");
    EXPECT_EQ(HttpTargetPath("/in/page.html", true, "yymmddhhnnss", moment),
              "/in/page261208143005.html");
    // A last component without "." is a folder: the download gets the default name there.
    EXPECT_EQ(HttpTargetPath("/in", true, "yymmddhhnnss", moment), "/in/DefaultName261208143005.xxx");
    EXPECT_EQ(HttpTargetPath("/in/sub", false, "", moment), "/in/sub/DefaultName.xxx");
    EXPECT_EQ(FileNamePart("/in/sub", false), "sub");
    EXPECT_EQ(FileNamePart("page.html", true), "page.html");
}

TEST(ConnectPop3, ListsTheMailboxAndClosesASessionLeftOpen) {
    if (!DovecotServer::Available()) GTEST_SKIP() << "dovecot is not installed";
    DovecotServer server({test::kPlainMail, test::kPlainMail, test::kPlainMail});
    ASSERT_TRUE(server.Ready()) << server.Log();
    TempDir home;
    test::RecordingSurfaces surfaces;
    Station station(home.path(), surfaces);
    TransferJob job;
    job.source = server.Address();
    job.sourceUser = server.User();
    job.sourcePassword = server.Password();

    const SourceListing first = ListMailSource(station, job, nullptr);
    ASSERT_EQ(first.entries.size(), 3u);
    EXPECT_EQ(first.entries[2].name, "Mail 3");
    EXPECT_EQ(first.entries[2].number, 3);
    EXPECT_EQ(first.entries[2].kind, EntryKind::MailMessage);
    EXPECT_TRUE(station.Pop3.Connected());
    // A job that listed but never got to receive leaves the session open: the next
    // mail job closes it first and says so.
    const SourceListing second = ListMailSource(station, job, nullptr);
    EXPECT_EQ(second.entries.size(), 3u);
    EXPECT_EQ(test::CountOccurrences(test::ReadFile(station.LogFile),
                                     "Close Pop 3 becouse it was still open"),
              1);
    EXPECT_TRUE(surfaces.errors.empty());

    // Cancel stops before the first message; the session is closed all the same.
    station.Copy.Cancel.Stop();
    job.destination = home.path();
    ReceiveMail(station, job, second);
    EXPECT_FALSE(station.Pop3.Connected());
    EXPECT_EQ(test::ReadFile(station.LogFile).find("receive of mail"), std::string::npos);
    EXPECT_EQ(station.FailedFiles, 0u);
}

}  // namespace
}  // namespace ferrolin
