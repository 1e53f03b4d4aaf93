#pragma once
// The "..." button of a folder field: the folder the operator picks (through the core,
// which asks the surfaces) replaces the field's text.
#include <QLineEdit>
#include <QToolButton>

#include "gui/qt_surfaces.h"
#include "station/job_editor_commands.h"
#include "station/station.h"

namespace ferrolin::gui {

inline void ConnectFolderButton(Station& station, QToolButton* button, QLineEdit* field) {
    QObject::connect(button, &QToolButton::clicked, field, [&station, field] {
        if (const auto folder = PickJobFolder(station, U(field->text()))) field->setText(Q(*folder));
    });
}

}  // namespace ferrolin::gui
