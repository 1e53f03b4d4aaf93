// A real FTP download job run by "Manual (no messages)" while the FTP window is open and
// connected to the same pyftpdlib server: the job takes over the window's session, the
// window stands still and refuses every command meanwhile, the main window's gauge and the
// FTP window both show the transfer, and afterwards the window shows the job's folder.
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "ftp_window_fixture.h"
#include "gui_tests.h"
#include "support/text_count.h"

namespace ferrolin::test {

namespace {

constexpr size_t kBigSize = 300000;  // 1.5 s at the server's rate

std::string DownloadJobIni(const PyFtpServer& server, const std::string& destination) {
    return "[Global]\nAnzKopfstellen=1\nNoFTPDisconnect=1\n"
           "[Kopf0]\nName=Fetch\nActive=1\nSendeVerzeichnis=ftp://" +
           server.Address() + "/in\nEmpfangsVerzeichnis=" + destination +
           "\nSourceLName=" + server.Options().user +
           "\nSourceLPassword=" + server.Options().password + "\nPassiveMode=1\n";
}

// What the FTP window showed on every pass of the event loop while a run was going on.
struct RunWatch {
    int passes = 0;
    QStringList enabledDuringRun;  // controls found enabled meanwhile
    bool sawTransfer = false;
    QString mainGauge;     // the main window's gauge during the job's download
    QString windowPanel1;  // the FTP window's transfer text then
    int windowProgress = 0;
};

}  // namespace

class FtpWindowJobTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        if (!PyFtpServer::Available()) QSKIP("pyftpdlib is not installed");
    }

    void aJobRunsOnTheWindowsSessionWhileTheWindowStandsStill() {
        PyFtpOptions options;
        options.rate = 200000;
        TempDir destination;
        const std::string dst = destination.path();
        FtpWindowFixture t(options,
                           [&](const PyFtpServer& server) { return DownloadJobIni(server, dst); });
        WriteFile(t.Root() + "/in/big.bin", std::string(kBigSize, 'b'));
        WriteFile(t.Root() + "/in/small.txt", "small");
        std::filesystem::create_directory(t.Root() + "/in/nested");
        Station& station = t.fx.window->station();
        gui::FtpClientWindow* form = t.form;

        QTest::mouseClick(form->UsePassive, Qt::LeftButton);
        t.Connect();
        QCOMPARE(t.Names(), (QStringList{"in", "pub"}));
        form->DebugListBox->addItem(QStringLiteral("left from before"));

        const QList<QWidget*> controls = {
            form->ConnectButton,   form->DownloadButton, form->UploadButton,
            form->DeleteButton,    form->BackButton,     form->ChDirButton,
            form->CreateDirButton, form->SiteButton,     form->UsePassive};
        RunWatch watch;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!station.RunInProgress()) return;
            ++watch.passes;
            for (QWidget* control : controls) {
                const QString name = control->property("text").toString();
                if (control->isEnabled() && !watch.enabledDuringRun.contains(name))
                    watch.enabledDuringRun << name;
            }
            if (watch.sawTransfer || !form->AbortButton->isVisible() ||
                form->ProgressBar1->value() < 1)
                return;
            watch.sawTransfer = true;
            watch.mainGauge = S(t.fx.window->surfaces().GaugeText());
            watch.windowPanel1 = form->StatusPanel1->text();
            watch.windowProgress = form->ProgressBar1->value();
            // Every command of the window, reached however: none starts an operation
            // inside the job's, none opens a dialog.
            t.Select(QStringLiteral("nested"));
            form->DirectoryListBoxDblClick();
            t.Select(QStringLiteral("small.txt"));
            form->DeleteButtonClick();
            form->DirectoryListBoxDblClick();
            form->BackButtonClick();
            form->ChDirButtonClick();
            form->CreateDirButtonClick();
            form->UploadButtonClick();
            form->SiteButtonClick();
            form->ConnectButtonClick();
        });
        poll.start(0);
        t.openPath = t.fx.dir / "never-uploaded.txt";
        t.input = "never-made";
        QTest::mouseClick(t.fx.window->StatusTab->BManualN, Qt::LeftButton);
        poll.stop();

        // The job went through on the window's login.
        QCOMPARE(ReadFile(dst + "/big.bin").size(), kBigSize);
        QCOMPARE(ReadFile(dst + "/small.txt"), std::string("small"));
        QCOMPARE(CountOccurrences(ReadFile(t.fx.dir / "Ferrolin.log"), "receive of "), 2);
        QCOMPARE(CountOccurrences(t.server.Log(), "logged in"), 1);

        // Meanwhile: commands off, the transfer shown in both windows, nothing else done.
        QVERIFY(watch.passes > 0);
        QVERIFY2(watch.enabledDuringRun.isEmpty(), qPrintable(watch.enabledDuringRun.join(", ")));
        QVERIFY(watch.sawTransfer);
        QVERIFY2(watch.mainGauge.startsWith(QStringLiteral("Download speed ")),
                 qPrintable(watch.mainGauge));
        QVERIFY2(watch.windowPanel1.startsWith(QStringLiteral("Download speed ")),
                 qPrintable(watch.windowPanel1));
        QVERIFY(watch.windowProgress > 0);
        QVERIFY(t.fx.questions.empty());
        QVERIFY(t.proposals.empty());
        QVERIFY(Exists(t.Root() + "/in/small.txt"));
        QVERIFY(!Exists(t.Root() + "/never-uploaded.txt"));
        QVERIFY(!Exists(t.Root() + "/in/never-made"));

        // Afterwards the window shows the job's folder and listing, and the session kept
        // open by "no disconnect" is the window's again.
        QCOMPARE(form->CurrentDirEdit->text(), QStringLiteral("/in"));
        QCOMPARE(t.Names(), (QStringList{"big.bin", "nested", "small.txt"}));
        QCOMPARE(form->DebugListBox->count(), 0);
        QCOMPARE(form->StatusPanel1->text(), QStringLiteral("Transfer complete."));
        QCOMPARE(form->ProgressBar1->value(), 0);
        QVERIFY(!form->AbortButton->isVisible());
        QVERIFY(station.Ftp.Connected());
        QCOMPARE(form->ConnectButton->text(), QStringLiteral("Disconnect"));
        for (QWidget* control : controls) QVERIFY(control->isEnabled());
        QTest::mouseClick(form->BackButton, Qt::LeftButton);
        QCOMPARE(form->CurrentDirEdit->text(), QStringLiteral("/"));
        QCOMPARE(t.Names(), (QStringList{"in", "pub"}));

        // Without "no disconnect" the job closes the session it took over: the window can
        // connect again and offers nothing else.
        station.Options.keepFtpConnected = false;
        QTest::mouseClick(t.fx.window->StatusTab->BManualN, Qt::LeftButton);
        QCoreApplication::processEvents();
        QCOMPARE(CountOccurrences(t.server.Log(), "logged in"), 1);
        QVERIFY(!station.Ftp.Connected());
        QCOMPARE(form->ConnectButton->text(), QStringLiteral("Connect"));
        QVERIFY(form->ConnectButton->isEnabled());
        QVERIFY(!form->DownloadButton->isEnabled());
        QVERIFY(!form->BackButton->isEnabled());
        QCOMPARE(form->StatusPanel1->text(), QStringLiteral("Disconnected."));
        QCOMPARE(form->CurrentDirEdit->text(), QStringLiteral("/in"));
        QVERIFY(t.fx.questions.empty());
    }

    void aJobsFailureShowsOnTheMainStatusBar() {
        // A job whose folder is missing: the session's status text is the main window's,
        // the FTP window's own panel stays empty, and the window is usable afterwards.
        FtpWindowFixture t({}, [](const PyFtpServer& server) {
            return "[Global]\nAnzKopfstellen=1\nNoFTPDisconnect=1\n"
                   "[Kopf0]\nName=Missing\nActive=1\nSendeVerzeichnis=ftp://" +
                   server.Address() + "/missing\nEmpfangsVerzeichnis=/nonexistent\nSourceLName=" +
                   server.Options().user + "\nSourceLPassword=" + server.Options().password +
                   "\nPassiveMode=1\n";
        });
        QTest::mouseClick(t.form->UsePassive, Qt::LeftButton);
        t.Connect();
        QTest::mouseClick(t.fx.window->StatusTab->BManualN, Qt::LeftButton);
        QCoreApplication::processEvents();
        QCOMPARE(t.fx.window->StatusPanel0->text(), QStringLiteral("ChangeDir failed"));
        QCOMPARE(t.form->StatusPanel0->text(), QString());
        QCOMPARE(t.Names(), QStringList{});  // no listing of another folder survives
        QVERIFY(t.fx.window->station().Ftp.Connected());
        QVERIFY(t.form->ChDirButton->isEnabled());
        t.form->CurrentDirEdit->setText(QStringLiteral("/"));
        QTest::mouseClick(t.form->ChDirButton, Qt::LeftButton);
        QCOMPARE(t.Names(), QStringList{"pub"});
    }
};

int RunFtpWindowJobTests(int argc, char** argv) {
    FtpWindowJobTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace ferrolin::test

#include "ftp_window_job_test.moc"
