// The job list and editor driven through the window's buttons: what New, Edit/Save,
// Cancel and Del write to Ferrolin.INI, the viewing and editing states, the refused number
// fields and the folder buttons.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <algorithm>

#include "gui_tests.h"
#include "platform/fs.h"
#include "window_fixture.h"

namespace ferrolin::test {
namespace {

QString S(const std::string& text) { return QString::fromStdString(text); }

const std::string kThreeJobs =
    "[Global]\nAnzKopfstellen=3\n" + JobSection(0, "A", true, "CopyMode=3\nDestDelDelay=4\n") +
    JobSection(1, "B", false, "MaxByteRate=2.5\nModemspeed=2\n") + JobSection(2, "C", true);

// Every key a job section holds after the editor wrote it (Active and, with the time
// stamp off, AddTimeStampE are not written).
std::vector<std::string> WrittenJobKeys() {
    std::vector<std::string> keys = {
        "Name", "SourceType", "SendeVerzeichnis", "SourceLName", "SourceLPassword",
        "SourceDelete", "CLFile", "ExcludeExtensions", "EmpfangsVerzeichnis", "DestLName",
        "DestLPassword", "Buffering", "CopyMode", "DestDelDelay", "AddTimeStampC",
        "MaxByteRate", "DRasEintrag", "UseRasFor", "PassiveMode", "UseTempFile",
        "ReportLevel", "ParsingType", "EMailSaveHeader", "EmailDecodeMessage",
        "EmailEraseFirst", "EMailSaveBody", "Modemspeed", "SshKeyFile"};
    std::sort(keys.begin(), keys.end());
    return keys;
}

std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

}  // namespace

class JobEditorFlowTest : public QObject {
    Q_OBJECT
private slots:
    void newAppendsTheShownJobAsLastSection() {
        WindowFixture fx;
        auto& w = fx.Start(kThreeJobs);
        w.StatusTab->OnJobLineClicked(1);
        QCOMPARE(w.StatusTab->JobNameEdit->text(), QStringLiteral("B"));
        QTest::mouseClick(w.StatusTab->BNew, Qt::LeftButton);

        QCOMPARE(S(fx.Ini("Global", "AnzKopfstellen")), QStringLiteral("4"));
        QCOMPARE(S(fx.Ini("Kopf3", "Name")), QStringLiteral("B"));
        QCOMPARE(S(fx.Ini("Kopf3", "MaxByteRate")), QStringLiteral("2.5"));
        QVERIFY(Sorted(fx.Keys("Kopf3")) == WrittenJobKeys());
        QCOMPARE(w.StatusTab->JobList->count(), 4);
        QCOMPARE(w.StatusTab->JobList->item(3)->text(), QStringLiteral("B"));
        // The new section has no Active key: its check mark starts clear.
        QCOMPARE(w.StatusTab->JobList->item(3)->checkState(), Qt::Unchecked);
    }

    void editAndSaveWriteTheSelectedSectionOnly() {
        WindowFixture fx;
        auto& w = fx.Start(kThreeJobs);
        const std::string untouched = fx.Ini("Kopf2", "Name") + fx.Ini("Kopf0", "Name");
        w.StatusTab->OnJobLineClicked(1);
        // "Time out:" shows the stored choice and goes back with the job.
        QCOMPARE(w.ConnectionTab->timeoutChoice->currentText(), QStringLiteral("60 seconds"));
        QTest::mouseClick(w.StatusTab->BEdit, Qt::LeftButton);
        QVERIFY(w.station().Editing);
        w.ConnectionTab->timeoutChoice->setCurrentIndex(1);

        w.StatusTab->JobNameEdit->setText(QStringLiteral("Renamed"));
        w.DestinationTab->CCopyMode->setCurrentIndex(3);
        QVERIFY(w.DestinationTab->deleteDelay->isEnabled());
        w.DestinationTab->deleteDelay->setText(QStringLiteral("7"));
        w.DestinationTab->addTimeStamp->setChecked(true);
        w.DestinationTab->timeStampFormat->setText(QStringLiteral("yymmdd"));
        w.ConnectionTab->passiveMode->setChecked(true);
        QTest::mouseClick(w.StatusTab->BSave, Qt::LeftButton);

        QVERIFY(!w.station().Editing);
        QCOMPARE(S(fx.Ini("Kopf1", "Name")), QStringLiteral("Renamed"));
        QCOMPARE(S(fx.Ini("Kopf1", "CopyMode")), QStringLiteral("3"));
        QCOMPARE(S(fx.Ini("Kopf1", "DestDelDelay")), QStringLiteral("7"));
        QCOMPARE(S(fx.Ini("Kopf1", "AddTimeStampE")), QStringLiteral("yymmdd"));
        QCOMPARE(S(fx.Ini("Kopf1", "PassiveMode")), QStringLiteral("1"));
        QCOMPARE(S(fx.Ini("Kopf1", "Modemspeed")), QStringLiteral("1"));
        // Save leaves the check marks to Configuration > Save.
        QCOMPARE(S(fx.Ini("Kopf1", "Active")), QStringLiteral("0"));
        QCOMPARE(w.StatusTab->JobList->item(1)->text(), QStringLiteral("Renamed"));
        QCOMPARE(S(fx.Ini("Kopf2", "Name") + fx.Ini("Kopf0", "Name")), S(untouched));
        QCOMPARE(S(fx.Ini("Global", "AnzKopfstellen")), QStringLiteral("3"));
    }

    void cancelKeepsTheFileAndTheEditedFields() {
        WindowFixture fx;
        auto& w = fx.Start(kThreeJobs);
        w.StatusTab->OnJobLineDoubleClicked(0);
        QVERIFY(w.station().Editing);
        w.StatusTab->JobNameEdit->setText(QStringLiteral("Edited"));
        QTest::mouseClick(w.StatusTab->BCancel, Qt::LeftButton);
        QVERIFY(!w.station().Editing);
        QCOMPARE(S(fx.Ini("Kopf0", "Name")), QStringLiteral("A"));
        QCOMPARE(w.StatusTab->JobList->item(0)->text(), QStringLiteral("A"));
        QCOMPARE(w.StatusTab->JobNameEdit->text(), QStringLiteral("Edited"));
    }

    void delAsksThenMovesLaterJobsUp() {
        WindowFixture fx;
        auto& w = fx.Start(kThreeJobs);
        w.StatusTab->OnJobLineClicked(0);

        fx.answers = {Answer::No};
        QTest::mouseClick(w.StatusTab->BDel, Qt::LeftButton);
        QCOMPARE(fx.questions.size(), size_t(1));
        QCOMPARE(S(fx.questions[0]), QStringLiteral("Warning: Are you sure to delete A ?"));
        QCOMPARE(S(fx.Ini("Global", "AnzKopfstellen")), QStringLiteral("3"));

        fx.answers = {Answer::Yes};
        QTest::mouseClick(w.StatusTab->BDel, Qt::LeftButton);
        QCOMPARE(S(fx.Ini("Global", "AnzKopfstellen")), QStringLiteral("2"));
        QCOMPARE(S(fx.Ini("Kopf0", "Name")), QStringLiteral("B"));
        QCOMPARE(S(fx.Ini("Kopf0", "MaxByteRate")), QStringLiteral("2.5"));
        QCOMPARE(S(fx.Ini("Kopf1", "Name")), QStringLiteral("C"));
        QCOMPARE(S(fx.Ini("Kopf2", "Name")), QStringLiteral("<absent>"));
        // The Active keys stay where they were until Configuration > Save.
        QCOMPARE(S(fx.Ini("Kopf0", "Active")), QStringLiteral("1"));
        QCOMPARE(w.StatusTab->JobList->count(), 2);
        QCOMPARE(w.StatusTab->JobList->item(0)->checkState(), Qt::Unchecked);
        QCOMPARE(w.StatusTab->JobList->currentRow(), 0);
        QCOMPARE(w.StatusTab->JobNameEdit->text(), QStringLiteral("B"));

        w.Config1->trigger();
        QCOMPARE(S(fx.Ini("Kopf0", "Active")), QStringLiteral("0"));
        QCOMPARE(S(fx.Ini("Kopf1", "Active")), QStringLiteral("1"));
    }

    void deletingTheLastJobSelectsTheNewLast() {
        WindowFixture fx;
        auto& w = fx.Start(kThreeJobs);
        w.StatusTab->OnJobLineClicked(2);
        fx.answers = {Answer::Yes};
        w.StatusTab->OnDel();
        QCOMPARE(w.StatusTab->JobList->count(), 2);
        QCOMPARE(w.StatusTab->JobList->currentRow(), 1);
        QCOMPARE(w.StatusTab->JobNameEdit->text(), QStringLiteral("B"));
    }

    void refusedNumbersAreNeverStored_data() {
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("delay");
        QTest::addColumn<bool>("stored");
        QTest::newRow("fraction") << "2.5" << "3" << true;
        QTest::newRow("blanks and zero") << " 0 " << "" << true;
        QTest::newRow("rate text") << "fast" << "0" << false;
        QTest::newRow("rate negative") << "-1" << "0" << false;
        QTest::newRow("rate two points") << "1.2.3" << "0" << false;
        QTest::newRow("rate only a point") << "." << "0" << false;
        QTest::newRow("delay text") << "0" << "week" << false;
        QTest::newRow("delay fraction") << "0" << "1.5" << false;
        QTest::newRow("delay negative") << "0" << "-2" << false;
    }
    void refusedNumbersAreNeverStored() {
        QFETCH(QString, rate);
        QFETCH(QString, delay);
        QFETCH(bool, stored);
        WindowFixture fx;
        auto& w = fx.Start(kThreeJobs);
        w.StatusTab->OnJobLineClicked(0);
        w.StatusTab->OnEdit();
        w.DestinationTab->maxByteRate->setText(rate);
        w.DestinationTab->deleteDelay->setText(delay);
        w.StatusTab->OnSave();
        QCOMPARE(fx.Ini("Kopf0", "MaxByteRate") == rate.trimmed().toStdString(), stored);
        QCOMPARE(w.station().Editing, !stored);
        QCOMPARE(fx.questions.empty(), stored);
        if (!stored) QVERIFY(fx.questions[0].rfind("Error: The ", 0) == 0);

        // "New" refuses the same texts.
        w.StatusTab->OnCancelEdit();
        w.StatusTab->OnNew();
        QCOMPARE(S(fx.Ini("Global", "AnzKopfstellen")), stored ? QStringLiteral("4") : QStringLiteral("3"));
    }

    void editingStatesSwitchTheControls() {
        WindowFixture fx;
        auto& w = fx.Start(kThreeJobs);
        const QList<QWidget*> viewingOnly = {w.StatusTab->Auto,     w.StatusTab->BManual,
                                             w.StatusTab->BManualN, w.StatusTab->RunMinimized,
                                             w.StatusTab->BNew,     w.StatusTab->BEdit,
                                             w.StatusTab->BDel,     w.StatusTab->JobList};
        const QList<QWidget*> editingOnly = {w.StatusTab->BSave,       w.StatusTab->BCancel,
                                             w.StatusTab->JobNameEdit, w.SourceTab,
                                             w.DestinationTab,         w.ConnectionTab};
        auto check = [&](bool editing) {
            for (QWidget* c : viewingOnly) QVERIFY2(c->isEnabled() == !editing, qPrintable(c->objectName()));
            for (QWidget* c : editingOnly) QVERIFY2(c->isEnabled() == editing, qPrintable(c->objectName()));
        };
        check(false);
        // Edit without a selection does nothing.
        w.StatusTab->OnEdit();
        check(false);

        w.RightTabs->setCurrentWidget(w.ErrorsTab);
        w.StatusTab->OnJobLineClicked(0);
        QCOMPARE(w.RightTabs->currentWidget(), w.SourceTab);
        check(false);

        w.RightTabs->setCurrentWidget(w.ConnectionTab);
        w.StatusTab->OnJobLineDoubleClicked(1);
        check(true);
        QCOMPARE(w.RightTabs->currentWidget(), w.SourceTab);
        // The delete delay is open only for "Source is master".
        QVERIFY(!w.DestinationTab->deleteDelay->isEnabled());
        w.DestinationTab->CCopyMode->setCurrentIndex(3);
        QVERIFY(w.DestinationTab->deleteDelay->isEnabled());
        w.DestinationTab->CCopyMode->setCurrentIndex(2);
        QVERIFY(!w.DestinationTab->deleteDelay->isEnabled());

        w.StatusTab->OnCancelEdit();
        check(false);
        // Editing never switches the automatic mode off.
        QVERIFY(!w.station().Options.autoMode);
    }

    void checkMarksReachTheFileOnlyWithConfigurationSave() {
        WindowFixture fx;
        auto& w = fx.Start(kThreeJobs);
        w.StatusTab->JobList->item(1)->setCheckState(Qt::Checked);
        QVERIFY(w.station().Jobs[1].checked);
        QCOMPARE(S(fx.Ini("Kopf1", "Active")), QStringLiteral("0"));
        w.OptionsTab->CopyOpenFiles->setChecked(false);
        w.OnSaveConfig();
        QCOMPARE(S(fx.Ini("Kopf1", "Active")), QStringLiteral("1"));
        QCOMPARE(S(fx.Ini("Global", "CopyOpenFiles")), QStringLiteral("0"));
    }

    void folderButtonsStartAtTheFieldAndCreateAfterAsking() {
        WindowFixture fx;
        auto& w = fx.Start(kThreeJobs);
        w.StatusTab->OnJobLineDoubleClicked(0);
        const std::string existing = fx.dir / "existing";
        platform::CreateDirectories(existing);
        w.SourceTab->SourceEdit->setText(S(existing));
        fx.pickedFolder = fx.dir / "new/folder";

        fx.answers = {Answer::No};
        QTest::mouseClick(w.SourceTab->SourceFolderButton, Qt::LeftButton);
        QCOMPARE(S(fx.pickStarts.back()), S(existing));
        QCOMPARE(w.SourceTab->SourceEdit->text(), S(existing));
        QVERIFY(!platform::DirectoryExists(fx.pickedFolder));

        fx.answers = {Answer::Yes};
        QTest::mouseClick(w.SourceTab->SourceFolderButton, Qt::LeftButton);
        QVERIFY(platform::DirectoryExists(fx.pickedFolder));
        QCOMPARE(w.SourceTab->SourceEdit->text(), S(fx.pickedFolder));
        QCOMPARE(S(w.station().Editor.source), S(fx.pickedFolder));

        // A destination field that names no folder starts the dialog at the program folder.
        w.DestinationTab->DestinationEdit->setText(QStringLiteral("/no/such/folder"));
        fx.pickedFolder.clear();
        QTest::mouseClick(w.DestinationTab->DestinationFolderButton, Qt::LeftButton);
        QCOMPARE(S(fx.pickStarts.back()), S(fx.dir.path()));
        QCOMPARE(w.DestinationTab->DestinationEdit->text(), QStringLiteral("/no/such/folder"));
    }

    void newOnAnEmptyListTakesTheEditorAsItStands() {
        WindowFixture fx;
        auto& w = fx.Start();
        QCOMPARE(w.StatusTab->JobList->count(), 0);
        w.StatusTab->OnNew();
        QCOMPARE(S(fx.Ini("Global", "AnzKopfstellen")), QStringLiteral("1"));
        // The name field starts empty; the new job gets a name, never a blank line.
        QCOMPARE(S(fx.Ini("Kopf0", "Name")), QStringLiteral("Job 1"));
        QVERIFY(Sorted(fx.Keys("Kopf0")) == WrittenJobKeys());
        QCOMPARE(w.StatusTab->JobList->count(), 1);
    }
};

int RunJobEditorFlowTests(int argc, char** argv) {
    JobEditorFlowTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace ferrolin::test

#include "job_editor_flow_test.moc"
