#pragma once
// What a command that works on the program folder needs: a station over it, opened by
// the start-up every face uses, with the command line's face.
#include <iostream>
#include <memory>
#include <string>

#include "cli/cli_surfaces.h"
#include "station/station_start.h"

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
