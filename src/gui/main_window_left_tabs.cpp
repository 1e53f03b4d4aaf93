// The left tab set: "Status" (run buttons and the job list), "Options" and "Send time";
// and the "Errors" tab of the right set. ("Time sync" is in time_sync_tab.cpp.)
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/main_window.h"
#include "gui/widget_names.h"
#include "schedule/send_time_editor.h"

namespace ferrolin::gui {

namespace {

QCheckBox* Box(const char* name, const char* caption) {
    return Named(new QCheckBox(QString::fromUtf8(caption)), name);
}

QPushButton* Button(const char* name, const char* caption) {
    return Named(new QPushButton(QString::fromUtf8(caption)), name);
}

void Tight(QLayout* layout) {
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(3);
}

}  // namespace

QWidget* TFQuillomat::BuildStatusTab() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    Tight(layout);

    auto* runRow = new QHBoxLayout;
    Auto = Box("Auto", "Auto");
    BManual = Button("BManual", "Manual");
    BManualN = Button("BManualN", "Manual (no messages)");
    runRow->addWidget(Auto);
    runRow->addWidget(BManual);
    runRow->addWidget(BManualN);
    layout->addLayout(runRow);

    auto* nextRow = new QHBoxLayout;
    NextStart = Named(new QLabel(QStringLiteral("NextStart")), "NextStart");
    QFont large = NextStart->font();
    large.setPixelSize(19);
    NextStart->setFont(large);
    CancelCopy = Button("CancelCopy", "Cancel");
    CancelCopy->setVisible(false);
    nextRow->addWidget(NextStart, 1);
    nextRow->addWidget(CancelCopy);
    layout->addLayout(nextRow);

    auto* boxRow = new QHBoxLayout;
    connected = Box("connected", "connected");
    // Shows the run driver's state; the operator cannot switch it.
    connected->setAttribute(Qt::WA_TransparentForMouseEvents);
    connected->setFocusPolicy(Qt::NoFocus);
    RunMinimized = Box("RunMinimized", "Minimize");
    boxRow->addWidget(connected, 1);
    boxRow->addWidget(RunMinimized);
    layout->addLayout(boxRow);

    CheckListBox1 = Named(new QListWidget, "CheckListBox1");
    layout->addWidget(CheckListBox1, 1);
    KopfName = Named(new QLineEdit, "KopfName");
    layout->addWidget(KopfName);

    auto* editRow = new QHBoxLayout;
    editRow->setSpacing(2);
    BEdit = Button("BEdit", "Edit");
    BNew = Button("BNew", "New");
    BDel = Button("BDel", "Del");
    BSave = Button("BSave", "Save");
    BCancel = Button("BCancel", "Cancel");
    for (QPushButton* button : {BEdit, BNew, BDel, BSave, BCancel}) {
        button->setMinimumWidth(40);
        editRow->addWidget(button);
    }
    layout->addLayout(editRow);
    return page;
}

QWidget* TFQuillomat::BuildOptionsTab() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    Tight(layout);

    CopyOpenFiles = Box("CopyOpenFiles", "Copy Open Files");
    CheckMPEGFiles = Box("CheckMPEGFiles", "Check MPEG files");
    UploadInProgressCheck =
        Box("UploadInProgressCheck", "Don't copy if UPLOADINPROGRESS.TXT found");
    NoFTPDisconnect = Box("NoFTPDisconnect", "no disconnect");
    layout->addWidget(CopyOpenFiles);
    layout->addWidget(CheckMPEGFiles);
    layout->addWidget(UploadInProgressCheck);
    layout->addWidget(NoFTPDisconnect);

    auto* automode = Named(new QGroupBox(QStringLiteral("Automode")), "Automode");
    auto* autoLayout = new QVBoxLayout(automode);
    Tight(autoLayout);
    auto* timeoutRow = new QHBoxLayout;
    ERebootAfterTimeout = Named(new QLineEdit, "ERebootAfterTimeout");
    ERebootAfterTimeout->setToolTip(QStringLiteral("00:00=Disable MM:SS"));
    ERebootAfterTimeout->setFixedWidth(50);
    TimeoutControl = Named(new QComboBox, "TimeoutControl");
    TimeoutControl->addItems(
        {QStringLiteral("No timeout control"), QStringLiteral("Restart Software"),
         QStringLiteral("Restart Computer")});
    timeoutRow->addWidget(ERebootAfterTimeout);
    timeoutRow->addWidget(TimeoutControl, 1);
    autoLayout->addLayout(timeoutRow);
    CloseProgAfterJobs = Box("CloseProgAfterJobs", "Close program after jobs done");
    SpezialScan = Box("SpezialScan", "Special scan of first item");
    AbsolutSendTime = Box("AbsolutSendTime", "Absolut send time");
    AbsolutSendTime->setToolTip(QStringLiteral("When you will have exactely send times "));
    CopyCorruptFiles = Box("CopyCorruptFiles", "Copy corrupt files");
    for (QWidget* w : {static_cast<QWidget*>(CloseProgAfterJobs), static_cast<QWidget*>(SpezialScan),
                       static_cast<QWidget*>(AbsolutSendTime),
                       static_cast<QWidget*>(CopyCorruptFiles)}) {
        autoLayout->addWidget(w);
    }
    layout->addWidget(automode);

    auto* logGroup = Named(new QGroupBox(QStringLiteral("Add to Logfile")), "AddToLogfile");
    auto* logLayout = new QVBoxLayout(logGroup);
    Tight(logLayout);
    LogEndStatistic = Box("LogEndStatistic", "End statistic");
    SaveSuccessfulCopies = Box("SaveSuccessfulCopies", "Successful copies");
    logLayout->addWidget(LogEndStatistic);
    logLayout->addWidget(SaveSuccessfulCopies);
    layout->addWidget(logGroup);
    layout->addStretch(1);

    // Kept in the file and honoured, but not offered in the window.
    for (QWidget* hidden : {static_cast<QWidget*>(UploadInProgressCheck),
                            static_cast<QWidget*>(NoFTPDisconnect),
                            static_cast<QWidget*>(SpezialScan),
                            static_cast<QWidget*>(AbsolutSendTime)}) {
        hidden->setVisible(false);
    }
    // Shown only when the MPEG check library loaded (decided at window creation).
    CheckMPEGFiles->setVisible(false);
    CopyCorruptFiles->setVisible(false);
    return page;
}

QWidget* TFQuillomat::BuildSendTimeTab() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    Tight(layout);

    SendTimeMode = Named(new QComboBox, "SendTimeMode");
    SendTimeMode->addItems({QStringLiteral("Simple"), QStringLiteral("Enhanced")});
    layout->addWidget(SendTimeMode);

    SimplePanel = Named(new QWidget, "SimplePanel");
    auto* simple = new QHBoxLayout(SimplePanel);
    simple->setContentsMargins(0, 0, 0, 0);
    SendTimeSimpleIntervalE = Named(new QLineEdit, "SendTimeSimpleIntervalE");
    SendTimeSimpleIntervalE->setFixedWidth(70);
    simple->addWidget(new QLabel(QStringLiteral("Interval:")));
    simple->addWidget(SendTimeSimpleIntervalE);
    simple->addWidget(new QLabel(QStringLiteral("hh:mm:ss")));
    simple->addStretch(1);
    layout->addWidget(SimplePanel);

    EnhancedPanel = Named(new QWidget, "EnhancedPanel");
    auto* enhanced = new QVBoxLayout(EnhancedPanel);
    enhanced->setContentsMargins(0, 0, 0, 0);
    enhanced->setSpacing(3);
    auto* dayRow = new QHBoxLayout;
    Tage = Named(new QComboBox, "Tage");
    for (std::string_view day : kWeekdayNames) Tage->addItem(Q(day));
    Tage->installEventFilter(this);
    BSaveSendTime = Button("BSaveSendTime", "Save");
    BSaveSendTime->setEnabled(false);
    dayRow->addWidget(Tage, 1);
    dayRow->addWidget(BSaveSendTime);
    enhanced->addLayout(dayRow);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    // In the window's own font the blanks put "Interval" over the memo's interval column.
    auto* heading = new QLabel(QStringLiteral("Time           Interval"));
    enhanced->addWidget(heading);
    Memo1 = Named(new QPlainTextEdit, "Memo1");
    Memo1->setFont(fixed);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setToolTip(QStringLiteral("hh:mm hh:mm Startzeit interval"));
    enhanced->addWidget(Memo1, 1);
    layout->addWidget(EnhancedPanel, 1);

    auto* nextRow = new QHBoxLayout;
    NextFu10 = Named(new QLabel, "NextFu10");
    nextRow->addWidget(new QLabel(QStringLiteral("Next:")));
    nextRow->addWidget(NextFu10, 1);
    layout->addStretch(0);
    layout->addLayout(nextRow);
    return page;
}

QWidget* TFQuillomat::BuildErrorsTab() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    Tight(layout);
    Errors = Named(new QPlainTextEdit, "Errors");
    Errors->setReadOnly(true);
    Errors->setLineWrapMode(QPlainTextEdit::NoWrap);
    Errors->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Errors->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(Errors, 1);
    auto* row = new QHBoxLayout;
    Status = Button("Status", "Reset");
    row->addStretch(1);
    row->addWidget(Status);
    layout->addLayout(row);
    return page;
}

}  // namespace ferrolin::gui
