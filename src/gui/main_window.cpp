#include "gui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

#include "common/datetime_format.h"
#include "common/log.h"
#include "station/run_gate.h"
#include "common/memo_lines.h"
#include "config/profile_file.h"
#include "files/mpeg_check.h"
#include "remote/time_sync_panel.h"
#include "station/job_editor_commands.h"
#include "station/legacy_config.h"
#include "version.h"

namespace ferrolin::gui {

namespace {
constexpr int kStatusBarHeight = 19;
constexpr int kTimer2IntervalMs = 100;
}  // namespace

TFQuillomat::TFQuillomat(const StationStart& start, QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("FQuillomat"));
    station_ = OpenStation(start, surfaces_);

    BuildFrame();
    BuildMenu();
    AttachSurfaces();
    BindOptions();
    BindEditor();
    BindTimeSync();
    ConnectHandlers();

    StatusPanel1->setText(QStringLiteral(FERROLIN_VERSION));
    CheckMPEGFiles->setVisible(MpegCheckAvailable(station_->Mpeg));
    CopyCorruptFiles->setVisible(MpegCheckAvailable(station_->Mpeg));

    // The name field's text before any job was read: what "New" on an empty list stores.
    station_->Editor.Name = "KopfName";
    ShowOptions();
    ShowEditor();
    ShowEditingState();
    ShowSendTime();
    ShowTimeSync();

    Timer1 = new QTimer(this);
    connect(Timer1, &QTimer::timeout, this, &TFQuillomat::OnTimer1);
    Timer1->start(station_->Automatic().Timer1IntervalMs());
    Timer2 = new QTimer(this);
    connect(Timer2, &QTimer::timeout, this, &TFQuillomat::OnTimer2);
    Timer2->start(kTimer2IntervalMs);
}

TFQuillomat::~TFQuillomat() = default;

void TFQuillomat::BuildFrame() {
    setWindowTitle(QStringLiteral("Ferrolin"));
    auto* central = new QWidget(this);
    setCentralWidget(central);

    LeftTabs = new QTabWidget(central);
    LeftTabs->setObjectName(QStringLiteral("LeftTabs"));
    LeftTabs->setGeometry(5, 4, 286, 285);
    StatusTab = BuildStatusTab();
    TimeSyncTab = BuildTimeSyncTab();
    OptionsTab = BuildOptionsTab();
    SendTimeTab = BuildSendTimeTab();
    LeftTabs->addTab(StatusTab, QStringLiteral("Status"));
    LeftTabs->addTab(TimeSyncTab, Q(time_sync_panel::kTabCaption));
    LeftTabs->addTab(OptionsTab, QStringLiteral("Options"));
    LeftTabs->addTab(SendTimeTab, QStringLiteral("Send time"));

    RightTabs = new QTabWidget(central);
    RightTabs->setObjectName(QStringLiteral("RightTabs"));
    RightTabs->setGeometry(296, 4, 378, 285);
    ErrorsTab = BuildErrorsTab();
    SourceTab = BuildSourceTab();
    DestinationTab = BuildDestinationTab();
    ConnectionTab = BuildConnectionTab();
    RightTabs->addTab(ErrorsTab, QStringLiteral("Errors"));
    RightTabs->addTab(SourceTab, QStringLiteral("Source"));
    RightTabs->addTab(DestinationTab, QStringLiteral("Destination"));
    RightTabs->addTab(ConnectionTab, QStringLiteral("Connection"));
    RightTabs->setCurrentWidget(SourceTab);

    StatusPanel0 = new QLabel(this);
    StatusPanel0->setObjectName(QStringLiteral("StatusPanel0"));
    StatusPanel0->setFixedWidth(600);
    StatusPanel1 = new QLabel(this);
    StatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    StatusPanel1->setMinimumWidth(50);
    statusBar()->setSizeGripEnabled(false);
    statusBar()->setFixedHeight(kStatusBarHeight);
    statusBar()->addWidget(StatusPanel0);
    statusBar()->addWidget(StatusPanel1, 1);

    // The gauge: 5 pixels from the left, the window's width less 16, 25 high, its top 30
    // pixels above the status bar.
    const int centralHeight = kClientHeight - kStatusBarHeight;
    CopyStatusG = new TGaugeKest(central);
    CopyStatusG->setGeometry(5, centralHeight - 30, kClientWidth + 8 - 16, 25);
}

void TFQuillomat::BuildMenu() {
    QMenu* configuration = menuBar()->addMenu(QStringLiteral("&Configuration"));
    Config1 = configuration->addAction(QStringLiteral("&Save"));
    connect(Config1, &QAction::triggered, this, &TFQuillomat::OnSaveConfig);
    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    OpenLogfile1 = tools->addAction(QStringLiteral("&Open Logfile"));
    connect(OpenLogfile1, &QAction::triggered, this, &TFQuillomat::OnOpenLogfile);
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    About1 = help->addAction(QStringLiteral("&About"));
    connect(About1, &QAction::triggered, this, [this] {
        if (aboutBox_) aboutBox_->exec();
    });
    // Fixed, non-resizable: the client area is 677 x 344 below the menu bar.
    setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
}

void TFQuillomat::AttachSurfaces() {
    QtSurfaces::Widgets widgets;
    widgets.window = this;
    widgets.statusPanel0 = StatusPanel0;
    widgets.errors = Errors;
    widgets.gauge = CopyStatusG;
    widgets.jobList = CheckListBox1;
    widgets.nextStart = NextStart;
    widgets.nextFu10 = NextFu10;
    widgets.connected = connected;
    widgets.cancelCopy = CancelCopy;
    QtSurfaces::Reactions reactions;
    // ReadConfig announces itself through the job list; it also replaced the options.
    reactions.jobListChanged = [this] {
        ShowJobList();
        ShowOptions();
        ShowTimeSync();
    };
    reactions.jobEditorChanged = [this] { ShowEditor(); };
    reactions.editingChanged = [this] { ShowEditingState(); };
    reactions.jobLineSelected = [this](int index) {
        ShowSelectedLine(index);
        ShowRunSelection(index);
    };
    surfaces_.Attach(widgets, std::move(reactions));
}

void TFQuillomat::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    station_->Automatic().StartupSetup();
    SetEditing(*station_, false);
    LeftTabs->setCurrentWidget(StatusTab);
    ShowSendTime();
    ShowTimeSync();
    Timer1->setInterval(station_->Automatic().Timer1IntervalMs());
}

void TFQuillomat::closeEvent(QCloseEvent* event) {
    // A run still going on inside a processed message stops at its next check instead
    // of copying on behind a closed window.
    if (station_->RunMode == RM_Interactive || station_->RunMode == RM_Unattended) {
        OnCancelCopy();
    }
    Timer1->stop();
    Timer2->stop();
    WriteLog(0, station_->LogFile, "Program closed");
    event->accept();
}

void TFQuillomat::OnTimer1() {
    // Off for the whole tick: a run inside it processes messages.
    Timer1->stop();
    // While another process runs on this program folder, the tick waits for the next one.
    if (const auto runLock = TryTakeRunLock(station_->ProgramDir)) station_->Automatic().AutoModeTick();
    ShowSendTime();
    {
        Showing showing(showing_);
        Auto->setChecked(station_->Options.Auto);
    }
    Timer1->start(station_->Automatic().Timer1IntervalMs());
}

void TFQuillomat::OnTimer2() {
    station_->Dog().WatchdogTick();
    connected->setChecked(station_->Connected);
}

}  // namespace ferrolin::gui
