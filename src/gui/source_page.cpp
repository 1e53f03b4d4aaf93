#include "gui/source_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QToolButton>

#include "gui/folder_field.h"
#include "gui/page_controls.h"

namespace ferrolin::gui {

using namespace controls;

SourcePage::SourcePage(Station& station, QWidget* parent)
    : QWidget(parent),
      station_(station),
      job_([&station]() -> TransferJob& { return station.Editor; }) {
    Build();
    Bind();
}

void SourcePage::Build() {
    auto* grid = new QGridLayout(this);
    Tight(grid);
    SourceType = Choices("SourceType", {QStringLiteral("Auto"), QStringLiteral("Windows"),
                                        QStringLiteral("Ftp"), QStringLiteral("Http"),
                                        QStringLiteral("Mail"), QStringLiteral("Filelist")});
    FormRow(grid, 0, "Source type:", SourceType);
    Sendeverzeichnis = Edit("Sendeverzeichnis");
    BitBtn5 = FolderButton("BitBtn5");
    FormRow(grid, 1, "Directory:", Sendeverzeichnis);
    grid->addWidget(BitBtn5, 1, 2);
    SourceLName = Edit("SourceLName");
    FormRow(grid, 2, "Username:", SourceLName);
    SourceLPassword = PasswordEdit("SourceLPassword");
    FormRow(grid, 3, "Password:", SourceLPassword);
    CLFile = Edit("CLFile");
    FormRow(grid, 4, "Compare list file:", CLFile);
    ExcludeExtensions = Edit("ExcludeExtensions");
    FormRow(grid, 5, "Exclude: (.tmp;.~pc)", ExcludeExtensions);
    ParsingType =
        Choices("ParsingType", {QStringLiteral("Auto"), QStringLiteral("Include Sub Directories")});
    FormRow(grid, 6, "Parsing:", ParsingType);
    SourceDelete = Box("SourceDelete", "delete");
    SourceDelete->setToolTip(QStringLiteral("Delete source file after success transver"));
    grid->addWidget(SourceDelete, 7, 1);
    grid->setRowStretch(8, 1);
    grid->setColumnStretch(1, 1);
}

void SourcePage::Bind() {
    auto& b = job_;
    using J = TransferJob;
    b.Choice(SourceType, &J::SourceType);
    b.Text(Sendeverzeichnis, &J::SendeVerzeichnis);
    b.Text(SourceLName, &J::SourceLName);
    b.Text(SourceLPassword, &J::SourceLPassword);
    b.Flag(SourceDelete, &J::SourceDelete);
    b.Text(CLFile, &J::CLFile);
    b.Text(ExcludeExtensions, &J::ExcludeExtensions);
    b.Choice(ParsingType, &J::ParsingType);
    ConnectFolderButton(station_, BitBtn5, Sendeverzeichnis);
}

void SourcePage::Show() { job_.Fill(); }

}  // namespace ferrolin::gui
