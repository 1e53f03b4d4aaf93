// Server replies and names in Windows-1252.
#include <gtest/gtest.h>

#include "protocols/cp1252.h"
#include "protocols/ftp_replies.h"

namespace ferrolin {
namespace {

TEST(FtpReplies, FeaturesPwdAndRefusals) {
    const std::vector<std::string> lines = {
        "220 Welcome\r\n",
        "230 Login successful.\r\n",
        "211-Features:\r\n",
        " EPSV\r\n",
        " MLST type*;size*;modify*;\r\n",
        " UTF8\r\n",
        "211 End\r\n",
        "257 \"/in \"\"quoted\"\" dir\" is the current directory\r\n"};
    const FtpFeatures features = ParseFeatures(lines);
    EXPECT_TRUE(features.utf8);
    EXPECT_TRUE(features.mlsd);
    EXPECT_EQ(ParsePwdReply(lines).value_or("?"), "/in \"quoted\" dir");
    EXPECT_EQ(LastRefusal(lines), "");

    const FtpFeatures none =
        ParseFeatures({"211-Features:\r\n", " EPSV\r\n", " UTF8X\r\n", "211 End\r\n", " UTF8\r\n"});
    EXPECT_FALSE(none.utf8);  // outside the reply, or another feature's prefix
    EXPECT_FALSE(none.mlsd);
    EXPECT_FALSE(ParsePwdReply({"250 ok\r\n"}).has_value());
    EXPECT_EQ(LastRefusal({"331 Password\r\n", "530 Login incorrect.\r\n", "221 Bye\r\n"}),
              "530 Login incorrect.");
}

// Each command's answer is the last line of its reply; SIZE and MDTM say what they say or
// nothing.
TEST(FtpReplies, FinalRepliesSizesAndTimes) {
    EXPECT_EQ(
        FinalReplies({"220 Welcome\r\n", "211-Features:\r\n", " 213 SIZE\r\n", "211 End\r\n",
                      "350-Ready\r\n", "350 for RNTO\r\n", "250\r\n", "550 No such file.\r\n"}),
        (std::vector<std::string>{"220 Welcome", "211 End", "350 for RNTO", "250",
                                  "550 No such file."}));
    EXPECT_EQ(FtpReplyCode("550 x"), 550);
    EXPECT_EQ(FtpReplyCode("55 x"), 0);
    EXPECT_EQ(ParseSizeReply("213 5000000000\r\n"), 5000000000LL);
    EXPECT_EQ(ParseMdtmReply("213 20130725054900\r\n"), 1374731340);
    EXPECT_EQ(ParseMdtmReply("213 20130725054900.123"), 1374731340);
    for (const char* bad : {"550 SIZE not allowed in ASCII mode.", "213 12a", "213 "}) {
        EXPECT_FALSE(ParseSizeReply(bad).has_value()) << bad;
        EXPECT_FALSE(ParseMdtmReply(bad).has_value()) << bad;
    }
    EXPECT_FALSE(ParseMdtmReply("213 2013072505490").has_value());   // a digit short
    EXPECT_FALSE(ParseMdtmReply("213 20131325054900").has_value());  // month 13
}

TEST(Cp1252, NamesRoundTripAndConvert) {
    EXPECT_EQ(Cp1252ToUtf8("M\xfcller.txt"), "M\xc3\xbcller.txt");
    EXPECT_EQ(Cp1252ToUtf8("\x80 \x9f"), "\xe2\x82\xac \xc5\xb8");  // Euro sign, Y diaeresis
    EXPECT_EQ(Utf8ToCp1252("M\xc3\xbcller.txt").value_or("?"), "M\xfcller.txt");
    EXPECT_EQ(Utf8ToCp1252("\xe2\x82\xac").value_or("?"), "\x80");
    // Every byte survives the way there and back, the undefined five included.
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)).value_or("?"), all);
    // Not representable, or not UTF-8 at all.
    EXPECT_FALSE(Utf8ToCp1252("\xe4\xb8\xad").has_value());  // a CJK character
    EXPECT_FALSE(Utf8ToCp1252("\xc3").has_value());          // cut short
    EXPECT_FALSE(Utf8ToCp1252("\xc0\xaf").has_value());      // overlong "/"
    EXPECT_FALSE(Utf8ToCp1252("\xff").has_value());
}

}  // namespace
}  // namespace ferrolin
