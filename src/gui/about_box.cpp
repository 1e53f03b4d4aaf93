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
    auto* text = new QLabel(
        QStringLiteral(
            "<b>Ferrolin</b> %1<br><br>"
            "Unattended file transfer between folders, network shares and FTP servers,<br>"
            "from file lists, HTTP addresses and POP3 mailboxes,<br>"
            "on a weekly schedule, when files arrive, or on demand;<br>"
            "keeps this computer's clock in step with a time server.<br><br>"
            "Built with Qt %2.")
            .arg(QStringLiteral(FERROLIN_VERSION), QString::fromLatin1(qVersion())));
    text->setTextFormat(Qt::RichText);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}

}  // namespace ferrolin::gui
