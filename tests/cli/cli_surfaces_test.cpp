#include "cli/cli_surfaces.h"

#include <gtest/gtest.h>

#include <sstream>

#include "cli/terminal_surfaces.h"

namespace ferrolin::cli {
namespace {

class CliSurfacesTest : public ::testing::Test {
protected:
    std::chrono::steady_clock::time_point now{std::chrono::hours(1)};
    std::ostringstream out;
    CliSurfaces::TimeSource clock = [this] { return now; };
};

int CountLines(const std::string& text, const std::string& prefix) {
    int n = 0;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(prefix, 0) == 0) ++n;
    }
    return n;
}

TEST_F(CliSurfacesTest, StatusLinesAreLimitedPerSecond) {
    CliSurfaces surfaces(out, clock);
    for (int i = 0; i < 20; ++i) surfaces.SetStatusText("copying " + std::to_string(i));
    EXPECT_EQ(CountLines(out.str(), "copying"), CliSurfaces::kStatusLinesPerSecond);
    now += std::chrono::milliseconds(1001);
    surfaces.SetStatusText("copying again");
    EXPECT_EQ(CountLines(out.str(), "copying"), CliSurfaces::kStatusLinesPerSecond + 1);
}

TEST_F(CliSurfacesTest, HiddenErrorsAreCounted) {
    {
        CliSurfaces surfaces(out, clock);
        for (int i = 0; i < 8; ++i) surfaces.AppendError("bad " + std::to_string(i));
        EXPECT_EQ(CountLines(out.str(), "error: bad"), CliSurfaces::kErrorLinesPerSecond);
        now += std::chrono::seconds(2);
        surfaces.AppendError("later");
        EXPECT_NE(out.str().find("error: (3 more error lines not shown)\nerror: later\n"),
                  std::string::npos);
        for (int i = 0; i < 10; ++i) surfaces.AppendError("more");
    }
    // What was still hidden at the end is counted when the face goes away.
    EXPECT_NE(out.str().find("(6 more error lines not shown)"), std::string::npos);
}

TEST_F(CliSurfacesTest, QuestionsGetTheUnattendedAnswer) {
    CliSurfaces surfaces(out, clock);
    EXPECT_EQ(surfaces.Ask("Warning", "Are you sure to delete x ?", Buttons::YesNoCancel),
              Answer::No);
    EXPECT_EQ(surfaces.Ask("Info", "Done", Buttons::Ok), Answer::Ok);
    EXPECT_NE(out.str().find("Warning: Are you sure to delete x ? -> No"), std::string::npos);
    surfaces.SetGauge(40, "40 %");
    EXPECT_EQ(surfaces.GaugeText(), "40 %");
}

// A transfer's progress reaches stderr at most once a second; the gauge at rest does not.
TEST_F(CliSurfacesTest, TransferProgressIsALineEachSecond) {
    CliSurfaces surfaces(out, clock);
    surfaces.SetGauge(0, "finished");
    surfaces.SetGauge(10, "Download speed 1.00 MB/s");
    surfaces.SetGauge(20, "Download speed 1.10 MB/s");  // within the same second
    now += std::chrono::milliseconds(1001);
    surfaces.SetGauge(30, "Download speed 1.20 MB/s");
    EXPECT_EQ(out.str(), "Download speed 1.00 MB/s\nDownload speed 1.20 MB/s\n");
    EXPECT_EQ(surfaces.GaugeText(), "Download speed 1.20 MB/s");
}

// On a terminal the progress is one line redrawn in place: the job from the caption, the
// newest text cut to the width, a few redraws a second; errors and the run's end go on
// lines of their own and the progress line comes back under them.
TEST_F(CliSurfacesTest, OnATerminalProgressIsOneLineRedrawnInPlace) {
    {
        TerminalSurfaces surfaces(out, 40, clock);
        surfaces.SetCaption("Ferrolin Night upload");
        surfaces.SetStatusText("copying... 1 of 3 Files 0 B of 30 B");
        surfaces.SetStatusText("copying... 2 of 3 Files 10 B of 30 B");  // too soon: not drawn
        now += TerminalSurfaces::kRedrawInterval;
        surfaces.SetStatusText("copying... 3 of 3 Files 20 B of 30 B speed: 10 B/s");
        surfaces.AppendError("Copy of x failed");
        surfaces.SetCaption("Ferrolin");
        surfaces.SetNextStartText("finished with errors");
    }
    EXPECT_EQ(out.str(),
              "\r\x1b[KNight upload: copying... 1 of 3 Files 0"  // 39 of 40 columns
              "\r\x1b[KNight upload: copying... 3 of 3 Files 2"
              "\r\x1b[Kerror: Copy of x failed\n"
              "\r\x1b[KNight upload: copying... 3 of 3 Files 2"
              "\r\x1b[Knext start: finished with errors\n");
}

}  // namespace
}  // namespace ferrolin::cli
