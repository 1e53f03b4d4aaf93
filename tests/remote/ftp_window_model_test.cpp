// The FTP window's decisions outside the window: the listing row texts and what a
// download does with a local file that is already there.
#include <gtest/gtest.h>

#include "common/datetime.h"
#include "common/datetime_format.h"
#include "remote/ftp_window_model.h"

namespace ferrolin {
namespace {

TEST(FtpWindowModel, RowsShowSizeTypeAndMonthFirstTimes) {
    FtpEntry file;
    file.name = "report.txt";
    file.size = 1234567890123;
    file.fileTime = LocalDateTimeToFileTime(EncodeDate(2026, 3, 7) + EncodeTime(9, 5, 0));
    FtpEntry folder;
    folder.name = "archive";
    folder.type = FtpEntryType::Directory;
    const auto rows = FtpListingRows({file, folder});
    ASSERT_EQ(rows.size(), 2u);
    const char d = Formats().DateSeparator;
    const char t = Formats().TimeSeparator;
    EXPECT_EQ(rows[0].size, "1234567890123");
    EXPECT_EQ(rows[0].type, "File");
    EXPECT_EQ(rows[0].modified, std::string("03") + d + "07" + d + "2026 09" + t + "05");
    EXPECT_EQ(rows[1].type, "Directory");
    EXPECT_EQ(rows[1].modified, "");  // no time listed: no made-up 1601 date
}

TEST(FtpWindowModel, DownloadPlanFollowsTheAnswerOnlyWhenAFileExists) {
    using Mode = FtpDownloadPlan::Mode;
    const auto fresh = PlanFtpDownload(1000, std::nullopt, Answer::Cancel);
    EXPECT_EQ(fresh.mode, Mode::Overwrite);
    EXPECT_EQ(fresh.bytesToTransfer, 1000);
    const auto resume = PlanFtpDownload(1000, 400, Answer::Yes);
    EXPECT_EQ(resume.mode, Mode::Resume);
    EXPECT_EQ(resume.bytesToTransfer, 600);
    EXPECT_EQ(PlanFtpDownload(1000, 400, Answer::No).mode, Mode::Overwrite);
    EXPECT_EQ(PlanFtpDownload(1000, 400, Answer::Cancel).mode, Mode::Nothing);
}

}  // namespace
}  // namespace ferrolin
