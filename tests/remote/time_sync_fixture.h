#pragma once
// What the time-sync tests share: a clock the test sets, a clock setter that records
// instead of setting, and a scripted RFC 868 server with a fixed time, so differences
// to "now" are exact to the millisecond.
#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <vector>

#include "common/datetime.h"
#include "platform/clock_setter.h"
#include "remote/time_sync.h"
#include "remote/time_sync_panel.h"
#include "support/clock_rights.h"
#include "support/fake_clock.h"
#include "support/recording_surfaces.h"
#include "support/time_servers.h"

namespace ferrolin::test {

class FakeClockSetter : public platform::ClockSetter {
public:
    int32_t SetClock(std::chrono::system_clock::time_point moment) override {
        if (throws) throw std::runtime_error("setter broke");
        moments.push_back(moment);
        return result;
    }
    std::vector<std::chrono::system_clock::time_point> moments;
    int32_t result = 0;
    bool throws = false;
};

// 2026-12-09 00:00:00 UTC, the time every scripted server tells.
inline constexpr int64_t kServerUnix = 1796774400;

inline std::chrono::system_clock::time_point ServerMoment(int64_t plusMs = 0) {
    return std::chrono::system_clock::time_point(std::chrono::seconds(kServerUnix)) +
           std::chrono::milliseconds(plusMs);
}

inline TDateTime ServerLocal() { return UnixToLocalDateTime(kServerUnix, 0); }

class TimeSyncTest : public ::testing::Test {
protected:
    TimeSyncTest() {
        sync.Settings.Protocol = time_sync_panel::kProtocolTime;
        sync.Settings.Server = timeServer.Address();
        clock.Set(ServerLocal());
    }

    RecordingSurfaces surfaces;
    FakeClock clock;
    FakeClockSetter setter;
    TcpResponder timeServer{TimeProtocolAnswer(kServerUnix)};
    TimeSyncService sync{surfaces, clock, setter};
};

// Every time-sync test program gives up the right to set the clock before it starts,
// so nothing it does can change this machine's time.
inline const bool kClockRightsDropped = DropClockSettingRights();

}  // namespace ferrolin::test
