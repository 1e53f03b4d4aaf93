// The dial-up window and Tools > Ras over a NetworkManager stand-in on a private bus.
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "gui_tests.h"
#include "support/nm_mock.h"
#include "window_fixture.h"

namespace ferrolin::test {

class RasWindowFlowTest : public QObject {
    Q_OBJECT
private slots:
    void dialsHangsUpListsConnectionsAndStoresTheDefault() {
        if (!NmMock::Possible()) QSKIP("dbus-daemon or python3-dbusmock missing");
        NmMock mock({{"Office VPN", "vpn"}, {"Modem", "gsm"}});
        QVERIFY(mock.Ready());
        WindowFixture fixture;
        gui::MainWindow& window = fixture.Start();
        QVERIFY(window.Ras1->isVisible());
        // The main window's "Ras" list: "RAS disabled" and the entries.
        QCOMPARE(window.station().RasEntries,
                 (std::vector<std::string>{"RAS disabled", "Office VPN", "Modem"}));
        window.Ras1->trigger();
        gui::DialUpWindow* ras = window.rasWindow();
        QVERIFY(ras != nullptr);
        QCOMPARE(ras->windowTitle(), QStringLiteral("Dial-Up component Test"));
        QVERIFY(!ras->DialButton->isEnabled());

        QTest::mouseClick(ras->GetEntriesButton, Qt::LeftButton);
        QCOMPARE(ras->EntryList->count(), 2);
        QCOMPARE(ras->EntryList->currentItem()->text(), QStringLiteral("Office VPN"));
        QTest::mouseClick(ras->DialButton, Qt::LeftButton);  // asynchronous: does not wait
        QVERIFY(WaitFor([&] {
            ras->PumpProgress();
            return ras->LStatus->text() == QStringLiteral("Connected");
        }));
        QCOMPARE(mock.ActiveCount(), 1);

        QTest::mouseClick(ras->HangUpButton, Qt::LeftButton);
        QCOMPARE(ras->Status2->text(), QStringLiteral("Disconnected"));
        QVERIFY(WaitFor([&] { return mock.ActiveCount() == 0; }));

        // Synchronous dial of the second entry, then "Get active connections" hanging up
        // every line it finds.
        QTest::mouseClick(ras->GetEntriesButton, Qt::LeftButton);
        ras->EntryList->setCurrentRow(1);
        ras->SyncDialing->setChecked(true);
        QTest::mouseClick(ras->DialButton, Qt::LeftButton);
        QCOMPARE(ras->Status2->text(), QStringLiteral("Connected."));
        ras->HangUpAllBox->setChecked(true);
        QTest::mouseClick(ras->ConnectionsButton, Qt::LeftButton);
        QCOMPARE(ras->EntryList->count(), 1);
        QCOMPARE(ras->EntryList->item(0)->text(), QStringLiteral("Modem |  || Connected"));
        QVERIFY(!ras->DialButton->isEnabled());
        QVERIFY(WaitFor([&] { return mock.ActiveCount() == 0; }));

        QTest::mouseClick(ras->GetEntriesButton, Qt::LeftButton);
        ras->EntryList->setCurrentRow(1);
        QTest::mouseClick(ras->Savedefault, Qt::LeftButton);
        QCOMPARE(ras->defaultcon->text(), QStringLiteral("Modem"));
        QVERIFY(ReadFile(fixture.dir / "KestRas.INI").find("DefaultCon=Modem") != std::string::npos);
    }

    void withoutNetworkManagerRasIsNotOffered() {
        if (!NmMock::Possible()) QSKIP("dbus-daemon or python3-dbusmock missing");
        NmMock bus({}, false);
        QVERIFY(bus.Ready());
        WindowFixture fixture;
        gui::MainWindow& window = fixture.Start();
        QVERIFY(!window.Ras1->isVisible());
        window.Ras1->trigger();
        QVERIFY(window.rasWindow() == nullptr);
        QCOMPARE(window.station().RasEntries, std::vector<std::string>{"RAS disabled"});
    }
};

int RunRasWindowFlowTests(int argc, char** argv) {
    RasWindowFlowTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace ferrolin::test

#include "ras_window_flow_test.moc"
