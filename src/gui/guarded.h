#pragma once
// Runs a command of the window that may fail to write the configuration file, and shows
// the failure as a message instead of letting it end the program.
#include "config/profile_write_error.h"
#include "gui/qt_surfaces.h"

namespace ferrolin::gui {

template <typename Command>
void Guarded(QtSurfaces& surfaces, Command command) {
    try {
        command();
    } catch (const ProfileWriteError& error) {
        surfaces.Ask("Error", error.what(), Buttons::Ok);
    }
}

}  // namespace ferrolin::gui
