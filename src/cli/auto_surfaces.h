#pragma once
// The face of the headless station: the command line's face, plus the next start printed
// on standard output whenever it changes.
#include <ostream>
#include <string>

#include "cli/cli_surfaces.h"

namespace ferrolin::cli {

class AutoSurfaces : public CliSurfaces {
public:
    AutoSurfaces(std::ostream& progress, std::ostream& nextStarts);

    void SetNextFu10Text(std::string_view text) override;
    // The countdown changes every second: only the words ("working...", "finished", ...)
    // are shown.
    void SetNextStartText(std::string_view text) override;

private:
    std::ostream& nextStarts_;
    std::string lastNextStart_;
};

}  // namespace ferrolin::cli
