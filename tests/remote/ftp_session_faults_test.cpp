// The session against servers that misbehave: dropped and stalled transfers, Cancel,
// refused commands, hostile names, DOS listings, Windows-1252 names, another server.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <ctime>
#include <thread>

#include "common/datetime_format.h"
#include "remote/ftp_session_fixture.h"
#include "support/text_count.h"

namespace ferrolin::test {
namespace {

constexpr int64_t kMiB = 1024 * 1024;

class FtpSessionFaults : public testing::Test {
  protected:
    void SetUp() override {
        AttachToFace(session_, surfaces_);
        if (!PyFtpServer::Available()) GTEST_SKIP() << "pyftpdlib not installed";
    }
    FtpPeer Start(PyFtpOptions options = {}) {
        FtpPeer peer = StartPyFtp(std::move(options));
        EXPECT_TRUE(peer.daemon().Ready()) << peer.daemon().Log();
        return peer;
    }
    PumpSurfaces surfaces_;
    FtpSession session_{surfaces_};
    TempDir local_;
};

TEST_F(FtpSessionFaults, DroppedConnectionFailsTheFileAndTheNextOperationWorks) {
    PyFtpOptions options;
    options.dropAfter = kMiB;
    FtpPeer peer = Start(options);
    MakeSparseFile(peer.LocalDir() + "/big.bin", 8 * kMiB);
    WriteFile(peer.LocalDir() + "/small.txt", "small");
    chmod((peer.LocalDir() + "/small.txt").c_str(), 0644);
    ASSERT_TRUE(peer.Connect(session_));

    EXPECT_FALSE(session_.ReceiveFile("/pub/big.bin", local_ / "big.bin.tmp", 8 * kMiB));
    EXPECT_EQ(surfaces_.statusTexts.back(), "Exception at receive file: /pub/big.bin");
    EXPECT_EQ(session_.FtpState(), FtpOperationState::Failed);
    EXPECT_LT(LocalFileSize(local_ / "big.bin.tmp"), 8 * kMiB);
    EXPECT_FALSE(session_.TransferringData());

    // libcurl logs in again by itself on the next operation.
    ASSERT_TRUE(session_.ReceiveFile("/pub/small.txt", local_ / "small.tmp", 5))
        << session_.LastError();
    EXPECT_EQ(ReadFile(local_ / "small.tmp"), "small");

    MakeSparseFile(local_ / "up.bin", 8 * kMiB);
    EXPECT_FALSE(session_.SendFile(local_ / "up.bin", "/pub/up.bin", 8 * kMiB));
    EXPECT_EQ(surfaces_.statusTexts.back().rfind("Exception: ", 0), 0u);
    EXPECT_NE(surfaces_.statusTexts.back().find(" at send file:" + (local_ / "up.bin")),
              std::string::npos);
}

TEST_F(FtpSessionFaults, StalledTransferFailsAfterTheStallTimeOut) {
    PyFtpOptions options;
    options.stallAfter = 256 * 1024;
    FtpPeer peer = Start(options);
    MakeSparseFile(peer.LocalDir() + "/big.bin", 4 * kMiB);
    session_.SetTimeOutValues(2000, 2000);
    ASSERT_TRUE(peer.Connect(session_));
    EXPECT_FALSE(session_.ReceiveFile("/pub/big.bin", local_ / "big.tmp", 4 * kMiB));
    EXPECT_EQ(surfaces_.statusTexts.back(), "Exception at receive file: /pub/big.bin");
    EXPECT_FALSE(session_.LastError().empty());
    EXPECT_LT(LocalFileSize(local_ / "big.tmp"), 4 * kMiB);
}

TEST_F(FtpSessionFaults, AbortFromAnotherThreadStopsALargeDownload) {
    PyFtpOptions options;
    options.rate = 20 * kMiB;  // 200 MiB would take ten seconds
    FtpPeer peer = Start(options);
    MakeSparseFile(peer.LocalDir() + "/large.bin", 200 * kMiB);
    ASSERT_TRUE(peer.Connect(session_));

    std::atomic<bool> started{false};
    surfaces_.onPump = [&] {
        if (session_.TransferringData()) started = true;
    };
    std::thread canceller([&] {
        while (!started) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        session_.AbortTransfer();
    });
    const bool ok = session_.ReceiveFile("/pub/large.bin", local_ / "large.tmp", 200 * kMiB);
    canceller.join();
    EXPECT_FALSE(ok);
    EXPECT_EQ(session_.LastError(), "Transfer aborted");
    EXPECT_LT(LocalFileSize(local_ / "large.tmp"), 200 * kMiB);
    // The session is usable afterwards, and a stale abort does not hit the next transfer.
    WriteFile(peer.LocalDir() + "/after.txt", "after");
    chmod((peer.LocalDir() + "/after.txt").c_str(), 0644);
    ASSERT_TRUE(session_.ReceiveFile("/pub/after.txt", local_ / "after.tmp", 5))
        << session_.LastError();
}

TEST_F(FtpSessionFaults, RunCancelTokenStopsALargeUpload) {
    PyFtpOptions options;
    options.rate = 20 * kMiB;
    FtpPeer peer = Start(options);
    MakeSparseFile(local_ / "large.bin", 200 * kMiB);
    CancelToken cancel;
    session_.SetCancelToken(&cancel);
    ASSERT_TRUE(peer.Connect(session_));
    // The Cancel button, clicked while the gauge shows the running upload.
    surfaces_.onPump = [&] {
        if (surfaces_.gaugeText.rfind("Uploade speed ", 0) == 0) cancel.Cancel();
    };
    EXPECT_FALSE(session_.SendFile(local_ / "large.bin", "/pub/large.bin", 200 * kMiB));
    EXPECT_EQ(session_.LastError(), "Transfer aborted");
    EXPECT_LT(LocalFileSize(peer.LocalDir() + "/large.bin"), 200 * kMiB);
}

TEST_F(FtpSessionFaults, DisconnectFromInsideATransferClosesAfterIt) {
    PyFtpOptions options;
    options.rate = 20 * kMiB;
    FtpPeer peer = Start(options);
    MakeSparseFile(peer.LocalDir() + "/large.bin", 100 * kMiB);
    ASSERT_TRUE(peer.Connect(session_));
    surfaces_.onPump = [&] {
        if (session_.TransferringData()) session_.DisconnectFTP();
    };
    EXPECT_FALSE(session_.ReceiveFile("/pub/large.bin", local_ / "large.tmp", 100 * kMiB));
    EXPECT_FALSE(session_.Connected());
    EXPECT_EQ(session_.TransferText(), "Disconnected.");
}

TEST_F(FtpSessionFaults, RefusedCommandsShowTheirTexts) {
    PyFtpOptions options;
    options.refuse = "STOR,DELE,RNFR";
    FtpPeer peer = Start(options);
    WriteFile(local_ / "f.txt", "data");
    ASSERT_TRUE(peer.Connect(session_));
    EXPECT_FALSE(session_.SendFile(local_ / "f.txt", "/pub/f.txt", 4));
    const std::string sendText = surfaces_.statusTexts.back();
    EXPECT_EQ(sendText.rfind("Exception: ", 0), 0u) << sendText;
    EXPECT_NE(sendText.find("550"), std::string::npos) << sendText;
    EXPECT_NE(sendText.find(" at send file:" + (local_ / "f.txt")), std::string::npos);
    EXPECT_FALSE(session_.DeleteFile("/pub/f.txt", 100));
    EXPECT_EQ(surfaces_.statusTexts.back(), "Exception at delete file: /pub/f.txt");
    EXPECT_FALSE(session_.RenameFile("/pub/a", "/pub/b", 100));
    EXPECT_EQ(surfaces_.statusTexts.back(), "Exception at rename file: /pub/a to /pub/b");
    EXPECT_NE(session_.LastError().find("550 RNFR refused"), std::string::npos)
        << session_.LastError();
    EXPECT_FALSE(session_.ChangeDir("/nowhere/", true) &&
                 session_.FtpState() == FtpOperationState::Done);
    EXPECT_FALSE(session_.MakeDir("/pub"));  // there already
    // A refusal fails its command only: the session goes on on the same login.
    EXPECT_TRUE(session_.ChangeDir("/pub/", true));
    EXPECT_EQ(session_.FtpState(), FtpOperationState::Done);
    EXPECT_TRUE(session_.StillConnected());
    EXPECT_EQ(CountOccurrences(peer.py->Log(), "logged in"), 1) << peer.py->Log();
}

// What the server says of one file (for the look before a deletion), and a server that
// has gone away: the session says it is lost instead of pretending.
TEST_F(FtpSessionFaults, FileFactsAndAServerThatIsGone) {
    FtpPeer peer = Start();
    WriteFileAt(peer.LocalDir() + "/f.txt", "12345", 1374731340);
    ASSERT_TRUE(peer.Connect(session_));
    FtpFileFacts facts;
    ASSERT_TRUE(session_.RemoteFileFacts("/pub/f.txt", facts)) << session_.LastError();
    EXPECT_EQ(facts.size, 5);
    EXPECT_EQ(facts.unixTime, 1374731340);
    EXPECT_FALSE(session_.RemoteFileFacts("/pub/none.txt", facts));
    EXPECT_TRUE(session_.StillConnected());
    peer.py.reset();
    EXPECT_FALSE(session_.StillConnected());
}

TEST_F(FtpSessionFaults, HostileNamesAreFlaggedAndNeverListedAsFiles) {
    PyFtpOptions options;
    options.extraNames = {"../escape", "a/b", "back\\slash", "bell\x07name",
                          ".",         "..",  "fine name"};
    FtpPeer peer = Start(options);
    ASSERT_TRUE(peer.Connect(session_));
    ASSERT_TRUE(session_.ChangeDir("/pub/", true));
    ASSERT_EQ(session_.FtpState(), FtpOperationState::Done);
    const auto lines = session_.GetRemoteFilenames();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(0, 10), "fine name\t");
    const auto files = session_.RemoteFiles();
    EXPECT_EQ(
        std::count_if(files.begin(), files.end(), [](const FtpEntry& e) { return e.refused; }), 6);
    EXPECT_TRUE(session_.ListingComplete());  // refused, but understood
}

TEST_F(FtpSessionFaults, DosListingsParseAndUnknownLinesAreLoggedOnce) {
    for (const char* style : {"12h", "24h"}) {
        SCOPED_TRACE(style);
        PyFtpOptions options;
        options.dos = style;
        options.garbageLine = "this is no listing line";
        FtpPeer peer = Start(options);
        const int64_t stamp = (std::time(nullptr) - 86400) / 60 * 60;
        WriteFileAt(peer.LocalDir() + "/report 2013.txt", "1234567", stamp);
        WriteFileAt(peer.LocalDir() + "/sub/x", "x", stamp);
        std::vector<std::string> logged;
        FtpSession session(surfaces_);
        session.SetLogSink([&](std::string_view line) { logged.emplace_back(line); });
        ASSERT_TRUE(peer.Connect(session));
        ASSERT_TRUE(session.ChangeDir("/pub/", true));
        ASSERT_TRUE(session.ChangeDir("/pub/", true));
        EXPECT_EQ(session.FtpState(), FtpOperationState::Done);
        EXPECT_EQ(session.GetRemoteFilenames(),
                  std::vector<std::string>{"report 2013.txt\t7\t" +
                                           DateTimeToStr(UnixToLocalDateTime(stamp))});
        EXPECT_TRUE(
            std::any_of(session.Listing().begin(), session.Listing().end(), [](const FtpEntry& e) {
                return e.name == "sub" && e.type == FtpEntryType::Directory;
            }));
        EXPECT_EQ(logged, std::vector<std::string>{
                              "FTP listing line not understood: this is no listing line"});
        EXPECT_FALSE(session.ListingComplete());  // the line may have been a file
    }
}

TEST_F(FtpSessionFaults, Windows1252NamesArriveAsUtf8AndGoBackAsTheServersBytes) {
    PyFtpOptions options;
    options.cp1252 = true;
    FtpPeer peer = Start(options);
    WriteFileAt(peer.LocalDir() + "/M\xc3\xbcller.txt", "mueller", std::time(nullptr) - 3600);
    WriteFile(local_ / "up.txt", "groesse");
    ASSERT_TRUE(peer.Connect(session_));
    EXPECT_FALSE(session_.Utf8Names());
    ASSERT_TRUE(session_.ChangeDir("/pub/", true));
    const auto files = session_.RemoteFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].name, "M\xc3\xbcller.txt");
    EXPECT_EQ(files[0].serverName, "M\xfcller.txt");
    ASSERT_TRUE(session_.ReceiveFile("/pub/M\xc3\xbcller.txt", local_ / "m.tmp", 7))
        << session_.LastError();
    EXPECT_EQ(ReadFile(local_ / "m.tmp"), "mueller");
    // The server decodes Windows-1252 and stores "Größe.txt" in UTF-8 on its disk.
    ASSERT_TRUE(session_.SendFile(local_ / "up.txt",
                                  "/pub/Gr\xc3\xb6\xc3\x9f"
                                  "e.txt",
                                  7))
        << session_.LastError();
    EXPECT_EQ(ReadFile(peer.LocalDir() + "/Gr\xc3\xb6\xc3\x9f"
                                         "e.txt"),
              "groesse");
    // A name Windows-1252 cannot hold is refused before anything is sent.
    EXPECT_FALSE(session_.DeleteFile("/pub/\xe4\xb8\xad.txt", 100));
    EXPECT_NE(session_.LastError().find("character set"), std::string::npos);
}

TEST_F(FtpSessionFaults, AnotherServerGetsItsOwnSession) {
    FtpPeer first = Start();
    FtpPeer second = Start();
    WriteFile(first.LocalDir() + "/first.txt", "1");
    WriteFile(second.LocalDir() + "/second.txt", "2");
    ASSERT_TRUE(first.Connect(session_));
    ASSERT_TRUE(second.Connect(session_));
    ASSERT_TRUE(session_.ChangeDir("/pub/", true));
    ASSERT_EQ(session_.RemoteFiles().size(), 1u);
    EXPECT_EQ(session_.RemoteFiles()[0].name, "second.txt");
    // A wrong port text is a connect failure with its reason, not a crash.
    session_.DisconnectFTP();
    EXPECT_FALSE(session_.ConnectToFTP("tester", "secret", "127.0.0.1", "2x1", true));
    EXPECT_EQ(surfaces_.statusTexts.back(),
              "Exception on Connect: '2x1' is not a valid port number");
    // Nobody listening: a connect failure too.
    const uint16_t closed = FreeLoopbackPort(false);
    EXPECT_FALSE(session_.ConnectToFTP("tester", "secret", "127.0.0.1:" + std::to_string(closed),
                                       "21", true));
    EXPECT_EQ(surfaces_.statusTexts.back().rfind("Exception on Connect: ", 0), 0u);
}

TEST_F(FtpSessionFaults, SessionClosedByTheServerWhileIdleIsOpenedAgain) {
    if (!VsftpdServer::Available()) GTEST_SKIP() << "vsftpd not installed";
    VsftpdOptions options;
    options.idleTimeout = 1;
    FtpPeer peer = StartVsftpd(true, options);
    ASSERT_TRUE(peer.daemon().Ready());
    WriteFile(peer.LocalDir() + "/f.txt", "f");
    chmod((peer.LocalDir() + "/f.txt").c_str(), 0644);
    ASSERT_TRUE(peer.Connect(session_));
    // The server says "421 Timeout." and hangs up; the session (kept open between jobs)
    // must still serve the next job's first operation.
    ASSERT_TRUE(WaitFor([&] { return peer.vs->ProtocolLog().find("421") != std::string::npos; },
                        std::chrono::seconds(10)));
    EXPECT_TRUE(session_.ChangeDir("/pub/", true));
    EXPECT_EQ(session_.FtpState(), FtpOperationState::Done) << session_.LastError();
    EXPECT_EQ(session_.RemoteFiles().size(), 1u);
}

TEST_F(FtpSessionFaults, StaleAbortDoesNotHitTheNextOperation) {
    FtpPeer peer = Start();
    session_.AbortTransfer();  // Cancel clicked while nothing ran
    ASSERT_TRUE(peer.Connect(session_)) << session_.LastError();
    EXPECT_TRUE(session_.ChangeDir("/pub/", true));
    EXPECT_EQ(session_.FtpState(), FtpOperationState::Done);
}

TEST_F(FtpSessionFaults, WaitforSuccessCountsCycles) {
    // Without a running operation the state is what the last one left.
    EXPECT_TRUE(session_.WaitforSuccess(0));
    EXPECT_FALSE(session_.WaitforSuccess(1));  // time-out reached
    EXPECT_TRUE(session_.WaitforSuccess(-1));
    EXPECT_TRUE(session_.WaitforSuccess(100));
    EXPECT_GE(surfaces_.processMessagesCalls, 4);
}

}  // namespace
}  // namespace ferrolin::test
