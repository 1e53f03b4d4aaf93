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
    // progressLine: on a terminal, a run's progress is one line redrawn in place.
    // readOnly: the station is opened without writing anything (StationStart::readOnly).
    explicit CliSession(bool progressLine = false, bool readOnly = false);
    Station& station() { return *station_; }
    CliSurfaces& surfaces() { return *surfaces_; }

  private:
    std::unique_ptr<CliSurfaces> surfaces_;  // before the station, which uses it
    std::unique_ptr<Station> station_;
};

}  // namespace ferrolin::cli
