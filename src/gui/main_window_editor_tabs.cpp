// The job editor's tabs "Source", "Destination" and "Connection": one control per key of a
// job section, bound to Station::Editor; and the binding of the global options.
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "gui/main_window.h"
#include "gui/widget_names.h"
#include "station/job_editor_commands.h"
#include "station/station_config.h"

namespace ferrolin::gui {

namespace {

QLineEdit* Edit(const char* name) { return Named(new QLineEdit, name); }

QLineEdit* PasswordEdit(const char* name) {
    QLineEdit* edit = Edit(name);
    edit->setEchoMode(QLineEdit::Password);
    return edit;
}

QComboBox* Choices(const char* name, const QStringList& items) {
    QComboBox* combo = Named(new QComboBox, name);
    combo->addItems(items);
    return combo;
}

QCheckBox* Box(const char* name, const char* caption) {
    return Named(new QCheckBox(QString::fromUtf8(caption)), name);
}

QToolButton* FolderButton(const char* name) {
    QToolButton* button = Named(new QToolButton, name);
    button->setText(QStringLiteral("..."));
    button->setToolTip(QStringLiteral("Choose a folder"));
    return button;
}

QLabel* Label(const char* text) { return new QLabel(QString::fromUtf8(text)); }

void Tight(QLayout* layout) {
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(3);
}

// A label/field pair per row of a form grid.
void Row(QGridLayout* grid, int row, const char* label, QWidget* field, int span = 1) {
    grid->addWidget(Label(label), row, 0);
    grid->addWidget(field, row, 1, 1, span);
}

}  // namespace

QWidget* TFQuillomat::BuildSourceTab() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    Tight(grid);
    SourceType = Choices("SourceType", {QStringLiteral("Auto"), QStringLiteral("Windows"),
                                        QStringLiteral("Ftp"), QStringLiteral("Http"),
                                        QStringLiteral("Mail"), QStringLiteral("Filelist")});
    Row(grid, 0, "Source type:", SourceType);
    Sendeverzeichnis = Edit("Sendeverzeichnis");
    BitBtn5 = FolderButton("BitBtn5");
    Row(grid, 1, "Directory:", Sendeverzeichnis);
    grid->addWidget(BitBtn5, 1, 2);
    SourceLName = Edit("SourceLName");
    Row(grid, 2, "Username:", SourceLName);
    SourceLPassword = PasswordEdit("SourceLPassword");
    Row(grid, 3, "Password:", SourceLPassword);
    CLFile = Edit("CLFile");
    Row(grid, 4, "Compare list file:", CLFile);
    ExcludeExtensions = Edit("ExcludeExtensions");
    Row(grid, 5, "Exclude: (.tmp;.~pc)", ExcludeExtensions);
    ParsingType =
        Choices("ParsingType", {QStringLiteral("Auto"), QStringLiteral("Include Sub Directories")});
    Row(grid, 6, "Parsing:", ParsingType);
    SourceDelete = Box("SourceDelete", "delete");
    SourceDelete->setToolTip(QStringLiteral("Delete source file after success transver"));
    grid->addWidget(SourceDelete, 7, 1);
    grid->setRowStretch(8, 1);
    grid->setColumnStretch(1, 1);
    return page;
}

QWidget* TFQuillomat::BuildDestinationTab() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    Tight(layout);

    auto* grid = new QGridLayout;
    grid->setSpacing(3);
    Empfangsverzeichnis = Edit("Empfangsverzeichnis");
    BitBtn1 = FolderButton("BitBtn1");
    grid->addWidget(Label("Directory:"), 0, 0);
    grid->addWidget(Empfangsverzeichnis, 0, 1, 1, 3);
    grid->addWidget(BitBtn1, 0, 4);
    DestLName = Edit("DestLName");
    DestLPassword = PasswordEdit("DestLPassword");
    grid->addWidget(Label("Username:"), 1, 0);
    grid->addWidget(DestLName, 1, 1);
    grid->addWidget(Label("Password:"), 1, 2);
    grid->addWidget(DestLPassword, 1, 3, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    layout->addLayout(grid);

    auto* copyGroup = Named(new QGroupBox(QStringLiteral("Copy mode")), "CopyModeGroup");
    auto* copyLayout = new QGridLayout(copyGroup);
    Tight(copyLayout);
    CCopyMode = Choices("CCopyMode", {QStringLiteral("newer file or different file size"),
                                      QStringLiteral("only newer files"),
                                      QStringLiteral("copy any way"),
                                      QStringLiteral("Source is master"),
                                      QStringLiteral("Create only short cuts")});
    copyLayout->addWidget(CCopyMode, 0, 0, 1, 2);
    DestDelDelay = Edit("DestDelDelay");
    DestDelDelay->setToolTip(QStringLiteral("0=No delay"));
    DestDelDelay->setFixedWidth(50);
    auto* delayRow = new QHBoxLayout;
    delayRow->addWidget(Label("Delete delay (Days):"));
    delayRow->addWidget(DestDelDelay);
    delayRow->addStretch(1);
    copyLayout->addLayout(delayRow, 1, 0, 1, 2);
    layout->addWidget(copyGroup);

    auto* middle = new QHBoxLayout;
    auto* bufferGroup = Named(new QGroupBox(QStringLiteral("Buffering")), "BufferingGroup");
    auto* bufferLayout = new QVBoxLayout(bufferGroup);
    Tight(bufferLayout);
    CBuffering = Choices("CBuffering", {QStringLiteral("Automatic"), QStringLiteral("Disabled"),
                                        QStringLiteral("Enabled")});
    bufferLayout->addWidget(CBuffering);
    middle->addWidget(bufferGroup);
    auto* rateGroup =
        Named(new QGroupBox(QStringLiteral("Byte rate control")), "ByteRateControlGroup");
    auto* rateLayout = new QHBoxLayout(rateGroup);
    Tight(rateLayout);
    MaxByteRate = Edit("MaxByteRate");
    MaxByteRate->setToolTip(QStringLiteral("1 MByte/s = 1024*1024*8 Bit/s"));
    MaxByteRate->setFixedWidth(45);
    rateLayout->addWidget(MaxByteRate);
    rateLayout->addWidget(Label("[MByte/s]  0=disable"));
    middle->addWidget(rateGroup, 1);
    layout->addLayout(middle);

    auto* stampRow = new QHBoxLayout;
    AddTimeStampC = Box("AddTimeStampC", "Add time stamp");
    AddTimeStampE = Edit("AddTimeStampE");
    UseTempFile = Box("UseTempFile", "use temp file");
    stampRow->addWidget(AddTimeStampC);
    stampRow->addWidget(AddTimeStampE, 1);
    stampRow->addWidget(UseTempFile);
    layout->addLayout(stampRow);
    layout->addStretch(1);
    return page;
}

QWidget* TFQuillomat::BuildConnectionTab() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
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
    rasLayout->addWidget(Named(new QPushButton(QStringLiteral("Dial")), "BDial"), 2, 0);
    rasLayout->addWidget(Named(new QPushButton(QStringLiteral("Disconnect")), "BDisconnect"), 2, 1);
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
    return page;
}

void TFQuillomat::BindOptions() {
    optionsBinder_ = std::make_unique<FieldBinder<GlobalOptions>>(
        [this]() -> GlobalOptions& { return station_->Options; },
        [this] { ShowSendTimePanels(); });
    auto& b = *optionsBinder_;
    using G = GlobalOptions;
    b.Flag(RunMinimized, &G::RunMinimized);
    b.Flag(CheckMPEGFiles, &G::CheckMPEGFiles);
    b.Flag(CopyCorruptFiles, &G::CopyCorruptFiles);
    b.Flag(SpezialScan, &G::SpezialScan);
    b.Flag(AbsolutSendTime, &G::AbsolutSendTime);
    b.Flag(LogEndStatistic, &G::LogEndStatistic);
    b.Flag(SaveSuccessfulCopies, &G::SaveSuccessfulCopies);
    b.Flag(CopyOpenFiles, &G::CopyOpenFiles);
    b.Flag(UploadInProgressCheck, &G::UploadInProgressCheck);
    b.Flag(CloseProgAfterJobs, &G::CloseProgAfterJobs);
    b.Text(ERebootAfterTimeout, &G::RebootAfterTimeout);
    b.Choice(TimeoutControl, &G::TimeoutControl);
    b.Flag(NoFTPDisconnect, &G::NoFTPDisconnect);
    b.Choice(SendTimeMode, &G::SendTimeMode);
    b.Text(SendTimeSimpleIntervalE, &G::SendTimeSimpleInterval);
    // "Auto" has a handler of its own (it computes the next start).
}

void TFQuillomat::BindEditor() {
    editorBinder_ = std::make_unique<FieldBinder<TransferJob>>(
        [this]() -> TransferJob& { return station_->Editor; },
        [this] {
            SetEditorCopyMode(*station_, station_->Editor.CopyMode);
            DestDelDelay->setEnabled(station_->EditorDelayEnabled);
        });
    auto& b = *editorBinder_;
    using J = TransferJob;
    b.Text(KopfName, &J::Name);
    b.Choice(SourceType, &J::SourceType);
    b.Text(Sendeverzeichnis, &J::SendeVerzeichnis);
    b.Text(SourceLName, &J::SourceLName);
    b.Text(SourceLPassword, &J::SourceLPassword);
    b.Flag(SourceDelete, &J::SourceDelete);
    b.Text(CLFile, &J::CLFile);
    b.Text(ExcludeExtensions, &J::ExcludeExtensions);
    b.Text(Empfangsverzeichnis, &J::EmpfangsVerzeichnis);
    b.Text(DestLName, &J::DestLName);
    b.Text(DestLPassword, &J::DestLPassword);
    b.Choice(CBuffering, &J::Buffering);
    b.Choice(CCopyMode, &J::CopyMode);
    b.Text(DestDelDelay, &J::DestDelDelay);
    b.Flag(AddTimeStampC, &J::AddTimeStampC);
    b.Text(AddTimeStampE, &J::AddTimeStampE);
    b.Text(MaxByteRate, &J::MaxByteRate);
    b.Choice(UseRasFor, &J::UseRasFor);
    b.Flag(PassiveMode, &J::PassiveMode);
    b.Flag(UseTempFile, &J::UseTempFile);
    b.Choice(ReportLevel, &J::ReportLevel);
    b.Choice(ParsingType, &J::ParsingType);
    b.Flag(EMailSaveHeader, &J::EMailSaveHeader);
    b.Flag(EmailDecodeMessage, &J::EmailDecodeMessage);
    b.Flag(EmailEraseFirst, &J::EmailEraseFirst);
    b.Flag(EMailSaveBody, &J::EMailSaveBody);
    // The "Ras" list: the chosen entry, or none ("Not found").
    connect(DRasEintraege, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (showing_ || editorBinder_->Filling()) return;
        station_->RasIndex = index;
        station_->Editor.DRasEintrag = RasShownText(*station_);
    });
}

}  // namespace ferrolin::gui
