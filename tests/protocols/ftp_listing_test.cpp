// The listing parser against the line forms real servers send, one table per family.
#include "protocols/ftp_listing.h"

#include <gtest/gtest.h>

namespace ferrolin {
namespace {

// 2026-12-09 12:00 UTC: the reference "now" for lines that give a time and no year.
const int64_t kNow = *UtcCalendarToUnix(2026, 12, 9, 12, 0, 0);

int64_t FileTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return *UtcCalendarToUnix(year, month, day, hour, minute, second) * 10'000'000 +
           116444736000000000LL;
}

struct LineCase {
    const char* line;
    const char* name;
    int64_t size;
    int64_t fileTime;
    FtpEntryType type;
    const char* linkTarget = "";
};

void ExpectEntry(const std::optional<FtpEntry>& entry, const LineCase& c) {
    ASSERT_TRUE(entry.has_value()) << c.line;
    EXPECT_EQ(entry->name, c.name) << c.line;
    EXPECT_EQ(entry->serverName, c.name) << c.line;
    EXPECT_EQ(entry->size, c.size) << c.line;
    EXPECT_EQ(entry->fileTime, c.fileTime) << c.line;
    EXPECT_EQ(entry->type, c.type) << c.line;
    EXPECT_EQ(entry->linkTarget, c.linkTarget) << c.line;
}

TEST(FtpListingUnix, ParsesTheFormsServersSend) {
    const LineCase cases[] = {
        {"drwxr-xr-x    2 owner    group        4096 Jul 25  2013 folder", "folder", 4096,
         FileTime(2013, 7, 25), FtpEntryType::Directory},
        {"-rw-r--r--    1 owner    group         123 Jul 25 05:49 name with  blanks",
         "name with  blanks", 123, FileTime(2026, 7, 25, 5, 49), FtpEntryType::File},
        {"lrwxrwxrwx    1 owner    group           7 Jan  1  2020 link -> target dir", "link", 7,
         FileTime(2020, 1, 1), FtpEntryType::Link, "target dir"},
        // No group column; a name made of digits that looks like a year.
        {"-rw-r--r--    1 owner              123 Jul 25  2013 2014", "2014", 123,
         FileTime(2013, 7, 25), FtpEntryType::File},
        // Neither owner nor group.
        {"-rw-r--r--    1      123 Jul 25  2013 file", "file", 123, FileTime(2013, 7, 25),
         FtpEntryType::File},
        // Numeric owner and group are not taken for the size; a digit name with a blank.
        {"-rw-r--r--    1 1000     1000           99 Jul 25  2013 12 34", "12 34", 99,
         FileTime(2013, 7, 25), FtpEntryType::File},
        // A name that itself looks like a date.
        {"-rw-r--r--    1 o g 10 Feb  3 10:00 Mar 4 2020", "Mar 4 2020", 10,
         FileTime(2026, 2, 3, 10, 0), FtpEntryType::File},
        // ACL mark after the permissions; sizes beyond 32 bits.
        {"-rw-r--r--+   1 o g 5000000000 Jul 25  2013 big", "big", 5000000000LL,
         FileTime(2013, 7, 25), FtpEntryType::File},
        // ls --time-style=long-iso.
        {"-rw-r--r-- 1 o g 5 2013-07-25 05:49 iso name", "iso name", 5,
         FileTime(2013, 7, 25, 5, 49), FtpEntryType::File},
        {"-rw-r--r-- 1 o g 5 2013-07-25 05:49:17 iso seconds", "iso seconds", 5,
         FileTime(2013, 7, 25, 5, 49, 17), FtpEntryType::File},
        // Tabs between the columns; month in capitals.
        {"-rw-r--r--\t1\towner\tgroup\t8\tJUL\t25\t2013\ttabbed", "tabbed", 8,
         FileTime(2013, 7, 25), FtpEntryType::File},
        // One blank separates date and name: a leading blank belongs to the name.
        {"-rw-r--r--    1 o g 4 Jul 25  2013  lead.txt", " lead.txt", 4, FileTime(2013, 7, 25),
         FtpEntryType::File},
        // Other entry kinds are kept as such.
        {"prw-r--r--    1 o g 0 Jul 25  2013 fifo", "fifo", 0, FileTime(2013, 7, 25),
         FtpEntryType::Other},
    };
    for (const LineCase& c : cases) ExpectEntry(ParseUnixListLine(c.line, kNow), c);
}

TEST(FtpListingUnix, PlacesYearlessTimesInThePast) {
    // Up to a day ahead counts as this year (clock skew); further ahead is last year.
    auto tomorrow = ParseUnixListLine("-rw-r--r-- 1 o g 1 Dec 10 05:49 a", kNow);
    auto later = ParseUnixListLine("-rw-r--r-- 1 o g 1 Dec 11 05:49 b", kNow);
    auto leap = ParseUnixListLine("-rw-r--r-- 1 o g 1 Feb 29 10:00 c", kNow);
    ASSERT_TRUE(tomorrow && later && leap);
    EXPECT_EQ(tomorrow->fileTime, FileTime(2026, 12, 10, 5, 49));
    EXPECT_EQ(later->fileTime, FileTime(2025, 12, 11, 5, 49));
    EXPECT_EQ(leap->fileTime, FileTime(2024, 2, 29, 10, 0));  // 2026 has no Feb 29th
    // In January, a December time belongs to the year before.
    const int64_t january = *UtcCalendarToUnix(2027, 1, 2, 0, 0, 0);
    auto december = ParseUnixListLine("-rw-r--r-- 1 o g 1 Dec 31 23:59 d", january);
    ASSERT_TRUE(december);
    EXPECT_EQ(december->fileTime, FileTime(2026, 12, 31, 23, 59));
}

TEST(FtpListingUnix, RejectsWhatIsNotALine) {
    for (const char* line :
         {"", "total 12", "hello world this is not a listing",
          "-rw-r--r-- 1 o g 5 Jul 25 2013",          // no name
          "-rw-r--r-- 1 o g 5 Jul 32 2013 bad day",  // day 32
          "-rw-r--r-- 1 o g 5 Jul 25 25:00 bad hour", "-rw-r--r-- 1 o g x5 Jul 25 2013 sz",
          "xrw-r--r-- 1 o g 5 Jul 25 2013 bad type", "-rw-r--r-- 1 o g 5 Feb 30 2013 feb30"}) {
        EXPECT_FALSE(ParseUnixListLine(line, kNow).has_value()) << line;
    }
}

TEST(FtpListingDos, ParsesTwelveAndTwentyFourHourLines) {
    const LineCase cases[] = {
        {"07-25-13  05:49AM       <DIR>          name", "name", 0, FileTime(2013, 7, 25, 5, 49),
         FtpEntryType::Directory},
        {"07-25-13  05:49PM                 1234 file name.txt", "file name.txt", 1234,
         FileTime(2013, 7, 25, 17, 49), FtpEntryType::File},
        {"07-25-2013  17:49                 1234 x", "x", 1234, FileTime(2013, 7, 25, 17, 49),
         FtpEntryType::File},
        // Single-digit month and hour.
        {"7-25-13  5:49AM  12 single", "single", 12, FileTime(2013, 7, 25, 5, 49),
         FtpEntryType::File},
        // 12 AM is midnight, 12 PM noon; years below 70 are in the 2000s.
        {"12-31-99  12:00AM  1 midnight", "midnight", 1, FileTime(1999, 12, 31, 0, 0),
         FtpEntryType::File},
        {"01-01-00  12:30PM  1 noon", "noon", 1, FileTime(2000, 1, 1, 12, 30), FtpEntryType::File},
        // AM/PM as a word of its own; a digit name.
        {"07-25-13  5:49 PM  12 2013", "2013", 12, FileTime(2013, 7, 25, 17, 49),
         FtpEntryType::File},
        {"07-25-13  05:49AM  <DIR>  dir with  blanks", "dir with  blanks", 0,
         FileTime(2013, 7, 25, 5, 49), FtpEntryType::Directory},
    };
    for (const LineCase& c : cases) ExpectEntry(ParseDosListLine(c.line), c);
}

TEST(FtpListingDos, RejectsImpossibleDatesAndClocks) {
    for (const char* line :
         {"13-25-13  05:49AM  1 month13", "02-30-13  05:49AM  1 feb30", "07-25-13  13:49PM  1 pm13",
          "07-25-13  00:10AM  1 am0", "07-25-13  25:00  1 h25", "07-25-123  05:49AM  1 year3",
          "07-25-13  05:49AM  12x name", "07-25-13  05:49AM  <DIR>"}) {
        EXPECT_FALSE(ParseDosListLine(line).has_value()) << line;
    }
}

TEST(FtpListingMlsd, ReadsFactsAndNames) {
    const LineCase cases[] = {
        {"type=file;size=1024;modify=20130725054900; name with blanks; and semicolon",
         "name with blanks; and semicolon", 1024, FileTime(2013, 7, 25, 5, 49), FtpEntryType::File},
        {"type=dir;modify=20130725054900;perm=el; sub", "sub", 0, FileTime(2013, 7, 25, 5, 49),
         FtpEntryType::Directory},
        {"Type=File;Size=3;Modify=20200101000000; upper", "upper", 3, FileTime(2020, 1, 1),
         FtpEntryType::File},
        {"type=OS.unix=symlink;size=7; link", "link", 7, 0, FtpEntryType::Link},
        {"type=OS.unix=slink:/target;size=7; slink", "slink", 7, 0, FtpEntryType::Link, "/target"},
        {"size=9;type=file; 42", "42", 9, 0, FtpEntryType::File},
        {"type=file;size=1;modify=20130725054900.5; frac", "frac", 1,
         FileTime(2013, 7, 25, 5, 49) + 5'000'000, FtpEntryType::File},
    };
    for (const LineCase& c : cases) ExpectEntry(ParseMlsdLine(c.line), c);
    for (const char* line : {"nofacts", "no facts here", "type=file;size=abc; x",
                             "type=file;modify=2013; x", "type=file;size=1;"}) {
        EXPECT_FALSE(ParseMlsdLine(line).has_value()) << line;
    }
}

TEST(FtpListing, WholeListingsSkipReportAndFlag) {
    const std::string text =
        "total 8\r\n"
        "-rw-r--r-- 1 o g 5 Jul 25  2013 good\r\n"
        "this line is nothing\r\n"
        "\r\n"
        "-rw-r--r-- 1 o g 5 Jul 25  2013 ..\r\n"
        "-rw-r--r-- 1 o g 5 Jul 25  2013 back\\slash\n"
        "-rw-r--r-- 1 o g 5 Jul 25  2013 bell\x07name\n"
        "07-25-13  05:49AM  12 dos in a unix listing\n";
    FtpListing listing = ParseFtpListing(text, FtpListFormat::List, kNow);
    ASSERT_EQ(listing.entries.size(), 5u);
    EXPECT_EQ(listing.entries[0].name, "good");
    EXPECT_FALSE(listing.entries[0].refused);
    EXPECT_TRUE(listing.entries[1].refused);
    EXPECT_TRUE(listing.entries[2].refused);
    EXPECT_TRUE(listing.entries[3].refused);
    EXPECT_EQ(listing.entries[4].name, "dos in a unix listing");
    ASSERT_EQ(listing.skippedLines.size(), 1u);
    EXPECT_EQ(listing.skippedLines[0], "this line is nothing");

    FtpListing mlsd = ParseFtpListing(
        "type=cdir;modify=20130725054900; /in\r\ntype=pdir;modify=20130725054900; ..\r\n"
        "type=file;size=1; a\r\ngarbage\r\n",
        FtpListFormat::Mlsd, kNow);
    ASSERT_EQ(mlsd.entries.size(), 1u);
    EXPECT_EQ(mlsd.entries[0].name, "a");
    EXPECT_EQ(mlsd.skippedLines, std::vector<std::string>{"garbage"});
}

TEST(FtpListing, RefusedNames) {
    for (const char* name :
         {"", ".", "..", "a/b", "/", "a\\b", "tab\there", "nl\nx", "del\x7f", "c1\xc2\x85x"}) {
        EXPECT_TRUE(IsRefusedRemoteName(name)) << name;
    }
    for (const char* name : {"...", ".hidden", "a b", "M\xc3\xbcller.txt", "x..y"}) {
        EXPECT_FALSE(IsRefusedRemoteName(name)) << name;
    }
}

TEST(FtpListing, CalendarToUnix) {
    EXPECT_EQ(*UtcCalendarToUnix(1970, 1, 1, 0, 0, 0), 0);
    EXPECT_EQ(*UtcCalendarToUnix(2000, 3, 1, 0, 0, 0), 951868800);
    EXPECT_EQ(*UtcCalendarToUnix(1601, 1, 1, 0, 0, 0), -11644473600LL);
    EXPECT_FALSE(UtcCalendarToUnix(2023, 2, 29, 0, 0, 0));
    EXPECT_TRUE(UtcCalendarToUnix(2024, 2, 29, 0, 0, 0));
    EXPECT_FALSE(UtcCalendarToUnix(1900, 2, 29, 0, 0, 0));
}

}  // namespace
}  // namespace ferrolin
