#include "cli/auto_surfaces.h"

namespace ferrolin::cli {

AutoSurfaces::AutoSurfaces(std::ostream& progress, std::ostream& nextStarts)
    : CliSurfaces(progress), nextStarts_(nextStarts) {}

void AutoSurfaces::SetNextFu10Text(std::string_view text) {
    if (text == lastNextStart_) return;
    lastNextStart_ = text;
    nextStarts_ << "next start: " << text << '\n';
    nextStarts_.flush();
}

void AutoSurfaces::SetNextStartText(std::string_view text) {
    if (text == "working..." || text == "finished") SetStatusText(text);
}

}  // namespace ferrolin::cli
