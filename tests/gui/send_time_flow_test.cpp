// The "Send time" tab: the weekday box and its lines, the Save button, the "Save changes ?"
// question when the weekday changes with unsaved lines (by the operator, and by AutoModeTimer at
// midnight), answered through the window's question seam.
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "gui_tests.h"
#include "window_fixture.h"

namespace ferrolin::test {

namespace {

QString S(const std::string& text) { return QString::fromStdString(text); }

// Monday's and Tuesday's lists; the fixture's clock starts on a Monday.
const std::string kWeek =
    "[Global]\nSendTimeMode=1\nMondayFu10=06:00 00:10:00;22:00 --;\n"
    "TuesdayFu10=08:00 00:30:00;\n";

}  // namespace

class SendTimeFlowTest : public QObject {
    Q_OBJECT
private slots:
    void startShowsTodaysListAndSaveStoresIt() {
        WindowFixture fx;
        auto& w = fx.Start(kWeek);
        QCOMPARE(w.SendTimeTab->Tage->currentText(), QStringLiteral("Monday"));
        QCOMPARE(w.SendTimeTab->SendTimeLines->toPlainText(),
                 QStringLiteral("06:00 00:10:00\n22:00 --"));
        QVERIFY(!w.SendTimeTab->BSaveSendTime->isEnabled());

        w.SendTimeTab->SendTimeLines->setPlainText(QStringLiteral("07:00 00:20:00\n"));
        QVERIFY(w.SendTimeTab->BSaveSendTime->isEnabled());
        QTest::mouseClick(w.SendTimeTab->BSaveSendTime, Qt::LeftButton);
        QCOMPARE(S(fx.Ini("Global", "MondayFu10")), QStringLiteral("07:00 00:20:00;"));
        QVERIFY(!w.SendTimeTab->BSaveSendTime->isEnabled());
    }

    void operatorChangesTheWeekdayWithUnsavedLines_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("monday");
        QTest::addColumn<QString>("memo");
        QTest::newRow("yes saves under the old day") << int(Answer::Yes) << "Tuesday"
                                                    << "09:00 01:00:00;" << "08:00 00:30:00";
        QTest::newRow("no drops the edit") << int(Answer::No) << "Tuesday"
                                           << "06:00 00:10:00;22:00 --;" << "08:00 00:30:00";
        QTest::newRow("cancel stays on the old day") << int(Answer::Cancel) << "Monday"
                                                     << "06:00 00:10:00;22:00 --;" << "09:00 01:00:00";
    }
    void operatorChangesTheWeekdayWithUnsavedLines() {
        QFETCH(int, answer);
        QFETCH(QString, day);
        QFETCH(QString, monday);
        QFETCH(QString, memo);
        WindowFixture fx;
        auto& w = fx.Start(kWeek);
        w.SendTimeTab->Tage->setFocus();
        QCoreApplication::processEvents();
        w.SendTimeTab->SendTimeLines->setPlainText(QStringLiteral("09:00 01:00:00"));
        fx.answers = {static_cast<Answer>(answer)};
        w.SendTimeTab->Tage->setCurrentIndex(2);  // what the operator's choice does to the box
        w.SendTimeTab->OnTageSelected(2);
        QCOMPARE(fx.questions.size(), size_t(1));
        QCOMPARE(S(fx.questions[0]), QStringLiteral("Warning: Save changes ?"));
        QCOMPARE(w.SendTimeTab->Tage->currentText(), day);
        QCOMPARE(S(fx.Ini("Global", "MondayFu10")), monday);
        QCOMPARE(w.SendTimeTab->SendTimeLines->toPlainText(), memo);
        QCOMPARE(w.SendTimeTab->BSaveSendTime->isEnabled(), answer == int(Answer::Cancel));
    }

    void midnightAsksBeforeLoadingTheNewDay() {
        WindowFixture fx;
        fx.clock.Set(EncodeDate(2026, 12, 7) + EncodeTime(23, 59, 58));
        auto& w = fx.Start(kWeek);
        w.OnAutoModeTimer();  // the first tick: day change to Monday, nothing edited, no question
        QVERIFY(fx.questions.empty());
        QVERIFY(ReadFile(fx.dir / "Ferrolin.log").find("Day change") != std::string::npos);

        w.SendTimeTab->SendTimeLines->setPlainText(QStringLiteral("05:00 02:00:00"));
        fx.clock.Advance(5 * kOneSecond);
        fx.answers = {Answer::Yes};
        w.OnAutoModeTimer();
        QCOMPARE(fx.questions.size(), size_t(1));
        QCOMPARE(S(fx.questions[0]), QStringLiteral("Warning: Save changes ?"));
        QCOMPARE(S(fx.Ini("Global", "MondayFu10")), QStringLiteral("05:00 02:00:00;"));
        QCOMPARE(w.SendTimeTab->Tage->currentText(), QStringLiteral("Tuesday"));
        QCOMPARE(w.SendTimeTab->SendTimeLines->toPlainText(), QStringLiteral("08:00 00:30:00"));
        // The next start follows Tuesday's list.
        QVERIFY(w.SendTimeTab->NextFu10->text().endsWith(QStringLiteral("08:00:00")));
    }

    void autoComputesTheNextStart() {
        WindowFixture fx;
        auto& w = fx.Start("[Global]\nSendTimeSimpleInterval=00:20:00\n");
        QVERIFY(w.SendTimeTab->NextFu10->text().isEmpty());
        w.StatusTab->Auto->setChecked(true);
        QVERIFY(w.station().Options.autoMode);
        QVERIFY(w.SendTimeTab->NextFu10->text().endsWith(QStringLiteral("10:20:00")));
    }
};

int RunSendTimeFlowTests(int argc, char** argv) {
    SendTimeFlowTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace ferrolin::test

#include "send_time_flow_test.moc"
