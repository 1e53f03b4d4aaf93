// The window as it looks: frame, caption, status bar and gauge; the controls that stay
// hidden and the ones shown only with the MPEG check; the send-time panels; tab captions
// shown whole; and on every tab no cut-off caption and no control lying over another.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTest>

#include "gui_tests.h"
#include "version.h"
#include "window_fixture.h"

namespace ferrolin::test {

namespace {

// Visible children of a page that show a caption, checked for fit and overlap.
QList<QWidget*> CaptionedWidgets(QWidget* page) {
    QList<QWidget*> result;
    for (QWidget* child : page->findChildren<QWidget*>()) {
        if (!child->isVisibleTo(page)) continue;
        if (qobject_cast<QLabel*>(child) || qobject_cast<QAbstractButton*>(child) ||
            qobject_cast<QComboBox*>(child) || qobject_cast<QLineEdit*>(child)) {
            result.push_back(child);
        }
    }
    return result;
}

// The width a control needs to show its whole caption (buttons: text plus a small margin;
// labels and boxes: what they say they need; combo boxes: the shown item and the arrow).
// Edit fields scroll their text and need no width of their own.
int NeededWidth(QWidget* w) {
    const QFontMetrics metrics(w->font());
    if (auto* button = qobject_cast<QPushButton*>(w)) {
        return metrics.horizontalAdvance(button->text()) + 8;
    }
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        return metrics.horizontalAdvance(combo->currentText()) + 24;
    }
    if (qobject_cast<QLineEdit*>(w)) return 0;
    return w->minimumSizeHint().width();
}

QRect InPage(QWidget* w, QWidget* page) { return QRect(w->mapTo(page, QPoint(0, 0)), w->size()); }

}  // namespace

class WindowLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void frameCaptionStatusBarAndGauge() {
        WindowFixture fx;
        auto& w = fx.Start();
        QCOMPARE(w.windowTitle(), QStringLiteral("Ferrolin"));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QCOMPARE(w.width(), gui::MainWindow::kClientWidth);
        QCOMPARE(w.StatusPanel1->text(), QStringLiteral(FERROLIN_VERSION));
        QCOMPARE(w.StatusPanel0->width(), 600);
        QCOMPARE(w.LeftTabs->geometry(), QRect(5, 4, 286, 285));
        QCOMPARE(w.RightTabs->geometry(), QRect(296, 4, 378, 285));
        QCOMPARE(w.CopyStatusG->x(), 5);
        QCOMPARE(w.CopyStatusG->height(), 25);
        const int statusTop = w.statusBar()->mapTo(&w, QPoint(0, 0)).y();
        QCOMPARE(w.CopyStatusG->mapTo(&w, QPoint(0, 0)).y(), statusTop - 30);
        QCOMPARE(w.CopyStatusG->Text(), QStringLiteral("------"));
        QCOMPARE(w.LeftTabs->currentWidget(), w.StatusTab);
        QCOMPARE(w.RightTabs->currentWidget(), w.SourceTab);
        QVERIFY(w.StatusTab->CancelCopy->isHidden());
        // No control name shows as text: the label says what the automatic mode does.
        QCOMPARE(w.StatusTab->NextStart->text(), QStringLiteral("Auto off"));
        QVERIFY(w.StatusTab->JobNameEdit->text().isEmpty());
    }

    void gaugeClampsAndKeepsItsText_data() {
        QTest::addColumn<int>("given");
        QTest::addColumn<int>("shown");
        QTest::newRow("inside") << 42 << 42;
        QTest::newRow("below") << -5 << 0;
        QTest::newRow("above") << 250 << 100;
    }
    void gaugeClampsAndKeepsItsText() {
        QFETCH(int, given);
        QFETCH(int, shown);
        WindowFixture fx;
        auto& w = fx.Start();
        w.surfaces().SetGauge(given, "copy a.txt");
        QCOMPARE(w.CopyStatusG->Progress(), shown);
        QCOMPARE(QString::fromStdString(w.surfaces().GaugeText()), QStringLiteral("copy a.txt"));
    }

    void settingsKeptInTheFileAreNotShown() {
        WindowFixture fx;
        auto& w = fx.Start("[Global]\nSpezialScan=1\nAbsolutSendTime=1\nNoFTPDisconnect=1\n");
        for (QWidget* hidden :
             QList<QWidget*>{w.OptionsTab->UploadInProgressCheck, w.OptionsTab->SpezialScan,
                             w.OptionsTab->AbsolutSendTime, w.OptionsTab->NoFTPDisconnect,
                             w.ConnectionTab->reportLevel, w.ConnectionTab->RasGroup}) {
            QVERIFY2(!hidden->isVisibleTo(&w), qPrintable(hidden->objectName()));
        }
        // Hidden, yet read and saved like the others.
        QVERIFY(w.OptionsTab->SpezialScan->isChecked());
        QVERIFY(w.station().Options.absoluteSendTime);
        w.OnSaveConfig();
        QCOMPARE(QString::fromStdString(fx.Ini("Global", "NoFTPDisconnect")), QStringLiteral("1"));
    }

    void mpegOptionsOnlyWithTheMpegLibrary() {
        {
            WindowFixture fx;
            auto& w = fx.Start();
            w.LeftTabs->setCurrentWidget(w.OptionsTab);
            QVERIFY(!w.OptionsTab->CheckMPEGFiles->isVisibleTo(&w));
            QVERIFY(!w.OptionsTab->CopyCorruptFiles->isVisibleTo(&w));
        }
#ifdef FERROLIN_FAKE_MPEG_DIR
        WindowFixture fx;
        for (const char* lib : {"librtdsdk.so", "librtdutils.so"}) {
            QVERIFY(QFile::copy(QStringLiteral(FERROLIN_FAKE_MPEG_DIR "/") + QLatin1String(lib),
                                QString::fromStdString(fx.dir / lib)));
        }
        auto& w = fx.Start();
        w.LeftTabs->setCurrentWidget(w.OptionsTab);
        QVERIFY(w.OptionsTab->CheckMPEGFiles->isVisibleTo(&w));
        QVERIFY(w.OptionsTab->CopyCorruptFiles->isVisibleTo(&w));
        QVERIFY(ReadFile(fx.dir / "Ferrolin.log").find("Load of Optibase dll's successful") !=
                std::string::npos);
#endif
    }

    void sendTimeModeShowsOnePanel_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("simple");
        QTest::addColumn<bool>("enhanced");
        QTest::newRow("simple") << "0" << true << false;
        QTest::newRow("enhanced") << "1" << false << true;
        QTest::newRow("past the last item") << "7" << false << true;
    }
    void sendTimeModeShowsOnePanel() {
        QFETCH(QString, stored);
        QFETCH(bool, simple);
        QFETCH(bool, enhanced);
        WindowFixture fx;
        auto& w = fx.Start("[Global]\nSendTimeMode=" + stored.toStdString() + "\n");
        w.LeftTabs->setCurrentWidget(w.SendTimeTab);
        QCOMPARE(w.SendTimeTab->SimplePanel->isVisibleTo(&w), simple);
        QCOMPARE(w.SendTimeTab->EnhancedPanel->isVisibleTo(&w), enhanced);
        w.SendTimeTab->SendTimeMode->setCurrentIndex(1);
        QVERIFY(w.SendTimeTab->EnhancedPanel->isVisibleTo(&w));
        QVERIFY(!w.SendTimeTab->SimplePanel->isVisibleTo(&w));
        QCOMPARE(int(w.station().Options.sendTimeMode), 1);
    }

    // Every tab caption shows whole at the window's fixed size: no scroll arrows, each tab
    // inside its bar and the bar inside its tab set, and each tab wide enough for its text
    // and the style's padding (narrower, the style cuts the text short).
    void tabCaptionsShowWhole() {
        WindowFixture fx;
        auto& w = fx.Start();
        QCoreApplication::processEvents();
        for (QTabWidget* tabs : {w.LeftTabs, w.RightTabs}) {
            QTabBar* bar = tabs->tabBar();
            const QString set = tabs->objectName();
            for (QToolButton* arrow : bar->findChildren<QToolButton*>()) {
                QVERIFY2(!arrow->isVisible(), qPrintable(set + ": scroll arrows shown"));
            }
            const QRect barInSet(bar->mapTo(tabs, QPoint(0, 0)), bar->size());
            QVERIFY2(tabs->rect().contains(barInSet), qPrintable(set + ": tab bar cut off"));
            const int padding = bar->style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, bar);
            for (int t = 0; t < bar->count(); ++t) {
                const QString where = set + "/" + bar->tabText(t);
                QVERIFY2(bar->rect().contains(bar->tabRect(t)), qPrintable("outside: " + where));
                const int needed = bar->fontMetrics().horizontalAdvance(bar->tabText(t)) + padding;
                QVERIFY2(bar->tabRect(t).width() >= needed, qPrintable("cut off: " + where));
            }
        }
    }

    // Every caption fits its control and no two controls of a tab overlap, on every tab
    // with every optional control shown.
    void noCutOffTextAndNoOverlap() {
        WindowFixture fx;
        auto& w = fx.Start(
            "[Global]\nAnzKopfstellen=1\nSendTimeMode=1\n" + JobSection(0, "Demo"));
        w.OptionsTab->CheckMPEGFiles->setVisible(true);
        w.OptionsTab->CopyCorruptFiles->setVisible(true);
        w.StatusTab->CancelCopy->setVisible(true);
        for (QTabWidget* tabs : {w.LeftTabs, w.RightTabs}) {
            for (int t = 0; t < tabs->count(); ++t) {
                tabs->setCurrentIndex(t);
                QWidget* page = tabs->widget(t);
                QCoreApplication::processEvents();
                const QList<QWidget*> widgets = CaptionedWidgets(page);
                for (QWidget* c : widgets) {
                    const QString where = tabs->tabText(t) + "/" + c->objectName() + " " +
                                          (qobject_cast<QLabel*>(c) ? qobject_cast<QLabel*>(c)->text() : QString());
                    QVERIFY2(c->width() >= NeededWidth(c), qPrintable("cut off: " + where));
                    QVERIFY2(page->rect().contains(InPage(c, page)), qPrintable("outside: " + where));
                }
                for (int i = 0; i < widgets.size(); ++i) {
                    for (int j = i + 1; j < widgets.size(); ++j) {
                        QWidget* a = widgets[i];
                        QWidget* b = widgets[j];
                        if (a->isAncestorOf(b) || b->isAncestorOf(a)) continue;
                        QVERIFY2(!InPage(a, page).intersects(InPage(b, page)),
                                 qPrintable(tabs->tabText(t) + ": " + a->objectName() + " over " +
                                            b->objectName()));
                    }
                }
                // With FERROLIN_GUI_GRAB_DIR set, each tab is saved as a picture to look at.
                const QString grabDir = qEnvironmentVariable("FERROLIN_GUI_GRAB_DIR");
                if (!grabDir.isEmpty()) {
                    w.grab().save(grabDir + "/" + tabs->objectName() + "-" + QString::number(t) + ".png");
                }
            }
        }
    }
};

int RunWindowLayoutTests(int argc, char** argv) {
    WindowLayoutTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace ferrolin::test

#include "window_layout_test.moc"
