#pragma once
// The face of the headless station: the command line's face, plus the next start printed
// on standard output whenever it changes, and message processing that serves the watchdog
// timer and the stop signals while a run is in progress.
#include <functional>
#include <ostream>
#include <string>

#include "cli/cli_surfaces.h"

namespace ferrolin::cli {

class AutoSurfaces : public CliSurfaces {
public:
    AutoSurfaces(std::ostream& progress, std::ostream& nextStarts);

    // What processing pending messages does (Timer2, stop signals).
    void SetMessagePump(std::function<void()> pump) { pump_ = std::move(pump); }

    void ProcessMessages() override;
    void SetNextFu10Text(std::string_view text) override;
    // The countdown changes every second: only "working..." and "finished" are shown.
    void SetNextStartText(std::string_view text) override;

private:
    std::ostream& nextStarts_;
    std::string lastNextStart_;
    std::function<void()> pump_;
};

}  // namespace ferrolin::cli
