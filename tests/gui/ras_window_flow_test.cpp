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
        gui::TFQuillomat& window = fixture.Start();
        QVERIFY(window.Ras1->isVisible());
        // The main window's "Ras" list: "RAS disabled" and the entries.
        QCOMPARE(window.station().RasEntries,
                 (std::vector<std::string>{"RAS disabled", "Office VPN", "Modem"}));
        window.Ras1->trigger();
        gui::TRasDialUpWindow* ras = window.rasWindow();
        QVERIFY(ras != nullptr);
        QCOMPARE(ras->windowTitle(), QStringLiteral("Dial-Up component Test"));
        QVERIFY(!ras->Button2->isEnabled());

        QTest::mouseClick(ras->Button1, Qt::LeftButton);
        QCOMPARE(ras->ListBox1->count(), 2);
        QCOMPARE(ras->ListBox1->currentItem()->text(), QStringLiteral("Office VPN"));
        QTest::mouseClick(ras->Button2, Qt::LeftButton);  // asynchronous: does not wait
        QVERIFY(WaitFor([&] {
            ras->PumpProgress();
            return ras->LStatus->text() == QStringLiteral("Connected");
        }));
        QCOMPARE(mock.ActiveCount(), 1);

        QTest::mouseClick(ras->Button3, Qt::LeftButton);
        QCOMPARE(ras->Status2->text(), QStringLiteral("Disconnected"));
        QVERIFY(WaitFor([&] { return mock.ActiveCount() == 0; }));

        // Synchronous dial of the second entry, then "Get active connections" hanging up
        // every line it finds.
        QTest::mouseClick(ras->Button1, Qt::LeftButton);
        ras->ListBox1->setCurrentRow(1);
        ras->RadioButton2->setChecked(true);
        QTest::mouseClick(ras->Button2, Qt::LeftButton);
        QCOMPARE(ras->Status2->text(), QStringLiteral("Connected."));
        ras->CheckBox1->setChecked(true);
        QTest::mouseClick(ras->Button4, Qt::LeftButton);
        QCOMPARE(ras->ListBox1->count(), 1);
        QCOMPARE(ras->ListBox1->item(0)->text(), QStringLiteral("Modem |  || Connected"));
        QVERIFY(!ras->Button2->isEnabled());
        QVERIFY(WaitFor([&] { return mock.ActiveCount() == 0; }));

        QTest::mouseClick(ras->Button1, Qt::LeftButton);
        ras->ListBox1->setCurrentRow(1);
        QTest::mouseClick(ras->Savedefault, Qt::LeftButton);
        QCOMPARE(ras->defaultcon->text(), QStringLiteral("Modem"));
        QVERIFY(ReadFile(fixture.dir / "KestRas.INI").find("DefaultCon=Modem") != std::string::npos);
    }

    void withoutNetworkManagerRasIsNotOffered() {
        if (!NmMock::Possible()) QSKIP("dbus-daemon or python3-dbusmock missing");
        NmMock bus({}, false);
        QVERIFY(bus.Ready());
        WindowFixture fixture;
        gui::TFQuillomat& window = fixture.Start();
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
