#pragma once
// The command line's face: status texts and error lines go to stderr, a few lines a
// second at most so a run over thousands of files does not flood the terminal, and
// questions get the answer a run without an operator gives.
#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <utility>

#include "common/surfaces.h"

namespace ferrolin::cli {

class CliSurfaces : public Surfaces {
  public:
    using TimeSource = std::function<std::chrono::steady_clock::time_point()>;

    explicit CliSurfaces(std::ostream& out, TimeSource now = std::chrono::steady_clock::now);
    ~CliSurfaces() override;

    void SetStatusText(std::string_view text) override;
    void AppendError(std::string_view line) override;
    void SetGauge(int position, std::string_view text) override;
    std::string GaugeText() const override { return gaugeText_; }
    void SetCaption(std::string_view) override {}
    void SetJobListEnabled(bool) override {}
    void SelectJobLine(int) override {}
    void SetNextStartText(std::string_view text) override;
    void ProcessMessages() override {
        if (messageHandler_) messageHandler_();
    }
    // What processing pending messages means for a command: where outside events (a
    // signal) reach a running job.
    void SetMessageHandler(std::function<void()> handler) { messageHandler_ = std::move(handler); }
    Answer Ask(std::string_view caption, std::string_view text, Buttons buttons) override;
    std::string PickFolder(std::string_view) override { return {}; }

    // Lines per second each kind may print; what is over is counted, not shown.
    static constexpr int kStatusLinesPerSecond = 4;
    static constexpr int kErrorLinesPerSecond = 5;
    // A running transfer's progress (the gauge past 0 %: name, speed, time remaining).
    static constexpr int kProgressLinesPerSecond = 1;

  protected:
    std::ostream& output() { return out_; }
    const TimeSource& clock() const { return now_; }

  private:
    // A budget of lines per one-second window.
    struct Limiter {
        int perSecond;
        std::chrono::steady_clock::time_point windowStart{};
        int used = 0;
        long suppressed = 0;
        bool Allow(std::chrono::steady_clock::time_point now);
    };
    void ReportSuppressedErrors();

    std::ostream& out_;
    TimeSource now_;
    Limiter status_{kStatusLinesPerSecond};
    Limiter errors_{kErrorLinesPerSecond};
    Limiter progress_{kProgressLinesPerSecond};
    std::string gaugeText_;
    std::function<void()> messageHandler_;
};

}  // namespace ferrolin::cli
