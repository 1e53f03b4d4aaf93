// The address parts a job's FTP text gives, and the progress texts and stall rule.
#include <gtest/gtest.h>

#include "remote/ftp_address.h"
#include "remote/ftp_progress.h"
#include "support/fake_clock.h"

namespace ferrolin {
namespace {

TEST(FtpAddress, HostAndFolder) {
    struct Case {
        const char* address;
        const char* host;
        const char* folder;
    };
    const Case cases[] = {
        {"ftp://host/in/day", "host", "/in/day/"},
        {"host", "host", ""},
        {"FTP://host/", "host", "/"},
        {"ftp://host", "host", ""},
        {"ftp://host/x", "host", "/x/"},
        {"ftp://host/in/", "host", "/in//"},  // a trailing "/" is kept and another added
        {"ftp://host:2121/in", "host:2121", "/in/"},
        {"ftp://user:pw@host/in", "host", "/in/"},
        // The folder is cut at the first "/", credentials are not removed first.
        {"ftp://user/x@host/in", "host", "/x@host/in/"},
        {"ftp://host/a@b/c", "b", "/a@b/c/"},
        {"Ftp://Host/Mixed", "Host", "/Mixed/"},
        // The secure schemes go whole, whatever their length.
        {"sftp://host/in", "host", "/in/"},
        {"SFTP://user@host:2222/in/", "host:2222", "/in//"},
        {"ftps://host:990/out", "host:990", "/out/"},
        {"ftpes://[::1]:21/x", "[::1]:21", "/x/"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FtpHostOf(c.address), c.host) << c.address;
        EXPECT_EQ(FtpFolderOf(c.address), c.folder) << c.address;
    }
    EXPECT_EQ(FtpSchemeOf("sftp://h/"), FtpScheme::Sftp);
    EXPECT_EQ(FtpSchemeOf("FTPES://h/"), FtpScheme::Ftpes);
    EXPECT_EQ(FtpSchemeOf("ftps://h/"), FtpScheme::Ftps);
    EXPECT_EQ(FtpSchemeOf("host/in"), FtpScheme::Ftp);
    EXPECT_EQ(FtpSchemeOf("xftp://h/"), FtpScheme::Ftp);
    EXPECT_EQ(DefaultPort(FtpScheme::Sftp), 22);
    EXPECT_EQ(DefaultPort(FtpScheme::Ftps), 990);
    EXPECT_EQ(DefaultPort(FtpScheme::Ftpes), 21);
}

TEST(FtpProgress, SpeedAndTimeTexts) {
    // 2048 KB left at 1024 KB/s: two seconds; the fields are blank-padded, not zeros.
    EXPECT_EQ(FormatTransferText(true, 1024.0, 3 * 1024 * 1024, 1024 * 1024, '.'),
              "Download speed 1024.00 KB/s; Time remaining  0: 0: 2");
    EXPECT_EQ(FormatTransferText(false, 0.5, 3661LL * 1024, 0, ','),
              "Uploade speed 0,50 KB/s; Time remaining  2: 2: 2");
    // No rate yet: no time part.
    EXPECT_EQ(FormatTransferText(true, 0, 100, 0, '.'), "Download speed 0.00 KB/s; ");
    // More than announced arrived: nothing left rather than a negative time.
    EXPECT_EQ(FormatTransferText(true, 1.0, 10, 5000, '.'),
              "Download speed 1.00 KB/s; Time remaining  0: 0: 0");
}

TEST(FtpProgress, PercentRoundsHalvesToEven) {
    EXPECT_EQ(TransferPercent(0, 0), 0);  // expected size 0
    EXPECT_EQ(TransferPercent(5, -1), 0);
    EXPECT_EQ(TransferPercent(1, 200), 0);  // 0.5 -> 0
    EXPECT_EQ(TransferPercent(3, 200), 2);  // 1.5 -> 2
    EXPECT_EQ(TransferPercent(5, 200), 2);  // 2.5 -> 2
    EXPECT_EQ(TransferPercent(200, 200), 100);
}

TEST(FtpProgress, StallNeedsFiveMinutesWithoutChange) {
    test::FakeClock clock(46000.5);
    StallWatch watch(clock);
    watch.Start();
    clock.Advance(4 * kOneMinute);
    EXPECT_FALSE(watch.Stalled(0));  // within the first window
    clock.Advance(2 * kOneMinute);
    EXPECT_TRUE(watch.Stalled(0));  // nothing moved since the start
    watch.Start();
    clock.Advance(6 * kOneMinute);
    EXPECT_FALSE(watch.Stalled(10));  // moved: a new window begins
    clock.Advance(4 * kOneMinute);
    EXPECT_FALSE(watch.Stalled(10));
    clock.Advance(2 * kOneMinute);
    EXPECT_TRUE(watch.Stalled(10));
}

}  // namespace
}  // namespace ferrolin
