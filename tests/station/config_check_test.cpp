// "check" on hand-written configurations: each finding on the line it is about, and a
// clean file with none.
#include "station/config_check.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/ftp_servers.h"
#include "support/temp_dir.h"

namespace ferrolin {
namespace {

using test::TempDir;
using test::WriteFile;

struct Expected {
    size_t line;
    FindingKind kind;
};

std::vector<Expected> Found(const std::vector<ConfigFinding>& findings) {
    std::vector<Expected> found;
    for (const ConfigFinding& f : findings) found.push_back({f.line, f.kind});
    return found;
}

bool operator==(const Expected& a, const Expected& b) {
    return a.line == b.line && a.kind == b.kind;
}

void PrintTo(const Expected& e, std::ostream* out) {
    *out << "line " << e.line << " kind " << static_cast<int>(e.kind);
}

TEST(ConfigCheckLines, EachFindingOnItsLine) {
    using K = FindingKind;
    struct Case {
        const char* what;
        const char* text;
        std::vector<Expected> expected;
    };
    const std::vector<Case> cases = {
        {"clean",
         "; comment\n[Global]\nAnzKopfstellen=1\nAuto=1\nTimeoutControl=2\nMondayFu10=06:00 "
         "00:10:00;22:00 --;\n[Kopf0]\nCopyMode=4\nParsingType=7\nDestDelDelay=\nMaxByteRate=2.5\n"
         "[InternetDateTimeSync]\nServer=time.example:123\nInterval=01:00\nTimeOffset=-20\n",
         {}},
        {"unknown key and section",
         "[Global]\nAnzKopfstellen=0\nAutoo=1\n[Extras]\nx=1\n",
         {{3, K::UnknownKey}, {4, K::UnknownSection}}},
        {"choices out of range",
         "[Global]\nAnzKopfstellen=1\nSendTimeMode=2\n[Kopf0]\nCopyMode=5\nSourceType=-1\n"
         "Modemspeed=x\n",
         {{3, K::BadValue}, {5, K::BadValue}, {6, K::BadValue}, {7, K::BadValue}}},
        {"numbers and times",
         "[Global]\nAnzKopfstellen=70000\nRebootAfterTimeout=5 "
         "min\nSendTimeSimpleInterval=25:00:00\n"
         "TuesdayFu10=6 Uhr;\n",
         {{2, K::BadValue}, {3, K::BadValue}, {4, K::BadValue}, {5, K::BadValue}}},
        {"job values",
         "[Global]\nAnzKopfstellen=1\n[Kopf0]\nDestDelDelay=3 days\nMaxByteRate=-1\nActive=yes\n",
         {{4, K::BadValue}, {5, K::BadValue}, {6, K::BadValue}}},
        {"safety rails",
         "[Global]\nAnzKopfstellen=1\nDurableCopies=1\n[Kopf0]\nMaxDelete=25%\nMaxDelete=x\n"
         "SettleSeconds=60\nAllowEmptySource=1\n[Kopf1]\n",
         {{6, K::DuplicateKey}, {9, K::JobPastCount}}},
        {"safety rail values",
         "[Global]\nAnzKopfstellen=1\nDurableCopies=y\n[Kopf0]\nMaxDelete=101%\n"
         "SettleSeconds=-5\nMaxDelete=1\n",
         {{3, K::BadValue}, {5, K::BadValue}, {6, K::BadValue}, {7, K::DuplicateKey}}},
        {"time sync",
         "[InternetDateTimeSync]\nServer=host:99999\nMaxCorrection=1.5\n",
         {{2, K::BadValue}, {3, K::BadValue}}},
        {"alarm",
         "[Alarm]\nOn=change\nMailTo=a@x\nSmtpServer=smtps://mail:465\nQuietMinutes=15\n"
         "On=sometimes\nSmtpServer=mail:25\nQuietMinutes=soon\nPager=1\n",
         {{6, K::DuplicateKey}, {7, K::DuplicateKey}, {8, K::DuplicateKey}, {9, K::UnknownKey}}},
        {"alarm values",
         "[Alarm]\nOn=sometimes\nSmtpServer=mail:25\nQuietMinutes=soon\n",
         {{2, K::BadValue}, {3, K::BadValue}, {4, K::BadValue}}},
        {"job sections past the count",
         "[Global]\nAnzKopfstellen=1\n[Kopf0]\n[Kopf1]\nName=x\n",
         {{4, K::JobPastCount}}},
        {"duplicates and strays",
         "Name=before any section\n[Global]\nAuto=1\nauto=0\nno equals sign\n[global]\nAuto=0\n",
         {{1, K::StrayLine}, {4, K::DuplicateKey}, {5, K::StrayLine}, {6, K::DuplicateSection}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Found(CheckConfigLines(c.text)), c.expected) << c.what;
    }
}

TEST(ConfigCheckLines, TextsNameTheKeyAndWhatIsAllowed) {
    const auto findings = CheckConfigLines("[Global]\nAnzKopfstellen=1\n[Kopf0]\nCopyMode=9\n");
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(FindingText(findings[0]),
              "[Kopf0] CopyMode=9: not a value the program can use; use 0 to 4");
}

class ConfigCheckJobs : public ::testing::Test {
  protected:
    std::string Ini() const { return home / "Ferrolin.INI"; }
    std::vector<Expected> Check(const std::string& jobs, int count) {
        WriteFile(Ini(), "[Global]\nAnzKopfstellen=" + std::to_string(count) + "\n" + jobs);
        return Found(CheckConfigJobs(Ini(), home.path()));
    }
    TempDir home;
    TempDir data;
};

TEST_F(ConfigCheckJobs, FoldersAddressesAndWhereTheDestinationLies) {
    using K = FindingKind;
    std::filesystem::create_directories(data / "in/sub");
    std::filesystem::create_directories(data / "out");
    std::filesystem::create_directories(data / "v1.2");
    std::filesystem::create_symlink(data / "in", data / "link-to-in");
    const std::string in = data / "in";
    const std::string out = data / "out";
    struct Case {
        const char* what;
        std::string job;
        std::vector<Expected> expected;
    };
    const std::vector<Case> cases = {
        {"clean folder job", "SendeVerzeichnis=" + in + "/*.mpg\nEmpfangsVerzeichnis=" + out, {}},
        {"missing source",
         "SendeVerzeichnis=" + data / "gone" + "\nEmpfangsVerzeichnis=" + out,
         {{4, K::MissingFolder}}},
        {"missing destination",
         "SendeVerzeichnis=" + in + "\nEmpfangsVerzeichnis=" + data / "nope",
         {{5, K::MissingFolder}}},
        {"destination is source",
         "SendeVerzeichnis=" + in + "\nEmpfangsVerzeichnis=" + in + "/",
         {{5, K::DestinationIsSource}}},
        {"destination inside source through a link",
         "SendeVerzeichnis=" + data / "link-to-in" + "\nEmpfangsVerzeichnis=" + in + "/sub",
         {{5, K::DestinationInsideSource}}},
        {"destination is the program folder",
         "SendeVerzeichnis=" + in + "\nEmpfangsVerzeichnis=" + home.path(),
         {{5, K::DestinationIsProgramFolder}}},
        {"dotted folder read as a mask",
         "SendeVerzeichnis=" + data / "v1.2" + "\nEmpfangsVerzeichnis=" + out,
         {{4, K::MaskNamesFolder}, {5, K::DestinationInsideSource}}},
        {"ftp without host",
         "SendeVerzeichnis=ftp:///in\nEmpfangsVerzeichnis=" + out,
         {{4, K::BadAddress}}},
        {"ftp upload with bad port",
         "SendeVerzeichnis=" + in + "\nEmpfangsVerzeichnis=ftp://host:0/in",
         {{5, K::BadAddress}}},
        {"http without host",
         "SendeVerzeichnis=http:///x\nEmpfangsVerzeichnis=" + out + "/x.html",
         {{4, K::BadAddress}}},
        {"http into a missing folder",
         "SendeVerzeichnis=http://host/x\nEmpfangsVerzeichnis=" + data / "nope/x.html",
         {{5, K::MissingFolder}}},
        {"mail with bad port",
         "SendeVerzeichnis=pop3://mail:x\nEmpfangsVerzeichnis=" + out,
         {{4, K::BadAddress}}},
        {"share without share name",
         "SendeVerzeichnis=//server\nEmpfangsVerzeichnis=" + out,
         {{4, K::BadAddress}}},
        {"missing list file and compare list",
         "SourceType=5\nSendeVerzeichnis=" + data / "list.txt" + "\nEmpfangsVerzeichnis=" + out +
             "\nCLFile=" + data / "cl.txt",
         {{5, K::MissingFile}, {7, K::MissingFile}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Check("[Kopf0]\n" + c.job + "\n", 1), c.expected) << c.what;
    }
    // Jobs past the count are not looked at.
    EXPECT_EQ(Check("[Kopf0]\nSendeVerzeichnis=/nowhere\n", 0), std::vector<Expected>{});
}

TEST(ConfigCheckConnect, RefusedLogonsAreFindingsAndNothingIsWritten) {
    if (!test::PyFtpServer::Available()) GTEST_SKIP() << "pyftpdlib is not installed";
    test::PyFtpServer server;
    ASSERT_TRUE(server.Ready()) << server.Log();
    TempDir home;
    const std::string address = "ftp://" + server.Address() + "/";
    test::WriteFile(home / "Ferrolin.INI",
                    "[Global]\nAnzKopfstellen=3\n"
                    "[Kopf0]\nSendeVerzeichnis=" +
                        address +
                        "\nSourceLName=tester\n"
                        "SourceLPassword=secret\nEmpfangsVerzeichnis=" +
                        home.path() +
                        "\n"
                        "[Kopf1]\nSendeVerzeichnis=" +
                        address +
                        "\nSourceLName=tester\n"
                        "SourceLPassword=wrong\nEmpfangsVerzeichnis=" +
                        home.path() +
                        "\n"
                        "[Kopf2]\nSendeVerzeichnis=" +
                        address +
                        "missing\nSourceLName=tester\n"
                        "SourceLPassword=secret\nEmpfangsVerzeichnis=" +
                        home.path() + "\n");
    auto tree = [&] {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::recursive_directory_iterator(server.Root()))
            names.push_back(e.path().string() + " " +
                            std::to_string(e.is_regular_file() ? e.file_size() : 0));
        return names;
    };
    const auto before = tree();
    const auto findings = CheckConfigConnections(home / "Ferrolin.INI");
    ASSERT_EQ(Found(findings), (std::vector<Expected>{{9, FindingKind::LogonFailed},
                                                      {14, FindingKind::LogonFailed}}));
    EXPECT_NE(FindingText(findings[1]).find("folder /missing/"), std::string::npos)
        << FindingText(findings[1]);
    EXPECT_EQ(FindingText(findings[0]).find("wrong"), std::string::npos) << "no password shown";
    EXPECT_EQ(tree(), before);
}

}  // namespace
}  // namespace ferrolin
