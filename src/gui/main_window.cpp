#include "gui/main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

#include "common/datetime_format.h"
#include "common/log.h"
#include "common/memo_lines.h"
#include "files/mpeg_check.h"
#include "gui/compact_tabs.h"
#include "gui/guarded.h"
#include "remote/time_sync.h"
#include "remote/time_sync_panel.h"
#include "station/job_editor_commands.h"
#include "station/legacy_config.h"
#include "station/open_logfile.h"
#include "station/run_gate.h"
#include "station/station_config.h"
#include "version.h"

namespace ferrolin::gui {

namespace {
constexpr int kStatusBarHeight = 19;
constexpr int kWatchdogIntervalMs = 100;
}  // namespace

MainWindow::MainWindow(const StationStart& start, QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("FQuillomat"));
    station_ = OpenStation(start, surfaces_);

    BuildFrame();
    BuildMenu();
    AttachSurfaces();
    ConnectTabs();

    StatusPanel1->setText(QStringLiteral(FERROLIN_VERSION));
    OptionsTab->ShowMpegOptions(MpegCheckAvailable(station_->Mpeg));

    ShowOptions();
    ShowEditor();
    ShowEditingState();
    SendTimeTab->ShowSendTime();
    TimeSyncTab->Show();

    AutoModeTimer = new QTimer(this);
    connect(AutoModeTimer, &QTimer::timeout, this, &MainWindow::OnAutoModeTimer);
    AutoModeTimer->start(station_->Automatic().AutoModeIntervalMs());
    WatchdogTimer = new QTimer(this);
    connect(WatchdogTimer, &QTimer::timeout, this, &MainWindow::OnWatchdogTimer);
    WatchdogTimer->start(kWatchdogIntervalMs);
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildFrame() {
    setWindowTitle(QStringLiteral("Ferrolin"));
    auto* central = new QWidget(this);
    setCentralWidget(central);

    LeftTabs = new QTabWidget(central);
    LeftTabs->setObjectName(QStringLiteral("LeftTabs"));
    LeftTabs->setGeometry(5, 4, 286, 285);
    StatusTab = new StatusPage(*station_, station_->Automatic(), surfaces_);
    TimeSyncTab = new TimeSyncPage(*station_);
    OptionsTab = new OptionsPage(*station_);
    SendTimeTab = new SendTimePage(*station_, station_->WeekdayStore(), surfaces_);
    LeftTabs->addTab(StatusTab, QStringLiteral("Status"));
    LeftTabs->addTab(TimeSyncTab, Q(time_sync_panel::kTabCaption));
    LeftTabs->addTab(OptionsTab, QStringLiteral("Options"));
    LeftTabs->addTab(SendTimeTab, QStringLiteral("Send time"));

    RightTabs = new QTabWidget(central);
    RightTabs->setObjectName(QStringLiteral("RightTabs"));
    RightTabs->setGeometry(296, 4, 378, 285);
    ErrorsTab = new ErrorsPage;
    SourceTab = new SourcePage(*station_);
    DestinationTab = new DestinationPage(*station_);
    ConnectionTab = new ConnectionPage(*station_);
    RightTabs->addTab(ErrorsTab, QStringLiteral("Errors"));
    RightTabs->addTab(SourceTab, QStringLiteral("Source"));
    RightTabs->addTab(DestinationTab, QStringLiteral("Destination"));
    RightTabs->addTab(ConnectionTab, QStringLiteral("Connection"));
    RightTabs->setCurrentWidget(SourceTab);
    // Created after the tab sets, so the styles outlive their tab bars.
    UseCompactTabs(LeftTabs, this);
    UseCompactTabs(RightTabs, this);

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
    CopyStatusG = new GaugeWidget(central);
    CopyStatusG->setGeometry(5, centralHeight - 30, kClientWidth + 8 - 16, 25);
}

void MainWindow::BuildMenu() {
    QMenu* configuration = menuBar()->addMenu(QStringLiteral("&Configuration"));
    Config1 = configuration->addAction(QStringLiteral("&Save"));
    connect(Config1, &QAction::triggered, this, &MainWindow::OnSaveConfig);
    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    OpenLogfile1 = tools->addAction(QStringLiteral("&Open Logfile"));
    connect(OpenLogfile1, &QAction::triggered, this, &MainWindow::OnOpenLogfile);
    FtpClient1 = tools->addAction(QStringLiteral("&FTP-Client"));
    connect(FtpClient1, &QAction::triggered, this, &MainWindow::OnFtpClient);
    Ras1 = tools->addAction(QStringLiteral("&Ras"));
    Ras1->setVisible(station_->Line.Ras.Available());
    connect(Ras1, &QAction::triggered, this, &MainWindow::OnRas);
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    About1 = help->addAction(QStringLiteral("&About"));
    connect(About1, &QAction::triggered, this, [this] {
        if (aboutBox_) aboutBox_->exec();
    });
    // Fixed, non-resizable: the client area is 677 x 344 below the menu bar.
    setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
}

// What one tab does that shows on another, or on the frame.
void MainWindow::ConnectTabs() {
    connect(StatusTab, &StatusPage::jobLineClicked, this, [this] {
        if (RightTabs->currentWidget() == ErrorsTab) RightTabs->setCurrentWidget(SourceTab);
    });
    connect(StatusTab, &StatusPage::jobLineDoubleClicked, this,
            [this] { RightTabs->setCurrentWidget(SourceTab); });
    connect(StatusTab, &StatusPage::runFinished, SendTimeTab, &SendTimePage::ShowSendTime);
    connect(ErrorsTab, &ErrorsPage::reset, StatusPanel0, &QLabel::clear);
    connect(StatusTab, &StatusPage::runFinished, this, [this] {
        if (ftpWindow_) ftpWindow_->ShowSessionState();
    });
}

void MainWindow::OnFtpClient() {
    if (!ftpWindow_) {
        Station& station = *station_;
        ftpWindow_ =
            std::make_unique<FtpClientWindow>(station.Sessions.Ftp, surfaces_, station.ProgramDir,
                                              [&station] { return station.RunInProgress(); });
    }
    ftpWindow_->ShowSessionState();
    ftpWindow_->show();
    ftpWindow_->raise();
    ftpWindow_->activateWindow();
}

void MainWindow::OnRas() {
    if (!station_->Line.Ras.Available()) return;
    if (!rasWindow_) {
        rasWindow_ = std::make_unique<DialUpWindow>(station_->Line.Ras, station_->ProgramDir);
    }
    rasWindow_->show();
    rasWindow_->raise();
    rasWindow_->activateWindow();
}

void MainWindow::AttachSurfaces() {
    QtSurfaces::Widgets widgets;
    widgets.window = this;
    widgets.statusPanel0 = StatusPanel0;
    widgets.errors = ErrorsTab->Errors;
    widgets.gauge = CopyStatusG;
    widgets.jobList = StatusTab->JobList;
    widgets.nextStart = StatusTab->NextStart;
    widgets.nextFu10 = SendTimeTab->NextFu10;
    widgets.connected = StatusTab->connected;
    widgets.cancelCopy = StatusTab->CancelCopy;
    QtSurfaces::Reactions reactions;
    // ReadConfig announces itself through the job list; it also replaced the options.
    reactions.jobListChanged = [this] {
        StatusTab->ShowJobList();
        ShowOptions();
        TimeSyncTab->Show();
    };
    reactions.jobEditorChanged = [this] { ShowEditor(); };
    reactions.editingChanged = [this] { ShowEditingState(); };
    reactions.jobLineSelected = [this](int index) {
        StatusTab->ShowSelectedLine(index);
        ShowRunSelection(index);
    };
    // A run started or ended: the FTP window shows whether the session is free for it
    // once the run's state has settled, on the next pass of the event loop (the run
    // processes messages; its end returns to the loop).
    reactions.cancelVisibleChanged = [this](bool running) {
        // At a run's end each job line shows how it went.
        if (!running) StatusTab->ShowJobOutcomes();
        QTimer::singleShot(0, this, [this] {
            if (ftpWindow_) ftpWindow_->ShowSessionState();
        });
    };
    surfaces_.Attach(widgets, std::move(reactions));
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    station_->Automatic().StartupSetup();
    SetEditing(*station_, false);
    LeftTabs->setCurrentWidget(StatusTab);
    SendTimeTab->ShowSendTime();
    TimeSyncTab->Show();
    AutoModeTimer->setInterval(station_->Automatic().AutoModeIntervalMs());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A run still going on inside a processed message stops at its next check instead
    // of copying on behind a closed window.
    if (station_->RunInProgress()) StatusTab->OnCancelCopy();
    if (ftpWindow_) {
        station_->Sessions.Ftp.AbortTransfer();
        ftpWindow_->close();
    }
    if (rasWindow_) rasWindow_->close();
    AutoModeTimer->stop();
    WatchdogTimer->stop();
    WriteLog(0, station_->LogFile, "Program closed");
    event->accept();
}

void MainWindow::OnAutoModeTimer() {
    // Off for the whole tick: a run inside it processes messages.
    AutoModeTimer->stop();
    // While another process runs on this program folder, the tick waits for the next one.
    if (const auto runLock = TryTakeRunLock(station_->ProgramDir))
        station_->Automatic().AutoModeTick();
    SendTimeTab->ShowSendTime();
    StatusTab->ShowAuto();
    AutoModeTimer->start(station_->Automatic().AutoModeIntervalMs());
}

void MainWindow::OnWatchdogTimer() {
    station_->Dog().WatchdogTick();
    StatusTab->ShowConnected();
}

// --- Menu ---

void MainWindow::OnSaveConfig() {
    Guarded(surfaces_, [this] { SaveConfig(*station_); });
}

void MainWindow::OnOpenLogfile() {
    if (OpenLogfile(*station_) == LogfileShown::ByDesktop) return;
    if (!logView_) logView_ = new LogView(this);
    logView_->ShowText(LogfileText(*station_), station_->LogFile);
    logView_->show();
    logView_->raise();
}

// --- Showing the core's state ---

void MainWindow::ShowEditor() {
    StatusTab->ShowJobName();
    SourceTab->Show();
    DestinationTab->Show();
    ConnectionTab->Show();
}

void MainWindow::ShowEditingState() {
    const bool editing = station_->Editing;
    StatusTab->ShowEditing(editing);
    // The editor's pages stay selectable for looking at a job; their controls take input
    // only while editing.
    for (QWidget* page : {static_cast<QWidget*>(SourceTab), static_cast<QWidget*>(DestinationTab),
                          static_cast<QWidget*>(ConnectionTab)}) {
        page->setEnabled(editing);
    }
    if (editing) RightTabs->setCurrentWidget(SourceTab);
}

void MainWindow::ShowOptions() {
    StatusTab->ShowOptions();
    OptionsTab->Show();
    SendTimeTab->ShowOptions();
}

void MainWindow::ShowRunSelection(int index) {
    // During a run the job being run is shown on "Source"; at its end the "Errors" tab.
    if (!station_->RunInProgress()) return;
    RightTabs->setCurrentWidget(index >= 0 ? static_cast<QWidget*>(SourceTab) : ErrorsTab);
}

}  // namespace ferrolin::gui
