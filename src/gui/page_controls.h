#pragma once
// Small builders for the controls of the window's tabs: each control gets the object name
// of its control in the window design (see widget_names.h), so tests find it by name.
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QToolButton>

#include "gui/widget_names.h"

namespace ferrolin::gui::controls {

inline QCheckBox* Box(const char* name, const QString& caption) {
    return Named(new QCheckBox(caption), name);
}
inline QCheckBox* Box(const char* name, const char* caption) {
    return Box(name, QString::fromUtf8(caption));
}

inline QPushButton* Button(const char* name, const QString& caption) {
    return Named(new QPushButton(caption), name);
}
inline QPushButton* Button(const char* name, const char* caption) {
    return Button(name, QString::fromUtf8(caption));
}

inline QLineEdit* Edit(const char* name) { return Named(new QLineEdit, name); }

inline QLineEdit* PasswordEdit(const char* name) {
    QLineEdit* edit = Edit(name);
    edit->setEchoMode(QLineEdit::Password);
    return edit;
}

inline QComboBox* Choices(const char* name, const QStringList& items) {
    QComboBox* combo = Named(new QComboBox, name);
    combo->addItems(items);
    return combo;
}

// The "..." button beside a folder field.
inline QToolButton* FolderButton(const char* name) {
    QToolButton* button = Named(new QToolButton, name);
    button->setText(QStringLiteral("..."));
    button->setToolTip(QStringLiteral("Choose a folder"));
    return button;
}

inline QLabel* Label(const char* text) { return new QLabel(QString::fromUtf8(text)); }

// The narrow margins and spacing of every tab page.
inline void Tight(QLayout* layout) {
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(3);
}

// A label/field pair in a row of a form grid.
inline void FormRow(QGridLayout* grid, int row, const char* label, QWidget* field, int span = 1) {
    grid->addWidget(Label(label), row, 0);
    grid->addWidget(field, row, 1, 1, span);
}

}  // namespace ferrolin::gui::controls
