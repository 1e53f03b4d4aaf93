#include "gui/log_view.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

#include "gui/page_controls.h"
#include "gui/qt_surfaces.h"

namespace ferrolin::gui {

using namespace controls;

LogView::LogView(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("LogView"));
    resize(760, 480);
    auto* layout = new QVBoxLayout(this);
    Text = Named(new QPlainTextEdit, "LogText");
    Text->setReadOnly(true);
    Text->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(Text, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);
}

void LogView::ShowText(const std::string& text, const std::string& fileName) {
    setWindowTitle(Q(fileName));
    Text->setPlainText(Q(text));
    Text->moveCursor(QTextCursor::End);
    Text->verticalScrollBar()->setValue(Text->verticalScrollBar()->maximum());
}

}  // namespace ferrolin::gui
