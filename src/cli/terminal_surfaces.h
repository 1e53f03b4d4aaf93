#pragma once
// The command line's face on a terminal: the run's progress (job, file n of m, bytes,
// rate, time left) is one line redrawn in place, a few times a second; errors and
// questions go above it on lines of their own. To a pipe or a file the plain face prints
// lines as they come.
#include <chrono>
#include <ostream>
#include <string>

#include "cli/cli_surfaces.h"

namespace ferrolin::cli {

class TerminalSurfaces : public CliSurfaces {
  public:
    // width: the terminal's columns; the line is cut to fit, so it never wraps.
    TerminalSurfaces(std::ostream& out, int width, TimeSource now = std::chrono::steady_clock::now);
    ~TerminalSurfaces() override;

    void SetStatusText(std::string_view text) override;
    void SetGauge(int position, std::string_view text) override;
    std::string GaugeText() const override { return gauge_; }
    void AppendError(std::string_view line) override;
    void SetCaption(std::string_view caption) override;
    void SetNextStartText(std::string_view text) override;
    Answer Ask(std::string_view caption, std::string_view text, Buttons buttons) override;

    static constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

    // The columns of the terminal on fd, or 0 when fd is no terminal.
    static int TerminalWidth(int fd);

  private:
    // Draws the line; at most every kRedrawInterval unless forced.
    void Redraw(bool force);
    // Clears the line so that a line of its own can be printed.
    void ClearLine();

    int width_;
    std::string job_;
    std::string text_;
    std::string gauge_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point lastDraw_{};
};

}  // namespace ferrolin::cli
