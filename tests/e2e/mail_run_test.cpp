// ferrolin-cli run on mail jobs against a real POP3 server (dovecot) on loopback.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <thread>

#include "files/test_mounts.h"
#include "protocols/mail_samples.h"
#include "support/child_process.h"
#include "support/job_ini.h"
#include "support/mail_servers.h"
#include "support/temp_dir.h"
#include "support/text_count.h"

namespace ferrolin {
namespace {

namespace fs = std::filesystem;
using test::CommandResult;
using test::DovecotServer;
using test::IniKeys;
using test::ReadFile;
using test::TempDir;

// The files of a folder whose names match pattern.
std::vector<std::string> Matching(const std::string& folder, const std::string& pattern) {
    std::vector<std::string> names;
    const std::regex re(pattern);
    for (const auto& entry : fs::directory_iterator(folder))
        if (std::regex_match(entry.path().filename().string(), re))
            names.push_back(entry.path().string());
    return names;
}

class MailRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!DovecotServer::Available()) GTEST_SKIP() << "dovecot is not installed";
    }
    CommandResult Run() {
        return test::RunCommand({FERROLIN_CLI_PATH, "run"}, {{"FERROLIN_HOME", home.path()}});
    }
    std::string Log() { return ReadFile(home / "Ferrolin.log"); }
    // A job against another POP3 peer, with the user of DovecotServer.
    static IniKeys PeerJob(const std::string& address, const std::string& dest) {
        return {{"SendeVerzeichnis", address}, {"SourceLName", "station"},
                {"SourceLPassword", "secret"}, {"EmpfangsVerzeichnis", dest},
                {"EMailSaveHeader", "0"},      {"EMailSaveBody", "0"},
                {"EmailDecodeMessage", "1"}};
    }
    static IniKeys MailJob(const DovecotServer& server, const std::string& dest,
                           const std::string& password = "") {
        return {{"SendeVerzeichnis", "pop3://" + server.Address()},
                {"SourceLName", server.User()},
                {"SourceLPassword", password.empty() ? server.Password() : password},
                {"EmpfangsVerzeichnis", dest},
                {"EMailSaveHeader", "0"},
                {"EMailSaveBody", "0"},
                {"EmailDecodeMessage", "1"}};
    }

    TempDir home, dst;
    // The text attachment as it arrives over POP3: line breaks on the wire are CR LF.
    const std::string quotedText =
        "Gr\xC3\xBC\xC3\x9F"
        "e = greetings\r\nsecond line";
    const std::string stamp = "[0-9]{8}-[0-9A-F]{8}";
};

TEST_F(MailRunTest, PlainAndMimeMailsBecomeHeaderBodyPartAndAttachmentFiles) {
    const std::string binary = test::BinaryContent(300 * 1024);
    DovecotServer server({test::kPlainMail, test::TwoAttachmentMail(binary, "data.bin")});
    ASSERT_TRUE(server.Ready()) << server.Log();
    IniKeys job = MailJob(server, dst.path());
    job["EMailSaveHeader"] = "1";
    job["EMailSaveBody"] = "1";
    test::WriteJobIni(home.path(), {}, {job});

    const CommandResult result = Run();
    EXPECT_EQ(result.exitCode, 0) << result.errors << Log();
    EXPECT_EQ(ReadFile(dst / "data.bin"), binary);
    EXPECT_EQ(ReadFile(dst / "notes.txt"), quotedText);
    // One header file per message (two in the same millisecond share a name).
    const auto heads = Matching(dst.path(), stamp + " Head\\.txt");
    ASSERT_GE(heads.size(), 1u);
    bool mimeSubject = false;
    for (const std::string& head : heads) {
        const std::string text = ReadFile(head);
        EXPECT_TRUE(text == "Daily report\r\n" || text == "Lieferung f\xC3\xBCr heute\r\n") << text;
        mimeSubject = mimeSubject || text == "Lieferung f\xC3\xBCr heute\r\n";
    }
    EXPECT_TRUE(mimeSubject);
    // Body.txt holds the last message's body (the preamble); its text part has its own file.
    EXPECT_NE(ReadFile(dst / "Body.txt").find("This is a multi-part message in MIME format."),
              std::string::npos);
    const auto parts = Matching(dst.path(), stamp + " Body\\.txt");
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(ReadFile(parts[0]), "See the files.\r\nRegards\r\n");
    EXPECT_EQ(test::CountOccurrences(Log(), "receive of mail successful"), 2) << Log();
    // Without "delete" the messages stay on the server, and no hidden file stays behind.
    EXPECT_NE(server.Mailbox().find("Daily report"), std::string::npos);
    EXPECT_TRUE(Matching(dst.path(), "\\..*").empty());
}

TEST_F(MailRunTest, HostileNamesMalformedMailsAndDeletionOnlyOfWhatWasStored) {
    const std::string malformed =
        "Subject: broken\nContent-Type: multipart/mixed; boundary=x\n\n--x\n"
        "Content-Type: application/octet-stream; name=bad.bin\n"
        "Content-Transfer-Encoding: base64\n\n!!!@@@###\n";
    std::string deep = "Subject: deep\nMIME-Version: 1.0\n";
    for (int level = 0; level < 70; ++level)
        deep += "Content-Type: multipart/mixed; boundary=b" + std::to_string(level) + "\n\n--b" +
                std::to_string(level) + "\n";
    deep += "Content-Type: application/pdf; name=deep.pdf\n\nPDF\n";
    DovecotServer server({test::TwoAttachmentMail("abc", "../../escape.bin", ""), malformed,
                          test::TwoAttachmentMail("xyz", "blocked.bin"), test::kPlainMail, deep});
    ASSERT_TRUE(server.Ready()) << server.Log();
    fs::create_directories(dst / "blocked.bin");  // a folder where that attachment should go
    IniKeys job = MailJob(server, dst.path());
    job["SourceDelete"] = "1";
    job["EMailSaveHeader"] = "1";
    test::WriteJobIni(home.path(), {}, {job});

    const CommandResult result = Run();
    EXPECT_EQ(result.exitCode, 1) << result.errors << Log();
    const std::string log = Log();
    // The hostile name stays inside the folder; an empty name gets a made-up one.
    EXPECT_EQ(ReadFile(dst / "escape.bin"), "abc");
    EXPECT_FALSE(fs::exists(fs::path(dst.path()).parent_path() / "escape.bin"));
    EXPECT_NE(log.find("Attachment name \"../../escape.bin\" changed to \"escape.bin\""),
              std::string::npos)
        << log;
    const auto generated = Matching(dst.path(), stamp + " Attachment 3\\.bin");
    ASSERT_EQ(generated.size(), 1u);
    EXPECT_EQ(ReadFile(generated[0]), quotedText);
    // The message whose attachment could not be stored is named in the log and stays on the
    // server; the mail after it is handled and deleted like the first one.
    EXPECT_NE(log.find("Mail 3 not received: "), std::string::npos) << log;
    // Broken base64 and parts nested too deep to reach: logged, and the mail stays.
    EXPECT_NE(log.find("Mail 2 not received: The base64 text of part \"bad.bin\" is broken"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("Mail 5 not received: The message nests its parts more than 64 levels"),
              std::string::npos)
        << log;
    EXPECT_FALSE(fs::exists(dst / "bad.bin"));
    EXPECT_FALSE(fs::exists(dst / "deep.pdf"));
    EXPECT_TRUE(fs::is_directory(dst / "blocked.bin"));
    EXPECT_GE(test::CountOccurrences(log, "receive of mail successful"), 2) << log;
    EXPECT_EQ(Matching(dst.path(), stamp + " Head\\.txt").empty(), false);
    ASSERT_TRUE(test::WaitFor([&] {
        return server.Mailbox().find("Daily report") == std::string::npos;
    })) << server.Mailbox();
    const std::string left = server.Mailbox();
    EXPECT_EQ(left.find("escape.bin"), std::string::npos);
    EXPECT_NE(left.find("blocked.bin"), std::string::npos);
    EXPECT_NE(left.find("Subject: broken"), std::string::npos);
    EXPECT_NE(left.find("Subject: deep"), std::string::npos);
}

TEST_F(MailRunTest, NoDecodeKeepsTheRawMessageAndEraseFirstClearsTheFolder) {
    DovecotServer server({test::TwoAttachmentMail("abc", "data.bin")});
    ASSERT_TRUE(server.Ready()) << server.Log();
    IniKeys raw = MailJob(server, dst.path());
    raw["EMailSaveBody"] = "1";
    raw["EmailDecodeMessage"] = "0";
    TempDir erased;
    test::WriteFile(erased / "old.txt", "from yesterday");
    IniKeys erase = MailJob(server, erased.path());
    erase["EMailSaveHeader"] = "1";
    erase["EmailEraseFirst"] = "1";
    test::WriteJobIni(home.path(), {}, {raw, erase});

    const CommandResult result = Run();
    EXPECT_EQ(result.exitCode, 0) << result.errors << Log();
    // No parts split off: the body is the whole message as sent, and nothing else is written.
    const std::string body = ReadFile(dst / "Body.txt");
    EXPECT_NE(body.find("--BOUNDARY"), std::string::npos) << body;
    EXPECT_NE(body.find("Content-Disposition: attachment; filename=\"data.bin\""),
              std::string::npos);
    EXPECT_FALSE(fs::exists(dst / "data.bin"));
    EXPECT_TRUE(Matching(dst.path(), stamp + " Body\\.txt").empty());
    // "Erase first" removes the old file and the header file just written; the attachments
    // come after it.
    EXPECT_FALSE(fs::exists(erased / "old.txt"));
    EXPECT_TRUE(Matching(erased.path(), stamp + " Head\\.txt").empty());
    EXPECT_EQ(ReadFile(erased / "data.bin"), "abc");
    EXPECT_EQ(ReadFile(erased / "notes.txt"), quotedText);
}

TEST_F(MailRunTest, EmptyMailboxIsQuietABadLoginFailsTheRun) {
    DovecotServer server({});
    ASSERT_TRUE(server.Ready()) << server.Log();
    test::WriteJobIni(home.path(), {}, {MailJob(server, dst.path())});
    CommandResult result = Run();
    EXPECT_EQ(result.exitCode, 0) << result.errors << Log();
    EXPECT_EQ(result.errors.find("error:"), std::string::npos) << result.errors;
    EXPECT_TRUE(fs::is_empty(dst.path()));

    test::WriteJobIni(home.path(), {}, {MailJob(server, dst.path(), "wrong")});
    result = Run();
    EXPECT_EQ(result.exitCode, 1) << result.errors << Log();
    EXPECT_NE(result.errors.find("Connection to pop3://" + server.Address() + " failed"),
              std::string::npos)
        << result.errors;
    EXPECT_EQ(Log().find("receive of mail"), std::string::npos);
}

// The same name twice in one mail and in two mails: every file received stays, the later
// ones under free names, and the mails (all stored whole) are deleted.
TEST_F(MailRunTest, SameNamesInOneRunGetFreeNames) {
    test::WriteFile(dst / "report (2).csv", "from an earlier run");
    DovecotServer server(
        {test::AttachmentsMail("one", {{"dup.txt", "first"}, {"dup.txt", "second"}}),
         test::AttachmentsMail("two", {{"report.csv", "monday"}}),
         test::AttachmentsMail("three", {{"report.csv", "tuesday"}})});
    ASSERT_TRUE(server.Ready()) << server.Log();
    IniKeys job = MailJob(server, dst.path());
    job["SourceDelete"] = "1";
    test::WriteJobIni(home.path(), {}, {job});

    const CommandResult result = Run();
    EXPECT_EQ(result.exitCode, 0) << result.errors << Log();
    EXPECT_EQ(ReadFile(dst / "dup.txt"), "first");
    EXPECT_EQ(ReadFile(dst / "dup (2).txt"), "second");
    EXPECT_EQ(ReadFile(dst / "report.csv"), "monday");
    EXPECT_EQ(ReadFile(dst / "report (2).csv"), "from an earlier run");
    EXPECT_EQ(ReadFile(dst / "report (3).csv"), "tuesday");
    EXPECT_NE(Log().find("File " + dst / "report.csv was received before in this run; saved as " +
                         dst / "report (3).csv"),
              std::string::npos)
        << Log();
    EXPECT_TRUE(test::WaitFor([&] {
        const std::string left = server.Mailbox();
        return left.find("Subject: one") == std::string::npos &&
               left.find("Subject: two") == std::string::npos &&
               left.find("Subject: three") == std::string::npos;
    })) << server.Mailbox();
}

// A session cut 30 KB into the retrieval of a 48 KB attachment: the piece is no file, no
// command goes out on a new session, and the deletion asked for earlier in the lost
// session never happens.
TEST_F(MailRunTest, ACutSessionStoresNoPieceAndDeletesNothing) {
    if (!test::Pop3TestPeer::Available()) GTEST_SKIP() << "python3 missing";
    const std::string attachment = test::BinaryContent(48 * 1024);
    DovecotServer server({test::kPlainMail, test::AttachmentsMail("big", {{"big.bin", attachment}}),
                          test::AttachmentsMail("after", {{"after.bin", "x"}})});
    ASSERT_TRUE(server.Ready()) << server.Log();
    test::Pop3TestPeer proxy(server.Port(), 30 * 1024);
    ASSERT_TRUE(proxy.Ready()) << proxy.Log();
    IniKeys job = MailJob(server, dst.path());
    job["SendeVerzeichnis"] = "pop3://" + proxy.Address();
    job["SourceDelete"] = "1";
    test::WriteJobIni(home.path(), {}, {job});

    const CommandResult result = Run();
    EXPECT_EQ(result.exitCode, 1) << result.errors << Log();
    const std::string log = Log();
    EXPECT_NE(log.find("Mail 2 not received: "), std::string::npos) << log;
    EXPECT_NE(log.find("POP3 session lost"), std::string::npos) << log;
    EXPECT_EQ(test::CountOccurrences(log, "receive of mail successful"), 1) << log;
    EXPECT_FALSE(fs::exists(dst / "big.bin"));
    EXPECT_FALSE(fs::exists(dst / "after.bin"));
    EXPECT_TRUE(Matching(dst.path(), "\\..*").empty());
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const std::string left = server.Mailbox();
    for (const char* subject : {"Subject: Daily report", "Subject: big", "Subject: after"})
        EXPECT_NE(left.find(subject), std::string::npos) << subject;
}

// Attachments that cannot be written whole (a full disk): the mail stays on the server,
// and no piece of a file is left.
TEST_F(MailRunTest, AFullDiskKeepsTheMailAndLeavesNoPiece) {
    test::TmpfsMount small(dst / "small", "size=256k");
    if (!small.mounted()) GTEST_SKIP() << "no tmpfs: " << small.error();
    // The retrieved message waits in the temporary folder; its first attachment (300 KB)
    // does not fit the destination.
    DovecotServer server(
        {test::AttachmentsMail("large", {{"a.bin", test::BinaryContent(300 * 1024)},
                                         {"b.bin", test::BinaryContent(300 * 1024)}})});
    ASSERT_TRUE(server.Ready()) << server.Log();
    IniKeys job = MailJob(server, dst / "small");
    job["SourceDelete"] = "1";
    test::WriteJobIni(home.path(), {}, {job});

    const CommandResult result = Run();
    EXPECT_EQ(result.exitCode, 1) << result.errors << Log();
    EXPECT_NE(Log().find("Mail 1 not received: "), std::string::npos) << Log();
    EXPECT_TRUE(fs::is_empty(dst / "small")) << Matching(dst / "small", ".*")[0];
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_NE(server.Mailbox().find("Subject: large"), std::string::npos);
}

// SIGTERM ends a mail job whose server trickles the message or never answers: the run
// ends as cancelled long before the server's stall time-out, with no hidden file left.
TEST_F(MailRunTest, SigtermEndsATricklingOrStalledServer) {
    if (!test::Pop3TestPeer::Available()) GTEST_SKIP() << "python3 missing";
    for (const bool stall : {false, true}) {
        test::Pop3TestPeer peer(test::kPlainMail, stall);
        ASSERT_TRUE(peer.Ready()) << peer.Log();
        test::WriteJobIni(home.path(), {}, {PeerJob("pop3://" + peer.Address(), dst.path())});
        std::chrono::steady_clock::time_point signalled;
        const CommandResult result = test::RunCommandWith(
            {FERROLIN_CLI_PATH, "run"}, {{"FERROLIN_HOME", home.path()}}, [&](pid_t pid) {
                test::WaitFor([&] { return peer.Retrievals() > 0; });
                std::this_thread::sleep_for(std::chrono::milliseconds(1200));
                signalled = std::chrono::steady_clock::now();
                kill(pid, SIGTERM);
            });
        const auto took = std::chrono::steady_clock::now() - signalled;
        EXPECT_EQ(result.exitCode, 130) << stall << result.errors << Log();
        EXPECT_LT(took, std::chrono::seconds(10)) << stall;
        EXPECT_TRUE(fs::is_empty(dst.path())) << stall << Matching(dst.path(), ".*")[0];
    }
}

// A mail job into the program folder: "Erase first" leaves the program's own files, an
// attachment named like one of them is skipped, and its mail stays on the server.
TEST_F(MailRunTest, TheProgramsOwnFilesAreNeitherErasedNorReplaced) {
    DovecotServer server({test::AttachmentsMail(
        "settings", {{"Ferrolin.INI", "[Global]\nAnzKopfstellen=0\n"}, {"fine.txt", "fine"}})});
    ASSERT_TRUE(server.Ready()) << server.Log();
    test::WriteFile(home / "old.txt", "from yesterday");
    IniKeys job = MailJob(server, home.path());
    job["SourceDelete"] = "1";
    job["EmailEraseFirst"] = "1";
    test::WriteJobIni(home.path(), {}, {job});

    const CommandResult result = Run();
    EXPECT_EQ(result.exitCode, 1) << result.errors << Log();
    const std::string skipped = " skipped: it is one of the program's own files";
    EXPECT_NE(Log().find("File " + home / "Ferrolin.INI" + skipped), std::string::npos) << Log();
    EXPECT_NE(Log().find("File " + home / "Ferrolin.log" + skipped), std::string::npos) << Log();
    EXPECT_NE(ReadFile(home / "Ferrolin.INI").find("[Kopf0]"), std::string::npos);
    EXPECT_FALSE(fs::exists(home / "old.txt"));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_NE(server.Mailbox().find("Subject: settings"), std::string::npos);
}

// An address written with its password never shows it: not in the log, the status
// lines or the error lines.
TEST_F(MailRunTest, APasswordInTheAddressNeverShows) {
    const std::string closed = "127.0.0.1:" + std::to_string(test::FreeLoopbackPort(false));
    test::WriteJobIni(home.path(), {}, {PeerJob("pop3://station:Geheim42@" + closed, dst.path())});
    const CommandResult result = Run();
    EXPECT_EQ(result.exitCode, 1);
    for (const std::string& text : {Log(), result.output, result.errors})
        EXPECT_EQ(text.find("Geheim42"), std::string::npos) << text;
    EXPECT_NE(Log().find("pop3://station@" + closed), std::string::npos) << Log();
    EXPECT_NE(result.errors.find("Connection to pop3://station@" + closed + " failed"),
              std::string::npos)
        << result.errors;
}

}  // namespace
}  // namespace ferrolin
