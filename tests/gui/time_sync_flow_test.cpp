// The "Time sync" tab: its controls show the panel's texts and the loaded settings, an
// edit reaches the configuration file on Configuration > Save, the protocol choice warns
// about the Time protocol, and "Sync now" reports a server that does not answer. The
// window keeps the core's refusing clock setter, so nothing here can set the clock.
#include <QAction>
#include <QLabel>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "gui_tests.h"
#include "remote/time_sync.h"
#include "remote/time_sync_panel.h"
#include "window_fixture.h"

namespace ferrolin::test {

namespace {

namespace panel = time_sync_panel;

QString S(std::string_view text) { return QString::fromUtf8(text.data(), int(text.size())); }

// A loopback TCP port nobody listens on: bound by the system, then released.
int FreeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return 0;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0) {
        port = ntohs(addr.sin_port);
    }
    ::close(fd);
    return port;
}

const std::string kSyncSection =
    "[InternetDateTimeSync]\nEnable=1\nServer=time.example.test\nProtocol=1\n"
    "Interval=02:30\nTimeOffset=-250\nMaxCorrection=5\n";

}  // namespace

class TimeSyncFlowTest : public QObject {
    Q_OBJECT
private slots:
    void tabShowsThePanelTexts() {
        WindowFixture fx;
        auto& w = fx.Start();
        QCOMPARE(w.LeftTabs->tabText(w.LeftTabs->indexOf(w.TimeSyncTab)), S(panel::kTabCaption));
        QCOMPARE(w.LeftTabs->indexOf(w.TimeSyncTab), w.LeftTabs->indexOf(w.StatusTab) + 1);
        QCOMPARE(w.TimeSyncTab->TimeSyncEnable->text(), S(panel::kEnableCaption));
        QCOMPARE(w.TimeSyncTab->TimeSyncNowButton->text(), S(panel::kSyncNowCaption));
        QCOMPARE(w.TimeSyncTab->TimeSyncProtocol->count(), int(panel::kProtocolItems.size()));
        for (int i = 0; i < w.TimeSyncTab->TimeSyncProtocol->count(); ++i) {
            QCOMPARE(w.TimeSyncTab->TimeSyncProtocol->itemText(i), S(panel::kProtocolItems[size_t(i)]));
        }
        QCOMPARE(w.TimeSyncTab->TimeSyncTimeOffset->toolTip(), S(panel::kTimeOffsetHint));
        QCOMPARE(w.TimeSyncTab->TimeSyncMaxCorrection->toolTip(), S(panel::kMaxCorrectionHint));
        for (std::string_view label : {panel::kServerLabel, panel::kIntervalLabel,
                                       panel::kTimeOffsetLabel, panel::kMaxCorrectionLabel}) {
            bool found = false;
            for (auto* l : w.TimeSyncTab->findChildren<QLabel*>()) found |= l->text() == S(label);
            QVERIFY2(found, std::string(label).c_str());
        }
        // The defaults of a missing section.
        QCOMPARE(w.TimeSyncTab->TimeSyncServer->text(), S(kDefaultTimeServer));
        QCOMPARE(w.TimeSyncTab->TimeSyncInterval->text(), QStringLiteral("01:00"));
        QCOMPARE(w.TimeSyncTab->TimeSyncMaxCorrection->text(), QStringLiteral("1"));
        QVERIFY(!w.TimeSyncTab->TimeSyncEnable->isChecked());
    }

    void loadedSettingsShowWithoutTheNotice() {
        WindowFixture fx;
        auto& w = fx.Start(kSyncSection);
        QVERIFY(w.TimeSyncTab->TimeSyncEnable->isChecked());
        QCOMPARE(w.TimeSyncTab->TimeSyncServer->text(), QStringLiteral("time.example.test"));
        QCOMPARE(w.TimeSyncTab->TimeSyncProtocol->currentIndex(), panel::kProtocolTime);
        QCOMPARE(w.TimeSyncTab->TimeSyncInterval->text(), QStringLiteral("02:30"));
        QCOMPARE(w.TimeSyncTab->TimeSyncTimeOffset->text(), QStringLiteral("-250"));
        QCOMPARE(w.TimeSyncTab->TimeSyncMaxCorrection->text(), QStringLiteral("5"));
        QVERIFY(fx.questions.empty());
    }

    void editsAreSavedWithTheConfiguration() {
        WindowFixture fx;
        auto& w = fx.Start();
        w.TimeSyncTab->TimeSyncEnable->setChecked(true);
        w.TimeSyncTab->TimeSyncServer->setText(QStringLiteral("ntp.example.test:1123"));
        w.TimeSyncTab->TimeSyncInterval->setText(QStringLiteral("00:15"));
        w.TimeSyncTab->TimeSyncTimeOffset->setText(QStringLiteral("1000"));
        w.TimeSyncTab->TimeSyncMaxCorrection->setText(QStringLiteral("0"));
        w.Config1->trigger();
        const std::string section(kTimeSyncSection);
        QCOMPARE(S(fx.Ini(section, "Enable")), QStringLiteral("1"));
        QCOMPARE(S(fx.Ini(section, "Server")), QStringLiteral("ntp.example.test:1123"));
        QCOMPARE(S(fx.Ini(section, "Protocol")), QStringLiteral("0"));
        QCOMPARE(S(fx.Ini(section, "Interval")), QStringLiteral("00:15"));
        QCOMPARE(S(fx.Ini(section, "TimeOffset")), QStringLiteral("1000"));
        QCOMPARE(S(fx.Ini(section, "MaxCorrection")), QStringLiteral("0"));
    }

    void choosingTheTimeProtocolWarnsAndIsStored() {
        WindowFixture fx;
        auto& w = fx.Start();
        w.TimeSyncTab->TimeSyncProtocol->setCurrentIndex(panel::kProtocolTime);
        QCOMPARE(w.station().TimeSync.Settings.Protocol, panel::kProtocolTime);
        QCOMPARE(fx.questions.size(), size_t(1));
        QCOMPARE(S(fx.questions[0]),
                 S(std::string(panel::kMessageCaption) + ": " +
                   std::string(panel::kTimeProtocolNotice)));
        w.TimeSyncTab->TimeSyncProtocol->setCurrentIndex(panel::kProtocolSntp);
        QCOMPARE(w.station().TimeSync.Settings.Protocol, panel::kProtocolSntp);
        QCOMPARE(fx.questions.size(), size_t(1));
    }

    void syncNowReportsAServerThatDoesNotAnswer() {
        const int port = FreeLoopbackPort();
        if (port == 0) QSKIP("no loopback port could be bound");
        WindowFixture fx;
        auto& w = fx.Start();
        w.TimeSyncTab->TimeSyncProtocol->setCurrentIndex(panel::kProtocolTime);
        fx.questions.clear();
        w.TimeSyncTab->TimeSyncServer->setText(QStringLiteral("127.0.0.1:%1").arg(port));
        QTest::mouseClick(w.TimeSyncTab->TimeSyncNowButton, Qt::LeftButton);
        QCOMPARE(S(w.station().TimeSync.LastError), S(kTimeSyncFailed));
        QCOMPARE(fx.questions.size(), size_t(1));
        QCOMPARE(S(fx.questions[0]),
                 S(std::string(panel::kMessageCaption) + ": " + std::string(kTimeSyncFailed)));
    }

    void syncNowRefusesAnOffsetThatIsNoNumber() {
        WindowFixture fx;
        auto& w = fx.Start();
        w.TimeSyncTab->TimeSyncServer->setText(QStringLiteral("127.0.0.1:1"));
        w.TimeSyncTab->TimeSyncTimeOffset->setText(QStringLiteral("soon"));
        QTest::mouseClick(w.TimeSyncTab->TimeSyncNowButton, Qt::LeftButton);
        QCOMPARE(fx.questions.size(), size_t(1));
        QVERIFY(S(fx.questions[0]).contains(QStringLiteral("'soon'")));
    }
};

int RunTimeSyncFlowTests(int argc, char** argv) {
    TimeSyncFlowTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace ferrolin::test

#include "time_sync_flow_test.moc"
