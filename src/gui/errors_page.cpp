#include "gui/errors_page.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/page_controls.h"

namespace ferrolin::gui {

using namespace controls;

ErrorsPage::ErrorsPage(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    Tight(layout);
    Errors = Named(new QPlainTextEdit, "Errors");
    Errors->setReadOnly(true);
    Errors->setLineWrapMode(QPlainTextEdit::NoWrap);
    Errors->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Errors->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(Errors, 1);
    auto* row = new QHBoxLayout;
    Status = Button("Status", "Reset");
    row->addStretch(1);
    row->addWidget(Status);
    layout->addLayout(row);
    connect(Status, &QPushButton::clicked, this, &ErrorsPage::OnReset);
}

void ErrorsPage::OnReset() {
    Errors->clear();
    emit reset();
}

}  // namespace ferrolin::gui
