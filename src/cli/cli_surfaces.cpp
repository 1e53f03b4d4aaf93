#include "cli/cli_surfaces.h"

#include <utility>

namespace ferrolin::cli {

bool CliSurfaces::Limiter::Allow(std::chrono::steady_clock::time_point now) {
    if (now - windowStart >= std::chrono::seconds(1)) {
        windowStart = now;
        used = 0;
    }
    if (used < perSecond) {
        ++used;
        return true;
    }
    ++suppressed;
    return false;
}

CliSurfaces::CliSurfaces(std::ostream& out, TimeSource now) : out_(out), now_(std::move(now)) {}

CliSurfaces::~CliSurfaces() { ReportSuppressedErrors(); }

void CliSurfaces::ReportSuppressedErrors() {
    if (errors_.suppressed == 0) return;
    out_ << "error: (" << errors_.suppressed << " more error lines not shown)\n";
    out_.flush();
    errors_.suppressed = 0;
}

void CliSurfaces::SetStatusText(std::string_view text) {
    if (text.empty() || !status_.Allow(now_())) return;
    out_ << text << '\n';
    out_.flush();
}

void CliSurfaces::AppendError(std::string_view line) {
    if (!errors_.Allow(now_())) return;
    // The count of hidden lines goes out with the next line that is shown.
    if (errors_.suppressed > 0) ReportSuppressedErrors();
    out_ << "error: " << line << '\n';
    out_.flush();
}

void CliSurfaces::SetGauge(int position, std::string_view text) {
    const bool changed = text != gaugeText_;
    gaugeText_ = std::string(text);
    // The window's gauge shows a transfer's progress; here it is a line now and then.
    if (position <= 0 || !changed || text.empty() || !progress_.Allow(now_())) return;
    out_ << text << '\n';
    out_.flush();
}

void CliSurfaces::SetNextStartText(std::string_view text) {
    if (text.empty()) return;
    SetStatusText("next start: " + std::string(text));
}

Answer CliSurfaces::Ask(std::string_view caption, std::string_view text, Buttons buttons) {
    const Answer answer = buttons == Buttons::Ok ? Answer::Ok : Answer::No;
    out_ << caption << ": " << text << " -> " << (answer == Answer::Ok ? "OK" : "No") << '\n';
    out_.flush();
    return answer;
}

}  // namespace ferrolin::cli
