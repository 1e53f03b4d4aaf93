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
    sourceType = Choices(
        "SourceType", {QStringLiteral("Auto"), QStringLiteral("Windows"), QStringLiteral("Ftp"),
                       QStringLiteral("Http"), QStringLiteral("Mail"), QStringLiteral("Filelist")});
    FormRow(grid, 0, "Source type:", sourceType);
    SourceEdit = Edit("Sendeverzeichnis");
    SourceFolderButton = FolderButton("BitBtn5");
    FormRow(grid, 1, "Directory:", SourceEdit);
    grid->addWidget(SourceFolderButton, 1, 2);
    sourceUser = Edit("SourceLName");
    FormRow(grid, 2, "Username:", sourceUser);
    sourcePassword = PasswordEdit("SourceLPassword");
    FormRow(grid, 3, "Password:", sourcePassword);
    compareListFile = Edit("CLFile");
    FormRow(grid, 4, "Compare list file:", compareListFile);
    excludeExtensions = Edit("ExcludeExtensions");
    FormRow(grid, 5, "Exclude: (.tmp;.~pc)", excludeExtensions);
    subfolders =
        Choices("ParsingType", {QStringLiteral("Auto"), QStringLiteral("Include Sub Directories")});
    FormRow(grid, 6, "Parsing:", subfolders);
    deleteSource = Box("SourceDelete", "delete");
    deleteSource->setToolTip(QStringLiteral("Delete source file after success transver"));
    grid->addWidget(deleteSource, 7, 1);
    grid->setRowStretch(8, 1);
    grid->setColumnStretch(1, 1);
}

void SourcePage::Bind() {
    auto& b = job_;
    using J = TransferJob;
    b.Choice(sourceType, &J::sourceType);
    b.Text(SourceEdit, &J::source);
    b.Text(sourceUser, &J::sourceUser);
    b.Text(sourcePassword, &J::sourcePassword);
    b.Flag(deleteSource, &J::deleteSource);
    b.Text(compareListFile, &J::compareListFile);
    b.Text(excludeExtensions, &J::excludeExtensions);
    b.Choice(subfolders, &J::subfolders);
    ConnectFolderButton(station_, SourceFolderButton, SourceEdit);
}

void SourcePage::Show() { job_.Fill(); }

}  // namespace ferrolin::gui
