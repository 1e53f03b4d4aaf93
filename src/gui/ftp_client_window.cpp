#include "gui/ftp_client_window.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <iterator>

#include "gui/qt_surfaces.h"
#include "remote/ftp_texts.h"
#include "remote/ftp_window_model.h"

namespace ferrolin::gui {

namespace {

// Column captions and widths of the listing; every column at least 10 pixels wide.
// "Modified" is wider than the rest so a whole date and time shows.
struct Column {
    const char* caption;
    int width;
};
constexpr Column kColumns[] = {{"Name", 150},  {"Size", 100}, {"Type", 100},     {"Modified", 120},
                               {"Group", 100}, {"User", 100}, {"Permisions", 50}};

std::string BaseName(const std::string& path) {
    const size_t cut = path.rfind('/');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

FtpDialogs QtDialogs(QWidget* parent) {
    FtpDialogs d;
    d.saveFile = [parent](const std::string& proposed) {
        return U(QFileDialog::getSaveFileName(parent, QString(), Q(proposed)));
    };
    d.openFile = [parent] {
        return U(QFileDialog::getOpenFileName(parent, QStringLiteral("Upload file...."), QString(),
                                              QStringLiteral("All files(*.*) (*)")));
    };
    d.inputText = [parent](const std::string& title,
                           const std::string& prompt) -> std::optional<std::string> {
        bool ok = false;
        const QString text =
            QInputDialog::getText(parent, Q(title), Q(prompt), QLineEdit::Normal, QString(), &ok);
        if (!ok) return std::nullopt;
        return U(text);
    };
    return d;
}

}  // namespace

// One use of the session by this window: refused while another one (of this window or
// of a run) is going on; meanwhile every command and the Connect button are disabled.
class FtpClientWindow::Job {
  public:
    explicit Job(FtpClientWindow& form) : form_(form) {
        if (!form_.SessionFree()) return;
        started_ = true;
        form_.busy_ = true;
        form_.ShowSessionState();
    }
    ~Job() {
        if (!started_) return;
        form_.busy_ = false;
        form_.ShowSessionState();
    }
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;
    explicit operator bool() const { return started_; }

  private:
    FtpClientWindow& form_;
    bool started_ = false;
};

FtpClientWindow::FtpClientWindow(FtpSession& session, Surfaces& surfaces, std::string programDir,
                                 std::function<bool()> sessionInUse, QWidget* parent)
    : QWidget(parent, Qt::Window),
      session_(session),
      surfaces_(surfaces),
      programDir_(std::move(programDir)),
      sessionInUse_(std::move(sessionInUse)),
      dialogs_(QtDialogs(this)) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(Q(kFtpWindowCaption));
    BuildControls();
    FtpServerEdit->setText(Q(ReadFtpHost(programDir_)));
    session_.SetTimeOuts(FtpTimeouts::TCS_High);
    session_.SetView(this);
    ListingChanged();
}

FtpClientWindow::~FtpClientWindow() {
    session_.SetView(nullptr);
}

void FtpClientWindow::BuildControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 0);
    BuildLogonRow(layout);
    BuildOptionRow(layout);
    BuildFolderPanel(layout);
    BuildCommandRow(layout);
    BuildListing(layout);
    BuildListingMenu();
    BuildStatusBar(layout);
    ConnectControls();
    resize(760, 480);
}

// Host, user, password and Connect.
void FtpClientWindow::BuildLogonRow(QVBoxLayout* layout) {
    auto* hostRow = new QHBoxLayout;
    FtpServerEdit = new QLineEdit;
    ConnectButton = new QPushButton(QStringLiteral("Connect"));
    ConnectButton->setDefault(true);
    ConnectButton->setAutoDefault(true);
    UserIDEdit = new QLineEdit(QStringLiteral("anonymous"));
    PasswordEdit = new QLineEdit(QStringLiteral("operator@ferrolin.invalid"));
    PasswordEdit->setEchoMode(QLineEdit::Password);
    hostRow->addWidget(new QLabel(QStringLiteral("FTP host name")));
    hostRow->addWidget(FtpServerEdit, 1);
    hostRow->addWidget(new QLabel(QStringLiteral("User name")));
    hostRow->addWidget(UserIDEdit);
    hostRow->addWidget(new QLabel(QStringLiteral("Password")));
    hostRow->addWidget(PasswordEdit);
    hostRow->addWidget(ConnectButton);
    layout->addLayout(hostRow);
}

// Passive transfers and the SITE command.
void FtpClientWindow::BuildOptionRow(QVBoxLayout* layout) {
    auto* optionRow = new QHBoxLayout;
    UsePassive = new QCheckBox(QStringLiteral("Use passive transfer"));
    SiteButton = new QPushButton(QStringLiteral("Site"));
    SiteCommandEdit = new QLineEdit(QStringLiteral("Edit1"));
    optionRow->addWidget(UsePassive);
    optionRow->addStretch(1);
    optionRow->addWidget(SiteButton);
    optionRow->addWidget(SiteCommandEdit, 1);
    layout->addLayout(optionRow);
}

// The current folder, with Change directory and Make Dir.
void FtpClientWindow::BuildFolderPanel(QVBoxLayout* layout) {
    auto* folderPanel = new QGroupBox(QStringLiteral("Current directory is: "));
    auto* folderRow = new QHBoxLayout(folderPanel);
    CurrentDirEdit = new QLineEdit(QStringLiteral("/"));
    ChDirButton = new QPushButton(QStringLiteral("Change directory"));
    CreateDirButton = new QPushButton(QStringLiteral("Make Dir"));
    folderRow->addWidget(CurrentDirEdit, 1);
    folderRow->addWidget(ChDirButton);
    folderRow->addWidget(CreateDirButton);
    layout->addWidget(folderPanel);
}

// Download, Upload, Delete, Back and Abort.
void FtpClientWindow::BuildCommandRow(QVBoxLayout* layout) {
    auto* commandRow = new QHBoxLayout;
    DownloadButton = new QPushButton(QStringLiteral("Download"));
    UploadButton = new QPushButton(QStringLiteral("Upload"));
    DeleteButton = new QPushButton(QStringLiteral("Delete"));
    BackButton = new QPushButton(QStringLiteral("Back"));
    AbortButton = new QPushButton(QStringLiteral("Abort"));
    AbortButton->setVisible(false);
    for (QPushButton* b : {DownloadButton, UploadButton, DeleteButton, BackButton, AbortButton}) {
        b->setAutoDefault(false);
        commandRow->addWidget(b);
    }
    commandRow->addStretch(1);
    layout->addLayout(commandRow);
}

// The listing and, below it, the debug list.
void FtpClientWindow::BuildListing(QVBoxLayout* layout) {
    DirectoryListBox = new QTreeWidget;
    DirectoryListBox->setRootIsDecorated(false);
    DirectoryListBox->setColumnCount(static_cast<int>(std::size(kColumns)));
    QStringList captions;
    for (const Column& c : kColumns) captions << QString::fromLatin1(c.caption);
    DirectoryListBox->setHeaderLabels(captions);
    DirectoryListBox->header()->setMinimumSectionSize(10);
    DirectoryListBox->header()->setStretchLastSection(false);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        DirectoryListBox->setColumnWidth(i, kColumns[i].width);
    }
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(8);
    DirectoryListBox->setFont(fixed);
    // Selected rows: white on the blue of the original design.
    DirectoryListBox->setStyleSheet(
        QStringLiteral("QTreeView::item:selected { background: rgb(10,95,137); color: white; }"));
    DirectoryListBox->setContextMenuPolicy(Qt::CustomContextMenu);

    // The debug list sits below the listing; the splitter between them moves.
    DebugListBox = new QListWidget;
    DebugListBox->setObjectName(QStringLiteral("DebugListBox"));
    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(DirectoryListBox);
    splitter->addWidget(DebugListBox);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    splitter->setSizes({300, 60});
    layout->addWidget(splitter, 1);
}

void FtpClientWindow::BuildListingMenu() {
    ListingMenu = new QMenu(this);
    menuDownload_ = ListingMenu->addAction(QStringLiteral("Download"));
    menuUpload_ = ListingMenu->addAction(QStringLiteral("Upload"));
    menuDelete_ = ListingMenu->addAction(QStringLiteral("Delete"));
    ListingMenu->addSeparator();
    menuBack_ = ListingMenu->addAction(QStringLiteral("Back"));
}

// The status panels and the progress bar.
void FtpClientWindow::BuildStatusBar(QVBoxLayout* layout) {
    auto* status = new QStatusBar;
    status->setSizeGripEnabled(false);
    StatusPanel0 = new QLabel;
    StatusPanel0->setFixedWidth(200);
    StatusPanel1 = new QLabel;
    ProgressBar1 = new QProgressBar;
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    status->addWidget(StatusPanel0);
    status->addWidget(StatusPanel1, 1);
    status->addWidget(ProgressBar1, 1);
    layout->addWidget(status);
}

void FtpClientWindow::ConnectControls() {
    connect(ConnectButton, &QPushButton::clicked, this, &FtpClientWindow::ConnectButtonClick);
    connect(DownloadButton, &QPushButton::clicked, this,
            &FtpClientWindow::DirectoryListBoxDblClick);
    connect(menuDownload_, &QAction::triggered, this, &FtpClientWindow::DirectoryListBoxDblClick);
    connect(DirectoryListBox, &QTreeWidget::itemDoubleClicked, this,
            &FtpClientWindow::DirectoryListBoxDblClick);
    connect(DirectoryListBox, &QTreeWidget::itemClicked, this,
            &FtpClientWindow::DirectoryListBoxClick);
    connect(UploadButton, &QPushButton::clicked, this, &FtpClientWindow::UploadButtonClick);
    connect(menuUpload_, &QAction::triggered, this, &FtpClientWindow::UploadButtonClick);
    connect(DeleteButton, &QPushButton::clicked, this, &FtpClientWindow::DeleteButtonClick);
    connect(menuDelete_, &QAction::triggered, this, &FtpClientWindow::DeleteButtonClick);
    connect(BackButton, &QPushButton::clicked, this, &FtpClientWindow::BackButtonClick);
    connect(menuBack_, &QAction::triggered, this, &FtpClientWindow::BackButtonClick);
    connect(ChDirButton, &QPushButton::clicked, this, &FtpClientWindow::ChDirButtonClick);
    connect(CreateDirButton, &QPushButton::clicked, this, &FtpClientWindow::CreateDirButtonClick);
    connect(SiteButton, &QPushButton::clicked, this, &FtpClientWindow::SiteButtonClick);
    connect(UsePassive, &QCheckBox::clicked, this, &FtpClientWindow::UsePassiveClick);
    connect(AbortButton, &QPushButton::clicked, this, &FtpClientWindow::AbortButtonClick);
    connect(DirectoryListBox, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { ListingMenu->popup(DirectoryListBox->mapToGlobal(at)); });
}

void FtpClientWindow::SetCommandsEnabled(bool value) {
    for (QWidget* w :
         {static_cast<QWidget*>(DownloadButton), static_cast<QWidget*>(UploadButton),
          static_cast<QWidget*>(DeleteButton), static_cast<QWidget*>(BackButton),
          static_cast<QWidget*>(ChDirButton), static_cast<QWidget*>(CreateDirButton)}) {
        w->setEnabled(value);
    }
    for (QAction* a : {menuDownload_, menuUpload_, menuDelete_, menuBack_}) a->setEnabled(value);
}

bool FtpClientWindow::SessionFree() const {
    return !busy_ && !(sessionInUse_ && sessionInUse_());
}

void FtpClientWindow::ShowSessionState() {
    const bool free = SessionFree();
    const bool connected = session_.Connected();
    // A listing belongs to a session: none is shown while there is none.
    if (!connected) DirectoryListBox->clear();
    SetCommandsEnabled(free && connected);
    ConnectButton->setEnabled(free);
    SiteButton->setEnabled(free);
    UsePassive->setEnabled(free);
    ConnectButton->setText(connected ? QStringLiteral("Disconnect") : QStringLiteral("Connect"));
    ConnectButton->setDefault(!connected);
}

bool FtpClientWindow::ChangeDirAndList(const std::string& folder) {
    session_.ChangeDir(folder, true);
    return session_.FtpState() == FtpOperationState::Done;
}

const FtpEntry* FtpClientWindow::SelectedEntry() const {
    const int row = DirectoryListBox->indexOfTopLevelItem(DirectoryListBox->currentItem());
    const auto& listing = session_.Listing();
    if (row < 0 || row >= static_cast<int>(listing.size())) return nullptr;
    return &listing[static_cast<size_t>(row)];
}

void FtpClientWindow::ShowError(const std::string& text) {
    surfaces_.Ask("Error", text, Buttons::Ok);
    // A failure that took the connection with it (a refused CWD, an abort): the session
    // logs in again now, or is closed when the server will not have it, so the button
    // never offers "Disconnect" for a session that is gone.
    if (session_.Connected() && session_.ConnectionLost()) session_.Reestablish();
}

void FtpClientWindow::ConnectButtonClick() {
    Job job(*this);
    if (!job) return;
    if (session_.Connected()) {
        session_.DisconnectFTP();
        CurrentDirEdit->setText(QStringLiteral("/"));
        DirectoryListBox->clear();
        return;
    }
    const std::string host = U(FtpServerEdit->text());
    if (!session_.ConnectToFTP(U(UserIDEdit->text()), U(PasswordEdit->text()), host, "21",
                               UsePassive->isChecked())) {
        ShowError(session_.LastError());
        return;
    }
    StatusPanel1->clear();  // no "Disconnected." of an earlier session
    if (!ChangeDirAndList(U(CurrentDirEdit->text()))) {
        ShowError(session_.LastError());
        return;
    }
    // Remembered only once the server was reached and listed.
    if (!WriteFtpHost(programDir_, host)) ShowError("Cannot write " + FtpHostFile(programDir_));
}

void FtpClientWindow::DirectoryListBoxClick() {
    const FtpEntry* entry = SelectedEntry();
    if (!session_.Connected() || !entry) return;
    DownloadButton->setText(IsFolderEntry(*entry) ? QStringLiteral("Change dir")
                                                  : QStringLiteral("Download"));
}

void FtpClientWindow::DirectoryListBoxDblClick() {
    if (!session_.Connected()) return;
    const FtpEntry* selected = SelectedEntry();
    if (!selected) return;
    const FtpEntry entry = *selected;  // the listing changes under the operations below
    Job job(*this);
    if (!job) return;
    if (entry.refused) {
        ShowError(std::string(kFtpRemoteNameRefused) + entry.name);
        return;
    }
    if (IsFolderEntry(entry)) {
        if (!ChangeDirAndList(entry.name)) ShowError(session_.LastError());
        return;
    }
    const std::string local = dialogs_.saveFile ? dialogs_.saveFile(entry.name) : std::string();
    if (local.empty()) return;
    // The resume offer is about the file the dialog chose, wherever it lies.
    const std::optional<int64_t> existing = ExistingFileSize(local);
    Answer answer = Answer::No;
    if (existing) {
        answer = surfaces_.Ask(kFtpWindowCaption, kFtpResumeQuestion, Buttons::YesNoCancel);
    } else {
        surfaces_.Ask(kFtpWindowCaption, entry.name + " " + local, Buttons::Ok);
    }
    const FtpDownloadPlan plan = PlanFtpDownload(entry.size, existing, answer);
    bool ok = true;
    if (plan.mode == FtpDownloadPlan::Mode::Resume) {
        ok = session_.ResumeFile(entry.name, local, plan.bytesToTransfer);
    } else if (plan.mode == FtpDownloadPlan::Mode::Overwrite) {
        ok = session_.ReceiveFile(entry.name, local, plan.bytesToTransfer);
    }
    if (!ok) ShowError(session_.LastError());
}

void FtpClientWindow::UploadButtonClick() {
    // No dialog while the session is in use: nothing could be done with its answer.
    if (!session_.Connected() || !SessionFree()) return;
    const std::string local = dialogs_.openFile ? dialogs_.openFile() : std::string();
    if (local.empty()) return;
    Job job(*this);
    if (!job) return;
    const bool ok = session_.SendFile(local, BaseName(local), ExistingFileSize(local).value_or(-1));
    const std::string error = session_.LastError();
    const bool listed = ChangeDirAndList(session_.CurrentFolder());
    if (!ok)
        ShowError(error);
    else if (!listed)
        ShowError(session_.LastError());
}

void FtpClientWindow::DeleteButtonClick() {
    if (!session_.Connected()) return;
    const FtpEntry* selected = SelectedEntry();
    if (!selected) return;
    const FtpEntry entry = *selected;
    Job job(*this);
    if (!job) return;
    const bool ok =
        IsFolderEntry(entry) ? session_.RemoveDir(entry.name) : session_.DeleteFile(entry.name, 0);
    const std::string error = session_.LastError();
    const bool listed = ChangeDirAndList(session_.CurrentFolder());
    if (!ok)
        ShowError(error);
    else if (!listed)
        ShowError(session_.LastError());
}

void FtpClientWindow::BackButtonClick() {
    if (!session_.Connected()) return;
    Job job(*this);
    if (job && !ChangeDirAndList("..")) ShowError(session_.LastError());
}

void FtpClientWindow::ChDirButtonClick() {
    Job job(*this);
    if (job && !ChangeDirAndList(U(CurrentDirEdit->text()))) ShowError(session_.LastError());
}

void FtpClientWindow::CreateDirButtonClick() {
    if (!SessionFree()) return;
    const std::optional<std::string> name =
        dialogs_.inputText
            ? dialogs_.inputText(std::string(kFtpMakeDirTitle), std::string(kFtpMakeDirPrompt))
            : std::nullopt;
    if (!name || name->empty()) return;
    Job job(*this);
    if (!job) return;
    const bool ok = session_.MakeDir(*name);
    const std::string error = session_.LastError();
    const bool listed = ChangeDirAndList(U(CurrentDirEdit->text()));
    if (!ok)
        ShowError(error);
    else if (!listed)
        ShowError(session_.LastError());
}

void FtpClientWindow::SiteButtonClick() {
    Job job(*this);
    if (job && !session_.SiteCommand(U(SiteCommandEdit->text()))) ShowError(session_.LastError());
}

void FtpClientWindow::UsePassiveClick() {
    session_.SetPassive(UsePassive->isChecked());
}

void FtpClientWindow::AbortButtonClick() {
    session_.AbortTransfer();
}

void FtpClientWindow::TransferTextChanged(std::string_view text) {
    StatusPanel1->setText(Q(text));
}

void FtpClientWindow::TransferRunningChanged(bool running) {
    AbortButton->setVisible(running);
    ShowSessionState();
}

void FtpClientWindow::ProgressChanged(int percent) {
    ProgressBar1->setValue(percent);
}

void FtpClientWindow::StatusTextChanged(std::string_view text) {
    StatusPanel0->setText(Q(text));
}

void FtpClientWindow::DebugListCleared() {
    DebugListBox->clear();
}

void FtpClientWindow::ListingChanged() {
    DirectoryListBox->clear();
    if (session_.FtpState() != FtpOperationState::Failed && !session_.CurrentFolder().empty()) {
        CurrentDirEdit->setText(Q(session_.CurrentFolder()));
    }
    for (const FtpListingRow& row : FtpListingRows(session_.Listing())) {
        auto* item = new QTreeWidgetItem(DirectoryListBox);
        item->setText(0, Q(row.name));
        item->setText(1, Q(row.size));
        item->setText(2, Q(row.type));
        item->setText(3, Q(row.modified));
    }
    ShowSessionState();
}

}  // namespace ferrolin::gui
