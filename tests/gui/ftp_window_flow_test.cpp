// The FTP client window against a pyftpdlib server on loopback: connecting and listing,
// the remembered host, browsing, downloads with and without resume, upload, delete,
// Make Dir, SITE, Abort, and the window standing still while a run uses the session.
#include <QAction>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>

#include "ftp_window_fixture.h"
#include "gui_tests.h"

namespace ferrolin::test {

namespace {

std::string Pattern(size_t bytes) {
    std::string text(bytes, '\0');
    for (size_t i = 0; i < bytes; ++i) text[i] = static_cast<char>('a' + i % 26);
    return text;
}

}  // namespace

class FtpWindowFlowTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        if (!PyFtpServer::Available()) QSKIP("pyftpdlib is not installed");
    }

    void connectListsAndRemembersTheHostOnlyAfterAListing() {
        FtpWindowFixture t;
        QCOMPARE(S(ReadFtpHost(t.fx.dir.path())), QStringLiteral("FTPHOST"));
        WriteFile(t.Root() + "/a.txt", "12345");
        std::filesystem::create_directory(t.Root() + "/sub");
        const std::string hostFile = t.fx.dir / "FtpHost.ini";

        // The menu shows the one window; without a host file the field names the key.
        t.fx.window->FtpClient1->trigger();
        QCOMPARE(t.fx.window->ftpWindow(), t.form);
        QCOMPARE(t.form->windowTitle(), QStringLiteral("Indy FTP client demo"));
        QCOMPARE(t.initialHost, QStringLiteral("FTPHOST"));

        // Logged in, but the folder cannot be listed: nothing remembered.
        t.form->CurrentDirEdit->setText(QStringLiteral("/missing"));
        t.Connect();
        QCOMPARE(t.fx.questions.size(), size_t(1));
        QVERIFY(S(t.fx.questions[0]).startsWith(QStringLiteral("Error: ")));
        QVERIFY(!Exists(hostFile));

        t.form->CurrentDirEdit->setText(QStringLiteral("/"));
        if (t.fx.window->station().Sessions.Ftp.Connected()) t.Connect();  // disconnect first
        t.Connect();
        QCOMPARE(t.form->ConnectButton->text(), QStringLiteral("Disconnect"));
        QVERIFY(t.form->DownloadButton->isEnabled());
        QCOMPARE(t.Names(), (QStringList{"a.txt", "pub", "sub"}));
        auto* file =
            t.form->DirectoryListBox->findItems(QStringLiteral("a.txt"), Qt::MatchExactly).front();
        QCOMPARE(file->text(1), QStringLiteral("5"));
        QCOMPARE(file->text(2), QStringLiteral("File"));
        QVERIFY(file->text(3).contains(
            QRegularExpression(QStringLiteral("^\\d\\d.\\d\\d.\\d{4} \\d\\d.\\d\\d$"))));
        QCOMPARE(t.form->DirectoryListBox->findItems(QStringLiteral("sub"), Qt::MatchExactly)
                     .front()
                     ->text(2),
                 QStringLiteral("Directory"));
        QCOMPARE(S(ReadFtpHost(t.fx.dir.path())), S(t.server.Address()));
        // The documentation's picture of the window, when asked for.
        if (const QString shot = qEnvironmentVariable("FERROLIN_FTP_WINDOW_SHOT"); !shot.isEmpty())
            QVERIFY(t.form->grab().save(shot));

        // Disconnect: back to "/", empty list, commands off; the host stays remembered.
        t.form->CurrentDirEdit->setText(QStringLiteral("/sub"));
        t.Connect();
        QCOMPARE(t.form->ConnectButton->text(), QStringLiteral("Connect"));
        QCOMPARE(t.form->CurrentDirEdit->text(), QStringLiteral("/"));
        QCOMPARE(t.form->DirectoryListBox->topLevelItemCount(), 0);
        QVERIFY(!t.form->DownloadButton->isEnabled());
        {
            gui::FtpClientWindow again(t.fx.window->station().Sessions.Ftp, t.fx.window->surfaces(),
                                       t.fx.dir.path(), {});
            QCOMPARE(again.FtpServerEdit->text(), S(t.server.Address()));
        }
        t.fx.window->station().Sessions.Ftp.SetView(t.form);

        // A server that is not there: the client's error, caption stays "Connect".
        t.fx.questions.clear();
        t.form->FtpServerEdit->setText(QStringLiteral("127.0.0.1:1"));
        t.Connect();
        QCOMPARE(t.fx.questions.size(), size_t(1));
        QCOMPARE(t.form->ConnectButton->text(), QStringLiteral("Connect"));
        QCOMPARE(S(ReadFtpHost(t.fx.dir.path())), S(t.server.Address()));
    }

    // A folder that is not there: the reason in plain words, and the session still there
    // ("Disconnect" is true). A failure that takes the connection with it when the server
    // is gone closes the session: the button says "Connect", with no listing shown.
    void aMissingFolderIsSaidPlainlyAndTheButtonMatchesTheSession() {
        FtpWindowFixture t;
        WriteFile(t.Root() + "/top.txt", "y");
        t.Connect();
        QVERIFY(t.form->DirectoryListBox->topLevelItemCount() > 0);
        FtpSession& session = t.fx.window->station().Sessions.Ftp;
        t.fx.questions.clear();
        t.form->CurrentDirEdit->setText(QStringLiteral("/nope"));
        QTest::mouseClick(t.form->ChDirButton, Qt::LeftButton);
        QCOMPARE(t.fx.questions.size(), size_t(1));
        QVERIFY2(
            S(t.fx.questions[0]).startsWith(QStringLiteral("Error: No such folder: /nope (550")),
            qPrintable(S(t.fx.questions[0])));
        QVERIFY(session.Connected() && !session.ConnectionLost());
        QCOMPARE(t.form->ConnectButton->text(), QStringLiteral("Disconnect"));
        QTest::mouseClick(t.form->BackButton, Qt::LeftButton);
        QCOMPARE(t.Names(), (QStringList{"pub", "top.txt"}));

        // The server goes away; the next failure finds no session to log in to again.
        t.server.Stop();
        t.fx.questions.clear();
        QTest::mouseClick(t.form->ChDirButton, Qt::LeftButton);
        QCOMPARE(t.fx.questions.size(), size_t(1));
        QVERIFY(!session.Connected());
        QCOMPARE(t.form->ConnectButton->text(), QStringLiteral("Connect"));
        QCOMPARE(t.form->DirectoryListBox->topLevelItemCount(), 0);
        QVERIFY(!t.form->DownloadButton->isEnabled());
    }

    void foldersOpenChangeAndGoBack() {
        FtpWindowFixture t;
        std::filesystem::create_directories(t.Root() + "/sub/deeper");
        WriteFile(t.Root() + "/sub/inner.txt", "x");
        WriteFile(t.Root() + "/top.txt", "y");
        t.Connect();
        t.Select(QStringLiteral("sub"));
        t.form->DirectoryListBoxClick();
        QCOMPARE(t.form->DownloadButton->text(), QStringLiteral("Change dir"));
        t.Select(QStringLiteral("top.txt"));
        t.form->DirectoryListBoxClick();
        QCOMPARE(t.form->DownloadButton->text(), QStringLiteral("Download"));

        t.Select(QStringLiteral("sub"));
        t.form->DirectoryListBoxDblClick();
        QCOMPARE(t.form->CurrentDirEdit->text(), QStringLiteral("/sub"));
        QCOMPARE(t.Names(), (QStringList{"deeper", "inner.txt"}));
        QVERIFY(t.proposals.empty());  // a folder opens without the save dialog

        // Passive from now on: the open session lists on through the other mode.
        QTest::mouseClick(t.form->UsePassive, Qt::LeftButton);
        QVERIFY(t.form->UsePassive->isChecked());
        QTest::mouseClick(t.form->BackButton, Qt::LeftButton);
        QCOMPARE(t.form->CurrentDirEdit->text(), QStringLiteral("/"));
        QCOMPARE(t.Names(), (QStringList{"pub", "sub", "top.txt"}));

        t.form->CurrentDirEdit->setText(QStringLiteral("/sub/deeper"));
        QTest::mouseClick(t.form->ChDirButton, Qt::LeftButton);
        QCOMPARE(t.form->CurrentDirEdit->text(), QStringLiteral("/sub/deeper"));
        QCOMPARE(t.Names(), QStringList{});

        // A folder that is not there: the error, and no stale rows to act on.
        t.form->CurrentDirEdit->setText(QStringLiteral("/nowhere"));
        QTest::mouseClick(t.form->ChDirButton, Qt::LeftButton);
        QCOMPARE(t.fx.questions.size(), size_t(1));
        QCOMPARE(t.form->DirectoryListBox->topLevelItemCount(), 0);
        QVERIFY(t.form->BackButton->isEnabled());
    }

    void downloadAsksToResumeAFileAtTheChosenPath() {
        FtpWindowFixture t;
        const std::string content = Pattern(100000);
        WriteFile(t.Root() + "/big.bin", content);
        t.Connect();
        t.Select(QStringLiteral("big.bin"));
        const std::string local = t.fx.dir / "elsewhere.bin";
        t.savePath = local;

        // No file there yet: no resume question, the whole file.
        t.form->DirectoryListBoxDblClick();
        QCOMPARE(t.proposals, std::vector<std::string>{"big.bin"});
        QCOMPARE(t.fx.questions.size(), size_t(1));
        QVERIFY(!S(t.fx.questions[0]).contains(QStringLiteral("resume")));
        QCOMPARE(ReadFile(local), content);

        // Half a file: Cancel leaves it, Yes completes it, No replaces it.
        WriteFile(local, content.substr(0, 40000));
        t.fx.questions.clear();
        t.fx.answers = {Answer::Cancel};
        t.form->DirectoryListBoxDblClick();
        QCOMPARE(t.fx.questions,
                 std::vector<std::string>{"Indy FTP client demo: File aready exists. Do you want "
                                          "to resume the download operation?"});
        QCOMPARE(ReadFile(local).size(), size_t(40000));

        t.fx.answers = {Answer::Yes};
        t.form->DirectoryListBoxDblClick();
        QCOMPARE(ReadFile(local), content);

        WriteFile(local, "stale stale stale");
        t.fx.answers = {Answer::No};
        t.form->DirectoryListBoxDblClick();
        QCOMPARE(ReadFile(local), content);
        QVERIFY(t.form->DownloadButton->isEnabled());
    }

    void aResumeTheServerRefusesLeavesTheLocalFile() {
        PyFtpOptions options;
        options.refuse = "REST";
        FtpWindowFixture t(options);
        WriteFile(t.Root() + "/big.bin", Pattern(5000));
        t.Connect();
        t.Select(QStringLiteral("big.bin"));
        t.savePath = t.fx.dir / "part.bin";
        WriteFile(t.savePath, "partial");
        t.fx.answers = {Answer::Yes};
        t.form->DirectoryListBoxDblClick();
        QCOMPARE(t.fx.questions.size(), size_t(2));
        QVERIFY(S(t.fx.questions[1]).startsWith(QStringLiteral("Error: ")));
        QCOMPARE(ReadFile(t.savePath), std::string("partial"));
    }

    void uploadDeleteAndMakeDirChangeTheServer() {
        FtpWindowFixture t;
        std::filesystem::create_directory(t.Root() + "/empty");
        t.Connect();

        t.openPath = t.fx.dir / "up.txt";
        WriteFile(t.openPath, "uploaded");
        QTest::mouseClick(t.form->UploadButton, Qt::LeftButton);
        QCOMPARE(ReadFile(t.Root() + "/up.txt"), std::string("uploaded"));
        QVERIFY(t.Names().contains(QStringLiteral("up.txt")));

        t.Select(QStringLiteral("up.txt"));
        QTest::mouseClick(t.form->DeleteButton, Qt::LeftButton);
        QVERIFY(!Exists(t.Root() + "/up.txt"));
        t.Select(QStringLiteral("empty"));
        QTest::mouseClick(t.form->DeleteButton, Qt::LeftButton);
        QVERIFY(!Exists(t.Root() + "/empty"));
        QCOMPARE(t.Names(), QStringList{"pub"});

        t.input = std::nullopt;  // cancelled
        QTest::mouseClick(t.form->CreateDirButton, Qt::LeftButton);
        t.input = "made";
        QTest::mouseClick(t.form->CreateDirButton, Qt::LeftButton);
        QCOMPARE(t.proposals.back(), std::string("Make new directory/Name"));
        QVERIFY(std::filesystem::is_directory(t.Root() + "/made"));
        QCOMPARE(t.Names(), (QStringList{"made", "pub"}));
        QVERIFY(t.fx.questions.empty());

        // A folder that is not empty cannot be removed: the server's refusal is shown.
        WriteFile(t.Root() + "/made/keep", "k");
        t.Select(QStringLiteral("made"));
        QTest::mouseClick(t.form->DeleteButton, Qt::LeftButton);
        QCOMPARE(t.fx.questions.size(), size_t(1));
        QVERIFY(Exists(t.Root() + "/made/keep"));
        QVERIFY(t.form->DeleteButton->isEnabled());
    }

    void siteShowsTheClientsErrorWithAndWithoutConnection() {
        FtpWindowFixture t;
        QTest::mouseClick(t.form->SiteButton, Qt::LeftButton);
        QCOMPARE(t.fx.questions, std::vector<std::string>{"Error: Not connected"});
        t.Connect();
        t.form->SiteCommandEdit->setText(QStringLiteral("HELP"));
        QTest::mouseClick(t.form->SiteButton, Qt::LeftButton);
        QCOMPARE(t.fx.questions.size(), size_t(1));
        t.form->SiteCommandEdit->setText(QStringLiteral("NOSUCHTHING"));
        QTest::mouseClick(t.form->SiteButton, Qt::LeftButton);
        QCOMPARE(t.fx.questions.size(), size_t(2));
    }

    void abortStopsALargeDownloadAndNoClickStartsASecondOperation() {
        PyFtpOptions options;
        options.rate = 200000;
        FtpWindowFixture t(options);
        WriteFile(t.Root() + "/large.bin", Pattern(4'000'000));
        std::filesystem::create_directory(t.Root() + "/sub");
        t.Connect();
        t.Select(QStringLiteral("large.bin"));
        t.savePath = t.fx.dir / "large.bin";
        bool sawAbort = false;
        bool commandsOff = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!t.form->AbortButton->isVisible() || t.form->ProgressBar1->value() < 1) return;
            poll.stop();
            sawAbort = true;
            commandsOff = !t.form->BackButton->isEnabled() && !t.form->ConnectButton->isEnabled();
            // Handlers reached while the transfer runs start nothing.
            t.form->BackButtonClick();
            t.form->ConnectButtonClick();
            QTest::mouseClick(t.form->AbortButton, Qt::LeftButton);
        });
        poll.start(20);
        t.form->DirectoryListBoxDblClick();
        QVERIFY(sawAbort);
        QVERIFY(commandsOff);
        QVERIFY(!t.form->AbortButton->isVisible());
        QCOMPARE(t.fx.questions.size(), size_t(2));  // the target message, then the error
        QVERIFY(S(t.fx.questions[1]).contains(QStringLiteral("abort"), Qt::CaseInsensitive));
        QVERIFY(ReadFile(t.savePath).size() < 4'000'000);
        QVERIFY(t.fx.window->station().Sessions.Ftp.Connected());
        QCOMPARE(t.form->CurrentDirEdit->text(), QStringLiteral("/"));
        QVERIFY(t.form->BackButton->isEnabled());
    }

    void aRunningJobKeepsTheWindowStill() {
        FtpWindowFixture t;
        std::filesystem::create_directory(t.Root() + "/sub");
        t.Connect();
        Station& station = t.fx.window->station();
        station.RunMode = RM_Interactive;
        t.form->ShowSessionState();
        QVERIFY(!t.form->ConnectButton->isEnabled());
        QVERIFY(!t.form->BackButton->isEnabled());
        t.Select(QStringLiteral("sub"));
        t.form->DirectoryListBoxDblClick();
        t.form->ConnectButtonClick();
        QCOMPARE(t.form->CurrentDirEdit->text(), QStringLiteral("/"));
        QVERIFY(station.Sessions.Ftp.Connected());

        // The job's listing is the window's too.
        station.Sessions.Ftp.ChangeDir("/sub", true);
        QCOMPARE(t.form->CurrentDirEdit->text(), QStringLiteral("/sub"));
        station.RunMode = RM_Idle;
        t.form->ShowSessionState();
        QVERIFY(t.form->BackButton->isEnabled());
        QVERIFY(t.fx.questions.empty());
    }
};

int RunFtpWindowFlowTests(int argc, char** argv) {
    FtpWindowFlowTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace ferrolin::test

#include "ftp_window_flow_test.moc"
