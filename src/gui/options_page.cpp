#include "gui/options_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "gui/page_controls.h"

namespace ferrolin::gui {

using namespace controls;

OptionsPage::OptionsPage(Station& station, QWidget* parent)
    : QWidget(parent), options_([&station]() -> GlobalOptions& { return station.Options; }) {
    Build();
    Bind();
}

void OptionsPage::Build() {
    auto* layout = new QVBoxLayout(this);
    Tight(layout);

    CopyOpenFiles = Box("CopyOpenFiles", "Copy Open Files");
    CheckMPEGFiles = Box("CheckMPEGFiles", "Check MPEG files");
    UploadInProgressCheck =
        Box("UploadInProgressCheck", "Don't copy if UPLOADINPROGRESS.TXT found");
    NoFTPDisconnect = Box("NoFTPDisconnect", "no disconnect");
    layout->addWidget(CopyOpenFiles);
    layout->addWidget(CheckMPEGFiles);
    layout->addWidget(UploadInProgressCheck);
    layout->addWidget(NoFTPDisconnect);

    auto* automode = Named(new QGroupBox(QStringLiteral("Automode")), "Automode");
    auto* autoLayout = new QVBoxLayout(automode);
    Tight(autoLayout);
    auto* timeoutRow = new QHBoxLayout;
    ERebootAfterTimeout = Edit("ERebootAfterTimeout");
    ERebootAfterTimeout->setToolTip(QStringLiteral("00:00=Disable MM:SS"));
    ERebootAfterTimeout->setFixedWidth(50);
    TimeoutControl = Choices("TimeoutControl", {QStringLiteral("No timeout control"),
                                                QStringLiteral("Restart Software"),
                                                QStringLiteral("Restart Computer")});
    timeoutRow->addWidget(ERebootAfterTimeout);
    timeoutRow->addWidget(TimeoutControl, 1);
    autoLayout->addLayout(timeoutRow);
    CloseProgAfterJobs = Box("CloseProgAfterJobs", "Close program after jobs done");
    SpezialScan = Box("SpezialScan", "Special scan of first item");
    AbsolutSendTime = Box("AbsolutSendTime", "Absolut send time");
    AbsolutSendTime->setToolTip(QStringLiteral("When you will have exactely send times "));
    CopyCorruptFiles = Box("CopyCorruptFiles", "Copy corrupt files");
    for (QCheckBox* box : {CloseProgAfterJobs, SpezialScan, AbsolutSendTime, CopyCorruptFiles}) {
        autoLayout->addWidget(box);
    }
    layout->addWidget(automode);

    auto* logGroup = Named(new QGroupBox(QStringLiteral("Add to Logfile")), "AddToLogfile");
    auto* logLayout = new QVBoxLayout(logGroup);
    Tight(logLayout);
    LogEndStatistic = Box("LogEndStatistic", "End statistic");
    SaveSuccessfulCopies = Box("SaveSuccessfulCopies", "Successful copies");
    logLayout->addWidget(LogEndStatistic);
    logLayout->addWidget(SaveSuccessfulCopies);
    layout->addWidget(logGroup);
    layout->addStretch(1);

    // Kept in the file and honoured, but not offered in the window.
    for (QCheckBox* hidden : {UploadInProgressCheck, NoFTPDisconnect, SpezialScan, AbsolutSendTime}) {
        hidden->setVisible(false);
    }
    ShowMpegOptions(false);
}

void OptionsPage::Bind() {
    auto& b = options_;
    using G = GlobalOptions;
    b.Flag(CheckMPEGFiles, &G::checkMpegFiles);
    b.Flag(CopyCorruptFiles, &G::copyCorruptFiles);
    b.Flag(SpezialScan, &G::specialScan);
    b.Flag(AbsolutSendTime, &G::absoluteSendTime);
    b.Flag(LogEndStatistic, &G::logEndStatistic);
    b.Flag(SaveSuccessfulCopies, &G::logSuccessfulCopies);
    b.Flag(CopyOpenFiles, &G::copyOpenFiles);
    b.Flag(UploadInProgressCheck, &G::uploadInProgressCheck);
    b.Flag(CloseProgAfterJobs, &G::closeAfterJobs);
    b.Text(ERebootAfterTimeout, &G::rebootAfterTimeout);
    b.Choice(TimeoutControl, &G::timeoutControl);
    b.Flag(NoFTPDisconnect, &G::keepFtpConnected);
}

void OptionsPage::Show() { options_.Fill(); }

void OptionsPage::ShowMpegOptions(bool available) {
    CheckMPEGFiles->setVisible(available);
    CopyCorruptFiles->setVisible(available);
}

}  // namespace ferrolin::gui
