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
               SetEditorCopyMode(station_, station_.Editor.CopyMode);
               DestDelDelay->setEnabled(station_.EditorDelayEnabled);
           }) {
    Build();
    Bind();
}

void DestinationPage::Build() {
    auto* layout = new QVBoxLayout(this);
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
}

void DestinationPage::Bind() {
    auto& b = job_;
    using J = TransferJob;
    b.Text(Empfangsverzeichnis, &J::EmpfangsVerzeichnis);
    b.Text(DestLName, &J::DestLName);
    b.Text(DestLPassword, &J::DestLPassword);
    b.Choice(CBuffering, &J::Buffering);
    b.Choice(CCopyMode, &J::CopyMode);
    b.Text(DestDelDelay, &J::DestDelDelay);
    b.Flag(AddTimeStampC, &J::AddTimeStampC);
    b.Text(AddTimeStampE, &J::AddTimeStampE);
    b.Text(MaxByteRate, &J::MaxByteRate);
    b.Flag(UseTempFile, &J::UseTempFile);
    ConnectFolderButton(station_, BitBtn1, Empfangsverzeichnis);
}

void DestinationPage::Show() {
    job_.Fill();
    DestDelDelay->setEnabled(station_.EditorDelayEnabled);
}

}  // namespace ferrolin::gui
