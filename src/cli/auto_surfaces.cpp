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
    // The countdown ("00:09:59") changes every second and stays in the window; the words
    // ("working...", "finished with errors", "Auto off", ...) are worth a line.
    if (text.empty() || (text.front() >= '0' && text.front() <= '9')) return;
    SetStatusText(text);
}

}  // namespace ferrolin::cli
