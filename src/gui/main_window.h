#pragma once
// MainWindow: the main window. The frame over the Station that holds the two tab sets
// (each tab its own widget class, bound to the core through the field binder), the gauge,
// the status bar, the menu, and AutoModeTimer and WatchdogTimer, which call the core's automatic-mode and
// watchdog ticks. The tabs and their controls keep the names of the window design and are
// public so the GUI tests can drive them.
#include <QMainWindow>
#include <memory>
#include <string>

#include "gui/connection_page.h"
#include "gui/destination_page.h"
#include "gui/errors_page.h"
#include "gui/ftp_client_window.h"
#include "gui/ras_dial_up_window.h"
#include "gui/gauge_widget.h"
#include "gui/log_view.h"
#include "gui/options_page.h"
#include "gui/qt_surfaces.h"
#include "gui/send_time_page.h"
#include "gui/source_page.h"
#include "gui/status_page.h"
#include "gui/time_sync_page.h"
#include "station/station_start.h"

class QDialog;
class QLabel;
class QTabWidget;
class QTimer;

namespace ferrolin::gui {

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // programDir: the folder of Ferrolin.INI and the logs. process: how the program ends
    // and restarts, clock: the time of day (tests pass fakes).
    explicit MainWindow(const StationStart& start, QWidget* parent = nullptr);
    ~MainWindow() override;

    Station& station() { return *station_; }
    QtSurfaces& surfaces() { return surfaces_; }
    AutoMode& autoMode() { return station_->Automatic(); }

    // The About box the menu shows (created by the entry point after this window).
    void SetAboutBox(QDialog* aboutBox) { aboutBox_ = aboutBox; }

    // Window geometry.
    static constexpr int kClientWidth = 677;
    static constexpr int kClientHeight = 344;

    // Tab sets and their tabs.
    QTabWidget* LeftTabs = nullptr;
    QTabWidget* RightTabs = nullptr;
    StatusPage* StatusTab = nullptr;
    TimeSyncPage* TimeSyncTab = nullptr;
    OptionsPage* OptionsTab = nullptr;
    SendTimePage* SendTimeTab = nullptr;
    ErrorsPage* ErrorsTab = nullptr;
    SourcePage* SourceTab = nullptr;
    DestinationPage* DestinationTab = nullptr;
    ConnectionPage* ConnectionTab = nullptr;

    // Below the tab sets.
    GaugeWidget* CopyStatusG = nullptr;
    QLabel* StatusPanel0 = nullptr;
    QLabel* StatusPanel1 = nullptr;
    QTimer* AutoModeTimer = nullptr;
    QTimer* WatchdogTimer = nullptr;
    QAction* Config1 = nullptr;
    QAction* OpenLogfile1 = nullptr;
    QAction* FtpClient1 = nullptr;
    QAction* Ras1 = nullptr;  // offered only where dial-up is available
    QAction* About1 = nullptr;

    // Handlers, public so tests reach them the way a tick or a menu click does.
    void OnAutoModeTimer();
    void OnWatchdogTimer();
    void OnSaveConfig();
    void OnOpenLogfile();
    // The log shown in the window when the desktop has no windowed viewer for it.
    LogView* logView() { return logView_; }
    // Tools > FTP-Client: shows the one FTP client window, created on first use.
    void OnFtpClient();
    FtpClientWindow* ftpWindow() { return ftpWindow_.get(); }
    // Tools > Ras: shows the dial-up window, created on first use.
    void OnRas();
    DialUpWindow* rasWindow() { return rasWindow_.get(); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildFrame();
    void BuildMenu();
    void ConnectTabs();
    void AttachSurfaces();

    // Showing the core's state on the tabs it concerns.
    void ShowEditor();
    void ShowEditingState();
    void ShowOptions();
    void ShowRunSelection(int index);

    QtSurfaces surfaces_;
    std::unique_ptr<Station> station_;
    // After station_: the window is a view over the station's session and goes first.
    std::unique_ptr<FtpClientWindow> ftpWindow_;
    std::unique_ptr<DialUpWindow> rasWindow_;
    QDialog* aboutBox_ = nullptr;
    LogView* logView_ = nullptr;
    bool shown_ = false;
};

}  // namespace ferrolin::gui
