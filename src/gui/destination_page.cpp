#include "gui/destination_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "gui/folder_field.h"
#include "gui/page_controls.h"
#include "station/job_editor_commands.h"

namespace ferrolin::gui {

using namespace controls;

DestinationPage::DestinationPage(Station& station, QWidget* parent)
    : QWidget(parent),
      station_(station),
      job_([&station]() -> TransferJob& { return station.Editor; },
           [this] {
               SetEditorCopyMode(station_, station_.Editor.copyMode);
               deleteDelay->setEnabled(station_.EditorDelayEnabled);
           }) {
    Build();
    Bind();
}

void DestinationPage::Build() {
    auto* layout = new QVBoxLayout(this);
    Tight(layout);
    BuildFolderRows(layout);
    BuildCopyModeGroup(layout);
    BuildBufferAndRateRow(layout);
    BuildTimeStampRow(layout);
    layout->addStretch(1);
}

// The destination folder and the logon of its share.
void DestinationPage::BuildFolderRows(QVBoxLayout* layout) {
    auto* grid = new QGridLayout;
    grid->setSpacing(3);
    DestinationEdit = Edit("Empfangsverzeichnis");
    DestinationFolderButton = FolderButton("BitBtn1");
    grid->addWidget(Label("Directory:"), 0, 0);
    grid->addWidget(DestinationEdit, 0, 1, 1, 3);
    grid->addWidget(DestinationFolderButton, 0, 4);
    destinationUser = Edit("DestLName");
    destinationPassword = PasswordEdit("DestLPassword");
    grid->addWidget(Label("Username:"), 1, 0);
    grid->addWidget(destinationUser, 1, 1);
    grid->addWidget(Label("Password:"), 1, 2);
    grid->addWidget(destinationPassword, 1, 3, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    layout->addLayout(grid);
}

// The copy mode and the delay of a mirror's deletions.
void DestinationPage::BuildCopyModeGroup(QVBoxLayout* layout) {
    auto* copyGroup = Named(new QGroupBox(QStringLiteral("Copy mode")), "CopyModeGroup");
    auto* copyLayout = new QGridLayout(copyGroup);
    Tight(copyLayout);
    CCopyMode =
        Choices("CCopyMode",
                {QStringLiteral("newer file or different file size"),
                 QStringLiteral("only newer files"), QStringLiteral("copy any way"),
                 QStringLiteral("Source is master"), QStringLiteral("Create only short cuts")});
    copyLayout->addWidget(CCopyMode, 0, 0, 1, 2);
    deleteDelay = Edit("DestDelDelay");
    deleteDelay->setToolTip(QStringLiteral("0=No delay"));
    deleteDelay->setFixedWidth(50);
    auto* delayRow = new QHBoxLayout;
    delayRow->addWidget(Label("Delete delay (Days):"));
    delayRow->addWidget(deleteDelay);
    delayRow->addStretch(1);
    copyLayout->addLayout(delayRow, 1, 0, 1, 2);
    layout->addWidget(copyGroup);
}

void DestinationPage::BuildBufferAndRateRow(QVBoxLayout* layout) {
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
    maxByteRate = Edit("MaxByteRate");
    maxByteRate->setToolTip(QStringLiteral("1 MByte/s = 1024*1024*8 Bit/s"));
    maxByteRate->setFixedWidth(45);
    rateLayout->addWidget(maxByteRate);
    rateLayout->addWidget(Label("[MByte/s]  0=disable"));
    middle->addWidget(rateGroup, 1);
    layout->addLayout(middle);
}

void DestinationPage::BuildTimeStampRow(QVBoxLayout* layout) {
    auto* stampRow = new QHBoxLayout;
    addTimeStamp = Box("AddTimeStampC", "Add time stamp");
    timeStampFormat = Edit("AddTimeStampE");
    useTempFile = Box("UseTempFile", "use temp file");
    stampRow->addWidget(addTimeStamp);
    stampRow->addWidget(timeStampFormat, 1);
    stampRow->addWidget(useTempFile);
    layout->addLayout(stampRow);
}

void DestinationPage::Bind() {
    auto& b = job_;
    using J = TransferJob;
    b.Text(DestinationEdit, &J::destination);
    b.Text(destinationUser, &J::destinationUser);
    b.Text(destinationPassword, &J::destinationPassword);
    b.Choice(CBuffering, &J::buffering);
    b.Choice(CCopyMode, &J::copyMode);
    b.Text(deleteDelay, &J::deleteDelay);
    b.Flag(addTimeStamp, &J::addTimeStamp);
    b.Text(timeStampFormat, &J::timeStampFormat);
    b.Text(maxByteRate, &J::maxByteRate);
    b.Flag(useTempFile, &J::useTempFile);
    ConnectFolderButton(station_, DestinationFolderButton, DestinationEdit);
}

void DestinationPage::Show() {
    job_.Fill();
    deleteDelay->setEnabled(station_.EditorDelayEnabled);
}

}  // namespace ferrolin::gui
