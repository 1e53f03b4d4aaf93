#pragma once
// Runs a command of the window that may fail to write the configuration file, and shows
// the failure as a message instead of letting it end the program.
#include "gui/qt_surfaces.h"
#include "station/config_write_error.h"

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
