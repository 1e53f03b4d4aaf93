#pragma once
// FtpClientWindow: the operator's FTP client window, a view over the station's one FTP session.
// The jobs use the same session; while a job or one of this window's own operations uses
// it, the window's commands are disabled and a click starts nothing. Dialogs (save, open,
// input) go through FtpDialogs and questions and errors through the station's Surfaces, so
// tests answer them without modal windows.
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "remote/ftp_texts.h"
#include "remote/ftp_window_model.h"
#include "station/station.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QVBoxLayout;

namespace ferrolin::gui {

// The window's file and input dialogs; an empty answer (or nothing) means cancelled.
struct FtpDialogs {
    std::function<std::string(const std::string& proposedName)> saveFile;
    std::function<std::string()> openFile;
    std::function<std::optional<std::string>(const std::string& title, const std::string& prompt)>
        inputText;
};

class FtpClientWindow : public QWidget, public FtpSessionView {
    Q_OBJECT
  public:
    // sessionInUse: true while something else (a run of the jobs) uses the session.
    FtpClientWindow(FtpSession& session, Surfaces& surfaces, std::string programDir,
                    std::function<bool()> sessionInUse, QWidget* parent = nullptr);
    ~FtpClientWindow() override;

    void SetDialogs(FtpDialogs dialogs) { dialogs_ = std::move(dialogs); }

    QLineEdit* FtpServerEdit = nullptr;
    QPushButton* ConnectButton = nullptr;
    QLineEdit* UserIDEdit = nullptr;
    QLineEdit* PasswordEdit = nullptr;
    QCheckBox* UsePassive = nullptr;
    QPushButton* SiteButton = nullptr;  // "Site"
    QLineEdit* SiteCommandEdit = nullptr;
    QLineEdit* CurrentDirEdit = nullptr;
    QPushButton* ChDirButton = nullptr;
    QPushButton* CreateDirButton = nullptr;
    QPushButton* DownloadButton = nullptr;
    QPushButton* UploadButton = nullptr;
    QPushButton* DeleteButton = nullptr;
    QPushButton* BackButton = nullptr;
    QPushButton* AbortButton = nullptr;
    QTreeWidget* DirectoryListBox = nullptr;  // header and rows in one
    QMenu* ListingMenu = nullptr;
    QListWidget* DebugListBox = nullptr;  // below the listing, across a splitter
    QLabel* StatusPanel0 = nullptr;
    QLabel* StatusPanel1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;

    // The handlers, public so tests reach them the way a click does.
    void ConnectButtonClick();
    void DirectoryListBoxClick();
    void DirectoryListBoxDblClick();
    void UploadButtonClick();
    void DeleteButtonClick();
    void BackButtonClick();
    void ChDirButtonClick();
    void CreateDirButtonClick();
    void SiteButtonClick();
    void UsePassiveClick();
    void AbortButtonClick();

    // Enables what the session allows now (connected, not in use); the main window calls
    // it when a run ends.
    void ShowSessionState();

    // FtpSessionView
    void TransferTextChanged(std::string_view text) override;
    void TransferRunningChanged(bool running) override;
    void ProgressChanged(int percent) override;
    void ListingChanged() override;
    void StatusTextChanged(std::string_view text) override;
    void DebugListCleared() override;

  private:
    class Job;
    void BuildControls();
    void BuildLogonRow(QVBoxLayout* layout);
    void BuildOptionRow(QVBoxLayout* layout);
    void BuildFolderPanel(QVBoxLayout* layout);
    void BuildCommandRow(QVBoxLayout* layout);
    void BuildListing(QVBoxLayout* layout);
    void BuildListingMenu();
    void BuildStatusBar(QVBoxLayout* layout);
    void ConnectControls();
    void SetCommandsEnabled(bool value);
    // Neither one of this window's operations nor a run of the jobs uses the session.
    bool SessionFree() const;
    // Changes folder and lists it; false (LastError()) when either failed.
    bool ChangeDirAndList(const std::string& folder);
    // The selected row's entry, if it is one of the listing's.
    const FtpEntry* SelectedEntry() const;
    void ShowError(const std::string& text);

    FtpSession& session_;
    Surfaces& surfaces_;
    std::string programDir_;
    std::function<bool()> sessionInUse_;
    FtpDialogs dialogs_;
    bool busy_ = false;
    QAction* menuDownload_ = nullptr;
    QAction* menuUpload_ = nullptr;
    QAction* menuDelete_ = nullptr;
    QAction* menuBack_ = nullptr;
};

}  // namespace ferrolin::gui
