#pragma once
// What a command that works on the program folder needs: the folder, a station over it
// with the command line's face, and the start-up steps every face performs (the legacy
// configuration file moved into place).
#include <iostream>
#include <memory>
#include <string>

#include "cli/cli_surfaces.h"
#include "station/station.h"

namespace ferrolin::cli {

class CliSession {
public:
    CliSession();
    Station& station() { return *station_; }
    CliSurfaces& surfaces() { return surfaces_; }

private:
    CliSurfaces surfaces_{std::cerr};
    std::unique_ptr<Station> station_;
};

}  // namespace ferrolin::cli
