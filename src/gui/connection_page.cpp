#include "gui/connection_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/page_controls.h"
#include "gui/showing.h"
#include "station/station_config.h"

namespace ferrolin::gui {

using namespace controls;

ConnectionPage::ConnectionPage(Station& station, QWidget* parent)
    : QWidget(parent),
      station_(station),
      job_([&station]() -> TransferJob& { return station.Editor; }) {
    Build();
    Bind();
}

void ConnectionPage::Build() {
    auto* layout = new QVBoxLayout(this);
    Tight(layout);

    auto* ftpGroup = Named(new QGroupBox(QStringLiteral("FTP")), "FtpGroup");
    auto* ftpLayout = new QGridLayout(ftpGroup);
    Tight(ftpLayout);
    passiveMode = Box("PassiveMode", "Passive mode");
    ftpLayout->addWidget(passiveMode, 0, 0, 1, 2);
    timeoutChoice = Choices(
        "Modemspeed",
        {QStringLiteral("5 seconds"), QStringLiteral("30 seconds"), QStringLiteral("60 seconds")});
    ftpLayout->addWidget(Label("Time out:"), 1, 0);
    ftpLayout->addWidget(timeoutChoice, 1, 1);
    reportLevel = Choices("ReportLevel", {QStringLiteral("None"), QStringLiteral("Informational"),
                                          QStringLiteral("Basic"), QStringLiteral("Routines"),
                                          QStringLiteral("Debug"), QStringLiteral("Trace")});
    ftpLayout->addWidget(reportLevel, 2, 0, 1, 2);
    // SFTP key logon: a private key file; the job's password is then the key's passphrase.
    sshKeyFile = Edit("SshKeyFile");
    sshKeyFile->setToolTip(QStringLiteral(
        "SFTP: log on with this private key; the password field holds its passphrase"));
    ftpLayout->addWidget(Label("SSH key file:"), 3, 0);
    ftpLayout->addWidget(sshKeyFile, 3, 1, 1, 2);
    ftpLayout->setColumnStretch(2, 1);
    layout->addWidget(ftpGroup);

    RasGroup = Named(new QGroupBox(QStringLiteral("Ras")), "RasGroup");
    auto* rasLayout = new QGridLayout(RasGroup);
    DialUpEntries = Named(new QComboBox, "DRasEintraege");
    dialUpFor = Choices("UseRasFor", {QStringLiteral("Destination"), QStringLiteral("Source")});
    rasLayout->addWidget(DialUpEntries, 0, 0, 1, 2);
    rasLayout->addWidget(Label("Use ras for:"), 1, 0);
    rasLayout->addWidget(dialUpFor, 1, 1);
    rasLayout->addWidget(Button("BDial", "Dial"), 2, 0);
    rasLayout->addWidget(Button("BDisconnect", "Disconnect"), 2, 1);
    layout->addWidget(RasGroup);

    auto* mailGroup = Named(new QGroupBox(QStringLiteral("Mail")), "MailGroup");
    auto* mailLayout = new QVBoxLayout(mailGroup);
    Tight(mailLayout);
    saveMailHeader = Box("EMailSaveHeader", "Save header");
    decodeMail = Box("EmailDecodeMessage", "Decode Message");
    eraseFolderFirst = Box("EmailEraseFirst", "Erase first");
    eraseFolderFirst->setToolTip(QStringLiteral(
        "All files in the Destination folder will ERASED before the Email is downloaded"));
    saveMailBody = Box("EMailSaveBody", "Save body (never use when attachements on it)");
    for (QCheckBox* box : {saveMailHeader, decodeMail, eraseFolderFirst, saveMailBody}) {
        mailLayout->addWidget(box);
    }
    layout->addWidget(mailGroup);
    layout->addStretch(1);

    // Kept in the file and honoured, but not offered in the window.
    reportLevel->setVisible(false);
    RasGroup->setVisible(false);
}

void ConnectionPage::Bind() {
    auto& b = job_;
    using J = TransferJob;
    b.Choice(dialUpFor, &J::dialUpFor);
    b.Flag(passiveMode, &J::passiveMode);
    b.Choice(timeoutChoice, &J::timeoutChoice);
    b.Choice(reportLevel, &J::reportLevel);
    b.Text(sshKeyFile, &J::sshKeyFile);
    b.Flag(saveMailHeader, &J::saveMailHeader);
    b.Flag(decodeMail, &J::decodeMail);
    b.Flag(eraseFolderFirst, &J::eraseFolderFirst);
    b.Flag(saveMailBody, &J::saveMailBody);
    // The "Ras" list: the chosen entry, or none ("Not found").
    connect(DialUpEntries, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (showing_ || job_.Filling()) return;
        station_.Line.RasIndex = index;
        station_.Editor.dialUpEntry = RasShownText(station_);
    });
}

void ConnectionPage::Show() {
    job_.Fill();
    Showing showing(showing_);
    DialUpEntries->clear();
    for (const std::string& entry : station_.RasEntries) DialUpEntries->addItem(Q(entry));
    DialUpEntries->setPlaceholderText(QStringLiteral("Not found"));
    DialUpEntries->setCurrentIndex(station_.Line.RasIndex);
}

}  // namespace ferrolin::gui
