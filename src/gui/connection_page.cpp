#include "gui/connection_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
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
    PassiveMode = Box("PassiveMode", "Passive mode");
    ftpLayout->addWidget(PassiveMode, 0, 0, 1, 2);
    Modemspeed = Choices("Modemspeed", {QStringLiteral("5 seconds"), QStringLiteral("30 seconds"),
                                        QStringLiteral("60 seconds")});
    ftpLayout->addWidget(Label("Time out:"), 1, 0);
    ftpLayout->addWidget(Modemspeed, 1, 1);
    ReportLevel = Choices("ReportLevel", {QStringLiteral("None"), QStringLiteral("Informational"),
                                          QStringLiteral("Basic"), QStringLiteral("Routines"),
                                          QStringLiteral("Debug"), QStringLiteral("Trace")});
    ftpLayout->addWidget(ReportLevel, 2, 0, 1, 2);
    ftpLayout->setColumnStretch(2, 1);
    layout->addWidget(ftpGroup);

    RasGroup = Named(new QGroupBox(QStringLiteral("Ras")), "RasGroup");
    auto* rasLayout = new QGridLayout(RasGroup);
    DRasEintraege = Named(new QComboBox, "DRasEintraege");
    UseRasFor = Choices("UseRasFor", {QStringLiteral("Destination"), QStringLiteral("Source")});
    rasLayout->addWidget(DRasEintraege, 0, 0, 1, 2);
    rasLayout->addWidget(Label("Use ras for:"), 1, 0);
    rasLayout->addWidget(UseRasFor, 1, 1);
    rasLayout->addWidget(Button("BDial", "Dial"), 2, 0);
    rasLayout->addWidget(Button("BDisconnect", "Disconnect"), 2, 1);
    layout->addWidget(RasGroup);

    auto* mailGroup = Named(new QGroupBox(QStringLiteral("Mail")), "MailGroup");
    auto* mailLayout = new QVBoxLayout(mailGroup);
    Tight(mailLayout);
    EMailSaveHeader = Box("EMailSaveHeader", "Save header");
    EmailDecodeMessage = Box("EmailDecodeMessage", "Decode Message");
    EmailEraseFirst = Box("EmailEraseFirst", "Erase first");
    EmailEraseFirst->setToolTip(QStringLiteral(
        "All files in the Destination folder will ERASED before the Email is downloaded"));
    EMailSaveBody = Box("EMailSaveBody", "Save body (never use when attachements on it)");
    for (QCheckBox* box : {EMailSaveHeader, EmailDecodeMessage, EmailEraseFirst, EMailSaveBody}) {
        mailLayout->addWidget(box);
    }
    layout->addWidget(mailGroup);
    layout->addStretch(1);

    // Kept in the file and honoured, but not offered in the window.
    ReportLevel->setVisible(false);
    RasGroup->setVisible(false);
}

void ConnectionPage::Bind() {
    auto& b = job_;
    using J = TransferJob;
    b.Choice(UseRasFor, &J::UseRasFor);
    b.Flag(PassiveMode, &J::PassiveMode);
    b.Choice(Modemspeed, &J::Modemspeed);
    b.Choice(ReportLevel, &J::ReportLevel);
    b.Flag(EMailSaveHeader, &J::EMailSaveHeader);
    b.Flag(EmailDecodeMessage, &J::EmailDecodeMessage);
    b.Flag(EmailEraseFirst, &J::EmailEraseFirst);
    b.Flag(EMailSaveBody, &J::EMailSaveBody);
    // The "Ras" list: the chosen entry, or none ("Not found").
    connect(DRasEintraege, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (showing_ || job_.Filling()) return;
        station_.RasIndex = index;
        station_.Editor.DRasEintrag = RasShownText(station_);
    });
}

void ConnectionPage::Show() {
    job_.Fill();
    Showing showing(showing_);
    DRasEintraege->clear();
    for (const std::string& entry : station_.RasEntries) DRasEintraege->addItem(Q(entry));
    DRasEintraege->setPlaceholderText(QStringLiteral("Not found"));
    DRasEintraege->setCurrentIndex(station_.RasIndex);
}

}  // namespace ferrolin::gui
