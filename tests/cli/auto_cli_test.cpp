#include <gtest/gtest.h>
#include <signal.h>

#include <sstream>

#include "cli/auto_surfaces.h"
#include "cli/stop_signals.h"

namespace ferrolin::cli {
namespace {

TEST(AutoSurfaces, PrintsEachNewNextStartOnceAndNoCountdown) {
    std::ostringstream progress;
    std::ostringstream nextStarts;
    AutoSurfaces surfaces(progress, nextStarts);
    for (const char* text : {"09.12.2026 10:00:00", "09.12.2026 10:00:00", "10.12.2026"}) {
        surfaces.SetNextFu10Text(text);
    }
    EXPECT_EQ(nextStarts.str(), "next start: 09.12.2026 10:00:00\nnext start: 10.12.2026\n");

    surfaces.SetNextStartText("00:09:59");
    surfaces.SetNextStartText("working...");
    EXPECT_EQ(progress.str(), "working...\n");
}

// A stop signal waits for the program to pick it up instead of ending it, and the mask is
// as before once the watcher is gone.
TEST(StopSignals, SignalIsHeldUntilAsked) {
    sigset_t before;
    sigprocmask(SIG_SETMASK, nullptr, &before);
    {
        StopSignals stop;
        EXPECT_FALSE(stop.Pending());
        EXPECT_FALSE(stop.WaitFor(std::chrono::milliseconds(20)));
        ASSERT_EQ(raise(SIGTERM), 0);
        EXPECT_TRUE(stop.Pending());
        EXPECT_TRUE(stop.WaitFor(std::chrono::milliseconds(0)));  // stays noticed
    }
    sigset_t after;
    sigprocmask(SIG_SETMASK, nullptr, &after);
    EXPECT_EQ(sigismember(&after, SIGTERM), sigismember(&before, SIGTERM));
    EXPECT_EQ(sigismember(&after, SIGINT), sigismember(&before, SIGINT));
}

}  // namespace
}  // namespace ferrolin::cli
