#include "gui/ras_dial_up_window.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "config/profile_write_error.h"
#include "remote/ras_default.h"
#include "remote/ras_dial_up.h"

namespace ferrolin::gui {

namespace {
QString Q(const std::string& text) {
    return QString::fromStdString(text);
}
}  // namespace

DialUpWindow::DialUpWindow(RasDialUp& ras, std::string programDir, QWidget* parent)
    : QWidget(parent, Qt::Window), ras_(ras), programDir_(std::move(programDir)) {
    setWindowTitle(QStringLiteral("Dial-Up component Test"));
    auto* grid = new QGridLayout(this);
    EntryList = new QListWidget;
    GetEntriesButton = new QPushButton(QStringLiteral("Get Entries"));
    DialButton = new QPushButton(QStringLiteral("Dial"));
    DialButton->setEnabled(false);
    HangUpButton = new QPushButton(QStringLiteral("<- Hangup"));
    ConnectionsButton = new QPushButton(QStringLiteral("Get active connections"));
    Savedefault = new QPushButton(QStringLiteral("Save us default"));
    AsyncDialing = new QRadioButton(QStringLiteral("Async Dialing"));
    SyncDialing = new QRadioButton(QStringLiteral("Sync Dialing"));
    AsyncDialing->setChecked(true);
    HangUpAllBox = new QCheckBox(QStringLiteral("Hangup all detected connections"));
    LStatus = new QLabel;
    Status2 = new QLabel;
    QFont bold = Status2->font();
    bold.setBold(true);
    Status2->setFont(bold);
    defaultcon = new QLabel(Q(ReadRasDefault(programDir_)));

    grid->addWidget(EntryList, 0, 0, 7, 1);
    grid->addWidget(GetEntriesButton, 0, 1);
    grid->addWidget(DialButton, 1, 1);
    grid->addWidget(AsyncDialing, 2, 1);
    grid->addWidget(SyncDialing, 3, 1);
    grid->addWidget(HangUpButton, 4, 1);
    grid->addWidget(ConnectionsButton, 5, 1);
    grid->addWidget(HangUpAllBox, 6, 1);
    grid->addWidget(new QLabel(QStringLiteral("Status: ")), 7, 0);
    grid->addWidget(LStatus, 7, 1);
    grid->addWidget(Status2, 8, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("default connection:")), 9, 0);
    grid->addWidget(defaultcon, 9, 1);
    grid->addWidget(Savedefault, 10, 1);

    progress_ = new QTimer(this);
    progress_->setInterval(100);
    connect(progress_, &QTimer::timeout, this, &DialUpWindow::PumpProgress);
    connect(GetEntriesButton, &QPushButton::clicked, this, &DialUpWindow::GetEntries);
    connect(DialButton, &QPushButton::clicked, this, &DialUpWindow::Dial);
    connect(HangUpButton, &QPushButton::clicked, this, &DialUpWindow::HangUp);
    connect(ConnectionsButton, &QPushButton::clicked, this, &DialUpWindow::GetConnections);
    connect(Savedefault, &QPushButton::clicked, this, &DialUpWindow::SaveDefault);
}

void DialUpWindow::ShowState() {
    LStatus->setText(Q(ras_.LStatus));
    Status2->setText(Q(ras_.Status2));
}

void DialUpWindow::GetEntries() {
    EntryList->clear();
    DialButton->setEnabled(true);
    ras_.DialUp.GetEntries();
    for (const std::string& entry : ras_.DialUp.Entries) EntryList->addItem(Q(entry));
    if (EntryList->count() > 0) EntryList->setCurrentRow(0);
}

void DialUpWindow::Dial() {
    if (EntryList->count() == 0) {
        QMessageBox::information(this, windowTitle(),
                                 QStringLiteral("Choose entry with get entries first"));
        return;
    }
    const QListWidgetItem* item = EntryList->currentItem();
    if (item == nullptr) return;
    ras_.RasState = RS_Dialling;
    ras_.DialUp.Entry = item->text().toStdString();
    ras_.DialUp.DialMode = AsyncDialing->isChecked() ? dmAsync : dmSync;
    if (ras_.DialUp.Dial() != 0) ras_.RasState = RS_Failed;
    if (ras_.DialUp.DialMode == dmAsync && ras_.RasState == RS_Dialling) progress_->start();
    ShowState();
}

void DialUpWindow::PumpProgress() {
    ras_.DialUp.Pump(0);
    if (ras_.RasState != RS_Dialling) progress_->stop();
    ShowState();
}

void DialUpWindow::HangUp() {
    progress_->stop();
    ras_.HangUp();
    ras_.Status2 = ras_.LStatus = "Disconnected";
    ShowState();
}

void DialUpWindow::GetConnections() {
    EntryList->clear();
    DialButton->setEnabled(false);
    const bool hangUpAll = HangUpAllBox->isChecked();
    std::vector<std::string> toHangUp;
    ras_.DialUp.OnActiveConnection = [&](const std::string& handle, int, const std::string& status,
                                         const std::string& entry, const std::string&,
                                         const std::string& device) {
        EntryList->addItem(Q(entry + " | " + device + " || " + status));
        if (hangUpAll) toHangUp.push_back(handle);
    };
    ras_.DialUp.GetConnections();
    ras_.DialUp.OnActiveConnection = nullptr;
    for (const std::string& handle : toHangUp) ras_.DialUp.HangUpConn(handle);
}

void DialUpWindow::SaveDefault() {
    const QListWidgetItem* item = EntryList->currentItem();
    if (item == nullptr) return;
    defaultcon->setText(item->text());
    try {
        WriteRasDefault(programDir_, item->text().toStdString());
    } catch (const ProfileWriteError& error) {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(error.what()));
    }
}

}  // namespace ferrolin::gui
