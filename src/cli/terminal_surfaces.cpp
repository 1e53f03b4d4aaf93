#include "cli/terminal_surfaces.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace ferrolin::cli {

namespace {

constexpr std::string_view kCaptionPrefix = "Ferrolin ";

// At most columns characters of text (UTF-8 sequences are never split).
std::string FitTo(std::string_view text, size_t columns) {
    std::string out;
    size_t shown = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool starts = (byte & 0xC0) != 0x80;
        if (starts && shown == columns) break;
        if (starts) ++shown;
        // Control characters would move the cursor: a line redrawn in place must not.
        out += byte < 0x20 ? ' ' : text[i];
    }
    return out;
}

}  // namespace

TerminalSurfaces::TerminalSurfaces(std::ostream& out, int width, TimeSource now)
    : CliSurfaces(out, std::move(now)), width_(width > 1 ? width : 80) {}

TerminalSurfaces::~TerminalSurfaces() {
    if (shown_) {
        output() << '\n';
        output().flush();
    }
}

int TerminalSurfaces::TerminalWidth(int fd) {
    if (::isatty(fd) == 0) return 0;
    winsize size{};
    if (::ioctl(fd, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return 80;
    return size.ws_col;
}

void TerminalSurfaces::Redraw(bool force) {
    const auto now = clock()();
    if (!force && shown_ && now - lastDraw_ < kRedrawInterval) return;
    lastDraw_ = now;
    std::string line = job_.empty() ? text_ : job_ + ": " + text_;
    // One column stays free: writing the last one makes some terminals wrap at once.
    output() << "\r\x1b[K" << FitTo(line, static_cast<size_t>(width_ - 1));
    output().flush();
    shown_ = true;
}

void TerminalSurfaces::ClearLine() {
    if (!shown_) return;
    output() << "\r\x1b[K";
    shown_ = false;
}

void TerminalSurfaces::SetStatusText(std::string_view text) {
    if (text.empty()) return;
    text_ = std::string(text);
    Redraw(false);
}

void TerminalSurfaces::SetGauge(int position, std::string_view text) {
    const bool changed = text != gauge_;
    gauge_ = std::string(text);
    // A transfer's own progress (name, speed, time left) while it runs.
    if (position <= 0 || !changed || text.empty()) return;
    text_ = gauge_;
    Redraw(false);
}

void TerminalSurfaces::AppendError(std::string_view line) {
    ClearLine();
    CliSurfaces::AppendError(line);
    if (!text_.empty()) Redraw(true);
}

void TerminalSurfaces::SetCaption(std::string_view caption) {
    // "Ferrolin <job>" while a job runs, "Ferrolin" between jobs.
    job_ = caption.substr(0, kCaptionPrefix.size()) == kCaptionPrefix
               ? std::string(caption.substr(kCaptionPrefix.size()))
               : std::string();
}

void TerminalSurfaces::SetNextStartText(std::string_view text) {
    if (text.empty()) return;
    ClearLine();
    text_.clear();
    output() << "next start: " << text << '\n';
    output().flush();
}

Answer TerminalSurfaces::Ask(std::string_view caption, std::string_view text, Buttons buttons) {
    ClearLine();
    const Answer answer = CliSurfaces::Ask(caption, text, buttons);
    if (!text_.empty()) Redraw(true);
    return answer;
}

}  // namespace ferrolin::cli
