// Runs from the window: "Manual" over a real folder job (files copied, log written, the
// labels going "working..." then "finished"), and Cancel during a slow copy ("cancelled").
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "gui_tests.h"
#include "platform/fs.h"
#include "window_fixture.h"

namespace ferrolin::test {

namespace {

// Records what the label shows each time the window processes messages during a run.
class LabelSampler {
public:
    explicit LabelSampler(QLabel* label) {
        QObject::connect(&timer_, &QTimer::timeout, [this, label] {
            if (seen.isEmpty() || seen.back() != label->text()) seen.push_back(label->text());
        });
        timer_.start(0);
    }
    QStringList seen;

private:
    QTimer timer_;
};

std::string FolderJob(const TempDir& dir, int n, const std::string& name, const std::string& extra = {}) {
    return "[Kopf" + std::to_string(n) + "]\nName=" + name + "\nActive=1\nSendeVerzeichnis=" +
           (dir / ("in-" + name)) + "\nEmpfangsVerzeichnis=" + (dir / ("out-" + name)) + "\n" + extra;
}

}  // namespace

class RunFlowTest : public QObject {
    Q_OBJECT
private slots:
    void manualRunCopiesShowsProgressAndLogs() {
        WindowFixture fx;
        for (int i = 0; i < 3; ++i) {
            WriteFile(fx.dir / ("in-Demo/file" + std::to_string(i) + ".txt"), std::string(1000 + i, 'x'));
        }
        platform::CreateDirectories(fx.dir / "out-Demo");
        auto& w = fx.Start("[Global]\nAnzKopfstellen=1\n" + FolderJob(fx.dir, 0, "Demo"));
        QCoreApplication::processEvents();
        LabelSampler nextStart(w.StatusTab->NextStart);
        QTest::mouseClick(w.StatusTab->BManual, Qt::LeftButton);

        QVERIFY2(nextStart.seen.contains(QStringLiteral("working...")), qPrintable(nextStart.seen.join('|')));
        QCOMPARE(w.StatusTab->NextStart->text(), QStringLiteral("finished"));
        QVERIFY(w.StatusTab->CancelCopy->isHidden());
        QCOMPARE(int(w.station().RunMode), int(RM_Idle));
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(ReadFile(fx.dir / ("out-Demo/file" + std::to_string(i) + ".txt")).size(),
                     size_t(1000 + i));
        }
        QVERIFY(ReadFile(fx.dir / "Ferrolin.log").find("Copy to ") != std::string::npos);
        QCOMPARE(w.windowTitle(), QStringLiteral("Ferrolin"));
        QCOMPARE(w.StatusTab->JobList->currentRow(), -1);
        QVERIFY(w.StatusTab->JobList->isEnabled());
        QCOMPARE(w.RightTabs->currentWidget(), w.ErrorsTab);
        // "Manual" computes the next automatic start from the send-time lines.
        QVERIFY(!w.SendTimeTab->NextFu10->text().isEmpty());
    }

    void cancelStopsTheCopyAndTheRemainingJobs() {
        WindowFixture fx;
        // 4 MiB at 1 MiB/s: several seconds unless Cancel stops it.
        WriteFile(fx.dir / "in-Slow/big.bin", std::string(4 << 20, 'b'));
        WriteFile(fx.dir / "in-Next/small.txt", "small");
        platform::CreateDirectories(fx.dir / "out-Slow");
        platform::CreateDirectories(fx.dir / "out-Next");
        auto& w = fx.Start("[Global]\nAnzKopfstellen=2\nAuto=1\n" +
                           FolderJob(fx.dir, 0, "Slow", "MaxByteRate=1\n") + FolderJob(fx.dir, 1, "Next"));
        QVERIFY(w.StatusTab->Auto->isChecked());
        bool cancelShown = false;
        QString captionDuringRun;
        QTimer::singleShot(300, &w, [&] {
            cancelShown = w.StatusTab->CancelCopy->isVisible();
            captionDuringRun = w.windowTitle();
            QTest::mouseClick(w.StatusTab->CancelCopy, Qt::LeftButton);
        });
        QTest::mouseClick(w.StatusTab->BManualN, Qt::LeftButton);

        QVERIFY(cancelShown);
        QCOMPARE(captionDuringRun, QStringLiteral("Ferrolin Slow"));
        QCOMPARE(w.StatusTab->NextStart->text(), QStringLiteral("cancelled"));
        QVERIFY(!w.StatusTab->Auto->isChecked());
        QVERIFY(!w.station().Options.autoMode);
        QVERIFY(ReadFile(fx.dir / "out-Slow/big.bin").size() < (4u << 20));
        QVERIFY(!platform::FileExists(fx.dir / "out-Next/small.txt"));
    }

    // A run with a job whose source is missing and a good one: the label says so, the
    // Errors list has the failed job's reason with the time, and each job line shows its
    // outcome. The log then opens inside the window where no desktop viewer is found.
    void failedJobShowsInLabelErrorsAndJobList() {
        WindowFixture fx;
        WriteFile(fx.dir / "in-Good/a.txt", "a");
        platform::CreateDirectories(fx.dir / "out-Good");
        auto& w = fx.Start("[Global]\nAnzKopfstellen=2\n" + FolderJob(fx.dir, 0, "Gone") +
                           FolderJob(fx.dir, 1, "Good"));
        QTest::mouseClick(w.StatusTab->BManualN, Qt::LeftButton);

        QCOMPARE(w.StatusTab->NextStart->text(), QStringLiteral("finished with errors"));
        const QString errors = w.ErrorsTab->Errors->toPlainText();
        const QString expected = QStringLiteral("10:00:00 Gone: cut short: Source ") +
                                 QString::fromStdString(fx.dir / "in-Gone") +
                                 QStringLiteral(" could not be listed");
        QVERIFY2(errors.contains(expected), qPrintable(errors));
        QVERIFY2(!errors.contains(QStringLiteral("Good")), qPrintable(errors));
        QListWidget* list = w.StatusTab->JobList;
        QVERIFY(list->item(0)->toolTip().startsWith(QStringLiteral("cut short at ")));
        QVERIFY(list->item(0)->toolTip().endsWith(QStringLiteral("could not be listed")));
        QVERIFY(list->item(1)->toolTip().startsWith(QStringLiteral("ok at ")));
        QVERIFY(!list->item(0)->icon().isNull());
        QVERIFY(list->item(0)->icon().cacheKey() != list->item(1)->icon().cacheKey());

        // No xdg-mime on the path: no desktop viewer, so the window shows the log itself.
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QByteArray::fromStdString(fx.dir / "no-such-bin"));
        w.OnOpenLogfile();
        qputenv("PATH", path);
        QVERIFY(w.logView() != nullptr && w.logView()->isVisible());
        QVERIFY(w.logView()->Text->isReadOnly());
        QVERIFY(w.logView()->Text->toPlainText().contains(QStringLiteral("could not be listed")));
        QScrollBar* bar = w.logView()->Text->verticalScrollBar();
        QCOMPARE(bar->value(), bar->maximum());
    }

    void closingDuringARunCancelsItAndLogsTheClose() {
        WindowFixture fx;
        WriteFile(fx.dir / "in-Slow/big.bin", std::string(4 << 20, 'b'));
        platform::CreateDirectories(fx.dir / "out-Slow");
        auto& w = fx.Start("[Global]\nAnzKopfstellen=1\n" + FolderJob(fx.dir, 0, "Slow", "MaxByteRate=1\n"));
        QTimer::singleShot(300, &w, [&] { w.close(); });
        QTest::mouseClick(w.StatusTab->BManual, Qt::LeftButton);
        QVERIFY(!w.isVisible());
        QCOMPARE(w.StatusTab->NextStart->text(), QStringLiteral("cancelled"));
        QVERIFY(ReadFile(fx.dir / "out-Slow/big.bin").size() < (4u << 20));
        QVERIFY(ReadFile(fx.dir / "Ferrolin.log").find("Program closed") != std::string::npos);
    }
};

int RunRunFlowTests(int argc, char** argv) {
    RunFlowTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace ferrolin::test

#include "run_flow_test.moc"
