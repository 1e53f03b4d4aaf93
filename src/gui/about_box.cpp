#include "gui/about_box.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "version.h"

namespace ferrolin::gui {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About Ferrolin"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(QStringLiteral(
        "<b>Ferrolin</b> %1<br><br>"
        "Unattended file transfer: folders, FTP, HTTP and mailboxes,<br>"
        "on a weekly schedule or on demand.<br><br>"
        "Built with Qt %2, libcurl and GMime.")
                                .arg(QStringLiteral(FERROLIN_VERSION), QString::fromLatin1(qVersion())));
    text->setTextFormat(Qt::RichText);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}

}  // namespace ferrolin::gui
