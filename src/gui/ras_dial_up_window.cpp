#include "gui/ras_dial_up_window.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "station/config_write_error.h"
#include "station/ras_types.h"

namespace ferrolin::gui {

namespace {
QString Q(const std::string& text) { return QString::fromStdString(text); }
}  // namespace

TRasDialUpWindow::TRasDialUpWindow(RasDialUp& ras, std::string programDir, QWidget* parent)
    : QWidget(parent, Qt::Window), ras_(ras), programDir_(std::move(programDir)) {
    setWindowTitle(QStringLiteral("Dial-Up component Test"));
    auto* grid = new QGridLayout(this);
    ListBox1 = new QListWidget;
    Button1 = new QPushButton(QStringLiteral("Get Entries"));
    Button2 = new QPushButton(QStringLiteral("Dial"));
    Button2->setEnabled(false);
    Button3 = new QPushButton(QStringLiteral("<- Hangup"));
    Button4 = new QPushButton(QStringLiteral("Get active connections"));
    Savedefault = new QPushButton(QStringLiteral("Save us default"));
    RadioButton1 = new QRadioButton(QStringLiteral("Async Dialing"));
    RadioButton2 = new QRadioButton(QStringLiteral("Sync Dialing"));
    RadioButton1->setChecked(true);
    CheckBox1 = new QCheckBox(QStringLiteral("Hangup all detected connections"));
    LStatus = new QLabel;
    Status2 = new QLabel;
    QFont bold = Status2->font();
    bold.setBold(true);
    Status2->setFont(bold);
    defaultcon = new QLabel(Q(ReadRasDefault(programDir_)));

    grid->addWidget(ListBox1, 0, 0, 7, 1);
    grid->addWidget(Button1, 0, 1);
    grid->addWidget(Button2, 1, 1);
    grid->addWidget(RadioButton1, 2, 1);
    grid->addWidget(RadioButton2, 3, 1);
    grid->addWidget(Button3, 4, 1);
    grid->addWidget(Button4, 5, 1);
    grid->addWidget(CheckBox1, 6, 1);
    grid->addWidget(new QLabel(QStringLiteral("Status: ")), 7, 0);
    grid->addWidget(LStatus, 7, 1);
    grid->addWidget(Status2, 8, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("default connection:")), 9, 0);
    grid->addWidget(defaultcon, 9, 1);
    grid->addWidget(Savedefault, 10, 1);

    progress_ = new QTimer(this);
    progress_->setInterval(100);
    connect(progress_, &QTimer::timeout, this, &TRasDialUpWindow::PumpProgress);
    connect(Button1, &QPushButton::clicked, this, &TRasDialUpWindow::GetEntries);
    connect(Button2, &QPushButton::clicked, this, &TRasDialUpWindow::Dial);
    connect(Button3, &QPushButton::clicked, this, &TRasDialUpWindow::HangUp);
    connect(Button4, &QPushButton::clicked, this, &TRasDialUpWindow::GetConnections);
    connect(Savedefault, &QPushButton::clicked, this, &TRasDialUpWindow::SaveDefault);
}

void TRasDialUpWindow::ShowState() {
    LStatus->setText(Q(ras_.LStatus));
    Status2->setText(Q(ras_.Status2));
}

void TRasDialUpWindow::GetEntries() {
    ListBox1->clear();
    Button2->setEnabled(true);
    ras_.DialUp.GetEntries();
    for (const std::string& entry : ras_.DialUp.Entries) ListBox1->addItem(Q(entry));
    if (ListBox1->count() > 0) ListBox1->setCurrentRow(0);
}

void TRasDialUpWindow::Dial() {
    if (ListBox1->count() == 0) {
        QMessageBox::information(this, windowTitle(),
                                 QStringLiteral("Choose entry with get entries first"));
        return;
    }
    const QListWidgetItem* item = ListBox1->currentItem();
    if (item == nullptr) return;
    ras_.RasState = RS_Dialling;
    ras_.DialUp.Entry = item->text().toStdString();
    ras_.DialUp.DialMode = RadioButton1->isChecked() ? dmAsync : dmSync;
    if (ras_.DialUp.Dial() != 0) ras_.RasState = RS_Failed;
    if (ras_.DialUp.DialMode == dmAsync && ras_.RasState == RS_Dialling) progress_->start();
    ShowState();
}

void TRasDialUpWindow::PumpProgress() {
    ras_.DialUp.Pump(0);
    if (ras_.RasState != RS_Dialling) progress_->stop();
    ShowState();
}

void TRasDialUpWindow::HangUp() {
    progress_->stop();
    ras_.HangUp();
    ras_.Status2 = ras_.LStatus = "Disconnected";
    ShowState();
}

void TRasDialUpWindow::GetConnections() {
    ListBox1->clear();
    Button2->setEnabled(false);
    const bool hangUpAll = CheckBox1->isChecked();
    std::vector<std::string> toHangUp;
    ras_.DialUp.OnActiveConnection = [&](const std::string& handle, int, const std::string& status,
                                         const std::string& entry, const std::string&,
                                         const std::string& device) {
        ListBox1->addItem(Q(entry + " | " + device + " || " + status));
        if (hangUpAll) toHangUp.push_back(handle);
    };
    ras_.DialUp.GetConnections();
    ras_.DialUp.OnActiveConnection = nullptr;
    for (const std::string& handle : toHangUp) ras_.DialUp.HangUpConn(handle);
}

void TRasDialUpWindow::SaveDefault() {
    const QListWidgetItem* item = ListBox1->currentItem();
    if (item == nullptr) return;
    defaultcon->setText(item->text());
    try {
        WriteRasDefault(programDir_, item->text().toStdString());
    } catch (const ProfileWriteError& error) {
        QMessageBox::warning(this, windowTitle(), QString::fromStdString(error.what()));
    }
}

}  // namespace ferrolin::gui
