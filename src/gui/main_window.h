#pragma once
// TFQuillomat: the main window. A view over the Station: the job list and job editor,
// the global options, the send-time editor, the error list, the gauge and the status bar.
// Timer1 and Timer2 call the core's automatic-mode and watchdog ticks. The controls keep
// the names of the window design and are public so the GUI tests can drive them.
#include <QMainWindow>
#include <memory>
#include <string>

#include "config/global_options.h"
#include "config/profile_file.h"
#include "gui/field_binder.h"
#include "gui/gauge_kest.h"
#include "gui/qt_surfaces.h"
#include "remote/time_sync.h"
#include "station/station_start.h"

class QCheckBox;
class QDialog;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTimer;
class QToolButton;

namespace ferrolin::gui {

class TFQuillomat : public QMainWindow {
    Q_OBJECT
public:
    // start: the program folder, how the program ends and restarts, the time of day
    // (tests pass fakes) and whether this window may set the computer's clock.
    explicit TFQuillomat(const StationStart& start, QWidget* parent = nullptr);
    ~TFQuillomat() override;

    Station& station() { return *station_; }
    QtSurfaces& surfaces() { return surfaces_; }
    AutoMode& autoMode() { return station_->Automatic(); }

    // The About box the menu shows (created by the entry point after this window).
    void SetAboutBox(QDialog* aboutBox) { aboutBox_ = aboutBox; }

    // Window geometry.
    static constexpr int kClientWidth = 677;
    static constexpr int kClientHeight = 344;

    // Tab sets.
    QTabWidget* LeftTabs = nullptr;
    QTabWidget* RightTabs = nullptr;
    QWidget* StatusTab = nullptr;
    QWidget* TimeSyncTab = nullptr;
    QWidget* OptionsTab = nullptr;
    QWidget* SendTimeTab = nullptr;
    QWidget* ErrorsTab = nullptr;
    QWidget* SourceTab = nullptr;
    QWidget* DestinationTab = nullptr;
    QWidget* ConnectionTab = nullptr;

    // "Status" tab.
    QCheckBox* Auto = nullptr;
    QPushButton* BManual = nullptr;
    QPushButton* BManualN = nullptr;
    QPushButton* CancelCopy = nullptr;
    QLabel* NextStart = nullptr;
    QCheckBox* connected = nullptr;
    QCheckBox* RunMinimized = nullptr;
    QListWidget* CheckListBox1 = nullptr;
    QPushButton* BEdit = nullptr;
    QPushButton* BNew = nullptr;
    QPushButton* BDel = nullptr;
    QPushButton* BSave = nullptr;
    QPushButton* BCancel = nullptr;
    QLineEdit* KopfName = nullptr;

    // "Time sync" tab.
    QCheckBox* TimeSyncEnable = nullptr;
    QLineEdit* TimeSyncServer = nullptr;
    QComboBox* TimeSyncProtocol = nullptr;
    QLineEdit* TimeSyncInterval = nullptr;
    QLineEdit* TimeSyncTimeOffset = nullptr;
    QLineEdit* TimeSyncMaxCorrection = nullptr;
    QPushButton* TimeSyncNowButton = nullptr;

    // "Options" tab.
    QCheckBox* CopyOpenFiles = nullptr;
    QCheckBox* CheckMPEGFiles = nullptr;
    QCheckBox* UploadInProgressCheck = nullptr;
    QLineEdit* ERebootAfterTimeout = nullptr;
    QComboBox* TimeoutControl = nullptr;
    QCheckBox* CloseProgAfterJobs = nullptr;
    QCheckBox* SpezialScan = nullptr;
    QCheckBox* AbsolutSendTime = nullptr;
    QCheckBox* CopyCorruptFiles = nullptr;
    QCheckBox* LogEndStatistic = nullptr;
    QCheckBox* SaveSuccessfulCopies = nullptr;
    QCheckBox* NoFTPDisconnect = nullptr;

    // "Send time" tab.
    QComboBox* SendTimeMode = nullptr;
    QWidget* SimplePanel = nullptr;
    QWidget* EnhancedPanel = nullptr;
    QLineEdit* SendTimeSimpleIntervalE = nullptr;
    QComboBox* Tage = nullptr;
    QPushButton* BSaveSendTime = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QLabel* NextFu10 = nullptr;

    // "Errors" tab.
    QPlainTextEdit* Errors = nullptr;
    QPushButton* Status = nullptr;

    // Job editor: "Source".
    QComboBox* SourceType = nullptr;
    QLineEdit* Sendeverzeichnis = nullptr;
    QToolButton* BitBtn5 = nullptr;
    QLineEdit* SourceLName = nullptr;
    QLineEdit* SourceLPassword = nullptr;
    QCheckBox* SourceDelete = nullptr;
    QLineEdit* CLFile = nullptr;
    QLineEdit* ExcludeExtensions = nullptr;
    QComboBox* ParsingType = nullptr;
    // "Destination".
    QLineEdit* Empfangsverzeichnis = nullptr;
    QToolButton* BitBtn1 = nullptr;
    QLineEdit* DestLName = nullptr;
    QLineEdit* DestLPassword = nullptr;
    QComboBox* CBuffering = nullptr;
    QComboBox* CCopyMode = nullptr;
    QLineEdit* DestDelDelay = nullptr;
    QCheckBox* AddTimeStampC = nullptr;
    QLineEdit* AddTimeStampE = nullptr;
    QLineEdit* MaxByteRate = nullptr;
    QCheckBox* UseTempFile = nullptr;
    // "Connection".
    QCheckBox* PassiveMode = nullptr;
    QComboBox* Modemspeed = nullptr;
    QComboBox* ReportLevel = nullptr;
    QGroupBox* RasGroup = nullptr;
    QComboBox* DRasEintraege = nullptr;
    QComboBox* UseRasFor = nullptr;
    QCheckBox* EMailSaveHeader = nullptr;
    QCheckBox* EmailDecodeMessage = nullptr;
    QCheckBox* EmailEraseFirst = nullptr;
    QCheckBox* EMailSaveBody = nullptr;

    // Below the tab sets.
    TGaugeKest* CopyStatusG = nullptr;
    QLabel* StatusPanel0 = nullptr;
    QLabel* StatusPanel1 = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    QAction* Config1 = nullptr;
    QAction* OpenLogfile1 = nullptr;
    QAction* About1 = nullptr;

    // Handlers, public so tests reach them the way a click does.
    void OnTimer1();
    void OnTimer2();
    void OnManual(bool withMessages);
    void OnCancelCopy();
    void OnReset();
    void OnEdit();
    void OnNew();
    void OnDel();
    void OnSave();
    void OnCancelEdit();
    void OnJobLineClicked(int row);
    void OnJobLineDoubleClicked(int row);
    void OnFolderButton(QLineEdit* field);
    void OnSaveConfig();
    void OnOpenLogfile();
    void OnTageSelected(int index);
    void OnSaveSendTime();
    void OnSyncNow();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildFrame();
    void BuildMenu();
    QWidget* BuildStatusTab();
    QWidget* BuildTimeSyncTab();
    QWidget* BuildOptionsTab();
    QWidget* BuildSendTimeTab();
    QWidget* BuildErrorsTab();
    QWidget* BuildSourceTab();
    QWidget* BuildDestinationTab();
    QWidget* BuildConnectionTab();
    void BindOptions();
    void BindEditor();
    void BindTimeSync();
    void ConnectHandlers();
    void AttachSurfaces();

    // Showing the core's state.
    void ShowJobList();
    void ShowSelectedLine(int index);
    void ShowRunSelection(int index);
    void ShowEditor();
    void ShowEditingState();
    void ShowOptions();
    void ShowSendTime();
    void ShowSendTimePanels();
    void ShowTimeSync();
    // Runs a command that may fail to write the configuration file and shows the message.
    template <typename Command>
    void Guarded(Command command) {
        try {
            command();
        } catch (const ProfileWriteError& error) {
            surfaces_.Ask("Error", error.what(), Buttons::Ok);
        }
    }

    QtSurfaces surfaces_;
    std::unique_ptr<Station> station_;
    std::unique_ptr<FieldBinder<GlobalOptions>> optionsBinder_;
    std::unique_ptr<FieldBinder<TransferJob>> editorBinder_;
    std::unique_ptr<FieldBinder<TimeSyncSettings>> timeSyncBinder_;
    QDialog* aboutBox_ = nullptr;
    bool shown_ = false;
    bool showing_ = false;  // filling controls from the core: no echo back
};

// Sets a flag for the lifetime of the guard (the window filling its controls).
class Showing {
public:
    explicit Showing(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~Showing() { flag_ = old_; }
    Showing(const Showing&) = delete;
    Showing& operator=(const Showing&) = delete;

private:
    bool& flag_;
    bool old_;
};

}  // namespace ferrolin::gui
