#pragma once
// Gives a widget the object name of its control, so tests and the window find it by name.
#include <QString>

namespace ferrolin::gui {

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

}  // namespace ferrolin::gui
